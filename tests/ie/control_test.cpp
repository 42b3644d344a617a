// The verification control embedded by a page of the scripted browser, with the local lookup
// service and the seal hierarchy's certificates: its road by status, state and error for each
// kind of certificate, revocation answer, page and control size.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>
#include <string>

#include "common/nlrcert/chain_verdicts.h"
#include "common/url/page_address.h"
#include "common/utility/platform.h"
#include "common/windowing/validation_border.h"
#include "ie/kestrin_control.h"
#include "ie/kr_protocol.h"
#include "platform/com/com_values.h"
#include "platform/win/scoped_handle.h"
#include "tools/iehost/host_control_site.h"
#include "tools/iehost/host_embedded_browser.h"
#include "tools/sealpki/seal_pki.h"
#include "tools/testservice/test_env.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;
using KestrinIENS::CKestrinControl;

const wchar_t kPage[] = L"http://bank.example/index.html";
const DISPID kOnStatusChanged = 1;
const DISPID kOnError = 1002;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Text(BSTR text) {
  std::wstring out = text ? text : L"";
  SysFreeString(text);
  return out;
}

void SetValue(HKEY root, const char* path, const char* name, const std::string& text) {
  KestrinWinNS::CScopedRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr));
  RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
}

void SetNumber(const char* name, DWORD value) {
  KestrinWinNS::CScopedRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\TorvanGroup\\Dravix", 0, nullptr, 0,
                                           KEY_WRITE, nullptr, key.Receive(), nullptr));
  RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

struct Road {
  int state;
  std::wstring status;
  std::wstring error;
};

class ControlTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SealPki::InstallHierarchy()); }

  ControlTest() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // The tray program counts as running: a control would otherwise start the one the prefix
    // has registered.
    tray_mutex_.Reset(CreateMutexA(nullptr, FALSE, UtilityClassesNS::kTrayMutexName));
    browsers_ = new iehost::CHostBrowserClass();
    page_window_ = CreateWindowExW(0, L"STATIC", L"page", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                                   640, 480, nullptr, nullptr, nullptr, nullptr);
    browser_.Attach(CComObject<iehost::CHostBrowser>::Create(L"C:\\Program Files\\Internet Explorer\\iexplore.exe",
                                                             page_window_, nullptr));
    SetValue(HKEY_CURRENT_USER, "Software\\TorvanGroup\\Kestrin", "LookupHost",
             "127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")));
    SetNumber("ErrorOnFailedRevocationCheck", 1);
  }
  ~ControlTest() override {
    if (site_) site_->Close();
    site_.Release();
    control_.Release();
    // The hallmarks the controls kept, and the settings this test wrote.
    RegDeleteTreeA(HKEY_CURRENT_USER, UtilityClassesNS::kHallmarkKeyPath);
    KestrinWinNS::CScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\TorvanGroup\\Dravix", 0, KEY_SET_VALUE, key.Receive()) ==
        ERROR_SUCCESS)
      RegDeleteValueA(key.Get(), "ErrorOnFailedRevocationCheck");
    browser_.Release();
    DestroyWindow(page_window_);
    delete browsers_;
    CoUninitialize();
  }

  // The page at `page` embeds the control, `width` x `height` pixels, with CertLocation.
  void Embed(const std::wstring& page, const std::string& location, int width = 200, int height = 100) {
    document_.Attach(CComObject<iehost::CHostDocument>::Create(page, POINT{0, 0}));
    browser_->SetDocument(document_.get());
    browser_->SetLocationUrl(page);
    Place(location, width, height);
  }
  void Place(const std::string& location, int width, int height) {
    // Made by the class's own factory: the class is not registered in this (shared) prefix,
    // and Wine leaves a class key behind when CoCreateInstance finds a class registered in the
    // process only. The browser's road by class identifier is the registration test's.
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, KestrinComNS::GetClassObjectOf<CKestrinControl>(CLSID_KestrinControl, CLSID_KestrinControl,
                                                                    IID_IClassFactory,
                                                                    reinterpret_cast<void**>(&factory)));
    CComPtr<IUnknown> made;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&made)));
    HRESULT hr = E_FAIL;
    site_.Attach(iehost::CHostControlSite::Create(
        made.get(), page_window_, RECT{10, 10, 10 + width, 10 + height},
        static_cast<IWebBrowser2*>(browser_.get()), {{L"CertLocation", Wide(location)}}, DIID__IKestrinControlEvents,
        &hr));
    ASSERT_EQ(S_OK, hr);
    ASSERT_TRUE(site_);
    ASSERT_EQ(S_OK, site_->GetControl(&control_));
  }
  CKestrinControl* Control() const { return static_cast<CKestrinControl*>(control_.get()); }
  // Pumps until the control stops (shows something or fails).
  Road Finish() {
    KestrinTest::PumpUntil([this] { return Control()->GetState() >= KestrinIENS::kStateShowingLogo; }, 20000);
    BSTR status = nullptr, error = nullptr;
    control_->get_Status(&status);
    control_->get_Error(&error);
    return Road{Control()->GetState(), Text(status), Text(error)};
  }
  static std::string Seal(const char* name) {
    return KestrinTest::ServiceUrl("http", (std::string("/files/") + name).c_str());
  }

  KestrinWinNS::CScopedKernelHandle tray_mutex_;
  iehost::CHostBrowserClass* browsers_ = nullptr;
  HWND page_window_ = nullptr;
  CComPtr<CComObject<iehost::CHostBrowser>> browser_;
  CComPtr<CComObject<iehost::CHostDocument>> document_;
  CComPtr<CComObject<iehost::CHostControlSite>> site_;
  CComPtr<IKestrinControl> control_;
};

