// The shared fake visual-styles library, switched on or off for a paint test.
#pragma once

#include "tests/toolkit/drawing/fake_theme.h"

struct FakeStyles : FakeTheme {
  explicit FakeStyles(bool on) { active = on; }
};
