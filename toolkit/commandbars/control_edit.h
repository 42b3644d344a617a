// The edit box of a command bar: an optional label, a grey hint while the box is empty, and
// optional spin buttons that step a whole number with acceleration while held.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/commandbars/control.h"
#include "toolkit/commandbars/edit_window.h"

class CTKControlEdit;

// The value a spin step makes of a text: the text's leading whole number (optional blanks and
// sign; no digits read as 0; numbers beyond the 32-bit range read as its end), moved by
// step x direction and then on in the direction to a multiple of the step, all within the
// 32-bit range (at its ends, the last multiple inside it). False for a step below 1 or a
// direction of 0.
bool TKSpinValue(const std::wstring& text, int step, int direction, int* value);

// The step of a held spin button after `elapsed` ms: 1, then 5 from 2048 ms, 20 from 5120 ms.
int TKSpinStepFor(DWORD elapsed);

class CTKControlEditCtrl : public CTKEdit {
 public:
  explicit CTKControlEditCtrl(CTKControlEdit* owner) : owner_(owner) {}
  CTKControlEdit* Owner() const { return owner_; }

 protected:
  CTKCommandBar* GetOwnerBar() const override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnChildNotify(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  CTKControlEdit* owner_;
};

class CTKControlEdit : public CTKControl {
  DECLARE_DYNCREATE(CTKControlEdit)

 public:
  // Notification codes sent to the owner.
  enum {
    kNotifyGotFocus = 0x100, kNotifyLostFocus = 0x200, kNotifyTextChanged = 0x300,
    kNotifySpinUp = 0x1010, kNotifySpinDown = 0x1011
  };
  // The spin loop's timer on the bar window and its delays.
  static constexpr UINT_PTR kSpinTimer = 435;
  static constexpr UINT kSpinFirstDelay = 530;
  static constexpr UINT kSpinRepeatDelay = 100;

  CTKControlEdit();
  ~CTKControlEdit() override;

  // The text, without the hint (read again from the window when it changed there).
  std::wstring CurrentText();
  // Sets the text; an empty text shows the hint.
  void PutText(const std::wstring& text);
  void PutHint(const std::wstring& hint);
  const std::wstring& GetHint() const { return hint_; }
  void MakeReadOnly(bool on);
  bool IsReadOnly() const { return read_only_; }
  void ShowSpinButtons(bool on);
  bool HasSpinButtons() const { return spin_; }
  void ShowLabel(bool on) { show_label_ = on; DelayLayoutParent(); }
  void SetEditStyle(DWORD style) { edit_style_ = style; }
  // The shell's auto-complete on the box (0 takes it away).
  void UseAutoComplete(DWORD flags);
  DWORD GetAutoCompleteFlags() const { return auto_complete_flags_; }
  bool IsFocused() const { return focused_; }
  // The spin buttons' rectangle at the control's right (up half above, down half below).
  CRect SpinArea() const;
  // One spin step: the owner may refuse it (0x1010 up, 0x1011 down, answered non-zero); else the
  // text becomes the stepped value and 100 is sent. False when nothing changed.
  bool SpinBy(int step, int direction);
  // The step and direction of the spin step being announced (for the owner's handler).
  int GetSpinDelta() const { return spin_delta_; }
  bool LabelShown() const;
  // Gives the box the keyboard focus or takes it away.
  void TakeFocus(bool on);
  CTKControlEditCtrl* GetEditCtrl() const { return edit_.get(); }

  // Overrides of the control.
  void SetRect(const CRect& rc) override;
  void OnClick(bool keyboard = false, CPoint pt = CPoint()) override;
  void OnExecuteByKeyboard() override { OnClick(true); }
  void OnMouseMove(CPoint point) override;
  bool OnHookKeyDown(UINT key) override;
  bool WantsKeysWhileHot() const override { return focused_; }
  void SetEnabled(bool enabled) override;
  void SetHideFlags(int flags) override;
  void SetParent(CTKCommandBar* bar) override;
  void Copy(const CTKControl* source, bool deep) override;
  int GetCustomizeMinWidth() const override { return label_width_ + 10; }
  void Draw(CDC* dc) override;
  void DoPropExchange(CTKPropExchange* px) override;

  // From the edit window.
  void OnEditChanged();
  void OnEditFocus(bool gained);

 protected:
  // The edit window's factory.
  virtual CTKControlEditCtrl* CreateEditCtrl() { return new CTKControlEditCtrl(this); }
  // Runs the spin buttons while the left button is held on them.
  void RunSpinLoop(CPoint pt);
  void ApplyColors();
  bool ShowsHint() const;

  std::wstring hint_, saved_text_;
  std::unique_ptr<CTKControlEditCtrl> edit_;
  bool show_label_ = false, read_only_ = false;
  int label_width_ = 0;
  bool reposition_ = false, focused_ = false;
  std::wstring text_;
  bool text_stale_ = true;
  DWORD edit_style_ = 0;
  bool spin_ = false;
  int spin_delta_ = 0;
  DWORD auto_complete_flags_ = 0;
  bool setting_text_ = false;
};
