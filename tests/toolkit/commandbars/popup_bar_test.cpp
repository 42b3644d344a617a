// Popup bars: where they open on monitors of the test's own, scrolling, rarely used items,
// tear-off and the show sequence's early exits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "platform/appframe/archive.h"
#include "platform/appframe/file.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_effects.h"
#include "toolkit/commandbars/shadow_manager.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/drawing/device_layout.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"
#include "platform/win/gdi.h"

using namespace TKCommandBars;

namespace {

struct Monitor {
  RECT area, work;
};
std::vector<Monitor> g_monitors;

// The monitor holding the rectangle's centre, else the first.
BOOL FakeMonitors(const RECT& rect, RECT* area, RECT* work) {
  if (g_monitors.empty()) return FALSE;
  POINT c{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const Monitor* found = &g_monitors[0];
  for (const Monitor& m : g_monitors)
    if (::PtInRect(&m.area, c)) found = &m;
  *area = found->area;
  *work = found->work;
  return TRUE;
}

struct MonitorSeam {
  explicit MonitorSeam(std::vector<Monitor> monitors) {
    g_monitors = std::move(monitors);
    TKSetMonitorAreasFunction(&FakeMonitors);
  }
  ~MonitorSeam() {
    TKSetMonitorAreasFunction(nullptr);
    g_monitors.clear();
  }
};

// Two monitors side by side, 1024 x 768 each.
const RECT kLeftArea{0, 0, 1024, 768}, kRightArea{1024, 0, 2048, 768};

TEST(PopupPlacement, OpensOnTheWorkAreaOfItsMonitor) {
  struct Case {
    const char* what;
    RECT left_work, right_work;  // the taskbar's edge cut from each monitor
    RECT exclude;                // the control (screen); empty: opened at `point`
    POINT point;
    int direction;
    bool flip;
    SIZE size;
    RECT expected;
    int expected_direction;
    bool scrolls;
  } cases[] = {
      {"drops below its control", {0, 0, 1024, 738}, {1024, 0, 2048, 768}, {100, 20, 160, 40}, {100, 40}, 2, false,
       {150, 200}, {100, 40, 250, 240}, 2, false},
      {"opens above a control at the screen's bottom", {0, 0, 1024, 738}, {1024, 0, 2048, 768}, {100, 700, 160, 720},
       {100, 720}, 2, false, {150, 200}, {100, 500, 250, 700}, 2, false},
      {"a drop near the right edge keeps to the edge", {0, 0, 1024, 738}, {1024, 0, 2048, 768}, {950, 20, 1000, 40},
       {950, 40}, 2, false, {150, 200}, {874, 40, 1024, 240}, 3, false},
      {"a sub-menu near the right edge opens to the left", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {900, 100, 1000, 120}, {1000, 100}, 0, false, {150, 200}, {750, 100, 900, 300}, 1, false},
      {"right to left drops to the control's right edge", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {300, 20, 360, 40}, {300, 40}, 3, false, {150, 200}, {210, 40, 360, 240}, 3, false},
      {"right to left beside a control at the left edge turns right", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {10, 100, 110, 120}, {110, 100}, 1, false, {150, 200}, {110, 100, 260, 300}, 0, false},
      {"a point near the right edge of the second monitor", {0, 0, 1024, 738}, {1024, 0, 2048, 768}, {0, 0, 0, 0},
       {2000, 100}, 0, false, {150, 200}, {1898, 100, 2048, 300}, 0, false},
      {"a point low on the screen opens above it", {0, 0, 1024, 738}, {1024, 0, 2048, 768}, {0, 0, 0, 0},
       {200, 700}, 0, false, {150, 200}, {200, 500, 350, 700}, 0, false},
      {"a tall popup at a high point keeps to the work bottom", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {0, 0, 0, 0}, {200, 300}, 0, false, {150, 600}, {200, 133, 350, 733}, 0, false},
      {"taskbar on the left: a leftward point stops at the work area", {40, 0, 1024, 768}, {1024, 0, 2048, 768},
       {0, 0, 0, 0}, {100, 100}, 1, false, {150, 200}, {40, 100, 190, 300}, 0, false},
      {"taskbar on the right of the second monitor", {0, 0, 1024, 768}, {1024, 0, 1988, 768},
       {1900, 20, 1960, 40}, {1900, 40}, 2, false, {150, 200}, {1838, 40, 1988, 240}, 3, false},
      {"taskbar at the top: a control below it drops", {0, 0, 1024, 768}, {1024, 30, 2048, 768},
       {1100, 30, 1160, 50}, {1100, 50}, 2, false, {150, 200}, {1100, 50, 1250, 250}, 2, false},
      {"a nested popup beside an item on the second monitor", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {1500, 100, 1700, 120}, {1700, 100}, 0, false, {150, 200}, {1700, 100, 1850, 300}, 0, false},
      {"no room above or below: the larger side, scrolled", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {100, 300, 160, 320}, {100, 320}, 2, false, {150, 700}, {100, 320, 250, 733}, 2, true},
      {"no room above or below, lower half: above, scrolled", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {100, 500, 160, 520}, {100, 520}, 2, false, {150, 700}, {100, 0, 250, 500}, 2, true},
      {"no room and the flip option: beside the control", {0, 0, 1024, 738}, {1024, 0, 2048, 768},
       {100, 300, 160, 320}, {100, 320}, 2, true, {150, 700}, {160, 33, 310, 733}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MonitorSeam seam({{kLeftArea, c.left_work}, {kRightArea, c.right_work}});
    CTKPopupBar* popup = new CTKPopupBar;
    popup->SetExcludeRect(c.exclude);
    popup->SetPopupPoint(c.point);
    popup->SetDirection(c.direction);
    popup->SetFlipAllowed(c.flip);
    CRect rect = popup->CalcPopupRect(c.size);
    EXPECT_EQ(CRect(c.expected), rect);
    EXPECT_EQ(c.expected_direction, popup->GetDirection());
    EXPECT_EQ(c.scrolls, popup->IsScrolling());
    popup->Release();
  }
}

// A tool bar on a hidden site with one popup control whose popup bar holds `items` buttons
// (ids 200...).
struct PopupFixture : ToolBarFixture {
  explicit PopupFixture(int items) : ToolBarFixture({}, HiddenSite()) {
    ::MoveWindow(bar->GetSafeHwnd(), 0, 0, 600, 30, TRUE);
    title = static_cast<CTKControlPopup*>(bar->GetControls()->Add(kPopupControl, 0));
    title->SetCaption(L"&File");
    popup = CTKPopupBar::CreatePopupBar(&manager);
    for (int i = 0; i < items; ++i) {
      CTKControl* item = popup->GetControls()->Add(kButton, 200 + i);
      item->SetCaption(L"Item " + std::to_wstring(i));
    }
    title->SetCommandBar(popup);
    bar->CalcSize(600, 0);
  }
  ~PopupFixture() override {
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    popup->Release();
    TKSetMenusExpandedOnThread(false);
  }
  static Options HiddenSite() {
    Options options;
    options.show_site = false;
    return options;
  }
  CTKControlPopup* title;
  CTKPopupBar* popup;
};

// Fewer, longer steps for the popup animations while it lives.
struct StepsGuard {
  explicit StepsGuard(CTKPaintManager* pm) : pm(pm) { pm->SetAnimation(4, 40); }
  ~StepsGuard() { pm->SetAnimation(10, 100); }
  CTKPaintManager* pm;
};

TEST(PopupBar, OpensBelowItsMenuTitleAndClosesWithItsTracking) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  PopupFixture fx(5);
  ASSERT_TRUE(fx.popup->Popup(fx.title, true));
  ASSERT_TRUE(fx.popup->IsBarVisible());
  CRect title = fx.title->GetRect();
  ::MapWindowPoints(fx.bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&title), 2);
  CRect rect;
  ::GetWindowRect(fx.popup->GetSafeHwnd(), &rect);
  EXPECT_EQ(title.left, rect.left);
  EXPECT_EQ(title.bottom, rect.top);
  EXPECT_EQ(0, fx.popup->GetHotIndex());  // selected first
  // Items take the column's width, one under another.
  CRect first = fx.popup->GetControl(0)->GetRect(), second = fx.popup->GetControl(1)->GetRect();
  EXPECT_EQ(first.Width(), second.Width());
  EXPECT_EQ(first.bottom, second.top);
  fx.popup->SetTrackingMode(0, true, false);
  EXPECT_EQ(nullptr, fx.popup->GetSafeHwnd());
  EXPECT_EQ(nullptr, fx.popup->GetParentControl());
  const std::vector<UINT> expected{kMsgPopupOpening, kMsgPopupClosed};
  std::vector<UINT> seen;
  for (UINT m : fx.site.messages)
    if (m == kMsgPopupOpening || m == kMsgPopupClosed) seen.push_back(m);
  EXPECT_EQ(expected, seen);
}

// With the effects handed to the manager a popup opens through the animation its options name,
// its frames held through the sleep seam; afterwards it shows whole, its window not left
// layered. A quit message waiting cuts the frames short and stays for the thread's own loop.
TEST(PopupBar, WithEffectsAPopupOpensThroughItsAnimationAndShowsWhole) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  PopupFixture fx(5);
  CTKShadowPopupEffects effects;
  fx.manager.SetPopupEffects(&effects);
  StepsGuard steps(fx.popup->GetPaintManager());
  struct Case {
    const char* name;
    int kind;
    bool quit;
    size_t sleeps;
    bool rtl;
  } cases[] = {
      {"slide", 2, false, 3, false},
      {"unfold", 3, false, 3, false},
      {"fade", 4, false, 3, false},
      {"none", 5, false, 0, false},
      {"fade with a quit waiting", 4, true, 0, false},
      {"slide, right to left", 2, false, 3, true},
      {"unfold, right to left", 3, false, 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrainMessages();
    FrameClock clock;
    fx.manager.GetOptions().animation = c.kind;
    fx.manager.GetOptions().right_to_left = c.rtl;
    if (c.quit) ::PostQuitMessage(7);
    std::vector<DWORD> first_frame;
    clock.on_sleep = [&] {
      if (!first_frame.empty()) return;
      CRect rc;
      ::GetClientRect(fx.popup->GetSafeHwnd(), &rc);
      first_frame = WindowPixels(fx.popup->GetSafeHwnd(), rc.Size());
    };
    ASSERT_TRUE(fx.popup->Popup(fx.title, true));
    EXPECT_EQ(c.sleeps, clock.sleeps.size());
    HWND window = fx.popup->GetSafeHwnd();
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(0, ::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    CRect rect;
    ::GetClientRect(window, &rect);
    const std::vector<DWORD> whole = DrawnPixels(fx.popup, rect.Size());
    EXPECT_EQ(whole, WindowPixels(window, rect.Size()));
    if (c.kind == 2 || c.kind == 3) {
      // The first frame shows the corner (slide) or the bottom strip (unfold) of the popup as
      // it is drawn at its own size, borders included: its lower right corner at the top left,
      // or, right to left, its lower left corner at the top right.
      ASSERT_FALSE(first_frame.empty());
      const int w = rect.Width(), h = rect.Height(), pw = c.kind == 2 ? w / 4 : w, ph = h / 4;
      const int to = c.rtl ? w - pw : 0, from = c.rtl ? 0 : w - pw;
      int wrong = 0;
      for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x)
          if (first_frame[y * w + to + x] != whole[(h - ph + y) * w + from + x]) ++wrong;
      EXPECT_EQ(0, wrong);
    }
    EXPECT_EQ(c.quit, TakeQuit());
    fx.popup->SetTrackingMode(0, true, false);
  }
}

// The frames of a right-to-left popup start from what lay under it as it lay: the window's
// mirrored layout does not turn that image round.
TEST(PopupBar, AMirroredPopupsFramesStartFromTheScreenAsItLay) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  PopupFixture fx(5);
  fx.manager.GetOptions().right_to_left = true;
  fx.manager.GetOptions().animation = 5;
  ASSERT_TRUE(fx.popup->Popup(fx.title, true));
  HWND window = fx.popup->GetSafeHwnd();
  ASSERT_TRUE(fx.popup->IsRightToLeft());
  CRect rect;
  ::GetWindowRect(window, &rect);
  const int w = rect.Width(), h = rect.Height();
  // What lay under it: each column its own colour; the new contents: one colour.
  auto under_at = [](int x) { return static_cast<DWORD>(((x * 7) & 0xFF) << 16 | 0x40); };
  std::vector<DWORD> under_pixels(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) under_pixels[static_cast<size_t>(y) * w + x] = under_at(x);
  void* bits = nullptr;
  KestrinWinNS::CScopedBitmap under_image = KestrinWinNS::CreateDib32(w, h, &bits);
  ASSERT_TRUE(bits);
  std::copy(under_pixels.begin(), under_pixels.end(), static_cast<DWORD*>(bits));
  KestrinWinNS::CScopedBitmap new_image = KestrinWinNS::CreateDib32(w, h);
  KestrinWinNS::CBitmapDC under_dc(nullptr, under_image.Get()), new_dc(nullptr, new_image.Get());
  ::BitBlt(new_dc.Get(), 0, 0, w, h, nullptr, 0, 0, WHITENESS);
  CDC under, contents;
  under.Attach(under_dc.Get());
  contents.Attach(new_dc.Get());
  StepsGuard steps(fx.popup->GetPaintManager());
  FrameClock clock;
  std::vector<DWORD> first_frame;
  clock.on_sleep = [&] {
    if (first_frame.empty()) first_frame = WindowPixels(window, CSize(w, h));
  };
  CTKShadowPopupEffects effects;
  effects.AnimatePopup(fx.popup, &under, &contents, rect, 3, nullptr, true);
  under.Detach();
  contents.Detach();
  ASSERT_EQ(static_cast<size_t>(w) * h, first_frame.size());
  // Unfolding, the first frame shows the new contents in its top quarter; below, what lay there.
  int wrong = 0;
  for (int y = h / 4; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((first_frame[static_cast<size_t>(y) * w + x] & 0xFFFFFF) != under_at(x)) ++wrong;
  EXPECT_EQ(0, wrong);
  fx.popup->SetTrackingMode(0, true, false);
}

// With the shadow effects handed to the manager an open popup casts its shadows (bottom and
// right), and they go when it closes; without effects none is cast. The popup control casts a
// shadow of its own while its popup is open when the look asks for control shadows (both shadow
// options) and the control's switch is on; it goes with the popup.
TEST(PopupBar, AnOpenPopupAndItsMenuTitleCastShadowsThatCloseWithIt) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  CTKShadowsManager& shadows = CTKShadowsManager::Instance();
  shadows.OverrideAlphaShadows(true);
  shadows.OverrideSystemDropShadow(true);
  const int both = CTKShadowsManager::kOptionLighter | CTKShadowsManager::kOptionCutExclude;
  struct Case {
    const char* name;
    bool effects;
    int options;
    bool control_switch;
    size_t shadows;
  } cases[] = {{"popup shadows only", true, 0, true, 2},
               {"with the control's", true, both, true, 4},
               {"the control's switch off", true, both, false, 2},
               {"no effects", false, 0, true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTKShadowsManager::Style style;
    style.options = c.options;
    shadows.SetStyle(style);
    PopupFixture fx(5);
    CTKShadowPopupEffects effects;
    if (c.effects) fx.manager.SetPopupEffects(&effects);
    fx.title->SetShowShadow(c.control_switch);
    ASSERT_TRUE(fx.popup->Popup(fx.title, true));
    HWND window = fx.popup->GetSafeHwnd();
    std::vector<CTKShadowsManager::CShadowWnd*> cast = shadows.ShadowsOf(window);
    EXPECT_EQ(c.shadows, cast.size());
    if (c.shadows == 4) {
      // The title's bottom shadow lies under the title, 4 pixels in from its left.
      CRect title = fx.title->GetRect();
      ::MapWindowPoints(fx.bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&title), 2);
      bool under_title = false;
      for (CTKShadowsManager::CShadowWnd* shadow : cast)
        under_title |= shadow->IsBottom() && shadow->GetWindowRect().top == title.bottom &&
                       shadow->GetWindowRect().left == title.left + 4;
      EXPECT_TRUE(under_title);
    }
    fx.popup->SetTrackingMode(0, true, false);
    EXPECT_TRUE(shadows.ShadowsOf(window).empty());
  }
  shadows.SetStyle(CTKShadowsManager::Style());
  shadows.OverrideAlphaShadows(std::nullopt);
  shadows.OverrideSystemDropShadow(std::nullopt);
}

