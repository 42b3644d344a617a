#include "toolkit/drawing/image_manager.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "toolkit/drawing/color_manager.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/png_bitmap.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/drawing/system_helpers.h"

IMPLEMENT_DYNAMIC(CTKImageManagerIcon, CCmdTarget)
IMPLEMENT_DYNAMIC(CTKImageManagerIconSet, CCmdTarget)
IMPLEMENT_DYNAMIC(CTKImageManager, CCmdTarget)

// ---- pixels ----

bool ReadBitmapPixels(HBITMAP bitmap, std::vector<DWORD>* pixels, int* width, int* height) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  pixels->assign(static_cast<size_t>(bm.bmWidth) * bm.bmHeight, 0);
  const int rows = GetDIBits(KestrinWinNS::CScopedClientDC(nullptr).Get(), bitmap, 0, bm.bmHeight, pixels->data(), &bi,
                             DIB_RGB_COLORS);
  *width = bm.bmWidth;
  *height = bm.bmHeight;
  return rows == bm.bmHeight;
}

HBITMAP MakeDibSection(int width, int height, const DWORD* pixels) {
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap dib = KestrinWinNS::CreateDib32(width, height, &bits);
  if (bits && pixels) std::memcpy(bits, pixels, static_cast<size_t>(width) * height * 4);
  return dib.Take();
}

namespace {

inline int A(DWORD p) { return p >> 24; }
inline int R(DWORD p) { return (p >> 16) & 0xFF; }
inline int G(DWORD p) { return (p >> 8) & 0xFF; }
inline int B(DWORD p) { return p & 0xFF; }
inline DWORD Pack(int a, int r, int g, int b) {
  return (DWORD(a) << 24) | (DWORD(r) << 16) | (DWORD(g) << 8) | DWORD(b);
}

// A change of colour applied to one unpremultiplied pixel.
using PixelFn = DWORD (*)(DWORD pixel, const void* context);

// Applies fn to every pixel of a premultiplied alpha bitmap (through its straight colours).
HBITMAP TransformAlphaBitmap(HBITMAP source, PixelFn fn, const void* context) {
  std::vector<DWORD> px;
  int w = 0, h = 0;
  if (!ReadBitmapPixels(source, &px, &w, &h)) return nullptr;
  for (DWORD& p : px) {
    const int a = A(p);
    if (a == 0) continue;
    const DWORD straight = Pack(a, std::min(R(p) * 255 / a, 255), std::min(G(p) * 255 / a, 255),
                                std::min(B(p) * 255 / a, 255));
    const DWORD c = fn(straight, context);
    p = Pack(a, R(c) * a / 255, G(c) * a / 255, B(c) * a / 255);
  }
  return MakeDibSection(w, h, px.data());
}

// Applies fn to every pixel of an icon whose mask is 0.
HICON TransformIcon(HICON icon, PixelFn fn, const void* context) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return nullptr;
  KestrinWinNS::CScopedBitmap info_color(info.hbmColor), info_mask(info.hbmMask);  // ours to delete
  HICON result = nullptr;
  std::vector<DWORD> color, mask;
  int w = 0, h = 0, mw = 0, mh = 0;
  if (info.hbmColor && ReadBitmapPixels(info.hbmColor, &color, &w, &h) &&
      ReadBitmapPixels(info.hbmMask, &mask, &mw, &mh) && mw == w && mh >= h) {
    for (size_t i = 0; i < color.size(); ++i)
      if ((mask[i] & 0xFFFFFF) == 0) color[i] = (color[i] & 0xFF000000) | (fn(color[i], context) & 0xFFFFFF);
    KestrinWinNS::CScopedBitmap new_color(MakeDibSection(w, h, color.data()));
    ICONINFO out = info;
    out.hbmColor = new_color.Get();
    result = CreateIconIndirect(&out);
  }
  return result;
}

CTKIconImage Transform(const CTKIconImage& image, PixelFn fn, const void* context) {
  if (image.IsAlpha()) return CTKIconImage(nullptr, TransformAlphaBitmap(image.Bitmap(), fn, context));
  if (image.Icon()) return CTKIconImage(TransformIcon(image.Icon(), fn, context), nullptr);
  return CTKIconImage();
}

struct DisabledColors {
  COLORREF light, dark;
};

DWORD Disabled(DWORD p, const void* context) {
  const auto* c = static_cast<const DisabledColors*>(context);
  const double l = (0.114 * B(p) + 0.587 * G(p) + 0.299 * R(p)) / 255.0;
  if (c->light != CLR_INVALID && c->dark != CLR_INVALID) {
    auto mix = [l](int light, int dark) { return static_cast<int>((1.0 - l) * dark + l * light); };
    return Pack(A(p), mix(GetRValue(c->light), GetRValue(c->dark)), mix(GetGValue(c->light), GetGValue(c->dark)),
                mix(GetBValue(c->light), GetBValue(c->dark)));
  }
  const int grey = static_cast<int>(std::sqrt(l) * 255.0);
  return Pack(A(p), grey, grey, grey);
}

DWORD Faded(DWORD p, const void*) {
  // In integers: the same result whatever precision the compiler keeps floating values in.
  auto fade = [](int c) { return (3 * 255 + 7 * c) / 10; };
  return Pack(A(p), fade(R(p)), fade(G(p)), fade(B(p)));
}

