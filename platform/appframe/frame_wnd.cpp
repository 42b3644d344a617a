#include "platform/appframe/frame_wnd.h"

#include <algorithm>

#include "platform/appframe/app.h"
#include "platform/appframe/control_bar.h"
#include "platform/appframe/dialog.h"
#include "platform/appframe/doc_template.h"
#include "platform/appframe/document.h"
#include "platform/appframe/view.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_WM_CLOSE()
  ON_WM_INITMENUPOPUP()
  ON_WM_MENUSELECT()
  ON_WM_SETFOCUS()
  ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
  ON_MESSAGE(WM_POPMESSAGESTRING, OnPopMessageString)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUIMessage)
  ON_MESSAGE(WM_RECALCPARENT, OnRecalcParent)
  ON_MESSAGE(WM_ACTIVATE, OnActivateMessage)
  ON_MESSAGE(WM_ENABLE, OnEnableMessage)
  ON_MESSAGE(WM_SHOWWINDOW, OnShowWindowMessage)
END_MESSAGE_MAP()

const wchar_t kFrameWndClass[] = L"KestrinFrameWnd";
const RECT CFrameWnd::rectDefault = {static_cast<LONG>(CW_USEDEFAULT), static_cast<LONG>(CW_USEDEFAULT), 0, 0};

namespace {
const wchar_t kIdleMessage[] = L"Ready";

CString LoadResourceString(UINT id) {
  CString text;
  const wchar_t* resource = nullptr;
  int length = ::LoadStringW(GetResourceModule(), id, reinterpret_cast<LPWSTR>(&resource), 0);
  if (length > 0 && resource) text = CString(resource, length);
  return text;
}

// Part `index` of a '\n' separated string.
CString StringPart(const CString& text, int index) {
  int start = 0;
  for (int i = 0; i < index; ++i) {
    int next = text.Find(L'\n', start);
    if (next < 0) return CString();
    start = next + 1;
  }
  int end = text.Find(L'\n', start);
  return text.Mid(start, (end < 0 ? text.GetLength() : end) - start);
}
}  // namespace

CFrameWnd::CFrameWnd() {}

