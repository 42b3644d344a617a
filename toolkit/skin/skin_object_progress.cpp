#include "toolkit/skin/skin_object_progress.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_paint_buffered.h"

namespace {
enum { kChunkSize = 2411, kSpaceSize = 2412 };
}

int CTKSkinObjectProgress::ChunkRects(RECT* out, int capacity) {
  RECT client;
  GetClientRect(hwnd_, &client);
  const bool vertical = (GetWindowLongW(hwnd_, GWL_STYLE) & PBS_VERTICAL) != 0;
  // Inside the bar: 4 pixels along it, 3 across.
  RECT inner = client;
  if (vertical)
    InflateRect(&inner, -3, -4);
  else
    InflateRect(&inner, -4, -3);
  const int length = vertical ? inner.bottom - inner.top : inner.right - inner.left;
  const int thickness = vertical ? inner.right - inner.left : inner.bottom - inner.top;
  if (length <= 0 || thickness <= 0) return 0;
  PBRANGE range{};
  SendMessageW(hwnd_, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(SendMessageW(hwnd_, PBM_GETPOS, 0, 0));
  if (range.iHigh <= range.iLow) return 0;
  const int filled = MulDiv(length, std::min(std::max(position, range.iLow), range.iHigh) - range.iLow,
                            range.iHigh - range.iLow);
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"PROGRESS");
  int chunk = cls->GetInt(0, 0, kChunkSize, thickness * 2 / 3);
  if (chunk <= 0) chunk = 1;
  const int gap = std::max(0, cls->GetInt(0, 0, kSpaceSize, 2));
  int count = 0;
  for (int at = 0; at < filled && count < capacity; at += chunk + gap) {
    const int end = std::min(at + chunk, length);
    out[count++] = vertical ? RECT{inner.left, inner.bottom - end, inner.right, inner.bottom - at}
                            : RECT{inner.left + at, inner.top, inner.left + end, inner.bottom};
  }
  return count;
}

void CTKSkinObjectProgress::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"PROGRESS");
  const bool vertical = (GetWindowLongW(hwnd_, GWL_STYLE) & PBS_VERTICAL) != 0;
  CTKDrawHelpers::FillSolidRect(dc, client, SkinControl::Color(manager_, COLOR_BTNFACE));
  if (!cls->DrawBackground(dc, vertical ? kBarVert : kBar, 1, client)) {
    RECT edge = client;
    SkinDrawFunctions::DrawEdge(manager_, dc, &edge, BDR_SUNKENOUTER, BF_RECT);
  }
  std::vector<RECT> chunks(256);
  const int count = ChunkRects(chunks.data(), static_cast<int>(chunks.size()));
  const COLORREF fill = SkinControl::Color(manager_, COLOR_HIGHLIGHT);
  for (int i = 0; i < count; ++i) {
    if (!cls->DrawBackground(dc, vertical ? kChunkVert : kChunk, 1, chunks[i]))
      CTKDrawHelpers::FillSolidRect(dc, chunks[i], fill);
  }
}

bool CTKSkinObjectProgress::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_CREATE:
      // The control gives itself a static edge as it is created; the skin's bar has its own.
      *result = DefaultProcessing(message, wParam, lParam);
      SetWindowLongW(hwnd_, GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE) & ~WS_EX_STATICEDGE);
      SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintClientBuffered(hwnd_, wParam, [this](HDC dc) { Paint(dc); });
      return true;
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}

void CTKSkinObjectProgress::OnSkinStateChange(int, int newLoaded) {
  // Without a skin and without a system theme the bar keeps the system's static edge.
  CTKWinThemeWrapper theme;
  if (newLoaded || theme.IsThemeActive()) return;
  SetWindowLongW(hwnd_, GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_STATICEDGE);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
