// Layout: the rectangles of the tabs, the header and the page for every layout kind and strip
// position, shrinking, rows, scrolling into view and the navigate buttons' places.
#include <gtest/gtest.h>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/tabs/tab_test_env.h"

namespace {

using PM = CTKTabPaintManager;

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

struct LayoutCase {
  const char* name;
  int layout, position, width, count, length;
  RECT header;                // the header with the navigate buttons taken off
  RECT page;
  std::vector<RECT> items;
  int select = -1;
};

// Property-page tabs (header margin 2, 3, 6, 0), 20 pixels thick, on a control 100 high.
const LayoutCase kLayoutCases[] = {
    {"auto_top", PM::kAutoSize, PM::kTop, 400, 3, 50, {0, 0, 399, 23}, {2, 24, 398, 98},
     {{2, 3, 52, 23}, {52, 3, 102, 23}, {102, 3, 152, 23}}},
    {"auto_bottom", PM::kAutoSize, PM::kBottom, 400, 3, 50, {0, 77, 399, 100}, {2, 2, 398, 76},
     {{2, 77, 52, 97}, {52, 77, 102, 97}, {102, 77, 152, 97}}},
    {"auto_left", PM::kAutoSize, PM::kLeft, 400, 3, 30, {0, 0, 23, 99}, {24, 2, 398, 98},
     {{3, 2, 23, 32}, {3, 32, 23, 62}, {3, 62, 23, 92}}},
    {"auto_right", PM::kAutoSize, PM::kRight, 400, 3, 30, {377, 0, 400, 99}, {2, 2, 376, 98},
     {{377, 2, 397, 32}, {377, 32, 397, 62}, {377, 62, 397, 92}}},
    {"size_to_fit_shrinks", PM::kSizeToFit, PM::kTop, 130, 3, 50, {0, 0, 129, 23}, {2, 24, 128, 98},
     {{2, 3, 42, 23}, {42, 3, 82, 23}, {82, 3, 122, 23}}},
    {"fixed_width", PM::kFixedWidth, PM::kTop, 400, 2, 0, {0, 0, 399, 23}, {2, 24, 398, 98},
     {{2, 3, 72, 23}, {72, 3, 142, 23}}},
    {"rotated_top", PM::kRotated, PM::kTop, 400, 2, 50, {0, 0, 399, 53}, {2, 54, 398, 98},
     {{2, 3, 22, 53}, {22, 3, 42, 53}}},
    {"rotated_bottom", PM::kRotated, PM::kBottom, 400, 2, 50, {0, 47, 399, 100}, {2, 2, 398, 46},
     {{2, 47, 22, 97}, {22, 47, 42, 97}}},
    // Five tabs of 50 in rows of 121: balanced into one, two and two; the selected row moves
    // beside the page, and every row of several is stretched to the full row.
    {"multi_row_top", PM::kMultiRow, PM::kTop, 130, 5, 50, {0, 0, 129, 59}, {2, 60, 128, 98},
     {{2, 3, 123, 23}, {2, 21, 62, 41}, {62, 21, 123, 41}, {2, 39, 62, 59}, {62, 39, 123, 59}}, 3},
    {"multi_row_bottom", PM::kMultiRow, PM::kBottom, 130, 5, 50, {0, 41, 129, 100}, {2, 2, 128, 40},
     {{2, 77, 123, 97}, {2, 59, 62, 79}, {62, 59, 123, 79}, {2, 41, 62, 61}, {62, 41, 123, 61}}, 3},
};

class TabLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TabLayout, PlacesTabsHeaderAndPage) {
  const LayoutCase& c = GetParam();
  TestStrip s(c.width, 100, c.count, c.length);
  if (c.length == 0) s.painter().min_width = s.painter().max_width = 0;
  s.painter().position = c.position;
  s.Layout(c.layout);
  if (c.select >= 0) s.strip.SelectIndex(c.select);
  EXPECT_EQ(Text(s.strip.HeaderRect()), Text(c.header));
  EXPECT_EQ(Text(s.strip.PageRect()), Text(c.page));
  ASSERT_EQ(static_cast<size_t>(s.strip.ItemCount()), c.items.size());
  for (size_t i = 0; i < c.items.size(); ++i)
    EXPECT_EQ(Text(s.Item(static_cast<int>(i))->Rect()), Text(c.items[i])) << "tab " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, TabLayout, ::testing::ValuesIn(kLayoutCases),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(TabLayout, ShrinkingCutsTheLongestFirst) {
  struct {
    std::vector<int> lengths;
    int room;
    std::vector<int> expected;
  } const cases[] = {
      {{80, 60, 40}, 150, {55, 55, 40}},
      {{50, 50, 50}, 100, {33, 33, 33}},
      {{90}, 40, {40}},
      {{30, 20}, 60, {30, 20}},
      {{40, 100, 40}, 120, {40, 40, 40}},
      {{100, 10, 60}, 120, {55, 10, 55}},
  };
  for (const auto& c : cases) {
    std::vector<int> lengths = c.lengths;
    CTKTabPaintManager::ShrinkLengths(lengths, c.room);
    EXPECT_EQ(lengths, c.expected) << "room " << c.room;
  }
}

TEST(TabLayout, FixedLayoutGivesEveryTabSeventyPixels) {
  TestStrip s(600, 100, 3);
  s.painter().min_width = s.painter().max_width = 0;
  s.Layout(PM::kFixedWidth);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.Item(i)->Length(), 70);
}

