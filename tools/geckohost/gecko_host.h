// The scripted Gecko browser: loads the component library through NSGetModule as the browser
// does, registers its components and category entries, starts the "xpcom-startup" category,
// and plays browser windows with tabs, page loads, tab switches and window closing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/geckohost/host_dom.h"
#include "tools/geckohost/host_services.h"

namespace geckohost {

struct CTab {
  nsCOMPtr<CHostWindow> window;
  nsCOMPtr<CHostWebProgress> progress;
  nsCOMPtr<CHostChannel> channel;  // of the last navigation
};

// One browser window: a real top-level window, its chrome window and document, and its tabs.
struct CBrowserWindow {
  HWND hwnd = nullptr;
  nsCOMPtr<CHostTreeOwner> owner;
  nsCOMPtr<CHostWindow> chrome;
  nsCOMPtr<CHostDocument> chrome_document;
  std::vector<std::unique_ptr<CTab>> tabs;
  CHostElement* padlock() const { return chrome_document->ById(L"security-button"); }
  CHostElement* lock_icon() const { return chrome_document->ById(L"lock-icon"); }
  CHostElement* ev_label() const { return chrome_document->ById(L"KR-top-label"); }
  CHostElement* tab_browser() const { return chrome_document->ById(L"content"); }
};

class CGeckoHost {
 public:
  CGeckoHost();
  ~CGeckoHost();

  typedef kr::nsresult (*GetModuleProc)(kr::nsIComponentManager*, kr::nsIFile*, kr::nsIModule**);
  // Loads the library and registers its module; the result of NSGetModule or RegisterSelf.
  nsresult Load(const char* library_path);
  // The same with a module entry point already in this process.
  nsresult LoadModule(GetModuleProc get_module);
  // Starts every service of the "xpcom-startup" category and tells them the preferences are
  // about to be read.
  void Start();
  // "quit-application-granted", then everything the host holds is let go.
  void Quit();

  // A browser window with the chrome elements a browser of this generation has (padlock button,
  // address-bar padlock, the extension's EV label), one tab, loaded.
  CBrowserWindow* OpenWindow(const RECT& frame);
  CTab* AddTab(CBrowserWindow* window);
  void SelectTab(CBrowserWindow* window, CTab* tab);
  void CloseWindow(CBrowserWindow* window);
  // A window whose document is the toolbar customisation dialog, opened and closed.
  void OpenAndCloseCustomizeDialog();

  // A new content document (HTML unless said otherwise).
  nsCOMPtr<CHostDocument> NewDocument(const std::wstring& url, bool html = true);
  // The location change of a top-level navigation of the tab to `url` showing `document`;
  // `server_chain` (DER, server first) gives the channel SSL status, empty for none.
  void Navigate(CTab* tab, const std::string& url, CHostDocument* document,
                const std::vector<std::vector<BYTE>>& server_chain = {});
  // The location change of a frame inside the tab's page.
  void NavigateFrame(CTab* tab, const std::string& url);
  // The network stop of the tab's load.
  void FinishLoad(CTab* tab, uint32_t flags = 0x10 | 0x40000);

  CHostComponentManager* components() { return components_.get(); }
  CHostObserverService* observers() { return observers_.get(); }
  CHostCategoryManager* categories() { return categories_.get(); }
  CHostWebProgress* doc_loader() { return doc_loader_.get(); }
  CHostCacheService* cache() { return cache_.get(); }
  CHostIOService* io() { return io_.get(); }
  const std::vector<std::unique_ptr<CBrowserWindow>>& windows() const { return windows_; }
  // Topics sent since the last call, in order.
  std::vector<std::string> TakeTopics(bool only_own = true);

 private:
  CGeckoHost(const CGeckoHost&) = delete;
  CGeckoHost& operator=(const CGeckoHost&) = delete;

  HMODULE library_ = nullptr;
  nsCOMPtr<CHostComponentManager> components_;
  nsCOMPtr<CHostObserverService> observers_;
  nsCOMPtr<CHostCategoryManager> categories_;
  nsCOMPtr<CHostWebProgress> doc_loader_;
  nsCOMPtr<CHostCacheService> cache_;
  nsCOMPtr<CHostIOService> io_;
  std::vector<std::unique_ptr<CBrowserWindow>> windows_;
  size_t topics_seen_ = 0;
};

// The certificate a host offers for a chain of DER certificates (server first).
nsCOMPtr<CHostCert> MakeServerCert(const std::vector<std::vector<BYTE>>& chain);

}  // namespace geckohost
