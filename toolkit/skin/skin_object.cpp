#include "toolkit/skin/skin_object.h"

#include <map>

#include "platform/appframe/wnd.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_system.h"

namespace {

// Windows whose object went while a procedure set over the skin's still hands their messages on
// to the shared window procedure: the procedure each had before the skin's.
struct DetachedWindows {
  struct Entry {
    WNDPROC previous;
    bool unicode;
  };
  CTKSyncSection lock;
  std::map<HWND, Entry> windows;
};

DetachedWindows& Detached() {
  static DetachedWindows detached;
  return detached;
}

}  // namespace

CTKSkinObject::CTKSkinObject(const wchar_t* skinClassName) : skin_class_(skinClassName) {}

UINT CTKSkinObject::UpdateStateMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_TKSKIN_UPDATESTATE");
  return message;
}

UINT CTKSkinObject::QueryStateMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_TKSKIN_QUERYSTATE");
  return message;
}

void CTKSkinObject::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  unicode_ = IsWindowUnicode(hwnd) != FALSE;
  const LONG_PTR shared = reinterpret_cast<LONG_PTR>(&CTKSkinManager::SharedWindowProc);
  previous_proc_ = reinterpret_cast<WNDPROC>(unicode_ ? GetWindowLongPtrW(hwnd, GWLP_WNDPROC)
                                                      : GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  if (unicode_)
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, shared);
  else
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, shared);
  MEMORY_BASIC_INFORMATION region{};
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  if (comctl && VirtualQuery(reinterpret_cast<void*>(previous_proc_), &region, sizeof(region)) &&
      region.AllocationBase == comctl)
    app_proc_limit_ = 0;
  RefreshPassThrough();
}

void CTKSkinObject::Detach() {
  if (!hwnd_ || !previous_proc_) return;
  const LONG_PTR shared = reinterpret_cast<LONG_PTR>(&CTKSkinManager::SharedWindowProc);
  const LONG_PTR current = unicode_ ? GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) : GetWindowLongPtrA(hwnd_, GWLP_WNDPROC);
  if (current != shared) {
    // Another procedure was set over the skin's and hands its messages on to it: putting the
    // previous procedure back would cut that one out. The chain stays, and the shared procedure
    // passes what reaches it to the previous procedure from now on.
    DetachedWindows& detached = Detached();
    CTKSectionLock lock(detached.lock);
    detached.windows[hwnd_] = DetachedWindows::Entry{previous_proc_, unicode_};
    return;
  }
  const LONG_PTR previous = reinterpret_cast<LONG_PTR>(previous_proc_);
  if (unicode_)
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, previous);
  else
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, previous);
}

bool CTKSkinObject::CallDetachedPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DetachedWindows::Entry entry;
  {
    DetachedWindows& detached = Detached();
    CTKSectionLock lock(detached.lock);
    const auto it = detached.windows.find(hwnd);
    if (it == detached.windows.end()) return false;
    entry = it->second;
    if (message == WM_NCDESTROY) detached.windows.erase(it);
  }
  *result = SkinSystem::CallWindowProc(entry.unicode, entry.previous, hwnd, message, wParam, lParam);
  return true;
}

void CTKSkinObject::ForgetDetached(HWND hwnd) {
  DetachedWindows& detached = Detached();
  CTKSectionLock lock(detached.lock);
  detached.windows.erase(hwnd);
}

bool CTKSkinObject::IsMessageExcluded(UINT message) {
  if (message == WM_ACTIVATE || message == WM_SETCURSOR || message == WM_NOTIFY || message == WM_COMMAND) return true;
  if (message == UpdateStateMessage()) RefreshPassThrough();
  return false;
}

void CTKSkinObject::RefreshPassThrough() {
  pass_through_ = SendMessageW(hwnd_, QueryStateMessage(), 0, 0) != 0;
  Refresh();
}

LRESULT CTKSkinObject::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!defaults_.empty()) {
    const DefWindowDescriptor& d = defaults_.back();
    switch (d.kind) {
      case DefaultKind::CallWindowProc:
        return reinterpret_cast<LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM)>(d.function)(
            d.proc, hwnd_, message, wParam, lParam);
      case DefaultKind::DefWindowProc:
        return reinterpret_cast<LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>(d.function)(hwnd_, message, wParam,
                                                                                          lParam);
      case DefaultKind::PreviousProc:
        break;
    }
  }
  return SkinSystem::CallWindowProc(unicode_, previous_proc_, hwnd_, message, wParam, lParam);
}

bool CTKSkinObject::IsApplicationProc(UINT message) const {
  if (message == WM_TIMER) return false;
  if (app_proc_limit_ != 0 && reinterpret_cast<ULONG_PTR>(previous_proc_) < app_proc_limit_) return true;
  // The framework's windows are the application's wherever the program was loaded.
  return previous_proc_ == &CWnd::WindowProcThunk;
}

bool CTKSkinObject::WantsMessage(UINT message, bool strict) {
  if (IsMessageExcluded(message)) return false;
  return !strict || !IsApplicationProc(message);
}

bool CTKSkinObject::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

bool CTKSkinObject::OnDefaultMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

void CTKSkinObject::RedrawScrollBar(int) {
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

CTKSkinObjectPaintDC::CTKSkinObjectPaintDC(HWND hwnd, WPARAM wParam) : hwnd_(hwnd), dc_(reinterpret_cast<HDC>(wParam)) {
  if (!dc_) {
    dc_ = BeginPaint(hwnd, &paint_);
    began_ = true;
  }
}

CTKSkinObjectPaintDC::~CTKSkinObjectPaintDC() {
  if (began_) EndPaint(hwnd_, &paint_);
}
