// The browser helper object: Internet Explorer makes one per browser window or tab and hands
// it the browser through SetSite. It listens to the browser's events, verifies each top-level
// page and turns pointer events on the page into the validation border.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/log/log_helper.h"
#include "common/navigation/refresh_helper.h"
#include "common/observe/observer_service.h"
#include "common/settings/settings.h"
#include "common/shadowmouse/shadow_mouse.h"
#include "common/siteseal/nlr_list.h"
#include "common/siteseal/site_seal_lookup.h"
#include "common/sslverifier/ssl_verify.h"
#include "common/subclass/subclass_helper.h"
#include "common/warning/warning_window.h"
#include "common/web/server_request.h"
#include "common/windowing/validation_border.h"
#include "ie/kestrin_ie_ids.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_values.h"

namespace KestrinIENS {

using KestrinComNS::CComPtr;

// Browser kind, from the host program's file name.
enum BrowserKind {
  kBrowserNone = 0,
  kBrowserInternetExplorer = 1,  // "iexplore.exe"
  kBrowserAol = 2,               // "aolservicehost.exe", "aexplore.exe"
  kBrowserNetscape = 3,          // "netscape.exe" in its IE mode
  kBrowserExplorer = 4,          // "explorer.exe"
};

// The kind of a host program path (any case); kBrowserNone for an unknown program.
BrowserKind BrowserKindFromPath(const char* path);

// The WinHTTP errors of the site-seal lookup that warn the user of a broken connection.
bool IsConnectionWarningError(DWORD error);

// Where the pointer effect must scroll the page so that its target (x, y), in screen
// coordinates, comes into the frame's client rectangle `client` (screen coordinates).
// `body_scroll_height` is the body's scrollHeight, or -1 when it cannot be read.
struct EffectScroll {
  enum Kind { kScrollTo, kScrollBy } kind;
  LONG h, v;          // the scroll call's arguments
  LONG x, y;          // the target after the scroll
};
EffectScroll PlaceEffectTarget(LONG x, LONG y, const RECT& client, LONG body_scroll_height);

// The page's CNLRList as the site-seal lookup fills it.
class CSiteSealListOf : public ISiteSealList {
 public:
  explicit CSiteSealListOf(CNLRList* list) : list_(list) {}
  void Clear() override { list_->Clear(); }
  void SetHost(const char* host) override { list_->SetHost(host); }
  void SetPageAddress(const char* url) override { list_->SetPageAddress(url); }
  void ResetImages() override { list_->ResetImages(); }
  int AddCertificate(const BYTE* der, DWORD length) override { return list_->AddCertificate(der, length); }
  DWORD GetCount() override { return list_->GetCount(); }
  void SetCertificatesDownloaded() override { list_->SetCertificatesDownloaded(true); }
  bool AreImagesCollected() override { return list_->ImagesCollected(); }
  int VerifyImages() override { return list_->VerifyImages(); }

 private:
  CNLRList* list_;  // not owned
};

class CKestrinBho : public IObjectWithSite,
                    public IKestrinBho,
                    public WebUtilsNS::IRequestWaiter,
                    public ObserveNS::IObserver,
                    public SubclassUtilsNS::ISubclassOwner,
                    public RefreshUtilsNS::IRefreshHelperOwner,
                    public SslVerifyNS::ISslVerifyOwner {
 public:
  // The browser generation is read from the system (GetBrowserVersion).
  CKestrinBho();
  // Tests choose the generation.
  explicit CKestrinBho(SubclassUtilsNS::BrowserGeneration generation);
  virtual ~CKestrinBho();
  HRESULT InternalQueryInterface(REFIID riid, void** out);

  // IObjectWithSite
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID riid, void** out) override;

  // IDispatch of IKestrinBho: the sink of DWebBrowserEvents2 and HTMLElementEvents2.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override;

