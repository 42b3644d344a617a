#include "toolkit/commandbars/controls.h"

#include <gtest/gtest.h>

#include "platform/appframe/dc.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/commandbars/test_bars.h"

using namespace TKCommandBars;

namespace {

struct Item {
  int width;
  bool begin_group = false;
  bool hidden = false;
  int flags = 0;
};

struct LayoutCase {
  const char* name;
  std::vector<Item> items;
  int length;
  DWORD flags;
  std::vector<RECT> rects;  // expected control rectangles (empty for hidden ones)
  SIZE size;
  bool wrapped;
};

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

TEST(ControlLayoutTest, RowsWrapAtGroupsSkipHiddenControlsAndPlaceSeparators) {
  const DWORD commit = CTKControls::kLayoutCommit;
  const LayoutCase cases[] = {
      {"one row", {{20}, {20}, {20}}, 100, commit, {{0, 0, 20, 22}, {20, 0, 40, 22}, {40, 0, 60, 22}}, {60, 22}, false},
      {"wrap and shorten to the same rows",
       {{30}, {30}, {30}, {30}, {30}},
       100,
       commit,
       {{0, 0, 30, 22}, {30, 0, 60, 22}, {60, 0, 90, 22}, {0, 22, 30, 44}, {30, 22, 60, 44}},
       {90, 44},
       true},
      {"a row breaks at its group and the rows are a separator apart",
       {{30}, {30}, {30, true}, {30}},
       110,
       commit,
       {{0, 0, 30, 22}, {30, 0, 60, 22}, {0, 28, 30, 50}, {30, 28, 60, 50}},
       {60, 50},
       true},
      {"a group inside a row adds the separator width",
       {{20}, {20, true}},
       100,
       commit,
       {{0, 0, 20, 22}, {26, 0, 46, 22}},
       {46, 22},
       false},
      {"hidden controls take no room", {{20}, {20, false, true}, {20}}, 100, commit, {{0, 0, 20, 22}, {}, {20, 0, 40, 22}}, {40, 22}, false},
      {"what does not fit is hidden",
       {{20}, {20}, {20}},
       50,
       commit | CTKControls::kLayoutWidthLimit | CTKControls::kLayoutHideOverflow,
       {{0, 0, 20, 22}, {20, 0, 40, 22}, {}},
       {40, 22},
       true},
      {"columns run from right to left",
       {{20}, {20}, {20}},
       50,
       commit | CTKControls::kLayoutVertical,
       {{20, 0, 40, 22}, {20, 22, 40, 44}, {0, 0, 20, 22}},
       {40, 44},
       true},
      {"an item flagged to start a row does", {{20}, {20, false, false, kFlagWrapRow}}, 100, commit,
       {{0, 0, 20, 22}, {0, 22, 20, 44}}, {20, 44}, true},
      {"right-aligned controls go to the far end",
       {{20}, {20, false, false, kFlagRightAlign}},
       200,
       commit | CTKControls::kLayoutStretch,
       {{0, 0, 20, 22}, {180, 0, 200, 22}},
       {200, 22},
       false},
      {"stretched controls share the free length",
       {{20}, {20, false, false, kFlagStretch}, {20}},
       100,
       commit | CTKControls::kLayoutStretch,
       {{0, 0, 20, 22}, {20, 0, 80, 22}, {80, 0, 100, 22}},
       {100, 22},
       false},
  };
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    CTKControls controls;
    for (const Item& item : c.items) {
      CTKControl* control = controls.Add(kButton, 0);
      control->SetWidth(item.width);
      control->SetHeight(22);
      control->SetBeginGroup(item.begin_group);
      control->SetVisible(!item.hidden);
      control->SetFlags(item.flags);
    }
    bool wrapped = false;
    CSize size = controls.CalcLayout(&dc, c.length, c.flags, CRect(0, 0, 0, 0), 0, &wrapped);
    EXPECT_EQ(c.size.cx, size.cx);
    EXPECT_EQ(c.size.cy, size.cy);
    EXPECT_EQ(c.wrapped, wrapped);
    for (size_t i = 0; i < c.rects.size(); ++i)
      EXPECT_EQ(Show(c.rects[i]), Show(controls.GetAt(static_cast<int>(i))->GetRect())) << "control " << i;
    if (c.flags & CTKControls::kLayoutHideOverflow) {
      EXPECT_EQ(kHideWrap, controls.GetAt(2)->GetHideFlags());
    }
  }
}

TEST(ControlLayoutTest, ABarWithoutVisibleControlsMeasures23By22PlusBorders) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CTKControls controls;
  controls.Add(kButton, 1)->SetVisible(false);
  CSize size = controls.CalcLayout(&dc, 300, CTKControls::kLayoutCommit, CRect(2, 3, 4, 5), 0);
  EXPECT_EQ(23 + 6, size.cx);
  EXPECT_EQ(22 + 8, size.cy);
}

TEST(ControlCollectionTest, NextNavigableWrapsOnceAndSkipsHiddenAndFlaggedControls) {
  CTKControls controls;
  for (int i = 0; i < 4; ++i) controls.Add(kButton, 10 + i);
  controls.GetAt(1)->SetVisible(false);
  controls.GetAt(3)->SetFlags(kFlagSkipKeyboard);
  struct Case {
    int from, step;
    bool skipFlagged;
    int expected;
  } cases[] = {
      {-1, -1, true, 2},  // from nothing backwards: the last navigable one
      {-1, 1, true, 0},
      {0, 1, true, 2},    // 1 hidden
      {2, 1, true, 0},    // 3 flagged: wraps to the start
      {2, 1, false, 3},
      {0, -1, true, 2},   // wraps backwards
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, controls.GetNext(c.from, c.step, c.skipFlagged)) << c.from << " step " << c.step;
  // A forward search from nothing that runs off the end finds nothing; an empty collection too.
  CTKControls hidden;
  hidden.Add(kButton, 1)->SetVisible(false);
  EXPECT_EQ(-1, hidden.GetNext(-1, 1));
  EXPECT_EQ(-1, CTKControls().GetNext(-1, 1));
  // Alone and navigable, the search comes back to its start.
  CTKControls single;
  single.Add(kButton, 1);
  EXPECT_EQ(0, single.GetNext(0, 1));
}

