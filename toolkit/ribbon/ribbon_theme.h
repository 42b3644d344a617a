// The ribbon's look, on top of the Office 2007 look: its metrics and fonts from the menu font,
// its colours from the "Ribbon" section of the image set, and the drawing of its tabs, context
// tabs and headers, groups band, groups, collapsed groups, quick-access bar, tooltips and popup
// separators from the set's named images.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "platform/win/gdi.h"
#include "toolkit/drawing/office2007_image_set.h"
#include "toolkit/paint/office2007_theme.h"
#include "toolkit/tabs/tab_appearance_sets.h"
#include "toolkit/tabs/tab_colour_sets.h"

struct CTKRibbonTabContextHeader;
class CTKRibbonGroup;
class CTKImageManagerIcon;

class CTKRibbonTheme : public TKPaintThemes::CTKOffice2007Theme {
 public:
  static constexpr int kThemeNumber = 6;
  static constexpr COLORREF kTransparentKey = RGB(255, 0, 255);
  static constexpr int kContextColours = 7;
  // Fixed colours of the look.
  static constexpr COLORREF kSeparatorColour = RGB(197, 197, 197);
  static constexpr COLORREF kSeparatorLight = RGB(245, 245, 245);
  static constexpr COLORREF kGroupsPopupFace = RGB(191, 219, 255);
  // The colour table's slots the look fixes or reads from its set, and the fixed values.
  static constexpr int kDisabledTextSlot = 35;
  static constexpr int kPopupFaceSlot = 41;
  static constexpr int kPopupBorderSlot = 43;
  static constexpr int kPopupTextSlot = 44;
  static constexpr int kHighlightTextSlot = 45;
  static constexpr COLORREF kDisabledText = RGB(167, 167, 167);
  static constexpr COLORREF kPopupBorder = RGB(134, 134, 134);
  static constexpr COLORREF kPopupFace = RGB(250, 250, 250);
  static constexpr COLORREF kExpandedGutter = RGB(233, 238, 238);
  // The group's option button (bottom right of its caption row).
  static constexpr SIZE kOptionButtonSize{15, 14};
  // The quick-access area above the tabs reaches this far left of the bar's first control.
  static constexpr int kQuickAccessAreaLead = 15;

  // Makes NewThemeByNumber(6) build this theme. The paint folder knows nothing of the ribbon,
  // so a program that chooses the ribbon's look by its number registers the theme once.
  static void RegisterWithThemeFactory();

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
  // The metrics of `pm` when it is the ribbon theme, else those of an 11-point font at 96 dpi
  // (the ribbon laid out under another paint manager).
  static CMetrics MetricsOf(CTKPaintManager* pm);

  // A tab's drawing state.
  struct CTabState {
    bool selected = false;
    bool hot = false;
    bool pressed = false;
    bool keyboard = false;  // the tab row holds the keyboard selection
  };

  // What a collapsed group's button shows.
  struct CCollapsedGroup {
    RECT rect{};
    int context_colour = 0;
    bool selected = false;
    bool pressed = false;  // its popup is open
    CTKImageManagerIcon* icon = nullptr;
    SIZE icon_size{0, 0};
    std::wstring caption;
    bool enabled = true;
  };

  // The images come from the process's image set unless another is given (which must outlive
  // the theme). Like every paint manager it is ready to draw after ReloadColorsAndFonts.
  explicit CTKRibbonTheme(CTKOffice2007ImageSet* images = nullptr);
  ~CTKRibbonTheme() override;

  int ThemeNumber() const override { return kThemeNumber; }
  void ReloadColorsAndFonts() override;

  // The name a context colour number stands for in image names ("BLUE" ...); empty for none.
  static std::wstring ContextColourName(int colour);

  const CMetrics& Metrics() const { return metrics_; }
  // The height of the caption band the ribbon draws (the frame's caption).
  int FrameCaptionHeight() const { return CaptionHeight(); }
  void SetFontSizeOverride(int points) {
    font_size_override_ = points;
    fonts_dirty_ = true;
  }
  // Reads the menu font and the screen's resolution again, and rebuilds the ribbon fonts when
  // they changed or are missing.
  void RefreshRibbonMetrics();
  // The colours of the "Ribbon" section the look reads at each refresh.
  enum RibbonColourKey {
    kRibbonFace,
    kTabNormalText,
    kTabSelectedText,
    kGroupCaptionText,
    kGroupClientText,
    kRibbonText,
    kControlEditNormal,
    kMinimizedFrameEdgeHighLight,
    kMinimizedFrameEdgeShadow,
    kMenuPopupText,
    kControlHighlightText,
    kRibbonColourKeys
  };
  // A colour of the "Ribbon" section read at the last refresh; CLR_INVALID when the set lacks it.
  COLORREF RibbonColour(RibbonColourKey key) const { return colours_[key]; }
  void RefreshRibbonColours();
  // The regular and bold ribbon fonts (cell height from the metrics, "Segoe UI" when installed).
  HFONT RibbonFont() const { return ribbon_font_.Get(); }
  HFONT RibbonBoldFont() const { return ribbon_bold_font_.Get(); }
  const std::wstring& RibbonFontFace() const { return font_face_; }
  bool HotGroupsEnabled() const { return hot_groups_; }
  void SetHotGroupsEnabled(bool on) { hot_groups_ = on; }
  // The theme draws the frame of a ribbon's window (the frame companion asks for its status bar).
  bool FrameMode() const { return frame_mode_; }
  void SetFrameMode(bool on) { frame_mode_ = on; }
  int SecondDropDownWidth() const { return second_dropdown_width_; }

