#include "common/sslverify/ssl_verify_popup.h"

#include <objbase.h>
#include <shellapi.h>

#include <new>

#include "common/crypto/cert_helpers.h"
#include "common/sslverify/trusted_list.h"
#include "common/subclass/subclass_helper.h"
#include "common/utility/region.h"
#include "common/windowing/validation_border.h"
#include "platform/com/com_ptr.h"
#include "platform/win/module.h"

namespace SslVerifyNS {

const char kPopupWindowClass[] = "DRAVIX_QUORVEL_WINDOW";
const char kLowAssuranceExplanationUrl[] = "https://www.torvangroup.com/kestrin/low_assurance_explanation.html";
const char kFindOutMoreText[] = "Click to find out more";

namespace {

// Posted to the popup's own thread when another thread hands it a certificate.
const UINT kMsgApplyPendingCertificate = UtilityClassesNS::WindowIds::kMsgApplyPendingCertificate;

const COLORREF kCertGradient = 0x00FF00;
const COLORREF kLowGradient = 0x0000FF;
const COLORREF kEdgeMark = 0xFF0000;       // pixels that fade out upwards
const COLORREF kGradientMark = 0xFFFF00;   // pixels drawn in the gradient colour
const char kLogoWindowClass[] = "PICTUREEXWND";

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool Holds(const RECT& r, LONG x, LONG y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

// A name the popup may open as https://<name>: one host name, no wildcard.
bool IsOpenableHostName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (c == '*' || c == '/' || c == ' ' || c == '\\' || c == '?' || c == '#' || c == '@') return false;
  }
  return true;
}

std::string NameAttribute(const CryptoNS::CCertData& data, const char* oid, bool issuer) {
  std::string text;
  if (!data.GetNameString(const_cast<char*>(oid), &text, issuer, CERT_NAME_ATTR_TYPE)) text.clear();
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and the window

bool CSslVerifyPopup::RegisterPopupClass() {
  WNDCLASSEXA wc = {sizeof(wc)};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kPopupWindowClass;
  return CWindowBase::RegisterWindowClass(wc);
}

CSslVerifyPopup::CSslVerifyPopup(WindowingNS::CValidationBorder* border, HWND frame)
    : frame_(frame),
      link1_(1, UtilityClassesNS::CTextLink::kHoverColour | UtilityClassesNS::CTextLink::kClickOnDown, 0,
             DT_CENTER | DT_SINGLELINE, 7, 0x0000FF, 0),
      link2_(2, 0, 0, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, 7, 0, 0),
      border_(border),
      trusted_list_(CSslVerifyTrustedList::GetInstance()) {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  com_initialised_ = SUCCEEDED(hr);
  module_ = KestrinWinNS::CodeModule();
  screen_dc_.Acquire(nullptr);
  width_ = cert_size_.cx;
  height_ = cert_size_.cy;
  if (RegisterPopupClass()) {
    Create(kPopupWindowClass, WS_EX_TOOLWINDOW, WS_POPUP, RECT{0, 0, 205, 297}, nullptr, nullptr, nullptr);
  }
}

CSslVerifyPopup::~CSslVerifyPopup() {
  bold_selection_.reset();
  cert_region_.Reset();
  low_region_.Reset();
  screen_dc_.Reset();
  if (GetHwnd()) DestroyWindow(GetHwnd());  // WM_DESTROY frees the face cache and the window DC
  FreeFaceCache();
  bold_font_.Reset();
  if (com_initialised_) CoUninitialize();
}

bool CSslVerifyPopup::LoadFaces(UINT cert_bitmap, UINT low_bitmap, UINT cert_region, UINT low_region) {
  cert_bitmap_id_ = cert_bitmap;
  low_bitmap_id_ = low_bitmap;
  UtilityClassesNS::CreateRegionFromResource(module_, MAKEINTRESOURCEA(cert_region), cert_region_.Receive());
  UtilityClassesNS::CreateRegionFromResource(module_, MAKEINTRESOURCEA(low_region), low_region_.Receive());
  bool ok = cert_region_ && low_region_;
  // The face sizes come from the bitmaps; the certificate face stays loaded (the popup starts
  // on it).
  UINT ids[2] = {low_bitmap, cert_bitmap};
  for (UINT id : ids) {
    KestrinWinNS::CScopedBitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(module_, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap.Get(), sizeof(info), &info)) {
      ok = false;
      continue;
    }
    SIZE size = {info.bmWidth, info.bmHeight};
    if (id == cert_bitmap) {
      cert_size_ = size;
      face_bitmap_ = std::move(bitmap);
    } else {
      low_size_ = size;
    }
  }
  width_ = face_ == 1 ? cert_size_.cx : low_size_.cx;
  height_ = face_ == 1 ? cert_size_.cy : low_size_.cy;
  return ok;
}

void CSslVerifyPopup::SetGeometry(const RECT& text, const RECT& logo, const RECT& link2, int link1_top,
                                  int lowest_text_bottom) {
  text_rect_ = text;
  logo_rect_ = logo;
  link2_rect_ = link2;
  link1_top_ = link1_top;
  lowest_text_bottom_ = lowest_text_bottom;
  if (logo_window_.GetHwnd())
    SetWindowPos(logo_window_.GetHwnd(), nullptr, logo.left, logo.top, Width(logo), Height(logo),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  link2_.SetRect(link2_rect_);
}

BOOL CSslVerifyPopup::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (msg) {
    case WM_CREATE:
      result = OnCreate();
      return TRUE;
    case WM_ERASEBKGND:
      result = wparam ? OnEraseBackground(reinterpret_cast<HDC>(wparam)) : 0;
      return TRUE;
    case WM_SHOWWINDOW:
      OnShowWindow(wparam != 0);
      return FALSE;
    case WM_TIMER:
      OnTimer(wparam);
      result = 0;
      return TRUE;
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, hwnd, 1};
      TrackMouseEvent(&track);
      last_mouse_.x = static_cast<short>(LOWORD(lparam));
      last_mouse_.y = static_cast<short>(HIWORD(lparam));
      link1_.OnMouseMove(last_mouse_);
      result = 0;
      return TRUE;
    }
    case WM_MOUSEHOVER:
      if (!popup_hover_) {
        KillTimer(hwnd, kTimerHoverEnd);
        popup_hover_ = true;
        KillTimer(hwnd, kTimerHide);
        if (border_) border_->ShowBorder(WindowingNS::BorderKind::kVerification, false, cert_class_ == 1);
      }
      result = 0;
      return TRUE;
    case WM_MOUSELEAVE:
      if (popup_hover_) SetTimer(hwnd, kTimerHoverEnd, 75, nullptr);
      result = 0;
      return TRUE;
    case WM_MOUSEACTIVATE:
      // A click anywhere closes the popup; over link 1 it also opens the link's page. The link
      // hears of the click first, while it still knows it is under the pointer.
      link1_.OnLButtonDown();
      Hide(false);
      result = MA_NOACTIVATE;
      return TRUE;
    case WM_SETCURSOR:
      SetCursor(link_hover_ ? hand_cursor_ : arrow_cursor_);
      result = TRUE;
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      result = 0;
      return TRUE;
    default:
      if (msg == kMsgApplyPendingCertificate) {
        TakePendingCertificate();
        result = 0;
        return TRUE;
      }
      return FALSE;
  }
}

