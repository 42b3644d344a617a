#include "toolkit/drawing/nested_loop.h"

#include "toolkit/drawing/seams.h"

CTKLoopWake TKNextLoopMessage(HWND capture_owner, MSG& msg, DWORD timeout) {
  for (;;) {
    if (capture_owner && GetCapture() != capture_owner) return CTKLoopWake::kEnded;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        TKRepostQuit(msg);
        return CTKLoopWake::kEnded;
      }
      return CTKLoopWake::kMessage;
    }
    if (timeout == 0) return CTKLoopWake::kTimeout;
    TKWaitMessage(timeout);
    // After a timed wait the caller looks at its clock first (a repeat may be due); the message
    // that ended the wait, if any, is taken on the next call.
    if (timeout != INFINITE) return CTKLoopWake::kTimeout;
  }
}

namespace {
bool LoopMustEnd(HWND capture_owner) {
  if (capture_owner && GetCapture() != capture_owner) return true;
  MSG msg;
  if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE | PM_NOYIELD)) return true;
  if (PeekMessageW(&msg, nullptr, WM_CANCELMODE, WM_CANCELMODE, PM_NOREMOVE | PM_NOYIELD)) return true;
  return PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE | PM_NOYIELD) && TKIsCancelMessage(msg);
}
}  // namespace

CTKLoopWake TKPauseLoop(HWND capture_owner, DWORD ms) {
  if (LoopMustEnd(capture_owner)) return CTKLoopWake::kEnded;
  if (ms == 0) return CTKLoopWake::kTimeout;
  TKSleep(ms);
  return LoopMustEnd(capture_owner) ? CTKLoopWake::kEnded : CTKLoopWake::kTimeout;
}

void TKRepostQuit(const MSG& msg) { PostQuitMessage(static_cast<int>(msg.wParam)); }

bool TKIsCancelMessage(const MSG& msg) {
  if (msg.message == WM_CANCELMODE) return true;
  return msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_CANCEL);
}

POINT TKMessagePoint(const MSG& msg, HWND to) {
  POINT point{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
  if (to && msg.hwnd && to != msg.hwnd) MapWindowPoints(msg.hwnd, to, &point, 1);
  return point;
}
