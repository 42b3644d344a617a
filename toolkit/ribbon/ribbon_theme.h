// The ribbon's look: its metrics from the menu font, its colours from the "Ribbon" section of
// the Office 2007 image set, and the drawing of its tabs, context tabs and headers, groups band,
// groups, collapsed-group buttons and group-scroll buttons from the set's named images.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/paint/office2003_theme.h"

struct CTKRibbonTabContextHeader;

class CTKRibbonTheme : public TKPaintThemes::CTKOffice2003Theme {
 public:
  static constexpr int kThemeNumber = 6;
  static constexpr COLORREF kTransparentKey = RGB(255, 0, 255);
  static constexpr int kContextColours = 7;

  // The sizes the ribbon lays out with, for a menu font `size` high (positive) at `dpi`.
  struct CMetrics {
    int font_height = 0;
    int button_height = 0;
    int control_height = 0;
    int tab_row_height = 0;
    int group_caption_height = 0;
    int split_dropdown_width = 0;
  };
  // `font_size_override` above 11 replaces `size`; sizes of 12 or less count as 11.
  static CMetrics MetricsFor(int size, int dpi, int font_size_override);

  // A tab's drawing state.
  struct CTabState {
    bool selected = false;
    bool hot = false;
    bool pressed = false;
    bool keyboard = false;  // the tab row holds the keyboard selection
  };

  CTKRibbonTheme();
  ~CTKRibbonTheme() override;

  int ThemeNumber() const override { return kThemeNumber; }
  void ReloadColorsAndFonts() override;

  // The images come from the process's image set unless another is given (not owned).
  void UseImageSet(CTKOffice2007ImageSet* images) { images_ = images; }
  CTKOffice2007ImageSet& Images() const { return images_ ? *images_ : GetOffice2007ImageSet(); }

  // The name a context colour number stands for in image names ("BLUE" ...); empty for none.
  static std::wstring ContextColourName(int colour);

  const CMetrics& Metrics() const { return metrics_; }
  // The height of the caption band the ribbon draws (the frame's caption).
  virtual int FrameCaptionHeight() const { return GetSystemMetrics(SM_CYCAPTION); }
  // Whether the group under the mouse is drawn hot.
  virtual bool HotGroupsEnabled() const { return true; }
  void SetFontSizeOverride(int points) { font_size_override_ = points; }
  // Reads the menu font and the screen's resolution again.
  void RefreshRibbonMetrics();
  // A colour of the "Ribbon" section read at the last refresh; CLR_INVALID when the set lacks it.
  COLORREF RibbonColour(const wchar_t* key) const;
  void RefreshRibbonColours();

  // --- drawing; each draws nothing when its image is missing ---
  // Draws `state` of the image's `states` strips stretched into `rect`; false when it is missing.
  bool DrawImage(HDC dc, const wchar_t* name, const RECT& rect, int states, int state, const RECT& margins,
                 bool transparent);
  // A tab of the row: only a selected or hot tab has a face; a context tab takes its colour's.
  void PaintTab(HDC dc, const RECT& rect, const CTabState& state, int context_colour);
  void PaintContextHeader(HDC dc, const CTKRibbonTabContextHeader& header);
  void PaintGroupsBand(HDC dc, const RECT& rect, int context_colour);
  // A group above its caption row and the caption row itself; nothing while collapsed.
  void PaintGroup(HDC dc, const RECT& rect, bool hot, bool context, bool collapsed);
  // The ribbon under its caption: the face, and the edge lines of a ribbon without groups.
  void PaintRibbonBackground(HDC dc, const RECT& rect, bool groups_shown);
  // State 2 pressed, 1 selected, 0 normal.
  void PaintGroupScrollButton(HDC dc, const RECT& rect, bool left, int state);
  SIZE CollapsedGroupButtonSize(int caption_width) const;

 private:
  CTKOffice2007ImageSet* images_ = nullptr;
  CMetrics metrics_;
  int font_size_override_ = 0;
  std::map<std::wstring, COLORREF> colours_;
};
