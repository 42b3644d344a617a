#include "toolkit/ribbon/ribbon_theme.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_tab.h"

using namespace TKCommandBars;

namespace {

// The names of the "Ribbon" colours, in the order of their keys.
const wchar_t* const kColourNames[CTKRibbonTheme::kRibbonColourKeys] = {
    L"RibbonFace",       L"TabNormalText", L"TabSelectedText",           L"GroupCaptionText",
    L"GroupClientText",  L"RibbonText",    L"ControlEditNormal",         L"MinimizedFrameEdgeHighLight",
    L"MinimizedFrameEdgeShadow", L"MenuPopupText", L"ControlHighlightText",
};

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  if (colour == CLR_INVALID || rect.right <= rect.left || rect.bottom <= rect.top) return;
  CTKDrawHelpers::FillSolidRect(dc, rect, colour);
}

void FillLine(HDC dc, int left, int right, int y, COLORREF colour) { FillSolid(dc, RECT{left, y, right, y + 1}, colour); }

// One text in a font and colour on a transparent ground; the DC keeps its own settings.
void DrawTextIn(HDC dc, HFONT font, COLORREF colour, const std::wstring& text, RECT rect, UINT format) {
  KestrinWinNS::CSelectObject select(dc, font);
  const COLORREF old_colour = SetTextColor(dc, colour);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  SetBkMode(dc, old_mode);
  SetTextColor(dc, old_colour);
}

// State 2 pressed, 1 selected, 0 normal, from a control-like pair.
int PressSelectState(bool pressed, bool selected) { return pressed ? 2 : selected ? 1 : 0; }

CTKPaintManager* MakeRibbonTheme() { return new CTKRibbonTheme; }

}  // namespace

void CTKRibbonTheme::RegisterWithThemeFactory() { RegisterThemeMaker(kThemeNumber, &MakeRibbonTheme); }

CTKRibbonTheme::CMetrics CTKRibbonTheme::MetricsFor(int size, int dpi, int font_size_override) {
  int points = size;
  if (font_size_override > 11) points = font_size_override;
  if (points <= 12) points = 11;
  if (dpi <= 0) dpi = 96;
  CMetrics m;
  m.font_height = points * 125 / dpi;
  m.button_height = std::max(points * 144 / dpi + 6, 22);
  m.control_height = std::max(points * 195 / dpi, 22);
  m.tab_row_height = m.control_height < 23 ? 23 : m.control_height + 2;
  m.group_caption_height = std::max(points * 144 / dpi, 17);
  m.split_dropdown_width = std::max(m.button_height / 2, 12);
  return m;
}

CTKRibbonTheme::CTKRibbonTheme(CTKOffice2007ImageSet* images) : CTKOffice2007Theme(images) {
  SetThemeNumberWord(kThemeNumber);
  split_width_ = 12;
  cleartype_ = true;
  // The metrics, fonts and colours are read by ReloadColorsAndFonts, as every look's are.
  colours_.fill(CLR_INVALID);
}

CTKRibbonTheme::~CTKRibbonTheme() = default;

void CTKRibbonTheme::ReloadColorsAndFonts() {
  CTKOffice2007Theme::ReloadColorsAndFonts();
  RefreshRibbonMetrics();
  RefreshRibbonColours();
  ApplyBaseColours();
  if (tab_painter_) {
    tab_painter_->ApplyLogFont(&ribbon_logfont_, false);
    tab_painter_->ReloadLook();
  }
}

std::wstring CTKRibbonTheme::ContextColourName(int colour) {
  static const wchar_t* const kNames[] = {L"BLUE", L"YELLOW", L"GREEN", L"RED", L"PURPLE", L"CYAN", L"ORANGE"};
  if (colour < 1 || colour > kContextColours) return std::wstring();
  return kNames[colour - 1];
}

