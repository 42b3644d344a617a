#include "toolkit/drawing/image_manager.h"

#include <gtest/gtest.h>

#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/drawing/color_manager.h"
#include "toolkit/drawing/resource_manager.h"

namespace {

HMODULE Self() { return GetModuleHandleW(nullptr); }

DWORD PixelOf(HBITMAP bitmap, int x, int y) {
  std::vector<DWORD> px;
  int w = 0, h = 0;
  EXPECT_TRUE(ReadBitmapPixels(bitmap, &px, &w, &h));
  return px[static_cast<size_t>(y) * w + x];
}

// One image of 2x1 pixels: opaque red and half-transparent green, premultiplied.
HBITMAP RedAndHalfGreen() {
  const DWORD px[2] = {0xFFFF0000, 0x80008000};
  return MakeDibSection(2, 1, px);
}

TEST(ImageLoading, ThirtyTwoBitResourcesArePremultipliedUnlessOpaque) {
  struct Case {
    const wchar_t* name;
    bool png;
    bool alpha;
    DWORD left, right;
  } cases[] = {
      {L"ALPHA_BMP", false, true, 0xFFFF0000, 0x80008000},
      {L"ALPHA_PNG", true, true, 0xFFFF0000, 0x80008000},
      {L"OPAQUE32_BMP", false, false, 0xFF0A141E, 0xFF0A141E},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.png, CTKImageManager::IsPngResource(Self(), c.name));
    bool alpha = !c.alpha;
    KestrinWinNS::CScopedBitmap bitmap(CTKImageManager::LoadBitmapFromResource(Self(), c.name, &alpha));
    ASSERT_NE(nullptr, bitmap.Get());
    EXPECT_EQ(c.alpha, alpha);
    EXPECT_EQ(c.left, PixelOf(bitmap.Get(), 0, 0));
    EXPECT_EQ(c.right, PixelOf(bitmap.Get(), 7, 7));
  }
  bool alpha = true;
  KestrinWinNS::CScopedBitmap plain(CTKImageManager::LoadBitmapFromResource(Self(), L"PATTERN_BMP", &alpha));
  ASSERT_NE(nullptr, plain.Get());
  EXPECT_FALSE(alpha);
  EXPECT_EQ(nullptr, CTKImageManager::LoadBitmapFromResource(Self(), L"NO_SUCH_BMP", &alpha));
}

