#include "toolkit/commandbars/control_button.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/toolkit/commandbars/test_bars.h"

using namespace TKCommandBars;

namespace {

LPARAM At(CPoint pt) { return MAKELPARAM(pt.x, pt.y); }

// A popup control with a recording bar of its own, added to a fixture's bar.
TestBar* AddPopup(BarFixture& fx, int type, int id, const wchar_t* caption) {
  CTKControlPopup* popup = static_cast<CTKControlPopup*>(fx.bar->GetControls()->Add(type, id));
  popup->SetCaption(caption);
  TestBar* child = new TestBar;
  child->SetType(kPopupBar);
  child->SetPosition(kPopup);
  child->GetControls()->Add(kButton, id + 1)->SetCaption(L"item");
  child->Create(fx.site.hwnd, WS_POPUP, RECT{0, 0, 100, 60});
  child->CalcSize(100, 0);
  popup->SetCommandBar(child);
  child->Release();
  return child;
}

TEST(ButtonTest, OnAToolBarAButtonExecutesOnReleaseInsideAfterPressing) {
  BarFixture fx(2);
  HWND bar = fx.bar->GetSafeHwnd();
  ::PostMessageW(bar, WM_LBUTTONUP, 0, At(fx.Center(1)));
  ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(fx.Center(1)));
  EXPECT_EQ(std::vector<int>{101}, fx.site.commands);
}

TEST(ButtonTest, InAPopupAButtonExecutesOnReleaseNotOnPress) {
  BarFixture fx(2);
  fx.bar->SetType(kPopupBar);
  fx.bar->SetPosition(kPopup);
  fx.bar->CalcSize(600, 0);
  HWND bar = fx.bar->GetSafeHwnd();
  ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(fx.Center(0)));
  EXPECT_TRUE(fx.site.commands.empty());
  ::SendMessageW(bar, WM_LBUTTONUP, 0, At(fx.Center(0)));
  EXPECT_EQ(std::vector<int>{100}, fx.site.commands);
  // A disabled one does nothing.
  fx.bar->GetControl(1)->SetEnabled(false);
  ::SendMessageW(bar, WM_LBUTTONUP, 0, At(fx.Center(1)));
  EXPECT_EQ(std::vector<int>{100}, fx.site.commands);
}

TEST(PopupControlTest, MenuTitlesOpenTheirBarsFollowThePointerAndCloseOnASecondClick) {
  BarFixture fx(0);
  fx.bar->SetType(kMenuBar);
  TestBar* file = AddPopup(fx, kPopupControl, 10, L"&File");
  TestBar* edit = AddPopup(fx, kPopupControl, 20, L"&Edit");
  fx.bar->CalcSize(600, 0);
  HWND bar = fx.bar->GetSafeHwnd();
  ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(fx.Center(0)));
  EXPECT_EQ(std::vector<int>{10}, file->shown);
  EXPECT_EQ(0, fx.bar->GetExpandedIndex());
  EXPECT_EQ(2, fx.bar->GetTrackingMode());
  EXPECT_TRUE(fx.bar->GetControl(0)->GetPopuped());
  // With a menu open, moving to the next title opens its menu without a click.
  ::SendMessageW(bar, WM_MOUSEMOVE, 0, At(fx.Center(1)));
  EXPECT_EQ(std::vector<int>{20}, edit->shown);
  EXPECT_EQ(1, fx.bar->GetExpandedIndex());
  EXPECT_FALSE(fx.bar->GetControl(0)->GetPopuped());
  EXPECT_FALSE(file->IsTrackingMode());
  // A second click on the open title closes it and ends tracking.
  ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(fx.Center(1)));
  EXPECT_EQ(-1, fx.bar->GetExpandedIndex());
  EXPECT_FALSE(fx.bar->IsTrackingMode());
  EXPECT_FALSE(edit->IsTrackingMode());
  EXPECT_TRUE(fx.site.commands.empty());
}

TEST(PopupControlTest, KeyboardOpensThePopupWithItsFirstItemSelected) {
  BarFixture fx(0);
  fx.bar->SetType(kMenuBar);
  TestBar* file = AddPopup(fx, kPopupControl, 10, L"&File");
  fx.bar->CalcSize(600, 0);
  fx.bar->SetTrackingMode(1, true, true);
  fx.bar->OnHookKeyDown(VK_DOWN, 0);
  EXPECT_EQ(std::vector<int>{10}, file->shown);
  EXPECT_TRUE(file->shown_select_first);
  EXPECT_EQ(0, file->GetHotIndex());
  // Left collapses nothing on a root bar without an open popup; Escape in the popup returns
  // the keyboard to the bar.
  file->OnHookKeyDown(VK_ESCAPE, 0);
  EXPECT_FALSE(file->IsTrackingMode());
}

