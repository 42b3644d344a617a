#include "toolkit/paint/paint_manager.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/system_helpers.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/default_theme.h"
#include "toolkit/paint/office2003_theme.h"
#include "toolkit/paint/office_theme.h"
#include "toolkit/paint/office2007_theme.h"
#include "platform/win/gdi.h"

using namespace TKCommandBars;

namespace {
CTKPaintManager* g_paint_manager = nullptr;

// The global instance is released at process exit.
struct GlobalPaintManagerDropper {
  ~GlobalPaintManagerDropper() { DropGlobalPaintManager(); }
} g_dropper;
}  // namespace

// ---------------------------------------------------------------------------------------------
// The current paint manager

namespace {
// Makers of themes that live above this folder, by number.
TKThemeMaker g_theme_makers[8] = {};
}  // namespace

void RegisterThemeMaker(int number, TKThemeMaker maker) {
  if (number >= 0 && number < static_cast<int>(std::size(g_theme_makers))) g_theme_makers[number] = maker;
}

CTKPaintManager* NewThemeByNumber(int number) {
  CTKPaintManager* manager = nullptr;
  if (number >= 0 && number < static_cast<int>(std::size(g_theme_makers)) && g_theme_makers[number])
    manager = g_theme_makers[number]();
  if (manager) {
    manager->SetThemeNumberWord(number);
    return manager;
  }
  switch (number) {
    case 1:
      manager = new TKPaintThemes::CTKOfficeTheme;
      break;
    case 2:
      manager = new TKPaintThemes::CTKOffice2003Theme;
      break;
    case 4:
      manager = new TKPaintThemes::CTKWhidbeyTheme;
      break;
    case 3:
      manager = new TKPaintThemes::CTKNativeXPTheme;
      break;
    case 5:
      manager = new TKPaintThemes::CTKOffice2007Theme;
      break;
    default:
      // Any other number, and the ribbon's until the ribbon registers its maker, gets the
      // default theme.
      manager = new TKPaintThemes::CTKDefaultTheme;
      break;
  }
  manager->SetThemeNumberWord(number);
  return manager;
}

void InstallGlobalPaintManager(CTKPaintManager* manager) {
  if (g_paint_manager) g_paint_manager->Release();
  g_paint_manager = manager;
  if (manager) {
    manager->SetThemeNumberWord(7);
    manager->ReloadColorsAndFonts();
  }
}

void InstallThemeByNumber(int number) {
  InstallGlobalPaintManager(NewThemeByNumber(number));
  g_paint_manager->SetThemeNumberWord(number);
}

void DropGlobalPaintManager() {
  if (g_paint_manager) g_paint_manager->Release();
  g_paint_manager = nullptr;
}

CTKPaintManager* GlobalPaintManager() {
  if (!g_paint_manager) InstallThemeByNumber(0);
  return g_paint_manager;
}

// ---------------------------------------------------------------------------------------------
// Gallery metrics

void CTKControlGalleryPaintManager::RefreshMetrics() {
  scroll_width_ = ::GetSystemMetrics(SM_CXVSCROLL);
  vscroll_height_ = ::GetSystemMetrics(SM_CYVSCROLL);
  hscroll_width_ = ::GetSystemMetrics(SM_CXHSCROLL);
  hscroll_height_ = ::GetSystemMetrics(SM_CYHSCROLL);
  up_height_ = down_height_ = 19;
  column_width_ = 16;
  scroll_theme_.CloseTheme();
  scroll_theme_.OpenTheme(nullptr, L"SCROLLBAR");
  border_ = owner_->ResolveColor(16);
  ++refreshes_;
}

// ---------------------------------------------------------------------------------------------

CTKPaintManager::CTKPaintManager() {
  gallery_ = new CTKControlGalleryPaintManager(this);
  HMODULE user32 = ::GetModuleHandleW(L"USER32");
  if (user32)
    set_layered_ = reinterpret_cast<SetLayeredWindowAttributesFn>(::GetProcAddress(user32, "SetLayeredWindowAttributes"));
}

