#include "bench/minimal_helper.h"

#include <exdispid.h>

namespace bench {

const CLSID kClsidMinimalHelper = {0x7C1C6B3A, 0x2F35, 0x4C52, {0x9B, 0x0E, 0x5E, 0x8D, 0x4F, 0x0A, 0x2C, 0x61}};

CMinimalHelper::~CMinimalHelper() { Drop(); }

HRESULT CMinimalHelper::InternalQueryInterface(REFIID riid, void** out) {
  if (riid == __uuidof(DWebBrowserEvents2)) {
    IDispatch* sink = this;
    *out = sink;
    sink->AddRef();
    return S_OK;
  }
  return KestrinComNS::QueryInterfaceTable<IObjectWithSite, IDispatch>(this, riid, out);
}

void CMinimalHelper::Drop() {
  if (browser_ && cookie_) {
    KestrinComNS::CComPtr<IConnectionPointContainer> container;
    KestrinComNS::CComPtr<IConnectionPoint> point;
    if (SUCCEEDED(container.QueryFrom(browser_.get())) &&
        SUCCEEDED(container->FindConnectionPoint(__uuidof(DWebBrowserEvents2), &point))) {
      point->Unadvise(cookie_);
    }
  }
  cookie_ = 0;
  browser_.Release();
}

STDMETHODIMP CMinimalHelper::SetSite(IUnknown* site) {
  Drop();
  if (!site) return S_OK;
  if (FAILED(browser_.QueryFrom(site)) || !browser_) return E_FAIL;
  KestrinComNS::CComPtr<IConnectionPointContainer> container;
  KestrinComNS::CComPtr<IConnectionPoint> point;
  if (SUCCEEDED(container.QueryFrom(browser_.get())) &&
      SUCCEEDED(container->FindConnectionPoint(__uuidof(DWebBrowserEvents2), &point))) {
    point->Advise(static_cast<IDispatch*>(this), &cookie_);
  }
  BSTR url = nullptr;
  if (SUCCEEDED(browser_->get_LocationURL(&url)) && url) {
    url_length_ = SysStringLen(url);
    SysFreeString(url);
  }
  return S_OK;
}

STDMETHODIMP CMinimalHelper::GetSite(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return browser_ ? browser_->QueryInterface(riid, out) : E_FAIL;
}

STDMETHODIMP CMinimalHelper::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CMinimalHelper::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP CMinimalHelper::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

STDMETHODIMP CMinimalHelper::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                    EXCEPINFO*, UINT*) {
  if (!params) return E_INVALIDARG;
  ++events_;
  return S_OK;
}

}  // namespace bench
