#include "common/web/ssl_cert_collector.h"

#include <new>
#include <string>

#include "platform/win/scoped_handle.h"

namespace WebUtilsNS {

class CSslCertCollector::CCollectContext : public CAsyncContext {
 public:
  ISslCollectWaiter* collect_waiter = nullptr;
  KestrinWinNS::CScopedCertContext cert;  // taken from the handshake, until the waiter has it
};

bool CSslCertCollector::Collect(const char* url, ISslCollectWaiter* waiter) {
  if (!url || !waiter) return false;
  auto* context = new (std::nothrow) CCollectContext();
  if (!context) return false;
  context->collect_waiter = waiter;
  return Send(url, nullptr, 0, REQUEST_FLAG_SECURE, context, std::wstring());
}

void CALLBACK CSslCertCollector::StatusCallback(HINTERNET, DWORD_PTR context_value, DWORD status, void*, DWORD) {
  auto* context = reinterpret_cast<CCollectContext*>(context_value);
  if (!context) return;
  // Only the end of the send matters: the certificate is taken at once, and nothing more is
  // asked of the request (its handles close with the report, before any response is read).
  if (status == WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE) {
    PCCERT_CONTEXT cert = nullptr;
    DWORD size = sizeof(cert);
    if (WinHttpQueryOption(context->request.Get(), WINHTTP_OPTION_SERVER_CERT_CONTEXT, &cert, &size))
      context->cert.Reset(cert);
    Report(context, WM_SERVER_REQUEST_COMPLETE, 0);
  } else if (status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
    Report(context, WM_SERVER_REQUEST_FAILED, 0);
  }
}

bool CSslCertCollector::HandleReport(const QueuedReport& report) {
  auto* context = static_cast<CCollectContext*>(report.context);
  if (report.message == WM_SERVER_REQUEST_COMPLETE && context->cert)
    context->collect_waiter->OnCertificateCollected(context->cert.Take());
  else
    context->collect_waiter->OnCollectionFinished();
  return true;
}

}  // namespace WebUtilsNS