CTKPaintManager::~CTKPaintManager() {
  if (gallery_) gallery_->InternalRelease();
}

COLORREF CTKPaintManager::ResolveColor(int index) const {
  if (index > 62 || index < 0) return static_cast<COLORREF>(index);
  return colors_[index].Color();
}

int CTKPaintManager::EffectiveSchemeNumber() const {
  CTKColorManager& cm = GetColorManagerInstance();
  if (system_theme_selection_ == 5) return cm.IsLunaColorsDisabled() ? 0 : cm.GetSystemThemeInUse();
  if (system_theme_selection_ == 4) return cm.GetDetectedSystemTheme();
  return system_theme_selection_;
}

bool CTKPaintManager::SystemMenuFont(LOGFONTW* font) {
  CSystemNonClientMetrics metrics;
  *font = metrics.lfMenuFont;
  return true;
}

void CTKPaintManager::RebuildBarFonts() {
  if (use_system_menu_font_) {
    LOGFONTW lf{};
    if (SystemMenuFont(&lf)) {
      if (lf.lfHeight < 0 && lf.lfHeight > -11) lf.lfHeight = -11;
      BuildFontsFromLogFont(&lf, true);
    }
  }
  CSystemNonClientMetrics metrics;
  LOGFONTW iconTitle{};
  ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0);
  LOGFONTW smallCaption = metrics.lfSmCaptionFont;
  LOGFONTW status = metrics.lfStatusFont;
  if (cleartype_) iconTitle.lfQuality = smallCaption.lfQuality = status.lfQuality = 6;
  auto rebuild = [](CTKPaintManagerFont& font, LOGFONTW lf) {
    if (!font.IsStandard() && font.GetSafeHandle()) return;
    font.DeleteObject();
    font.CreateFontIndirect(&lf);
  };
  rebuild(font_small_caption_, smallCaption);
  rebuild(font_icon_title_, iconTitle);
  LOGFONTW bold = iconTitle;
  bold.lfWeight = FW_BOLD;
  rebuild(font_icon_title_bold_, bold);
  rebuild(font_status_, status);
}

void CTKPaintManager::BuildFontsFromLogFont(const LOGFONTW* font, bool useStandard) {
  use_system_menu_font_ = useStandard;
  if (!font) return;
  LOGFONTW lf = *font;
  if (cleartype_) lf.lfQuality = 5;
  font_regular_.DeleteObject();
  font_bold_.DeleteObject();
  font_vertical_.DeleteObject();
  font_vertical_bold_.DeleteObject();
  font_icon_title_bold_.DeleteObject();
  if (_wcsicmp(lf.lfFaceName, configured_face_.c_str()) == 0) vertical_face_configured_ = true;
  if (vertical_face_configured_ && useStandard && CTKDrawHelpers::IsFontInstalled(configured_face_.c_str()))
    lstrcpynW(lf.lfFaceName, configured_face_.c_str(), LF_FACESIZE);
  font_regular_.CreateFontIndirect(&lf);
  LOGFONTW bold = lf;
  bold.lfWeight = FW_BOLD;
  font_bold_.CreateFontIndirect(&bold);
  LOGFONTW vertical = lf;
  vertical.lfEscapement = 2700;
  vertical.lfOrientation = 900;
  std::wstring face = CTKDrawHelpers::ChooseDefaultFaceName(vertical_face_configured_);
  if (!face.empty()) lstrcpynW(vertical.lfFaceName, face.c_str(), LF_FACESIZE);
  font_vertical_.CreateFontIndirect(&vertical);
  vertical.lfWeight = FW_BOLD;
  font_vertical_bold_.CreateFontIndirect(&vertical);

  SIZE sz{};
  {
    KestrinWinNS::CScopedClientDC screen(nullptr);
    KestrinWinNS::CSelectObject font(screen.Get(), font_regular_.GetSafeHandle());
    ::GetTextExtentPoint32W(screen.Get(), L" ", 1, &sz);
  }
  control_height_ = sz.cy + 6;
}

