#include "platform/win/window.h"

#include <string.h>

#include <string>
#include <vector>

#include "platform/win/lock.h"
#include "platform/win/module.h"

namespace KestrinWinNS {

namespace {

// The window property that binds a window to its object.
const char kObjectProperty[] = "KestrinWindowObject";

// The procedures of the system classes our superclasses stand on, by class name.
struct Superclass {
  std::string name;
  WNDPROC base_proc;
};

CCriticalSection& SuperclassLock() {
  static CCriticalSection lock;
  return lock;
}

std::vector<Superclass>& Superclasses() {
  static std::vector<Superclass> table;
  return table;
}

WNDPROC SuperclassProc(const char* name) {
  CScopedLock lock(SuperclassLock());
  for (const Superclass& entry : Superclasses()) {
    if (_stricmp(entry.name.c_str(), name) == 0) return entry.base_proc;
  }
  return nullptr;
}

bool Register(WNDCLASSEXA* window_class) {
  window_class->cbSize = sizeof(*window_class);
  window_class->hInstance = CodeModule();
  WNDCLASSEXA existing = {sizeof(existing)};
  if (GetClassInfoExA(window_class->hInstance, window_class->lpszClassName, &existing)) return true;
  return RegisterClassExA(window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CWindowBase::~CWindowBase() { Detach(); }

WNDPROC CWindowBase::GetWindowProc() { return &CWindowBase::WindowProc; }

void CWindowBase::OnFinalMessage(HWND) {}

bool CWindowBase::RegisterWindowClass(WNDCLASSEXA window_class) {
  window_class.lpfnWndProc = &CWindowBase::WindowProc;
  return Register(&window_class);
}

bool CWindowBase::RegisterSuperclass(const char* base_class, const char* name) {
  WNDCLASSEXA window_class = {sizeof(window_class)};
  if (!GetClassInfoExA(nullptr, base_class, &window_class)) return false;
  {
    CScopedLock lock(SuperclassLock());
    bool known = false;
    for (const Superclass& entry : Superclasses()) known = known || _stricmp(entry.name.c_str(), name) == 0;
    if (!known) Superclasses().push_back(Superclass{name, window_class.lpfnWndProc});
  }
  window_class.lpszClassName = name;
  window_class.lpszMenuName = nullptr;
  return RegisterWindowClass(window_class);
}

HWND CWindowBase::Create(const char* class_name, DWORD ex_style, DWORD style, const RECT& rect, HWND parent,
                         HMENU menu_or_id, const char* title) {
  if (hwnd_) return nullptr;
  WNDPROC base = SuperclassProc(class_name);
  default_proc_ = base ? base : &DefWindowProcA;
  subclassed_ = false;
  return CreateWindowExA(ex_style, class_name, title, style, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, parent, menu_or_id, CodeModule(), this);
}

bool CWindowBase::SubclassWindow(HWND window) {
  if (hwnd_ || !window || FromHandle(window)) return false;
  Bind(window);
  WNDPROC old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetWindowProc())));
  if (!old) {
    Unbind();
    return false;
  }
  default_proc_ = old;
  subclassed_ = true;
  return true;
}

HWND CWindowBase::UnsubclassWindow() {
  if (!hwnd_ || !subclassed_) return nullptr;
  HWND window = hwnd_;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(default_proc_));
  Unbind();
  return window;
}

HWND CWindowBase::Detach() {
  if (subclassed_ && IsWindow(hwnd_)) return UnsubclassWindow();
  HWND window = hwnd_;
  Unbind();
  return window;
}

void CWindowBase::DestroyUnbound() {
  HWND window = Detach();
  if (window) DestroyWindow(window);
}

CWindowBase* CWindowBase::FromHandle(HWND window) {
  return window ? static_cast<CWindowBase*>(GetPropA(window, kObjectProperty)) : nullptr;
}

LRESULT CWindowBase::DefaultProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return CallWindowProcA(default_proc_, hwnd_, message, wparam, lparam);
}

void CWindowBase::Bind(HWND window) {
  hwnd_ = window;
  SetPropA(window, kObjectProperty, this);
}

void CWindowBase::Unbind() {
  if (hwnd_ && GetPropA(hwnd_, kObjectProperty) == this) RemovePropA(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
  subclassed_ = false;
}

LRESULT CALLBACK CWindowBase::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  CWindowBase* self = FromHandle(window);
  if (!self && message == WM_NCCREATE) {
    self = static_cast<CWindowBase*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    if (self) self->Bind(window);
  }
  if (!self) return DefWindowProcA(window, message, wparam, lparam);

  LRESULT result = 0;
  BOOL handled = FALSE;
  try {
    handled = self->ProcessWindowMessage(window, message, wparam, lparam, result);
  } catch (...) {
    handled = FALSE;
  }
  if (message != WM_NCDESTROY) return handled ? result : self->DefaultProc(message, wparam, lparam);

  // The last message: the default procedure sees it too, then the object lets go.
  if (!handled) result = self->DefaultProc(message, wparam, lparam);
  if (self->subclassed_ &&
      GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(self->GetWindowProc())) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->default_proc_));
  }
  self->Unbind();
  self->OnFinalMessage(window);
  return result;
}

}  // namespace KestrinWinNS
