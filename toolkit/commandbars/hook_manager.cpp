#include "toolkit/commandbars/hook_manager.h"

#include <algorithm>
#include <memory>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/drawing/seams.h"

namespace {
thread_local const MSG* t_current_message = nullptr;
// Per-thread managers, destroyed with the thread (their hooks go with them).
thread_local std::unique_ptr<CTKKeyboardManager> t_keyboard;
thread_local std::unique_ptr<CTKMouseManager> t_mouse;
// The last mouse position seen by the mouse hook.
int g_last_mouse_x = -1;
int g_last_mouse_y = -1;

template <typename T>
bool Contains(const std::vector<T>& v, const T& x) {
  return std::find(v.begin(), v.end(), x) != v.end();
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Hook manager

CTKHookManager& CTKHookManager::Instance() {
  static CTKHookManager manager;
  return manager;
}

const MSG* CTKHookManager::CurrentMessage() { return t_current_message; }

size_t CTKHookManager::ClientCount(HWND hwnd) const {
  auto it = sinks_.find(hwnd);
  return it == sinks_.end() ? 0 : it->second->clients.size();
}

void CTKHookManager::SetHook(HWND hwnd, CTKHookManagerHookAble* client) {
  if (!hwnd || !client || !::IsWindow(hwnd)) return;
  CHookSink* sink;
  auto it = sinks_.find(hwnd);
  if (it == sinks_.end()) {
    sink = new CHookSink;
    sink->hwnd = hwnd;
    sink->previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    sinks_[hwnd] = sink;
  } else {
    sink = it->second;
  }
  if (!Contains(sink->clients, client)) sink->clients.push_back(client);
}

void CTKHookManager::DeleteClient(CTKHookManagerHookAble* client) {
  if (dispatch_depth_ > 0) {
    if (!Contains(doomed_clients_, client)) doomed_clients_.push_back(client);
  } else {
    delete client;
  }
}

void CTKHookManager::RemoveHook(HWND hwnd, CTKHookManagerHookAble* client) {
  auto it = sinks_.find(hwnd);
  if (it == sinks_.end()) return;
  CHookSink* sink = it->second;
  auto pos = std::find(sink->clients.begin(), sink->clients.end(), client);
  if (pos != sink->clients.end()) {
    sink->clients.erase(pos);
    if (client->m_bAutoDestroy) DeleteClient(client);
  }
  if (sink->clients.empty()) DropSink(sink);
}

void CTKHookManager::RemoveClient(CTKHookManagerHookAble* client) {
  std::vector<HWND> windows;
  for (auto& entry : sinks_)
    if (Contains(entry.second->clients, client)) windows.push_back(entry.first);
  for (HWND hwnd : windows) RemoveHook(hwnd, client);
}

void CTKHookManager::RemoveAll() {
  std::vector<CHookSink*> sinks;
  for (auto& entry : sinks_) sinks.push_back(entry.second);
  for (CHookSink* sink : sinks) DropSink(sink);
}

void CTKHookManager::DropSink(CHookSink* sink) {
  sinks_.erase(sink->hwnd);
  if (::IsWindow(sink->hwnd) &&
      reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(sink->hwnd, GWLP_WNDPROC)) == &SubclassProc)
    ::SetWindowLongPtrW(sink->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sink->previous));
  std::vector<CTKHookManagerHookAble*> clients;
  clients.swap(sink->clients);
  for (auto it = clients.rbegin(); it != clients.rend(); ++it)
    if ((*it)->m_bAutoDestroy) DeleteClient(*it);
  if (dispatch_depth_ > 0)
    doomed_sinks_.push_back(sink);
  else
    delete sink;
}

void CTKHookManager::EndDispatch() {
  if (--dispatch_depth_ > 0) return;
  std::vector<CTKHookManagerHookAble*> clients;
  clients.swap(doomed_clients_);
  std::vector<CHookSink*> sinks;
  sinks.swap(doomed_sinks_);
  for (CTKHookManagerHookAble* client : clients) delete client;
  for (CHookSink* sink : sinks) delete sink;
}

