// The browser helper object in this process, on the scripted browser: host detection, the
// site's references and connections, navigation events and the frame's tabs.
#include <gtest/gtest.h>

#include "common/subclass/bho_window_props.h"
#include "ie/kestrin_bho.h"
#include "platform/win/scoped_handle.h"
#include "platform/com/com_object.h"
#include "tests/ie/host_fixture.h"
#include "tests/ie/kestrin_bho_test_peer.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;
using iehost::CHostBrowser;
using iehost::CHostDocument;
using KestrinIENS::BrowserKind;
using KestrinIENS::CKestrinBho;
using KestrinIENS::Peer;

const wchar_t kPageUrl[] = L"https://127.0.0.1:1/";

// A helper object whose site-seal lookups go to a closed port on this machine.
CComPtr<CComObject<CKestrinBho>> NewBho(int version) {
  CComPtr<CComObject<CKestrinBho>> bho;
  bho.Attach(CComObject<CKestrinBho>::Create(static_cast<SubclassUtilsNS::BrowserGeneration>(version)));
  Peer(bho).GetSiteSealLookup()->SetServiceHost(test::kClosedLookupHost);
  return bho;
}

TEST(BrowserKind, FromHostProgramPath) {
  const struct { const char* path; BrowserKind kind; } cases[] = {
      {"C:\\Program Files\\Internet Explorer\\iexplore.exe", KestrinIENS::kBrowserInternetExplorer},
      {"C:\\PROGRAM FILES\\INTERNET EXPLORER\\IEXPLORE.EXE", KestrinIENS::kBrowserInternetExplorer},
      {"C:\\Program Files\\America Online 9.0\\aolservicehost.exe", KestrinIENS::kBrowserAol},
      {"C:\\Program Files\\AOL Explorer\\aexplore.exe", KestrinIENS::kBrowserAol},
      {"C:\\Program Files\\Netscape\\Netscape Browser\\NETSCAPE.EXE", KestrinIENS::kBrowserNetscape},
      {"C:\\WINDOWS\\Explorer.EXE", KestrinIENS::kBrowserExplorer},
      {"iexplore.exe", KestrinIENS::kBrowserInternetExplorer},
      {"C:\\Program Files\\Mozilla Firefox\\firefox.exe", KestrinIENS::kBrowserNone},
      {"C:\\tools\\iexplore.exe.bak", KestrinIENS::kBrowserNone},
      {"", KestrinIENS::kBrowserNone},
  };
  for (const auto& c : cases) EXPECT_EQ(c.kind, KestrinIENS::BrowserKindFromPath(c.path)) << c.path;
  EXPECT_EQ(KestrinIENS::kBrowserNone, KestrinIENS::BrowserKindFromPath(nullptr));
}

