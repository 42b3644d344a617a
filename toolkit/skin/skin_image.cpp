#include "toolkit/skin/skin_image.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "toolkit/drawing/image_manager.h"
#include "toolkit/drawing/png_bitmap.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_resource_file.h"
#include "toolkit/skin/skin_schema.h"

namespace {

int RectWidth(const RECT& r) { return r.right - r.left; }
int RectHeight(const RECT& r) { return r.bottom - r.top; }

}  // namespace

CTKSkinImage::~CTKSkinImage() { Replace(nullptr); }

void CTKSkinImage::Replace(HBITMAP bitmap) {
  bitmap_.Reset(bitmap);
}

int CTKSkinImage::Width() const {
  BITMAP bm{};
  return bitmap_ && GetObjectW(bitmap_.Get(), sizeof(bm), &bm) ? bm.bmWidth : 0;
}

int CTKSkinImage::Height() const {
  BITMAP bm{};
  return bitmap_ && GetObjectW(bitmap_.Get(), sizeof(bm), &bm) ? bm.bmHeight : 0;
}

namespace {

// A DIB whose header (with its colour table or masks) lies in `info_room` bytes at `info` and
// whose rows lie in `pixel_room` bytes at `pixels` (null: right after the colour table). Every
// field that sizes something is checked against the room it claims before any of it is read.
// Bit counts below 24 become a device-dependent bitmap when `ddb_below_24`, else every bitmap
// is a DIB section of the header's own format.
HBITMAP BitmapFromDib(const BYTE* info, size_t info_room, const BYTE* pixels, size_t pixel_room, bool ddb_below_24,
                      bool* is32Bit) {
  *is32Bit = false;
  if (!info || info_room < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER header;
  memcpy(&header, info, sizeof(header));
  const unsigned bits = header.biBitCount;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > info_room || header.biWidth <= 0 ||
      header.biHeight == 0 || header.biPlanes != 1)
    return nullptr;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
  if (header.biCompression != BI_RGB && !(header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32)))
    return nullptr;
  // The colour table, or the three masks of BI_BITFIELDS, follow the header.
  unsigned long long colors = header.biClrUsed;
  if (colors == 0 && bits <= 8) colors = 1ull << bits;
  if (bits <= 8 && colors > (1ull << bits)) return nullptr;
  if (colors > 256) return nullptr;
  unsigned long long table = colors * sizeof(RGBQUAD);
  if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) table = 3 * sizeof(DWORD);
  if (header.biSize + table > info_room) return nullptr;
  const unsigned long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
  if (height > 0x7FFF || static_cast<unsigned long long>(header.biWidth) > 0x7FFF) return nullptr;
  const unsigned long long stride = ((static_cast<unsigned long long>(bits) * header.biWidth + 31) / 32) * 4;
  if (!pixels) {
    pixels = info + header.biSize + table;
    pixel_room = info_room - static_cast<size_t>(header.biSize + table);
  }
  if (height * stride > pixel_room) return nullptr;

  if (bits < 24 && ddb_below_24) {
    return CreateDIBitmap(KestrinWinNS::CScopedClientDC(nullptr).Get(), &header, CBM_INIT, pixels,
                          reinterpret_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS);
  }
  std::vector<BYTE> infoCopy(static_cast<size_t>(header.biSize + table));
  memcpy(infoCopy.data(), info, infoCopy.size());
  auto* copy = reinterpret_cast<BITMAPINFO*>(infoCopy.data());
  copy->bmiHeader.biSizeImage = static_cast<DWORD>(height * stride);
  void* dibBits = nullptr;
  KestrinWinNS::CScopedBitmap result(CreateDIBSection(nullptr, copy, DIB_RGB_COLORS, &dibBits, nullptr, 0));
  if (!result || !dibBits) return nullptr;
  memcpy(dibBits, pixels, static_cast<size_t>(height * stride));
  *is32Bit = bits == 32;
  return result.Take();
}

}  // namespace

HBITMAP CTKSkinImage::BitmapFromPackedDib(const void* data, DWORD size, bool* is32Bit) {
  return BitmapFromDib(static_cast<const BYTE*>(data), size, nullptr, 0, true, is32Bit);
}

