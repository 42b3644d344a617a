#include "platform/activex/control_base.h"

#include <olectl.h>

#include "platform/activex/type_library.h"
#include "platform/win/gdi.h"
#include "platform/win/module.h"

namespace KestrinAxNS {

using KestrinComNS::CComPtr;

namespace {

const DWORD kStreamVersion = 0x00010000;
// IObjectSafety's identity (mingw's headers give it no __uuidof).
const IID kIidObjectSafety = {0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};

template <class I>
bool Answer(I* self, REFIID riid, void** out) {
  if (riid != __uuidof(I)) return false;
  *out = self;
  self->AddRef();
  return true;
}

}  // namespace

CControlBase::CControlBase(REFCLSID clsid, REFIID events, DWORD misc_status, const char* window_class, DWORD style)
    : clsid_(clsid), events_iid_(events), misc_status_(misc_status), window_class_(window_class), style_(style) {
  events_.Attach(KestrinComNS::CComObjectNoLock<CEventConnectionPoint>::Create(
      events, static_cast<IConnectionPointContainer*>(this)));
}

CControlBase::~CControlBase() {
  if (events_) events_->Disconnect();
  if (GetHwnd()) DestroyUnbound();
}

HRESULT CControlBase::BaseQueryInterface(REFIID riid, void** out) {
  if (riid == IID_IPersist) {
    *out = static_cast<IPersistPropertyBag*>(this);
    static_cast<IOleObject*>(this)->AddRef();
    return S_OK;
  }
  if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) {
    *out = static_cast<IOleInPlaceObjectWindowless*>(this);
    static_cast<IOleObject*>(this)->AddRef();
    return S_OK;
  }
  if (riid == IID_IViewObject || riid == IID_IViewObject2) {
    *out = static_cast<IViewObjectEx*>(this);
    static_cast<IOleObject*>(this)->AddRef();
    return S_OK;
  }
  if (riid == IID_IProvideClassInfo) {
    *out = static_cast<IProvideClassInfo2*>(this);
    static_cast<IOleObject*>(this)->AddRef();
    return S_OK;
  }
  if (Answer<IOleObject>(this, riid, out) || Answer<IViewObjectEx>(this, riid, out) ||
      Answer<IOleInPlaceObjectWindowless>(this, riid, out) || Answer<IOleInPlaceActiveObject>(this, riid, out) ||
      Answer<IOleControl>(this, riid, out) || Answer<IPersistPropertyBag>(this, riid, out) ||
      Answer<IPersistStreamInit>(this, riid, out) || Answer<IConnectionPointContainer>(this, riid, out) ||
      Answer<IProvideClassInfo2>(this, riid, out) || Answer<IDataObject>(this, riid, out))
    return S_OK;
  if (riid == kIidObjectSafety) {
    *out = static_cast<IObjectSafety*>(this);
    static_cast<IOleObject*>(this)->AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

// ---- IOleObject ----

STDMETHODIMP CControlBase::SetClientSite(IOleClientSite* site) {
  client_site_ = site;
  return S_OK;
}

STDMETHODIMP CControlBase::GetClientSite(IOleClientSite** out) { return client_site_.CopyTo(out); }

STDMETHODIMP CControlBase::Close(DWORD) {
  InPlaceDeactivate();
  if (advise_holder_) advise_holder_->SendOnClose();
  return S_OK;
}

STDMETHODIMP CControlBase::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CControlBase::GetClipboardData(DWORD, IDataObject** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(true);
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(false);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (GetHwnd()) ShowWindow(GetHwnd(), SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

STDMETHODIMP CControlBase::EnumVerbs(IEnumOLEVERB** out) {
  if (!out) return E_POINTER;
  return OleRegEnumVerbs(clsid_, out);
}

STDMETHODIMP CControlBase::GetUserClassID(CLSID* out) { return GetClassID(out); }

STDMETHODIMP CControlBase::GetUserType(DWORD form, LPOLESTR* out) {
  if (!out) return E_POINTER;
  return OleRegGetUserType(clsid_, form, out);
}

STDMETHODIMP CControlBase::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extent_ = *size;
  dirty_ = true;
  return S_OK;
}

STDMETHODIMP CControlBase::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP CControlBase::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!advise_holder_) {
    HRESULT hr = CreateOleAdviseHolder(&advise_holder_);
    if (FAILED(hr)) return hr;
  }
  return advise_holder_->Advise(sink, cookie);
}

STDMETHODIMP CControlBase::Unadvise(DWORD cookie) {
  return advise_holder_ ? advise_holder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CControlBase::EnumAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return advise_holder_ ? advise_holder_->EnumAdvise(out) : E_FAIL;
}

STDMETHODIMP CControlBase::GetMiscStatus(DWORD, DWORD* out) {
  if (!out) return E_POINTER;
  *out = misc_status_;
  return S_OK;
}

// ---- in-place activation ----

HRESULT CControlBase::ActivateInPlace(bool ui_activate) {
  if (!client_site_) return E_UNEXPECTED;
  if (!in_place_active_) {
    CComPtr<IOleInPlaceSite> site;
    if (FAILED(site.QueryFrom(client_site_.get())) || !site) return E_NOINTERFACE;
    if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
    HRESULT hr = site->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    in_place_site_ = site;
    in_place_active_ = true;
    HWND parent = nullptr;
    CComPtr<IOleInPlaceFrame> frame;
    CComPtr<IOleInPlaceUIWindow> document;
    RECT clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    if (FAILED(site->GetWindow(&parent)) || !parent ||
        FAILED(site->GetWindowContext(&frame, &document, &position_, &clip, &info))) {
      InPlaceDeactivate();
      return E_FAIL;
    }
    if (!GetHwnd()) {
      WNDCLASSEXA window_class = {};
      window_class.cbSize = sizeof(window_class);
      window_class.style = CS_DBLCLKS;
      window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
      window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      window_class.lpszClassName = window_class_.c_str();
      if (!RegisterWindowClass(window_class) || !Create(window_class_.c_str(), 0, style_, position_, parent)) {
        InPlaceDeactivate();
        return E_FAIL;
      }
    }
  }
  if (ui_activate && !ui_active_) {
    ui_active_ = true;
    in_place_site_->OnUIActivate();
    HWND parent = nullptr;
    CComPtr<IOleInPlaceFrame> frame;
    CComPtr<IOleInPlaceUIWindow> document;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    in_place_site_->GetWindow(&parent);
    if (SUCCEEDED(in_place_site_->GetWindowContext(&frame, &document, &position, &clip, &info))) {
      if (frame) frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
      if (document) document->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    }
  }
  return S_OK;
}

STDMETHODIMP CControlBase::InPlaceDeactivate() {
  if (!in_place_active_) return S_OK;
  UIDeactivate();
  in_place_active_ = false;
  if (GetHwnd()) DestroyWindow(GetHwnd());
  CComPtr<IOleInPlaceSite> site = std::move(in_place_site_);
  if (site) site->OnInPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP CControlBase::UIDeactivate() {
  if (!ui_active_) return S_OK;
  ui_active_ = false;
  if (!in_place_site_) return S_OK;
  CComPtr<IOleInPlaceFrame> frame;
  CComPtr<IOleInPlaceUIWindow> document;
  RECT position = {}, clip = {};
  OLEINPLACEFRAMEINFO info = {};
  info.cb = sizeof(info);
  if (SUCCEEDED(in_place_site_->GetWindowContext(&frame, &document, &position, &clip, &info))) {
    if (document) document->SetActiveObject(nullptr, nullptr);
    if (frame) frame->SetActiveObject(nullptr, nullptr);
  }
  in_place_site_->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP CControlBase::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  position_ = *position;
  if (GetHwnd())
    SetWindowPos(GetHwnd(), nullptr, position_.left, position_.top, position_.right - position_.left,
                 position_.bottom - position_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

STDMETHODIMP CControlBase::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = GetHwnd();
  return *out ? S_OK : E_FAIL;
}

STDMETHODIMP CControlBase::GetDropTarget(IDropTarget** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CControlBase::TranslateAccelerator(LPMSG msg) {
  if (!msg) return E_POINTER;
  CComPtr<IOleControlSite> site;
  if (!client_site_ || FAILED(site.QueryFrom(client_site_.get())) || !site) return S_FALSE;
  DWORD modifiers = (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                    (GetKeyState(VK_MENU) < 0 ? 4 : 0);
  return site->TranslateAccelerator(msg, modifiers) == S_OK ? S_OK : S_FALSE;
}

// ---- view ----

STDMETHODIMP CControlBase::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc) return E_INVALIDARG;
  RECT area;
  if (bounds) {
    area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (GetHwnd()) {
    GetClientRect(GetHwnd(), &area);
  } else {
    return E_INVALIDARG;
  }
  OnDraw(dc, area);
  return S_OK;
}

STDMETHODIMP CControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  view_aspects_ = aspects;
  view_flags_ = flags;
  view_sink_ = sink;
  return S_OK;
}

STDMETHODIMP CControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = view_aspects_;
  if (flags) *flags = view_flags_;
  if (sink) view_sink_.CopyTo(sink);
  return S_OK;
}

STDMETHODIMP CControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

STDMETHODIMP CControlBase::GetRect(DWORD aspect, LPRECTL rect) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!rect) return E_POINTER;
  *rect = {position_.left, position_.top, position_.right, position_.bottom};
  return S_OK;
}

