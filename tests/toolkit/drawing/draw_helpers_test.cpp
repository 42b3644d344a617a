#include "toolkit/drawing/draw_helpers.h"

#include <gtest/gtest.h>

#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/drawing/color_manager.h"

namespace {

// Runs a test body twice: with the system's GradientFill and line by line.
class GradientTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    saved_ = CTKDrawHelpers::Instance().GradientFillFunction();
    if (!GetParam()) CTKDrawHelpers::Instance().SetGradientFillFunction(nullptr);
    GetColorManagerInstance().OverrideLowColorDisplay(false);
  }
  void TearDown() override {
    CTKDrawHelpers::Instance().SetGradientFillFunction(saved_);
    GetColorManagerInstance().OverrideLowColorDisplay(std::nullopt);
  }
  // The system's interpolation differs from ours by a step at most.
  int Tolerance() const { return GetParam() ? 8 : 1; }
  CTKDrawHelpers::GradientFillFn saved_ = nullptr;
};

TEST_P(GradientTest, HorizontalAndVerticalRunFromFirstToSecondColour) {
  Canvas canvas(100, 50, 0x00FF00);
  RECT rc{10, 10, 90, 40};
  CTKDrawHelpers::FillGradient(canvas.dc(), &rc, RGB(0, 0, 0), RGB(200, 100, 0), true);
  EXPECT_LE(ChannelDistance(RGB(0, 0, 0), canvas.At(10, 20)), Tolerance());
  EXPECT_LE(ChannelDistance(RGB(100, 50, 0), canvas.At(50, 20)), Tolerance());
  EXPECT_LE(ChannelDistance(RGB(197, 98, 0), canvas.At(89, 39)), Tolerance() + 2);
  EXPECT_EQ(0x00FF00u, canvas.At(9, 20));   // outside untouched
  EXPECT_EQ(0x00FF00u, canvas.At(90, 20));
  EXPECT_EQ(0x00FF00u, canvas.At(50, 40));

  CTKDrawHelpers::FillGradient(canvas.dc(), &rc, RGB(0, 0, 0), RGB(0, 0, 240), false);
  EXPECT_LE(ChannelDistance(RGB(0, 0, 0), canvas.At(50, 10)), Tolerance());
  EXPECT_LE(ChannelDistance(RGB(0, 0, 120), canvas.At(50, 25)), Tolerance());
  EXPECT_EQ(canvas.At(11, 30), canvas.At(80, 30));  // rows are one colour
}

TEST_P(GradientTest, ColourGradientWithFactorDrawsTwoHalves) {
  Canvas canvas(40, 100);
  RECT rc{0, 0, 40, 100};
  CTKPaintManagerColorGradient g;
  g.SetStandardColors(RGB(200, 200, 200), RGB(0, 0, 0), 0.75f);
  CTKDrawHelpers::FillColorGradient(canvas.dc(), &rc, g, false);
  // The halves meet at 75 % light.
  EXPECT_LE(ChannelDistance(RGB(150, 150, 150), canvas.At(20, 50)), Tolerance());
  EXPECT_LE(ChannelDistance(RGB(200, 200, 200), canvas.At(20, 0)), Tolerance());
  EXPECT_LE(ChannelDistance(RGB(175, 175, 175), canvas.At(20, 25)), Tolerance() + 1);
  EXPECT_LE(ChannelDistance(RGB(75, 75, 75), canvas.At(20, 75)), Tolerance() + 1);
}

TEST_P(GradientTest, ClippedGradientStartsAtTheBlendedColourOfTheCut) {
  Canvas canvas(20, 100, 0x0000FF);
  RECT rc{0, 0, 20, 100};
  RECT lower{0, 50, 20, 100};
  CTKDrawHelpers::FillGradientClipped(canvas.dc(), &rc, RGB(0, 0, 0), RGB(0, 200, 0), false, &lower);
  EXPECT_EQ(0x0000FFu, canvas.At(10, 49));  // the upper half is not drawn
  EXPECT_LE(ChannelDistance(RGB(0, 100, 0), canvas.At(10, 50)), Tolerance());
  EXPECT_LE(ChannelDistance(RGB(0, 150, 0), canvas.At(10, 75)), Tolerance() + 1);
  RECT outside{0, 200, 20, 300};
  canvas.Fill(0x0000FF);
  CTKDrawHelpers::FillGradientClipped(canvas.dc(), &rc, RGB(0, 0, 0), RGB(0, 200, 0), false, &outside);
  EXPECT_EQ(0x0000FFu, canvas.At(10, 10));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutGradientFill, GradientTest, ::testing::Bool());

