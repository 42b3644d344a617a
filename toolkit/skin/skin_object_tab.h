// The skin object of tab controls: the pane and every tab drawn by the skin, the hot tab
// followed.
#pragma once

#include "toolkit/skin/skin_object_frame.h"

class CTKSkinObjectTab : public CTKSkinObjectFrame {
 public:
  enum Part { kTopTabItem = 5, kTopTabItemLeftEdge = 6, kTopTabItemRightEdge = 7, kPane = 9 };
  enum State { kNormal = 1, kHot = 2, kSelected = 3 };

  CTKSkinObjectTab() : CTKSkinObjectFrame(L"TAB") {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Paint(HDC dc);
  // The part, state and rectangle an item is drawn with.
  void ItemLook(int item, int count, int selected, int* part, int* state, RECT* rc) const;
  RECT PaneRect() const;
  int HotItem() const { return hot_; }

 private:
  void DrawItem(HDC dc, int item, int count, int selected);
  int hot_ = -1;
};
