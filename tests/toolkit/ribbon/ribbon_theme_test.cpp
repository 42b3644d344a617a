// The ribbon theme: its metrics, its "Ribbon" colours, and the faces of tabs, context tabs,
// context headers and groups bands read back by pixels from an image set of solid colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/win/gdi.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"

#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_button_group.h"
#include "toolkit/ribbon/ribbon_control_tab.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/ribbon/ribbon_theme.h"

namespace {

// The colours the test image set paints (make_ribbon_images.py).
COLORREF TabColour(int state) { return RGB(200, 30 * state, 60); }
COLORREF ContextTabColour(int colour, int state) { return RGB(30 * colour, 20 + 40 * state, 250 - 20 * colour); }
COLORREF HeaderColour(int colour) { return RGB(30 * colour, 200, 100); }
COLORREF ClientColour(int colour) { return RGB(30 * colour, 100, 200); }
constexpr COLORREF kGroupsColour = RGB(180, 180, 40);
constexpr COLORREF kGround = RGB(255, 255, 255);

// Image k of the set's state images (make_ribbon_images.py, STATE_IMAGES) in state s.
enum StateImage { kGroupButton, kGroupQuickAccess, kQuickAccessButton, kQuickAccessMore, kOptionButton,
                  kQuickAccessArea, kQuickAccessAreaGlass, kQuickAccessFrame, kPopupBarFrame, kTabSeparator,
                  kContextTabSeparator, kGroupClient, kGroupCaption, kContextGroupClient, kContextGroupCaption,
                  kGroupsScrollLeft, kGroupsScrollRight };
COLORREF StateColour(int k, int s) { return RGB((10 + 20 * k) % 256, 40 * s, 90); }
constexpr COLORREF kScrollLeftGlyph = RGB(1, 2, 250), kScrollRightGlyph = RGB(250, 2, 1);
COLORREF ContextGroupButtonColour(int colour, int s) { return RGB(30 * colour, 150 + 30 * s, 10); }

class RibbonTheme : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(images_.AttachResourceModule(GetModuleHandleW(nullptr), L"RIBBON_TEST_INI", false));
    theme_.reset(new CTKRibbonTheme(&images_));
    theme_->ReloadColorsAndFonts();
  }
  void TearDown() override { theme_.release()->InternalRelease(); }

  CTKOffice2007ImageSet images_;
  std::unique_ptr<CTKRibbonTheme> theme_;
};

TEST(RibbonThemeMetrics, FollowTheMenuFontAndResolution) {
  struct Case {
    int size, dpi, override_size;
    int font, button, control, tab_row, caption, split;
  };
  const Case cases[] = {
      {12, 96, 0, 14, 22, 22, 23, 17, 12},   // 12 and below count as 11
      {8, 96, 0, 14, 22, 22, 23, 17, 12},
      {16, 96, 0, 20, 30, 32, 34, 24, 15},
      {12, 96, 14, 18, 27, 28, 30, 21, 13},  // an override above 11 replaces the menu font
      {16, 96, 11, 20, 30, 32, 34, 24, 15},  // one of 11 or less does not
      {13, 96, 0, 16, 25, 26, 28, 19, 12},   // the first size above 12 is its own
      {12, 144, 0, 9, 22, 22, 23, 17, 12},   // the floors hold at a high resolution
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " " << c.dpi << " " << c.override_size);
    const CTKRibbonTheme::CMetrics m = CTKRibbonTheme::MetricsFor(c.size, c.dpi, c.override_size);
    EXPECT_EQ(m.font_height, c.font);
    EXPECT_EQ(m.button_height, c.button);
    EXPECT_EQ(m.control_height, c.control);
    EXPECT_EQ(m.tab_row_height, c.tab_row);
    EXPECT_EQ(m.group_caption_height, c.caption);
    EXPECT_EQ(m.split_dropdown_width, c.split);
  }
}

TEST_F(RibbonTheme, ReadsItsColoursFromTheRibbonSection) {
  EXPECT_EQ(theme_->ThemeNumber(), 6);
  EXPECT_EQ(theme_->RibbonColour(CTKRibbonTheme::kRibbonFace), RGB(191, 219, 255));
  EXPECT_EQ(theme_->RibbonColour(CTKRibbonTheme::kGroupCaptionText), CLR_INVALID);
}

