#include <gtest/gtest.h>

#include <vector>

#include "toolkit/commandbars/scroll_base.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/default_theme.h"

namespace {

// Geometry of a 100-pixel bar with 16-pixel arrows.
TKScrollBarGeometry Bar(int min, int max, int page, int pos, int height = 100, int arrow = 16) {
  TKScrollBarGeometry g;
  TKScrollInfo info;
  info.min = min;
  info.max = max;
  info.page = page;
  info.pos = pos;
  CTKScrollBase::ComputeGeometry(CRect(0, 0, 16, height), arrow, info, g);
  return g;
}

TEST(ScrollArithmetic, ThumbGeometryTable) {
  struct Case {
    const char* name;
    int min, max, page, pos, height;
    int thumb_size, thumb_top, track_length;
    bool fixed;
  } cases[] = {
      {"small page raised to half an arrow", 0, 99, 10, 0, 100, 8, 16, 60, false},
      {"last position meets the down arrow", 0, 99, 10, 90, 100, 8, 76, 60, false},
      {"middle", 0, 99, 10, 45, 100, 8, 46, 60, false},
      {"position past the end is held at the last", 0, 99, 10, 500, 100, 8, 76, 60, false},
      {"position before the start is held at the first", 0, 99, 10, -7, 100, 8, 16, 60, false},
      {"page equal to the range fills the track", 0, 99, 100, 0, 100, 68, 15, 0, true},
      {"page larger than the range fills the track", 0, 99, 500, 30, 100, 68, 15, 0, true},
      {"page far larger than the range", 0, 9, 1000000, 5, 100, 68, 15, 0, true},
      {"page 0 takes the arrow size", 0, 99, 0, 50, 100, 16, 42, 52, false},
      {"empty range", 10, 9, 5, 10, 100, 16, 16, 52, true},
      {"offset range", 100, 199, 10, 145, 100, 8, 46, 60, false},
      {"bar shorter than two arrows", 0, 99, 10, 0, 20, 0, 10, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TKScrollBarGeometry g = Bar(c.min, c.max, c.page, c.pos, c.height);
    EXPECT_EQ(c.thumb_size, g.thumb_size);
    EXPECT_EQ(c.thumb_top, g.thumb_top);
    EXPECT_EQ(c.thumb_top + c.thumb_size, g.thumb_bottom);
    EXPECT_EQ(c.track_length, g.track_length);
    EXPECT_EQ(c.fixed, g.thumb_fixed);
    // The thumb never leaves the space between the arrows.
    EXPECT_GE(g.thumb_top, g.up_end - 1);
    EXPECT_LE(g.thumb_bottom, g.down_start);
  }
}

TEST(ScrollArithmetic, PositionFromThumbTopTable) {
  struct Case {
    const char* name;
    int page, y, expected;
  } cases[] = {
      {"before the track", 10, 3, 0},
      {"track start", 10, 16, 0},
      {"middle", 10, 46, 45},
      {"track end", 10, 76, 90},
      {"past the track: the last page", 10, 95, 90},
      {"page 0, middle rounds", 0, 42, 50},
      {"page 0, past the track: the maximum", 0, 99, 99},
      // Without a track there is nothing to divide by: the minimum.
      {"page equal to the range", 100, 50, 0},
      {"page larger than the range", 400, 50, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, CTKScrollBase::PositionFromThumbTop(Bar(0, 99, c.page, 0), c.y));
  }
}

TEST(ScrollArithmetic, HitTestTable) {
  struct Case {
    const char* name;
    int pos, x, y, reserved_end, expected;
  } cases[] = {
      {"up arrow", 0, 5, 5, 0, CTKScrollBase::kPartUpArrow},
      {"thumb", 0, 5, 20, 0, CTKScrollBase::kPartThumb},
      {"below the thumb", 0, 5, 30, 0, CTKScrollBase::kPartPageDown},
      {"above the thumb", 45, 5, 30, 0, CTKScrollBase::kPartPageUp},
      {"down arrow", 0, 5, 90, 0, CTKScrollBase::kPartDownArrow},
      {"reserved end", 0, 5, 82, 80, CTKScrollBase::kPartEnd},
      {"beside the bar", 0, 20, 50, 0, CTKScrollBase::kPartNone},
      {"below the bar", 0, 5, 100, 0, CTKScrollBase::kPartNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, CTKScrollBase::HitTestGeometry(Bar(0, 99, 10, c.pos), CPoint(c.x, c.y), c.reserved_end));
  }
}

// ---------------------------------------------------------------------------------------------
// The mouse loop, with a window of its own and the timer and cursor seams.

std::vector<UINT> g_timer_elapses;
POINT g_cursor{};
UINT_PTR RecordTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC) {
  if (id == CTKScrollBase::kRepeatTimer) g_timer_elapses.push_back(elapse);
  return id;
}
BOOL NoKill(HWND, UINT_PTR) { return TRUE; }
BOOL FakeCursor(POINT* pt) {
  *pt = g_cursor;
  return TRUE;
}

// A window procedure that gives the capture away on WM_USER + 1.
WNDPROC g_old_proc = nullptr;
LRESULT CALLBACK ReleasingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER + 1) ::ReleaseCapture();
  return ::CallWindowProcW(g_old_proc, h, m, w, l);
}

