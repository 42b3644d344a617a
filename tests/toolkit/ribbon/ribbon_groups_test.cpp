// The groups band: reduction by level from the last group, termination at any width, the
// scroll offset and buttons, positions and the vertical spread of a group's columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/toolkit/ribbon/ribbon_test_groups.h"
#include "toolkit/ribbon/ribbon_groups.h"

namespace {

constexpr int kLeft = 4, kTop = 3, kRight = 6;

struct Band {
  TestBand host;
  std::unique_ptr<CTKRibbonGroups> groups{new CTKRibbonGroups(nullptr)};
  std::vector<TestGroup*> items;

  Band() { groups->SetHost(&host); }
  ~Band() { groups.release()->InternalRelease(); }

  TestGroup* Add(int widest, std::array<std::vector<int>, CTKRibbonGroup::kLevels> steps) {
    auto* group = new TestGroup(widest, std::move(steps));
    groups->PutGroupAt(groups->Count(), group, nullptr, &host);
    items.push_back(group);
    return group;
  }
  void Arrange(int width) { groups->ArrangeGroups(nullptr, width, kLeft, kTop, kRight); }
  std::vector<int> Widths() const {
    std::vector<int> widths;
    for (TestGroup* g : items) widths.push_back(g->Width());
    return widths;
  }
  int Total() const { return CTKRibbonGroups::TotalWidth(Widths()); }
  int SmallestTotal() const {
    std::vector<int> widths;
    for (TestGroup* g : items) widths.push_back(g->Smallest());
    return CTKRibbonGroups::TotalWidth(widths);
  }
};

// Three groups of 100 pixels, each with forms at every level.
void AddThreeGroups(Band& band) {
  for (int i = 0; i < 3; ++i) band.Add(100, {{{90, 80}, {60}, {50, 45}, {42}}});
}

TEST(RibbonGroupsArrange, ExactFitNeedsNoReductionAndOnePixelLessReducesTheLastGroup) {
  Band band;
  AddThreeGroups(band);
  const int fit = kLeft + kRight + 3 * 100 + 2 * CTKRibbonGroups::kGap;
  band.Arrange(fit);
  EXPECT_EQ(band.Widths(), (std::vector<int>{100, 100, 100}));
  band.Arrange(fit - 1);
  EXPECT_EQ(band.Widths(), (std::vector<int>{100, 100, 90}));
}

TEST(RibbonGroupsArrange, EachSuccessRestartsAtLevelZeroWithTheLastGroup) {
  Band band;
  AddThreeGroups(band);
  // Needs 80 pixels less than the widest forms: the last group takes both its level-0 forms
  // (90, 80) before the middle one starts.
  band.Arrange(kLeft + kRight + 300 + 14 - 25);
  EXPECT_EQ(band.Widths(), (std::vector<int>{100, 90, 80}));
  EXPECT_EQ(band.items[2]->Log(), (std::vector<int>{0, 0}));
  EXPECT_EQ(band.items[1]->Log(), (std::vector<int>{0}));
  // Past every level-0 form the last group goes to level 1 before any other group does.
  band.Arrange(kLeft + kRight + 3 * 80 + 14 - 1);
  EXPECT_EQ(band.Widths(), (std::vector<int>{80, 80, 60}));
}

// Every width from wide to negative: the arrangement ends, stops at the first fit, or leaves
// every group at its smallest form with the right scroll button shown.
TEST(RibbonGroupsArrange, EndsForEveryWidthDownToNegative) {
  Band band;
  AddThreeGroups(band);
  band.Add(70, {{{}, {}, {}, {}}});  // a group without smaller forms
  band.Add(120, {{{110}, {}, {40}, {}}});
  for (int width = 2000; width >= -50; width -= 10) {
    SCOPED_TRACE(width);
    for (TestGroup* g : band.items) g->ClearLog();
    band.Arrange(width);
    const int available = width - kLeft - kRight;
    int reductions = 0;
    for (TestGroup* g : band.items) reductions += static_cast<int>(g->Log().size());
    if (band.SmallestTotal() <= available) {
      EXPECT_LE(band.Total(), available);
      EXPECT_EQ(band.host.offset, 0);
      EXPECT_FALSE(band.host.left_button);
      EXPECT_FALSE(band.host.right_button);
    } else {
      EXPECT_EQ(band.Total(), band.SmallestTotal());
      EXPECT_TRUE(band.host.right_button);
      EXPECT_FALSE(band.host.left_button);
    }
    if (CTKRibbonGroups::TotalWidth({100, 100, 100, 70, 120}) > available) {
      EXPECT_GT(reductions, 0);
    } else {
      EXPECT_EQ(reductions, 0);
    }
    for (TestGroup* g : band.items) {
      EXPECT_EQ(g->Begins(), g->Ends());
      EXPECT_LE(g->ReduceCalls(), 200);
    }
  }
}

// A faulty group that takes every reduction without narrowing must not hold the layout, nor
// keep the other groups from their smaller forms.
TEST(RibbonGroupsArrange, AGroupThatNeverNarrowsStillEnds) {
  const int widths[] = {150, 100, 0, -50};
  for (int width : widths) {
    SCOPED_TRACE(width);
    Band band;
    band.Add(100, {{{80}, {60}, {}, {}}});
    band.Add(100, {{{}, {}, {}, {}}})->SetAlwaysAccepts();
    band.Arrange(width);
    EXPECT_EQ(band.items[0]->Width(), 60);
    EXPECT_EQ(band.items[1]->Width(), 100);
    EXPECT_LE(band.items[1]->ReduceCalls(), CTKRibbonGroup::kLevels + 1);
  }
}

TEST(RibbonGroupsArrange, ScrollPositionIsCappedAndButtonsFollowIt) {
  struct Case {
    int requested, offset;
    bool left, right;
  };
  // Two groups of 100 (no smaller forms) in 150 available pixels: 57 to scroll.
  const Case cases[] = {{0, 0, false, true}, {-20, 0, false, true}, {30, 30, true, true}, {57, 57, true, false},
                        {1000, 57, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.requested);
    Band band;
    band.Add(100, {});
    band.Add(100, {});
    band.host.scroll_pos = c.requested;
    band.Arrange(150 + kLeft + kRight);
    EXPECT_EQ(band.host.offset, c.offset);
    EXPECT_EQ(band.host.left_button, c.left);
    EXPECT_EQ(band.host.right_button, c.right);
    EXPECT_EQ(band.items[0]->Rect().left, kLeft - c.offset);
    EXPECT_EQ(band.items[1]->Rect().left, kLeft - c.offset + 100 + CTKRibbonGroups::kGap);
  }
}

TEST(RibbonGroupsArrange, HiddenGroupsTakeNoRoomAndNoGap) {
  Band band;
  band.Add(100, {});
  band.Add(50, {})->SetVisible(false);
  band.Add(100, {});
  band.Arrange(1000);
  EXPECT_EQ(band.items[2]->Rect().left, kLeft + 100 + CTKRibbonGroups::kGap);
  EXPECT_EQ(band.items[1]->Begins(), 0);
  EXPECT_EQ(band.items[0]->Rect().bottom, kTop + band.host.groups_height - 7);
  EXPECT_EQ(band.items[0]->Rect().right, kLeft + 100 + 5);
}

TEST(RibbonGroupsArrange, NoGroupsHidesBothScrollButtons) {
  Band band;
  band.host.left_button = band.host.right_button = true;
  band.Arrange(-10);
  EXPECT_EQ(band.host.reports, 1);
  EXPECT_FALSE(band.host.left_button);
  EXPECT_FALSE(band.host.right_button);
}

// Controls of a column spread over the content height less 3 with equal gaps.
TEST(RibbonGroupPosition, ColumnsSpreadWithEqualGaps) {
  struct Case {
    std::vector<RECT> controls;  // relative to the content origin
    std::vector<int> tops;       // expected, in the band
  };
  Band band;  // content height 93 - 7 - 17 = 69, spread over 66
  const Case cases[] = {
      {{{0, 0, 40, 22}}, {kTop + 2 + 22}},                                  // (66-22)/2
      {{{0, 0, 40, 22}, {0, 22, 40, 44}}, {kTop + 2 + 7, kTop + 2 + 22 + 14}},  // (66-44)/3 = 7
      {{{0, 0, 40, 22}, {40, 0, 80, 66}}, {kTop + 2 + 22, kTop + 2}},        // a full column stays
  };
  for (const Case& c : cases) {
    auto* group = band.Add(80, {});
    group->SetVerticalSpread(true);
    for (const RECT& r : c.controls) {
      CTKRibbonGroup::CControlPosition record;
      record.rect = r;
      group->Positions().push_back(record);
    }
    group->Position(80, kLeft, kTop);
    ASSERT_EQ(group->Positions().size(), c.tops.size());
    for (size_t i = 0; i < c.tops.size(); ++i) {
      EXPECT_EQ(group->Positions()[i].rect.top, c.tops[i]) << i;
      EXPECT_EQ(group->Positions()[i].rect.left, c.controls[i].left + kLeft + 2) << i;
    }
  }
}

TEST(RibbonGroupPosition, ConnectedRowIsNotSpread) {
  Band band;
  auto* group = band.Add(80, {});
  group->SetVerticalSpread(true);
  group->SetConnectedRow(true);
  CTKRibbonGroup::CControlPosition record;
  record.rect = {0, 0, 20, 22};
  group->Positions().push_back(record);
  group->Position(80, 10, 5);
  EXPECT_EQ(group->Positions()[0].rect.top, 7);
}

TEST(RibbonGroups, InsertionRenumbersAndFindsByIdAndPoint) {
  Band band;
  band.Add(100, {})->SetId(7);
  auto* front = new TestGroup(50, {});
  front->SetId(9);
  band.groups->PutGroupAt(0, front, nullptr, &band.host);
  band.items.insert(band.items.begin(), front);
  EXPECT_EQ(front->Index(), 0);
  EXPECT_EQ(band.items[1]->Index(), 1);
  EXPECT_EQ(band.groups->GroupById(7), band.items[1]);
  EXPECT_EQ(band.groups->GroupById(8), nullptr);
  band.Arrange(1000);
  EXPECT_EQ(band.groups->GroupAtPoint(POINT{kLeft + 60 + 10, kTop + 5}), band.items[1]);
  band.items[1]->SetVisible(false);
  EXPECT_EQ(band.groups->GroupAtPoint(POINT{kLeft + 60 + 10, kTop + 5}), nullptr);
}

}  // namespace
