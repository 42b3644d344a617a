#include "toolkit/ribbon/ribbon_frame_companion.h"

#include "platform/appframe/frame_wnd.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/paint/office2007_theme.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_theme.h"

namespace {

// Sets the frame's region; the system owns it once it took it.
void SetRegion(HWND frame, KestrinWinNS::CScopedRegion region) {
  if (::SetWindowRgn(frame, region.Get(), TRUE)) region.Take();
}

}  // namespace

CTKRibbonFrameCompanion::CTKRibbonFrameCompanion(HWND frame, CTKRibbonBar* bar, CTKCommandBarManager* site,
                                                 CTKPaintManager* fallback)
    : frame_(frame), bar_(bar), site_(site), fallback_(fallback) {
  RefreshComposition();
}

CTKRibbonFrameCompanion::~CTKRibbonFrameCompanion() = default;

int CTKRibbonFrameCompanion::StyleBorder(HWND frame) {
  RECT outer{0, 0, 100, 100};
  ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongW(frame, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(frame, GWL_EXSTYLE)));
  return -outer.left;
}

void CTKRibbonFrameCompanion::RefreshComposition() {
  composition_ = CTKDwmFunctions::Instance().IsCompositionEnabled() != FALSE;
}

CTKPaintManager* CTKRibbonFrameCompanion::ActivePaintManager() const {
  if (site_) return site_->GetPaintManager();
  return fallback_ ? fallback_ : GlobalPaintManager();
}

bool CTKRibbonFrameCompanion::CaptionFromFrameTheme() const {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(frame_, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(::GetWindowLongW(frame_, GWL_EXSTYLE));
  if ((style & WS_MAXIMIZE) && (ex_style & WS_EX_MDICHILD)) return false;
  if (!bar_ || !bar_->GetSafeHwnd() || !::IsWindowVisible(bar_->GetSafeHwnd()) || !bar_->IsRibbonVisible())
    return true;
  return (style & WS_CHILD) && (style & WS_MINIMIZE);
}

int CTKRibbonFrameCompanion::CaptionBandHeight() const {
  if (!CaptionFromFrameTheme() && bar_) return bar_->CaptionHeight();
  CTKPaintManager* pm = ActivePaintManager();
  int caption = ::GetSystemMetrics(SM_CYCAPTION);
  if (CTKRibbonTheme* ribbon = CTKRibbonTheme::From(pm))
    caption = ribbon->FrameCaptionHeight();
  else if (pm && pm->ThemeNumber() == 5)
    caption = static_cast<TKPaintThemes::CTKOffice2007Theme*>(pm)->CaptionHeight();
  return caption + border_;
}

void CTKRibbonFrameCompanion::RequestFrameRecalc(bool immediate) {
  if (!immediate) {
    if (recalc_posted_) return;
    recalc_posted_ = ::PostMessageW(frame_, TKRibbon::kMsgFrameRecalc, 0, 0) != FALSE;
    return;
  }
  last_width_ = last_height_ = -1;
  recalc_posted_ = false;
  if (!::IsWindow(frame_)) return;
  ::SetWindowPos(frame_, nullptr, 0, 0, 0, 0, kFrameChangeFlags);
  CWnd* window = CWnd::FromHandlePermanent(frame_);
  if (window && window->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
    static_cast<CFrameWnd*>(window)->RecalcLayout();
  } else {
    RECT client;
    ::GetClientRect(frame_, &client);
    ::SendMessageW(frame_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  }
  if (bar_ && bar_->GetSafeHwnd()) {
    RECT rect;
    ::GetClientRect(bar_->GetSafeHwnd(), &rect);
    bar_->CalcRibbonSize(rect.right - rect.left, true);
    ::InvalidateRect(bar_->GetSafeHwnd(), nullptr, FALSE);
  }
}

void CTKRibbonFrameCompanion::RefreshFrameRegion() {
  if (!::IsWindow(frame_)) return;
  RECT rect;
  ::GetWindowRect(frame_, &rect);
  ApplyFrameRegion(rect.right - rect.left, rect.bottom - rect.top, true);
}

void CTKRibbonFrameCompanion::ApplyFrameRegion(int width, int height, bool force) {
  if (updating_region_) return;
  if (!force && width == last_width_ && height == last_height_) return;
  updating_region_ = true;
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(frame_, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(::GetWindowLongW(frame_, GWL_EXSTYLE));
  border_ = StyleBorder(frame_);
  const bool maximized = (style & WS_MAXIMIZE) != 0;
  if (composition_) {
    if (!maximized) border_ = kCompositionBorder;
    const int top = CaptionFromFrameTheme() ? 0 : CaptionBandHeight();
    CTKDwmFunctions::Instance().ExtendFrameIntoClientArea(frame_, 0, 0, top, 0);
    // A region set while the frame was drawn without composition would cut the glass.
    KestrinWinNS::CScopedRegion held(::CreateRectRgn(0, 0, 0, 0));
    if (::GetWindowRgn(frame_, held.Get()) != ERROR) ::SetWindowRgn(frame_, nullptr, TRUE);
  } else if (maximized && (ex_style & WS_EX_MDICHILD)) {
    ::SetWindowRgn(frame_, nullptr, TRUE);
  } else if (maximized) {
    SetRegion(frame_, KestrinWinNS::CScopedRegion(::CreateRectRgn(border_, border_, width - border_, height - border_)));
  } else if (CTKRibbonTheme* theme = CTKRibbonTheme::From(ActivePaintManager())) {
    int status_height = 0;
    const bool status_bar = FindStatusBar(&status_height);
    SetRegion(frame_, theme->FrameRegion(width, height, status_bar, border_));
  }
  last_width_ = width;
  last_height_ = height;
  updating_region_ = false;
}

bool CTKRibbonFrameCompanion::FindStatusBar(int* height) const {
  CTKRibbonTheme* theme = CTKRibbonTheme::From(ActivePaintManager());
  if (!theme || !theme->FrameMode()) return false;
  HWND status = ::GetDlgItem(frame_, kStatusBarId);
  if (!status || !(::GetWindowLongW(status, GWL_STYLE) & WS_VISIBLE)) return false;
  if (!::SendMessageW(status, TKRibbon::kMsgStatusBarQuery, 0, 0)) return false;
  RECT rect;
  ::GetWindowRect(status, &rect);
  if (height) *height = rect.bottom - rect.top;
  return true;
}
