// The group of buttons: its forms from widest to collapsed as a table of widths, where its
// controls go, and its copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/commandbars/command_bar_defs.h"
#include "toolkit/ribbon/ribbon_group_popup.h"
#include "tests/toolkit/ribbon/ribbon_fixed_group.h"
#include "tests/toolkit/ribbon/ribbon_test_groups.h"

IMPLEMENT_DYNCREATE(FixedGroup, CTKRibbonButtonGroup)

namespace {

using TKCommandBars::kHideWrap;

constexpr int kGap = CTKRibbonButtonGroup::kColumnGap;
constexpr int L = FixedGroup::kLargeWidth, C = FixedGroup::kSmallCaptionWidth, S = FixedGroup::kSmallWidth;

// A group in a band of the usual heights (93, caption 17: rows of 22).
struct Fixture {
  TestBand band;
  CTKRibbonGroups groups{nullptr};
  FixedGroup* group = new FixedGroup;
  Fixture(int buttons, const wchar_t* caption = L"C") {
    group->SetCaption(caption);
    group->AddButtons(buttons);
    groups.PutGroupAt(0, group, nullptr, &band);
  }
};

TEST(RibbonButtonGroup, ReducesFromLargeButtonsToStacksToIconsToOneButton) {
  // Each step: the level asked, whether the group took a smaller form, its width then and the
  // form of each control (L large, C small with caption, S small; "" once collapsed).
  struct Step {
    int level;
    bool taken;
    int width;
    const char* forms;
  };
  struct Case {
    const char* what;
    int buttons;
    const wchar_t* caption;
    int widest;
    std::vector<Step> steps;
  };
  const int collapsed = 42;  // the collapsed button's least width (a short caption)
  const Case cases[] = {
      {"five buttons", 5, L"C", 5 * L + 4 * kGap,
       {{0, true, 2 * L + C + 2 * kGap, "LLCCC"},  // the last three make a stack
        {0, true, C + C + kGap, "CCCCC"},          // the first two make another
        {0, false, C + C + kGap, "CCCCC"},
        {1, true, C + S + kGap, "CCSSS"},  // the last stack loses its captions first
        {1, true, S + S + kGap, "SSSSS"},
        {1, false, S + S + kGap, "SSSSS"},
        {2, true, collapsed, ""},
        {3, false, collapsed, ""},
        {0, false, collapsed, ""}}},
      {"one button", 1, L"C", L,
       {{0, true, C, "C"}, {1, true, S, "S"}, {3, true, collapsed, ""}, {2, false, collapsed, ""}}},
      {"four buttons: three stacked, one alone", 4, L"C", 4 * L + 3 * kGap,
       {{0, true, L + C + kGap, "LCCC"}, {0, true, C + C + kGap, "CCCC"}, {1, true, C + S + kGap, "CSSS"},
        {1, true, S + S + kGap, "SSSS"}}},
      {"a caption wider than the buttons holds the width", 2, L"Wide caption here", 17 * 8 + 10,
       {{0, true, 17 * 8 + 10, "CC"}, {1, true, 17 * 8 + 10, "SS"}}},
      {"no buttons", 0, L"", 10, {{0, false, 10, ""}, {1, false, 10, ""}, {2, true, collapsed, ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture fx(c.buttons, c.caption);
    fx.group->BeginLayout(nullptr);
    EXPECT_EQ(fx.group->CurrentWidth(nullptr), c.widest);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "step " << i);
      EXPECT_EQ(fx.group->Reduce(nullptr, c.steps[i].level), c.steps[i].taken);
      EXPECT_EQ(fx.group->CurrentWidth(nullptr), c.steps[i].width);
      std::string forms;
      for (int k = 0; k < fx.group->ControlCount() && !fx.group->IsCollapsed(); ++k)
        forms += "LCS"[fx.group->FormOf(k)];
      EXPECT_EQ(forms, c.steps[i].forms);
    }
    // A new layout starts from the widest form again.
    fx.group->BeginLayout(nullptr);
    EXPECT_EQ(fx.group->CurrentWidth(nullptr), c.widest);
    EXPECT_FALSE(fx.group->IsCollapsed());
  }
}

TEST(RibbonButtonGroup, PlacesItsControlsInColumnsAndStacksWithTheirStyles) {
  Fixture fx(4);
  fx.group->BeginLayout(nullptr);
  ASSERT_TRUE(fx.group->Reduce(nullptr, 0));  // buttons 1-3 stacked
  ASSERT_TRUE(fx.group->Reduce(nullptr, 1));  // and without captions
  fx.group->Position(fx.group->CurrentWidth(nullptr), 100, 5);
  fx.group->EndLayout();
  struct Expected {
    RECT rect;
    int style;
  };
  // Moved by the group's 2-pixel edge; a large button three rows high, the stack a row each.
  const Expected expected[] = {{{102, 7, 102 + L, 7 + 66}, 4},
                               {{104 + L, 7, 104 + L + S, 29}, 1},
                               {{104 + L, 29, 104 + L + S, 51}, 1},
                               {{104 + L, 51, 104 + L + S, 73}, 1}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    CTKControl* control = fx.group->ControlAt(i);
    EXPECT_EQ(control->GetRect(), CRect(expected[i].rect));
    EXPECT_EQ(control->GetStyle(), expected[i].style);
    EXPECT_EQ(control->GetHideFlags() & kHideWrap, 0);
  }
  EXPECT_EQ(fx.group->CollapsedPopup(), nullptr);
}

TEST(RibbonButtonGroup, CollapsedItHidesItsControlsBehindOneButtonThatKnowsTheGroup) {
  Fixture fx(3, L"Clipboard");
  fx.group->SetId(77);
  fx.group->BeginLayout(nullptr);
  ASSERT_TRUE(fx.group->Reduce(nullptr, 2));
  fx.group->Position(fx.group->CurrentWidth(nullptr), 10, 3);
  fx.group->EndLayout();
  for (int i = 0; i < 3; ++i) EXPECT_NE(fx.group->ControlAt(i)->GetHideFlags() & kHideWrap, 0) << i;
  auto* button = dynamic_cast<CTKRibbonGroupControlPopup*>(fx.group->CollapsedPopup());
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Group(), fx.group);
  EXPECT_EQ(button->GetID(), 77);
  EXPECT_EQ(button->GetCaption(), L"Clipboard");
  EXPECT_TRUE(button->IsVisible());
  EXPECT_EQ(button->GetRect().TopLeft(), CPoint(12, 5));
  EXPECT_EQ(button->GetRect().Width(), fx.group->CurrentWidth(nullptr));
  // Widest again: the controls show and the button hides.
  fx.group->BeginLayout(nullptr);
  fx.group->Position(fx.group->CurrentWidth(nullptr), 10, 3);
  fx.group->EndLayout();
  EXPECT_FALSE(button->IsVisible());
  EXPECT_TRUE(fx.group->ControlAt(0)->IsVisible());
}

TEST(RibbonButtonGroup, AControlHiddenByItsOwnerTakesNoRoomAndRemovalLetsItGo) {
  Fixture fx(3);
  fx.group->ControlAt(1)->SetVisible(false);
  fx.group->BeginLayout(nullptr);
  EXPECT_EQ(fx.group->CurrentWidth(nullptr), 2 * L + kGap);
  CTKControl* kept = fx.group->ControlAt(2);
  kept->AddRef();
  fx.group->RemoveControl(2);
  fx.group->RemoveControl(7);  // outside the group: nothing
  EXPECT_EQ(fx.group->ControlCount(), 2);
  fx.group->BeginLayout(nullptr);
  EXPECT_EQ(fx.group->CurrentWidth(nullptr), L);
  kept->Release();
}

TEST(RibbonButtonGroup, ACopyHasItsOwnControlsOfTheSameCommands) {
  Fixture fx(3, L"Font");
  fx.group->SetId(5);
  CTKRibbonGroups other{nullptr};
  CTKRibbonGroup* copy = fx.group->NewOfSameKind();
  ASSERT_NE(dynamic_cast<FixedGroup*>(copy), nullptr);
  other.PutGroupAt(0, copy, nullptr, &fx.band);
  copy->CopyFrom(*fx.group);
  auto* buttons = static_cast<FixedGroup*>(copy);
  EXPECT_EQ(buttons->Caption(), L"Font");
  EXPECT_EQ(buttons->Id(), 5);
  ASSERT_EQ(buttons->ControlCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(buttons->ControlAt(i), fx.group->ControlAt(i));
    EXPECT_EQ(buttons->ControlAt(i)->GetID(), fx.group->ControlAt(i)->GetID());
  }
}

}  // namespace

