#include "toolkit/skin/skin_schema.h"
#include "platform/win/gdi.h"

#include <cwchar>
#include <cwctype>

#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_resource_file.h"

using namespace SkinVocabulary;

namespace {

void TrimLeft(std::wstring& s) {
  size_t i = 0;
  while (i < s.size() && iswspace(s[i])) ++i;
  s.erase(0, i);
}

void TrimRight(std::wstring& s) {
  while (!s.empty() && iswspace(s.back())) s.pop_back();
}

COLORREF Filtered(CTKSkinManager* manager, COLORREF c) { return manager ? manager->ApplyColorFilters(c) : c; }

}  // namespace

CTKSkinManagerSchema::CTKSkinManagerSchema(CTKSkinManager* manager)
    : manager_(manager), globals_id_(ClassId(L"Globals")), window_id_(ClassId(L"WINDOW")) {}

CTKSkinManagerSchema::~CTKSkinManagerSchema() = default;

COLORREF CTKSkinManagerSchema::SizeBoxFillColor(HWND) { return GetSysColor(COLOR_BTNFACE); }

uint32_t CTKSkinManagerSchema::MakeKey(int classId, int part, int state, int propertyId) {
  const uint32_t section = (static_cast<uint32_t>(classId) & 0xFFFFFF) + (static_cast<uint32_t>(part) & 0xFFFF) * 64u +
                           (static_cast<uint32_t>(state) & 0xFF) * 4096u;
  return section * 16384u + static_cast<uint32_t>(propertyId);
}

uint32_t CTKSkinManagerSchema::ParseSectionName(const std::wstring& header) {
  if (header.find(L':') != std::wstring::npos) return 0;
  std::wstring name;
  for (wchar_t c : header) {
    if (c != L' ') name.push_back(c);
  }
  std::wstring state;
  const size_t paren = name.find(L'(');
  if (paren != std::wstring::npos) {
    // The text up to the last character: the closing bracket is assumed.
    if (name.size() > paren + 1) state = name.substr(paren + 1, name.size() - paren - 2);
    name.erase(paren);
  }
  std::wstring cls = name, part;
  const size_t dot = name.find(L'.');
  if (dot != std::wstring::npos) {
    cls = name.substr(0, dot);
    part = name.substr(dot + 1);
  }
  const int classId = ClassId(cls.c_str());
  int partId = 0, stateId = 0;
  if (!part.empty()) {
    partId = PartId(classId, part.c_str());
    if (partId == 0) return 0;
  }
  if (!state.empty()) {
    stateId = StateId(part.empty() ? cls.c_str() : part.c_str(), state.c_str());
    if (stateId == 0) return 0;
  }
  if (classId == 0 && partId == 0 && stateId == 0) return 0;
  return MakeKey(classId, partId, stateId, 0);
}

