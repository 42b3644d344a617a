// The scrollable groups band: the scroll buttons' places, stepping, and bringing a control of
// the band into view.
#include <gtest/gtest.h>

#include "tests/toolkit/ribbon/ribbon_test_groups.h"
#include "toolkit/commandbars/command_bar_defs.h"
#include "toolkit/ribbon/ribbon_scrollable_bar.h"

namespace {

// A band 200 wide (left margin 4, right 6) with three groups of 100 and no smaller forms: the
// groups need 314 pixels, 124 more than the 190 available.
class ScrollBand : public CTKRibbonScrollableBar {
 public:
  ScrollBand() : groups_(new CTKRibbonGroups(nullptr)) {
    SetGroupsRect(RECT{0, 30, 200, 123});
    for (int i = 0; i < 3; ++i) groups_->PutGroupAt(i, new TestGroup(100, {}), nullptr, this);
  }
  ~ScrollBand() override { groups_->InternalRelease(); }
  int GroupsHeight() const override { return 93; }
  int GroupCaptionHeight() const override { return 17; }
  bool ShowsTab(const CTKRibbonTab*) const override { return true; }
  void RelayoutGroups() override {
    ++relayouts;
    groups_->ArrangeGroups(nullptr, GroupsRect().right - GroupsRect().left, 4, GroupsRect().top + 3, 6);
  }
  int FirstGroupLeft() const { return groups_->At(0)->Rect().left; }
  static bool Shown(const CTKControl* button) { return (button->GetHideFlags() & TKCommandBars::kHideShow) == 0; }

  int relayouts = 0;

 private:
  CTKRibbonGroups* groups_;
};

TEST(RibbonScrollableBar, ButtonsSitAtTheBandsEnds) {
  ScrollBand band;
  band.RelayoutGroups();
  EXPECT_FALSE(ScrollBand::Shown(band.LeftButton()));
  ASSERT_TRUE(ScrollBand::Shown(band.RightButton()));
  EXPECT_EQ(band.RightButton()->GetRect(), CRect(200 + 1 - 13, 30, 201, 123));
  EXPECT_EQ(band.RightButton()->GetFlags(), 0x12);
  band.RightButton()->OnExecute();
  ASSERT_TRUE(ScrollBand::Shown(band.LeftButton()));
  EXPECT_EQ(band.LeftButton()->GetRect(), CRect(-1, 30, 12, 123));
}

TEST(RibbonScrollableBar, StepsAreFortyPixelsWithinTheScrollableRange) {
  struct Step {
    bool left;
    int offset;
  };
  const Step steps[] = {{false, 40}, {false, 80}, {false, 120}, {false, 124}, {false, 124},
                        {true, 84},  {true, 44},  {true, 4},    {true, 0},    {true, 0}};
  ScrollBand band;
  band.RelayoutGroups();
  for (const Step& s : steps) {
    (s.left ? band.LeftButton() : band.RightButton())->OnExecute();
    EXPECT_EQ(band.ScrollOffset(), s.offset);
    EXPECT_EQ(band.FirstGroupLeft(), 4 - s.offset);
  }
}

TEST(RibbonScrollableBar, BringsAControlIntoView) {
  struct Case {
    int start;       // offset before
    RECT control;    // in band coordinates
    int offset;      // after
  };
  const Case cases[] = {
      {0, {20, 40, 60, 60}, 0},     // inside, left button hidden
      {0, {150, 40, 230, 60}, 42},  // past the right edge: overflow 30 + 12
      {60, {5, 40, 40, 60}, 53},    // within 12 of the left edge: 12 - 5
      {60, {-30, 40, 10, 60}, 18},  // left of the band: 12 + 30
      {124, {150, 40, 230, 60}, 124},  // right button hidden at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    ScrollBand band;
    band.SetGroupsScroll(c.start, false, false);
    band.RelayoutGroups();
    band.EnsureVisible(c.control);
    EXPECT_EQ(band.ScrollOffset(), c.offset);
  }
}

}  // namespace
