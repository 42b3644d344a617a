#include "toolkit/ribbon/ribbon_control_tab.h"

#include <oleacc.h>

#include <algorithm>

#include "toolkit/tabs/tab_paint_manager.h"

CTKRibbonControlTab::CTKRibbonControlTab(CTKRibbonTabRowSite* site) : site_(site) {
  SetID(kId);
  SetFlags(kFlags);
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

void CTKRibbonControlTab::SelectItem(CTKTabManagerItem* item) {
  auto* tab = static_cast<CTKRibbonTab*>(item);
  const bool minimized = site_ && site_->IsMinimized();
  if (site_ && !focused_ && tab && !minimized) site_->ClosePopups();
  if (tab == Selected()) return;
  if (site_) {
    site_->HideKeyTipsAboveFirstLevel();
    if (site_->TabSelecting(tab)) return;
    site_->ShowGroupsOf(tab);
  }
  CTKTabManager::SelectItem(tab);
  if (site_) {
    site_->TabSelected(tab);
    if (minimized && tab) site_->OpenTabPopup();
  }
  RedrawParent();
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

void CTKRibbonControlTab::LayoutRow(HDC dc, const RECT& rect) {
  if (rect.right - rect.left < kLeastWidth || rect.bottom <= rect.top) {
    SetRect(CRect());
    SetControlRect(RECT{});
    SetHeaderRect(RECT{});
    return;
  }
  SetRect(CRect(rect));
  SetControlRect(rect);
  if (painter_) painter_->LayoutStrip(this, dc, rect);
}

void CTKRibbonControlTab::InvalidateStrip(const RECT*, bool) { RedrawParent(); }

DWORD CTKRibbonControlTab::AccessibleChildState(int child) const {
  const CTKTabManagerItem* item = ItemAtIndex(child - 1);
  if (!item) return 0;
  DWORD state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (item == Selected()) state |= STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
  if (!item->IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
  return state;
}

std::wstring CTKRibbonControlTab::AccessibleChildName(int child) const {
  const CTKTabManagerItem* item = ItemAtIndex(child - 1);
  if (!item) return std::wstring();
  // "&&" stands for one ampersand; a single one marks the access key.
  std::wstring name;
  const std::wstring& caption = item->Caption();
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&') {
      if (i + 1 < caption.size() && caption[i + 1] == L'&') name += caption[++i];
      continue;
    }
    name += caption[i];
  }
  return name;
}

bool CTKRibbonControlTab::AccessibleChildDoAction(int child) {
  CTKTabManagerItem* item = ItemAtIndex(child - 1);
  if (!item) return false;
  SelectItem(item);
  return true;
}
