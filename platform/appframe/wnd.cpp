#include "platform/appframe/wnd.h"

#include <memory>
#include <new>
#include <unordered_map>

#include "platform/appframe/app.h"
#include "platform/appframe/exception.h"
#include "platform/win/module.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {

// The window maps of this thread: windows belong to the thread that made them.
// A temporary object and the depth of the message loop it was made in: a modal loop's idle
// frees only what was made inside it, so objects a caller outside the loop still holds stay.
struct TemporaryWnd {
  std::unique_ptr<CWnd> wnd;
  int depth;
};

// The message being handled, for Default().
struct CurrentMessage {
  CWnd* wnd;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

struct ThreadWindowState {
  std::unordered_map<HWND, CWnd*> permanent;
  std::unordered_map<HWND, TemporaryWnd> temporary;
  CWnd* creating = nullptr;   // the object whose window CreateEx is making
  HHOOK create_hook = nullptr;
  int loop_depth = 0;         // nested framework loops running on this thread
  CurrentMessage current = {nullptr, 0, 0, 0};
};

ThreadWindowState& State() {
  static thread_local ThreadWindowState state;
  return state;
}

LRESULT CALLBACK CreateHook(int code, WPARAM wparam, LPARAM lparam) {
  ThreadWindowState& state = State();
  if (code == HCBT_CREATEWND && state.creating) {
    CWnd* wnd = state.creating;
    state.creating = nullptr;
    wnd->SubclassWindow(reinterpret_cast<HWND>(wparam));
  }
  return CallNextHookEx(state.create_hook, code, wparam, lparam);
}

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd) {
    // The object goes before its window: the window goes with it, or is given back.
    if (m_pfnSuper) {
      HWND window = m_hWnd;
      ::DestroyWindow(window);
      if (m_hWnd == window) UnsubclassWindow();
    } else {
      Detach();
    }
  }
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
  if (!window) return nullptr;
  auto& map = State().permanent;
  auto it = map.find(window);
  return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND window) {
  if (!window) return nullptr;
  if (CWnd* wnd = FromHandlePermanent(window)) return wnd;
  ThreadWindowState& state = State();
  auto it = state.temporary.find(window);
  if (it != state.temporary.end()) return it->second.wnd.get();
  std::unique_ptr<CWnd> wnd(new (std::nothrow) CWnd);
  if (!wnd) return nullptr;
  wnd->m_hWnd = window;
  CWnd* raw = wnd.get();
  state.temporary[window] = TemporaryWnd{std::move(wnd), state.loop_depth};
  return raw;
}

namespace {
void DeleteTemporaryFrom(int depth) {
  auto& temp = State().temporary;
  for (auto it = temp.begin(); it != temp.end();) {
    if (it->second.depth >= depth) {
      it->second.wnd->m_hWnd = nullptr;
      it = temp.erase(it);
    } else {
      ++it;
    }
  }
}
}  // namespace

void CWnd::DeleteTempMap() { DeleteTemporaryFrom(0); }

size_t CWnd::TemporaryCount() { return State().temporary.size(); }

int CWnd::EnterModalLoopDepth() { return ++State().loop_depth; }

void CWnd::LeaveModalLoopDepth(int depth) {
  // What the loop made goes with it; its callers never saw those objects.
  DeleteTemporaryFrom(depth);
  State().loop_depth = depth - 1;
}

void CWnd::RunModalIdle(HWND window, LONG count, int depth) {
  if (count == 0) DeleteTemporaryFrom(depth);
  if (window && ::IsWindow(window)) ::SendMessageW(window, WM_KICKIDLE, MSGF_DIALOGBOX, count);
}

bool CWnd::Attach(HWND window) {
  if (!window || m_hWnd || FromHandlePermanent(window)) return false;
  m_hWnd = window;
  State().permanent[window] = this;
  return true;
}

HWND CWnd::Detach() {
  HWND window = m_hWnd;
  if (window) {
    auto& map = State().permanent;
    auto it = map.find(window);
    if (it != map.end() && it->second == this) map.erase(it);
  }
  m_hWnd = nullptr;
  return window;
}

bool CWnd::SubclassWindow(HWND window) {
  if (!Attach(window)) return false;
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProcThunk)));
  if (!m_pfnSuper) {
    Detach();
    return false;
  }
  return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  if (m_hWnd && m_pfnSuper)
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

