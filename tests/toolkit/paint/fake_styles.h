// Visual styles that answer as the test says, through the theme wrapper's resolver: each
// DrawThemeBackground fills its rectangle with a colour made of the part and state, so that
// pixels tell which part was drawn.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <cstring>

#include "platform/win/gdi.h"
#include "toolkit/drawing/theme_wrapper.h"

struct FakeStyles {
  static inline bool active = false;
  static inline bool flat_menu_flag = false;
  static inline int draws = 0;

  explicit FakeStyles(bool on) {
    active = on;
    flat_menu_flag = false;
    draws = 0;
    CTKWinThemeWrapper::SetProcResolver(&Resolve);
  }
  ~FakeStyles() { CTKWinThemeWrapper::SetProcResolver(nullptr); }

  static COLORREF PartColor(int part, int state) { return RGB(part * 10, state * 10, 200); }

  static BOOL WINAPI IsThemeActive() { return active; }
  static BOOL WINAPI IsAppThemed() { return active; }
  static HTHEME WINAPI OpenThemeData(HWND, LPCWSTR) { return active ? reinterpret_cast<HTHEME>(0x1234) : nullptr; }
  static HRESULT WINAPI CloseThemeData(HTHEME) { return S_OK; }
  static HRESULT WINAPI GetThemeColor(HTHEME, int, int, int, COLORREF*) { return E_FAIL; }
  static BOOL WINAPI GetThemeSysBool(HTHEME, int id) { return id == 1001 && flat_menu_flag; }
  static HRESULT WINAPI DrawThemeBackground(HTHEME, HDC dc, int part, int state, const RECT* rc, const RECT*) {
    ++draws;
    KestrinWinNS::CScopedBrush brush(::CreateSolidBrush(PartColor(part, state)));
    ::FillRect(dc, rc, brush.Get());
    return S_OK;
  }

  static FARPROC Resolve(HMODULE, const char* name) {
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
        {"GetThemeSysBool", reinterpret_cast<FARPROC>(&GetThemeSysBool)},
        {"DrawThemeBackground", reinterpret_cast<FARPROC>(&DrawThemeBackground)},
    };
    for (const Entry& e : entries)
      if (std::strcmp(e.name, name) == 0) return e.fn;
    return nullptr;
  }
};
