#include "toolkit/commandbars/dialog_bar.h"

#include <algorithm>

#include "platform/appframe/dc.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKDialogBar, CTKToolBar)

// ---------------------------------------------------------------------------------------------
// Caption controls

CTKDialogBar::CControlButtonHide::CControlButtonHide() {
  id_ = kHideCommand;
  type_ = kButton;
  flags_ = 26;
}

void CTKDialogBar::CControlButtonHide::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  CTKPaintManager::ItemState state = pm->StateOf(this);
  if (state.selected || state.pressed) pm->PaintStateRect(dc, rect_, state);
  // 8 points at the screen's vertical resolution, in tenths of a point.
  const int dpi = ::GetDeviceCaps(*dc, LOGPIXELSY);
  const int height = -::MulDiv(80, dpi, 96) * dpi / 720;
  CFont marlett;
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfCharSet = SYMBOL_CHARSET;
  wcscpy_s(lf.lfFaceName, L"Marlett");
  marlett.CreateFontIndirect(&lf);
  KestrinWinNS::CSelectObject font(*dc, marlett.GetSafeHandle());
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(pm->ResolveColor(pm->TextColorForState(state)));
  CRect rc = rect_;
  ::DrawTextW(*dc, L"r", 1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CTKDialogBar::CControlButtonHide::OnExecute() {
  if (CTKToolBar* bar = dynamic_cast<CTKToolBar*>(GetParent())) bar->SetVisible(false);
}

CTKDialogBar::CControlCaptionPopup::CControlCaptionPopup() {
  id_ = kCaptionCommand;
  type_ = kPopupControl;
  flags_ = 30;
}

void CTKDialogBar::CControlCaptionPopup::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  CTKDialogBar* bar = dynamic_cast<CTKDialogBar*>(GetParent());
  const std::wstring text = bar ? bar->GetCaptionText() : GetCaption();
  CRect rc = rect_;
  rc.left += 2;
  const COLORREF colour = (GetSelected() && popup_allowed_) ? pm->ResolveColor(pm->TextColorForState(pm->StateOf(this)))
                                                          : pm->ResolveColor(18);
  if (popup_allowed_) {
    rc.right -= 13;
    const int mid = rect_.top + rect_.Height() / 2;
    const POINT triangle[3] = {{rect_.right - 13, mid - 2}, {rect_.right - 5, mid - 2}, {rect_.right - 9, mid + 2}};
    CBrush brush(colour);
    CPen pen(PS_SOLID, 1, colour);
    KestrinWinNS::CSelectObject select_brush(*dc, brush.GetSafeHandle());
    KestrinWinNS::CSelectObject select_pen(*dc, pen.GetSafeHandle());
    ::Polygon(*dc, triangle, 3);
  }
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(colour);
  ::DrawTextW(*dc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CTKDialogBar::CControlCaptionPopup::OnClick(bool keyboard, CPoint pt) {
  // Without commands to show the caption cannot be pressed.
  if (!popup_allowed_) return;
  CTKControlPopup::OnClick(keyboard, pt);
}

// ---------------------------------------------------------------------------------------------
// The caption popup

CTKDialogBar::CCaptionPopupBar::CCaptionPopupBar() { direction_ = kDirDrop; }

void CTKDialogBar::CCaptionPopupBar::UpdateExcludeAndDirection() {
  CTKControl* owner = GetParentControl();
  CTKCommandBar* bar = owner ? owner->GetParent() : nullptr;
  if (!bar || !bar->GetSafeHwnd()) return;
  // The caption control's own rectangle is kept clear, whatever side the bar lies on.
  exclude_ = owner->GetRect();
  ::MapWindowPoints(bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&exclude_), 2);
  exclude_.NormalizeRect();
  direction_ = kDirLeft | kDirDrop;
  point_ = POINT{exclude_.left, exclude_.bottom};
}

// ---------------------------------------------------------------------------------------------
// The bar

CTKDialogBar::CTKDialogBar() {
  customizable_ = false;
  // The caption row has a hide button of its own; nothing is hidden by the bar's length.
  show_hide_button_ = false;
  show_expand_button_ = false;
}

CTKDialogBar::~CTKDialogBar() {
  if (popup_bar_) popup_bar_->Release();
}

CTKDialogBar::CCaptionPopupBar* CTKDialogBar::GetCaptionPopupBar() {
  if (!popup_bar_) {
    popup_bar_ = new CCaptionPopupBar;
    popup_bar_->SetCommandBarManager(GetCommandBarManager());
  }
  return popup_bar_;
}

CTKDialogBar::CControlButtonHide* CTKDialogBar::GetHideButton() const {
  return FindOwnControl<CControlButtonHide>(kHideCommand);
}

CTKDialogBar::CControlCaptionPopup* CTKDialogBar::GetCaptionControl() const {
  return FindOwnControl<CControlCaptionPopup>(kCaptionCommand);
}

void CTKDialogBar::SetClientWindow(HWND hwnd) {
  client_ = hwnd;
  if (client_ && GetSafeHwnd() && ::GetParent(client_) != GetSafeHwnd()) {
    LONG_PTR style = ::GetWindowLongPtrW(client_, GWL_STYLE);
    ::SetWindowLongPtrW(client_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP | WS_CAPTION)) | WS_CHILD);
    ::SetParent(client_, GetSafeHwnd());
  }
  DelayLayout();
}

