#include "toolkit/commandbars/popup_effects.h"

#include "toolkit/commandbars/shadow_manager.h"
#include "toolkit/paint/paint_manager.h"
#include "platform/win/gdi.h"

void CTKShadowPopupEffects::AnimatePopup(CTKPopupBar* bar, CDC* screen, CDC* contents, const CRect& rect, int kind,
                                         const std::vector<CTKExpandBand>* expand, bool down) {
  HWND hwnd = bar ? bar->GetSafeHwnd() : nullptr;
  if (!hwnd || !screen || !contents) return;
  KestrinWinNS::CWindowFrameDC frame(hwnd);
  if (!frame) return;
  // The window starts as what lay under it, and the paint manager's frames lead to its contents.
  ::BitBlt(frame.Get(), 0, 0, rect.Width(), rect.Height(), screen->GetSafeHdc(), 0, 0, SRCCOPY);
  CDC dc;
  dc.Attach(frame.Get());
  const CRect client(0, 0, rect.Width(), rect.Height());
  if (expand)
    bar->GetPaintManager()->RunExpandAnimation(&dc, client, contents, *expand, down);
  else
    bar->GetPaintManager()->RunPopupAnimation(&dc, client, contents, kind);
  dc.Detach();
}

void CTKShadowPopupEffects::ShowPopupShadow(CTKPopupBar* bar, const CRect& exclude) {
  if (!bar || !bar->GetSafeHwnd()) return;
  RECT cut = exclude;
  CTKShadowsManager::Instance().SetShadow(bar, ::IsRectEmpty(&cut) ? nullptr : &cut);
}

void CTKShadowPopupEffects::RemovePopupShadow(CTKPopupBar* bar) {
  if (bar) CTKShadowsManager::Instance().RemoveShadows(bar);
}
