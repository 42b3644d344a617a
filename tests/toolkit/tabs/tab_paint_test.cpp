// Drawing: each appearance set and each colour set read back by pixels at chosen points.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/tabs/tab_test_env.h"
#include "toolkit/drawing/office2007_image_set.h"

namespace {

using PM = CTKTabPaintManager;
using Colours = PM::CColorSet;

const COLORREF kRed = RGB(200, 0, 0), kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 200), kYellow = RGB(220, 220, 0),
               kGrey = RGB(90, 90, 90);

// Three tabs of 60 on a 300 x 100 control, the middle one selected, with the set's faces made
// unmistakable (custom colours win over every rule of the set).
struct Painted {
  explicit Painted(int shape, int colour_set = 0) : s(300, 100, 3, 60), canvas(300, 100, RGB(255, 0, 255)) {
    s.Shape(shape);
    if (colour_set) s.painter().ChooseColourSet(colour_set);
    s.strip.SelectIndex(1);
  }
  void MarkFaces() {
    Colours* c = s.painter().Colours();
    c->selected_face.SetCustomValue(kRed);
    c->normal_face.SetCustomValue(kGreen);
    c->header_face.light.SetCustomValue(kBlue);
    c->header_face.dark.SetCustomValue(kBlue);
    c->selected_button_face.light.SetCustomValue(kYellow);
    c->selected_button_face.dark.SetCustomValue(kYellow);
    c->control_face.SetCustomValue(kGrey);
  }
  void Paint() { s.strip.PaintInto(canvas.dc(), RECT{0, 0, 300, 100}); }
  COLORREF At(POINT p) const { return canvas.At(p.x, p.y); }
  const RECT& Tab(int i) { return s.Item(i)->Rect(); }
  Colours* colours() { return s.painter().Colours(); }

  TestStrip s;
  Canvas canvas;
};

using PointOf = POINT (*)(const RECT& tab);
using MemberOf = COLORREF (*)(Colours* c);

POINT NearInnerEnd(const RECT& r) { return POINT{r.right - 10, r.bottom - 2}; }
POINT NearBarStart(const RECT& r) { return POINT{r.left + 20, r.bottom - 4}; }

struct ShapeCase {
  const char* name;
  int shape;
  PointOf face;           // a point of the selected and of the third tab's face
  COLORREF selected;
  COLORREF other;         // what the third tab shows there
  COLORREF header;        // the header past the last tab (0xFFFFFFFF: there is none)
  COLORREF page;
  PointOf outline;        // a point of the selected tab's outline
  MemberOf outline_colour;
};