struct RoadCase {
  const char* certificate;  // a file of the seal hierarchy, or a path of the service
  const wchar_t* page;
  DWORD error_on_failed_revocation;
  int state;
  const wchar_t* text;  // the status when shown, else the error
};

const RoadCase kRoads[] = {
    {"logo-bitmap.cer", kPage, 1, 5, L"Showing image."},
    {"logo-picture.cer", L"http://www.bank.example/shop/", 1, 5, L"Showing image."},
    {"logo-html.cer", kPage, 1, 6, L"Showing signed HTML"},
    // The seal's scope and the other bits the hierarchy's broken seals produce.
    {"logo-bitmap.cer", L"http://other.example/", 1, 7, L"Unable to verify URL"},
    {"seal-nourl.cer", kPage, 1, 7, L"Not a Kestrin certificate"},
    {"seal-expired.cer", kPage, 1, 7,
     L"This certificate or one of the certificates in the certificate chain is not time valid"},
    {"seal-outlives.cer", kPage, 1, 7, L"Certificates in the chain are not properly time nested."},
    {"seal-badsig.cer", kPage, 1, 7,
     L"The certificate or one of the certificates in the certificate chain does not have a valid signature."},
    {"seal-caonly.cer", kPage, 1, 7, L"The certificate or certificate chain is based on an untrusted root."},
    {"seal-orphan.cer", kPage, 1, 7, L"The certificate chain is not complete ."},
    {"seal-foreign.cer", kPage, 1, 7, L"Unable to verify root certificate/s"},
    {"seal-version2.cer", kPage, 1, 7,
     L"The nelrow certificate version is not supported by your current installation of Kestrin"},
    // A seal without a logo of its own (a hash of a page image): nothing to show.
    {"seal-valid.cer", kPage, 1, 7, L"Not a Kestrin certificate"},
    // Revocation: the service answers a revoked serial with nothing; the setting decides.
    {"logo-revoked.cer", kPage, 1, 7, L"The certificate has been revoked."},
    {"logo-revoked.cer", kPage, 0, 5, L"Showing image."},
    // An error page of the lookup service is no "not revoked".
    {"logo-troubled.cer", kPage, 1, 7, L"The certificate has been revoked."},
    {"logo-troubled.cer", kPage, 0, 5, L"Showing image."},
};

