// Measuring and drawing controls: one call does both, so that layout and drawing agree.
#include <algorithm>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

namespace {
bool IsSideDocked(CTKCommandBar* bar) { return bar && (bar->GetPosition() == kLeft || bar->GetPosition() == kRight); }
const int kDefaultEditWidth = 100;
}  // namespace

CSize CTKPaintManager::PaintControl(CDC* dc, CTKControl* control, bool draw) {
  CTKCommandBar* bar = control->GetParent();
  CSize size;
  if (control->GetType() == kEdit)
    size = PaintEditControl(dc, control, draw);
  else if (control->GetType() == kComboBox)
    size = PaintComboControl(dc, control, draw);
  else if (bar && bar->GetType() == kPopupBar)
    size = PaintPopupItem(dc, control, draw);
  else
    size = PaintToolBarItem(dc, control, draw);
  // Fixed sizes: on side-docked bars the fixed width applies to the height and the other way.
  const bool turned = IsSideDocked(bar);
  const int fixedAlong = control->GetWidth(), fixedAcross = control->GetHeight();
  if (turned) {
    if (fixedAlong > 0) size.cy = fixedAlong;
    if (fixedAcross > 0) size.cx = fixedAcross;
  } else {
    if (fixedAlong > 0) size.cx = fixedAlong;
    if (fixedAcross > 0) size.cy = fixedAcross;
  }
  return size;
}

bool CTKPaintManager::SplitCaption(const std::wstring& caption, std::wstring* first, std::wstring* second) {
  const int length = static_cast<int>(caption.size());
  const int c = length / 2;
  for (int j = 0; j < c - 1; ++j) {
    for (int pos : {c - j, c + j + 1}) {
      if (pos >= 2 && pos < length && caption[pos] == L' ') {
        *first = caption.substr(0, pos);
        *second = caption.substr(pos + 1);
        return true;
      }
    }
  }
  *first = caption;
  second->clear();
  return false;
}

CSize CTKPaintManager::PaintPopupItem(CDC* dc, CTKControl* control, bool draw) {
  CTKCommandBar* bar = control->GetParent();
  const CSize cell = IconCellSize(bar);
  const bool label = control->GetType() == kLabel;
  const int iconColumn = (label && !label_icon_column_) ? 0 : cell.cx * IconColumnCount(bar);
  const std::wstring caption = control->GetCaption();
  const std::wstring shortcut = control->GetShortcutText();
  CFont* font = BarFontFor(bar, control->IsDefaultItem() || control->GetStyle() == 5);
  UINT prefix = (keyboard_cues_override_ == 0 || (keyboard_cues_override_ == -1 && bar && !bar->IsKeyboardCuesVisible()))
                    ? DT_NOPREFIX : 0;
  const CSize captionSize = MeasureText(dc, font, caption.empty() ? L" " : caption, DT_SINGLELINE | prefix);
  const CSize shortcutSize = shortcut.empty() ? CSize() : MeasureText(dc, font, shortcut, DT_SINGLELINE);
  if (!draw) {
    CSize size(popup_text_gap_ + iconColumn + captionSize.cx + shortcutSize.cx + 32,
               iconColumn ? cell.cy : control_height_);
    if (control->GetStyle() == 5) {
      CSize desc = MeasureText(dc, &font_regular_, L"1\n2", 0);
      size.cy = std::max<int>(cell.cy, captionSize.cy + desc.cy + 19);
      size.cx = std::max<int>(size.cx, captionSize.cx / 2 + 5);
    }
    return size;
  }
  const CRect rect = control->GetRect();
  CRect captionRect(rect.left + iconColumn + popup_text_gap_, rect.top, rect.right, rect.bottom);
  CRect shortcutRect(rect.left + iconColumn + 8, rect.top, rect.right - 19, rect.bottom);
  if (!shortcut.empty()) captionRect.right -= shortcutSize.cx + 19;
  HGDIOBJ old = dc->SelectObject(font->GetSafeHandle());
  dc->SetTextColor(ItemTextColor(control));
  dc->SetBkMode(TRANSPARENT);
  if (control->GetStyle() == 5) {
    CRect title = captionRect;
    title.bottom = title.top + captionSize.cy + 10;
    PaintCaptionText(dc, control, caption, title, DT_END_ELLIPSIS | prefix, control->GetEnabled());
    dc->SelectObject(font_regular_.GetSafeHandle());
    CRect desc(title.left, title.bottom - 2, rect.right - 10, rect.bottom);
    std::wstring text = control->GetDescription();
    ::DrawTextW(*dc, text.c_str(), -1, &desc, DT_WORDBREAK);
  } else {
    PaintCaptionText(dc, control, caption, captionRect, DT_END_ELLIPSIS | prefix, control->GetEnabled());
    if (!shortcut.empty())
      PaintCaptionText(dc, control, shortcut, shortcutRect, DT_RIGHT | DT_NOPREFIX, control->GetEnabled());
  }
  dc->SelectObject(old);
  return rect.Size();
}

