// The per-window engine "@torvan/KestrinComponent": one per top-level content window (one per
// tab). It looks the page's host up in the site-seal service, scans the finished document for
// seal candidates, shows the border while the pointer rests on a verified seal, and runs the
// SSL verifier whose certificate comes from the navigation's own request.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/log/log_helper.h"
#include "common/observe/observer_service.h"
#include "common/settings/settings.h"
#include "common/shadowmouse/shadow_mouse.h"
#include "common/siteseal/nlr_list.h"
#include "common/siteseal/site_seal_lookup.h"
#include "common/warning/warning_window.h"
#include "common/web/server_request.h"
#include "common/windowing/validation_border.h"
#include "gecko/kestrin_interfaces.h"
#include "gecko/ssl_verify_gecko.h"

namespace GeckoHelpersNS {

// The lookup of the Gecko road: the browser manages its own connection, so there is no
// connected-state check and nothing is put online.
class CGeckoSiteSealLookup : public CSiteSealLookup {
 public:
  using CSiteSealLookup::CSiteSealLookup;

 protected:
  bool GetConnectedState(DWORD* flags) override;
  bool GoOnline(const char* url) override;
};

class Kestrin : public kr::CXPCOMObject<kr::nsIObserver, kr::IKestrin, kr::nsIDOMEventListener>,
                public WebUtilsNS::IRequestWaiter,
                public ObserveNS::IObserver,
                public SslVerifyNS::ISslVerifyOwner,
                private ISiteSealList {
 public:
  Kestrin();

  // IKestrin
  KR_METHOD Init(kr::nsISupports* window, kr::nsISupports* observer_service, kr::nsISupports* service_manager,
                 kr::IKestrinWrapper* wrapper) override;
  KR_METHOD OnNavigateComplete(const kr::PRUnichar* url, kr::nsIRequest* request) override;
  // nsIObserver
  KR_METHOD Observe(kr::nsISupports* subject, const char* topic, const kr::PRUnichar* data) override;
  // nsIDOMEventListener
  KR_METHOD HandleEvent(kr::nsIDOMEvent* event) override;
  // IRequestWaiter
  void OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) override;
  void OnRequestFailed(DWORD request_id, DWORD error) override;
  // IObserver (settings saved)
  void Notify(DWORD event) override;
  // ISslVerifyOwner
  bool IsTabActive() override { return tab_selected_; }

  // The pointer effect toward the best-placed verified seal; true when it started.
  bool ShowShadowMouse();

  // State, for tests and the demo.
  HWND GetBrowserWindow() const { return browser_window_; }
  SslVerifyNS::CSslVerifyGecko* GetSslVerifier() { return verifier_.get(); }
  CNLRList* GetNLRList() { return &nlr_list_; }
  CSiteSealLookup* GetSiteSealLookup() { return &lookup_; }
  WarningWindowNS::CConnectionWarningWindow* GetConnectionWarning() { return &connection_warning_; }
  ShadowMouseNS::CShadowMouseEngine* GetShadowMouseEngine() { return &shadow_; }
  bool IsBorderByMouseOver() const { return border_by_mouse_over_; }
  bool IsDocumentScanned() const { return scan_done_; }
  bool IsEffectShown() const { return effect_shown_; }
  bool ArePadlockTopicsRegistered() const { return padlock_topics_; }
  size_t GetListenedElementCount() const { return images_.size() + backgrounds_.size(); }
  POINT GetEffectTarget() const { return effect_target_; }
  static int GetLiveCount();

 private:
  ~Kestrin() override;
  Kestrin(const Kestrin&) = delete;
  Kestrin& operator=(const Kestrin&) = delete;

  // ISiteSealList: the lookup fills the page's list.
  void Clear() override { nlr_list_.Clear(); }
  void SetHost(const char* host) override { nlr_list_.SetHost(host); }
  void SetPageAddress(const char* url) override { nlr_list_.SetPageAddress(url); }
  void ResetImages() override { nlr_list_.ResetImages(); }
  int AddCertificate(const BYTE* der, DWORD length) override { return nlr_list_.AddCertificate(der, length); }
  DWORD GetCount() override { return nlr_list_.GetCount(); }
  void SetCertificatesDownloaded() override { nlr_list_.SetCertificatesDownloaded(true); }
  bool AreImagesCollected() override { return nlr_list_.ImagesCollected(); }
  int VerifyImages() override { return nlr_list_.VerifyImages(); }

  HWND FindBrowserWindow();
  void ComputeTabSelected();
  void ResetPage();
  void StopActivity();
  void ShutDown();
  void SetPadlockTopics(bool on);
  void RemoveElementListeners();
  void ScanPage(kr::nsIDOMHTMLDocument* document);
  void ScanDocument(kr::nsIDOMHTMLDocument* document);
  void AddImage(kr::nsIDOMElement* element);
  void AddBackground(kr::nsIDOMElement* element, const std::string& document_url);
  std::string ComputedBackground(kr::nsIDOMElement* element);
  int CachedSize(const std::string& url);
  void OnSealMouseOver(kr::nsIDOMEvent* event);
  void OnPadlockHover(kr::nsISupports* box_object);
  POINT AnchorOf(kr::nsIBoxObject* box);
  bool EffectTargetOf(const NLR& certificate, POINT* target);
  bool InForeground() const;
  void Diagnostic(const char* format, const std::string& argument, int level);

  HWND browser_window_ = nullptr;
  WindowingNS::CValidationBorder* border_;
  CNLRList nlr_list_;
  CGeckoSiteSealLookup lookup_;
  std::string url_;
  std::wstring wide_url_;
  bool border_by_mouse_over_ = false;
  std::unique_ptr<SslVerifyNS::CSslVerifyGecko> verifier_;
  DWORD kraida_state_ = 0;
  bool tab_selected_ = false;
  bool scan_done_ = false;
  bool page_scanned_ = false;
  kr::nsCOMPtr<kr::nsIDOMHTMLDocument> document_;
  kr::nsCOMPtr<kr::nsIDOMWindow> window_;
  kr::nsCOMPtr<kr::nsIObserverService> observers_;
  kr::nsCOMPtr<kr::nsIServiceManager> services_;
  kr::nsCOMPtr<kr::IKestrinWrapper> wrapper_;
  kr::nsCOMPtr<kr::nsIDOMViewCSS> view_css_;
  kr::nsCOMPtr<kr::nsICacheService> cache_service_;
  kr::nsCOMPtr<kr::nsICacheSession> cache_session_;
  SettingsUtilsNS::CSettingsKestrin settings_;
  ShadowMouseNS::CShadowMouseEngine shadow_;
  bool effect_shown_ = false;
  std::unique_ptr<ObserveNS::CObserverSubscription> settings_subscription_;
  std::vector<kr::nsCOMPtr<kr::nsIDOMElement>> images_;
  std::vector<kr::nsCOMPtr<kr::nsIDOMElement>> backgrounds_;
  LogHelperNS::CLogHelper* logger_;
  WarningWindowNS::CConnectionWarningWindow connection_warning_;
  bool registered_ = false;
  bool padlock_topics_ = false;
  bool window_listeners_ = false;
  POINT effect_target_ = {0, 0};
};

}  // namespace GeckoHelpersNS
