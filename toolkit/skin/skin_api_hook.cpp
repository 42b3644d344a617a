#include "toolkit/skin/skin_api_hook.h"

#include <uxtheme.h>

#include <cstring>

#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_module_list.h"
#include "toolkit/skin/skin_object.h"
#include "toolkit/skin/skin_resource_file.h"
#include "toolkit/skin/skin_schema.h"

namespace {

CTKSkinManagerApiHook* g_hook = nullptr;

enum Slot {
  kLoadLibraryA = 0, kLoadLibraryW, kLoadLibraryExA, kLoadLibraryExW, kGetProcAddress, kGetModuleHandleA,
  kRegisterClassA, kRegisterClassW, kGetSysColor, kGetSysColorBrush, kDrawEdge, kDrawFrameControl, kSetScrollInfo,
  kSetScrollPos, kGetScrollInfo, kEnableScrollBar, kOpenThemeData, kDrawThemeBackground, kCloseThemeData,
  kGetThemeColor, kIsAppThemed, kIsThemeActive, kGetCurrentThemeName, kGetThemeSysBool, kGetThemeSysColor,
  kGetThemePartSize, kSystemParametersInfoW, kDefWindowProcA, kDefWindowProcW, kCallWindowProcA, kCallWindowProcW,
  kCreateThread
};

bool SameAscii(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
    if (!x) return true;
  }
}

ULONG_PTR HighestApplicationAddress() {
  static const ULONG_PTR highest = [] {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return reinterpret_cast<ULONG_PTR>(info.lpMaximumApplicationAddress);
  }();
  return highest;
}

// On 32-bit systems of the 9x family, system functions may be reached through a push-immediate
// stub above the application's address range: the stub's operand is the real address.
FARPROC StubTarget(ULONG_PTR address) {
#if defined(_M_IX86) || defined(__i386__)
  MEMORY_BASIC_INFORMATION region{};
  if (address > HighestApplicationAddress() && VirtualQuery(reinterpret_cast<void*>(address), &region, sizeof(region)) &&
      region.State == MEM_COMMIT && !(region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) &&
      *reinterpret_cast<const BYTE*>(address) == 0x68) {
    DWORD operand;
    memcpy(&operand, reinterpret_cast<const BYTE*>(address) + 1, 4);
    return reinterpret_cast<FARPROC>(static_cast<ULONG_PTR>(operand));
  }
#else
  (void)address;
#endif
  return nullptr;
}

template <typename F>
F System(int index, const wchar_t* module, const char* name) {
  FARPROC fn = g_hook ? g_hook->GetSystemFunction(index) : nullptr;
  if (!fn) fn = GetProcAddress(GetModuleHandleW(module), name);
  return reinterpret_cast<F>(fn);
}

CTKSkinManager* LoadedManager() {
  CTKSkinManager* m = g_hook ? g_hook->Manager() : nullptr;
  return m && m->IsSkinLoaded() ? m : nullptr;
}

bool IsUxThemeModule(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  if (!module || !GetModuleFileNameW(module, path, MAX_PATH)) return false;
  const wchar_t* base = wcsrchr(path, L'\\');
  return lstrcmpiW(base ? base + 1 : path, L"uxtheme.dll") == 0;
}

bool IsShellModule(const wchar_t* name) {
  if (!name) return false;
  const wchar_t* base = wcsrchr(name, L'\\');
  base = base ? base + 1 : name;
  return StrStrIW(base, L"shlwapi") == base || StrStrIW(base, L"comctl32") == base;
}

void AfterLoad(HMODULE module, DWORD flags) {
  if (g_hook) g_hook->PatchNewModule(module, flags);
}

// ---- replacements ----

HMODULE WINAPI SkinLoadLibraryA(LPCSTR name) {
  using Fn = HMODULE(WINAPI*)(LPCSTR);
  HMODULE module = System<Fn>(kLoadLibraryA, L"kernel32.dll", "LoadLibraryA")(name);
  wchar_t wide[MAX_PATH] = {};
  if (name) MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH);
  const bool skip = g_hook && g_hook->Manager()->SkipShellModules() && IsShellModule(wide);
  if (!skip) AfterLoad(module, 0);
  return module;
}

