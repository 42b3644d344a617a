// Command targets: objects that answer messages and commands through a message map, a static
// table per class that names, for each message or command id, the member that handles it.
// A class's table is searched before its base class's table.
//
//   class CMyDialog : public CDialog {
//     ...
//     DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//     ON_COMMAND(ID_ABOUT, OnAbout)            // void OnAbout()
//     ON_UPDATE_COMMAND_UI(ID_ABOUT, OnUpdate)  // void OnUpdate(CCmdUI*)
//     ON_MESSAGE(WM_APP, OnApp)                 // LRESULT OnApp(WPARAM, LPARAM)
//   END_MESSAGE_MAP()
//
// Handlers may be private or protected: each entry is compiled inside the class. Each class's
// maps are merged once, at the first message, into one dispatch table keyed by message; a
// message then looks only at the entries of its own number.
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/appframe/object.h"

class CCmdTarget;
class CCmdUI;

// Command codes besides the control notification codes (BN_CLICKED, CBN_SELCHANGE, ...).
const int CN_COMMAND = 0;
const int CN_UPDATE_COMMAND_UI = -1;
// Asks a route whether some target has a command handler for the id (nothing runs).
const int CN_HAS_HANDLER = -2;

// What a handler receives: the message and, for commands and notifications, the id and code.
struct CMessageArgs {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  UINT id;
  int code;
  void* extra;      // CCmdUI* for update handlers, NMHDR* for notifications
  LRESULT result;   // what the window procedure returns when the entry handled the message
};

// Returns true when the message was handled.
typedef bool (*CMessageThunk)(CCmdTarget* target, CMessageArgs& args);

struct CMessageMapEntry {
  UINT message;              // WM_COMMAND, WM_NOTIFY or the window message
  int code;                  // command or notification code (for WM_COMMAND and WM_NOTIFY)
  UINT first_id;
  UINT last_id;
  const UINT* message_var;   // a message registered at run time; `message` is then unused
  CMessageThunk thunk;       // null ends the table
};

struct CDispatchTable;

struct CMessageMap {
  const CMessageMap* (*base)();
  const CMessageMapEntry* entries;
  // The merged table of this class and its bases, built at the first message.
  mutable std::atomic<const CDispatchTable*> table;
};

// The entries of one class's map and its bases' maps for `message`, most derived first (those
// of messages registered at run time included); null when there are none.
const CMessageMapEntry* const* FindDispatchEntries(const CMessageMap* map, UINT message, size_t* count);

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  CCmdTarget() {}
  ~CCmdTarget() override {}

  // Routes a command (code CN_COMMAND or a control notification), an update request
  // (CN_UPDATE_COMMAND_UI, `extra` the CCmdUI) or a notification (`notify` set, `extra` the
  // NMHDR) to this object's message map. True when a handler took it.
  virtual bool OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool notify = false);

  // Reference count: one at construction; the object deletes itself through OnFinalRelease
  // when the count drops to zero.
  LONG InternalAddRef() { return InterlockedIncrement(&m_dwRef); }
  LONG InternalRelease();
  LONG GetRefCount() const { return m_dwRef; }

  // The entry that handles `message` (for WM_COMMAND and WM_NOTIFY: with that id and code).
  const CMessageMapEntry* FindEntry(UINT message, UINT id, int code) const;

 protected:
  virtual void OnFinalRelease() { delete this; }
  virtual const CMessageMap* GetMessageMap() const;
  static const CMessageMap* GetThisMessageMap();
  // Runs the entry of the map for the message; true when it handled it. An update handler
  // that sets the CCmdUI's m_bContinueRouting leaves the update unhandled.
  bool DispatchEntry(UINT message, UINT id, int code, CMessageArgs& args);

  volatile LONG m_dwRef = 1;
};

// An update request for one command: the target's update handler enables, checks or names
// the menu item or control behind it.
class CCmdUI {
 public:
  virtual ~CCmdUI() {}
  virtual void Enable(bool on = true);
  virtual void SetCheck(int check = 1);
  virtual void SetRadio(bool on = true);
  virtual void SetText(const wchar_t* text);
  // Asks `target` (its route) to update this command; without an update handler and with
  // `disable_if_no_handler`, disables it when no target on the route has a command handler.
  virtual bool DoUpdate(CCmdTarget* target, bool disable_if_no_handler);

  UINT m_nID = 0;
  UINT m_nIndex = 0;
  HMENU m_hMenu = nullptr;     // the menu of the item, or null
  HWND m_hOther = nullptr;     // the control of the command, or null
  bool m_bEnableChanged = false;
  bool m_bContinueRouting = false;
};

