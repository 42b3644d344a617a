// The clock, timers and pointer position as the toolkit's timers and mouse loops read them.
// Each goes to the system unless a test has put its own function in place; the monitor work
// area has its seam in CTKMultiMonitorApi (system_helpers.h).
#pragma once

#include <windows.h>

class CTKUiSeams {
 public:
  using TickCountFn = DWORD (*)();
  using SetTimerFn = UINT_PTR (*)(HWND window, UINT_PTR id, UINT elapse);
  using KillTimerFn = BOOL (*)(HWND window, UINT_PTR id);
  using CursorPosFn = BOOL (*)(POINT* point);

  static DWORD TickCount() { return tick_count_ ? tick_count_() : ::GetTickCount(); }
  static UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse) {
    return set_timer_ ? set_timer_(window, id, elapse) : ::SetTimer(window, id, elapse, nullptr);
  }
  static BOOL KillTimer(HWND window, UINT_PTR id) {
    return kill_timer_ ? kill_timer_(window, id) : ::KillTimer(window, id);
  }
  static BOOL GetCursorPos(POINT* point) { return cursor_pos_ ? cursor_pos_(point) : ::GetCursorPos(point); }

  // NULL puts the system's function back.
  static void SetTickCountSource(TickCountFn fn) { tick_count_ = fn; }
  static void SetTimerFunctions(SetTimerFn set, KillTimerFn kill) {
    set_timer_ = set;
    kill_timer_ = kill;
  }
  static void SetCursorPosSource(CursorPosFn fn) { cursor_pos_ = fn; }
  static void Reset() {
    tick_count_ = nullptr;
    set_timer_ = nullptr;
    kill_timer_ = nullptr;
    cursor_pos_ = nullptr;
  }

 private:
  static inline TickCountFn tick_count_ = nullptr;
  static inline SetTimerFn set_timer_ = nullptr;
  static inline KillTimerFn kill_timer_ = nullptr;
  static inline CursorPosFn cursor_pos_ = nullptr;
};
