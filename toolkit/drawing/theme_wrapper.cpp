#include "toolkit/drawing/theme_wrapper.h"

#include <dwmapi.h>

#include "platform/win/guarded_call.h"
#include "toolkit/drawing/system_helpers.h"

// Every call into the libraries runs guarded: a broken visual style that faults inside a call
// gives that call's failure value instead of taking the program down.
using platform::GuardedCall;
using platform::GuardedCallOr;

namespace {

enum Slot {
  kOpenThemeData,
  kCloseThemeData,
  kDrawThemeBackground,
  kDrawThemeTextEx,
  kGetThemeColor,
  kGetThemeSysBool,
  kGetCurrentThemeName,
  kIsAppThemed,
  kIsThemeActive,
  kBeginBufferedPaint,
  kEndBufferedPaint,
  kSlotCount
};

const char* const kSlotNames[kSlotCount] = {
    "OpenThemeData",  "CloseThemeData",      "DrawThemeBackground", "DrawThemeTextEx",
    "GetThemeColor",  "GetThemeSysBool",     "GetCurrentThemeName", "IsAppThemed",
    "IsThemeActive",  "BeginBufferedPaint",  "EndBufferedPaint",
};

HMODULE LoadedThemeModule() { return GetModuleHandleA("UXTHEME.DLL"); }

// Process-wide: the library as loaded at start and the functions resolved from it. The table
// is filled without a lock; a race resolves the same pointer twice.
struct ThemeModuleState {
  HMODULE module = nullptr;
  FARPROC slots[kSlotCount] = {};
  CTKProcResolver resolver = nullptr;
  CTKModuleSource source = &LoadedThemeModule;

  ThemeModuleState() {
    module = LoadLibraryW(L"UxTheme.dll");
    GetCommonControlsVersion();
  }
  void Clear() {
    for (FARPROC& p : slots) p = nullptr;
  }
  FARPROC Get(Slot slot) {
    if (!module) return nullptr;
    if (!slots[slot]) slots[slot] = resolver ? resolver(module, kSlotNames[slot]) : GetProcAddress(module, kSlotNames[slot]);
    return slots[slot];
  }
};

ThemeModuleState& State() {
  static ThemeModuleState state;
  return state;
}

template <typename F>
F Fn(Slot slot) {
  return reinterpret_cast<F>(State().Get(slot));
}

}  // namespace

void CTKWinThemeWrapper::RefreshThemeModule() {
  ThemeModuleState& state = State();
  HMODULE now = state.source ? state.source() : nullptr;
  if (now != state.module) {
    state.module = now;
    state.Clear();
  }
}

void CTKWinThemeWrapper::SetProcResolver(CTKProcResolver resolver) {
  State().resolver = resolver;
  State().Clear();
}

void CTKWinThemeWrapper::SetModuleSource(CTKModuleSource source) {
  State().source = source ? source : &LoadedThemeModule;
  State().Clear();
}

CTKWinThemeWrapper::~CTKWinThemeWrapper() { CloseTheme(); }

HTHEME CTKWinThemeWrapper::OpenTheme(HWND hwnd, const wchar_t* classList) {
  RefreshThemeModule();
  CloseTheme();
  if (auto open = Fn<HTHEME(WINAPI*)(HWND, LPCWSTR)>(kOpenThemeData))
    theme_ = GuardedCallOr<HTHEME>(nullptr, [&] { return open(hwnd, classList); });
  return theme_;
}

HRESULT CTKWinThemeWrapper::CloseTheme() {
  HRESULT hr = 0;
  if (theme_) {
    if (auto close = Fn<HRESULT(WINAPI*)(HTHEME)>(kCloseThemeData))
      hr = GuardedCallOr<HRESULT>(0, [&] { return close(theme_); });
  }
  theme_ = nullptr;
  return hr;
}

HRESULT CTKWinThemeWrapper::DrawThemeBackground(HDC dc, int part, int state, const RECT* rect, const RECT* clip) {
  auto fn = Fn<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*)>(kDrawThemeBackground);
  return fn ? GuardedCallOr<HRESULT>(E_FAIL, [&] { return fn(theme_, dc, part, state, rect, clip); }) : E_FAIL;
}

HRESULT CTKWinThemeWrapper::DrawThemeTextEx(HDC dc, int part, int state, const wchar_t* text, int count, DWORD flags,
                                            RECT* rect, const DTTOPTS* options) {
  auto fn = Fn<HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, LPRECT, const DTTOPTS*)>(kDrawThemeTextEx);
  return fn ? GuardedCallOr<HRESULT>(E_FAIL, [&] { return fn(theme_, dc, part, state, text, count, flags, rect, options); })
            : E_FAIL;
}

