// Lists that fill themselves each time their bar is laid out (document windows, tool bars,
// recent files, an object's verbs, tab-group commands), numbered captions and the tab-group
// commands' enable test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/appframe/ole_item.h"
#include "platform/appframe/recent_file_list.h"
#include "test_bars.h"
#include "toolkit/commandbars/special_controls.h"

using namespace TKCommandBars;

namespace {

struct CaptionCase {
  const wchar_t* text;
  int number;
  const wchar_t* caption;
};
class NumberedCaption : public ::testing::TestWithParam<CaptionCase> {};
TEST_P(NumberedCaption, DoublesAmpersandsAndNumbers) {
  EXPECT_EQ(GetParam().caption, FormatNumberedMenuCaption(GetParam().text, GetParam().number));
}
INSTANTIATE_TEST_SUITE_P(Table, NumberedCaption,
                         ::testing::Values(CaptionCase{L"R&D", 3, L"&3 R&&D"}, CaptionCase{L"R&D", 10, L"1&0 R&&D"},
                                           CaptionCase{L"R&D", 12, L"12 R&&D"}, CaptionCase{L"R&D", 0, L"R&D"},
                                           CaptionCase{L"a&&b", 1, L"&1 a&&&&b"}, CaptionCase{L"", 9, L"&9 "}));

struct GroupCase {
  CTKTabGroupState state;
  bool previous, next, horizontal, vertical;
};
class TabGroupCommands : public ::testing::TestWithParam<GroupCase> {};
TEST_P(TabGroupCommands, AreEnabledAsTheGroupsAllow) {
  const GroupCase& c = GetParam();
  EXPECT_EQ(c.previous, TKIsTabGroupCommandEnabled(kTabGroupPrevious, c.state));
  EXPECT_EQ(c.next, TKIsTabGroupCommandEnabled(kTabGroupNext, c.state));
  EXPECT_EQ(c.horizontal, TKIsTabGroupCommandEnabled(kTabGroupNewHorizontal, c.state));
  EXPECT_EQ(c.vertical, TKIsTabGroupCommandEnabled(kTabGroupNewVertical, c.state));
  EXPECT_TRUE(TKIsTabGroupCommandEnabled(100, c.state));
}
INSTANTIATE_TEST_SUITE_P(
    Table, TabGroupCommands,
    ::testing::Values(
        // Nothing without an active workspace, an active child or its group.
        GroupCase{{false, true, 0, 2, 3, false}, false, false, false, false},
        GroupCase{{true, false, 0, 2, 3, false}, false, false, false, false},
        GroupCase{{true, true, -1, 2, 3, false}, false, false, false, false},
        // One group of one tab: nothing to move or split.
        GroupCase{{true, true, 0, 1, 1, false}, false, false, false, false},
        GroupCase{{true, true, 0, 1, 2, false}, false, false, true, true},
        GroupCase{{true, true, 0, 2, 2, true}, false, true, true, false},
        GroupCase{{true, true, 1, 2, 2, false}, true, false, false, true},
        GroupCase{{true, true, 1, 3, 1, false}, true, true, false, false}));

// A frame window with an MDI client and document windows of ids 0xFF00 onwards.
struct MdiSite {
  explicit MdiSite(int documents, int hidden = -1) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &::DefMDIChildProcW;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKTestDocument";
      ::RegisterClassW(&wc);
      registered = true;
    }
    CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
    client = ::CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 40, 600, 250,
                               site.hwnd, nullptr, ::GetModuleHandleW(nullptr), &ccs);
    for (int i = 0; i < documents; ++i) {
      std::wstring title = L"Doc&" + std::to_wstring(i + 1);
      MDICREATESTRUCTW mcs{L"TKTestDocument", title.c_str(), ::GetModuleHandleW(nullptr), 0, 0, 200, 100,
                           i == hidden ? 0u : static_cast<DWORD>(WS_VISIBLE), 0};
      children.push_back(reinterpret_cast<HWND>(::SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs))));
      if (i == hidden) ::ShowWindow(children.back(), SW_HIDE);
    }
  }
  SiteWindow site;
  HWND client = nullptr;
  std::vector<HWND> children;
};

