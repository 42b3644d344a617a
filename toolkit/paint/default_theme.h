// The classic three-dimensional look in system colours, and the native XP look that draws the
// same elements through the system's visual styles when they are in use.
#pragma once

#include "toolkit/paint/paint_manager.h"

namespace TKPaintThemes {

class CTKDefaultTheme : public CTKPaintManager {
 public:
  CTKDefaultTheme();

  CSize PaintPopupItem(CDC* dc, CTKControl* control, bool draw) override;
  void PaintSplitButton(CDC* dc, CTKControl* control) override;
  CSize PaintComboControl(CDC* dc, CTKControl* control, bool draw) override;
  CSize PaintEditControl(CDC* dc, CTKControl* control, bool draw) override;
  CSize PaintListRow(CDC* dc, CTKControl* control, const CRect& rect, bool draw) override;
  void PaintBarBackground(CDC* dc, CTKCommandBar* bar) override;
  int TextColorForState(const ItemState& state) override;
  void PaintStateRect(CDC* dc, const CRect& rect, const ItemState& state) override;
  CSize PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) override;
  CSize PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) override;
  void ShrinkFaceRect(CRect& rect, CTKControl* control) override;
  void ReloadColorsAndFonts() override;
  void PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& state, bool hiddenControls) override;
  CRect BarBorderInsets(CTKCommandBar* bar) override;
  CSize PaintTearOffBand(CDC* dc, const CRect& rect, bool hot, bool draw) override;
  void PaintItemIcon(CDC* dc, CPoint pt, CSize size, CTKImageManagerIcon* image, const ItemState& state) override;
  CSize PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) override;
  int ThemeNumber() const override { return 0; }
  CSize IconCellSize(CTKCommandBar* bar) override;
  virtual void PaintEditBorder(CDC* dc, const CRect& rect, bool enabled, bool selected);
  virtual void PaintComboArrowButton(CDC* dc, const CRect& rect, bool enabled, bool selected, bool pressed);
  virtual void PaintSpinPair(CDC* dc, const CRect& rect, bool enabled);

  int PopupTextColorIndex() const { return popup_text_index_; }

 protected:
  int popup_text_index_ = 18;
};

class CTKNativeXPTheme : public CTKDefaultTheme {
 public:
  CTKNativeXPTheme();

  void PaintSplitButton(CDC* dc, CTKControl* control) override;
  void PaintBarBackground(CDC* dc, CTKCommandBar* bar) override;
  void PaintItemFace(CDC* dc, CTKControl* control) override;
  COLORREF ItemTextColor(CTKControl* control) override;
  void PaintStateRect(CDC* dc, const CRect& rect, const ItemState& state) override;
  CSize PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) override;
  CSize PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) override;
  void ShrinkFaceRect(CRect& rect, CTKControl* control) override;
  void PaintDockArea(CDC* dc, const CRect& rect) override;
  void PaintStatusBackground(CDC* dc, const CRect& rect) override;
  void ReloadColorsAndFonts() override;
  void PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& state, bool hiddenControls) override;
  CSize PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) override;
  int ThemeNumber() const override { return 3; }
  void PaintEditBorder(CDC* dc, const CRect& rect, bool enabled, bool selected) override;
  void PaintComboArrowButton(CDC* dc, const CRect& rect, bool enabled, bool selected, bool pressed) override;
  void PaintSpinPair(CDC* dc, const CRect& rect, bool enabled) override;

  // Both the "REBAR" and the "TOOLBAR" visual styles are in use.
  bool StylesActive();
  bool IsFlatMenus() const { return flat_menus_; }
  COLORREF BandShadow() const { return band_shadow_; }
  COLORREF BandHighlight() const { return band_highlight_; }
  // The system's flat-menu setting (SPI_GETFLATMENU); a test's theme may answer.
  virtual bool SystemFlatMenus(bool* flat);

 protected:
  CTKWinThemeWrapper rebar_, toolbar_, combobox_, window_, spin_;
  COLORREF band_shadow_ = 0, band_highlight_ = 0;
  bool flat_menus_ = true;
};

}  // namespace TKPaintThemes
