// The ribbon theme over the ribbon tests' image set (make_ribbon_images.py), one reference held
// by the caller.
#pragma once

#include "toolkit/ribbon/ribbon_theme.h"

inline CTKRibbonTheme* NewTestRibbonTheme(CTKOffice2007ImageSet* images) {
  auto* theme = new CTKRibbonTheme(images);
  theme->ReloadColorsAndFonts();
  return theme;
}