LRESULT CSslVerifyPopup::OnCreate() {
  logo_window_.Create(GetHwnd(), logo_rect_, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  if (logo_window_.GetHwnd()) SetWindowTextA(logo_window_.GetHwnd(), "SslVerifyIssuerLogo");
  if (!window_dc_.Acquire(GetHwnd())) return -1;
  link1_.Attach(this);
  link2_.Attach(this);
  link2_.SetRect(link2_rect_);
  LOGFONTA lf = {};
  lf.lfHeight = -MulDiv(8, GetDeviceCaps(window_dc_.Get(), LOGPIXELSY), 72);
  lf.lfWeight = FW_BOLD;
  lf.lfPitchAndFamily = FF_SWISS;
  lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
  bold_font_.Reset(CreateFontIndirectA(&lf));
  if (bold_font_) bold_selection_ = std::make_unique<KestrinWinNS::CSelectObject>(window_dc_.Get(), bold_font_.Get());
  hand_cursor_ = LoadCursor(nullptr, IDC_HAND);
  arrow_cursor_ = LoadCursor(nullptr, IDC_ARROW);
  return 0;
}

void CSslVerifyPopup::OnDestroy() {
  FreeFaceCache();
  KillTimer(GetHwnd(), kTimerHoverEnd);
  KillTimer(GetHwnd(), kTimerHide);
  KillTimer(GetHwnd(), kTimerFollowFrame);
  bold_selection_.reset();  // the font goes out of the DC before the DC goes back
  window_dc_.Reset();
  link1_.Detach();
  link2_.Detach();
}

// ---------------------------------------------------------------------------------------------
// Showing, hiding, following the frame

bool CSslVerifyPopup::Show(bool auto_hide) {
  if (!GetHwnd()) return false;
  if (auto_hide) {
    if (GetForegroundWindow() != frame_) return false;
    SetTimer(GetHwnd(), kTimerHide, 3000, nullptr);
  }
  bool was_hidden = !IsWindowVisible(GetHwnd());
  ShowWindow(GetHwnd(), SW_SHOWNA);
  return was_hidden;
}

bool CSslVerifyPopup::Hide(bool delayed) {
  if (!GetHwnd() || !IsWindowVisible(GetHwnd())) return true;
  if (delayed) {
    if (popup_hover_) return false;
    SetTimer(GetHwnd(), kTimerHide, 1000, nullptr);
    return true;
  }
  ShowWindow(GetHwnd(), SW_HIDE);
  KillTimer(GetHwnd(), kTimerHide);
  return true;
}

void CSslVerifyPopup::SetAnchorPoint(const POINT* point) {
  if (point) anchor_ = *point;
}

void CSslVerifyPopup::SetFrameWindow(HWND frame) { frame_ = frame; }

void CSslVerifyPopup::OnShowWindow(bool shown) {
  if (shown) {
    SIZE screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!frame_ || !GetWindowRect(frame_, &frame_rect_)) SetRectEmpty(&frame_rect_);
    POINT position = {0, 0};
    GetPopupPosition(&position, screen);
    ApplySizeAndRegion();
    SetWindowPos(GetHwnd(), HWND_TOPMOST, position.x, position.y, width_, height_, SWP_NOACTIVATE);
    SetTimer(GetHwnd(), kTimerFollowFrame, 400, nullptr);
    // The logo window covers link 2, which names the authority when there is no logo.
    if (cert_class_ == 1 && logo_present_ && logo_window_.GetHwnd()) {
      ShowWindow(logo_window_.GetHwnd(), SW_SHOWNA);
      logo_window_.Draw();
    }
  } else {
    KillTimer(GetHwnd(), kTimerHide);
    KillTimer(GetHwnd(), kTimerHoverEnd);
    KillTimer(GetHwnd(), kTimerFollowFrame);
    if (border_) border_->HideBorder(WindowingNS::HideOrigin::kBrowser, false);
    popup_hover_ = false;
    logo_window_.StopAnimation();
    if (logo_window_.GetHwnd()) ShowWindow(logo_window_.GetHwnd(), SW_HIDE);
    link1_.ResetLook();
  }
}

