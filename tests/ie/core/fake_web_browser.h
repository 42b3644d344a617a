// A stand-in for the browser's IWebBrowser2 that records what the add-on asks of it: whether it
// was put online or offline and whether the page was reloaded. Everything else is not needed.
#pragma once

#include <windows.h>
#include <exdisp.h>

class CFakeWebBrowser : public IWebBrowser2 {
 public:
  int refreshes = 0;
  int offline_calls = 0;
  VARIANT_BOOL offline = VARIANT_TRUE;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IWebBrowser) ||
        IsEqualIID(iid, IID_IWebBrowserApp) || IsEqualIID(iid, IID_IWebBrowser2)) {
      *out = static_cast<IWebBrowser2*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack
  LONG refs = 1;

  STDMETHODIMP put_Offline(VARIANT_BOOL value) override {
    ++offline_calls;
    offline = value;
    return S_OK;
  }
  STDMETHODIMP Refresh() override {
    ++refreshes;
    return S_OK;
  }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GoBack() override { return E_NOTIMPL; }
  STDMETHODIMP GoForward() override { return E_NOTIMPL; }
  STDMETHODIMP GoHome() override { return E_NOTIMPL; }
  STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
  STDMETHODIMP Navigate(BSTR URL, VARIANT *Flags, VARIANT *TargetFrameName, VARIANT *PostData, VARIANT *Headers) override { return E_NOTIMPL; }
  STDMETHODIMP Refresh2(VARIANT *Level) override { return E_NOTIMPL; }
  STDMETHODIMP Stop() override { return E_NOTIMPL; }
  STDMETHODIMP get_Application(IDispatch **ppDisp) override { return E_NOTIMPL; }
  STDMETHODIMP get_Parent(IDispatch **ppDisp) override { return E_NOTIMPL; }
  STDMETHODIMP get_Container(IDispatch **ppDisp) override { return E_NOTIMPL; }
  STDMETHODIMP get_Document(IDispatch **ppDisp) override { return E_NOTIMPL; }
  STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL *pBool) override { return E_NOTIMPL; }
  STDMETHODIMP get_Type(BSTR *Type) override { return E_NOTIMPL; }
  STDMETHODIMP get_Left(LONG *pl) override { return E_NOTIMPL; }
  STDMETHODIMP put_Left(LONG Left) override { return E_NOTIMPL; }
  STDMETHODIMP get_Top(LONG *pl) override { return E_NOTIMPL; }
  STDMETHODIMP put_Top(LONG Top) override { return E_NOTIMPL; }
  STDMETHODIMP get_Width(LONG *pl) override { return E_NOTIMPL; }
  STDMETHODIMP put_Width(LONG Width) override { return E_NOTIMPL; }
  STDMETHODIMP get_Height(LONG *pl) override { return E_NOTIMPL; }
  STDMETHODIMP put_Height(LONG Height) override { return E_NOTIMPL; }
  STDMETHODIMP get_LocationName(BSTR *LocationName) override { return E_NOTIMPL; }
  STDMETHODIMP get_LocationURL(BSTR *LocationURL) override { return E_NOTIMPL; }
  STDMETHODIMP get_Busy(VARIANT_BOOL *pBool) override { return E_NOTIMPL; }
  STDMETHODIMP Quit() override { return E_NOTIMPL; }
  STDMETHODIMP ClientToWindow(int *pcx, int *pcy) override { return E_NOTIMPL; }
  STDMETHODIMP PutProperty(BSTR Property, VARIANT vtValue) override { return E_NOTIMPL; }
  STDMETHODIMP GetProperty(BSTR Property, VARIANT *pvtValue) override { return E_NOTIMPL; }
  STDMETHODIMP get_Name(BSTR *Name) override { return E_NOTIMPL; }
  STDMETHODIMP get_HWND(SHANDLE_PTR *pHWND) override { return E_NOTIMPL; }
  STDMETHODIMP get_FullName(BSTR *FullName) override { return E_NOTIMPL; }
  STDMETHODIMP get_Path(BSTR *Path) override { return E_NOTIMPL; }
  STDMETHODIMP get_Visible(VARIANT_BOOL *pBool) override { return E_NOTIMPL; }
  STDMETHODIMP put_Visible(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  STDMETHODIMP get_StatusBar(VARIANT_BOOL *pBool) override { return E_NOTIMPL; }
  STDMETHODIMP put_StatusBar(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  STDMETHODIMP get_StatusText(BSTR *StatusText) override { return E_NOTIMPL; }
  STDMETHODIMP put_StatusText(BSTR StatusText) override { return E_NOTIMPL; }
  STDMETHODIMP get_ToolBar(int *Value) override { return E_NOTIMPL; }
  STDMETHODIMP put_ToolBar(int Value) override { return E_NOTIMPL; }
  STDMETHODIMP get_MenuBar(VARIANT_BOOL *Value) override { return E_NOTIMPL; }
  STDMETHODIMP put_MenuBar(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  STDMETHODIMP get_FullScreen(VARIANT_BOOL *pbFullScreen) override { return E_NOTIMPL; }
  STDMETHODIMP put_FullScreen(VARIANT_BOOL bFullScreen) override { return E_NOTIMPL; }
  STDMETHODIMP Navigate2(VARIANT *URL, VARIANT *Flags, VARIANT *TargetFrameName, VARIANT *PostData, VARIANT *Headers) override { return E_NOTIMPL; }
  STDMETHODIMP QueryStatusWB(OLECMDID cmdID, OLECMDF *pcmdf) override { return E_NOTIMPL; }
  STDMETHODIMP ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT *pvaIn, VARIANT *pvaOut) override { return E_NOTIMPL; }
  STDMETHODIMP ShowBrowserBar(VARIANT *pvaClsid, VARIANT *pvarShow, VARIANT *pvarSize) override { return E_NOTIMPL; }
  STDMETHODIMP get_ReadyState(READYSTATE *plReadyState) override { return E_NOTIMPL; }
  STDMETHODIMP get_Offline(VARIANT_BOOL *pbOffline) override { return E_NOTIMPL; }
  STDMETHODIMP get_Silent(VARIANT_BOOL *pbSilent) override { return E_NOTIMPL; }
  STDMETHODIMP put_Silent(VARIANT_BOOL bSilent) override { return E_NOTIMPL; }
  STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL *pbRegister) override { return E_NOTIMPL; }
  STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL bRegister) override { return E_NOTIMPL; }
  STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL *pbRegister) override { return E_NOTIMPL; }
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL bRegister) override { return E_NOTIMPL; }
  STDMETHODIMP get_TheaterMode(VARIANT_BOOL *pbRegister) override { return E_NOTIMPL; }
  STDMETHODIMP put_TheaterMode(VARIANT_BOOL bRegister) override { return E_NOTIMPL; }
  STDMETHODIMP get_AddressBar(VARIANT_BOOL *Value) override { return E_NOTIMPL; }
  STDMETHODIMP put_AddressBar(VARIANT_BOOL Value) override { return E_NOTIMPL; }
  STDMETHODIMP get_Resizable(VARIANT_BOOL *Value) override { return E_NOTIMPL; }
  STDMETHODIMP put_Resizable(VARIANT_BOOL Value) override { return E_NOTIMPL; }
};
