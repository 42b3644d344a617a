#include "toolkit/drawing/png_bitmap.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

size_t CTKMemoryReadStream::Read(void* buffer, size_t count) {
  size_t n = size_ - pos_ < count ? size_ - pos_ : count;
  if (n) std::memcpy(buffer, data_ + pos_, n);
  pos_ += n;
  return n;
}

CTKFileReadStream::CTKFileReadStream(const wchar_t* path)
    : file_(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

size_t CTKFileReadStream::Read(void* buffer, size_t count) {
  size_t total = 0;
  while (total < count) {
    DWORD chunk = count - total > 0x10000000 ? 0x10000000 : static_cast<DWORD>(count - total);
    DWORD got = 0;
    if (!ReadFile(file_.Get(), static_cast<BYTE*>(buffer) + total, chunk, &got, nullptr) || got == 0) break;
    total += got;
  }
  return total;
}

namespace {

// Everything the decoder allocates, freed in one place whichever way decoding ends. libpng
// reports errors by longjmp, so no C++ object with a destructor lives in DecodePng's frame
// and no exception passes through libpng.
struct DecodeState {
  CTKReadStream* stream = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep pixels = nullptr;
  png_bytepp rows = nullptr;
  png_uint_32 width = 0, height = 0;
  int channels = 0;
  COLORREF background = CTKGraphicBitmapPng::kDefaultBackground;
};

// A bKGD sample of the file's bit depth at 8 bits, as the pixels come out (16 bits lose their
// low byte, fewer than 8 are spread over the whole range).
BYTE BackgroundSample(png_uint_16 value, int depth) {
  if (depth == 16) return static_cast<BYTE>(value >> 8);
  if (depth < 8) return static_cast<BYTE>(value * 255 / ((1u << depth) - 1));
  return static_cast<BYTE>(value);
}

void FreeState(DecodeState* s) {
  if (s->png) png_destroy_read_struct(&s->png, s->info ? &s->info : nullptr, nullptr);
  std::free(s->rows);
  std::free(s->pixels);
  s->png = nullptr;
  s->info = nullptr;
  s->rows = nullptr;
  s->pixels = nullptr;
}

void ReadFromStream(png_structp png, png_bytep data, png_size_t length) {
  auto* s = static_cast<DecodeState*>(png_get_io_ptr(png));
  if (s->stream->Read(data, length) != length) png_error(png, "unexpected end of data");
}

void QuietWarning(png_structp, png_const_charp) {}
// Errors end decoding through the jump buffer set in DecodePng, without printing.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Fills s->pixels with height rows of width * channels bytes. False on any failure; the
// caller frees the state.
bool DecodePng(DecodeState* s) {
  png_byte signature[8];
  if (s->stream->Read(signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) return false;
  s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &QuietError, &QuietWarning);
  if (!s->png) return false;
  s->info = png_create_info_struct(s->png);
  if (!s->info) return false;
  if (setjmp(png_jmpbuf(s->png))) return false;

  png_set_user_limits(s->png, CTKGraphicBitmapPng::kMaxSide, CTKGraphicBitmapPng::kMaxSide);
  TKLimitPngAncillaryChunks(s->png);
  png_set_read_fn(s->png, s, &ReadFromStream);
  png_set_sig_bytes(s->png, 8);
  png_read_info(s->png, s->info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, color_type = 0;
  png_get_IHDR(s->png, s->info, &width, &height, &depth, &color_type, nullptr, nullptr, nullptr);
  if (static_cast<unsigned long long>(width) * height > CTKGraphicBitmapPng::kMaxPixels) return false;

  if (depth == 16) png_set_strip_16(s->png);
  if (color_type == PNG_COLOR_TYPE_PALETTE) png_set_expand(s->png);
  if (depth < 8) png_set_expand(s->png);
  if (png_get_valid(s->png, s->info, PNG_INFO_tRNS)) png_set_expand(s->png);
  if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(s->png);

  png_color_16p background = nullptr;
  if (png_get_bKGD(s->png, s->info, &background)) {
    png_set_background(s->png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    // A palette image's bKGD names an entry, whose colour libpng has filled in at 8 bits.
    const int sample_depth = color_type == PNG_COLOR_TYPE_PALETTE ? 8 : depth;
    if (color_type & PNG_COLOR_MASK_COLOR)
      s->background = RGB(BackgroundSample(background->red, sample_depth),
                          BackgroundSample(background->green, sample_depth),
                          BackgroundSample(background->blue, sample_depth));
    else
      s->background = RGB(BackgroundSample(background->gray, depth), BackgroundSample(background->gray, depth),
                          BackgroundSample(background->gray, depth));
  }
  double file_gamma = 0;
  if (png_get_gAMA(s->png, s->info, &file_gamma)) png_set_gamma(s->png, 2.2, file_gamma);
  png_set_interlace_handling(s->png);

  png_read_update_info(s->png, s->info);
  png_get_IHDR(s->png, s->info, &width, &height, &depth, &color_type, nullptr, nullptr, nullptr);
  const png_size_t rowbytes = png_get_rowbytes(s->png, s->info);
  const int channels = png_get_channels(s->png, s->info);
  if (channels != 3 && channels != 4) return false;
  if (rowbytes < static_cast<png_size_t>(width) * channels) return false;
  const unsigned long long total = static_cast<unsigned long long>(rowbytes) * height;
  if (height == 0 || total == 0 || total > CTKGraphicBitmapPng::kMaxPixels * 8) return false;

  s->pixels = static_cast<png_bytep>(std::malloc(static_cast<size_t>(total)));
  s->rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
  if (!s->pixels || !s->rows) return false;
  for (png_uint_32 y = 0; y < height; ++y) s->rows[y] = s->pixels + rowbytes * y;
  png_read_image(s->png, s->rows);
  png_read_end(s->png, nullptr);
  s->width = width;
  s->height = height;
  s->channels = channels;
  return true;
}

HBITMAP MakeDib(const DecodeState& s) {
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap dib =
      KestrinWinNS::CreateDib32(static_cast<int>(s.width), static_cast<int>(s.height), &bits);
  if (!dib || !bits) return nullptr;
  auto* out = static_cast<BYTE*>(bits);
  for (png_uint_32 y = 0; y < s.height; ++y) {
    const png_byte* in = s.rows[y];
    for (png_uint_32 x = 0; x < s.width; ++x, in += s.channels, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = s.channels == 4 ? in[3] : 0;
    }
  }
  return dib.Take();
}

}  // namespace

void TKLimitPngAncillaryChunks(png_struct_def* png) {
  static const png_byte kTextChunks[] = {'t', 'E', 'X', 't', '\0', 'z', 'T', 'X', 't', '\0', 'i', 'T', 'X', 't', '\0'};
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kTextChunks, 3);
  png_set_chunk_cache_max(png, CTKGraphicBitmapPng::kMaxKeptChunks);
  png_set_chunk_malloc_max(png, CTKGraphicBitmapPng::kMaxChunkBytes);
}

HBITMAP CTKGraphicBitmapPng::Detach() {
  return bitmap_.Take();
}

void CTKGraphicBitmapPng::DeleteObject() {
  bitmap_.Reset();
}

bool CTKGraphicBitmapPng::ReadPngStream(CTKReadStream* stream) {
  DeleteObject();
  alpha_ = false;
  background_ = kDefaultBackground;
  if (!stream) return false;
  DecodeState state;
  state.stream = stream;
  const bool decoded = DecodePng(&state);
  if (decoded) {
    bitmap_.Reset(MakeDib(state));
    alpha_ = bitmap_ && state.channels == 4;
    if (bitmap_) background_ = state.background;
  }
  FreeState(&state);
  return bitmap_.IsValid();
}

bool CTKGraphicBitmapPng::ReadPngFile(const wchar_t* path) {
  CTKFileReadStream file(path);
  if (!file.IsOpen()) {
    DeleteObject();
    alpha_ = false;
    background_ = kDefaultBackground;
    return false;
  }
  return ReadPngStream(&file);
}

bool CTKGraphicBitmapPng::ReadPngResource(HMODULE module, HRSRC resource) {
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (!data || size <= 9) return false;
  CTKMemoryReadStream memory(data, size);
  return ReadPngStream(&memory);
}