  // --- the ribbon's tab paint manager (ribbon_theme_tabs.cpp) ---
  // Flat property-page tabs as high as the tab row, whose faces the theme draws.
  class CRibbonAppearanceSet : public CAppearanceSetPropertyPageFlat {
   public:
    explicit CRibbonAppearanceSet(CTKRibbonTheme* theme);
    void ReloadLook() override;
    void PaintTab(HDC dc, CTKTabManagerItem* item) override;

   private:
    CTKRibbonTheme* theme_;
  };
  // The Office 2003 colours with the ribbon's tab texts; the ribbon draws the row's ground.
  class CRibbonColorSet : public CColorSetOffice2003 {
   public:
    explicit CRibbonColorSet(CTKRibbonTheme* theme);
    void ReloadLook() override;
    void PaintHeaderFace(HDC dc, const RECT& rect, const CTKTabManager* manager) override {}

   private:
    CTKRibbonTheme* theme_;
  };
  // The tab paint manager of the ribbon's tab row, made on first use and held by the theme.
  CTKTabPaintManager* TabPaintManager();
  // The separators of a tab: one at its right edge when it is narrower than its natural width,
  // and the context separators at the outer edges of a run of context tabs.
  void PaintTabSeparators(HDC dc, const RECT& tab, bool narrowed, bool context_first, bool context_last);
  // The ribbon font's description (the tab row's fonts come from it).
  const LOGFONTW& RibbonLogFont() const { return ribbon_logfont_; }

  // --- the control colour queries ---
  // A control of a ribbon bar outside its groups, enabled and plain, takes "RibbonText".
  COLORREF ItemTextColor(CTKControl* control) override;
  // Edit areas: "ControlEditNormal" while enabled and not selected (colour 41 in popups).
  int EditAreaBackIndex(CTKControl* control) override;
  // The colour rule of ItemTextColor on plain facts: true when "RibbonText" applies.
  static bool UsesRibbonText(bool ribbon_bar, bool in_group, const ItemState& state);
  // The rule of EditAreaBackIndex: a colour index, or the literal "ControlEditNormal".
  int EditAreaBackFor(bool enabled, bool selected, bool popup_bar) const;
  // The highest number ResolveColor reads as an entry of the colour table.
  static constexpr int kLastColourEntry = 62;

