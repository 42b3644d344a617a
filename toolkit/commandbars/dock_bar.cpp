#include "toolkit/commandbars/dock_bar.h"

#include <algorithm>

#include "platform/appframe/control_bar.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/paint/paint_manager.h"

IMPLEMENT_DYNAMIC(CTKDockBar, CWnd)

namespace {
const wchar_t kDockBarClass[] = L"TKDockBar";
const UINT kDockBarIds[4] = {IDW_DOCKBAR_TOP, IDW_DOCKBAR_BOTTOM, IDW_DOCKBAR_LEFT, IDW_DOCKBAR_RIGHT};
const DWORD kSideStyles[4] = {CBRS_TOP, CBRS_BOTTOM, CBRS_LEFT, CBRS_RIGHT};
const int kDockMargin = 20;

// A bar counts in a row's layout while its window is shown.
bool IsShown(CTKCommandBar* bar) { return bar && bar->GetSafeHwnd() && ::IsWindowVisible(bar->GetSafeHwnd()); }

void Swap(RECT& r) {
  std::swap(r.left, r.top);
  std::swap(r.right, r.bottom);
}

// The layout bits of a bar in a row of a horizontal or vertical side.
DWORD RowFlags(CTKCommandBar* bar, bool horizontal, bool customize) {
  DWORD flags = horizontal ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK;
  if (bar->GetFlags() & TKDockFlags::kStandAlone) flags |= LM_STRETCH;
  if ((bar->GetFlags() & TKDockFlags::kWrap) && !customize) flags |= kLayoutWrapAllowed;
  return flags;
}

// Length along the row and thickness across it of a size on a side.
int Along(CSize size, bool horizontal) { return horizontal ? size.cx : size.cy; }
int Across(CSize size, bool horizontal) { return horizontal ? size.cy : size.cx; }
}  // namespace

CTKDockBar::CTKDockBar() { bars_.push_back(nullptr); }

CTKDockBar::~CTKDockBar() {
  for (CTKCommandBar* bar : bars_)
    if (bar && bar->GetDockBar() == this) bar->SetDockBar(nullptr);
  if (GetSafeHwnd()) ::DestroyWindow(GetSafeHwnd());
}

bool CTKDockBar::Create(CFrameWnd* frame, int side, CTKCommandBarManager* manager) {
  if (!frame || side < 0 || side > 3) return false;
  if (!RegisterFrameworkClass(kDockBarClass, 0, nullptr, ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW))))
    return false;
  frame_ = frame;
  side_ = side;
  manager_ = manager;
  return CreateEx(0, kDockBarClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                  CRect(0, 0, 0, 0), frame->m_hWnd, kDockBarIds[side]);
}

bool CTKDockBar::CreateDockBars(CFrameWnd* frame, CTKCommandBarManager* manager) {
  for (int side = 0; side < 4; ++side) {
    if (FromSide(frame->m_hWnd, side)) continue;
    CTKDockBar* dock = new CTKDockBar;
    if (!dock->Create(frame, side, manager)) {
      delete dock;
      return false;
    }
    dock->m_bAutoDelete = true;
  }
  return true;
}

CTKDockBar* CTKDockBar::FromSide(HWND site, int side) {
  if (!site || side < 0 || side > 3) return nullptr;
  HWND child = ::GetDlgItem(site, static_cast<int>(kDockBarIds[side]));
  CWnd* wnd = child ? CWnd::FromHandlePermanent(child) : nullptr;
  return wnd && wnd->IsKindOf(RUNTIME_CLASS(CTKDockBar)) ? static_cast<CTKDockBar*>(wnd) : nullptr;
}