class Scroller : public CTKScrollBase {
 public:
  explicit Scroller(HWND hwnd) : hwnd_(hwnd) {}
  void RedrawScrollBar() override { ++redraws; }
  CRect GetScrollBarRect() override { return CRect(0, 0, 16, 100); }
  void GetScrollInfo(TKScrollInfo* i) override { *i = info; }
  void DoScroll(int command, int pos) override {
    commands.push_back(command);
    positions.push_back(pos);
    if (command == kThumbTrack || command == kThumbPosition) info.pos = pos;
  }
  void RedrawControl() override {}
  void ComputeBarGeometry(const CRect& rect, TKScrollBarGeometry& g, const TKScrollInfo& i) override {
    ComputeGeometry(rect, 16, i, g);
  }
  CTKPaintManager* GetScrollPaintManager() override { return nullptr; }
  HWND GetScrollWindow() override { return hwnd_; }

  TKScrollInfo info{0, 99, 10, 0};
  std::vector<int> commands, positions;
  int redraws = 0;

 private:
  HWND hwnd_;
};

class ScrollLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(hwnd);
    g_timer_elapses.clear();
    TKSetTimerFunctions(&RecordTimer, &NoKill);
    TKSetCursorPosFunction(&FakeCursor);
  }
  void TearDown() override {
    TKSetTimerFunctions(nullptr, nullptr);
    TKSetCursorPosFunction(nullptr);
    ::DestroyWindow(hwnd);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void Post(UINT message, int x, int y, WPARAM w = MK_LBUTTON) { ::PostMessageW(hwnd, message, w, MAKELPARAM(x, y)); }
  void CursorAt(int x, int y) {
    g_cursor = {x, y};
    ::ClientToScreen(hwnd, &g_cursor);
  }
  HWND hwnd = nullptr;
};

TEST_F(ScrollLoop, HeldArrowStepsOnPressThenOnEachTick) {
  Scroller s(hwnd);
  CursorAt(5, 5);
  ::PostMessageW(hwnd, WM_TIMER, CTKScrollBase::kRepeatTimer, 0);
  ::PostMessageW(hwnd, WM_TIMER, CTKScrollBase::kRepeatTimer, 0);
  Post(WM_LBUTTONUP, 5, 5, 0);
  s.PerformTrackInit(CPoint(5, 5), false);
  EXPECT_EQ((std::vector<int>{CTKScrollBase::kLineUp, CTKScrollBase::kLineUp, CTKScrollBase::kLineUp,
                              CTKScrollBase::kEndScroll}),
            s.commands);
  const UINT dbl = ::GetDoubleClickTime();
  EXPECT_EQ((std::vector<UINT>{dbl * 4 / 5, dbl / 10, dbl / 10}), g_timer_elapses);
  EXPECT_FALSE(s.IsTracking());
  EXPECT_EQ(0, CTKScrollBase::RunningLoops());
}

TEST_F(ScrollLoop, TickOutsideThePressedPartSendsNothing) {
  Scroller s(hwnd);
  CursorAt(5, 60);  // the pointer left the arrow
  ::PostMessageW(hwnd, WM_TIMER, CTKScrollBase::kRepeatTimer, 0);
  Post(WM_LBUTTONUP, 5, 60, 0);
  s.PerformTrackInit(CPoint(5, 95), false);
  EXPECT_EQ((std::vector<int>{CTKScrollBase::kLineDown, CTKScrollBase::kEndScroll}), s.commands);
}

