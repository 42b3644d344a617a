// Resource numbers of the add-on library.
#pragma once

#define IDR_KESTRIN_MODULE 101        // registration script: the module's AppID
#define IDR_KESTRIN_BHO 102           // registration script: the helper object
#define IDR_HTML_NLR_EVENT_HANDLER 107  // registration script: the page event handler
