#include "toolkit/drawing/png_bitmap.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
namespace {

struct PngSpec {
  int width = 2, height = 2;
  int color_type = PNG_COLOR_TYPE_RGB_ALPHA;
  int depth = 8;
  bool interlace = false;
  std::vector<png_color> palette;
  std::vector<png_byte> transparency;  // tRNS alphas of a palette image
  std::vector<uint8_t> pixels;         // rows of packed samples, as libpng takes them
  const png_color_16* background = nullptr;  // a bKGD chunk
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
  if (spec.background) png_set_bKGD(png, info, spec.background);
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
  KestrinWinNS::CScopedKernelHandle f(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  WriteFile(f.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  f.Reset();
  CTKGraphicBitmapPng bitmap;
  EXPECT_TRUE(bitmap.ReadPngFile(path));
  EXPECT_EQ(0xFF090807u, PixelAt(bitmap.GetSafeHandle(), 0, 0));
  DeleteFileW(path);
  EXPECT_FALSE(bitmap.ReadPngFile(path));
  EXPECT_EQ(nullptr, bitmap.GetSafeHandle());
  EXPECT_FALSE(bitmap.ReadPngResource(nullptr, nullptr));
}

// The background colour is the bKGD chunk's, at 8 bits whatever the file's depth and colour
// type; an image without one, or a failed read, reports the default.
TEST(PngBitmap, BackgroundColourComesFromTheBkgdChunk) {
  struct Case {
    const char* what;
    int color_type, depth;
    std::vector<png_color> palette;
    png_color_16 background;
    COLORREF expected;
  };
  const Case cases[] = {
      {"RGB, 8 bits", PNG_COLOR_TYPE_RGB, 8, {}, {0, 0x10, 0x20, 0x30, 0}, RGB(0x10, 0x20, 0x30)},
      {"RGBA, 8 bits", PNG_COLOR_TYPE_RGB_ALPHA, 8, {}, {0, 200, 100, 50, 0}, RGB(200, 100, 50)},
      {"RGB, 16 bits", PNG_COLOR_TYPE_RGB, 16, {}, {0, 0xFF00, 0x8080, 0x0101, 0}, RGB(0xFF, 0x80, 0x01)},
      {"grey, 8 bits", PNG_COLOR_TYPE_GRAY, 8, {}, {0, 0, 0, 0, 0x40}, RGB(0x40, 0x40, 0x40)},
      {"grey, 1 bit", PNG_COLOR_TYPE_GRAY, 1, {}, {0, 0, 0, 0, 1}, RGB(255, 255, 255)},
      {"grey, 4 bits", PNG_COLOR_TYPE_GRAY, 4, {}, {0, 0, 0, 0, 3}, RGB(51, 51, 51)},
      {"palette entry", PNG_COLOR_TYPE_PALETTE, 8, {{1, 2, 3}, {90, 80, 70}}, {1, 0, 0, 0, 0}, RGB(90, 80, 70)},
  };
  CTKGraphicBitmapPng bitmap;
  EXPECT_EQ(RGB(127, 127, 127), bitmap.GetBackgroundColor()) << "before any image";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PngSpec spec;
    spec.width = 2;
    spec.height = 1;
    spec.color_type = c.color_type;
    spec.depth = c.depth;
    spec.palette = c.palette;
    spec.background = &c.background;
    const int channels = c.color_type == PNG_COLOR_TYPE_RGB ? 3 : c.color_type == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 1;
    spec.pixels.assign((2 * channels * c.depth + 7) / 8, 0);
    ASSERT_TRUE(Load(bitmap, Encode(spec)));
    EXPECT_EQ(c.expected, bitmap.GetBackgroundColor());

    PngSpec plain = spec;
    plain.background = nullptr;
    ASSERT_TRUE(Load(bitmap, Encode(plain)));
    EXPECT_EQ(RGB(127, 127, 127), bitmap.GetBackgroundColor()) << "the earlier image's colour must not stay";
  }
  PngSpec spec;
  spec.pixels.assign(16, 0);
  const png_color_16 background = {0, 1, 2, 3, 0};
  spec.background = &background;
  std::vector<uint8_t> data = Encode(spec);
  ASSERT_TRUE(Load(bitmap, data));
  data.resize(data.size() - 20);
  EXPECT_FALSE(Load(bitmap, data));
  EXPECT_EQ(RGB(127, 127, 127), bitmap.GetBackgroundColor()) << "a failed read";
}

// The hostile files of make_hostile_pngs.py, each a "PNG" resource of the test program.
std::vector<uint8_t> PngResource(const char* name) {
  HRSRC found = FindResourceA(nullptr, name, "PNG");
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  return data ? std::vector<uint8_t>(data, data + SizeofResource(nullptr, found)) : std::vector<uint8_t>();
}

// What reading a file through libpng cost: the bytes its allocations asked for, and the text
// chunks it kept.
struct ReadCost {
  bool read = false;
  int texts = 0;
  size_t allocated = 0;
};

png_voidp CountingMalloc(png_structp png, png_alloc_size_t size) {
  static_cast<ReadCost*>(png_get_mem_ptr(png))->allocated += size;
  return std::malloc(size);
}
void CountingFree(png_structp, png_voidp p) { std::free(p); }
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}
void ReadVector(png_structp png, png_bytep out, png_size_t n) {
  auto* stream = static_cast<CTKMemoryReadStream*>(png_get_io_ptr(png));
  if (stream->Read(out, n) != n) png_error(png, "short");
}

ReadCost ReadThroughLibpng(const std::vector<uint8_t>& data, bool limited) {
  ReadCost cost;
  CTKMemoryReadStream stream(data.data(), data.size());
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, &QuietError, &QuietWarning, &cost,
                                             &CountingMalloc, &CountingFree);
  png_infop info = png_create_info_struct(png);
  png_infop end = png_create_info_struct(png);
  std::vector<uint8_t> pixels(64);
  png_bytep rows[2] = {pixels.data(), pixels.data() + 32};
  if (setjmp(png_jmpbuf(png)) == 0) {
    if (limited) TKLimitPngAncillaryChunks(png);
    png_set_read_fn(png, &stream, &ReadVector);
    png_read_info(png, info);
    png_read_image(png, rows);
    png_read_end(png, end);
    png_textp text = nullptr;
    cost.texts = png_get_text(png, info, &text, nullptr) + png_get_text(png, end, &text, nullptr);
    cost.read = true;
  }
  png_destroy_read_struct(&png, &info, &end);
  return cost;
}

