// System helpers of the toolkit: Windows version, modules loaded by name, critical sections,
// the accessibility bridge, multi-monitor work areas and two metrics records.
#pragma once

#include <windows.h>
#include <oleacc.h>
#include <shlwapi.h>

#include <string>

#include "platform/win/lock.h"

// The version of Windows, read once.
class CTKWindowsVersionInfo : public OSVERSIONINFOW {
 public:
  CTKWindowsVersionInfo();
  explicit CTKWindowsVersionInfo(const OSVERSIONINFOW& info) : OSVERSIONINFOW(info) {}

  bool IsWindows95() const { return dwPlatformId == 1 && dwMajorVersion == 4 && dwMinorVersion < 10; }
  bool IsWindows9x() const { return dwPlatformId == 1; }
  bool IsWindowsNT4OrLater() const { return dwPlatformId >= 2 && dwMajorVersion >= 4; }
  bool IsWindows2000OrLater() const { return dwPlatformId >= 2 && dwMajorVersion >= 5; }
  bool IsWindowsXPOrLater() const { return dwPlatformId >= 2 && IsVersionAtLeast(5, 1); }
  bool IsVersionAtLeast(DWORD major, DWORD minor) const {
    return dwMajorVersion > major || (dwMajorVersion == major && dwMinorVersion >= minor);
  }
};

const CTKWindowsVersionInfo& GetWindowsVersionInfo();

// A module found by name: taken from the loaded modules when present, else loaded (and then
// freed again by ReleaseModule or the destructor).
class CTKModuleHandle {
 public:
  enum class Origin { None, Found, Loaded };

  CTKModuleHandle() = default;
  explicit CTKModuleHandle(const wchar_t* name) { Acquire(name); }
  virtual ~CTKModuleHandle() { ReleaseModule(); }
  CTKModuleHandle(const CTKModuleHandle&) = delete;
  CTKModuleHandle& operator=(const CTKModuleHandle&) = delete;

  bool Acquire(const wchar_t* name);
  void ReleaseModule();
  HMODULE Handle() const { return module_; }
  Origin HowObtained() const { return origin_; }
  const std::wstring& Name() const { return name_; }

  // DllGetVersion of the module as major << 16 | minor; 0 when it cannot be read.
  DWORD ReadModuleVersion();
  // Resolves name when the module's version is at least requiredVersion (0: any version).
  bool GetVersionedProc(FARPROC* out, const char* name, DWORD requiredVersion);
  template <typename F>
  bool GetVersionedProc(F* out, const char* name, DWORD requiredVersion) {
    FARPROC p = nullptr;
    bool ok = GetVersionedProc(&p, name, requiredVersion);
    *out = reinterpret_cast<F>(p);
    return ok;
  }

 private:
  std::wstring name_;
  HMODULE module_ = nullptr;
  Origin origin_ = Origin::None;
  DLLVERSIONINFO version_{};
};

// Version of the common controls as major << 16 | minor (4.0 when it cannot be read); cached.
DWORD GetCommonControlsVersion();

// The small icon a window's caption shows: its own (WM_GETICON), its class's, else, unless it
// has a dialog frame, the icon it answers to WM_QUERYDRAGICON; null when none answers.
HICON TKWindowSmallIcon(HWND window, bool dialog_frame);

// The toolkit's critical section and its scoped lock, spelled over the platform kit's.
class CTKSyncSection : public KestrinWinNS::CCriticalSection {
 public:
  void Enter() { Lock(); }
  void Leave() { Unlock(); }
};

class CTKSectionLock : public KestrinWinNS::CScopedLock<> {
 public:
  explicit CTKSectionLock(CTKSyncSection& section) : KestrinWinNS::CScopedLock<>(section) {}
};

// What a toolkit window answers to accessibility clients. Every operation returns E_NOTIMPL
// unless the window overrides it. The reference count is the owner's.
class CTKAccessibleOwner {
 public:
  virtual ~CTKAccessibleOwner() = default;
  virtual ULONG ExternalAddRef() = 0;
  virtual ULONG ExternalRelease() = 0;
  virtual HRESULT ExternalQueryInterface(REFIID iid, void** out) = 0;