CTKDockBar* CTKDockBar::AtPoint(HWND site, POINT screen, CTKDockBar* current) {
  auto holds = [&](CTKDockBar* dock) {
    if (!dock || !dock->GetSafeHwnd()) return false;
    CRect rc = dock->GetWindowRect();
    rc.InflateRect(kDockMargin, kDockMargin);
    return rc.PtInRect(screen) != FALSE;
  };
  if (holds(current)) return current;
  for (int side = 0; side < 4; ++side) {
    CTKDockBar* dock = FromSide(site, side);
    if (holds(dock)) return dock;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The list

std::vector<std::vector<CTKCommandBar*>> CTKDockBar::GetRows() const {
  std::vector<std::vector<CTKCommandBar*>> rows;
  std::vector<CTKCommandBar*> row;
  for (size_t i = 1; i < bars_.size(); ++i) {
    if (bars_[i]) {
      row.push_back(bars_[i]);
    } else if (!row.empty()) {
      rows.push_back(row);
      row.clear();
    }
  }
  if (!row.empty()) rows.push_back(row);
  return rows;
}

int CTKDockBar::FindBar(CTKCommandBar* bar, int skip) const {
  for (size_t i = 0; i < bars_.size(); ++i)
    if (bars_[i] == bar && static_cast<int>(i) != skip) return static_cast<int>(i);
  return -1;
}

int CTKDockBar::Insert(CTKCommandBar* bar, const RECT&, POINT point) {
  const bool horizontal = IsHorizontal();
  const int across = horizontal ? point.y : point.x;
  // The main bar's row takes no other bar: a bar dropped on it joins the next row that reaches
  // past the point.
  CTKCommandBar* main = manager_ && manager_->IsMainBarShownIn(this) ? static_cast<CTKCommandBar*>(manager_->GetMenuBar()) : nullptr;
  if (main == bar) main = nullptr;
  size_t row_start = 0;
  for (size_t i = 1; i <= bars_.size(); ++i) {
    if (i < bars_.size() && bars_[i]) continue;
    if (main && std::find(bars_.begin() + static_cast<std::ptrdiff_t>(row_start), bars_.begin() + static_cast<std::ptrdiff_t>(i),
                          main) != bars_.begin() + static_cast<std::ptrdiff_t>(i)) {
      row_start = i;
      continue;
    }
    // The row (row_start, i): its far edge is the largest bottom (right) of its shown bars.
    int far_edge = -1;
    bool any = false;
    for (size_t k = row_start + 1; k < i; ++k) {
      CTKCommandBar* other = bars_[k];
      if (!IsShown(other) || other == bar) continue;
      CRect rc = other->GetWindowRect();
      ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
      far_edge = std::max<int>(far_edge, horizontal ? rc.bottom : rc.right);
      any = true;
    }
    if (any && far_edge > across) {
      bars_.insert(bars_.begin() + static_cast<std::ptrdiff_t>(i), bar);
      return static_cast<int>(i);
    }
    row_start = i;
  }
  // A new row at the end.
  if (bars_.back() != nullptr) bars_.push_back(nullptr);
  bars_.push_back(bar);
  bars_.push_back(nullptr);
  return static_cast<int>(bars_.size()) - 2;
}

void CTKDockBar::Remove(CTKCommandBar* bar, int skip) {
  int index = FindBar(bar, skip);
  if (index < 0) return;
  bars_.erase(bars_.begin() + index);
  // A row left empty leaves two row breaks side by side: one goes.
  if (index > 0 && index < static_cast<int>(bars_.size()) && !bars_[index - 1] && !bars_[index])
    bars_.erase(bars_.begin() + index);
  if (bars_.size() > 1 && !bars_[bars_.size() - 1] && !bars_[bars_.size() - 2]) bars_.pop_back();
  if (bar->GetDockBar() == this && skip < 0) bar->SetDockBar(nullptr);
  if (GetSafeHwnd()) TKRecalcSiteLayout(GetSafeHwnd(), false);
}

void CTKDockBar::Dock(CTKCommandBar* bar, const RECT* screen_rect) {
  if (!bar) return;
  CTKDockContext* context = bar->EnableDockContext();
  if (screen_rect && bar->GetDockBar() == this && bar->GetSafeHwnd()) {
    CRect now = bar->GetWindowRect();
    if (now == CRect(*screen_rect)) return;
  }
  CTKDockBar* former = bar->GetDockBar();
  int index;
  if (screen_rect) {
    CRect rc(*screen_rect);
    CPoint centre = rc.CenterPoint();
    ::ScreenToClient(GetSafeHwnd(), &centre);
    CRect client_rect = rc;
    ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&client_rect), 2);
    index = Insert(bar, client_rect, centre);
    context->SetLastDocked(rc, side_);
    context->SetRowPosition(IsHorizontal() ? client_rect.left : client_rect.top);
  } else {
    if (bars_.back() != nullptr) bars_.push_back(nullptr);
    bars_.push_back(bar);
    bars_.push_back(nullptr);
    index = static_cast<int>(bars_.size()) - 2;
    context->SetLastDocked(CRect(), side_);
    context->SetRowPosition(0);
  }
  HWND hwnd = bar->GetSafeHwnd();
  if (hwnd && ::GetParent(hwnd) != GetSafeHwnd()) {
    // A docked bar is a child of its dock bar.
    LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    ::SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    ::SetParent(hwnd, GetSafeHwnd());
  }
  if (former && former != this) {
    former->Remove(bar);
  } else if (former == this) {
    // It stays in this dock bar: its old entry goes.
    int old = FindBar(bar, index);
    if (old >= 0) {
      Remove(bar, index);
    }
  }
  bar->SetDockBar(this);
  context->SetSide(side_);
  DWORD keep = bar->GetBarStyle() & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_FLOATING);
  bar->SetBarStyle(keep | kSideStyles[side_]);
  SeparateLoneBars();
  TKRecalcSiteLayout(GetSafeHwnd(), true);
}

