#include "common/observe/observer_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "tests/common/observe/private_desktop.h"
#include "platform/win/scoped_handle.h"

using namespace ObserveNS;

namespace {

// Counts its notifications and runs an optional action inside each.
class CountingObserver : public IObserver {
 public:
  void Notify(DWORD event) override {
    ++count;
    last_event = event;
    thread_id = GetCurrentThreadId();
    if (action) action(event);
  }
  std::atomic<int> count{0};
  std::atomic<DWORD> last_event{0xFFFFFFFF};
  std::atomic<DWORD> thread_id{0};
  std::function<void(DWORD)> action;
};

// Runs `body` on a new thread; Wait() tells whether it finished within the limit.
class Worker {
 public:
  explicit Worker(std::function<void()> body) : body_(std::move(body)) {
    thread_.Reset(CreateThread(nullptr, 0, &Worker::Main, this, 0, nullptr));
  }
  ~Worker() {
    if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
  }
  bool Wait(DWORD ms) { return thread_ && WaitForSingleObject(thread_.Get(), ms) == WAIT_OBJECT_0; }

 private:
  static DWORD WINAPI Main(void* param) {
    static_cast<Worker*>(param)->body_();
    return 0;
  }
  std::function<void()> body_;
  KestrinWinNS::CScopedKernelHandle thread_;
};

class Event {
 public:
  Event() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  void Set() { SetEvent(handle_.Get()); }
  bool Wait(DWORD ms) { return WaitForSingleObject(handle_.Get(), ms) == WAIT_OBJECT_0; }
  HANDLE get() const { return handle_.Get(); }

 private:
  KestrinWinNS::CScopedKernelHandle handle_;
};

const DWORD kLongWaitMs = 10000;  // only reached when something hangs

}  // namespace

TEST(ObserverService, RegistrationPerEvent) {
  CObserverService service;
  CountingObserver a, b;
  service.Register(&a, 1);
  service.Register(&a, 1);  // a second registration of the same observer stays one
  service.Register(&b, 2);
  service.Register(nullptr, 1);

  service.Notify(1);
  EXPECT_EQ(1, a.count);
  EXPECT_EQ(0, b.count);
  service.Notify(2);
  EXPECT_EQ(1, b.count);
  EXPECT_EQ(2u, b.last_event.load());
  service.Notify(7);  // nobody registered
  EXPECT_EQ(1, a.count);
  EXPECT_EQ(1, b.count);

  service.Unregister(&a, 1);  // one Unregister removes the doubled registration
  service.Unregister(nullptr, 1);
  service.Unregister(&b, 5);  // not registered for 5: no effect on event 2
  service.Notify(1);
  service.Notify(2);
  EXPECT_EQ(1, a.count);
  EXPECT_EQ(2, b.count);
}

TEST(ObserverService, SubscriptionLastsAsLongAsItsOwner) {
  CObserverService service;
  CountingObserver observer;
  {
    CObserverSubscription subscription(&service, 2, &observer);
    service.Notify(2);
  }
  service.Notify(2);
  EXPECT_EQ(1, observer.count);
}

// An observer of event 0 notifies event 2 on the same thread while another thread waits to
// register: with the observers called under the lock this waits for ever.
TEST(ObserverService, ObserverMayNotifyWhileARegistrationWaits) {
  CObserverService service;
  CountingObserver rebuild, reclassify, late;
  Event inside, registered;
  std::unique_ptr<Worker> registrar;
  rebuild.action = [&](DWORD) {
    inside.Set();
    registrar.reset(new Worker([&] {
      service.Register(&late, 2);
      registered.Set();
    }));
    registered.Wait(500);  // give the registration time to queue up if it must wait
    service.Notify(2);
  };
  service.Register(&rebuild, 0);
  service.Register(&reclassify, 2);

  Worker notifier([&] { service.Notify(0); });
  ASSERT_TRUE(notifier.Wait(kLongWaitMs)) << "Notify(0) did not return";
  EXPECT_TRUE(registered.Wait(kLongWaitMs));
  EXPECT_EQ(1, reclassify.count);
  registrar.reset();
  int before = late.count;
  service.Notify(2);
  EXPECT_EQ(before + 1, late.count);
}

TEST(ObserverService, ObserverMayChangeSubscriptionsInsideNotify) {
  CObserverService service;
  CountingObserver first, second, added;
  // Whichever of the two runs first removes the other and itself and adds a third.
  auto change = [&](DWORD) {
    service.Unregister(&first, 1);
    service.Unregister(&second, 1);
    service.Register(&added, 1);
  };
  first.action = change;
  second.action = change;
  service.Register(&first, 1);
  service.Register(&second, 1);

  Worker notifier([&] { service.Notify(1); });
  ASSERT_TRUE(notifier.Wait(kLongWaitMs));
  EXPECT_EQ(1, first.count + second.count) << "an observer removed during the dispatch was still called";
  EXPECT_EQ(0, added.count);
  service.Notify(1);
  EXPECT_EQ(1, first.count + second.count);
  EXPECT_EQ(1, added.count);
}

