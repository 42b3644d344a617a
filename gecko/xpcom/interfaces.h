// The platform's XPCOM interfaces the component implements or calls, declared for this project
// with their identifiers and with every method in the vtable slot the browser has it in (slot
// numbers in the comments count nsISupports' three). Slots the project does not use are
// KR_SKIP'd. Parameter types are the platform's: PRBool, string objects (nsAString /
// nsACString), 8-bit and UTF-16 buffers where the interface has them; a buffer handed out is
// allocated with the platform's memory service (nsIMemory) and freed by the receiver. Where an
// identifier or a layout differs between Gecko 1.8 and 1.9, KR_GECKO chooses.
#pragma once

#include "gecko/xpcom/slot_gaps.h"
#include "gecko/xpcom/xpcom_base.h"

namespace kr {

#if KR_GECKO >= 190
#define KR_IID_18_19(iid18, iid19) KR_DECLARE_IID iid19
#else
#define KR_IID_18_19(iid18, iid19) KR_DECLARE_IID iid18
#endif

#define KR_EXTENDS(parent) typedef parent Parent;

class nsIFile;
class nsIInputStream;
class nsIDOMWindow;
class nsIDOMDocument;
class nsIDOMElement;
class nsIDOMHTMLElement;
class nsIDOMNode;
class nsIDOMNodeList;
class nsIDOMHTMLCollection;
class nsIDOMEvent;
class nsIDOMEventTarget;
class nsIDOMEventListener;
class nsIDOMAbstractView;
class nsIDOMCSSStyleDeclaration;
class nsIBoxObject;
class nsIURI;
class nsIChannel;
class nsIStreamListener;
class nsIInterfaceRequestor;
class nsIWebProgressListener;
class nsIObserver;
class nsITimer;
class nsITimerCallback;
class nsISimpleEnumerator;
class nsIX509Cert;
class nsIWeakReference;
class nsIDocShell;
class nsIDocShellTreeItem;
class nsIDocShellTreeOwner;
class nsISSLStatus;
class nsIArray;
class nsIPrefBranch;
class nsICacheSession;
class nsICacheEntryDescriptor;

// Interfaces the project only passes on or asks for by identifier.
class nsIFile : public nsISupports {
 public:
  KR_DECLARE_IID(0xc8c0a080, 0x0868, 0x11d3, 0x91, 0x5f, 0xd9, 0xd8, 0x89, 0xd4, 0x8e, 0x3c)
  KR_EXTENDS(nsISupports)
};
class nsIInputStream : public nsISupports {
 public:
  KR_DECLARE_IID(0xfa9c7f6c, 0x61b3, 0x11d4, 0x98, 0x77, 0x00, 0xc0, 0x4f, 0xa0, 0xcf, 0x4a)
  KR_EXTENDS(nsISupports)
};
class nsIDocShell : public nsISupports {
 public:
#if KR_GECKO >= 190
  KR_DECLARE_IID(0x7d1cf6b9, 0xdaa3, 0x476d, 0x8f, 0x9f, 0x9e, 0xb2, 0xa9, 0x71, 0xa9, 0x5c)
#else
  KR_DECLARE_IID(0x9f0c7461, 0xb9a4, 0x47f6, 0xb8, 0x8c, 0x42, 0x1d, 0xce, 0x1b, 0xce, 0x66)
#endif
  KR_EXTENDS(nsISupports)
};

// ---- memory, components, services ----

class nsIMemory : public nsISupports {
 public:
  KR_DECLARE_IID(0x59e7e77a, 0x38e4, 0x11d4, 0x8c, 0xf5, 0x00, 0x60, 0xb0, 0xfc, 0x14, 0xa3)
  KR_EXTENDS(nsISupports)
  KR_METHOD_(void*) Alloc(size_t size) = 0;                  // 3
  KR_METHOD_(void*) Realloc(void* block, size_t size) = 0;   // 4
  KR_METHOD_(void) Free(void* block) = 0;                    // 5
};

class nsIFactory : public nsISupports {
 public:
  KR_DECLARE_IID(0x00000001, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
  KR_EXTENDS(nsISupports)
  KR_METHOD CreateInstance(nsISupports* outer, const nsIID& iid, void** result) = 0;  // 3
  KR_METHOD LockFactory(PRBool lock) = 0;                                           // 4
};

class nsIComponentManager : public nsISupports {
 public:
  KR_DECLARE_IID(0xa88e5a60, 0x205a, 0x4bb1, 0x94, 0xe1, 0x26, 0x28, 0xda, 0xf5, 0x1e, 0xae)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetClassObject(const nsCID& cid, const nsIID& iid, void** result) = 0;                    // 3
  KR_METHOD GetClassObjectByContractID(const char* contract, const nsIID& iid, void** result) = 0;    // 4
  KR_METHOD CreateInstance(const nsCID& cid, nsISupports* outer, const nsIID& iid, void** result) = 0;  // 5
  KR_METHOD CreateInstanceByContractID(const char* contract, nsISupports* outer, const nsIID& iid,    // 6
                                       void** result) = 0;
};

class nsIComponentRegistrar : public nsISupports {
 public:
  KR_DECLARE_IID(0x2417cbfe, 0x65ad, 0x48a6, 0xb4, 0xb6, 0xeb, 0x84, 0xdb, 0x17, 0x43, 0x92)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 4)  // AutoRegister, AutoUnregister, RegisterFactory, UnregisterFactory
  KR_METHOD RegisterFactoryLocation(const nsCID& cid, const char* class_name, const char* contract,  // 7
                                    nsIFile* location, const char* loader, const char* type) = 0;
  KR_METHOD UnregisterFactoryLocation(const nsCID& cid, nsIFile* location) = 0;                     // 8
};

class nsIServiceManager : public nsISupports {
 public:
  KR_DECLARE_IID(0x8bb35ed9, 0xe332, 0x462d, 0x91, 0x55, 0x4a, 0x00, 0x2a, 0xb5, 0xc9, 0x58)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetService(const nsCID& cid, const nsIID& iid, void** result) = 0;                  // 3
  KR_METHOD GetServiceByContractID(const char* contract, const nsIID& iid, void** result) = 0;  // 4
};

class nsIModule : public nsISupports {
 public:
  KR_DECLARE_IID(0x7392d032, 0x5371, 0x11d3, 0x99, 0x4e, 0x00, 0x80, 0x5f, 0xd2, 0x6f, 0xee)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetClassObject(nsIComponentManager* manager, const nsCID& cid, const nsIID& iid,  // 3
                           void** result) = 0;
  KR_METHOD RegisterSelf(nsIComponentManager* manager, nsIFile* location, const char* loader,  // 4
                         const char* type) = 0;
  KR_METHOD UnregisterSelf(nsIComponentManager* manager, nsIFile* location, const char* loader) = 0;  // 5
  KR_METHOD CanUnload(nsIComponentManager* manager, PRBool* result) = 0;                              // 6
};

class nsICategoryManager : public nsISupports {
 public:
  KR_DECLARE_IID(0x3275b2cd, 0xaf6d, 0x429a, 0x80, 0xd7, 0xf0, 0xc5, 0x12, 0x03, 0x42, 0xac)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetCategoryEntry(const char* category, const char* entry, char** value) = 0;  // 3
  KR_METHOD AddCategoryEntry(const char* category, const char* entry, const char* value,   // 4
                             PRBool persist, PRBool replace, char** previous) = 0;
  KR_METHOD DeleteCategoryEntry(const char* category, const char* entry, PRBool persist) = 0;  // 5
};

class nsIObserver : public nsISupports {
 public:
  KR_DECLARE_IID(0xdb242e01, 0xe4d9, 0x11d2, 0x9d, 0xde, 0x00, 0x00, 0x64, 0x65, 0x73, 0x74)
  KR_EXTENDS(nsISupports)
  KR_METHOD Observe(nsISupports* subject, const char* topic, const PRUnichar* data) = 0;  // 3
};

class nsIObserverService : public nsISupports {
 public:
  KR_DECLARE_IID(0xd07f5192, 0xe3d1, 0x11d2, 0x8a, 0xcd, 0x00, 0x10, 0x5a, 0x1b, 0x88, 0x60)
  KR_EXTENDS(nsISupports)
  KR_METHOD AddObserver(nsIObserver* observer, const char* topic, PRBool weak) = 0;                  // 3
  KR_METHOD RemoveObserver(nsIObserver* observer, const char* topic) = 0;                            // 4
  KR_METHOD NotifyObservers(nsISupports* subject, const char* topic, const PRUnichar* data) = 0;    // 5
};

class nsISupportsPrimitive : public nsISupports {
 public:
  KR_DECLARE_IID(0xd0d4b136, 0x1dd1, 0x11b2, 0x93, 0x71, 0xf0, 0x72, 0x7e, 0xf8, 0x27, 0xc0)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetType(uint16_t* type) = 0;  // 3
};

class nsISupportsPRBool : public nsISupportsPrimitive {
 public:
  KR_DECLARE_IID(0xddc3b490, 0x4a1c, 0x11d3, 0x98, 0x90, 0x00, 0x60, 0x08, 0x96, 0x24, 0x22)
  KR_EXTENDS(nsISupportsPrimitive)
  KR_METHOD GetData(PRBool* value) = 0;  // 4
  KR_METHOD SetData(PRBool value) = 0;   // 5
};

class nsISupportsVoid : public nsISupportsPrimitive {
 public:
  KR_DECLARE_IID(0x464484f0, 0x568d, 0x11d3, 0xba, 0xf8, 0x00, 0x80, 0x5f, 0x8a, 0x5d, 0xd7)
  KR_EXTENDS(nsISupportsPrimitive)
  KR_METHOD GetData(void** value) = 0;  // 4
  KR_METHOD SetData(void* value) = 0;   // 5
};

class nsISimpleEnumerator : public nsISupports {
 public:
  KR_DECLARE_IID(0xd1899240, 0xf9d2, 0x11d2, 0xbd, 0xd6, 0x00, 0x00, 0x64, 0x65, 0x73, 0x74)
  KR_EXTENDS(nsISupports)
  KR_METHOD HasMoreElements(PRBool* more) = 0;   // 3
  KR_METHOD GetNext(nsISupports** item) = 0;     // 4
};

class nsIArray : public nsISupports {
 public:
  KR_DECLARE_IID(0x114744d9, 0xc369, 0x456e, 0xb5, 0x5a, 0x52, 0xfe, 0x52, 0x88, 0x0d, 0x2d)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetLength(uint32_t* length) = 0;                                       // 3
  KR_METHOD QueryElementAt(uint32_t index, const nsIID& iid, void** result) = 0;   // 4
  KR_METHOD IndexOf(uint32_t start, nsISupports* element, uint32_t* index) = 0;    // 5
  KR_METHOD Enumerate(nsISimpleEnumerator** result) = 0;                           // 6
};

class nsIMutableArray : public nsIArray {
 public:
  KR_DECLARE_IID(0xaf059da0, 0xc85b, 0x40ec, 0xaf, 0x07, 0xae, 0x4b, 0xfd, 0xc1, 0x92, 0xcc)
  KR_EXTENDS(nsIArray)
  KR_METHOD AppendElement(nsISupports* element, PRBool weak) = 0;  // 7
  KR_SKIP(8, 3)  // RemoveElementAt, InsertElementAt, ReplaceElementAt
  KR_METHOD Clear() = 0;                                           // 11
};

class nsISupportsWeakReference : public nsISupports {
 public:
  KR_DECLARE_IID(0x9188bc86, 0xf92e, 0x11d2, 0x81, 0xef, 0x00, 0x60, 0x08, 0x3a, 0x0b, 0xcf)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetWeakReference(nsIWeakReference** result) = 0;  // 3
};

class nsIWeakReference : public nsISupports {
 public:
  KR_DECLARE_IID(0x9188bc85, 0xf92e, 0x11d2, 0x81, 0xef, 0x00, 0x60, 0x08, 0x3a, 0x0b, 0xcf)
  KR_EXTENDS(nsISupports)
  KR_METHOD QueryReferent(const nsIID& iid, void** result) = 0;  // 3
};

class nsITimerCallback : public nsISupports {
 public:
  KR_DECLARE_IID(0xa796816d, 0x7d47, 0x4348, 0x9a, 0xb8, 0xc7, 0xae, 0xb3, 0x21, 0x6a, 0x7d)
  KR_EXTENDS(nsISupports)
  KR_METHOD Notify(nsITimer* timer) = 0;  // 3
};

class nsITimer : public nsISupports {
 public:
  KR_DECLARE_IID(0x436a83fa, 0xb396, 0x11d9, 0xbc, 0xfa, 0x00, 0x11, 0x24, 0x78, 0xd6, 0x26)
  KR_EXTENDS(nsISupports)
  enum : uint32_t { TYPE_ONE_SHOT = 0 };
  KR_SKIP(3, 2)  // Init, InitWithFuncCallback
  KR_METHOD InitWithCallback(nsITimerCallback* callback, uint32_t delay_ms, uint32_t type) = 0;  // 5
  KR_METHOD Cancel() = 0;                                                                        // 6
};

class nsIPrefBranch : public nsISupports {
 public:
  KR_DECLARE_IID(0x56c35506, 0xf14b, 0x11d3, 0x99, 0xd3, 0xdd, 0xbf, 0xac, 0x2c, 0xcf, 0x65)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 4)  // GetRoot, GetPrefType, GetBoolPref, SetBoolPref
  KR_METHOD GetCharPref(const char* name, char** value) = 0;        // 7
  KR_METHOD SetCharPref(const char* name, const char* value) = 0;   // 8
};

