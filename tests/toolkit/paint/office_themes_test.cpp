// The flat Office look and the gradient looks of Office 2003 and Whidbey, by pixels: faces by
// state, bars, menus, marks and the colours each takes from the system's colour scheme or from
// the system colours.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/paint/fake_styles.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/office2003_theme.h"

using namespace TKCommandBars;
using TKPaintThemes::CTKOffice2003Theme;
using TKPaintThemes::CTKOfficeTheme;

namespace {

const COLORREF kPaper = RGB(1, 2, 3);

// System colours of the test: distinct channels, so that every mix shows.
COLORREF TestSysColor(int index) {
  switch (index) {
    case COLOR_BTNFACE: return RGB(212, 208, 200);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_HIGHLIGHT: return RGB(10, 36, 106);
    case COLOR_BTNHIGHLIGHT: return RGB(250, 250, 250);
    default: return ::GetSysColor(index);
  }
}

CTKColorManager& Colors() { return GetColorManagerInstance(); }

// A theme made by its number and refreshed; released at the end.
struct Theme {
  explicit Theme(int number) : pm(NewThemeByNumber(number)) { pm->ReloadColorsAndFonts(); }
  ~Theme() { pm->Release(); }
  CTKOffice2003Theme* Gradients() const { return dynamic_cast<CTKOffice2003Theme*>(pm); }
  // An index 0..62 of the theme's colour table, or a literal colour.
  COLORREF operator()(COLORREF colour) const { return pm->ResolveColor(static_cast<int>(colour)); }
  CTKPaintManager* pm;
};

// A bar that says which bar it was opened from.
class OpenedBar : public CTKCommandBar {
 public:
  CTKCommandBar* GetParentBar() const override { return parent; }
  CTKCommandBar* parent = nullptr;
};

// A bar window (never shown) of a given kind and size.
struct Bar {
  Bar(CTKPaintManager* pm, int type, int position, SIZE size, CTKCommandBar* made = nullptr,
      POINT at = POINT{0, 0})
      : bar(made ? made : new CTKCommandBar) {
    bar->SetType(type);
    bar->SetPosition(position);
    bar->SetPaintManager(pm);
    bar->Create(nullptr, WS_POPUP, RECT{at.x, at.y, at.x + size.cx, at.y + size.cy});
  }
  ~Bar() {
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->Release();
  }
  CTKCommandBar* bar;
};

// Draws into a canvas through a CDC for the length of a call.
template <class Fn>
void Paint(Canvas& canvas, Fn fn) {
  CDC dc;
  dc.Attach(canvas.dc());
  fn(&dc);
  dc.Detach();
}

class OfficeThemesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Colors().SetSysColorCallback(&TestSysColor);
    Colors().OverrideLowColorDisplay(false);
  }
  void TearDown() override {
    Colors().SetSysColorCallback(nullptr);
    Colors().OverrideLowColorDisplay(std::nullopt);
    Colors().SetLunaColorsDisabled(false);
    FakeTheme::active = false;
    Colors().RecomputeColors();
  }
  // The visual style in use: 0 none, 1 blue, 2 olive, 3 silver; -1 a style with no scheme.
  static void UseScheme(int scheme) {
    static const wchar_t* const kColours[] = {L"", L"NormalColor", L"HomeStead", L"Metallic"};
    FakeTheme::active = scheme != 0;
    FakeTheme::file = scheme < 0 ? L"C:\\Windows\\Resources\\Themes\\Aero\\Aero.msstyles"
                                 : L"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles";
    FakeTheme::color = scheme < 0 ? L"NormalColor" : kColours[scheme];
  }
  FakeStyles styles{false};
};

CTKPaintManager::ItemState State(bool selected, int pressed, bool enabled, int checked, bool popped, int position,
                                 int selection = -1) {
  CTKPaintManager::ItemState s;
  s.selected = selected;
  s.selection = selection >= 0 ? selection : selected ? 1 : 0;
  s.pressed = pressed;
  s.enabled = enabled;
  s.checked = checked;
  s.popped = popped;
  s.bar_type = position == kPopup ? kPopupBar : kToolBar;
  s.bar_position = position;
  return s;
}

// Where a gradient from `from` to `to` stands at fraction t of its length.
COLORREF Along(COLORREF from, COLORREF to, double t) {
  auto ch = [t](int a, int b) { return static_cast<int>(a + (b - a) * t + 0.5); };
  return RGB(ch(GetRValue(from), GetRValue(to)), ch(GetGValue(from), GetGValue(to)), ch(GetBValue(from), GetBValue(to)));
}

TEST_F(OfficeThemesTest, TheNumbersMakeTheirThemes) {
  for (int number : {1, 2, 4}) {
    Theme theme(number);
    EXPECT_EQ(number, theme.pm->ThemeNumber());
    EXPECT_EQ(number != 1, theme.Gradients() != nullptr);
    EXPECT_NE(nullptr, dynamic_cast<CTKOfficeTheme*>(theme.pm));
  }
}

// ---------------------------------------------------------------------------------------------
// Faces by state

