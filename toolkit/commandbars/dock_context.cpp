#include "toolkit/commandbars/dock_context.h"

#include <algorithm>

#include "platform/appframe/control_bar.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/seams.h"

using namespace TKCommandBars;

namespace {
thread_local int t_drag_count = 0;
const int kOnScreen = 10;

// The frame whose dock bars the bar moves between.
HWND SiteOf(CTKCommandBar* bar) {
  if (CTKCommandBarManager* manager = bar->GetCommandBarManager())
    if (manager->GetSite()) return manager->GetSite();
  if (CTKDockBar* dock = bar->GetDockBar()) return ::GetParent(dock->GetSafeHwnd());
  HWND hwnd = bar->GetSafeHwnd();
  if (!hwnd) return nullptr;
  if (HWND owner = ::GetWindow(hwnd, GW_OWNER)) return owner;
  return ::GetAncestor(hwnd, GA_ROOT);
}

bool operator!=(POINT a, POINT b) { return a.x != b.x || a.y != b.y; }

// Shifts the rectangle by the least amount that puts the point inside it.
void ShiftToHold(CRect& rc, POINT pt) {
  int dx = 0, dy = 0;
  if (pt.x < rc.left) dx = pt.x - rc.left;
  else if (pt.x >= rc.right) dx = pt.x - rc.right + 1;
  if (pt.y < rc.top) dy = pt.y - rc.top;
  else if (pt.y >= rc.bottom) dy = pt.y - rc.bottom + 1;
  rc.OffsetRect(dx, dy);
}

// Paints waiting for the windows are drawn before the next step, a bounded number of them.
void DispatchPaints() {
  MSG msg;
  for (int i = 0; i < 32 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) ::DispatchMessageW(&msg);
}
}  // namespace

CTKDockContext::CTKDockContext(CTKCommandBar* bar) : bar_(bar) {}

int CTKDockContext::DragCount() { return t_drag_count; }

CRect CTKDockContext::KeepOnScreen(const CRect& rect) {
  RECT monitor{}, work{};
  TKGetMonitorAreas(rect, &monitor, &work);
  CRect rc = rect;
  if (rc.right < monitor.left + kOnScreen) rc.OffsetRect(monitor.left + kOnScreen - rc.right, 0);
  if (rc.left > monitor.right - kOnScreen) rc.OffsetRect(monitor.right - kOnScreen - rc.left, 0);
  if (rc.bottom < monitor.top + kOnScreen) rc.OffsetRect(0, monitor.top + kOnScreen - rc.bottom);
  if (rc.top > monitor.bottom - kOnScreen) rc.OffsetRect(0, monitor.bottom - kOnScreen - rc.top);
  return rc;
}

void CTKDockContext::DockBar(CTKCommandBar* bar, CTKDockBar* dock, const RECT* screen_rect) {
  if (!bar || !dock) return;
  dock->Dock(bar, screen_rect);
  if (HWND hwnd = bar->GetSafeHwnd())
    if (!::IsWindowVisible(hwnd)) {
      ::ShowWindow(hwnd, SW_SHOWNA);
      TKRecalcSiteLayout(dock->GetSafeHwnd(), true);
    }
}