CSize CTKPaintManager::PaintToolBarCheckItem(CDC* dc, CTKControl* control, bool draw, bool vertical, CFont* font) {
  const std::wstring caption = control->GetCaption();
  const CSize text = MeasureText(dc, font, caption.empty() ? L" " : caption, DT_SINGLELINE);
  CSize size = vertical ? CSize(std::max<int>(13, text.cy) + 6, 3 + 13 + 5 + text.cx + 3)
                        : CSize(3 + 13 + 5 + text.cx + 3, std::max<int>(std::max<int>(13, text.cy) + 6, 22));
  if (!draw) return size;
  const CRect rect = control->GetRect();
  const bool enabled = control->GetEnabled();
  const int state = !enabled ? 4 : control->GetPressed() ? 3 : control->GetSelected() ? 2 : 1;
  CRect mark = vertical ? CRect(rect.left + (rect.Width() - 13) / 2, rect.top + 3, 0, 0)
                        : CRect(rect.left + 3, rect.top + (rect.Height() - 13) / 2, 0, 0);
  mark.right = mark.left + 13;
  mark.bottom = mark.top + 13;
  if (control->GetType() == kRadioButton)
    PaintRadioBox(dc, mark, true, state, control->GetChecked());
  else
    PaintCheckBox(dc, mark, true, state, control->GetChecked());
  CRect textRect = vertical ? CRect(rect.left, mark.bottom + 5, rect.right, rect.bottom)
                            : CRect(mark.right + 5, rect.top, rect.right, rect.bottom);
  HGDIOBJ old = dc->SelectObject(font->GetSafeHandle());
  dc->SetTextColor(ItemTextColor(control));
  dc->SetBkMode(TRANSPARENT);
  PaintCaptionText(dc, control, caption, textRect, 0, enabled);
  if (control->GetSelected() >= 2) {
    CRect focus(textRect.left - 1, textRect.top + (textRect.Height() - text.cy) / 2 - 1, textRect.left + text.cx + 1,
                textRect.top + (textRect.Height() + text.cy) / 2 + 1);
    COLORREF fg = dc->SetTextColor(ResolveColor(18));
    COLORREF bg = dc->SetBkColor(ResolveColor(15));
    ::DrawFocusRect(*dc, &focus);
    dc->SetTextColor(fg);
    dc->SetBkColor(bg);
  }
  dc->SelectObject(old);
  return size;
}

