// The certificate bridge: from a finished Gecko request to CryptoAPI objects for the SSL
// verifier; the certificate downloader component; and the installer run before the browser
// reads its preferences.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <atomic>

#include "gecko/kestrin_interfaces.h"

namespace GeckoHelpersNS {

// The server certificate of a request's connection (AddRef'd into `certificate`): the request
// as channel, its security information's SSL status, the status's server certificate.
bool GetServerCertificate(kr::nsIRequest* request, kr::nsIX509Cert** certificate);

// Puts the certificate and its chain into a new memory store. The slots are the caller's: what
// they hold is released first, and they are empty again whenever the result is false. A
// certificate without a chain of at least two elements gives false. Every DER buffer the
// browser hands out is freed with its memory service as soon as it has been added.
bool ConvertCertificate(kr::nsIX509Cert* certificate, PCCERT_CONTEXT* context, HCERTSTORE* store);

// "@torvan/CCertDownloader": opens an https channel to a URL only to read its server
// certificate, which goes to the caller's waiter.
class CCertDownloader : public kr::CXPCOMObject<kr::nsICertDownloader, kr::nsIStreamListener,
                                                 kr::nsIInterfaceRequestor
#if KR_GECKO >= 190
                                                 , kr::nsIBadCertListener2
#endif
                                                 > {
 public:
  CCertDownloader();
  // nsICertDownloader
  KR_METHOD GetCert(const char* url, kr::nsICertWaiter* waiter) override;
  // nsIStreamListener
  KR_METHOD OnStartRequest(kr::nsIRequest* request, kr::nsISupports* context) override;
  KR_METHOD OnStopRequest(kr::nsIRequest* request, kr::nsISupports* context, kr::nsresult status) override;
  KR_METHOD OnDataAvailable(kr::nsIRequest* request, kr::nsISupports* context, kr::nsIInputStream* stream,
                            uint32_t offset, uint32_t count) override;
  // nsIInterfaceRequestor
  KR_METHOD GetInterface(const kr::nsIID& iid, void** result) override;
#if KR_GECKO >= 190
  // nsIBadCertListener2
  KR_METHOD NotifyCertProblem(kr::nsIInterfaceRequestor* socket_info, kr::nsISSLStatus* status,
                              const kr::nsACString& target_site, kr::PRBool* suppress_error) override;
#endif

 private:
  ~CCertDownloader() override;
  kr::nsCOMPtr<kr::nsIIOService> io_;
};

// Run once before the browser reads the user's preferences: records the component's version
// in the preference "extensions.kestrin.currentVersion" (the about dialog shows it where the
// browser has no extension manager).
class CGeckoCertInstaller {
 public:
  explicit CGeckoCertInstaller(HMODULE module);
  virtual ~CGeckoCertInstaller();
  bool Run();

 private:
  kr::nsCOMPtr<kr::nsIPrefService> prefs_;
  kr::nsCOMPtr<kr::nsIPrefBranch> branch_;
  HMODULE module_;
};

extern const char kComponentVersion[];  // "2.7.0.14"

}  // namespace GeckoHelpersNS
