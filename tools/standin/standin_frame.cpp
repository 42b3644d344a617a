#include "tools/standin/standin_frame.h"

namespace standin {

HWND CreateFrameWindow(const char* class_name, const char* title, const RECT& place, DWORD style, WNDPROC proc) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing = {sizeof(existing)};
  if (!GetClassInfoExA(module, class_name, &existing)) {
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.lpszClassName = class_name;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  }
  return CreateWindowExA(0, class_name, title, WS_OVERLAPPEDWINDOW | style, place.left, place.top,
                         place.right - place.left, place.bottom - place.top, nullptr, nullptr, module, nullptr);
}

void PumpMessagesFor(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    LONG left = static_cast<LONG>(until - GetTickCount());
    if (left <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 20 ? left : 20), QS_ALLINPUT);
  }
}

}  // namespace standin
