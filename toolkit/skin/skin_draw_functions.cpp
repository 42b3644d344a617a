#include "toolkit/skin/skin_draw_functions.h"

#include <algorithm>
#include <vector>

#include "platform/win/gdi.h"
#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_metrics.h"
#include "toolkit/skin/skin_system.h"

namespace SkinDrawFunctions {

void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FillFrame(HDC dc, const RECT& rc, int width, COLORREF color) {
  const int w = std::min<int>(width, std::min(rc.right - rc.left, rc.bottom - rc.top) / 2 + 1);
  if (w <= 0) return;
  FillSolid(dc, RECT{rc.left, rc.top, rc.right, rc.top + w}, color);
  FillSolid(dc, RECT{rc.left, rc.bottom - w, rc.right, rc.bottom}, color);
  FillSolid(dc, RECT{rc.left, rc.top + w, rc.left + w, rc.bottom - w}, color);
  FillSolid(dc, RECT{rc.right - w, rc.top + w, rc.right, rc.bottom - w}, color);
}

SIZE IconSize(HICON icon) {
  SIZE size{32, 32};
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return size;
  // GetIconInfo hands out copies of the icon's bitmaps.
  const KestrinWinNS::CScopedBitmap mask_bits(info.hbmMask), color_bits(info.hbmColor);
  BITMAP mask{};
  if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(mask), &mask)) {
    size.cx = mask.bmWidth;
    // A monochrome icon keeps its AND and XOR masks one above the other.
    size.cy = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
  }
  return size;
}

namespace {

// Entries of the colour table of a DIB; -1 when the header is not one we read.
int DibColorCount(const BITMAPINFOHEADER& h) {
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return -1;
  if (h.biBitCount > 8) return h.biCompression == BI_BITFIELDS ? 3 : 0;
  const int full = 1 << h.biBitCount;
  return h.biClrUsed ? static_cast<int>(std::min<DWORD>(h.biClrUsed, static_cast<DWORD>(full))) : full;
}

bool DibFits(const BITMAPINFO* dib, size_t size, size_t* bitsOffset) {
  if (!dib || size < sizeof(BITMAPINFOHEADER)) return false;
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  const int colors = DibColorCount(h);
  if (colors < 0 || h.biSize > size) return false;
  const size_t offset = h.biSize + static_cast<size_t>(colors) * sizeof(RGBQUAD);
  if (offset > size) return false;
  *bitsOffset = offset;
  return true;
}

}  // namespace

HPALETTE CreateDibPalette(const BITMAPINFO* dib, size_t size) {
  size_t offset = 0;
  if (!DibFits(dib, size, &offset) || dib->bmiHeader.biBitCount > 8) return nullptr;
  const int count = DibColorCount(dib->bmiHeader);
  if (count <= 0 || count > 256) return nullptr;
  std::vector<unsigned char> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<size_t>(count));
  LOGPALETTE* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(count);
  const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const unsigned char*>(dib) +
                                                          dib->bmiHeader.biSize);
  for (int i = 0; i < count; ++i)
    palette->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  return CreatePalette(palette);
}

