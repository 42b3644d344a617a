#include "common/web/ssl_cert_collector.h"

#include <memory>
#include <new>

namespace WebUtilsNS {

bool CSslCertCollector::SetStatusCallback() {
  return InstallStatusCallback(&CSslCertCollector::StatusCallback);
}

bool CSslCertCollector::Collect(const char* url, ISslCollectWaiter* waiter) {
  if (!url || !waiter) return false;
  std::unique_ptr<CAsyncContext> context(new (std::nothrow) CAsyncContext());
  if (!context) return false;
  if (!OpenRequest(url, REQUEST_FLAG_SECURE, context.get())) return false;
  context->waiter = waiter;
  context->window = GetHwnd();
  CAsyncContext* raw = context.release();
  if (!WinHttpSendRequest(raw->request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                          reinterpret_cast<DWORD_PTR>(raw))) {
    delete raw;
    return false;
  }
  return true;
}

void CALLBACK CSslCertCollector::StatusCallback(HINTERNET, DWORD_PTR context_value, DWORD status, void*,
                                                DWORD) {
  auto* context = reinterpret_cast<CAsyncContext*>(context_value);
  if (!context) return;
  // Only the end of the send matters; nothing else is asked of the request.
  if (status == WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE)
    PostOrDestroy(context->window, WM_SERVER_REQUEST_COMPLETE, context, 0);
  else if (status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR)
    PostOrDestroy(context->window, WM_SERVER_REQUEST_FAILED, context, 0);
}

BOOL CSslCertCollector::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                             LRESULT& result) {
  if (message != WM_SERVER_REQUEST_COMPLETE && message != WM_SERVER_REQUEST_FAILED)
    return CServerRequestBase::ProcessWindowMessage(window, message, wparam, lparam, result);
  result = 0;
  // Destroying the context abandons the request: the response is never received.
  std::unique_ptr<CAsyncContext> context(reinterpret_cast<CAsyncContext*>(wparam));
  if (!context) return TRUE;
  PCCERT_CONTEXT cert = nullptr;
  DWORD size = sizeof(cert);
  if (message == WM_SERVER_REQUEST_COMPLETE &&
      WinHttpQueryOption(context->request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &cert, &size) && cert) {
    ISslCollectWaiter* waiter = context->waiter;
    context.reset();
    waiter->OnCertificateCollected(cert);
  } else {
    ISslCollectWaiter* waiter = context->waiter;
    context.reset();
    waiter->OnCollectionFinished();
  }
  return TRUE;
}

}  // namespace WebUtilsNS
