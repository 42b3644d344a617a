// The base of every item a command bar holds, the shared command ("action") behind controls
// with the same id, and the menu-sound thread.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/appframe/cmd_target.h"
#include "platform/appframe/types.h"
#include "platform/win/scoped_handle.h"
#include "toolkit/commandbars/command_bar_defs.h"

class CTKCommandBar;
class CTKCommandBarManager;
class CTKControls;
class CTKControlAction;
class CTKControlActions;
class CTKPaintManager;
class CTKImageManager;
class CTKImageManagerIcon;
class CTKPropExchange;
class CDC;

// A record sent with the control notification message (10338) and routed as WM_NOTIFY.
struct NMTKCONTROL {
  NMHDR hdr;
  class CTKControl* control;
  LRESULT result;
};

class CTKControl : public CCmdTarget {
  DECLARE_DYNCREATE(CTKControl)

 public:
  using CDocTemplateMap = std::map<UINT, UINT>;

  CTKControl();
  ~CTKControl() override;

  // Effective style: custom style, else style, else the third word, else the bar's default.
  int GetStyle() const;
  void SetStyle(int style) { style_ = style; }
  void SetCustomStyle(int style) { custom_style_ = style; }
  void DelayLayoutParent();
  void RedrawParent();
  void SetVisible(bool visible);
  bool IsVisible() const;  // no hide flag and the action visible
  void SetDefaultItem(bool on) { default_item_ = on; }
  bool IsDefaultItem() const { return default_item_; }
  void SetFlags(int flags) { flags_ = flags; }
  int GetFlags() const { return flags_; }
  void SetCaption(const std::wstring& caption);
  void SetPrompt(const std::wstring& prompt);
  void SetID(int id);
  int GetID() const { return id_; }
  void SetIconId(int id) { icon_id_ = id; }
  int GetIconId() const { return icon_id_; }
  // The id the control's icon is drawn from.
  int GetEffectiveIconId() const;
  void SetCustomIconId(int id) { custom_icon_id_ = id; }
  void SetHelpId(int id) { help_id_ = id; }
  int GetHelpId() const { return help_id_; }
  void SetShortcutText(const std::wstring& text) { shortcut_text_ = text; }
  std::wstring GetShortcutText() const;
  const std::wstring& GetCaptionShortcut() const { return caption_shortcut_; }
  void SetTooltip(const std::wstring& text) { tooltip_ = text; }
  void SetDescription(const std::wstring& text) { description_ = text; }
  void SetParameter(const std::wstring& text) { parameter_ = text; }
  const std::wstring& GetParameter() const { return parameter_; }
  void SetCategory(const std::wstring& text) { category_ = text; }
  const std::wstring& GetCategory() const { return category_; }
  int GetCustomStyle() const { return custom_style_; }
  void SetCustomCaption(const std::wstring& text) { custom_caption_ = text; }
  CTKPaintManager* GetPaintManager() const;
  CTKImageManager* GetImageManager() const;
  // The icon for a wanted width, or null.
  virtual CTKImageManagerIcon* GetIcon(int width) const;
  // Sends the notification to the owner; the answer, or 0 when nobody handled it.
  LRESULT NotifySite(int code);