HMODULE WINAPI SkinLoadLibraryW(LPCWSTR name) {
  using Fn = HMODULE(WINAPI*)(LPCWSTR);
  HMODULE module = System<Fn>(kLoadLibraryW, L"kernel32.dll", "LoadLibraryW")(name);
  AfterLoad(module, 0);
  return module;
}

HMODULE WINAPI SkinLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
  using Fn = HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD);
  HMODULE module = System<Fn>(kLoadLibraryExA, L"kernel32.dll", "LoadLibraryExA")(name, file, flags);
  AfterLoad(module, flags);
  return module;
}

HMODULE WINAPI SkinLoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
  using Fn = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);
  HMODULE module = System<Fn>(kLoadLibraryExW, L"kernel32.dll", "LoadLibraryExW")(name, file, flags);
  AfterLoad(module, flags);
  return module;
}

FARPROC WINAPI SkinGetProcAddress(HMODULE module, LPCSTR name) {
  using Fn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
  if (g_hook && reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && IsUxThemeModule(module)) {
    if (CTKSkinManagerApiFunction* f = g_hook->FindFunction("UXTHEME.DLL", name)) return f->Replacement();
  }
  return System<Fn>(kGetProcAddress, L"kernel32.dll", "GetProcAddress")(module, name);
}

HMODULE WINAPI SkinGetModuleHandleA(LPCSTR name) {
  using Fn = HMODULE(WINAPI*)(LPCSTR);
  HMODULE module = System<Fn>(kGetModuleHandleA, L"kernel32.dll", "GetModuleHandleA")(name);
  // While a skin is loaded the visual-styles library is there for whoever asks: a real module
  // handle, loaded on demand, that every system call accepts.
  if (!module && name && LoadedManager() && SameAscii(name, "uxtheme.dll")) {
    static const HMODULE loaded = LoadLibraryW(L"uxtheme.dll");
    module = loaded;
  }
  return module;
}

struct ThreadStart {
  LPTHREAD_START_ROUTINE routine;
  void* argument;
};

DWORD WINAPI SkinThreadStart(void* parameter) {
  ThreadStart start = *static_cast<ThreadStart*>(parameter);
  delete static_cast<ThreadStart*>(parameter);
  CTKSkinManager::InstallThreadHook();
  return start.routine(start.argument);
}

HANDLE WINAPI SkinCreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE routine, LPVOID arg,
                               DWORD flags, LPDWORD id) {
  using Fn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
  Fn system = System<Fn>(kCreateThread, L"kernel32.dll", "CreateThread");
  CTKSkinManager* manager = LoadedManager();
  if (manager && manager->AutoAttach() && routine) {
    auto* start = new ThreadStart{routine, arg};
    HANDLE thread = system(sa, stack, &SkinThreadStart, start, flags, id);
    if (!thread) delete start;
    return thread;
  }
  return system(sa, stack, routine, arg, flags, id);
}

ATOM WINAPI SkinRegisterClassA(const WNDCLASSA* wc) {
  using Fn = ATOM(WINAPI*)(const WNDCLASSA*);
  Fn system = System<Fn>(kRegisterClassA, L"user32.dll", "RegisterClassA");
  if (wc && g_hook && g_hook->Slot(kDefWindowProcA) &&
      reinterpret_cast<FARPROC>(wc->lpfnWndProc) == g_hook->Slot(kDefWindowProcA)->Replacement()) {
    WNDCLASSA copy = *wc;
    copy.lpfnWndProc = reinterpret_cast<WNDPROC>(g_hook->GetSystemFunction(kDefWindowProcA));
    return system(&copy);
  }
  return system(wc);
}

ATOM WINAPI SkinRegisterClassW(const WNDCLASSW* wc) {
  using Fn = ATOM(WINAPI*)(const WNDCLASSW*);
  Fn system = System<Fn>(kRegisterClassW, L"user32.dll", "RegisterClassW");
  if (wc && g_hook && g_hook->Slot(kDefWindowProcW) &&
      reinterpret_cast<FARPROC>(wc->lpfnWndProc) == g_hook->Slot(kDefWindowProcW)->Replacement()) {
    WNDCLASSW copy = *wc;
    copy.lpfnWndProc = reinterpret_cast<WNDPROC>(g_hook->GetSystemFunction(kDefWindowProcW));
    return system(&copy);
  }
  return system(wc);
}

