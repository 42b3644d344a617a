#include "common/siteseal/connection_state.h"

#include <wininet.h>

#include <functional>
#include <memory>
#include <mutex>

#include "platform/win/module.h"
#include "platform/win/scoped_handle.h"

static_assert(kConnectionOffline == INTERNET_CONNECTION_OFFLINE, "offline flag");

namespace {

// The system's connected state as last asked. The question can wait on the network, so it is
// asked on the background thread: a read gives the last answer and, when that is older than
// kFreshMs, asks again for the next read. A read before the process's first answer never waits
// for it: the system counts as connected until it has answered.
const DWORD kFreshMs = 2000;

struct ConnectedState {
  std::mutex lock;
  bool known = false;
  bool asking = false;
  DWORD answered_at = 0;
  bool connected = false;
  DWORD flags = 0;
};

std::shared_ptr<ConnectedState> State() {
  static const std::shared_ptr<ConnectedState> state = std::make_shared<ConnectedState>();
  return state;
}

void Ask(const std::shared_ptr<ConnectedState>& state) {
  // WinINet serves this question and going online alone: it is loaded when first asked.
  static const auto get_state =
      KestrinWinNS::SystemFunctionAs<decltype(&InternetGetConnectedState)>("wininet.dll", "InternetGetConnectedState");
  DWORD flags = 0;
  bool connected = get_state && get_state(&flags, 0) != FALSE;
  std::lock_guard<std::mutex> hold(state->lock);
  state->known = true;
  state->asking = false;
  state->answered_at = GetTickCount();
  state->connected = connected;
  state->flags = flags;
}

// Starts a question unless one is under way or the last answer is fresh; false when none could
// be started.
bool AskInBackground(const std::shared_ptr<ConnectedState>& state) {
  {
    std::lock_guard<std::mutex> hold(state->lock);
    if (state->asking || (state->known && GetTickCount() - state->answered_at < kFreshMs)) return true;
    state->asking = true;
  }
  if (KestrinWinNS::RunInBackground([state] { Ask(state); })) return true;
  std::lock_guard<std::mutex> hold(state->lock);
  state->asking = false;
  return false;
}

}  // namespace

void PrepareConnectedState() {
  std::shared_ptr<ConnectedState> state = State();
  {
    std::lock_guard<std::mutex> hold(state->lock);
    if (state->known) return;
  }
  AskInBackground(state);
}

bool QueryConnectedState(DWORD* flags) {
  std::shared_ptr<ConnectedState> state = State();
  if (!AskInBackground(state)) Ask(state);
  std::lock_guard<std::mutex> hold(state->lock);
  if (!state->known) {
    if (flags) *flags = 0;
    return true;
  }
  if (flags) *flags = state->flags;
  return state->connected;
}

bool AskToGoOnline(const char* url) {
  static const auto go_online = KestrinWinNS::SystemFunctionAs<decltype(&InternetGoOnlineA)>("wininet.dll", "InternetGoOnlineA");
  return go_online && go_online(const_cast<char*>(url), nullptr, 0) != FALSE;
}
