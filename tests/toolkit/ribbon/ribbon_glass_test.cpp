// The ribbon theme's answer for the controls that lie on the frame's glass: the quick-access
// controls above the groups while the desktop window manager draws the frame.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/toolkit/ribbon/ribbon_test_bar.h"
#include "tests/toolkit/ribbon/ribbon_test_theme.h"

namespace {

enum class Link { kNone, kPlain, kComposition };
struct GlassCase {
  const char* name;
  Link link;
  bool below;
  bool quick_access;  // the control asked about: a quick-access copy, else a group's button
  bool on_glass;
};

class RibbonGlass : public RibbonThemeTest<::testing::TestWithParam<GlassCase>> {};

TEST_P(RibbonGlass, OnlyTheQuickAccessControlsInTheGlassCaptionAreOnGlass) {
  const GlassCase& c = GetParam();
  RibbonFixture f;
  f.ribbon->SetPaintManager(theme_);
  if (c.link != Link::kNone) f.ribbon->AttachFrameCompanion(nullptr, new TestFrameLink(4, c.link == Link::kComposition));
  const std::vector<CTKControl*> quick = f.AddQuickAccess(1, 30);
  f.ribbon->PlaceQuickAccessBelow(c.below);
  CTKControl* control = c.quick_access ? quick[0] : f.ribbon->GetControls()->FindControl(501);
  ASSERT_NE(nullptr, control);
  EXPECT_EQ(c.on_glass, theme_->ControlNeedsOpaqueAlpha(control));
  EXPECT_FALSE(theme_->ControlNeedsOpaqueAlpha(nullptr));
  f.ribbon->SetPaintManager(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RibbonGlass,
    ::testing::Values(GlassCase{"glass caption", Link::kComposition, false, true, true},
                      GlassCase{"a group's control", Link::kComposition, false, false, false},
                      GlassCase{"quick access below", Link::kComposition, true, true, false},
                      GlassCase{"no composition", Link::kPlain, false, true, false},
                      GlassCase{"no frame companion", Link::kNone, false, true, false}),
    [](const ::testing::TestParamInfo<GlassCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
