#include "toolkit/commandbars/control_edit.h"

#include <climits>
#include <cwctype>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/auto_complete.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKControlEdit, CTKControl)

namespace {
thread_local int t_focused_edits = 0;
}  // namespace

bool TKSpinValue(const std::wstring& text, int step, int direction, int* value) {
  if (step < 1 || direction == 0 || !value) return false;
  // The leading whole number, saturated at the ends of the 32-bit range while it is read.
  size_t i = 0;
  while (i < text.size() && std::iswspace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  long long number = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    number = number * 10 + (text[i] - L'0');
    if (number > limit) number = limit;
  }
  if (negative) number = -number;
  const long long s = step;
  long long v = number + (direction > 0 ? s : -s);
  const long long rest = ((v % s) + s) % s;
  if (rest) v += direction > 0 ? s - rest : -rest;
  // At the ends of the range: the last multiple of the step inside it.
  if (v > INT_MAX) v = INT_MAX - (static_cast<long long>(INT_MAX) % s);
  if (v < INT_MIN) v = INT_MIN + ((-static_cast<long long>(INT_MIN)) % s);
  *value = static_cast<int>(v);
  return true;
}

int TKSpinStepFor(DWORD elapsed) {
  if (elapsed >= 5120) return 20;
  if (elapsed >= 2048) return 5;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// The edit window

CTKCommandBar* CTKControlEditCtrl::GetOwnerBar() const { return owner_ ? owner_->GetParent() : nullptr; }

LRESULT CTKControlEditCtrl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = CTKEdit::WindowProc(message, wparam, lparam);
  if (message == WM_SETFOCUS) owner_->OnEditFocus(true);
  if (message == WM_KILLFOCUS) owner_->OnEditFocus(false);
  return result;
}

bool CTKControlEditCtrl::OnChildNotify(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE) {
    owner_->OnEditChanged();
    if (result) *result = 0;
    return true;
  }
  return CTKEdit::OnChildNotify(message, wparam, lparam, result);
}

// ---------------------------------------------------------------------------------------------
// The control

CTKControlEdit::CTKControlEdit() {
  type_ = kEdit;
  width_ = 100;
}

CTKControlEdit::~CTKControlEdit() {
  if (focused_) --t_focused_edits;
}

bool CTKControlEdit::ShowsHint() const { return !hint_.empty() && text_.empty() && !focused_; }

std::wstring CTKControlEdit::CurrentText() {
  if (edit_ && edit_->GetSafeHwnd() && text_stale_) {
    std::wstring shown = edit_->GetText();
    text_ = (!hint_.empty() && shown == hint_) ? std::wstring() : shown;
    text_stale_ = false;
  }
  return text_;
}

void CTKControlEdit::PutText(const std::wstring& text) {
  text_ = text;
  text_stale_ = false;
  if (!edit_ || !edit_->GetSafeHwnd()) return;
  setting_text_ = true;
  edit_->SetText(ShowsHint() ? hint_ : text_);
  setting_text_ = false;
  text_stale_ = false;
  ApplyColors();
}

void CTKControlEdit::PutHint(const std::wstring& hint) {
  CurrentText();
  hint_ = hint;
  PutText(text_);
}

void CTKControlEdit::MakeReadOnly(bool on) {
  read_only_ = on;
  if (edit_ && edit_->GetSafeHwnd()) edit_->SendMessage(EM_SETREADONLY, on ? TRUE : FALSE, 0);
}

void CTKControlEdit::ShowSpinButtons(bool on) {
  if (spin_ == on) return;
  spin_ = on;
  reposition_ = true;
  DelayLayoutParent();
}

bool CTKControlEdit::LabelShown() const {
  if (parent_ && parent_->GetType() == kPopupBar) return true;
  if (GetCaption().empty()) return false;
  const int style = GetStyle();
  if (style == 1 || style == 3 || style == 4) return true;
  return show_label_;
}

CRect CTKControlEdit::SpinArea() const {
  if (!spin_) return CRect();
  return CRect(rect_.right - 18, rect_.top + 1, rect_.right - 1, rect_.bottom - 1);
}