namespace {

TEST(RibbonGroupPopup, ShowsTheGroupsWidestFormAsHighAsTheRibbonsGroups) {
  struct Case {
    int groups_height;
    int caption_height;
    int buttons;
  };
  const Case cases[] = {{93, 17, 3}, {120, 20, 5}, {93, 17, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.groups_height << " " << c.buttons);
    Fixture fx(c.buttons);
    fx.band.groups_height = c.groups_height;
    fx.band.caption_height = c.caption_height;
    // The ribbon's group is collapsed; its popup shows the widest form all the same.
    fx.group->BeginLayout(nullptr);
    fx.group->Reduce(nullptr, 2);
    auto* popup = new CTKRibbonGroupPopupToolBar(nullptr, *fx.group);
    ASSERT_NE(popup->Group(), nullptr);
    EXPECT_EQ(popup->GetBorders(), CRect(2, 2, 3, c.caption_height + 1));
    const int widest = c.buttons > 0 ? c.buttons * L + (c.buttons - 1) * kGap : 8 + 10;  // the caption "C"
    EXPECT_EQ(popup->CalcSize(32767, 0), CSize(widest + 5, c.groups_height - 7));
    EXPECT_FALSE(popup->Group()->IsCollapsed());
    EXPECT_TRUE(fx.group->IsCollapsed());
    // The copy's controls are the popup's, inside its borders.
    EXPECT_EQ(popup->GetControlCount(), c.buttons);
    if (c.buttons > 0) {
      EXPECT_EQ(popup->GetControl(0)->GetParent(), popup);
      EXPECT_EQ(popup->GetControl(0)->GetRect().TopLeft(), CPoint(2, 2));
      EXPECT_NE(popup->GetControl(0), fx.group->ControlAt(0));
    }
    popup->Release();
  }
}

}  // namespace
