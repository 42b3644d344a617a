// Owners of WinHTTP handles: a request or connection handle, and a session handle whose status
// callback is taken away before it closes (no completion reaches the callback after that).
// Header only: a library that uses them links winhttp itself.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "platform/win/scoped_handle.h"

namespace KestrinWinNS {

struct CInternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { WinHttpCloseHandle(h); }
};

struct CInternetSessionTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) {
    WinHttpSetStatusCallback(h, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
    WinHttpCloseHandle(h);
  }
};

using CScopedInternetHandle = CScopedHandle<CInternetHandleTraits>;
using CScopedInternetSession = CScopedHandle<CInternetSessionTraits>;

}  // namespace KestrinWinNS
