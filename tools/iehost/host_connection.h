// One outgoing interface of a host object: the sinks advised on it and the firing of its
// events through IDispatch::Invoke, arguments in reverse order as COM passes them.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <utility>
#include <vector>

#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace iehost {

using KestrinComNS::CComObject;
using KestrinComNS::CComPtr;

class CHostConnectionPoint : public IConnectionPoint {
 public:
  // `container` owns this point and outlives every use of it by the add-on's calls.
  CHostConnectionPoint(REFIID iid, IConnectionPointContainer* container) : iid_(iid), container_(container) {}
  virtual ~CHostConnectionPoint() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IConnectionPoint>(this, riid, out);
  }

  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override { return E_NOTIMPL; }

  // Calls every sink with `args` given in declaration order; the first failure is returned.
  HRESULT Fire(DISPID dispid, VARIANT* args, UINT count);
  size_t ConnectionCount() const { return sinks_.size(); }
  // Advise and Unadvise calls so far, for tests.
  int advise_calls() const { return advise_calls_; }
  int unadvise_calls() const { return unadvise_calls_; }

 private:
  IID iid_;
  IConnectionPointContainer* container_;  // not owned: it owns this point
  std::vector<std::pair<DWORD, CComPtr<IDispatch>>> sinks_;
  DWORD next_cookie_ = 1;
  int advise_calls_ = 0;
  int unadvise_calls_ = 0;
};

}  // namespace iehost