TEST_F(ControlTest, RoadByCertificate) {
  for (const RoadCase& c : kRoads) {
    SCOPED_TRACE(std::string(c.certificate) + " on " + std::string(c.page, c.page + wcslen(c.page)));
    SetNumber("ErrorOnFailedRevocationCheck", c.error_on_failed_revocation);
    Embed(c.page, Seal(c.certificate));
    Road road = Finish();
    EXPECT_EQ(c.state, road.state);
    iehost::CHostEventSink* events = site_->events();
    ASSERT_TRUE(events);
    EXPECT_GE(events->Count(kOnStatusChanged), 2u);
    if (c.state == 7) {
      EXPECT_EQ(c.text, road.error);
      EXPECT_EQ(1u, events->Count(kOnError));
    } else {
      EXPECT_EQ(c.text, road.status);
      EXPECT_EQ(L"No Error.", road.error);
      EXPECT_EQ(0u, events->Count(kOnError));
      // The certificate shown is kept in the hallmark store under the control window.
      int window = static_cast<int>(reinterpret_cast<INT_PTR>(site_->ControlWindow()));
      char size[32] = "";
      DWORD length = sizeof(size);
      EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, UtilityClassesNS::GetHallmarkKeyPath(window, 0), "Size",
                                            RRF_RT_REG_SZ, nullptr, size, &length));
      EXPECT_EQ(std::to_string(SealPki::Bytes(c.certificate).size()), size);
    }
    site_->Close();
    EXPECT_EQ(0u, Control()->EventConnectionCount());
    control_.Release();
    site_.Release();
  }
}

// The chain of a control's certificate is judged once per certificate, off the page's thread;
// again only when the verdicts are forgotten (the stores or the update file changed).
TEST_F(ControlTest, ChainIsJudgedOncePerCertificateOffThisThread) {
  struct Judged {
    std::mutex lock;
    std::vector<std::pair<std::vector<BYTE>, DWORD>> calls;  // certificate, thread
    size_t Count(const char* name) {
      std::lock_guard<std::mutex> hold(lock);
      return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [name](const std::pair<std::vector<BYTE>, DWORD>& c) {
        return c.first == SealPki::Bytes(name) && c.second != GetCurrentThreadId();
      }));
    }
  } judged;
  CryptoNS::CChainVerdicts verdicts(
      [&judged](const BYTE* der, DWORD length) {
        {
          std::lock_guard<std::mutex> hold(judged.lock);
          judged.calls.emplace_back(std::vector<BYTE>(der, der + length), GetCurrentThreadId());
        }
        CryptoNS::CNlrCertificate certificate;
        return certificate.Load(der, length) ? certificate.CheckRootChain() : CryptoNS::kNlrIssuerMissing;
      },
      nullptr, nullptr);
  const struct {
    const char* certificate;
    bool forget_first;  // the verdicts are forgotten before this control
    int state;
    const wchar_t* text;
    size_t judged;  // times the certificate was judged so far
  } kSteps[] = {
      {"logo-bitmap.cer", false, 5, L"Showing image.", 1},
      {"logo-bitmap.cer", false, 5, L"Showing image.", 1},
      {"seal-caonly.cer", false, 7, L"The certificate or certificate chain is based on an untrusted root.", 1},
      {"seal-caonly.cer", false, 7, L"The certificate or certificate chain is based on an untrusted root.", 1},
      {"logo-bitmap.cer", true, 5, L"Showing image.", 2},
  };
  for (const auto& step : kSteps) {
    SCOPED_TRACE(step.certificate);
    if (step.forget_first) verdicts.Invalidate();
    Embed(kPage, Seal(step.certificate));
    Control()->SetChainVerdicts(&verdicts);
    Road road = Finish();
    EXPECT_EQ(step.state, road.state);
    EXPECT_EQ(step.text, step.state == 7 ? road.error : road.status);
    EXPECT_EQ(step.judged, judged.Count(step.certificate));
    site_->Close();
    control_.Release();
    site_.Release();
  }
  EXPECT_EQ(3, verdicts.computations());
}

