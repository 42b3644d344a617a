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

// Works a result out on the background worker and hands it to `deliver` through `post`, which
// runs a call on the asking thread (false when it cannot). Without a poster, or when nothing can
// run in the background, both run here at once: the result is never lost.
template <class Result>
void RunInBackgroundThenPost(const std::function<bool(std::function<void()>)>& post, std::function<Result()> work,
                             std::function<void(Result)> deliver, DWORD delay_ms = 0) {
  if (post && RunInBackground(
                  [post, work, deliver] {
                    Result result = work();
                    post([deliver, result] { deliver(result); });
                  },
                  delay_ms))
    return;
  deliver(work());
}

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
