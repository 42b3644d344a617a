// The main road on the scripted browser with the local services: an HTTPS page of this
// machine's test service, the site-seal lookup service with the seal hierarchy's certificate
// for 127.0.0.1, the page's genuine seal image and a forged one of the same size.
#include <gtest/gtest.h>

#include <string>

#include "common/sslverifier/ssl_verify_state.h"
#include "common/url/page_address.h"
#include "common/windowing/validation_border.h"
#include "ie/kestrin_bho.h"
#include "tests/common/observe/private_desktop.h"
#include "tests/ie/host_fixture.h"
#include "tools/sealpki/seal_pki.h"
#include "tools/testservice/test_env.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;
using iehost::CHostDocument;
using KestrinIENS::CKestrinBho;

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

// Lookup requests the service received for a host so far.
int LookupsFor(const std::string& host) {
  std::string recorded = Get(KestrinTest::ServiceUrl("http", "/nlr_searcher/recorded"));
  std::string needle = "v_search=" + host + "&";
  int count = 0;
  for (size_t at = recorded.find(needle); at != std::string::npos; at = recorded.find(needle, at + 1)) ++count;
  return count;
}

std::string ImageUrl(const char* name) { return KestrinTest::ServiceUrl("http", (std::string("/files/") + name).c_str()); }

class EndToEnd : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(KestrinTest::InstallTestRoot());
    ASSERT_TRUE(SealPki::InstallHierarchy());
  }

  EndToEnd() : fixture_(2, test::kIePath) {}

  // A helper object on the scripted browser whose lookups go to `lookup_host`.
  void Attach(const std::string& lookup_host) {
    bho_.Attach(CComObject<CKestrinBho>::Create(2));
    bho_->GetSiteSealLookup()->SetServiceHost(lookup_host);
    ASSERT_EQ(S_OK, bho_->SetSite(static_cast<IWebBrowser2*>(fixture_.browser())));
  }
  void TearDown() override {
    if (bho_) bho_->SetSite(nullptr);
    bho_.Release();
  }

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

  bool PageVerified() {
    if (!bho_) return false;
    CNLRList* list = bho_->GetNLRList();
    return list->CertificatesDownloaded() && list->IsImageListComplete();
  }

  test::HostFixture fixture_;
  CComPtr<CComObject<CKestrinBho>> bho_;
  CComPtr<CComObject<CHostDocument>> page_;
  pagemodel::CPageElement* genuine_ = nullptr;
  pagemodel::CPageElement* forged_ = nullptr;
};

TEST_F(EndToEnd, GenuineSealShowsTheBorderWithItsNameAndTheForgedOneNever) {
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  int lookups_before = LookupsFor("127.0.0.1");
  std::string url = KestrinTest::ServiceUrl("https", "/plain");
  fixture_.browser()->Navigate(Wide(url), BankPage(url));
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified(); }, 20000));
  EXPECT_EQ("127.0.0.1", bho_->GetCurrentHost());
  EXPECT_TRUE(bho_->IsNewHost());

  // The server's organisation-validated certificate for 127.0.0.1: class 1, and the popup that
  // the page collection asked for is shown once the certificate is in.
  SslVerifyNS::CSslVerifyBase* verifier = bho_->GetSslVerifier();
  ASSERT_TRUE(KestrinTest::PumpUntil([verifier] { return verifier->GetCertificate() != nullptr; }, 20000));
  EXPECT_EQ(SslVerifyNS::kCertVerified, verifier->GetCertClass());
  EXPECT_TRUE(KestrinTest::PumpUntil(
      [verifier] { return verifier->GetState() == SslVerifyNS::CSslVerifyStateHttps::Instance(); }, 5000));

  // The seal certificate of the host, matched to the genuine image only.
  CNLRList* list = bho_->GetNLRList();
  ASSERT_EQ(1u, list->GetCount());
  const NLR& seal = *list->Certificates()[0];
  ASSERT_NE(nullptr, seal.matched_image);
  EXPECT_EQ(ImageUrl("seal.gif"), seal.matched_image->url());
  EXPECT_FALSE(seal.display_name.empty());
  EXPECT_EQ(lookups_before + 1, LookupsFor("127.0.0.1"));

  WindowingNS::CValidationBorder* border = WindowingNS::CValidationBorder::GetInstance();
  page_->MouseOver(forged_);
  EXPECT_FALSE(border->IsBorderVisible());
  page_->MouseOut(forged_);

  page_->MouseOver(genuine_);
  EXPECT_TRUE(border->IsBorderVisible());
  EXPECT_TRUE(bho_->IsBorderByMouseOver());
  EXPECT_EQ(seal.display_name, border->GetCaptionText());
  page_->MouseOut(genuine_);
  EXPECT_FALSE(bho_->IsBorderByMouseOver());
  EXPECT_TRUE(KestrinTest::PumpUntil([border] { return !border->IsBorderVisible(); }, 5000));

  page_->MouseOver(forged_);
  EXPECT_FALSE(border->IsBorderVisible());
  page_->MouseOut(forged_);

  // The same host again: no second lookup, the images are matched again.
  fixture_.browser()->Navigate(Wide(url), page_.get());
  EXPECT_FALSE(bho_->IsNewHost());
  KestrinTest::PumpFor(300);
  EXPECT_EQ(lookups_before + 1, LookupsFor("127.0.0.1"));
  EXPECT_FALSE(bho_->GetConnectionWarning()->IsShowing());
}

