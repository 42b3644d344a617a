// The scripted Gecko host's windows and documents: chrome and content DOM windows with real
// top-level HWNDs behind the browser windows, documents with elements, box objects, computed
// styles and event listeners, web progress objects, channels with SSL status and certificates.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/geckohost/host_object.h"
#include "tools/geckohost/host_services.h"

namespace geckohost {

class CHostDocument;
class CHostWindow;

// Listeners of one event target.
class CListeners {
 public:
  void Add(const std::wstring& type, kr::nsIDOMEventListener* listener);
  void Remove(const std::wstring& type, kr::nsIDOMEventListener* listener);
  int Count(const std::wstring& type) const;
  // Calls every listener of the type with the event.
  void Fire(const std::wstring& type, kr::nsIDOMEvent* event);

 private:
  std::vector<std::pair<std::wstring, nsCOMPtr<kr::nsIDOMEventListener>>> listeners_;
};

class CHostEvent : public CHostObject<kr::nsIDOMEvent> {
 public:
  CHostEvent(std::wstring type, kr::nsIDOMEventTarget* target, kr::nsIDOMEventTarget* current,
             kr::nsIDOMEventTarget* original)
      : type_(std::move(type)), target_(target), current_(current), original_(original ? original : target) {}
  KR_METHOD GetType(kr::PRUnichar** type) override;
  KR_METHOD GetTarget(kr::nsIDOMEventTarget** target) override;
  KR_METHOD GetCurrentTarget(kr::nsIDOMEventTarget** target) override;
  KR_METHOD GetOriginalTarget(kr::nsIDOMEventTarget** target) override;

 private:
  std::wstring type_;
  nsCOMPtr<kr::nsIDOMEventTarget> target_, current_, original_;
};

class CHostBox : public CHostObject<kr::nsIBoxObject> {
 public:
  explicit CHostBox(RECT screen) : rect(screen) {}
  KR_METHOD GetScreenX(int32_t* x) override { return Put(x, rect.left); }
  KR_METHOD GetScreenY(int32_t* y) override { return Put(y, rect.top); }
  KR_METHOD GetWidth(int32_t* w) override { return Put(w, rect.right - rect.left); }
  KR_METHOD GetHeight(int32_t* h) override { return Put(h, rect.bottom - rect.top); }
  RECT rect;

 private:
  static nsresult Put(int32_t* out, LONG value) {
    if (!out) return kr::NS_ERROR_NULL_POINTER;
    *out = value;
    return kr::NS_OK;
  }
};

class CHostElement : public CHostObject<kr::nsIDOMXULElement, kr::nsIDOMEventTarget, kr::nsIDOMHTMLImageElement,
                                        kr::nsIDOMHTMLFrameElement> {
 public:
  CHostElement(CHostDocument* owner, std::wstring tag, bool xul);
  // nsIDOMElement / nsIDOMXULElement
  KR_METHOD GetTagName(kr::PRUnichar** name) override;
  KR_METHOD GetAttribute(const kr::PRUnichar* name, kr::PRUnichar** value) override;
  KR_METHOD GetId(kr::PRUnichar** id) override;
  KR_METHOD GetClassName(kr::PRUnichar** name) override;
  KR_METHOD GetParentNode(kr::nsIDOMElement** parent) override;
  KR_METHOD GetOwnerDocument(kr::nsIDOMDocument** document) override;
  KR_METHOD GetBoxObject(kr::nsIBoxObject** box) override;
  // nsIDOMEventTarget
  KR_METHOD AddEventListener(const kr::PRUnichar* type, kr::nsIDOMEventListener* listener, bool capture) override;
  KR_METHOD RemoveEventListener(const kr::PRUnichar* type, kr::nsIDOMEventListener* listener,
                                bool capture) override;
  // nsIDOMHTMLImageElement
  KR_METHOD GetSrc(kr::PRUnichar** src) override;
  KR_METHOD GetWidth(int32_t* width) override;
  KR_METHOD GetHeight(int32_t* height) override;
  // nsIDOMHTMLFrameElement
  KR_METHOD GetContentDocument(kr::nsIDOMDocument** document) override;

  CHostElement* Set(const std::wstring& name, const std::wstring& value) {
    attributes[name] = value;
    return this;
  }
  // Fires an event at this element: the listeners of its ancestors, outermost first, then its own.
  void Fire(const std::wstring& type, kr::nsIDOMEventTarget* original = nullptr);
  int CountListeners(const std::wstring& type) const { return listeners_.Count(type); }

  std::wstring tag;
  bool xul;
  std::map<std::wstring, std::wstring> attributes;  // "id", "class", "src", "background" ...
  std::map<std::wstring, std::wstring> style;       // computed style: "background-image"
  CHostElement* parent = nullptr;                    // not counted (the document holds all)
  nsCOMPtr<CHostBox> box;
  nsCOMPtr<CHostDocument> frame_document;            // FRAME and IFRAME

 protected:
  void* ExtraInterface(const kr::nsIID& iid) override;
  bool Hides(const kr::nsIID& iid) override;

 private:
  CHostDocument* owner_;  // not counted
  CListeners listeners_;
};

class CHostDocument : public CHostObject<kr::nsIDOMHTMLDocument, kr::nsIDOMEventTarget> {
 public:
  CHostDocument(std::wstring url, bool html) : url(std::move(url)), html(html) {}
  KR_METHOD GetElementById(const kr::PRUnichar* id, kr::nsIDOMElement** element) override;
  KR_METHOD GetElementsByTagName(const kr::PRUnichar* tag, kr::nsIDOMNodeList** list) override;
  KR_METHOD GetDefaultView(kr::nsIDOMWindow** view) override;
  KR_METHOD GetBoxObjectFor(kr::nsIDOMElement* element, kr::nsIBoxObject** box) override;
  KR_METHOD GetURL(kr::PRUnichar** url) override;
  KR_METHOD GetBody(kr::nsIDOMElement** body) override;
  KR_METHOD GetImages(kr::nsIDOMNodeList** images) override;
  KR_METHOD AddEventListener(const kr::PRUnichar*, kr::nsIDOMEventListener*, bool) override { return kr::NS_OK; }
  KR_METHOD RemoveEventListener(const kr::PRUnichar*, kr::nsIDOMEventListener*, bool) override { return kr::NS_OK; }

