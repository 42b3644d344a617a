#include "toolkit/drawing/seams.h"

namespace {
CTKTickCountFn g_tick_count = nullptr;
CTKSetTimerFn g_set_timer = nullptr;
CTKKillTimerFn g_kill_timer = nullptr;
CTKCursorPosFn g_cursor_pos = nullptr;
CTKWaitMessageFn g_wait_message = nullptr;
}  // namespace

DWORD TKGetTickCount() { return g_tick_count ? g_tick_count() : GetTickCount(); }

UINT_PTR TKSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  return g_set_timer ? g_set_timer(window, id, elapse, proc) : SetTimer(window, id, elapse, proc);
}

BOOL TKKillTimer(HWND window, UINT_PTR id) { return g_kill_timer ? g_kill_timer(window, id) : KillTimer(window, id); }

BOOL TKGetCursorPos(POINT* point) { return g_cursor_pos ? g_cursor_pos(point) : GetCursorPos(point); }

void TKWaitMessage(DWORD timeout) {
  if (g_wait_message) {
    g_wait_message(timeout);
    return;
  }
  // MWMO_INPUTAVAILABLE: a message already in the queue (seen by an earlier peek) ends the
  // wait too.
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TKSetTickCountFunction(CTKTickCountFn fn) { g_tick_count = fn; }
void TKSetTimerFunctions(CTKSetTimerFn set, CTKKillTimerFn kill) {
  g_set_timer = set;
  g_kill_timer = kill;
}
void TKSetCursorPosFunction(CTKCursorPosFn fn) { g_cursor_pos = fn; }
void TKSetWaitMessageFunction(CTKWaitMessageFn fn) { g_wait_message = fn; }
