#include <gtest/gtest.h>

#include <vector>

#include "platform/win/gdi.h"

namespace {

using KestrinWinNS::CBitmapDC;
using KestrinWinNS::CScopedBitmap;

// Three by two, every pixel different: 0x00RRGGBB of (x, y).
DWORD Expected(int x, int y) { return 0x00102030u + static_cast<DWORD>(x) * 0x00200000u + static_cast<DWORD>(y) * 0x00004000u; }
COLORREF AsColorRef(DWORD rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

CScopedBitmap BottomUp24() {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 3;  // rows of 9 bytes, padded to 12
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return CScopedBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

CScopedBitmap ScreenCompatible() {
  KestrinWinNS::CScopedClientDC screen(nullptr);
  return CScopedBitmap(CreateCompatibleBitmap(screen.Get(), 3, 2));
}

CScopedBitmap TopDown32() { return KestrinWinNS::CreateDib32(3, 2); }

TEST(ReadPixels32, ReadsEveryKindTopRowFirstAsRgb) {
  struct Case {
    const char* name;
    CScopedBitmap (*make)();
  };
  const Case cases[] = {{"bottom-up 24-bit DIB", &BottomUp24},
                        {"screen-compatible bitmap", &ScreenCompatible},
                        {"top-down 32-bit DIB", &TopDown32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CScopedBitmap bitmap = c.make();
    ASSERT_TRUE(bitmap);
    {
      CBitmapDC dc(nullptr, bitmap.Get());
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) SetPixelV(dc.Get(), x, y, AsColorRef(Expected(x, y)));
    }
    std::vector<DWORD> pixels;
    SIZE size = {};
    ASSERT_TRUE(KestrinWinNS::ReadPixels32(bitmap.Get(), &pixels, &size));
    EXPECT_EQ(3, size.cx);
    EXPECT_EQ(2, size.cy);
    ASSERT_EQ(6u, pixels.size());
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(Expected(x, y), pixels[y * 3 + x]) << x << "," << y;
  }
}

// What lies in the top byte of a 32-bit pixel is not part of its colour.
TEST(ReadPixels32, LeavesTheTopByteOut) {
  void* bits = nullptr;
  CScopedBitmap dib = KestrinWinNS::CreateDib32(1, 1, &bits);
  ASSERT_TRUE(dib);
  *static_cast<DWORD*>(bits) = 0xFF112233;
  std::vector<DWORD> pixels;
  SIZE size = {};
  ASSERT_TRUE(KestrinWinNS::ReadPixels32(dib.Get(), &pixels, &size));
  ASSERT_EQ(1u, pixels.size());
  EXPECT_EQ(0x00112233u, pixels[0]);
}

TEST(ReadPixels32, NoBitmapReadsNothing) {
  std::vector<DWORD> pixels = {1, 2};
  SIZE size = {7, 7};
  EXPECT_FALSE(KestrinWinNS::ReadPixels32(nullptr, &pixels, &size));
  CScopedBitmap brush_not_bitmap(reinterpret_cast<HBITMAP>(CreateSolidBrush(RGB(1, 2, 3))));
  EXPECT_FALSE(KestrinWinNS::ReadPixels32(brush_not_bitmap.Get(), &pixels, &size));
  EXPECT_EQ((std::vector<DWORD>{1, 2}), pixels);
  EXPECT_EQ(7, size.cx);
}

}  // namespace