void CTKDockContext::FloatBar(CTKCommandBar* bar, POINT screen) {
  HWND hwnd = bar ? bar->GetSafeHwnd() : nullptr;
  if (!hwnd) return;
  HWND site = SiteOf(bar);
  if (CTKDockBar* former = bar->GetDockBar()) former->Remove(bar);
  bar->SetDockBar(nullptr);
  // A floating bar is a popup owned by the frame's top-level window.
  if (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) {
    LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    ::SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_CHILD)) | WS_POPUP);
    ::SetParent(hwnd, nullptr);
    HWND owner = site ? ::GetAncestor(site, GA_ROOT) : nullptr;
    ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  }
  DWORD keep = bar->GetBarStyle() & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY);
  bar->SetBarStyle(keep | CBRS_FLOATING);
  bar->EnableDockContext()->SetLastFloatPos(screen);
  CSize size = bar->CalcFloatingSize(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
  ::SetWindowPos(hwnd, HWND_TOP, screen.x, screen.y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::InvalidateRect(hwnd, nullptr, FALSE);
  if (site) TKRecalcSiteLayout(site, true);
}

// ---------------------------------------------------------------------------------------------
// The loops

bool CTKDockContext::Track() {
  HWND hwnd = bar_->GetSafeHwnd();
  ::SetCapture(hwnd);
  bool released = false;
  MSG msg;
  for (bool done = false; !done;) {
    if (!::IsWindow(hwnd)) break;
    DispatchPaints();
    if (TKNextLoopMessage(hwnd, msg) != CTKLoopWake::kMessage) break;
    switch (msg.message) {
      case WM_LBUTTONUP:
        released = true;
        done = true;
        break;
      case WM_MOUSEMOVE: {
        POINT pt = TKMessagePoint(msg);
        if (msg.hwnd) ::ClientToScreen(msg.hwnd, &pt);
        if (pt != last_) {
          Step(pt);
        } else {
          ::DispatchMessageW(&msg);
        }
        break;
      }
      default:
        if (TKIsCancelMessage(msg)) {
          done = true;
          break;
        }
        ::DispatchMessageW(&msg);
        break;
    }
  }
  if (::GetCapture() == hwnd) ::ReleaseCapture();
  if (CTKCommandBarManager* manager = bar_->GetCommandBarManager()) manager->GetOptions().changed = true;
  return released;
}

void CTKDockContext::Step(POINT screen) {
  if (mode_ == kModeMove)
    MoveStep(screen);
  else
    ResizeStep(screen);
  if (CTKCommandBarManager* manager = bar_->GetCommandBarManager()) manager->UpdateCommandBars();
}

bool CTKDockContext::StartMove(POINT screen) {
  HWND hwnd = bar_->GetSafeHwnd();
  if (!hwnd) return false;
  HWND capture = ::GetCapture();
  if (capture && capture != hwnd) return false;
  const CRect docked_before = last_docked_;
  const int side_before = last_side_;
  const bool was_floating = bar_->GetPosition() == kFloating;
  PrepareMove(screen);
  ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEALL)));
  // A gripper drawn pressed while its bar moves: painted now, and again when the move ends.
  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ++t_drag_count;
  Track();
  --t_drag_count;
  mode_ = kModeNone;
  if (::IsWindow(hwnd)) ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  if (::IsWindow(hwnd) && bar_->GetPosition() == kFloating) {
    CRect now = bar_->GetWindowRect();
    float_pos_ = now.TopLeft();
    if (!was_floating) {
      last_docked_ = docked_before;
      last_side_ = side_before;
    }
  }
  return true;
}

void CTKDockContext::PrepareMove(POINT screen) {
  mode_ = kModeMove;
  window_ = bar_->GetWindowRect();
  drag_ = window_;
  ShiftToHold(drag_, screen);
  last_ = screen;
}

