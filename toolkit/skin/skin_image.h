// One bitmap of a skin, with its alpha flag, and the nine-grid drawing of its frames.
#pragma once

#include <windows.h>

#include "platform/win/gdi.h"

#include <map>
#include <memory>
#include <string>

class CTKSkinManager;
class CTKSkinManagerResourceFile;

enum TKSkinSizingType { kSizingTrueSize = 0, kSizingStretch = 1, kSizingTile = 2 };

class CTKSkinImage {
 public:
  CTKSkinImage() = default;
  ~CTKSkinImage();
  CTKSkinImage(const CTKSkinImage&) = delete;
  CTKSkinImage& operator=(const CTKSkinImage&) = delete;

  // PNG or Windows bitmap file.
  BOOL ReadFromFile(CTKSkinManager* manager, const wchar_t* path);
  // A "PNG" resource with the PNG signature, else an RT_BITMAP resource.
  BOOL ReadFromModule(CTKSkinManager* manager, HMODULE module, const wchar_t* name);
  // Takes ownership of a bitmap (a 32-bit one goes through the alpha rule of the loaders).
  BOOL Attach(CTKSkinManager* manager, HBITMAP bitmap);

  // Draws the source rectangle of the image into the destination keeping the sizing margins
  // (left, top, right, bottom) unscaled; transparentColor -1 for none.
  void PaintImage(HDC dc, const RECT& dest, const RECT& src, const RECT& margins, COLORREF transparentColor,
                  int sizingType, BOOL borderOnly);

  HBITMAP Bitmap() const { return bitmap_.Get(); }
  BOOL IsAlpha() const { return alpha_; }
  int Width() const;
  int Height() const;

  // The bitmap of a packed RT_BITMAP resource, refused unless the whole header, the colour
  // table and every pixel row lie inside the resource's size.
  static HBITMAP BitmapFromPackedDib(const void* data, DWORD size, bool* is32Bit);
  // The bitmap of a Windows bitmap file held in memory, refused unless the file header, the
  // bitmap header, its colour table and every pixel row lie inside the file; a DIB section of
  // the file's own format.
  static HBITMAP BitmapFromBmpFile(const void* data, size_t size, bool* is32Bit);
  // Bitmap files longer than this are not read.
  static constexpr long long kMaxBitmapFileBytes = 64ll << 20;

 private:
  void Replace(HBITMAP bitmap);
  void ApplyAlphaRule();
  void ApplyColorFilters(COLORREF keep);
  void DrawNineGrid(HDC dc, const RECT& dest, const RECT& src, const RECT& margins, int sizingType, BOOL borderOnly);
  void DrawPiece(HDC dc, const RECT& dest, HDC srcDC, const RECT& src, bool tileX, bool tileY);
  void CopyTile(HDC dc, const RECT& dest, HDC srcDC, const RECT& src);

  KestrinWinNS::CScopedBitmap bitmap_;
  BOOL alpha_ = FALSE;
  bool filtered_ = false;
  CTKSkinManager* manager_ = nullptr;
};

// The images of one skin class, loaded once by file name while the skin is in use.
class CTKSkinImageCache {
 public:
  explicit CTKSkinImageCache(CTKSkinManagerResourceFile* source) : source_(source) {}
  // The image, loaded on first use; none when it cannot be loaded.
  CTKSkinImage* GetImage(const std::wstring& fileName);
  SIZE GetImageSize(const std::wstring& fileName);
  void Clear() { images_.clear(); }

 private:
  CTKSkinManagerResourceFile* source_;
  std::map<std::wstring, std::unique_ptr<CTKSkinImage>> images_;
};