void CTKPaintManager::ReloadColorsAndFonts() {
  RebuildBarFonts();
  CTKColorManager& cm = GetColorManagerInstance();
  cm.RecomputeColors();
  for (int i = 0; i < 63; ++i) colors_[i].SetStandardValue(cm.ColorByIndex(i));
  scheme_color_ = 0;
  status_text_color_ = ResolveColor(18);
  floating_caption_.SetStandardValue(ResolveColor(16));
  floating_caption_text_.SetStandardValue(ResolveColor(20));
  face_gradient_.SetStandardColors(ResolveColor(15), ResolveColor(16), 0.5f);
  status_theme_.CloseTheme();
  if (themed_status_) {
    status_theme_.OpenTheme(nullptr, L"STATUS");
    COLORREF c;
    if (status_theme_.IsThemeInUse() && SUCCEEDED(status_theme_.GetThemeColor(1, 0, TMT_TEXTCOLOR, &c)))
      status_text_color_ = c;
  }
  button_theme_.CloseTheme();
  if (themed_checks_) button_theme_.OpenTheme(nullptr, L"BUTTON");
  if (gallery_) gallery_->RefreshMetrics();
}

// ---------------------------------------------------------------------------------------------
// Small drawing helpers

void CTKPaintManager::FillAndFrame(CDC* dc, const CRect& rect, int fill, int frame) {
  if (fill != -1) dc->FillSolidRect(&rect, ResolveColor(fill));
  if (frame != -1 && frame != fill) {
    CBrush brush(ResolveColor(frame));
    dc->FrameRect(&rect, brush);
  }
}

void CTKPaintManager::Draw3dFrame(CDC* dc, const CRect& rect, int topLeft, int bottomRight) {
  dc->Draw3dRect(&rect, ResolveColor(topLeft), ResolveColor(bottomRight));
}

void CTKPaintManager::RowLine(CDC* dc, int x1, int x2, int y, int colour) {
  dc->FillSolidRect(x1, y, x2 - x1, 1, ResolveColor(colour));
}

void CTKPaintManager::ColumnLine(CDC* dc, int x, int y1, int y2, int colour) {
  dc->FillSolidRect(x, y1, 1, y2 - y1, ResolveColor(colour));
}

void CTKPaintManager::ForceOpaque(CDC* dc, const CRect& rect) {
  if (rect.IsRectEmpty()) return;
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap dib = KestrinWinNS::CreateDib32(rect.Width(), rect.Height(), &bits);
  if (!dib) return;
  KestrinWinNS::CBitmapDC mem(*dc, dib.Get());
  if (!mem) return;
  ::BitBlt(mem.Get(), 0, 0, rect.Width(), rect.Height(), *dc, rect.left, rect.top, SRCCOPY);
  ::GdiFlush();
  DWORD* p = static_cast<DWORD*>(bits);
  for (int i = 0; i < rect.Width() * rect.Height(); ++i) p[i] |= 0xFF000000;
  ::BitBlt(*dc, rect.left, rect.top, rect.Width(), rect.Height(), mem.Get(), 0, 0, SRCCOPY);
}

CSize CTKPaintManager::MeasureText(CDC* dc, CFont* font, const std::wstring& text, UINT format) {
  HGDIOBJ old = font ? dc->SelectObject(font->GetSafeHandle()) : nullptr;
  RECT rc{0, 0, 0, 0};
  ::DrawTextW(*dc, text.c_str(), static_cast<int>(text.size()), &rc, format | DT_CALCRECT);
  if (old) dc->SelectObject(old);
  return CSize(rc.right - rc.left, rc.bottom - rc.top);
}

CTKPaintManager::ItemState CTKPaintManager::StateOf(CTKControl* control) const {
  ItemState s;
  s.selected = control->GetSelected() != 0;
  s.selection = control->GetSelected();
  s.pressed = control->GetPressed();
  s.enabled = control->GetEnabled();
  s.checked = control->GetChecked();
  s.popped = control->GetPopuped();
  if (CTKCommandBar* bar = control->GetParent()) {
    s.bar_type = bar->GetType();
    s.bar_position = bar->GetPosition();
  }
  return s;
}

