// The skin's answers for one window class: typed property lookups with a cache, the class's
// images, text drawing and part measuring.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "toolkit/skin/skin_image.h"

class CTKSkinManager;
class CTKSkinManagerSchemaProperty;

class CTKSkinManagerClass {
 public:
  CTKSkinManagerClass(CTKSkinManager* manager, const std::wstring& name);

  std::wstring GetString(int part, int state, int property, const std::wstring& def = L"");
  int GetInt(int part, int state, int property, int def);
  int GetEnum(int part, int state, int property, int def);
  COLORREF GetColor(int part, int state, int property, COLORREF def);
  RECT GetRect(int part, int state, int property, const RECT& def);
  BOOL GetBool(int part, int state, int property, BOOL def);
  POINT GetPosition(int part, int state, int property, const POINT& def);

  int DrawPartText(HDC dc, int part, int state, const wchar_t* text, UINT format, const RECT& rc);
  int MeasurePart(int part, int state, const RECT* rc, int sizeKind, SIZE* size);
  BOOL DrawBackground(HDC dc, int part, int state, const RECT& rc);

  CTKSkinImageCache& Images() { return images_; }
  const std::wstring& Name() const { return name_; }
  int ClassCode() const { return code_; }
  // Forgets everything read from the previous skin.
  void Reset();

 private:
  const CTKSkinManagerSchemaProperty* Lookup(int part, int state, int property, int type);

  CTKSkinManager* manager_;
  std::wstring name_;
  int code_;
  std::map<unsigned, const CTKSkinManagerSchemaProperty*> cache_;
  CTKSkinImageCache images_;
};