TEST(TabLayout, CompressedShowsOnlyTheSelectedCaption) {
  TestStrip s(600, 100, 3);
  s.painter().min_width = s.painter().max_width = 0;
  s.Item(0)->SetCaption(L"a long caption");
  s.strip.SelectIndex(1);
  s.Layout(PM::kCompressed);
  EXPECT_EQ(s.Item(0)->Length(), 24);
  EXPECT_EQ(s.Item(2)->Length(), 24);
  EXPECT_GT(s.Item(1)->Length(), 24 + 40) << "as wide as the widest caption";
  s.painter().button_margin = RECT{3, 0, 2, 0};
  s.strip.Relayout();
  EXPECT_EQ(s.Item(0)->Length(), 29);
}

// The width of `text` in `font` as a screen DC measures it, with `char_extra` pixels added
// after every character.
int CaptionWidth(HFONT font, const std::wstring& text, int char_extra = 0) {
  KestrinWinNS::CScopedMemoryDC dc(CreateCompatibleDC(nullptr));
  KestrinWinNS::CSelectObject select(dc.Get(), font);
  SetTextCharacterExtra(dc.Get(), char_extra);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

struct WidthCase {
  const char* name;
  void (*change)(TestStrip& s);  // after a first layout of "Alpha", "&Save", "Gamma", the second selected
  const wchar_t* second;         // what the second caption measures as afterwards
  bool bold_selected;            // the selected caption measures in the bold font
  int char_extra;                // the spacing of the DC that measured last
};

const WidthCase kWidthCases[] = {
    {"a new caption", [](TestStrip& s) { s.Item(1)->SetCaption(L"Quarterly figures"); s.strip.Relayout(); },
     L"Quarterly figures", false, 0},
    {"mnemonics stripped",
     [](TestStrip& s) {
       s.painter().strip_mnemonics = true;
       s.painter().no_prefix = false;
       s.strip.Relayout();
     },
     L"Save", false, 0},
    {"the selected caption bold", [](TestStrip& s) { s.painter().bold_selected = true; s.strip.Relayout(); }, L"&Save",
     true, 0},
    // New fonts may take the handles the old ones let go.
    {"new fonts",
     [](TestStrip& s) {
       LOGFONTW lf{};
       lf.lfHeight = -24;
       s.painter().ApplyLogFont(&lf, false);
       s.painter().bold_selected = true;
       s.strip.Relayout();
     },
     L"&Save", true, 0},
    {"a DC that spaces its characters",
     [](TestStrip& s) {
       Canvas spaced(400, 100);
       SetTextCharacterExtra(spaced.dc(), 3);
       s.strip.PaintInto(spaced.dc(), RECT{0, 0, 400, 100});
     },
     L"&Save", false, 3},
    {"the window's own DC after a spaced one",
     [](TestStrip& s) {
       Canvas spaced(400, 100);
       SetTextCharacterExtra(spaced.dc(), 3);
       s.strip.PaintInto(spaced.dc(), RECT{0, 0, 400, 100});
       s.strip.Relayout();
     },
     L"&Save", false, 0},
};

class TabCaptionWidths : public ::testing::TestWithParam<WidthCase> {};

TEST_P(TabCaptionWidths, FollowTheCaptionTheFontAndTheDevice) {
  const WidthCase& c = GetParam();
  TestStrip s(400, 100, 3);
  s.painter().min_width = s.painter().max_width = 0;
  const wchar_t* const captions[] = {L"Alpha", L"&Save", L"Gamma"};
  for (int i = 0; i < 3; ++i) s.Item(i)->SetCaption(captions[i]);
  s.strip.SelectIndex(1);
  s.strip.Relayout();
  c.change(s);
  const std::wstring shown[] = {L"Alpha", c.second, L"Gamma"};
  for (int i = 0; i < 3; ++i) {
    const HFONT font = c.bold_selected && i == 1 ? s.painter().BoldFont() : s.painter().NormalFont();
    EXPECT_EQ(s.Item(i)->Length(), CaptionWidth(font, shown[i], c.char_extra) + 12) << "tab " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Changes, TabCaptionWidths, ::testing::ValuesIn(kWidthCases),
                         [](const ::testing::TestParamInfo<WidthCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST(TabLayout, ScrollOffsetIsCorrectedToTheItems) {
  // Room for tabs: 399 - 2 - 6 = 391 without navigate buttons, 363 with both arrows.
  struct {
    int count;
    int offset_before;
    int offset_after;
  } const cases[] = {
      {1, -50, 0},         // shorter than the room: no scrolling
      {8, -50, 363 - 400}, // items 37 longer than the room: the end meets the header's end
      {8, -20, -20},       // still within the items
  };
  for (const auto& c : cases) {
    TestStrip s(400, 100, c.count);
    s.strip.ScrollTo(c.offset_before);
    EXPECT_EQ(s.strip.ScrollOffset(), c.offset_after) << c.count << " tabs";
  }
}

TEST(TabLayout, SelectingScrollsTheItemIntoView) {
  TestStrip s(200, 100, 10);
  // The arrows take 28 pixels: the header ends at 199 - 28 = 171.
  ASSERT_EQ(s.strip.HeaderRect().right, 171);
  s.strip.SelectIndex(5);
  EXPECT_EQ(s.Item(5)->Rect().right, 171);
  s.strip.SelectIndex(1);
  EXPECT_EQ(s.Item(1)->Rect().left, 2);
}

TEST(TabLayout, ArrowsShowOnlyWhenTheTabsDoNotFit) {
  using NB = CTKTabManagerNavigateButton;
  struct {
    int layout;
    int count;
    bool shown;
  } const cases[] = {
      {PM::kAutoSize, 3, false}, {PM::kAutoSize, 10, true}, {PM::kSizeToFit, 10, false}, {PM::kMultiRow, 10, false},
  };
  for (const auto& c : cases) {
    TestStrip s(200, 100, c.count);
    s.Layout(c.layout);
    for (int id : {NB::kLeft, NB::kRight})
      EXPECT_EQ(!IsRectEmpty(&s.strip.NavigateButton(id)->Rect()), c.shown) << c.layout << " " << c.count;
  }
  // Always shown, whatever the layout but the rows.
  TestStrip s(400, 100, 1);
  s.strip.NavigateButton(NB::kRight)->SetShowMode(NB::kAlways);
  s.Layout(PM::kSizeToFit);
  const RECT r = s.strip.NavigateButton(NB::kRight)->Rect();
  EXPECT_EQ(Text(r), Text(RECT{385, 3, 399, 18}));
  EXPECT_FALSE(s.strip.NavigateButton(NB::kRight)->IsEnabled());
  s.Position(PM::kLeft);
  EXPECT_EQ(Text(s.strip.NavigateButton(NB::kRight)->Rect()), Text(RECT{4, 84, 18, 99}));
}

TEST(TabLayout, RowsOverlapByTheRowSpacing) {
  TestStrip s(130, 100, 4, 60);
  s.painter().Shape()->header_margin = RECT{0, 0, 0, 0};
  s.Layout(PM::kMultiRow);
  EXPECT_EQ(s.strip.Rows().Count(), 2);
  EXPECT_EQ(s.strip.HeaderRect().bottom - s.strip.HeaderRect().top, 38);
}

TEST(TabLayout, ButtonHeightFollowsTheFont) {
  TestStrip s(400, 100, 1);
  struct {
    LONG height;
    int button;
  } const cases[] = {{13, 18}, {16, 19}, {20, 23}};
  for (const auto& c : cases) {
    LOGFONTW lf{};
    lf.lfHeight = c.height;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    s.painter().ApplyLogFont(&lf, false);
    s.painter().Shape()->ReloadLook();
    EXPECT_EQ(s.painter().Shape()->ButtonHeight(), c.button) << c.height;
  }
}

TEST(TabLayout, SmallVerticalFontsGrowToElevenPixels) {
  CTKTabPaintManager painter;
  struct {
    LONG height, vertical;
  } const cases[] = {{-9, -11}, {-1, -11}, {-12, -12}, {12, 12}};
  for (const auto& c : cases) {
    LOGFONTW lf{};
    lf.lfHeight = c.height;
    painter.ApplyLogFont(&lf, false);
    LOGFONTW out{};
    GetObjectW(painter.VerticalFont(), sizeof(out), &out);
    EXPECT_EQ(out.lfHeight, c.vertical);
    EXPECT_EQ(out.lfEscapement, 2700);
    GetObjectW(painter.NormalFont(), sizeof(out), &out);
    EXPECT_EQ(out.lfHeight, c.height);
  }
}

TEST(TabLayout, AppearanceNumbersInstallTheirColourSets) {
  CTKTabPaintManager painter;
  struct {
    int shape, installed, colours;
  } const cases[] = {{3, 3, 4}, {0, 0, 1}, {9, 9, 4}, {5, 5, 2}, {8, 8, 1}, {10, 0, 1}, {-1, 0, 1}};
  for (const auto& c : cases) {
    painter.ChooseShapeSet(c.shape);
    EXPECT_EQ(painter.ShapeNumber(), c.installed) << c.shape;
    EXPECT_EQ(painter.ColourNumber(), c.colours) << c.shape;
  }
}

TEST(TabLayout, VisioStacksTheTabsAfterTheSelectedAtTheBottom) {
  TestStrip s(200, 200, 5);
  s.Shape(PM::kVisio);
  s.strip.SelectIndex(0);
  EXPECT_EQ(Text(s.Item(0)->Rect()), Text(RECT{0, 0, 200, 20}));
  for (int i = 1; i < 5; ++i) EXPECT_EQ(Text(s.Item(i)->Rect()), Text(RECT{0, 200 - (5 - i) * 20, 200, 220 - (5 - i) * 20}));
  EXPECT_EQ(Text(s.strip.PageRect()), Text(RECT{1, 21, 199, 120}));
  s.strip.SelectIndex(4);
  EXPECT_EQ(s.Item(4)->Rect().top, 80);
  EXPECT_EQ(Text(s.strip.PageRect()), Text(RECT{1, 101, 199, 199}));
}

}  // namespace
