#include "toolkit/drawing/seams.h"

namespace {
CTKTickCountFn g_tick_count = nullptr;
CTKSetTimerFn g_set_timer = nullptr;
CTKKillTimerFn g_kill_timer = nullptr;
CTKCursorPosFn g_cursor_pos = nullptr;
CTKWaitMessageFn g_wait_message = nullptr;
CTKSleepFn g_sleep = nullptr;
CTKMonitorAreasFn g_monitor_areas = nullptr;

BOOL SystemMonitorAreas(const RECT& rect, RECT* monitor, RECT* work) {
  HMONITOR handle = MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!handle || !GetMonitorInfoW(handle, &info)) return FALSE;
  *monitor = info.rcMonitor;
  *work = info.rcWork;
  return TRUE;
}
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

void TKSleep(DWORD ms) {
  if (g_sleep)
    g_sleep(ms);
  else
    Sleep(ms);
}

void TKGetMonitorAreas(const RECT& rect, RECT* monitor, RECT* work) {
  RECT whole{}, usable{};
  const BOOL known = g_monitor_areas ? g_monitor_areas(rect, &whole, &usable) : SystemMonitorAreas(rect, &whole, &usable);
  if (!known) {
    whole = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &usable, 0)) usable = whole;
  }
  if (monitor) *monitor = whole;
  if (work) *work = usable;
}

void TKGetMonitorAreas(POINT point, RECT* monitor, RECT* work) {
  TKGetMonitorAreas(RECT{point.x, point.y, point.x + 1, point.y + 1}, monitor, work);
}

void TKSetTickCountFunction(CTKTickCountFn fn) { g_tick_count = fn; }
void TKSetTimerFunctions(CTKSetTimerFn set, CTKKillTimerFn kill) {
  g_set_timer = set;
  g_kill_timer = kill;
}
void TKSetCursorPosFunction(CTKCursorPosFn fn) { g_cursor_pos = fn; }
void TKSetWaitMessageFunction(CTKWaitMessageFn fn) { g_wait_message = fn; }
void TKSetSleepFunction(CTKSleepFn fn) { g_sleep = fn; }
void TKSetMonitorAreasFunction(CTKMonitorAreasFn fn) { g_monitor_areas = fn; }
