#include "toolkit/paint/office_theme.h"

#include <algorithm>
#include <cmath>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/drawing/draw_helpers.h"

using namespace TKCommandBars;

namespace TKPaintThemes {

namespace {
bool IsSideDocked(int position) { return position == kLeft || position == kRight; }
bool IsPopupBar(CTKCommandBar* bar) { return bar && (bar->GetType() == kPopupBar || bar->GetPosition() == kPopup); }
CRect ClientOf(CTKCommandBar* bar) { return bar && bar->GetSafeHwnd() ? bar->GetClientRect() : CRect(); }
}  // namespace

CTKOfficeTheme::CTKOfficeTheme() {
  flat_tool_bar_ = true;
  faded_icons_ = true;
  disabled_variants_ = true;
  icon_shadow_ = true;
  tinted_disabled_ = true;
  embossed_disabled_ = false;
  popup_text_gap_ = 8;
}

bool CTKOfficeTheme::IsFlatType(CTKCommandBar* bar) const {
  return bar->GetType() == kMenuBar ? flat_tool_bar_ : flat_other_bars_;
}

void CTKOfficeTheme::SetInnerCorners(CDC* dc, const CRect& client, int inset, int colour) {
  const COLORREF c = ResolveColor(colour);
  dc->SetPixel(client.left + inset, client.top + inset, c);
  dc->SetPixel(client.right - 1 - inset, client.top + inset, c);
  dc->SetPixel(client.left + inset, client.bottom - 1 - inset, c);
  dc->SetPixel(client.right - 1 - inset, client.bottom - 1 - inset, c);
}

// ---------------------------------------------------------------------------------------------
// Faces and caption colours

void CTKOfficeTheme::PaintStateRect(CDC* dc, const CRect& rect, const ItemState& s) {
  const bool keyboardPressed = s.pressed == 2 || s.pressed == 3;
  if (s.enabled) {
    if (s.popped)
      FillAndFrame(dc, rect, 30, 43);
    else if (s.checked && !s.pressed && !s.selected)
      FillAndFrame(dc, rect, s.checked == 2 ? 51 : 36, 37);
    else if ((s.checked && s.selected && !s.pressed) || keyboardPressed || (s.selected && s.pressed))
      FillAndFrame(dc, rect, 33, 50);
    else if (s.selected || s.pressed == 1)
      FillAndFrame(dc, rect, 31, 32);
    return;
  }
  if (s.selection == 2 || s.selection == 3)
    FillAndFrame(dc, rect, s.bar_position == kPopup ? 41 : s.checked ? 33 : 31, 32);
  else if (s.checked)
    FillAndFrame(dc, rect, s.bar_position == kPopup ? -1 : 36, 58);
}

int CTKOfficeTheme::TextColorForState(const ItemState& s) {
  if (s.bar_type == kPopupBar) return !s.enabled ? 35 : s.selected ? 45 : 44;
  if (!s.enabled) return 60;
  if (s.popped) return 46;
  if (s.pressed == 2 || s.pressed == 3) return 47;
  if (s.selected) return (s.pressed || s.checked) ? 47 : 45;
  if (s.pressed == 1 || s.checked) return 45;
  return s.bar_position == kPopup ? 44 : 46;
}

void CTKOfficeTheme::PaintItemIcon(CDC* dc, CPoint pt, CSize size, CTKImageManagerIcon* image, const ItemState& s) {
  PaintIconForState(dc, pt, size, image, s, 40, false, 40);
}

void CTKOfficeTheme::PaintSplitButton(CDC* dc, CTKControl* control) {
  const CRect rect = control->GetRect();
  const ItemState s = StateOf(control);
  const CRect command = SplitArrowFreeRect(control);
  const bool below = control->GetStyle() == 4;
  const CRect arrow = below ? CRect(rect.left, command.bottom, rect.right, rect.bottom)
                            : CRect(command.right, rect.top, rect.right, rect.bottom);
  // One face over both parts; a line in the border's colour parts them while the button is lit.
  PaintStateRect(dc, rect, s);
  if (s.enabled && !s.popped && (s.selected || s.pressed)) {
    const int line = (s.pressed || s.checked) ? 50 : 32;
    if (below)
      RowLine(dc, rect.left, rect.right, arrow.top, line);
    else
      ColumnLine(dc, arrow.left, rect.top, rect.bottom, line);
  }
  PaintSmallArrow(dc, CPoint(arrow.left + arrow.Width() / 2, arrow.top + arrow.Height() / 2), false,
                  ResolveColor(TextColorForState(s)));
}

// ---------------------------------------------------------------------------------------------
// Menus

void CTKOfficeTheme::PaintGutterFace(CDC* dc, const CRect& rect, bool expanded) {
  dc->FillSolidRect(&rect, ResolveColor(expanded ? 42 : 30));
}

void CTKOfficeTheme::PaintLabelBack(CDC* dc, const CRect& rect) { dc->FillSolidRect(&rect, ResolveColor(56)); }

void CTKOfficeTheme::PaintPopupGutter(CDC* dc, CTKCommandBar* bar) {
  const CRect client = ClientOf(bar);
  const CRect insets = BarBorderInsets(bar);
  const int left = client.left + insets.left - 1;
  PaintGutterFace(dc, CRect(left, client.top + insets.top, left + IconColumnWidth(bar), client.bottom - insets.bottom));
}

void CTKOfficeTheme::PaintPopupSplitPart(CDC* dc, CTKControl* control, const ItemState& s) {
  const CRect rect = control->GetRect();
  if (s.popped && s.selected)
    FillAndFrame(dc, CRect(rect.right - popup_arrow_width_, rect.top, rect.right, rect.bottom), 33, 32);
  else
    ColumnLine(dc, rect.right - popup_arrow_width_, rect.top + 1, rect.bottom - 1, s.selected ? 32 : 16);
}

void CTKOfficeTheme::PaintSubmenuArrow(CDC* dc, CTKControl* control, const ItemState& s) {
  const CRect rect = control->GetRect();
  const int middle = rect.top + rect.Height() / 2;
  const bool splitOpen = control->GetType() == kSplitButtonPopup && s.enabled && s.popped && s.selected;
  const COLORREF colour = splitOpen ? ResolveColor(47) : ItemTextColor(control);
  CTKDrawHelpers::FillTriangle(*dc, POINT{rect.right - 11, middle - 3}, POINT{rect.right - 8, middle},
                               POINT{rect.right - 11, middle + 3}, colour);
}

CSize CTKOfficeTheme::PaintPopupItem(CDC* dc, CTKControl* control, bool draw) {
  if (!draw) return CTKPaintManager::PaintPopupItem(dc, control, false);
  CTKCommandBar* bar = control->GetParent();
  const CRect rect = control->GetRect();
  const ItemState s = StateOf(control);
  const CSize iconSize = bar ? bar->GetIconSize() : CSize(16, 16);
  const int cell = std::max<int>(control_height_ + 4, iconSize.cx + 4);
  const bool label = control->GetType() == kLabel;
  const bool twoColumns = IconColumnCount(bar) == 2;
  const int column = (label && !label_icon_column_) ? 0 : cell * IconColumnCount(bar);

  // A row shown only once the menu is expanded marks its part of the icon column.
  if (column && (control->GetHideFlags() & kHideExpand))
    PaintGutterFace(dc, CRect(rect.left - 1, rect.top, rect.left + column, rect.bottom), true);
  if (label) {
    PaintLabelBack(dc, CRect(rect.left + column, rect.top, rect.right, rect.bottom));
  } else {
    ItemState row;
    row.selected = s.selected;
    row.selection = s.selection;
    row.enabled = s.enabled;
    row.bar_type = kPopupBar;
    row.bar_position = kPopup;
    PaintStateRect(dc, rect, row);
  }
  // With two columns the check stands in the first cell and the icon in the second.
  const CRect checkCell(rect.left, rect.top, rect.left + std::min(column, cell), rect.bottom);
  const CRect iconCell(rect.left + column - std::min(column, cell), rect.top, rect.left + column, rect.bottom);
  if (s.checked && column) {
    ItemState box;
    box.selected = s.selected;
    box.selection = s.selection;
    box.enabled = s.enabled;
    box.checked = s.checked;
    box.bar_type = kPopupBar;
    box.bar_position = kPopup;
    CRect boxRect = checkCell;
    boxRect.DeflateRect(1, 1);
    PaintStateRect(dc, boxRect, box);
  }
  CTKImageManagerIcon* icon = column ? control->GetIcon(iconSize.cx) : nullptr;
  if (icon) {
    ItemState iconState = s;
    iconState.checked = 0;
    PaintItemIcon(dc, CPoint(iconCell.left + (iconCell.Width() - iconSize.cx) / 2,
                             iconCell.top + (iconCell.Height() - iconSize.cy) / 2),
                  iconSize, icon, iconState);
  }
  if (s.checked && column && (!icon || twoColumns)) {
    const COLORREF mark = s.enabled ? RGB(0, 0, 0) : ResolveColor(40);
    if (control->GetType() == kRadioButton)
      FillRoundDot(dc, checkCell, mark, mark);
    else
      StrokeCheck(dc, checkCell, mark);
  }
  CTKPaintManager::PaintPopupItem(dc, control, true);
  const int type = control->GetType();
  if (type >= kPopupControl && type <= kSplitButtonPopup) {
    if (type == kSplitButtonPopup && s.enabled) PaintPopupSplitPart(dc, control, s);
    PaintSubmenuArrow(dc, control, s);
  }
  return rect.Size();
}

CSize CTKOfficeTheme::PaintListRow(CDC* dc, CTKControl* control, const CRect& rect, bool draw) {
  const std::wstring caption = control->GetCaption();
  const CSize text = MeasureText(dc, &font_regular_, caption.empty() ? L" " : caption, DT_SINGLELINE);
  const CSize size(16 + 8 + popup_text_gap_ + text.cx + 8, std::max<int>(16 + 4, text.cy + 4));
  if (!draw) return size;
  ItemState s = StateOf(control);
  s.bar_type = kPopupBar;
  s.bar_position = kPopup;
  s.checked = 0;
  s.popped = false;
  PaintStateRect(dc, rect, s);
  if (CTKImageManagerIcon* icon = control->GetIcon(16))
    PaintItemIcon(dc, CPoint(rect.left + 4, rect.top + (rect.Height() - 16) / 2), CSize(16, 16), icon, s);
  dc->SetTextColor(ResolveColor(TextColorForState(s)));
  dc->SetBkMode(TRANSPARENT);
  PaintCaptionText(dc, control, caption, CRect(rect.left + 24 + popup_text_gap_ / 2, rect.top, rect.right, rect.bottom),
                   DT_END_ELLIPSIS, s.enabled);
  return size;
}

CRect CTKOfficeTheme::PopupEdgeToControl(CTKCommandBar* popup) {
  if (!popup || !popup->GetSafeHwnd()) return CRect();
  CTKCommandBar* owner = popup->GetParentBar();
  if (!owner || !owner->GetSafeHwnd() || IsPopupBar(owner)) return CRect();
  CTKControl* opener = nullptr;
  for (int i = 0; i < owner->GetControlCount() && !opener; ++i)
    if (owner->GetControl(i)->GetCommandBar() == popup) opener = owner->GetControl(i);
  if (!opener) return CRect();
  // The control's rectangle grown by one pixel touches the popup's frame where the two meet;
  // the strip they share, less a pixel at each end, is the opening.
  CRect control = opener->GetRect();
  ::MapWindowPoints(owner->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&control), 2);
  control.InflateRect(1, 1);
  CRect window;
  ::GetWindowRect(popup->GetSafeHwnd(), &window);
  CRect meet;
  if (!meet.IntersectRect(window, control)) return CRect();
  if (meet.Width() > 1) meet.DeflateRect(1, 0);
  if (meet.Height() > 1) meet.DeflateRect(0, 1);
  ::MapWindowPoints(nullptr, popup->GetSafeHwnd(), reinterpret_cast<POINT*>(&meet), 2);
  return meet;
}

