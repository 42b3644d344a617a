#include "tools/iehost/host_browser.h"

#include <exdispid.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <string.h>

#include "platform/win/scoped_handle.h"

namespace iehost {

using KestrinComNS::QueryInterfaceTable;

const CLSID kClsidKestrinBho = {0x60F0F632, 0xE1EE, 0x4B8C, {0xA1, 0xC5, 0x73, 0x74, 0xA1, 0x90, 0xB5, 0xE7}};

namespace {

HRESULT OutText(BSTR* p, const std::wstring& text) {
  if (!p) return E_POINTER;
  *p = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *p ? S_OK : E_OUTOFMEMORY;
}

// A VARIANT that holds a BSTR and frees it.
struct BstrVariant {
  explicit BstrVariant(const std::wstring& text) {
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  ~BstrVariant() { VariantClear(&v); }
  VARIANT v;
};

VARIANT ByRef(VARIANT* target) {
  VARIANT r;
  VariantInit(&r);
  V_VT(&r) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&r) = target;
  return r;
}

VARIANT Dispatch(IDispatch* d) {
  VARIANT r;
  VariantInit(&r);
  V_VT(&r) = VT_DISPATCH;
  V_DISPATCH(&r) = d;
  return r;
}

VARIANT Long(LONG value) {
  VARIANT r;
  VariantInit(&r);
  V_VT(&r) = VT_I4;
  V_I4(&r) = value;
  return r;
}

}  // namespace

CHostBrowser::CHostBrowser(const std::wstring& full_name, HWND window, HWND tab)
    : full_name_(full_name), window_(window) {
  events_.Attach(CComObject<CHostConnectionPoint>::Create(__uuidof(DWebBrowserEvents2),
                                                          static_cast<IConnectionPointContainer*>(this)));
  shell_browser_.Attach(CComObject<CHostShellBrowser>::Create(tab));
}

CHostBrowser::~CHostBrowser() = default;

HRESULT CHostBrowser::InternalQueryInterface(REFIID riid, void** out) {
  return QueryInterfaceTable<IWebBrowser2, IWebBrowserApp, IWebBrowser, IDispatch, IConnectionPointContainer,
                             IServiceProvider>(this, riid, out);
}

STDMETHODIMP CHostBrowser::get_FullName(BSTR* p) {
  ++full_name_reads_;
  if (full_name_.empty()) return E_FAIL;
  return OutText(p, full_name_);
}

STDMETHODIMP CHostBrowser::get_HWND(SHANDLE_PTR* p) {
  if (!p) return E_POINTER;
  *p = reinterpret_cast<SHANDLE_PTR>(window_);
  return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP CHostBrowser::get_LocationURL(BSTR* p) { return OutText(p, location_url_); }

STDMETHODIMP CHostBrowser::get_Document(IDispatch** p) {
  if (!p) return E_POINTER;
  *p = nullptr;
  if (!document_) return S_FALSE;
  return document_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(p));
}

STDMETHODIMP CHostBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != __uuidof(DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
  return events_->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(out));
}

STDMETHODIMP CHostBrowser::QueryService(REFGUID service, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (service == SID_SShellBrowser) {
    ++shell_browser_queries_;
    return shell_browser_->QueryInterface(riid, out);
  }
  if (service == SID_SWebBrowserApp) return static_cast<IWebBrowser2*>(this)->QueryInterface(riid, out);
  // The top-level browser of a page's controls is this browser itself.
  if (service == SID_STopLevelBrowser) return static_cast<IServiceProvider*>(this)->QueryInterface(riid, out);
  return E_NOINTERFACE;
}

void CHostBrowser::FireEmpty(DISPID dispid) { events_->Fire(dispid, nullptr, 0); }

STDMETHODIMP CHostBrowser::Navigate(BSTR url, VARIANT* flags, VARIANT* target, VARIANT* post_data,
                                    VARIANT* headers) {
  NavigateCall call;
  call.url = url ? url : L"";
  call.flags = flags && V_VT(flags) == VT_I4 ? V_I4(flags) : 0;
  if (target && V_VT(target) == VT_BSTR && V_BSTR(target)) call.target = V_BSTR(target);
  if (headers && V_VT(headers) == VT_BSTR && V_BSTR(headers)) call.headers = V_BSTR(headers);
  if (post_data && V_VT(post_data) == (VT_ARRAY | VT_UI1) && V_ARRAY(post_data)) {
    SAFEARRAY* bytes = V_ARRAY(post_data);
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(bytes, &data))) {
      call.post_data.assign(static_cast<const char*>(data), bytes->rgsabound[0].cElements);
      SafeArrayUnaccessData(bytes);
    }
  }
  navigations_.push_back(call);
  return S_OK;
}

STDMETHODIMP CHostBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* post_data,
                                     VARIANT* headers) {
  if (!url || V_VT(url) != VT_BSTR) return E_INVALIDARG;
  return static_cast<IWebBrowser2*>(this)->Navigate(V_BSTR(url), flags, target, post_data, headers);
}

