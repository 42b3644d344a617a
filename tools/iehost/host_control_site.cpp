#include "tools/iehost/host_control_site.h"

#include <olectl.h>

#include <algorithm>

namespace iehost {

using KestrinComNS::QueryInterfaceTable;

// ---- property bag ----

STDMETHODIMP CHostPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  if (!name || !value) return E_POINTER;
  for (const auto& param : params_) {
    if (lstrcmpiW(param.first.c_str(), name) != 0) continue;
    VARTYPE wanted = V_VT(value);
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocStringLen(param.second.data(), static_cast<UINT>(param.second.size()));
    if (!V_BSTR(&text)) return E_OUTOFMEMORY;
    if (wanted == VT_EMPTY || wanted == VT_BSTR) {
      *value = text;
      return S_OK;
    }
    HRESULT hr = VariantChangeType(value, &text, 0, wanted);
    VariantClear(&text);
    return hr;
  }
  return E_INVALIDARG;
}

STDMETHODIMP CHostPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
  if (!name || !value) return E_POINTER;
  VARIANT text;
  VariantInit(&text);
  HRESULT hr = VariantChangeType(&text, value, 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  std::wstring stored(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
  VariantClear(&text);
  for (auto& param : params_) {
    if (lstrcmpiW(param.first.c_str(), name) == 0) {
      param.second = stored;
      return S_OK;
    }
  }
  params_.emplace_back(name, stored);
  return S_OK;
}

size_t CHostEventSink::Count(DISPID dispid) const {
  return static_cast<size_t>(std::count(fired_.begin(), fired_.end(), dispid));
}

// ---- the site ----

namespace {

CComObject<CHostControlSite>* Finish(CComObject<CHostControlSite>* site, HRESULT hr, HRESULT* result) {
  if (result) *result = hr;
  if (FAILED(hr) && site) {
    site->Close();
    site->Release();
    site = nullptr;
  }
  return site;
}

}  // namespace

CComObject<CHostControlSite>* CHostControlSite::Create(REFCLSID clsid, HWND window, const RECT& position,
                                                       IWebBrowser2* browser,
                                                       std::vector<std::pair<std::wstring, std::wstring>> params,
                                                       REFIID events, HRESULT* result) {
  CComObject<CHostControlSite>* site = CComObject<CHostControlSite>::Create();
  if (!site) return Finish(site, E_OUTOFMEMORY, result);
  site->window_ = window;
  site->position_ = position;
  site->browser_ = browser;
  return Finish(site, site->Start(clsid, nullptr, std::move(params), events), result);
}

CComObject<CHostControlSite>* CHostControlSite::Create(IUnknown* control, HWND window, const RECT& position,
                                                       IWebBrowser2* browser,
                                                       std::vector<std::pair<std::wstring, std::wstring>> params,
                                                       REFIID events, HRESULT* result) {
  CComObject<CHostControlSite>* site = CComObject<CHostControlSite>::Create();
  if (!site) return Finish(site, E_OUTOFMEMORY, result);
  site->window_ = window;
  site->position_ = position;
  site->browser_ = browser;
  return Finish(site, control ? site->Start(GUID_NULL, control, std::move(params), events) : E_POINTER, result);
}

CHostControlSite::~CHostControlSite() { Close(); }

HRESULT CHostControlSite::InternalQueryInterface(REFIID riid, void** out) {
  if (riid == IID_IOleWindow) {
    *out = static_cast<IOleInPlaceSite*>(this);
    static_cast<IOleClientSite*>(this)->AddRef();
    return S_OK;
  }
  return QueryInterfaceTable<IOleClientSite, IOleInPlaceSite, IOleControlSite, IOleInPlaceFrame, IOleInPlaceUIWindow,
                             IServiceProvider>(this, riid, out);
}

HRESULT CHostControlSite::Start(REFCLSID clsid, IUnknown* control,
                                std::vector<std::pair<std::wstring, std::wstring>> params, REFIID events) {
  if (!IsWindow(window_)) return E_INVALIDARG;
  HRESULT hr = S_OK;
  if (control) {
    control_ = control;
  } else {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&control_));
    if (FAILED(hr)) return hr;
  }
  CComPtr<IOleObject> object;
  if (FAILED(hr = object.QueryFrom(control_.get()))) return hr;
  // The browser gives the site first when the control asks for it, as every control here does.
  DWORD misc = 0;
  object->GetMiscStatus(DVASPECT_CONTENT, &misc);
  if (misc & OLEMISC_SETCLIENTSITEFIRST) {
    if (FAILED(hr = object->SetClientSite(this))) return hr;
  }
  CComPtr<IPersistPropertyBag> persist;
  if (SUCCEEDED(persist.QueryFrom(control_.get())) && persist) {
    CComPtr<CComObject<CHostPropertyBag>> bag;
    bag.Attach(CComObject<CHostPropertyBag>::Create(std::move(params)));
    if (!bag) return E_OUTOFMEMORY;
    if (FAILED(hr = persist->Load(bag.get(), nullptr))) return hr;
  }
  if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) {
    if (FAILED(hr = object->SetClientSite(this))) return hr;
  }
  if (events != IID_NULL) {
    CComPtr<IConnectionPointContainer> container;
    if (SUCCEEDED(container.QueryFrom(control_.get())) && container &&
        SUCCEEDED(container->FindConnectionPoint(events, &point_)) && point_) {
      sink_.Attach(CComObject<CHostEventSink>::Create());
      if (!sink_ || FAILED(point_->Advise(static_cast<IDispatch*>(sink_.get()), &cookie_))) cookie_ = 0;
    }
  }
  return object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &position_);
}

