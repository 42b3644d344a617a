// The controls of the ribbon's system menu: the buttons along its bottom edge, the caption rows
// over its lists, the list items, and the recent-file list that fills itself with the
// application's recent files each time the menu is laid out.
#pragma once

#include <windows.h>

#include "toolkit/commandbars/control_button.h"

class CRecentFileList;

// A button along the system menu's bottom edge ("Options", "Exit").
class CTKRibbonControlSystemPopupBarButton : public CTKControlButton {
  DECLARE_DYNCREATE(CTKRibbonControlSystemPopupBarButton)

 public:
  void Draw(CDC* dc) override;
};

// An entry of a list in the system menu (a recent file).
class CTKRibbonControlSystemPopupBarListItem : public CTKControlButton {
  DECLARE_DYNCREATE(CTKRibbonControlSystemPopupBarListItem)

 public:
  static constexpr int kWidth = 300, kHeight = 21;
  // The flags of the items a list inserts.
  static constexpr int kListItemFlags = 0x48;

  CTKRibbonControlSystemPopupBarListItem();
  void Draw(CDC* dc) override;
};

// The caption row over a list; it starts a column of its own in the system menu.
class CTKRibbonControlSystemPopupBarListCaption : public CTKControl {
  DECLARE_DYNCREATE(CTKRibbonControlSystemPopupBarListCaption)

 public:
  static constexpr int kWidth = 300, kHeight = 27;
  static constexpr int kCaptionFlags = 0x9A;

  CTKRibbonControlSystemPopupBarListCaption();
  void Draw(CDC* dc) override;
  // A caption row does nothing when clicked.
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override {}
  void OnLButtonUp(CPoint point) override {}
};

// The caption row of the recent files, with the files listed after it as list items (commands
// from its id on).
class CTKRibbonControlSystemRecentFileList : public CTKRibbonControlSystemPopupBarListCaption {
  DECLARE_DYNCREATE(CTKRibbonControlSystemRecentFileList)

 public:
  static constexpr int kFirstCommand = 57616;
  static constexpr int kMaxDisplayName = 260;

  CTKRibbonControlSystemRecentFileList();
  // The list shown (the application's when null; not owned).
  void SetList(const CRecentFileList* list) { list_ = list; }
  void Copy(const CTKControl* source, bool deep) override;
  // Lists the files again before each layout.
  void OnBeforeLayout() override;
  // The items listed after this control by the last update.
  int ListedCount() const;

 private:
  const CRecentFileList* Source() const;
  bool IsListed(const CTKControl* control, const CRecentFileList& list) const;

  const CRecentFileList* list_ = nullptr;
};
