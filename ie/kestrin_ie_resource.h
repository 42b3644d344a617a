// Resource numbers of the add-on library.
#pragma once

#define IDR_KESTRIN_MODULE 101        // registration script: the module's AppID
#define IDR_KESTRIN_BHO 102           // registration script: the helper object
#define IDB_CONTROL_TOOLBOX 103       // the control's toolbox bitmap (ToolboxBitmap32 names it)
#define IDR_KESTRIN_CONTROL 105       // registration script: the verification control
#define IDR_HTML_NLR_EVENT_HANDLER 107  // registration script: the page event handler
#define IDM_KESTRIN_CONTROL 210       // the verification control's context menu
#define ID_VIEW_CERTIFICATE 0x8000    // its one item
