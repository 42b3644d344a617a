#include "toolkit/drawing/color_manager.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/appframe/file.h"

#include "tests/toolkit/drawing/fake_theme.h"

namespace {

struct MixCase {
  COLORREF a, b;
  int weight;
  COLORREF expected;
};

TEST(ColorArithmetic, MixColorsTakesPerCentBelowHundredAndPerMilleFromHundred) {
  const MixCase cases[] = {
      {0xFFFFFF, 0x000000, 50, 0x808080},   // (50*255 + 50) / 100
      {0xFFFFFF, 0x000000, 165, 0x2A2A2A},  // 16.5 %: (165*255 + 500) / 1000
      {0xFFFFFF, 0x000000, 100, 0x1A1A1A},  // 10 %, not 100 %
      {0xFFFFFF, 0x000000, 99, 0xFCFCFC},
      {0x0000FF, 0xFF0000, 0, 0xFF0000},
      {0x102030, 0x302010, 25, 0x282018},
  };
  for (const MixCase& c : cases)
    EXPECT_EQ(c.expected, CTKColorManager::MixColors(c.a, c.b, c.weight)) << c.weight;
}

TEST(ColorArithmetic, ThresholdDistanceAndContrast) {
  EXPECT_FLOAT_EQ(20.0f, CTKColorManager::ContrastThreshold(0, 10));
  EXPECT_FLOAT_EQ(15.0f, CTKColorManager::ContrastThreshold(110, 10));
  EXPECT_FLOAT_EQ(10.0f, CTKColorManager::ContrastThreshold(440, 10));
  EXPECT_NEAR(440.85, CTKColorManager::Brightness(0xFFFFFF), 0.01);
  EXPECT_NEAR(195.0, CTKColorManager::ColorDistance(0x0000FF, 0), 0.001);
  // 195 apart: enough for x = 194, not for x = 195 (strictly greater).
  EXPECT_TRUE(CTKColorManager::HasEnoughContrast(0x0000FF, 0, false, 194.0f));
  EXPECT_FALSE(CTKColorManager::HasEnoughContrast(0x0000FF, 0, false, 195.0f));
  // Scaled by a black reference the threshold doubles.
  EXPECT_FALSE(CTKColorManager::HasEnoughContrast(0, 0x0000FF, true, 100.0f));
  EXPECT_TRUE(CTKColorManager::HasEnoughContrast(0, 0x0000FF, true, 97.0f));
}

TEST(ColorArithmetic, AdjustForContrastLandsAtTheThresholdDistance) {
  struct Case {
    COLORREF a, b;
    float x;
  } cases[] = {{0xC0C0C0, 0xB0B0B0, 50}, {0x202020, 0x303030, 80}, {0xFFFFFF, 0xF0E0D0, 100}, {0x808080, 0x707080, 30}};
  for (const Case& c : cases) {
    const COLORREF r = CTKColorManager::AdjustForContrast(c.a, c.b, c.x);
    const float d = CTKColorManager::ContrastThreshold(static_cast<int>(CTKColorManager::Brightness(c.a)),
                                                       static_cast<int>(c.x));
    EXPECT_NEAR(d, CTKColorManager::ColorDistance(c.a, r), 2.5) << std::hex << c.a << " " << c.b;
  }
}

TEST(ColorArithmetic, AdjustForContrastWithoutReachablePointTakesTheNearestPointOfTheRay) {
  // Grey against pure red needs a distance of 180 that no point of red's ray reaches: the
  // result is the ray's point nearest the grey (half red), not an undefined value.
  EXPECT_EQ(RGB(128, 0, 0), CTKColorManager::AdjustForContrast(0x808080, RGB(255, 0, 0), 180));
}

TEST(ColorArithmetic, LimitContrastMovesTowardsTheReference) {
  const COLORREF r = CTKColorManager::LimitContrast(0xFFFFFF, 0, 35);
  EXPECT_NEAR(35.0, CTKColorManager::ColorDistance(0xFFFFFF, r), 2.0);
  EXPECT_EQ(0x123456u, CTKColorManager::LimitContrast(0x123456, 0x123456, 35));
}

TEST(PaintManagerColor, CustomValueWinsAndGradientCopiesEffectiveColours) {
  CTKPaintManagerColor c;
  EXPECT_EQ(static_cast<COLORREF>(-1), c.Color());
  c.SetStandardValue(0x112233);
  EXPECT_EQ(0x112233u, c.Color());
  c.SetCustomValue(0x445566);
  EXPECT_EQ(0x445566u, c.Color());

  CTKPaintManagerColorGradient g, h;
  g.SetStandardColors(1, 2, 0.75f);
  g.light.SetCustomValue(9);
  h.SetStandardFrom(g);
  EXPECT_EQ(9, h.light.StandardValue());
  EXPECT_EQ(2, h.dark.StandardValue());
  EXPECT_FLOAT_EQ(0.75f, h.factor);
  h.SetStandardColor(5);
  EXPECT_EQ(5u, h.dark.Color());
  EXPECT_FLOAT_EQ(0.5f, h.factor);
}

TEST(PaintManagerColor, GradientSerialisesAsFourIntsAndAFloat) {
  CTKPaintManagerColorGradient g;
  g.SetStandardColors(0x010203, 0x040506, 0.3f);
  g.dark.SetCustomValue(0x0A0B0C);
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    g.Serialize(ar);
  }
  ASSERT_EQ(20u, file.GetLength());
  const int* ints = reinterpret_cast<const int*>(file.GetData());
  EXPECT_EQ(0x010203, ints[0]);
  EXPECT_EQ(-1, ints[1]);
  EXPECT_EQ(0x040506, ints[2]);
  EXPECT_EQ(0x0A0B0C, ints[3]);
  file.SeekToBegin();
  CTKPaintManagerColorGradient back;
  CArchive ar(&file, CArchive::load);
  back.Serialize(ar);
  EXPECT_EQ(0x010203u, back.light.Color());
  EXPECT_EQ(0x0A0B0Cu, back.dark.Color());
  EXPECT_EQ(0x040506, back.dark.StandardValue());
  EXPECT_FLOAT_EQ(0.3f, back.factor);
}