#define DECLARE_MESSAGE_MAP()                           \
 protected:                                             \
  static const CMessageMap* GetThisMessageMap();        \
  const CMessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(the_class, base_class)                                            \
  const CMessageMap* the_class::GetMessageMap() const { return GetThisMessageMap(); }       \
  const CMessageMap* the_class::GetThisMessageMap() {                                        \
    using ThisClass [[maybe_unused]] = the_class;                                                           \
    typedef base_class TheBaseClass;                                                         \
    static const CMessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                    \
      {0, 0, 0, 0, nullptr, nullptr}};                                                       \
    static const CMessageMap map = {&TheBaseClass::GetThisMessageMap, entries};              \
    return &map;                                                                             \
  }

#define KR_MAP_THUNK(body) \
  [](CCmdTarget* target_, CMessageArgs& args_) -> bool { ThisClass* self_ = static_cast<ThisClass*>(target_); (void)self_; (void)args_; body }

// Commands and control notifications (WM_COMMAND).
#define ON_COMMAND(id_, fn_) {WM_COMMAND, CN_COMMAND, (id_), (id_), nullptr, KR_MAP_THUNK(self_->fn_(); return true;)},
#define ON_COMMAND_RANGE(first_, last_, fn_) \
  {WM_COMMAND, CN_COMMAND, (first_), (last_), nullptr, KR_MAP_THUNK(self_->fn_(args_.id); return true;)},
// bool fn(UINT id): false lets the command go on to the next target.
#define ON_COMMAND_EX(id_, fn_) {WM_COMMAND, CN_COMMAND, (id_), (id_), nullptr, KR_MAP_THUNK(return self_->fn_(args_.id);)},
#define ON_UPDATE_COMMAND_UI(id_, fn_)                                                        \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id_), (id_), nullptr,                                   \
   KR_MAP_THUNK(self_->fn_(static_cast<CCmdUI*>(args_.extra)); return true;)},
#define ON_UPDATE_COMMAND_UI_RANGE(first_, last_, fn_)                                         \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (first_), (last_), nullptr,                              \
   KR_MAP_THUNK(self_->fn_(static_cast<CCmdUI*>(args_.extra)); return true;)},
#define ON_CONTROL(code_, id_, fn_) {WM_COMMAND, (code_), (id_), (id_), nullptr, KR_MAP_THUNK(self_->fn_(); return true;)},
#define ON_BN_CLICKED(id_, fn_) ON_CONTROL(BN_CLICKED, id_, fn_)
#define ON_CBN_SELCHANGE(id_, fn_) ON_CONTROL(CBN_SELCHANGE, id_, fn_)
#define ON_CBN_KILLFOCUS(id_, fn_) ON_CONTROL(CBN_KILLFOCUS, id_, fn_)
#define ON_CBN_EDITCHANGE(id_, fn_) ON_CONTROL(CBN_EDITCHANGE, id_, fn_)
#define ON_EN_CHANGE(id_, fn_) ON_CONTROL(EN_CHANGE, id_, fn_)
#define ON_EN_KILLFOCUS(id_, fn_) ON_CONTROL(EN_KILLFOCUS, id_, fn_)

// A control's own notification, reflected back to it by its parent: void fn().
#define ON_CONTROL_REFLECT(code_, fn_) \
  {WM_REFLECT_BASE + WM_COMMAND, (code_), 0, 0, nullptr, KR_MAP_THUNK(self_->fn_(); return true;)},
// void fn(NMHDR*, LRESULT*).
#define ON_NOTIFY_REFLECT(code_, fn_)                                                          \
  {WM_REFLECT_BASE + WM_NOTIFY, static_cast<int>(code_), 0, 0, nullptr,                         \
   KR_MAP_THUNK(self_->fn_(static_cast<NMHDR*>(args_.extra), &args_.result); return true;)},

// Notifications (WM_NOTIFY): void fn(NMHDR*, LRESULT*).
#define ON_NOTIFY(code_, id_, fn_)                                                             \
  {WM_NOTIFY, static_cast<int>(code_), (id_), (id_), nullptr,                                  \
   KR_MAP_THUNK(self_->fn_(static_cast<NMHDR*>(args_.extra), &args_.result); return true;)},
// void fn(UINT id, NMHDR*, LRESULT*).
#define ON_NOTIFY_RANGE(code_, first_, last_, fn_)                                             \
  {WM_NOTIFY, static_cast<int>(code_), (first_), (last_), nullptr,                             \
   KR_MAP_THUNK(self_->fn_(args_.id, static_cast<NMHDR*>(args_.extra), &args_.result); return true;)},

