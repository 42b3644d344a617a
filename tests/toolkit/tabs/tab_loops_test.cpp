// The mouse loops, driven by message scripts posted before the loop runs: the navigate
// buttons' press and repeat, an item's press, and reordering by drag; and how every loop ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/toolkit/drawing/canvas.h"
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

// A shown strip that, after each exchange of a drag, paints what the exchange left to paint
// and compares what the window shows with the whole strip drawn afresh.
struct RepaintedStrip : CTKTabControl {
  bool checking = false;
  int exchanges = 0;
  int partial = 0;                    // exchanges that left less than the whole strip to paint
  std::vector<std::string> mismatches;

  std::vector<DWORD> Pixels(const std::function<void(HDC)>& draw) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    Canvas canvas(client.right, client.bottom);
    draw(canvas.dc());
    GdiFlush();
    std::vector<DWORD> pixels;
    SIZE size{};
    KestrinWinNS::ReadPixels32(canvas.bitmap(), &pixels, &size);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
  }
  void RenumberItems() override {
    CTKTabControl::RenumberItems();
    if (!checking) return;
    ++exchanges;
    RECT client{}, dirty{};
    ::GetClientRect(m_hWnd, &client);
    ::GetUpdateRect(m_hWnd, &dirty, FALSE);
    if (!EqualRect(&client, &dirty)) ++partial;
    ::UpdateWindow(m_hWnd);
    const std::vector<DWORD> shown = Pixels([this, &client](HDC dc) {
      KestrinWinNS::CScopedClientDC window(m_hWnd);
      BitBlt(dc, 0, 0, client.right, client.bottom, window.Get(), 0, 0, SRCCOPY);
    });
    const std::vector<DWORD> whole = Pixels([this](HDC dc) {
      SendMessageW(m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
    if (shown != whole) {
      const size_t at = static_cast<size_t>(std::mismatch(shown.begin(), shown.end(), whole.begin()).first - shown.begin());
      mismatches.push_back("exchange " + std::to_string(exchanges) + ": first differing pixel (" +
                           std::to_string(at % client.right) + "," + std::to_string(at / client.right) + ")");
    }
  }
};

struct RepaintCase {
  const char* name;
  int layout;
};

const RepaintCase kRepaintCases[] = {
    {"auto_size", CTKTabPaintManager::kAutoSize},
    {"size_to_fit", CTKTabPaintManager::kSizeToFit},
    {"rotated", CTKTabPaintManager::kRotated},
    {"multi_row", CTKTabPaintManager::kMultiRow},
};

class TabDragRepaint : public ::testing::TestWithParam<RepaintCase> {
 protected:
  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    DrainQueue();
  }
};

// Tabs of different lengths, the first dragged over places far and near in every shape and
// position: the window must show after each exchange what a whole new drawing shows.
TEST_P(TabDragRepaint, WindowShowsTheWholeStripAfterEveryExchange) {
  const RepaintCase& c = GetParam();
  const wchar_t* const captions[] = {L"Alpha one", L"Second", L"C", L"Fourth tab here", L"E", L"Sixth one"};
  for (int shape = 0; shape <= CTKTabPaintManager::kVisualStudio2005; ++shape) {
    for (int position : {CTKTabPaintManager::kTop, CTKTabPaintManager::kLeft, CTKTabPaintManager::kBottom,
                         CTKTabPaintManager::kRight}) {
      const std::string where = "shape " + std::to_string(shape) + ", position " + std::to_string(position);
      RepaintedStrip strip;
      strip.Create(nullptr, RECT{0, 0, 300, 300}, 0, WS_POPUP);
      CTKTabPaintManager& painter = *strip.TabPainter();
      painter.ChooseShapeSet(shape);
      painter.layout = c.layout;
      painter.position = position;
      for (const wchar_t* caption : captions) strip.AddItem(caption);
      strip.SelectIndex(0);
      ShowWindow(strip.m_hWnd, SW_SHOWNOACTIVATE);
      UpdateWindow(strip.m_hWnd);
      // Far, near, the last place and back to the start.
      std::vector<POINT> places;
      for (int j : {3, 1, 5, 0, 2}) places.push_back(Centre(strip.ItemAtIndex(j)->Rect()));
      FakeClock clock;
      clock.owner = strip.m_hWnd;
      for (const POINT& p : places) PostMessageW(strip.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
      PostMessageW(strip.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(places.back().x, places.back().y));
      strip.checking = true;
      strip.HandlePress(strip.m_hWnd, places[3], false);
      strip.checking = false;
      EXPECT_EQ(strip.exchanges, 5) << where;
      EXPECT_TRUE(strip.mismatches.empty()) << where << ": " << strip.mismatches.front();
      // Along a single row only the band of the tabs that moved is painted again: at every
      // exchange but the first (the loop's start lays out and draws the whole strip) and, where
      // the band between the first and the last place spans the strip, that one.
      if (c.layout == CTKTabPaintManager::kAutoSize && shape != CTKTabPaintManager::kVisio) {
        EXPECT_GE(strip.partial, 3) << where;
      }
      strip.DestroyWindow();
      DrainQueue();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, TabDragRepaint, ::testing::ValuesIn(kRepaintCases),
                         [](const ::testing::TestParamInfo<RepaintCase>& info) { return info.param.name; });

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