int CTKDialogBar::MeasureCaptionHeight() {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  KestrinWinNS::CSelectObject font(dc, GetPaintManager()->RegularFont().GetSafeHandle());
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  return tm.tmHeight;
}

// ---------------------------------------------------------------------------------------------
// Sizes

CSize CTKDialogBar::SizeFor(CSize client, int length, DWORD mode) {
  caption_height_ = show_caption_ ? MeasureCaptionHeight() : 0;
  CSize size(client.cx + borders_.left + borders_.right, client.cy + borders_.top + borders_.bottom + caption_height_);
  // Stretched, the bar is at least as long as its side.
  if (mode & LM_STRETCH) {
    if (mode & (LM_HORZDOCK | LM_HORZ))
      size.cx = std::max<int>(size.cx, length);
    else
      size.cy = std::max<int>(size.cy, length);
  }
  if (mode & LM_COMMIT) {
    Arrange(size);
    if ((pending_ & 1) && GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
    pending_ &= ~1;
  }
  return size;
}

CSize CTKDialogBar::CalcDockingLayout(int length, DWORD mode, int) { return SizeFor(docked_size_, length, mode); }

CSize CTKDialogBar::CalcFloatingLayout(int length, DWORD mode) {
  return SizeFor(dialog_floating_size_, length, mode & ~LM_STRETCH);
}

CSize CTKDialogBar::CalcFloatingSize(int length, DWORD layout) { return CalcFloatingLayout(length, layout); }

void CTKDialogBar::Arrange(CSize size) {
  if (HWND hwnd = GetSafeHwnd()) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    // The window's own size, once it has one: the layout pass may cut or stretch the bar.
    if (rc.right > 0 && rc.bottom > 0) size = CSize(rc.right, rc.bottom);
  }
  LayoutCaptionRow(size);
  PlaceClient(size);
}

void CTKDialogBar::LayoutCaptionRow(CSize size) {
  CControlCaptionPopup* caption = GetCaptionControl();
  if (!caption) {
    // The bar's own making, as the hide button: saved state leaves both out.
    caption = new CControlCaptionPopup;
    controls_->Add(caption, kCaptionCommand, L"", -1, true);
    caption->Release();  // the collection holds it
  }
  CControlButtonHide* hide = GetHideButton();
  if (!hide && hide_enabled_) {
    hide = new CControlButtonHide;
    controls_->Add(hide, kHideCommand, L"", -1, true);
    hide->Release();
  }
  const int top = borders_.top + caption_height_ / 2 - kCaptionButtonSize / 2;
  const int right = size.cx - borders_.right;
  int caption_right = right;
  if (hide) {
    hide->SetHideFlag(kHideShow, !hide_enabled_ || !show_caption_);
    if (hide_enabled_) {
      hide->SetRect(CRect(right - kCaptionButtonSize, top, right, top + kCaptionButtonSize));
      caption_right = right - kCaptionButtonSize;
    } else {
      hide->SetRect(CRect());
    }
  }
  caption->SetHideFlag(kHideShow, !show_caption_);
  caption->SetRect(CRect(borders_.left, top, caption_right, top + kCaptionButtonSize));
  caption->SetCaption(GetCaptionText());
  caption->SetPopupAllowed(caption_popup_ && popup_bar_ && popup_bar_->GetControlCount() > 0);
  if (caption->IsPopupAllowed() && caption->GetCommandBar() != popup_bar_) caption->SetCommandBar(popup_bar_);
}

