// The component's own XPCOM interfaces (listed in its type library IKestrin.xpt), with their
// identifiers, and the identifiers and contract IDs of its three components.
#pragma once

#include "gecko/xpcom/interfaces.h"

namespace kr {

class IKestrinWrapper;
class nsICertWaiter;

class IKestrin : public nsISupports {
 public:
  KR_DECLARE_IID(0x00C78B54, 0x0A28, 0x42E8, 0xA2, 0x79, 0xBD, 0x23, 0xF4, 0x86, 0xD8, 0x36)
  KR_METHOD Init(nsISupports* window, nsISupports* observer_service, nsISupports* service_manager,
                 IKestrinWrapper* wrapper) = 0;
  KR_METHOD OnNavigateComplete(const PRUnichar* url, nsIRequest* request) = 0;
};

class IKestrinWrapper : public nsISupports {
 public:
  KR_DECLARE_IID(0xDE0BB922, 0x9D1B, 0x46E2, 0xBD, 0xB5, 0xDE, 0x75, 0x10, 0x0B, 0x3B, 0x89)
  KR_METHOD GetPadlockBox(void* top_window, nsISupports** result) = 0;
  KR_METHOD GetEVElement(void* top_window, nsISupports** result) = 0;
  KR_METHOD GetToolbarElement(void* top_window, nsISupports** result) = 0;
};

class nsICertDownloader : public nsISupports {
 public:
  KR_DECLARE_IID(0x5613C613, 0x3360, 0x4F4E, 0x83, 0x19, 0x47, 0x85, 0xEF, 0x43, 0x67, 0xC7)
  KR_METHOD GetCert(const char* url, nsICertWaiter* waiter) = 0;
};

class nsICertWaiter : public nsISupports {
 public:
  KR_DECLARE_IID(0xA1AE5372, 0x9410, 0x496B, 0xB7, 0x33, 0x6B, 0x5F, 0xA4, 0x2A, 0x51, 0x73)
  KR_METHOD OnCertDownloadComplete(nsISupports* cert) = 0;
};

}  // namespace kr

namespace GeckoHelpersNS {

// {FB82CECB-F280-4FF1-AD91-677087C1F130}
const kr::nsCID kWrapperCID = {0xFB82CECB, 0xF280, 0x4FF1, {0xAD, 0x91, 0x67, 0x70, 0x87, 0xC1, 0xF1, 0x30}};
// {A7F45F3E-0211-4523-9473-8610E5991E5C}
const kr::nsCID kEngineCID = {0xA7F45F3E, 0x0211, 0x4523, {0x94, 0x73, 0x86, 0x10, 0xE5, 0x99, 0x1E, 0x5C}};
// {5F426D0A-0C36-4420-9BBD-8E7F0A08C88B}
const kr::nsCID kCertDownloaderCID = {0x5F426D0A, 0x0C36, 0x4420, {0x9B, 0xBD, 0x8E, 0x7F, 0x0A, 0x08, 0xC8, 0x8B}};

extern const char kWrapperContractID[];         // "@torvan/KestrinWrapper"
extern const char kEngineContractID[];          // "@torvan/KestrinComponent"
extern const char kCertDownloaderContractID[];  // "@torvan/CCertDownloader"
extern const char kStartupCategory[];           // "xpcom-startup"
extern const char kWrapperEntry[];              // "KestrinWrapper"

}  // namespace GeckoHelpersNS