DWORD OneColour(DWORD p, const void* context) {
  const COLORREF c = *static_cast<const COLORREF*>(context);
  return Pack(A(p), GetRValue(c), GetGValue(c), GetBValue(c));
}

DWORD Unchanged(DWORD p, const void*) { return p; }

}  // namespace

// ---- images ----

CTKIconImage::CTKIconImage(HICON icon, HBITMAP bitmap, bool owns) : icon_(icon), bitmap_(bitmap) {
  if (owns) {
    owned_icon_.Reset(icon);
    owned_bitmap_.Reset(bitmap);
  }
}

CTKIconImage& CTKIconImage::operator=(CTKIconImage&& other) noexcept {
  if (this != &other) {
    owned_icon_ = std::move(other.owned_icon_);
    owned_bitmap_ = std::move(other.owned_bitmap_);
    icon_ = std::exchange(other.icon_, nullptr);
    bitmap_ = std::exchange(other.bitmap_, nullptr);
  }
  return *this;
}

void CTKIconImage::Clear() {
  owned_icon_.Reset();
  owned_bitmap_.Reset();
  icon_ = nullptr;
  bitmap_ = nullptr;
}

SIZE CTKIconImage::Size() const {
  if (bitmap_) {
    BITMAP bm{};
    GetObjectW(bitmap_, sizeof(bm), &bm);
    return SIZE{bm.bmWidth, bm.bmHeight};
  }
  return icon_ ? CTKImageManager::GetIconSize(icon_) : SIZE{0, 0};
}

void CTKImageManagerIcon::SetImage(CTKIconImage image, int state) {
  if (state < kNormal || state > kPressed) return;
  if (state == kNormal) {
    for (CTKIconImage& i : images_) i.Clear();
    const SIZE size = image.Size();
    if (size.cx > 0) width_ = size.cx;
    if (size.cy > 0) height_ = size.cy;
    scaled_ = false;
  }
  ResetDerivedImages();
  images_[state] = std::move(image);
}

void CTKImageManagerIcon::ResetDerivedImages() {
  generated_disabled_.Clear();
  faded_.Clear();
  shadow_.Clear();
}

const CTKIconImage& CTKImageManagerIcon::GetImageOfState(int state) {
  switch (state) {
    case kHot:
      return images_[kHot].IsEmpty() ? images_[kNormal] : images_[kHot];
    case kChecked:
    case kPressed:
      if (!images_[state].IsEmpty()) return images_[state];
      return GetImageOfState(kHot);
    case kDisabled:
      if (!images_[kDisabled].IsEmpty()) return images_[kDisabled];
      if (generated_disabled_.IsEmpty()) {
        CTKImageManager* manager = owner_ ? owner_->Owner() : nullptr;
        const DisabledColors colors{manager ? manager->DisabledLight() : CLR_INVALID,
                                    manager ? manager->DisabledDark() : CLR_INVALID};
        generated_disabled_ = Transform(images_[kNormal], &Disabled, &colors);
      }
      return generated_disabled_;
    default:
      return images_[kNormal];
  }
}

const CTKIconImage& CTKImageManagerIcon::GetFadedImage() {
  if (faded_.IsEmpty()) {
    const bool low = GetColorManagerInstance().IsLowColorDisplay();
    faded_ = Transform(images_[kNormal], low ? &Unchanged : &Faded, nullptr);
  }
  return faded_;
}

const CTKIconImage& CTKImageManagerIcon::GetShadowImage() {
  if (shadow_.IsEmpty()) {
    const COLORREF c31 = GetColorManagerInstance().ColorByIndex(31);
    const COLORREF shade = RGB(static_cast<int>(GetRValue(c31) * 0.75), static_cast<int>(GetGValue(c31) * 0.75),
                               static_cast<int>(GetBValue(c31) * 0.75));
    shadow_ = Transform(images_[kNormal], &OneColour, &shade);
  }
  return shadow_;
}

// ---- icon sets ----

CTKImageManagerIcon* CTKImageManagerIconSet::GetIcon(int width, bool nearest) {
  if (width == 0 || width == 1) {
    CTKImageManagerIcon* found = nullptr;
    for (auto& [w, icon] : icons_) {
      if (icon->IsScaled()) continue;
      if (!found || (width == 0 ? w < found->Width() : w > found->Width())) found = icon.get();
    }
    return found;
  }
  auto it = icons_.find(width);
  if (it != icons_.end()) return it->second.get();
  if (!nearest) return nullptr;
  CTKImageManagerIcon* best = nullptr;
  int best_diff = 0;
  for (auto& [w, icon] : icons_) {
    const int diff = std::abs(w - width);
    if (!best || diff < best_diff) {
      best = icon.get();
      best_diff = diff;
    }
  }
  return best;
}

CTKImageManagerIcon* CTKImageManagerIconSet::GetOrCreateIcon(int width, int height) {
  auto& slot = icons_[width];
  if (!slot) slot = std::make_unique<CTKImageManagerIcon>(id_, width, height, this);
  return slot.get();
}

void CTKImageManagerIconSet::RemoveScaledIcons() {
  for (auto it = icons_.begin(); it != icons_.end();) it = it->second->IsScaled() ? icons_.erase(it) : std::next(it);
}

void CTKImageManagerIconSet::ResetDerivedImages() {
  for (auto& entry : icons_) entry.second->ResetDerivedImages();
}

// ---- manager ----