// A colour scheme the tests set in place of the system's.
COLORREF g_scheme[30];
COLORREF Scheme(int i) { return g_scheme[i]; }

class ColorManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 30; ++i) g_scheme[i] = RGB(i * 8, 255 - i * 8, i * 4);
    g_scheme[COLOR_BTNFACE] = 0xD8E9EC;
    g_scheme[COLOR_WINDOW] = 0xFFFFFF;
    g_scheme[COLOR_BTNSHADOW] = 0x99A8AC;
    g_scheme[COLOR_HIGHLIGHT] = 0xC56A31;
    manager.SetSysColorCallback(&Scheme);
    manager.OverrideLowColorDisplay(false);
  }
  FakeTheme theme;
  CTKColorManager manager;
};

TEST_F(ColorManagerTest, IndexesReadTheTableAndLiteralsPassThrough) {
  manager.RecomputeColors();
  EXPECT_EQ(0u, manager.ColorByIndex(0));
  EXPECT_EQ(0xD8E9ECu, manager.ColorByIndex(15));
  EXPECT_EQ(63u, manager.ColorByIndex(63));
  EXPECT_EQ(0x00FF00u, manager.ColorByIndex(0x00FF00));
  EXPECT_EQ(static_cast<COLORREF>(-1), manager.ColorByIndex(-1));
  manager.SetCustomColor(15, 0x010203);
  manager.RecomputeColors();
  EXPECT_EQ(0x010203u, manager.ColorByIndex(15));
  EXPECT_EQ(0xD8E9ECu, manager.StandardColor(15));
}

TEST_F(ColorManagerTest, DerivedColoursFollowTheMixAndFixedRules) {
  manager.RecomputeColors();
  const COLORREF face = 0xD8E9EC, shadow = 0x99A8AC;
  // Entry 22: face plus 15 per channel, capped.
  EXPECT_EQ(RGB(0xEC + 15 > 255 ? 255 : 0xEC + 15, 0xE9 + 15 > 255 ? 255 : 0xE9 + 15, 0xD8 + 15),
            manager.ColorByIndex(22));
  // Entry 48: the brightest channel of the face gains up to 35.
  const int m = 0xEC, n = m + std::min(255 - m, 35);
  EXPECT_EQ(RGB(GetRValue(face) * n / m, GetGValue(face) * n / m, GetBValue(face) * n / m), manager.ColorByIndex(48));
  // Entry 49: shadow darkened by 43 on its brightest channel.
  const int ms = 0xAC;
  EXPECT_EQ(RGB(GetRValue(shadow) * (ms - 43) / ms, GetGValue(shadow) * (ms - 43) / ms,
                GetBValue(shadow) * (ms - 43) / ms),
            manager.ColorByIndex(49));
  // Entry 34 is three quarters of entry 31; entry 53 copies 30; 58 copies 40.
  const COLORREF c31 = manager.ColorByIndex(31);
  EXPECT_EQ(RGB(GetRValue(c31) * 3 / 4, GetGValue(c31) * 3 / 4, GetBValue(c31) * 3 / 4), manager.ColorByIndex(34));
  EXPECT_EQ(manager.ColorByIndex(30), manager.ColorByIndex(53));
  EXPECT_EQ(manager.ColorByIndex(40), manager.ColorByIndex(58));
  // Entry 42 is the plain mix (no contrast rule touches it).
  EXPECT_EQ(CTKColorManager::MixColors(face, shadow, 90), manager.ColorByIndex(42));
  // Entry 31 ends at least at its contrast distance from entry 30.
  const float d = CTKColorManager::ContrastThreshold(static_cast<int>(CTKColorManager::Brightness(manager.ColorByIndex(30))), 50);
  EXPECT_GE(CTKColorManager::ColorDistance(manager.ColorByIndex(30), c31), d - 2.5f);
}

