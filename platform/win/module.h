// The module (program or DLL) that holds this code: window classes are registered against it
// and resources of the code's own are loaded from it.
#pragma once

#include <windows.h>

#include <functional>

namespace KestrinWinNS {

HMODULE CodeModule();

// Runs `work` on a thread of its own, which keeps the module holding this code loaded until
// the work returns: for waits (the network, name resolution) that must not block a window's
// thread. The work shares nothing with its caller but what it holds itself. False when no
// thread could be started (the work is then dropped).
bool RunInBackground(std::function<void()> work);

}  // namespace KestrinWinNS
