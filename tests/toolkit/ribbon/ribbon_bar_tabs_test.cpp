// The tab row in the ribbon bar: the site's answer to the selecting notification, and a
// minimized ribbon's tab popup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/ribbon/ribbon_fixed_group.h"
#include "tests/toolkit/ribbon/ribbon_test_bar.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/keyboard_tip.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_group_popup.h"
#include "toolkit/ribbon/ribbon_tab_popup.h"

namespace {

// A ribbon 600 pixels wide with three tabs of one group of three buttons each.
struct RealRibbon {
  RibbonSite site{700, 400};
  CTKCommandBarManager manager;
  CTKRibbonBar* bar = new CTKRibbonBar;
  RealRibbon() {
    manager.SetSite(site.hwnd);
    bar->SetCommandBarManager(&manager);
    bar->CreateToolBar(site.hwnd, false);
    ::ShowWindow(site.hwnd, SW_SHOWNA);
    const wchar_t* captions[] = {L"Home", L"Insert", L"View"};
    for (int i = 0; i < 3; ++i) {
      CTKRibbonTab* tab = bar->InsertTab(i, captions[i]);
      auto* group = new FixedGroup;
      group->SetCaption(L"G");
      group->SetId(10 + i);
      bar->AddGroup(tab, group);
      group->AddButtons(3, 200 + 10 * i);
    }
    bar->SelectTabByIndex(0);
    Layout();
    site.tab_notices.clear();
  }
  ~RealRibbon() {
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    bar->Release();
    DrainMessages();
  }
  void Layout() {
    const CSize size = bar->CalcRibbonSize(600, false);
    ::MoveWindow(bar->GetSafeHwnd(), 0, 0, 600, size.cy, TRUE);
    bar->CalcRibbonSize(600, true);
  }
  CTKRibbonControlTab* Row() const { return bar->ControlTab(); }
};

TEST(RibbonBarTabs, ASiteThatAnswersTheSelectingNotificationKeepsTheOldTab) {
  RealRibbon r;
  using Seen = RibbonSite::TabNotice;
  r.site.refuse_selecting = 1;
  r.Row()->SelectItem(r.bar->TabAt(2));
  EXPECT_EQ(r.bar->CurrentTab(), r.bar->TabAt(0));
  EXPECT_EQ(r.site.tab_notices, (std::vector<Seen>{{CTKRibbonControlTab::kNotifyTabSelecting, r.bar->TabAt(2)}}));
  // The old tab's controls still show.
  EXPECT_EQ(r.bar->TabAt(0)->Groups().At(0)->Positions()[0].control->GetHideFlags() & TKRibbon::kHideOtherTab, 0);
  r.site.refuse_selecting = 0;
  r.site.tab_notices.clear();
  r.Row()->SelectItem(r.bar->TabAt(2));
  EXPECT_EQ(r.bar->CurrentTab(), r.bar->TabAt(2));
  EXPECT_EQ(r.site.tab_notices, (std::vector<Seen>{{CTKRibbonControlTab::kNotifyTabSelecting, r.bar->TabAt(2)},
                                            {CTKRibbonControlTab::kNotifyTabSelected, r.bar->TabAt(2)}}));
  EXPECT_NE(r.bar->TabAt(0)->Groups().At(0)->Positions()[0].control->GetHideFlags() & TKRibbon::kHideOtherTab, 0);
}

TEST(RibbonBarTabs, AMinimizedRibbonShowsEachSelectedTabInAPopupAndClosingLeavesNoneSelected) {
  RealRibbon r;
  const int unfolded = r.bar->GroupsHeight();
  ASSERT_GT(unfolded, 0);
  r.bar->ChangeMinimizedState(true);
  r.Layout();
  EXPECT_EQ(r.bar->CurrentTab(), nullptr);
  for (int t : {1, 2}) {
    SCOPED_TRACE(t);
    r.Row()->SelectItem(r.bar->TabAt(t));
    auto* popup = dynamic_cast<CTKRibbonTabPopupToolBar*>(r.Row()->GetCommandBar());
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->IsBarVisible());
    EXPECT_EQ(popup->Tab()->Caption(), r.bar->TabAt(t)->Caption());
    // As high as the groups band of the ribbon unfolded.
    CRect rect;
    ::GetWindowRect(popup->GetSafeHwnd(), &rect);
    EXPECT_EQ(rect.Height(), unfolded);
    EXPECT_EQ(popup->GroupCaptionHeight(), r.bar->GroupCaptionHeight());
  }
  CTKCommandBar* popup = r.Row()->GetCommandBar();
  r.bar->ClosePopups();
  EXPECT_EQ(popup->GetSafeHwnd(), nullptr);
  EXPECT_EQ(r.bar->CurrentTab(), nullptr);
  // Unfolded again, the first tab is selected and no popup opens.
  r.bar->ChangeMinimizedState(false);
  EXPECT_EQ(r.bar->CurrentTab(), r.bar->TabAt(0));
  EXPECT_FALSE(r.Row()->GetPopuped());
}

}  // namespace

