// The ribbon theme: its metrics, its "Ribbon" colours, and the faces of tabs, context tabs,
// context headers and groups bands read back by pixels from an image set of solid colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

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

// A 32-bit canvas filled with the ground colour.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < w * h; ++i) bits_[i] = 0xFFFFFF;
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const DWORD p = bits_[y * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  DWORD* bits_ = nullptr;
};

class RibbonTheme : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(images_.AttachResourceModule(GetModuleHandleW(nullptr), L"RIBBON_TEST_INI", false));
    theme_.reset(new CTKRibbonTheme);
    theme_->UseImageSet(&images_);
    theme_->RefreshRibbonColours();
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
  EXPECT_EQ(theme_->RibbonColour(L"RibbonFace"), RGB(191, 219, 255));
  EXPECT_EQ(theme_->RibbonColour(L"GroupCaptionText"), CLR_INVALID);
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
      Canvas canvas(40, 24);
      theme_->PaintTab(canvas.Dc(), tab, s.state, colour);
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
    Canvas header(40, 24);
    CTKRibbonTabContextHeader h;
    h.colour = colour;
    h.rect = tab;
    theme_->PaintContextHeader(header.Dc(), h);
    EXPECT_EQ(header.At(20, 12), named ? HeaderColour(colour) : kGround);
    Canvas band(40, 24);
    theme_->PaintGroupsBand(band.Dc(), RECT{0, 0, 40, 24}, colour);
    EXPECT_EQ(band.At(20, 12), named ? ClientColour(colour) : kGroupsColour);
  }
}

TEST_F(RibbonTheme, MinimizedRibbonEndsInItsTwoEdgeLines) {
  struct Case {
    bool groups_shown;
    COLORREF second_lowest, lowest;
  };
  const COLORREF face = RGB(191, 219, 255);
  const Case cases[] = {{true, face, face}, {false, RGB(10, 20, 30), RGB(40, 50, 60)}};
  for (const Case& c : cases) {
    Canvas canvas(30, 20);
    theme_->PaintRibbonBackground(canvas.Dc(), RECT{0, 0, 30, 20}, c.groups_shown);
    EXPECT_EQ(canvas.At(15, 10), face);
    EXPECT_EQ(canvas.At(15, 18), c.second_lowest);
    EXPECT_EQ(canvas.At(15, 19), c.lowest);
  }
}

TEST_F(RibbonTheme, MissingImagesDrawNothing) {
  Canvas canvas(40, 24);
  EXPECT_FALSE(theme_->DrawImage(canvas.Dc(), L"NOSUCHIMAGE", RECT{0, 0, 40, 24}, 1, 0, RECT{}, false));
  theme_->PaintGroupScrollButton(canvas.Dc(), RECT{0, 0, 13, 24}, true, 1);
  EXPECT_EQ(canvas.At(6, 12), kGround);
}

}  // namespace
