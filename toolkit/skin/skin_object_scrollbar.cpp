#include "toolkit/skin/skin_object_scrollbar.h"

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_control.h"
#include "toolkit/skin/skin_schema.h"
#include "toolkit/skin/skin_paint_buffered.h"

bool CTKSkinObjectScrollBar::IsSizeBox() const {
  return (GetWindowLongW(hwnd_, GWL_STYLE) & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0;
}

void CTKSkinObjectScrollBar::UpdateBar() {
  bar_.kind = CTKSkinScrollBar::Kind::Control;
  bar_.vertical = (GetWindowLongW(hwnd_, GWL_STYLE) & SBS_VERT) != 0;
  GetClientRect(hwnd_, &bar_.rect);
  if (bar_.tracking)
    bar_.Layout();
  else
    bar_.ReadInfo(hwnd_);
}

bool CTKSkinObjectScrollBar::TrackingPosition(int bar, int* position) const {
  if (bar != SB_CTL || !bar_.tracking) return false;
  *position = bar_.info.nTrackPos;
  return true;
}

void CTKSkinObjectScrollBar::RedrawNow(void* self) {
  HWND hwnd = static_cast<CTKSkinObjectScrollBar*>(self)->hwnd_;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
}

void CTKSkinObjectScrollBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  CTKSkinManagerClass* cls = manager_->FindOrAddSkinClass(L"SCROLLBAR");
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  if (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
    HBRUSH brush = SkinControl::ParentBrush(manager_, hwnd_, dc);
    if (brush)
      FillRect(dc, &client, brush);
    else
      CTKDrawHelpers::FillSolidRect(dc, client, SkinControl::Color(manager_, COLOR_BTNFACE));
    if (style & SBS_SIZEGRIP) cls->DrawBackground(dc, CTKSkinScrollBar::kSizeBox, 1, client);
    return;
  }
  UpdateBar();
  if (CTKSkinManagerSchema* schema = manager_->Schema()) schema->PaintScrollBarParts(dc, hwnd_, bar_.SchemaInfo());
}

bool CTKSkinObjectScrollBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintClientBuffered(hwnd_, wParam, [this](HDC dc) { Paint(dc); });
      return true;
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGEREDRAW:
      *result = DefaultProcessing(message, wParam, lParam);
      if (message == SBM_SETRANGEREDRAW || (message == SBM_SETSCROLLINFO ? wParam : lParam))
        InvalidateRect(hwnd_, nullptr, FALSE);
      return true;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: {
      if (IsSizeBox()) return false;
      UpdateBar();
      const int hot = message == WM_MOUSELEAVE ? CTKSkinScrollBar::kNone : bar_.HitTest(SkinControl::PointOf(lParam));
      if (hot != bar_.hot) {
        if (bar_.hot == CTKSkinScrollBar::kNone) SkinControl::TrackLeave(hwnd_);
        bar_.hot = hot;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (IsSizeBox()) return false;
      UpdateBar();
      CTKSkinScrollBarTracker tracker(hwnd_, &bar_, true, &RedrawNow, this);
      tracker.Run(SkinControl::PointOf(lParam), (wParam & MK_SHIFT) != 0);
      return true;
    }
    case WM_ENABLE:
    case WM_CREATE:
      if (message == WM_CREATE && CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result)) {
      } else {
        *result = DefaultProcessing(message, wParam, lParam);
      }
      InvalidateRect(hwnd_, nullptr, FALSE);
      return true;
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}
