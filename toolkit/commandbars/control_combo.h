// The combo box of a command bar: a text field with an optional grey hint, completion against
// its list (the shell's auto-complete where the platform has it), and a drop-down.
//
// The drop-down is a popup bar that opens under the control and answers the combo's list
// operations: a list box window (`CTKControlComboBoxList`), or another kind of popup bar such
// as a gallery. It keeps its window between drop-downs, hidden, since its items live in it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/edit_window.h"
#include "toolkit/commandbars/popup_bar.h"

class CTKControlComboBox;

// The base of a combo box's drop-down. Its list operations answer for an empty list here.
class CTKControlComboBoxPopupBar : public CTKPopupBar {
  DECLARE_DYNCREATE(CTKControlComboBoxPopupBar)

 public:
  CTKControlComboBoxPopupBar();
  ~CTKControlComboBoxPopupBar() override;

  CTKControlComboBox* GetCombo() const { return combo_; }
  void SetCombo(CTKControlComboBox* combo) { combo_ = combo; }
  void SetFixedWidth(int width) { fixed_width_ = width; }
  int GetFixedWidth() const { return fixed_width_; }

  // --- what the combo asks of its list ---
  virtual int GetCount() const { return 0; }
  virtual int GetCurSel() const { return -1; }
  virtual void SetCurSel(int index) {}
  virtual void SetTopIndex(int index) {}
  // The first item beginning with the text, case-insensitive; -1 for none or an empty text.
  virtual int FindString(const std::wstring& prefix) const { return -1; }
  virtual int FindStringExact(const std::wstring& text) const { return -1; }
  virtual std::wstring GetText(int index) const { return std::wstring(); }
  virtual int GetItemHeight() const { return 16; }
  // Moves the selection as the key does in a list (Up, Down, Page Up, Page Down, Home, End),
  // bringing the new item into view; true when the selection changed.
  virtual bool MoveSelectionByKey(UINT key);
  // The drop-down's size when it opens for the combo.
  virtual CSize DropDownSize() const;
  // Before it opens: the list takes the bar's font, say.
  virtual void PrepareDropDown(CFont* font) {}

  // Opens under the combo (mirrored on right-to-left bars); closing hides the window and keeps
  // it. The combo's own drop-down switch drives both.
  CSize CalcSize(int length, DWORD mode) override;
  bool SetTrackingMode(int mode, bool selectFirst = true, bool keyboard = false) override;
  // Keys go to the combo's bar, where the combo has them while it is focused.
  int OnHookKeyDown(UINT key, LPARAM data) override;

 protected:
  CTKControlComboBox* combo_ = nullptr;
  int fixed_width_ = 0;
};

// The drop-down list: a popup bar with a list box child.
class CTKControlComboBoxList : public CTKControlComboBoxPopupBar {
  DECLARE_DYNCREATE(CTKControlComboBoxList)

 public:
  // Largest number of items saved state may hold.
  static constexpr int kMaxItems = 65536;

  CTKControlComboBoxList();
  ~CTKControlComboBoxList() override;

  HWND GetListBox() const { return list_; }
  int AddString(const std::wstring& text);
  void ResetContent();
  int GetCount() const override;
  int GetCurSel() const override;
  void SetCurSel(int index) override;
  void SetTopIndex(int index) override;
  int FindString(const std::wstring& prefix) const override;
  int FindStringExact(const std::wstring& text) const override;
  std::wstring GetText(int index) const override;
  int GetItemHeight() const override;
  void PrepareDropDown(CFont* font) override;
  CSize CalcSize(int length, DWORD mode) override;
  // The list box has the key: it pages by what it shows and scrolls the new item into view.
  bool MoveSelectionByKey(UINT key) override;

  // The bar's keys and then the items (section "Items": a count and "Item<n>" strings). The
  // items are all read before any is added; a count the store cannot hold is refused.
  void DoPropExchange(CTKPropExchange* px) override;

  // Closing lets a pointer drag over the list go.
  bool SetTrackingMode(int mode, bool selectFirst = true, bool keyboard = false) override;

