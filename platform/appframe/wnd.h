// Windows as command targets. Every window a CWnd creates or subclasses is entered in its
// thread's handle map and sent through the object's message map; what the map leaves
// unhandled goes to the window's previous procedure (its class procedure, or the default one).
// Exceptions never leave the window procedure.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/frame_messages.h"
#include "platform/appframe/string.h"
#include "platform/appframe/types.h"

// Modes of RepositionBars.
enum RepositionMode { reposDefault = 0, reposQuery = 1, reposExtra = 2 };

// RunModalLoop flags.
constexpr DWORD MLF_NOIDLEMSG = 0x0001;   // no WM_ENTERIDLE to the owner
constexpr DWORD MLF_NOKICKIDLE = 0x0002;  // no WM_KICKIDLE to the window
constexpr DWORD MLF_SHOWONIDLE = 0x0004;  // show the window at the loop's first idle

// Registers a window class of the framework in the module that holds this code (the default
// procedure: CWnd objects take the window at creation). True when the class is there now.
bool RegisterFrameworkClass(const wchar_t* name, UINT class_style, HBRUSH background, HCURSOR cursor = nullptr,
                            HICON icon = nullptr);

// The instance a window of `class_name` is created with: the module that holds this code when
// the class is registered there, else the program's.
HINSTANCE ClassInstanceFor(const wchar_t* class_name);