CFrameWnd::~CFrameWnd() {
  if (m_hWnd) DestroyWindow();
  for (CControlBar* bar : bars_)
    if (bar->m_pDockSite == this) bar->m_pDockSite = nullptr;
  if (owns_accel_ && m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
  if (m_hMenuDefault && !::IsMenu(m_hMenuDefault)) m_hMenuDefault = nullptr;
  if (m_hMenuDefault) ::DestroyMenu(m_hMenuDefault);
}

CFrameWnd* CFrameWnd::GetParentFrameOf(HWND window) {
  if (!window) return nullptr;
  for (HWND up = ::GetParent(window); up; up = ::GetParent(up)) {
    CWnd* wnd = CWnd::FromHandlePermanent(up);
    if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(wnd);
    if (!(::GetWindowLongPtrW(up, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    if (!RegisterFrameworkClass(kFrameWndClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512))))
      return false;
    cs.lpszClass = kFrameWndClass;
  }
  // The client is covered by the view and the bars.
  cs.style |= WS_CLIPCHILDREN;
  // The title is built from the document's name when asked.
  cs.style &= ~(FWS_ADDTOTITLE | FWS_PREFIXTITLE);
  return true;
}

bool CFrameWnd::Create(const wchar_t* class_name, const wchar_t* title, DWORD style, const RECT& rect, CWnd* parent,
                       HMENU menu, DWORD ex_style, CCreateContext* context) {
  if (m_hWnd) return false;
  CREATESTRUCTW cs = {};
  cs.dwExStyle = ex_style;
  cs.lpszClass = class_name;
  cs.lpszName = title;
  cs.style = style;
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.right - rect.left;
  cs.cy = rect.bottom - rect.top;
  if (rect.left == static_cast<LONG>(CW_USEDEFAULT)) cs.cx = cs.cy = static_cast<int>(CW_USEDEFAULT);
  cs.hwndParent = parent ? parent->m_hWnd : nullptr;
  cs.hMenu = menu;
  cs.hInstance = ::GetModuleHandleW(nullptr);
  cs.lpCreateParams = context;
  DWORD add_to_title = style & (FWS_ADDTOTITLE | FWS_PREFIXTITLE);
  if (!PreCreateWindow(cs)) return false;
  if (menu && !(cs.style & WS_CHILD)) m_hMenuDefault = menu;
  creating_context_ = context;
  if (context) context_document_ = context->m_pCurrentDoc;
  if (cs.lpszName) title_ = cs.lpszName;
  bool made = CreateHooked([&] {
    return ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y,
                             cs.cx, cs.cy, cs.hwndParent, cs.hMenu,
                             ClassInstanceFor(cs.lpszClass), cs.lpCreateParams);
  });
  creating_context_ = nullptr;
  if (!made) return false;
  add_to_title_ = add_to_title;
  if (add_to_title) OnUpdateFrameTitle(true);
  return true;
}

bool CFrameWnd::LoadFrame(UINT resource_id, DWORD style, CWnd* parent, CCreateContext* context) {
  HINSTANCE module = GetResourceModule();
  CString strings = LoadResourceString(resource_id);
  CString title = StringPart(strings, 0);
  HMENU menu = (style & WS_CHILD) ? nullptr : ::LoadMenuW(module, MAKEINTRESOURCEW(resource_id));
  if (!Create(nullptr, title, style, rectDefault, parent, menu, 0, context)) {
    if (menu && m_hMenuDefault != menu) ::DestroyMenu(menu);
    return false;
  }
  if (HICON icon = ::LoadIconW(module, MAKEINTRESOURCEW(resource_id))) {
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  if (!m_hAccelTable) {
    m_hAccelTable = ::LoadAcceleratorsW(module, MAKEINTRESOURCEW(resource_id));
    owns_accel_ = m_hAccelTable != nullptr;
  }
  return true;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTW cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  CCreateContext* context = creating_context_;
  if (!OnCreateClient(cs, context)) return -1;
  RecalcLayout();
  return 0;
}

bool CFrameWnd::OnCreateClient(LPCREATESTRUCTW, CCreateContext* context) {
  if (!context || !context->m_pNewViewClass) return true;
  CObject* object = context->m_pNewViewClass->CreateObject();
  if (!object) return false;
  if (!object->IsKindOf(RUNTIME_CLASS(CView))) {
    delete object;
    return false;
  }
  CView* view = static_cast<CView*>(object);
  // From its creation on, the view deletes itself after its last message.
  if (!view->Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, IDW_PANE_FIRST, context)) {
    delete view;
    return false;
  }
  if (!active_view_) SetActiveView(view, false);
  return true;
}

void CFrameWnd::ActivateFrame(int cmd) {
  if (cmd == -1) cmd = ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW;
  ShowWindow(cmd);
  if (::IsWindowVisible(m_hWnd)) ::BringWindowToTop(m_hWnd);
}

void CFrameWnd::InitialUpdateFrame(CDocument*, bool make_visible) {
  if (!active_view_) {
    CWnd* pane = CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, static_cast<int>(IDW_PANE_FIRST)));
    if (pane && pane->IsKindOf(RUNTIME_CLASS(CView))) SetActiveView(pane, false);
  }
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, true);
  if (make_visible) {
    ActivateFrame();
    if (active_view_ && active_view_->m_hWnd) ::SetFocus(active_view_->m_hWnd);
  }
  OnUpdateFrameTitle(true);
}

void CFrameWnd::RecalcLayout(bool) {
  // A pass asked for while one runs (a bar that resizes itself in it) is refused.
  if (in_recalc_layout_ || !m_hWnd) return;
  in_recalc_layout_ = true;
  m_nIdleFlags &= ~(idleLayout | idleNotify);
  RepositionBars(0, 0xFFFF, IDW_PANE_FIRST, reposExtra, &m_rectBorder);
  in_recalc_layout_ = false;
}

void CFrameWnd::DelayRecalcLayout(bool notify) { m_nIdleFlags |= idleLayout | (notify ? idleNotify : 0); }

void CFrameWnd::AddControlBar(CControlBar* bar) {
  if (bar && std::find(bars_.begin(), bars_.end(), bar) == bars_.end()) bars_.push_back(bar);
}

void CFrameWnd::RemoveControlBar(CControlBar* bar) { bars_.erase(std::remove(bars_.begin(), bars_.end(), bar), bars_.end()); }

