// The main road on the scripted browser with the local services, with the add-on as the
// browser meets it: registered with regsvr32, found under the browser's helper objects and
// made with CoCreateInstance. The generation follows the browser version in the registry. The
// page is an HTTPS page of this machine's test service; the site-seal lookup service has the
// seal hierarchy's certificate for 127.0.0.1; the page shows the genuine seal image and a
// forged one of the same size. What the add-on does is read from outside: its windows (border,
// popup, toasts), the page's scrolling and event connections, and the requests the services
// received.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "common/subclass/subclass_helper.h"
#include "common/url/page_address.h"
#include "common/utility/platform.h"
#include "common/web/server_request.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"
#include "tests/ie/host_fixture.h"
#include "tools/iehost/host_control_site.h"
#include "tools/iehost/host_embedded_browser.h"
#include "tools/sealpki/seal_pki.h"
#include "tools/testservice/test_env.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;
using iehost::CHostDocument;
using SubclassUtilsNS::BrowserGeneration;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A GET of a URL of the test service through the request layer; the body, empty on failure.
class CBodyWaiter : public WebUtilsNS::IRequestWaiter {
 public:
  void OnRequestComplete(DWORD, const char*, const BYTE* body, DWORD length) override {
    if (body) this->body.assign(reinterpret_cast<const char*>(body), length);
    done = true;
  }
  void OnRequestFailed(DWORD, DWORD) override { done = true; }
  std::string body;
  bool done = false;
};

std::string Get(const std::string& url) {
  WebUtilsNS::CServerRequest request("kestrin-test");
  CBodyWaiter waiter;
  if (!request.SendRequest(url.c_str(), &waiter, 7, 0)) return std::string();
  KestrinTest::PumpUntil([&waiter] { return waiter.done; }, 10000);
  return waiter.body;
}

// Lookup requests the service received for a host so far; with an empty host, all of them.
int LookupsFor(const std::string& host) {
  std::string recorded = Get(KestrinTest::ServiceUrl("http", "/nlr_searcher/recorded"));
  std::string needle = host.empty() ? "v_search=" : "v_search=" + host + "&";
  int count = 0;
  for (size_t at = recorded.find(needle); at != std::string::npos; at = recorded.find(needle, at + 1)) ++count;
  return count;
}

std::string ImageUrl(const char* name) { return KestrinTest::ServiceUrl("http", (std::string("/files/") + name).c_str()); }

// A visible top-level window of `class_name` made by this process (the add-on lives in it).
HWND OwnWindow(const char* class_name) {
  for (HWND w = FindWindowA(class_name, nullptr); w; w = FindWindowExA(nullptr, w, class_name, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

bool BorderShown() { return OwnWindow("DRAVIX_VERIFICATION_WINDOW") != nullptr; }
bool VerificationPopupShown() { return OwnWindow("DRAVIX_QUORVEL_WINDOW") != nullptr; }
bool ToastShown() { return OwnWindow("#32770") != nullptr; }

// Whether the shown border carries its caption tab: at the middle of the screen's top its
// region reaches further down than along the rest of the top edge.
bool BorderHasCaption() {
  HWND border = OwnWindow("DRAVIX_VERIFICATION_WINDOW");
  if (!border) return false;
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(border, region.Get()) == ERROR) return false;
  auto depth = [&region](int x) {
    int y = 0;
    while (y < 400 && PtInRegion(region.Get(), x, y)) ++y;
    return y;
  };
  return depth(GetSystemMetrics(SM_CXSCREEN) / 2) > depth(100);
}

// The browser generation the registry names, which the add-on reads as well.
BrowserGeneration RegistryGeneration() { return SubclassUtilsNS::GetBrowserVersion(); }

// The lookup service host the add-on is to use: HKCU "Software\TorvanGroup\Kestrin"
// "LookupHost", read when the helper object is made.
void SetLookupHost(const std::string& host) {
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TorvanGroup\\Kestrin", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key.Get(), "LookupHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.c_str()),
                 static_cast<DWORD>(host.size() + 1));
}

std::string LookupHost(const char* service) { return "127.0.0.1:" + std::to_string(KestrinTest::ServicePort(service)); }

