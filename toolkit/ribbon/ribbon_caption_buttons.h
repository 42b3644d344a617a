// The buttons the ribbon draws in its caption band for a frame's system commands (close,
// restore or maximise, minimise).
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/commandbars/control_button.h"
#include "toolkit/ribbon/ribbon_bar.h"

class CTKRibbonBar::CControlCaptionButton : public CTKControlButton {
 public:
  static constexpr int kControlFlags = 0x1A;

  // `command`: SC_CLOSE, SC_RESTORE, SC_MAXIMIZE or SC_MINIMIZE.
  CControlCaptionButton(CTKRibbonFrameCompanion* companion, int command);
  CTKRibbonFrameCompanion* Companion() const { return companion_; }
  // Posts the system command to the frame.
  void OnExecute() override;
  void Draw(CDC* dc) override;

 private:
  CTKRibbonFrameCompanion* companion_;
};

// The system menu's text for a command, up to its first tab (empty when the menu lacks it).
std::wstring TKSystemMenuText(HWND frame, int command);
// The frame's large icon, or the small one of its caption (none for tool windows and frames
// without a system menu).
HICON TKFrameIcon(HWND frame, bool large);
// Whether the frame's system menu lets `command` be chosen (true without a system menu or entry).
bool TKSystemCommandEnabled(HWND frame, UINT command);
