// The ribbon bar's size and layout: heights, the caption band, the tab row with its controls,
// the quick-access bar with its overflow, the groups band and the context headers; the caption
// hit test and the keyboard tips that follow from the layout.
#include <algorithm>
#include <climits>
#include <unordered_set>

#include "platform/appframe/dc.h"
#include "toolkit/paint/paint_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_measure_dc.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;
using namespace TKRibbon;

namespace {
// Shown but for what the layout decides.
bool ShownBeforeLayout(const CTKControl* control) {
  return (control->GetHideFlags() & ~kHideLayout) == 0 && (!control->GetAction() || control->GetAction()->IsVisible());
}

void HideByLayout(CTKControl* control) { control->SetHideFlags(control->GetHideFlags() | kHideLayout); }

void ShowByLayout(CTKControl* control) { control->SetHideFlags(control->GetHideFlags() & ~kHideLayout); }
}  // namespace

// ---------------------------------------------------------------------------------------------
// Heights

void CTKRibbonBar::ReadMetrics(int* tab_row, int* group_caption, int* control, int* button, int* caption) const {
  CTKRibbonTheme* theme = RibbonTheme();
  const CTKRibbonTheme::CMetrics metrics = CTKRibbonTheme::MetricsOf(theme);
  *tab_row = metrics.tab_row_height;
  *group_caption = metrics.group_caption_height;
  *control = metrics.control_height;
  *button = metrics.button_height;
  *caption = theme ? theme->FrameCaptionHeight() : ::GetSystemMetrics(SM_CYCAPTION);
}

CTKRibbonBarHeights::CInputs CTKRibbonBar::HeightInputs() const {
  CTKRibbonBarHeights::CInputs in;
  ReadMetrics(&in.tab_row_height, &in.group_caption_height, &in.control_height, &in.button_height,
              &in.theme_caption_height);
  in.tabs_visible = tabs_visible_;
  in.groups_visible = groups_visible_;
  in.has_selected_tab = CurrentTab() != nullptr;
  in.minimized = minimized_;
  in.groups_height_override = groups_height_override_;
  in.quick_access_visible = quick_access_visible_;
  in.quick_access_below = quick_access_below_;
  in.frame_companion = HasFrameCompanion();
  in.frame_border = FrameBorder();
  in.caption_without_frame = show_caption_without_frame_;
  in.minimum_visible_size = minimum_visible_size_;
  in.tallest_quick_access = 0;
  return in;
}

CTKRibbonBarHeights CTKRibbonBar::CurrentHeights(int width, int frame_height) const {
  CTKRibbonBarHeights::CInputs in = HeightInputs();
  in.tallest_quick_access = quick_access_height_ > 0 ? quick_access_height_ - 4 : 0;
  return CTKRibbonBarHeights::Compute(in, width, frame_height);
}

int CTKRibbonBar::TabRowHeight() const { return CurrentHeights().tab_row; }

int CTKRibbonBar::GroupsHeight() const { return CurrentHeights().groups; }

int CTKRibbonBar::PopupGroupsHeight() const {
  CTKRibbonBarHeights::CInputs in = HeightInputs();
  in.minimized = false;
  in.groups_visible = true;
  in.has_selected_tab = true;
  return CTKRibbonBarHeights::Compute(in, INT_MAX, INT_MAX).groups;
}

int CTKRibbonBar::GroupCaptionHeight() const {
  int tab_row, group_caption, control, button, caption;
  ReadMetrics(&tab_row, &group_caption, &control, &button, &caption);
  return group_caption;
}

int CTKRibbonBar::CaptionHeight() const { return CurrentHeights().caption; }

bool CTKRibbonBar::ShowsTab(const CTKRibbonTab* tab) const { return tab && tab == CurrentTab(); }

HWND CTKRibbonBar::FrameWindow() const { return GetSite(); }

void CTKRibbonBar::RecomputeQuickAccessHeight() {
  CTKRibbonBarHeights::CInputs in = HeightInputs();
  CTKRibbonMeasureDC dc(this);
  for (int i = 0; i < quick_access_->GetCount(); ++i) {
    CTKControl* control = quick_access_->GetAt(i);
    if (!ShownBeforeLayout(control)) continue;
    in.tallest_quick_access = std::max<int>(in.tallest_quick_access, control->GetSize(dc.get()).cy);
  }
  quick_access_height_ = CTKRibbonBarHeights::Compute(in, INT_MAX, INT_MAX).quick_access;
}

