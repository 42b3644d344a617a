// The drawing object of the command bars. Bars and controls never draw themselves: they ask
// the paint manager in force to measure and draw them. Each look ("theme") is a subclass; the
// base owns the colour table, the fonts, the metrics and what all themes share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/gdi.h"
#include "platform/appframe/types.h"
#include "platform/win/gdi.h"
#include "toolkit/drawing/color_manager.h"
#include "toolkit/drawing/theme_wrapper.h"
#include <vssym32.h>

class CTKControl;
class CTKCommandBar;
class CTKImageManagerIcon;
class CTKPaintManager;

// A band of an expanding popup's new contents: rows top to bottom of its picture, and whether
// they were hidden before it expanded (they grow in) or shown (they keep their height).
struct CTKExpandBand {
  int top;
  int bottom;
  bool grows;
};

// A font that follows the system's metrics while "standard" is set.
class CTKPaintManagerFont : public CFont {
 public:
  bool IsStandard() const { return standard_; }
  void SetStandard(bool on) { standard_ = on; }
  // Takes a caller's font; it is no longer rebuilt from the system.
  void SetCustomFont(const LOGFONTW& font) {
    DeleteObject();
    CreateFontIndirect(&font);
    standard_ = false;
  }

 private:
  bool standard_ = true;
};

// The gallery control's own drawing metrics, held and refreshed by the paint manager.
class CTKControlGalleryPaintManager : public CCmdTarget {
 public:
  explicit CTKControlGalleryPaintManager(CTKPaintManager* owner) : owner_(owner) {}
  CTKPaintManager* Owner() const { return owner_; }
  // A label row: its face, a line at the bottom and the caption.
  virtual void PaintGroupLabel(CDC* dc, class CTKControlGallery* gallery, const CRect& rect, const std::wstring& caption);
  // The gallery's background, border and separator line.
  virtual void PaintGalleryBack(CDC* dc, class CTKControlGallery* gallery, const CRect& rect);
  // The vertical scroll bar of a gallery without a popup.
  virtual void PaintPopupScroller(CDC* dc, class CTKControlGallery* gallery);
  // The up, down and "more" buttons of a gallery with a popup.
  virtual void PaintInlineScroller(CDC* dc, class CTKControlGallery* gallery);
  virtual void RefreshMetrics();
  int ScrollBarWidth() const { return scroll_width_; }
  COLORREF BorderColor() const { return border_; }
  int RefreshCount() const { return refreshes_; }
  // The arrow buttons' height of the scroll bar; the in-bar buttons' heights and column width.
  int ScrollArrowSize() const { return vscroll_height_; }
  int UpButtonHeight() const { return up_height_; }
  int DownButtonHeight() const { return down_height_; }
  int ButtonColumnWidth() const { return column_width_; }

 protected:
  CTKPaintManager* owner_;
  int scroll_width_ = 16;
  COLORREF border_ = 0;
  int refreshes_ = 0;
  int hscroll_width_ = 16, hscroll_height_ = 16, vscroll_height_ = 16;
  int up_height_ = 19, down_height_ = 19, column_width_ = 16;
  CTKWinThemeWrapper scroll_theme_;
};

class CTKPaintManager : public CCmdTarget {
 public:
  // SetLayeredWindowAttributes when the system has it, else null.
  using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  SetLayeredWindowAttributesFn LayeredAttributesFunction() const { return set_layered_; }
  // The state of a control as its face and caption colour need it.
  struct ItemState {
    bool selected = false;
    int pressed = 0;
    bool enabled = true;
    int checked = 0;
    bool popped = false;
    int bar_type = 1;
    int bar_position = 0;
    int selection = 0;  // how the control was selected: 1 by the mouse, 2 and 3 by the keyboard
  };

  CTKPaintManager();
  ~CTKPaintManager() override;

