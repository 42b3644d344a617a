// The worker thread: order, delayed work, idling out, and the report of a task's exception.
#include "platform/win/worker_thread.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"

using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CWorkerThread;

namespace {

const DWORD kWait = 20000;

CScopedKernelHandle NewEvent() { return CScopedKernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)); }

bool Signalled(const CScopedKernelHandle& event, DWORD ms = kWait) {
  return WaitForSingleObject(event.Get(), ms) == WAIT_OBJECT_0;
}

TEST(WorkerThread, RunsWorkInTurnOnOneThreadOfItsOwn) {
  CWorkerThread worker("test", 1000);
  std::vector<int> order;
  std::vector<DWORD> threads;
  CScopedKernelHandle done = NewEvent();
  HANDLE signal = done.Get();
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(worker.Post([&, i] {
      order.push_back(i);
      threads.push_back(GetCurrentThreadId());
    }));
  ASSERT_TRUE(worker.Post([signal] { SetEvent(signal); }));
  ASSERT_TRUE(Signalled(done));
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), order);
  ASSERT_EQ(5u, threads.size());
  EXPECT_NE(GetCurrentThreadId(), threads[0]);
  for (DWORD thread : threads) EXPECT_EQ(threads[0], thread);
  EXPECT_FALSE(worker.Post(nullptr));
}

TEST(WorkerThread, DelayedWorkWaitsItsTimeAndHoldsBackNoOther) {
  CWorkerThread worker("test", 1000);
  bool far_ran = false;
  ASSERT_TRUE(worker.Post([&far_ran] { far_ran = true; }, 600000));
  CScopedKernelHandle now_done = NewEvent(), later_done = NewEvent();
  HANDLE now_signal = now_done.Get(), later_signal = later_done.Get();
  DWORD ran_at = 0;
  std::vector<int> order;  // written on the worker's one thread, read once both have signalled
  const DWORD posted_at = GetTickCount();
  ASSERT_TRUE(worker.Post(
      [&ran_at, &order, later_signal] {
        ran_at = GetTickCount();
        order.push_back(2);
        SetEvent(later_signal);
      },
      200));
  ASSERT_TRUE(worker.Post([&order, now_signal] {
    order.push_back(1);
    SetEvent(now_signal);
  }));
  ASSERT_TRUE(Signalled(now_done));
  ASSERT_TRUE(Signalled(later_done));
  EXPECT_GE(ran_at - posted_at, 200u);
  // The work posted after the delayed one ran first: the delay held nothing back.
  EXPECT_EQ((std::vector<int>{1, 2}), order);
  EXPECT_FALSE(far_ran);  // not due for ten minutes: dropped when the worker goes
}

TEST(WorkerThread, EndsAfterIdlingAndStartsAgainForNewWork) {
  CWorkerThread worker("test", 50);
  EXPECT_FALSE(worker.IsRunning());
  for (int round = 0; round < 2; ++round) {
    CScopedKernelHandle done = NewEvent();
    HANDLE signal = done.Get();
    ASSERT_TRUE(worker.Post([signal] { SetEvent(signal); }));
    EXPECT_TRUE(worker.IsRunning());
    ASSERT_TRUE(Signalled(done)) << round;
    // The thread ends on its own once it has idled; nothing else is asked of it meanwhile.
    DWORD waited = 0;
    while (worker.IsRunning() && waited < kWait) {
      Sleep(20);
      waited += 20;
    }
    EXPECT_FALSE(worker.IsRunning()) << round;
  }
}

// The thread a worker's work runs on, waited for.
DWORD ThreadOfWork(CWorkerThread* worker) {
  DWORD thread = 0;
  CScopedKernelHandle done = NewEvent();
  HANDLE signal = done.Get();
  if (!worker->Post([&thread, signal] {
        thread = GetCurrentThreadId();
        SetEvent(signal);
      }) ||
      !Signalled(done))
    return 0;
  return thread;
}

// Sets whether starts go to the system's pool for as long as it lives.
class CPoolStarts {
 public:
  explicit CPoolStarts(bool use) : before_(KestrinWinNS::SetWorkerStartsOnPool(use)) {}
  ~CPoolStarts() { KestrinWinNS::SetWorkerStartsOnPool(before_); }

 private:
  bool before_;
};

TEST(WorkerThread, AnIdleWorkerIsStartedByARunningOneElseByThePoolElseByThePoster) {
  enum Starter { kOtherWorker, kPool, kPoster };
  const struct {
    bool other_running, pool;
    Starter starter;
  } cases[] = {
      {true, true, kOtherWorker},
      {true, false, kOtherWorker},
      {false, true, kPool},
      {false, false, kPoster},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.other_running ? "another worker runs" : "no other worker runs") +
                 (c.pool ? ", pool allowed" : ", no pool"));
    CPoolStarts pool(c.pool);
    CWorkerThread other("other", 60000);
    const DWORD other_thread = c.other_running ? ThreadOfWork(&other) : 0;
    ASSERT_EQ(c.other_running, other_thread != 0);
    CWorkerThread worker("test", 60000);
    const DWORD worker_thread = ThreadOfWork(&worker);
    ASSERT_NE(0u, worker_thread);
    EXPECT_NE(GetCurrentThreadId(), worker_thread);
    EXPECT_NE(other_thread, worker_thread);  // its work runs on a thread of its own
    const DWORD started_on = worker.StartedOnThread();
    switch (c.starter) {
      case kOtherWorker:
        EXPECT_EQ(other_thread, started_on);
        break;
      case kPool:
        // A thread neither the poster's, nor any worker's.
        EXPECT_NE(0u, started_on);
        EXPECT_NE(GetCurrentThreadId(), started_on);
        EXPECT_NE(worker_thread, started_on);
        break;
      case kPoster:
        EXPECT_EQ(GetCurrentThreadId(), started_on);
        break;
    }
  }
}

