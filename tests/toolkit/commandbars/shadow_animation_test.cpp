// Drop shadows (their windows, their alpha strips and solid strips by pixels, corners, following
// the owner) and the redraw fades of a window painted from a snapshot, frame by frame by pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win/gdi.h"
#include "test_bars.h"
#include "toolkit/commandbars/animation.h"
#include "toolkit/commandbars/shadow_manager.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"

namespace {

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return ::DefWindowProcW(h, m, w, l); }

// A plain top-level popup standing in for an open popup.
HWND MakePopup(const RECT& rc) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TKShadowOwner";
    ::RegisterClassW(&wc);
    registered = true;
  }
  HWND hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"TKShadowOwner", L"", WS_POPUP, rc.left, rc.top, rc.right - rc.left,
                                rc.bottom - rc.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(hwnd, SW_SHOWNA);
  return hwnd;
}

struct ShadowSettings {
  ShadowSettings(bool alpha, bool drop, int options) {
    CTKShadowsManager& m = CTKShadowsManager::Instance();
    m.OverrideAlphaShadows(alpha);
    m.OverrideSystemDropShadow(drop);
    CTKShadowsManager::Style style;
    style.options = options;
    m.SetStyle(style);
  }
  ~ShadowSettings() {
    CTKShadowsManager& m = CTKShadowsManager::Instance();
    m.OverrideAlphaShadows(std::nullopt);
    m.OverrideSystemDropShadow(std::nullopt);
    m.SetStyle(CTKShadowsManager::Style());
    DrainMessages();
  }
};

BYTE AlphaAt(const std::vector<DWORD>& image, int width, int x, int y) {
  return static_cast<BYTE>(image[static_cast<size_t>(y) * width + x] >> 24);
}

// The alpha strips: 4 pixels across, darkest next to the owner, corners fading along the strip.
TEST(ShadowsManager, AlphaStripsByPixels) {
  struct Case {
    const char* name;
    int along, across;  // pixel: along the strip, across it (0 next to the owner)
    int alpha_step6;    // alpha with the normal steps; the lighter option halves it
  } cases[] = {
      {"straight, next to the owner", 10, 0, 120},
      {"straight, outer edge", 10, 3, 30},
      {"start corner, outer", 0, 3, 6},
      {"start corner, inner", 3, 0, 96},
      {"end corner, next to the owner", 19, 0, 24},
  };
  for (bool bottom : {true, false})
    for (int options : {0, static_cast<int>(CTKShadowsManager::kOptionLighter)})
      for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (bottom ? " bottom" : " right") + (options ? " lighter" : ""));
        const int w = bottom ? 20 : 4, h = bottom ? 4 : 20;
        std::vector<DWORD> image = CTKShadowsManager::MakeAlphaImage(w, h, bottom, options, RGB(40, 20, 80));
        const int x = bottom ? c.along : c.across, y = bottom ? c.across : c.along;
        EXPECT_EQ(AlphaAt(image, w, x, y), options ? c.alpha_step6 / 2 : c.alpha_step6);
      }
  // The colour is the shadow colour scaled by the distance: whole next to the owner, a quarter
  // at the outer edge (blue in the low byte, red above it).
  std::vector<DWORD> image = CTKShadowsManager::MakeAlphaImage(20, 4, true, 0, RGB(40, 20, 80));
  EXPECT_EQ(image[10] & 0xFFFFFF, 0x281450u);
  EXPECT_EQ(image[3 * 20 + 10] & 0xFFFFFF, 0x0A0514u);
}

