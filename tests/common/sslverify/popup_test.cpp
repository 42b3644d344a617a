#include "common/sslverify/ssl_verify_popup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/crypto/cert_helpers.h"
#include "common/sslverify/trusted_list.h"
#include "common/subclass/subclass_helper.h"
#include "common/windowing/validation_border.h"
#include "platform/win/gdi.h"

using namespace SslVerifyNS;

namespace {

// Test programs run side by side on one desktop, and any of them may bring its windows to the
// front. The popup follows which window is in front, so this program keeps a desktop of its own.
bool UsePrivateDesktop() {
  std::string name = "KestrinPopupTest" + std::to_string(GetCurrentProcessId());
  HDESK desktop = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  return desktop && SetThreadDesktop(desktop);
}
const bool g_private_desktop = UsePrivateDesktop();

std::string DataPath(const char* name) { return std::string(KESTRIN_UPDATE_TEST_DATA) + "\\" + name; }

std::vector<BYTE> FileBytes(const std::string& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the thread's messages until `done` or the time is up; true when done.
template <class Done>
bool PumpUntil(Done done, DWORD limit_ms = 3000) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start > limit_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// The test certificates in one memory store, so that chains find their roots.
class CertificateSet {
 public:
  CertificateSet() {
    store_ = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    for (const char* name : {"root-nowhere", "leaf-nowhere", "root-torvan", "leaf-torvan", "root-plain",
                             "leaf-wildcard", "inter-orphan", "leaf-orphan"}) {
      std::vector<BYTE> der = FileBytes(DataPath((std::string(name) + ".cer").c_str()));
      PCCERT_CONTEXT context = nullptr;
      CertAddEncodedCertificateToStore(store_, CryptoNS::kCertEncoding, der.data(), static_cast<DWORD>(der.size()),
                                       CERT_STORE_ADD_ALWAYS, &context);
      contexts_.push_back(std::make_pair(std::string(name), context));
    }
  }
  ~CertificateSet() {
    for (auto& c : contexts_)
      if (c.second) CertFreeCertificateContext(c.second);
    CertCloseStore(store_, 0);
  }
  PCCERT_CONTEXT Get(const char* name) const {
    for (auto& c : contexts_)
      if (c.first == name) return c.second;
    return nullptr;
  }

 private:
  HCERTSTORE store_;
  std::vector<std::pair<std::string, PCCERT_CONTEXT>> contexts_;
};

// A leaf whose links open nothing: the pages it would open are written down.
template <class Leaf>
class CTestPopup : public Leaf {
 public:
  CTestPopup(CSslVerifyTrustedList* list, WindowingNS::CValidationBorder* border, HWND frame) : Leaf(border, frame) {
    this->SetTrustedList(list);
  }
  void OpenPage(SHELLEXECUTEINFOA* info) override {
    opened.push_back(info->lpFile);
    verb = info->lpVerb;
    mask = info->fMask;
    show = info->nShow;
  }
  std::vector<std::string> opened;
  std::string verb;
  ULONG mask = 0;
  int show = 0;
};

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

HWND MakeTopLevel(const char* title, int x, int y, int w, int h) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KestrinTestFrame";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, "KestrinTestFrame", title, WS_OVERLAPPEDWINDOW, x, y, w, h, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

class PopupTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    update_path_ = std::string(folder) + "kestrin-popup-" + std::to_string(GetCurrentProcessId()) + ".dat";
    CopyFileA(DataPath("good.dat").c_str(), update_path_.c_str(), FALSE);
    service_ = new ObserveNS::CObserverService();
    list_ = new CSslVerifyTrustedList(service_, update_path_.c_str());
    border_ = new WindowingNS::CValidationBorder(service_);
    certs_ = new CertificateSet();
  }
  static void TearDownTestSuite() {
    delete certs_;
    border_->Close();
    delete border_;
    delete list_;
    delete service_;
    DeleteFileA(update_path_.c_str());
  }
  void SetUp() override {
    frame_ = MakeTopLevel("Frame", 100, 100, 800, 600);
    SetForegroundWindow(frame_);
    border_->SetBrowserWindow(frame_);
  }
  void TearDown() override {
    border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
    DestroyWindow(frame_);
    if (other_) DestroyWindow(other_);
  }

