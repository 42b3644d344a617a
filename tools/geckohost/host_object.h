// The building block of the scripted Gecko host: an XPCOM object with a plain reference count
// that answers QueryInterface for the interfaces it derives from (and for the parents a class
// names in ExtraInterface).
#pragma once

#include <windows.h>

#include "gecko/xpcom/interfaces.h"

namespace geckohost {

using kr::nsCOMPtr;
using kr::nsresult;

template <class First, class... Rest>
class CHostObject : public First, public Rest... {
 public:
  KR_METHOD QueryInterface(const kr::nsIID& iid, void** result) override {
    if (!result) return kr::NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (Hides(iid)) return kr::NS_NOINTERFACE;
    if (iid == kr::nsISupports::IID()) *result = static_cast<First*>(this);
    if (!*result) Find<First, Rest...>(iid, result);
    if (!*result) *result = ExtraInterface(iid);
    if (!*result) return kr::NS_NOINTERFACE;
    static_cast<First*>(this)->AddRef();
    return kr::NS_OK;
  }
  KR_METHOD_(ULONG) AddRef() override { return ++references_; }
  KR_METHOD_(ULONG) Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  ULONG GetRefCount() const { return references_; }
  // A new object with one reference held by the returned pointer.
  template <class T, class... Args>
  static nsCOMPtr<T> Make(Args&&... args) {
    return nsCOMPtr<T>(new T(static_cast<Args&&>(args)...));
  }

 protected:
  virtual ~CHostObject() = default;
  // Interfaces a class reaches through one of its bases' parents (nsIArray of nsIMutableArray).
  virtual void* ExtraInterface(const kr::nsIID& iid) { return nullptr; }
  // Interfaces an object of the class does not offer although the class derives from them
  // (an element answers nsIDOMHTMLImageElement only when it is an IMG).
  virtual bool Hides(const kr::nsIID& iid) { return false; }

 private:
  template <class I, class... More>
  void Find(const kr::nsIID& iid, void** result) {
    if (iid == I::IID()) {
      *result = static_cast<I*>(this);
      return;
    }
    if constexpr (sizeof...(More) > 0) Find<More...>(iid, result);
  }
  ULONG references_ = 0;
};

}  // namespace geckohost
