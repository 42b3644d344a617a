// The bar that opens as a top-level window beside the control that owns it (a menu title, a
// sub-menu item, a popup button, a tool bar's expand button) or at a point, and closes when its
// tracking ends. It places itself on the work area of the monitor it opens on, scrolls when it
// is taller than that area, hides rarely used items behind an expand button, and can be torn
// off into a floating tool bar.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/control_button.h"

class CTKPopupBar;
class CTKToolBar;

// What draws a popup's shadow and its opening animation. The manager holds one (none by
// default); without one a popup opens without shadow and animation.
class CTKPopupEffects {
 public:
  virtual ~CTKPopupEffects() = default;
  // Draws the popup's opening of `kind` (2 slide, 3 unfold, 4 fade) from `screen` (what lay
  // under `rect` before) to `contents` (the popup as it will look); `down` when it grows down.
  virtual void AnimatePopup(CTKPopupBar* bar, CDC* screen, CDC* contents, const CRect& rect, int kind, bool down) = 0;
  // Gives the open popup its shadow beside the exclude rectangle (screen coordinates).
  virtual void ShowPopupShadow(CTKPopupBar* bar, const CRect& exclude) = 0;
  virtual void RemovePopupShadow(CTKPopupBar* bar) = 0;
};

class CTKPopupBar : public CTKCommandBar {
  DECLARE_DYNCREATE(CTKPopupBar)

 public:
  // Direction bits: open towards the left; drop below or above the control (else beside it).
  enum { kDirLeft = 1, kDirDrop = 2 };
  enum { kTimerScrollDown = 5001, kTimerScrollUp = 5002, kTimerTearOff = 5003, kTimerExpand = 5004 };
  enum { kScrollPeriod = 80, kTearOffPeriod = 80, kExpandDelay = 900 };
  static constexpr int kScrollArrowHeight = 16;
  static constexpr int kExpandButtonId = 9150;
  // Message posted to a popup laid out again while it showed keyboard tips.
  static constexpr UINT kMsgShowTipsAgain = 52426;

  // The expand button at the bottom of a popup whose rarely used items are hidden.
  class CControlExpandButton : public CTKControlButton {
   public:
    CControlExpandButton();
    void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
    void OnExecute() override;
  };

  // A scroll arrow: its rectangle (client coordinates; empty when hidden) and its timer.
  struct ScrollArrow {
    CRect rect;
    UINT_PTR timer = 0;
    bool running = false;
  };

  // A new popup bar of the manager's popup class (this class unless the manager names another).
  static CTKPopupBar* CreatePopupBar(CTKCommandBarManager* manager);

  CTKPopupBar();
  ~CTKPopupBar() override;

  // Opens at a control; false when it cannot open.
  bool Popup(CTKControl* control, bool selectFirst) override;
  // Opens at a screen point with no control; `exclude` (screen) is a rectangle to keep clear.
  bool PopupAt(POINT pt, const CRect& exclude = CRect(), bool selectFirst = false);
  bool IsBarVisible() const override;
  CTKCommandBar* GetParentBar() const override;
  CTKControl* GetParentControl() const { return parent_control_; }

  // --- placement ---
  // The exclude rectangle and the direction bits from the parent control.
  virtual void UpdateExcludeAndDirection();
  // The screen rectangle for a popup of `size` (may change the direction, scroll or re-measure).
  virtual CRect CalcPopupRect(CSize size);
  // The parent control's paint manager may widen or move the rectangle it keeps clear.
  virtual void AdjustExcludeRect(CRect& rect, bool vertical);
  const CRect& GetExcludeRect() const { return exclude_; }
  void SetExcludeRect(const CRect& rect) { exclude_ = rect; }
  int GetDirection() const { return direction_; }
  void SetDirection(int bits) { direction_ = bits; }
  POINT GetPopupPoint() const { return point_; }
  void SetPopupPoint(POINT pt) { point_ = pt; }
  // The popup's own permission to change side when it does not fit.
  void SetFlipAllowed(bool on) { flip_ = on; }

  // --- size ---
  // `length`: the most a column may be high (the work area's height; 32767 for no limit).
  // kKeepState in `mode` measures without resetting the controls' states.
  enum { kKeepState = 0x10000 };
  CSize CalcSize(int length, DWORD mode) override;
  CRect GetBorders() const override { return borders_; }
  void SetBorders(const CRect& borders) { borders_ = borders; }
  // The width a popup tool bar lays its rows out in.
  void SetPopupWidth(int width) { popup_width_ = width; }
  int GetPopupWidth() const { return popup_width_; }

