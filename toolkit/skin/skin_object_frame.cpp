#include "toolkit/skin/skin_object_frame.h"

#include <algorithm>

#include "platform/appframe/wnd.h"
#include "platform/win/gdi.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_system.h"

namespace {

// WINDOW parts of the caption buttons.
enum { kMinButton = 15, kMaxButton = 17, kCloseButton = 18, kSmallCloseButton = 19, kRestoreButton = 21, kHelpButton = 23 };
// SCROLLBAR part and state of the size box.
enum { kSizeBox = 10, kRightAlign = 1 };

int XOf(LPARAM l) { return static_cast<short>(LOWORD(l)); }
int YOf(LPARAM l) { return static_cast<short>(HIWORD(l)); }

// Scroll-bar sizes come from the skin: kept within what a frame can hold.
int BoundedBarSize(int size) { return std::min(std::max(size, 0), 256); }

bool IsMdiChild(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0; }

// The window's framework object wants its caption drawn active whatever the activation says.
bool StaysActive(HWND hwnd) {
  const CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  return wnd && wnd->m_stayActive;
}

}  // namespace

bool CTKSkinObjectFrame::FramesSkinned() const {
  return manager_ && !IsPassThrough() && manager_->IsSkinLoaded() && manager_->Schema() &&
         (manager_->Options() & CTKSkinManager::kOptionFrames) != 0;
}

bool CTKSkinObjectFrame::HasCaption() const {
  return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

RECT CTKSkinObjectFrame::WindowRectOrigin() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return r;
}

POINT CTKSkinObjectFrame::ScreenToWindowPoint(LPARAM lParam) const {
  const RECT r = WindowRectOrigin();
  return POINT{XOf(lParam) - r.left, YOf(lParam) - r.top};
}

bool CTKSkinObjectFrame::HandleControlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  CTKSkinManagerMetrics* metrics = manager_->Metrics();
  HDC dc = reinterpret_cast<HDC>(wParam);
  const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  if (field && skin_class_ == L"COMBOBOX") return false;
  *result = DefaultProcessing(message, wParam, lParam);
  const int index = field ? COLOR_WINDOW : COLOR_BTNFACE;
  HBRUSH skin = metrics->Brush(index);
  const HBRUSH given = reinterpret_cast<HBRUSH>(*result);
  if (!skin || (given && given != SkinSystem::GetSysColorBrush(index))) return true;
  SetBkColor(dc, metrics->Color(index));
  *result = reinterpret_cast<LRESULT>(skin);
  return true;
}

bool CTKSkinObjectFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return HandleControlColor(message, wParam, lParam, result);
    case WM_ERASEBKGND: {
      HBRUSH dialog = manager_->Metrics()->Brush(COLOR_BTNFACE);
      if (frame_kind_ == 0) return EraseWithSkinClassBrush(wParam, lParam, result);
      if (!dialog) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client;
      GetClientRect(hwnd_, &client);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      FillRect(dc, &client, dialog);
      *result = 1;
      return true;
    }
    default:
      break;
  }
  // Captioned windows and MDI children have their frame drawn before their own procedure sees
  // the message; the frame of other windows is drawn when their default processing is reached.
  if (message == WM_TIMER || HasCaption() || IsMdiChild(hwnd_))
    return HandleFrameMessage(message, wParam, lParam, result);
  return false;
}

bool CTKSkinObjectFrame::EraseWithSkinClassBrush(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // A class brush that names a system colour (colour index + 1) is the skin's brush of that
  // colour while the default erasing runs; the class keeps its own value afterwards.
  const LONG_PTR brush = static_cast<LONG_PTR>(GetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND));
  if (brush < 1 || brush > 30) return false;
  HBRUSH skin = manager_->Metrics()->Brush(static_cast<int>(brush) - 1);
  if (!skin) return false;
  SetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(skin));
  *result = DefaultProcessing(WM_ERASEBKGND, wParam, lParam);
  SetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND, brush);
  return true;
}

bool CTKSkinObjectFrame::OnDefaultMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_TIMER || HasCaption() || IsMdiChild(hwnd_)) return false;
  return HandleFrameMessage(message, wParam, lParam, result);
}

