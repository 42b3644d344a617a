#include "common/sslverifier/ssl_verify_state.h"

#include "common/observe/observer_service.h"
#include "common/sslverifier/ssl_verify.h"
#include "common/windowing/validation_border.h"

namespace SslVerifyNS {

CSslVerifyState* CSslVerifyState::Idle() {
  static CSslVerifyState idle;
  return &idle;
}

CSslVerifyState* CSslVerifyStateProcessing::Instance() {
  static CSslVerifyStateProcessing processing;
  return &processing;
}

CSslVerifyState* CSslVerifyStateHttps::Instance() {
  static CSslVerifyStateHttps https;
  return &https;
}

CSslVerifyState* CSslVerifyStateHttpsAuto::Instance() {
  static CSslVerifyStateHttpsAuto https_auto;
  return &https_auto;
}

void CSslVerifyStateProcessing::OnHover(CSslVerifyBase* verifier, const POINT* point) {
  if (verifier->GetBorder())
    verifier->GetBorder()->ShowBorder(WindowingNS::BorderKind::kVerification, false,
                                      verifier->GetCertClass() == kCertVerified);
}

void CSslVerifyStateProcessing::OnAutoShow(CSslVerifyBase* verifier, const POINT* point) {
  verifier->RememberAutoShow(point);
}

void CSslVerifyStateProcessing::OnLeave(CSslVerifyBase* verifier, bool delayed) {
  if (verifier->GetBorder()) verifier->GetBorder()->HideBorder(WindowingNS::HideOrigin::kPointer, false);
}

void CSslVerifyStateHttps::OnHover(CSslVerifyBase* verifier, const POINT* point) {
  verifier->ShowPopup(point, false);
}

void CSslVerifyStateHttps::OnLeave(CSslVerifyBase* verifier, bool delayed) {
  ISslVerifyPopup* popup = verifier->GetPopup();
  if (popup && popup->Hide(delayed) && verifier->GetBorder())
    verifier->GetBorder()->HideBorder(WindowingNS::HideOrigin::kPointer, false);
}

void CSslVerifyStateHttps::OnNotify(CSslVerifyBase* verifier, DWORD event) {
  if (event == ObserveNS::kEventTrustedListRebuilt && verifier->GetCertificate()) verifier->ReclassifyCertificate();
}

void CSslVerifyStateHttpsAuto::OnAutoShow(CSslVerifyBase* verifier, const POINT* point) {
  verifier->ShowPopup(point, true);
}

}  // namespace SslVerifyNS