// An early way out of the show sequence must leave the popup able to open again.
TEST(PopupBar, AnEarlyExitFromTheShowLeavesThePopupAbleToOpenAgain) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  struct Case {
    const char* what;
    std::function<void(PopupFixture&)> on_opening;
  } cases[] = {
      {"the menu title's bar loses its window", [](PopupFixture& fx) { fx.bar->DestroyWindow(); }},
      {"the popup's own window goes", [](PopupFixture& fx) { ::DestroyWindow(fx.popup->GetSafeHwnd()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PopupFixture fx(3);
    bool once = true;
    fx.site.on_message = [&](UINT msg, WPARAM, LPARAM) {
      if (msg == kMsgPopupOpening && once) {
        once = false;
        c.on_opening(fx);
      }
    };
    EXPECT_FALSE(fx.popup->Popup(fx.title, false));
    EXPECT_EQ(0, fx.popup->GetReentryCount());
    EXPECT_FALSE(fx.popup->IsTrackingMode());
    if (!fx.bar->GetSafeHwnd()) {
      fx.bar->CreateToolBar(fx.site.hwnd, false);
      fx.bar->CalcSize(600, 0);
    }
    EXPECT_TRUE(fx.popup->Popup(fx.title, false));
    EXPECT_TRUE(fx.popup->IsBarVisible());
  }
}

TEST(PopupBar, ATallPopupScrollsAndLeavingTheArrowStopsItsTimer) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 300}}});
  PopupFixture fx(40);
  ASSERT_TRUE(fx.popup->Popup(fx.title, false));
  ASSERT_TRUE(fx.popup->IsScrolling());
  CRect rect;
  ::GetWindowRect(fx.popup->GetSafeHwnd(), &rect);
  EXPECT_LE(rect.bottom, 295);
  EXPECT_EQ(0, fx.popup->GetFirstVisible());
  EXPECT_TRUE(fx.popup->GetScrollArrow(false).rect.IsRectEmpty());
  ASSERT_FALSE(fx.popup->GetScrollArrow(true).rect.IsRectEmpty());
  EXPECT_EQ(CTKPopupBar::kScrollArrowHeight, fx.popup->GetScrollArrow(true).rect.Height());
  const int shown = fx.popup->GetAfterLastVisible();
  ASSERT_GT(shown, 1);
  ASSERT_LT(shown, 40);
  // What the scrolling hides is not drawn or hit; what shows lies between the arrows.
  EXPECT_TRUE(fx.popup->GetControl(shown)->GetHideFlags() & kHideScroll);
  EXPECT_LE(fx.popup->GetControl(shown - 1)->GetRect().bottom, fx.popup->GetScrollArrow(true).rect.top);

  // Down to the end, then back to the top.
  int steps = 0;
  while (fx.popup->ScrollStep(true)) ++steps;
  EXPECT_EQ(40 - shown, steps);
  EXPECT_EQ(40, fx.popup->GetAfterLastVisible());
  EXPECT_TRUE(fx.popup->GetScrollArrow(true).rect.IsRectEmpty());
  EXPECT_FALSE(fx.popup->GetScrollArrow(false).rect.IsRectEmpty());
  EXPECT_FALSE(fx.popup->GetControl(39)->GetHideFlags() & kHideScroll);
  while (fx.popup->ScrollStep(false)) {
  }
  EXPECT_EQ(0, fx.popup->GetFirstVisible());
  EXPECT_TRUE(fx.popup->GetScrollArrow(false).rect.IsRectEmpty());

  // A keyboard step onto a hidden item scrolls it into view.
  fx.popup->SetHotControl(30, CTKCommandBar::kHotKeyForward);
  EXPECT_FALSE(fx.popup->GetControl(30)->GetHideFlags() & kHideScroll);
  EXPECT_EQ(31, fx.popup->GetAfterLastVisible());

  // The pointer on the lower arrow runs its timer; leaving it stops the timer at once.
  fx.popup->SetHotControl(0, CTKCommandBar::kHotKeyForward);
  HWND hwnd = fx.popup->GetSafeHwnd();
  CPoint onArrow = fx.popup->GetScrollArrow(true).rect.CenterPoint();
  ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(onArrow.x, onArrow.y));
  EXPECT_TRUE(fx.popup->GetScrollArrow(true).running);
  CPoint onItem = fx.popup->GetControl(0)->GetRect().CenterPoint();
  ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(onItem.x, onItem.y));
  EXPECT_FALSE(fx.popup->GetScrollArrow(true).running);
  EXPECT_FALSE(::KillTimer(hwnd, CTKPopupBar::kTimerScrollDown));
}