CTKImageManager::CTKImageManager() : msimg32_(LoadLibraryW(L"msimg32.dll")) {
  if (msimg32_) {
    alpha_blend_ = reinterpret_cast<AlphaBlendFn>(GetProcAddress(msimg32_.Get(), "AlphaBlend"));
    transparent_blt_ = reinterpret_cast<TransparentBltFn>(GetProcAddress(msimg32_.Get(), "TransparentBlt"));
  }
}

CTKImageManager::~CTKImageManager() {
  sets_.clear();
  lists_.clear();
}

CTKImageManager& CTKImageManager::Instance() {
  static CTKImageManager manager;
  return manager;
}

SIZE CTKImageManager::GetIconSize(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return SIZE{0, 0};
  KestrinWinNS::CScopedBitmap info_color(info.hbmColor), info_mask(info.hbmMask);  // ours to delete
  BITMAP bm{};
  GetObjectW(info.hbmMask, sizeof(bm), &bm);
  SIZE size{bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
  return size;
}

CTKImageManagerIconSet* CTKImageManager::GetIconSet(UINT id) {
  auto it = sets_.find(id);
  return it == sets_.end() ? nullptr : it->second.get();
}

namespace {
void EnterImage(CTKImageManager* manager, std::map<UINT, std::unique_ptr<CTKImageManagerIconSet>>& sets,
                UINT* highest, UINT id, int width, int height, CTKIconImage image, int state) {
  auto& set = sets[id];
  if (!set) set = std::make_unique<CTKImageManagerIconSet>(id, manager);
  CTKImageManagerIcon* icon = set->GetOrCreateIcon(width, height);
  icon->SetImage(std::move(image), state);
  if (state == CTKImageManagerIcon::kNormal) {
    set->RemoveScaledIcons();
    set->ResetDerivedImages();
  }
  *highest = std::max(*highest, id);
}
}  // namespace

bool CTKImageManager::AddIconImage(HICON icon, UINT id, int width, int height, int state) {
  if (!icon) return false;
  if (width <= 0 && height <= 0) {
    const SIZE size = GetIconSize(icon);
    width = size.cx;
    height = size.cy;
  }
  if (width <= 0 && height <= 0) return false;
  EnterImage(this, sets_, &highest_id_, id, width, height, CTKIconImage(CopyIcon(icon), nullptr), state);
  return true;
}

bool CTKImageManager::AddAlphaImage(HBITMAP premultiplied, UINT id, int state) {
  BITMAP bm{};
  if (!premultiplied || !GetObjectW(premultiplied, sizeof(bm), &bm)) return false;
  EnterImage(this, sets_, &highest_id_, id, bm.bmWidth, bm.bmHeight, CTKIconImage(nullptr, premultiplied), state);
  return true;
}

bool CTKImageManager::SetIconsFromBitmap(HBITMAP bitmap, bool alpha, const UINT* ids, int count, SIZE size,
                                         int state) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0) return false;
  int width = size.cx, height = size.cy;
  if (width <= 0) {
    if (count <= 0) return false;
    width = bm.bmWidth / count;
    height = bm.bmHeight;
  } else if (count <= 0) {
    count = bm.bmWidth / width;
  }
  if (height <= 0) height = bm.bmHeight;
  if (width <= 0 || count <= 0) return false;
  const int images = bm.bmWidth / width;
  auto id_at = [&](int i) -> UINT { return ids ? ids[i] : static_cast<UINT>(i); };
  if (alpha) {
    if (bm.bmWidth % width != 0) return false;
    std::vector<DWORD> px;
    int w = 0, h = 0;
    if (!ReadBitmapPixels(bitmap, &px, &w, &h)) return false;
    height = std::min(height, h);
    std::vector<DWORD> part(static_cast<size_t>(width) * height);
    for (int i = 0; i < std::min(count, images); ++i) {
      if (ids && id_at(i) == 0 && count != images) continue;
      for (int y = 0; y < height; ++y)
        std::memcpy(&part[static_cast<size_t>(y) * width], &px[static_cast<size_t>(y) * w + i * width], width * 4);
      AddAlphaImage(MakeDibSection(width, height, part.data()), id_at(i), state);
    }
    return true;
  }
  // Without alpha: through a masked image list, the mask colour the manager's or the top-left
  // pixel's.
  HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, images, 0);
  if (!list) return false;
  COLORREF mask = mask_color_;
  if (mask == CLR_INVALID) {
    KestrinWinNS::CBitmapDC dc(nullptr, bitmap);
    mask = GetPixel(dc.Get(), 0, 0);
  }
  ImageList_AddMasked(list, bitmap, mask);
  const bool ok = AddImageListIcons(list, ids, count, SIZE{width, height}, state);
  ImageList_Destroy(list);
  return ok;
}

bool CTKImageManager::AddImageListIcons(HIMAGELIST list, const UINT* ids, int count, SIZE size, int state) {
  if (!list) return false;
  const int images = ImageList_GetImageCount(list);
  if (size.cx <= 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    size = SIZE{cx, cy};
  }
  for (int i = 0; i < std::min(count, images); ++i) {
    const UINT id = ids ? ids[i] : static_cast<UINT>(i);
    if (ids && id == 0 && images != count) continue;
    KestrinWinNS::CScopedIcon icon(ImageList_GetIcon(list, i, ILD_NORMAL));
    if (!icon) continue;
    AddIconImage(icon.Get(), id, size.cx, size.cy, state);
  }
  return true;
}

