// The web browser a page's control or the add-on's popup embeds: the platform here has no
// rendering engine, so the scripted host registers its own browser as the class of the web
// browser control (CoRegisterClassObject) for this process. Created through CoCreateInstance
// like the real one, it is activated in place by its container and makes the window chain of
// the real control ("Shell Embedding" / "Shell DocObject View" / "Internet Explorer_Server").
#pragma once

#include <windows.h>
#include <oleidl.h>

#include <string>
#include <vector>

#include "tools/iehost/host_browser.h"

namespace iehost {

class CHostEmbeddedBrowser : public CHostBrowser, public IOleObjectStub, public IOleInPlaceObjectStub {
 public:
  CHostEmbeddedBrowser();
  ~CHostEmbeddedBrowser() override;
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** out) override;
  STDMETHODIMP Close(DWORD) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT area) override;
  // IWebBrowser2: a page of a name space registered with the process's internet session (the
  // add-on's private scheme) is read through a binding of the session, a page of the web only
  // where the browser reads the web; every address becomes the browser's document (with the
  // text read, if any), and the view shows that text.
  STDMETHODIMP Navigate(BSTR url, VARIANT* flags, VARIANT* target, VARIANT* post_data, VARIANT* headers) override;
  // IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND* out) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;

  // The window chain while active in place (null otherwise).
  HWND embedding() const { return embedding_; }
  HWND view() const { return view_; }
  IOleClientSite* client_site() const { return site_.get(); }
  // The result of reading the last page navigated to.
  HRESULT load_result() const { return load_result_; }
  // The longest page read (bytes); the rest is not read.
  static const size_t kMaxPage = 1024 * 1024;
  // Whether addresses of the web (http, https) are read as well (for pictures of what a page
  // says; tests count the requests their services receive and leave it off).
  void set_reads_web(bool reads) { reads_web_ = reads; }

 private:
  void DestroyWindows();
  static HRESULT ReadThroughSession(const wchar_t* url, std::string* text);

  CComPtr<IOleClientSite> site_;
  HWND embedding_ = nullptr;
  HWND docobject_ = nullptr;
  HWND view_ = nullptr;
  HRESULT load_result_ = S_FALSE;
  bool reads_web_ = false;
  std::wstring shown_;  // what the view shows of the last page
  static const size_t kMaxShown = 4096;  // characters
};

// While it lives, CoCreateInstance(CLSID_WebBrowser) in this process makes scripted browsers.
class CHostBrowserClass {
 public:
  // reads_web: the browsers made read pages of the web (see set_reads_web).
  explicit CHostBrowserClass(bool reads_web = false);
  ~CHostBrowserClass();
  bool IsRegistered() const { return cookie_ != 0; }
  // Every browser made so far, oldest first.
  const std::vector<CComPtr<CComObject<CHostEmbeddedBrowser>>>& created() const;

 private:
  CHostBrowserClass(const CHostBrowserClass&) = delete;
  CHostBrowserClass& operator=(const CHostBrowserClass&) = delete;
  DWORD cookie_ = 0;
  CComPtr<IClassFactory> factory_;
};

}  // namespace iehost
