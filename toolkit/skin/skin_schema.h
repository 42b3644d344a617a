// A skin's INI text read into typed properties keyed by class, part, state and property id.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "toolkit/drawing/system_helpers.h"
#include "toolkit/skin/skin_vocabulary.h"

class CTKSkinManager;
class CTKSkinManagerClass;
class CTKSkinIniSource;

class CTKSkinManagerSchemaProperty {
 public:
  SkinVocabulary::ValueType type = SkinVocabulary::kTypeNone;
  int id = 0;
  int intValue = 0;  // integer, boolean, enumeration
  COLORREF color = 0;
  std::wstring text;
  LOGFONTW font{};
  RECT rect{};
  POINT position{};
};

class CTKSkinManagerSchema {
 public:
  explicit CTKSkinManagerSchema(CTKSkinManager* manager);
  virtual ~CTKSkinManagerSchema();
  CTKSkinManagerSchema(const CTKSkinManagerSchema&) = delete;
  CTKSkinManagerSchema& operator=(const CTKSkinManagerSchema&) = delete;

  // Drawing operations of the schema family.
  virtual BOOL PaintPartBackground(HDC dc, CTKSkinManagerClass* cls, int part, int state, const RECT& rc) = 0;
  virtual COLORREF SizeBoxFillColor(HWND hwnd);

  // Always 0: malformed lines are skipped, never fatal.
  int ParseIniText(CTKSkinIniSource* source);

  const CTKSkinManagerSchemaProperty* FindProperty(int classId, int part, int state, int propertyId);
  HRESULT QueryIntValue(int classId, int part, int state, int propertyId, int* value);
  HRESULT QueryBoolValue(int classId, int part, int state, int propertyId, BOOL* value);
  HRESULT QueryColorValue(int classId, int part, int state, int propertyId, COLORREF* value);
  HRESULT QueryFontValue(int classId, int part, int state, int propertyId, LOGFONTW* value);

  static uint32_t MakeKey(int classId, int part, int state, int propertyId);
  // The section key of a header name ("BUTTON.PUSHBUTTON(HOT)"), 0 for a section to ignore.
  static uint32_t ParseSectionName(const std::wstring& name);
  // Parses one value of the given type; false stores nothing (integer lists).
  static bool ParseValue(SkinVocabulary::ValueType type, int propertyId, const std::wstring& text,
                         CTKSkinManagerSchemaProperty* out);

  BOOL AlphaFlag() const { return alpha_; }
  const std::wstring& Name() const { return name_; }
  CTKSkinManager* Manager() const { return manager_; }
  CTKSyncSection& Lock() { return lock_; }

 protected:
  BOOL alpha_ = TRUE;
  std::wstring name_;
  CTKSkinManager* manager_;

 private:
  HRESULT Query(int classId, int part, int state, int propertyId, SkinVocabulary::ValueType type,
                const CTKSkinManagerSchemaProperty** out);

  std::unordered_map<uint32_t, std::unique_ptr<CTKSkinManagerSchemaProperty>> properties_;
  CTKSyncSection lock_;
  int globals_id_;
  int window_id_;
};