DWORD WINAPI SkinGetSysColor(int index) {
  using Fn = DWORD(WINAPI*)(int);
  CTKSkinManager* manager = LoadedManager();
  if (manager && index >= 0 && index < CTKSkinManagerMetrics::kColorCount) {
    const COLORREF c = manager->Metrics()->Color(index);
    if (c != CLR_INVALID) return c;
  }
  return System<Fn>(kGetSysColor, L"user32.dll", "GetSysColor")(index);
}

HBRUSH WINAPI SkinGetSysColorBrush(int index) {
  using Fn = HBRUSH(WINAPI*)(int);
  CTKSkinManager* manager = LoadedManager();
  if (manager && index >= 0 && index < CTKSkinManagerMetrics::kColorCount) {
    if (HBRUSH brush = manager->Metrics()->Brush(index)) return brush;
  }
  return System<Fn>(kGetSysColorBrush, L"user32.dll", "GetSysColorBrush")(index);
}

BOOL WINAPI SkinDrawEdge(HDC dc, LPRECT rc, UINT edge, UINT flags) {
  using Fn = BOOL(WINAPI*)(HDC, LPRECT, UINT, UINT);
  CTKSkinManager* manager = LoadedManager();
  if (manager && rc) return SkinDrawFunctions::DrawEdge(manager, dc, rc, edge, flags);
  return System<Fn>(kDrawEdge, L"user32.dll", "DrawEdge")(dc, rc, edge, flags);
}

BOOL WINAPI SkinDrawFrameControl(HDC dc, LPRECT rc, UINT type, UINT state) {
  using Fn = BOOL(WINAPI*)(HDC, LPRECT, UINT, UINT);
  CTKSkinManager* manager = LoadedManager();
  if (manager && rc && SkinDrawFunctions::DrawFrameControl(manager, dc, rc, type, state)) return TRUE;
  return System<Fn>(kDrawFrameControl, L"user32.dll", "DrawFrameControl")(dc, rc, type, state);
}

void RedrawAfterScrollChange(HWND hwnd, int bar) {
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  CTKSkinObject* object = manager ? manager->Lookup(hwnd) : nullptr;
  if (!object) return;
  if (bar == SB_CTL)
    InvalidateRect(hwnd, nullptr, TRUE);
  else
    object->RedrawScrollBar(bar);
}

int WINAPI SkinSetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  using Fn = int(WINAPI*)(HWND, int, LPCSCROLLINFO, BOOL);
  Fn system = System<Fn>(kSetScrollInfo, L"user32.dll", "SetScrollInfo");
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  if (!manager || !manager->Lookup(hwnd)) return system(hwnd, bar, info, redraw);
  const int result = system(hwnd, bar, info, FALSE);
  if (redraw) RedrawAfterScrollChange(hwnd, bar);
  return result;
}

int WINAPI SkinSetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  using Fn = int(WINAPI*)(HWND, int, int, BOOL);
  Fn system = System<Fn>(kSetScrollPos, L"user32.dll", "SetScrollPos");
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  if (!manager || !manager->Lookup(hwnd)) return system(hwnd, bar, pos, redraw);
  const int result = system(hwnd, bar, pos, FALSE);
  if (redraw) RedrawAfterScrollChange(hwnd, bar);
  return result;
}

BOOL WINAPI SkinGetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  using Fn = BOOL(WINAPI*)(HWND, int, LPSCROLLINFO);
  const BOOL result = System<Fn>(kGetScrollInfo, L"user32.dll", "GetScrollInfo")(hwnd, bar, info);
  // The system knows nothing of a drag the skin's loop runs: its tracking position is the skin's.
  if (!result || !info || !(info->fMask & SIF_TRACKPOS)) return result;
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  CTKSkinObject* object = manager ? manager->Lookup(hwnd) : nullptr;
  int position = 0;
  if (object && object->TrackingPosition(bar, &position)) info->nTrackPos = position;
  return result;
}

BOOL WINAPI SkinEnableScrollBar(HWND hwnd, UINT bar, UINT flags) {
  using Fn = BOOL(WINAPI*)(HWND, UINT, UINT);
  const BOOL result = System<Fn>(kEnableScrollBar, L"user32.dll", "EnableScrollBar")(hwnd, bar, flags);
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  if (CTKSkinObject* object = manager ? manager->Lookup(hwnd) : nullptr) {
    if (bar == SB_HORZ || bar == SB_BOTH) object->RedrawScrollBar(SB_HORZ);
    if (bar == SB_VERT || bar == SB_BOTH) object->RedrawScrollBar(SB_VERT);
  }
  return result;
}

