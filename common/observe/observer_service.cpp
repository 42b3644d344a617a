#include "common/observe/observer_service.h"

#include <algorithm>

namespace ObserveNS {

using UtilityClassesNS::CReadLockGuard;
using UtilityClassesNS::CWriteLockGuard;

const char kObserverWindowClass[] = "{025AF22A-C712-45b4-95F9-BCEAEAA2453C}";

namespace {

const DWORD kWindowStyle = 0x56000000;  // child, visible, clip siblings and children
const DWORD kThreadStopWaitMs = 2000;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

namespace {
CObserverService* g_instance = nullptr;
}

CObserverService* CObserverService::GetInstance() {
  // Built once under the runtime's initialisation lock, destroyed at process exit.
  static CObserverService service;
  g_instance = &service;
  if (!service.thread_) service.StartWindowThread();
  return &service;
}

void CObserverService::Shutdown() {
  if (g_instance) g_instance->StopWindowThread(INFINITE);
}

CObserverService::CObserverService() {
  InitializeCriticalSection(&thread_lock_);
  StartWindowThread();
}

CObserverService::~CObserverService() {
  // At process exit the thread may be gone already; the wait is bounded for a module unloaded
  // while its loader lock is held without Shutdown having run.
  StopWindowThread(kThreadStopWaitMs);
  DeleteCriticalSection(&thread_lock_);
  CWriteLockGuard guard(lock_);
  observers_.clear();
}

void CObserverService::StartWindowThread() {
  EnterCriticalSection(&thread_lock_);
  if (!thread_) {
    window_ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (window_ready_) {
      thread_ = CreateThread(nullptr, 0, &CObserverService::WindowThread, this, 0, nullptr);
      if (thread_) {
        HANDLE waits[2] = {window_ready_, thread_};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
      }
      CloseHandle(window_ready_);
      window_ready_ = nullptr;
    }
  }
  LeaveCriticalSection(&thread_lock_);
}

void CObserverService::StopWindowThread(DWORD wait_ms) {
  EnterCriticalSection(&thread_lock_);
  if (thread_) {
    // The window thread destroys its window and ends.
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (wait_ms == INFINITE) {
      // An observer still running there may send to this thread: answer while waiting.
      while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      }
    } else {
      WaitForSingleObject(thread_, wait_ms);
    }
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  LeaveCriticalSection(&thread_lock_);
}

DWORD WINAPI CObserverService::WindowThread(void* param) {
  CObserverService* self = static_cast<CObserverService*>(param);
  HINSTANCE instance = ThisModule();
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = &CObserverService::WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kObserverWindowClass;
  RegisterClassA(&window_class);  // fails harmlessly when another service registered it
  HWND window = CreateWindowExA(0, kObserverWindowClass, nullptr, kWindowStyle, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, instance, self);
  self->window_ = window;
  SetEvent(self->window_ready_);
  if (!window) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

LRESULT CALLBACK CObserverService::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    CREATESTRUCTA* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  CObserverService* self = reinterpret_cast<CObserverService*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case kMsgUpdateFileChanged:
      if (self) self->Notify(kEventUpdateFileChanged);
      return 1;
    case kMsgSettingsChanged:
      if (self) self->Notify(kEventSettingsChanged);
      return 1;
    case WM_DESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      if (self) self->window_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
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
