#include "toolkit/skin/skin_scroll_bar.h"

#include <algorithm>

#include "toolkit/drawing/nested_loop.h"

namespace {

constexpr int kMinThumb = 8;

int Along(const RECT& rc, bool vertical) { return vertical ? rc.bottom - rc.top : rc.right - rc.left; }
int Across(const RECT& rc, bool vertical) { return vertical ? rc.right - rc.left : rc.bottom - rc.top; }

CTKSkinScrollBarTracker::Timer g_default_timer;
CTKSkinScrollBarTracker::Timer* g_timer = &g_default_timer;

}  // namespace

bool CTKSkinScrollBar::HasRange() const {
  const long long span = static_cast<long long>(info.nMax) - info.nMin + 1;
  return span > static_cast<long long>(info.nPage);
}

int CTKSkinScrollBar::TrackLength() const { return std::max(0, Along(rect, vertical) - 2 * arrow); }

void CTKSkinScrollBar::Layout() {
  // The same layout as the schema draws (see CTKSkinScrollBarInfo::ElementRect).
  const int length = Along(rect, vertical);
  arrow = std::min(Across(rect, vertical), length / 2);
  const int track = TrackLength();
  thumbLength = 0;
  thumbPos = arrow;
  if (!HasRange() || track < kMinThumb) return;
  const long long span = static_cast<long long>(info.nMax) - info.nMin + 1;
  int len = info.nPage ? static_cast<int>(track * static_cast<long long>(info.nPage) / span) : Across(rect, vertical);
  thumbLength = std::min(std::max(len, kMinThumb), track);
  // A dragged thumb shows the track position, otherwise the position.
  thumbPos = ThumbFromPosition(tracking && pressed == kThumb ? info.nTrackPos : info.nPos);
}

void CTKSkinScrollBar::ReadInfo(HWND hwnd) {
  SCROLLINFO si{sizeof(si), SIF_ALL};
  const int bar = kind == Kind::Control ? SB_CTL : kind == Kind::Vertical ? SB_VERT : SB_HORZ;
  if (GetScrollInfo(hwnd, bar, &si)) {
    const int track = info.nTrackPos;
    info = si;
    if (tracking) info.nTrackPos = track;
  }
  Layout();
}

int CTKSkinScrollBar::ThumbFromPosition(int position) const {
  const int track = TrackLength();
  const long long last = static_cast<long long>(info.nMax) - std::max(static_cast<int>(info.nPage) - 1, 0);
  if (last <= info.nMin || track <= thumbLength) return arrow;
  const long long pos = std::min<long long>(std::max(position, info.nMin), last);
  return arrow + static_cast<int>((track - thumbLength) * (pos - info.nMin) / (last - info.nMin));
}

int CTKSkinScrollBar::PositionFromThumb(int thumbStart) const {
  const int room = TrackLength() - thumbLength;
  const int last = info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0);
  if (room <= 0 || last <= info.nMin) return info.nMin;
  const int offset = std::min(std::max(thumbStart - arrow, 0), room);
  return info.nMin + MulDiv(offset, last - info.nMin, room);
}

RECT CTKSkinScrollBar::ElementRect(int element) const {
  const int length = Along(rect, vertical);
  int from = 0, to = 0;
  switch (element) {
    case kFirstArrow: from = 0, to = arrow; break;
    case kSecondArrow: from = length - arrow, to = length; break;
    case kTrackBefore: from = arrow, to = thumbLength ? thumbPos : length - arrow; break;
    case kTrackAfter: from = thumbLength ? thumbPos + thumbLength : length - arrow, to = length - arrow; break;
    case kThumb: from = thumbPos, to = thumbPos + thumbLength; break;
    default: return RECT{};
  }
  return vertical ? RECT{rect.left, rect.top + from, rect.right, rect.top + to}
                  : RECT{rect.left + from, rect.top, rect.left + to, rect.bottom};
}

int CTKSkinScrollBar::HitTest(POINT pt) const {
  if (!PtInRect(&rect, pt)) return kNone;
  const int along = vertical ? pt.y - rect.top : pt.x - rect.left;
  if (along < arrow) return kFirstArrow;
  if (along >= Along(rect, vertical) - arrow) return kSecondArrow;
  if (!thumbLength) return kNone;
  if (along < thumbPos) return kTrackBefore;
  if (along < thumbPos + thumbLength) return kThumb;
  return kTrackAfter;
}

CTKSkinScrollBarInfo CTKSkinScrollBar::SchemaInfo() const {
  CTKSkinScrollBarInfo out;
  out.rect = rect;
  out.vertical = vertical;
  out.control = kind == Kind::Control;
  out.info = info;
  // The schema draws the thumb at the position: a dragged one where it is dragged to.
  if (tracking && pressed == kThumb) out.info.nPos = info.nTrackPos;
  out.hot = hot;
  out.pressed = pressed;
  out.mouseOver = hot != kNone || pressed != kNone;
  return out;
}

void CTKSkinScrollBarTracker::SetTimerForTesting(Timer* timer) { g_timer = timer ? timer : &g_default_timer; }

CTKSkinScrollBarTracker::CTKSkinScrollBarTracker(HWND window, CTKSkinScrollBar* bar, bool clientCoordinates,
                                                 void (*redraw)(void*), void* context)
    : window_(window), bar_(bar), client_(clientCoordinates), redraw_(redraw), context_(context) {
  // Own bars report to the window itself; a scroll-bar control to its parent with its handle.
  const bool control = bar->kind == CTKSkinScrollBar::Kind::Control;
  target_ = control ? GetParent(window) : window;
  control_ = control ? window : nullptr;
}

