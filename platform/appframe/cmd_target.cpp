#include "platform/appframe/cmd_target.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const CMessageMap* CCmdTarget::GetThisMessageMap() {
  static const CMessageMapEntry entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
  static const CMessageMap map = {nullptr, entries};
  return &map;
}

const CMessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

LONG CCmdTarget::InternalRelease() {
  LONG left = InterlockedDecrement(&m_dwRef);
  if (left == 0) OnFinalRelease();
  return left;
}

const CMessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT id, int code) const {
  bool by_id = message == WM_COMMAND || message == WM_NOTIFY;
  for (const CMessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
    for (const CMessageMapEntry* e = map->entries; e->thunk; ++e) {
      UINT m = e->message_var ? *e->message_var : e->message;
      if (m != message || (e->message_var && m == 0)) continue;
      if (by_id && (e->code != code || id < e->first_id || id > e->last_id)) continue;
      return e;
    }
  }
  return nullptr;
}

bool CCmdTarget::DispatchEntry(UINT message, UINT id, int code, CMessageArgs& args) {
  bool by_id = message == WM_COMMAND || message == WM_NOTIFY;
  // Entries of the same message further down the chain get their turn when one declines
  // (ON_COMMAND_EX, a null colour brush).
  for (const CMessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
    for (const CMessageMapEntry* e = map->entries; e->thunk; ++e) {
      UINT m = e->message_var ? *e->message_var : e->message;
      if (m != message || (e->message_var && m == 0)) continue;
      if (by_id && (e->code != code || id < e->first_id || id > e->last_id)) continue;
      if (e->thunk(this, args)) return true;
    }
  }
  return false;
}

bool CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool notify) {
  CMessageArgs args = {notify ? static_cast<UINT>(WM_NOTIFY) : static_cast<UINT>(WM_COMMAND), 0, 0, id, code, extra, 0};
  if (!DispatchEntry(args.message, id, code, args)) return false;
  if (result) *result = args.result;
  return true;
}

// ---------------------------------------------------------------------------------------------

void CCmdUI::Enable(bool on) {
  if (m_hMenu) {
    EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
  } else if (m_hOther) {
    EnableWindow(m_hOther, on);
  }
  m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check) {
  if (m_hMenu) {
    CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
  } else if (m_hOther) {
    SendMessageW(m_hOther, BM_SETCHECK, static_cast<WPARAM>(check), 0);
  }
}

void CCmdUI::SetRadio(bool on) { SetCheck(on ? 1 : 0); }

void CCmdUI::SetText(const wchar_t* text) {
  if (m_hMenu) {
    MENUITEMINFOW info = {sizeof(info)};
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text);
    SetMenuItemInfoW(m_hMenu, m_nIndex, TRUE, &info);
  } else if (m_hOther) {
    SetWindowTextW(m_hOther, text);
  }
}

bool CCmdUI::DoUpdate(CCmdTarget* target, bool disable_if_no_handler) {
  if (!target) return false;
  m_bEnableChanged = false;
  bool handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
  if (!handled && disable_if_no_handler && !m_bEnableChanged) {
    if (!target->FindEntry(WM_COMMAND, m_nID, CN_COMMAND)) Enable(false);
  }
  return handled;
}
