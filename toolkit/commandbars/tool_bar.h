// The command bar that docks on a side of the frame or floats in a window of its own: its docked
// and floating sizes, the expand button that collects what no longer fits, the hide button of a
// floating bar, and its visibility with notice to the site. The menu bar derives from it.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control_button.h"

class CTKPopupBar;

class CTKToolBar : public CTKCommandBar {
  DECLARE_DYNCREATE(CTKToolBar)

 public:
  static constexpr int kExpandButtonId = 9148;
  static constexpr int kHideButtonId = 9149;
  static constexpr int kCustomizeEntryId = 9122;
  // Room the expand button takes at the end of a docked bar, and a floating bar's border.
  static constexpr int kExpandRoom = 11;
  static constexpr int kFloatingBorder = 3;

  // The expand button: a popup of the controls the bar's length hides.
  class CControlButtonExpand : public CTKControlPopup {
   public:
    CControlButtonExpand();
    void SetRect(const CRect& rc) override;
    bool OnSetPopup(bool open) override;
    void Draw(CDC* dc) override;
    CSize GetSize(CDC* dc) override { return GetRect().Size(); }
    // Whether a control of the bar was hidden by wrapping when the rectangle was last set.
    bool HasHiddenControls() const { return hidden_; }
    bool in_caption = false;

   private:
    bool hidden_ = false;
  };

  // The close button in a floating bar's caption.
  class CControlButtonHide : public CTKControlButton {
   public:
    CControlButtonHide();
    void OnExecute() override;
    void Draw(CDC* dc) override;
    CSize GetSize(CDC* dc) override { return GetRect().Size(); }
  };

  CTKToolBar();
  ~CTKToolBar() override;

  // Makes the window: a child of `site` when docked, a popup owned by it when floating.
  virtual bool CreateToolBar(HWND site, bool floating);
  // Shows or hides the bar with notice to the site.
  virtual void SetVisible(bool visible);
  bool GetVisible() const { return visible_; }
  bool IsBarVisible() const override;

  // The size docked along a side of `length` under the layout bits (LM_*), and floating.
  virtual CSize CalcDockingLayout(int length, DWORD mode, int mruWidth = 0);
  virtual CSize CalcFloatingLayout(int length, DWORD mode);
  // Lays the bar out again: a floating bar takes its size, a docked one asks the frame.
  virtual void OnRecalcLayout() override;
  CSize CalcSize(int length, DWORD mode) override;
  CSize CalcDynamicLayout(int length, DWORD mode) override;
  CRect GetBorders() const override;
  CSize GetButtonSize() const override;
  // A bar placed in a dialog (one that never docked nor floated) hands Tab on to the dialog's
  // next tab stop (the previous one with Shift) and leaves tracking.
  int OnHookKeyDown(UINT key, LPARAM data) override;
  CSize GetIconSize() const;
  CSize GetLargeIconSize() const;

  // The buttons of the tool-bar resource `id` in `module` (the toolkit's resource module for
  // null), with their images. A damaged resource leaves the bar as it was.
  bool LoadToolBar(UINT id, bool loadImages = true) override;
  bool LoadToolBar(HMODULE module, UINT id, bool loadImages = true);
  // The buttons of a list of command ids (0 begins a group).
  bool SetButtons(const UINT* ids, int count);

  void SetBuiltIn(bool on) { built_in_ = on; }
  bool IsBuiltIn() const { return built_in_; }
  // What the user may do with the bar: close it, list it in the bars' context menu, open the
  // customize dialog from it; and whether it was torn off a popup.
  void SetCloseable(bool on) { closeable_ = on; }
  bool IsCloseable() const { return closeable_; }
  void SetContextMenuPresent(bool on) { context_menu_present_ = on; }
  bool IsContextMenuPresent() const { return context_menu_present_; }
  void SetCustomizeDialogPresent(bool on) { customize_dialog_present_ = on; }
  bool IsCustomizeDialogPresent() const { return customize_dialog_present_; }
  void SetTearOff(bool on) { tear_off_ = on; }
  bool IsTearOff() const { return tear_off_; }
  void SetTemporary(bool on) { temporary_ = on; }
  bool IsTemporary() const { return temporary_; }
  void SetShowHideButton(bool on) { show_hide_button_ = on; }
  void SetShowExpandButton(bool on) { show_expand_button_ = on; }
  bool GetShowExpandButton() const { return show_expand_button_; }
  UINT GetBarID() const { return bar_id_; }
  void SetBarID(UINT id) { bar_id_ = id; }
  // The controls of the bar that its length hides.
  int GetWrappedCount() const;
  CControlButtonExpand* GetExpandButton() const;
  CControlButtonHide* GetHideButton() const;
  // The expand popup filled with the controls the bar's length hides.
  virtual void FillExpandPopup(CTKPopupBar* popup);
  // The floating size a dock context last gave the bar (100 x 100 unset).
  void SetFloatingSize(CSize size) { floating_size_ = size; }
  CSize GetFloatingSize() const { return floating_size_; }