const ShapeCase kShapeCases[] = {
    {"property_page", PM::kPropertyPage, NearInnerEnd, kRed, kGreen, kBlue, kRed,
     [](const RECT& r) { return POINT{r.left - 2, r.top + 8}; }, [](Colours* c) { return c->tab_highlight.Color(); }},
    {"property_page_selected", PM::kPropertyPageSelected, NearInnerEnd, kRed, kBlue, kBlue, kRed,
     [](const RECT& r) { return POINT{r.right + 1, r.top + 8}; }, [](Colours* c) { return c->tab_dark_shadow.Color(); }},
    {"property_page_flat", PM::kPropertyPageFlat, NearInnerEnd, kRed, kGreen, kBlue, kRed,
     [](const RECT& r) { return POINT{r.right - 1, r.top + 8}; }, [](Colours* c) { return c->frame_border.Color(); }},
    {"property_page_2003", PM::kPropertyPage2003, NearInnerEnd, kRed, kGreen, kBlue, kRed,
     [](const RECT& r) { return POINT{r.left + 20, r.top}; }, [](Colours* c) { return c->selected_tab_border.Color(); }},
    {"state_buttons", PM::kStateButtons, NearInnerEnd, kYellow, kGrey, kGrey, kGrey,
     [](const RECT& r) { return POINT{r.left, r.top + 8}; }, [](Colours* c) { return c->selected_button_border.light.Color(); }},
    {"visual_studio", PM::kVisualStudio, NearInnerEnd, kRed, kBlue, kBlue, kRed,
     [](const RECT& r) { return POINT{r.right - 1, r.top + 8}; }, [](Colours* c) { return c->selected_text.Color(); }},
    {"flat", PM::kFlat, NearInnerEnd, kYellow, kBlue, kBlue, kRed,
     [](const RECT& r) { return POINT{r.right - 2, r.top + 8}; }, [](Colours* c) { return c->frame_border.Color(); }},
    {"excel", PM::kExcel, NearInnerEnd, kRed, kGreen, kBlue, kRed,
     [](const RECT& r) { return POINT{r.left + 20, r.top - 1}; }, [](Colours* c) { return c->excel[0][0].Color(); }},
    {"visio", PM::kVisio, NearBarStart, kRed, kGreen, 0xFFFFFFFF, kRed,
     [](const RECT& r) { return POINT{r.left + 20, r.top}; }, [](Colours* c) { return c->tab_highlight.Color(); }},
    {"visual_studio_2005", PM::kVisualStudio2005, NearInnerEnd, kRed, kGreen, kBlue, kRed,
     [](const RECT& r) { return POINT{r.left + 20, r.top}; }, [](Colours* c) { return c->selected_tab_border.Color(); }},
};

class TabShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(TabShapes, DrawFacesHeaderPageAndOutline) {
  const ShapeCase& c = GetParam();
  Painted p(c.shape);
  p.MarkFaces();
  p.Paint();
  // Gradient faces (the 2003 family) come close to their face colour near the page.
  EXPECT_LE(ChannelDistance(p.At(c.face(p.Tab(1))), c.selected), 40) << "selected face";
  EXPECT_LE(ChannelDistance(p.At(c.face(p.Tab(2))), c.other), 40) << "other face";
  if (c.header != 0xFFFFFFFF) {
    EXPECT_EQ(p.At(POINT{250, 12}), c.header) << "header";
  }
  EXPECT_EQ(p.At(POINT{150, 60}), c.page) << "page";
  EXPECT_EQ(p.At(c.outline(p.Tab(1))), c.outline_colour(p.colours())) << "outline";
}