// Page addresses as the browser hands them over (UTF-16), each through the whole road: the
// host looked up, the seals kept for the page, and the border over the genuine seal. In order:
// a row of the same host as the one before looks nothing up and holds the host's seals against
// the new page.
TEST_F(EndToEnd, HostileAddressesAreReadAsTheBrowserReadsThem) {
  struct Row {
    const wchar_t* page;
    const char* host;  // looked up
    DWORD seals;       // kept for the page
  } const kRows[] = {
      {L"http://bank.example/", "bank.example", 1},
      {L"about:blank", "", 0},
      {L"http://b\x0430nk.example/", "xn--bnk-6cd.example", 0},
      {L"http://bank.example@evil.example/", "evil.example", 0},
      {L"http://evil.example\\@bank.example/", "evil.example", 0},
      {L"http://BANK.example./a/../", "bank.example", 1},
      {L"http://dir.bank.example/shop/page.html", "dir.bank.example", 1},
      {L"http://dir.bank.example/other/page.html", "dir.bank.example", 0},
      {L"http://dir.bank.example/shop/..%2fother/page.html", "dir.bank.example", 0},
      {L"http://DIR.bank.example./shop/%2e/page.html", "dir.bank.example", 1},
  };
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  WindowingNS::CValidationBorder* border = WindowingNS::CValidationBorder::GetInstance();
  CSiteSealLookup* lookup = bho_->GetSiteSealLookup();
  for (const Row& row : kRows) {
    SCOPED_TRACE(UrlNS::NarrowPageAddress(row.page, wcslen(row.page)));
    fixture_.browser()->Navigate(row.page, BankPage(std::wstring(row.page)));
    ASSERT_TRUE(KestrinTest::PumpUntil([lookup] { return lookup->GetPendingUrl().empty(); }, 20000));
    EXPECT_EQ(row.host, bho_->GetCurrentHost());
    EXPECT_EQ(row.seals, bho_->GetNLRList()->GetCount());
    if (row.seals) ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified(); }, 20000));
    page_->MouseOver(genuine_);
    EXPECT_EQ(row.seals != 0, border->IsBorderVisible());
    page_->MouseOut(genuine_);
    EXPECT_TRUE(KestrinTest::PumpUntil([border] { return !border->IsBorderVisible(); }, 5000));
  }
}

// A site whose certificate is only domain-validated is class 0.
TEST_F(EndToEnd, DomainValidatedSiteIsClassZero) {
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  std::string url = KestrinTest::ServiceUrl("https_dv", "/plain");
  fixture_.browser()->Navigate(Wide(url), BankPage(url));
  SslVerifyNS::CSslVerifyBase* verifier = bho_->GetSslVerifier();
  ASSERT_TRUE(KestrinTest::PumpUntil([verifier] { return verifier->GetCertificate() != nullptr; }, 20000));
  EXPECT_EQ(SslVerifyNS::kCertLowAssurance, verifier->GetCertClass());
}

