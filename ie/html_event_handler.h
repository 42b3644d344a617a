// The event sinks of a signed page that the verification control shows in a browser of its
// own: the page event handler sends every navigation that starts in the page to the main
// browser window and tells the control when a document has loaded; the script-error handler
// answers the page's script errors as handled, so that no error dialog appears.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>

#include "ie/kestrin_ie_interfaces.h"
#include "platform/activex/type_info_dispatch.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace KestrinIENS {

using KestrinComNS::CComPtr;

// Posted to the control window when a document of the signed page has loaded.
const UINT kMessageSignedPageLoaded = 0x83EA;
// The connection cookie while no connection is held.
const DWORD kNoConnection = 0xFEFEFEFE;

class CHtmlNlrEventHandler : public IHtmlNlrEventHandler {
 public:
  CHtmlNlrEventHandler();
  virtual ~CHtmlNlrEventHandler();
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  // IDispatch of IHtmlNlrEventHandler (through the type library)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override {
    return dispatch_.GetTypeInfo(index, lcid, out);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
    return dispatch_.GetIDsOfNames(riid, names, count, lcid, ids);
  }
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override {
    return dispatch_.Invoke(this, dispid, riid, lcid, flags, params, result, exception, arg_error);
  }

  // IHtmlNlrEventHandler
  STDMETHODIMP put_MainBrowserSite(IUnknown* site) override;
  STDMETHODIMP put_HtmlNlrBrowserSite(IUnknown* site) override;
  STDMETHODIMP put_CallbackHwnd(HWND window) override;

  bool IsConnected() const { return connected_; }

 private:
  // The sink of the embedded browser's DWebBrowserEvents2. It lives inside the handler and is
  // not counted (AddRef and Release answer 1): the browser's hold on it must not keep the
  // handler alive, whose destruction takes the connection back.
  class CBrowserEvents : public IDispatch {
   public:
    explicit CBrowserEvents(CHtmlNlrEventHandler* owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* arg_error) override;

   private:
    CHtmlNlrEventHandler* owner_;
  };

  HRESULT OnBeforeNavigate2(DISPPARAMS* params);
  void Disconnect();

  KestrinAxNS::CTypeInfoDispatch dispatch_;
  CBrowserEvents events_;
  CComPtr<IWebBrowser2> main_browser_;
  CComPtr<IWebBrowser2> page_browser_;
  HWND callback_window_ = nullptr;
  DWORD cookie_ = kNoConnection;
  bool connected_ = false;
};

}  // namespace KestrinIENS

namespace KRControlNS {

using KestrinComNS::CComPtr;

// Answers every script error of one page window as handled. It lives inside its owner and is
// not counted: AddRef and Release answer 1.
class CScriptErrorHandler : public IDispatch {
 public:
  CScriptErrorHandler() = default;
  ~CScriptErrorHandler();

  // Connects to the window of the browser's current document, dropping a connection to an
  // earlier window; true when connected.
  bool Attach(IWebBrowser2* browser);
  // Drops the connection and the window.
  void Detach();
  HRESULT Connect(IHTMLWindow2* window);
  HRESULT Disconnect(IHTMLWindow2* window);
  bool IsConnected() const { return connected_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override;

 private:
  CScriptErrorHandler(const CScriptErrorHandler&) = delete;
  CScriptErrorHandler& operator=(const CScriptErrorHandler&) = delete;

  DWORD cookie_ = KestrinIENS::kNoConnection;
  CComPtr<IHTMLWindow2> window_;
  bool connected_ = false;
};

}  // namespace KRControlNS
