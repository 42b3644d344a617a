// The yardstick of the benchmarks: the least a browser helper object does for a new browser
// window. SetSite takes the browser, subscribes to its events and reads its URL; the event sink
// only counts what arrives.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace bench {

// {7C1C6B3A-2F35-4C52-9B0E-5E8D4F0A2C61}
extern const CLSID kClsidMinimalHelper;

class CMinimalHelper : public IObjectWithSite, public IDispatch {
 public:
  CMinimalHelper() = default;
  virtual ~CMinimalHelper();
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID riid, void** out) override;

  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override;

  LONG events() const { return events_; }

 private:
  void Drop();

  KestrinComNS::CComPtr<IWebBrowser2> browser_;
  DWORD cookie_ = 0;
  LONG events_ = 0;
  size_t url_length_ = 0;
};

}  // namespace bench