// A bottom and a right shadow beside the owner: layered 4-pixel strips with alpha shadows, solid
// 2-pixel strips in the button-shadow colour without.
TEST(ShadowsManager, ShadowWindowsBesideTheOwner) {
  for (bool alpha : {true, false}) {
    SCOPED_TRACE(alpha ? "alpha" : "solid");
    ShadowSettings settings(alpha, true, 0);
    const RECT owner_rect{300, 200, 400, 330};
    HWND owner = MakePopup(owner_rect);
    CTKShadowsManager& m = CTKShadowsManager::Instance();
    ASSERT_TRUE(m.ShowShadows(owner, owner_rect));
    std::vector<CTKShadowsManager::CShadowWnd*> shadows = m.ShadowsOf(owner);
    ASSERT_EQ(shadows.size(), 2u);
    const int t = alpha ? 4 : 2;
    for (CTKShadowsManager::CShadowWnd* shadow : shadows) {
      CRect rc = shadow->GetWindowRect();
      CRect expected = shadow->IsBottom() ? CRect(300 + t, 330, 400 + t, 330 + t) : CRect(400, 200 + t, 400 + t, 330);
      EXPECT_EQ(rc, expected);
      EXPECT_TRUE(::IsWindowVisible(shadow->GetSafeHwnd()));
      const bool layered = (::GetWindowLongPtrW(shadow->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
      EXPECT_EQ(layered, alpha);
      if (alpha) {
        EXPECT_EQ(shadow->GetImage(),
                  CTKShadowsManager::MakeAlphaImage(rc.Width(), rc.Height(), shadow->IsBottom(), 0, RGB(0, 0, 0)));
      } else {
        ::UpdateWindow(shadow->GetSafeHwnd());
        KestrinWinNS::CScopedClientDC dc(shadow->GetSafeHwnd());
        EXPECT_EQ(::GetPixel(dc.Get(), rc.Width() / 2, rc.Height() / 2), m.SolidColor());
      }
    }
    ::DestroyWindow(owner);
    EXPECT_TRUE(m.ShadowsOf(owner).empty());
  }
}

// Shadows follow their owner: hidden and shown with it, removed when it is destroyed.
TEST(ShadowsManager, ShadowsFollowTheOwner) {
  ShadowSettings settings(true, true, 0);
  const RECT owner_rect{300, 200, 400, 330};
  HWND owner = MakePopup(owner_rect);
  CTKShadowsManager& m = CTKShadowsManager::Instance();
  const size_t before = m.GetShadows().size();
  ASSERT_TRUE(m.ShowShadows(owner, owner_rect));
  for (bool shown : {false, true}) {
    ::ShowWindow(owner, shown ? SW_SHOWNA : SW_HIDE);
    for (CTKShadowsManager::CShadowWnd* shadow : m.ShadowsOf(owner))
      EXPECT_EQ(::IsWindowVisible(shadow->GetSafeHwnd()) != FALSE, shown);
  }
  std::vector<HWND> windows;
  for (CTKShadowsManager::CShadowWnd* shadow : m.ShadowsOf(owner)) windows.push_back(shadow->GetSafeHwnd());
  ::DestroyWindow(owner);
  EXPECT_EQ(m.GetShadows().size(), before);
  for (HWND hwnd : windows) EXPECT_FALSE(::IsWindow(hwnd));
}

// A popup bar gets shadows only when the theme asks for them, or when layered windows exist and
// the system's drop-shadow setting is on.
TEST(ShadowsManager, PopupShadowsFollowTheSettings) {
  struct Case {
    bool alpha, drop;
    int options;
    size_t shadows;
  } cases[] = {
      {true, true, 0, 2},
      {true, false, 0, 0},
      {false, true, 0, 0},
      {false, false, CTKShadowsManager::kOptionLighter, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.alpha) + std::to_string(c.drop) + std::to_string(c.options));
    ShadowSettings settings(c.alpha, c.drop, c.options);
    TestBar* popup = new TestBar;
    popup->Create(nullptr, WS_POPUP, RECT{200, 200, 320, 400});
    ::ShowWindow(popup->GetSafeHwnd(), SW_SHOWNA);
    CTKShadowsManager::Instance().SetShadow(popup);
    EXPECT_EQ(CTKShadowsManager::Instance().ShadowsOf(popup->GetSafeHwnd()).size(), c.shadows);
    popup->DestroyWindow();
    popup->Release();
    EXPECT_TRUE(CTKShadowsManager::Instance().ShadowsOf(popup->GetSafeHwnd()).empty());
  }
}

// Where the end of one owner's right shadow reaches one pixel into another owner's bottom
// shadow, the shorter end gives way, whichever shadow came first: no pixel lies under both.
TEST(ShadowsManager, CornersAreNotDarkenedTwice) {
  const RECT wide{100, 100, 200, 300};    // bottom shadow (104, 300, 204, 304)
  const RECT beside{20, 150, 150, 301};   // right shadow (150, 154, 154, 301)
  for (bool wide_first : {true, false}) {
    SCOPED_TRACE(wide_first ? "wide first" : "beside first");
    ShadowSettings settings(true, true, 0);
    CTKShadowsManager& m = CTKShadowsManager::Instance();
    HWND a = MakePopup(wide_first ? wide : beside);
    HWND b = MakePopup(wide_first ? beside : wide);
    m.ShowShadows(a, wide_first ? wide : beside);
    m.ShowShadows(b, wide_first ? beside : wide);
    std::vector<CTKShadowsManager::CShadowWnd*> all = m.ShadowsOf(a), more = m.ShadowsOf(b);
    all.insert(all.end(), more.begin(), more.end());
    ASSERT_EQ(all.size(), 4u);
    for (auto* one : all)
      for (auto* other : all) {
        if (one->IsBottom() == other->IsBottom()) continue;
        CRect meet;
        EXPECT_FALSE(meet.IntersectRect(one->GetWindowRect(), other->GetWindowRect()));
      }
    // The wide owner's bottom shadow keeps its whole length; the other's right shadow lost
    // the one pixel.
    HWND wide_window = wide_first ? a : b, beside_window = wide_first ? b : a;
    for (auto* shadow : m.ShadowsOf(wide_window)) {
      if (shadow->IsBottom()) {
        EXPECT_EQ(shadow->GetWindowRect(), CRect(104, 300, 204, 304));
      }
    }
    for (auto* shadow : m.ShadowsOf(beside_window)) {
      if (!shadow->IsBottom()) {
        EXPECT_EQ(shadow->GetWindowRect(), CRect(150, 154, 154, 300));
      }
    }
    ::DestroyWindow(a);
    ::DestroyWindow(b);
  }
}

// ---------------------------------------------------------------------------------------------
// Fades

int g_timer_sets = 0, g_timer_kills = 0;
UINT_PTR RecordSet(HWND, UINT_PTR id, UINT, TIMERPROC) {
  if (id == CTKCommandBarAnimation::kTimerId) ++g_timer_sets;
  return id;
}
BOOL RecordKill(HWND, UINT_PTR id) {
  if (id == CTKCommandBarAnimation::kTimerId) ++g_timer_kills;
  return TRUE;
}

// A window that paints from its animation's snapshot: a background with one part in its own
// colour.
struct FadeWindow {
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    FadeWindow* self = reinterpret_cast<FadeWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      self->animation.PaintFromSnapshot(dc, ps.rcPaint);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    if (self && message == WM_TIMER && self->animation.OnTimer(wparam)) return 0;
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
  explicit FadeWindow(bool animate) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKFadeTest";
      ::RegisterClassW(&wc);
      registered = true;
    }
    g_timer_sets = g_timer_kills = 0;
    TKSetTimerFunctions(&RecordSet, &RecordKill);
    hwnd = ::CreateWindowExW(0, L"TKFadeTest", L"", WS_POPUP, 50, 50, 120, 60, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    animation.Attach(hwnd, [this](CDC* dc, const CRect&) {
      CRect client(0, 0, 120, 60);
      dc->FillSolidRect(&client, RGB(200, 200, 200));
      dc->FillSolidRect(&part, colour);
    });
    animation.EnableAnimation(animate);
    ::ShowWindow(hwnd, SW_SHOWNA);
    ::UpdateWindow(hwnd);
  }
  ~FadeWindow() {
    animation.OnDestroy();
    ::DestroyWindow(hwnd);
    TKSetTimerFunctions(nullptr, nullptr);
  }
  COLORREF Pixel(int x, int y) const {
    KestrinWinNS::CScopedClientDC dc(hwnd);
    COLORREF c = ::GetPixel(dc.Get(), x, y);
    return c;
  }
  HWND hwnd;
  CRect part{10, 10, 40, 30};
  COLORREF colour = RGB(0, 0, 255);
  CTKCommandBarAnimation animation;
};

