// A skinned scroll bar: its geometry from the scroll information, its painting with the skin's
// SCROLLBAR class, and the loop that tracks a press on it (arrows, track and thumb) and sends
// the scroll messages.
#pragma once

#include <windows.h>

#include "toolkit/skin/skin_schema.h"

class CTKSkinScrollBar {
 public:
  enum class Kind { Horizontal, Vertical, Control };
  // Element codes of the bar's parts.
  enum Element {
    kNone = kScrollNone,
    kFirstArrow = kScrollFirstArrow,
    kSecondArrow = kScrollSecondArrow,
    kTrackBefore = kScrollTrackBefore,
    kTrackAfter = kScrollTrackAfter,
    kThumb = kScrollThumb,
  };
  // SCROLLBAR part of the size grip.
  static constexpr int kSizeBox = 10;

  Kind kind = Kind::Control;
  bool vertical = false;
  RECT rect{};  // in the coordinates of the window that draws the bar
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0};
  int arrow = 0;        // length of each arrow along the bar
  int thumbPos = 0;     // thumb start along the bar, from the bar's start
  int thumbLength = 0;  // 0: no thumb
  int hot = kNone;
  int pressed = kNone;
  bool shown = true;
  bool tracking = false;

  // Arrow sizes and thumb from the rectangle and the scroll information.
  void Layout();
  // Scroll information read again from the window (SB_CTL for a control); then Layout.
  void ReadInfo(HWND hwnd);
  // The element under a point (same coordinates as the rectangle), kNone outside.
  int HitTest(POINT pt) const;
  RECT ElementRect(int element) const;
  // More of the range than one page: the bar scrolls.
  bool HasRange() const;
  int TrackLength() const;
  // The position shown by a thumb starting at the given offset from the bar's start.
  int PositionFromThumb(int thumbStart) const;
  // Thumb start (from the bar's start) that shows a position.
  int ThumbFromPosition(int position) const;

  // The bar as the schema draws it.
  CTKSkinScrollBarInfo SchemaInfo() const;
};

// The press-tracking loop. The window holds the capture while it runs; every message it does
// not use is dispatched.
class CTKSkinScrollBarTracker {
 public:
  static constexpr UINT_PTR kRepeatTimer = 64069;

  // Starts and stops the repeat timer; replaced by tests to see the delays asked for.
  class Timer {
   public:
    virtual ~Timer() = default;
    virtual void Start(HWND hwnd, UINT_PTR id, UINT ms) { SetTimer(hwnd, id, ms, nullptr); }
    virtual void Stop(HWND hwnd, UINT_PTR id) { KillTimer(hwnd, id); }
  };
  static void SetTimerForTesting(Timer* timer);

  // window: the window that holds the capture and draws the bar. clientCoordinates: the bar's
  // rectangle is in client coordinates (else window coordinates). redraw is called whenever
  // the bar's look changed.
  CTKSkinScrollBarTracker(HWND window, CTKSkinScrollBar* bar, bool clientCoordinates, void (*redraw)(void*),
                          void* context);
  // Runs the loop for a press at pt (the bar's coordinates); returns when the button is
  // released or the capture is lost.
  void Run(POINT pt, bool shift);

 private:
  void Send(int code, int position);
  void SendCommand();
  // The element under the cursor still is the pressed one (the track parts follow the thumb).
  bool OnElement(POINT pt) const;
  void DragTo(POINT pt);
  void StepTo(int position);
  POINT FromMessage(const MSG& msg) const;
  void Redraw() {
    if (redraw_) redraw_(context_);
  }

  HWND window_;
  HWND target_;
  HWND control_;
  CTKSkinScrollBar* bar_;
  bool client_;
  void (*redraw_)(void*);
  void* context_;
  int element_ = CTKSkinScrollBar::kNone;
  bool drag_ = false;
  int drag_offset_ = 0;
  int start_position_ = 0;
  int position_ = 0;
  bool repeating_ = false;
  POINT last_{};
};