  // --- measuring and drawing of controls ---
  // Measures (draw false) or draws a control; returns its size.
  CSize PaintControl(CDC* dc, CTKControl* control, bool draw);
  virtual CSize PaintPopupItem(CDC* dc, CTKControl* control, bool draw);
  virtual CSize PaintToolBarItem(CDC* dc, CTKControl* control, bool draw);
  virtual void PaintSplitButton(CDC* dc, CTKControl* control) = 0;
  virtual CSize PaintComboControl(CDC* dc, CTKControl* control, bool draw);
  virtual int EditAreaBackIndex(CTKControl* control);
  virtual CSize PaintEditControl(CDC* dc, CTKControl* control, bool draw);
  virtual CSize PaintListRow(CDC* dc, CTKControl* control, const CRect& rect, bool draw) = 0;
  virtual void PaintBarBackground(CDC* dc, CTKCommandBar* bar) = 0;
  virtual void PaintItemFace(CDC* dc, CTKControl* control);
  virtual COLORREF ItemTextColor(CTKControl* control);
  virtual int TextColorForState(const ItemState& state) = 0;
  virtual void PaintStateRect(CDC* dc, const CRect& rect, const ItemState& state) = 0;
  virtual CSize PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw);
  // The gap before a control that begins a group; drawn when asked.
  virtual CSize PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) = 0;
  virtual void ShrinkFaceRect(CRect& rect, CTKControl* control) = 0;
  virtual void PaintDockArea(CDC* dc, const CRect& rect);
  // The area of a dock bar whose bar style (CBRS_ alignment and border bits) is `style`; the
  // dock area unless a theme gives a side a look of its own.
  virtual void PaintDockBarArea(CDC* dc, const CRect& rect, DWORD style) { PaintDockArea(dc, rect); }
  virtual void PaintStatusBackground(CDC* dc, const CRect& rect);
  // Pane style bits: the pane draws no edge; the pane's text is greyed.
  static const DWORD kPaneNoBorders = 0x100;
  static const DWORD kPaneDisabled = 0x4000000;
  // A status-bar pane: its edge (unless the style has no borders), then the icon at the left,
  // centred across, and the text after it on one line.
  virtual void PaintStatusPane(CDC* dc, const CRect& rect, HICON icon, CSize iconSize, const std::wstring& text,
                               DWORD style, bool besideGrip);
  // The sunken edge of a pane; the one beside the size grip has a part of its own when themed.
  virtual void PaintStatusPaneEdge(CDC* dc, const CRect& rect, bool besideGrip);
  // The size grip in the bottom-right corner of rect.
  virtual void PaintSizeGrip(CDC* dc, const CRect& rect);
  void SetThemedStatusBar(bool on) { themed_status_ = on; }
  COLORREF StatusTextColor() const { return status_text_color_; }
  virtual void ReloadColorsAndFonts();
  // Kinds: 0 tool-bar expand, 1 popup expand, 2 hide button, 3 customize drop-down.
  virtual void PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& state, bool hiddenControls);
  virtual CRect BarBorderInsets(CTKCommandBar* bar);
  virtual CSize PaintTearOffBand(CDC* dc, const CRect& rect, bool hot, bool draw) = 0;
  virtual void PaintItemIcon(CDC* dc, CPoint pt, CSize size, CTKImageManagerIcon* image, const ItemState& state) = 0;
  virtual CSize PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) = 0;
  virtual CRect SplitArrowFreeRect(CTKControl* control);
  // The drop-down button a combo box control draws in `rect`, in the control's state (popped:
  // its list is down).
  virtual void PaintComboDropDownButton(CDC* dc, const CRect& rect, const ItemState& state);
  // The spin pair of an edit control in `area`, the up button over its upper half. `selected`
  // and `pressed` are the control's: 3 names the up button, 4 the down button.
  virtual void PaintSpinButtons(CDC* dc, const CRect& area, bool enabled, int selected, int pressed);
  // State: 1 normal, 2 hot, 3 pressed, 4 disabled; checked 0, 1 or 2 (indeterminate).
  virtual CSize PaintCheckBox(CDC* dc, const CRect& rect, bool draw, int state, int checked);
  virtual CSize PaintRadioBox(CDC* dc, const CRect& rect, bool draw, int state, int checked);
  virtual void PaintGutterFace(CDC* dc, const CRect& rect) {}
  virtual int ThemeNumber() const = 0;
  virtual CFont* BarFontFor(CTKCommandBar* bar, bool bold);
  virtual void RebuildBarFonts();
  virtual void StrokeCheck(CDC* dc, const CRect& rect, COLORREF colour);
  virtual void FillRoundDot(CDC* dc, const CRect& rect, COLORREF edge, COLORREF fill);
  virtual void FillDownTriangle(CDC* dc, const CRect& rect, COLORREF colour);
  virtual void PaintSmallArrow(CDC* dc, CPoint pt, bool vertical, COLORREF colour);
  // Copies a popup bar's new contents (source) onto `rect` of dc in steps; kind 2 slide, 3
  // unfold, 4 fade. A fade on a window's DC fades the window itself in through its layered
  // alpha where the system has it, else it blends in memory. The frames end early on capture
  // loss, a cancel key or the quit message; a fade's last, whole frame is the caller's paint.
  virtual void RunPopupAnimation(CDC* dc, const CRect& rect, CDC* source, int kind);
  // Unfolds an open popup that grows to show its rarely used items: its new contents (source)
  // are walked band by band, the bands that were hidden growing into their height frame by
  // frame while the others keep theirs; `down`: the popup grows downwards (else its bottom
  // stays and the bands are laid from there upwards). Paced and ended as the opening is.
  virtual void RunExpandAnimation(CDC* dc, const CRect& rect, CDC* source, const std::vector<CTKExpandBand>& bands,
                                  bool down);
  virtual void PaintClientArea(CDC* dc, const CRect& rect);
  virtual void PaintAccessKeyTip(CDC* dc, const CRect& rect, const std::wstring& caption, bool enabled);
  // The bars' tooltip windows: a theme that draws them itself says so, paints their face (the
  // whole window, `style` 1 for a tip with a title) and gives their window region for a size
  // (none: the plain rectangle).
  virtual bool DrawsTooltips() const { return false; }
  virtual void PaintTooltip(HDC dc, const RECT& rect, const std::wstring& text, int style) {}
  virtual KestrinWinNS::CScopedRegion TooltipWindowRegion(int w, int h) const { return {}; }
  // Whether the window a control holds (its edit box) lies where the alpha of its pixels shows
  // through, as on glass, so that the window must make its pixels fully opaque after it paints.
  // No control does in the base; a theme that places controls there answers for them.
  virtual bool ControlNeedsOpaqueAlpha(CTKControl* control) { return false; }
  virtual int IconColumnWidth(CTKCommandBar* bar);
  // 2 for a popup bar that shows its checks and icons side by side, else 1.
  static int IconColumnCount(CTKCommandBar* bar);
  virtual CSize IconCellSize(CTKCommandBar* bar);
  virtual void PaintCaptionText(CDC* dc, CTKControl* control, const std::wstring& text, CRect rect, UINT format,
                                bool enabled);

  // --- shared helpers ---
  COLORREF ResolveColor(int index) const;
  void SetCustomColor(int index, COLORREF c) { colors_[index].SetCustomValue(c); }
  int EffectiveSchemeNumber() const;
  void BuildFontsFromLogFont(const LOGFONTW* font, bool useStandard);
  int RowHeight() const { return control_height_ > 22 ? control_height_ : 22; }
  int ControlHeight() const { return control_height_; }
  void FillAndFrame(CDC* dc, const CRect& rect, int fill, int frame);
  void Draw3dFrame(CDC* dc, const CRect& rect, int topLeft, int bottomRight);
  void RowLine(CDC* dc, int x1, int x2, int y, int colour);
  void ColumnLine(CDC* dc, int x, int y1, int y2, int colour);
  // Gives every pixel of `rect` full alpha (for surfaces that read it: glass, layered windows).
  static void ForceOpaque(CDC* dc, const CRect& rect);
  // Splits a caption for two lines under a large icon; false when it stays on one line.
  static bool SplitCaption(const std::wstring& caption, std::wstring* first, std::wstring* second);
  ItemState StateOf(CTKControl* control) const;

  void SetThemeNumberWord(int number) { theme_number_ = number; }
  int ThemeNumberWord() const { return theme_number_; }
  CTKControlGalleryPaintManager* GalleryPaintManager() const { return gallery_; }
  CFont& RegularFont() { return font_regular_; }
  CFont& BoldFont() { return font_bold_; }
  int AnimationSteps() const { return animation_steps_; }
  void SetAnimation(int steps, int duration) {
    animation_steps_ = steps;
    animation_duration_ = duration;
  }
  CTKWinThemeWrapper& ButtonTheme() { return button_theme_; }
  void SetThemedCheckMarks(bool on) { themed_checks_ = on; }
  void SetEmbossedDisabledText(bool on) { embossed_disabled_ = on; }
  void SetKeyboardCuesOverride(int value) { keyboard_cues_override_ = value; }
  int PopupTextGap() const { return popup_text_gap_; }
  int SplitDropDownWidth() const { return split_width_; }
  int PopupArrowWidth() const { return popup_arrow_width_; }
  bool IsWholeRowHighlight() const { return whole_row_highlight_; }
  void SetWholeRowHighlight(bool on) { whole_row_highlight_ = on; }
  void SetFlatToolBar(bool on) { flat_tool_bar_ = on; }
  void SetFlatOtherBars(bool on) { flat_other_bars_ = on; }

  // Reference counting (the global instance is released, never deleted directly).
  void AddRef() { InternalAddRef(); }
  void Release() { InternalRelease(); }

 protected:
  // The system's menu font as the fonts are rebuilt from it (a test's theme may answer).
  virtual bool SystemMenuFont(LOGFONTW* font);
  CSize MeasureText(CDC* dc, CFont* font, const std::wstring& text, UINT format = DT_SINGLELINE);
  CSize PaintToolBarCheckItem(CDC* dc, CTKControl* control, bool draw, bool vertical, CFont* font);
  // An icon in the variant its state asks for. Disabled and indeterminate icons without a
  // variant of their own are drawn as a silhouette in the given colour, disabled ones over a
  // copy in colour 20 one pixel right and down when embossed.
  void PaintIconForState(CDC* dc, CPoint pt, CSize size, CTKImageManagerIcon* image, const ItemState& state,
                         int disabledColour, bool embossed, int indeterminateColour);

  COLORREF scheme_color_ = 0;
  COLORREF status_text_color_ = 0;
  CTKPaintManagerColorGradient face_gradient_;
  CTKPaintManagerColor floating_caption_;
  CTKPaintManagerColor floating_caption_text_;
  bool thick_check_ = false;
  bool themed_status_ = false;
  bool themed_checks_ = false;
  bool cleartype_ = false;
  bool flat_other_bars_ = false;
  bool flat_tool_bar_ = false;
  int popup_text_gap_ = 4;
  bool whole_row_highlight_ = false;
  bool label_icon_column_ = true;
  CTKPaintManagerFont font_small_caption_, font_icon_title_, font_icon_title_bold_, font_status_;
  int split_width_ = 11;
  int popup_arrow_width_ = 20;
  bool icons_follow_font_ = false;
  CTKControlGalleryPaintManager* gallery_ = nullptr;
  SetLayeredWindowAttributesFn set_layered_ = nullptr;
  CFont font_regular_, font_bold_, font_vertical_, font_vertical_bold_;
  int control_height_ = 0;
  bool vertical_face_configured_ = false;
  std::wstring configured_face_ = L"Tahoma";
  bool use_system_menu_font_ = true;
  bool embossed_disabled_ = true;
  CTKWinThemeWrapper status_theme_, button_theme_;
  int theme_number_ = 0;
  bool faded_icons_ = false;
  bool disabled_variants_ = false;
  bool icon_shadow_ = false;
  bool tinted_disabled_ = false;
  int animation_steps_ = 10;
  int animation_duration_ = 100;
  int keyboard_cues_override_ = -1;
  CTKPaintManagerColor colors_[63];
  int system_theme_selection_ = 5;
};

// The process's current paint manager.
CTKPaintManager* NewThemeByNumber(int number);
// Themes of higher folders (the ribbon's) hand the factory a maker for their number; a maker
// that returns null leaves the number to the factory's own choice.
using TKThemeMaker = CTKPaintManager* (*)();
void RegisterThemeMaker(int number, TKThemeMaker maker);
void InstallGlobalPaintManager(CTKPaintManager* manager);
void InstallThemeByNumber(int number);
void DropGlobalPaintManager();
// The current one, created with the default theme on first demand.
CTKPaintManager* GlobalPaintManager();
