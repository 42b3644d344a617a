#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "common/utility/rwlock.h"

#include "platform/win/scoped_handle.h"

using namespace UtilityClassesNS;

namespace {

// A thread that runs one function; joined by the destructor.
class Worker {
 public:
  explicit Worker(std::function<void()> fn) : fn_(std::move(fn)) {
    thread_.Reset(CreateThread(nullptr, 0, &Worker::Run, this, 0, nullptr));
  }
  ~Worker() { WaitForSingleObject(thread_.Get(), 10000); }

 private:
  static DWORD WINAPI Run(void* p) {
    static_cast<Worker*>(p)->fn_();
    return 0;
  }
  std::function<void()> fn_;
  KestrinWinNS::CScopedKernelHandle thread_;
};

// Waits until the condition holds (true) or gives up after two seconds (false).
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 200; ++i) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

}  // namespace

TEST(ReadWriteLock, ReadersShareWritersExclude) {
  CReadWriteLock lock;
  lock.LockRead();
  volatile LONG second_reader_in = 0;
  {
    Worker reader([&] {
      lock.LockRead();
      InterlockedExchange(&second_reader_in, 1);
      lock.Unlock();
    });
    EXPECT_TRUE(Eventually([&] { return second_reader_in == 1; })) << "readers share the lock";
  }
  lock.Unlock();

  lock.LockWrite();
  volatile LONG reader_in = 0;
  Worker reader([&] {
    lock.LockRead();
    InterlockedExchange(&reader_in, 1);
    lock.Unlock();
  });
  Sleep(100);
  EXPECT_EQ(reader_in, 0) << "a reader must wait for the writer";
  lock.Unlock();
  EXPECT_TRUE(Eventually([&] { return reader_in == 1; }));
}

TEST(ReadWriteLock, WaitingWriterGoesBeforeNewReaders) {
  CReadWriteLock lock;
  lock.LockRead();  // one reader inside
  std::vector<int> order;
  CRITICAL_SECTION order_cs;
  InitializeCriticalSection(&order_cs);
  auto note = [&](int who) {
    EnterCriticalSection(&order_cs);
    order.push_back(who);
    LeaveCriticalSection(&order_cs);
  };
  auto count = [&] {
    EnterCriticalSection(&order_cs);
    size_t n = order.size();
    LeaveCriticalSection(&order_cs);
    return n;
  };
  volatile LONG writer_waiting = 0;
  {
    Worker writer([&] {
      InterlockedExchange(&writer_waiting, 1);
      lock.LockWrite();
      note(1);
      Sleep(50);
      lock.Unlock();
    });
    ASSERT_TRUE(Eventually([&] { return writer_waiting == 1; }));
    Sleep(100);  // the writer is now queued behind the reader
    Worker reader_a([&] { lock.LockRead(); note(2); lock.Unlock(); });
    Worker reader_b([&] { lock.LockRead(); note(3); lock.Unlock(); });
    Sleep(100);
    EXPECT_EQ(count(), 0u) << "new readers queue behind the waiting writer";
    lock.Unlock();  // the first reader leaves: the writer, then both readers
    EXPECT_TRUE(Eventually([&] { return count() == 3; }));
  }
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], 1);
  DeleteCriticalSection(&order_cs);
}

TEST(ReadWriteLock, ReadersWokenTogether) {
  CReadWriteLock lock;
  lock.LockWrite();
  volatile LONG inside = 0, max_inside = 0, done = 0;
  KestrinWinNS::CScopedKernelHandle release_event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE release = release_event.Get();
  auto reader = [&] {
    lock.LockRead();
    LONG now = InterlockedIncrement(&inside);
    if (now > max_inside) InterlockedExchange(&max_inside, now);
    WaitForSingleObject(release, 5000);
    InterlockedDecrement(&inside);
    lock.Unlock();
    InterlockedIncrement(&done);
  };
  {
    Worker a(reader), b(reader);
    Sleep(100);
    EXPECT_EQ(inside, 0);
    lock.Unlock();
    // Both readers are inside at the same time, while neither has left.
    EXPECT_TRUE(Eventually([&] { return inside == 2; }));
    SetEvent(release);
  }
  EXPECT_EQ(done, 2);
  EXPECT_EQ(max_inside, 2);
  // The lock is free again: a writer gets it at once.
  lock.LockWrite();
  lock.Unlock();
}
