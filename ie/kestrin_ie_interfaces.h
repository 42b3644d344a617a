// The add-on library's creatable classes and interfaces beside the helper object; the type
// library (kestrin_ie.idl) declares the same.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <olectl.h>

// {4ADF76FA-005A-45A9-8DE6-188F7CA10D24}: the page event handler (coclass HtmlNlrEventHandler).
extern "C" const CLSID CLSID_HtmlNlrEventHandler;
// {58B69FE4-29DE-4862-A049-81F914D5644B}: the verification control (coclass KestrinControl).
extern "C" const CLSID CLSID_KestrinControl;
// {20E72E12-536B-413D-A3C2-037911AAEBE8}: the control's events (OnStatusChanged, OnError).
extern "C" const IID DIID__IKestrinControlEvents;
// {70EEAAC6-CD5E-46F7-BDA4-31CEBE37AED6}: the type library.
extern "C" const GUID LIBID_KestrinIELib;

// The page event handler's properties: the browsers it links and the window it tells.
MIDL_INTERFACE("C4018166-522A-4F1D-A9A6-5A1ECE630DDE")
IHtmlNlrEventHandler : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE put_MainBrowserSite(IUnknown* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_HtmlNlrBrowserSite(IUnknown* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_CallbackHwnd(HWND window) = 0;
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IHtmlNlrEventHandler, 0xc4018166, 0x522a, 0x4f1d, 0xa9, 0xa6, 0x5a, 0x1e, 0xce, 0x63, 0x0d, 0xde)
#endif


// The verification control's properties: its colours, the certificate's location, and what
// it reports to the page.
MIDL_INTERFACE("F8C908C1-AB40-480C-AC0E-8B9C03C9FB7B")
IKestrinControl : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_BorderColor(OLE_COLOR colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BorderColor(OLE_COLOR* colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_FillColor(OLE_COLOR colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FillColor(OLE_COLOR* colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CertLocation(BSTR* location) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_CertLocation(BSTR location) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_TextInvertColour(OLE_COLOR* colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_TextInvertColour(OLE_COLOR colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Status(BSTR* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Error(BSTR* error) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ProductVersion(BSTR* version) = 0;
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IKestrinControl, 0xf8c908c1, 0xab40, 0x480c, 0xac, 0x0e, 0x8b, 0x9c, 0x03, 0xc9, 0xfb, 0x7b)
#endif
