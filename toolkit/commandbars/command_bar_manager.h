// What the bars ask of the object that manages them: the site window, the shared actions, the
// customize state and the paint and image managers in force. The manager's own services
// (bar lists, options, keyboard tips, state exchange) grow on this.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/object.h"
#include "toolkit/commandbars/control.h"

class CTKPaintManager;
class CTKImageManager;
class CTKCommandBar;
class CTKToolBar;
class CTKMenuBar;
class CTKPopupBar;
class CTKPopupEffects;
class CTKCommandBarKeyboardTip;
class CTKDockBar;

// The manager's options as the bars read them.
struct CTKCommandBarOptions {
  bool full_menus = true;            // popups show their rarely used items at once
  bool flip_popups = false;          // a popup that does not fit may change side
  int animation = 0;                 // 0 as the system says, 1 random, else the animation kind
  bool saved_bits = true;            // popups keep what lies under them
  bool right_to_left = false;        // bars and popups lay out right to left
  bool keyboard_tips = false;        // Alt and accelerators show keyboard tips
  bool quick_customize = false;      // a tool bar's control pressed with Alt held is dragged at once
  int accelerator_mode = 0;          // 2: the frame's letters never reach the bars
  bool numpad_accelerators = false;  // number-pad digits act as accelerators
  bool first_letter_matches = true;  // a caption's first letter counts when it has no "&"
  bool accelerators_any_bar = false; // without a shown main bar the first shown bar takes letters
  bool wrap_navigation = false;      // keyboard steps go on into the next bar
  bool always_show_expand = false;   // tool bars always show their expand button
  bool customize_entry = false;      // the expand popup carries the add-or-remove entry
  bool layout_lock = false;          // frame layouts are not started
  bool float_on_double_click = true; // a double click floats a docked bar
  bool hide_floating_inactive = false; // floating bars hide while their frame is inactive
  bool large_icons = false;
  bool shortcuts_from_table = false; // popups take their shortcut texts from the manager's table
  CSize popup_icon_size, toolbar_icon_size, large_icon_size;
  bool changed = false;
};

class CTKCommandBarManager : public CCmdTarget {
 public:
  CTKCommandBarManager();
  ~CTKCommandBarManager() override;

  HWND GetSite() const { return site_; }
  void SetSite(HWND site) { site_ = site; }
  bool IsActionsEnabled() const { return use_actions_; }
  void EnableActions(bool on = true) { use_actions_ = on; }
  CTKControlActions* GetActions() { return &actions_; }
  bool IsCustomizeMode() const { return customize_mode_; }
  // Customize mode on or off: the options count as changed, the customize selection clears and
  // the keyboard cues follow.
  void SetCustomizeMode(bool on);
  bool IsKeyboardCuesShown() const { return keyboard_cues_; }
  // Shows or hides the keyboard cues (always shown in customize mode); the shown bars redraw
  // when they change.
  void SetKeyboardCuesShown(bool on);
  // The control selected for customizing, held by one reference (null: none). The old and the
  // new one redraw, and the customize window (else the site) receives kMsgCustomizeSelection
  // with the control.
  void SetCustomizeSelection(CTKControl* control);
  CTKControl* GetCustomizeSelection() const { return customize_selection_; }
  // The customize dialog's window while it is open.
  void SetCustomizeWindow(HWND window) { customize_window_ = window; }

