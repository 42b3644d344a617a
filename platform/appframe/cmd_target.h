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
// Handlers may be private or protected: each entry is compiled inside the class.
#pragma once

#include <windows.h>

#include "platform/appframe/object.h"

class CCmdTarget;
class CCmdUI;

// Command codes besides the control notification codes (BN_CLICKED, CBN_SELCHANGE, ...).
const int CN_COMMAND = 0;
const int CN_UPDATE_COMMAND_UI = -1;

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

struct CMessageMap {
  const CMessageMap* (*base)();
  const CMessageMapEntry* entries;
};

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
  // Runs the entry of the map for the message; true when it handled it.
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
  // Asks `target` to update this command; without a handler, disables it when
  // `disable_if_no_handler` is set and the target has no command handler either.
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

// Notifications (WM_NOTIFY): void fn(NMHDR*, LRESULT*).
#define ON_NOTIFY(code_, id_, fn_)                                                             \
  {WM_NOTIFY, static_cast<int>(code_), (id_), (id_), nullptr,                                  \
   KR_MAP_THUNK(self_->fn_(static_cast<NMHDR*>(args_.extra), &args_.result); return true;)},

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