// Every context colour number with every tab state: the face comes from the colour's own
// images (colour 0 from the normal tab's, unknown colours draw nothing), and so do the header
// and the groups band under the tab.
TEST_F(RibbonTheme, ContextColoursByPixels) {
  struct State {
    CTKRibbonTheme::CTabState state;
    int normal_index, context_index;  // -1: no face
  };
  const State states[] = {
      {{true, false, false, true}, 5, 4},  // selected, keyboard
      {{true, true, false, false}, 4, 4},  // selected, hot
      {{true, false, false, false}, 3, 3},
      {{false, true, false, false}, 1, 1},
      {{false, true, true, false}, 2, 1},  // hot and pressed: the normal tab shows it pressed
      {{false, false, true, false}, -1, -1},  // pressed alone has no face
      {{false, false, false, false}, -1, -1},
  };
  const RECT tab{4, 2, 36, 22};
  for (int colour = 0; colour <= CTKRibbonTheme::kContextColours + 1; ++colour) {
    for (const State& s : states) {
      SCOPED_TRACE(testing::Message() << "colour " << colour << " state " << s.normal_index);
      Canvas canvas(40, 24, kGround);
      theme_->PaintTab(canvas.dc(), tab, s.state, colour);
      COLORREF expected = kGround;
      if (colour == 0 && s.normal_index >= 0) expected = TabColour(s.normal_index);
      if (colour >= 1 && colour <= CTKRibbonTheme::kContextColours && s.context_index >= 0)
        expected = ContextTabColour(colour, s.context_index);
      EXPECT_EQ(canvas.At(20, 12), expected);
      EXPECT_EQ(canvas.At(1, 1), kGround);
      // The normal tab's image keeps magenta as its transparent colour (its cut corners).
      if (colour == 0) {
        EXPECT_EQ(canvas.At(tab.left, tab.top), kGround);
      }
    }
    SCOPED_TRACE(testing::Message() << "colour " << colour);
    const bool named = colour >= 1 && colour <= CTKRibbonTheme::kContextColours;
    Canvas header(40, 24, kGround);
    CTKRibbonTabContextHeader h;
    h.colour = colour;
    h.rect = tab;
    theme_->PaintContextHeader(header.dc(), h);
    EXPECT_EQ(header.At(20, 12), named ? HeaderColour(colour) : kGround);
    Canvas band(40, 24, kGround);
    theme_->PaintGroupsBand(band.dc(), RECT{0, 0, 40, 24}, colour);
    EXPECT_EQ(band.At(20, 12), named ? ClientColour(colour) : kGroupsColour);
    // A collapsed group's button: normal, selected, pressed (its popup open).
    for (int state = 0; state < 3; ++state) {
      Canvas button(60, 70, kGround);
      CTKRibbonTheme::CCollapsedGroup group;
      group.rect = RECT{0, 0, 60, 70};
      group.context_colour = colour;
      group.selected = state == 1;
      group.pressed = state == 2;
      theme_->PaintCollapsedGroup(button.dc(), group);
      COLORREF expected = StateColour(kGroupButton, state);
      if (named) expected = ContextGroupButtonColour(colour, state);
      if (colour > CTKRibbonTheme::kContextColours) expected = kGround;
      EXPECT_EQ(button.At(30, 50), expected) << "state " << state;
    }
  }
}

// The collapsed group's small-icon frame sits centred 2 pixels below the button's top, at its
// own size (12 x 10 in the test set), over the button's face.
TEST_F(RibbonTheme, CollapsedGroupFramesASmallIcon) {
  Canvas canvas(60, 70, kGround);
  CTKRibbonTheme::CCollapsedGroup group;
  group.rect = RECT{0, 0, 60, 70};
  group.icon_size = SIZE{16, 16};
  theme_->PaintCollapsedGroup(canvas.dc(), group);
  const COLORREF frame = RGB(5, 5, 5), face = StateColour(kGroupButton, 0);
  EXPECT_EQ(canvas.At(30, 1), face);
  EXPECT_EQ(canvas.At(24, 2), frame);
  EXPECT_EQ(canvas.At(35, 11), frame);
  EXPECT_EQ(canvas.At(23, 6), face);
  EXPECT_EQ(canvas.At(36, 6), face);
  EXPECT_EQ(canvas.At(30, 12), face);
  // A wide icon needs no frame.
  Canvas wide(60, 70, kGround);
  group.icon_size = SIZE{32, 32};
  theme_->PaintCollapsedGroup(wide.dc(), group);
  EXPECT_EQ(wide.At(30, 6), face);
}

