#include <gtest/gtest.h>

#include <vector>

#include "platform/appframe/dc.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/paint/fake_styles.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/paint/default_theme.h"

using namespace TKCommandBars;
using TKPaintThemes::CTKDefaultTheme;
using TKPaintThemes::CTKNativeXPTheme;

namespace {

COLORREF Sys(int index) { return ::GetSysColor(index); }

// A native XP theme whose system flat-menu setting the test gives.
class FlatMenuTheme : public CTKNativeXPTheme {
 public:
  explicit FlatMenuTheme(bool flat) : flat_(flat) {}
  bool SystemFlatMenus(bool* flat) override {
    *flat = flat_;
    return true;
  }

 private:
  bool flat_;
};

// A bar (never shown) holding controls for measuring and drawing.
struct Bar {
  explicit Bar(CTKPaintManager* pm, int type = kToolBar, int position = kTop) {
    bar = new CTKCommandBar;
    bar->SetType(type);
    bar->SetPosition(position);
    bar->SetPaintManager(pm);
  }
  ~Bar() {
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->Release();
  }
  CTKControl* Add(int type, const wchar_t* caption, int style = 0) {
    CTKControl* c = bar->GetControls()->Add(type, 0);
    c->SetCaption(caption);
    c->SetStyle(style);
    return c;
  }
  CTKCommandBar* bar;
};

int TextWidth(CTKPaintManager& pm, const wchar_t* text) {
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  HGDIOBJ old = dc.SelectObject(pm.RegularFont().GetSafeHandle());
  RECT rc{};
  ::DrawTextW(dc, text, -1, &rc, DT_SINGLELINE | DT_CALCRECT);
  dc.SelectObject(old);
  return rc.right;
}

TEST(ThemeMeasuringTest, ControlsMeasureByTheirKindBarAndFixedSizes) {
  for (int number : {0, 3}) {
    CTKPaintManager* pm = NewThemeByNumber(number);
    pm->ReloadColorsAndFonts();
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    const int open = TextWidth(*pm, L"Open");
    const int ctrlO = TextWidth(*pm, L"Ctrl+O");
    const int cell = pm->IconCellSize(nullptr).cx;
    struct Case {
      const char* name;
      int bar_type, position, control_type, width, height;
      SIZE expected;
    } cases[] = {
        {"caption button", kToolBar, kTop, kButton, 0, 0, {open + 8, std::max(22, pm->ControlHeight())}},
        {"fixed width 0 keeps the measured one", kToolBar, kTop, kButton, 0, 30, {open + 8, 30}},
        {"fixed width", kToolBar, kTop, kButton, 50, 0, {50, std::max(22, pm->ControlHeight())}},
        {"docked left: turned", kToolBar, kLeft, kButton, 0, 0, {std::max(22, pm->ControlHeight()), open + 8}},
        {"docked left: fixed width along the bar", kToolBar, kLeft, kButton, 50, 0, {std::max(22, pm->ControlHeight()), 50}},
        {"split button", kToolBar, kTop, kSplitButtonPopup, 0, 0,
         {open + 8 + pm->SplitDropDownWidth() + 1, std::max(22, pm->ControlHeight())}},
        {"menu item with shortcut", kPopupBar, kPopup, kButton, 0, 0,
         {pm->PopupTextGap() + cell + open + ctrlO + 32, pm->IconCellSize(nullptr).cy}},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " in theme " + std::to_string(number));
      Bar bar(pm, c.bar_type, c.position);
      CTKControl* control = bar.Add(c.control_type, c.bar_type == kPopupBar ? L"Open\tCtrl+O" : L"Open", 0);
      control->SetWidth(c.width);
      control->SetHeight(c.height);
      CSize size = pm->PaintControl(&dc, control, false);
      EXPECT_EQ(c.expected.cx, size.cx);
      EXPECT_EQ(c.expected.cy, size.cy);
    }
    pm->Release();
  }
}

// ---------------------------------------------------------------------------------------------
// Faces by pixels

struct FaceCase {
  const char* name;
  CTKPaintManager::ItemState state;
  COLORREF top_left, bottom_right, inside;
};