TEST_F(OfficeThemesTest, FacesAreFilledAndFramedByState) {
  const COLORREF kNone = CLR_INVALID;
  struct Case {
    const char* name;
    int theme, scheme;
    CTKPaintManager::ItemState state;
    // Fill from and to (equal for a plain fill; kNone when nothing is filled), running
    // across the bar on side-docked bars; the frame. Values up to 62 are colour indexes.
    COLORREF from, to, frame;
  } cases[] = {
      {"office hot", 1, 0, State(true, 0, true, 0, false, kTop), 31, 31, 32},
      {"office hot and pressed", 1, 0, State(true, 1, true, 0, false, kTop), 33, 33, 50},
      {"office pressed alone", 1, 0, State(false, 1, true, 0, false, kTop), 31, 31, 32},
      {"office keyboard pressed", 1, 0, State(false, 2, true, 0, false, kTop), 33, 33, 50},
      {"office checked", 1, 0, State(false, 0, true, 1, false, kTop), 36, 36, 37},
      {"office indeterminate", 1, 0, State(false, 0, true, 2, false, kTop), 51, 51, 37},
      {"office checked and hot", 1, 0, State(true, 0, true, 1, false, kTop), 33, 33, 50},
      {"office popped", 1, 0, State(true, 0, true, 0, true, kTop), 30, 30, 43},
      {"office idle", 1, 0, State(false, 0, true, 0, false, kTop), kNone, kNone, kNone},
      {"office disabled keyboard-selected menu item", 1, 0, State(true, 0, false, 0, false, kPopup, 2), 41, 41, 32},
      {"office disabled keyboard-selected checked", 1, 0, State(true, 0, false, 1, false, kTop, 3), 33, 33, 32},
      {"office disabled mouse-selected", 1, 0, State(true, 0, false, 0, false, kTop, 1), kNone, kNone, kNone},
      {"office disabled checked", 1, 0, State(false, 0, false, 1, false, kTop), 36, 36, 58},
      {"office disabled checked menu item", 1, 0, State(false, 0, false, 1, false, kPopup), kNone, kNone, 58},
      {"2003 classic: flat", 2, 0, State(true, 0, true, 0, false, kTop), 31, 31, 32},
      {"2003 blue hot", 2, 1, State(true, 0, true, 0, false, kTop), RGB(255, 242, 200), RGB(255, 212, 151),
       RGB(0, 0, 128)},
      {"2003 blue hot and pressed", 2, 1, State(true, 1, true, 0, false, kTop), RGB(254, 142, 75),
       RGB(255, 207, 139), RGB(0, 0, 128)},
      {"2003 blue checked", 2, 1, State(false, 0, true, 1, false, kTop), RGB(255, 213, 140), RGB(255, 173, 85),
       RGB(0, 0, 128)},
      {"2003 blue checked and hot", 2, 1, State(true, 0, true, 1, false, kBottom), RGB(254, 142, 75),
       RGB(255, 207, 139), RGB(0, 0, 128)},
      {"2003 blue indeterminate", 2, 1, State(false, 0, true, 2, false, kTop), RGB(216, 231, 252),
       RGB(216, 231, 252), RGB(0, 0, 128)},
      {"2003 blue hot, docked left: across", 2, 1, State(true, 0, true, 0, false, kLeft), RGB(255, 242, 200),
       RGB(255, 212, 151), RGB(0, 0, 128)},
      {"2003 blue hot menu item: flat", 2, 1, State(true, 0, true, 0, false, kPopup), RGB(255, 238, 194),
       RGB(255, 238, 194), RGB(0, 0, 128)},
      {"2003 blue popped: flat", 2, 1, State(true, 0, true, 0, true, kTop), RGB(196, 219, 249), RGB(196, 219, 249),
       RGB(0, 45, 150)},
      {"2003 blue disabled checked", 2, 1, State(false, 0, false, 1, false, kTop), RGB(255, 213, 140),
       RGB(255, 173, 85), RGB(141, 141, 141)},
      {"2003 blue disabled keyboard-selected", 2, 1, State(true, 0, false, 0, false, kFloating, 2),
       RGB(255, 242, 200), RGB(255, 212, 151), RGB(0, 0, 128)},
      {"2003 silver hot", 2, 3, State(true, 0, true, 0, false, kTop), RGB(255, 242, 200), RGB(255, 212, 151),
       RGB(75, 75, 111)},
      {"whidbey olive hot menu item", 4, 2, State(true, 0, true, 0, false, kPopup), RGB(182, 198, 141),
       RGB(182, 198, 141), RGB(63, 93, 56)},
      {"whidbey olive hot and pressed", 4, 2, State(true, 1, true, 0, false, kTop), RGB(254, 142, 75),
       RGB(255, 207, 139), RGB(63, 93, 56)},
  };
  const int w = 40, h = 22;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseScheme(c.scheme);
    Theme theme(c.theme);
    Canvas canvas(w, h, kPaper);
    Paint(canvas, [&](CDC* dc) { theme.pm->PaintStateRect(dc, CRect(0, 0, w, h), c.state); });
    if (c.frame == kNone) {
      EXPECT_EQ(kPaper, canvas.At(0, 0));
    } else {
      EXPECT_EQ(theme(c.frame), canvas.At(0, 0));
      EXPECT_EQ(theme(c.frame), canvas.At(w - 1, h - 1));
    }
    if (c.from == kNone) {
      EXPECT_EQ(kPaper, canvas.At(w / 2, h / 2));
      continue;
    }
    const bool across = c.state.bar_position == kLeft || c.state.bar_position == kRight;
    for (double t : {0.25, 0.75}) {
      const int x = across ? static_cast<int>(w * t) : w / 2, y = across ? h / 2 : static_cast<int>(h * t);
      const COLORREF expected = Along(theme(c.from), theme(c.to), (across ? x + 0.5 : y + 0.5) / (across ? w : h));
      EXPECT_LE(ChannelDistance(expected, canvas.At(x, y)), 4) << "at " << t;
    }
  }
}

