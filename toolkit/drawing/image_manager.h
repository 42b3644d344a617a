// Icons by command id and width, each with images for its states, loaded from icons, bitmaps,
// PNG resources and files, with generated disabled, faded and shadow images.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/appframe/archive.h"
#include "platform/appframe/cmd_target.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"

class CTKPropExchange;
class CTKImageManager;
class CTKImageManagerIconSet;

// One image: an icon, or a premultiplied 32-bpp DIB section with alpha.
class CTKIconImage {
 public:
  CTKIconImage() = default;
  // With `owns` the image destroys the icon and the bitmap when it goes; without, it borrows them.
  CTKIconImage(HICON icon, HBITMAP bitmap, bool owns = true);
  CTKIconImage(CTKIconImage&& other) noexcept { *this = std::move(other); }
  CTKIconImage& operator=(CTKIconImage&& other) noexcept;
  CTKIconImage(const CTKIconImage&) = delete;
  CTKIconImage& operator=(const CTKIconImage&) = delete;

  void Clear();
  bool IsEmpty() const { return !icon_ && !bitmap_; }
  bool IsAlpha() const { return bitmap_ != nullptr; }
  HICON Icon() const { return icon_; }
  HBITMAP Bitmap() const { return bitmap_; }
  SIZE Size() const;

 private:
  HICON icon_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  KestrinWinNS::CScopedIcon owned_icon_;      // icon_ when owned
  KestrinWinNS::CScopedBitmap owned_bitmap_;  // bitmap_ when owned
};

class CTKImageManagerIcon : public CCmdTarget {
  DECLARE_DYNAMIC(CTKImageManagerIcon)

 public:
  enum State { kNormal = 0, kDisabled = 1, kHot = 2, kChecked = 3, kPressed = 4 };

  CTKImageManagerIcon(UINT id, int width, int height, CTKImageManagerIconSet* owner)
      : id_(id), width_(width), height_(height), owner_(owner) {}
  ~CTKImageManagerIcon() override = default;

  UINT Id() const { return id_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool IsScaled() const { return scaled_; }
  void SetScaled(bool scaled) { scaled_ = scaled; }
  bool DrawThroughAlpha() const { return draw_through_alpha_; }
  void SetDrawThroughAlpha(bool on) { draw_through_alpha_ = on; }

  // Setting the normal image clears every other image and takes its size.
  void SetImage(CTKIconImage image, int state);
  const CTKIconImage& GetImageOfState(int state);
  const CTKIconImage& UserImage(int state) const { return images_[state]; }
  const CTKIconImage& GetFadedImage();
  const CTKIconImage& GetShadowImage();
  void ResetDerivedImages();

  // Height, schema, then the images normal, disabled, hot, checked and pressed (the last two
  // only in data of a schema that has them).
  void Serialize(CArchive& ar) override;

 private:
  friend class CTKImageManagerIconSet;
  UINT id_;
  int width_, height_;
  bool scaled_ = false;
  bool draw_through_alpha_ = false;
  CTKImageManagerIconSet* owner_;
  CTKIconImage images_[5];
  CTKIconImage generated_disabled_, faded_, shadow_;
};

class CTKImageManagerIconSet : public CCmdTarget {
  DECLARE_DYNAMIC(CTKImageManagerIconSet)

 public:
  CTKImageManagerIconSet(UINT id, CTKImageManager* owner) : id_(id), owner_(owner) {}
  ~CTKImageManagerIconSet() override = default;

  UINT Id() const { return id_; }
  // Width 0: the smallest unscaled icon; 1: the largest; else that width, or with nearest the
  // icon whose width differs least.
  CTKImageManagerIcon* GetIcon(int width, bool nearest);
  CTKImageManagerIcon* GetOrCreateIcon(int width, int height);
  void RemoveScaledIcons();
  void ResetDerivedImages();
  const std::map<int, std::unique_ptr<CTKImageManagerIcon>>& Icons() const { return icons_; }
  void RemoveAll() { icons_.clear(); }
  CTKImageManager* Owner() const { return owner_; }

 private:
  friend class CTKImageManager;
  UINT id_;
  CTKImageManager* owner_;
  std::map<int, std::unique_ptr<CTKImageManagerIcon>> icons_;
};

class CTKImageManager : public CCmdTarget {
  DECLARE_DYNAMIC(CTKImageManager)

 public:
  using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
  using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

  CTKImageManager();
  ~CTKImageManager() override;
  CTKImageManager(const CTKImageManager&) = delete;
  CTKImageManager& operator=(const CTKImageManager&) = delete;

  static CTKImageManager& Instance();

