#include "platform/win/worker_thread.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "platform/win/lock.h"
#include "platform/win/module.h"
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

namespace {

std::atomic<bool> g_starts_on_pool{true};

// The system pool's simple callbacks (Windows Vista on), looked up once: a callback of the pool
// lets go of this code's module only once it has returned.
struct PoolApi {
  typedef BOOL(WINAPI* SubmitFn)(void(CALLBACK*)(void*, void*), void*, void*);
  typedef void(WINAPI* FreeWhenReturnsFn)(void*, HMODULE);
  SubmitFn submit;
  FreeWhenReturnsFn free_when_returns;
};

const PoolApi& Pool() {
  static const PoolApi api = [] {
    PoolApi found = {SystemFunctionAs<PoolApi::SubmitFn>("kernel32.dll", "TrySubmitThreadpoolCallback"),
                     SystemFunctionAs<PoolApi::FreeWhenReturnsFn>("kernel32.dll", "FreeLibraryWhenCallbackReturns")};
    if (!found.submit || !found.free_when_returns) found = PoolApi{nullptr, nullptr};
    return found;
  }();
  return api;
}

}  // namespace

bool SetWorkerStartsOnPool(bool use) { return g_starts_on_pool.exchange(use); }

// Reports an exception that ended a task of `worker`; for the catch blocks of the loops below.
static void ReportWorkerFault(const char* worker) {
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
    // Looked up once per process: each look-up takes the loader's lock.
    static const Api api = FindApi();
    acquire_ = api.acquire;
    release_ = api.release;
    sleep_ = api.sleep;
    wake_ = api.wake;
    if (!acquire_ || !release_ || !sleep_ || !wake_) {
      acquire_ = release_ = nullptr;
      event_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    }
  }
  ~CWakeLock() = default;
  CWakeLock(const CWakeLock&) = delete;
  CWakeLock& operator=(const CWakeLock&) = delete;

  // False when the thread cannot be woken.
  bool usable() const { return acquire_ || event_; }
  void Lock() {
    if (acquire_) acquire_(&srw_);
    else section_.Lock();
  }
  void Unlock() {
    if (release_) release_(&srw_);
    else section_.Unlock();
  }
  // With the lock held; it is held again on return.
  void Wait(DWORD ms) {
    if (acquire_) {
      sleep_(&condition_, &srw_, ms, 0);
      return;
    }
    section_.Unlock();
    WaitForSingleObject(event_.Get(), ms);
    section_.Lock();
  }
  void Wake() {
    if (acquire_) wake_(&condition_);
    else SetEvent(event_.Get());
  }

 private:
  typedef void(WINAPI* SrwFn)(void*);
  typedef BOOL(WINAPI* SleepFn)(void*, void*, DWORD, ULONG);
  typedef void(WINAPI* WakeFn)(void*);
  struct Api {
    SrwFn acquire, release;
    SleepFn sleep;
    WakeFn wake;
  };
  static Api FindApi() {
    return Api{SystemFunctionAs<SrwFn>("kernel32.dll", "AcquireSRWLockExclusive"),
               SystemFunctionAs<SrwFn>("kernel32.dll", "ReleaseSRWLockExclusive"),
               SystemFunctionAs<SleepFn>("kernel32.dll", "SleepConditionVariableSRW"),
               SystemFunctionAs<WakeFn>("kernel32.dll", "WakeConditionVariable")};
  }
  SrwFn acquire_ = nullptr, release_ = nullptr;
  SleepFn sleep_ = nullptr;
  WakeFn wake_ = nullptr;
  void* srw_ = nullptr;        // SRWLOCK_INIT
  void* condition_ = nullptr;  // CONDITION_VARIABLE_INIT
  CCriticalSection section_;  // the lock where the system has no SRW lock
  CScopedKernelHandle event_;
};

namespace {

struct ThreadStart {
  CWorkerThread* worker;
  HMODULE module;
};

// The process's workers by number: a start handed to another worker names its worker by
// number, so that one that went meanwhile is not reached. Never destroyed: workers may outlive
// the runtime's exit-time destructors.
struct WorkerList {
  std::mutex lock;
  DWORD next = 0;
  std::vector<std::pair<DWORD, CWorkerThread*>> workers;
  std::vector<DWORD> pool_starts;  // starts for the pool callback queued and not yet run
};

WorkerList& Workers() {
  static WorkerList& list = *new WorkerList();
  return list;
}

DWORD ListWorker(CWorkerThread* worker) {
  WorkerList& list = Workers();
  std::lock_guard<std::mutex> hold(list.lock);
  const DWORD id = ++list.next;
  list.workers.emplace_back(id, worker);
  return id;
}

}  // namespace

// The start of worker `id`, handed to another worker's thread.
struct CWorkerThread::HandedStart {
  DWORD id;
  void operator()() const { StartHandedOver(id); }
};

CWorkerThread::CWorkerThread(const char* name, DWORD idle_ms)
    : name_(name), idle_ms_(idle_ms), lock_(new CWakeLock()), id_(ListWorker(this)) {}