bool CTKImageManager::SetIconsFromBitmapId(HMODULE module, const wchar_t* name, const UINT* ids, int count, SIZE size,
                                           int state) {
  bool alpha = false;
  KestrinWinNS::CScopedBitmap bitmap(LoadBitmapFromResource(module, name, &alpha));
  if (!bitmap) return false;
  return SetIconsFromBitmap(bitmap.Get(), alpha, ids, count, size, state);
}

namespace {
const UINT kNoImage = 0xFFFFFFFFu;  // an image list position without an id
}  // namespace

CTKImageManager::CImageListRecord::~CImageListRecord() {
  made.clear();
  if (list) ImageList_Destroy(list);
}

bool CTKImageManager::AddImageList(HIMAGELIST list, const UINT* ids, int count) {
  if (!list) return false;
  auto record = std::make_unique<CImageListRecord>();
  record->list = ImageList_Duplicate(list);
  if (!record->list) return false;
  ImageList_GetIconSize(record->list, &record->width, &record->height);
  const int images = ImageList_GetImageCount(record->list);
  const int n = ids ? std::min(count, images) : images;
  // As for the icons taken from a list: an id 0 is no image unless the list holds one image
  // for every id.
  const bool zero_skips = ids && images != count;
  for (int i = 0; i < n; ++i) {
    const UINT id = ids ? ids[i] : static_cast<UINT>(i);
    record->ids.push_back(zero_skips && id == 0 ? kNoImage : id);
  }
  lists_.push_back(std::move(record));
  return true;
}

CTKImageManager::CImageListRecord* CTKImageManager::FindImageList(UINT id, int* index) {
  // The latest list first: a list added later stands in for an earlier one.
  for (auto it = lists_.rbegin(); it != lists_.rend(); ++it) {
    const std::vector<UINT>& ids = (*it)->ids;
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] != id) continue;
      *index = static_cast<int>(i);
      return it->get();
    }
  }
  return nullptr;
}

CTKImageManagerIcon* CTKImageManager::GetImage(UINT id, int width) {
  if (id == kNoImage) return nullptr;
  if (CTKImageManagerIconSet* set = GetIconSet(id)) {
    if (CTKImageManagerIcon* icon = set->GetIcon(width, true)) return icon;
  }
  int index = 0;
  CImageListRecord* record = FindImageList(id, &index);
  if (!record) return nullptr;
  std::unique_ptr<CTKImageManagerIconSet>& made = record->made[id];
  if (!made) {
    HICON icon = ImageList_GetIcon(record->list, index, ILD_NORMAL);
    if (!icon) return nullptr;
    made = std::make_unique<CTKImageManagerIconSet>(id, this);
    made->GetOrCreateIcon(record->width, record->height)->SetImage(CTKIconImage(icon, nullptr), CTKImageManagerIcon::kNormal);
  }
  return made->GetIcon(record->width, true);
}

bool CTKImageManager::ContainsIcon(UINT id, int width) {
  if (CTKImageManagerIconSet* set = GetIconSet(id)) {
    CTKImageManagerIcon* icon = set->GetIcon(width, false);
    if (icon && !icon->IsScaled()) return true;
  }
  int index = 0;
  CImageListRecord* record = FindImageList(id, &index);
  return record && (width == 0 || width == 1 || width == record->width);
}

void CTKImageManager::SetDisabledColors(COLORREF light, COLORREF dark) {
  disabled_light_ = light;
  disabled_dark_ = dark;
  ResetDerivedImages();
}

void CTKImageManager::ResetDerivedImages() {
  for (auto& entry : sets_) entry.second->ResetDerivedImages();
  for (auto& record : lists_)
    for (auto& entry : record->made) entry.second->ResetDerivedImages();
}

void CTKImageManager::RemoveAll() {
  sets_.clear();
  lists_.clear();
}

HICON CTKImageManager::CreateScaledIcon(HICON icon, int from, int height, int to) {
  if (!icon) return nullptr;
  if (from == to) return CopyIcon(icon);
  HIMAGELIST list = ImageList_Create(to, MulDiv(height, to, from), ILC_COLOR32 | ILC_MASK, 1, 0);
  if (!list) return nullptr;
  HICON scaled = nullptr;
  if (ImageList_AddIcon(list, icon) >= 0) scaled = ImageList_GetIcon(list, 0, ILD_NORMAL);
  ImageList_Destroy(list);
  return scaled;
}

// ---- loading ----

bool CTKImageManager::IsPngResource(HMODULE module, const wchar_t* name) {
  HRSRC res = FindResourceW(module, name, L"PNG");
  if (!res || SizeofResource(module, res) < 4) return false;
  HGLOBAL data = LoadResource(module, res);
  const auto* bytes = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
  return bytes && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
}

HBITMAP CTKImageManager::CreatePremultipliedBitmap(HBITMAP source, bool* alpha) {
  std::vector<DWORD> px;
  int w = 0, h = 0;
  if (alpha) *alpha = false;
  if (!ReadBitmapPixels(source, &px, &w, &h)) return nullptr;
  const bool opaque = std::all_of(px.begin(), px.end(), [](DWORD p) { return A(p) == 255; });
  if (!opaque) {
    for (DWORD& p : px) {
      const int a = A(p);
      p = Pack(a, R(p) * a / 255, G(p) * a / 255, B(p) * a / 255);
    }
  }
  if (alpha) *alpha = !opaque;
  return MakeDibSection(w, h, px.data());
}

