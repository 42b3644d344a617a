#include "platform/appframe/cmd_target.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/appframe/frame_messages.h"
#include "platform/win/lock.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

// One class's message map merged with its bases': the entries of each message number, most
// derived first, and the entries of messages registered at run time (whose numbers are read
// at each dispatch, since they may be registered after the table is built).
struct CDispatchTable {
  std::unordered_map<UINT, std::vector<const CMessageMapEntry*>> by_message;
  std::vector<const CMessageMapEntry*> registered;
};

namespace {

// The tables built so far; they live as long as the process's static objects. Windows that
// still get messages after this registry is gone (static objects destroyed after it) walk the
// maps directly.
struct DispatchRegistry {
  KestrinWinNS::CCriticalSection lock;
  std::vector<std::pair<const CMessageMap*, std::unique_ptr<CDispatchTable>>> tables;
  static bool& Alive() {
    static bool alive = false;
    return alive;
  }
  DispatchRegistry() { Alive() = true; }
  ~DispatchRegistry() {
    KestrinWinNS::CScopedLock hold(lock);
    Alive() = false;
    for (auto& entry : tables) entry.first->table.store(nullptr, std::memory_order_release);
  }
};

DispatchRegistry& Registry() {
  static DispatchRegistry registry;
  return registry;
}

const CDispatchTable* TableOf(const CMessageMap* map) {
  const CDispatchTable* table = map->table.load(std::memory_order_acquire);
  if (table) return table;
  DispatchRegistry& registry = Registry();
  KestrinWinNS::CScopedLock hold(registry.lock);
  if (!DispatchRegistry::Alive()) return nullptr;
  table = map->table.load(std::memory_order_acquire);
  if (table) return table;
  std::unique_ptr<CDispatchTable> built(new CDispatchTable);
  for (const CMessageMap* m = map; m; m = m->base ? m->base() : nullptr) {
    for (const CMessageMapEntry* e = m->entries; e->thunk; ++e) {
      if (e->message_var)
        built->registered.push_back(e);
      else
        built->by_message[e->message].push_back(e);
    }
  }
  table = built.get();
  registry.tables.emplace_back(map, std::move(built));
  map->table.store(table, std::memory_order_release);
  return table;
}

bool IsByIdMessage(UINT message) {
  return message == WM_COMMAND || message == WM_NOTIFY || message == WM_REFLECT_BASE + WM_COMMAND ||
         message == WM_REFLECT_BASE + WM_NOTIFY;
}

bool Matches(const CMessageMapEntry* e, UINT message, UINT id, int code) {
  if (e->message_var) {
    UINT m = *e->message_var;
    if (m == 0 || m != message) return false;
  } else if (e->message != message) {
    return false;
  }
  if (IsByIdMessage(message)) {
    if (e->code != code) return false;
    // Reflected entries name no id: they belong to the control itself.
    if (message < WM_REFLECT_BASE && (id < e->first_id || id > e->last_id)) return false;
  }
  return true;
}

// Calls `visit` with each entry for the message in order until it returns true.
template <class Visit>
bool ForEachEntry(const CMessageMap* map, UINT message, UINT id, int code, Visit visit) {
  if (const CDispatchTable* table = TableOf(map)) {
    auto it = table->by_message.find(message);
    if (it != table->by_message.end())
      for (const CMessageMapEntry* e : it->second)
        if (Matches(e, message, id, code) && visit(e)) return true;
    for (const CMessageMapEntry* e : table->registered)
      if (Matches(e, message, id, code) && visit(e)) return true;
    return false;
  }
  for (const CMessageMap* m = map; m; m = m->base ? m->base() : nullptr)
    for (const CMessageMapEntry* e = m->entries; e->thunk; ++e)
      if (Matches(e, message, id, code) && visit(e)) return true;
  return false;
}

}  // namespace

const CMessageMapEntry* const* FindDispatchEntries(const CMessageMap* map, UINT message, size_t* count) {
  *count = 0;
  const CDispatchTable* table = map ? TableOf(map) : nullptr;
  if (!table) return nullptr;
  auto it = table->by_message.find(message);
  if (it == table->by_message.end()) return nullptr;
  *count = it->second.size();
  return it->second.data();
}

const CMessageMap* CCmdTarget::GetThisMessageMap() {
  static const CMessageMapEntry entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
  static const CMessageMap map = {nullptr, entries, {}};
  return &map;
}

const CMessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

LONG CCmdTarget::InternalRelease() {
  LONG left = InterlockedDecrement(&m_dwRef);
  if (left == 0) OnFinalRelease();
  return left;
}

const CMessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT id, int code) const {
  const CMessageMapEntry* found = nullptr;
  ForEachEntry(GetMessageMap(), message, id, code, [&](const CMessageMapEntry* e) {
    found = e;
    return true;
  });
  return found;
}

bool CCmdTarget::DispatchEntry(UINT message, UINT id, int code, CMessageArgs& args) {
  CCmdUI* update = message == WM_COMMAND && code == CN_UPDATE_COMMAND_UI ? static_cast<CCmdUI*>(args.extra) : nullptr;
  // Entries of the same message further down the chain get their turn when one declines
  // (ON_COMMAND_EX, a null colour brush).
  return ForEachEntry(GetMessageMap(), message, id, code, [&](const CMessageMapEntry* e) {
    if (update) update->m_bContinueRouting = false;
    if (!e->thunk(this, args)) return false;
    // An update handler may hand the update on to the next target of the route.
    if (update && update->m_bContinueRouting) {
      update->m_bContinueRouting = false;
      return false;
    }
    return true;
  });
}

bool CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool notify) {
  if (code == CN_HAS_HANDLER && !notify) return FindEntry(WM_COMMAND, id, CN_COMMAND) != nullptr;
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
  // Without an update handler the command is disabled when nobody on the route would run it.
  if (!handled && disable_if_no_handler && !m_bEnableChanged && !target->OnCmdMsg(m_nID, CN_HAS_HANDLER, nullptr))
    Enable(false);
  return handled;
}
