#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/skin/skin_test_env.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object_frame.h"
#include "toolkit/skin/skin_object_scrollbar.h"
#include "toolkit/skin/skin_scroll_bar.h"

namespace {

struct Sent {
  int code;
  int position;
  bool fromControl;
  bool operator==(const Sent& o) const {
    return code == o.code && position == o.position && fromControl == o.fromControl;
  }
};

std::vector<Sent> g_sent;
HWND g_destroyOnFirst = nullptr;
// Set: the parent reads the tracking position on every SB_THUMBTRACK and moves nothing.
bool g_readTrackPos = false;
int g_lastTrackPos = -1;

// Behaves as a program does: line and page commands move the bar by 1 and by the page.
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_VSCROLL) return DefWindowProcW(hwnd, message, wParam, lParam);
  HWND bar = reinterpret_cast<HWND>(lParam);
  const int code = LOWORD(wParam);
  g_sent.push_back(Sent{code, code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? HIWORD(wParam) : 0, bar != nullptr});
  if (g_readTrackPos) {
    if (code == SB_THUMBTRACK) {
      SCROLLINFO si{sizeof(si), SIF_TRACKPOS};
      if (GetScrollInfo(bar, SB_CTL, &si)) g_lastTrackPos = si.nTrackPos;
    }
    return 0;
  }
  if (g_destroyOnFirst) {
    HWND doomed = g_destroyOnFirst;
    g_destroyOnFirst = nullptr;
    DestroyWindow(doomed);
    return 0;
  }
  // A window's own bar reports without a control handle.
  const int kind = bar ? SB_CTL : SB_VERT;
  if (!bar) bar = hwnd;
  SCROLLINFO si{sizeof(si), SIF_ALL};
  GetScrollInfo(bar, kind, &si);
  int pos = si.nPos;
  if (code == SB_LINEDOWN) pos += 1;
  if (code == SB_LINEUP) pos -= 1;
  if (code == SB_PAGEDOWN) pos += static_cast<int>(si.nPage);
  if (code == SB_PAGEUP) pos -= static_cast<int>(si.nPage);
  if (code == SB_THUMBPOSITION) pos = HIWORD(wParam);
  SetScrollPos(bar, kind, pos, TRUE);
  return 0;
}

class RecordingTimer : public CTKSkinScrollBarTracker::Timer {
 public:
  void Start(HWND, UINT_PTR id, UINT ms) override {
    EXPECT_EQ(id, CTKSkinScrollBarTracker::kRepeatTimer);
    delays.push_back(ms);
  }
  void Stop(HWND, UINT_PTR) override { ++stops; }
  std::vector<UINT> delays;
  int stops = 0;
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// One step of a script posted to the bar before the press.
struct Step {
  UINT message;
  int x, y;
};

class SkinScrollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = ParentProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"KestrinSkinScrollParent";
      return RegisterClassW(&wc);
    }();
    (void)atom;
    parent_ = CreateWindowExW(0, L"KestrinSkinScrollParent", L"p", WS_POPUP, 0, 0, 100, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    CTKSkinScrollBarTracker::SetTimerForTesting(&timer_);
    g_sent.clear();
  }
  void TearDown() override {
    CTKSkinScrollBarTracker::SetTimerForTesting(nullptr);
    DestroyWindow(parent_);
    manager_->LoadSkinFile(L"", L"");
  }
  // A vertical bar 20 x height with range 0..100 and a page of 10 (arrows 20, track height-40).
  HWND MakeBar(int height, int page = 10) {
    HWND bar = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 20, height, parent_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 100, static_cast<UINT>(page), 0, 0};
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    return bar;
  }
  void Press(HWND bar, int x, int y, const std::vector<Step>& script, bool shift = false) {
    for (const Step& s : script) {
      const WPARAM w = s.message == WM_TIMER ? CTKSkinScrollBarTracker::kRepeatTimer : 0;
      PostMessageW(bar, s.message, w, s.message == WM_TIMER ? 0 : At(s.x, s.y));
    }
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON | (shift ? MK_SHIFT : 0), At(x, y));
  }
  CTKSkinManager* manager_ = GetSkinManager();
  HWND parent_ = nullptr;
  RecordingTimer timer_;
};

}  // namespace

