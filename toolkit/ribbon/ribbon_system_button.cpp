#include "toolkit/ribbon/ribbon_system_button.h"

#include <algorithm>
#include <vector>

#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_caption_buttons.h"
#include "toolkit/ribbon/ribbon_measure_dc.h"
#include "toolkit/ribbon/ribbon_system_menu.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKRibbonControlSystemButton, CTKControlPopup)
IMPLEMENT_DYNCREATE(CTKRibbonSystemPopupBar, CTKPopupBar)
IMPLEMENT_DYNCREATE(CTKRibbonSystemPopupBarPage, CTKPopupBar)

bool TKRibbonSystemButtonInCaption(const CTKCommandBar* bar) {
  const auto* ribbon = dynamic_cast<const CTKRibbonBar*>(bar);
  return ribbon && ribbon->IsCaptionMode() && ribbon->IsTabsVisible();
}

// ---------------------------------------------------------------------------------------------
// The system button

CTKRibbonControlSystemButton::CTKRibbonControlSystemButton() { flags_ = kControlFlags; }

HWND CTKRibbonControlSystemButton::Frame() const {
  if (!parent_) return nullptr;
  if (HWND site = parent_->GetSite()) return site;
  return parent_->GetSafeHwnd() ? ::GetAncestor(parent_->GetSafeHwnd(), GA_ROOT) : nullptr;
}

void CTKRibbonControlSystemButton::Draw(CDC* dc) {
  CTKPaintManager* pm = GetPaintManager();
  CTKRibbonTheme* theme = CTKRibbonTheme::From(pm);
  if (!theme || !TKRibbonSystemButtonInCaption(parent_)) {
    CTKControlPopup::Draw(dc);
    return;
  }
  const int state = GetPopuped() ? 2 : GetSelected() ? 1 : 0;
  CTKImageManagerIcon* icon = GetIcon(32);
  theme->PaintSystemButton(*dc, rect_, state, icon ? nullptr : TKFrameIcon(Frame(), true));
  if (icon) {
    const CSize size(32, 32);
    pm->PaintItemIcon(dc, CPoint(rect_.left + (rect_.Width() - size.cx) / 2, rect_.top + (rect_.Height() - size.cy) / 2),
                      size, icon, pm->StateOf(this));
  }
}

void CTKRibbonControlSystemButton::OnLButtonDblClk(CPoint point) {
  HWND frame = Frame();
  if (parent_)
    if (CTKCommandBarManager* manager = parent_->GetCommandBarManager()) manager->ClosePopups();
  if (frame) ::SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE | HTSYSMENU, 0);
}

// ---------------------------------------------------------------------------------------------
// The system menu

CTKRibbonSystemPopupBar::CTKRibbonSystemPopupBar() {
  borders_ = kBorders;
  layout_borders_ = kBorders;
}

CTKRibbonControlSystemButton* CTKRibbonSystemPopupBar::SystemButton() const {
  return dynamic_cast<CTKRibbonControlSystemButton*>(parent_control_);
}

bool CTKRibbonSystemPopupBar::StartsColumn(const CTKControl* control) const {
  return (control->GetFlags() & kFlagWrapRow) != 0;
}

CSize CTKRibbonSystemPopupBar::CalcSize(int length, DWORD mode) {
  // The lists fill themselves first, as a bar's layout lets them.
  for (int i = GetControlCount() - 1; i >= 0; --i)
    if (GetControl(i)->GetParent() == this) GetControl(i)->OnBeforeLayout();
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (control->IsKindOf(RUNTIME_CLASS(CTKRibbonControlSystemPopupBarButton)))
      control->SetHideFlag(kHideBottomButton, true);
  }
  CSize size = CTKPopupBar::CalcSize(length, mode);
  SpanColumnRows();
  PlaceBottomButtons(size);
  popup_size_ = size;
  return size;
}

void CTKRibbonSystemPopupBar::SpanColumnRows() {
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* first = GetControl(i);
    if (!first->IsVisible() || !StartsColumn(first) || first->GetRect().IsRectEmpty()) continue;
    CRect column = first->GetRect();
    for (int j = i + 1; j < GetControlCount(); ++j) {
      const CRect& rc = GetControl(j)->GetRect();
      if (GetControl(j)->IsVisible() && rc.left == column.left) column.bottom = std::max(column.bottom, rc.bottom);
    }
    first->SetRowRect(column);
  }
}

