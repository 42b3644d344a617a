// Owners of GDI objects and device contexts: each object is deleted, each DC released and each
// selection undone by the one object that made it.
#pragma once

#include <windows.h>

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

// A memory DC compatible with `reference` (the screen when null).
inline CScopedMemoryDC CreateMemoryDC(HDC reference) { return CScopedMemoryDC(CreateCompatibleDC(reference)); }

// The DC of a window (of the screen for a null window), released with ReleaseDC.
class CWindowDC {
 public:
  explicit CWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~CWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  CWindowDC(const CWindowDC&) = delete;
  CWindowDC& operator=(const CWindowDC&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and EndPaint.
class CPaintDC {
 public:
  explicit CPaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~CPaintDC() { EndPaint(window_, &paint_); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

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

}  // namespace KestrinWinNS
