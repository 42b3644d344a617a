// Turning 32-bit pixel blocks for the tabs drawn on the strip's other sides: what is drawn the
// way a top strip looks is turned into place.
#pragma once

#include <windows.h>

#include <cstdint>

namespace TKTabPixels {

enum class Turn {
  kFlip,              // upside down (bottom strip)
  kTranspose,         // rows become columns (left strip: the top side comes to lie on the left)
  kTransposeMirror,   // rows become columns read from the right (right strip)
};

// Copies the `width` x `height` block `from` into `to`; a transposed block is `height` pixels
// wide and `width` high.
inline void TurnPixels(const uint32_t* from, int width, int height, uint32_t* to, Turn turn) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = from[y * width + x];
      switch (turn) {
        case Turn::kFlip: to[(height - 1 - y) * width + x] = pixel; break;
        case Turn::kTranspose: to[x * height + y] = pixel; break;
        case Turn::kTransposeMirror: to[x * height + (height - 1 - y)] = pixel; break;
      }
    }
  }
}

}  // namespace TKTabPixels