  // The timer that scrolls the list on while a drag holds the pointer beyond its top or bottom.
  static constexpr UINT_PTR kDragScrollTimer = 0x4C53;
  static constexpr UINT kDragScrollDelay = 50;

 private:
  void EnsureWindows();
  // The list box's messages: a click or a hot-tracked move picks the item without taking the
  // focus from the combo's edit. With the left button held the list keeps the pointer: beyond
  // its top or bottom it scrolls an item at a time, the item it brings in hot.
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR data);
  void OnListPointer(UINT message, WPARAM wparam, LPARAM lparam);
  void DragScrollStep();
  void EndDrag();
  HWND list_ = nullptr;  // a child of the bar's window, destroyed with it
  int drag_direction_ = 0;  // -1 above the list, 1 below it, 0 within or no drag
};

class CTKControlComboBoxEditCtrl : public CTKEdit {
 public:
  explicit CTKControlComboBoxEditCtrl(CTKControlComboBox* owner) : owner_(owner) {}

 protected:
  CTKCommandBar* GetOwnerBar() const override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnChildNotify(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  CTKControlComboBox* owner_;
};

// Watches, while its combo has the focus, for the shell's suggestion list of the combo's edit
// window: a window of class "Auto-Suggest Dropdown" shown on the thread becomes the suggestion
// window (the pointer's tracking trusts it, and the edit is posted kMsgSuggestionsShown) until it
// is hidden again.
class CTKControlComboBoxAutoCompleteWnd {
 public:
  static constexpr UINT kMsgSuggestionsShown = 0x2872;

  explicit CTKControlComboBoxAutoCompleteWnd(HWND edit) : edit_(edit) {}
  ~CTKControlComboBoxAutoCompleteWnd();
  CTKControlComboBoxAutoCompleteWnd(const CTKControlComboBoxAutoCompleteWnd&) = delete;
  CTKControlComboBoxAutoCompleteWnd& operator=(const CTKControlComboBoxAutoCompleteWnd&) = delete;

  // Starts (the combo took the focus) or stops watching.
  void Watch(bool on);
  bool IsWatching() const { return watching_; }
  HWND GetSuggestionWindow() const { return suggestions_; }
  bool IsSuggesting() const { return suggestions_ && ::IsWindowVisible(suggestions_); }

 private:
  static LRESULT CALLBACK CallWndProc(int code, WPARAM wparam, LPARAM lparam);
  void OnWindowPosChanged(HWND hwnd, const WINDOWPOS& pos);
  void Forget();

  HWND edit_ = nullptr;
  HWND suggestions_ = nullptr;
  bool watching_ = false;
};

class CTKControlComboBox : public CTKControlPopup {
  DECLARE_DYNCREATE(CTKControlComboBox)

 public:
  // Notification codes sent to the owner.
  enum {
    kNotifyGotFocus = 3, kNotifyLostFocus = 4, kNotifyEditChanged = 5, kNotifyDropDown = 7, kNotifyCloseUp = 8,
    kNotifySelectionExecuted = 9, kNotifySelectionRestored = 10
  };
  // Sent to the site with the list bar when the drop-down opens.
  static constexpr UINT kMsgDropDownOpening = 0x285B;
  // The shell's auto-complete flag that gives Tab to its suggestions.
  static constexpr DWORD kShellUseTab = 0x8;

  CTKControlComboBox();
  ~CTKControlComboBox() override;

  // The drop-down, and it as a list box drop-down (null when it is another kind).
  CTKControlComboBoxPopupBar* GetDropDown() const;
  CTKControlComboBoxList* GetList() const;
  // Gives the combo another kind of drop-down (one reference taken).
  void SetDropDown(CTKControlComboBoxPopupBar* bar);
  // Drop-down-list style (no edit window, the selected item is drawn) or drop-down style.
  void SetDropDownListStyle(bool on);
  bool HasEdit() const { return drop_down_; }
  CTKControlComboBoxEditCtrl* GetEditCtrl() const { return edit_.get(); }

