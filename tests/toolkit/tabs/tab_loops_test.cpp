// The mouse loops, driven by message scripts posted before the loop runs: the navigate
// buttons' press and repeat, an item's press, and reordering by drag; and how every loop ends.
#include <gtest/gtest.h>

#include "tests/toolkit/tabs/tab_test_env.h"

namespace {

using NB = CTKTabManagerNavigateButton;

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class TabLoops : public ::testing::Test {
 protected:
  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    DrainQueue();
  }
};

TEST_F(TabLoops, HeldRightArrowScrollsEveryTwentyMillisecondsUntilTheEnd) {
  TestStrip s(300, 100, 10);
  FakeClock clock;
  clock.owner = s.hwnd();
  NB* right = s.strip.NavigateButton(NB::kRight);
  ASSERT_TRUE(right->IsEnabled());
  // Once the arrow turns disabled the loop has nothing to repeat and waits for the release.
  clock.on_wait = [&](DWORD timeout) {
    if (timeout != INFINITE) return true;
    s.Post(WM_LBUTTONUP, 0, 0);
    return true;
  };
  EXPECT_TRUE(s.strip.HandlePress(s.hwnd(), Centre(right->Rect()), false));
  EXPECT_FALSE(right->IsEnabled());
  EXPECT_FALSE(right->IsPressed());
  EXPECT_EQ(GetCapture(), nullptr);
  // The last tab's end has reached the header's end (less its right margin of 6).
  EXPECT_EQ(s.Item(9)->Rect().right, s.strip.HeaderRect().right - 6);
  const int offset = -s.strip.ScrollOffset();
  const size_t steps = static_cast<size_t>((offset + 19) / 20);
  ASSERT_EQ(clock.waits.size(), steps + 1);
  for (size_t i = 0; i < steps; ++i) EXPECT_EQ(clock.waits[i], 21u) << "each wait lasts until the next step";
  EXPECT_EQ(clock.waits.back(), INFINITE);
  EXPECT_EQ(clock.now, 1000u + 21u * steps);
}

TEST_F(TabLoops, ArrowStepsOnlyWhileHeldAndLeftArrowScrollsBack) {
  TestStrip s(300, 100, 10);
  FakeClock clock;
  clock.owner = s.hwnd();
  int rounds = 0;
  clock.on_wait = [&](DWORD) {
    if (++rounds == 3) s.Post(WM_LBUTTONUP, 0, 0);
    return true;
  };
  s.strip.HandlePress(s.hwnd(), Centre(s.strip.NavigateButton(NB::kRight)->Rect()), false);
  EXPECT_EQ(s.strip.ScrollOffset(), -60);
  rounds = 0;
  clock.on_wait = [&](DWORD) {
    if (++rounds == 1) s.Post(WM_LBUTTONUP, 0, 0);
    return true;
  };
  s.strip.HandlePress(s.hwnd(), Centre(s.strip.NavigateButton(NB::kLeft)->Rect()), false);
  EXPECT_EQ(s.strip.ScrollOffset(), -40);
}

