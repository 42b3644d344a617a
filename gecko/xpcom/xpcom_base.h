// The XPCOM binary contract as the component and its hosts see it on Windows: nsresult codes,
// interface identifiers, the __stdcall method convention, the 4-byte PRBool, the root interface
// and the frozen string functions of the platform's XPCOM library. Declared here for this
// project; every interface of gecko/xpcom derives from kr::nsISupports.
//
// KR_GECKO names the browser platform a build is for: 180 for Gecko 1.8 (Firefox 1.5 and 2,
// SeaMonkey 1.x), 190 for Gecko 1.9 (Firefox 3). Where an interface's identifier or layout
// differs between them, the declarations follow the platform the build is for.
#pragma once

#include <windows.h>

#include <cstdint>
#include <new>
#include <string>
#include <type_traits>

#ifndef KR_GECKO
#define KR_GECKO 190
#endif

namespace kr {

typedef uint32_t nsresult;
typedef GUID nsIID;
typedef GUID nsCID;
typedef wchar_t PRUnichar;
// The platform's boolean: a 4-byte integer, never C++ bool.
typedef int PRBool;
const PRBool PR_TRUE = 1;
const PRBool PR_FALSE = 0;
static_assert(sizeof(PRBool) == 4, "PRBool is four bytes");
static_assert(sizeof(PRUnichar) == 2, "PRUnichar is two bytes");

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
  typedef void Parent;  // every interface names the one it extends
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

// ---- strings ----
//
// The platform's string objects. A string parameter of an interface is a reference to one (an
// in-string `const nsAString&`, an out-string or string result an `nsAString&` the caller owns
// and the callee fills). The component never looks inside one: it makes them with the frozen
// string functions the platform's XPCOM library exports and reads and writes them through those.
// nsAString carries UTF-16 text, nsACString 8-bit text (UTF-8 where the interface says so).
class nsAString {
 protected:
  nsAString() = default;
  nsAString(const nsAString&) = delete;
  nsAString& operator=(const nsAString&) = delete;
};
class nsACString {
 protected:
  nsACString() = default;
  nsACString(const nsACString&) = delete;
  nsACString& operator=(const nsACString&) = delete;
};

// Storage for a string object the XPCOM library makes in place (room for the platform's own
// container, which is a few words).
class nsStringContainer : public nsAString {
 private:
  void* storage_[8];
};
class nsCStringContainer : public nsACString {
 private:
  void* storage_[8];
};

#ifdef KR_XPCOM_LIBRARY
#define KR_XPCOM_EXPORT extern "C" __declspec(dllexport)
#else
#define KR_XPCOM_EXPORT extern "C" __declspec(dllimport)
#endif

// The frozen string functions (C calling convention, exported by name by xpcom.dll).
KR_XPCOM_EXPORT nsresult NS_StringContainerInit(nsStringContainer& container);
KR_XPCOM_EXPORT void NS_StringContainerFinish(nsStringContainer& container);
KR_XPCOM_EXPORT uint32_t NS_StringGetData(const nsAString& string, const PRUnichar** data, PRBool* terminated);
KR_XPCOM_EXPORT nsresult NS_StringSetData(nsAString& string, const PRUnichar* data, uint32_t length);
KR_XPCOM_EXPORT nsresult NS_CStringContainerInit(nsCStringContainer& container);
KR_XPCOM_EXPORT void NS_CStringContainerFinish(nsCStringContainer& container);
KR_XPCOM_EXPORT uint32_t NS_CStringGetData(const nsACString& string, const char** data, PRBool* terminated);
KR_XPCOM_EXPORT nsresult NS_CStringSetData(nsACString& string, const char* data, uint32_t length);

// A string object owned by its holder: made on construction, given back on destruction. Pass it
// where an interface takes `nsAString&`; Get() reads what the callee wrote.
class CWideString {
 public:
  CWideString() { NS_StringContainerInit(container_); }
  explicit CWideString(const std::wstring& text) : CWideString() { Set(text); }
  explicit CWideString(const PRUnichar* text) : CWideString() { Set(text ? std::wstring(text) : std::wstring()); }
  ~CWideString() { NS_StringContainerFinish(container_); }
  CWideString(const CWideString&) = delete;
  CWideString& operator=(const CWideString&) = delete;
  operator nsAString&() { return container_; }
  operator const nsAString&() const { return container_; }
  std::wstring Get() const { return Read(container_); }
  void Set(const std::wstring& text) {
    NS_StringSetData(container_, text.c_str(), static_cast<uint32_t>(text.size()));
  }
  static std::wstring Read(const nsAString& string) {
    const PRUnichar* data = nullptr;
    uint32_t length = NS_StringGetData(string, &data, nullptr);
    return data ? std::wstring(data, length) : std::wstring();
  }
  static void Write(nsAString& string, const std::wstring& text) {
    NS_StringSetData(string, text.c_str(), static_cast<uint32_t>(text.size()));
  }