  // Popup bars get 2 x 2 separators in the look's grey; other bars as the Office 2007 look.
  CSize PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) override;
  // The separator itself: a column down `row` at x, or a row (grey over light) at y from `left`.
  static void PaintPopupSeparator(HDC dc, bool vertical, int x_or_left, int y_or_top, int end);

  // --- drawing; each draws nothing when its image is missing ---
  // Draws `state` of the image's `states` strips stretched into `rect`; false when it is missing.
  bool DrawImage(HDC dc, const wchar_t* name, const RECT& rect, int states, int state, const RECT& margins,
                 bool transparent);
  // A tab of the row: only a selected or hot tab has a face; a context tab takes its colour's.
  void PaintTab(HDC dc, const RECT& rect, const CTabState& state, int context_colour);
  void PaintContextHeader(HDC dc, const CTKRibbonTabContextHeader& header);
  // The header's caption: 6 pixels in from its left edge, `frame_border` - 2 lower when the
  // ribbon draws its frame's caption, in the selected tab text colour.
  // With desktop composition (`glass`) the caption glows.
  void PaintContextHeaderText(HDC dc, const CTKRibbonTabContextHeader& header, int frame_border, bool companion,
                              bool glass = false);
  void PaintGroupsBand(HDC dc, const RECT& rect, int context_colour);
  // A group above its caption row and the caption row itself; nothing while collapsed.
  void PaintGroup(HDC dc, const RECT& rect, bool hot, bool context, bool collapsed);
  // The group's caption text in its caption row, left of the option button when it has one.
  void PaintGroupCaption(HDC dc, const RECT& caption_row, const std::wstring& caption, bool option_button);
  // State 2 pressed, 1 selected, 0 normal.
  void PaintGroupOptionButton(HDC dc, const RECT& rect, int state);
  // The ribbon under its caption: the face, and the edge lines of a ribbon without groups.
  void PaintRibbonBackground(HDC dc, const RECT& rect, bool groups_shown);
  // The popup that shows groups (a tab's or a collapsed group's) before the groups draw.
  void PaintGroupsPopupBackground(HDC dc, const RECT& rect);
  // State 2 pressed, 1 selected, 0 normal.
  void PaintGroupScrollButton(HDC dc, const RECT& rect, bool left, int state);

  // A collapsed group's button: width from its caption, three controls high.
  SIZE CollapsedGroupButtonSize(int caption_width) const;
  void PaintCollapsedGroup(HDC dc, const CCollapsedGroup& group);
  // A collapsed group's button copied into the quick-access bar. State 2 pressed, 1 selected.
  void PaintCollapsedGroupInQuickAccess(HDC dc, const RECT& rect, int state);

  // The quick-access bar above the tabs: its area from kQuickAccessAreaLead pixels left of the
  // bar to its right edge (`on_glass` where the caption is glass).
  void PaintQuickAccessArea(HDC dc, const RECT& bar, bool on_glass);
  // The quick-access bar below the groups.
  void PaintQuickAccessFrame(HDC dc, const RECT& rect);
  // The customise (`more` false) and more buttons ending the bar. State 2 pressed, 1 selected.
  void PaintQuickAccessButton(HDC dc, const RECT& rect, bool more, int state);
  // The frame of the more popup (the popup bar's when the set has no own image), and of popup
  // bars of style 5.
  void PaintMorePopupFrame(HDC dc, const RECT& rect);
  void PaintPopupBarFrame(HDC dc, const RECT& rect);

  // A tooltip: a vertical gradient inside a frame, the text centred on one line. `style` 1 is
  // the tooltip with a title, whose text takes another colour entry.
  void PaintTooltip(HDC dc, const RECT& rect, const std::wstring& text, int style) override;
  bool DrawsTooltips() const override { return true; }
  KestrinWinNS::CScopedRegion TooltipWindowRegion(int w, int h) const override { return TooltipRegion(w, h); }
  // The quick-access controls of a ribbon whose caption band is glass lie on the glass.
  bool ControlNeedsOpaqueAlpha(CTKControl* control) override;
  // The tooltip window's region: w x h with its four corner pixels cut.
  static KestrinWinNS::CScopedRegion TooltipRegion(int w, int h);
  // The colours of tooltips (section "Window"): light, dark and border.
  COLORREF TooltipColour(int which) const { return tooltip_[which]; }

  // --- the ribbon look of controls: buttons, split buttons, marks, combo and spin buttons, menu
  //     items and the status bar (ribbon_theme_controls.cpp) ---
  // Where a button stands in a connected row of a group.
  enum ConnectedPlace { kConnectedSingle, kConnectedLeft, kConnectedRight, kConnectedCenter };
  // The strip of "TOOLBARBUTTONS22/50" a face shows: -1 none (a plain or disabled button),
  // 0 selected, 1 pressed or open, 2 checked and selected or pressed, 3 checked.
  static int ToolBarButtonState(const ItemState& state);
  // The strip of a connected-row button, which always has a face: 0 normal, 1 selected,
  // 2 pressed or open, 3 checked, 4 checked and selected or pressed.
  static int ConnectedButtonState(const ItemState& state);
  // A check or radio mark's strip from the base's mark state (1 normal, 2 hot, 3 pressed,
  // 4 disabled) and its check (0, 1, 2 indeterminate).
  static int CheckMarkState(int state, int checked, bool radio);
  // The drop-down glyph: 3 disabled, 1 selected, 0 otherwise.
  static int DropDownGlyphState(bool enabled, bool selected);
  // A combo box's drop-down button: 0 normal, 1 selected, 2 pressed, 3 open, 4 disabled.
  static int ComboDropDownState(const ItemState& state);
  // One spin button (`button` 3 up, 4 down, as the edit control marks the part under the
  // pointer in its selected and pressed values): 0 normal, 1 the control selected, 2 the
  // pointer on this button, 3 this button pressed, 4 disabled.
  static int SpinButtonState(bool enabled, int selected, int pressed, int button);
  // The place of `control` in its row of `group` (the visible records with its top, by left).
  static ConnectedPlace ConnectedPlaceOf(const CTKRibbonGroup& group, const CTKControl* control);
  // The connected row `control` of a ribbon bar stands in: false when its group has none.
  static bool InConnectedRow(CTKControl* control, ConnectedPlace* place);

  // A tool-bar button's face in a ToolBarButtonState strip (the tall image from 33 pixels).
  void PaintToolBarButton(HDC dc, const RECT& rect, int state);
  // A connected-row button's face in a ConnectedButtonState strip.
  void PaintConnectedButton(HDC dc, const RECT& rect, ConnectedPlace place, int state);
  // A split button's two parts, each in its own strip (ToolBarButtonState, or
  // ConnectedButtonState when `connected`); -1 draws no face for that part.
  void PaintSplitParts(HDC dc, const RECT& command, const RECT& dropdown, int command_state, int dropdown_state,
                       bool connected, ConnectedPlace place);
  // The drop-down glyph in its 5 x 4 cell around `pt`.
  void PaintDropDownGlyph(HDC dc, POINT pt, int state);
  // A menu item's highlight (the tall images from 33 pixels) and its check cell.
  void PaintMenuItemHighlight(HDC dc, const RECT& rect, bool enabled);
  void PaintMenuCheck(HDC dc, const RECT& rect, bool enabled);
  // The status bar: the light part up to 3 pixels before the first pane's right edge (all of it
  // without panes, `first_pane_right` < 0), the divider, the dark part to the right edge.
  void PaintStatusBar(HDC dc, const RECT& bar, int first_pane_right);
  // The gripper at its own size in the bottom-right corner, 4 pixels above the bottom.
  void PaintStatusGripper(HDC dc, const RECT& bar);

  // The paint manager's drawing of controls in this look.
  void PaintStateRect(CDC* dc, const CRect& rect, const ItemState& state) override;
  void PaintItemFace(CDC* dc, CTKControl* control) override;
  void PaintSplitButton(CDC* dc, CTKControl* control) override;
  CSize PaintToolBarItem(CDC* dc, CTKControl* control, bool draw) override;
  void PaintSmallArrow(CDC* dc, CPoint pt, bool vertical, COLORREF colour) override;
  CSize PaintCheckBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) override;
  CSize PaintRadioBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) override;
  // A combo box is drawn as an edit box; its control asks for the button.
  CSize PaintComboControl(CDC* dc, CTKControl* control, bool draw) override;
  void PaintComboDropDownButton(CDC* dc, const CRect& rect, const ItemState& state) override;
  void PaintSpinButtons(CDC* dc, const CRect& area, bool enabled, int selected, int pressed) override;
  void PaintPopupSplitPart(CDC* dc, CTKControl* control, const ItemState& state) override;
  void PaintSubmenuArrow(CDC* dc, CTKControl* control, const ItemState& state) override;
  void PaintStatusBackground(CDC* dc, const CRect& rect) override { PaintStatusBar(*dc, rect, -1); }
  void PaintSizeGrip(CDC* dc, const CRect& rect) override { PaintStatusGripper(*dc, rect); }

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
  COLORREF RibbonSectionColour(const wchar_t* key) const { return ImageSetOf()->ColorFromIni(L"Ribbon", key); }

 private:
  void RebuildRibbonFonts(const LOGFONTW& menu_font);
  // The colour table's entries the look fixes, and those it takes from the "Ribbon" colours.
  void ApplyBaseColours();
  // Glowing text on glass through the visual style's "WINDOW" class (caption `part`, `state`
  // 1 active or 2 inactive), drawn into a buffer 5 pixels wider on each side; `colour` unless
  // CLR_INVALID. False when the style or its buffer is missing (nothing is drawn then).
  bool DrawGlowingText(HDC dc, HFONT font, const std::wstring& text, const RECT& rect, int part, int state,
                       COLORREF colour, UINT format);

  CMetrics metrics_;
  // The drop-down glyph's state of the tool-bar item being drawn (-1 outside one).
  int glyph_state_ = -1;
  int font_size_override_ = 0;
  int menu_font_height_ = 0;
  int dpi_ = 0;
  bool fonts_dirty_ = true;
  bool hot_groups_ = true;
  bool frame_mode_ = true;
  int second_dropdown_width_ = 26;
  std::wstring font_face_ = L"Segoe UI";
  LOGFONTW ribbon_logfont_{};
  KestrinWinNS::CScopedFont ribbon_font_, ribbon_bold_font_;
  std::array<COLORREF, kRibbonColourKeys> colours_;
  struct CReleaseTarget {
    void operator()(CCmdTarget* target) const { target->InternalRelease(); }
  };
  std::unique_ptr<CTKTabPaintManager, CReleaseTarget> tab_painter_;
  COLORREF tooltip_[3] = {RGB(255, 255, 255), RGB(201, 217, 239), RGB(118, 118, 118)};
};

inline CTKRibbonTheme::CMetrics CTKRibbonTheme::MetricsOf(CTKPaintManager* pm) {
  if (CTKRibbonTheme* theme = From(pm)) return theme->Metrics();
  return MetricsFor(11, 96, 0);
}