CWorkerThread::~CWorkerThread() {
  {
    // A start handed over for this worker is done, or will not find it.
    WorkerList& list = Workers();
    std::lock_guard<std::mutex> hold(list.lock);
    for (auto entry = list.workers.begin(); entry != list.workers.end(); ++entry) {
      if (entry->first != id_) continue;
      list.workers.erase(entry);
      break;
    }
  }
  std::deque<std::function<void()>> dropped;
  std::vector<Later> dropped_later;
  {
    CScopedLock<CWakeLock> hold(*lock_);
    stopping_ = true;
    dropped.swap(queue_);
    dropped_later.swap(later_);
    lock_->Wake();
  }
  if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
  // Starts handed to this worker are not dropped with its work: the workers waiting for them
  // would wait for ever.
  for (auto& work : dropped)
    if (const HandedStart* start = work.target<HandedStart>()) (*start)();
}

bool CWorkerThread::Post(std::function<void()> work, DWORD delay_ms) {
  if (!work) return false;
  {
    CScopedLock<CWakeLock> hold(*lock_);
    if (!lock_->usable() || stopping_) return false;
    if (delay_ms) later_.push_back(Later{GetTickCount() + delay_ms, std::move(work)});
    else queue_.push_back(std::move(work));
    if (running_ || starting_) {
      // A busy thread looks at its work again before it waits.
      if (idle_) lock_->Wake();
      return true;
    }
    starting_ = true;
  }
  if (HandStartOver()) return true;
  bool started = false;
  if (HandStartToPool(&started)) return started;
  return StartThread();
}

bool CWorkerThread::PostIfRunning(std::function<void()> work, bool idle_only) {
  CScopedLock<CWakeLock> hold(*lock_);
  if (!running_ || stopping_ || (idle_only && !idle_)) return false;
  queue_.push_front(std::move(work));
  if (idle_) lock_->Wake();
  return true;
}

bool CWorkerThread::HandStartOver() {
  WorkerList& list = Workers();
  std::lock_guard<std::mutex> hold(list.lock);
  const DWORD id = id_;
  // A worker waiting for work first; a busy one starts this one right after its current task
  // (the workers' tasks are short: what waits on the network runs on a thread of its own).
  for (bool idle_only : {true, false}) {
    for (auto& entry : list.workers) {
      if (entry.second != this && entry.second->PostIfRunning(HandedStart{id}, idle_only)) return true;
    }
  }
  return false;
}

bool CWorkerThread::HandStartToPool(bool* started) {
  const PoolApi& pool = Pool();
  if (!g_starts_on_pool.load() || !pool.submit) return false;
  *started = true;
  {
    WorkerList& list = Workers();
    std::lock_guard<std::mutex> hold(list.lock);
    list.pool_starts.push_back(id_);
    // A pool callback queued and not yet run takes this start too: a burst of starts asks the
    // pool for one thread.
    if (list.pool_starts.size() > 1) return true;
  }
  HMODULE module = HoldThisModule();
  if (module && pool.submit(&StartOnPool, module, nullptr)) return true;
  if (module) FreeLibrary(module);
  // No callback is coming: the starts gathered meanwhile are made here, this one's last.
  {
    WorkerList& list = Workers();
    std::lock_guard<std::mutex> hold(list.lock);
    list.pool_starts.erase(std::remove(list.pool_starts.begin(), list.pool_starts.end(), id_), list.pool_starts.end());
  }
  StartPoolStarts();
  *started = StartThread();
  return true;
}

void CALLBACK CWorkerThread::StartOnPool(void* instance, void* module) {
  StartPoolStarts();
  Pool().free_when_returns(instance, static_cast<HMODULE>(module));
}

void CWorkerThread::StartPoolStarts() {
  std::vector<DWORD> ids;
  {
    WorkerList& list = Workers();
    std::lock_guard<std::mutex> hold(list.lock);
    ids.swap(list.pool_starts);
  }
  for (DWORD id : ids) StartHandedOver(id);
}

void CWorkerThread::StartHandedOver(DWORD id) {
  WorkerList& list = Workers();
  std::lock_guard<std::mutex> hold(list.lock);
  for (auto& entry : list.workers) {
    if (entry.first != id) continue;
    entry.second->StartThread();
    return;
  }
}

bool CWorkerThread::StartThread() {
  std::deque<std::function<void()>> dropped;  // released after the lock, unrun
  std::vector<Later> dropped_later;
  CScopedLock<CWakeLock> hold(*lock_);
  starting_ = false;
  if (running_) return true;
  if (stopping_) return false;
  HMODULE module = HoldThisModule();
  ThreadStart* start = module ? new (std::nothrow) ThreadStart{this, module} : nullptr;
  CScopedKernelHandle thread(
      start ? CreateThread(nullptr, kStackSize, &Main, start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr) : nullptr);
  if (!thread) {
    delete start;
    if (module) FreeLibrary(module);
    dropped.swap(queue_);
    dropped_later.swap(later_);
    return false;
  }
  // The thread before it has let go of this object (it may still be ending).
  thread_ = std::move(thread);
  running_ = true;
  started_on_ = GetCurrentThreadId();
  return true;
}

DWORD CWorkerThread::StartedOnThread() {
  CScopedLock<CWakeLock> hold(*lock_);
  return started_on_;
}

bool CWorkerThread::IsRunning() {
  CScopedLock<CWakeLock> hold(*lock_);
  return running_ || starting_;
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
  CScopedLock<CWakeLock> hold(*lock_);
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