bool CWnd::CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style,
                    const RECT& rect, HWND parent, UINT id, void* param) {
  HINSTANCE instance = ClassInstanceFor(class_name);
  return CreateHooked([&] {
    return ::CreateWindowExW(ex_style, class_name, title, style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             instance, param);
  });
}

bool CWnd::CreateHooked(const std::function<HWND()>& make) {
  if (m_hWnd) return false;
  ThreadWindowState& state = State();
  CWnd* outer_creating = state.creating;
  HHOOK outer_hook = state.create_hook;
  state.creating = this;
  state.create_hook = SetWindowsHookExW(WH_CBT, CreateHook, nullptr, GetCurrentThreadId());
  HWND window = make();
  if (state.create_hook) UnhookWindowsHookEx(state.create_hook);
  state.create_hook = outer_hook;
  state.creating = outer_creating;
  if (!window) {
    // Creation failed after the hook took the window: forget it.
    if (m_hWnd) {
      m_pfnSuper = nullptr;
      Detach();
    }
    return false;
  }
  return m_hWnd == window;
}

bool CWnd::DestroyWindow() {
  if (!m_hWnd) return false;
  return ::DestroyWindow(m_hWnd) != FALSE;
}

void CWnd::OnNcDestroyed() {
  WNDPROC super = m_pfnSuper;
  if (super && m_hWnd &&
      ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::WindowProcThunk))
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
  m_pfnSuper = nullptr;
  Detach();
  PostNcDestroy();
}

LRESULT CALLBACK CWnd::WindowProcThunk(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  CWnd* wnd = FromHandlePermanent(window);
  if (!wnd) return ::DefWindowProcW(window, message, wparam, lparam);
  LRESULT result = 0;
  ThreadWindowState& state = State();
  CurrentMessage outer = state.current;
  state.current = CurrentMessage{wnd, message, wparam, lparam};
  try {
    result = wnd->WindowProc(message, wparam, lparam);
  } catch (const CException&) {
    result = 0;
  } catch (const std::bad_alloc&) {
    result = 0;
  } catch (...) {
    result = 0;
  }
  state.current = outer;
  if (message == WM_NCDESTROY && FromHandlePermanent(window) == wnd) wnd->OnNcDestroyed();
  return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wparam, lparam, &result)) result = DefWindowProc(message, wparam, lparam);
  return result;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message == WM_COMMAND) {
    if (!OnCommand(wparam, lparam)) return false;
    *result = 0;
    return true;
  }
  if (message == WM_NOTIFY) return OnNotify(wparam, lparam, result);
  if (message == WM_INITMENUPOPUP) UpdateMenuItems(reinterpret_cast<HMENU>(wparam));
  CMessageArgs args = {message, wparam, lparam, 0, 0, nullptr, 0};
  if (!DispatchEntry(message, 0, 0, args)) return false;
  *result = args.result;
  return true;
}

LRESULT CWnd::Default() {
  const CurrentMessage& current = State().current;
  if (current.wnd != this) return 0;
  return DefWindowProc(current.message, current.wparam, current.lparam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wparam, lparam);
  return ::DefWindowProcW(m_hWnd, message, wparam, lparam);
}

bool CWnd::OnCommand(WPARAM wparam, LPARAM lparam) {
  UINT id = LOWORD(wparam);
  int code = HIWORD(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  if (control) {
    // A control's notification: the control sees it first.
    if (CWnd* child = FromHandlePermanent(control)) {
      LRESULT ignored = 0;
      if (child->OnChildNotify(WM_COMMAND, wparam, lparam, &ignored)) return true;
    }
  } else {
    // A menu command or accelerator has code 0 or 1 and no control.
    code = CN_COMMAND;
    // A command the route reports disabled now is not run (a menu shown earlier, an
    // accelerator): the same route as the command's own decides, through OnCmdMsg.
    struct Probe : CCmdUI {
      bool enabled = true;
      void Enable(bool on) override {
        enabled = on;
        m_bEnableChanged = true;
      }
      void SetCheck(int) override {}
      void SetRadio(bool) override {}
      void SetText(const wchar_t*) override {}
    } probe;
    probe.m_nID = id;
    if (OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &probe) && !probe.enabled) return true;
  }
  return OnCmdMsg(id, code, nullptr);
}

