// The base of a windowed ActiveX control: the OLE embedding, view, in-place, persistence,
// connection-point, class-info and safety interfaces a page's container talks to. The control
// always activates with a window of its own (a child of the site's window), paints through
// OnDraw, and keeps its properties through Load/SaveProperties and Load/SaveStream.
//
// A derived class adds its own dual interface, lists every interface in its
// InternalQueryInterface (BaseQueryInterface answers the ones here) and is made as a
// CComObject<T>. Everything runs on the container's thread.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <objsafe.h>
#include <oleidl.h>

#include <string>

#include "platform/activex/connection_point.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/win/window.h"

namespace KestrinAxNS {

class CControlBase : public IOleObject,
                     public IViewObjectEx,
                     public IOleInPlaceObjectWindowless,
                     public IOleInPlaceActiveObject,
                     public IOleControl,
                     public IPersistPropertyBag,
                     public IPersistStreamInit,
                     public IConnectionPointContainer,
                     public IProvideClassInfo2,
                     public IObjectSafety,
                     public IDataObject,
                     public KestrinWinNS::CWindowBase {
 public:
  // Safety options the control supports: safe for scripting and for initialisation.
  static const DWORD kSafetyOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  // Longest text a property bag or stream may hand to the control (characters).
  static const size_t kMaxPersistedText = 4096;

  // `window_class`: the class of the control's window (registered here); `style` its style.
  CControlBase(REFCLSID clsid, REFIID events, DWORD misc_status, const char* window_class, DWORD style);
  ~CControlBase() override;

  // The interfaces of this base, for the derived class's InternalQueryInterface.
  HRESULT BaseQueryInterface(REFIID riid, void** out);

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** out) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD save) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** out) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT area) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override;
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* out) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* out) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* out) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IViewObject, IViewObject2, IViewObjectEx
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target, HDC target_dc, HDC dc,
                    LPCRECTL bounds, LPCRECTL window_bounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR cont_arg) override;
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;
  STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
  STDMETHODIMP GetViewStatus(DWORD* status) override;
  STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG, DWORD* result) override;
  STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG, DWORD* result) override;
  STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override {
    return E_NOTIMPL;
  }

  // IOleWindow (of the in-place object and the active object)
  STDMETHODIMP GetWindow(HWND* out) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceObject, IOleInPlaceObjectWindowless: always windowed.
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }
  STDMETHODIMP GetDropTarget(IDropTarget** out) override;
  // IOleInPlaceActiveObject: what the control does not handle goes to its site.
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IPersist, IPersistPropertyBag, IPersistStreamInit
  STDMETHODIMP GetClassID(CLSID* out) override;
  STDMETHODIMP InitNew() override { return S_OK; }
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
  STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clear_dirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

  // IDataObject: no data of its own; a host that advises is told when the properties change.
  STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override;

  // IProvideClassInfo, IProvideClassInfo2: from the type library of the module holding the code.
  STDMETHODIMP GetClassInfo(ITypeInfo** out) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* out) override;

  // IObjectSafety
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

  // The window's messages: painting here, everything else to ProcessControlMessage.
  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) final;

  bool IsInPlaceActive() const { return in_place_active_; }
  // The control's place in its site's window.
  const RECT& GetPosition() const { return position_; }
  size_t EventConnectionCount() const { return events_ ? events_->ConnectionCount() : 0; }

 protected:
  // Draws the control into `dc` over `bounds`.
  virtual void OnDraw(HDC dc, const RECT& bounds) = 0;
  // Messages of the control's window other than WM_PAINT; true when handled.
  virtual BOOL ProcessControlMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) = 0;
  // The derived class's own properties, after the extent.
  virtual HRESULT LoadProperties(IPropertyBag* bag, IErrorLog* log) = 0;
  virtual HRESULT SaveProperties(IPropertyBag* bag) = 0;
  virtual HRESULT LoadFromStream(IStream* stream) = 0;
  virtual HRESULT SaveToStream(IStream* stream) = 0;
  // The IID of the derived class's default interface (for the safety options it accepts).
  virtual REFIID DefaultInterface() const = 0;

  // Fires an event without arguments to every sink (nothing while events are frozen).
  void FireEvent(DISPID dispid);
  // Redraws the control: its window when it has one, else the view's advise sink is told.
  void FireViewChange();
  // Tells the host's data-advise holder (when the host advised) that the data changed.
  void SendOnDataChange();
  void SetDirty(bool dirty) { dirty_ = dirty; }
  IOleClientSite* client_site() const { return client_site_.get(); }
  IOleInPlaceSite* in_place_site() const { return in_place_site_.get(); }

  // Property bag helpers: a value of the bag converted to the type; S_OK, or the bag's failure.
  static HRESULT ReadBag(IPropertyBag* bag, const wchar_t* name, VARTYPE type, VARIANT* value, IErrorLog* log);
  static HRESULT WriteBag(IPropertyBag* bag, const wchar_t* name, VARIANT* value);
  // Stream helpers: a 32-bit number, and a text as its length and characters (at most
  // kMaxPersistedText characters are read; a longer record fails).
  static HRESULT ReadStreamValue(IStream* stream, DWORD* value);
  static HRESULT WriteStreamValue(IStream* stream, DWORD value);
  static HRESULT ReadStreamText(IStream* stream, std::wstring* text);
  static HRESULT WriteStreamText(IStream* stream, const std::wstring& text);

 private:
  HRESULT ActivateInPlace(bool ui_activate);

  CLSID clsid_;
  IID events_iid_;
  DWORD misc_status_;
  std::string window_class_;
  DWORD style_;
  KestrinComNS::CComPtr<IOleClientSite> client_site_;
  KestrinComNS::CComPtr<IOleInPlaceSite> in_place_site_;
  KestrinComNS::CComPtr<IOleAdviseHolder> advise_holder_;
  KestrinComNS::CComPtr<IAdviseSink> view_sink_;
  KestrinComNS::CComPtr<IDataAdviseHolder> data_advise_holder_;
  DWORD view_aspects_ = 0;
  DWORD view_flags_ = 0;
  KestrinComNS::CComPtr<KestrinComNS::CComObjectNoLock<CEventConnectionPoint>> events_;
  SIZEL extent_ = {2540, 2540};  // HIMETRIC
  RECT position_ = {0, 0, 0, 0};
  bool in_place_active_ = false;
  bool ui_active_ = false;
  bool dirty_ = false;
  LONG frozen_ = 0;
  DWORD safety_ = 0;
};

}  // namespace KestrinAxNS
