#include "toolkit/skin/skin_object_trackbar.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_paint_buffered.h"

namespace {
enum { kColor = 204 };
}

void CTKSkinObjectTrackBar::ThumbLook(int* part, int* state) const {
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  const bool vertical = (style & TBS_VERT) != 0;
  if (style & TBS_BOTH)
    *part = vertical ? kThumbVert : kThumb;
  else if (vertical)
    *part = (style & TBS_LEFT) ? kThumbLeft : kThumbRight;
  else
    *part = (style & TBS_TOP) ? kThumbTop : kThumbBottom;
  if (!IsWindowEnabled(hwnd_))
    *state = kDisabled;
  else if (GetCapture() == hwnd_)
    *state = kPressed;
  else if (GetFocus() == hwnd_ && !SkinControl::HidesFocus(hwnd_))
    *state = kFocused;
  else
    *state = hot_ ? kHot : kNormal;
}

void CTKSkinObjectTrackBar::DrawTics(HDC dc, const RECT& channel, bool vertical, LONG style) {
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"TRACKBAR");
  const int part = vertical ? kTicsVert : kTics;
  const COLORREF color = cls->GetColor(part, 1, kColor, SkinControl::Color(manager_, COLOR_BTNTEXT));
  RECT thumb{};
  SendMessageW(hwnd_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int low = static_cast<int>(SendMessageW(hwnd_, TBM_GETRANGEMIN, 0, 0));
  const int high = static_cast<int>(SendMessageW(hwnd_, TBM_GETRANGEMAX, 0, 0));
  const int from = vertical ? channel.top : channel.left, to = vertical ? channel.bottom : channel.right;
  std::vector<int> at{from, to - 1};
  const int count = static_cast<int>(SendMessageW(hwnd_, TBM_GETNUMTICS, 0, 0));
  const DWORD* tics = reinterpret_cast<const DWORD*>(SendMessageW(hwnd_, TBM_GETPTICS, 0, 0));
  for (int i = 0; tics && high > low && i < count - 2; ++i)
    at.push_back(from + MulDiv(static_cast<int>(tics[i]) - low, to - 1 - from, high - low));
  if ((style & TBS_ENABLESELRANGE) && high > low) {
    // Small triangles of three steps mark the selection's start and end under the channel.
    const int marks[2] = {static_cast<int>(SendMessageW(hwnd_, TBM_GETSELSTART, 0, 0)),
                          static_cast<int>(SendMessageW(hwnd_, TBM_GETSELEND, 0, 0))};
    for (int m = 0; m < 2; ++m) {
      const int p = from + MulDiv(marks[m] - low, to - 1 - from, high - low);
      const int dir = m == 0 ? -1 : 1;
      for (int step = 0; step < 3; ++step) {
        const RECT rc = vertical ? RECT{thumb.right + 1 + step, std::min(p, p + dir * step), thumb.right + 2 + step,
                                        std::max(p, p + dir * step) + 1}
                                 : RECT{std::min(p, p + dir * step), thumb.bottom + 1 + step,
                                        std::max(p, p + dir * step) + 1, thumb.bottom + 2 + step};
        CTKDrawHelpers::FillSolidRect(dc, rc, color);
      }
    }
  }
  const bool before = (style & (TBS_TOP | TBS_BOTH)) != 0;  // TBS_LEFT is TBS_TOP
  const bool after = !(style & TBS_TOP) || (style & TBS_BOTH);
  for (int p : at) {
    if (vertical) {
      if (before) CTKDrawHelpers::FillSolidRect(dc, RECT{thumb.left - 4, p, thumb.left - 1, p + 1}, color);
      if (after) CTKDrawHelpers::FillSolidRect(dc, RECT{thumb.right + 1, p, thumb.right + 4, p + 1}, color);
    } else {
      if (before) CTKDrawHelpers::FillSolidRect(dc, RECT{p, thumb.top - 4, p + 1, thumb.top - 1}, color);
      if (after) CTKDrawHelpers::FillSolidRect(dc, RECT{p, thumb.bottom + 1, p + 1, thumb.bottom + 4}, color);
    }
  }
}

void CTKSkinObjectTrackBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  const bool vertical = (style & TBS_VERT) != 0;
  HWND parent = GetParent(hwnd_);
  if (parent) {
    NMCUSTOMDRAW draw{};
    draw.hdr = NMHDR{hwnd_, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_)), static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.dwDrawStage = CDDS_PREPAINT;
    draw.hdc = dc;
    draw.rc = client;
    SendMessageW(parent, WM_NOTIFY, draw.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
  }
  HBRUSH background = SkinControl::ParentBrush(manager_, hwnd_, dc);
  if (background)
    FillRect(dc, &client, background);
  else
    CTKDrawHelpers::FillSolidRect(dc, client, SkinControl::Color(manager_, COLOR_BTNFACE));
  if (GetFocus() == hwnd_ && !SkinControl::HidesFocus(hwnd_)) DrawFocusRect(dc, &client);
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"TRACKBAR");
  RECT channel{};
  SendMessageW(hwnd_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  if (vertical && channel.right - channel.left > channel.bottom - channel.top) {
    // Some versions of the control report a vertical channel lying on its side.
    channel = RECT{channel.top, channel.left, channel.bottom, channel.right};
  }
  if (!cls->DrawBackground(dc, vertical ? kTrackVert : kTrack, 1, channel)) {
    RECT edge = channel;
    SkinDrawFunctions::DrawEdge(manager_, dc, &edge, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  }
  if (!(style & TBS_NOTICKS)) DrawTics(dc, channel, vertical, style);
  if (style & TBS_NOTHUMB) return;
  RECT thumb{};
  SendMessageW(hwnd_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  int part, state;
  ThumbLook(&part, &state);
  if (!cls->DrawBackground(dc, part, state, thumb)) {
    RECT edge = thumb;
    SkinDrawFunctions::DrawEdge(manager_, dc, &edge, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
}

bool CTKSkinObjectTrackBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
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
      RECT thumb{};
      SendMessageW(hwnd_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
      const POINT pt = SkinControl::PointOf(lParam);
      const bool hot = message == WM_MOUSEMOVE && PtInRect(&thumb, pt);
      if (hot != hot_) {
        if (hot) SkinControl::TrackLeave(hwnd_);
        hot_ = hot;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      *result = DefaultProcessing(message, wParam, lParam);
      return true;
    }
    case TBM_SETTICFREQ:
      *result = DefaultProcessing(message, wParam, lParam);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return true;
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
