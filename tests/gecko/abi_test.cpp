// The component's declarations of the platform's interfaces against the platform's facts, for the
// browser platform this program is built for (KR_GECKO): every interface's identifier and parent,
// and every declared method's vtable slot and parameter types. The table is written from the
// platform's published layouts, independently of the declarations: a method in a wrong slot, on
// a wrong interface or with a wrong type (a C++ bool for PRBool, a character pointer for a string
// object) and a wrong identifier fail here.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "gecko/kestrin_interfaces.h"

namespace {

using namespace kr;  // NOLINT: the table names the platform's types as the platform does

// The vtable slot of a virtual method, from its member-function pointer (the Itanium C++ ABI the
// compiler follows stores 1 + the slot's byte offset for a virtual function).
template <class M>
int SlotOf(M method) {
  static_assert(sizeof(M) == 2 * sizeof(void*), "member function pointer of two words");
  struct {
    uintptr_t pointer;
    ptrdiff_t adjust;
  } raw;
  memcpy(&raw, &method, sizeof(raw));
  if ((raw.pointer & 1) == 0 || raw.adjust != 0) return -1;  // not virtual, or not on the primary base
  return static_cast<int>((raw.pointer - 1) / sizeof(void*));
}

std::string IidText(const nsIID& iid) {
  char text[40];
  snprintf(text, sizeof(text), "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
           static_cast<unsigned long>(iid.Data1), iid.Data2, iid.Data3, iid.Data4[0], iid.Data4[1], iid.Data4[2],
           iid.Data4[3], iid.Data4[4], iid.Data4[5], iid.Data4[6], iid.Data4[7]);
  return text;
}

#if KR_GECKO >= 190
#define PICK(gecko18, gecko19) gecko19
#else
#define PICK(gecko18, gecko19) gecko18
#endif

struct Method {
  const char* name;
  int slot;
  int expected;
  bool types;
};

// I::M in slot s18 (Gecko 1.8) / s19 (Gecko 1.9), returning R with the parameters listed.
#define METHOD_R(R, I, M, s18, s19, ...) \
  {#I "::" #M, SlotOf(&I::M), PICK(s18, s19), std::is_same<decltype(&I::M), R (__stdcall I::*)(__VA_ARGS__)>::value}
#define METHOD(I, M, s18, s19, ...) METHOD_R(nsresult, I, M, s18, s19, __VA_ARGS__)

TEST(GeckoInterfaces, EveryMethodSitsInItsSlotWithThePlatformsTypes) {
  const Method methods[] = {
      METHOD_R(ULONG, nsISupports, AddRef, 1, 1),
      METHOD_R(void*, nsIMemory, Alloc, 3, 3, size_t),
      METHOD_R(void*, nsIMemory, Realloc, 4, 4, void*, size_t),
      METHOD_R(void, nsIMemory, Free, 5, 5, void*),
      METHOD(nsIFactory, CreateInstance, 3, 3, nsISupports*, const nsIID&, void**),
      METHOD(nsIFactory, LockFactory, 4, 4, PRBool),
      METHOD(nsIModule, GetClassObject, 3, 3, nsIComponentManager*, const nsCID&, const nsIID&, void**),
      METHOD(nsIModule, RegisterSelf, 4, 4, nsIComponentManager*, nsIFile*, const char*, const char*),
      METHOD(nsIModule, UnregisterSelf, 5, 5, nsIComponentManager*, nsIFile*, const char*),
      METHOD(nsIModule, CanUnload, 6, 6, nsIComponentManager*, PRBool*),
      METHOD(nsIComponentManager, GetClassObject, 3, 3, const nsCID&, const nsIID&, void**),
      METHOD(nsIComponentManager, GetClassObjectByContractID, 4, 4, const char*, const nsIID&, void**),
      METHOD(nsIComponentManager, CreateInstance, 5, 5, const nsCID&, nsISupports*, const nsIID&, void**),
      METHOD(nsIComponentManager, CreateInstanceByContractID, 6, 6, const char*, nsISupports*, const nsIID&, void**),
      METHOD(nsIServiceManager, GetService, 3, 3, const nsCID&, const nsIID&, void**),
      METHOD(nsIServiceManager, GetServiceByContractID, 4, 4, const char*, const nsIID&, void**),
      METHOD(nsIComponentRegistrar, RegisterFactoryLocation, 7, 7, const nsCID&, const char*, const char*, nsIFile*,
             const char*, const char*),
      METHOD(nsIComponentRegistrar, UnregisterFactoryLocation, 8, 8, const nsCID&, nsIFile*),
      METHOD(nsICategoryManager, GetCategoryEntry, 3, 3, const char*, const char*, char**),
      METHOD(nsICategoryManager, AddCategoryEntry, 4, 4, const char*, const char*, const char*, PRBool, PRBool, char**),
      METHOD(nsICategoryManager, DeleteCategoryEntry, 5, 5, const char*, const char*, PRBool),
      METHOD(nsIObserver, Observe, 3, 3, nsISupports*, const char*, const PRUnichar*),
      METHOD(nsIObserverService, AddObserver, 3, 3, nsIObserver*, const char*, PRBool),
      METHOD(nsIObserverService, RemoveObserver, 4, 4, nsIObserver*, const char*),
      METHOD(nsIObserverService, NotifyObservers, 5, 5, nsISupports*, const char*, const PRUnichar*),
      METHOD(nsISupportsPrimitive, GetType, 3, 3, uint16_t*),
      METHOD(nsISupportsPRBool, GetData, 4, 4, PRBool*),
      METHOD(nsISupportsPRBool, SetData, 5, 5, PRBool),
      METHOD(nsISupportsVoid, GetData, 4, 4, void**),
      METHOD(nsISupportsVoid, SetData, 5, 5, void*),
      METHOD(nsISimpleEnumerator, HasMoreElements, 3, 3, PRBool*),
      METHOD(nsISimpleEnumerator, GetNext, 4, 4, nsISupports**),
      METHOD(nsIArray, GetLength, 3, 3, uint32_t*),
      METHOD(nsIArray, QueryElementAt, 4, 4, uint32_t, const nsIID&, void**),
      METHOD(nsIArray, IndexOf, 5, 5, uint32_t, nsISupports*, uint32_t*),
      METHOD(nsIArray, Enumerate, 6, 6, nsISimpleEnumerator**),
      METHOD(nsIMutableArray, AppendElement, 7, 7, nsISupports*, PRBool),
      METHOD(nsIMutableArray, Clear, 11, 11),
      METHOD(nsISupportsWeakReference, GetWeakReference, 3, 3, nsIWeakReference**),
      METHOD(nsIWeakReference, QueryReferent, 3, 3, const nsIID&, void**),
      METHOD(nsITimerCallback, Notify, 3, 3, nsITimer*),
      METHOD(nsITimer, InitWithCallback, 5, 5, nsITimerCallback*, uint32_t, uint32_t),
      METHOD(nsITimer, Cancel, 6, 6),
      METHOD(nsIPrefBranch, GetCharPref, 7, 7, const char*, char**),
      METHOD(nsIPrefBranch, SetCharPref, 8, 8, const char*, const char*),
      METHOD(nsIPrefService, GetBranch, 7, 7, const char*, nsIPrefBranch**),
      METHOD(nsIInterfaceRequestor, GetInterface, 3, 3, const nsIID&, void**),
      METHOD(nsIRequest, GetName, 3, 3, nsACString&),
      METHOD(nsIRequest, IsPending, 4, 4, PRBool*),
      METHOD(nsIRequest, GetStatus, 5, 5, nsresult*),
      METHOD(nsIRequest, Cancel, 6, 6, nsresult),
      METHOD(nsIChannel, GetURI, 15, 15, nsIURI**),
      METHOD(nsIChannel, SetNotificationCallbacks, 19, 19, nsIInterfaceRequestor*),
      METHOD(nsIChannel, GetSecurityInfo, 20, 20, nsISupports**),
      METHOD(nsIChannel, AsyncOpen, 28, 28, nsIStreamListener*, nsISupports*),
      METHOD(nsIURI, GetSpec, 3, 3, nsACString&),
      METHOD(nsIURI, SetScheme, 7, 7, const nsACString&),
      METHOD(nsIIOService, NewURI, 5, 5, const nsACString&, const char*, nsIURI*, nsIURI**),
      METHOD(nsIIOService, NewChannelFromURI, 7, 7, nsIURI*, nsIChannel**),
      METHOD(nsIRequestObserver, OnStartRequest, 3, 3, nsIRequest*, nsISupports*),
      METHOD(nsIRequestObserver, OnStopRequest, 4, 4, nsIRequest*, nsISupports*, nsresult),
      METHOD(nsIStreamListener, OnDataAvailable, 5, 5, nsIRequest*, nsISupports*, nsIInputStream*, uint32_t, uint32_t),
#if KR_GECKO >= 190
      METHOD(nsIBadCertListener2, NotifyCertProblem, 3, 3, nsIInterfaceRequestor*, nsISSLStatus*, const nsACString&,
             PRBool*),
#endif
      METHOD(nsISSLStatusProvider, GetSSLStatus, 3, 3, nsISupports**),
      METHOD(nsISSLStatus, GetServerCert, 3, 3, nsIX509Cert**),
      METHOD(nsIX509Cert, GetChain, 23, 23, nsIArray**),
      METHOD(nsIX509Cert, GetRawDER, 28, 28, uint32_t*, uint8_t**),
      METHOD(nsIX509CertDB, FindCertByNickname, 3, 3, nsISupports*, const nsAString&, nsIX509Cert**),
      METHOD(nsIWebProgress, AddProgressListener, 3, 3, nsIWebProgressListener*, uint32_t),
      METHOD(nsIWebProgress, RemoveProgressListener, 4, 4, nsIWebProgressListener*),
      METHOD(nsIWebProgress, GetDOMWindow, 5, 5, nsIDOMWindow**),
      METHOD(nsIWebProgressListener, OnStateChange, 3, 3, nsIWebProgress*, nsIRequest*, uint32_t, nsresult),
      METHOD(nsIWebProgressListener, OnProgressChange, 4, 4, nsIWebProgress*, nsIRequest*, int32_t, int32_t, int32_t,
             int32_t),
      METHOD(nsIWebProgressListener, OnLocationChange, 5, 5, nsIWebProgress*, nsIRequest*, nsIURI*),
      METHOD(nsIWebProgressListener, OnStatusChange, 6, 6, nsIWebProgress*, nsIRequest*, nsresult, const PRUnichar*),
      METHOD(nsIWebProgressListener, OnSecurityChange, 7, 7, nsIWebProgress*, nsIRequest*, uint32_t),
      METHOD(nsICacheEntryInfo, GetDataSize, 10, 10, uint32_t*),
      METHOD(nsICacheSession, SetDoomEntriesIfExpired, 4, 4, PRBool),
      METHOD(nsICacheSession, OpenCacheEntry, 5, 5, const nsACString&, int32_t, PRBool, nsICacheEntryDescriptor**),
      METHOD(nsICacheService, CreateSession, 3, 3, const char*, int32_t, PRBool, nsICacheSession**),
      METHOD(nsIDOMEventTarget, AddEventListener, 3, 3, const nsAString&, nsIDOMEventListener*, PRBool),
      METHOD(nsIDOMEventTarget, RemoveEventListener, 4, 4, const nsAString&, nsIDOMEventListener*, PRBool),
      METHOD(nsIDOMEventListener, HandleEvent, 3, 3, nsIDOMEvent*),
      METHOD(nsIDOMEvent, GetType, 3, 3, nsAString&),
      METHOD(nsIDOMEvent, GetTarget, 4, 4, nsIDOMEventTarget**),
      METHOD(nsIDOMEvent, GetCurrentTarget, 5, 5, nsIDOMEventTarget**),
      METHOD(nsIDOMNSEvent, GetOriginalTarget, 3, 3, nsIDOMEventTarget**),
      METHOD(nsIDOMNode, GetNodeName, 3, 3, nsAString&),
      METHOD(nsIDOMNode, GetParentNode, 7, 7, nsIDOMNode**),
      METHOD(nsIDOMNode, GetOwnerDocument, 14, 14, nsIDOMDocument**),
      METHOD(nsIDOMNodeList, Item, 3, 3, uint32_t, nsIDOMNode**),
      METHOD(nsIDOMNodeList, GetLength, 4, 4, uint32_t*),
      METHOD(nsIDOMHTMLCollection, GetLength, 3, 3, uint32_t*),
      METHOD(nsIDOMHTMLCollection, Item, 4, 4, uint32_t, nsIDOMNode**),
      METHOD(nsIDOMElement, GetTagName, 28, 28, nsAString&),
      METHOD(nsIDOMElement, GetAttribute, 29, 29, const nsAString&, nsAString&),
      METHOD(nsIDOMHTMLElement, GetId, 44, 44, nsAString&),
      METHOD(nsIDOMHTMLElement, GetClassName, 52, 52, nsAString&),
      METHOD(nsIDOMXULElement, GetId, 44, 44, nsAString&),
      METHOD(nsIDOMXULElement, GetClassName, 46, 46, nsAString&),
      METHOD(nsIDOMXULElement, GetBoxObject, 107, 106, nsIBoxObject**),
      METHOD(nsIDOMHTMLImageElement, GetHeight, 62, 62, int32_t*),
      METHOD(nsIDOMHTMLImageElement, GetSrc, 70, 70, nsAString&),
      METHOD(nsIDOMHTMLImageElement, GetWidth, 76, 76, int32_t*),
      METHOD(nsIDOMHTMLFrameElement, GetContentDocument, 70, 70, nsIDOMDocument**),
      METHOD(nsIDOMHTMLIFrameElement, GetContentDocument, 74, 74, nsIDOMDocument**),
      METHOD(nsIBoxObject, GetScreenX, 10, 6, int32_t*),
      METHOD(nsIBoxObject, GetScreenY, 11, 7, int32_t*),
      METHOD(nsIBoxObject, GetWidth, 12, 8, int32_t*),
      METHOD(nsIBoxObject, GetHeight, 13, 9, int32_t*),
      METHOD(nsIDOMDocument, GetElementsByTagName, 39, 39, const nsAString&, nsIDOMNodeList**),
      METHOD(nsIDOMDocument, GetElementById, 44, 44, const nsAString&, nsIDOMElement**),
      METHOD(nsIDOMDocumentView, GetDefaultView, 3, 3, nsIDOMAbstractView**),
      METHOD(nsIDOMNSDocument, GetBoxObjectFor, 12, 12, nsIDOMElement*, nsIBoxObject**),
      METHOD(nsIDOMHTMLDocument, GetURL, 49, 49, nsAString&),
      METHOD(nsIDOMHTMLDocument, GetBody, 50, 50, nsIDOMHTMLElement**),
      METHOD(nsIDOMHTMLDocument, GetImages, 52, 52, nsIDOMHTMLCollection**),
      METHOD(nsIDOMCSSStyleDeclaration, GetPropertyValue, 5, 5, const nsAString&, nsAString&),
      METHOD(nsIDOMViewCSS, GetComputedStyle, 4, 4, nsIDOMElement*, const nsAString&, nsIDOMCSSStyleDeclaration**),
      METHOD(nsIDOMWindow, GetDocument, 3, 3, nsIDOMDocument**),
      METHOD(nsIDOMWindow, GetParent, 4, 4, nsIDOMWindow**),
      METHOD(nsIDOMWindow, GetTop, 5, 5, nsIDOMWindow**),
      METHOD(nsIDOMWindowInternal, GetContent, 26, 27, nsIDOMWindow**),
      METHOD(nsIDOMWindowInternal, GetFullScreen, 62, 63, PRBool*),
      METHOD(nsIDocShellTreeItem, GetTreeOwner, 13, 18, nsIDocShellTreeOwner**),
      METHOD(nsIXULWindow, GetDocShell, 3, 3, nsIDocShell**),
      METHOD(nsIBaseWindow, GetParentNativeWindow, 15, 15, void**),
  };
  for (const Method& m : methods) {
    SCOPED_TRACE(m.name);
    EXPECT_EQ(m.expected, m.slot);
    EXPECT_TRUE(m.types) << "parameter or result types differ from the platform's";
  }
}

struct Interface {
  const char* name;
  const nsIID& iid;
  const char* expected;
  bool parent;
};

// I's identifier (iid18 for Gecko 1.8, iid19 for 1.9) and the interface it extends.
#define INTERFACE(I, P, iid18, iid19) {#I, I::IID(), PICK(iid18, iid19), std::is_same<I::Parent, P>::value}
#define SAME(I, P, iid) INTERFACE(I, P, iid, iid)

TEST(GeckoInterfaces, EveryInterfaceCarriesThePlatformsIdentifierAndParent) {
  const Interface interfaces[] = {
      SAME(nsISupports, void, "00000000-0000-0000-c000-000000000046"),
      SAME(nsIFactory, nsISupports, "00000001-0000-0000-c000-000000000046"),
      SAME(nsIModule, nsISupports, "7392d032-5371-11d3-994e-00805fd26fee"),
      SAME(nsIComponentManager, nsISupports, "a88e5a60-205a-4bb1-94e1-2628daf51eae"),
      SAME(nsIServiceManager, nsISupports, "8bb35ed9-e332-462d-9155-4a002ab5c958"),
      SAME(nsIComponentRegistrar, nsISupports, "2417cbfe-65ad-48a6-b4b6-eb84db174392"),
      SAME(nsICategoryManager, nsISupports, "3275b2cd-af6d-429a-80d7-f0c5120342ac"),
      SAME(nsIMemory, nsISupports, "59e7e77a-38e4-11d4-8cf5-0060b0fc14a3"),
      SAME(nsIObserver, nsISupports, "db242e01-e4d9-11d2-9dde-000064657374"),
      SAME(nsIObserverService, nsISupports, "d07f5192-e3d1-11d2-8acd-00105a1b8860"),
      SAME(nsISupportsPrimitive, nsISupports, "d0d4b136-1dd1-11b2-9371-f0727ef827c0"),
      SAME(nsISupportsPRBool, nsISupportsPrimitive, "ddc3b490-4a1c-11d3-9890-006008962422"),
      SAME(nsISupportsVoid, nsISupportsPrimitive, "464484f0-568d-11d3-baf8-00805f8a5dd7"),
      SAME(nsISimpleEnumerator, nsISupports, "d1899240-f9d2-11d2-bdd6-000064657374"),
      SAME(nsIArray, nsISupports, "114744d9-c369-456e-b55a-52fe52880d2d"),
      SAME(nsIMutableArray, nsIArray, "af059da0-c85b-40ec-af07-ae4bfdc192cc"),
      SAME(nsISupportsWeakReference, nsISupports, "9188bc86-f92e-11d2-81ef-0060083a0bcf"),
      SAME(nsIWeakReference, nsISupports, "9188bc85-f92e-11d2-81ef-0060083a0bcf"),
      SAME(nsITimerCallback, nsISupports, "a796816d-7d47-4348-9ab8-c7aeb3216a7d"),
      SAME(nsITimer, nsISupports, "436a83fa-b396-11d9-bcfa-00112478d626"),
      SAME(nsIPrefBranch, nsISupports, "56c35506-f14b-11d3-99d3-ddbfac2ccf65"),
      SAME(nsIPrefService, nsISupports, "decb9cc7-c08f-4ea5-be91-a8fc637ce2d2"),
      SAME(nsIInterfaceRequestor, nsISupports, "033a1470-8b2a-11d3-af88-00a024ffc08c"),
      SAME(nsIRequest, nsISupports, "ef6bfbd2-fd46-48d8-96b7-9f8f0fd387fe"),
      SAME(nsIChannel, nsIRequest, "c63a055a-a676-4e71-bf3c-6cfa11082018"),
      SAME(nsIURI, nsISupports, "07a22cc0-0ce5-11d3-9331-00104ba0fd40"),
      SAME(nsIIOService, nsISupports, "bddeda3f-9020-4d12-8c70-984ee9f7935e"),
      SAME(nsIRequestObserver, nsISupports, "fd91e2e0-1481-11d3-9333-00104ba0fd40"),
      SAME(nsIStreamListener, nsIRequestObserver, "1a637020-1482-11d3-9333-00104ba0fd40"),
#if KR_GECKO >= 190
      SAME(nsIBadCertListener2, nsISupports, "2c3d268c-ad82-49f3-99aa-e9ffddd7a0dc"),
#endif
      SAME(nsISSLStatusProvider, nsISupports, "8de811f0-1dd2-11b2-8bf1-e9aa324984b2"),
      INTERFACE(nsISSLStatus, nsISupports, "7b2ca1ca-1dd2-11b2-87ec-d217dbe22b85",
                "cfede939-def1-49be-81ed-d401b3a07d1c"),
      SAME(nsIX509Cert, nsISupports, "f0980f60-ee3d-11d4-998b-00b0d02354a0"),
      SAME(nsIX509CertDB, nsISupports, "da48b3c0-1284-11d5-ac67-000064657374"),
      SAME(nsIWebProgress, nsISupports, "570f39d0-efd0-11d3-b093-00a024ffc08c"),
      SAME(nsIWebProgressListener, nsISupports, "570f39d1-efd0-11d3-b093-00a024ffc08c"),
      SAME(nsICacheEntryInfo, nsISupports, "fab51c92-95c3-4468-b317-7de4d7588254"),
      SAME(nsICacheEntryDescriptor, nsICacheEntryInfo, "49c1a11d-f5d2-4f09-8262-551e64908ada"),
      SAME(nsICacheSession, nsISupports, "ae9e84b5-3e2d-457e-8fcd-5bbd2a8b832e"),
      INTERFACE(nsICacheService, nsISupports, "de114eb4-29fc-4959-b2f7-2d03eb9bc771",
                "98dd0187-aad4-4cab-82c5-1adddef3629d"),
      SAME(nsIDOMEventTarget, nsISupports, "1c773b30-d1cf-11d2-bd95-00805f8ae3f4"),
      SAME(nsIDOMEventListener, nsISupports, "df31c120-ded6-11d1-bd85-00805f8ae3f4"),
      SAME(nsIDOMEvent, nsISupports, "a66b7b80-ff46-bd97-0080-5f8ae38add32"),
      SAME(nsIDOMNSEvent, nsISupports, "e565d518-4510-407f-a3d9-3b4107549c6d"),
      SAME(nsIDOMNode, nsISupports, "a6cf907c-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMNodeList, nsISupports, "a6cf907d-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMHTMLCollection, nsISupports, "a6cf9083-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMElement, nsIDOMNode, "a6cf9078-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMHTMLElement, nsIDOMElement, "a6cf9085-15b3-11d2-932e-00805f8add32"),
      INTERFACE(nsIDOMXULElement, nsIDOMElement, "0574ed81-c088-11d2-96ed-00104b7b7deb",
                "30a4a815-b42a-4f0b-9c10-1e7f727cd135"),
      SAME(nsIDOMHTMLImageElement, nsIDOMHTMLElement, "a6cf90ab-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMHTMLFrameElement, nsIDOMHTMLElement, "a6cf90b9-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMHTMLIFrameElement, nsIDOMHTMLElement, "a6cf90ba-15b3-11d2-932e-00805f8add32"),
      INTERFACE(nsIBoxObject, nsISupports, "caabf76f-9d35-401f-beac-3955817c645c",
                "ce572460-b0f2-4650-a9e7-c53a99d3b6ad"),
      SAME(nsIDOMDocument, nsIDOMNode, "a6cf9075-15b3-11d2-932e-00805f8add32"),
      INTERFACE(nsIDOMNSDocument, nsISupports, "a6cf90cd-15b3-11d2-932e-00805f8add32",
                "533a8131-8d0c-4ebf-990b-7fad7cd514ee"),
      SAME(nsIDOMDocumentView, nsISupports, "1acdb2ba-1dd2-11b2-95bc-9542495d2569"),
      SAME(nsIDOMHTMLDocument, nsIDOMDocument, "a6cf9084-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMCSSStyleDeclaration, nsISupports, "a6cf90be-15b3-11d2-932e-00805f8add32"),
      SAME(nsIDOMAbstractView, nsISupports, "f51ebade-8b1a-11d3-aae7-0010830123b4"),
      SAME(nsIDOMViewCSS, nsIDOMAbstractView, "0b9341f3-95d4-4fa4-adcd-e119e0db2889"),
      SAME(nsIDOMWindow, nsISupports, "a6cf906b-15b3-11d2-932e-00805f8add32"),
      INTERFACE(nsIDOMWindow2, nsIDOMWindow, "65455132-b96a-40ec-adea-52fa22b1028c",
                "73c5fa35-3add-4c87-a303-a850ccf4d65a"),
      INTERFACE(nsIDOMWindowInternal, nsIDOMWindow2, "f914492c-0138-4123-a634-6ef8e3f126f8",
                "3414ebc7-731f-4697-9f43-aca6f5050875"),
      INTERFACE(nsIDOMChromeWindow, nsISupports, "445fa0fc-2151-4cb4-83d3-34c3e39453de",
                "847fac33-48a8-4360-bfbc-6bb96245404d"),
      SAME(nsIWebNavigation, nsISupports, "f5d9e7b0-d930-11d3-b057-00a024ffc08c"),
      SAME(nsIDocShellTreeNode, nsISupports, "37f1ab73-f224-44b1-82f0-d2834ab1cec0"),
      INTERFACE(nsIDocShellTreeItem, PICK(nsISupports, nsIDocShellTreeNode), "7d935d63-6d2a-4600-afb5-9a4f7d68b825",
                "09b54ec1-d98a-49a9-bc95-3219e8b55089"),
      INTERFACE(nsIDocShellTreeOwner, nsISupports, "9e508466-5ebb-4618-abfa-9ad47bed0b2e",
                "bc0eb30e-656e-491e-a7ae-7f460b660c8d"),
      SAME(nsIXULWindow, nsISupports, "b6c2f9e1-53a0-45f2-a2b8-fe37861fe8a8"),
      SAME(nsIBaseWindow, nsISupports, "046bc8a0-8015-11d3-af70-00a024ffc08c"),
      INTERFACE(nsIDocShell, nsISupports, "9f0c7461-b9a4-47f6-b88c-421dce1bce66",
                "7d1cf6b9-daa3-476d-8f9f-9eb2a971a95c"),
      SAME(nsIFile, nsISupports, "c8c0a080-0868-11d3-915f-d9d889d48e3c"),
      SAME(nsIInputStream, nsISupports, "fa9c7f6c-61b3-11d4-9877-00c04fa0cf4a"),
  };
  for (const Interface& i : interfaces) {
    SCOPED_TRACE(i.name);
    EXPECT_EQ(i.expected, IidText(i.iid));
    EXPECT_TRUE(i.parent) << "extends another interface than the platform's";
  }
}

}  // namespace