TEST_F(ControlTest, DownloadFailures) {
  const struct {
    std::string location;
    const wchar_t* error;
  } cases[] = {
      {KestrinTest::ServiceUrl("http", "/plain?size=600000"), L"The certificate is larger than the allowed limit."},
      {KestrinTest::ServiceUrl("refused", "/files/logo-bitmap.cer"), L"Certificate Download Failed."},
      {KestrinTest::ServiceUrl("http", "/plain"), L"Certificate Download Failed."},  // not a certificate
      {KestrinTest::ServiceUrl("http", "/status?code=404"), L"Certificate Download Failed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.location);
    Embed(kPage, c.location);
    Road road = Finish();
    EXPECT_EQ(7, road.state);
    EXPECT_EQ(c.error, road.error);
    site_->Close();
    control_.Release();
    site_.Release();
  }
}

// A page framed by another domain cannot read the top document's address.
TEST_F(ControlTest, PageAddressUnreadable) {
  document_.Attach(CComObject<iehost::CHostDocument>::Create(kPage, POINT{0, 0}));
  document_->DenyLocation();
  browser_->SetDocument(document_.get());
  Place(Seal("logo-bitmap.cer"), 200, 100);
  Road road = Finish();
  EXPECT_EQ(7, road.state);
  EXPECT_EQ(L"Security check was unable to determine browser URL, probably due to cross domain framing", road.error);
}

// Page addresses as the browser hands them to the control (UTF-16), read as the helper object
// reads them: a character of another script in the host is part of the host (never a "?" that
// ends it early), full stops of other scripts are dots, user information is never the host. The
// seal is the merchant's genuine one for bank.example and its sub-domains.
TEST_F(ControlTest, HostileAddressesAreReadAsTheBrowserReadsThem) {
  const struct {
    const wchar_t* page;
    bool shown;
  } kRows[] = {
      {L"http://bank.example/index.html", true},
      {L"http://BANK.example./a/../index.html", true},
      {L"http://bank.example\xFF0E/index.html", true},             // a full-width trailing full stop
      {L"http://bank.example\x0430" L"evil.example/", false},     // a Cyrillic letter
      {L"http://bank.example\x4E2D.evil.example/", false},         // a CJK character
      {L"http://bank.example\xFF0E" L"evil.example/", false},      // a full-width full stop
      {L"http://bank.example\x3002" L"evil.example/", false},      // an ideographic full stop
      {L"http://www.b\x0430nk.example/shop/", false},              // a look-alike of the host
      {L"http://bank.example\xFFFD.evil.example/", false},         // the replacement character itself
      {L"http://bank.example@evil.example/", false},
      {L"http://evil.example\\@bank.example/", false},
      {L"about:blank", false},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(UrlNS::EscapeNonAscii(row.page, wcslen(row.page)));
    Embed(row.page, Seal("logo-bitmap.cer"));
    Road road = Finish();
    if (row.shown) {
      EXPECT_EQ(5, road.state);
      EXPECT_EQ(L"No Error.", road.error);
    } else {
      EXPECT_EQ(7, road.state);
      EXPECT_EQ(L"Unable to verify URL", road.error);
    }
    site_->Close();
    control_.Release();
    site_.Release();
  }
}

// A 200-pixel picture needs 150 pixels of the control (three quarters), and as much for the
// height (75 of 100).
TEST_F(ControlTest, PictureSizeTolerance) {
  const struct {
    int width, height, state;
  } cases[] = {{149, 80, 7}, {150, 80, 5}, {150, 74, 7}, {150, 75, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    Embed(kPage, Seal("logo-bitmap.cer"), c.width, c.height);
    Road road = Finish();
    EXPECT_EQ(c.state, road.state);
    if (c.state == 7) {
      EXPECT_EQ(L"Display areas is smaller than the allowed tolerance for the Kestrin image", road.error);
    }
    site_->Close();
    control_.Release();
    site_.Release();
  }
}

// The signed page comes through the private scheme into the browser the control embeds, whose
// events go to the page handler, and the page's view is watched.
TEST_F(ControlTest, SignedPageThroughThePrivateScheme) {
  Embed(kPage, Seal("logo-html.cer"));
  ASSERT_EQ(6, Finish().state);
  ASSERT_FALSE(browsers_->created().empty());
  auto* page = browsers_->created().back().get();
  EXPECT_EQ(0u, page->navigations().back().url.find(L"KRprot:HTML&"));
  ASSERT_TRUE(page->document());
  EXPECT_NE(std::string::npos, page->document()->source().find("Bank Example is a verified merchant."));
  EXPECT_EQ(1u, page->events()->ConnectionCount());  // the page handler
  EXPECT_EQ(1u, page->document()->window()->events()->ConnectionCount());  // the script-error handler
  EXPECT_EQ(page->view(), Control()->GetSubclassedView());
  EXPECT_EQ(GetParent(page->embedding()), site_->ControlWindow());
  EXPECT_EQ(2, Control()->GetDisplayOption());
  // A right click in the signed page is swallowed; other keys go on to the site.
  MSG right = {page->view(), WM_RBUTTONDOWN, 0, 0, 0, {0, 0}};
  CComPtr<IOleInPlaceActiveObject> active;
  ASSERT_EQ(S_OK, site_->GetControl(&active));
  EXPECT_EQ(S_OK, active->TranslateAccelerator(&right));
  MSG key = {page->view(), WM_KEYDOWN, 'A', 0, 0, {0, 0}};
  EXPECT_EQ(S_FALSE, active->TranslateAccelerator(&key));
  EXPECT_EQ(1, site_->accelerators_offered());
  site_->Close();
  EXPECT_EQ(0u, page->events()->ConnectionCount());
}

// Setting CertLocation again starts over; the logo's anchor sits at 7/8 of the control.
TEST_F(ControlTest, CertLocationAgainRestarts) {
  Embed(kPage, Seal("seal-nourl.cer"));
  ASSERT_EQ(7, Finish().state);
  BSTR location = SysAllocString(Wide(Seal("logo-bitmap.cer")).c_str());
  EXPECT_EQ(S_OK, control_->put_CertLocation(location));
  SysFreeString(location);
  EXPECT_EQ(KestrinIENS::kStateDownloadStarted, Control()->GetState());
  Road road = Finish();
  EXPECT_EQ(5, road.state);
  EXPECT_EQ(L"Showing image.", road.status);
  POINT corner = {175, 87};
  ClientToScreen(site_->ControlWindow(), &corner);
  EXPECT_EQ(corner.x, Control()->GetAnchor().x);
  EXPECT_EQ(corner.y, Control()->GetAnchor().y);
  EXPECT_EQ(E_POINTER, control_->get_Status(nullptr));
  KestrinComNS::CBstr too_long(nullptr, 5000);
  EXPECT_EQ(E_INVALIDARG, control_->put_CertLocation(too_long.Get()));
}

// The site-seal popup of `control` when it is shown: a popup made with the control as its
// parent is owned by the control's top-level window.
HWND SealPopupOf(HWND control) {
  for (HWND w = FindWindowA("DRAVIX_QUORVEL_WINDOW", nullptr); w;
       w = FindWindowExA(nullptr, w, "DRAVIX_QUORVEL_WINDOW", nullptr)) {
    if (GetWindow(w, GW_OWNER) == GetAncestor(control, GA_ROOT) && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// In logo mode the pointer on the control brings the validation border at once and, after the
// hover delay, the site-seal popup at the pointer, asking for the lookup page of the hosting
// page; the pointer leaving hides both. In an error state the pointer brings neither.
TEST_F(ControlTest, PointerBringsBorderAndSealPopup) {
  WindowingNS::CValidationBorder* border = WindowingNS::CValidationBorder::GetInstance();
  const struct {
    const char* certificate;
    int state;
  } cases[] = {{"logo-bitmap.cer", 5}, {"seal-nourl.cer", 7}};
  // Away from the screen's top left corner, where the windows of other test programs appear:
  // the popup comes only when the control is the window under the pointer.
  MoveWindow(page_window_, 600, 420, 400, 300, TRUE);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.certificate);
    Embed(kPage, Seal(c.certificate));
    ASSERT_EQ(c.state, Finish().state);
    SetForegroundWindow(page_window_);
    ASSERT_EQ(page_window_, GetForegroundWindow());
    HWND control = site_->ControlWindow();
    RECT box;
    GetWindowRect(control, &box);
    POINT middle = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ASSERT_TRUE(SetCursorPos(middle.x, middle.y));
    size_t browsers = browsers_->created().size();
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(middle.x - box.left, middle.y - box.top));
    if (c.state != 5) {
      EXPECT_FALSE(border->IsBorderVisible());
      KestrinTest::PumpFor(1000);
      EXPECT_EQ(nullptr, SealPopupOf(control));
      EXPECT_FALSE(border->IsBorderVisible());
    } else {
      EXPECT_TRUE(border->IsBorderVisible());
      EXPECT_EQ(nullptr, SealPopupOf(control)) << "before the hover delay";
      ASSERT_TRUE(KestrinTest::PumpUntil([control] { return SealPopupOf(control) != nullptr; }, 5000));
      HWND popup = SealPopupOf(control);
      // Beside the pointer: a corner at its column, above or below it.
      RECT at;
      GetWindowRect(popup, &at);
      EXPECT_TRUE(at.left == middle.x || at.right == middle.x) << at.left << ".." << at.right << " for " << middle.x;
      EXPECT_TRUE(std::abs(at.bottom - middle.y) <= 30 || std::abs(at.top - middle.y) <= 30)
          << at.top << ".." << at.bottom << " for the pointer at " << middle.y;
      ASSERT_EQ(browsers + 1, browsers_->created().size());
      auto* lookup = browsers_->created().back().get();
      EXPECT_TRUE(KestrinTest::PumpUntil(
          [lookup] {
            return !lookup->navigations().empty() &&
                   lookup->navigations().back().url.find(L"v_search=http://bank.example/index.html") !=
                       std::wstring::npos;
          },
          5000));
      // The pointer leaves for a place off the page, the popup and the border.
      ASSERT_TRUE(SetCursorPos(900, 700));
      SendMessageA(control, WM_MOUSELEAVE, 0, 0);
      EXPECT_TRUE(KestrinTest::PumpUntil([popup] { return !IsWindowVisible(popup); }, 5000));
      EXPECT_TRUE(KestrinTest::PumpUntil([border] { return !border->IsBorderVisible(); }, 5000));
    }
    site_->Close();
    control_.Release();
    site_.Release();
  }
}

// A click on the logo of a seal that names a link opens the link in the main browser; a seal
// with a popup text instead opens nothing.
TEST_F(ControlTest, ClickOpensTheSealsLink) {
  const struct {
    const char* certificate;
    const wchar_t* link;
  } cases[] = {{"logo-link.cer", L"http://bank.example/seal-info"}, {"logo-bitmap.cer", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.certificate);
    Embed(kPage, Seal(c.certificate));
    ASSERT_EQ(5, Finish().state);
    size_t navigations = browser_->navigations().size();
    SendMessageA(site_->ControlWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(site_->ControlWindow(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    if (c.link) {
      ASSERT_EQ(navigations + 1, browser_->navigations().size());
      EXPECT_EQ(c.link, browser_->navigations().back().url);
      EXPECT_EQ(L"", browser_->navigations().back().target);
    } else {
      EXPECT_EQ(navigations, browser_->navigations().size());
    }
    site_->Close();
    control_.Release();
    site_.Release();
  }
}

// The state of the context menu's "View Certificate" item, read while the menu is open (by a
// timer of the menu's own loop), which then closes it; -1 when no such item was seen.
int g_view_certificate = -1;

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND window = FindWindowA("#32768", nullptr);
  HMENU menu = window && IsWindowVisible(window) ? reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0))
                                                 : nullptr;
  if (!menu) return;  // not open yet
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, i, text, ARRAYSIZE(text), MF_BYPOSITION);
    if (wcscmp(text, L"View Certificate") == 0) g_view_certificate = static_cast<int>(GetMenuState(menu, i, MF_BYPOSITION));
  }
  KillTimer(nullptr, timer);
  EndMenu();
}

