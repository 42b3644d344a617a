// The images the toolkit benchmarks put on their buttons and menu items: 16 x 16, 32 bits, a
// colour pattern of their own for each seed.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win/gdi.h"

namespace KestrinBench {

inline HBITMAP MakeBitmap(int seed) {
  std::vector<DWORD> pixels(16 * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      pixels[y * 16 + x] = 0xFF000000 | ((seed * 40 + x * 8) & 0xFF) << 16 | ((y * 12) & 0xFF) << 8 | 0x60;
  return ::CreateBitmap(16, 16, 1, 32, pixels.data());
}

inline HICON MakeIcon(int seed) {
  KestrinWinNS::CScopedBitmap color(MakeBitmap(seed));
  KestrinWinNS::CScopedBitmap mask(::CreateBitmap(16, 16, 1, 1, nullptr));
  ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
  return ::CreateIconIndirect(&info);
}

}  // namespace KestrinBench
