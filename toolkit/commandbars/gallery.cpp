#include "toolkit/commandbars/gallery.h"

#include <algorithm>
#include <iterator>

#include "platform/appframe/dc.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

IMPLEMENT_DYNCREATE(CTKControlGallery, CTKControlPopup)
IMPLEMENT_DYNCREATE(CTKControlComboBoxGalleryPopupBar, CTKControlComboBoxPopupBar)

namespace {
const int kLabelHeight = 19;
const int kLabelAdvance = 20;
}  // namespace

// ---------------------------------------------------------------------------------------------
// Items

CSize CTKControlGalleryItem::GetSize() const {
  if (size_.cx || size_.cy) return size_;
  return items_ ? items_->GetItemSize() : CSize(20, 20);
}

void CTKControlGalleryItem::Draw(CDC* dc, CTKControlGallery* gallery, const CRect& rect, bool enabled,
                                 bool selected, bool pressed, bool checked) {
  CTKPaintManager* pm = gallery->GetPaintManager();
  CTKPaintManager::ItemState state;
  state.enabled = enabled;
  state.selected = selected;
  state.pressed = pressed ? 1 : 0;
  state.checked = checked ? 1 : 0;
  if (selected || pressed || checked) pm->PaintStateRect(dc, rect, state);
  if (caption_.empty()) return;
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(pm->ResolveColor(pm->TextColorForState(state)));
  CRect text = rect;
  ::DrawTextW(*dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

CTKControlGalleryItems::~CTKControlGalleryItems() { RemoveAll(); }

CTKControlGalleryItem* CTKControlGalleryItems::GetAt(int index) const {
  return index >= 0 && index < GetCount() ? items_[index] : nullptr;
}

CTKControlGalleryItem* CTKControlGalleryItems::AddItem(int id, const std::wstring& caption) {
  CTKControlGalleryItem* item = new CTKControlGalleryItem;
  item->SetID(id);
  item->SetCaption(caption);
  item->SetItems(this);
  items_.push_back(item);
  return item;
}

CTKControlGalleryItem* CTKControlGalleryItems::AddLabel(const std::wstring& caption) {
  CTKControlGalleryItem* item = AddItem(0, caption);
  item->SetLabel(true);
  return item;
}

void CTKControlGalleryItems::Remove(int index) {
  if (index < 0 || index >= GetCount()) return;
  items_[index]->SetItems(nullptr);
  items_[index]->Release();
  items_.erase(items_.begin() + index);
}

void CTKControlGalleryItems::RemoveAll() {
  while (!items_.empty()) Remove(GetCount() - 1);
}

// ---------------------------------------------------------------------------------------------
// The control

CTKControlGallery::CTKControlGallery() {
  type_ = kGallery;
  width_ = 120;
  height_ = 60;
  flags_ = 0x40;
}

CTKControlGallery::~CTKControlGallery() {
  if (items_) items_->Release();
}

void CTKControlGallery::SetItems(CTKControlGalleryItems* items) {
  if (items) items->AddRef();
  if (items_) items_->Release();
  items_ = items;
  if (action_) action_->SetOwnedObject(items);
  selected_item_ = -1;
  RepositionItems();
}

CTKControlGalleryItems* CTKControlGallery::GetItems() const {
  if (action_)
    if (auto* items = dynamic_cast<CTKControlGalleryItems*>(action_->GetOwnedObject())) return items;
  return items_;
}

int CTKControlGallery::GetItemCount() const {
  CTKControlGalleryItems* items = GetItems();
  return items ? items->GetCount() : 0;
}

CTKControlGalleryItem* CTKControlGallery::GetItem(int index) const {
  CTKControlGalleryItems* items = GetItems();
  return items ? items->GetAt(index) : nullptr;
}

void CTKControlGallery::SetShowLabels(bool on) {
  show_labels_ = on;
  RepositionItems();
}
void CTKControlGallery::SetShowBorders(bool on) {
  show_borders_ = on;
  RepositionItems();
}
void CTKControlGallery::SetShowScrollBar(bool on) {
  show_scroll_bar_ = on;
  RepositionItems();
}
void CTKControlGallery::SetMargin(const CRect& margin) {
  margin_ = margin;
  RepositionItems();
}
void CTKControlGallery::SetCheckedItem(int id) {
  checked_id_ = id;
  Redraw();
}

int CTKControlGallery::ItemHeight() const {
  CTKControlGalleryItems* items = GetItems();
  return items ? std::max(1, static_cast<int>(items->GetItemSize().cy)) : 20;
}

void CTKControlGallery::Redraw() {
  // A hidden bar is drawn whole when it shows: nothing to invalidate before.
  if (parent_ && parent_->GetSafeHwnd() && ::IsWindowVisible(parent_->GetSafeHwnd())) RedrawParent();
}

HWND CTKControlGallery::GetScrollWindow() { return parent_ ? parent_->GetSafeHwnd() : nullptr; }

// ---------------------------------------------------------------------------------------------
// Geometry

bool CTKControlGallery::HasSeparatorLine() const {
  if (!parent_ || parent_->GetType() != kPopupBar || show_borders_ || !controls_) return false;
  for (int i = index_ + 1; i < controls_->GetCount(); ++i) {
    CTKControl* next = controls_->GetAt(i);
    if (next->IsVisible() && !(next->GetFlags() & kFlagSkipKeyboard)) return true;
  }
  return false;
}

int CTKControlGallery::ScrollColumnWidth() const {
  if (CTKPaintManager* pm = GetPaintManager())
    if (CTKControlGalleryPaintManager* gpm = pm->GalleryPaintManager())
      return HasPopupButtons() ? gpm->ButtonColumnWidth() : gpm->ScrollBarWidth();
  return ::GetSystemMetrics(SM_CXVSCROLL);
}

CRect CTKControlGallery::GetItemsRect() const {
  CRect area = rect_;
  if (show_borders_) area.DeflateRect(1, 1);
  if (show_scroll_bar_) area.right -= ScrollColumnWidth();
  if (HasSeparatorLine()) area.bottom -= 2;
  area.left += margin_.left;
  area.top += margin_.top;
  area.right -= margin_.right;
  area.bottom -= margin_.bottom;
  if (area.right < area.left) area.right = area.left;
  if (area.bottom < area.top) area.bottom = area.top;
  return area;
}

void CTKControlGallery::RepositionItems() {
  const int count = GetItemCount();
  positions_.assign(count, GALLERYITEM_POSITION());
  rows_.clear();
  const CRect area = GetItemsRect();
  int x = area.left, y = area.top, row_height = 0;
  bool row_open = false;
  for (int i = 0; i < count; ++i) {
    GALLERYITEM_POSITION& pos = positions_[i];
    pos.item = GetItem(i);
    if (pos.item->IsLabel()) {
      if (!show_labels_) continue;
      if (row_open) y += row_height;
      pos.rect = CRect(area.left, y, area.right, y + kLabelHeight);
      pos.begin_row = true;
      rows_.push_back({y, i});
      y += kLabelAdvance;
      x = area.left;
      row_open = false;
      row_height = 0;
      continue;
    }
    CSize size = pos.item->GetSize();
    if (size.cx <= 0) size.cx = area.Width();
    if (row_open && x + size.cx > area.right) {
      y += row_height;
      row_open = false;
    }
    if (!row_open) {
      x = area.left;
      row_height = 0;
      pos.begin_row = true;
      row_open = true;
      rows_.push_back({y, i});
    }
    pos.rect = CRect(x, y, x + size.cx, y + size.cy);
    x += size.cx;
    row_height = std::max(row_height, static_cast<int>(size.cy));
  }
  if (row_open) y += row_height;
  content_height_ = y - area.top;
  // The position may no longer be reachable in the new layout.
  const int limit = std::max(0, content_height_ - area.Height());
  if (scroll_pos_ > limit) scroll_pos_ = limit;
  UpdateGeometry();
}

void CTKControlGallery::SetRect(const CRect& rc) {
  const bool changed = rc != rect_;
  rect_ = rc;
  if (changed) RepositionItems();
}

void CTKControlGallery::SetScrollPos(int pos) {
  const int limit = std::max(0, content_height_ - GetItemsRect().Height());
  pos = std::max(0, std::min(pos, limit));
  if (pos == scroll_pos_) return;
  scroll_pos_ = pos;
  UpdateGeometry();
  Redraw();
}

CRect CTKControlGallery::GetItemDrawRect(int index) const {
  if (index < 0 || index >= static_cast<int>(positions_.size())) return CRect();
  CRect rc = positions_[index].rect;
  if (rc.IsRectEmpty()) return CRect();
  rc.OffsetRect(0, -scroll_pos_);
  CRect clipped;
  clipped.IntersectRect(rc, GetItemsRect());
  return clipped;
}

int CTKControlGallery::FirstPositionBelow(int top) const {
  // The last row starting at or above `top`; every row before it ends where the next begins.
  auto row = std::upper_bound(rows_.begin(), rows_.end(), top,
                              [](int y, const RowStartRecord& r) { return y < r.top; });
  return row == rows_.begin() ? 0 : std::prev(row)->index;
}

int CTKControlGallery::HitTestItem(CPoint pt, CRect* rect) const {
  if (!GetEnabled()) return -1;
  const CRect area = GetItemsRect();
  if (!area.PtInRect(pt)) return -1;
  for (int i = FirstPositionBelow(pt.y + scroll_pos_); i < static_cast<int>(positions_.size()); ++i) {
    CRect rc = positions_[i].rect;
    if (rc.IsRectEmpty()) continue;
    rc.OffsetRect(0, -scroll_pos_);
    if (rc.top >= area.bottom) break;
    if (positions_[i].item->IsLabel()) continue;
    if (rc.PtInRect(pt)) {
      if (rect) *rect = rc;
      return i;
    }
  }
  return -1;
}

CRect CTKControlGallery::GetScrollBarRect() {
  if (!show_scroll_bar_) return CRect();
  CRect inner = rect_;
  if (show_borders_) inner.DeflateRect(1, 1);
  const int column = ScrollColumnWidth();
  if (HasSeparatorLine()) inner.bottom -= 2;
  return CRect(inner.right - column, inner.top, inner.right, inner.bottom);
}

void CTKControlGallery::GetScrollInfo(TKScrollInfo* info) {
  info->min = 0;
  info->max = std::max(0, content_height_ - 1);
  info->page = GetItemsRect().Height();
  info->pos = scroll_pos_;
}

int CTKControlGallery::HitTestScrollPart(CPoint pt) {
  if (!show_scroll_bar_) return kPartNone;
  const CRect bar = GetScrollBarRect();
  if (!bar.PtInRect(pt)) return kPartNone;
  if (!HasPopupButtons()) return HitTestScrollBar(pt);
  int up = 19, down = 19;
  if (CTKPaintManager* pm = GetPaintManager())
    if (CTKControlGalleryPaintManager* gpm = pm->GalleryPaintManager()) {
      up = gpm->UpButtonHeight();
      down = gpm->DownButtonHeight();
    }
  if (pt.y < bar.top + up) return kPartUpArrow;
  if (pt.y < bar.top + up + down) return kPartDownArrow;
  return kPartEnd;
}

// ---------------------------------------------------------------------------------------------
// Selection and scrolling

bool CTKControlGallery::IsSelectable(int index) const {
  const CTKControlGalleryItem* item = GetItem(index);
  return item && !item->IsLabel();
}

int CTKControlGallery::StepSelectable(int from, int step, bool wrap) const {
  const int count = GetItemCount();
  if (count == 0) return -1;
  int i = from;
  for (int n = 0; n < count; ++n) {
    i += step;
    if (i < 0 || i >= count) {
      if (!wrap) return -1;
      i = i < 0 ? count - 1 : 0;
    }
    if (IsSelectable(i)) return i;
  }
  return -1;
}

void CTKControlGallery::SelectItem(int index) {
  if (index < -1 || index >= GetItemCount()) return;
  pressed_item_ = false;
  keyboard_lock_ = true;
  if (index == selected_item_) return;
  selected_item_ = index;
  EnsureVisible(index);
  Redraw();
  if (index >= 0 && parent_ && parent_->GetSafeHwnd())
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, parent_->GetSafeHwnd(), OBJID_CLIENT, index + 1);
}

void CTKControlGallery::EnsureVisible(int index) {
  if (index < 0 || index >= static_cast<int>(positions_.size())) return;
  const CRect area = GetItemsRect();
  CRect rc = positions_[index].rect;
  if (rc.IsRectEmpty()) return;
  const int top = rc.top - area.top, bottom = rc.bottom - area.top;
  if (bottom - scroll_pos_ > area.Height()) {
    SetScrollPos(bottom - area.Height());
  } else if (top < scroll_pos_) {
    int target = top;
    if (show_labels_) {
      // The label row that heads the item's group comes along when both fit.
      for (int i = index - 1; i >= 0; --i) {
        if (!positions_[i].item->IsLabel()) continue;
        const int label_top = positions_[i].rect.top - area.top;
        if (bottom - label_top <= area.Height()) target = label_top;
        break;
      }
    }
    SetScrollPos(target);
  }
}

int CTKControlGallery::FindItem(int start, const std::wstring& text, bool exact) const {
  const int count = GetItemCount();
  if (text.empty() || count == 0) return -1;
  int i = start;
  for (int n = 0; n < count; ++n) {
    i = (i + 1) % count;
    if (i < 0) i += count;
    const std::wstring& caption = GetItem(i)->GetCaption();
    if (exact) {
      if (::CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, caption.c_str(), -1, text.c_str(), -1) ==
          CSTR_EQUAL)
        return i;
    } else if (caption.size() >= text.size() &&
               ::CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, caption.c_str(),
                                static_cast<int>(text.size()), text.c_str(), static_cast<int>(text.size())) ==
                   CSTR_EQUAL) {
      return i;
    }
  }
  return -1;
}