// The browser on a frame of the registry's generation, with the helper objects that are
// registered for it.
class CRegisteredBrowser {
 public:
  CRegisteredBrowser() : fixture_(static_cast<int>(RegistryGeneration()), test::kIePath) {
    if (!test_frame_has_tabs()) {
      // The status bar of version 6: the padlock in the pane before the last.
      HWND status = FindWindowExA(fixture_.frame(), nullptr, STATUSCLASSNAMEA, nullptr);
      int parts[] = {400, 600, 680, 760, -1};
      SendMessageA(status, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(parts));
      SendMessageA(status, SB_SETICON, 3, reinterpret_cast<LPARAM>(LoadIcon(nullptr, IDI_SHIELD)));
    }
  }
  ~CRegisteredBrowser() { Detach(); }

  // Makes the registered helper objects (lookups going to `lookup_host`) and gives each the
  // browser; the number of objects that took it.
  size_t Attach(const std::string& lookup_host) {
    SetLookupHost(lookup_host);
    std::vector<CComPtr<IObjectWithSite>> objects;
    if (FAILED(iehost::CreateRegisteredHelperObjects(&objects))) return 0;
    for (CComPtr<IObjectWithSite>& object : objects)
      if (SUCCEEDED(object->SetSite(static_cast<IWebBrowser2*>(fixture_.browser())))) helpers_.push_back(object);
    return helpers_.size();
  }
  void Detach() {
    for (CComPtr<IObjectWithSite>& helper : helpers_) helper->SetSite(nullptr);
    helpers_.clear();
  }
  bool test_frame_has_tabs() const { return fixture_.tab() != nullptr; }
  test::HostFixture& fixture() { return fixture_; }

 private:
  test::HostFixture fixture_;
  std::vector<CComPtr<IObjectWithSite>> helpers_;
};

class EndToEnd : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(KestrinTest::InstallTestRoot());
    ASSERT_TRUE(SealPki::InstallHierarchy());
  }
  void SetUp() override {
    ASSERT_EQ(BrowserGeneration::kIE6, RegistryGeneration()) << "run with Internet Explorer 6 in the registry";
    browser_.reset(new CRegisteredBrowser());
  }
  void TearDown() override { browser_.reset(); }

  void Attach(const std::string& lookup_host) { ASSERT_EQ(1u, browser_->Attach(lookup_host)); }
  HWND frame() { return browser_->fixture().frame(); }
  iehost::CHostBrowser* host() { return browser_->fixture().browser(); }

  // The bank's page: the genuine seal and a forged image of the same size.
  CComObject<CHostDocument>* BankPage(const std::string& url) { return BankPage(Wide(url)); }
  CComObject<CHostDocument>* BankPage(const std::wstring& url) {
    page_.Attach(CComObject<CHostDocument>::Create(url, POINT{60, 140}));
    std::string size = std::to_string(SealPki::Bytes("seal.gif").size());
    pagemodel::CPageElement* body = page_->content()->Add("BODY");
    genuine_ = page_->content()->Add("IMG", body)->Set("src", ImageUrl("seal.gif").c_str())->Set("fileSize", size.c_str());
    forged_ = page_->content()->Add("IMG", body)->Set("src", ImageUrl("seal-samesize.gif").c_str())
                  ->Set("fileSize", size.c_str());
    return page_.get();
  }

  // The pointer rests on `image` until the border comes (the seals verified) or the time is up;
  // the pointer stays there when it came.
  bool HoverUntilBorder(pagemodel::CPageElement* image, DWORD ms = 20000) {
    return KestrinTest::PumpUntil(
        [this, image] {
          page_->MouseOver(image);
          if (BorderShown()) return true;
          page_->MouseOut(image);
          return false;
        },
        ms);
  }
  // The pointer over `image` and off it again: whether the border showed meanwhile.
  bool BorderOver(pagemodel::CPageElement* image) {
    page_->MouseOver(image);
    bool shown = BorderShown();
    page_->MouseOut(image);
    return shown;
  }

  std::unique_ptr<CRegisteredBrowser> browser_;
  CComPtr<CComObject<CHostDocument>> page_;
  pagemodel::CPageElement* genuine_ = nullptr;
  pagemodel::CPageElement* forged_ = nullptr;
};

