// The schemas that draw: the default one and the Office 2007 one.
#pragma once

#include "toolkit/skin/skin_schema.h"

class CTKSkinManagerSchemaDefault : public CTKSkinManagerSchema {
 public:
  explicit CTKSkinManagerSchemaDefault(CTKSkinManager* manager);

  // A part's background from its image or border fill; FALSE when the part names no image
  // that can be loaded, so the caller can draw its own.
  BOOL PaintPartBackground(HDC dc, CTKSkinManagerClass* cls, int part, int state, const RECT& rc) override;

 private:
  void PaintBorderFill(HDC dc, CTKSkinManagerClass* cls, int part, int state, RECT rc);
  void PaintGlyph(HDC dc, CTKSkinManagerClass* cls, int part, int state, const RECT& rc);
};

class CTKSkinManagerSchemaOffice2007 : public CTKSkinManagerSchemaDefault {
 public:
  explicit CTKSkinManagerSchemaOffice2007(CTKSkinManager* manager);
};
