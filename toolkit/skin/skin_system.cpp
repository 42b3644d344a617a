#include "toolkit/skin/skin_system.h"

namespace SkinSystem {

FARPROC Function(const wchar_t* module, const char* name) {
  HMODULE handle = GetModuleHandleW(module);
  return handle ? GetProcAddress(handle, name) : nullptr;
}

namespace {
template <typename F>
F User32(const char* name) {
  return reinterpret_cast<F>(Function(L"user32.dll", name));
}
}  // namespace

LRESULT CallWindowProc(bool unicode, WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  using Fn = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
  static const Fn wide = User32<Fn>("CallWindowProcW");
  static const Fn narrow = User32<Fn>("CallWindowProcA");
  return (unicode ? wide : narrow)(proc, hwnd, message, wParam, lParam);
}

DWORD GetSysColor(int index) {
  using Fn = DWORD(WINAPI*)(int);
  static const Fn fn = User32<Fn>("GetSysColor");
  return fn(index);
}

HBRUSH GetSysColorBrush(int index) {
  using Fn = HBRUSH(WINAPI*)(int);
  static const Fn fn = User32<Fn>("GetSysColorBrush");
  return fn(index);
}

BOOL SystemParametersInfoW(UINT action, UINT param, void* data, UINT flags) {
  using Fn = BOOL(WINAPI*)(UINT, UINT, void*, UINT);
  static const Fn fn = User32<Fn>("SystemParametersInfoW");
  return fn(action, param, data, flags);
}

}  // namespace SkinSystem
