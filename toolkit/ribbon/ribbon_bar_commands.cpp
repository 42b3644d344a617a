// The ribbon bar's commands and menus: the quick-access commands, the customise and context
// menus built from their menu resources, and the more popup.
#include <algorithm>
#include <vector>

#include "platform/win/scoped_resource.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/drawing/resource_manager.h"
#include "toolkit/ribbon/ribbon_bar.h"

using namespace TKCommandBars;
using namespace TKRibbon;

namespace {
bool IsCustomiseEntry(int id) {
  return id >= kRemoveFromQuickAccess && id <= kBeginGroupEntry && id != kMoreButtonId && id != kQuickAccessAboveAlias;
}
}  // namespace

bool CTKRibbonBar::OnRibbonCommand(int id, CTKControl* entry) {
  CTKControl* target = entry ? reinterpret_cast<CTKControl*>(entry->GetTag()) : nullptr;
  // An entry acts only on the control of the menu it came from.
  if (target != context_target_) target = nullptr;
  switch (id) {
    case kRemoveFromQuickAccess:
      if (target) RemoveFromQuickAccess(target);
      return true;
    case kAddToQuickAccess:
      if (target && CanJoinQuickAccess(target)) AddToQuickAccess(target);
      return true;
    case kCustomiseQuickAccess: {
      HWND site = GetSite();
      if (!site) return true;
      NMTKCONTROL record{};
      record.hdr.idFrom = static_cast<UINT_PTR>(id);
      record.hdr.code = static_cast<UINT>(kNotifyExecute);
      record.control = entry;
      forwarding_customise_ = true;
      const LRESULT answer = ::SendMessageW(site, kMsgControlNotify, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&record));
      if (!answer) ::SendMessageW(site, WM_COMMAND, static_cast<WPARAM>(id), 0);
      forwarding_customise_ = false;
      return true;
    }
    case kQuickAccessBelow:
      PlaceQuickAccessBelow(true);
      return true;
    case kQuickAccessAboveAlias:
    case kQuickAccessAbove:
      PlaceQuickAccessBelow(false);
      return true;
    case kToggleMinimized:
      ChangeMinimizedState(!minimized_);
      return true;
    default:
      return false;
  }
}

CTKPopupBar* CTKRibbonBar::BuildMorePopup() {
  auto* popup = new CMorePopupToolBar(this);
  CTKControls* list = popup->GetControls();
  for (int i = 0; i < controls_->GetCount(); ++i) {
    CTKControl* control = controls_->GetAt(i);
    if (!quick_access_->Contains(control) || !(control->GetHideFlags() & kHideLayout)) continue;
    if (CTKControl* copy = list->AddCopy(control)) copy->SetHideFlags(0);
  }
  if (CTKControl* copy = list->AddCopy(customise_button_)) copy->SetHideFlags(0);
  return popup;
}

CTKPopupBar* CTKRibbonBar::BuildCustomisePopup(CTKControl* control) {
  if (!control) return nullptr;
  CTKCommandBarManager* manager = GetCommandBarManager();
  HWND site = GetSite();
  CTKPopupBar* popup = nullptr;
  if (!quick_access_visible_) {
    // The command bars' own context menu: the list of tool bars.
    popup = CTKPopupBar::CreatePopupBar(manager);
    popup->GetControls()->InsertAt(new CTKControlToolbars, -1)->Release();
  } else {
    const bool customise = control == customise_button_ || control->GetID() == kCustomiseButtonId;
    KestrinWinNS::CScopedMenu menu(LoadMenuResource(customise ? kCustomiseMenuId : kContextMenuId));
    if (!menu) return nullptr;
    HMENU sub = ::GetSubMenu(menu.Get(), 0);
    popup = CTKPopupBar::CreatePopupBar(manager);
    if (sub) popup->LoadMenu(sub, true);
    CTKControls* entries = popup->GetControls();
    CTKControl* list = new CTKControlToolbars;
    entries->InsertAt(list, customise ? 0 : std::min(2, entries->GetCount()));
    list->Release();

    control->AddRef();
    if (context_target_) context_target_->Release();
    context_target_ = control;
    const bool own = (control->GetFlags() & kFlagNoQuickAccess) != 0;
    const bool in_bar = quick_access_->Contains(control);
    bool group_next = false;
    for (int i = 0; i < entries->GetCount(); ++i) {
      CTKControl* entry = entries->GetAt(i);
      const int id = entry->GetID();
      if (group_next) {
        entry->SetBeginGroup(true);
        group_next = false;
      }
      if (!IsCustomiseEntry(id)) continue;
      entry->SetFlags(entry->GetFlags() | kFlagMenuEntry);
      switch (id) {
        case kRemoveFromQuickAccess:
          entry->SetTag(reinterpret_cast<DWORD_PTR>(control));
          entry->SetVisible(in_bar && !own);
          break;
        case kAddToQuickAccess:
          entry->SetTag(reinterpret_cast<DWORD_PTR>(control));
          entry->SetVisible(!in_bar && !own);
          entry->SetEnabled(CanJoinQuickAccess(control));
          break;
        case kQuickAccessBelow:
          entry->SetVisible((in_bar || own) && !quick_access_below_);
          break;
        case kQuickAccessAbove:
          entry->SetVisible((in_bar || own) && quick_access_below_);
          break;
        case kToggleMinimized:
          entry->SetVisible(allow_minimize_);
          entry->SetChecked(minimized_ ? 1 : 0);
          break;
        case kQuickAccessCommandsEntry: {
          // One entry per command of the list, in the placeholder's place.
          const bool begin = entry->GetBeginGroup();
          entries->Remove(entry);
          int at = i;
          for (CTKControl* command : quick_access_->Commands()) {
            auto* item = new CControlQuickAccessCommand(this, command);
            item->SetFlags(item->GetFlags() | kFlagMenuEntry);
            entries->InsertAt(item, at++);
            item->SetCopyInBar(quick_access_->MatchVisibleCopy(command));
            item->Release();
          }
          if (at > i && begin) entries->GetAt(i)->SetBeginGroup(true);
          else if (begin) group_next = true;
          i = at - 1;
          break;
        }
        case kBeginGroupEntry:
          entries->Remove(entry);
          group_next = true;
          --i;
          break;
        default:
          break;
      }
    }
  }
  if (site) ::SendMessageW(site, kMsgCustomisePopupBuilt, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(popup));
  return popup;
}

void CTKRibbonBar::ShowContextPopup(CTKControl* control, POINT screen) {
  CTKCommandBarManager* manager = GetCommandBarManager();
  CTKPopupBar* popup = BuildCustomisePopup(control);
  if (!popup) return;
  if (manager)
    manager->TrackPopupBar(popup, CTKCommandBarManager::kTrackRightButton, screen.x, screen.y, GetSafeHwnd());
  popup->Release();
}
