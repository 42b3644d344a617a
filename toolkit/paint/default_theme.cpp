#include "toolkit/paint/default_theme.h"

#include <algorithm>

#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/image_manager.h"

using namespace TKCommandBars;

namespace TKPaintThemes {

CTKDefaultTheme::CTKDefaultTheme() {
  faded_icons_ = false;
  icon_shadow_ = false;
}

void CTKDefaultTheme::ReloadColorsAndFonts() {
  CTKPaintManager::ReloadColorsAndFonts();
  floating_caption_.SetStandardValue(ResolveColor(2));
  floating_caption_text_.SetStandardValue(ResolveColor(9));
}

int CTKDefaultTheme::TextColorForState(const ItemState& s) {
  if (s.bar_type == kPopupBar) {
    if (!s.enabled) return 17;
    return s.selected ? 14 : popup_text_index_;
  }
  if (!s.enabled) return 17;
  return s.bar_position == kPopup ? popup_text_index_ : 18;
}

void CTKDefaultTheme::PaintStateRect(CDC* dc, const CRect& rect, const ItemState& s) {
  const bool keyboardPressed = s.pressed == 2 || s.pressed == 3;
  if (s.bar_type == kPopupBar && !s.checked) {
    if (s.selected || s.pressed) FillAndFrame(dc, rect, 13, 13);
    return;
  }
  if (s.enabled) {
    if (s.checked && (s.selected || s.pressed)) {
      Draw3dFrame(dc, rect, 16, 20);
    } else if (s.checked) {
      // An 8 x 8 dither of face and highlight under the sunken frame.
      WORD rows[8];
      for (int i = 0; i < 8; ++i) rows[i] = (i % 2) ? 0xAA : 0x55;
      KestrinWinNS::CScopedBitmap pattern(::CreateBitmap(8, 8, 1, 1, rows));
      KestrinWinNS::CScopedBrush brush(::CreatePatternBrush(pattern.Get()));
      COLORREF fg = dc->SetTextColor(ResolveColor(15));
      COLORREF bg = dc->SetBkColor(ResolveColor(20));
      CRect inner = rect;
      inner.DeflateRect(1, 1);
      ::FillRect(*dc, &inner, brush.Get());
      dc->SetTextColor(fg);
      dc->SetBkColor(bg);
      Draw3dFrame(dc, rect, 16, 20);
    } else if (s.popped || keyboardPressed) {
      Draw3dFrame(dc, rect, 16, 20);
    } else if (s.selected && s.pressed) {
      Draw3dFrame(dc, rect, 16, 20);
    } else if (s.selected || s.pressed == 1) {
      Draw3dFrame(dc, rect, 20, 16);
    }
    return;
  }
  if (s.checked || keyboardPressed) Draw3dFrame(dc, rect, 16, 20);
}

CSize CTKDefaultTheme::PaintPopupItem(CDC* dc, CTKControl* control, bool draw) {
  if (!draw) return CTKPaintManager::PaintPopupItem(dc, control, false);
  CTKCommandBar* bar = control->GetParent();
  const CRect rect = control->GetRect();
  const CSize cell = IconCellSize(bar);
  ItemState s = StateOf(control);
  CRect iconCell(rect.left, rect.top, rect.left + cell.cx, rect.bottom);
  if (s.checked) {
    ItemState checked = s;
    checked.bar_type = kToolBar;
    checked.bar_position = kPopup;
    checked.selected = false;
    checked.pressed = 0;
    PaintStateRect(dc, iconCell, checked);
  }
  if (s.selected) {
    CRect highlight = rect;
    if (!whole_row_highlight_) highlight.left = iconCell.right + (s.checked ? 1 : 0);
    ItemState sel = s;
    sel.checked = 0;
    PaintStateRect(dc, highlight, sel);
  }
  CSize iconSize = bar ? bar->GetIconSize() : CSize(16, 16);
  if (CTKImageManagerIcon* icon = control->GetIcon(iconSize.cx)) {
    CPoint pt(iconCell.left + (iconCell.Width() - iconSize.cx) / 2, iconCell.top + (iconCell.Height() - iconSize.cy) / 2);
    ItemState iconState = s;
    iconState.checked = 0;
    PaintItemIcon(dc, pt, iconSize, icon, iconState);
  } else if (s.checked) {
    COLORREF mark = ResolveColor(s.enabled ? 18 : 17);
    StrokeCheck(dc, iconCell, mark);
  }
  CTKPaintManager::PaintPopupItem(dc, control, true);
  const COLORREF textColor = ItemTextColor(control);
  if (control->GetCommandBar() && control->GetType() != kButton) {
    const int tipX = rect.right - 8, cy = rect.top + rect.Height() / 2;
    CTKDrawHelpers::FillTriangle(*dc, POINT{tipX - 3, cy - 3}, POINT{tipX - 3, cy + 3}, POINT{tipX, cy}, textColor);
  }
  if (control->GetType() == kSplitButtonPopup) {
    if (s.popped)
      Draw3dFrame(dc, CRect(rect.right - 20, rect.top, rect.right, rect.bottom), 16, 20);
    else
      ColumnLine(dc, rect.right - 20, rect.top + 2, rect.bottom - 2, 16);
  }
  return rect.Size();
}

void CTKDefaultTheme::PaintSplitButton(CDC* dc, CTKControl* control) {
  const CRect rect = control->GetRect();
  ItemState s = StateOf(control);
  CRect command = SplitArrowFreeRect(control);
  CRect arrow(command.right, rect.top, rect.right, rect.bottom);
  if (control->GetParent() && control->GetStyle() == 4) arrow = CRect(rect.left, command.bottom, rect.right, rect.bottom);
  ItemState commandState = s;
  commandState.popped = false;
  if (s.pressed == 4) commandState.pressed = 0;
  if (s.popped) {
    commandState.selected = false;
    commandState.pressed = 0;
  }
  PaintStateRect(dc, command, commandState);
  ItemState arrowState = s;
  if (s.pressed == 3) arrowState.pressed = 0;
  PaintStateRect(dc, arrow, arrowState);
  const COLORREF colour = ResolveColor(TextColorForState(s));
  PaintSmallArrow(dc, CPoint(arrow.left + arrow.Width() / 2, arrow.top + arrow.Height() / 2), false, colour);
}

void CTKDefaultTheme::PaintEditBorder(CDC* dc, const CRect& rect, bool enabled, bool selected) {
  Draw3dFrame(dc, rect, 16, 20);
}

void CTKDefaultTheme::PaintComboArrowButton(CDC* dc, const CRect& rect, bool enabled, bool selected, bool pressed) {
  ::DrawFrameControl(*dc, const_cast<CRect*>(&rect), DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (enabled ? 0 : DFCS_INACTIVE) | (pressed ? DFCS_PUSHED : 0));
}

void CTKDefaultTheme::PaintSpinPair(CDC* dc, const CRect& rect, bool enabled) {
  CRect up(rect.left, rect.top, rect.right, rect.top + rect.Height() / 2);
  CRect down(rect.left, up.bottom, rect.right, rect.bottom);
  UINT state = enabled ? 0 : DFCS_INACTIVE;
  ::DrawFrameControl(*dc, &up, DFC_SCROLL, DFCS_SCROLLUP | state);
  ::DrawFrameControl(*dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | state);
}

CSize CTKDefaultTheme::PaintComboControl(CDC* dc, CTKControl* control, bool draw) {
  CSize size = CTKPaintManager::PaintComboControl(dc, control, draw);
  if (draw) {
    CRect rect = control->GetRect();
    CRect arrow(rect.right - 16, rect.top + 2, rect.right - 2, rect.bottom - 2);
    PaintComboArrowButton(dc, arrow, control->GetEnabled(), control->GetSelected() != 0, control->GetPressed() != 0);
  }
  return size;
}

CSize CTKDefaultTheme::PaintEditControl(CDC* dc, CTKControl* control, bool draw) {
  CSize size = CTKPaintManager::PaintEditControl(dc, control, draw);
  if (draw) {
    CRect rect = control->GetRect();
    CRect area(std::max<int>(rect.left, rect.right - 100), rect.top + 1, rect.right, rect.bottom - 1);
    PaintEditBorder(dc, area, control->GetEnabled(), control->GetSelected() != 0);
  }
  return size;
}

CSize CTKDefaultTheme::PaintListRow(CDC* dc, CTKControl* control, const CRect& rect, bool draw) {
  const std::wstring caption = control->GetCaption();
  CSize text = MeasureText(dc, &font_regular_, caption.empty() ? L" " : caption, DT_SINGLELINE);
  CSize size(16 + 4 + 4 + text.cx + 8, std::max<int>(16 + 4, text.cy + 4));
  if (!draw) return size;
  ItemState s = StateOf(control);
  s.bar_type = kPopupBar;
  PaintStateRect(dc, rect, s);
  if (CTKImageManagerIcon* icon = control->GetIcon(16))
    PaintItemIcon(dc, CPoint(rect.left + 2, rect.top + (rect.Height() - 16) / 2), CSize(16, 16), icon, s);
  dc->SetTextColor(ResolveColor(TextColorForState(s)));
  dc->SetBkMode(TRANSPARENT);
  CRect textRect(rect.left + 24, rect.top, rect.right, rect.bottom);
  PaintCaptionText(dc, control, caption, textRect, DT_END_ELLIPSIS, s.enabled);
  return size;
}

void CTKDefaultTheme::PaintBarBackground(CDC* dc, CTKCommandBar* bar) {
  CRect client = bar->GetSafeHwnd() ? bar->GetClientRect() : CRect();
  dc->FillSolidRect(&client, ResolveColor(15));
  const int position = bar->GetPosition();
  if (position == kFloating || position == kPopup || bar->GetType() == kPopupBar) {
    Draw3dFrame(dc, client, 15, 21);
    CRect inner = client;
    inner.DeflateRect(1, 1);
    Draw3dFrame(dc, inner, 20, 16);
    return;
  }
  const bool flat = bar->GetType() == kMenuBar ? flat_tool_bar_ : flat_other_bars_;
  if (!flat) Draw3dFrame(dc, client, 20, 16);
}

CSize CTKDefaultTheme::PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) {
  const int position = bar ? bar->GetPosition() : kTop;
  if (position == kFloating) return CTKPaintManager::PaintBarGripper(dc, bar, draw);
  if (!bar || !bar->IsGripperVisible() || bar->GetType() == kPopupBar || position == kPopup) return CSize(0, 0);
  CRect client = bar->GetSafeHwnd() ? bar->GetClientRect() : CRect();
  if (TKCommandBars::IsVerticalPosition(position)) {
    if (draw) Draw3dFrame(dc, CRect(3, 3, client.right - 3, 6), 20, 16);
    return CSize(0, 8);
  }
  if (draw) Draw3dFrame(dc, CRect(3, 3, 6, client.bottom - 3), 20, 16);
  return CSize(6, 0);
}

