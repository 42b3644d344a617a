// The few places where the toolkit asks the system for time, timers, the pointer, the wait
// for the next message and the monitors' areas. The toolkit's mouse loops and timed controls call these in place of
// the system functions, so that a test can drive them with a clock and a pointer of its own.
// Every seam is per process; a null function puts the system's own back.
#pragma once

#include <windows.h>

using CTKTickCountFn = DWORD (*)();
using CTKSetTimerFn = UINT_PTR (*)(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
using CTKKillTimerFn = BOOL (*)(HWND window, UINT_PTR id);
using CTKCursorPosFn = BOOL (*)(POINT* point);
// Returns when a message may be waiting in the thread's queue or `timeout` ms have passed.
using CTKWaitMessageFn = void (*)(DWORD timeout);
// Lets `ms` milliseconds pass without looking at the queue (the pause between the frames of a
// short animation).
using CTKSleepFn = void (*)(DWORD ms);
// The monitor nearest to `rect`: its whole area and its work area (the area less the taskbar
// and other bars docked at its edges). Returns FALSE when the system tells nothing.
using CTKMonitorAreasFn = BOOL (*)(const RECT& rect, RECT* monitor, RECT* work);

DWORD TKGetTickCount();
UINT_PTR TKSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
BOOL TKKillTimer(HWND window, UINT_PTR id);
BOOL TKGetCursorPos(POINT* point);
void TKWaitMessage(DWORD timeout);
void TKSleep(DWORD ms);
// Fills `monitor` and `work` for the monitor nearest to `rect` (or to `point`); with no answer
// from the system, both are the primary screen.
void TKGetMonitorAreas(const RECT& rect, RECT* monitor, RECT* work);
void TKGetMonitorAreas(POINT point, RECT* monitor, RECT* work);

void TKSetTickCountFunction(CTKTickCountFn fn);
void TKSetTimerFunctions(CTKSetTimerFn set, CTKKillTimerFn kill);
void TKSetCursorPosFunction(CTKCursorPosFn fn);
void TKSetWaitMessageFunction(CTKWaitMessageFn fn);
void TKSetSleepFunction(CTKSleepFn fn);
void TKSetMonitorAreasFunction(CTKMonitorAreasFn fn);
