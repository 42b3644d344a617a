// Measures, lays out and draws the strips of the tab managers that use it. The shape of the
// tabs is the appearance set's, every colour the colour set's; the options below apply to both.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/win/gdi.h"
#include "toolkit/drawing/color_manager.h"
#include "toolkit/tabs/tab_manager.h"

class CTKTabPaintManager : public CCmdTarget {
 public:
  class CAppearanceSet;
  class CColorSet;

  enum Position { kTop = 0, kLeft = 1, kBottom = 2, kRight = 3 };
  enum Layout { kAutoSize = 0, kSizeToFit = 1, kFixedWidth = 2, kCompressed = 3, kMultiRow = 4, kRotated = 5 };
  enum Appearance {
    kPropertyPage = 0, kPropertyPageSelected = 1, kPropertyPageFlat = 2, kPropertyPage2003 = 3,
    kStateButtons = 4, kVisualStudio = 5, kFlat = 6, kExcel = 7, kVisio = 8, kVisualStudio2005 = 9
  };
  enum ColourSetNumber {
    kColourDefault = 1, kColourVisualStudio = 2, kColourOffice2003 = 4, kColourWinXP = 8, kColourWhidbey = 16,
    kColourOffice2007 = 32
  };

  CTKTabPaintManager();
  ~CTKTabPaintManager() override;

  virtual void PaintStrip(CTKTabManager* manager, HDC dc, const RECT& rect);
  virtual void ShrinkToPage(CTKTabManager* manager, RECT& rect);
  virtual void LayoutStrip(CTKTabManager* manager, HDC dc, const RECT& rect);
  // Draws the item's icon and caption in `rect`; with `draw` false only measures its length.
  virtual int PaintOrMeasureTab(HDC dc, CTKTabManagerItem* item, const RECT& rect, bool draw);
  virtual void ReloadLook();
  virtual void NotifyStrips();
  virtual void PaintFocusMark(HDC dc, CTKTabManagerItem* item, const RECT& rect);

  void ChooseShapeSet(int number);
  void InstallShapeSet(CAppearanceSet* set);
  void ChooseColourSet(int number);
  void InstallColourSet(CColorSet* set);
  void ChooseLayout(int layout);
  void ChoosePosition(int position);
  int StripPosition() const { return position; }
  int StripLayout() const { return layout; }
  void ApplyLogFont(const LOGFONTW* font, bool use_system_font);
  void BringIntoView(CTKTabManager* manager, CTKTabManagerItem* item);
  bool ThemeColoursOff() const;

  void AddAtom(CTKTabManagerAtom* atom);
  void RemoveAtom(CTKTabManagerAtom* atom);

  CAppearanceSet* Shape() const { return shape_.get(); }
  CColorSet* Colours() const { return colours_.get(); }
  int ShapeNumber() const { return shape_number_; }
  int ColourNumber() const { return colour_number_; }
  HFONT NormalFont() const { return font_normal_.Get(); }
  HFONT BoldFont() const { return font_bold_.Get(); }
  HFONT VerticalFont() const { return font_vertical_.Get(); }
  HFONT VerticalBoldFont() const { return font_vertical_bold_.Get(); }
  bool IsVertical() const { return position == kLeft || position == kRight; }

  // Layout steps the appearance sets call.
  void LayoutSingleRow(CTKTabManager* manager, HDC dc, const RECT& rect);
  void LayoutMultiRow(CTKTabManager* manager, HDC dc, const RECT& rect);
  // Shrinks the lengths (in item order) to the room, longest first.
  static void ShrinkLengths(std::vector<int>& lengths, int room);
  // Deflates `rect` by `margin` turned to the strip's position.
  static void DeflateRotated(RECT& rect, const RECT& margin, int position);
  // The font a tab's caption is drawn and measured with.
  HFONT CaptionFont(const CTKTabManager* manager, const CTKTabManagerItem* item) const;
  bool CaptionsVertical() const { return IsVertical() != (layout == kRotated); }
  // The header with the navigate buttons placed at its far end.
  RECT HeaderWithButtons(CTKTabManager* manager, const RECT& header) const;
  // Draws the item's icon at `at` through the host, turned along a vertical strip when icons
  // are rotated there.
  void PaintIcon(HDC dc, POINT at, CTKTabManagerItem* item, SIZE icon);
  // Draws a caption cut in the middle to fit `rect`.
  static void DrawMiddleEllipsis(HDC dc, const std::wstring& caption, RECT rect, UINT flags);