  template <class Leaf>
  CTestPopup<Leaf>* Make() {
    auto* popup = new CTestPopup<Leaf>(list_, border_, frame_);
    EXPECT_NE(nullptr, popup->GetHwnd());
    return popup;
  }
  static PCCERT_CONTEXT Cert(const char* name) { return certs_->Get(name); }
  static SIZE Screen() { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }
  static RECT WindowRect(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
  }

  static std::string update_path_;
  static ObserveNS::CObserverService* service_;
  static CSslVerifyTrustedList* list_;
  static WindowingNS::CValidationBorder* border_;
  static CertificateSet* certs_;
  HWND frame_ = nullptr;
  HWND other_ = nullptr;
};

std::string PopupTest::update_path_;
ObserveNS::CObserverService* PopupTest::service_;
CSslVerifyTrustedList* PopupTest::list_;
WindowingNS::CValidationBorder* PopupTest::border_;
CertificateSet* PopupTest::certs_;

// ---- Faces ------------------------------------------------------------------------------------

TEST(PopupDesktop, ThisProgramHasADesktopOfItsOwn) { EXPECT_TRUE(g_private_desktop); }

TEST_F(PopupTest, FacesOfBothGenerationsTakeTheirBitmapsSizes) {
  struct Case {
    bool ie7;
    SIZE cert, low;
  } cases[] = {{false, {205, 272}, {205, 296}}, {true, {204, 238}, {203, 264}}};
  for (const Case& c : cases) {
    CSslVerifyPopup* popup = c.ie7 ? static_cast<CSslVerifyPopup*>(Make<CSslVerifyPopupIE7>())
                                   : static_cast<CSslVerifyPopup*>(Make<CSslVerifyPopupIE5_6>());
    EXPECT_EQ(1, popup->GetFace());
    EXPECT_EQ(c.cert.cx, popup->GetCurrentSize().cx);
    EXPECT_EQ(c.cert.cy, popup->GetCurrentSize().cy);
    EXPECT_TRUE(popup->SetCertificate(nullptr, 0));
    EXPECT_EQ(0, popup->GetFace());
    EXPECT_EQ(0x0000FFu, popup->GetGradientColour());
    EXPECT_EQ(c.low.cx, popup->GetCurrentSize().cx);
    EXPECT_EQ(c.low.cy, popup->GetCurrentSize().cy);
    EXPECT_STREQ(kFindOutMoreText, popup->GetLink1().GetText());
    EXPECT_EQ(kLowAssuranceExplanationUrl, popup->GetLinkTarget());

    // Shown, the window takes the face's size and its region: the spike's corner is cut away.
    POINT anchor = {600, 400};
    popup->SetAnchorPoint(&anchor);
    popup->Show(false);
    RECT r = WindowRect(popup->GetHwnd());
    EXPECT_EQ(c.low.cx, r.right - r.left);
    EXPECT_EQ(c.low.cy, r.bottom - r.top);
    KestrinWinNS::CScopedRegion region_owner(CreateRectRgn(0, 0, 0, 0));
    const HRGN region = region_owner.Get();
    ASSERT_NE(ERROR, GetWindowRgn(popup->GetHwnd(), region));
    RECT box;
    GetRgnBox(region, &box);
    EXPECT_LE(box.right, c.low.cx);
    EXPECT_LE(box.bottom, c.low.cy);
    EXPECT_TRUE(PtInRegion(region, c.low.cx / 2, c.low.cy / 2));
    EXPECT_FALSE(PtInRegion(region, 0, c.ie7 ? 0 : c.low.cy - 1));  // the corner away from the spike
    delete popup;
  }
}

