// Owns one top-level window of the tray program's window class.
//   window_standin.exe obey|ignore <ready event name>
// "obey" ends with exit code 0 on WM_CLOSE; "ignore" swallows WM_CLOSE and runs until ended.
// The named event is set once the window exists.
#include <windows.h>
#include <shellapi.h>

#include <string.h>

#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"

namespace {

bool g_ignore_close = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      if (g_ignore_close) return 0;
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  KestrinWinNS::CScopedLocalMemory args(CommandLineToArgvW(GetCommandLineW(), &argc));
  wchar_t** argv = static_cast<wchar_t**>(args.Get());
  if (!argv || argc < 3) return 2;
  g_ignore_close = wcscmp(argv[1], L"ignore") == 0;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"Torvan_ZNR_Shadow_Class";
  if (!RegisterClassW(&wc)) return 3;
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  if (!window) return 4;
  KestrinWinNS::CScopedKernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
  args.Reset();
  if (ready) {
    SetEvent(ready.Get());
    ready.Reset();
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
