// The module (program or DLL) that holds this code: window classes are registered against it
// and resources of the code's own are loaded from it.
#pragma once

#include <windows.h>

#include <functional>

namespace KestrinWinNS {

HMODULE CodeModule();

// Runs `work` on the process's background worker (a CWorkerThread), after the work posted
// before it and not before `delay_ms` have passed: for waits (the network, name resolution,
// chain walks) that must not block a window's thread. The work shares nothing with its caller
// but what it holds itself. False when the work could not be posted (it is then dropped).
bool RunInBackground(std::function<void()> work, DWORD delay_ms = 0);

// A function of a system library that is rarely needed, loaded from the system folder when
// first asked for (the library then stays loaded): such libraries cost a browser window nothing
// until then. Null when the library or the function is missing.
FARPROC SystemFunction(const char* library, const char* name);

// The same, typed: SystemFunctionAs<decltype(&PlaySoundA)>("winmm.dll", "PlaySoundA"). The
// type is only named (decltype), so the library is not imported.
template <class F>
F SystemFunctionAs(const char* library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(SystemFunction(library, name)));
}

}  // namespace KestrinWinNS
