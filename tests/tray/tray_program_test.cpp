#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/settings/settings.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/tray/tray_test_support.h"
#include "tray/tray_resource.h"

namespace {

std::string g_tray;   // Kestrin.exe (--tray=)
std::wstring g_skin;  // the project's skin library (--skin=)
bool g_screen = false;  // --screen: other programs' windows reach the screen, which is read back

// Kestrin.exe with this environment, or with its temp folder (TMP and TEMP) replaced when one is
// given.
PROCESS_INFORMATION Launch(const std::wstring& temp = std::wstring()) {
  std::wstring command = L"\"" + std::wstring(g_tray.begin(), g_tray.end()) + L"\"";
  std::vector<wchar_t> environment;
  if (!temp.empty()) {
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
      if (!_wcsnicmp(entry, L"TMP=", 4) || !_wcsnicmp(entry, L"TEMP=", 5)) continue;
      environment.insert(environment.end(), entry, entry + wcslen(entry) + 1);
    }
    FreeEnvironmentStringsW(strings);
    for (const wchar_t* name : {L"TMP=", L"TEMP="}) {
      const std::wstring entry = name + temp;
      environment.insert(environment.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    environment.push_back(L'\0');
  }
  STARTUPINFOW si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                             environment.empty() ? nullptr : environment.data(), nullptr, &si, &pi));
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
  KestrinWinNS::CScopedKernelHandle thread(pi.hThread);
  KestrinWinNS::CScopedKernelHandle process(pi.hProcess);
  DWORD code = 99;
  if (WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
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

// The visible window of the given class and caption that the process `pid` shows, waited for
// while the process runs.
HWND WaitForShownWindow(const PROCESS_INFORMATION& pi, const wchar_t* className, const wchar_t* caption) {
  for (int i = 0; i < 3000; ++i) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, caption); w;
         w = FindWindowExW(nullptr, w, className, caption)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == pi.dwProcessId && IsWindowVisible(w)) return w;
    }
    if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

// How a window is framed, as another process sees it.
struct FrameSeen {
  bool opened = false;
  bool hasRegion = false;
  bool cornerShown = false;   // the window's top-left pixel lies in its region
  bool centreShown = false;
  RECT insets{};              // the client area's distance from each edge of the window
  RECT systemInsets{};        // the same as the system frames a window of its styles
  COLORREF caption = CLR_INVALID;  // on the screen (--screen): the middle of the caption
  COLORREF face = CLR_INVALID;     // and the dialog's background beside its OK button
  DWORD exitCode = 99;
};

// The colour on the screen at a point, drawn by whichever program shows there.
COLORREF ScreenPixel(POINT at) {
  Canvas canvas(1, 1);
  KestrinWinNS::CScopedClientDC screen(nullptr);
  BitBlt(canvas.dc(), 0, 0, 1, 1, screen.Get(), at.x, at.y, SRCCOPY);
  return canvas.At(0, 0);
}

// The colour at a point once it is one of `wanted` (the window is painted), or after five
// seconds whatever it is then.
COLORREF ScreenPixelOnceIn(POINT at, std::initializer_list<COLORREF> wanted) {
  COLORREF now = ScreenPixel(at);
  for (int i = 0; i < 250 && std::find(wanted.begin(), wanted.end(), now) == wanted.end(); ++i) {
    Sleep(20);
    now = ScreenPixel(at);
  }
  return now;
}

// The colours of the project's skin in the variant the program loads (NORMALDARKBLUE.INI).
constexpr COLORREF kSkinActiveCaption = RGB(40, 80, 160), kSkinInactiveCaption = RGB(120, 140, 170);
constexpr COLORREF kSkinDialogFace = RGB(150, 170, 200);