CSize CTKDefaultTheme::PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) {
  const bool popup = bar && bar->GetType() == kPopupBar;
  if (!draw || !control) return popup ? CSize(0, 8) : CSize(6, 6);
  const CRect rect = control->GetRect();
  if (popup) {
    const int y = rect.top - 5;
    CRect line(rect.left + 1, y, rect.right - 1, y + 2);
    Draw3dFrame(dc, line, 16, 20);
  } else if (control->GetWrap()) {
    CRect row = control->GetRowRect();
    CRect client = bar->GetSafeHwnd() ? bar->GetClientRect() : CRect();
    const int y = row.top - 4;
    Draw3dFrame(dc, CRect(client.left + 2, y, client.right - 2, y + 2), 16, 20);
  } else if (bar && TKCommandBars::IsVerticalPosition(bar->GetPosition())) {
    const int y = rect.top - 4;
    Draw3dFrame(dc, CRect(rect.left + 2, y, rect.right - 2, y + 2), 16, 20);
  } else {
    const int x = rect.left - 4;
    Draw3dFrame(dc, CRect(x, rect.top + 2, x + 2, rect.bottom - 2), 16, 20);
  }
  return popup ? CSize(0, 8) : CSize(6, 6);
}

void CTKDefaultTheme::ShrinkFaceRect(CRect& rect, CTKControl* control) { rect.DeflateRect(1, 1); }