UINT_PTR CTKControlGallery::ToolHitTest(CPoint pt, CRect* rect, std::wstring* text) const {
  const int index = IsInPlace() ? HitTestItem(pt) : -1;
  if (index < 0) return 0;
  const CTKControlGalleryItem* item = GetItem(index);
  if (item->GetToolTip().empty()) return 0;
  *rect = GetItemDrawRect(index);
  *text = item->GetToolTip();
  return static_cast<UINT_PTR>(static_cast<UINT>(item->GetID())) + 1;
}

void CTKControlGallery::SetTopIndex(int index) {
  if (index < 0 || index >= static_cast<int>(positions_.size())) return;
  SetScrollPos(positions_[index].rect.top - GetItemsRect().top);
}

std::wstring CTKControlGallery::GetItemText(int index) const {
  const CTKControlGalleryItem* item = GetItem(index);
  return item ? item->GetCaption() : std::wstring();
}

void CTKControlGallery::OnScrollCommand(int command, int pos) {
  switch (command) {
    case kLineUp: SetScrollPos(scroll_pos_ - ItemHeight()); break;
    case kLineDown: SetScrollPos(scroll_pos_ + ItemHeight()); break;
    case kPageUp: SetScrollPos(scroll_pos_ - GetItemsRect().Height()); break;
    case kPageDown: SetScrollPos(scroll_pos_ + GetItemsRect().Height()); break;
    case kThumbPosition:
    case kThumbTrack: SetScrollPos(pos); break;
    case 6: SetScrollPos(0); break;                // top
    case 7: SetScrollPos(content_height_); break;  // bottom
    default: break;
  }
}