// A redraw that changes nothing starts no fade and no timer.
TEST(CommandBarAnimation, UnchangedRedrawStartsNothing) {
  FadeWindow w(true);
  ASSERT_TRUE(w.animation.HasSnapshot());
  w.animation.Refresh(&w.part, true);
  EXPECT_EQ(w.animation.AnimationCount(), 0u);
  EXPECT_EQ(g_timer_sets, 0);
  EXPECT_EQ(w.Pixel(20, 20), RGB(0, 0, 255));
}

// A changed part fades in six frames: the first at once, five more on the timer, each nearer the
// new colour, the last exactly it; then the timer stops. The rest of the window stays.
TEST(CommandBarAnimation, FadeFramesByPixels) {
  FadeWindow w(true);
  w.colour = RGB(255, 255, 255);
  w.animation.Refresh(&w.part, true);
  EXPECT_EQ(g_timer_sets, 1);
  std::vector<int> red;
  red.push_back(GetRValue(w.Pixel(20, 20)));
  for (int tick = 0; tick < 5; ++tick) {
    ::SendMessageW(w.hwnd, WM_TIMER, CTKCommandBarAnimation::kTimerId, 0);
    red.push_back(GetRValue(w.Pixel(20, 20)));
  }
  ASSERT_EQ(red.size(), 6u);
  // The first frame is one sixth of the way: (255 * 42 + 0 * 213) >> 8.
  EXPECT_EQ(red[0], (255 * (255 / 6)) >> 8);
  for (size_t i = 1; i < red.size(); ++i) EXPECT_GT(red[i], red[i - 1]);
  EXPECT_EQ(w.Pixel(20, 20), RGB(255, 255, 255));
  EXPECT_EQ(w.Pixel(60, 40), RGB(200, 200, 200));
  EXPECT_EQ(w.animation.AnimationCount(), 0u);
  EXPECT_EQ(g_timer_kills, 1);
  EXPECT_FALSE(w.animation.IsTimerRunning());
}

