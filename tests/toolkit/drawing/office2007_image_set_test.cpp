#include "toolkit/drawing/office2007_image_set.h"

#include <gtest/gtest.h>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/drawing/test_main.h"

namespace {

// The pattern's regions around margins of 3: row r, column c.
COLORREF Region(int r, int c) { return RGB(40 + r * 80, 40 + c * 80, 200); }

class Office2007Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(set.AttachResourceModule(GetModuleHandleW(nullptr), L"TEST.INI", false)); }
  CTKOffice2007ImageSet set;
};

TEST_F(Office2007Test, IniValuesAndColours) {
  EXPECT_EQ(L"TEST_INI", set.IniName());
  struct Case {
    const wchar_t *section, *key;
    COLORREF expected;
  } cases[] = {
      {L"Colors", L"Red", 0x0000FF},
      {L"Colors", L"Hex", RGB(16, 32, 8)},
      {L"Colors", L"Short", RGB(7, 0, 0)},
      {L"Colors", L"Wide", RGB(0, 1, 255)},
      {L"Colors", L"Empty", CLR_INVALID},
      {L"Colors", L"Missing", CLR_INVALID},
      {L"Colors", L"Late", CLR_INVALID},  // only in a later section of the same name
      {L"colors", L"Red", CLR_INVALID},   // names are case-sensitive
      {L"Other", L"Tail", CLR_INVALID},   // the last line has no CR
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, set.ColorFromIni(c.section, c.key)) << c.key;
  EXPECT_EQ(L"other", set.ReadIniValue(L"Other", L"Key"));
  EXPECT_EQ(L"", set.ReadIniValue(L"Colors", L""));
}

TEST_F(Office2007Test, ImagesByMappedAndUnderscoredNames) {
  CTKOffice2007Image* pattern = set.GetImage(L"Pattern");  // mapped by section "Images"
  ASSERT_NE(nullptr, pattern);
  EXPECT_EQ(20, pattern->GetSize().cx);
  EXPECT_EQ(pattern, set.GetImage(L"Pattern"));
  EXPECT_NE(nullptr, set.GetImage(L"OFFICE2007\\DOTTED.BMP"));
  EXPECT_EQ(nullptr, set.GetImage(L"NoSuchImage"));
  EXPECT_EQ(nullptr, set.GetImage(L""));
  const RECT strip = pattern->GetPartRect(1, 3);
  EXPECT_EQ(6, strip.top);
  EXPECT_EQ(12, strip.bottom);
}

TEST_F(Office2007Test, ProjectModuleCarriesTheBlueSet) {
  HMODULE module = LoadLibraryW(Office2007ModulePath().c_str());
  ASSERT_NE(nullptr, module);
  ASSERT_TRUE(set.AttachResourceModule(module, nullptr, true));
  EXPECT_EQ(L"OFFICE2007BLUE_INI", set.IniName());
  EXPECT_EQ(RGB(141, 178, 227), set.ColorFromIni(L"Toolbar", L"ControlGalleryBorder"));
  CTKOffice2007Image* button = set.GetImage(L"PushButton");
  ASSERT_NE(nullptr, button);
  EXPECT_TRUE(button->IsAlpha());
  EXPECT_EQ(22 * 4, button->GetSize().cy);
  CTKOffice2007Image* glyphs = set.GetImage(L"ScrollArrowGlyphs");  // a PNG resource
  ASSERT_NE(nullptr, glyphs);
  EXPECT_TRUE(glyphs->IsAlpha());
  // The hot state drawn into a larger button: corners stay transparent, the face is filled.
  Canvas canvas(60, 30, RGB(0, 0, 0));
  button->DrawWithSizingMargins(canvas.dc(), RECT{0, 0, 60, 30}, button->GetPartRect(1, 4), RECT{4, 4, 4, 4});
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(0, 0));
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(59, 29));
  EXPECT_NE(RGB(0, 0, 0), canvas.At(30, 15));
  EXPECT_GT(GetRValue(canvas.At(30, 15)), 200);  // the hot face is yellow-orange
}

