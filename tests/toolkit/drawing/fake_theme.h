// A visual-styles library that answers what the test sets, installed through the theme
// wrapper's resolver. Uninstalled on destruction. Each DrawThemeBackground fills its rectangle
// with a colour made of the part and state, so that pixels tell which part was drawn.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <cstring>
#include <string>

#include "platform/win/gdi.h"
#include "toolkit/drawing/theme_wrapper.h"

struct FakeTheme {
  static inline bool active = false;
  static inline bool missing = false;
  // Every function of the library faults inside, as a broken visual style may.
  static inline bool faulting = false;
  static inline std::wstring file;
  static inline std::wstring color;
  static inline COLORREF border = 0;
  static inline int resolved = 0;
  static inline int opened = 0;
  static inline int closed = 0;
  static inline bool flat_menu_flag = false;
  static inline int draws = 0;

  FakeTheme() {
    active = false;
    missing = false;
    faulting = false;
    file.clear();
    color.clear();
    border = 0;
    resolved = opened = closed = 0;
    flat_menu_flag = false;
    draws = 0;
    CTKWinThemeWrapper::SetProcResolver(&Resolve);
  }
  ~FakeTheme() { CTKWinThemeWrapper::SetProcResolver(nullptr); }

  static COLORREF PartColor(int part, int state) { return RGB(part * 10, state * 10, 200); }

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
  static BOOL WINAPI GetThemeSysBool(HTHEME, int id) { return id == 1001 && flat_menu_flag; }
  static HRESULT WINAPI DrawThemeBackground(HTHEME, HDC dc, int part, int state, const RECT* rc, const RECT*) {
    ++draws;
    KestrinWinNS::CScopedBrush brush(::CreateSolidBrush(PartColor(part, state)));
    ::FillRect(dc, rc, brush.Get());
    return S_OK;
  }
  static HRESULT WINAPI GetCurrentThemeName(LPWSTR f, int fc, LPWSTR c, int cc, LPWSTR, int) {
    if (!active) return E_FAIL;
    lstrcpynW(f, file.c_str(), fc);
    lstrcpynW(c, color.c_str(), cc);
    return S_OK;
  }

  // Reads through a null pointer; every visual-styles function takes at least one argument, so
  // one stand-in with a first argument serves them all (the arguments are the caller's to pop
  // under the 64-bit convention; under stdcall the fault comes before the return would).
  static __attribute__((noinline)) LRESULT WINAPI Faults(void* first) {
    static int* volatile nowhere = nullptr;
    return *nowhere + reinterpret_cast<LRESULT>(first);
  }

  static FARPROC Resolve(HMODULE, const char* name) {
    ++resolved;
    if (missing) return nullptr;
    if (faulting) return reinterpret_cast<FARPROC>(&Faults);
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
        {"GetThemeSysBool", reinterpret_cast<FARPROC>(&GetThemeSysBool)},
        {"DrawThemeBackground", reinterpret_cast<FARPROC>(&DrawThemeBackground)},
    };
    for (const Entry& e : entries)
      if (std::strcmp(e.name, name) == 0) return e.fn;
    return nullptr;
  }
};