// Buttons of the quick-access bar and the group's option button: the state picks the strip;
// their images keep magenta transparent.
TEST_F(RibbonTheme, QuickAccessAndOptionButtonsByState) {
  struct Case {
    const char* name;
    int image, states;
    void (*paint)(CTKRibbonTheme&, HDC, const RECT&, int);
  };
  const Case cases[] = {
      {"customise", kQuickAccessButton, 4,
       [](CTKRibbonTheme& t, HDC dc, const RECT& r, int s) { t.PaintQuickAccessButton(dc, r, false, s); }},
      {"more", kQuickAccessMore, 4,
       [](CTKRibbonTheme& t, HDC dc, const RECT& r, int s) { t.PaintQuickAccessButton(dc, r, true, s); }},
      {"option", kOptionButton, 4,
       [](CTKRibbonTheme& t, HDC dc, const RECT& r, int s) { t.PaintGroupOptionButton(dc, r, s); }},
      {"group in quick access", kGroupQuickAccess, 3,
       [](CTKRibbonTheme& t, HDC dc, const RECT& r, int s) { t.PaintCollapsedGroupInQuickAccess(dc, r, s); }},
  };
  const RECT rect{2, 2, 22, 18};
  for (const Case& c : cases) {
    for (int state = 0; state < c.states; ++state) {
      SCOPED_TRACE(testing::Message() << c.name << " state " << state);
      Canvas canvas(24, 20, kGround);
      c.paint(*theme_, canvas.dc(), rect, state);
      EXPECT_EQ(canvas.At(12, 10), StateColour(c.image, state));
      EXPECT_EQ(canvas.At(rect.left, rect.top), kGround);
      EXPECT_EQ(canvas.At(rect.right - 1, rect.bottom - 1), kGround);
    }
  }
}

// The area behind the quick-access bar above the tabs begins 15 pixels left of the bar; on
// glass it has an image of its own. Below the groups the bar has its frame.
TEST_F(RibbonTheme, QuickAccessAreaAndFrame) {
  const RECT bar{30, 2, 80, 22};
  for (bool glass : {false, true}) {
    SCOPED_TRACE(glass ? "glass" : "no glass");
    Canvas canvas(90, 24, kGround);
    theme_->PaintQuickAccessArea(canvas.dc(), bar, glass);
    const COLORREF area = StateColour(glass ? kQuickAccessAreaGlass : kQuickAccessArea, 0);
    EXPECT_EQ(canvas.At(14, 12), kGround);
    EXPECT_EQ(canvas.At(15, 12), area);
    EXPECT_EQ(canvas.At(79, 12), area);
    EXPECT_EQ(canvas.At(80, 12), kGround);
  }
  Canvas below(90, 24, kGround);
  theme_->PaintQuickAccessFrame(below.dc(), bar);
  EXPECT_EQ(below.At(50, 12), StateColour(kQuickAccessFrame, 0));
  EXPECT_EQ(below.At(20, 12), kGround);
}

// A group is its client face over its caption row (the caption height at the bottom), hot in
// the second state, with the context images on a context tab; a collapsed group draws nothing.
TEST_F(RibbonTheme, GroupFacesByHotContextAndCollapse) {
  struct Case {
    bool hot, context, collapsed;
  };
  const Case cases[] = {{false, false, false}, {true, false, false}, {false, true, false},
                        {true, true, false},   {false, false, true}, {true, true, true}};
  const int caption = theme_->Metrics().group_caption_height;
  const RECT rect{4, 4, 84, 90};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "hot " << c.hot << " context " << c.context << " collapsed " << c.collapsed);
    Canvas canvas(90, 96, kGround);
    theme_->PaintGroup(canvas.dc(), rect, c.hot, c.context, c.collapsed);
    if (c.collapsed) {
      EXPECT_EQ(canvas.At(40, 20), kGround);
      EXPECT_EQ(canvas.At(40, rect.bottom - caption / 2), kGround);
      continue;
    }
    const int state = c.hot ? 1 : 0;
    const COLORREF client = StateColour(c.context ? kContextGroupClient : kGroupClient, state);
    const COLORREF caption_face = StateColour(c.context ? kContextGroupCaption : kGroupCaption, state);
    EXPECT_EQ(canvas.At(40, 20), client);
    EXPECT_EQ(canvas.At(40, rect.bottom - caption - 1), client);
    EXPECT_EQ(canvas.At(40, rect.bottom - caption), caption_face);
    EXPECT_EQ(canvas.At(40, rect.bottom - 1), caption_face);
    EXPECT_EQ(canvas.At(40, rect.bottom), kGround);
    EXPECT_EQ(canvas.At(rect.left - 1, 20), kGround);
  }
}

