// Ids of the command bars' own resources (res/commandbar_resources.rc).
#pragma once

// The caption-button images of a maximized document: restore, minimize, maximize and close,
// 16 x 16 each, in that order.
#define IDB_TK_MDI_BUTTONS 9102
// The question before a bar is reset; "%s" stands for the bar's title.
#define IDS_TK_RESET_BAR 9173
// The question before a tool bar takes its saved layout although the program's buttons changed
// since it was saved; "%s" stands for the bar's title. Yes keeps the program's buttons.
#define IDS_TK_LOADED_BAR_CHANGED 9177
// The cursors of a control dragged in customize mode: moving it, and copying it (Ctrl held).
#define IDC_TK_DRAG_MOVE 9180
#define IDC_TK_DRAG_COPY 9181