INSTANTIATE_TEST_SUITE_P(Sets, TabShapes, ::testing::ValuesIn(kShapeCases),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

TEST(TabShapes, PropertyPageSelectedJoinsThePageAndOthersStopAtItsFrame) {
  Painted p(PM::kPropertyPage);
  p.MarkFaces();
  p.Paint();
  const int frame_row = p.s.strip.HeaderRect().bottom - 1;
  EXPECT_EQ(p.At(POINT{(p.Tab(1).left + p.Tab(1).right) / 2, frame_row}), kRed);
  EXPECT_EQ(p.At(POINT{(p.Tab(0).left + p.Tab(0).right) / 2 + 15, frame_row}), p.colours()->tab_highlight.Color());
  // The corner is cut: the selected tab's outer corner pixel shows the header.
  EXPECT_EQ(p.At(POINT{p.Tab(1).left - 2, p.Tab(1).top - 2}), kBlue);
}

TEST(TabShapes, PositionsTurnTheOutline) {
  for (int position : {PM::kLeft, PM::kBottom, PM::kRight}) {
    Painted p(PM::kPropertyPage);
    p.s.Position(position);
    p.MarkFaces();
    p.Paint();
    const RECT& r = p.Tab(0);
    const POINT inside{(r.left + r.right) / 2 + (position == PM::kBottom ? 20 : 0),
                       (r.top + r.bottom) / 2 + (position == PM::kBottom ? 0 : 20)};
    EXPECT_EQ(p.At(inside), kGreen) << position;
    // The highlight runs along the tab's outer edge.
    const POINT outer = position == PM::kLeft ? POINT{r.left, inside.y}
                        : position == PM::kRight ? POINT{r.right - 1, inside.y}
                                                 : POINT{inside.x, r.bottom - 1};
    EXPECT_EQ(p.At(outer), p.colours()->tab_highlight.Color()) << position;
  }
}

TEST(TabShapes, NavigateButtonsDrawTheirGlyphs) {
  TestStrip s(200, 100, 10);
  Canvas canvas(200, 100);
  s.strip.ScrollTo(-20);
  s.strip.PaintInto(canvas.dc(), RECT{0, 0, 200, 100});
  const RECT right = s.strip.NavigateButton(CTKTabManagerNavigateButton::kRight)->Rect();
  const RECT left = s.strip.NavigateButton(CTKTabManagerNavigateButton::kLeft)->Rect();
  const COLORREF text = ColorByIndex(18);
  const int cy = (right.top + right.bottom) / 2;
  // An enabled arrow is a filled triangle: its middle column is solid.
  EXPECT_EQ(canvas.At((right.left + right.right) / 2, cy - 1), text);
  EXPECT_EQ(canvas.At((left.left + left.right) / 2, cy - 1), text);
  s.strip.ScrollTo(0);
  canvas.Fill(0);
  s.strip.PaintInto(canvas.dc(), RECT{0, 0, 200, 100});
  // Disabled: only the outline, the inside shows the header.
  const COLORREF header = canvas.At(left.left + 1, left.top + 1);
  EXPECT_EQ(canvas.At((left.left + left.right) / 2, cy - 1), header);
}

// --- Colour sets ---

struct ThemeSetting {
  explicit ThemeSetting(int setting) : before(GetColorManagerInstance().ThemeSetting()) {
    GetColorManagerInstance().SetThemeSetting(setting);
  }
  ~ThemeSetting() { GetColorManagerInstance().SetThemeSetting(before); }
  int before;
};

struct ColourCase {
  const char* name;
  int colour_set;
  int theme_setting;  // the system theme the colour manager reports (0 none, 1 blue)
  bool theme_colours_off;
  COLORREF header_top, selected, normal;
};

const ColourCase kColourCases[] = {
    {"default", PM::kColourDefault, 1, false, 0x80000000 | 15, 0x80000000 | 15, 0x80000000 | 15},
    {"visual_studio", PM::kColourVisualStudio, 1, false, 0x80000000 | 48, 0x80000000 | 15, 0x80000000 | 15},
    {"office2003_blue", PM::kColourOffice2003, 1, false, 0xFADAC4, 0x73C2FF, 0xF6C0A2},
    {"office2003_theme_colours_off", PM::kColourOffice2003, 1, true, 0x80000000 | 15, 0x80000000 | 36, 0x80000000 | 15},
    {"whidbey_blue", PM::kColourWhidbey, 1, false, 0xFADAC4, 0x73C2FF, 0xF6C0A2},
    {"whidbey_theme_colours_off", PM::kColourWhidbey, 1, true, 0xD5E2E4, 0x80000000 | 5, 0x80000000 | 15},
    {"office2007_without_image_set", PM::kColourOffice2007, 0, false, 0xFADAC4, 0x73C2FF, 0xF6C0A2},
};

// 0x80000000 | n names colour-table entry n.
COLORREF Expected(COLORREF c) { return (c & 0x80000000) ? ColorByIndex(static_cast<int>(c & 0xFF)) : c; }

class TabColourSets : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TabColourSets, FillHeaderAndFaces) {
  const ColourCase& c = GetParam();
  ThemeSetting theme(c.theme_setting);
  Painted p(PM::kPropertyPage);
  p.s.painter().disable_theme_colours = c.theme_colours_off;
  p.s.painter().ChooseColourSet(c.colour_set);
  p.Paint();
  EXPECT_LE(ChannelDistance(p.At(POINT{250, 0}), Expected(c.header_top)), 12) << "header";
  EXPECT_LE(ChannelDistance(p.At(NearInnerEnd(p.Tab(1))), Expected(c.selected)), 30) << "selected";
  EXPECT_LE(ChannelDistance(p.At(NearInnerEnd(p.Tab(2))), Expected(c.normal)), 30) << "normal";
  // The page takes the selected tab's face.
  EXPECT_EQ(p.At(POINT{150, 60}), p.colours()->ItemColourOf(p.s.Item(1)));
}