void CTKRibbonTheme::RefreshRibbonMetrics() {
  LOGFONTW menu{};
  if (!SystemMenuFont(&menu)) {
    menu.lfHeight = -11;
    menu.lfCharSet = DEFAULT_CHARSET;
  }
  int dpi = 96;
  {
    KestrinWinNS::CScopedClientDC screen(nullptr);
    if (screen) dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  }
  const int height = std::abs(menu.lfHeight);
  metrics_ = MetricsFor(height, dpi, font_size_override_);
  if (height != menu_font_height_ || dpi != dpi_) fonts_dirty_ = true;
  menu_font_height_ = height;
  dpi_ = dpi;
  if (fonts_dirty_ || !ribbon_font_) RebuildRibbonFonts(menu);
}

void CTKRibbonTheme::RebuildRibbonFonts(const LOGFONTW& menu_font) {
  LOGFONTW lf = menu_font;
  lf.lfHeight = metrics_.font_height;  // the cell height
  lf.lfWidth = 0;
  lf.lfWeight = FW_NORMAL;
  lf.lfItalic = FALSE;
  if (CTKDrawHelpers::IsFontInstalled(font_face_.c_str()))
    lstrcpynW(lf.lfFaceName, font_face_.c_str(), LF_FACESIZE);
  UINT smoothing = 0;
  if (SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &smoothing, 0) &&
      smoothing == FE_FONTSMOOTHINGCLEARTYPE)
    lf.lfQuality = CLEARTYPE_QUALITY;
  ribbon_logfont_ = lf;
  ribbon_font_.Reset(CreateFontIndirectW(&lf));
  lf.lfWeight = FW_BOLD;
  ribbon_bold_font_.Reset(CreateFontIndirectW(&lf));
  fonts_dirty_ = false;
}

void CTKRibbonTheme::RefreshRibbonColours() {
  CTKOffice2007ImageSet& set = *ImageSetOf();
  for (int key = 0; key < kRibbonColourKeys; ++key) colours_[key] = set.ColorFromIni(L"Ribbon", kColourNames[key]);
  const wchar_t* const tooltip_keys[] = {L"TooltipLight", L"TooltipDark", L"TooltipBorder"};
  for (int i = 0; i < 3; ++i) {
    const COLORREF colour = set.ColorFromIni(L"Window", tooltip_keys[i]);
    if (colour != CLR_INVALID) tooltip_[i] = colour;
  }
}

void CTKRibbonTheme::ApplyBaseColours() {
  // The ribbon's menus: greyed text, the popup's border and its face are fixed; the gutter of
  // rarely used items is flat.
  colors_[kDisabledTextSlot].SetStandardValue(kDisabledText);
  colors_[kPopupBorderSlot].SetStandardValue(kPopupBorder);
  colors_[kPopupFaceSlot].SetStandardValue(kPopupFace);
  expanded_gripper_.SetStandardColors(kExpandedGutter, kExpandedGutter, 0.5f);
  // The text of menu items and of highlighted controls, when the set names them.
  const COLORREF popup_text = RibbonColour(kMenuPopupText);
  if (popup_text != CLR_INVALID) colors_[kPopupTextSlot].SetStandardValue(popup_text);
  const COLORREF highlight_text = RibbonColour(kControlHighlightText);
  if (highlight_text != CLR_INVALID) colors_[kHighlightTextSlot].SetStandardValue(highlight_text);
}

// ---------------------------------------------------------------------------------------------
// Control colours and separators

bool CTKRibbonTheme::UsesRibbonText(bool ribbon_bar, bool in_group, const ItemState& state) {
  return ribbon_bar && !in_group && state.enabled && !state.selected && !state.pressed && !state.checked &&
         !state.popped;
}

COLORREF CTKRibbonTheme::ItemTextColor(CTKControl* control) {
  CTKCommandBar* bar = control ? control->GetParent() : nullptr;
  if (bar && bar->GetType() == kRibbonBar) {
    const auto* ribbon = dynamic_cast<const CTKRibbonBar*>(bar);
    const bool in_group = ribbon && ribbon->GroupOfControl(control);
    const COLORREF text = RibbonColour(kRibbonText);
    if (text != CLR_INVALID && UsesRibbonText(true, in_group, StateOf(control))) return text;
  }
  return CTKOffice2007Theme::ItemTextColor(control);
}