void CTKControlEdit::ApplyColors() {
  if (!edit_ || !edit_->GetSafeHwnd()) return;
  CTKPaintManager* pm = GetPaintManager();
  const bool grey = !GetEnabled() || ShowsHint();
  edit_->SetColors(::GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT), pm->ResolveColor(pm->EditAreaBackIndex(this)));
}

void CTKControlEdit::SetParent(CTKCommandBar* bar) {
  if (bar != parent_ && edit_) {
    // The window belongs to the old bar's window.
    CurrentText();
    edit_.reset();
  }
  CTKControl::SetParent(bar);
}

void CTKControlEdit::SetRect(const CRect& rc) {
  const bool moved = rc != rect_;
  CTKControl::SetRect(rc);
  if (!parent_ || !parent_->GetSafeHwnd()) return;
  HWND bar = parent_->GetSafeHwnd();
  if (edit_ && edit_->GetSafeHwnd() && ::GetParent(edit_->GetSafeHwnd()) != bar) {
    CurrentText();
    edit_.reset();
  }
  const bool created = !edit_ || !edit_->GetSafeHwnd();
  if (!moved && !created && !reposition_) return;
  reposition_ = false;
  label_width_ = 0;
  if (LabelShown()) {
    CClientDC dc(parent_->GetSafeHwnd());
    KestrinWinNS::CSelectObject font(dc, GetPaintManager()->BarFontFor(parent_, false)->GetSafeHandle());
    SIZE extent{};
    const std::wstring caption = GetCaption();
    ::GetTextExtentPoint32W(dc.GetSafeHdc(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    label_width_ = extent.cx + 5;
  }
  if (created) {
    edit_.reset(CreateEditCtrl());
    const DWORD style = edit_style_ | WS_CHILD | ES_AUTOHSCROLL;
    if (!edit_->CreateEdit(style, CRect(0, 0, 0, 0), bar, 0)) {
      edit_.reset();
      return;
    }
    if (!GetEnabled()) edit_->EnableWindow(false);
    TKApplyShellAutoComplete(edit_->GetSafeHwnd(), auto_complete_flags_);
  }
  edit_->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetPaintManager()->BarFontFor(parent_, false)->GetSafeHandle()), 0);
  edit_->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  PutText(text_);
  edit_->SendMessage(EM_SETREADONLY, read_only_ ? TRUE : FALSE, 0);
  edit_->SetOpaqueAlpha(GetPaintManager()->ControlNeedsOpaqueAlpha(this));
  const CRect box(rect_.left + label_width_ + 4, rect_.top + 3, rect_.right - (spin_ ? 20 : 3), rect_.bottom - 3);
  ::SetWindowPos(edit_->GetSafeHwnd(), nullptr, box.left, box.top, box.Width(), box.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | (IsVisible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void CTKControlEdit::SetEnabled(bool enabled) {
  CTKControl::SetEnabled(enabled);
  if (edit_ && edit_->GetSafeHwnd()) {
    edit_->EnableWindow(GetEnabled());
    ApplyColors();
  }
}

void CTKControlEdit::SetHideFlags(int flags) {
  CTKControl::SetHideFlags(flags);
  if (edit_ && edit_->GetSafeHwnd()) ::ShowWindow(edit_->GetSafeHwnd(), IsVisible() ? SW_SHOWNA : SW_HIDE);
}

void CTKControlEdit::TakeFocus(bool on) {
  if (on == focused_) return;
  CTKCommandBar* bar = parent_;
  if (on) {
    saved_text_ = CurrentText();
    focused_ = true;
    ++t_focused_edits;
    if (bar && bar->GetSafeHwnd()) {
      bar->SetTrackingMode(1, false, false);
      bar->SetHotControl(index_, CTKCommandBar::kHotProgram);
    }
    PutText(text_);  // the hint goes while the box has the focus
    if (edit_ && edit_->GetSafeHwnd() && ::GetFocus() != edit_->GetSafeHwnd()) ::SetFocus(edit_->GetSafeHwnd());
    NotifySite(kNotifyGotFocus);
  } else {
    CurrentText();
    focused_ = false;
    --t_focused_edits;
    if (edit_ && edit_->GetSafeHwnd() && ::GetFocus() == edit_->GetSafeHwnd() && bar) {
      HWND owner = bar->GetOwnerSite();
      ::SetFocus(owner);
    }
    PutText(text_);  // an empty box shows the hint again
    NotifySite(kNotifyLostFocus);
  }
  RedrawParent();
}

void CTKControlEdit::OnEditFocus(bool gained) {
  if (gained != focused_) TakeFocus(gained);
}

void CTKControlEdit::OnEditChanged() {
  if (setting_text_) return;
  text_stale_ = true;
  NotifySite(kNotifyTextChanged);
}

void CTKControlEdit::OnClick(bool keyboard, CPoint pt) {
  if (!GetEnabled() || IsCustomizeMode()) return;
  if (keyboard) {
    if (focused_)
      OnExecute();
    else
      TakeFocus(true);
    return;
  }
  if (spin_ && SpinArea().PtInRect(pt)) {
    RunSpinLoop(pt);
    return;
  }
  TakeFocus(true);
}

void CTKControlEdit::OnMouseMove(CPoint point) {
  if (!spin_) return;
  const CRect area = SpinArea();
  int state = selected_;
  if (area.PtInRect(point))
    state = point.y < area.CenterPoint().y ? 3 : 4;
  else if (selected_ == 3 || selected_ == 4)
    state = 1;
  if (state != selected_) {
    selected_ = state;
    RedrawParent();
  }
}

bool CTKControlEdit::SpinBy(int step, int direction) {
  if (step < 1 || direction == 0) return false;
  direction = direction > 0 ? 1 : -1;
  spin_delta_ = step * direction;
  if (NotifySite(direction > 0 ? kNotifySpinUp : kNotifySpinDown)) return false;
  int value = 0;
  if (!TKSpinValue(CurrentText(), step, direction, &value)) return false;
  PutText(std::to_wstring(value));
  NotifySite(kNotifyExecute);
  return true;
}

void CTKControlEdit::RunSpinLoop(CPoint pt) {
  CTKCommandBar* bar = parent_;
  HWND hwnd = bar ? bar->GetSafeHwnd() : nullptr;
  if (!hwnd) return;
  bar->SetHotControl(-1, CTKCommandBar::kHotProgram);
  bar->SetHotControl(index_, CTKCommandBar::kHotProgram);
  const CRect area = SpinArea();
  const int middle = area.CenterPoint().y;
  const int direction = pt.y < middle ? 1 : -1;
  const CRect half = direction > 0 ? CRect(area.left, area.top, area.right, middle)
                                   : CRect(area.left, middle, area.right, area.bottom);
  const int state = direction > 0 ? 3 : 4;
  AddRef();
  pressed_ = state;
  selected_ = state;
  RedrawParent();
  SpinBy(1, direction);
  ::SetCapture(hwnd);
  TKSetTimer(hwnd, kSpinTimer, kSpinFirstDelay);
  DWORD start = TKGetTickCount();
  bool inside = true, first = true;
  MSG msg;
  // Waits for each message; ends on the button's release, a lost capture, a cancel key or the
  // quit message (posted again for the loop that runs the thread).
  while (TKNextLoopMessage(hwnd, msg) == CTKLoopWake::kMessage) {
    if (msg.message == WM_LBUTTONUP || TKIsCancelMessage(msg)) break;
    if (msg.message == WM_MOUSEMOVE && msg.hwnd == hwnd) {
      const bool now = half.PtInRect(TKMessagePoint(msg, hwnd)) != FALSE;
      if (now != inside) {
        inside = now;
        selected_ = inside ? state : 1;
        start = TKGetTickCount();
        RedrawParent();
      }
      continue;
    }
    if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == kSpinTimer) {
      if (inside) SpinBy(TKSpinStepFor(TKGetTickCount() - start), direction);
      if (first) {
        first = false;
        TKSetTimer(hwnd, kSpinTimer, kSpinRepeatDelay);
      }
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  TKKillTimer(hwnd, kSpinTimer);
  pressed_ = 0;
  if (::GetCapture() == hwnd) ::ReleaseCapture();
  if (::IsWindow(hwnd)) {
    RedrawParent();
    if (bar->GetType() != kPopupBar) bar->SetTrackingMode(0, false, false);
  }
  Release();
}

bool CTKControlEdit::OnHookKeyDown(UINT key) {
  if (!focused_ || !edit_ || !edit_->GetSafeHwnd()) return false;
  if (edit_->IsComposing()) return false;
  switch (key) {
    case VK_RETURN:
      return false;  // the bar runs the control
    case VK_ESCAPE: {
      PutText(saved_text_);
      TakeFocus(false);
      return parent_ && parent_->GetType() == kPopupBar;
    }
    default:
      break;
  }
  if (::GetKeyState(VK_MENU) < 0 && ::GetKeyState(VK_CONTROL) >= 0 && parent_) {
    bool ambiguous = false;
    const int found = parent_->FindAccelerator(key, &ambiguous);
    if (found >= 0) {
      TakeFocus(false);
      parent_->SetHotControl(found, CTKCommandBar::kHotKeyForward);
      if (!ambiguous)
        if (CTKControl* control = parent_->GetControl(found)) control->OnUnderlineActivate();
      return true;
    }
  }
  if ((key == VK_UP || key == VK_DOWN) && spin_) {
    SpinBy(1, key == VK_UP ? 1 : -1);
    edit_->SendMessage(EM_SETSEL, 0, -1);
    edit_->SendMessage(EM_SCROLLCARET, 0, 0);
    return true;
  }
  return edit_->OnEditKey(key);
}

void CTKControlEdit::Draw(CDC* dc) {
  CTKControl::Draw(dc);
  if (spin_) GetPaintManager()->PaintSpinButtons(dc, SpinArea(), GetEnabled(), selected_, pressed_);
}

void CTKControlEdit::Copy(const CTKControl* source, bool deep) {
  if (source->IsKindOf(RUNTIME_CLASS(CTKControlEdit))) {
    const CTKControlEdit* edit = static_cast<const CTKControlEdit*>(source);
    edit_style_ = edit->edit_style_;
    text_ = const_cast<CTKControlEdit*>(edit)->CurrentText();
    show_label_ = edit->show_label_;
    read_only_ = edit->read_only_;
    hint_ = edit->hint_;
    auto_complete_flags_ = edit->auto_complete_flags_;
    spin_ = edit->spin_;
  }
  CTKControl::Copy(source, deep);
}

void CTKControlEdit::UseAutoComplete(DWORD flags) {
  auto_complete_flags_ = flags;
  if (edit_ && edit_->GetSafeHwnd()) TKApplyShellAutoComplete(edit_->GetSafeHwnd(), flags);
}

void CTKControlEdit::DoPropExchange(CTKPropExchange* px) {
  CTKControl::DoPropExchange(px);
  const int schema = px->GetSchema();
  BOOL label = show_label_, readOnly = read_only_, spin = spin_;
  CString hint(hint_.c_str());
  int flags = static_cast<int>(auto_complete_flags_), style = static_cast<int>(edit_style_);
  if (schema > 5) {
    PropExchangeBool(px, L"HasLabel", &label, FALSE);
    PropExchangeInt(px, L"Width", &width_, 0);
  }
  if (schema > 7) PropExchangeBool(px, L"ReadOnly", &readOnly, FALSE);
  if (schema > 8) {
    PropExchangeString(px, L"EditHint", &hint, L"");
    PropExchangeInt(px, L"ShellAutoCompleteFlags", &flags, 0);
  }
  if (schema > 16) PropExchangeInt(px, L"EditStyle", &style, 0);
  if (schema > 18) PropExchangeBool(px, L"ShowSpinButtons", &spin, FALSE);
  if (px->IsStoring()) return;
  show_label_ = label != FALSE;
  read_only_ = readOnly != FALSE;
  hint_.assign(hint.GetString(), static_cast<size_t>(hint.GetLength()));
  edit_style_ = static_cast<DWORD>(style);
  spin_ = spin != FALSE;
  UseAutoComplete(static_cast<DWORD>(flags));
}