// The buttons that scroll the groups band: the state picks the strip (corners stay clear), and
// the direction's glyph sits centred on it.
TEST_F(RibbonTheme, GroupScrollButtonsByDirectionAndState) {
  const RECT rect{2, 2, 16, 42};
  for (bool left : {true, false}) {
    for (int state = 0; state < 3; ++state) {
      SCOPED_TRACE(testing::Message() << (left ? "left" : "right") << " state " << state);
      Canvas canvas(18, 44, kGround);
      theme_->PaintGroupScrollButton(canvas.dc(), rect, left, state);
      const COLORREF face = StateColour(left ? kGroupsScrollLeft : kGroupsScrollRight, state);
      const COLORREF glyph = left ? kScrollLeftGlyph : kScrollRightGlyph;
      // The 4 x 6 glyph centred: (2 + 16 - 4) / 2 = 7 .. 11, (2 + 42 - 6) / 2 = 19 .. 25.
      EXPECT_EQ(canvas.At(7, 19), glyph);
      EXPECT_EQ(canvas.At(10, 24), glyph);
      EXPECT_EQ(canvas.At(6, 22), face);
      EXPECT_EQ(canvas.At(11, 22), face);
      EXPECT_EQ(canvas.At(9, 10), face);
      EXPECT_EQ(canvas.At(rect.left, rect.top), kGround);
      EXPECT_EQ(canvas.At(rect.right - 1, rect.bottom - 1), kGround);
    }
  }
}

// The test set has no frame of its own for the more popup: the popup bars' frame stands in.
TEST_F(RibbonTheme, MorePopupFallsBackToThePopupBarFrame) {
  Canvas canvas(40, 40, kGround);
  theme_->PaintMorePopupFrame(canvas.dc(), RECT{0, 0, 40, 40});
  EXPECT_EQ(canvas.At(20, 20), StateColour(kPopupBarFrame, 0));
}

// Popup bars get 2 x 2 separators: a row of grey over a light row that starts after the icon
// column, or a grey column down the row of a wrapped control. Other bars keep the base's.
TEST_F(RibbonTheme, PopupSeparatorsByPixels) {
  CTKCommandBar* popup = new CTKCommandBar;
  popup->SetType(TKCommandBars::kPopupBar);
  CTKControl* control = new CTKControl;
  control->SetParent(popup);
  control->SetRect(CRect(4, 20, 120, 40));
  const int icons = theme_->IconColumnWidth(popup);
  ASSERT_GT(icons, 0);
  ASSERT_LT(icons + 4, 110);
  {
    Canvas canvas(130, 50, kGround);
    CDC dc;
    dc.Attach(canvas.dc());
    EXPECT_EQ(theme_->PaintGroupSeparator(&dc, control, popup, true), CSize(2, 2));
    dc.Detach();
    EXPECT_EQ(canvas.At(4 + icons, 18), CTKRibbonTheme::kSeparatorColour);
    EXPECT_EQ(canvas.At(4 + icons, 19), CTKRibbonTheme::kSeparatorLight);
    EXPECT_EQ(canvas.At(119, 18), CTKRibbonTheme::kSeparatorColour);
    EXPECT_EQ(canvas.At(3 + icons, 18), kGround);
    EXPECT_EQ(canvas.At(60, 17), kGround);
    EXPECT_EQ(canvas.At(60, 20), kGround);
  }
  {
    control->SetWrap(true);
    control->SetRowRect(CRect(4, 10, 120, 45));
    Canvas canvas(130, 50, kGround);
    CDC dc;
    dc.Attach(canvas.dc());
    theme_->PaintGroupSeparator(&dc, control, popup, true);
    dc.Detach();
    EXPECT_EQ(canvas.At(2, 10), CTKRibbonTheme::kSeparatorColour);
    EXPECT_EQ(canvas.At(2, 44), CTKRibbonTheme::kSeparatorColour);
    EXPECT_EQ(canvas.At(2, 45), kGround);
    EXPECT_EQ(canvas.At(3, 30), kGround);
  }
  popup->SetType(TKCommandBars::kToolBar);
  CDC none;
  EXPECT_NE(theme_->PaintGroupSeparator(&none, control, popup, false), CSize(2, 2));
  control->Release();
  popup->Release();
}

