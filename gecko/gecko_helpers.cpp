#include "gecko/gecko_helpers.h"

#include "gecko/kestrin_interfaces.h"
#include "common/url/page_address.h"
#include "platform/win/module.h"

namespace GeckoHelpersNS {

const char kWrapperContractID[] = "@torvan/KestrinWrapper";
const char kEngineContractID[] = "@torvan/KestrinComponent";
const char kCertDownloaderContractID[] = "@torvan/CCertDownloader";
const char kStartupCategory[] = "xpcom-startup";
const char kWrapperEntry[] = "KestrinWrapper";

namespace {

// Held raw and let go only by ReleaseManagers: a static owner's destructor would release them
// while the library unloads, after XPCOM may be gone.
kr::nsIComponentManager* g_components = nullptr;
kr::nsIServiceManager* g_services = nullptr;
kr::nsIMemory* g_memory = nullptr;

kr::nsIMemory* Memory() {
  if (!g_memory && g_services) {
    g_services->GetServiceByContractID("@mozilla.org/xpcom/memory-service;1", kr::nsIMemory::IID(),
                                       reinterpret_cast<void**>(&g_memory));
  }
  return g_memory;
}

}  // namespace

void SetComponentManager(kr::nsIComponentManager* manager) {
  if (manager == g_components) return;
  ReleaseManagers();
  if (!manager) return;
  manager->AddRef();
  g_components = manager;
  if (kr::NS_FAILED(manager->QueryInterface(kr::nsIServiceManager::IID(), reinterpret_cast<void**>(&g_services))))
    g_services = nullptr;
}

kr::nsIComponentManager* GetComponentManager() { return g_components; }
kr::nsIServiceManager* GetServiceManager() { return g_services; }

void ReleaseManagers() {
  // Released by hand: the globals are raw on purpose (see there).
  if (g_memory) g_memory->Release();
  if (g_services) g_services->Release();
  if (g_components) g_components->Release();
  g_memory = nullptr;
  g_services = nullptr;
  g_components = nullptr;
}

void FreeBuffer(void* buffer) {
  if (!buffer) return;
  if (kr::nsIMemory* memory = Memory()) memory->Free(buffer);
}

std::string AddressToNarrow(const std::wstring& text) {
  return UrlNS::NarrowPageAddress(text.c_str(), text.size());
}

std::string PageTextToNarrow(const std::wstring& text) {
  return UrlNS::EscapeNonAscii(text.c_str(), text.size());
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(size > 0 ? size : 0, L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size);
  return out;
}

nsCOMPtr<kr::nsIDocShellTreeItem> TreeItemOf(kr::nsIDOMWindow* window) {
  nsCOMPtr<kr::nsIInterfaceRequestor> requestor;
  nsCOMPtr<kr::nsIWebNavigation> navigation;
  nsCOMPtr<kr::nsIDocShellTreeItem> item;
  if (kr::NS_FAILED(requestor.QueryFrom(window)) ||
      kr::NS_FAILED(requestor->GetInterface(kr::nsIWebNavigation::IID(), navigation.OutVoid())) || !navigation ||
      kr::NS_FAILED(item.QueryFrom(navigation.get()))) {
    return nsCOMPtr<kr::nsIDocShellTreeItem>();
  }
  return item;
}

nsCOMPtr<kr::nsIInterfaceRequestor> TreeOwnerOf(kr::nsIDOMWindow* window) {
  nsCOMPtr<kr::nsIDocShellTreeItem> item = TreeItemOf(window);
  nsCOMPtr<kr::nsIDocShellTreeOwner> owner;
  nsCOMPtr<kr::nsIInterfaceRequestor> requestor;
  if (!item || kr::NS_FAILED(item->GetTreeOwner(owner.Out())) || !owner ||
      kr::NS_FAILED(requestor.QueryFrom(owner.get()))) {
    return nsCOMPtr<kr::nsIInterfaceRequestor>();
  }
  return requestor;
}

nsCOMPtr<kr::nsIDOMWindow> WindowOfDocument(kr::nsIDOMDocument* document) {
  nsCOMPtr<kr::nsIDOMDocumentView> view_of;
  nsCOMPtr<kr::nsIDOMAbstractView> view;
  nsCOMPtr<kr::nsIDOMWindow> window;
  if (kr::NS_FAILED(view_of.QueryFrom(document)) || kr::NS_FAILED(view_of->GetDefaultView(view.Out())) || !view ||
      kr::NS_FAILED(window.QueryFrom(view.get()))) {
    return nsCOMPtr<kr::nsIDOMWindow>();
  }
  return window;
}

HWND NativeWindowOf(kr::nsIDOMWindow* window) {
  nsCOMPtr<kr::nsIInterfaceRequestor> owner = TreeOwnerOf(window);
  nsCOMPtr<kr::nsIXULWindow> xul_window;
  nsCOMPtr<kr::nsIDocShell> docshell;
  nsCOMPtr<kr::nsIBaseWindow> base;
  void* native = nullptr;
  if (!owner || kr::NS_FAILED(owner->GetInterface(kr::nsIXULWindow::IID(), xul_window.OutVoid())) || !xul_window ||
      kr::NS_FAILED(xul_window->GetDocShell(docshell.Out())) || kr::NS_FAILED(base.QueryFrom(docshell.get())) ||
      kr::NS_FAILED(base->GetParentNativeWindow(&native))) {
    return nullptr;
  }
  return static_cast<HWND>(native);
}

HMODULE GetComponentModule() { return KestrinWinNS::CodeModule(); }

}  // namespace GeckoHelpersNS
