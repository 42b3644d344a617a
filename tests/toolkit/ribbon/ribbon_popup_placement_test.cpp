// The tab popup of a minimized ribbon on monitors of several shapes.
#include <gtest/gtest.h>

#include "toolkit/ribbon/ribbon_popup_placement.h"

namespace {

TEST(RibbonPopupPlacement, TabPopupStaysOnTheWorkArea) {
  struct Case {
    const char* name;
    RECT ribbon, anchor, work;
    RECT popup;
  };
  // Groups band 93 high; the tab row's control is 23 high under a 26-pixel caption.
  const Case cases[] = {
      {"room below", {100, 50, 900, 100}, {102, 76, 898, 99}, {0, 0, 1280, 1000}, {100, 99, 900, 192}},
      {"work area ends before the ribbon", {100, 50, 900, 100}, {102, 76, 898, 99}, {0, 0, 700, 1000},
       {100, 99, 696, 192}},
      {"ribbon starts left of the work area", {-50, 50, 750, 100}, {-48, 76, 748, 99}, {0, 0, 1280, 1000},
       {0, 99, 800, 192}},
      {"no room below opens above", {100, 900, 900, 950}, {102, 926, 898, 949}, {0, 0, 1280, 1000},
       {100, 833, 900, 926}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RECT popup = CTKRibbonPopupPlacement::TabPopup(c.ribbon, c.anchor, c.work, 93);
    EXPECT_EQ(popup.left, c.popup.left);
    EXPECT_EQ(popup.top, c.popup.top);
    EXPECT_EQ(popup.right, c.popup.right);
    EXPECT_EQ(popup.bottom, c.popup.bottom);
  }
}

}  // namespace