// ---------------------------------------------------------------------------------------------
// Size

CSize CTKRibbonBar::CalcRibbonSize(int width, bool commit) {
  int frame_height = INT_MAX;
  if (HWND frame = FrameWindow()) {
    RECT rect;
    ::GetWindowRect(frame, &rect);
    frame_height = rect.bottom - rect.top;
  }
  RecomputeQuickAccessHeight();
  const CTKRibbonBarHeights heights = CurrentHeights(width, frame_height);
  if (heights.ribbon_visible != ribbon_visible_) {
    ribbon_visible_ = heights.ribbon_visible;
    if (frame_link_) frame_link_->RequestFrameRecalc(false);
  }
  const int height = ribbon_visible_ ? heights.total : 0;
  if (commit) {
    LayoutRibbon(width, heights);
    pending_ &= ~3;
    if (GetSafeHwnd()) ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
  }
  return CSize(width, height);
}

CSize CTKRibbonBar::CalcDockingLayout(int length, DWORD mode, int) {
  return CalcRibbonSize(length, (mode & LM_COMMIT) != 0);
}

CSize CTKRibbonBar::CalcDynamicLayout(int length, DWORD mode) {
  return CalcRibbonSize(length, (mode & LM_COMMIT) != 0);
}

void CTKRibbonBar::RelayoutGroups() {
  if (!GetSafeHwnd()) return;
  LayoutRibbon(GetClientRect().Width(), CurrentHeights());
  ::InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------------
// Layout

void CTKRibbonBar::LayoutRibbon(int width, const CTKRibbonBarHeights& heights) {
  CTKRibbonMeasureDC dc(this);
  const int tab_h = heights.tab_row;
  const int groups_h = heights.groups;
  const int caption_h = heights.caption;
  const int border = FrameBorder();
  const bool caption_mode = IsCaptionMode();

  RECT tab_row{2, 0, width - 2, tab_h};
  RECT groups{0, tab_h, width, tab_h + groups_h};
  if (caption_mode) {
    caption_rect_ = RECT{-border, 0, width + border, caption_h};
    OffsetRect(&tab_row, 0, caption_h);
    OffsetRect(&groups, 0, caption_h);
    title_rect_ = caption_free_rect_ = RECT{0, 0, width, caption_h};
    if (!HasFrameCompanion()) title_rect_ = RECT{};
  } else {
    caption_rect_ = title_rect_ = caption_free_rect_ = RECT{};
  }
  SetTabRowRect(tab_row);
  SetGroupsRect(groups);

  // The controls of the groups, the quick-access bar and the tab row.
  std::unordered_set<const CTKControl*> in_groups;
  for (int t = 0; t < CountTabs(); ++t) {
    const CTKRibbonGroups& list = TabAt(t)->Groups();
    for (int g = 0; g < list.Count(); ++g) {
      if (list.At(g)->CollapsedPopup()) in_groups.insert(list.At(g)->CollapsedPopup());
      for (const CTKRibbonGroup::CControlPosition& record : list.At(g)->Positions()) in_groups.insert(record.control);
    }
  }
  std::vector<CTKControl*> quick, row_left, row_right;
  for (int i = 0; i < controls_->GetCount(); ++i) {
    CTKControl* control = controls_->GetAt(i);
    if (control == customise_button_ || control == more_button_ || quick_access_->Contains(control)) {
      quick.push_back(control);
      continue;
    }
    if (in_groups.count(control) || control == system_button_ || control == control_tab_ || control == LeftButton() ||
        control == RightButton() || (control->GetID() >= kFirstCaptionCommand && control->GetID() <= kLastCaptionCommand))
      continue;
    if (!ShownBeforeLayout(control)) continue;
    (control->GetFlags() & kFlagRightAlign ? row_right : row_left).push_back(control);
  }

  // Where the quick-access bar goes.
  const int qa_h = quick_access_height_;
  const bool below = quick_access_visible_ && quick_access_below_;
  if (below) {
    quick_access_rect_ = RECT{0, groups.bottom, width, groups.bottom + qa_h};
  } else {
    const int top = caption_mode ? border : 4;
    quick_access_rect_ = RECT{qa_h + tab_h, top - 2, caption_rect_.right, top + qa_h - 3};
  }

  // The system button.
  int row_x = 2;
  if (system_button_) {
    CTKControl* button = system_button_;
    if (!ShownBeforeLayout(button)) {
    } else if (caption_mode && tabs_visible_) {
      ShowByLayout(button);
      const int top = border + caption_rect_.top - 1;
      button->SetRect(CRect(0, top, qa_h + tab_h - 3, top + qa_h + tab_h - 4));
      row_x = button->GetRect().right;
    } else if (caption_mode) {
      ShowByLayout(button);
      const CSize size = button->GetSize(dc.get());
      const int y = (caption_rect_.top + caption_rect_.bottom - size.cy) / 2;
      button->SetRect(CRect(0, y, size.cx, y + size.cy));
      quick_access_rect_.left = button->GetRect().right + 15;
      row_x = button->GetRect().right;
    } else if (tabs_visible_) {
      ShowByLayout(button);
      const CSize size = button->GetSize(dc.get());
      const int y = (tab_row.top + tab_row.bottom - size.cy) / 2;
      button->SetRect(CRect(0, y, size.cx, y + size.cy));
      row_x = button->GetRect().right;
    } else {
      HideByLayout(button);
    }
  }

  // The tab row's own controls: left-aligned ones from the system button on, right-aligned ones
  // from the right end.
  const CRect row_rect(2, tab_row.top, width - 2, tab_row.bottom);
  for (CTKControl* control : row_left) {
    if (!tabs_visible_) {
      HideByLayout(control);
      continue;
    }
    ShowByLayout(control);
    const CSize size = control->GetSize(dc.get());
    if (control->GetBeginGroup()) row_x += 6;
    const int y = (tab_row.top + tab_row.bottom - size.cy) / 2;
    control->SetRect(CRect(row_x, y, row_x + size.cx, y + size.cy));
    control->SetRowRect(row_rect);
    row_x += size.cx;
  }
  int row_right_x = width;
  for (auto it = row_right.rbegin(); it != row_right.rend(); ++it) {
    CTKControl* control = *it;
    if (!tabs_visible_) {
      HideByLayout(control);
      continue;
    }
    ShowByLayout(control);
    const CSize size = control->GetSize(dc.get());
    const int y = (tab_row.top + tab_row.bottom - size.cy) / 2;
    control->SetRect(CRect(row_right_x - size.cx, y, row_right_x, y + size.cy));
    control->SetRowRect(row_rect);
    row_right_x -= size.cx;
  }

  // The quick-access bar: in the tab row when it is above and there is no caption band.
  const bool in_tab_row = quick_access_visible_ && !quick_access_below_ && !caption_mode;
  int start;
  if (in_tab_row) {
    quick_access_rect_.top = tab_row.top;
    quick_access_rect_.bottom = tab_row.bottom;
    quick_access_rect_.left = row_x + 5;
    start = quick_access_rect_.left;
  } else {
    start = quick_access_rect_.left + (below ? 2 : 0);
  }
  int limit;
  if (below)
    limit = width - 15;
  else if (frame_link_ && frame_link_->IsDesktopComposition())
    limit = width - 115;
  else
    limit = width - 3 * caption_h;
  const bool all_hidden = !quick_access_visible_ || (!caption_mode && !tabs_visible_);
  const int lower = (!below && !in_tab_row) ? 2 : 0;
  auto place = [&](CTKControl* control, int x) {
    const CSize size = control->GetSize(dc.get());
    const int y = (quick_access_rect_.top + quick_access_rect_.bottom - size.cy) / 2 + lower;
    control->SetRect(CRect(x, y, x + size.cx, y + size.cy));
    control->SetRowRect(CRect(quick_access_rect_));
    return static_cast<int>(size.cx);
  };
  int x = start;
  bool overflow = false, placed_any = false;
  HideByLayout(more_button_);
  for (CTKControl* control : quick) {
    if (control == customise_button_ || control == more_button_) continue;
    if (all_hidden || !ShownBeforeLayout(control)) {
      HideByLayout(control);
      continue;
    }
    const int cx = control->GetSize(dc.get()).cx;
    if (!overflow && x + cx > limit) overflow = true;
    if (overflow) {
      HideByLayout(control);
      continue;
    }
    ShowByLayout(control);
    x += place(control, x);
    placed_any = true;
  }
  if (all_hidden) {
    HideByLayout(customise_button_);
  } else {
    int next = x;
    if (overflow) {
      ShowByLayout(more_button_);
      next += place(more_button_, next);
    } else if (placed_any && !below && !in_tab_row) {
      next += 12;
    }
    ShowByLayout(customise_button_);
    next += place(customise_button_, next);
    if (in_tab_row) x = next;
  }
  if (!below) quick_access_rect_.right = x;

  // The tab row between the left-aligned controls (or the quick-access bar) and the first
  // right-aligned control.
  if (!tabs_visible_) {
    HideByLayout(control_tab_);
    control_tab_->LayoutRow(dc->GetSafeHdc(), RECT{});
  } else {
    ShowByLayout(control_tab_);
    // The ribbon theme lays out and draws the tabs; under another paint manager they lie bare.
    CTKRibbonTheme* theme = RibbonTheme();
    control_tab_->UsePainter(theme ? theme->TabPaintManager() : nullptr);
    const int from = in_tab_row ? x : row_x;
    control_tab_->LayoutRow(dc->GetSafeHdc(), RECT{from, tab_row.top, row_right_x, tab_row.bottom});
  }

  // The groups of the selected tab.
  CTKRibbonTab* tab = CurrentTab();
  if (tab && groups_h > 0) {
    tab->Groups().ArrangeGroups(dc->GetSafeHdc(), width, groups.left + 4, groups.top + 3, 6);
    const CTKRibbonGroups& list = tab->Groups();
    for (int g = 0; g < list.Count(); ++g) {
      CTKRibbonGroup* group = list.At(g);
      const bool shown = group->CountsAsVisible();
      for (const CTKRibbonGroup::CControlPosition& record : group->Positions()) {
        if (!record.control) continue;
        if (!shown || record.hidden) {
          HideByLayout(record.control);
          continue;
        }
        ShowByLayout(record.control);
        record.control->SetRect(CRect(record.rect));
        record.control->SetRowRect(CRect(groups));
      }
    }
  } else {
    SetGroupsScroll(0, false, false);
  }

  if (HasFrameCompanion()) PlaceCaptionButtonsAndTitle();
  if (caption_mode) BuildContextHeaders();
  else context_headers_.Clear();
}

void CTKRibbonBar::BuildContextHeaders() {
  if (CountTabs() == 0) {
    context_headers_.Clear();
    return;
  }
  RECT free = caption_free_rect_;
  if (!HasFrameCompanion() && quick_access_visible_ && !quick_access_below_) {
    const bool customise = customise_button_ && customise_button_->GetControls() == controls_;
    free.left = quick_access_rect_.right + (customise ? customise_button_->GetRect().Width() + 2 : 12);
  }
  context_headers_.Build(*control_tab_, caption_rect_.top, caption_rect_.bottom, free, title_rect_);
}

// ---------------------------------------------------------------------------------------------
// Hit testing

const CTKRibbonTabContextHeader* CTKRibbonBar::ContextHeaderAt(POINT client) const {
  return context_headers_.HitTest(client);
}

int CTKRibbonBar::HitTestCaption(POINT client) const {
  if (!HasFrameCompanion() || !PtInRect(&caption_rect_, client) || IsCustomizeMode()) return 0;
  if (controls_->HitTest(CPoint(client)) || ContextHeaderAt(client)) return 0;
  HWND frame = FrameWindow();
  const LONG_PTR style = frame ? ::GetWindowLongPtrW(frame, GWL_STYLE) : 0;
  if (client.y - caption_rect_.top < 5 && (style & WS_THICKFRAME) && !(style & WS_MAXIMIZE)) return HTTOP;
  return HTCAPTION;
}

// ---------------------------------------------------------------------------------------------
// Keyboard tips

std::vector<CTKRibbonBar::CKeyTip> CTKRibbonBar::KeyTipsForLevel(int level) const {
  std::vector<CKeyTip> tips;
  if (level == 1) {
    int number = 0;
    for (int i = 0; i < controls_->GetCount() && number < kMostQuickAccessTips; ++i) {
      CTKControl* control = controls_->GetAt(i);
      if (!quick_access_->Contains(control) || !control->IsVisible()) continue;
      ++number;
      const CRect& r = control->GetRect();
      CKeyTip tip;
      tip.control = control;
      tip.text = number <= 9 ? std::to_wstring(number) : L"0" + std::to_wstring(number - 9);
      tip.anchor = POINT{r.CenterPoint().x, r.bottom - 11};
      tip.style = kTipCenterX;
      tips.push_back(tip);
    }
    if (tabs_visible_) {
      for (int i = 0; i < CountTabs(); ++i) {
        CTKRibbonTab* tab = TabAt(i);
        if (!tab->IsVisible() || tab->KeyTipText().empty()) continue;
        const RECT& r = tab->Rect();
        CKeyTip tip;
        tip.control = control_tab_;
        tip.tab = tab;
        tip.text = tab->KeyTipText();
        tip.anchor = POINT{(r.left + r.right) / 2, r.bottom - 9};
        tip.style = kTipCenterX;
        tips.push_back(tip);
      }
    }
    if (system_button_ && system_button_->IsVisible() && !system_button_->GetKeyboardTip().empty()) {
      CKeyTip tip;
      tip.control = system_button_;
      tip.text = system_button_->GetKeyboardTip();
      tip.anchor = system_button_->GetRect().CenterPoint();
      tip.style = kTipCenter;
      tips.push_back(tip);
    }
    return tips;
  }
  if (level != 2) return tips;
  CTKRibbonTab* tab = CurrentTab();
  if (!tab) return tips;
  return GroupKeyTips(tab->Groups(), GroupsRect(), GroupCaptionHeight());
}

std::vector<CTKRibbonBar::CKeyTip> CTKRibbonBar::GroupKeyTips(const CTKRibbonGroups& groups, const RECT& band,
                                                             int caption) {
  std::vector<CKeyTip> tips;
  for (int g = 0; g < groups.Count(); ++g) {
    const CTKRibbonGroup* group = groups.At(g);
    if (!group->CountsAsVisible()) continue;
    const RECT& gr = group->Rect();
    const int content_top = gr.top;
    const int content_bottom = gr.bottom - caption;
    const int content_height = content_bottom - content_top;
    std::vector<CTKControl*> controls;
    if (group->CollapsedPopup()) controls.push_back(group->CollapsedPopup());
    for (const CTKRibbonGroup::CControlPosition& record : group->Positions()) controls.push_back(record.control);
    for (CTKControl* control : controls) {
      if (!control || !control->IsVisible() || control->GetKeyboardTip().empty()) continue;
      const CRect& r = control->GetRect();
      if (r.left < band.left || r.right > band.right || r.top < band.top || r.bottom > band.bottom) continue;
      CKeyTip tip;
      tip.control = control;
      tip.text = control->GetKeyboardTip();
      const POINT centre = r.CenterPoint();
      if (r.top >= content_bottom) {
        tip.anchor = POINT{centre.x, band.bottom - 6};
        tip.style = kTipCenter;
      } else if (control->GetStyle() == 4 && r.Height() > content_height / 2) {
        tip.anchor = POINT{centre.x, content_bottom};
        tip.style = kTipCenter;
      } else if (control->GetType() == kGallery) {
        tip.anchor = POINT{r.right, content_bottom};
        tip.style = kTipCenter;
      } else {
        tip.style = kTipCenterY;
        const int third = content_height / 3;
        int y = content_bottom;
        if (centre.y < content_top + third)
          y = content_top + 2;
        else if (centre.y < content_top + 2 * third)
          y = content_top + content_height / 2;
        tip.anchor = POINT{r.left + 11, y};
      }
      tips.push_back(tip);
    }
  }
  return tips;
}

CTKRibbonTab* CTKRibbonBar::TabByAccessKey(wchar_t ch) const {
  const wchar_t wanted = static_cast<wchar_t>(towupper(ch));
  for (int i = 0; i < CountTabs(); ++i) {
    CTKRibbonTab* tab = TabAt(i);
    if (!tab->IsVisible()) continue;
    const std::wstring& caption = tab->Caption();
    for (size_t k = 0; k + 1 < caption.size(); ++k) {
      if (caption[k] != L'&') continue;
      if (caption[k + 1] == L'&') {
        ++k;
        continue;
      }
      if (static_cast<wchar_t>(towupper(caption[k + 1])) == wanted) return tab;
      break;
    }
  }
  return nullptr;
}
