// Where the caption buttons and the window title go in the caption band the ribbon draws: pure
// arithmetic over the frame's style bits, the band's rectangles and the measured title, so that
// the ribbon bar and its tests share one answer.
#pragma once

#include <windows.h>

#include <vector>

struct CTKRibbonCaptionLayout {
  // The title never starts nearer than this to the band's left edge (room for the system button
  // or the frame's icon).
  static constexpr int kTitleIndent = 70;
  // With desktop composition the system draws the caption buttons in this much of the band.
  static constexpr int kSystemButtonsWidth = 100;
  // Room added to the measured title.
  static constexpr int kTitlePadding = 20;

  struct CInputs {
    RECT caption{};       // the whole band (it may reach past the bar by the frame border)
    RECT free{};          // the band's free part before placement
    int frame_border = 0;
    DWORD style = 0;      // the frame's window style and extended style
    DWORD ex_style = 0;
    bool close_enabled = true;  // the system menu's close entry is not disabled
    bool composition = false;   // the desktop window manager draws the caption buttons
    // The quick-access bar: shown above the tabs (in the caption), its right edge, and the width
    // of its customise button (0 without one).
    bool quick_access_above = false;
    int quick_access_right = 0;
    int customize_width = 0;
    int title_width = 0;  // the window text measured in the caption font
  };

  struct CButton {
    int command = 0;  // SC_CLOSE, SC_RESTORE, SC_MAXIMIZE or SC_MINIMIZE
    RECT rect{};
    bool enabled = true;
  };

  std::vector<CButton> buttons;  // right to left
  RECT free{};                   // between the quick-access bar and the buttons
  RECT title{};                  // empty when there is no room

  static CTKRibbonCaptionLayout Place(const CInputs& in);
  const CButton* Find(int command) const;
};