// A second redraw of the same part takes over from the first.
TEST(CommandBarAnimation, SecondRedrawReplacesTheFirst) {
  FadeWindow w(true);
  w.colour = RGB(255, 0, 0);
  w.animation.Refresh(&w.part, true);
  w.colour = RGB(0, 255, 0);
  w.animation.Refresh(&w.part, true);
  ASSERT_EQ(w.animation.AnimationCount(), 1u);
  EXPECT_EQ(g_timer_sets, 1);
  for (int tick = 0; tick < 5; ++tick) ::SendMessageW(w.hwnd, WM_TIMER, CTKCommandBarAnimation::kTimerId, 0);
  EXPECT_EQ(w.Pixel(20, 20), RGB(0, 255, 0));
}

// Resizing drops the snapshot: the next paint draws the whole client at its new size.
TEST(CommandBarAnimation, ResizeRedrawsTheWholeClient) {
  FadeWindow w(true);
  ::SetWindowPos(w.hwnd, nullptr, 0, 0, 200, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  w.part = CRect(150, 60, 190, 80);
  ::InvalidateRect(w.hwnd, nullptr, FALSE);
  ::UpdateWindow(w.hwnd);
  EXPECT_EQ(w.animation.SnapshotSize(), CSize(200, 90));
  EXPECT_EQ(w.Pixel(170, 70), RGB(0, 0, 255));
  EXPECT_EQ(w.Pixel(20, 20), RGB(200, 200, 200));
}

// With animation off no snapshot is kept, no timer is set, and a redraw shows the new look at
// the next paint.
TEST(CommandBarAnimation, OffMeansNoTimer) {
  FadeWindow w(false);
  w.colour = RGB(255, 255, 255);
  w.animation.Refresh(&w.part, true);
  ::UpdateWindow(w.hwnd);
  EXPECT_EQ(g_timer_sets, 0);
  EXPECT_FALSE(w.animation.HasSnapshot());
  EXPECT_EQ(w.Pixel(20, 20), RGB(255, 255, 255));
}

}  // namespace

namespace {

// A command bar paints through its animation when it is switched on: a control whose look
// changes fades to it, and the last frame is what a fresh drawing of the bar shows.
TEST(CommandBarAnimation, BarFadesAControlToItsNewLook) {
  BarFixture f(4);
  ::ShowWindow(f.site.hwnd, SW_SHOWNA);
  CTKCommandBarAnimation& animation = f.bar->GetAnimation();
  animation.EnableAnimation(true);
  ::InvalidateRect(f.bar->GetSafeHwnd(), nullptr, FALSE);
  ::UpdateWindow(f.bar->GetSafeHwnd());
  ASSERT_TRUE(animation.HasSnapshot());
  CTKControl* control = f.bar->GetControl(1);
  control->SetChecked(1);
  const CRect part = control->GetRect();
  animation.Refresh(&part, true);
  ASSERT_EQ(animation.AnimationCount(), 1u);
  for (int tick = 0; tick < 5; ++tick)
    ::SendMessageW(f.bar->GetSafeHwnd(), WM_TIMER, CTKCommandBarAnimation::kTimerId, 0);
  EXPECT_EQ(animation.AnimationCount(), 0u);
  // The bar drawn afresh off screen, as its paint would.
  const CSize size = f.bar->GetClientRect().Size();
  const std::vector<DWORD> shown = WindowPixels(f.bar->GetSafeHwnd(), size);
  const std::vector<DWORD> drawn = DrawnPixels(f.bar, size);
  ASSERT_EQ(static_cast<size_t>(size.cx * size.cy), shown.size());
  ASSERT_EQ(shown.size(), drawn.size());
  int differing = 0;
  for (int y = part.top; y < part.bottom; ++y)
    for (int x = part.left; x < part.right; ++x) differing += shown[y * size.cx + x] != drawn[y * size.cx + x];
  EXPECT_EQ(differing, 0);
}

}  // namespace
