// Bars, buttons and menus drawn with two-colour gradients whose colours follow the system's
// colour scheme (blue, olive, silver) or, without one, are mixed from the system colours; and
// the Whidbey look, which only changes those colours. Both keep the flat look's layout and fall
// back to its drawing where they have no gradient.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win/scoped_handle.h"
#include "toolkit/paint/office_theme.h"

namespace TKPaintThemes {

struct CTKImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ImageList_Destroy(h); }
};
using CTKScopedImageList = KestrinWinNS::CScopedHandle<CTKImageListTraits>;

class CTKOffice2003Theme : public CTKOfficeTheme {
 public:
  CTKOffice2003Theme();

  using CTKOfficeTheme::PaintGutterFace;
  void PaintBarBackground(CDC* dc, CTKCommandBar* bar) override;
  void PaintStateRect(CDC* dc, const CRect& rect, const ItemState& state) override;
  CSize PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) override;
  CSize PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) override;
  void PaintSizeGrip(CDC* dc, const CRect& rect) override;
  void PaintDockArea(CDC* dc, const CRect& rect) override;
  // The right side (CBRS_RIGHT) lies at the dark end of the dock gradient: it takes that colour.
  void PaintDockBarArea(CDC* dc, const CRect& rect, DWORD style) override;
  void ReloadColorsAndFonts() override;
  void PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& state, bool hiddenControls) override;
  CRect BarBorderInsets(CTKCommandBar* bar) override;
  CSize PaintTearOffBand(CDC* dc, const CRect& rect, bool hot, bool draw) override;
  CSize PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) override;
  void PaintGutterFace(CDC* dc, const CRect& rect, bool expanded) override;
  int ThemeNumber() const override { return 2; }
  // The bar draws a frame of its own: its type is not flat and its style has a border bit.
  virtual bool BarHasFrame(CTKCommandBar* bar);

  // Which colour scheme the paint manager follows: 5 the system's (0 while the colour
  // manager's scheme colours are switched off), 4 the one detected, else 1 blue, 2 olive,
  // 3 silver, 0 none.
  void SetSystemThemeSelection(int selection) { system_theme_selection_ = selection; }
  bool SchemeColorsInUse() const { return scheme_colors_; }
  void SetPlainSeparators(bool on) { plain_separators_ = on; }
  COLORREF SchemeColor() const { return scheme_color_; }
  const CTKPaintManagerColorGradient& DockBarGradient() const { return dock_bar_; }
  const CTKPaintManagerColorGradient& ToolBarFaceGradient() const { return tool_bar_face_; }
  const CTKPaintManagerColorGradient& ExpandButtonGradient() const { return expand_button_; }
  const CTKPaintManagerColorGradient& CheckedPoppedGradient() const { return checked_popped_; }
  const CTKPaintManagerColorGradient& ExpandedGripperGradient() const { return expanded_gripper_; }
  const CTKPaintManagerColorGradient& PoppedControlGradient() const { return popped_control_; }
  const CTKPaintManagerColorGradient& FaceGradient() const { return face_gradient_; }
  COLORREF ToolBarShadow() const { return tool_bar_shadow_.Color(); }
  COLORREF TearOffGripperColor() const { return tear_off_gripper_.Color(); }
  COLORREF FloatingCaptionColor() const { return floating_caption_.Color(); }
  HIMAGELIST TintedGlyph() const { return tinted_glyph_.Get(); }

  // The intensity of the tinted glyph's pixel: 255 outside the shape, 0 at its darkest.
  static int TintedGlyphIntensity(int x, int y);

 protected:
  // The gradient fill of a face framed by a colour (indexes or literal colours).
  void FillGradientFramed(CDC* dc, const CRect& rect, const CTKPaintManagerColorGradient& fill, bool horizontal,
                          int frame);
  // The dock-bar gradient behind a bar, lined up with the window the bar lies in.
  void PaintDockGradientBehind(CDC* dc, CTKCommandBar* bar, const CRect& client);
  void PaintDockedBar(CDC* dc, CTKCommandBar* bar, const CRect& client, bool vertical);
  void PaintFramedFloatingBar(CDC* dc, CTKCommandBar* bar, const CRect& client);
  // A 2 x 2 dot in a colour with a light one below right.
  void PaintGripDot(CDC* dc, int x, int y, int dark, int light);
  void BuildTintedGlyph();
  // True on displays of 8 bits per pixel or fewer.
  bool IsLowColor() const;

  CTKPaintManagerColorGradient dock_bar_;
  CTKPaintManagerColorGradient tool_bar_face_;
  CTKPaintManagerColorGradient expand_button_;
  CTKPaintManagerColorGradient checked_popped_;
  CTKPaintManagerColorGradient expanded_gripper_;
  CTKPaintManagerColorGradient popped_control_;
  CTKPaintManagerColor tool_bar_shadow_;
  CTKPaintManagerColor light_face_;
  CTKPaintManagerColor tear_off_gripper_;
  bool scheme_colors_ = false;
  bool plain_separators_ = false;
  CTKScopedImageList tinted_glyph_;
  CTKPaintManagerColorGradient checked_control_;
  CTKPaintManagerColorGradient pressed_control_;
  CTKPaintManagerColorGradient selected_control_;
};

class CTKWhidbeyTheme : public CTKOffice2003Theme {
 public:
  void ReloadColorsAndFonts() override;
  int ThemeNumber() const override { return 4; }
};

}  // namespace TKPaintThemes
