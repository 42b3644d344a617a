#include "toolkit/tabs/tab_manager.h"

#include <algorithm>

#include "toolkit/tabs/tab_paint_manager.h"

namespace {

const COLORREF kItemColours[kTabItemColourCount] = {0xE4A88A, 0x75DBFF, 0x9FCDBD, 0x9F9EF0,
                                                   0xE1A6BA, 0xB4BF9A, 0x83B6F7, 0xC0ABD8};

}  // namespace

void CTKTabManagerItem::Show(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (manager_) manager_->Relayout();
}

CTKTabManager::CTKTabManager() {
  rows_.Reset(-1);
  buttons_.push_back(new CNavigateButtonArrowLeft(this));
  buttons_.push_back(new CNavigateButtonArrowRight(this));
  buttons_.push_back(new CNavigateButtonClose(this));
}

CTKTabManager::~CTKTabManager() {
  CTKTabManager::ClearItems();
  for (CTKTabManagerNavigateButton* button : buttons_) delete button;
  buttons_.clear();
}

std::wstring CTKTabManager::ItemCaptionOf(const CTKTabManagerItem* item) const { return item->Caption(); }

int CTKTabManager::ItemStateOf(const CTKTabManagerItem* item) const { return item->State(); }

COLORREF CTKTabManager::ItemColourOf(const CTKTabManagerItem* item) const {
  const COLORREF colour = item->Colour();
  if (colour >= kTabItemColourFirst && colour < kTabItemColourFirst + kTabItemColourCount)
    return kItemColours[colour - kTabItemColourFirst];
  return colour;
}

std::wstring CTKTabManager::ItemTipOf(const CTKTabManagerItem* item) const { return item->Tooltip(); }

void CTKTabManager::RenumberItems() {
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->SetIndex(static_cast<int>(i));
  Relayout();
}

void CTKTabManager::SelectItem(CTKTabManagerItem* item) {
  if (selected_ == item) return;
  selected_ = item;
  Relayout();
  BringIntoView(item);
}

void CTKTabManager::SelectItemIfAllowed(CTKTabManagerItem* item) {
  if (item && SelectionAllowed(item)) ItemClicked(item);
}

void CTKTabManager::QueryTabSizes(SIZE* button, SIZE* minimum, SIZE* maximum) const {
  const CTKTabPaintManager* painter = TabPainter();
  if (button) *button = SIZE{painter ? painter->fixed_width : 70, 0};
  if (minimum) *minimum = SIZE{painter ? painter->min_width : 0, 0};
  if (maximum) *maximum = SIZE{painter ? painter->max_width : 0, 0};
}

bool CTKTabManager::StaticFrameWanted() const {
  const CTKTabPaintManager* painter = TabPainter();
  return painter && painter->static_frame;
}

bool CTKTabManager::PaintItemIcon(HDC, POINT, CTKTabManagerItem*, bool, SIZE&) { return false; }

int CTKTabManager::StripPosition() const {
  const CTKTabPaintManager* painter = TabPainter();
  return painter ? painter->StripPosition() : 0;
}

void CTKTabManager::ScrollByStep(bool towards_end) {
  ScrollTo(towards_end ? scroll_offset_ - kScrollStep : scroll_offset_ + kScrollStep);
}

INT_PTR CTKTabManager::TipHitTest(HWND window, POINT point, TOOLINFOW* tool) const {
  if (MouseLocked()) return -1;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const CTKTabManagerNavigateButton* button = buttons_[i];
    if (!PtInRect(&button->Rect(), point)) continue;
    if (!button->IsEnabled() || button->Tooltip().empty()) return -1;
    if (tool) {
      tool->hwnd = window;
      tool->uId = i;
      tool->rect = button->Rect();
      tool->lpszText = const_cast<wchar_t*>(button->Tooltip().c_str());
    }
    return static_cast<INT_PTR>(i);
  }
  CTKTabManagerItem* item = ItemAt(point);
  if (!item) return -1;
  const CTKTabPaintManager* painter = TabPainter();
  const int policy = painter ? painter->tooltip_policy : 2;
  if (policy == 0 || (policy == 2 && item->Length() >= item->DesiredLength())) return -1;
  const std::wstring tip = ItemTipOf(item);
  if (tip.empty()) return -1;
  if (tool) {
    tool->hwnd = window;
    tool->uId = static_cast<UINT_PTR>(item->Index());
    tool->rect = item->Rect();
    // The text the host gives for the item, kept until the next hit test (the caller copies it).
    last_tip_ = tip;
    tool->lpszText = const_cast<wchar_t*>(last_tip_.c_str());
  }
  return item->Index();
}

