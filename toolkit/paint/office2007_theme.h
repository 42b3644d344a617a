// The Office 2007 look: the Office 2003 look's gradients with colours by name from the image
// set's INI, and the workspace, frame, caption buttons and gallery scroll parts drawn from its
// bitmaps with sizing margins.
#pragma once

#include <windows.h>

#include "toolkit/paint/default_theme.h"
#include "toolkit/paint/office2003_theme.h"

class CTKOffice2007ImageSet;
class CTKOffice2007Image;

namespace TKPaintThemes {

class CTKOffice2007Theme;

// The gallery's scroll parts and faces in the Office 2007 look.
class CTKControlGalleryOffice2007Theme : public CTKControlGalleryPaintManager {
 public:
  explicit CTKControlGalleryOffice2007Theme(CTKOffice2007Theme* owner);
  void PaintGroupLabel(CDC* dc, class CTKControlGallery* gallery, const CRect& rect, const std::wstring& caption) override;
  void PaintGalleryBack(CDC* dc, class CTKControlGallery* gallery, const CRect& rect) override;
  void PaintPopupScroller(CDC* dc, class CTKControlGallery* gallery) override;
  void PaintInlineScroller(CDC* dc, class CTKControlGallery* gallery) override;
  void RefreshMetrics() override;
  COLORREF SelectedColor() const { return selected_; }
  COLORREF NormalColor() const { return normal_; }

 private:
  CTKOffice2007Theme* theme_;
  COLORREF selected_ = RGB(255, 226, 148), normal_ = RGB(255, 255, 255), border_colour_ = RGB(141, 178, 227);
};

// What the frame's non-client drawing needs to know of the frame.
struct TKFrameInfo {
  CSize size;              // the window's
  int border = 4;          // the distance from the window's left edge to its client area
  int caption_height = 0;  // the caption band's
  bool active = true;
  bool maximized = false;
  bool draws_caption = true;
  bool status_bar = false;  // a toolkit status bar is shown at the bottom of the client
  int status_height = 0;
  HWND window = nullptr;  // the frame, whose small icon the caption shows (none: no icon)
};

class CTKOffice2007Theme : public CTKOffice2003Theme {
 public:
  // The process's image set, or the one given (which must outlive the theme).
  explicit CTKOffice2007Theme(CTKOffice2007ImageSet* set = nullptr);

  int ThemeNumber() const override { return 5; }
  void ReloadColorsAndFonts() override;
  int TextColorForState(const ItemState& state) override;
  void PaintStateRect(CDC* dc, const CRect& rect, const ItemState& state) override;
  void PaintBarBackground(CDC* dc, CTKCommandBar* bar) override;
  void PaintDockArea(CDC* dc, const CRect& rect) override;
  void PaintStatusPaneEdge(CDC* dc, const CRect& rect, bool besideGrip) override;
  void PaintSizeGrip(CDC* dc, const CRect& rect) override;
  void PaintStatusBackground(CDC* dc, const CRect& rect) override;
  void PaintClientArea(CDC* dc, const CRect& rect) override { PaintClientArea(dc, rect, CRect()); }
  // The workspace: its corner image, then two gradients; nothing inside `excluded`.
  void PaintClientArea(CDC* dc, const CRect& rect, const CRect& excluded);
  // A caption button of a frame the theme draws: 61536 close, 61472 minimise, 61488 maximise,
  // any other restore.
  void PaintCaptionButton(CDC* dc, const CRect& rect, int command, bool pressed, bool hot, bool enabled);
  // The non-client frame: the border columns, the bottom border and the caption band.
  void PaintWindowFrame(CDC* dc, const TKFrameInfo& frame);
  // The region with cut corners of a frame of size w x h; null for maximised frames.
  HRGN WindowFrameRegion(bool maximized, int w, int h, bool statusBar, int borderWidth);
  // The caption text of a frame, in the caption font.
  void PaintCaptionTitle(CDC* dc, const CRect& rect, const std::wstring& text, bool active);

  // Part `part` of an image of `parts` equal strips, drawn into `rect` with sizing margins,
  // magenta transparent unless `transparent` is false; false when the image is missing.
  static bool DrawImagePart(CTKOffice2007Image* image, HDC dc, const RECT& rect, int part, int parts,
                            const RECT& margins, bool transparent = true);
  // Part `src` of the image at its own size, centred in `rect`, magenta transparent.
  static void DrawCentred(CTKOffice2007Image* image, HDC dc, const RECT& rect, const RECT& src);
  // The caption band from the frame's top images (part 0 active, 1 inactive): the left and right
  // pieces at their own widths as far as the band holds them, the centre stretched between. A
  // missing piece leaves its place undrawn.
  void PaintCaptionBandImages(HDC dc, const RECT& band, int part);

  CTKOffice2007ImageSet* ImageSetOf() const { return set_; }
  CTKOffice2007Image* ImageNamed(const wchar_t* name) const;
  COLORREF MenuBarTextColor() const { return menu_bar_text_; }
  COLORREF StatusBarShadowColor() const { return status_shadow_; }
  COLORREF WorkspaceColor(int i) const { return workspace_[i]; }
  COLORREF FrameBorderColor(bool active, int i) const { return border_[(active ? 0 : 4) + i]; }
  COLORREF CaptionTextColor(int i) const { return caption_text_[i]; }
  const CTKPaintManagerColorGradient& ToolBarFace() const { return tool_bar_face_; }
  int CaptionHeight() const { return caption_height_; }
  CFont& FrameCaptionFont() { return caption_font_; }
  // The small icon a frame's caption shows: none for tool windows and windows without a
  // system menu; else the window's, its class's, nothing for a dialog frame, the one it
  // offers for dragging, or the system's application icon.
  HICON FrameSmallIcon(HWND window, bool dialogFrame = false) const;

 private:
  // Reads the INI's colours; a key the INI lacks leaves the colour as it was.
  void ReadIniColors();
  // The borders beside a shown status bar and the rounded lower corners.
  void PaintStatusBarBorders(CDC* dc, const TKFrameInfo& frame);
  void PaintFrameSmallIcon(CDC* dc, const TKFrameInfo& frame);

  CTKPaintManagerFont caption_font_;
  int caption_metric_ = 18, caption_height_ = 17;
  CTKOffice2007ImageSet* set_;
  COLORREF border_[8] = {};
  COLORREF caption_text_[3] = {};
  COLORREF menu_bar_text_ = RGB(21, 66, 139);
  COLORREF status_shadow_ = RGB(86, 125, 176);
  CTKPaintManagerColorGradient status_top_, status_bottom_;
  COLORREF workspace_[3] = {RGB(171, 197, 230), RGB(191, 219, 255), RGB(191, 219, 255)};
};

}  // namespace TKPaintThemes