void WriteTempFile(const wchar_t* path, const void* data, DWORD size) {
  KestrinWinNS::CScopedKernelHandle f(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  WriteFile(f.Get(), data, size, &written, nullptr);
}

TEST(ImageLoading, FilesByTheirSignature) {
  wchar_t dir[MAX_PATH], png[MAX_PATH], bmp[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"img", 0, png);
  GetTempFileNameW(dir, L"img", 0, bmp);
  // The PNG resource's bytes as a file.
  HRSRC res = FindResourceW(Self(), L"ALPHA_PNG", L"PNG");
  ASSERT_NE(nullptr, res);
  WriteTempFile(png, LockResource(LoadResource(Self(), res)), SizeofResource(Self(), res));
  // A 2x1 32-bit bitmap file, bottom-up: half-transparent blue, opaque white.
  struct {
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    DWORD bits[2];
  } __attribute__((packed)) bitmap{};
  bitmap.file.bfType = 0x4D42;
  bitmap.file.bfSize = sizeof(bitmap);
  bitmap.file.bfOffBits = sizeof(bitmap.file) + sizeof(bitmap.info);
  bitmap.info.biSize = sizeof(BITMAPINFOHEADER);
  bitmap.info.biWidth = 2;
  bitmap.info.biHeight = 1;
  bitmap.info.biPlanes = 1;
  bitmap.info.biBitCount = 32;
  bitmap.bits[0] = 0x800000FF;
  bitmap.bits[1] = 0xFFFFFFFF;
  WriteTempFile(bmp, &bitmap, sizeof(bitmap));

  bool alpha = false;
  KestrinWinNS::CScopedBitmap from_png(CTKImageManager::LoadBitmapFromFile(png, &alpha));
  ASSERT_NE(nullptr, from_png.Get());
  EXPECT_TRUE(alpha);
  EXPECT_EQ(0x80008000u, PixelOf(from_png.Get(), 7, 0));
  from_png.Reset();
  KestrinWinNS::CScopedBitmap from_bmp(CTKImageManager::LoadBitmapFromFile(bmp, &alpha));
  ASSERT_NE(nullptr, from_bmp.Get());
  EXPECT_TRUE(alpha);
  EXPECT_EQ(0x80000080u, PixelOf(from_bmp.Get(), 0, 0));
  EXPECT_EQ(0xFFFFFFFFu, PixelOf(from_bmp.Get(), 1, 0));
  from_bmp.Reset();
  DeleteFileW(png);
  DeleteFileW(bmp);
  EXPECT_EQ(nullptr, CTKImageManager::LoadBitmapFromFile(png, &alpha));
}

class ImageManagerTest : public ::testing::Test {
 protected:
  CTKImageManagerIcon* AddAlpha(UINT id, int width, int state = 0) {
    std::vector<DWORD> px(static_cast<size_t>(width) * 4, 0xFF102030);
    EXPECT_TRUE(manager.AddAlphaImage(MakeDibSection(width, 4, px.data()), id, state));
    return manager.GetIconSet(id)->GetIcon(width, false);
  }
  CTKImageManager manager;
};

TEST_F(ImageManagerTest, IconOfWidthSmallestLargestAndNearest) {
  AddAlpha(1, 16);
  AddAlpha(1, 24);
  AddAlpha(2, 16);
  AddAlpha(2, 32);
  CTKImageManagerIconSet* one = manager.GetIconSet(1);
  const int w20 = one->GetIcon(20, true)->Width();
  EXPECT_TRUE(w20 == 16 || w20 == 24);
  EXPECT_EQ(16, manager.GetIconSet(2)->GetIcon(20, true)->Width());
  EXPECT_EQ(nullptr, one->GetIcon(20, false));
  EXPECT_EQ(16, one->GetIcon(0, false)->Width());
  EXPECT_EQ(24, one->GetIcon(1, false)->Width());
  one->GetOrCreateIcon(48, 48)->SetScaled(true);
  EXPECT_EQ(24, one->GetIcon(1, false)->Width());  // scaled icons do not count
  EXPECT_FALSE(manager.ContainsIcon(1, 48));
  EXPECT_TRUE(manager.ContainsIcon(1, 24));
  AddAlpha(1, 16);  // a new normal image drops the scaled icons
  EXPECT_EQ(nullptr, one->GetIcon(48, false));
}

TEST_F(ImageManagerTest, StatesFallBackAndANewNormalImageClearsTheOthers) {
  CTKImageManagerIcon* icon = AddAlpha(5, 2);
  const HBITMAP normal = icon->GetImageOfState(0).Bitmap();
  EXPECT_EQ(normal, icon->GetImageOfState(2).Bitmap());  // hot -> normal
  EXPECT_EQ(normal, icon->GetImageOfState(4).Bitmap());  // pressed -> hot -> normal
  manager.AddAlphaImage(RedAndHalfGreen(), 5, 2);
  const HBITMAP hot = icon->GetImageOfState(2).Bitmap();
  EXPECT_NE(normal, hot);
  EXPECT_EQ(hot, icon->GetImageOfState(3).Bitmap());  // checked -> hot
  AddAlpha(5, 2);
  EXPECT_TRUE(icon->UserImage(2).IsEmpty());
}

TEST_F(ImageManagerTest, DisabledFadedAndShadowImagesByPixels) {
  ASSERT_TRUE(manager.AddAlphaImage(RedAndHalfGreen(), 7, 0));
  CTKImageManagerIcon* icon = manager.GetImage(7, 2);
  ASSERT_NE(nullptr, icon);
  // Grey of the square root of the luminance: red 0.299 -> 139; green 0.587 -> 195, at half
  // alpha premultiplied to 97.
  const HBITMAP disabled = icon->GetImageOfState(1).Bitmap();
  EXPECT_EQ(0xFF8B8B8Bu, PixelOf(disabled, 0, 0));
  EXPECT_EQ(0x80616161u, PixelOf(disabled, 1, 0));
  // Faded: 30 % towards white.
  const HBITMAP faded = icon->GetFadedImage().Bitmap();
  EXPECT_EQ(0xFFFF4C4Cu, PixelOf(faded, 0, 0));
  EXPECT_EQ(0x80268026u, PixelOf(faded, 1, 0));
  // Shadow: entry 31 of the colour manager at three quarters.
  GetColorManagerInstance().SetCustomColor(31, RGB(100, 200, 40));
  icon->ResetDerivedImages();
  const HBITMAP shadow = icon->GetShadowImage().Bitmap();
  GetColorManagerInstance().SetCustomColor(31, CLR_INVALID);
  EXPECT_EQ(0xFF4B961Eu, PixelOf(shadow, 0, 0));
  EXPECT_EQ(0x80254B0Fu, PixelOf(shadow, 1, 0));
  // On a low-colour display the faded image is the image itself.
  GetColorManagerInstance().OverrideLowColorDisplay(true);
  icon->ResetDerivedImages();
  const DWORD low = PixelOf(icon->GetFadedImage().Bitmap(), 0, 0);
  GetColorManagerInstance().OverrideLowColorDisplay(std::nullopt);
  EXPECT_EQ(0xFFFF0000u, low);
}

TEST_F(ImageManagerTest, DisabledIconKeepsItsMask) {
  CTKResourceManager rm;
  KestrinWinNS::CScopedIcon blue(rm.MakeIconFromGroup(Self(), MAKEINTRESOURCEW(100), 16, 16));
  ASSERT_TRUE(manager.AddIconImage(blue.Get(), 9, 0, 0, 0));
  blue.Reset();
  CTKImageManagerIcon* icon = manager.GetImage(9, 16);
  ASSERT_NE(nullptr, icon);
  EXPECT_EQ(16, icon->Height());
  Canvas canvas(16, 16, RGB(0, 255, 0));
  manager.DrawImage(canvas.dc(), 0, 0, icon, icon->GetImageOfState(1), 0, 0);
  EXPECT_EQ(RGB(76, 76, 76), canvas.At(8, 8));  // blue 200: luminance 0.089, root 0.299
  EXPECT_EQ(RGB(0, 255, 0), canvas.At(0, 0));   // outside the mask
}

TEST_F(ImageManagerTest, AlphaImagesBlendMirrorAndClipAbove) {
  ASSERT_TRUE(manager.AddAlphaImage(RedAndHalfGreen(), 3, 0));
  CTKImageManagerIcon* icon = manager.GetImage(3, 2);
  for (bool software : {false, true}) {
    const CTKImageManager::AlphaBlendFn saved = manager.AlphaBlendFunction();
    if (software) manager.SetAlphaBlendFunction(nullptr);
    Canvas canvas(4, 2, RGB(255, 255, 255));
    manager.SetRightToLeftMode(0);
    manager.DrawImage(canvas.dc(), 0, 0, icon, icon->GetImageOfState(0), 0, 0);
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(0, 0)) << software;
    EXPECT_LE(ChannelDistance(RGB(127, 255, 127), canvas.At(1, 0)), 1) << software;
    manager.SetRightToLeftMode(1);  // always mirrored
    manager.DrawImage(canvas.dc(), 2, 1, icon, icon->GetImageOfState(0), 0, 0);
    EXPECT_LE(ChannelDistance(RGB(127, 255, 127), canvas.At(2, 1)), 1) << software;
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(3, 1)) << software;
    manager.SetAlphaBlendFunction(saved);
  }
  manager.SetRightToLeftMode(0);
  Canvas tall(2, 2, RGB(0, 0, 255));
  std::vector<DWORD> column = {0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00};
  ASSERT_TRUE(manager.AddAlphaImage(MakeDibSection(1, 4, column.data()), 4, 0));
  CTKImageManagerIcon* strip = manager.GetImage(4, 1);
  manager.DrawImage(tall.dc(), 0, -2, strip, strip->GetImageOfState(0), 1, 4);
  EXPECT_EQ(RGB(0, 255, 0), tall.At(0, 0));  // the two rows above the DC are cut off
  EXPECT_EQ(RGB(0, 255, 0), tall.At(0, 1));
}

