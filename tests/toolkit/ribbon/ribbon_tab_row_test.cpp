// The ribbon's tab row as a tab control: selection through the site, cancelling, the popup of
// a minimized ribbon, arrow keys, hidden tabs, the row's room and accessibility.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "toolkit/ribbon/ribbon_control_tab.h"

namespace {

class TestSite : public CTKRibbonTabRowSite {
 public:
  bool IsMinimized() const override { return minimized; }
  void ClosePopups() override { events.push_back("close"); }
  bool TabSelecting(CTKRibbonTab* tab) override {
    events.push_back("selecting " + Name(tab));
    return refuse;
  }
  void ShowGroupsOf(CTKRibbonTab* tab) override { events.push_back("groups " + Name(tab)); }
  void TabSelected(CTKRibbonTab* tab) override { events.push_back("selected " + Name(tab)); }
  void OpenTabPopup() override { events.push_back("popup"); }
  static std::string Name(CTKRibbonTab* tab) {
    return tab ? std::string(tab->Caption().begin(), tab->Caption().end()) : "none";
  }

  bool minimized = false;
  bool refuse = false;
  std::vector<std::string> events;
};

struct Row {
  TestSite site;
  CTKRibbonControlTab* row = new CTKRibbonControlTab(&site);
  Row() {
    row->InsertTab(0, L"Home");
    row->InsertTab(1, L"Insert");
    row->InsertTab(2, L"View");
  }
  ~Row() { row->InternalRelease(); }
};

TEST(RibbonTabRow, SelectsThroughItsSiteInOrder) {
  Row r;
  r.row->SelectItem(r.row->TabAt(1));
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(1));
  EXPECT_EQ(r.site.events, (std::vector<std::string>{"close", "selecting Insert", "groups Insert", "selected Insert"}));
  r.site.events.clear();
  r.row->SelectItem(r.row->TabAt(1));  // already selected
  EXPECT_EQ(r.site.events, (std::vector<std::string>{"close"}));
}

TEST(RibbonTabRow, ASiteThatRefusesKeepsTheOldTab) {
  Row r;
  r.row->SelectItem(r.row->TabAt(0));
  r.site.refuse = true;
  r.row->SelectItem(r.row->TabAt(2));
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(0));
  EXPECT_EQ(r.site.events.back(), "selecting View");
}

TEST(RibbonTabRow, AMinimizedRibbonOpensThePopupOnEachSelection) {
  Row r;
  r.site.minimized = true;
  r.row->SelectItem(r.row->TabAt(0));
  r.row->SelectItem(r.row->TabAt(2));
  EXPECT_EQ(r.site.events, (std::vector<std::string>{"selecting Home", "groups Home", "selected Home", "popup",
                                                     "selecting View", "groups View", "selected View", "popup"}));
}

TEST(RibbonTabRow, ArrowKeysMoveOverVisibleTabs) {
  struct Case {
    int from;  // -1: none selected
    UINT key;
    int to;    // -1: key not used
  };
  const Case cases[] = {{0, VK_RIGHT, 2}, {2, VK_LEFT, 0}, {2, VK_RIGHT, -1}, {0, VK_LEFT, -1},
                        {-1, VK_RIGHT, 0}, {-1, VK_LEFT, 2}, {0, VK_UP, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " " << c.key);
    Row r;
    r.row->TabAt(1)->Show(false);
    if (c.from >= 0) r.row->SelectItem(r.row->TabAt(c.from));
    EXPECT_EQ(r.row->HandleArrowKey(c.key), c.to >= 0);
    EXPECT_EQ(r.row->SelectedTab(), c.to >= 0 ? r.row->TabAt(c.to) : (c.from >= 0 ? r.row->TabAt(c.from) : nullptr));
  }
}

TEST(RibbonTabRow, HidingTheSelectedTabSelectsTheFirstVisibleOne) {
  Row r;
  r.row->TabAt(0)->Show(false);
  r.row->SelectItem(r.row->TabAt(2));
  r.row->TabAt(2)->Show(false);
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(1));
  r.row->TabAt(0)->Show(true);
  r.row->TabAt(0)->Show(false);  // not the selected one: the selection stays
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(1));
}

TEST(RibbonTabRow, FocusingWithoutASelectionSelectsTheFirstVisibleTab) {
  Row r;
  r.row->TabAt(0)->Show(false);
  r.row->ChangeTabRowFocus(true);
  EXPECT_TRUE(r.row->IsFocused());
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(1));
  // Selecting while the row holds the keyboard leaves open popups alone.
  r.site.events.clear();
  r.row->SelectItem(r.row->TabAt(2));
  EXPECT_EQ(r.site.events.front(), "selecting View");
}

TEST(RibbonTabRow, TooLittleRoomLeavesTheRowEmpty) {
  struct Case {
    RECT rect;
    bool empty;
  };
  const Case cases[] = {{{10, 0, 16, 23}, false}, {{10, 0, 15, 23}, true}, {{10, 0, 4, 23}, true}};
  for (const Case& c : cases) {
    Row r;
    r.row->LayoutRow(nullptr, c.rect);
    EXPECT_EQ(r.row->GetRect().IsRectEmpty(), c.empty) << c.rect.right;
  }
}

TEST(RibbonTabRow, DescribesItsTabsToAccessibilityClients) {
  Row r;
  r.row->TabAt(0)->SetCaption(L"&Home && Away");
  r.row->TabAt(2)->Show(false);
  r.row->SelectItem(r.row->TabAt(1));
  EXPECT_EQ(r.row->AccessibleChildCount(), 3);
  EXPECT_EQ(r.row->AccessibleName(1), L"Home & Away");
  const DWORD base = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  EXPECT_EQ(r.row->AccessibleState(1), base);
  EXPECT_EQ(r.row->AccessibleState(2), base | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);
  EXPECT_EQ(r.row->AccessibleState(3), base | STATE_SYSTEM_INVISIBLE);
  EXPECT_EQ(r.row->AccessibleState(4), 0u);
  EXPECT_TRUE(r.row->AccessibleDoDefaultAction(1));
  EXPECT_EQ(r.row->SelectedTab(), r.row->TabAt(0));
  EXPECT_FALSE(r.row->AccessibleDoDefaultAction(0));
}

}  // namespace
