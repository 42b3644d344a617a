// The gallery: a scrollable grid of items, grouped under optional label rows, inside a bar or
// a popup bar, with its own vertical scroll bar or up, down and "more" buttons. Its items are
// held by the control's action, so every gallery bound to one command shows the same items.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "toolkit/commandbars/accessible.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/control_combo.h"
#include "toolkit/commandbars/scroll_base.h"

class CTKControlGallery;
class CTKPropExchange;

// One item: a picture cell, or a label row that heads a group.
class CTKControlGalleryItem : public CCmdTarget {
 public:
  int GetID() const { return id_; }
  void SetID(int id) { id_ = id; }
  const std::wstring& GetCaption() const { return caption_; }
  void SetCaption(const std::wstring& text) { caption_ = text; }
  const std::wstring& GetToolTip() const { return tooltip_; }
  void SetToolTip(const std::wstring& text) { tooltip_ = text; }
  bool IsLabel() const { return label_; }
  void SetLabel(bool on) { label_ = on; }
  // The item's own size; width 0 is the whole row, (0, 0) the collection's item size.
  CSize GetSize() const;
  void SetSize(CSize size) { size_ = size; }
  void SetItems(class CTKControlGalleryItems* items) { items_ = items; }
  // Draws the item's face: the state's highlight and its caption centred.
  virtual void Draw(CDC* dc, CTKControlGallery* gallery, const CRect& rect, bool enabled, bool selected,
                    bool pressed, bool checked);
  void AddRef() { InternalAddRef(); }
  void Release() { InternalRelease(); }

 private:
  int id_ = 0;
  std::wstring caption_, tooltip_;
  bool label_ = false;
  CSize size_;
  class CTKControlGalleryItems* items_ = nullptr;
};

// The items of one command, shared by its galleries.
class CTKControlGalleryItems : public CCmdTarget {
 public:
  // Answers true when it drew the item itself.
  using DrawHook = std::function<bool(CDC* dc, CTKControlGalleryItem* item, const CRect& rect, bool enabled,
                                      bool selected, bool pressed, bool checked)>;

  CTKControlGalleryItems() = default;
  ~CTKControlGalleryItems() override;

  int GetCount() const { return static_cast<int>(items_.size()); }
  CTKControlGalleryItem* GetAt(int index) const;
  CTKControlGalleryItem* AddItem(int id, const std::wstring& caption);
  CTKControlGalleryItem* AddLabel(const std::wstring& caption);
  void Remove(int index);
  void RemoveAll();
  CSize GetItemSize() const { return item_size_; }
  void SetItemSize(CSize size) { item_size_ = size; }
  bool IsPartialRedraw() const { return partial_redraw_; }
  void SetPartialRedraw(bool on) { partial_redraw_ = on; }
  void SetDrawHook(DrawHook hook) { hook_ = std::move(hook); }
  bool RunDrawHook(CDC* dc, CTKControlGalleryItem* item, const CRect& rect, bool enabled, bool selected,
                   bool pressed, bool checked) const {
    return hook_ && hook_(dc, item, rect, enabled, selected, pressed, checked);
  }
  void AddRef() { InternalAddRef(); }
  void Release() { InternalRelease(); }

 private:
  std::vector<CTKControlGalleryItem*> items_;
  CSize item_size_{20, 20};
  bool partial_redraw_ = false;
  DrawHook hook_;
};

struct GALLERYITEM_POSITION {
  CRect rect;  // in content coordinates: the area's top-left is (left, top) at scroll position 0
  CTKControlGalleryItem* item = nullptr;
  bool begin_row = false;
};

class CTKControlGallery : public CTKControlPopup, public CTKScrollBase, public CTKAccessibleControlChildren {
  DECLARE_DYNCREATE(CTKControlGallery)

 public:
  CTKControlGallery();
  ~CTKControlGallery() override;

  // --- items ---
  // The items (one reference held; with an action, the action holds them for its galleries).
  void SetItems(CTKControlGalleryItems* items);
  CTKControlGalleryItems* GetItems() const;
  int GetItemCount() const;
  CTKControlGalleryItem* GetItem(int index) const;

  // --- options ---
  bool IsShowLabels() const { return show_labels_; }
  void SetShowLabels(bool on);
  bool IsShowBorders() const { return show_borders_; }
  void SetShowBorders(bool on);
  bool IsShowScrollBar() const { return show_scroll_bar_; }
  void SetShowScrollBar(bool on);
  const CRect& GetMargin() const { return margin_; }
  void SetMargin(const CRect& margin);
  int GetCheckedItem() const { return checked_id_; }
  void SetCheckedItem(int id);
  // The gallery has a popup of its own: scroll buttons with "more" instead of a scroll bar.
  bool HasPopupButtons() const { return GetCommandBar() != nullptr; }
  // How the gallery shows where it stands: its items in place (kModeInPlace), or as a popup
  // button that opens them (kModePopupButton, the form of a copy in a quick-access bar).
  static constexpr int kModeInPlace = 0;
  static constexpr int kModePopupButton = 2;
  int GetGalleryMode() const { return mode_; }
  void SetGalleryMode(int mode);
  // The items show in the control itself: style 0 and the in-place mode.
  bool IsInPlace() const { return GetStyle() == 0 && mode_ != kModePopupButton; }