// Window messages: LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(message_, fn_) \
  {(message_), 0, 0, 0, nullptr, KR_MAP_THUNK(args_.result = self_->fn_(args_.wParam, args_.lParam); return true;)},
// A message whose number is registered at run time and kept in a UINT variable.
#define ON_REGISTERED_MESSAGE(variable_, fn_) \
  {0, 0, 0, 0, &(variable_), KR_MAP_THUNK(args_.result = self_->fn_(args_.wParam, args_.lParam); return true;)},

// Window messages with their parameters unpacked.
#define ON_WM_TIMER() \
  {WM_TIMER, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnTimer(static_cast<UINT_PTR>(args_.wParam)); return true;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnClose(); return true;)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnDestroy(); return true;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnPaint(); return true;)},
#define ON_WM_SIZE()                                                                         \
  {WM_SIZE, 0, 0, 0, nullptr,                                                                \
   KR_MAP_THUNK(self_->OnSize(static_cast<UINT>(args_.wParam), LOWORD(args_.lParam), HIWORD(args_.lParam)); return true;)},
// BOOL OnEraseBkgnd(CDC*)
#define ON_WM_ERASEBKGND()                                                                   \
  {WM_ERASEBKGND, 0, 0, 0, nullptr,                                                          \
   KR_MAP_THUNK(CDC dc_; dc_.Attach(reinterpret_cast<HDC>(args_.wParam));                     \
                args_.result = self_->OnEraseBkgnd(&dc_); dc_.Detach(); return true;)},
// void OnHScroll(UINT code, UINT pos, CWnd* scroll_bar)
#define ON_WM_HSCROLL()                                                                      \
  {WM_HSCROLL, 0, 0, 0, nullptr,                                                             \
   KR_MAP_THUNK(self_->OnHScroll(LOWORD(args_.wParam), HIWORD(args_.wParam),                 \
                                 CWnd::FromHandle(reinterpret_cast<HWND>(args_.lParam))); return true;)},
#define ON_WM_VSCROLL()                                                                      \
  {WM_VSCROLL, 0, 0, 0, nullptr,                                                             \
   KR_MAP_THUNK(self_->OnVScroll(LOWORD(args_.wParam), HIWORD(args_.wParam),                 \
                                 CWnd::FromHandle(reinterpret_cast<HWND>(args_.lParam))); return true;)},
// HBRUSH OnCtlColor(CDC*, CWnd*, UINT ctl_type): for every WM_CTLCOLOR* message. A null
// result hands the message to the default processing.
#define KR_CTLCOLOR_ENTRY(msg_, type_)                                                         \
  {(msg_), 0, 0, 0, nullptr,                                                                  \
   KR_MAP_THUNK(CDC dc_; dc_.Attach(reinterpret_cast<HDC>(args_.wParam));                     \
                HBRUSH b_ = self_->OnCtlColor(&dc_, CWnd::FromHandle(reinterpret_cast<HWND>(args_.lParam)), (type_)); \
                dc_.Detach(); args_.result = reinterpret_cast<LRESULT>(b_); return b_ != nullptr;)},
#define ON_WM_CTLCOLOR()                                   \
  KR_CTLCOLOR_ENTRY(WM_CTLCOLORSTATIC, CTLCOLOR_STATIC)    \
  KR_CTLCOLOR_ENTRY(WM_CTLCOLOREDIT, CTLCOLOR_EDIT)        \
  KR_CTLCOLOR_ENTRY(WM_CTLCOLORBTN, CTLCOLOR_BTN)          \
  KR_CTLCOLOR_ENTRY(WM_CTLCOLORLISTBOX, CTLCOLOR_LISTBOX)  \
  KR_CTLCOLOR_ENTRY(WM_CTLCOLORDLG, CTLCOLOR_DLG)          \
  KR_CTLCOLOR_ENTRY(WM_CTLCOLORSCROLLBAR, CTLCOLOR_SCROLLBAR)

// More window messages with their parameters unpacked. A handler that wants the default
// processing as well calls CWnd::Default().
#define KR_POINT_ (CPoint(static_cast<short>(LOWORD(args_.lParam)), static_cast<short>(HIWORD(args_.lParam))))
#define KR_WND_(value_) (CWnd::FromHandle(reinterpret_cast<HWND>(value_)))
// int OnCreate(LPCREATESTRUCTW): -1 stops the creation.
#define ON_WM_CREATE() \
  {WM_CREATE, 0, 0, 0, nullptr, KR_MAP_THUNK(args_.result = self_->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(args_.lParam)); return true;)},
