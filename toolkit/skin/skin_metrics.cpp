#include "toolkit/skin/skin_metrics.h"

#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_schema.h"
#include "toolkit/skin/skin_system.h"

namespace {

constexpr COLORREF kDefaults[29] = {0xC0C0C0, 0xA56E3A, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
                                    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
                                    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
                                    0xE1FFFF, 0xB4B4B4, 0xFF0000, 0xD08410, 0xB5B5B5};

void ReplaceFont(KestrinWinNS::CScopedFont& font, const LOGFONTW& lf) { font.Reset(CreateFontIndirectW(&lf)); }

}  // namespace

CTKSkinManagerMetrics::~CTKSkinManagerMetrics() { Clear(); }

COLORREF CTKSkinManagerMetrics::DefaultColor(int index) {
  return index >= 0 && index < 29 ? kDefaults[index] : SkinSystem::GetSysColor(index);
}

void CTKSkinManagerMetrics::Clear() {
  for (int i = 0; i < kColorCount; ++i) {
    brushes_[i].Reset();
    colors_[i] = CLR_INVALID;
  }
  for (KestrinWinNS::CScopedFont& f : fonts_) f.Reset();
  frame_brush_.Reset();
}

void CTKSkinManagerMetrics::Refresh() {
  CTKSkinManagerSchema* schema = manager_->Schema();
  if (!manager_->IsSkinLoaded() || !schema) return;
  const int sys = SkinVocabulary::kClassSysMetrics;

  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  SkinSystem::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
  LOGFONTW caption = ncm.lfCaptionFont, small = ncm.lfSmCaptionFont;
  border_width_ = ncm.iBorderWidth;
  cx_border_ = GetSystemMetrics(SM_CXBORDER);
  cy_border_ = GetSystemMetrics(SM_CYBORDER);
  cx_edge_ = GetSystemMetrics(SM_CXEDGE);
  cy_edge_ = GetSystemMetrics(SM_CYEDGE);
  cx_hscroll_ = GetSystemMetrics(SM_CXHSCROLL);
  cy_hscroll_ = GetSystemMetrics(SM_CYHSCROLL);
  cx_vscroll_ = GetSystemMetrics(SM_CXVSCROLL);
  cy_vscroll_ = GetSystemMetrics(SM_CYVSCROLL);
  caption_height_ = GetSystemMetrics(SM_CYCAPTION);
  small_caption_height_ = GetSystemMetrics(SM_CYSMCAPTION);
  if (manager_->Options() & CTKSkinManager::kOptionMetrics) {
    int value = 0;
    if (schema->QueryIntValue(sys, 0, 0, 1205, &value) == S_OK) caption_height_ = value + 1;
    if (schema->QueryIntValue(sys, 0, 0, 1207, &value) == S_OK) small_caption_height_ = value + 1;
    if (schema->QueryIntValue(sys, 0, 0, 1202, &value) == S_OK && value > 0) cx_hscroll_ = cx_vscroll_ = value;
    if (schema->QueryIntValue(sys, 0, 0, 1203, &value) == S_OK && value > 0) cy_hscroll_ = cy_vscroll_ = value;
    schema->QueryFontValue(sys, 0, 0, 801, &caption);
    schema->QueryFontValue(sys, 0, 0, 802, &small);
  }
  ReplaceFont(fonts_[0], caption);
  ReplaceFont(fonts_[1], small);
  ReplaceFont(fonts_[2], ncm.lfMenuFont);

  for (int i = 0; i < kColorCount; ++i) {
    COLORREF color;
    if (schema->QueryColorValue(sys, 0, 0, 1601 + i, &color) != S_OK)
      color = manager_->ApplyColorFilters(DefaultColor(i));
    if (color != colors_[i] || !brushes_[i]) brushes_[i].Reset(CreateSolidBrush(color));
    colors_[i] = color;
  }
  frame_color_ = colors_[COLOR_BTNFACE];
  frame_brush_.Reset(CreateSolidBrush(frame_color_));
}
