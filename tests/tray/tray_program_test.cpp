#include <gtest/gtest.h>

#include <string>

#include "common/settings/settings.h"
#include "tests/tray/tray_test_support.h"

namespace {

std::string g_tray;   // Kestrin.exe (--tray=)

PROCESS_INFORMATION Launch() {
  std::string command = "\"" + g_tray + "\"";
  STARTUPINFOA si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  return pi;
}

// The program may go idle before its window is made (Wine signals input idle at the first empty
// message queue, which start-up can reach early): look for the window until the program ends.
HWND WaitForTrayWindow(HANDLE process) {
  for (int i = 0; i < 3000; ++i) {
    if (HWND window = FindWindowW(L"Torvan_ZNR_Shadow_Class", nullptr)) return window;
    if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

DWORD WaitExit(const PROCESS_INFORMATION& pi) {
  DWORD code = 99;
  if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// Kestrin.exe as started at logon: one instance, its hidden window, WM_CLOSE ends it with 0.
TEST(TrayProgram, OneInstanceAHiddenWindowAndCloseEndsIt) {
  ASSERT_FALSE(g_tray.empty()) << "--tray= missing";
  traytest::DeleteSettingsKey();
  {
    SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupAll);
    ASSERT_TRUE(settings.CreateDefaults());
  }
  traytest::WriteDword(L"NextUpDate", 0xFFFFFFFF);   // no update check in this test
  ASSERT_EQ(nullptr, FindWindowW(L"Torvan_ZNR_Shadow_Class", nullptr));
  PROCESS_INFORMATION first = Launch();
  ASSERT_EQ(0u, WaitForInputIdle(first.hProcess, 30000));
  HWND window = WaitForTrayWindow(first.hProcess);
  ASSERT_TRUE(window);
  EXPECT_EQ(0, GetWindowTextLengthW(window));
  EXPECT_FALSE(IsWindowVisible(window));
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  EXPECT_EQ(first.dwProcessId, pid);

  PROCESS_INFORMATION second = Launch();
  EXPECT_NE(99u, WaitExit(second));   // it ends on its own
  EXPECT_EQ(window, FindWindowW(L"Torvan_ZNR_Shadow_Class", nullptr));
  EXPECT_EQ(nullptr, FindWindowExW(nullptr, window, L"Torvan_ZNR_Shadow_Class", nullptr));

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, WaitExit(first));
  EXPECT_EQ(nullptr, FindWindowW(L"Torvan_ZNR_Shadow_Class", nullptr));
  traytest::DeleteSettingsKey();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--tray=", 0) == 0) {
      g_tray = arg.substr(7);
      for (char& c : g_tray)
        if (c == '/') c = '\\';
      if (!g_tray.empty() && g_tray[0] == '\\') g_tray = "Z:" + g_tray;
    }
  }
  return RUN_ALL_TESTS();
}