  virtual HRESULT AccGetParent(IDispatch** out) { return E_NOTIMPL; }
  virtual HRESULT AccGetChildCount(long* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetChild(VARIANT child, IDispatch** out) { return E_NOTIMPL; }
  virtual HRESULT AccGetName(VARIANT child, BSTR* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetValue(VARIANT child, BSTR* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetDescription(VARIANT child, BSTR* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetRole(VARIANT child, VARIANT* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetState(VARIANT child, VARIANT* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetHelp(VARIANT child, BSTR* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetHelpTopic(BSTR* file, VARIANT child, long* topic) { return E_NOTIMPL; }
  virtual HRESULT AccGetKeyboardShortcut(VARIANT child, BSTR* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetFocus(VARIANT* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetSelection(VARIANT* out) { return E_NOTIMPL; }
  virtual HRESULT AccGetDefaultAction(VARIANT child, BSTR* out) { return E_NOTIMPL; }
  virtual HRESULT AccSelect(long flags, VARIANT child) { return E_NOTIMPL; }
  virtual HRESULT AccLocation(long* x, long* y, long* cx, long* cy, VARIANT child) { return E_NOTIMPL; }
  virtual HRESULT AccNavigate(long dir, VARIANT start, VARIANT* out) { return E_NOTIMPL; }
  virtual HRESULT AccHitTest(long x, long y, VARIANT* out) { return E_NOTIMPL; }
  virtual HRESULT AccDoDefaultAction(VARIANT child) { return E_NOTIMPL; }
  virtual HRESULT AccPutName(VARIANT child, BSTR name) { return E_NOTIMPL; }
  virtual HRESULT AccPutValue(VARIANT child, BSTR value) { return E_NOTIMPL; }
};

// The accessibility bridge: NotifyWinEvent from user32 and the oleacc functions, all resolved
// at run time, and the IAccessible object a toolkit window hands out.
class CTKAccessible {
 public:
  explicit CTKAccessible(CTKAccessibleOwner* owner);
  virtual ~CTKAccessible() = default;

  void NotifyAccessibleEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId);
  HRESULT CallAccessibleObjectFromWindow(HWND hwnd, DWORD objectId, REFIID iid, void** out);
  LRESULT CallLresultFromObject(REFIID iid, WPARAM wParam, IUnknown* object);
  IAccessible* Accessible() { return &accessible_; }

  // VT_EMPTY 0; VT_I2 and VT_I4 their value; the same by reference; VT_BYREF|VT_VARIANT followed;
  // anything else -1.
  static long GetChildIdFromVariant(const VARIANT& v);

  class XAccessible : public IAccessible {
   public:
    explicit XAccessible(CTKAccessibleOwner* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override { return owner_->AccGetParent(out); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override { return owner_->AccGetChildCount(out); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** out) override { return owner_->AccGetChild(c, out); }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* out) override { return owner_->AccGetName(c, out); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* out) override { return owner_->AccGetValue(c, out); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* out) override {
      return owner_->AccGetDescription(c, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* out) override { return owner_->AccGetRole(c, out); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* out) override { return owner_->AccGetState(c, out); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* out) override { return owner_->AccGetHelp(c, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
      return owner_->AccGetHelpTopic(f, c, t);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* out) override {
      return owner_->AccGetKeyboardShortcut(c, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return owner_->AccGetFocus(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { return owner_->AccGetSelection(out); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* out) override {
      return owner_->AccGetDefaultAction(c, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return owner_->AccSelect(f, c); }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* cx, long* cy, VARIANT c) override {
      return owner_->AccLocation(x, y, cx, cy, c);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* out) override {
      return owner_->AccNavigate(d, s, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override { return owner_->AccHitTest(x, y, out); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return owner_->AccDoDefaultAction(c); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return owner_->AccPutName(c, n); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return owner_->AccPutValue(c, v); }

   private:
    CTKAccessibleOwner* owner_;
  };

 private:
  using NotifyWinEventFn = void(WINAPI*)(DWORD, HWND, LONG, LONG);
  using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  bool LoadOleacc();

  CTKModuleHandle user32_;
  CTKModuleHandle oleacc_;
  NotifyWinEventFn notify_win_event_ = nullptr;
  AccessibleObjectFromWindowFn accessible_object_from_window_ = nullptr;
  LresultFromObjectFn lresult_from_object_ = nullptr;
  XAccessible accessible_;
};

// The multi-monitor functions of user32, resolved at run time. When any one is missing all
// are NULL and the work area falls back to the primary one.
class CTKMultiMonitorApi {
 public:
  using GetSystemMetricsFn = int(WINAPI*)(int);
  using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
  using MonitorFromRectFn = HMONITOR(WINAPI*)(LPCRECT, DWORD);
  using MonitorFromPointFn = HMONITOR(WINAPI*)(POINT, DWORD);
  using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
  // The primary work area when no monitor answers (SystemParametersInfo by default).
  using PrimaryWorkAreaFn = BOOL (*)(RECT*);

  CTKMultiMonitorApi();

  RECT GetWorkAreaFromPoint(POINT pt) const;
  RECT GetWorkAreaFromRect(const RECT& rc) const;
  RECT GetWorkAreaFromWindow(HWND hwnd) const;
  RECT GetWorkAreaAtCursor() const;
  bool HasMonitorFunctions() const { return monitor_from_point_ != nullptr; }

  // Seams: the functions answering monitor questions, and the primary work area.
  void SetFunctions(MonitorFromWindowFn fromWindow, MonitorFromRectFn fromRect, MonitorFromPointFn fromPoint,
                    GetMonitorInfoFn info);
  void SetPrimaryWorkAreaSource(PrimaryWorkAreaFn fn) { primary_work_area_ = fn; }

 private:
  RECT WorkAreaOf(HMONITOR monitor) const;

  GetSystemMetricsFn get_system_metrics_ = nullptr;
  MonitorFromWindowFn monitor_from_window_ = nullptr;
  MonitorFromRectFn monitor_from_rect_ = nullptr;
  MonitorFromPointFn monitor_from_point_ = nullptr;
  GetMonitorInfoFn get_monitor_info_ = nullptr;
  PrimaryWorkAreaFn primary_work_area_ = nullptr;
};

CTKMultiMonitorApi& GetMultiMonitorApi();

struct CZeroedLogFont : LOGFONTW {
  CZeroedLogFont() : LOGFONTW{} {}
};

struct CSystemNonClientMetrics : NONCLIENTMETRICSW {
  CSystemNonClientMetrics();
};
