// The manager's services to its bars: the tool-bar list, frame layout, keyboard entry with Alt
// and accelerator letters, modal popups at a point, and the keyboard tips.
#include <algorithm>
#include <cwctype>

#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/wnd.h"
#include "toolkit/commandbars/accelerator_search.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/keyboard_tip.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/nested_loop.h"

using namespace TKCommandBars;

namespace {
wchar_t Upper(wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); }

// The letter a caption answers to: the one after "&", else the first.
wchar_t TipLetter(const std::wstring& caption) {
  size_t amp = caption.find(L'&');
  if (amp != std::wstring::npos && amp + 1 < caption.size()) return Upper(caption[amp + 1]);
  return caption.empty() ? 0 : Upper(caption[0]);
}

bool IsTipTarget(const CTKControl* control) {
  // Flag 4: the control opts out of keyboard tips.
  return control->IsVisible() && !(control->GetFlags() & 4) &&
         control->GetType() != kGallery && !control->GetCaption().empty();
}
}  // namespace

bool CTKCommandBarManager::IsCommandUsed(int id) const {
  return std::find(recent_.begin(), recent_.end(), id) != recent_.end();
}

// ---------------------------------------------------------------------------------------------
// Tool bars

CTKToolBar* CTKCommandBarManager::AddToolBar(const std::wstring& title, UINT id, const CRuntimeClass* cls) {
  CTKToolBar* bar = nullptr;
  if (cls && cls->IsDerivedFrom(RUNTIME_CLASS(CTKToolBar))) bar = static_cast<CTKToolBar*>(cls->CreateObject());
  if (!bar) bar = new CTKToolBar;
  bar->SetCommandBarManager(this);
  bar->SetTitle(title);
  bar->SetBarID(id);
  bars_.push_back(bar);
  return bar;
}

void CTKCommandBarManager::AddBar(CTKToolBar* bar) {
  if (!bar || std::find(bars_.begin(), bars_.end(), bar) != bars_.end()) return;
  bar->AddRef();
  bar->SetCommandBarManager(this);
  bars_.push_back(bar);
}

void CTKCommandBarManager::RemoveToolBar(CTKToolBar* bar) {
  auto it = std::find(bars_.begin(), bars_.end(), bar);
  if (it == bars_.end()) return;
  bars_.erase(it);
  if (static_cast<CTKToolBar*>(menu_bar_) == bar) menu_bar_ = nullptr;
  if (tip_owner_ == bar) HideKeyboardTips();
  // A caller that holds the bar too sees it hidden, and a window made for it again stays so.
  bar->visible_ = false;
  if (bar->GetSafeHwnd()) {
    ::ShowWindow(bar->GetSafeHwnd(), SW_HIDE);
    bar->DestroyWindow();
  }
  RecalcFrameLayout(true);
  bar->Release();
}

CTKToolBar* CTKCommandBarManager::GetAt(int index) const {
  return index >= 0 && index < GetCount() ? bars_[static_cast<size_t>(index)] : nullptr;
}

CTKToolBar* CTKCommandBarManager::FindToolBar(UINT id) const {
  if (id == 0) return nullptr;
  for (CTKToolBar* bar : bars_)
    if (bar->GetBarID() == id) return bar;
  return nullptr;
}

void CTKCommandBarManager::ToggleVisibility(int index) {
  CTKToolBar* bar = GetAt(index);
  if (!bar) return;
  bar->SetVisible(!bar->GetVisible());
  options_.changed = true;
}

int CTKCommandBarManager::GetNextShownBar(int index, int step) const {
  const int count = GetCount();
  if (count == 0) return -1;
  int i = index;
  for (int n = 0; n < count; ++n) {
    i = (i + step + count) % count;
    if (bars_[static_cast<size_t>(i)]->IsBarVisible()) return i;
  }
  return -1;
}

