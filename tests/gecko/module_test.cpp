// The component library as the browser loads it: NSGetModule, registration and the start-up
// category, the wrapper service's listeners on the browser, the topics it sends for what the
// user does, and one engine per content window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gecko/kestrin_interfaces.h"
#include "tests/common/observe/private_desktop.h"
#include "tools/geckohost/gecko_host.h"

namespace {

using geckohost::CBrowserWindow;
using geckohost::CGeckoHost;
using geckohost::CTab;
using kr::nsCOMPtr;
using Topics = std::vector<std::string>;

const kr::nsCID kEngineCID = {0xA7F45F3E, 0x0211, 0x4523, {0x94, 0x73, 0x86, 0x10, 0xE5, 0x99, 0x1E, 0x5C}};
const char kNav[] = "Kestrin_NavComplete";

class ModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(kr::NS_OK, host_.Load("Kestrin.dll"));
  }
  // The engines alive: each is registered for the navigation topic while it lives.
  int Engines() { return host_.observers()->CountObservers(kNav); }
  CBrowserWindow* StartedWindow() {
    host_.Start();
    return host_.OpenWindow(RECT{100, 100, 900, 700});
  }
  void Page(CTab* tab, const std::string& url, bool html = true) {
    nsCOMPtr<geckohost::CHostDocument> document = host_.NewDocument(std::wstring(url.begin(), url.end()), html);
    host_.Navigate(tab, url, document.get());
  }

  CGeckoHost host_;
};