LRESULT CALLBACK CTKHookManager::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{hwnd, message, wParam, lParam, 0, {0, 0}};
  const MSG* earlier = t_current_message;
  t_current_message = &msg;
  CTKHookManager& self = Instance();
  auto it = self.sinks_.find(hwnd);
  LRESULT result = 0;
  if (it != self.sinks_.end()) result = self.Dispatch(it->second, message, wParam, lParam);
  t_current_message = earlier;
  return result;
}

LRESULT CTKHookManager::Dispatch(CHookSink* sink, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = sink->previous;
  HWND hwnd = sink->hwnd;
  if (message == WM_NCDESTROY) {
    DropSink(sink);
    return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
  }
  ++dispatch_depth_;
  // Clients may add or remove clients (themselves included) while they run: walk a snapshot
  // from the last registered to the first, skipping those removed meanwhile. Removed clients
  // and sinks stay alive until the outermost dispatch ends.
  std::vector<CTKHookManagerHookAble*> snapshot = sink->clients;
  LRESULT result = 0;
  bool consumed = false;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    if (!Contains(sink->clients, *it)) continue;
    int answer = (*it)->OnHookMessage(hwnd, message, wParam, lParam, result);
    if (answer == CTKHookManagerHookAble::kConsumed) {
      consumed = true;
      break;
    }
    if (answer == CTKHookManagerHookAble::kStop) break;
  }
  if (!consumed) result = ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
  EndDispatch();
  return result;
}

// ---------------------------------------------------------------------------------------------
// Keyboard manager

CTKKeyboardManager* CTKKeyboardManager::ThreadInstance() {
  if (!t_keyboard) t_keyboard.reset(new CTKKeyboardManager);
  return t_keyboard.get();
}

void CTKKeyboardManager::ReleaseThreadInstance() {
  t_keyboard.reset();
}

CTKKeyboardManager::~CTKKeyboardManager() { Unhook(); }

void CTKKeyboardManager::Unhook() {
  if (keyboard_hook_) ::UnhookWindowsHookEx(keyboard_hook_);
  if (callwnd_hook_) ::UnhookWindowsHookEx(callwnd_hook_);
  keyboard_hook_ = callwnd_hook_ = nullptr;
}

void CTKKeyboardManager::AddClient(CTKHookManagerHookAble* client) {
  if (!keyboard_hook_)
    keyboard_hook_ = ::SetWindowsHookExW(WH_KEYBOARD, &KeyboardProc, nullptr, ::GetCurrentThreadId());
  if (!callwnd_hook_)
    callwnd_hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, &CallWndProc, nullptr, ::GetCurrentThreadId());
  if (!Contains(clients_, client)) clients_.push_back(client);
}

void CTKKeyboardManager::RemoveClient(CTKHookManagerHookAble* client) {
  auto it = std::find(clients_.begin(), clients_.end(), client);
  if (it != clients_.end()) clients_.erase(it);
  if (clients_.empty()) Unhook();
}

bool CTKKeyboardManager::HasClient(CTKHookManagerHookAble* client) const { return Contains(clients_, client); }

bool CTKKeyboardManager::ProcessKey(WPARAM key, LPARAM data) {
  if (clients_.empty() || (data & 0x80000000)) return false;
  if ((data & 0x20000000) && key == VK_MENU) {
    CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
    if (mouse->LockCounter() <= 0) {
      if (data & 0x40000000) return false;  // auto-repeat: not offered, not eaten
      mouse->CloseTrackedBars();
      return true;
    }
  }
  // Offer the key to the clients in the order added; they may leave while it is offered.
  std::vector<CTKHookManagerHookAble*> snapshot = clients_;
  for (CTKHookManagerHookAble* client : snapshot) {
    if (!Contains(clients_, client)) continue;
    WPARAM w = key;
    LPARAM l = data;
    LRESULT result = 0;
    int answer = client->OnHookMessage(nullptr, WM_KEYDOWN, w, l, result);
    if (answer == CTKHookManagerHookAble::kStop) return false;
    if (answer != 0) return true;
  }
  return true;
}

LRESULT CALLBACK CTKKeyboardManager::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  CTKKeyboardManager* self = t_keyboard.get();
  HHOOK hook = self ? self->keyboard_hook_ : nullptr;
  if (code == HC_ACTION && self && self->ProcessKey(wParam, lParam)) return 1;
  return ::CallNextHookEx(hook, code, wParam, lParam);
}

