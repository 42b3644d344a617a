// The window every command bar derives from: it owns the controls, knows the hot control and
// the control whose popup is open, runs the keyboard tracking mode and the hover timers, and
// draws through the paint manager in force. It is a control bar of the frame it lies in: the
// frame's layout pass places it by its bar style's alignment, and the frame's idle update sets
// its controls' states through the frame's command route.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/appframe/control_bar.h"
#include "platform/appframe/wnd.h"
#include "toolkit/commandbars/animation.h"
#include "toolkit/commandbars/command_bar_defs.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/commandbars/hook_manager.h"

class CTKCommandBarManager;
class CTKPaintManager;
class CTKImageManager;
class CTKDockBar;
class CTKDockContext;
class CTKPropExchange;
class CTKCommandBarKeyboardTip;

// The update request a bar runs for each of its controls.
class CCommandBarCmdUI : public CCmdUI {
 public:
  void Enable(bool on = true) override;
  void SetCheck(int check = 1) override;
  void SetText(const wchar_t* text) override;
  CTKControl* m_pControl = nullptr;
};

class CTKCommandBar : public CControlBar, public CTKHookManagerHookAble {
  DECLARE_DYNCREATE(CTKCommandBar)

 public:
  // Navigation codes.
  enum { kNavNext = 0, kNavPrev, kNavCollapse, kNavExpand, kNavCancel, kNavExecute, kNavFirst, kNavLast };
  // How a control became hot.
  enum { kHotMouse = 0, kHotProgram = 1, kHotKeyForward = 2, kHotKeyBackward = 3 };
  // Key handler answers.
  enum { kKeyNotHandled = 0, kKeyHandled = 1, kKeyPassOn = 2 };

  CTKCommandBar();
  ~CTKCommandBar() override;

  // Creates the bar window (a child of parent, or a popup when parent is null or the style says so).
  bool Create(HWND parent, DWORD style, const RECT& rect, UINT id = 0);

  CTKControls* GetControls() const { return controls_; }
  int GetControlCount() const { return controls_->GetCount(); }
  CTKControl* GetControl(int index) const { return controls_->GetAt(index); }
  CTKCommandBarManager* GetCommandBarManager() const;
  void SetCommandBarManager(CTKCommandBarManager* manager);
  CTKCommandBar* GetRootParent();
  HWND GetSite() const;
  HWND GetOwnerSite() const;
  CTKPaintManager* GetPaintManager() const;
  void SetPaintManager(CTKPaintManager* manager);
  CTKImageManager* GetImageManager() const;
  void SetImageManager(CTKImageManager* manager) { image_manager_ = manager; }
  bool IsRightToLeft() const;
  bool IsCustomizeMode() const;
  bool IsGripperVisible() const { return (m_dwStyle & CBRS_GRIPPER) != 0; }
  void SetGripperVisible(bool on) { m_dwStyle = on ? (m_dwStyle | CBRS_GRIPPER) : (m_dwStyle & ~CBRS_GRIPPER); }
  void SetFlags(DWORD add, DWORD remove = 0) { flags_ = (flags_ | add) & ~remove; }
  DWORD GetFlags() const { return flags_; }
  void SetWidth(int width) { width_ = width; }
  int GetWidth() const { return width_; }

