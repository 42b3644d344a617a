#include "toolkit/ribbon/ribbon_button_group.h"

#include <algorithm>
#include <vector>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_control_tab.h"
#include "toolkit/ribbon/ribbon_group_popup.h"
#include "toolkit/ribbon/ribbon_tab.h"
#include "toolkit/ribbon/ribbon_theme.h"

using TKCommandBars::kHideShow;
using TKCommandBars::kHideWrap;

IMPLEMENT_DYNCREATE(CTKRibbonButtonGroup, CCmdTarget)

namespace {

// A record's data: its form, and whether it begins a stack of small buttons.
constexpr int kFormMask = 3;
constexpr int kStackStart = 4;

int FormBits(const CTKRibbonGroup::CControlPosition& record) { return record.data & kFormMask; }

// The columns of the current forms: a large control stands alone; small ones stack up to three
// high, and a control that begins a stack starts a new column.
std::vector<std::vector<size_t>> ColumnsOf(const std::vector<CTKRibbonGroup::CControlPosition>& records) {
  std::vector<std::vector<size_t>> columns;
  bool open_stack = false;
  for (size_t i = 0; i < records.size(); ++i) {
    const CTKRibbonGroup::CControlPosition& record = records[i];
    if (record.hidden) continue;
    if (FormBits(record) == CTKRibbonButtonGroup::kLarge) {
      columns.push_back({i});
      open_stack = false;
      continue;
    }
    if (!open_stack || (record.data & kStackStart) ||
        columns.back().size() >= static_cast<size_t>(CTKRibbonButtonGroup::kStackHeight)) {
      columns.emplace_back();
      open_stack = true;
    }
    columns.back().push_back(i);
  }
  return columns;
}

bool HiddenByUser(const CTKControl* control) {
  return (control->GetHideFlags() & kHideShow) != 0 || (control->GetAction() && !control->GetAction()->IsVisible());
}

}  // namespace

constexpr int CTKRibbonButtonGroup::kStyleOfForm[3];

CTKRibbonButtonGroup::~CTKRibbonButtonGroup() {
  Positions().clear();
  for (CTKControl* control : owned_) control->Release();
  owned_.clear();
  if (CTKControl* button = CollapsedPopup()) {
    static_cast<CTKRibbonGroupControlPopup*>(button)->SetGroup(nullptr);
    button->Release();
    SetCollapsedPopup(nullptr);
  }
}

CTKControl* CTKRibbonButtonGroup::AddControl(CTKControl* control) {
  if (!control) return nullptr;
  control->AddRef();
  owned_.push_back(control);
  CControlPosition record;
  record.control = control;
  Positions().push_back(record);
  JoinBar(control);
  return control;
}

void CTKRibbonButtonGroup::RemoveControl(int index) {
  if (index < 0 || index >= ControlCount()) return;
  CTKControl* control = Positions()[static_cast<size_t>(index)].control;
  Positions().erase(Positions().begin() + index);
  if (!control) return;
  LeaveBar(control);
  auto owned = std::find(owned_.begin(), owned_.end(), control);
  if (owned == owned_.end()) return;
  owned_.erase(owned);
  control->Release();
}

void CTKRibbonButtonGroup::RemoveControl(CTKControl* control) {
  for (int i = 0; i < ControlCount(); ++i)
    if (Positions()[static_cast<size_t>(i)].control == control) {
      RemoveControl(i);
      return;
    }
}

CTKControl* CTKRibbonButtonGroup::ControlAt(int index) const {
  if (index < 0 || index >= ControlCount()) return nullptr;
  return Positions()[static_cast<size_t>(index)].control;
}

CTKRibbonButtonGroup::Form CTKRibbonButtonGroup::FormOf(int index) const {
  if (index < 0 || index >= ControlCount()) return kLarge;
  return static_cast<Form>(FormBits(Positions()[static_cast<size_t>(index)]));
}