void CTKControlGallery::OnMouseWheel(int delta) {
  const int notches = delta / WHEEL_DELTA;
  SetScrollPos(scroll_pos_ - notches * 3 * ItemHeight());
}

// ---------------------------------------------------------------------------------------------
// Keyboard

int CTKControlGallery::RowStart(int index) const {
  while (index > 0 && !positions_[index].begin_row) --index;
  return index;
}

int CTKControlGallery::RowEnd(int index) const {
  const int count = static_cast<int>(positions_.size());
  while (index + 1 < count && !positions_[index + 1].begin_row) ++index;
  return index;
}

bool CTKControlGallery::KeyboardMove(UINT key) {
  const int count = GetItemCount();
  if (count == 0 || static_cast<int>(positions_.size()) != count) return false;
  const int current = selected_item_;
  const CRect area = GetItemsRect();
  int target = -1;
  switch (key) {
    case VK_HOME: target = StepSelectable(-1, 1, false); break;
    case VK_END: target = StepSelectable(count, -1, false); break;
    case VK_TAB: {
      const bool back = ::GetKeyState(VK_SHIFT) < 0;
      target = StepSelectable(current, back ? -1 : 1, false);
      break;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      if (current < 0) return false;
      const CSize size = GetItem(current)->GetSize();
      if (area.Width() < 2 * std::max(1, static_cast<int>(size.cx))) return false;
      const int first = RowStart(current), last = RowEnd(current);
      if (key == VK_LEFT)
        target = current == first ? last : current - 1;
      else
        target = current == last ? first : current + 1;
      break;
    }
    case VK_UP:
    case VK_DOWN: {
      if (current < 0) return false;
      const int step = key == VK_DOWN ? 1 : -1;
      const int left = positions_[current].rect.left;
      const int row = RowStart(current);
      int best = -1;
      for (int i = current + step; i >= 0 && i < count; i += step) {
        if (RowStart(i) == row || !IsSelectable(i)) continue;
        if (positions_[i].rect.left == left) {
          best = i;
          break;
        }
      }
      target = best;
      break;
    }
    case VK_PRIOR:
    case VK_NEXT: {
      if (current < 0) return false;
      const int step = key == VK_NEXT ? 1 : -1;
      const int origin = positions_[current].rect.top;
      for (int i = current + step; i >= 0 && i < count; i += step) {
        if (!IsSelectable(i)) continue;
        if (std::abs(positions_[i].rect.top - origin) > area.Height()) break;
        target = i;
      }
      break;
    }
    default:
      return false;
  }
  if (target < 0) return false;
  SelectItem(target);
  return true;
}