BOOL CTKTabManager::HandleKey(HWND window, UINT key) {
  const int count = ItemCount();
  if (count == 0) return FALSE;
  if (window && (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)) {
    if (key == VK_LEFT)
      key = VK_RIGHT;
    else if (key == VK_RIGHT)
      key = VK_LEFT;
  }
  const bool horizontal = RunsHorizontally();
  const int index = SelectedIndex();
  switch (key) {
    case VK_END:
      SelectItemIfAllowed(NextUsableItem(count, -1));
      return TRUE;
    case VK_HOME:
      SelectItemIfAllowed(NextUsableItem(-1, +1));
      return TRUE;
    case VK_LEFT:
    case VK_UP:
      if (horizontal == (key == VK_LEFT) && selected_ && index > 0) SelectItemIfAllowed(NextUsableItem(index, -1));
      return TRUE;
    case VK_RIGHT:
    case VK_DOWN:
      if (horizontal == (key == VK_RIGHT) && selected_ && index < count - 1)
        SelectItemIfAllowed(NextUsableItem(index, +1));
      return TRUE;
    default:
      return FALSE;
  }
}

bool CTKTabManager::NavButtonWanted(const CTKTabManagerNavigateButton* button) const {
  if (button->GetId() != CTKTabManagerNavigateButton::kClose) return true;
  return selected_ && selected_->IsClosable();
}

CTKTabManagerItem* CTKTabManager::InsertItem(int index, const std::wstring& caption, int image, ULONG_PTR data) {
  index = std::clamp(index, 0, ItemCount());
  auto* item = new CTKTabManagerItem(this);
  item->SetCaption(caption);
  item->SetImage(image);
  item->SetData(data);
  items_.insert(items_.begin() + index, item);
  RenumberItems();
  return item;
}

void CTKTabManager::RemoveItem(int index) {
  if (index < 0 || index >= ItemCount()) return;
  CTKTabManagerItem* item = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  if (hot_ == item) hot_ = nullptr;
  if (pressed_ == item) pressed_ = nullptr;
  const bool was_selected = selected_ == item;
  if (was_selected) selected_ = nullptr;
  item->OnRemoved();
  item->InternalRelease();
  RenumberItems();
  if (was_selected && !items_.empty()) SelectIndex(index);
}

