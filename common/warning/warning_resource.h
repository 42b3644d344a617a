// Resource identifiers of the warning toasts.
#pragma once

#define IDD_WARNING_WINDOW 203
#define IDC_WARNING_TEXT 201
#define IDC_WARNING_ICON 202
#define IDI_TOAST_WARNING 204
#define IDC_WARNING_TITLE 226
#define IDC_WARNING_TITLE_STRIP 227
#define IDB_WARNING_TITLE_STRIP 230
