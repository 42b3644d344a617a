// Controls that fill themselves: placeholders that, each time their bar is laid out, put a run
// of generated items after themselves (the open document windows, the tool bars, the recent
// files, the selected object's verbs, the tab-group commands); and the label, check box and
// radio button.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/commandbars/control_button.h"

class CRecentFileList;
class COleClientItem;

// "R&D" with 3 is "&3 R&&D": every '&' doubled, then 1 to 9 as "&n text", 10 as "1&0 text",
// above 10 as "n text"; 0 leaves the text as it is.
std::wstring FormatNumberedMenuCaption(const std::wstring& text, int number);

// The name entry `index` of a recent-file list is shown with: the file name alone for a file in
// the current directory, else the shortened path. False for an empty entry.
bool TKRecentFileDisplayName(const CRecentFileList& list, int index, std::wstring* name);
// The recent-file list a control shows: its own when it was given one, else the application's.
const CRecentFileList* TKRecentFileSource(const CRecentFileList* own);

// The enable test of the four tab-group commands of a tabbed MDI workspace.
struct CTKTabGroupState {
  bool workspace_active = false;
  bool has_active_child = false;
  int group_index = -1;      // the group holding the active child's tab (-1: none)
  int group_count = 0;
  int tabs_in_group = 0;
  bool horizontal = false;   // groups arranged one above the other
};
enum { kTabGroupPrevious = 9155, kTabGroupNext = 9156, kTabGroupNewHorizontal = 9157, kTabGroupNewVertical = 9158 };
bool TKIsTabGroupCommandEnabled(UINT command, const CTKTabGroupState& state);

// The base of the placeholders: hidden, with its items after it, outside customize mode; shown
// and alone in customize mode.
class CTKControlListPlaceholder : public CTKControlButton {
 public:
  // The generated items carry this flag.
  static constexpr int kGeneratedFlags = 8;

  void OnBeforeLayout() override;
  int GeneratedCount() const;

 protected:
  // Whether a control after the placeholder is one of its earlier items.
  virtual bool IsGenerated(const CTKControl* control) const = 0;
  // Adds the new items (AddItem); false when there was nothing to list from, which leaves the
  // placeholder showing.
  virtual bool Generate() = 0;
  void RemoveGenerated();
  // Adds an item after the ones added so far; the first takes the placeholder's group start and
  // row-wrap flag.
  CTKControl* AddItem(int type, int id, const std::wstring& caption, const std::wstring& parameter = L"");
  int added_ = 0;
};

class CTKControlWindowList : public CTKControlListPlaceholder {
  DECLARE_DYNCREATE(CTKControlWindowList)

 public:
  static constexpr int kMaxWindows = 9;
  static constexpr int kHelpId = 61215;
  CTKControlWindowList() { id_ = 35000; }
  // Items as radio buttons (process-wide; off at start).
  static void SetRadioItems(bool on);
  // The first id of the document windows (0xFF00 at start; follows the active window's id).
  static int FirstWindowId();

 protected:
  bool IsGenerated(const CTKControl* control) const override;
  bool Generate() override;
};

class CTKControlToolbars : public CTKControlListPlaceholder {
  DECLARE_DYNCREATE(CTKControlToolbars)

 public:
  // A bar the list may offer, and whether it may be closed from the list.
  struct Entry {
    CTKCommandBar* bar;
    bool listed;
  };
  // Where the list finds the manager's tool bars (set by the owner of the bar list).
  using SourceFn = std::vector<Entry> (*)(CTKCommandBarManager* manager);
  static void SetSource(SourceFn fn);
  CTKControlToolbars() { id_ = 59392; }

 protected:
  bool IsGenerated(const CTKControl* control) const override;
  bool Generate() override;
};

// One tool bar's item: checked while the bar is visible; running it shows or hides the bar.
class CTKControlToolbar : public CTKControlButton {
  DECLARE_DYNCREATE(CTKControlToolbar)

 public:
  void OnExecute() override;
};

class CTKControlRecentFileList : public CTKControlListPlaceholder {
  DECLARE_DYNCREATE(CTKControlRecentFileList)

