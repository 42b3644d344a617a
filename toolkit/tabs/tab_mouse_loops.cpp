// The navigate buttons and the three mouse loops of the tab manager: a navigate button held
// down (with auto-repeat), an item pressed, and an item dragged to another place. Each loop
// holds the mouse capture and takes the thread's messages itself; each ends when the gesture
// ends, when the capture goes elsewhere, on Escape, and on the thread's quit message, which it
// puts back for the loop that runs the thread.
#include <algorithm>
#include <vector>

#include "toolkit/drawing/resource_manager.h"
#include "toolkit/tabs/tab_resource.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/tabs/tab_manager.h"
#include "toolkit/tabs/tab_paint_manager.h"

namespace {

void Dispatch(MSG& msg) {
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

POINT PointOf(const MSG& msg) {
  return POINT{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
}

}  // namespace

CTKTabManagerNavigateButton::CTKTabManagerNavigateButton(CTKTabManager* manager, int id, int show_mode, UINT tip_id)
    : id_(id), show_mode_(show_mode), manager_(manager) {
  if (!GetResourceManagerInstance()->ReadStringResource(&tooltip_, tip_id)) tooltip_.clear();
}

int CTKTabManagerNavigateButton::SizeAlongStrip() const { return manager_->RunsHorizontally() ? width_ : height_; }

void CTKTabManagerNavigateButton::ReserveLength(int& length) {
  if (show_mode_ == kAlways) length -= SizeAlongStrip();
}

void CTKTabManagerNavigateButton::PlaceByBaseRule(RECT& header) {
  if (!(show_mode_ == kAlways || (show_mode_ == kWhenNeeded && manager_->NavButtonWanted(this)))) {
    SetRectEmpty(&rect_);
    return;
  }
  if (manager_->RunsHorizontally()) {
    const int top = (header.top + header.bottom) / 2 + height_ / 2 - height_;
    rect_ = RECT{header.right - width_, top, header.right, top + height_};
    header.right -= width_;
  } else {
    const int left = (header.left + header.right) / 2 - width_ / 2;
    rect_ = RECT{left, header.bottom - height_, left + width_, header.bottom};
    header.bottom -= height_;
  }
}

void CTKTabManagerNavigateButton::PlaceInHeader(RECT& header) { PlaceByBaseRule(header); }

void CTKTabManagerNavigateButton::TrackHot(HWND window, POINT point) {
  const bool inside = PtInRect(&rect_, point) != FALSE;
  if (inside && hot_) return;
  if (!inside) {
    if (hot_) {
      hot_ = false;
      manager_->InvalidateStrip(&rect_, true);
    }
    return;
  }
  if (enabled_) {
    hot_ = true;
    manager_->InvalidateStrip(&rect_, false);
    if (window) {
      TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, window, 0};
      TrackMouseEvent(&tme);
    }
  }
}

void CTKTabManagerNavigateButton::Paint(HDC dc) {
  if (IsRectEmpty(&rect_)) return;
  CTKTabPaintManager* painter = manager_->TabPainter();
  if (painter && painter->Colours()) painter->Colours()->PaintNavButtonFace(dc, this, rect_);
  KestrinWinNS::CScopedPen pen(CreatePen(PS_SOLID, 1, GetTextColor(dc)));
  KestrinWinNS::CSelectObject select_pen(dc, pen.Get());
  PaintGlyph(dc, rect_);
}

void CTKTabManagerNavigateButton::PressLoop(HWND window, POINT point) {
  if (GetCapture() || !enabled_) return;
  SetCapture(window);
  DWORD last = TKGetTickCount();
  POINT at = point;
  bool click = false;
  bool ended = false;
  while (!ended) {
    if (enabled_ && TKGetTickCount() - last > kRepeatDelay) {
      last = TKGetTickCount();
      Fire(true);
    }
    const bool inside = PtInRect(&rect_, at) != FALSE;
    if (inside != pressed_) {
      pressed_ = inside;
      manager_->InvalidateStrip(&rect_, true);
    }
    // Wait for a message, or until the next repeat is due while the button can still repeat.
    DWORD timeout = INFINITE;
    if (enabled_) {
      const DWORD passed = TKGetTickCount() - last;
      timeout = passed > kRepeatDelay ? 0 : kRepeatDelay + 1 - passed;
    }
    MSG msg;
    const CTKLoopWake wake = TKNextLoopMessage(window, msg, timeout);
    if (wake == CTKLoopWake::kEnded) break;
    if (wake == CTKLoopWake::kTimeout) continue;
    switch (msg.message) {
      case WM_CANCELMODE:
      case WM_RBUTTONDOWN:
        ended = true;
        break;
      case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE) ended = true;
        break;
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        break;
      case WM_MOUSEMOVE:
        at = PointOf(msg);
        break;
      case WM_LBUTTONUP:
        at = PointOf(msg);
        click = PtInRect(&rect_, at) != FALSE;
        ended = true;
        break;
      default:
        Dispatch(msg);
        break;
    }
  }
  if (GetCapture() == window) ReleaseCapture();
  pressed_ = false;
  TrackHot(window, at);
  manager_->InvalidateStrip(nullptr, false);
  if (click) Fire(false);
}

