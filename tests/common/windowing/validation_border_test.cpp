#include "common/windowing/validation_border.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"

using ObserveNS::CObserverService;
using SettingsUtilsNS::CSettingsKestrin;
using WindowingNS::BorderKind;
using WindowingNS::CValidationBorder;
using WindowingNS::HideOrigin;

namespace {

void Pump(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if ((LONG)(GetTickCount() - until) >= 0) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (true);
}

template <class Done>
bool PumpUntil(DWORD ms, Done done) {
  DWORD until = GetTickCount() + ms;
  while (!done()) {
    if ((LONG)(GetTickCount() - until) >= 0) return false;
    Pump(10);
  }
  return true;
}

HWND MakeBrowser() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KestrinTestBrowser";
  RegisterClassA(&wc);
  return CreateWindowA("KestrinTestBrowser", "browser", WS_OVERLAPPEDWINDOW, 50, 50, 300, 200,
                       nullptr, nullptr, wc.hInstance, nullptr);
}

// Writes border settings the way a settings saver does, and tells this process.
void WriteSettings(DWORD width, COLORREF colour, bool browser, bool screen, DWORD text_size = 18) {
  CSettingsKestrin writer(SettingsUtilsNS::kLoadGroupNone);
  ASSERT_TRUE(writer.CreateKey());
  writer.WriteDword("BorderWidth", width);
  writer.WriteDword("BorderColour", colour);
  writer.WriteDword("DisplayTextSize", text_size);
  writer.WriteBool("BorderBrowser", browser);
  writer.WriteBool("BorderScreen", screen);
  writer.WriteBool("UseAudio", false);
  writer.WriteBool("UseMov", false);
  writer.WriteString("MouseOverSound", "");
  writer.WriteString("MouseOffSound", "");
  writer.CloseKey();
}

bool EventSet(const char* name) {
  KestrinWinNS::CScopedKernelHandle e(OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name));
  if (!e) return false;
  return WaitForSingleObject(e.Get(), 0) == WAIT_OBJECT_0;
}

// Paints the shown border the way the screen would: through its erase message.
void PaintNow(HWND border) {
  RedrawWindow(border, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
}

// The pointer the border sees: other test programs share the desktop's real pointer and may
// move it at any time.
POINT g_pointer;
BOOL WINAPI TestPointer(POINT* point) {
  *point = g_pointer;
  return TRUE;
}

class BorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSettings(8, RGB(0, 255, 0), true, false);
    browser = MakeBrowser();
    // The pointer rests in the middle of the screen, inside the ring, off the border.
    g_pointer = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    SetCursorPos(g_pointer.x, g_pointer.y);  // the real one too: the border tracks its hover
    CValidationBorder::SetPointerFunction(TestPointer);
    border.reset(new CValidationBorder(CObserverService::GetInstance()));
    EventSet("DravixBho::ValidateOnEvent");  // auto-reset: consume what earlier tests left
    EventSet("DravixBho::ValidateOffEvent");
  }
  void TearDown() override {
    border->Close();
    border.reset();
    DestroyWindow(browser);
    CValidationBorder::SetPointerFunction(nullptr);
  }

  HWND browser = nullptr;
  std::unique_ptr<CValidationBorder> border;
};

TEST_F(BorderTest, NothingWithoutABrowserWindow) {
  EXPECT_EQ(0, border->ShowBorder(BorderKind::kVerification, true, true));
  EXPECT_EQ(0, border->HideBorder(HideOrigin::kBrowser, true));
  EXPECT_EQ(0, border->SetBrowserWindow(nullptr));
  EXPECT_EQ(nullptr, border->GetHwnd());
  EXPECT_EQ(8, border->GetWidth());  // before the window exists
  EXPECT_EQ(10, border->GetTextSize());
}

