// Collects the server certificate of an https site: sends a secure request to the URL, takes
// the certificate the TLS handshake produced and abandons the request before any response is
// read. The waiter is called on the thread that built the collector, with the reports of the
// request layer.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "common/web/server_request.h"

namespace WebUtilsNS {

class ISslCollectWaiter {
 public:
  // The waiter keeps the context and frees it (CertFreeCertificateContext).
  virtual void OnCertificateCollected(PCCERT_CONTEXT cert) = 0;
  // No certificate: the host could not be reached, the handshake failed or none was offered.
  virtual void OnCollectionFinished() = 0;

 protected:
  ~ISslCollectWaiter() {}
};

class CSslCertCollector : public CServerRequest {
 public:
  explicit CSslCertCollector(const char* user_agent) : CServerRequest(user_agent) {}
  explicit CSslCertCollector(UINT user_agent_resource) : CServerRequest(user_agent_resource) {}

  // False without URL or waiter, or when the request could not be sent (the waiter then hears
  // nothing). Otherwise the waiter hears exactly one of its two operations.
  bool Collect(const char* url, ISslCollectWaiter* waiter);

 protected:
  WINHTTP_STATUS_CALLBACK RequestCallback() const override { return &CSslCertCollector::StatusCallback; }
  bool HandleReport(const QueuedReport& report) override;

 private:
  class CCollectContext;
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, void* info,
                                      DWORD info_length);
};

}  // namespace WebUtilsNS
