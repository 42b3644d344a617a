#include "toolkit/commandbars/controls.h"

#include <algorithm>

#include "platform/appframe/dc.h"
#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/drawing/image_manager.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/control_custom.h"
#include "toolkit/commandbars/control_edit.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

CTKControls::CTKControls(CTKCommandBar* bar, CTKCommandBarManager* manager) : bar_(bar), manager_(manager) {}

CTKControls::~CTKControls() {
  RemoveAll();
  if (original_) original_->InternalRelease();
}

CTKControl* CTKControls::GetAt(int index) const {
  return index >= 0 && index < GetCount() ? controls_[index] : nullptr;
}

void CTKControls::SetParent(CTKCommandBar* bar) {
  bar_ = bar;
  for (CTKControl* control : controls_) control->SetParent(bar);
}

CTKCommandBarManager* CTKControls::GetManager() const {
  if (manager_) return manager_;
  return bar_ ? bar_->GetCommandBarManager() : nullptr;
}

void CTKControls::Renumber() {
  if (!OwnsControls()) return;
  for (int i = 0; i < GetCount(); ++i) {
    controls_[i]->index_ = i;
    controls_[i]->controls_ = this;
    controls_[i]->SetParent(bar_);
  }
  if (bar_) bar_->OnControlsChanged();
}

CTKControl* CTKControls::CreateByType(int type, int id) {
  switch (type) {
    case kButton:
      return new CTKControlButton;
    case kPopupControl:
    case kButtonPopup:
    case kSplitButtonPopup: {
      CTKControlPopup* popup = new CTKControlPopup;
      popup->SetType(type);
      return popup;
    }
    case kComboBox:
      return new CTKControlComboBox;
    case kEdit:
      return new CTKControlEdit;
    case kLabel:
      return new CTKControlLabel;
    case kCheckBox:
      return new CTKControlCheckBox;
    case kRadioButton:
      return new CTKControlRadioButton;
    case kCustom:
      return new CTKControlCustom;
    case kGallery:
      return new CTKControlGallery;
    default:
      return nullptr;
  }
}