// The tooltip window loses exactly its four corner pixels.
TEST(RibbonThemeTooltip, RegionCutsTheFourCorners) {
  for (SIZE size : {SIZE{40, 18}, SIZE{3, 3}}) {
    SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
    KestrinWinNS::CScopedRegion region = CTKRibbonTheme::TooltipRegion(size.cx, size.cy);
    ASSERT_TRUE(region);
    const int r = size.cx - 1, b = size.cy - 1;
    for (POINT corner : {POINT{0, 0}, POINT{r, 0}, POINT{0, b}, POINT{r, b}})
      EXPECT_FALSE(PtInRegion(region.Get(), corner.x, corner.y)) << corner.x << "," << corner.y;
    for (POINT kept : {POINT{1, 0}, POINT{0, 1}, POINT{r - 1, 0}, POINT{r, 1}, POINT{0, b - 1}, POINT{1, b},
                       POINT{r, b - 1}, POINT{r - 1, b}})
      EXPECT_TRUE(PtInRegion(region.Get(), kept.x, kept.y)) << kept.x << "," << kept.y;
    RECT box{};
    GetRgnBox(region.Get(), &box);
    EXPECT_EQ(box.right, size.cx);
    EXPECT_EQ(box.bottom, size.cy);
  }
}

// The tooltip's face: the "Window" section's border around a gradient from light to dark.
TEST_F(RibbonTheme, TooltipFaceByPixels) {
  Canvas canvas(60, 30, kGround);
  theme_->PaintTooltip(canvas.dc(), RECT{0, 0, 60, 30}, L"", 0);
  const COLORREF border = RGB(20, 40, 60);
  EXPECT_EQ(canvas.At(0, 0), border);
  EXPECT_EQ(canvas.At(59, 15), border);
  EXPECT_EQ(canvas.At(30, 29), border);
  const COLORREF top = canvas.At(30, 1), bottom = canvas.At(30, 28);
  EXPECT_GE(GetRValue(top), 240);
  EXPECT_LE(GetRValue(bottom), 160);
  EXPECT_EQ(GetBValue(bottom), 250);
}

// The first colour query: plain, enabled controls of a ribbon outside its groups take
// "RibbonText"; the second: the edit areas' background.
TEST_F(RibbonTheme, ControlColourQueries) {
  struct TextCase {
    bool ribbon, in_group;
    CTKPaintManager::ItemState state;
    bool ribbon_text;
  };
  CTKPaintManager::ItemState plain, disabled, selected, pressed, checked, popped;
  disabled.enabled = false;
  selected.selected = true;
  pressed.pressed = 1;
  checked.checked = 1;
  popped.popped = true;
  const TextCase text_cases[] = {
      {true, false, plain, true},     {true, true, plain, false},       {true, false, disabled, false},
      {true, false, selected, false}, {true, false, pressed, false},    {true, false, checked, false},
      {true, false, popped, false},
  };
  for (const TextCase& c : text_cases)
    EXPECT_EQ(CTKRibbonTheme::UsesRibbonText(c.ribbon, c.in_group, c.state), c.ribbon_text);

  struct BackCase {
    bool enabled, selected, popup;
    int expected;
  };
  const BackCase back_cases[] = {
      {false, false, false, 15}, {false, true, true, 15}, {true, true, false, 5},
      {true, true, true, 5},     {true, false, true, 41}, {true, false, false, static_cast<int>(RGB(100, 110, 120))},
  };
  for (const BackCase& c : back_cases)
    EXPECT_EQ(theme_->EditAreaBackFor(c.enabled, c.selected, c.popup), c.expected)
        << c.enabled << c.selected << c.popup;
}

