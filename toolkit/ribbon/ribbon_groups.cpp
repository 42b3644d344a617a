#include "toolkit/ribbon/ribbon_groups.h"

#include <algorithm>
#include <array>

#include "toolkit/ribbon/ribbon_tab.h"

CTKRibbonTab* CTKRibbonGroup::Tab() const { return groups_ ? groups_->Tab() : nullptr; }

bool CTKRibbonGroup::CountsAsVisible() const {
  if (shown_elsewhere_) return true;
  return visible_ && host_ && host_->ShowsTab(Tab());
}

void CTKRibbonGroup::CopyFrom(const CTKRibbonGroup& other) {
  id_ = other.id_;
  rect_ = other.rect_;
  vertical_spread_ = other.vertical_spread_;
  connected_row_ = other.connected_row_;
  visible_ = other.visible_;
  collapsed_ = other.collapsed_;
  option_button_ = other.option_button_;
  caption_ = other.caption_;
}

CTKRibbonGroup* CTKRibbonGroup::NewOfSameKind() const {
  const CRuntimeClass* kind = GetRuntimeClass();
  CObject* made = kind ? kind->CreateObject() : nullptr;
  if (!made) return nullptr;
  if (auto* group = dynamic_cast<CTKRibbonGroup*>(made)) return group;
  delete made;
  return nullptr;
}

void CTKRibbonGroup::Position(int width, int x, int y) {
  const int band = host_ ? host_->GroupsHeight() : 0;
  const int caption = host_ ? host_->GroupCaptionHeight() : 0;
  const int content = band - 7 - caption;
  for (CControlPosition& record : positions_) {
    if (record.hidden) continue;
    OffsetRect(&record.rect, x + 2, y + 2);
    record.group_rect = RECT{x, y, x + width, y + content};
  }
  if (vertical_spread_ && !connected_row_) SpreadColumns(content - 3);
  rect_ = RECT{x, y, x + width + 5, y + band - 7};
}

void CTKRibbonGroup::SpreadColumns(int height) {
  size_t first = 0;
  while (first < positions_.size()) {
    if (positions_[first].hidden) {
      ++first;
      continue;
    }
    // A column: the records that follow with the same left edge.
    size_t end = first + 1;
    while (end < positions_.size() && (positions_[end].hidden || positions_[end].rect.left == positions_[first].rect.left))
      ++end;
    int sum = 0, count = 0;
    for (size_t i = first; i < end; ++i) {
      if (positions_[i].hidden) continue;
      sum += positions_[i].rect.bottom - positions_[i].rect.top;
      ++count;
    }
    if (sum < height) {
      const int part = (height - sum) / (count + 1);
      int k = 0;
      for (size_t i = first; i < end; ++i) {
        if (positions_[i].hidden) continue;
        ++k;
        OffsetRect(&positions_[i].rect, 0, k * part);
      }
    }
    first = end;
  }
}

CTKRibbonGroups::~CTKRibbonGroups() { DropAllGroups(); }

void CTKRibbonGroups::PutGroupAt(int index, CTKRibbonGroup* group, CTKCommandBar* bar, CTKRibbonGroupsHost* host) {
  if (!group) return;
  index = std::clamp(index, 0, Count());
  group->groups_ = this;
  group->parent_bar_ = bar;
  if (host) host_ = host;
  group->host_ = host_;
  groups_.insert(groups_.begin() + index, group);
  Renumber();
  group->OnInserted();
}

void CTKRibbonGroups::DropAllGroups() {
  std::vector<CTKRibbonGroup*> groups;
  groups.swap(groups_);
  for (CTKRibbonGroup* group : groups) {
    group->OnRemoved();
    group->groups_ = nullptr;
    group->InternalRelease();
  }
  Renumber();
}

