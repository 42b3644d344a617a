#include "toolkit/drawing/draw_helpers.h"
#include "platform/win/gdi.h"
#include "platform/win/module.h"

#include <algorithm>

#include "toolkit/drawing/color_manager.h"
#include "toolkit/drawing/system_helpers.h"

CTKDrawHelpers::CTKDrawHelpers() : msimg32_(LoadLibraryW(L"msimg32.dll")) {
  if (msimg32_) gradient_fill_ = reinterpret_cast<GradientFillFn>(GetProcAddress(msimg32_.Get(), "GradientFill"));
}

CTKDrawHelpers::~CTKDrawHelpers() = default;

CTKDrawHelpers& CTKDrawHelpers::Instance() {
  static CTKDrawHelpers helpers;
  return helpers;
}

COLORREF CTKDrawHelpers::MixColorsByFactor(COLORREF a, COLORREF b, float f) {
  auto mix = [f](int ca, int cb) { return std::min(static_cast<int>(f * ca + (1.0f - f) * cb), 255); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

void CTKDrawHelpers::FillSolidRect(HDC dc, const RECT& rc, COLORREF color) {
  COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

bool CTKDrawHelpers::IsLowColorDC(HDC dc) { return GetColorManagerInstance().IsLowColorDisplay(dc); }

void CTKDrawHelpers::FillGradient(HDC dc, const RECT* rc, COLORREF from, COLORREF to, bool horizontal) {
  if (!rc || IsRectEmpty(rc)) return;
  if (IsLowColorDC(dc) || from == to) {
    FillSolidRect(dc, *rc, from);
    return;
  }
  if (GradientFillFn fill = Instance().gradient_fill_) {
    TRIVERTEX v[2] = {};
    v[0].x = rc->left;
    v[0].y = rc->top;
    v[0].Red = static_cast<COLOR16>(GetRValue(from) << 8);
    v[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
    v[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
    v[1].x = rc->right;
    v[1].y = rc->bottom;
    v[1].Red = static_cast<COLOR16>(GetRValue(to) << 8);
    v[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
    v[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
    GRADIENT_RECT r{0, 1};
    fill(dc, v, 2, &r, 1, horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
    return;
  }
  // Line by line, only inside the clip box.
  RECT part = *rc;
  RECT clip{};
  if (GetClipBox(dc, &clip) != NULLREGION && !IsRectEmpty(&clip)) {
    if (!IntersectRect(&part, rc, &clip)) return;
  }
  if (horizontal) {
    const float width = static_cast<float>(std::max<LONG>(rc->right - rc->left, 1));
    for (LONG x = part.left; x < part.right; ++x) {
      RECT line{x, part.top, x + 1, part.bottom};
      FillSolidRect(dc, line, MixColorsByFactor(from, to, 1.0f - (x - rc->left) / width));
    }
  } else {
    const float height = static_cast<float>(std::max<LONG>(rc->bottom - rc->top, 1));
    for (LONG y = part.top; y < part.bottom; ++y) {
      RECT line{part.left, y, part.right, y + 1};
      FillSolidRect(dc, line, MixColorsByFactor(from, to, 1.0f - (y - rc->top) / height));
    }
  }
}

void CTKDrawHelpers::FillGradientClipped(HDC dc, const RECT* rc, COLORREF from, COLORREF to, bool horizontal,
                                         const RECT* clip) {
  if (!clip) {
    FillGradient(dc, rc, from, to, horizontal);
    return;
  }
  if (!rc || IsRectEmpty(rc)) return;
  RECT part = *rc;
  // Across the gradient's direction the rectangle is simply cut.
  if (horizontal) {
    part.top = std::max(part.top, clip->top);
    part.bottom = std::min(part.bottom, clip->bottom);
  } else {
    part.left = std::max(part.left, clip->left);
    part.right = std::min(part.right, clip->right);
  }
  LONG start = horizontal ? rc->left : rc->top;
  LONG far_edge = horizontal ? rc->right : rc->bottom;
  LONG clip_start = horizontal ? clip->left : clip->top;
  LONG clip_end = horizontal ? clip->right : clip->bottom;
  const float extent = static_cast<float>(far_edge - start);
  if (clip_start >= far_edge || clip_end <= start || part.left >= part.right || part.top >= part.bottom) return;
  COLORREF f = from, t = to;
  LONG s = start, e = far_edge;
  if (clip_start > start) {
    s = clip_start;
    f = MixColorsByFactor(from, to, (far_edge - s) / extent);
  }
  if (clip_end < far_edge) {
    e = clip_end;
    t = MixColorsByFactor(from, to, (far_edge - e) / extent);
  }
  if (horizontal) {
    part.left = s;
    part.right = e;
  } else {
    part.top = s;
    part.bottom = e;
  }
  FillGradient(dc, &part, f, t, horizontal);
}

void CTKDrawHelpers::FillColorGradient(HDC dc, const RECT* rc, const CTKPaintManagerColorGradient& gradient,
                                       bool horizontal, const RECT* clip) {
  if (!rc) return;
  const COLORREF light = gradient.light.Color(), dark = gradient.dark.Color();
  if (gradient.factor == 0.5f) {
    FillGradientClipped(dc, rc, light, dark, horizontal, clip);
    return;
  }
  const COLORREF middle = MixColorsByFactor(light, dark, gradient.factor);
  RECT first = *rc, second = *rc;
  if (horizontal) {
    first.right = rc->right - (rc->right - rc->left) / 2;
    second.left = first.right;
  } else {
    first.bottom = rc->bottom - (rc->bottom - rc->top) / 2;
    second.top = first.bottom;
  }
  FillGradientClipped(dc, &first, light, middle, horizontal, clip);
  FillGradientClipped(dc, &second, middle, dark, horizontal, clip);
}

void CTKDrawHelpers::AveragePixelPairs(HDC dc, const POINT* pairs, int count) {
  if (!pairs) return;
  // An odd count still reads the whole last pair.
  for (int i = 0; i < count; i += 2) {
    const POINT p = pairs[i];
    const POINT off = pairs[i + 1];
    const COLORREF a = GetPixel(dc, p.x, p.y), b = GetPixel(dc, p.x + off.x, p.y + off.y);
    SetPixel(dc, p.x, p.y,
             RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
                 (GetBValue(a) + GetBValue(b)) / 2));
  }
}

void CTKDrawHelpers::FillTriangle(HDC dc, POINT a, POINT b, POINT c, COLORREF color) {
  CTKPenDC pen(dc, color);
  CTKBrushDC brush(dc, color);
  PolygonTriangle(dc, a, b, c);
}

void CTKDrawHelpers::PolygonTriangle(HDC dc, POINT a, POINT b, POINT c) {
  POINT pts[3] = {a, b, c};
  Polygon(dc, pts, 3);
}

void CTKDrawHelpers::ExcludeCornerPixels(HDC dc, const RECT& rc) {
  ExcludeClipRect(dc, rc.left, rc.top, rc.left + 1, rc.top + 1);
  ExcludeClipRect(dc, rc.right - 1, rc.top, rc.right, rc.top + 1);
  ExcludeClipRect(dc, rc.left, rc.bottom - 1, rc.left + 1, rc.bottom);
  ExcludeClipRect(dc, rc.right - 1, rc.bottom - 1, rc.right, rc.bottom);
}

bool CTKDrawHelpers::IsOwnerChainForeground(HWND hwnd) {
  if (!hwnd) return false;
  HWND top = hwnd;
  for (HWND next = GetParent(top); next; next = GetParent(top)) top = next;
  return GetForegroundWindow() == GetLastActivePopup(top);
}

namespace {
using GetLayoutFn = DWORD(WINAPI*)(HDC);
using SetLayoutFn = DWORD(WINAPI*)(HDC, DWORD);
}  // namespace

bool CTKDrawHelpers::IsDCRightToLeft(HDC dc) {
  static const auto get_layout = KestrinWinNS::SystemFunctionAs<GetLayoutFn>("gdi32.dll", "GetLayout");
  if (!get_layout || !dc) return false;
  const DWORD layout = get_layout(dc);
  return layout != GDI_ERROR && (layout & LAYOUT_RTL) != 0;
}

void CTKDrawHelpers::SetDCRightToLeft(HDC dc, bool rtl) {
  static const auto set_layout = KestrinWinNS::SystemFunctionAs<SetLayoutFn>("gdi32.dll", "SetLayout");
  if (set_layout && dc) set_layout(dc, rtl ? LAYOUT_RTL : 0);
}

void CTKDrawHelpers::SwapArrowKeyForRTL(HWND hwnd, UINT& key) {
  if (!hwnd || !(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)) return;
  if (key == VK_LEFT)
    key = VK_RIGHT;
  else if (key == VK_RIGHT)
    key = VK_LEFT;
}

void CTKDrawHelpers::ScreenToWindowRTL(HWND hwnd, POINT& pt) {
  RECT rc{};
  if (!hwnd || !GetWindowRect(hwnd, &rc)) return;
  if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
    pt.x = rc.right - pt.x;
  else
    pt.x -= rc.left;
  pt.y -= rc.top;
}

ATOM CTKDrawHelpers::RegisterDefProcClass(const wchar_t* name, UINT style, HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance ? instance : GetModuleHandleW(nullptr);
  // A class registered before is only looked up: asking the system to register it again (and
  // loading the cursor for it) costs a round trip to the window server on every window made.
  WNDCLASSEXW known{};
  known.cbSize = sizeof(known);
  if (const ATOM atom = static_cast<ATOM>(GetClassInfoExW(wc.hInstance, name, &known))) return atom;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  wc.lpszClassName = name;
  return RegisterClassW(&wc);
}

namespace {
struct FontSearch {
  const wchar_t* face;
  bool found;
};

int CALLBACK MatchFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* search = reinterpret_cast<FontSearch*>(param);
  if (lstrcmpiW(lf->lfFaceName, search->face) == 0) {
    search->found = true;
    return 0;
  }
  return 1;
}
}  // namespace

bool CTKDrawHelpers::IsFontInstalled(const wchar_t* face) {
  if (!face || !*face) return false;
  KestrinWinNS::CScopedClientDC screen(nullptr);
  if (!screen) return false;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  FontSearch search{face, false};
  EnumFontFamiliesExW(screen.Get(), &lf, MatchFace, reinterpret_cast<LPARAM>(&search), 0);
  return search.found;
}

std::wstring CTKDrawHelpers::ChooseDefaultFaceName(bool preferTahoma) {
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
  const CTKWindowsVersionInfo& v = GetWindowsVersionInfo();
  if ((gui.lfCharSet > 2 && v.dwPlatformId == 2 && v.dwMajorVersion > 4) || !IsFontInstalled(L"Arial"))
    return gui.lfFaceName;
  if (preferTahoma && IsFontInstalled(L"Tahoma")) return L"Tahoma";
  return L"Arial";
}

void CTKDrawHelpers::StripAmpersands(std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        out += L'&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  text.swap(out);
}

void CTKDrawHelpers::StripAmpersandsInPlace(wchar_t* text) {
  if (!text || text == reinterpret_cast<wchar_t*>(-1)) return;
  wchar_t* out = text;
  for (const wchar_t* in = text; *in; ++in) {
    if (*in == L'&') {
      if (in[1] == L'&') *out++ = *++in;
      continue;
    }
    *out++ = *in;
  }
  *out = 0;
}

RECT CTKDrawHelpers::InitWindowRect(HWND hwnd) {
  RECT rc{};
  if (hwnd && IsWindow(hwnd)) GetWindowRect(hwnd, &rc);
  return rc;
}

RECT CTKDrawHelpers::InitClientRect(HWND hwnd) {
  RECT rc{};
  if (hwnd && IsWindow(hwnd)) GetClientRect(hwnd, &rc);
  return rc;
}

// ---- scope DCs ----

CTKBufferDC::CTKBufferDC(HDC dest, const RECT& rc) : dest_(dest), rect_(rc) {
  CreateCompatibleDC(dest);
  bitmap_.Reset(CreateCompatibleBitmap(dest, std::max<LONG>(rc.right, 1), std::max<LONG>(rc.bottom, 1)));
  if (GetSafeHdc() && bitmap_) old_bitmap_ = ::SelectObject(GetSafeHdc(), bitmap_.Get());
}

CTKBufferDC::~CTKBufferDC() {
  HDC dc = GetSafeHdc();
  if (dest_ && dc && bitmap_)
    ::BitBlt(dest_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, dc, rect_.left,
             rect_.top, SRCCOPY);
  if (old_bitmap_) ::SelectObject(dc, old_bitmap_);
  DeleteDC();  // the bitmap goes after the DC it was selected into
}

CTKBufferDCEx::CTKBufferDCEx(HDC dest, const RECT& rc) : dest_(dest), rect_(rc) {
  CreateCompatibleDC(dest);
  bitmap_.Reset(
      CreateCompatibleBitmap(dest, std::max<LONG>(rc.right - rc.left, 1), std::max<LONG>(rc.bottom - rc.top, 1)));
  if (GetSafeHdc() && bitmap_) old_bitmap_ = ::SelectObject(GetSafeHdc(), bitmap_.Get());
  if (GetSafeHdc()) SetViewportOrgEx(GetSafeHdc(), -rc.left, -rc.top, nullptr);
}

CTKBufferDCEx::~CTKBufferDCEx() {
  HDC dc = GetSafeHdc();
  if (dc) SetViewportOrgEx(dc, 0, 0, nullptr);
  if (dest_ && dc && bitmap_)
    ::BitBlt(dest_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, dc, 0, 0, SRCCOPY);
  if (old_bitmap_) ::SelectObject(dc, old_bitmap_);
  DeleteDC();  // the bitmap goes after the DC it was selected into
}

CTKCompatibleDC::CTKCompatibleDC(HDC dc, HBITMAP bitmap) {
  CreateCompatibleDC(dc);
  if (GetSafeHdc() && bitmap) old_ = ::SelectObject(GetSafeHdc(), bitmap);
}

CTKCompatibleDC::~CTKCompatibleDC() {
  if (old_) ::SelectObject(GetSafeHdc(), old_);
  DeleteDC();
}

CTKFontDC::CTKFontDC(HDC dc, HFONT font) {
  Attach(dc);
  SelectFont(font);
}

void CTKFontDC::SelectFont(HFONT font) {
  if (!font) return;
  HGDIOBJ old = ::SelectObject(GetSafeHdc(), font);
  if (!old_font_) old_font_ = old;
}

void CTKFontDC::SetTextColor(COLORREF color) {
  COLORREF old = ::SetTextColor(GetSafeHdc(), color);
  if (old_text_color_ == CLR_INVALID) old_text_color_ = old;
}

CTKFontDC::~CTKFontDC() {
  if (old_font_) ::SelectObject(GetSafeHdc(), old_font_);
  if (old_text_color_ != CLR_INVALID) ::SetTextColor(GetSafeHdc(), old_text_color_);
  Detach();
}

namespace {
HGDIOBJ NewPen(COLORREF color) { return CreatePen(PS_SOLID, 1, color); }
HGDIOBJ NewBrush(COLORREF color) { return CreateSolidBrush(color); }
}  // namespace

CTKColorObjectDC::CTKColorObjectDC(HDC dc, CreateFn create, COLORREF color) : create_(create) {
  Attach(dc);
  SetColor(color);
}

void CTKColorObjectDC::SetColor(COLORREF color) {
  HGDIOBJ object = create_(color);
  if (!object) return;
  HGDIOBJ old = ::SelectObject(GetSafeHdc(), object);
  if (!old_) old_ = old;
  object_.Reset(object);  // the previous object is no longer selected
}

CTKColorObjectDC::~CTKColorObjectDC() {
  if (old_) ::SelectObject(GetSafeHdc(), old_);
  Detach();
}

CTKPenDC::CTKPenDC(HDC dc, COLORREF color) : CTKColorObjectDC(dc, &NewPen, color) {}

CTKBrushDC::CTKBrushDC(HDC dc, COLORREF color) : CTKColorObjectDC(dc, &NewBrush, color) {}
