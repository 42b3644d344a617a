// The ribbon bar: when it shows at all, how its caption band, tab row, groups band and
// quick-access bar stack up, minimising and restoring, the caption hit test, keyboard tips and
// the saved state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/appframe/archive.h"
#include "platform/appframe/file.h"
#include "tests/toolkit/ribbon/ribbon_test_bar.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/keyboard_tip.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;
using namespace TKRibbon;

namespace {

bool Shown(const CTKControl* control) { return control->IsVisible(); }

TEST(RibbonBarParts, ANewRibbonHasItsPartsAndSwitches) {
  CTKRibbonBar* ribbon = static_cast<CTKRibbonBar*>(RUNTIME_CLASS(CTKRibbonBar)->CreateObject());
  EXPECT_EQ(kRibbonBar, ribbon->GetType());
  EXPECT_EQ(CTKRibbonBar::kRibbonFlags, ribbon->GetFlags());
  CTKControls* controls = ribbon->GetControls();
  EXPECT_NE(nullptr, dynamic_cast<CTKRibbonControls*>(controls));
  ASSERT_GE(controls->GetCount(), 3);
  EXPECT_EQ(ribbon->CustomiseButton(), controls->GetAt(0));
  EXPECT_EQ(ribbon->MoreButton(), controls->GetAt(1));
  EXPECT_EQ(ribbon->ControlTab(), controls->GetAt(2));
  EXPECT_EQ(kCustomiseButtonId, ribbon->CustomiseButton()->GetID());
  EXPECT_EQ(kMoreButtonId, ribbon->MoreButton()->GetID());
  EXPECT_EQ(kControlTabId, ribbon->ControlTab()->GetID());
  for (CTKControl* own : {static_cast<CTKControl*>(ribbon->CustomiseButton()), static_cast<CTKControl*>(ribbon->MoreButton())})
    EXPECT_EQ(0x18, own->GetFlags());
  EXPECT_EQ(CSize(22 * 13 / 22, 22), ribbon->CustomiseButton()->GetSize(nullptr));
  EXPECT_TRUE(ribbon->IsGroupsVisible());
  EXPECT_TRUE(ribbon->IsTabsVisible());
  EXPECT_TRUE(ribbon->IsQuickAccessVisible());
  EXPECT_FALSE(ribbon->IsQuickAccessBelow());
  EXPECT_FALSE(ribbon->AllowsQuickAccessDuplicates());
  EXPECT_TRUE(ribbon->AllowsMinimize());
  EXPECT_FALSE(ribbon->IsMinimized());
  EXPECT_TRUE(ribbon->ShowsCaptionWithoutFrame());
  EXPECT_EQ(250, ribbon->MinimumVisibleSize());
  EXPECT_EQ(0, ribbon->GroupsHeightOverride());
  EXPECT_EQ(nullptr, ribbon->SystemButton());
  EXPECT_FALSE(ribbon->HasFrameCompanion());
  EXPECT_EQ(0, ribbon->QuickAccessControls()->GetCount());
  ribbon->Release();
}

TEST(RibbonBarSize, ABarTooNarrowOrAFrameTooLowHidesTheRibbon) {
  struct Case {
    int width, frame_height;
    bool visible;
  };
  const Case cases[] = {{249, 600, false}, {250, 600, true}, {800, 249, false}, {800, 250, true}, {0, 0, false}, {-50, 600, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.frame_height));
    RibbonFixture f(kRibbonWidth, c.frame_height);
    const int height = f.Layout(c.width);
    EXPECT_EQ(c.visible, f.ribbon->IsRibbonVisible());
    if (c.visible)
      EXPECT_EQ(f.ribbon->GroupsRect().bottom, height);  // the bands stack without gaps
    else
      EXPECT_EQ(0, height);
  }
}

TEST(RibbonBarSize, AFrameLinkHearsWhenTheRibbonComesAndGoes) {
  RibbonFixture f;
  auto* link = new TestFrameLink(4);
  f.ribbon->AttachFrameCompanion(nullptr, link);
  f.Layout();
  link->recalcs.clear();
  f.Layout(200);
  f.Layout(180);
  f.Layout();
  EXPECT_EQ((std::vector<bool>{false, false}), link->recalcs);  // posted, once per change
}

