// The context menu from the keyboard: while the ribbon tracks, the frame's keyboard context-menu
// message opens the context menu of the hot control below it. The menu's own loop is ended by
// a timer that waits until the menu shows and tracks, notes it and cancels it.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/ribbon/ribbon_test_bar.h"

using namespace TKRibbon;

namespace {

// What the timer saw of the menu before it cancelled it.
struct MenuSeen {
  RibbonSite* site = nullptr;
  bool shown = false;
  CRect window;
  CTKControl* add_entry_target = nullptr;
};
MenuSeen* g_seen = nullptr;

void CALLBACK CancelShownMenu(HWND, UINT, UINT_PTR id, DWORD) {
  if (!g_seen || g_seen->site->built_popups.empty()) return;
  CTKPopupBar* menu = g_seen->site->built_popups.back();
  if (!menu->GetSafeHwnd() || !::IsWindowVisible(menu->GetSafeHwnd()) || !menu->IsTrackingMode()) return;
  ::KillTimer(nullptr, id);
  g_seen->shown = true;
  ::GetWindowRect(menu->GetSafeHwnd(), &g_seen->window);
  if (CTKControl* add = menu->GetControls()->FindControl(kAddToQuickAccess))
    g_seen->add_entry_target = reinterpret_cast<CTKControl*>(add->GetTag());
  ::PostMessageW(menu->GetSafeHwnd(), WM_CANCELMODE, 0, 0);
}

TEST(RibbonContextMenu, TheKeyboardOpensTheHotControlsMenuOnlyWhileTheRibbonTracks) {
  struct Case {
    const char* what;
    bool tracking;
    bool hot;
    bool opens;
  };
  const Case cases[] = {
      {"tracking with a hot control", true, true, true},
      {"tracking without one", true, false, false},
      {"not tracking", false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RibbonFixture f(800, 600, true);
    CTKControl* paste = f.ribbon->GetControls()->FindControl(501);
    if (c.tracking) f.ribbon->SetTrackingMode(1, false, true);
    if (c.hot) f.ribbon->SetHotControl(paste->GetIndex(), CTKCommandBar::kHotProgram);
    MenuSeen seen;
    seen.site = &f.site;
    g_seen = &seen;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, &CancelShownMenu);
    ::SendMessageW(f.site.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.site.hwnd), -1);
    ::KillTimer(nullptr, timer);
    g_seen = nullptr;
    EXPECT_EQ(c.opens, seen.shown);
    EXPECT_EQ(c.opens ? 1u : 0u, f.site.built_popups.size());
    if (c.opens) {
      // The menu of the hot control, at its lower left corner.
      EXPECT_EQ(paste, seen.add_entry_target);
      POINT corner{paste->GetRect().left, paste->GetRect().bottom};
      ::ClientToScreen(f.ribbon->GetSafeHwnd(), &corner);
      EXPECT_EQ(CPoint(corner), seen.window.TopLeft());
    }
    f.ribbon->SetTrackingMode(0, false, false);
  }
}

}  // namespace