  int GetIndex() const { return index_; }
  int GetType() const { return type_; }
  void SetType(int type) { type_ = type; }
  CTKCommandBar* GetParent() const { return parent_; }
  CTKControls* GetControls() const { return controls_; }
  CTKControlAction* GetAction() const { return action_; }
  int GetEnabledWord() const { return enabled_; }
  int GetCheckedWord() const { return checked_; }
  bool GetEnabled() const;
  int GetChecked() const;
  virtual void SetEnabled(bool enabled);
  void SetChecked(int checked);
  bool GetBeginGroup() const { return begin_group_; }
  bool GetWrap() const { return wrap_; }
  void SetWrap(bool wrap) { wrap_ = wrap; }
  int GetHideFlags() const { return hide_flags_; }
  void SetHideFlag(int flag, bool on);
  bool IsTemporary() const { return temporary_; }
  void SetTemporary(bool on) { temporary_ = on; }
  const CRect& GetRect() const { return rect_; }
  const CRect& GetRowRect() const { return row_rect_; }
  void SetRowRect(const CRect& rc) { row_rect_ = rc; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  int GetExecuteOnPressInterval() const { return execute_interval_; }
  void SetExecuteOnPressInterval(int ms) { execute_interval_ = ms; }
  bool GetCloseSubMenuOnClick() const { return close_submenu_; }
  void SetCloseSubMenuOnClick(bool on) { close_submenu_ = on; }
  DWORD_PTR GetTag() const { return tag_; }
  void SetTag(DWORD_PTR tag) { tag_ = tag; }
  bool IsCustomizeMode() const;
  int GetPressed() const { return pressed_; }
  void SetPressed(int state) { pressed_ = state; }
  // The letters of the control's keyboard tip where its bar shows fixed tips (empty: none).
  const std::wstring& GetKeyboardTip() const { return keyboard_tip_; }
  void SetKeyboardTip(const std::wstring& text) { keyboard_tip_ = text; }

  // --- overridable operations ---
  virtual std::wstring GetCaption() const;
  virtual std::wstring GetDescription() const;
  virtual std::wstring GetTooltip() const;
  virtual void SetBeginGroup(bool begin) { if (begin_group_ != begin) { begin_group_ = begin; DelayLayoutParent(); } }
  virtual int GetSelected() const { return selected_; }
  virtual void SetRect(const CRect& rc) { rect_ = rc; }
  virtual bool IsCaptionVisible() const;
  virtual bool IsEqual(const CTKControl* other) const;
  virtual CTKCommandBar* GetCommandBar() const { return nullptr; }
  virtual void SetHideFlags(int flags) { hide_flags_ = flags; }
  virtual void OnExecute();
  virtual CSize GetSize(CDC* dc);
  virtual void Draw(CDC* dc);
  virtual void OnBeforeLayout() {}
  virtual void OnClick(bool keyboard = false, CPoint pt = CPoint());
  virtual bool GetPopuped() const { return false; }
  virtual void SetAction(CTKControlAction* action);
  virtual void SetWidth(int width) { if (width_ != width) { width_ = width; DelayLayoutParent(); } }
  virtual void SetHeight(int height) { if (height_ != height) { height_ = height; DelayLayoutParent(); } }
  virtual void SetParent(CTKCommandBar* bar) { parent_ = bar; }
  virtual void Copy(const CTKControl* source, bool deep);
  virtual bool OnSetPopup(bool open) { return false; }
  virtual void OnLButtonUp(CPoint point) {}
  virtual void OnRButtonUp(CPoint point) {}
  virtual void OnMouseMove(CPoint point) {}
  virtual void OnLButtonDblClk(CPoint point) { OnClick(false, point); }
  virtual bool OnHookKeyDown(UINT key) { return false; }
  // Hover delay expired (the bar's timer 112223).
  virtual void OnMouseHover();
  virtual void SetSelected(int selected);
  // Keyboard execution (Enter, or an accelerator letter).
  virtual void OnExecuteByKeyboard() { OnClick(true); }
  virtual void OnUnderlineActivate() { OnExecuteByKeyboard(); }
  // Customize mode: the drag of the control pressed at a screen point (the manager's drag
  // loop); its answer is the manager's drag result.
  virtual int CustomizeStartDrag(POINT screen);
  // A control dragged in customize mode passes over this one.
  virtual void OnCustomizeDragOver(CTKControl* dragged) {}
  virtual bool IsCustomizeResizeAllowed() const { return false; }
  virtual int GetCustomizeMinWidth() const { return 0; }
  virtual void OnActionChanged(int property) {}
  virtual CTKControl* Clone(bool deep) const;
  // The control's own face and states are drawn by the paint manager unless it says otherwise.
  virtual bool DrawsOwnFace() const { return false; }
  // Whether the control wants keys while it is hot (edit and combo boxes).
  virtual bool WantsKeysWhileHot() const { return false; }
  // Saves or loads the control's keys (its class is written before them by the collection).
  virtual void DoPropExchange(CTKPropExchange* px);

  // The press operation: tracks the mouse until the button is released, capture is lost, a
  // cancel key or WM_QUIT arrives (WM_QUIT is posted again). True when the press was a click.
  bool ClickToolBarButton(CPoint pt);

  // Owned references (the control is a command target with a reference count).
  void AddRef() { InternalAddRef(); }
  void Release() { InternalRelease(); }

 protected:
  friend class CTKControls;
  friend class CTKControlAction;

  DWORD_PTR tag_ = 0;
  int index_ = -1;
  int id_ = 0, icon_id_ = 0, help_id_ = 0, custom_icon_id_ = 0;
  bool wrap_ = false, begin_group_ = false;
  int enabled_ = 1, checked_ = 0, selected_ = 0, pressed_ = 0;
  bool temporary_ = false;
  CRect rect_, row_rect_;
  int hide_flags_ = 0, flags_ = 0;
  std::wstring caption_, custom_caption_, shortcut_text_, caption_shortcut_, tooltip_, description_, parameter_,
      category_, keyboard_tip_;
  CTKControls* controls_ = nullptr;
  int type_ = 0;
  CTKCommandBar* parent_ = nullptr;
  int expanded_state_ = 0;
  bool default_item_ = false;
  CDocTemplateMap assigned_docs_, excluded_docs_;
  int style_ = 0, custom_style_ = -1, style_third_ = 0;
  bool close_submenu_ = true;
  CTKControlAction* action_ = nullptr;
  int width_ = 0, height_ = 0, execute_interval_ = 0;
};

// A command shared by every control with its id.
class CTKControlAction : public CCmdTarget {
 public:
  explicit CTKControlAction(CTKControlActions* owner, int id);
  ~CTKControlAction() override;