// --- The three buttons ---

void CTKTabManager::CNavigateButtonArrow::ReserveLength(int& length) {
  if (show_mode_ == kAlways) length -= SizeAlongStrip();
}

void CTKTabManager::CNavigateButtonArrow::PlaceInHeader(RECT& header) {
  const CTKTabPaintManager* painter = manager_->TabPainter();
  const int layout = painter ? painter->layout : 0;
  if (layout == CTKTabPaintManager::kMultiRow) {
    SetRectEmpty(&rect_);
    return;
  }
  if (show_mode_ != kWhenNeeded) {
    PlaceByBaseRule(header);
    return;
  }
  if (layout == CTKTabPaintManager::kSizeToFit) {
    SetRectEmpty(&rect_);
    return;
  }
  const RECT margin = painter && painter->Shape() ? painter->Shape()->HeaderIndent() : RECT{};
  const int strip = manager_->ExtentAlongStrip(header);
  const int offset = manager_->ScrollOffset();
  if (strip - margin.right - margin.left < manager_->TotalItemsLength() + offset - margin.left - 1 || offset < 0)
    PlaceByBaseRule(header);
  else
    SetRectEmpty(&rect_);
}

CTKTabManager::CNavigateButtonArrowLeft::CNavigateButtonArrowLeft(CTKTabManager* manager)
    : CNavigateButtonArrow(manager, kLeft, kWhenNeeded, IDS_TK_TAB_SCROLL_LEFT) {}

void CTKTabManager::CNavigateButtonArrowLeft::Relayout() { enabled_ = manager_->ScrollOffset() < 0; }

void CTKTabManager::CNavigateButtonArrowLeft::Fire(bool repeat) {
  if (repeat) manager_->ScrollByStep(false);
}

CTKTabManager::CNavigateButtonArrowRight::CNavigateButtonArrowRight(CTKTabManager* manager)
    : CNavigateButtonArrow(manager, kRight, kWhenNeeded, IDS_TK_TAB_SCROLL_RIGHT) {}

void CTKTabManager::CNavigateButtonArrowRight::Relayout() {
  const CTKTabPaintManager* painter = manager_->TabPainter();
  const RECT margin = painter && painter->Shape() ? painter->Shape()->HeaderIndent() : RECT{};
  const int strip = manager_->ExtentAlongStrip(manager_->HeaderRect());
  enabled_ = strip - margin.left - margin.right - 2 * kWidth < manager_->TotalItemsLength() + manager_->ScrollOffset();
}

void CTKTabManager::CNavigateButtonArrowRight::Fire(bool repeat) {
  if (repeat) manager_->ScrollByStep(true);
}

CTKTabManager::CNavigateButtonClose::CNavigateButtonClose(CTKTabManager* manager)
    : CTKTabManagerNavigateButton(manager, kClose, kHidden, IDS_TK_TAB_CLOSE) {}

void CTKTabManager::CNavigateButtonClose::ReserveLength(int& length) {
  if (show_mode_ == kAlways || (show_mode_ == kWhenNeeded && manager_->NavButtonWanted(this)))
    length -= SizeAlongStrip();
}

void CTKTabManager::CNavigateButtonClose::Fire(bool repeat) {
  if (!repeat) manager_->NavButtonClicked(id_);
}

namespace {

void PaintTriangle(HDC dc, bool enabled, POINT a, POINT b, POINT c) {
  POINT points[3] = {a, b, c};
  KestrinWinNS::CScopedBrush brush(CreateSolidBrush(GetTextColor(dc)));
  KestrinWinNS::CSelectObject select(dc, enabled ? static_cast<HGDIOBJ>(brush.Get()) : GetStockObject(NULL_BRUSH));
  Polygon(dc, points, 3);
}

}  // namespace

void CTKTabManager::CNavigateButtonArrowLeft::PaintGlyph(HDC dc, const RECT& r) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  if (manager_->RunsHorizontally())
    PaintTriangle(dc, enabled_, {cx + 2, cy - 5}, {cx - 2, cy - 1}, {cx + 2, cy + 3});
  else
    PaintTriangle(dc, enabled_, {cx - 5, cy + 2}, {cx - 1, cy - 2}, {cx + 3, cy + 2});
}

void CTKTabManager::CNavigateButtonArrowRight::PaintGlyph(HDC dc, const RECT& r) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  if (manager_->RunsHorizontally())
    PaintTriangle(dc, enabled_, {cx - 2, cy - 5}, {cx + 2, cy - 1}, {cx - 2, cy + 3});
  else
    PaintTriangle(dc, enabled_, {cx - 5, cy - 2}, {cx - 1, cy + 2}, {cx + 3, cy - 2});
}