// The face bitmap as the test reads it from the module's resources.
std::vector<COLORREF> FacePixels(UINT id, int* w, int* h) {
  KestrinWinNS::CScopedBitmap bitmap(static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP info = {};
  GetObjectA(bitmap.Get(), sizeof(info), &info);
  *w = info.bmWidth;
  *h = info.bmHeight;
  KestrinWinNS::CBitmapDC dc(nullptr, bitmap.Get());
  std::vector<COLORREF> pixels;
  for (int y = 0; y < *h; ++y)
    for (int x = 0; x < *w; ++x) pixels.push_back(GetPixel(dc.Get(), x, y));
  return pixels;
}

// Premultiplied ARGB of the rendering at (x, y), y counted from the top.
DWORD AlphaPixel(HDC alpha_dc, int x, int y) {
  DIBSECTION dib = {};
  GetObjectA(GetCurrentObject(alpha_dc, OBJ_BITMAP), sizeof(dib), &dib);
  const DWORD* bits = static_cast<const DWORD*>(dib.dsBm.bmBits);
  return bits[(dib.dsBm.bmHeight - 1 - y) * dib.dsBm.bmWidth + x];
}

TEST_F(PopupTest, AlphaRenderingFollowsTheFacesMarks) {
  struct Case {
    bool cert;
    UINT bitmap;
    COLORREF key, gradient;
  } cases[] = {{true, IDB_POPUP_IE6_CERT, 0x0000FF, 0x00FF00}, {false, IDB_POPUP_IE6_LOW, 0x00FF00, 0x0000FF}};
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  for (const Case& c : cases) {
    if (!c.cert) popup->SetCertificate(nullptr, 0);
    int w = 0, h = 0;
    std::vector<COLORREF> face = FacePixels(c.bitmap, &w, &h);
    HDC alpha = popup->GetAlphaDC();
    ASSERT_NE(nullptr, alpha);
    int keys = 0, edges = 0, marks = 0, wrong = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        COLORREF p = face[y * w + x];
        DWORD expected;
        if (p == c.key) {
          expected = 0;
          ++keys;
        } else if (p == 0xFF0000) {
          // Fades out upwards: opaque on the bottom row, (y + 1) / h of full strength above.
          DWORD a = static_cast<DWORD>(static_cast<float>(y + 1) / h * 255.0f) & 0xFF;
          expected = (a << 24) | ((GetRValue(c.gradient) * a / 255) << 16) | ((GetGValue(c.gradient) * a / 255) << 8) |
                     (GetBValue(c.gradient) * a / 255);
          ++edges;
        } else {
          COLORREF shown = p == 0xFFFF00 ? c.gradient : p;
          if (p == 0xFFFF00) ++marks;
          expected = 0xFF000000u | (GetRValue(shown) << 16) | (GetGValue(shown) << 8) | GetBValue(shown);
        }
        DWORD actual = AlphaPixel(alpha, x, y);
        // Premultiplying in double or single precision may differ by one in a channel.
        bool close = true;
        for (int shift = 0; shift < 32; shift += 8) {
          int d = static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF);
          if (d < -1 || d > 1) close = false;
        }
        if (!close && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " " << actual << " != " << expected;
      }
    }
    EXPECT_EQ(0, wrong);
    EXPECT_GT(keys, 0);  // the face really has every kind of mark
    EXPECT_GT(edges, 0);
    EXPECT_GT(marks, 0);
  }
  delete popup;
}

TEST_F(PopupTest, AlphaRenderingIsRebuiltOnlyWhenTheFaceChanges) {
  auto* popup = Make<CSslVerifyPopupIE7>();
  ASSERT_NE(nullptr, popup->GetAlphaDC());
  EXPECT_EQ(1, popup->GetAlphaBuildCount());
  popup->SetCertificate(Cert("leaf-nowhere"), 1);  // the same face
  popup->GetAlphaDC();
  EXPECT_EQ(1, popup->GetAlphaBuildCount());
  popup->SetCertificate(nullptr, 0);
  popup->GetAlphaDC();
  EXPECT_EQ(2, popup->GetAlphaBuildCount());
  popup->SetCertificate(Cert("leaf-nowhere"), 0);  // class 0: the same low-assurance face
  popup->GetAlphaDC();
  EXPECT_EQ(2, popup->GetAlphaBuildCount());
  popup->SetCertificate(Cert("leaf-nowhere"), 1);
  popup->GetAlphaDC();
  EXPECT_EQ(3, popup->GetAlphaBuildCount());
  delete popup;
}

