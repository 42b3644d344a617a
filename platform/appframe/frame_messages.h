// Messages, window ids and command ids that frames, bars and the application exchange. The
// numbers are the conventional ones of this kind of framework, so that bars written for it and
// companions that post to a frame find what they expect.
#pragma once

#include <windows.h>

// A bar lays itself out in the free rectangle of its parent (lParam: SIZEPARENTPARAMS*).
constexpr UINT WM_SIZEPARENT = 0x0361;
// The frame shows a text in its message bar: wParam a string id (the text up to its first
// '\n'), or lParam the text itself. Returns the id shown before.
constexpr UINT WM_SETMESSAGESTRING = 0x0362;
// The idle update: bars and frames update their command states (wParam: disable a command
// nobody handles). Posted to a frame with wParam 0 it also asks for a layout pass.
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;
constexpr UINT WM_INITIALUPDATE = 0x0364;
// A child asks its frame to lay out again.
constexpr UINT WM_RECALCPARENT = 0x0368;
// Sent to a modal window while its loop is idle (wParam MSGF_DIALOGBOX, lParam the idle count).
constexpr UINT WM_KICKIDLE = 0x036A;
// A frame tells its floating windows about its state (wParam FS_ bits).
constexpr UINT WM_FLOATSTATUS = 0x036D;
// Restores the message text that was shown before the last WM_SETMESSAGESTRING.
constexpr UINT WM_POPMESSAGESTRING = 0x0375;

// Reflected notifications: a child control sees its own WM_COMMAND / WM_NOTIFY under this base.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

// WM_FLOATSTATUS bits.
constexpr WPARAM FS_SHOW = 0x01;
constexpr WPARAM FS_HIDE = 0x02;
constexpr WPARAM FS_ACTIVATE = 0x04;
constexpr WPARAM FS_DEACTIVATE = 0x08;
constexpr WPARAM FS_ENABLE = 0x10;
constexpr WPARAM FS_DISABLE = 0x20;
constexpr WPARAM FS_SYNCACTIVE = 0x40;

// The layout pass: the free rectangle left by the bars laid out so far, the total they took,
// and the batch of deferred moves (null while only measuring).
struct SIZEPARENTPARAMS {
  HDWP hDWP;
  RECT rect;
  SIZE sizeTotal;
  BOOL bStretch;
};

// Window ids of a frame's children.
constexpr UINT IDW_TOOLBAR = 0xE800;
constexpr UINT IDW_STATUS_BAR = 0xE801;     // 59393
constexpr UINT IDW_DOCKBAR_TOP = 0xE81B;
constexpr UINT IDW_DOCKBAR_LEFT = 0xE81C;
constexpr UINT IDW_DOCKBAR_RIGHT = 0xE81D;
constexpr UINT IDW_DOCKBAR_BOTTOM = 0xE81E;
constexpr UINT IDW_DOCKBAR_FLOAT = 0xE81F;
constexpr UINT IDW_CONTROLBAR_FIRST = 0xE800;
constexpr UINT IDW_CONTROLBAR_LAST = 0xE8FF;
constexpr UINT IDW_PANE_FIRST = 0xE900;     // the view, or an MDI frame's client window
constexpr UINT IDW_PANE_LAST = 0xE9FF;
// The first id of an MDI frame's document windows.
constexpr UINT IDM_FIRST_MDICHILD = 0xFF00;

// Strings.
constexpr UINT IDS_IDLEMESSAGE = 0xE001;    // the message text while nothing is tracked
constexpr UINT IDS_MDICHILD = 0xEF1F;       // 61215, the prompt of a document window entry

// Commands.
constexpr UINT ID_FILE_NEW = 0xE100;
constexpr UINT ID_FILE_OPEN = 0xE101;
constexpr UINT ID_FILE_CLOSE = 0xE102;
constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;  // 57616, the first of 16 recent-file commands
constexpr UINT ID_FILE_MRU_LAST = 0xE11F;
constexpr UINT ID_WINDOW_NEW = 0xE130;
constexpr UINT ID_WINDOW_ARRANGE = 0xE131;
constexpr UINT ID_WINDOW_CASCADE = 0xE132;
constexpr UINT ID_WINDOW_TILE_HORZ = 0xE133;
constexpr UINT ID_WINDOW_TILE_VERT = 0xE134;
constexpr UINT ID_APP_EXIT = 0xE141;
constexpr UINT ID_OLE_VERB_FIRST = 0xE210;  // 57872
constexpr UINT ID_OLE_VERB_LAST = 0xE21F;   // 57887
constexpr UINT ID_VIEW_TOOLBAR = 0xE800;    // 59392
constexpr UINT ID_VIEW_STATUS_BAR = 0xE801;