// A browser window noted but never shown the border costs no window; the first show makes it.
TEST_F(BorderTest, NotedBrowserMakesTheWindowAtTheFirstShow) {
  EXPECT_EQ(0, border->NoteBrowserWindow(nullptr));
  ASSERT_EQ(1, border->NoteBrowserWindow(browser));
  EXPECT_EQ(nullptr, border->GetHwnd());
  EXPECT_EQ(1, border->HideBorder(HideOrigin::kBrowser, true));
  EXPECT_EQ(nullptr, border->GetHwnd());
  EXPECT_EQ(1, border->ShowBorder(BorderKind::kVerification, true, false));
  ASSERT_TRUE(border->GetHwnd());
  char cls[64];
  GetClassNameA(border->GetHwnd(), cls, sizeof(cls));
  EXPECT_STREQ("DRAVIX_VERIFICATION_WINDOW", cls);
  EXPECT_TRUE(border->IsBorderVisible());
  EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(border->GetHwnd(), nullptr));
}

TEST_F(BorderTest, ShowCoversTheScreenButItsBottomRow) {
  ASSERT_EQ(1, border->SetBrowserWindow(browser));
  HWND hwnd = border->GetHwnd();
  ASSERT_TRUE(hwnd);
  char cls[64];
  GetClassNameA(hwnd, cls, sizeof(cls));
  EXPECT_STREQ("DRAVIX_VERIFICATION_WINDOW", cls);
  LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(border->IsBorderVisible());

  EXPECT_EQ(1, border->ShowBorder(BorderKind::kVerification, true, false));
  EXPECT_TRUE(border->IsBorderVisible());
  EXPECT_TRUE(EventSet("DravixBho::ValidateOnEvent"));
  const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
  RECT wr;
  GetWindowRect(hwnd, &wr);
  EXPECT_EQ(0, wr.left);
  EXPECT_EQ(0, wr.top);
  EXPECT_EQ(W, wr.right);
  EXPECT_EQ(H, wr.bottom);
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  const HRGN rgn = region.Get();
  ASSERT_NE(ERROR, GetWindowRgn(hwnd, rgn));
  EXPECT_TRUE(PtInRegion(rgn, 0, H - 2));
  EXPECT_FALSE(PtInRegion(rgn, 0, H - 1));
  EXPECT_FALSE(PtInRegion(rgn, W / 2, H - 1));
  EXPECT_TRUE(PtInRegion(rgn, 7, H / 2));
  EXPECT_FALSE(PtInRegion(rgn, 8, H / 2));

  // Wine erases the window while showing it, so the frame is painted at once here.
  EXPECT_EQ(1, border->HideBorder(HideOrigin::kBrowser, true));
  EXPECT_FALSE(border->IsBorderVisible());
  EXPECT_TRUE(EventSet("DravixBho::ValidateOffEvent"));
}

TEST_F(BorderTest, ShowWhilePaintedPinsTheBorder) {
  border->SetBrowserWindow(browser);
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, true));
  PaintNow(border->GetHwnd());
  ASSERT_TRUE(CValidationBorder::IsPainted());
  EXPECT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, true));
  EXPECT_TRUE(border->IsPinned());
  EXPECT_EQ(1, border->HideBorder(HideOrigin::kBrowser, false));  // a pinned border survives this hide
  EXPECT_TRUE(border->IsBorderVisible());
  EXPECT_EQ(1, border->HideBorder(HideOrigin::kPointer, false));  // the pointer is not on it: hidden
  EXPECT_FALSE(border->IsBorderVisible());
  EXPECT_FALSE(CValidationBorder::IsPainted());
  EXPECT_FALSE(border->IsPinned());

  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, true));
  PaintNow(border->GetHwnd());
  border->ShowBorder(BorderKind::kVerification, false, true);
  EXPECT_EQ(1, border->HideBorder(HideOrigin::kBrowser, true));
  EXPECT_FALSE(border->IsBorderVisible());
}

TEST_F(BorderTest, CaptionTabJoinsTheRegion) {
  border->SetBrowserWindow(browser);
  border->SetCaptionText("");  // ignored
  EXPECT_STREQ("Authenticated by Torvan", border->GetCaptionText());
  border->SetCaptionText("Seal of Example Ltd");
  EXPECT_STREQ("Seal of Example Ltd", border->GetCaptionText());
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, true));
  const RECT c = border->GetCaptionRect();
  const int W = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_EQ(W / 2 * 2, c.left + c.right) << "the tab sits in the middle of the top edge";
  EXPECT_GT(c.bottom, 8);
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  const HRGN rgn = region.Get();
  GetWindowRgn(border->GetHwnd(), rgn);
  EXPECT_TRUE(PtInRegion(rgn, W / 2, c.bottom - 1));
  EXPECT_FALSE(PtInRegion(rgn, W / 2, c.bottom));
  EXPECT_FALSE(PtInRegion(rgn, c.left - 1, c.bottom - 1));
}