TEST_F(EndToEnd, GenuineSealShowsTheBorderWithItsCaptionAndTheForgedOneNever) {
  Attach(LookupHost("http"));
  int lookups_before = LookupsFor("127.0.0.1");
  std::string url = KestrinTest::ServiceUrl("https", "/plain");
  ShowWindow(frame(), SW_SHOW);
  SetForegroundWindow(frame());
  host()->Navigate(Wide(url), BankPage(url));

  // The server's organisation-validated certificate: the verification popup shows by itself
  // once the certificate is in.
  EXPECT_TRUE(KestrinTest::PumpUntil([] { return VerificationPopupShown(); }, 20000));

  // The seal certificate of the host, matched to the genuine image only.
  ASSERT_TRUE(HoverUntilBorder(genuine_));
  EXPECT_TRUE(BorderHasCaption());
  page_->MouseOut(genuine_);
  EXPECT_TRUE(KestrinTest::PumpUntil([] { return !BorderShown(); }, 5000));
  EXPECT_EQ(lookups_before + 1, LookupsFor("127.0.0.1"));
  EXPECT_FALSE(BorderOver(forged_));

  // The same host again: no second lookup, the images are matched again.
  host()->Navigate(Wide(url), page_.get());
  EXPECT_TRUE(HoverUntilBorder(genuine_));
  page_->MouseOut(genuine_);
  EXPECT_TRUE(KestrinTest::PumpUntil([] { return !BorderShown(); }, 5000));
  EXPECT_FALSE(BorderOver(forged_));
  EXPECT_EQ(lookups_before + 1, LookupsFor("127.0.0.1"));
  EXPECT_FALSE(ToastShown());
}

// Page addresses as the browser hands them over (UTF-16), each through the whole road: the
// host looked up, the seals kept for the page, and the border over the genuine seal. In order:
// a row of the same host as the one before looks nothing up and holds the host's seals against
// the new page.
TEST_F(EndToEnd, HostileAddressesAreReadAsTheBrowserReadsThem) {
  struct Row {
    const wchar_t* page;
    const char* host;  // looked up ("" nothing)
    bool seal;         // a seal kept for the page
  } const kRows[] = {
      {L"http://bank.example/", "bank.example", true},
      {L"about:blank", "", false},
      {L"http://b\x0430nk.example/", "xn--bnk-6cd.example", false},
      {L"http://bank.example@evil.example/", "evil.example", false},
      {L"http://evil.example\\@bank.example/", "evil.example", false},
      {L"http://BANK.example./a/../", "bank.example", true},
      {L"http://dir.bank.example/shop/page.html", "dir.bank.example", true},
      {L"http://dir.bank.example/other/page.html", "dir.bank.example", false},
      {L"http://dir.bank.example/shop/..%2fother/page.html", "dir.bank.example", false},
      {L"http://DIR.bank.example./shop/%2e/page.html", "dir.bank.example", true},
  };
  Attach(LookupHost("http"));
  std::string previous;
  for (const Row& row : kRows) {
    SCOPED_TRACE(UrlNS::NarrowPageAddress(row.page, wcslen(row.page)));
    int all_before = LookupsFor(""), host_before = row.host[0] ? LookupsFor(row.host) : 0;
    host()->Navigate(row.page, BankPage(std::wstring(row.page)));
    bool new_host = row.host[0] && previous != row.host;
    if (new_host) {
      EXPECT_TRUE(KestrinTest::PumpUntil([&] { return LookupsFor(row.host) == host_before + 1; }, 20000));
    }
    if (row.seal) {
      EXPECT_TRUE(HoverUntilBorder(genuine_));
      page_->MouseOut(genuine_);
      EXPECT_TRUE(KestrinTest::PumpUntil([] { return !BorderShown(); }, 5000));
    } else {
      KestrinTest::PumpFor(500);  // the lookup's answer and the images
      EXPECT_FALSE(BorderOver(genuine_));
    }
    // Exactly the row's host was looked up, and only when it is new.
    EXPECT_EQ(all_before + (new_host ? 1 : 0), LookupsFor(""));
    if (row.host[0]) previous = row.host;
  }
}

