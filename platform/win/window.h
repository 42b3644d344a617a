// The base of our own windows. A window class registered through RegisterWindowClass sends its
// messages to the object that created the window: the handle is bound to the object at
// WM_NCCREATE, every message goes through ProcessWindowMessage, and what it leaves unhandled
// goes to the default procedure (DefWindowProcA, the superclass's procedure, or the procedure a
// subclassed window had). After WM_NCDESTROY the object is unbound and OnFinalMessage runs.
//
// Exceptions never leave the window procedure: a message whose handler throws gets the default
// answer. A window is used on the thread that created it.
#pragma once

#include <windows.h>

namespace KestrinWinNS {

class CWindowBase {
 public:
  CWindowBase() = default;
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;

  // True when the message was handled; `result` is then the answer.
  virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) = 0;
  // A window still alive is only cut off from the object (and a subclassed one given its
  // procedure back): it is not destroyed here, since this may run at process exit.
  virtual ~CWindowBase();
  // The procedure of windows bound to objects.
  virtual WNDPROC GetWindowProc();
  // Runs after the last message (WM_NCDESTROY), once the object is unbound.
  virtual void OnFinalMessage(HWND window);

  HWND GetHwnd() const { return hwnd_; }

  // Registers `window_class` in the code's module with the bound procedure (its lpfnWndProc and
  // hInstance are filled in here). True when the class is there now, registered by this call
  // or before.
  static bool RegisterWindowClass(WNDCLASSEXA window_class);
  // Registers `name` as a superclass of the system class `base_class`: its class styles,
  // cursor and brush, and its procedure as the default procedure of the windows made by
  // Create. True when the class is there now.
  static bool RegisterSuperclass(const char* base_class, const char* name);

  // CreateWindowExA in the code's module with this object as the creation parameter; the
  // class must have been registered through RegisterWindowClass or RegisterSuperclass.
  HWND Create(const char* class_name, DWORD ex_style, DWORD style, const RECT& rect, HWND parent,
              HMENU menu_or_id = nullptr, const char* title = "");

  // Subclassing through one call: the window's messages come to this object, and what it
  // leaves unhandled goes to the procedure the window had. False when the window is bound
  // already or this object already has a window.
  bool SubclassWindow(HWND window);
  // Puts the earlier procedure back and unbinds the window (it stays alive).
  HWND UnsubclassWindow();
  // Cuts the window off from the object, whatever bound it, and forgets the handle (also one
  // whose window is gone already). The window stays as it is; its messages go to the default
  // procedure from now on.
  HWND Detach();

  // Unbinds the window, then destroys it: no message of its destruction reaches the object.
  // For destructors of derived classes, whose part must not be called once they run.
  void DestroyUnbound();

  // The object bound to `window`, or null.
  static CWindowBase* FromHandle(HWND window);

 protected:
  // The default procedure of the window for one message.
  LRESULT DefaultProc(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Bind(HWND window);
  void Unbind();

  HWND hwnd_ = nullptr;
  WNDPROC default_proc_ = &DefWindowProcA;
  bool subclassed_ = false;
};

}  // namespace KestrinWinNS
