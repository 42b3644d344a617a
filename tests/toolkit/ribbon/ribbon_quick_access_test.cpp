// The quick-access bar: controls that live in two lists at once, which may join, overflow into
// the more popup, the customise and context menus and the commands they carry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/ribbon/ribbon_test_bar.h"
#include "toolkit/commandbars/gallery.h"

using namespace TKCommandBars;
using namespace TKRibbon;

// A button that counts the live ones (its copies are counted buttons too).
class CountedButton : public CTKControlButton {
  DECLARE_DYNCREATE(CountedButton)

 public:
  CountedButton() { ++live; }
  ~CountedButton() override { --live; }
  static int live;
};
IMPLEMENT_DYNCREATE(CountedButton, CTKControlButton)
int CountedButton::live = 0;

namespace {

// A list that only refers to its controls, as the quick-access list does.
class ReferringList : public CTKControls {
 public:
  ReferringList() : CTKControls(nullptr) {}
  ~ReferringList() override { RemoveAll(); }

 protected:
  bool OwnsControls() const override { return false; }
};

TEST(ControlLists, AListThatRefersToControlsLeavesThemToTheirHome) {
  CountedButton::live = 0;
  {
    CTKCommandBar* bar = new CTKCommandBar;
    ReferringList* list = new ReferringList;
    CTKControl* first = new CountedButton;
    CTKControl* second = new CountedButton;
    bar->GetControls()->InsertAt(new CountedButton, -1)->Release();
    bar->GetControls()->InsertAt(first, -1);
    bar->GetControls()->InsertAt(second, -1);
    list->InsertAt(second, -1);
    list->InsertAt(first, -1);  // numbered 1 in the list, 2 in the bar
    for (CTKControl* c : {first, second}) {
      EXPECT_EQ(bar, c->GetParent());
      EXPECT_EQ(bar->GetControls(), c->GetControls());
    }
    EXPECT_EQ(1, first->GetIndex());
    EXPECT_EQ(2, second->GetIndex());
    // Leaving the list does not take the control from its bar.
    list->Remove(first);
    EXPECT_EQ(bar, first->GetParent());
    EXPECT_EQ(1, first->GetIndex());
    first->Release();
    second->Release();
    bar->Release();
    EXPECT_EQ(1, CountedButton::live);  // the list still holds the second
    list->InternalRelease();
  }
  EXPECT_EQ(0, CountedButton::live);
}

TEST(RibbonQuickAccess, LeavingEitherListLeavesBoth) {
  RibbonFixture f;
  std::vector<CTKControl*> copies = f.AddQuickAccess(3, 30);
  CTKRibbonQuickAccessControls* list = f.ribbon->QuickAccessControls();
  CTKControls* bar = f.ribbon->GetControls();
  ASSERT_EQ(3, list->GetCount());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(copies[static_cast<size_t>(i)], bar->GetAt(i));
    EXPECT_EQ(i, copies[static_cast<size_t>(i)]->GetIndex());
    EXPECT_EQ(f.ribbon, copies[static_cast<size_t>(i)]->GetParent());
  }
  EXPECT_EQ(f.ribbon->CustomiseButton(), bar->GetAt(3));
  copies[0]->AddRef();
  bar->Remove(copies[0]);  // out of the bar: out of the list
  EXPECT_FALSE(list->Contains(copies[0]));
  EXPECT_EQ(nullptr, copies[0]->GetParent());
  copies[0]->Release();
  EXPECT_TRUE(f.ribbon->RemoveFromQuickAccess(copies[1]));  // out of the list: out of the bar
  EXPECT_EQ(nullptr, bar->FindControl(701));
  EXPECT_FALSE(f.ribbon->RemoveFromQuickAccess(f.ribbon->CustomiseButton()));  // not in the list
  EXPECT_EQ(f.ribbon, f.ribbon->CustomiseButton()->GetParent());
  EXPECT_EQ(1, list->GetCount());
  EXPECT_EQ(copies[2], bar->GetAt(0));
  EXPECT_EQ(0, copies[2]->GetIndex());
}

TEST(RibbonQuickAccess, AControlTakenOutOfTheBarLeavesItsGroup) {
  RibbonFixture f;
  auto* controls = static_cast<CTKRibbonControls*>(f.ribbon->GetControls());
  CTKControl* middle = controls->FindControl(502);
  EXPECT_EQ(f.group, f.ribbon->GroupOfControl(middle));
  middle->AddRef();
  controls->Remove(middle);
  EXPECT_EQ(nullptr, f.ribbon->GroupOfControl(middle));
  ASSERT_EQ(2u, f.group->Positions().size());
  EXPECT_EQ(503, f.group->Positions()[1].control->GetID());
  middle->Release();
  f.Layout(800);  // the group lays out what is left
  EXPECT_EQ(controls->FindControl(501)->GetRect().bottom, controls->FindControl(503)->GetRect().top);
}

