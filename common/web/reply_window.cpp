#include "common/web/reply_window.h"

#include <atomic>
#include <new>

namespace WebUtilsNS {

namespace {

const char kWindowClass[] = "KestrinServerRequestWindow";
const DWORD kWindowStyle = 0x56000000;  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
const UINT kMsgDeliver = WM_APP + 5005;  // WPARAM: the user's number

std::atomic<DWORD> g_next_user{0};
std::atomic<LONG> g_made{0};

bool RegisterReplyWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.lpszClassName = kWindowClass;
    return KestrinWinNS::CWindowBase::RegisterWindowClass(wc);
  }();
  return registered;
}

// The thread's window, not owned: its holders own it, and it clears this as it goes.
thread_local CReplyWindow* t_window = nullptr;

}  // namespace

std::shared_ptr<CReplyWindow> CReplyWindow::ForThisThread() {
  if (t_window) return t_window->shared_from_this();
  if (!RegisterReplyWindowClass()) return nullptr;
  std::shared_ptr<CReplyWindow> made(new (std::nothrow) CReplyWindow());
  if (!made || !made->Create(kWindowClass, 0, kWindowStyle, RECT{}, HWND_MESSAGE)) return nullptr;
  g_made.fetch_add(1);
  t_window = made.get();
  return made;
}

CReplyWindow::~CReplyWindow() {
  if (t_window == this) t_window = nullptr;
  if (GetHwnd()) DestroyUnbound();
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

BOOL CReplyWindow::ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  if (message != kMsgDeliver) return FALSE;
  result = 0;
  std::function<void()> deliver;
  for (const auto& entry : users_) {
    if (entry.first != static_cast<DWORD>(wparam)) continue;
    deliver = entry.second;
    break;
  }
  // The delivery may let go of the last holder: nothing of this object is touched after it.
  if (deliver) deliver();
  return TRUE;
}

LONG CReplyWindow::MadeCount() { return g_made.load(); }

}  // namespace WebUtilsNS
