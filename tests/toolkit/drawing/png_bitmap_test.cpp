#include "toolkit/drawing/png_bitmap.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct PngSpec {
  int width = 2, height = 2;
  int color_type = PNG_COLOR_TYPE_RGB_ALPHA;
  int depth = 8;
  bool interlace = false;
  std::vector<png_color> palette;
  std::vector<png_byte> transparency;  // tRNS alphas of a palette image
  std::vector<uint8_t> pixels;         // rows of packed samples, as libpng takes them
};

void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

// Encodes with libpng's writer.
std::vector<uint8_t> Encode(const PngSpec& spec) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows(spec.height);
  const size_t stride = spec.pixels.size() / spec.height;
  for (int y = 0; y < spec.height; ++y) rows[y] = const_cast<png_bytep>(spec.pixels.data() + stride * y);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, &Append, &NoFlush);
  png_set_IHDR(png, info, spec.width, spec.height, spec.depth, spec.color_type,
               spec.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty())
    png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  if (!spec.transparency.empty())
    png_set_tRNS(png, info, spec.transparency.data(), static_cast<int>(spec.transparency.size()), nullptr);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

uint32_t PixelAt(HBITMAP bitmap, int x, int y) {
  DIBSECTION ds{};
  EXPECT_EQ(static_cast<int>(sizeof(ds)), GetObjectW(bitmap, sizeof(ds), &ds));
  EXPECT_EQ(32, ds.dsBm.bmBitsPixel);
  const auto* bits = static_cast<const uint32_t*>(ds.dsBm.bmBits);
  return bits[y * ds.dsBm.bmWidth + x];
}

bool Load(CTKGraphicBitmapPng& bitmap, const std::vector<uint8_t>& data) {
  CTKMemoryReadStream stream(data.data(), data.size());
  return bitmap.ReadPngStream(&stream);
}

TEST(PngBitmap, RgbaPixelsBecomeBgraWithoutPremultiplying) {
  PngSpec spec;
  spec.pixels = {255, 0, 0, 128, 0, 255, 0, 255, 0, 0, 255, 0, 10, 20, 30, 40};
  CTKGraphicBitmapPng bitmap;
  ASSERT_TRUE(Load(bitmap, Encode(spec)));
  EXPECT_TRUE(bitmap.IsAlpha());
  EXPECT_EQ(0x80FF0000u, PixelAt(bitmap.GetSafeHandle(), 0, 0));
  EXPECT_EQ(0xFF00FF00u, PixelAt(bitmap.GetSafeHandle(), 1, 0));
  EXPECT_EQ(0x000000FFu, PixelAt(bitmap.GetSafeHandle(), 0, 1));
  EXPECT_EQ(0x280A141Eu, PixelAt(bitmap.GetSafeHandle(), 1, 1));
}

TEST(PngBitmap, RgbWithoutAlphaHasZeroAlphaAndNoFlag) {
  PngSpec spec;
  spec.color_type = PNG_COLOR_TYPE_RGB;
  spec.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  CTKGraphicBitmapPng bitmap;
  ASSERT_TRUE(Load(bitmap, Encode(spec)));
  EXPECT_FALSE(bitmap.IsAlpha());
  EXPECT_EQ(0x00010203u, PixelAt(bitmap.GetSafeHandle(), 0, 0));
  EXPECT_EQ(0x000A0B0Cu, PixelAt(bitmap.GetSafeHandle(), 1, 1));
}

TEST(PngBitmap, PaletteWithTransparencyAndGreyExpandToRgb) {
  PngSpec spec;
  spec.color_type = PNG_COLOR_TYPE_PALETTE;
  spec.depth = 4;
  spec.palette = {{255, 0, 0}, {0, 0, 255}};
  spec.transparency = {0, 200};
  spec.pixels = {0x01, 0x10};  // row 0: indexes 0, 1; row 1: 1, 0
  CTKGraphicBitmapPng bitmap;
  ASSERT_TRUE(Load(bitmap, Encode(spec)));
  EXPECT_TRUE(bitmap.IsAlpha());
  EXPECT_EQ(0x00FF0000u, PixelAt(bitmap.GetSafeHandle(), 0, 0));
  EXPECT_EQ(0xC80000FFu, PixelAt(bitmap.GetSafeHandle(), 1, 0));

  PngSpec grey;
  grey.color_type = PNG_COLOR_TYPE_GRAY;
  grey.depth = 16;
  grey.pixels = {0x40, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x00};
  ASSERT_TRUE(Load(bitmap, Encode(grey)));
  EXPECT_FALSE(bitmap.IsAlpha());
  EXPECT_EQ(0x00404040u, PixelAt(bitmap.GetSafeHandle(), 0, 0));
  EXPECT_EQ(0x00FFFFFFu, PixelAt(bitmap.GetSafeHandle(), 1, 0));
  EXPECT_EQ(0x00808080u, PixelAt(bitmap.GetSafeHandle(), 1, 1));
}

