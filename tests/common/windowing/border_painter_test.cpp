#include "common/windowing/border_painter.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "platform/win/gdi.h"

using namespace WindowingNS;

namespace {

const int W = 320, H = 240;

// A 32-bit screen stand-in of W x H, filled with one colour.
class Canvas {
 public:
  explicit Canvas(COLORREF fill) : bitmap_(KestrinWinNS::CreateDib32(W, H, &bits_)), dc_(nullptr, bitmap_.Get()) {
    KestrinWinNS::CScopedBrush brush(CreateSolidBrush(fill));
    RECT all = {0, 0, W, H};
    FillRect(dc_.Get(), &all, brush.Get());
    brush.Reset();
    GdiFlush();
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_.Get(); }
  int R(int x, int y) { return At(x, y)[2]; }
  int G(int x, int y) { return At(x, y)[1]; }
  int B(int x, int y) { return At(x, y)[0]; }

 private:
  const BYTE* At(int x, int y) {
    GdiFlush();
    return static_cast<const BYTE*>(bits_) + ((size_t)y * W + x) * 4;
  }
  void* bits_ = nullptr;  // declared before the bitmap that fills it in
  KestrinWinNS::CScopedBitmap bitmap_;
  KestrinWinNS::CBitmapDC dc_;  // after the bitmap: the selection is undone and the DC deleted first
};

BorderLook Look(int width, COLORREF colour) {
  BorderLook look = {W, H, width, colour, false, {}, "", 10};
  return look;
}

#define EXPECT_NEAR_PX(expected, actual) EXPECT_NEAR((double)(expected), (double)(actual), 3.0)

TEST(BorderPainter, FadeOffsetFollowsTheWidth) {
  struct Case { int width, k; };
  const Case cases[] = {{2, 0}, {4, 0}, {5, 2}, {8, 2}, {9, 2}, {10, 4}, {14, 4}, {15, 6}};
  for (const Case& c : cases) EXPECT_EQ(c.k, BorderFadeOffset(c.width)) << c.width;
}

// The ring is brightest at the screen edge and fades to nothing at its inner side: the
// outermost pixel carries w/(w+k) of the colour.
TEST(BorderPainter, RingFadesInwardFromTheEdge) {
  struct Case { int width; COLORREF colour; };
  const Case cases[] = {{8, RGB(0, 255, 0)}, {2, RGB(255, 0, 0)}, {12, RGB(0, 0, 200)}};
  for (const Case& c : cases) {
    Canvas canvas(RGB(0, 0, 0));
    PaintBorder(canvas.dc(), Look(c.width, c.colour));
    const int w = c.width, k = BorderFadeOffset(w);
    // GradientFill takes each pixel's colour at its left (top) edge: on the left and top
    // edges the outermost pixel has w/(w+k), on the right and bottom (w-1)/(w+k).
    const double outer = (double)w / (w + k), far_outer = (double)(w - 1) / (w + k);
    const int y = H / 2, x = W / 2;
    // Left, right, top and bottom edges, outermost pixel.
    EXPECT_NEAR_PX(GetGValue(c.colour) * outer, canvas.G(0, y)) << w;
    EXPECT_NEAR_PX(GetRValue(c.colour) * outer, canvas.R(0, y)) << w;
    EXPECT_NEAR_PX(GetBValue(c.colour) * far_outer, canvas.B(W - 1, y)) << w;
    EXPECT_NEAR_PX(GetRValue(c.colour) * outer, canvas.R(x, 0)) << w;
    EXPECT_NEAR_PX(GetGValue(c.colour) * far_outer, canvas.G(x, H - 1)) << w;
    // Fading inward, nothing inside the ring.
    auto sum = [&](int px, int py) { return canvas.R(px, py) + canvas.G(px, py) + canvas.B(px, py); };
    for (int i = 1; i < w; ++i) EXPECT_LE(sum(i, y), sum(i - 1, y)) << w << " at " << i;
    EXPECT_LT(sum(w - 1, y), sum(0, y) / 2 + 3) << w;
    EXPECT_EQ(0, sum(w, y)) << w;
    EXPECT_EQ(0, sum(W - 1 - w, y)) << w;
    EXPECT_EQ(0, sum(x, w)) << w;
  }
}

TEST(BorderPainter, StripsBlendOverWhatIsBeneath) {
  Canvas canvas(RGB(255, 255, 255));
  PaintBorder(canvas.dc(), Look(8, RGB(0, 255, 0)));
  // new = old * (1 - a) + s with a = 80 %: red and blue keep a fifth of the white.
  EXPECT_NEAR_PX(51, canvas.R(0, H / 2));
  EXPECT_NEAR_PX(51, canvas.B(0, H / 2));
  EXPECT_EQ(255, canvas.G(0, H / 2));  // clamped
  EXPECT_EQ(255, canvas.R(W / 2, H / 2));
}

// Two strips share each corner square, split along its diagonal: no pixel is covered twice.
TEST(BorderPainter, CornersAreMitred) {
  Canvas canvas(RGB(0, 0, 0));
  PaintBorder(canvas.dc(), Look(8, RGB(0, 255, 0)));
  // Below the top-left diagonal only the left strip paints: as along the left edge.
  EXPECT_NEAR_PX(canvas.G(1, H / 2), canvas.G(1, 6));
  // Right of it only the top strip: as along the top edge.
  EXPECT_NEAR_PX(canvas.G(W / 2, 1), canvas.G(6, 1));
  EXPECT_NEAR_PX(canvas.G(W - 2, H / 2), canvas.G(W - 2, H - 7));
}

TEST(BorderPainter, RegionLeavesTheBottomRowAndTheInsideUncovered) {
  BorderLook look = Look(8, RGB(0, 255, 0));
  KestrinWinNS::CScopedRegion region(CreateBorderRegion(look));
  const HRGN rgn = region.Get();
  struct Case { int x, y; bool in; };
  const Case cases[] = {
      {0, 0, true}, {7, H / 2, true}, {8, H / 2, false}, {W / 2, H / 2, false},
      {W - 8, H / 2, true}, {W - 9, H / 2, false}, {0, H - 2, true}, {W / 2, H - 2, true},
      {0, H - 1, false}, {W / 2, H - 1, false}, {W - 1, H - 1, false}, {W / 2, H - 9, true},
      {W / 2, H - 10, false}, {W / 2, 8, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.in, PtInRegion(rgn, c.x, c.y) != FALSE) << c.x << "," << c.y;
}

class CaptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KestrinWinNS::CScopedClientDC screen(nullptr);
    look.caption = CalcCaptionRect(screen.Get(), look.text, look.text_size, W, look.width);
    KestrinWinNS::CScopedFont font(CreateCaptionFont(look.text_size));
    KestrinWinNS::CSelectObject select(screen.Get(), font.Get());
    GetTextExtentPoint32A(screen.Get(), look.text, (int)strlen(look.text), &text);
  }
  BorderLook look = {W, H, 8, RGB(0, 255, 0), true, {}, "Authenticated by Torvan", 16};
  SIZE text = {};
};