HBITMAP CreateDdbFromDib(const BITMAPINFO* dib, size_t size) {
  size_t offset = 0;
  if (!DibFits(dib, size, &offset)) return nullptr;
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1) return nullptr;
  if (h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS) {
    const unsigned long long stride = ((static_cast<unsigned long long>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    const unsigned long long rows = static_cast<unsigned long long>(h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight);
    if (stride * rows > size - offset) return nullptr;
  }
  KestrinWinNS::CScopedClientDC screen(nullptr);
  const KestrinWinNS::CScopedHandle<KestrinWinNS::CGdiObjectTraits<HPALETTE>> palette(CreateDibPalette(dib, size));
  HPALETTE old = palette ? SelectPalette(screen.Get(), palette.Get(), FALSE) : nullptr;
  if (palette) RealizePalette(screen.Get());
  HBITMAP bitmap = CreateDIBitmap(screen.Get(), &h, CBM_INIT, reinterpret_cast<const unsigned char*>(dib) + offset,
                                  dib, DIB_RGB_COLORS);
  if (palette) SelectPalette(screen.Get(), old, FALSE);
  return bitmap;
}

namespace {

COLORREF Skin(CTKSkinManager* manager, int index) {
  const COLORREF c = manager->Metrics()->Color(index);
  return c != CLR_INVALID ? c : SkinSystem::GetSysColor(index);
}

// One edge (outer or inner) of the four sides, right and bottom first.
void DrawSides(HDC dc, RECT& rc, UINT flags, COLORREF topLeft, COLORREF bottomRight, int cx, int cy) {
  if (flags & BF_RIGHT) FillSolid(dc, RECT{rc.right - cx, rc.top, rc.right, rc.bottom}, bottomRight);
  if (flags & BF_BOTTOM) FillSolid(dc, RECT{rc.left, rc.bottom - cy, rc.right, rc.bottom}, bottomRight);
  if (flags & BF_LEFT) FillSolid(dc, RECT{rc.left, rc.top, rc.left + cx, rc.bottom - ((flags & BF_BOTTOM) ? cy : 0)}, topLeft);
  if (flags & BF_TOP) FillSolid(dc, RECT{rc.left, rc.top, rc.right - ((flags & BF_RIGHT) ? cx : 0), rc.top + cy}, topLeft);
  if (flags & BF_LEFT) rc.left += cx;
  if (flags & BF_TOP) rc.top += cy;
  if (flags & BF_RIGHT) rc.right -= cx;
  if (flags & BF_BOTTOM) rc.bottom -= cy;
}

void DrawDiagonal(HDC dc, const RECT& rc, COLORREF color, int width) {
  const int n = std::min(rc.right - rc.left, rc.bottom - rc.top);
  for (int i = 0; i < n; ++i) FillSolid(dc, RECT{rc.left + i, rc.bottom - 1 - i, rc.left + i + width, rc.bottom - i}, color);
}

}  // namespace

BOOL DrawEdge(CTKSkinManager* manager, HDC dc, RECT* rc, UINT edge, UINT flags) {
  const COLORREF light = SkinSystem::GetSysColor(COLOR_3DLIGHT);
  const COLORREF highlight = Skin(manager, COLOR_3DHILIGHT), shadow = Skin(manager, COLOR_3DSHADOW),
                 dark = Skin(manager, COLOR_3DDKSHADOW), face = Skin(manager, COLOR_3DFACE);
  const bool soft = (flags & BF_SOFT) != 0;
  const bool mono = (flags & BF_MONO) != 0;
  const bool flat = mono || (flags & BF_FLAT) != 0;
  RECT r = *rc;
  const int cx = GetSystemMetrics(SM_CXBORDER), cy = GetSystemMetrics(SM_CYBORDER);
  struct Pair {
    COLORREF tl, br;
  };
  // Outer then inner edge, in the system's pairing.
  Pair outer{}, inner{};
  bool hasOuter = false, hasInner = false;
  if (edge & BDR_RAISEDOUTER) outer = {soft ? highlight : light, dark}, hasOuter = true;
  if (edge & BDR_SUNKENOUTER) outer = {soft ? dark : shadow, highlight}, hasOuter = true;
  if (edge & BDR_RAISEDINNER) inner = {soft ? light : highlight, shadow}, hasInner = true;
  if (edge & BDR_SUNKENINNER) inner = {soft ? shadow : dark, light}, hasInner = true;
  if (flat) {
    outer = mono ? Pair{Skin(manager, COLOR_WINDOWFRAME), Skin(manager, COLOR_WINDOWFRAME)} : Pair{shadow, shadow};
    inner = mono ? Pair{Skin(manager, COLOR_WINDOW), Skin(manager, COLOR_WINDOW)} : Pair{face, face};
  }
  if (flags & BF_DIAGONAL) {
    if (hasOuter) DrawDiagonal(dc, r, outer.br, cx);
    return TRUE;
  }
  if (hasOuter) DrawSides(dc, r, flags, outer.tl, outer.br, cx, cy);
  if (hasInner) DrawSides(dc, r, flags, inner.tl, inner.br, cx, cy);
  if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top)
    FillSolid(dc, r, mono ? Skin(manager, COLOR_WINDOW) : face);
  if (flags & BF_ADJUST) *rc = r;
  return TRUE;
}

BOOL DrawFrameControl(CTKSkinManager* manager, HDC dc, RECT* rc, UINT type, UINT state) {
  if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONPUSH) {
    RECT r = *rc;
    const bool sunken = (state & (DFCS_PUSHED | DFCS_CHECKED)) != 0;
    DrawEdge(manager, dc, &r, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    FillSolid(dc, r, Skin(manager, COLOR_BTNFACE));
    if (state & DFCS_ADJUSTRECT) *rc = r;
    return TRUE;
  }
  if (type != DFC_SCROLL) return FALSE;
  CTKSkinManagerClass* scroll = manager->FindOrAddSkinClass(L"SCROLLBAR");
  if (state & DFCS_SCROLLSIZEGRIP) {
    FillSolid(dc, *rc, Skin(manager, COLOR_BTNFACE));
    return scroll->DrawBackground(dc, 10, 1, *rc);
  }
  const UINT arrow = state & 0xFF;
  if (arrow > DFCS_SCROLLRIGHT) return FALSE;
  const int base = (state & DFCS_INACTIVE) ? 4 : (state & DFCS_PUSHED) ? 3 : 1;
  // ARROWBTN states: up 1..4, down 5..8, left 9..12, right 13..16.
  return scroll->DrawBackground(dc, 1, base + 4 * static_cast<int>(arrow), *rc);
}

}  // namespace SkinDrawFunctions