void CTKTabManager::MoveItem(int from, int to) {
  const int count = ItemCount();
  if (from < 0 || from >= count) return;
  to = std::clamp(to, 0, count - 1);
  if (from == to) return;
  CTKTabManagerItem* item = items_[static_cast<size_t>(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, item);
  RenumberItems();
}

void CTKTabManager::ClearItems() {
  // The list empties first: an item that looks at its manager while it goes finds none of the
  // items already let go.
  std::vector<CTKTabManagerItem*> items;
  items.swap(items_);
  selected_ = hot_ = pressed_ = nullptr;
  for (CTKTabManagerItem* item : items) {
    item->OnRemoved();
    item->InternalRelease();
  }
  RenumberItems();
}

CTKTabManagerItem* CTKTabManager::ItemAtIndex(int index) const {
  if (index < 0 || index >= ItemCount()) return nullptr;
  return items_[static_cast<size_t>(index)];
}

void CTKTabManager::SelectIndex(int index) {
  if (items_.empty()) {
    SelectItem(nullptr);
    return;
  }
  SelectItem(items_[static_cast<size_t>(std::clamp(index, 0, ItemCount() - 1))]);
}

void CTKTabManager::ScrollTo(int offset) {
  if (offset > 0) offset = 0;
  if (offset == scroll_offset_) return;
  scroll_offset_ = offset;
  Relayout();
}

void CTKTabManager::BringIntoView(CTKTabManagerItem* item) {
  CTKTabPaintManager* painter = TabPainter();
  if (item && painter) painter->BringIntoView(this, item);
}

int CTKTabManager::TotalItemsLength() const {
  const CTKTabPaintManager* painter = TabPainter();
  if (painter && painter->layout == CTKTabPaintManager::kRotated && painter->Shape())
    return ItemCount() * painter->Shape()->ButtonHeight();
  int total = 0;
  for (const CTKTabManagerItem* item : items_) total += item->Length();
  return total;
}

CTKTabManagerItem* CTKTabManager::ItemAt(POINT point) const {
  if (!PtInRect(&control_, point)) return nullptr;
  if (!IsRectEmpty(&header_) && !PtInRect(&header_, point)) return nullptr;
  for (CTKTabManagerItem* item : items_) {
    if (item->IsEnabled() && item->IsVisible() && PtInRect(&item->Rect(), point)) return item;
  }
  return nullptr;
}

CTKTabManagerItem* CTKTabManager::NextUsableItem(int index, int direction) const {
  for (index += direction; index >= 0 && index < ItemCount(); index += direction) {
    CTKTabManagerItem* item = items_[static_cast<size_t>(index)];
    if (item->IsVisible() && item->IsEnabled()) return item;
  }
  return nullptr;
}

RECT CTKTabManager::RedrawAreaOf(const CTKTabManagerItem* item) const {
  const CTKTabPaintManager* painter = TabPainter();
  return painter && painter->Shape() ? painter->Shape()->TabRedrawArea(item) : item->Rect();
}

void CTKTabManager::RedrawItem(const CTKTabManagerItem* item, bool animate) {
  if (!item) return;
  RECT rect = RedrawAreaOf(item);
  InvalidateStrip(&rect, animate);
}

CTKTabManager::CLayoutPicture CTKTabManager::TakeLayoutPicture() const {
  CLayoutPicture picture;
  picture.items.assign(items_.begin(), items_.end());
  picture.rects.reserve(items_.size());
  picture.areas.reserve(items_.size());
  for (const CTKTabManagerItem* item : items_) {
    picture.rects.push_back(item->Rect());
    picture.areas.push_back(RedrawAreaOf(item));
  }
  picture.rows = rows_.rows;
  for (const CTKTabManagerNavigateButton* button : buttons_)
    picture.buttons.push_back({button->Rect(), button->IsEnabled(), button->IsHot(), button->IsPressed()});
  picture.control = control_;
  picture.header = header_;
  picture.page = page_;
  picture.scroll_offset = scroll_offset_;
  picture.selected = selected_;
  picture.hot = hot_;
  picture.pressed = pressed_;
  picture.active = active_;
  return picture;
}

bool CTKTabManager::PlacesChangedSince(const CLayoutPicture& before, RECT* area) const {
  SetRectEmpty(area);
  if (before.items.size() != items_.size() || before.rows != rows_.rows || before.buttons.size() != buttons_.size() ||
      !EqualRect(&before.control, &control_) || !EqualRect(&before.header, &header_) ||
      !EqualRect(&before.page, &page_) || before.scroll_offset != scroll_offset_ || before.selected != selected_ ||
      before.hot != hot_ || before.pressed != pressed_ || before.active != active_)
    return false;
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const CLayoutPicture::CButton& was = before.buttons[i];
    const CTKTabManagerNavigateButton* button = buttons_[i];
    if (!EqualRect(&was.rect, &button->Rect()) || was.enabled != button->IsEnabled() || was.hot != button->IsHot() ||
        was.pressed != button->IsPressed())
      return false;
  }
  // Every place from the first to the last change: a tab between two exchanged ones keeps its
  // place but may now lie on the other side of the selected tab, which some shapes draw over
  // their neighbours in a different order.
  size_t first = items_.size(), last = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == before.items[i] && EqualRect(&items_[i]->Rect(), &before.rects[i])) continue;
    first = std::min(first, i);
    last = i;
  }
  if (first == items_.size()) return true;
  RECT changed{};
  for (size_t i = first; i <= last; ++i) {
    const RECT now = RedrawAreaOf(items_[i]);
    UnionRect(&changed, &changed, &before.areas[i]);
    UnionRect(&changed, &changed, &now);
  }
  // Across the strip the band takes the whole control: the selected tab joins the page.
  if (RunsHorizontally()) {
    changed.top = std::min(changed.top, control_.top);
    changed.bottom = std::max(changed.bottom, control_.bottom);
  } else {
    changed.left = std::min(changed.left, control_.left);
    changed.right = std::max(changed.right, control_.right);
  }
  *area = changed;
  return true;
}

void CTKTabManager::TrackPointer(HWND window, POINT point) {
  const CTKTabPaintManager* painter = TabPainter();
  const HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if ((top && GetActiveWindow() != top) || MouseLocked()) {
    if (hot_) {
      CTKTabManagerItem* old = hot_;
      hot_ = nullptr;
      RedrawItem(old, true);
    }
    return;
  }
  if (painter && painter->hot_tracking) {
    CTKTabManagerItem* now = ItemAt(point);
    if (now != hot_) {
      CTKTabManagerItem* old = hot_;
      hot_ = now;
      RedrawItem(old, true);
      if (now) {
        RedrawItem(now, false);
        if (window) {
          TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, window, 0};
          TrackMouseEvent(&tme);
        }
      }
    }
  }
  for (CTKTabManagerNavigateButton* button : buttons_) button->TrackHot(window, point);
}

bool CTKTabManager::HandlePress(HWND window, POINT point, bool buttons_only) {
  for (CTKTabManagerNavigateButton* button : buttons_) {
    if (PtInRect(&button->Rect(), point)) {
      button->PressLoop(window, point);
      return true;
    }
  }
  if (buttons_only) return false;
  CTKTabManagerItem* item = ItemAt(point);
  if (!item || !SelectionAllowed(item)) return false;
  const CTKTabPaintManager* painter = TabPainter();
  if (ReorderAllowed())
    DragReorderLoop(window, point, item);
  else if (!painter || painter->select_on_press)
    ItemClicked(item);
  else
    PressTrackLoop(window, point, item);
  return true;
}

bool CTKTabManager::RunsHorizontally() const {
  const int position = StripPosition();
  return position == 0 || position == 2;
}

int CTKTabManager::ExtentAlongStrip(const RECT& rect) const {
  return RunsHorizontally() ? rect.right - rect.left : rect.bottom - rect.top;
}
