#include "toolkit/commandbars/popup_effects.h"

#include "toolkit/commandbars/shadow_manager.h"
#include "platform/win/gdi.h"

void CTKShadowPopupEffects::AnimatePopup(CTKPopupBar* bar, CDC*, CDC* contents, const CRect& rect, int, bool) {
  // The last frame of any opening: the popup as it will look, over its whole window.
  HWND hwnd = bar ? bar->GetSafeHwnd() : nullptr;
  if (!hwnd || !contents) return;
  KestrinWinNS::CWindowFrameDC dc(hwnd);
  if (!dc) return;
  ::BitBlt(dc.Get(), 0, 0, rect.Width(), rect.Height(), contents->GetSafeHdc(), 0, 0, SRCCOPY);
}

void CTKShadowPopupEffects::ShowPopupShadow(CTKPopupBar* bar, const CRect& exclude) {
  if (!bar || !bar->GetSafeHwnd()) return;
  RECT cut = exclude;
  CTKShadowsManager::Instance().SetShadow(bar, ::IsRectEmpty(&cut) ? nullptr : &cut);
}

void CTKShadowPopupEffects::RemovePopupShadow(CTKPopupBar* bar) {
  if (bar) CTKShadowsManager::Instance().RemoveShadows(bar);
}
