// The skin object of one subclassed window: the window's previous procedure, the messages the
// skin may handle, the opt-out protocol and the default processing skin objects fall back to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CTKSkinManager;

class CTKSkinObject {
 public:
  // What a default-processing call goes to: the previous procedure (shared window procedure),
  // a window-procedure caller (redirected CallWindowProc) or a default window procedure
  // (redirected DefWindowProc).
  enum class DefaultKind { PreviousProc = 0, CallWindowProc = 1, DefWindowProc = 2 };
  struct DefWindowDescriptor {
    DefaultKind kind;
    FARPROC function;
    WNDPROC proc;
  };

  explicit CTKSkinObject(const wchar_t* skinClassName);
  virtual ~CTKSkinObject() = default;
  CTKSkinObject(const CTKSkinObject&) = delete;
  CTKSkinObject& operator=(const CTKSkinObject&) = delete;

  void Attach(HWND hwnd);
  // Puts the previous procedure back; when another procedure was set over the skin's, the
  // window is remembered instead (CallDetachedPrevious).
  void Detach();
  // A message that reached the shared window procedure after the window's object went: passed
  // to the procedure the window had before the skin's, when the window was detached that way.
  static bool CallDetachedPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  static void ForgetDetached(HWND hwnd);

  // WM_ACTIVATE, WM_SETCURSOR, WM_NOTIFY and WM_COMMAND are never the skin's; the update-state
  // message refreshes the pass-through state.
  bool IsMessageExcluded(UINT message);
  void RefreshPassThrough();
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's own procedure is the application's: below the application limit, or the
  // framework's window procedure. Never for WM_TIMER.
  bool IsApplicationProc(UINT message) const;
  // The handling test: the message is not excluded and, in the strict form, the window's
  // procedure is not the application's own (which passes what it leaves to the default
  // procedure, where the object meets it).
  bool WantsMessage(UINT message, bool strict);

  // The object's message slot: true when it handled the message (result set).
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // The default-processing slot reached through the redirected default procedures.
  virtual bool OnDefaultMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // After a skin load, unload or option change.
  virtual void Refresh() {}
  virtual void OnSkinStateChange(int oldLoaded, int newLoaded) {}
  // A window scroll bar (SB_HORZ or SB_VERT) changed while drawing was held back.
  virtual void RedrawScrollBar(int bar);
  // While the skin's own loop tracks a press on the bar (SB_HORZ, SB_VERT or SB_CTL): true and
  // the position the loop has reached (which the scroll messages carry in only 16 bits).
  virtual bool TrackingPosition(int bar, int* position) const { return false; }

  void PushDefault(const DefWindowDescriptor& d) { defaults_.push_back(d); }
  void PopDefault() {
    if (!defaults_.empty()) defaults_.pop_back();
  }

  HWND Handle() const { return hwnd_; }
  WNDPROC PreviousProc() const { return previous_proc_; }
  bool IsUnicode() const { return unicode_; }
  bool IsPassThrough() const { return pass_through_ != 0; }
  const std::wstring& SkinClassName() const { return skin_class_; }
  const std::wstring& WindowClassName() const { return class_name_; }
  void SetWindowClassName(const std::wstring& name) { class_name_ = name; }
  void SetManager(CTKSkinManager* manager) { manager_ = manager; }
  CTKSkinManager* Manager() const { return manager_; }
  // 6 for a page of a property sheet, 2 for another dialog, 0 for other windows.
  int FrameKind() const { return frame_kind_; }
  void SetFrameKind(int kind) { frame_kind_ = kind; }
  UINT CurrentMessage() const { return current_message_; }
  void SetCurrentMessage(UINT message) { current_message_ = message; }

  static UINT UpdateStateMessage();
  static UINT QueryStateMessage();

  // Held while one of the window's messages is being handled. The window may be destroyed
  // meanwhile; its object is then only marked removed and the outermost scope deletes it.
  class DispatchScope {
   public:
    explicit DispatchScope(CTKSkinObject* object) : object_(object) { ++object_->dispatch_depth_; }
    ~DispatchScope() {
      if (--object_->dispatch_depth_ == 0 && object_->removed_) delete object_;
    }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

   private:
    CTKSkinObject* object_;
  };
  bool InDispatch() const { return dispatch_depth_ > 0; }
  // Hands the object to the dispatch scopes still running on it.
  void MarkRemoved() { removed_ = true; }

 protected:
  HWND hwnd_ = nullptr;
  WNDPROC previous_proc_ = nullptr;
  bool unicode_ = true;
  CTKSkinManager* manager_ = nullptr;
  std::wstring skin_class_;
  std::wstring class_name_;
  int pass_through_ = 0;
  ULONG_PTR app_proc_limit_ = 0x70000000;
  std::vector<DefWindowDescriptor> defaults_;
  UINT current_message_ = 0;
  int frame_kind_ = 0;

 private:
  int dispatch_depth_ = 0;
  bool removed_ = false;
};

// A device context for painting a skinned window: the one WM_PAINT carries in wParam, else
// BeginPaint (and then EndPaint when done).
class CTKSkinObjectPaintDC {
 public:
  CTKSkinObjectPaintDC(HWND hwnd, WPARAM wParam);
  ~CTKSkinObjectPaintDC();
  CTKSkinObjectPaintDC(const CTKSkinObjectPaintDC&) = delete;
  CTKSkinObjectPaintDC& operator=(const CTKSkinObjectPaintDC&) = delete;
  HDC dc() const { return dc_; }
  bool BeganPaint() const { return began_; }

 private:
  HWND hwnd_;
  HDC dc_;
  PAINTSTRUCT paint_{};
  bool began_ = false;
};
