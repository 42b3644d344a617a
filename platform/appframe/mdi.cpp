#include "platform/appframe/mdi.h"

#include "platform/appframe/app.h"
#include "platform/appframe/dialog.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/document.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
  ON_COMMAND_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnWindowCommand)
  ON_UPDATE_COMMAND_UI_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnUpdateWindowCommand)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
  ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivate)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

const wchar_t kMDIFrameClass[] = L"KestrinMDIFrame";
const wchar_t kMDIChildClass[] = L"KestrinMDIChild";

// ---------------------------------------------------------------------------------------------
// The frame

bool CMDIFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    if (!RegisterFrameworkClass(kMDIFrameClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1), nullptr,
                                ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512))))
      return false;
    cs.lpszClass = kMDIFrameClass;
  }
  return CFrameWnd::PreCreateWindow(cs);
}

bool CMDIFrameWnd::OnCreateClient(LPCREATESTRUCTW cs, CCreateContext*) {
  return CreateClient(cs, GetWindowMenuPopup(m_hMenuDefault));
}

bool CMDIFrameWnd::CreateClient(LPCREATESTRUCTW, HMENU window_menu) {
  CLIENTCREATESTRUCT client = {};
  client.hWindowMenu = window_menu;
  client.idFirstChild = IDM_FIRST_MDICHILD;
  m_hWndMDIClient = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                                      0, 0, 0, 0, m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDW_PANE_FIRST)),
                                      ::GetModuleHandleW(nullptr), &client);
  return m_hWndMDIClient != nullptr;
}

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU menu_bar) {
  if (!menu_bar) return nullptr;
  int count = ::GetMenuItemCount(menu_bar);
  for (int i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    ::GetMenuStringW(menu_bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    HMENU popup = ::GetSubMenu(menu_bar, i);
    if (popup && lstrcmpiW(text, L"&Window") == 0) return popup;
  }
  // The window menu is conventionally the one before the last (Help).
  return count >= 2 ? ::GetSubMenu(menu_bar, count - 2) : nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(bool* maximized) const {
  BOOL max = FALSE;
  HWND child = m_hWndMDIClient
                   ? reinterpret_cast<HWND>(::SendMessageW(m_hWndMDIClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&max)))
                   : nullptr;
  if (maximized) *maximized = child && max;
  CWnd* wnd = CWnd::FromHandlePermanent(child);
  return wnd && wnd->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)) ? static_cast<CMDIChildWnd*>(wnd) : nullptr;
}

void CMDIFrameWnd::MDIActivate(CWnd* child) {
  if (child) ::SendMessageW(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->m_hWnd), 0);
}

void CMDIFrameWnd::MDINext() { ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 0); }

void CMDIFrameWnd::MDIPrev() { ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 1); }

void CMDIFrameWnd::MDIMaximize(CWnd* child) {
  if (child) ::SendMessageW(m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->m_hWnd), 0);
}

void CMDIFrameWnd::MDIRestore(CWnd* child) {
  if (child) ::SendMessageW(m_hWndMDIClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->m_hWnd), 0);
}

HMENU CMDIFrameWnd::MDISetMenu(HMENU frame_menu, HMENU window_menu) {
  HMENU old = reinterpret_cast<HMENU>(
      ::SendMessageW(m_hWndMDIClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(frame_menu), reinterpret_cast<LPARAM>(window_menu)));
  ::DrawMenuBar(m_hWnd);
  return old;
}

void CMDIFrameWnd::OnUpdateFrameMenu(HMENU alternate) {
  HMENU menu = alternate ? alternate : m_hMenuDefault;
  // A frame whose menu was taken away (a menu bar shows it) keeps none.
  if (!menu || !::GetMenu(m_hWnd)) return;
  if (::GetMenu(m_hWnd) == menu) return;
  MDISetMenu(menu, GetWindowMenuPopup(menu));
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
  CMDIChildWnd* child = MDIGetActive();
  return child ? static_cast<CFrameWnd*>(child) : this;
}

CDocument* CMDIFrameWnd::GetActiveDocument() {
  CMDIChildWnd* child = MDIGetActive();
  return child ? child->GetActiveDocument() : CFrameWnd::GetActiveDocument();
}