TEST_F(TabLoops, DisabledArrowIgnoresAPress) {
  TestStrip s(300, 100, 10);
  FakeClock clock;
  NB* left = s.strip.NavigateButton(NB::kLeft);
  ASSERT_FALSE(left->IsEnabled());
  EXPECT_TRUE(s.strip.HandlePress(s.hwnd(), Centre(left->Rect()), false));
  EXPECT_TRUE(clock.waits.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(s.strip.ScrollOffset(), 0);
}

// The close button: released inside it closes; released outside, or cancelled, does not.
TEST_F(TabLoops, CloseButtonActsOnlyOnReleaseInside) {
  struct Case {
    const char* name;
    std::vector<std::pair<UINT, POINT>> script;  // a point of (-1, -1) is the button's centre
    int closes;
  } const cases[] = {
      {"release inside", {{WM_LBUTTONUP, {-1, -1}}}, 1},
      {"release outside", {{WM_MOUSEMOVE, {100, 60}}, {WM_LBUTTONUP, {100, 60}}}, 0},
      {"out and back in", {{WM_MOUSEMOVE, {100, 60}}, {WM_MOUSEMOVE, {-1, -1}}, {WM_LBUTTONUP, {-1, -1}}}, 1},
      {"right button", {{WM_RBUTTONDOWN, {-1, -1}}, {WM_LBUTTONUP, {-1, -1}}}, 0},
      {"escape", {{WM_KEYDOWN, {0, 0}}, {WM_LBUTTONUP, {-1, -1}}}, 0},
      {"cancel mode", {{WM_CANCELMODE, {0, 0}}, {WM_LBUTTONUP, {-1, -1}}}, 0},
      {"other keys are dropped", {{WM_CHAR, {0, 0}}, {WM_LBUTTONUP, {-1, -1}}}, 1},
  };
  for (const Case& c : cases) {
    struct Counting : CTKTabControl {
      int closes = 0;
      void NavButtonClicked(int id) override { closes += id == NB::kClose; }
    } strip;
    strip.Create(nullptr, RECT{0, 0, 300, 100}, 0, WS_POPUP);
    strip.AddItem(L"one");
    NB* close = strip.NavigateButton(NB::kClose);
    close->SetShowMode(NB::kAlways);
    strip.Relayout();
    FakeClock clock;
    clock.owner = strip.m_hWnd;
    const POINT centre = Centre(close->Rect());
    for (const auto& [message, point] : c.script) {
      const POINT p = point.x == -1 ? centre : point;
      PostMessageW(strip.m_hWnd, message, message == WM_KEYDOWN ? VK_ESCAPE : 0, MAKELPARAM(p.x, p.y));
    }
    strip.HandlePress(strip.m_hWnd, centre, true);
    EXPECT_EQ(strip.closes, c.closes) << c.name;
    EXPECT_EQ(GetCapture(), nullptr) << c.name;
    DrainQueue();
    strip.DestroyWindow();
  }
}

struct DragCase {
  const char* name;
  std::vector<std::pair<UINT, int>> script;  // message and x (y is the strip's middle)
  const wchar_t* order;
};

// Tabs A..E of 50 pixels at x = 2, 52, 102, 152, 202; the press is on A.
const DragCase kDragCases[] = {
    {"over the right neighbour exchanges the two", {{WM_MOUSEMOVE, 60}, {WM_LBUTTONUP, 60}}, L"BACDE"},
    {"further on keeps moving it", {{WM_MOUSEMOVE, 60}, {WM_MOUSEMOVE, 110}, {WM_MOUSEMOVE, 160}, {WM_LBUTTONUP, 160}}, L"BCDAE"},
    {"back to the start", {{WM_MOUSEMOVE, 110}, {WM_MOUSEMOVE, 10}, {WM_LBUTTONUP, 10}}, L"ABCDE"},
    {"over its own place changes nothing", {{WM_MOUSEMOVE, 20}, {WM_LBUTTONUP, 20}}, L"ABCDE"},
    {"escape keeps the order reached", {{WM_MOUSEMOVE, 110}, {WM_KEYDOWN, 0}, {WM_MOUSEMOVE, 210}, {WM_LBUTTONUP, 0}}, L"CBADE"},
    {"the right button ends it", {{WM_MOUSEMOVE, 60}, {WM_RBUTTONDOWN, 60}, {WM_MOUSEMOVE, 210}}, L"BACDE"},
};

class TabDrag : public ::testing::TestWithParam<DragCase> {
 protected:
  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    DrainQueue();
  }
};

