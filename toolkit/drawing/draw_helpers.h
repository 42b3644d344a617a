// Drawing primitives shared by every toolkit painter, and scope objects that select into a DC
// or paint off screen for their lifetime and restore on destruction.
#pragma once

#include <windows.h>
#include "platform/win/gdi.h"

#include <string>

#include "platform/appframe/dc.h"

class CTKPaintManagerColorGradient;

class CTKDrawHelpers {
 public:
  using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

  CTKDrawHelpers();
  virtual ~CTKDrawHelpers();
  CTKDrawHelpers(const CTKDrawHelpers&) = delete;
  CTKDrawHelpers& operator=(const CTKDrawHelpers&) = delete;

  static CTKDrawHelpers& Instance();
  GradientFillFn GradientFillFunction() const { return gradient_fill_; }
  // Seam: the system's GradientFill, or NULL to draw line by line.
  void SetGradientFillFunction(GradientFillFn fn) { gradient_fill_ = fn; }

  static COLORREF MixColorsByFactor(COLORREF a, COLORREF b, float f);
  static void FillSolidRect(HDC dc, const RECT& rc, COLORREF color);
  static void FillGradient(HDC dc, const RECT* rc, COLORREF from, COLORREF to, bool horizontal);
  static void FillGradientClipped(HDC dc, const RECT* rc, COLORREF from, COLORREF to, bool horizontal,
                                  const RECT* clip);
  static void FillColorGradient(HDC dc, const RECT* rc, const CTKPaintManagerColorGradient& gradient, bool horizontal,
                                const RECT* clip = nullptr);
  // Pairs of (pixel, offset to a neighbour); count in POINTs, rounded up to whole pairs.
  static void AveragePixelPairs(HDC dc, const POINT* pairs, int count);
  static void FillTriangle(HDC dc, POINT a, POINT b, POINT c, COLORREF color);
  static void PolygonTriangle(HDC dc, POINT a, POINT b, POINT c);
  static void ExcludeCornerPixels(HDC dc, const RECT& rc);
  static bool IsLowColorDC(HDC dc);
  static bool IsOwnerChainForeground(HWND hwnd);
  static bool IsDCRightToLeft(HDC dc);
  static void SetDCRightToLeft(HDC dc, bool rtl);
  static void SwapArrowKeyForRTL(HWND hwnd, UINT& key);
  static void ScreenToWindowRTL(HWND hwnd, POINT& pt);
  static ATOM RegisterDefProcClass(const wchar_t* name, UINT style, HINSTANCE instance);
  static bool IsFontInstalled(const wchar_t* face);
  static std::wstring ChooseDefaultFaceName(bool preferTahoma);
  static void StripAmpersands(std::wstring& text);
  static void StripAmpersandsInPlace(wchar_t* text);

  static RECT InitEmptyRect() { return RECT{}; }
  static RECT InitWindowRect(HWND hwnd);
  static RECT InitClientRect(HWND hwnd);

 private:
  KestrinWinNS::CScopedLibrary msimg32_;
  GradientFillFn gradient_fill_ = nullptr;
};

// Paints into a compatible bitmap of the destination's far edges and copies the rectangle back
// on destruction (unless cancelled), so callers draw in the destination's coordinates.
class CTKBufferDC : public CDC {
 public:
  CTKBufferDC(HDC dest, const RECT& rc);
  ~CTKBufferDC() override;
  void CancelCopyBack() { dest_ = nullptr; }

 private:
  HDC dest_;
  RECT rect_;
  KestrinWinNS::CScopedBitmap bitmap_;
  HGDIOBJ old_bitmap_ = nullptr;
};

// As CTKBufferDC with a bitmap of the rectangle's own size and a moved viewport origin.
class CTKBufferDCEx : public CDC {
 public:
  CTKBufferDCEx(HDC dest, const RECT& rc);
  ~CTKBufferDCEx() override;

 private:
  HDC dest_;
  RECT rect_;
  KestrinWinNS::CScopedBitmap bitmap_;
  HGDIOBJ old_bitmap_ = nullptr;
};

// A memory DC compatible with the given one with a bitmap selected (the bitmap stays the
// caller's).
class CTKCompatibleDC : public CDC {
 public:
  CTKCompatibleDC(HDC dc, HBITMAP bitmap);
  ~CTKCompatibleDC() override;

 private:
  HGDIOBJ old_ = nullptr;
};

// Selects fonts and sets the text colour; restores the first font replaced and the old text
// colour.
// Works on a DC owned elsewhere.
class CTKFontDC : public CDC {
 public:
  CTKFontDC(HDC dc, HFONT font = nullptr);
  ~CTKFontDC() override;
  void SelectFont(HFONT font);
  void SetTextColor(COLORREF color);

 private:
  HGDIOBJ old_font_ = nullptr;
  COLORREF old_text_color_ = CLR_INVALID;
};

// Selects a solid pen or brush of a colour into a DC owned elsewhere; the first object
// replaced comes back and the own object is freed on destruction.
class CTKColorObjectDC : public CDC {
 public:
  using CreateFn = HGDIOBJ (*)(COLORREF);
  ~CTKColorObjectDC() override;
  void SetColor(COLORREF color);

 protected:
  CTKColorObjectDC(HDC dc, CreateFn create, COLORREF color);

 private:
  CreateFn create_;
  KestrinWinNS::CScopedGdiObject object_;
  HGDIOBJ old_ = nullptr;
};

class CTKPenDC : public CTKColorObjectDC {
 public:
  CTKPenDC(HDC dc, COLORREF color);
};

class CTKBrushDC : public CTKColorObjectDC {
 public:
  CTKBrushDC(HDC dc, COLORREF color);
};
