#include "ie/core/connection_state.h"

#include <wininet.h>

static_assert(kConnectionOffline == INTERNET_CONNECTION_OFFLINE, "offline flag");

bool QueryConnectedState(DWORD* flags) {
  DWORD local = 0;
  BOOL connected = InternetGetConnectedState(&local, 0);
  if (flags) *flags = local;
  return connected != FALSE;
}

bool AskToGoOnline(const char* url) {
  return InternetGoOnlineA(const_cast<char*>(url), nullptr, 0) != FALSE;
}
