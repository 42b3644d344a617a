// The skin object of top-level windows, dialogs and every class without an object of its own:
// the skin's control colours and, for dialogs, the skin's dialog background.
#pragma once

#include "toolkit/skin/skin_object.h"

class CTKSkinObjectFrame : public CTKSkinObject {
 public:
  explicit CTKSkinObjectFrame(const wchar_t* skinClassName = L"WINDOW") : CTKSkinObject(skinClassName) {}

  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 protected:
  // Replaces the system's default control brushes by the skin's; brushes chosen by the window
  // itself are left alone.
  bool HandleControlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};