// The same rule on a ribbon bar's controls: its customise button lies outside the groups, a
// button of a group inside.
TEST_F(RibbonTheme, RibbonTextForControlsOutsideGroups) {
  CTKRibbonBar* bar = new CTKRibbonBar;
  auto* group = new CTKRibbonButtonGroup;
  bar->AddGroup(bar->InsertTab(0, L"Home"), group);
  CTKControl* inside = new CTKControl;
  group->AddControl(inside);
  inside->Release();
  CTKControl* outside = bar->CustomiseButton();
  ASSERT_EQ(inside->GetParent(), bar);
  ASSERT_EQ(outside->GetParent(), bar);
  const COLORREF ribbon_text = RGB(70, 80, 90);
  EXPECT_EQ(theme_->ItemTextColor(outside), ribbon_text);
  EXPECT_NE(theme_->ItemTextColor(inside), ribbon_text);
  outside->SetSelected(1);
  EXPECT_NE(theme_->ItemTextColor(outside), ribbon_text);
  outside->SetSelected(0);
  bar->SetType(TKCommandBars::kToolBar);
  EXPECT_NE(theme_->ItemTextColor(outside), ribbon_text);
  bar->Release();
}

// The paint folder does not know the ribbon: once the ribbon registers its maker, the number
// makes a ribbon theme.
TEST(RibbonThemeFactory, TheNumberMakesTheRibbonThemeOnceRegistered) {
  CTKRibbonTheme::RegisterWithThemeFactory();
  CTKPaintManager* made = NewThemeByNumber(CTKRibbonTheme::kThemeNumber);
  ASSERT_NE(made, nullptr);
  EXPECT_NE(dynamic_cast<CTKRibbonTheme*>(made), nullptr);
  EXPECT_EQ(made->ThemeNumber(), 6);
  EXPECT_EQ(made->ThemeNumberWord(), 6);
  EXPECT_EQ(made->SplitDropDownWidth(), 12);
  made->Release();
}

TEST_F(RibbonTheme, MinimizedRibbonEndsInItsTwoEdgeLines) {
  struct Case {
    bool groups_shown;
    COLORREF second_lowest, lowest;
  };
  const COLORREF face = RGB(191, 219, 255);
  const Case cases[] = {{true, face, face}, {false, RGB(10, 20, 30), RGB(40, 50, 60)}};
  for (const Case& c : cases) {
    Canvas canvas(30, 20, kGround);
    theme_->PaintRibbonBackground(canvas.dc(), RECT{0, 0, 30, 20}, c.groups_shown);
    EXPECT_EQ(canvas.At(15, 10), face);
    EXPECT_EQ(canvas.At(15, 18), c.second_lowest);
    EXPECT_EQ(canvas.At(15, 19), c.lowest);
  }
}

TEST_F(RibbonTheme, MissingImagesDrawNothing) {
  Canvas canvas(40, 24, kGround);
  EXPECT_FALSE(theme_->DrawImage(canvas.dc(), L"NOSUCHIMAGE", RECT{0, 0, 40, 24}, 1, 0, RECT{}, false));
  // This set has none of the menus' or the status bar's images.
  theme_->PaintMenuCheck(canvas.dc(), RECT{0, 0, 13, 24}, true);
  theme_->PaintStatusBar(canvas.dc(), RECT{0, 0, 40, 24}, 20);
  for (int x : {6, 18, 30}) EXPECT_EQ(canvas.At(x, 12), kGround) << x;
}

// A narrowed tab ends in its separator; a run of context tabs has one at each outer edge, one
// pixel short of the bottom.
TEST_F(RibbonTheme, TabSeparatorsByPixels) {
  struct Case {
    bool narrowed, first, last;
    COLORREF left, right;
  };
  const COLORREF tab = StateColour(kTabSeparator, 0), context = StateColour(kContextTabSeparator, 0);
  const Case cases[] = {
      {false, false, false, kGround, kGround}, {true, false, false, kGround, tab},
      {false, true, false, context, kGround},  {false, false, true, kGround, context},
      {false, true, true, context, context},
  };
  const RECT rect{10, 0, 50, 20};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.narrowed << c.first << c.last);
    Canvas canvas(60, 20, kGround);
    theme_->PaintTabSeparators(canvas.dc(), rect, c.narrowed, c.first, c.last);
    EXPECT_EQ(canvas.At(10, 10), c.left);
    EXPECT_EQ(canvas.At(49, 10), c.right);
    EXPECT_EQ(canvas.At(11, 10), kGround);
    EXPECT_EQ(canvas.At(48, 10), kGround);
    if (c.first) {
      EXPECT_EQ(canvas.At(10, 19), kGround);
    }
  }
}