CTKControl* CTKControls::Add(int type, int id, const std::wstring& parameter, int before, bool temporary) {
  if (type < 1 || type > 11) return nullptr;
  CTKControl* control = CreateByType(type, id);
  if (!control) return nullptr;
  if (type >= kPopupControl && type <= kSplitButtonPopup) {
    CTKControlPopup* popup = static_cast<CTKControlPopup*>(control);
    CTKCommandBar* bar = nullptr;
    HWND site = bar_ ? bar_->GetSite() : (GetManager() ? GetManager()->GetSite() : nullptr);
    KestrinWinNS::CScopedMenu menu;
    std::wstring caption;
    if (id > 0) {
      menu.Reset(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
      if (menu) {
        wchar_t text[1025] = {};
        ::GetMenuStringW(menu.Get(), 0, text, 1024, MF_BYPOSITION);
        caption = text;
      }
    }
    if (site) {
      struct { int kind; const wchar_t* caption; int id; CTKCommandBar* bar; } request{1, caption.c_str(), id, nullptr};
      ::SendMessageW(site, kMsgPopupBarRequest, 0, reinterpret_cast<LPARAM>(&request));
      bar = request.bar;
    }
    if (!bar) bar = CTKPopupBar::CreatePopupBar(GetManager());
    bar->SetTitle(caption);
    if (menu) {
      HMENU sub = ::GetSubMenu(menu.Get(), 0);
      if (sub) bar->LoadMenu(sub, true);
    }
    popup->SetCommandBar(bar);
    bar->Release();
    if (!caption.empty()) popup->SetCaption(caption);
  }
  control->SetType(type);
  CTKControl* added = Add(control, id, parameter, before, temporary);
  control->Release();  // the collection holds its own reference
  return added;
}

CTKControl* CTKControls::Add(CTKControl* control, int id, const std::wstring& parameter, int before, bool temporary) {
  control->parameter_ = parameter;
  control->temporary_ = temporary;
  if (!control->GetAction()) {
    CTKCommandBarManager* manager = GetManager();
    CTKControlAction* action = manager ? manager->GetActions()->Find(id) : nullptr;
    if (action) {
      control->SetAction(action);
    } else if (!manager || !manager->IsActionsEnabled() || !CTKControlActions::IsActionId(id) ||
               (id >= 9100 && id <= 9299) || (id >= 35000 && id <= 35003)) {
      control->SetID(id);
    } else {
      control->SetAction(manager->GetActions()->Add(id));
    }
  }
  return InsertAt(control, before);
}

CTKControl* CTKControls::InsertAt(CTKControl* control, int before) {
  control->AddRef();
  if (before < 0 || before >= GetCount())
    controls_.push_back(control);
  else
    controls_.insert(controls_.begin() + before, control);
  Renumber();
  OnControlAdded(control);
  return control;
}

CTKControl* CTKControls::AddCopy(const CTKControl* control, int before) {
  CTKControl* copy = control->Clone(true);
  if (!copy) return nullptr;
  InsertAt(copy, before);
  copy->Release();
  return copy;
}

void CTKControls::Detach(CTKControl* control) {
  control->controls_ = nullptr;
  control->index_ = -1;
  control->SetAction(nullptr);
  control->SetParent(nullptr);
}

void CTKControls::Remove(CTKControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  if (bar_ && control->GetSelected() && bar_->GetHotIndex() == control->GetIndex())
    bar_->SetHotControl(-1, CTKCommandBar::kHotProgram);
  if (KeepOnRemove(control)) return;
  controls_.erase(it);
  if (OwnsControls()) Detach(control);
  Renumber();
  OnControlRemoved(control);
  control->Release();
}

void CTKControls::RemoveAll() {
  while (!controls_.empty()) Remove(controls_.back());
}

CTKControl* CTKControls::FindControl(int type, int id, bool visibleOnly, bool recursive) const {
  for (CTKControl* control : controls_) {
    bool typeMatch = type == 0 || control->GetType() == type;
    bool idMatch = id == -1 || control->GetID() == id;
    if (typeMatch && idMatch && (!visibleOnly || control->IsVisible())) return control;
    if (recursive && control->GetCommandBar()) {
      if (CTKControl* found = control->GetCommandBar()->GetControls()->FindControl(type, id, visibleOnly, true))
        return found;
    }
  }
  return nullptr;
}

CTKControl* CTKControls::HitTest(CPoint pt) const {
  for (CTKControl* control : controls_)
    if (control->IsVisible() && control->GetRect().PtInRect(pt)) return control;
  return nullptr;
}

CTKControl* CTKControls::MatchVisibleCopy(const CTKControl* control) const {
  if (!control) return nullptr;
  for (CTKControl* candidate : controls_)
    if (candidate->GetID() == control->GetID() && candidate->GetType() == control->GetType() &&
        (candidate->GetHideFlags() & ~kHideWrap) == 0 && (!candidate->GetAction() || candidate->GetAction()->IsVisible()))
      return candidate;
  return nullptr;
}

int CTKControls::GetNext(int index, int step, bool skipFlagged, bool skipTemporary, bool strict) const {
  const int count = GetCount();
  if (count == 0) return -1;
  const bool fromNone = index == -1;
  int start = index;
  int i = index;
  int wraps = 0;
  if (fromNone && step < 0) i = count;
  for (;;) {
    i += step;
    if (i < 0 || i >= count) {
      if (fromNone || ++wraps > 1) return -1;
      i = step > 0 ? 0 : count - 1;
    }
    if (i == start) return start;
    const CTKControl* control = controls_[i];
    int hidden = control->GetHideFlags() & ~(strict ? kHideScroll : (kHideScroll | kHideExpand));
    bool skip = (control->GetAction() && !control->GetAction()->IsVisible()) || hidden != 0 ||
                (skipFlagged && (control->GetFlags() & kFlagSkipKeyboard)) || (skipTemporary && control->IsTemporary());
    if (!skip) return i;
  }
}

int CTKControls::GetVisibleCount(bool layoutHiddenAsHidden) const {
  int n = 0;
  for (CTKControl* control : controls_) {
    int hidden = control->GetHideFlags() & (layoutHiddenAsHidden ? ~0 : ~kHideWrap);
    if ((!control->GetAction() || control->GetAction()->IsVisible()) && hidden == 0) ++n;
  }
  return n;
}

bool CTKControls::Compare(const CTKControls* other) const {
  if (!other) return false;
  std::vector<CTKControl*> a, b;
  for (CTKControl* c : controls_)
    if (!c->IsTemporary()) a.push_back(c);
  for (CTKControl* c : other->controls_)
    if (!c->IsTemporary()) b.push_back(c);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!a[i]->IsEqual(b[i])) return false;
  return true;
}