HBITMAP CTKSkinImage::BitmapFromBmpFile(const void* data, size_t size, bool* is32Bit) {
  *is32Bit = false;
  const auto* bytes = static_cast<const BYTE*>(data);
  BITMAPFILEHEADER file;
  if (!bytes || size < sizeof(file) + sizeof(BITMAPINFOHEADER)) return nullptr;
  memcpy(&file, bytes, sizeof(file));
  if (file.bfType != 0x4D42 || file.bfOffBits < sizeof(file) + sizeof(BITMAPINFOHEADER) || file.bfOffBits > size)
    return nullptr;
  // The header and its colour table lie between the file header and the rows.
  return BitmapFromDib(bytes + sizeof(file), file.bfOffBits - sizeof(file), bytes + file.bfOffBits,
                       size - file.bfOffBits, false, is32Bit);
}

BOOL CTKSkinImage::Attach(CTKSkinManager* manager, HBITMAP bitmap) {
  manager_ = manager;
  Replace(bitmap);
  alpha_ = FALSE;
  filtered_ = false;
  if (!bitmap_) return FALSE;
  BITMAP bm{};
  GetObjectW(bitmap_.Get(), sizeof(bm), &bm);
  if (bm.bmBitsPixel == 32) ApplyAlphaRule();
  return TRUE;
}

