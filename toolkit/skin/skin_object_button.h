// The skin object of "Button" windows: push buttons, check boxes, radio buttons and group
// boxes drawn with the skin's BUTTON class, with the button's own press, check and
// notification behaviour so that the system never paints the button itself.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectButton : public CTKSkinObjectFrame {
 public:
  enum Flags : int { kPushed = 0x04, kFocusFromClick = 0x10, kCaptured = 0x20, kHeld = 0x40 };
  // BUTTON parts.
  enum Part { kPushButton = 1, kRadioButton = 2, kCheckBox = 3, kGroupBox = 4 };

  CTKSkinObjectButton() : CTKSkinObjectFrame(L"BUTTON") {}

  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  // The low four bits of the style unless a type was stored (255: take the style).
  int ButtonType() const;
  bool IsPushLike() const;
  // The skin part and state the button is drawn with now.
  void PartAndState(int* part, int* state) const;
  void Paint(HDC dc);

 private:
  void SetHot(bool hot);
  void ReleaseWithClick(bool click);

  bool hot_ = false;
  int flags_ = 0;
  int stored_type_ = 255;
};