TEST(DefaultThemeDrawingTest, StateRectanglesDrawTheirFramesAndFills) {
  CTKDefaultTheme theme;
  theme.ReloadColorsAndFonts();
  const COLORREF bg = RGB(1, 2, 3);
  auto state = [](bool sel, int pressed, bool enabled, int checked, bool popped, int type, int position) {
    CTKPaintManager::ItemState s;
    s.selected = sel;
    s.pressed = pressed;
    s.enabled = enabled;
    s.checked = checked;
    s.popped = popped;
    s.bar_type = type;
    s.bar_position = position;
    return s;
  };
  const FaceCase cases[] = {
      {"hot: raised", state(true, 0, true, 0, false, kToolBar, kTop), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), bg},
      {"pressed: sunken", state(true, 1, true, 0, false, kToolBar, kTop), Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT), bg},
      {"popped: sunken", state(false, 0, true, 0, true, kToolBar, kTop), Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT), bg},
      {"keyboard pressed: sunken", state(false, 2, true, 0, false, kToolBar, kTop), Sys(COLOR_BTNSHADOW),
       Sys(COLOR_BTNHIGHLIGHT), bg},
      {"normal: nothing", state(false, 0, true, 0, false, kToolBar, kTop), bg, bg, bg},
      {"disabled and checked: sunken", state(false, 0, false, 1, false, kToolBar, kTop), Sys(COLOR_BTNSHADOW),
       Sys(COLOR_BTNHIGHLIGHT), bg},
      {"menu item selected: filled", state(true, 0, true, 0, false, kPopupBar, kPopup), Sys(COLOR_HIGHLIGHT),
       Sys(COLOR_HIGHLIGHT), Sys(COLOR_HIGHLIGHT)},
      {"menu item idle: nothing", state(false, 0, true, 0, false, kPopupBar, kPopup), bg, bg, bg},
  };
  for (const FaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(24, 22, bg);
    CDC dc;
    dc.Attach(canvas.dc());
    theme.PaintStateRect(&dc, CRect(0, 0, 24, 22), c.state);
    dc.Detach();
    EXPECT_EQ(c.top_left, canvas.At(0, 0));
    EXPECT_EQ(c.bottom_right, canvas.At(23, 21));
    EXPECT_EQ(c.inside, canvas.At(12, 11));
  }
  // A checked button that is neither hot nor pressed is dithered in face and highlight.
  Canvas canvas(24, 22, bg);
  CDC dc;
  dc.Attach(canvas.dc());
  theme.PaintStateRect(&dc, CRect(0, 0, 24, 22), state(false, 0, true, 1, false, kToolBar, kTop));
  dc.Detach();
  EXPECT_NE(canvas.At(10, 10), canvas.At(11, 10));
  for (COLORREF c : {canvas.At(10, 10), canvas.At(11, 10)})
    EXPECT_TRUE(c == Sys(COLOR_BTNFACE) || c == Sys(COLOR_BTNHIGHLIGHT));
}

// Draws a tool bar with a hot, a checked (beginning a group), a disabled and a hot split
// button; returns their rectangles.
std::vector<CRect> DrawSample(CTKPaintManager* pm, Canvas& canvas) {
  Bar bar(pm);
  bar.bar->SetGripperVisible(false);
  bar.bar->Create(nullptr, WS_POPUP, RECT{0, 0, canvas.width(), canvas.height()});
  CTKControl* hot = bar.Add(kButton, L"Hot", 1);
  CTKControl* checked = bar.Add(kButton, L"On", 1);
  CTKControl* disabled = bar.Add(kButton, L"Off", 1);
  CTKControl* split = bar.Add(kSplitButtonPopup, L"Split", 1);
  checked->SetBeginGroup(true);
  CDC dc;
  dc.Attach(canvas.dc());
  bar.bar->GetControls()->CalcLayout(&dc, canvas.width(), CTKControls::kLayoutCommit, CRect(2, 2, 2, 2), 0);
  hot->SetSelected(1);
  checked->SetChecked(1);
  disabled->SetEnabled(false);
  split->SetSelected(1);
  pm->PaintBarBackground(&dc, bar.bar);
  bar.bar->DrawCommandBar(&dc, CRect(0, 0, canvas.width(), canvas.height()));
  dc.Detach();
  return {hot->GetRect(), checked->GetRect(), disabled->GetRect(), split->GetRect()};
}

TEST(NativeXPThemeTest, WithoutVisualStylesItDrawsExactlyLikeTheDefaultTheme) {
  FakeStyles styles(false);
  CTKDefaultTheme plain;
  CTKNativeXPTheme xp;
  plain.ReloadColorsAndFonts();
  xp.ReloadColorsAndFonts();
  EXPECT_FALSE(xp.StylesActive());
  Canvas a(300, 30), b(300, 30);
  DrawSample(&plain, a);
  DrawSample(&xp, b);
  int differing = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 300; ++x) differing += a.At(x, y) != b.At(x, y);
  EXPECT_EQ(0, differing);
  EXPECT_EQ(0, FakeStyles::draws);
}