bool CTKSkinObjectFrame::HandleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (!FramesSkinned()) return false;
  if (busy_ && (message == WM_NCCALCSIZE || message == WM_STYLECHANGED)) return false;
  *result = 0;
  switch (message) {
    case WM_NCPAINT: return OnNcPaint();
    case WM_NCCALCSIZE: return OnNcCalcSize(wParam, lParam);
    case WM_NCHITTEST: return OnNcHitTest(wParam, lParam, result);
    case WM_NCMOUSEMOVE: return OnNcMouseMove(lParam);
    case WM_NCMOUSELEAVE: return OnNcMouseLeave();
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: return OnNcLButtonDown(wParam, lParam);
    case WM_NCRBUTTONUP: return OnNcRButtonUp(lParam);
    case WM_NCACTIVATE: return OnNcActivate(wParam, result);
    case WM_SETTEXT: return OnSetText(wParam, lParam, result);
    case WM_STYLECHANGED: return OnStyleChanged(wParam, lParam, result);
    case WM_CREATE: return OnCreate(wParam, lParam, result);
    case WM_WINDOWPOSCHANGING: return OnWindowPosChanging(wParam, lParam, result);
    case WM_PRINT: return OnPrint(wParam, lParam);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(wParam, lParam, result);
    case WM_SYSCOMMAND: return OnSysCommand(wParam, lParam, result);
    case WM_ENTERIDLE: return OnEnterIdle();
    case WM_TIMER: return OnTimer(wParam);
    default: return false;
  }
}

bool CTKSkinObjectFrame::OnNcPaint() {
  RebuildButtonsIfStyleChanged();
  RedrawFrame();
  return true;
}

bool CTKSkinObjectFrame::OnNcCalcSize(WPARAM wParam, LPARAM lParam) {
  RECT* rc = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  if (!rc) return false;
  borders_ = manager_->Schema()->ComputeFrameBorders(hwnd_);
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE), ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
  RECT client{rc->left + borders_.left, rc->top + borders_.top, rc->right - borders_.right,
              rc->bottom - borders_.bottom};
  if (style & WS_VSCROLL) {
    const int width = BoundedBarSize(manager_->Metrics()->ScrollWidth());
    if (ex & WS_EX_LEFTSCROLLBAR)
      client.left += width;
    else
      client.right -= width;
  }
  if (style & WS_HSCROLL) client.bottom -= BoundedBarSize(manager_->Metrics()->ScrollHeight());
  // Never inside out, never outside the window.
  client.left = std::min(client.left, rc->right);
  client.top = std::min(client.top, rc->bottom);
  client.right = std::min(std::max(client.right, client.left), rc->right);
  client.bottom = std::min(std::max(client.bottom, client.top), rc->bottom);
  *rc = client;
  return true;
}

bool CTKSkinObjectFrame::OnNcHitTest(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const int own = HitTest(ScreenToWindowPoint(lParam));
  if (own) {
    *result = own;
    return true;
  }
  const LRESULT hit = DefaultProcessing(WM_NCHITTEST, wParam, lParam);
  if (hit == HTHSCROLL || hit == HTVSCROLL)
    *result = HTCLIENT;
  else if (hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTCLOSE || hit == HTHELP)
    *result = HTCAPTION;
  else
    *result = hit;
  return true;
}

bool CTKSkinObjectFrame::OnNcMouseMove(LPARAM lParam) {
  SetHover(ScreenToWindowPoint(lParam));
  return hot_button_ >= 0 || vert_.mouseOver || horz_.mouseOver;
}

bool CTKSkinObjectFrame::OnNcMouseLeave() {
  const bool wasTracking = hot_button_ >= 0 || vert_.mouseOver || horz_.mouseOver;
  SetHover(POINT{-1, -1});
  return wasTracking;
}