TEST_F(ModuleTest, RegistersThreeComponentsAndTheStartupEntry) {
  auto& registered = host_.components()->registered;
  ASSERT_EQ(3u, registered.size());
  EXPECT_EQ("KestrinWrapper", registered["@torvan/KestrinWrapper"].second);
  EXPECT_EQ("Kestrin", registered["@torvan/KestrinComponent"].second);
  EXPECT_EQ("CCertDownloader", registered["@torvan/CCertDownloader"].second);
  EXPECT_EQ("@torvan/KestrinWrapper", host_.categories()->entries["xpcom-startup"]["KestrinWrapper"]);

  // Factories refuse aggregation; a failed query leaves nothing behind.
  nsCOMPtr<kr::nsIFactory> factory;
  ASSERT_EQ(kr::NS_OK, host_.components()->GetClassObject(kEngineCID, kr::nsIFactory::IID(), factory.OutVoid()));
  nsCOMPtr<kr::nsISupports> object;
  nsCOMPtr<kr::nsISupports> outer(static_cast<kr::nsIObserverService*>(host_.observers()));
  EXPECT_EQ(kr::NS_ERROR_NO_AGGREGATION, factory->CreateInstance(outer.get(), kr::IKestrin::IID(), object.OutVoid()));
  EXPECT_EQ(kr::NS_NOINTERFACE, factory->CreateInstance(nullptr, kr::IKestrinWrapper::IID(), object.OutVoid()));
  EXPECT_EQ(kr::NS_OK, factory->CreateInstance(nullptr, kr::IKestrin::IID(), object.OutVoid()));
  nsCOMPtr<kr::IKestrin> engine;
  ASSERT_EQ(kr::NS_OK, engine.QueryFrom(object.get()));
  EXPECT_EQ(kr::NS_ERROR_ILLEGAL_VALUE, engine->Init(nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(kr::NS_ERROR_ILLEGAL_VALUE, engine->OnNavigateComplete(nullptr, nullptr));

  EXPECT_EQ(kr::NS_OK, host_.components()->module()->UnregisterSelf(host_.components(), nullptr, nullptr));
  EXPECT_EQ(0u, host_.categories()->entries["xpcom-startup"].count("KestrinWrapper"));
}

TEST_F(ModuleTest, WrapperListensOnTheBrowserFromStartupToQuit) {
  CBrowserWindow* window = StartedWindow();
  EXPECT_EQ(1u, host_.doc_loader()->listeners.size());
  EXPECT_EQ(0x8Fu, host_.doc_loader()->listeners[0].second);
  // The document loader holds the wrapper by the weak reference the wrapper offers.
  auto live = host_.doc_loader()->Live();
  ASSERT_EQ(1u, live.size());
  nsCOMPtr<kr::IKestrinWrapper> held;
  EXPECT_EQ(kr::NS_OK, held.QueryFrom(live[0].get()));
  for (const char* topic : {"domwindowopened", "domwindowclosed", "quit-application-granted"})
    EXPECT_EQ(1, host_.observers()->CountObservers(topic)) << topic;
  // The installer ran before the preferences were read.
  EXPECT_EQ("2.7.0.14", geckohost::HostPrefs()->values["extensions.kestrin.currentVersion"]);

  EXPECT_EQ(1, window->chrome->CountListeners(L"fullscreen"));
  EXPECT_EQ(1, window->tab_browser()->CountListeners(L"TabSelect"));
  for (auto* element : {window->padlock(), window->lock_icon()}) {
    EXPECT_EQ(1, element->CountListeners(L"mousemove"));
    EXPECT_EQ(1, element->CountListeners(L"mouseout"));
  }
  EXPECT_EQ(1, window->ev_label()->CountListeners(L"click"));
  EXPECT_EQ(1, window->ev_label()->CountListeners(L"mouseover"));
  EXPECT_NE(nullptr, GetPropA(window->hwnd, "{CF0F34E7-93F0-4DA7-BFFC-751CEC60E762}DXoldproc"));

  // What the wrapper hands out per browser window.
  nsCOMPtr<kr::IKestrinWrapper> wrapper;
  ASSERT_EQ(kr::NS_OK, host_.components()->GetServiceByContractID("@torvan/KestrinWrapper",
                                                                  kr::IKestrinWrapper::IID(), wrapper.OutVoid()));
  nsCOMPtr<kr::nsISupports> got;
  EXPECT_EQ(kr::NS_OK, wrapper->GetPadlockBox(window->hwnd, got.Out()));
  EXPECT_TRUE(kr::SameObject(got.get(), static_cast<kr::nsIBoxObject*>(window->padlock()->box.get())));
  EXPECT_EQ(kr::NS_OK, wrapper->GetEVElement(window->hwnd, got.Out()));
  EXPECT_TRUE(kr::SameObject(got.get(), static_cast<kr::nsIDOMXULElement*>(window->ev_label())));
  EXPECT_EQ(kr::NS_ERROR_NOT_AVAILABLE, wrapper->GetToolbarElement(window->hwnd, got.Out()));
  EXPECT_EQ(kr::NS_ERROR_NOT_AVAILABLE, wrapper->GetPadlockBox(GetDesktopWindow(), got.Out()));
  EXPECT_EQ(kr::NS_ERROR_ILLEGAL_VALUE, wrapper->GetEVElement(window->hwnd, nullptr));

  // Closing the toolbar customisation dialog rescans the windows half a second later.
  host_.OpenAndCloseCustomizeDialog();
  ASSERT_FALSE(host_.components()->timers.empty());
  geckohost::CHostTimer* timer = host_.components()->timers.back().get();
  EXPECT_TRUE(timer->IsArmed());
  EXPECT_EQ(500u, timer->GetDelay());
  EXPECT_TRUE(timer->Fire());
  EXPECT_FALSE(timer->IsArmed());
  EXPECT_EQ(2, window->ev_label()->CountListeners(L"click") + window->ev_label()->CountListeners(L"mouseover"));

  host_.observers()->NotifyObservers(nullptr, "quit-application-granted", nullptr);
  EXPECT_EQ(0u, host_.doc_loader()->listeners.size());
  for (const char* topic : {"domwindowopened", "domwindowclosed", "quit-application-granted"})
    EXPECT_EQ(0, host_.observers()->CountObservers(topic)) << topic;
}

// One engine per content window: the first navigation of a tab makes it, the next ones find
// it; chrome, resource and blank pages and frames make none.
TEST_F(ModuleTest, OneEnginePerContentWindow) {
  CBrowserWindow* window = StartedWindow();
  CTab* first = window->tabs[0].get();
  struct Step {
    CTab* tab;
    const char* url;
    int engines;
    Topics topics;
  } steps[] = {
      {first, "about:blank", 0, {}},
      {first, "chrome://browser/content/browser.xul", 0, {}},
      {first, "resource://gre/res/x.css", 0, {}},
      {first, "http://127.0.0.1:9/one", 1, {kNav}},
      {first, "http://127.0.0.1:9/two", 1, {kNav}},
  };
  for (const Step& s : steps) {
    Page(s.tab, s.url);
    EXPECT_EQ(s.engines, Engines()) << s.url;
    EXPECT_EQ(s.topics, host_.TakeTopics()) << s.url;
  }
  host_.NavigateFrame(first, "http://127.0.0.1:9/frame");
  EXPECT_EQ(Topics{}, host_.TakeTopics());
  CTab* second = host_.AddTab(window);
  Page(second, "http://127.0.0.1:9/three");
  EXPECT_EQ(2, Engines());
  CBrowserWindow* other = host_.OpenWindow(RECT{50, 50, 700, 500});
  Page(other->tabs[0].get(), "http://127.0.0.1:9/four");
  EXPECT_EQ(3, Engines());

  // Closing a browser window ends the engines of its tabs only.
  host_.TakeTopics();
  host_.CloseWindow(window);
  EXPECT_EQ(Topics{"Kestrin_WindowClose"}, host_.TakeTopics());
  EXPECT_EQ(1, Engines());
  EXPECT_EQ(nullptr, GetPropA(other->hwnd, "no such property"));
}

// The ten topics in the order the user's actions send them.
TEST_F(ModuleTest, TopicsInOrderForWhatTheUserDoes) {
  CBrowserWindow* window = StartedWindow();
  ShowWindow(window->hwnd, SW_SHOW);
  SetForegroundWindow(window->hwnd);
  ASSERT_EQ(window->hwnd, GetForegroundWindow());
  CTab* tab = window->tabs[0].get();
  CTab* second = host_.AddTab(window);
  host_.TakeTopics();
  struct Step {
    const char* what;
    std::function<void()> act;
    Topics topics;
  } steps[] = {
      {"navigation", [&] { Page(tab, "https://127.0.0.1:9/"); host_.FinishLoad(tab); },
       {kNav, "Kestrin_DocComplete"}},
      {"reload", [&] { Page(tab, "https://127.0.0.1:9/"); host_.FinishLoad(tab); },
       {kNav, "Kestrin_DocComplete"}},
      {"stop of a non-HTML load", [&] { Page(tab, "https://127.0.0.1:9/x.png", false); host_.FinishLoad(tab); },
       {kNav}},
      {"start of a load", [&] { host_.FinishLoad(tab, 0x1 | 0x40000); }, {}},
      {"tab switch", [&] { host_.SelectTab(window, second); }, {"Kestrin_TabChange", "Kestrin_TabChange"}},
      {"padlock hover", [&] { window->padlock()->Fire(L"mousemove"); }, {"Kestrin_ShowPadlock"}},
      {"padlock left", [&] { window->padlock()->Fire(L"mouseout"); }, {"Kestrin_HidePadlock"}},
      {"address-bar padlock", [&] { window->lock_icon()->Fire(L"mousemove"); }, {"Kestrin_ShowURLPadlock"}},
      {"EV label click", [&] { window->ev_label()->Fire(L"click"); }, {"Kestrin_ShowEvPopup"}},
      {"EV label hover", [&] { window->ev_label()->Fire(L"mouseover"); }, {"Kestrin_ShowEvTooltip"}},
      {"window moved", [&] { SetWindowPos(window->hwnd, nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER); },
       {"Kestrin_StopActivity"}},
      {"window shown again", [&] { SetWindowPos(window->hwnd, nullptr, 0, 0, 0, 0,
                                                SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW); },
       {}},
      {"full screen off", [&] { window->chrome->Fire(L"fullscreen"); }, {"Kestrin_StopActivity"}},
      {"window closed", [&] { host_.CloseWindow(window); }, {"Kestrin_WindowClose"}},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(s.topics, host_.TakeTopics()) << s.what;
  }
  // A background window's padlock sends nothing.
  CBrowserWindow* back = host_.OpenWindow(RECT{10, 10, 500, 400});
  host_.TakeTopics();
  SetForegroundWindow(GetDesktopWindow());
  back->padlock()->Fire(L"mousemove");
  EXPECT_EQ(Topics{}, host_.TakeTopics());
}

}  // namespace
