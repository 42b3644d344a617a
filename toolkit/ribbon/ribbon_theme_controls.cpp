// The ribbon look of the command bars' controls: tool-bar buttons and split buttons (alone or
// in a connected row of a group), check and radio marks, the drop-down glyph, the combo box's
// button and the edit's spin pair (which those controls ask for), menu items and the status
// bar, all from named images.
#include <algorithm>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_groups.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;

namespace {

// From this height on buttons and menu items take the tall images.
constexpr int kTallFrom = 33;
constexpr RECT kNoMargins{0, 0, 0, 0};

bool IsTall(const RECT& rect) { return rect.bottom - rect.top >= kTallFrom; }

// A pressed control shows pressed while the pointer is on it, or when the keyboard pressed it.
bool ShowsDown(const CTKPaintManager::ItemState& s) { return s.pressed && (s.selected || s.pressed >= 2); }
bool IsLit(const CTKPaintManager::ItemState& s) { return s.selected || s.pressed; }

// An image's first strip size of `states` strips; zero when it is missing.
SIZE StripSize(CTKOffice2007Image* image, int states) {
  if (!image) return SIZE{0, 0};
  const RECT part = image->GetPartRect(0, states);
  return SIZE{part.right - part.left, part.bottom - part.top};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// States

int CTKRibbonTheme::ToolBarButtonState(const ItemState& s) {
  if (!s.enabled) return s.checked ? 3 : -1;
  if (s.popped) return 1;
  if (s.checked) return IsLit(s) ? 2 : 3;
  if (ShowsDown(s)) return 1;
  return IsLit(s) ? 0 : -1;
}

int CTKRibbonTheme::ConnectedButtonState(const ItemState& s) {
  if (!s.enabled) return s.checked ? 3 : 0;
  if (s.popped) return 2;
  if (s.checked) return IsLit(s) ? 4 : 3;
  if (ShowsDown(s)) return 2;
  return IsLit(s) ? 1 : 0;
}

int CTKRibbonTheme::CheckMarkState(int state, int checked, bool radio) {
  const int base = state == 4 ? 3 : state == 3 ? 2 : state == 2 ? 1 : 0;
  if (!checked) return base;
  if (!radio && checked == 2) return base + 8;
  return base + 4;
}

int CTKRibbonTheme::DropDownGlyphState(bool enabled, bool selected) { return !enabled ? 3 : selected ? 1 : 0; }

int CTKRibbonTheme::ComboDropDownState(const ItemState& s) {
  if (!s.enabled) return 4;
  if (s.popped) return 3;
  if (s.pressed) return 2;
  return s.selected ? 1 : 0;
}

int CTKRibbonTheme::SpinButtonState(bool enabled, int selected, int pressed, int button) {
  if (!enabled) return 4;
  if (pressed == button && selected == button) return 3;
  if (selected == button) return 2;
  return selected ? 1 : 0;
}

CTKRibbonTheme::ConnectedPlace CTKRibbonTheme::ConnectedPlaceOf(const CTKRibbonGroup& group,
                                                                const CTKControl* control) {
  const auto& records = group.Positions();
  auto mine = std::find_if(records.begin(), records.end(),
                           [control](const CTKRibbonGroup::CControlPosition& r) { return r.control == control; });
  if (mine == records.end()) return kConnectedSingle;
  bool before = false, after = false;
  for (const CTKRibbonGroup::CControlPosition& r : records) {
    if (&r == &*mine || r.hidden || r.rect.top != mine->rect.top) continue;
    before = before || r.rect.left < mine->rect.left;
    after = after || r.rect.left > mine->rect.left;
  }
  if (before && after) return kConnectedCenter;
  if (before) return kConnectedRight;
  return after ? kConnectedLeft : kConnectedSingle;
}

bool CTKRibbonTheme::InConnectedRow(CTKControl* control, ConnectedPlace* place) {
  CTKCommandBar* bar = control ? control->GetParent() : nullptr;
  if (!bar || bar->GetType() != kRibbonBar) return false;
  const auto* ribbon = dynamic_cast<const CTKRibbonBar*>(bar);
  const CTKRibbonGroup* group = ribbon ? ribbon->GroupOfControl(control) : nullptr;
  if (!group || !group->ConnectedRow() || group->CollapsedPopup() == control) return false;
  *place = ConnectedPlaceOf(*group, control);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Faces

void CTKRibbonTheme::PaintToolBarButton(HDC dc, const RECT& rect, int state) {
  if (state < 0) return;
  DrawImage(dc, IsTall(rect) ? L"TOOLBARBUTTONS50" : L"TOOLBARBUTTONS22", rect, 4, state, RECT{8, 8, 8, 8}, false);
}

void CTKRibbonTheme::PaintConnectedButton(HDC dc, const RECT& rect, ConnectedPlace place, int state) {
  static const wchar_t* const kNames[] = {L"TOOLBARBUTTONSSPECIALSINGLE", L"TOOLBARBUTTONSSPECIALLEFT",
                                          L"TOOLBARBUTTONSSPECIALRIGHT", L"TOOLBARBUTTONSSPECIALCENTER"};
  DrawImage(dc, kNames[place], rect, 5, state, RECT{2, 2, 2, 2}, true);
}

void CTKRibbonTheme::PaintSplitParts(HDC dc, const RECT& command, const RECT& dropdown, int command_state,
                                     int dropdown_state, bool connected, ConnectedPlace place) {
  const RECT margins{2, 2, 2, 2};
  if (connected) {
    const bool starts = place == kConnectedSingle || place == kConnectedLeft;
    const bool ends = place == kConnectedSingle || place == kConnectedRight;
    if (command_state >= 0)
      DrawImage(dc, starts ? L"TOOLBARBUTTONSSPECIALSPLITLEFT" : L"TOOLBARBUTTONSSPECIALSPLITCENTER", command, 5,
                command_state, margins, true);
    if (dropdown_state >= 0)
      DrawImage(dc, ends ? L"TOOLBARBUTTONSSPECIALSPLITDROPDOWNRIGHT" : L"TOOLBARBUTTONSSPECIALSPLITDROPDOWNCENTER",
                dropdown, 5, dropdown_state, margins, true);
    return;
  }
  const RECT whole{std::min(command.left, dropdown.left), std::min(command.top, dropdown.top),
                   std::max(command.right, dropdown.right), std::max(command.bottom, dropdown.bottom)};
  const bool tall = IsTall(whole);
  if (command_state >= 0)
    DrawImage(dc, tall ? L"TOOLBARBUTTONSSPLIT50" : L"TOOLBARBUTTONSSPLIT22", command, 4, command_state, margins, true);
  if (dropdown_state >= 0)
    DrawImage(dc, tall ? L"TOOLBARBUTTONSSPLITDROPDOWN50" : L"TOOLBARBUTTONSSPLITDROPDOWN22", dropdown, 4,
              dropdown_state, margins, true);
}

void CTKRibbonTheme::PaintDropDownGlyph(HDC dc, POINT pt, int state) {
  DrawImage(dc, L"TOOLBARBUTTONDROPDOWNGLYPH", RECT{pt.x - 2, pt.y - 2, pt.x + 3, pt.y + 2}, 4, state, kNoMargins,
            true);
}

void CTKRibbonTheme::PaintMenuItemHighlight(HDC dc, const RECT& rect, bool enabled) {
  const bool tall = IsTall(rect);
  const wchar_t* name = enabled ? (tall ? L"MENUSELECTEDITEM54" : L"MENUSELECTEDITEM22")
                                : (tall ? L"MENUSELECTEDDISABLEDITEM54" : L"MENUSELECTEDDISABLEDITEM22");
  DrawImage(dc, name, rect, 1, 0, RECT{4, 4, 4, 4}, false);
}

void CTKRibbonTheme::PaintMenuCheck(HDC dc, const RECT& rect, bool enabled) {
  DrawImage(dc, L"MENUCHECKEDITEM", rect, 2, enabled ? 0 : 1, RECT{4, 4, 4, 4}, false);
}

void CTKRibbonTheme::PaintStatusBar(HDC dc, const RECT& bar, int first_pane_right) {
  if (bar.right <= bar.left || bar.bottom <= bar.top) return;
  const int light_right = first_pane_right < 0 ? bar.right : std::clamp<int>(first_pane_right - 3, bar.left, bar.right);
  DrawImage(dc, L"STATUSBARLIGHT", RECT{bar.left, bar.top, light_right, bar.bottom}, 1, 0, kNoMargins, false);
  if (first_pane_right < 0) return;
  const int divider = std::min<int>(StripSize(ImageNamed(L"STATUSBARDEVIDER"), 1).cx, bar.right - light_right);
  if (divider > 0)
    DrawImage(dc, L"STATUSBARDEVIDER", RECT{light_right, bar.top, light_right + divider, bar.bottom}, 1, 0, kNoMargins,
              false);
  DrawImage(dc, L"STATUSBARDARK", RECT{light_right + std::max(divider, 0), bar.top, bar.right, bar.bottom}, 1, 0,
            kNoMargins, false);
}

void CTKRibbonTheme::PaintStatusGripper(HDC dc, const RECT& bar) {
  const SIZE size = StripSize(ImageNamed(L"STATUSBARGRIPPER"), 1);
  if (size.cx <= 0 || size.cy <= 0) return;
  const int bottom = bar.bottom - 4;
  DrawImage(dc, L"STATUSBARGRIPPER", RECT{bar.right - size.cx, bottom - size.cy, bar.right, bottom}, 1, 0, kNoMargins,
            true);
}

// ---------------------------------------------------------------------------------------------
// The paint manager's operations

void CTKRibbonTheme::PaintStateRect(CDC* dc, const CRect& rect, const ItemState& s) {
  if (s.bar_type == kPopupBar) {
    if (s.checked)
      PaintMenuCheck(*dc, rect, s.enabled);
    else if (IsLit(s))
      PaintMenuItemHighlight(*dc, rect, s.enabled);
    return;
  }
  PaintToolBarButton(*dc, rect, ToolBarButtonState(s));
}

void CTKRibbonTheme::PaintItemFace(CDC* dc, CTKControl* control) {
  ConnectedPlace place;
  if (InConnectedRow(control, &place)) {
    PaintConnectedButton(*dc, control->GetRect(), place, ConnectedButtonState(StateOf(control)));
    return;
  }
  CTKOffice2007Theme::PaintItemFace(dc, control);
}

void CTKRibbonTheme::PaintSplitButton(CDC* dc, CTKControl* control) {
  const CRect rect = control->GetRect();
  const ItemState s = StateOf(control);
  const CRect command = SplitArrowFreeRect(control);
  const bool below = command.bottom < rect.bottom;
  const CRect dropdown = below ? CRect(rect.left, command.bottom, rect.right, rect.bottom)
                               : CRect(command.right, rect.top, rect.right, rect.bottom);
  // Pressing one part leaves the other lit only; an open drop-down leaves the command plain.
  ItemState command_state = s, dropdown_state = s;
  command_state.popped = false;
  if (s.pressed == 4) command_state.pressed = 0;
  if (s.popped) {
    command_state.selected = false;
    command_state.pressed = 0;
  }
  if (s.pressed == 3) dropdown_state.pressed = 0;
  ConnectedPlace place = kConnectedSingle;
  const bool connected = InConnectedRow(control, &place);
  const int command_strip = connected ? ConnectedButtonState(command_state) : ToolBarButtonState(command_state);
  const int dropdown_strip = connected ? ConnectedButtonState(dropdown_state) : ToolBarButtonState(dropdown_state);
  PaintSplitParts(*dc, command, dropdown, command_strip, dropdown_strip, connected, place);
  PaintDropDownGlyph(*dc, POINT{dropdown.left + dropdown.Width() / 2, dropdown.top + dropdown.Height() / 2},
                     DropDownGlyphState(s.enabled, s.selected));
}

CSize CTKRibbonTheme::PaintToolBarItem(CDC* dc, CTKControl* control, bool draw) {
  if (!draw) return CTKOffice2007Theme::PaintToolBarItem(dc, control, false);
  // The item's drop-down arrow takes its state from the item.
  const int outer = glyph_state_;
  glyph_state_ = DropDownGlyphState(control->GetEnabled(), control->GetSelected() != 0);
  const CSize size = CTKOffice2007Theme::PaintToolBarItem(dc, control, true);
  glyph_state_ = outer;
  return size;
}

void CTKRibbonTheme::PaintSmallArrow(CDC* dc, CPoint pt, bool vertical, COLORREF colour) {
  if (vertical) {
    CTKOffice2007Theme::PaintSmallArrow(dc, pt, vertical, colour);
    return;
  }
  PaintDropDownGlyph(*dc, pt, glyph_state_ < 0 ? 0 : glyph_state_);
}

CSize CTKRibbonTheme::PaintCheckBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) {
  if (draw)
    DrawImage(*dc, L"TOOLBARBUTTONCHECKBOX", RECT{rect.left, rect.top, rect.left + 13, rect.top + 13}, 12,
              CheckMarkState(state, checked, false), kNoMargins, false);
  return CSize(13, 13);
}

CSize CTKRibbonTheme::PaintRadioBox(CDC* dc, const CRect& rect, bool draw, int state, int checked) {
  if (draw)
    DrawImage(*dc, L"TOOLBARBUTTONRADIOBUTTON", RECT{rect.left, rect.top, rect.left + 13, rect.top + 13}, 8,
              CheckMarkState(state, checked, true), kNoMargins, false);
  return CSize(13, 13);
}

CSize CTKRibbonTheme::PaintComboControl(CDC* dc, CTKControl* control, bool draw) {
  return CTKOffice2007Theme::PaintEditControl(dc, control, draw);
}

void CTKRibbonTheme::PaintComboDropDownButton(CDC* dc, const CRect& rect, const ItemState& state) {
  DrawImage(*dc, L"TOOLBARBUTTONSCOMBODROPDOWN", rect, 5, ComboDropDownState(state), RECT{2, 2, 2, 2}, true);
}

void CTKRibbonTheme::PaintSpinButtons(CDC* dc, const CRect& area, bool enabled, int selected, int pressed) {
  const int middle = area.top + area.Height() / 2;
  // Ten strips: the up button's five states, then the down button's.
  DrawImage(*dc, L"TOOLBARBUTTONSPIN", RECT{area.left, area.top, area.right, middle}, 10,
            SpinButtonState(enabled, selected, pressed, 3), RECT{2, 2, 2, 2}, true);
  DrawImage(*dc, L"TOOLBARBUTTONSPIN", RECT{area.left, middle, area.right, area.bottom}, 10,
            5 + SpinButtonState(enabled, selected, pressed, 4), RECT{2, 2, 2, 2}, true);
}

void CTKRibbonTheme::PaintPopupSplitPart(CDC* dc, CTKControl* control, const ItemState& s) {
  const CRect rect = control->GetRect();
  const int state = (s.popped && s.selected) ? 2 : s.selected ? 1 : 0;
  DrawImage(*dc, L"MENUSPLITDROPDOWN", RECT{rect.right - popup_arrow_width_, rect.top, rect.right, rect.bottom}, 3,
            state, RECT{2, 2, 2, 2}, true);
}

void CTKRibbonTheme::PaintSubmenuArrow(CDC* dc, CTKControl* control, const ItemState& s) {
  CTKOffice2007Image* glyph = ImageNamed(L"MENUPOPUPGLYPH");
  if (!glyph) return;
  const CRect rect = control->GetRect();
  DrawCentred(glyph, *dc, RECT{rect.right - popup_arrow_width_, rect.top, rect.right, rect.bottom},
              glyph->GetPartRect(s.enabled ? 0 : 1, 2));
}