bool CTKSkinObjectFrame::OnNcLButtonDown(WPARAM wParam, LPARAM lParam) {
  if (hot_button_ >= 0) {
    RunButtonLoop();
    return true;
  }
  const POINT pt = ScreenToWindowPoint(lParam);
  LayoutScrollBars();
  for (int bar : {SB_VERT, SB_HORZ}) {
    if (!IsScrollBarShown(bar)) continue;
    const int element = ScrollBar(bar).HitTest(pt);
    if (element != kScrollNone) return TrackScrollBar(bar, element, pt, GetKeyState(VK_SHIFT) < 0);
  }
  return wParam == HTMINBUTTON || wParam == HTMAXBUTTON || wParam == HTCLOSE || wParam == HTHELP;
}

bool CTKSkinObjectFrame::OnNcRButtonUp(LPARAM lParam) {
  const POINT pt = ScreenToWindowPoint(lParam);
  LayoutScrollBars();
  const bool onBar = (vert_shown_ && PtInRect(&vert_.rect, pt)) || (horz_shown_ && PtInRect(&horz_.rect, pt));
  if (!onBar) return false;
  RecalcNonClient();
  SendMessageW(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_), lParam);
  return true;
}

bool CTKSkinObjectFrame::OnNcActivate(WPARAM wParam, LRESULT* result) {
  if (!HasCaption()) return false;
  active_ = (wParam != 0 || StaysActive(hwnd_)) && IsWindowEnabled(hwnd_);
  HWND mdi = FindWindowExW(hwnd_, nullptr, L"MDIClient", nullptr);
  HWND child = mdi ? reinterpret_cast<HWND>(SendMessageW(mdi, WM_MDIGETACTIVE, 0, 0)) : nullptr;
  if (child && child != hwnd_) {
    SendMessageW(child, WM_NCACTIVATE, wParam, 0);
    SendMessageW(child, WM_NCPAINT, 1, 0);
  }
  RebuildButtonsIfStyleChanged();
  RedrawFrame();
  *result = TRUE;
  return true;
}

bool CTKSkinObjectFrame::OnSetText(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (!HasCaption()) return false;
  *result = DefaultProcessing(WM_SETTEXT, wParam, lParam);
  RedrawFrame();
  return true;
}

bool CTKSkinObjectFrame::OnStyleChanged(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = DefaultProcessing(WM_STYLECHANGED, wParam, lParam);
  borders_ = manager_->Schema()->ComputeFrameBorders(hwnd_);
  region_size_ = SIZE{-1, -1};
  UpdateRegion();
  RebuildButtonsIfStyleChanged();
  return true;
}