namespace {
HBITMAP FromPng(CTKGraphicBitmapPng& png, bool* alpha) {
  if (!png.IsAlpha()) {
    *alpha = false;
    return png.Detach();
  }
  HBITMAP result = CTKImageManager::CreatePremultipliedBitmap(png.GetSafeHandle(), alpha);
  png.DeleteObject();
  return result;
}

HBITMAP From32Bit(HBITMAP loaded, bool* alpha) {
  KestrinWinNS::CScopedBitmap owned(loaded);
  BITMAP bm{};
  GetObjectW(loaded, sizeof(bm), &bm);
  if (bm.bmBitsPixel != 32) {
    *alpha = false;
    return owned.Take();
  }
  return CTKImageManager::CreatePremultipliedBitmap(loaded, alpha);
}
}  // namespace

HBITMAP CTKImageManager::LoadBitmapFromResource(HMODULE module, const wchar_t* name, bool* alpha) {
  bool dummy = false;
  if (!alpha) alpha = &dummy;
  *alpha = false;
  if (IsPngResource(module, name)) {
    CTKGraphicBitmapPng png;
    if (!png.ReadPngResource(module, FindResourceW(module, name, L"PNG"))) return nullptr;
    return FromPng(png, alpha);
  }
  HRSRC res = FindResourceW(module, name, MAKEINTRESOURCEW(2));
  if (!res) return nullptr;
  HGLOBAL data = LoadResource(module, res);
  const auto* header = data ? static_cast<const BITMAPINFOHEADER*>(LockResource(data)) : nullptr;
  if (header && SizeofResource(module, res) >= sizeof(BITMAPINFOHEADER) && header->biBitCount == 32) {
    HBITMAP dib = static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return dib ? From32Bit(dib, alpha) : nullptr;
  }
  return static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, 0));
}

HBITMAP CTKImageManager::LoadBitmapFromFile(const wchar_t* path, bool* alpha) {
  bool dummy = false;
  if (!alpha) alpha = &dummy;
  *alpha = false;
  CTKFileReadStream file(path);
  if (!file.IsOpen()) return nullptr;
  BYTE signature[8] = {};
  const bool png_file = file.Read(signature, 8) == 8 && signature[0] == 0x89 && signature[1] == 'P' &&
                        signature[2] == 'N' && signature[3] == 'G';
  if (png_file) {
    CTKGraphicBitmapPng png;
    if (!png.ReadPngFile(path)) return nullptr;
    return FromPng(png, alpha);
  }
  HBITMAP loaded =
      static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  return loaded ? From32Bit(loaded, alpha) : nullptr;
}

// ---- drawing ----

bool CTKImageManager::AlphaCopy(HDC dest, const RECT& d, HDC src, const RECT& s) {
  const int dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return false;
  if (alpha_blend_ && (GetWindowsVersionInfo().IsWindows2000OrLater() || (s.left == 0 && s.top == 0))) {
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return alpha_blend_(dest, d.left, d.top, dw, dh, src, s.left, s.top, sw, sh, bf) != FALSE;
  }
  // In software: the source stretched into one DIB, the destination copied into another.
  std::vector<DWORD> sp(static_cast<size_t>(dw) * dh), dp(static_cast<size_t>(dw) * dh);
  KestrinWinNS::CScopedBitmap sbm(MakeDibSection(dw, dh, nullptr)), dbm(MakeDibSection(dw, dh, nullptr));
  KestrinWinNS::CScopedMemoryDC mem = KestrinWinNS::CreateMemoryDC(dest);
  bool ok = false;
  if (sbm && dbm && mem) {
    {
      KestrinWinNS::CSelectObject select(mem.Get(), sbm.Get());
      SetStretchBltMode(mem.Get(), COLORONCOLOR);
      StretchBlt(mem.Get(), 0, 0, dw, dh, src, s.left, s.top, sw, sh, SRCCOPY);
    }
    {
      KestrinWinNS::CSelectObject select(mem.Get(), dbm.Get());
      BitBlt(mem.Get(), 0, 0, dw, dh, dest, d.left, d.top, SRCCOPY);
    }
    int w = 0, h = 0;
    if (ReadBitmapPixels(sbm.Get(), &sp, &w, &h) && ReadBitmapPixels(dbm.Get(), &dp, &w, &h)) {
      for (size_t i = 0; i < dp.size(); ++i) {
        const int inv = 255 - A(sp[i]);
        dp[i] = Pack(0, std::min(R(sp[i]) + R(dp[i]) * inv / 255, 255), std::min(G(sp[i]) + G(dp[i]) * inv / 255, 255),
                     std::min(B(sp[i]) + B(dp[i]) * inv / 255, 255));
      }
      KestrinWinNS::CScopedBitmap result(MakeDibSection(dw, dh, dp.data()));
      KestrinWinNS::CSelectObject select(mem.Get(), result.Get());
      ok = BitBlt(dest, d.left, d.top, dw, dh, mem.Get(), 0, 0, SRCCOPY) != FALSE;
    }
  }
  return ok;
}

