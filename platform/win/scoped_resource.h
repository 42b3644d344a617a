// Owners for the user-interface and memory handles the program makes or is handed: icons, menus
// not attached to a window, and memory blocks of the local and global heaps.
#pragma once

#include <windows.h>

#include "platform/win/scoped_handle.h"

namespace KestrinWinNS {

// An icon or cursor made or copied by the program, destroyed with DestroyIcon.
struct CIconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};

// A menu that is not attached to a window, destroyed with DestroyMenu.
struct CMenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DestroyMenu(h); }
};

// Memory the system allocated for the caller with LocalAlloc (FormatMessage, CommandLineToArgvW,
// string SIDs, decoded objects).
struct CLocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { LocalFree(h); }
};

// A global memory block (the bytes behind a stream on memory).
struct CGlobalMemoryTraits {
  using Handle = HGLOBAL;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { GlobalFree(h); }
};

using CScopedIcon = CScopedHandle<CIconTraits>;
using CScopedMenu = CScopedHandle<CMenuTraits>;
using CScopedLocalMemory = CScopedHandle<CLocalMemoryTraits>;
using CScopedGlobalMemory = CScopedHandle<CGlobalMemoryTraits>;

}  // namespace KestrinWinNS