// The pointer effect leads the eye to the genuine seal, here the background of a DIV inside a
// positioned box: its place is the sum of the offsets up the offsetParent chain, in screen
// coordinates of the page's window.
TEST_F(EndToEnd, PointerEffectAimsAtTheGenuineSeal) {
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  ShowWindow(fixture_.frame(), SW_SHOW);
  SetForegroundWindow(fixture_.frame());
  ASSERT_EQ(fixture_.frame(), GetForegroundWindow());
  std::string url = KestrinTest::ServiceUrl("https", "/plain?effect");
  page_.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  iehost::CHostElement* box = page_->AddElement(L"DIV", RECT{40, 30, 440, 230});
  iehost::CHostElement* seal = page_->AddElement(L"DIV", RECT{100, 50, 188, 81}, box);
  seal->SetBackground(L"url(" + Wide(ImageUrl("seal.gif")) + L")");
  fixture_.browser()->Navigate(Wide(url), page_.get());
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified(); }, 20000));

  const NLR& nlr = *bho_->GetNLRList()->Certificates()[0];
  ASSERT_NE(nullptr, nlr.matched_image);
  ASSERT_TRUE(KestrinComNS::IsSameObject(nlr.matched_image->element(), static_cast<IHTMLElement*>(seal)));
  ASSERT_TRUE(bho_->IsEffectShown());
  LONG left = 40 + 100 + 60, top = 30 + 50 + 140;  // offsets plus the window's screen position
  POINT expected = nlr.logo_width != -1 && nlr.logo_height != -1
                       ? POINT{nlr.logo_width + left, nlr.logo_height + top}
                       : POINT{88 * 7 / 8 + left, 31 * 7 / 8 + top};
  EXPECT_EQ(expected.x, bho_->GetEffectTarget().x);
  EXPECT_EQ(expected.y, bho_->GetEffectTarget().y);
  // The seal is in sight: the page is scrolled to its top-left corner.
  EXPECT_EQ(1, page_->window()->scroll_calls());
  EXPECT_EQ(0, page_->window()->scroll().x);
  EXPECT_EQ(0, page_->window()->scroll().y);

  // A second page of the same host shows no effect again.
  fixture_.browser()->Navigate(Wide(url), page_.get());
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return bho_->GetNLRList()->IsImageListComplete(); }, 20000));
  KestrinTest::PumpFor(200);
  EXPECT_FALSE(bho_->IsEffectShown());
  EXPECT_FALSE(bho_->ShowShadowMouse());
}

// A seal beyond the right edge of the frame's client area: the page is scrolled sideways by
// whole client widths so that the target lands in sight.
TEST_F(EndToEnd, PointerEffectScrollsToASealOutOfSight) {
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  ShowWindow(fixture_.frame(), SW_SHOW);
  SetForegroundWindow(fixture_.frame());
  std::string url = KestrinTest::ServiceUrl("https", "/plain?far");
  page_.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  iehost::CHostElement* seal = page_->AddElement(L"DIV", RECT{2500, 100, 2588, 131});
  seal->SetBackground(L"url(" + Wide(ImageUrl("seal.gif")) + L")");
  fixture_.browser()->Navigate(Wide(url), page_.get());
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified() && bho_->IsEffectShown(); }, 20000));
  RECT client;
  GetClientRect(fixture_.frame(), &client);
  MapWindowPoints(fixture_.frame(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_EQ(1, page_->window()->scroll_calls());
  LONG h = page_->window()->scroll().x;
  EXPECT_GT(h, 0);
  EXPECT_EQ(0, h % client.right);
  EXPECT_EQ(0, page_->window()->scroll().y);
  EXPECT_GE(bho_->GetEffectTarget().x, 0);
  EXPECT_LE(bho_->GetEffectTarget().x, client.right);
}

// What the frame subclassing reports reaches the border and the toasts: the mouse wheel over the
// page hides the border, the frame going to full screen warns.
TEST_F(EndToEnd, WheelHidesTheBorderAndFullScreenWarns) {
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  std::string url = KestrinTest::ServiceUrl("https", "/plain?frame");
  fixture_.browser()->Navigate(Wide(url), BankPage(url));
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified(); }, 20000));
  WindowingNS::CValidationBorder* border = WindowingNS::CValidationBorder::GetInstance();
  page_->MouseOver(genuine_);
  ASSERT_TRUE(border->IsBorderVisible());
  SendMessageA(fixture_.document(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_TRUE(KestrinTest::PumpUntil([border] { return !border->IsBorderVisible(); }, 5000));

  EXPECT_FALSE(bho_->GetFullScreenWarning()->IsShowing());
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(fixture_.frame(), nullptr, -4, -4, cx + 5, cy + 8, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(fixture_.document(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(cx, cy));
  EXPECT_TRUE(bho_->GetFullScreenWarning()->IsShowing());
}

// A reload of the page (F5): the page's events are attached again, its images collected and
// matched again, and the reload counts as the page whose pointer effect was shown.
TEST_F(EndToEnd, RefreshCollectsThePageAgain) {
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  std::string url = KestrinTest::ServiceUrl("https", "/plain?refresh");
  fixture_.browser()->Navigate(Wide(url), BankPage(url));
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified(); }, 20000));
  EXPECT_FALSE(bho_->IsEffectShown());  // the frame is not in front
  int lookups = LookupsFor("127.0.0.1");

  fixture_.browser()->ReloadPage();
  EXPECT_TRUE(bho_->IsEffectShown());
  EXPECT_EQ(1u, page_->html()->events()->ConnectionCount());
  EXPECT_EQ(1u, bho_->GetElementConnectionCount());
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified(); }, 20000));
  const NLR& seal = *bho_->GetNLRList()->Certificates()[0];
  ASSERT_NE(nullptr, seal.matched_image);
  EXPECT_EQ(ImageUrl("seal.gif"), seal.matched_image->url());
  EXPECT_EQ(lookups, LookupsFor("127.0.0.1"));

  WindowingNS::CValidationBorder* border = WindowingNS::CValidationBorder::GetInstance();
  page_->MouseOver(genuine_);
  EXPECT_TRUE(border->IsBorderVisible());
  page_->MouseOut(genuine_);
}

