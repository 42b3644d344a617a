#include "toolkit/ribbon/ribbon_control_tab.h"

#include <oleacc.h>

#include <algorithm>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/ribbon/ribbon_tab_popup.h"
#include "toolkit/tabs/tab_paint_manager.h"

using TKCommandBars::kPopupControl;

IMPLEMENT_DYNCREATE(CTKRibbonControlTab, CTKControlPopup)

namespace {

// Holds the site's layout lock for a scope.
class CLayoutLock {
 public:
  explicit CLayoutLock(CTKRibbonTabRowSite* site) : site_(site) {
    if (site_) site_->LockLayout();
  }
  ~CLayoutLock() {
    if (site_) site_->UnlockLayout();
  }
  CLayoutLock(const CLayoutLock&) = delete;
  CLayoutLock& operator=(const CLayoutLock&) = delete;

 private:
  CTKRibbonTabRowSite* site_;
};

}  // namespace

CTKRibbonControlTab::CTKRibbonControlTab() : CTKRibbonControlTab(nullptr) {}

CTKRibbonControlTab::CTKRibbonControlTab(CTKRibbonTabRowSite* site) : site_(site) {
  type_ = kPopupControl;
  SetID(kId);
  SetFlags(kFlags);
  AllowReorder(false);
}

CTKRibbonControlTab::~CTKRibbonControlTab() { ClearItems(); }

CTKRibbonTab* CTKRibbonControlTab::InsertTab(int index, const std::wstring& caption, int image) {
  index = std::clamp(index, 0, ItemCount());
  auto* tab = new CTKRibbonTab(this);
  tab->SetCaption(caption);
  tab->SetImage(image);
  Items().insert(Items().begin() + index, tab);
  RenumberItems();
  Relayout();
  return tab;
}

void CTKRibbonControlTab::SelectItem(CTKTabManagerItem* item) { ChooseTab(static_cast<CTKRibbonTab*>(item)); }

void CTKRibbonControlTab::ChooseTab(CTKRibbonTab* tab) {
  const bool minimized = site_ && site_->IsMinimized();
  if (site_ && !focused_ && tab && !minimized) site_->ClosePopups();
  if (tab == Selected()) return;
  if (site_) {
    site_->HideKeyTipsAboveFirstLevel();
    if (site_->TabSelecting(tab)) return;
  }
  {
    CLayoutLock lock(site_);
    HideOtherTabsGroupControls(tab);
    if (site_) site_->ShowGroupsOf(tab);
    CTKTabManager::SelectItem(tab);
  }
  if (site_) site_->TabSelected(tab);
  if (minimized && tab && Selected() == tab) {
    PopUpInBar();
    if (site_) site_->OpenTabPopup();
  }
  RedrawParent();
  RaiseFocusEvent();
}

void CTKRibbonControlTab::HideOtherTabsGroupControls(CTKRibbonTab* shown) {
  for (int i = 0; i < ItemCount(); ++i) {
    CTKRibbonTab* tab = TabAt(i);
    const bool hide = tab != shown;
    CTKRibbonGroups& groups = tab->Groups();
    for (int g = 0; g < groups.Count(); ++g) {
      CTKRibbonGroup* group = groups.At(g);
      for (const CTKRibbonGroup::CControlPosition& record : group->Positions())
        if (record.control) record.control->SetHideFlag(kHideOtherTab, hide);
      if (CTKControl* popup = group->CollapsedPopup()) popup->SetHideFlag(kHideOtherTab, hide);
    }
  }
}

void CTKRibbonControlTab::RaiseFocusEvent() {
  if (!parent_ || !parent_->GetSafeHwnd() || !Selected()) return;
  ::NotifyWinEvent(EVENT_OBJECT_FOCUS, parent_->GetSafeHwnd(), OBJID_CLIENT, SelectedIndex() + 1);
}

void CTKRibbonControlTab::PopUpInBar() {
  if (!parent_ || !parent_->GetSafeHwnd()) return;
  const bool keyboard = KeyboardState();
  if (parent_->GetExpandedIndex() == index_) {
    reopening_ = true;
    parent_->SetPopupOpen(-1, false);
    reopening_ = false;
  }
  parent_->SetTrackingMode(1, false, keyboard);
  parent_->SetPopupOpen(index_, keyboard);
}

void CTKRibbonControlTab::ChangeTabRowFocus(bool focused) {
  focused_ = focused;
  if (focused && !Selected()) {
    CTKTabManagerItem* first = NextUsableItem(-1, 1);
    if (first) SelectItem(first);
  }
  RedrawParent();
}

bool CTKRibbonControlTab::HandleArrowKey(UINT key) {
  if (key != VK_LEFT && key != VK_RIGHT) return false;
  const int from = Selected() ? Selected()->Index() : (key == VK_LEFT ? ItemCount() : -1);
  CTKTabManagerItem* next = NextUsableItem(from, key == VK_LEFT ? -1 : 1);
  if (!next) return false;
  SelectItem(next);
  return true;
}

bool CTKRibbonControlTab::HandleWheel(int delta) { return HandleArrowKey(delta > 0 ? VK_LEFT : VK_RIGHT); }

void CTKRibbonControlTab::SetSelected(int selected) { ChangeSelectionState(selected); }

void CTKRibbonControlTab::ChangeSelectionState(int selected) {
  // The row opens its popup only through a selection, never by becoming hot.
  CTKControl::SetSelected(selected);
  if (selected == 2 || selected == 3) {
    if (site_ && !site_->IsMinimized()) site_->ClosePopups();
    ChangeTabRowFocus(true);
  }
  if (selected) {
    RaiseFocusEvent();
    return;
  }
  focused_ = false;
  SetHotDirect(nullptr);
  RedrawParent();
}

