// The XPCOM binary contract as the component and its hosts see it on Windows: nsresult codes,
// interface identifiers, the __stdcall method convention and the root interface. Declared here
// for this project; every interface of gecko/xpcom derives from kr::nsISupports.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kr {

typedef uint32_t nsresult;
typedef GUID nsIID;
typedef GUID nsCID;
typedef wchar_t PRUnichar;

#define KR_METHOD virtual kr::nsresult __stdcall
#define KR_METHOD_(type) virtual type __stdcall

// Results the component returns or tests for.
const nsresult NS_OK = 0;
const nsresult NS_ERROR_NOT_IMPLEMENTED = 0x80004001;
const nsresult NS_NOINTERFACE = 0x80004002;
const nsresult NS_ERROR_NULL_POINTER = 0x80004003;
const nsresult NS_ERROR_ABORT = 0x80004004;
const nsresult NS_ERROR_FAILURE = 0x80004005;
const nsresult NS_ERROR_OUT_OF_MEMORY = 0x8007000E;
const nsresult NS_ERROR_ILLEGAL_VALUE = 0x80070057;
const nsresult NS_ERROR_NO_AGGREGATION = 0x80040110;
const nsresult NS_ERROR_NOT_AVAILABLE = 0x80040111;
const nsresult NS_ERROR_FACTORY_NOT_REGISTERED = 0x80040154;

inline bool NS_FAILED(nsresult r) { return (r & 0x80000000u) != 0; }
inline bool NS_SUCCEEDED(nsresult r) { return !NS_FAILED(r); }

// Every interface names its identifier as a static member kIID.
#define KR_DECLARE_IID(a, b, c, d0, d1, d2, d3, d4, d5, d6, d7) \
  static const kr::nsIID& IID() {                                 \
    static const kr::nsIID iid = {a, b, c, {d0, d1, d2, d3, d4, d5, d6, d7}}; \
    return iid;                                                   \
  }

class nsISupports {
 public:
  KR_DECLARE_IID(0x00000000, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
  KR_METHOD QueryInterface(const nsIID& iid, void** result) = 0;
  KR_METHOD_(ULONG) AddRef() = 0;
  KR_METHOD_(ULONG) Release() = 0;
};

// A counted pointer to an XPCOM interface (one reference, released when the holder goes). The
// same shape as the kit's CComPtr, kept apart because XPCOM names an interface by T::IID() and
// answers in nsresult where COM uses __uuidof and HRESULT.
template <class T>
class nsCOMPtr {
 public:
  nsCOMPtr() = default;
  nsCOMPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }  // NOLINT: like a raw pointer
  nsCOMPtr(const nsCOMPtr& o) : nsCOMPtr(o.p_) {}
  nsCOMPtr(nsCOMPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  ~nsCOMPtr() { Reset(); }
  nsCOMPtr& operator=(const nsCOMPtr& o) { Reset(o.p_); return *this; }
  nsCOMPtr& operator=(T* p) { Reset(p); return *this; }
  nsCOMPtr& operator=(nsCOMPtr&& o) noexcept {
    if (this != &o) { Reset(); p_ = o.p_; o.p_ = nullptr; }
    return *this;
  }
  T* operator->() const { return p_; }
  operator T*() const { return p_; }
  T* get() const { return p_; }
  // For out-parameters: the held reference goes first.
  T** Out() { Reset(); return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset(T* p = nullptr) {
    if (p) p->AddRef();
    T* old = p_;
    p_ = p;
    if (old) old->Release();
  }
  // Takes a reference the caller already owns.
  void Attach(T* p) { Reset(); p_ = p; }
  T* Detach() { T* p = p_; p_ = nullptr; return p; }
  // Queries `from` for T; null (and the failing code) when it has none.
  template <class U>
  nsresult QueryFrom(U* from) {
    Reset();
    if (!from) return NS_ERROR_NULL_POINTER;
    nsresult r = from->QueryInterface(T::IID(), reinterpret_cast<void**>(&p_));
    if (NS_FAILED(r)) p_ = nullptr;
    return r;
  }

 private:
  T* p_ = nullptr;
};

// Same XPCOM identity (the nsISupports of both).
inline bool SameObject(nsISupports* a, nsISupports* b) {
  if (!a || !b) return a == b;
  nsCOMPtr<nsISupports> ua, ub;
  ua.QueryFrom(a);
  ub.QueryFrom(b);
  return ua.get() == ub.get();
}

}  // namespace kr
