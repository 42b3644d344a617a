// The ribbon's tab paint manager: flat property-page tabs whose faces and separators come
// from the theme's images, with the tab texts of the "Ribbon" colours.
#include <algorithm>

#include "toolkit/ribbon/ribbon_control_tab.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/ribbon/ribbon_theme.h"

CTKRibbonTheme::CRibbonAppearanceSet::CRibbonAppearanceSet(CTKRibbonTheme* theme) : theme_(theme) {
  header_margin = RECT{0, 1, 0, 0};
}

void CTKRibbonTheme::CRibbonAppearanceSet::ReloadLook() {
  CAppearanceSetPropertyPageFlat::ReloadLook();
  // The header is the tab row and one pixel more.
  button_height = theme_->Metrics().tab_row_height;
}

void CTKRibbonTheme::CRibbonAppearanceSet::PaintTab(HDC dc, CTKTabManagerItem* item) {
  CTKTabManager* manager = item->Manager();
  auto* tab = dynamic_cast<CTKRibbonTab*>(item);
  const auto* row = dynamic_cast<const CTKRibbonControlTab*>(manager);
  CTabState state;
  state.selected = manager && manager->Selected() == item;
  state.hot = manager && manager->Hot() == item;
  state.pressed = manager && manager->Pressed() == item;
  state.keyboard = row && row->IsFocused();
  const RECT& rect = item->Rect();
  theme_->PaintTab(dc, rect, state, tab ? tab->ContextColour() : 0);
  const CTKRibbonTabContextHeader* header = tab ? tab->ContextHeader() : nullptr;
  theme_->PaintTabSeparators(dc, rect, item->Length() < item->DesiredLength(), header && header->first == tab,
                             header && header->last == tab);
  PaintContent(dc, item, rect);
}

CTKRibbonTheme::CRibbonColorSet::CRibbonColorSet(CTKRibbonTheme* theme) : theme_(theme) {}

void CTKRibbonTheme::CRibbonColorSet::ReloadLook() {
  CColorSetOffice2003::ReloadLook();
  const COLORREF normal = theme_->RibbonColour(kTabNormalText);
  const COLORREF selected = theme_->RibbonColour(kTabSelectedText);
  if (normal != CLR_INVALID) {
    normal_text.SetStandardValue(normal);
    hot_text.SetStandardValue(normal);
    inactive_text.SetStandardValue(normal);
  }
  selected_text.SetStandardValue(selected != CLR_INVALID ? selected : normal_text.Color());
}

CTKTabPaintManager* CTKRibbonTheme::TabPaintManager() {
  if (tab_painter_) return tab_painter_.get();
  auto* painter = new CTKTabPaintManager;
  tab_painter_.reset(painter);
  painter->client_margin = RECT{0, 2, 0, 2};
  painter->button_margin = RECT{4, 0, 4, 0};
  painter->fill_background = false;
  painter->hot_tracking = true;
  painter->show_icons = false;
  painter->draw_focus_rect = false;
  painter->strip_mnemonics = true;
  painter->ChooseLayout(CTKTabPaintManager::kSizeToFit);
  painter->ApplyLogFont(&ribbon_logfont_, false);
  painter->InstallShapeSet(new CRibbonAppearanceSet(this));
  painter->InstallColourSet(new CRibbonColorSet(this));
  return painter;
}

void CTKRibbonTheme::PaintTabSeparators(HDC dc, const RECT& tab, bool narrowed, bool context_first,
                                        bool context_last) {
  if (narrowed) DrawImage(dc, L"RIBBONTABSEPARATOR", RECT{tab.right - 1, tab.top, tab.right, tab.bottom}, 1, 0, RECT{}, false);
  const int bottom = tab.bottom - 1;
  if (context_first)
    DrawImage(dc, L"CONTEXTTABSEPARATOR", RECT{tab.left, tab.top, tab.left + 1, bottom}, 1, 0, RECT{}, false);
  if (context_last)
    DrawImage(dc, L"CONTEXTTABSEPARATOR", RECT{tab.right - 1, tab.top, tab.right, bottom}, 1, 0, RECT{}, false);
}