TEST_F(PopupTest, FaceIsBlendedOverTheScreenWithSoftEdges) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  int w = 0, h = 0;
  std::vector<COLORREF> face = FacePixels(IDB_POPUP_IE6_CERT, &w, &h);
  // A grey "screen" and a target, both memory bitmaps.
  KestrinWinNS::CScopedBitmap screen_bitmap = KestrinWinNS::CreateDib32(w + 40, h + 40);
  KestrinWinNS::CScopedBitmap target_bitmap = KestrinWinNS::CreateDib32(w + 40, h + 40);
  KestrinWinNS::CBitmapDC screen_dc(nullptr, screen_bitmap.Get()), target_dc(nullptr, target_bitmap.Get());
  const HDC screen = screen_dc.Get(), target = target_dc.Get();
  RECT all = {0, 0, w + 40, h + 40};
  KestrinWinNS::CScopedBrush grey(CreateSolidBrush(0x808080));
  FillRect(screen, &all, grey.Get());
  grey.Reset();
  RECT clip = {0, 0, w, h};
  POINT origin = {20, 20};  // where the popup stands on that screen
  ASSERT_TRUE(popup->DrawFace(target, clip, screen, origin));

  int checked = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      COLORREF p = face[y * w + x], out = GetPixel(target, x, y);
      if (p == 0x0000FF) {
        ASSERT_EQ(0x808080u, out) << x << "," << y;  // transparent: the screen shows through
      } else if (p == 0xFF0000 && (y == h - 1 || y < h / 10)) {
        // The soft edge: green over grey, strong at the bottom, faint at the top.
        int green = GetGValue(out), red = GetRValue(out);
        if (y == h - 1) {
          EXPECT_GE(green, 0xFE) << x << "," << y;
          EXPECT_LE(red, 1) << x << "," << y;
        } else {
          EXPECT_NEAR(0x80, red, 0x20) << x << "," << y;
        }
        ++checked;
      } else if (p != 0xFF0000 && p != 0xFFFF00) {
        ASSERT_EQ(p, out) << x << "," << y;  // opaque: the face itself
      }
    }
  }
  EXPECT_GT(checked, 0);
  delete popup;
}

// ---- Certificate face --------------------------------------------------------------------------

COLORREF LogoPixel(CSslVerifyPopup* popup) {
  popup->GetLogoWindow().Draw();  // as the popup does when it shows
  return GetPixel(popup->GetLogoWindow().GetOffscreenDC(), 80, 11);
}

TEST_F(PopupTest, CertificateFaceShowsOwnerNameAndIssuerLogo) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  // The root's thumbprint is a key of the update file: its logo, whatever the authority's name.
  EXPECT_TRUE(popup->SetCertificate(Cert("leaf-nowhere"), 1));
  EXPECT_EQ("Example Shop Ltd", popup->GetOrganisation());
  EXPECT_EQ("www.example.test", popup->GetCommonName());
  EXPECT_STREQ("www.example.test", popup->GetLink1().GetText());
  EXPECT_TRUE(popup->IsLogoPresent());
  ASSERT_TRUE(popup->GetLogoWindow().IsLoaded());
  EXPECT_EQ(84, popup->GetLogoWindow().GetWidth());
  const COLORREF digicert = LogoPixel(popup);

  // No thumbprint key: the issuer's organisation "Torvan CA Limited" finds the Torvan logo.
  EXPECT_TRUE(popup->SetCertificate(Cert("leaf-torvan"), 1));
  ASSERT_TRUE(popup->GetLogoWindow().IsLoaded());
  EXPECT_NE(digicert, LogoPixel(popup));
  EXPECT_EQ(0x6D4017u, LogoPixel(popup));  // the Torvan logo's badge colour

  // No root in the chain: the names change, the rest stays, and the result says so.
  EXPECT_FALSE(popup->SetCertificate(Cert("leaf-orphan"), 1));
  EXPECT_EQ("Orphan Site", popup->GetOrganisation());
  delete popup;
}

TEST_F(PopupTest, LinkOpensTheSiteOverHttpsButNotForAWildcardName) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  popup->SetCertificate(Cert("leaf-nowhere"), 1);
  EXPECT_TRUE(popup->IsLinkOffered());
  popup->OnLinkClicked(2, 1);  // right button: nothing
  popup->OnLinkClicked(1, 2);  // link 2: nothing
  popup->OnLinkClicked(1, 1);
  ASSERT_EQ(1u, popup->opened.size());
  EXPECT_EQ("https://www.example.test", popup->opened[0]);
  EXPECT_EQ("open", popup->verb);
  EXPECT_EQ(0x500u, popup->mask);
  EXPECT_EQ(SW_SHOWNORMAL, popup->show);

  // "*.example.test" names no site: the name is shown, but it is no link.
  popup->SetCertificate(Cert("leaf-wildcard"), 1);
  EXPECT_STREQ("*.example.test", popup->GetLink1().GetText());
  EXPECT_FALSE(popup->IsLinkOffered());
  popup->OnLinkClicked(1, 1);
  EXPECT_EQ(1u, popup->opened.size());
  POINT pt = {0, 0};
  popup->OnLinkHoverStart(pt, 1);
  EXPECT_FALSE(popup->IsLinkHovered());  // no hand cursor either

  // The low-assurance face explains itself.
  popup->SetCertificate(Cert("leaf-nowhere"), 0);
  popup->OnLinkClicked(1, 1);
  ASSERT_EQ(2u, popup->opened.size());
  EXPECT_EQ(kLowAssuranceExplanationUrl, popup->opened[1]);
  delete popup;
}

