#include "toolkit/skin/skin_object_control.h"

#include <commctrl.h>

#include "toolkit/drawing/system_helpers.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_system.h"

namespace SkinControl {

HBRUSH ParentBrush(CTKSkinManager* manager, HWND hwnd, HDC dc, UINT message) {
  HWND parent = GetParent(hwnd);
  if (!parent) return nullptr;
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(brush);
  if (value >= 1 && value <= 30) {
    HBRUSH skin = manager->Metrics()->Brush(static_cast<int>(value) - 1);
    return skin ? skin : SkinSystem::GetSysColorBrush(static_cast<int>(value) - 1);
  }
  return brush;
}

COLORREF Color(CTKSkinManager* manager, int index) {
  const COLORREF c = manager->Metrics()->Color(index);
  return c != CLR_INVALID ? c : SkinSystem::GetSysColor(index);
}

bool HidesFocus(HWND hwnd) { return (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0; }
bool HidesAccelerators(HWND hwnd) { return (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0; }

void TrackLeave(HWND hwnd) {
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, 0};
  TrackMouseEvent(&track);
}

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

}  // namespace SkinControl

bool CTKSkinObjectUser32Control::RereadsScrollBars() const { return GetCommonControlsVersion() < 0x60000; }

bool CTKSkinObjectComCtl32Control::RereadsScrollBars() const {
  // The Windows 9x platform is the only one whose common controls leave their bars to USER32.
  OSVERSIONINFOW version{sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&version);
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

void CTKSkinObjectUser32Control::RereadScrollBars() {
  if (!RereadsScrollBars()) return;
  const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  const int bars[2] = {SB_HORZ, SB_VERT};
  const LONG shown[2] = {WS_HSCROLL, WS_VSCROLL};
  for (int i = 0; i < 2; ++i) {
    SCROLLINFO si{sizeof(si), SIF_ALL};
    if (!(style & shown[i]) || !GetScrollInfo(hwnd_, bars[i], &si)) continue;
    const SCROLLINFO& old = seen_[i];
    const bool changed = si.nMin != old.nMin || si.nMax != old.nMax || si.nPage != old.nPage || si.nPos != old.nPos;
    seen_[i] = si;
    if (changed) RedrawScrollBar(bars[i]);
  }
}

bool CTKSkinObjectUser32Control::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_MOUSEWHEEL:
    case WM_WINDOWPOSCHANGED:
      *result = DefaultProcessing(message, wParam, lParam);
      RereadScrollBars();
      return true;
    case WM_ERASEBKGND: {
      if (!CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result))
        *result = DefaultProcessing(message, wParam, lParam);
      RereadScrollBars();
      return true;
    }
    default:
      return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  }
}

bool CTKSkinObjectEdit::CountsAsDisabled() const {
  return !IsWindowEnabled(hwnd_) || (GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) != 0;
}

void CTKSkinObjectEdit::DrawFrame(HDC dc) {
  HWND next = GetWindow(hwnd_, GW_HWNDNEXT);
  RECT own, other;
  if (!dc || !next || !(GetWindowLongW(next, GWL_STYLE) & WS_VISIBLE) || !GetWindowRect(hwnd_, &own) || !GetWindowRect(next, &other) ||
      other.top >= own.bottom || other.bottom <= own.top) {
    CTKSkinObjectUser32Control::DrawFrame(dc);
    return;
  }
  // An up-down control attached to the edit covers exactly two pixels of its frame.
  const int width = own.right - own.left, height = own.bottom - own.top;
  RECT strip{};
  if (other.left == own.right - 2 && other.right > own.right)
    strip = RECT{width - 2, 0, width, height};
  else if (other.right == own.left + 2 && other.left < own.left)
    strip = RECT{0, 0, 2, height};
  const int saved = SaveDC(dc);
  if (strip.right > strip.left) ExcludeClipRect(dc, strip.left, strip.top, strip.right, strip.bottom);
  CTKSkinObjectUser32Control::DrawFrame(dc);
  if (saved) RestoreDC(dc, saved);
}

bool CTKSkinObjectTreeView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message != WM_CREATE) return CTKSkinObjectComCtl32Control::OnMessage(message, wParam, lParam, result);
  *result = DefaultProcessing(message, wParam, lParam);
  created_ = *result != -1;
  if (created_ && manager_->IsSkinLoaded()) Refresh();
  return true;
}

void CTKSkinObjectTreeView::Refresh() {
  if (!created_) return;
  const bool skinned = manager_ && manager_->IsSkinLoaded() && !IsPassThrough();
  SendMessageW(hwnd_, TVM_SETBKCOLOR, 0,
               skinned ? static_cast<LPARAM>(SkinControl::Color(manager_, COLOR_WINDOW)) : static_cast<LPARAM>(-1));
}

void CTKSkinObjectTreeView::OnSkinStateChange(int, int) {
  created_ = true;  // changes are reported for windows that exist
  Refresh();
}

bool CTKSkinObjectListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const int code = LOWORD(wParam);
  if ((message == WM_HSCROLL || message == WM_VSCROLL) && !lParam &&
      (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) && RereadsScrollBars()) {
    // The list view of the Windows 9x platform ignores thumb positions its bars did not send
    // themselves: it is scrolled by the distance instead (rows for the vertical bar).
    const bool vertical = message == WM_VSCROLL;
    int delta = static_cast<int>(HIWORD(wParam)) - GetScrollPos(hwnd_, vertical ? SB_VERT : SB_HORZ);
    if (vertical) delta *= HIWORD(SendMessageW(hwnd_, LVM_GETITEMSPACING, TRUE, 0));
    *result = SendMessageW(hwnd_, LVM_SCROLL, vertical ? 0 : delta, vertical ? delta : 0);
    RereadScrollBars();
    return true;
  }
  if (message != WM_CREATE) return CTKSkinObjectComCtl32Control::OnMessage(message, wParam, lParam, result);
  *result = DefaultProcessing(message, wParam, lParam);
  created_ = *result != -1;
  if (created_ && manager_->IsSkinLoaded()) Refresh();
  return true;
}

void CTKSkinObjectListView::Refresh() {
  if (!created_) return;
  const bool skinned = manager_ && manager_->IsSkinLoaded() && !IsPassThrough();
  const COLORREF color = skinned ? SkinControl::Color(manager_, COLOR_WINDOW) : SkinSystem::GetSysColor(COLOR_WINDOW);
  SendMessageW(hwnd_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color));
  SendMessageW(hwnd_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(color));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void CTKSkinObjectListView::OnSkinStateChange(int, int) {
  created_ = true;
  Refresh();
}

bool CTKSkinObjectStatusBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message != WM_CREATE) return CTKSkinObjectFrame::OnMessage(message, wParam, lParam, result);
  *result = DefaultProcessing(message, wParam, lParam);
  if (*result != -1) SendMessageW(hwnd_, WM_WININICHANGE, 0, 0);
  return true;
}

void CTKSkinObjectStatusBar::OnSkinStateChange(int, int) { PostMessageW(hwnd_, WM_WININICHANGE, 0, 0); }
