#include "toolkit/ribbon/ribbon_tab_popup.h"

#include <algorithm>

#include "toolkit/commandbars/command_bar_defs.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_control_tab.h"
#include "toolkit/ribbon/ribbon_measure_dc.h"
#include "toolkit/ribbon/ribbon_popup_placement.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/ribbon/ribbon_theme.h"

using TKCommandBars::kHideShow;

namespace {

// The screen rectangle of a control of `bar`, corners in order even on a mirrored bar.
CRect ControlOnScreen(const CTKControl* control) {
  CRect rect = control->GetRect();
  CTKCommandBar* bar = control->GetParent();
  if (bar && bar->GetSafeHwnd()) ::MapWindowPoints(bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  rect.NormalizeRect();
  return rect;
}

}  // namespace

CTKRibbonTabPopupToolBar::CTKRibbonTabPopupToolBar(CTKRibbonControlTab* row, CTKRibbonTab* tab)
    : row_(row), ribbon_(row ? row->GetParent() : nullptr), tab_(new CTKRibbonTab(nullptr)) {
  if (ribbon_) {
    SetCommandBarManager(ribbon_->GetCommandBarManager());
    SetPaintManager(ribbon_->GetPaintManager());
    SetImageManager(ribbon_->GetImageManager());
    GetAnimation().EnableAnimation(ribbon_->GetAnimation().IsAnimationEnabled());
  }
  SetBorders(CRect(0, 0, 0, 0));
  SetShowShadow(false);

  // The ribbon's own heights where it tells them, else the theme's.
  const CTKRibbonTheme::CMetrics metrics = CTKRibbonTheme::MetricsOf(GetPaintManager());
  const auto* ribbon_band = dynamic_cast<const CTKRibbonGroupsHost*>(ribbon_);
  caption_height_ = ribbon_band ? ribbon_band->GroupCaptionHeight() : metrics.group_caption_height;
  const int asked = row && row->Site() ? row->Site()->PopupGroupsHeight() : 0;
  groups_height_ = asked > 0 ? asked : CTKRibbonBarHeights::GroupsBand(caption_height_, metrics.control_height);

  SetShownTab(tab_);
  if (tab) {
    tab_->CopyFrom(*tab);
    tab_->Groups().CloneFrom(tab->Groups(), this, this);
  }
  // Last in the collection, the scroll buttons are drawn over the groups.
  controls_->InsertAt(LeftButton(), -1);
  controls_->InsertAt(RightButton(), -1);
}

CTKRibbonTabPopupToolBar::~CTKRibbonTabPopupToolBar() {
  // The copied groups take their controls out of this bar before the bar's controls go.
  tab_->Groups().DropAllGroups();
  tab_->InternalRelease();
}

CRect CTKRibbonTabPopupToolBar::PlacementRect() const {
  CRect ribbon, anchor;
  if (ribbon_ && ribbon_->GetSafeHwnd()) ::GetWindowRect(ribbon_->GetSafeHwnd(), &ribbon);
  if (row_) anchor = ControlOnScreen(row_);
  RECT monitor{}, work{};
  TKGetMonitorAreas(static_cast<const RECT&>(anchor), &monitor, &work);
  return CRect(CTKRibbonPopupPlacement::TabPopup(ribbon, anchor, work, groups_height_));
}

CSize CTKRibbonTabPopupToolBar::CalcSize(int, DWORD) {
  const CRect rect = PlacementRect();
  LayoutBand(rect.Width(), rect.Height());
  return rect.Size();
}

CRect CTKRibbonTabPopupToolBar::CalcPopupRect(CSize) {
  const CRect rect = PlacementRect();
  // The size calculation laid the groups out for this size already.
  const RECT& band = GroupsRect();
  if (band.right - band.left != rect.Width() || band.bottom - band.top != rect.Height())
    LayoutBand(rect.Width(), rect.Height());
  return rect;
}

void CTKRibbonTabPopupToolBar::LayoutBand(int width, int height) {
  SetGroupsRect(RECT{0, 0, width, height});
  CTKRibbonMeasureDC dc(this);
  tab_->Groups().ArrangeGroups(dc.hdc(), width, kMarginLeft, kMarginTop, kMarginRight);
}

void CTKRibbonTabPopupToolBar::RelayoutGroups() {
  const RECT& band = GroupsRect();
  LayoutBand(band.right - band.left, band.bottom - band.top);
  if (GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

void CTKRibbonTabPopupToolBar::OnScrollButton(bool left) {
  SetPopupOpen(-1, false);
  ScrollGroups(left);
}

bool CTKRibbonTabPopupToolBar::SetHotControl(int index, int how) {
  if (!CTKPopupToolBar::SetHotControl(index, how)) return false;
  CTKControl* hot = GetControl(index);
  if (hot && how != kHotMouse && hot != LeftButton() && hot != RightButton()) EnsureVisible(hot->GetRect());
  return true;
}

void CTKRibbonGroupsPopup::FillBackground(CTKPopupToolBar* popup, CDC* dc, const RECT& band,
                                          const CTKRibbonGroups& groups, int context_colour) {
  RECT clip{};
  ::GetClipBox(dc->GetSafeHdc(), &clip);
  CTKRibbonTheme* theme = dynamic_cast<CTKRibbonTheme*>(popup->GetPaintManager());
  if (theme) {
    theme->PaintGroupsPopupBackground(dc->GetSafeHdc(), band);
    theme->PaintGroupsBand(dc->GetSafeHdc(), band, context_colour);
  } else {
    popup->CTKPopupToolBar::FillBackground(dc);
  }
  CTKRibbonBar::PaintGroups(dc->GetSafeHdc(), theme, groups, nullptr, context_colour, clip);
}

bool CTKRibbonGroupsPopup::CreateKeyboardTips(CTKCommandBar* popup, const CTKRibbonGroups& groups, const RECT& band,
                                              int caption_height, std::vector<CTKCommandBarKeyboardTip*>* tips) {
  CTKCommandBarManager* manager = popup->GetCommandBarManager();
  if (!manager) return false;
  CTKRibbonBar::AppendTipWindows(manager, CTKRibbonBar::GroupKeyTips(groups, band, caption_height), tips);
  return true;
}

void CTKRibbonTabPopupToolBar::FillBackground(CDC* dc) {
  CTKRibbonGroupsPopup::FillBackground(this, dc, GroupsRect(), tab_->Groups(), tab_->ContextColour());
}

bool CTKRibbonTabPopupToolBar::CreateKeyboardTips(int, std::vector<CTKCommandBarKeyboardTip*>* tips) {
  return CTKRibbonGroupsPopup::CreateKeyboardTips(this, tab_->Groups(), GroupsRect(), caption_height_, tips);
}

LRESULT CTKRibbonTabPopupToolBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_LBUTTONDOWN) {
    const CPoint pt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
    for (CControlGroupsScroll* button : {LeftButton(), RightButton()}) {
      if ((button->GetHideFlags() & kHideShow) || !button->GetRect().PtInRect(pt)) continue;
      // Holding the button scrolls again and again; the popup's own popups close first.
      AddRef();
      SetPopupOpen(-1, false);
      HoldScrollButton(GetSafeHwnd(), button->ScrollsLeft());
      Release();
      return 0;
    }
  }
  return CTKPopupToolBar::WindowProc(message, wparam, lparam);
}
