#include "toolkit/ribbon/ribbon_popup_placement.h"

#include <algorithm>

RECT CTKRibbonPopupPlacement::TabPopup(const RECT& ribbon, const RECT& anchor, const RECT& work, int groups_height) {
  const int left = std::max<int>(ribbon.left, work.left);
  const int right = std::min<int>(left + (ribbon.right - ribbon.left), work.right - kRightInset);
  const int height = std::max(groups_height, 0);
  RECT popup{left, anchor.bottom, std::max(right, left), anchor.bottom + height};
  if (popup.bottom > work.bottom) {
    popup.bottom = anchor.top;
    popup.top = anchor.top - height;
  }
  return popup;
}