void CTKSkinImage::ApplyAlphaRule() {
  CTKSkinManagerSchema* schema = manager_ ? manager_->Schema() : nullptr;
  if (schema && !schema->AlphaFlag()) {
    alpha_ = TRUE;
    return;
  }
  std::vector<DWORD> pixels;
  int width = 0, height = 0;
  if (!ReadBitmapPixels(bitmap_.Get(), &pixels, &width, &height)) return;
  bool alpha = false;
  bool sawTransparent = false;
  for (DWORD p : pixels) {
    const BYTE a = static_cast<BYTE>(p >> 24);
    if ((a != 0 && a != 255) || (a != 0 && sawTransparent)) alpha = true;
    if (a == 0) sawTransparent = true;
  }
  if (alpha) {
    for (DWORD& p : pixels) {
      const DWORD a = p >> 24;
      const DWORD r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
      p = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  HBITMAP copy = MakeDibSection(width, height, pixels.data());
  if (!copy) return;
  Replace(copy);
  alpha_ = alpha;
}

BOOL CTKSkinImage::ReadFromFile(CTKSkinManager* manager, const wchar_t* path) {
  KestrinWinNS::CScopedKernelHandle file(
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER length{};
  if (!file || !GetFileSizeEx(file.Get(), &length) || length.QuadPart < 8) return FALSE;
  BYTE signature[8] = {};
  DWORD got = 0;
  if (!ReadFile(file.Get(), signature, 8, &got, nullptr) || got != 8) return FALSE;
  if (memcmp(signature, "\x89PNG\r\n\x1a\n", 8) == 0) {
    CTKGraphicBitmapPng decoded;
    if (!decoded.ReadPngFile(path)) return FALSE;
    return Attach(manager, decoded.Detach());
  }
  // A Windows bitmap is read whole (within a limit) and its headers are checked against what
  // the file holds before a bitmap is made of it: the platform's loader trusts them.
  if (length.QuadPart > kMaxBitmapFileBytes) return FALSE;
  std::vector<BYTE> bytes(static_cast<size_t>(length.QuadPart));
  memcpy(bytes.data(), signature, 8);
  for (size_t at = 8; at < bytes.size(); at += got) {
    if (!ReadFile(file.Get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &got, nullptr) || got == 0)
      return FALSE;
  }
  bool is32 = false;
  HBITMAP bitmap = BitmapFromBmpFile(bytes.data(), bytes.size(), &is32);
  return bitmap ? Attach(manager, bitmap) : FALSE;
}

BOOL CTKSkinImage::ReadFromModule(CTKSkinManager* manager, HMODULE module, const wchar_t* name) {
  if (HRSRC png = FindResourceW(module, name, L"PNG")) {
    HGLOBAL handle = LoadResource(module, png);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (data && SizeofResource(module, png) >= 8 && memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
      CTKGraphicBitmapPng decoded;
      if (!decoded.ReadPngResource(module, png)) return FALSE;
      return Attach(manager, decoded.Detach());
    }
  }
  HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(2));
  if (!resource) return FALSE;
  HGLOBAL handle = LoadResource(module, resource);
  const void* data = handle ? LockResource(handle) : nullptr;
  bool is32 = false;
  HBITMAP bitmap = BitmapFromPackedDib(data, SizeofResource(module, resource), &is32);
  return bitmap ? Attach(manager, bitmap) : FALSE;
}

void CTKSkinImage::ApplyColorFilters(COLORREF keep) {
  if (filtered_ || !manager_ || !manager_->IsSkinLoaded()) return;
  filtered_ = true;
  if (!manager_->HasColorFilters()) return;
  HBITMAP source = bitmap_.Get();
  KestrinWinNS::CScopedBitmap redrawn;
  if (!alpha_) {
    // An opaque image is first drawn into a 32-bit section of its size.
    const int w = Width(), h = Height();
    redrawn = KestrinWinNS::CreateDib32(w, h);
    if (!redrawn) return;
    KestrinWinNS::CBitmapDC target(nullptr, redrawn.Get());
    DrawStateW(target.Get(), nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap_.Get()), 0, 0, 0, w, h, DST_BITMAP);
    source = redrawn.Get();
  }
  std::vector<DWORD> pixels;
  int width = 0, height = 0;
  const bool read = ReadBitmapPixels(source, &pixels, &width, &height);
  redrawn.Reset();
  if (!read) return;
  for (DWORD& p : pixels) {
    const COLORREF c = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    if (c == keep) continue;
    const COLORREF f = manager_->ApplyColorFilters(c);
    p = (p & 0xFF000000) | (GetRValue(f) << 16) | (GetGValue(f) << 8) | GetBValue(f);
  }
  if (HBITMAP result = MakeDibSection(width, height, pixels.data())) Replace(result);
}

void CTKSkinImage::PaintImage(HDC dc, const RECT& dest, const RECT& src, const RECT& margins,
                              COLORREF transparentColor, int sizingType, BOOL borderOnly) {
  if (!bitmap_ || RectHeight(dest) < margins.top + margins.bottom) return;
  if (transparentColor == static_cast<COLORREF>(-1) || alpha_) {
    DrawNineGrid(dc, dest, src, margins, sizingType, borderOnly);
    return;
  }
  ApplyColorFilters(transparentColor);
  const int w = RectWidth(dest), h = RectHeight(dest);
  if (w <= 0 || h <= 0) return;
  KestrinWinNS::CScopedBitmap temp = KestrinWinNS::CreateDib32(w, h);
  if (!temp) return;
  {
    KestrinWinNS::CBitmapDC buffer(nullptr, temp.Get());
    const RECT all{0, 0, w, h};
    FillRect(buffer.Get(), &all, KestrinWinNS::CScopedBrush(CreateSolidBrush(transparentColor)).Get());
    DrawNineGrid(buffer.Get(), all, src, margins, sizingType, borderOnly);
    CTKImageManager::Instance().DrawTransparent(dc, dest, buffer.Get(), all, transparentColor);
  }
}

void CTKSkinImage::DrawNineGrid(HDC dc, const RECT& dest, const RECT& src, const RECT& margins, int sizingType,
                                BOOL borderOnly) {
  if (RectHeight(src) < margins.top + margins.bottom) return;
  ApplyColorFilters(static_cast<COLORREF>(-1));
  KestrinWinNS::CBitmapDC source(nullptr, bitmap_.Get());
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  bool tileX = sizingType == kSizingTile, tileY = sizingType == kSizingTile;
  const int dw = RectWidth(dest), dh = RectHeight(dest), sw = RectWidth(src), sh = RectHeight(src);
  if (margins.left == 0 && margins.top == 0 && margins.right == 0 && margins.bottom == 0) {
    DrawPiece(dc, dest, source.Get(), src, tileX, tileY);
    SetStretchBltMode(dc, oldMode);
    return;
  }
  // Source margins stay as the skin gives them; destination margins shrink when they do not fit.
  int top = margins.top, bottom = margins.bottom, left = margins.left, right = margins.right;
  if (top + bottom >= dh || sh == top + bottom) {
    const int sum = top + bottom;
    top = sum ? dh * margins.top / sum : 0;
    bottom = dh - top;
    if ((bottom & 1) != (margins.bottom & 1) && bottom < dh) ++bottom, top = dh - bottom;
    tileY = false;
  }
  if (left + right >= dw || sw == left + right) {
    const int sum = left + right;
    left = sum ? dw * margins.left / sum : 0;
    right = dw - left;
    tileX = false;
  }
  const int dx[4] = {dest.left, dest.left + left, dest.right - right, dest.right};
  const int dy[4] = {dest.top, dest.top + top, dest.bottom - bottom, dest.bottom};
  const int sx[4] = {src.left, src.left + margins.left, src.right - margins.right, src.right};
  const int sy[4] = {src.top, src.top + margins.top, src.bottom - margins.bottom, src.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      if (row == 1 && col == 1 && borderOnly) continue;
      const RECT d{dx[col], dy[row], dx[col + 1], dy[row + 1]};
      const RECT s{sx[col], sy[row], sx[col + 1], sy[row + 1]};
      const bool corner = row != 1 && col != 1;
      DrawPiece(dc, d, source.Get(), s, !corner && tileX, !corner && tileY);
    }
  }
  SetStretchBltMode(dc, oldMode);
}

