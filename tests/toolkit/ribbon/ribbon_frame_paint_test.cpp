// The ribbon theme's frame parts read back by pixels from an image set of solid colours
// (make_ribbon_images.py): the caption band with and without desktop composition, the title on
// it, the caption buttons and the system button.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/ribbon/ribbon_theme.h"
#include "tests/toolkit/ribbon/ribbon_test_theme.h"

namespace {

constexpr COLORREF kGround = RGB(255, 0, 255);
// Active and inactive states of the band's three images.
constexpr COLORREF kTopLeft[2] = {RGB(10, 20, 200), RGB(10, 20, 100)};
constexpr COLORREF kTopCentre[2] = {RGB(10, 200, 20), RGB(10, 100, 20)};
constexpr COLORREF kTopRight[2] = {RGB(200, 20, 10), RGB(100, 20, 10)};
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);
COLORREF GlyphColour(int kind, int state) { return RGB(kind * 40, 10 * state, 60); }  // 1 close ... 4 restore
constexpr COLORREF kButtonHot = RGB(250, 220, 120), kButtonPressed = RGB(240, 160, 60);
constexpr COLORREF kSystemButton[3] = {RGB(90, 0, 0), RGB(90, 90, 0), RGB(90, 0, 90)};
constexpr COLORREF kSystemButton52[3] = {RGB(0, 90, 0), RGB(0, 90, 90), RGB(0, 0, 90)};

// Visual styles off for the fixture's life: no function of the visual-styles library resolves.
struct NoVisualStyles {
  NoVisualStyles() { CTKWinThemeWrapper::SetProcResolver([](HMODULE, const char*) -> FARPROC { return nullptr; }); }
  ~NoVisualStyles() { CTKWinThemeWrapper::SetProcResolver(nullptr); }
};

class RibbonFramePaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(images_.AttachResourceModule(GetModuleHandleW(nullptr), L"RIBBON_TEST_INI", false));
    theme_.reset(NewTestRibbonTheme(&images_));
  }
  void TearDown() override { theme_.release()->Release(); }

  // A caption 400 x 30 with a title in its middle.
  CTKRibbonTheme::CCaptionInfo Caption() const {
    CTKRibbonTheme::CCaptionInfo info;
    info.caption = RECT{0, 0, 400, 30};
    info.title = RECT{100, 4, 300, 27};
    info.text = L"Document1 - Kestrin";
    info.companion = true;
    info.frame_border = 4;
    return info;
  }
  // The pixels of `canvas` inside `area` that differ from `colour`, and the rows they lie in.
  static int CountOther(const Canvas& canvas, const RECT& area, COLORREF colour, int* top = nullptr,
                        int* bottom = nullptr) {
    int n = 0;
    if (top) *top = INT_MAX;
    if (bottom) *bottom = INT_MIN;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (canvas.At(x, y) != colour) {
          ++n;
          if (top) *top = std::min(*top, y);
          if (bottom) *bottom = std::max(*bottom, y + 1);
        }
    return n;
  }

  CTKOffice2007ImageSet images_;
  std::unique_ptr<CTKRibbonTheme> theme_;
};

TEST_F(RibbonFramePaint, WithoutCompositionTheBandComesFromTheFrameImagesByActiveState) {
  for (bool active : {true, false}) {
    Canvas canvas(400, 30, kGround);
    auto info = Caption();
    info.active = active;
    info.text.clear();
    theme_->PaintCaption(canvas.dc(), info);
    const int state = active ? 0 : 1;
    EXPECT_EQ(canvas.At(2, 15), kTopLeft[state]) << active;
    EXPECT_EQ(canvas.At(200, 15), kTopCentre[state]) << active;
    EXPECT_EQ(canvas.At(397, 15), kTopRight[state]) << active;
    // The left piece at its own width, the centre right after it.
    EXPECT_EQ(canvas.At(7, 15), kTopLeft[state]) << active;
    EXPECT_EQ(canvas.At(8, 15), kTopCentre[state]) << active;
  }
}