  // A new element of the document (tag as written; `xul` for chrome elements).
  CHostElement* Add(const std::wstring& tag, CHostElement* parent = nullptr, bool xul = false);
  CHostElement* ById(const std::wstring& id) const;
  // Drops every element (breaks the document's hold on them).
  void Clear() { elements.clear(); }

  std::wstring url;
  bool html;
  CHostWindow* view = nullptr;  // not counted
  std::vector<nsCOMPtr<CHostElement>> elements;

 protected:
  void* ExtraInterface(const kr::nsIID& iid) override;
  bool Hides(const kr::nsIID& iid) override;
};

// What a DOM window of a browser window reaches its native window and chrome through.
class CHostTreeOwner : public CHostObject<kr::nsIInterfaceRequestor, kr::nsIXULWindow, kr::nsIBaseWindow> {
 public:
  explicit CHostTreeOwner(HWND window) : hwnd(window) {}
  KR_METHOD GetInterface(const kr::nsIID& iid, void** result) override;
  KR_METHOD GetDocShell(kr::nsISupports** docshell) override;
  KR_METHOD GetParentNativeWindow(void** native_window) override;
  HWND hwnd;
  CHostWindow* chrome = nullptr;  // not counted
};

class CHostWindow : public CHostObject<kr::nsIDOMWindow, kr::nsIDOMEventTarget, kr::nsIDOMViewCSS,
                                       kr::nsIDOMChromeWindow, kr::nsIDocShellTreeItem> {
 public:
  CHostWindow(CHostTreeOwner* owner, bool chrome) : owner(owner), chrome(chrome) {}
  KR_METHOD GetDocument(kr::nsIDOMDocument** document) override;
  KR_METHOD GetTop(kr::nsIDOMWindow** top) override;
  KR_METHOD AddEventListener(const kr::PRUnichar* type, kr::nsIDOMEventListener* listener, bool capture) override;
  KR_METHOD RemoveEventListener(const kr::PRUnichar* type, kr::nsIDOMEventListener* listener,
                                bool capture) override;
  KR_METHOD GetComputedStyle(kr::nsIDOMElement* element, const kr::PRUnichar* pseudo,
                             kr::nsIDOMCSSStyleDeclaration** style) override;
  KR_METHOD GetFullScreen(bool* full_screen) override;
  KR_METHOD GetContent(kr::nsIDOMWindow** content) override;
  KR_METHOD GetTreeOwner(kr::nsIInterfaceRequestor** owner) override;

  // Puts a document in the window (its view becomes this window).
  void SetDocument(CHostDocument* document);
  // Fires an event at the window; `target` defaults to the window.
  void Fire(const std::wstring& type, kr::nsIDOMEventTarget* target = nullptr);
  int CountListeners(const std::wstring& type) const { return listeners_.Count(type); }

  nsCOMPtr<CHostTreeOwner> owner;
  bool chrome;
  bool full_screen = false;
  nsCOMPtr<CHostDocument> document;
  CHostWindow* parent = nullptr;     // a frame's window: the window it sits in (not counted)
  nsCOMPtr<CHostWindow> content;     // chrome windows: the selected tab's window

 protected:
  bool Hides(const kr::nsIID& iid) override;

 private:
  CListeners listeners_;
};

class CHostURI : public CHostObject<kr::nsIURI> {
 public:
  explicit CHostURI(std::string spec) : spec(std::move(spec)) {}
  KR_METHOD GetSpec(char** out) override;
  KR_METHOD SetScheme(const char* scheme) override;
  std::string spec;
};

// A server certificate as the browser's security layer offers it.
class CHostCert : public CHostObject<kr::nsIX509Cert> {
 public:
  explicit CHostCert(std::vector<BYTE> der) : der(std::move(der)) {}
  KR_METHOD GetChain(kr::nsIArray** chain) override;
  KR_METHOD GetRawDER(uint32_t* length, uint8_t** data) override;
  std::vector<BYTE> der;
  std::vector<nsCOMPtr<CHostCert>> chain;  // this certificate first, when set
};

class CHostSecurityInfo : public CHostObject<kr::nsISSLStatusProvider, kr::nsISSLStatus> {
 public:
  explicit CHostSecurityInfo(CHostCert* cert) : cert(cert) {}
  KR_METHOD GetSSLStatus(kr::nsISupports** status) override;
  KR_METHOD GetServerCert(kr::nsIX509Cert** out) override;
  nsCOMPtr<CHostCert> cert;
};

class CHostChannel : public CHostObject<kr::nsIChannel> {
 public:
  explicit CHostChannel(std::string url) : uri(new CHostURI(std::move(url))) {}
  KR_METHOD IsPending(bool* pending) override;
  KR_METHOD GetStatus(nsresult* status) override;
  KR_METHOD Cancel(nsresult status) override { return kr::NS_OK; }
  KR_METHOD GetURI(kr::nsIURI** out) override;
  KR_METHOD GetSecurityInfo(kr::nsISupports** info) override;
  KR_METHOD SetNotificationCallbacks(kr::nsIInterfaceRequestor* callbacks) override;
  KR_METHOD AsyncOpen(kr::nsIStreamListener* listener, kr::nsISupports* context) override;
  nsCOMPtr<CHostURI> uri;
  nsCOMPtr<CHostSecurityInfo> security;  // none for http
  nsCOMPtr<kr::nsIInterfaceRequestor> callbacks;
  // AsyncOpen: the listener's start is called at once with the context.
  nsresult start_result = kr::NS_OK;