HRESULT CTKWinThemeWrapper::GetThemeColor(int part, int state, int property, COLORREF* color) {
  auto fn = Fn<HRESULT(WINAPI*)(HTHEME, int, int, int, COLORREF*)>(kGetThemeColor);
  return fn ? GuardedCallOr<HRESULT>(E_FAIL, [&] { return fn(theme_, part, state, property, color); }) : E_FAIL;
}

BOOL CTKWinThemeWrapper::GetThemeSysBool(int id) {
  auto fn = Fn<BOOL(WINAPI*)(HTHEME, int)>(kGetThemeSysBool);
  return fn ? GuardedCallOr<BOOL>(FALSE, [&] { return fn(theme_, id); }) : FALSE;
}

HRESULT CTKWinThemeWrapper::GetCurrentThemeName(wchar_t* file, int fileChars, wchar_t* color, int colorChars,
                                                wchar_t* size, int sizeChars) {
  auto fn = Fn<HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int)>(kGetCurrentThemeName);
  return fn ? GuardedCallOr<HRESULT>(E_FAIL, [&] { return fn(file, fileChars, color, colorChars, size, sizeChars); })
            : E_FAIL;
}

BOOL CTKWinThemeWrapper::IsThemeInUse() {
  if (!theme_) return FALSE;
  auto fn = Fn<BOOL(WINAPI*)()>(kIsAppThemed);
  return fn ? GuardedCallOr<BOOL>(FALSE, fn) : FALSE;
}

BOOL CTKWinThemeWrapper::IsThemeActive() {
  if (!theme_) RefreshThemeModule();
  auto fn = Fn<BOOL(WINAPI*)()>(kIsThemeActive);
  return fn ? GuardedCallOr<BOOL>(FALSE, fn) : FALSE;
}

HPAINTBUFFER CTKWinThemeWrapper::BeginBufferedPaint(HDC dc, const RECT* rect, BP_BUFFERFORMAT format,
                                                    BP_PAINTPARAMS* params, HDC* out) {
  auto fn = Fn<HPAINTBUFFER(WINAPI*)(HDC, const RECT*, BP_BUFFERFORMAT, BP_PAINTPARAMS*, HDC*)>(kBeginBufferedPaint);
  return fn ? GuardedCallOr<HPAINTBUFFER>(nullptr, [&] { return fn(dc, rect, format, params, out); }) : nullptr;
}

void CTKWinThemeWrapper::EndBufferedPaint(HPAINTBUFFER buffer, BOOL update) {
  if (auto fn = Fn<HRESULT(WINAPI*)(HPAINTBUFFER, BOOL)>(kEndBufferedPaint)) GuardedCall([&] { fn(buffer, update); });
}

// ---- desktop composition ----

CTKDwmFunctions::CTKDwmFunctions() : module_(LoadLibraryW(L"dwmapi.dll")) {}

CTKDwmFunctions::~CTKDwmFunctions() = default;

CTKDwmFunctions& CTKDwmFunctions::Instance() {
  static CTKDwmFunctions functions;
  return functions;
}

void CTKDwmFunctions::SetProcResolver(CTKProcResolver resolver) {
  resolver_ = resolver;
  def_window_proc_ = extend_frame_ = is_composition_enabled_ = nullptr;
}

FARPROC CTKDwmFunctions::Resolve(FARPROC& slot, const char* name) {
  if (!slot && module_) slot = resolver_ ? resolver_(module_.Get(), name) : GetProcAddress(module_.Get(), name);
  return slot;
}

HRESULT CTKDwmFunctions::DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto fn = reinterpret_cast<BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM, LRESULT*)>(
      Resolve(def_window_proc_, "DwmDefWindowProc"));
  if (!fn) return E_FAIL;
  return GuardedCallOr<HRESULT>(E_FAIL, [&] { return fn(hwnd, msg, wParam, lParam, result) ? S_OK : S_FALSE; });
}

HRESULT CTKDwmFunctions::ExtendFrameIntoClientArea(HWND hwnd, int left, int right, int top, int bottom) {
  auto fn = reinterpret_cast<HRESULT(WINAPI*)(HWND, const MARGINS*)>(
      Resolve(extend_frame_, "DwmExtendFrameIntoClientArea"));
  if (!fn) return E_FAIL;
  MARGINS margins{left, right, top, bottom};
  return GuardedCallOr<HRESULT>(E_FAIL, [&] { return fn(hwnd, &margins); });
}

BOOL CTKDwmFunctions::IsCompositionEnabled() {
  auto fn = reinterpret_cast<HRESULT(WINAPI*)(BOOL*)>(Resolve(is_composition_enabled_, "DwmIsCompositionEnabled"));
  BOOL enabled = FALSE;
  return fn && SUCCEEDED(GuardedCallOr<HRESULT>(E_FAIL, [&] { return fn(&enabled); })) && enabled;
}
