// The SSL verifier beside each browser window: follows the top-level navigations, collects and
// classifies the server certificate of https pages, and drives the popup and the border through
// a small state machine of shared, data-free states.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <atomic>
#include <memory>
#include <string>

#include "common/observe/observer_service.h"
#include "common/sslverify/ssl_verify_popup_iface.h"
#include "common/subclass/browser_generation.h"
#include "common/web/server_request.h"
#include "common/web/ssl_cert_collector.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/window.h"

namespace WindowingNS {
class CValidationBorder;
}

namespace SslVerifyNS {

class CSslVerifyState;

// Certificate classes.
enum : int {
  kCertLowAssurance = 0,  // anything but the next
  kCertVerified = 1,      // organisation-validated and valid for the page's host
};

// What the verifier asks of the browser add-on instance that owns it.
class ISslVerifyOwner {
 public:
  // Browser generations with tabs: whether this instance's tab is the one in front.
  virtual bool IsTabActive() = 0;

 protected:
  ~ISslVerifyOwner() {}
};

// 0 or 1 for a server certificate and the page URL it was served for.
int ClassifyServerCertificate(PCCERT_CONTEXT certificate, const char* page_url);

class CSslVerifyBase : public ObserveNS::IObserver {
 public:
  // Runs the current state's event handling on the verifier's own thread.
  void Notify(DWORD event) override;
  virtual ~CSslVerifyBase();
  // Opens the popup at the point; with auto-hide the automatic show is used up.
  virtual bool ShowPopup(const POINT* point, bool auto_hide);
  virtual HRESULT StartCollection() = 0;

  // The owner writes the page URL, then calls OnNavigateComplete.
  void SetPageUrl(const char* url) { page_url_ = url ? url : ""; }
  const std::string& GetPageUrl() const { return page_url_; }
  void OnNavigateComplete();

  // The owner writes the browser frame, then calls CreatePopup once.
  void SetBrowserWindow(HWND frame) { frame_ = frame; }
  HWND GetBrowserWindow() const { return frame_; }
  void CreatePopup();
  // Puts a popup of the caller's in place of the one CreatePopup builds (takes ownership).
  void AdoptPopup(ISslVerifyPopup* popup);

  // Pointer events from the owner, handed to the current state.
  void OnHover(const POINT* point);
  void OnAutoShow(const POINT* point);
  void OnLeave(bool delayed);

  // The collected certificate: ownership passes to the verifier.
  void TakeCertificate(PCCERT_CONTEXT certificate);
  void ApplyCertificate();
  void ApplyNoCertificate();
  void ReclassifyCertificate();

  int GetCertClass() const { return cert_class_; }
  PCCERT_CONTEXT GetCertificate() const { return certificate_.Get(); }
  ISslVerifyPopup* GetPopup() const { return popup_.get(); }
  WindowingNS::CValidationBorder* GetBorder() const { return border_; }
  CSslVerifyState* GetState() const { return state_; }
  void SetState(CSslVerifyState* state) { state_ = state; }
  void RememberAutoShow(const POINT* point);
  void Replay();

 protected:
  explicit CSslVerifyBase(ObserveNS::IObserverService* service);

  std::string page_url_;
  HWND frame_ = nullptr;
  WindowingNS::CValidationBorder* border_;
  int cert_class_ = kCertLowAssurance;
  WebUtilsNS::CUrlChangeTracker tracker_;
  KestrinWinNS::CScopedCertStore store_;
  KestrinWinNS::CScopedCertContext certificate_;
  POINT auto_show_point_ = {0, 0};
  bool replay_ = false;
  std::unique_ptr<ISslVerifyPopup> popup_;
  CSslVerifyState* state_;
  std::unique_ptr<ObserveNS::CObserverSubscription> subscription_;

 private:
  static void PrepareTrustedList();

  // Events reach observers on the thread that raised them; the verifier and its popup belong to
  // the thread that built them, so events from elsewhere are posted to the hidden window that
  // the verifiers of that thread share.
  DWORD thread_id_;
  std::atomic<HWND> notify_window_{nullptr};  // read by the threads that raise events

  CSslVerifyBase(const CSslVerifyBase&) = delete;
  CSslVerifyBase& operator=(const CSslVerifyBase&) = delete;
};

// Internet Explorer 5 and 6: collects the certificate with a request of its own.
class CSslVerifyIE : public CSslVerifyBase, public WebUtilsNS::ISslCollectWaiter {
 public:
  explicit CSslVerifyIE(ObserveNS::IObserverService* service = ObserveNS::CObserverService::GetInstance());
  ~CSslVerifyIE() override;
  HRESULT StartCollection() override;
  void OnCertificateCollected(PCCERT_CONTEXT certificate) override;
  void OnCollectionFinished() override;

 private:
  WebUtilsNS::CSslCertCollector collector_;
};

// Internet Explorer 7 and 8: the popup opens only in the tab in front.
class CSslVerifyIE7 : public CSslVerifyIE {
 public:
  explicit CSslVerifyIE7(ISslVerifyOwner* owner,
                         ObserveNS::IObserverService* service = ObserveNS::CObserverService::GetInstance());
  bool ShowPopup(const POINT* point, bool auto_hide) override;

 private:
  ISslVerifyOwner* owner_;
};

// The verifier for the running browser generation (null for an unknown one).
std::unique_ptr<CSslVerifyBase> CreateSslVerifier(ISslVerifyOwner* owner);
// The same for a given generation: versions 5/6 the plain kind, 7/8 the tabbed kind.
std::unique_ptr<CSslVerifyBase> CreateSslVerifierFor(SubclassUtilsNS::BrowserGeneration generation,
                                                     ISslVerifyOwner* owner, ObserveNS::IObserverService* service);

}  // namespace SslVerifyNS