int CTKRibbonTheme::EditAreaBackFor(bool enabled, bool selected, bool popup_bar) const {
  if (!enabled) return 15;
  if (selected) return 5;
  if (popup_bar) return 41;
  const COLORREF normal = RibbonColour(kControlEditNormal);
  if (normal == CLR_INVALID) return 5;
  // The answer is read as an entry number up to the table's last entry; a colour that small
  // (dark reds) goes palette-relative instead, which draws the same colour on any true-colour
  // surface.
  if (normal <= static_cast<COLORREF>(kLastColourEntry)) return static_cast<int>(PALETTERGB(GetRValue(normal), 0, 0));
  return static_cast<int>(normal);
}

int CTKRibbonTheme::EditAreaBackIndex(CTKControl* control) {
  CTKCommandBar* bar = control->GetParent();
  return EditAreaBackFor(control->GetEnabled(), control->GetSelected() != 0, bar && bar->GetType() == kPopupBar);
}

void CTKRibbonTheme::PaintPopupSeparator(HDC dc, bool vertical, int x_or_left, int y_or_top, int end) {
  if (vertical) {
    FillSolid(dc, RECT{x_or_left, y_or_top, x_or_left + 1, end}, kSeparatorColour);
    return;
  }
  FillLine(dc, x_or_left, end, y_or_top, kSeparatorColour);
  FillLine(dc, x_or_left, end, y_or_top + 1, kSeparatorLight);
}

CSize CTKRibbonTheme::PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) {
  if (!bar || bar->GetType() != kPopupBar) return CTKOffice2007Theme::PaintGroupSeparator(dc, control, bar, draw);
  if (draw && control && dc) {
    const CRect rect = control->GetRect();
    if (control->GetWrap()) {
      const CRect row = control->GetRowRect();
      PaintPopupSeparator(*dc, true, rect.left - 2, row.IsRectEmpty() ? rect.top : row.top,
                          row.IsRectEmpty() ? rect.bottom : row.bottom);
    } else {
      PaintPopupSeparator(*dc, false, rect.left + IconColumnWidth(bar), rect.top - 2, rect.right);
    }
  }
  return CSize(2, 2);
}

// ---------------------------------------------------------------------------------------------
// Images

bool CTKRibbonTheme::DrawImage(HDC dc, const wchar_t* name, const RECT& rect, int states, int state,
                               const RECT& margins, bool transparent) {
  if (states <= 0) return false;
  return DrawImagePart(ImageNamed(name), dc, rect, std::clamp(state, 0, states - 1), states, margins, transparent);
}

void CTKRibbonTheme::PaintTab(HDC dc, const RECT& rect, const CTabState& state, int context_colour) {
  if (!state.selected && !state.hot) return;
  const RECT margins{5, 5, 5, 5};
  if (context_colour == 0) {
    int index = 0;
    if (state.selected && state.keyboard) index = 5;
    else if (state.selected && state.hot) index = 4;
    else if (state.selected) index = 3;
    else if (state.pressed) index = 2;
    else if (state.hot) index = 1;
    DrawImage(dc, L"RIBBONTAB", rect, 6, index, margins, true);
    return;
  }
  const std::wstring colour = ContextColourName(context_colour);
  if (colour.empty()) return;
  int index = 1;
  if (state.selected && (state.keyboard || state.hot)) index = 4;
  else if (state.selected) index = 3;
  DrawImage(dc, (L"CONTEXTTAB" + colour).c_str(), rect, 5, index, margins, false);
}

void CTKRibbonTheme::PaintContextHeader(HDC dc, const CTKRibbonTabContextHeader& header) {
  const std::wstring colour = ContextColourName(header.colour);
  if (colour.empty()) return;
  DrawImage(dc, (L"ContextTab" + colour + L"Header").c_str(), header.rect, 1, 0, RECT{1, 1, 1, 1}, false);
}

