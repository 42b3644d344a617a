// Owners of GDI objects and device contexts: each object is deleted, each DC released and each
// selection undone by the one object that made it.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win/scoped_handle.h"

namespace KestrinWinNS {

template <class T>
struct CGdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};

using CScopedFont = CScopedHandle<CGdiObjectTraits<HFONT>>;
using CScopedBitmap = CScopedHandle<CGdiObjectTraits<HBITMAP>>;
using CScopedRegion = CScopedHandle<CGdiObjectTraits<HRGN>>;
using CScopedBrush = CScopedHandle<CGdiObjectTraits<HBRUSH>>;
using CScopedPen = CScopedHandle<CGdiObjectTraits<HPEN>>;
using CScopedGdiObject = CScopedHandle<CGdiObjectTraits<HGDIOBJ>>;

// A DC made by CreateCompatibleDC (or CreateDC), deleted with DeleteDC.
struct CMemoryDCTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
using CScopedMemoryDC = CScopedHandle<CMemoryDCTraits>;

// A 32-bit top-down DIB section (first row at the top); `bits`, when given, receives its pixels
// (null when the section could not be made).
inline CScopedBitmap CreateDib32(int width, int height, void** bits = nullptr) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  CScopedBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (bits) *bits = dib ? pixels : nullptr;
  return dib;
}

// The pixels of `bitmap` (a DIB section or a device bitmap, not selected into a DC) as 32-bit
// values 0x00RRGGBB, the picture's top row first; `size` receives its width and height. False
// (and nothing read) when the bitmap could not be read whole.
inline bool ReadPixels32(HBITMAP bitmap, std::vector<DWORD>* pixels, SIZE* size) {
  BITMAP object = {};
  if (!bitmap || GetObjectA(bitmap, sizeof(object), &object) != sizeof(object) || object.bmWidth <= 0 ||
      object.bmHeight <= 0)
    return false;
  const int width = object.bmWidth, height = object.bmHeight;
  BITMAPINFO request = {};
  request.bmiHeader.biSize = sizeof(request.bmiHeader);
  request.bmiHeader.biWidth = width;
  request.bmiHeader.biHeight = -height;  // top-down rows
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> read(static_cast<size_t>(width) * height);
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  const int rows = GetDIBits(screen, bitmap, 0, height, read.data(), &request, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;
  for (DWORD& pixel : read) pixel &= 0x00FFFFFF;
  pixels->swap(read);
  *size = SIZE{width, height};
  return true;
}

// A memory DC compatible with `reference` (the screen when null).
inline CScopedMemoryDC CreateMemoryDC(HDC reference) { return CScopedMemoryDC(CreateCompatibleDC(reference)); }

// A DC that goes back to its window with ReleaseDC.
class CReleasedDC {
 public:
  CReleasedDC(HWND window, HDC dc) : window_(window), dc_(dc) {}
  ~CReleasedDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  CReleasedDC(const CReleasedDC&) = delete;
  CReleasedDC& operator=(const CReleasedDC&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// The client-area DC of a window (of the screen for a null window), from GetDC.
class CScopedClientDC : public CReleasedDC {
 public:
  explicit CScopedClientDC(HWND window) : CReleasedDC(window, GetDC(window)) {}
};

// The DC of the whole window, frame and caption included, from GetWindowDC.
class CWindowFrameDC : public CReleasedDC {
 public:
  explicit CWindowFrameDC(HWND window) : CReleasedDC(window, GetWindowDC(window)) {}
};

// BeginPaint and EndPaint.
class CScopedPaintDC {
 public:
  explicit CScopedPaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~CScopedPaintDC() { EndPaint(window_, &paint_); }
  CScopedPaintDC(const CScopedPaintDC&) = delete;
  CScopedPaintDC& operator=(const CScopedPaintDC&) = delete;

  HDC Get() const { return dc_; }
  const PAINTSTRUCT& Paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_ = {};
  HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the one it replaced back when it goes.
class CSelectObject {
 public:
  CSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~CSelectObject() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  CSelectObject(const CSelectObject&) = delete;
  CSelectObject& operator=(const CSelectObject&) = delete;

  // False when nothing was selected.
  bool IsSelected() const { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory DC (compatible with `reference`, the screen when null) with `bitmap` selected for
// its life: the selection is undone before the DC is deleted. The bitmap stays the caller's.
class CBitmapDC {
 public:
  CBitmapDC(HDC reference, HBITMAP bitmap) : dc_(CreateCompatibleDC(reference)), select_(dc_.Get(), bitmap) {}

  HDC Get() const { return dc_.Get(); }
  explicit operator bool() const { return dc_.IsValid(); }

 private:
  CScopedMemoryDC dc_;  // declared first: it goes after the selection is undone
  CSelectObject select_;
};

}  // namespace KestrinWinNS