bool CTKControlGallery::OnHookKeyDown(UINT key) {
  if (!IsInPlace()) return false;
  if (key == VK_RETURN) {
    if (selected_item_ >= 0) {
      if (CTKControlGalleryItem* item = GetItem(selected_item_)) checked_id_ = item->GetID();
      OnExecute();
    }
    return false;  // passed on
  }
  return KeyboardMove(key);
}

void CTKControlGallery::SetSelected(int selected) {
  CTKControlPopup::SetSelected(selected);
  if (!IsInPlace()) return;
  if (selected == 2)
    SelectItem(StepSelectable(-1, 1, false));
  else if (selected == 3)
    SelectItem(StepSelectable(GetItemCount(), -1, false));
  else if (selected == 0) {
    selected_item_ = -1;
    hot_part_ = 0;
  }
}

// ---------------------------------------------------------------------------------------------
// Mouse

void CTKControlGallery::OnMouseMove(CPoint point) {
  if (!IsInPlace()) {
    CTKControlPopup::OnMouseMove(point);
    return;
  }
  keyboard_lock_ = false;
  const int item = HitTestItem(point);
  const int part = HitTestScrollPart(point);
  if (item != selected_item_ || part != hot_part_) {
    selected_item_ = item;
    hot_part_ = part;
    SetHotPart(part);
    Redraw();
  }
}