INSTANTIATE_TEST_SUITE_P(Sets, TabColourSets, ::testing::ValuesIn(kColourCases),
                         [](const ::testing::TestParamInfo<ColourCase>& info) { return info.param.name; });

TEST(TabColourSets, WindowsXpDrawsWithTheVisualStyleOrAsTheDefault) {
  Painted xp(PM::kPropertyPage, PM::kColourWinXP);
  xp.Paint();
  if (xp.colours()->UsesSystemTheme()) {
    // The "TAB" class draws the header and the tabs; the set's own outline colours are unset.
    EXPECT_EQ(static_cast<int>(xp.colours()->tab_highlight.Color()), -1);
    Canvas theme(300, 100, RGB(255, 0, 255));
    CTKWinThemeWrapper tab;
    ASSERT_NE(tab.OpenTheme(nullptr, L"TAB"), nullptr);
    const RECT header{0, 0, 300, xp.s.strip.HeaderRect().bottom};
    ASSERT_TRUE(SUCCEEDED(tab.DrawThemeBackground(theme.dc(), 9, 1, &header, nullptr)));
    EXPECT_EQ(xp.At(POINT{250, 12}), theme.At(250, 12));
    RECT selected = xp.Tab(1);
    selected.bottom += 2;
    Canvas face(300, 100, RGB(255, 0, 255));
    ASSERT_TRUE(SUCCEEDED(tab.DrawThemeBackground(face.dc(), 5, 3, &selected, nullptr)));
    const POINT at = NearInnerEnd(xp.Tab(1));
    EXPECT_EQ(xp.At(at), face.At(at.x, at.y));
    return;
  }
  Painted plain(PM::kPropertyPage, PM::kColourDefault);
  plain.Paint();
  for (POINT pt : {POINT{250, 5}, NearInnerEnd(xp.Tab(1)), POINT{xp.Tab(1).left - 2, 10}, POINT{150, 60}})
    EXPECT_EQ(xp.At(pt), plain.At(pt)) << pt.x << "," << pt.y;
}

TEST(TabColourSets, DefaultSetChecksTheSelectedStateButton) {
  Painted p(PM::kStateButtons, PM::kColourDefault);
  p.Paint();
  const POINT at = NearInnerEnd(p.Tab(1));
  const COLORREF a = p.At(at), b = p.At(POINT{at.x + 1, at.y});
  EXPECT_NE(a, b);
  for (COLORREF c : {a, b}) EXPECT_TRUE(c == ColorByIndex(15) || c == ColorByIndex(20));
  EXPECT_EQ(p.At(POINT{at.x + 2, at.y}), a);
}

TEST(TabColourSets, CustomValuesSurviveReloading) {
  CTKTabPaintManager painter;
  painter.ChooseColourSet(PM::kColourOffice2003);
  Colours* c = painter.Colours();
  c->hot_text.SetCustomValue(kRed);
  c->header_face.light.SetCustomValue(kBlue);
  painter.ReloadLook();
  EXPECT_EQ(c->hot_text.Color(), kRed);
  EXPECT_EQ(c->header_face.light.Color(), kBlue);
  EXPECT_NE(c->hot_text.StandardValue(), static_cast<int>(kRed));
}

