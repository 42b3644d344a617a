// The verification popup as the SSL verifier drives it.
#pragma once

#include <windows.h>
#include <wincrypt.h>

namespace SslVerifyNS {

class ISslVerifyPopup {
 public:
  // Shows the popup; with auto-hide only while the browser frame is in front, and it hides
  // itself after a while. True when the popup was hidden before.
  virtual bool Show(bool auto_hide) = 0;
  // Hides at once, or after a short delay unless the pointer rests on the popup.
  virtual bool Hide(bool delayed) = 0;
  // The certificate (null: none) and its class choose the face and fill it.
  virtual bool SetCertificate(PCCERT_CONTEXT certificate, int cert_class) = 0;
  // The screen centre of the browser's padlock area.
  virtual void SetAnchorPoint(const POINT* point) = 0;
  virtual ~ISslVerifyPopup() {}
};

}  // namespace SslVerifyNS