TEST(PopupControlTest, ASplitButtonExecutesOnItsCommandPartAndOpensOnItsArrow) {
  BarFixture fx(0);
  TestBar* more = AddPopup(fx, kSplitButtonPopup, 30, L"Undo");
  fx.bar->CalcSize(600, 0);
  CTKControl* split = fx.bar->GetControl(0);
  HWND bar = fx.bar->GetSafeHwnd();
  CRect rect = split->GetRect();
  CPoint command(rect.left + 3, rect.top + rect.Height() / 2);
  CPoint arrow(rect.right - 3, rect.top + rect.Height() / 2);
  ::PostMessageW(bar, WM_LBUTTONUP, 0, At(command));
  ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(command));
  EXPECT_EQ(std::vector<int>{30}, fx.site.commands);
  EXPECT_TRUE(more->shown.empty());
  DrainMessages();
  ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
  EXPECT_EQ(std::vector<int>{30}, more->shown);
  EXPECT_EQ(std::vector<int>{30}, fx.site.commands);
}

TEST(PopupControlTest, CopiesShareOrCloneThePopupBarAndCompareItsControls) {
  BarFixture fx(0);
  AddPopup(fx, kPopupControl, 40, L"View");
  CTKControl* original = fx.bar->GetControl(0);
  CTKControl* shallow = original->Clone(false);
  CTKControl* deep = original->Clone(true);
  EXPECT_EQ(original->GetCommandBar(), shallow->GetCommandBar());
  ASSERT_NE(nullptr, deep->GetCommandBar());
  EXPECT_NE(original->GetCommandBar(), deep->GetCommandBar());
  EXPECT_TRUE(deep->IsEqual(original));
  deep->GetCommandBar()->GetControls()->Add(kButton, 99);
  EXPECT_FALSE(deep->IsEqual(original));
  shallow->Release();
  deep->Release();
}

TEST(PopupControlTest, TheHoverDelayOpensAButtonPopupWhileTheBarTracksByMouse) {
  BarFixture fx(1);
  TestBar* list = AddPopup(fx, kButtonPopup, 50, L"List");
  fx.bar->CalcSize(600, 0);
  fx.bar->SetHotControl(1, CTKCommandBar::kHotMouse);
  fx.bar->SendMessage(WM_TIMER, kHoverTimer);
  EXPECT_TRUE(list->shown.empty());  // not tracking: the hover only closes popups
  fx.bar->SetTrackingMode(2, false, false);
  fx.bar->SetHotControl(0, CTKCommandBar::kHotMouse);
  fx.bar->SetHotControl(1, CTKCommandBar::kHotMouse);
  EXPECT_TRUE(list->shown.empty());  // a button popup does not open on selection
  fx.bar->SendMessage(WM_TIMER, kHoverTimer);
  EXPECT_EQ(std::vector<int>{50}, list->shown);
  EXPECT_EQ(1, fx.bar->GetExpandedIndex());
}

TEST(ButtonTest, ARightButtonReleaseAsksTheSiteFirst) {
  BarFixture fx(2);
  ::SendMessageW(fx.bar->GetSafeHwnd(), WM_RBUTTONUP, 0, At(fx.Center(1)));
  EXPECT_NE(fx.site.messages.end(), std::find(fx.site.messages.begin(), fx.site.messages.end(), kMsgRightButtonUp));
  EXPECT_TRUE(fx.site.commands.empty());
}

// ---------------------------------------------------------------------------------------------
// Real input on the virtual screen (run by test_toolkit_commandbars_screen).

bool OnScreen() { return wcsstr(::GetCommandLineW(), L"--screen") != nullptr; }

void SendMouse(DWORD flags, CPoint screen) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(screen.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(screen.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &in, sizeof(in));
}

// Pumps messages until the predicate holds or the time is up.
template <typename F>
bool PumpUntil(F done, DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > ms) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    DrainMessages();
  }
  return true;
}

TEST(InputOnTheScreen, PointerAndKeysDriveARealBar) {
  if (!OnScreen()) GTEST_SKIP() << "runs on the virtual screen (--screen)";
  BarFixture fx(4);
  ::SetWindowPos(fx.site.hwnd, HWND_TOP, 40, 40, 640, 200, SWP_SHOWWINDOW);
  ::SetForegroundWindow(fx.site.hwnd);
  PumpUntil([] { return false; }, 300);
  CPoint target = fx.Center(2);
  ::ClientToScreen(fx.bar->GetSafeHwnd(), &target);
  SendMouse(MOUSEEVENTF_MOVE, target);
  EXPECT_TRUE(PumpUntil([&] { return fx.bar->GetHotIndex() == 2; }, 3000));  // hot tracking
  SendMouse(MOUSEEVENTF_LEFTDOWN, target);
  SendMouse(MOUSEEVENTF_LEFTUP, target);
  EXPECT_TRUE(PumpUntil([&] { return !fx.site.commands.empty(); }, 3000));
  EXPECT_EQ(std::vector<int>{102}, fx.site.commands);
  // The keyboard through the thread's keyboard hook while the bar tracks.
  fx.bar->SetTrackingMode(1, true, true);
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_END;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
  EXPECT_TRUE(PumpUntil([&] { return fx.bar->GetHotIndex() == 3; }, 3000));
}

}  // namespace