  // Options.
  bool hot_tracking = false;
  bool show_icons = true;
  bool bold_selected = false;
  bool bold_normal = false;
  bool item_colours = false;
  bool disable_theme_colours = false;
  int client_frame = 0;
  bool static_frame = false;
  RECT client_margin{0, 0, 0, 0};
  RECT control_margin{0, 0, 0, 0};
  RECT button_margin{0, 0, 0, 0};
  RECT caption_indent{6, 0, 6, 0};
  bool fill_background = true;
  SIZE icon_size{16, 16};
  bool middle_ellipsis = false;
  bool end_ellipsis = true;
  bool no_prefix = true;
  UINT text_align = DT_VCENTER;
  bool strip_mnemonics = false;
  bool keep_selected_row = false;
  bool justify_rows = true;
  bool draw_focus_rect = true;
  int extra_spacing = 0;
  bool select_on_press = true;
  bool cleartype = false;
  bool rotate_icons = false;
  bool clip_header = true;
  int min_width = 0;
  int max_width = 0;
  int fixed_width = 70;
  int tooltip_policy = 2;
  int position = kTop;
  int layout = kAutoSize;
  bool use_system_font = true;
  bool reverse_gradient = false;

 private:
  int MeasureCaption(HDC dc, HFONT font, const std::wstring& caption) const;

  // The caption widths measured so far, per font, for the device the last measuring DC drew
  // on. A strip lays out all its tabs on every change, and a drag moves a tab on every pointer
  // step: measuring hundreds of unchanged captions each time would be most of the work. The
  // fonts are this painter's own, so new fonts (ApplyLogFont) start it afresh.
  struct CWidthKey {
    HFONT font;
    std::wstring text;
    bool operator==(const CWidthKey& other) const { return font == other.font && text == other.text; }
  };
  struct CWidthKeyHash {
    size_t operator()(const CWidthKey& key) const;
  };
  struct CMeasureDevice {
    int dpi_x = 0, dpi_y = 0, char_extra = 0;
    bool operator==(const CMeasureDevice& other) const {
      return dpi_x == other.dpi_x && dpi_y == other.dpi_y && char_extra == other.char_extra;
    }
  };
  static constexpr size_t kMaxRememberedWidths = 4096;
  mutable std::unordered_map<CWidthKey, int, CWidthKeyHash> widths_;
  mutable CMeasureDevice widths_device_;

  std::unique_ptr<CAppearanceSet> shape_;
  std::unique_ptr<CColorSet> colours_;
  int shape_number_ = kPropertyPage;
  int colour_number_ = kColourDefault;
  KestrinWinNS::CScopedFont font_normal_;
  KestrinWinNS::CScopedFont font_bold_;
  KestrinWinNS::CScopedFont font_vertical_;
  KestrinWinNS::CScopedFont font_vertical_bold_;
  std::vector<CTKTabManagerAtom*> atoms_;
};

// The shape of the tabs: header and page geometry, a tab's length and thickness, and how a tab
// and the control's frame are drawn.
class CTKTabPaintManager::CAppearanceSet {
 public:
  CAppearanceSet() = default;
  virtual ~CAppearanceSet() = default;
  CAppearanceSet(const CAppearanceSet&) = delete;
  CAppearanceSet& operator=(const CAppearanceSet&) = delete;

  virtual void ReloadLook();
  virtual RECT HeaderArea(const RECT& control, const CTKTabManager* manager) const;
  virtual RECT PageArea(const RECT& control, const CTKTabManager* manager) const;
  virtual RECT HeaderIndent() const { return header_margin; }
  virtual RECT PageIndent() const;
  virtual int TabLength(HDC dc, CTKTabManagerItem* item);
  virtual int TabThickness(const CTKTabManager* manager) const;
  virtual RECT TabRedrawArea(const CTKTabManagerItem* item) const { return item->Rect(); }
  virtual void PaintStrip(CTKTabManager* manager, HDC dc, const RECT& rect);
  virtual RECT PaintBackdrop(CTKTabManager* manager, HDC dc, const RECT& rect);
  virtual void LayoutStrip(CTKTabManager* manager, HDC dc, const RECT& rect);
  virtual void ShrinkToPage(CTKTabManager* manager, RECT& rect);
  virtual void PaintTab(HDC dc, CTKTabManagerItem* item) = 0;
  virtual void PaintPageFramePart(HDC dc, RECT& rect, int part);
  virtual int FittingColourSets() const { return 7; }
  virtual int PreferredColourSet() const { return kColourDefault; }

