// The Gecko leaves of the SSL verifier and its popup: the certificate comes from the page's
// own request, and the popup stands above the browser's padlock.
#pragma once

#include <windows.h>

#include "common/sslverifier/ssl_verify.h"
#include "common/sslverify/ssl_verify_popup.h"
#include "gecko/xpcom/interfaces.h"

namespace SslVerifyNS {

// Resources of the Gecko popup in the component library.
enum {
  IDB_POPUP_GECKO_CERT = 200,
  IDB_POPUP_GECKO_LOW = 204,
  IDR_RGN_GECKO_CERT = 208,
  IDR_RGN_GECKO_LOW = 209,
};

class CSslVerifyGecko : public CSslVerifyBase {
 public:
  // `owner` answers whether the engine's tab is the selected one.
  explicit CSslVerifyGecko(ISslVerifyOwner* owner,
                           ObserveNS::IObserverService* service = ObserveNS::CObserverService::GetInstance());
  ~CSslVerifyGecko() override;
  // A background tab never shows a popup.
  bool ShowPopup(const POINT* point, bool auto_hide) override;
  // The certificate of the stored request's connection; without one the verifier stays in
  // the processing state until the next navigation.
  HRESULT StartCollection() override;

  // The navigation request of the current page (one reference; replaced at every navigation).
  void SetRequest(kr::nsIRequest* request) { request_ = request; }
  kr::nsIRequest* GetRequest() const { return request_.get(); }
  HCERTSTORE GetStore() const { return store_; }
  // Builds the popup of this leaf for the browser window written with SetBrowserWindow.
  void CreateGeckoPopup();

 private:
  ISslVerifyOwner* owner_;
  kr::nsCOMPtr<kr::nsIRequest> request_;
};

class CSslVerifyPopupGecko : public CSslVerifyPopup {
 public:
  CSslVerifyPopupGecko(WindowingNS::CValidationBorder* border, HWND frame);
  ~CSslVerifyPopupGecko() override;
  // Right edge at the anchor x (or 20 pixels inside the frame's right edge when no padlock is
  // known), bottom above the reference line: the anchor y, or 20 pixels above the frame's bottom.
  bool GetPopupPosition(POINT* position, const SIZE& screen) override;
};

}  // namespace SslVerifyNS