TEST(WorkerThread, AWorkerThatGoesBeforeItsHandedOverStartLeavesItUndone) {
  CWorkerThread busy("busy", 60000);
  CScopedKernelHandle release = NewEvent(), released = NewEvent();
  HANDLE release_signal = release.Get(), released_signal = released.Get();
  ASSERT_NE(0u, ThreadOfWork(&busy));
  ASSERT_TRUE(busy.Post([release_signal] { WaitForSingleObject(release_signal, kWait); }));
  bool ran = false;
  {
    CWorkerThread worker("test", 60000);
    ASSERT_TRUE(worker.Post([&ran] { ran = true; }));
    EXPECT_TRUE(worker.IsRunning());  // its start waits behind the busy worker's task
    EXPECT_EQ(0u, worker.StartedOnThread());
  }
  SetEvent(release_signal);
  ASSERT_TRUE(busy.Post([released_signal] { SetEvent(released_signal); }));
  ASSERT_TRUE(Signalled(released));
  EXPECT_FALSE(ran);
}

TEST(WorkerThread, AStartHandedToAWorkerThatGoesIsNotLost) {
  std::unique_ptr<CWorkerThread> busy(new CWorkerThread("busy", 60000));
  CScopedKernelHandle release = NewEvent(), done = NewEvent();
  HANDLE release_signal = release.Get(), done_signal = done.Get();
  ASSERT_NE(0u, ThreadOfWork(busy.get()));
  ASSERT_TRUE(busy->Post([release_signal] { WaitForSingleObject(release_signal, kWait); }));
  CWorkerThread worker("test", 60000);
  ASSERT_TRUE(worker.Post([done_signal] { SetEvent(done_signal); }));
  // The busy worker goes with the start still queued, or just after it ran it.
  SetEvent(release_signal);
  busy.reset();
  EXPECT_TRUE(Signalled(done));
  EXPECT_NE(0u, worker.StartedOnThread());
}

// What the workers reported through the fault log.
struct Fault {
  std::string worker, what;
};
std::mutex g_faults_lock;
std::vector<Fault> g_faults;
HANDLE g_fault_logged = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // lives as long as the test

void RecordFault(const char* worker, const char* what) {
  std::lock_guard<std::mutex> hold(g_faults_lock);
  g_faults.push_back(Fault{worker, what});
  SetEvent(g_fault_logged);
}

class WorkerFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    g_faults.clear();
    ResetEvent(g_fault_logged);
    previous_ = KestrinWinNS::SetWorkerFaultLog(&RecordFault);
  }
  void TearDown() override { KestrinWinNS::SetWorkerFaultLog(previous_); }

  std::vector<Fault> Faults() {
    std::lock_guard<std::mutex> hold(g_faults_lock);
    return g_faults;
  }

  KestrinWinNS::WorkerFaultLog previous_ = nullptr;
};

TEST_F(WorkerFaults, ATaskThatThrowsIsLoggedAndTheNextStillRuns) {
  struct {
    std::function<void()> task;
    const char* what;
  } cases[] = {
      {[] { throw std::runtime_error("no seal today"); }, "no seal today"},
      {[] { throw 42; }, "unknown exception"},
  };
  CWorkerThread worker("seal", 1000);
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_faults.clear();
    CScopedKernelHandle done = NewEvent();
    HANDLE signal = done.Get();
    ASSERT_TRUE(worker.Post(c.task));
    ASSERT_TRUE(worker.Post([signal] { SetEvent(signal); }));
    ASSERT_TRUE(Signalled(done));
    std::vector<Fault> faults = Faults();
    ASSERT_EQ(1u, faults.size());
    EXPECT_EQ("seal", faults[0].worker);
    EXPECT_EQ(c.what, faults[0].what);
  }
}

TEST_F(WorkerFaults, AThreadOfItsOwnLogsWhatItsWorkThrows) {
  CScopedKernelHandle thrown = NewEvent();
  HANDLE signal = thrown.Get();
  ASSERT_TRUE(KestrinWinNS::RunOnNewThread([signal] {
    SetEvent(signal);
    throw std::logic_error("late answer");
  }));
  ASSERT_TRUE(Signalled(thrown));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_fault_logged, kWait));
  std::vector<Fault> faults = Faults();
  ASSERT_EQ(1u, faults.size());
  EXPECT_EQ("late answer", faults[0].what);
  EXPECT_FALSE(KestrinWinNS::RunOnNewThread(nullptr));
}

}  // namespace