  int ButtonHeight() const { return button_height; }
  CTKTabPaintManager* Painter() const { return painter; }
  CColorSet* Colours() const { return painter->Colours(); }
  int Position() const { return painter->position; }

  RECT header_margin{0, 0, 0, 0};
  int row_spacing = -2;
  int button_height = 18;
  CTKTabPaintManager* painter = nullptr;
  bool left_to_right = false;
  int number = kPropertyPage;

 protected:
  // The icon and caption inside a tab, with the focus mark of the selected one.
  void PaintContent(HDC dc, CTKTabManagerItem* item, const RECT& rect);
};

// Every colour of the strip, and the filling of its standard areas.
class CTKTabPaintManager::CColorSet {
 public:
  CColorSet() = default;
  virtual ~CColorSet() = default;
  CColorSet(const CColorSet&) = delete;
  CColorSet& operator=(const CColorSet&) = delete;

  virtual void ReloadLook();
  virtual void ApplyTabTextColour(HDC dc, const CTKTabManagerItem* item);
  virtual void PaintHeaderFace(HDC dc, const RECT& rect, const CTKTabManager* manager);
  virtual void PaintPageFace(HDC dc, const RECT& rect, const CTKTabManager* manager);
  virtual void PaintButtonFace(HDC dc, RECT rect, const CTKTabManagerItem* item);
  virtual COLORREF PaintTabFace(HDC dc, const RECT& rect, const CTKTabManagerItem* item);
  virtual void PaintHeaderExtra(HDC dc, const RECT& rect, const CTKTabManager* manager) {}
  virtual void PaintNavButtonFace(HDC dc, const CTKTabManagerNavigateButton* button, const RECT& rect);
  virtual COLORREF ItemColourOf(const CTKTabManagerItem* item) const;
  virtual bool UsesSystemTheme() const { return false; }

  CTKPaintManagerColorGradient header_face;
  CTKPaintManagerColorGradient autohide_face;
  CTKPaintManagerColor frame_border;
  CTKPaintManagerColor control_face;
  CTKPaintManagerColor further_face;
  CTKPaintManagerColor button_highlight;
  CTKPaintManagerColor selected_face;
  CTKPaintManagerColor hot_face;
  CTKPaintManagerColor pressed_face;
  CTKPaintManagerColor normal_face;
  CTKPaintManagerColor normal_text;
  CTKPaintManagerColor inactive_text;
  CTKPaintManagerColor selected_text;
  CTKPaintManagerColor hot_text;
  CTKPaintManagerColor disabled_text;
  CTKPaintManagerColorGradient selected_button_face;
  CTKPaintManagerColorGradient selected_button_border;
  CTKPaintManagerColor tab_highlight;
  CTKPaintManagerColor tab_shadow;
  CTKPaintManagerColor tab_dark_shadow;
  CTKPaintManagerColor tab_border;
  CTKPaintManagerColor selected_tab_border;
  CTKPaintManagerColor tab_inner_light;
  CTKPaintManagerColor tab_inner_white;
  // Outline, spare, far-edge outline, inner light, inner shadow, spare: [0] the selected tab,
  // [1] the others.
  CTKPaintManagerColor excel[2][6];
  CTKTabPaintManager* painter = nullptr;
  int number = kColourDefault;

 protected:
  bool IsExcel() const { return painter && painter->ShapeNumber() == kExcel; }
  bool IsShape(int number) const { return painter && painter->ShapeNumber() == number; }
  bool IsSelected(const CTKTabManagerItem* item) const;
  bool IsHot(const CTKTabManagerItem* item) const;
  bool IsPressed(const CTKTabManagerItem* item) const;
  bool HorizontalStrip() const { return !painter || !painter->IsVertical(); }
};

// Set when a colour is unset.
inline bool TKColourSet(const CTKPaintManagerColor& c) { return static_cast<int>(c.Color()) != -1; }

// Three-dimensional frame: top and left in `light`, bottom and right in `dark`.
void TKDraw3dRect(HDC dc, const RECT& rect, COLORREF light, COLORREF dark);
void TKDrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour);