  int GetType() const { return type_; }
  void SetType(int type) { type_ = type; }
  int GetPosition() const { return position_; }
  void SetPosition(int position) { position_ = position; }
  bool IsVertical() const { return TKCommandBars::IsVerticalPosition(position_); }
  const std::wstring& GetTitle() const { return title_; }
  void SetTitle(const std::wstring& title) { title_ = title; }
  CSize GetIconSize() const;
  void SetIconSize(CSize size) { icon_size_ = size; }
  void SetButtonSize(CSize size) { button_size_ = size; }
  int GetDefaultButtonStyle() const { return default_button_style_; }
  void SetDefaultButtonStyle(int style) { default_button_style_ = style; }
  int GetShowTextBelowIcons() const { return text_below_icons_; }
  // A popup that shows two columns before its captions: the checks, then the icons.
  bool GetShowTwoColumns() const { return two_columns_; }
  void SetShowTwoColumns(bool on) { two_columns_ = on; }
  void SetShowTextBelowIcons(int on) { text_below_icons_ = on; }
  int GetHotIndex() const { return hot_; }
  int GetExpandedIndex() const { return expanded_; }
  CTKControl* GetHotControl() const { return GetControl(hot_); }
  int GetTrackingMode() const { return tracking_; }
  bool IsTrackingMode() const { return tracking_ != 0; }
  bool IsKeyboardEntered() const { return keyboard_entered_; }
  int& IgnoreInput() { return ignore_input_; }
  void SetHoverDelay(bool on) { hover_delay_ = on; }
  int GetPendingLayout() const { return pending_; }
  CTKControl* GetLastPressed() const { return last_pressed_; }
  void SetLastPressed(CTKControl* control) { last_pressed_ = control; }
  // The row layout of the controls at a length (see CTKControls::CalcLayout), with this bar's
  // borders and paint manager.
  CSize LayoutControls(int length, DWORD flags, bool* wrapped = nullptr);
  // Opens (index >= 0) or closes (-1) a control's popup.
  bool SetPopupOpen(int index, bool byKeyboard);
  // The mouse manager's questions: 1 when the screen point is the bar's, -2 when not.
  int HitTestScreenPoint(POINT pt) const;
  void TrackHotAt(POINT client);
  // The accelerator search for a key (CTKAcceleratorSearch), from the control after the hot one
  // round once: the index found (-1 none); *ambiguous when another one matches.
  int FindAccelerator(UINT key, bool* ambiguous) const;
  // Tells the bar its controls changed (renumbering).
  void OnControlsChanged() { pending_ |= 1; }
  // Reference count: held by popup controls and owners; the last release destroys the window.
  void AddRef() { InternalAddRef(); }
  void Release() { InternalRelease(); }

  // --- overridable operations ---
  virtual void OnRecalcLayout() { pending_ |= 2; }
  virtual bool SetTrackingMode(int mode, bool selectFirst = true, bool keyboard = false);
  virtual bool LoadMenu(HMENU menu, bool removeAll = true);
  virtual bool SetHotControl(int index, int how = kHotProgram);
  virtual bool LoadToolBar(UINT id, bool loadImages = true);
  virtual CSize GetButtonSize() const;
  // Shows this bar at a control (popup bars); the base cannot.
  virtual bool Popup(CTKControl* control, bool selectFirst) { return false; }
  virtual bool IsBarVisible() const { return false; }
  virtual bool IsCustomizable() const { return customizable_; }
  virtual void OnHotControlNotice(bool selected, CTKControl* control);
  virtual CTKCommandBar* GetParentBar() const { return nullptr; }
  virtual bool IsKeyboardCuesVisible() const;
  virtual void DelayLayout() { pending_ |= 1; }
  virtual void DrawCommandBar(CDC* dc, const CRect& clip);
  // The whole client area in the button face colour, then the bar drawn over it: where a theme
  // part draws nothing the face shows, not what the DC held before (a new buffer's black).
  void PaintFaceAndBar(CDC* dc, const CRect& clip);
  virtual CRect GetBorders() const;
  virtual int OnHookKeyDown(UINT key, LPARAM data);
  virtual CSize CalcSize(int length, DWORD mode) { return CSize(); }
  virtual bool OnNavigate(int code);
  virtual void ResetState();
  virtual void Copy(const CTKCommandBar* source, bool deep);
  virtual bool PointInBar(POINT screen) const;
  virtual void FillBackground(CDC* dc);
  virtual void OnIdleUpdate();
  // The tool of the bars' tooltips under a client point: its id (0 when none), rectangle, tip
  // text and description, and its tool flags (kTKToolShowAtOnce and the tooltip's TTF_ bits).
  // The bars' hit test answers with no flags; a bar may answer for its tools itself.
  virtual UINT_PTR ToolHitTest(POINT client, RECT* rect, std::wstring* text, std::wstring* description, UINT* flags);
  // When the manager's options ask for it, each visible control with a command id takes its
  // shortcut text from the manager's shortcut table.
  virtual void UpdateShortcuts();
  virtual void OnTrackingModeChanged() {}
  // Saves or loads the bar's keys and its controls; a load that fails leaves the bar as it was.
  virtual void DoPropExchange(CTKPropExchange* px);
  // Whether the bar's controls are saved with its keys (a bar that builds its own controls and
  // saves what the user chose of them on its own says no).
  virtual bool ExchangesControls() const { return true; }
  // Keyboard tips of a bar that places its own: fills `tips` (texts set) for `level` and
  // answers true; false lets the manager make one tip per control.
  virtual bool CreateKeyboardTips(int level, std::vector<CTKCommandBarKeyboardTip*>* tips) { return false; }
  // A tip of this bar was typed: true when the bar ran it itself.
  virtual bool ExecuteKeyboardTip(CTKCommandBarKeyboardTip* tip) { return false; }
  // The id saved state knows the bar by.
  UINT GetBarID() const { return bar_id_; }
  void SetBarID(UINT id) { bar_id_ = id; }