// Timers as the bars set them (id and period), recorded instead of started.
std::map<UINT_PTR, UINT> g_timerPeriods;
UINT_PTR RecordTimerPeriod(HWND, UINT_PTR id, UINT period, TIMERPROC) {
  g_timerPeriods[id] = period;
  return id;
}
BOOL ForgetTimer(HWND, UINT_PTR id) { return g_timerPeriods.erase(id) != 0; }
struct TimerRecorder {
  TimerRecorder() {
    g_timerPeriods.clear();
    TKSetTimerFunctions(&RecordTimerPeriod, &ForgetTimer);
  }
  ~TimerRecorder() { TKSetTimerFunctions(nullptr, nullptr); }
};

// The thread's key state with one key held down for the guard's life.
struct KeyHeld {
  explicit KeyHeld(BYTE key) : key_(key) {
    ::GetKeyboardState(keys_);
    was_ = keys_[key_];
    keys_[key_] = 0x80;
    ::SetKeyboardState(keys_);
  }
  ~KeyHeld() {
    keys_[key_] = was_;
    ::SetKeyboardState(keys_);
  }
  BYTE keys_[256];
  BYTE key_, was_;
};

TEST(PopupBar, RarelyUsedItemsWaitBehindTheExpandButton) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  auto expandButton = [](CTKPopupBar* p) { return p->GetControls()->FindControl(CTKPopupBar::kExpandButtonId); };
  struct Case {
    const char* what;
    std::function<void(CTKPopupBar*)> expand;
  } cases[] = {
      {"the expand button", [](CTKPopupBar* p) {
         CTKControl* button = p->GetControls()->FindControl(CTKPopupBar::kExpandButtonId);
         ASSERT_NE(nullptr, button);
         button->OnExecute();
       }},
      {"Down on the last item", [](CTKPopupBar* p) {
         // Item 2 is the last one shown: Down would wrap to the top.
         p->SetHotControl(2, CTKCommandBar::kHotKeyForward);
         p->OnHookKeyDown(VK_DOWN, 0);
       }},
      {"Ctrl+Down on the first item", [](CTKPopupBar* p) {
         // Down alone would step to item 2.
         KeyHeld ctrl(VK_CONTROL);
         p->SetHotControl(0, CTKCommandBar::kHotKeyForward);
         p->OnHookKeyDown(VK_DOWN, 0);
       }},
      {"a double click on the expand button", [&](CTKPopupBar* p) {
         CTKControl* button = expandButton(p);
         ASSERT_NE(nullptr, button);
         const CPoint at = button->GetRect().CenterPoint();
         ::SendMessageW(p->GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
       }},
      {"the pointer resting on the expand button", [&](CTKPopupBar* p) {
         CTKControl* button = expandButton(p);
         ASSERT_NE(nullptr, button);
         TimerRecorder timers;
         p->SetHotControl(button->GetIndex(), CTKCommandBar::kHotMouse);
         ASSERT_EQ(1u, g_timerPeriods.count(CTKPopupBar::kTimerExpand));
         EXPECT_EQ(900u, g_timerPeriods[CTKPopupBar::kTimerExpand]);
         EXPECT_FALSE(p->IsExpanded());
         ::SendMessageW(p->GetSafeHwnd(), WM_TIMER, CTKPopupBar::kTimerExpand, 0);
         EXPECT_EQ(0u, g_timerPeriods.count(CTKPopupBar::kTimerExpand));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PopupFixture fx(5);
    fx.manager.GetOptions().full_menus = false;
    fx.manager.RecordUsed(200);
    fx.manager.RecordUsed(202);
    ASSERT_TRUE(fx.popup->Popup(fx.title, false));
    EXPECT_TRUE(fx.popup->IsExpandButtonShown());
    EXPECT_EQ(1, expandButton(fx.popup)->GetRefCount());  // held by the popup's controls alone
    const bool hiddenBefore[] = {false, true, false, true, true};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(hiddenBefore[i], !fx.popup->GetControl(i)->IsVisible()) << i;
    CRect before;
    ::GetWindowRect(fx.popup->GetSafeHwnd(), &before);
    c.expand(fx.popup);
    EXPECT_TRUE(fx.popup->IsExpanded());
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(fx.popup->GetControl(i)->IsVisible()) << i;
    CRect after;
    ::GetWindowRect(fx.popup->GetSafeHwnd(), &after);
    EXPECT_GT(after.Height(), before.Height());
    // Later popups of the thread open expanded.
    EXPECT_TRUE(TKMenusExpandedOnThread());
    fx.popup->SetTrackingMode(0, true, false);
    ASSERT_TRUE(fx.popup->Popup(fx.title, false));
    EXPECT_FALSE(fx.popup->IsExpandButtonShown());
    EXPECT_TRUE(fx.popup->GetControl(3)->IsVisible());
  }
}

// A popup opened from a keyboard tip shows the tips of its items one level deeper; when it
// unfolds its rarely used items its tips go while it is laid out again, and come back at level
// 1 for every item it now shows.
TEST(PopupBar, AnUnfoldingPopupShowsItsKeyboardTipsAgain) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  PopupFixture fx(5);
  fx.manager.GetOptions().keyboard_tips = true;
  fx.manager.GetOptions().full_menus = false;
  fx.manager.RecordUsed(200);
  fx.manager.RecordUsed(202);
  ASSERT_TRUE(fx.manager.GiveKeyboardToBar(fx.bar));
  fx.manager.ShowKeyboardTips(fx.bar, 1);
  ASSERT_TRUE(CTKKeyboardManager::ThreadInstance()->ProcessKey('F', 0));
  ASSERT_TRUE(fx.popup->IsTrackingMode());
  EXPECT_EQ(fx.popup, fx.manager.GetKeyboardTipOwner());
  EXPECT_EQ(2, fx.manager.GetKeyboardTipLevel());
  EXPECT_EQ(2u, fx.manager.GetKeyboardTips().size());

  ASSERT_TRUE(fx.popup->ExpandBar());
  EXPECT_FALSE(fx.manager.AreKeyboardTipsShown());
  DrainMessages();
  ASSERT_TRUE(fx.popup->IsTrackingMode());
  EXPECT_EQ(fx.popup, fx.manager.GetKeyboardTipOwner());
  EXPECT_EQ(1, fx.manager.GetKeyboardTipLevel());
  EXPECT_EQ(5u, fx.manager.GetKeyboardTips().size());
}

// With effects an expanding popup unfolds: the items it showed keep their height while those
// it shows anew grow in, so mid-way the item after a new one stands higher than its final place;
// at the end it shows whole.
TEST(PopupBar, AnExpandingPopupUnfoldsItsNewItems) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  PopupFixture fx(5);
  CTKShadowPopupEffects effects;
  fx.manager.SetPopupEffects(&effects);
  fx.manager.GetOptions().animation = 3;
  fx.manager.GetOptions().full_menus = false;
  fx.manager.RecordUsed(200);
  fx.manager.RecordUsed(202);
  StepsGuard steps(fx.popup->GetPaintManager());
  ASSERT_TRUE(fx.popup->Popup(fx.title, false));
  FrameClock clock;
  HWND window = fx.popup->GetSafeHwnd();
  std::vector<std::vector<DWORD>> frames;
  CSize size;
  clock.on_sleep = [&] {
    CRect rc;
    ::GetClientRect(window, &rc);
    size = rc.Size();
    frames.push_back(WindowPixels(window, size));
  };
  ASSERT_TRUE(fx.popup->ExpandBar());
  ASSERT_EQ(3u, clock.sleeps.size());
  CRect rc;
  ::GetClientRect(window, &rc);
  const std::vector<DWORD> whole = DrawnPixels(fx.popup, rc.Size());
  EXPECT_EQ(whole, WindowPixels(window, rc.Size()));
  // Item 1 is new: in the first frame it has a quarter of its height, and item 2 (shown
  // before) follows it there, drawn whole.
  const CRect item1 = fx.popup->GetControl(1)->GetRect(), item2 = fx.popup->GetControl(2)->GetRect();
  const int shift = item1.Height() - item1.Height() / 4;
  ASSERT_EQ(size, rc.Size());
  int wrong = 0;
  for (int y = item2.top; y < item2.bottom; ++y)
    for (int x = 0; x < size.cx; ++x)
      if (frames[0][(y - shift) * size.cx + x] != whole[y * size.cx + x]) ++wrong;
  EXPECT_EQ(0, wrong);
  fx.popup->SetTrackingMode(0, true, false);
}