bool CSslVerifyPopup::IsFrameInFront() const {
  HWND front = GetForegroundWindow();
  if (!front || front == GetHwnd() || !frame_) return false;
  return front == frame_ || GetParent(front) == frame_ || GetWindow(front, GW_OWNER) == frame_;
}

void CSslVerifyPopup::OnTimer(UINT_PTR id) {
  switch (id) {
    case kTimerFollowFrame: {
      RECT now = {};
      bool in_place = frame_ && GetWindowRect(frame_, &now) && now.right == frame_rect_.right &&
                      now.bottom == frame_rect_.bottom;
      if (!(in_place && IsFrameInFront())) Hide(false);
      break;
    }
    case kTimerHide:
      KillTimer(GetHwnd(), kTimerHide);
      Hide(false);
      break;
    case kTimerHoverEnd:
      KillTimer(GetHwnd(), kTimerHoverEnd);
      if (border_) border_->HideBorder(WindowingNS::HideOrigin::kBrowser, false);
      SetTimer(GetHwnd(), kTimerHide, 1000, nullptr);
      popup_hover_ = false;
      break;
    default:
      break;
  }
}

void CSslVerifyPopup::ApplySizeAndRegion() {
  HRGN face_region = face_ == 1 ? cert_region_.Get() : low_region_.Get();
  if (!face_region) return;
  if (width_ < 1) width_ = 500;
  if (height_ < 1) height_ = 500;
  if (face_bitmap_)
    SetWindowPos(GetHwnd(), nullptr, 0, 0, width_, height_,
                 SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER);
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, width_, height_));
  if (!region) return;
  CombineRgn(region.Get(), face_region, region.Get(), RGN_AND);
  if (SetWindowRgn(GetHwnd(), region.Get(), FALSE)) region.Take();  // the window owns it now
}

