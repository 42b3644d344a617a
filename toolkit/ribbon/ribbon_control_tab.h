// The ribbon's tab row: one control of the ribbon bar that is at once a popup control and the
// tab manager of the ribbon's tabs. It selects tabs (asking its site first), moves between them
// with the arrow keys and the wheel, lays the tabs out in the row's rectangle, describes them to
// accessibility clients and, while the ribbon is minimized, opens the selected tab's groups in a
// popup of their own.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/commandbars/accessible.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/tabs/tab_manager.h"

class CTKRibbonControlTab;

// What the tab row needs of the bar it sits in.
class CTKRibbonTabRowSite {
 public:
  virtual ~CTKRibbonTabRowSite() = default;
  virtual bool IsMinimized() const = 0;
  virtual void ClosePopups() = 0;
  virtual void HideKeyTipsAboveFirstLevel() {}
  // Asked before the selection changes (the tab-selecting notification); true keeps the old tab.
  virtual bool TabSelecting(CTKRibbonTab* tab) = 0;
  // The selection is changing to `tab` while the layout is locked; the bar lays itself out
  // again once the lock is released.
  virtual void ShowGroupsOf(CTKRibbonTab* tab) = 0;
  // The selection changed (the tab-selected notification).
  virtual void TabSelected(CTKRibbonTab* tab) = 0;
  // A minimized ribbon's selection opened the tab popup; the row has already popped itself up
  // in its bar when it lies in one.
  virtual void OpenTabPopup() {}
  // The layout lock: while held, requests to lay the bar out are only recorded; releasing the
  // last hold lays the bar out when one was recorded.
  virtual void LockLayout() {}
  virtual void UnlockLayout() {}
  // The height of the groups band a tab popup shows; 0 takes the theme's (group caption height
  // plus three control heights plus 10).
  virtual int PopupGroupsHeight() const { return 0; }
};

class CTKRibbonControlTab : public CTKControlPopup, public CTKTabManager, public CTKAccessibleControlChildren {
  DECLARE_DYNCREATE(CTKRibbonControlTab)

 public:
  static constexpr int kId = 9604;
  static constexpr int kFlags = 16;
  // Less room than this leaves the row empty.
  static constexpr int kLeastWidth = 6;
  // The hide flag of a control that belongs to a group of a tab other than the selected one.
  static constexpr int kHideOtherTab = 0x80;
  // The notifications the bar sends its site for a selection: before (a non-zero answer
  // cancels) and after.
  static constexpr int kNotifyTabSelecting = -552;
  static constexpr int kNotifyTabSelected = -551;

  CTKRibbonControlTab();
  explicit CTKRibbonControlTab(CTKRibbonTabRowSite* site);
  ~CTKRibbonControlTab() override;

  void SetSite(CTKRibbonTabRowSite* site) { site_ = site; }
  CTKRibbonTabRowSite* Site() const { return site_; }

  CTKRibbonTab* InsertTab(int index, const std::wstring& caption, int image = -1);
  CTKRibbonTab* TabAt(int index) const { return static_cast<CTKRibbonTab*>(ItemAtIndex(index)); }
  CTKRibbonTab* SelectedTab() const { return static_cast<CTKRibbonTab*>(Selected()); }

  // The selection with the site's consent (the tab manager's selection): closes open popups
  // unless minimized, asks the site, hides the other tabs' group controls under the layout
  // lock, tells the site, opens the tab popup of a minimized ribbon, redraws and raises the
  // accessibility focus event.
  void ChooseTab(CTKRibbonTab* tab);
  void SelectItem(CTKTabManagerItem* item) override;
  // Holding the keyboard selection: with no selected tab the first visible one is selected.
  void ChangeTabRowFocus(bool focused);
  bool IsFocused() const { return focused_; }
  // Left and right arrows (already mapped for right-to-left layout) move to the previous or
  // next visible tab; true when the key was used.
  bool HandleArrowKey(UINT key);
  // The wheel while the ribbon tracks: towards the previous tab for a positive delta, the next
  // one otherwise.
  bool HandleWheel(int delta);