TEST_F(ImageManagerTest, BitmapStripsBecomeIconsPerId) {
  // Without alpha: through a masked list, the top-left (magenta) pixel as the mask colour.
  const UINT ids[] = {10, 0, 12};
  ASSERT_TRUE(manager.SetIconsFromBitmapId(Self(), L"STRIP_BMP", ids, 3, SIZE{16, 16}, 0));
  EXPECT_TRUE(manager.ContainsIcon(10, 16));
  EXPECT_TRUE(manager.ContainsIcon(0, 16));  // count equals the number of images: id 0 kept
  Canvas canvas(16, 16, RGB(1, 1, 1));
  CTKImageManagerIcon* third = manager.GetImage(12, 16);
  ASSERT_NE(nullptr, third);
  manager.DrawImage(canvas.dc(), 0, 0, third, third->GetImageOfState(0), 0, 0);
  EXPECT_EQ(RGB(0, 0, 255), canvas.At(8, 8));
  EXPECT_EQ(RGB(1, 1, 1), canvas.At(1, 1));

  manager.RemoveAll();
  ASSERT_TRUE(manager.SetIconsFromBitmapId(Self(), L"STRIP_BMP", ids, 2, SIZE{16, 16}, 0));
  EXPECT_TRUE(manager.ContainsIcon(10, 16));
  EXPECT_FALSE(manager.ContainsIcon(0, 16));  // fewer ids than images: a 0 skips its image

  // With alpha: cut into alpha images of the width; a width that does not divide adds nothing.
  manager.RemoveAll();
  const UINT pair[] = {20, 21};
  ASSERT_TRUE(manager.SetIconsFromBitmapId(Self(), L"ALPHA_BMP", pair, 0, SIZE{4, 0}, 0));
  ASSERT_NE(nullptr, manager.GetImage(21, 4));
  EXPECT_EQ(0x80008000u, PixelOf(manager.GetImage(21, 4)->GetImageOfState(0).Bitmap(), 0, 0));
  EXPECT_FALSE(manager.SetIconsFromBitmapId(Self(), L"ALPHA_BMP", pair, 0, SIZE{3, 0}, 0));
}

