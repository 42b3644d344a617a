#include "platform/win/module.h"

#include <string.h>

#include <deque>
#include <mutex>
#include <utility>

namespace KestrinWinNS {

HMODULE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&CodeModule), &module);
  return module;
}

namespace {

// One worker thread per process runs the background work in turn. It is started with the first
// work, holds the module loaded while it runs, and ends after a while without work.
class CBackgroundWorker {
 public:
  bool Post(std::function<void()> work) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!wake_) wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!wake_) return false;
    if (!running_) {
      HMODULE module = nullptr;
      if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&Main), &module))
        return false;
      HANDLE thread = CreateThread(nullptr, 64 * 1024, &Main, module, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
      if (!thread) {
        FreeLibrary(module);
        return false;
      }
      CloseHandle(thread);
      running_ = true;
    }
    queue_.push_back(std::move(work));
    // A busy worker looks at the queue again before it waits.
    if (idle_) SetEvent(wake_);
    return true;
  }

 private:
  // Where the platform maps a thread's whole stack at once (Wine: at least 1 MB, and a second
  // stack of the same size beside it), an idle worker costs megabytes: it ends a second after
  // its last work. Starting it again costs the posting thread a fraction of a millisecond.
  static const DWORD kIdleMs = 1000;

  static DWORD WINAPI Main(void* module) {
    Instance().Run();
    // The module may be unloaded as soon as this thread lets go of it.
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
    return 0;
  }

  void Run() {
    for (;;) {
      std::function<void()> work;
      HANDLE wake;
      {
        std::lock_guard<std::mutex> hold(lock_);
        wake = wake_;
        if (!queue_.empty()) {
          work = std::move(queue_.front());
          queue_.pop_front();
        }
        idle_ = !work;
      }
      if (work) {
        try {
          work();
        } catch (...) {
        }
        continue;
      }
      if (WaitForSingleObject(wake, kIdleMs) == WAIT_OBJECT_0) continue;
      std::lock_guard<std::mutex> hold(lock_);
      if (queue_.empty()) {
        running_ = false;
        idle_ = false;
        return;
      }
    }
  }

 public:
  static CBackgroundWorker& Instance() {
    static CBackgroundWorker worker;
    return worker;
  }

 private:
  std::mutex lock_;
  std::deque<std::function<void()>> queue_;
  HANDLE wake_ = nullptr;  // lives as long as the process
  bool running_ = false;
  bool idle_ = false;  // the worker waits for the wake event
};

}  // namespace

bool RunInBackground(std::function<void()> work) { return CBackgroundWorker::Instance().Post(std::move(work)); }

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