// The caption band: on its own, with a frame link (its border widens it), or none.
TEST(RibbonBarLayout, TheCaptionBandAndTheRowsBelowIt) {
  struct Case {
    const char* name;
    bool caption_without_frame;
    int border;  // -1: no frame link
  };
  const Case cases[] = {{"own caption", true, -1}, {"frame caption", false, 4}, {"no caption", false, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RibbonFixture f;
    f.ribbon->ShowCaptionWithoutFrame(c.caption_without_frame);
    if (c.border >= 0) f.ribbon->AttachFrameCompanion(nullptr, new TestFrameLink(c.border));
    const int height = f.Layout();
    const RECT caption = f.ribbon->CaptionRect();
    const RECT row = f.ribbon->TabRowRect();
    const RECT groups = f.ribbon->GroupsRect();
    if (c.caption_without_frame || c.border >= 0) {
      const int border = c.border > 0 ? c.border : 0;
      EXPECT_EQ(CRect(-border, 0, kRibbonWidth + border, f.ribbon->CaptionHeight()), CRect(caption));
      EXPECT_GT(f.ribbon->CaptionHeight(), border);
      EXPECT_EQ(caption.bottom, row.top);
      // Without a companion there is no title to place.
      EXPECT_EQ(c.border < 0, IsRectEmpty(&f.ribbon->TitleRect()) != FALSE);
      const RECT free = f.ribbon->CaptionFreeRect();
      if (c.border < 0) {
        EXPECT_EQ(CRect(0, 0, kRibbonWidth, caption.bottom), CRect(free));
      } else {
        // With a frame the caption buttons and the title are placed: the free part lies below
        // the frame's border, 3 pixels above the band's bottom, inside the bar.
        EXPECT_EQ(c.border, free.top);
        EXPECT_EQ(caption.bottom - 3, free.bottom);
        EXPECT_GE(free.left, 0);
        EXPECT_LE(free.right, kRibbonWidth);
      }
    } else {
      EXPECT_TRUE(IsRectEmpty(&caption));
      EXPECT_EQ(0, row.top);
    }
    EXPECT_EQ(2, row.left);
    EXPECT_EQ(kRibbonWidth - 2, row.right);
    EXPECT_EQ(row.bottom, groups.top);
    EXPECT_EQ(height, groups.bottom);
  }
}

// Where the quick-access bar goes: in the caption band above the tabs, below the groups, or in
// the tab row when there is no caption band.
TEST(RibbonBarLayout, TheQuickAccessBarAboveBelowOrInTheTabRow) {
  enum Where { kAbove, kBelow, kInTabRow };
  for (Where where : {kAbove, kBelow, kInTabRow}) {
    SCOPED_TRACE(where);
    RibbonFixture f;
    std::vector<CTKControl*> copies = f.AddQuickAccess(3, 30);
    if (where == kBelow) f.ribbon->PlaceQuickAccessBelow(true);
    if (where == kInTabRow) f.ribbon->ShowCaptionWithoutFrame(false);
    const int height = f.Layout();
    const RECT qa = f.ribbon->QuickAccessRect();
    const RECT row = f.ribbon->TabRowRect();
    const RECT groups = f.ribbon->GroupsRect();
    const CRect customise = f.ribbon->CustomiseButton()->GetRect();
    for (CTKControl* copy : copies) ASSERT_TRUE(Shown(copy));
    EXPECT_TRUE(Shown(f.ribbon->CustomiseButton()));
    EXPECT_FALSE(Shown(f.ribbon->MoreButton()));
    // The copies stand side by side in list order.
    EXPECT_EQ(copies[0]->GetRect().right, copies[1]->GetRect().left);
    EXPECT_EQ(copies[1]->GetRect().right, copies[2]->GetRect().left);
    const CRect first = copies[0]->GetRect();
    switch (where) {
      case kAbove:
        EXPECT_LE(first.bottom, row.top);
        EXPECT_EQ(2 + (qa.top + qa.bottom - first.Height()) / 2, first.top);
        EXPECT_EQ(qa.left, first.left);
        EXPECT_EQ(copies[2]->GetRect().right + 12, customise.left);
        EXPECT_EQ(groups.bottom, height);
        break;
      case kBelow:
        EXPECT_EQ(groups.bottom, qa.top);
        EXPECT_EQ(f.ribbon->QuickAccessHeight() + 1, height - groups.bottom);
        EXPECT_EQ(2, first.left);
        EXPECT_GE(first.top, groups.bottom);
        EXPECT_EQ(copies[2]->GetRect().right, customise.left);
        break;
      case kInTabRow:
        EXPECT_EQ(row.top, qa.top);
        EXPECT_EQ(row.bottom, qa.bottom);
        EXPECT_EQ(2 + 5, first.left);
        EXPECT_EQ(copies[2]->GetRect().right, customise.left);
        // The tabs start after the customise button.
        EXPECT_EQ(customise.right, f.ribbon->ControlTab()->GetRect().left);
        EXPECT_EQ(groups.bottom, height);
        break;
    }
  }
}

TEST(RibbonBarLayout, HiddenTabsLeaveATwoPixelRowAndTakeTheQuickAccessBarWithThemWithoutACaption) {
  RibbonFixture f;
  std::vector<CTKControl*> copies = f.AddQuickAccess(2, 30);
  f.ribbon->SetTabsVisible(false);
  f.Layout();
  EXPECT_EQ(2, f.ribbon->TabRowRect().bottom - f.ribbon->TabRowRect().top);
  EXPECT_FALSE(Shown(f.ribbon->ControlTab()));
  EXPECT_TRUE(Shown(copies[0]));  // the caption band still holds them
  f.ribbon->ShowCaptionWithoutFrame(false);
  f.Layout();
  EXPECT_FALSE(Shown(copies[0]));
  EXPECT_FALSE(Shown(f.ribbon->CustomiseButton()));
}

TEST(RibbonBarLayout, TabRowControlsStandLeftAndRightOfTheTabs) {
  RibbonFixture f;
  f.ribbon->ShowCaptionWithoutFrame(false);
  CTKControl* left = MakeButton(801, 30);
  CTKControl* grouped = MakeButton(802, 20);
  grouped->SetBeginGroup(true);
  CTKControl* right = MakeButton(803, 25);
  right->SetFlags(kFlagRightAlign);
  for (CTKControl* c : {left, grouped, right}) {
    f.ribbon->GetControls()->InsertAt(c, -1);
    c->Release();
  }
  f.Layout();
  EXPECT_EQ(2, left->GetRect().left);
  EXPECT_EQ(left->GetRect().right + 6, grouped->GetRect().left);
  EXPECT_EQ(kRibbonWidth, right->GetRect().right);
  const CRect tabs = f.ribbon->ControlTab()->GetRect();
  EXPECT_EQ(right->GetRect().left, tabs.right);
  const RECT row = f.ribbon->TabRowRect();
  EXPECT_EQ((row.top + row.bottom - 22) / 2, left->GetRect().top);
}

TEST(RibbonBarLayout, TheSystemButtonStraddlesCaptionAndTabRow) {
  RibbonFixture f;
  CTKControl* button = MakeButton(900, 30, 30);
  f.ribbon->SetSystemButton(button);
  button->Release();
  f.Layout();
  const int qa = f.ribbon->QuickAccessHeight(), tab_row = f.ribbon->TabRowHeight();
  EXPECT_EQ(CRect(0, -1, qa + tab_row - 3, qa + tab_row - 5), button->GetRect());
  EXPECT_EQ(button->GetRect().right, f.ribbon->ControlTab()->GetRect().left);
  EXPECT_EQ(button, f.ribbon->GetControls()->GetAt(0));
  // Without a caption band and without tabs there is nowhere for it.
  f.ribbon->ShowCaptionWithoutFrame(false);
  f.ribbon->SetTabsVisible(false);
  f.Layout();
  EXPECT_FALSE(Shown(button));
  // Removed from the bar, it is forgotten.
  f.ribbon->GetControls()->Remove(button);
  EXPECT_EQ(nullptr, f.ribbon->SystemButton());
}

TEST(RibbonBarLayout, TheSelectedTabsGroupsAreLaidOutInTheBandAndTheOthersHidden) {
  RibbonFixture f;
  CTKRibbonGroup* other = new ColumnGroup;
  f.ribbon->AddGroup(f.view, other);
  CTKControl* elsewhere = MakeButton(600, 40);
  f.ribbon->AddGroupControl(other, elsewhere);
  elsewhere->Release();
  f.Layout();
  const RECT band = f.ribbon->GroupsRect();
  const CRect first = f.ribbon->GetControls()->FindControl(501)->GetRect();
  EXPECT_EQ(CRect(band.left + 4 + 2, band.top + 3 + 2, band.left + 4 + 2 + 40, band.top + 3 + 2 + 22), first);
  EXPECT_FALSE(Shown(elsewhere));
  f.ribbon->SelectTabByIndex(1);
  f.Layout();
  EXPECT_TRUE(Shown(elsewhere));
  EXPECT_FALSE(Shown(f.ribbon->GetControls()->FindControl(501)));
  EXPECT_EQ(other, f.ribbon->GroupById(0));
  EXPECT_EQ(f.group, f.ribbon->GroupById(500));
}

TEST(RibbonBarTabs, SelectTabByIndexClampsAndASiteMayRefuse) {
  RibbonFixture f;
  f.ribbon->SelectTabByIndex(7);
  EXPECT_EQ(f.view, f.ribbon->CurrentTab());
  f.ribbon->SelectTabByIndex(-3);
  EXPECT_EQ(f.home, f.ribbon->CurrentTab());
  f.site.refuse_selecting = 1;
  f.ribbon->SelectTabByIndex(1);
  EXPECT_EQ(f.home, f.ribbon->CurrentTab());
  // The site heard the selecting and, when it let it happen, the selected notification.
  EXPECT_FALSE(f.site.notify_ids.empty());
}

TEST(RibbonBarMinimize, MinimizingFoldsTheGroupsAndRestoringSelectsTheFirstVisibleTab) {
  RibbonFixture f;
  const int full = f.Layout();
  const int groups = f.ribbon->GroupsHeight();
  f.ribbon->ChangeMinimizedState(true);
  EXPECT_TRUE(f.ribbon->IsMinimized());
  EXPECT_EQ(nullptr, f.ribbon->CurrentTab());
  EXPECT_EQ(full - groups + 2, f.Layout());  // the two edge lines stay
  f.home->Show(false);
  f.ribbon->ChangeMinimizedState(false);
  EXPECT_EQ(f.view, f.ribbon->CurrentTab());
  EXPECT_EQ(full, f.Layout());
}

TEST(RibbonBarMinimize, ADoubleClickOnTheSelectedTabTogglesWhenAllowed) {
  RibbonFixture f(kRibbonWidth, kSiteHeight, true);
  // Tabs get their rectangles from the tab painter; here they are given.
  f.home->SetRect(RECT{10, f.ribbon->TabRowRect().top, 60, f.ribbon->TabRowRect().bottom});
  f.view->SetRect(RECT{60, f.ribbon->TabRowRect().top, 110, f.ribbon->TabRowRect().bottom});
  const LPARAM on_home = MAKELPARAM(30, f.ribbon->TabRowRect().top + 5);
  const LPARAM on_view = MAKELPARAM(80, f.ribbon->TabRowRect().top + 5);
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, on_view);  // not the selected tab
  EXPECT_FALSE(f.ribbon->IsMinimized());
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, on_home);
  EXPECT_TRUE(f.ribbon->IsMinimized());
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDOWN, 0, on_home);
  EXPECT_EQ(f.home, f.ribbon->CurrentTab());
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, on_home);
  EXPECT_FALSE(f.ribbon->IsMinimized());
  f.ribbon->AllowMinimize(false);
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, on_home);
  EXPECT_FALSE(f.ribbon->IsMinimized());
}