  bool AddIconImage(HICON icon, UINT id, int width, int height, int state);
  bool AddAlphaImage(HBITMAP premultiplied, UINT id, int state);
  // Cuts a bitmap into images of equal width, one per id (ids NULL: 0, 1, 2 ...; an id 0
  // skips its image unless count equals the number of images).
  bool SetIconsFromBitmap(HBITMAP bitmap, bool alpha, const UINT* ids, int count, SIZE size, int state);
  bool SetIconsFromBitmapId(HMODULE module, const wchar_t* name, const UINT* ids, int count, SIZE size, int state);
  bool AddImageListIcons(HIMAGELIST list, const UINT* ids, int count, SIZE size, int state);
  // Keeps a copy of an application's image list as a record: image i stands for ids[i] (ids
  // NULL: 0, 1, 2, ...; an id 0 is no image). GetImage and ContainsIcon find its ids when no
  // icon set holds them.
  bool AddImageList(HIMAGELIST list, const UINT* ids, int count);
  size_t ImageListCount() const { return lists_.size(); }

  // From the id's icon set (the nearest width), else from an image list holding the id.
  CTKImageManagerIcon* GetImage(UINT id, int width);
  // An unscaled icon of exactly that width (0 smallest, 1 largest), or an image list holding
  // the id (of that width when one is given).
  bool ContainsIcon(UINT id, int width);
  // The colours the generated disabled images blend between by luminance (dark for black,
  // light for white); CLR_INVALID for either gives the grey images. Drops the derived images.
  void SetDisabledColors(COLORREF light, COLORREF dark);
  COLORREF DisabledLight() const { return disabled_light_; }
  COLORREF DisabledDark() const { return disabled_dark_; }
  CTKImageManagerIconSet* GetIconSet(UINT id);
  void ResetDerivedImages();
  void RemoveAll();
  size_t IconSetCount() const { return sets_.size(); }

  void DrawImage(HDC dc, int x, int y, CTKImageManagerIcon* icon, const CTKIconImage& image, int width, int height);
  void DrawSilhouette(HDC dc, int x, int y, const CTKIconImage& image, int width, int height, COLORREF color);
  // Premultiplied source over the destination.
  bool AlphaCopy(HDC dest, const RECT& destRect, HDC src, const RECT& srcRect);
  void DrawTransparent(HDC dest, const RECT& destRect, HDC src, const RECT& srcRect, COLORREF key);

  // 0 never mirror, 1 always, 2 when the DC is right-to-left.
  void SetRightToLeftMode(int mode) { rtl_mode_ = mode; }
  void SetMaskColor(COLORREF c) { mask_color_ = c; }
  // Seams: NULL draws in software.
  void SetAlphaBlendFunction(AlphaBlendFn fn) { alpha_blend_ = fn; }
  void SetTransparentBltFunction(TransparentBltFn fn) { transparent_blt_ = fn; }
  AlphaBlendFn AlphaBlendFunction() const { return alpha_blend_; }

  // Saves or loads every icon. Loading data of another kind throws an archive exception.
  void ExchangeAllIcons(CTKPropExchange* px);
  // Saves or loads the icons of one id. A load replaces the id's icons only when all of it was
  // read; damaged data throws and leaves them as they were.
  void ExchangeIconSet(CTKPropExchange* px, UINT id);
  void Serialize(CArchive& ar) override;

  // Loaders: *alpha tells whether the result carries alpha (premultiplied).
  static bool IsPngResource(HMODULE module, const wchar_t* name);
  static HBITMAP LoadBitmapFromResource(HMODULE module, const wchar_t* name, bool* alpha);
  static HBITMAP LoadBitmapFromFile(const wchar_t* path, bool* alpha);
  // A premultiplied 32-bpp copy; when every alpha byte is 255 the bits stay as they are and
  // *alpha is false.
  static HBITMAP CreatePremultipliedBitmap(HBITMAP source, bool* alpha);
  static SIZE GetIconSize(HICON icon);
  static HICON CreateScaledIcon(HICON icon, int from, int height, int to);

 private:
  friend class CTKImageManagerIcon;

  // An image list kept as a record, with the icons made from it on request.
  struct CImageListRecord {
    CImageListRecord() = default;
    ~CImageListRecord();
    CImageListRecord(const CImageListRecord&) = delete;
    CImageListRecord& operator=(const CImageListRecord&) = delete;
    HIMAGELIST list = nullptr;  // owned: a duplicate of the application's
    std::vector<UINT> ids;
    int width = 0, height = 0;
    std::map<UINT, std::unique_ptr<CTKImageManagerIconSet>> made;
  };
  CImageListRecord* FindImageList(UINT id, int* index);

  std::map<UINT, std::unique_ptr<CTKImageManagerIconSet>> sets_;
  std::vector<std::unique_ptr<CImageListRecord>> lists_;
  COLORREF disabled_light_ = CLR_INVALID, disabled_dark_ = CLR_INVALID;
  UINT highest_id_ = 0;
  KestrinWinNS::CScopedLibrary msimg32_;
  AlphaBlendFn alpha_blend_ = nullptr;
  TransparentBltFn transparent_blt_ = nullptr;
  int rtl_mode_ = 2;
  COLORREF mask_color_ = CLR_INVALID;
};

// Pixels of a bitmap as 32-bit top-down BGRA, and back.
bool ReadBitmapPixels(HBITMAP bitmap, std::vector<DWORD>* pixels, int* width, int* height);
HBITMAP MakeDibSection(int width, int height, const DWORD* pixels);
