// The system's connected state through WinINet, kept apart from the WinHTTP code (the two
// headers do not mix).
#pragma once

#include <windows.h>

// The connected-state flag of a system working offline (INTERNET_CONNECTION_OFFLINE).
const DWORD kConnectionOffline = 0x20;

// Starts finding out the connected state in the background, so that the first query finds it.
void PrepareConnectedState();
// InternetGetConnectedState, asked off the calling thread: true when connected; `flags`
// receives the connection flags. The answer is the latest the system gave; a call finding it
// older than two seconds asks the system again for the next one. A call before the first
// answer waits for nothing: it answers connected, with no flags.
bool QueryConnectedState(DWORD* flags);
// InternetGoOnline for `url`, without a parent window.
bool AskToGoOnline(const char* url);
