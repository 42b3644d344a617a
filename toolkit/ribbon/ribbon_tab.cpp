#include "toolkit/ribbon/ribbon_tab.h"

CTKRibbonTab::CTKRibbonTab(CTKTabManager* manager) : CTKTabManagerItem(manager), groups_(new CTKRibbonGroups(this)) {}

CTKRibbonTab::~CTKRibbonTab() {
  groups_->DropAllGroups();
  groups_->InternalRelease();
}

void CTKRibbonTab::Show(bool visible) {
  const bool was_visible = IsVisible();
  CTKTabManagerItem::Show(visible);
  CTKTabManager* manager = Manager();
  if (!manager || visible || !was_visible || manager->Selected() != this) return;
  for (int i = 0; i < manager->ItemCount(); ++i) {
    CTKTabManagerItem* item = manager->ItemAtIndex(i);
    if (item != this && item->IsVisible()) {
      manager->SelectItem(item);
      return;
    }
  }
}

void CTKRibbonTab::CopyFrom(const CTKRibbonTab& other) {
  SetCaption(other.Caption());
  SetTooltip(other.Tooltip());
  SetImage(other.Image());
  SetRect(other.Rect());
  flags_ = other.flags_;
  key_tip_ = other.key_tip_;
  key_tip_text_ = other.key_tip_text_;
  context_colour_ = other.context_colour_;
  context_caption_ = other.context_caption_;
}
