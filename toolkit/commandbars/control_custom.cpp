#include "toolkit/commandbars/control_custom.h"

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/drawing/prop_exchange.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKControlCustom, CTKControlButton)

CTKControlCustom::CTKControlCustom() {
  type_ = kCustom;
  flags_ = kFlagNoCustomize;
}

CTKControlCustom::~CTKControlCustom() {
  if (hwnd_) CTKHookManager::Instance().RemoveHook(hwnd_, this);
}

void CTKControlCustom::SetControl(HWND hwnd) {
  if (hwnd_ == hwnd) return;
  if (hwnd_) CTKHookManager::Instance().RemoveHook(hwnd_, this);
  hwnd_ = hwnd;
  if (hwnd_) {
    CTKHookManager::Instance().SetHook(hwnd_, this);
    if (size_.cx == 0 && size_.cy == 0) {
      RECT rc;
      ::GetWindowRect(hwnd_, &rc);
      size_ = CSize(rc.right - rc.left, rc.bottom - rc.top);
    }
  }
  DelayLayoutParent();
}

bool CTKControlCustom::HasVisibleWindow() const { return hwnd_ && ::IsWindow(hwnd_) && window_shown_; }

CSize CTKControlCustom::GetSize(CDC* dc) {
  if (HasVisibleWindow())
    return CSize(size_.cx + borders_.left + borders_.right, size_.cy + borders_.top + borders_.bottom);
  return CTKControlButton::GetSize(dc);
}

void CTKControlCustom::PlaceWindow() {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  HWND bar = parent_ ? parent_->GetSafeHwnd() : nullptr;
  if (bar && ::GetParent(hwnd_) != bar) {
    LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    ::SetParent(hwnd_, bar);
  }
  const CRect at(rect_.left + borders_.left, rect_.top + borders_.top, rect_.right - borders_.right,
                 rect_.bottom - borders_.bottom);
  ::SetWindowPos(hwnd_, nullptr, at.left, at.top, at.Width(), at.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  const bool show = window_shown_ && IsVisible() && !rect_.IsRectEmpty();
  ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void CTKControlCustom::SetRect(const CRect& rc) {
  HWND bar = parent_ ? parent_->GetSafeHwnd() : nullptr;
  if (rc == rect_ && hwnd_ && (!bar || ::GetParent(hwnd_) == bar)) return;
  rect_ = rc;
  PlaceWindow();
}

void CTKControlCustom::SetHideFlags(int flags) {
  CTKControlButton::SetHideFlags(flags);
  PlaceWindow();
}

void CTKControlCustom::OnOrientationChanged(DWORD flags) {
  const bool vertical = (flags & 0x10) != 0;
  if (vertical_options_ == kVerticalHide) {
    SetHideFlags(vertical ? (hide_flags_ | kHideVertical) : (hide_flags_ & ~kHideVertical));
  } else if (vertical_options_ == kVerticalHideWindow) {
    window_shown_ = !vertical;
    PlaceWindow();
  }
  DelayLayoutParent();
}

void CTKControlCustom::SetEnabled(bool enabled) {
  CTKControlButton::SetEnabled(enabled);
  if (hwnd_ && ::IsWindow(hwnd_)) ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
  RedrawParent();
}

void CTKControlCustom::Draw(CDC* dc) {
  if (!HasVisibleWindow()) CTKControlButton::Draw(dc);
}

void CTKControlCustom::OnClick(bool keyboard, CPoint pt) {
  if (!HasVisibleWindow() || IsCustomizeMode()) CTKControlButton::OnClick(keyboard, pt);
}

void CTKControlCustom::Copy(const CTKControl* source, bool deep) {
  if (const auto* other = dynamic_cast<const CTKControlCustom*>(source)) {
    borders_ = other->borders_;
    vertical_options_ = other->vertical_options_;
    size_ = other->size_;
    SetControl(other->hwnd_);
    control_id_ = other->control_id_;
  }
  CTKControlButton::Copy(source, deep);
}

int CTKControlCustom::OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (message == WM_MOUSEMOVE && parent_ && parent_->GetSafeHwnd()) {
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::MapWindowPoints(hwnd, parent_->GetSafeHwnd(), &pt, 1);
    ::SendMessageW(parent_->GetSafeHwnd(), WM_MOUSEMOVE, wParam, MAKELPARAM(pt.x, pt.y));
  }
  return kGoOn;
}

void CTKControlCustom::DoPropExchange(CTKPropExchange* px) {
  CTKControlButton::DoPropExchange(px);
  const RECT none{};
  const SIZE zero{};
  const int zero_int = 0;
  RECT borders = borders_;
  SIZE size = size_;
  int options = vertical_options_;
  int id = control_id_;
  px->TransferValue(L"Borders", CTKPropExchange::kRect, &borders, &none);
  px->TransferValue(L"ControlSize", CTKPropExchange::kSize, &size, &zero);
  px->TransferValue(L"VerticalOptions", CTKPropExchange::kInt, &options, &zero_int);
  if (px->GetSchema() > 5) px->TransferValue(L"ControlId", CTKPropExchange::kInt, &id, &zero_int);
  if (px->IsLoading()) {
    borders_ = borders;
    size_ = size;
    vertical_options_ = options;
    control_id_ = px->GetSchema() > 5 ? id : 0;
  }
}

HWND CTKControlCustom::FindControlWindow(HWND site) {
  if (control_id_ == 0 || !site) return nullptr;
  for (HWND frame = site; frame; frame = ::GetParent(frame)) {
    if (HWND found = ::GetDlgItem(frame, control_id_)) {
      SetControl(found);
      return found;
    }
  }
  return nullptr;
}
