// The add-on library's creatable classes and interfaces beside the helper object; the type
// library (kestrin_ie.idl) declares the same.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <olectl.h>

// {4ADF76FA-005A-45A9-8DE6-188F7CA10D24}: the page event handler (coclass HtmlNlrEventHandler).
extern "C" const CLSID CLSID_HtmlNlrEventHandler;
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

