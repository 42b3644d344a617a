#include "toolkit/drawing/system_helpers.h"

#include <cstddef>

CTKWindowsVersionInfo::CTKWindowsVersionInfo() : OSVERSIONINFOW{} {
  dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(this);
#pragma GCC diagnostic pop
}

const CTKWindowsVersionInfo& GetWindowsVersionInfo() {
  static const CTKWindowsVersionInfo info;
  return info;
}

bool CTKModuleHandle::Acquire(const wchar_t* name) {
  ReleaseModule();
  if (!name) return false;
  name_ = name;
  module_ = GetModuleHandleW(name);
  if (module_) {
    origin_ = Origin::Found;
    return true;
  }
  module_ = LoadLibraryW(name);
  origin_ = module_ ? Origin::Loaded : Origin::None;
  return module_ != nullptr;
}

void CTKModuleHandle::ReleaseModule() {
  if (module_ && origin_ == Origin::Loaded) FreeLibrary(module_);
  module_ = nullptr;
  origin_ = Origin::None;
  version_ = DLLVERSIONINFO{};
}

DWORD CTKModuleHandle::ReadModuleVersion() {
  if (!module_) return 0;
  if (version_.cbSize == 0) {
    auto get_version = reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(module_, "DllGetVersion"));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (!get_version || FAILED(get_version(&info))) return 0;
    version_ = info;
  }
  return MAKELONG(version_.dwMinorVersion, version_.dwMajorVersion);
}

bool CTKModuleHandle::GetVersionedProc(FARPROC* out, const char* name, DWORD requiredVersion) {
  *out = nullptr;
  if (!module_) return false;
  if (requiredVersion != 0 && ReadModuleVersion() < requiredVersion) return false;
  *out = GetProcAddress(module_, name);
  return *out != nullptr;
}

DWORD GetCommonControlsVersion() {
  static const DWORD version = [] {
    CTKModuleHandle comctl(L"COMCTL32.DLL");
    DWORD v = comctl.ReadModuleVersion();
    return v ? v : DWORD{0x40000};
  }();
  return version;
}

// ---- accessibility ----

CTKAccessible::CTKAccessible(CTKAccessibleOwner* owner) : user32_(L"user32.dll"), accessible_(owner) {
  if (user32_.Handle())
    notify_win_event_ = reinterpret_cast<NotifyWinEventFn>(GetProcAddress(user32_.Handle(), "NotifyWinEvent"));
}

void CTKAccessible::NotifyAccessibleEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId) {
  if (notify_win_event_) notify_win_event_(event, hwnd, objectId, childId);
}

bool CTKAccessible::LoadOleacc() {
  if (accessible_object_from_window_ && lresult_from_object_) return true;
  if (!oleacc_.Handle() && !oleacc_.Acquire(L"oleacc.dll")) return false;
  accessible_object_from_window_ = reinterpret_cast<AccessibleObjectFromWindowFn>(
      GetProcAddress(oleacc_.Handle(), "AccessibleObjectFromWindow"));
  lresult_from_object_ =
      reinterpret_cast<LresultFromObjectFn>(GetProcAddress(oleacc_.Handle(), "LresultFromObject"));
  return accessible_object_from_window_ && lresult_from_object_;
}

HRESULT CTKAccessible::CallAccessibleObjectFromWindow(HWND hwnd, DWORD objectId, REFIID iid, void** out) {
  if (!LoadOleacc()) return E_FAIL;
  return accessible_object_from_window_(hwnd, objectId, iid, out);
}

LRESULT CTKAccessible::CallLresultFromObject(REFIID iid, WPARAM wParam, IUnknown* object) {
  if (!LoadOleacc()) return E_FAIL;
  return lresult_from_object_(iid, wParam, object);
}

long CTKAccessible::GetChildIdFromVariant(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY: return 0;
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    case VT_BYREF | VT_I2: return v.piVal ? *v.piVal : -1;
    case VT_BYREF | VT_I4: return v.plVal ? *v.plVal : -1;
    case VT_BYREF | VT_VARIANT: return v.pvarVal ? GetChildIdFromVariant(*v.pvarVal) : -1;
    default: return -1;
  }
}

HRESULT CTKAccessible::XAccessible::QueryInterface(REFIID iid, void** out) {
  return owner_->ExternalQueryInterface(iid, out);
}
ULONG CTKAccessible::XAccessible::AddRef() { return owner_->ExternalAddRef(); }
ULONG CTKAccessible::XAccessible::Release() { return owner_->ExternalRelease(); }