// After Unregister returns the observer may be destroyed: a call still running on another thread
// must have ended.
TEST(ObserverService, UnregisterWaitsForACallOnAnotherThread) {
  CObserverService service;
  CountingObserver observer;
  Event inside, release;
  std::atomic<bool> call_ended{false};
  observer.action = [&](DWORD) {
    inside.Set();
    release.Wait(kLongWaitMs);
    call_ended = true;
  };
  service.Register(&observer, 1);
  Worker notifier([&] { service.Notify(1); });
  ASSERT_TRUE(inside.Wait(kLongWaitMs));

  std::atomic<bool> unregistered{false};
  Worker remover([&] {
    service.Unregister(&observer, 1);
    unregistered = true;
    EXPECT_TRUE(call_ended);
  });
  EXPECT_FALSE(remover.Wait(100));
  release.Set();
  EXPECT_TRUE(remover.Wait(kLongWaitMs));
  EXPECT_TRUE(unregistered);
}

// The call waited for sends to a window of the unregistering thread (a border re-reading its
// settings moves its window): the wait handles that message instead of deadlocking.
TEST(ObserverService, UnregisterHandlesMessagesTheRunningCallSends) {
  CObserverService service;
  HWND window = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  CountingObserver observer;
  Event inside;
  std::atomic<bool> delivered{false};
  observer.action = [&](DWORD) {
    inside.Set();
    DWORD_PTR result = 0;
    delivered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kLongWaitMs, &result) != 0;
  };
  service.Register(&observer, 1);
  Worker notifier([&] { service.Notify(1); });
  ASSERT_TRUE(inside.Wait(kLongWaitMs));
  service.Unregister(&observer, 1);
  EXPECT_TRUE(delivered) << "Unregister did not let the call's message through";
  EXPECT_TRUE(notifier.Wait(kLongWaitMs));
  DestroyWindow(window);
}

TEST(ObserverBroadcast, ReachesTheServiceWindowsOfThisProcess) {
  CObserverService service;
  ASSERT_NE(nullptr, service.GetWindow());
  char name[64] = {};
  GetClassNameA(service.GetWindow(), name, sizeof(name));
  EXPECT_STREQ("{025AF22A-C712-45b4-95F9-BCEAEAA2453C}", name);

  CountingObserver update, settings, rebuilt;
  service.Register(&update, 0);
  service.Register(&settings, 1);
  service.Register(&rebuilt, 2);
  CObserverServiceNotifier notifier;
  notifier.Notify(0);
  notifier.Notify(1);
  notifier.Notify(1);
  notifier.Notify(2);  // in-process only: never broadcast
  EXPECT_EQ(1, update.count);
  EXPECT_EQ(2, settings.count);
  EXPECT_EQ(0, rebuilt.count);
  // Delivered on the service's own thread, not on the sender's.
  EXPECT_NE(GetCurrentThreadId(), settings.thread_id.load());
  // The messages are answered with 1; other messages go to the default procedure.
  EXPECT_EQ(1, SendMessageA(service.GetWindow(), kMsgSettingsChanged, 0, 0));
  EXPECT_EQ(3, settings.count);
  EXPECT_EQ(0, SendMessageA(service.GetWindow(), WM_USER + 5, 0, 0));
}

// A service first asked for on a thread that ends (a closed browser tab) keeps receiving.
TEST(ObserverBroadcast, ServiceOutlivesTheThreadThatCreatedIt) {
  std::unique_ptr<CObserverService> service;
  {
    Worker creator([&] { service.reset(new CObserverService); });
    ASSERT_TRUE(creator.Wait(kLongWaitMs));
  }
  ASSERT_NE(nullptr, service->GetWindow());
  EXPECT_TRUE(IsWindow(service->GetWindow()));
  CountingObserver observer;
  service->Register(&observer, 1);
  CObserverServiceNotifier().Notify(1);
  EXPECT_EQ(1, observer.count);

  HWND window = service->GetWindow();
  service.reset();
  EXPECT_FALSE(IsWindow(window)) << "the service window outlived its service";
}