void CTKDockBar::SeparateLoneBars() {
  for (size_t i = 1; i < bars_.size(); ++i) {
    CTKCommandBar* bar = bars_[i];
    if (!bar || !(bar->GetFlags() & TKDockFlags::kStandAlone)) continue;
    if (bars_[i - 1]) {
      bars_.insert(bars_.begin() + static_cast<std::ptrdiff_t>(i), nullptr);
      ++i;
    }
    if (i + 1 >= bars_.size() || bars_[i + 1]) bars_.insert(bars_.begin() + static_cast<std::ptrdiff_t>(i) + 1, nullptr);
  }
}

// ---------------------------------------------------------------------------------------------
// Layout

int CTKDockBar::LayoutRow(const std::vector<CTKCommandBar*>& row, int length, int offset, HDWP* batch,
                          CTKCommandBar** failed) {
  const bool horizontal = IsHorizontal();
  const bool customize = manager_ && manager_->IsCustomizeMode();
  *failed = nullptr;
  if (row.empty()) return 0;
  std::vector<DOCK_INFO> entries;
  entries.reserve(row.size());
  for (size_t i = 0; i < row.size(); ++i) {
    CTKCommandBar* bar = row[i];
    CSize size = bar->CalcDockedSize(length, RowFlags(bar, horizontal, customize));
    CTKDockContext* context = bar->EnableDockContext();
    DOCK_INFO info;
    info.bar = bar;
    info.index = static_cast<int>(i);
    const int start = context->GetRowPosition();
    info.size = size;
    info.rect = RECT{start, 0, start + Along(size, horizontal), Across(size, horizontal)};
    info.start = info.rect;
    entries.push_back(info);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const DOCK_INFO& a, const DOCK_INFO& b) { return a.rect.left < b.rect.left; });
  const size_t n = entries.size();
  auto width = [](const RECT& r) { return r.right - r.left; };
  auto move_to = [&](DOCK_INFO& e, int left) {
    const int w = width(e.rect);
    e.rect.left = left;
    e.rect.right = left + w;
  };
  // Overlaps push the later entry right, unless the one before came later in the row's order
  // and stayed where it was.
  for (size_t i = 1; i < n; ++i) {
    DOCK_INFO& prev = entries[i - 1];
    DOCK_INFO& cur = entries[i];
    if (cur.rect.left < prev.rect.right && !(prev.index > cur.index && !prev.moved)) {
      move_to(cur, prev.rect.right);
      cur.moved = true;
    }
  }
  // From the end: an entry past the limit is pulled back when the one after it came earlier
  // in the order or was pulled itself.
  int limit = length;
  bool after_pulled = true;
  int after_index = -1;
  for (size_t k = n; k-- > 0;) {
    DOCK_INFO& e = entries[k];
    if (e.rect.right > limit && (after_index < 0 || after_index < e.index || after_pulled)) {
      move_to(e, limit - width(e.rect));
      after_pulled = true;
    } else {
      after_pulled = false;
    }
    after_index = e.index;
    limit = e.rect.left;
  }
  // No entry starts before the one before it ends, nor before 0.
  int edge = 0;
  for (DOCK_INFO& e : entries) {
    if (e.rect.left < edge) move_to(e, edge);
    edge = e.rect.right;
  }
  // Still too long: entries shrink towards their minimum lengths from the end.
  if (entries.back().rect.right > length) {
    int before = 0;
    for (DOCK_INFO& e : entries) {
      const DWORD flags = RowFlags(e.bar, horizontal, customize);
      e.min_length = (e.bar->GetFlags() & TKDockFlags::kWrap) && !customize
                         ? Along(e.bar->CalcDockedSize(1, flags), horizontal)
                         : length;
      e.min_before = before;
      before += e.min_length;
    }
    limit = length;
    for (size_t k = n; k-- > 0;) {
      DOCK_INFO& e = entries[k];
      int left = std::min<int>(e.start.left, e.rect.left);
      left = std::max<int>(left, e.rect.left + (limit - e.rect.right));
      left = std::max(left, e.min_before);
      left = std::min(left, limit - e.min_length);
      if ((limit - left < e.min_length || left < e.min_before) && n > 1) {
        *failed = entries.back().bar;
        return 0;
      }
      e.rect.left = std::max(left, 0);
      e.rect.right = limit;
      limit = e.rect.left;
    }
  }
  // The row's thickness: the thickest bar at its final length.
  int thickness = 0;
  for (DOCK_INFO& e : entries) {
    // A bar that kept its length keeps the size measured for it.
    CSize size = width(e.rect) == Along(e.size, horizontal)
                     ? e.size
                     : e.bar->CalcDockedSize(width(e.rect), RowFlags(e.bar, horizontal, customize));
    thickness = std::max(thickness, Across(size, horizontal));
  }
  if (!batch) return thickness;
  for (size_t k = 0; k < n; ++k) {
    DOCK_INFO& e = entries[k];
    DWORD flags = RowFlags(e.bar, horizontal, customize) | LM_COMMIT;
    int left = e.rect.left, len = width(e.rect);
    if (e.bar->GetFlags() & TKDockFlags::kStretch) {
      left = k == 0 ? 0 : entries[k - 1].rect.right;
      const int right = k + 1 == n ? length : entries[k + 1].rect.left;
      len = right - left;
      e.rect.left = left;
      e.rect.right = right;
      flags |= LM_STRETCH;
    }
    CSize size = e.bar->CalcDockedSize(len, flags);
    const int along = (flags & LM_STRETCH) && (e.bar->GetFlags() & TKDockFlags::kStretch) ? len : Along(size, horizontal);
    RECT place{left, offset, left + along, offset + thickness};
    if (!horizontal) Swap(place);
    CTKDockContext* context = e.bar->GetDockContext();
    context->SetSide(side_);
    context->SetRowPosition(left);
    HWND hwnd = e.bar->GetSafeHwnd();
    if (!hwnd) continue;
    CRect now = e.bar->GetWindowRect();
    ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&now), 2);
    if (now != CRect(place)) {
      // What a move uncovers is erased by the next paint: erasing the dock bar and every bar in
      // it after each single move costs a walk of the whole row each time.
      if (*batch)
        *batch = ::DeferWindowPos(*batch, hwnd, nullptr, place.left, place.top, place.right - place.left,
                                  place.bottom - place.top, SWP_NOACTIVATE | SWP_NOZORDER | SWP_DEFERERASE);
      else
        ::SetWindowPos(hwnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       SWP_NOACTIVATE | SWP_NOZORDER | SWP_DEFERERASE);
      ::InvalidateRect(hwnd, nullptr, FALSE);
    }
  }
  return thickness;
}