// Internet Explorer 7: the page of a tab in the background gets no pointer effect; it comes
// when the tab is brought to the front.
TEST(EndToEndTabs, PointerEffectWaitsForTheTab) {
  ASSERT_TRUE(KestrinTest::InstallTestRoot());
  ASSERT_TRUE(SealPki::InstallHierarchy());
  test::HostFixture fixture(3, test::kIePath);
  CComPtr<CComObject<CKestrinBho>> bho;
  bho.Attach(CComObject<CKestrinBho>::Create(3));
  bho->GetSiteSealLookup()->SetServiceHost("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  ASSERT_EQ(S_OK, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
  ShowWindow(fixture.frame(), SW_SHOW);
  SetForegroundWindow(fixture.frame());
  std::string url = KestrinTest::ServiceUrl("https", "/plain?tab");
  CComPtr<CComObject<CHostDocument>> page;
  page.Attach(CComObject<CHostDocument>::Create(Wide(url), POINT{60, 140}));
  page->AddElement(L"DIV", RECT{100, 100, 188, 131})->SetBackground(L"url(" + Wide(ImageUrl("seal.gif")) + L")");
  fixture.browser()->Navigate(Wide(url), page.get());
  CNLRList* list = bho->GetNLRList();
  ASSERT_TRUE(KestrinTest::PumpUntil(
      [list] { return list->CertificatesDownloaded() && list->IsImageListComplete(); }, 20000));
  EXPECT_FALSE(bho->IsEffectShown());

  fixture.browser()->FireWindowStateChanged(3, 3);
  EXPECT_TRUE(bho->IsTabActive());
  EXPECT_TRUE(bho->IsEffectShown());
  EXPECT_EQ(1, page->window()->scroll_calls());
  EXPECT_EQ(S_OK, bho->SetSite(nullptr));
}

// A page whose images cannot be fetched warns nobody; a lookup service that cannot be reached
// shows the connection warning.
TEST_F(EndToEnd, OnlyAnUnreachableLookupServiceWarns) {
  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
  std::string url = KestrinTest::ServiceUrl("https", "/plain");
  CComObject<CHostDocument>* page = BankPage(url);
  page->content()->Add("IMG")->Set("src", KestrinTest::ServiceUrl("refused", "/seal.gif").c_str())
      ->Set("fileSize", std::to_string(SealPki::Bytes("seal.gif").size()).c_str());
  fixture_.browser()->Navigate(Wide(url), page);
  ASSERT_TRUE(KestrinTest::PumpUntil([this] { return PageVerified(); }, 20000));
  EXPECT_FALSE(bho_->GetConnectionWarning()->IsShowing());
  bho_->SetSite(nullptr);

  Attach("127.0.0.1:" + std::to_string(KestrinTest::ServicePort("refused")));
  fixture_.browser()->Navigate(Wide(url), BankPage(url));
  EXPECT_TRUE(KestrinTest::PumpUntil([this] { return bho_->GetConnectionWarning()->IsShowing(); }, 20000));
}

}  // namespace
