// Frames through real windows: where the bars and the client stand after a layout pass, which
// target a command reaches, what the idle update shows, the message texts and the floating
// windows' notices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appframe_test_ids.h"
#include "platform/appframe/app.h"
#include "platform/appframe/control_bar.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/appframe/mini_frame.h"
#include "platform/appframe/status_bar.h"
#include "platform/appframe/view.h"
#include "platform/win/scoped_resource.h"

// Readable failures.
void PrintTo(const CRect& r, std::ostream* os) { *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")"; }
void PrintTo(const CString& s, std::ostream* os) { *os << '"' << s.ToAnsi() << '"'; }

namespace {

std::vector<std::string>* g_log = nullptr;
void Log(const std::string& entry) {
  if (g_log) g_log->push_back(entry);
}

// A bar of a fixed thickness on its side that logs the layout messages it sees.
class CTestBar : public CControlBar {
 public:
  CTestBar(const char* name, int thickness) : thickness_(thickness), name_(name) {}
  CSize CalcFixedLayout(bool stretch, bool horizontal) override {
    return horizontal ? CSize(stretch ? 32767 : 50, thickness_) : CSize(thickness_, stretch ? 32767 : 50);
  }
  void OnUpdateCmdUI(CFrameWnd* target, bool disable) override {
    ++updates;
    for (UINT id : commands) {
      CRecordingCmdUI ui;
      ui.m_nID = id;
      ui.DoUpdate(target, disable);
      states.push_back(ui.state);
    }
  }
  struct CRecordingCmdUI : CCmdUI {
    std::string state = "untouched";
    void Enable(bool on) override {
      m_bEnableChanged = true;
      state = on ? "enabled" : "disabled";
    }
    void SetCheck(int check) override { state += check ? "+checked" : "+unchecked"; }
  };
  LRESULT OnSizeParentLogged(WPARAM w, LPARAM l) {
    Log(std::string("measure ") + name_);
    if (reenter) {
      reenter = false;
      if (CFrameWnd* frame = GetDockingFrame()) frame->RecalcLayout();
    }
    return OnSizeParent(w, l);
  }
  void OnWindowPosChanged(WINDOWPOS* pos) {
    if (!(pos->flags & SWP_NOSIZE) || !(pos->flags & SWP_NOMOVE)) Log(std::string("move ") + name_);
    Default();
  }

  int thickness_;
  int updates = 0;
  bool reenter = false;
  std::vector<UINT> commands;
  std::vector<std::string> states;