TEST_F(SkinScrollTest, ArrowsAndTrackRepeatWhileTheCursorStaysOnThem) {
  const UINT dbl = GetDoubleClickTime();
  struct Case {
    const char* name;
    POINT press;
    std::vector<Step> script;
    std::vector<Sent> expected;
    std::vector<UINT> delays;
  } cases[] = {
      {"held arrow: one at once, then one per repeat",
       {10, 195},
       {{WM_TIMER, 0, 0}, {WM_TIMER, 0, 0}, {WM_LBUTTONUP, 10, 195}},
       {{SB_LINEDOWN, 0, true}, {SB_LINEDOWN, 0, true}, {SB_LINEDOWN, 0, true}, {SB_ENDSCROLL, 0, true}},
       {dbl * 4 / 5, dbl / 10}},
      {"arrow left before the repeat",
       {10, 5},
       {{WM_MOUSEMOVE, 10, 100}, {WM_TIMER, 0, 0}, {WM_LBUTTONUP, 10, 100}},
       {{SB_LINEUP, 0, true}, {SB_ENDSCROLL, 0, true}},
       {dbl * 4 / 5, dbl / 10}},
      {"track below the thumb pages until the thumb reaches the cursor",
       {10, 60},
       {{WM_TIMER, 0, 0}, {WM_TIMER, 0, 0}, {WM_TIMER, 0, 0}, {WM_LBUTTONUP, 10, 60}},
       {{SB_PAGEDOWN, 0, true}, {SB_PAGEDOWN, 0, true}, {SB_ENDSCROLL, 0, true}},
       {dbl * 4 / 5, dbl / 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND bar = MakeBar(200);
    g_sent.clear();
    timer_.delays.clear();
    Press(bar, c.press.x, c.press.y, c.script);
    EXPECT_EQ(g_sent, c.expected);
    EXPECT_EQ(timer_.delays, c.delays);
    EXPECT_EQ(GetCapture(), nullptr);
    auto* object = static_cast<CTKSkinObjectScrollBar*>(manager_->Lookup(bar));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->Bar().pressed, CTKSkinScrollBar::kNone);
    DestroyWindow(bar);
  }
}

TEST_F(SkinScrollTest, ThumbDragSendsEveryPositionAndRestoresOutsideTheBar) {
  // Track 160 high, thumb 16: 144 pixels carry positions 0..91.
  HWND bar = MakeBar(200);
  auto* object = static_cast<CTKSkinObjectScrollBar*>(manager_->Lookup(bar));
  ASSERT_NE(object, nullptr);
  const int target = object->Bar().PositionFromThumb(20 + 8);
  ASSERT_GT(target, 2);
  Press(bar, 10, 25, {{WM_MOUSEMOVE, 10, 33}, {WM_LBUTTONUP, 10, 33}});
  ASSERT_EQ(g_sent.size(), static_cast<size_t>(target) + 2);
  for (int i = 0; i < target; ++i) EXPECT_EQ(g_sent[i], (Sent{SB_THUMBTRACK, i + 1, true}));
  EXPECT_EQ(g_sent[target], (Sent{SB_THUMBPOSITION, target, true}));
  EXPECT_EQ(g_sent.back(), (Sent{SB_ENDSCROLL, 0, true}));
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), target);

  // Dragged away from the bar and released there: back to where it started.
  g_sent.clear();
  const int start = GetScrollPos(bar, SB_CTL);
  const int thumb = object->Bar().thumbPos;
  Press(bar, 10, thumb + 2, {{WM_MOUSEMOVE, 10, thumb + 30}, {WM_MOUSEMOVE, 200, thumb + 30}, {WM_LBUTTONUP, 200, thumb + 30}});
  ASSERT_GE(g_sent.size(), 3u);
  EXPECT_EQ(g_sent[g_sent.size() - 2], (Sent{SB_THUMBPOSITION, start, true}));
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), start);

  // Shift on the track centres the thumb on the cursor at once.
  g_sent.clear();
  Press(bar, 10, 150, {{WM_LBUTTONUP, 10, 150}}, true);
  ASSERT_GE(g_sent.size(), 2u);
  EXPECT_EQ(g_sent[g_sent.size() - 2].code, SB_THUMBPOSITION);
  EXPECT_EQ(g_sent[g_sent.size() - 2].position, object->Bar().PositionFromThumb(150 - 8));
  DestroyWindow(bar);
}