  // --- customize drag and drop ---
  // The bars a dragged control may be dropped on: each registers as its window is made and
  // leaves as it goes (the most recent last).
  void RegisterDropTarget(CTKCommandBar* bar);
  void UnregisterDropTarget(CTKCommandBar* bar);
  // The last shown bar, searching from the most recent, whose window holds the screen point
  // and that takes the control; null when none.
  CTKCommandBar* FindDropTarget(POINT screen, const CTKControl* control) const;
  // How a drag ended: dragged off every bar (the control goes), copied or moved onto a bar, or
  // nothing changed (cancelled, or not moved).
  enum { kDragRemoved = 0, kDragCopied = 1, kDragMoved = 2, kDragNothing = 5 };
  // The cursor a drag shows: where nothing takes the control, over a bar while copying, or
  // while moving.
  enum { kDragCursorNoDrop = 0, kDragCursorCopy = 1, kDragCursorMove = 2 };
  // The customize drag of a control pressed at `start` (screen): the mouse is captured by the
  // control's bar until the button comes up over a bar (which takes a copy, Ctrl held, or the
  // control itself) or elsewhere (the control is removed once the mouse moved). Escape, a
  // right-button press, a lost capture or WM_QUIT (posted again) cancel it. A control that
  // leaves its bar hands its begin-group flag to the next one, and the bar is laid out again.
  int DragControl(CTKControl* control, POINT start);
  int GetDragCursor() const { return drag_cursor_; }
  // The paint manager set on this manager, else the global one.
  CTKPaintManager* GetPaintManager() const;
  void SetPaintManager(CTKPaintManager* manager);
  CTKImageManager* GetImageManager() const;
  void SetImageManager(CTKImageManager* manager) { image_manager_ = manager; }
  // Closes every tracked popup of the thread.
  void ClosePopups();
  // The command ids executed most recently (newest last).
  const std::vector<int>& RecentlyUsed() const { return recent_; }
  void RecordUsed(int id);
  // The help id of the control last made hot.
  int LastHelpId() const { return help_id_; }
  void SetLastHelpId(int id) { help_id_ = id; }

  // --- services to the bars ---
  CTKCommandBarOptions& GetOptions() { return options_; }
  const CTKCommandBarOptions& GetOptions() const { return options_; }
  // The class of the popup bars the controls create (CTKPopupBar unless set).
  void SetPopupBarClass(CRuntimeClass* cls) { popup_class_ = cls; }
  CRuntimeClass* GetPopupBarClass() const { return popup_class_; }
  // What draws popup shadows and animations (null: none). Not owned.
  void SetPopupEffects(CTKPopupEffects* effects) { effects_ = effects; }
  CTKPopupEffects* GetPopupEffects() const { return effects_; }
  // The commands the user has used: a popup hides the others behind its expand button.
  bool IsCommandUsed(int id) const;

  // Tool bars: each held by one reference. AddToolBar makes one (no window yet).
  CTKToolBar* AddToolBar(const std::wstring& title, UINT id, const CRuntimeClass* cls = nullptr);
  void AddBar(CTKToolBar* bar);
  void RemoveToolBar(CTKToolBar* bar);
  int GetCount() const { return static_cast<int>(bars_.size()); }
  CTKToolBar* GetAt(int index) const;
  CTKToolBar* FindToolBar(UINT id) const;
  // The menu bar the frame's letters go to first.
  CTKMenuBar* GetMenuBar() const { return menu_bar_; }
  void SetMenuBar(CTKMenuBar* bar) { menu_bar_ = bar; }
  // True when the main bar (the menu bar) is shown and lies in `dock`: that dock bar then lets
  // clicks beside its bars through to the frame, and no dragged bar joins the main bar's row.
  bool IsMainBarShownIn(const CTKDockBar* dock) const;
  // The idle update of every shown bar: their controls' states and pending layouts. A drag runs
  // it after each step, so the bars show their new places at once.
  void UpdateCommandBars();
  void ToggleVisibility(int index);
  // The next shown bar from `index` in steps of +1 or -1, wrapping once; -1 when none.
  int GetNextShownBar(int index, int step) const;
  // Lays the site out now (delay false) or at the next idle update.
  void RecalcFrameLayout(bool delay = false);
  // Puts a bar (or, with a step, the next shown bar after it) into keyboard tracking.
  bool GiveKeyboardToBar(CTKCommandBar* bar, int step = 0);
  // A letter from the frame (WM_SYSKEYDOWN/WM_SYSCHAR): true when a bar took it.
  bool OnFrameAcceleratorKey(UINT key);
  void RedrawCommandBars();
  // Opens a popup at a screen point and tracks it until it closes. Flags: kTrackNested,
  // kTrackRightButton, kTrackRightAlign, kTrackNoNotify, kTrackReturnCommand. With
  // kTrackReturnCommand the chosen command goes to *command and is not sent; the result is the
  // command then (0 when none), else true when the popup opened.
  enum { kTrackNested = 0x1, kTrackRightButton = 0x2, kTrackRightAlign = 0x8, kTrackNoNotify = 0x80,
         kTrackReturnCommand = 0x100 };
  int TrackPopupBar(CTKPopupBar* popup, UINT flags, int x, int y, HWND owner = nullptr,
                    const RECT* exclude = nullptr, int* command = nullptr);
  // The command a returning popup chose (set by the control that runs, read by the loop).
  bool TakeReturnedCommand(int id);