CSize CTKDockBar::LayoutSide(const RECT& free_rect, bool stretch, HDWP* batch) {
  const bool horizontal = IsHorizontal();
  const int length = std::max<int>(0, horizontal ? free_rect.right - free_rect.left : free_rect.bottom - free_rect.top);
  int total = 0;
  const bool commit = batch != nullptr;
  HDWP own = commit ? ::BeginDeferWindowPos(static_cast<int>(bars_.size())) : nullptr;
  HDWP* moves = commit ? &own : nullptr;
  for (std::vector<CTKCommandBar*> row : GetRows()) {
    row.erase(std::remove_if(row.begin(), row.end(), [](CTKCommandBar* b) { return !IsShown(b); }), row.end());
    while (!row.empty()) {
      std::vector<CTKCommandBar*> carried;
      CTKCommandBar* failed = nullptr;
      int thickness = 0;
      for (;;) {
        thickness = LayoutRow(row, length, total, moves, &failed);
        if (!failed) break;
        row.erase(std::find(row.begin(), row.end(), failed));
        carried.insert(carried.begin(), failed);
      }
      total += thickness;
      row = carried;
    }
  }
  if (own) ::EndDeferWindowPos(own);
  (void)stretch;
  return horizontal ? CSize(length, total) : CSize(total, length);
}

