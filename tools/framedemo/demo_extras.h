// The demo frame's gallery and dialog bar: a gallery of colour swatches in the tool bar and a
// dialog bar docked at the left, hosting the frame's panel dialog.
#pragma once

#include <windows.h>

class CTKCommandBar;
class CTKCommandBarManager;
class CTKDialogBar;
class CFrameWnd;

// Adds a gallery of swatches (with its up, down and "more" buttons) to the end of a bar.
void AddDemoGallery(CTKCommandBar* bar);
// A dialog bar docked at the left of the frame, its client made from the dialog resource;
// the caller releases it. Null when it could not be made.
CTKDialogBar* CreateDemoDialogBar(CFrameWnd* frame, CTKCommandBarManager* manager, UINT dialog, UINT id);
