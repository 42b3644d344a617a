// What the bars ask of the object that manages them: the site window, the shared actions, the
// customize state and the paint and image managers in force. The manager's own services
// (bar lists, options, keyboard tips, state exchange) grow on this.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "toolkit/commandbars/control.h"

class CTKPaintManager;
class CTKImageManager;

class CTKCommandBarManager : public CCmdTarget {
 public:
  CTKCommandBarManager();
  ~CTKCommandBarManager() override;

  HWND GetSite() const { return site_; }
  void SetSite(HWND site) { site_ = site; }
  bool IsActionsEnabled() const { return use_actions_; }
  void EnableActions(bool on = true) { use_actions_ = on; }
  CTKControlActions* GetActions() { return &actions_; }
  bool IsCustomizeMode() const { return customize_mode_; }
  void SetCustomizeMode(bool on) { customize_mode_ = on; }
  bool IsKeyboardCuesShown() const { return keyboard_cues_; }
  void SetKeyboardCuesShown(bool on) { keyboard_cues_ = on; }
  // The paint manager set on this manager, else the global one.
  CTKPaintManager* GetPaintManager() const;
  void SetPaintManager(CTKPaintManager* manager);
  CTKImageManager* GetImageManager() const;
  void SetImageManager(CTKImageManager* manager) { image_manager_ = manager; }
  // Closes every tracked popup of the thread.
  void ClosePopups();
  // The command ids executed most recently (newest last).
  const std::vector<int>& RecentlyUsed() const { return recent_; }
  void RecordUsed(int id);
  // The help id of the control last made hot.
  int LastHelpId() const { return help_id_; }
  void SetLastHelpId(int id) { help_id_ = id; }

 private:
  HWND site_ = nullptr;
  bool use_actions_ = false;
  bool customize_mode_ = false;
  bool keyboard_cues_ = true;
  CTKControlActions actions_;
  CTKPaintManager* paint_manager_ = nullptr;
  CTKImageManager* image_manager_ = nullptr;
  std::vector<int> recent_;
  int help_id_ = 0;
};