void CTKControlGallery::OnClick(bool keyboard, CPoint pt) {
  if (!IsInPlace() || keyboard) {
    CTKControlPopup::OnClick(keyboard, pt);
    return;
  }
  const int part = HitTestScrollPart(pt);
  if (part == kPartEnd) {
    CTKControlPopup::OnClick(false, pt);
    return;
  }
  if (part != kPartNone) {
    if (HasPopupButtons()) {
      OnScrollCommand(part == kPartUpArrow ? kLineUp : kLineDown, 0);
    } else {
      AddRef();
      PerformTrackInit(pt, ::GetKeyState(VK_SHIFT) < 0);
      Release();
    }
    return;
  }
  const int item = HitTestItem(pt);
  if (item < 0) return;
  selected_item_ = item;
  pressed_item_ = true;
  Redraw();
}

void CTKControlGallery::OnLButtonUp(CPoint point) {
  if (!IsInPlace()) {
    CTKControlPopup::OnLButtonUp(point);
    return;
  }
  if (!pressed_item_) return;
  pressed_item_ = false;
  const int item = HitTestItem(point);
  if (item < 0 || item != selected_item_) {
    Redraw();
    return;
  }
  checked_id_ = GetItem(item)->GetID();
  OnExecute();
}

void CTKControlGallery::OnExecute() {
  CTKControlComboBoxGalleryPopupBar* dropDown = dynamic_cast<CTKControlComboBoxGalleryPopupBar*>(parent_);
  if (IsInPlace() && dropDown && dropDown->GetCombo()) {
    dropDown->GetCombo()->OnDropDownPick(selected_item_, true);
    return;
  }
  CTKControlPopup::OnExecute();
}

// ---------------------------------------------------------------------------------------------
// A combo box's gallery drop-down

CTKControlGallery* CTKControlComboBoxGalleryPopupBar::GetGallery() const {
  CTKControl* first = GetControlCount() > 0 ? GetControl(0) : nullptr;
  return first && first->IsKindOf(RUNTIME_CLASS(CTKControlGallery)) ? static_cast<CTKControlGallery*>(first) : nullptr;
}

int CTKControlComboBoxGalleryPopupBar::GetCount() const {
  CTKControlGallery* gallery = GetGallery();
  return gallery ? gallery->GetItemCount() : 0;
}