bool CWnd::OnNotify(WPARAM, LPARAM lparam, LRESULT* result) {
  NMHDR* header = reinterpret_cast<NMHDR*>(lparam);
  if (!header) return false;
  if (CWnd* child = FromHandlePermanent(header->hwndFrom)) {
    if (child != this && child->OnChildNotify(WM_NOTIFY, header->idFrom, lparam, result)) return true;
  }
  return OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(header->code), header, result, true);
}

bool CWnd::OnChildNotify(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message == WM_COMMAND) {
    CMessageArgs args = {WM_REFLECT_BASE + WM_COMMAND, wparam, lparam, 0, HIWORD(wparam), nullptr, 0};
    return DispatchEntry(args.message, 0, args.code, args);
  }
  if (message == WM_NOTIFY) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lparam);
    CMessageArgs args = {WM_REFLECT_BASE + WM_NOTIFY, wparam, lparam, 0, static_cast<int>(header->code), header, 0};
    if (!DispatchEntry(args.message, 0, args.code, args)) return false;
    if (result) *result = args.result;
    return true;
  }
  return false;
}

bool CWnd::PreTranslateMessage(MSG*) { return false; }

void CWnd::UpdateMenuItems(HMENU menu, bool disable_if_no_handler) {
  int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    UINT id = ::GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators and sub-menus
    CCmdUI state;
    state.m_nID = id;
    state.m_nIndex = static_cast<UINT>(i);
    state.m_hMenu = menu;
    state.DoUpdate(this, disable_if_no_handler);
  }
}

CString CWnd::GetWindowText() const {
  CString text;
  int n = ::GetWindowTextLengthW(m_hWnd);
  ::GetWindowTextW(m_hWnd, text.GetBuffer(n), n + 1);
  text.ReleaseBuffer();
  return text;
}

CString CWnd::GetDlgItemText(int id) const {
  HWND item = ::GetDlgItem(m_hWnd, id);
  CString text;
  if (!item) return text;
  int n = ::GetWindowTextLengthW(item);
  ::GetWindowTextW(item, text.GetBuffer(n), n + 1);
  text.ReleaseBuffer();
  return text;
}

CRect CWnd::GetClientRect() const {
  CRect r;
  ::GetClientRect(m_hWnd, &r);
  return r;
}

CRect CWnd::GetWindowRect() const {
  CRect r;
  ::GetWindowRect(m_hWnd, &r);
  return r;
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swp_flags) {
  DWORD style = GetStyle();
  DWORD updated = (style & ~remove) | add;
  if (style == updated) return false;
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(updated));
  if (swp_flags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swp_flags);
  return true;
}

bool CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swp_flags) {
  DWORD style = GetExStyle();
  DWORD updated = (style & ~remove) | add;
  if (style == updated) return false;
  ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(updated));
  if (swp_flags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swp_flags);
  return true;
}

CWnd* CWnd::GetTopLevelParent() const {
  HWND window = m_hWnd;
  for (HWND up = window; up; up = ::GetParent(up)) {
    window = up;
    if (!(::GetWindowLongPtrW(up, GWL_STYLE) & WS_CHILD)) break;
  }
  return FromHandle(window);
}

CWnd* CWnd::GetDescendantWindow(UINT id) const {
  HWND found = ::GetDlgItem(m_hWnd, static_cast<int>(id));
  if (found) return FromHandle(found);
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    CWnd probe;
    probe.m_hWnd = child;
    CWnd* deep = probe.GetDescendantWindow(id);
    probe.m_hWnd = nullptr;
    if (deep) return deep;
  }
  return nullptr;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wparam, LPARAM lparam, bool deep) {
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, message, wparam, lparam);
    if (deep && ::IsWindow(child)) {
      CWnd probe;
      probe.m_hWnd = child;
      probe.SendMessageToDescendants(message, wparam, lparam, true);
      probe.m_hWnd = nullptr;
    }
  }
}