 public:
  CTKControlRecentFileList() { id_ = 57616; }
  // The list shown (the application's when null).
  void SetList(const CRecentFileList* list) { list_ = list; }

 protected:
  bool IsGenerated(const CTKControl* control) const override;
  bool Generate() override;
  void OnBeforeLayout() override;

 private:
  const CRecentFileList* Source() const;
  const CRecentFileList* list_ = nullptr;
};

class CTKControlOleItems : public CTKControlListPlaceholder {
  DECLARE_DYNCREATE(CTKControlOleItems)

 public:
  static constexpr UINT kFirstVerb = 57872, kLastVerb = 57887;
  CTKControlOleItems() { id_ = 57872; }

 protected:
  bool IsGenerated(const CTKControl* control) const override;
  bool Generate() override;
  // The item selected in the active document's active view, or null.
  virtual COleClientItem* SelectedItem() const;
};

class CTKControlWorkspaceActions : public CTKControlListPlaceholder {
  DECLARE_DYNCREATE(CTKControlWorkspaceActions)

 public:
  // Where the list finds the tab workspace's state (false: no workspace).
  using SourceFn = bool (*)(CTKCommandBar* bar, CTKTabGroupState* state);
  static void SetSource(SourceFn fn);
  CTKControlWorkspaceActions() { id_ = 35002; }

 protected:
  bool IsGenerated(const CTKControl* control) const override;
  bool Generate() override;
};

class CTKControlLabel : public CTKControlButton {
  DECLARE_DYNCREATE(CTKControlLabel)

 public:
  CTKControlLabel() {
    type_ = TKCommandBars::kLabel;
    flags_ = 26;
  }
  // A label does nothing when clicked, except in customize mode.
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnLButtonUp(CPoint point) override {}
};

class CTKControlCheckBox : public CTKControlButton {
  DECLARE_DYNCREATE(CTKControlCheckBox)

 public:
  CTKControlCheckBox() { type_ = TKCommandBars::kCheckBox; }
};

class CTKControlRadioButton : public CTKControlButton {
  DECLARE_DYNCREATE(CTKControlRadioButton)

 public:
  CTKControlRadioButton() { type_ = TKCommandBars::kRadioButton; }
};

// A grid picker (a table's columns and rows, say): the pointer selects the cells up to it, the
// grid grows towards the pointer while the button is held, and a click takes the selection.
class CTKControlSelector : public CTKControlButton {
  DECLARE_DYNCREATE(CTKControlSelector)

 public:
  // Sent to the owner when the selection changes.
  static constexpr int kNotifySelectionChanged = 0x1006;

  CTKControlSelector();

  // The grid shown at start, the largest grid and a cell's size.
  CSize GetItemsCount() const { return items_count_; }
  void SetItemsCount(CSize size);
  CSize GetItemsMax() const { return items_max_; }
  void SetItemsMax(CSize size);
  CSize GetItemSize() const { return item_size_; }
  void SetItemSize(CSize size);
  // Columns and rows selected now, shown now, and taken by the last click.
  CSize GetSelection() const { return selection_; }
  CSize GetGrid() const { return grid_; }
  CSize GetResult() const { return result_; }

  void Draw(CDC* dc) override;
  bool DrawsOwnFace() const override { return true; }
  void OnMouseMove(CPoint point) override;
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnLButtonUp(CPoint point) override {}
  void SetSelected(int selected) override;
  void OnBeforeLayout() override;
  void Copy(const CTKControl* source, bool deep) override;
  // The control's keys, then "ItemsCount", "ItemsMax" and "ItemSize".
  void DoPropExchange(CTKPropExchange* px) override;

 protected:
  // A cell's content; the base draws none.
  virtual void DrawCell(CDC* dc, const CRect& rect, int column, int row, bool selected) {}

 private:
  void Select(CSize selection);
  void FitGrid();

  CSize items_count_{5, 4}, items_max_{12, 12}, item_size_{28, 28};
  CSize selection_, grid_{5, 4}, result_;
  bool resizing_ = false;
};