int CTKControlComboBoxGalleryPopupBar::GetCurSel() const {
  CTKControlGallery* gallery = GetGallery();
  return gallery ? gallery->GetSelectedItem() : -1;
}

void CTKControlComboBoxGalleryPopupBar::SetCurSel(int index) {
  if (CTKControlGallery* gallery = GetGallery()) gallery->SelectItem(index);
}

void CTKControlComboBoxGalleryPopupBar::SetTopIndex(int index) {
  if (CTKControlGallery* gallery = GetGallery()) gallery->SetTopIndex(index);
}

int CTKControlComboBoxGalleryPopupBar::FindString(const std::wstring& prefix) const {
  CTKControlGallery* gallery = GetGallery();
  return gallery ? gallery->FindItem(-1, prefix, false) : -1;
}

int CTKControlComboBoxGalleryPopupBar::FindStringExact(const std::wstring& text) const {
  CTKControlGallery* gallery = GetGallery();
  return gallery ? gallery->FindItem(-1, text, true) : -1;
}

std::wstring CTKControlComboBoxGalleryPopupBar::GetText(int index) const {
  CTKControlGallery* gallery = GetGallery();
  return gallery ? gallery->GetItemText(index) : std::wstring();
}

int CTKControlComboBoxGalleryPopupBar::OnHookKeyDown(UINT key, LPARAM data) {
  CTKControlGallery* gallery = GetGallery();
  switch (key) {
    case VK_RETURN:
      if (combo_) {
        combo_->OnExecute();
        return kKeyHandled;
      }
      break;
    case VK_ESCAPE:
      if (combo_ && combo_->GetParent()) {
        combo_->GetParent()->SetPopupOpen(-1, false);
        return kKeyHandled;
      }
      break;
    case VK_TAB:
      return kKeyHandled;
    default:
      if (gallery) {
        const int before = gallery->GetSelectedItem();
        if (!gallery->OnHookKeyDown(key)) return kKeyHandled;
        if (combo_ && gallery->GetSelectedItem() != before) combo_->OnDropDownPick(gallery->GetSelectedItem(), false);
        return kKeyHandled;
      }
      break;
  }
  return CTKControlComboBoxPopupBar::OnHookKeyDown(key, data);
}

// ---------------------------------------------------------------------------------------------
// Size and drawing

CSize CTKControlGallery::GetSize(CDC* dc) {
  if (IsInPlace()) return CSize(width_, height_);
  if (mode_ != kModePopupButton) return CTKControlPopup::GetSize(dc);
  // As a popup button the gallery measures as one: its width and height are its items area's.
  const int width = width_, height = height_;
  width_ = height_ = 0;
  const CSize size = CTKControlPopup::GetSize(dc);
  width_ = width;
  height_ = height;
  return size;
}

void CTKControlGallery::Draw(CDC* dc) {
  if (!IsInPlace()) {
    CTKControlPopup::Draw(dc);
    return;
  }
  CTKPaintManager* pm = GetPaintManager();
  CTKControlGalleryPaintManager* gpm = pm->GalleryPaintManager();
  gpm->PaintGalleryBack(dc, this, rect_);
  const CRect area = GetItemsRect();
  CTKControlGalleryItems* items = GetItems();
  const int saved = ::SaveDC(*dc);
  ::IntersectClipRect(*dc, area.left, area.top, area.right, area.bottom);
  const bool enabled = GetEnabled();
  // Rows wholly above the area are not walked: a gallery scrolled far down starts at its view.
  for (int i = FirstPositionBelow(area.top + scroll_pos_); i < static_cast<int>(positions_.size()); ++i) {
    CRect rc = positions_[i].rect;
    if (rc.IsRectEmpty()) continue;
    rc.OffsetRect(0, -scroll_pos_);
    if (rc.top >= area.bottom) break;
    if (rc.bottom <= area.top) continue;
    CTKControlGalleryItem* item = positions_[i].item;
    if (item->IsLabel()) {
      gpm->PaintGroupLabel(dc, this, rc, item->GetCaption());
      continue;
    }
    const bool selected = i == selected_item_;
    const bool pressed = selected && pressed_item_;
    const bool checked = item->GetID() == checked_id_ && checked_id_ != 0;
    if (!items || !items->RunDrawHook(dc, item, rc, enabled, selected, pressed, checked))
      item->Draw(dc, this, rc, enabled, selected, pressed, checked);
  }
  ::RestoreDC(*dc, saved);
  if (show_scroll_bar_) {
    UpdateGeometry();
    if (HasPopupButtons())
      gpm->PaintInlineScroller(dc, this);
    else
      gpm->PaintPopupScroller(dc, this);
  }
}

