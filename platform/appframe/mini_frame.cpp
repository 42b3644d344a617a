#include "platform/appframe/mini_frame.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
  ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatus)
  ON_MESSAGE(WM_NCACTIVATE, OnNcActivateMessage)
END_MESSAGE_MAP()

const wchar_t kMiniFrameClass[] = L"KestrinMiniFrame";

bool CMiniFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    if (!RegisterFrameworkClass(kMiniFrameClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
      return false;
    cs.lpszClass = kMiniFrameClass;
  }
  return CFrameWnd::PreCreateWindow(cs);
}

bool CMiniFrameWnd::CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style,
                             const RECT& rect, CWnd* owner, UINT) {
  mini_style_ = style & (MFS_SYNCACTIVE | MFS_4THICKFRAME | MFS_THICKFRAME | MFS_MOVEFRAME | MFS_BLOCKSYSMENU);
  // The MFS_ bits are the frame's own, not the window's.
  DWORD window_style = (style & ~(MFS_SYNCACTIVE | MFS_4THICKFRAME | MFS_THICKFRAME | MFS_MOVEFRAME | MFS_BLOCKSYSMENU)) |
                       WS_POPUP | WS_CAPTION;
  if (mini_style_ & (MFS_THICKFRAME | MFS_4THICKFRAME)) window_style |= WS_THICKFRAME;
  return Create(class_name, title, window_style, rect, owner, nullptr, ex_style | WS_EX_TOOLWINDOW);
}

LRESULT CMiniFrameWnd::OnFloatStatus(WPARAM wparam, LPARAM) {
  // The caption follows the owner's activation.
  if ((mini_style_ & MFS_SYNCACTIVE) && (wparam & (FS_ACTIVATE | FS_DEACTIVATE))) {
    active_ = (wparam & FS_ACTIVATE) != 0;
    DefWindowProc(WM_NCACTIVATE, active_, 0);
  }
  if (wparam & FS_SYNCACTIVE) return (mini_style_ & MFS_SYNCACTIVE) ? 1 : 0;
  return 0;
}

LRESULT CMiniFrameWnd::OnNcActivateMessage(WPARAM wparam, LPARAM lparam) {
  // With MFS_SYNCACTIVE the caption stays as the owner's activation says.
  if (mini_style_ & MFS_SYNCACTIVE) {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    HWND active = ::GetActiveWindow();
    bool active_now = wparam != 0 || (owner && (active == owner || ::GetWindow(active, GW_OWNER) == owner));
    active_ = active_now;
    return DefWindowProc(WM_NCACTIVATE, active_now, lparam);
  }
  active_ = wparam != 0;
  return DefWindowProc(WM_NCACTIVATE, wparam, lparam);
}