HTHEME WINAPI SkinOpenThemeData(HWND, LPCWSTR classList) {
  CTKSkinManager* manager = LoadedManager();
  if (!manager || !classList) return nullptr;
  return reinterpret_cast<HTHEME>(manager->FindOrAddSkinClass(classList));
}

CTKSkinManagerClass* ThemeClass(HTHEME theme) {
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  if (!manager || !theme || !manager->IsSkinClass(theme)) return nullptr;
  return reinterpret_cast<CTKSkinManagerClass*>(theme);
}

HRESULT WINAPI SkinDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rc, const RECT* clip) {
  CTKSkinManagerClass* cls = ThemeClass(theme);
  if (!cls || !rc) return E_FAIL;
  const int saved = SaveDC(dc);
  if (clip) IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
  const BOOL drawn = cls->DrawBackground(dc, part, state, *rc);
  RestoreDC(dc, saved);
  return drawn ? S_OK : E_FAIL;
}

HRESULT WINAPI SkinCloseThemeData(HTHEME) { return S_OK; }

HRESULT WINAPI SkinGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color) {
  CTKSkinManagerClass* cls = ThemeClass(theme);
  if (!cls || !color) return E_FAIL;
  const COLORREF c = cls->GetColor(part, state, property, CLR_INVALID);
  if (c == CLR_INVALID) return E_FAIL;
  *color = c;
  return S_OK;
}

BOOL WINAPI SkinIsAppThemed() { return TRUE; }
BOOL WINAPI SkinIsThemeActive() { return TRUE; }

HRESULT WINAPI SkinGetCurrentThemeName(LPWSTR file, int fileSize, LPWSTR color, int colorSize, LPWSTR, int) {
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  CTKSkinManagerResourceFile* source = manager ? manager->ResourceFile() : nullptr;
  if (!source || source->SkinPath().empty()) return E_FAIL;
  const std::wstring& path = source->SkinPath();
  if (file && fileSize > static_cast<int>(path.size())) lstrcpynW(file, path.c_str(), fileSize);
  std::wstring name = source->IniName();
  if (!name.empty()) CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
  std::wstring mapped = name;
  const size_t metallic = name.find(L"METALLIC");
  if (metallic != std::wstring::npos && metallic != 0)
    mapped = L"metallic";
  else if (name.find(L"BLUE") != std::wstring::npos)
    mapped = L"normalcolor";
  else if (name.find(L"HOMESTEAD") != std::wstring::npos)
    mapped = L"homestead";
  if (color && colorSize > static_cast<int>(mapped.size())) lstrcpynW(color, mapped.c_str(), colorSize);
  return S_OK;
}

BOOL WINAPI SkinGetThemeSysBool(HTHEME, int property) {
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  return manager ? manager->GetMetric(property) : FALSE;
}

COLORREF WINAPI SkinGetThemeSysColor(HTHEME, int index) {
  CTKSkinManager* manager = g_hook ? g_hook->Manager() : nullptr;
  return manager ? manager->GetColorForProperty(index) : CLR_INVALID;
}

HRESULT WINAPI SkinGetThemePartSize(HTHEME theme, HDC, int part, int state, LPCRECT rc, THEMESIZE kind, SIZE* size) {
  CTKSkinManagerClass* cls = ThemeClass(theme);
  if (!cls || !size) return E_FAIL;
  return cls->MeasurePart(part, state, rc, static_cast<int>(kind), size) ? S_OK : E_FAIL;
}