void CTKTabManager::CNavigateButtonClose::PaintGlyph(HDC dc, const RECT& r) {
  const POINT lines[4][2] = {{{r.left + 3, r.top + 3}, {r.right - 4, r.bottom - 5}},
                             {{r.left + 4, r.top + 3}, {r.right - 3, r.bottom - 5}},
                             {{r.left + 3, r.bottom - 6}, {r.right - 4, r.top + 2}},
                             {{r.left + 4, r.bottom - 6}, {r.right - 3, r.top + 2}}};
  for (const auto& line : lines) {
    MoveToEx(dc, line[0].x, line[0].y, nullptr);
    LineTo(dc, line[1].x, line[1].y);
  }
}

// --- Item loops ---

void CTKTabManager::PressTrackLoop(HWND window, POINT point, CTKTabManagerItem* item) {
  const CTKTabPaintManager* painter = TabPainter();
  const bool hot_tracking = painter && painter->hot_tracking;
  if (hot_tracking) hot_ = item;
  pressed_ = item;
  Relayout();
  SetCapture(window);
  POINT at = point;
  bool click = false;
  bool ended = false;
  while (!ended) {
    MSG msg;
    if (TKNextLoopMessage(window, msg, INFINITE) != CTKLoopWake::kMessage) break;
    switch (msg.message) {
      case WM_CANCELMODE:
      case WM_RBUTTONDOWN:
        ended = true;
        break;
      case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE) ended = true;
        break;
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        break;
      case WM_MOUSEMOVE: {
        at = PointOf(msg);
        const bool inside = PtInRect(&item->Rect(), at) != FALSE;
        if (hot_tracking) {
          CTKTabManagerItem* now = inside ? item : nullptr;
          if (now != hot_) {
            hot_ = now;
            RedrawItem(item, true);
          }
        }
        break;
      }
      case WM_LBUTTONUP:
        at = PointOf(msg);
        click = true;
        ended = true;
        break;
      default:
        Dispatch(msg);
        break;
    }
  }
  if (GetCapture() == window) ReleaseCapture();
  pressed_ = nullptr;
  TrackPointer(window, at);
  InvalidateStrip(nullptr, false);
  if (click && PtInRect(&item->Rect(), at)) ItemClicked(item);
}

void CTKTabManager::DragReorderLoop(HWND window, POINT point, CTKTabManagerItem* item) {
  CTKTabManagerItem* remembered = selected_;
  const CTKTabPaintManager* painter = TabPainter();
  selected_ = item;
  if (painter && painter->hot_tracking) hot_ = item;
  Relayout();
  std::vector<RECT> snapshot;
  snapshot.reserve(items_.size());
  for (const CTKTabManagerItem* each : items_) snapshot.push_back(each->Rect());
  // The item's reference is held while the loop runs: a handler dispatched from inside the loop
  // may remove it from the strip.
  item->InternalAddRef();
  SetCapture(window);
  POINT at = point;
  bool ended = false;
  while (!ended) {
    MSG msg;
    if (TKNextLoopMessage(window, msg, INFINITE) != CTKLoopWake::kMessage) break;
    switch (msg.message) {
      case WM_CANCELMODE:
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
        ended = true;
        break;
      case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE) ended = true;
        break;
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        break;
      case WM_MOUSEMOVE: {
        at = PointOf(msg);
        const int from = item->Index();
        if (from < 0 || from >= ItemCount() || items_[static_cast<size_t>(from)] != item) break;
        const int count = std::min(ItemCount(), static_cast<int>(snapshot.size()));
        for (int j = 0; j < count; ++j) {
          if (j == from || !PtInRect(&snapshot[static_cast<size_t>(j)], at)) continue;
          // The host's layout after the exchange may redraw only the tabs that moved.
          const CLayoutPicture before = TakeLayoutPicture();
          std::swap(items_[static_cast<size_t>(j)], items_[static_cast<size_t>(from)]);
          struct CShown {
            const CLayoutPicture*& slot;
            ~CShown() { slot = nullptr; }
          } shown{picture_before_exchange_ = &before};
          RenumberItems();
          break;
        }
        break;
      }
      default:
        Dispatch(msg);
        break;
    }
  }
  if (GetCapture() == window) ReleaseCapture();
  TrackPointer(window, at);
  if (std::find(items_.begin(), items_.end(), remembered) == items_.end()) remembered = nullptr;
  selected_ = remembered;
  const bool still_here = std::find(items_.begin(), items_.end(), item) != items_.end();
  if (still_here) {
    ItemClicked(item);
  } else if (selected_ == item) {
    selected_ = nullptr;
  }
  item->InternalRelease();
}