// The pointer resting on the verification popup shows the border: with the caption for a site
// whose certificate is organisation-validated (class 1), without it for one that is only
// domain-validated (class 0).
TEST_F(EndToEnd, OnlyAnOrganisationValidatedSiteShowsTheCaption) {
  const struct { const char* service; bool caption; } kSites[] = {{"https", true}, {"https_dv", false}};
  for (const auto& site : kSites) {
    SCOPED_TRACE(site.service);
    browser_.reset(new CRegisteredBrowser());
    Attach(LookupHost("http"));
    ShowWindow(frame(), SW_SHOW);
    SetForegroundWindow(frame());
    std::string url = KestrinTest::ServiceUrl(site.service, "/plain?class");
    host()->Navigate(Wide(url), BankPage(url));
    ASSERT_TRUE(KestrinTest::PumpUntil([] { return VerificationPopupShown(); }, 20000));
    SendMessageA(OwnWindow("DRAVIX_QUORVEL_WINDOW"), WM_MOUSEHOVER, 0, 0);
    ASSERT_TRUE(KestrinTest::PumpUntil([] { return BorderShown(); }, 5000));
    EXPECT_EQ(site.caption, BorderHasCaption());
    browser_->Detach();
    EXPECT_TRUE(KestrinTest::PumpUntil([] { return !BorderShown() && !VerificationPopupShown(); }, 5000));
  }
}

// The pointer effect leads the eye to the genuine seal, here the background of a DIV inside a
// positioned box that is in sight: the page is scrolled to its top-left corner once, and a
// second page of the same host shows no effect again.
TEST_F(EndToEnd, PointerEffectScrollsOncePerHost) {
  Attach(LookupHost("http"));
  ShowWindow(frame(), SW_SHOW);
  SetForegroundWindow(frame());
  ASSERT_EQ(frame(), GetForegroundWindow());
  std::string url = KestrinTest::ServiceUrl("https", "/plain?effect");
  page_.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  iehost::CHostElement* box = page_->AddElement(L"DIV", RECT{40, 30, 440, 230});
  iehost::CHostElement* seal = page_->AddElement(L"DIV", RECT{100, 50, 188, 81}, box);
  seal->SetBackground(L"url(" + Wide(ImageUrl("seal.gif")) + L")");
  host()->Navigate(Wide(url), page_.get());
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return page_->window()->scroll_calls() > 0; }, 20000));
  EXPECT_EQ(1, page_->window()->scroll_calls());
  EXPECT_EQ(0, page_->window()->scroll().x);
  EXPECT_EQ(0, page_->window()->scroll().y);

  CComPtr<CComObject<CHostDocument>> first = page_;
  page_.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  page_->AddElement(L"DIV", RECT{100, 50, 188, 81})->SetBackground(L"url(" + Wide(ImageUrl("seal.gif")) + L")");
  host()->Navigate(Wide(url), page_.get());
  KestrinTest::PumpFor(1000);
  EXPECT_EQ(0, page_->window()->scroll_calls());
}

