// The skin object of top-level windows, dialogs and every class without an object of its own:
// the non-client area (borders, caption with icon, text and caption buttons, the window's own
// scroll bars and size box), the window region that shapes the frame's corners, and the
// skin's control colours and dialog background.
#pragma once

#include <vector>

#include "toolkit/skin/skin_object.h"
#include "toolkit/skin/skin_schema.h"

class CTKSkinScrollBar;

class CTKSkinObjectFrame : public CTKSkinObject {
 public:
  static constexpr UINT_PTR kHoverTimer = 2763;
  static constexpr UINT_PTR kRecalcTimer = 2765;

  // One button of the caption; its rectangle (window coordinates) is set by the schema's layout.
  struct CCaptionButton {
    int hitCode;
    int part;  // WINDOW part
    UINT command;
    bool enabled;
    RECT rect;
  };

  explicit CTKSkinObjectFrame(const wchar_t* skinClassName = L"WINDOW") : CTKSkinObject(skinClassName) {}

  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  bool OnDefaultMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void Refresh() override;
  void OnSkinStateChange(int oldLoaded, int newLoaded) override;
  void RedrawScrollBar(int bar) override;
  bool TrackingPosition(int bar, int* position) const override;

  // The whole non-client area into a DC whose origin is the window's top-left corner.
  virtual void DrawFrame(HDC dc);
  // Whether the client edge is drawn in its disabled colour.
  virtual bool CountsAsDisabled() const { return !IsWindowEnabled(hwnd_); }
  // Draws the frame on the window's own DC now.
  void RedrawFrame();
  // The object's own hit test (window coordinates): a frame scroll bar or an enabled caption
  // button, else 0.
  int HitTest(POINT windowPoint);

  bool IsActive() const { return active_; }
  std::vector<CCaptionButton>& CaptionButtons() { return buttons_; }
  // 1 normal, 2 hot, 3 pushed, 4 disabled; 4 more for an inactive window.
  int ButtonState(size_t index) const;
  int HotButton() const { return hot_button_; }
  int PressedButton() const { return pressed_button_; }
  // The window's own scroll bar (SB_HORZ or SB_VERT) as last laid out and drawn.
  const CTKSkinScrollBarInfo& ScrollBar(int bar) const { return bar == SB_HORZ ? horz_ : vert_; }
  bool IsScrollBarShown(int bar) const { return bar == SB_HORZ ? horz_shown_ : vert_shown_; }
  bool FramesSkinned() const;
  bool HasCaption() const;

 protected:
  // Replaces the system's default control brushes by the skin's; brushes chosen by the window
  // itself are left alone.
  bool HandleControlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool EraseWithSkinClassBrush(WPARAM wParam, LPARAM lParam, LRESULT* result);
  // The non-client messages, on whichever path reaches the window first: one handler each,
  // true when the message is answered (`result`, set to 0 before, is the answer).
  bool HandleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnNcPaint();
  bool OnNcCalcSize(WPARAM wParam, LPARAM lParam);
  bool OnNcHitTest(WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnNcMouseMove(LPARAM lParam);
  bool OnNcMouseLeave();
  bool OnNcLButtonDown(WPARAM wParam, LPARAM lParam);
  bool OnNcRButtonUp(LPARAM lParam);
  bool OnNcActivate(WPARAM wParam, LRESULT* result);
  bool OnSetText(WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnStyleChanged(WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnCreate(WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnWindowPosChanging(WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnPrint(WPARAM wParam, LPARAM lParam);
  bool OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnEnterIdle();
  bool OnTimer(WPARAM id);
  // A press on a window scroll bar; false leaves it to the system's own tracking.
  virtual bool TrackScrollBar(int bar, int element, POINT windowPoint, bool shift);

  void RebuildButtonsIfStyleChanged();
  // Applies the skin's region for the window's current (or coming) size; removes it when the
  // window has no caption or the frames are not skinned.
  void UpdateRegion();
  void UpdateRegion(SIZE size);
  // Recomputes the frame after a skin change and repaints it.
  void RefreshFrame();
  void LayoutScrollBars();
  void RecalcNonClient();
  // Places a maximised MDI child over its parent's whole client area, its borders outside it.
  void CoverParentClient();
  void SetHover(POINT windowPoint);
  void RunButtonLoop();
  RECT WindowRectOrigin() const;
  POINT ScreenToWindowPoint(LPARAM lParam) const;

  RECT borders_{};
  CTKSkinScrollBarInfo vert_, horz_;
  bool vert_shown_ = false, horz_shown_ = false;
  // The bar the skin's loop is tracking (SB_HORZ or SB_VERT) and its state, during the loop.
  int tracked_bar_ = -1;
  const CTKSkinScrollBar* tracked_ = nullptr;
  std::vector<CCaptionButton> buttons_;
  int hot_button_ = -1;
  int pressed_button_ = -1;
  bool active_ = true;
  LONG last_style_ = -1, last_ex_style_ = -1;
  bool region_applied_ = false;
  bool in_region_ = false;
  SIZE region_size_{-1, -1};
  int busy_ = 0;
  bool created_ = false;
};
