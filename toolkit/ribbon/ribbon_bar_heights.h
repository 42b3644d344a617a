// The ribbon bar's vertical arithmetic: the heights of its caption band, tab row, groups band
// and quick-access bar, and the bar's whole height for an offered width.
#pragma once

struct CTKRibbonBarHeights {
  static constexpr int kMinimumVisibleSize = 250;

  // What the heights depend on.
  struct CInputs {
    // From the theme.
    int tab_row_height = 23;
    int group_caption_height = 17;
    int control_height = 22;
    int button_height = 22;
    int theme_caption_height = 0;
    // The tallest visible quick-access control (0 without one).
    int tallest_quick_access = 0;
    // From the bar's switches.
    bool tabs_visible = true;
    bool groups_visible = true;
    bool has_selected_tab = true;
    bool minimized = false;
    int groups_height_override = 0;
    bool quick_access_visible = true;
    bool quick_access_below = false;
    // A frame companion draws the frame's caption; `frame_border` comes from it.
    bool frame_companion = false;
    int frame_border = 0;
    bool caption_without_frame = true;
    int minimum_visible_size = kMinimumVisibleSize;
  };

  int tab_row = 0;
  int groups = 0;
  int quick_access = 0;
  int caption = 0;
  bool ribbon_visible = false;
  int total = 0;

  // The heights for a bar `width` wide in a frame `frame_height` high.
  static CTKRibbonBarHeights Compute(const CInputs& in, int width, int frame_height);
  // The groups band's own height (no override): the group caption and three rows of controls.
  static int GroupsBand(int group_caption_height, int control_height) {
    return group_caption_height + 3 * control_height + 10;
  }
};
