// The ribbon's look: its metrics from the menu font, its colours from the "Ribbon" section of
// the Office 2007 image set, and the drawing of its tabs, context tabs and headers, groups band,
// groups, collapsed-group buttons and group-scroll buttons from the set's named images.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "platform/win/gdi.h"
#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/paint/office2003_theme.h"
#include "toolkit/paint/office2007_theme.h"

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

  // --- the frame's caption, its buttons and region, the system button and the system menu
  //     (ribbon_theme_frame.cpp) ---
  // The paint manager as the ribbon theme, or null when it is another.
  static CTKRibbonTheme* From(CTKPaintManager* pm) {
    return pm && pm->ThemeNumber() == kThemeNumber ? static_cast<CTKRibbonTheme*>(pm) : nullptr;
  }
  // What the caption band of a ribbon shows.
  struct CCaptionInfo {
    RECT caption{};             // the band
    RECT title{};               // where the window text goes
    std::wstring text;
    bool companion = false;     // the ribbon draws its frame's caption
    bool composition = false;   // the desktop window manager draws the frame (glass)
    bool active = true;
    bool maximized = false;
    int frame_border = 0;
    HICON small_icon = nullptr;  // the frame's, drawn at the left when there is no system button
  };
  // The theme draws the frame of a ribbon's window (the frame companion asks for its status bar).
  bool FrameMode() const { return frame_mode_; }
  void SetFrameMode(bool on) { frame_mode_ = on; }
  // The Office 2007 frame drawing (borders, caption buttons, region, caption font, images) over
  // this theme's image set.
  TKPaintThemes::CTKOffice2007Theme& FrameTheme();
  // The band, the title and (without a system button) the frame's small icon.
  void PaintCaption(HDC dc, const CCaptionInfo& info);
  void PaintCaptionBand(HDC dc, const RECT& band, bool companion, bool composition, bool active);
  void PaintRibbonTitle(HDC dc, const CCaptionInfo& info);
  // A caption button for a system command; `active` is false for a disabled button.
  void PaintFrameCaptionButton(HDC dc, const RECT& rect, int command, bool selected, bool pressed, bool active);
  // The region of a frame that is not maximised, w x h, with cut corners.
  KestrinWinNS::CScopedRegion FrameRegion(int w, int h, bool status_bar, int border);
  // The system button of a ribbon drawing its caption with tabs: state 2 popup open, 1 selected,
  // 0 normal; `frame_icon` (the frame's large icon, for a button without an icon of its own)
  // centred at 32 x 32.
  void PaintSystemButton(HDC dc, const RECT& rect, int state, HICON frame_icon);
  // The system menu's face stretched with its borders as margins, and a button along its bottom.
  void PaintSystemMenu(HDC dc, const RECT& client, const RECT& borders);
  void PaintSystemMenuButton(HDC dc, const RECT& rect, bool selected);
  // The two edge lines under a list's caption row in the system menu.
  void PaintListCaptionEdges(HDC dc, const RECT& caption);
  // A colour of the "Ribbon" section read now; CLR_INVALID when the set lacks it.
  COLORREF RibbonSectionColour(const wchar_t* key) { return FrameTheme().ImageSetOf()->ColorFromIni(L"Ribbon", key); }

 private:
  struct CReleasePaintManager {
    void operator()(CTKPaintManager* manager) const { manager->Release(); }
  };
  std::unique_ptr<TKPaintThemes::CTKOffice2007Theme, CReleasePaintManager> frame_theme_;
  bool frame_mode_ = true;

 private:
  CTKOffice2007ImageSet* images_ = nullptr;
  CMetrics metrics_;
  int font_size_override_ = 0;
  std::map<std::wstring, COLORREF> colours_;
};
