// The one way the toolkit's nested message loops (a button held down, a tab dragged, a popup
// tracked, a bar moved) take the thread's messages. A loop ends when its window loses the mouse
// capture and on the thread's quit message, which is posted again for the loop that runs the
// thread; between messages it waits (through the wait seam) instead of spinning.
#pragma once

#include <windows.h>

enum class CTKLoopWake {
  kMessage,  // `msg` holds the next message for the loop to handle
  kEnded,    // the capture went elsewhere or the quit message arrived (posted again)
  kTimeout,  // `timeout` ms passed without a message
};

// The next message of a loop. `capture_owner`: the window that must still hold the capture for
// the loop to go on (null for a loop that holds none). `timeout`: INFINITE, 0 (look only) or the
// ms to wait at most; a timed wait returns kTimeout once it ends, so that the caller can look at
// its clock before taking the message that may have ended it.
CTKLoopWake TKNextLoopMessage(HWND capture_owner, MSG& msg, DWORD timeout = INFINITE);

// The pause between two frames of a short animation that runs inside another loop (a popup
// opening while its menu tracks): it takes no message. kEnded, at once or after the pause, when
// the capture left `capture_owner` (null: none is held), or when the quit message or a cancel
// message waits in the queue, left there for the loop that owns it; else kTimeout once `ms`
// have passed (through the sleep seam).
CTKLoopWake TKPauseLoop(HWND capture_owner, DWORD ms);

// Puts the quit message taken by a nested loop back in the thread's queue.
void TKRepostQuit(const MSG& msg);

// True for the messages that cancel any gesture: WM_CANCELMODE and the Escape key.
bool TKIsCancelMessage(const MSG& msg);

// The pointer position a mouse message carries, in the coordinates of `to` (the message's own
// window's when `to` is null or the same).
POINT TKMessagePoint(const MSG& msg, HWND to = nullptr);