TEST(NativeXPThemeTest, WithVisualStylesFacesAndBandsComeFromTheStyleParts) {
  FakeStyles styles(true);
  CTKNativeXPTheme xp;
  xp.ReloadColorsAndFonts();
  ASSERT_TRUE(xp.StylesActive());
  auto face = [&](CTKPaintManager::ItemState s) {
    Canvas canvas(24, 22, RGB(1, 2, 3));
    CDC dc;
    dc.Attach(canvas.dc());
    xp.PaintStateRect(&dc, CRect(0, 0, 24, 22), s);
    dc.Detach();
    return canvas.At(12, 11);
  };
  CTKPaintManager::ItemState s;
  s.selected = true;
  EXPECT_EQ(FakeStyles::PartColor(1, 2), face(s));  // hot
  s.pressed = 1;
  EXPECT_EQ(FakeStyles::PartColor(1, 3), face(s));  // pressed
  s = {};
  s.checked = 1;
  EXPECT_EQ(FakeStyles::PartColor(1, 5), face(s));  // checked
  s.selected = true;
  EXPECT_EQ(FakeStyles::PartColor(1, 6), face(s));  // checked and hot
  s = {};
  s.enabled = false;
  EXPECT_EQ(FakeStyles::PartColor(1, 4), face(s));  // disabled
  s = {};
  s.checked = 2;
  EXPECT_EQ(FakeStyles::PartColor(1, 1), face(s));  // indeterminate counts as unchecked
  // The bar's background is the rebar band (part 3).
  Canvas canvas(300, 30);
  DrawSample(&xp, canvas);
  EXPECT_EQ(FakeStyles::PartColor(3, 0), canvas.At(150, 15));
}

TEST(NativeXPThemeTest, WithoutFlatMenusMenuHighlightsUseTheSelectionColour) {
  FakeStyles styles(true);
  FlatMenuTheme notFlat(false);
  notFlat.ReloadColorsAndFonts();
  EXPECT_FALSE(notFlat.IsFlatMenus());
  EXPECT_EQ(notFlat.ResolveColor(13), notFlat.ResolveColor(29));
  FlatMenuTheme flat(true);
  flat.ReloadColorsAndFonts();
  EXPECT_TRUE(flat.IsFlatMenus());
  EXPECT_EQ(GetColorManagerInstance().ColorByIndex(29), flat.ResolveColor(29));
  // A selected menu item is filled with colour 29 framed with 13.
  Canvas canvas(40, 20);
  CDC dc;
  dc.Attach(canvas.dc());
  CTKPaintManager::ItemState s;
  s.selected = true;
  s.bar_type = kPopupBar;
  s.bar_position = kPopup;
  notFlat.PaintStateRect(&dc, CRect(0, 0, 40, 20), s);
  dc.Detach();
  EXPECT_EQ(notFlat.ResolveColor(29), canvas.At(20, 10));
  EXPECT_EQ(notFlat.ResolveColor(13), canvas.At(0, 0));
}

TEST(DefaultThemeDrawingTest, ABarOfControlsDrawsFacesSeparatorsAndFrameWhereTheControlsAre) {
  CTKDefaultTheme theme;
  theme.ReloadColorsAndFonts();
  Canvas canvas(300, 30);
  std::vector<CRect> rects = DrawSample(&theme, canvas);
  // The bar's raised frame on a face-coloured client area.
  EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), canvas.At(0, 0));
  EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.At(299, 29));
  EXPECT_EQ(Sys(COLOR_BTNFACE), canvas.At(298, 15));
  // The hot button is raised.
  EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), canvas.At(rects[0].left, rects[0].top));
  EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.At(rects[0].right - 1, rects[0].bottom - 1));
  // An etched separator 4 pixels before the checked button that begins a group.
  const int mid = (rects[1].top + rects[1].bottom) / 2;
  EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.At(rects[1].left - 4, mid));
  EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), canvas.At(rects[1].left - 3, mid));
  EXPECT_EQ(rects[0].right + 6, rects[1].left);
  // The checked button is sunken.
  EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.At(rects[1].left, rects[1].top));
  // The disabled button has no frame, its caption is grey text over an embossed copy.
  EXPECT_EQ(Sys(COLOR_BTNFACE), canvas.At(rects[2].left, rects[2].top));
  bool grey = false, embossed = false;
  for (int y = rects[2].top; y < rects[2].bottom; ++y)
    for (int x = rects[2].left; x < rects[2].right; ++x) {
      grey |= canvas.At(x, y) == Sys(COLOR_GRAYTEXT);
      embossed |= canvas.At(x, y) == Sys(COLOR_BTNHIGHLIGHT);
    }
  EXPECT_TRUE(grey);
  EXPECT_TRUE(embossed);
  // The hot split button: both parts raised, the arrow part 12 pixels wide at the right.
  EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), canvas.At(rects[3].right - 12, rects[3].top));
  EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.At(rects[3].right - 13, rects[3].bottom - 1));
}

}  // namespace