class NoSite : public CTKRibbonTabRowSite {
 public:
  bool IsMinimized() const override { return false; }
  void ClosePopups() override {}
  bool TabSelecting(CTKRibbonTab*) override { return false; }
  void ShowGroupsOf(CTKRibbonTab*) override {}
  void TabSelected(CTKRibbonTab*) override {}
  void OpenTabPopup() override {}
};

// The ribbon's tab paint manager lays the tabs out as high as the tab row, one pixel below its
// top, and only the selected tab has a face; too little room narrows the tabs, which then end
// in their separators.
TEST_F(RibbonTheme, TabPainterFillsTheRowWithTheThemesFaces) {
  NoSite site;
  CTKRibbonControlTab* row = new CTKRibbonControlTab(&site);
  for (const wchar_t* caption : {L"Home", L"Insert", L"View"}) row->InsertTab(row->ItemCount(), caption);
  CTKTabPaintManager* painter = theme_->TabPaintManager();
  EXPECT_EQ(theme_->TabPaintManager(), painter);  // one, held by the theme
  row->UsePainter(painter);
  row->SelectItem(row->TabAt(1));
  const int height = theme_->Metrics().tab_row_height + 1;
  {
    Canvas canvas(400, height, kGround);
    row->LayoutRow(canvas.dc(), RECT{0, 0, 400, height});
    const RECT home = row->TabAt(0)->Rect(), insert = row->TabAt(1)->Rect();
    EXPECT_EQ(insert.top, 1);
    EXPECT_EQ(insert.bottom - insert.top, theme_->Metrics().tab_row_height);
    EXPECT_EQ(home.right, insert.left);
    painter->PaintStrip(row, canvas.dc(), RECT{0, 0, 400, height});
    EXPECT_EQ(canvas.At(insert.left + 2, insert.top + 2), TabColour(3));
    EXPECT_EQ(canvas.At(home.left + 2, home.top + 2), kGround);
    EXPECT_EQ(canvas.At(home.right - 1, home.top + 2), kGround);
  }
  {
    Canvas canvas(60, height, kGround);
    row->LayoutRow(canvas.dc(), RECT{0, 0, 60, height});
    const RECT home = row->TabAt(0)->Rect();
    ASSERT_LT(row->TabAt(0)->Length(), row->TabAt(0)->DesiredLength());
    painter->PaintStrip(row, canvas.dc(), RECT{0, 0, 60, height});
    EXPECT_EQ(canvas.At(home.right - 1, home.top + 2), StateColour(kTabSeparator, 0));
  }
  row->UsePainter(nullptr);
  row->InternalRelease();
}

// The bounding box of the pixels that differ from the ground (empty when none do).
RECT Inked(const Canvas& canvas, int w, int h) {
  RECT box{w, h, 0, 0};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (canvas.At(x, y) != kGround) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

// A context header's caption starts 6 pixels in and, when the ribbon draws its frame's caption,
// sits (border - 2) lower; a group's caption keeps clear of the option button.
TEST_F(RibbonTheme, CaptionTextPlacement) {
  CTKRibbonTabContextHeader header;
  header.caption = L"Tools";
  header.rect = RECT{20, 0, 120, 26};
  Canvas plain(140, 40, kGround), framed(140, 40, kGround);
  theme_->PaintContextHeaderText(plain.dc(), header, 8, false);
  theme_->PaintContextHeaderText(framed.dc(), header, 8, true);
  const RECT a = Inked(plain, 140, 40), b = Inked(framed, 140, 40);
  ASSERT_LT(a.left, a.right);
  EXPECT_GE(a.left, 26);
  EXPECT_LT(a.left, 30);
  EXPECT_EQ(b.top - a.top, (8 - 2) / 2);  // centred in a band 6 pixels shorter from the top

  const RECT row{0, 20, 60, 40};
  Canvas open(60, 40, kGround), with_button(60, 40, kGround);
  theme_->PaintGroupCaption(open.dc(), row, L"Clipboard and more", false);
  theme_->PaintGroupCaption(with_button.dc(), row, L"Clipboard and more", true);
  const RECT c = Inked(open, 60, 40), d = Inked(with_button, 60, 40);
  ASSERT_LT(c.left, c.right);
  ASSERT_LT(d.left, d.right);
  EXPECT_GE(c.top, 19);
  EXPECT_LE(d.right, 60 - theme_->Metrics().group_caption_height - 1);
  EXPECT_GT(c.right, d.right);
}

}  // namespace
