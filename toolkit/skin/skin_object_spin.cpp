#include "toolkit/skin/skin_object_spin.h"

#include <commctrl.h>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_paint_buffered.h"

namespace {
bool Horizontal(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) != 0; }
}  // namespace

RECT CTKSkinObjectSpin::HalfRect(int half) const {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  if (Horizontal(hwnd_)) {
    const int mid = (rc.left + rc.right) / 2;
    if (half == 0) rc.left = mid; else rc.right = mid;
  } else {
    const int mid = (rc.top + rc.bottom) / 2;
    if (half == 0) rc.bottom = mid; else rc.top = mid;
  }
  return rc;
}

int CTKSkinObjectSpin::HalfAt(POINT pt) const {
  for (int half = 0; half < 2; ++half) {
    const RECT rc = HalfRect(half);
    if (PtInRect(&rc, pt)) return half;
  }
  return -1;
}

int CTKSkinObjectSpin::HalfState(int half) const {
  if (!IsWindowEnabled(hwnd_)) return kDisabled;
  if (half == pressed_) return kPressed;
  if (half == hot_) return kHot;
  return kNormal;
}

void CTKSkinObjectSpin::Paint(HDC dc) {
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"SPIN");
  const bool horizontal = Horizontal(hwnd_);
  for (int half = 0; half < 2; ++half) {
    RECT rc = HalfRect(half);
    const int part = half == 0 ? (horizontal ? kUpHorz : kUp) : (horizontal ? kDownHorz : kDown);
    const int state = HalfState(half);
    if (cls->DrawBackground(dc, part, state, rc)) continue;
    const UINT arrow = horizontal ? (half == 0 ? DFCS_SCROLLRIGHT : DFCS_SCROLLLEFT)
                                  : (half == 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
    const UINT flags = state == kPressed ? DFCS_PUSHED : state == kDisabled ? DFCS_INACTIVE : 0;
    if (!SkinDrawFunctions::DrawFrameControl(manager_, dc, &rc, DFC_SCROLL, arrow | flags))
      SkinDrawFunctions::DrawEdge(manager_, dc, &rc, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  // The edge shared with the buddy window.
  HWND buddy = reinterpret_cast<HWND>(SendMessageW(hwnd_, UDM_GETBUDDY, 0, 0));
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  if (buddy && (style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT))) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const COLORREF shadow = SkinControl::Color(manager_, COLOR_3DSHADOW);
    const int x = (style & UDS_ALIGNRIGHT) ? client.left : client.right - 1;
    CTKDrawHelpers::FillSolidRect(dc, RECT{x, client.top, x + 1, client.bottom}, shadow);
  }
}

bool CTKSkinObjectSpin::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintClientBuffered(hwnd_, wParam, [this](HDC dc) { Paint(dc); });
      return true;
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      const int hot = message == WM_MOUSEMOVE ? HalfAt(SkinControl::PointOf(lParam)) : -1;
      if (hot != hot_) {
        if (hot_ < 0) SkinControl::TrackLeave(hwnd_);
        hot_ = hot;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      pressed_ = message == WM_LBUTTONDOWN ? HalfAt(SkinControl::PointOf(lParam)) : -1;
      InvalidateRect(hwnd_, nullptr, FALSE);
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
