// A weak reference to an XPCOM object (nsIWeakReference): it does not keep the object alive, and
// the object cuts it when it goes, after which QueryReferent answers NS_ERROR_NULL_POINTER. The
// browser asks a listener registered "weakly" (an observer, a progress listener) for one through
// nsISupportsWeakReference; CWeakReferenceSource is what such a listener holds to answer.
#pragma once

#include "gecko/xpcom/interfaces.h"

namespace kr {

class CWeakReference final : public CXPCOMObject<nsIWeakReference> {
 public:
  explicit CWeakReference(nsISupports* referent) : referent_(referent) {}
  KR_METHOD QueryReferent(const nsIID& iid, void** result) override {
    if (!result) return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (!referent_) return NS_ERROR_NULL_POINTER;
    return referent_->QueryInterface(iid, result);
  }
  // The referent is going: the reference answers nothing from now on.
  void Cut() { referent_ = nullptr; }

 private:
  nsISupports* referent_;  // not owned: the referent cuts it before it goes
};

// Held by an object that offers weak references to itself: one reference object, made on the
// first request and cut when the holder goes.
class CWeakReferenceSource {
 public:
  CWeakReferenceSource() = default;
  CWeakReferenceSource(const CWeakReferenceSource&) = delete;
  CWeakReferenceSource& operator=(const CWeakReferenceSource&) = delete;
  ~CWeakReferenceSource() {
    if (reference_) reference_->Cut();
  }
  // nsISupportsWeakReference::GetWeakReference for `self` (the holder's nsISupports).
  nsresult Get(nsISupports* self, nsIWeakReference** result) {
    if (!result) return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (!reference_) reference_ = new (std::nothrow) CWeakReference(self);
    if (!reference_) return NS_ERROR_OUT_OF_MEMORY;
    reference_->AddRef();
    *result = reference_.get();
    return NS_OK;
  }

 private:
  nsCOMPtr<CWeakReference> reference_;
};

}  // namespace kr