TEST(RibbonBarHitTest, TheCaptionIsTheFramesOnlyWithAFrameLinkAndAwayFromControls) {
  RibbonFixture f;
  CTKControl* copy = f.AddQuickAccess(1, 30)[0];
  f.Layout();
  const POINT free{400, 10};
  EXPECT_EQ(0, f.ribbon->HitTestCaption(free));  // no frame link
  f.ribbon->AttachFrameCompanion(nullptr, new TestFrameLink(4));
  f.Layout();
  struct Case {
    POINT point;
    int hit;
  };
  const Case cases[] = {
      {POINT{400, 2}, HTTOP},  // the sizing strip of a sizable, restored frame
      {POINT{400, 10}, HTCAPTION},
      {copy->GetRect().CenterPoint(), 0},
      {POINT{400, f.ribbon->CaptionRect().bottom + 3}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.hit, f.ribbon->HitTestCaption(c.point)) << c.point.x << "," << c.point.y;
  // A maximised frame has no sizing strip (the style is set by hand: maximising would
  // activate the window).
  ::SetWindowLongPtrW(f.site.hwnd, GWL_STYLE, ::GetWindowLongPtrW(f.site.hwnd, GWL_STYLE) | WS_MAXIMIZE);
  EXPECT_EQ(HTCAPTION, f.ribbon->HitTestCaption(POINT{400, 2}));
}

TEST(RibbonBarHeaders, AdjacentContextTabsShareAHeaderThatSelectsTheFirst) {
  RibbonFixture f(kRibbonWidth, kSiteHeight, true);
  CTKRibbonTab* a = f.ribbon->InsertTab(2, L"Design");
  CTKRibbonTab* b = f.ribbon->InsertTab(3, L"Layout");
  for (CTKRibbonTab* t : {a, b}) {
    t->SetContextColour(2);
    t->SetContextCaption(L"Table Tools");
  }
  const int row = f.ribbon->CaptionHeight();
  a->SetRect(RECT{300, row, 360, row + 23});
  b->SetRect(RECT{360, row, 420, row + 23});
  f.Layout();
  ASSERT_EQ(1, f.ribbon->ContextHeaders().Count());
  const CTKRibbonTabContextHeader& header = f.ribbon->ContextHeaders().At(0);
  EXPECT_EQ(a, header.first);
  EXPECT_EQ(b, header.last);
  const POINT inside{330, (header.rect.top + header.rect.bottom) / 2};
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(inside.x, inside.y));
  EXPECT_EQ(a, f.ribbon->CurrentTab());
}