void CTKOfficeTheme::PaintPopupEdgeToControl(CDC* dc, CTKCommandBar* popup, int colour) {
  const CRect edge = PopupEdgeToControl(popup);
  if (!edge.IsRectEmpty()) dc->FillSolidRect(&edge, ResolveColor(colour));
}

// ---------------------------------------------------------------------------------------------
// Bars

void CTKOfficeTheme::PaintBarBackground(CDC* dc, CTKCommandBar* bar) {
  const CRect client = ClientOf(bar);
  const int position = bar->GetPosition();
  if (position == kFloating) {
    const int border = 61;
    const int fill = bar->GetType() == kPopupBar ? 41 : IsFlatType(bar) ? 15 : 30;
    CRect inner = client;
    inner.DeflateRect(1, 1);
    FillAndFrame(dc, client, -1, border);
    FillAndFrame(dc, inner, fill, border);
    SetInnerCorners(dc, client, 2, border);
    return;
  }
  if (IsPopupBar(bar)) {
    FillAndFrame(dc, client, 41, 43);
    PaintPopupGutter(dc, bar);
    PaintPopupEdgeToControl(dc, bar, 30);
    return;
  }
  if (IsFlatType(bar)) {
    dc->FillSolidRect(&client, ResolveColor(15));
    return;
  }
  FillAndFrame(dc, client, 30, 15);
  SetInnerCorners(dc, client, 1, 15);
}