  // The text: the edit's (empty while it shows the hint), or the selected item's.
  std::wstring GetEditText();
  void SetEditText(const std::wstring& text);
  void SetEditHint(const std::wstring& hint);
  const std::wstring& GetEditHint() const { return hint_; }
  int GetCurSel() const;
  void SetCurSel(int index);
  void SetDropDownItemCount(int count) { drop_down_count_ = count; }
  int GetDropDownItemCount() const { return drop_down_count_; }
  // Completion in place against the list.
  void SetAutoComplete(bool on) { auto_complete_ = on; }
  // The shell's auto-complete with these flags; where the platform has none, the combo box
  // completes from its own list instead.
  void EnableShellAutoComplete(DWORD flags);
  DWORD GetShellAutoCompleteFlags() const { return shell_flags_; }
  bool IsShellAutoCompleteActive() const { return shell_active_; }
  // The watcher of the shell's suggestion list (null without the shell's auto-complete).
  CTKControlComboBoxAutoCompleteWnd* GetAutoSuggest() const { return auto_suggest_.get(); }
  bool IsCompletingInPlace() const { return auto_complete_ || (shell_flags_ && !shell_active_); }
  bool IsFocused() const { return focused_; }

  // The drop-down's size: the fixed width or the control's, by the item height times the
  // smaller of the item count (at least 1) and the drop-down item count, plus 4.
  CSize DropDownSize() const;
  void TakeFocus(bool on);

  // From the edit window.
  void OnEditChanged();
  void OnEditFocus(bool gained);
  // From the drop-down: the pointer picked item `index`; a click also runs the combo.
  void OnDropDownPick(int index, bool click);
  // The wheel turned over the focused combo: with the drop-down shut and no shell suggestions
  // about, the selection moves one item (up for a turn away from the user). False when the
  // combo leaves the wheel alone.
  bool OnMouseWheel(int delta);

  // Overrides of the control.
  bool OnSetPopup(bool open) override;
  bool GetPopuped() const override { return dropped_; }
  void SetRect(const CRect& rc) override;
  // Hidden or shown again (by its own flags or by its bar's layout), the control takes its edit
  // window along.
  void SetHideFlags(int flags) override;
  void SetParent(CTKCommandBar* bar) override;
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnExecuteByKeyboard() override;
  void OnExecute() override;
  bool OnHookKeyDown(UINT key) override;
  bool WantsKeysWhileHot() const override { return focused_; }
  void SetEnabled(bool enabled) override;
  void Copy(const CTKControl* source, bool deep) override;
  void Draw(CDC* dc) override;
  void DoPropExchange(CTKPropExchange* px) override;

 protected:
  virtual CTKControlComboBoxEditCtrl* CreateEditCtrl() { return new CTKControlComboBoxEditCtrl(this); }
  // The list's selection moved (by a key): the combo takes the item's text.
  void OnListSelectionMoved();
  bool ShowsHint() const;
  void ShowText();
  void ApplyColors();
  // Moves the list's selection as the key does there; true when the key moved it.
  bool MoveListSelection(UINT key);

  std::unique_ptr<CTKControlComboBoxEditCtrl> edit_;
  bool drop_down_ = false;
  int combo_style_ = 0;
  int label_width_ = 0, thumb_width_ = 0;
  int saved_selection_ = -1;
  std::wstring saved_text_;
  bool reposition_ = false;
  std::wstring hint_;
  bool auto_complete_ = false, no_completion_ = false;
  DWORD shell_flags_ = 0;
  bool shell_active_ = false;
  std::unique_ptr<CTKControlComboBoxAutoCompleteWnd> auto_suggest_;
  int edit_icon_id_ = 0;
  bool executed_ = false;
  int drop_down_count_ = 12;
  std::wstring text_;
  bool text_stale_ = true;
  DWORD edit_style_ = 0;
  int selection_ = -1;
  bool setting_text_ = false;
  bool focused_ = false;
  bool dropped_ = false;
};
