// The ribbon bar's heights for its switches, widths and frame heights.
#include <gtest/gtest.h>

#include <functional>

#include "toolkit/ribbon/ribbon_bar_heights.h"

namespace {

using Inputs = CTKRibbonBarHeights::CInputs;

// Theme sizes of the cases: tab row 23, group caption 17, controls 22, buttons 22, caption 20.
Inputs Base() {
  Inputs in;
  in.theme_caption_height = 20;
  return in;
}

TEST(RibbonBarHeights, FollowTheSwitches) {
  struct Case {
    const char* name;
    std::function<void(Inputs&)> change;
    int caption, tab_row, groups, quick_access, total;
  };
  // Groups: 17 + 3 * 22 + 10 = 93; quick access 22 + 4 = 26, above it raises the caption to 26.
  const Case cases[] = {
      {"plain", [](Inputs&) {}, 26, 23, 93, 26, 26 + 23 + 93},
      {"quick access below", [](Inputs& in) { in.quick_access_below = true; }, 20, 23, 93, 26, 20 + 23 + 93 + 27},
      {"quick access hidden", [](Inputs& in) { in.quick_access_visible = false; }, 20, 23, 93, 26, 20 + 23 + 93},
      {"hidden and below takes no room",
       [](Inputs& in) { in.quick_access_visible = false; in.quick_access_below = true; }, 20, 23, 93, 26,
       20 + 23 + 93},
      {"tall quick-access control", [](Inputs& in) { in.tallest_quick_access = 30; }, 34, 23, 93, 34, 34 + 23 + 93},
      {"tabs hidden", [](Inputs& in) { in.tabs_visible = false; }, 26, 2, 93, 26, 26 + 2 + 93},
      {"minimized", [](Inputs& in) { in.minimized = true; }, 26, 23, 0, 26, 26 + 23 + 2},
      {"no selected tab", [](Inputs& in) { in.has_selected_tab = false; }, 26, 23, 0, 26, 26 + 23 + 2},
      {"groups hidden", [](Inputs& in) { in.groups_visible = false; }, 26, 23, 0, 26, 26 + 23 + 2},
      {"groups height override", [](Inputs& in) { in.groups_height_override = 120; }, 26, 23, 120, 26,
       26 + 23 + 120},
      {"no caption", [](Inputs& in) { in.caption_without_frame = false; }, 0, 23, 93, 26, 23 + 93},
      {"frame border",
       [](Inputs& in) { in.frame_companion = true; in.frame_border = 4; in.quick_access_visible = false; }, 24, 23,
       93, 26, 24 + 23 + 93},
      {"frame border, quick access above", [](Inputs& in) { in.frame_companion = true; in.frame_border = 4; }, 30,
       23, 93, 26, 30 + 23 + 93},
      {"tall tab row raises the caption", [](Inputs& in) { in.tab_row_height = 40; }, 38, 40, 93, 26, 38 + 40 + 93},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Inputs in = Base();
    c.change(in);
    const CTKRibbonBarHeights h = CTKRibbonBarHeights::Compute(in, 800, 600);
    EXPECT_TRUE(h.ribbon_visible);
    EXPECT_EQ(h.caption, c.caption);
    EXPECT_EQ(h.tab_row, c.tab_row);
    EXPECT_EQ(h.groups, c.groups);
    EXPECT_EQ(h.quick_access, c.quick_access);
    EXPECT_EQ(h.total, c.total);
  }
}

TEST(RibbonBarHeights, ANarrowBarOrLowFrameHidesTheRibbon) {
  struct Case {
    int width, frame_height;
    bool visible;
  };
  const Case cases[] = {{250, 250, true}, {249, 600, false}, {800, 249, false}, {0, 0, false}, {-40, 600, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.frame_height);
    const CTKRibbonBarHeights h = CTKRibbonBarHeights::Compute(Base(), c.width, c.frame_height);
    EXPECT_EQ(h.ribbon_visible, c.visible);
    EXPECT_EQ(h.total > 0, c.visible);
  }
}

}  // namespace
