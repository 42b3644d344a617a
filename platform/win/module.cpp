#include "platform/win/module.h"

#include <string.h>

#include <utility>

#include "platform/win/worker_thread.h"

namespace KestrinWinNS {

HMODULE CodeModule() {
  // Asked once: the module cannot move while its code runs, and each question takes the
  // loader's lock, which a thread loading a library holds for long.
  static const HMODULE module = [] {
    HMODULE found = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&CodeModule), &found);
    return found;
  }();
  return module;
}

namespace {

// Where the platform maps a thread's whole stack at once, an idle worker costs megabytes: the
// background worker ends a second after its last work.
const DWORD kBackgroundIdleMs = 1000;

}  // namespace

bool RunInBackground(std::function<void()> work, DWORD delay_ms) {
  // Never destroyed: at exit its thread may be gone or stopped anywhere.
  static CWorkerThread& worker = *new CWorkerThread("background", kBackgroundIdleMs);
  return worker.Post(std::move(work), delay_ms);
}

FARPROC SystemFunction(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) {
    // Only the system folder's copy: never one that lies beside the program.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + strlen(library) >= MAX_PATH) return nullptr;
    path[length] = '\\';
    strcpy(path + length + 1, library);
    module = LoadLibraryA(path);
  }
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace KestrinWinNS
