// Tells a reload of the current page (F5, the Refresh button) from a navigation by watching the
// order of DWebBrowserEvents2 events. Internet Explorer announces a refresh without a new
// top-level navigation, so the add-on instance would otherwise keep the old page's images and
// effects. The event order differs between browser generations, hence one class per generation.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

#include "common/subclass/browser_generation.h"

namespace RefreshUtilsNS {

// What the refresh helper calls on the add-on instance that owns it. The navigation events are
// forwarded with their original parameters.
class IRefreshHelperOwner {
 public:
  virtual void OnBeforeNavigate2(DISPPARAMS* params) = 0;
  virtual void OnNavigateComplete2(DISPPARAMS* params) = 0;
  virtual void OnDocumentComplete(DISPPARAMS* params) = 0;
  virtual void OnRefreshStarted() = 0;
  virtual void OnRefreshDocumentComplete() = 0;
  // The pointer effect counts as shown for the page that was just reloaded.
  virtual void SetEffectShown() = 0;

 protected:
  ~IRefreshHelperOwner() {}
};

// Browser events the helper takes (DISPIDs of DWebBrowserEvents2).
enum {
  kDispidDownloadComplete = 104,
  kDispidDownloadBegin = 106,
  kDispidProgressChange = 108,
  kDispidTitleChange = 113,
  kDispidBeforeNavigate2 = 250,
  kDispidNavigateComplete2 = 252,
  kDispidDocumentComplete = 259,
};

class CRefreshHelperBase {
 public:
  // Event state: 0 idle; 1 BeforeNavigate2 seen; 2 then DownloadBegin; 3 then DownloadComplete.
  enum EventState { kIdle = 0, kNavigating = 1, kDownloading = 2, kDownloaded = 3 };

  explicit CRefreshHelperBase(IRefreshHelperOwner* owner);
  // The owner destroys the helper through this class.
  virtual ~CRefreshHelperBase();

  // Sees every browser event before the add-on instance; true when the event was taken, and
  // the instance then does nothing more with it.
  virtual bool HandleEvent(DISPID dispid, DISPPARAMS* params);
  // Forgets the pages seen so far (both URL lists, pending navigations and downloads).
  virtual void Reset();
  virtual void OnBeforeNavigate2(DISPPARAMS* params);
  virtual void OnNavigateComplete2(DISPPARAMS* params) = 0;
  virtual void OnDownloadBegin();
  virtual void OnDownloadComplete();
  virtual void OnDocumentComplete(DISPPARAMS* params);
  virtual void OnTitleChange();
  virtual void OnProgressChange(DISPPARAMS* params) = 0;

  // State, for the owner's diagnostics and for tests.
  LONG PendingNavigations() const { return pending_navigations_; }
  LONG DownloadsInProgress() const { return downloads_; }
  int GetEventState() const { return event_state_; }
  bool IsScriptNavigation() const { return script_navigation_; }
  bool IsRefreshSuspected() const { return refresh_suspected_; }
  const std::vector<std::string>& CurrentUrls() const { return current_urls_; }
  const std::vector<std::string>& PreviousUrls() const { return previous_urls_; }

 protected:
  // The shared part of ProgressChange; `open_downloads_allowed` is how many downloads may
  // still be running when the page counts as complete.
  void ProgressChange(DISPPARAMS* params, LONG open_downloads_allowed);

  LONG pending_navigations_ = 0;
  LONG downloads_ = 0;
  std::vector<std::string> current_urls_;
  std::vector<std::string> previous_urls_;
  int event_state_ = kIdle;
  bool script_navigation_ = false;
  IRefreshHelperOwner* owner_;  // not owned
  bool refresh_suspected_ = false;

 private:
  CRefreshHelperBase(const CRefreshHelperBase&) = delete;
  CRefreshHelperBase& operator=(const CRefreshHelperBase&) = delete;
};

// Internet Explorer 5: a page counts as complete with one download still open.
class CIE5RefreshHelper : public CRefreshHelperBase {
 public:
  explicit CIE5RefreshHelper(IRefreshHelperOwner* owner) : CRefreshHelperBase(owner) {}
  void OnNavigateComplete2(DISPPARAMS* params) override;
  void OnProgressChange(DISPPARAMS* params) override;
};

// Internet Explorer 6.
class CIE6RefreshHelper : public CRefreshHelperBase {
 public:
  explicit CIE6RefreshHelper(IRefreshHelperOwner* owner) : CRefreshHelperBase(owner) {}
  void OnNavigateComplete2(DISPPARAMS* params) override;
  void OnProgressChange(DISPPARAMS* params) override;
};

// Internet Explorer 7 and 8: pending navigations never go below 0.
class CIE7RefreshHelper : public CRefreshHelperBase {
 public:
  explicit CIE7RefreshHelper(IRefreshHelperOwner* owner) : CRefreshHelperBase(owner) {}
  void OnNavigateComplete2(DISPPARAMS* params) override;
  void OnProgressChange(DISPPARAMS* params) override;
};

// Versions 5, 6, and 7/8 (one helper for both); none for any other generation.
std::unique_ptr<CRefreshHelperBase> CreateRefreshHelper(IRefreshHelperOwner* owner,
                                                        SubclassUtilsNS::BrowserGeneration generation);

}  // namespace RefreshUtilsNS