int ViewCertificateItem(HWND control) {
  g_view_certificate = -1;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, &ReadOpenMenu);
  RECT box;
  GetWindowRect(control, &box);
  SendMessageA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(box.left + 5, box.top + 5));
  KillTimer(nullptr, timer);
  return g_view_certificate;
}

// "View Certificate" is offered only while the control shows a seal (states 5 and 6): grey
// while the certificate is still loading and after an error.
TEST_F(ControlTest, ViewCertificateOnlyWhileShowing) {
  const struct {
    const char* certificate;
    bool finished;
    bool offered;
  } cases[] = {
      {"logo-bitmap.cer", true, true},
      {"logo-html.cer", true, true},
      {"seal-nourl.cer", true, false},
      {"logo-bitmap.cer", false, false},  // still downloading
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.certificate) + (c.finished ? "" : ", loading"));
    Embed(kPage, Seal(c.certificate));
    if (c.finished) {
      Finish();
    } else {
      ASSERT_LT(Control()->GetState(), KestrinIENS::kStateShowingLogo);
    }
    int item = ViewCertificateItem(site_->ControlWindow());
    ASSERT_NE(-1, item) << "no menu with the item";
    EXPECT_EQ(c.offered, (item & (MF_GRAYED | MF_DISABLED)) == 0) << item;
    site_->Close();
    control_.Release();
    site_.Release();
  }
}

}  // namespace

