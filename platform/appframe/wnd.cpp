#include "platform/appframe/wnd.h"

#include <memory>
#include <new>
#include <unordered_map>

#include "platform/appframe/exception.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {

// The window maps of this thread: windows belong to the thread that made them.
struct ThreadWindowState {
  std::unordered_map<HWND, CWnd*> permanent;
  std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
  CWnd* creating = nullptr;   // the object whose window CreateEx is making
  HHOOK create_hook = nullptr;
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
  auto& temp = State().temporary;
  auto it = temp.find(window);
  if (it != temp.end()) return it->second.get();
  std::unique_ptr<CWnd> wnd(new (std::nothrow) CWnd);
  if (!wnd) return nullptr;
  wnd->m_hWnd = window;
  CWnd* raw = wnd.get();
  temp[window] = std::move(wnd);
  return raw;
}

void CWnd::DeleteTempMap() {
  auto& temp = State().temporary;
  for (auto& entry : temp) entry.second->m_hWnd = nullptr;
  temp.clear();
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
  if (m_hWnd) return false;
  ThreadWindowState& state = State();
  CWnd* outer_creating = state.creating;
  HHOOK outer_hook = state.create_hook;
  state.creating = this;
  state.create_hook = SetWindowsHookExW(WH_CBT, CreateHook, nullptr, GetCurrentThreadId());
  HWND window = ::CreateWindowExW(ex_style, class_name, title, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  GetModuleHandleW(nullptr), param);
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
  try {
    result = wnd->WindowProc(message, wparam, lparam);
  } catch (const CException&) {
    result = 0;
  } catch (const std::bad_alloc&) {
    result = 0;
  } catch (...) {
    result = 0;
  }
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

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wparam, lparam);
  return ::DefWindowProcW(m_hWnd, message, wparam, lparam);
}

bool CWnd::OnCommand(WPARAM wparam, LPARAM lparam) {
  UINT id = LOWORD(wparam);
  int code = HIWORD(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  // A menu command or accelerator has code 0 or 1 and no control.
  if (!control && code == 1) code = CN_COMMAND;
  if (!control) {
    // A command that is disabled now is not run (the menu may have been shown earlier).
    struct Probe : CCmdUI {
      bool enabled = true;
      void Enable(bool on) override { enabled = on; m_bEnableChanged = true; }
      void SetCheck(int) override {}
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
  return OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(header->code), header, result, true);
}

bool CWnd::PreTranslateMessage(MSG*) { return false; }

void CWnd::UpdateMenuItems(HMENU menu) {
  int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    UINT id = ::GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators and sub-menus
    CCmdUI state;
    state.m_nID = id;
    state.m_nIndex = static_cast<UINT>(i);
    state.m_hMenu = menu;
    state.DoUpdate(this, false);
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