void CTKPaintManager::PaintItemFace(CDC* dc, CTKControl* control) {
  CRect rect = control->GetRect();
  PaintStateRect(dc, rect, StateOf(control));
}

COLORREF CTKPaintManager::ItemTextColor(CTKControl* control) {
  ItemState s = StateOf(control);
  if (control->GetType() == kSplitButtonPopup && s.bar_type != kPopupBar) s.pressed = control->GetPopuped() ? 1 : s.pressed;
  return ResolveColor(TextColorForState(s));
}

CSize CTKPaintManager::PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) {
  if (!bar || bar->GetPosition() != kFloating) return CSize(0, 0);
  CRect client = bar->GetSafeHwnd() ? bar->GetClientRect() : CRect();
  CSize text = MeasureText(dc, &font_small_caption_, bar->GetTitle().empty() ? L"X" : bar->GetTitle());
  CRect caption(3, 3, client.right - 3, std::max<int>(text.cy + 3, 18));
  if (draw) {
    dc->FillSolidRect(&caption, floating_caption_.Color());
    HGDIOBJ old = dc->SelectObject(font_small_caption_.GetSafeHandle());
    dc->SetTextColor(floating_caption_text_.Color());
    dc->SetBkMode(TRANSPARENT);
    CRect textRect = caption;
    textRect.left += 2;
    ::DrawTextW(*dc, bar->GetTitle().c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    dc->SelectObject(old);
  }
  return CSize(caption.Width(), caption.bottom);
}

void CTKPaintManager::PaintDockArea(CDC* dc, const CRect& rect) { dc->FillSolidRect(&rect, ResolveColor(15)); }

void CTKPaintManager::PaintStatusBackground(CDC* dc, const CRect& rect) {
  if (themed_status_ && status_theme_.IsThemeInUse() &&
      SUCCEEDED(status_theme_.DrawThemeBackground(*dc, 0, 0, &rect, nullptr)))
    return;
  dc->FillSolidRect(&rect, ResolveColor(15));
}

void CTKPaintManager::PaintStatusPaneEdge(CDC* dc, const CRect& rect, bool besideGrip) {
  if (themed_status_ && status_theme_.IsThemeInUse() &&
      SUCCEEDED(status_theme_.DrawThemeBackground(*dc, besideGrip ? 2 : 1, 0, &rect, nullptr)))
    return;
  Draw3dFrame(dc, rect, 16, 20);
}

void CTKPaintManager::PaintSizeGrip(CDC* dc, const CRect& rect) {
  if (themed_status_ && status_theme_.IsThemeInUse()) {
    CRect grip(rect.right - 18, rect.top, rect.right, rect.bottom);
    if (SUCCEEDED(status_theme_.DrawThemeBackground(*dc, 3, 0, &grip, nullptr))) return;
  }
  // Three ridges across the corner, each a light line above two dark ones, kept inside rect.
  const int size = std::min<int>(12, std::min(rect.Width(), rect.Height()));
  for (int ridge = 0; ridge < 3; ++ridge) {
    for (int line = 0; line < 3; ++line) {
      const int length = 4 * ridge + 3 - line;  // the light line is the longest of the ridge
      if (length > size) continue;
      const COLORREF colour = ResolveColor(line == 0 ? 20 : 16);
      for (int k = 0; k < length; ++k) dc->SetPixel(rect.right - 1 - k, rect.bottom - length + k, colour);
    }
  }
}

void CTKPaintManager::PaintStatusPane(CDC* dc, const CRect& rect, HICON icon, CSize iconSize,
                                      const std::wstring& text, DWORD style, bool besideGrip) {
  if (!(style & kPaneNoBorders)) PaintStatusPaneEdge(dc, rect, besideGrip);
  CRect inner = rect;
  inner.DeflateRect(2, 1);
  if (icon && iconSize.cx > 0 && iconSize.cy > 0) {
    const int top = inner.top + (inner.Height() - iconSize.cy) / 2;
    ::DrawIconEx(*dc, inner.left, top, icon, iconSize.cx, iconSize.cy, 0, nullptr, DI_NORMAL);
    inner.left += iconSize.cx + 2;
  }
  if (text.empty() || inner.IsRectEmpty()) return;
  HGDIOBJ old = dc->SelectObject(font_status_.GetSafeHandle() ? font_status_.GetSafeHandle() : font_regular_.GetSafeHandle());
  dc->SetTextColor((style & kPaneDisabled) ? ResolveColor(17) : status_text_color_);
  dc->SetBkMode(TRANSPARENT);
  ::DrawTextW(*dc, text.c_str(), static_cast<int>(text.size()), &inner,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  dc->SelectObject(old);
}

void CTKPaintManager::PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& state,
                                         bool hiddenControls) {
  COLORREF glyph = (state.selected || state.pressed) ? ResolveColor(TextColorForState(state))
                                                     : floating_caption_text_.Color();
  switch (kind) {
    case 0: {
      CRect arrow(rect.left, rect.bottom - 8, rect.right, rect.bottom - 2);
      FillDownTriangle(dc, arrow, glyph);
      if (hiddenControls) {
        int x = rect.left + (rect.Width() - 5) / 2, y = rect.top + 4;
        for (int k = 0; k < 2; ++k) {
          dc->FillSolidRect(x + k * 3, y, 2, 1, glyph);
          dc->FillSolidRect(x + k * 3 + 1, y + 1, 2, 1, glyph);
          dc->FillSolidRect(x + k * 3, y + 2, 2, 1, glyph);
        }
      }
      break;
    }
    case 1: {
      int x = rect.left + rect.Width() / 2, y = rect.top + (rect.Height() - 6) / 2;
      for (int k = 0; k < 2; ++k) {
        dc->FillSolidRect(x - 2, y + k * 3, 5, 1, glyph);
        dc->FillSolidRect(x - 1, y + k * 3 + 1, 3, 1, glyph);
        dc->FillSolidRect(x, y + k * 3 + 2, 1, 1, glyph);
      }
      break;
    }
    case 2: {
      CFont marlett;
      marlett.CreatePointFont(80, L"Marlett", *dc);
      HGDIOBJ old = dc->SelectObject(marlett.GetSafeHandle());
      dc->SetTextColor(glyph);
      dc->SetBkMode(TRANSPARENT);
      CRect r = rect;
      ::DrawTextW(*dc, L"r", 1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      dc->SelectObject(old);
      break;
    }
    case 3:
      FillDownTriangle(dc, rect, glyph);
      break;
    default:
      break;
  }
}

CRect CTKPaintManager::BarBorderInsets(CTKCommandBar* bar) { return CRect(2, 2, 2, 2); }

CRect CTKPaintManager::SplitArrowFreeRect(CTKControl* control) {
  CRect rect = control->GetRect();
  CTKCommandBar* bar = control->GetParent();
  if (bar && bar->GetType() == kPopupBar) {
    rect.right -= popup_arrow_width_;
  } else if (control->GetStyle() == 4) {
    int cut = 2 * control_height_ - 17;
    if (bar && (bar->GetPosition() == kLeft || bar->GetPosition() == kRight))
      rect.left += cut;
    else
      rect.bottom -= cut;
  } else {
    rect.right -= split_width_ + 1;
  }
  return rect;
}

void CTKPaintManager::PaintComboDropDownButton(CDC* dc, const CRect& rect, const ItemState& state) {
  CRect thumb = rect;
  ::DrawFrameControl(*dc, &thumb, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (state.enabled ? 0 : DFCS_INACTIVE) | (state.popped ? DFCS_PUSHED : 0));
}

void CTKPaintManager::PaintSpinButtons(CDC* dc, const CRect& area, bool enabled, int selected, int pressed) {
  const int middle = area.CenterPoint().y;
  CRect up(area.left, area.top, area.right, middle), down(area.left, middle, area.right, area.bottom);
  const UINT disabled = enabled ? 0 : DFCS_INACTIVE;
  ::DrawFrameControl(*dc, &up, DFC_SCROLL, DFCS_SCROLLUP | disabled | (pressed == 3 && selected == 3 ? DFCS_PUSHED : 0));
  ::DrawFrameControl(*dc, &down, DFC_SCROLL,
                     DFCS_SCROLLDOWN | disabled | (pressed == 4 && selected == 4 ? DFCS_PUSHED : 0));
}

CSize CTKPaintManager::PaintCheckBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) {
  if (draw) {
    if (themed_checks_ && button_theme_.IsThemeInUse()) {
      int s = state + (checked == 1 ? 4 : checked == 2 ? 8 : 0);
      button_theme_.DrawThemeBackground(*dc, BP_CHECKBOX, s, &rect, nullptr);
    } else {
      CRect box(rect.left, rect.top, rect.left + 13, rect.top + 13);
      UINT flags = DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) | (state == 4 ? DFCS_INACTIVE : 0) |
                   (state == 3 ? DFCS_PUSHED : 0);
      ::DrawFrameControl(*dc, &box, DFC_BUTTON, flags);
    }
  }
  return CSize(13, 13);
}

