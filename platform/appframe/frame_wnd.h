// Frame windows: a top-level window with its bars, its client (the view, or an MDI frame's
// client window) and the command route of the program. A frame
//  - is created through PreCreateWindow (the CREATESTRUCT may be changed) and OnCreateClient
//    (makes the view from the creation context's runtime class);
//  - lays out in one pass (RecalcLayout): each bar child takes its strip of the free rectangle
//    through WM_SIZEPARENT, the client gets what remains, and every move goes in one
//    deferred-positions batch; a pass asked for while one runs is refused, and
//    DelayRecalcLayout leaves a request that the next idle update consumes;
//  - routes commands and command-state updates to the active view (an MDI frame: the active
//    child, which routes to its own view), then to itself, then to the application;
//  - at the idle update (WM_IDLEUPDATECMDUI) updates its bars and consumes the pending layout;
//  - shows texts in its message bar on WM_SETMESSAGESTRING and restores them on
//    WM_POPMESSAGESTRING;
//  - tells its floating windows (owned popups) when it is activated, enabled or shown.
// Frames made by a document template delete themselves after their last message.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/appframe/frame_messages.h"
#include "platform/appframe/string.h"
#include "platform/appframe/types.h"
#include "platform/appframe/wnd.h"

class CControlBar;
class CDocument;
class CDocTemplate;
class CFrameWnd;