  // --- rarely used items ---
  bool IsExpanded() const { return expanded_all_; }
  bool IsExpandButtonShown() const { return show_expand_; }
  // Shows every control (the expand button's work); false when there was nothing to expand.
  bool ExpandBar();

  // --- scrolling ---
  bool IsScrolling() const { return scrolling_; }
  int GetFirstVisible() const { return first_visible_; }
  int GetAfterLastVisible() const { return after_last_; }
  const ScrollArrow& GetScrollArrow(bool down) const { return down ? arrow_down_ : arrow_up_; }
  // Scrolls one control (down or up); false at the end.
  bool ScrollStep(bool down);

  // --- tear-off ---
  void SetTearOffPopup(const std::wstring& title, UINT barId, int width = 400);
  bool IsTearOffPopup() const { return tear_off_; }
  UINT GetTearOffId() const { return tear_off_id_; }
  const CRect& GetTearOffRect() const { return tear_off_rect_; }
  // The drag that tears the popup off, from a press at `screen`; true when a bar was torn off.
  bool TrackTearOff(POINT screen);
  CTKToolBar* GetTornOffBar() const { return torn_bar_; }

  // --- shadow and animation ---
  void SetShowShadow(bool on) { shadow_ = on; }
  bool GetShowShadow() const { return shadow_; }
  // The animation kind in force: 5 none, 2 slide, 3 unfold, 4 fade.
  int GetAnimationKind() const;
  // A count of how many shows are under way on this popup (0 when idle).
  int GetReentryCount() const { return reentry_; }
  bool IsShown() const { return (shown_flags_ & 1) != 0; }

  // --- command bar ---
  bool SetTrackingMode(int mode, bool selectFirst = true, bool keyboard = false) override;
  bool SetHotControl(int index, int how = kHotProgram) override;
  int OnHookKeyDown(UINT key, LPARAM data) override;
  // Steps skip the items the popup hides (rarely used, scrolled out of view excepted).
  bool OnNavigate(int code) override;
  void Copy(const CTKCommandBar* source, bool deep) override;
  void DrawCommandBar(CDC* dc, const CRect& clip) override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  // Creates the window on first show.
  bool CreatePopupWindow();
  // Lays the controls out as the popup's column(s); returns the size inside the borders.
  virtual CSize LayoutPopupControls(CDC* dc, int maxHeight);
  // Whether the control starts a new column even where the current one has room.
  virtual bool StartsColumn(const CTKControl* control) const { return false; }
  // Marks the rarely used controls from the manager's list of used commands.
  void UpdateRarelyUsed();
  // Lays the visible range out from first_visible_ down (or from after_last_ - 1 up).
  void LayoutScrolling(bool downwards);
  void ScrollIntoView(int index);
  void OnTimerTick(UINT_PTR id);
  void OnPopupMouseMove(CPoint pt);
  void OnPopupLButtonDown(CPoint pt);
  void Relayout();
  void PaintPopup();
  void ShowWithEffects(const CRect& rect, bool down);
  CTKPopupEffects* Effects() const;

  CTKControl* parent_control_ = nullptr;
  CRect exclude_;
  POINT point_{0, 0};
  int direction_ = 0;
  CRect borders_{2, 4, 2, 4};
  int popup_width_ = 0;
  bool flip_ = false;
  bool shadow_ = true;
  bool tear_off_ = false;
  std::wstring tear_off_title_;
  UINT tear_off_id_ = 0;
  int tear_off_width_ = 400;
  CRect tear_off_rect_;
  bool tear_off_hot_ = false;
  CTKToolBar* torn_bar_ = nullptr;
  bool show_expand_ = false;
  bool expanded_all_ = false;
  bool scrolling_ = false;
  int first_visible_ = 0, after_last_ = 0;
  ScrollArrow arrow_down_, arrow_up_;
  bool keyboard_opened_ = false;
  int reentry_ = 0;
  int shown_flags_ = 0;
  int suppress_animation_ = 0;
  int max_height_ = 32767;
  CSize popup_size_;
  // The borders in force for the last layout (the tear-off caption and expand button added).
  CRect layout_borders_{2, 4, 2, 4};
};

// A popup whose controls are laid out in rows like a tool bar's (a tool bar's expand button
// opens one).
class CTKPopupToolBar : public CTKPopupBar {
  DECLARE_DYNCREATE(CTKPopupToolBar)

 public:
  CTKPopupToolBar();

 protected:
  CSize LayoutPopupControls(CDC* dc, int maxHeight) override;
};

// Whether a popup opened on this thread records that menus stay expanded.
bool TKMenusExpandedOnThread();
void TKSetMenusExpandedOnThread(bool on);