TEST(RibbonQuickAccess, TheRibbonsOwnPartsAreNotCustomised) {
  RibbonFixture f;
  auto* controls = static_cast<CTKRibbonControls*>(f.ribbon->GetControls());
  CTKControl* collapsed = MakeButton(12, 20);
  f.group->SetCollapsedPopup(collapsed);
  const CTKControl* fixtures[] = {f.ribbon->ControlTab(), f.ribbon->CustomiseButton(), f.ribbon->MoreButton(),
                                  f.ribbon->LeftButton(), f.ribbon->RightButton(), collapsed};
  for (const CTKControl* c : fixtures) EXPECT_TRUE(controls->IsRibbonFixture(c)) << c->GetID();
  EXPECT_FALSE(controls->IsRibbonFixture(controls->FindControl(501)));
  EXPECT_FALSE(controls->IsRibbonFixture(f.AddQuickAccess(1, 20)[0]));
  f.group->SetCollapsedPopup(nullptr);
  collapsed->Release();
}

TEST(RibbonQuickAccess, TheRibbonReleasesEveryControlItHolds) {
  CountedButton::live = 0;
  {
    RibbonFixture f;
    CTKControl* button = new CountedButton;
    button->SetID(42);
    f.ribbon->AddGroupControl(f.group, button);
    button->Release();
    f.ribbon->AddToQuickAccess(button);
    f.ribbon->QuickAccessControls()->AddCommand(button);
    EXPECT_EQ(3, CountedButton::live);
  }
  EXPECT_EQ(0, CountedButton::live);
}

TEST(RibbonQuickAccess, WhoMayJoin) {
  RibbonFixture f;
  CTKControl* plain = f.ribbon->GetControls()->FindControl(501);
  CTKControl* own = MakeButton(10, 20);
  own->SetFlags(kFlagNoQuickAccess);
  CTKControl* collapsed = MakeButton(11, 20);
  collapsed->SetFlags(kFlagNoQuickAccess);
  f.group->SetCollapsedPopup(collapsed);
  CTKControl* unnamed = MakeButton(0, 20);
  CTKRibbonGroup* second = new ColumnGroup;
  f.ribbon->AddGroup(f.home, second);
  second->SetCollapsedPopup(unnamed);
  struct Case {
    const char* name;
    const CTKControl* control;
    bool joins;
  };
  const Case before[] = {{"none", nullptr, false},
                         {"plain", plain, true},
                         {"own", own, false},
                         {"collapsed group with an id", collapsed, true},
                         {"collapsed group without one", unnamed, false},
                         {"scroll button", f.ribbon->LeftButton(), false},
                         {"customise button", f.ribbon->CustomiseButton(), false}};
  for (const Case& c : before) EXPECT_EQ(c.joins, f.ribbon->CanJoinQuickAccess(c.control)) << c.name;
  ASSERT_NE(nullptr, f.ribbon->AddToQuickAccess(plain));
  EXPECT_FALSE(f.ribbon->CanJoinQuickAccess(plain));  // held already, matched by id and type
  f.ribbon->AllowQuickAccessDuplicates(true);
  EXPECT_TRUE(f.ribbon->CanJoinQuickAccess(plain));
  f.group->SetCollapsedPopup(nullptr);
  second->SetCollapsedPopup(nullptr);
  own->Release();
  collapsed->Release();
  unnamed->Release();
}

TEST(RibbonQuickAccess, ACopyOfAControlOfAnotherTabIsShown) {
  RibbonFixture f;
  f.ribbon->SelectTabByIndex(1);
  CTKControl* hidden = f.ribbon->GetControls()->FindControl(501);
  ASSERT_FALSE(hidden->IsVisible());
  CTKControl* copy = f.ribbon->AddToQuickAccess(hidden);
  f.Layout(800);
  EXPECT_TRUE(copy->IsVisible());
  EXPECT_NE(hidden, copy);
  EXPECT_FALSE(hidden->IsVisible());  // the group's own stays with its tab
}