CControlBar* CFrameWnd::GetControlBar(UINT id) const {
  for (CControlBar* bar : bars_)
    if (bar->m_hWnd && static_cast<UINT>(::GetDlgCtrlID(bar->m_hWnd)) == id) return bar;
  return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* bar, bool show, bool delay) {
  if (!bar || !bar->m_hWnd) return;
  if (delay) {
    bar->DelayShow(show);
    DelayRecalcLayout();
    return;
  }
  bar->m_nStateFlags &= ~(CControlBar::delayShow | CControlBar::delayHide);
  ::SetWindowPos(bar->m_hWnd, nullptr, 0, 0, 0, 0,
                 (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RecalcLayout();
}

void CFrameWnd::SetActiveView(CWnd* view, bool notify) {
  CWnd* old = active_view_;
  if (old == view) return;
  active_view_ = view;
  if (!notify) return;
  CView* old_view = old && old->IsKindOf(RUNTIME_CLASS(CView)) ? static_cast<CView*>(old) : nullptr;
  CView* new_view = view && view->IsKindOf(RUNTIME_CLASS(CView)) ? static_cast<CView*>(view) : nullptr;
  if (old_view) old_view->OnActivateView(false, new_view, old_view);
  if (new_view) new_view->OnActivateView(true, new_view, old_view);
}

void CFrameWnd::ForgetView(CWnd* view) {
  if (active_view_ == view) active_view_ = nullptr;
}

CDocument* CFrameWnd::GetActiveDocument() {
  if (active_view_ && active_view_->IsKindOf(RUNTIME_CLASS(CView)))
    if (CDocument* document = static_cast<CView*>(active_view_)->GetDocument()) return document;
  return context_document_;
}

CDocTemplate* CFrameWnd::GetActiveTemplate() {
  CFrameWnd* frame = GetActiveFrame();
  if (!frame) frame = this;
  if (CDocument* document = frame->GetActiveDocument())
    if (document->GetDocTemplate()) return document->GetDocTemplate();
  return frame->m_pTemplate;
}

bool CFrameWnd::RouteCmdMsgInFrame(UINT id, int code, void* extra, LRESULT* result, bool notify) {
  // The active view (and through it its document), then this frame.
  if (active_view_ && active_view_->m_hWnd && active_view_->OnCmdMsg(id, code, extra, result, notify)) return true;
  return CWnd::OnCmdMsg(id, code, extra, result, notify);
}

bool CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool notify) {
  if (RouteCmdMsgInFrame(id, code, extra, result, notify)) return true;
  CWinApp* app = CWinApp::GetApp();
  return app && app->OnCmdMsg(id, code, extra, result, notify);
}

CWnd* CFrameWnd::GetMessageBar() const {
  HWND bar = ::GetDlgItem(m_hWnd, static_cast<int>(IDW_STATUS_BAR));
  return bar ? CWnd::FromHandle(bar) : nullptr;
}

void CFrameWnd::SetMessageText(const wchar_t* text) { SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(text)); }

void CFrameWnd::SetMessageText(UINT id) { SendMessage(WM_SETMESSAGESTRING, id, 0); }

void CFrameWnd::GetMessageString(UINT id, CString& message) const {
  message = StringPart(LoadResourceString(id), 0);
  if (message.IsEmpty() && id == IDS_IDLEMESSAGE) message = kIdleMessage;
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wparam, LPARAM lparam) {
  UINT last = m_nIDTracking;
  CString text;
  if (lparam)
    text = reinterpret_cast<const wchar_t*>(lparam);
  else if (wparam)
    GetMessageString(static_cast<UINT>(wparam), text);
  HWND bar = ::GetDlgItem(m_hWnd, static_cast<int>(IDW_STATUS_BAR));
  if (bar) ::SendMessageW(bar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetString()));
  m_nIDLastMessage = last;
  m_nIDTracking = static_cast<UINT>(wparam);
  return last;
}

LRESULT CFrameWnd::OnPopMessageString(WPARAM wparam, LPARAM lparam) {
  // Without an id or text: the text shown before the last one (the idle text when none).
  if (wparam == 0 && lparam == 0) wparam = m_nIDLastMessage ? m_nIDLastMessage : IDS_IDLEMESSAGE;
  return OnSetMessageString(wparam, lparam);
}

void CFrameWnd::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
  // The menu closed: back to the idle text; an item: its message.
  if (flags == 0xFFFF && !menu)
    SendMessage(WM_SETMESSAGESTRING, IDS_IDLEMESSAGE, 0);
  else if (!(flags & (MF_POPUP | MF_SEPARATOR)) && item)
    SendMessage(WM_SETMESSAGESTRING, item, 0);
  Default();
}

void CFrameWnd::OnInitMenuPopup(HMENU menu, UINT, bool system_menu) {
  if (system_menu) {
    Default();
    return;
  }
  // The item states come from the route the commands take.
  UpdateMenuItems(menu, m_bAutoMenuEnable);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUIMessage(WPARAM wparam, LPARAM) {
  // Posted with wParam 0 (not the application's idle): a request for a layout pass.
  if (wparam == 0) DelayRecalcLayout();
  OnIdleUpdateCmdUI(wparam != 0);
  return 0;
}

namespace {
// Sends the idle update to each child; a child frame passes it on to its own children.
void IdleUpdateChildren(HWND parent, WPARAM disable) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, WM_IDLEUPDATECMDUI, disable, 0);
    CWnd* wnd = CWnd::FromHandlePermanent(child);
    if (!(wnd && wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) && ::IsWindow(child)) IdleUpdateChildren(child, disable);
  }
}
}  // namespace

