#include "toolkit/ribbon/ribbon_caption_layout.h"

#include <algorithm>

namespace {

// A span `width` wide centred in [left, right), no wider than it.
RECT Centred(int left, int right, int top, int bottom, int width) {
  const int room = std::max(0, right - left);
  width = std::clamp(width, 0, room);
  const int x = left + (room - width) / 2;
  return RECT{x, top, x + width, bottom};
}

}  // namespace

CTKRibbonCaptionLayout CTKRibbonCaptionLayout::Place(const CInputs& in) {
  CTKRibbonCaptionLayout out;
  RECT free = in.free;
  if (in.quick_access_above)
    free.left = in.quick_access_right + (in.customize_width > 0 ? in.customize_width + 2 : 12);
  else
    free.left += kTitleIndent;
  free.top += in.frame_border;
  free.bottom -= 3;
  if (free.bottom < free.top) free.bottom = free.top;

  const bool maximized = (in.style & WS_MAXIMIZE) != 0;
  const bool maximized_child = maximized && (in.style & WS_CHILD) != 0;
  const bool system_menu = (in.style & WS_SYSMENU) != 0;
  const bool max_box = (in.style & WS_MAXIMIZEBOX) != 0, min_box = (in.style & WS_MINIMIZEBOX) != 0;
  const bool size_buttons = system_menu && !(in.ex_style & WS_EX_TOOLWINDOW) && (max_box || min_box);

  int right = free.right;
  if (in.composition) {
    right -= kSystemButtonsWidth;
  } else if (!maximized_child) {
    const int side = free.bottom - free.top;
    auto place = [&](int command, bool enabled) {
      out.buttons.push_back(CButton{command, RECT{right - side, free.top, right, free.bottom}, enabled});
      right -= side;
    };
    if (system_menu) place(SC_CLOSE, in.close_enabled);
    if (size_buttons) {
      place(maximized ? SC_RESTORE : SC_MAXIMIZE, max_box);
      place(SC_MINIMIZE, min_box);
    }
  }
  free.right = std::max<LONG>(right, free.left);
  out.free = free;

  // Centred between the indent and the buttons; moved right of the quick-access bar when it
  // would run over it, and cut to the room there.
  const int wanted = in.title_width + kTitlePadding;
  out.title = Centred(in.caption.left + kTitleIndent, right, free.top, free.bottom, wanted);
  if (in.quick_access_above && out.title.left < free.left)
    out.title = Centred(free.left, right, free.top, free.bottom, wanted);
  return out;
}

const CTKRibbonCaptionLayout::CButton* CTKRibbonCaptionLayout::Find(int command) const {
  for (const CButton& button : buttons)
    if (button.command == command) return &button;
  return nullptr;
}
