// A command-bar control that hosts any child window of the application (a dialog item, a
// progress bar, any control) in the bar. Without a visible window it is a plain button.
#pragma once

#include <windows.h>

#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/hook_manager.h"

class CTKPropExchange;

class CTKControlCustom : public CTKControlButton, public CTKHookManagerHookAble {
  DECLARE_DYNCREATE(CTKControlCustom)

 public:
  // What becomes of the control while its bar is vertical.
  enum { kVerticalHide = 0, kVerticalShow = 1, kVerticalHideWindow = 2 };
  // The control's hide flag while its bar is vertical.
  static const int kHideVertical = 0x4;

  CTKControlCustom();
  ~CTKControlCustom() override;

  // The hosted window (its mouse moves are watched); null for none.
  void SetControl(HWND hwnd);
  HWND GetControl() const { return hwnd_; }
  void SetBorders(const CRect& borders) { borders_ = borders; DelayLayoutParent(); }
  const CRect& GetBorders() const { return borders_; }
  void SetControlSize(CSize size) { size_ = size; DelayLayoutParent(); }
  CSize GetControlSize() const { return size_; }
  void SetVerticalOptions(int options) { vertical_options_ = options; }
  int GetVerticalOptions() const { return vertical_options_; }
  void SetControlId(int id) { control_id_ = id; }
  int GetControlId() const { return control_id_; }
  bool IsWindowShown() const { return window_shown_; }

  // The bar turned (flags with 0x10: vertical).
  void OnOrientationChanged(DWORD flags);
  // Saved state; after loading, FindControlWindow looks the control id up.
  void DoPropExchange(CTKPropExchange* px) override;
  // The dialog item of the control id on the site window, else on each of its frames in turn.
  HWND FindControlWindow(HWND site);

  CSize GetSize(CDC* dc) override;
  void SetRect(const CRect& rc) override;
  void SetHideFlags(int flags) override;
  void SetEnabled(bool enabled) override;
  void Draw(CDC* dc) override;
  bool DrawsOwnFace() const override { return HasVisibleWindow(); }
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void Copy(const CTKControl* source, bool deep) override;
  int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;

 private:
  bool HasVisibleWindow() const;
  // Makes the window a child of the bar at the rectangle less the borders, shown or hidden.
  void PlaceWindow();

  HWND hwnd_ = nullptr;
  CRect borders_;
  CSize size_;
  int vertical_options_ = kVerticalHide;
  int control_id_ = 0;
  bool window_shown_ = true;
};