// A seal beyond the right edge of the frame's client area: the page is scrolled sideways by
// whole client widths so that the target lands in sight.
TEST_F(EndToEnd, PointerEffectScrollsToASealOutOfSight) {
  Attach(LookupHost("http"));
  ShowWindow(frame(), SW_SHOW);
  SetForegroundWindow(frame());
  std::string url = KestrinTest::ServiceUrl("https", "/plain?far");
  page_.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  iehost::CHostElement* seal = page_->AddElement(L"DIV", RECT{2500, 100, 2588, 131});
  seal->SetBackground(L"url(" + Wide(ImageUrl("seal.gif")) + L")");
  host()->Navigate(Wide(url), page_.get());
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return page_->window()->scroll_calls() > 0; }, 20000));
  RECT client;
  GetClientRect(frame(), &client);
  MapWindowPoints(frame(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_EQ(1, page_->window()->scroll_calls());
  LONG h = page_->window()->scroll().x;
  EXPECT_GT(h, 0);
  EXPECT_EQ(0, h % client.right);
  EXPECT_EQ(0, page_->window()->scroll().y);
}

// What the frame subclassing reports reaches the border and the toasts: the mouse wheel over the
// page hides the border, the frame going to full screen warns.
TEST_F(EndToEnd, WheelHidesTheBorderAndFullScreenWarns) {
  Attach(LookupHost("http"));
  std::string url = KestrinTest::ServiceUrl("https", "/plain?frame");
  host()->Navigate(Wide(url), BankPage(url));
  ASSERT_TRUE(HoverUntilBorder(genuine_));
  SendMessageA(browser_->fixture().document(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_TRUE(KestrinTest::PumpUntil([] { return !BorderShown(); }, 5000));

  EXPECT_FALSE(ToastShown());
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(frame(), nullptr, -4, -4, cx + 5, cy + 8, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(browser_->fixture().document(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(cx, cy));
  EXPECT_TRUE(KestrinTest::PumpUntil([] { return ToastShown(); }, 5000));
}

// A reload of the page (F5): the page's events are attached again and its images matched again
// without a new lookup.
TEST_F(EndToEnd, RefreshCollectsThePageAgain) {
  Attach(LookupHost("http"));
  std::string url = KestrinTest::ServiceUrl("https", "/plain?refresh");
  host()->Navigate(Wide(url), BankPage(url));
  ASSERT_TRUE(HoverUntilBorder(genuine_));
  page_->MouseOut(genuine_);
  ASSERT_TRUE(KestrinTest::PumpUntil([] { return !BorderShown(); }, 5000));
  int lookups = LookupsFor("127.0.0.1");

  host()->ReloadPage();
  EXPECT_EQ(1u, page_->html()->events()->ConnectionCount());
  EXPECT_TRUE(HoverUntilBorder(genuine_));
  page_->MouseOut(genuine_);
  EXPECT_FALSE(BorderOver(forged_));
  EXPECT_EQ(lookups, LookupsFor("127.0.0.1"));
}

// A page whose images cannot be fetched warns nobody; a lookup service that cannot be reached
// shows the connection warning.
TEST_F(EndToEnd, OnlyAnUnreachableLookupServiceWarns) {
  Attach(LookupHost("http"));
  std::string url = KestrinTest::ServiceUrl("https", "/plain");
  CComObject<CHostDocument>* page = BankPage(url);
  page->content()->Add("IMG")->Set("src", KestrinTest::ServiceUrl("refused", "/seal.gif").c_str())
      ->Set("fileSize", std::to_string(SealPki::Bytes("seal.gif").size()).c_str());
  host()->Navigate(Wide(url), page);
  ASSERT_TRUE(HoverUntilBorder(genuine_));
  page_->MouseOut(genuine_);
  EXPECT_FALSE(ToastShown());
  browser_->Detach();

  Attach(LookupHost("refused"));
  host()->Navigate(Wide(url), BankPage(url));
  EXPECT_TRUE(KestrinTest::PumpUntil([] { return ToastShown(); }, 20000));
}

// A text property of a control read through IDispatch by its name, as a page's script reads it.
std::wstring ControlText(IDispatch* control, const wchar_t* name) {
  DISPID id = 0;
  LPOLESTR names = const_cast<LPOLESTR>(name);
  if (FAILED(control->GetIDsOfNames(IID_NULL, &names, 1, 0, &id))) return L"<no such name>";
  VARIANT value;
  VariantInit(&value);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  std::wstring text = L"<unread>";
  if (SUCCEEDED(control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)) &&
      V_VT(&value) == VT_BSTR)
    text = V_BSTR(&value) ? V_BSTR(&value) : L"";
  VariantClear(&value);
  return text;
}

int Occurrences(const std::string& text, const std::string& needle) {
  int count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

// A merchant's page of the service embeds the verification control by its class identifier,
// as the browser does for an object element: the class is the registered library's (this
// program holds no control of its own) and CertLocation comes from the element's parameters.
// The control downloads the service's seal certificate, checks it against the page, asks the
// revocation service and shows the seal's logo.
TEST_F(EndToEnd, PageEmbedsTheControlByItsClass) {
  const CLSID kControl = {0x58B69FE4, 0x29DE, 0x4862, {0xA0, 0x49, 0x81, 0xF9, 0x14, 0xD5, 0x64, 0x4B}};
  const IID kControlEvents = {0x20E72E12, 0x536B, 0x413D, {0xA3, 0xC2, 0x03, 0x79, 0x11, 0xAA, 0xEB, 0xE8}};
  SetLookupHost(LookupHost("http"));
  {
    KestrinWinNS::CScopedRegKey settings;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\TorvanGroup\\Dravix", 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, settings.Receive(), nullptr));
    DWORD strict = 1;  // a failed revocation lookup fails the seal
    RegSetValueExA(settings.Get(), "ErrorOnFailedRevocationCheck", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&strict), sizeof(strict));
  }
  // The tray program counts as running: the control would otherwise start the one the prefix
  // has registered.
  KestrinWinNS::CScopedKernelHandle tray(CreateMutexA(nullptr, FALSE, UtilityClassesNS::kTrayMutexName));
  iehost::CHostBrowserClass browsers;

  std::string url = KestrinTest::ServiceUrl("https", "/plain?merchant");
  page_.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  host()->SetDocument(page_.get());
  host()->SetLocationUrl(Wide(url));
  ShowWindow(frame(), SW_SHOW);
  int revocations = Occurrences(Get(KestrinTest::ServiceUrl("http", "/nlr_searcher/recorded")), "v_querytype=DXREV");
  HRESULT hr = E_FAIL;
  CComPtr<CComObject<iehost::CHostControlSite>> site;
  site.Attach(iehost::CHostControlSite::Create(kControl, browser_->fixture().document(), RECT{20, 20, 220, 120},
                                               static_cast<IWebBrowser2*>(host()),
                                               {{L"CertLocation", Wide(ImageUrl("logo-local.cer"))}}, kControlEvents,
                                               &hr));
  ASSERT_EQ(S_OK, hr);
  ASSERT_TRUE(site);
  CComPtr<IDispatch> control;
  ASSERT_EQ(S_OK, site->GetControl(&control));
  EXPECT_EQ(Wide(ImageUrl("logo-local.cer")), ControlText(control.get(), L"CertLocation"));
  std::wstring status, error;
  KestrinTest::PumpUntil(
      [&] {
        status = ControlText(control.get(), L"Status");
        error = ControlText(control.get(), L"Error");
        return status == L"Showing image." || error != L"No Error.";
      },
      20000);
  EXPECT_EQ(L"Showing image.", status);
  EXPECT_EQ(L"No Error.", error);
  ASSERT_TRUE(site->events());
  EXPECT_GE(site->events()->Count(1), 2u);     // status changes
  EXPECT_EQ(0u, site->events()->Count(1002));  // errors
  EXPECT_EQ(revocations + 1,
            Occurrences(Get(KestrinTest::ServiceUrl("http", "/nlr_searcher/recorded")), "v_querytype=DXREV"));
  site->Close();
}

// Internet Explorer 7 in the registry: the page of a tab in the background gets no pointer
// effect; it comes when the tab is brought to the front.
TEST(EndToEndTabs, PointerEffectWaitsForTheTab) {
  ASSERT_EQ(BrowserGeneration::kIE7, RegistryGeneration()) << "run with Internet Explorer 7 in the registry";
  ASSERT_TRUE(KestrinTest::InstallTestRoot());
  ASSERT_TRUE(SealPki::InstallHierarchy());
  CRegisteredBrowser browser;
  ASSERT_TRUE(browser.test_frame_has_tabs());
  ASSERT_EQ(1u, browser.Attach(LookupHost("http")));
  HWND frame = browser.fixture().frame();
  ShowWindow(frame, SW_SHOW);
  SetForegroundWindow(frame);
  std::string url = KestrinTest::ServiceUrl("https", "/plain?tab");
  CComPtr<CComObject<CHostDocument>> page;
  page.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  page->AddElement(L"DIV", RECT{100, 100, 188, 131})->SetBackground(L"url(" + Wide(ImageUrl("seal.gif")) + L")");
  int lookups = LookupsFor("127.0.0.1");
  browser.fixture().browser()->Navigate(Wide(url), page.get());
  ASSERT_TRUE(KestrinTest::PumpUntil([lookups] { return LookupsFor("127.0.0.1") == lookups + 1; }, 20000));
  KestrinTest::PumpFor(1000);  // the seal image fetched and matched
  EXPECT_EQ(0, page->window()->scroll_calls());

  browser.fixture().browser()->FireWindowStateChanged(3, 3);
  EXPECT_TRUE(KestrinTest::PumpUntil([&page] { return page->window()->scroll_calls() == 1; }, 5000));
}

}  // namespace