class nsIPrefService : public nsISupports {
 public:
  KR_DECLARE_IID(0xdecb9cc7, 0xc08f, 0x4ea5, 0xbe, 0x91, 0xa8, 0xfc, 0x63, 0x7c, 0xe2, 0xd2)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 4)  // ReadUserPrefs, ResetPrefs, ResetUserPrefs, SavePrefFile
  KR_METHOD GetBranch(const char* root, nsIPrefBranch** result) = 0;  // 7
};

// ---- network and security ----

class nsIInterfaceRequestor : public nsISupports {
 public:
  KR_DECLARE_IID(0x033a1470, 0x8b2a, 0x11d3, 0xaf, 0x88, 0x00, 0xa0, 0x24, 0xff, 0xc0, 0x8c)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetInterface(const nsIID& iid, void** result) = 0;  // 3
};

class nsIRequest : public nsISupports {
 public:
  KR_DECLARE_IID(0xef6bfbd2, 0xfd46, 0x48d8, 0x96, 0xb7, 0x9f, 0x8f, 0x0f, 0xd3, 0x87, 0xfe)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetName(nsACString& name) = 0;    // 3
  KR_METHOD IsPending(PRBool* pending) = 0;   // 4
  KR_METHOD GetStatus(nsresult* status) = 0;  // 5
  KR_METHOD Cancel(nsresult status) = 0;      // 6
  KR_SKIP(7, 6)  // Suspend, Resume, Get/SetLoadGroup, Get/SetLoadFlags
};

