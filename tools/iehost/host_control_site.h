// The container a page gives each control it embeds with an object element: the control is
// made by its class identifier (CoCreateInstance, as the browser makes it), gets this site
// first (client site, in-place site, control site; its services are the page's browser's),
// then the element's parameters through a property bag, and is activated in place in the
// page's window at the element's rectangle.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/iehost/host_browser.h"

namespace iehost {

// The object element's <param> values, handed to IPersistPropertyBag::Load.
class CHostPropertyBag : public IPropertyBag {
 public:
  explicit CHostPropertyBag(std::vector<std::pair<std::wstring, std::wstring>> params) : params_(std::move(params)) {}
  virtual ~CHostPropertyBag() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IPropertyBag>(this, riid, out);
  }
  // A parameter (names ignore case) as text, or converted to the type the caller set.
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;
  const std::vector<std::pair<std::wstring, std::wstring>>& params() const { return params_; }

 private:
  std::vector<std::pair<std::wstring, std::wstring>> params_;
};

// Records the events a control fires (dispatch ids, in order).
class CHostEventSink : public IDispatch {
 public:
  virtual ~CHostEventSink() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IDispatch>(this, riid, out);
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    fired_.push_back(dispid);
    return S_OK;
  }
  const std::vector<DISPID>& fired() const { return fired_; }
  size_t Count(DISPID dispid) const;

 private:
  std::vector<DISPID> fired_;
};

class CHostControlSite : public IOleClientSite,
                         public IOleInPlaceSite,
                         public IOleControlSite,
                         public IOleInPlaceFrame,
                         public IServiceProvider {
 public:
  // Embeds a control of class `clsid` in `window` at `position` on the page of `browser`, with
  // the element's parameters; its events go to a CHostEventSink of the site when it has the
  // outgoing interface `events`. Null when a step fails (`result` tells which HRESULT).
  static CComObject<CHostControlSite>* Create(REFCLSID clsid, HWND window, const RECT& position, IWebBrowser2* browser,
                                              std::vector<std::pair<std::wstring, std::wstring>> params,
                                              REFIID events, HRESULT* result = nullptr);

  // The same for a control made by the caller (a class of the test program itself).
  static CComObject<CHostControlSite>* Create(IUnknown* control, HWND window, const RECT& position,
                                              IWebBrowser2* browser,
                                              std::vector<std::pair<std::wstring, std::wstring>> params,
                                              REFIID events, HRESULT* result = nullptr);

  CHostControlSite() = default;
  virtual ~CHostControlSite();
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  template <class Q>
  HRESULT GetControl(Q** out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!control_) return E_FAIL;
    return control_->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(out));
  }
  // The control's own window (null when it has none).
  HWND ControlWindow() const;
  // Deactivates the control, takes its events back and gives it up. Safe to call again.
  void Close();
  CComObject<CHostEventSink>* events() const { return sink_.get(); }
  int accelerators_offered() const { return accelerators_offered_; }
  IOleInPlaceActiveObject* active_object() const { return active_.get(); }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
  STDMETHODIMP GetContainer(IOleContainer** out) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* out) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
  STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
  STDMETHODIMP GetExtendedControl(IDispatch** out) override;
  STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override;
  STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
  STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
  // IOleInPlaceUIWindow, IOleInPlaceFrame: no menus, tools or borders.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  // IServiceProvider: the page's browser's services.
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** out) override;

 private:
  CHostControlSite(const CHostControlSite&) = delete;
  CHostControlSite& operator=(const CHostControlSite&) = delete;
  HRESULT Start(REFCLSID clsid, IUnknown* control, std::vector<std::pair<std::wstring, std::wstring>> params,
                REFIID events);

  HWND window_ = nullptr;
  RECT position_ = {};
  CComPtr<IWebBrowser2> browser_;
  CComPtr<IUnknown> control_;
  CComPtr<IOleInPlaceActiveObject> active_;
  CComPtr<CComObject<CHostEventSink>> sink_;
  CComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  int accelerators_offered_ = 0;
};

}  // namespace iehost
