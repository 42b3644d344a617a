#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "common/settings/settings.h"
#include "platform/win/scoped_handle.h"
#include "tests/tray/tray_test_support.h"
#include "tools/testservice/test_env.h"
#include "tray/tray_app.h"
#include "tray/tray_resource.h"

namespace {

using namespace traytest;

class TrayWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteSettingsKey();
    g_doubleClickSeen = false;
  }
  void TearDown() override {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    DeleteSettingsKey();
  }
  // A running tray program in this process; no update check is due.
  std::unique_ptr<CDravixTrayMFCApp> Start() {
    std::unique_ptr<CDravixTrayMFCApp> app(new CDravixTrayMFCApp(&services_));
    EXPECT_TRUE(app->StartUp());
    return app;
  }
  CRecordingServices services_;
};

TEST_F(TrayWindowTest, StartsOncePerSessionWithItsHiddenWindowAndDefaults) {
  EXPECT_FALSE(SettingsKeyExists());
  services_.now = 3000000000LL;   // later than the default next check: one is due at start
  auto app = Start();
  CDravixTrayMFCDlg* window = app->GetMainWindow();
  ASSERT_TRUE(window && window->m_hWnd);
  EXPECT_EQ(window, app->m_pMainWnd);
  wchar_t cls[64];
  GetClassNameW(window->m_hWnd, cls, 64);
  EXPECT_STREQ(L"Torvan_ZNR_Shadow_Class", cls);
  EXPECT_EQ(0, GetWindowTextLengthW(window->m_hWnd));
  EXPECT_FALSE(IsWindowVisible(window->m_hWnd));
  EXPECT_EQ(FindWindowW(L"Torvan_ZNR_Shadow_Class", L""), window->m_hWnd);
  const NOTIFYICONDATAW& icon = window->GetIconRecord();
  EXPECT_EQ(131u, icon.uID);
  EXPECT_STREQ(L"Kestrin", icon.szTip);
  EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), icon.uFlags);
  EXPECT_EQ(RegisterWindowMessageW(L"TorvanZNRTrayIcon"), icon.uCallbackMessage);

  // A fresh user got every default before the first update check, which then ran.
  EXPECT_TRUE(SettingsKeyExists());
  DWORD value = 0;
  EXPECT_TRUE(ReadDword(L"BorderWidth", &value));
  EXPECT_EQ(8u, value);
  EXPECT_TRUE(ReadDword(L"NextUpDate", &value));
  EXPECT_EQ(static_cast<DWORD>(services_.now + 86400), value);

  // A second start in the same session ends at once.
  CRecordingServices other;
  CDravixTrayMFCApp second(&other);
  EXPECT_FALSE(second.StartUp());
  EXPECT_EQ(nullptr, second.GetMainWindow());
}

TEST_F(TrayWindowTest, SettingsKeyIsConvertedOrLeftAlone) {
  struct Case {
    const char* what;
    bool old_format;
    DWORD version_after;
    DWORD colour_after;
  } cases[] = {{"older format", true, 2, 65280}, {"current", false, 2, 0x00FF00FF}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteSettingsKey();
    if (c.old_format) {
      WriteDword(L"SettingsVersion", 1);
      WriteText(L"BorderColour", L"65280");   // the others are missing: they stay missing
    } else {
      SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupAll);
      ASSERT_TRUE(settings.CreateDefaults());
      WriteDword(L"BorderColour", 0x00FF00FF);
    }
    WriteDword(L"NextUpDate", 0xFFFFFFFF);   // no update check now
    {
      auto app = Start();
    }
    DWORD version = 0, colour = 0, width = 0;
    EXPECT_TRUE(ReadDword(L"SettingsVersion", &version));
    EXPECT_EQ(c.version_after, version);
    EXPECT_TRUE(ReadDword(L"BorderColour", &colour));
    EXPECT_EQ(c.colour_after, colour);
    EXPECT_EQ(!c.old_format, ReadDword(L"BorderWidth", &width));
  }
}

// The update timer with a short period: its ticks reach the daily check, which asks the
// service and moves the next check a day on only when it is due.
TEST_F(TrayWindowTest, TheUpdateTimerRunsTheCheckWhenItIsDue) {
  {
    SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupAll);
    ASSERT_TRUE(settings.CreateDefaults());
  }
  std::string url = KestrinTest::ServiceUrl("http", "/updinfo/same");
  services_.update_server.assign(url.begin(), url.end());
  services_.timer_period_ms = 30;
  services_.now = 1700000000;
  const DWORD due = 1700000001;
  WriteDword(L"NextUpDate", due);
  auto app = Start();
  CDravixTrayMFCDlg* window = app->GetMainWindow();
  ASSERT_TRUE(window);
  auto next_check = [] {
    DWORD value = 0;
    ReadDword(L"NextUpDate", &value);
    return value;
  };
  // Not due: ticks come and go, nothing is asked and nothing moves.
  KestrinTest::PumpFor(300);
  EXPECT_EQ(due, next_check());
  EXPECT_EQ(0, window->GetUpdater().GetAnswerCount());
  // Due: a tick starts the check, the service answers and the next check is a day later.
  services_.now = due;
  ASSERT_TRUE(KestrinTest::PumpUntil([&] { return window->GetUpdater().GetAnswerCount() == 1; }, 10000));
  EXPECT_EQ(due + 86400u, next_check());
  // The ticks that follow find it not due again.
  KestrinTest::PumpFor(300);
  EXPECT_EQ(1, window->GetUpdater().GetAnswerCount());
  EXPECT_EQ(due + 86400u, next_check());
  // Whether a check is due is read from the stored value at each tick.
  WriteDword(L"NextUpDate", due);
  ASSERT_TRUE(KestrinTest::PumpUntil([&] { return window->GetUpdater().GetAnswerCount() == 2; }, 10000));
  EXPECT_EQ(due + 86400u, next_check());
  EXPECT_TRUE(services_.questions.empty());
}

