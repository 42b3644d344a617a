// The ribbon's tab row: one control of the ribbon bar that is also the tab manager of the
// ribbon's tabs. It selects tabs (asking its site first), moves between them with the arrow
// keys, lays the tabs out in the row's rectangle and describes them to accessibility clients.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/commandbars/control.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/tabs/tab_manager.h"

// What the tab row needs of the bar it sits in.
class CTKRibbonTabRowSite {
 public:
  virtual ~CTKRibbonTabRowSite() = default;
  virtual bool IsMinimized() const = 0;
  virtual void ClosePopups() = 0;
  virtual void HideKeyTipsAboveFirstLevel() {}
  // Asked before the selection changes; true keeps the old tab.
  virtual bool TabSelecting(CTKRibbonTab* tab) = 0;
  // The selection is changing to `tab`: the bar hides the other tabs' group controls; it lays
  // itself out again once the change is done.
  virtual void ShowGroupsOf(CTKRibbonTab* tab) = 0;
  virtual void TabSelected(CTKRibbonTab* tab) = 0;
  // A minimized ribbon shows the selected tab's groups in a popup.
  virtual void OpenTabPopup() = 0;
};

class CTKRibbonControlTab : public CTKControl, public CTKTabManager {
 public:
  static constexpr int kId = 9604;
  static constexpr int kFlags = 16;
  // Less room than this leaves the row empty.
  static constexpr int kLeastWidth = 6;

  explicit CTKRibbonControlTab(CTKRibbonTabRowSite* site);
  ~CTKRibbonControlTab() override;

  CTKRibbonTab* InsertTab(int index, const std::wstring& caption, int image = -1);
  CTKRibbonTab* TabAt(int index) const { return static_cast<CTKRibbonTab*>(ItemAtIndex(index)); }
  CTKRibbonTab* SelectedTab() const { return static_cast<CTKRibbonTab*>(Selected()); }

  // The selection with the site's consent (the tab manager's selection).
  void SelectItem(CTKTabManagerItem* item) override;
  // Holding the keyboard selection: with no selected tab the first visible one is selected.
  void ChangeTabRowFocus(bool focused);
  bool IsFocused() const { return focused_; }
  // Left and right arrows (already mapped for right-to-left layout) move to the previous or
  // next visible tab; true when the key was used.
  bool HandleArrowKey(UINT key);

  // Gives the row its rectangle and lets the painter lay the tabs out in it.
  void LayoutRow(HDC dc, const RECT& rect);

  CTKTabPaintManager* TabPainter() const override { return painter_; }
  void UsePainter(CTKTabPaintManager* painter) { painter_ = painter; }
  void InvalidateStrip(const RECT* rect, bool animate) override;

  // --- accessibility: the children are the tabs, numbered from 1 ---
  int AccessibleChildCount() const { return ItemCount(); }
  static int AccessibleChildRole() { return 37; }   // ROLE_SYSTEM_PAGETAB
  static int AccessibleRole() { return 60; }        // ROLE_SYSTEM_PAGETABLIST
  DWORD AccessibleChildState(int child) const;
  std::wstring AccessibleChildName(int child) const;
  static std::wstring AccessibleChildAction() { return L"Switch"; }
  // Selects the child's tab.
  bool AccessibleChildDoAction(int child);

 private:
  CTKRibbonTabRowSite* site_;
  CTKTabPaintManager* painter_ = nullptr;
  bool focused_ = false;
};
