// The popup of a minimized ribbon: the selected tab's groups, under the tab row, as wide as the
// ribbon and kept on the monitor's work area. It shows a copy of the tab, so the ribbon's own
// groups keep their layout while the popup lays out and scrolls its own.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/ribbon/ribbon_scrollable_bar.h"

class CTKRibbonControlTab;
class CTKRibbonGroups;
class CTKRibbonTab;

// What the popups that show groups (a minimized ribbon's tab, a collapsed group) draw and tip
// alike.
struct CTKRibbonGroupsPopup {
  // The popup's ground over `band`: the ribbon theme's popup face and groups band (the popup
  // bar's own ground under another paint manager), then the frames of the groups.
  static void FillBackground(CTKPopupToolBar* popup, CDC* dc, const RECT& band, const CTKRibbonGroups& groups,
                             int context_colour);
  // The tips of the groups' controls inside `band`, placed as the ribbon places its own; false
  // when the popup has no command-bar manager.
  static bool CreateKeyboardTips(CTKCommandBar* popup, const CTKRibbonGroups& groups, const RECT& band,
                                 int caption_height, std::vector<CTKCommandBarKeyboardTip*>* tips);
};

class CTKRibbonTabPopupToolBar : public CTKPopupToolBar, public CTKRibbonScrollableBar {
 public:
  // The groups' margins in the popup: left, top and right.
  static constexpr int kMarginLeft = 4;
  static constexpr int kMarginTop = 3;
  static constexpr int kMarginRight = 6;

  // A popup for `tab`, opened from the tab row `row` of the ribbon bar the row lies in.
  CTKRibbonTabPopupToolBar(CTKRibbonControlTab* row, CTKRibbonTab* tab);
  ~CTKRibbonTabPopupToolBar() override;

  // The copy of the tab the popup shows (owned).
  CTKRibbonTab* Tab() const { return tab_; }
  CTKCommandBar* RibbonBar() const { return ribbon_; }

  // The screen rectangle: the ribbon's left and width kept on the work area (4 pixels inside
  // its right edge), the groups band high, below the tab row or, without room, above it.
  CRect PlacementRect() const;

  // --- the groups band ---
  int GroupsHeight() const override { return groups_height_; }
  int GroupCaptionHeight() const override { return caption_height_; }
  bool ShowsTab(const CTKRibbonTab* tab) const override { return tab == tab_; }
  void RelayoutGroups() override;
  void OnScrollButton(bool left) override;
  // Lays the groups out in (0, 0, width, height).
  void LayoutBand(int width, int height);

  // --- the popup ---
  CSize CalcSize(int length, DWORD mode) override;
  CRect CalcPopupRect(CSize size) override;
  bool SetHotControl(int index, int how = kHotProgram) override;
  // The popup's fill, the groups band and the groups' frames under the controls.
  void FillBackground(CDC* dc) override;
  // The tips of the tab's groups, placed as the ribbon places its own.
  bool CreateKeyboardTips(int level, std::vector<CTKCommandBarKeyboardTip*>* tips) override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  CTKRibbonControlTab* row_;
  CTKCommandBar* ribbon_;
  CTKRibbonTab* tab_;
  int groups_height_ = 0;
  int caption_height_ = 0;
};
