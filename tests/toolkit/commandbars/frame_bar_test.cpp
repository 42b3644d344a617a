// Command bars as control bars of a frame, through real windows: where the frame's layout pass
// puts a bar and the view, which states the idle update gives the buttons, and where a
// button's command goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/appframe/app.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/gdi.h"
#include "platform/appframe/view.h"
#include "platform/win/gdi.h"
#include "test_bars.h"

void PrintTo(const CRect& r, std::ostream* os) { *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")"; }

using namespace TKCommandBars;

namespace {

// 201 disabled by the frame, 202 checked by the frame, 203 disabled by the view, 204 handled
// nowhere, 205 run by the view only, 206 run by the view and the frame, 207 run by the frame only.
std::vector<std::string> g_ran;

class CBarView : public CView {
 public:
  void OnUpdate203(CCmdUI* ui) { ui->Enable(false); }
  void OnRun205() { g_ran.push_back("view 205"); }
  void OnRun206() { g_ran.push_back("view 206"); }
  void PostNcDestroy() override {}
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBarView, CView)
  ON_UPDATE_COMMAND_UI(203, OnUpdate203)
  ON_COMMAND(205, OnRun205)
  ON_COMMAND(206, OnRun206)
END_MESSAGE_MAP()

class CBarFrame : public CFrameWnd {
 public:
  void OnUpdate201(CCmdUI* ui) { ui->Enable(false); }
  void OnUpdate202(CCmdUI* ui) { ui->SetCheck(1); }
  void OnRun206() { g_ran.push_back("frame 206"); }
  void OnRun207() { g_ran.push_back("frame 207"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBarFrame, CFrameWnd)
  ON_UPDATE_COMMAND_UI(201, OnUpdate201)
  ON_UPDATE_COMMAND_UI(202, OnUpdate202)
  ON_COMMAND(206, OnRun206)
  ON_COMMAND(207, OnRun207)
END_MESSAGE_MAP()

CRect ChildRect(const CWnd& child) {
  CRect r = child.GetWindowRect();
  MapWindowPoints(nullptr, GetParent(child.m_hWnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LPARAM At(CPoint pt) { return MAKELPARAM(pt.x, pt.y); }

class FrameBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ran.clear();
    ASSERT_TRUE(frame.Create(nullptr, L"Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    ASSERT_TRUE(view.Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(), &frame, IDW_PANE_FIRST, nullptr));
    frame.SetActiveView(&view);
    bar = new TestBar;
    bar->SetGripperVisible(false);
    for (int id = 201; id <= 207; ++id) {
      CTKControl* c = bar->GetControls()->Add(kButton, id);
      c->SetCaption(L"Command " + std::to_wstring(id));
      c->SetStyle(3);
    }
  }
  void TearDown() override {
    frame.DestroyWindow();
    bar->Release();
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    DrainMessages();
  }
  void CreateBar(DWORD bar_style) {
    bar->SetBarStyle(bar_style);
    ASSERT_TRUE(bar->Create(frame.m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, IDW_TOOLBAR));
  }
  // Sizes the frame so that its client area is width x height (the pass runs on WM_SIZE).
  void SizeClient(int width, int height) {
    CRect r(0, 0, width, height);
    AdjustWindowRectEx(&r, frame.GetStyle(), FALSE, frame.GetExStyle());
    frame.SetWindowPos(nullptr, 0, 0, r.Width(), r.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(CRect(0, 0, width, height), frame.GetClientRect());
  }
  CPoint Center(int id) const { return bar->GetControl(id - 201)->GetRect().CenterPoint(); }

  CWinApp app;
  CBarFrame frame;
  CBarView view;
  TestBar* bar = nullptr;
};

TEST_F(FrameBarTest, TheFramesLayoutPassDocksTheBarAtTheTopAndWrapsItsButtonsAtTheWidth) {
  CreateBar(CBRS_TOP);
  EXPECT_EQ(kTop, bar->GetPosition());
  SizeClient(900, 300);
  const CRect wide = ChildRect(*bar);
  EXPECT_EQ(0, wide.left);
  EXPECT_EQ(0, wide.top);
  EXPECT_EQ(900, wide.right);
  EXPECT_GT(wide.Height(), 0);
  EXPECT_EQ(CRect(0, wide.bottom, 900, 300), ChildRect(view));
  // Every button has its place inside the bar.
  for (int id = 201; id <= 207; ++id) {
    CRect rc = bar->GetControl(id - 201)->GetRect();
    EXPECT_FALSE(rc.IsRectEmpty()) << id;
    EXPECT_LE(rc.right, 900) << id;
    EXPECT_LE(rc.bottom, wide.Height()) << id;
  }

  // Narrower: the buttons take more rows, the bar grows and the view starts below it.
  SizeClient(200, 300);
  const CRect narrow = ChildRect(*bar);
  EXPECT_EQ(200, narrow.Width());
  EXPECT_GT(narrow.Height(), wide.Height());
  EXPECT_EQ(CRect(0, narrow.bottom, 200, 300), ChildRect(view));
  for (int id = 201; id <= 207; ++id) EXPECT_LE(bar->GetControl(id - 201)->GetRect().right, 200) << id;
}

TEST_F(FrameBarTest, ABarDockedOnTheLeftTakesAColumnAndAHiddenOneNoRoom) {
  CreateBar(CBRS_LEFT);
  EXPECT_EQ(kLeft, bar->GetPosition());
  EXPECT_TRUE(bar->IsVertical());
  SizeClient(400, 300);
  const CRect column = ChildRect(*bar);
  EXPECT_EQ(CRect(0, 0, column.right, 300), column);
  EXPECT_GT(column.Width(), 0);
  EXPECT_LT(column.Width(), 200);
  EXPECT_EQ(CRect(column.right, 0, 400, 300), ChildRect(view));

  bar->ShowWindow(SW_HIDE);
  frame.RecalcLayout();
  EXPECT_EQ(CRect(0, 0, 400, 300), ChildRect(view));
}

TEST_F(FrameBarTest, TheIdleUpdateGivesTheButtonsTheStatesOfTheFramesRoute) {
  CreateBar(CBRS_TOP);
  SizeClient(900, 300);
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  app.m_pMainWnd = &frame;
  app.OnIdle(0);
  auto enabled = [&](int id) { return bar->GetControl(id - 201)->GetEnabled(); };
  EXPECT_FALSE(enabled(201));                          // the frame's update handler
  EXPECT_EQ(1, bar->GetControl(1)->GetChecked());      // the frame's update handler
  EXPECT_FALSE(enabled(203));                          // the active view's update handler
  EXPECT_FALSE(enabled(204));                          // nobody would run it
  EXPECT_TRUE(enabled(205));                           // the view runs it
  EXPECT_TRUE(enabled(206));
  EXPECT_TRUE(enabled(207));                           // the frame runs it
  EXPECT_EQ(0, bar->GetPendingLayout());
  app.m_pMainWnd = nullptr;
}

TEST_F(FrameBarTest, AHiddenBarKeepsItsStatesAndItsPendingLayoutUntilShown) {
  CreateBar(CBRS_TOP);
  SizeClient(900, 300);
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  app.m_pMainWnd = &frame;
  bar->ShowWindow(SW_HIDE);
  bar->DelayLayout();
  app.OnIdle(0);
  EXPECT_TRUE(bar->GetControl(0)->GetEnabled());
  EXPECT_EQ(1, bar->GetPendingLayout() & 1);
  app.m_pMainWnd = nullptr;
}

TEST_F(FrameBarTest, AButtonsCommandReachesTheActiveViewFirstThenTheFrame) {
  CreateBar(CBRS_TOP);
  SizeClient(900, 300);
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  HWND hwnd = bar->GetSafeHwnd();
  for (int id : {205, 206, 207}) {
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, At(Center(id)));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(Center(id)));
    DrainMessages();
  }
  EXPECT_EQ((std::vector<std::string>{"view 205", "view 206", "frame 207"}), g_ran);
}

bool OnScreen() { return wcsstr(::GetCommandLineW(), L"--screen") != nullptr; }

// What the bar shows on the screen is what it draws: the paint reaches the window.
TEST_F(FrameBarTest, PaintOnTheScreenShowsWhatTheBarDraws) {
  if (!OnScreen()) GTEST_SKIP() << "runs on the virtual screen (--screen)";
  CreateBar(CBRS_TOP);
  bar->GetControl(3)->SetChecked(1);
  ::SetWindowPos(frame.m_hWnd, HWND_TOP, 40, 40, 900, 300, SWP_SHOWWINDOW);
  ::SetForegroundWindow(frame.m_hWnd);
  frame.RecalcLayout();
  ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  DrainMessages();
  const CRect client = bar->GetClientRect();
  ASSERT_GT(client.Height(), 0);
  // The expected picture: the bar drawn into memory.
  const std::vector<DWORD> shown = WindowPixels(bar->GetSafeHwnd(), client.Size());
  const std::vector<DWORD> drawn = DrawnPixels(bar, client.Size());
  ASSERT_EQ(static_cast<size_t>(client.Width() * client.Height()), shown.size());
  ASSERT_EQ(shown.size(), drawn.size());
  // A row through the buttons' middles, from the first button to past the last.
  const int y = bar->GetControl(0)->GetRect().CenterPoint().y;
  const int right = std::min<int>(client.right, bar->GetControl(6)->GetRect().right + 10);
  int differing = 0;
  for (int x = 0; x < right; ++x) differing += shown[y * client.Width() + x] != drawn[y * client.Width() + x];
  EXPECT_EQ(0, differing) << "of " << right << " pixels";
}

// A click on a tool bar that sits in a view: while the focus lies in one of the framework's
// frames (the bar's own or another) the bar asks for no activation, so the focus stays where it
// is; with the focus outside every frame the click goes on up to the view, which takes the
// focus. A bar in customize mode never activates.
TEST_F(FrameBarTest, AClickOnABarLeavesTheFocusInAFrameWhereItIs) {
  CTKCommandBarManager manager;
  CTKToolBar* tool = new CTKToolBar;
  tool->SetCommandBarManager(&manager);
  ASSERT_TRUE(tool->CreateToolBar(view.m_hWnd, false));
  SiteWindow outside;
  CFrameWnd other;
  ASSERT_TRUE(other.Create(nullptr, L"Other", WS_OVERLAPPEDWINDOW, CRect(420, 0, 700, 200)));
  auto edit_in = [](HWND parent) {
    return ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  };
  const HWND frame_edit = edit_in(frame.m_hWnd), other_edit = edit_in(other.m_hWnd),
             outside_edit = edit_in(outside.hwnd);
  frame.ShowWindow(SW_SHOWNA);
  other.ShowWindow(SW_SHOWNA);
  ::ShowWindow(outside.hwnd, SW_SHOWNA);
  struct Case {
    const char* what;
    HWND focus;
    bool customize;
    LRESULT answer;
    HWND focus_after;
  } cases[] = {
      {"in the frame's edit box", frame_edit, false, MA_NOACTIVATE, frame_edit},
      {"in another frame's edit box", other_edit, false, MA_NOACTIVATE, other_edit},
      {"in a window of no frame", outside_edit, false, MA_ACTIVATE, view.m_hWnd},
      {"in a window of no frame, customizing", outside_edit, true, MA_NOACTIVATE, outside_edit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    manager.SetCustomizeMode(c.customize);
    ::SetFocus(c.focus);
    ASSERT_EQ(c.focus, ::GetFocus());
    EXPECT_EQ(c.answer, ::SendMessageW(tool->GetSafeHwnd(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame.m_hWnd),
                                       MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    EXPECT_EQ(c.focus_after, ::GetFocus());
  }
  manager.SetCustomizeMode(false);
  tool->DestroyWindow();
  tool->Release();
  other.DestroyWindow();
  DrainMessages();
}

}  // namespace