TEST(FillGradient, EqualColoursOrLowColourDisplayFillSolid) {
  Canvas canvas(30, 10);
  RECT rc{0, 0, 30, 10};
  CTKDrawHelpers::FillGradient(canvas.dc(), &rc, 0x123456, 0x123456, true);
  EXPECT_EQ(0x123456u, canvas.At(29, 9));
  GetColorManagerInstance().OverrideLowColorDisplay(true);
  CTKDrawHelpers::FillGradient(canvas.dc(), &rc, 0x0000FF, 0xFF0000, true);
  GetColorManagerInstance().OverrideLowColorDisplay(std::nullopt);
  EXPECT_EQ(0x0000FFu, canvas.At(0, 0));
  EXPECT_EQ(0x0000FFu, canvas.At(29, 9));
  CTKDrawHelpers::FillGradient(canvas.dc(), nullptr, 0, 0xFFFFFF, true);  // no rectangle: nothing
}

TEST(DrawHelpers, MixByFactorTruncates) {
  EXPECT_EQ(RGB(191, 63, 0), CTKDrawHelpers::MixColorsByFactor(RGB(255, 0, 0), RGB(0, 255, 0), 0.75f));
  EXPECT_EQ(RGB(255, 255, 255), CTKDrawHelpers::MixColorsByFactor(RGB(255, 255, 255), RGB(255, 255, 255), 1.0f));
}

TEST(DrawHelpers, AveragePixelPairsHalvesTowardsTheNeighbour) {
  Canvas canvas(4, 4, RGB(0, 0, 0));
  SetPixel(canvas.dc(), 1, 1, RGB(100, 200, 51));
  SetPixel(canvas.dc(), 2, 1, RGB(0, 0, 0));
  SetPixel(canvas.dc(), 0, 3, RGB(10, 10, 10));
  SetPixel(canvas.dc(), 0, 2, RGB(20, 20, 20));
  const POINT pairs[] = {{1, 1}, {1, 0}, {0, 3}, {0, -1}};
  CTKDrawHelpers::AveragePixelPairs(canvas.dc(), pairs, 4);
  EXPECT_EQ(RGB(50, 100, 25), canvas.At(1, 1));
  EXPECT_EQ(RGB(15, 15, 15), canvas.At(0, 3));
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(2, 1));
}

TEST(DrawHelpers, TriangleIsFilledWithItsColourAndTheDcRestored) {
  Canvas canvas(20, 20, RGB(255, 255, 255));
  HGDIOBJ pen = GetCurrentObject(canvas.dc(), OBJ_PEN), brush = GetCurrentObject(canvas.dc(), OBJ_BRUSH);
  CTKDrawHelpers::FillTriangle(canvas.dc(), {2, 2}, {18, 2}, {10, 18}, RGB(200, 0, 0));
  EXPECT_EQ(RGB(200, 0, 0), canvas.At(10, 6));
  EXPECT_EQ(RGB(255, 255, 255), canvas.At(2, 17));
  EXPECT_EQ(pen, GetCurrentObject(canvas.dc(), OBJ_PEN));
  EXPECT_EQ(brush, GetCurrentObject(canvas.dc(), OBJ_BRUSH));
}

TEST(DrawHelpers, CornerPixelsAreExcludedFromTheClip) {
  Canvas canvas(10, 10, RGB(0, 0, 0));
  RECT rc{0, 0, 10, 10};
  CTKDrawHelpers::ExcludeCornerPixels(canvas.dc(), rc);
  CTKDrawHelpers::FillSolidRect(canvas.dc(), rc, RGB(9, 9, 9));
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(0, 0));
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(9, 9));
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(9, 0));
  EXPECT_EQ(RGB(9, 9, 9), canvas.At(1, 0));
}

TEST(DrawHelpers, StripAmpersands) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {{L"&File", L"File"}, {L"&&Save", L"&Save"}, {L"Save && &Close", L"Save & Close"},
               {L"End&", L"End"}, {L"", L""}};
  for (const Case& c : cases) {
    std::wstring s = c.in;
    CTKDrawHelpers::StripAmpersands(s);
    EXPECT_EQ(std::wstring(c.out), s);
    wchar_t buffer[32];
    lstrcpyW(buffer, c.in);
    CTKDrawHelpers::StripAmpersandsInPlace(buffer);
    EXPECT_STREQ(c.out, buffer);
  }
  CTKDrawHelpers::StripAmpersandsInPlace(nullptr);
  CTKDrawHelpers::StripAmpersandsInPlace(reinterpret_cast<wchar_t*>(-1));
}

