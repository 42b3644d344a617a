// The demo frame's icons, gallery and dialog bar: icons of the commands, a gallery of colour
// swatches in the tool bar and a dialog bar docked at the left, hosting the frame's panel dialog.
#pragma once

#include <windows.h>

class CTKCommandBar;
class CTKControl;
class CTKCommandBarManager;
class CTKDialogBar;
class CFrameWnd;

// An icon `size` pixels square: a coloured square with a mark, told apart by `seed`. The caller
// destroys it.
HICON MakeDemoIcon(int seed, int size);
// A gallery of swatches (with its up, down and "more" buttons); the caller holds its reference.
CTKControl* MakeDemoGallery();
// Adds such a gallery to the end of a bar.
void AddDemoGallery(CTKCommandBar* bar);
// A dialog bar docked at the left of the frame, its client made from the dialog resource;
// the caller releases it. Null when it could not be made.
CTKDialogBar* CreateDemoDialogBar(CFrameWnd* frame, CTKCommandBarManager* manager, UINT dialog, UINT id);