void CTKDefaultTheme::PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& s, bool hiddenControls) {
  if ((kind == 2 || kind == 3) && (s.pressed || s.selected || (kind == 3 && s.popped)))
    dc->FillSolidRect(&rect, ResolveColor(15));
  CTKPaintManager::PaintSpecialButton(dc, rect, kind, s, hiddenControls);
}

CRect CTKDefaultTheme::BarBorderInsets(CTKCommandBar* bar) {
  if (bar && (bar->GetType() == kPopupBar || bar->GetPosition() == kPopup)) return CRect(3, 3, 3, 3);
  return CRect(2, 2, 2, 2);
}

CSize CTKDefaultTheme::PaintTearOffBand(CDC* dc, const CRect& rect, bool hot, bool draw) {
  if (draw) dc->FillSolidRect(CRect(rect.left, rect.top, rect.right, rect.bottom - 1), ResolveColor(hot ? 2 : 3));
  return CSize(0, 8);
}

void CTKDefaultTheme::PaintItemIcon(CDC* dc, CPoint pt, CSize size, CTKImageManagerIcon* image, const ItemState& s) {
  PaintIconForState(dc, pt, size, image, s, 16, true, 16);
}

CSize CTKDefaultTheme::PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) {
  const int h = control_height_ >= 18 ? control_height_ + 4 : 22;
  if (draw) Draw3dFrame(dc, CRect(3, 3, 6, h), 20, 16);
  return CSize(6, h);
}