TEST_F(ImageManagerTest, ImageListsAreKeptAsRecordsAndFoundById) {
  // An application's list of the three strip images, 16 x 16.
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
  ASSERT_NE(nullptr, list);
  KestrinWinNS::CScopedBitmap strip(
      static_cast<HBITMAP>(LoadImageW(Self(), L"STRIP_BMP", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  ASSERT_NE(nullptr, strip.Get());
  ASSERT_EQ(0, ImageList_AddMasked(list, strip.Get(), RGB(255, 0, 255)));
  strip.Reset();
  ASSERT_EQ(3, ImageList_GetImageCount(list));
  const UINT ids[] = {30, 0, 32};
  ASSERT_TRUE(manager.AddImageList(list, ids, 2));  // fewer ids than images: the 0 is no image
  ImageList_Destroy(list);                           // the manager keeps its own copy
  EXPECT_EQ(1u, manager.ImageListCount());
  EXPECT_EQ(0u, manager.IconSetCount());
  EXPECT_TRUE(manager.ContainsIcon(30, 16));
  EXPECT_TRUE(manager.ContainsIcon(30, 0));
  EXPECT_FALSE(manager.ContainsIcon(30, 24));  // the list holds the id, not at that width
  EXPECT_FALSE(manager.ContainsIcon(0, 16));
  EXPECT_FALSE(manager.ContainsIcon(32, 16));  // beyond the ids given
  CTKImageManagerIcon* icon = manager.GetImage(30, 16);
  ASSERT_NE(nullptr, icon);
  EXPECT_EQ(icon, manager.GetImage(30, 16));  // made once
  EXPECT_EQ(16, icon->Width());
  Canvas canvas(16, 16, RGB(1, 1, 1));
  manager.DrawImage(canvas.dc(), 0, 0, icon, icon->GetImageOfState(0), 0, 0);
  EXPECT_EQ(RGB(1, 1, 1), canvas.At(1, 1));   // the mask colour stays transparent
  EXPECT_NE(RGB(1, 1, 1), canvas.At(8, 8));
  EXPECT_EQ(nullptr, manager.GetImage(0, 16));
  // An icon set of the id comes first.
  AddAlpha(30, 16);
  EXPECT_NE(icon, manager.GetImage(30, 16));
  manager.RemoveAll();
  EXPECT_EQ(0u, manager.ImageListCount());
  EXPECT_FALSE(manager.ContainsIcon(30, 16));
}

TEST_F(ImageManagerTest, DisabledImagesBlendBetweenLightAndDarkWhenBothAreGiven) {
  ASSERT_TRUE(manager.AddAlphaImage(RedAndHalfGreen(), 7, 0));
  CTKImageManagerIcon* icon = manager.GetImage(7, 2);
  ASSERT_NE(nullptr, icon);
  EXPECT_EQ(0xFF8B8B8Bu, PixelOf(icon->GetImageOfState(1).Bitmap(), 0, 0));  // grey
  // Red has luminance 0.299: each channel 0.701 of dark and 0.299 of light, truncated.
  manager.SetDisabledColors(RGB(200, 100, 0), RGB(0, 0, 100));
  EXPECT_EQ(0xFF3B1D46u, PixelOf(icon->GetImageOfState(1).Bitmap(), 0, 0));
  manager.SetDisabledColors(RGB(200, 100, 0), CLR_INVALID);  // one colour alone: grey again
  EXPECT_EQ(0xFF8B8B8Bu, PixelOf(icon->GetImageOfState(1).Bitmap(), 0, 0));
}

TEST(ImageManager, TransparentCopyWithAndWithoutTransparentBlt) {
  CTKImageManager manager;
  Canvas source(4, 1, RGB(255, 0, 255));
  SetPixel(source.dc(), 1, 0, RGB(10, 20, 30));
  for (bool fallback : {false, true}) {
    if (fallback) manager.SetTransparentBltFunction(nullptr);
    Canvas dest(4, 1, RGB(0, 0, 200));
    manager.DrawTransparent(dest.dc(), RECT{0, 0, 4, 1}, source.dc(), RECT{0, 0, 4, 1}, RGB(255, 0, 255));
    EXPECT_EQ(RGB(0, 0, 200), dest.At(0, 0)) << fallback;
    EXPECT_EQ(RGB(10, 20, 30), dest.At(1, 0)) << fallback;
  }
}

}  // namespace

// ---- stored form ----

#include "platform/appframe/file.h"
#include "toolkit/drawing/prop_exchange.h"

namespace {

class ImageStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(source.AddAlphaImage(RedAndHalfGreen(), 40, 0));
    const DWORD hot[2] = {0xFF0000FF, 0xFF00FF00};
    ASSERT_TRUE(source.AddAlphaImage(MakeDibSection(2, 1, hot), 40, 2));
    CTKResourceManager rm;
    KestrinWinNS::CScopedIcon blue(rm.MakeIconFromGroup(Self(), MAKEINTRESOURCEW(100), 16, 16));
    ASSERT_TRUE(source.AddIconImage(blue.Get(), 41, 0, 0, 0));
    blue.Reset();
    source.GetIconSet(41)->GetOrCreateIcon(32, 32)->SetScaled(true);  // not stored
  }
  void Store(CMemFile& file) {
    CArchive ar(&file, CArchive::store);
    source.Serialize(ar);
  }
  void ExpectLoaded(CTKImageManager& loaded) {
    EXPECT_EQ(2u, loaded.IconSetCount());
    CTKImageManagerIcon* alpha = loaded.GetImage(40, 2);
    ASSERT_NE(nullptr, alpha);
    EXPECT_EQ(1, alpha->Height());
    EXPECT_EQ(0x80008000u, PixelOf(alpha->GetImageOfState(0).Bitmap(), 1, 0));
    EXPECT_EQ(0xFF0000FFu, PixelOf(alpha->GetImageOfState(2).Bitmap(), 0, 0));
    EXPECT_TRUE(alpha->UserImage(3).IsEmpty());
    EXPECT_FALSE(loaded.ContainsIcon(41, 32));
    CTKImageManagerIcon* icon = loaded.GetImage(41, 16);
    ASSERT_NE(nullptr, icon);
    EXPECT_FALSE(icon->GetImageOfState(0).IsAlpha());
    Canvas canvas(16, 16, RGB(0, 255, 0));
    loaded.SetRightToLeftMode(0);
    loaded.DrawImage(canvas.dc(), 0, 0, icon, icon->GetImageOfState(0), 0, 0);
    EXPECT_EQ(RGB(0, 0, 200), canvas.At(8, 8));
    EXPECT_EQ(RGB(0, 255, 0), canvas.At(0, 0));
  }
  CTKImageManager source;
};

TEST_F(ImageStoreTest, IconsRoundTripThroughAnArchive) {
  CMemFile file;
  Store(file);
  file.SeekToBegin();
  CTKImageManager loaded;
  loaded.AddAlphaImage(RedAndHalfGreen(), 99, 0);  // removed by loading
  CArchive ar(&file, CArchive::load);
  loaded.Serialize(ar);
  EXPECT_EQ(nullptr, loaded.GetIconSet(99));
  ExpectLoaded(loaded);
}

TEST_F(ImageStoreTest, IconsRoundTripThroughTheRegistry) {
  const wchar_t* path = L"Software\\KestrinTests\\ToolkitImageStore";
  RegDeleteTreeW(HKEY_CURRENT_USER, path);
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, path, false);
    source.ExchangeAllIcons(&px);
  }
  CTKImageManager loaded;
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, path, true);
    loaded.ExchangeAllIcons(&px);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, path);
  ExpectLoaded(loaded);
}

