// The system's connected state through WinINet, kept apart from the WinHTTP code (the two
// headers do not mix).
#pragma once

#include <windows.h>

// The connected-state flag of a system working offline (INTERNET_CONNECTION_OFFLINE).
const DWORD kConnectionOffline = 0x20;

// InternetGetConnectedState: true when connected; `flags` receives the connection flags.
bool QueryConnectedState(DWORD* flags);
// InternetGoOnline for `url`, without a parent window.
bool AskToGoOnline(const char* url);