namespace KestrinIENS {
// Reaches the control's picture: a picture that can no longer be drawn.
class CKestrinControlTestPeer {
 public:
  static void DropPicture(CKestrinControl* control) { control->picture_.Release(); }
};
}  // namespace KestrinIENS

namespace {

// Counts the data changes the control reports to a host that advised.
class CDataChangeCounter : public IAdviseSink {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid != IID_IUnknown && riid != IID_IAdviseSink) return E_NOINTERFACE;
    *out = static_cast<IAdviseSink*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override { ++changes; }
  STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
  STDMETHODIMP_(void) OnRename(IMoniker*) override {}
  STDMETHODIMP_(void) OnSave() override {}
  STDMETHODIMP_(void) OnClose() override {}
  ULONG refs = 1;
  int changes = 0;
};

TEST_F(ControlTest, ContainerInterfacesAnswer) {
  Embed(kPage, Seal("logo-bitmap.cer"));
  Finish();
  // The connection points, one by one: the events' own.
  CComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(S_OK, control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)));
  CComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
  IConnectionPoint* got[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, points->Next(2, got, &fetched));
  ASSERT_EQ(1u, fetched);
  IID iid = {};
  EXPECT_EQ(S_OK, got[0]->GetConnectionInterface(&iid));
  EXPECT_TRUE(IsEqualIID(iid, DIID__IKestrinControlEvents));
  got[0]->Release();
  EXPECT_EQ(S_FALSE, points->Next(1, got, nullptr));
  CComPtr<IEnumConnectionPoints> copy;
  EXPECT_EQ(S_OK, points->Reset());
  ASSERT_EQ(S_OK, points->Clone(&copy));
  EXPECT_EQ(S_OK, copy->Skip(1));
  EXPECT_EQ(S_FALSE, copy->Skip(1));

  // Every colour property tells a host that advised for data changes.
  CComPtr<IDataObject> data;
  ASSERT_EQ(S_OK, control_->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data)));
  CDataChangeCounter sink;
  FORMATETC any = {0, nullptr, DVASPECT_CONTENT, -1, TYMED_NULL};
  DWORD connection = 0;
  ASSERT_EQ(S_OK, data->DAdvise(&any, ADVF_NODATA, &sink, &connection));
  EXPECT_EQ(S_OK, control_->put_BackColor(0x102030));
  EXPECT_EQ(S_OK, control_->put_BorderColor(0x405060));
  EXPECT_EQ(S_OK, control_->put_FillColor(0x708090));
  EXPECT_EQ(S_OK, control_->put_ForeColor(0xA0B0C0));
  EXPECT_EQ(S_OK, control_->put_TextInvertColour(0xD0E0F0));
  EXPECT_EQ(5, sink.changes);
  EXPECT_EQ(S_OK, data->DUnadvise(connection));
  EXPECT_EQ(S_OK, control_->put_BackColor(0xFFFFFF));
  EXPECT_EQ(5, sink.changes);
  EXPECT_EQ(1u, sink.refs);
}