void CTKSkinScrollBarTracker::Send(int code, int position) {
  if (!target_ || !IsWindow(window_)) return;
  const UINT message = bar_->vertical ? WM_VSCROLL : WM_HSCROLL;
  SendMessageW(target_, message, MAKEWPARAM(code, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(control_));
}

void CTKSkinScrollBarTracker::SendCommand() {
  int code = 0;
  switch (element_) {
    case CTKSkinScrollBar::kFirstArrow: code = SB_LINEUP; break;
    case CTKSkinScrollBar::kSecondArrow: code = SB_LINEDOWN; break;
    case CTKSkinScrollBar::kTrackBefore: code = SB_PAGEUP; break;
    case CTKSkinScrollBar::kTrackAfter: code = SB_PAGEDOWN; break;
    default: return;
  }
  Send(code, 0);
  if (IsWindow(window_)) bar_->ReadInfo(window_);
  Redraw();
}

bool CTKSkinScrollBarTracker::OnElement(POINT pt) const { return bar_->HitTest(pt) == element_; }

void CTKSkinScrollBarTracker::StepTo(int position) {
  // One message for every position crossed.
  while (position_ != position) {
    position_ += position > position_ ? 1 : -1;
    // The window that asks for the tracking position while it handles the message gets this one.
    bar_->info.nTrackPos = position_;
    Send(SB_THUMBTRACK, position_);
  }
  bar_->info.nTrackPos = position_;
}

void CTKSkinScrollBarTracker::DragTo(POINT pt) {
  RECT alive = bar_->rect;
  if (!PtInRect(&alive, pt)) {
    // Away from the bar the thumb goes back to where the drag started.
    StepTo(start_position_);
    bar_->thumbPos = bar_->ThumbFromPosition(start_position_);
  } else {
    const int along = bar_->vertical ? pt.y - bar_->rect.top : pt.x - bar_->rect.left;
    const int room = bar_->TrackLength() - bar_->thumbLength;
    const int thumb = std::min(std::max(along - drag_offset_, bar_->arrow), bar_->arrow + room);
    StepTo(bar_->PositionFromThumb(thumb));
    bar_->thumbPos = thumb;
  }
  Redraw();
}

POINT CTKSkinScrollBarTracker::FromMessage(const MSG& msg) const {
  POINT pt{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
  const bool nonClient = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK;
  if (nonClient) ScreenToClient(window_, &pt);
  if (!client_) {
    // Client to window coordinates.
    RECT window;
    GetWindowRect(window_, &window);
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    pt.x += origin.x - window.left;
    pt.y += origin.y - window.top;
  }
  return pt;
}

void CTKSkinScrollBarTracker::Run(POINT pt, bool shift) {
  element_ = bar_->HitTest(pt);
  if (element_ == CTKSkinScrollBar::kNone) return;
  const bool onTrack = element_ == CTKSkinScrollBar::kTrackBefore || element_ == CTKSkinScrollBar::kTrackAfter;
  if (element_ == CTKSkinScrollBar::kThumb || (shift && onTrack)) {
    // A thumb that fills the track cannot be dragged.
    if (bar_->thumbLength >= bar_->TrackLength()) return;
    drag_ = true;
    element_ = CTKSkinScrollBar::kThumb;
    const int along = bar_->vertical ? pt.y - bar_->rect.top : pt.x - bar_->rect.left;
    drag_offset_ = shift ? bar_->thumbLength / 2 : along - bar_->thumbPos;
  }
  bar_->pressed = element_;
  bar_->tracking = true;
  start_position_ = position_ = bar_->info.nPos;
  bar_->info.nTrackPos = position_;
  last_ = pt;
  SetCapture(window_);
  const UINT doubleClick = GetDoubleClickTime();
  if (drag_) {
    if (shift) DragTo(pt);
    Redraw();
  } else {
    SendCommand();
    g_timer->Start(window_, kRepeatTimer, doubleClick * 4 / 5);
  }
  bool first = true;
  MSG msg;
  while (TKNextLoopMessage(window_, msg) == CTKLoopWake::kMessage) {
    if (msg.hwnd == window_ && msg.message == WM_TIMER && msg.wParam == kRepeatTimer) {
      if (!drag_ && OnElement(last_)) {
        SendCommand();
      }
      if (first) {
        first = false;
        g_timer->Start(window_, kRepeatTimer, doubleClick / 10);
      }
      continue;
    }
    const bool mouse = (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                       (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK);
    if (msg.hwnd == window_ && mouse) {
      last_ = FromMessage(msg);
      if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) break;
      if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (drag_) {
          DragTo(last_);
        } else {
          const int shown = OnElement(last_) ? element_ : CTKSkinScrollBar::kNone;
          if (shown != bar_->pressed) {
            bar_->pressed = shown;
            Redraw();
          }
        }
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  g_timer->Stop(window_, kRepeatTimer);
  if (GetCapture() == window_) ReleaseCapture();
  // A bar destroyed while tracked reports nothing more.
  if (!IsWindow(window_)) {
    bar_->tracking = false;
    bar_->pressed = CTKSkinScrollBar::kNone;
    return;
  }
  if (drag_) Send(SB_THUMBPOSITION, position_);
  Send(SB_ENDSCROLL, 0);
  bar_->tracking = false;
  bar_->pressed = CTKSkinScrollBar::kNone;
  if (IsWindow(window_)) bar_->ReadInfo(window_);
  Redraw();
}