CTKControls* CTKControls::Duplicate() const {
  CTKControls* copy = new CTKControls(nullptr, manager_);
  for (CTKControl* control : controls_) {
    if (control->IsTemporary()) continue;
    copy->AddCopy(control);
  }
  if (original_) copy->original_ = original_->Duplicate();
  return copy;
}

void CTKControls::CreateOriginalControls() {
  CTKControls* baseline = Duplicate();
  if (baseline->original_) {
    baseline->original_->InternalRelease();
    baseline->original_ = nullptr;
  }
  if (original_) original_->InternalRelease();
  original_ = baseline;
}

void CTKControls::SetOriginalControls(CTKControls* baseline) {
  if (baseline == original_) return;
  if (baseline) baseline->InternalAddRef();
  if (original_) original_->InternalRelease();
  original_ = baseline;
}

CTKControl* CTKControls::SetControlType(CTKControl* control, int type) {
  if (!control || control->GetType() == type) return control;
  auto isPopup = [](int t) { return t >= kPopupControl && t <= kSplitButtonPopup; };
  if (isPopup(control->GetType()) && isPopup(type)) {
    control->SetType(type);
    return control;
  }
  CTKControl* replacement = CreateByType(type, control->GetID());
  if (!replacement) return nullptr;
  replacement->Copy(control, false);
  replacement->SetType(type);
  InsertAt(replacement, control->GetIndex() + 1);
  replacement->Release();
  Remove(control);
  return replacement;
}