void CTKCommandBarManager::RecalcFrameLayout(bool delay) {
  if (options_.layout_lock || !site_) return;
  CWnd* wnd = CWnd::FromHandlePermanent(site_);
  if (CFrameWnd* frame = dynamic_cast<CFrameWnd*>(wnd)) {
    if (delay)
      frame->m_nIdleFlags |= CFrameWnd::idleLayout;
    else
      frame->RecalcLayout();
    return;
  }
  RECT rc;
  ::GetClientRect(site_, &rc);
  ::SendMessageW(site_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
}

bool CTKCommandBarManager::IsMainBarShownIn(const CTKDockBar* dock) const {
  return dock && menu_bar_ && menu_bar_->GetDockBar() == dock && menu_bar_->IsBarVisible();
}

void CTKCommandBarManager::UpdateCommandBars() {
  for (CTKToolBar* bar : bars_)
    if (bar->GetSafeHwnd() && bar->IsBarVisible()) bar->OnIdleUpdate();
}

void CTKCommandBarManager::RedrawCommandBars() {
  for (CTKToolBar* bar : bars_)
    if (bar->GetSafeHwnd() && bar->IsBarVisible()) ::InvalidateRect(bar->GetSafeHwnd(), nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------------
// Customizing

void CTKCommandBarManager::SetCustomizeMode(bool on) {
  options_.changed = true;
  SetCustomizeSelection(nullptr);
  customize_mode_ = on;
  SetKeyboardCuesShown(on);
}

void CTKCommandBarManager::SetKeyboardCuesShown(bool on) {
  if (customize_mode_) on = true;
  if (on == keyboard_cues_) return;
  keyboard_cues_ = on;
  RedrawCommandBars();
}

void CTKCommandBarManager::SetCustomizeSelection(CTKControl* control) {
  if (control == customize_selection_) return;
  if (CTKControl* previous = customize_selection_) {
    customize_selection_ = nullptr;
    previous->RedrawParent();
    previous->Release();
  }
  if (control) {
    control->AddRef();
    customize_selection_ = control;
    control->RedrawParent();
  }
  HWND target = customize_window_ ? customize_window_ : site_;
  if (target) ::SendMessageW(target, kMsgCustomizeSelection, reinterpret_cast<WPARAM>(control), 0);
}

// ---------------------------------------------------------------------------------------------
// Keyboard entry

bool CTKCommandBarManager::GiveKeyboardToBar(CTKCommandBar* bar, int step) {
  if (!bar) return false;
  if (step != 0) {
    if (GetCount() < 2) return false;
    int index = -1;
    for (int i = 0; i < GetCount(); ++i)
      if (bars_[static_cast<size_t>(i)] == bar) index = i;
    int next = GetNextShownBar(index, step);
    if (next < 0 || bars_[static_cast<size_t>(next)] == bar) return false;
    bar = bars_[static_cast<size_t>(next)];
  }
  ClosePopups();
  keyboard_cues_ = true;
  tip_level_ = 1;
  bar->SetTrackingMode(1, false, true);
  const int first = bar->GetControls()->GetNext(-1, 1, bar->GetType() != kMenuBar);
  bar->SetHotControl(first, CTKCommandBar::kHotKeyForward);
  return true;
}

bool CTKCommandBarManager::OnFrameAcceleratorKey(UINT key) {
  if (options_.accelerator_mode == 2) return false;
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9 && !options_.numpad_accelerators) return false;
  const UINT ch = ::MapVirtualKeyW(key, 2) & 0xFFFF;
  if (ch == 0) return false;
  // The bar that tracks, else the main bar when shown, else (with the option) the first shown.
  CTKCommandBar* target = nullptr;
  for (CTKToolBar* bar : bars_)
    if (bar->IsTrackingMode()) target = bar;
  if (!target && menu_bar_ && static_cast<CTKToolBar*>(menu_bar_)->IsBarVisible())
    target = static_cast<CTKToolBar*>(menu_bar_);
  if (!target && options_.accelerators_any_bar) {
    int first = GetNextShownBar(-1, 1);
    if (first >= 0) target = bars_[static_cast<size_t>(first)];
  }
  if (!target) return false;
  if (AreKeyboardTipsShown() && tip_owner_ == target) return FilterKeyboardTips(static_cast<wchar_t>(ch));
  // Search from the hot control, across bars with the wrap option.
  CTKAcceleratorSearch search(key);
  std::vector<CTKCommandBar*> order{target};
  if (options_.wrap_navigation)
    for (CTKToolBar* bar : bars_)
      if (bar != target && bar->IsBarVisible()) order.push_back(bar);
  for (CTKCommandBar* bar : order) {
    const int count = bar->GetControlCount();
    const int start = bar == target ? bar->GetHotIndex() : -1;
    for (int n = 0; n < count; ++n) {
      CTKControl* control = bar->GetControl(((start < 0 ? -1 : start) + 1 + n) % count);
      search.Offer(control, options_.first_letter_matches &&
                                (bar->GetType() == kMenuBar || control->IsCaptionVisible()));
    }
  }
  CTKControl* found = search.GetFound();
  const bool ambiguous = search.IsAmbiguous();
  if (!found) return false;
  CTKCommandBar* bar = found->GetParent();
  if (!bar->IsTrackingMode()) ClosePopups();
  keyboard_cues_ = true;
  tip_level_ = 1;
  bar->SetTrackingMode(1, false, true);
  bar->SetHotControl(found->GetIndex(), CTKCommandBar::kHotKeyForward);
  if (!ambiguous) found->OnExecuteByKeyboard();
  return true;
}

// ---------------------------------------------------------------------------------------------
// Shortcut texts

std::wstring CTKCommandBarManager::ShortcutKeyText(BYTE virt, WORD key) {
  std::wstring text;
  if (virt & FCONTROL) text += L"Ctrl+";
  if (virt & FSHIFT) text += L"Shift+";
  if (virt & FALT) text += L"Alt+";
  if (!(virt & FVIRTKEY)) {
    // A character key; a control character is Ctrl with its letter.
    if (key > 0 && key < ' ') return text + L"Ctrl+" + static_cast<wchar_t>(L'@' + key);
    return key == ' ' ? text + L"Space" : text + Upper(static_cast<wchar_t>(key));
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return text + static_cast<wchar_t>(key);
  if (key >= VK_F1 && key <= VK_F24) return text + L"F" + std::to_wstring(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return text + L"Num " + static_cast<wchar_t>(L'0' + key - VK_NUMPAD0);
  static const struct {
    WORD key;
    const wchar_t* name;
  } kNames[] = {
      {VK_BACK, L"Backspace"}, {VK_TAB, L"Tab"},      {VK_RETURN, L"Enter"},   {VK_ESCAPE, L"Esc"},
      {VK_SPACE, L"Space"},    {VK_PRIOR, L"PgUp"},   {VK_NEXT, L"PgDn"},      {VK_END, L"End"},
      {VK_HOME, L"Home"},      {VK_LEFT, L"Left"},    {VK_UP, L"Up"},          {VK_RIGHT, L"Right"},
      {VK_DOWN, L"Down"},      {VK_INSERT, L"Ins"},   {VK_DELETE, L"Del"},     {VK_PAUSE, L"Pause"},
      {VK_MULTIPLY, L"Num *"}, {VK_ADD, L"Num +"},    {VK_SUBTRACT, L"Num -"}, {VK_DECIMAL, L"Num Del"},
      {VK_DIVIDE, L"Num /"},
  };
  for (const auto& entry : kNames)
    if (entry.key == key) return text + entry.name;
  // Any other key by the keyboard's own name for it.
  wchar_t name[64] = {};
  const LONG scan = static_cast<LONG>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
  if (scan && ::GetKeyNameTextW(scan, name, 64) > 0) return text + name;
  const UINT ch = ::MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0xFFFF;
  return ch ? text + static_cast<wchar_t>(ch) : std::wstring();
}

void CTKCommandBarManager::SetShortcutTable(HACCEL table) {
  shortcuts_.clear();
  const int count = table ? ::CopyAcceleratorTableW(table, nullptr, 0) : 0;
  if (count <= 0) return;
  std::vector<ACCEL> keys(static_cast<size_t>(count));
  const int copied = ::CopyAcceleratorTableW(table, keys.data(), count);
  for (int i = 0; i < copied && i < count; ++i) {
    const std::wstring text = ShortcutKeyText(keys[static_cast<size_t>(i)].fVirt, keys[static_cast<size_t>(i)].key);
    if (!text.empty()) shortcuts_.emplace(keys[static_cast<size_t>(i)].cmd, text);
  }
}

std::wstring CTKCommandBarManager::GetShortcutText(int id) const {
  auto it = shortcuts_.find(id);
  return it == shortcuts_.end() ? std::wstring() : it->second;
}

// ---------------------------------------------------------------------------------------------
// Modal popups

bool CTKCommandBarManager::TakeReturnedCommand(int id) {
  if (!returning_) return false;
  returned_command_ = id;
  return true;
}

int CTKCommandBarManager::TrackPopupBar(CTKPopupBar* popup, UINT flags, int x, int y, HWND owner,
                                         const RECT* exclude, int* command) {
  if (!popup) return 0;
  const MSG* current = CTKHookManager::CurrentMessage();
  if (current && current->message == WM_CONTEXTMENU && current->lParam == -1) keyboard_cues_ = true;
  if (!owner) owner = site_;
  if (owner && (::GetWindowLongPtrW(owner, GWL_EXSTYLE) & (WS_EX_LAYOUTRTL | WS_EX_RIGHT))) flags |= kTrackRightAlign;
  CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
  if (!(flags & kTrackNested)) {
    ClosePopups();
    if (::GetCapture()) ::ReleaseCapture();
  } else {
    mouse->LockTrackedBars(true);
  }
  popup->AddRef();
  popup->SetCommandBarManager(this);
  popup->SetDirection((flags & kTrackRightAlign) ? CTKPopupBar::kDirLeft : 0);
  const bool returning = (flags & kTrackReturnCommand) != 0;
  const bool wasReturning = returning_;
  returning_ = returning;
  returned_command_ = 0;
  bool opened = popup->PopupAt(POINT{x, y}, exclude ? CRect(*exclude) : CRect(), false);
  if (opened) {
    // The popup's loop: it ends when the popup stops tracking, on a cancel message and on the
    // quit message (posted again); it waits for messages in between.
    MSG msg;
    while (popup->IsTrackingMode()) {
      const CTKLoopWake wake = TKNextLoopMessage(nullptr, msg);
      if (wake == CTKLoopWake::kEnded) {
        ClosePopups();
        break;
      }
      if (wake != CTKLoopWake::kMessage) continue;
      if (!popup->IsTrackingMode()) {
        ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        break;
      }
      if (msg.message == 0x36A) continue;
      if (TKIsCancelMessage(msg)) {
        ClosePopups();
        break;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (popup->IsTrackingMode()) popup->SetTrackingMode(0, true, false);
  }
  const int chosen = returned_command_;
  returning_ = wasReturning;
  returned_command_ = 0;
  if (flags & kTrackNested) mouse->LockTrackedBars(false);
  popup->Release();
  if (returning) {
    if (command) *command = chosen;
    return chosen;
  }
  return opened ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Keyboard tips

void CTKCommandBarManager::CreateTipsFor(CTKCommandBar* owner) {
  HWND site = site_ ? site_ : owner->GetSite();
  if (owner->CreateKeyboardTips(tip_level_, &tips_)) {
    CreateTipWindows(owner, site);
    return;
  }
  for (int i = 0; i < owner->GetControlCount(); ++i) {
    CTKControl* control = owner->GetControl(i);
    if (control->GetParent() != owner || !IsTipTarget(control)) continue;
    const CRect rc = control->GetRect();
    tips_.push_back(new CTKCommandBarKeyboardTip(this, control, nullptr, control->GetCaption(),
                                                 POINT{rc.left + 12, rc.bottom - 11}, 0, control->GetEnabled()));
  }
  if (!owner->GetParentBar()) {
    for (CTKToolBar* bar : bars_) {
      if (bar == owner || !bar->IsBarVisible() || bar->GetTitle().empty()) continue;
      tips_.push_back(new CTKCommandBarKeyboardTip(this, nullptr, bar, bar->GetTitle(), POINT{0, 0}, 0, true));
    }
  }
  // Texts: the letter of each caption; tips that share one get a second letter each.
  std::vector<CTKCommandBarKeyboardTip*> kept;
  for (CTKCommandBarKeyboardTip* tip : tips_) {
    if (tip->GetCaption().empty()) {
      delete tip;
      continue;
    }
    tip->SetTipText(std::wstring(1, TipLetter(tip->GetCaption())));
    kept.push_back(tip);
  }
  tips_ = kept;
  std::vector<bool> done(tips_.size(), false);
  for (size_t a = 0; a < tips_.size(); ++a) {
    if (done[a]) continue;
    std::vector<size_t> group{a};
    for (size_t b = a + 1; b < tips_.size(); ++b)
      if (!done[b] && tips_[b]->GetTipText() == tips_[a]->GetTipText()) group.push_back(b);
    for (size_t k : group) done[k] = true;
    if (group.size() < 2) continue;
    std::wstring used = L"& ";
    int numeral = 1;
    for (size_t k : group) {
      std::wstring caption = tips_[k]->GetCaption();
      for (wchar_t& c : caption) c = Upper(c);
      wchar_t pick = 0;
      for (wchar_t c : caption)
        if (used.find(c) == std::wstring::npos) {
          pick = c;
          break;
        }
      if (!pick) pick = std::to_wstring(numeral++)[0];
      used.push_back(pick);
      tips_[k]->SetTipText(tips_[k]->GetTipText() + pick);
    }
  }
  CreateTipWindows(owner, site);
}

void CTKCommandBarManager::CreateTipWindows(CTKCommandBar* owner, HWND site) {
  const bool rtl = options_.right_to_left;
  for (CTKCommandBarKeyboardTip* tip : tips_) {
    HWND anchor = tip->IsBarTip() ? tip->GetBar()->GetSafeHwnd() : owner->GetSafeHwnd();
    tip->CreateTip(site, anchor, rtl);
  }
  for (CTKCommandBarKeyboardTip* tip : tips_)
    if (tip->GetSafeHwnd())
      ::SetWindowPos(tip->GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, 0x253);
}

void CTKCommandBarManager::DestroyTips() {
  for (CTKCommandBarKeyboardTip* tip : tips_) {
    if (tip->GetSafeHwnd()) tip->DestroyWindow();
    delete tip;
  }
  tips_.clear();
}

void CTKCommandBarManager::ShowKeyboardTips(CTKCommandBar* owner, int level) {
  if (!options_.keyboard_tips || !owner || !owner->GetSafeHwnd() || level < 1) return;
  DestroyTips();
  ::UpdateWindow(owner->GetSafeHwnd());
  tip_owner_ = owner;
  tip_level_ = level;
  tip_prefix_.clear();
  tip_path_.resize(std::min(tip_path_.size(), static_cast<size_t>(level - 1)));
  tip_path_.push_back(owner);
  CreateTipsFor(owner);
}

void CTKCommandBarManager::OnTrackingModeChanged(CTKCommandBar* bar, bool tracking) {
  if (tracking) return;
  if (bar == tip_owner_) HideKeyboardTips();
  if (!tip_owner_ && CTKMouseManager::ThreadInstance()->TrackedBars().empty()) tip_level_ = 0;
}

void CTKCommandBarManager::HideKeyboardTips() {
  DestroyTips();
  tip_owner_ = nullptr;
  tip_level_ = 0;
  tip_prefix_.clear();
  tip_path_.clear();
}

bool CTKCommandBarManager::KeyboardTipsBack() {
  if (tip_level_ <= 1 || tip_path_.size() < 2) return false;
  CTKCommandBar* current = tip_path_.back();
  CTKCommandBar* previous = tip_path_[tip_path_.size() - 2];
  const int level = tip_level_ - 1;
  // The owners above: the closing popup takes its tips (and the record of them) with it.
  std::vector<CTKCommandBar*> above(tip_path_.begin(), tip_path_.end() - 2);
  // The deeper popup closes; its parent tracks again with its own tips.
  if (current != previous) {
    if (CTKCommandBar* parent = current->GetParentBar()) parent->SetPopupOpen(-1, true);
  }
  tip_path_ = above;
  ShowKeyboardTips(previous, level);
  return true;
}

bool CTKCommandBarManager::FilterKeyboardTips(wchar_t ch) {
  if (!AreKeyboardTipsShown()) return false;
  const std::wstring prefix = tip_prefix_ + Upper(ch);
  bool continues = false;
  for (CTKCommandBarKeyboardTip* tip : tips_)
    if (tip->GetTipText().compare(0, prefix.size(), prefix) == 0) continues = true;
  if (!continues) {
    if (ch != VK_SHIFT && ch != VK_CONTROL) ::MessageBeep(0);
    return false;
  }
  tip_prefix_ = prefix;
  std::vector<CTKCommandBarKeyboardTip*> kept;
  CTKCommandBarKeyboardTip* complete = nullptr;
  for (CTKCommandBarKeyboardTip* tip : tips_) {
    if (tip->GetTipText().compare(0, prefix.size(), prefix) != 0) {
      if (tip->GetSafeHwnd()) tip->DestroyWindow();
      delete tip;
      continue;
    }
    if (tip->GetTipText() == prefix) complete = tip;
    kept.push_back(tip);
  }
  tips_ = kept;
  if (complete) ExecuteKeyboardTip(complete);
  return true;
}

void CTKCommandBarManager::ExecuteKeyboardTip(CTKCommandBarKeyboardTip* tip) {
  if (!tip->IsEnabled()) {
    ::MessageBeep(0);
    return;
  }
  if (tip_owner_ && tip_owner_->ExecuteKeyboardTip(tip)) return;
  CTKControl* control = tip->GetControl();
  CTKCommandBar* bar = tip->IsBarTip() ? tip->GetBar() : nullptr;
  const int level = tip_level_;
  DestroyTips();
  if (bar) {
    HideKeyboardTips();
    GiveKeyboardToBar(bar);
    ShowKeyboardTips(bar, 1);
    return;
  }
  if (!control) {
    HideKeyboardTips();
    return;
  }
  CTKCommandBar* owner = control->GetParent();
  control->AddRef();
  if (control->GetType() >= kPopupControl && control->GetType() <= kSplitButtonPopup && control->GetCommandBar()) {
    owner->SetTrackingMode(owner->IsTrackingMode() ? owner->GetTrackingMode() : 1, false, true);
    CTKCommandBar* popup = control->GetCommandBar();
    if (owner->SetPopupOpen(control->GetIndex(), true) && popup->IsTrackingMode())
      ShowKeyboardTips(popup, level + 1);
    else
      HideKeyboardTips();
  } else {
    HideKeyboardTips();
    control->OnExecuteByKeyboard();
  }
  control->Release();
}