TEST_P(TabDrag, ReordersAndSelectsTheDraggedTab) {
  const DragCase& c = GetParam();
  TestStrip s(400, 100, 5);
  s.strip.SelectIndex(3);
  FakeClock clock;
  clock.owner = s.hwnd();
  for (const auto& [message, x] : c.script) s.Post(message, x, 12, message == WM_KEYDOWN ? VK_ESCAPE : 0);
  s.strip.HandlePress(s.hwnd(), POINT{10, 12}, false);
  EXPECT_EQ(s.Order(), c.order);
  ASSERT_NE(s.strip.Selected(), nullptr);
  EXPECT_EQ(s.strip.Selected()->Caption(), L"A");
  EXPECT_EQ(GetCapture(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Scripts, TabDrag, ::testing::ValuesIn(kDragCases),
                         [](const ::testing::TestParamInfo<DragCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST_F(TabLoops, PressTrackingClicksOnlyOnReleaseInsideTheItem) {
  struct {
    std::vector<std::pair<UINT, int>> script;
    int selected;
  } const cases[] = {
      {{{WM_LBUTTONUP, 120}}, 2},
      {{{WM_MOUSEMOVE, 200}, {WM_LBUTTONUP, 200}}, 0},
      {{{WM_MOUSEMOVE, 200}, {WM_MOUSEMOVE, 110}, {WM_LBUTTONUP, 110}}, 2},
      {{{WM_RBUTTONDOWN, 120}, {WM_LBUTTONUP, 120}}, 0},
      {{{WM_KEYDOWN, 0}, {WM_LBUTTONUP, 120}}, 0},
  };
  for (const auto& c : cases) {
    TestStrip s(400, 100, 4);
    s.strip.AllowReorder(false);
    s.painter().select_on_press = false;
    s.painter().hot_tracking = true;
    s.strip.SelectIndex(0);
    FakeClock clock;
    clock.owner = s.hwnd();
    for (const auto& [message, x] : c.script) s.Post(message, x, 12, message == WM_KEYDOWN ? VK_ESCAPE : 0);
    s.strip.HandlePress(s.hwnd(), POINT{120, 12}, false);
    EXPECT_EQ(s.strip.SelectedIndex(), c.selected);
    EXPECT_EQ(s.strip.Pressed(), nullptr);
    DrainQueue();
  }
}

TEST_F(TabLoops, SelectOnPressSelectsAtOnceWithoutALoop) {
  TestStrip s(400, 100, 4);
  s.strip.AllowReorder(false);
  FakeClock clock;
  EXPECT_TRUE(s.strip.HandlePress(s.hwnd(), POINT{120, 12}, false));
  EXPECT_EQ(s.strip.SelectedIndex(), 2);
  EXPECT_TRUE(clock.waits.empty());
  EXPECT_FALSE(s.strip.HandlePress(s.hwnd(), POINT{390, 12}, false)) << "no item there";
  EXPECT_FALSE(s.strip.HandlePress(s.hwnd(), POINT{120, 12}, true)) << "buttons only";
}

// Every loop ends on the thread's quit message and leaves it in the queue for the thread's own
// loop; and every loop ends when another window takes the capture.
enum class Gesture { kArrow, kPress, kDrag };

void Start(TestStrip& s, Gesture g) {
  if (g == Gesture::kArrow) {
    s.strip.HandlePress(s.hwnd(), Centre(s.strip.NavigateButton(NB::kRight)->Rect()), false);
    return;
  }
  if (g == Gesture::kPress) {
    s.strip.AllowReorder(false);
    s.painter().select_on_press = false;
  }
  s.strip.HandlePress(s.hwnd(), POINT{10, 12}, false);
}

class TabLoopEnds : public ::testing::TestWithParam<Gesture> {
 protected:
  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    DrainQueue();
  }
};

TEST_P(TabLoopEnds, QuitMessageEndsTheLoopAndStaysQueued) {
  TestStrip s(300, 100, 10);
  FakeClock clock;
  clock.owner = s.hwnd();
  s.Post(WM_MOUSEMOVE, 60, 12);
  PostQuitMessage(7);
  Start(s, GetParam());
  EXPECT_EQ(GetCapture(), nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_TRUE(clock.waits.empty() || GetParam() == Gesture::kArrow);
}

TEST_P(TabLoopEnds, LosingTheCaptureEndsTheLoop) {
  TestStrip s(300, 100, 10);
  TestStrip other(100, 100, 0);
  FakeClock clock;
  clock.owner = s.hwnd();
  int waits = 0;
  clock.on_wait = [&](DWORD) {
    if (++waits == 2) SetCapture(other.hwnd());
    return true;
  };
  const std::wstring order = s.Order();
  Start(s, GetParam());
  EXPECT_EQ(waits, 2);
  EXPECT_EQ(GetCapture(), other.hwnd()) << "the loop leaves the new holder alone";
  EXPECT_EQ(s.Order(), order);
}

INSTANTIATE_TEST_SUITE_P(Gestures, TabLoopEnds, ::testing::Values(Gesture::kArrow, Gesture::kPress, Gesture::kDrag));

void CALLBACK ReleaseAfterTimer(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  PostMessageW(window, WM_LBUTTONUP, 0, 0);
}

// Without the test's clock: the loop sleeps in the system's wait between repeats and between
// messages instead of asking for messages without pause.
TEST_F(TabLoops, RepeatLoopWaitsInsteadOfSpinning) {
  TestStrip s(300, 100, 10);
  int waits = 0;
  static int* counter = nullptr;
  counter = &waits;
  TKSetWaitMessageFunction([](DWORD timeout) {
    ++*counter;
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  });
  const DWORD start = GetTickCount();
  SetTimer(s.hwnd(), 1, 100, &ReleaseAfterTimer);
  s.strip.HandlePress(s.hwnd(), Centre(s.strip.NavigateButton(NB::kRight)->Rect()), false);
  const DWORD took = GetTickCount() - start;
  TKSetWaitMessageFunction(nullptr);
  EXPECT_GE(took, 90u);
  // About one wait per 20 ms step (and one for the timer's own message); a spinning loop would
  // come round thousands of times.
  EXPECT_GE(waits, 2);
  EXPECT_LE(static_cast<DWORD>(waits), took / 10 + 10);
  EXPECT_LT(s.strip.ScrollOffset(), 0);
}

}  // namespace
