// A memory DC with a bar's font selected (its paint manager's bar font), or a given font, in
// which the ribbon and its popups measure and lay out their controls, groups and texts.
#pragma once

#include "platform/appframe/dc.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/paint/paint_manager.h"

class CTKRibbonMeasureDC {
 public:
  explicit CTKRibbonMeasureDC(CTKCommandBar* bar) {
    dc_.CreateCompatibleDC(nullptr);
    CTKPaintManager* pm = bar ? bar->GetPaintManager() : nullptr;
    if (pm) old_ = dc_.SelectObject(pm->BarFontFor(bar, false)->GetSafeHandle());
  }
  // Null: the default GUI font.
  explicit CTKRibbonMeasureDC(HFONT font) {
    dc_.CreateCompatibleDC(nullptr);
    old_ = dc_.SelectObject(font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
  }
  ~CTKRibbonMeasureDC() {
    if (old_) dc_.SelectObject(old_);
  }
  CTKRibbonMeasureDC(const CTKRibbonMeasureDC&) = delete;
  CTKRibbonMeasureDC& operator=(const CTKRibbonMeasureDC&) = delete;

  CDC* operator->() { return &dc_; }
  CDC* get() { return &dc_; }
  HDC hdc() const { return dc_.GetSafeHdc(); }

 private:
  CDC dc_;
  HGDIOBJ old_ = nullptr;
};