// ---------------------------------------------------------------------------------------------
// The mouse

TEST(RibbonBarMouse, TheGroupUnderTheMouseIsHotWhenTheThemeSaysSo) {
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    RibbonFixture f(kRibbonWidth, kSiteHeight, true);
    auto* theme = new CTKRibbonTheme;
    theme->ReloadColorsAndFonts();
    theme->SetHotGroupsEnabled(enabled);
    f.manager.SetPaintManager(theme);
    theme->InternalRelease();
    f.Layout();
    const RECT g = f.group->Rect();
    const POINT inside{g.right - 2, g.bottom - 2};  // in the group, away from its controls
    ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(enabled ? f.group : nullptr, f.ribbon->HotGroup());
    ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(nullptr, f.ribbon->HotGroup());
    ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    f.ribbon->SetTrackingMode(1, false, false);  // tracking clears it
    EXPECT_EQ(nullptr, f.ribbon->HotGroup());
    f.ribbon->SetTrackingMode(0, false, false);
  }
}

TEST(RibbonBarMouse, TheCaptionGivesTheFrameItsSystemMenuAndItsMaximiseAndRestore) {
  RibbonFixture f(kRibbonWidth, kSiteHeight, true);
  f.ribbon->AttachFrameCompanion(nullptr, new TestFrameLink(0));
  f.Layout();
  const POINT caption{400, 10};
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(caption.x, caption.y));
  POINT screen = caption;
  ::ClientToScreen(f.ribbon->GetSafeHwnd(), &screen);
  ASSERT_EQ(1u, f.site.system_menus.size());
  EXPECT_EQ(CPoint(screen), CPoint(f.site.system_menus[0]));
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(caption.x, caption.y));
  ::SetWindowLongPtrW(f.site.hwnd, GWL_STYLE, ::GetWindowLongPtrW(f.site.hwnd, GWL_STYLE) | WS_MAXIMIZE);
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(caption.x, caption.y));
  ::SetWindowLongPtrW(f.site.hwnd, GWL_STYLE, ::GetWindowLongPtrW(f.site.hwnd, GWL_STYLE) & ~(WS_MAXIMIZE | WS_MAXIMIZEBOX));
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(caption.x, caption.y));  // nothing to do
  EXPECT_EQ((std::vector<WPARAM>{SC_MAXIMIZE | HTCAPTION, SC_RESTORE | HTCAPTION}), f.site.system_commands);
  // Below the caption the button is the bar's.
  f.site.system_menus.clear();
  ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(400, f.ribbon->GroupsRect().top + 4));
  EXPECT_TRUE(f.site.system_menus.empty());
}