TEST_F(PopupTest, ClickClosesThePopupAndOnlyLinkOneOpensAPage) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  popup->SetCertificate(Cert("leaf-nowhere"), 1);
  POINT anchor = {700, 650};
  popup->SetAnchorPoint(&anchor);
  HWND hwnd = popup->GetHwnd();
  popup->Show(false);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ERASENOW);  // lays out link 1
  const RECT link = popup->GetLink1().GetDrawRect();
  ASSERT_LT(link.left, link.right);

  // Elsewhere on the popup: it closes, nothing opens.
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(MA_NOACTIVATE, SendMessageA(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame_), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_TRUE(popup->opened.empty());

  // Over link 1: it closes and the site opens.
  popup->Show(false);
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM((link.left + link.right) / 2, (link.top + link.bottom) / 2));
  EXPECT_TRUE(popup->IsLinkHovered());
  SendMessageA(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame_), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  ASSERT_EQ(1u, popup->opened.size());
  EXPECT_EQ("https://www.example.test", popup->opened[0]);
  delete popup;
}

// Sets the root's friendly name, which names the authority when no logo is known.
void SetFriendlyName(PCCERT_CONTEXT cert, const wchar_t* name) {
  CRYPT_DATA_BLOB blob = {static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t)),
                          reinterpret_cast<BYTE*>(const_cast<wchar_t*>(name))};
  CertSetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, 0, &blob);
}

TEST_F(PopupTest, IssuerNameIsFittedIntoTheLogoArea) {
  const RECT link2 = {89, 165, 173, 198};
  const RECT logo = {84, 175, 168, 198};
  PCCERT_CONTEXT root = Cert("root-plain");

  {
    // No logo: the root's common name, in one line.
    auto* popup = Make<CSslVerifyPopupIE5_6>();
    SetFriendlyName(root, L"");
    CertSetCertificateContextProperty(root, CERT_FRIENDLY_NAME_PROP_ID, 0, nullptr);
    EXPECT_TRUE(popup->SetCertificate(Cert("leaf-wildcard"), 1));
    EXPECT_FALSE(popup->IsLogoPresent());
    EXPECT_EQ("Plain Root", popup->GetIssuerName());
    EXPECT_STREQ("Plain Root", popup->GetLink2().GetText());
    EXPECT_LE(popup->GetLink2().GetTextWidth(), logo.right - logo.left);
    delete popup;
  }
  {
    // Many words: wrapped, and cut at blanks with "..." until it fits the height.
    auto* popup = Make<CSslVerifyPopupIE5_6>();
    SetFriendlyName(root, L"Plain Authority Of Somewhere Far Away Beyond The Hills And Over The Sea Of Names");
    EXPECT_TRUE(popup->SetCertificate(Cert("leaf-wildcard"), 1));
    std::string shown = popup->GetLink2().GetText();
    EXPECT_EQ("...", shown.substr(shown.size() - 3));
    EXPECT_EQ(0u, std::string(popup->GetIssuerName()).find(shown.substr(0, shown.size() - 3)));
    EXPECT_LE(popup->GetLink2().GetTextHeight(), link2.bottom - link2.top);
    EXPECT_LE(popup->GetLink2().GetTextWidth(), logo.right - logo.left);
    delete popup;
  }
  {
    // One word too wide even when wrapped: one line with an ellipsis, in the lower half.
    auto* popup = Make<CSslVerifyPopupIE5_6>();
    SetFriendlyName(root, L"Supercalifragilisticexpialidocious-Authority-Incorporated");
    EXPECT_TRUE(popup->SetCertificate(Cert("leaf-wildcard"), 1));
    const RECT& drawn = popup->GetLink2().GetDrawRect();
    EXPECT_GE(drawn.top, link2.top + (link2.bottom - link2.top) / 2);
    EXPECT_LE(drawn.bottom, link2.bottom);
    EXPECT_LE(drawn.bottom - drawn.top, (link2.bottom - link2.top) / 2 + 1);  // one line
    delete popup;
  }
  CertSetCertificateContextProperty(root, CERT_FRIENDLY_NAME_PROP_ID, 0, nullptr);
}