// A bar on `site` holding one button and the placeholder, laid out.
struct ListBar {
  ListBar(HWND site, CTKControl* placeholder) {
    manager.SetSite(site);
    bar = new TestBar;
    bar->SetCommandBarManager(&manager);
    bar->GetControls()->Add(kButton, 100)->SetCaption(L"First");
    bar->GetControls()->Add(placeholder, placeholder->GetID());
    placeholder->Release();
    this->placeholder = placeholder;
    placeholder->SetBeginGroup(true);
    bar->Create(site, WS_CHILD | WS_VISIBLE, RECT{0, 0, 600, 30});
  }
  ~ListBar() {
    bar->DestroyWindow();
    bar->Release();
    DrainMessages();
  }
  void Layout() { bar->CalcSize(600, 0); }
  // The captions of the items after the placeholder.
  std::vector<std::wstring> Items() const {
    std::vector<std::wstring> captions;
    for (int i = placeholder->GetIndex() + 1; i < bar->GetControlCount(); ++i)
      captions.push_back(bar->GetControl(i)->GetCaption());
    return captions;
  }
  CTKControl* Item(int n) const { return bar->GetControl(placeholder->GetIndex() + 1 + n); }
  bool PlaceholderShown() const { return placeholder->IsVisible(); }
  CTKCommandBarManager manager;
  TestBar* bar;
  CTKControl* placeholder;
};

TEST(WindowList, ListsTheVisibleDocumentWindowsWithTheActiveOneChecked) {
  MdiSite mdi(4, 2);
  ListBar list(mdi.site.hwnd, new CTKControlWindowList);
  list.Layout();
  list.Layout();  // laid out again: the same items, not twice
  ASSERT_EQ((std::vector<std::wstring>{L"&1 Doc&&1", L"&2 Doc&&2", L"&3 Doc&&4"}), list.Items());
  EXPECT_FALSE(list.PlaceholderShown());
  EXPECT_TRUE(list.Item(0)->GetBeginGroup());
  EXPECT_FALSE(list.Item(1)->GetBeginGroup());
  HWND active = reinterpret_cast<HWND>(::SendMessageW(mdi.client, WM_MDIGETACTIVE, 0, 0));
  for (int n = 0; n < 3; ++n) {
    const CTKControl* item = list.Item(n);
    EXPECT_TRUE(item->IsTemporary());
    EXPECT_EQ(CTKControlListPlaceholder::kGeneratedFlags, item->GetFlags() & CTKControlListPlaceholder::kGeneratedFlags);
    EXPECT_EQ(CTKControlWindowList::kHelpId, item->GetHelpId());
    EXPECT_EQ(::GetDlgItem(mdi.client, item->GetID()) == active ? 1 : 0, item->GetChecked());
  }
  // A window closed: the next layout lists the rest.
  ::SendMessageW(mdi.client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(mdi.children[0]), 0);
  list.Layout();
  EXPECT_EQ(2u, list.Items().size());
}

TEST(WindowList, ListsNineOfElevenAndNothingWithoutAnMdiClient) {
  {
    MdiSite mdi(11);
    ListBar list(mdi.site.hwnd, new CTKControlWindowList);
    list.Layout();
    ASSERT_EQ(9u, list.Items().size());
    EXPECT_EQ(L"&9 Doc&&9", list.Items().back());
  }
  SiteWindow plain;
  ListBar list(plain.hwnd, new CTKControlWindowList);
  list.Layout();
  EXPECT_TRUE(list.Items().empty());
  EXPECT_TRUE(list.PlaceholderShown());
}

TEST(WindowList, ShowsNoItemInCustomizeMode) {
  MdiSite mdi(3);
  ListBar list(mdi.site.hwnd, new CTKControlWindowList);
  list.Layout();
  ASSERT_EQ(3u, list.Items().size());
  list.manager.SetCustomizeMode(true);
  list.Layout();
  EXPECT_TRUE(list.Items().empty());
  EXPECT_TRUE(list.PlaceholderShown());
  list.manager.SetCustomizeMode(false);
}

TEST(RecentFileList, ListsTheFilesAndShowsItselfDisabledWhenEmpty) {
  SiteWindow site;
  CRecentFileList files(57616, 4);
  CTKControlRecentFileList* placeholder = new CTKControlRecentFileList;
  placeholder->SetList(&files);
  ListBar list(site.hwnd, placeholder);
  list.Layout();
  EXPECT_TRUE(list.Items().empty());
  EXPECT_TRUE(list.PlaceholderShown());
  EXPECT_FALSE(placeholder->GetEnabled());
  list.manager.SetCustomizeMode(true);
  list.Layout();
  EXPECT_TRUE(placeholder->GetEnabled());
  list.manager.SetCustomizeMode(false);

  wchar_t dir[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, dir);
  files.Add((std::wstring(dir) + L"\\first.txt").c_str());
  files.Add((std::wstring(dir) + L"\\R&D.txt").c_str());
  list.Layout();
  EXPECT_EQ((std::vector<std::wstring>{L"&1 R&&D.txt", L"&2 first.txt"}), list.Items());
  EXPECT_EQ(57616, list.Item(0)->GetID());
  EXPECT_EQ(57617, list.Item(1)->GetID());
  EXPECT_FALSE(list.PlaceholderShown());
  files.Remove(0);
  list.Layout();
  EXPECT_EQ((std::vector<std::wstring>{L"&1 first.txt"}), list.Items());
}