HWND CHostControlSite::ControlWindow() const {
  CComPtr<IOleInPlaceObject> in_place;
  HWND window = nullptr;
  if (control_ && SUCCEEDED(in_place.QueryFrom(control_.get())) && in_place) in_place->GetWindow(&window);
  return window;
}

void CHostControlSite::Close() {
  if (point_ && cookie_) point_->Unadvise(cookie_);
  point_.Release();
  cookie_ = 0;
  active_.Release();
  if (!control_) return;
  CComPtr<IUnknown> control;
  control.Attach(control_.Detach());
  CComPtr<IOleInPlaceObject> in_place;
  if (SUCCEEDED(in_place.QueryFrom(control.get())) && in_place) in_place->InPlaceDeactivate();
  CComPtr<IOleObject> object;
  if (SUCCEEDED(object.QueryFrom(control.get())) && object) {
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
  }
}

STDMETHODIMP CHostControlSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CHostControlSite::GetContainer(IOleContainer** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  CComPtr<IDispatch> document;
  if (!browser_ || FAILED(browser_->get_Document(&document)) || !document) return E_NOINTERFACE;
  return document->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(out));
}

STDMETHODIMP CHostControlSite::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = window_;
  return S_OK;
}

STDMETHODIMP CHostControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !document || !position || !clip || !info) return E_POINTER;
  *frame = this;
  static_cast<IOleClientSite*>(this)->AddRef();
  *document = nullptr;
  *position = position_;
  GetClientRect(window_, clip);
  info->fMDIApp = FALSE;
  info->hwndFrame = GetAncestor(window_, GA_ROOT);
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP CHostControlSite::GetExtendedControl(IDispatch** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CHostControlSite::TranslateAccelerator(MSG*, DWORD) {
  ++accelerators_offered_;
  return S_FALSE;
}

STDMETHODIMP CHostControlSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  active_ = object;
  return S_OK;
}

STDMETHODIMP CHostControlSite::QueryService(REFGUID service, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  CComPtr<IServiceProvider> services;
  if (!browser_ || FAILED(services.QueryFrom(browser_.get())) || !services) return E_NOINTERFACE;
  return services->QueryService(service, riid, out);
}

}  // namespace iehost
