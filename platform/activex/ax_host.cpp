#include "platform/activex/ax_host.h"

namespace KestrinAxNS {

using KestrinComNS::CComObject;
using KestrinComNS::CComPtr;

CComObject<CAxHost>* CAxHost::Create(REFCLSID clsid, HWND window, HRESULT* result) {
  CComObject<CAxHost>* host = CComObject<CAxHost>::Create();
  HRESULT hr = host ? host->Start(clsid, window) : E_OUTOFMEMORY;
  if (result) *result = hr;
  if (FAILED(hr) && host) {
    host->Close();
    host->Release();
    host = nullptr;
  }
  return host;
}

CAxHost::~CAxHost() { Close(); }

HRESULT CAxHost::InternalQueryInterface(REFIID riid, void** out) {
  if (riid == IID_IOleWindow) {
    *out = static_cast<IOleInPlaceSite*>(this);
    static_cast<IOleClientSite*>(this)->AddRef();
    return S_OK;
  }
  return KestrinComNS::QueryInterfaceTable<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame,
                                           IOleInPlaceUIWindow>(this, riid, out);
}

HRESULT CAxHost::Start(REFCLSID clsid, HWND window) {
  if (!IsWindow(window)) return E_INVALIDARG;
  window_ = window;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&control_));
  if (FAILED(hr)) return hr;
  CComPtr<IOleObject> object;
  if (FAILED(hr = object.QueryFrom(control_.get()))) return hr;
  if (FAILED(hr = object->SetClientSite(this))) return hr;
  RECT area;
  GetClientRect(window_, &area);
  return object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &area);
}

void CAxHost::Close() {
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

void CAxHost::Resize() {
  CComPtr<IOleInPlaceObject> in_place;
  if (!control_ || FAILED(in_place.QueryFrom(control_.get())) || !in_place) return;
  RECT area;
  GetClientRect(window_, &area);
  in_place->SetObjectRects(&area, &area);
}

STDMETHODIMP CAxHost::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CAxHost::GetContainer(IOleContainer** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CAxHost::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = window_;
  return S_OK;
}

STDMETHODIMP CAxHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                       LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !document || !position || !clip || !info) return E_POINTER;
  *frame = this;
  static_cast<IOleClientSite*>(this)->AddRef();
  *document = nullptr;
  GetClientRect(window_, position);
  *clip = *position;
  info->fMDIApp = FALSE;
  info->hwndFrame = GetAncestor(window_, GA_ROOT);
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

}  // namespace KestrinAxNS