TEST_F(OfficeThemesTest, CaptionColoursFollowTheState) {
  struct Case {
    const char* name;
    CTKPaintManager::ItemState state;
    int expected;
  } cases[] = {
      {"menu item", State(false, 0, true, 0, false, kPopup), 44},
      {"selected menu item", State(true, 0, true, 0, false, kPopup), 45},
      {"disabled menu item", State(true, 0, false, 0, false, kPopup), 35},
      {"disabled button", State(false, 0, false, 0, false, kTop), 60},
      {"popped button", State(true, 0, true, 0, true, kTop), 46},
      {"keyboard pressed", State(false, 3, true, 0, false, kTop), 47},
      {"hot and pressed", State(true, 1, true, 0, false, kTop), 47},
      {"hot and checked", State(true, 0, true, 1, false, kTop), 47},
      {"hot", State(true, 0, true, 0, false, kTop), 45},
      {"checked", State(false, 0, true, 1, false, kTop), 45},
      {"idle", State(false, 0, true, 0, false, kTop), 46},
  };
  Theme theme(1);
  for (const Case& c : cases) EXPECT_EQ(c.expected, theme.pm->TextColorForState(c.state)) << c.name;
}

// ---------------------------------------------------------------------------------------------
// Colours

TEST_F(OfficeThemesTest, ColourSchemesGiveTheGradientLooks) {
  struct Case {
    const char* name;
    int theme, scheme;
    COLORREF face_light, face_dark;
    float face_factor;
    COLORREF dock_light, dock_dark, shadow, c31, c32;
  } cases[] = {
      {"2003 blue", 2, 1, RGB(221, 236, 254), RGB(129, 169, 226), 0.75f, RGB(158, 190, 245), RGB(196, 218, 250),
       RGB(59, 97, 156), RGB(255, 238, 194), RGB(0, 0, 128)},
      {"2003 olive", 2, 2, RGB(244, 247, 222), RGB(183, 198, 145), 0.3f, RGB(217, 217, 167), RGB(242, 241, 228),
       RGB(96, 128, 88), RGB(255, 238, 194), RGB(63, 93, 56)},
      {"2003 silver", 2, 3, RGB(249, 249, 255), RGB(156, 155, 183), 0.75f, RGB(215, 215, 229), RGB(243, 243, 247),
       RGB(124, 124, 148), RGB(255, 238, 194), RGB(75, 75, 111)},
      {"whidbey blue", 4, 1, RGB(250, 249, 245), RGB(192, 192, 168), 0.75f, RGB(229, 229, 215), RGB(244, 241, 231),
       RGB(163, 163, 124), RGB(255, 238, 194), RGB(0, 0, 128)},
      {"whidbey olive", 4, 2, RGB(250, 249, 245), RGB(192, 192, 168), 0.75f, RGB(229, 229, 215), RGB(244, 241, 231),
       RGB(163, 163, 124), RGB(182, 198, 141), RGB(63, 93, 56)},
      {"whidbey silver", 4, 3, RGB(243, 244, 250), RGB(153, 151, 181), 0.75f, RGB(215, 215, 229), RGB(243, 243, 247),
       RGB(124, 124, 148), RGB(255, 238, 194), RGB(75, 75, 111)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseScheme(c.scheme);
    Theme theme(c.theme);
    CTKOffice2003Theme* t = theme.Gradients();
    EXPECT_TRUE(t->SchemeColorsInUse());
    EXPECT_EQ(c.face_light, t->ToolBarFaceGradient().light.Color());
    EXPECT_EQ(c.face_dark, t->ToolBarFaceGradient().dark.Color());
    EXPECT_FLOAT_EQ(c.face_factor, t->ToolBarFaceGradient().factor);
    EXPECT_EQ(c.dock_light, t->DockBarGradient().light.Color());
    EXPECT_EQ(c.dock_dark, t->DockBarGradient().dark.Color());
    EXPECT_EQ(c.shadow, t->ToolBarShadow());
    EXPECT_EQ(c.c31, t->ResolveColor(31));
    EXPECT_EQ(c.c32, t->ResolveColor(32));
    EXPECT_EQ(RGB(141, 141, 141), t->ResolveColor(60));
    EXPECT_EQ(t->FloatingCaptionColor(), t->ResolveColor(61));
  }
  // Whidbey blue: the checked-popped gradient copies the tool-bar face.
  UseScheme(1);
  Theme whidbey(4);
  EXPECT_EQ(whidbey.Gradients()->ToolBarFaceGradient().dark.Color(),
            whidbey.Gradients()->CheckedPoppedGradient().dark.Color());
  // A colour the application set stays over the scheme's.
  Theme custom(2);
  custom.pm->SetCustomColor(31, RGB(9, 9, 9));
  custom.pm->ReloadColorsAndFonts();
  EXPECT_EQ(RGB(9, 9, 9), custom.pm->ResolveColor(31));
}

TEST_F(OfficeThemesTest, WithoutASchemeTheGradientsAreMixedFromSystemColours) {
  struct Case {
    const char* name;
    int scheme;       // the visual style in use
    int selection;    // the paint manager's choice of scheme
    bool luna_off;    // the colour manager's scheme colours switched off
    bool low_colour;  // 256 colours or fewer
  } cases[] = {
      {"no visual style", 0, 5, false, false},
      {"a style without a scheme", -1, 5, false, false},
      {"blue style, scheme switched off in the paint manager", 1, 0, false, false},
      {"blue style, scheme colours off in the colour manager", 1, 5, true, false},
      {"low colour display", 0, 5, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseScheme(c.scheme);
    Colors().SetLunaColorsDisabled(c.luna_off);
    Colors().OverrideLowColorDisplay(c.low_colour);
    CTKOffice2003Theme theme;
    theme.SetSystemThemeSelection(c.selection);
    theme.ReloadColorsAndFonts();
    auto C = [&](int i) { return theme.ResolveColor(i); };
    auto mix = [](COLORREF a, COLORREF b, int w) { return CTKColorManager::MixColors(a, b, w); };
    EXPECT_FALSE(theme.SchemeColorsInUse());
    EXPECT_EQ(C(30), theme.ToolBarShadow());
    EXPECT_EQ(C(16), theme.FloatingCaptionColor());
    EXPECT_EQ(mix(C(5), C(42), 550), theme.ExpandedGripperGradient().light.Color());
    EXPECT_EQ(C(42), theme.ExpandedGripperGradient().dark.Color());
    struct Pair {
      const char* what;
      const CTKPaintManagerColorGradient& gradient;
      COLORREF light, dark;
    } pairs[] = {
        {"tool-bar face", theme.ToolBarFaceGradient(), mix(C(15), C(5), 205), C(15)},
        {"dock bar", theme.DockBarGradient(), C(15), mix(C(15), C(5), 205)},
        {"popped", theme.PoppedControlGradient(), C(41), mix(C(5), C(15), 550)},
        {"expand button", theme.ExpandButtonGradient(), mix(C(51), C(16), 51), C(16)},
    };
    for (const Pair& p : pairs) {
      EXPECT_EQ(c.low_colour ? C(15) : p.light, p.gradient.light.Color()) << p.what;
      EXPECT_EQ(c.low_colour ? C(15) : p.dark, p.gradient.dark.Color()) << p.what;
    }
    // Without scheme colours a hot button is flat.
    Canvas canvas(20, 20, kPaper);
    Paint(canvas, [&](CDC* dc) { theme.PaintStateRect(dc, CRect(0, 0, 20, 20), State(true, 0, true, 0, false, kTop)); });
    EXPECT_EQ(C(31), canvas.At(10, 2));
    EXPECT_EQ(C(31), canvas.At(10, 17));
    Colors().SetLunaColorsDisabled(false);
    Colors().OverrideLowColorDisplay(false);
  }
}

// ---------------------------------------------------------------------------------------------
// Bars

TEST_F(OfficeThemesTest, BarsDrawTheirBackgroundsFramesAndGrippers) {
  struct Probe {
    int x, y;  // negative: from the right or bottom edge
    COLORREF colour;
  };
  struct Case {
    const char* name;
    int theme, scheme, type, position;
    Probe probes[5];
  } cases[] = {
      {"office menu bar: flat face", 1, 0, kMenuBar, kTop, {{0, 0, 15}, {50, 12, 15}, {-1, -1, 15}}},
      {"office tool bar: light face framed in face with inner corners", 1, 0, kToolBar, kTop,
       {{0, 12, 15}, {1, 1, 15}, {50, 12, 30}, {-2, -2, 15}, {3, 5, 38}}},
      {"office tool bar: gripper lines on every second row", 1, 0, kToolBar, kTop,
       {{5, 5, 38}, {6, 5, 30}, {4, 6, 30}, {4, 7, 38}}},
      {"office tool bar docked left: gripper across the top", 1, 0, kToolBar, kLeft, {{5, 3, 38}, {5, 6, 30}, {6, 4, 30}}},
      {"office floating bar: two-pixel frame and inner corners", 1, 0, kToolBar, kFloating,
       {{0, 0, 61}, {1, 1, 61}, {2, 2, 61}, {-3, -3, 61}, {3, 40, 30}}},
      {"office menu: frame, gutter and paper", 1, 0, kPopupBar, kPopup, {{0, 0, 43}, {1, 10, 30}, {-2, 10, 41}}},
      {"2003 blue menu: frame, gutter from the face's light colour", 2, 1, kPopupBar, kPopup,
       {{0, 0, RGB(0, 45, 150)}, {1, 10, RGB(221, 236, 254)}, {-2, 10, RGB(246, 246, 246)}}},
      {"2003 blue tool bar: dock gradient left, face, shadow line, grip dots", 2, 1, kToolBar, kTop,
       {{0, 12, RGB(158, 190, 245)}, {50, 1, RGB(221, 236, 254)}, {50, -1, RGB(59, 97, 156)}, {6, 5, RGB(39, 65, 118)},
        {8, 7, 5}}},
      {"2003 blue tool bar docked right: shadow line down the right", 2, 1, kToolBar, kRight,
       {{-1, 50, RGB(59, 97, 156)}, {1, 50, RGB(221, 236, 254)}, {5, 6, RGB(39, 65, 118)}}},
      {"2003 classic tool bar: face mixed from the system colours", 2, 0, kToolBar, kTop,
       {{50, 1, CTKColorManager::MixColors(RGB(212, 208, 200), RGB(255, 255, 255), 205)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseScheme(c.scheme);
    Theme theme(c.theme);
    const bool side = c.position == kLeft || c.position == kRight;
    const SIZE size = c.position == kFloating ? SIZE{100, 60} : side ? SIZE{26, 100} : SIZE{100, 26};
    Bar bar(theme.pm, c.type, c.position, size);
    bar.bar->SetGripperVisible(true);
    Canvas canvas(size.cx, size.cy, kPaper);
    Paint(canvas, [&](CDC* dc) {
      theme.pm->PaintBarBackground(dc, bar.bar);
      theme.pm->PaintBarGripper(dc, bar.bar, true);
    });
    for (const Probe& p : c.probes) {
      if (!p.x && !p.y && !p.colour) continue;
      const int x = p.x < 0 ? size.cx + p.x : p.x, y = p.y < 0 ? size.cy + p.y : p.y;
      EXPECT_LE(ChannelDistance(theme(p.colour), canvas.At(x, y)), 3) << "at " << x << "," << y;
    }
  }
}

TEST_F(OfficeThemesTest, BarGrippersAndBordersMeasure) {
  struct Case {
    int theme, position, height;
    SIZE gripper;
    RECT borders;
  } cases[] = {
      {1, kTop, 26, {6, 0}, {2, 2, 2, 2}},  {1, kLeft, 26, {0, 8}, {2, 2, 2, 2}},
      {2, kTop, 26, {6, 0}, {4, 2, 2, 2}},  {2, kBottom, 26, {6, 0}, {4, 2, 2, 2}},
      {2, kRight, 26, {0, 8}, {2, 2, 2, 2}}, {4, kPopup, 26, {0, 0}, {2, 2, 2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "theme " << c.theme << " position " << c.position);
    Theme theme(c.theme);
    Bar bar(theme.pm, c.position == kPopup ? kPopupBar : kToolBar, c.position, SIZE{100, c.height});
    bar.bar->SetGripperVisible(true);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    const CSize gripper = theme.pm->PaintBarGripper(&dc, bar.bar, false);
    EXPECT_EQ(c.gripper.cx, gripper.cx);
    EXPECT_EQ(c.gripper.cy, gripper.cy);
    EXPECT_EQ(CRect(c.borders), theme.pm->BarBorderInsets(bar.bar));
  }
}

TEST_F(OfficeThemesTest, AToolBarTenPixelsHighHasNoGripperLines) {
  Theme theme(1);
  Bar bar(theme.pm, kToolBar, kTop, SIZE{60, 10});
  bar.bar->SetGripperVisible(true);
  Canvas canvas(60, 10, kPaper);
  Paint(canvas, [&](CDC* dc) { theme.pm->PaintBarGripper(dc, bar.bar, true); });
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(kPaper, canvas.At(x, y)) << x << "," << y;
}

TEST_F(OfficeThemesTest, SeparatorsAreEngravedOnGradientBarsAndPlainWhenAsked) {
  UseScheme(1);
  Theme theme(2);
  Bar bar(theme.pm, kToolBar, kTop, SIZE{100, 26});
  CTKControl* control = bar.bar->GetControls()->Add(kButton, 0);
  control->SetRect(CRect(40, 2, 62, 24));
  for (bool plain : {false, true}) {
    SCOPED_TRACE(plain ? "plain" : "engraved");
    theme.Gradients()->SetPlainSeparators(plain);
    Canvas canvas(100, 26, kPaper);
    Paint(canvas, [&](CDC* dc) {
      EXPECT_EQ(CSize(0, 0), theme.pm->PaintGroupSeparator(dc, control, bar.bar, true));
    });
    EXPECT_EQ(theme(39), canvas.At(36, 12));
    EXPECT_EQ(plain ? kPaper : theme(20), canvas.At(37, 12));
    EXPECT_EQ(kPaper, canvas.At(36, 5));  // the line keeps four pixels from the ends
  }
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  EXPECT_EQ(CSize(6, 6), theme.pm->PaintGroupSeparator(&dc, control, bar.bar, false));
  bar.bar->SetPosition(kFloating);
  EXPECT_EQ(CSize(6, 0), theme.pm->PaintGroupSeparator(&dc, control, bar.bar, false));
}

TEST_F(OfficeThemesTest, TearOffGripperDotsSpanByTheBandsWidth) {
  UseScheme(1);
  Theme theme(2);
  struct Case {
    int width, half_length;
  } cases[] = {{100, 32}, {60, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    Canvas canvas(c.width, 9, kPaper);
    Paint(canvas, [&](CDC* dc) { EXPECT_EQ(CSize(0, 9), theme.pm->PaintTearOffBand(dc, CRect(0, 0, c.width, 9), false, true)); });
    int first = -1, last = -1;
    for (int x = 0; x < c.width; ++x)
      if (canvas.At(x, 4) == theme(38)) {
        if (first < 0) first = x;
        last = x;
      }
    const int centre = c.width / 2;
    EXPECT_EQ(centre - c.half_length, first);
    EXPECT_GE(last, centre + c.half_length - 6);
    EXPECT_LT(last, centre + c.half_length);
    EXPECT_EQ(RGB(169, 199, 240), canvas.At(1, 1));  // the blue scheme's tear-off gripper colour
    EXPECT_EQ(theme(41), canvas.At(0, 0));
  }
}

TEST_F(OfficeThemesTest, DockAreasAndSizeGripsFollowTheVisualStyle) {
  for (bool styled : {false, true}) {
    SCOPED_TRACE(styled ? "visual styles" : "classic");
    UseScheme(styled ? 1 : 0);
    Theme theme(4);
    Canvas canvas(40, 30, kPaper);
    Paint(canvas, [&](CDC* dc) {
      theme.pm->PaintDockArea(dc, CRect(0, 0, 40, 10));
      theme.pm->PaintSizeGrip(dc, CRect(0, 10, 40, 30));
    });
    const COLORREF dockLight = styled ? RGB(229, 229, 215) : theme(15);
    EXPECT_LE(ChannelDistance(dockLight, canvas.At(0, 5)), 2);
    if (styled)
      EXPECT_EQ(FakeTheme::PartColor(3, 0), canvas.At(30, 20));
    else
      EXPECT_EQ(theme(20), canvas.At(39, 29 - 10));  // the light line of the classic grip's outer ridge
  }
}

// ---------------------------------------------------------------------------------------------
// Menus and marks

TEST_F(OfficeThemesTest, MenuItemsHighlightTheRowBoxTheCheckAndOpenTowardsTheirControl) {
  Theme theme(1);
  const CSize cell = theme.pm->IconCellSize(nullptr);
  OpenedBar* menuMade = new OpenedBar;
  Bar owner(theme.pm, kMenuBar, kTop, SIZE{200, 26}, nullptr, POINT{100, 100});
  CTKControl* title = owner.bar->GetControls()->Add(kPopupControl, 0);
  title->SetRect(CRect(10, 2, 50, 24));
  Bar menu(theme.pm, kPopupBar, kPopup, SIZE{160, 3 * cell.cy + 4}, menuMade, POINT{110, 124});
  menuMade->parent = owner.bar;
  static_cast<CTKControlPopup*>(title)->SetCommandBar(menu.bar);
  CTKControl* hot = menu.bar->GetControls()->Add(kButton, 0);
  CTKControl* checked = menu.bar->GetControls()->Add(kButton, 0);
  CTKControl* sub = menu.bar->GetControls()->Add(kPopupControl, 0);
  for (CTKControl* item : {hot, checked, sub}) item->SetCaption(L"Item");
  for (int i = 0; i < 3; ++i) menu.bar->GetControl(i)->SetRect(CRect(2, 2 + i * cell.cy, 158, 2 + (i + 1) * cell.cy));
  hot->SetSelected(1);
  checked->SetChecked(1);
  Canvas canvas(160, 3 * cell.cy + 4, kPaper);
  Paint(canvas, [&](CDC* dc) { menu.bar->DrawCommandBar(dc, CRect(0, 0, 160, 3 * cell.cy + 4)); });
  // The hot row is filled and framed across its whole width, gutter included.
  EXPECT_EQ(theme(32), canvas.At(2, 2));
  EXPECT_EQ(theme(31), canvas.At(5, 2 + cell.cy / 2));
  EXPECT_EQ(theme(31), canvas.At(150, 4));
  // The checked item's box behind its check, in the gutter; the gutter elsewhere.
  const int checkTop = 2 + cell.cy;
  EXPECT_EQ(theme(37), canvas.At(3, checkTop + 1));
  EXPECT_EQ(theme(36), canvas.At(4, checkTop + 3));
  EXPECT_EQ(theme(30), canvas.At(4, 2 + 2 * cell.cy + 3));
  bool black = false;
  for (int y = checkTop; y < checkTop + cell.cy; ++y)
    for (int x = 2; x < 2 + cell.cx; ++x) black |= canvas.At(x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(black);
  // The sub-menu arrow points right, 8 to 11 pixels inside the row's right edge.
  const int mid = 2 + 2 * cell.cy + cell.cy / 2;
  EXPECT_EQ(theme(44), canvas.At(158 - 11, mid));
  EXPECT_EQ(theme(44), canvas.At(158 - 9, mid));
  EXPECT_EQ(theme(41), canvas.At(158 - 6, mid));
  // The frame opens towards the title that opened the menu: the title spans 110..150 on the
  // screen, the menu starts at 110.
  EXPECT_EQ(CRect(1, 0, 40, 1), CTKOfficeTheme::PopupEdgeToControl(menu.bar));
  EXPECT_EQ(theme(30), canvas.At(1, 0));
  EXPECT_EQ(theme(30), canvas.At(39, 0));
  EXPECT_EQ(theme(43), canvas.At(0, 0));
  EXPECT_EQ(theme(43), canvas.At(40, 0));
  // A menu that does not touch its title keeps its frame.
  ::SetWindowPos(menu.bar->GetSafeHwnd(), nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(CTKOfficeTheme::PopupEdgeToControl(menu.bar).IsRectEmpty());
}

TEST_F(OfficeThemesTest, RowsShownOnlyInAnExpandedMenuMarkTheirGutter) {
  struct Case {
    int theme, scheme;
    COLORREF expanded, plain;
  } cases[] = {{1, 0, 42, 30}, {2, 1, RGB(203, 221, 246), RGB(221, 236, 254)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.theme);
    UseScheme(c.scheme);
    Theme theme(c.theme);
    const CSize cell = theme.pm->IconCellSize(nullptr);
    Bar menu(theme.pm, kPopupBar, kPopup, SIZE{120, 2 * cell.cy + 4});
    Canvas canvas(120, 2 * cell.cy + 4, kPaper);
    Paint(canvas, [&](CDC* dc) {
      theme.pm->PaintBarBackground(dc, menu.bar);
      for (int i = 0; i < 2; ++i) {
        CTKControl* item = menu.bar->GetControls()->Add(kButton, 0);
        item->SetCaption(L"Item");
        item->SetRect(CRect(2, 2 + i * cell.cy, 118, 2 + (i + 1) * cell.cy));
        item->SetHideFlag(kHideExpand, i == 1);
        theme.pm->PaintPopupItem(dc, item, true);
      }
    });
    EXPECT_LE(ChannelDistance(theme(c.plain), canvas.At(1, 2 + cell.cy / 2)), 3);
    EXPECT_LE(ChannelDistance(theme(c.expanded), canvas.At(1, 2 + cell.cy + cell.cy / 2)), 3);
    EXPECT_EQ(theme(41), canvas.At(2 + cell.cx + 2, 2 + cell.cy + 2));  // the row itself is not marked
  }
}

// A menu that shows two columns: the gutter is two cells wide, the check stands in the first
// cell and the icon in the second, and the caption moves right by a cell. With one column a
// checked item with an icon shows the icon on its box and no check.
TEST_F(OfficeThemesTest, TwoColumnMenusShowTheCheckBesideTheIcon) {
  CTKImageManager& images = CTKImageManager::Instance();
  KestrinWinNS::CScopedIcon made = SolidIcon(16, RGB(0x20, 0xC0, 0x40));
  ASSERT_TRUE(images.AddIconImage(made.Get(), 0x7A32, 0, 0, 0));
  made.Reset();
  auto green = [](COLORREF c) {
    return GetGValue(c) > GetRValue(c) + 20 && GetGValue(c) > GetBValue(c) + 20;
  };
  Theme theme(1);
  const CSize cell = theme.pm->IconCellSize(nullptr);
  int widths[2] = {};
  for (bool two : {false, true}) {
    SCOPED_TRACE(two ? "two columns" : "one column");
    Bar menu(theme.pm, kPopupBar, kPopup, SIZE{200, 2 * cell.cy + 4});
    menu.bar->SetShowTwoColumns(two);
    EXPECT_EQ(cell.cx * (two ? 2 : 1) + 1, theme.pm->IconColumnWidth(menu.bar));
    CTKControl* checked = menu.bar->GetControls()->Add(kButton, 0x7A32);
    CTKControl* plain = menu.bar->GetControls()->Add(kButton, 0);
    for (CTKControl* item : {checked, plain}) item->SetCaption(L"Item");
    checked->SetChecked(1);
    checked->SetRect(CRect(2, 2, 198, 2 + cell.cy));
    plain->SetRect(CRect(2, 2 + cell.cy, 198, 2 + 2 * cell.cy));
    Canvas canvas(200, 2 * cell.cy + 4, kPaper);
    Paint(canvas, [&](CDC* dc) {
      menu.bar->DrawCommandBar(dc, CRect(0, 0, 200, 2 * cell.cy + 4));
      widths[two] = theme.pm->PaintPopupItem(dc, plain, false).cx;
    });
    bool black = false;
    for (int y = 2; y < 2 + cell.cy; ++y)
      for (int x = 2; x < 2 + cell.cx; ++x) black |= canvas.At(x, y) == RGB(0, 0, 0);
    EXPECT_EQ(two, black);
    const int middle = 2 + cell.cy / 2;
    EXPECT_EQ(!two, green(canvas.At(2 + cell.cx / 2, middle)));
    EXPECT_EQ(two, green(canvas.At(2 + cell.cx + cell.cx / 2, middle)));
    // The gutter beside the plain item reaches over the second cell only with two columns.
    EXPECT_EQ(theme(two ? 30 : 41), canvas.At(2 + cell.cx + cell.cx / 2, 2 + cell.cy + cell.cy / 2));
  }
  EXPECT_EQ(widths[0] + cell.cx, widths[1]);
  images.RemoveAll();
}

// The right side stands at the dark end of the dock gradient: its dock bar and the bars docked
// there take the gradient's dark colour; the other sides show the gradient.
TEST_F(OfficeThemesTest, TheRightSideTakesTheDockGradientsDarkColour) {
  UseScheme(1);
  Theme theme(2);
  const COLORREF light = RGB(158, 190, 245), dark = RGB(196, 218, 250);
  struct Case {
    const char* name;
    DWORD style;
    COLORREF expected;
  } cases[] = {{"right", CBRS_RIGHT, dark}, {"left", CBRS_LEFT, light}, {"top", CBRS_TOP, light}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas area(30, 100, kPaper);
    Paint(area, [&](CDC* dc) { theme.pm->PaintDockBarArea(dc, CRect(0, 0, 30, 100), c.style); });
    EXPECT_LE(ChannelDistance(c.expected, area.At(1, 50)), 3);
    if (c.style == CBRS_TOP) continue;
    // A bar docked on that side: above its body (the top 3 rows) the dock bar's colour shows.
    Bar bar(theme.pm, kToolBar, kLeft, SIZE{26, 100});
    bar.bar->SetBarStyle(c.style);
    Canvas canvas(26, 100, kPaper);
    Paint(canvas, [&](CDC* dc) { theme.pm->PaintBarBackground(dc, bar.bar); });
    EXPECT_LE(ChannelDistance(c.expected, canvas.At(1, 1)), 3);
  }
}

// The fixed gripper of a bar that the mouse moves looks pressed: the checked-control gradient
// with scheme colours, colour 36 without; else the tool-bar face.
TEST_F(OfficeThemesTest, AFixedGripperLooksPressedWhileItsBarMoves) {
  struct Case {
    const char* name;
    int scheme;
    bool moving;
    COLORREF top;
  } cases[] = {
      {"blue, at rest", 1, false, RGB(221, 236, 254)},
      {"blue, moving", 1, true, RGB(255, 213, 140)},
      {"classic, moving", 0, true, 36},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseScheme(c.scheme);
    Theme theme(2);
    Bar bar(theme.pm, kToolBar, kTop, SIZE{60, 40});
    if (c.moving) bar.bar->EnableDockContext()->PrepareMove(POINT{2, 2});
    Canvas canvas(60, 40, kPaper);
    Paint(canvas, [&](CDC* dc) { theme.pm->PaintFixedGrip(dc, bar.bar, true); });
    EXPECT_LE(ChannelDistance(theme(c.top), canvas.At(30, 3)), 3);
  }
}

TEST_F(OfficeThemesTest, CheckAndRadioMarksTakeTheirColoursByState) {
  Theme theme(1);
  struct Case {
    const char* name;
    bool radio;
    int state, checked;
    int fill, border, glyph;  // -1: none
  } cases[] = {
      {"check box", false, 1, 0, 5, 52, -1},
      {"hot check box, checked", false, 2, 1, 31, 32, 18},
      {"pressed check box", false, 3, 1, 33, 32, 18},
      {"disabled check box: frame only", false, 4, 1, -1, 35, 35},
      {"indeterminate check box", false, 1, 2, 5, 52, 35},
      {"radio", true, 1, 0, 5, 52, -1},
      {"hot radio, checked", true, 2, 1, 31, 32, 18},
      {"disabled radio", true, 4, 1, 51, 35, 35},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(13, 13, kPaper);
    Paint(canvas, [&](CDC* dc) {
      const CSize size = c.radio ? theme.pm->PaintRadioBox(dc, CRect(0, 0, 13, 13), true, c.state, c.checked)
                                 : theme.pm->PaintCheckBox(dc, CRect(0, 0, 13, 13), true, c.state, c.checked);
      EXPECT_EQ(CSize(13, 13), size);
    });
    // Check boxes are framed squares; radio marks discs whose rim passes through the edge's middle.
    // (a rim pixel a quarter of a pixel outside the radius keeps a quarter of what lay there).
    if (c.radio)
      EXPECT_LE(ChannelDistance(Along(theme(c.border), kPaper, 0.25), canvas.At(6, 0)), 2);
    else
      EXPECT_EQ(theme(c.border), canvas.At(0, 6));
    EXPECT_EQ(c.fill < 0 ? kPaper : theme(c.fill), canvas.At(6, 10));
    if (c.radio) EXPECT_EQ(kPaper, canvas.At(0, 0));
    if (c.glyph < 0) {
      EXPECT_EQ(c.fill < 0 ? kPaper : theme(c.fill), canvas.At(6, 6));
    } else {
      int glyph = 0;
      for (int y = 3; y < 10; ++y)
        for (int x = 3; x < 10; ++x) glyph += canvas.At(x, y) == theme(c.glyph);
      EXPECT_GE(glyph, 3);
    }
  }
}

// A 16 x 16 icon, opaque white on its left half and black on its right.
HICON MakeHalfIcon() {
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap colour = KestrinWinNS::CreateDib32(16, 16, &bits);
  DWORD* pixels = static_cast<DWORD*>(bits);
  for (int i = 0; i < 256; ++i) pixels[i] = (i % 16) < 8 ? 0xFFFFFFFF : 0xFF000000;
  const WORD zeros[16] = {};
  KestrinWinNS::CScopedBitmap mask(::CreateBitmap(16, 16, 1, 1, zeros));
  ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
  return ::CreateIconIndirect(&info);
}

TEST_F(OfficeThemesTest, DisabledIconsAreTintedBetweenTheFaceGradientsColours) {
  CTKImageManager& images = CTKImageManager::Instance();
  KestrinWinNS::CScopedIcon made(MakeHalfIcon());
  ASSERT_TRUE(images.AddIconImage(made.Get(), 0x7A31, 0, 0, 0));
  made.Reset();
  CTKImageManagerIcon* icon = images.GetImage(0x7A31, 16);
  ASSERT_NE(nullptr, icon);
  struct Case {
    const char* name;
    int theme, scheme;
    COLORREF white, black;  // what the white and the black half become
  } cases[] = {
      {"default: a silhouette in the shadow colour", 0, 0, 16, 16},
      {"office: the face gradient of system colours", 1, 0, 15, 16},
      {"2003 blue: the scheme's face gradient", 2, 1, RGB(233, 236, 242), RGB(97, 122, 172)},
      {"whidbey olive", 4, 2, RGB(236, 233, 216), RGB(172, 168, 153)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseScheme(c.scheme);
    Theme theme(c.theme);
    Canvas canvas(17, 17, kPaper);
    Paint(canvas, [&](CDC* dc) {
      theme.pm->PaintItemIcon(dc, CPoint(0, 0), CSize(16, 16), icon, State(false, 0, false, 0, false, kTop));
    });
    EXPECT_LE(ChannelDistance(theme(c.white), canvas.At(3, 8)), 2);
    EXPECT_LE(ChannelDistance(theme(c.black), canvas.At(12, 8)), 2);
  }
  images.RemoveAll();
  images.SetDisabledColors(CLR_INVALID, CLR_INVALID);
}

TEST_F(OfficeThemesTest, TheTintedGlyphShadesFromTheCheckedPoppedColours) {
  UseScheme(1);
  Theme theme(2);
  CTKOffice2003Theme* t = theme.Gradients();
  ASSERT_NE(nullptr, t->TintedGlyph());
  Canvas canvas(16, 16, kPaper);
  ImageList_Draw(t->TintedGlyph(), 0, canvas.dc(), 0, 0, ILD_NORMAL);
  const COLORREF light = RGB(227, 239, 254), dark = RGB(129, 169, 226);  // the blue checked-popped gradient
  int darkest = 0, background = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int v = CTKOffice2003Theme::TintedGlyphIntensity(x, y);
      if (v == 255) {
        background += canvas.At(x, y) == kPaper;
        continue;
      }
      darkest += v == 0;
      const COLORREF expected = Along(dark, light, v / 255.0);
      EXPECT_LE(ChannelDistance(expected, canvas.At(x, y)), 1) << x << "," << y;
    }
  EXPECT_GT(darkest, 0);
  EXPECT_GT(background, 0);
}

TEST_F(OfficeThemesTest, TheExpandButtonShowsItsStateAndGlyph) {
  UseScheme(1);
  Theme theme(2);
  struct Case {
    const char* name;
    CTKPaintManager::ItemState state;
    COLORREF top, glyph;
  } cases[] = {
      {"idle", State(false, 0, true, 0, false, kTop), RGB(117, 166, 241), 46},
      {"hot", State(true, 0, true, 0, false, kTop), RGB(255, 242, 200), 45},
      {"open", State(true, 0, true, 0, true, kTop), RGB(254, 142, 75), 46},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(12, 24, kPaper);
    Paint(canvas, [&](CDC* dc) { theme.pm->PaintSpecialButton(dc, CRect(0, 0, 12, 24), 0, c.state, true); });
    EXPECT_LE(ChannelDistance(c.top, canvas.At(0, 0)), 3);
    // The line over the arrow at bottom - 10, the arrow's tip at bottom - 5, a chevron at the top.
    EXPECT_EQ(theme(c.glyph), canvas.At(6, 14));
    EXPECT_EQ(theme(c.glyph), canvas.At(6, 18));
    EXPECT_EQ(theme(c.glyph), canvas.At(3, 5));
  }
}

}  // namespace
