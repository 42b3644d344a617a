// A worker thread with a queue: work runs in turn, at once or after a delay. The thread is
// started with the first work, holds the module holding this code loaded while it runs, and
// ends after a while without work. Starting a thread is costly for the thread that asks (and
// takes the loader's lock, which a thread loading a library holds for long): when another
// worker of the process is running, the start is handed to that worker's thread, else to a
// thread of the system's pool, and the posting thread only queues its work; it starts the
// thread itself only where the system has no pool. Its lock is a slim reader/writer lock with a condition
// variable where the system has them, else a critical section with an event.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/win/scoped_handle.h"

namespace KestrinWinNS {

// Where a worker reports a task that ended with an exception: the worker's name and the
// exception's text ("unknown exception" when it is no std::exception). Set once at start-up by
// a program that has a log; the default writes the line to the debugger.
typedef void (*WorkerFaultLog)(const char* worker, const char* what);
// Null: the default again. Returns the one set before.
WorkerFaultLog SetWorkerFaultLog(WorkerFaultLog log);

// Whether a worker's start may be handed to the system's pool (true unless changed; false: the
// posting thread starts it when no other worker runs). Returns the setting before.
bool SetWorkerStartsOnPool(bool use);

class CWorkerThread {
 public:
  // `name` is kept (a literal); `idle_ms`: how long the thread waits for work before it ends.
  CWorkerThread(const char* name, DWORD idle_ms);
  // Waits for the thread: the work running ends, the work waiting is dropped. (The process's
  // workers are never destroyed: at exit their threads may be gone or stopped anywhere.)
  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Runs `work` on the thread after the work posted before it, not before `delay_ms` have
  // passed. False when the thread could not be started here (the work is then dropped; so is
  // the work waiting for a start handed to another worker that then fails).
  bool Post(std::function<void()> work, DWORD delay_ms = 0);

  // True while the thread runs (it may be about to end) or its start is under way.
  bool IsRunning();

  // The thread that started this worker's thread the last time (0 before any start).
  DWORD StartedOnThread();

 private:
  class CWakeLock;
  struct HandedStart;
  struct Later {
    DWORD due;
    std::function<void()> work;
  };

  static DWORD WINAPI Main(void* param);
  void Run();
  std::function<void()> Next(DWORD* wait);
  // Queues `work` ahead of the queue when the thread runs (and will look at its queue again),
  // and with `idle_only` only when it waits for work; false otherwise.
  bool PostIfRunning(std::function<void()> work, bool idle_only);
  // Asks a running worker of the process to start this one's thread; false when none runs.
  bool HandStartOver();
  // Asks a thread of the system's pool to start this one's thread: false when starts may not
  // go to the pool; else true, with *started false when the start was made here and failed.
  bool HandStartToPool(bool* started);
  // Starts the thread on this thread unless it runs; false when it could not be started.
  bool StartThread();
  // On another worker's thread or the pool's: the start handed over to it.
  static void StartHandedOver(DWORD id);
  // The pool's callback (holding `module`), and the starts it takes.
  static void CALLBACK StartOnPool(void* instance, void* module);
  static void StartPoolStarts();

  const char* name_;
  const DWORD idle_ms_;
  std::unique_ptr<CWakeLock> lock_;
  std::deque<std::function<void()>> queue_;
  std::vector<Later> later_;
  CScopedKernelHandle thread_;  // the last thread started
  bool running_ = false;
  bool starting_ = false;  // another worker's thread was asked to start the thread
  bool idle_ = false;      // the thread waits to be woken
  bool stopping_ = false;  // the object goes
  DWORD started_on_ = 0;   // the thread that started the last thread
  const DWORD id_;         // the worker's number in the process's list of workers
};

// Runs `work` once on a thread of its own that holds the module loaded while it runs; an
// exception the work lets out is reported as a worker's. False when the thread could not be
// started (the work is then dropped).
bool RunOnNewThread(std::function<void()> work);

}  // namespace KestrinWinNS
