// The process's publish-and-subscribe service for change events, and the broadcast that carries
// events 0 and 1 to the services of every process on the desktop.
#pragma once

#include <windows.h>

#include <set>
#include <map>
#include <vector>

#include "common/utility/rwlock.h"
#include "platform/win/lock.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/window.h"

namespace ObserveNS {

// Event numbers.
enum : DWORD {
  kEventUpdateFileChanged = 0,   // rebuild the trusted list; broadcast or in-process
  kEventSettingsChanged = 1,     // settings were saved; broadcast or in-process
  kEventTrustedListRebuilt = 2,  // in-process only
};

// Window class of every process's service window and the messages that carry events 0 and 1.
extern const char kObserverWindowClass[];  // "{025AF22A-C712-45b4-95F9-BCEAEAA2453C}"
const UINT kMsgUpdateFileChanged = 0x8064;
const UINT kMsgSettingsChanged = 0x8065;

// How long a broadcast waits for one window before it skips it.
const UINT kBroadcastTimeoutMs = 3000;

class IObserver {
 public:
  virtual void Notify(DWORD event) = 0;

 protected:
  ~IObserver() {}
};

class IObserverService {
 public:
  virtual void Register(IObserver* observer, DWORD event) = 0;
  virtual void Unregister(IObserver* observer, DWORD event) = 0;
  virtual void Notify(DWORD event) = 0;

 protected:
  ~IObserverService() {}
};

// One per process. Observers are not owned: each must be unregistered before it is destroyed.
// Notify calls the observers outside the lock, so an observer may register, unregister or notify
// from inside its Notify. Unregister returns only when no other thread is still inside a call to
// that observer, so the observer may be destroyed right after it.
//
// The service window lives on a thread of its own that runs until the service goes, so that the
// process keeps receiving broadcasts whichever thread asked for the service first, unless a
// thread that handles window messages for as long as it uses the service hosts it
// (AttachThread): a browser's window thread, where a thread of its own would cost a stack.
// Broadcast events reach the observers on the window's thread: observers guard their own state.
class CObserverService : public IObserverService, public KestrinWinNS::CWindowBase {
 public:
  // The process's service; its window thread is started again if Shutdown stopped it.
  static CObserverService* GetInstance();
  // Stops the window thread of the process's service on an orderly path (a library calls it
  // when its last object goes, before it may be unloaded: the thread cannot end while the
  // loader lock is held). Registrations stay; broadcasts are not received until GetInstance.
  static void Shutdown();
  // A thread that handles window messages starts using the service: the service window is made
  // on it when the process has none yet. Each call is matched by DetachThread on the same
  // thread; when the hosting thread's last use ends, the window moves to a thread of its own
  // (other threads may still be served). Both calls come before any other use on the thread,
  // and after the last one.
  static void AttachThread();
  static void DetachThread();

  // Public for tests that need a service of their own; the system uses GetInstance.
  CObserverService();
  virtual ~CObserverService();

  void Register(IObserver* observer, DWORD event) override;
  void Unregister(IObserver* observer, DWORD event) override;
  void Notify(DWORD event) override;

  // The message-only window that receives broadcasts (null when it could not be created).
  HWND GetWindow() const { return GetHwnd(); }

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  CObserverService(const CObserverService&) = delete;
  CObserverService& operator=(const CObserverService&) = delete;

  struct Call {
    IObserver* observer;
    DWORD thread_id;
  };

  explicit CObserverService(bool start_window);
  static CObserverService& Instance();
  bool HasWindowOwner() const { return thread_ || host_thread_; }
  bool CreateServiceWindow();
  void StartWindowThread();
  void StartWindowThreadLocked();
  void StopWindowThread(DWORD wait_ms);
  bool IsRegistered(IObserver* observer, DWORD event) const;
  bool IsCalledElsewhere(IObserver* observer, DWORD thread_id) const;
  static DWORD WINAPI WindowThread(void* param);

  KestrinWinNS::CCriticalSection thread_lock_;  // starting and stopping the window thread
  KestrinWinNS::CScopedKernelHandle thread_;
  KestrinWinNS::CScopedKernelHandle window_ready_;
  volatile DWORD host_thread_ = 0;  // the attached thread that holds the window, or 0
  int host_uses_ = 0;               // its attachments not yet detached
  std::map<DWORD, std::set<IObserver*>> observers_;
  std::vector<Call> calls_;  // observers being notified now, and on which thread
  mutable UtilityClassesNS::CReadWriteLock lock_;
};

class IObserverServiceNotifier {
 public:
  virtual void Notify(DWORD event) = 0;

 protected:
  ~IObserverServiceNotifier() {}
};

// Broadcasts event 0 or 1 to every service window on the desktop, this process's own included;
// any other event sends nothing. A window whose thread does not answer within the timeout is
// skipped.
class CObserverServiceNotifier : public IObserverServiceNotifier {
 public:
  explicit CObserverServiceNotifier(UINT timeout_ms = kBroadcastTimeoutMs) : timeout_ms_(timeout_ms) {}
  virtual ~CObserverServiceNotifier() {}
  void Notify(DWORD event) override;

 private:
  UINT timeout_ms_;
};

// Registers its owner for one event while it lives.
class CObserverSubscription {
 public:
  CObserverSubscription(IObserverService* service, DWORD event, IObserver* observer)
      : service_(service), event_(event), observer_(observer) {
    if (service_) service_->Register(observer_, event_);
  }
  ~CObserverSubscription() {
    if (service_) service_->Unregister(observer_, event_);
  }

 private:
  CObserverSubscription(const CObserverSubscription&) = delete;
  CObserverSubscription& operator=(const CObserverSubscription&) = delete;

  IObserverService* service_;
  DWORD event_;
  IObserver* observer_;
};

}  // namespace ObserveNS