  // The control's hot and pressed state (0 none, 1 mouse, 2 and 3 keyboard): the keyboard
  // states close the open popup (unless minimized) and focus the row, any state raises the
  // focus event, none unfocuses the row and clears the hot tab.
  void ChangeSelectionState(int selected);
  void SetSelected(int selected) override;
  // Keys while the row holds the keyboard selection: Left and Right (mirrored in right-to-left
  // bars) change tabs, Up goes to the bar's first control, Down to the control after the row.
  bool WantsKeysWhileHot() const override { return focused_; }
  bool OnHookKeyDown(UINT key) override;

  // Opens the selected tab's groups in a popup (only while minimized, with a tab selected), or
  // closes it; closing while minimized deselects the tab.
  bool OpenOrCloseTabPopup(bool open);
  bool OnSetPopup(bool open) override { return OpenOrCloseTabPopup(open); }
  // A click selects the tab under the point; the row is no popup button of its own.
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnLButtonUp(CPoint point) override {}
  void OnLButtonDblClk(CPoint point) override {}
  void OnMouseHover() override {}
  void OnExecuteByKeyboard() override {}
  void OnMouseMove(CPoint point) override;

  // Gives the row its rectangle and lets the painter lay the tabs out in it.
  void LayoutRow(HDC dc, const RECT& rect);
  // The painter's strip.
  void Draw(CDC* dc) override;
  CSize GetSize(CDC* dc) override { return GetRect().Size(); }

  CTKTabPaintManager* TabPainter() const override { return painter_; }
  void UsePainter(CTKTabPaintManager* painter) { painter_ = painter; }
  void InvalidateStrip(const RECT* rect, bool animate) override;
  // A tab's image from the bar's image manager by the tab's image id (-1 none).
  bool PaintItemIcon(HDC dc, POINT point, CTKTabManagerItem* item, bool draw, SIZE& size) override;

  // --- accessibility: the children are the tabs, numbered from 1; 0 is the row itself ---
  static constexpr long kRoleTab = 37;       // ROLE_SYSTEM_PAGETAB
  static constexpr long kRoleTabList = 60;   // ROLE_SYSTEM_PAGETABLIST
  int AccessibleChildCount() const override { return ItemCount(); }
  long AccessibleRole(int child) const override { return child == 0 ? kRoleTabList : kRoleTab; }
  // The row: focusable, invisible while it or its bar is hidden. A tab: selectable and
  // focusable, selected and focused while selected, invisible while hidden; 0 for a bad child.
  DWORD AccessibleState(int child) const override;
  // A tab's caption without its "&" marks.
  std::wstring AccessibleName(int child) const override;
  std::wstring AccessibleDefaultAction(int child) const override { return child > 0 ? L"Switch" : L""; }
  // Selects the child's tab.
  bool AccessibleDoDefaultAction(int child) override;
  // Selecting a tab through an accessibility client selects it as a click does.
  bool AccessibleSelect(int child) override { return AccessibleDoDefaultAction(child); }
  bool AccessibleLocation(int child, RECT* screen) const override;
  int AccessibleHitTest(POINT screen) const override;

 private:
  // Hides the group controls of every tab but `tab` (and shows those of `tab`).
  void HideOtherTabsGroupControls(CTKRibbonTab* tab);
  void RaiseFocusEvent();
  // Pops the row up in its bar, tracking, for a minimized ribbon's selection; an open popup of
  // the previous tab closes first without giving up the selection.
  void PopUpInBar();
  bool KeyboardState() const { return GetSelected() >= 2 || GetPressed() >= 2 || focused_; }

  CTKRibbonTabRowSite* site_ = nullptr;
  CTKTabPaintManager* painter_ = nullptr;
  bool focused_ = false;
  bool reopening_ = false;
};
