// The bars' tooltip window under the ribbon theme: it takes the theme's cut-corner shape and
// paints the theme's face, and gives both back when the tip comes from a bar whose theme draws
// no tooltips of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/ribbon/ribbon_test_bar.h"
#include "tests/toolkit/ribbon/ribbon_test_theme.h"
#include "toolkit/commandbars/bar_tooltips.h"
#include "toolkit/paint/default_theme.h"

namespace {

constexpr int kTipWidth = 64;
constexpr int kTipHeight = 20;

// The ribbon's site stands for the active window while the fixture lives: the tips then follow
// the pointer whichever program is in front on the desktop the test programs share.
HWND g_site = nullptr;
HWND ActiveSite() { return g_site; }

class RibbonTooltip : public RibbonThemeTest<> {
 protected:
  void SetUp() override {
    RibbonThemeTest::SetUp();
    CTKToolTipContext::ThreadInstance().SetActiveWindowQuery(&ActiveSite);
  }
  void TearDown() override {
    CTKToolTipContext::ThreadInstance().SetActiveWindowQuery(nullptr);
    RibbonThemeTest::TearDown();
  }

  // Shows the tip of `control` of `f`'s ribbon the way the bar's mouse handling does, then
  // gives the tooltip window a known size (the system sizes it only when it pops up).
  HWND TipOver(RibbonFixture& f, CTKControl* control) {
    CTKToolTipContext& tips = CTKToolTipContext::ThreadInstance();
    const CPoint at = control->GetRect().CenterPoint();
    tips.FilterBarMessage(f.ribbon, f.ribbon->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y), true);
    HWND tip = tips.GetToolTipWindow();
    if (tip)
      ::SetWindowPos(tip, nullptr, 0, 0, kTipWidth, kTipHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return tip;
  }
};

TEST_F(RibbonTooltip, TheWindowTakesTheThemesShapeAndFaceAndGivesThemBack) {
  RibbonFixture f(800, 600, true);
  g_site = f.site.hwnd;
  CTKControl* paste = f.ribbon->GetControls()->FindControl(501);
  CTKControl* cut = f.ribbon->GetControls()->FindControl(502);
  paste->SetTooltip(L"Paste");
  cut->SetTooltip(L"Cut");
  f.manager.SetPaintManager(theme_);
  f.Layout(800);

  HWND tip = TipOver(f, paste);
  ASSERT_NE(nullptr, tip);
  EXPECT_EQ(theme_, CTKToolTipContext::ThreadInstance().ThemedPainter());

  // The shape: the four corner pixels are cut, their neighbours kept.
  KestrinWinNS::CScopedRegion region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(ERROR, ::GetWindowRgn(tip, region.Get()));
  const int r = kTipWidth - 1, b = kTipHeight - 1;
  for (POINT corner : {POINT{0, 0}, POINT{r, 0}, POINT{0, b}, POINT{r, b}}) {
    EXPECT_FALSE(::PtInRegion(region.Get(), corner.x, corner.y)) << corner.x << "," << corner.y;
    EXPECT_TRUE(::PtInRegion(region.Get(), corner.x == 0 ? 1 : r - 1, corner.y)) << corner.x << "," << corner.y;
  }

  // The face: the window paints exactly what the theme paints for its whole rectangle.
  Canvas printed(kTipWidth, kTipHeight, RGB(255, 0, 255));
  Canvas expected(kTipWidth, kTipHeight, RGB(255, 0, 255));
  ::SendMessageW(tip, WM_PRINT, reinterpret_cast<WPARAM>(printed.dc()), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  theme_->PaintTooltip(expected.dc(), RECT{0, 0, kTipWidth, kTipHeight}, L"Paste", 0);
  int differing = 0;
  for (int y = 0; y < kTipHeight; ++y)
    for (int x = 0; x < kTipWidth; ++x) differing += printed.At(x, y) != expected.At(x, y);
  EXPECT_EQ(0, differing);
  EXPECT_EQ(theme_->TooltipColour(2), printed.At(1, 0));  // the frame

  // A new size gets a new shape.
  ::SetWindowPos(tip, nullptr, 0, 0, kTipWidth + 10, kTipHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NE(ERROR, ::GetWindowRgn(tip, region.Get()));
  EXPECT_FALSE(::PtInRegion(region.Get(), kTipWidth + 9, 0));
  EXPECT_TRUE(::PtInRegion(region.Get(), kTipWidth - 1, 0));

  // Under a theme without tooltips of its own the next tip is the system's plain rectangle.
  auto* plain = new TKPaintThemes::CTKDefaultTheme;
  f.manager.SetPaintManager(plain);
  plain->InternalRelease();
  f.Layout(800);
  ASSERT_EQ(tip, TipOver(f, cut));
  EXPECT_EQ(nullptr, CTKToolTipContext::ThreadInstance().ThemedPainter());
  EXPECT_EQ(ERROR, ::GetWindowRgn(tip, region.Get()));
}

}  // namespace