void CTKDockContext::MoveStep(POINT pt) {
  const int dx = pt.x - last_.x, dy = pt.y - last_.y;
  last_ = pt;
  drag_.OffsetRect(dx, dy);
  window_.OffsetRect(dx, dy);
  const DWORD flags = bar_->GetFlags();
  const bool floating = bar_->GetPosition() == kFloating;
  CTKDockBar* current = bar_->GetDockBar();
  CTKDockBar* dock = CTKDockBar::AtPoint(SiteOf(bar_), pt, current);
  if (dock && (flags & TKDockFlags::SideBit(dock->GetSide()))) {
    const bool changed = dock != current || floating;
    DockBar(bar_, dock, &drag_);
    if (changed) {
      TKRecalcSiteLayout(dock->GetSafeHwnd(), true);
      drag_ = window_ = bar_->GetWindowRect();
    }
    return;
  }
  if (!(flags & TKDockFlags::kFloat)) return;
  if (!floating) {
    FloatBar(bar_, window_.TopLeft());
    CRect rc = bar_->GetWindowRect();
    ShiftToHold(rc, pt);
    window_ = drag_ = rc;
  }
  CRect place = KeepOnScreen(window_);
  ::SetWindowPos(bar_->GetSafeHwnd(), nullptr, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CTKDockContext::StartResize(int hit, POINT screen) {
  HWND hwnd = bar_->GetSafeHwnd();
  if (!hwnd || hit < HTLEFT || hit > HTBOTTOMRIGHT) return false;
  HWND capture = ::GetCapture();
  if (capture && capture != hwnd) return false;
  mode_ = hit;
  last_ = press_ = screen;
  window_ = start_window_ = bar_->GetWindowRect();
  Track();
  mode_ = kModeNone;
  if (::IsWindow(hwnd) && bar_->GetPosition() == kFloating) {
    CRect now = bar_->GetWindowRect();
    float_pos_ = now.TopLeft();
    bar_->SetWidth(now.Width());
  }
  return true;
}

void CTKDockContext::FreeResizeStep(POINT pt) {
  const int dx = pt.x - press_.x, dy = pt.y - press_.y;
  CRect rc = start_window_;
  if (mode_ == HTLEFT || mode_ == HTTOPLEFT || mode_ == HTBOTTOMLEFT) rc.left = std::min<int>(rc.left + dx, rc.right);
  if (mode_ == HTRIGHT || mode_ == HTTOPRIGHT || mode_ == HTBOTTOMRIGHT) rc.right = std::max<int>(rc.right + dx, rc.left);
  if (mode_ >= HTTOP && mode_ <= HTTOPRIGHT) rc.top = std::min<int>(rc.top + dy, rc.bottom);
  if (mode_ >= HTBOTTOM && mode_ <= HTBOTTOMRIGHT) rc.bottom = std::max<int>(rc.bottom + dy, rc.top);
  if (rc.Size() == window_.Size()) return;
  RECT monitor{}, work{};
  TKGetMonitorAreas(window_, &monitor, &work);
  CRect meet;
  if (!meet.IntersectRect(rc, CRect(monitor))) return;
  // A bar that refuses the size keeps the last one it took.
  if (bar_->SizeTo(rc, mode_)) window_ = rc;
}

void CTKDockContext::ResizeStep(POINT pt) {
  last_ = pt;
  if (bar_->SizesFreely()) {
    FreeResizeStep(pt);
    return;
  }
  CRect rc = window_;
  CSize size;
  switch (mode_) {
    case HTLEFT:
      rc.left = pt.x;
      size = bar_->CalcFloatingSize(std::max<int>(rc.Width(), 0), LM_HORZ | LM_COMMIT);
      break;
    case HTRIGHT:
      rc.right = pt.x;
      size = bar_->CalcFloatingSize(std::max<int>(rc.Width(), 0), LM_HORZ | LM_COMMIT);
      break;
    case HTTOP:
      rc.top = pt.y;
      size = bar_->CalcFloatingSize(std::max<int>(rc.Height(), 0), LM_HORZ | LM_LENGTHY | LM_COMMIT);
      break;
    default:
      rc.bottom = pt.y;
      size = bar_->CalcFloatingSize(std::max<int>(rc.Height(), 0), LM_HORZ | LM_LENGTHY | LM_COMMIT);
      break;
  }
  if (size == window_.Size()) return;
  // The edge opposite the one dragged stays.
  CRect next;
  switch (mode_) {
    case HTLEFT:
      next = CRect(window_.right - size.cx, window_.top, window_.right, window_.top + size.cy);
      break;
    case HTTOP:
      next = CRect(window_.left, window_.bottom - size.cy, window_.left + size.cx, window_.bottom);
      break;
    default:
      next = CRect(window_.left, window_.top, window_.left + size.cx, window_.top + size.cy);
      break;
  }
  RECT monitor{}, work{};
  TKGetMonitorAreas(window_, &monitor, &work);
  CRect meet;
  if (!meet.IntersectRect(next, CRect(monitor))) return;
  window_ = next;
  ::SetWindowPos(bar_->GetSafeHwnd(), nullptr, next.left, next.top, next.Width(), next.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(bar_->GetSafeHwnd(), nullptr, FALSE);
}

bool CTKDockContext::ToggleDocking() {
  HWND hwnd = bar_->GetSafeHwnd();
  if (!hwnd) return false;
  const DWORD flags = bar_->GetFlags();
  CTKCommandBarManager* manager = bar_->GetCommandBarManager();
  if (bar_->GetPosition() == kFloating) {
    const DWORD allowed = flags & TKDockFlags::kAnySide;
    if (!allowed) return false;
    // Back where it was last docked, when that side is allowed; else at the first side that is.
    int side = last_side_;
    const RECT* rect = last_docked_.IsRectEmpty() ? nullptr : &last_docked_;
    if (!(allowed & TKDockFlags::SideBit(side))) {
      side = 0;
      while (!(allowed & TKDockFlags::SideBit(side))) ++side;
      rect = nullptr;
    }
    CTKDockBar* dock = CTKDockBar::FromSide(SiteOf(bar_), side);
    if (!dock) return false;
    DockBar(bar_, dock, rect);
    TKRecalcSiteLayout(dock->GetSafeHwnd(), true);
    if (manager) manager->GetOptions().changed = true;
    return true;
  }
  if (!(flags & TKDockFlags::kFloat)) return false;
  if (manager && !manager->GetOptions().float_on_double_click) return false;
  POINT at = float_pos_;
  if (!HasFloatPos()) {
    CRect now = bar_->GetWindowRect();
    at = now.TopLeft();
  }
  if (bar_->GetDockBar()) {
    last_docked_ = bar_->GetWindowRect();
    last_side_ = bar_->GetDockBar()->GetSide();
  }
  FloatBar(bar_, at);
  if (manager) manager->GetOptions().changed = true;
  return true;
}