CSize CTKOfficeTheme::PaintBarGripper(CDC* dc, CTKCommandBar* bar, bool draw) {
  if (!bar) return CSize(0, 0);
  const int position = bar->GetPosition();
  if (position == kFloating) {
    const CSize size = CTKPaintManager::PaintBarGripper(dc, bar, draw);
    if (draw && bar->GetType() == kPopupBar) PaintPopupGutter(dc, bar);
    return size;
  }
  if (IsPopupBar(bar)) {
    if (draw) PaintPopupGutter(dc, bar);
    return CSize(0, 0);
  }
  if (!bar->IsGripperVisible()) return CSize(0, 0);
  const CRect client = ClientOf(bar);
  if (IsSideDocked(position)) {
    if (draw)
      for (int x = 5; x < client.Width() - 5; x += 2) ColumnLine(dc, x, 3, 6, 38);
    return CSize(0, 8);
  }
  if (draw)
    for (int y = 5; y < client.Height() - 5; y += 2) RowLine(dc, 3, 6, y, 38);
  return CSize(6, 0);
}

CSize CTKOfficeTheme::PaintFixedGrip(CDC* dc, CTKCommandBar* bar, bool draw) {
  const int h = control_height_ >= 18 ? control_height_ + 4 : 22;
  if (draw)
    for (int y = 6; y <= h - 2; y += 2) RowLine(dc, 3, 6, y, 38);
  return CSize(6, h);
}

