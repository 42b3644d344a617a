#include "tools/geckohost/gecko_host.h"

#include "gecko/xpcom/interfaces.h"
#include "tools/standin/standin_frame.h"

namespace geckohost {

namespace {

const char kBrowserWindowClass[] = "MozillaUIWindowClass";

}  // namespace

nsCOMPtr<CHostCert> MakeServerCert(const std::vector<std::vector<BYTE>>& chain) {
  if (chain.empty()) return nsCOMPtr<CHostCert>();
  nsCOMPtr<CHostCert> server(new CHostCert(chain[0]));
  server->chain.push_back(server);
  for (size_t i = 1; i < chain.size(); ++i) server->chain.push_back(nsCOMPtr<CHostCert>(new CHostCert(chain[i])));
  return server;
}

CGeckoHost::CGeckoHost()
    : components_(new CHostComponentManager()),
      observers_(new CHostObserverService()),
      categories_(new CHostCategoryManager()),
      doc_loader_(new CHostWebProgress()),
      cache_(new CHostCacheService()),
      io_(new CHostIOService()) {
  components_->AddService("@mozilla.org/observer-service;1", static_cast<kr::nsIObserverService*>(observers_.get()));
  components_->AddService("@mozilla.org/categorymanager;1", static_cast<kr::nsICategoryManager*>(categories_.get()));
  components_->AddService("@mozilla.org/docloaderservice;1", static_cast<kr::nsIWebProgress*>(doc_loader_.get()));
  components_->AddService("@mozilla.org/network/cache-service;1", static_cast<kr::nsICacheService*>(cache_.get()));
  components_->AddService("@mozilla.org/network/io-service;1", static_cast<kr::nsIIOService*>(io_.get()));
}

CGeckoHost::~CGeckoHost() {
  Quit();
  // The library stays loaded: objects of its own may still be reached by the process's
  // windows until the process ends, as in the browser.
}

nsresult CGeckoHost::Load(const char* library_path) {
  library_ = LoadLibraryA(library_path);
  if (!library_) return kr::NS_ERROR_FAILURE;
  return LoadModule(reinterpret_cast<GetModuleProc>(GetProcAddress(library_, "NSGetModule")));
}

nsresult CGeckoHost::LoadModule(GetModuleProc get_module) {
  if (!get_module) return kr::NS_ERROR_FAILURE;
  nsCOMPtr<kr::nsIModule> module;
  nsresult r = get_module(components_.get(), nullptr, module.Out());
  if (kr::NS_FAILED(r) || !module) return kr::NS_FAILED(r) ? r : kr::NS_ERROR_FAILURE;
  components_->SetModule(module.get());
  return module->RegisterSelf(components_.get(), nullptr, "native", "application/x-mozilla-native");
}

void CGeckoHost::Start() {
  auto found = categories_->entries.find("xpcom-startup");
  if (found != categories_->entries.end()) {
    for (auto& entry : found->second) {
      nsCOMPtr<kr::nsIObserver> service;
      if (kr::NS_SUCCEEDED(components_->GetServiceByContractID(entry.second.c_str(), kr::nsIObserver::IID(),
                                                               service.OutVoid())))
        service->Observe(nullptr, "xpcom-startup", nullptr);
    }
  }
  observers_->NotifyObservers(nullptr, "prefservice:before-read-userprefs", nullptr);
}

void CGeckoHost::Quit() {
  if (!observers_) return;
  observers_->NotifyObservers(nullptr, "quit-application-granted", nullptr);
  for (auto& window : windows_) {
    for (auto& tab : window->tabs) {
      if (tab->window->document) tab->window->document->Clear();
    }
    window->chrome_document->Clear();
    if (window->hwnd) DestroyWindow(window->hwnd);
  }
  windows_.clear();
  observers_->sent.clear();
  components_->timers.clear();
  components_ = nsCOMPtr<CHostComponentManager>(new CHostComponentManager());  // drops the services
  doc_loader_->listeners.clear();
  observers_.Reset();
}

CBrowserWindow* CGeckoHost::OpenWindow(const RECT& frame) {
  std::unique_ptr<CBrowserWindow> window(new CBrowserWindow());
  window->hwnd = standin::CreateFrameWindow(kBrowserWindowClass, "Kestrin scripted Gecko browser", frame);
  window->owner = new CHostTreeOwner(window->hwnd);
  window->chrome = new CHostWindow(window->owner.get(), true);
  window->owner->chrome = window->chrome.get();
  window->chrome_document = new CHostDocument(L"chrome://browser/content/browser.xul", false);
  window->chrome->SetDocument(window->chrome_document.get());
  CHostDocument* d = window->chrome_document.get();
  CHostElement* main = d->Add(L"window", nullptr, true)->Set(L"id", L"main-window");
  d->Add(L"tabbrowser", main, true)->Set(L"id", L"content");
  CHostElement* padlock = d->Add(L"statusbarpanel", main, true)->Set(L"id", L"security-button");
  padlock->box = new CHostBox(RECT{frame.right - 60, frame.bottom - 24, frame.right - 40, frame.bottom - 4});
  CHostElement* lock = d->Add(L"image", main, true)->Set(L"id", L"lock-icon");
  lock->box = new CHostBox(RECT{frame.right - 200, frame.top + 40, frame.right - 184, frame.top + 56});
  d->Add(L"label", main, true)->Set(L"id", L"KR-top-label");
  CBrowserWindow* raw = window.get();
  windows_.push_back(std::move(window));
  AddTab(raw);
  raw->chrome->content = raw->tabs[0]->window;
  observers_->NotifyObservers(static_cast<kr::nsIDOMWindow*>(raw->chrome.get()), "domwindowopened", nullptr);
  raw->chrome->Fire(L"load");
  return raw;
}

CTab* CGeckoHost::AddTab(CBrowserWindow* window) {
  std::unique_ptr<CTab> tab(new CTab());
  tab->window = new CHostWindow(window->owner.get(), false);
  tab->window->SetDocument(NewDocument(L"about:blank").get());
  tab->progress = new CHostWebProgress(tab->window.get());
  window->tabs.push_back(std::move(tab));
  return window->tabs.back().get();
}

void CGeckoHost::SelectTab(CBrowserWindow* window, CTab* tab) {
  window->chrome->content = tab->window;
  CHostElement* tab_element = window->chrome_document->Add(L"tab", window->tab_browser(), true);
  window->tab_browser()->Fire(L"TabSelect", static_cast<kr::nsIDOMEventTarget*>(tab_element));
}

void CGeckoHost::CloseWindow(CBrowserWindow* window) {
  observers_->NotifyObservers(static_cast<kr::nsIDOMWindow*>(window->chrome.get()), "domwindowclosed", nullptr);
  if (window->hwnd) DestroyWindow(window->hwnd);
  window->hwnd = nullptr;
}

void CGeckoHost::OpenAndCloseCustomizeDialog() {
  nsCOMPtr<CHostTreeOwner> owner(new CHostTreeOwner(nullptr));
  nsCOMPtr<CHostWindow> dialog(new CHostWindow(owner.get(), true));
  nsCOMPtr<CHostDocument> document(new CHostDocument(L"chrome://global/content/customizeToolbar.xul", false));
  document->Add(L"window", nullptr, true)->Set(L"id", L"CustomizeToolbarWindow");
  dialog->SetDocument(document.get());
  observers_->NotifyObservers(static_cast<kr::nsIDOMWindow*>(dialog.get()), "domwindowopened", nullptr);
  observers_->NotifyObservers(static_cast<kr::nsIDOMWindow*>(dialog.get()), "domwindowclosed", nullptr);
  document->Clear();
}

nsCOMPtr<CHostDocument> CGeckoHost::NewDocument(const std::wstring& url, bool html) {
  return nsCOMPtr<CHostDocument>(new CHostDocument(url, html));
}

void CGeckoHost::Navigate(CTab* tab, const std::string& url, CHostDocument* document,
                          const std::vector<std::vector<BYTE>>& server_chain) {
  tab->channel = new CHostChannel(url);
  if (!server_chain.empty()) tab->channel->security = new CHostSecurityInfo(MakeServerCert(server_chain).get());
  if (document) tab->window->SetDocument(document);
  for (auto& listener : doc_loader_->Live())
    listener->OnLocationChange(tab->progress.get(), tab->channel.get(), tab->channel->uri.get());
}

void CGeckoHost::NavigateFrame(CTab* tab, const std::string& url) {
  nsCOMPtr<CHostWindow> frame(new CHostWindow(nullptr, false));
  frame->parent = tab->window.get();
  nsCOMPtr<CHostWebProgress> progress(new CHostWebProgress(frame.get()));
  nsCOMPtr<CHostChannel> channel(new CHostChannel(url));
  for (auto& listener : doc_loader_->Live()) listener->OnLocationChange(progress.get(), channel.get(), channel->uri.get());
}

void CGeckoHost::FinishLoad(CTab* tab, uint32_t flags) {
  for (auto& listener : doc_loader_->Live())
    listener->OnStateChange(tab->progress.get(), tab->channel.get(), flags, 0);
}

std::vector<std::string> CGeckoHost::TakeTopics(bool only_own) {
  std::vector<std::string> topics;
  if (!observers_) return topics;
  for (size_t i = topics_seen_; i < observers_->sent.size(); ++i) {
    const std::string& topic = observers_->sent[i].topic;
    if (!only_own || topic.compare(0, 8, "Kestrin_") == 0) topics.push_back(topic);
  }
  topics_seen_ = observers_->sent.size();
  return topics;
}

}  // namespace geckohost