class nsIURI : public nsISupports {
 public:
  KR_DECLARE_IID(0x07a22cc0, 0x0ce5, 0x11d3, 0x93, 0x31, 0x00, 0x10, 0x4b, 0xa0, 0xfd, 0x40)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetSpec(nsACString& spec) = 0;  // 3
  KR_SKIP(4, 3)  // SetSpec, GetPrePath, GetScheme
  KR_METHOD SetScheme(const nsACString& scheme) = 0;  // 7
};

class nsIChannel : public nsIRequest {
 public:
  KR_DECLARE_IID(0xc63a055a, 0xa676, 0x4e71, 0xbf, 0x3c, 0x6c, 0xfa, 0x11, 0x08, 0x20, 0x18)
  KR_EXTENDS(nsIRequest)
  KR_SKIP(13, 2)  // Get/SetOriginalURI
  KR_METHOD GetURI(nsIURI** uri) = 0;  // 15
  KR_SKIP(16, 3)  // Get/SetOwner, GetNotificationCallbacks
  KR_METHOD SetNotificationCallbacks(nsIInterfaceRequestor* callbacks) = 0;  // 19
  KR_METHOD GetSecurityInfo(nsISupports** info) = 0;                         // 20
  KR_SKIP(21, 7)  // content type, charset, length, Open
  KR_METHOD AsyncOpen(nsIStreamListener* listener, nsISupports* context) = 0;  // 28
};

