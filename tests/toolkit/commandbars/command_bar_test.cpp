#include "toolkit/commandbars/command_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "platform/win/scoped_handle.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/drawing/seams.h"

using namespace TKCommandBars;

namespace {

// Timers as the bars set them, recorded instead of started.
std::set<UINT_PTR> g_timers;
UINT_PTR FakeSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) {
  g_timers.insert(id);
  return id;
}
BOOL FakeKillTimer(HWND, UINT_PTR id) { return g_timers.erase(id) != 0; }

struct TimerSeam {
  TimerSeam() {
    g_timers.clear();
    TKSetTimerFunctions(&FakeSetTimer, &FakeKillTimer);
  }
  ~TimerSeam() { TKSetTimerFunctions(nullptr, nullptr); }
};

// A control whose hover handler is counted.
class HoverButton : public CTKControlButton {
 public:
  void OnMouseHover() override { ++hovers; }
  int hovers = 0;
};

TEST(CommandBarTest, HotControlChangesStartAndStopTheHoverTimer) {
  TimerSeam seam;
  BarFixture fx(3);
  HoverButton* hover = new HoverButton;
  fx.bar->GetControls()->InsertAt(hover, -1);
  hover->Release();
  EXPECT_TRUE(fx.bar->SetHotControl(3, CTKCommandBar::kHotMouse));
  EXPECT_EQ(1, hover->GetSelected());
  EXPECT_EQ(1u, g_timers.count(kHoverTimer));
  EXPECT_FALSE(fx.bar->SetHotControl(3, CTKCommandBar::kHotMouse));  // already hot
  // While input is ignored the timer's expiry does nothing.
  fx.bar->IgnoreInput() = 1;
  fx.bar->SendMessage(WM_TIMER, kHoverTimer);
  EXPECT_EQ(0, hover->hovers);
  fx.bar->IgnoreInput() = 0;
  fx.bar->SendMessage(WM_TIMER, kHoverTimer);
  EXPECT_EQ(1, hover->hovers);
  EXPECT_EQ(0u, g_timers.count(kHoverTimer));  // killed on expiry
  fx.bar->SetHotControl(2, CTKCommandBar::kHotMouse);
  EXPECT_EQ(0, hover->GetSelected());
  fx.bar->SetHotControl(-1, CTKCommandBar::kHotProgram);
  EXPECT_EQ(0u, g_timers.count(kHoverTimer));
  // Keyboard selections carry their direction.
  fx.bar->SetHotControl(1, CTKCommandBar::kHotKeyBackward);
  EXPECT_EQ(3, fx.bar->GetControl(1)->GetSelected());
  EXPECT_EQ(std::find(fx.site.messages.begin(), fx.site.messages.end(), kMsgHotControlChanged) !=
                fx.site.messages.end(),
            true);
}

TEST(CommandBarTest, ADisabledControlsPopupDoesNotOpen) {
  BarFixture fx(2);
  fx.bar->GetControl(1)->SetEnabled(false);
  EXPECT_FALSE(fx.bar->SetPopupOpen(1, false));
  EXPECT_EQ(-1, fx.bar->GetExpandedIndex());
  EXPECT_FALSE(fx.bar->SetPopupOpen(7, false));
}

