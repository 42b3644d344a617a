// The ordered controls of one command bar: creation by type, action binding, Win32 menus turned
// into controls, finding and hit testing, keyboard stepping and the row layout.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/types.h"
#include "toolkit/commandbars/control.h"

class CDC;
class CTKPropExchange;

class CTKControls : public CCmdTarget {
 public:
  // Layout flags.
  enum {
    kLayoutStretch = 0x1, kLayoutRememberedWidth = 0x4, kLayoutWidthLimit = 0x8, kLayoutVertical = 0x10,
    kLayoutHeightLimit = 0x20, kLayoutCommit = 0x40, kLayoutHideOverflow = 0x80, kLayoutGroupRows = 0x100
  };
  // A bar Flags bit: large icons with their captions below, the others stacked three high.
  static constexpr DWORD kStackedLargeIcons = 0x200000;
  static constexpr int kStackedGroupGap = 6;
  static constexpr int kStackedExtra = 34;

  explicit CTKControls(CTKCommandBar* bar = nullptr, CTKCommandBarManager* manager = nullptr);
  ~CTKControls() override;

  int GetCount() const { return static_cast<int>(controls_.size()); }
  CTKControl* GetAt(int index) const;
  CTKCommandBar* GetParent() const { return bar_; }
  void SetParent(CTKCommandBar* bar);
  CTKCommandBarManager* GetManager() const;
  void SetManager(CTKCommandBarManager* manager) { manager_ = manager; }

  // Creates the control of a type (1..11) and adds it; null for an unknown type.
  CTKControl* Add(int type, int id, const std::wstring& parameter = L"", int before = -1, bool temporary = false);
  CTKControl* Add(CTKControl* control, int id, const std::wstring& parameter = L"", int before = -1,
                  bool temporary = false);
  CTKControl* InsertAt(CTKControl* control, int before);
  CTKControl* AddCopy(const CTKControl* control, int before = -1);
  void Remove(CTKControl* control);
  void Remove(int index) { Remove(GetAt(index)); }
  void RemoveAll();
  CTKControl* FindControl(int type, int id, bool visibleOnly, bool recursive) const;
  CTKControl* FindControl(int id) const { return FindControl(0, id, false, false); }
  CTKControl* HitTest(CPoint pt) const;
  // The first control with `control`'s id and type that is visible (neither its action nor a
  // hide flag other than the layout's wrapping hides it): a copy, matched by what it does
  // rather than by identity.
  CTKControl* MatchVisibleCopy(const CTKControl* control) const;
  int GetNext(int index, int step, bool skipFlagged = true, bool skipTemporary = false, bool strict = false) const;
  int GetVisibleCount(bool layoutHiddenAsHidden = false) const;
  bool Compare(const CTKControls* other) const;
  bool IsChanged() const { return !original_ || !Compare(original_); }
  CTKControls* Duplicate() const;
  void CreateOriginalControls();
  CTKControls* GetOriginalControls() const { return original_; }
  CTKControl* SetControlType(CTKControl* control, int type);
  // Saves the controls that are not temporary, or loads a saved collection. A load is built
  // beside the current controls and takes their place only when all of it was read; a damaged
  // state throws an archive exception and leaves the collection as it was.
  void DoPropExchange(CTKPropExchange* px);
  // One Win32 menu item becomes a control; null when the item is skipped.
  CTKControl* AddMenuItem(HMENU menu, int position);

  // Lays the controls out in rows (columns with kLayoutVertical); returns the needed size and
  // sets *wrapped when rows were wrapped or controls hidden.
  CSize CalcLayout(CDC* dc, int length, DWORD flags, const CRect& borders, int minLength, bool* wrapped = nullptr);

 protected:
  // A control the collection keeps when asked to remove it.
  virtual bool KeepOnRemove(CTKControl* control) const { return false; }
  virtual void OnControlAdded(CTKControl* control) {}
  // Whether this collection is its controls' home: it numbers them, makes its bar their parent
  // and detaches them when they leave. A list that only refers to controls another collection
  // holds (a control may be in both) says no, and leaves them as their home set them.
  virtual bool OwnsControls() const { return true; }
  // A control has left the collection (the collection's reference is still held).
  virtual void OnControlRemoved(CTKControl* control) {}
  void Renumber();

 private:
  struct LayoutItem {
    CTKControl* control;
    CRect rect, row;
    CSize size;
    bool visible, wrap, overflow, begin_group;
    int style;
  };
  int WrapRows(std::vector<LayoutItem>& items, int length, DWORD flags, CDC* dc) const;
  CSize PlaceRows(std::vector<LayoutItem>& items, DWORD flags, CDC* dc) const;
  CSize SeparatorSize(CDC* dc) const;
  // The stacked large-icon layout of bars whose Flags have kStackedLargeIcons.
  CSize StackedLayout(std::vector<LayoutItem>& items, CDC* dc, int length, DWORD flags, const CRect& borders);
  CSize WrapAndPlace(std::vector<LayoutItem>& items, int length, DWORD flags, CDC* dc, int* rows);
  void Detach(CTKControl* control);
  CTKControl* CreateByType(int type, int id);

  CTKCommandBar* bar_;
  std::vector<CTKControl*> controls_;
  CTKCommandBarManager* manager_;
  CTKControls* original_ = nullptr;
};