void CTKRibbonButtonGroup::JoinBar(CTKControl* control) {
  CTKCommandBar* bar = ParentBar();
  if (!bar || control->GetControls() == bar->GetControls()) return;
  // The controls of a tab that is not the one shown stay hidden until it is.
  const bool other_tab = !ShownElsewhere() && Host() && !Host()->ShowsTab(Tab());
  control->SetHideFlag(CTKRibbonControlTab::kHideOtherTab, other_tab);
  bar->GetControls()->InsertAt(control, -1);
}

void CTKRibbonButtonGroup::LeaveBar(CTKControl* control) {
  CTKCommandBar* bar = ParentBar();
  if (bar && control->GetControls() == bar->GetControls()) bar->GetControls()->Remove(control);
}

void CTKRibbonButtonGroup::OnInserted() {
  for (CControlPosition& record : Positions())
    if (record.control) JoinBar(record.control);
  if (CollapsedPopup()) JoinBar(CollapsedPopup());
}

void CTKRibbonButtonGroup::OnRemoved() {
  for (CControlPosition& record : Positions())
    if (record.control) LeaveBar(record.control);
  if (CollapsedPopup()) LeaveBar(CollapsedPopup());
}

CTKRibbonGroupControlPopup* CTKRibbonButtonGroup::EnsureCollapsedButton() {
  if (!CollapsedPopup()) {
    auto* button = new CTKRibbonGroupControlPopup(this);
    SetCollapsedPopup(button);
    JoinBar(button);
  }
  return static_cast<CTKRibbonGroupControlPopup*>(CollapsedPopup());
}

int CTKRibbonButtonGroup::RowHeight() const {
  const CTKRibbonGroupsHost* host = Host();
  if (!host) return 22;
  // The content below the group's 2-pixel top edge and above its caption row, three rows high.
  return std::max(1, (host->GroupsHeight() - 7 - host->GroupCaptionHeight() - 3) / kStackHeight);
}

void CTKRibbonButtonGroup::TakeFormStyle(CTKControl* control, Form form) {
  // A gallery or a combo box keeps its own look in every form.
  const int type = control->GetType();
  if (type != TKCommandBars::kGallery && type != TKCommandBars::kComboBox) control->SetStyle(kStyleOfForm[form]);
}

SIZE CTKRibbonButtonGroup::MeasureControl(HDC dc, CTKControl* control, Form form) {
  TakeFormStyle(control, form);
  CDC wrapped;
  wrapped.Attach(dc);
  const CSize size = control->GetSize(&wrapped);
  wrapped.Detach();
  return SIZE{size.cx, size.cy};
}

int CTKRibbonButtonGroup::MeasureCaption(HDC dc, const std::wstring& caption) {
  SIZE size{};
  if (dc && !caption.empty()) ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  return size.cx;
}

void CTKRibbonButtonGroup::Arrange(HDC dc) {
  std::vector<CControlPosition>& records = Positions();
  // Collapsed, every control gives way to the group's button.
  for (CControlPosition& record : records)
    record.hidden = IsCollapsed() || !record.control || HiddenByUser(record.control);
  if (IsCollapsed()) {
    CDC wrapped;
    wrapped.Attach(dc);
    width_ = std::max<int>(EnsureCollapsedButton()->GetSize(&wrapped).cx, 0);
    wrapped.Detach();
    return;
  }
  const int row = RowHeight();
  int x = 0;
  int used = 0;
  for (const std::vector<size_t>& column : ColumnsOf(records)) {
    int width = 0;
    int y = 0;
    for (size_t i : column) {
      CControlPosition& record = records[i];
      const Form form = static_cast<Form>(FormBits(record));
      const size_t slot = i * 3 + form;
      SIZE size;
      if (slot < measured_.size() && measured_[slot].cx >= 0) {
        TakeFormStyle(record.control, form);
        size = measured_[slot];
      } else {
        size = MeasureControl(dc, record.control, form);
        if (slot < measured_.size()) measured_[slot] = size;
      }
      const int height = form == kLarge ? kStackHeight * row : row;
      record.rect = RECT{x, y, x + size.cx, y + height};
      y += height;
      width = std::max<int>(width, size.cx);
    }
    // The column's controls share its width.
    for (size_t i : column) records[i].rect.right = x + width;
    used = x + width;
    x += width + kColumnGap;
  }
  int least = MeasureCaption(dc, Caption()) + kCaptionMargin;
  if (ShowsOptionButton() && Host()) least += Host()->GroupCaptionHeight() + 1;
  width_ = std::max(used, least);
}

