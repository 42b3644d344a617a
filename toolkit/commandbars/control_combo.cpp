#include "toolkit/commandbars/control_combo.h"

#include <algorithm>
#include <vector>

#include "platform/appframe/dc.h"
#include "platform/appframe/exception.h"
#include "toolkit/commandbars/auto_complete.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKControlComboBoxPopupBar, CTKPopupBar)
IMPLEMENT_DYNCREATE(CTKControlComboBoxList, CTKControlComboBoxPopupBar)
IMPLEMENT_DYNCREATE(CTKControlComboBox, CTKControlPopup)

// ---------------------------------------------------------------------------------------------
// The drop-down

CTKControlComboBoxPopupBar::CTKControlComboBoxPopupBar() {
  // The caret stays in the combo's edit while the drop-down is open.
  hide_caret_ = false;
}

CTKControlComboBoxPopupBar::~CTKControlComboBoxPopupBar() = default;

CSize CTKControlComboBoxPopupBar::DropDownSize() const {
  if (!combo_) return CSize(fixed_width_ > 0 ? fixed_width_ : 100, GetItemHeight() + 4);
  const CRect& control = combo_->GetRect();
  const int width = fixed_width_ > 0 ? fixed_width_ : (control.Width() > 0 ? control.Width() : combo_->GetWidth());
  const int rows = std::max(1, std::min(combo_->GetDropDownItemCount(), GetCount()));
  return CSize(width, GetItemHeight() * rows + 4);
}

CSize CTKControlComboBoxPopupBar::CalcSize(int length, DWORD mode) {
  // A drop-down of another kind lays its controls out as a popup does, at least as wide as the
  // combo.
  CSize size = CTKPopupBar::CalcSize(length, mode);
  size.cx = std::max<LONG>(size.cx, DropDownSize().cx);
  return size;
}

bool CTKControlComboBoxPopupBar::SetTrackingMode(int mode, bool selectFirst, bool keyboard) {
  if (mode) return CTKPopupBar::SetTrackingMode(mode, selectFirst, keyboard);
  if (!CTKCommandBar::SetTrackingMode(0, selectFirst, keyboard)) return false;
  HWND hwnd = GetSafeHwnd();
  if (hwnd) {
    if (CTKPopupEffects* effects = Effects()) effects->RemovePopupShadow(this);
    ::ShowWindow(hwnd, SW_HIDE);
  }
  CTKControl* control = parent_control_;
  CTKCommandBar* parent = GetParentBar();
  parent_control_ = nullptr;
  shown_flags_ &= ~1;
  // Closed from outside (a click elsewhere): the combo's bar closes its popup too.
  if (parent && control && parent->GetExpandedIndex() == control->GetIndex()) parent->SetPopupOpen(-1, false);
  return true;
}

bool CTKControlComboBoxPopupBar::MoveSelectionByKey(UINT key) {
  const int count = GetCount(), current = GetCurSel();
  if (count == 0) return false;
  const int shown = combo_ ? std::min(combo_->GetDropDownItemCount(), count) : count;
  const int page = std::max(1, shown - 1);
  int next = current;
  switch (key) {
    case VK_UP: next = current < 0 ? 0 : current - 1; break;
    case VK_DOWN: next = current + 1; break;
    case VK_PRIOR: next = current < 0 ? 0 : current - page; break;
    case VK_NEXT: next = current < 0 ? page : current + page; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = count - 1; break;
    default: return false;
  }
  next = std::max(0, std::min(count - 1, next));
  if (next == current) return false;
  SetCurSel(next);
  return true;
}

int CTKControlComboBoxPopupBar::OnHookKeyDown(UINT key, LPARAM data) {
  CTKCommandBar* parent = GetParentBar();
  return parent ? parent->OnHookKeyDown(key, data) : CTKPopupBar::OnHookKeyDown(key, data);
}

// ---------------------------------------------------------------------------------------------
// The drop-down list

CTKControlComboBoxList::CTKControlComboBoxList() {
  SetShowShadow(false);
  SetBorders(CRect(0, 0, 0, 0));
  EnsureWindows();
}

CTKControlComboBoxList::~CTKControlComboBoxList() {
  if (!list_ || !::IsWindow(list_)) return;
  EndDrag();
  ::RemoveWindowSubclass(list_, &ListProc, 0);
}