void CTKImageManager::DrawTransparent(HDC dest, const RECT& d, HDC src, const RECT& s, COLORREF key) {
  const int dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (transparent_blt_ && GetWindowsVersionInfo().IsWindows2000OrLater()) {
    transparent_blt_(dest, d.left, d.top, dw, dh, src, s.left, s.top, sw, sh, key);
    return;
  }
  // A monochrome mask of the key colour: the destination keeps its pixels where the key is.
  KestrinWinNS::CScopedBitmap mask(CreateBitmap(sw, sh, 1, 1, nullptr));
  KestrinWinNS::CBitmapDC mask_dc(dest, mask.Get());
  const COLORREF old_bk = SetBkColor(src, key);
  BitBlt(mask_dc.Get(), 0, 0, sw, sh, src, s.left, s.top, SRCCOPY);
  SetBkColor(src, old_bk);
  // The source with the key's pixels black.
  KestrinWinNS::CScopedBitmap img(CreateCompatibleBitmap(dest, sw, sh));
  KestrinWinNS::CBitmapDC img_dc(dest, img.Get());
  BitBlt(img_dc.Get(), 0, 0, sw, sh, src, s.left, s.top, SRCCOPY);
  const COLORREF old_text = SetTextColor(img_dc.Get(), RGB(255, 255, 255));
  const COLORREF old_img_bk = SetBkColor(img_dc.Get(), RGB(0, 0, 0));
  BitBlt(img_dc.Get(), 0, 0, sw, sh, mask_dc.Get(), 0, 0, SRCAND);  // key pixels black
  SetTextColor(img_dc.Get(), old_text);
  SetBkColor(img_dc.Get(), old_img_bk);
  const COLORREF dest_text = SetTextColor(dest, RGB(0, 0, 0));
  const COLORREF dest_bk = SetBkColor(dest, RGB(255, 255, 255));
  SetStretchBltMode(dest, COLORONCOLOR);
  if (dw == sw && dh == sh) {
    BitBlt(dest, d.left, d.top, dw, dh, mask_dc.Get(), 0, 0, SRCAND);
    BitBlt(dest, d.left, d.top, dw, dh, img_dc.Get(), 0, 0, SRCPAINT);
  } else {
    StretchBlt(dest, d.left, d.top, dw, dh, mask_dc.Get(), 0, 0, sw, sh, SRCAND);
    StretchBlt(dest, d.left, d.top, dw, dh, img_dc.Get(), 0, 0, sw, sh, SRCPAINT);
  }
  SetTextColor(dest, dest_text);
  SetBkColor(dest, dest_bk);
}

namespace {
// A copy of a bitmap's pixels mirrored left to right.
HBITMAP MirroredCopy(HBITMAP bitmap) {
  std::vector<DWORD> px;
  int w = 0, h = 0;
  if (!ReadBitmapPixels(bitmap, &px, &w, &h)) return nullptr;
  for (int y = 0; y < h; ++y) std::reverse(px.begin() + static_cast<size_t>(y) * w, px.begin() + static_cast<size_t>(y + 1) * w);
  return MakeDibSection(w, h, px.data());
}
}  // namespace

void CTKImageManager::DrawImage(HDC dc, int x, int y, CTKImageManagerIcon* icon, const CTKIconImage& image, int width,
                                int height) {
  if (!icon || image.IsEmpty()) return;
  if (width == 0) width = icon->Width();
  if (height == 0) height = icon->Width() ? width * icon->Height() / icon->Width() : icon->Height();
  if (width <= 0 || height <= 0) return;
  const bool mirror = rtl_mode_ == 1 || (rtl_mode_ == 2 && CTKDrawHelpers::IsDCRightToLeft(dc));

  if (image.IsAlpha()) {
    // Only a bitmap's size is wanted here: an icon's would cost a copy of its bitmaps.
    const SIZE source = image.Size();
    KestrinWinNS::CScopedBitmap mirrored(mirror ? MirroredCopy(image.Bitmap()) : nullptr);
    KestrinWinNS::CBitmapDC mem(dc, mirrored ? mirrored.Get() : image.Bitmap());
    RECT s{0, 0, source.cx, source.cy};
    RECT d{x, y, x + width, y + height};
    if (y < 0 && height == icon->Height()) {  // rows above the DC are cut off first
      s.top = -y;
      d.top = 0;
    }
    if (d.bottom > d.top) AlphaCopy(dc, d, mem.Get(), s);
    return;
  }

  HICON hicon = image.Icon();
  if (icon->DrawThroughAlpha()) {
    // Onto magenta; what stays magenta becomes transparent, the rest opaque.
    std::vector<DWORD> px(static_cast<size_t>(width) * height, 0x00FF00FF);
    KestrinWinNS::CScopedBitmap canvas(MakeDibSection(width, height, px.data()));
    KestrinWinNS::CScopedMemoryDC mem = KestrinWinNS::CreateMemoryDC(dc);
    {
      KestrinWinNS::CSelectObject select(mem.Get(), canvas.Get());
      DrawIconEx(mem.Get(), 0, 0, hicon, width, height, 0, nullptr, DI_NORMAL);
    }
    int w = 0, h = 0;
    ReadBitmapPixels(canvas.Get(), &px, &w, &h);
    for (DWORD& p : px) p = (p & 0xFFFFFF) == 0xFF00FF ? 0 : (p | 0xFF000000);
    if (mirror)
      for (int row = 0; row < h; ++row) std::reverse(px.begin() + static_cast<size_t>(row) * w, px.begin() + static_cast<size_t>(row + 1) * w);
    KestrinWinNS::CScopedBitmap ready(MakeDibSection(w, h, px.data()));
    KestrinWinNS::CSelectObject select(mem.Get(), ready.Get());
    AlphaCopy(dc, RECT{x, y, x + width, y + height}, mem.Get(), RECT{0, 0, width, height});
    return;
  }
  if (!mirror) {
    DrawIconEx(dc, x, y, hicon, width, height, 0, nullptr, DI_NORMAL);
    return;
  }
  // Mirrored: the destination's pixels are turned round, the icon drawn, and turned back.
  KestrinWinNS::CScopedBitmap temp(MakeDibSection(width, height, nullptr));
  KestrinWinNS::CBitmapDC mem(dc, temp.Get());
  StretchBlt(mem.Get(), width - 1, 0, -width, height, dc, x, y, width, height, SRCCOPY);
  DrawIconEx(mem.Get(), 0, 0, hicon, width, height, 0, nullptr, DI_NORMAL);
  StretchBlt(dc, x + width - 1, y, -width, height, mem.Get(), 0, 0, width, height, SRCCOPY);
}