TEST_F(ColorManagerTest, BlackFaceGivesFixedHighlightAndShadow) {
  g_scheme[COLOR_BTNFACE] = 0;
  manager.RecomputeColors();
  EXPECT_EQ(0x232323u, manager.ColorByIndex(48));
  EXPECT_EQ(0x7F7F7Fu, manager.ColorByIndex(49));
}

TEST_F(ColorManagerTest, LowColourDisplayKeepsDefaultsAndPlainFaceGradients) {
  manager.OverrideLowColorDisplay(true);
  manager.RecomputeColors();
  EXPECT_EQ(manager.ColorByIndex(15), manager.ColorByIndex(30));
  EXPECT_EQ(manager.ColorByIndex(5), manager.ColorByIndex(31));
  EXPECT_EQ(manager.ColorByIndex(16), manager.ColorByIndex(48));
  for (int g : {1, 3}) {
    EXPECT_EQ(0xD8E9ECu, manager.Gradient(g).light.Color());
    EXPECT_EQ(0xD8E9ECu, manager.Gradient(g).dark.Color());
  }
}

TEST_F(ColorManagerTest, ThemeDetectionFromTheStyleAndColourNames) {
  struct Case {
    const wchar_t* file;
    const wchar_t* color;
    bool royale;
    int expected;
  } cases[] = {
      {L"C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles", L"NormalColor", false, 1},
      {L"C:\\x\\Luna.msstyles", L"HomeStead", false, 2},
      {L"C:\\skins\\WinXP.Luna.tkstyles", L"Metallic", false, 3},
      {L"C:\\x\\Luna.msstyles", L"Other", false, 0},
      {L"C:\\x\\Royale.msstyles", L"NormalColor", false, 0},
      {L"C:\\x\\Royale.msstyles", L"NormalColor", true, 1},
      {L"C:\\x\\Aero.msstyles", L"NormalColor", true, 0},
  };
  FakeTheme::active = true;
  for (const Case& c : cases) {
    FakeTheme::file = c.file;
    FakeTheme::color = c.color;
    manager.SetAcceptRoyale(c.royale);
    EXPECT_EQ(c.expected, manager.DetectSystemTheme()) << c.color;
  }
  FakeTheme::active = false;
  EXPECT_EQ(0, manager.DetectSystemTheme());
  FakeTheme::active = true;
  manager.OverrideLowColorDisplay(true);
  EXPECT_EQ(0, manager.DetectSystemTheme());
}

TEST_F(ColorManagerTest, SilverThemeChoosesItsGradientsUnlessLunaColoursAreOff) {
  FakeTheme::active = true;
  FakeTheme::file = L"luna.msstyles";
  FakeTheme::color = L"metallic";
  FakeTheme::border = 0x123456;
  manager.RecomputeColors();
  EXPECT_EQ(3, manager.GetSystemThemeInUse());
  EXPECT_EQ(0xBFA7A8u, manager.Gradient(0).light.Color());
  EXPECT_EQ(0x916F70u, manager.Gradient(0).dark.Color());
  EXPECT_FLOAT_EQ(0.75f, manager.Gradient(3).factor);
  EXPECT_EQ(0x947C7Cu, manager.ColorByIndex(54));
  EXPECT_EQ(0x123456u, manager.ColorByIndex(57));  // the tree view's border colour

  manager.SetLunaColorsDisabled(true);
  manager.RecomputeColors();
  EXPECT_EQ(manager.ColorByIndex(16), manager.Gradient(0).light.Color());
  EXPECT_EQ(CTKColorManager::MixColors(0xD8E9EC, manager.ColorByIndex(5), 215), manager.Gradient(1).dark.Color());

  manager.SetLunaColorsDisabled(false);
  manager.SetThemeSetting(2);  // a fixed setting wins over the detected theme
  manager.RecomputeColors();
  EXPECT_EQ(0x82C0AFu, manager.Gradient(0).light.Color());
}

}  // namespace
