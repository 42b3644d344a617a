#include "toolkit/ribbon/ribbon_context_headers.h"

#include <algorithm>

#include "toolkit/ribbon/ribbon_control_tab.h"

void CTKRibbonContextHeaders::Clear() {
  for (CTKRibbonTab* tab : linked_) tab->SetContextHeader(nullptr);
  linked_.clear();
  headers_.clear();
}

const CTKRibbonTabContextHeader* CTKRibbonContextHeaders::HitTest(POINT point) const {
  for (const auto& header : headers_)
    if (PtInRect(&header->rect, point)) return header.get();
  return nullptr;
}

bool CTKRibbonContextHeaders::Fit(int left, int right) {
  int edge = left;
  for (auto& header : headers_) {
    RECT& r = header->rect;
    r.left = std::max<LONG>(r.left, edge);
    r.right = std::max<LONG>(r.right, r.left + kLeastWidth);
    edge = r.right;
  }
  edge = right;
  for (auto it = headers_.rbegin(); it != headers_.rend(); ++it) {
    RECT& r = (*it)->rect;
    r.right = std::min<LONG>(r.right, edge);
    r.left = std::min<LONG>(r.left, r.right - kLeastWidth);
    edge = r.left;
  }
  return headers_.empty() || headers_.front()->rect.left >= left;
}

void CTKRibbonContextHeaders::Shift(int dx) {
  for (auto& header : headers_) OffsetRect(&header->rect, dx, 0);
}

bool CTKRibbonContextHeaders::Build(CTKRibbonControlTab& row, int caption_top, int caption_bottom, const RECT& free,
                                    RECT& title) {
  Clear();
  CTKRibbonTabContextHeader* run = nullptr;
  for (int i = 0; i < row.ItemCount(); ++i) {
    CTKRibbonTab* tab = row.TabAt(i);
    if (!tab->IsVisible()) continue;
    if (tab->ContextColour() == 0 || tab->ContextCaption().empty()) {
      run = nullptr;
      continue;
    }
    const RECT& r = tab->Rect();
    if (run && run->colour == tab->ContextColour() && run->caption == tab->ContextCaption()) {
      run->rect.right = r.right;
      run->last = tab;
    } else {
      auto header = std::make_unique<CTKRibbonTabContextHeader>();
      header->first = header->last = tab;
      header->caption = tab->ContextCaption();
      header->colour = tab->ContextColour();
      header->rect = RECT{r.left, caption_top + 4, r.right, caption_bottom};
      run = header.get();
      headers_.push_back(std::move(header));
    }
    tab->SetContextHeader(run);
    linked_.push_back(tab);
  }
  if (headers_.empty()) return true;

  bool fits = Fit(free.left, free.right);
  if (fits) {
    const RECT band{headers_.front()->rect.left, caption_top + 6, headers_.back()->rect.right, caption_bottom};
    RECT overlap;
    if (IntersectRect(&overlap, &band, &title)) {
      const int width = title.right - title.left;
      const int headers_centre = (band.left + band.right) / 2;
      const int title_centre = (title.left + title.right) / 2;
      if (headers_centre < title_centre) {
        if (free.right - band.right >= width) {
          title.left = band.right;
        } else {
          // The title keeps the right end; the headers give way to the left.
          title.left = free.right - width;
          Shift(title.left - band.right);
          fits = headers_.front()->rect.left >= free.left;
        }
      } else {
        if (band.left - free.left >= width) {
          title.left = band.left - width;
        } else {
          title.left = free.left;
          Shift(title.left + width - band.left);
          fits = headers_.back()->rect.right <= free.right;
        }
      }
      title.right = title.left + width;
    }
  }
  if (!fits) Clear();
  return fits;
}
