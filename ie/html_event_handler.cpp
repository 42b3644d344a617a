#include "ie/html_event_handler.h"

#include <exdispid.h>

#include <new>

#include "common/navigation/event_params.h"
#include "platform/com/com_values.h"

namespace {

using KestrinComNS::CComPtr;

const DISPID kDispidScriptError = 1002;  // onerror of HTMLWindowEvents2

HRESULT AdviseOn(IUnknown* source, REFIID events, IUnknown* sink, DWORD* cookie) {
  CComPtr<IConnectionPointContainer> container;
  HRESULT hr = container.QueryFrom(source);
  if (FAILED(hr)) return hr;
  CComPtr<IConnectionPoint> point;
  if (FAILED(hr = container->FindConnectionPoint(events, &point))) return hr;
  return point->Advise(sink, cookie);
}

HRESULT UnadviseOn(IUnknown* source, REFIID events, DWORD cookie) {
  CComPtr<IConnectionPointContainer> container;
  HRESULT hr = container.QueryFrom(source);
  if (FAILED(hr)) return hr;
  CComPtr<IConnectionPoint> point;
  if (FAILED(hr = container->FindConnectionPoint(events, &point))) return hr;
  return point->Unadvise(cookie);
}

}  // namespace

namespace KestrinIENS {
namespace {

// Parameter `index` (declaration order) as the event passed it, without following references.
VARIANT* RawParam(DISPPARAMS* params, UINT index) {
  if (!params || !params->rgvarg || index >= params->cArgs) return nullptr;
  return &params->rgvarg[params->cArgs - 1 - index];
}

// A copy of a parameter's value with references followed; VT_EMPTY when missing.
class ValueCopy {
 public:
  ValueCopy(const DISPPARAMS* params, UINT index) {
    const VARIANT* v = ComHelpersNS::EventParam(params, index);
    if (v) ok_ = SUCCEEDED(VariantCopy(value_.Get(), const_cast<VARIANT*>(v)));
  }
  VARIANT* get() { return value_.Get(); }
  bool ok() const { return ok_; }

