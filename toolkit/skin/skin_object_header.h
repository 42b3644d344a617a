// The skin object of header controls: every item drawn by the skin, with its image and text,
// the pressed and hot items followed.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectHeader : public CTKSkinObjectFrame {
 public:
  enum Part { kHeaderItem = 1 };
  enum State { kNormal = 1, kHot = 2, kPressed = 3 };

  CTKSkinObjectHeader() : CTKSkinObjectFrame(L"HEADER") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Paint(HDC dc);
  int ItemState(int item) const { return item == pressed_ ? kPressed : item == hot_ ? kHot : kNormal; }

 private:
  int HitTest(LPARAM lParam) const;
  // The control draws its own filter fields below the items.
  bool HasFilterBar() const;
  void DrawItem(HDC dc, int item);
  int hot_ = -1;
  int pressed_ = -1;
};