STDMETHODIMP CControlBase::GetViewStatus(DWORD* status) {
  if (!status) return E_POINTER;
  *status = VIEWSTATUS_SOLIDBKGND | VIEWSTATUS_OPAQUE;
  return S_OK;
}

STDMETHODIMP CControlBase::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG, DWORD* result) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!bounds || !result) return E_POINTER;
  *result = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP CControlBase::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG, DWORD* result) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!bounds || !location || !result) return E_POINTER;
  RECT common;
  *result = IntersectRect(&common, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

void CControlBase::FireViewChange() {
  if (in_place_active_ && GetHwnd()) {
    InvalidateRect(GetHwnd(), nullptr, TRUE);
  } else if (view_sink_) {
    view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
  }
}

BOOL CControlBase::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message == WM_PAINT) {
    KestrinWinNS::CScopedPaintDC paint(window);
    RECT area;
    GetClientRect(window, &area);
    OnDraw(paint.Get(), area);
    result = 0;
    return TRUE;
  }
  return ProcessControlMessage(window, message, wparam, lparam, result);
}

// ---- IOleControl ----

STDMETHODIMP CControlBase::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->cb = sizeof(*info);
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP CControlBase::FreezeEvents(BOOL freeze) {
  if (freeze) ++frozen_;
  else if (frozen_ > 0) --frozen_;
  return S_OK;
}