TEST(PopupBar, TheRandomAnimationIsNeverNone) {
  PopupFixture fx(1);
  fx.manager.GetOptions().animation = 1;
  bool seen[6] = {};
  for (int i = 0; i < 300; ++i) {
    int kind = fx.popup->GetAnimationKind();
    ASSERT_GE(kind, 2);
    ASSERT_LE(kind, 4);
    seen[kind] = true;
  }
  EXPECT_TRUE(seen[2] && seen[3] && seen[4]);
  fx.manager.GetOptions().animation = 3;
  EXPECT_EQ(3, fx.popup->GetAnimationKind());
}

// A drag on the tear-off caption: scripted pointer moves in the popup's client coordinates.
TEST(PopupBar, DraggingTheCaptionTearsTheMenuOffIntoAFloatingBar) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  struct Case {
    const char* what;
    std::vector<POINT> moves;  // relative to the caption's centre
    UINT end;                  // the message that ends the drag
    bool torn;
  } cases[] = {
      {"away and released", {{0, 5}, {0, 80}, {40, 120}}, WM_LBUTTONUP, true},
      {"away and back over the caption", {{0, 80}, {0, 2}}, WM_LBUTTONUP, false},
      {"Escape ends it where it is", {{0, 80}}, WM_KEYDOWN, true},
      {"the quit message ends it and is posted again", {{0, 80}}, WM_QUIT, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PopupFixture fx(4);
    fx.popup->SetTearOffPopup(L"Torn", 700);
    ASSERT_TRUE(fx.popup->Popup(fx.title, false));
    HWND hwnd = fx.popup->GetSafeHwnd();
    const CRect caption = fx.popup->GetTearOffRect();
    ASSERT_FALSE(caption.IsRectEmpty());
    const CPoint centre = caption.CenterPoint();
    for (POINT d : c.moves)
      ::PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(centre.x + d.x, centre.y + d.y));
    if (c.end == WM_QUIT)
      ::PostQuitMessage(3);
    else
      ::PostMessageW(hwnd, c.end, c.end == WM_KEYDOWN ? VK_ESCAPE : 0, 0);
    POINT start = centre;
    ::ClientToScreen(hwnd, &start);
    POINT last{start.x + c.moves.back().x, start.y + c.moves.back().y};
    EXPECT_EQ(c.torn, fx.popup->TrackTearOff(start));
    EXPECT_EQ(c.end == WM_QUIT, DrainMessages());
    CTKToolBar* torn = fx.manager.FindToolBar(700);
    if (!c.torn) {
      EXPECT_TRUE(fx.popup->IsBarVisible());
      EXPECT_TRUE(torn == nullptr || !torn->IsBarVisible());
      continue;
    }
    ASSERT_NE(nullptr, torn);
    EXPECT_EQ(kFloating, torn->GetPosition());
    EXPECT_TRUE(torn->IsBarVisible());
    EXPECT_EQ(4, torn->GetControls()->GetVisibleCount(true) - (torn->GetHideButton() ? 1 : 0) -
                     (torn->GetExpandButton() && torn->GetExpandButton()->IsVisible() ? 1 : 0));
    EXPECT_EQ(200, torn->GetControl(0)->GetID());
    // The bar hangs from the pointer's last place.
    CRect placed;
    ::GetWindowRect(torn->GetSafeHwnd(), &placed);
    EXPECT_EQ(last.y - 10, placed.top);
    EXPECT_EQ(last.x - placed.Width() / 2, placed.left);
    EXPECT_NE(fx.site.messages.end(), std::find(fx.site.messages.begin(), fx.site.messages.end(), kMsgTearOff));
    // The popup closed with the drag.
    EXPECT_FALSE(fx.popup->IsTrackingMode());
    fx.manager.RemoveToolBar(torn);
  }
}

}  // namespace