// A press on the caption hands the frame its move, or its sizing from the top edge. The frame
// carries them out in a modal loop of its own; the test's frame records them in its place.
TEST(RibbonBarMouse, APressOnTheCaptionStartsTheFramesMoveOrSizing) {
  struct Case {
    const char* what;
    POINT point;
    bool maximised;
    bool sizing_disabled;
    std::vector<WPARAM> commands;
  };
  const Case cases[] = {
      {"caption", POINT{400, 10}, false, false, {SC_MOVE | HTCAPTION}},
      {"top edge", POINT{400, 2}, false, false, {SC_SIZE | WMSZ_TOP}},
      {"top edge, sizing disabled", POINT{400, 2}, false, true, {}},
      {"maximised frame", POINT{400, 10}, true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RibbonFixture f(kRibbonWidth, kSiteHeight, true);
    f.ribbon->AttachFrameCompanion(nullptr, new TestFrameLink(4));
    f.Layout();
    ASSERT_GT(f.ribbon->CaptionRect().bottom, 10);
    if (c.sizing_disabled) ::EnableMenuItem(::GetSystemMenu(f.site.hwnd, FALSE), SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
    if (c.maximised)
      ::SetWindowLongPtrW(f.site.hwnd, GWL_STYLE, ::GetWindowLongPtrW(f.site.hwnd, GWL_STYLE) | WS_MAXIMIZE);
    ::SendMessageW(f.ribbon->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.point.x, c.point.y));
    EXPECT_EQ(c.commands, f.site.system_commands);
  }
}

TEST(RibbonBarMouse, TheWheelMovesBetweenTabsWhileTheBarTracks) {
  RibbonFixture f(kRibbonWidth, kSiteHeight, true);
  ::SendMessageW(f.site.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  EXPECT_EQ(f.home, f.ribbon->CurrentTab());  // not tracking: the frame's
  f.ribbon->SetTrackingMode(1, false, false);
  ::SendMessageW(f.site.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  EXPECT_EQ(f.view, f.ribbon->CurrentTab());
  ::SendMessageW(f.site.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(f.home, f.ribbon->CurrentTab());
  f.ribbon->SetTrackingMode(0, false, false);
}

TEST(RibbonBarFrame, MovingTheQuickAccessBarRefreshesAComposedFrame) {
  for (bool composition : {false, true}) {
    RibbonFixture f;
    auto* link = new TestFrameLink(4, composition);
    f.ribbon->AttachFrameCompanion(nullptr, link);
    f.ribbon->PlaceQuickAccessBelow(true);
    EXPECT_EQ(composition ? 1 : 0, link->refreshes);
  }
}

// ---------------------------------------------------------------------------------------------
// Keyboard tips

TEST(RibbonBarKeyTips, FirstLevelNumbersAtMostEighteenQuickAccessControlsThenTabsAndTheSystemButton) {
  RibbonFixture f(2400, kSiteHeight);
  std::vector<CTKControl*> copies = f.AddQuickAccess(20, 20);
  f.home->SetKeyTipText(L"H");
  CTKControl* system = MakeButton(900, 30, 30);
  system->SetKeyboardTip(L"F");
  f.ribbon->SetSystemButton(system);
  system->Release();
  f.Layout(2400);
  const std::vector<CTKRibbonBar::CKeyTip> tips = f.ribbon->KeyTipsForLevel(1);
  std::vector<std::wstring> texts;
  for (const auto& tip : tips) texts.push_back(tip.text);
  EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"01", L"02", L"03", L"04",
                                       L"05", L"06", L"07", L"08", L"09", L"H", L"F"}),
            texts);
  const CRect r = copies[0]->GetRect();
  EXPECT_EQ(copies[0], tips[0].control);
  EXPECT_EQ(r.CenterPoint().x, tips[0].anchor.x);
  EXPECT_EQ(r.bottom - 11, tips[0].anchor.y);
  EXPECT_EQ(kTipCenterX, tips[0].style);
  EXPECT_EQ(f.home, tips[18].tab);  // the view tab has no tip text
  EXPECT_EQ(kTipCenter, tips[19].style);
  EXPECT_EQ(system->GetRect().CenterPoint(), CPoint(tips[19].anchor));
}

TEST(RibbonBarKeyTips, SecondLevelTipsSitOnTheGroupsRowsByWhereTheControlIs) {
  RibbonFixture f;
  const int ids[] = {501, 502, 503};
  for (int id : ids) f.ribbon->GetControls()->FindControl(id)->SetKeyboardTip(L"K" + std::to_wstring(id));
  f.Layout();
  const std::vector<CTKRibbonBar::CKeyTip> tips = f.ribbon->KeyTipsForLevel(2);
  ASSERT_EQ(3u, tips.size());
  const RECT g = f.group->Rect();
  const int content_bottom = g.bottom - f.ribbon->GroupCaptionHeight();
  const int content_height = content_bottom - g.top;
  // Three rows of 22 pixels from the top: the first row lies in the upper third of the group's
  // content, the second in the middle one, the third in the lower one.
  const int expected[] = {g.top + 2, g.top + content_height / 2, content_bottom};
  for (size_t i = 0; i < tips.size(); ++i) {
    EXPECT_EQ(kTipCenterY, tips[i].style);
    EXPECT_EQ(f.ribbon->GetControls()->FindControl(ids[i])->GetRect().left + 11, tips[i].anchor.x);
    EXPECT_EQ(expected[i], tips[i].anchor.y) << i;
  }
  // A control of the other tab, or one without tip text, has no tip.
  f.ribbon->GetControls()->FindControl(502)->SetKeyboardTip(L"");
  EXPECT_EQ(2u, f.ribbon->KeyTipsForLevel(2).size());
  f.ribbon->SelectTabByIndex(1);
  EXPECT_TRUE(f.ribbon->KeyTipsForLevel(2).empty());
}

TEST(RibbonBarKeyTips, ALetterOfATabCaptionSelectsItAndShowsItsGroupsTips) {
  RibbonFixture f(kRibbonWidth, kSiteHeight, true);
  f.manager.GetOptions().keyboard_tips = true;
  f.ribbon->GetControls()->FindControl(501)->SetKeyboardTip(L"N");
  f.ribbon->SelectTabByIndex(1);
  EXPECT_EQ(f.home, f.ribbon->TabByAccessKey(L'h'));
  EXPECT_EQ(nullptr, f.ribbon->TabByAccessKey(L'x'));
  EXPECT_EQ(CTKCommandBar::kKeyHandled, f.ribbon->OnHookKeyDown('H', 0));
  EXPECT_EQ(f.home, f.ribbon->CurrentTab());
  EXPECT_TRUE(f.ribbon->IsTrackingMode());
  EXPECT_EQ(2, f.manager.GetKeyboardTipLevel());
  ASSERT_EQ(1u, f.manager.GetKeyboardTips().size());
  EXPECT_EQ(L"N", f.manager.GetKeyboardTips()[0]->GetTipText());
  f.manager.HideKeyboardTips();
  // Alt shows the first level; a tab's tip selects the tab and goes one level down.
  f.view->SetKeyTipText(L"W");
  EXPECT_EQ(CTKCommandBar::kKeyHandled, f.ribbon->OnHookKeyDown(VK_MENU, 0));
  EXPECT_EQ(1, f.manager.GetKeyboardTipLevel());
  EXPECT_TRUE(f.manager.FilterKeyboardTips(L'W'));
  EXPECT_EQ(f.view, f.ribbon->CurrentTab());
  EXPECT_EQ(2, f.manager.GetKeyboardTipLevel());
  f.ribbon->SetTrackingMode(0, false, false);
}

// ---------------------------------------------------------------------------------------------
// Saved state

struct SavedRibbon {
  bool below;
  bool minimized;
  int schema;
};

// Saves a ribbon at a schema and restores it by its class.
CTKRibbonBar* RoundTrip(const SavedRibbon& c, std::vector<int>* quick_ids) {
  TKRegisterCommandBarClasses();
  TKRegisterRibbonClasses();
  RibbonFixture f;
  f.AddQuickAccess(2, 30);
  f.ribbon->PlaceQuickAccessBelow(c.below);
  f.ribbon->ChangeMinimizedState(c.minimized);
  CMemFile memory;
  {
    CArchive ar(&memory, CArchive::store);
    CTKPropExchangeArchive px(ar);
    px.SetSchema(c.schema);
    CTKBarLayoutState::Save(&px, std::vector<CTKCommandBar*>{f.ribbon}, &f.manager);
  }
  memory.SeekToBegin();
  CArchive ar(&memory, CArchive::load);
  CTKPropExchangeArchive px(ar);
  std::vector<CTKCommandBar*> bars;
  if (!CTKBarLayoutState::Load(&px, &f.manager, &bars) || bars.size() != 1) return nullptr;
  auto* back = dynamic_cast<CTKRibbonBar*>(bars[0]);
  if (back) {
    for (int i = 0; i < back->QuickAccessControls()->GetCount(); ++i)
      quick_ids->push_back(back->QuickAccessControls()->GetAt(i)->GetID());
    back->SetCommandBarManager(nullptr);
  }
  return back;
}

TEST(RibbonBarState, RoundTripAndMinimizedOnlyFromNewerState) {
  const SavedRibbon cases[] = {{true, true, 20}, {false, true, 19}, {true, true, 18}, {false, false, 20}};
  for (const SavedRibbon& c : cases) {
    SCOPED_TRACE(c.schema);
    std::vector<int> ids;
    CTKRibbonBar* back = RoundTrip(c, &ids);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(c.below, back->IsQuickAccessBelow());
    EXPECT_EQ(c.minimized && c.schema > 18, back->IsMinimized());
    EXPECT_EQ(kRibbonBar, back->GetType());
    EXPECT_EQ((std::vector<int>{700, 701}), ids);
    // The loaded quick-access controls are the bar's too, before its customise button.
    CTKControls* controls = back->GetControls();
    EXPECT_EQ(back->QuickAccessControls()->GetAt(0), controls->GetAt(0));
    EXPECT_EQ(back->QuickAccessControls()->GetAt(1), controls->GetAt(1));
    EXPECT_EQ(back->CustomiseButton(), controls->GetAt(2));
    EXPECT_EQ(back, controls->GetAt(0)->GetParent());
    back->Release();
  }
}

TEST(RibbonBarState, CopyTakesTheSwitchesAndCopiesOfTheQuickAccessControls) {
  RibbonFixture source;
  std::vector<CTKControl*> copies = source.AddQuickAccess(2, 30);
  source.ribbon->PlaceQuickAccessBelow(true);
  source.ribbon->ChangeMinimizedState(true);
  RibbonFixture target;
  target.AddQuickAccess(1, 50);
  target.ribbon->Copy(source.ribbon, true);
  EXPECT_TRUE(target.ribbon->IsQuickAccessBelow());
  EXPECT_TRUE(target.ribbon->IsMinimized());
  EXPECT_EQ(nullptr, target.ribbon->CurrentTab());
  CTKRibbonQuickAccessControls* list = target.ribbon->QuickAccessControls();
  ASSERT_EQ(2, list->GetCount());
  for (int i = 0; i < 2; ++i) {
    EXPECT_NE(copies[static_cast<size_t>(i)], list->GetAt(i));
    EXPECT_EQ(copies[static_cast<size_t>(i)]->GetID(), list->GetAt(i)->GetID());
    EXPECT_EQ(target.ribbon, list->GetAt(i)->GetParent());
  }
  EXPECT_EQ(30, list->GetAt(0)->GetWidth());  // the target's own one is gone from both lists
  EXPECT_EQ(target.ribbon->CustomiseButton(), target.ribbon->GetControls()->GetAt(2));
}

}  // namespace
