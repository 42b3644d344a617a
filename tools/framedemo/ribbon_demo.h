// The demo frame's ribbon: three tabs of groups with buttons, a gallery and a combo box, a
// contextual tab, a quick-access bar and the system button with its menu, drawn into the frame's
// caption.
#pragma once

#include <windows.h>

class CFrameWnd;
class CTKCommandBarManager;
class CTKRibbonBar;

// The ribbon of `frame`, created and docked at its top; the caller releases it. Null when it
// could not be made.
CTKRibbonBar* CreateDemoRibbon(CFrameWnd* frame, CTKCommandBarManager* manager);
// Opens the first collapsed group's popup (true when one was collapsed), or the system menu.
bool OpenDemoCollapsedGroup(CTKRibbonBar* ribbon);
bool OpenDemoSystemMenu(CTKRibbonBar* ribbon);
// Takes the frame companion from the ribbon before the ribbon goes.
void DetachDemoRibbon(CFrameWnd* frame);
