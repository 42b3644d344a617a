// A press on one of the frame's own scroll bars, tracked by the skin's loop.
#include "toolkit/skin/skin_object_frame.h"
#include "toolkit/skin/skin_scroll_bar.h"

namespace {

struct FrameTracking {
  CTKSkinObjectFrame* frame;
  int bar;
  CTKSkinScrollBar* track;
  CTKSkinScrollBarInfo* shown;
};

}  // namespace

bool CTKSkinObjectFrame::TrackScrollBar(int bar, int element, POINT windowPoint, bool shift) {
  if (element == kScrollNone) return false;
  CTKSkinScrollBarInfo& shown = bar == SB_HORZ ? horz_ : vert_;
  CTKSkinScrollBar track;
  track.kind = bar == SB_HORZ ? CTKSkinScrollBar::Kind::Horizontal : CTKSkinScrollBar::Kind::Vertical;
  track.vertical = bar != SB_HORZ;
  track.rect = shown.rect;
  track.info = shown.info;
  track.Layout();
  FrameTracking context{this, bar, &track, &shown};
  auto redraw = [](void* p) {
    auto* c = static_cast<FrameTracking*>(p);
    // While pressed the frame keeps the tracker's look and position instead of reading its own.
    const CTKSkinScrollBarInfo now = c->track->SchemaInfo();
    c->shown->info = now.info;
    c->shown->pressed = now.pressed;
    c->frame->RedrawScrollBar(c->bar);
  };
  CTKSkinScrollBarTracker tracker(hwnd_, &track, false, redraw, &context);
  tracked_bar_ = bar;
  tracked_ = &track;
  tracker.Run(windowPoint, shift);
  if (IsWindow(hwnd_)) {
    tracked_ = nullptr;
    tracked_bar_ = -1;
    shown.pressed = kScrollNone;
    RedrawScrollBar(bar);
  }
  return true;
}

bool CTKSkinObjectFrame::TrackingPosition(int bar, int* position) const {
  if (!tracked_ || bar != tracked_bar_ || !tracked_->tracking) return false;
  *position = tracked_->info.nTrackPos;
  return true;
}
