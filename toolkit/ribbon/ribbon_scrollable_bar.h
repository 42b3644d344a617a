// The groups band of a bar that shows ribbon groups (the ribbon, or the popup of a minimized
// ribbon's tab): the band's rectangle, the scroll offset, and the two buttons that scroll the
// band when the groups do not fit even in their smallest forms.
#pragma once

#include <windows.h>

#include "toolkit/commandbars/control.h"
#include "toolkit/ribbon/ribbon_groups.h"

class CTKRibbonScrollableBar;
class CTKRibbonTab;

class CTKRibbonScrollableBar : public CTKRibbonGroupsHost {
 public:
  static constexpr int kButtonWidth = 13;
  static constexpr int kScrollStep = 40;
  // A control brought into view keeps this far from a scrolled edge.
  static constexpr int kViewMargin = 12;

  // One of the two buttons at the ends of the band.
  class CControlGroupsScroll : public CTKControl {
   public:
    static constexpr int kFlags = 0x12;
    CControlGroupsScroll(CTKRibbonScrollableBar* owner, bool left);
    bool ScrollsLeft() const { return left_; }
    // Scrolls the band one step towards its end.
    void OnExecute() override;
    void Draw(CDC* dc) override;

   private:
    CTKRibbonScrollableBar* owner_;
    bool left_;
  };

  CTKRibbonScrollableBar();
  ~CTKRibbonScrollableBar() override;
  CTKRibbonScrollableBar(const CTKRibbonScrollableBar&) = delete;
  CTKRibbonScrollableBar& operator=(const CTKRibbonScrollableBar&) = delete;

  // --- the band's layout (the groups collection calls these) ---
  int GroupsScrollPos() const override { return scroll_offset_; }
  void SetGroupsScroll(int offset, bool left_button, bool right_button) override;

  // Scrolls by one step (not below 0) and lays the groups out again.
  void ScrollGroups(bool left);
  // A scroll button was clicked; a bar with popups of its own closes them first.
  virtual void OnScrollButton(bool left) { ScrollGroups(left); }
  // Scrolls at once, then again while the left button stays down on `window`: the first repeat
  // after four fifths of the double-click time, then every tenth of it. Ends on the button's
  // release, a cancel key, a lost capture or the thread's quit message (posted again).
  void HoldScrollButton(HWND window, bool left);
  // Scrolls so that `rect` (a control of the band) lies inside it, when a scroll button shows.
  void EnsureVisible(const RECT& rect);
  // Lays out the groups again after a scroll; the bar recalculates its layout.
  virtual void RelayoutGroups() = 0;

  int ScrollOffset() const { return scroll_offset_; }
  const RECT& GroupsRect() const { return groups_rect_; }
  void SetGroupsRect(const RECT& rect) { groups_rect_ = rect; }
  const RECT& TabRowRect() const { return tab_row_rect_; }
  void SetTabRowRect(const RECT& rect) { tab_row_rect_ = rect; }
  CControlGroupsScroll* LeftButton() const { return left_; }
  CControlGroupsScroll* RightButton() const { return right_; }
  // For a tab's popup: the tab it shows.
  CTKRibbonTab* ShownTab() const { return shown_tab_; }
  void SetShownTab(CTKRibbonTab* tab) { shown_tab_ = tab; }

 private:
  int scroll_offset_ = 0;
  CControlGroupsScroll* left_;
  CControlGroupsScroll* right_;
  CTKRibbonTab* shown_tab_ = nullptr;
  RECT groups_rect_{};
  RECT tab_row_rect_{};
};
