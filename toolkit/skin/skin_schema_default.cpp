#include "toolkit/skin/skin_schema_default.h"

#include <algorithm>

#include "toolkit/skin/skin_class.h"
#include "toolkit/skin/skin_draw_functions.h"
#include "toolkit/skin/skin_image.h"

namespace {

// Property ids used by the part drawing.
enum {
  kImageFile = 3001, kImageFile1 = 3002, kGlyphImageFile = 3008, kImageCount = 2401, kBorderSize = 2403,
  kTransparent = 2201, kBorderOnly = 2203, kGlyphTransparent = 2206, kTrueSizeStretchMark = 2419,
  kBorderColor = 3801, kFillColor = 3802, kTransparentColor = 3809, kSizingMargins = 3601, kContentMargins = 3602,
  kBgType = 4001, kSizingType = 4004, kVAlign = 4007, kImageLayout = 4011, kGlyphType = 4012, kImageSelect = 4013,
};
enum { kBgImage = 0, kBgBorderFill = 1 };
enum { kLayoutVertical = 0, kLayoutHorizontal = 1 };
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kFrameLeft = 7, kSmallFrameBottom = 12;

RECT FrameRect(const SIZE& image, int frames, bool vertical, int index) {
  if (index < 0 || index >= frames) index = 0;
  if (vertical) return RECT{0, index * image.cy / frames, image.cx, (index + 1) * image.cy / frames};
  return RECT{index * image.cx / frames, 0, (index + 1) * image.cx / frames, image.cy};
}

// Margins come from the skin: never negative, never beyond what any image could hold.
RECT BoundedMargins(const RECT& m) {
  auto bound = [](LONG v) { return std::min<LONG>(std::max<LONG>(v, 0), 10000); };
  return RECT{bound(m.left), bound(m.top), bound(m.right), bound(m.bottom)};
}

}  // namespace

CTKSkinManagerSchemaDefault::CTKSkinManagerSchemaDefault(CTKSkinManager* manager) : CTKSkinManagerSchema(manager) {
  name_ = L"Default";
}

CTKSkinManagerSchemaDefault::~CTKSkinManagerSchemaDefault() = default;

CTKSkinManagerSchemaOffice2007::CTKSkinManagerSchemaOffice2007(CTKSkinManager* manager)
    : CTKSkinManagerSchemaDefault(manager) {
  name_ = L"Office2007";
  alpha_ = FALSE;
}

void CTKSkinManagerSchemaDefault::PaintBorderFill(HDC dc, CTKSkinManagerClass* cls, int part, int state, RECT rc) {
  const int size = std::min(cls->GetInt(part, state, kBorderSize, 1), 10000);
  const COLORREF border = cls->GetColor(part, state, kBorderColor, CLR_INVALID);
  const COLORREF fill = cls->GetColor(part, state, kFillColor, CLR_INVALID);
  if (size > 0 && border != CLR_INVALID) {
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.top, rc.right, rc.top + size}, border);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.bottom - size, rc.right, rc.bottom}, border);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.left, rc.top + size, rc.left + size, rc.bottom - size}, border);
    SkinDrawFunctions::FillSolid(dc, RECT{rc.right - size, rc.top + size, rc.right, rc.bottom - size}, border);
    InflateRect(&rc, -size, -size);
  }
  if (!cls->GetBool(part, state, kBorderOnly, FALSE) && fill != CLR_INVALID && rc.right > rc.left && rc.bottom > rc.top)
    SkinDrawFunctions::FillSolid(dc, rc, fill);
}