// A gallery in the quick-access bar is a button that opens its items: its copy there (and the
// copies made of that copy) leave the in-place form, the original keeps it, and the bar stays
// as high as its buttons.
TEST(RibbonQuickAccess, AGalleryJoinsAsAButtonThatOpensItsItems) {
  RibbonFixture f;
  const int plain_height = f.ribbon->QuickAccessHeight();
  auto* gallery = new CTKControlGallery;
  gallery->SetID(760);
  auto* copy = dynamic_cast<CTKControlGallery*>(f.ribbon->AddToQuickAccess(gallery));
  ASSERT_NE(nullptr, copy);
  f.Layout(800);
  EXPECT_EQ(CTKControlGallery::kModePopupButton, copy->GetGalleryMode());
  EXPECT_FALSE(copy->IsInPlace());
  EXPECT_FALSE(copy->DrawsOwnFace());
  EXPECT_EQ(CTKControlGallery::kModeInPlace, gallery->GetGalleryMode());
  EXPECT_TRUE(gallery->IsInPlace());
  EXPECT_TRUE(copy->IsVisible());
  EXPECT_LT(copy->GetRect().Height(), gallery->GetHeight());
  EXPECT_EQ(plain_height, f.ribbon->QuickAccessHeight());
  CTKControl* again = copy->Clone(true);
  EXPECT_EQ(CTKControlGallery::kModePopupButton, static_cast<CTKControlGallery*>(again)->GetGalleryMode());
  again->Release();
  gallery->Release();
}

