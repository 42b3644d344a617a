// The tray program on a screen, for tools/traydemo/tray-demo.sh to photograph: it starts as at
// logon, opens the icon's menu, the About box and each page of the options sheet, and on the
// first page changes the border colour and applies it. At each sight it writes <shots>\<name>.ready
// and waits for <shots>\<name>.done.
//   tray_demo.exe --shots DIR
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/settings/settings.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"
#include "tray/tray_app.h"
#include "tray/tray_resource.h"

namespace {

std::wstring g_shots;
CDravixTrayMFCDlg* g_tray = nullptr;

// The demo's choice in the colour dialog: a deep blue.
class CDemoServices : public CSystemTrayServices {
 public:
  bool ChooseColour(HWND, COLORREF* colour) override {
    *colour = RGB(0x20, 0x40, 0xE0);
    return true;
  }
};

// At each sight the .ready file holds the screen rectangle of the window in view ("x y w h"),
// for the script to cut that window out of the screen.
void Sight(const wchar_t* name, HWND subject = nullptr) {
  std::wstring ready = g_shots + L"\\" + name + L".ready", done = g_shots + L"\\" + name + L".done";
  // Written under another name and then renamed, so the script never reads half a line.
  const std::wstring writing = ready + L".tmp";
  KestrinWinNS::CScopedKernelHandle file(
      CreateFileW(writing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  RECT rc{};
  if (file && subject && GetWindowRect(subject, &rc)) {
    char line[64];
    const int n = wsprintfA(line, "%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    DWORD written = 0;
    WriteFile(file.Get(), line, static_cast<DWORD>(n), &written, nullptr);
  }
  file.Reset();  // closed before the rename
  MoveFileExW(writing.c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING);
  for (int i = 0; i < 600 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(100);
  }
}

// Steps run from whatever loop is pumping (the menu's, the About box's, the sheet's).
void (*g_next)() = nullptr;
void CALLBACK Step(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  void (*step)() = g_next;
  g_next = nullptr;
  if (step) step();
}
void Later(void (*step)(), UINT ms = 300) {
  g_next = step;
  SetTimer(nullptr, 0, ms, &Step);
}

void InSheet() {
  HWND sheet = g_tray->GetOptions().m_hWnd;
  const wchar_t* names[] = {L"page-border", L"page-audio", L"page-general", L"page-kraida"};
  for (int page = 0; page < 4; ++page) {
    SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
    UpdateWindow(sheet);
    Sight(names[page], sheet);
  }
  SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
  HWND border = g_tray->GetOptions().m_borderPage.m_hWnd;
  SendMessageW(GetDlgItem(border, IDC_CHANGE_COLOR), BM_CLICK, 0, 0);
  UpdateWindow(sheet);
  Sight(L"page-border-changed", sheet);
  SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
}

void OpenSheet() {
  Later(&InSheet);
  SendMessageW(g_tray->m_hWnd, WM_COMMAND, ID_TRAY_OPTIONS, 0);
  PostMessageW(g_tray->m_hWnd, WM_CLOSE, 0, 0);
}

void InAbout() {
  HWND about = FindWindowW(L"#32770", L"About Kestrin");
  UpdateWindow(about);
  Sight(L"about", about);
  PostMessageW(FindWindowW(L"#32770", L"About Kestrin"), WM_COMMAND, IDOK, 0);
  Later(&OpenSheet);
}

void OpenAbout() {
  Later(&InAbout);
  SendMessageW(g_tray->m_hWnd, WM_COMMAND, ID_TRAY_ABOUT, 0);
}

void InMenu() {
  Sight(L"menu");
  EndMenu();
  Later(&OpenAbout);
}

void OpenMenu() {
  Later(&InMenu);
  SetCursorPos(900, 700);
  g_tray->ShowTrayMenu();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  {
    KestrinWinNS::CScopedLocalMemory args(CommandLineToArgvW(GetCommandLineW(), &argc));
    wchar_t** argv = static_cast<wchar_t**>(args.Get());
    for (int i = 1; i + 1 < argc; ++i)
      if (!wcscmp(argv[i], L"--shots")) g_shots = argv[i + 1];
  }
  {
    // The settings as setup leaves them, with no update check due during the demo.
    SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupAll);
    settings.CreateDefaults();
    settings.SetNextUpDate(0xFFFFFFFFll, true);
  }
  CDemoServices services;
  CDravixTrayMFCApp app(&services);
  if (!app.StartUp()) return 1;
  g_tray = app.GetMainWindow();
  Later(&OpenMenu, 1000);
  return app.Run();
}
