// The skin's system metrics, fonts and 31 system colours with their brushes.
#pragma once

#include <windows.h>

#include "platform/win/gdi.h"

class CTKSkinManager;

class CTKSkinManagerMetrics {
 public:
  static constexpr int kColorCount = 31;

  explicit CTKSkinManagerMetrics(CTKSkinManager* manager) : manager_(manager) {}
  virtual ~CTKSkinManagerMetrics();
  CTKSkinManagerMetrics(const CTKSkinManagerMetrics&) = delete;
  CTKSkinManagerMetrics& operator=(const CTKSkinManagerMetrics&) = delete;

  // Re-reads everything from the system and the schema; nothing while no skin is loaded.
  virtual void Refresh();
  // Forgets the colours and brushes (the system's values apply again).
  void Clear();

  // -1 when unset.
  COLORREF Color(int index) const { return index >= 0 && index < kColorCount ? colors_[index] : CLR_INVALID; }
  HBRUSH Brush(int index) const { return index >= 0 && index < kColorCount ? brushes_[index].Get() : nullptr; }
  HFONT CaptionFont() const { return fonts_[0].Get(); }
  HFONT SmallCaptionFont() const { return fonts_[1].Get(); }
  HFONT MenuFont() const { return fonts_[2].Get(); }
  int CaptionHeight() const { return caption_height_; }
  int SmallCaptionHeight() const { return small_caption_height_; }
  int ScrollWidth() const { return cx_vscroll_; }
  int ScrollHeight() const { return cy_hscroll_; }
  int BorderWidth() const { return border_width_; }
  int CxBorder() const { return cx_border_; }
  int CyBorder() const { return cy_border_; }
  int CxEdge() const { return cx_edge_; }
  int CyEdge() const { return cy_edge_; }

  static COLORREF DefaultColor(int index);

 private:
  CTKSkinManager* manager_;
  KestrinWinNS::CScopedFont fonts_[3];
  int border_width_ = 1;
  int cx_border_ = 1, cy_border_ = 1, cx_edge_ = 2, cy_edge_ = 2;
  int cx_hscroll_ = 16, cy_hscroll_ = 16, cx_vscroll_ = 16, cy_vscroll_ = 16;
  int caption_height_ = 0, small_caption_height_ = 0;
  COLORREF colors_[kColorCount] = {CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID,
                                   CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID,
                                   CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID,
                                   CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID,
                                   CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID,
                                   CLR_INVALID};
  KestrinWinNS::CScopedBrush brushes_[kColorCount];
  COLORREF frame_color_ = CLR_INVALID;
  KestrinWinNS::CScopedBrush frame_brush_;
};