CSize CTKPaintManager::PaintRadioBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) {
  if (draw) {
    if (themed_checks_ && button_theme_.IsThemeInUse()) {
      int s = state + (checked ? 4 : 0);
      button_theme_.DrawThemeBackground(*dc, BP_RADIOBUTTON, s, &rect, nullptr);
    } else {
      CRect box(rect.left, rect.top, rect.left + 13, rect.top + 13);
      UINT flags = DFCS_BUTTONRADIO | (checked ? DFCS_CHECKED : 0) | (state == 4 ? DFCS_INACTIVE : 0) |
                   (state == 3 ? DFCS_PUSHED : 0);
      ::DrawFrameControl(*dc, &box, DFC_BUTTON, flags);
    }
  }
  return CSize(13, 13);
}

CFont* CTKPaintManager::BarFontFor(CTKCommandBar* bar, bool bold) {
  if (bar && (bar->GetPosition() == kLeft || bar->GetPosition() == kRight))
    return bold ? &font_vertical_bold_ : &font_vertical_;
  return bold ? &font_bold_ : &font_regular_;
}

void CTKPaintManager::StrokeCheck(CDC* dc, const CRect& rect, COLORREF colour) {
  CPen pen(PS_SOLID, 1, colour);
  HGDIOBJ old = dc->SelectObject(pen.GetSafeHandle());
  const int x = rect.left + rect.Width() / 2;
  const int g = rect.top + rect.Height() / 2 - 10;
  const bool rtl = CTKDrawHelpers::IsDCRightToLeft(*dc);
  for (int pass = 0; pass < (thick_check_ ? 2 : 1); ++pass) {
    const int d = pass;
    if (rtl) {
      POINT a[] = {{x - 4, g + 7 + d}, {x, g + 11 + d}, {x + 3, g + 8 + d}};
      POINT b[] = {{x - 4, g + 8 + d}, {x, g + 12 + d}, {x + 3, g + 9 + d}};
      dc->Polyline(a, 3);
      dc->Polyline(b, 3);
    } else {
      POINT a[] = {{x - 4, g + 9 + d}, {x - 2, g + 11 + d}, {x + 3, g + 6 + d}};
      POINT b[] = {{x - 4, g + 10 + d}, {x - 2, g + 12 + d}, {x + 3, g + 7 + d}};
      dc->Polyline(a, 3);
      dc->Polyline(b, 3);
    }
  }
  dc->SelectObject(old);
}