// ---- monitors ----

namespace {
BOOL SystemWorkArea(RECT* rc) { return SystemParametersInfoW(SPI_GETWORKAREA, 0, rc, 0); }
}  // namespace

CTKMultiMonitorApi::CTKMultiMonitorApi() : primary_work_area_(&SystemWorkArea) {
  HMODULE user32 = GetModuleHandleW(L"User32.dll");
  if (!user32) return;
  get_system_metrics_ = reinterpret_cast<GetSystemMetricsFn>(GetProcAddress(user32, "GetSystemMetrics"));
  monitor_from_window_ = reinterpret_cast<MonitorFromWindowFn>(GetProcAddress(user32, "MonitorFromWindow"));
  monitor_from_rect_ = reinterpret_cast<MonitorFromRectFn>(GetProcAddress(user32, "MonitorFromRect"));
  monitor_from_point_ = reinterpret_cast<MonitorFromPointFn>(GetProcAddress(user32, "MonitorFromPoint"));
  get_monitor_info_ = reinterpret_cast<GetMonitorInfoFn>(GetProcAddress(
      user32, GetWindowsVersionInfo().IsWindowsNT4OrLater() ? "GetMonitorInfoW" : "GetMonitorInfoA"));
  if (!get_system_metrics_ || !monitor_from_window_ || !monitor_from_rect_ || !monitor_from_point_ ||
      !get_monitor_info_)
    SetFunctions(nullptr, nullptr, nullptr, nullptr);
}

void CTKMultiMonitorApi::SetFunctions(MonitorFromWindowFn fromWindow, MonitorFromRectFn fromRect,
                                      MonitorFromPointFn fromPoint, GetMonitorInfoFn info) {
  monitor_from_window_ = fromWindow;
  monitor_from_rect_ = fromRect;
  monitor_from_point_ = fromPoint;
  get_monitor_info_ = info;
  if (!fromWindow || !fromRect || !fromPoint || !info) {
    get_system_metrics_ = nullptr;
    monitor_from_window_ = nullptr;
    monitor_from_rect_ = nullptr;
    monitor_from_point_ = nullptr;
    get_monitor_info_ = nullptr;
  }
}

RECT CTKMultiMonitorApi::WorkAreaOf(HMONITOR monitor) const {
  if (monitor && get_monitor_info_) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (get_monitor_info_(monitor, &info)) return info.rcWork;
  }
  RECT rc{};
  if (primary_work_area_) primary_work_area_(&rc);
  return rc;
}

RECT CTKMultiMonitorApi::GetWorkAreaFromPoint(POINT pt) const {
  return WorkAreaOf(monitor_from_point_ ? monitor_from_point_(pt, MONITOR_DEFAULTTONULL) : nullptr);
}

RECT CTKMultiMonitorApi::GetWorkAreaFromRect(const RECT& rc) const {
  return WorkAreaOf(monitor_from_rect_ ? monitor_from_rect_(&rc, MONITOR_DEFAULTTONULL) : nullptr);
}

RECT CTKMultiMonitorApi::GetWorkAreaFromWindow(HWND hwnd) const {
  return WorkAreaOf(monitor_from_window_ && hwnd ? monitor_from_window_(hwnd, MONITOR_DEFAULTTONULL) : nullptr);
}

RECT CTKMultiMonitorApi::GetWorkAreaAtCursor() const {
  POINT pt{};
  GetCursorPos(&pt);
  return GetWorkAreaFromPoint(pt);
}

CTKMultiMonitorApi& GetMultiMonitorApi() {
  static CTKMultiMonitorApi api;
  return api;
}

CSystemNonClientMetrics::CSystemNonClientMetrics() : NONCLIENTMETRICSW{} {
  // The size without the padded border, which every version of Windows accepts.
  cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, cbSize, this, 0);
}

HICON TKWindowSmallIcon(HWND window, bool dialog_frame) {
  if (!window) return nullptr;
  if (HICON icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0))) return icon;
  if (HICON icon = reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICONSM))) return icon;
  if (dialog_frame) return nullptr;
  DWORD_PTR dragged = 0;
  if (::SendMessageTimeoutW(window, WM_QUERYDRAGICON, 0, 0, SMTO_ABORTIFHUNG, 100, &dragged) && dragged)
    return reinterpret_cast<HICON>(dragged);
  return nullptr;
}