void CTKRibbonTheme::PaintContextHeaderText(HDC dc, const CTKRibbonTabContextHeader& header, int frame_border,
                                            bool companion, bool glass) {
  if (header.caption.empty()) return;
  RECT rect = header.rect;
  rect.left += 6;
  if (companion) rect.top += frame_border - 2;
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  COLORREF colour = RibbonColour(kTabSelectedText);
  if (colour == CLR_INVALID) colour = RibbonColour(kTabNormalText);
  if (colour == CLR_INVALID) colour = ResolveColor(18);
  const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
  // The tab row's font (the ribbon font's description, until the row has its own).
  HFONT font = tab_painter_ && tab_painter_->NormalFont() ? tab_painter_->NormalFont() : ribbon_font_.Get();
  // On glass the caption glows as the window's title does; plainly where there is no style.
  if (glass && DrawGlowingText(dc, font, header.caption, rect, 1, 1, colour, format)) return;
  DrawTextIn(dc, font, colour, header.caption, rect, format);
}

void CTKRibbonTheme::PaintGroupsBand(HDC dc, const RECT& rect, int context_colour) {
  const RECT margins{8, 8, 8, 8};
  const std::wstring colour = ContextColourName(context_colour);
  if (colour.empty())
    DrawImage(dc, L"RIBBONGROUPS", rect, 1, 0, margins, false);
  else
    DrawImage(dc, (L"CONTEXTTAB" + colour + L"CLIENT").c_str(), rect, 1, 0, margins, false);
}

void CTKRibbonTheme::PaintGroup(HDC dc, const RECT& rect, bool hot, bool context, bool collapsed) {
  if (collapsed) return;
  const RECT margins{5, 5, 5, 5};
  const int caption_top = std::max<int>(rect.top, rect.bottom - metrics_.group_caption_height);
  const RECT client{rect.left, rect.top, rect.right, caption_top};
  const RECT caption{rect.left, caption_top, rect.right, rect.bottom};
  DrawImage(dc, context ? L"CONTEXTTABGROUPCLIENT" : L"RIBBONGROUPCLIENT", client, 2, hot ? 1 : 0, margins, false);
  DrawImage(dc, context ? L"CONTEXTTABGROUPCAPTION" : L"RIBBONGROUPCAPTION", caption, 2, hot ? 1 : 0, margins, false);
}