CSize CTKPaintManager::PaintToolBarItem(CDC* dc, CTKControl* control, bool draw) {
  CTKCommandBar* bar = control->GetParent();
  const bool vertical = IsSideDocked(bar);
  CFont* font = BarFontFor(bar, control->IsDefaultItem());
  if (control->GetType() == kCheckBox || control->GetType() == kRadioButton)
    return PaintToolBarCheckItem(dc, control, draw, vertical, font);

  CSize iconSize = bar ? bar->GetIconSize() : CSize(16, 16);
  if (icons_follow_font_ && (!bar || bar->GetIconSize() == CSize(16, 16))) {
    const int h = RowHeight();
    const int side = control->GetStyle() == 4 ? ((2 * h - 8) / 8) * 8 : ((h - 2) / 8) * 8;
    iconSize = CSize(side, side);
  }
  const ItemState state = StateOf(control);
  const int style = control->GetStyle();
  CTKImageManagerIcon* icon = style == 1 ? nullptr : control->GetIcon(iconSize.cx);
  const bool captionVisible = control->IsCaptionVisible();
  const bool textBelow = captionVisible && icon &&
                         (style == 4 || (bar && bar->GetShowTextBelowIcons() == 1));
  const bool split = control->GetType() == kSplitButtonPopup;
  const bool arrow = control->GetType() == kButtonPopup ||
                     (control->GetType() == kPopup && bar && bar->GetType() == kToolBar);
  const std::wstring caption = control->GetCaption();
  std::wstring line1 = caption, line2;
  if (textBelow) SplitCaption(caption, &line1, &line2);

  // Measure along the bar (x) and across it (y); side-docked bars swap them at the end.
  CSize size;
  CSize text1, text2;
  if (captionVisible) {
    text1 = MeasureText(dc, &font_regular_, line1, DT_SINGLELINE);
    if (!line2.empty()) text2 = MeasureText(dc, &font_regular_, line2, DT_SINGLELINE);
  }
  if (textBelow) {
    const int textWidth = std::max<int>(text1.cx, text2.cx + (arrow || split ? 8 : 0));
    size.cx = std::max<int>(iconSize.cx + 7, textWidth + 8);
    size.cy = iconSize.cy + 6 + text1.cy + text2.cy + 2;
  } else {
    size.cx = icon ? iconSize.cx + 7 : 0;
    size.cy = std::max<int>(iconSize.cy + 6, control_height_);
    if (captionVisible) size.cx += text1.cx + (icon ? 4 : 8);
    if (!icon && !captionVisible) size.cx = iconSize.cx + 7;
    if (arrow) size.cx += 8;
  }
  if (split) {
    if (textBelow)
      size.cy += 0;
    else
      size.cx += split_width_ + 1;
  }
  if (vertical) std::swap(size.cx, size.cy);
  if (!draw) return size;

  const CRect rect = control->GetRect();
  if (split)
    PaintSplitButton(dc, control);
  else if (!control->DrawsOwnFace())
    PaintItemFace(dc, control);
  CRect face = rect;
  if (split) face = SplitArrowFreeRect(control);
  const COLORREF textColor = ItemTextColor(control);
  if (icon) {
    CPoint pt;
    if (textBelow)
      pt = CPoint(face.left + (face.Width() - iconSize.cx) / 2, face.top + 3);
    else if (vertical)
      pt = CPoint(face.left + (face.Width() - iconSize.cx) / 2, face.top + 3);
    else
      pt = CPoint(face.left + 3, face.top + (face.Height() - iconSize.cy) / 2);
    PaintItemIcon(dc, pt, iconSize, icon, state);
  }
  if (captionVisible) {
    HGDIOBJ old = dc->SelectObject((vertical ? font : font)->GetSafeHandle());
    dc->SetTextColor(textColor);
    dc->SetBkMode(TRANSPARENT);
    UINT prefix = (bar && !bar->IsKeyboardCuesVisible()) ? DT_NOPREFIX : 0;
    if (textBelow) {
      CRect r1(face.left, face.top + iconSize.cy + 5, face.right, face.top + iconSize.cy + 5 + text1.cy);
      PaintCaptionText(dc, control, line1, r1, DT_CENTER | prefix, state.enabled);
      if (!line2.empty()) {
        CRect r2(face.left, r1.bottom, face.right - (arrow ? 8 : 0), r1.bottom + text2.cy);
        PaintCaptionText(dc, control, line2, r2, DT_CENTER | prefix, state.enabled);
      }
    } else if (vertical) {
      CRect r(face.left, face.top + (icon ? iconSize.cy + 7 : 4), face.right, face.bottom);
      // The vertical font draws downwards from its origin at the right edge of the text.
      ::ExtTextOutW(*dc, r.left + (r.Width() + text1.cy) / 2, r.top, 0, nullptr, line1.c_str(),
                    static_cast<UINT>(line1.size()), nullptr);
    } else {
      CRect r(face.left + (icon ? iconSize.cx + 7 : 4), face.top, face.right - (arrow ? 8 : 0), face.bottom);
      PaintCaptionText(dc, control, line1, r, prefix, state.enabled);
    }
    dc->SelectObject(old);
  }
  if (arrow) {
    if (vertical)
      PaintSmallArrow(dc, CPoint(rect.left + rect.Width() / 2, rect.bottom - 5), true, textColor);
    else
      PaintSmallArrow(dc, CPoint(rect.right - 6, rect.top + rect.Height() / 2), false, textColor);
  }
  return size;
}

int CTKPaintManager::EditAreaBackIndex(CTKControl* control) { return control->GetEnabled() ? 5 : 15; }

CSize CTKPaintManager::PaintEditControl(CDC* dc, CTKControl* control, bool draw) {
  CTKCommandBar* bar = control->GetParent();
  const std::wstring caption = control->IsCaptionVisible() ? control->GetCaption() : std::wstring();
  const int label = caption.empty() ? 0 : MeasureText(dc, BarFontFor(bar, false), caption).cx + 5;
  int width = label + kDefaultEditWidth;
  if (bar && bar->GetType() == kPopupBar) width += IconColumnWidth(bar) + popup_text_gap_;
  CSize size(width, control_height_);
  if (!draw) return size;
  CRect rect = control->GetRect();
  if (!caption.empty()) {
    CRect labelRect(rect.left + 3, rect.top, rect.left + label, rect.bottom);
    dc->SetTextColor(ItemTextColor(control));
    dc->SetBkMode(TRANSPARENT);
    PaintCaptionText(dc, control, caption, labelRect, 0, control->GetEnabled());
  }
  CRect area(rect.left + label, rect.top + 1, rect.right, rect.bottom - 1);
  dc->FillSolidRect(&area, ResolveColor(EditAreaBackIndex(control)));
  return size;
}

CSize CTKPaintManager::PaintComboControl(CDC* dc, CTKControl* control, bool draw) {
  CSize size = PaintEditControl(dc, control, draw);
  return size;
}