// A window of the class whose thread never handles messages must not hold up the broadcast, and
// the windows after it still get the event.
TEST(ObserverBroadcast, HungWindowIsSkipped) {
  CObserverService service;
  CountingObserver observer;
  service.Register(&observer, 1);

  Event created, stop;
  HWND hung = nullptr;
  Worker hung_thread([&] {
    hung = CreateWindowExA(0, kObserverWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    created.Set();
    stop.Wait(INFINITE);  // never pumps messages
    if (hung) DestroyWindow(hung);
  });
  ASSERT_TRUE(created.Wait(kLongWaitMs));
  ASSERT_NE(nullptr, hung);

  Worker sender([&] { CObserverServiceNotifier(200).Notify(1); });
  bool returned = sender.Wait(kLongWaitMs);
  stop.Set();
  EXPECT_TRUE(returned) << "the broadcast waited on a hung window";
  EXPECT_EQ(1, observer.count);
}

TEST(ObserverBroadcast, GetInstanceIsOneServicePerProcess) {
  CObserverService* service = CObserverService::GetInstance();
  ASSERT_NE(nullptr, service);
  CObserverService* other = nullptr;
  Worker worker([&] { other = CObserverService::GetInstance(); });
  ASSERT_TRUE(worker.Wait(kLongWaitMs));
  EXPECT_EQ(service, other);
  EXPECT_NE(nullptr, service->GetWindow());
}

// A library about to be unloaded stops the window thread; the next use starts it again and the
// registrations made before still hear broadcasts.
TEST(ObserverBroadcast, ShutdownStopsTheWindowUntilTheNextUse) {
  CObserverService* service = CObserverService::GetInstance();
  CountingObserver observer;
  service->Register(&observer, 1);
  HWND window = service->GetWindow();
  ASSERT_NE(nullptr, window);

  CObserverService::Shutdown();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(nullptr, service->GetWindow());
  CObserverServiceNotifier().Notify(1);
  EXPECT_EQ(0, observer.count) << "no window, no broadcast";

  EXPECT_EQ(service, CObserverService::GetInstance());
  ASSERT_NE(nullptr, service->GetWindow());
  EXPECT_TRUE(IsWindow(service->GetWindow()));
  CObserverServiceNotifier().Notify(1);
  EXPECT_EQ(1, observer.count);
  service->Unregister(&observer, 1);
}

// A browser's window thread hosts the process's service window while it uses the service (no
// thread of the service's own); when its last use ends the window moves to a thread of its
// own, other threads still hear broadcasts, and the hosting thread's message loop goes on.
TEST(ObserverBroadcast, AttachedThreadHostsTheWindowUntilItsLastUseEnds) {
  CObserverService::Shutdown();  // no window: the next attached thread makes it
  CountingObserver observer;
  Event attached, detach_once, detached_once, detach_last, detached, stop;
  HWND hosted = nullptr, after_first = nullptr, moved = nullptr;
  bool quit_posted = true;
  DWORD host_id = 0;
  // The host answers sent messages while it waits, as a window thread's message loop does.
  auto wait_pumping = [](Event& event) {
    HANDLE handle = event.get();
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, kLongWaitMs, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
  };
  Worker host([&] {
    host_id = GetCurrentThreadId();
    CObserverService::AttachThread();
    CObserverService::AttachThread();  // a second object on the same thread
    CObserverService* service = CObserverService::GetInstance();
    service->Register(&observer, kEventSettingsChanged);
    hosted = service->GetWindow();
    attached.Set();
    wait_pumping(detach_once);
    CObserverService::DetachThread();
    after_first = service->GetWindow();
    detached_once.Set();
    wait_pumping(detach_last);
    CObserverService::DetachThread();
    moved = service->GetWindow();
    MSG msg;
    quit_posted = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    detached.Set();
    stop.Wait(kLongWaitMs);
  });
  ASSERT_TRUE(attached.Wait(kLongWaitMs));
  ASSERT_NE(nullptr, hosted);
  EXPECT_EQ(host_id, GetWindowThreadProcessId(hosted, nullptr));
  CObserverServiceNotifier().Notify(kEventSettingsChanged);
  EXPECT_EQ(1, observer.count);
  EXPECT_EQ(host_id, observer.thread_id.load()) << "delivered on the hosting thread";

  detach_once.Set();
  ASSERT_TRUE(detached_once.Wait(kLongWaitMs));
  EXPECT_EQ(hosted, after_first) << "the thread still has a use";

  detach_last.Set();
  ASSERT_TRUE(detached.Wait(kLongWaitMs));
  EXPECT_FALSE(IsWindow(hosted));
  ASSERT_NE(nullptr, moved);
  DWORD moved_to = GetWindowThreadProcessId(moved, nullptr);
  EXPECT_NE(host_id, moved_to);
  EXPECT_NE(GetCurrentThreadId(), moved_to);
  EXPECT_FALSE(quit_posted) << "the hosting thread's message loop was told to end";
  stop.Set();
  ASSERT_TRUE(host.Wait(kLongWaitMs));
  CObserverServiceNotifier().Notify(kEventSettingsChanged);
  EXPECT_EQ(2, observer.count) << "the window thread of its own hears broadcasts after the host ended";
  CObserverService::GetInstance()->Unregister(&observer, kEventSettingsChanged);
}
