// The message and timer ids of the add-on's own windows, in one place so that no two windows
// of one thread pick the same private id. Ids that other programs or the browser see (the
// observer broadcasts, the HTTP client's completions, the toast's 0x9770, the browser's
// WM_USER pings) keep the values those programs expect; the rest are ours to choose.
#pragma once

#include <windows.h>

namespace UtilityClassesNS {
namespace WindowIds {

// Posted to our own windows (range WM_APP + 0x000 to WM_APP + 0x3FF; the HTTP client's
// reports are numbered WM_APP + 5000 to WM_APP + 5004 and its window's one message is
// WM_APP + 5005, see common/web/server_request.h).
const UINT kMsgVerifierEvent = WM_APP + 0x21;             // verifier: observer event from another thread
const UINT kMsgBorderShow = WM_APP + 0x101;               // validation border: show, from another thread
const UINT kMsgBorderHide = WM_APP + 0x102;               // validation border: hide, from another thread
const UINT kMsgBorderClose = WM_APP + 0x103;              // validation border: close, from another thread
const UINT kMsgEffectSettingsChanged = WM_APP + 0x170;    // pointer effects: re-read the settings
const UINT kMsgApplyPendingCertificate = WM_APP + 0x2A1;  // verification popup: apply a certificate
const UINT kMsgToastHideDone = 0x9770;                    // warning toast: slide-out done

// Sent to the browser's own windows that we subclass.
const UINT kMsgLeavePing = WM_USER + 2;        // the padlock area was left
const UINT kMsgAddressRootPing = WM_USER + 24;  // wakes the address band root (version 7/8)

// Timers, per window.
enum BorderTimer : UINT_PTR { kTimerBorderPostponedHide = 1, kTimerBorderInactive = 2 };
enum PopupTimer : UINT_PTR { kTimerPopupFollowFrame = 1, kTimerPopupHide = 2, kTimerPopupHoverEnd = 3 };
enum EffectTimer : UINT_PTR {
  kTimerEffectEndDelay = 1,
  kTimerEffectWatchPointer = 2,
  kTimerEffectBlink = 3,
  kTimerEffectShowTrail = 4,
  kTimerEffectHideTrail = 5,
};
enum ToastTimer : UINT_PTR { kTimerToastSlideOut = 1 };
enum SiteSealPopupTimer : UINT_PTR { kTimerSiteSealFollow = 1, kTimerSiteSealLookup = 2 };
enum ControlTimer : UINT_PTR { kTimerControlHover = 1 };

}  // namespace WindowIds
}  // namespace UtilityClassesNS