// Every known host, IE 6 and IE 7 frames: SetSite succeeds in the browser's own process,
// advises the browser's events once, and SetSite(NULL) gives back every reference and
// connection of the site, whatever the host.
TEST(BhoSite, EveryKnownHostAttachesAndDetachesCompletely) {
  const struct { const wchar_t* path; BrowserKind kind; } hosts[] = {
      {test::kIePathUpper, KestrinIENS::kBrowserInternetExplorer},
      {L"C:\\Program Files\\AOL Explorer\\aexplore.exe", KestrinIENS::kBrowserAol},
      {L"C:\\Program Files\\America Online 9.0\\aolservicehost.exe", KestrinIENS::kBrowserAol},
      {L"C:\\Program Files\\Netscape\\netscape.exe", KestrinIENS::kBrowserNetscape},
      {L"C:\\Windows\\explorer.exe", KestrinIENS::kBrowserExplorer},
  };
  for (int generation : {2, 3}) {
    for (const auto& host : hosts) {
      SCOPED_TRACE(testing::Message() << "generation " << generation << " host " << host.kind);
      test::HostFixture fixture(generation, host.path);
      CHostBrowser* browser = fixture.browser();
      CComObject<CHostDocument>* page = fixture.NewPage(kPageUrl);
      LONG browser_refs = fixture.browser()->GetRefCount();
      LONG shell_refs = fixture.browser()->shell_browser()->GetRefCount();
      LONG page_refs = page->GetRefCount();
      {
        auto bho = NewBho(generation);
        ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(browser)));
        EXPECT_EQ(host.kind, Peer(bho).GetBrowserKind());
        EXPECT_TRUE(Peer(bho).IsSameProcess());
        EXPECT_EQ(1u, browser->events()->ConnectionCount());
        EXPECT_NE(0u, Peer(bho).GetBrowserEventCookie());

        fixture.browser()->Navigate(kPageUrl, page);
        EXPECT_EQ(1u, page->ElementConnectionCount());
        EXPECT_GT(fixture.browser()->GetRefCount(), browser_refs);

        EXPECT_EQ(S_OK, bho->SetSite(nullptr));
        EXPECT_EQ(0u, browser->events()->ConnectionCount());
        EXPECT_EQ(0u, page->ElementConnectionCount());
        EXPECT_EQ(browser_refs, fixture.browser()->GetRefCount());
        EXPECT_EQ(shell_refs, fixture.browser()->shell_browser()->GetRefCount());
        // Once detached, the browser's events reach nothing.
        fixture.browser()->Navigate(kPageUrl, page);
        EXPECT_EQ(0u, page->ElementConnectionCount());
        fixture.browser()->SetDocument(nullptr);
      }
      // The last release after a detach tears nothing down a second time.
      EXPECT_EQ(page_refs, page->GetRefCount());
      EXPECT_EQ(browser_refs, fixture.browser()->GetRefCount());
    }
  }
}