bool CTKSkinObjectFrame::OnCreate(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = DefaultProcessing(WM_CREATE, wParam, lParam);
  if (*result == -1) return true;
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  if (HasCaption() && (style & WS_POPUP) && (manager_->Options() & CTKSkinManager::kOptionMetrics)) {
    // The dialog keeps the client size it was designed for under the skin's caption.
    const bool tool = (GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    CTKSkinManagerMetrics* m = manager_->Metrics();
    const int skin = tool ? m->SmallCaptionHeight() : m->CaptionHeight();
    const int diff = skin - GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (skin > 0 && diff != 0) {
      const RECT r = WindowRectOrigin();
      SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + diff,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  UpdateRegion();
  return true;
}

bool CTKSkinObjectFrame::OnWindowPosChanging(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = DefaultProcessing(WM_WINDOWPOSCHANGING, wParam, lParam);
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
  if (pos && !(pos->flags & SWP_NOSIZE)) UpdateRegion(SIZE{pos->cx, pos->cy});
  return true;
}

bool CTKSkinObjectFrame::OnPrint(WPARAM wParam, LPARAM lParam) {
  if (!(lParam & PRF_NONCLIENT)) return false;
  HDC dc = reinterpret_cast<HDC>(wParam);
  if ((lParam & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd_)) return true;
  RebuildButtonsIfStyleChanged();
  DrawFrame(dc);
  const LPARAM rest = lParam & ~PRF_NONCLIENT;
  if (rest & (PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN)) {
    // The client part lands where the client area lies inside the frame.
    POINT origin{0, 0};
    ClientToScreen(hwnd_, &origin);
    const RECT w = WindowRectOrigin();
    POINT old;
    OffsetViewportOrgEx(dc, origin.x - w.left, origin.y - w.top, &old);
    DefaultProcessing(WM_PRINT, wParam, rest);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
  return true;
}

bool CTKSkinObjectFrame::OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = DefaultProcessing(WM_GETMINMAXINFO, wParam, lParam);
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (!info) return true;
  const RECT b = manager_->Schema()->ComputeFrameBorders(hwnd_);
  if (IsMdiChild(hwnd_) && (manager_->Options() & CTKSkinManager::kOptionMetrics)) {
    // A maximised child's caption goes under the parent's top edge with the skin's border.
    info->ptMaxPosition.y -= b.top;
    info->ptMaxSize.y += b.top;
  }
  if (!HasCaption()) return true;
  RebuildButtonsIfStyleChanged();
  const LONG minWidth = b.top * static_cast<LONG>(buttons_.size()) + 2 * GetSystemMetrics(SM_CXEDGE) +
                        GetSystemMetrics(SM_CYSIZE);
  info->ptMinTrackSize.x = std::max(info->ptMinTrackSize.x, minWidth);
  info->ptMinTrackSize.y = std::max(info->ptMinTrackSize.y, b.top + b.bottom);
  return true;
}

bool CTKSkinObjectFrame::OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const UINT command = static_cast<UINT>(wParam & 0xFFF0);
  if (command == SC_MAXIMIZE && IsMdiChild(hwnd_) && !IsZoomed(hwnd_) &&
      (manager_->Options() & CTKSkinManager::kOptionMetrics)) {
    *result = DefaultProcessing(WM_SYSCOMMAND, wParam, lParam);
    if (IsWindow(hwnd_)) CoverParentClient();
    return true;
  }
  if (command == SC_MOVE && IsIconic(hwnd_)) RedrawFrame();
  *result = DefaultProcessing(WM_SYSCOMMAND, wParam, lParam);
  if (command == SC_MINIMIZE && IsWindow(hwnd_)) RedrawFrame();
  return true;
}

bool CTKSkinObjectFrame::OnEnterIdle() {
  // A minimised child's frame is not repainted while a menu or dialog holds the loop.
  if ((GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) && IsIconic(hwnd_)) RedrawFrame();
  return false;
}

bool CTKSkinObjectFrame::OnTimer(WPARAM id) {
  if (id == kRecalcTimer) {
    KillTimer(hwnd_, kRecalcTimer);
    RecalcNonClient();
    return true;
  }
  if (id != kHoverTimer) return false;
  POINT cursor;
  if (GetCapture() == hwnd_) return true;
  if (GetCursorPos(&cursor) && WindowFromPoint(cursor) == hwnd_) {
    const RECT w = WindowRectOrigin();
    const POINT pt{cursor.x - w.left, cursor.y - w.top};
    if (HitTest(pt) != 0) return true;
  }
  SetHover(POINT{-1, -1});
  KillTimer(hwnd_, kHoverTimer);
  return true;
}

void CTKSkinObjectFrame::RebuildButtonsIfStyleChanged() {
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE), ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
  if (style == last_style_ && ex == last_ex_style_) return;
  last_style_ = style;
  last_ex_style_ = ex;
  buttons_.clear();
  hot_button_ = pressed_button_ = -1;
  if ((style & WS_CAPTION) != WS_CAPTION) return;
  const bool tool = (ex & WS_EX_TOOLWINDOW) != 0;
  const bool sysMenu = (style & WS_SYSMENU) != 0;
  if (sysMenu || (!(style & WS_DLGFRAME) && !(ex & WS_EX_DLGMODALFRAME))) {
    bool enabled = true;
    if (!tool && sysMenu) {
      HMENU menu = GetSystemMenu(hwnd_, FALSE);
      const UINT state = menu ? GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : 0;
      enabled = state == static_cast<UINT>(-1) || !(state & (MF_DISABLED | MF_GRAYED));
    }
    buttons_.push_back({HTCLOSE, tool ? kSmallCloseButton : kCloseButton, SC_CLOSE, enabled, RECT{}});
  }
  if (!tool && sysMenu && (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) {
    const bool maxEnabled = (style & WS_MAXIMIZEBOX) != 0, minEnabled = (style & WS_MINIMIZEBOX) != 0;
    if (!(style & WS_MAXIMIZE))
      buttons_.push_back({HTMAXBUTTON, kMaxButton, SC_MAXIMIZE, maxEnabled, RECT{}});
    else if (!(style & WS_MINIMIZE))
      buttons_.push_back({HTMAXBUTTON, kRestoreButton, SC_RESTORE, maxEnabled, RECT{}});
    if (style & WS_MINIMIZE)
      buttons_.push_back({HTMINBUTTON, kRestoreButton, SC_RESTORE, minEnabled, RECT{}});
    else
      buttons_.push_back({HTMINBUTTON, kMinButton, SC_MINIMIZE, minEnabled, RECT{}});
  }
  if ((ex & WS_EX_CONTEXTHELP) && !tool && sysMenu)
    buttons_.push_back({HTHELP, kHelpButton, SC_CONTEXTHELP, true, RECT{}});
}

int CTKSkinObjectFrame::ButtonState(size_t index) const {
  if (index >= buttons_.size()) return 1;
  const int i = static_cast<int>(index);
  int state = 1;
  if (!buttons_[index].enabled)
    state = 4;
  else if (hot_button_ == i && pressed_button_ == i)
    state = 3;
  else if (hot_button_ == i && pressed_button_ < 0)
    state = 2;
  return active_ ? state : state + 4;
}

void CTKSkinObjectFrame::LayoutScrollBars() {
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE), ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
  vert_shown_ = (style & WS_VSCROLL) != 0;
  horz_shown_ = (style & WS_HSCROLL) != 0;
  if (!vert_shown_ && !horz_shown_) return;
  const RECT w = WindowRectOrigin();
  RECT c;
  GetClientRect(hwnd_, &c);
  MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&c), 2);
  OffsetRect(&c, -w.left, -w.top);
  const int sw = BoundedBarSize(manager_->Metrics()->ScrollWidth());
  const int sh = BoundedBarSize(manager_->Metrics()->ScrollHeight());
  vert_.vertical = true;
  horz_.vertical = false;
  vert_.rect = (ex & WS_EX_LEFTSCROLLBAR) ? RECT{c.left - sw, c.top, c.left, c.bottom}
                                          : RECT{c.right, c.top, c.right + sw, c.bottom};
  horz_.rect = RECT{c.left, c.bottom, c.right, c.bottom + sh};
  for (int bar : {SB_VERT, SB_HORZ}) {
    CTKSkinScrollBarInfo& info = bar == SB_VERT ? vert_ : horz_;
    if (info.pressed != kScrollNone) continue;  // a tracked bar keeps the tracker's position
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    if (GetScrollInfo(hwnd_, bar, &si)) info.info = si;
  }
}