class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)
 public:
  CWnd() {}
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object of a window of this thread: its permanent object, else a temporary one that
  // lives until the idle time of the message loop it was made in (the application's loop, or
  // a modal loop of the framework: RunModalLoop, a tracking loop's RunModalIdle), or until
  // DeleteTempMap. Null for a null handle.
  static CWnd* FromHandle(HWND window);
  // The permanent object only.
  static CWnd* FromHandlePermanent(HWND window);
  // Frees this thread's temporary objects.
  static void DeleteTempMap();
  // The number of this thread's temporary objects.
  static size_t TemporaryCount();

  // Creates the window; it is subclassed from its very first message on. False on failure.
  virtual bool CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style,
                        const RECT& rect, HWND parent, UINT id, void* param = nullptr);
  virtual bool DestroyWindow();
  // Runs `make` (which creates a window) with this object taking the first window the thread
  // creates, from its very first message on. False when no window was made or another took it.
  bool CreateHooked(const std::function<HWND()>& make);

  // Enters an existing window in the map without changing its procedure.
  bool Attach(HWND window);
  HWND Detach();
  // Routes an existing window's messages through this object.
  bool SubclassWindow(HWND window);
  bool SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();

  // The procedure of every window in the map.
  static LRESULT CALLBACK WindowProcThunk(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // Message processing.
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  virtual bool OnWndMsg(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  // The default processing of the message being handled (inside a handler).
  LRESULT Default();
  virtual bool OnCommand(WPARAM wparam, LPARAM lparam);
  virtual bool OnNotify(WPARAM wparam, LPARAM lparam, LRESULT* result);
  // A notification of this control reached its parent: the control sees it first, reflected
  // (ON_CONTROL_REFLECT, ON_NOTIFY_REFLECT). True when the control took it.
  virtual bool OnChildNotify(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  virtual bool PreTranslateMessage(MSG* msg);
  // Called after the last message of the window (WM_NCDESTROY); the handle is gone.
  virtual void PostNcDestroy() {}
  // Walks the update handlers of a popup menu's items (WM_INITMENUPOPUP); with
  // `disable_if_no_handler` an item nobody handles is disabled.
  void UpdateMenuItems(HMENU menu, bool disable_if_no_handler = false);

  // The layout pass over this window's children: each child whose id lies in [first, last]
  // takes its strip of the free rectangle (WM_SIZEPARENT), the child `leftover` gets what
  // remains, and every move is made in one deferred-positions batch. reposQuery only
  // measures (`param` receives the free rectangle); reposExtra keeps the borders given in
  // `param` free around the leftover child. `client` replaces the client rectangle.
  void RepositionBars(UINT first, UINT last, UINT leftover, RepositionMode mode = reposDefault, RECT* param = nullptr,
                      const RECT* client = nullptr, bool stretch = true);
  // Sends a message to every child (and, when `deep`, their children).
  void SendMessageToDescendants(UINT message, WPARAM wparam = 0, LPARAM lparam = 0, bool deep = true);

  // A modal message loop for this window: runs until EndModalLoop, pumping the thread's
  // messages through the application's PreTranslateMessage; when the queue is empty it runs
  // the idle work (WM_ENTERIDLE to the owner, WM_KICKIDLE to the window, the temporary
  // objects made inside the loop freed). Returns EndModalLoop's value.
  int RunModalLoop(DWORD flags = 0);
  void EndModalLoop(int result);
  bool ContinueModal() const { return in_modal_loop_; }
  // The idle work of a framework loop that pumps its own messages (tracking, dragging):
  // count 0 frees the temporary objects made since the loop began (`depth`, from
  // EnterModalLoopDepth) and sends WM_KICKIDLE to `window`.
  static void RunModalIdle(HWND window, LONG count, int depth);
  // Marks the start and end of a nested loop for the temporary objects' lifetime.
  static int EnterModalLoopDepth();
  static void LeaveModalLoopDepth(int depth);

  CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
  CWnd* GetTopLevelParent() const;
  CWnd* GetDescendantWindow(UINT id) const;

  // Plain Win32 operations on the window.
  LRESULT SendMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageW(m_hWnd, m, w, l); }
  bool PostMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageW(m_hWnd, m, w, l) != FALSE; }
  void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
  CString GetWindowText() const;
  bool ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd) != FALSE; }
  bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
  bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
  bool EnableWindow(bool enable = true) { return ::EnableWindow(m_hWnd, enable) != FALSE; }
  void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT* rect, bool erase = true) { ::InvalidateRect(m_hWnd, rect, erase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
  bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != FALSE; }
  CRect GetClientRect() const;
  CRect GetWindowRect() const;
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
  bool MoveWindow(const RECT& r, bool repaint = true) {
    return ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint) != FALSE;
  }
  bool SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) != FALSE;
  }
  bool SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd) != FALSE; }
  HWND SetFocus() { return ::SetFocus(m_hWnd); }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
  bool ModifyStyle(DWORD remove, DWORD add, UINT swp_flags = 0);
  bool ModifyStyleEx(DWORD remove, DWORD add, UINT swp_flags = 0);
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

  // Dialog items.
  CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
  HWND GetDlgItemHandle(int id) const { return ::GetDlgItem(m_hWnd, id); }
  void SetDlgItemText(int id, const wchar_t* text) { ::SetDlgItemTextW(m_hWnd, id, text); }
  CString GetDlgItemText(int id) const;
  void SetDlgItemInt(int id, int value, bool is_signed = true) { ::SetDlgItemInt(m_hWnd, id, value, is_signed); }
  LRESULT SendDlgItemMessage(int id, UINT m, WPARAM w = 0, LPARAM l = 0) const {
    return ::SendDlgItemMessageW(m_hWnd, id, m, w, l);
  }
  void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
  UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
  void CheckRadioButton(int first, int last, int checked) { ::CheckRadioButton(m_hWnd, first, last, checked); }

  // Set while the window's caption is to be drawn active although another window holds the
  // activation (a floating palette or popup of its own is in front).
  bool m_stayActive = false;

 protected:
  DECLARE_MESSAGE_MAP()

  WNDPROC m_pfnSuper = nullptr;   // the procedure the window had before this object took it
  // Default handlers the crackers call: what the window's previous procedure makes of it.
  int OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
  void OnDestroy() { Default(); }
  int m_nModalResult = 0;
  bool in_modal_loop_ = false;

 private:
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  void OnNcDestroyed();
};