bool CTKRibbonControlTab::OnHookKeyDown(UINT key) {
  if (!focused_) return false;
  if (parent_ && parent_->IsRightToLeft()) {
    if (key == VK_LEFT)
      key = VK_RIGHT;
    else if (key == VK_RIGHT)
      key = VK_LEFT;
  }
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
      return HandleArrowKey(key);
    case VK_UP:
      if (!parent_) return false;
      parent_->SetHotControl(parent_->GetControls()->GetNext(-1, 1), CTKCommandBar::kHotKeyBackward);
      return true;
    case VK_DOWN:
      if (!parent_) return false;
      parent_->SetHotControl(parent_->GetControls()->GetNext(index_, 1), CTKCommandBar::kHotKeyForward);
      return true;
    default:
      return false;
  }
}

bool CTKRibbonControlTab::OpenOrCloseTabPopup(bool open) {
  const bool minimized = site_ && site_->IsMinimized();
  if (open) {
    CTKRibbonTab* tab = SelectedTab();
    if (!tab || !minimized || !parent_) return false;
    auto* popup = new CTKRibbonTabPopupToolBar(this, tab);
    SetCommandBar(popup);
    popup->Release();
    return CTKControlPopup::OnSetPopup(true);
  }
  const bool closed = CTKControlPopup::OnSetPopup(false);
  if (minimized && !reopening_ && Selected()) SelectItem(nullptr);
  return closed;
}

void CTKRibbonControlTab::OnClick(bool keyboard, CPoint pt) {
  if (keyboard || !GetEnabled() || IsCustomizeMode()) return;
  HWND window = parent_ ? parent_->GetSafeHwnd() : nullptr;
  if (HandlePress(window, pt, true)) return;
  CTKTabManagerItem* item = ItemAt(pt);
  if (item && item->IsEnabled() && SelectionAllowed(item)) SelectItem(item);
}

void CTKRibbonControlTab::OnMouseMove(CPoint point) {
  TrackPointer(parent_ ? parent_->GetSafeHwnd() : nullptr, point);
}

void CTKRibbonControlTab::LayoutRow(HDC dc, const RECT& rect) {
  if (rect.right - rect.left < kLeastWidth || rect.bottom <= rect.top) {
    CTKControl::SetRect(CRect());
    SetControlRect(RECT{});
    SetHeaderRect(RECT{});
    return;
  }
  CTKControl::SetRect(CRect(rect));
  SetControlRect(rect);
  if (painter_) painter_->LayoutStrip(this, dc, rect);
}

void CTKRibbonControlTab::Draw(CDC* dc) {
  if (dc && painter_) painter_->PaintStrip(this, dc->GetSafeHdc(), GetRect());
}

void CTKRibbonControlTab::InvalidateStrip(const RECT*, bool) { RedrawParent(); }

bool CTKRibbonControlTab::PaintItemIcon(HDC dc, POINT point, CTKTabManagerItem* item, bool draw, SIZE& size) {
  if (!item || item->Image() < 0) return false;
  CTKImageManager* images = GetImageManager();
  if (!images) return false;
  const int width = size.cx > 0 ? size.cx : 16;
  CTKImageManagerIcon* icon = images->GetImage(static_cast<UINT>(item->Image()), width);
  if (!icon) return false;
  size = SIZE{icon->Width(), icon->Height()};
  if (draw && dc) {
    const CTKIconImage& image = icon->GetImageOfState(item->IsEnabled() ? CTKImageManagerIcon::kNormal
                                                                        : CTKImageManagerIcon::kDisabled);
    images->DrawImage(dc, point.x, point.y, icon, image, size.cx, size.cy);
  }
  return true;
}

DWORD CTKRibbonControlTab::AccessibleState(int child) const {
  if (child == 0) {
    DWORD state = STATE_SYSTEM_FOCUSABLE;
    const bool bar_hidden = !parent_ || !parent_->GetSafeHwnd() || !::IsWindowVisible(parent_->GetSafeHwnd());
    if (bar_hidden || !IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
    return state;
  }
  const CTKTabManagerItem* item = ItemAtIndex(child - 1);
  if (!item) return 0;
  DWORD state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (item == Selected()) state |= STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
  if (!item->IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
  return state;
}

std::wstring CTKRibbonControlTab::AccessibleName(int child) const {
  if (child == 0) return GetCaption();
  const CTKTabManagerItem* item = ItemAtIndex(child - 1);
  if (!item) return std::wstring();
  std::wstring name = item->Caption();
  CTKDrawHelpers::StripAmpersands(name);
  return name;
}

bool CTKRibbonControlTab::AccessibleDoDefaultAction(int child) {
  CTKTabManagerItem* item = ItemAtIndex(child - 1);
  if (!item) return false;
  SelectItem(item);
  return true;
}

bool CTKRibbonControlTab::AccessibleLocation(int child, RECT* screen) const {
  const CTKTabManagerItem* item = ItemAtIndex(child - 1);
  if (!item || !screen || !parent_ || !parent_->GetSafeHwnd()) return false;
  RECT rect = item->Rect();
  ::MapWindowPoints(parent_->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  // A mirrored bar maps the corners swapped.
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  *screen = rect;
  return true;
}

int CTKRibbonControlTab::AccessibleHitTest(POINT screen) const {
  if (!parent_ || !parent_->GetSafeHwnd()) return -1;
  POINT point = screen;
  ::ScreenToClient(parent_->GetSafeHwnd(), &point);
  if (!GetRect().PtInRect(point)) return -1;
  const CTKTabManagerItem* item = ItemAt(point);
  return item ? item->Index() + 1 : 0;
}
