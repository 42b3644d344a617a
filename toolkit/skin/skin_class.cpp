#include "toolkit/skin/skin_class.h"

#include <algorithm>

#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_resource_file.h"
#include "toolkit/skin/skin_schema.h"

using namespace SkinVocabulary;

CTKSkinManagerClass::CTKSkinManagerClass(CTKSkinManager* manager, const std::wstring& name)
    : manager_(manager), name_(name), code_(ClassId(name.c_str())), images_(manager->ResourceFile()) {}

void CTKSkinManagerClass::Reset() {
  cache_.clear();
  images_.Clear();
}

const CTKSkinManagerSchemaProperty* CTKSkinManagerClass::Lookup(int part, int state, int property, int type) {
  const unsigned key = static_cast<unsigned>(property) + (static_cast<unsigned>(state) << 20) +
                       static_cast<unsigned>(part) * 0x4000u;
  const auto it = cache_.find(key);
  if (it != cache_.end()) return it->second;
  CTKSkinManagerSchema* schema = manager_->Schema();
  const CTKSkinManagerSchemaProperty* p = schema ? schema->FindProperty(code_, part, state, property) : nullptr;
  if (!p || p->type != type) return nullptr;
  cache_[key] = p;
  return p;
}

std::wstring CTKSkinManagerClass::GetString(int part, int state, int property, const std::wstring& def) {
  const auto* p = Lookup(part, state, property, kTypeString);
  return p ? p->text : def;
}

int CTKSkinManagerClass::GetInt(int part, int state, int property, int def) {
  const auto* p = Lookup(part, state, property, kTypeInt);
  return p ? p->intValue : def;
}

int CTKSkinManagerClass::GetEnum(int part, int state, int property, int def) {
  const auto* p = Lookup(part, state, property, kTypeEnum);
  return p ? p->intValue : def;
}

COLORREF CTKSkinManagerClass::GetColor(int part, int state, int property, COLORREF def) {
  const auto* p = Lookup(part, state, property, kTypeColor);
  return p ? manager_->ApplyColorFilters(p->color) : def;
}

RECT CTKSkinManagerClass::GetRect(int part, int state, int property, const RECT& def) {
  const auto* p = Lookup(part, state, property, kTypeRect);
  return p ? p->rect : def;
}

BOOL CTKSkinManagerClass::GetBool(int part, int state, int property, BOOL def) {
  const auto* p = Lookup(part, state, property, kTypeBool);
  return p ? p->intValue : def;
}

POINT CTKSkinManagerClass::GetPosition(int part, int state, int property, const POINT& def) {
  const auto* p = Lookup(part, state, property, kTypePosition);
  return p ? p->position : def;
}

BOOL CTKSkinManagerClass::DrawBackground(HDC dc, int part, int state, const RECT& rc) {
  CTKSkinManagerSchema* schema = manager_->Schema();
  return schema ? schema->PaintPartBackground(dc, this, part, state, rc) : FALSE;
}

int CTKSkinManagerClass::DrawPartText(HDC dc, int part, int state, const wchar_t* text, UINT format, const RECT& rc) {
  const RECT margins = GetRect(part, state, 3603, RECT{});
  RECT r{rc.left + margins.left, rc.top, rc.right - margins.right, rc.bottom};
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF color = GetColor(part, state, 3803, GetTextColor(dc));
  if (GetEnum(part, state, 4006, 0) == 1) format |= DT_CENTER;
  const POINT offset = GetPosition(part, state, 3402, POINT{});
  if (GetEnum(part, state, 4010, 0) != 0 && (offset.x != 0 || offset.y != 0)) {
    RECT shadow = r;
    OffsetRect(&shadow, offset.x, offset.y);
    const COLORREF old = SetTextColor(dc, GetColor(part, state, 3818, RGB(0, 0, 0)));
    DrawTextW(dc, text, -1, &shadow, format);
    SetTextColor(dc, old);
  }
  const COLORREF old = SetTextColor(dc, color);
  DrawTextW(dc, text, -1, &r, format);
  SetTextColor(dc, old);
  SetBkMode(dc, oldMode);
  return 1;
}

int CTKSkinManagerClass::MeasurePart(int part, int state, const RECT* rc, int sizeKind, SIZE* size) {
  if (GetEnum(part, state, 4001, 0) != 0) return 0;  // not an image background
  std::wstring file;
  if (GetEnum(part, state, 4013, 0) != 0 && GetEnum(part, state, 4012, 0) == 0) file = GetString(part, state, 3002);
  if (file.empty()) file = GetString(part, state, 3001);
  if (file.empty()) return 0;
  const SIZE image = images_.GetImageSize(file);
  if (image.cx == 0 || image.cy == 0) return 0;
  const int frames = std::max(1, GetInt(part, state, 2401, 1));
  // Frames are divided as the part's drawing divides them (IMAGELAYOUT VERTICAL is 0).
  SIZE frame = image;
  if (GetEnum(part, state, 4011, 1) == 0)
    frame.cy /= frames;
  else
    frame.cx /= frames;
  if (sizeKind == 1 || GetEnum(part, state, 4004, 1) == 0) {
    *size = frame;
  } else {
    *size = rc ? SIZE{rc->right - rc->left, rc->bottom - rc->top} : SIZE{0, 0};
    if (GetBool(part, state, 2210, FALSE) && frame.cy) size->cx = size->cy * frame.cx / frame.cy;
  }
  return 1;
}
