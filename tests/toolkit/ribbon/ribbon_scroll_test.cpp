// The scrollable groups band: the scroll buttons' places, stepping, and bringing a control of
// the band into view.
#include <gtest/gtest.h>

#include "tests/toolkit/ribbon/ribbon_test_groups.h"
#include "tests/toolkit/tabs/tab_test_env.h"
#include "toolkit/commandbars/command_bar_defs.h"
#include "toolkit/ribbon/ribbon_scrollable_bar.h"

namespace {

// A band 200 wide (left margin 4, right 6) with three groups of 100 and no smaller forms: the
// groups need 314 pixels, 124 more than the 190 available.
class ScrollBand : public CTKRibbonScrollableBar {
 public:
  ScrollBand() : groups_(new CTKRibbonGroups(nullptr)) {
    SetGroupsRect(RECT{0, 30, 200, 123});
    for (int i = 0; i < 3; ++i) groups_->PutGroupAt(i, new TestGroup(100, {}), nullptr, this);
  }
  ~ScrollBand() override { groups_->InternalRelease(); }
  int GroupsHeight() const override { return 93; }
  int GroupCaptionHeight() const override { return 17; }
  bool ShowsTab(const CTKRibbonTab*) const override { return true; }
  void RelayoutGroups() override {
    ++relayouts;
    groups_->ArrangeGroups(nullptr, GroupsRect().right - GroupsRect().left, 4, GroupsRect().top + 3, 6);
  }
  int FirstGroupLeft() const { return groups_->At(0)->Rect().left; }
  static bool Shown(const CTKControl* button) { return (button->GetHideFlags() & TKCommandBars::kHideShow) == 0; }

  int relayouts = 0;

 private:
  CTKRibbonGroups* groups_;
};

TEST(RibbonScrollableBar, ButtonsSitAtTheBandsEnds) {
  ScrollBand band;
  band.RelayoutGroups();
  EXPECT_FALSE(ScrollBand::Shown(band.LeftButton()));
  ASSERT_TRUE(ScrollBand::Shown(band.RightButton()));
  EXPECT_EQ(band.RightButton()->GetRect(), CRect(200 + 1 - 13, 30, 201, 123));
  EXPECT_EQ(band.RightButton()->GetFlags(), 0x12);
  band.RightButton()->OnExecute();
  ASSERT_TRUE(ScrollBand::Shown(band.LeftButton()));
  EXPECT_EQ(band.LeftButton()->GetRect(), CRect(-1, 30, 12, 123));
}

TEST(RibbonScrollableBar, StepsAreFortyPixelsWithinTheScrollableRange) {
  struct Step {
    bool left;
    int offset;
  };
  const Step steps[] = {{false, 40}, {false, 80}, {false, 120}, {false, 124}, {false, 124},
                        {true, 84},  {true, 44},  {true, 4},    {true, 0},    {true, 0}};
  ScrollBand band;
  band.RelayoutGroups();
  for (const Step& s : steps) {
    (s.left ? band.LeftButton() : band.RightButton())->OnExecute();
    EXPECT_EQ(band.ScrollOffset(), s.offset);
    EXPECT_EQ(band.FirstGroupLeft(), 4 - s.offset);
  }
}

TEST(RibbonScrollableBar, BringsAControlIntoView) {
  struct Case {
    int start;       // offset before
    RECT control;    // in band coordinates
    int offset;      // after
  };
  const Case cases[] = {
      {0, {20, 40, 60, 60}, 0},     // inside, left button hidden
      {0, {150, 40, 230, 60}, 42},  // past the right edge: overflow 30 + 12
      {60, {5, 40, 40, 60}, 53},    // within 12 of the left edge: 12 - 5
      {60, {-30, 40, 10, 60}, 18},  // left of the band: 12 + 30
      {124, {150, 40, 230, 60}, 124},  // right button hidden at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    ScrollBand band;
    band.SetGroupsScroll(c.start, false, false);
    band.RelayoutGroups();
    band.EnsureVisible(c.control);
    EXPECT_EQ(band.ScrollOffset(), c.offset);
  }
}

// A hidden window of the test's thread for the hold loop's capture.
class LoopWindow {
 public:
  LoopWindow() : hwnd_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr)) {}
  ~LoopWindow() {
    if (GetCapture()) ReleaseCapture();
    DestroyWindow(hwnd_);
    DrainQueue();
  }
  HWND hwnd() const { return hwnd_; }
  void Post(UINT message, WPARAM wparam = 0) const { PostMessageW(hwnd_, message, wparam, 0); }

 private:
  HWND hwnd_;
};

TEST(RibbonScrollableBar, HeldButtonRepeatsAfterTheFirstDelayUntilTheEnd) {
  ScrollBand band;
  band.RelayoutGroups();
  LoopWindow window;
  FakeClock clock;
  clock.owner = window.hwnd();
  clock.on_wait = [&](DWORD timeout) {
    if (timeout == INFINITE) window.Post(WM_LBUTTONUP);
    return true;
  };
  band.HoldScrollButton(window.hwnd(), false);
  const DWORD click = GetDoubleClickTime();
  // 40, 80, 120, then the end at 124 hides the button and the loop waits for the release.
  EXPECT_EQ(clock.waits, (std::vector<DWORD>{click * 4 / 5, click / 10, click / 10, INFINITE}));
  EXPECT_EQ(band.ScrollOffset(), 124);
  EXPECT_EQ(band.RightButton()->GetPressed(), 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(RibbonScrollableBar, HoldEndsOnReleaseCancelAndQuit) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wparam;
  };
  const Case cases[] = {{"release", WM_LBUTTONUP, 0},
                        {"escape", WM_KEYDOWN, VK_ESCAPE},
                        {"cancel mode", WM_CANCELMODE, 0},
                        {"right button", WM_RBUTTONDOWN, 0},
                        {"quit", WM_QUIT, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScrollBand band;
    band.RelayoutGroups();
    LoopWindow window;
    FakeClock clock;
    clock.owner = window.hwnd();
    if (c.message == WM_QUIT)
      PostQuitMessage(static_cast<int>(c.wparam));
    else
      window.Post(c.message, c.wparam);
    band.HoldScrollButton(window.hwnd(), false);
    EXPECT_EQ(band.ScrollOffset(), 40);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(clock.waits.empty());
    MSG msg{};
    EXPECT_EQ(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, c.message == WM_QUIT);
  }
}

TEST(RibbonScrollableBar, HoldEndsWhenAnotherWindowTakesTheCapture) {
  ScrollBand band;
  band.RelayoutGroups();
  LoopWindow window, other;
  FakeClock clock;
  clock.owner = window.hwnd();
  clock.on_wait = [&](DWORD) {
    SetCapture(other.hwnd());
    return true;
  };
  band.HoldScrollButton(window.hwnd(), false);
  EXPECT_EQ(clock.waits.size(), 1u);
  EXPECT_EQ(GetCapture(), other.hwnd()) << "the loop leaves the new holder alone";
}

}  // namespace
