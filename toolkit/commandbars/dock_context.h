// The mouse loops of one bar: moving it between the frame's dock bars and floating, resizing
// it while it floats, and the double click that toggles it between docked and floating. It
// remembers where the bar was last docked and where it last floated.
#pragma once

#include <windows.h>

#include "platform/appframe/types.h"

class CTKCommandBar;
class CTKDockBar;

class CTKDockContext {
 public:
  enum { kModeNone = 0, kModeMove = 1 };

  explicit CTKDockContext(CTKCommandBar* bar);

  CTKCommandBar* GetBar() const { return bar_; }
  // Moves the bar with the mouse from the screen point until the button is released, Escape
  // is pressed, the capture goes or the thread quits. False when another window holds the
  // capture.
  bool StartMove(POINT screen);
  // Resizes a floating bar by the border part `hit` (HTLEFT .. HTBOTTOMRIGHT).
  bool StartResize(int hit, POINT screen);
  // Docks a floating bar where it was last docked, or floats a docked one where it last
  // floated; true when something changed. Only sides the bar's Flags allow are used.
  bool ToggleDocking();

  // Readies a move from the screen point without running the loop (StartMove does this first).
  void PrepareMove(POINT screen);
  // One step of the running loop to the screen point (a move or a resize by the mode), after
  // which the manager updates its bars; public so a benchmark can time a step.
  void Step(POINT screen);
  void MoveStep(POINT screen);
  void ResizeStep(POINT screen);

  // Docks the bar in `dock` (at `screen_rect` when given) as a docked child window.
  static void DockBar(CTKCommandBar* bar, CTKDockBar* dock, const RECT* screen_rect);
  // Makes the bar a floating window with its top-left at `screen`, sized for its floating
  // layout.
  static void FloatBar(CTKCommandBar* bar, POINT screen);
  // Keeps at least 10 pixels of `rect` inside the monitor's area on every side.
  static CRect KeepOnScreen(const CRect& rect);
  // The number of this thread's move loops running now.
  static int DragCount();

  int GetMode() const { return mode_; }
  const CRect& GetLastDockedRect() const { return last_docked_; }
  int GetLastDockedSide() const { return last_side_; }
  void SetLastDocked(const CRect& rect, int side) {
    last_docked_ = rect;
    last_side_ = side;
  }
  POINT GetLastFloatPos() const { return float_pos_; }
  void SetLastFloatPos(POINT pos) { float_pos_ = pos; }
  bool HasFloatPos() const { return float_pos_.x > 0 || float_pos_.y > 0; }
  // The bar's place along its row in the dock bar (client coordinates), kept between layouts.
  int GetRowPosition() const { return row_position_; }
  void SetRowPosition(int position) { row_position_ = position; }
  int GetSide() const { return side_; }
  void SetSide(int side) { side_ = side; }

 private:
  // The loop; true when it ended by the button's release (false: cancelled or interrupted).
  bool Track();
  // The resize step of a bar that sizes freely: the dragged edges follow the pointer.
  void FreeResizeStep(POINT screen);

  CTKCommandBar* bar_;
  int mode_ = kModeNone;
  POINT last_{};
  CRect last_docked_;
  int last_side_ = 0;
  POINT float_pos_{0, 0};
  CRect drag_, window_;
  // Where a resize began: the pointer and the window rectangle.
  POINT press_{};
  CRect start_window_;
  int row_position_ = 0;
  int side_ = 0;
};