void CTKControlGallery::Copy(const CTKControl* source, bool deep) {
  CTKControlPopup::Copy(source, deep);
  if (const auto* other = dynamic_cast<const CTKControlGallery*>(source)) {
    show_labels_ = other->show_labels_;
    show_borders_ = other->show_borders_;
    show_scroll_bar_ = other->show_scroll_bar_;
    margin_ = other->margin_;
    checked_id_ = other->checked_id_;
    mode_ = other->mode_;
    SetItems(other->GetItems());
  }
}

void CTKControlGallery::SetGalleryMode(int mode) {
  if (mode == mode_) return;
  mode_ = mode;
  // The popup button and the items measure differently.
  DelayLayoutParent();
}

void CTKControlGallery::DoPropExchange(CTKPropExchange* px) {
  CTKControlPopup::DoPropExchange(px);
  BOOL labels = show_labels_, borders = show_borders_, bar = show_scroll_bar_;
  const BOOL yes = TRUE;
  const RECT none{};
  RECT margin = margin_;
  px->TransferValue(L"ShowLabels", CTKPropExchange::kBool, &labels, &yes);
  px->TransferValue(L"ShowBorders", CTKPropExchange::kBool, &borders, &yes);
  px->TransferValue(L"ShowScrollBar", CTKPropExchange::kBool, &bar, &yes);
  px->TransferValue(L"GalleryMargin", CTKPropExchange::kRect, &margin, &none);
  if (px->IsLoading()) {
    show_labels_ = labels != FALSE;
    show_borders_ = borders != FALSE;
    show_scroll_bar_ = bar != FALSE;
    margin_ = margin;
    RepositionItems();
  }
}

// ---- accessibility: an in-place gallery's items are its children ----

namespace {
const long kRoleListItem = 34;  // ROLE_SYSTEM_LISTITEM
}  // namespace

int CTKControlGallery::AccessibleChildCount() const { return IsInPlace() ? GetItemCount() : 0; }

long CTKControlGallery::AccessibleRole(int) const { return kRoleListItem; }

DWORD CTKControlGallery::AccessibleState(int child) const {
  const int item = child - 1;
  CTKControlGalleryItem* entry = GetItem(item);
  if (!entry) return 0;
  DWORD state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
  if (GetSelectedItem() == item) state |= STATE_SYSTEM_FOCUSED;
  if (entry->GetID() == GetCheckedItem()) state |= STATE_SYSTEM_SELECTED;
  return state;
}

std::wstring CTKControlGallery::AccessibleName(int child) const {
  CTKControlGalleryItem* entry = GetItem(child - 1);
  if (!entry) return std::wstring();
  return entry->GetCaption().empty() ? entry->GetToolTip() : entry->GetCaption();
}

std::wstring CTKControlGallery::AccessibleDefaultAction(int) const { return L"Click"; }

bool CTKControlGallery::AccessibleDoDefaultAction(int child) {
  if (child < 1 || child > AccessibleChildCount()) return false;
  SelectItem(child - 1);
  return true;
}

bool CTKControlGallery::AccessibleLocation(int child, RECT* screen) const {
  CTKCommandBar* bar = GetParent();
  if (!screen || !bar || !bar->GetSafeHwnd() || child < 1 || child > AccessibleChildCount()) return false;
  // The item's rectangle clipped to the items area.
  RECT rect = GetItemDrawRect(child - 1);
  ::MapWindowPoints(bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  if (rect.left > rect.right) std::swap(rect.left, rect.right);  // mirrored windows
  *screen = rect;
  return true;
}

int CTKControlGallery::AccessibleHitTest(POINT screen) const {
  CTKCommandBar* bar = GetParent();
  if (!bar || !bar->GetSafeHwnd() || !IsVisible()) return -1;
  POINT point = screen;
  ::ScreenToClient(bar->GetSafeHwnd(), &point);
  if (!GetRect().PtInRect(point)) return -1;
  const int item = AccessibleChildCount() > 0 ? HitTestItem(point) : -1;
  return item >= 0 ? item + 1 : 0;
}