class nsIIOService : public nsISupports {
 public:
  KR_DECLARE_IID(0xbddeda3f, 0x9020, 0x4d12, 0x8c, 0x70, 0x98, 0x4e, 0xe9, 0xf7, 0x93, 0x5e)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 2)  // GetProtocolHandler, GetProtocolFlags
  KR_METHOD NewURI(const nsACString& spec, const char* charset, nsIURI* base, nsIURI** result) = 0;  // 5
  KR_SKIP(6, 1)  // NewFileURI
  KR_METHOD NewChannelFromURI(nsIURI* uri, nsIChannel** result) = 0;  // 7
};

class nsIRequestObserver : public nsISupports {
 public:
  KR_DECLARE_IID(0xfd91e2e0, 0x1481, 0x11d3, 0x93, 0x33, 0x00, 0x10, 0x4b, 0xa0, 0xfd, 0x40)
  KR_EXTENDS(nsISupports)
  KR_METHOD OnStartRequest(nsIRequest* request, nsISupports* context) = 0;                   // 3
  KR_METHOD OnStopRequest(nsIRequest* request, nsISupports* context, nsresult status) = 0;   // 4
};

class nsIStreamListener : public nsIRequestObserver {
 public:
  KR_DECLARE_IID(0x1a637020, 0x1482, 0x11d3, 0x93, 0x33, 0x00, 0x10, 0x4b, 0xa0, 0xfd, 0x40)
  KR_EXTENDS(nsIRequestObserver)
  KR_METHOD OnDataAvailable(nsIRequest* request, nsISupports* context, nsIInputStream* stream,  // 5
                            uint32_t offset, uint32_t count) = 0;
};

#if KR_GECKO >= 190
// The socket's report of a certificate problem (Gecko 1.9; Gecko 1.8 asks other questions).
class nsIBadCertListener2 : public nsISupports {
 public:
  KR_DECLARE_IID(0x2c3d268c, 0xad82, 0x49f3, 0x99, 0xaa, 0xe9, 0xff, 0xdd, 0xd7, 0xa0, 0xdc)
  KR_EXTENDS(nsISupports)
  KR_METHOD NotifyCertProblem(nsIInterfaceRequestor* socket_info, nsISSLStatus* status,  // 3
                              const nsACString& target_site, PRBool* suppress_error) = 0;
};
#endif

class nsISSLStatusProvider : public nsISupports {
 public:
  KR_DECLARE_IID(0x8de811f0, 0x1dd2, 0x11b2, 0x8b, 0xf1, 0xe9, 0xaa, 0x32, 0x49, 0x84, 0xb2)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetSSLStatus(nsISupports** status) = 0;  // 3
};

class nsISSLStatus : public nsISupports {
 public:
  KR_IID_18_19((0x7b2ca1ca, 0x1dd2, 0x11b2, 0x87, 0xec, 0xd2, 0x17, 0xdb, 0xe2, 0x2b, 0x85),
               (0xcfede939, 0xdef1, 0x49be, 0x81, 0xed, 0xd4, 0x01, 0xb3, 0xa0, 0x7d, 0x1c))
  KR_EXTENDS(nsISupports)
  KR_METHOD GetServerCert(nsIX509Cert** cert) = 0;  // 3
};

class nsIX509Cert : public nsISupports {
 public:
  KR_DECLARE_IID(0xf0980f60, 0xee3d, 0x11d4, 0x99, 0x8b, 0x00, 0xb0, 0xd0, 0x23, 0x54, 0xa0)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 20)  // names, fingerprints, issuer, validity, keys
  // The chain from this certificate up, this certificate first.
  KR_METHOD GetChain(nsIArray** chain) = 0;  // 23
  KR_SKIP(24, 4)  // usages, VerifyForUsage, ASN.1 structure
  // The DER bytes, in a buffer of the platform's memory service.
  KR_METHOD GetRawDER(uint32_t* length, uint8_t** data) = 0;  // 28
};

class nsIX509CertDB : public nsISupports {
 public:
  KR_DECLARE_IID(0xda48b3c0, 0x1284, 0x11d5, 0xac, 0x67, 0x00, 0x00, 0x64, 0x65, 0x73, 0x74)
  KR_EXTENDS(nsISupports)
  KR_METHOD FindCertByNickname(nsISupports* token, const nsAString& nickname, nsIX509Cert** result) = 0;  // 3
};