TEST_F(RibbonFramePaint, WithoutCompositionTheTitleIsDrawnInsideItsRectangleOnly) {
  Canvas canvas(400, 30, kGround);
  const auto info = Caption();
  theme_->PaintCaption(canvas.dc(), info);
  EXPECT_GT(CountOther(canvas, info.title, kTopCentre[0]), 0);
  EXPECT_EQ(CountOther(canvas, RECT{8, 0, info.title.left, 30}, kTopCentre[0]), 0);
  EXPECT_EQ(CountOther(canvas, RECT{info.title.right, 0, 392, 30}, kTopCentre[0]), 0);
}

TEST_F(RibbonFramePaint, WithCompositionTheBandIsGlassAndAMaximisedTitleGlowsWhiteLower) {
  NoVisualStyles off;
  Canvas canvas(400, 30, kGround);
  auto info = Caption();
  info.composition = true;
  theme_->PaintCaption(canvas.dc(), info);
  // Black everywhere: no frame image is drawn, and without visual styles the title is black.
  EXPECT_EQ(CountOther(canvas, info.caption, kBlack), 0);

  Canvas low(400, 30, kGround);
  info.frame_border = 8;
  info.maximized = true;
  theme_->PaintCaption(low.dc(), info);
  int top = 0, bottom = 0;
  ASSERT_GT(CountOther(low, info.caption, kBlack, &top, &bottom), 0);
  // Grey levels of white on black, only inside the title moved half the border down.
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < 400; ++x) {
      const COLORREF c = low.At(x, y);
      if (c == kBlack) continue;
      EXPECT_EQ(GetRValue(c), GetGValue(c)) << x << "," << y;  // grey levels of white on black
      EXPECT_GE(x, info.title.left);
      EXPECT_LT(x, info.title.right);
    }
  // Half the border lower than with no border.
  Canvas flush(400, 30, kGround);
  info.frame_border = 0;
  theme_->PaintCaption(flush.dc(), info);
  int flush_top = 0, flush_bottom = 0;
  ASSERT_GT(CountOther(flush, info.caption, kBlack, &flush_top, &flush_bottom), 0);
  EXPECT_EQ(top - flush_top, 4);
  EXPECT_EQ(bottom - flush_bottom, 4);
}

TEST_F(RibbonFramePaint, WithoutACompanionTheBandIsTheCentreImageFromAPixelAbove) {
  Canvas canvas(400, 30, kGround);
  auto info = Caption();
  info.companion = false;
  info.active = false;  // a band without a frame has no inactive look
  info.text.clear();
  theme_->PaintCaption(canvas.dc(), info);
  for (int x : {0, 200, 399}) EXPECT_EQ(canvas.At(x, 0), kTopCentre[0]) << x;
}

TEST_F(RibbonFramePaint, CaptionButtonsShowTheirCommandAndState) {
  struct Case {
    const char* name;
    int command, kind;
    bool selected, pressed, active;
    int glyph_state;
    COLORREF face;
  };
  const Case cases[] = {
      {"close", SC_CLOSE, 1, false, false, true, 0, kGround},
      {"minimise, hot", SC_MINIMIZE, 2, true, false, true, 1, kButtonHot},
      {"maximise, pressed while hot", SC_MAXIMIZE, 3, true, true, true, 2, kButtonPressed},
      {"restore of an inactive frame", SC_RESTORE, 4, false, false, false, 3, kGround},
      {"hot but inactive", SC_CLOSE, 1, true, false, false, 3, kGround},
  };
  for (const Case& c : cases) {
    Canvas canvas(23, 23, kGround);
    theme_->PaintFrameCaptionButton(canvas.dc(), RECT{0, 0, 23, 23}, c.command, c.selected, c.pressed, c.active);
    EXPECT_EQ(canvas.At(11, 11), GlyphColour(c.kind, c.glyph_state)) << c.name;
    EXPECT_EQ(canvas.At(1, 11), c.face) << c.name;
  }
}

