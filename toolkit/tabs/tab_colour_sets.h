// The six colour sets of the tab paint manager, chosen by number (1, 2, 4, 8, 16, 32).
#pragma once

#include "toolkit/tabs/tab_paint_manager.h"

// 1: the system's colours with a checkered selected button.
class CColorSetDefault : public CTKTabPaintManager::CColorSet {
 public:
  CColorSetDefault() { number = CTKTabPaintManager::kColourDefault; }
  void ReloadLook() override;
};

// 2: the darker header of the Visual Studio look.
class CColorSetVisualStudio : public CColorSetDefault {
 public:
  CColorSetVisualStudio() { number = CTKTabPaintManager::kColourVisualStudio; }
  void ReloadLook() override;
  void PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect) override;
};

// 4: Office 2003, with the fixed blue, olive and silver palettes while a system theme is on.
class CColorSetOffice2003 : public CColorSetDefault {
 public:
  CColorSetOffice2003() { number = CTKTabPaintManager::kColourOffice2003; }
  void ReloadLook() override;
  COLORREF PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item) override;
  void PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect) override;

  CTKPaintManagerColor nav_frame;
  bool palette = false;

 protected:
  void ApplyPalette(int theme);
  // The tab border colours follow the frame border; their companions are unset.
  void FollowFrameBorder();
};

// 8: drawn by the visual style's "TAB" and "TOOLBAR" classes while they are open.
class CColorSetWinXP : public CColorSetDefault {
 public:
  CColorSetWinXP() { number = CTKTabPaintManager::kColourWinXP; }
  void ReloadLook() override;
  void PaintHeaderFace(HDC dc, const RECT& rect, const CTKTabManager* manager) override;
  void PaintHeaderExtra(HDC dc, const RECT& rect, const CTKTabManager* manager) override;
  COLORREF PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item) override;
  void PaintButtonFace(HDC dc, RECT rect, const CTKTabManagerItem* item) override;
  void PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect) override;
  bool UsesSystemTheme() const override { return tab_theme.Theme() != nullptr; }

  CTKWinThemeWrapper tab_theme;
  CTKWinThemeWrapper toolbar_theme;

 private:
  // Draws the "TAB" part as on a top strip and puts it into `rect` turned for `position`.
  bool PaintTurnedPart(HDC dc, const RECT& rect, int part, int state, int position);
};

// 16: Whidbey, Office 2003's successor in the development tools.
class CColorSetWhidbey : public CColorSetOffice2003 {
 public:
  CColorSetWhidbey() { number = CTKTabPaintManager::kColourWhidbey; }
  void ReloadLook() override;
  COLORREF PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item) override;

  bool gradient_faces = false;
};

// 32: Office 2007, from the Office 2007 image set's INI when it is loaded.
class CColorSetOffice2007 : public CColorSetOffice2003 {
 public:
  CColorSetOffice2007() { number = CTKTabPaintManager::kColourOffice2007; }
  void ReloadLook() override;
};

// Fills with an 8 x 8 checker of the system face and highlight colours when `light` is -2,
// else with the gradient.
void TKFillFaceGradient(HDC dc, const RECT& rect, const CTKPaintManagerColorGradient& gradient, bool horizontal);