// A logo that cannot be drawn ends in the error state while painting; the page's OnError comes
// once the paint is over, never from inside it.
TEST_F(ControlTest, AnErrorMetWhilePaintingIsReportedAfterThePaint) {
  Embed(kPage, Seal("logo-bitmap.cer"));
  ASSERT_EQ(KestrinIENS::kStateShowingLogo, Finish().state);
  auto errors = [this] {
    const auto& fired = site_->events()->fired();
    return std::count(fired.begin(), fired.end(), kOnError);
  };
  const auto before = errors();
  KestrinIENS::CKestrinControlTestPeer::DropPicture(Control());
  HWND window = Control()->GetHwnd();
  ASSERT_NE(nullptr, window);
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);  // the paint, to its end
  EXPECT_EQ(KestrinIENS::kStateError, Control()->GetState());
  EXPECT_EQ(before, errors()) << "OnError fired inside WM_PAINT";
  KestrinTest::PumpUntil([&] { return errors() > before; }, 5000);
  EXPECT_EQ(before + 1, errors());
  BSTR error = nullptr;
  control_->get_Error(&error);
  EXPECT_EQ(L"Unable to display logo", Text(error));
}

TEST(ControlTexts, FirstBitDecides) {
  using KestrinIENS::VerificationErrorText;
  EXPECT_STREQ("Not a Kestrin certificate", VerificationErrorText(0x20000000 | 0x04000000));
  EXPECT_STREQ("Unable to verify root certificate/s", VerificationErrorText(0x02000000 | 0x20000000 | 1));
  EXPECT_STREQ("Unable to verify URL", VerificationErrorText(0x40000000 | 0x08000000));
  EXPECT_STREQ("Unknown problem with certificate", VerificationErrorText(0x00100000));
}

TEST(ControlDrawing, ProgressShare) {
  using KestrinIENS::ProgressShown;
  const struct {
    int state, percent, shown;
  } cases[] = {{1, 0, 0}, {2, 50, 45}, {2, 100, 90}, {3, 0, 90}, {4, 50, 94}, {4, 100, 99}, {5, 100, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.shown, ProgressShown(c.state, c.percent)) << c.state << " " << c.percent;
}

}  // namespace
