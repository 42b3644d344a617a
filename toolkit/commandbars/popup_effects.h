// The popup bars' effects: an open popup casts its drop shadows (through the shadows manager)
// beside the control it opened from, and they go when it closes; it opens sliding, unfolding or
// fading in, as its paint manager animates it. A program hands one to its command bar manager
// (SetPopupEffects).
#pragma once

#include "toolkit/commandbars/popup_bar.h"

class CTKShadowPopupEffects : public CTKPopupEffects {
 public:
  void AnimatePopup(CTKPopupBar* bar, CDC* screen, CDC* contents, const CRect& rect, int kind,
                    const std::vector<CTKExpandBand>* expand, bool down) override;
  void ShowPopupShadow(CTKPopupBar* bar, const CRect& exclude) override;
  void RemovePopupShadow(CTKPopupBar* bar) override;
};
