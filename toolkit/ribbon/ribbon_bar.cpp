// The ribbon bar's make-up: its parts and their lifetime, tabs and groups, switches, the
// quick-access list, state exchange and copying.
#include "toolkit/ribbon/ribbon_bar.h"

#include <algorithm>

#include "platform/appframe/exception.h"
#include "platform/appframe/object.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/gallery.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/ribbon/ribbon_theme.h"

using namespace TKCommandBars;
using namespace TKRibbon;

IMPLEMENT_DYNCREATE(CTKRibbonBar, CTKMenuBar)

CTKRibbonBar::CTKRibbonBar()
    : quick_access_(new CTKRibbonQuickAccessControls(this)),
      control_tab_(new CTKRibbonControlTab(this)),
      customise_button_(new CTKRibbonBarControlQuickAccessPopup),
      more_button_(new CControlQuickAccessMorePopup) {
  // The bar's collection is the ribbon's own kind.
  controls_->InternalRelease();
  controls_ = new CTKRibbonControls(this);
  type_ = kRibbonBar;
  flags_ = kRibbonFlags;
  SetGripperVisible(false);
  show_expand_button_ = false;
  controls_->InsertAt(customise_button_, -1);
  controls_->InsertAt(more_button_, -1);
  more_button_->SetHideFlags(kHideLayout);
  controls_->InsertAt(control_tab_, -1);
  controls_->InsertAt(LeftButton(), -1);
  controls_->InsertAt(RightButton(), -1);
}

CTKRibbonBar::~CTKRibbonBar() {
  // The window goes first, while the ribbon can still answer its last messages.
  if (GetSafeHwnd()) DestroyWindow();
  CTKHookManager::Instance().RemoveClient(this);
  ReleaseParts();
}

void CTKRibbonBar::ReleaseParts() {
  hot_group_ = nullptr;
  if (context_target_) context_target_->Release();
  context_target_ = nullptr;
  context_headers_.Clear();
  control_tab_->ClearItems();
  quick_access_->RemoveAll();
  quick_access_->RemoveAllCommands();
  frame_link_.reset();
  frame_companion_ = nullptr;
  // The collection empties while the ribbon is whole: its removals ask the ribbon.
  controls_->RemoveAll();
  CTKRibbonQuickAccessControls* list = quick_access_;
  quick_access_ = nullptr;
  list->InternalRelease();
  system_button_ = nullptr;
  customise_button_->Release();
  more_button_->Release();
  control_tab_->InternalRelease();
}

// ---------------------------------------------------------------------------------------------
// Tabs and groups

CTKRibbonTab* CTKRibbonBar::InsertTab(int index, const std::wstring& caption, int image) {
  CTKRibbonTab* tab = control_tab_->InsertTab(index, caption, image);
  tab->Groups().SetHost(this);
  RecalcSiteLayout();
  return tab;
}

CTKRibbonTab* CTKRibbonBar::TabAt(int index) const { return control_tab_->TabAt(index); }

int CTKRibbonBar::CountTabs() const { return control_tab_->ItemCount(); }

CTKRibbonTab* CTKRibbonBar::CurrentTab() const { return control_tab_->SelectedTab(); }

void CTKRibbonBar::SelectTabByIndex(int index) {
  if (CountTabs() == 0) {
    control_tab_->SelectItem(nullptr);
    return;
  }
  control_tab_->SelectItem(TabAt(std::clamp(index, 0, CountTabs() - 1)));
}

CTKRibbonGroup* CTKRibbonBar::GroupById(int id) const {
  for (int i = 0; i < CountTabs(); ++i)
    if (CTKRibbonGroup* group = TabAt(i)->GroupById(id)) return group;
  return nullptr;
}

CTKRibbonGroup* CTKRibbonBar::AddGroup(CTKRibbonTab* tab, CTKRibbonGroup* group, int index) {
  if (!tab || !group) return nullptr;
  CTKRibbonGroups& groups = tab->Groups();
  groups.PutGroupAt(index < 0 ? groups.Count() : index, group, this, this);
  RecalcSiteLayout();
  return group;
}