bool CTKSkinManagerSchema::ParseValue(ValueType type, int propertyId, const std::wstring& text,
                                      CTKSkinManagerSchemaProperty* out) {
  out->type = type;
  out->id = propertyId;
  const wchar_t* s = text.c_str();
  switch (type) {
    case kTypeString:
      out->text = text;
      return true;
    case kTypeInt:
      out->intValue = _wtoi(s);
      return true;
    case kTypeBool:
      out->intValue = lstrcmpiW(s, L"TRUE") == 0;
      return true;
    case kTypeColor: {
      int r = 0, g = 0, b = 0;
      swscanf(s, L"%i %i %i", &r, &g, &b);
      out->color = RGB(r, g, b);
      return true;
    }
    case kTypeRect: {
      long l = 0, r = 0, t = 0, b = 0;
      swscanf(s, L"%ld,%ld,%ld,%ld", &l, &r, &t, &b);
      out->rect = RECT{l, t, r, b};
      return true;
    }
    case kTypeFont: {
      // Every field is bounded by its buffer: a long face name or style word is cut, never
      // written past the end.
      wchar_t face[LF_FACESIZE] = {};
      wchar_t style[32] = {};
      long points = 0;
      swscanf(s, L"%31l[^,], %ld, %31ls", face, &points, style);
      LOGFONTW& f = out->font;
      f = LOGFONTW{};
      lstrcpynW(f.lfFaceName, face, LF_FACESIZE);
      f.lfWeight = lstrcmpiW(style, L"BOLD") == 0 ? FW_BOLD : FW_NORMAL;
      KestrinWinNS::CScopedClientDC screen(nullptr);
      f.lfHeight = -MulDiv(points, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
      f.lfCharSet = static_cast<BYTE>(GetTextCharset(screen.Get()));
      return true;
    }
    case kTypeEnum:
      out->intValue = EnumValue(propertyId, s);
      return true;
    case kTypePosition: {
      int x = 0, y = 0;
      swscanf(s, L"%i,%i", &x, &y);
      out->position = POINT{x, y};
      return true;
    }
    default:
      return false;
  }
}

int CTKSkinManagerSchema::ParseIniText(CTKSkinIniSource* source) {
  CTKSectionLock lock(lock_);
  properties_.clear();
  uint32_t section = 0;
  std::wstring line;
  while (source->NextIniLine(&line)) {
    TrimLeft(line);
    const size_t semicolon = line.find(L';');
    if (semicolon == 0) continue;
    if (semicolon != std::wstring::npos) line.erase(semicolon);
    CharUpperBuffW(&line[0], static_cast<DWORD>(line.size()));
    if (!line.empty() && line[0] == L'[') {
      section = line.size() >= 2 ? ParseSectionName(line.substr(1, line.size() - 2)) : 0;
      continue;
    }
    const size_t equals = line.find(L'=');
    if (section == 0 || equals == std::wstring::npos || equals == 0) continue;
    std::wstring key = line.substr(0, equals);
    TrimRight(key);
    ValueType type;
    const int id = PropertyId(key.c_str(), &type);
    if (id == 0 || type == kTypeNone) continue;
    std::wstring value = line.substr(equals + 1);
    TrimLeft(value);
    TrimRight(value);
    const uint32_t k = section + static_cast<uint32_t>(id);
    properties_.erase(k);
    auto property = std::make_unique<CTKSkinManagerSchemaProperty>();
    if (ParseValue(type, id, value, property.get())) properties_[k] = std::move(property);
  }
  const CTKSkinManagerSchemaProperty* alpha = nullptr;
  const auto it = properties_.find(MakeKey(kClassDocumentation, 0, 0, 2402));
  alpha = it != properties_.end() ? it->second.get() : nullptr;
  if (!alpha) {
    const auto g = properties_.find(MakeKey(globals_id_, 0, 0, 2402));
    alpha = g != properties_.end() ? g->second.get() : nullptr;
  }
  if (alpha && alpha->type == kTypeInt && alpha->intValue == 255) alpha_ = FALSE;
  return 0;
}

const CTKSkinManagerSchemaProperty* CTKSkinManagerSchema::FindProperty(int classId, int part, int state,
                                                                       int propertyId) {
  CTKSectionLock lock(lock_);
  const uint32_t keys[] = {state != 0 ? MakeKey(classId, part, state, propertyId) : 0u,
                           MakeKey(classId, part, 0, propertyId), MakeKey(classId, 0, 0, propertyId),
                           MakeKey(globals_id_, 0, 0, propertyId)};
  for (uint32_t k : keys) {
    if (k == 0) continue;
    const auto it = properties_.find(k);
    if (it != properties_.end()) return it->second.get();
  }
  return nullptr;
}

HRESULT CTKSkinManagerSchema::Query(int classId, int part, int state, int propertyId, ValueType type,
                                    const CTKSkinManagerSchemaProperty** out) {
  *out = FindProperty(classId, part, state, propertyId);
  if (!*out) return E_FAIL;
  return (*out)->type == type ? S_OK : E_INVALIDARG;
}

HRESULT CTKSkinManagerSchema::QueryIntValue(int classId, int part, int state, int propertyId, int* value) {
  const CTKSkinManagerSchemaProperty* p;
  const HRESULT hr = Query(classId, part, state, propertyId, kTypeInt, &p);
  if (hr == S_OK) *value = p->intValue;
  return hr;
}

HRESULT CTKSkinManagerSchema::QueryBoolValue(int classId, int part, int state, int propertyId, BOOL* value) {
  const CTKSkinManagerSchemaProperty* p;
  const HRESULT hr = Query(classId, part, state, propertyId, kTypeBool, &p);
  if (hr == S_OK) *value = p->intValue;
  return hr;
}

HRESULT CTKSkinManagerSchema::QueryColorValue(int classId, int part, int state, int propertyId, COLORREF* value) {
  const CTKSkinManagerSchemaProperty* p;
  const HRESULT hr = Query(classId, part, state, propertyId, kTypeColor, &p);
  if (hr == S_OK) *value = Filtered(manager_, p->color);
  return hr;
}

HRESULT CTKSkinManagerSchema::QueryFontValue(int classId, int part, int state, int propertyId, LOGFONTW* value) {
  const CTKSkinManagerSchemaProperty* p;
  const HRESULT hr = Query(classId, part, state, propertyId, kTypeFont, &p);
  if (hr == S_OK) *value = p->font;
  return hr;
}