void CTKSkinImage::DrawPiece(HDC dc, const RECT& dest, HDC srcDC, const RECT& src, bool tileX, bool tileY) {
  const int dw = RectWidth(dest), dh = RectHeight(dest), sw = RectWidth(src), sh = RectHeight(src);
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const bool stretch = (!tileX && !tileY) || (sw == 1 && (sh == dh || sw == sh)) || (sh == 1 && (sw == dw || sw == sh));
  if (stretch) {
    CopyTile(dc, dest, srcDC, src);
    return;
  }
  const int stepX = tileX ? sw : dw, stepY = tileY ? sh : dh;
  for (int y = dest.top; y < dest.bottom; y += stepY) {
    const int th = std::min(stepY, static_cast<int>(dest.bottom - y));
    for (int x = dest.left; x < dest.right; x += stepX) {
      const int tw = std::min(stepX, static_cast<int>(dest.right - x));
      const RECT d{x, y, x + tw, y + th};
      const RECT s{src.left, src.top, tileX ? src.left + tw : src.right, tileY ? src.top + th : src.bottom};
      CopyTile(dc, d, srcDC, s);
    }
  }
}

void CTKSkinImage::CopyTile(HDC dc, const RECT& d, HDC srcDC, const RECT& s) {
  if (alpha_) {
    CTKImageManager::Instance().AlphaCopy(dc, d, srcDC, s);
  } else if (RectWidth(d) == RectWidth(s) && RectHeight(d) == RectHeight(s)) {
    BitBlt(dc, d.left, d.top, RectWidth(d), RectHeight(d), srcDC, s.left, s.top, SRCCOPY);
  } else {
    StretchBlt(dc, d.left, d.top, RectWidth(d), RectHeight(d), srcDC, s.left, s.top, RectWidth(s), RectHeight(s), SRCCOPY);
  }
}

CTKSkinImage* CTKSkinImageCache::GetImage(const std::wstring& fileName) {
  auto it = images_.find(fileName);
  if (it != images_.end()) return it->second.get();
  CTKSkinImage* image = source_ ? source_->LoadSkinBitmap(fileName) : nullptr;
  if (!image) return nullptr;
  images_[fileName].reset(image);
  return image;
}

SIZE CTKSkinImageCache::GetImageSize(const std::wstring& fileName) {
  CTKSkinImage* image = GetImage(fileName);
  return image ? SIZE{image->Width(), image->Height()} : SIZE{0, 0};
}