void CTKRibbonButtonGroup::BeginLayout(HDC dc) {
  SetCollapsed(false);
  for (CControlPosition& record : Positions()) record.data = kLarge;
  measured_.assign(Positions().size() * 3, SIZE{-1, -1});
  Arrange(dc);
}

int CTKRibbonButtonGroup::CurrentWidth(HDC) { return width_; }

bool CTKRibbonButtonGroup::Reduce(HDC dc, int level) {
  std::vector<CControlPosition>& records = Positions();
  if (IsCollapsed()) return false;
  if (level == 0) {
    // The last large buttons, up to three in a row, become a stack with captions.
    std::vector<size_t> run;
    for (size_t i = records.size(); i-- > 0 && run.size() < static_cast<size_t>(kStackHeight);) {
      if (records[i].hidden) continue;
      if (FormBits(records[i]) != kLarge) {
        if (!run.empty()) break;
        continue;
      }
      run.push_back(i);
    }
    if (run.empty()) return false;
    for (size_t i : run) records[i].data = kSmallWithCaption;
    records[run.back()].data |= kStackStart;
  } else if (level == 1) {
    // The last stack that still shows captions loses them.
    const std::vector<std::vector<size_t>> columns = ColumnsOf(records);
    bool done = false;
    for (size_t c = columns.size(); c-- > 0 && !done;) {
      for (size_t i : columns[c]) {
        if (FormBits(records[i]) != kSmallWithCaption) continue;
        records[i].data = (records[i].data & ~kFormMask) | kSmall;
        done = true;
      }
    }
    if (!done) return false;
  } else {
    SetCollapsed(true);
  }
  Arrange(dc);
  return true;
}

void CTKRibbonButtonGroup::EndLayout() {
  const bool collapsed = IsCollapsed();
  for (CControlPosition& record : Positions()) {
    if (!record.control) continue;
    record.control->SetHideFlag(kHideWrap, record.hidden);
    if (record.hidden) continue;
    TakeFormStyle(record.control, static_cast<Form>(FormBits(record)));
    record.control->SetRect(CRect(record.rect));
    record.control->SetRowRect(CRect(record.group_rect));
  }
  if (collapsed) {
    CTKRibbonGroupControlPopup* button = EnsureCollapsedButton();
    const RECT& group = Rect();
    button->SetRect(CRect(group.left + 2, group.top + 2, group.left + 2 + width_, group.top + 2 + kStackHeight * RowHeight()));
    button->SetHideFlag(kHideWrap, false);
  } else if (CTKControl* button = CollapsedPopup()) {
    button->SetHideFlag(kHideWrap, true);
  }
}

void CTKRibbonButtonGroup::Draw(HDC dc, const RECT&) {
  if (IsCollapsed()) return;
  CTKCommandBar* bar = ParentBar();
  auto* theme = dynamic_cast<CTKRibbonTheme*>(bar ? bar->GetPaintManager() : nullptr);
  if (!theme) return;
  const RECT rect = Rect();
  const int caption_height = Host() ? Host()->GroupCaptionHeight() : theme->Metrics().group_caption_height;
  theme->PaintGroupCaption(dc, RECT{rect.left, rect.bottom - caption_height, rect.right, rect.bottom}, Caption(),
                           ShowsOptionButton());
}

void CTKRibbonButtonGroup::CopyFrom(const CTKRibbonGroup& other) {
  CTKRibbonGroup::CopyFrom(other);
  const auto* source = dynamic_cast<const CTKRibbonButtonGroup*>(&other);
  if (!source || source == this) return;
  while (ControlCount() > 0) RemoveControl(ControlCount() - 1);
  for (const CControlPosition& record : source->Positions()) {
    if (!record.control) continue;
    CTKControl* copy = record.control->Clone(true);
    if (!copy) continue;
    AddControl(copy);
    copy->Release();
    Positions().back().data = record.data;
    Positions().back().hidden = record.hidden;
  }
}