void CTKSkinObjectFrame::DrawFrame(HDC dc) {
  if (busy_ || !dc || !FramesSkinned()) return;
  CTKSkinManagerSchema* schema = manager_->Schema();
  schema->PaintWindowFrame(dc, this);
  LayoutScrollBars();
  for (int bar : {SB_VERT, SB_HORZ}) {
    const CTKSkinScrollBarInfo& info = ScrollBar(bar);
    if (!IsScrollBarShown(bar) || info.rect.right <= info.rect.left || info.rect.bottom <= info.rect.top) continue;
    CTKBufferDCEx buffer(dc, info.rect);
    schema->PaintScrollBarParts(buffer.GetSafeHdc() ? static_cast<HDC>(buffer) : dc, hwnd_, info);
  }
  if (vert_shown_ && horz_shown_) {
    const RECT corner{vert_.rect.left, horz_.rect.top, vert_.rect.right, horz_.rect.bottom};
    SkinDrawFunctions::FillSolid(dc, corner, schema->SizeBoxFillColor(hwnd_));
    // The grip shows where the window (or the ancestor it sits in) is sized from.
    HWND sizable = hwnd_;
    while (sizable && (!(GetWindowLongW(sizable, GWL_STYLE) & WS_THICKFRAME) || IsZoomed(sizable)))
      sizable = GetParent(sizable);
    if (sizable) {
      RECT client;
      GetClientRect(sizable, &client);
      POINT end{client.right, client.bottom};
      ClientToScreen(sizable, &end);
      const RECT w = WindowRectOrigin();
      const int dx = end.x - (w.left + corner.right), dy = end.y - (w.top + corner.bottom);
      const int size = BoundedBarSize(manager_->Metrics()->ScrollWidth());
      if (dx >= 0 && dx <= size && dy >= 0 && dy <= size)
        manager_->FindOrAddSkinClass(L"SCROLLBAR")->DrawBackground(dc, kSizeBox, kRightAlign, corner);
    }
  }
}