TEST(TabColourSets, TextColoursFollowTheItemState) {
  TestStrip s(300, 100, 3, 60);
  s.painter().ChooseColourSet(PM::kColourDefault);
  Colours* c = s.painter().Colours();
  c->normal_text.SetCustomValue(RGB(1, 1, 1));
  c->selected_text.SetCustomValue(RGB(2, 2, 2));
  c->disabled_text.SetCustomValue(RGB(3, 3, 3));
  c->inactive_text.SetCustomValue(RGB(4, 4, 4));
  s.strip.SelectIndex(1);
  s.Item(2)->SetEnabled(false);
  Canvas canvas(10, 10);
  const struct {
    int item;
    bool active;
    COLORREF text;
  } cases[] = {{0, true, RGB(1, 1, 1)}, {1, true, RGB(2, 2, 2)}, {2, true, RGB(3, 3, 3)},
               {1, false, RGB(4, 4, 4)}, {2, false, RGB(3, 3, 3)}};
  for (const auto& t : cases) {
    s.strip.SetActive(t.active);
    c->ApplyTabTextColour(canvas.dc(), s.Item(t.item));
    EXPECT_EQ(GetTextColor(canvas.dc()), t.text) << t.item << " " << t.active;
  }
}

class Office2007Ini : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GetOffice2007ImageSet().AttachResourceModule(GetModuleHandleW(nullptr), L"TABS_TEST_INI", false));
  }
  void TearDown() override { GetOffice2007ImageSet().AttachResourceModule(nullptr, L"", false); }
};

TEST_F(Office2007Ini, ColoursComeFromTheImageSetIni) {
  ThemeSetting theme(1);
  Painted office2003(PM::kPropertyPage, PM::kColourOffice2003);
  Painted p(PM::kPropertyPage, PM::kColourOffice2007);
  Colours* c = p.colours();
  EXPECT_EQ(c->frame_border.Color(), RGB(59, 90, 130));
  EXPECT_EQ(c->selected_tab_border.Color(), RGB(59, 90, 130));
  EXPECT_EQ(c->tab_shadow.Color(), RGB(197, 210, 232));
  EXPECT_EQ(c->hot_face.Color(), RGB(255, 238, 194));
  EXPECT_EQ(c->tab_inner_white.Color(), RGB(255, 255, 255));
  EXPECT_EQ(c->hot_text.Color(), 0u);
  // The INI has no "DarkShadow": the Office 2003 value stays.
  EXPECT_EQ(c->tab_dark_shadow.Color(), office2003.colours()->tab_dark_shadow.Color());
  p.Paint();
  EXPECT_LE(ChannelDistance(p.At(POINT{250, 0}), RGB(227, 239, 255)), 8);
  EXPECT_LE(ChannelDistance(p.At(NearInnerEnd(p.Tab(1))), RGB(255, 226, 148)), 30);
  EXPECT_LE(ChannelDistance(p.At(NearInnerEnd(p.Tab(2))), RGB(214, 232, 255)), 30);
}

// A 16 x 16 icon whose top four rows are red and the rest green, the only icon of its list.
struct BandedIcon {
  BandedIcon() : list(ImageList_Create(16, 16, ILC_COLOR24, 1, 0)) {
    void* bits = nullptr;
    KestrinWinNS::CScopedBitmap dib = KestrinWinNS::CreateDib32(16, 16, &bits);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 16 * 16; ++i) pixels[i] = i < 4 * 16 ? 0xC80000 : 0x00A000;
    ImageList_Add(list, dib.Get(), nullptr);
  }
  ~BandedIcon() { ImageList_Destroy(list); }
  HIMAGELIST list;
};

// The box of the red pixels inside `area` (empty when there are none).
RECT RedBox(const Canvas& canvas, const RECT& area) {
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = std::max(0L, area.top); y < std::min<LONG>(canvas.height(), area.bottom); ++y)
    for (int x = std::max(0L, area.left); x < std::min<LONG>(canvas.width(), area.right); ++x)
      if (canvas.At(x, y) == kRed) box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                                              std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
  return box.left == INT_MAX ? RECT{} : box;
}