 private:
  KestrinComNS::CVariant value_;
  bool ok_ = true;
};

}  // namespace

CHtmlNlrEventHandler::CHtmlNlrEventHandler() : dispatch_(__uuidof(IHtmlNlrEventHandler)), events_(this) {}

CHtmlNlrEventHandler::~CHtmlNlrEventHandler() { Disconnect(); }

HRESULT CHtmlNlrEventHandler::InternalQueryInterface(REFIID riid, void** out) {
  return KestrinComNS::QueryInterfaceTable<IHtmlNlrEventHandler, IDispatch>(this, riid, out);
}

void CHtmlNlrEventHandler::Disconnect() {
  if (connected_ && page_browser_) UnadviseOn(page_browser_, __uuidof(DWebBrowserEvents2), cookie_);
  cookie_ = kNoConnection;
  connected_ = false;
}

STDMETHODIMP CHtmlNlrEventHandler::put_MainBrowserSite(IUnknown* site) {
  if (!site) return E_POINTER;
  CComPtr<IWebBrowser2> browser;
  if (FAILED(browser.QueryFrom(site)) || !browser) return E_INVALIDARG;
  main_browser_ = browser;
  return S_OK;
}

STDMETHODIMP CHtmlNlrEventHandler::put_HtmlNlrBrowserSite(IUnknown* site) {
  if (!site) return E_POINTER;
  Disconnect();
  CComPtr<IWebBrowser2> browser;
  if (FAILED(browser.QueryFrom(site)) || !browser) return E_INVALIDARG;
  page_browser_ = browser;
  HRESULT hr = AdviseOn(page_browser_, __uuidof(DWebBrowserEvents2), &events_, &cookie_);
  if (FAILED(hr)) {
    cookie_ = kNoConnection;
    return hr;
  }
  connected_ = true;
  return S_OK;
}

STDMETHODIMP CHtmlNlrEventHandler::put_CallbackHwnd(HWND window) {
  if (!window) return E_INVALIDARG;
  callback_window_ = window;
  return S_OK;
}

HRESULT CHtmlNlrEventHandler::OnBeforeNavigate2(DISPPARAMS* params) {
  if (!main_browser_) return S_OK;
  // A frame inside the signed page navigates on its own: only the page's own navigations go to
  // the main browser.
  const VARIANT* source = ComHelpersNS::EventParam(params, 0);
  IUnknown* source_object = nullptr;
  if (source && (V_VT(source) == VT_DISPATCH || V_VT(source) == VT_UNKNOWN)) source_object = V_UNKNOWN(source);
  if (!KestrinComNS::IsSameObject(source_object, page_browser_)) return S_OK;

  const VARIANT* url = ComHelpersNS::EventParam(params, 1);
  if (!url) return E_INVALIDARG;
  KestrinComNS::CVariant url_text;
  HRESULT hr = VariantChangeType(url_text.Get(), const_cast<VARIANT*>(url), 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  ValueCopy flags(params, 2), post_data(params, 4), headers(params, 5);
  KestrinComNS::CVariant target;
  V_VT(target.Get()) = VT_BSTR;
  V_BSTR(target.Get()) = SysAllocString(L"_top");
  VARIANT* cancel = RawParam(params, 6);
  if (!flags.ok() || !post_data.ok() || !headers.ok() || !V_BSTR(target.Get())) {
    hr = E_OUTOFMEMORY;
  } else {
    if (cancel && V_VT(cancel) == (VT_BOOL | VT_BYREF) && V_BOOLREF(cancel)) *V_BOOLREF(cancel) = VARIANT_TRUE;
    hr = main_browser_->Navigate(V_BSTR(url_text.Get()), flags.get(), target.Get(), post_data.get(), headers.get());
  }
  return hr;
}

STDMETHODIMP CHtmlNlrEventHandler::CBrowserEvents::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != __uuidof(DWebBrowserEvents2)) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP CHtmlNlrEventHandler::CBrowserEvents::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CHtmlNlrEventHandler::CBrowserEvents::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP CHtmlNlrEventHandler::CBrowserEvents::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params,
                                                          VARIANT*, EXCEPINFO*, UINT*) {
  // Nothing thrown here may reach the browser.
  try {
    switch (dispid) {
      case DISPID_DOCUMENTCOMPLETE:
        if (owner_->callback_window_) PostMessageW(owner_->callback_window_, kMessageSignedPageLoaded, 0, 0);
        return S_OK;
      case DISPID_BEFORENAVIGATE2:
        return owner_->OnBeforeNavigate2(params);
      default:
        return S_OK;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace KestrinIENS

namespace KRControlNS {

using KestrinIENS::kNoConnection;

CScriptErrorHandler::~CScriptErrorHandler() { Detach(); }

bool CScriptErrorHandler::Attach(IWebBrowser2* browser) {
  if (!browser) return false;
  CComPtr<IDispatch> document_dispatch;
  if (FAILED(browser->get_Document(&document_dispatch)) || !document_dispatch) return false;
  CComPtr<IHTMLDocument2> document;
  if (FAILED(document.QueryFrom(document_dispatch.get())) || !document) return false;
  CComPtr<IHTMLWindow2> window;
  if (FAILED(document->get_parentWindow(&window)) || !window) return false;
  if (!KestrinComNS::IsSameObject(window, window_)) {
    if (connected_ && SUCCEEDED(Disconnect(window_))) connected_ = false;
    window_ = window;
  }
  if (connected_) return true;
  connected_ = SUCCEEDED(Connect(window_));
  return connected_;
}

void CScriptErrorHandler::Detach() {
  if (connected_) Disconnect(window_);
  connected_ = false;
  window_.Release();
}

HRESULT CScriptErrorHandler::Connect(IHTMLWindow2* window) {
  if (connected_) return E_FAIL;
  if (!window) return E_INVALIDARG;
  HRESULT hr = AdviseOn(window, __uuidof(HTMLWindowEvents2), this, &cookie_);
  if (FAILED(hr)) cookie_ = kNoConnection;
  return hr;
}

HRESULT CScriptErrorHandler::Disconnect(IHTMLWindow2* window) {
  if (!window) return E_INVALIDARG;
  HRESULT hr = UnadviseOn(window, __uuidof(HTMLWindowEvents2), cookie_);
  cookie_ = kNoConnection;
  return hr;
}

STDMETHODIMP CScriptErrorHandler::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != __uuidof(HTMLWindowEvents2)) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  return S_OK;
}

STDMETHODIMP CScriptErrorHandler::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CScriptErrorHandler::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP CScriptErrorHandler::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                         EXCEPINFO*, UINT*) {
  if (dispid == kDispidScriptError && result) {
    VariantClear(result);  // the caller's out-value, replaced below
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = VARIANT_TRUE;
  }
  return S_OK;
}

}  // namespace KRControlNS