TEST(PngBitmap, InterlacedImageReadsEveryPass) {
  PngSpec spec;
  spec.width = 9;
  spec.height = 9;
  spec.color_type = PNG_COLOR_TYPE_RGB;
  spec.interlace = true;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) spec.pixels.insert(spec.pixels.end(), {uint8_t(x * 20), uint8_t(y * 20), 7});
  CTKGraphicBitmapPng bitmap;
  ASSERT_TRUE(Load(bitmap, Encode(spec)));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x)
      ASSERT_EQ(static_cast<uint32_t>((x * 20) << 16 | (y * 20) << 8 | 7), PixelAt(bitmap.GetSafeHandle(), x, y))
          << x << "," << y;
}

TEST(PngBitmap, TruncatedDataLeavesNoBitmap) {
  PngSpec spec;
  spec.width = 16;
  spec.height = 16;
  spec.pixels.assign(16 * 16 * 4, 0x5A);
  const std::vector<uint8_t> good = Encode(spec);
  CTKGraphicBitmapPng bitmap;
  for (size_t cut = 0; cut < good.size(); cut += 3) {
    ASSERT_TRUE(Load(bitmap, good));  // a bitmap from before must go too
    std::vector<uint8_t> part(good.begin(), good.begin() + cut);
    EXPECT_FALSE(Load(bitmap, part)) << cut;
    EXPECT_EQ(nullptr, bitmap.GetSafeHandle()) << cut;
    EXPECT_FALSE(bitmap.IsAlpha());
  }
  EXPECT_FALSE(bitmap.ReadPngStream(nullptr));
  const std::vector<uint8_t> not_png(100, 'x');
  EXPECT_FALSE(Load(bitmap, not_png));
}

// A valid header that claims the given size, followed by one small data chunk and the end.
std::vector<uint8_t> ClaimSize(uint32_t width, uint32_t height) {
  PngSpec spec;
  spec.width = 1;
  spec.height = 1;
  spec.color_type = PNG_COLOR_TYPE_RGB;
  spec.pixels = {1, 2, 3};
  std::vector<uint8_t> data = Encode(spec);
  // IHDR data starts at 16: width then height, big-endian; its CRC covers type and data.
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) data[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
  };
  put(16, width);
  put(20, height);
  put(29, static_cast<uint32_t>(crc32(0, data.data() + 12, 17)));
  return data;
}

TEST(PngBitmap, OversizeHeaderIsRefusedBeforeAllocating) {
  CTKGraphicBitmapPng bitmap;
  const struct {
    uint32_t w, h;
  } sizes[] = {{60000, 1}, {1, 60000}, {16000, 16000}, {4097, 4097}, {300, 300}};
  for (const auto& s : sizes) {
    EXPECT_FALSE(Load(bitmap, ClaimSize(s.w, s.h))) << s.w << "x" << s.h;
    EXPECT_EQ(nullptr, bitmap.GetSafeHandle());
  }
  // The edited header itself is sound: its own size loads.
  EXPECT_TRUE(Load(bitmap, ClaimSize(1, 1)));
}

TEST(PngBitmap, ReadsFiles) {
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"png", 0, path);
  PngSpec spec;
  spec.pixels = {9, 8, 7, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> data = Encode(spec);
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(f);
  CTKGraphicBitmapPng bitmap;
  EXPECT_TRUE(bitmap.ReadPngFile(path));
  EXPECT_EQ(0xFF090807u, PixelAt(bitmap.GetSafeHandle(), 0, 0));
  DeleteFileW(path);
  EXPECT_FALSE(bitmap.ReadPngFile(path));
  EXPECT_EQ(nullptr, bitmap.GetSafeHandle());
  EXPECT_FALSE(bitmap.ReadPngResource(nullptr, nullptr));
}

}  // namespace