void CTKRibbonSystemPopupBar::PlaceBottomButtons(CSize& size) {
  std::vector<CTKControl*> buttons;
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (!control->IsKindOf(RUNTIME_CLASS(CTKRibbonControlSystemPopupBarButton))) continue;
    control->SetHideFlag(kHideBottomButton, false);
    if (control->IsVisible()) buttons.push_back(control);
  }
  if (buttons.empty()) return;
  CTKRibbonMeasureDC dc(this);
  CTKPaintManager* pm = GetPaintManager();
  std::vector<int> widths;
  int needed = borders_.left + borders_.right - 1;
  for (CTKControl* button : buttons) {
    widths.push_back(pm->PaintControl(dc.get(), button, false).cx);
    needed += widths.back();
  }
  needed += kBottomButtonGap * (static_cast<int>(buttons.size()) - 1);
  size.cx = std::max<int>(size.cx, needed);
  // In reading order: the last button ends at the right border.
  int right = size.cx - borders_.right + 1;
  const int top = size.cy - borders_.bottom + 4, bottom = size.cy - 3;
  for (size_t k = buttons.size(); k-- > 0;) {
    const CRect rc(right - widths[k], top, right, bottom);
    buttons[k]->SetRect(rc);
    buttons[k]->SetRowRect(rc);
    right = rc.left - kBottomButtonGap;
  }
}

void CTKRibbonSystemPopupBar::UpdateExcludeAndDirection() {
  CTKPopupBar::UpdateExcludeAndDirection();
  CTKRibbonControlSystemButton* button = SystemButton();
  if (button && TKRibbonSystemButtonInCaption(button->GetParent())) point_.y -= CTKRibbonControlSystemButton::kCaptionPopupRise;
}

CRect CTKRibbonSystemPopupBar::SystemButtonScreenRect() const {
  CTKRibbonControlSystemButton* button = SystemButton();
  CTKCommandBar* bar = button ? button->GetParent() : nullptr;
  if (!bar || !bar->GetSafeHwnd()) return CRect();
  CRect rect = button->GetRect();
  ::MapWindowPoints(bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool CTKRibbonSystemPopupBar::PointInBar(POINT screen) const {
  return CTKPopupBar::PointInBar(screen) && !SystemButtonScreenRect().PtInRect(screen);
}

LRESULT CTKRibbonSystemPopupBar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCHITTEST) {
    const POINT screen{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    if (SystemButtonScreenRect().PtInRect(screen)) return HTTRANSPARENT;
  }
  return CTKPopupBar::WindowProc(message, wparam, lparam);
}

void CTKRibbonSystemPopupBar::FillBackground(CDC* dc) {
  CTKRibbonTheme* theme = CTKRibbonTheme::From(GetPaintManager());
  if (!theme) {
    CTKPopupBar::FillBackground(dc);
    return;
  }
  CRect client;
  ::GetClientRect(GetSafeHwnd(), &client);
  theme->PaintSystemMenu(*dc, client, borders_);
  // The first column after the commands (the lists) on a face of its own.
  for (int i = 0; i < GetControlCount(); ++i) {
    CTKControl* control = GetControl(i);
    if (control->GetParent() != this || !control->IsVisible() || !StartsColumn(control)) continue;
    const COLORREF face = theme->RibbonSectionColour(L"RecentFileListBackground");
    if (face != CLR_INVALID) dc->FillSolidRect(&control->GetRowRect(), face);
    break;
  }
}

void CTKRibbonSystemPopupBar::DrawCommandBar(CDC* dc, const CRect& clip) {
  CTKPopupBar::DrawCommandBar(dc, clip);
  // The button that opened the menu shows over it, open.
  CTKRibbonControlSystemButton* button = SystemButton();
  CTKCommandBar* bar = button ? button->GetParent() : nullptr;
  if (!bar || !bar->GetSafeHwnd() || !GetSafeHwnd() || !TKRibbonSystemButtonInCaption(bar)) return;
  CRect rect = button->GetRect();
  ::MapWindowPoints(bar->GetSafeHwnd(), GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
  const CRect saved = button->GetRect();
  button->SetRect(rect);
  button->Draw(dc);
  button->SetRect(saved);
}

// ---------------------------------------------------------------------------------------------
// Pages

CTKRibbonSystemPopupBar* CTKRibbonSystemPopupBarPage::SystemPopup() const {
  return parent_control_ ? dynamic_cast<CTKRibbonSystemPopupBar*>(parent_control_->GetParent()) : nullptr;
}

CSize CTKRibbonSystemPopupBarPage::CalcSize(int length, DWORD mode) {
  CSize size = CTKPopupBar::CalcSize(length, mode);
  CTKRibbonSystemPopupBar* menu = SystemPopup();
  if (menu && menu->GetSafeHwnd()) {
    CRect client;
    ::GetClientRect(menu->GetSafeHwnd(), &client);
    const CRect b = menu->GetBorders();
    size.cy = std::max<int>(size.cy, client.Height() - b.top - b.bottom - 2);
    popup_size_ = size;
  }
  return size;
}

void CTKRibbonSystemPopupBarPage::UpdateExcludeAndDirection() {
  CTKPopupBar::UpdateExcludeAndDirection();
  CTKRibbonSystemPopupBar* menu = SystemPopup();
  if (!menu || !menu->GetSafeHwnd()) return;
  // Beside the entry, from just below the menu's top border down.
  CRect rect = parent_control_->GetRect();
  rect.top = menu->GetBorders().top + 1;
  rect.right += 1;
  ::MapWindowPoints(menu->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  exclude_ = rect;
  point_ = (direction_ & kDirDrop) ? POINT{rect.left, rect.bottom} : POINT{rect.right, rect.top};
}
