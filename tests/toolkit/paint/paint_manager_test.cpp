#include "toolkit/paint/paint_manager.h"

#include <gtest/gtest.h>

#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/paint/default_theme.h"

namespace {

// A default theme whose system menu font the test gives.
class FontTheme : public TKPaintThemes::CTKDefaultTheme {
 public:
  explicit FontTheme(LONG height) : height_(height) {}
  bool SystemMenuFont(LOGFONTW* font) override {
    *font = LOGFONTW{};
    font->lfHeight = height_;
    font->lfWeight = FW_NORMAL;
    lstrcpyW(font->lfFaceName, L"Tahoma");
    return true;
  }

 private:
  LONG height_;
};

TEST(PaintManagerTest, ThemesAreMadeByNumberAndInstalledGlobally) {
  InstallThemeByNumber(9);
  EXPECT_EQ(9, GlobalPaintManager()->ThemeNumberWord());
  EXPECT_EQ(0, GlobalPaintManager()->ThemeNumber());
  InstallThemeByNumber(3);
  EXPECT_EQ(3, GlobalPaintManager()->ThemeNumber());
  InstallGlobalPaintManager(NewThemeByNumber(0));
  EXPECT_EQ(7, GlobalPaintManager()->ThemeNumberWord());
  DropGlobalPaintManager();
  EXPECT_EQ(0, GlobalPaintManager()->ThemeNumber());  // made again on demand
}

TEST(PaintManagerTest, ColoursAreTableIndexesUpTo62AndLiteralAbove) {
  TKPaintThemes::CTKDefaultTheme theme;
  theme.ReloadColorsAndFonts();
  EXPECT_EQ(63u, theme.ResolveColor(63));
  EXPECT_EQ(RGB(1, 2, 3), theme.ResolveColor(RGB(1, 2, 3)));
  EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), theme.ResolveColor(15));
  theme.SetCustomColor(15, RGB(9, 8, 7));
  EXPECT_EQ(RGB(9, 8, 7), theme.ResolveColor(15));
  const int refreshed = theme.GalleryPaintManager()->RefreshCount();
  theme.ReloadColorsAndFonts();
  EXPECT_EQ(refreshed + 1, theme.GalleryPaintManager()->RefreshCount());
}

TEST(PaintManagerTest, BarFontsAreNeverSmallerThan11PixelsAndRowsNeverLowerThan22) {
  struct Case {
    LONG system, used;
  } cases[] = {{-9, -11}, {12, 12}, {-14, -14}};
  for (const Case& c : cases) {
    FontTheme theme(c.system);
    theme.RebuildBarFonts();
    LOGFONTW lf{};
    ASSERT_TRUE(theme.RegularFont().GetLogFont(&lf));
    EXPECT_EQ(c.used, lf.lfHeight) << c.system;
    LOGFONTW bold{};
    theme.BoldFont().GetLogFont(&bold);
    EXPECT_EQ(FW_BOLD, bold.lfWeight);
    EXPECT_GE(theme.RowHeight(), 22);
  }
  FontTheme small(-11);
  small.RebuildBarFonts();
  ASSERT_LT(small.ControlHeight(), 22);
  EXPECT_EQ(22, small.RowHeight());
}

TEST(PaintManagerTest, PopupAnimationsCopyInStepsAndZeroStepsDrawNothing) {
  TKPaintThemes::CTKDefaultTheme theme;
  Canvas source(20, 10, RGB(255, 0, 0));
  for (int kind : {2, 3, 4}) {
    Canvas screen(20, 10, RGB(0, 0, 255));
    CDC src, dst;
    src.Attach(source.dc());
    dst.Attach(screen.dc());
    theme.SetAnimation(0, 100);
    theme.RunPopupAnimation(&dst, CRect(0, 0, 20, 10), &src, kind);
    EXPECT_EQ(RGB(0, 0, 255), screen.At(10, 5)) << kind;
    theme.SetAnimation(2, 0);
    theme.RunPopupAnimation(&dst, CRect(0, 0, 20, 10), &src, kind);
    if (kind == 4)  // one blended step at half weight; the full step is left to the caller
      EXPECT_LE(ChannelDistance(RGB(127, 0, 127), screen.At(10, 5)), 2) << kind;
    else
      EXPECT_EQ(RGB(255, 0, 0), screen.At(19, 9)) << kind;
    src.Detach();
    dst.Detach();
  }
}

TEST(PaintManagerTest, LongCaptionsSplitAtTheSpaceNearestTheirMiddle) {
  struct Case {
    const wchar_t* caption;
    const wchar_t* first;
    const wchar_t* second;
  } cases[] = {
      {L"Open File", L"Open", L"File"},
      {L"A Bcdefgh", L"A Bcdefgh", L""},  // the only space is the second character
      {L"Insert Page Break", L"Insert", L"Page Break"},
      {L"Paste", L"Paste", L""},
  };
  for (const Case& c : cases) {
    std::wstring first, second;
    CTKPaintManager::SplitCaption(c.caption, &first, &second);
    EXPECT_EQ(c.first, first) << c.caption;
    EXPECT_EQ(c.second, second) << c.caption;
  }
}

}  // namespace