TEST_F(SkinScrollTest, TheTrackingPositionIsTheSkinsOwnBeyondSixteenBits) {
  HWND bar = MakeBar(200);
  SCROLLINFO range{sizeof(range), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 70000, 0, 0, 0};
  SetScrollInfo(bar, SB_CTL, &range, TRUE);
  auto* object = static_cast<CTKSkinObjectScrollBar*>(manager_->Lookup(bar));
  ASSERT_NE(object, nullptr);
  const CTKSkinScrollBar& laidOut = object->Bar();
  const int grab = laidOut.thumbPos + laidOut.thumbLength / 2;
  const int bottom = laidOut.rect.bottom - laidOut.arrow - 1;
  const int end = laidOut.PositionFromThumb(laidOut.arrow + laidOut.TrackLength() - laidOut.thumbLength);
  ASSERT_GT(end, 65535);
  g_readTrackPos = true;
  g_lastTrackPos = -1;
  Press(bar, 10, grab, {{WM_MOUSEMOVE, 10, bottom}, {WM_LBUTTONUP, 10, bottom}});
  g_readTrackPos = false;
  // The window asked while the thumb was dragged to the end: the full position, not its low word.
  EXPECT_EQ(g_lastTrackPos, end);
  ASSERT_GE(g_sent.size(), 3u);
  EXPECT_EQ(g_sent[g_sent.size() - 3].position, end & 0xFFFF);
  // Outside a drag the system's own answer stands.
  SCROLLINFO after{sizeof(after), SIF_TRACKPOS | SIF_POS};
  ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &after));
  EXPECT_EQ(after.nTrackPos, after.nPos);
  DestroyWindow(bar);
}

TEST_F(SkinScrollTest, AThumbThatFillsTheTrackDoesNotDrag) {
  // 48 high: arrows of 20 leave a track of 8, the shortest thumb.
  HWND bar = MakeBar(48);
  auto* object = static_cast<CTKSkinObjectScrollBar*>(manager_->Lookup(bar));
  ASSERT_NE(object, nullptr);
  ASSERT_EQ(object->Bar().thumbLength, object->Bar().TrackLength());
  PostMessageW(bar, WM_LBUTTONUP, 0, At(10, 24));
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 24));
  EXPECT_TRUE(g_sent.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  MSG msg;
  while (PeekMessageW(&msg, bar, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  DestroyWindow(bar);
}

TEST_F(SkinScrollTest, ABarDestroyedWhileTrackedEndsTheLoop) {
  HWND bar = MakeBar(200);
  const size_t windows = manager_->WindowCount();
  g_destroyOnFirst = bar;
  // The parent destroys the bar on the first command; the rest of the script is never read.
  Press(bar, 10, 195, {{WM_TIMER, 0, 0}});
  EXPECT_FALSE(IsWindow(bar));
  EXPECT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(manager_->Lookup(bar), nullptr);
  EXPECT_EQ(manager_->WindowCount(), windows - 1);
  EXPECT_EQ(GetCapture(), nullptr);
  // The manager keeps working for the windows that remain.
  HWND next = MakeBar(100);
  EXPECT_NE(manager_->Lookup(next), nullptr);
  DestroyWindow(next);
}

TEST_F(SkinScrollTest, AWindowsOwnBarReportsToTheWindowItself) {
  HWND window = CreateWindowExW(0, L"KestrinSkinScrollParent", L"w", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0, 200, 150,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 100, 10, 0, 0};
  SetScrollInfo(window, SB_VERT, &si, TRUE);
  auto* frame = static_cast<CTKSkinObjectFrame*>(manager_->Lookup(window));
  ASSERT_NE(frame, nullptr);
  RECT windowRect;
  GetWindowRect(window, &windowRect);
  frame->HitTest(POINT{0, 0});  // lays the bars out
  const RECT bar = frame->ScrollBar(SB_VERT).rect;
  ASSERT_FALSE(IsRectEmpty(&bar));
  // A press on the lower arrow, held through one repeat.
  const POINT screen{windowRect.left + (bar.left + bar.right) / 2, windowRect.top + bar.bottom - 3};
  PostMessageW(window, WM_TIMER, CTKSkinScrollBarTracker::kRepeatTimer, 0);
  PostMessageW(window, WM_LBUTTONUP, 0, 0);
  SendMessageW(window, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(screen.x, screen.y));
  const std::vector<Sent> expected{{SB_LINEDOWN, 0, false}, {SB_LINEDOWN, 0, false}, {SB_ENDSCROLL, 0, false}};
  EXPECT_EQ(g_sent, expected);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 2);
  EXPECT_EQ(frame->ScrollBar(SB_VERT).pressed, kScrollNone);
  EXPECT_EQ(GetCapture(), nullptr);
  DestroyWindow(window);
}