#define ON_WM_NCDESTROY() {WM_NCDESTROY, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnNcDestroy(); return true;)},
// void fn(UINT flags, CPoint point)
#define KR_MOUSE_ENTRY_(msg_, fn_) \
  {(msg_), 0, 0, 0, nullptr, KR_MAP_THUNK(self_->fn_(static_cast<UINT>(args_.wParam), KR_POINT_); return true;)},
#define ON_WM_LBUTTONDOWN() KR_MOUSE_ENTRY_(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() KR_MOUSE_ENTRY_(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() KR_MOUSE_ENTRY_(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() KR_MOUSE_ENTRY_(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() KR_MOUSE_ENTRY_(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MBUTTONDOWN() KR_MOUSE_ENTRY_(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MOUSEMOVE() KR_MOUSE_ENTRY_(WM_MOUSEMOVE, OnMouseMove)
// void fn(UINT hit, CPoint screen_point)
#define ON_WM_NCLBUTTONDOWN() KR_MOUSE_ENTRY_(WM_NCLBUTTONDOWN, OnNcLButtonDown)
#define ON_WM_NCLBUTTONDBLCLK() KR_MOUSE_ENTRY_(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
#define ON_WM_NCMOUSEMOVE() KR_MOUSE_ENTRY_(WM_NCMOUSEMOVE, OnNcMouseMove)
// BOOL OnMouseWheel(UINT flags, short delta, CPoint screen_point)
#define ON_WM_MOUSEWHEEL()                                                                      \
  {WM_MOUSEWHEEL, 0, 0, 0, nullptr,                                                             \
   KR_MAP_THUNK(args_.result = self_->OnMouseWheel(LOWORD(args_.wParam),           \
                                                   static_cast<short>(HIWORD(args_.wParam)), KR_POINT_); return true;)},
#define ON_WM_MOUSELEAVE() {WM_MOUSELEAVE, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnMouseLeave(); return true;)},
// LRESULT OnNcHitTest(CPoint screen_point)
#define ON_WM_NCHITTEST() {WM_NCHITTEST, 0, 0, 0, nullptr, KR_MAP_THUNK(args_.result = self_->OnNcHitTest(KR_POINT_); return true;)},
// void OnNcCalcSize(BOOL calc_valid_rects, NCCALCSIZE_PARAMS*)
#define ON_WM_NCCALCSIZE()                                                                      \
  {WM_NCCALCSIZE, 0, 0, 0, nullptr,                                                             \
   KR_MAP_THUNK(self_->OnNcCalcSize(static_cast<BOOL>(args_.wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(args_.lParam)); return true;)},
#define ON_WM_NCPAINT() {WM_NCPAINT, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnNcPaint(); return true;)},
// BOOL OnNcActivate(BOOL active)
#define ON_WM_NCACTIVATE() \
  {WM_NCACTIVATE, 0, 0, 0, nullptr, KR_MAP_THUNK(args_.result = self_->OnNcActivate(static_cast<BOOL>(args_.wParam)); return true;)},
// BOOL OnSetCursor(CWnd* window, UINT hit, UINT message)
#define ON_WM_SETCURSOR()                                                                       \
  {WM_SETCURSOR, 0, 0, 0, nullptr,                                                              \
   KR_MAP_THUNK(args_.result = self_->OnSetCursor(KR_WND_(args_.wParam), LOWORD(args_.lParam), HIWORD(args_.lParam)); return true;)},
// int OnMouseActivate(CWnd* top, UINT hit, UINT message)
#define ON_WM_MOUSEACTIVATE()                                                                   \
  {WM_MOUSEACTIVATE, 0, 0, 0, nullptr,                                                          \
   KR_MAP_THUNK(args_.result = self_->OnMouseActivate(KR_WND_(args_.wParam), LOWORD(args_.lParam), HIWORD(args_.lParam)); return true;)},
// void OnActivate(UINT state, CWnd* other, BOOL minimized)
#define ON_WM_ACTIVATE()                                                                        \
  {WM_ACTIVATE, 0, 0, 0, nullptr,                                                               \
   KR_MAP_THUNK(self_->OnActivate(LOWORD(args_.wParam), KR_WND_(args_.lParam), HIWORD(args_.wParam) != 0); return true;)},
// void OnSetFocus(CWnd* old), void OnKillFocus(CWnd* next)
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnSetFocus(KR_WND_(args_.wParam)); return true;)},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnKillFocus(KR_WND_(args_.wParam)); return true;)},
// void OnShowWindow(BOOL show, UINT status)
#define ON_WM_SHOWWINDOW() \
  {WM_SHOWWINDOW, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnShowWindow(static_cast<BOOL>(args_.wParam), static_cast<UINT>(args_.lParam)); return true;)},