// ---- document loading and the cache ----

class nsIWebProgress : public nsISupports {
 public:
  KR_DECLARE_IID(0x570f39d0, 0xefd0, 0x11d3, 0xb0, 0x93, 0x00, 0xa0, 0x24, 0xff, 0xc0, 0x8c)
  KR_EXTENDS(nsISupports)
  KR_METHOD AddProgressListener(nsIWebProgressListener* listener, uint32_t mask) = 0;  // 3
  KR_METHOD RemoveProgressListener(nsIWebProgressListener* listener) = 0;              // 4
  KR_METHOD GetDOMWindow(nsIDOMWindow** window) = 0;                                   // 5
};

class nsIWebProgressListener : public nsISupports {
 public:
  KR_DECLARE_IID(0x570f39d1, 0xefd0, 0x11d3, 0xb0, 0x93, 0x00, 0xa0, 0x24, 0xff, 0xc0, 0x8c)
  KR_EXTENDS(nsISupports)
  enum : uint32_t { STATE_START = 0x1, STATE_STOP = 0x10, STATE_IS_NETWORK = 0x40000 };
  KR_METHOD OnStateChange(nsIWebProgress* progress, nsIRequest* request, uint32_t flags, nsresult status) = 0;  // 3
  KR_METHOD OnProgressChange(nsIWebProgress* progress, nsIRequest* request, int32_t self_now,  // 4
                             int32_t self_max, int32_t total_now, int32_t total_max) = 0;
  KR_METHOD OnLocationChange(nsIWebProgress* progress, nsIRequest* request, nsIURI* location) = 0;  // 5
  KR_METHOD OnStatusChange(nsIWebProgress* progress, nsIRequest* request, nsresult status,          // 6
                           const PRUnichar* message) = 0;
  KR_METHOD OnSecurityChange(nsIWebProgress* progress, nsIRequest* request, uint32_t state) = 0;    // 7
};

class nsICacheEntryInfo : public nsISupports {
 public:
  KR_DECLARE_IID(0xfab51c92, 0x95c3, 0x4468, 0xb3, 0x17, 0x7d, 0xe4, 0xd7, 0x58, 0x82, 0x54)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 7)  // client, device, key, fetch count, times
  KR_METHOD GetDataSize(uint32_t* size) = 0;  // 10
  KR_SKIP(11, 1)  // IsStreamBased
};

class nsICacheEntryDescriptor : public nsICacheEntryInfo {
 public:
  KR_DECLARE_IID(0x49c1a11d, 0xf5d2, 0x4f09, 0x82, 0x62, 0x55, 0x1e, 0x64, 0x90, 0x8a, 0xda)
  KR_EXTENDS(nsICacheEntryInfo)
};

class nsICacheSession : public nsISupports {
 public:
  KR_DECLARE_IID(0xae9e84b5, 0x3e2d, 0x457e, 0x8f, 0xcd, 0x5b, 0xbd, 0x2a, 0x8b, 0x83, 0x2e)
  KR_EXTENDS(nsISupports)
  enum : int32_t { ACCESS_READ = 1 };
  KR_SKIP(3, 1)  // GetDoomEntriesIfExpired
  KR_METHOD SetDoomEntriesIfExpired(PRBool doom) = 0;  // 4
  KR_METHOD OpenCacheEntry(const nsACString& key, int32_t access, PRBool blocking,  // 5
                           nsICacheEntryDescriptor** entry) = 0;
};

class nsICacheService : public nsISupports {
 public:
  KR_IID_18_19((0xde114eb4, 0x29fc, 0x4959, 0xb2, 0xf7, 0x2d, 0x03, 0xeb, 0x9b, 0xc7, 0x71),
               (0x98dd0187, 0xaad4, 0x4cab, 0x82, 0xc5, 0x1a, 0xdd, 0xde, 0xf3, 0x62, 0x9d))
  KR_EXTENDS(nsISupports)
  enum : int32_t { STORE_ANYWHERE = 0 };
  KR_METHOD CreateSession(const char* client, int32_t storage, PRBool stream_based,  // 3
                          nsICacheSession** session) = 0;
};

// ---- events ----

class nsIDOMEventTarget : public nsISupports {
 public:
  KR_DECLARE_IID(0x1c773b30, 0xd1cf, 0x11d2, 0xbd, 0x95, 0x00, 0x80, 0x5f, 0x8a, 0xe3, 0xf4)
  KR_EXTENDS(nsISupports)
  KR_METHOD AddEventListener(const nsAString& type, nsIDOMEventListener* listener, PRBool capture) = 0;     // 3
  KR_METHOD RemoveEventListener(const nsAString& type, nsIDOMEventListener* listener, PRBool capture) = 0;  // 4
};

class nsIDOMEventListener : public nsISupports {
 public:
  KR_DECLARE_IID(0xdf31c120, 0xded6, 0x11d1, 0xbd, 0x85, 0x00, 0x80, 0x5f, 0x8a, 0xe3, 0xf4)
  KR_EXTENDS(nsISupports)
  KR_METHOD HandleEvent(nsIDOMEvent* event) = 0;  // 3
};

