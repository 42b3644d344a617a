// The few places where the toolkit asks the system for time, timers, the pointer and the wait
// for the next message. The toolkit's mouse loops and timed controls call these in place of
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

DWORD TKGetTickCount();
UINT_PTR TKSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
BOOL TKKillTimer(HWND window, UINT_PTR id);
BOOL TKGetCursorPos(POINT* point);
void TKWaitMessage(DWORD timeout);

void TKSetTickCountFunction(CTKTickCountFn fn);
void TKSetTimerFunctions(CTKSetTimerFn set, CTKKillTimerFn kill);
void TKSetCursorPosFunction(CTKCursorPosFn fn);
void TKSetWaitMessageFunction(CTKWaitMessageFn fn);
