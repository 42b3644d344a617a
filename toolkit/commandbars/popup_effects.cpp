#include "toolkit/commandbars/popup_effects.h"

#include "toolkit/commandbars/shadow_manager.h"
#include "toolkit/drawing/device_layout.h"
#include "toolkit/paint/paint_manager.h"
#include "platform/win/gdi.h"

void CTKShadowPopupEffects::AnimatePopup(CTKPopupBar* bar, CDC* screen, CDC* contents, const CRect& rect, int kind,
                                         const std::vector<CTKExpandBand>* expand, bool down) {
  HWND hwnd = bar ? bar->GetSafeHwnd() : nullptr;
  if (!hwnd || !screen || !contents) return;
  KestrinWinNS::CWindowFrameDC frame(hwnd);
  if (!frame) return;
  // The window starts as what lay under it (as it lay: a mirrored window does not mirror it),
  // and the paint manager's frames lead to its contents.
  {
    CTKDeviceLayoutScope device(frame.Get()), under(screen->GetSafeHdc());
    ::BitBlt(frame.Get(), 0, 0, rect.Width(), rect.Height(), screen->GetSafeHdc(), 0, 0, SRCCOPY);
  }
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
  CTKShadowsManager& shadows = CTKShadowsManager::Instance();
  shadows.SetShadow(bar, ::IsRectEmpty(&cut) ? nullptr : &cut);
  // A popup control on a bar that is no popup itself casts its own shadow while its popup is
  // open (the shadows manager asks the look whether it draws one); it goes with the popup's.
  CTKControlPopup* control = dynamic_cast<CTKControlPopup*>(bar->GetParentControl());
  CTKCommandBar* owner = control ? control->GetParent() : nullptr;
  if (!owner || !control->GetShowShadow() || !bar->GetShowShadow()) return;
  const int type = control->GetType();
  const bool popupOwner = owner->GetPosition() == TKCommandBars::kPopup ||
                          (owner->GetType() == TKCommandBars::kPopupBar && owner->GetPosition() == TKCommandBars::kFloating);
  if (type >= TKCommandBars::kPopupControl && type <= TKCommandBars::kSplitButtonPopup && !popupOwner)
    shadows.SetShadow(control);
}

void CTKShadowPopupEffects::RemovePopupShadow(CTKPopupBar* bar) {
  if (bar) CTKShadowsManager::Instance().RemoveShadows(bar);
}
