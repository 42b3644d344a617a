#include "platform/win/worker_thread.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "platform/win/scoped_handle.h"

namespace KestrinWinNS {

namespace {

void LogToDebugger(const char* worker, const char* what) {
  std::string line = "Kestrin: a task of the ";
  line += worker ? worker : "?";
  line += " worker ended with an exception: ";
  line += what ? what : "";
  line += "\n";
  OutputDebugStringA(line.c_str());
}

std::atomic<WorkerFaultLog> g_fault_log{nullptr};

// The reference a running thread holds on the module of this code.
HMODULE HoldThisModule() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&HoldThisModule),
                          &module))
    return nullptr;
  return module;
}

// Small stacks: the threads only hand work on and wait on the network.
const SIZE_T kStackSize = 64 * 1024;

}  // namespace

WorkerFaultLog SetWorkerFaultLog(WorkerFaultLog log) { return g_fault_log.exchange(log); }

void ReportWorkerFault(const char* worker) {
  std::string what = "unknown exception";
  try {
    throw;
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  WorkerFaultLog log = g_fault_log.load();
  (log ? log : &LogToDebugger)(worker, what.c_str());
}

// The lock and the wake-up: an SRW lock and a condition variable where the system has them
// (Windows Vista on), else a critical section and an event.
class CWorkerThread::CWakeLock {
 public:
  CWakeLock() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    acquire_ = reinterpret_cast<SrwFn>(GetProcAddress(kernel, "AcquireSRWLockExclusive"));
    release_ = reinterpret_cast<SrwFn>(GetProcAddress(kernel, "ReleaseSRWLockExclusive"));
    sleep_ = reinterpret_cast<SleepFn>(GetProcAddress(kernel, "SleepConditionVariableSRW"));
    wake_ = reinterpret_cast<WakeFn>(GetProcAddress(kernel, "WakeConditionVariable"));
    if (!acquire_ || !release_ || !sleep_ || !wake_) {
      acquire_ = release_ = nullptr;
      InitializeCriticalSection(&section_);
      event_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    }
  }
  ~CWakeLock() {
    if (!acquire_) DeleteCriticalSection(&section_);
  }
  CWakeLock(const CWakeLock&) = delete;
  CWakeLock& operator=(const CWakeLock&) = delete;

  // False when the thread cannot be woken.
  bool usable() const { return acquire_ || event_; }
  void Lock() {
    if (acquire_) acquire_(&srw_);
    else EnterCriticalSection(&section_);
  }
  void Unlock() {
    if (release_) release_(&srw_);
    else LeaveCriticalSection(&section_);
  }
  // With the lock held; it is held again on return.
  void Wait(DWORD ms) {
    if (acquire_) {
      sleep_(&condition_, &srw_, ms, 0);
      return;
    }
    LeaveCriticalSection(&section_);
    WaitForSingleObject(event_.Get(), ms);
    EnterCriticalSection(&section_);
  }
  void Wake() {
    if (acquire_) wake_(&condition_);
    else SetEvent(event_.Get());
  }

 private:
  typedef void(WINAPI* SrwFn)(void*);
  typedef BOOL(WINAPI* SleepFn)(void*, void*, DWORD, ULONG);
  typedef void(WINAPI* WakeFn)(void*);
  SrwFn acquire_ = nullptr, release_ = nullptr;
  SleepFn sleep_ = nullptr;
  WakeFn wake_ = nullptr;
  void* srw_ = nullptr;        // SRWLOCK_INIT
  void* condition_ = nullptr;  // CONDITION_VARIABLE_INIT
  CRITICAL_SECTION section_;
  CScopedKernelHandle event_;
};

namespace {

template <class Lock>
class CHold {
 public:
  explicit CHold(Lock& lock) : lock_(lock) { lock_.Lock(); }
  ~CHold() { lock_.Unlock(); }
  CHold(const CHold&) = delete;
  CHold& operator=(const CHold&) = delete;

 private:
  Lock& lock_;
};

struct ThreadStart {
  CWorkerThread* worker;
  HMODULE module;
};

}  // namespace

CWorkerThread::CWorkerThread(const char* name, DWORD idle_ms)
    : name_(name), idle_ms_(idle_ms), lock_(new CWakeLock()) {}