CTKControl* CTKControls::AddMenuItem(HMENU menu, int position) {
  HMENU sub = ::GetSubMenu(menu, position);
  int id = static_cast<int>(::GetMenuItemID(menu, position));
  bool isDefault = static_cast<int>(::GetMenuDefaultItem(menu, TRUE, GMDI_USEDISABLED)) == position;
  if (id == 0xFF00) return nullptr;
  wchar_t buffer[1025] = {};
  ::GetMenuStringW(menu, position, buffer, 1024, MF_BYPOSITION);
  std::wstring text = buffer;
  if (sub) {
    id = 0;
    size_t tab = text.find(L'\t');
    if (tab != std::wstring::npos && tab + 1 < text.size() && iswdigit(text[tab + 1])) {
      id = _wtoi(text.c_str() + tab + 1);
      text.resize(tab);
    }
  }
  int type = sub ? kPopupControl : kButton;
  int style = 0;
  TKControlRequest request{id, nullptr, type, bar_, menu, position, text.c_str(), style};
  HWND site = bar_ ? bar_->GetSite() : (GetManager() ? GetManager()->GetSite() : nullptr);
  CTKControl* control = nullptr;
  if (site && ::SendMessageW(site, kMsgMenuItemRequest, 0, reinterpret_cast<LPARAM>(&request)) && request.control) {
    control = request.control;
    control->AddRef();
    type = request.type;
    style = request.style;
    id = request.id;
    text = request.caption ? request.caption : L"";
  } else if (type == kButton) {
    control = new CTKControlButton;
  } else {
    CTKControlPopup* popup = new CTKControlPopup;
    CTKCommandBar* popupBar = CTKPopupBar::CreatePopupBar(GetManager());
    popupBar->SetTitle(text);
    KestrinWinNS::CScopedMenu loaded;
    if (!sub && id > 0) loaded.Reset(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
    popupBar->LoadMenu(sub ? sub : (loaded ? ::GetSubMenu(loaded.Get(), 0) : nullptr), true);
    popup->SetCommandBar(popupBar);
    popupBar->Release();
    control = popup;
  }
  control->SetType(type);
  control->SetStyle(style);
  CTKCommandBarManager* manager = GetManager();
  CTKControlAction* action = manager ? manager->GetActions()->Find(id) : nullptr;
  if (!action && manager && manager->IsActionsEnabled()) action = manager->GetActions()->Add(id);
  if (action) {
    control->SetAction(action);
    if (action->GetCaption().empty()) action->SetCaption(text);
  } else {
    control->SetID(id);
    control->SetCaption(text);
  }
  control->SetDefaultItem(isDefault);
  InsertAt(control, -1);
  control->Release();
  if (site) ::SendMessageW(site, kMsgMenuItemAdded, 0, reinterpret_cast<LPARAM>(&request));
  return control;
}

// ---------------------------------------------------------------------------------------------
// Layout. Items are placed in (along, across) coordinates: along the row (x on horizontal
// bars, y on vertical ones) and across the rows.

CSize CTKControls::SeparatorSize(CDC* dc) const {
  CTKPaintManager* pm = bar_ ? bar_->GetPaintManager() : GlobalPaintManager();
  return pm->PaintGroupSeparator(dc, nullptr, bar_, false);
}

namespace {
int Along(CSize s, bool vertical) { return vertical ? s.cy : s.cx; }
int Across(CSize s, bool vertical) { return vertical ? s.cx : s.cy; }
}  // namespace

int CTKControls::WrapRows(std::vector<LayoutItem>& items, int length, DWORD flags, CDC* dc) const {
  const bool vertical = (flags & kLayoutVertical) != 0;
  const int sep = Along(SeparatorSize(dc), vertical);
  int rows = 0;
  int pos = 0;
  int rowStart = -1;
  for (size_t i = 0; i < items.size(); ++i) {
    LayoutItem& item = items[i];
    item.wrap = false;
    item.overflow = false;
    if (!item.visible) continue;
    const int len = Along(item.size, vertical);
    if (rowStart < 0) {
      rowStart = static_cast<int>(i);
      item.wrap = true;
      rows = 1;
      pos = len;
      continue;
    }
    const bool forced = (item.control->GetFlags() & kFlagWrapRow) != 0;
    const int add = (item.begin_group ? sep : 0) + len;
    const bool groupRow = item.begin_group && (flags & kLayoutGroupRows);
    if (!forced && !groupRow && pos + add <= length) {
      pos += add;
      continue;
    }
    // A new row: at the nearest earlier group start of this row, else at this item.
    int at = static_cast<int>(i);
    if (!forced && !groupRow) {
      for (int j = static_cast<int>(i) - 1; j > rowStart; --j)
        if (items[j].visible && items[j].begin_group) {
          at = j;
          break;
        }
    }
    if ((flags & kLayoutHideOverflow) && !forced) {
      // Everything from there to the next item that always starts a row does not fit.
      size_t k = static_cast<size_t>(at);
      for (; k < items.size(); ++k) {
        if (k > static_cast<size_t>(at) && (items[k].control->GetFlags() & kFlagWrapRow)) break;
        if (items[k].visible) items[k].overflow = true;
      }
      i = k - 1;
      continue;
    }
    items[at].wrap = true;
    ++rows;
    rowStart = at;
    pos = 0;
    for (int j = at; j <= static_cast<int>(i); ++j) {
      if (!items[j].visible || items[j].overflow) continue;
      pos += (j > at && items[j].begin_group ? sep : 0) + Along(items[j].size, vertical);
    }
  }
  return rows;
}

CSize CTKControls::PlaceRows(std::vector<LayoutItem>& items, DWORD flags, CDC* dc) const {
  const bool vertical = (flags & kLayoutVertical) != 0;
  const CSize sepSize = SeparatorSize(dc);
  const int sepAlong = Along(sepSize, vertical);
  const int sepAcross = Across(sepSize, vertical);
  // Thickness of each row first.
  std::vector<int> thickness;
  for (LayoutItem& item : items) {
    if (!item.visible || item.overflow) continue;
    if (item.wrap || thickness.empty()) thickness.push_back(0);
    thickness.back() = std::max<int>(thickness.back(), Across(item.size, vertical));
  }
  int along = 0, across = 0, row = -1, maxAlong = 0;
  for (LayoutItem& item : items) {
    if (!item.visible || item.overflow) continue;
    if (item.wrap || row < 0) {
      if (row >= 0) across += thickness[row] + (item.begin_group ? sepAcross : 0);
      ++row;
      along = 0;
    } else if (item.begin_group) {
      along += sepAlong;
    }
    const int a = Along(item.size, vertical), c = Across(item.size, vertical);
    const int t = thickness[row];
    if (vertical) {
      item.rect.SetRect(across, along, across + c, along + a);
      item.row.SetRect(across, along, across + t, along + a);
    } else {
      item.rect.SetRect(along, across, along + a, across + c);
      item.row.SetRect(along, across, along + a, across + t);
    }
    along += a;
    maxAlong = std::max(maxAlong, along);
  }
  const int totalAcross = row < 0 ? 0 : across + thickness[row];
  if (vertical) {
    // Columns run from right to left.
    for (LayoutItem& item : items) {
      if (!item.visible || item.overflow) continue;
      const int w = item.row.Width();
      const int x = totalAcross - item.row.left - w;
      item.rect.OffsetRect(x - item.row.left, 0);
      item.row.OffsetRect(x - item.row.left, 0);
    }
    return CSize(totalAcross, maxAlong);
  }
  return CSize(maxAlong, totalAcross);
}

CSize CTKControls::WrapAndPlace(std::vector<LayoutItem>& items, int length, DWORD flags, CDC* dc, int* rows) {
  int n = WrapRows(items, length, flags, dc);
  if (rows) *rows = n;
  return PlaceRows(items, flags, dc);
}

CSize CTKControls::CalcLayout(CDC* dc, int length, DWORD flags, const CRect& borders, int minLength, bool* wrapped) {
  const bool vertical = (flags & kLayoutVertical) != 0;
  const int bordersX = borders.left + borders.right, bordersY = borders.top + borders.bottom;
  if (wrapped) *wrapped = false;
  for (int i = GetCount() - 1; i >= 0; --i) controls_[i]->OnBeforeLayout();

  std::vector<LayoutItem> items;
  items.reserve(controls_.size());
  CTKPaintManager* pm = bar_ ? bar_->GetPaintManager() : GlobalPaintManager();
  for (CTKControl* control : controls_) {
    LayoutItem item{};
    item.control = control;
    item.visible = (!control->GetAction() || control->GetAction()->IsVisible()) &&
                   (control->GetHideFlags() & ~kHideWrap) == 0;
    item.begin_group = control->GetBeginGroup();
    item.style = control->GetStyle();
    if (item.visible) item.size = pm->PaintControl(dc, control, false);
    items.push_back(item);
  }
  bool anyVisible = std::any_of(items.begin(), items.end(), [](const LayoutItem& i) { return i.visible; });
  if (!anyVisible) {
    CSize size(23 + bordersX, 22 + bordersY);
    if (flags & kLayoutWidthLimit)
      size.cy = std::max<int>(size.cy, minLength);
    else
      size.cx = std::max<int>(size.cx, minLength);
    if (flags & kLayoutCommit)
      for (CTKControl* control : controls_) control->SetHideFlag(kHideWrap, false);
    return size;
  }

  if (bar_ && (bar_->GetFlags() & kStackedLargeIcons) && !(flags & kLayoutVertical)) {
    CSize stacked = StackedLayout(items, dc, length, flags, borders);
    if (wrapped) *wrapped = std::any_of(items.begin(), items.end(), [](const LayoutItem& i) { return i.overflow; });
    return stacked;
  }

  // The single-row and one-item-per-row lengths bound the searches.
  int singleRow = 0, widest = 0;
  const int separator = Along(SeparatorSize(dc), vertical);
  for (const LayoutItem& item : items)
    if (item.visible) {
      singleRow += Along(item.size, vertical) + separator;
      widest = std::max(widest, Along(item.size, vertical));
    }
  int rows = 0;
  CSize size;
  if (flags & kLayoutGroupRows) {
    int L = bar_ ? bar_->GetWidth() : 0x7FFF;
    size = WrapAndPlace(items, L, flags, dc, &rows);
    if ((!bar_ || bar_->GetWidth() == 0x7FFF) && size.cy > 3 * size.cx) {
      int lo = widest, hi = singleRow;
      while (lo < hi) {
        int mid = (lo + hi) / 2;
        CSize s = WrapAndPlace(items, mid, flags, dc, &rows);
        if (s.cy <= s.cx) hi = mid; else lo = mid + 1;
      }
      size = WrapAndPlace(items, lo, flags, dc, &rows);
    }
  } else if (flags & (kLayoutWidthLimit | kLayoutVertical)) {
    int L = length - ((flags & kLayoutVertical) ? bordersY : bordersX);
    size = WrapAndPlace(items, L, flags, dc, &rows);
  } else if (flags & kLayoutHeightLimit) {
    const int height = length - bordersY;
    int lo = widest, hi = std::max(widest, singleRow);
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      CSize s = WrapAndPlace(items, mid, flags, dc, &rows);
      if (s.cy <= height) hi = mid; else lo = mid + 1;
    }
    size = WrapAndPlace(items, lo, flags, dc, &rows);
  } else {
    const int L = length - bordersX;
    size = WrapAndPlace(items, L, flags, dc, &rows);
    const int wanted = rows;
    if (!(flags & kLayoutHideOverflow) && rows > 1) {
      // The shortest length that gives the same number of rows.
      int lo = widest, hi = std::max(widest, L);
      while (lo < hi) {
        int mid = (lo + hi) / 2;
        int n = WrapRows(items, mid, flags, dc);
        if (n <= wanted) hi = mid; else lo = mid + 1;
      }
      size = WrapAndPlace(items, lo, flags, dc, &rows);
    }
  }
  bool hiddenAny = std::any_of(items.begin(), items.end(), [](const LayoutItem& i) { return i.overflow; });
  if (wrapped) *wrapped = rows > 1 || hiddenAny;

  if (minLength > 0) {
    if (flags & kLayoutWidthLimit)
      size.cy = std::max<int>(size.cy, minLength - bordersY);
    else
      size.cx = std::max<int>(size.cx, minLength - bordersX);
  }
  if (flags & kLayoutStretch) {
    if (flags & kLayoutVertical)
      size.cy = std::max<int>(size.cy, length - bordersY);
    else
      size.cx = std::max<int>(size.cx, length - bordersX);
  }

  if (flags & kLayoutCommit) {
    const int barAcross = Across(size, vertical);
    const int barAlong = Along(size, vertical);
    for (LayoutItem& item : items) {
      if (!item.visible || item.overflow) continue;
      item.rect.OffsetRect(borders.left, borders.top);
      item.row.OffsetRect(borders.left, borders.top);
      if (rows == 1) {
        if (vertical) {
          item.row.left = borders.left;
          item.row.right = borders.left + barAcross;
        } else {
          item.row.top = borders.top;
          item.row.bottom = borders.top + barAcross;
        }
      }
      // Centred across the row.
      if (vertical) {
        int w = item.rect.Width();
        item.rect.left = item.row.left + (item.row.Width() - w) / 2;
        item.rect.right = item.rect.left + w;
      } else {
        int h = item.rect.Height();
        item.rect.top = item.row.top + (item.row.Height() - h) / 2;
        item.rect.bottom = item.rect.top + h;
      }
    }
    // The trailing run of right-aligned controls goes to the far end of the bar.
    int end = (vertical ? borders.top : borders.left) + barAlong;
    for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
      LayoutItem& item = items[i];
      if (!item.visible || item.overflow) continue;
      if (!(item.control->GetFlags() & kFlagRightAlign)) break;
      int len = Along(item.size, vertical);
      int start = vertical ? item.rect.top : item.rect.left;
      int target = end - len;
      if (target < start || target < (vertical ? borders.top : borders.left)) break;
      int d = target - start;
      if (vertical) {
        item.rect.OffsetRect(0, d);
        item.row.OffsetRect(0, d);
      } else {
        item.rect.OffsetRect(d, 0);
        item.row.OffsetRect(d, 0);
      }
      end = target;
      if (item.wrap) break;
    }
    // Stretched controls share the free length of their row.
    size_t r0 = 0;
    while (r0 < items.size()) {
      size_t r1 = r0 + 1;
      while (r1 < items.size() && !(items[r1].visible && !items[r1].overflow && items[r1].wrap)) ++r1;
      int used = 0, stretch = 0, last = 0;
      for (size_t k = r0; k < r1; ++k) {
        if (!items[k].visible || items[k].overflow) continue;
        last = vertical ? items[k].rect.bottom : items[k].rect.right;
        used = std::max(used, last);
        if (items[k].control->GetFlags() & kFlagStretch) ++stretch;
      }
      int free = (vertical ? borders.top : borders.left) + barAlong - used;
      if (stretch > 0 && free > 0) {
        int shift = 0, share = free / stretch;
        for (size_t k = r0; k < r1; ++k) {
          if (!items[k].visible || items[k].overflow) continue;
          if (vertical) {
            items[k].rect.OffsetRect(0, shift);
            items[k].row.OffsetRect(0, shift);
          } else {
            items[k].rect.OffsetRect(shift, 0);
            items[k].row.OffsetRect(shift, 0);
          }
          if (items[k].control->GetFlags() & kFlagStretch) {
            (vertical ? items[k].rect.bottom : items[k].rect.right) += share;
            (vertical ? items[k].row.bottom : items[k].row.right) += share;
            shift += share;
          }
        }
      }
      r0 = r1;
    }
    for (LayoutItem& item : items) {
      CTKControl* control = item.control;
      if (item.visible && !item.overflow) {
        control->SetRect(item.rect);
        control->SetRowRect(item.row);
      } else {
        control->SetRect(CRect());
        control->SetRowRect(CRect());
      }
      control->SetWrap(item.wrap);
      if (item.overflow != ((control->GetHideFlags() & kHideWrap) != 0))
        control->SetHideFlags(item.overflow ? (control->GetHideFlags() | kHideWrap) : (control->GetHideFlags() & ~kHideWrap));
    }
  }
  return CSize(size.cx + bordersX, size.cy + bordersY);
}

