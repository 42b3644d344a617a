// The skin object of up-down controls: both halves drawn by the skin with their hot and
// pressed looks.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectSpin : public CTKSkinObjectFrame {
 public:
  enum Part { kUp = 1, kDown = 2, kUpHorz = 3, kDownHorz = 4 };
  enum State { kNormal = 1, kHot = 2, kPressed = 3, kDisabled = 4 };

  CTKSkinObjectSpin() : CTKSkinObjectFrame(L"SPIN") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Paint(HDC dc);
  // Half 0 is the up (right) half, 1 the down (left) half; -1 none.
  int HalfAt(POINT pt) const;
  RECT HalfRect(int half) const;
  int HalfState(int half) const;

 private:
  int hot_ = -1;
  int pressed_ = -1;
};
