#include "toolkit/commandbars/scroll_base.h"

#include <algorithm>

#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"

namespace {
thread_local int g_running_loops = 0;

int ClampToInt(long long v) {
  return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}
}  // namespace

struct CTKScrollBase::Tracking {
  HWND hwnd = nullptr;
  int part = 0;
  int command = 0;
  bool pressed = false;
  bool thumb = false;
  CRect track_rect;
  int offset = 0;
  int start_top = 0;
  int start_pos = 0;
  int last_pos = 0;
};

CTKScrollBase::~CTKScrollBase() = default;

int CTKScrollBase::RunningLoops() { return g_running_loops; }

// ---------------------------------------------------------------------------------------------
// Arithmetic

void CTKScrollBase::ComputeGeometry(const CRect& rect, int arrow, const TKScrollInfo& info, TKScrollBarGeometry& g) {
  const int hot = g.hot_part;
  g = TKScrollBarGeometry();
  g.hot_part = hot;
  g.info = info;
  g.bar = rect;
  const int height = std::max(0, rect.Height());
  const int a = std::max(0, std::min(arrow, height / 2));
  g.arrow = a;
  g.up_end = rect.top + a;
  g.down_start = rect.bottom - a;
  const int space = height - 2 * a;
  const int range = ClampToInt(static_cast<long long>(info.max) + 1 - info.min);
  // A page larger than the range shows the whole range: it counts as the range.
  const int page = range > 0 ? std::max(0, std::min(info.page, range)) : 0;
  int thumb = (page > 0 && range > 0) ? ::MulDiv(space, page, range) : a;
  thumb = std::max(thumb, a / 2);
  thumb = std::min(thumb, space);
  g.thumb_size = thumb;
  g.track_start = rect.top + a;
  g.track_length = space - thumb;
  g.thumb_fixed = range <= 0 || std::max(page, 1) >= range || g.track_length <= 0;
  if (g.thumb_fixed) {
    g.thumb_top = g.track_start - (range > 0 && std::max(page, 1) >= range ? 1 : 0);
  } else {
    const int last = info.max - page + 1;
    const int pos = std::max(info.min, std::min(info.pos, last));
    g.thumb_top = g.track_start + ::MulDiv(pos - info.min, g.track_length, range - page);
  }
  g.thumb_bottom = g.thumb_top + thumb;
}

int CTKScrollBase::PositionFromThumbTop(const TKScrollBarGeometry& g, int y) {
  const TKScrollInfo& info = g.info;
  if (g.thumb_fixed || g.track_length <= 0 || y < g.track_start) return info.min;
  const int range = ClampToInt(static_cast<long long>(info.max) + 1 - info.min);
  const int page = std::max(0, std::min(info.page, range));
  if (y > g.track_start + g.track_length) return std::max(info.min, page ? info.max - page + 1 : info.max);
  return info.min + ::MulDiv(info.max - info.min - (page ? page - 1 : 0), y - g.track_start, g.track_length);
}

int CTKScrollBase::HitTestGeometry(const TKScrollBarGeometry& g, CPoint pt, int reserved_end) {
  if (!g.bar.PtInRect(pt)) return kPartNone;
  if (pt.y < g.up_end) return kPartUpArrow;
  if (reserved_end && pt.y >= reserved_end) return kPartEnd;
  if (pt.y >= g.down_start) return kPartDownArrow;
  if (pt.y < g.thumb_top) return kPartPageUp;
  if (pt.y < g.thumb_bottom) return kPartThumb;
  return kPartPageDown;
}

void CTKScrollBase::ComputeBarGeometry(const CRect& rect, TKScrollBarGeometry& geometry, const TKScrollInfo& info) {
  int arrow = ::GetSystemMetrics(SM_CYVSCROLL);
  if (CTKPaintManager* pm = GetScrollPaintManager())
    if (CTKControlGalleryPaintManager* gallery = pm->GalleryPaintManager()) arrow = gallery->ScrollArrowSize();
  ComputeGeometry(rect, arrow, info, geometry);
}

void CTKScrollBase::UpdateGeometry() {
  TKScrollInfo info;
  GetScrollInfo(&info);
  ComputeBarGeometry(GetScrollBarRect(), geometry_, info);
}

int CTKScrollBase::HitTestScrollBar(CPoint pt) {
  UpdateGeometry();
  return HitTestGeometry(geometry_, pt, reserved_end_);
}

int CTKScrollBase::TrackedPart() const { return tracking_ ? tracking_->part : 0; }
bool CTKScrollBase::TrackedPartPressed() const { return tracking_ && tracking_->pressed; }

int CTKScrollBase::ScrollStyle() {
  if (style_ != 0) return style_;
  CTKPaintManager* pm = GetScrollPaintManager();
  const int theme = pm ? pm->ThemeNumber() : 0;
  if (theme == 0) return 2;
  if (theme == 5 || theme == 6) return 5;
  return 3;
}

CRect CTKScrollBase::PartRect(int part) const {
  const TKScrollBarGeometry& g = geometry_;
  switch (part) {
    case kPartUpArrow: return CRect(g.bar.left, g.bar.top, g.bar.right, g.up_end);
    case kPartDownArrow: return CRect(g.bar.left, g.down_start, g.bar.right, g.bar.bottom);
    case kPartPageUp: return CRect(g.bar.left, g.up_end, g.bar.right, g.thumb_top);
    case kPartPageDown: return CRect(g.bar.left, g.thumb_bottom, g.bar.right, g.down_start);
    case kPartThumb: return CRect(g.bar.left, g.thumb_top, g.bar.right, g.thumb_bottom);
    default: return CRect();
  }
}