void CTKPaintManager::FillRoundDot(CDC* dc, const CRect& rect, COLORREF edge, COLORREF fill) {
  const double cx = (rect.left + rect.right - 1) / 2.0, cy = (rect.top + rect.bottom - 1) / 2.0;
  const double r = (rect.Width() - 1) / 2.0 - 0.25;
  const int x0 = static_cast<int>(cx) - 2, y0 = static_cast<int>(cy) - 2;
  for (int y = y0; y < y0 + 6; ++y)
    for (int x = x0; x < x0 + 6; ++x) {
      const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
      if (d < r - 1) {
        dc->SetPixel(x, y, fill);
      } else if (d <= r + 1) {
        COLORREF other = d < r ? fill : dc->GetPixel(x, y);
        const double t = std::fabs(d - r);
        auto mix = [&](int e, int o) { return static_cast<int>(e + (o - e) * t + 0.5); };
        dc->SetPixel(x, y, RGB(mix(GetRValue(edge), GetRValue(other)), mix(GetGValue(edge), GetGValue(other)),
                               mix(GetBValue(edge), GetBValue(other))));
      }
    }
}

void CTKPaintManager::FillDownTriangle(CDC* dc, const CRect& rect, COLORREF colour) {
  const int half = rect.Width() / 2 > 5 ? rect.Width() / 2 - 4 : 2;
  const int cx = rect.left + rect.Width() / 2, cy = rect.top + rect.Height() / 2;
  CTKDrawHelpers::FillTriangle(*dc, POINT{cx - half, cy - half / 2}, POINT{cx + half, cy - half / 2},
                               POINT{cx, cy - half / 2 + half}, colour);
}