void CTKImageManager::DrawSilhouette(HDC dc, int x, int y, const CTKIconImage& image, int width, int height,
                                     COLORREF color) {
  if (image.IsEmpty() || width <= 0 || height <= 0) return;
  // The image on white, then drawn as a one-colour shape.
  KestrinWinNS::CScopedBitmap mono(CreateCompatibleBitmap(dc, width, height));
  {
    KestrinWinNS::CBitmapDC mem(dc, mono.Get());
    CTKDrawHelpers::FillSolidRect(mem.Get(), RECT{0, 0, width, height}, RGB(255, 255, 255));
    if (image.IsAlpha()) {
      KestrinWinNS::CBitmapDC src(dc, image.Bitmap());
      const SIZE s = image.Size();
      AlphaCopy(mem.Get(), RECT{0, 0, width, height}, src.Get(), RECT{0, 0, s.cx, s.cy});
    } else {
      DrawIconEx(mem.Get(), 0, 0, image.Icon(), width, height, 0, nullptr, DI_NORMAL);
    }
  }
  KestrinWinNS::CScopedBrush brush(CreateSolidBrush(color));
  DrawStateW(dc, brush.Get(), nullptr, reinterpret_cast<LPARAM>(mono.Get()), 0, x, y, width, height,
             DST_BITMAP | DSS_MONO);
}

// ---- stored form ----

namespace {

const int kMaxStoredSide = 4096;
const wchar_t kCheckSum[] = L"CTKImageManagerIcons";

void WriteEmptyBlock(CArchive& ar) { ar.WriteCount(0); }

// One bitmap as its BITMAPINFO (header as GetDIBits reports it, then 16, 256 or 3 colour
// entries) and its bits, each with a count before it.
void WriteBitmapBlock(CArchive& ar, HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm)) {
    WriteEmptyBlock(ar);
    return;
  }
  const int entries = bm.bmBitsPixel == 4 ? 16 : (bm.bmBitsPixel == 8 ? 256 : 3);
  std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD), 0);
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  KestrinWinNS::CScopedClientDC screen(nullptr);
  GetDIBits(screen.Get(), bitmap, 0, bm.bmHeight, nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
  DWORD bits_size = header->biSizeImage;
  if (bits_size == 0) bits_size = static_cast<DWORD>(bm.bmWidth) * bm.bmHeight * 4;
  std::vector<BYTE> bits(bits_size, 0);
  GetDIBits(screen.Get(), bitmap, 0, bm.bmHeight, bits.data(), reinterpret_cast<BITMAPINFO*>(info.data()),
            DIB_RGB_COLORS);
  ar.WriteCount(info.size());
  ar.Write(info.data(), static_cast<UINT>(info.size()));
  ar.WriteCount(bits.size());
  ar.Write(bits.data(), static_cast<UINT>(bits.size()));
}

ULONGLONG Remaining(CArchive& ar) {
  CFile* file = ar.GetFile();
  if (!file) return 0;
  const ULONGLONG length = file->GetLength(), position = file->GetPosition();
  return length > position ? length - position : 0;
}

[[noreturn]] void BadData() { throw CArchiveException(CArchiveException::badIndex); }