CSize CTKOfficeTheme::PaintGroupSeparator(CDC* dc, CTKControl* control, CTKCommandBar* bar, bool draw) {
  const bool popup = IsPopupBar(bar);
  const CSize size = popup ? CSize(3, 3) : CSize(6, 6);
  if (!draw || !control || !bar) return size;
  const CRect rect = control->GetRect();
  if (popup) {
    if (control->GetWrap()) {
      ColumnLine(dc, rect.left - 2, rect.top, rect.bottom, 39);
    } else {
      const int iconRight = rect.left + IconCellSize(bar).cx * IconColumnCount(bar);
      RowLine(dc, iconRight + popup_text_gap_ - 1, rect.right, rect.top - 2, 39);
    }
  } else if (IsSideDocked(bar->GetPosition())) {
    RowLine(dc, rect.left + 2, rect.right, rect.top - 3, 39);
  } else if (control->GetWrap()) {
    const CRect client = ClientOf(bar);
    RowLine(dc, client.left + 2, client.right - 2, control->GetRowRect().top - 3, 39);
  } else {
    ColumnLine(dc, rect.left - 4, rect.top + 2, rect.bottom - 2, 39);
  }
  return size;
}

void CTKOfficeTheme::PaintStatusPaneEdge(CDC* dc, const CRect& rect, bool besideGrip) { FillAndFrame(dc, rect, -1, 16); }

CSize CTKOfficeTheme::PaintTearOffBand(CDC* dc, const CRect& rect, bool hot, bool draw) {
  if (draw) {
    CRect band(rect.left + 1, rect.top + 1, rect.right - 1, rect.top + 8);
    if (hot)
      FillAndFrame(dc, band, 31, 32);
    else
      FillAndFrame(dc, band, 30, 16);
  }
  return CSize(0, 9);
}

// ---------------------------------------------------------------------------------------------
// Edits, combo boxes, check and radio marks