CTKControl* CTKRibbonBar::AddGroupControl(CTKRibbonGroup* group, CTKControl* control) {
  if (!group || !control) return nullptr;
  const bool other_tab = group->Tab() != CurrentTab();
  control->SetHideFlags(other_tab ? (control->GetHideFlags() | kHideOtherTab) : (control->GetHideFlags() & ~kHideOtherTab));
  controls_->InsertAt(control, -1);
  CTKRibbonGroup::CControlPosition record;
  record.control = control;
  group->Positions().push_back(record);
  RecalcSiteLayout();
  return control;
}

CTKRibbonGroup* CTKRibbonBar::GroupOfControl(const CTKControl* control) const {
  if (!control) return nullptr;
  for (int t = 0; t < CountTabs(); ++t) {
    const CTKRibbonGroups& groups = TabAt(t)->Groups();
    for (int g = 0; g < groups.Count(); ++g) {
      CTKRibbonGroup* group = groups.At(g);
      if (group->CollapsedPopup() == control) return group;
      for (const CTKRibbonGroup::CControlPosition& record : group->Positions())
        if (record.control == control) return group;
    }
  }
  return nullptr;
}

void CTKRibbonBar::DetachFromGroup(CTKControl* control) {
  CTKRibbonGroup* group = GroupOfControl(control);
  if (!group) return;
  if (group->CollapsedPopup() == control) group->SetCollapsedPopup(nullptr);
  auto& records = group->Positions();
  records.erase(std::remove_if(records.begin(), records.end(),
                               [control](const CTKRibbonGroup::CControlPosition& r) { return r.control == control; }),
                records.end());
}

// ---------------------------------------------------------------------------------------------
// Switches

void CTKRibbonBar::SetGroupsVisible(bool on) {
  if (groups_visible_ == on) return;
  groups_visible_ = on;
  RecalcSiteLayout();
}

void CTKRibbonBar::SetTabsVisible(bool on) {
  if (tabs_visible_ == on) return;
  tabs_visible_ = on;
  RecalcSiteLayout();
}

void CTKRibbonBar::SetQuickAccessVisible(bool on) {
  if (quick_access_visible_ == on) return;
  quick_access_visible_ = on;
  RecalcSiteLayout();
}

void CTKRibbonBar::SetGroupsHeightOverride(int height) {
  groups_height_override_ = height;
  RecalcSiteLayout();
}

void CTKRibbonBar::ShowCaptionWithoutFrame(bool on) {
  if (show_caption_without_frame_ == on) return;
  show_caption_without_frame_ = on;
  RecalcSiteLayout();
}

void CTKRibbonBar::SetSystemButton(CTKControl* control) {
  if (control == system_button_) return;
  if (system_button_) controls_->Remove(system_button_);
  system_button_ = control;
  if (control) {
    control->SetFlags(control->GetFlags() | kFlagNoQuickAccess);
    controls_->InsertAt(control, 0);
  }
  RecalcSiteLayout();
}

void CTKRibbonBar::ForgetSystemButton(const CTKControl* control) {
  if (control == system_button_) system_button_ = nullptr;
}

void CTKRibbonBar::AttachFrameCompanion(CTKRibbonFrameCompanion* companion, CTKRibbonFrameLink* link) {
  if (link == frame_link_.get()) return;
  frame_link_.reset(link);
  frame_companion_ = link ? companion : nullptr;
  RecalcSiteLayout();
}

int CTKRibbonBar::FrameBorder() const { return frame_link_ ? frame_link_->FrameBorder() : 0; }

CTKRibbonTheme* CTKRibbonBar::RibbonTheme() const { return dynamic_cast<CTKRibbonTheme*>(GetPaintManager()); }

// ---------------------------------------------------------------------------------------------
// Operations