  // IRequestWaiter
  void OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) override;
  void OnRequestFailed(DWORD request_id, DWORD error) override;
  // IObserver
  void Notify(DWORD event) override;

  // ISubclassOwner: what the frame subclassing reports.
  HWND GetBrowserWindow() override { return frame_window_; }
  HWND GetTabWindow() override { return tab_window_; }
  void OnLockAreaHover(LPARAM point) override;
  void OnLockAreaHoverInTab(LPARAM point) override;
  void OnLockAreaLeave() override;
  void OnViewFocusLost() override;
  void OnViewFocusGained() override;
  void OnFullScreen(HWND document) override;
  bool IsTabActive() override { return tab_active_; }

  // IRefreshHelperOwner and the browser events behind it.
  void OnBeforeNavigate2(DISPPARAMS* params) override;
  void OnNavigateComplete2(DISPPARAMS* params) override;
  void OnDocumentComplete(DISPPARAMS* params) override;
  void OnRefreshStarted() override;
  void OnRefreshDocumentComplete() override;
  void SetEffectShown() override { effect_shown_ = true; }

  void AutoShowSslPopup();
  // Whether and where the pointer effect runs; true when a target was found.
  bool ShowShadowMouse();

 protected:
  // Virtual operations after the IObjectWithSite slots.
  virtual HRESULT AdviseBrowserEvents();
  virtual void UnadviseBrowserEvents();
  virtual void OnQuit();
  virtual void CheckFullScreen();

 private:
  // Reads the instance's state for the tests.
  friend class CKestrinBhoTestPeer;

  CKestrinBho(const CKestrinBho&) = delete;
  CKestrinBho& operator=(const CKestrinBho&) = delete;

  void Construct();
  // The steps of SetSite. The host program behind the site: false for an unknown one (the
  // instance then holds nothing of the site); else the site and browser are taken.
  bool IdentifyHost(IUnknown* site);
  // The browser's frame and tab windows, whether the frame lives in this process, the
  // browser's events, and this instance counted on a tabbed frame.
  void ChooseFrame(IUnknown* site);
  // The feedback on the chosen frame: subclassing, the popup, the border, the seal list's
  // reports, the pointer effect and the toasts' focus.
  void AttachFeedback();
  // Gives up the site: the browser's events and the page's, the frame's registration and
  // subclassing, and every reference on the browser. Safe to call again.
  void ReleaseSite();
  // Takes this instance off the frame it was counted on.
  void LeaveFrame();
  bool IsTopLevelBrowser(const VARIANT* browser) const;
  void OnTabActivated();
  void OnTabDeactivated();
  void OnElementMouseOver();
  void OnElementMouseOut();
  std::vector<CComPtr<IHTMLElement>> EventSources() const;
  void HideBorder(WindowingNS::HideOrigin origin, bool force);
  void StopEffect();
  void LeaveSslState(int delayed);
  // The page collection: events and images of every document of the page.
  void CollectPage();
  void AttachPageEvents(IHTMLDocument2* document);
  void DetachPageEvents();
  // The top-level document, then none; `frames` gets the documents of embedded browsers.
  CComPtr<IHTMLDocument2> GetTopDocument(std::vector<CComPtr<IHTMLDocument2>>* frames) const;
  // Also starts the tray program, once per instance, when it is not running.
  void RunSiteSealLookup(const std::string& url);
  // Starts the tray program when it is not running, off this thread.
  void CheckTrayProgram();
  // The pointer effect's target for one certificate; false when a step fails.
  bool EffectTargetOf(const NLR& certificate, POINT* target, CComPtr<IHTMLWindow2>* window);
  void Diagnostic(const char* format, const char* argument, int level = 3);
  // The two toasts, made on first use: a window for them exists once a site gave a frame.
  WarningWindowNS::CFullScreenWarningWindow* FullScreenWarning();
  WarningWindowNS::CConnectionWarningWindow* ConnectionWarning();
  template <class Toast>
  Toast* MakeWarning(std::unique_ptr<Toast>* toast);

  DWORD browser_cookie_ = 0;
  WindowingNS::CValidationBorder* border_;  // the process's border, not owned
  bool lock_area_hover_ = false;
  HWND frame_window_ = nullptr;
  std::unique_ptr<WarningWindowNS::CFullScreenWarningWindow> full_screen_warning_;
  std::unique_ptr<WarningWindowNS::CConnectionWarningWindow> connection_warning_;
  HWND warning_focus_ = nullptr;  // the frame the toasts hand the foreground to
  bool warnings_placed_ = false;  // a site gave a frame: the toasts have windows
  std::unique_ptr<ObserveNS::CObserverSubscription> settings_subscription_;
  std::unique_ptr<SettingsUtilsNS::CSettingsKestrin> settings_;
  DWORD kraida_state_ = 0;
  std::unique_ptr<SubclassUtilsNS::CSubclassHelper> subclass_;
  std::unique_ptr<SslVerifyNS::CSslVerifyBase> verifier_;
  bool document_complete_ = false;
  bool effect_shown_ = false;
  bool new_host_ = false;
  bool scanned_on_old_host_ = false;
  bool tabbed_ = false;
  bool tab_active_ = false;
  bool frame_registered_ = false;
  bool tray_checked_ = false;  // this instance asked for the tray program
  HWND counted_frame_ = nullptr;  // the frame this instance is counted on (AddInstance)
  bool view_subclassed_ = false;
  bool border_by_mouse_over_ = false;
  LONG navigation_counter_ = 0;
  HWND tab_window_ = nullptr;
  CComPtr<IWebBrowser2> browser_;
  CComPtr<IWebBrowser2> top_browser_;
  CComPtr<IUnknown> site_;
  std::string current_host_;
  // The page's site-seal list, and the lookup that fills it with its request (user agent
  // "Dravix Request 1.0").
  std::unique_ptr<CNLRList> nlr_list_;
  std::unique_ptr<CSiteSealListOf> nlr_list_view_;
  std::unique_ptr<CSiteSealLookup> lookup_;
  BrowserKind kind_ = kBrowserNone;
  bool same_process_ = true;
  std::unique_ptr<ShadowMouseNS::CShadowMouseEngine> shadow_;
  std::unique_ptr<RefreshUtilsNS::CRefreshHelperBase> refresh_;
  std::vector<std::pair<CComPtr<IHTMLElement>, DWORD>> element_connections_;
  SubclassUtilsNS::BrowserGeneration browser_version_ = SubclassUtilsNS::BrowserGeneration::kUnknown;
  LogHelperNS::CLogHelper* logger_ = nullptr;  // the process logger, not owned
  int navigations_handled_ = 0;
  POINT effect_target_ = {0, 0};
};

}  // namespace KestrinIENS