void CFrameWnd::OnIdleUpdateCmdUI(bool disable_if_no_handler) {
  // The bars first: a bar shown or hidden now asks for the layout this update consumes.
  IdleUpdateChildren(m_hWnd, disable_if_no_handler ? TRUE : FALSE);
  if (m_nIdleFlags & idleTitle) OnUpdateFrameTitle(true);
  if (m_nIdleFlags & idleLayout) RecalcLayout((m_nIdleFlags & idleNotify) != 0);
  m_nIdleFlags &= ~(idleTitle | idleLayout | idleNotify);
}

void CFrameWnd::OnUpdateFrameTitle(bool add_to_title) {
  m_nIdleFlags &= ~idleTitle;
  if (!add_to_title || !add_to_title_) return;
  CDocument* document = GetActiveDocument();
  CString title = title_;
  if (document && !document->GetTitle().IsEmpty()) {
    if (title_.IsEmpty())
      title = document->GetTitle();
    else if (add_to_title_ & FWS_PREFIXTITLE)
      title = document->GetTitle() + L" - " + title_;
    else
      title = title_ + L" - " + document->GetTitle();
  }
  if (GetWindowText() != title) SetWindowText(title);
}

LRESULT CFrameWnd::OnRecalcParent(WPARAM, LPARAM) {
  RecalcLayout();
  return 0;
}

namespace {
struct FloatSearch {
  HWND owner;
  WPARAM flags;
};

BOOL CALLBACK NotifyOwned(HWND window, LPARAM param) {
  FloatSearch* search = reinterpret_cast<FloatSearch*>(param);
  if (::GetWindow(window, GW_OWNER) == search->owner) ::SendMessageW(window, WM_FLOATSTATUS, search->flags, 0);
  return TRUE;
}
}  // namespace

void CFrameWnd::NotifyFloatingWindows(WPARAM flags) {
  FloatSearch search = {m_hWnd, flags};
  ::EnumThreadWindows(::GetCurrentThreadId(), &NotifyOwned, reinterpret_cast<LPARAM>(&search));
}

LRESULT CFrameWnd::OnActivateMessage(WPARAM wparam, LPARAM lparam) {
  if (!(GetStyle() & WS_CHILD)) NotifyFloatingWindows(LOWORD(wparam) == WA_INACTIVE ? FS_DEACTIVATE : FS_ACTIVATE);
  LRESULT result = DefWindowProc(WM_ACTIVATE, wparam, lparam);
  // The view takes the focus back with the activation.
  if (LOWORD(wparam) != WA_INACTIVE && !HIWORD(wparam) && active_view_ && active_view_->m_hWnd)
    ::SetFocus(active_view_->m_hWnd);
  return result;
}

LRESULT CFrameWnd::OnEnableMessage(WPARAM wparam, LPARAM lparam) {
  if (!(GetStyle() & WS_CHILD)) NotifyFloatingWindows(wparam ? FS_ENABLE : FS_DISABLE);
  return DefWindowProc(WM_ENABLE, wparam, lparam);
}

LRESULT CFrameWnd::OnShowWindowMessage(WPARAM wparam, LPARAM lparam) {
  if (!(GetStyle() & WS_CHILD) && lparam == 0) NotifyFloatingWindows(wparam ? FS_SHOW : FS_HIDE);
  return DefWindowProc(WM_SHOWWINDOW, wparam, lparam);
}

void CFrameWnd::OnSetFocus(CWnd*) {
  if (active_view_ && active_view_->m_hWnd)
    ::SetFocus(active_view_->m_hWnd);
  else
    Default();
}

void CFrameWnd::OnSize(UINT type, int, int) {
  Default();
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnClose() {
  // Closing the main window ends the program's loop.
  CWinApp* app = CWinApp::GetApp();
  bool main = app && app->m_pMainWnd == this;
  DestroyWindow();
  if (main) ::PostQuitMessage(0);
}

void CFrameWnd::OnDestroy() {
  for (CControlBar* bar : bars_)
    if (bar->m_pDockSite == this) bar->m_pDockSite = nullptr;
  bars_.clear();
  active_view_ = nullptr;
  // The frame's own menu stays the object's: it is destroyed with it, not with the window.
  if (m_hMenuDefault && ::GetMenu(m_hWnd) == m_hMenuDefault && !(GetStyle() & WS_CHILD)) ::SetMenu(m_hWnd, nullptr);
  CWinApp* app = CWinApp::GetApp();
  if (app && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
  Default();
}

void CFrameWnd::PostNcDestroy() {
  if (m_bAutoDelete) delete this;
}

bool CFrameWnd::PreTranslateMessage(MSG* msg) {
  return msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccelTable &&
         ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, msg);
}