// ---------------------------------------------------------------------------------------------
// The mouse loop

void CTKScrollBase::PartPress(Tracking& t, bool down) {
  t.pressed = true;
  DoScroll(t.command, 0);
  UpdateGeometry();
  TKSetTimer(t.hwnd, kRepeatTimer, ::GetDoubleClickTime() * 4 / 5);
  RedrawScrollBar();
}

void CTKScrollBase::PartMouse(Tracking& t, CPoint pt) {
  const bool inside = PartRect(t.part).PtInRect(pt) != 0;
  if (inside == t.pressed) return;
  t.pressed = inside;
  if (inside) {
    DoScroll(t.command, 0);
    UpdateGeometry();
    TKSetTimer(t.hwnd, kRepeatTimer, ::GetDoubleClickTime() / 10);
  }
  RedrawScrollBar();
}

void CTKScrollBase::PartTimer(Tracking& t) {
  POINT cursor{};
  TKGetCursorPos(&cursor);
  ::ScreenToClient(t.hwnd, &cursor);
  const bool inside = PartRect(t.part).PtInRect(cursor) != 0;
  if (inside != t.pressed) {
    t.pressed = inside;
    RedrawScrollBar();
  }
  if (!inside) return;
  DoScroll(t.command, 0);
  UpdateGeometry();
  TKSetTimer(t.hwnd, kRepeatTimer, ::GetDoubleClickTime() / 10);
}

void CTKScrollBase::ThumbMouse(Tracking& t, CPoint pt) {
  int top = t.start_top;
  if (t.track_rect.PtInRect(pt))
    top = std::max(geometry_.track_start, std::min(static_cast<int>(pt.y) - t.offset, geometry_.track_start + geometry_.track_length));
  const int pos = top == t.start_top ? t.start_pos : PositionFromThumbTop(geometry_, top);
  // Every position the thumb passes is reported, in order.
  for (int p = t.last_pos; p != pos;) {
    p += pos > p ? 1 : -1;
    DoScroll(kThumbTrack, p);
  }
  t.last_pos = pos;
  geometry_.thumb_top = top;
  geometry_.thumb_bottom = top + geometry_.thumb_size;
  RedrawScrollBar();
}

void CTKScrollBase::PerformTrackInit(CPoint pt, bool shift) {
  HWND hwnd = GetScrollWindow();
  if (!hwnd || tracking_ || !enabled_) return;
  Tracking t;
  t.hwnd = hwnd;
  t.part = HitTestScrollBar(pt);
  switch (t.part) {
    case kPartUpArrow: t.command = kLineUp; break;
    case kPartDownArrow: t.command = kLineDown; break;
    case kPartPageUp: t.command = kPageUp; break;
    case kPartPageDown: t.command = kPageDown; break;
    case kPartThumb:
      // A thumb that fills the whole track does not move.
      if (geometry_.thumb_fixed) return;
      t.thumb = true;
      break;
    default:
      return;
  }
  (void)shift;
  if (t.thumb) {
    const int width = geometry_.bar.Width();
    const int ends = 2 * ::GetSystemMetrics(SM_CYVTHUMB);
    t.track_rect = geometry_.bar;
    t.track_rect.InflateRect(8 * width, ends);
    t.offset = static_cast<int>(pt.y) - geometry_.thumb_top;
    t.start_top = geometry_.thumb_top;
    t.start_pos = t.last_pos = geometry_.info.pos;
    t.pressed = true;
    DoScroll(kThumbTrack, t.start_pos);
  }
  tracking_ = &t;
  ++g_running_loops;
  ::SetCapture(hwnd);
  if (!t.thumb) PartPress(t, true);

  bool cancelled = false;
  MSG msg;
  for (;;) {
    if (TKNextLoopMessage(hwnd, msg) != CTKLoopWake::kMessage) {
      cancelled = true;
      break;
    }
    if (TKIsCancelMessage(msg)) {
      cancelled = true;
      break;
    }
    if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == kRepeatTimer) {
      if (!t.thumb) PartTimer(t);
      continue;
    }
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
      if (msg.message == WM_LBUTTONUP) break;
      const CPoint p = TKMessagePoint(msg, hwnd);
      if (t.thumb) {
        if (msg.message == WM_MOUSEMOVE && !(msg.wParam & MK_LBUTTON)) break;
        if (msg.message == WM_MOUSEMOVE) ThumbMouse(t, p);
      } else if (msg.message == WM_MOUSEMOVE) {
        PartMouse(t, p);
      }
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }

  const bool alive = ::IsWindow(hwnd) != 0;
  if (alive && ::GetCapture() == hwnd) ::ReleaseCapture();
  if (t.thumb) {
    DoScroll(kThumbPosition, cancelled ? t.start_pos : t.last_pos);
    if (alive) RedrawScrollBar();
  } else if (alive) {
    TKKillTimer(hwnd, kRepeatTimer);
  }
  DoScroll(kEndScroll, 0);
  --g_running_loops;
  tracking_ = nullptr;
  if (alive) {
    POINT cursor{};
    TKGetCursorPos(&cursor);
    ::ScreenToClient(hwnd, &cursor);
    UpdateGeometry();
    geometry_.hot_part = HitTestGeometry(geometry_, cursor, reserved_end_);
    RedrawScrollBar();
  }
}