TEST_F(BorderTest, NoFrameWhenBothPlacesAreOff) {
  WriteSettings(8, RGB(0, 255, 0), false, false);
  CObserverService::GetInstance()->Notify(ObserveNS::kEventSettingsChanged);
  border->SetBrowserWindow(browser);
  EXPECT_EQ(1, border->ShowBorder(BorderKind::kVerification, true, true));
  EXPECT_TRUE(EventSet("DravixBho::ValidateOnEvent"));
  EXPECT_FALSE(border->IsBorderVisible());
}

TEST_F(BorderTest, HideWhileHoveredWaitsForThePointerToLeave) {
  border->SetBrowserWindow(browser);
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, false));
  HWND hwnd = border->GetHwnd();
  SendMessageA(hwnd, WM_MOUSEHOVER, 0, 0);
  ASSERT_TRUE(border->IsHovered());
  EXPECT_EQ(1, border->HideBorder(HideOrigin::kBrowser, true));
  EXPECT_TRUE(border->IsBorderVisible());
  SendMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(border->IsBorderVisible());
}

TEST_F(BorderTest, KindZeroNeedsMouseOverAndTheTrayWindow) {
  border->SetBrowserWindow(browser);
  EXPECT_EQ(0, border->ShowBorder(BorderKind::kMouseOver, false, false));  // UseMov is off
  {
    CSettingsKestrin writer(SettingsUtilsNS::kLoadGroupNone);
    ASSERT_TRUE(writer.CreateKey());
    writer.WriteBool("UseMov", true);
    writer.CloseKey();
  }
  CObserverService::GetInstance()->Notify(ObserveNS::kEventSettingsChanged);
  EXPECT_EQ(0, border->ShowBorder(BorderKind::kMouseOver, false, false));  // no tray window
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Dravix_TaskTray";
  RegisterClassA(&wc);
  HWND tray = CreateWindowA("Dravix_TaskTray", "any", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            wc.hInstance, nullptr);
  EXPECT_EQ(1, border->ShowBorder(BorderKind::kMouseOver, false, false));
  EXPECT_TRUE(border->IsBorderVisible());
  DestroyWindow(tray);
}

// Timer 2: a border whose browser is not in front hides itself when asked to, and tells the
// hover window.
TEST_F(BorderTest, HidesWhenTheBrowserIsNotInFront) {
  static int leaves = 0;
  struct Hover {
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
      if (m == WM_MOUSELEAVE && w == 1) ++leaves;
      return DefWindowProcA(h, m, w, l);
    }
  };
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Hover::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KestrinTestHover";
  RegisterClassA(&wc);
  HWND hover = CreateWindowA("KestrinTestHover", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
  // A browser that cannot come to the front whatever the desktop does: a child window, as
  // the foreground is always a top-level one.
  HWND inner = CreateWindowA("KestrinTestBrowser", "", WS_CHILD, 0, 0, 10, 10, browser, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  border->SetBrowserWindow(inner);
  EXPECT_EQ(1, border->SetHoverWindow(hover));
  border->SetHideWhenInactive(1);
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, false));
  EXPECT_TRUE(PumpUntil(5000, [&] { return !border->IsBorderVisible(); }));
  EXPECT_EQ(1, leaves);
  DestroyWindow(hover);
}

// Timer 1: a hover-logic hide while the pointer is on the border waits and then hides.
TEST_F(BorderTest, HideWithThePointerOnTheBorderIsPostponed) {
  border->SetBrowserWindow(browser);
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, false));
  // On the left edge of the ring; the real pointer too, whose hover the border tracks.
  g_pointer = {2, GetSystemMetrics(SM_CYSCREEN) / 2};
  SetCursorPos(g_pointer.x, g_pointer.y);
  if (WindowFromPoint({2, GetSystemMetrics(SM_CYSCREEN) / 2}) != border->GetHwnd())
    GTEST_SKIP() << "the pointer cannot be placed on the border here";
  EXPECT_EQ(1, border->HideBorder(HideOrigin::kPointer, false));
  EXPECT_TRUE(border->IsBorderVisible());
  // While the pointer rests there the border stays; once it goes, the border hides.
  Pump(900);
  EXPECT_TRUE(border->IsBorderVisible());
  g_pointer = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
  SetCursorPos(g_pointer.x, g_pointer.y);
  EXPECT_TRUE(PumpUntil(5000, [&] { return !border->IsBorderVisible(); }));
}

