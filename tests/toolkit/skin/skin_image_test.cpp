#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/skin/skin_test_env.h"
#include "toolkit/skin/skin_image.h"
#include "toolkit/skin/skin_resource_file.h"

namespace {

// A packed DIB: header, colour table, rows.
std::vector<BYTE> PackedDib(int width, int height, int bits, int colors, size_t rowsBytes) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof(h);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bits);
  h.biClrUsed = static_cast<DWORD>(colors);
  std::vector<BYTE> data(sizeof(h) + colors * sizeof(RGBQUAD) + rowsBytes, 0x40);
  memcpy(data.data(), &h, sizeof(h));
  return data;
}

std::unique_ptr<CTKSkinImage> LoadFromSkin(const wchar_t* name) {
  static CTKSkinManagerResourceFile file(nullptr);
  if (!file.Module()) file.OpenSkinSource(TestEnv().library, L"");
  return std::unique_ptr<CTKSkinImage>(file.LoadSkinBitmap(name));
}

}  // namespace

TEST(SkinImage, PackedDibHeaderIsCheckedAgainstTheResourceSize) {
  struct Case {
    const char* what;
    std::vector<BYTE> data;
    bool accepted;
  } cases[] = {
      {"24-bit, exact", PackedDib(3, 2, 24, 0, 2 * 12), true},
      {"24-bit, one row short", PackedDib(3, 2, 24, 0, 12), false},
      {"top-down, exact", PackedDib(3, -2, 24, 0, 2 * 12), true},
      {"top-down, short", PackedDib(3, -2, 24, 0, 12), false},
      {"8-bit with its colour table", PackedDib(4, 4, 8, 256, 16), true},
      {"8-bit, colour table cut off", PackedDib(4, 4, 8, 256, 16), false},
      {"header only", PackedDib(1, 1, 32, 0, 0), false},
      {"huge width", PackedDib(0x40000000, 1, 32, 0, 64), false},
      {"zero height", PackedDib(4, 0, 32, 0, 64), false},
  };
  cases[5].data.resize(sizeof(BITMAPINFOHEADER) + 100);
  for (Case& c : cases) {
    bool is32 = false;
    HBITMAP bitmap = CTKSkinImage::BitmapFromPackedDib(c.data.data(), static_cast<DWORD>(c.data.size()), &is32);
    EXPECT_EQ(bitmap != nullptr, c.accepted) << c.what;
    if (bitmap) DeleteObject(bitmap);
  }
}

TEST(SkinImage, NineGridKeepsCornersAndStretchesTheRest) {
  std::unique_ptr<CTKSkinImage> image = LoadFromSkin(L"NINE.BMP");
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->Width(), 12);
  Canvas canvas(40, 30, RGB(1, 1, 1));
  image->PaintImage(canvas.dc(), RECT{0, 0, 40, 30}, RECT{0, 0, 12, 12}, RECT{3, 3, 3, 3}, CLR_INVALID,
                    kSizingStretch, FALSE);
  struct Probe {
    int x, y;
    COLORREF color;
  } probes[] = {{0, 0, RGB(255, 0, 0)},      {2, 2, RGB(255, 0, 0)},     {39, 0, RGB(0, 255, 0)},
                {37, 2, RGB(0, 255, 0)},     {0, 29, RGB(0, 0, 255)},    {39, 29, RGB(255, 255, 0)},
                {20, 1, RGB(128, 128, 128)}, {1, 15, RGB(128, 128, 128)}, {20, 15, RGB(255, 255, 255)},
                {3, 3, RGB(255, 255, 255)}};
  for (const Probe& p : probes) EXPECT_EQ(canvas.At(p.x, p.y), p.color) << p.x << "," << p.y;

  Canvas hollow(40, 30, RGB(1, 1, 1));
  image->PaintImage(hollow.dc(), RECT{0, 0, 40, 30}, RECT{0, 0, 12, 12}, RECT{3, 3, 3, 3}, CLR_INVALID,
                    kSizingStretch, TRUE);
  EXPECT_EQ(hollow.At(20, 15), RGB(1, 1, 1));  // border only: the centre stays
  EXPECT_EQ(hollow.At(0, 0), RGB(255, 0, 0));
}

TEST(SkinImage, MarginsLargerThanTheDestinationShrink) {
  std::unique_ptr<CTKSkinImage> image = LoadFromSkin(L"NINE.BMP");
  ASSERT_NE(image, nullptr);
  Canvas canvas(4, 6, RGB(1, 1, 1));
  image->PaintImage(canvas.dc(), RECT{0, 0, 4, 6}, RECT{0, 0, 12, 12}, RECT{3, 3, 3, 3}, CLR_INVALID, kSizingStretch,
                    FALSE);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(3, 0), RGB(0, 255, 0));
  EXPECT_EQ(canvas.At(0, 5), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(3, 5), RGB(255, 255, 0));
}

TEST(SkinImage, TileRepeatsAndTransparentColourIsNotDrawn) {
  std::unique_ptr<CTKSkinImage> stripes = LoadFromSkin(L"STRIPES.BMP");
  ASSERT_NE(stripes, nullptr);
  Canvas tiled(10, 4), stretched(10, 4);
  stripes->PaintImage(tiled.dc(), RECT{0, 0, 10, 4}, RECT{0, 0, 4, 4}, RECT{}, CLR_INVALID, kSizingTile, FALSE);
  stripes->PaintImage(stretched.dc(), RECT{0, 0, 10, 4}, RECT{0, 0, 4, 4}, RECT{}, CLR_INVALID, kSizingStretch, FALSE);
  // Period 4 when tiled: columns 4, 5 black again, 8, 9 black (the clipped last tile).
  for (int x : {0, 1, 4, 5, 8, 9}) EXPECT_EQ(tiled.At(x, 1), RGB(0, 0, 0)) << x;
  for (int x : {2, 3, 6, 7}) EXPECT_EQ(tiled.At(x, 1), RGB(255, 255, 255)) << x;
  EXPECT_EQ(stretched.At(4, 1), RGB(0, 0, 0));
  EXPECT_EQ(stretched.At(6, 1), RGB(255, 255, 255));

  std::unique_ptr<CTKSkinImage> dot = LoadFromSkin(L"DOT.BMP");
  ASSERT_NE(dot, nullptr);
  Canvas canvas(8, 8, RGB(10, 20, 30));
  dot->PaintImage(canvas.dc(), RECT{0, 0, 8, 8}, RECT{0, 0, 8, 8}, RECT{}, RGB(255, 0, 255), kSizingStretch, FALSE);
  EXPECT_EQ(canvas.At(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(canvas.At(3, 3), RGB(0, 128, 0));
}
