// A counted interface pointer: one reference, released when the holder goes.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <memory>

namespace KestrinComNS {

template <class T>
class CComPtr {
 public:
  CComPtr() = default;
  CComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }  // NOLINT: implicit like a raw pointer
  CComPtr(const CComPtr& other) : CComPtr(other.p_) {}
  CComPtr(CComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ~CComPtr() { Release(); }
  CComPtr& operator=(const CComPtr& other) { Reset(other.p_); return *this; }
  CComPtr& operator=(CComPtr&& other) noexcept {
    if (this != std::addressof(other)) { Release(); p_ = other.p_; other.p_ = nullptr; }
    return *this;
  }
  CComPtr& operator=(T* p) { Reset(p); return *this; }

  T* operator->() const { return p_; }
  operator T*() const { return p_; }
  T* get() const { return p_; }
  // For out-parameters: the held reference is released first.
  T** operator&() { Release(); return &p_; }

  void Reset(T* p = nullptr) {
    if (p) p->AddRef();
    T* old = p_;
    p_ = p;
    if (old) old->Release();
  }
  void Release() {
    T* old = p_;
    p_ = nullptr;
    if (old) old->Release();
  }
  // Takes a reference the caller already owns.
  void Attach(T* p) { Release(); p_ = p; }
  T* Detach() { T* p = p_; p_ = nullptr; return p; }
  HRESULT CopyTo(T** out) const {
    if (!out) return E_POINTER;
    *out = p_;
    if (p_) p_->AddRef();
    return S_OK;
  }
  // Queries `from` for T; the held pointer is null when it fails.
  template <class U>
  HRESULT QueryFrom(U* from) {
    Release();
    if (!from) return E_POINTER;
    return from->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&p_));
  }
  template <class Q>
  HRESULT As(CComPtr<Q>* out) const {
    return out->QueryFrom(p_);
  }

 private:
  T* p_ = nullptr;
};

// Same COM identity (the IUnknown of both).
inline bool IsSameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return a == b;
  CComPtr<IUnknown> ua, ub;
  ua.QueryFrom(a);
  ub.QueryFrom(b);
  return ua.get() == ub.get();
}

}  // namespace KestrinComNS