struct IconCase {
  const char* name;
  int position;
  bool rotate;
  SIZE band;  // the red band as drawn: 16 x 4 upright, 4 x 16 turned
};

const IconCase kIconCases[] = {
    {"left_rotated", PM::kLeft, true, {4, 16}},
    {"right_rotated", PM::kRight, true, {4, 16}},
    {"left_upright", PM::kLeft, false, {16, 4}},
    {"top_never_turned", PM::kTop, true, {16, 4}},
};

class TabIcons : public ::testing::TestWithParam<IconCase> {};

TEST_P(TabIcons, TurnAlongAVerticalStripWhenAsked) {
  const IconCase& c = GetParam();
  BandedIcon icon;
  TestStrip s(300, 300, 3, 60);
  s.strip.SetImageList(icon.list);
  for (int i = 0; i < 3; ++i) s.Item(i)->SetImage(0);
  s.painter().rotate_icons = c.rotate;
  s.Position(c.position);
  Canvas canvas(300, 300, RGB(255, 0, 255));
  s.strip.PaintInto(canvas.dc(), RECT{0, 0, 300, 300});
  const RECT tab = s.Item(2)->Rect();
  const RECT box = RedBox(canvas, tab);
  EXPECT_EQ(box.right - box.left, c.band.cx);
  EXPECT_EQ(box.bottom - box.top, c.band.cy);
  // The band lies on the icon's start side: turned, rows become columns, so the green rest
  // lies to the right of it; upright, below it.
  const POINT rest = c.band.cx == 4 ? POINT{box.right, box.top} : POINT{box.left, box.bottom};
  EXPECT_EQ(canvas.At(rest.x, rest.y), kGreen);
}

INSTANTIATE_TEST_SUITE_P(Positions, TabIcons, ::testing::ValuesIn(kIconCases),
                         [](const ::testing::TestParamInfo<IconCase>& info) { return info.param.name; });

// The pixel of a tab drawn upright that lands at (x, y) of the turned tab.
using UprightOf = POINT (*)(int x, int y, const SIZE& upright);

struct TurnedCase {
  const char* name;
  int position;
  int item;       // 1 the selected (middle) tab, 2 the last
  bool hot;
  int part, state;
  SIZE turned;    // the tab as put on the strip
  SIZE upright;   // the part as drawn for a top strip
  UprightOf upright_of;
};

POINT FlippedOver(int x, int y, const SIZE& u) { return POINT{x, u.cy - 1 - y}; }
POINT Transposed(int x, int y, const SIZE&) { return POINT{y, x}; }
POINT TransposedMirrored(int x, int y, const SIZE& u) { return POINT{y, u.cy - 1 - x}; }

const TurnedCase kTurnedCases[] = {
    {"bottom_last", PM::kBottom, 2, false, 7, 1, {60, 22}, {60, 22}, FlippedOver},
    {"bottom_selected", PM::kBottom, 1, false, 5, 3, {60, 22}, {60, 22}, FlippedOver},
    {"left_last", PM::kLeft, 2, false, 7, 1, {22, 60}, {60, 22}, Transposed},
    {"left_selected_grows_toward_the_page", PM::kLeft, 1, false, 5, 3, {23, 60}, {60, 23}, Transposed},
    {"left_hot", PM::kLeft, 2, true, 7, 5, {22, 60}, {60, 22}, Transposed},
    {"right_last", PM::kRight, 2, false, 7, 1, {22, 60}, {60, 22}, TransposedMirrored},
    {"right_selected", PM::kRight, 1, false, 5, 3, {22, 60}, {60, 22}, TransposedMirrored},
};

// Three tabs "A", "B", "C" with the Windows XP colours, the middle one selected; the hot item is
// set directly.
class XpTabs : public CTKTabControl {
 public:
  XpTabs() {
    Create(nullptr, RECT{0, 0, 300, 100}, 0, WS_POPUP);
    for (const wchar_t* caption : {L"A", L"B", L"C"}) AddItem(caption);
    TabPainter()->ChooseColourSet(PM::kColourWinXP);
    SelectIndex(1);
  }
  ~XpTabs() override { DestroyWindow(); }
  using CTKTabManager::SetHotDirect;
  Colours* colours() { return TabPainter()->Colours(); }
};