  int GetID() const { return id_; }
  int GetIconId() const { return icon_id_; }
  void SetIconId(int id) { icon_id_ = id; }
  int GetHelpId() const { return help_id_; }
  bool GetEnabled() const;
  void SetEnabled(bool on);
  int GetChecked() const { return checked_; }
  void SetChecked(int checked);
  bool IsVisible() const { return visible_; }
  void SetVisible(bool on);
  const std::wstring& GetCaption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  const std::wstring& GetTooltip() const { return tooltip_; }
  const std::wstring& GetDescription() const { return description_; }
  const std::wstring& GetShortcutText() const { return shortcut_; }
  void SetPrompt(const std::wstring& prompt);
  void SetTooltip(const std::wstring& text) { tooltip_ = text; }
  void SetDescription(const std::wstring& text) { description_ = text; }
  void SetShortcutText(const std::wstring& text) { shortcut_ = text; }
  const std::vector<CTKControl*>& Controls() const { return controls_; }
  CTKControlActions* Owner() const { return owner_; }
  // An object the command keeps for its controls (a gallery's items): one reference held.
  CCmdTarget* GetOwnedObject() const { return owned_; }
  void SetOwnedObject(CCmdTarget* object) {
    if (object) object->InternalAddRef();
    if (owned_) owned_->InternalRelease();
    owned_ = object;
  }

 private:
  friend class CTKControl;
  void RedrawControls();

  int id_, icon_id_ = 0, help_id_ = 0, reserved_ = 0;
  bool enabled_ = true;
  int checked_ = 0;
  bool visible_ = true;
  std::wstring caption_, tooltip_, description_, shortcut_, category_, edit_hint_;
  std::vector<CTKControl*> controls_;
  CCmdTarget* owned_ = nullptr;
  CTKControlActions* owner_;
};

class CTKControlActions {
 public:
  explicit CTKControlActions(CTKCommandBarManager* manager) : manager_(manager) {}
  ~CTKControlActions();
  CTKControlActions(const CTKControlActions&) = delete;
  CTKControlActions& operator=(const CTKControlActions&) = delete;

  static bool IsActionId(int id) { return id >= 1 && id <= 0xFFFFFFE; }
  CTKControlAction* Find(int id) const;
  // Finds or creates; null for ids that have no action.
  CTKControlAction* Add(int id);
  size_t Count() const { return actions_.size(); }
  CTKCommandBarManager* Manager() const { return manager_; }

 private:
  CTKCommandBarManager* manager_;
  std::vector<CTKControlAction*> actions_;
};

// Loads tooltip and description of a command id from the string table: "description\ntooltip".
bool TKLoadCommandPrompt(int id, std::wstring* prompt);

// The process's menu-sound thread: plays "MenuCommand" (1) or "MenuPopup" (2) away from the UI
// thread.
class CTKSoundThread {
 public:
  enum { kNone = 0, kCommand = 1, kPopup = 2 };
  using PlayFn = BOOL (*)(const wchar_t* alias, DWORD flags);

  static CTKSoundThread& Instance();
  void Request(int sound);
  void SetEnabled(bool on) { enabled_ = on; }
  // Ends the thread: a playing sound is stopped, and the thread finishes on its own.
  void Stop();
  bool IsRunning() const { return thread_.IsValid(); }
  // Seam: the function that plays (and, with a null alias, stops) sounds.
  void SetPlayFunction(PlayFn fn) { play_ = fn; }

  ~CTKSoundThread();

 private:
  CTKSoundThread() = default;
  static DWORD WINAPI ThreadProc(void* self);
  void Run();

  volatile LONG request_ = kNone;
  bool enabled_ = true;
  KestrinWinNS::CScopedKernelHandle thread_;
  KestrinWinNS::CScopedKernelHandle wake_;
  volatile LONG stop_ = 0;
  PlayFn play_ = nullptr;
};