  // --- docking ---
  // The dock bar the bar lies in (null while floating or outside the frame's dock bars).
  CTKDockBar* GetDockBar() const { return dock_bar_; }
  void SetDockBar(CTKDockBar* dock) { dock_bar_ = dock; }
  // The bar's mouse loops and docking memory; null until EnableDockContext (a bar that never
  // moves has none).
  CTKDockContext* GetDockContext() const { return dock_context_.get(); }
  CTKDockContext* EnableDockContext();
  // The size docked on a side, `length` along it; LM_ bits (LM_HORZDOCK or LM_VERTDOCK,
  // LM_STRETCH, LM_COMMIT) and kLayoutWrapAllowed. The base lays its controls out in one row
  // unless wrapping is allowed.
  virtual CSize CalcDockedSize(int length, DWORD layout);
  // The size floating, `length` the width (-1: the remembered width word).
  virtual CSize CalcFloatingSize(int length, DWORD layout);
  // The snapshot painting and redraw fades; the bar paints through it while it is switched on
  // (EnableAnimation) or double buffered.
  CTKCommandBarAnimation& GetAnimation() { return animation_; }
  // Lays the bar out again where it is: a floating bar takes its floating size, a docked one
  // asks the frame for a layout.
  virtual void Relayout();
  // A bar that sizes freely takes any size its border is dragged to while it floats; the others
  // take the size their controls need for the dragged width or height.
  virtual bool SizesFreely() const { return false; }
  // Such a bar's dragged border asks for the window rectangle `screen` (screen coordinates) by
  // the border part `edge` (HTLEFT .. HTBOTTOMRIGHT): the bar takes it and lays out again, or
  // refuses it (false) and keeps the size it has.
  virtual bool SizeTo(const CRect& screen, int edge);

  // --- customize drag and drop ---
  // Whether a control dragged in customize mode may be dropped on the bar.
  virtual bool AcceptsDrop(const CTKControl* control) const;
  // A control dragged over the client point `pt`: the control under the point hears of it
  // first (a popup control opens its popup), then the bar places its drop marker. The answer is
  // the drop effect asked for (kDragCopied or kDragMoved), or kDragNothing where the bar takes
  // none.
  virtual int OnCustomizeDragOver(CTKControl* control, CPoint pt, int effect);
  // The drag left the bar: the drop marker goes.
  virtual void OnCustomizeDragLeave();
  // The control dropped at `pt`: a copy goes in at the marker (the control itself leaves its
  // bar afterwards when the effect is a move); dropped on itself, it only begins a group, or
  // stops beginning one, when the pointer moved more than 4 pixels on from `start` (screen).
  // The answer is the effect that took place (kDragNothing when the control stays where it was).
  virtual int OnCustomizeDrop(CTKControl* control, CPoint pt, int effect, POINT start);
  // A press at the client point `pt` starts the customize drag of `control`; the answer is the
  // drag's effect (kDragNothing when the bar has no window).
  int StartCustomizeDrag(CTKControl* control, CPoint pt);
  // The drop marker (empty: none) and where a drop would insert.
  const CRect& GetDropMarker() const { return drop_marker_; }
  int GetDropIndex() const { return drop_index_; }
  // The manager whose drop targets the bar is among; it forgets it when it goes first.
  void ForgetDropRegistry() { drop_registry_ = nullptr; }

