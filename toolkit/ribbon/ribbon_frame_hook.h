// The frame side of a ribbon that draws its frame's caption: hooked into the frame window's
// messages, it hands the caption's area to the client (where the ribbon draws it), draws the
// remaining borders with the theme, keeps the frame's region and glass in step with its size and
// composition, follows the frame's activation and title, and runs the posted recalculation.
#pragma once

#include <windows.h>

#include "toolkit/commandbars/hook_manager.h"

class CTKCommandBarManager;
class CTKRibbonBar;
class CTKRibbonFrameCompanion;

class CTKRibbonFrameHook : public CTKHookManagerHookAble {
 public:
  // Gives `bar` a frame companion for `frame` (the bar owns it) and hooks the frame; the hook
  // goes with the frame window. `site` supplies the paint manager (the bar's when null).
  static CTKRibbonFrameHook* Attach(HWND frame, CTKRibbonBar* bar, CTKCommandBarManager* site = nullptr);
  // Unhooks the frame and takes the companion from the bar (before the bar goes while the frame
  // stays).
  static void Detach(HWND frame);

  ~CTKRibbonFrameHook() override;
  int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;

 private:
  CTKRibbonFrameHook(HWND frame, CTKRibbonBar* bar) : frame_(frame), bar_(bar) {}
  CTKRibbonFrameCompanion* Companion() const;
  // The ribbon draws the caption, and the system does not draw the frame.
  bool DrawsFrame(const CTKRibbonFrameCompanion& companion) const;
  void PaintBorders(CTKRibbonFrameCompanion& companion);
  void RefreshTitle();

  HWND frame_;
  CTKRibbonBar* bar_;
};
