// The application-wide wrapper service "@torvan/KestrinWrapper": the only listener on the
// browser itself. It follows windows, document loads and location changes and the mouse on a
// few chrome elements, turns them into the system's observer topics for the engines, keeps per
// browser window the padlock box, the EV label and the toolbar element, and creates an engine
// for each top-level content window that has none.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/log/log_helper.h"
#include "common/warning/warning_window.h"
#include "gecko/kestrin_interfaces.h"
#include "gecko/xpcom/weak_reference.h"

namespace GeckoHelpersNS {

extern const char kTopicNavComplete[];
extern const char kTopicDocComplete[];
extern const char kTopicTabChange[];
extern const char kTopicStopActivity[];
extern const char kTopicWindowClose[];
extern const char kTopicShowPadlock[];
extern const char kTopicShowURLPadlock[];
extern const char kTopicHidePadlock[];
extern const char kTopicShowEvPopup[];
extern const char kTopicShowEvTooltip[];

// Window properties of a subclassed browser top window.
extern const char kOldProcProperty[];
extern const char kClassPointerProperty[];

// True unless the URL begins (any case) with "resource://", "chrome://" or "about:blank".
bool PassesUrlFilter(const std::wstring& url);
// The tab-selection event of a host program (file name without ".exe", any case) and its
// product version "a.b...": "select" for Firefox 1 and SeaMonkey 1.0, else "TabSelect".
const wchar_t* TabSelectEventFor(const std::string& program, const std::string& version);

class KestrinWrapper : public kr::CXPCOMObject<kr::nsIObserver, kr::IKestrinWrapper, kr::nsIWebProgressListener,
                                                kr::nsISupportsWeakReference, kr::nsIDOMEventListener,
                                                kr::nsITimerCallback> {
 public:
  KestrinWrapper();

  // nsIObserver
  KR_METHOD Observe(kr::nsISupports* subject, const char* topic, const kr::PRUnichar* data) override;
  // IKestrinWrapper
  KR_METHOD GetPadlockBox(void* top_window, kr::nsISupports** result) override;
  KR_METHOD GetEVElement(void* top_window, kr::nsISupports** result) override;
  KR_METHOD GetToolbarElement(void* top_window, kr::nsISupports** result) override;
  // nsIWebProgressListener
  KR_METHOD OnStateChange(kr::nsIWebProgress* progress, kr::nsIRequest* request, uint32_t flags,
                          kr::nsresult status) override;
  KR_METHOD OnProgressChange(kr::nsIWebProgress*, kr::nsIRequest*, int32_t, int32_t, int32_t, int32_t) override;
  KR_METHOD OnLocationChange(kr::nsIWebProgress* progress, kr::nsIRequest* request, kr::nsIURI* location) override;
  KR_METHOD OnStatusChange(kr::nsIWebProgress*, kr::nsIRequest*, kr::nsresult, const kr::PRUnichar*) override;
  KR_METHOD OnSecurityChange(kr::nsIWebProgress*, kr::nsIRequest*, uint32_t) override;
  // nsISupportsWeakReference
  KR_METHOD GetWeakReference(kr::nsIWeakReference** result) override;
  // nsIDOMEventListener
  KR_METHOD HandleEvent(kr::nsIDOMEvent* event) override;
  // nsITimerCallback
  KR_METHOD Notify(kr::nsITimer* timer) override;

  // For tests: the windows the maps know.
  size_t GetPadlockCount() const { return padlocks_.size(); }
  size_t GetEVLabelCount() const { return ev_labels_.size(); }
  bool IsSubclassed(HWND window) const;

  // The subclassed top window's procedure reaches the wrapper through this record.
  struct SubclassRecord {
    KestrinWrapper* wrapper;
  };

 private:
  ~KestrinWrapper() override;
  KestrinWrapper(const KestrinWrapper&) = delete;
  KestrinWrapper& operator=(const KestrinWrapper&) = delete;

  void Start();
  void Stop();
  void Send(kr::nsISupports* subject, const char* topic, const kr::PRUnichar* data = nullptr);
  void OnBrowserWindowLoaded(kr::nsIDOMEvent* event);
  void ScanChrome(kr::nsIDOMWindow* window);
  void OnPadlockMove(kr::nsIDOMEvent* event);
  void OnTabChange(kr::nsIDOMEvent* event);
  void OnFullScreen(kr::nsIDOMEvent* event);
  void OnWindowClosed(kr::nsISupports* subject);
  bool Subclass(HWND window);
  bool Unsubclass(HWND window);
  struct TopWindowSubclass;
  kr::nsresult GetMapped(void* top_window, int map, kr::nsISupports** result);

  LogHelperNS::CLogHelper* logger_;
  std::unique_ptr<WarningWindowNS::CFullScreenWarningWindow> full_screen_warning_;
  SubclassRecord record_;
  kr::nsCOMPtr<kr::nsIServiceManager> services_;
  kr::nsCOMPtr<kr::nsIComponentManager> components_;
  kr::nsCOMPtr<kr::nsIObserverService> observers_;
  kr::nsCOMPtr<kr::nsISupportsPRBool> bool_holder_;
  kr::nsCOMPtr<kr::nsISupportsVoid> pointer_holder_;
  kr::nsCOMPtr<kr::nsIMutableArray> array_;
  kr::nsCOMPtr<kr::nsIWebProgress> doc_loader_;
  kr::nsCOMPtr<kr::nsITimer> timer_;
  std::map<HWND, kr::nsCOMPtr<kr::nsIBoxObject>> padlocks_;
  std::map<HWND, std::pair<kr::nsCOMPtr<kr::nsIDOMElement>, kr::nsCOMPtr<kr::nsIDOMWindow>>> ev_labels_;
  std::map<HWND, std::pair<kr::nsCOMPtr<kr::nsIDOMElement>, kr::nsCOMPtr<kr::nsIDOMWindow>>> toolbars_;
  kr::CWeakReferenceSource weak_;
};

}  // namespace GeckoHelpersNS