void CWnd::RepositionBars(UINT first, UINT last, UINT leftover, RepositionMode mode, RECT* param, const RECT* client,
                          bool stretch) {
  SIZEPARENTPARAMS layout = {};
  layout.bStretch = stretch;
  if (client)
    layout.rect = *client;
  else
    ::GetClientRect(m_hWnd, &layout.rect);
  // Measuring moves nothing: the bars see no batch.
  layout.hDWP = mode == reposQuery ? nullptr : ::BeginDeferWindowPos(8);
  HWND leftover_window = nullptr;
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
    if (id == leftover && leftover != 0) {
      leftover_window = child;
    } else if (id >= first && id <= last) {
      ::SendMessageW(child, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }
  }
  if (mode == reposQuery) {
    if (param) {
      if (stretch)
        *param = layout.rect;
      else
        ::SetRect(param, 0, 0, layout.sizeTotal.cx, layout.sizeTotal.cy);
    }
    return;
  }
  RECT rest = layout.rect;
  if (mode == reposExtra && param) {
    rest.left += param->left;
    rest.top += param->top;
    rest.right -= param->right;
    rest.bottom -= param->bottom;
  }
  if (rest.right < rest.left) rest.right = rest.left;
  if (rest.bottom < rest.top) rest.bottom = rest.top;
  if (leftover_window && layout.hDWP) {
    layout.hDWP = ::DeferWindowPos(layout.hDWP, leftover_window, nullptr, rest.left, rest.top, rest.right - rest.left,
                                   rest.bottom - rest.top, SWP_NOACTIVATE | SWP_NOZORDER);
  }
  if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
}

int CWnd::RunModalLoop(DWORD flags) {
  HWND window = m_hWnd;
  in_modal_loop_ = true;
  m_nModalResult = -1;
  int depth = EnterModalLoopDepth();
  bool idle = true;
  LONG idle_count = 0;
  bool show_on_idle = (flags & MLF_SHOWONIDLE) && !(::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
  MSG msg;
  while (in_modal_loop_) {
    // The idle work while nothing waits.
    while (idle && in_modal_loop_ && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (show_on_idle) {
        ::ShowWindow(window, SW_SHOWNORMAL);
        ::UpdateWindow(window);
        show_on_idle = false;
      }
      HWND owner = ::GetWindow(window, GW_OWNER);
      if (!(flags & MLF_NOIDLEMSG) && owner && idle_count == 0)
        ::SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(window));
      if (idle_count == 0) DeleteTemporaryFrom(depth);
      if ((flags & MLF_NOKICKIDLE) || !::SendMessageW(window, WM_KICKIDLE, MSGF_DIALOGBOX, idle_count++)) idle = false;
      if (!::IsWindow(window)) in_modal_loop_ = false;
    }
    if (!in_modal_loop_) break;
    if (!::GetMessageW(&msg, nullptr, 0, 0)) {
      // WM_QUIT ends this loop and goes on to the loop outside it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // Messages of the modal window and its children go through its own translation (the
    // dialog keys); the windows it disabled see nothing of the keyboard.
    bool taken = false;
    if (msg.hwnd == window || ::IsChild(window, msg.hwnd)) {
      for (HWND w = msg.hwnd; w && !taken; w = w == window ? nullptr : ::GetParent(w)) {
        CWnd* target = FromHandlePermanent(w);
        taken = target && target->PreTranslateMessage(&msg);
      }
    }
    if (!taken) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (!::IsWindow(window)) break;
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE && msg.message != 0x0118) {
      idle = true;
      idle_count = 0;
    }
  }
  LeaveModalLoopDepth(depth);
  in_modal_loop_ = false;
  return m_nModalResult;
}

void CWnd::EndModalLoop(int result) {
  m_nModalResult = result;
  if (in_modal_loop_) {
    in_modal_loop_ = false;
    // Wakes the loop if it waits for a message.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
  }
}

bool RegisterFrameworkClass(const wchar_t* name, UINT class_style, HBRUSH background, HCURSOR cursor, HICON icon) {
  HINSTANCE instance = KestrinWinNS::CodeModule();
  WNDCLASSEXW info = {sizeof(info)};
  if (::GetClassInfoExW(instance, name, &info)) return true;
  info.style = class_style;
  info.lpfnWndProc = ::DefWindowProcW;
  info.hInstance = instance;
  info.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  info.hbrBackground = background;
  info.hIcon = icon;
  info.lpszClassName = name;
  return ::RegisterClassExW(&info) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HINSTANCE ClassInstanceFor(const wchar_t* class_name) {
  // Classes of the framework are registered in the module that holds its code; others (the
  // program's, the system's) are looked up with the program's instance.
  HINSTANCE instance = KestrinWinNS::CodeModule();
  WNDCLASSEXW info = {sizeof(info)};
  if (!class_name || IS_INTRESOURCE(class_name) || !::GetClassInfoExW(instance, class_name, &info))
    instance = ::GetModuleHandleW(nullptr);
  return instance;
}