class nsIDOMEvent : public nsISupports {
 public:
  KR_DECLARE_IID(0xa66b7b80, 0xff46, 0xbd97, 0x00, 0x80, 0x5f, 0x8a, 0xe3, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetType(nsAString& type) = 0;                         // 3
  KR_METHOD GetTarget(nsIDOMEventTarget** target) = 0;            // 4
  KR_METHOD GetCurrentTarget(nsIDOMEventTarget** target) = 0;     // 5
};

// The event's target before retargeting (the event answers it beside nsIDOMEvent).
class nsIDOMNSEvent : public nsISupports {
 public:
  KR_DECLARE_IID(0xe565d518, 0x4510, 0x407f, 0xa3, 0xd9, 0x3b, 0x41, 0x07, 0x54, 0x9c, 0x6d)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetOriginalTarget(nsIDOMEventTarget** target) = 0;  // 3
};

// ---- nodes and elements ----

class nsIDOMNode : public nsISupports {
 public:
  KR_DECLARE_IID(0xa6cf907c, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetNodeName(nsAString& name) = 0;  // 3
  KR_SKIP(4, 3)  // Get/SetNodeValue, GetNodeType
  KR_METHOD GetParentNode(nsIDOMNode** parent) = 0;  // 7
  KR_SKIP(8, 6)  // child nodes, siblings, attributes
  KR_METHOD GetOwnerDocument(nsIDOMDocument** document) = 0;  // 14
  KR_SKIP(15, 13)  // tree changes, namespaces, HasAttributes
};

class nsIDOMNodeList : public nsISupports {
 public:
  KR_DECLARE_IID(0xa6cf907d, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsISupports)
  KR_METHOD Item(uint32_t index, nsIDOMNode** node) = 0;  // 3
  KR_METHOD GetLength(uint32_t* length) = 0;              // 4
};

class nsIDOMHTMLCollection : public nsISupports {
 public:
  KR_DECLARE_IID(0xa6cf9083, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetLength(uint32_t* length) = 0;              // 3
  KR_METHOD Item(uint32_t index, nsIDOMNode** node) = 0;  // 4
};

class nsIDOMElement : public nsIDOMNode {
 public:
  KR_DECLARE_IID(0xa6cf9078, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsIDOMNode)
  KR_METHOD GetTagName(nsAString& name) = 0;                             // 28
  KR_METHOD GetAttribute(const nsAString& name, nsAString& value) = 0;   // 29
  KR_SKIP(30, 14)  // attribute changes, nodes, namespaces
};

class nsIDOMHTMLElement : public nsIDOMElement {
 public:
  KR_DECLARE_IID(0xa6cf9085, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsIDOMElement)
  KR_METHOD GetId(nsAString& id) = 0;  // 44
  KR_SKIP(45, 7)  // SetId, title, lang, dir
  KR_METHOD GetClassName(nsAString& name) = 0;  // 52
  KR_SKIP(53, 1)  // SetClassName
};

class nsIDOMXULElement : public nsIDOMElement {
 public:
  KR_IID_18_19((0x0574ed81, 0xc088, 0x11d2, 0x96, 0xed, 0x00, 0x10, 0x4b, 0x7b, 0x7d, 0xeb),
               (0x30a4a815, 0xb42a, 0x4f0b, 0x9c, 0x10, 0x1e, 0x7f, 0x72, 0x7c, 0xd1, 0x35))
  KR_EXTENDS(nsIDOMElement)
  KR_METHOD GetId(nsAString& id) = 0;  // 44
  KR_SKIP(45, 1)  // SetId
  KR_METHOD GetClassName(nsAString& name) = 0;  // 46
#if KR_GECKO >= 190
  KR_SKIP(47, 59)  // attributes of the XUL box, database, builder, resource, controllers
  KR_METHOD GetBoxObject(nsIBoxObject** box) = 0;  // 106
#else
  KR_SKIP(47, 60)  // attributes of the XUL box, database, builder, resource, controllers
  KR_METHOD GetBoxObject(nsIBoxObject** box) = 0;  // 107
#endif
};

class nsIDOMHTMLImageElement : public nsIDOMHTMLElement {
 public:
  KR_DECLARE_IID(0xa6cf90ab, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsIDOMHTMLElement)
  KR_SKIP(54, 8)  // name, align, alt, border
  KR_METHOD GetHeight(int32_t* height) = 0;  // 62
  KR_SKIP(63, 7)  // SetHeight, hspace, isMap, longDesc
  KR_METHOD GetSrc(nsAString& src) = 0;  // 70
  KR_SKIP(71, 5)  // SetSrc, useMap, vspace
  KR_METHOD GetWidth(int32_t* width) = 0;  // 76
};

class nsIDOMHTMLFrameElement : public nsIDOMHTMLElement {
 public:
  KR_DECLARE_IID(0xa6cf90b9, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsIDOMHTMLElement)
  KR_SKIP(54, 16)  // frame border, long description, margins, name, resizing, scrolling, src
  KR_METHOD GetContentDocument(nsIDOMDocument** document) = 0;  // 70
};

class nsIDOMHTMLIFrameElement : public nsIDOMHTMLElement {
 public:
  KR_DECLARE_IID(0xa6cf90ba, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsIDOMHTMLElement)
  KR_SKIP(54, 20)  // align, frame border, height, long description, margins, name, scrolling, src, width
  KR_METHOD GetContentDocument(nsIDOMDocument** document) = 0;  // 74
};

class nsIBoxObject : public nsISupports {
 public:
  KR_IID_18_19((0xcaabf76f, 0x9d35, 0x401f, 0xbe, 0xac, 0x39, 0x55, 0x81, 0x7c, 0x64, 0x5c),
               (0xce572460, 0xb0f2, 0x4650, 0xa9, 0xe7, 0xc5, 0x3a, 0x99, 0xd3, 0xb6, 0xad))
  KR_EXTENDS(nsISupports)
#if KR_GECKO >= 190
  KR_SKIP(3, 3)  // element, x, y
#else
  KR_SKIP(3, 7)  // element, layout and paint managers, x, y
#endif
  KR_METHOD GetScreenX(int32_t* x) = 0;       // 10 (1.9: 6)
  KR_METHOD GetScreenY(int32_t* y) = 0;       // 11 (1.9: 7)
  KR_METHOD GetWidth(int32_t* width) = 0;     // 12 (1.9: 8)
  KR_METHOD GetHeight(int32_t* height) = 0;   // 13 (1.9: 9)
};

// ---- documents ----

class nsIDOMDocument : public nsIDOMNode {
 public:
  KR_DECLARE_IID(0xa6cf9075, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsIDOMNode)
  KR_SKIP(28, 11)  // doctype, implementation, document element, node factories
  KR_METHOD GetElementsByTagName(const nsAString& tag, nsIDOMNodeList** list) = 0;  // 39
  KR_SKIP(40, 4)  // ImportNode, CreateElementNS, CreateAttributeNS, GetElementsByTagNameNS
  KR_METHOD GetElementById(const nsAString& id, nsIDOMElement** element) = 0;  // 44
};

// The document's window (as an abstract view).
class nsIDOMDocumentView : public nsISupports {
 public:
  KR_DECLARE_IID(0x1acdb2ba, 0x1dd2, 0x11b2, 0x95, 0xbc, 0x95, 0x42, 0x49, 0x5d, 0x25, 0x69)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetDefaultView(nsIDOMAbstractView** view) = 0;  // 3
};

// The document's box objects (XUL layout) among its other extensions.
class nsIDOMNSDocument : public nsISupports {
 public:
  KR_IID_18_19((0xa6cf90cd, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32),
               (0x533a8131, 0x8d0c, 0x4ebf, 0x99, 0x0b, 0x7f, 0xad, 0x7c, 0xd5, 0x14, 0xee))
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 9)  // character set, dir, location, title, content type, last modified, referrer
  KR_METHOD GetBoxObjectFor(nsIDOMElement* element, nsIBoxObject** box) = 0;  // 12
};

class nsIDOMHTMLDocument : public nsIDOMDocument {
 public:
  KR_DECLARE_IID(0xa6cf9084, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsIDOMDocument)
  KR_SKIP(45, 4)  // title, referrer, domain
  KR_METHOD GetURL(nsAString& url) = 0;                     // 49
  KR_METHOD GetBody(nsIDOMHTMLElement** body) = 0;          // 50
  KR_SKIP(51, 1)  // SetBody
  KR_METHOD GetImages(nsIDOMHTMLCollection** images) = 0;   // 52
};

class nsIDOMCSSStyleDeclaration : public nsISupports {
 public:
  KR_DECLARE_IID(0xa6cf90be, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 2)  // Get/SetCssText
  KR_METHOD GetPropertyValue(const nsAString& name, nsAString& value) = 0;  // 5
};

class nsIDOMAbstractView : public nsISupports {
 public:
  KR_DECLARE_IID(0xf51ebade, 0x8b1a, 0x11d3, 0xaa, 0xe7, 0x00, 0x10, 0x83, 0x01, 0x23, 0xb4)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 1)  // GetDocument
};

class nsIDOMViewCSS : public nsIDOMAbstractView {
 public:
  KR_DECLARE_IID(0x0b9341f3, 0x95d4, 0x4fa4, 0xad, 0xcd, 0xe1, 0x19, 0xe0, 0xdb, 0x28, 0x89)
  KR_EXTENDS(nsIDOMAbstractView)
  KR_METHOD GetComputedStyle(nsIDOMElement* element, const nsAString& pseudo,  // 4
                             nsIDOMCSSStyleDeclaration** style) = 0;
};

// ---- windows ----

class nsIDOMWindow : public nsISupports {
 public:
  KR_DECLARE_IID(0xa6cf906b, 0x15b3, 0x11d2, 0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetDocument(nsIDOMDocument** document) = 0;  // 3
  KR_METHOD GetParent(nsIDOMWindow** parent) = 0;        // 4
  KR_METHOD GetTop(nsIDOMWindow** top) = 0;              // 5
  KR_SKIP(6, 14)  // bars, frames, name, zoom, scrolling, selection, SizeToContent
};

class nsIDOMWindow2 : public nsIDOMWindow {
 public:
  KR_IID_18_19((0x65455132, 0xb96a, 0x40ec, 0xad, 0xea, 0x52, 0xfa, 0x22, 0xb1, 0x02, 0x8c),
               (0x73c5fa35, 0x3add, 0x4c87, 0xa3, 0x03, 0xa8, 0x50, 0xcc, 0xf4, 0xd6, 0x5a))
  KR_EXTENDS(nsIDOMWindow)
#if KR_GECKO >= 190
  KR_SKIP(20, 2)  // GetWindowRoot, GetApplicationCache
#else
  KR_SKIP(20, 1)  // GetWindowRoot
#endif
};

// The window's own view: the selected tab's content window and full screen.
class nsIDOMWindowInternal : public nsIDOMWindow2 {
 public:
  KR_IID_18_19((0xf914492c, 0x0138, 0x4123, 0xa6, 0x34, 0x6e, 0xf8, 0xe3, 0xf1, 0x26, 0xf8),
               (0x3414ebc7, 0x731f, 0x4697, 0x9f, 0x43, 0xac, 0xa6, 0xf5, 0x05, 0x08, 0x75))
  KR_EXTENDS(nsIDOMWindow2)
  KR_SKIP(21, 5)  // window, self, navigator, screen, history (1.8: slots 21-25; 1.9: 22-26)
  KR_METHOD GetContent(nsIDOMWindow** content) = 0;  // 26 (1.9: 27)
  KR_SKIP(27, 35)  // prompter, bars, closed, crypto, opener, status, sizes, positions (1.8: 27-61; 1.9: 28-62)
  KR_METHOD GetFullScreen(PRBool* full_screen) = 0;  // 62 (1.9: 63)
};

// A chrome (browser) window; the project asks for it by identifier only.
class nsIDOMChromeWindow : public nsISupports {
 public:
  KR_IID_18_19((0x445fa0fc, 0x2151, 0x4cb4, 0x83, 0xd3, 0x34, 0xc3, 0xe3, 0x94, 0x53, 0xde),
               (0x847fac33, 0x48a8, 0x4360, 0xbf, 0xbc, 0x6b, 0xb9, 0x62, 0x45, 0x40, 0x4d))
  KR_EXTENDS(nsISupports)
};

class nsIWebNavigation : public nsISupports {
 public:
  KR_DECLARE_IID(0xf5d9e7b0, 0xd930, 0x11d3, 0xb0, 0x57, 0x00, 0xa0, 0x24, 0xff, 0xc0, 0x8c)
  KR_EXTENDS(nsISupports)
};

class nsIDocShellTreeNode : public nsISupports {
 public:
  KR_DECLARE_IID(0x37f1ab73, 0xf224, 0x44b1, 0x82, 0xf0, 0xd2, 0x83, 0x4a, 0xb1, 0xce, 0xc0)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 5)  // children
};

#if KR_GECKO >= 190
class nsIDocShellTreeItem : public nsIDocShellTreeNode {
 public:
  KR_DECLARE_IID(0x09b54ec1, 0xd98a, 0x49a9, 0xbc, 0x95, 0x32, 0x19, 0xe8, 0xb5, 0x50, 0x89)
  KR_EXTENDS(nsIDocShellTreeNode)
  KR_SKIP(8, 10)  // name, type, parents, roots, FindItemWithName
  KR_METHOD GetTreeOwner(nsIDocShellTreeOwner** owner) = 0;  // 18
};
#else
class nsIDocShellTreeItem : public nsISupports {
 public:
  KR_DECLARE_IID(0x7d935d63, 0x6d2a, 0x4600, 0xaf, 0xb5, 0x9a, 0x4f, 0x7d, 0x68, 0xb8, 0x25)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 10)  // name, type, parents, roots, FindItemWithName
  KR_METHOD GetTreeOwner(nsIDocShellTreeOwner** owner) = 0;  // 13
};
#endif