bool CMDIFrameWnd::RouteCmdMsgInFrame(UINT id, int code, void* extra, LRESULT* result, bool notify) {
  // The active child's view and the child first, then this frame.
  CMDIChildWnd* child = MDIGetActive();
  if (child && child->RouteCmdMsgInFrame(id, code, extra, result, notify)) return true;
  return CFrameWnd::RouteCmdMsgInFrame(id, code, extra, result, notify);
}

bool CMDIFrameWnd::PreTranslateMessage(MSG* msg) {
  // The active child's accelerators, then the MDI keys (Ctrl+F6 ...), then the frame's.
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    CMDIChildWnd* child = MDIGetActive();
    if (child && child->m_hAccelTable && child->m_hAccelTable != m_hAccelTable &&
        ::TranslateAcceleratorW(m_hWnd, child->m_hAccelTable, msg))
      return true;
    if (m_hWndMDIClient && ::TranslateMDISysAccel(m_hWndMDIClient, msg)) return true;
  }
  return CFrameWnd::PreTranslateMessage(msg);
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  // WM_SIZE is the layout pass's: the system's frame procedure would give the whole client
  // area to the MDI client.
  if (message == WM_SIZE) return ::DefWindowProcW(m_hWnd, message, wparam, lparam);
  return ::DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wparam, lparam);
}

void CMDIFrameWnd::OnIdleUpdateCmdUI(bool disable_if_no_handler) {
  if (m_nIdleFlags & idleMenu) {
    CMDIChildWnd* child = MDIGetActive();
    OnUpdateFrameMenu(child ? child->m_hMenuShared : nullptr);
    m_nIdleFlags &= ~idleMenu;
  }
  CFrameWnd::OnIdleUpdateCmdUI(disable_if_no_handler);
}

void CMDIFrameWnd::OnUpdateFrameTitle(bool add_to_title) {
  // The system shows a maximised child's title beside the frame's.
  m_nIdleFlags &= ~idleTitle;
  if (add_to_title && add_to_title_ && !title_.IsEmpty() && GetWindowText().IsEmpty()) SetWindowText(title_);
}

void CMDIFrameWnd::OnWindowCommand(UINT id) {
  switch (id) {
    case ID_WINDOW_ARRANGE: MDIIconArrange(); break;
    case ID_WINDOW_CASCADE: MDICascade(); break;
    case ID_WINDOW_TILE_HORZ: MDITile(MDITILE_HORIZONTAL); break;
    case ID_WINDOW_TILE_VERT: MDITile(MDITILE_VERTICAL); break;
    default: break;
  }
}

void CMDIFrameWnd::OnUpdateWindowCommand(CCmdUI* ui) { ui->Enable(MDIGetActive() != nullptr); }

// ---------------------------------------------------------------------------------------------
// Document windows

bool CMDIChildWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    if (!RegisterFrameworkClass(kMDIChildClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512))))
      return false;
    cs.lpszClass = kMDIChildClass;
  }
  cs.style |= WS_CHILD | WS_CLIPSIBLINGS;
  return CFrameWnd::PreCreateWindow(cs);
}