void CTKRibbonBar::PlaceQuickAccessBelow(bool below) {
  quick_access_below_ = below;
  RecalcSiteLayout();
  if (!frame_link_) return;
  HWND frame = FrameWindow();
  if (frame_link_->IsDesktopComposition()) {
    if (GetSafeHwnd()) ::UpdateWindow(GetSafeHwnd());
    frame_link_->RefreshFrameRegion();
  } else if (frame) {
    ::SendMessageW(frame, WM_NCPAINT, 0, 0);
  }
}

void CTKRibbonBar::SetMinimizedState(bool minimized) {
  minimized_ = minimized;
  if (minimized) {
    control_tab_->SelectItem(nullptr);
  } else if (!CurrentTab()) {
    if (CTKTabManagerItem* first = control_tab_->NextUsableItem(-1, 1)) control_tab_->SelectItem(first);
  }
}

void CTKRibbonBar::ChangeMinimizedState(bool minimized) {
  if (minimized == minimized_) return;
  ClosePopups();
  SetMinimizedState(minimized);
  RecalcSiteLayout();
}

void CTKRibbonBar::RecalcSiteLayout() {
  if (layout_lock_ > 0) {
    recalc_waiting_ = true;
    return;
  }
  recalc_waiting_ = false;
  pending_ |= 2;
  OnRecalcLayout();
}

void CTKRibbonBar::LockLayout() { ++layout_lock_; }

void CTKRibbonBar::UnlockLayout() {
  if (layout_lock_ > 0 && --layout_lock_ == 0 && recalc_waiting_) RecalcSiteLayout();
}

// ---------------------------------------------------------------------------------------------
// The quick-access bar

bool CTKRibbonBar::CanJoinQuickAccess(const CTKControl* control) const {
  if (!control) return false;
  if (!allow_quick_access_duplicates_ && quick_access_->MatchVisibleCopy(control)) return false;
  if (const CTKRibbonGroup* group = GroupOfControl(control))
    if (group->CollapsedPopup() == control) return control->GetID() > 0;
  return (control->GetFlags() & kFlagNoQuickAccess) == 0;
}

CTKControl* CTKRibbonBar::AddToQuickAccess(const CTKControl* control) {
  if (!control) return nullptr;
  CTKControl* copy = control->Clone(true);
  if (!copy) return nullptr;
  // The copy is shown whatever hid its original (another tab, the layout, the command list).
  copy->SetHideFlags(0);
  // A gallery in the quick-access bar is a button that opens its items.
  if (auto* gallery = dynamic_cast<CTKControlGallery*>(copy))
    gallery->SetGalleryMode(CTKControlGallery::kModePopupButton);
  // The layout runs once, when the change is complete.
  LockLayout();
  quick_access_->AppendQuickAccess(copy);
  UnlockLayout();
  copy->Release();  // the two collections hold it
  return copy;
}

bool CTKRibbonBar::RemoveFromQuickAccess(CTKControl* control) { return quick_access_->TakeOutQuickAccess(control); }

int CTKRibbonBar::QuickAccessInsertIndex(int list_index) const {
  int index = 0;
  if (system_button_ && controls_->GetAt(0) == system_button_) index = 1;
  return std::clamp(index + list_index, 0, controls_->GetCount());
}

void CTKRibbonBar::AdoptQuickAccessControls() {
  for (int i = 0; i < quick_access_->GetCount(); ++i) {
    CTKControl* control = quick_access_->GetAt(i);
    if (control->GetControls() != controls_) controls_->InsertAt(control, QuickAccessInsertIndex(i));
  }
}

// ---------------------------------------------------------------------------------------------
// The tab row's site

