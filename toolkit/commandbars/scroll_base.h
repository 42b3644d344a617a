// The window-less vertical scroll bar that scrollable controls mix in (the gallery): the parts'
// geometry from the control's scroll information, hit testing, and the mouse loop of arrows,
// page areas and thumb, which sends scroll commands back to the control. The paint manager
// draws it; the control supplies the rectangle, the scroll information and the redrawing.
#pragma once

#include <windows.h>

#include "platform/appframe/types.h"

class CTKPaintManager;

struct TKScrollInfo {
  int min = 0, max = 0, page = 0, pos = 0;
};

// The parts of one bar, in the bar's window coordinates.
struct TKScrollBarGeometry {
  TKScrollInfo info;
  CRect bar;
  int arrow = 0;         // height of each arrow button
  int thumb_size = 0;
  int up_end = 0;        // end of the up arrow
  int down_start = 0;    // start of the down arrow
  int track_start = 0;
  int track_length = 0;  // the length the thumb's top can travel
  int thumb_top = 0, thumb_bottom = 0;
  int hot_part = 0;
  // The thumb cannot move: the page covers the whole range (or there is no range).
  bool thumb_fixed = false;
};

class CTKScrollBase {
 public:
  // Parts.
  enum { kPartNone = 0, kPartUpArrow = 60, kPartDownArrow = 61, kPartPageUp = 62, kPartPageDown = 63,
         kPartThumb = 64, kPartEnd = 65 };
  // Commands sent to the control.
  enum { kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4, kThumbTrack = 5,
         kEndScroll = 8 };
  static const UINT_PTR kRepeatTimer = 23345;

  CTKScrollBase() = default;
  virtual ~CTKScrollBase();
  CTKScrollBase(const CTKScrollBase&) = delete;
  CTKScrollBase& operator=(const CTKScrollBase&) = delete;

  // --- what the control supplies ---
  virtual void RedrawScrollBar() = 0;
  virtual CRect GetScrollBarRect() = 0;
  virtual void GetScrollInfo(TKScrollInfo* info) = 0;
  virtual void DoScroll(int command, int pos) = 0;
  virtual void RedrawControl() = 0;
  virtual void ComputeBarGeometry(const CRect& rect, TKScrollBarGeometry& geometry, const TKScrollInfo& info);
  virtual CTKPaintManager* GetScrollPaintManager() = 0;
  // The window the control lies in (the loop captures the mouse for it).
  virtual HWND GetScrollWindow() = 0;

  // The arithmetic, free of any window: the parts of a bar of `arrow`-pixel arrows.
  static void ComputeGeometry(const CRect& rect, int arrow, const TKScrollInfo& info, TKScrollBarGeometry& g);
  // The position a thumb whose top is at y stands for.
  static int PositionFromThumbTop(const TKScrollBarGeometry& g, int y);
  // The part under a point (kPartNone outside). `reserved_end`: the bar's scroll area ends
  // there (kPartEnd below it); 0 for none.
  static int HitTestGeometry(const TKScrollBarGeometry& g, CPoint pt, int reserved_end = 0);

  // The geometry for the control's current rectangle and information.
  void UpdateGeometry();
  const TKScrollBarGeometry& Geometry() const { return geometry_; }
  int HitTestScrollBar(CPoint pt);
  int GetHotPart() const { return geometry_.hot_part; }
  void SetHotPart(int part) { geometry_.hot_part = part; }
  bool IsScrollEnabled() const { return enabled_; }
  void SetScrollEnabled(bool on) { enabled_ = on; }
  bool IsTracking() const { return tracking_ != nullptr; }
  // Pressed part while the loop runs (0 otherwise) and whether the pointer is inside it.
  int TrackedPart() const;
  bool TrackedPartPressed() const;
  // 0 follows the paint manager: theme 0 style 2, themes 5 and 6 style 5, others style 3.
  int ScrollStyle();
  void SetScrollStyle(int style) { style_ = style; }
  // The mouse loop after a left press at pt (client coordinates of the scroll window).
  void PerformTrackInit(CPoint pt, bool shift);

  // Per-thread count of running toolkit mouse loops.
  static int RunningLoops();

 protected:
  int reserved_end_ = 0;

 private:
  struct Tracking;
  void PartPress(Tracking& t, bool down);
  void PartMouse(Tracking& t, CPoint pt);
  void PartTimer(Tracking& t);
  void ThumbMouse(Tracking& t, CPoint pt);
  CRect PartRect(int part) const;

  TKScrollBarGeometry geometry_;
  bool enabled_ = true;
  Tracking* tracking_ = nullptr;
  int style_ = 0;
};