void CTKControlComboBoxList::EnsureWindows() {
  // The window is made at once: the items live in its list box from the start.
  if (!CreatePopupWindow()) return;
  list_ = ::CreateWindowExW(0, L"LISTBOX", L"",
                            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS |
                                LBS_NOINTEGRALHEIGHT,
                            0, 0, 100, 100, GetSafeHwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (list_) ::SetWindowSubclass(list_, &ListProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK CTKControlComboBoxList::ListProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                                  DWORD_PTR data) {
  CTKControlComboBoxList* self = reinterpret_cast<CTKControlComboBoxList*>(data);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      self->OnListPointer(message, wparam, lparam);
      return 0;
    case WM_TIMER:
      if (wparam != kDragScrollTimer) break;
      self->DragScrollStep();
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != hwnd) {
        ::KillTimer(hwnd, kDragScrollTimer);
        self->drag_direction_ = 0;
      }
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wparam, lparam);
}

void CTKControlComboBoxList::OnListPointer(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!combo_) return;
  const bool held = (wparam & MK_LBUTTON) != 0;
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
    ::SetCapture(list_);
    return;
  }
  if (message == WM_LBUTTONUP) EndDrag();
  if (message == WM_MOUSEMOVE) {
    if (!held) {
      EndDrag();
    } else if (::GetCapture() != list_) {
      ::SetCapture(list_);
    }
    RECT client{};
    ::GetClientRect(list_, &client);
    const int y = static_cast<short>(HIWORD(lparam));
    const int direction = !held ? 0 : y < client.top ? -1 : y >= client.bottom ? 1 : 0;
    if (direction != 0) {
      // Beyond an edge: a step now, and more while the pointer stays there.
      if (drag_direction_ != direction) ::SetTimer(list_, kDragScrollTimer, kDragScrollDelay, nullptr);
      drag_direction_ = direction;
      DragScrollStep();
      return;
    }
    if (drag_direction_ != 0) ::KillTimer(list_, kDragScrollTimer);
    drag_direction_ = 0;
  }
  const LRESULT hit = ::SendMessageW(list_, LB_ITEMFROMPOINT, 0, lparam);
  if (HIWORD(hit)) return;  // below the last item, or outside the list
  const int index = LOWORD(hit);
  if (message == WM_MOUSEMOVE) {
    if (index != GetCurSel()) SetCurSel(index);  // the list box scrolls it fully into view
    return;
  }
  combo_->OnDropDownPick(index, true);
}

void CTKControlComboBoxList::DragScrollStep() {
  if (!list_ || drag_direction_ == 0) return;
  RECT client{};
  ::GetClientRect(list_, &client);
  const int top = static_cast<int>(::SendMessageW(list_, LB_GETTOPINDEX, 0, 0));
  const int shown = std::max(1, static_cast<int>(client.bottom - client.top) / GetItemHeight());
  // The item just beyond the edge: selecting it scrolls the list by one.
  const int next = drag_direction_ < 0 ? top - 1 : top + shown;
  if (next < 0 || next >= GetCount()) return;
  SetCurSel(next);
}

void CTKControlComboBoxList::EndDrag() {
  if (!list_) return;
  ::KillTimer(list_, kDragScrollTimer);
  drag_direction_ = 0;
  if (::GetCapture() == list_) ::ReleaseCapture();
}

bool CTKControlComboBoxList::SetTrackingMode(int mode, bool selectFirst, bool keyboard) {
  if (!mode) EndDrag();
  return CTKControlComboBoxPopupBar::SetTrackingMode(mode, selectFirst, keyboard);
}

int CTKControlComboBoxList::AddString(const std::wstring& text) {
  return list_ ? static_cast<int>(::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()))) : -1;
}

void CTKControlComboBoxList::ResetContent() {
  if (list_) ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
}

int CTKControlComboBoxList::GetCount() const {
  return list_ ? static_cast<int>(::SendMessageW(list_, LB_GETCOUNT, 0, 0)) : 0;
}

int CTKControlComboBoxList::GetCurSel() const {
  return list_ ? static_cast<int>(::SendMessageW(list_, LB_GETCURSEL, 0, 0)) : -1;
}

void CTKControlComboBoxList::SetCurSel(int index) {
  if (list_) ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CTKControlComboBoxList::SetTopIndex(int index) {
  if (list_) ::SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

int CTKControlComboBoxList::FindString(const std::wstring& prefix) const {
  if (!list_ || prefix.empty()) return -1;
  return static_cast<int>(::SendMessageW(list_, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix.c_str())));
}

int CTKControlComboBoxList::FindStringExact(const std::wstring& text) const {
  if (!list_) return -1;
  return static_cast<int>(
      ::SendMessageW(list_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())));
}