void CTKSkinObjectFrame::RedrawFrame() {
  if (!FramesSkinned() || !IsWindow(hwnd_)) return;
  KestrinWinNS::CWindowFrameDC dc(hwnd_);
  DrawFrame(dc.Get());
}

void CTKSkinObjectFrame::RedrawScrollBar(int bar) {
  if (!FramesSkinned()) {
    CTKSkinObject::RedrawScrollBar(bar);
    return;
  }
  RedrawFrame();
}

int CTKSkinObjectFrame::HitTest(POINT pt) {
  LayoutScrollBars();
  if (vert_shown_ && PtInRect(&vert_.rect, pt)) return HTVSCROLL;
  if (horz_shown_ && PtInRect(&horz_.rect, pt)) return HTHSCROLL;
  if ((GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) && !IsMdiChild(hwnd_)) return 0;
  RebuildButtonsIfStyleChanged();
  if (buttons_.empty() || !FramesSkinned()) return 0;
  manager_->Schema()->PlaceCaptionButtons(nullptr, this);
  for (const CCaptionButton& b : buttons_) {
    if (b.enabled && PtInRect(&b.rect, pt)) return b.hitCode;
  }
  return 0;
}

void CTKSkinObjectFrame::SetHover(POINT pt) {
  if (vert_.pressed != kScrollNone || horz_.pressed != kScrollNone) return;
  bool changed = false;
  int hot = -1;
  if (pt.x >= 0 && pt.y >= 0 && !buttons_.empty() && FramesSkinned()) {
    manager_->Schema()->PlaceCaptionButtons(nullptr, this);
    for (size_t i = 0; i < buttons_.size(); ++i) {
      if (buttons_[i].enabled && PtInRect(&buttons_[i].rect, pt)) hot = static_cast<int>(i);
    }
  }
  if (hot != hot_button_) {
    hot_button_ = hot;
    changed = true;
  }
  LayoutScrollBars();
  for (int bar : {SB_VERT, SB_HORZ}) {
    CTKSkinScrollBarInfo& info = bar == SB_VERT ? vert_ : horz_;
    const bool shown = IsScrollBarShown(bar);
    const bool over = shown && PtInRect(&info.rect, pt);
    const int element = shown ? info.HitTest(pt) : kScrollNone;
    if (over != info.mouseOver || element != info.hot) {
      info.mouseOver = over;
      info.hot = element;
      changed = true;
    }
  }
  if (changed) RedrawFrame();
  if (hot_button_ >= 0 || vert_.mouseOver || horz_.mouseOver)
    SetTimer(hwnd_, kHoverTimer, 50, nullptr);
  else
    KillTimer(hwnd_, kHoverTimer);
}

