#include "toolkit/drawing/theme_wrapper.h"

#include <gtest/gtest.h>

#include "tests/toolkit/drawing/fake_theme.h"

namespace {

TEST(ThemeWrapper, WithoutTheLibraryEveryCallFailsSoftly) {
  FakeTheme fake;
  FakeTheme::missing = true;
  CTKWinThemeWrapper theme;
  EXPECT_EQ(nullptr, theme.OpenTheme(nullptr, L"BUTTON"));
  EXPECT_EQ(nullptr, theme.Theme());
  RECT rc{0, 0, 10, 10};
  COLORREF c = 0;
  wchar_t name[10];
  HDC out = nullptr;
  EXPECT_EQ(E_FAIL, theme.DrawThemeBackground(nullptr, 1, 1, &rc, nullptr));
  EXPECT_EQ(E_FAIL, theme.DrawThemeTextEx(nullptr, 1, 1, L"x", 1, 0, &rc, nullptr));
  EXPECT_EQ(E_FAIL, theme.GetThemeColor(0, 0, 3801, &c));
  EXPECT_EQ(E_FAIL, theme.GetCurrentThemeName(name, 10, name, 10, nullptr, 0));
  EXPECT_FALSE(theme.GetThemeSysBool(1));
  EXPECT_FALSE(theme.IsThemeInUse());
  EXPECT_FALSE(theme.IsThemeActive());
  EXPECT_EQ(nullptr, theme.BeginBufferedPaint(nullptr, &rc, BPBF_DIB, nullptr, &out));
  theme.EndBufferedPaint(nullptr, TRUE);
  EXPECT_EQ(0, theme.CloseTheme());
}

TEST(ThemeWrapper, AFaultInsideTheLibraryGivesTheFailureValue) {
  FakeTheme fake;
  FakeTheme::active = true;
  CTKWinThemeWrapper held;
  ASSERT_NE(nullptr, held.OpenTheme(nullptr, L"BUTTON"));
  FakeTheme::faulting = true;
  CTKWinThemeWrapper::SetProcResolver(&FakeTheme::Resolve);  // resolved again, now faulting
  CTKWinThemeWrapper theme;
  EXPECT_EQ(nullptr, theme.OpenTheme(nullptr, L"BUTTON"));
  RECT rc{0, 0, 10, 10};
  COLORREF c = 0;
  wchar_t name[10];
  HDC out = nullptr;
  EXPECT_EQ(E_FAIL, held.DrawThemeBackground(nullptr, 1, 1, &rc, nullptr));
  EXPECT_EQ(E_FAIL, held.DrawThemeTextEx(nullptr, 1, 1, L"x", 1, 0, &rc, nullptr));
  EXPECT_EQ(E_FAIL, held.GetThemeColor(0, 0, 3801, &c));
  EXPECT_EQ(E_FAIL, held.GetCurrentThemeName(name, 10, name, 10, nullptr, 0));
  EXPECT_FALSE(held.GetThemeSysBool(1));
  EXPECT_EQ(nullptr, held.BeginBufferedPaint(nullptr, &rc, BPBF_DIB, nullptr, &out));
  held.EndBufferedPaint(nullptr, TRUE);
  EXPECT_FALSE(held.IsThemeInUse());
  EXPECT_FALSE(held.IsThemeActive());
  EXPECT_EQ(0, held.CloseTheme());
  EXPECT_EQ(nullptr, held.Theme());
  // The program goes on: the same wrapper works once the library answers again.
  FakeTheme::faulting = false;
  CTKWinThemeWrapper::SetProcResolver(&FakeTheme::Resolve);
  EXPECT_NE(nullptr, held.OpenTheme(nullptr, L"BUTTON"));
  EXPECT_TRUE(held.IsThemeActive());
}

TEST(ThemeWrapper, HoldsOneThemeAndClosesIt) {
  FakeTheme fake;
  FakeTheme::active = true;
  FakeTheme::border = 0xABCDEF;
  {
    CTKWinThemeWrapper theme;
    EXPECT_FALSE(theme.IsThemeInUse());  // nothing held yet
    ASSERT_NE(nullptr, theme.OpenTheme(nullptr, L"TREEVIEW"));
    EXPECT_TRUE(theme.IsThemeInUse());
    COLORREF c = 0;
    EXPECT_EQ(S_OK, theme.GetThemeColor(0, 0, 3801, &c));
    EXPECT_EQ(0xABCDEFu, c);
    theme.OpenTheme(nullptr, L"BUTTON");  // the first one is closed before the second opens
    EXPECT_EQ(1, FakeTheme::closed);
  }
  EXPECT_EQ(2, FakeTheme::closed);
}

HMODULE g_module = nullptr;
HMODULE CurrentModule() { return g_module; }

TEST(ThemeWrapper, ReloadedLibraryIsResolvedAgain) {
  FakeTheme fake;
  FakeTheme::active = true;
  g_module = GetModuleHandleW(L"kernel32.dll");
  CTKWinThemeWrapper::SetModuleSource(&CurrentModule);
  CTKWinThemeWrapper theme;
  EXPECT_TRUE(theme.IsThemeActive());
  EXPECT_TRUE(theme.IsThemeActive());
  const int after_first = FakeTheme::resolved;
  EXPECT_EQ(1, after_first);  // resolved once, then taken from the table
  g_module = GetModuleHandleW(L"user32.dll");  // the library now stands at another address
  EXPECT_TRUE(theme.IsThemeActive());
  EXPECT_EQ(after_first + 1, FakeTheme::resolved);
  g_module = nullptr;  // unloaded: nothing to call
  EXPECT_FALSE(theme.IsThemeActive());
  CTKWinThemeWrapper::SetModuleSource(nullptr);
}

MARGINS g_margins;
BOOL g_composition = FALSE;
HRESULT WINAPI FakeExtend(HWND, const MARGINS* m) {
  g_margins = *m;
  return S_OK;
}
HRESULT WINAPI FakeIsComposition(BOOL* on) {
  *on = g_composition;
  return S_OK;
}
FARPROC DwmResolver(HMODULE, const char* name) {
  if (!lstrcmpA(name, "DwmExtendFrameIntoClientArea")) return reinterpret_cast<FARPROC>(&FakeExtend);
  if (!lstrcmpA(name, "DwmIsCompositionEnabled")) return reinterpret_cast<FARPROC>(&FakeIsComposition);
  return nullptr;
}
FARPROC NothingResolver(HMODULE, const char*) { return nullptr; }

TEST(DwmFunctions, MarginsInOrderAndFailureWithoutTheFunctions) {
  CTKDwmFunctions& dwm = CTKDwmFunctions::Instance();
  dwm.SetProcResolver(&NothingResolver);
  LRESULT result = 0;
  EXPECT_EQ(E_FAIL, dwm.DefWindowProc(nullptr, WM_NCHITTEST, 0, 0, &result));
  EXPECT_EQ(E_FAIL, dwm.ExtendFrameIntoClientArea(nullptr, 1, 2, 3, 4));
  EXPECT_FALSE(dwm.IsCompositionEnabled());

  dwm.SetProcResolver(&DwmResolver);
  if (!GetModuleHandleW(L"dwmapi.dll")) GTEST_SKIP() << "no dwmapi in this prefix";
  EXPECT_EQ(S_OK, dwm.ExtendFrameIntoClientArea(nullptr, 1, 2, 3, 4));
  EXPECT_EQ(1, g_margins.cxLeftWidth);
  EXPECT_EQ(2, g_margins.cxRightWidth);
  EXPECT_EQ(3, g_margins.cyTopHeight);
  EXPECT_EQ(4, g_margins.cyBottomHeight);
  g_composition = TRUE;
  EXPECT_TRUE(dwm.IsCompositionEnabled());
  g_composition = FALSE;
  EXPECT_FALSE(dwm.IsCompositionEnabled());
  dwm.SetProcResolver(nullptr);
}

}  // namespace