namespace {

// The popup's state saved at a schema and read back into it.
void ThroughSchema(CTKPopupBar* popup, int schema) {
  CMemFile memory;
  {
    CArchive ar(&memory, CArchive::store);
    CTKPropExchangeArchive px(ar);
    px.SetSchema(schema);
    popup->DoPropExchange(&px);
  }
  memory.SeekToBegin();
  CArchive ar(&memory, CArchive::load);
  CTKPropExchangeArchive px(ar);
  px.SetSchema(schema);
  popup->DoPropExchange(&px);
}

// Data of schemas below 20 gives a popup bar the gripper bit; a popup bar has no gripper to
// show, so it lays out and draws in every theme as one read from current data.
TEST(PopupBar, TheGripperBitOfOlderSavedStateChangesNothingAPopupShows) {
  MonitorSeam seam({{kLeftArea, {0, 0, 1024, 738}}});
  TKRegisterCommandBarClasses();
  for (int theme = 0; theme <= 6; ++theme) {
    for (int type : {kPopupBar, kToolBar}) {
      SCOPED_TRACE(testing::Message() << "theme " << theme << ", bar type " << type);
      CTKPaintManager* pm = NewThemeByNumber(theme);
      ASSERT_NE(nullptr, pm);
      std::vector<DWORD> drawn[2];
      CSize size[2];
      const int schemas[2] = {19, CTKPropExchange::kCurrentSchema};
      for (int i = 0; i < 2; ++i) {
        PopupFixture fx(5);
        fx.manager.SetPaintManager(pm);
        fx.popup->SetType(type);
        ThroughSchema(fx.popup, schemas[i]);
        ASSERT_EQ(i == 0, fx.popup->IsGripperVisible());
        ASSERT_EQ(5, fx.popup->GetControlCount());
        ASSERT_TRUE(fx.popup->Popup(fx.title, true));
        size[i] = fx.popup->GetClientRect().Size();
        drawn[i] = DrawnPixels(fx.popup, size[i]);
      }
      pm->Release();
      EXPECT_EQ(size[1], size[0]);
      EXPECT_TRUE(drawn[1] == drawn[0]);
    }
  }
}

}  // namespace
