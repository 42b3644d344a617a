// The walk over a GIF's frames: blocks identified and measured inside the data, frames found
// one after another, and the test of whether a frame may go to the picture loader. It calls
// no platform function (it is built natively as well, under AddressSanitizer and the fuzzer).
#pragma once

#include <windows.h>

namespace GifNS {

// A little-endian 16-bit value.
inline WORD ReadWord(const BYTE* p) { return (WORD)(p[0] | (p[1] << 8)); }

struct FrameSpan {
  DWORD start;  // first byte of the frame (its control extension, or the image)
  DWORD end;    // one past its image data
  DWORD image;  // its image descriptor, or 0 for a plain-text frame
  int delay;
  int disposal;
  int left, top, width, height;
};

// Steps over one frame from `*pos`. On success `*pos` is past the frame and `span` (if given)
// says where its bytes are and what its control extension and image descriptor hold.
bool NextFrame(const BYTE* data, DWORD size, DWORD* pos, FrameSpan* span);

// A frame the picture loader may read: an image inside the logical screen, with a size, a
// colour table (the file's or its own) and an LZW code size of 2 to 8 bits. Other frames are
// never handed to the loader.
bool IsLoadableFrame(const BYTE* data, const FrameSpan& span, int screen_width, int screen_height,
                     bool global_table);

}  // namespace GifNS
