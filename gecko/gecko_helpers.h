// What every piece of the Gecko component shares: the host's component and service managers
// (handed to NSGetModule), the host's memory service for buffers that cross XPCOM, string
// conversions, and the step from a DOM window to its native top-level window.
#pragma once

#include <windows.h>

#include <string>

#include "gecko/xpcom/interfaces.h"

namespace GeckoHelpersNS {

using kr::nsCOMPtr;
using kr::nsresult;

// The host's managers, as NSGetModule received them (one reference each; null before).
void SetComponentManager(kr::nsIComponentManager* manager);
kr::nsIComponentManager* GetComponentManager();
kr::nsIServiceManager* GetServiceManager();
// Drops the references (the host unloads the module).
void ReleaseManagers();

// A service by contract ID, asked for one interface.
template <class T>
nsresult GetService(const char* contract, nsCOMPtr<T>* out) {
  kr::nsIServiceManager* services = GetServiceManager();
  if (!services) return kr::NS_ERROR_NOT_AVAILABLE;
  return services->GetServiceByContractID(contract, T::IID(), out->OutVoid());
}
// A new instance by contract ID, asked for one interface.
template <class T>
nsresult CreateInstance(const char* contract, nsCOMPtr<T>* out) {
  kr::nsIComponentManager* components = GetComponentManager();
  if (!components) return kr::NS_ERROR_NOT_AVAILABLE;
  return components->CreateInstanceByContractID(contract, nullptr, T::IID(), out->OutVoid());
}

// Frees a buffer the browser allocated (strings, DER bytes) with its memory service.
void FreeBuffer(void* buffer);

// UTF-16 texts of the browser never go through the ANSI code page's best-fit mapping (a
// look-alike letter would become a plain one): a page address becomes its ASCII reading
// (punycode host), any other page text keeps ASCII and percent-encodes the rest as UTF-8.
std::string AddressToNarrow(const std::wstring& text);
std::string PageTextToNarrow(const std::wstring& text);

// UTF-8 (the browser's URI specs and other AUTF8String texts) to UTF-16.
std::wstring FromUtf8(const std::string& text);

// The docshell tree item of a DOM window: the window hands out its web navigation through its
// interface requestor (it does not answer the tree item itself), which is the docshell.
nsCOMPtr<kr::nsIDocShellTreeItem> TreeItemOf(kr::nsIDOMWindow* window);
// The tree owner of a DOM window's docshell, as the interface requestor it also is.
nsCOMPtr<kr::nsIInterfaceRequestor> TreeOwnerOf(kr::nsIDOMWindow* window);
// The window of a document (its default view, as a DOM window).
nsCOMPtr<kr::nsIDOMWindow> WindowOfDocument(kr::nsIDOMDocument* document);

// The native top-level window of a DOM window: tree owner's XUL window, its docshell as base
// window, the parent native window. Null when a step fails.
HWND NativeWindowOf(kr::nsIDOMWindow* window);

// The module handle of the component library (resources of the popup and toasts live there).
HMODULE GetComponentModule();

}  // namespace GeckoHelpersNS