// ---------------------------------------------------------------------------------------------
// Stacked large icons: a control with a large icon takes a column of its own (style 4, caption
// below); the others stack in columns as high as a large icon plus its caption (style 3, or 2
// for the icon alone). While the bar is too long, three neighbouring large ones of a group are
// stacked, then three stacked ones of a size lose their captions.

CSize CTKControls::StackedLayout(std::vector<LayoutItem>& items, CDC* dc, int length, DWORD flags, const CRect& borders) {
  CTKPaintManager* pm = bar_->GetPaintManager();
  const CSize large(bar_->GetIconSize().cx * 2, bar_->GetIconSize().cy * 2);
  const int columnHeight = large.cy + kStackedExtra;
  const int room = length - borders.left - borders.right;
  std::vector<size_t> visible;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].visible) continue;
    visible.push_back(i);
    CTKControl* control = items[i].control;
    const int icon = control->GetEffectiveIconId();
    const bool hasLarge = icon > 0 && control->GetImageManager()->ContainsIcon(static_cast<UINT>(icon), large.cx);
    items[i].style = hasLarge ? 4 : 3;
  }
  auto place = [&]() {
    int x = 0, y = 0, columnWidth = 0;
    bool columnOpen = false, first = true;
    for (size_t i : visible) {
      LayoutItem& item = items[i];
      item.control->SetStyle(item.style);
      item.size = pm->PaintControl(dc, item.control, false);
      item.overflow = false;
      item.wrap = false;
      const bool group = item.begin_group && !first;
      const bool full = item.style == 4;
      if (group || full || !columnOpen || y + item.size.cy > columnHeight) {
        x += columnWidth + (group ? kStackedGroupGap : 0);
        y = 0;
        columnWidth = 0;
        columnOpen = !full;
        item.wrap = true;
      }
      const int h = full ? columnHeight : item.size.cy;
      item.rect.SetRect(x, y, x + item.size.cx, y + h);
      item.row = item.rect;
      columnWidth = std::max<int>(columnWidth, item.size.cx);
      y += h;
      if (full) {
        x += columnWidth;
        columnWidth = 0;
      }
      first = false;
    }
    return x + columnWidth;
  };
  int used = place();
  while (used > room) {
    bool reduced = false;
    // Three neighbouring large ones of one group, from the end of the bar.
    for (size_t k = visible.size(); k >= 3 && !reduced; --k) {
      LayoutItem& a = items[visible[k - 3]];
      LayoutItem& b = items[visible[k - 2]];
      LayoutItem& c = items[visible[k - 1]];
      if (a.style == 4 && b.style == 4 && c.style == 4 && !b.begin_group && !c.begin_group) {
        a.style = b.style = c.style = 3;
        reduced = true;
      }
    }
    // Else three stacked ones of one size lose their captions.
    for (size_t k = visible.size(); k >= 3 && !reduced; --k) {
      LayoutItem& a = items[visible[k - 3]];
      LayoutItem& b = items[visible[k - 2]];
      LayoutItem& c = items[visible[k - 1]];
      if (a.style == 3 && b.style == 3 && c.style == 3 && !b.begin_group && !c.begin_group && a.size == b.size &&
          b.size == c.size) {
        a.style = b.style = c.style = 2;
        reduced = true;
      }
    }
    if (!reduced) break;
    used = place();
  }
  if (used > room && (flags & kLayoutHideOverflow)) {
    for (size_t i : visible) {
      LayoutItem& item = items[i];
      if (item.rect.right > room) {
        item.style = 2;
        item.overflow = true;
      }
    }
    used = 0;
    for (size_t i : visible)
      if (!items[i].overflow) used = std::max<int>(used, items[i].rect.right);
  }
  CSize size(used, columnHeight);
  if (flags & kLayoutStretch) size.cx = std::max<int>(size.cx, length - borders.left - borders.right);
  if (flags & kLayoutCommit) {
    for (LayoutItem& item : items) {
      CTKControl* control = item.control;
      if (item.visible && !item.overflow) {
        CRect rc = item.rect;
        rc.OffsetRect(borders.left, borders.top);
        control->SetRect(rc);
        control->SetRowRect(rc);
      } else {
        control->SetRect(CRect());
        control->SetRowRect(CRect());
      }
      control->SetWrap(item.wrap);
      const bool hidden = (control->GetHideFlags() & kHideWrap) != 0;
      if (item.overflow != hidden)
        control->SetHideFlags(item.overflow ? (control->GetHideFlags() | kHideWrap) : (control->GetHideFlags() & ~kHideWrap));
    }
  }
  return CSize(size.cx + borders.left + borders.right, size.cy + borders.top + borders.bottom);
}