void CTKPaintManager::PaintSmallArrow(CDC* dc, CPoint pt, bool vertical, COLORREF colour) {
  if (vertical)
    CTKDrawHelpers::FillTriangle(*dc, POINT{pt.x + 2, pt.y - 2}, POINT{pt.x + 2, pt.y + 2}, POINT{pt.x, pt.y}, colour);
  else
    CTKDrawHelpers::FillTriangle(*dc, POINT{pt.x - 2, pt.y - 1}, POINT{pt.x + 2, pt.y - 1}, POINT{pt.x, pt.y + 1},
                                 colour);
}

void CTKPaintManager::PaintClientArea(CDC* dc, const CRect& rect) { dc->FillSolidRect(&rect, ResolveColor(12)); }

void CTKPaintManager::PaintAccessKeyTip(CDC* dc, const CRect& rect, const std::wstring& caption, bool enabled) {
  dc->FillSolidRect(&rect, ResolveColor(24));
  CBrush frame(::GetSysColor(COLOR_BTNSHADOW));
  dc->FrameRect(&rect, frame);
  HGDIOBJ old = dc->SelectObject(font_status_.GetSafeHandle());
  dc->SetTextColor(ResolveColor(enabled ? 23 : 17));
  dc->SetBkMode(TRANSPARENT);
  CRect r = rect;
  ::DrawTextW(*dc, caption.c_str(), -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  dc->SelectObject(old);
}

int CTKPaintManager::IconColumnWidth(CTKCommandBar* bar) {
  if (!bar || bar->GetType() != kPopupBar) return 0;
  return IconCellSize(bar).cx * IconColumnCount(bar) + 1;
}

int CTKPaintManager::IconColumnCount(CTKCommandBar* bar) {
  return bar && bar->GetType() == kPopupBar && bar->GetShowTwoColumns() ? 2 : 1;
}

CSize CTKPaintManager::IconCellSize(CTKCommandBar* bar) {
  CSize icon = bar ? bar->GetIconSize() : CSize(16, 16);
  return CSize(std::max<int>(icon.cx + 4, control_height_ + 4), std::max<int>(icon.cy + 6, control_height_));
}

void CTKPaintManager::PaintCaptionText(CDC* dc, CTKControl* control, const std::wstring& text, CRect rect,
                                       UINT format, bool enabled) {
  format |= DT_SINGLELINE | DT_VCENTER;
  if (!enabled && embossed_disabled_) {
    COLORREF saved = dc->SetTextColor(ResolveColor(20));
    CRect shadow = rect;
    shadow.OffsetRect(1, 1);
    ::DrawTextW(*dc, text.c_str(), -1, &shadow, format);
    dc->SetTextColor(saved);
  }
  ::DrawTextW(*dc, text.c_str(), -1, &rect, format);
}