void CTKSkinObjectFrame::RunButtonLoop() {
  if (hot_button_ < 0 || static_cast<size_t>(hot_button_) >= buttons_.size()) return;
  // The window may be destroyed by a message pumped here; its object goes with it, so after
  // each dispatch the object is only touched when it is still the window's.
  HWND hwnd = hwnd_;
  CTKSkinManager* manager = manager_;
  const int button = hot_button_;
  const CCaptionButton pressed = buttons_[static_cast<size_t>(button)];
  auto stillOurs = [&] { return IsWindow(hwnd) && manager->Lookup(hwnd) == this; };
  SetCapture(hwnd);
  pressed_button_ = button;
  RedrawFrame();
  bool releasedOver = false;
  MSG msg;
  while (TKNextLoopMessage(hwnd, msg) == CTKLoopWake::kMessage) {
    if (msg.hwnd == hwnd && (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)) {
      POINT pt{XOf(msg.lParam), YOf(msg.lParam)};
      ClientToScreen(hwnd, &pt);
      const RECT w = WindowRectOrigin();
      pt.x -= w.left;
      pt.y -= w.top;
      const bool inside = PtInRect(&pressed.rect, pt) != FALSE;
      if (msg.message == WM_LBUTTONUP) {
        releasedOver = inside;
        break;
      }
      const int now = inside ? button : -1;
      if (now != pressed_button_) {
        pressed_button_ = now;
        RedrawFrame();
      }
      continue;
    }
    if (msg.message == WM_NCMOUSELEAVE) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!stillOurs()) return;
  }
  if (!stillOurs()) return;
  hot_button_ = pressed_button_ = -1;
  if (GetCapture() == hwnd) ReleaseCapture();
  RedrawFrame();
  if (releasedOver) {
    DWORD pos = GetMessagePos();
    SendMessageW(hwnd, WM_SYSCOMMAND, pressed.command, static_cast<LPARAM>(pos));
  }
}

void CTKSkinObjectFrame::CoverParentClient() {
  HWND parent = GetParent(hwnd_);
  RECT client;
  if (!parent || !GetClientRect(parent, &client)) return;
  const RECT b = manager_->Schema()->ComputeFrameBorders(hwnd_);
  SetWindowPos(hwnd_, nullptr, client.left - b.left, client.top - b.top,
               client.right - client.left + b.left + b.right, client.bottom - client.top + b.top + b.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTKSkinObjectFrame::RecalcNonClient() {
  if (!(manager_->Options() & CTKSkinManager::kOptionFrames)) return;
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  RECT w = WindowRectOrigin();
  ++busy_;
  SetWindowLongW(hwnd_, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL | WS_DLGFRAME));
  SendMessageW(hwnd_, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&w));
  SetWindowLongW(hwnd_, GWL_STYLE, style);
  --busy_;
}

void CTKSkinObjectFrame::UpdateRegion() {
  const RECT w = WindowRectOrigin();
  UpdateRegion(SIZE{w.right - w.left, w.bottom - w.top});
}

void CTKSkinObjectFrame::UpdateRegion(SIZE size) {
  if (in_region_) return;
  in_region_ = true;
  if (!HasCaption() || !FramesSkinned()) {
    if (region_applied_) SetWindowRgn(hwnd_, nullptr, TRUE);
    region_applied_ = false;
    region_size_ = HasCaption() ? size : SIZE{-1, -1};
    in_region_ = false;
    return;
  }
  if (size.cx != region_size_.cx || size.cy != region_size_.cy) {
    KestrinWinNS::CScopedRegion region(manager_->Schema()->ComputeFrameRegion(this, size.cx, size.cy));
    if (region) {
      // The window owns the region once it is set.
      if (SetWindowRgn(hwnd_, region.Get(), TRUE)) {
        region.Take();
        region_applied_ = true;
      }
    } else if (region_applied_) {
      SetWindowRgn(hwnd_, nullptr, TRUE);
      region_applied_ = false;
    }
    region_size_ = size;
  }
  in_region_ = false;
}

void CTKSkinObjectFrame::Refresh() {
  // The first refresh comes while the window is being created: it has no frame yet.
  if (!created_) {
    created_ = true;
    return;
  }
  RefreshFrame();
}

void CTKSkinObjectFrame::RefreshFrame() {
  if (!hwnd_ || !IsWindow(hwnd_)) return;
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE), ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
  active_ = GetActiveWindow() == hwnd_ || !HasCaption();
  last_style_ = last_ex_style_ = -1;
  const bool framed = (style & (WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL)) ||
                      (ex & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME));
  if (framed)
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  region_size_ = SIZE{-1, -1};
  UpdateRegion();
  if (framed) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void CTKSkinObjectFrame::OnSkinStateChange(int, int) {
  RefreshFrame();
  PostMessageW(hwnd_, WM_SYSCOLORCHANGE, 0, 0);
}