std::wstring CTKControlComboBoxList::GetText(int index) const {
  if (!list_ || index < 0) return std::wstring();
  const LRESULT length = ::SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length <= 0) return std::wstring();
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  ::SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return std::wstring(text.data());
}

int CTKControlComboBoxList::GetItemHeight() const {
  const LRESULT height = list_ ? ::SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0) : LB_ERR;
  return height == LB_ERR || height <= 0 ? 16 : static_cast<int>(height);
}

bool CTKControlComboBoxList::MoveSelectionByKey(UINT key) {
  if (!list_) return false;
  const int before = GetCurSel();
  ::SendMessageW(list_, WM_KEYDOWN, key, 0);
  return GetCurSel() != before;
}

void CTKControlComboBoxList::PrepareDropDown(CFont* font) {
  if (list_ && font) ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font->GetSafeHandle()), FALSE);
}

CSize CTKControlComboBoxList::CalcSize(int, DWORD) {
  // The list box fills the drop-down.
  const CSize size = DropDownSize();
  if (list_) ::MoveWindow(list_, 0, 0, size.cx, size.cy, FALSE);
  popup_size_ = size;
  scrolling_ = false;
  return size;
}

void CTKControlComboBoxList::DoPropExchange(CTKPropExchange* px) {
  CTKControlComboBoxPopupBar::DoPropExchange(px);
  CTKPropExchangeSection items(px, L"Items");
  if (!items.get()) throw CArchiveException(CArchiveException::endOfFile);
  wchar_t name[32];
  if (px->IsStoring()) {
    int count = GetCount();
    PropExchangeInt(items.get(), L"Count", &count, 0);
    for (int i = 0; i < count; ++i) {
      CString text(GetText(i).c_str());
      _snwprintf(name, 32, L"Item%i", i);
      items->TransferValue(name, CTKPropExchange::kString, &text, nullptr);
    }
    return;
  }
  int count = 0;
  PropExchangeInt(items.get(), L"Count", &count, 0);
  // The count comes from outside: within bounds, and (where items follow each other) within
  // what is left of the data; every item it promises must be there.
  if (count < 0 || count > kMaxItems || (items->IsSequential() && !items->IsPlausibleCount(static_cast<DWORD>(count))))
    throw CArchiveException(CArchiveException::badIndex);
  std::vector<std::wstring> read;
  read.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    CString text;
    _snwprintf(name, 32, L"Item%i", i);
    if (!items->TransferValue(name, CTKPropExchange::kString, &text, nullptr))
      throw CArchiveException(CArchiveException::endOfFile);
    read.emplace_back(text.GetString(), static_cast<size_t>(text.GetLength()));
  }
  for (const std::wstring& text : read) AddString(text);
}

// ---------------------------------------------------------------------------------------------
// The edit window

CTKCommandBar* CTKControlComboBoxEditCtrl::GetOwnerBar() const { return owner_ ? owner_->GetParent() : nullptr; }

LRESULT CTKControlComboBoxEditCtrl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MOUSEWHEEL && owner_->OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wparam))) return 0;
  LRESULT result = CTKEdit::WindowProc(message, wparam, lparam);
  if (message == WM_SETFOCUS) owner_->OnEditFocus(true);
  if (message == WM_KILLFOCUS) owner_->OnEditFocus(false);
  return result;
}

bool CTKControlComboBoxEditCtrl::OnChildNotify(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE) {
    owner_->OnEditChanged();
    if (result) *result = 0;
    return true;
  }
  return CTKEdit::OnChildNotify(message, wparam, lparam, result);
}

// ---------------------------------------------------------------------------------------------
// The shell's suggestion list

namespace {
// The thread's watcher and its hook: one combo has the focus at a time.
thread_local CTKControlComboBoxAutoCompleteWnd* t_watcher = nullptr;
thread_local HHOOK t_watch_hook = nullptr;
}  // namespace

CTKControlComboBoxAutoCompleteWnd::~CTKControlComboBoxAutoCompleteWnd() { Watch(false); }

void CTKControlComboBoxAutoCompleteWnd::Watch(bool on) {
  if (on == watching_) return;
  if (on) {
    if (t_watcher) t_watcher->Watch(false);
    if (!t_watch_hook)
      t_watch_hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CallWndProc, nullptr, ::GetCurrentThreadId());
    t_watcher = this;
    watching_ = true;
    return;
  }
  watching_ = false;
  Forget();
  if (t_watcher == this) t_watcher = nullptr;
  if (!t_watcher && t_watch_hook) {
    ::UnhookWindowsHookEx(t_watch_hook);
    t_watch_hook = nullptr;
  }
}

