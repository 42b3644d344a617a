// Reference-counted COM objects and their class factory. A class T lists its interfaces in
// `HRESULT InternalQueryInterface(REFIID, void**)` (see QueryInterfaceTable) and leaves
// IUnknown to CComObject<T>, the most derived class, which also holds the module's lock while
// it lives so that DllCanUnloadNow answers right (CComObjectNoLock<T>: the same without it).
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <new>
#include <utility>

namespace KestrinComNS {

// The lock count of the module: live objects plus IClassFactory::LockServer locks.
class CModuleLock {
 public:
  static LONG Lock();
  static LONG Unlock();
  static LONG GetLockCount();
  // DllCanUnloadNow: S_OK when nothing holds the module, else S_FALSE.
  static HRESULT CanUnloadNow() { return GetLockCount() == 0 ? S_OK : S_FALSE; }
};

// IUnknown for T as the most derived class. With `kHoldsModule` the object holds the module's
// lock while it lives (objects handed to COM clients); without it (helpers the module's own
// code keeps) it does not.
template <class T, bool kHoldsModule>
class CComObjectT final : public T {
 public:
  template <class... Args>
  explicit CComObjectT(Args&&... args) : T(std::forward<Args>(args)...) {
    if (kHoldsModule) CModuleLock::Lock();
  }
  ~CComObjectT() {
    if (kHoldsModule) CModuleLock::Unlock();
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return this->InternalQueryInterface(riid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // The current count, for tests that check that every reference came back.
  LONG GetRefCount() const { return refs_; }

  // A new object with one reference, owned by the caller; null when out of memory.
  template <class... Args>
  static CComObjectT* Create(Args&&... args) {
    CComObjectT* p = new (std::nothrow) CComObjectT(std::forward<Args>(args)...);
    if (p) p->AddRef();
    return p;
  }

 private:
  LONG refs_ = 0;
};

template <class T>
using CComObject = CComObjectT<T, true>;
template <class T>
using CComObjectNoLock = CComObjectT<T, false>;

// Answers the first interface I of `self` whose IID matches (IUnknown: the first one), with
// a reference taken through it.
template <class I>
bool QueryOne(I* self, REFIID riid, void** out) {
  if (riid != __uuidof(I)) return false;
  *out = self;
  self->AddRef();
  return true;
}

template <class First, class... Rest, class T>
HRESULT QueryInterfaceTable(T* self, REFIID riid, void** out) {
  if (riid == IID_IUnknown) {
    First* first = self;
    *out = static_cast<IUnknown*>(first);
    first->AddRef();
    return S_OK;
  }
  if (QueryOne<First>(self, riid, out)) return S_OK;
  if ((QueryOne<Rest>(self, riid, out) || ...)) return S_OK;
  return E_NOINTERFACE;
}

// IClassFactory of class T (T is created as CComObject<T>, no aggregation).
template <class T>
class CComClassFactory : public IClassFactory {
 public:
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return QueryInterfaceTable<IClassFactory>(this, riid, out);
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CComObject<T>* object = CComObject<T>::Create();
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) CModuleLock::Lock();
    else CModuleLock::Unlock();
    return S_OK;
  }

 protected:
  virtual ~CComClassFactory() = default;
};

// DllGetClassObject for one class: its factory when `clsid` is the class's.
template <class T>
HRESULT GetClassObjectOf(REFCLSID wanted, REFCLSID clsid, REFIID riid, void** out) {
  if (wanted != clsid) return CLASS_E_CLASSNOTAVAILABLE;
  CComObject<CComClassFactory<T>>* factory = CComObject<CComClassFactory<T>>::Create();
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

}  // namespace KestrinComNS
