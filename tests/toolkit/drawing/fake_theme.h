// A visual-styles library that answers what the test sets, installed through the theme
// wrapper's resolver. Uninstalled on destruction.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <cstring>
#include <string>

#include "toolkit/drawing/theme_wrapper.h"

struct FakeTheme {
  static inline bool active = false;
  static inline bool missing = false;
  static inline std::wstring file;
  static inline std::wstring color;
  static inline COLORREF border = 0;
  static inline int resolved = 0;
  static inline int opened = 0;
  static inline int closed = 0;

  FakeTheme() {
    active = false;
    missing = false;
    file.clear();
    color.clear();
    border = 0;
    resolved = opened = closed = 0;
    CTKWinThemeWrapper::SetProcResolver(&Resolve);
  }
  ~FakeTheme() { CTKWinThemeWrapper::SetProcResolver(nullptr); }

  static BOOL WINAPI IsThemeActive() { return active; }
  static BOOL WINAPI IsAppThemed() { return active; }
  static HTHEME WINAPI OpenThemeData(HWND, LPCWSTR) {
    ++opened;
    return active ? reinterpret_cast<HTHEME>(0x1234) : nullptr;
  }
  static HRESULT WINAPI CloseThemeData(HTHEME) {
    ++closed;
    return S_OK;
  }
  static HRESULT WINAPI GetThemeColor(HTHEME, int, int, int prop, COLORREF* c) {
    if (prop != 3801) return E_INVALIDARG;
    *c = border;
    return S_OK;
  }
  static HRESULT WINAPI GetCurrentThemeName(LPWSTR f, int fc, LPWSTR c, int cc, LPWSTR, int) {
    if (!active) return E_FAIL;
    lstrcpynW(f, file.c_str(), fc);
    lstrcpynW(c, color.c_str(), cc);
    return S_OK;
  }

  static FARPROC Resolve(HMODULE, const char* name) {
    ++resolved;
    if (missing) return nullptr;
    struct Entry {
      const char* name;
      FARPROC fn;
    };
    const Entry entries[] = {
        {"IsThemeActive", reinterpret_cast<FARPROC>(&IsThemeActive)},
        {"IsAppThemed", reinterpret_cast<FARPROC>(&IsAppThemed)},
        {"OpenThemeData", reinterpret_cast<FARPROC>(&OpenThemeData)},
        {"CloseThemeData", reinterpret_cast<FARPROC>(&CloseThemeData)},
        {"GetThemeColor", reinterpret_cast<FARPROC>(&GetThemeColor)},
        {"GetCurrentThemeName", reinterpret_cast<FARPROC>(&GetCurrentThemeName)},
    };
    for (const Entry& e : entries)
      if (std::strcmp(e.name, name) == 0) return e.fn;
    return nullptr;
  }
};
