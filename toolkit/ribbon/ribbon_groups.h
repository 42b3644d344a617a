// The groups of a ribbon tab: laid out side by side in the groups band, shrunk a step at a time
// while the band is too narrow, and scrolled when even their smallest forms do not fit.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/appframe/cmd_target.h"

class CTKCommandBar;
class CTKControl;
class CTKRibbonGroups;
class CTKRibbonGroupsHost;
class CTKRibbonTab;

// The bar that shows groups (the ribbon, or a popup of a tab or a collapsed group): the band's
// heights and the band's scroll state. The groups collection lays itself out through it.
class CTKRibbonGroupsHost {
 public:
  virtual ~CTKRibbonGroupsHost() = default;
  // The height of the whole groups band (a group is 7 pixels lower).
  virtual int GroupsHeight() const = 0;
  // The caption row at the bottom of a group.
  virtual int GroupCaptionHeight() const = 0;
  // Whether `tab` is the one whose groups the band shows now.
  virtual bool ShowsTab(const CTKRibbonTab* tab) const = 0;
  // The band's scroll position as the user left it (not below 0).
  virtual int GroupsScrollPos() const = 0;
  // The offset the layout settled on and which scroll buttons it needs.
  virtual void SetGroupsScroll(int offset, bool left_button, bool right_button) = 0;
};

class CTKRibbonGroup : public CCmdTarget {
 public:
  // One control of the group: where the group's own layout put it, relative to the group's
  // content origin, then moved into place by Position.
  struct CControlPosition {
    CTKControl* control = nullptr;
    RECT rect{};
    RECT group_rect{};
    bool hidden = false;
    int data = 0;
  };

  static constexpr int kLevels = 4;

  CTKRibbonGroup() = default;
  ~CTKRibbonGroup() override = default;

  // --- the group's own layout, called by the collection in this order ---
  // Resets the group to its widest form.
  virtual void BeginLayout(HDC dc) = 0;
  virtual int CurrentWidth(HDC dc) = 0;
  // Takes the next smaller form at `level` (0 to 3); false when there is none.
  virtual bool Reduce(HDC dc, int level) = 0;
  // Moves the control records to (x, y) and sets the group's rectangle.
  void Position(int width, int x, int y);
  virtual void EndLayout() {}
  virtual void Draw(HDC dc, const RECT& clip) {}
  virtual void CopyFrom(const CTKRibbonGroup& other);
  // A new, empty group of the same kind (made by its runtime class); null for a kind that
  // cannot be made by name.
  virtual CTKRibbonGroup* NewOfSameKind() const;
  virtual void OnInserted() {}
  virtual void OnRemoved() {}

  // Shown in a bar other than the ribbon, or its tab is the one shown and it is not hidden.
  bool CountsAsVisible() const;

  CTKRibbonGroups* Groups() const { return groups_; }
  CTKRibbonTab* Tab() const;
  CTKCommandBar* ParentBar() const { return parent_bar_; }
  CTKRibbonGroupsHost* Host() const { return host_; }
  // A popup that shows a copy of the group, rather than the ribbon.
  bool ShownElsewhere() const { return shown_elsewhere_; }
  void SetShownElsewhere(bool on) { shown_elsewhere_ = on; }
  int Id() const { return id_; }
  void SetId(int id) { id_ = id; }
  int Index() const { return index_; }
  const RECT& Rect() const { return rect_; }
  void SetRect(const RECT& rect) { rect_ = rect; }
  bool IsVisible() const { return visible_; }
  void SetVisible(bool on) { visible_ = on; }
  bool IsCollapsed() const { return collapsed_; }
  void SetCollapsed(bool on) { collapsed_ = on; }
  bool VerticalSpread() const { return vertical_spread_; }
  void SetVerticalSpread(bool on) { vertical_spread_ = on; }
  bool ConnectedRow() const { return connected_row_; }
  void SetConnectedRow(bool on) { connected_row_ = on; }
  bool HasOptionButton() const { return option_button_; }
  void SetOptionButton(bool on) { option_button_ = on; }
  // The option button shows only while the group is not collapsed.
  bool ShowsOptionButton() const { return option_button_ && !collapsed_; }
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption) { caption_ = caption; }
  CTKControl* CollapsedPopup() const { return collapsed_popup_; }
  void SetCollapsedPopup(CTKControl* control) { collapsed_popup_ = control; }
  std::vector<CControlPosition>& Positions() { return positions_; }
  const std::vector<CControlPosition>& Positions() const { return positions_; }

 private:
  friend class CTKRibbonGroups;
  // Spreads the records of each column (same left edge) over `height`.
  void SpreadColumns(int height);

  CTKRibbonGroups* groups_ = nullptr;
  CTKCommandBar* parent_bar_ = nullptr;
  CTKRibbonGroupsHost* host_ = nullptr;
  bool shown_elsewhere_ = false;
  int id_ = 0;
  int index_ = -1;
  RECT rect_{};
  bool vertical_spread_ = false;
  bool connected_row_ = false;
  bool visible_ = true;
  bool collapsed_ = false;
  bool option_button_ = false;
  CTKControl* collapsed_popup_ = nullptr;
  std::wstring caption_;
  std::vector<CControlPosition> positions_;
};

class CTKRibbonGroups : public CCmdTarget {
 public:
  static constexpr int kGap = 7;  // between two groups

  explicit CTKRibbonGroups(CTKRibbonTab* tab) : tab_(tab) {}
  ~CTKRibbonGroups() override;
  CTKRibbonGroups(const CTKRibbonGroups&) = delete;
  CTKRibbonGroups& operator=(const CTKRibbonGroups&) = delete;

  // Takes over the caller's reference to `group`.
  void PutGroupAt(int index, CTKRibbonGroup* group, CTKCommandBar* bar, CTKRibbonGroupsHost* host);
  void DropAllGroups();
  // Empties the list, then fills it with copies of `other`'s groups, each a new group of the
  // same kind as its source, at its source's index.
  void CloneFrom(const CTKRibbonGroups& other, CTKCommandBar* bar, CTKRibbonGroupsHost* host);

  int Count() const { return static_cast<int>(groups_.size()); }
  CTKRibbonGroup* At(int index) const;
  CTKRibbonGroup* GroupAtPoint(POINT point) const;
  CTKRibbonGroup* GroupById(int id) const;
  CTKRibbonTab* Tab() const { return tab_; }
  int ScrollOffset() const { return scroll_offset_; }
  CTKRibbonGroupsHost* Host() const { return host_; }
  void SetHost(CTKRibbonGroupsHost* host) { host_ = host; }

  // Lays the groups out in a band `band_width` wide: margins `left` and `right`, top at `top`.
  // Ends for every width, zero and negative ones included.
  void ArrangeGroups(HDC dc, int band_width, int left, int top, int right);

  // Sum of the visible groups' widths with the gaps between them.
  static int TotalWidth(const std::vector<int>& widths);

 private:
  void Renumber();

  CTKRibbonTab* tab_;
  CTKRibbonGroupsHost* host_ = nullptr;
  std::vector<CTKRibbonGroup*> groups_;
  int scroll_offset_ = 0;
};