void CTKRibbonBar::ClosePopups() {
  // The popups end their tracking; the ribbon itself keeps its own (it may be selecting a tab
  // from the keyboard or the wheel).
  CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
  std::vector<CTKCommandBar*> others;
  for (CTKCommandBar* bar : mouse->TrackedBars()) {
    if (bar == this) continue;
    bar->AddRef();
    others.push_back(bar);
  }
  for (CTKCommandBar* bar : others) {
    if (mouse->IsTracked(bar)) bar->SetTrackingMode(0, false, false);
    bar->Release();
  }
  if (expanded_ >= 0) SetPopupOpen(-1, false);
}

void CTKRibbonBar::HideKeyTipsAboveFirstLevel() {
  CTKCommandBarManager* manager = GetCommandBarManager();
  if (manager && manager->GetKeyboardTipLevel() > 1 && manager->GetKeyboardTipOwner() == this)
    manager->HideKeyboardTips();
}

namespace {
// Sends one of the tab row's notifications to the site; the site's answer.
LRESULT NotifyTabRow(CTKRibbonControlTab* row, HWND site, int code, CTKRibbonTab* tab) {
  if (!site) return 0;
  NMTKRIBBONTAB record{};
  record.control.hdr.idFrom = static_cast<UINT_PTR>(row->GetID());
  record.control.hdr.code = static_cast<UINT>(code);
  record.control.control = row;
  record.tab = tab;
  return ::SendMessageW(site, kMsgControlNotify, static_cast<WPARAM>(row->GetID()), reinterpret_cast<LPARAM>(&record));
}
}  // namespace

bool CTKRibbonBar::TabSelecting(CTKRibbonTab* tab) {
  return NotifyTabRow(control_tab_, GetSite(), -552, tab) != 0;
}

void CTKRibbonBar::ShowGroupsOf(CTKRibbonTab* tab) {
  // The tab row marks the other tabs' group controls hidden under its own hold of the lock;
  // this one lasts until the selection is reported.
  LockLayout();
  if (hot_group_ && hot_group_->Tab() != tab) hot_group_ = nullptr;
}

void CTKRibbonBar::TabSelected(CTKRibbonTab* tab) {
  RelayoutGroups();
  // The groups band may have come or gone.
  RecalcSiteLayout();
  UnlockLayout();
  NotifyTabRow(control_tab_, GetSite(), -551, tab);
}

// ---------------------------------------------------------------------------------------------
// Saved state and copying

void CTKRibbonBar::DoPropExchange(CTKPropExchange* px) {
  CTKMenuBar::DoPropExchange(px);
  bool below = quick_access_below_;
  bool minimized = minimized_;
  PropExchangeBool(px, L"ShowQuickAccessBelow", &below, false);
  // Older state has no such key; what it holds there is something else.
  if (px->GetSchema() > 18) PropExchangeBool(px, L"Minimized", &minimized, false);
  {
    CTKPropExchangeSection section(px, L"QuickAccessControls");
    if (!section.get()) throw CArchiveException(CArchiveException::endOfFile);
    quick_access_->DoPropExchange(section.get());
  }
  if (!px->IsLoading()) return;
  AdoptQuickAccessControls();
  quick_access_below_ = below;
  SetMinimizedState(minimized);
  RecalcSiteLayout();
}

void CTKRibbonBar::Copy(const CTKCommandBar* source, bool deep) {
  CopyBarKeys(source);
  const CTKRibbonBar* ribbon = dynamic_cast<const CTKRibbonBar*>(source);
  if (!ribbon) return;
  quick_access_below_ = ribbon->quick_access_below_;
  SetMinimizedState(ribbon->minimized_);
  quick_access_->RemoveAll();
  LockLayout();
  for (int i = 0; i < ribbon->quick_access_->GetCount(); ++i) {
    CTKControl* copy = ribbon->quick_access_->GetAt(i)->Clone(deep);
    if (!copy) continue;
    quick_access_->AppendQuickAccess(copy);
    copy->Release();
  }
  UnlockLayout();
}

void TKRegisterRibbonClasses() {
  static const CRuntimeClass* const kClasses[] = {RUNTIME_CLASS(CTKRibbonBar)};
  RegisterClasses(kClasses);
}
