// The scripted web browser: the site Internet Explorer gives its helper objects. It answers
// FullName, HWND, LocationURL and Document, serves SID_SShellBrowser through IServiceProvider,
// and fires DWebBrowserEvents2 with the browser's dispatch ids, argument types (VARIANTs by
// reference where the browser passes them) and reverse argument order.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <servprov.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "tools/iehost/host_connection.h"
#include "tools/iehost/host_document.h"
#include "tools/iehost/interface_stubs.h"

namespace iehost {

// The shell browser of a tab: its IOleWindow gives the tab window.
class CHostShellBrowser : public IOleWindow {
 public:
  explicit CHostShellBrowser(HWND window) : window_(window) {}
  virtual ~CHostShellBrowser() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IOleWindow>(this, riid, out);
  }
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 private:
  HWND window_;
};

class CHostBrowser : public IWebBrowser2Stub, public IConnectionPointContainer, public IServiceProvider {
 public:
  // `full_name`: the host program's path ("C:\\Program Files\\Internet Explorer\\iexplore.exe");
  // `window`: what HWND answers (may be null); `tab`: the shell browser's window (may be null).
  CHostBrowser(const std::wstring& full_name, HWND window, HWND tab);
  virtual ~CHostBrowser();
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  STDMETHODIMP get_FullName(BSTR* p) override;
  STDMETHODIMP get_HWND(SHANDLE_PTR* p) override;
  STDMETHODIMP get_LocationURL(BSTR* p) override;
  STDMETHODIMP get_Document(IDispatch** p) override;
  // Recorded in navigations(); nothing is loaded.
  STDMETHODIMP Navigate(BSTR url, VARIANT* flags, VARIANT* target, VARIANT* post_data, VARIANT* headers) override;
  // The same for an address given as text.
  STDMETHODIMP Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* post_data, VARIANT* headers) override;

  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** out) override;

  // Events. `source` is the browser the event is about (this one when null; a frame's
  // browser for events of a sub-frame).
  // Returns the cancel flag the sinks left.
  VARIANT_BOOL FireBeforeNavigate2(const std::wstring& url, IDispatch* source = nullptr,
                                   const std::string& post_data = std::string(),
                                   const std::wstring& headers = std::wstring());
  void FireNavigateComplete2(const std::wstring& url, IDispatch* source = nullptr);
  void FireDocumentComplete(const std::wstring& url, IDispatch* source = nullptr);
  void FireDownloadBegin() { FireEmpty(DISPID_DOWNLOADBEGIN_ID); }
  void FireDownloadComplete() { FireEmpty(DISPID_DOWNLOADCOMPLETE_ID); }
  void FireProgressChange(LONG progress, LONG progress_max);
  void FireWindowStateChanged(DWORD flags, DWORD valid_mask);
  void FireFullScreen(bool on);
  void FireQuit();
  // A whole top-level navigation in the browser's order (progress climbs from 100 of 10000 and
  // ends with ProgressChange(0, 0)); the page becomes the document.
  void Navigate(const std::wstring& url, CComObject<CHostDocument>* page);
  // A reload of the current page (F5): no BeforeNavigate2 and no DocumentComplete, only a
  // download with its progress and the closing ProgressChange(0, 0).
  void ReloadPage();

  void SetFullName(const std::wstring& full_name) { full_name_ = full_name; }
  void SetWindow(HWND window) { window_ = window; }
  void SetDocument(CComObject<CHostDocument>* page) { document_ = page; }
  void SetLocationUrl(const std::wstring& url) { location_url_ = url; }
  CComObject<CHostConnectionPoint>* events() const { return events_.get(); }
  // The Navigate calls the browser received.
  struct NavigateCall {
    std::wstring url, target, headers;
    std::string post_data;
    LONG flags;
  };
  const std::vector<NavigateCall>& navigations() const { return navigations_; }
  CComObject<CHostShellBrowser>* shell_browser() const { return shell_browser_.get(); }
  CComObject<CHostDocument>* document() const { return document_.get(); }
  // How often the add-on asked for FullName, and what QueryService was asked.
  int full_name_reads() const { return full_name_reads_; }
  int shell_browser_queries() const { return shell_browser_queries_; }

  enum { DISPID_DOWNLOADBEGIN_ID = 106, DISPID_DOWNLOADCOMPLETE_ID = 104 };

 private:
  void FireEmpty(DISPID dispid);
  void FireUrlEvent(DISPID dispid, const std::wstring& url, IDispatch* source);

  std::wstring full_name_;
  HWND window_;
  std::wstring location_url_;
  CComPtr<CComObject<CHostDocument>> document_;
  CComPtr<CComObject<CHostConnectionPoint>> events_;
  CComPtr<CComObject<CHostShellBrowser>> shell_browser_;
  int full_name_reads_ = 0;
  int shell_browser_queries_ = 0;
  std::vector<NavigateCall> navigations_;
};

// The add-on library loaded with LoadLibrary, and its helper object made through
// DllGetClassObject / IClassFactory as Internet Explorer makes it.
class CAddonLibrary {
 public:
  explicit CAddonLibrary(const wchar_t* path);
  ~CAddonLibrary();
  bool IsLoaded() const { return module_.IsValid(); }
  HRESULT CreateHelperObject(IObjectWithSite** out);
  HRESULT CanUnloadNow();
  HMODULE module() const { return module_.Get(); }

 private:
  CAddonLibrary(const CAddonLibrary&) = delete;
  CAddonLibrary& operator=(const CAddonLibrary&) = delete;
  KestrinWinNS::CScopedLibrary module_;
};

// {60F0F632-E1EE-4B8C-A1C5-7374A190B5E7}
extern const CLSID kClsidKestrinBho;

// The helper objects registered for the browser (HKLM "...\\Explorer\\Browser Helper Objects"),
// each made with CoCreateInstance as Internet Explorer makes them; keys that are not class
// identifiers are skipped. Fails only when the key cannot be read or no object could be made.
extern const wchar_t kBrowserHelperObjectsKey[];
HRESULT CreateRegisteredHelperObjects(std::vector<CComPtr<IObjectWithSite>>* out);

}  // namespace iehost