bool CMDIChildWnd::Create(const wchar_t* class_name, const wchar_t* title, DWORD style, const RECT& rect,
                          CMDIFrameWnd* parent, CCreateContext* context) {
  if (m_hWnd) return false;
  if (!parent) {
    CWinApp* app = CWinApp::GetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (main && main->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd))) parent = static_cast<CMDIFrameWnd*>(main);
  }
  if (!parent || !parent->m_hWndMDIClient) return false;
  CREATESTRUCTW cs = {};
  cs.lpszClass = class_name;
  cs.lpszName = title;
  cs.style = style;
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.right - rect.left;
  cs.cy = rect.bottom - rect.top;
  if (rect.left == static_cast<LONG>(CW_USEDEFAULT)) cs.x = cs.y = cs.cx = cs.cy = static_cast<int>(CW_USEDEFAULT);
  cs.hwndParent = parent->m_hWndMDIClient;
  DWORD add_to_title = style & (FWS_ADDTOTITLE | FWS_PREFIXTITLE);
  if (!PreCreateWindow(cs)) return false;
  if (cs.lpszName) title_ = cs.lpszName;
  creating_context_ = context;
  if (context) context_document_ = context->m_pCurrentDoc;
  // Created by the client window (WM_MDICREATE); maximised when the active child is.
  bool maximized = false;
  parent->MDIGetActive(&maximized);
  MDICREATESTRUCTW mcs = {};
  mcs.szClass = cs.lpszClass;
  mcs.szTitle = cs.lpszName;
  mcs.hOwner = ClassInstanceFor(cs.lpszClass);
  mcs.x = cs.x;
  mcs.y = cs.y;
  mcs.cx = cs.cx;
  mcs.cy = cs.cy;
  mcs.style = (cs.style & ~(WS_MAXIMIZE | WS_VISIBLE)) | (maximized ? WS_MAXIMIZE : 0);
  mcs.lParam = reinterpret_cast<LPARAM>(context);
  HWND client = parent->m_hWndMDIClient;
  bool made = CreateHooked([&] {
    return reinterpret_cast<HWND>(::SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  });
  creating_context_ = nullptr;
  if (!made) return false;
  add_to_title_ = add_to_title;
  if (style & WS_VISIBLE) {
    ShowWindow(maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    MDIActivate();
  }
  return true;
}

bool CMDIChildWnd::LoadFrame(UINT resource_id, DWORD style, CWnd* parent, CCreateContext* context) {
  CString strings;
  strings.LoadString(GetResourceModule(), resource_id);
  int end = strings.Find(L'\n');
  CString title = end < 0 ? strings : strings.Left(end);
  CMDIFrameWnd* frame = parent && parent->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)) ? static_cast<CMDIFrameWnd*>(parent) : nullptr;
  if (!Create(nullptr, title, style, rectDefault, frame, context)) return false;
  if (HICON icon = ::LoadIconW(GetResourceModule(), MAKEINTRESOURCEW(resource_id))) {
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  return true;
}

bool CMDIChildWnd::DestroyWindow() {
  if (!m_hWnd) return false;
  HWND client = ::GetParent(m_hWnd);
  HWND window = m_hWnd;
  ::SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
  return !::IsWindow(window);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
  HWND client = ::GetParent(m_hWnd);
  CWnd* frame = client ? CWnd::FromHandlePermanent(::GetParent(client)) : nullptr;
  return frame && frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)) ? static_cast<CMDIFrameWnd*>(frame) : nullptr;
}

void CMDIChildWnd::MDIActivate() {
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIActivate(this);
}

void CMDIChildWnd::MDIMaximize() {
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIMaximize(this);
}

void CMDIChildWnd::MDIRestore() {
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIRestore(this);
}

void CMDIChildWnd::ActivateFrame(int cmd) {
  bool maximized = false;
  CMDIFrameWnd* frame = GetMDIFrame();
  if (frame) frame->MDIGetActive(&maximized);
  if (cmd == -1) cmd = maximized ? SW_SHOWMAXIMIZED : (::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOWNORMAL);
  ShowWindow(cmd);
  MDIActivate();
}

bool CMDIChildWnd::PreTranslateMessage(MSG*) {
  // The frame translates the child's accelerators (they name the frame's window).
  return false;
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefMDIChildProcW(m_hWnd, message, wparam, lparam);
}

LRESULT CMDIChildWnd::OnMDIActivate(WPARAM wparam, LPARAM lparam) {
  LRESULT result = DefWindowProc(WM_MDIACTIVATE, wparam, lparam);
  HWND activated = reinterpret_cast<HWND>(lparam);
  HWND deactivated = reinterpret_cast<HWND>(wparam);
  CMDIFrameWnd* frame = GetMDIFrame();
  if (!frame) return result;
  // The activated child puts its menu on the frame; when none follows, the frame's own returns.
  if (activated == m_hWnd) {
    frame->OnUpdateFrameMenu(m_hMenuShared);
    frame->OnUpdateFrameTitle(true);
  } else if (deactivated == m_hWnd && !activated) {
    frame->OnUpdateFrameMenu(nullptr);
  }
  frame->m_nIdleFlags |= idleMenu;
  return result;
}

void CMDIChildWnd::OnUpdateFrameTitle(bool add_to_title) {
  m_nIdleFlags &= ~idleTitle;
  if (!add_to_title || !add_to_title_) return;
  CDocument* document = GetActiveDocument();
  CString title = document && !document->GetTitle().IsEmpty() ? document->GetTitle() : title_;
  if (GetWindowText() != title) SetWindowText(title);
}

void CMDIChildWnd::OnDestroy() {
  // The frame's menu follows the active child at the next idle update.
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->m_nIdleFlags |= idleMenu;
  CFrameWnd::OnDestroy();
}