BOOL WINAPI SkinSystemParametersInfoW(UINT action, UINT param, PVOID data, UINT flags) {
  using Fn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
  const BOOL result = System<Fn>(kSystemParametersInfoW, L"user32.dll", "SystemParametersInfoW")(action, param, data, flags);
  CTKSkinManager* manager = LoadedManager();
  CTKSkinManagerSchema* schema = manager ? manager->Schema() : nullptr;
  if (!result || !schema || !data) return result;
  const int sysMetrics = SkinVocabulary::kClassSysMetrics;
  if (action == SPI_GETICONTITLELOGFONT && param == sizeof(LOGFONTW)) {
    schema->QueryFontValue(sysMetrics, 0, 0, 806, static_cast<LOGFONTW*>(data));
  } else if (action == SPI_GETNONCLIENTMETRICS && param >= sizeof(NONCLIENTMETRICSW) - sizeof(int) &&
             static_cast<NONCLIENTMETRICSW*>(data)->cbSize == param) {
    auto* metrics = static_cast<NONCLIENTMETRICSW*>(data);
    schema->QueryFontValue(sysMetrics, 0, 0, 803, &metrics->lfMessageFont);
    schema->QueryFontValue(sysMetrics, 0, 0, 804, &metrics->lfStatusFont);
    schema->QueryFontValue(sysMetrics, 0, 0, 801, &metrics->lfCaptionFont);
  }
  return result;
}

// The redirected default procedures: a skinned window's default processing goes to its object.
LRESULT DefaultThroughObject(int slot, WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                             bool* handled) {
  *handled = false;
  CTKSkinManager* manager = LoadedManager();
  CTKSkinObject* object = manager ? manager->Lookup(hwnd) : nullptr;
  if (!object || object->IsPassThrough()) return 0;
  if (proc && object->CurrentMessage() == message) return 0;
  CTKSkinObject::DispatchScope scope(object);
  MSG& current = CTKSkinManager::CurrentMessage();
  const MSG saved = current;
  current = MSG{hwnd, message, wParam, lParam, 0, {}};
  const auto kind = proc ? CTKSkinObject::DefaultKind::CallWindowProc : CTKSkinObject::DefaultKind::DefWindowProc;
  object->PushDefault({kind, g_hook->GetSystemFunction(slot), proc});
  LRESULT result = 0;
  *handled = object->OnDefaultMessage(message, wParam, lParam, &result);
  object->PopDefault();
  current = saved;
  return result;
}

LRESULT WINAPI SkinDefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled;
  const LRESULT r = DefaultThroughObject(kDefWindowProcA, nullptr, hwnd, message, wParam, lParam, &handled);
  if (handled) return r;
  using Fn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
  return System<Fn>(kDefWindowProcA, L"user32.dll", "DefWindowProcA")(hwnd, message, wParam, lParam);
}

LRESULT WINAPI SkinDefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled;
  const LRESULT r = DefaultThroughObject(kDefWindowProcW, nullptr, hwnd, message, wParam, lParam, &handled);
  if (handled) return r;
  using Fn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
  return System<Fn>(kDefWindowProcW, L"user32.dll", "DefWindowProcW")(hwnd, message, wParam, lParam);
}

LRESULT WINAPI SkinCallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled;
  const LRESULT r = DefaultThroughObject(kCallWindowProcA, proc, hwnd, message, wParam, lParam, &handled);
  if (handled) return r;
  using Fn = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
  return System<Fn>(kCallWindowProcA, L"user32.dll", "CallWindowProcA")(proc, hwnd, message, wParam, lParam);
}

LRESULT WINAPI SkinCallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled;
  const LRESULT r = DefaultThroughObject(kCallWindowProcW, proc, hwnd, message, wParam, lParam, &handled);
  if (handled) return r;
  using Fn = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
  return System<Fn>(kCallWindowProcW, L"user32.dll", "CallWindowProcW")(proc, hwnd, message, wParam, lParam);
}

struct TableEntry {
  int index;
  const char* module;
  const char* function;
  FARPROC replacement;
  int option;  // 0: always
};

