// The skin object of combo boxes: the field and drop-down button drawn by the skin around the
// control's own painting, with the button's hot and pressed look.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectComboBox : public CTKSkinObjectFrame {
 public:
  enum Part { kBackground = 0, kDropDownButton = 1 };
  enum State { kNormal = 1, kHot = 2, kPressed = 3, kDisabled = 4 };

  CTKSkinObjectComboBox() : CTKSkinObjectFrame(L"COMBOBOX") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  int ButtonState() const;
  RECT ButtonRect() const;
  void Paint(HDC dc);

 private:
  bool hot_ = false;
};