void CTKControlComboBoxAutoCompleteWnd::Forget() {
  if (!suggestions_) return;
  CTKMouseManager::ThreadInstance()->RemoveTrustedWindow(suggestions_);
  suggestions_ = nullptr;
}

void CTKControlComboBoxAutoCompleteWnd::OnWindowPosChanged(HWND hwnd, const WINDOWPOS& pos) {
  if ((pos.flags & SWP_HIDEWINDOW) && hwnd == suggestions_) {
    Forget();
    return;
  }
  if (!(pos.flags & SWP_SHOWWINDOW) || hwnd == suggestions_) return;
  wchar_t name[32] = L"";
  ::GetClassNameW(hwnd, name, 32);
  if (wcscmp(name, L"Auto-Suggest Dropdown") != 0) return;
  Forget();
  suggestions_ = hwnd;
  CTKMouseManager::ThreadInstance()->AddTrustedWindow(hwnd);
  ::PostMessageW(edit_, kMsgSuggestionsShown, 0, 0);
}

LRESULT CALLBACK CTKControlComboBoxAutoCompleteWnd::CallWndProc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && t_watcher) {
    const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (cwp->message == WM_WINDOWPOSCHANGED && cwp->lParam)
      t_watcher->OnWindowPosChanged(cwp->hwnd, *reinterpret_cast<const WINDOWPOS*>(cwp->lParam));
    else if (cwp->message == WM_DESTROY && cwp->hwnd == t_watcher->suggestions_)
      t_watcher->Forget();
  }
  return ::CallNextHookEx(t_watch_hook, code, wparam, lparam);
}

// ---------------------------------------------------------------------------------------------
// The combo box

CTKControlComboBox::CTKControlComboBox() {
  type_ = kComboBox;
  width_ = 100;
  CTKControlComboBoxList* list = new CTKControlComboBoxList;
  SetDropDown(list);
  list->Release();
}

CTKControlComboBox::~CTKControlComboBox() {
  if (focused_) --CTKMouseManager::ThreadInstance()->LockCounter();
  if (dropped_) --CTKMouseManager::ThreadInstance()->LockCounter();
  if (CTKControlComboBoxPopupBar* list = GetDropDown())
    if (list->GetCombo() == this) list->SetCombo(nullptr);
}

CTKControlComboBoxPopupBar* CTKControlComboBox::GetDropDown() const {
  CTKCommandBar* bar = GetCommandBar();
  return bar && bar->IsKindOf(RUNTIME_CLASS(CTKControlComboBoxPopupBar)) ? static_cast<CTKControlComboBoxPopupBar*>(bar)
                                                                          : nullptr;
}

CTKControlComboBoxList* CTKControlComboBox::GetList() const {
  CTKCommandBar* bar = GetCommandBar();
  return bar && bar->IsKindOf(RUNTIME_CLASS(CTKControlComboBoxList)) ? static_cast<CTKControlComboBoxList*>(bar) : nullptr;
}

void CTKControlComboBox::SetDropDown(CTKControlComboBoxPopupBar* bar) {
  if (dropped_ && parent_) parent_->SetPopupOpen(-1, false);
  if (CTKControlComboBoxPopupBar* old = GetDropDown())
    if (old->GetCombo() == this) old->SetCombo(nullptr);
  if (bar) bar->SetCombo(this);
  SetCommandBar(bar);
}

void CTKControlComboBox::SetDropDownListStyle(bool on) {
  if (drop_down_ == !on) return;
  if (on) {
    text_ = GetEditText();
    auto_suggest_.reset();
    edit_.reset();
  }
  drop_down_ = !on;
  reposition_ = true;
  DelayLayoutParent();
}

bool CTKControlComboBox::ShowsHint() const { return !hint_.empty() && text_ == hint_; }

std::wstring CTKControlComboBox::GetEditText() {
  if (!drop_down_) {
    CTKControlComboBoxPopupBar* list = GetDropDown();
    return list ? list->GetText(list->GetCurSel()) : std::wstring();
  }
  if (edit_ && edit_->GetSafeHwnd() && text_stale_) {
    text_ = edit_->GetText();
    text_stale_ = false;
  }
  return ShowsHint() ? std::wstring() : text_;
}

