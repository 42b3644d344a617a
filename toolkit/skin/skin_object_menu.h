// The skin object of popup menus: a thin frame and the skin's menu colour behind the items,
// which the menu draws into an off-screen buffer.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectMenu : public CTKSkinObjectFrame {
 public:
  static constexpr UINT kSelectItem = 0x1E5;

  CTKSkinObjectMenu() : CTKSkinObjectFrame(L"WINDOW") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // The frame in window coordinates.
  void PaintFrame(HDC dc);
  // The client area: the skin's menu colour, then the items.
  void PaintClient(HDC dc);

 private:
  LRESULT WithoutRedraw(UINT message, WPARAM wParam, LPARAM lParam);
};