// The owner of a docshell tree (the XUL window's); asked for nsIInterfaceRequestor to reach the
// XUL window.
class nsIDocShellTreeOwner : public nsISupports {
 public:
  KR_IID_18_19((0x9e508466, 0x5ebb, 0x4618, 0xab, 0xfa, 0x9a, 0xd4, 0x7b, 0xed, 0x0b, 0x2e),
               (0xbc0eb30e, 0x656e, 0x491e, 0xa7, 0xae, 0x7f, 0x46, 0x0b, 0x66, 0x0c, 0x8d))
  KR_EXTENDS(nsISupports)
};

class nsIXULWindow : public nsISupports {
 public:
  KR_DECLARE_IID(0xb6c2f9e1, 0x53a0, 0x45f2, 0xa2, 0xb8, 0xfe, 0x37, 0x86, 0x1f, 0xe8, 0xa8)
  KR_EXTENDS(nsISupports)
  KR_METHOD GetDocShell(nsIDocShell** docshell) = 0;  // 3
};

class nsIBaseWindow : public nsISupports {
 public:
  KR_DECLARE_IID(0x046bc8a0, 0x8015, 0x11d3, 0xaf, 0x70, 0x00, 0xa0, 0x24, 0xff, 0xc0, 0x8c)
  KR_EXTENDS(nsISupports)
  KR_SKIP(3, 12)  // creation, position and size, Repaint, GetParentWidget, SetParentWidget
  KR_METHOD GetParentNativeWindow(void** native_window) = 0;  // 15
};

}  // namespace kr