TEST_F(PopupTest, LongOrganisationIsLiftedAndLinkOneFollowsIt) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  const RECT text = {5, 100, 172, 140};
  for (const char* leaf : {"leaf-nowhere", "leaf-torvan"}) {
    popup->SetCertificate(Cert(leaf), 1);
    POINT anchor = {700, 650};
    popup->SetAnchorPoint(&anchor);
    popup->Show(false);
    RedrawWindow(popup->GetHwnd(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ERASENOW);

    // Measured as the popup measures it, with its bold font.
    KestrinWinNS::CScopedClientDC client_dc(popup->GetHwnd());
    const HDC dc = client_dc.Get();
    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = FW_BOLD;
    lf.lfPitchAndFamily = FF_SWISS;
    lstrcpyA(lf.lfFaceName, "Arial");
    KestrinWinNS::CScopedFont font(CreateFontIndirectA(&lf));
    KestrinWinNS::CSelectObject select(dc, font.Get());
    RECT measured = text;
    DrawTextA(dc, popup->GetOrganisation().c_str(), -1, &measured, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK | DT_CENTER);

    const int lift = measured.bottom > 127 ? 13 : 0;
    const RECT& org = popup->GetOrganisationRect();
    EXPECT_EQ(text.top - lift, org.top) << leaf;
    EXPECT_EQ(measured.bottom - lift, org.bottom) << leaf;
    EXPECT_EQ(text.right, org.right) << leaf;
    // Link 1 sits right below the organisation, centred in the text rectangle's width.
    const RECT& link = popup->GetLink1().GetDrawRect();
    EXPECT_EQ(org.bottom, link.top) << leaf;
    EXPECT_NEAR((text.left + text.right) / 2, (link.left + link.right) / 2, 1) << leaf;
    if (std::string(leaf) == "leaf-torvan") {
      EXPECT_EQ(13, lift);  // this name wraps that far
    }
    popup->Hide(false);
  }
  delete popup;
}

// ---- Placement -------------------------------------------------------------------------------

TEST_F(PopupTest, VersionFiveAndSixStandsOnTheStatusBarAtTheAnchor) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  POINT anchor = {850, 680};
  popup->SetAnchorPoint(&anchor);
  popup->Show(false);
  RECT frame = WindowRect(frame_);
  RECT r = WindowRect(popup->GetHwnd());
  EXPECT_EQ(anchor.x - 205, r.left);
  EXPECT_EQ(frame.bottom - 20 - 2 - 272, r.top);
  EXPECT_TRUE(GetWindowLongA(popup->GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  popup->Hide(false);

  // Without a frame the screen's bottom stands in for it.
  popup->SetFrameWindow(nullptr);
  popup->Show(false);
  EXPECT_EQ(Screen().cy - 2 - 272, WindowRect(popup->GetHwnd()).top);
  delete popup;
}

TEST_F(PopupTest, VersionSevenHangsBelowTheAnchorAndStaysOnScreen) {
  auto* popup = Make<CSslVerifyPopupIE7>();
  const SIZE screen = Screen();
  struct Case {
    POINT anchor;
    POINT expected;
  } cases[] = {
      {{600, 120}, {600 - 204, 128}},
      {{50, 120}, {0, 128}},                               // near the left edge
      {{600, screen.cy - 20}, {600 - 204, screen.cy - 238}},  // near the bottom
      {{600, -50}, {600 - 204, 0}},
  };
  for (const Case& c : cases) {
    popup->SetAnchorPoint(&c.anchor);
    POINT position = {};
    ASSERT_TRUE(popup->GetPopupPosition(&position, screen));
    EXPECT_EQ(c.expected.x, position.x) << c.anchor.x << "," << c.anchor.y;
    EXPECT_EQ(c.expected.y, position.y) << c.anchor.x << "," << c.anchor.y;
  }
  popup->SetAnchorPoint(&cases[1].anchor);
  popup->Show(false);
  EXPECT_EQ(0, WindowRect(popup->GetHwnd()).left);
  delete popup;
}

// ---- Showing and hiding ------------------------------------------------------------------------

TEST_F(PopupTest, AutoShowOnlyWhileTheFrameIsInFrontAndHidesByItself) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  POINT anchor = {700, 650};
  popup->SetAnchorPoint(&anchor);
  HWND hwnd = popup->GetHwnd();

  other_ = MakeTopLevel("Other", 300, 300, 200, 200);
  SetForegroundWindow(other_);
  ASSERT_EQ(other_, GetForegroundWindow());
  EXPECT_FALSE(popup->Show(true));
  EXPECT_FALSE(IsWindowVisible(hwnd));

  SetForegroundWindow(frame_);
  ASSERT_EQ(frame_, GetForegroundWindow());
  EXPECT_TRUE(popup->Show(true));  // it was hidden
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_NE(hwnd, GetForegroundWindow());  // never activated
  EXPECT_FALSE(popup->Show(false));        // shown already
  SendMessageA(hwnd, WM_TIMER, kTimerHide, 0);  // the auto-hide time is up
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_TRUE(popup->Hide(false));  // hidden already
  delete popup;
}

