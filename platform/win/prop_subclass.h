// Subclassing a window that is not ours by window property: the procedure the window had is
// kept in one property of the window and the object its messages go to in another, so that
// other code that knows the names can find both. For windows whose properties are read by name
// elsewhere; a window of our own, or one that only we look at, uses CWindowBase instead.
//
// A kind of subclassing is a type `Kind` with
//   using Object = ...;                       what the object property points to
//   static const char* OldProcProperty();    the property that keeps the previous procedure
//   static const char* ObjectProperty();     the property that keeps the object
//   static bool OnMessage(Object* object, HWND window, UINT message, WPARAM wparam,
//                         LPARAM lparam, LRESULT& result);
// OnMessage sees every message of a subclassed window first: true answers it with `result`,
// false hands it on unchanged to the previous procedure. An exception never leaves the
// procedure: a message whose handler throws is handed on as if unhandled.
//
// Kinds stack: each kind's procedure hands on to the one below it. A kind removed while another
// procedure lies over it is taken out of the chain when that procedure is one of these kinds;
// under a foreign procedure it stays in the chain and only hands messages on (its object
// property is gone, so it calls no handler), until it is on top again or the window ends.
// At WM_NCDESTROY the kind hands the message on, then removes its properties.
#pragma once

#include <windows.h>

namespace KestrinWinNS {

// One kind as the procedure sees it.
struct PropSubclassKind {
  const char* old_proc_property;
  const char* object_property;
  WNDPROC proc;
  bool (*handler)(void* object, HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
};

namespace detail {
bool PropSubclass(const PropSubclassKind& kind, HWND window, void* object);
bool PropUnsubclass(const PropSubclassKind& kind, HWND window);
LRESULT PropDispatch(const PropSubclassKind& kind, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
WNDPROC PropPrevious(const PropSubclassKind& kind, HWND window);
void* PropObject(const PropSubclassKind& kind, HWND window);
}  // namespace detail

template <typename Kind>
class CPropSubclass {
 public:
  using Object = typename Kind::Object;

  // Puts the kind's procedure on the window with `object` (not null). False when the window
  // is not one, the object is null, or the window already has the kind's properties.
  static bool Subclass(HWND window, Object* object) {
    return detail::PropSubclass(Describe(), window, const_cast<void*>(static_cast<const void*>(object)));
  }
  // Takes the kind off the window (see above for a procedure set over it) and removes its
  // properties. False when the window did not have it.
  static bool Unsubclass(HWND window) { return detail::PropUnsubclass(Describe(), window); }
  // The object the window's messages go to, or null.
  static Object* ObjectOf(HWND window) { return static_cast<Object*>(detail::PropObject(Describe(), window)); }
  static bool IsSubclassed(HWND window) { return ObjectOf(window) != nullptr; }
  // Hands a message on to the procedure below the kind: for a handler that must act after the
  // window has handled the message (it returns true with the answer).
  static LRESULT CallPrevious(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC previous = detail::PropPrevious(Describe(), window);
    return previous ? CallWindowProcA(previous, window, message, wparam, lparam)
                    : DefWindowProcA(window, message, wparam, lparam);
  }
  static WNDPROC Proc() { return &WindowProc; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return detail::PropDispatch(Describe(), window, message, wparam, lparam);
  }
  static bool Handle(void* object, HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
    return Kind::OnMessage(static_cast<Object*>(object), window, message, wparam, lparam, *result);
  }
  static const PropSubclassKind& Describe() {
    static const PropSubclassKind kind{Kind::OldProcProperty(), Kind::ObjectProperty(), &WindowProc, &Handle};
    return kind;
  }
};

}  // namespace KestrinWinNS
