// Tool bars made from the program's tool-bar resources (test_resources.rc).
#include <gtest/gtest.h>

#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/drawing/image_manager.h"

using namespace TKCommandBars;

namespace {

const UINT kSoundToolBar = 300;
const UINT kTruncatedToolBar = 301;
const UINT kToolBarWithoutBitmap = 303;

TEST(ToolBarResource, ButtonsAndImagesComeFromTheResource) {
  BarFixture fx(0);
  CTKImageManager* images = new CTKImageManager;
  fx.bar->SetImageManager(images);
  ASSERT_TRUE(fx.bar->LoadToolBar(kSoundToolBar));

  // The separator starts a group instead of becoming a control.
  struct Case {
    int id;
    bool group;
  } cases[] = {{300, false}, {301, true}, {302, false}};
  ASSERT_EQ(3, fx.bar->GetControlCount());
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    CTKControl* control = fx.bar->GetControl(i);
    EXPECT_EQ(kButton, control->GetType());
    EXPECT_EQ(cases[i].id, control->GetID());
    EXPECT_EQ(cases[i].group, control->GetBeginGroup());
    EXPECT_TRUE(images->ContainsIcon(static_cast<UINT>(cases[i].id), 16));
  }
  // The separator gets no image, and the strip's size stays the bar's default.
  EXPECT_FALSE(images->ContainsIcon(0, 16));
  EXPECT_EQ(CSize(16, 16), fx.bar->GetIconSize());
  fx.bar->SetImageManager(nullptr);
  images->InternalRelease();
}

TEST(ToolBarResource, ButtonsWithoutImagesLeaveTheImageManagerAlone) {
  BarFixture fx(0);
  CTKImageManager* images = new CTKImageManager;
  fx.bar->SetImageManager(images);
  ASSERT_TRUE(fx.bar->LoadToolBar(kSoundToolBar, false));
  EXPECT_EQ(3, fx.bar->GetControlCount());
  EXPECT_FALSE(images->ContainsIcon(300, 16));
  fx.bar->SetImageManager(nullptr);
  images->InternalRelease();
}

TEST(ToolBarResource, ADamagedOrMissingResourceIsRefusedAndTheBarKept) {
  BarFixture fx(2);
  CTKImageManager* images = new CTKImageManager;
  fx.bar->SetImageManager(images);
  // The truncated resource claims nine items in the bytes of two; 999 does not exist; the last
  // is sound but has no bitmap, so its images cannot load.
  for (UINT id : {kTruncatedToolBar, 999u, kToolBarWithoutBitmap}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(fx.bar->LoadToolBar(id));
    ASSERT_EQ(2, fx.bar->GetControlCount());
    EXPECT_EQ(100, fx.bar->GetControl(0)->GetID());
    EXPECT_EQ(101, fx.bar->GetControl(1)->GetID());
  }
  EXPECT_FALSE(images->ContainsIcon(310, 16));
  EXPECT_FALSE(images->ContainsIcon(320, 16));
  fx.bar->SetImageManager(nullptr);
  images->InternalRelease();
}

}  // namespace
