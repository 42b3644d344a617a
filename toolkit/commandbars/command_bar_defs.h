// Numbers the command bars share with their site windows: the toolkit's messages, timers,
// bar types and positions, control types and states.
#pragma once

#include <windows.h>

class CTKCommandBar;
class CTKControl;

namespace TKCommandBars {
// Messages sent to the site window.
const UINT kMsgToolBarVisibility = 10325;
const UINT kMsgHotControlChanged = 10326;
const UINT kMsgCustomizeSelection = 10327;
const UINT kMsgTrackingStarted = 10328;
const UINT kMsgRightButtonUp = 10329;
const UINT kMsgKeyReached = 10330;
const UINT kMsgPopupOpening = 10331;
const UINT kMsgPopupClosed = 10333;
const UINT kMsgMenuItemRequest = 10334;
const UINT kMsgMenuItemAdded = 10335;
const UINT kMsgChildIcon = 10336;
const UINT kMsgPopupBarRequest = 10337;
const UINT kMsgControlNotify = 10338;
const UINT kMsgResetBar = 10340;
const UINT kMsgTearOff = 10343;

// The record of kMsgMenuItemRequest (lParam), sent before a bar makes a control for a menu item
// or for a command id of a list. The site may put a control of its own in `control` (the bar
// takes a reference of its own to it) or change `type` and `style`.
struct TKControlRequest {
  int id;
  CTKControl* control;
  int type;
  CTKCommandBar* bar;
  HMENU menu;              // the menu being read; null for a list of ids
  int position;            // the item's place in the menu, or the id's index in the list
  const wchar_t* caption;  // the menu item's text; null for a list of ids
  int style;
};

// Timers of a bar.
const UINT_PTR kHoverTimer = 112223;
const UINT_PTR kExpandTimer = 112224;
const UINT_PTR kExecuteOnPressTimer = 4269;
const UINT kHoverDelay = 300;

// Bar types and positions.
enum BarType { kMenuBar = 0, kToolBar = 1, kPopupBar = 2, kRibbonBar = 3 };
enum BarPosition { kTop = 0, kBottom = 1, kLeft = 2, kRight = 3, kFloating = 4, kPopup = 5, kUnplaced = 7 };
inline bool IsVerticalPosition(int position) { return position == kLeft || position == kRight || position == kPopup; }

// Control types.
enum ControlType {
  kButton = 1, kPopupControl = 2, kButtonPopup = 3, kSplitButtonPopup = 4, kComboBox = 5, kEdit = 6, kCustom = 7,
  kLabel = 8, kCheckBox = 9, kGallery = 10, kRadioButton = 11
};

// Hide flags and control flags.
const int kHideShow = 0x1;
const int kHideWrap = 0x2;
const int kHideScroll = 0x8;
const int kHideCompared = 0x10;
const int kHideExpand = 0x20;
const int kHideDocTemplate = 0x40;
const int kFlagRightAlign = 0x1;
const int kFlagSkipKeyboard = 0x2;
const int kFlagNoCustomize = 0x10;
const int kFlagStretch = 0x20;
const int kFlagWrapRow = 0x80;

// Notification code of the owner notification that runs a control's command.
const int kNotifyExecute = 100;
}  // namespace TKCommandBars
