#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/appframe/app.h"
#include "platform/appframe/wnd.h"
#include "platform/win/scoped_resource.h"

namespace {

const wchar_t kClass[] = L"KestrinAppFrameTestClass";
UINT g_registered = 0;

class CTestWnd : public CWnd {
 public:
  int commands = 0;
  int blocked_commands = 0;
  UINT_PTR last_timer = 0;
  LPARAM last_registered = 0;
  bool destroyed_after = false;
  bool block_enabled = false;

  void OnRun() { ++commands; }
  void OnBlocked() { ++blocked_commands; }
  void OnUpdateBlocked(CCmdUI* ui) { ui->Enable(block_enabled); }
  void OnTimer(UINT_PTR id) { last_timer = id; }
  LRESULT OnApp(WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 2); }
  LRESULT OnRegistered(WPARAM, LPARAM l) {
    last_registered = l;
    return 1;
  }
  LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
  void PostNcDestroy() override { destroyed_after = m_hWnd == nullptr; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestWnd, CWnd)
  ON_COMMAND(10, OnRun)
  ON_COMMAND(11, OnBlocked)
  ON_UPDATE_COMMAND_UI(11, OnUpdateBlocked)
  ON_WM_TIMER()
  ON_MESSAGE(WM_APP + 1, OnApp)
  ON_MESSAGE(WM_APP + 2, OnThrow)
  ON_REGISTERED_MESSAGE(g_registered, OnRegistered)
END_MESSAGE_MAP()

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    g_registered = RegisterWindowMessageW(L"KestrinAppFrameTestMessage");
  }
};

TEST_F(WindowTest, MessagesGoThroughTheMapAndTheRestToTheClassProcedure) {
  CTestWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, kClass, L"first", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
  HWND window = wnd.m_hWnd;
  EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(window));
  // Seen from its very first message on: the title given at creation went through the class.
  EXPECT_EQ(CString(L"first"), wnd.GetWindowText());
  wnd.SetWindowText(L"second");
  EXPECT_EQ(CString(L"second"), wnd.GetWindowText());

  EXPECT_EQ(14, wnd.SendMessage(WM_APP + 1, 7));
  EXPECT_EQ(1, wnd.SendMessage(g_registered, 0, 99));
  EXPECT_EQ(99, wnd.last_registered);
  wnd.SendMessage(WM_TIMER, 5);
  EXPECT_EQ(5u, wnd.last_timer);
  // A handler that throws: the window procedure returns and the window lives on.
  EXPECT_EQ(0, wnd.SendMessage(WM_APP + 2));
  EXPECT_TRUE(IsWindow(window));

  // Menu commands; one disabled by its update handler is not run.
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(10, 0));
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(11, 0));
  EXPECT_EQ(1, wnd.commands);
  EXPECT_EQ(0, wnd.blocked_commands);
  wnd.block_enabled = true;
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(11, 0));
  EXPECT_EQ(1, wnd.blocked_commands);

  // A temporary object for a window nobody owns; the owned one is found as itself.
  EXPECT_EQ(&wnd, CWnd::FromHandle(window));
  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ(nullptr, wnd.m_hWnd);
  EXPECT_TRUE(wnd.destroyed_after);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));
}

TEST_F(WindowTest, SubclassingAControlAndGivingItBack) {
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(edit);
  LONG_PTR original = GetWindowLongPtrW(edit, GWLP_WNDPROC);
  {
    CTestWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(edit));
    EXPECT_FALSE(CTestWnd().SubclassWindow(edit));   // one object per window
    EXPECT_EQ(14, SendMessageW(edit, WM_APP + 1, 7, 0));
    SetWindowTextW(edit, L"typed");
    EXPECT_EQ(CString(L"typed"), wnd.GetWindowText());
    EXPECT_EQ(edit, wnd.UnsubclassWindow());
  }
  EXPECT_EQ(original, GetWindowLongPtrW(edit, GWLP_WNDPROC));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(edit));
  // An object that goes first takes its window with it.
  {
    CTestWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(edit));
  }
  EXPECT_FALSE(IsWindow(edit));
}

TEST_F(WindowTest, MenuUpdateHandlersGreyTheirItems) {
  CTestWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, kClass, L"", WS_POPUP, CRect(), nullptr, 0));
  KestrinWinNS::CScopedMenu menu(CreatePopupMenu());
  AppendMenuW(menu.Get(), MF_STRING, 10, L"Run");
  AppendMenuW(menu.Get(), MF_STRING, 11, L"Blocked");
  wnd.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.Get()));
  EXPECT_FALSE(GetMenuState(menu.Get(), 10, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu.Get(), 11, MF_BYCOMMAND) & MF_GRAYED);
}

class CCountingApp : public CWinApp {
 public:
  int idle_calls = 0;
  bool OnIdle(LONG count) override {
    CWinApp::OnIdle(count);
    if (++idle_calls == 1) PostQuitMessage(3);
    return false;
  }
};

TEST_F(WindowTest, RunPumpsWithIdleWorkUntilQuit) {
  CCountingApp app;
  EXPECT_EQ(&app, CWinApp::GetApp());
  EXPECT_EQ(3, app.Run());
  EXPECT_EQ(1, app.idle_calls);
}

}  // namespace
