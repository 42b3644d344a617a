// The skin object of tool bars: every button drawn by the skin with its image and text.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectToolBar : public CTKSkinObjectFrame {
 public:
  enum Part { kButton = 1, kSplitButton = 3, kSplitButtonDropDown = 4, kSeparator = 5 };
  enum State { kNormal = 1, kHot = 2, kPressed = 3, kDisabled = 4, kChecked = 5 };

  CTKSkinObjectToolBar() : CTKSkinObjectFrame(L"TOOLBAR") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Paint(HDC dc);
  // The state a button is drawn in.
  int ButtonState(int index, BYTE state) const;

 private:
  void DrawButton(HDC dc, int index, const TBBUTTON& button, const RECT& rc);
};
