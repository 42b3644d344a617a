// The skin's versions of the system's DrawEdge and DrawFrameControl.
#pragma once

#include <windows.h>

class CTKSkinManager;

namespace SkinDrawFunctions {

BOOL DrawEdge(CTKSkinManager* manager, HDC dc, RECT* rc, UINT edge, UINT flags);
// FALSE for requests left to the system.
BOOL DrawFrameControl(CTKSkinManager* manager, HDC dc, RECT* rc, UINT type, UINT state);
void FillSolid(HDC dc, const RECT& rc, COLORREF color);
// Four bands of the given width just inside the rectangle.
void FillFrame(HDC dc, const RECT& rc, int width, COLORREF color);

// Width and height of an icon from its mask (half the mask's height for a monochrome icon);
// 32 x 32 when the icon cannot be read.
SIZE IconSize(HICON icon);
// The palette of a packed DIB's colour table (up to 256 entries); none above 8 bits per pixel
// or when the table does not fit in the given size. The caller owns the palette.
HPALETTE CreateDibPalette(const BITMAPINFO* dib, size_t size);
// A device-dependent bitmap of a packed DIB drawn through its palette; none when the header,
// colour table and pixels do not fit in the given size. The caller owns the bitmap.
HBITMAP CreateDdbFromDib(const BITMAPINFO* dib, size_t size);

}  // namespace SkinDrawFunctions
