// The skin object of scroll-bar controls: the bar drawn by the skin, its hot element followed,
// and presses tracked by the skin's own loop.
#pragma once

#include "toolkit/skin/skin_object_frame.h"
#include "toolkit/skin/skin_scroll_bar.h"

class CTKSkinObjectScrollBar : public CTKSkinObjectFrame {
 public:
  CTKSkinObjectScrollBar() : CTKSkinObjectFrame(L"SCROLLBAR") {}

  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Paint(HDC dc);
  bool TrackingPosition(int bar, int* position) const override;
  // The bar as laid out for the window's present size and scroll information.
  const CTKSkinScrollBar& Bar() {
    UpdateBar();
    return bar_;
  }

 private:
  bool IsSizeBox() const;
  void UpdateBar();
  static void RedrawNow(void* self);

  CTKSkinScrollBar bar_;
};
