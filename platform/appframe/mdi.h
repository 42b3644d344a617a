// MDI frames: a frame whose client is the system's MDI client window, holding document
// windows (CMDIChildWnd). The frame's default procedure is DefFrameProc and a child's is
// DefMDIChildProc. An activated child puts its menu (its template's shared menu) on the frame
// with WM_MDISETMENU; when none is active the frame's own menu returns. Commands reaching the
// frame go first to the active child's route (its view, then the child), then to the frame,
// then to the application.
#pragma once

#include <windows.h>

#include "platform/appframe/frame_wnd.h"

class CMDIChildWnd;

extern const wchar_t kMDIFrameClass[];
extern const wchar_t kMDIChildClass[];

class CMDIFrameWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMDIFrameWnd)
 public:
  CMDIFrameWnd() {}

  HWND m_hWndMDIClient = nullptr;   // the MDI client window (id IDW_PANE_FIRST)

  // Makes the MDI client; `window_menu` is the popup that lists the document windows.
  virtual bool CreateClient(LPCREATESTRUCTW cs, HMENU window_menu);
  // The popup named "&Window" (or else the one before the last) of the frame's menu.
  virtual HMENU GetWindowMenuPopup(HMENU menu_bar);

  // The active child and whether it is maximised.
  CMDIChildWnd* MDIGetActive(bool* maximized = nullptr) const;
  void MDIActivate(CWnd* child);
  void MDINext();
  void MDIPrev();
  void MDIMaximize(CWnd* child);
  void MDIRestore(CWnd* child);
  void MDICascade() { ::SendMessageW(m_hWndMDIClient, WM_MDICASCADE, 0, 0); }
  void MDITile(UINT how = MDITILE_HORIZONTAL) { ::SendMessageW(m_hWndMDIClient, WM_MDITILE, how, 0); }
  void MDIIconArrange() { ::SendMessageW(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0); }
  // Puts `frame_menu` (and its window popup) on the frame through the client; returns the
  // menu shown before.
  HMENU MDISetMenu(HMENU frame_menu, HMENU window_menu);
  // Shows the menu of the active child (`alternate`), or the frame's own when null.
  virtual void OnUpdateFrameMenu(HMENU alternate);

  CFrameWnd* GetActiveFrame() override;
  // The active child's document.
  CDocument* GetActiveDocument() override;
  bool RouteCmdMsgInFrame(UINT id, int code, void* extra, LRESULT* result, bool notify) override;
  bool OnCreateClient(LPCREATESTRUCTW cs, CCreateContext* context) override;
  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  bool PreTranslateMessage(MSG* msg) override;
  LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnIdleUpdateCmdUI(bool disable_if_no_handler) override;
  void OnUpdateFrameTitle(bool add_to_title) override;

 protected:
  void OnWindowCommand(UINT id);
  void OnUpdateWindowCommand(CCmdUI* ui);
  DECLARE_MESSAGE_MAP()
};

class CMDIChildWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMDIChildWnd)
 public:
  CMDIChildWnd() {}

  // Creates the child in `parent`'s client window (through WM_MDICREATE).
  virtual bool Create(const wchar_t* class_name, const wchar_t* title,
                      DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                      CMDIFrameWnd* parent = nullptr, CCreateContext* context = nullptr);
  // Takes the icon and title of `resource_id` and its template's menu and accelerators.
  bool LoadFrame(UINT resource_id, DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* parent = nullptr, CCreateContext* context = nullptr) override;
  bool DestroyWindow() override;

  CMDIFrameWnd* GetMDIFrame() const;
  void MDIActivate();
  void MDIDestroy() { DestroyWindow(); }
  void MDIMaximize();
  void MDIRestore();

  // The menu and accelerators this child puts on the frame (its template's; not owned).
  HMENU m_hMenuShared = nullptr;

  void ActivateFrame(int cmd = -1) override;
  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  bool PreTranslateMessage(MSG* msg) override;
  LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnUpdateFrameTitle(bool add_to_title) override;

 protected:
  LRESULT OnMDIActivate(WPARAM wparam, LPARAM lparam);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()
};