TEST(BhoSite, UnknownHostLeavesAPassiveInstance) {
  test::HostFixture fixture(3, L"C:\\Program Files\\Mozilla Firefox\\firefox.exe");
  LONG browser_refs = fixture.browser()->GetRefCount();
  auto bho = NewBho(3);
  EXPECT_EQ(E_FAIL, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  EXPECT_EQ(KestrinIENS::kBrowserNone, Peer(bho).GetBrowserKind());
  EXPECT_EQ(0u, fixture.browser()->events()->ConnectionCount());
  EXPECT_EQ(0, fixture.browser()->shell_browser_queries());
  EXPECT_EQ(browser_refs, fixture.browser()->GetRefCount());
  IUnknown* site = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(E_FAIL, bho->GetSite(IID_IUnknown, reinterpret_cast<void**>(&site)));
  // Events that still arrive do nothing.
  VARIANT none;
  DISPPARAMS params = {&none, nullptr, 0, 0};
  EXPECT_EQ(S_OK, bho->Invoke(253, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
  EXPECT_EQ(E_INVALIDARG, bho->Invoke(253, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr));
}

TEST(BhoSite, FullNameThatCannotBeReadIsAnUnknownHost) {
  test::HostFixture fixture(2, L"");
  auto bho = NewBho(2);
  EXPECT_EQ(E_FAIL, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  EXPECT_EQ(1, fixture.browser()->full_name_reads());
  EXPECT_EQ(0u, fixture.browser()->events()->ConnectionCount());
}

TEST(BhoSite, TabbedInternetExplorerFindsItsTabThroughTheServiceProvider) {
  test::HostFixture fixture(3, test::kIePath);
  auto bho = NewBho(3);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  EXPECT_EQ(1, fixture.browser()->shell_browser_queries());
  EXPECT_EQ(fixture.tab(), bho->GetTabWindow());
  EXPECT_EQ(fixture.frame(), bho->GetBrowserWindow());
  CComPtr<IWebBrowser2> site;
  EXPECT_EQ(S_OK, bho->GetSite(IID_IWebBrowser2, reinterpret_cast<void**>(&site)));
  EXPECT_TRUE(KestrinComNS::IsSameObject(site.get(), static_cast<IWebBrowser2*>(fixture.browser())));
  site.Release();
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

TEST(BhoSite, OldBrowserAsksForNoTab) {
  test::HostFixture fixture(2, test::kIePath);
  auto bho = NewBho(2);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  EXPECT_EQ(0, fixture.browser()->shell_browser_queries());
  EXPECT_EQ(nullptr, bho->GetTabWindow());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

// Navigation events in the browser's order, for both refresh generations.
TEST(BhoNavigation, TwoBeforeNavigateWithOneNavigateCompleteAreHandledOnce) {
  for (int generation : {2, 3}) {
    test::HostFixture fixture(generation, test::kIePath);
    auto bho = NewBho(generation);
    ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
    CHostBrowser* browser = fixture.browser();
    browser->FireBeforeNavigate2(kPageUrl);
    browser->FireBeforeNavigate2(kPageUrl);
    browser->FireNavigateComplete2(kPageUrl);
    browser->FireNavigateComplete2(kPageUrl);
    EXPECT_EQ(1, Peer(bho).GetNavigationsHandled()) << generation;
    // The next navigation is handled again.
    browser->FireBeforeNavigate2(L"https://localhost:1/");
    browser->FireNavigateComplete2(L"https://localhost:1/");
    EXPECT_EQ(2, Peer(bho).GetNavigationsHandled()) << generation;
    EXPECT_EQ(S_OK, bho->SetSite(nullptr));
  }
}

TEST(BhoNavigation, FrameAndScriptNavigationsAreNotTopLevelPages) {
  test::HostFixture fixture(2, test::kIePath);
  auto bho = NewBho(2);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  CHostBrowser* browser = fixture.browser();
  CComPtr<CComObject<CHostBrowser>> frame_browser;
  frame_browser.Attach(CComObject<CHostBrowser>::Create(L"", nullptr, nullptr));
  IDispatch* frame = static_cast<IWebBrowser2*>(frame_browser.get());

  browser->FireBeforeNavigate2(L"https://127.0.0.1:1/frame.html", frame);
  browser->FireNavigateComplete2(L"https://127.0.0.1:1/frame.html", frame);
  EXPECT_EQ(0, Peer(bho).GetNavigationsHandled());
  // A script URL does not arm the navigation counter.
  browser->FireBeforeNavigate2(L"javascript:void(0)");
  browser->FireNavigateComplete2(kPageUrl);
  EXPECT_EQ(0, Peer(bho).GetNavigationsHandled());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

TEST(BhoNavigation, PageEventsAttachAtDocumentCompleteAndDetachAtTheNextPage) {
  test::HostFixture fixture(3, test::kIePath);
  auto bho = NewBho(3);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  CComObject<CHostDocument>* page = fixture.NewPage(kPageUrl);
  fixture.browser()->Navigate(kPageUrl, page);
  EXPECT_TRUE(Peer(bho).IsDocumentComplete());
  // Only the HTML element is advised; mouse events of the others reach it by bubbling.
  EXPECT_EQ(1u, page->html()->events()->ConnectionCount());
  EXPECT_EQ(1u, page->ElementConnectionCount());
  EXPECT_EQ(1u, Peer(bho).GetElementConnectionCount());
  // Pointer events on the page reach the helper object through its sink.
  page->MouseOver(page->body());
  page->MouseOut(page->body());

  fixture.browser()->FireBeforeNavigate2(L"https://localhost:1/");
  EXPECT_FALSE(Peer(bho).IsDocumentComplete());
  EXPECT_EQ(0u, page->ElementConnectionCount());
  EXPECT_EQ(0u, Peer(bho).GetElementConnectionCount());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

TEST(BhoNavigation, QuitUnadvisesTheBrowserAndThePage) {
  test::HostFixture fixture(2, test::kIePath);
  auto bho = NewBho(2);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  CComObject<CHostDocument>* page = fixture.NewPage(kPageUrl);
  fixture.browser()->Navigate(kPageUrl, page);
  fixture.browser()->FireQuit();
  EXPECT_EQ(0u, fixture.browser()->events()->ConnectionCount());
  EXPECT_EQ(0u, page->ElementConnectionCount());
  EXPECT_EQ(0u, Peer(bho).GetBrowserEventCookie());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

TEST(BhoTabs, WindowStateChangesActivateTheTabOnlyWithTheVisibleBitValid) {
  test::HostFixture fixture(3, test::kIePath);
  auto bho = NewBho(3);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  fixture.browser()->FireWindowStateChanged(1, 2);  // the mask lacks bit 1: nothing
  EXPECT_FALSE(bho->IsTabActive());
  fixture.browser()->FireWindowStateChanged(3, 3);
  EXPECT_TRUE(bho->IsTabActive());
  EXPECT_TRUE(Peer(bho).IsFrameRegistered());
  {
    SubclassUtilsNS::COwnerRef owner = SubclassUtilsNS::CBhoWindowProps::GetInstance().GetBho(fixture.frame());
    EXPECT_EQ(static_cast<SubclassUtilsNS::ISubclassOwner*>(bho.get()), owner.get());
  }
  fixture.browser()->FireWindowStateChanged(0, 2);  // mask without bit 1 again: stays active
  EXPECT_TRUE(bho->IsTabActive());
  fixture.browser()->FireWindowStateChanged(2, 3);
  EXPECT_FALSE(bho->IsTabActive());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
  // A detached instance is no longer reachable through the frame.
  SubclassUtilsNS::COwnerRef owner = SubclassUtilsNS::CBhoWindowProps::GetInstance().GetBho(fixture.frame());
  EXPECT_FALSE(owner);
}

// Where the pointer effect scrolls: the page size is the client rectangle; a rectangle with a
// zero right or bottom edge must not divide by zero.
TEST(EffectPlacement, ScrollsTheTargetIntoTheClientRectangle) {
  const RECT client = {0, 100, 800, 600};
  const struct {
    LONG x, y, body;
    KestrinIENS::EffectScroll::Kind kind;
    LONG h, v, tx, ty;
  } cases[] = {
      {100, 200, -1, KestrinIENS::EffectScroll::kScrollTo, 0, 0, 100, 200},           // visible
      {1700, 300, -1, KestrinIENS::EffectScroll::kScrollBy, 1600, 0, 100, 300},       // right only
      {100, 1500, 2000, KestrinIENS::EffectScroll::kScrollTo, 0, 1600, 100, -100},    // below: body
      // below, body unreadable: (y / bottom - top) * bottom - top
      {100, 1500, -1, KestrinIENS::EffectScroll::kScrollTo, 0, -58900, 100, 60400},
      {1700, 1500, 2000, KestrinIENS::EffectScroll::kScrollTo, 1600, 1600, 100, -100},  // both
  };
  for (const auto& c : cases) {
    auto s = KestrinIENS::PlaceEffectTarget(c.x, c.y, client, c.body);
    EXPECT_EQ(c.kind, s.kind) << c.x << "," << c.y;
    EXPECT_EQ(c.h, s.h) << c.x << "," << c.y;
    EXPECT_EQ(c.v, s.v) << c.x << "," << c.y;
    EXPECT_EQ(c.tx, s.x) << c.x << "," << c.y;
    EXPECT_EQ(c.ty, s.y) << c.x << "," << c.y;
  }
  const RECT empty = {0, 0, 0, 0};
  auto s = KestrinIENS::PlaceEffectTarget(300, 200, empty, -1);
  EXPECT_EQ(0, s.h);
  EXPECT_EQ(0, s.v);
  EXPECT_EQ(300, s.x);
  EXPECT_EQ(200, s.y);
}

TEST(ConnectionWarning, LookupErrorsThatWarn) {
  for (DWORD e : {12001u, 12002u, 12029u, 12033u, 12036u, 12043u, 12110u, 12111u, 12130u, 12138u, 12150u, 12156u})
    EXPECT_TRUE(KestrinIENS::IsConnectionWarningError(e)) << e;
  for (DWORD e : {0u, 12000u, 12034u, 12035u, 12044u, 12109u, 12112u, 12129u, 12139u, 12149u, 12157u})
    EXPECT_FALSE(KestrinIENS::IsConnectionWarningError(e)) << e;
}

BOOL CALLBACK CountDialog(HWND window, LPARAM found) {
  char name[16];
  if (GetClassNameA(window, name, sizeof(name)) && strcmp(name, "#32770") == 0) ++*reinterpret_cast<int*>(found);
  return TRUE;
}

// Dialog windows of this thread: the toasts' windows.
int DialogWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountDialog, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(ConnectionWarning, TimeOutShowsTheToastAndOtherErrorsDoNot) {
  test::HostFixture fixture(2, test::kIePath);
  auto quiet = NewBho(2);
  ASSERT_EQ(S_OK, quiet->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  quiet->OnRequestFailed(2, 12157);
  EXPECT_FALSE(Peer(quiet).GetConnectionWarning()->IsShowing());
  EXPECT_EQ(S_OK, quiet->SetSite(nullptr));

  // The toast's window is made when the first error calls for it, and it shows.
  auto bho = NewBho(2);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  const int dialogs = DialogWindows();
  bho->OnRequestFailed(2, 12002);
  EXPECT_EQ(dialogs + 1, DialogWindows());
  EXPECT_TRUE(Peer(bho).GetConnectionWarning()->IsShowing());
  EXPECT_EQ(fixture.frame(), Peer(bho).GetConnectionWarning()->GetFocusWindow());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

TEST(FullScreen, FrameCoveringTheScreenShowsTheWarning) {
  test::HostFixture fixture(2, test::kIePath);
  auto bho = NewBho(2);
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  fixture.browser()->FireFullScreen(true);  // the frame is not full screen yet
  EXPECT_FALSE(Peer(bho).GetFullScreenWarning()->IsShowing());
  SetWindowPos(fixture.frame(), nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN) + 2,
               GetSystemMetrics(SM_CYSCREEN) + 2, SWP_NOZORDER | SWP_NOACTIVATE);
  fixture.browser()->FireFullScreen(true);
  EXPECT_TRUE(Peer(bho).GetFullScreenWarning()->IsShowing());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

}  // namespace

namespace {

// A saved settings change (event 1) makes the helper object read the pointer-effect state again;
// state 2 turns the pointer effect off.
TEST(BhoSettings, SavedPointerEffectStateIsReadAgain) {
  {
    KestrinWinNS::CScopedRegKey key;  // setup makes the settings key; a fresh prefix lacks it
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, SettingsUtilsNS::kSettingsKeyPath, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
  }
  test::HostFixture fixture(2, test::kIePath);
  auto bho = NewBho(2);
  SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupNone);
  DWORD before = settings.GetCurrentKRAIDAState(true);
  EXPECT_EQ(before, Peer(bho).GetCachedKRAIDAState());
  DWORD other = before == 2 ? 0 : 2;
  ASSERT_TRUE(settings.SetCurrentKRAIDAState(other, true));
  EXPECT_TRUE(test::PumpUntil(5000, [&] { return Peer(bho).GetCachedKRAIDAState() == other; }));
  if (other == 2) {
    EXPECT_FALSE(bho->ShowShadowMouse());
  }
  settings.SetCurrentKRAIDAState(before, true);
  EXPECT_TRUE(test::PumpUntil(5000, [&] { return Peer(bho).GetCachedKRAIDAState() == before; }));
}

}  // namespace

namespace {

// A browser without a window of this process (another process's frame, or none): the page the
// browser shows is taken at once, and SetSite answers what reading its address gave.
TEST(BhoSite, BrowserOfAnotherProcessIsCollectedAtOnce) {
  test::HostFixture fixture(2, test::kIePath);
  fixture.browser()->SetWindow(nullptr);
  CComObject<CHostDocument>* page = fixture.NewPage(L"https://localhost:1/");
  fixture.browser()->SetDocument(page);
  fixture.browser()->SetLocationUrl(L"https://localhost:1/");
  auto bho = NewBho(2);
  EXPECT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  EXPECT_FALSE(Peer(bho).IsSameProcess());
  EXPECT_EQ("localhost", Peer(bho).GetCurrentHost());
  EXPECT_EQ(1u, page->ElementConnectionCount());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
  EXPECT_EQ(0u, page->ElementConnectionCount());
  fixture.browser()->SetDocument(nullptr);
}

}  // namespace
