// A GDI bitmap filled from PNG data: always a 32-bit top-down DIB section.
#pragma once

#include <windows.h>

#include <cstddef>

#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"

// Where PNG bytes come from. Read returns the number of bytes read (less at the end).
class CTKReadStream {
 public:
  virtual ~CTKReadStream() = default;
  virtual size_t Read(void* buffer, size_t count) = 0;
};

class CTKMemoryReadStream : public CTKReadStream {
 public:
  CTKMemoryReadStream(const void* data, size_t size) : data_(static_cast<const BYTE*>(data)), size_(size) {}
  size_t Read(void* buffer, size_t count) override;

 private:
  const BYTE* data_;
  size_t size_;
  size_t pos_ = 0;
};

class CTKFileReadStream : public CTKReadStream {
 public:
  explicit CTKFileReadStream(const wchar_t* path);
  bool IsOpen() const { return file_.IsValid(); }
  size_t Read(void* buffer, size_t count) override;

 private:
  KestrinWinNS::CScopedKernelHandle file_;
};

struct png_struct_def;

// Keeps libpng from spending time and memory on a file's ancillary chunks: the text chunks
// (tEXt, zTXt, iTXt) are skipped without being stored or inflated, an ancillary chunk is kept
// only up to kMaxChunkBytes (also inflated), and at most kMaxKeptChunks of them are kept.
// Called on every read structure of the toolkit before reading.
void TKLimitPngAncillaryChunks(png_struct_def* png);

class CTKGraphicBitmapPng {
 public:
  // Images larger than this many pixels (or wider or higher than kMaxSide) are refused before
  // anything is allocated for them.
  static constexpr unsigned kMaxSide = 16384;
  static constexpr unsigned long long kMaxPixels = 4096ull * 4096ull;
  // Limits of the ancillary chunks (TKLimitPngAncillaryChunks).
  static constexpr unsigned kMaxChunkBytes = 1u << 20;
  static constexpr unsigned kMaxKeptChunks = 32;
  // The background colour of an image without a bKGD chunk.
  static constexpr COLORREF kDefaultBackground = RGB(127, 127, 127);

  CTKGraphicBitmapPng() = default;
  ~CTKGraphicBitmapPng() { DeleteObject(); }
  CTKGraphicBitmapPng(const CTKGraphicBitmapPng&) = delete;
  CTKGraphicBitmapPng& operator=(const CTKGraphicBitmapPng&) = delete;

  bool ReadPngFile(const wchar_t* path);
  bool ReadPngResource(HMODULE module, HRSRC resource);
  bool ReadPngStream(CTKReadStream* stream);

  HBITMAP GetSafeHandle() const { return bitmap_.Get(); }
  // Hands the bitmap to the caller, who deletes it.
  HBITMAP Detach();
  void DeleteObject();
  bool IsAlpha() const { return alpha_; }
  // The background colour of the last image read: the red, green and blue of its bKGD chunk
  // at 8 bits (grey taken for all three), kDefaultBackground without one.
  COLORREF GetBackgroundColor() const { return background_; }

 private:
  KestrinWinNS::CScopedBitmap bitmap_;
  bool alpha_ = false;
  COLORREF background_ = kDefaultBackground;
};
