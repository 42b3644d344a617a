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

class CHostEvent : public CHostObject<kr::nsIDOMEvent, kr::nsIDOMNSEvent> {
 public:
  CHostEvent(std::wstring type, kr::nsIDOMEventTarget* target, kr::nsIDOMEventTarget* current,
             kr::nsIDOMEventTarget* original)
      : type_(std::move(type)), target_(target), current_(current), original_(original ? original : target) {}
  KR_METHOD GetType(kr::nsAString& type) override;
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

// An element: XUL elements of the chrome, HTML elements of pages (IMG answering the image
// interface, FRAME and IFRAME each their own).
class CHostElement : public CHostObject<kr::nsIDOMXULElement, kr::nsIDOMEventTarget, kr::nsIDOMHTMLImageElement,
                                        kr::nsIDOMHTMLFrameElement, kr::nsIDOMHTMLIFrameElement> {
 public:
  CHostElement(CHostDocument* owner, std::wstring tag, bool xul);
  // nsIDOMNode
  KR_METHOD GetNodeName(kr::nsAString& name) override;
  KR_METHOD GetParentNode(kr::nsIDOMNode** parent) override;
  KR_METHOD GetOwnerDocument(kr::nsIDOMDocument** document) override;
  // nsIDOMElement
  KR_METHOD GetTagName(kr::nsAString& name) override;
  KR_METHOD GetAttribute(const kr::nsAString& name, kr::nsAString& value) override;
  // nsIDOMXULElement, nsIDOMHTMLElement
  KR_METHOD GetId(kr::nsAString& id) override;
  KR_METHOD GetClassName(kr::nsAString& name) override;
  KR_METHOD GetBoxObject(kr::nsIBoxObject** box) override;
  // nsIDOMEventTarget
  KR_METHOD AddEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener,
                             kr::PRBool capture) override;
  KR_METHOD RemoveEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener,
                                kr::PRBool capture) override;
  // nsIDOMHTMLImageElement
  KR_METHOD GetSrc(kr::nsAString& src) override;
  KR_METHOD GetWidth(int32_t* width) override;
  KR_METHOD GetHeight(int32_t* height) override;
  // nsIDOMHTMLFrameElement, nsIDOMHTMLIFrameElement
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