CSize CTKDefaultTheme::IconCellSize(CTKCommandBar* bar) {
  CSize icon = bar ? bar->GetIconSize() : CSize(16, 16);
  return CSize(std::max<int>(icon.cx + 4, control_height_), std::max<int>(icon.cy + 4, control_height_));
}

// ---------------------------------------------------------------------------------------------
// Native XP

CTKNativeXPTheme::CTKNativeXPTheme() { popup_text_index_ = 7; }

bool CTKNativeXPTheme::SystemFlatMenus(bool* flat) {
  BOOL value = FALSE;
  if (!::SystemParametersInfoW(SPI_GETFLATMENU, 0, &value, 0)) return false;
  *flat = value != FALSE;
  return true;
}

bool CTKNativeXPTheme::StylesActive() { return rebar_.IsThemeInUse() && toolbar_.IsThemeInUse(); }

void CTKNativeXPTheme::ReloadColorsAndFonts() {
  CTKDefaultTheme::ReloadColorsAndFonts();
  HWND main = nullptr;
  rebar_.CloseTheme();
  toolbar_.CloseTheme();
  combobox_.CloseTheme();
  window_.CloseTheme();
  spin_.CloseTheme();
  rebar_.OpenTheme(main, L"REBAR");
  toolbar_.OpenTheme(main, L"TOOLBAR");
  combobox_.OpenTheme(main, L"COMBOBOX");
  window_.OpenTheme(main, L"WINDOW");
  spin_.OpenTheme(main, L"SPIN");
  bool flat = false;
  if (!SystemFlatMenus(&flat)) flat = false;
  flat_menus_ = flat;
  COLORREF c;
  band_shadow_ = SUCCEEDED(rebar_.GetThemeColor(3, 0, TMT_EDGESHADOWCOLOR, &c)) ? c : ResolveColor(16);
  band_highlight_ = SUCCEEDED(rebar_.GetThemeColor(3, 0, TMT_EDGEHIGHLIGHTCOLOR, &c)) ? c : ResolveColor(20);
  if (SUCCEEDED(toolbar_.GetThemeColor(1, 0, TMT_TEXTCOLOR, &c))) colors_[18].SetStandardValue(c);
  if (!flat_menus_ && !toolbar_.GetThemeSysBool(1001)) colors_[29].SetStandardValue(ResolveColor(13));
}

void CTKNativeXPTheme::PaintStateRect(CDC* dc, const CRect& rect, const ItemState& s) {
  if (!StylesActive()) {
    CTKDefaultTheme::PaintStateRect(dc, rect, s);
    return;
  }
  if (s.bar_type == kPopupBar && !s.checked) {
    if (s.selected || s.pressed) FillAndFrame(dc, rect, 29, 13);
    return;
  }
  const bool keyboardPressed = s.pressed == 2 || s.pressed == 3;
  const int checked = (s.checked == 2 && s.enabled) ? 0 : s.checked;
  int state;
  if (!s.enabled)
    state = checked ? 3 : 4;
  else if (s.popped)
    state = 3;
  else if (checked && !s.pressed)
    state = s.selected ? 6 : 5;
  else if ((s.selected && s.pressed) || keyboardPressed)
    state = 3;
  else if (s.selected)
    state = 2;
  else
    state = 1;
  toolbar_.DrawThemeBackground(*dc, 1, state, &rect, nullptr);
}