LRESULT CALLBACK CTKKeyboardManager::CallWndProc(int code, WPARAM wParam, LPARAM lParam) {
  CTKKeyboardManager* self = t_keyboard.get();
  HHOOK hook = self ? self->callwnd_hook_ : nullptr;
  if (code == HC_ACTION) {
    const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (cwp->message == WM_ACTIVATEAPP && cwp->wParam == 0 && t_mouse) t_mouse->CloseTrackedBars();
  }
  return ::CallNextHookEx(hook, code, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Mouse manager

CTKMouseManager* CTKMouseManager::ThreadInstance() {
  if (!t_mouse) t_mouse.reset(new CTKMouseManager);
  return t_mouse.get();
}

void CTKMouseManager::ReleaseThreadInstance() {
  t_mouse.reset();
}

CTKMouseManager::CTKMouseManager() {
  mouse_hook_ = ::SetWindowsHookExW(WH_MOUSE, &MouseProc, nullptr, ::GetCurrentThreadId());
}

CTKMouseManager::~CTKMouseManager() {
  if (mouse_hook_) ::UnhookWindowsHookEx(mouse_hook_);
  if (watched_ && ::IsWindow(watched_)) ::KillTimer(watched_, kMouseLeaveTimer);
}

bool CTKMouseManager::IsTracked(CTKCommandBar* bar) const { return Contains(tracked_, bar); }

int CTKMouseManager::BarLockCount(CTKCommandBar* bar) const {
  auto it = std::find(tracked_.begin(), tracked_.end(), bar);
  return it == tracked_.end() ? 0 : locks_[it - tracked_.begin()];
}

void CTKMouseManager::AddTrackedBar(CTKCommandBar* bar) {
  if (tracked_.empty() && hot_bar_ && hot_bar_ != bar) {
    CTKCommandBar* hot = hot_bar_;
    hot_bar_ = nullptr;
    hot->SetHotControl(-1, 0);
  }
  if (!IsTracked(bar)) {
    tracked_.push_back(bar);
    locks_.push_back(0);
  }
}

void CTKMouseManager::RemoveTrackedBar(CTKCommandBar* bar) {
  auto it = std::find(tracked_.begin(), tracked_.end(), bar);
  if (it == tracked_.end()) return;
  locks_.erase(locks_.begin() + (it - tracked_.begin()));
  tracked_.erase(it);
  if (tracked_.empty()) {
    // Put the cursor where it is, so that the system sends a fresh mouse move.
    POINT pt;
    if (TKGetCursorPos(&pt)) ::SetCursorPos(pt.x, pt.y);
    press_consumed_ = false;
  }
}

void CTKMouseManager::CloseTrackedBars() {
  // Closing removes the bar; a bar that refuses to leave is taken out here so this ends.
  while (!tracked_.empty()) {
    CTKCommandBar* bar = tracked_.front();
    bar->SetTrackingMode(0, false, false);
    if (!tracked_.empty() && tracked_.front() == bar) RemoveTrackedBar(bar);
  }
}

void CTKMouseManager::LockTrackedBars(bool lock) {
  for (int& count : locks_) count += lock ? 1 : -1;
}

void CTKMouseManager::CloseUnlockedBars() {
  if (tracked_.empty() || locks_.front() <= 0) return;
  std::vector<CTKCommandBar*> closing;
  for (size_t i = 0; i < tracked_.size(); ++i)
    if (locks_[i] == 0) closing.push_back(tracked_[i]);
  for (CTKCommandBar* bar : closing)
    if (IsTracked(bar)) {
      bar->SetTrackingMode(0, false, false);
      RemoveTrackedBar(bar);
    }
}

void CTKMouseManager::AddTrustedWindow(HWND hwnd) {
  if (!Contains(trusted_, hwnd)) trusted_.push_back(hwnd);
}

bool CTKMouseManager::IsTrustedWindow(HWND hwnd) const { return Contains(trusted_, hwnd); }

void CTKMouseManager::RemoveTrustedWindow(HWND hwnd) {
  auto it = std::find(trusted_.begin(), trusted_.end(), hwnd);
  if (it != trusted_.end()) trusted_.erase(it);
}

bool CTKMouseManager::IsTrackingOtherBar(CTKCommandBar* bar) const {
  if (tracked_.empty()) return false;
  return !bar || bar->GetExpandedIndex() != -1 || !IsTracked(bar);
}

void CTKMouseManager::TrackMouseLeave(HWND hwnd) {
  if (hwnd == watched_) return;
  if (watched_ && ::IsWindow(watched_)) {
    TKKillTimer(watched_, kMouseLeaveTimer);
    ::SendMessageW(watched_, WM_MOUSELEAVE, 0, 0);
  }
  watched_ = hwnd;
  if (hwnd) TKSetTimer(hwnd, kMouseLeaveTimer, 50, &MouseLeaveTimerProc);
}

void CALLBACK CTKMouseManager::MouseLeaveTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (t_mouse) t_mouse->OnMouseLeaveTick();
}

void CTKMouseManager::OnMouseLeaveTick() {
  HWND hwnd = watched_;
  if (!hwnd) return;
  if (!::IsWindow(hwnd)) {
    watched_ = nullptr;
    return;
  }
  POINT pt{};
  RECT rc;
  ::GetWindowRect(hwnd, &rc);
  if (TKGetCursorPos(&pt) && ::PtInRect(&rc, pt)) {
    HWND top = ::GetAncestor(hwnd, GA_ROOTOWNER);
    if (::GetParent(hwnd) == nullptr || (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_POPUP) ||
        ::GetLastActivePopup(top) == ::GetForegroundWindow())
      return;
  }
  TKKillTimer(hwnd, kMouseLeaveTimer);
  watched_ = nullptr;
  ::PostMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
}

bool CTKMouseManager::ProcessMouse(UINT message, const MOUSEHOOKSTRUCT& info) {
  if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) press_consumed_ = false;
  if ((message == WM_LBUTTONUP || message == WM_NCLBUTTONUP) && press_consumed_) {
    press_consumed_ = false;
    return true;
  }
  if (tracked_.empty()) return false;
  const POINT pt = info.pt;
  if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE) {
    if (pt.x == g_last_mouse_x && pt.y == g_last_mouse_y) return true;
  }
  g_last_mouse_x = pt.x;
  g_last_mouse_y = pt.y;

  for (auto it = tracked_.rbegin(); it != tracked_.rend(); ++it) {
    CTKCommandBar* bar = *it;
    bool owns = bar->HitTestScreenPoint(pt) == 1;
    if (!owns && info.hwnd && bar->GetSafeHwnd() && ::IsChild(bar->GetSafeHwnd(), info.hwnd)) owns = true;
    if (!owns) continue;
    int lock = locks_[tracked_.size() - 1 - (it - tracked_.rbegin())];
    if (lock <= 0 || message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE || press_consumed_) return false;
    CloseUnlockedBars();
    g_last_mouse_x = g_last_mouse_y = -1;
    return false;
  }
  HWND under = ::WindowFromPoint(pt);
  for (HWND trusted : trusted_)
    if (::IsWindowVisible(trusted) && (under == trusted || ::IsChild(trusted, under))) return false;

  std::vector<CTKCommandBar*> bars = tracked_;
  for (size_t i = 0; i < bars.size(); ++i) {
    CTKCommandBar* bar = bars[i];
    if (!IsTracked(bar)) continue;
    switch (message) {
      case WM_MOUSEMOVE:
      case WM_NCMOUSEMOVE:
        if (BarLockCount(bar) <= 0 && bar->GetSafeHwnd()) {
          POINT client = pt;
          ::ScreenToClient(bar->GetSafeHwnd(), &client);
          bar->TrackHotAt(client);
        }
        break;
      case WM_LBUTTONUP:
      case WM_NCLBUTTONUP:
        if (lock_counter_ <= 0) CloseTrackedBars();
        return false;
      case WM_NCLBUTTONDOWN:
      case WM_NCRBUTTONDOWN:
      case WM_NCMBUTTONDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        CloseTrackedBars();
        return false;
      default:
        break;
    }
  }
  return false;
}

LRESULT CALLBACK CTKMouseManager::MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  CTKMouseManager* self = t_mouse.get();
  HHOOK hook = self ? self->mouse_hook_ : nullptr;
  if (code == HC_ACTION && self &&
      self->ProcessMouse(static_cast<UINT>(wParam), *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)))
    return 1;
  return ::CallNextHookEx(hook, code, wParam, lParam);
}
