// A control container for one control in a window of ours: the client site and in-place site
// a control (a web browser, in practice) needs to show itself in that window.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleidl.h>

#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace KestrinAxNS {

class CAxHost : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  // Creates the control of class `clsid` (CoCreateInstance, in process) in `window` and
  // activates it in place over the window's client area. Null when any step fails.
  static KestrinComNS::CComObject<CAxHost>* Create(REFCLSID clsid, HWND window, HRESULT* result = nullptr);

  CAxHost() = default;
  virtual ~CAxHost();
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  // The control, asked for interface Q.
  template <class Q>
  HRESULT GetControl(Q** out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!control_) return E_FAIL;
    return control_->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(out));
  }
  // Deactivates the control and gives it up. Safe to call again.
  void Close();
  // Fits the control to the window's client area.
  void Resize();
  HWND window() const { return window_; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
  STDMETHODIMP GetContainer(IOleContainer** out) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (of both the site and the frame)
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

  // IOleInPlaceUIWindow, IOleInPlaceFrame: no menus, tools or borders of our own.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  CAxHost(const CAxHost&) = delete;
  CAxHost& operator=(const CAxHost&) = delete;
  HRESULT Start(REFCLSID clsid, HWND window);

  HWND window_ = nullptr;
  KestrinComNS::CComPtr<IUnknown> control_;
};

}  // namespace KestrinAxNS
