// A 32-bit top-down memory DIB selected into a DC, for drawing tests that read pixels back, and
// the solid icons such tests draw.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = 0)
      : width_(width), height_(height), bitmap_(KestrinWinNS::CreateDib32(width, height, &bits_)),
        dc_(nullptr, bitmap_.Get()) {
    cdc_.Attach(dc_.Get());
    Fill(fill);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_.Get(); }
  // The same DC for code that draws on a CDC.
  CDC* cdc() { return &cdc_; }
  HBITMAP bitmap() const { return bitmap_.Get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel as a COLORREF (alpha dropped).
  COLORREF At(int x, int y) const {
    const uint32_t p = Raw(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  uint32_t Raw(int x, int y) const {
    GdiFlush();
    return Pixels()[y * width_ + x];
  }
  void SetRaw(int x, int y, uint32_t v) { Pixels()[y * width_ + x] = v; }
  void Fill(COLORREF c) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) Pixels()[i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }

 private:
  uint32_t* Pixels() const { return static_cast<uint32_t*>(bits_); }

  int width_, height_;
  void* bits_ = nullptr;  // declared before the bitmap that fills it in
  KestrinWinNS::CScopedBitmap bitmap_;
  KestrinWinNS::CBitmapDC dc_;  // after the bitmap: the selection is undone and the DC deleted first
  CDC cdc_;                     // a view of dc_, deleting nothing
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

// An icon `size` pixels square, every pixel opaque and of one colour.
inline KestrinWinNS::CScopedIcon SolidIcon(int size, COLORREF colour) {
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap face = KestrinWinNS::CreateDib32(size, size, &bits);
  if (!face) return KestrinWinNS::CScopedIcon();
  const uint32_t pixel = 0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  for (int i = 0; i < size * size; ++i) static_cast<uint32_t*>(bits)[i] = pixel;
  KestrinWinNS::CScopedBitmap mask(::CreateBitmap(size, size, 1, 1, nullptr));  // all clear: opaque
  ICONINFO info{TRUE, 0, 0, mask.Get(), face.Get()};
  return KestrinWinNS::CScopedIcon(::CreateIconIndirect(&info));
}