TEST_F(CaptionTest, TabIsCentredAndSizedByTheMeasuredText) {
  const RECT& c = look.caption;
  EXPECT_GT(text.cx, 0);
  EXPECT_EQ(W / 2 - text.cx / 2 - 8 - 20, c.left);
  EXPECT_EQ(W / 2 + text.cx / 2 + 8 + 20, c.right);
  EXPECT_EQ(0, c.top);
  EXPECT_EQ(8 + text.cy, c.bottom);
  KestrinWinNS::CScopedRegion region(CreateBorderRegion(look));
  const HRGN rgn = region.Get();
  EXPECT_TRUE(PtInRegion(rgn, c.left, c.bottom - 1));
  EXPECT_TRUE(PtInRegion(rgn, W / 2, 8));
  EXPECT_FALSE(PtInRegion(rgn, c.left - 1, 9));
  EXPECT_FALSE(PtInRegion(rgn, W / 2, c.bottom));
}

TEST_F(CaptionTest, TabIsPaintedWithItsEdgesTextAndGreyBody) {
  Canvas canvas(RGB(0, 0, 0));
  PaintBorder(canvas.dc(), look);
  const int L = look.caption.left, R = look.caption.right, Bt = look.caption.bottom, w = 8;
  // Body: opaque grey at its top, about half strength at its lower edge.
  EXPECT_NEAR_PX(150, canvas.R(L + w + 1, 0));
  EXPECT_NEAR_PX(150, canvas.B(L + w + 1, 0));
  EXPECT_NEAR(75, canvas.R(L + w + 1, Bt - w - 1), 10);
  // Tab sides are brightest on the tab's inner side, the bottom edge at its top.
  EXPECT_GT(canvas.G(L + w - 1, Bt / 2), canvas.G(L, Bt / 2));
  EXPECT_GT(canvas.G(R - w, Bt / 2), canvas.G(R - 1, Bt / 2));
  EXPECT_NEAR_PX(255 * 0.8, canvas.G(W / 2, Bt - w));
  EXPECT_GT(canvas.G(W / 2, Bt - w), canvas.G(W / 2, Bt - 1));
  // The top edge beside the tab is the plain ring.
  EXPECT_NEAR_PX(255 * 0.8, canvas.G(L / 2, 0));
  // The text is drawn in the border colour over the grey body.
  int text_pixels = 0;
  for (int y = 0; y < Bt - w; ++y)
    for (int x = L + w; x < R - w; ++x)
      if (canvas.G(x, y) > canvas.R(x, y) + 40) ++text_pixels;
  EXPECT_GT(text_pixels, 10);
}

}  // namespace
