#include "gecko/cert_bridge.h"

#include "gecko/gecko_helpers.h"
#include "platform/win/scoped_handle.h"

namespace GeckoHelpersNS {

using kr::nsCOMPtr;
using kr::NS_FAILED;

const char kComponentVersion[] = "2.7.0.14";

namespace {

const DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// Adds one certificate's DER to the store; the browser's buffer is freed on every path.
bool AddDer(kr::nsIX509Cert* certificate, HCERTSTORE store, PCCERT_CONTEXT* added) {
  uint32_t length = 0;
  uint8_t* der = nullptr;
  if (!certificate || NS_FAILED(certificate->GetRawDER(&length, &der)) || !der) {
    FreeBuffer(der);
    return false;
  }
  BOOL ok = CertAddEncodedCertificateToStore(store, kEncoding, der, length, CERT_STORE_ADD_REPLACE_EXISTING, added);
  FreeBuffer(der);
  return ok != FALSE;
}

}  // namespace

bool GetServerCertificate(kr::nsIRequest* request, kr::nsIX509Cert** certificate) {
  if (!request || !certificate) return false;
  *certificate = nullptr;
  nsCOMPtr<kr::nsIChannel> channel;
  nsCOMPtr<kr::nsISupports> info;
  nsCOMPtr<kr::nsISSLStatusProvider> provider;
  nsCOMPtr<kr::nsISupports> status_object;
  nsCOMPtr<kr::nsISSLStatus> status;
  nsCOMPtr<kr::nsIX509Cert> server;
  if (NS_FAILED(channel.QueryFrom(request)) || NS_FAILED(channel->GetSecurityInfo(info.Out())) || !info ||
      NS_FAILED(provider.QueryFrom(info.get())) || NS_FAILED(provider->GetSSLStatus(status_object.Out())) ||
      NS_FAILED(status.QueryFrom(status_object.get())) || NS_FAILED(status->GetServerCert(server.Out())) ||
      !server) {
    return false;
  }
  *certificate = server.Detach();
  return true;
}

bool ConvertCertificate(kr::nsIX509Cert* certificate, PCCERT_CONTEXT* context, HCERTSTORE* store) {
  if (!context || !store) return false;
  // The caller's slots are raw by this function's contract: what they held is released here.
  if (*context) CertFreeCertificateContext(*context);
  if (*store) CertCloseStore(*store, 0);
  *context = nullptr;
  *store = nullptr;
  if (!certificate) return false;

  nsCOMPtr<kr::nsIArray> chain;
  uint32_t length = 0;
  if (NS_FAILED(certificate->GetChain(chain.Out())) || !chain || NS_FAILED(chain->GetLength(&length)) || length <= 1)
    return false;

  KestrinWinNS::CScopedCertStore memory(CertOpenStore(CERT_STORE_PROV_MEMORY, kEncoding, 0, 0, nullptr));
  if (!memory) return false;
  KestrinWinNS::CScopedCertContext server;
  bool ok = AddDer(certificate, memory.Get(), server.Receive());
  for (uint32_t i = 0; ok && i < length; ++i) {
    nsCOMPtr<kr::nsIX509Cert> element;
    ok = kr::NS_SUCCEEDED(chain->QueryElementAt(i, kr::nsIX509Cert::IID(), element.OutVoid())) &&
         AddDer(element.get(), memory.Get(), nullptr);
  }
  if (!ok) return false;
  *store = memory.Take();
  *context = server.Take();
  return true;
}

// ---- CCertDownloader ----

CCertDownloader::CCertDownloader() { GetService("@mozilla.org/network/io-service;1", &io_); }

CCertDownloader::~CCertDownloader() {}

kr::nsresult CCertDownloader::GetCert(const char* url, kr::nsICertWaiter* waiter) {
  if (!url || !waiter) return kr::NS_ERROR_ILLEGAL_VALUE;
  if (!io_) return kr::NS_ERROR_FAILURE;
  nsCOMPtr<kr::nsIURI> uri;
  kr::nsresult r = io_->NewURI(kr::CNarrowString(url), nullptr, nullptr, uri.Out());
  if (NS_FAILED(r)) return r;
  if (!uri) return kr::NS_ERROR_FAILURE;
  uri->SetScheme(kr::CNarrowString("https"));
  nsCOMPtr<kr::nsIChannel> channel;
  if (NS_FAILED(io_->NewChannelFromURI(uri.get(), channel.Out())) || !channel) return kr::NS_ERROR_FAILURE;
  channel->SetNotificationCallbacks(this);
  return channel->AsyncOpen(this, waiter);
}

kr::nsresult CCertDownloader::OnStartRequest(kr::nsIRequest* request, kr::nsISupports* context) {
  nsCOMPtr<kr::nsIX509Cert> certificate;
  if (!GetServerCertificate(request, certificate.Out())) return kr::NS_ERROR_ABORT;
  nsCOMPtr<kr::nsICertWaiter> waiter;
  if (kr::NS_SUCCEEDED(waiter.QueryFrom(context))) waiter->OnCertDownloadComplete(certificate.get());
  return kr::NS_OK;
}

kr::nsresult CCertDownloader::OnStopRequest(kr::nsIRequest*, kr::nsISupports*, kr::nsresult) {
  return kr::NS_ERROR_NOT_IMPLEMENTED;
}

kr::nsresult CCertDownloader::OnDataAvailable(kr::nsIRequest*, kr::nsISupports*, kr::nsIInputStream*, uint32_t,
                                              uint32_t) {
  return kr::NS_ERROR_NOT_IMPLEMENTED;
}

kr::nsresult CCertDownloader::GetInterface(const kr::nsIID& iid, void** result) {
  return QueryInterface(iid, result);
}

#if KR_GECKO >= 190
kr::nsresult CCertDownloader::NotifyCertProblem(kr::nsIInterfaceRequestor*, kr::nsISSLStatus*, const kr::nsACString&,
                                                kr::PRBool* suppress_error) {
  if (suppress_error) *suppress_error = kr::PR_FALSE;
  return kr::NS_ERROR_NOT_IMPLEMENTED;
}
#endif

// ---- CGeckoCertInstaller ----

CGeckoCertInstaller::CGeckoCertInstaller(HMODULE module) : module_(module) {
  if (kr::NS_SUCCEEDED(GetService("@mozilla.org/preferences-service;1", &prefs_)) && prefs_)
    prefs_->GetBranch("extensions.kestrin.", branch_.Out());
}

CGeckoCertInstaller::~CGeckoCertInstaller() {}

bool CGeckoCertInstaller::Run() {
  if (branch_) branch_->SetCharPref("currentVersion", kComponentVersion);
  return true;
}

}  // namespace GeckoHelpersNS