TEST_F(PopupTest, FrameMovedOrNotInFrontClosesThePopup) {
  auto* popup = Make<CSslVerifyPopupIE7>();
  POINT anchor = {700, 150};
  popup->SetAnchorPoint(&anchor);
  HWND hwnd = popup->GetHwnd();

  popup->Show(false);
  EXPECT_FALSE(PumpUntil([&] { return !IsWindowVisible(hwnd); }, 700));  // a frame that stays keeps it
  MoveWindow(frame_, 100, 100, 820, 600, TRUE);                          // right edge moves
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hwnd); }));

  SetForegroundWindow(frame_);
  popup->Show(false);
  MoveWindow(frame_, 50, 50, 820, 600, TRUE);  // moved, but right and bottom edges...
  MoveWindow(frame_, 100, 100, 820, 600, TRUE);  // ...back where they were
  EXPECT_FALSE(PumpUntil([&] { return !IsWindowVisible(hwnd); }, 700));

  other_ = MakeTopLevel("Other", 300, 300, 200, 200);
  SetForegroundWindow(other_);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hwnd); }));

  // A window owned by the frame (a dialog of the browser) in front keeps the popup.
  SetForegroundWindow(frame_);
  popup->Show(false);
  HWND owned = CreateWindowExA(0, "KestrinTestFrame", "Owned", WS_POPUP | WS_VISIBLE, 200, 200, 100, 100, frame_, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(owned);
  EXPECT_FALSE(PumpUntil([&] { return !IsWindowVisible(hwnd); }, 700));
  DestroyWindow(owned);
  delete popup;
}

TEST_F(PopupTest, DelayedHideWaitsWhileThePointerRestsOnThePopup) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  popup->SetCertificate(Cert("leaf-nowhere"), 1);
  POINT anchor = {700, 650};
  popup->SetAnchorPoint(&anchor);
  HWND hwnd = popup->GetHwnd();
  popup->Show(false);

  SendMessageA(hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(popup->IsPopupHovered());
  EXPECT_TRUE(border_->IsBorderVisible());
  EXPECT_FALSE(popup->Hide(true));  // the pointer rests on it
  EXPECT_TRUE(IsWindowVisible(hwnd));

  // The pointer leaves: the border goes after 75 ms, the popup a second later.
  SendMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !popup->IsPopupHovered(); }, 1000));
  EXPECT_TRUE(PumpUntil([&] { return !border_->IsBorderVisible(); }, 1000));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hwnd); }, 3000));

  // Not hovered: a delayed hide hides a second later.
  popup->Show(false);
  EXPECT_TRUE(popup->Hide(true));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hwnd); }, 3000));
  delete popup;
}

// ---- Threads -----------------------------------------------------------------------------------

TEST_F(PopupTest, CertificateFromAnotherThreadIsAppliedOnThePopupsThread) {
  auto* popup = Make<CSslVerifyPopupIE5_6>();
  popup->SetCertificate(nullptr, 0);
  ASSERT_EQ(0, popup->GetFace());
  DWORD worker_thread = 0;
  bool handed_over = false;
  std::thread worker([&] {
    worker_thread = GetCurrentThreadId();
    handed_over = popup->SetCertificate(Cert("leaf-nowhere"), 1);
  });
  worker.join();
  EXPECT_TRUE(handed_over);
  EXPECT_EQ(0, popup->GetFace());  // nothing changed on the other thread
  EXPECT_TRUE(PumpUntil([&] { return popup->GetFace() == 1; }, 2000));
  EXPECT_EQ("Example Shop Ltd", popup->GetOrganisation());
  EXPECT_TRUE(popup->GetLogoWindow().IsLoaded());
  delete popup;
}