class CHostDocument : public CHostObject<kr::nsIDOMHTMLDocument, kr::nsIDOMEventTarget, kr::nsIDOMDocumentView,
                                         kr::nsIDOMNSDocument> {
 public:
  CHostDocument(std::wstring url, bool html) : url(std::move(url)), html(html) {}
  // nsIDOMNode
  KR_METHOD GetNodeName(kr::nsAString& name) override { return Write(name, L"#document"); }
  KR_METHOD GetParentNode(kr::nsIDOMNode** parent) override;
  KR_METHOD GetOwnerDocument(kr::nsIDOMDocument** document) override;
  // nsIDOMDocument, nsIDOMHTMLDocument
  KR_METHOD GetElementById(const kr::nsAString& id, kr::nsIDOMElement** element) override;
  KR_METHOD GetElementsByTagName(const kr::nsAString& tag, kr::nsIDOMNodeList** list) override;
  KR_METHOD GetURL(kr::nsAString& url) override;
  KR_METHOD GetBody(kr::nsIDOMHTMLElement** body) override;
  KR_METHOD GetImages(kr::nsIDOMHTMLCollection** images) override;
  // nsIDOMDocumentView
  KR_METHOD GetDefaultView(kr::nsIDOMAbstractView** view) override;
  // nsIDOMNSDocument
  KR_METHOD GetBoxObjectFor(kr::nsIDOMElement* element, kr::nsIBoxObject** box) override;
  // nsIDOMEventTarget
  KR_METHOD AddEventListener(const kr::nsAString&, kr::nsIDOMEventListener*, kr::PRBool) override { return kr::NS_OK; }
  KR_METHOD RemoveEventListener(const kr::nsAString&, kr::nsIDOMEventListener*, kr::PRBool) override {
    return kr::NS_OK;
  }

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

// The tree owner of a browser window's docshells: asked as interface requestor for the XUL window
// (itself) and the chrome window; the XUL window's docshell (itself again) is the base window
// with the native window.
class CHostTreeOwner : public CHostObject<kr::nsIDocShellTreeOwner, kr::nsIInterfaceRequestor, kr::nsIXULWindow,
                                          kr::nsIBaseWindow, kr::nsIDocShell> {
 public:
  explicit CHostTreeOwner(HWND window) : hwnd(window) {}
  KR_METHOD GetInterface(const kr::nsIID& iid, void** result) override;
  KR_METHOD GetDocShell(kr::nsIDocShell** docshell) override;
  KR_METHOD GetParentNativeWindow(void** native_window) override;
  HWND hwnd;
  CHostWindow* chrome = nullptr;  // not counted
};

// A window's docshell as its interface requestor hands it out (asked for the web navigation):
// the docshell tree item with the tree owner.
class CHostDocShell : public CHostObject<kr::nsIWebNavigation, kr::nsIDocShellTreeItem> {
 public:
  explicit CHostDocShell(CHostTreeOwner* owner) : owner(owner) {}
  KR_METHOD GetTreeOwner(kr::nsIDocShellTreeOwner** owner) override;
  nsCOMPtr<CHostTreeOwner> owner;
};

// A DOM window. As the browser's windows do, it does not answer the docshell tree item itself:
// its interface requestor hands out the docshell (as web navigation).
class CHostWindow : public CHostObject<kr::nsIDOMWindowInternal, kr::nsIDOMEventTarget, kr::nsIDOMViewCSS,
                                       kr::nsIDOMChromeWindow, kr::nsIInterfaceRequestor> {
 public:
  CHostWindow(CHostTreeOwner* owner, bool chrome) : owner(owner), chrome(chrome) {}
  // nsIDOMWindow, nsIDOMWindowInternal
  KR_METHOD GetDocument(kr::nsIDOMDocument** document) override;
  KR_METHOD GetParent(kr::nsIDOMWindow** parent) override;
  KR_METHOD GetTop(kr::nsIDOMWindow** top) override;
  KR_METHOD GetFullScreen(kr::PRBool* full_screen) override;
  KR_METHOD GetContent(kr::nsIDOMWindow** content) override;
  // nsIDOMEventTarget
  KR_METHOD AddEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener,
                             kr::PRBool capture) override;
  KR_METHOD RemoveEventListener(const kr::nsAString& type, kr::nsIDOMEventListener* listener,
                                kr::PRBool capture) override;
  // nsIDOMViewCSS
  KR_METHOD GetComputedStyle(kr::nsIDOMElement* element, const kr::nsAString& pseudo,
                             kr::nsIDOMCSSStyleDeclaration** style) override;
  // nsIInterfaceRequestor: the docshell as web navigation
  KR_METHOD GetInterface(const kr::nsIID& iid, void** result) override;

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
  KR_METHOD GetSpec(kr::nsACString& out) override;
  KR_METHOD SetScheme(const kr::nsACString& scheme) override;
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
  KR_METHOD GetName(kr::nsACString& name) override { return Write(name, uri->spec); }
  KR_METHOD IsPending(kr::PRBool* pending) override;
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
};

class CHostIOService : public CHostObject<kr::nsIIOService> {
 public:
  KR_METHOD NewURI(const kr::nsACString& spec, const char* charset, kr::nsIURI* base, kr::nsIURI** result) override;
  KR_METHOD NewChannelFromURI(kr::nsIURI* uri, kr::nsIChannel** result) override;
  // The security of every channel it opens (none: http).
  nsCOMPtr<CHostSecurityInfo> security;
  std::vector<nsCOMPtr<CHostChannel>> opened;
};

// A web progress object: the document loader's (listeners) or a window's (its DOM window). As the
// browser's document loader does, it holds its listeners by weak reference: a listener that
// offers none is refused.
class CHostWebProgress : public CHostObject<kr::nsIWebProgress> {
 public:
  explicit CHostWebProgress(CHostWindow* window = nullptr) : window(window) {}
  KR_METHOD AddProgressListener(kr::nsIWebProgressListener* listener, uint32_t mask) override;
  KR_METHOD RemoveProgressListener(kr::nsIWebProgressListener* listener) override;
  KR_METHOD GetDOMWindow(kr::nsIDOMWindow** out) override;
  // The listeners still alive, in the order they were added.
  std::vector<nsCOMPtr<kr::nsIWebProgressListener>> Live() const;
  std::vector<std::pair<nsCOMPtr<kr::nsIWeakReference>, uint32_t>> listeners;
  nsCOMPtr<CHostWindow> window;
};

}  // namespace geckohost