TEST_F(ScrollLoop, ThumbDraggedFarAsideReturnsToItsStart) {
  Scroller s(hwnd);
  // Thumb at 16..24; pressed at y 20 (offset 4).
  Post(WM_MOUSEMOVE, 5, 50);     // top 46: position 45
  Post(WM_MOUSEMOVE, 400, 50);   // far to the side: back at the start
  Post(WM_LBUTTONUP, 400, 50, 0);
  s.PerformTrackInit(CPoint(5, 20), false);
  ASSERT_GE(s.commands.size(), 3u);
  EXPECT_EQ(CTKScrollBase::kThumbTrack, s.commands.front());
  EXPECT_EQ(0, s.positions.front());
  // Every position on the way is reported: 1..45, then 44..0.
  int tracks = 0;
  for (size_t i = 1; i + 2 < s.commands.size(); ++i) {
    EXPECT_EQ(CTKScrollBase::kThumbTrack, s.commands[i]);
    ++tracks;
  }
  EXPECT_EQ(45 + 45, tracks);
  EXPECT_EQ(CTKScrollBase::kThumbPosition, s.commands[s.commands.size() - 2]);
  EXPECT_EQ(0, s.positions[s.positions.size() - 2]);
  EXPECT_EQ(CTKScrollBase::kEndScroll, s.commands.back());
}

TEST_F(ScrollLoop, ThumbReleasedKeepsItsLastPosition) {
  Scroller s(hwnd);
  Post(WM_MOUSEMOVE, 5, 50);
  Post(WM_LBUTTONUP, 5, 50, 0);
  s.PerformTrackInit(CPoint(5, 20), false);
  EXPECT_EQ(CTKScrollBase::kThumbPosition, s.commands[s.commands.size() - 2]);
  EXPECT_EQ(45, s.positions[s.positions.size() - 2]);
}

TEST_F(ScrollLoop, EndsOnCancelQuitAndLostCapture) {
  struct Case {
    const char* name;
    int how;  // 0 Escape, 1 WM_QUIT, 2 the capture taken away
  } cases[] = {{"escape", 0}, {"quit", 1}, {"capture lost", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scroller s(hwnd);
    Post(WM_MOUSEMOVE, 5, 50);
    if (c.how == 0) ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    if (c.how == 1) ::PostQuitMessage(7);
    if (c.how == 2) ::PostMessageW(hwnd, WM_USER + 1, 0, 0);
    g_old_proc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReleasingProc)));
    s.PerformTrackInit(CPoint(5, 20), false);
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_old_proc));
    // Cancelled: the thumb goes back where it started.
    ASSERT_GE(s.commands.size(), 2u);
    EXPECT_EQ(CTKScrollBase::kThumbPosition, s.commands[s.commands.size() - 2]);
    EXPECT_EQ(0, s.positions[s.positions.size() - 2]);
    EXPECT_EQ(CTKScrollBase::kEndScroll, s.commands.back());
    MSG msg;
    const bool quit_back = ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    EXPECT_EQ(c.how == 1, quit_back);
    if (quit_back) EXPECT_EQ(7u, msg.wParam);
    while (::PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) {
    }
  }
}

TEST_F(ScrollLoop, ThumbThatFillsTheTrackDoesNotTrack) {
  Scroller s(hwnd);
  s.info = {0, 99, 100, 0};
  Post(WM_LBUTTONUP, 5, 50, 0);
  s.PerformTrackInit(CPoint(5, 50), false);
  EXPECT_TRUE(s.commands.empty());
  EXPECT_FALSE(s.IsTracking());
}

}  // namespace

namespace {

// A look that reports a given theme number.
class NumberedTheme : public TKPaintThemes::CTKDefaultTheme {
 public:
  explicit NumberedTheme(int number) : number_(number) {}
  int ThemeNumber() const override { return number_; }

 private:
  int number_;
};

class ThemedScroller : public Scroller {
 public:
  explicit ThemedScroller(CTKPaintManager* pm) : Scroller(nullptr), pm_(pm) {}
  CTKPaintManager* GetScrollPaintManager() override { return pm_; }

 private:
  CTKPaintManager* pm_;
};

}  // namespace

// Style 0 follows the look: the classic one draws style 2, the image-based ones (5 and 6) style
// 5, every other look style 3; a style set is used as it is.
TEST(ScrollArithmetic, StyleFollowsTheLookUnlessSet) {
  struct Case {
    int theme, set, expected;
  } cases[] = {{0, 0, 2}, {1, 0, 3}, {2, 0, 3}, {4, 0, 3}, {5, 0, 5}, {6, 0, 5}, {5, 3, 3}, {0, 4, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "theme " << c.theme << ", style set " << c.set);
    NumberedTheme* pm = new NumberedTheme(c.theme);
    {
      ThemedScroller scroller(pm);
      scroller.SetScrollStyle(c.set);
      EXPECT_EQ(c.expected, scroller.ScrollStyle());
    }
    pm->Release();
  }
}