// The bitmap of a block, or NULL for an empty block. Sizes and counts come from the data:
// they are checked before anything is allocated.
HBITMAP ReadBitmapBlock(CArchive& ar) {
  const DWORD_PTR info_size = ar.ReadCount();
  if (info_size == 0) return nullptr;
  if (info_size < sizeof(BITMAPINFOHEADER) || info_size > sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) ||
      info_size > Remaining(ar))
    BadData();
  std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  if (ar.Read(info.data(), static_cast<UINT>(info_size)) != info_size) BadData();
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  const LONG width = header->biWidth, height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  const WORD bpp = header->biBitCount;
  if (header->biSize != sizeof(BITMAPINFOHEADER) || width <= 0 || width > kMaxStoredSide || height <= 0 ||
      height > kMaxStoredSide || header->biPlanes != 1 ||
      (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
    BadData();
  const DWORD_PTR bits_size = ar.ReadCount();
  if (bits_size > Remaining(ar)) BadData();
  if (header->biSizeImage == 0) header->biSizeImage = static_cast<DWORD>(bits_size);
  std::vector<BYTE> stored(bits_size);
  if (bits_size && ar.Read(stored.data(), static_cast<UINT>(bits_size)) != bits_size) BadData();
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap dib(
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return nullptr;
  const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  const size_t capacity = stride * static_cast<size_t>(height);
  std::memcpy(bits, stored.data(), std::min<size_t>(capacity, stored.size()));
  return dib.Take();
}

void WriteImage(CArchive& ar, const CTKIconImage& image) {
  if (image.IsAlpha()) {
    WriteBitmapBlock(ar, image.Bitmap());
    WriteEmptyBlock(ar);
  } else if (image.Icon()) {
    ICONINFO info{};
    if (GetIconInfo(image.Icon(), &info)) {
      KestrinWinNS::CScopedBitmap info_color(info.hbmColor), info_mask(info.hbmMask);  // ours to delete
      WriteBitmapBlock(ar, info.hbmColor);
      WriteBitmapBlock(ar, info.hbmMask);
    } else {
      WriteEmptyBlock(ar);
      WriteEmptyBlock(ar);
    }
  } else {
    WriteEmptyBlock(ar);
    WriteEmptyBlock(ar);
  }
}

CTKIconImage ReadImage(CArchive& ar) {
  KestrinWinNS::CScopedBitmap color(ReadBitmapBlock(ar));
  KestrinWinNS::CScopedBitmap mask(ReadBitmapBlock(ar));
  if (!color) return CTKIconImage();
  if (!mask) return CTKIconImage(nullptr, color.Take());
  BITMAP bm{};
  GetObjectW(color.Get(), sizeof(bm), &bm);
  HICON icon = nullptr;
  if (HIMAGELIST list = ImageList_Create(bm.bmWidth, bm.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 0)) {
    if (ImageList_Add(list, color.Get(), mask.Get()) >= 0) icon = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ImageList_Destroy(list);
  }
  return CTKIconImage(icon, nullptr);
}

}  // namespace

void CTKImageManagerIcon::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << height_ << static_cast<int>(CTKPropExchange::kCurrentSchema);
    for (int state : {kNormal, kDisabled, kHot, kChecked, kPressed}) WriteImage(ar, images_[state]);
    return;
  }
  int height = 0, schema = 0;
  ar >> height >> schema;
  if (height <= 0 || height > kMaxStoredSide) BadData();
  for (CTKIconImage& image : images_) image.Clear();
  ResetDerivedImages();
  height_ = height;
  images_[kNormal] = ReadImage(ar);
  images_[kDisabled] = ReadImage(ar);
  images_[kHot] = ReadImage(ar);
  if (schema > 7) images_[kChecked] = ReadImage(ar);
  if (schema > 16) images_[kPressed] = ReadImage(ar);
}

void CTKImageManager::ExchangeIconSet(CTKPropExchange* px, UINT id) {
  CString check = kCheckSum;
  PropExchangeString(px, L"CheckSum", &check, kCheckSum);
  if (px->IsLoading() && check != kCheckSum) throw CArchiveException(CArchiveException::badClass);
  std::unique_ptr<CTKPropExchangeEnumerator> icons(px->OpenEnumerator(L"Icon"));
  if (px->IsStoring()) {
    CTKImageManagerIconSet* set = GetIconSet(id);
    std::vector<CTKImageManagerIcon*> stored;
    if (set)
      for (auto& entry : set->icons_)
        if (!entry.second->IsScaled()) stored.push_back(entry.second.get());
    DWORD pos = icons->StartEnumeration(static_cast<DWORD>(stored.size()), true);
    for (CTKImageManagerIcon* icon : stored) {
      CTKPropExchangeSection section(icons->NextSection(pos));
      int width = icon->Width();
      PropExchangeInt(section.get(), L"Width", &width, 16);
      PropExchangeSerializable(section.get(), L"Data", icon);
    }
    return;
  }
  // Read beside the id's icons, which the new set replaces once all of it is read.
  auto set = std::make_unique<CTKImageManagerIconSet>(id, this);
  DWORD pos = icons->StartEnumeration(0, true);
  while (pos) {
    CTKPropExchangeSection section(icons->NextSection(pos));
    if (!section.get()) BadData();
    int width = 16;
    PropExchangeInt(section.get(), L"Width", &width, 16);
    if (width <= 0 || width > kMaxStoredSide) BadData();
    auto icon = std::make_unique<CTKImageManagerIcon>(id, width, 15, set.get());
    if (!PropExchangeSerializable(section.get(), L"Data", icon.get())) BadData();
    set->icons_[width] = std::move(icon);
  }
  sets_[id] = std::move(set);
  highest_id_ = std::max(highest_id_, id);
}

void CTKImageManager::ExchangeAllIcons(CTKPropExchange* px) {
  std::unique_ptr<CTKPropExchangeEnumerator> sets(px->OpenEnumerator(L"IconSet"));
  if (px->IsStoring()) {
    DWORD pos = sets->StartEnumeration(static_cast<DWORD>(sets_.size()), true);
    for (auto& entry : sets_) {
      CTKPropExchangeSection section(sets->NextSection(pos));
      int id = static_cast<int>(entry.first);
      PropExchangeInt(section.get(), L"Id", &id, 0);
      ExchangeIconSet(section.get(), entry.first);
    }
    return;
  }
  RemoveAll();
  DWORD pos = sets->StartEnumeration(0, true);
  while (pos) {
    CTKPropExchangeSection section(sets->NextSection(pos));
    int id = 0;
    PropExchangeInt(section.get(), L"Id", &id, 0);
    ExchangeIconSet(section.get(), static_cast<UINT>(id));
  }
}

void CTKImageManager::Serialize(CArchive& ar) {
  CTKPropExchangeArchive px(ar);
  ExchangeAllIcons(&px);
}
