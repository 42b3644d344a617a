// The ribbon theme over the ribbon tests' image set (make_ribbon_images.py), one reference held
// by the caller.
#pragma once

#include <gtest/gtest.h>

#include "toolkit/ribbon/ribbon_theme.h"

inline CTKRibbonTheme* NewTestRibbonTheme(CTKOffice2007ImageSet* images) {
  auto* theme = new CTKRibbonTheme(images);
  theme->ReloadColorsAndFonts();
  return theme;
}

// A fixture holding that theme for each test: `Base` is ::testing::Test or a parameterised test.
template <class Base = ::testing::Test>
class RibbonThemeTest : public Base {
 protected:
  void SetUp() override {
    ASSERT_TRUE(images_.AttachResourceModule(::GetModuleHandleW(nullptr), L"RIBBON_TEST_INI", false));
    theme_ = NewTestRibbonTheme(&images_);
  }
  void TearDown() override {
    if (theme_) theme_->InternalRelease();
  }

  CTKOffice2007ImageSet images_;
  CTKRibbonTheme* theme_ = nullptr;
};