void CTKControlComboBox::ShowText() {
  if (!edit_ || !edit_->GetSafeHwnd()) return;
  setting_text_ = true;
  edit_->SetText(text_);
  setting_text_ = false;
  text_stale_ = false;
  ApplyColors();
}

void CTKControlComboBox::SetEditText(const std::wstring& text) {
  text_ = (text.empty() && !focused_) ? hint_ : text;
  text_stale_ = false;
  ShowText();
  RedrawParent();
}

void CTKControlComboBox::SetEditHint(const std::wstring& hint) {
  std::wstring text = GetEditText();
  hint_ = hint;
  SetEditText(text);
}

int CTKControlComboBox::GetCurSel() const {
  CTKControlComboBoxPopupBar* list = GetDropDown();
  return list ? list->GetCurSel() : -1;
}

void CTKControlComboBox::SetCurSel(int index) {
  CTKControlComboBoxPopupBar* list = GetDropDown();
  if (!list) return;
  list->SetCurSel(index);
  if (drop_down_ && index >= 0) SetEditText(list->GetText(index));
  RedrawParent();
}

void CTKControlComboBox::EnableShellAutoComplete(DWORD flags) {
  auto_suggest_.reset();
  shell_flags_ = flags;
  shell_active_ = flags && edit_ && edit_->GetSafeHwnd() && TKApplyShellAutoComplete(edit_->GetSafeHwnd(), flags);
  if (!shell_active_) return;
  auto_suggest_ = std::make_unique<CTKControlComboBoxAutoCompleteWnd>(edit_->GetSafeHwnd());
  if (focused_) auto_suggest_->Watch(true);
}

void CTKControlComboBox::ApplyColors() {
  if (!edit_ || !edit_->GetSafeHwnd()) return;
  CTKPaintManager* pm = GetPaintManager();
  const bool grey = !GetEnabled() || ShowsHint();
  edit_->SetColors(::GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT), pm->ResolveColor(pm->EditAreaBackIndex(this)));
}

CSize CTKControlComboBox::DropDownSize() const {
  CTKControlComboBoxPopupBar* list = GetDropDown();
  return list ? list->DropDownSize() : CSize(rect_.Width() > 0 ? rect_.Width() : width_, 16 + 4);
}

void CTKControlComboBox::SetParent(CTKCommandBar* bar) {
  if (bar != parent_ && edit_) {
    GetEditText();
    auto_suggest_.reset();
    edit_.reset();
  }
  CTKControlPopup::SetParent(bar);
}

void CTKControlComboBox::SetHideFlags(int flags) {
  CTKControlPopup::SetHideFlags(flags);
  if (edit_ && edit_->GetSafeHwnd())
    ::ShowWindow(edit_->GetSafeHwnd(), IsVisible() && !rect_.IsRectEmpty() ? SW_SHOWNA : SW_HIDE);
}

