#include "common/observe/observer_service.h"

#include <algorithm>

namespace ObserveNS {

using UtilityClassesNS::CReadLockGuard;
using UtilityClassesNS::CWriteLockGuard;

const char kObserverWindowClass[] = "{025AF22A-C712-45b4-95F9-BCEAEAA2453C}";

namespace {

const DWORD kWindowStyle = 0x56000000;  // child, visible, clip siblings and children
const DWORD kThreadStopWaitMs = 2000;

}  // namespace

namespace {
CObserverService* g_instance = nullptr;
}

CObserverService& CObserverService::Instance() {
  // Built once under the runtime's initialisation lock, destroyed at process exit.
  static CObserverService service(false);
  g_instance = &service;
  return service;
}

CObserverService* CObserverService::GetInstance() {
  CObserverService& service = Instance();
  if (!service.HasWindowOwner()) service.StartWindowThread();
  return &service;
}

void CObserverService::Shutdown() {
  if (g_instance) g_instance->StopWindowThread(INFINITE);
}

void CObserverService::AttachThread() {
  CObserverService& service = Instance();
  KestrinWinNS::CScopedLock hold(service.thread_lock_);
  const DWORD me = GetCurrentThreadId();
  if (service.host_thread_ == me) {
    ++service.host_uses_;
  } else if (!service.HasWindowOwner() && service.CreateServiceWindow()) {
    service.host_thread_ = me;
    service.host_uses_ = 1;
  }
}

void CObserverService::DetachThread() {
  CObserverService& service = Instance();
  KestrinWinNS::CScopedLock hold(service.thread_lock_);
  if (service.host_thread_ != GetCurrentThreadId() || --service.host_uses_ > 0) return;
  HWND window = service.GetHwnd();
  if (window) DestroyWindow(window);
  service.host_thread_ = 0;
  service.host_uses_ = 0;
  // Other threads of the process may still count on broadcasts.
  service.StartWindowThreadLocked();
}

CObserverService::CObserverService() : CObserverService(true) {}

CObserverService::CObserverService(bool start_window) {
  if (start_window) StartWindowThread();
}

CObserverService::~CObserverService() {
  // At process exit the thread may be gone already; the wait is bounded for a module unloaded
  // while its loader lock is held without Shutdown having run.
  StopWindowThread(kThreadStopWaitMs);
  CWriteLockGuard guard(lock_);
  observers_.clear();
}

namespace {
const SIZE_T kWindowThreadStack = 256 * 1024;
}  // namespace

bool CObserverService::CreateServiceWindow() {
  WNDCLASSEXA window_class = {sizeof(window_class)};
  window_class.lpszClassName = kObserverWindowClass;
  return RegisterWindowClass(window_class) &&
         Create(kObserverWindowClass, 0, kWindowStyle, RECT{}, HWND_MESSAGE, nullptr, nullptr) != nullptr;
}

void CObserverService::StartWindowThread() {
  KestrinWinNS::CScopedLock hold(thread_lock_);
  StartWindowThreadLocked();
}

void CObserverService::StartWindowThreadLocked() {
  if (!HasWindowOwner()) {
    window_ready_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (window_ready_) {
      // The thread only pumps the broadcast window's messages: a small stack does (the
      // program's default would be committed whole where the platform maps stacks at once).
      thread_.Reset(CreateThread(nullptr, kWindowThreadStack, &CObserverService::WindowThread, this,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
      if (thread_) {
        HANDLE waits[2] = {window_ready_.Get(), thread_.Get()};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
      }
      window_ready_.Reset();
    }
  }
}

void CObserverService::StopWindowThread(DWORD wait_ms) {
  KestrinWinNS::CScopedLock hold(thread_lock_);
  if (host_thread_) {
    // A hosting thread destroys the window itself; another thread has it closed there.
    HWND window = GetHwnd();
    if (window && host_thread_ == GetCurrentThreadId()) {
      DestroyWindow(window);
    } else if (window) {
      DWORD_PTR ignored;
      SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, wait_ms == INFINITE ? kThreadStopWaitMs : wait_ms,
                          &ignored);
    }
    host_thread_ = 0;
    host_uses_ = 0;
  }
  if (thread_) {
    // The window thread destroys its window and ends.
    HWND window = GetHwnd();
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    HANDLE thread = thread_.Get();
    if (wait_ms == INFINITE) {
      // An observer still running there may send to this thread: answer while waiting.
      while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      }
    } else {
      WaitForSingleObject(thread, wait_ms);
    }
    thread_.Reset();
  }
}

DWORD WINAPI CObserverService::WindowThread(void* param) {
  CObserverService* self = static_cast<CObserverService*>(param);
  bool made = self->CreateServiceWindow();
  SetEvent(self->window_ready_.Get());
  if (!made) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

BOOL CObserverService::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
  switch (message) {
    case kMsgUpdateFileChanged:
      Notify(kEventUpdateFileChanged);
      result = 1;
      return TRUE;
    case kMsgSettingsChanged:
      Notify(kEventSettingsChanged);
      result = 1;
      return TRUE;
    case WM_DESTROY:
      // Only the service's own thread ends with its window; a hosting thread goes on.
      if (host_thread_ != GetCurrentThreadId()) PostQuitMessage(0);
      result = 0;
      return TRUE;
  }
  return FALSE;
}

void CObserverService::Register(IObserver* observer, DWORD event) {
  if (!observer) return;
  CWriteLockGuard guard(lock_);
  observers_[event].insert(observer);
}

void CObserverService::Unregister(IObserver* observer, DWORD event) {
  if (!observer) return;
  const DWORD me = GetCurrentThreadId();
  lock_.LockWrite();
  auto found = observers_.find(event);
  if (found != observers_.end()) {
    found->second.erase(observer);
    if (found->second.empty()) observers_.erase(found);
  }
  // A notification running on another thread may still be inside this observer; its owner is
  // about to destroy it, so wait until that call has returned. A call on this thread (the
  // observer unregistering from inside its own Notify) is not waited for.
  while (IsCalledElsewhere(observer, me)) {
    lock_.Unlock();
    // Messages sent to this thread are handled meanwhile, as in a SendMessage wait: the call
    // waited for may itself be sending to a window of this thread.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
    lock_.LockWrite();
  }
  lock_.Unlock();
}

void CObserverService::Notify(DWORD event) {
  // The observers run outside the lock: one of them may register, unregister or notify again
  // (the trusted list notifies event 2 from its event 0) while another thread waits to write.
  std::vector<IObserver*> snapshot;
  {
    CReadLockGuard guard(lock_);
    auto found = observers_.find(event);
    if (found == observers_.end()) return;
    snapshot.assign(found->second.begin(), found->second.end());
  }
  const DWORD me = GetCurrentThreadId();
  for (IObserver* observer : snapshot) {
    {
      CWriteLockGuard guard(lock_);
      if (!IsRegistered(observer, event)) continue;  // unregistered by an earlier observer
      calls_.push_back(Call{observer, me});
    }
    struct CallEnd {
      CObserverService* service;
      IObserver* observer;
      DWORD thread_id;
      ~CallEnd() {
        CWriteLockGuard guard(service->lock_);
        auto& calls = service->calls_;
        for (auto it = calls.begin(); it != calls.end(); ++it) {
          if (it->observer == observer && it->thread_id == thread_id) {
            calls.erase(it);
            break;
          }
        }
      }
    } call_end{this, observer, me};
    observer->Notify(event);
  }
}

bool CObserverService::IsRegistered(IObserver* observer, DWORD event) const {
  auto found = observers_.find(event);
  return found != observers_.end() && found->second.count(observer) != 0;
}

bool CObserverService::IsCalledElsewhere(IObserver* observer, DWORD thread_id) const {
  return std::any_of(calls_.begin(), calls_.end(), [&](const Call& call) {
    return call.observer == observer && call.thread_id != thread_id;
  });
}

void CObserverServiceNotifier::Notify(DWORD event) {
  UINT message;
  if (event == kEventUpdateFileChanged) {
    message = kMsgUpdateFileChanged;
  } else if (event == kEventSettingsChanged) {
    message = kMsgSettingsChanged;
  } else {
    return;
  }
  // Collect the windows first: a window that goes away during the broadcast must not end the
  // search for the ones after it.
  std::vector<HWND> windows;
  HWND window = nullptr;
  while ((window = FindWindowExA(HWND_MESSAGE, window, kObserverWindowClass, nullptr)) != nullptr) {
    windows.push_back(window);
  }
  for (HWND target : windows) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(target, message, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms_, &result);
  }
}

}  // namespace ObserveNS