// ---------------------------------------------------------------------------------------------
// Faces

bool CSslVerifyPopup::SetCertificate(PCCERT_CONTEXT certificate, int cert_class) {
  if (!GetHwnd()) return false;
  if (GetWindowThreadProcessId(GetHwnd(), nullptr) == GetCurrentThreadId())
    return ApplyCertificate(certificate, cert_class);
  // Another thread (the one that rebuilt the trusted list): the popup's own thread does the
  // work. The latest certificate wins when several arrive before it runs.
  PCCERT_CONTEXT copy = certificate ? CertDuplicateCertificateContext(certificate) : nullptr;
  if (certificate && !copy) return false;
  {
    KestrinWinNS::CScopedLock hold(pending_lock_);
    pending_certificate_.Reset(copy);
    pending_class_ = cert_class;
    pending_ = true;
  }
  return PostMessageA(GetHwnd(), kMsgApplyPendingCertificate, 0, 0) != FALSE;
}

void CSslVerifyPopup::TakePendingCertificate() {
  bool pending;
  KestrinWinNS::CScopedCertContext certificate;
  int cert_class;
  {
    KestrinWinNS::CScopedLock hold(pending_lock_);
    pending = pending_;
    certificate = std::move(pending_certificate_);
    cert_class = pending_class_;
    pending_ = false;
  }
  if (!pending) return;
  ApplyCertificate(certificate.Get(), cert_class);
}

bool CSslVerifyPopup::ApplyCertificate(PCCERT_CONTEXT certificate, int cert_class) {
  cert_class_ = cert_class;
  bool result;
  if (certificate && cert_class == 1) {
    result = SetCertificateFace(certificate);
  } else {
    SetLowAssuranceFace();
    result = true;
  }
  if (GetHwnd() && IsWindowVisible(GetHwnd())) {
    // Shown already: the new face and texts appear at once.
    if (logo_window_.GetHwnd())
      ShowWindow(logo_window_.GetHwnd(), cert_class_ == 1 && logo_present_ ? SW_SHOWNA : SW_HIDE);
    if (cert_class_ == 1 && logo_present_) logo_window_.Draw();
    ApplySizeAndRegion();
    InvalidateRect(GetHwnd(), nullptr, TRUE);
  }
  return result;
}

void CSslVerifyPopup::FreeFaceCache() {
  alpha_dc_.reset();  // the DIB leaves the DC before the DIB goes
  alpha_dib_.Reset();
  face_bitmap_.Reset();
}

