#include "toolkit/ribbon/ribbon_theme.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/ribbon/ribbon_tab.h"

namespace {

const wchar_t* const kColourKeys[] = {
    L"RibbonFace",       L"TabNormalText", L"TabSelectedText",           L"GroupCaptionText",
    L"GroupClientText",  L"RibbonText",    L"ControlEditNormal",         L"MinimizedFrameEdgeHighLight",
    L"MinimizedFrameEdgeShadow", L"MenuPopupText", L"ControlHighlightText",
};

void FillLine(HDC dc, int left, int right, int y, COLORREF colour) {
  if (colour == CLR_INVALID || right <= left) return;
  const COLORREF old = SetBkColor(dc, colour);
  const RECT line{left, y, right, y + 1};
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

}  // namespace

CTKRibbonTheme::CMetrics CTKRibbonTheme::MetricsFor(int size, int dpi, int font_size_override) {
  int points = size;
  if (font_size_override > 11) points = font_size_override;
  if (points <= 12) points = 11;
  if (dpi <= 0) dpi = 96;
  CMetrics m;
  m.font_height = points * 125 / dpi;
  m.button_height = std::max(points * 144 / dpi + 6, 22);
  m.control_height = std::max(points * 195 / dpi, 22);
  m.tab_row_height = m.control_height < 23 ? 23 : m.control_height + 2;
  m.group_caption_height = std::max(points * 144 / dpi, 17);
  m.split_dropdown_width = std::max(m.button_height / 2, 12);
  return m;
}

CTKRibbonTheme::CTKRibbonTheme() {
  SetThemeNumberWord(kThemeNumber);
  RefreshRibbonMetrics();
  RefreshRibbonColours();
}

CTKRibbonTheme::~CTKRibbonTheme() = default;

void CTKRibbonTheme::ReloadColorsAndFonts() {
  TKPaintThemes::CTKOffice2003Theme::ReloadColorsAndFonts();
  RefreshRibbonMetrics();
  RefreshRibbonColours();
  if (frame_theme_) frame_theme_->ReloadColorsAndFonts();
}

std::wstring CTKRibbonTheme::ContextColourName(int colour) {
  static const wchar_t* const kNames[] = {L"BLUE", L"YELLOW", L"GREEN", L"RED", L"PURPLE", L"CYAN", L"ORANGE"};
  if (colour < 1 || colour > kContextColours) return std::wstring();
  return kNames[colour - 1];
}

void CTKRibbonTheme::RefreshRibbonMetrics() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  int height = 11;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) height = std::abs(ncm.lfMenuFont.lfHeight);
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  metrics_ = MetricsFor(height, dpi, font_size_override_);
}

COLORREF CTKRibbonTheme::RibbonColour(const wchar_t* key) const {
  auto it = colours_.find(key);
  return it == colours_.end() ? CLR_INVALID : it->second;
}

void CTKRibbonTheme::RefreshRibbonColours() {
  colours_.clear();
  for (const wchar_t* key : kColourKeys) {
    const COLORREF colour = Images().ColorFromIni(L"Ribbon", key);
    if (colour != CLR_INVALID) colours_[key] = colour;
  }
}

bool CTKRibbonTheme::DrawImage(HDC dc, const wchar_t* name, const RECT& rect, int states, int state,
                               const RECT& margins, bool transparent) {
  CTKOffice2007Image* image = Images().GetImage(name);
  if (!image || states <= 0) return false;
  const RECT src = image->GetPartRect(std::clamp(state, 0, states - 1), states);
  if (transparent)
    image->DrawTransparentColor(dc, rect, src, margins, kTransparentKey);
  else
    image->DrawWithSizingMargins(dc, rect, src, margins);
  return true;
}

