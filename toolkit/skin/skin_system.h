// The system's own functions, called past the skin's redirected imports, for the skin's own code.
#pragma once

#include <windows.h>

namespace SkinSystem {

FARPROC Function(const wchar_t* module, const char* name);
LRESULT CallWindowProc(bool unicode, WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);
BOOL SystemParametersInfoW(UINT action, UINT param, void* data, UINT flags);

}  // namespace SkinSystem
