// The XPCOM interfaces the component implements or calls, declared for this project with the
// methods it uses. Strings cross these interfaces as NUL-terminated buffers; a string or buffer
// handed out is allocated with the host's memory service (nsIMemory) and freed by the receiver.
// Identifiers fixed by the component's own contract are written out; the others are this
// project's (KR_OWN_IID), shared by the component and the scripted host.
#pragma once

#include "gecko/xpcom/xpcom_base.h"

namespace kr {

#define KR_OWN_IID(n) KR_DECLARE_IID(0x4b520000 + (n), 0x6b72, 0x4e53, 0x80, 0x00, 0x6b, 0x65, 0x73, 0x74, 0x72, 0x6e)

class nsIFile;
class nsIDOMWindow;
class nsIDOMDocument;
class nsIDOMElement;
class nsIDOMEvent;
class nsIDOMEventListener;
class nsIBoxObject;
class nsIURI;
class nsIChannel;
class nsIStreamListener;
class nsIInterfaceRequestor;
class nsIWebProgressListener;
class nsIObserver;
class nsITimerCallback;
class nsISimpleEnumerator;
class nsIX509Cert;
class nsIWeakReference;

// ---- memory, components, services ----

class nsIMemory : public nsISupports {
 public:
  KR_OWN_IID(1)
  KR_METHOD_(void*) Alloc(size_t size) = 0;
  KR_METHOD_(void*) Realloc(void* block, size_t size) = 0;
  KR_METHOD_(void) Free(void* block) = 0;
};

class nsIFactory : public nsISupports {
 public:
  KR_DECLARE_IID(0x00000001, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
  KR_METHOD CreateInstance(nsISupports* outer, const nsIID& iid, void** result) = 0;
  KR_METHOD LockFactory(bool lock) = 0;
};

class nsIComponentManager : public nsISupports {
 public:
  KR_OWN_IID(2)
  KR_METHOD GetClassObject(const nsCID& cid, const nsIID& iid, void** result) = 0;
  KR_METHOD GetClassObjectByContractID(const char* contract, const nsIID& iid, void** result) = 0;
  KR_METHOD CreateInstance(const nsCID& cid, nsISupports* outer, const nsIID& iid, void** result) = 0;
  KR_METHOD CreateInstanceByContractID(const char* contract, nsISupports* outer, const nsIID& iid,
                                       void** result) = 0;
};

class nsIComponentRegistrar : public nsISupports {
 public:
  KR_OWN_IID(3)
  KR_METHOD RegisterFactoryLocation(const nsCID& cid, const char* class_name, const char* contract,
                                    nsIFile* location, const char* loader, const char* type) = 0;
  KR_METHOD UnregisterFactoryLocation(const nsCID& cid, nsIFile* location) = 0;
};

class nsIServiceManager : public nsISupports {
 public:
  KR_OWN_IID(4)
  KR_METHOD GetService(const nsCID& cid, const nsIID& iid, void** result) = 0;
  KR_METHOD GetServiceByContractID(const char* contract, const nsIID& iid, void** result) = 0;
};

class nsIModule : public nsISupports {
 public:
  KR_OWN_IID(5)
  KR_METHOD GetClassObject(nsIComponentManager* manager, const nsCID& cid, const nsIID& iid, void** result) = 0;
  KR_METHOD RegisterSelf(nsIComponentManager* manager, nsIFile* location, const char* loader,
                         const char* type) = 0;
  KR_METHOD UnregisterSelf(nsIComponentManager* manager, nsIFile* location, const char* loader) = 0;
  KR_METHOD CanUnload(nsIComponentManager* manager, bool* result) = 0;
};

class nsICategoryManager : public nsISupports {
 public:
  KR_OWN_IID(6)
  KR_METHOD GetCategoryEntry(const char* category, const char* entry, char** value) = 0;
  KR_METHOD AddCategoryEntry(const char* category, const char* entry, const char* value, bool persist,
                             bool replace, char** previous) = 0;
  KR_METHOD DeleteCategoryEntry(const char* category, const char* entry, bool persist) = 0;
};

class nsIObserver : public nsISupports {
 public:
  KR_OWN_IID(7)
  KR_METHOD Observe(nsISupports* subject, const char* topic, const PRUnichar* data) = 0;
};

class nsIObserverService : public nsISupports {
 public:
  KR_OWN_IID(8)
  KR_METHOD AddObserver(nsIObserver* observer, const char* topic, bool weak) = 0;
  KR_METHOD RemoveObserver(nsIObserver* observer, const char* topic) = 0;
  KR_METHOD NotifyObservers(nsISupports* subject, const char* topic, const PRUnichar* data) = 0;
};

class nsISupportsPRBool : public nsISupports {
 public:
  KR_OWN_IID(9)
  KR_METHOD GetData(bool* value) = 0;
  KR_METHOD SetData(bool value) = 0;
};

class nsISupportsVoid : public nsISupports {
 public:
  KR_OWN_IID(10)
  KR_METHOD GetData(void** value) = 0;
  KR_METHOD SetData(void* value) = 0;
};

class nsISimpleEnumerator : public nsISupports {
 public:
  KR_OWN_IID(11)
  KR_METHOD HasMoreElements(bool* more) = 0;
  KR_METHOD GetNext(nsISupports** item) = 0;
};

class nsIArray : public nsISupports {
 public:
  KR_OWN_IID(12)
  KR_METHOD GetLength(uint32_t* length) = 0;
  KR_METHOD QueryElementAt(uint32_t index, const nsIID& iid, void** result) = 0;
  KR_METHOD Enumerate(nsISimpleEnumerator** result) = 0;
};

class nsIMutableArray : public nsIArray {
 public:
  KR_OWN_IID(13)
  KR_METHOD AppendElement(nsISupports* element, bool weak) = 0;
  KR_METHOD Clear() = 0;
};

class nsISupportsWeakReference : public nsISupports {
 public:
  KR_OWN_IID(14)
  KR_METHOD GetWeakReference(nsIWeakReference** result) = 0;
};

class nsIWeakReference : public nsISupports {
 public:
  KR_OWN_IID(15)
  KR_METHOD QueryReferent(const nsIID& iid, void** result) = 0;
};

class nsITimer : public nsISupports {
 public:
  KR_OWN_IID(16)
  enum : uint32_t { TYPE_ONE_SHOT = 0 };
  KR_METHOD InitWithCallback(nsITimerCallback* callback, uint32_t delay_ms, uint32_t type) = 0;
  KR_METHOD Cancel() = 0;
};

class nsITimerCallback : public nsISupports {
 public:
  KR_OWN_IID(17)
  KR_METHOD Notify(nsITimer* timer) = 0;
};

class nsIPrefBranch : public nsISupports {
 public:
  KR_OWN_IID(18)
  KR_METHOD GetCharPref(const char* name, char** value) = 0;
  KR_METHOD SetCharPref(const char* name, const char* value) = 0;
};

class nsIPrefService : public nsISupports {
 public:
  KR_OWN_IID(19)
  KR_METHOD GetBranch(const char* root, nsIPrefBranch** result) = 0;
};

// ---- network and security ----

class nsIRequest : public nsISupports {
 public:
  KR_DECLARE_IID(0xEF6BFBD2, 0xFD46, 0x48D8, 0x96, 0xB7, 0x9F, 0x8F, 0x0F, 0xD3, 0x87, 0xFE)
  KR_METHOD IsPending(bool* pending) = 0;
  KR_METHOD GetStatus(nsresult* status) = 0;
  KR_METHOD Cancel(nsresult status) = 0;
};

class nsIURI : public nsISupports {
 public:
  KR_OWN_IID(20)
  KR_METHOD GetSpec(char** spec) = 0;
  KR_METHOD SetScheme(const char* scheme) = 0;
};

class nsIChannel : public nsIRequest {
 public:
  KR_OWN_IID(21)
  KR_METHOD GetURI(nsIURI** uri) = 0;
  KR_METHOD GetSecurityInfo(nsISupports** info) = 0;
  KR_METHOD SetNotificationCallbacks(nsIInterfaceRequestor* callbacks) = 0;
  KR_METHOD AsyncOpen(nsIStreamListener* listener, nsISupports* context) = 0;
};

class nsIIOService : public nsISupports {
 public:
  KR_OWN_IID(22)
  KR_METHOD NewURI(const char* spec, const char* charset, nsIURI* base, nsIURI** result) = 0;
  KR_METHOD NewChannelFromURI(nsIURI* uri, nsIChannel** result) = 0;
};

class nsIStreamListener : public nsISupports {
 public:
  KR_OWN_IID(23)
  KR_METHOD OnStartRequest(nsIRequest* request, nsISupports* context) = 0;
  KR_METHOD OnStopRequest(nsIRequest* request, nsISupports* context, nsresult status) = 0;
  KR_METHOD OnDataAvailable(nsIRequest* request, nsISupports* context, nsISupports* stream, uint32_t offset,
                            uint32_t count) = 0;
};

class nsIInterfaceRequestor : public nsISupports {
 public:
  KR_OWN_IID(24)
  KR_METHOD GetInterface(const nsIID& iid, void** result) = 0;
};

class nsIBadCertListener2 : public nsISupports {
 public:
  KR_DECLARE_IID(0x2C3D268C, 0xAD82, 0x49F3, 0x99, 0xAA, 0xE9, 0xFF, 0xDD, 0xD7, 0xA0, 0xDC)
  KR_METHOD NotifyCertProblem(nsISupports* socket_info, nsISupports* status, const char* target_site,
                              bool* suppress_error) = 0;
};

class nsISSLStatusProvider : public nsISupports {
 public:
  KR_OWN_IID(25)
  KR_METHOD GetSSLStatus(nsISupports** status) = 0;
};

class nsISSLStatus : public nsISupports {
 public:
  KR_OWN_IID(26)
  KR_METHOD GetServerCert(nsIX509Cert** cert) = 0;
};

class nsIX509Cert : public nsISupports {
 public:
  KR_OWN_IID(27)
  // The chain from this certificate up, this certificate first.
  KR_METHOD GetChain(nsIArray** chain) = 0;
  // The DER bytes, in a buffer of the host's memory service.
  KR_METHOD GetRawDER(uint32_t* length, uint8_t** data) = 0;
};

class nsIX509CertDB : public nsISupports {
 public:
  KR_OWN_IID(28)
  KR_METHOD FindCertByNickname(nsISupports* token, const PRUnichar* nickname, nsIX509Cert** result) = 0;
};

// ---- document loading ----

class nsIWebProgress : public nsISupports {
 public:
  KR_OWN_IID(29)
  KR_METHOD AddProgressListener(nsIWebProgressListener* listener, uint32_t mask) = 0;
  KR_METHOD RemoveProgressListener(nsIWebProgressListener* listener) = 0;
  KR_METHOD GetDOMWindow(nsIDOMWindow** window) = 0;
};

class nsIWebProgressListener : public nsISupports {
 public:
  KR_OWN_IID(30)
  enum : uint32_t { STATE_START = 0x1, STATE_STOP = 0x10, STATE_IS_NETWORK = 0x40000 };
  KR_METHOD OnStateChange(nsIWebProgress* progress, nsIRequest* request, uint32_t flags, nsresult status) = 0;
  KR_METHOD OnProgressChange(nsIWebProgress* progress, nsIRequest* request, int32_t self_now, int32_t self_max,
                             int32_t total_now, int32_t total_max) = 0;
  KR_METHOD OnLocationChange(nsIWebProgress* progress, nsIRequest* request, nsIURI* location) = 0;
  KR_METHOD OnStatusChange(nsIWebProgress* progress, nsIRequest* request, nsresult status,
                           const PRUnichar* message) = 0;
  KR_METHOD OnSecurityChange(nsIWebProgress* progress, nsIRequest* request, uint32_t state) = 0;
};

class nsICacheEntryDescriptor : public nsISupports {
 public:
  KR_OWN_IID(31)
  KR_METHOD GetDataSize(uint32_t* size) = 0;
};

class nsICacheSession : public nsISupports {
 public:
  KR_OWN_IID(32)
  enum : int32_t { ACCESS_READ = 1 };
  KR_METHOD SetDoomEntriesIfExpired(bool doom) = 0;
  KR_METHOD OpenCacheEntry(const char* key, int32_t access, bool blocking, nsICacheEntryDescriptor** entry) = 0;
};

class nsICacheService : public nsISupports {
 public:
  KR_OWN_IID(33)
  enum : int32_t { STORE_ANYWHERE = 0 };
  KR_METHOD CreateSession(const char* client, int32_t storage, bool stream_based, nsICacheSession** session) = 0;
};

// ---- chrome and content DOM ----

class nsIDOMEventTarget : public nsISupports {
 public:
  KR_OWN_IID(40)
  KR_METHOD AddEventListener(const PRUnichar* type, nsIDOMEventListener* listener, bool capture) = 0;
  KR_METHOD RemoveEventListener(const PRUnichar* type, nsIDOMEventListener* listener, bool capture) = 0;
};

class nsIDOMEventListener : public nsISupports {
 public:
  KR_OWN_IID(41)
  KR_METHOD HandleEvent(nsIDOMEvent* event) = 0;
};

class nsIDOMEvent : public nsISupports {
 public:
  KR_OWN_IID(42)
  KR_METHOD GetType(PRUnichar** type) = 0;
  KR_METHOD GetTarget(nsIDOMEventTarget** target) = 0;
  KR_METHOD GetCurrentTarget(nsIDOMEventTarget** target) = 0;
  KR_METHOD GetOriginalTarget(nsIDOMEventTarget** target) = 0;
};

class nsIDOMNodeList : public nsISupports {
 public:
  KR_OWN_IID(43)
  KR_METHOD GetLength(uint32_t* length) = 0;
  KR_METHOD Item(uint32_t index, nsIDOMElement** element) = 0;
};

class nsIDOMElement : public nsISupports {
 public:
  KR_OWN_IID(44)
  KR_METHOD GetTagName(PRUnichar** name) = 0;
  KR_METHOD GetAttribute(const PRUnichar* name, PRUnichar** value) = 0;
  KR_METHOD GetId(PRUnichar** id) = 0;
  KR_METHOD GetClassName(PRUnichar** name) = 0;
  KR_METHOD GetParentNode(nsIDOMElement** parent) = 0;
  KR_METHOD GetOwnerDocument(nsIDOMDocument** document) = 0;
};

class nsIDOMXULElement : public nsIDOMElement {
 public:
  KR_OWN_IID(45)
  KR_METHOD GetBoxObject(nsIBoxObject** box) = 0;
};

class nsIDOMHTMLImageElement : public nsISupports {
 public:
  KR_OWN_IID(46)
  KR_METHOD GetSrc(PRUnichar** src) = 0;
  KR_METHOD GetWidth(int32_t* width) = 0;
  KR_METHOD GetHeight(int32_t* height) = 0;
};

// A "frame" or "iframe" element.
class nsIDOMHTMLFrameElement : public nsISupports {
 public:
  KR_OWN_IID(47)
  KR_METHOD GetContentDocument(nsIDOMDocument** document) = 0;
};

class nsIBoxObject : public nsISupports {
 public:
  KR_OWN_IID(48)
  KR_METHOD GetScreenX(int32_t* x) = 0;
  KR_METHOD GetScreenY(int32_t* y) = 0;
  KR_METHOD GetWidth(int32_t* width) = 0;
  KR_METHOD GetHeight(int32_t* height) = 0;
};

class nsIDOMDocument : public nsISupports {
 public:
  KR_OWN_IID(49)
  KR_METHOD GetElementById(const PRUnichar* id, nsIDOMElement** element) = 0;
  KR_METHOD GetElementsByTagName(const PRUnichar* tag, nsIDOMNodeList** list) = 0;
  KR_METHOD GetDefaultView(nsIDOMWindow** view) = 0;
  KR_METHOD GetBoxObjectFor(nsIDOMElement* element, nsIBoxObject** box) = 0;
};

class nsIDOMHTMLDocument : public nsIDOMDocument {
 public:
  KR_OWN_IID(50)
  KR_METHOD GetURL(PRUnichar** url) = 0;
  KR_METHOD GetBody(nsIDOMElement** body) = 0;
  KR_METHOD GetImages(nsIDOMNodeList** images) = 0;
};

class nsIDOMCSSStyleDeclaration : public nsISupports {
 public:
  KR_OWN_IID(51)
  KR_METHOD GetPropertyValue(const PRUnichar* name, PRUnichar** value) = 0;
};

class nsIDOMViewCSS : public nsISupports {
 public:
  KR_OWN_IID(52)
  KR_METHOD GetComputedStyle(nsIDOMElement* element, const PRUnichar* pseudo, nsIDOMCSSStyleDeclaration** style) = 0;
};

class nsIDOMWindow : public nsISupports {
 public:
  KR_OWN_IID(53)
  KR_METHOD GetDocument(nsIDOMDocument** document) = 0;
  KR_METHOD GetTop(nsIDOMWindow** top) = 0;
};

// The browser window's own view: full screen and the selected tab's content window.
class nsIDOMChromeWindow : public nsISupports {
 public:
  KR_OWN_IID(54)
  KR_METHOD GetFullScreen(bool* full_screen) = 0;
  KR_METHOD GetContent(nsIDOMWindow** content) = 0;
};

// The steps from a DOM window to its native top-level window: the window's docshell tree item,
// its tree owner (asked for the XUL window), the XUL window's docshell as base window.
class nsIDocShellTreeItem : public nsISupports {
 public:
  KR_OWN_IID(55)
  KR_METHOD GetTreeOwner(nsIInterfaceRequestor** owner) = 0;
};

class nsIXULWindow : public nsISupports {
 public:
  KR_OWN_IID(56)
  KR_METHOD GetDocShell(nsISupports** docshell) = 0;
};

class nsIBaseWindow : public nsISupports {
 public:
  KR_OWN_IID(57)
  KR_METHOD GetParentNativeWindow(void** native_window) = 0;
};

}  // namespace kr
