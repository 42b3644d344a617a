#include "toolkit/ribbon/ribbon_frame_hook.h"

#include <unordered_map>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/paint/office2007_theme.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_frame_companion.h"
#include "toolkit/ribbon/ribbon_theme.h"

namespace {
#ifndef WM_DWMCOMPOSITIONCHANGED
constexpr UINT WM_DWMCOMPOSITIONCHANGED = 0x031E;
#endif

// The hooks by frame (the frames of the UI thread).
std::unordered_map<HWND, CTKRibbonFrameHook*>& Hooks() {
  static std::unordered_map<HWND, CTKRibbonFrameHook*> hooks;
  return hooks;
}
}  // namespace

CTKRibbonFrameHook::~CTKRibbonFrameHook() {
  auto it = Hooks().find(frame_);
  if (it != Hooks().end() && it->second == this) Hooks().erase(it);
}

CTKRibbonFrameHook* CTKRibbonFrameHook::Attach(HWND frame, CTKRibbonBar* bar, CTKCommandBarManager* site) {
  if (!frame || !bar) return nullptr;
  Detach(frame);
  auto* companion = new CTKRibbonFrameCompanion(frame, bar, site, site ? nullptr : bar->GetPaintManager());
  bar->SetFrameCompanion(companion);
  auto* hook = new CTKRibbonFrameHook(frame, bar);
  hook->m_bAutoDestroy = true;
  Hooks()[frame] = hook;
  CTKHookManager::Instance().SetHook(frame, hook);
  companion->RequestFrameRecalc(true);
  return hook;
}

void CTKRibbonFrameHook::Detach(HWND frame) {
  auto it = Hooks().find(frame);
  if (it == Hooks().end()) return;
  CTKRibbonFrameHook* hook = it->second;
  CTKRibbonBar* bar = hook->bar_;
  hook->bar_ = nullptr;
  CTKHookManager::Instance().RemoveHook(frame, hook);
  if (bar) bar->SetFrameCompanion(nullptr);
  if (::IsWindow(frame))
    ::SetWindowPos(frame, nullptr, 0, 0, 0, 0, CTKRibbonFrameCompanion::kFrameChangeFlags);
}

CTKRibbonFrameCompanion* CTKRibbonFrameHook::Companion() const { return bar_ ? bar_->FrameCompanion() : nullptr; }

bool CTKRibbonFrameHook::DrawsFrame(const CTKRibbonFrameCompanion& companion) const {
  return !companion.CaptionFromFrameTheme() && !companion.IsDesktopComposition();
}

void CTKRibbonFrameHook::PaintBorders(CTKRibbonFrameCompanion& companion) {
  CTKRibbonTheme* theme = CTKRibbonTheme::From(companion.ActivePaintManager());
  if (!theme) return;
  RECT window;
  ::GetWindowRect(frame_, &window);
  TKPaintThemes::TKFrameInfo info;
  info.size = CSize(window.right - window.left, window.bottom - window.top);
  info.border = CTKRibbonFrameCompanion::StyleBorder(frame_);
  info.caption_height = 0;  // the caption band lies in the client area
  info.active = companion.IsFrameActive();
  info.maximized = (::GetWindowLongW(frame_, GWL_STYLE) & WS_MAXIMIZE) != 0;
  info.draws_caption = false;
  info.status_bar = companion.FindStatusBar(&info.status_height);
  KestrinWinNS::CWindowFrameDC dc(frame_);
  if (!dc) return;
  CDC wrapped;
  wrapped.Attach(dc.Get());
  theme->PaintWindowFrame(&wrapped, info);
}

void CTKRibbonFrameHook::RefreshTitle() {
  if (!bar_ || !bar_->GetSafeHwnd() || !bar_->HasFrameCompanion()) return;
  bar_->PlaceCaptionButtonsAndTitle();
  ::InvalidateRect(bar_->GetSafeHwnd(), &bar_->CaptionRect(), FALSE);
}

int CTKRibbonFrameHook::OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (message == WM_NCDESTROY) {
    bar_ = nullptr;
    return kGoOn;
  }
  CTKRibbonFrameCompanion* companion = Companion();
  if (!companion) return kGoOn;
  switch (message) {
    case TKRibbon::kMsgFrameRecalc:
      companion->RequestFrameRecalc(true);
      result = 0;
      return kConsumed;
    case WM_NCCALCSIZE: {
      if (!wParam || companion->CaptionFromFrameTheme()) return kGoOn;
      // The caption's height goes to the client area, where the ribbon draws it; the sides and
      // the bottom stay the frame's. A maximised frame keeps its top edge off the screen.
      RECT& rect = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
      const int border = CTKRibbonFrameCompanion::StyleBorder(hwnd);
      rect.left += border;
      rect.right -= border;
      rect.bottom -= border;
      if (::GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE) rect.top += border;
      result = 0;
      return kConsumed;
    }
    case WM_NCACTIVATE:
      companion->SetFrameActive(wParam != 0);
      if (!DrawsFrame(*companion)) return kGoOn;
      PaintBorders(*companion);
      if (bar_->GetSafeHwnd()) ::InvalidateRect(bar_->GetSafeHwnd(), &bar_->CaptionRect(), FALSE);
      result = TRUE;
      return kConsumed;
    case WM_NCPAINT:
      if (!DrawsFrame(*companion)) return kGoOn;
      PaintBorders(*companion);
      result = 0;
      return kConsumed;
    case WM_NCHITTEST: {
      if (!companion->IsDesktopComposition()) return kGoOn;
      LRESULT answer = 0;
      if (CTKDwmFunctions::Instance().DefWindowProc(hwnd, message, wParam, lParam, &answer) == S_OK) {
        result = answer;
        return kConsumed;
      }
      return kGoOn;
    }
    case WM_SETTEXT: {
      if (companion->CaptionFromFrameTheme()) return kGoOn;
      // Without composition the system would draw its own caption over the ribbon's: the text is
      // set while the frame does not count as visible, and the ribbon draws it.
      const bool hide = !companion->IsDesktopComposition();
      const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
      if (hide) ::SetWindowLongW(hwnd, GWL_STYLE, style & ~WS_VISIBLE);
      result = ::DefWindowProcW(hwnd, message, wParam, lParam);
      if (hide) ::SetWindowLongW(hwnd, GWL_STYLE, style);
      RefreshTitle();
      return kConsumed;
    }
    case WM_SIZE: {
      RECT window;
      ::GetWindowRect(hwnd, &window);
      companion->ApplyFrameRegion(window.right - window.left, window.bottom - window.top, false);
      return kGoOn;
    }
    case WM_DWMCOMPOSITIONCHANGED:
      companion->RefreshComposition();
      companion->RequestFrameRecalc(true);
      return kGoOn;
    default:
      return kGoOn;
  }
}
