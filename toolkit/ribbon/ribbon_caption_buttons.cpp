// The caption buttons and the window title in the ribbon's caption band.
#include "toolkit/ribbon/ribbon_bar.h"

void CTKRibbonBar::PlaceCaptionButtonsAndTitle() {
  // The caption band keeps the title and free rectangles the layout gave it.
}