TEST_F(TrayWindowTest, MenuCommandsOpenTheirDialogsOneAtATime) {
  auto app = Start();
  CDravixTrayMFCDlg* window = app->GetMainWindow();
  HWND tray = window->m_hWnd;
  bool seen = false;
  RunFromLoop([&] {
    HWND about = FindWindowW(L"#32770", L"About Kestrin");
    ASSERT_TRUE(about);
    seen = true;
    EXPECT_TRUE(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(window->IsDialogOpen());
    for (UINT id : {ID_TRAY_ABOUT, ID_TRAY_OPTIONS, ID_TRAY_HELP})
      EXPECT_TRUE(GetMenuState(window->GetMenu(), id, MF_BYCOMMAND) & MF_GRAYED) << id;
    // A second dialog is not opened while one is (the sheet would show as well).
    SendMessageW(tray, WM_COMMAND, ID_TRAY_OPTIONS, 0);
    EXPECT_EQ(nullptr, window->GetOptions().m_hWnd);
    PostMessageW(about, WM_COMMAND, IDOK, 0);
  });
  SendMessageW(tray, WM_COMMAND, ID_TRAY_ABOUT, 0);
  EXPECT_TRUE(seen);
  EXPECT_FALSE(window->IsDialogOpen());
  EXPECT_FALSE(GetMenuState(window->GetMenu(), ID_TRAY_ABOUT, MF_BYCOMMAND) & MF_GRAYED);

  bool sheet_seen = false;
  RunFromLoop([&] {
    HWND sheet = window->GetOptions().m_hWnd;
    ASSERT_TRUE(sheet);
    sheet_seen = true;
    wchar_t caption[64];
    GetWindowTextW(sheet, caption, 64);
    EXPECT_STREQ(L"Kestrin Properties", caption);
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  SendMessageW(tray, WM_COMMAND, ID_TRAY_OPTIONS, 0);
  EXPECT_TRUE(sheet_seen);

  SendMessageW(tray, WM_COMMAND, ID_TRAY_HELP, 0);
  ASSERT_EQ(1u, services_.opened.size());
  EXPECT_EQ(L"http://www.torvangroup.com/products/kestrin/help.html", services_.opened[0]);
}

// The icon's mouse messages, with the dialogs and the menu counted instead of shown.
class CCountingTray : public CDravixTrayMFCDlg {
 public:
  using CDravixTrayMFCDlg::CDravixTrayMFCDlg;
  int menus = 0, abouts = 0;
  void ShowTrayMenu() override { ++menus; }
  void ShowAboutBox() override { ++abouts; }
};

TEST_F(TrayWindowTest, ClicksOnTheIcon) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = kTrayWindowClass;
  RegisterClassW(&wc);
  WriteDword(L"NextUpDate", 0xFFFFFFFF);
  CCountingTray tray(&services_);
  ASSERT_TRUE(tray.CreateHiddenWindow());
  UINT message = tray.GetTrayMessage();
  // A single click: the menu comes with the single-click timer, not before.
  tray.SendMessage(message, 131, WM_LBUTTONUP);
  EXPECT_EQ(0, tray.menus);
  tray.SendMessage(WM_TIMER, kTimerSingleClick);
  EXPECT_EQ(1, tray.menus);
  // A double click: the About box; the button-up that follows starts nothing.
  tray.SendMessage(message, 131, WM_LBUTTONDBLCLK);
  EXPECT_EQ(1, tray.abouts);
  tray.SendMessage(message, 131, WM_LBUTTONUP);
  EXPECT_FALSE(g_doubleClickSeen);
  EXPECT_FALSE(KillTimer(tray.m_hWnd, kTimerSingleClick));   // no timer was started
  // The right button: the menu at once.
  tray.SendMessage(message, 131, WM_RBUTTONUP);
  EXPECT_EQ(2, tray.menus);
  // WM_CLOSE: the window goes and the loop is told to end with 0.
  HWND window = tray.m_hWnd;
  tray.SendMessage(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window));
  MSG msg;
  bool quit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) quit = msg.wParam == 0;
  EXPECT_TRUE(quit);
}

TEST_F(TrayWindowTest, DoubleClickTimeComesFromTheUserSettings) {
  KestrinWinNS::CScopedRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Mouse", 0, nullptr, 0,
                                           KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr));
  wchar_t saved[64] = {};
  DWORD size = sizeof(saved);
  bool had = RegQueryValueExW(key.Get(), L"DoubleClickSpeed", nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size) ==
             ERROR_SUCCESS;
  RegSetValueExW(key.Get(), L"DoubleClickSpeed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"321"), 8);
  EXPECT_EQ(321u, CDravixTrayMFCDlg::GetDoubleClickSpeed());
  RegDeleteValueW(key.Get(), L"DoubleClickSpeed");
  EXPECT_EQ(500u, CDravixTrayMFCDlg::GetDoubleClickSpeed());
  if (had) RegSetValueExW(key.Get(), L"DoubleClickSpeed", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved), size);
}

}  // namespace
