#include "platform/appframe/control_bar.h"

#include <algorithm>

#include "platform/appframe/frame_wnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

const wchar_t kControlBarClass[] = L"KestrinControlBar";

CControlBar::CControlBar() {}

CControlBar::~CControlBar() {
  if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
  m_pDockSite = nullptr;
}

bool CControlBar::Create(const wchar_t* class_name, DWORD style, CWnd* parent, UINT id, DWORD bar_style) {
  if (!parent) return false;
  if (!class_name) {
    if (!RegisterFrameworkClass(kControlBarClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
      return false;
    class_name = kControlBarClass;
  }
  m_dwStyle = bar_style & CBRS_ALL;
  return CreateEx(0, class_name, nullptr, style | WS_CHILD, CRect(0, 0, 0, 0), parent->m_hWnd, id);
}

int CControlBar::OnCreate(LPCREATESTRUCTW cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  // The frame this bar lies in keeps it in its bar list.
  if (CFrameWnd* frame = CFrameWnd::GetParentFrameOf(m_hWnd)) {
    m_pDockSite = frame;
    frame->AddControlBar(this);
  }
  return 0;
}

void CControlBar::OnDestroy() {
  if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
  m_pDockSite = nullptr;
  CWnd::OnDestroy();
}

void CControlBar::PostNcDestroy() {
  if (m_bAutoDelete) delete this;
}

CSize CControlBar::CalcFixedLayout(bool stretch, bool horizontal) {
  CSize size;
  // The whole length of the side when stretched; the borders across it.
  size.cx = stretch && horizontal ? 32767 : m_rcBorders.left + m_rcBorders.right;
  size.cy = stretch && !horizontal ? 32767 : m_rcBorders.top + m_rcBorders.bottom;
  return size;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD mode) {
  return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

void CControlBar::DelayShow(bool show) {
  m_nStateFlags &= ~(delayHide | delayShow);
  bool visible = (GetStyle() & WS_VISIBLE) != 0;
  if (show && !visible)
    m_nStateFlags |= delayShow;
  else if (!show && visible)
    m_nStateFlags |= delayHide;
}

bool CControlBar::IsVisible() const {
  if (m_nStateFlags & delayHide) return false;
  if (m_nStateFlags & delayShow) return true;
  return m_hWnd && (GetStyle() & WS_VISIBLE) != 0;
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lparam) {
  SIZEPARENTPARAMS* layout = reinterpret_cast<SIZEPARENTPARAMS*>(lparam);
  DWORD align = m_dwStyle & CBRS_ALIGN_ANY;
  // A hidden or floating bar takes no room.
  if (!layout || !(GetStyle() & WS_VISIBLE) || align == 0 || IsFloating()) return 0;
  CRect free_rect(layout->rect);
  bool horizontal = (align & CBRS_ORIENT_HORZ) != 0;
  CSize size = CalcFixedLayout(layout->bStretch != FALSE, horizontal);
  size.cx = std::min<LONG>(size.cx, std::max(0, free_rect.Width()));
  size.cy = std::min<LONG>(size.cy, std::max(0, free_rect.Height()));
  CRect place = free_rect;
  if (horizontal) {
    layout->sizeTotal.cy += size.cy;
    layout->sizeTotal.cx = std::max(layout->sizeTotal.cx, size.cx);
    if (align & CBRS_ALIGN_TOP) {
      layout->rect.top += size.cy;
    } else {
      place.top = place.bottom - size.cy;
      layout->rect.bottom -= size.cy;
    }
  } else {
    layout->sizeTotal.cx += size.cx;
    layout->sizeTotal.cy = std::max(layout->sizeTotal.cy, size.cy);
    if (align & CBRS_ALIGN_LEFT) {
      layout->rect.left += size.cx;
    } else {
      place.left = place.right - size.cx;
      layout->rect.right -= size.cx;
    }
  }
  place.right = place.left + size.cx;
  place.bottom = place.top + size.cy;
  if (layout->hDWP) {
    // The bar's window rectangle in its parent's client coordinates.
    CRect now = GetWindowRect();
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&now), 2);
    if (now != place)
      layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, nullptr, place.left, place.top, place.Width(),
                                      place.Height(), SWP_NOACTIVATE | SWP_NOZORDER);
  }
  return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wparam, LPARAM) {
  // A delayed show or hide happens now; the frame then lays out at this idle.
  bool visible = (GetStyle() & WS_VISIBLE) != 0;
  UINT swp = 0;
  if ((m_nStateFlags & delayHide) && visible)
    swp = SWP_HIDEWINDOW;
  else if ((m_nStateFlags & delayShow) && !visible)
    swp = SWP_SHOWWINDOW;
  m_nStateFlags &= ~(delayShow | delayHide);
  if (swp) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, swp | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (CFrameWnd* frame = CFrameWnd::GetParentFrameOf(m_hWnd)) frame->DelayRecalcLayout();
  }
  // Only a visible bar updates its commands, through the route of the frame that owns it.
  if (GetStyle() & WS_VISIBLE) {
    CFrameWnd* target = nullptr;
    if (CWnd* owner = CWnd::FromHandlePermanent(::GetWindow(m_hWnd, GW_OWNER)))
      if (owner->IsKindOf(RUNTIME_CLASS(CFrameWnd))) target = static_cast<CFrameWnd*>(owner);
    if (!target) target = CFrameWnd::GetParentFrameOf(m_hWnd);
    if (target) OnUpdateCmdUI(target, wparam != 0);
  }
  return 0;
}
