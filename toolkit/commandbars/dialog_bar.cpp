#include "toolkit/commandbars/dialog_bar.h"

#include <algorithm>

#include "platform/appframe/dc.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/win/gdi.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKDialogBar, CTKCommandBar)

// ---------------------------------------------------------------------------------------------
// Caption controls

CTKDialogBar::CControlButtonHide::CControlButtonHide() { flags_ = 26; }

void CTKDialogBar::CControlButtonHide::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  CTKPaintManager::ItemState state = pm->StateOf(this);
  if (state.selected || state.pressed) pm->PaintStateRect(dc, rect_, state);
  const int height = -::MulDiv(80, ::GetDeviceCaps(*dc, LOGPIXELSY), 96) * ::GetDeviceCaps(*dc, LOGPIXELSY) / 720;
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
  CTKCommandBar* bar = GetParent();
  if (!bar || !bar->GetSafeHwnd()) return;
  if (CFrameWnd* frame = bar->GetDockingFrame())
    frame->ShowControlBar(bar, false, false);
  else
    ::ShowWindow(bar->GetSafeHwnd(), SW_HIDE);
}

CTKDialogBar::CControlCaptionPopup::CControlCaptionPopup() {
  type_ = kPopupControl;
  flags_ = 30;
}

void CTKDialogBar::CControlCaptionPopup::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  CTKDialogBar* bar = static_cast<CTKDialogBar*>(GetParent());
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
// The bar

CTKDialogBar::CTKDialogBar() {
  type_ = kToolBar;
  customizable_ = false;
}

CTKDialogBar::~CTKDialogBar() {
  if (popup_bar_) popup_bar_->Release();
}

CTKDialogBar::CCaptionPopupBar::CCaptionPopupBar() { SetFlags(2); }

bool CTKDialogBar::CCaptionPopupBar::Popup(CTKControl* control, bool selectFirst) {
  SetFlags(3, ~3u);
  return CTKPopupBar::Popup(control, selectFirst);
}

CTKDialogBar::CCaptionPopupBar* CTKDialogBar::GetCaptionPopupBar() {
  if (!popup_bar_) {
    popup_bar_ = new CCaptionPopupBar;
    popup_bar_->SetCommandBarManager(GetCommandBarManager());
  }
  return popup_bar_;
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

CSize CTKDialogBar::CalcSize(int length, DWORD mode) {
  const CSize client = position_ == kFloating ? floating_size_ : docked_size_;
  caption_height_ = show_caption_ ? MeasureCaptionHeight() : 0;
  CSize size(client.cx + borders_.left + borders_.right, client.cy + borders_.top + borders_.bottom + caption_height_);
  if (mode & CTKControls::kLayoutStretch) {
    if (mode & CTKControls::kLayoutVertical)
      size.cy = std::max(static_cast<int>(size.cy), length);
    else
      size.cx = std::max(static_cast<int>(size.cx), length);
  }
  if (mode & CTKControls::kLayoutCommit) {
    LayoutCaptionRow(size);
    PlaceClient(size);
  }
  return size;
}

void CTKDialogBar::LayoutCaptionRow(CSize size) {
  if (!caption_control_) {
    caption_control_ = new CControlCaptionPopup;
    GetControls()->Add(caption_control_, kCaptionCommand);
    caption_control_->Release();
  }
  if (!hide_) {
    hide_ = new CControlButtonHide;
    GetControls()->Add(hide_, kHideCommand);
    hide_->Release();
  }
  hide_->SetHideFlag(kHideShow, !hide_enabled_ || !show_caption_);
  caption_control_->SetHideFlag(kHideShow, !show_caption_);
  const int top = borders_.top + caption_height_ / 2 - 8;
  const int right = size.cx - borders_.right;
  const CRect hide(right - 16, top, right, top + 16);
  hide_->SetRect(hide_enabled_ ? hide : CRect());
  caption_control_->SetRect(CRect(borders_.left, top, hide_enabled_ ? hide.left : right, top + 16));
  caption_control_->SetCaption(GetCaptionText());
  caption_control_->SetPopupAllowed(caption_popup_ && popup_bar_ && popup_bar_->GetControlCount() > 0);
  if (caption_control_->IsPopupAllowed())
    caption_control_->SetCommandBar(popup_bar_);
}

void CTKDialogBar::PlaceClient(CSize size) {
  if (!client_ || !::IsWindow(client_)) return;
  const CRect at(borders_.left, borders_.top + caption_height_, size.cx - borders_.right, size.cy - borders_.bottom);
  ::SetWindowPos(client_, nullptr, at.left, at.top, std::max(0, at.Width()), std::max(0, at.Height()),
                 SWP_NOACTIVATE | SWP_NOZORDER);
  ::InvalidateRect(client_, nullptr, FALSE);
}

int CTKDialogBar::ResizeHitTest(CPoint screen) const {
  if (!resizable_ || !GetSafeHwnd()) return 0;
  CRect rc;
  ::GetWindowRect(GetSafeHwnd(), &rc);
  if (!rc.PtInRect(screen)) return 0;
  rc.DeflateRect(3, 3);
  const bool above = screen.y < rc.top, below = screen.y >= rc.bottom;
  const bool left = screen.x < rc.left, right = screen.x >= rc.right;
  // Sides the bar may not stretch to when docked.
  const DWORD stretch = GetBarStyle();
  const bool fixed_horz = (stretch & CBRS_SIZE_FIXED) != 0;
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
      if (below && !fixed_horz) return HTBOTTOM;
      break;
    default:
      return 0;
  }
  if (position_ != kRight && right && !fixed_horz) return HTRIGHT;
  if (position_ == kRight && left) return HTLEFT;
  return 0;
}