// Offsets in the stored bytes of one set with one icon: set count (2), id (4), check sum
// (2 + 40), icon count (2) at 48, width (4), height (4), then the schema.
constexpr size_t kCheckSumAt = 8;
constexpr size_t kSchemaAt = 58;

std::vector<BYTE> StoredOneIcon(CTKImageManager& manager) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    manager.Serialize(ar);
  }
  return std::vector<BYTE>(file.GetData(), file.GetData() + file.GetLength());
}

void Load(CTKImageManager& manager, std::vector<BYTE>& bytes) {
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  manager.Serialize(ar);
}

TEST(ImageStore, OlderSchemaLeavesCheckedAndPressedEmpty) {
  CTKImageManager manager;
  for (int state = 0; state <= 4; ++state) ASSERT_TRUE(manager.AddAlphaImage(RedAndHalfGreen(), 7, state));
  std::vector<BYTE> bytes = StoredOneIcon(manager);
  ASSERT_EQ(20, *reinterpret_cast<int*>(&bytes[kSchemaAt]));
  CTKImageManager current;
  Load(current, bytes);
  EXPECT_FALSE(current.GetImage(7, 2)->UserImage(4).IsEmpty());
  *reinterpret_cast<int*>(&bytes[kSchemaAt]) = 7;
  CTKImageManager older;
  Load(older, bytes);
  CTKImageManagerIcon* icon = older.GetImage(7, 2);
  ASSERT_NE(nullptr, icon);
  EXPECT_FALSE(icon->UserImage(2).IsEmpty());
  EXPECT_TRUE(icon->UserImage(3).IsEmpty());
  EXPECT_TRUE(icon->UserImage(4).IsEmpty());
}

