#include "toolkit/drawing/nested_loop.h"

#include <gtest/gtest.h>

#include "toolkit/drawing/seams.h"

namespace {

void DrainQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

class NestedLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainQueue();
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    TKSetWaitMessageFunction(nullptr);
    TKSetMonitorAreasFunction(nullptr);
    if (GetCapture() == window_) ReleaseCapture();
    DestroyWindow(window_);
    DrainQueue();
  }
  HWND window_ = nullptr;
};

DWORD g_waited_for = 0;
int g_waits = 0;
void RecordWait(DWORD timeout) {
  g_waited_for = timeout;
  ++g_waits;
}

TEST_F(NestedLoopTest, QuitEndsTheLoopAndIsPostedAgainForTheOuterLoop) {
  PostQuitMessage(7);
  MSG msg{};
  EXPECT_EQ(TKNextLoopMessage(nullptr, msg, 0), CTKLoopWake::kEnded);
  MSG again{};
  ASSERT_TRUE(PeekMessageW(&again, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(again.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(again.wParam, 7u);
}

TEST_F(NestedLoopTest, LostCaptureEndsTheLoopBeforeAnyMessageIsTaken) {
  PostMessageW(window_, WM_USER + 1, 0, 0);
  MSG msg{};
  EXPECT_EQ(TKNextLoopMessage(window_, msg, INFINITE), CTKLoopWake::kEnded);
  // The message stays for whoever runs the thread.
  ASSERT_TRUE(PeekMessageW(&msg, window_, WM_USER + 1, WM_USER + 1, PM_REMOVE));
}

TEST_F(NestedLoopTest, HandsOverMessagesWhileTheCaptureHolds) {
  SetCapture(window_);
  PostMessageW(window_, WM_USER + 2, 5, 6);
  MSG msg{};
  ASSERT_EQ(TKNextLoopMessage(window_, msg, INFINITE), CTKLoopWake::kMessage);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(NestedLoopTest, AnEmptyQueueWaitsThroughTheSeamInsteadOfSpinning) {
  TKSetWaitMessageFunction(RecordWait);
  g_waits = 0;
  MSG msg{};
  EXPECT_EQ(TKNextLoopMessage(nullptr, msg, 0), CTKLoopWake::kTimeout);
  EXPECT_EQ(g_waits, 0);  // a look only never waits
  EXPECT_EQ(TKNextLoopMessage(nullptr, msg, 40), CTKLoopWake::kTimeout);
  EXPECT_EQ(g_waits, 1);
  EXPECT_EQ(g_waited_for, 40u);
}

TEST(NestedLoopMessages, CancelMessagesAndPoints) {
  struct Case {
    UINT message;
    WPARAM wparam;
    bool cancels;
  } cases[] = {
      {WM_CANCELMODE, 0, true},        {WM_KEYDOWN, VK_ESCAPE, true}, {WM_KEYDOWN, VK_CANCEL, true},
      {WM_KEYDOWN, VK_RETURN, false},  {WM_KEYUP, VK_ESCAPE, false},  {WM_CHAR, VK_ESCAPE, false},
      {WM_LBUTTONUP, 0, false},
  };
  for (const Case& c : cases) {
    MSG msg{};
    msg.message = c.message;
    msg.wParam = c.wparam;
    EXPECT_EQ(TKIsCancelMessage(msg), c.cancels) << c.message << " " << c.wparam;
  }
  MSG move{};
  move.message = WM_MOUSEMOVE;
  move.lParam = MAKELPARAM(static_cast<WORD>(-3), 12);
  const POINT point = TKMessagePoint(move);
  EXPECT_EQ(point.x, -3);  // coordinates left of the window stay negative
  EXPECT_EQ(point.y, 12);
}

BOOL TwoMonitors(const RECT& rect, RECT* monitor, RECT* work) {
  // Left monitor 0..1000 with a taskbar at its bottom; right monitor 1000..2000 with one on top.
  if (rect.left < 1000) {
    *monitor = RECT{0, 0, 1000, 800};
    *work = RECT{0, 0, 1000, 760};
  } else {
    *monitor = RECT{1000, 0, 2000, 800};
    *work = RECT{1000, 40, 2000, 800};
  }
  return TRUE;
}

BOOL NoAnswer(const RECT&, RECT*, RECT*) { return FALSE; }

TEST_F(NestedLoopTest, MonitorAreasComeFromTheSeamOrThePrimaryScreen) {
  TKSetMonitorAreasFunction(TwoMonitors);
  RECT monitor{}, work{};
  TKGetMonitorAreas(POINT{1500, 10}, &monitor, &work);
  EXPECT_EQ(monitor.left, 1000);
  EXPECT_EQ(work.top, 40);
  TKGetMonitorAreas(RECT{10, 10, 50, 50}, &monitor, &work);
  EXPECT_EQ(monitor.left, 0);
  EXPECT_EQ(work.bottom, 760);

  TKSetMonitorAreasFunction(NoAnswer);
  TKGetMonitorAreas(POINT{1500, 10}, &monitor, &work);
  EXPECT_EQ(monitor.left, 0);
  EXPECT_EQ(monitor.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(monitor.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(work.right > work.left && work.bottom > work.top);
}

}  // namespace