#define ENTRY(index, module, name, option) \
  { index, module, #name, reinterpret_cast<FARPROC>(&Skin##name), option }

const TableEntry kTable[] = {
    ENTRY(kLoadLibraryA, "KERNEL32.DLL", LoadLibraryA, 0),
    ENTRY(kLoadLibraryW, "KERNEL32.DLL", LoadLibraryW, 0),
    ENTRY(kLoadLibraryExA, "KERNEL32.DLL", LoadLibraryExA, 0),
    ENTRY(kLoadLibraryExW, "KERNEL32.DLL", LoadLibraryExW, 0),
    ENTRY(kGetProcAddress, "KERNEL32.DLL", GetProcAddress, 0),
    ENTRY(kGetModuleHandleA, "KERNEL32.DLL", GetModuleHandleA, 0),
    ENTRY(kCreateThread, "KERNEL32.DLL", CreateThread, 0),
    ENTRY(kRegisterClassA, "USER32.DLL", RegisterClassA, 0),
    ENTRY(kRegisterClassW, "USER32.DLL", RegisterClassW, 0),
    ENTRY(kGetSysColor, "USER32.DLL", GetSysColor, CTKSkinManager::kOptionColors),
    ENTRY(kGetSysColorBrush, "USER32.DLL", GetSysColorBrush, CTKSkinManager::kOptionColors),
    ENTRY(kDrawEdge, "USER32.DLL", DrawEdge, CTKSkinManager::kOptionColors),
    ENTRY(kDrawFrameControl, "USER32.DLL", DrawFrameControl, 0),
    ENTRY(kSetScrollInfo, "USER32.DLL", SetScrollInfo, CTKSkinManager::kOptionFrames),
    ENTRY(kSetScrollPos, "USER32.DLL", SetScrollPos, CTKSkinManager::kOptionFrames),
    ENTRY(kGetScrollInfo, "USER32.DLL", GetScrollInfo, CTKSkinManager::kOptionFrames),
    ENTRY(kEnableScrollBar, "USER32.DLL", EnableScrollBar, CTKSkinManager::kOptionFrames),
    ENTRY(kOpenThemeData, "UXTHEME.DLL", OpenThemeData, CTKSkinManager::kOptionFrames),
    ENTRY(kDrawThemeBackground, "UXTHEME.DLL", DrawThemeBackground, CTKSkinManager::kOptionFrames),
    ENTRY(kCloseThemeData, "UXTHEME.DLL", CloseThemeData, CTKSkinManager::kOptionFrames),
    ENTRY(kGetThemeColor, "UXTHEME.DLL", GetThemeColor, CTKSkinManager::kOptionFrames),
    ENTRY(kIsAppThemed, "UXTHEME.DLL", IsAppThemed, CTKSkinManager::kOptionFrames),
    ENTRY(kIsThemeActive, "UXTHEME.DLL", IsThemeActive, CTKSkinManager::kOptionFrames),
    ENTRY(kGetCurrentThemeName, "UXTHEME.DLL", GetCurrentThemeName, CTKSkinManager::kOptionFrames),
    ENTRY(kGetThemeSysBool, "UXTHEME.DLL", GetThemeSysBool, CTKSkinManager::kOptionFrames),
    ENTRY(kGetThemeSysColor, "UXTHEME.DLL", GetThemeSysColor, CTKSkinManager::kOptionFrames),
    ENTRY(kGetThemePartSize, "UXTHEME.DLL", GetThemePartSize, CTKSkinManager::kOptionFrames),
    ENTRY(kSystemParametersInfoW, "USER32.DLL", SystemParametersInfoW, CTKSkinManager::kOptionMetrics),
    ENTRY(kDefWindowProcA, "USER32.DLL", DefWindowProcA, 0),
    ENTRY(kDefWindowProcW, "USER32.DLL", DefWindowProcW, 0),
    ENTRY(kCallWindowProcA, "USER32.DLL", CallWindowProcA, 0),
    ENTRY(kCallWindowProcW, "USER32.DLL", CallWindowProcW, 0),
};

}  // namespace

CTKSkinManagerApiFunction::CTKSkinManagerApiFunction(CTKSkinManagerApiHook* owner, const char* module,
                                                     const char* function, FARPROC system, FARPROC replacement)
    : owner_(owner), module_(std::string(module).substr(0, 20)), function_(std::string(function).substr(0, 30)),
      system_(system), replacement_(replacement) {
  if (FARPROC target = StubTarget(reinterpret_cast<ULONG_PTR>(system))) system_ = target;
}

bool CTKSkinManagerApiFunction::Apply() {
  applied_ = owner_->PatchAllModules(module_.c_str(), system_, replacement_);
  return applied_;
}

void CTKSkinManagerApiFunction::Restore() {
  if (!applied_) return;
  owner_->PatchAllModules(module_.c_str(), replacement_, system_);
  applied_ = false;
}

CTKSkinManagerApiHook::~CTKSkinManagerApiHook() {
  UnhookAll();
  // Replacements handed out earlier fall through to the system from now on.
  if (g_hook == this) g_hook = nullptr;
}