TEST_F(BorderTest, SettingsFollowEventOneLive) {
  border->SetBrowserWindow(browser);
  EXPECT_EQ(8, border->GetWidth());
  EXPECT_EQ(18, border->GetTextSize());
  EXPECT_EQ(RGB(0, 255, 0), border->GetColour());
  // A saver elsewhere broadcasts event 1; the border reloads on the service's thread.
  CSettingsKestrin saver(SettingsUtilsNS::kLoadGroupAll);
  saver.SetBorderWidth(1, false);  // raised to the minimum of 2 when read
  saver.SetBorderColour(RGB(200, 0, 0), false);
  saver.SetDisplayTextSize(24, false);
  ASSERT_TRUE(saver.SaveChanged());
  EXPECT_TRUE(PumpUntil(5000, [&] { return border->GetColour() == RGB(200, 0, 0); }));
  EXPECT_EQ(2, border->GetWidth());
  EXPECT_EQ(24, border->GetTextSize());
  // The next show uses the new width.
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, false));
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  const HRGN rgn = region.Get();
  GetWindowRgn(border->GetHwnd(), rgn);
  EXPECT_TRUE(PtInRegion(rgn, 1, 100));
  EXPECT_FALSE(PtInRegion(rgn, 2, 100));
}

// The window belongs to the thread of its first caller. When that thread (a browser tab)
// ends, the window goes with it; the next show makes a new one instead of believing the
// old frame is still painted.
TEST_F(BorderTest, WindowLostWithItsThreadIsMadeAgain) {
  HWND first = nullptr;
  std::thread tab([&] {
    border->SetBrowserWindow(browser);
    first = border->GetHwnd();
    border->ShowBorder(BorderKind::kVerification, false, true);
    PaintNow(first);
  });
  tab.join();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, true));
  EXPECT_TRUE(border->IsBorderVisible());
  EXPECT_NE(first, border->GetHwnd());
  EXPECT_FALSE(border->IsPinned());
}

// Calls from other threads run on the window's thread (timers and window state are its own).
TEST_F(BorderTest, ShowAndHideFromAnotherThread) {
  border->SetBrowserWindow(browser);
  int shown = -1, hidden = -1;
  std::thread other([&] {
    shown = border->ShowBorder(BorderKind::kVerification, false, false);
  });
  PumpUntil(5000, [&] { return shown != -1; });
  other.join();
  EXPECT_EQ(1, shown);
  EXPECT_TRUE(border->IsBorderVisible());
  std::thread other2([&] { hidden = border->HideBorder(HideOrigin::kBrowser, true); });
  PumpUntil(5000, [&] { return hidden != -1; });
  other2.join();
  EXPECT_EQ(1, hidden);
  EXPECT_FALSE(border->IsBorderVisible());
}

TEST(BorderInstance, ShutdownTakesTheProcessBorderDown) {
  HWND browser = MakeBrowser();
  CValidationBorder* border = CValidationBorder::GetInstance();
  EXPECT_EQ(border, CValidationBorder::GetInstance());
  border->SetBrowserWindow(browser);
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, false));
  HWND hwnd = border->GetHwnd();
  CValidationBorder::Shutdown();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(CValidationBorder::IsPainted());
  DestroyWindow(browser);
}

TEST_F(BorderTest, CloseHidesAndDestroysOnAnOrderlyPath) {
  border->SetBrowserWindow(browser);
  ASSERT_EQ(1, border->ShowBorder(BorderKind::kVerification, false, false));
  HWND hwnd = border->GetHwnd();
  border->Close();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(EventSet("DravixBho::ValidateOffEvent"));
  EXPECT_FALSE(CValidationBorder::IsPainted());
}

}  // namespace