LRESULT CTKDockBar::OnSizeParent(SIZEPARENTPARAMS* layout) {
  if (!layout) return 0;
  CRect free_rect(layout->rect);
  CSize size = LayoutSide(free_rect, layout->bStretch != FALSE, layout->hDWP ? &layout->hDWP : nullptr);
  CRect place = free_rect;
  switch (side_) {
    case 0:
      place.bottom = place.top + size.cy;
      layout->rect.top += size.cy;
      break;
    case 1:
      place.top = place.bottom - size.cy;
      layout->rect.bottom -= size.cy;
      break;
    case 2:
      place.right = place.left + size.cx;
      layout->rect.left += size.cx;
      break;
    default:
      place.left = place.right - size.cx;
      layout->rect.right -= size.cx;
      break;
  }
  if (IsHorizontal()) {
    layout->sizeTotal.cy += size.cy;
    layout->sizeTotal.cx = std::max(layout->sizeTotal.cx, size.cx);
  } else {
    layout->sizeTotal.cx += size.cx;
    layout->sizeTotal.cy = std::max(layout->sizeTotal.cy, size.cy);
  }
  if (layout->hDWP) {
    layout->hDWP = ::DeferWindowPos(layout->hDWP, GetSafeHwnd(), nullptr, place.left, place.top, place.Width(),
                                    place.Height(), SWP_NOACTIVATE | SWP_NOZORDER | SWP_DEFERERASE);
    ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Messages

void CTKDockBar::OnPaint() {
  KestrinWinNS::CScopedPaintDC paint(GetSafeHwnd());
  CDC dc;
  dc.Attach(paint.Get());
  CTKPaintManager* pm = manager_ ? manager_->GetPaintManager() : GlobalPaintManager();
  pm->PaintDockBarArea(&dc, GetClientRect(), kSideStyles[side_]);
  dc.Detach();
}

void CTKDockBar::PrintInto(HDC hdc, LPARAM flags) {
  CDC dc;
  dc.Attach(hdc);
  CTKPaintManager* pm = manager_ ? manager_->GetPaintManager() : GlobalPaintManager();
  pm->PaintDockBarArea(&dc, GetClientRect(), kSideStyles[side_]);
  dc.Detach();
  if (!(flags & PRF_CHILDREN)) return;
  for (HWND child = ::GetWindow(GetSafeHwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(child)) continue;
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
    POINT old;
    ::OffsetViewportOrgEx(hdc, rc.left, rc.top, &old);
    ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(hdc), flags);
    ::SetViewportOrgEx(hdc, old.x, old.y, nullptr);
  }
}

LRESULT CTKDockBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZEPARENT:
      return OnSizeParent(reinterpret_cast<SIZEPARENTPARAMS*>(lparam));
    case WM_NCHITTEST:
      // Beside the main bar's row the top strip belongs to the frame: clicks go through.
      if (side_ == 0 && manager_ && manager_->IsMainBarShownIn(this)) return HTTRANSPARENT;
      break;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PRINT:
      PrintInto(reinterpret_cast<HDC>(wparam), lparam);
      return 0;
    case WM_PRINTCLIENT:
      PrintInto(reinterpret_cast<HDC>(wparam), lparam & ~PRF_CHILDREN);
      return 0;
    case WM_RBUTTONUP: {
      POINT pt{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      ::ClientToScreen(GetSafeHwnd(), &pt);
      HWND site = manager_ ? manager_->GetSite() : ::GetParent(GetSafeHwnd());
      if (site) ::SendMessageW(site, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetSafeHwnd()), MAKELPARAM(pt.x, pt.y));
      return 0;
    }
    case WM_DESTROY:
      // The bars go with their dock bar's window: none keeps pointing here.
      for (CTKCommandBar* bar : bars_)
        if (bar && bar->GetDockBar() == this) bar->SetDockBar(nullptr);
      bars_.assign(1, nullptr);
      break;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

void TKRecalcSiteLayout(HWND window, bool now) {
  if (!window) return;
  CFrameWnd* frame = nullptr;
  if (CWnd* wnd = CWnd::FromHandlePermanent(window))
    if (wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) frame = static_cast<CFrameWnd*>(wnd);
  if (!frame) frame = CFrameWnd::GetParentFrameOf(window);
  if (!frame) {
    HWND owner = ::GetWindow(window, GW_OWNER);
    if (CWnd* wnd = owner ? CWnd::FromHandlePermanent(owner) : nullptr)
      if (wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) frame = static_cast<CFrameWnd*>(wnd);
  }
  if (!frame || !frame->m_hWnd) return;
  if (now)
    frame->RecalcLayout();
  else
    frame->DelayRecalcLayout();
}