// What a frame is made with: the view to create in it and the document it shows.
struct CCreateContext {
  const CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CWnd* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

// Frame style: the title shows the active document's name.
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
constexpr DWORD FWS_PREFIXTITLE = 0x00040000;

// The window class of frames made with no class of their own.
extern const wchar_t kFrameWndClass[];

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)
 public:
  CFrameWnd();
  ~CFrameWnd() override;

  static const RECT rectDefault;  // CW_USEDEFAULT in each field

  // Creates the frame: PreCreateWindow, then the window (class kFrameWndClass when null),
  // with the menu `menu` (the frame then owns it) and OnCreateClient from `context`.
  virtual bool Create(const wchar_t* class_name, const wchar_t* title, DWORD style = WS_OVERLAPPEDWINDOW,
                      const RECT& rect = rectDefault, CWnd* parent = nullptr, HMENU menu = nullptr,
                      DWORD ex_style = 0, CCreateContext* context = nullptr);
  // Creates the frame with the menu, accelerators, icon and title (the string's first '\n'
  // part) of `resource_id` from the resource module; a resource that is missing is skipped.
  virtual bool LoadFrame(UINT resource_id, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* parent = nullptr, CCreateContext* context = nullptr);
  // May change the creation values; false stops the creation.
  virtual bool PreCreateWindow(CREATESTRUCTW& cs);
  // Makes the view named by the context (id IDW_PANE_FIRST); true without one.
  virtual bool OnCreateClient(LPCREATESTRUCTW cs, CCreateContext* context);
  // Shows the frame (nCmdShow -1: SW_SHOW, or SW_SHOWMAXIMIZED... as given).
  virtual void ActivateFrame(int cmd = -1);
  // Sends WM_INITIALUPDATE to the views, activates the first view and, when asked, the frame.
  virtual void InitialUpdateFrame(CDocument* document, bool make_visible);

  // The layout pass; refused while one runs.
  virtual void RecalcLayout(bool notify = true);
  // Asks for a layout pass at the next idle update.
  void DelayRecalcLayout(bool notify = true);
  bool IsInRecalcLayout() const { return in_recalc_layout_; }
  // Room the client keeps free inside the bars (left, top, right, bottom).
  CRect m_rectBorder;

  // The bar list: bars enter when they are created as children (or floated) of this frame.
  void AddControlBar(CControlBar* bar);
  void RemoveControlBar(CControlBar* bar);
  const std::vector<CControlBar*>& GetControlBars() const { return bars_; }
  CControlBar* GetControlBar(UINT id) const;
  // Shows or hides a bar now (then lays out) or at the next idle update.
  void ShowControlBar(CControlBar* bar, bool show, bool delay);

  // The active view (not owned); changing it sends WM_ACTIVATE-like notices to neither.
  CWnd* GetActiveView() const { return active_view_; }
  void SetActiveView(CWnd* view, bool notify = true);
  // A view that goes tells its frame.
  void ForgetView(CWnd* view);
  // The frame whose view is active: this one; an MDI frame's active child.
  virtual CFrameWnd* GetActiveFrame() { return this; }
  // The document of the active view (or the frame's context document); null when none.
  virtual CDocument* GetActiveDocument();
  // The template of the active document, else the template that made this frame.
  CDocTemplate* GetActiveTemplate();
  CDocTemplate* m_pTemplate = nullptr;   // not owned
  // The top-level frame this window lies in (its own frame for a child frame's descendants).
  static CFrameWnd* GetParentFrameOf(HWND window);

  // Command route: the active view (an MDI frame: the active child), this frame, the
  // application. An update handler that sets m_bContinueRouting hands on to the next target.
  bool OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool notify = false) override;
  // The route inside this frame only (view or active child, then the frame's own map).
  virtual bool RouteCmdMsgInFrame(UINT id, int code, void* extra, LRESULT* result, bool notify);
  // Menu items without an update handler and without a command handler are disabled when
  // their popup opens.
  bool m_bAutoMenuEnable = true;

  // The message bar (the child of id IDW_STATUS_BAR) and its text.
  CWnd* GetMessageBar() const;
  void SetMessageText(const wchar_t* text);
  void SetMessageText(UINT id);
  // The text of a command's message: its string resource up to the first '\n'.
  virtual void GetMessageString(UINT id, CString& message) const;
  UINT m_nIDTracking = 0;       // the id whose text is shown
  UINT m_nIDLastMessage = 0;    // the id shown before it

  // Idle work: bits of what the next idle update does (idleLayout is the pending layout).
  enum IdleFlags { idleMenu = 1, idleTitle = 2, idleNotify = 4, idleLayout = 8 };
  UINT m_nIdleFlags = 0;
  // The idle update of this frame: its children (bars) first, then the pending work.
  virtual void OnIdleUpdateCmdUI(bool disable_if_no_handler);
  virtual void OnUpdateFrameTitle(bool add_to_title);
  // Sends WM_FLOATSTATUS to the windows this frame owns.
  void NotifyFloatingWindows(WPARAM flags);

  HACCEL m_hAccelTable = nullptr;   // shared (the template's) or owned (LoadFrame)
  HMENU m_hMenuDefault = nullptr;   // the frame's own menu, destroyed with the frame
  bool m_bAutoDelete = false;       // deleted after its last message

  bool PreTranslateMessage(MSG* msg) override;

 protected:
  int OnCreate(LPCREATESTRUCTW cs);
  void OnSize(UINT type, int cx, int cy);
  void OnDestroy();
  void OnClose();
  void OnInitMenuPopup(HMENU menu, UINT index, bool system_menu);
  void OnMenuSelect(UINT item, UINT flags, HMENU menu);
  LRESULT OnSetMessageString(WPARAM wparam, LPARAM lparam);
  LRESULT OnPopMessageString(WPARAM wparam, LPARAM lparam);
  LRESULT OnIdleUpdateCmdUIMessage(WPARAM wparam, LPARAM lparam);
  LRESULT OnRecalcParent(WPARAM wparam, LPARAM lparam);
  LRESULT OnActivateMessage(WPARAM wparam, LPARAM lparam);
  LRESULT OnEnableMessage(WPARAM wparam, LPARAM lparam);
  LRESULT OnShowWindowMessage(WPARAM wparam, LPARAM lparam);
  void OnSetFocus(CWnd* old);
  void PostNcDestroy() override;
  DECLARE_MESSAGE_MAP()

  // The creation context of the running Create (OnCreate hands it to OnCreateClient).
  CCreateContext* creating_context_ = nullptr;
  bool owns_accel_ = false;
  DWORD add_to_title_ = 0;   // FWS_ADDTOTITLE / FWS_PREFIXTITLE given at creation
  CString title_;            // the frame's own title (without the document's name)
  CDocument* context_document_ = nullptr;

 private:
  std::vector<CControlBar*> bars_;
  CWnd* active_view_ = nullptr;
  bool in_recalc_layout_ = false;
};
