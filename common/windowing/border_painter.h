// The drawing of the validation border: a ring along the screen edges, brightest at the
// outside, with an optional caption tab hanging from the middle of the top edge. Pure
// functions of the look, so that they can draw into any device context.
#pragma once

#include <windows.h>

namespace WindowingNS {

struct BorderLook {
  int screen_width;
  int screen_height;
  int width;             // ring width in pixels
  COLORREF colour;       // 0x00BBGGRR
  bool with_caption;
  RECT caption;          // caption tab in screen coordinates (with_caption only)
  const char* text;      // caption text
  int text_size;         // caption font height
};

// The caption font: the given height, weight 800, "Arial".
HFONT CreateCaptionFont(int text_size);
// The caption tab's rectangle for the text measured on `dc` with the caption font.
RECT CalcCaptionRect(HDC dc, const char* text, int text_size, int screen_width, int width);
// The window region: the ring (its outer rectangle one row short of the screen's bottom)
// plus the caption tab's lower part when there is a caption.
HRGN CreateBorderRegion(const BorderLook& look);
// Fade of the strips: the full colour lies k pixels beyond the strip's outer side.
int BorderFadeOffset(int width);
// Draws every strip of the frame onto `target` (screen coordinates), blending each over the
// pixels already there.
void PaintBorder(HDC target, const BorderLook& look);

}  // namespace WindowingNS
