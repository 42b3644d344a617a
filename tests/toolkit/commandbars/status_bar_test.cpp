// The status bar's panes: their rectangles among the visible panes, the last pane's reach, and
// their text, alignment and padding.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/status_bar.h"

namespace {

const int kWidth = 400;

// A status bar across a site window: a fixed pane of 80, a stretching one, a fixed one of 60.
struct StatusFixture {
  explicit StatusFixture(DWORD controlStyle = 0, bool lastStretches = false) {
    EXPECT_TRUE(bar.Create(CWnd::FromHandle(site.hwnd), WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, IDW_STATUS_BAR, controlStyle));
    bar.AddPane(1, 80);
    bar.AddPane(2, 0, CTKStatusBarPane::kStretch);
    bar.AddPane(3, 60, lastStretches ? CTKStatusBarPane::kStretch : 0);
    ::MoveWindow(bar.GetSafeHwnd(), 0, 0, kWidth, 22, TRUE);
  }
  ~StatusFixture() {
    if (bar.GetSafeHwnd()) bar.DestroyWindow();
  }
  // What the control shows in a part.
  std::wstring PartText(int part) {
    wchar_t text[256] = {};
    const LRESULT length = bar.SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(part));
    if (LOWORD(length) >= 256) return L"?";
    bar.SendMessage(SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
  }
  SiteWindow site;
  CTKStatusBar bar;
};

TEST(StatusBarPanes, RectanglesFollowTheVisiblePanes) {
  StatusFixture f;
  const int edge = ::GetSystemMetrics(SM_CXEDGE);
  EXPECT_EQ(3, f.bar.GetVisiblePaneCount());
  const CRect first = f.bar.GetPaneRect(0), middle = f.bar.GetPaneRect(1), last = f.bar.GetPaneRect(2);
  ASSERT_FALSE(first.IsRectEmpty());
  EXPECT_LE(first.right, 80);
  EXPECT_GE(middle.left, 80 - edge);
  EXPECT_LE(middle.right, kWidth - 60);
  EXPECT_GT(middle.right, kWidth - 60 - 2 * edge);
  // The last fixed pane: its width and three edges from where it starts.
  EXPECT_EQ(last.left + 60 + 3 * edge, last.right);
  EXPECT_GE(last.left, kWidth - 60 - 2 * edge);

  // Hiding the middle pane: it has no rectangle and no place; the last moves up beside the first.
  f.bar.SetPaneVisible(1, false);
  EXPECT_EQ(2, f.bar.GetVisiblePaneCount());
  EXPECT_EQ(-1, f.bar.GetPane(1)->GetVisibleIndex());
  EXPECT_EQ(1, f.bar.GetPane(2)->GetVisibleIndex());
  EXPECT_TRUE(f.bar.GetPaneRect(1).IsRectEmpty());
  const CRect moved = f.bar.GetPaneRect(2);
  EXPECT_LE(moved.left, 80 + edge);
  EXPECT_EQ(moved.left + 60 + 3 * edge, moved.right);

  // Padding widens a pane: the next one starts later by as much.
  f.bar.SetPanePadding(0, CRect(5, 0, 7, 0));
  EXPECT_EQ(moved.left + 12, f.bar.GetPaneRect(2).left);

  // Out of range: no pane, no rectangle.
  EXPECT_EQ(nullptr, f.bar.GetPane(3));
  EXPECT_EQ(nullptr, f.bar.GetPane(-1));
  EXPECT_TRUE(f.bar.GetPaneRect(3).IsRectEmpty());
  EXPECT_TRUE(f.bar.GetPaneRect(-1).IsRectEmpty());
}

TEST(StatusBarPanes, AStretchingLastPaneReachesTheEdgeShortOfTheGrip) {
  struct Case {
    DWORD style;
    int short_by;
  } cases[] = {{0, 0}, {SBARS_SIZEGRIP, 18}};  // the grip: a small icon (16) and an edge (2) at 96 dpi
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    StatusFixture f(c.style, true);
    EXPECT_EQ(f.bar.GetClientRect().right - c.short_by, f.bar.GetPaneRect(2).right);
  }
}

TEST(StatusBarPanes, TextKeepsToItsPaneWithItsAlignment) {
  StatusFixture f;
  struct Case {
    int alignment;
    const wchar_t* shown;
  } cases[] = {{CTKStatusBarPane::kLeft, L"Ready"},
               {CTKStatusBarPane::kCenter, L"\tReady"},
               {CTKStatusBarPane::kRight, L"\t\tReady"},
               {7, L"\t\tReady"}};  // an alignment out of range changes nothing
  f.bar.SetPaneText(2, L"Ready");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alignment);
    f.bar.SetPaneTextAlignment(2, c.alignment);
    EXPECT_EQ(c.shown, f.PartText(2));
  }
  EXPECT_EQ(L"Ready", f.bar.GetPaneText(2));
  // Hidden panes give up their parts: the text follows its pane.
  f.bar.SetPaneVisible(0, false);
  f.bar.SetPaneVisible(1, false);
  EXPECT_EQ(L"\t\tReady", f.PartText(0));
  f.bar.SetPaneVisible(0, true);
  EXPECT_EQ(L"\t\tReady", f.PartText(1));
  EXPECT_EQ(L"", f.PartText(0));
}

}  // namespace