void CTKControlComboBox::SetRect(const CRect& rc) {
  const bool moved = rc != rect_;
  CTKControlPopup::SetRect(rc);
  if (!parent_ || !parent_->GetSafeHwnd()) return;
  HWND bar = parent_->GetSafeHwnd();
  if (edit_ && edit_->GetSafeHwnd() &&
      (::GetParent(edit_->GetSafeHwnd()) != bar || (::GetWindowLongPtrW(edit_->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL))) {
    GetEditText();
    auto_suggest_.reset();
    edit_.reset();
  }
  thumb_width_ = ::GetSystemMetrics(SM_CXVSCROLL) - 2;
  if (!drop_down_) return;
  const bool created = !edit_ || !edit_->GetSafeHwnd();
  if (!moved && !created && !reposition_) return;
  reposition_ = false;
  if (created) {
    edit_.reset(CreateEditCtrl());
    if (!edit_->CreateEdit(edit_style_ | WS_CHILD | ES_AUTOHSCROLL, CRect(0, 0, 0, 0), bar, 0)) {
      edit_.reset();
      return;
    }
    if (!GetEnabled()) edit_->EnableWindow(false);
    EnableShellAutoComplete(shell_flags_);
  }
  edit_->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetPaintManager()->BarFontFor(parent_, false)->GetSafeHandle()), 0);
  edit_->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  ShowText();
  edit_->SetOpaqueAlpha(GetPaintManager()->ControlNeedsOpaqueAlpha(this));
  int left = rect_.left + label_width_ + 4;
  if (edit_icon_id_ > 0) left += 16 + 2;
  const CRect box(left, rect_.top + 3, rect_.right - thumb_width_ - 3, rect_.bottom - 3);
  ::SetWindowPos(edit_->GetSafeHwnd(), nullptr, box.left, box.top, box.Width(), box.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | (IsVisible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void CTKControlComboBox::SetEnabled(bool enabled) {
  CTKControlPopup::SetEnabled(enabled);
  if (edit_ && edit_->GetSafeHwnd()) {
    edit_->EnableWindow(GetEnabled());
    ApplyColors();
  }
}

void CTKControlComboBox::TakeFocus(bool on) {
  if (on == focused_) return;
  CTKCommandBar* bar = parent_;
  if (on) {
    saved_selection_ = GetCurSel();
    saved_text_ = GetEditText();
    executed_ = false;
    focused_ = true;
    if (bar && bar->GetSafeHwnd()) {
      bar->SetTrackingMode(1, false, false);
      bar->SetHotControl(index_, CTKCommandBar::kHotProgram);
    }
    ++CTKMouseManager::ThreadInstance()->LockCounter();
    if (auto_suggest_) auto_suggest_->Watch(true);
    if (ShowsHint()) SetEditText(L"");
    if (edit_ && edit_->GetSafeHwnd() && ::GetFocus() != edit_->GetSafeHwnd()) ::SetFocus(edit_->GetSafeHwnd());
    NotifySite(kNotifyGotFocus);
  } else {
    const std::wstring text = GetEditText();
    focused_ = false;
    if (!executed_ && GetCurSel() != saved_selection_) {
      if (CTKControlComboBoxPopupBar* list = GetDropDown()) list->SetCurSel(saved_selection_);
      NotifySite(kNotifySelectionRestored);
    }
    if (edit_ && edit_->GetSafeHwnd() && ::GetFocus() == edit_->GetSafeHwnd() && bar) ::SetFocus(bar->GetOwnerSite());
    --CTKMouseManager::ThreadInstance()->LockCounter();
    if (auto_suggest_) auto_suggest_->Watch(false);
    SetEditText(text);  // an empty edit shows the hint again
    NotifySite(kNotifyLostFocus);
  }
  RedrawParent();
}

void CTKControlComboBox::OnEditFocus(bool gained) {
  if (gained != focused_) TakeFocus(gained);
}

void CTKControlComboBox::OnEditChanged() {
  if (setting_text_) return;
  text_stale_ = true;
  CTKControlComboBoxPopupBar* list = GetDropDown();
  std::wstring text = GetEditText();
  if (IsCompletingInPlace() && !no_completion_ && edit_ && list && !text.empty()) {
    DWORD start = 0, end = 0;
    edit_->SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start == end && end == text.size()) {
      const int found = list->FindString(text);
      const std::wstring full = found >= 0 ? list->GetText(found) : std::wstring();
      if (full.size() >= text.size() && !full.empty()) {
        setting_text_ = true;
        edit_->SetText(full);
        setting_text_ = false;
        text_ = full;
        text_stale_ = false;
        // The added part is selected, the caret after what was typed.
        edit_->SendMessage(EM_SETSEL, full.size(), text.size());
        edit_->SendMessage(EM_SCROLLCARET, 0, 0);
        text = full;
      }
    }
    no_completion_ = true;
  }
  if (list) {
    const int exact = list->FindStringExact(text);
    if (exact >= 0) {
      list->SetCurSel(exact);
    } else {
      const int first = list->FindString(text);
      if (first >= 0) list->SetTopIndex(first);
      list->SetCurSel(-1);
    }
  }
  NotifySite(kNotifyEditChanged);
}

bool CTKControlComboBox::OnSetPopup(bool open) {
  CTKControlComboBoxPopupBar* list = GetDropDown();
  if (!list || !parent_ || !parent_->GetSafeHwnd()) return false;
  CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
  if (!open) {
    if (!dropped_) return true;
    // Marked closed first: hiding the drop-down closes the bar's popup, which asks again.
    dropped_ = false;
    NotifySite(kNotifyCloseUp);
    --mouse->LockCounter();
    list->SetTrackingMode(0, true, false);
    RedrawParent();
    return true;
  }
  if (dropped_) return true;
  // The site hears of the opening (kMsgDropDownOpening, with the drop-down) as of any popup's.
  list->PrepareDropDown(GetPaintManager()->BarFontFor(parent_, false));
  dropped_ = true;
  ++mouse->LockCounter();
  if (!list->Popup(this, false)) {
    if (dropped_) {
      dropped_ = false;
      --mouse->LockCounter();
    }
    return false;
  }
  // The list's selection follows the text (laid out, a drop-down starts with none).
  if (drop_down_) list->SetCurSel(list->FindStringExact(GetEditText()));
  NotifySite(kNotifyDropDown);
  RedrawParent();
  return true;
}

void CTKControlComboBox::OnDropDownPick(int index, bool click) {
  CTKControlComboBoxPopupBar* list = GetDropDown();
  if (!list || index < 0 || index >= list->GetCount()) return;
  list->SetCurSel(index);
  OnListSelectionMoved();
  if (!click) return;
  OnExecute();
  if (dropped_ && parent_) parent_->SetPopupOpen(-1, false);
}

void CTKControlComboBox::OnClick(bool keyboard, CPoint pt) {
  if (!GetEnabled() || !parent_ || IsCustomizeMode()) return;
  if (keyboard) {
    OnExecuteByKeyboard();
    return;
  }
  const bool onThumb = pt.x >= rect_.right - thumb_width_ - 3;
  if (!drop_down_ || onThumb) {
    if (dropped_)
      parent_->SetPopupOpen(-1, false);
    else
      parent_->SetPopupOpen(index_, false);
    if (drop_down_) TakeFocus(true);
    return;
  }
  TakeFocus(true);
}

void CTKControlComboBox::OnExecuteByKeyboard() {
  if (focused_)
    OnExecute();
  else
    TakeFocus(true);
}

void CTKControlComboBox::OnExecute() {
  if (GetCurSel() >= 0 && (dropped_ || (!edit_ && focused_))) NotifySite(kNotifySelectionExecuted);
  executed_ = true;
  saved_selection_ = GetCurSel();
  CTKControlPopup::OnExecute();
}

bool CTKControlComboBox::MoveListSelection(UINT key) {
  CTKControlComboBoxPopupBar* list = GetDropDown();
  if (!list || !list->MoveSelectionByKey(key)) return false;
  OnListSelectionMoved();
  return true;
}

bool CTKControlComboBox::OnMouseWheel(int delta) {
  if (!focused_ || dropped_ || shell_active_ || delta == 0) return false;
  MoveListSelection(delta > 0 ? VK_UP : VK_DOWN);
  return true;
}

void CTKControlComboBox::OnListSelectionMoved() {
  CTKControlComboBoxPopupBar* list = GetDropDown();
  if (!list) return;
  if (drop_down_) {
    SetEditText(list->GetText(list->GetCurSel()));
    if (edit_ && edit_->GetSafeHwnd()) edit_->SendMessage(EM_SETSEL, 0, -1);
  }
  RedrawParent();
}

bool CTKControlComboBox::OnHookKeyDown(UINT key) {
  if (!focused_) return false;
  no_completion_ = key == VK_DELETE || key == VK_BACK;
  if (edit_ && edit_->IsComposing()) return false;
  const bool alt = ::GetKeyState(VK_MENU) < 0, control = ::GetKeyState(VK_CONTROL) < 0;
  switch (key) {
    case VK_TAB:
      // The bar moves on, unless the shell's suggestions were asked to take Tab.
      if (shell_active_ && (shell_flags_ & kShellUseTab) && edit_ && edit_->GetSafeHwnd()) {
        edit_->SendMessage(WM_KEYDOWN, key, 0);
        return true;
      }
      return false;
    case VK_RETURN:
      return false;  // the bar runs the control
    case VK_ESCAPE: {
      if (dropped_ && parent_) parent_->SetPopupOpen(-1, false);
      if (CTKControlComboBoxPopupBar* list = GetDropDown()) list->SetCurSel(saved_selection_);
      SetEditText(saved_text_);
      executed_ = true;  // the selection is already the saved one
      TakeFocus(false);
      return parent_ && parent_->GetType() == kPopupBar;
    }
    default:
      break;
  }
  if (alt && !control && parent_ && key != VK_UP && key != VK_DOWN) {
    bool ambiguous = false;
    const int found = parent_->FindAccelerator(key, &ambiguous);
    if (found >= 0 && found != index_) {
      TakeFocus(false);
      parent_->SetHotControl(found, CTKCommandBar::kHotKeyForward);
      if (!ambiguous)
        if (CTKControl* other = parent_->GetControl(found)) other->OnUnderlineActivate();
      return true;
    }
  }
  if ((alt && (key == VK_UP || key == VK_DOWN)) || (key == VK_F4 && !alt)) {
    if (parent_) parent_->SetPopupOpen(dropped_ ? -1 : index_, true);
    return true;
  }
  const bool listKey = key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN;
  if (!alt && listKey && auto_suggest_ && auto_suggest_->IsSuggesting() && edit_ && edit_->GetSafeHwnd()) {
    // The shell's suggestion list, shown over the edit, moves its own selection.
    edit_->SendMessage(WM_KEYDOWN, key, 0);
    return true;
  }
  if (!alt && listKey) {
    MoveListSelection(key);
    return true;
  }
  if (!edit_) {
    MoveListSelection(key);
    return true;
  }
  return edit_->OnEditKey(key);
}

void CTKControlComboBox::Draw(CDC* dc) {
  CTKControlPopup::Draw(dc);
  const CRect thumb(rect_.right - thumb_width_ - 2, rect_.top + 2, rect_.right - 2, rect_.bottom - 2);
  CTKPaintManager* pm = GetPaintManager();
  CTKPaintManager::ItemState state = pm->StateOf(this);
  state.popped = dropped_;
  pm->PaintComboDropDownButton(dc, thumb, state);
  if (drop_down_) return;
  CRect field(rect_.left + label_width_ + 4, rect_.top + 3, thumb.left - 1, rect_.bottom - 3);
  const bool enabled = GetEnabled();
  if (enabled && focused_) dc->FillSolidRect(&field, ::GetSysColor(COLOR_HIGHLIGHT));
  std::wstring text = GetEditText();
  int colour = enabled ? (focused_ ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT) : COLOR_GRAYTEXT;
  if (text.empty() && enabled && !focused_) {
    text = hint_;
    colour = COLOR_GRAYTEXT;
  }
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(::GetSysColor(colour));
  ::DrawTextW(dc->GetSafeHdc(), text.c_str(), static_cast<int>(text.size()), &field,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CTKControlComboBox::Copy(const CTKControl* source, bool deep) {
  if (source->IsKindOf(RUNTIME_CLASS(CTKControlComboBox))) {
    const CTKControlComboBox* combo = static_cast<const CTKControlComboBox*>(source);
    edit_style_ = combo->edit_style_;
    combo_style_ = combo->combo_style_;
    text_ = combo->text_;
    hint_ = combo->hint_;
    drop_down_ = combo->drop_down_;
    auto_complete_ = combo->auto_complete_;
    shell_flags_ = combo->shell_flags_;
    edit_icon_id_ = combo->edit_icon_id_;
    drop_down_count_ = combo->drop_down_count_;
  }
  CTKControlPopup::Copy(source, deep);
}

void CTKControlComboBox::DoPropExchange(CTKPropExchange* px) {
  CTKControlPopup::DoPropExchange(px);
  const int schema = px->GetSchema();
  BOOL dropDown = drop_down_, autoComplete = auto_complete_;
  int style = combo_style_, flags = static_cast<int>(shell_flags_), icon = edit_icon_id_, count = drop_down_count_,
      editStyle = static_cast<int>(edit_style_);
  CString hint(hint_.c_str());
  PropExchangeBool(px, L"DropDown", &dropDown, TRUE);
  PropExchangeInt(px, L"Width", &width_, 0);
  PropExchangeInt(px, L"ComboStyle", &style, 0);
  if (schema > 8) {
    PropExchangeString(px, L"EditHint", &hint, L"");
    PropExchangeInt(px, L"ShellAutoCompleteFlags", &flags, 0);
    PropExchangeBool(px, L"AutoComplete", &autoComplete, FALSE);
    PropExchangeInt(px, L"EditIconId", &icon, 0);
    PropExchangeInt(px, L"DropDownItemCount", &count, 12);
  }
  if (schema > 16) PropExchangeInt(px, L"EditStyle", &editStyle, 0);
  if (px->IsStoring()) return;
  if (count < 1 || count > CTKControlComboBoxList::kMaxItems) throw CArchiveException(CArchiveException::badSchema);
  combo_style_ = style;
  hint_.assign(hint.GetString(), static_cast<size_t>(hint.GetLength()));
  auto_complete_ = autoComplete != FALSE;
  edit_icon_id_ = icon;
  drop_down_count_ = count;
  edit_style_ = static_cast<DWORD>(editStyle);
  SetDropDownListStyle(dropDown == FALSE);
  EnableShellAutoComplete(static_cast<DWORD>(flags));
}
