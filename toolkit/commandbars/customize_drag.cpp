// Customize mode's drag and drop of controls: the manager's drag loop, which carries a control
// from its bar to another place on the same bar, onto another bar (moved, or copied with Ctrl),
// or off every bar (removed); and the bars' side of it, the drop marker and the drop.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/commandbar_resource.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/drawing/color_manager.h"
#include "toolkit/drawing/nested_loop.h"
#include "toolkit/drawing/resource_manager.h"
#include "platform/win/gdi.h"

using namespace TKCommandBars;

namespace {

// Half the thickness of the drop marker.
const int kMarkerHalf = 3;
// How far the pointer must go on from the press before a control dropped on itself changes its
// begin-group flag.
const int kRegroupDistance = 4;

// The distance from a point to a rectangle (0 inside), squared.
long long DistanceSquared(const CRect& rc, CPoint pt) {
  const long long dx = pt.x < rc.left ? rc.left - pt.x : (pt.x >= rc.right ? pt.x - rc.right + 1 : 0);
  const long long dy = pt.y < rc.top ? rc.top - pt.y : (pt.y >= rc.bottom ? pt.y - rc.bottom + 1 : 0);
  return dx * dx + dy * dy;
}

// The cursor of a drag: the system's no-drop cursor, or the toolkit's own move and copy
// cursors (the arrow where the program carries none).
HCURSOR DragCursor(int kind) {
  if (kind == CTKCommandBarManager::kDragCursorNoDrop) return ::LoadCursor(nullptr, IDC_NO);
  const UINT id = kind == CTKCommandBarManager::kDragCursorCopy ? IDC_TK_DRAG_COPY : IDC_TK_DRAG_MOVE;
  if (HCURSOR own = GetResourceManagerInstance()->ReadCursorResource(id)) return own;
  return ::LoadCursor(nullptr, IDC_ARROW);
}

// Takes a control out of its bar: the control after it takes over a begin-group flag it had,
// and a new first control begins no group.
void RemoveFromBar(CTKControl* control) {
  CTKControls* controls = control->GetControls();
  if (!controls) return;
  CTKCommandBar* bar = control->GetParent();
  const int index = control->GetIndex();
  const bool began = control->GetBeginGroup();
  controls->Remove(control);
  if (began && index >= 0 && index < controls->GetCount()) controls->GetAt(index)->SetBeginGroup(true);
  if (index == 0 && controls->GetCount() > 0) controls->GetAt(0)->SetBeginGroup(false);
  if (bar) bar->Relayout();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The manager's drag loop

void CTKCommandBarManager::RegisterDropTarget(CTKCommandBar* bar) {
  if (!bar) return;
  UnregisterDropTarget(bar);
  drop_targets_.push_back(bar);
}

void CTKCommandBarManager::UnregisterDropTarget(CTKCommandBar* bar) {
  drop_targets_.erase(std::remove(drop_targets_.begin(), drop_targets_.end(), bar), drop_targets_.end());
}

CTKCommandBar* CTKCommandBarManager::FindDropTarget(POINT screen, const CTKControl* control) const {
  for (auto it = drop_targets_.rbegin(); it != drop_targets_.rend(); ++it) {
    CTKCommandBar* bar = *it;
    HWND hwnd = bar->GetSafeHwnd();
    RECT rc;
    if (!hwnd || !::IsWindowVisible(hwnd) || !::GetWindowRect(hwnd, &rc) || !::PtInRect(&rc, screen)) continue;
    if (bar->AcceptsDrop(control)) return bar;
  }
  return nullptr;
}

int CTKCommandBarManager::DragControl(CTKControl* control, POINT start) {
  CTKCommandBar* source = control ? control->GetParent() : nullptr;
  HWND hwnd = source ? source->GetSafeHwnd() : nullptr;
  if (!hwnd) return kDragNothing;
  control->AddRef();
  source->AddRef();
  ::SetCapture(hwnd);
  bool copy = false, moved = false;
  POINT last = start;
  CTKCommandBar* over = nullptr;  // the bar showing the drop marker
  int result = kDragNothing;
  // A bar whose window went while the loop dispatched messages has left the drop targets.
  auto still_there = [&] {
    if (over && std::find(drop_targets_.begin(), drop_targets_.end(), over) == drop_targets_.end()) over = nullptr;
  };
  // Asks the bar under the pointer for its marker, and shows the cursor for the drop there.
  auto follow = [&](POINT screen) {
    still_there();
    CTKCommandBar* target = FindDropTarget(screen, control);
    if (over && over != target) over->OnCustomizeDragLeave();
    over = target;
    int effect = kDragNothing;
    if (target) {
      POINT client = screen;
      ::ScreenToClient(target->GetSafeHwnd(), &client);
      effect = target->OnCustomizeDragOver(control, client, copy ? kDragCopied : kDragMoved);
    }
    drag_cursor_ = effect == kDragNothing ? kDragCursorNoDrop : (copy ? kDragCursorCopy : kDragCursorMove);
    ::SetCursor(DragCursor(drag_cursor_));
  };
  follow(start);
  MSG msg;
  for (;;) {
    if (TKNextLoopMessage(hwnd, msg) != CTKLoopWake::kMessage) break;
    if (TKIsCancelMessage(msg) || msg.message == WM_RBUTTONDOWN) break;
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
      if (msg.wParam == VK_CONTROL) {
        copy = msg.message == WM_KEYDOWN;
        follow(last);
      }
      continue;
    }
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP) {
      POINT screen = TKMessagePoint(msg);
      ::ClientToScreen(msg.hwnd, &screen);
      copy = (msg.wParam & MK_CONTROL) != 0;
      if (screen.x != start.x || screen.y != start.y) moved = true;
      last = screen;
      follow(screen);
      if (msg.message == WM_LBUTTONUP) {
        if (over) {
          POINT client = screen;
          ::ScreenToClient(over->GetSafeHwnd(), &client);
          result = over->OnCustomizeDrop(control, client, copy ? kDragCopied : kDragMoved, start);
          over = nullptr;
        } else {
          result = moved ? kDragRemoved : kDragNothing;
        }
        break;
      }
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  still_there();
  if (over) over->OnCustomizeDragLeave();
  if (::GetCapture() == hwnd) ::ReleaseCapture();
  drag_cursor_ = kDragCursorNoDrop;
  if (result == kDragRemoved || result == kDragMoved) {
    if (customize_selection_ == control) SetCustomizeSelection(nullptr);
    RemoveFromBar(control);
  }
  source->Release();
  control->Release();
  return result;
}

int CTKControl::CustomizeStartDrag(POINT screen) {
  CTKCommandBar* bar = parent_;
  CTKCommandBarManager* manager = bar ? bar->GetCommandBarManager() : nullptr;
  return manager ? manager->DragControl(this, screen) : CTKCommandBarManager::kDragNothing;
}

// ---------------------------------------------------------------------------------------------
// The bars' side

int CTKCommandBar::StartCustomizeDrag(CTKControl* control, CPoint pt) {
  if (!GetSafeHwnd()) return CTKCommandBarManager::kDragNothing;
  POINT screen = pt;
  ::ClientToScreen(GetSafeHwnd(), &screen);
  return control->CustomizeStartDrag(screen);
}

bool CTKCommandBar::AcceptsDrop(const CTKControl* control) const { return control && IsCustomizable(); }

CTKControl* CTKCommandBar::PlaceDropMarker(CPoint pt) {
  CTKControl* nearest = nullptr;
  long long best = std::numeric_limits<long long>::max();
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (control->GetParent() != this || !control->IsVisible() || control->GetRect().IsRectEmpty()) continue;
    const long long d = DistanceSquared(control->GetRect(), pt);
    if (d < best) {
      best = d;
      nearest = control;
    }
  }
  const bool down = IsVertical();
  drop_begin_group_ = false;
  if (!nearest) {
    CRect client;
    ::GetClientRect(GetSafeHwnd(), &client);
    drop_marker_ = down ? CRect(client.left + 2, client.top + 2, client.right - 2, client.top + 8)
                        : CRect(client.left + 2, client.top + 2, client.left + 8, client.bottom - 2);
    drop_index_ = GetControlCount();
    return nullptr;
  }
  const CRect& rc = nearest->GetRect();
  const bool after = down ? pt.y >= rc.CenterPoint().y : pt.x >= rc.CenterPoint().x;
  drop_index_ = nearest->GetIndex() + (after ? 1 : 0);
  if (down) {
    const int y = after ? rc.bottom : rc.top;
    drop_marker_ = CRect(rc.left, y - kMarkerHalf, rc.right, y + kMarkerHalf);
  } else {
    const int x = after ? rc.right : rc.left;
    drop_marker_ = CRect(x - kMarkerHalf, rc.top, x + kMarkerHalf, rc.bottom);
  }
  // Dropped in front of a control that begins a group, the new control takes the group's start.
  drop_begin_group_ = !after && nearest->GetBeginGroup();
  return nearest;
}

int CTKCommandBar::OnCustomizeDragOver(CTKControl* control, CPoint pt, int effect) {
  if (!AcceptsDrop(control)) {
    OnCustomizeDragLeave();
    return CTKCommandBarManager::kDragNothing;
  }
  if (CTKControl* under = controls_->HitTest(pt)) under->OnCustomizeDragOver(control);
  const CRect before = drop_marker_;
  PlaceDropMarker(pt);
  if (GetSafeHwnd() && before != drop_marker_) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  return effect;
}

void CTKCommandBar::OnCustomizeDragLeave() {
  const bool shown = !drop_marker_.IsRectEmpty();
  drop_marker_.SetRectEmpty();
  drop_index_ = -1;
  if (shown && GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

int CTKCommandBar::OnCustomizeDrop(CTKControl* control, CPoint pt, int effect, POINT start) {
  int result = CTKCommandBarManager::kDragNothing;
  if (AcceptsDrop(control)) {
    CTKControl* beside = PlaceDropMarker(pt);
    // A drop just before or after the control itself leaves it in its place.
    const bool itself = beside == control ||
                        (control->GetParent() == this && (drop_index_ == control->GetIndex() ||
                                                          drop_index_ == control->GetIndex() + 1));
    if (itself) {
      POINT now = pt;
      ::ClientToScreen(GetSafeHwnd(), &now);
      const int dx = now.x - start.x, dy = now.y - start.y;
      if (std::abs(dx) > kRegroupDistance || std::abs(dy) > kRegroupDistance) {
        // Pulled on along the bar it begins a group; pulled back it stops beginning one.
        const int along = IsVertical() ? dy : dx;
        if (along != 0 && control->GetIndex() > 0) control->SetBeginGroup(along > 0);
      }
    } else {
      SetPopupOpen(-1, false);
      SetHotControl(-1, kHotProgram);
      CTKControl* beside_after = drop_index_ < GetControlCount() ? GetControl(drop_index_) : nullptr;
      if (CTKControl* added = controls_->AddCopy(control, drop_index_)) {
        added->SetBeginGroup(drop_begin_group_ && added->GetIndex() > 0);
        if (drop_begin_group_ && beside_after) beside_after->SetBeginGroup(false);
        result = effect;
        if (CTKCommandBarManager* manager = GetCommandBarManager()) manager->GetOptions().changed = true;
      }
    }
  }
  OnCustomizeDragLeave();
  Relayout();
  return result;
}

void CTKCommandBar::DrawDropMarker(CDC* dc) const {
  if (drop_marker_.IsRectEmpty()) return;
  KestrinWinNS::CScopedBrush brush(::CreateSolidBrush(ColorByIndex(15)));
  KestrinWinNS::CSelectObject select(*dc, brush.Get());
  const CRect& m = drop_marker_;
  // Outer lines over the whole length, inner lines one shorter at each end, and a 2-pixel bar
  // down the middle two shorter again: an I-beam that inverts what lies under it.
  if (IsVertical()) {
    const int w = m.Width();
    ::PatBlt(*dc, m.left, m.top, w, 1, PATINVERT);
    ::PatBlt(*dc, m.left, m.bottom - 1, w, 1, PATINVERT);
    ::PatBlt(*dc, m.left + 1, m.top + 1, w - 2, 1, PATINVERT);
    ::PatBlt(*dc, m.left + 1, m.bottom - 2, w - 2, 1, PATINVERT);
    ::PatBlt(*dc, m.left + 2, m.top + 2, w - 4, m.Height() - 4, PATINVERT);
  } else {
    const int h = m.Height();
    ::PatBlt(*dc, m.left, m.top, 1, h, PATINVERT);
    ::PatBlt(*dc, m.right - 1, m.top, 1, h, PATINVERT);
    ::PatBlt(*dc, m.left + 1, m.top + 1, 1, h - 2, PATINVERT);
    ::PatBlt(*dc, m.right - 2, m.top + 1, 1, h - 2, PATINVERT);
    ::PatBlt(*dc, m.left + 2, m.top + 2, m.Width() - 4, h - 4, PATINVERT);
  }
}