// What a verifier does on event 2: hands its certificate to its popup again.
class CRefreshOnRebuild : public ObserveNS::IObserver {
 public:
  CRefreshOnRebuild(CSslVerifyPopup* popup, PCCERT_CONTEXT cert) : popup_(popup), cert_(cert) {}
  void Notify(DWORD event) override {
    if (event != ObserveNS::kEventTrustedListRebuilt) return;
    thread = GetCurrentThreadId();
    handed_over = popup_->SetCertificate(cert_, 1);
  }
  volatile DWORD thread = 0;
  volatile bool handed_over = false;

 private:
  CSslVerifyPopup* popup_;
  PCCERT_CONTEXT cert_;
};

TEST_F(PopupTest, BroadcastUpdateRefreshesThePopupOnItsOwnThread) {
  // A list of its own on a service of its own: event 0 arrives on the service's thread.
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "kestrin-popup-refresh-" + std::to_string(GetCurrentProcessId()) + ".dat";
  ASSERT_TRUE(CopyFileA(DataPath("good.dat").c_str(), path.c_str(), FALSE));
  ObserveNS::CObserverService service;
  CSslVerifyTrustedList list(&service, path.c_str());
  auto* popup = new CTestPopup<CSslVerifyPopupIE7>(&list, border_, frame_);
  ASSERT_TRUE(popup->SetCertificate(Cert("leaf-nowhere"), 1));
  EXPECT_TRUE(popup->IsLogoPresent());  // keyed by its root's thumbprint
  POINT anchor = {600, 150};
  popup->SetAnchorPoint(&anchor);
  popup->Show(false);

  CRefreshOnRebuild verifier(popup, Cert("leaf-nowhere"));
  {
    ObserveNS::CObserverSubscription subscription(&service, ObserveNS::kEventTrustedListRebuilt, &verifier);
    // The new file has no key for that root: the authority's name takes the logo's place.
    ASSERT_TRUE(CopyFileA(DataPath("second.dat").c_str(), path.c_str(), FALSE));
    ASSERT_TRUE(PostMessageA(service.GetWindow(), ObserveNS::kMsgUpdateFileChanged, 0, 0));
    EXPECT_TRUE(PumpUntil([&] { return !popup->IsLogoPresent() && verifier.handed_over; }, 3000));
    EXPECT_NE(0u, verifier.thread);
    EXPECT_NE(GetCurrentThreadId(), verifier.thread);
    EXPECT_EQ("Nowhere Root CA", popup->GetIssuerName());
    EXPECT_FALSE(IsWindowVisible(popup->GetLogoWindow().GetHwnd()));
    EXPECT_TRUE(IsWindowVisible(popup->GetHwnd()));
  }  // unsubscribed before the popup goes
  delete popup;
  DeleteFileA(path.c_str());
}

TEST_F(PopupTest, ProxyBuildsThePopupOnItsOwnThreadOnly) {
  // The real popup follows the registry's browser version; Wine's is none of 5 to 8.
  const SubclassUtilsNS::BrowserGeneration generation = SubclassUtilsNS::GetBrowserVersion();
  const bool buildable = SubclassUtilsNS::IsSingleBrowserFrame(generation) || SubclassUtilsNS::IsTabbedFrame(generation);
  CSslVerifyPopupProxy proxy(border_, frame_);
  bool from_other_thread = true;
  std::thread other([&] { from_other_thread = proxy.SetCertificate(nullptr, 0); });
  other.join();
  EXPECT_FALSE(from_other_thread);
  EXPECT_EQ(nullptr, proxy.GetPopup());
  EXPECT_EQ(buildable, proxy.SetCertificate(nullptr, 0));
  EXPECT_EQ(buildable, proxy.GetPopup() != nullptr);
}

TEST(PopupFactory, GenerationChoosesTheLeaf) {
  for (int generation = 0; generation <= 5; ++generation) {
    std::unique_ptr<CSslVerifyPopup> owned = CreateSslVerifyPopupFor(static_cast<SubclassUtilsNS::BrowserGeneration>(generation), nullptr, nullptr);
    CSslVerifyPopup* popup = owned.get();
    if (generation >= 1 && generation <= 2)
      EXPECT_NE(nullptr, dynamic_cast<CSslVerifyPopupIE5_6*>(popup));
    else if (generation >= 3 && generation <= 4)
      EXPECT_NE(nullptr, dynamic_cast<CSslVerifyPopupIE7*>(popup));
    else
      EXPECT_EQ(nullptr, popup);
  }
}

}  // namespace