  void Copy(const CTKCommandBar* source, bool deep) override;
  // The bar's keys, then "BuiltIn", "TearOff", "Closeable", "ContextMenuPresent" and
  // "CustomizeDialogPresent" by the data's schema.
  void DoPropExchange(CTKPropExchange* px) override;
  // Takes the controls of a bar loaded from saved state. When both bars keep baselines that
  // differ and the loaded controls differ from this bar's baseline (the program's buttons
  // changed since the layout was saved), the user is asked first unless `forced`: yes leaves
  // the bar as it is (false), no takes the loaded controls and keeps this bar's baseline.
  // Otherwise the loaded controls are taken, with the loaded baseline when there is one.
  bool CopyFromLoaded(const CTKToolBar* loaded, bool forced);

  // Puts the bar's original controls back: the copy kept when they were loaded, else the
  // bar's tool-bar resource read again. Only a built-in, customizable bar with an identifier
  // resets; with `ask` the user confirms first. True when the bar was reset.
  virtual bool Reset(bool ask);
  // What asks the user the bars' questions (whether to reset, whether to take a loaded layout)
  // and gives the button pressed: the system's message box unless set (a test answers in its
  // place). Null puts the message box back.
  using QuestionFn = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
  static void SetQuestionFunction(QuestionFn fn);

 protected:
  // The control of this id that the bar made for itself (its parent is this bar), as its kind.
  template <class T>
  T* FindOwnControl(int id) const {
    CTKControl* control = controls_->FindControl(id);
    return control && control->GetParent() == this ? dynamic_cast<T*>(control) : nullptr;
  }
  // Removing a bar clears its visible flag without the notices of a visibility change.
  friend class CTKCommandBarManager;
  // Asks through the question function, owned by the bar's site.
  int Ask(const std::wstring& text, const wchar_t* caption, UINT type) const;
  // `format` with its first "%s" replaced by the bar's title, taken as text (never as a format).
  std::wstring WithTitle(const std::wstring& format) const;
  // Asks whether to reset this bar (OK or Cancel, the text naming its title); true on OK.
  bool ConfirmReset() const;
  // After a reset: the site is told, the controls are updated and the bar lays out again.
  void FinishReset();
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  CControlButtonExpand* FindOrCreateExpand();
  // A bar in a dock bar or floating moves with the mouse; one placed in a window does not.
  bool IsMovable() const;
  // The frame's floating-status message (FS_* bits): a floating bar follows its frame's
  // showing, enabling and (where the manager asks) activation. Answers 1 to FS_SYNCACTIVE when
  // the window's style carries 0x100.
  LRESULT OnFloatStatus(WPARAM flags);
  // The pointer lies over the gripper strip of a docked bar.
  bool OverGripper() const;
  CControlButtonHide* FindOrCreateHide();
  void ConsumePending(DWORD mode);
  // The row layout with this bar's borders (plus `extra`).
  CSize LayoutRows(CDC* dc, int length, DWORD flags, const CRect& extra, bool* wrapped);

  bool visible_ = true;
  bool built_in_ = true;
  bool closeable_ = true;
  bool context_menu_present_ = true;
  bool customize_dialog_present_ = true;
  bool tear_off_ = false;
  bool temporary_ = false;
  bool show_hide_button_ = true;
  bool show_expand_button_ = true;
  bool in_relayout_ = false;
  CSize floating_size_{100, 100};
  // Where LoadToolBar read the bar's resource (a reset reads it there again).
  HMODULE resource_module_ = nullptr;
};