CSize CTKOfficeTheme::PaintEditControl(CDC* dc, CTKControl* control, bool draw) {
  const CSize size = CTKPaintManager::PaintEditControl(dc, control, draw);
  if (draw) {
    const std::wstring caption = control->IsCaptionVisible() ? control->GetCaption() : std::wstring();
    const int label = caption.empty() ? 0 : MeasureText(dc, BarFontFor(control->GetParent(), false), caption).cx + 5;
    const CRect rect = control->GetRect();
    const bool lit = control->GetEnabled() && (control->GetSelected() || control->GetPressed());
    FillAndFrame(dc, CRect(rect.left + label, rect.top + 1, rect.right, rect.bottom - 1), -1,
                 lit ? 32 : control->GetEnabled() ? 16 : 35);
  }
  return size;
}

CSize CTKOfficeTheme::PaintComboControl(CDC* dc, CTKControl* control, bool draw) {
  const CSize size = CTKPaintManager::PaintComboControl(dc, control, draw);
  if (draw) {
    const CRect rect = control->GetRect();
    const CRect button(rect.right - 14, rect.top + 1, rect.right, rect.bottom - 1);
    const ItemState s = StateOf(control);
    const bool lit = s.enabled && (s.selected || s.pressed || s.popped);
    if (lit)
      FillAndFrame(dc, button, (s.pressed || s.popped) ? 33 : 31, 32);
    else
      FillAndFrame(dc, CRect(button.left, button.top + 1, button.right - 1, button.bottom - 1), 15, 15);
    FillDownTriangle(dc, button, ResolveColor(TextColorForState(s)));
  }
  return size;
}

void CTKOfficeTheme::FillDisc(CDC* dc, const CRect& rect, COLORREF edge, COLORREF fill) {
  const double cx = (rect.left + rect.right - 1) / 2.0, cy = (rect.top + rect.bottom - 1) / 2.0;
  const double r = (rect.Width() - 1) / 2.0 - 0.25;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) {
      const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
      if (d < r - 1) {
        dc->SetPixel(x, y, fill);
      } else if (d <= r + 1) {
        const COLORREF other = d < r ? fill : dc->GetPixel(x, y);
        const double t = std::fabs(d - r);
        auto mix = [&](int e, int o) { return static_cast<int>(e + (o - e) * t + 0.5); };
        dc->SetPixel(x, y, RGB(mix(GetRValue(edge), GetRValue(other)), mix(GetGValue(edge), GetGValue(other)),
                               mix(GetBValue(edge), GetBValue(other))));
      }
    }
}

namespace {
// Fill and border of an enabled mark: 1 normal, 2 hot, 3 pressed (under the pointer).
void MarkColours(int state, int* fill, int* border) {
  *fill = state == 3 ? 33 : state == 2 ? 31 : 5;
  *border = state == 1 ? 52 : 32;
}
}  // namespace

CSize CTKOfficeTheme::PaintCheckBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) {
  if (themed_checks_ && button_theme_.IsThemeInUse()) return CTKPaintManager::PaintCheckBox(dc, rect, draw, state, checked);
  if (draw) {
    const CRect box(rect.left, rect.top, rect.left + 13, rect.top + 13);
    if (state == 4) {
      FillAndFrame(dc, box, -1, 35);
    } else {
      int fill, border;
      MarkColours(state, &fill, &border);
      FillAndFrame(dc, box, fill, border);
    }
    if (checked) StrokeCheck(dc, box, ResolveColor((state == 4 || checked == 2) ? 35 : 18));
  }
  return CSize(13, 13);
}

CSize CTKOfficeTheme::PaintRadioBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) {
  if (themed_checks_ && button_theme_.IsThemeInUse()) return CTKPaintManager::PaintRadioBox(dc, rect, draw, state, checked);
  if (draw) {
    const CRect box(rect.left, rect.top, rect.left + 13, rect.top + 13);
    int fill = 51, border = 35;
    if (state != 4) MarkColours(state, &fill, &border);
    FillDisc(dc, box, ResolveColor(border), ResolveColor(fill));
    if (checked) {
      const COLORREF dot = ResolveColor(state == 4 ? 35 : 18);
      FillRoundDot(dc, CRect(box.left + 4, box.top + 4, box.left + 9, box.top + 9), dot, dot);
    }
  }
  return CSize(13, 13);
}

}  // namespace TKPaintThemes