  // --- geometry ---
  // Lays the items out in the items area (runs on every rectangle change).
  void RepositionItems();
  CRect GetItemsRect() const;
  bool HasSeparatorLine() const;
  const std::vector<GALLERYITEM_POSITION>& Positions() const { return positions_; }
  int GetContentHeight() const { return content_height_; }
  int GetScrollPos() const { return scroll_pos_; }
  // Clamps to 0 .. content height - area height.
  void SetScrollPos(int pos);
  // The item's rectangle on the control, clipped to the items area (empty when not shown).
  CRect GetItemDrawRect(int index) const;
  // The item under a point (-1 none); `rect` gets its rectangle on the control.
  int HitTestItem(CPoint pt, CRect* rect = nullptr) const;
  // The tip of the item under a point: the item's id + 1 (0 over no item or an item without a
  // tip), its rectangle clipped to the items area and its tooltip text.
  UINT_PTR ToolHitTest(CPoint pt, CRect* rect, std::wstring* text) const;
  // The scroll part under a point: 60..65, 0 none.
  int HitTestScrollPart(CPoint pt);

  // --- selection and scrolling ---
  int GetSelectedItem() const { return selected_item_; }
  void SelectItem(int index);
  void EnsureVisible(int index);
  // -1 when nothing matches or the text is empty.
  int FindItem(int start, const std::wstring& text, bool exact) const;
  void OnScrollCommand(int command, int pos);
  void OnMouseWheel(int delta);
  bool IsItemPressed() const { return pressed_item_; }
  // What a combo box's drop-down maps its list operations to.
  void SetTopIndex(int index);
  std::wstring GetItemText(int index) const;

  // --- state ---
  void DoPropExchange(CTKPropExchange* px) override;

  // --- the control ---
  CSize GetSize(CDC* dc) override;
  void Draw(CDC* dc) override;
  // An in-place gallery shows its items to accessibility clients as its children (1..count);
  // a drop-down gallery has none.
  int AccessibleChildCount() const override;
  long AccessibleRole(int child) const override;
  DWORD AccessibleState(int child) const override;
  std::wstring AccessibleName(int child) const override;
  std::wstring AccessibleDefaultAction(int child) const override;
  bool AccessibleDoDefaultAction(int child) override;
  bool AccessibleSelect(int child) override { return AccessibleDoDefaultAction(child); }
  bool AccessibleLocation(int child, RECT* screen) const override;
  int AccessibleHitTest(POINT screen) const override;
  bool DrawsOwnFace() const override { return IsInPlace(); }
  void SetRect(const CRect& rc) override;
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnLButtonUp(CPoint point) override;
  void OnMouseMove(CPoint point) override;
  bool OnHookKeyDown(UINT key) override;
  bool WantsKeysWhileHot() const override { return IsInPlace(); }
  void SetSelected(int selected) override;
  void Copy(const CTKControl* source, bool deep) override;
  void OnActionChanged(int property) override { RepositionItems(); }
  // In a combo box's drop-down the chosen item goes to the combo; elsewhere the command runs.
  void OnExecute() override;

  // --- the scroll base ---
  void RedrawScrollBar() override { Redraw(); }
  CRect GetScrollBarRect() override;
  void GetScrollInfo(TKScrollInfo* info) override;
  void DoScroll(int command, int pos) override { OnScrollCommand(command, pos); }
  void RedrawControl() override { Redraw(); }
  CTKPaintManager* GetScrollPaintManager() override { return GetPaintManager(); }
  HWND GetScrollWindow() override;

 private:
  void Redraw();
  // The scroll column's width: the paint manager's button column or scroll-bar width.
  int ScrollColumnWidth() const;
  int ItemHeight() const;
  bool IsSelectable(int index) const;
  int StepSelectable(int from, int step, bool wrap) const;
  int RowStart(int index) const;
  int RowEnd(int index) const;
  // The first position whose row reaches below `top` (content coordinates): the rows above it
  // end at or above `top`, so a walk down from there passes no row out of sight.
  int FirstPositionBelow(int top) const;
  bool KeyboardMove(UINT key);

  int pressed_part_ = -1;
  int selected_item_ = -1;
  bool pressed_item_ = false;
  bool keyboard_lock_ = false;
  int hot_part_ = 0;
  int scroll_pos_ = 0;
  int content_height_ = 0;
  bool show_labels_ = true, show_scroll_bar_ = true, show_borders_ = false;
  CRect margin_;
  int checked_id_ = 0;
  int mode_ = kModeInPlace;
  std::vector<GALLERYITEM_POSITION> positions_;
  // Each row's top and its first position, top to bottom (a shown label is a row of its own).
  struct RowStartRecord {
    int top;
    int index;
  };
  std::vector<RowStartRecord> rows_;
  CTKControlGalleryItems* items_ = nullptr;
};

// A combo box's drop-down whose first control is a gallery: the combo's list operations map
// onto the gallery's items. Enter runs the combo, Escape closes, Tab is refused, and the other
// keys move through the gallery with the combo taking the chosen item's text.
class CTKControlComboBoxGalleryPopupBar : public CTKControlComboBoxPopupBar {
  DECLARE_DYNCREATE(CTKControlComboBoxGalleryPopupBar)

 public:
  // The first control when it is a gallery.
  CTKControlGallery* GetGallery() const;

  int GetCount() const override;
  int GetCurSel() const override;
  void SetCurSel(int index) override;
  void SetTopIndex(int index) override;
  int FindString(const std::wstring& prefix) const override;
  int FindStringExact(const std::wstring& text) const override;
  std::wstring GetText(int index) const override;
  int OnHookKeyDown(UINT key, LPARAM data) override;
};
