// The ten shapes of tabs a tab paint manager chooses from by number.
#pragma once

#include <vector>

#include "toolkit/tabs/tab_paint_manager.h"

// 0: raised property-page tabs with chamfered corners; the selected one stands out.
class CAppearanceSetPropertyPage : public CTKTabPaintManager::CAppearanceSet {
 public:
  CAppearanceSetPropertyPage();
  RECT TabRedrawArea(const CTKTabManagerItem* item) const override;
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
  int FittingColourSets() const override { return 13; }
  RECT PageIndent() const override;

 protected:
  void PaintOutline(HDC dc, CTKTabManagerItem* item, bool with_face);
};

// 1: the outline only for the selected and the hot tab.
class CAppearanceSetPropertyPageSelected : public CAppearanceSetPropertyPage {
 public:
  CAppearanceSetPropertyPageSelected();
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
};

// 6: flat buttons framed in the frame colours.
class CAppearanceSetFlat : public CTKTabPaintManager::CAppearanceSet {
 public:
  CAppearanceSetFlat();
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
  int PreferredColourSet() const override { return CTKTabPaintManager::kColourVisualStudio; }
};

// 2: a flat outline with the property-page geometry.
class CAppearanceSetPropertyPageFlat : public CAppearanceSetFlat {
 public:
  CAppearanceSetPropertyPageFlat();
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
  int PreferredColourSet() const override { return CTKTabPaintManager::kColourDefault; }
  RECT PageIndent() const override;

  int flat_value_1 = 1;
  int flat_value_2 = 0;
};

// 3: tabs with a slanted leading edge as long as the tab is thick.
class CAppearanceSetPropertyPage2003 : public CTKTabPaintManager::CAppearanceSet {
 public:
  CAppearanceSetPropertyPage2003();
  RECT HeaderIndent() const override;
  RECT TabRedrawArea(const CTKTabManagerItem* item) const override;
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
  int FittingColourSets() const override { return 21; }
  int PreferredColourSet() const override { return CTKTabPaintManager::kColourOffice2003; }
  RECT PageIndent() const override;

  // When set, the hot tab is outlined in the hot border colour.
  int hot_border = 0;

 protected:
  virtual int Slant(int thickness) const { return thickness; }
  // The face's corners in the tab's own frame (along, across from the outer edge).
  virtual std::vector<POINT> FacePoints(int length, int thickness) const;
};

// 9: the 2003 shape with a slant of half the tab's thickness, drawn left to right.
class CAppearanceSetVisualStudio2005 : public CAppearanceSetPropertyPage2003 {
 public:
  CAppearanceSetVisualStudio2005();
  RECT HeaderIndent() const override;
  RECT TabRedrawArea(const CTKTabManagerItem* item) const override;

 protected:
  int Slant(int thickness) const override { return thickness / 2; }
  std::vector<POINT> FacePoints(int length, int thickness) const override;
};

// 4: each tab a button in its state.
class CAppearanceSetStateButtons : public CTKTabPaintManager::CAppearanceSet {
 public:
  CAppearanceSetStateButtons();
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
  RECT PaintBackdrop(CTKTabManager* manager, HDC dc, const RECT& rect) override;
  int FittingColourSets() const override { return 31; }
  int PreferredColourSet() const override { return CTKTabPaintManager::kColourVisualStudio; }
};

// 5: the selected tab raised, the others parted by thin separators.
class CAppearanceSetVisualStudio : public CTKTabPaintManager::CAppearanceSet {
 public:
  CAppearanceSetVisualStudio();
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
  int PreferredColourSet() const override { return CTKTabPaintManager::kColourVisualStudio; }
};

// 7: trapezoid sheet tabs.
class CAppearanceSetExcel : public CAppearanceSetFlat {
 public:
  CAppearanceSetExcel();
  RECT HeaderIndent() const override;
  RECT TabRedrawArea(const CTKTabManagerItem* item) const override;
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
};

// 8: full-width bars stacked above and below the page.
class CAppearanceSetVisio : public CTKTabPaintManager::CAppearanceSet {
 public:
  CAppearanceSetVisio();
  RECT HeaderArea(const RECT& control, const CTKTabManager* manager) const override { return RECT{}; }
  void LayoutStrip(CTKTabManager* manager, HDC dc, const RECT& rect) override;
  void ShrinkToPage(CTKTabManager* manager, RECT& rect) override;
  RECT PaintBackdrop(CTKTabManager* manager, HDC dc, const RECT& rect) override;
  void PaintTab(HDC dc, CTKTabManagerItem* item) override;
  int FittingColourSets() const override { return 5; }

 private:
  RECT PageFor(const CTKTabManager* manager, const RECT& control) const;
};