void CTKNativeXPTheme::PaintItemFace(CDC* dc, CTKControl* control) { CTKDefaultTheme::PaintItemFace(dc, control); }

COLORREF CTKNativeXPTheme::ItemTextColor(CTKControl* control) { return CTKDefaultTheme::ItemTextColor(control); }

void CTKNativeXPTheme::PaintSplitButton(CDC* dc, CTKControl* control) {
  if (!StylesActive()) {
    CTKDefaultTheme::PaintSplitButton(dc, control);
    return;
  }
  const CRect rect = control->GetRect();
  CRect command = SplitArrowFreeRect(control);
  CRect arrow(command.right, rect.top, rect.right, rect.bottom);
  ItemState s = StateOf(control);
  ItemState commandState = s;
  if (s.popped || s.pressed == 4) {
    commandState.pressed = 0;
    commandState.popped = false;
  }
  PaintStateRect(dc, command, commandState);
  int arrowState = !s.enabled ? 4 : s.popped ? 3 : s.selected ? 2 : 1;
  toolbar_.DrawThemeBackground(*dc, 4, arrowState, &arrow, nullptr);
}

void CTKNativeXPTheme::PaintBarBackground(CDC* dc, CTKCommandBar* bar) {
  if (!StylesActive()) {
    CTKDefaultTheme::PaintBarBackground(dc, bar);
    return;
  }
  CRect client = bar->GetSafeHwnd() ? bar->GetClientRect() : CRect();
  const int position = bar->GetPosition();
  if (bar->GetType() == kPopupBar || position == kPopup) {
    if (flat_menus_) {
      dc->FillSolidRect(&client, ::GetSysColor(COLOR_MENU));
      CBrush frame(ResolveColor(16));
      dc->FrameRect(&client, frame);
    } else {
      CTKDefaultTheme::PaintBarBackground(dc, bar);
    }
    return;
  }
  if (position == kFloating) {
    toolbar_.DrawThemeBackground(*dc, 0, 0, &client, nullptr);
    CRect left(client.left, client.top, client.left + 3, client.bottom);
    CRect right(client.right - 3, client.top, client.right, client.bottom);
    CRect bottom(client.left, client.bottom - 3, client.right, client.bottom);
    window_.DrawThemeBackground(*dc, 10, 1, &left, nullptr);
    window_.DrawThemeBackground(*dc, 11, 1, &right, nullptr);
    window_.DrawThemeBackground(*dc, 12, 1, &bottom, nullptr);
    return;
  }
  rebar_.DrawThemeBackground(*dc, 3, 0, &client, nullptr);
  const bool flat = bar->GetType() == kMenuBar ? flat_tool_bar_ : flat_other_bars_;
  if (!flat) dc->Draw3dRect(&client, band_highlight_, band_shadow_);
}

CSize CTKNativeXPTheme::PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) {
  if (!StylesActive() || !bar || bar->GetPosition() == kFloating) return CTKDefaultTheme::PaintBarGripper(dc, bar, draw);
  if (!bar->IsGripperVisible() || bar->GetType() == kPopupBar || bar->GetPosition() == kPopup) return CSize(0, 0);
  CRect client = bar->GetSafeHwnd() ? bar->GetClientRect() : CRect();
  if (TKCommandBars::IsVerticalPosition(bar->GetPosition())) {
    CRect r(3, 2, client.right - 3, 8);
    if (draw) rebar_.DrawThemeBackground(*dc, 2, 1, &r, nullptr);
    return CSize(0, 8);
  }
  CRect r(2, 3, 8, client.bottom - 3);
  if (draw) rebar_.DrawThemeBackground(*dc, 1, 1, &r, nullptr);
  return CSize(6, 0);
}