void CTKRibbonGroups::CloneFrom(const CTKRibbonGroups& other, CTKCommandBar* bar, CTKRibbonGroupsHost* host) {
  DropAllGroups();
  for (CTKRibbonGroup* source : other.groups_) {
    CTKRibbonGroup* copy = source->NewOfSameKind();
    if (!copy) continue;
    PutGroupAt(source->Index(), copy, bar, host);
    copy->CopyFrom(*source);
  }
}

CTKRibbonGroup* CTKRibbonGroups::At(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return groups_[static_cast<size_t>(index)];
}

CTKRibbonGroup* CTKRibbonGroups::GroupAtPoint(POINT point) const {
  for (CTKRibbonGroup* group : groups_)
    if (group->CountsAsVisible() && PtInRect(&group->Rect(), point)) return group;
  return nullptr;
}

CTKRibbonGroup* CTKRibbonGroups::GroupById(int id) const {
  for (CTKRibbonGroup* group : groups_)
    if (group->Id() == id) return group;
  return nullptr;
}

void CTKRibbonGroups::Renumber() {
  for (size_t i = 0; i < groups_.size(); ++i) groups_[i]->index_ = static_cast<int>(i);
}

int CTKRibbonGroups::TotalWidth(const std::vector<int>& widths) {
  int total = 0, shown = 0;
  for (int width : widths) {
    if (width <= 0) continue;
    total += width;
    ++shown;
  }
  return shown > 1 ? total + kGap * (shown - 1) : total;
}

void CTKRibbonGroups::ArrangeGroups(HDC dc, int band_width, int left, int top, int right) {
  CTKRibbonGroupsHost* host = host_;
  if (groups_.empty()) {
    scroll_offset_ = 0;
    if (host) host->SetGroupsScroll(0, false, false);
    return;
  }
  const size_t n = groups_.size();
  std::vector<bool> shown(n);
  std::vector<int> widths(n, 0);
  for (size_t i = 0; i < n; ++i) {
    shown[i] = groups_[i]->CountsAsVisible();
    if (shown[i]) groups_[i]->BeginLayout(dc);
  }
  for (size_t i = 0; i < n; ++i)
    if (shown[i]) widths[i] = std::max(0, groups_[i]->CurrentWidth(dc));

  const int available = band_width - right - left;
  int total = TotalWidth(widths);

  // Each pass takes one smaller form, trying the lower levels first and the last group first,
  // and starts over after every success. A group that takes a form which is no narrower gets
  // no further turn at that level, and the number of passes is bounded, so a narrow, empty or
  // negative band ends with every group at its smallest form.
  std::vector<std::array<bool, CTKRibbonGroup::kLevels>> spent(n, std::array<bool, CTKRibbonGroup::kLevels>{});
  int budget = static_cast<int>(n) * CTKRibbonGroup::kLevels * 64;
  bool reduced = true;
  while (total > available && reduced && budget-- > 0) {
    reduced = false;
    for (int level = 0; level < CTKRibbonGroup::kLevels && !reduced; ++level) {
      for (size_t k = n; k-- > 0;) {
        if (!shown[k] || spent[k][static_cast<size_t>(level)]) continue;
        if (!groups_[k]->Reduce(dc, level)) continue;
        const int width = std::max(0, groups_[k]->CurrentWidth(dc));
        if (width >= widths[k]) spent[k][static_cast<size_t>(level)] = true;
        widths[k] = width;
        reduced = true;
        break;
      }
    }
    total = TotalWidth(widths);
  }

  int offset = 0;
  if (total > available) {
    const int requested = host ? host->GroupsScrollPos() : scroll_offset_;
    offset = std::clamp(requested, 0, total - available);
  }
  scroll_offset_ = offset;
  if (host) host->SetGroupsScroll(offset, offset > 0, total - offset - available > 0);

  int x = left - offset;
  for (size_t i = 0; i < n; ++i) {
    if (!shown[i]) continue;
    groups_[i]->Position(widths[i], x, top);
    if (widths[i] > 0) x += widths[i] + kGap;
  }
  for (size_t i = 0; i < n; ++i)
    if (shown[i]) groups_[i]->EndLayout();
}