bool CTKDialogBar::ResizeTo(const CRect& rect, int edge) {
  const int caption = show_caption_ ? caption_height_ : 0;
  const CSize client(rect.Width() - borders_.left - borders_.right,
                     rect.Height() - borders_.top - borders_.bottom - caption);
  if (client.cx < min_client_.cx || client.cy < min_client_.cy) return false;
  if (position_ == kFloating) {
    floating_size_ = client;
    if (GetSafeHwnd())
      ::SetWindowPos(GetSafeHwnd(), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    CalcSize(rect.Width(), CTKControls::kLayoutCommit);
    if (GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  } else {
    if (edge == HTLEFT || edge == HTRIGHT)
      docked_size_.cx = client.cx;
    else
      docked_size_.cy = client.cy;
    if (m_pDockSite)
      m_pDockSite->RecalcLayout();
    else
      CalcSize(rect.Width(), CTKControls::kLayoutCommit);
  }
  return true;
}

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
  CTKCommandBar::OnIdleUpdate();
  EnableCaptionControls();
}

void CTKDialogBar::OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) {
  UpdateActiveState();
  CTKCommandBar::OnUpdateCmdUI(target, disable_if_no_handler);
  EnableCaptionControls();
}

void CTKDialogBar::EnableCaptionControls() {
  // The caption row's commands are the bar's own: no handler on the route disables them.
  if (hide_ && !hide_->GetEnabled()) hide_->SetEnabled(true);
  if (caption_control_ && !caption_control_->GetEnabled()) caption_control_->SetEnabled(true);
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
    if (!control->IsVisible() || !meet.IntersectRect(control->GetRect(), clip)) continue;
    KestrinWinNS::CSelectObject font(*dc, pm->RegularFont().GetSafeHandle());
    control->Draw(dc);
  }
}

LRESULT CTKDialogBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCHITTEST: {
      const int edge = ResizeHitTest(CPoint(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))));
      if (edge) return edge;
      break;
    }
    case WM_SIZING: {
      // The system's sizing loop proposes a rectangle; a refused one keeps the last allowed.
      RECT* proposed = reinterpret_cast<RECT*>(lparam);
      CRect now;
      ::GetWindowRect(GetSafeHwnd(), &now);
      HWND parent = ::GetParent(GetSafeHwnd());
      CRect in_parent(*proposed);
      if (parent) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&in_parent), 2);
      if (!ResizeTo(in_parent, static_cast<int>(wparam) + 9)) *proposed = now;
      return TRUE;
    }
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
  return CTKCommandBar::WindowProc(message, wparam, lparam);
}
