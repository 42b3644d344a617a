// Visual styles and desktop composition through functions resolved by name at run time: a
// missing library or function gives the failure value of the call, never an error.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include "platform/win/scoped_handle.h"

// Resolves one function of the visual-styles or composition library. Tests install their own
// to answer in place of the system.
using CTKProcResolver = FARPROC (*)(HMODULE module, const char* name);
// Finds the visual-styles library currently loaded in the process.
using CTKModuleSource = HMODULE (*)();

class CTKWinThemeWrapper {
 public:
  CTKWinThemeWrapper() = default;
  virtual ~CTKWinThemeWrapper();
  CTKWinThemeWrapper(const CTKWinThemeWrapper&) = delete;
  CTKWinThemeWrapper& operator=(const CTKWinThemeWrapper&) = delete;

  HTHEME OpenTheme(HWND hwnd, const wchar_t* classList);
  HRESULT CloseTheme();
  HTHEME Theme() const { return theme_; }

  HRESULT DrawThemeBackground(HDC dc, int part, int state, const RECT* rect, const RECT* clip);
  HRESULT DrawThemeTextEx(HDC dc, int part, int state, const wchar_t* text, int count, DWORD flags, RECT* rect,
                          const DTTOPTS* options);
  HRESULT GetThemeColor(int part, int state, int property, COLORREF* color);
  BOOL GetThemeSysBool(int id);
  HRESULT GetCurrentThemeName(wchar_t* file, int fileChars, wchar_t* color, int colorChars, wchar_t* size,
                              int sizeChars);
  BOOL IsThemeInUse();
  BOOL IsThemeActive();
  HPAINTBUFFER BeginBufferedPaint(HDC dc, const RECT* rect, BP_BUFFERFORMAT format, BP_PAINTPARAMS* params,
                                  HDC* out);
  void EndBufferedPaint(HPAINTBUFFER buffer, BOOL update);

  // Takes the visual-styles library now loaded; when it is another one than before, every
  // function is resolved again.
  static void RefreshThemeModule();
  // Seams: how functions are resolved and where the loaded library is found. NULL restores
  // GetProcAddress and GetModuleHandle("UXTHEME.DLL"). Both clear the resolved functions.
  static void SetProcResolver(CTKProcResolver resolver);
  static void SetModuleSource(CTKModuleSource source);

 private:
  HTHEME theme_ = nullptr;
};

// The desktop-composition functions of dwmapi.
class CTKDwmFunctions {
 public:
  static CTKDwmFunctions& Instance();

  HRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  HRESULT ExtendFrameIntoClientArea(HWND hwnd, int left, int right, int top, int bottom);
  // FALSE when composition is off or its library is missing.
  BOOL IsCompositionEnabled();

  // Seam: NULL restores GetProcAddress. Clears the resolved functions.
  void SetProcResolver(CTKProcResolver resolver);

 private:
  CTKDwmFunctions();
  ~CTKDwmFunctions();
  FARPROC Resolve(FARPROC& slot, const char* name);

  KestrinWinNS::CScopedLibrary module_;
  CTKProcResolver resolver_ = nullptr;
  FARPROC def_window_proc_ = nullptr;
  FARPROC extend_frame_ = nullptr;
  FARPROC is_composition_enabled_ = nullptr;
};