 private:
  const char* name_;
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestBar, CControlBar)
  ON_MESSAGE(WM_SIZEPARENT, OnSizeParentLogged)
  ON_WM_WINDOWPOSCHANGED()
END_MESSAGE_MAP()

// Commands: 101 the view's, 102 the frame's, 103 the application's, 104 both the view's and the
// frame's, 105 run by the frame but disabled by the view, 106 handed on by the view's update.
std::vector<std::string> g_ran;

class CTestView : public CView {
 public:
  void OnView101() { g_ran.push_back("view 101"); }
  void OnView104() { g_ran.push_back("view 104"); }
  void OnUpdate105(CCmdUI* ui) { ui->Enable(false); }
  void OnUpdate106(CCmdUI* ui) { ui->m_bContinueRouting = true; }
  void OnUpdate107(CCmdUI* ui) { ui->Enable(false); }
  void PostNcDestroy() override {}   // the tests own their views
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestView, CView)
  ON_COMMAND(101, OnView101)
  ON_COMMAND(104, OnView104)
  ON_UPDATE_COMMAND_UI(105, OnUpdate105)
  ON_UPDATE_COMMAND_UI(106, OnUpdate106)
  ON_UPDATE_COMMAND_UI(107, OnUpdate107)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
 public:
  void OnFrame102() { g_ran.push_back("frame 102"); }
  void OnFrame104() { g_ran.push_back("frame 104"); }
  void OnFrame105() { g_ran.push_back("frame 105"); }
  void OnFrame106() { g_ran.push_back("frame 106"); }
  void OnUpdate106(CCmdUI* ui) { ui->Enable(true); }
  void OnUpdate108(CCmdUI* ui) { ui->SetCheck(1); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_COMMAND(102, OnFrame102)
  ON_COMMAND(104, OnFrame104)
  ON_COMMAND(105, OnFrame105)
  ON_COMMAND(106, OnFrame106)
  ON_UPDATE_COMMAND_UI(106, OnUpdate106)
  ON_UPDATE_COMMAND_UI(108, OnUpdate108)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
 public:
  void OnApp103() { g_ran.push_back("app 103"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
  ON_COMMAND(103, OnApp103)
END_MESSAGE_MAP()

// A button that takes its own clicks.
class CSelfClickingButton : public CWnd {
 public:
  int clicks = 0;
  void OnReflectedClick() { ++clicks; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSelfClickingButton, CWnd)
  ON_CONTROL_REFLECT(BN_CLICKED, OnReflectedClick)
END_MESSAGE_MAP()

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

CRect ChildRect(const CWnd& child) {
  CRect r = child.GetWindowRect();
  MapWindowPoints(nullptr, GetParent(child.m_hWnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ran.clear();
    g_log = &log;
    ASSERT_TRUE(frame.Create(nullptr, L"Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    ASSERT_TRUE(view.Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(), &frame, IDW_PANE_FIRST, nullptr));
    frame.SetActiveView(&view);
    ASSERT_TRUE(top.Create(nullptr, WS_CHILD | WS_VISIBLE, &frame, IDW_TOOLBAR, CBRS_TOP));
    ASSERT_TRUE(left.Create(nullptr, WS_CHILD | WS_VISIBLE, &frame, IDW_TOOLBAR + 2, CBRS_LEFT));
    ASSERT_TRUE(status.Create(&frame));
  }
  void TearDown() override {
    g_log = nullptr;
    frame.DestroyWindow();
  }
  // Sizes the frame so that its client area is width x height (the pass runs on WM_SIZE).
  void SizeClient(int width, int height) {
    CRect r(0, 0, width, height);
    AdjustWindowRectEx(&r, frame.GetStyle(), FALSE, frame.GetExStyle());
    frame.SetWindowPos(nullptr, 0, 0, r.Width(), r.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(CRect(0, 0, width, height), frame.GetClientRect());
  }

  std::vector<std::string> log;
  CTestApp app;
  CTestFrame frame;
  CTestView view;
  CTestBar top{"top", 30};
  CTestBar left{"left", 40};
  CStatusBar status;
};

TEST_F(FrameTest, TheLayoutPassGivesEachBarItsStripAndTheViewTheRest) {
  SizeClient(400, 300);
  int status_height = ChildRect(status).Height();
  ASSERT_GT(status_height, 0);
  EXPECT_EQ(CRect(0, 0, 400, 30), ChildRect(top));
  // The bars take their strips in the order of the frame's children: the left bar (made before
  // the status bar) runs down to the bottom, the status bar takes what it leaves.
  EXPECT_EQ(CRect(40, 300 - status_height, 400, 300), ChildRect(status));
  EXPECT_EQ(CRect(0, 30, 40, 300), ChildRect(left));
  EXPECT_EQ(CRect(40, 30, 400, 300 - status_height), ChildRect(view));
  EXPECT_EQ(4u, frame.GetControlBars().size() + 1);   // the three bars are in the frame's list

  // A resize moves everything in one pass: every bar is measured before anything moves.
  log.clear();
  SizeClient(500, 200);
  ASSERT_FALSE(log.empty());
  size_t first_move = log.size(), last_measure = 0;
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].rfind("move", 0) == 0 && first_move == log.size()) first_move = i;
    if (log[i].rfind("measure", 0) == 0) last_measure = i;
  }
  EXPECT_LT(last_measure, first_move);
  EXPECT_EQ(CRect(40, 30, 500, 200 - status_height), ChildRect(view));

  // Room kept free around the client.
  frame.m_rectBorder = CRect(5, 6, 7, 8);
  frame.RecalcLayout();
  EXPECT_EQ(CRect(45, 36, 493, 192 - status_height), ChildRect(view));
}

TEST_F(FrameTest, ALayoutPassAskedForDuringOneIsRefused) {
  SizeClient(400, 300);
  log.clear();
  top.reenter = true;
  frame.RecalcLayout();
  // One measure per bar: the nested request did not start a second pass.
  int measures_of_top = 0;
  for (const std::string& e : log) measures_of_top += e == "measure top";
  EXPECT_EQ(1, measures_of_top);
  EXPECT_FALSE(frame.IsInRecalcLayout());
}

TEST_F(FrameTest, APendingLayoutWaitsForTheIdleUpdate) {
  SizeClient(400, 300);
  top.thickness_ = 50;
  frame.DelayRecalcLayout();
  EXPECT_EQ(CRect(0, 0, 400, 30), ChildRect(top));
  frame.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_EQ(CRect(0, 0, 400, 50), ChildRect(top));
  EXPECT_EQ(0u, frame.m_nIdleFlags & CFrameWnd::idleLayout);

  // Posted by a companion (wParam 0): a layout pass at once.
  top.thickness_ = 20;
  frame.PostMessage(WM_IDLEUPDATECMDUI, 0);
  Pump();
  EXPECT_EQ(CRect(0, 0, 400, 20), ChildRect(top));
}

TEST_F(FrameTest, ADelayedHideHappensAtTheIdleUpdateAndTheViewTakesTheRoom) {
  SizeClient(400, 300);
  frame.ShowControlBar(&left, false, true);
  EXPECT_TRUE(left.GetStyle() & WS_VISIBLE);
  EXPECT_FALSE(left.IsVisible());
  frame.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_FALSE(left.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(0, ChildRect(view).left);
  frame.ShowControlBar(&left, true, false);
  EXPECT_TRUE(left.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(40, ChildRect(view).left);
}

TEST_F(FrameTest, TheApplicationsIdleUpdatesVisibleBarsThroughTheRoute) {
  SizeClient(400, 300);
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  app.m_pMainWnd = &frame;
  top.commands = {101, 105, 106, 108, 199};
  left.ShowWindow(SW_HIDE);
  app.OnIdle(0);
  EXPECT_EQ(1, top.updates);
  EXPECT_EQ(0, left.updates);   // hidden bars are not updated
  // 101 has a handler in the view, 105 is disabled by the view, 106 handed on to the frame,
  // 108 checked by the frame, 199 handled nowhere.
  EXPECT_EQ((std::vector<std::string>{"untouched", "disabled", "enabled", "untouched+checked", "disabled"}), top.states);
  app.m_pMainWnd = nullptr;
}

TEST_F(FrameTest, CommandsGoToTheViewThenTheFrameThenTheApplication) {
  for (UINT id : {101u, 102u, 103u, 104u, 105u, 106u, 107u}) frame.PostMessage(WM_COMMAND, MAKEWPARAM(id, 0));
  // From a bar: the bar's window is the control of the command.
  frame.PostMessage(WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), reinterpret_cast<LPARAM>(top.m_hWnd));
  // An accelerator (code 1).
  frame.PostMessage(WM_COMMAND, MAKEWPARAM(101, 1));
  Pump();
  EXPECT_EQ((std::vector<std::string>{"view 101", "frame 102", "app 103", "view 104", "frame 106", "frame 102",
                                      "view 101"}),
            g_ran);

  // A menu opened on the frame shows the route's states.
  KestrinWinNS::CScopedMenu menu(CreatePopupMenu());
  for (UINT id : {101u, 105u, 199u}) AppendMenuW(menu.Get(), MF_STRING, id, L"item");
  frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.Get()));
  EXPECT_FALSE(GetMenuState(menu.Get(), 101, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu.Get(), 105, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu.Get(), 199, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(FrameTest, AControlSeesItsOwnNotificationFirst) {
  HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, view.m_hWnd,
                                reinterpret_cast<HMENU>(101), nullptr, nullptr);
  CSelfClickingButton self;
  ASSERT_TRUE(self.SubclassWindow(button));
  view.SendMessage(WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  EXPECT_EQ(1, self.clicks);
  EXPECT_TRUE(g_ran.empty());
  // Another notification code goes on to the parent's map.
  HWND plain = CreateWindowExW(0, L"BUTTON", L"c", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, view.m_hWnd,
                               reinterpret_cast<HMENU>(101), nullptr, nullptr);
  view.SendMessage(WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(plain));
  EXPECT_EQ((std::vector<std::string>{"view 101"}), g_ran);
  self.DestroyWindow();
  DestroyWindow(plain);
}

TEST_F(FrameTest, MessageTextsAreSetAndRestored) {
  EXPECT_EQ(0, frame.SendMessage(WM_SETMESSAGESTRING, ID_TEST_SAVE));
  EXPECT_EQ(CString(L"Saves the sheet"), status.GetPaneText(0));
  EXPECT_EQ(static_cast<LRESULT>(ID_TEST_SAVE),
            frame.SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(L"Hovering")));
  EXPECT_EQ(CString(L"Hovering"), status.GetPaneText(0));
  frame.SendMessage(WM_POPMESSAGESTRING);
  EXPECT_EQ(CString(L"Saves the sheet"), status.GetPaneText(0));
  frame.SendMessage(WM_POPMESSAGESTRING, IDS_IDLEMESSAGE);
  EXPECT_EQ(CString(L"Ready"), status.GetPaneText(0));
  // A menu closing brings the idle text back.
  frame.SendMessage(WM_SETMESSAGESTRING, ID_TEST_SAVE);
  frame.SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(CString(L"Ready"), status.GetPaneText(0));
}

class CLoggingMiniFrame : public CMiniFrameWnd {
 public:
  std::vector<WPARAM> notices;
  LRESULT OnFloatStatusLogged(WPARAM w, LPARAM l) {
    notices.push_back(w);
    return OnFloatStatus(w, l);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLoggingMiniFrame, CMiniFrameWnd)
  ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatusLogged)
END_MESSAGE_MAP()

TEST_F(FrameTest, FloatingFramesFollowTheirOwner) {
  CLoggingMiniFrame palette;
  ASSERT_TRUE(palette.CreateEx(0, nullptr, L"Palette", MFS_SYNCACTIVE | WS_SYSMENU, CRect(10, 10, 110, 60), &frame));
  EXPECT_EQ(frame.m_hWnd, GetWindow(palette.m_hWnd, GW_OWNER));
  EXPECT_TRUE(palette.GetExStyle() & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(palette.GetStyle() & MFS_SYNCACTIVE);   // the frame's bit, not the window's

  frame.EnableWindow(false);
  frame.EnableWindow(true);
  frame.NotifyFloatingWindows(FS_ACTIVATE);
  EXPECT_TRUE(palette.IsCaptionActive());
  frame.NotifyFloatingWindows(FS_DEACTIVATE);
  EXPECT_FALSE(palette.IsCaptionActive());
  EXPECT_EQ((std::vector<WPARAM>{FS_DISABLE, FS_ENABLE, FS_ACTIVATE, FS_DEACTIVATE}), palette.notices);
  EXPECT_EQ(1, palette.SendMessage(WM_FLOATSTATUS, FS_SYNCACTIVE));
  palette.DestroyWindow();
}

}  // namespace
