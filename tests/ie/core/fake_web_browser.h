// A stand-in for the browser's IWebBrowser2 that records what the add-on asks of it: whether it
// was put online or offline and whether the page was reloaded. Every other member answers
// E_NOTIMPL (generated stubs).
#pragma once

#include <windows.h>
#include <exdisp.h>

#include "tests/ie/core/interface_stubs.h"

class CFakeWebBrowser : public iecoretest::IWebBrowser2Stub {
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
};