TEST(Office2007ImageSet, UnnamedIniFallsBackToTheFirstTextResource) {
  CTKOffice2007ImageSet set;  // the program's own module: its only text is TEST_INI
  EXPECT_TRUE(set.HasIniText());
  EXPECT_EQ(L"TEST_INI", set.IniName());
  EXPECT_FALSE(set.AttachResourceModule(GetModuleHandleW(nullptr), L"MISSING.INI", false));
  EXPECT_FALSE(set.HasIniText());
}

struct MarginCase {
  int width, height;
  RECT margins;
  // points of the destination and the pattern region (row, column) each must show
  struct Probe {
    int x, y, row, col;
  } probes[5];
};

TEST_F(Office2007Test, SizingMarginsKeepTheBorders) {
  CTKOffice2007Image* pattern = set.GetImage(L"Pattern");
  ASSERT_NE(nullptr, pattern);
  const MarginCase cases[] = {
      // Same width: only the middle row of parts stretches.
      {20, 40, {3, 3, 3, 3}, {{1, 1, 0, 0}, {1, 3, 1, 0}, {10, 20, 1, 1}, {18, 36, 1, 2}, {18, 38, 2, 2}}},
      {40, 10, {3, 3, 3, 3}, {{1, 1, 0, 0}, {20, 5, 1, 1}, {38, 8, 2, 2}, {36, 1, 0, 1}, {38, 5, 1, 2}}},
      {60, 60, {3, 3, 3, 3}, {{2, 2, 0, 0}, {3, 30, 1, 1}, {57, 57, 2, 2}, {30, 58, 2, 1}, {58, 30, 1, 2}}},
      // Smaller than the margins: shared in proportion, corners only.
      {4, 4, {3, 3, 3, 3}, {{0, 0, 0, 0}, {3, 3, 2, 2}, {3, 0, 0, 2}, {0, 3, 2, 0}, {0, 0, 0, 0}}},
      // Height 10 with margins of 6: top 5, bottom 6 (parity of the bottom margin).
      {20, 10, {0, 6, 0, 6}, {{10, 2, 0, 1}, {10, 4, 1, 1}, {10, 6, 1, 1}, {10, 7, 2, 1}, {10, 9, 2, 1}}},
  };
  for (const MarginCase& c : cases) {
    Canvas canvas(c.width, c.height, RGB(0, 0, 0));
    pattern->DrawWithSizingMargins(canvas.dc(), RECT{0, 0, c.width, c.height}, RECT{0, 0, 20, 20}, c.margins);
    for (const auto& p : c.probes)
      EXPECT_EQ(Region(p.row, p.col), canvas.At(p.x, p.y))
          << c.width << "x" << c.height << " at " << p.x << "," << p.y;
  }
  // No bitmap drawn when the source is lower than its margins.
  Canvas canvas(20, 20, RGB(0, 0, 0));
  pattern->DrawWithSizingMargins(canvas.dc(), RECT{0, 0, 20, 20}, RECT{0, 0, 20, 5}, RECT{3, 3, 3, 3});
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(1, 1));
}

TEST_F(Office2007Test, KeyColourStaysTransparentBlendedOrNot) {
  CTKOffice2007Image* pattern = set.GetImage(L"Pattern");
  ASSERT_NE(nullptr, pattern);
  for (bool blend : {false, true}) {
    Canvas canvas(40, 40, RGB(0, 0, 0));
    pattern->DrawBlended(canvas.dc(), RECT{0, 0, 40, 40}, RECT{0, 0, 20, 20}, RECT{3, 3, 3, 3}, Region(1, 1), blend);
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(20, 20)) << blend;  // the key region lets the ground show
    EXPECT_EQ(Region(0, 0), canvas.At(1, 1)) << blend;
    EXPECT_EQ(Region(2, 1), canvas.At(20, 38)) << blend;
  }
  Canvas canvas(40, 40, RGB(0, 0, 0));
  pattern->DrawTransparentColor(canvas.dc(), RECT{0, 0, 40, 40}, RECT{0, 0, 20, 20}, RECT{3, 3, 3, 3}, CLR_INVALID);
  EXPECT_EQ(Region(1, 1), canvas.At(20, 20));
}

}  // namespace
