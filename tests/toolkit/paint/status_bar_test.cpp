// Status-bar panes, their edges and the size grip as the default theme draws them.
#include <gtest/gtest.h>

#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/paint/default_theme.h"

namespace {

const COLORREF kPaper = RGB(120, 200, 250);

struct PaneCanvas {
  PaneCanvas(int width, int height) : canvas(width, height, kPaper) {
    theme.ReloadColorsAndFonts();
    dc.Attach(canvas.dc());
  }
  ~PaneCanvas() { dc.Detach(); }
  // Pixels within a column range whose colour is near the given one.
  int Count(COLORREF colour, int fromX, int toX) const {
    int n = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = fromX; x < toX; ++x)
        if (ChannelDistance(canvas.At(x, y), colour) < 40) ++n;
    return n;
  }
  TKPaintThemes::CTKDefaultTheme theme;
  Canvas canvas;
  CDC dc;
};

TEST(StatusBarPaintTest, PaneEdgeIsSunkenUnlessThePaneHasNoBorders) {
  struct Case {
    DWORD style;
    bool edge;
  } cases[] = {{0, true}, {CTKPaintManager::kPaneDisabled, true}, {CTKPaintManager::kPaneNoBorders, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    PaneCanvas p(60, 20);
    p.theme.PaintStatusPane(&p.dc, CRect(0, 0, 60, 20), nullptr, CSize(), L"", c.style, false);
    const COLORREF shadow = p.theme.ResolveColor(16), light = p.theme.ResolveColor(20);
    ASSERT_NE(shadow, kPaper);
    EXPECT_EQ(c.edge ? shadow : kPaper, p.canvas.At(0, 0));
    EXPECT_EQ(c.edge ? shadow : kPaper, p.canvas.At(30, 0));
    EXPECT_EQ(c.edge ? shadow : kPaper, p.canvas.At(0, 10));
    EXPECT_EQ(c.edge ? light : kPaper, p.canvas.At(59, 19));
    EXPECT_EQ(c.edge ? light : kPaper, p.canvas.At(30, 19));
    EXPECT_EQ(kPaper, p.canvas.At(30, 10));  // the pane's inside is left to the background
  }
}

TEST(StatusBarPaintTest, PaneTextIsGreyedWhenDisabledAndFollowsTheIcon) {
  // An 8x8 green icon.
  const int kIcon = 8;
  KestrinWinNS::CScopedIcon icon = SolidIcon(kIcon, RGB(0, 255, 0));
  ASSERT_NE(nullptr, icon.Get());

  const COLORREF kGrey = RGB(255, 0, 0);
  struct Case {
    DWORD style;
    bool greyed;
  } cases[] = {{0, false}, {CTKPaintManager::kPaneDisabled, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    PaneCanvas p(120, 20);
    p.theme.SetCustomColor(17, kGrey);
    const COLORREF text = p.theme.StatusTextColor();
    ASSERT_GT(ChannelDistance(text, kGrey), 100);
    p.theme.PaintStatusPane(&p.dc, CRect(0, 0, 120, 20), icon.Get(), CSize(kIcon, kIcon), L"Ready", c.style, false);
    // The icon sits after the edge and margin, centred across the pane.
    EXPECT_EQ(RGB(0, 255, 0), p.canvas.At(2, 6));
    EXPECT_EQ(RGB(0, 255, 0), p.canvas.At(2 + kIcon - 1, 6 + kIcon - 1));
    EXPECT_EQ(kPaper, p.canvas.At(2, 5));
    // The text starts past the icon and its gap, in the colour the state asks.
    const int textLeft = 2 + kIcon + 2;
    EXPECT_EQ(0, p.Count(c.greyed ? kGrey : text, 1, textLeft));
    EXPECT_GT(p.Count(c.greyed ? kGrey : text, textLeft, 119), 10);
    EXPECT_EQ(0, p.Count(c.greyed ? text : kGrey, textLeft, 119));
  }
}

TEST(StatusBarPaintTest, SizeGripDrawsThreeRidgesInTheCorner) {
  PaneCanvas p(20, 20);
  p.theme.PaintSizeGrip(&p.dc, CRect(0, 0, 20, 20));
  const COLORREF light = p.theme.ResolveColor(20), dark = p.theme.ResolveColor(16);
  // Each ridge: a light diagonal with two dark ones below it; the corner pixel is dark.
  struct Pixel {
    int x, y;
    COLORREF colour;
  } pixels[] = {
      {19, 17, light}, {18, 18, light}, {17, 19, light}, {19, 18, dark}, {18, 19, dark}, {19, 19, dark},
      {19, 13, light}, {13, 19, light}, {19, 14, dark},  {14, 19, dark}, {19, 9, light},  {9, 19, light},
      {19, 10, dark},  {10, 19, dark},  {19, 16, kPaper}, {16, 19, kPaper}, {19, 8, kPaper}, {8, 19, kPaper},
  };
  for (const Pixel& px : pixels) EXPECT_EQ(px.colour, p.canvas.At(px.x, px.y)) << px.x << "," << px.y;
  // Nothing outside the 12-pixel corner.
  EXPECT_EQ(0, p.Count(light, 0, 8));
  EXPECT_EQ(0, p.Count(dark, 0, 8));

  // A grip in a rectangle smaller than the ridges keeps within it.
  PaneCanvas small(20, 20);
  small.theme.PaintSizeGrip(&small.dc, CRect(14, 14, 20, 20));
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      if (x < 14 || y < 14) {
        ASSERT_EQ(kPaper, small.canvas.At(x, y)) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(light, small.canvas.At(19, 17));
}

}  // namespace
