// Owners of the handles the setup code opens: each releases its handle when it goes.
#pragma once

#include <windows.h>

namespace SetupFrameworkNS {

template <class Traits>
class CScoped {
 public:
  using Handle = typename Traits::Handle;
  CScoped() = default;
  explicit CScoped(Handle h) : h_(h) {}
  ~CScoped() { Reset(); }
  CScoped(const CScoped&) = delete;
  CScoped& operator=(const CScoped&) = delete;
  CScoped(CScoped&& other) noexcept : h_(other.Release()) {}
  CScoped& operator=(CScoped&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle get() const { return h_; }
  bool valid() const { return Traits::IsValid(h_); }
  explicit operator bool() const { return valid(); }
  // For out-parameters: the held handle is closed first.
  Handle* Receive() { Reset(); return &h_; }
  Handle Release() { Handle h = h_; h_ = Traits::Invalid(); return h; }
  void Reset(Handle h = Traits::Invalid()) {
    if (Traits::IsValid(h_)) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct KernelHandleTraits {  // processes, threads, events: null when absent
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when absent
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
struct LocalMemoryTraits {  // memory the system hands out with LocalAlloc (argument vectors)
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { LocalFree(h); }
};

using CScopedHandle = CScoped<KernelHandleTraits>;
using CScopedFile = CScoped<FileHandleTraits>;
using CScopedFind = CScoped<FindHandleTraits>;
using CScopedKey = CScoped<RegKeyTraits>;
using CScopedLibrary = CScoped<LibraryTraits>;
using CScopedLocal = CScoped<LocalMemoryTraits>;

}  // namespace SetupFrameworkNS