void CTKDialogBar::PlaceClient(CSize size) {
  if (!client_ || !::IsWindow(client_)) return;
  const CRect at(borders_.left, borders_.top + caption_height_, size.cx - borders_.right, size.cy - borders_.bottom);
  ::SetWindowPos(client_, nullptr, at.left, at.top, std::max(0, at.Width()), std::max(0, at.Height()),
                 SWP_NOACTIVATE | SWP_NOZORDER);
  ::InvalidateRect(client_, nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------------
// Resizing

int CTKDialogBar::ResizeHitTest(CPoint screen) const {
  if (!resizable_ || !GetSafeHwnd()) return 0;
  CRect rc;
  ::GetWindowRect(GetSafeHwnd(), &rc);
  if (!rc.PtInRect(screen)) return 0;
  rc.DeflateRect(3, 3);
  const bool above = screen.y < rc.top, below = screen.y >= rc.bottom;
  const bool left = screen.x < rc.left, right = screen.x >= rc.right;
  // A bar of a fixed size does not stretch away from its side.
  const bool fixed = (GetBarStyle() & CBRS_SIZE_FIXED) != 0;
  switch (position_) {
    case kFloating:
      if (above) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
      if (below) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
      if (left) return HTLEFT;
      if (right) return HTRIGHT;
      return 0;
    case kBottom:
      if (above) return HTTOP;
      break;
    case kTop:
    case kLeft:
    case kRight:
      if (below && !fixed) return HTBOTTOM;
      break;
    default:
      return 0;
  }
  if (position_ != kRight && right && !fixed) return HTRIGHT;
  if (position_ == kRight && left) return HTLEFT;
  return 0;
}

bool CTKDialogBar::ResizeTo(const CRect& rect, int edge) {
  const int caption = show_caption_ ? caption_height_ : 0;
  const CSize client(rect.Width() - borders_.left - borders_.right,
                     rect.Height() - borders_.top - borders_.bottom - caption);
  if (client.cx < min_client_.cx || client.cy < min_client_.cy) return false;
  HWND hwnd = GetSafeHwnd();
  if (position_ == kFloating) {
    dialog_floating_size_ = client;
    if (hwnd) {
      CRect at = rect;
      if (HWND parent = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hwnd) : nullptr)
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&at), 2);
      ::SetWindowPos(hwnd, nullptr, at.left, at.top, at.Width(), at.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CalcFloatingLayout(rect.Width(), LM_HORZ | LM_COMMIT);
    if (hwnd) ::InvalidateRect(hwnd, nullptr, FALSE);
  } else {
    if (edge == HTLEFT || edge == HTRIGHT)
      docked_size_.cx = client.cx;
    else
      docked_size_.cy = client.cy;
    // The frame places the bar at its new size now, so that the drag follows the pointer.
    if (hwnd) {
      TKRecalcSiteLayout(hwnd, true);
      ::InvalidateRect(hwnd, nullptr, FALSE);
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Focus, idle update and drawing

void CTKDialogBar::UpdateActiveState() {
  HWND bar = GetSafeHwnd();
  HWND focus = ::GetFocus();
  bool active = false;
  if (bar && focus) {
    if (focus == bar || ::IsChild(bar, focus)) {
      active = true;
    } else {
      HWND owner = ::GetWindow(focus, GW_OWNER);
      HWND parent = ::GetParent(focus);
      active = (owner && ::IsChild(bar, owner)) || (parent && ::IsChild(bar, parent));
    }
  }
  if (active == active_) return;
  active_ = active;
  if (bar) ::InvalidateRect(bar, nullptr, FALSE);
}

void CTKDialogBar::OnIdleUpdate() {
  UpdateActiveState();
  CTKToolBar::OnIdleUpdate();
  EnableCaptionControls();
}

void CTKDialogBar::OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) {
  UpdateActiveState();
  CTKToolBar::OnUpdateCmdUI(target, disable_if_no_handler);
  EnableCaptionControls();
}

void CTKDialogBar::EnableCaptionControls() {
  // The caption row's commands are the bar's own: no handler on the route disables them.
  if (CControlButtonHide* hide = GetHideButton())
    if (!hide->GetEnabled()) hide->SetEnabled(true);
  if (CControlCaptionPopup* caption = GetCaptionControl())
    if (!caption->GetEnabled()) caption->SetEnabled(true);
}

bool CTKDialogBar::PointInBar(POINT screen) const {
  if (!CTKToolBar::PointInBar(screen)) return false;
  POINT client = screen;
  ::ScreenToClient(GetSafeHwnd(), &client);
  return DragHitTest(CPoint(client)) == 1;
}

void CTKDialogBar::DrawCommandBar(CDC* dc, const CRect& clip) {
  CTKPaintManager* pm = GetPaintManager();
  FillBackground(dc);
  if (show_caption_) {
    const CRect client = GetClientRect();
    const CRect row(borders_.left, borders_.top, client.right - borders_.right, borders_.top + caption_height_);
    dc->FillSolidRect(&row, pm->ResolveColor(active_ ? 31 : 15));
  }
  dc->SetBkMode(TRANSPARENT);
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    CRect meet;
    if (control->GetParent() != this || !control->IsVisible() || !meet.IntersectRect(control->GetRect(), clip)) continue;
    KestrinWinNS::CSelectObject font(*dc, pm->RegularFont().GetSafeHandle());
    control->Draw(dc);
  }
}

// ---------------------------------------------------------------------------------------------
// Messages

bool CTKDialogBar::OnCaptionPress(UINT message, CPoint pt) {
  if (IsCustomizeMode()) return false;
  CTKControl* control = controls_->HitTest(pt);
  const CControlCaptionPopup* caption = GetCaptionControl();
  // A caption control that opens commands, and the hide button, take their own presses.
  if (control && !(control == caption && !caption->IsPopupAllowed())) return false;
  if (DragHitTest(pt) != 1) return true;  // the borders below the caption move nothing
  if (!IsMovable()) return true;
  if (message == WM_LBUTTONDBLCLK) {
    EnableDockContext()->ToggleDocking();
    return true;
  }
  if (tracking_) SetTrackingMode(0, true, false);
  SetHotControl(-1);
  ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  ::ClientToScreen(GetSafeHwnd(), &pt);
  EnableDockContext()->StartMove(pt);
  return true;
}

LRESULT CTKDialogBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCHITTEST: {
      const int edge = ResizeHitTest(CPoint(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))));
      if (edge) return edge;
      break;
    }
    case WM_NCLBUTTONDOWN:
      // Docked or floating, in a dock bar or placed by the frame, the dragged border resizes.
      if (resizable_ && wparam >= HTLEFT && wparam <= HTBOTTOMRIGHT) {
        ::SetWindowPos(GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        if (CTKCommandBarManager* manager = GetCommandBarManager()) manager->HideKeyboardTips();
        EnableDockContext()->StartResize(static_cast<int>(wparam),
                                         POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))});
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (OnCaptionPress(message, CPoint(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)))))
        return 0;
      break;
    case WM_SIZE: {
      // The caption row and the client follow the size the layout gave the window.
      const CSize size(LOWORD(lparam), HIWORD(lparam));
      caption_height_ = show_caption_ ? MeasureCaptionHeight() : 0;
      LayoutCaptionRow(size);
      PlaceClient(size);
      break;
    }
    default:
      break;
  }
  return CTKToolBar::WindowProc(message, wparam, lparam);
}