TEST_F(RibbonFramePaint, TheSystemButtonTakesTheLargeImageAbove54Pixels) {
  struct Case {
    int size, state;
    COLORREF face;
  };
  const Case cases[] = {{40, 0, kSystemButton[0]}, {54, 1, kSystemButton[1]}, {54, 2, kSystemButton[2]},
                        {60, 0, kSystemButton52[0]}, {60, 2, kSystemButton52[2]}};
  for (const Case& c : cases) {
    Canvas canvas(c.size, c.size, kGround);
    theme_->PaintSystemButton(canvas.dc(), RECT{0, 0, c.size, c.size}, c.state, nullptr);
    EXPECT_EQ(canvas.At(c.size / 2, c.size / 2), c.face) << c.size << " " << c.state;
    // Centred at its natural size: the corners keep the ground.
    EXPECT_EQ(canvas.At(0, 0), kGround) << c.size;
  }
}

// A system button without an icon of its own shows the frame's large icon, 32 x 32, at
// ((left + right - 33) / 2, (top + bottom - 31) / 2) over its face.
TEST_F(RibbonFramePaint, TheSystemButtonShowsTheFramesLargeIcon) {
  constexpr COLORREF kIcon = RGB(1, 200, 3);
  KestrinWinNS::CScopedIcon icon = SolidIcon(32, kIcon);
  ASSERT_TRUE(icon);
  struct Case {
    RECT rect;
  };
  const Case cases[] = {{RECT{0, 0, 40, 40}}, {RECT{5, 3, 46, 44}}, {RECT{0, 0, 60, 60}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rect.left << "," << c.rect.top << " " << c.rect.right << "," << c.rect.bottom);
    Canvas canvas(64, 64, kGround);
    theme_->PaintSystemButton(canvas.dc(), c.rect, 0, icon.Get());
    const int x = (c.rect.left + c.rect.right - 33) / 2, y = (c.rect.top + c.rect.bottom - 31) / 2;
    EXPECT_EQ(canvas.At(x, y), kIcon);
    EXPECT_EQ(canvas.At(x + 31, y + 31), kIcon);
    EXPECT_NE(canvas.At(x - 1, y + 16), kIcon);
    EXPECT_NE(canvas.At(x + 32, y + 16), kIcon);
    EXPECT_NE(canvas.At(x + 16, y - 1), kIcon);
    EXPECT_NE(canvas.At(x + 16, y + 32), kIcon);
  }
}

// Without a system button the caption shows the frame's small icon 10 pixels right of its left
// edge, centred in the band below the frame's border; with none given nothing is drawn there.
TEST_F(RibbonFramePaint, TheCaptionShowsTheSmallIconWithoutASystemButton) {
  constexpr COLORREF kIcon = RGB(1, 200, 3);
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  ASSERT_EQ(cx, cy);
  KestrinWinNS::CScopedIcon icon = SolidIcon(cx, kIcon);
  ASSERT_TRUE(icon);
  CTKRibbonTheme::CCaptionInfo info = Caption();
  info.small_icon = icon.Get();
  Canvas canvas(400, 30, kGround);
  theme_->PaintCaption(canvas.dc(), info);
  const int y = info.frame_border + (30 - info.frame_border - cy) / 2;
  EXPECT_EQ(canvas.At(10, y), kIcon);
  EXPECT_EQ(canvas.At(10 + cx - 1, y + cy - 1), kIcon);
  EXPECT_NE(canvas.At(9, y + cy / 2), kIcon);
  EXPECT_NE(canvas.At(10 + cx, y + cy / 2), kIcon);
  EXPECT_NE(canvas.At(10 + cx / 2, y - 1), kIcon);
  EXPECT_NE(canvas.At(10 + cx / 2, y + cy), kIcon);

  info.small_icon = nullptr;
  Canvas bare(400, 30, kGround);
  theme_->PaintCaption(bare.dc(), info);
  EXPECT_NE(bare.At(10, y), kIcon);
}

}  // namespace