CSize CTKNativeXPTheme::PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) {
  const bool popup = bar && (bar->GetType() == kPopupBar || bar->GetPosition() == kPopup);
  if (popup || !StylesActive() || !draw || !control) return CTKDefaultTheme::PaintGroupSeparator(dc, control, bar, draw);
  const CRect rect = control->GetRect();
  const bool vertical = TKCommandBars::IsVerticalPosition(bar->GetPosition());
  if (control->GetWrap() != vertical) {
    CRect row = control->GetRowRect();
    CRect strip(rect.left, row.top - 6, rect.right, row.top);
    if (control->GetWrap()) strip = CRect(bar->GetClientRect().left + 2, row.top - 6, bar->GetClientRect().right - 2, row.top);
    toolbar_.DrawThemeBackground(*dc, 6, 1, &strip, nullptr);
  } else {
    CRect strip(rect.left - 6, rect.top, rect.left, rect.bottom);
    toolbar_.DrawThemeBackground(*dc, 5, 1, &strip, nullptr);
  }
  return CSize(6, 6);
}

void CTKNativeXPTheme::ShrinkFaceRect(CRect& rect, CTKControl* control) {
  if (!StylesActive()) CTKDefaultTheme::ShrinkFaceRect(rect, control);
}

void CTKNativeXPTheme::PaintDockArea(CDC* dc, const CRect& rect) {
  if (!rebar_.IsThemeInUse()) {
    CTKDefaultTheme::PaintDockArea(dc, rect);
    return;
  }
  rebar_.DrawThemeBackground(*dc, 0, 0, &rect, nullptr);
}

void CTKNativeXPTheme::PaintStatusBackground(CDC* dc, const CRect& rect) { CTKDefaultTheme::PaintStatusBackground(dc, rect); }

void CTKNativeXPTheme::PaintSpecialButton(CDC* dc, const CRect& rect, int kind, const ItemState& s, bool hiddenControls) {
  if ((kind == 2 || kind == 3) && toolbar_.IsThemeInUse()) {
    int state = !s.enabled ? 4 : (s.pressed || s.popped) ? 3 : s.selected ? 2 : 1;
    toolbar_.DrawThemeBackground(*dc, 1, state, &rect, nullptr);
    CTKPaintManager::PaintSpecialButton(dc, rect, kind, s, hiddenControls);
    return;
  }
  CTKDefaultTheme::PaintSpecialButton(dc, rect, kind, s, hiddenControls);
}

CSize CTKNativeXPTheme::PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) {
  const int h = control_height_ >= 18 ? control_height_ + 4 : 22;
  if (draw) {
    CRect r(2, 3, 8, h);
    if (rebar_.IsThemeInUse())
      rebar_.DrawThemeBackground(*dc, 1, 1, &r, nullptr);
    else
      Draw3dFrame(dc, CRect(3, 3, 6, h), 20, 16);
  }
  return CSize(8, h);
}

void CTKNativeXPTheme::PaintEditBorder(CDC* dc, const CRect& rect, bool enabled, bool selected) {
  if (!combobox_.IsThemeInUse()) {
    CTKDefaultTheme::PaintEditBorder(dc, rect, enabled, selected);
    return;
  }
  COLORREF border = 0;
  if (FAILED(combobox_.GetThemeColor(0, 0, TMT_BORDERCOLOR, &border))) border = ResolveColor(16);
  CBrush brush(border);
  dc->FrameRect(&rect, brush);
}

void CTKNativeXPTheme::PaintComboArrowButton(CDC* dc, const CRect& rect, bool enabled, bool selected, bool pressed) {
  if (!combobox_.IsThemeInUse()) {
    CTKDefaultTheme::PaintComboArrowButton(dc, rect, enabled, selected, pressed);
    return;
  }
  int state = !enabled ? 4 : pressed ? 3 : selected ? 2 : 1;
  combobox_.DrawThemeBackground(*dc, 1, state, &rect, nullptr);
}

void CTKNativeXPTheme::PaintSpinPair(CDC* dc, const CRect& rect, bool enabled) {
  if (!spin_.IsThemeInUse()) {
    CTKDefaultTheme::PaintSpinPair(dc, rect, enabled);
    return;
  }
  CRect up(rect.left, rect.top, rect.right, rect.top + rect.Height() / 2);
  CRect down(rect.left, up.bottom, rect.right, rect.bottom);
  spin_.DrawThemeBackground(*dc, 1, enabled ? 1 : 4, &up, nullptr);
  spin_.DrawThemeBackground(*dc, 2, enabled ? 1 : 4, &down, nullptr);
}

}  // namespace TKPaintThemes