class WinXpTurnedTabs : public ::testing::TestWithParam<TurnedCase> {};

TEST_P(WinXpTurnedTabs, TakeTheTopStripPartTurnedToFaceThePage) {
  const TurnedCase& c = GetParam();
  XpTabs xp;
  ASSERT_TRUE(xp.colours()->UsesSystemTheme()) << "the prefix's visual style is not active";
  xp.TabPainter()->position = c.position;
  CTKTabManagerItem* item = xp.ItemAtIndex(c.item);
  if (c.hot) xp.SetHotDirect(item);
  const bool vertical = c.position != PM::kBottom;
  const RECT rect{10, 20, 10 + (vertical ? 22 : 60), 20 + (vertical ? 60 : 22)};
  Canvas drawn(100, 100, RGB(255, 0, 255));
  EXPECT_EQ(static_cast<int>(xp.colours()->PaintTabFace(drawn.dc(), rect, item)), -1);

  Canvas upright(c.upright.cx, c.upright.cy, ColorByIndex(15));
  CTKWinThemeWrapper tab;
  ASSERT_NE(tab.OpenTheme(nullptr, L"TAB"), nullptr);
  const RECT all{0, 0, c.upright.cx, c.upright.cy};
  ASSERT_TRUE(SUCCEEDED(tab.DrawThemeBackground(upright.dc(), c.part, c.state, &all, nullptr)));
  int mismatches = 0, not_face = 0;
  for (int y = 0; y < c.turned.cy; ++y) {
    for (int x = 0; x < c.turned.cx; ++x) {
      const POINT from = c.upright_of(x, y, c.upright);
      const COLORREF want = upright.At(from.x, from.y);
      if (want != ColorByIndex(15)) ++not_face;
      if (drawn.At(rect.left + x, rect.top + y) != want) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(not_face, 0) << "the part drew nothing to tell the turns apart";
  // Nothing outside the turned tab.
  EXPECT_EQ(drawn.At(rect.left + c.turned.cx, rect.top), RGB(255, 0, 255));
  EXPECT_EQ(drawn.At(rect.left, rect.top + c.turned.cy), RGB(255, 0, 255));
}

INSTANTIATE_TEST_SUITE_P(Positions, WinXpTurnedTabs, ::testing::ValuesIn(kTurnedCases),
                         [](const ::testing::TestParamInfo<TurnedCase>& info) { return info.param.name; });

// Visual styles off for the fixture's life: no function of the visual-styles library resolves.
struct NoVisualStyles {
  NoVisualStyles() {
    CTKWinThemeWrapper::SetProcResolver([](HMODULE, const char*) -> FARPROC { return nullptr; });
  }
  ~NoVisualStyles() { CTKWinThemeWrapper::SetProcResolver(nullptr); }
};

TEST(WinXpTurnedTabs, WithoutVisualStylesEveryPositionFillsTheFace) {
  NoVisualStyles off;
  XpTabs xp;
  ASSERT_FALSE(xp.colours()->UsesSystemTheme());
  xp.colours()->normal_face.SetCustomValue(kGreen);
  for (int position : {PM::kTop, PM::kLeft, PM::kBottom, PM::kRight}) {
    xp.TabPainter()->position = position;
    Canvas drawn(100, 100, RGB(255, 0, 255));
    const RECT rect{10, 20, 70, 42};
    EXPECT_EQ(xp.colours()->PaintTabFace(drawn.dc(), rect, xp.ItemAtIndex(2)), kGreen) << position;
    EXPECT_EQ(drawn.At(40, 30), kGreen) << position;
  }
}

}  // namespace
