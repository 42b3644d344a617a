// A memory DC with a bar's font selected (its paint manager's bar font), in which the ribbon
// and its popups measure and lay out their controls and groups.
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