  // The shortcut table: the key text ("Ctrl+Shift+S", "F5", "Del") of each command of an
  // accelerator table, the first key of a command winning. Null empties it.
  void SetShortcutTable(HACCEL table);
  // The table's text for a command; empty when it has none.
  std::wstring GetShortcutText(int id) const;
  // The text of one accelerator key (its FVIRTKEY, FSHIFT, FCONTROL, FALT bits and key).
  static std::wstring ShortcutKeyText(BYTE virt, WORD key);

  // Keyboard tips: shown for `owner` at `level`; hidden; a typed character filters them.
  void ShowKeyboardTips(CTKCommandBar* owner, int level);
  void HideKeyboardTips();
  // True when the character was a tip's (it may have run the tip); false beeps.
  bool FilterKeyboardTips(wchar_t ch);
  // The keyboard-tip level: 0 while the keyboard is outside the bars; 1 once a bar takes it
  // (Alt, a frame letter) or shows its first tips, whether or not tips are shown; deeper for the
  // tips of a popup opened from a tip. It goes back to 0 when the tips are hidden and when no
  // bar of the thread tracks any more.
  int GetKeyboardTipLevel() const { return tip_level_; }
  // True while tip windows are up for their owner: the owner's letters then pick tips.
  bool AreKeyboardTipsShown() const { return tip_owner_ != nullptr; }
  CTKCommandBar* GetKeyboardTipOwner() const { return tip_owner_; }
  // A bar entered or left tracking. A tips owner that leaves takes its tips with it, and once
  // no bar of the thread tracks the keyboard has left the bars.
  void OnTrackingModeChanged(CTKCommandBar* bar, bool tracking);
  const std::vector<CTKCommandBarKeyboardTip*>& GetKeyboardTips() const { return tips_; }
  // One step back from a deeper tip level (Escape); false at level 1 or none.
  bool KeyboardTipsBack();

 private:
  void ExecuteKeyboardTip(CTKCommandBarKeyboardTip* tip);
  void DestroyTips();
  void CreateTipsFor(CTKCommandBar* owner);
  // The windows of the tips made for `owner`, each above its control (or bar).
  void CreateTipWindows(CTKCommandBar* owner, HWND site);

  CTKCommandBarOptions options_;
  CRuntimeClass* popup_class_ = nullptr;
  CTKPopupEffects* effects_ = nullptr;
  std::vector<CTKToolBar*> bars_;
  CTKMenuBar* menu_bar_ = nullptr;
  std::vector<CTKCommandBarKeyboardTip*> tips_;
  CTKCommandBar* tip_owner_ = nullptr;
  int tip_level_ = 0;
  std::wstring tip_prefix_;
  std::vector<CTKCommandBar*> tip_path_;
  int returned_command_ = 0;
  bool returning_ = false;

 private:
  HWND site_ = nullptr;
  bool use_actions_ = false;
  bool customize_mode_ = false;
  CTKControl* customize_selection_ = nullptr;
  HWND customize_window_ = nullptr;
  bool keyboard_cues_ = true;
  std::vector<CTKCommandBar*> drop_targets_;
  int drag_cursor_ = kDragCursorNoDrop;
  CTKControlActions actions_;
  CTKPaintManager* paint_manager_ = nullptr;
  CTKImageManager* image_manager_ = nullptr;
  std::vector<int> recent_;
  std::map<int, std::wstring> shortcuts_;
  int help_id_ = 0;
};
