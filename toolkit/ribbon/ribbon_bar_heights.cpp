#include "toolkit/ribbon/ribbon_bar_heights.h"

#include <algorithm>

CTKRibbonBarHeights CTKRibbonBarHeights::Compute(const CInputs& in, int width, int frame_height) {
  CTKRibbonBarHeights h;
  h.tab_row = in.tabs_visible ? in.tab_row_height : 2;
  const bool groups_shown = in.groups_visible && in.has_selected_tab && !in.minimized;
  if (groups_shown)
    h.groups = in.groups_height_override > 0 ? in.groups_height_override
                                              : GroupsBand(in.group_caption_height, in.control_height);
  h.quick_access = std::max(in.button_height + 4, in.tallest_quick_access > 0 ? in.tallest_quick_access + 4 : 0);
  if (in.frame_companion || in.caption_without_frame) {
    const int border = in.frame_companion ? in.frame_border : 0;
    h.caption = border + in.theme_caption_height;
    if (in.quick_access_visible && !in.quick_access_below)
      h.caption = std::max(h.caption, border + std::max(h.quick_access, h.tab_row - 2));
  }
  h.ribbon_visible = width >= in.minimum_visible_size && frame_height >= in.minimum_visible_size;
  if (!h.ribbon_visible) return h;
  int below;
  if (in.quick_access_visible && in.quick_access_below)
    below = h.quick_access + 1;
  else
    below = groups_shown ? 0 : 2;
  h.total = h.caption + h.tab_row + h.groups + below;
  return h;
}