namespace {

TEST(RibbonBarTabs, TheTabPopupGivesKeyboardTipsToItsOwnCopiesOfTheGroupsControls) {
  RealRibbon r;
  auto* group = static_cast<FixedGroup*>(r.bar->TabAt(1)->Groups().At(0));
  for (int i = 0; i < group->ControlCount(); ++i) group->ControlAt(i)->SetKeyboardTip(L"K" + std::to_wstring(i));
  r.bar->ChangeMinimizedState(true);
  r.Layout();
  r.Row()->SelectItem(r.bar->TabAt(1));
  auto* popup = dynamic_cast<CTKRibbonTabPopupToolBar*>(r.Row()->GetCommandBar());
  ASSERT_NE(popup, nullptr);
  std::vector<CTKCommandBarKeyboardTip*> tips;
  ASSERT_TRUE(popup->CreateKeyboardTips(2, &tips));
  ASSERT_EQ(tips.size(), 3u);
  const RECT band = popup->GroupsRect();
  for (size_t i = 0; i < tips.size(); ++i) {
    SCOPED_TRACE(i);
    CTKControl* control = tips[i]->GetControl();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetParent(), popup);
    EXPECT_NE(control, group->ControlAt(static_cast<int>(i)));
    EXPECT_EQ(tips[i]->GetTipText(), L"K" + std::to_wstring(i));
    EXPECT_TRUE(::PtInRect(&band, tips[i]->GetAnchor()));
  }
  for (CTKCommandBarKeyboardTip* tip : tips) delete tip;
}

}  // namespace

namespace {

// A copy of a collapsed group's button in the quick-access bar opens the ribbon's group of its
// id as the ribbon has it then, also after the ribbon rebuilt its groups.
TEST(RibbonBarTabs, ACopyOfAGroupsButtonFollowsTheRibbonsGroupOfItsId) {
  RealRibbon r;
  CTKRibbonGroup* first = r.bar->TabAt(0)->Groups().At(0);
  first->BeginLayout(nullptr);
  first->Reduce(nullptr, 2);
  first->EndLayout();
  ASSERT_NE(first->CollapsedPopup(), nullptr);
  CTKControl* copy = r.bar->AddToQuickAccess(first->CollapsedPopup());
  ASSERT_NE(copy, nullptr);
  auto open_copy = [&]() -> FixedGroup* {
    r.Layout();
    if (!r.bar->SetPopupOpen(copy->GetIndex(), false)) return nullptr;
    auto* popup = dynamic_cast<CTKRibbonGroupPopupToolBar*>(copy->GetCommandBar());
    return popup ? static_cast<FixedGroup*>(popup->Group()) : nullptr;
  };
  FixedGroup* shown = open_copy();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->ControlCount(), 3);
  EXPECT_EQ(shown->ControlAt(0)->GetID(), 200);
  r.bar->ClosePopups();
  // The ribbon rebuilds the tab's groups; a new group (made while the old one still lives, so
  // that it cannot take the old one's place in memory) takes the id.
  auto* rebuilt = new FixedGroup;
  rebuilt->SetId(10);
  r.bar->TabAt(0)->Groups().DropAllGroups();
  r.bar->AddGroup(r.bar->TabAt(0), rebuilt);
  rebuilt->AddButtons(5, 300);
  shown = open_copy();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->ControlCount(), 5);
  EXPECT_EQ(shown->ControlAt(0)->GetID(), 300);
  r.bar->ClosePopups();
}

}  // namespace