// The tool bars a test offers the list.
std::vector<CTKControlToolbars::Entry> g_toolbars;
std::vector<CTKControlToolbars::Entry> TestToolbars(CTKCommandBarManager*) { return g_toolbars; }

TEST(ToolbarList, ListsTheClosableBarsCheckedWhileShownAndTogglesThem) {
  SiteWindow site;
  TestBar* standard = new TestBar;
  standard->SetTitle(L"Standard & Tools");
  standard->Create(site.hwnd, WS_CHILD | WS_VISIBLE, RECT{0, 40, 300, 70});
  TestBar* hidden = new TestBar;
  hidden->SetTitle(L"Hidden");
  hidden->Create(site.hwnd, WS_CHILD, RECT{0, 80, 300, 110});
  TestBar* fixed = new TestBar;
  fixed->SetTitle(L"Fixed");
  g_toolbars = {{standard, true}, {fixed, false}, {hidden, true}};
  CTKControlToolbars::SetSource(&TestToolbars);
  {
    ListBar list(site.hwnd, new CTKControlToolbars);
    list.Layout();
    EXPECT_EQ((std::vector<std::wstring>{L"Standard && Tools", L"Hidden"}), list.Items());
    EXPECT_EQ(1, list.Item(0)->GetChecked());
    EXPECT_EQ(0, list.Item(1)->GetChecked());
    EXPECT_EQ(L"CTKControlToolbar", list.Item(1)->GetParameter());
    list.Item(1)->OnExecute();
    EXPECT_TRUE(::GetWindowLongPtrW(hidden->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
    list.Layout();
    ASSERT_EQ(2u, list.Items().size());
    EXPECT_EQ(1, list.Item(1)->GetChecked());
  }
  CTKControlToolbars::SetSource(nullptr);
  g_toolbars.clear();
  for (TestBar* bar : {standard, hidden, fixed}) {
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->Release();
  }
}

// An object with two verbs, as the document's selection.
class TwoVerbs : public COleClientItem {
 public:
  std::vector<Verb> GetVerbs() const override { return {{0, CString(L"&Edit"), 0}, {1, CString(L"&Open"), 0}}; }
  CString GetUserTypeName() const override { return CString(L"Sheet"); }
};

class TestOleItems : public CTKControlOleItems {
 public:
  COleClientItem* item = nullptr;

 protected:
  COleClientItem* SelectedItem() const override { return item; }
};

TEST(OleItems, PutsTheSelectedObjectsVerbsInAPopupUnlessItIsActive) {
  SiteWindow site;
  TwoVerbs verbs;
  TestOleItems* placeholder = new TestOleItems;
  placeholder->item = &verbs;
  ListBar list(site.hwnd, placeholder);
  list.Layout();
  ASSERT_EQ(1u, list.Items().size());
  const CTKControl* popup = list.Item(0);
  EXPECT_EQ(kPopupControl, popup->GetType());
  EXPECT_EQ(L"OLEMENUPOPUP", popup->GetParameter());
  ASSERT_NE(nullptr, popup->GetCommandBar());
  ASSERT_EQ(2, popup->GetCommandBar()->GetControlCount());
  EXPECT_EQ(static_cast<int>(CTKControlOleItems::kFirstVerb), popup->GetCommandBar()->GetControl(0)->GetID());
  EXPECT_EQ(L"&Open", popup->GetCommandBar()->GetControl(1)->GetCaption());
  verbs.SetItemState(COleClientItem::activeState);
  list.Layout();
  EXPECT_TRUE(list.Items().empty());
  EXPECT_TRUE(list.PlaceholderShown());
  placeholder->item = nullptr;
}

CTKTabGroupState g_workspace;
bool TestWorkspace(CTKCommandBar*, CTKTabGroupState* state) {
  *state = g_workspace;
  return true;
}

TEST(WorkspaceActions, AddsTheEnabledTabGroupCommandsInTheirOrder) {
  SiteWindow site;
  CTKControlWorkspaceActions::SetSource(&TestWorkspace);
  g_workspace = {true, true, 1, 2, 3, false};
  {
    ListBar list(site.hwnd, new CTKControlWorkspaceActions);
    list.Layout();
    std::vector<int> ids;
    for (size_t n = 0; n < list.Items().size(); ++n) ids.push_back(list.Item(static_cast<int>(n))->GetID());
    EXPECT_EQ((std::vector<int>{kTabGroupNewVertical, kTabGroupPrevious}), ids);
    EXPECT_TRUE(list.Item(0)->GetBeginGroup());
    g_workspace.tabs_in_group = 1;
    list.Layout();
    ASSERT_EQ(1u, list.Items().size());
    EXPECT_EQ(kTabGroupPrevious, list.Item(0)->GetID());
  }
  CTKControlWorkspaceActions::SetSource(nullptr);
}

TEST(SmallControls, AreMadeByTypeAndALabelRunsNothing) {
  BarFixture f(0);
  for (int type : {kLabel, kCheckBox, kRadioButton}) {
    CTKControl* control = f.bar->GetControls()->Add(type, 700 + type);
    ASSERT_NE(nullptr, control) << type;
    EXPECT_EQ(type, control->GetType());
  }
  f.bar->CalcSize(600, 0);
  CTKControl* label = f.bar->GetControl(0);
  EXPECT_EQ(26, label->GetFlags());
  label->OnClick(true);
  EXPECT_TRUE(f.site.commands.empty());
  f.bar->GetControl(1)->OnClick(true);
  EXPECT_EQ((std::vector<int>{700 + kCheckBox}), f.site.commands);
}

}  // namespace

namespace {

// A grid picker on a bar; the left button's state is set in the thread's key state.
struct SelectorFixture : BarFixture {
  SelectorFixture() : BarFixture(0) {
    selector = new CTKControlSelector;
    bar->GetControls()->Add(selector, 800);
    selector->Release();
    selector->SetItemsMax(CSize(7, 6));
    bar->CalcSize(600, 0);
  }
  ~SelectorFixture() { Button(false); }
  static void Button(bool down) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_LBUTTON] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
  }
  CPoint At(int dx, int dy) const { return CPoint(selector->GetRect().left + dx, selector->GetRect().top + dy); }
  void MoveBy(int dx, int dy) { selector->OnMouseMove(At(dx, dy)); }
  int Notices() const { return static_cast<int>(std::count(site.messages.begin(), site.messages.end(), kMsgControlNotify)); }
  CTKControlSelector* selector;
};

}  // namespace

