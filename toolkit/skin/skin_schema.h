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
class CTKSkinObjectFrame;

// Element codes of a scroll bar, shared by drawing, hit testing and tracking.
enum TKSkinScrollElement {
  kScrollNone = 0,
  kScrollFirstArrow = 60,
  kScrollSecondArrow = 61,
  kScrollTrackBefore = 62,
  kScrollTrackAfter = 63,
  kScrollThumb = 64,
};

// One scroll bar as the schema draws it: where it lies, its scroll information and which of its
// elements is hot or pressed.
struct CTKSkinScrollBarInfo {
  RECT rect{};
  bool vertical = true;
  bool control = false;  // a scroll-bar control rather than a window's own bar
  SCROLLINFO info{sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0};
  int hot = kScrollNone;
  int pressed = kScrollNone;
  bool mouseOver = false;

  // Maximum - minimum + 1 exceeds the page.
  bool HasRange() const;
  // The rectangle of an element (empty when the bar is too small to show it).
  RECT ElementRect(int element) const;
  // The element under a point (same coordinates as rect), kScrollNone outside the bar.
  int HitTest(POINT pt) const;
};

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
  // The whole non-client area of a skinned window, in window coordinates.
  virtual void PaintWindowFrame(HDC dc, CTKSkinObjectFrame* frame) {}
  // Border widths (left, top, right, bottom); top includes the caption.
  virtual RECT ComputeFrameBorders(HWND hwnd);
  // A new region in window coordinates owned by the caller, or none for the plain rectangle.
  virtual HRGN ComputeFrameRegion(CTKSkinObjectFrame* frame, int width, int height) { return nullptr; }
  virtual void FreeFrameRegions() {}
  virtual void PaintScrollBarParts(HDC dc, HWND hwnd, const CTKSkinScrollBarInfo& bar) {}
  // Lays out the frame's caption buttons and draws them; the left edge of the leftmost one.
  virtual int PlaceCaptionButtons(HDC dc, CTKSkinObjectFrame* frame) { return 0; }

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