BOOL CTKSkinManagerSchemaDefault::PaintPartBackground(HDC dc, CTKSkinManagerClass* cls, int part, int state,
                                                      const RECT& rc) {
  const int bgType = cls->GetEnum(part, state, kBgType, kBgImage);
  if (bgType == kBgBorderFill) {
    PaintBorderFill(dc, cls, part, state, rc);
    return TRUE;
  }
  if (bgType != kBgImage) return TRUE;
  std::wstring file;
  if (cls->GetEnum(part, state, kImageSelect, 0) != 0 && cls->GetEnum(part, state, kGlyphType, 0) == 0)
    file = cls->GetString(part, state, kImageFile1);
  if (file.empty()) file = cls->GetString(part, state, kImageFile);
  if (file.empty()) return FALSE;
  RECT margins = BoundedMargins(cls->GetRect(part, state, kSizingMargins, RECT{}));
  CTKSkinImage* image = cls->Images().GetImage(file);
  if (!image) return FALSE;
  const int frames = std::max(1, cls->GetInt(part, state, kImageCount, 1));
  const bool vertical = cls->GetEnum(part, state, kImageLayout, kLayoutHorizontal) == kLayoutVertical;
  COLORREF transparent = CLR_INVALID;
  if (!image->IsAlpha() && cls->GetBool(part, state, kTransparent, FALSE))
    transparent = cls->GetColor(part, state, kTransparentColor, kMagenta);
  const RECT src = FrameRect(SIZE{image->Width(), image->Height()}, frames, vertical, state - 1);
  const int sizing = cls->GetEnum(part, state, kSizingType, kSizingStretch);
  RECT dest = rc;
  if (sizing == kSizingTrueSize) {
    int w = src.right - src.left, h = src.bottom - src.top;
    if (cls->GetInt(part, state, kTrueSizeStretchMark, 0) > 0) {
      w = std::min(w, static_cast<int>(rc.right - rc.left));
      h = std::min(h, static_cast<int>(rc.bottom - rc.top));
    }
    const int x = rc.left + std::max(0, static_cast<int>((rc.right - rc.left - w) / 2));
    const int y = cls->GetEnum(part, state, kVAlign, 1) == 2
                      ? std::max(static_cast<int>(rc.top), static_cast<int>(rc.bottom - h))
                      : rc.top + std::max(0, static_cast<int>((rc.bottom - rc.top - h) / 2));
    dest = RECT{x, y, x + w, y + h};
    margins = RECT{};
  }
  BOOL borderOnly = cls->GetBool(part, state, kBorderOnly, FALSE);
  if (cls->ClassCode() == SkinVocabulary::kClassWindow && part >= kFrameLeft && part <= kSmallFrameBottom)
    borderOnly = FALSE;
  image->PaintImage(dc, dest, src, margins, transparent, sizing, borderOnly);
  if (cls->GetEnum(part, state, kGlyphType, 0) == 1) PaintGlyph(dc, cls, part, state, rc);
  return TRUE;
}

void CTKSkinManagerSchemaDefault::PaintGlyph(HDC dc, CTKSkinManagerClass* cls, int part, int state, const RECT& rc) {
  const RECT m = BoundedMargins(cls->GetRect(part, state, kContentMargins, RECT{}));
  const RECT content{rc.left + m.left, rc.top + m.top, rc.right - m.right, rc.bottom - m.bottom};
  const int frames = std::max(1, cls->GetInt(part, state, kImageCount, 1));
  const bool vertical = cls->GetEnum(part, state, kImageLayout, kLayoutHorizontal) == kLayoutVertical;
  CTKSkinImage* glyph = nullptr;
  std::wstring file = cls->GetString(part, state, kGlyphImageFile);
  if (cls->GetEnum(part, state, kImageSelect, 0) == 1) {
    for (int id = kImageFile1 + 4; id >= kImageFile1 && !glyph; --id) {
      CTKSkinImage* candidate = cls->Images().GetImage(cls->GetString(part, state, id));
      if (!candidate) continue;
      const int w = vertical ? candidate->Width() : candidate->Width() / frames;
      const int h = vertical ? candidate->Height() / frames : candidate->Height();
      if (w <= content.right - content.left && h <= content.bottom - content.top) glyph = candidate;
    }
    if (!glyph) glyph = cls->Images().GetImage(cls->GetString(part, state, kImageFile1));
  } else if (!file.empty()) {
    glyph = cls->Images().GetImage(file);
  }
  if (!glyph) return;
  const RECT src = FrameRect(SIZE{glyph->Width(), glyph->Height()}, frames, vertical, state - 1);
  const int w = src.right - src.left, h = src.bottom - src.top;
  const int x = content.left + (content.right - content.left - w) / 2;
  const int y = std::max(static_cast<int>(content.top), static_cast<int>(content.top + (content.bottom - content.top - h) / 2));
  COLORREF transparent = CLR_INVALID;
  if (!glyph->IsAlpha() && cls->GetBool(part, state, kGlyphTransparent, FALSE))
    transparent = cls->GetColor(part, state, kTransparentColor, kMagenta);
  glyph->PaintImage(dc, RECT{x, y, x + w, y + h}, src, RECT{}, transparent, kSizingStretch, FALSE);
}