// void OnEnable(BOOL enable)
#define ON_WM_ENABLE() {WM_ENABLE, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnEnable(static_cast<BOOL>(args_.wParam)); return true;)},
// void OnWindowPosChanging(WINDOWPOS*), void OnWindowPosChanged(WINDOWPOS*)
#define ON_WM_WINDOWPOSCHANGING() \
  {WM_WINDOWPOSCHANGING, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(args_.lParam)); return true;)},
#define ON_WM_WINDOWPOSCHANGED() \
  {WM_WINDOWPOSCHANGED, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(args_.lParam)); return true;)},
// void OnGetMinMaxInfo(MINMAXINFO*)
#define ON_WM_GETMINMAXINFO() \
  {WM_GETMINMAXINFO, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(args_.lParam)); return true;)},
// void fn(UINT key, UINT repeat, UINT flags)
#define KR_KEY_ENTRY_(msg_, fn_)                                                                  \
  {(msg_), 0, 0, 0, nullptr,                                                                    \
   KR_MAP_THUNK(self_->fn_(static_cast<UINT>(args_.wParam), LOWORD(args_.lParam), HIWORD(args_.lParam)); return true;)},
#define ON_WM_KEYDOWN() KR_KEY_ENTRY_(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() KR_KEY_ENTRY_(WM_KEYUP, OnKeyUp)
#define ON_WM_SYSKEYDOWN() KR_KEY_ENTRY_(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_CHAR() KR_KEY_ENTRY_(WM_CHAR, OnChar)
// UINT OnGetDlgCode()
#define ON_WM_GETDLGCODE() {WM_GETDLGCODE, 0, 0, 0, nullptr, KR_MAP_THUNK(args_.result = self_->OnGetDlgCode(); return true;)},
// void OnSysCommand(UINT id, LPARAM lparam)
#define ON_WM_SYSCOMMAND() \
  {WM_SYSCOMMAND, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnSysCommand(static_cast<UINT>(args_.wParam), args_.lParam); return true;)},
// void OnContextMenu(CWnd* window, CPoint screen_point)
#define ON_WM_CONTEXTMENU() \
  {WM_CONTEXTMENU, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnContextMenu(KR_WND_(args_.wParam), KR_POINT_); return true;)},
// void OnCaptureChanged(CWnd* next)
#define ON_WM_CAPTURECHANGED() \
  {WM_CAPTURECHANGED, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnCaptureChanged(KR_WND_(args_.lParam)); return true;)},
#define ON_WM_CANCELMODE() {WM_CANCELMODE, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnCancelMode(); return true;)},
#define ON_WM_SYSCOLORCHANGE() {WM_SYSCOLORCHANGE, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnSysColorChange(); return true;)},
// void OnSettingChange(UINT flags, const wchar_t* section)
#define ON_WM_SETTINGCHANGE() \
  {WM_SETTINGCHANGE, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnSettingChange(static_cast<UINT>(args_.wParam), reinterpret_cast<const wchar_t*>(args_.lParam)); return true;)},
// void OnInitMenuPopup(HMENU popup, UINT index, BOOL system_menu)
#define ON_WM_INITMENUPOPUP()                                                                   \
  {WM_INITMENUPOPUP, 0, 0, 0, nullptr,                                                          \
   KR_MAP_THUNK(self_->OnInitMenuPopup(reinterpret_cast<HMENU>(args_.wParam), LOWORD(args_.lParam), HIWORD(args_.lParam) != 0); return true;)},
// void OnMenuSelect(UINT item, UINT flags, HMENU menu)
#define ON_WM_MENUSELECT() \
  {WM_MENUSELECT, 0, 0, 0, nullptr, KR_MAP_THUNK(self_->OnMenuSelect(LOWORD(args_.wParam), HIWORD(args_.wParam), reinterpret_cast<HMENU>(args_.lParam)); return true;)},
// void OnMDIActivate(BOOL activate, CWnd* activated, CWnd* deactivated), in an MDI child
#define ON_WM_MDIACTIVATE()                                                                     \
  {WM_MDIACTIVATE, 0, 0, 0, nullptr,                                                            \
   KR_MAP_THUNK(self_->OnMDIActivate(reinterpret_cast<HWND>(args_.lParam) == self_->m_hWnd,     \
                                     KR_WND_(args_.lParam), KR_WND_(args_.wParam)); return true;)},