TEST(CommandBarTest, ArrowsHomeAndEndFollowTheBarsOrientationAndReadingOrder) {
  struct Case {
    const char* name;
    int position;
    bool rtl;
    UINT key;
    int from;
    int expected;
  } cases[] = {
      {"right", kTop, false, VK_RIGHT, 1, 2},
      {"left wraps", kTop, false, VK_LEFT, 0, 3},
      {"tab", kTop, false, VK_TAB, 2, 3},
      {"right in right-to-left", kTop, true, VK_RIGHT, 2, 1},
      {"left in right-to-left", kTop, true, VK_LEFT, 2, 3},
      {"down in a vertical bar", kLeft, false, VK_DOWN, 1, 2},
      {"up in a vertical bar", kLeft, false, VK_UP, 1, 0},
      {"home skips the hidden first control", kTop, false, VK_HOME, 2, 1},
      {"end", kTop, false, VK_END, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BarFixture fx(4);
    fx.bar->SetPosition(c.position);
    if (c.rtl) fx.bar->ModifyStyleEx(0, WS_EX_LAYOUTRTL);
    if (c.key == VK_HOME) fx.bar->GetControl(0)->SetVisible(false);
    fx.bar->SetHotControl(c.from, CTKCommandBar::kHotKeyForward);
    EXPECT_EQ(CTKCommandBar::kKeyHandled, fx.bar->OnHookKeyDown(c.key, 0));
    EXPECT_EQ(c.expected, fx.bar->GetHotIndex());
  }
}

TEST(CommandBarTest, AcceleratorLettersSelectAndExecute) {
  BarFixture fx(0);
  for (const wchar_t* caption : {L"&File", L"&Format", L"Edit", L"Tools&"}) {
    CTKControl* c = fx.bar->GetControls()->Add(kButton, 300 + fx.bar->GetControlCount());
    c->SetCaption(caption);
  }
  bool ambiguous = false;
  EXPECT_EQ(0, fx.bar->FindAccelerator('F', &ambiguous));
  EXPECT_TRUE(ambiguous);
  // Two controls mark F: the first becomes hot without executing, then the second.
  fx.bar->OnHookKeyDown('F', 0);
  EXPECT_EQ(0, fx.bar->GetHotIndex());
  fx.bar->OnHookKeyDown('F', 0);
  EXPECT_EQ(1, fx.bar->GetHotIndex());
  EXPECT_TRUE(fx.site.commands.empty());
  // An ampersand as the last character does not mark a letter: the first character does.
  fx.bar->OnHookKeyDown('T', 0);
  EXPECT_EQ(3, fx.bar->GetHotIndex());
  EXPECT_EQ(std::vector<int>{303}, fx.site.commands);
  fx.bar->OnHookKeyDown('E', 0);
  EXPECT_EQ((std::vector<int>{303, 302}), fx.site.commands);
}

TEST(CommandBarTest, EnterExecutesAndEscapeLeavesTracking) {
  BarFixture fx(3);
  fx.bar->SetTrackingMode(1, true, true);
  EXPECT_TRUE(fx.bar->IsTrackingMode());
  EXPECT_EQ(0, fx.bar->GetHotIndex());
  EXPECT_TRUE(CTKKeyboardManager::ThreadInstance()->HasClient(fx.bar));
  fx.bar->OnHookKeyDown(VK_RIGHT, 0);
  fx.bar->OnHookKeyDown(VK_RETURN, 0);
  EXPECT_EQ(std::vector<int>{101}, fx.site.commands);
  EXPECT_FALSE(fx.bar->IsTrackingMode());  // executing closes the bar's tracking
  fx.bar->SetTrackingMode(1, true, true);
  fx.bar->OnHookKeyDown(VK_ESCAPE, 0);
  EXPECT_FALSE(fx.bar->IsTrackingMode());
  EXPECT_EQ(-1, fx.bar->GetHotIndex());
  EXPECT_FALSE(CTKKeyboardManager::ThreadInstance()->HasClient(fx.bar));
  EXPECT_FALSE(CTKMouseManager::ThreadInstance()->IsTracked(fx.bar));
  // While input is ignored keys are swallowed unread.
  fx.bar->SetHotControl(0, CTKCommandBar::kHotKeyForward);
  fx.bar->IgnoreInput() = 1;
  EXPECT_EQ(CTKCommandBar::kKeyHandled, fx.bar->OnHookKeyDown(VK_RIGHT, 0));
  EXPECT_EQ(0, fx.bar->GetHotIndex());
}

// ---------------------------------------------------------------------------------------------
// The press loop: the message script is posted first, then the loop runs it.

// A window that, given WM_APP, takes the capture away from whoever holds it.
LRESULT CALLBACK CaptureThiefProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_APP) ::SetCapture(h);
  return ::DefWindowProcW(h, m, w, l);
}

HWND CaptureThief() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CaptureThiefProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TKCaptureThief";
    ::RegisterClassW(&wc);
    registered = true;
  }
  return ::CreateWindowExW(0, L"TKCaptureThief", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

LPARAM At(CPoint pt) { return MAKELPARAM(pt.x, pt.y); }

TEST(PressLoopTest, EndsOnReleaseLostCaptureCancelKeysAndQuit) {
  struct Case {
    const char* name;
    bool clicked;
    bool quit;
  } cases[] = {
      {"release inside", true, false},
      {"release outside after moving", false, false},
      {"capture lost", false, false},
      {"escape", false, false},
      {"quit", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BarFixture fx(3);
    HWND bar = fx.bar->GetSafeHwnd();
    CPoint inside = fx.Center(1);
    CPoint outside(inside.x + 300, inside.y);
    HWND thief = CaptureThief();
    std::string name = c.name;
    if (name == "release inside") {
      ::PostMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, At(inside));
      ::PostMessageW(bar, WM_LBUTTONUP, 0, At(inside));
    } else if (name == "release outside after moving") {
      ::PostMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, At(outside));
      ::PostMessageW(bar, WM_LBUTTONUP, 0, At(outside));
    } else if (name == "capture lost") {
      ::PostMessageW(thief, WM_APP, 0, 0);
    } else if (name == "escape") {
      ::PostMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
      ::PostQuitMessage(3);
    }
    // Behind the script, a release that a loop running on too long would take as a click
    // (WM_QUIT comes only once the posted messages are taken: none behind it).
    if (!c.quit) ::PostMessageW(bar, WM_LBUTTONUP, 0, At(inside));
    CTKControl* button = fx.bar->GetControl(1);
    EXPECT_EQ(c.clicked, button->ClickToolBarButton(inside));
    EXPECT_EQ(c.clicked ? std::vector<int>{101} : std::vector<int>{}, fx.site.commands);
    EXPECT_EQ(0, button->GetPressed());
    EXPECT_EQ(-1, fx.bar->GetHotIndex());
    EXPECT_NE(bar, ::GetCapture());
    EXPECT_EQ(c.quit, TakeQuit());  // WM_QUIT is posted again for the outer loop
    ::DestroyWindow(thief);
  }
}

