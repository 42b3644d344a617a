// The stand-in browser frame of the hosts and demos that play a browser: a top-level window of
// the browser's frame class ("IEFrame", "MozillaUIWindowClass", ...), registered once in this
// module, and a message pump that runs it for a while.
#pragma once

#include <windows.h>

namespace standin {

// Registers `class_name` with `proc` (a white background and the arrow pointer) unless this
// module has it already, and makes an overlapped window of it at `place` (screen
// coordinates) with `style` added. Null when the window cannot be made.
HWND CreateFrameWindow(const char* class_name, const char* title, const RECT& place, DWORD style = 0,
                       WNDPROC proc = DefWindowProcA);

// Processes this thread's messages for `ms` milliseconds.
void PumpMessagesFor(DWORD ms);

}  // namespace standin