void CTKRibbonTheme::PaintGroupCaption(HDC dc, const RECT& caption_row, const std::wstring& caption,
                                       bool option_button) {
  RECT rect = caption_row;
  OffsetRect(&rect, 0, -1);
  if (option_button) rect.right -= metrics_.group_caption_height + 1;
  if (rect.right <= rect.left || caption.empty()) return;
  const COLORREF text = RibbonColour(kGroupCaptionText);
  DrawTextIn(dc, ribbon_font_.Get(), text == CLR_INVALID ? ResolveColor(18) : text, caption, rect,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void CTKRibbonTheme::PaintGroupOptionButton(HDC dc, const RECT& rect, int state) {
  DrawImage(dc, L"RIBBONOPTIONBUTTON", rect, 4, state, RECT{3, 2, 2, 2}, true);
}

void CTKRibbonTheme::PaintRibbonBackground(HDC dc, const RECT& rect, bool groups_shown) {
  FillSolid(dc, rect, RibbonColour(kRibbonFace));
  if (groups_shown || rect.bottom - rect.top < 2) return;
  FillLine(dc, rect.left, rect.right, rect.bottom - 2, RibbonColour(kMinimizedFrameEdgeShadow));
  FillLine(dc, rect.left, rect.right, rect.bottom - 1, RibbonColour(kMinimizedFrameEdgeHighLight));
}

void CTKRibbonTheme::PaintGroupsPopupBackground(HDC dc, const RECT& rect) { FillSolid(dc, rect, kGroupsPopupFace); }

void CTKRibbonTheme::PaintGroupScrollButton(HDC dc, const RECT& rect, bool left, int state) {
  if (!DrawImage(dc, left ? L"RIBBONGROUPSSCROLLLEFT" : L"RIBBONGROUPSSCROLLRIGHT", rect, 3, state,
                 RECT{4, 6, 3, 6}, true))
    return;
  if (CTKOffice2007Image* glyph = ImageNamed(left ? L"RIBBONGROUPSSCROLLLEFTGLYPH" : L"RIBBONGROUPSSCROLLRIGHTGLYPH"))
    DrawCentred(glyph, dc, rect, glyph->GetPartRect(0, 1));
}

// ---------------------------------------------------------------------------------------------
// Collapsed groups

SIZE CTKRibbonTheme::CollapsedGroupButtonSize(int caption_width) const {
  const int width = std::max(caption_width + 6, std::max(42, 2 * metrics_.button_height - 3));
  return SIZE{width, 3 * metrics_.control_height};
}

void CTKRibbonTheme::PaintCollapsedGroup(HDC dc, const CCollapsedGroup& group) {
  const RECT& rect = group.rect;
  const int state = PressSelectState(group.pressed, group.selected);
  // A context colour without a name has no images: its button has no face.
  const std::wstring colour = ContextColourName(group.context_colour);
  if (group.context_colour == 0)
    DrawImage(dc, L"RIBBONGROUPBUTTON", rect, 3, state, RECT{5, 5, 5, 5}, false);
  else if (!colour.empty())
    DrawImage(dc, (L"CONTEXTTAB" + colour + L"GROUPBUTTON").c_str(), rect, 3, state, RECT{5, 5, 5, 5}, false);

  // The icon, centred 4 pixels below the top; a small one sits in its frame.
  const int centre = (rect.left + rect.right) / 2;
  int icon_top = rect.top + 4;
  int icon_bottom = icon_top + group.icon_size.cy;
  if (group.icon_size.cx < 20) {
    if (CTKOffice2007Image* frame = ImageNamed(L"RIBBONGROUPBUTTONICON")) {
      const SIZE size = frame->GetSize();
      const int x = centre - size.cx / 2, y = rect.top + 2;
      frame->DrawTransparentColor(dc, RECT{x, y, x + size.cx, y + size.cy}, frame->GetPartRect(0, 1), RECT{},
                                  kTransparentKey);
      icon_bottom = y + size.cy;
    }
    icon_top = rect.top + 9;
    icon_bottom = std::max<int>(icon_bottom, icon_top + group.icon_size.cy);
  }
  if (group.icon && group.icon_size.cx > 0) {
    CDC cdc;
    cdc.Attach(dc);
    ItemState state_of_icon;
    state_of_icon.enabled = group.enabled;
    PaintItemIcon(&cdc, CPoint(centre - group.icon_size.cx / 2, icon_top), CSize(group.icon_size), group.icon,
                  state_of_icon);
    cdc.Detach();
  }

  // The caption below, in the control text colour.
  RECT text{rect.left + 2, icon_bottom + 3, rect.right - 2, rect.bottom - 2};
  if (group.caption.empty() || text.bottom <= text.top) return;
  ItemState text_state;
  text_state.enabled = group.enabled;
  text_state.selected = group.selected;
  text_state.popped = group.pressed;
  text_state.bar_type = kRibbonBar;
  DrawTextIn(dc, ribbon_font_.Get(), ResolveColor(TextColorForState(text_state)), group.caption, text,
             DT_CENTER | DT_TOP | DT_WORDBREAK | DT_END_ELLIPSIS);
}

void CTKRibbonTheme::PaintCollapsedGroupInQuickAccess(HDC dc, const RECT& rect, int state) {
  DrawImage(dc, L"RIBBONGROUPQUICKACCESS", rect, 3, state, RECT{}, true);
}

// ---------------------------------------------------------------------------------------------
// Quick-access bar and popups

void CTKRibbonTheme::PaintQuickAccessArea(HDC dc, const RECT& bar, bool on_glass) {
  const RECT area{bar.left - kQuickAccessAreaLead, bar.top, bar.right, bar.bottom};
  DrawImage(dc, on_glass ? L"RIBBONQUICKACCESSAREADWM" : L"RIBBONQUICKACCESSAREA", area, 1, 0, RECT{16, 3, 0, 3},
            false);
}

void CTKRibbonTheme::PaintQuickAccessFrame(HDC dc, const RECT& rect) {
  DrawImage(dc, L"RIBBONQUICKACCESSFRAME", rect, 1, 0, RECT{3, 3, 3, 3}, false);
}

void CTKRibbonTheme::PaintQuickAccessButton(HDC dc, const RECT& rect, bool more, int state) {
  DrawImage(dc, more ? L"RIBBONQUICKACCESSMORE" : L"RIBBONQUICKACCESSBUTTON", rect, 4, state, RECT{2, 2, 2, 2}, true);
}

void CTKRibbonTheme::PaintMorePopupFrame(HDC dc, const RECT& rect) {
  if (!DrawImage(dc, L"MOREPOPUPBARFRAME", rect, 1, 0, RECT{4, 4, 4, 4}, false)) PaintPopupBarFrame(dc, rect);
}

void CTKRibbonTheme::PaintPopupBarFrame(HDC dc, const RECT& rect) {
  DrawImage(dc, L"POPUPBARFRAME", rect, 1, 0, RECT{4, 4, 4, 4}, false);
}

bool CTKRibbonTheme::ControlNeedsOpaqueAlpha(CTKControl* control) {
  const CTKRibbonBar* ribbon = control ? dynamic_cast<const CTKRibbonBar*>(control->GetParent()) : nullptr;
  if (!ribbon || !ribbon->FrameLink() || !ribbon->FrameLink()->IsDesktopComposition()) return false;
  // Above the groups the quick-access bar stands in the caption band, which the frame's glass
  // reaches into.
  return !ribbon->IsQuickAccessBelow() && ribbon->QuickAccessControls() && ribbon->QuickAccessControls()->Contains(control);
}

// ---------------------------------------------------------------------------------------------
// Tooltips

void CTKRibbonTheme::PaintTooltip(HDC dc, const RECT& rect, const std::wstring& text, int style) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  CTKDrawHelpers::FillGradient(dc, &rect, tooltip_[0], tooltip_[1], false);
  {
    KestrinWinNS::CScopedBrush border(CreateSolidBrush(tooltip_[2]));
    FrameRect(dc, &rect, border.Get());
  }
  if (text.empty()) return;
  RECT inner = rect;
  InflateRect(&inner, -2, -1);
  // A tooltip with a title writes its text in the button-text entry, a plain one in the
  // tooltip-text entry.
  DrawTextIn(dc, ribbon_font_.Get(), ResolveColor(style == 1 ? 18 : 23), text, inner,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

KestrinWinNS::CScopedRegion CTKRibbonTheme::TooltipRegion(int w, int h) {
  if (w < 3 || h < 3) return KestrinWinNS::CScopedRegion(CreateRectRgn(0, 0, std::max(w, 0), std::max(h, 0)));
  KestrinWinNS::CScopedRegion region(CreateRectRgn(1, 0, w - 1, 1));
  KestrinWinNS::CScopedRegion middle(CreateRectRgn(0, 1, w, h - 1));
  KestrinWinNS::CScopedRegion bottom(CreateRectRgn(1, h - 1, w - 1, h));
  if (!region || !middle || !bottom) return KestrinWinNS::CScopedRegion();
  CombineRgn(region.Get(), region.Get(), middle.Get(), RGN_OR);
  CombineRgn(region.Get(), region.Get(), bottom.Get(), RGN_OR);
  return region;
}