// Starts Kestrin.exe with `temp` as its temp folder, opens the About box as the icon's menu
// does, notes its frame, closes it and ends the program.
FrameSeen AboutBoxAsShown(const std::wstring& temp, bool skinned) {
  FrameSeen seen;
  PROCESS_INFORMATION pi = Launch(temp);
  HWND tray = WaitForTrayWindow(pi.hProcess);
  HWND about = nullptr;
  if (tray) {
    PostMessageW(tray, WM_COMMAND, ID_TRAY_ABOUT, 0);
    about = WaitForShownWindow(pi, L"#32770", L"About Kestrin");
  }
  if (about) {
    seen.opened = true;
    RECT w, c;
    GetWindowRect(about, &w);
    GetClientRect(about, &c);
    MapWindowPoints(about, nullptr, reinterpret_cast<POINT*>(&c), 2);
    seen.insets = {c.left - w.left, c.top - w.top, w.right - c.right, w.bottom - c.bottom};
    RECT frame{0, 0, 100, 100};
    AdjustWindowRectEx(&frame, GetWindowLongW(about, GWL_STYLE), FALSE, GetWindowLongW(about, GWL_EXSTYLE));
    seen.systemInsets = {-frame.left, -frame.top, frame.right - 100, frame.bottom - 100};
    KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
    seen.hasRegion = GetWindowRgn(about, region.Get()) != ERROR;
    seen.cornerShown = PtInRegion(region.Get(), 0, 0) != FALSE;
    seen.centreShown = PtInRegion(region.Get(), (w.right - w.left) / 2, (w.bottom - w.top) / 2) != FALSE;
    if (g_screen) {
      const COLORREF face = skinned ? kSkinDialogFace : GetSysColor(COLOR_BTNFACE);
      seen.face = ScreenPixelOnceIn(POINT{c.left + 6, c.bottom - 6}, {face});
      seen.caption = skinned ? ScreenPixelOnceIn(POINT{(w.left + w.right) / 2, w.top + seen.insets.top / 2},
                                                 {kSkinActiveCaption, kSkinInactiveCaption})
                             : ScreenPixel(POINT{(w.left + w.right) / 2, w.top + seen.insets.top / 2});
    }
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 1000 && IsWindow(about); ++i) Sleep(10);
  }
  if (tray) PostMessageW(tray, WM_CLOSE, 0, 0);
  else TerminateProcess(pi.hProcess, 98);
  seen.exitCode = WaitExit(pi);
  return seen;
}

std::wstring EmptyFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW((folder + L"\\Vista.tkstyles").c_str());
  return folder;
}

// The skin file in the program's temp folder reframes its windows: the About box gets the
// skin's borders and the region that cuts its caption corners; without the file it keeps the
// system's frame. Either way the program ends cleanly.
TEST(TrayProgram, AppliesTheSkinFoundInItsTempFolder) {
  ASSERT_FALSE(g_tray.empty()) << "--tray= missing";
  ASSERT_FALSE(g_skin.empty()) << "--skin= missing";
  traytest::DeleteSettingsKey();
  {
    SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupAll);
    ASSERT_TRUE(settings.CreateDefaults());
  }
  traytest::WriteDword(L"NextUpDate", 0xFFFFFFFF);

  const std::wstring plainFolder = EmptyFolder(L"kestrin-tray-unskinned");
  const FrameSeen plain = AboutBoxAsShown(plainFolder, false);
  ASSERT_TRUE(plain.opened);
  EXPECT_FALSE(plain.hasRegion);
  EXPECT_EQ(0u, plain.exitCode);

  const std::wstring skinFolder = EmptyFolder(L"kestrin-tray-skinned");
  ASSERT_TRUE(CopyFileW(g_skin.c_str(), (skinFolder + L"\\Vista.tkstyles").c_str(), FALSE));
  const FrameSeen skinned = AboutBoxAsShown(skinFolder, true);
  DeleteFileW((skinFolder + L"\\Vista.tkstyles").c_str());
  ASSERT_TRUE(skinned.opened);
  EXPECT_TRUE(skinned.hasRegion);
  EXPECT_FALSE(skinned.cornerShown);
  EXPECT_TRUE(skinned.centreShown);
  // The skin's caption (23) over the dialog frame (3); the system's is smaller.
  EXPECT_EQ(3, skinned.insets.left);
  EXPECT_EQ(26, skinned.insets.top);
  EXPECT_EQ(3, skinned.insets.right);
  EXPECT_EQ(3, skinned.insets.bottom);
  EXPECT_EQ(plain.systemInsets.top, plain.insets.top);
  EXPECT_EQ(plain.systemInsets.left, plain.insets.left);
  EXPECT_NE(plain.insets.top, skinned.insets.top);
  if (g_screen) {
    // Drawn in the skin's colours, its caption (active or not) and its dialog face; without the
    // file, in the system's.
    EXPECT_TRUE(skinned.caption == kSkinActiveCaption || skinned.caption == kSkinInactiveCaption)
        << std::hex << skinned.caption;
    EXPECT_EQ(kSkinDialogFace, skinned.face);
    EXPECT_NE(kSkinActiveCaption, plain.caption);
    EXPECT_NE(kSkinInactiveCaption, plain.caption);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), plain.face);
  }
  EXPECT_EQ(0u, skinned.exitCode);
  RemoveDirectoryW(plainFolder.c_str());
  RemoveDirectoryW(skinFolder.c_str());
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
    } else if (arg.rfind("--skin=", 0) == 0) {
      std::string path = arg.substr(7);
      for (char& c : path)
        if (c == '/') c = '\\';
      if (!path.empty() && path[0] == '\\') path = "Z:" + path;
      g_skin.assign(path.begin(), path.end());
    } else if (arg == "--screen") {
      g_screen = true;
    }
  }
  return RUN_ALL_TESTS();
}
