#include "platform/win/module.h"

#include <memory>
#include <new>
#include <utility>

namespace KestrinWinNS {

HMODULE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&CodeModule), &module);
  return module;
}

namespace {

struct Task {
  std::function<void()> work;
  HMODULE module;
};

DWORD WINAPI RunTask(void* param) {
  std::unique_ptr<Task> task(static_cast<Task*>(param));
  try {
    task->work();
  } catch (...) {
  }
  HMODULE module = task->module;
  task.reset();
  // The module may be unloaded as soon as this thread lets go of it.
  FreeLibraryAndExitThread(module, 0);
  return 0;
}

}  // namespace

bool RunInBackground(std::function<void()> work) {
  std::unique_ptr<Task> task(new (std::nothrow) Task{std::move(work), nullptr});
  if (!task) return false;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&RunTask), &task->module))
    return false;
  HANDLE thread = CreateThread(nullptr, 64 * 1024, &RunTask, task.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread) {
    FreeLibrary(task->module);
    return false;
  }
  task.release();
  CloseHandle(thread);
  return true;
}

}  // namespace KestrinWinNS