void CControlBase::FireEvent(DISPID dispid) {
  if (frozen_ == 0 && events_) events_->FireEvent(dispid);
}

// ---- persistence ----

STDMETHODIMP CControlBase::GetClassID(CLSID* out) {
  if (!out) return E_POINTER;
  *out = clsid_;
  return S_OK;
}

HRESULT CControlBase::ReadBag(IPropertyBag* bag, const wchar_t* name, VARTYPE type, VARIANT* value, IErrorLog* log) {
  VariantInit(value);
  V_VT(value) = type;
  HRESULT hr = bag->Read(name, value, log);
  if (FAILED(hr)) {
    VariantInit(value);  // empty again: the caller may clear it
    return hr;
  }
  if (V_VT(value) != type) hr = VariantChangeType(value, value, 0, type);
  if (FAILED(hr)) VariantClear(value);
  return hr;
}

HRESULT CControlBase::WriteBag(IPropertyBag* bag, const wchar_t* name, VARIANT* value) {
  return bag->Write(name, value);
}

STDMETHODIMP CControlBase::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  VARIANT value;
  if (SUCCEEDED(ReadBag(bag, L"_cx", VT_I4, &value, log))) extent_.cx = V_I4(&value);
  if (SUCCEEDED(ReadBag(bag, L"_cy", VT_I4, &value, log))) extent_.cy = V_I4(&value);
  return LoadProperties(bag, log);
}

STDMETHODIMP CControlBase::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) {
  if (!bag) return E_POINTER;
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_I4;
  V_I4(&value) = extent_.cx;
  HRESULT hr = WriteBag(bag, L"_cx", &value);
  V_I4(&value) = extent_.cy;
  if (SUCCEEDED(hr)) hr = WriteBag(bag, L"_cy", &value);
  if (SUCCEEDED(hr)) hr = SaveProperties(bag);
  if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
  return hr;
}

HRESULT CControlBase::ReadStreamValue(IStream* stream, DWORD* value) {
  ULONG read = 0;
  HRESULT hr = stream->Read(value, sizeof(*value), &read);
  if (FAILED(hr)) return hr;
  return read == sizeof(*value) ? S_OK : STG_E_READFAULT;
}

HRESULT CControlBase::WriteStreamValue(IStream* stream, DWORD value) {
  return stream->Write(&value, sizeof(value), nullptr);
}

HRESULT CControlBase::ReadStreamText(IStream* stream, std::wstring* text) {
  DWORD length = 0;
  HRESULT hr = ReadStreamValue(stream, &length);
  if (FAILED(hr)) return hr;
  if (length > kMaxPersistedText) return STG_E_READFAULT;
  std::wstring value(length, L'\0');
  ULONG read = 0;
  if (length) {
    hr = stream->Read(&value[0], length * sizeof(wchar_t), &read);
    if (FAILED(hr)) return hr;
    if (read != length * sizeof(wchar_t)) return STG_E_READFAULT;
  }
  text->swap(value);
  return S_OK;
}

