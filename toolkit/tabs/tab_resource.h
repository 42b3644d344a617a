// String ids of the tab manager's own resources (res/tab_strings.rc): the tooltips of the
// navigate buttons.
#pragma once

#define IDS_TK_TAB_SCROLL_LEFT 9800
#define IDS_TK_TAB_SCROLL_RIGHT 9801
#define IDS_TK_TAB_CLOSE 9802
