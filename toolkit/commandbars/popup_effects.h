// The popup bars' effects through the shadows manager: an open popup casts its drop shadows
// beside the control it opened from, and they go when it closes. A program hands one to its
// command bar manager (SetPopupEffects). The opening animations (slide, unfold, fade) are not
// drawn: the popup shows its contents at once.
#pragma once

#include "toolkit/commandbars/popup_bar.h"

class CTKShadowPopupEffects : public CTKPopupEffects {
 public:
  void AnimatePopup(CTKPopupBar* bar, CDC* screen, CDC* contents, const CRect& rect, int kind, bool down) override;
  void ShowPopupShadow(CTKPopupBar* bar, const CRect& exclude) override;
  void RemovePopupShadow(CTKPopupBar* bar) override;
};
