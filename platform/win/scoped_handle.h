// One owner for a handle: a template over traits that say what an empty handle is and how one
// is released. Copying is deleted; ownership moves by std::move or leaves through Take().
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <utility>

namespace KestrinWinNS {

template <class Traits>
class CScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  CScopedHandle() = default;
  explicit CScopedHandle(Handle handle) : handle_(handle) {}
  CScopedHandle(CScopedHandle&& other) noexcept : handle_(other.Take()) {}
  CScopedHandle& operator=(CScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }
  CScopedHandle(const CScopedHandle&) = delete;
  CScopedHandle& operator=(const CScopedHandle&) = delete;
  ~CScopedHandle() { Reset(); }

  Handle Get() const { return handle_; }
  // For handles that point to a record (certificate and chain contexts).
  Handle operator->() const { return handle_; }
  bool IsValid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return IsValid(); }

  // Releases the handle held (if any) and keeps `handle` instead.
  void Reset(Handle handle = Traits::Invalid()) {
    Handle old = handle_;
    handle_ = handle;
    if (Traits::IsValid(old) && old != handle) Traits::Close(old);
  }
  // Hands the handle on: the caller owns it now.
  Handle Take() {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  // For out-parameters: the held handle is released first.
  Handle* Receive() {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// Kernel objects: null and INVALID_HANDLE_VALUE both mean "none".
struct CKernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct CRegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};

struct CFindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};

struct CCertContextTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CertFreeCertificateContext(h); }
};

struct CCertStoreTraits {
  using Handle = HCERTSTORE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CertCloseStore(h, 0); }
};

struct CCertChainTraits {
  using Handle = PCCERT_CHAIN_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CertFreeCertificateChain(h); }
};

struct CCryptProvTraits {
  using Handle = HCRYPTPROV;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle h) { CryptReleaseContext(h, 0); }
};

struct CCryptKeyTraits {
  using Handle = HCRYPTKEY;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle h) { CryptDestroyKey(h); }
};

struct CCryptHashTraits {
  using Handle = HCRYPTHASH;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle h) { CryptDestroyHash(h); }
};

// A loaded library, freed with FreeLibrary.
struct CLibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};

using CScopedKernelHandle = CScopedHandle<CKernelHandleTraits>;
using CScopedRegKey = CScopedHandle<CRegKeyTraits>;
using CScopedFindHandle = CScopedHandle<CFindHandleTraits>;
using CScopedCertContext = CScopedHandle<CCertContextTraits>;
using CScopedCertStore = CScopedHandle<CCertStoreTraits>;
using CScopedCertChain = CScopedHandle<CCertChainTraits>;
using CScopedCryptProv = CScopedHandle<CCryptProvTraits>;
using CScopedCryptKey = CScopedHandle<CCryptKeyTraits>;
using CScopedCryptHash = CScopedHandle<CCryptHashTraits>;
using CScopedLibrary = CScopedHandle<CLibraryTraits>;

}  // namespace KestrinWinNS
