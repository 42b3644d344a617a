#include "toolkit/ribbon/ribbon_scrollable_bar.h"

#include <algorithm>

#include "toolkit/commandbars/command_bar_defs.h"
#include "toolkit/ribbon/ribbon_theme.h"

using TKCommandBars::kHideShow;

CTKRibbonScrollableBar::CControlGroupsScroll::CControlGroupsScroll(CTKRibbonScrollableBar* owner, bool left)
    : owner_(owner), left_(left) {
  SetFlags(kFlags);
  SetHideFlags(kHideShow);
}

void CTKRibbonScrollableBar::CControlGroupsScroll::OnExecute() {
  if (owner_) owner_->ScrollGroups(left_);
}

void CTKRibbonScrollableBar::CControlGroupsScroll::Draw(CDC* dc) {
  auto* theme = dynamic_cast<CTKRibbonTheme*>(GetPaintManager());
  if (!theme || !dc) return;
  const int state = GetPressed() ? 2 : GetSelected() ? 1 : 0;
  theme->PaintGroupScrollButton(dc->GetSafeHdc(), GetRect(), left_, state);
}

CTKRibbonScrollableBar::CTKRibbonScrollableBar()
    : left_(new CControlGroupsScroll(this, true)), right_(new CControlGroupsScroll(this, false)) {}

CTKRibbonScrollableBar::~CTKRibbonScrollableBar() {
  left_->InternalRelease();
  right_->InternalRelease();
}

void CTKRibbonScrollableBar::SetGroupsScroll(int offset, bool left_button, bool right_button) {
  scroll_offset_ = std::max(offset, 0);
  const RECT& band = groups_rect_;
  left_->SetHideFlags(left_button ? 0 : kHideShow);
  right_->SetHideFlags(right_button ? 0 : kHideShow);
  left_->SetRect(left_button ? CRect(band.left - 1, band.top, band.left - 1 + kButtonWidth, band.bottom) : CRect());
  right_->SetRect(right_button ? CRect(band.right + 1 - kButtonWidth, band.top, band.right + 1, band.bottom) : CRect());
}

void CTKRibbonScrollableBar::ScrollGroups(bool left) {
  scroll_offset_ = std::max(0, scroll_offset_ + (left ? -kScrollStep : kScrollStep));
  RelayoutGroups();
}

void CTKRibbonScrollableBar::EnsureVisible(const RECT& rect) {
  const bool left_shown = (left_->GetHideFlags() & kHideShow) == 0;
  const bool right_shown = (right_->GetHideFlags() & kHideShow) == 0;
  int offset = scroll_offset_;
  if (left_shown && rect.left - groups_rect_.left < kViewMargin)
    offset -= kViewMargin - (rect.left - groups_rect_.left);
  else if (right_shown && rect.right > groups_rect_.right)
    offset += rect.right - groups_rect_.right + kViewMargin;
  offset = std::max(offset, 0);
  if (offset == scroll_offset_) return;
  scroll_offset_ = offset;
  RelayoutGroups();
}