  // --- the frame's control bar ---
  // The bar style; a dock alignment (CBRS_ALIGN_ bits, or CBRS_FLOATING) also sets the position.
  void SetBarStyle(DWORD style) override;
  // The bar's size for the frame's layout pass: the controls laid out across the side's length.
  CSize CalcFixedLayout(bool stretch, bool horizontal) override;
  // The size at a length under the LM_ bits, through the bar's size calculation (CalcSize).
  CSize CalcDynamicLayout(int length, DWORD mode) override;
  // The frame's idle update: the controls' states from the frame's command route.
  void OnUpdateCmdUI(CFrameWnd* target, bool disable_if_no_handler) override;

  // CTKHookManagerHookAble: keys from the keyboard manager while tracking.
  int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnFinalRelease() override;
  void OnTimer(UINT_PTR id);
  void OnPaint();
  void OnLButtonDown(CPoint pt);
  void OnLButtonUp(CPoint pt);
  void OnRButtonUp(CPoint pt);
  void OnMouseMove(CPoint pt);
  void OnMouseLeave();
  void OnBarDestroy();
  bool OnRowNavigate(int code);
  // Copies the bar's keys (type, position, id, flags, style, title, sizes, manager), not its
  // controls.
  void CopyBarKeys(const CTKCommandBar* source);
  // Places the drop marker for a point: beside the control nearest to it (after it when the
  // point lies past its middle along the bar), or at the start of an empty bar. The control it
  // lies beside (null: none) is the answer.
  CTKControl* PlaceDropMarker(CPoint pt);
  // The I-beam of inverted pixels in the drop marker.
  void DrawDropMarker(CDC* dc) const;
  // Runs the update requests of the visible controls against `target`'s route, then consumes
  // the pending-layout word.
  void UpdateControls(CCmdTarget* target, bool disable_if_no_handler);

  CTKControls* controls_;
  CTKCommandBarManager* manager_ = nullptr;
  int type_ = TKCommandBars::kToolBar;
  int position_ = TKCommandBars::kUnplaced;
  int hot_ = -1, expanded_ = -1;
  int tracking_ = 0;
  bool keyboard_entered_ = false;
  bool tracking_callback_ = false;
  bool hide_caret_ = true;
  HWND caret_window_ = nullptr;
  DWORD flags_ = 0;
  std::wstring title_;
  UINT bar_id_ = 0;
  int width_ = 0x7FFF;
  CSize icon_size_, button_size_;
  int text_below_icons_ = 2;
  bool two_columns_ = false;
  int default_button_style_ = 0;
  bool customizable_ = true;
  int ignore_input_ = 0;
  int pending_ = 0;
  CTKPaintManager* paint_manager_ = nullptr;
  CTKImageManager* image_manager_ = nullptr;
  bool hover_delay_ = true;
  CTKControl* last_pressed_ = nullptr;
  CTKControl* last_notice_ = nullptr;
  CTKDockBar* dock_bar_ = nullptr;
  std::unique_ptr<CTKDockContext> dock_context_;
  CTKCommandBarAnimation animation_;
  CRect drop_marker_;
  int drop_index_ = -1;
  bool drop_begin_group_ = false;
  CTKCommandBarManager* drop_registry_ = nullptr;
};
