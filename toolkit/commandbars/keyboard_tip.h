// A keyboard tip: the small window beside a control or bar that shows the letters which
// activate it while the user works the bars from the keyboard.
#pragma once

#include <windows.h>

#include <string>

#include "platform/appframe/wnd.h"

class CTKCommandBarManager;
class CTKCommandBar;
class CTKControl;

class CTKCommandBarKeyboardTip : public CWnd {
 public:
  // Alignment bits of the anchor.
  enum { kCenterX = 1, kRight = 2, kCenterY = 4, kBottom = 8 };

  CTKCommandBarKeyboardTip(CTKCommandBarManager* manager, CTKControl* control, CTKCommandBar* bar,
                           const std::wstring& caption, POINT anchor, int align, bool enabled);

  CTKControl* GetControl() const { return control_; }
  CTKCommandBar* GetBar() const { return bar_; }
  bool IsBarTip() const { return bar_ != nullptr && control_ == nullptr; }
  const std::wstring& GetCaption() const { return caption_; }
  const std::wstring& GetTipText() const { return text_; }
  void SetTipText(const std::wstring& text) { text_ = text; }
  POINT GetAnchor() const { return anchor_; }
  int GetAlign() const { return align_; }
  bool IsEnabled() const { return enabled_; }
  // What the bar that made the tip knows it by.
  DWORD_PTR GetData() const { return data_; }
  void SetData(DWORD_PTR data) { data_ = data; }

  // Makes the window (not shown) at the anchor, sized for the text. `screen`: the anchor is in
  // screen coordinates already (else in the target window's client coordinates).
  bool CreateTip(HWND owner, HWND anchorWindow, bool rightToLeft);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  CTKCommandBarManager* manager_;
  CTKControl* control_;
  CTKCommandBar* bar_;
  std::wstring caption_, text_;
  POINT anchor_;
  int align_;
  bool enabled_;
  DWORD_PTR data_ = 0;
};