CWorkerThread::~CWorkerThread() {
  {
    CHold<CWakeLock> hold(*lock_);
    stopping_ = true;
    queue_.clear();
    later_.clear();
    lock_->Wake();
  }
  if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
}

bool CWorkerThread::Post(std::function<void()> work, DWORD delay_ms) {
  if (!work) return false;
  CHold<CWakeLock> hold(*lock_);
  if (!lock_->usable() || stopping_) return false;
  if (!running_) {
    HMODULE module = HoldThisModule();
    if (!module) return false;
    ThreadStart* start = new (std::nothrow) ThreadStart{this, module};
    CScopedKernelHandle thread(
        start ? CreateThread(nullptr, kStackSize, &Main, start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)
              : nullptr);
    if (!thread) {
      delete start;
      FreeLibrary(module);
      return false;
    }
    // The thread before it has let go of this object (it may still be ending).
    thread_ = std::move(thread);
    running_ = true;
  }
  if (delay_ms) later_.push_back(Later{GetTickCount() + delay_ms, std::move(work)});
  else queue_.push_back(std::move(work));
  // A busy thread looks at its work again before it waits.
  if (idle_) lock_->Wake();
  return true;
}

bool CWorkerThread::IsRunning() {
  CHold<CWakeLock> hold(*lock_);
  return running_;
}

DWORD WINAPI CWorkerThread::Main(void* param) {
  ThreadStart start = *static_cast<ThreadStart*>(param);
  delete static_cast<ThreadStart*>(param);
  start.worker->Run();
  // The module may be unloaded as soon as this thread lets go of it.
  FreeLibraryAndExitThread(start.module, 0);
  return 0;
}

std::function<void()> CWorkerThread::Next(DWORD* wait) {
  *wait = idle_ms_;
  DWORD now = GetTickCount();
  for (auto later = later_.begin(); later != later_.end(); ++later) {
    LONG left = static_cast<LONG>(later->due - now);
    if (left <= 0) {
      std::function<void()> work = std::move(later->work);
      later_.erase(later);
      return work;
    }
    *wait = std::min(*wait, static_cast<DWORD>(left));
  }
  std::function<void()> work;
  if (!queue_.empty()) {
    work = std::move(queue_.front());
    queue_.pop_front();
  }
  return work;
}

void CWorkerThread::Run() {
  CHold<CWakeLock> hold(*lock_);
  for (;;) {
    if (stopping_) {
      running_ = false;
      return;
    }
    DWORD wait;
    std::function<void()> work = Next(&wait);
    if (work) {
      lock_->Unlock();
      try {
        work();
      } catch (...) {
        ReportWorkerFault(name_);
      }
      work = nullptr;  // what it holds goes before the lock is taken again
      lock_->Lock();
      continue;
    }
    idle_ = true;
    lock_->Wait(wait);
    idle_ = false;
    if (wait == idle_ms_ && queue_.empty() && later_.empty()) {
      running_ = false;
      return;
    }
  }
}

namespace {

struct OwnThreadWork {
  std::function<void()> work;
  HMODULE module;
};

DWORD WINAPI RunOwnThread(void* param) {
  std::unique_ptr<OwnThreadWork> job(static_cast<OwnThreadWork*>(param));
  HMODULE module = job->module;
  try {
    job->work();
  } catch (...) {
    ReportWorkerFault("own-thread");
  }
  job.reset();
  // The module may be unloaded as soon as this thread lets go of it.
  FreeLibraryAndExitThread(module, 0);
  return 0;
}

}  // namespace

bool RunOnNewThread(std::function<void()> work) {
  if (!work) return false;
  HMODULE module = HoldThisModule();
  if (!module) return false;
  std::unique_ptr<OwnThreadWork> job(new (std::nothrow) OwnThreadWork{std::move(work), module});
  if (!job) {
    FreeLibrary(module);
    return false;
  }
  CScopedKernelHandle thread(
      CreateThread(nullptr, kStackSize, &RunOwnThread, job.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) {
    FreeLibrary(module);
    return false;
  }
  job.release();
  return true;
}

}  // namespace KestrinWinNS