HRESULT CControlBase::WriteStreamText(IStream* stream, const std::wstring& text) {
  if (text.size() > kMaxPersistedText) return E_INVALIDARG;
  HRESULT hr = WriteStreamValue(stream, static_cast<DWORD>(text.size()));
  if (SUCCEEDED(hr) && !text.empty())
    hr = stream->Write(text.data(), static_cast<ULONG>(text.size() * sizeof(wchar_t)), nullptr);
  return hr;
}

STDMETHODIMP CControlBase::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  DWORD version = 0, cx = 0, cy = 0;
  HRESULT hr = ReadStreamValue(stream, &version);
  if (SUCCEEDED(hr) && version != kStreamVersion) hr = STG_E_OLDFORMAT;
  if (SUCCEEDED(hr)) hr = ReadStreamValue(stream, &cx);
  if (SUCCEEDED(hr)) hr = ReadStreamValue(stream, &cy);
  if (FAILED(hr)) return hr;
  extent_.cx = static_cast<LONG>(cx);
  extent_.cy = static_cast<LONG>(cy);
  return LoadFromStream(stream);
}

STDMETHODIMP CControlBase::Save(LPSTREAM stream, BOOL clear_dirty) {
  if (!stream) return E_POINTER;
  HRESULT hr = WriteStreamValue(stream, kStreamVersion);
  if (SUCCEEDED(hr)) hr = WriteStreamValue(stream, static_cast<DWORD>(extent_.cx));
  if (SUCCEEDED(hr)) hr = WriteStreamValue(stream, static_cast<DWORD>(extent_.cy));
  if (SUCCEEDED(hr)) hr = SaveToStream(stream);
  if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
  return hr;
}

STDMETHODIMP CControlBase::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 64 * 1024;
  return S_OK;
}

// ---- connection points, class info, safety ----

STDMETHODIMP CControlBase::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::vector<KestrinComNS::CComPtr<IConnectionPoint>> points;
  if (events_) {
    KestrinComNS::CComPtr<IConnectionPoint> point;
    if (SUCCEEDED(events_->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(&point))))
      points.push_back(point);
  }
  *out = KestrinComNS::CComObject<CEnumConnectionPoints>::Create(std::move(points));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// ---- data object: only the advise holder, through which the host learns of changed data ----

STDMETHODIMP CControlBase::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) {
  if (!sink || !connection) return E_POINTER;
  *connection = 0;
  if (!data_advise_holder_) {
    HRESULT hr = CreateDataAdviseHolder(&data_advise_holder_);
    if (FAILED(hr)) return hr;
  }
  return data_advise_holder_->Advise(static_cast<IDataObject*>(this), format, flags, sink, connection);
}

STDMETHODIMP CControlBase::DUnadvise(DWORD connection) {
  if (!data_advise_holder_) return OLE_E_NOCONNECTION;
  return data_advise_holder_->Unadvise(connection);
}

STDMETHODIMP CControlBase::EnumDAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!data_advise_holder_) return E_FAIL;
  return data_advise_holder_->EnumAdvise(out);
}

void CControlBase::SendOnDataChange() {
  if (data_advise_holder_) data_advise_holder_->SendOnDataChange(static_cast<IDataObject*>(this), 0, 0);
}

STDMETHODIMP CControlBase::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != events_iid_ || !events_) return CONNECT_E_NOCONNECTION;
  return events_->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(out));
}

STDMETHODIMP CControlBase::GetClassInfo(ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  CComPtr<ITypeLib> library;
  HRESULT hr = LoadModuleTypeLib(KestrinWinNS::CodeModule(), &library);
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(clsid_, out);
}

STDMETHODIMP CControlBase::GetGUID(DWORD kind, GUID* out) {
  if (!out) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *out = GUID_NULL;
    return E_INVALIDARG;
  }
  *out = events_iid_;
  return S_OK;
}

STDMETHODIMP CControlBase::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  *supported = *enabled = 0;
  if (riid != IID_IDispatch && riid != IID_IPersistPropertyBag && riid != IID_IPersistStreamInit &&
      riid != DefaultInterface())
    return E_NOINTERFACE;
  *supported = kSafetyOptions;
  *enabled = safety_;
  return S_OK;
}

STDMETHODIMP CControlBase::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  if (riid != IID_IDispatch && riid != IID_IPersistPropertyBag && riid != IID_IPersistStreamInit &&
      riid != DefaultInterface())
    return E_NOINTERFACE;
  if (mask & ~kSafetyOptions) return E_FAIL;
  safety_ = (safety_ & ~mask) | (enabled & mask);
  return S_OK;
}

}  // namespace KestrinAxNS
