// A 32-bit top-down memory DIB selected into a DC, for drawing tests that read pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/win/gdi.h"

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = 0) : width_(width), height_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    dc_.Reset(CreateCompatibleDC(nullptr));
    old_ = SelectObject(dc_.Get(), bitmap_.Get());
    Fill(fill);
  }
  ~Canvas() { SelectObject(dc_.Get(), old_); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_.Get(); }
  HBITMAP bitmap() const { return bitmap_.Get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel as a COLORREF (alpha dropped).
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  uint32_t Raw(int x, int y) const {
    GdiFlush();
    return bits_[y * width_ + x];
  }
  void SetRaw(int x, int y, uint32_t v) { bits_[y * width_ + x] = v; }
  void Fill(COLORREF c) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }

 private:
  int width_, height_;
  KestrinWinNS::CScopedBitmap bitmap_;
  uint32_t* bits_ = nullptr;
  KestrinWinNS::CScopedMemoryDC dc_;  // deleted before the bitmap
  HGDIOBJ old_ = nullptr;
};

inline int ChannelDistance(COLORREF a, COLORREF b) {
  int d = 0;
  for (int shift : {0, 8, 16}) {
    int x = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (x < 0) x = -x;
    if (x > d) d = x;
  }
  return d;
}
