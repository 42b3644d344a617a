// The combo box of a command bar: a text field with an optional grey hint, completion against
// its list (the shell's auto-complete where the platform has it), and a drop-down list.
//
// The drop-down is a bar of its own holding a list box window. Showing it at the control is
// the one call `CTKControlComboBoxList::ShowAt`; the rest (its size, the list operations, the
// notifications) does not depend on how a popup is shown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/edit_window.h"

class CTKControlComboBox;

// The drop-down list: a popup bar with a list box child.
class CTKControlComboBoxList : public CTKCommandBar {
  DECLARE_DYNCREATE(CTKControlComboBoxList)

 public:
  // Largest number of items saved state may hold.
  static constexpr int kMaxItems = 65536;

  CTKControlComboBoxList();
  ~CTKControlComboBoxList() override;

  HWND GetListBox() const { return list_; }
  int AddString(const std::wstring& text);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  void SetCurSel(int index);
  void SetTopIndex(int index);
  int FindString(const std::wstring& prefix) const;       // first item beginning with it, case-insensitive
  int FindStringExact(const std::wstring& text) const;    // case-insensitive
  std::wstring GetText(int index) const;
  int GetItemHeight() const;
  void SetFixedWidth(int width) { fixed_width_ = width; }
  int GetFixedWidth() const { return fixed_width_; }
  CTKControlComboBox* GetCombo() const { return combo_; }
  void SetCombo(CTKControlComboBox* combo) { combo_ = combo; }

  // Shows the list in the screen rectangle (below the control); hides it with an empty one.
  virtual void ShowAt(const CRect& screen);
  bool IsShown() const { return list_window_shown_; }
  bool IsBarVisible() const override { return list_window_shown_; }

  // The bar's keys and then the items (section "Items": a count and "Item<n>" strings). The
  // items are all read before any is added; a count the store cannot hold is refused.
  void DoPropExchange(CTKPropExchange* px) override;

 private:
  void EnsureWindows();
  CTKControlComboBox* combo_ = nullptr;
  int fixed_width_ = 0;
  HWND list_ = nullptr;  // a child of the bar's window, destroyed with it
  bool list_window_shown_ = false;
};

class CTKControlComboBoxEditCtrl : public CTKEdit {
 public:
  explicit CTKControlComboBoxEditCtrl(CTKControlComboBox* owner) : owner_(owner) {}

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnChildNotify(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  CTKControlComboBox* owner_;
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

  CTKControlComboBox();
  ~CTKControlComboBox() override;

  CTKControlComboBoxList* GetList() const;
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
  bool IsCompletingInPlace() const { return auto_complete_ || (shell_flags_ && !shell_active_); }
  bool IsFocused() const { return focused_; }

  // The drop-down's size: the fixed width or the control's, by the item height times the
  // smaller of the item count (at least 1) and the drop-down item count, plus 4.
  CSize DropDownSize() const;
  void TakeFocus(bool on);

  // From the edit window.
  void OnEditChanged();
  void OnEditFocus(bool gained);

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
  // Moves the list's selection as a key would; true when the key moved it.
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