TEST(PressLoopTest, ARepeatingButtonExecutesOnPressAndOnEachTickButNotOnRelease) {
  TimerSeam seam;
  BarFixture fx(2);
  HWND bar = fx.bar->GetSafeHwnd();
  CTKControl* button = fx.bar->GetControl(0);
  button->SetExecuteOnPressInterval(50);
  CPoint inside = fx.Center(0);
  ::PostMessageW(bar, WM_TIMER, kExecuteOnPressTimer, 0);
  ::PostMessageW(bar, WM_TIMER, kExecuteOnPressTimer, 0);
  ::PostMessageW(bar, WM_LBUTTONUP, 0, At(inside));
  button->ClickToolBarButton(inside);
  EXPECT_EQ((std::vector<int>{100, 100, 100}), fx.site.commands);
  EXPECT_EQ(0u, g_timers.count(kExecuteOnPressTimer));
}

// ---------------------------------------------------------------------------------------------

std::atomic<int> g_playing{0};
KestrinWinNS::CScopedKernelHandle g_stop_playing;
BOOL BlockingPlay(const wchar_t* alias, DWORD) {
  if (!alias) {
    ::SetEvent(g_stop_playing.Get());  // the purge stops the sound being played
    return TRUE;
  }
  g_playing = 1;
  ::WaitForSingleObject(g_stop_playing.Get(), INFINITE);
  return TRUE;
}

DWORD WINAPI StopSounds(void*) {
  CTKSoundThread::Instance().Stop();
  return 0;
}

TEST(SoundThreadTest, StoppingWhileASoundPlaysEndsTheThreadWithoutKillingIt) {
  CTKSoundThread& sounds = CTKSoundThread::Instance();
  sounds.Stop();
  g_stop_playing.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  sounds.SetPlayFunction(&BlockingPlay);
  sounds.SetEnabled(false);
  sounds.Request(CTKSoundThread::kCommand);
  EXPECT_FALSE(sounds.IsRunning());  // disabled: no thread
  sounds.SetEnabled(true);
  sounds.Request(CTKSoundThread::kCommand);
  ASSERT_TRUE(sounds.IsRunning());
  for (int i = 0; i < 500 && !g_playing; ++i) ::Sleep(2);
  ASSERT_EQ(1, g_playing.load());
  KestrinWinNS::CScopedKernelHandle stopper(::CreateThread(nullptr, 0, &StopSounds, nullptr, 0, nullptr));
  EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(stopper.Get(), 10000));
  EXPECT_FALSE(sounds.IsRunning());
  sounds.SetPlayFunction(nullptr);
  g_stop_playing.Reset();
}

}  // namespace

namespace {

// A framework window that enables and checks commands by its update handlers.
class UpdatingSite : public CWnd {
 public:
  void OnUpdateFirst(CCmdUI* ui) { ui->Enable(false); }
  void OnUpdateSecond(CCmdUI* ui) { ui->SetCheck(1); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(UpdatingSite, CWnd)
  ON_UPDATE_COMMAND_UI(100, OnUpdateFirst)
  ON_UPDATE_COMMAND_UI(101, OnUpdateSecond)
END_MESSAGE_MAP()

TEST(CommandBarTest, TheIdleUpdateRunsTheSitesUpdateHandlersOnlyForAVisibleBar) {
  UpdatingSite site;
  ASSERT_TRUE(site.CreateEx(0, L"STATIC", L"site", WS_POPUP, RECT{0, 0, 300, 100}, nullptr, 0));
  TestBar* bar = new TestBar;
  for (int id : {100, 101, 102}) bar->GetControls()->Add(kButton, id);
  bar->Create(site.GetSafeHwnd(), WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 30});
  bar->DelayLayout();
  // The site is hidden, so is the bar: nothing is updated and the pending layout waits.
  bar->OnIdleUpdate();
  EXPECT_TRUE(bar->GetControl(0)->GetEnabled());
  EXPECT_EQ(1, bar->GetPendingLayout() & 1);
  site.ShowWindow(SW_SHOWNA);
  bar->OnIdleUpdate();
  EXPECT_FALSE(bar->GetControl(0)->GetEnabled());
  EXPECT_EQ(1, bar->GetControl(1)->GetChecked());
  EXPECT_TRUE(bar->GetControl(2)->GetEnabled());  // no handler: left as it is
  EXPECT_EQ(0, bar->GetPendingLayout());
  EXPECT_FALSE(bar->GetControl(2)->GetRect().IsRectEmpty());  // laid out by the update
  bar->DestroyWindow();
  bar->Release();
  site.DestroyWindow();
}

}  // namespace