TEST(DrawHelpers, RightToLeftLayoutAndArrowKeys) {
  Canvas canvas(4, 4);
  EXPECT_FALSE(CTKDrawHelpers::IsDCRightToLeft(canvas.dc()));
  CTKDrawHelpers::SetDCRightToLeft(canvas.dc(), true);
  EXPECT_TRUE(CTKDrawHelpers::IsDCRightToLeft(canvas.dc()));
  CTKDrawHelpers::SetDCRightToLeft(canvas.dc(), false);
  EXPECT_FALSE(CTKDrawHelpers::IsDCRightToLeft(canvas.dc()));

  const ATOM registered = CTKDrawHelpers::RegisterDefProcClass(L"KestrinDrawTestWindow", 0, nullptr);
  ASSERT_TRUE(registered);
  // Asked again, the class is the one already there.
  EXPECT_EQ(registered, CTKDrawHelpers::RegisterDefProcClass(L"KestrinDrawTestWindow", 0, nullptr));
  HWND rtl = CreateWindowExW(WS_EX_LAYOUTRTL, L"KestrinDrawTestWindow", L"", WS_POPUP, 100, 50, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
  HWND ltr = CreateWindowExW(0, L"KestrinDrawTestWindow", L"", WS_POPUP, 100, 50, 200, 100, nullptr, nullptr,
                             nullptr, nullptr);
  ASSERT_TRUE(rtl && ltr);
  UINT key = VK_LEFT;
  CTKDrawHelpers::SwapArrowKeyForRTL(rtl, key);
  EXPECT_EQ(static_cast<UINT>(VK_RIGHT), key);
  CTKDrawHelpers::SwapArrowKeyForRTL(ltr, key);
  EXPECT_EQ(static_cast<UINT>(VK_RIGHT), key);
  POINT p{110, 60};
  CTKDrawHelpers::ScreenToWindowRTL(rtl, p);
  EXPECT_EQ(190, p.x);
  EXPECT_EQ(10, p.y);
  p = {110, 60};
  CTKDrawHelpers::ScreenToWindowRTL(ltr, p);
  EXPECT_EQ(10, p.x);
  const RECT wr = CTKDrawHelpers::InitWindowRect(ltr);
  EXPECT_EQ(300, wr.right);
  DestroyWindow(rtl);
  DestroyWindow(ltr);
  const RECT none = CTKDrawHelpers::InitClientRect(ltr);  // no longer a window
  EXPECT_TRUE(IsRectEmpty(&none));
}

TEST(DrawHelpers, DefaultFaceIsAnInstalledFont) {
  const std::wstring face = CTKDrawHelpers::ChooseDefaultFaceName(true);
  ASSERT_FALSE(face.empty());
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
  if (!CTKDrawHelpers::IsFontInstalled(L"Arial")) {
    EXPECT_EQ(std::wstring(gui.lfFaceName), face);
  }
  EXPECT_FALSE(CTKDrawHelpers::IsFontInstalled(L"No Such Face Anywhere"));
}

TEST(ScopeDCs, BufferCopiesBackUnlessCancelled) {
  Canvas target(40, 40, RGB(1, 2, 3));
  RECT rc{10, 10, 30, 30};
  {
    CTKBufferDC buffer(target.dc(), rc);
    CTKDrawHelpers::FillSolidRect(buffer, RECT{0, 0, 40, 40}, RGB(200, 0, 0));
  }
  EXPECT_EQ(RGB(200, 0, 0), target.At(10, 10));
  EXPECT_EQ(RGB(200, 0, 0), target.At(29, 29));
  EXPECT_EQ(RGB(1, 2, 3), target.At(9, 10));
  EXPECT_EQ(RGB(1, 2, 3), target.At(30, 30));
  {
    CTKBufferDC buffer(target.dc(), rc);
    CTKDrawHelpers::FillSolidRect(buffer, rc, RGB(0, 200, 0));
    buffer.CancelCopyBack();
  }
  EXPECT_EQ(RGB(200, 0, 0), target.At(15, 15));
  {
    CTKBufferDCEx buffer(target.dc(), rc);
    CTKDrawHelpers::FillSolidRect(buffer, RECT{20, 20, 30, 30}, RGB(0, 0, 200));  // destination coordinates
    CTKDrawHelpers::FillSolidRect(buffer, RECT{10, 10, 20, 20}, RGB(0, 90, 0));
  }
  EXPECT_EQ(RGB(0, 0, 200), target.At(25, 25));
  EXPECT_EQ(RGB(0, 90, 0), target.At(10, 10));
  EXPECT_EQ(RGB(1, 2, 3), target.At(31, 31));
}

TEST(ScopeDCs, FontPenAndBrushAreRestored) {
  Canvas canvas(4, 4);
  HDC dc = canvas.dc();
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
  const COLORREF text = GetTextColor(dc);
  {
    CTKFontDC f(dc, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    f.SelectFont(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    f.SetTextColor(RGB(1, 2, 3));
    f.SetTextColor(RGB(4, 5, 6));
    CTKPenDC p(dc, RGB(9, 9, 9));
    p.SetColor(RGB(8, 8, 8));
    CTKBrushDC b(dc, RGB(7, 7, 7));
    EXPECT_NE(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_NE(brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(RGB(4, 5, 6), GetTextColor(dc));
  }
  EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
  EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
  EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
  EXPECT_EQ(text, GetTextColor(dc));
}

}  // namespace
