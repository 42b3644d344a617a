// A group of buttons whose measures are fixed, so that its forms have known widths: a large
// button is 40 wide, a small one with caption 60, a small one without 22; a caption takes 8
// pixels a character.
#pragma once

#include <string>

#include "toolkit/commandbars/control_button.h"
#include "toolkit/ribbon/ribbon_button_group.h"

class FixedGroup : public CTKRibbonButtonGroup {
  DECLARE_DYNCREATE(FixedGroup)

 public:
  static constexpr int kLargeWidth = 40;
  static constexpr int kSmallCaptionWidth = 60;
  static constexpr int kSmallWidth = 22;

  // The layouts begun by fixed groups, copies included.
  static inline int layouts_begun = 0;
  void BeginLayout(HDC dc) override {
    ++layouts_begun;
    CTKRibbonButtonGroup::BeginLayout(dc);
  }

  // Adds `count` buttons with ids from `first_id`.
  void AddButtons(int count, int first_id = 100) {
    for (int i = 0; i < count; ++i) {
      auto* button = new CTKControlButton;
      button->SetID(first_id + i);
      button->SetCaption(L"Button " + std::to_wstring(i));
      AddControl(button);
      button->Release();
    }
  }

 protected:
  SIZE MeasureControl(HDC, CTKControl*, Form form) override {
    const int widths[] = {kLargeWidth, kSmallCaptionWidth, kSmallWidth};
    return SIZE{widths[form], 22};
  }
  int MeasureCaption(HDC, const std::wstring& caption) override { return 8 * static_cast<int>(caption.size()); }
};