void CTKSkinManagerApiHook::HookAll() {
  if (hooked_) return;
  g_hook = this;
  const int options = manager_->Options();
  for (const TableEntry& e : kTable) {
    if (e.option == 0 || (options & e.option)) AddFunction(e.index, e.module, e.function, e.replacement);
  }
  hooked_ = true;
}

void CTKSkinManagerApiHook::UnhookAll() {
  for (auto& slot : slots_) {
    if (slot) slot->Restore();
    slot.reset();
  }
  hooked_ = false;
}

int CTKSkinManagerApiHook::HookedCount() const {
  int n = 0;
  for (const auto& slot : slots_) n += slot != nullptr;
  return n;
}

CTKSkinManagerApiFunction* CTKSkinManagerApiHook::Slot(int index) const {
  return index >= 0 && index < kSlotCount ? slots_[index].get() : nullptr;
}

FARPROC CTKSkinManagerApiHook::GetSystemFunction(int index) const {
  CTKSkinManagerApiFunction* f = Slot(index);
  return f ? f->System() : nullptr;
}

CTKSkinManagerApiFunction* CTKSkinManagerApiHook::FindFunction(const char* module, const char* function) const {
  for (const auto& slot : slots_) {
    if (slot && SameAscii(slot->ModuleName().c_str(), module) && SameAscii(slot->FunctionName().c_str(), function))
      return slot.get();
  }
  return nullptr;
}

CTKSkinManagerApiFunction* CTKSkinManagerApiHook::AddFunction(int index, const char* module, const char* function,
                                                              FARPROC replacement) {
  if (index < 0 || index >= kSlotCount || FindFunction(module, function)) return nullptr;
  HMODULE handle = GetModuleHandleA(module);
  if (!handle && SameAscii(module, "UXTHEME.DLL")) {
    if (!uxtheme_) uxtheme_.Reset(LoadLibraryA(module));
    handle = uxtheme_.Get();
  }
  FARPROC system = handle ? GetProcAddress(handle, function) : nullptr;
  if (!system) return nullptr;
  slots_[index] = std::make_unique<CTKSkinManagerApiFunction>(this, module, function, system, replacement);
  slots_[index]->Apply();
  return slots_[index].get();
}

bool CTKSkinManagerApiHook::PatchAllModules(const char* module, FARPROC from, FARPROC to) {
  HMODULE self = GetModuleHandleW(nullptr);
  bool patched = false;
  for (HMODULE m : CTKSkinManagerModuleList().Modules()) {
    if (m == self) continue;
    if (manager_->SkipShellModules() &&
        (m == GetModuleHandleW(L"shlwapi.dll") || m == GetModuleHandleW(L"comctl32.dll")))
      continue;
    patched |= PatchModule(m, module, from, to);
  }
  patched |= PatchModule(self, module, from, to);
  return patched;
}

bool CTKSkinManagerApiHook::PatchModule(HMODULE target, const char* importModule, FARPROC from, FARPROC to) {
  // Modules mapped as data files (low bits set) have no import table to patch.
  if (!target || !from || (reinterpret_cast<ULONG_PTR>(target) & 3)) return false;
  auto* base = reinterpret_cast<BYTE*>(target);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress || !dir.Size) return false;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    if (!SameAscii(reinterpret_cast<const char*>(base + d->Name), importModule) || !d->FirstThunk) continue;
    for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); thunk->u1.Function; ++thunk) {
      ULONG_PTR* slot = reinterpret_cast<ULONG_PTR*>(&thunk->u1.Function);
      const ULONG_PTR entry = *slot;
      if (entry != reinterpret_cast<ULONG_PTR>(from)) {
        if (StubTarget(entry) != from) continue;
#if defined(_M_IX86) || defined(__i386__)
        slot = reinterpret_cast<ULONG_PTR*>(entry + 1);
#endif
      }
      DWORD old = 0;
      if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old)) return false;
      *slot = reinterpret_cast<ULONG_PTR>(to);
      VirtualProtect(slot, sizeof(*slot), old, &old);
      return true;
    }
  }
  return false;
}

void CTKSkinManagerApiHook::PatchNewModule(HMODULE module, DWORD flags) {
  if (!module || (flags & LOAD_LIBRARY_AS_DATAFILE)) return;
  for (const auto& slot : slots_) {
    if (slot && slot->IsApplied()) PatchModule(module, slot->ModuleName().c_str(), slot->System(), slot->Replacement());
  }
}