 protected:
  void* ExtraInterface(const kr::nsIID& iid) override {
    return iid == kr::nsIRequest::IID() ? static_cast<kr::nsIRequest*>(this) : nullptr;
  }
};

class CHostIOService : public CHostObject<kr::nsIIOService> {
 public:
  KR_METHOD NewURI(const char* spec, const char* charset, kr::nsIURI* base, kr::nsIURI** result) override;
  KR_METHOD NewChannelFromURI(kr::nsIURI* uri, kr::nsIChannel** result) override;
  // The security of every channel it opens (none: http).
  nsCOMPtr<CHostSecurityInfo> security;
  std::vector<nsCOMPtr<CHostChannel>> opened;
};

// A web progress object: the document loader's (listeners) or a window's (its DOM window).
class CHostWebProgress : public CHostObject<kr::nsIWebProgress> {
 public:
  explicit CHostWebProgress(CHostWindow* window = nullptr) : window(window) {}
  KR_METHOD AddProgressListener(kr::nsIWebProgressListener* listener, uint32_t mask) override;
  KR_METHOD RemoveProgressListener(kr::nsIWebProgressListener* listener) override;
  KR_METHOD GetDOMWindow(kr::nsIDOMWindow** out) override;
  std::vector<std::pair<nsCOMPtr<kr::nsIWebProgressListener>, uint32_t>> listeners;
  nsCOMPtr<CHostWindow> window;
};

}  // namespace geckohost
