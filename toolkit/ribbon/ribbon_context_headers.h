// The headers over runs of context tabs in the ribbon's caption: built from the laid-out tabs,
// fitted into the free part of the caption (each at least 40 pixels wide) and kept clear of
// the window title, which moves aside when it can; when nothing fits no header is shown.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "toolkit/ribbon/ribbon_tab.h"

class CTKRibbonControlTab;

class CTKRibbonContextHeaders {
 public:
  static constexpr int kLeastWidth = 40;

  // Drops the headers and clears the tabs' links to them.
  void Clear();
  // Builds the headers for the tabs of `row` below a caption band (caption_top, caption_bottom),
  // fitted between free.left and free.right; `title` (the window title's rectangle) may move.
  // False when the headers were dropped because they did not fit.
  bool Build(CTKRibbonControlTab& row, int caption_top, int caption_bottom, const RECT& free, RECT& title);

  int Count() const { return static_cast<int>(headers_.size()); }
  const CTKRibbonTabContextHeader& At(int index) const { return *headers_[static_cast<size_t>(index)]; }
  // The header whose rectangle holds the point, or null.
  const CTKRibbonTabContextHeader* HitTest(POINT point) const;

 private:
  bool Fit(int left, int right);
  void Shift(int dx);

  std::vector<std::unique_ptr<CTKRibbonTabContextHeader>> headers_;
  std::vector<CTKRibbonTab*> linked_;
};