 private:
  nsStringContainer container_;
};

class CNarrowString {
 public:
  CNarrowString() { NS_CStringContainerInit(container_); }
  explicit CNarrowString(const std::string& text) : CNarrowString() { Set(text); }
  ~CNarrowString() { NS_CStringContainerFinish(container_); }
  CNarrowString(const CNarrowString&) = delete;
  CNarrowString& operator=(const CNarrowString&) = delete;
  operator nsACString&() { return container_; }
  operator const nsACString&() const { return container_; }
  std::string Get() const { return Read(container_); }
  void Set(const std::string& text) {
    NS_CStringSetData(container_, text.c_str(), static_cast<uint32_t>(text.size()));
  }
  static std::string Read(const nsACString& string) {
    const char* data = nullptr;
    uint32_t length = NS_CStringGetData(string, &data, nullptr);
    return data ? std::string(data, length) : std::string();
  }
  static void Write(nsACString& string, const std::string& text) {
    NS_CStringSetData(string, text.c_str(), static_cast<uint32_t>(text.size()));
  }

 private:
  nsCStringContainer container_;
};

// ---- objects ----
//
// An XPCOM object: nsISupports for a class implementing the interfaces listed, with an atomic
// reference count. QueryInterface answers each listed interface and the interfaces it extends
// (nsIStreamListener also as nsIRequestObserver); a class adds others through ExtraInterface and
// withholds some through Hides. The object is deleted when its last reference goes.
template <class First, class... Rest>
class CXPCOMObject : public First, public Rest... {
 public:
  KR_METHOD QueryInterface(const nsIID& iid, void** result) override {
    if (!result) return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (Hides(iid)) return NS_NOINTERFACE;
    if (iid == nsISupports::IID()) *result = static_cast<nsISupports*>(static_cast<First*>(this));
    if (!*result) Find<First, Rest...>(iid, result);
    if (!*result) *result = ExtraInterface(iid);
    if (!*result) return NS_NOINTERFACE;
    static_cast<First*>(this)->AddRef();
    return NS_OK;
  }
  KR_METHOD_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  KR_METHOD_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  ULONG GetRefCount() const { return static_cast<ULONG>(references_); }

 protected:
  CXPCOMObject() = default;
  virtual ~CXPCOMObject() = default;
  // Interfaces the object answers beyond the listed ones and their parents.
  virtual void* ExtraInterface(const nsIID&) { return nullptr; }
  // Interfaces an object does not offer although its class lists them.
  virtual bool Hides(const nsIID&) { return false; }

 private:
  // The listed interface I or one it extends, as I's pointer.
  template <class I, class Walk>
  static bool Extends(const nsIID& iid) {
    if (iid == Walk::IID()) return true;
    if constexpr (!std::is_same<typename Walk::Parent, void>::value && !std::is_same<typename Walk::Parent, nsISupports>::value)
      return Extends<I, typename Walk::Parent>(iid);
    return false;
  }
  template <class I, class... More>
  void Find(const nsIID& iid, void** result) {
    if (Extends<I, I>(iid)) {
      *result = static_cast<I*>(this);
      return;
    }
    if constexpr (sizeof...(More) > 0) Find<More...>(iid, result);
  }
  LONG references_ = 0;
};

}  // namespace kr
