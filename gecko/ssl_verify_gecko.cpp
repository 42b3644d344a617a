#include "gecko/ssl_verify_gecko.h"

#include <memory>

#include "gecko/cert_bridge.h"

namespace SslVerifyNS {

namespace {

// The verifier's popup: the Gecko leaf, built on the first call that needs it.
class CGeckoPopupProxy : public ISslVerifyPopup {
 public:
  CGeckoPopupProxy(WindowingNS::CValidationBorder* border, HWND frame) : border_(border), frame_(frame) {}
  bool Show(bool auto_hide) override { return Real()->Show(auto_hide); }
  bool Hide(bool delayed) override { return Real()->Hide(delayed); }
  bool SetCertificate(PCCERT_CONTEXT certificate, int cert_class) override {
    return Real()->SetCertificate(certificate, cert_class);
  }
  void SetAnchorPoint(const POINT* point) override { Real()->SetAnchorPoint(point); }

 private:
  CSslVerifyPopup* Real() {
    if (!popup_) popup_ = std::make_unique<CSslVerifyPopupGecko>(border_, frame_);
    return popup_.get();
  }
  std::unique_ptr<CSslVerifyPopup> popup_;
  WindowingNS::CValidationBorder* border_;
  HWND frame_;
};

}  // namespace

CSslVerifyGecko::CSslVerifyGecko(ISslVerifyOwner* owner, ObserveNS::IObserverService* service)
    : CSslVerifyBase(service), owner_(owner) {}

CSslVerifyGecko::~CSslVerifyGecko() {}

bool CSslVerifyGecko::ShowPopup(const POINT* point, bool auto_hide) {
  if (!owner_ || !owner_->IsTabActive()) return false;
  return CSslVerifyBase::ShowPopup(point, auto_hide);
}

HRESULT CSslVerifyGecko::StartCollection() {
  kr::nsCOMPtr<kr::nsIX509Cert> certificate;
  if (!GeckoHelpersNS::GetServerCertificate(request_.get(), certificate.Out())) return E_FAIL;
  if (!GeckoHelpersNS::ConvertCertificate(certificate.get(), certificate_.Receive(), store_.Receive())) return E_FAIL;
  ApplyCertificate();
  return S_OK;
}

void CSslVerifyGecko::CreateGeckoPopup() {
  CreatePopup();
  AdoptPopup(new CGeckoPopupProxy(border_, frame_));
}

CSslVerifyPopupGecko::CSslVerifyPopupGecko(WindowingNS::CValidationBorder* border, HWND frame)
    : CSslVerifyPopup(border, frame) {
  LoadFaces(IDB_POPUP_GECKO_CERT, IDB_POPUP_GECKO_LOW, IDR_RGN_GECKO_CERT, IDR_RGN_GECKO_LOW);
}

CSslVerifyPopupGecko::~CSslVerifyPopupGecko() {}

bool CSslVerifyPopupGecko::GetPopupPosition(POINT* position, const SIZE&) {
  if (!position) return false;
  bool no_frame = IsRectEmpty(&frame_rect_) != FALSE;
  LONG y = no_frame ? anchor_.y : frame_rect_.bottom - 20;
  LONG x = anchor_.x >= 0 ? anchor_.x : frame_rect_.right - 20;
  position->x = x - width_;
  position->y = y - vertical_gap_ - height_;
  return true;
}

}  // namespace SslVerifyNS