void CTKRibbonTheme::PaintTab(HDC dc, const RECT& rect, const CTabState& state, int context_colour) {
  if (!state.selected && !state.hot) return;
  const RECT margins{5, 5, 5, 5};
  if (context_colour == 0) {
    int index = 0;
    if (state.selected && state.keyboard) index = 5;
    else if (state.selected && state.hot) index = 4;
    else if (state.selected) index = 3;
    else if (state.pressed) index = 2;
    else if (state.hot) index = 1;
    DrawImage(dc, L"RIBBONTAB", rect, 6, index, margins, true);
    return;
  }
  const std::wstring colour = ContextColourName(context_colour);
  if (colour.empty()) return;
  int index = 1;
  if (state.selected && (state.keyboard || state.hot)) index = 4;
  else if (state.selected) index = 3;
  DrawImage(dc, (L"CONTEXTTAB" + colour).c_str(), rect, 5, index, margins, false);
}

void CTKRibbonTheme::PaintContextHeader(HDC dc, const CTKRibbonTabContextHeader& header) {
  const std::wstring colour = ContextColourName(header.colour);
  if (colour.empty()) return;
  DrawImage(dc, (L"ContextTab" + colour + L"Header").c_str(), header.rect, 1, 0, RECT{1, 1, 1, 1}, false);
}

void CTKRibbonTheme::PaintGroupsBand(HDC dc, const RECT& rect, int context_colour) {
  const RECT margins{8, 8, 8, 8};
  const std::wstring colour = ContextColourName(context_colour);
  if (colour.empty())
    DrawImage(dc, L"RIBBONGROUPS", rect, 1, 0, margins, false);
  else
    DrawImage(dc, (L"CONTEXTTAB" + colour + L"CLIENT").c_str(), rect, 1, 0, margins, false);
}

void CTKRibbonTheme::PaintGroup(HDC dc, const RECT& rect, bool hot, bool context, bool collapsed) {
  if (collapsed) return;
  const RECT margins{5, 5, 5, 5};
  const int caption_top = std::max<int>(rect.top, rect.bottom - metrics_.group_caption_height);
  const RECT client{rect.left, rect.top, rect.right, caption_top};
  const RECT caption{rect.left, caption_top, rect.right, rect.bottom};
  DrawImage(dc, context ? L"CONTEXTTABGROUPCLIENT" : L"RIBBONGROUPCLIENT", client, 2, hot ? 1 : 0, margins, false);
  DrawImage(dc, context ? L"CONTEXTTABGROUPCAPTION" : L"RIBBONGROUPCAPTION", caption, 2, hot ? 1 : 0, margins, false);
}

void CTKRibbonTheme::PaintRibbonBackground(HDC dc, const RECT& rect, bool groups_shown) {
  const COLORREF face = RibbonColour(L"RibbonFace");
  if (face != CLR_INVALID) {
    const COLORREF old = SetBkColor(dc, face);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
  }
  if (groups_shown || rect.bottom - rect.top < 2) return;
  FillLine(dc, rect.left, rect.right, rect.bottom - 2, RibbonColour(L"MinimizedFrameEdgeShadow"));
  FillLine(dc, rect.left, rect.right, rect.bottom - 1, RibbonColour(L"MinimizedFrameEdgeHighLight"));
}

void CTKRibbonTheme::PaintGroupScrollButton(HDC dc, const RECT& rect, bool left, int state) {
  if (!DrawImage(dc, left ? L"RIBBONGROUPSSCROLLLEFT" : L"RIBBONGROUPSSCROLLRIGHT", rect, 3, state,
                 RECT{4, 6, 3, 6}, true))
    return;
  CTKOffice2007Image* glyph = Images().GetImage(left ? L"RIBBONGROUPSSCROLLLEFTGLYPH" : L"RIBBONGROUPSSCROLLRIGHTGLYPH");
  if (!glyph) return;
  const RECT src = glyph->GetPartRect(0, 1);
  const int w = src.right - src.left, h = src.bottom - src.top;
  const int x = (rect.left + rect.right - w) / 2, y = (rect.top + rect.bottom - h) / 2;
  glyph->DrawTransparentColor(dc, RECT{x, y, x + w, y + h}, src, RECT{0, 0, 0, 0}, kTransparentKey);
}

SIZE CTKRibbonTheme::CollapsedGroupButtonSize(int caption_width) const {
  const int width = std::max(caption_width + 6, std::max(42, 2 * metrics_.button_height - 3));
  return SIZE{width, 3 * metrics_.control_height};
}
