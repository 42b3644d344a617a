// Where the popups of a minimized ribbon open: a tab's groups under the tab row as wide as the
// ribbon and kept on the monitor's work area.
#pragma once

#include <windows.h>

struct CTKRibbonPopupPlacement {
  // Keeps this far inside the work area's right edge.
  static constexpr int kRightInset = 4;

  // The screen rectangle of the popup that shows a tab's groups: `ribbon` is the ribbon bar on
  // screen, `anchor` the tab row control on screen, `work` the monitor's work area.
  static RECT TabPopup(const RECT& ribbon, const RECT& anchor, const RECT& work, int groups_height);
};
