// The ribbon's control lists. The bar's own collection lays out and draws every control of the
// ribbon; the quick-access list names the copies the user keeps in the quick-access bar, which
// live in the bar's collection as well. The list only refers to its controls: the bar's
// collection numbers them and is their home, and taking a control out of either takes it out
// of both.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/controls.h"

class CTKRibbonBar;

class CTKRibbonControls : public CTKControls {
 public:
  explicit CTKRibbonControls(CTKRibbonBar* bar);

  // Controls that belong to the ribbon's own make-up and are not customised: a group's
  // collapsed-group popup, the tab row, the customise and more buttons and the group-scroll
  // buttons.
  bool IsRibbonFixture(const CTKControl* control) const;

 protected:
  // A control leaving the collection (the base removes it after this): it leaves its group and
  // the quick-access list too, and the bar forgets it when it is the system button.
  void TakeOutControl(CTKControl* control);
  void OnControlRemoved(CTKControl* control) override;

 private:
  CTKRibbonBar* ribbon_;
};

class CTKRibbonQuickAccessControls : public CTKControls {
 public:
  explicit CTKRibbonQuickAccessControls(CTKRibbonBar* bar);

  // Adds `control` to the list and to the bar's controls after the quick-access controls
  // already there; the bar lays itself out again.
  void AppendQuickAccess(CTKControl* control);
  // Takes `control` out of the list and out of the bar's controls; false when it was not in
  // the list.
  bool TakeOutQuickAccess(CTKControl* control);
  bool Contains(const CTKControl* control) const;

  // The commands offered in the customise menu: the list keeps a copy of each (the entries
  // add copies of these to the bar).
  const std::vector<CTKControl*>& Commands() const { return commands_; }
  CTKControl* AddCommand(const CTKControl* control);
  void RemoveAllCommands();
  ~CTKRibbonQuickAccessControls() override;

 protected:
  // The bar's collection is the controls' home: the list neither numbers nor re-parents them.
  bool OwnsControls() const override { return false; }
  void OnControlRemoved(CTKControl* control) override;

 private:
  CTKRibbonBar* ribbon_;
  std::vector<CTKControl*> commands_;  // one reference each
};

// The button at the end of the quick-access bar that opens the customise menu.
class CTKRibbonBarControlQuickAccessPopup : public CTKControlPopup {
 public:
  static constexpr int kId = 9603;
  static constexpr int kFlags = 0x18;

  CTKRibbonBarControlQuickAccessPopup();
  CSize GetSize(CDC* dc) override;
  void Draw(CDC* dc) override;
  // Opening asks the ribbon for a fresh customise menu.
  bool OnSetPopup(bool open) override;
};