VARIANT_BOOL CHostBrowser::FireBeforeNavigate2(const std::wstring& url, IDispatch* source,
                                               const std::string& post_bytes, const std::wstring& header_text) {
  BstrVariant url_value(url), target(L""), headers(header_text);
  VARIANT flags = Long(0);
  VARIANT post_data;
  VariantInit(&post_data);
  if (!post_bytes.empty()) {
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(post_bytes.size()));
    void* data = nullptr;
    if (bytes && SUCCEEDED(SafeArrayAccessData(bytes, &data))) {
      memcpy(data, post_bytes.data(), post_bytes.size());
      SafeArrayUnaccessData(bytes);
    }
    V_VT(&post_data) = VT_ARRAY | VT_UI1;
    V_ARRAY(&post_data) = bytes;
  }
  VARIANT post_data_ref = ByRef(&post_data);  // the browser passes it doubly by reference
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT cancel_arg;
  VariantInit(&cancel_arg);
  V_VT(&cancel_arg) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&cancel_arg) = &cancel;
  VARIANT args[7] = {Dispatch(source ? source : static_cast<IWebBrowser2*>(this)),
                     ByRef(&url_value.v), ByRef(&flags), ByRef(&target.v), ByRef(&post_data_ref),
                     ByRef(&headers.v), cancel_arg};
  events_->Fire(DISPID_BEFORENAVIGATE2, args, 7);
  VariantClear(&post_data);
  return cancel;
}

void CHostBrowser::FireUrlEvent(DISPID dispid, const std::wstring& url, IDispatch* source) {
  BstrVariant url_value(url);
  VARIANT args[2] = {Dispatch(source ? source : static_cast<IWebBrowser2*>(this)), ByRef(&url_value.v)};
  events_->Fire(dispid, args, 2);
}

void CHostBrowser::FireNavigateComplete2(const std::wstring& url, IDispatch* source) {
  FireUrlEvent(DISPID_NAVIGATECOMPLETE2, url, source);
}

void CHostBrowser::FireDocumentComplete(const std::wstring& url, IDispatch* source) {
  FireUrlEvent(DISPID_DOCUMENTCOMPLETE, url, source);
}

void CHostBrowser::FireProgressChange(LONG progress, LONG progress_max) {
  VARIANT args[2] = {Long(progress), Long(progress_max)};
  events_->Fire(DISPID_PROGRESSCHANGE, args, 2);
}

void CHostBrowser::FireWindowStateChanged(DWORD flags, DWORD valid_mask) {
  VARIANT args[2] = {Long(static_cast<LONG>(flags)), Long(static_cast<LONG>(valid_mask))};
  events_->Fire(DISPID_WINDOWSTATECHANGED, args, 2);
}

void CHostBrowser::FireFullScreen(bool on) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_BOOL;
  V_BOOL(&arg) = on ? VARIANT_TRUE : VARIANT_FALSE;
  events_->Fire(DISPID_ONFULLSCREEN, &arg, 1);
}

void CHostBrowser::FireQuit() { FireEmpty(DISPID_ONQUIT); }

void CHostBrowser::Navigate(const std::wstring& url, CComObject<CHostDocument>* page) {
  if (FireBeforeNavigate2(url) != VARIANT_FALSE) return;
  FireDownloadBegin();
  location_url_ = url;
  document_ = page;
  FireNavigateComplete2(url);
  FireProgressChange(100, 10000);
  FireProgressChange(10000, 10000);
  FireDownloadComplete();
  FireDocumentComplete(url);
  FireProgressChange(0, 0);
}

void CHostBrowser::ReloadPage() {
  FireDownloadBegin();
  FireProgressChange(100, 10000);
  FireProgressChange(10000, 10000);
  FireDownloadComplete();
  FireProgressChange(0, 0);
}

// ---- the add-on library ----

CAddonLibrary::CAddonLibrary(const wchar_t* path) : module_(LoadLibraryW(path)) {}

CAddonLibrary::~CAddonLibrary() = default;

HRESULT CAddonLibrary::CreateHelperObject(IObjectWithSite** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!module_) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObjectFn>(GetProcAddress(module_.Get(), "DllGetClassObject"));
  if (!get) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  CComPtr<IClassFactory> factory;
  HRESULT hr = get(kClsidKestrinBho, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(out));
}

HRESULT CAddonLibrary::CanUnloadNow() {
  typedef HRESULT(STDAPICALLTYPE * CanUnloadFn)();
  auto fn = module_ ? reinterpret_cast<CanUnloadFn>(GetProcAddress(module_.Get(), "DllCanUnloadNow")) : nullptr;
  return fn ? fn() : E_FAIL;
}

// ---- the helper objects of the registry ----

const wchar_t kBrowserHelperObjectsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

HRESULT CreateRegisteredHelperObjects(std::vector<CComPtr<IObjectWithSite>>* out) {
  if (!out) return E_POINTER;
  out->clear();
  KestrinWinNS::CScopedRegKey key;
  LONG e = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBrowserHelperObjectsKey, 0, KEY_READ, key.Receive());
  if (e != ERROR_SUCCESS) return HRESULT_FROM_WIN32(e);
  HRESULT first_failure = S_OK;
  wchar_t name[64];
  for (DWORD i = 0;; ++i) {
    DWORD length = ARRAYSIZE(name);
    if (RegEnumKeyExW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    CLSID clsid;
    if (FAILED(CLSIDFromString(name, &clsid))) continue;
    CComPtr<IObjectWithSite> object;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                                  reinterpret_cast<void**>(&object));
    if (SUCCEEDED(hr)) out->push_back(object);
    else if (SUCCEEDED(first_failure)) first_failure = hr;
  }
  return out->empty() && FAILED(first_failure) ? first_failure : S_OK;
}

}  // namespace iehost
