// A group that has shrunk to a single button: the button (a popup control) and the popup it
// opens, which shows a copy of the group in its widest form.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/ribbon/ribbon_groups.h"

class CTKRibbonGroupControlPopup : public CTKControlPopup {
  DECLARE_DYNCREATE(CTKRibbonGroupControlPopup)

 public:
  static constexpr int kFlags = 8;
  static constexpr int kStyle = 3;

  CTKRibbonGroupControlPopup();
  // The button of `group` (not owned; the group owns the button).
  explicit CTKRibbonGroupControlPopup(CTKRibbonGroup* group);

  CTKRibbonGroup* Group() const { return group_; }
  // Binds the button to another group (the ribbon's group of the same id after a rebuild);
  // null leaves it without a group.
  void SetGroup(CTKRibbonGroup* group);

  // Opens a popup with a copy of the group (a plain popup tool bar without a group), or
  // closes it. A copy of a group's button (in the quick-access bar, say) finds the group by its
  // id in the ribbon each time, so that a ribbon that rebuilt its groups is followed.
  bool OnSetPopup(bool open) override;
  CSize GetSize(CDC* dc) override;
  void Draw(CDC* dc) override;
  // The copy keeps no group of its own: it looks the group up by id.
  void Copy(const CTKControl* source, bool deep) override;

 private:
  CTKRibbonGroup* group_ = nullptr;
  bool bound_by_id_ = false;
};

class CTKRibbonGroupPopupToolBar : public CTKPopupToolBar, public CTKRibbonGroupsHost {
 public:
  // A popup that shows a copy of `source`, laid out as the group is in the ribbon `ribbon`.
  CTKRibbonGroupPopupToolBar(CTKCommandBar* ribbon, const CTKRibbonGroup& source);
  ~CTKRibbonGroupPopupToolBar() override;

  CTKRibbonGroup* Group() const { return group_; }
  CTKCommandBar* RibbonBar() const { return ribbon_; }

  // --- the band of one group ---
  int GroupsHeight() const override { return groups_height_; }
  int GroupCaptionHeight() const override { return caption_height_; }
  bool ShowsTab(const CTKRibbonTab*) const override { return true; }
  int GroupsScrollPos() const override { return 0; }
  void SetGroupsScroll(int, bool, bool) override {}

  // The group's widest form with the borders (2 left, 2 top, 3 right, the caption height + 1
  // below): as wide as the group plus 5, as high as the ribbon's groups band less 7.
  CSize CalcSize(int length, DWORD mode) override;
  // The popup's fill, the band and the group's frame under the controls.
  void FillBackground(CDC* dc) override;
  // The tips of the group's controls, placed as the ribbon places its own.
  bool CreateKeyboardTips(int level, std::vector<CTKCommandBarKeyboardTip*>* tips) override;

 private:
  // The window's client rectangle (empty before the window exists).
  CRect ClientArea() const;

  CTKCommandBar* ribbon_;
  int context_colour_ = 0;
  CTKRibbonGroups* groups_;
  CTKRibbonGroup* group_ = nullptr;
  int groups_height_ = 0;
  int caption_height_ = 0;
};