TEST(Selector, ThePointerSelectsTheCellsUpToIt) {
  SelectorFixture f;
  EXPECT_EQ(CSize(5 * 28, 4 * 28), f.selector->GetRect().Size());
  struct Case {
    int dx, dy;
    CSize selection;
  } cases[] = {{1, 1, {1, 1}},   {28, 28, {1, 1}},  {29, 57, {2, 3}},
               {200, 10, {5, 1}},  // beyond the grid without the button: the grid's edge
               {-5, 10, {0, 1}},  {29, 57, {2, 3}}};
  int notices = 0;
  CSize last;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
    f.MoveBy(c.dx, c.dy);
    EXPECT_EQ(c.selection, f.selector->GetSelection());
    if (c.selection != last) ++notices;
    last = c.selection;
    EXPECT_EQ(notices, f.Notices());  // one notice per change
  }
  EXPECT_EQ(CSize(5, 4), f.selector->GetGrid());
  // Going away without the button clears the selection.
  f.selector->SetSelected(0);
  EXPECT_EQ(CSize(0, 0), f.selector->GetSelection());
}

TEST(Selector, HeldBeyondTheGridItGrowsAsFarAsAllowedAndAClickTakesTheSelection) {
  SelectorFixture f;
  SelectorFixture::Button(true);
  f.MoveBy(200, 10);
  EXPECT_EQ(CSize(7, 4), f.selector->GetGrid());  // 8 columns wanted, 7 allowed
  EXPECT_EQ(CSize(7, 1), f.selector->GetSelection());
  f.MoveBy(10, 300);
  EXPECT_EQ(CSize(7, 6), f.selector->GetGrid());
  EXPECT_EQ(CSize(1, 6), f.selector->GetSelection());
  f.MoveBy(60, 100);
  // The bar's layout while growing keeps the grown grid.
  f.bar->CalcSize(600, 0);
  EXPECT_EQ(CSize(7, 6), f.selector->GetGrid());
  EXPECT_EQ(CSize(7 * 28, 6 * 28), f.selector->GetRect().Size());
  SelectorFixture::Button(false);
  f.selector->OnClick(false, f.At(60, 100));
  EXPECT_EQ(CSize(3, 4), f.selector->GetResult());
  EXPECT_EQ(std::vector<int>{800}, f.site.commands);
  // The next layout starts over.
  f.bar->CalcSize(600, 0);
  EXPECT_EQ(CSize(5, 4), f.selector->GetGrid());
  EXPECT_EQ(CSize(0, 0), f.selector->GetSelection());
}

TEST(Selector, NothingSelectedMeansAClickTakesNothing) {
  SelectorFixture f;
  f.selector->OnClick(false, f.At(0, 0));
  EXPECT_EQ(CSize(0, 0), f.selector->GetResult());
  EXPECT_TRUE(f.site.commands.empty());
}
