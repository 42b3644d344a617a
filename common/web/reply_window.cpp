#include "common/web/reply_window.h"

#include <atomic>
#include <new>

namespace WebUtilsNS {

namespace {

const char kWindowClass[] = "KestrinServerRequestWindow";
const UINT kMsgDeliver = WM_APP + 5005;  // WPARAM: the user's number
// A window that could not be made is tried again after this long.
const UINT kRetryMs = 1000;

std::atomic<DWORD> g_next_user{0};

bool RegisterReplyWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.lpszClassName = kWindowClass;
    return KestrinWinNS::CWindowBase::RegisterWindowClass(wc);
  }();
  return registered;
}

// The thread's reply window, not owned: its holders own it, and it clears this as it goes.
thread_local CReplyWindow* t_window = nullptr;

}  // namespace

std::shared_ptr<CReplyWindow> CReplyWindow::ForThisThread() {
  if (t_window) return t_window->shared_from_this();
  std::shared_ptr<CReplyWindow> made(new (std::nothrow) CReplyWindow());
  if (!made) return nullptr;
  // The thread's timer messages come when it has nothing else to do: the window is made then.
  if (!made->MakeLater(0)) {
    made->MakeWindow();
    if (!made->Handle()) return nullptr;
  }
  t_window = made.get();
  return made;
}

CReplyWindow::~CReplyWindow() {
  if (t_window == this) t_window = nullptr;
  if (timer_) KillTimer(nullptr, timer_);
  if (GetHwnd()) DestroyUnbound();
}

bool CReplyWindow::MakeLater(UINT delay_ms) {
  timer_ = SetTimer(nullptr, 0, delay_ms, &CReplyWindow::OnTimer);
  return timer_ != 0;
}

void CALLBACK CReplyWindow::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!t_window || t_window->timer_ != timer) return;
  t_window->timer_ = 0;
  // A user may let go of the last holder while it is called: the window lives to the end here.
  std::shared_ptr<CReplyWindow> self = t_window->shared_from_this();
  self->MakeWindow();
}

void CReplyWindow::MakeWindow() {
  if (GetHwnd()) return;
  if (!RegisterReplyWindowClass() || !Create(kWindowClass, 0, 0, RECT{}, HWND_MESSAGE)) {
    MakeLater(kRetryMs);
    return;
  }
  std::vector<DWORD> users;
  for (const auto& entry : users_) users.push_back(entry.first);
  for (DWORD user : users) Deliver(user);
}

DWORD CReplyWindow::Join(std::function<void()> deliver) {
  DWORD user;
  do {
    user = ++g_next_user;
  } while (user == 0);
  users_.emplace_back(user, std::move(deliver));
  return user;
}

void CReplyWindow::Leave(DWORD user) {
  for (auto entry = users_.begin(); entry != users_.end(); ++entry) {
    if (entry->first != user) continue;
    users_.erase(entry);
    return;
  }
}

bool CReplyWindow::AskDelivery(HWND window, DWORD user) {
  return window && PostMessageA(window, kMsgDeliver, static_cast<WPARAM>(user), 0) != FALSE;
}

bool CReplyWindow::Deliver(DWORD user) {
  std::function<void()> deliver;
  for (const auto& entry : users_) {
    if (entry.first != user) continue;
    deliver = entry.second;
    break;
  }
  if (!deliver) return false;
  // The delivery may let go of the last holder: nothing of this object is touched after it.
  deliver();
  return true;
}

BOOL CReplyWindow::ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  if (message != kMsgDeliver) return FALSE;
  result = 0;
  Deliver(static_cast<DWORD>(wparam));
  return TRUE;
}

}  // namespace WebUtilsNS