bool CSslVerifyPopup::LoadFaceBitmap() {
  if (face_bitmap_) return true;
  // A DIB section keeps the face's exact colours whatever the display's depth: the key and
  // marker colours must survive.
  face_bitmap_.Reset(static_cast<HBITMAP>(LoadImageA(
      module_, MAKEINTRESOURCEA(face_ == 1 ? cert_bitmap_id_ : low_bitmap_id_), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return face_bitmap_.IsValid();
}

void CSslVerifyPopup::ChangeFace(int face) {
  FreeFaceCache();
  face_ = face;
  gradient_colour_ = face == 1 ? kCertGradient : kLowGradient;
  LoadFaceBitmap();
  if (GetHwnd())
    SetWindowPos(GetHwnd(), nullptr, 0, 0, width_, height_, SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER);
}

void CSslVerifyPopup::SetLowAssuranceFace() {
  width_ = low_size_.cx;
  height_ = low_size_.cy;
  if (face_ != 0 || (gradient_colour_ != kCertGradient && gradient_colour_ != kLowGradient)) ChangeFace(0);
  link1_.SetBehaviour(UtilityClassesNS::CTextLink::kHoverColour | UtilityClassesNS::CTextLink::kClickOnDown);
  link_offered_ = true;
  link1_.SetText(kFindOutMoreText);
}

bool CSslVerifyPopup::SetCertificateFace(PCCERT_CONTEXT certificate) {
  logo_present_ = true;
  width_ = cert_size_.cx;
  height_ = cert_size_.cy;
  if (face_ != 1 || (gradient_colour_ != kCertGradient && gradient_colour_ != kLowGradient)) ChangeFace(1);

  CryptoNS::CCertData data(certificate);
  common_name_ = NameAttribute(data, szOID_COMMON_NAME, false);
  organisation_ = NameAttribute(data, szOID_ORGANIZATION_NAME, false);
  std::string issuer_organisation = NameAttribute(data, szOID_ORGANIZATION_NAME, true);
  // Link 1 opens the site over HTTPS, and only for a single host name: a wildcard name
  // names no site to go to.
  link_offered_ = IsOpenableHostName(common_name_);
  link1_.SetBehaviour(link_offered_ ? (UtilityClassesNS::CTextLink::kHoverColour | UtilityClassesNS::CTextLink::kClickOnDown) : 0);
  link1_.SetText(common_name_.c_str());

  KestrinWinNS::CScopedCertContext root_context;
  if (!data.GetRootCertificate(root_context.Receive()) || !root_context) return false;
  CryptoNS::CCertData root(root_context.Get());
  root_context.Reset();

  logo_window_.UnLoad();
  KestrinComNS::CComPtr<IStream> logo;
  std::string thumbprint;
  if (trusted_list_) {
    if (!(root.GetThumbprint(&thumbprint) && trusted_list_->FindLogo(thumbprint.c_str(), &logo)))
      trusted_list_->FindLogo(issuer_organisation.c_str(), &logo);
  }
  if (logo) {
    logo_window_.StopAnimation();
    return logo_window_.LoadFromStream(logo);
  }

  std::string issuer;
  if (!root.GetFriendlyName(&issuer) || issuer.empty()) {
    issuer = NameAttribute(root, szOID_COMMON_NAME, false);
    if (issuer.empty()) issuer = NameAttribute(root, szOID_ORGANIZATION_NAME, false);
  }
  if (issuer.empty()) return false;
  issuer_name_ = issuer;
  logo_present_ = false;
  if (!link2_.SetText(issuer_name_.c_str())) return false;
  FitIssuerName();
  return true;
}

void CSslVerifyPopup::FitIssuerName() {
  link2_.SetFont(7, 800, 0, "Arial", false);
  const int logo_width = Width(logo_rect_);
  const int logo_height = Height(logo_rect_);
  if (link2_.GetTextWidth() <= logo_width && link2_.GetTextHeight() <= logo_height) return;
  link2_.SetFormat(DT_CENTER | DT_WORDBREAK);
  if (link2_.GetTextWidth() > logo_width) {
    RECT lower = link2_rect_;
    lower.top += Height(link2_rect_) / 2;
    link2_.SetRect(lower);
    link2_.SetFormat(DT_VCENTER | DT_END_ELLIPSIS);
    return;
  }
  std::string text = issuer_name_;
  while (link2_.GetTextHeight() > Height(link2_rect_)) {
    size_t blank = text.find_last_of(' ');
    if (blank == std::string::npos) break;
    text = text.substr(0, blank) + "...";
    link2_.SetText(text.c_str());
  }
}

// ---------------------------------------------------------------------------------------------
// Drawing

bool CSslVerifyPopup::BuildAlphaDib() {
  if (!window_dc_ || !LoadFaceBitmap()) return false;
  std::vector<DWORD> face;
  SIZE face_size = {};
  if (!KestrinWinNS::ReadPixels32(face_bitmap_.Get(), &face, &face_size)) return false;
  const int w = face_size.cx, h = face_size.cy;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up: the first row in memory is the picture's bottom row
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  bi.bmiHeader.biSizeImage = w * h;
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap dib(CreateDIBSection(window_dc_.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return false;
  const COLORREF key = face_ == 1 ? 0x0000FF : 0x00FF00;
  const DWORD flags = gradient_flags_;
  const int divisor = ((flags & 4) && (flags & 2)) ? w : h;
  int e = ((flags & 8) && (flags & 1)) ? h : 0;
  DWORD* out = static_cast<DWORD*>(bits);
  for (int y = h - 1; y >= 0; --y) {
    const DWORD* in = face.data() + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      const DWORD rgb = in[x];
      COLORREF c = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
      DWORD value;
      if (c == key) {
        value = 0;
      } else if (c == kEdgeMark) {
        BYTE a = static_cast<BYTE>(static_cast<int>(static_cast<float>(e) / static_cast<float>(divisor) * 255.0f));
        BYTE r = static_cast<BYTE>(static_cast<int>(GetRValue(gradient_colour_) * (a / 255.0)));
        BYTE g = static_cast<BYTE>(static_cast<int>(GetGValue(gradient_colour_) * (a / 255.0)));
        BYTE b = static_cast<BYTE>(static_cast<int>(GetBValue(gradient_colour_) * (a / 255.0)));
        value = (static_cast<DWORD>(a) << 24) | (r << 16) | (g << 8) | b;
      } else {
        if (c == kGradientMark) c = gradient_colour_;
        value = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      }
      *out++ = value;
      if (flags & 4) e += (flags & 1) ? 1 : -1;
    }
    if (flags & 4)
      e = (flags & 1) ? 0 : w;
    else if (flags & 8)
      e += (flags & 1) ? -1 : 1;
  }
  auto alpha_dc = std::make_unique<KestrinWinNS::CBitmapDC>(window_dc_.Get(), dib.Get());
  if (!*alpha_dc) return false;
  alpha_dib_ = std::move(dib);
  alpha_dc_ = std::move(alpha_dc);
  ++alpha_builds_;
  return true;
}

HDC CSslVerifyPopup::GetAlphaDC() {
  if (!alpha_dc_ && !BuildAlphaDib()) return nullptr;
  return alpha_dc_->Get();
}

bool CSslVerifyPopup::DrawFace(HDC target, const RECT& clip, HDC backdrop, POINT backdrop_origin) {
  HDC alpha = GetAlphaDC();
  if (!alpha || !target) return false;
  BITMAP info = {};
  GetObjectA(alpha_dib_.Get(), sizeof(info), &info);
  RECT face = {0, 0, info.bmWidth, info.bmHeight};
  RECT area;
  if (!IntersectRect(&area, &clip, &face)) return true;  // nothing of the face in the clip box
  if (backdrop)
    BitBlt(target, area.left, area.top, Width(area), Height(area), backdrop, backdrop_origin.x + area.left,
           backdrop_origin.y + area.top, SRCCOPY);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return AlphaBlend(target, area.left, area.top, Width(area), Height(area), alpha, area.left, area.top,
                    Width(area), Height(area), blend) != FALSE;
}

void CSslVerifyPopup::BlendOver(const RECT& rect) {
  if (!window_dc_ || !alpha_dc_) return;
  BITMAP info = {};
  GetObjectA(alpha_dib_.Get(), sizeof(info), &info);
  RECT face = {0, 0, info.bmWidth, info.bmHeight};
  RECT area;
  if (!IntersectRect(&area, &rect, &face)) return;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(window_dc_.Get(), area.left, area.top, Width(area), Height(area), alpha_dc_->Get(), area.left, area.top,
             Width(area), Height(area), blend);
}

bool CSslVerifyPopup::DrawTexts(const RECT& clip) {
  RECT link_rect;
  if (cert_class_ == 1) {
    RECT r = text_rect_;
    if (!organisation_.empty()) {
      if (!DrawTextA(window_dc_.Get(), organisation_.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK | DT_CENTER))
        return false;
    } else {
      r.bottom = r.top;  // nothing to write; link 1 follows right below the rectangle's top
    }
    r.right = text_rect_.right;
    if (r.bottom > lowest_text_bottom_) OffsetRect(&r, 0, -13);
    organisation_rect_ = r;
    if (!organisation_.empty() && (Holds(clip, r.left, r.top) || Holds(clip, r.right, r.bottom))) {
      BlendOver(r);
      int old_mode = SetBkMode(window_dc_.Get(), TRANSPARENT);
      DrawTextA(window_dc_.Get(), organisation_.c_str(), -1, &r, DT_NOPREFIX | DT_WORDBREAK | DT_CENTER);
      SetBkMode(window_dc_.Get(), old_mode);
    }
    SetRect(&link_rect, r.left, r.bottom, text_rect_.right, r.bottom + Height(text_rect_));
  } else {
    SetRect(&link_rect, text_rect_.left, link1_top_, text_rect_.right, link1_top_ + Height(text_rect_));
  }
  link1_.SetRect(link_rect);
  BlendOver(link_rect);
  link1_.Draw();
  return true;
}

LRESULT CSslVerifyPopup::OnEraseBackground(HDC dc) {
  RECT clip;
  if (GetClipBox(dc, &clip) == ERROR) return 0;
  RECT window = {};
  GetWindowRect(GetHwnd(), &window);
  POINT origin = {window.left, window.top};
  if (!DrawFace(window_dc_.Get(), clip, screen_dc_.Get(), origin)) return 0;
  if (!DrawTexts(clip)) return 1;
  if (!logo_present_) link2_.Draw();
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Links

std::string CSslVerifyPopup::GetLinkTarget() const {
  if (cert_class_ == 1) return link_offered_ ? "https://" + common_name_ : std::string();
  return kLowAssuranceExplanationUrl;
}

void CSslVerifyPopup::OnLinkClicked(int button, DWORD link_id) {
  if (button != 1 || link_id != 1) return;
  std::string target = GetLinkTarget();
  if (target.empty()) return;
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = "open";
  info.lpFile = target.c_str();
  info.nShow = SW_SHOWNORMAL;
  OpenPage(&info);
}

void CSslVerifyPopup::OpenPage(SHELLEXECUTEINFOA* info) { ShellExecuteExA(info); }

void CSslVerifyPopup::OnLinkHoverStart(POINT, DWORD link_id) {
  if (link_id != 1) return;
  link_hover_ = link_offered_;
  BlendOver(link1_.GetDrawRect());
  link1_.Draw();
}

void CSslVerifyPopup::OnLinkHoverEnd(POINT, DWORD link_id) {
  if (link_id != 1) return;
  BlendOver(link1_.GetDrawRect());
  link1_.Draw();
  link_hover_ = false;
}

// ---------------------------------------------------------------------------------------------
// Leaves

CSslVerifyPopupIE5_6::CSslVerifyPopupIE5_6(WindowingNS::CValidationBorder* border, HWND frame)
    : CSslVerifyPopup(border, frame) {
  LoadFaces(IDB_POPUP_IE6_CERT, IDB_POPUP_IE6_LOW, IDR_RGN_IE6_CERT, IDR_RGN_IE6_LOW);
}

CSslVerifyPopupIE5_6::~CSslVerifyPopupIE5_6() {}

bool CSslVerifyPopupIE5_6::GetPopupPosition(POINT* position, const SIZE& screen) {
  if (!position) return false;
  position->x = anchor_.x - width_;
  int base = IsRectEmpty(&frame_rect_) ? screen.cy : frame_rect_.bottom - 20;
  position->y = base - vertical_gap_ - height_;
  return true;
}

CSslVerifyPopupIE7::CSslVerifyPopupIE7(WindowingNS::CValidationBorder* border, HWND frame)
    : CSslVerifyPopup(border, frame) {
  LoadFaces(IDB_POPUP_IE7_CERT, IDB_POPUP_IE7_LOW, IDR_RGN_IE7_CERT, IDR_RGN_IE7_LOW);
  RECT text = {13, 111, 180, 151}, logo = {88, 186, 172, 209}, link2 = {93, 176, 177, 209};
  SetGeometry(text, logo, link2, 222, 140);
}

CSslVerifyPopupIE7::~CSslVerifyPopupIE7() {}

bool CSslVerifyPopupIE7::GetPopupPosition(POINT* position, const SIZE& screen) {
  if (!position) return false;
  LONG x = anchor_.x - width_;
  LONG y = anchor_.y + 8;
  // Kept on the screen.
  if (x + width_ > screen.cx) x = screen.cx - width_;
  if (y + height_ > screen.cy) y = screen.cy - height_;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  position->x = x;
  position->y = y;
  return true;
}

std::unique_ptr<CSslVerifyPopup> CreateSslVerifyPopupFor(SubclassUtilsNS::BrowserGeneration generation,
                                                         WindowingNS::CValidationBorder* border, HWND frame) {
  if (SubclassUtilsNS::IsSingleBrowserFrame(generation))
    return std::unique_ptr<CSslVerifyPopup>(new (std::nothrow) CSslVerifyPopupIE5_6(border, frame));
  if (SubclassUtilsNS::IsTabbedFrame(generation))
    return std::unique_ptr<CSslVerifyPopup>(new (std::nothrow) CSslVerifyPopupIE7(border, frame));
  return nullptr;
}

std::unique_ptr<CSslVerifyPopup> CreateSslVerifyPopup(WindowingNS::CValidationBorder* border, HWND frame) {
  return CreateSslVerifyPopupFor(SubclassUtilsNS::GetBrowserVersion(), border, frame);
}

// ---------------------------------------------------------------------------------------------
// Proxy

CSslVerifyPopupProxy::CSslVerifyPopupProxy(WindowingNS::CValidationBorder* border, HWND frame)
    : border_(border), frame_(frame), thread_id_(GetCurrentThreadId()) {}

CSslVerifyPopupProxy::~CSslVerifyPopupProxy() = default;

CSslVerifyPopup* CSslVerifyPopupProxy::Real() {
  // The popup's window belongs to the thread that builds it: only the proxy's own thread does.
  if (!popup_ && GetCurrentThreadId() == thread_id_) popup_ = CreateSslVerifyPopup(border_, frame_);
  return popup_.get();
}

bool CSslVerifyPopupProxy::Show(bool auto_hide) {
  CSslVerifyPopup* popup = Real();
  return popup ? popup->Show(auto_hide) : false;
}

bool CSslVerifyPopupProxy::Hide(bool delayed) {
  CSslVerifyPopup* popup = Real();
  return popup ? popup->Hide(delayed) : false;
}

bool CSslVerifyPopupProxy::SetCertificate(PCCERT_CONTEXT certificate, int cert_class) {
  CSslVerifyPopup* popup = Real();
  return popup ? popup->SetCertificate(certificate, cert_class) : false;
}

void CSslVerifyPopupProxy::SetAnchorPoint(const POINT* point) {
  CSslVerifyPopup* popup = Real();
  if (popup) popup->SetAnchorPoint(point);
}

}  // namespace SslVerifyNS
