// The schemas that draw: the default one and the Office 2007 one.
#pragma once

#include <memory>
#include <vector>

#include "platform/win/gdi.h"
#include "toolkit/skin/skin_schema.h"

class CTKSkinManagerSchemaDefault : public CTKSkinManagerSchema {
 public:
  // The transparent corners and top rows of a caption image, scanned once per caption height.
  struct FRAMEREGION {
    int captionHeight = 0;
    bool toolWindow = false;
    KestrinWinNS::CScopedRegion left;   // corner runs from the left edge
    KestrinWinNS::CScopedRegion right;  // corner runs, relative to the right sizing margin's start
    int leftMargin = 0;
    int rightMargin = 0;
    int transparentRows = 0;
    bool temporary = false;
  };

  explicit CTKSkinManagerSchemaDefault(CTKSkinManager* manager);
  ~CTKSkinManagerSchemaDefault() override;

  // A part's background from its image or border fill; FALSE when the part names no image
  // that can be loaded, so the caller can draw its own.
  BOOL PaintPartBackground(HDC dc, CTKSkinManagerClass* cls, int part, int state, const RECT& rc) override;
  void PaintWindowFrame(HDC dc, CTKSkinObjectFrame* frame) override;
  RECT ComputeFrameBorders(HWND hwnd) override;
  HRGN ComputeFrameRegion(CTKSkinObjectFrame* frame, int width, int height) override;
  void FreeFrameRegions() override;
  void PaintScrollBarParts(HDC dc, HWND hwnd, const CTKSkinScrollBarInfo& bar) override;
  int PlaceCaptionButtons(HDC dc, CTKSkinObjectFrame* frame) override;

  // Width and height of a caption button for a caption of height h.
  SIZE CaptionButtonSize(int h);
  // Borders, edges and sizing band of a style, in units of the border width.
  int BorderCount(LONG style, LONG exStyle, bool withClientEdge) const;

 protected:
  int caption_offset_ = 0;

 private:
  void PaintBorderFill(HDC dc, CTKSkinManagerClass* cls, int part, int state, RECT rc);
  void PaintGlyph(HDC dc, CTKSkinManagerClass* cls, int part, int state, const RECT& rc);
  void PaintEdgesOnly(HDC dc, HWND hwnd, RECT rc);
  void PaintCaption(HDC dc, CTKSkinObjectFrame* frame, const RECT& strip, bool tool, int state);
  FRAMEREGION* FindFrameRegion(int captionHeight, bool tool, int width);

  std::vector<std::unique_ptr<FRAMEREGION>> regions_;
  std::unique_ptr<FRAMEREGION> temporary_;
};

class CTKSkinManagerSchemaOffice2007 : public CTKSkinManagerSchemaDefault {
 public:
  explicit CTKSkinManagerSchemaOffice2007(CTKSkinManager* manager);

  void PaintScrollBarParts(HDC dc, HWND hwnd, const CTKSkinScrollBarInfo& bar) override;
  COLORREF SizeBoxFillColor(HWND hwnd) override;

 private:
  // The window's bottom-right corner lies at its captioned ancestor's bottom-right client corner.
  bool IsDarkCorner(HWND hwnd);
};