// A small file full of text chunks (a flood of them, compressed ones that inflate to megabytes,
// one of a megabyte) costs the reader no more than a plain image: the text is skipped without
// being stored or inflated, and the image still decodes.
TEST(PngBitmap, AncillaryTextChunksAreSkippedWithinLimits) {
  const struct Case {
    const char* name;
    bool decodes;
    size_t unlimited_at_least;  // what the same file costs libpng without the limits
  } cases[] = {
      {"TEXT_FLOOD", true, 0},
      {"ZTXT_BOMB", true, 4u << 20},
      {"ITXT_BOMB", true, 4u << 20},
      {"MIXED_FLOOD", true, 4u << 20},
      {"BIG_TEXT", true, 1u << 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> data = PngResource(c.name);
    ASSERT_FALSE(data.empty());
    EXPECT_LT(data.size(), 1300000u) << "a small file";

    const ReadCost unlimited = ReadThroughLibpng(data, false);
    EXPECT_TRUE(unlimited.read);
    EXPECT_GT(unlimited.texts, 0) << "libpng keeps text without the limits";
    EXPECT_GE(unlimited.allocated, c.unlimited_at_least);

    const ReadCost limited = ReadThroughLibpng(data, true);
    EXPECT_EQ(c.decodes, limited.read);
    EXPECT_EQ(0, limited.texts);
    EXPECT_LT(limited.allocated, 512u << 10);

    CTKGraphicBitmapPng bitmap;
    ASSERT_EQ(c.decodes, Load(bitmap, data));
    if (!c.decodes) continue;
    EXPECT_EQ(0xFFFF0000u, PixelAt(bitmap.GetSafeHandle(), 0, 0));
    EXPECT_EQ(0xFF00FF00u, PixelAt(bitmap.GetSafeHandle(), 1, 0));
    EXPECT_EQ(0xFF0000FFu, PixelAt(bitmap.GetSafeHandle(), 0, 1));
    EXPECT_EQ(0xFFFFFFFFu, PixelAt(bitmap.GetSafeHandle(), 1, 1));
  }
}

}  // namespace