TEST(ImageStore, ForeignOrDamagedDataIsRefused) {
  CTKImageManager manager;
  ASSERT_TRUE(manager.AddAlphaImage(RedAndHalfGreen(), 7, 0));
  const std::vector<BYTE> good = StoredOneIcon(manager);
  ASSERT_EQ(L'C', *reinterpret_cast<const wchar_t*>(&good[kCheckSumAt]));
  struct Damage {
    const char* what;
    size_t at;
    std::vector<BYTE> bytes;
  } cases[] = {
      {"check sum", kCheckSumAt, {'X', 0}},
      {"set count", 0, {0xFE, 0xFF}},
      {"icon count", 48, {0xFE, 0xFF}},
      {"height", kSchemaAt - 4, {0xFF, 0xFF, 0xFF, 0x7F}},
      {"bitmap info size", kSchemaAt + 4, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}},
  };
  for (const Damage& d : cases) {
    std::vector<BYTE> bytes = good;
    std::copy(d.bytes.begin(), d.bytes.end(), bytes.begin() + d.at);
    CTKImageManager loaded;
    EXPECT_THROW(Load(loaded, bytes), CArchiveException) << d.what;
  }
  std::vector<BYTE> truncated(good.begin(), good.end() - 5);
  CTKImageManager loaded;
  EXPECT_THROW(Load(loaded, truncated), CArchiveException);
}

}  // namespace