TEST(ControlCollectionTest, ActionsAreMadeOnlyForPlainCommandIds) {
  CTKCommandBarManager manager;
  manager.EnableActions();
  CTKControls controls(nullptr, &manager);
  for (int id : {0, 9150, 35001, 0xFFFFFFF}) {
    CTKControl* control = controls.Add(kButton, id);
    EXPECT_EQ(nullptr, control->GetAction()) << id;
    EXPECT_EQ(id, control->GetID());
  }
  CTKControl* a = controls.Add(kButton, 500);
  CTKControl* b = controls.Add(kButton, 500);
  ASSERT_NE(nullptr, a->GetAction());
  EXPECT_EQ(a->GetAction(), b->GetAction());
  // Bound controls show the action's caption and state.
  a->GetAction()->SetCaption(L"Save\tCtrl+S");
  EXPECT_EQ(L"Save", b->GetCaption());
  a->SetEnabled(false);
  EXPECT_FALSE(b->GetEnabled());
  manager.SetCustomizeMode(true);
  EXPECT_TRUE(b->GetEnabled());
  manager.SetCustomizeMode(false);
  // Removing detaches: the control leaves the action.
  controls.Remove(b);
  EXPECT_EQ(1u, a->GetAction()->Controls().size());
  EXPECT_EQ(nullptr, manager.GetActions()->Add(0));
  EXPECT_EQ(nullptr, manager.GetActions()->Add(0xFFFFFFF));
}

TEST(ControlTest, CaptionsPromptsStylesAndEquality) {
  CTKControls controls;
  CTKControl* c = controls.Add(kButton, 1);
  c->SetCaption(L"Open\tCtrl+O");
  EXPECT_EQ(L"Open", c->GetCaption());
  EXPECT_EQ(L"Ctrl+O", c->GetShortcutText());
  c->SetPrompt(L"Opens a document\nOpen");
  EXPECT_EQ(L"Open", c->GetTooltip());
  EXPECT_EQ(L"Opens a document", c->GetDescription());
  c->SetPrompt(L"");  // changes nothing
  EXPECT_EQ(L"Open", c->GetTooltip());

  TestBar bar;
  bar.SetDefaultButtonStyle(3);
  CTKControl* styled = bar.GetControls()->Add(kButton, 2);
  EXPECT_EQ(3, styled->GetStyle());
  styled->SetStyle(2);
  EXPECT_EQ(2, styled->GetStyle());
  styled->SetCustomStyle(1);
  EXPECT_EQ(1, styled->GetStyle());

  CTKControl* copy = controls.AddCopy(c);
  EXPECT_TRUE(copy->IsEqual(c));
  copy->SetWidth(40);
  EXPECT_FALSE(copy->IsEqual(c));
  EXPECT_TRUE(controls.IsChanged());
  controls.CreateOriginalControls();
  EXPECT_FALSE(controls.IsChanged());
}

TEST(ControlCollectionTest, Win32MenusBecomeControls) {
  HMENU fonts = ::CreatePopupMenu();
  ::AppendMenuW(fonts, MF_STRING, 4001, L"Bold");
  KestrinWinNS::CScopedMenu menu(::CreatePopupMenu());
  ::AppendMenuW(menu.Get(), MF_STRING | MF_CHECKED, 200, L"&Ruler");
  ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu.Get(), MF_STRING | MF_GRAYED, 201, L"&Grid\tCtrl+G");
  ::AppendMenuW(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(fonts), L"Fonts\t4000");
  ::AppendMenuW(menu.Get(), MF_STRING, 0xFF00, L"skipped");
  TestBar bar;
  ASSERT_TRUE(bar.LoadMenu(menu.Get()));
  ASSERT_EQ(3, bar.GetControlCount());
  CTKControl* ruler = bar.GetControl(0);
  EXPECT_EQ(kButton, ruler->GetType());
  EXPECT_EQ(1, ruler->GetChecked());
  CTKControl* grid = bar.GetControl(1);
  EXPECT_TRUE(grid->GetBeginGroup());
  EXPECT_FALSE(grid->GetEnabled());
  EXPECT_EQ(L"&Grid", grid->GetCaption());
  EXPECT_EQ(L"Ctrl+G", grid->GetShortcutText());
  CTKControl* popup = bar.GetControl(2);
  EXPECT_EQ(kPopupControl, popup->GetType());
  EXPECT_EQ(4000, popup->GetID());
  EXPECT_EQ(L"Fonts", popup->GetCaption());
  ASSERT_NE(nullptr, popup->GetCommandBar());
  EXPECT_EQ(kPopupBar, popup->GetCommandBar()->GetType());
  EXPECT_EQ(4001, popup->GetCommandBar()->GetControl(0)->GetID());
  EXPECT_EQ(popup, bar.GetControls()->FindControl(kPopupControl, -1, true, false));
  EXPECT_EQ(popup->GetCommandBar()->GetControl(0), bar.GetControls()->FindControl(0, 4001, false, true));
  EXPECT_FALSE(bar.LoadMenu(nullptr));
}

}  // namespace
