// The tab model: editing, selection, the keyboard, hit testing, tooltips and item colours.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/tabs/tab_test_env.h"

namespace {

struct ModelCase {
  const char* name;
  std::function<BOOL(TestStrip&)> act;  // the key handler's answer, where the case presses one
  const wchar_t* order;
  int selected;
  BOOL key_result;
};

BOOL Key(TestStrip& s, UINT key) { return s.strip.HandleKey(s.hwnd(), key); }

const ModelCase kModelCases[] = {
    {"insert in the middle", [](TestStrip& s) { s.strip.InsertItem(1, L"X"); return TRUE; }, L"AXBCD", -1, TRUE},
    {"insert past the end appends", [](TestStrip& s) { s.strip.InsertItem(99, L"X"); return TRUE; }, L"ABCDX", -1, TRUE},
    {"removing the selection selects the next",
     [](TestStrip& s) { s.strip.SelectIndex(2); s.strip.RemoveItem(2); return TRUE; }, L"ABD", 2, TRUE},
    {"removing the last selected selects the new last",
     [](TestStrip& s) { s.strip.SelectIndex(3); s.strip.RemoveItem(3); return TRUE; }, L"ABC", 2, TRUE},
    {"removing another item keeps the selection",
     [](TestStrip& s) { s.strip.SelectIndex(2); s.strip.RemoveItem(0); return TRUE; }, L"BCD", 1, TRUE},
    {"a moved item keeps its selection",
     [](TestStrip& s) { s.strip.SelectIndex(1); s.strip.MoveItem(1, 3); return TRUE; }, L"ACDB", 3, TRUE},
    {"clearing forgets the selection",
     [](TestStrip& s) { s.strip.SelectIndex(1); s.strip.ClearItems(); return TRUE; }, L"", -1, TRUE},
    {"an index past the end selects the last", [](TestStrip& s) { s.strip.SelectIndex(99); return TRUE; }, L"ABCD", 3, TRUE},
    {"End", [](TestStrip& s) { return Key(s, VK_END); }, L"ABCD", 3, TRUE},
    {"Home", [](TestStrip& s) { s.strip.SelectIndex(2); return Key(s, VK_HOME); }, L"ABCD", 0, TRUE},
    {"Right", [](TestStrip& s) { s.strip.SelectIndex(1); return Key(s, VK_RIGHT); }, L"ABCD", 2, TRUE},
    {"Left", [](TestStrip& s) { s.strip.SelectIndex(1); return Key(s, VK_LEFT); }, L"ABCD", 0, TRUE},
    {"Left at the first item", [](TestStrip& s) { s.strip.SelectIndex(0); return Key(s, VK_LEFT); }, L"ABCD", 0, TRUE},
    {"Right at the last item", [](TestStrip& s) { s.strip.SelectIndex(3); return Key(s, VK_RIGHT); }, L"ABCD", 3, TRUE},
    {"Right with nothing selected", [](TestStrip& s) { return Key(s, VK_RIGHT); }, L"ABCD", -1, TRUE},
    {"Right skips a hidden item",
     [](TestStrip& s) { s.strip.SelectIndex(1); s.Item(2)->Show(false); return Key(s, VK_RIGHT); }, L"ABCD", 3, TRUE},
    {"Right skips a disabled item",
     [](TestStrip& s) { s.strip.SelectIndex(1); s.Item(2)->SetEnabled(false); return Key(s, VK_RIGHT); }, L"ABCD", 3, TRUE},
    {"Home and End pass disabled ends",
     [](TestStrip& s) {
       s.Item(0)->SetEnabled(false);
       s.Item(3)->SetEnabled(false);
       Key(s, VK_HOME);
       EXPECT_EQ(s.strip.SelectedIndex(), 1);
       return Key(s, VK_END);
     },
     L"ABCD", 2, TRUE},
    {"Home with every item disabled selects nothing",
     [](TestStrip& s) {
       for (int i = 0; i < 4; ++i) s.Item(i)->SetEnabled(false);
       EXPECT_TRUE(Key(s, VK_END));
       return Key(s, VK_HOME);
     },
     L"ABCD", -1, TRUE},
    {"Up on a horizontal strip", [](TestStrip& s) { s.strip.SelectIndex(1); return Key(s, VK_UP); }, L"ABCD", 1, TRUE},
    {"Down on a vertical strip",
     [](TestStrip& s) { s.Position(CTKTabPaintManager::kLeft); s.strip.SelectIndex(1); return Key(s, VK_DOWN); }, L"ABCD", 2, TRUE},
    {"Right on a vertical strip",
     [](TestStrip& s) { s.Position(CTKTabPaintManager::kRight); s.strip.SelectIndex(1); return Key(s, VK_RIGHT); }, L"ABCD", 1, TRUE},
    {"Left in a right-to-left window moves on",
     [](TestStrip& s) {
       SetWindowLongW(s.hwnd(), GWL_EXSTYLE, GetWindowLongW(s.hwnd(), GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
       s.strip.SelectIndex(1);
       return Key(s, VK_LEFT);
     },
     L"ABCD", 2, TRUE},
    {"another key is not taken", [](TestStrip& s) { s.strip.SelectIndex(1); return Key(s, 'A'); }, L"ABCD", 1, FALSE},
};

class TabModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(TabModel, EndsWithOrderAndSelection) {
  const ModelCase& c = GetParam();
  TestStrip s(400, 100, 4);
  EXPECT_EQ(c.act(s), c.key_result);
  EXPECT_EQ(s.Order(), c.order);
  EXPECT_EQ(s.strip.SelectedIndex(), c.selected);
  for (int i = 0; i < s.strip.ItemCount(); ++i) EXPECT_EQ(s.Item(i)->Index(), i) << "numbering";
}

INSTANTIATE_TEST_SUITE_P(Cases, TabModel, ::testing::ValuesIn(kModelCases),
                         [](const ::testing::TestParamInfo<ModelCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST(TabModel, KeysOnAnEmptyStripAreNotTaken) {
  TestStrip s(400, 100, 0);
  EXPECT_FALSE(s.strip.HandleKey(s.hwnd(), VK_HOME));
  EXPECT_FALSE(s.strip.HandleKey(s.hwnd(), VK_END));
  s.strip.SelectIndex(3);
  EXPECT_EQ(s.strip.SelectedIndex(), -1);
}

// The parent hears of every change of the selection, once.
class Parent : public CWnd {
 public:
  int changes = 0;
  int closes = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_NOTIFY) {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code == static_cast<UINT>(TCN_SELCHANGE)) ++changes;
      if (header->code == TKTCN_CLOSE) ++closes;
      return 0;
    }
    return CWnd::WindowProc(message, wparam, lparam);
  }
};

TEST(TabModel, ParentIsToldOfSelectionChanges) {
  CTKDrawHelpers::RegisterDefProcClass(L"KestrinTabTestParent", 0, nullptr);
  Parent parent;
  ASSERT_TRUE(parent.CreateEx(0, L"KestrinTabTestParent", L"", WS_POPUP, RECT{0, 0, 400, 100}, nullptr, 0));
  CTKTabControl strip;
  ASSERT_TRUE(strip.Create(parent.m_hWnd, RECT{0, 0, 400, 100}, 7));
  strip.AddItem(L"one");
  strip.AddItem(L"two");
  strip.SelectIndex(1);
  strip.SelectIndex(1);
  strip.SelectIndex(0);
  EXPECT_EQ(parent.changes, 2);
  strip.DestroyWindow();
  parent.DestroyWindow();
}

// Counts the layouts a change of the scroll offset asks for.
class CountingStrip : public CTKTabControl {
 public:
  int layouts = 0;
  void Relayout() override {
    ++layouts;
    CTKTabControl::Relayout();
  }
};

TEST(TabModel, ScrollOffsetIsNeverPositiveAndLaysOutOncePerChange) {
  CountingStrip strip;
  strip.ScrollTo(15);
  EXPECT_EQ(strip.ScrollOffset(), 0);
  EXPECT_EQ(strip.layouts, 0);
  strip.ScrollTo(-40);
  strip.ScrollTo(-40);
  EXPECT_EQ(strip.ScrollOffset(), -40);
  EXPECT_EQ(strip.layouts, 1);
}

TEST(TabModel, HitTestingFindsOnlyUsableItemsInsideTheHeader) {
  TestStrip s(400, 100, 4);
  s.Item(2)->SetEnabled(false);
  s.Item(3)->Show(false);
  // Tabs lie at x 2..52, 52..102, 102..152, and the hidden one has no length at 152.
  struct {
    POINT point;
    int index;
  } const cases[] = {{{10, 10}, 0},   {{51, 22}, 0},  {{52, 10}, 1},   {{120, 10}, -1}, {{152, 10}, -1},
                     {{10, 1}, -1},   {{300, 10}, -1}, {{10, 60}, -1},  {{-5, 10}, -1},  {{500, 10}, -1}};
  for (const auto& c : cases) {
    CTKTabManagerItem* item = s.strip.ItemAt(c.point);
    EXPECT_EQ(item ? item->Index() : -1, c.index) << c.point.x << "," << c.point.y;
  }
  EXPECT_EQ(s.Item(3)->Rect().right - s.Item(3)->Rect().left, 0);
}

TEST(TabModel, TooltipsFollowThePolicy) {
  TestStrip s(400, 100, 3);
  for (int i = 0; i < 3; ++i) s.Item(i)->SetTooltip(L"tip");
  s.Item(2)->SetTooltip(L"");
  TOOLINFOW tool{};
  const POINT first{10, 10}, last{110, 10};
  EXPECT_EQ(s.strip.TipHitTest(s.hwnd(), first, &tool), -1) << "caption not cut";
  s.painter().tooltip_policy = 1;
  EXPECT_EQ(s.strip.TipHitTest(s.hwnd(), first, &tool), 0);
  EXPECT_EQ(tool.uId, 0u);
  EXPECT_TRUE(EqualRect(&tool.rect, &s.Item(0)->Rect()));
  EXPECT_EQ(s.strip.TipHitTest(s.hwnd(), last, &tool), -1) << "empty tip";
  s.painter().tooltip_policy = 0;
  EXPECT_EQ(s.strip.TipHitTest(s.hwnd(), first, &tool), -1);
  // Cut captions: the strip is too short for its tabs.
  s.painter().tooltip_policy = 2;
  SetWindowPos(s.hwnd(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  s.Layout(CTKTabPaintManager::kSizeToFit);
  ASSERT_LT(s.Item(0)->Length(), s.Item(0)->DesiredLength());
  EXPECT_EQ(s.strip.TipHitTest(s.hwnd(), POINT{s.Item(1)->Rect().left + 2, 10}, &tool), 1);
}

TEST(TabModel, ItemColourIndexesMapThroughTheTable) {
  TestStrip s(400, 100, 1);
  struct {
    COLORREF colour, shown;
  } const cases[] = {{0x1000000, 0xE4A88A}, {0x1000003, 0x9F9EF0}, {0x1000007, 0xC0ABD8},
                     {0x1000008, 0x1000008}, {RGB(1, 2, 3), RGB(1, 2, 3)}};
  for (const auto& c : cases) {
    s.Item(0)->SetColour(c.colour);
    EXPECT_EQ(s.strip.ItemColourOf(s.Item(0)), c.shown) << std::hex << c.colour;
  }
}

TEST(TabModel, CloseButtonShowsOnlyForAClosableSelection) {
  TestStrip s(400, 100, 2);
  CTKTabManagerNavigateButton* close = s.strip.NavigateButton(CTKTabManagerNavigateButton::kClose);
  close->SetShowMode(CTKTabManagerNavigateButton::kWhenNeeded);
  s.strip.Relayout();
  EXPECT_TRUE(IsRectEmpty(&close->Rect()));
  s.strip.SelectIndex(0);
  EXPECT_FALSE(IsRectEmpty(&close->Rect()));
  // At the very end of the header, vertically centred.
  EXPECT_EQ(close->Rect().right, 399);
  EXPECT_EQ(close->Rect().right - close->Rect().left, 14);
  EXPECT_EQ(s.strip.HeaderRect().right, 399 - 14);
  s.Item(1)->SetClosable(false);
  s.strip.SelectIndex(1);
  EXPECT_TRUE(IsRectEmpty(&close->Rect()));
}

TEST(TabTooltips, NavigateButtonsCarryTheirTexts) {
  TestStrip s(400, 100, 2);
  struct {
    int id;
    const wchar_t* text;
  } const cases[] = {{CTKTabManagerNavigateButton::kLeft, L"Scroll Left"},
                     {CTKTabManagerNavigateButton::kRight, L"Scroll Right"},
                     {CTKTabManagerNavigateButton::kClose, L"Close"}};
  for (const auto& c : cases) EXPECT_EQ(s.strip.NavigateButton(c.id)->Tooltip(), c.text) << c.id;
}

// A host that words every item's tooltip itself.
class WordingTabs : public CTKTabControl {
 public:
  std::wstring ItemTipOf(const CTKTabManagerItem* item) const override { return L"about " + item->Caption(); }
};

TEST(TabTooltips, ItemToolTakesTheHostsText) {
  WordingTabs tabs;
  tabs.Create(nullptr, RECT{0, 0, 400, 100}, 0, WS_POPUP);
  tabs.AddItem(L"A");
  tabs.TabPainter()->tooltip_policy = 1;
  tabs.Relayout();
  TOOLINFOW tool{};
  EXPECT_EQ(tabs.TipHitTest(tabs.m_hWnd, POINT{10, 10}, &tool), 0);
  ASSERT_NE(tool.lpszText, nullptr);
  EXPECT_STREQ(tool.lpszText, L"about A");
  tabs.DestroyWindow();
}

// Notes a tooltip window owned by the strip of the (strip, found) pair.
BOOL CALLBACK NoteTipWindow(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(lparam);
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && GetWindow(hwnd, GW_OWNER) == search->first) search->second = hwnd;
  return TRUE;
}

// The strip's tooltip window (null before it made one).
HWND TipWindowOf(HWND strip) {
  std::pair<HWND, HWND> search{strip, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), NoteTipWindow, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// The tools of the tooltip window as "text@left,top" each.
std::vector<std::wstring> ShownTools(HWND tip) {
  std::vector<std::wstring> tools;
  const int count = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[80] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.lpszText = text;
    if (!SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool))) continue;
    tools.push_back(std::wstring(text) + L"@" + std::to_wstring(tool.rect.left) + L"," + std::to_wstring(tool.rect.top));
  }
  return tools;
}

TEST(TabTooltips, StripShowsTheToolUnderThePointer) {
  // Eight tabs of 50 on 200 pixels: both arrows shown, the right one enabled, the left one not.
  TestStrip s(200, 100, 8);
  s.painter().tooltip_policy = 1;
  for (int i = 0; i < 8; ++i) s.Item(i)->SetTooltip(L"tab " + std::wstring(1, static_cast<wchar_t>(L'A' + i)));
  const RECT right = s.strip.NavigateButton(CTKTabManagerNavigateButton::kRight)->Rect();
  const RECT left = s.strip.NavigateButton(CTKTabManagerNavigateButton::kLeft)->Rect();
  ASSERT_FALSE(IsRectEmpty(&right));
  auto at = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
  auto spot = [](const RECT& r) { return L"@" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top); };
  struct {
    const char* name;
    POINT point;
    std::vector<std::wstring> tools;
  } const cases[] = {
      {"right arrow", at(right), {L"Scroll Right" + spot(right)}},
      {"disabled left arrow", at(left), {}},
      {"first tab", POINT{10, 10}, {L"tab A" + spot(s.Item(0)->Rect())}},
      {"second tab", POINT{60, 10}, {L"tab B" + spot(s.Item(1)->Rect())}},
      {"below the strip", POINT{100, 80}, {}},
  };
  HWND tip = nullptr;
  for (const auto& c : cases) {
    SendMessageW(s.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(c.point.x, c.point.y));
    tip = TipWindowOf(s.hwnd());
    ASSERT_NE(tip, nullptr) << c.name;
    EXPECT_EQ(ShownTools(tip), c.tools) << c.name;
  }
  s.strip.DestroyWindow();
  EXPECT_FALSE(IsWindow(tip)) << "the tooltip window goes with the strip";
}

}  // namespace

namespace {

// A manager without a window whose items note how many items their manager still lists when
// they are let go.
class CountingManager : public CTKTabManager {
 public:
  class Item : public CTKTabManagerItem {
   public:
    Item(CTKTabManager* manager, std::vector<int>* seen) : CTKTabManagerItem(manager), seen_(seen) {}
    void OnRemoved() override { seen_->push_back(Manager()->ItemCount()); }

   private:
    std::vector<int>* seen_;
  };
  CTKTabPaintManager* TabPainter() const override { return nullptr; }
  void InvalidateStrip(const RECT*, bool) override {}
  void Add(std::vector<int>* seen) {
    Items().push_back(new Item(this, seen));
    RenumberItems();
  }
};

TEST(TabModel, ItemsLetGoAllAtOnceAreNoLongerListed) {
  std::vector<int> seen;
  CountingManager manager;
  for (int i = 0; i < 3; ++i) manager.Add(&seen);
  manager.SelectIndex(1);
  manager.ClearItems();
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(manager.Selected(), nullptr);
  {
    CountingManager going;
    for (int i = 0; i < 2; ++i) going.Add(&seen);
    seen.clear();
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 0}));
}

}  // namespace
