#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"
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
    KestrinWinNS::CScopedBitmap bitmap(
        CTKSkinImage::BitmapFromPackedDib(c.data.data(), static_cast<DWORD>(c.data.size()), &is32));
    EXPECT_EQ(bitmap.Get() != nullptr, c.accepted) << c.what;
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

namespace {

// The bitmap files of make_hostile_bitmaps.py, each a resource of the test program.
std::string BitmapResource(const char* name) {
  HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return data ? std::string(data, SizeofResource(nullptr, found)) : std::string();
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  KestrinWinNS::CScopedKernelHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  return ok;
}

}  // namespace

// A folder skin's bitmap files reach no platform decoder before their headers were checked
// against the file's size: every hostile file is refused, every sound one draws its pixels.
TEST(SkinImage, FolderBitmapsAreCheckedAgainstTheFileBeforeLoading) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  const std::wstring folder = std::wstring(temp) + L"kestrin_hostile_skin";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(folder + L"\\HOSTILE.INI", "[Globals]\r\n"));
  CTKSkinManagerResourceFile file(nullptr);
  ASSERT_TRUE(file.OpenSkinSource(folder, L"HOSTILE.INI"));
  ASSERT_TRUE(file.IsFolderForm());

  const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255);
  const struct Case {
    const char* name;
    int width, height;  // 0: refused
    POINT at;
    COLORREF color;
  } cases[] = {
      {"GOOD_24", 3, 2, {0, 0}, white},          {"GOOD_32_TOPDOWN", 2, 2, {0, 0}, red},
      {"GOOD_8", 4, 4, {1, 0}, green},           {"GOOD_1", 8, 1, {3, 0}, green},
      {"GOOD_16", 2, 2, {0, 1}, CLR_INVALID},  // 5-bit channels: the expansion is the system's            {"GOOD_V5", 2, 1, {1, 0}, green},
      {"GOOD_GAP", 2, 1, {1, 0}, blue},
      {"ROWS_SHORT", 0, 0, {}, 0},               {"ROWS_SHORT_TOPDOWN", 0, 0, {}, 0},
      {"ROW_ONE_BYTE_SHORT", 0, 0, {}, 0},       {"HUGE_SIZE", 0, 0, {}, 0},
      {"WIDE_OVER_LIMIT", 0, 0, {}, 0},          {"HEIGHT_MIN_INT", 0, 0, {}, 0},
      {"OFFSET_BEYOND_FILE", 0, 0, {}, 0},       {"OFFSET_INSIDE_HEADER", 0, 0, {}, 0},
      {"HEADER_SIZE_BEYOND", 0, 0, {}, 0},       {"TABLE_INTO_ROWS", 0, 0, {}, 0},
      {"COLORS_OVER_256", 0, 0, {}, 0},          {"MASKS_CUT", 0, 0, {}, 0},
      {"FILE_HEADER_ONLY", 0, 0, {}, 0},         {"TEN_BYTES", 0, 0, {}, 0},
      {"NOT_BM", 0, 0, {}, 0},                   {"RLE8", 0, 0, {}, 0},
      {"JPEG", 0, 0, {}, 0},                     {"CORE_HEADER", 0, 0, {}, 0},
      {"BITS_7", 0, 0, {}, 0},                   {"PLANES_2", 0, 0, {}, 0},
      {"ZERO_WIDTH", 0, 0, {}, 0},               {"NEGATIVE_WIDTH", 0, 0, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = BitmapResource(c.name);
    ASSERT_FALSE(bytes.empty());
    const std::wstring name = L"IMAGE.BMP";
    ASSERT_TRUE(WriteFileBytes(folder + L"\\" + name, bytes));
    std::unique_ptr<CTKSkinImage> image(file.LoadSkinBitmap(name));
    if (c.width == 0) {
      EXPECT_EQ(nullptr, image);
      continue;
    }
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(c.width, image->Width());
    EXPECT_EQ(c.height, image->Height());
    Canvas canvas(c.width, c.height, RGB(1, 2, 3));
    const RECT whole{0, 0, c.width, c.height};
    image->PaintImage(canvas.dc(), whole, whole, RECT{}, CLR_INVALID, kSizingStretch, FALSE);
    if (c.color != CLR_INVALID) {
      EXPECT_EQ(c.color, canvas.At(c.at.x, c.at.y));
    }
  }
  file.CloseSkinSource();
  DeleteFileW((folder + L"\\IMAGE.BMP").c_str());
  DeleteFileW((folder + L"\\HOSTILE.INI").c_str());
  RemoveDirectoryW(folder.c_str());
}
