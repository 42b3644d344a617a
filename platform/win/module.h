// The module (program or DLL) that holds this code: window classes are registered against it
// and resources of the code's own are loaded from it.
#pragma once

#include <windows.h>

#include <functional>

namespace KestrinWinNS {

HMODULE CodeModule();

// Runs `work` on the process's background thread, after the work posted before it: for waits
// (the network, name resolution) that must not block a window's thread. The thread keeps the
// module holding this code loaded while it runs and ends after a while without work. The work
// shares nothing with its caller but what it holds itself. False when the work could not be
// posted (it is then dropped).
bool RunInBackground(std::function<void()> work);

}  // namespace KestrinWinNS