// Overflow, for every number of controls up to more than fit: the controls up to the first
// that passes the limit show, that one and all after it hide, the more button then shows, and
// the customise button always does.
TEST(RibbonQuickAccess, OverflowHidesFromTheFirstControlThatPassesTheLimit) {
  for (bool below : {false, true}) {
    for (int count = 0; count <= 14; ++count) {
      SCOPED_TRACE(std::to_string(count) + (below ? " below" : " above"));
      RibbonFixture f(400, 600);
      std::vector<CTKControl*> copies = f.AddQuickAccess(count, 40);
      f.ribbon->PlaceQuickAccessBelow(below);
      f.Layout(400);
      const int limit = below ? 400 - 15 : 400 - 3 * f.ribbon->CaptionHeight();
      int x = below ? 2 : f.ribbon->QuickAccessRect().left;
      bool overflow = false;
      for (CTKControl* copy : copies) {
        if (!overflow && x + 40 > limit) overflow = true;
        EXPECT_EQ(!overflow, copy->IsVisible()) << copy->GetID();
        if (!overflow) {
          EXPECT_EQ(x, copy->GetRect().left);
          EXPECT_LE(copy->GetRect().right, limit);
        }
        x += 40;
      }
      EXPECT_EQ(overflow, f.ribbon->MoreButton()->IsVisible());
      EXPECT_TRUE(f.ribbon->CustomiseButton()->IsVisible());
      // The more popup lists exactly the hidden ones, then the customise button.
      CTKPopupBar* more = f.ribbon->BuildMorePopup();
      std::vector<int> expected, listed;
      for (CTKControl* copy : copies)
        if (!copy->IsVisible()) expected.push_back(copy->GetID());
      expected.push_back(kCustomiseButtonId);
      for (int i = 0; i < more->GetControlCount(); ++i) {
        listed.push_back(more->GetControl(i)->GetID());
        EXPECT_TRUE(more->GetControl(i)->IsVisible());
      }
      EXPECT_EQ(expected, listed);
      more->Release();
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Menus and commands

std::vector<int> VisibleIds(CTKPopupBar* popup) {
  std::vector<int> ids;
  for (int i = 0; i < popup->GetControlCount(); ++i) {
    const CTKControl* c = popup->GetControl(i);
    if (c->IsVisible() && c->GetID() != 59392) ids.push_back(c->GetID());
  }
  return ids;
}

TEST(RibbonCustomiseMenu, TheContextMenuOffersWhatFitsTheControl) {
  RibbonFixture f;
  CTKControl* plain = f.ribbon->GetControls()->FindControl(501);
  CTKControl* copy = f.AddQuickAccess(1, 30)[0];
  struct Case {
    const char* name;
    CTKControl* control;
    bool below;
    bool minimized;
    bool allow_minimize;
    std::vector<int> ids;
  };
  const Case cases[] = {
      {"group control", plain, false, false, true, {kAddToQuickAccess, kCustomiseQuickAccess, kToggleMinimized}},
      {"quick-access control",
       copy,
       false,
       false,
       true,
       {kRemoveFromQuickAccess, kCustomiseQuickAccess, kQuickAccessBelow, kToggleMinimized}},
      {"below", copy, true, false, false, {kRemoveFromQuickAccess, kCustomiseQuickAccess, kQuickAccessAbove}},
      {"own control", f.ribbon->MoreButton(), false, true, true, {kCustomiseQuickAccess, kQuickAccessBelow, kToggleMinimized}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.ribbon->PlaceQuickAccessBelow(c.below);
    f.ribbon->ChangeMinimizedState(c.minimized);
    f.ribbon->AllowMinimize(c.allow_minimize);
    f.site.built_popups.clear();
    CTKPopupBar* popup = f.ribbon->BuildCustomisePopup(c.control);
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(c.ids, VisibleIds(popup));
    // The tool-bar list stands third; the entries are menu entries; the site may change it.
    EXPECT_EQ(59392, popup->GetControl(2)->GetID());
    for (int i = 0; i < popup->GetControlCount(); ++i) {
      if (popup->GetControl(i)->GetID() != 59392) {
        EXPECT_TRUE(popup->GetControl(i)->GetFlags() & kFlagMenuEntry);
      }
    }
    CTKControl* minimize = popup->GetControls()->FindControl(kToggleMinimized);
    ASSERT_NE(nullptr, minimize);
    EXPECT_EQ(c.minimized ? 1 : 0, minimize->GetChecked());
    EXPECT_EQ(std::vector<CTKPopupBar*>{popup}, f.site.built_popups);
    popup->Release();
  }
}

TEST(RibbonCustomiseMenu, TheCustomiseMenuListsTheCommandsCheckedWhenHeld) {
  RibbonFixture f;
  CTKRibbonQuickAccessControls* list = f.ribbon->QuickAccessControls();
  CTKControl* save = MakeButton(61, 20);
  CTKControl* undo = MakeButton(62, 20);
  list->AddCommand(save);
  list->AddCommand(undo);
  f.ribbon->AddToQuickAccess(undo);
  CTKPopupBar* popup = f.ribbon->BuildCustomisePopup(f.ribbon->CustomiseButton());
  ASSERT_NE(nullptr, popup);
  // The tool-bar list first; the commands in the placeholder's place; the group entry gone,
  // the entry after it beginning a group.
  ASSERT_EQ(7, popup->GetControlCount());
  EXPECT_EQ(59392, popup->GetControl(0)->GetID());
  auto* first = dynamic_cast<CTKRibbonBar::CControlQuickAccessCommand*>(popup->GetControl(1));
  auto* second = dynamic_cast<CTKRibbonBar::CControlQuickAccessCommand*>(popup->GetControl(2));
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(61, first->GetID());
  EXPECT_EQ(0, first->GetChecked());
  EXPECT_EQ(1, second->GetChecked());
  EXPECT_EQ(kCustomiseQuickAccess, popup->GetControl(3)->GetID());
  EXPECT_TRUE(popup->GetControl(3)->GetBeginGroup());
  EXPECT_EQ(nullptr, popup->GetControls()->FindControl(kBeginGroupEntry));
  // Running the entries adds and removes copies.
  first->OnExecute();
  EXPECT_EQ(1, first->GetChecked());
  ASSERT_NE(nullptr, first->CopyInBar());
  EXPECT_EQ(2, list->GetCount());
  second->OnExecute();
  EXPECT_EQ(0, second->GetChecked());
  EXPECT_EQ(1, list->GetCount());
  EXPECT_EQ(61, list->GetAt(0)->GetID());
  popup->Release();
  save->Release();
  undo->Release();
}

TEST(RibbonCustomiseMenu, WithTheQuickAccessBarHiddenTheBarsOwnMenuIsUsed) {
  RibbonFixture f;
  f.ribbon->SetQuickAccessVisible(false);
  CTKPopupBar* popup = f.ribbon->BuildCustomisePopup(f.ribbon->GetControls()->FindControl(501));
  ASSERT_NE(nullptr, popup);
  ASSERT_EQ(1, popup->GetControlCount());
  EXPECT_EQ(59392, popup->GetControl(0)->GetID());
  EXPECT_EQ(1u, f.site.built_popups.size());
  popup->Release();
}

// The entries' commands reach the ribbon through the site, as a popup's controls send them.
TEST(RibbonCommands, TheSitesMessagesRunTheRibbonsCommands) {
  RibbonFixture f(800, 600, true);
  CTKControl* plain = f.ribbon->GetControls()->FindControl(501);
  auto send = [&](int id, CTKControl* entry) {
    NMTKCONTROL record{};
    record.hdr.idFrom = static_cast<UINT_PTR>(id);
    record.hdr.code = static_cast<UINT>(kNotifyExecute);
    record.control = entry;
    return ::SendMessageW(f.site.hwnd, kMsgControlNotify, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&record));
  };
  CTKPopupBar* menu = f.ribbon->BuildCustomisePopup(plain);
  CTKControl* add = menu->GetControls()->FindControl(kAddToQuickAccess);
  EXPECT_EQ(1, send(kAddToQuickAccess, add));
  ASSERT_EQ(1, f.ribbon->QuickAccessControls()->GetCount());
  CTKControl* copy = f.ribbon->QuickAccessControls()->GetAt(0);
  EXPECT_EQ(501, copy->GetID());
  // An entry of an older menu acts on nothing.
  CTKPopupBar* newer = f.ribbon->BuildCustomisePopup(copy);
  EXPECT_EQ(1, send(kAddToQuickAccess, add));
  EXPECT_EQ(1, f.ribbon->QuickAccessControls()->GetCount());
  EXPECT_EQ(1, send(kRemoveFromQuickAccess, newer->GetControls()->FindControl(kRemoveFromQuickAccess)));
  EXPECT_EQ(0, f.ribbon->QuickAccessControls()->GetCount());
  ::SendMessageW(f.site.hwnd, WM_COMMAND, kQuickAccessBelow, 0);
  EXPECT_TRUE(f.ribbon->IsQuickAccessBelow());
  ::SendMessageW(f.site.hwnd, WM_COMMAND, kQuickAccessAbove, 0);
  EXPECT_FALSE(f.ribbon->IsQuickAccessBelow());
  EXPECT_EQ(1, send(kToggleMinimized, nullptr));
  EXPECT_TRUE(f.ribbon->IsMinimized());
  // Customise goes on to the site: as the notification, then as a command.
  f.site.notify_ids.clear();
  f.site.commands.clear();
  EXPECT_EQ(1, send(kCustomiseQuickAccess, nullptr));
  EXPECT_EQ((std::vector<int>{kCustomiseQuickAccess}), f.site.notify_ids);
  EXPECT_EQ((std::vector<int>{kCustomiseQuickAccess}), f.site.commands);
  // Other ids are the site's.
  f.site.commands.clear();
  ::SendMessageW(f.site.hwnd, WM_COMMAND, 4000, 0);
  EXPECT_EQ((std::vector<int>{4000}), f.site.commands);
  menu->Release();
  newer->Release();
}

}  // namespace

namespace {

// The two buttons at the end of the bar open fresh popups each time.
TEST(RibbonQuickAccess, TheMoreAndCustomiseButtonsOpenFreshPopups) {
  RibbonFixture f(400, 600, true);
  std::vector<CTKControl*> copies = f.AddQuickAccess(12, 40);
  f.Layout(400);
  CTKControl* more = f.ribbon->MoreButton();
  CTKControl* customise = f.ribbon->CustomiseButton();
  ASSERT_TRUE(more->IsVisible());
  f.ribbon->SetTrackingMode(1, false, false);
  ASSERT_TRUE(f.ribbon->SetPopupOpen(more->GetIndex(), false));
  auto* popup = dynamic_cast<CTKRibbonBar::CMorePopupToolBar*>(more->GetCommandBar());
  ASSERT_NE(nullptr, popup);
  EXPECT_TRUE(popup->IsBarVisible());
  EXPECT_EQ(f.ribbon, popup->Ribbon());
  EXPECT_EQ(kCustomiseButtonId, popup->GetControl(popup->GetControlCount() - 1)->GetID());
  f.ribbon->SetPopupOpen(-1, false);
  EXPECT_FALSE(popup->IsBarVisible());

  ASSERT_TRUE(f.ribbon->SetPopupOpen(customise->GetIndex(), false));
  CTKCommandBar* first = customise->GetCommandBar();
  ASSERT_NE(nullptr, first);
  first->AddRef();  // kept alive, so a new popup cannot take its address
  EXPECT_NE(nullptr, first->GetControls()->FindControl(kCustomiseQuickAccess));
  f.ribbon->SetPopupOpen(-1, false);
  ASSERT_TRUE(f.ribbon->SetPopupOpen(customise->GetIndex(), false));
  EXPECT_NE(first, customise->GetCommandBar());
  f.ribbon->SetPopupOpen(-1, false);
  first->Release();
  f.ribbon->SetTrackingMode(0, false, false);
}

}  // namespace
