// Docking: rows of bars on each side of a frame, the frame's layout on a resize, bars moved by
// scripts of mouse messages (docking, undocking, sides a bar may not use, floating), the
// docked/floating toggle and the ways the move loop ends.
//
// The program runs on a desktop of its own. Its move loops hold the mouse capture, so on a
// desktop shared with other programs any pointer move the system makes there (a window of
// another program shown, moved or closed under the pointer, the activation passed on to this
// program's frame) would reach the captured bar and join the scripts.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/appframe/frame_wnd.h"
#include "tests/common/observe/private_desktop.h"
#include "test_bars.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/dock_context.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/seams.h"

using namespace TKCommandBars;

namespace {

// A bar that starts the move loop when pressed where no control lies, and toggles docking on a
// double click there, as tool bars do.
class DockTestBar : public TestBar {
 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    CPoint pt(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && !GetControls()->HitTest(pt)) {
      ::ClientToScreen(GetSafeHwnd(), &pt);
      if (message == WM_LBUTTONDOWN)
        EnableDockContext()->StartMove(pt);
      else
        EnableDockContext()->ToggleDocking();
      return 0;
    }
    return TestBar::WindowProc(message, wparam, lparam);
  }
};

// A frame that counts the update requests its command route receives for command 100, and
// disables that command.
class CountingFrame : public CFrameWnd {
 public:
  bool OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool notify) override {
    if (code == CN_UPDATE_COMMAND_UI && id == 100 && extra) {
      ++updates;
      static_cast<CCmdUI*>(extra)->Enable(false);
      return true;
    }
    return CFrameWnd::OnCmdMsg(id, code, extra, result, notify);
  }
  int updates = 0;
};

struct DockFrame {
  explicit DockFrame(int width = 640, int height = 480, CFrameWnd* made = nullptr) {
    // The pointer away from every window of the test: moving windows never pass under it, so
    // no mouse move of the system's own joins the scripts.
    ::SetCursorPos(2, 2);
    frame = made ? made : new CFrameWnd;
    frame->Create(nullptr, L"dock", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(100, 100, 100 + width, 100 + height));
    manager.SetSite(frame->m_hWnd);
    CTKDockBar::CreateDockBars(frame, &manager);
    ::ShowWindow(frame->m_hWnd, SW_SHOWNA);
    frame->RecalcLayout();
  }
  ~DockFrame() {
    for (DockTestBar* bar : bars) {
      if (bar->GetSafeHwnd()) bar->DestroyWindow();
      bar->Release();
    }
    frame->DestroyWindow();
    delete frame;
    DrainMessages();
  }
  // A bar of `buttons` buttons with the Flags word `flags`, docked at `side` in a new row.
  DockTestBar* AddBar(int buttons, DWORD flags, int side) {
    DockTestBar* bar = new DockTestBar;
    bar->SetCommandBarManager(&manager);
    bar->SetFlags(flags);
    for (int i = 0; i < buttons; ++i) bar->GetControls()->Add(kButton, 100 + i);
    bar->Create(frame->m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10});
    bars.push_back(bar);
    if (side >= 0 && side <= 3) CTKDockContext::DockBar(bar, Dock(side), nullptr);
    return bar;
  }
  // A tool bar of the manager (which holds it) with `buttons` buttons (ids from 100), docked at
  // `side` in a new row or floating (4). `cls` makes a bar of another class (the menu bar).
  CTKToolBar* AddToolBar(int buttons, DWORD flags, int side, const CRuntimeClass* cls = nullptr) {
    CTKToolBar* bar = manager.AddToolBar(L"bar", 0, cls);
    bar->SetFlags(flags, ~flags);
    for (int i = 0; i < buttons; ++i) bar->GetControls()->Add(kButton, 100 + i);
    bar->CreateToolBar(frame->m_hWnd, false);
    if (side >= 0 && side <= 3)
      CTKDockContext::DockBar(bar, Dock(side), nullptr);
    else if (side == 4)
      CTKDockContext::FloatBar(bar, ToScreen(CPoint(200, 200)));
    return bar;
  }
  CTKDockBar* Dock(int side) const { return CTKDockBar::FromSide(frame->m_hWnd, side); }
  // A window's rectangle in the frame's client coordinates.
  CRect InFrame(HWND window) const {
    CRect rc;
    ::GetWindowRect(window, &rc);
    ::MapWindowPoints(nullptr, frame->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }
  CRect Client() const { return frame->GetClientRect(); }
  CPoint ToScreen(CPoint pt) const {
    ::ClientToScreen(frame->m_hWnd, &pt);
    return pt;
  }
  // Posts a drag to the frame (which does not move): moves in `steps` steps from `from` to
  // each target in turn (frame client coordinates), then the release.
  void PostDrag(CPoint from, const std::vector<CPoint>& targets, int steps = 4, bool release = true) {
    for (CPoint to : targets) {
      for (int i = 1; i <= steps; ++i) {
        CPoint at(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
        ::PostMessageW(frame->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
      }
      from = to;
    }
    if (release) ::PostMessageW(frame->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(from.x, from.y));
  }
  // The point 2 pixels inside the bar's top-left corner (its gripper), in frame coordinates.
  CPoint Grip(CTKCommandBar* bar) const { return InFrame(bar->GetSafeHwnd()).TopLeft() + CPoint(2, 2); }
  // Presses the bar at its gripper: the move loop runs on the posted script.
  void Press(CTKCommandBar* bar) {
    CPoint at = Grip(bar);
    ::MapWindowPoints(frame->m_hWnd, bar->GetSafeHwnd(), &at, 1);
    ::SendMessageW(bar->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  }

  CFrameWnd* frame;
  CTKCommandBarManager manager;
  std::vector<DockTestBar*> bars;
};

// Which side a bar lies on now: 0-3 docked (and inside that dock bar's window), 4 floating as
// a top-level window, -1 anything else.
int WhereIs(const DockFrame& f, CTKCommandBar* bar) {
  HWND hwnd = bar->GetSafeHwnd();
  if (bar->GetPosition() == kFloating)
    return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_POPUP) && !(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) &&
                   bar->GetDockBar() == nullptr && ::IsWindowVisible(hwnd)
               ? 4
               : -1;
  CTKDockBar* dock = bar->GetDockBar();
  if (!dock || ::GetParent(hwnd) != dock->GetSafeHwnd() || bar->GetPosition() != dock->GetSide()) return -1;
  CRect inside, outer = f.InFrame(dock->GetSafeHwnd()), own = f.InFrame(hwnd);
  return inside.IntersectRect(outer, own) && inside == own ? dock->GetSide() : -1;
}

LRESULT CALLBACK TakesCaptureWhenPoked(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 1) ::SetCapture(hwnd);
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

// The name of a window station or desktop.
std::wstring ObjectName(HANDLE object) {
  wchar_t name[256] = {};
  DWORD needed = 0;
  return ::GetUserObjectInformationW(object, UOI_NAME, name, sizeof(name) - sizeof(wchar_t), &needed) ? name : L"";
}

// ---------------------------------------------------------------------------------------------

// The program's windows are on a desktop of its own, away from the one every other program
// of a run shares.
TEST(DockingDesktop, ThisProgramRunsOnADesktopOfItsOwn) {
  const std::wstring station = ObjectName(::GetProcessWindowStation());
  ASSERT_FALSE(station.empty());
  EXPECT_NE(station, L"WinSta0");
  EXPECT_EQ(ObjectName(::GetThreadDesktop(::GetCurrentThreadId())), L"Default");
}

// Two bars docked on each side stand in two rows at the frame's edge, and a resize keeps every
// side at its edge.
TEST(DockBar, RowsOnEachSideFollowTheFrame) {
  for (int side = 0; side < 4; ++side) {
    SCOPED_TRACE("side " + std::to_string(side));
    DockFrame f;
    DockTestBar* first = f.AddBar(3, TKDockFlags::kAnySide | TKDockFlags::kFloat, side);
    DockTestBar* second = f.AddBar(5, TKDockFlags::kAnySide | TKDockFlags::kFloat, side);
    ASSERT_EQ(f.Dock(side)->GetRows().size(), 2u);
    for (int size : {0, 1}) {
      if (size) {
        ::SetWindowPos(f.frame->m_hWnd, nullptr, 0, 0, 420, 360, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        f.frame->RecalcLayout();
      }
      CRect client = f.Client();
      CRect dock = f.InFrame(f.Dock(side)->GetSafeHwnd());
      CRect a = f.InFrame(first->GetSafeHwnd()), b = f.InFrame(second->GetSafeHwnd());
      EXPECT_EQ(WhereIs(f, first), side);
      EXPECT_EQ(WhereIs(f, second), side);
      const bool horizontal = side < 2;
      // The second row lies beyond the first, across the side.
      if (horizontal) {
        EXPECT_EQ(b.top, a.bottom);
        EXPECT_EQ(dock.Height(), a.Height() + b.Height());
        EXPECT_EQ(dock.Width(), client.Width());
      } else {
        EXPECT_EQ(b.left, a.right);
        EXPECT_EQ(dock.Width(), a.Width() + b.Width());
      }
      // The dock bar lies at its edge of the client area.
      switch (side) {
        case 0: EXPECT_EQ(dock.top, 0); break;
        case 1: EXPECT_EQ(dock.bottom, client.bottom); break;
        case 2: EXPECT_EQ(dock.left, 0); break;
        default: EXPECT_EQ(dock.right, client.right); break;
      }
    }
  }
}

// Two bars remembered at overlapping places end up side by side, the one earlier in the row
// keeping its place.
TEST(DockBar, OverlappingBarsStandSideBySide) {
  DockFrame f;
  DockTestBar* a = f.AddBar(3, TKDockFlags::kAnySide, 0);
  DockTestBar* b = f.AddBar(3, TKDockFlags::kAnySide, -1);
  CRect at = a->GetWindowRect();
  at.OffsetRect(40, 0);
  f.Dock(0)->Dock(a, &at);
  CRect a_now = f.InFrame(a->GetSafeHwnd());
  CRect over = a->GetWindowRect();
  over.OffsetRect(10, 0);
  f.Dock(0)->Dock(b, &over);
  ASSERT_EQ(f.Dock(0)->GetRows().size(), 1u);
  CRect a_after = f.InFrame(a->GetSafeHwnd()), b_after = f.InFrame(b->GetSafeHwnd());
  EXPECT_EQ(a_after, a_now);
  EXPECT_EQ(b_after.left, a_after.right);
  EXPECT_EQ(b_after.top, a_after.top);
}

// Rows that cannot hold their bars: a row too short for two bars that do not wrap lays the
// last out in a row of its own; a bar that must stand alone always has its own row; a stretching
// bar alone in its row spans it.
TEST(DockBar, RowBreaks) {
  struct Case {
    const char* name;
    int frame_width;
    DWORD second_flags;
    size_t list_rows;  // rows of the dock bar's list; a bar carried by the layout stays in its row
    bool second_spans;
  } cases[] = {
      {"row too short", 200, TKDockFlags::kAnySide, 1, false},
      {"stands alone", 640, TKDockFlags::kAnySide | TKDockFlags::kStandAlone, 2, false},
      {"stretches", 640, TKDockFlags::kAnySide | TKDockFlags::kStretch, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f(c.frame_width, 300);
    DockTestBar* a = f.AddBar(5, TKDockFlags::kAnySide, 0);
    DockTestBar* b = f.AddBar(5, c.second_flags, c.second_spans ? 0 : -1);
    if (!c.second_spans) {
      // Dropped into the first row, just right of the first bar.
      CRect into = a->GetWindowRect();
      into.OffsetRect(into.Width(), 0);
      f.Dock(0)->Dock(b, &into);
    }
    EXPECT_EQ(f.Dock(0)->GetRows().size(), c.list_rows);
    CRect ra = f.InFrame(a->GetSafeHwnd()), rb = f.InFrame(b->GetSafeHwnd());
    EXPECT_EQ(rb.top, ra.bottom);
    EXPECT_GE(rb.left, 0);
    EXPECT_LE(rb.right, f.Client().Width());
    if (c.second_spans) {
      EXPECT_EQ(rb.Width(), f.Client().Width());
    }
  }
}

// Bars moved by scripts of mouse messages: where they end up by the sides their Flags allow.
TEST(DockContext, DragScripts) {
  enum Target { kToTop, kToBottom, kToLeft, kToRight, kToMiddle };
  struct Case {
    const char* name;
    DWORD flags;
    int from;
    std::vector<Target> path;
    int expected;
  } cases[] = {
      {"top to left", TKDockFlags::kAnySide | TKDockFlags::kFloat, 0, {kToLeft}, 2},
      {"top to bottom", TKDockFlags::kAnySide | TKDockFlags::kFloat, 0, {kToBottom}, 1},
      {"left to right", TKDockFlags::kAnySide | TKDockFlags::kFloat, 2, {kToRight}, 3},
      {"top to the middle floats", TKDockFlags::kAnySide | TKDockFlags::kFloat, 0, {kToMiddle}, 4},
      {"top only over the left side floats", TKDockFlags::kTop | TKDockFlags::kFloat, 0, {kToLeft}, 4},
      {"floating back to the top", TKDockFlags::kAnySide | TKDockFlags::kFloat, 0, {kToMiddle, kToTop}, 0},
      {"no floating stays docked", TKDockFlags::kAnySide, 0, {kToMiddle}, 0},
      {"bottom forbidden stays floating", TKDockFlags::kTop | TKDockFlags::kFloat, 0, {kToMiddle, kToBottom}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    DockTestBar* bar = f.AddBar(4, c.flags, c.from);
    CRect client = f.Client();
    std::vector<CPoint> points;
    for (Target t : c.path) {
      switch (t) {
        case kToTop: points.push_back(CPoint(client.Width() / 2, 3)); break;
        case kToBottom: points.push_back(CPoint(client.Width() / 2, client.bottom - 3)); break;
        case kToLeft: points.push_back(CPoint(3, client.Height() / 2)); break;
        case kToRight: points.push_back(CPoint(client.right - 3, client.Height() / 2)); break;
        default: points.push_back(client.CenterPoint()); break;
      }
    }
    f.PostDrag(f.Grip(bar), points);
    f.Press(bar);
    EXPECT_EQ(WhereIs(f, bar), c.expected);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(CTKDockContext::DragCount(), 0);
    if (c.expected == 4) {
      // It floats under the pointer, and that is where it floats from now on.
      CRect rc = bar->GetWindowRect();
      EXPECT_TRUE(rc.PtInRect(f.ToScreen(points.back())));
      EXPECT_EQ(CPoint(bar->GetDockContext()->GetLastFloatPos()), rc.TopLeft());
    }
  }
}

// The move loop ends on the button's release, Escape, the capture going elsewhere and the
// thread's quit message (posted again); it waits for messages instead of spinning.
TEST(DockContext, MoveLoopEndings) {
  static int waits = 0;
  struct Case {
    const char* name;
    void (*post)(HWND frame, HWND other);
    bool quit_left;
  } cases[] = {
      {"release", [](HWND frame, HWND) { ::PostMessageW(frame, WM_LBUTTONUP, 0, MAKELPARAM(320, 240)); }, false},
      {"escape", [](HWND frame, HWND) { ::PostMessageW(frame, WM_KEYDOWN, VK_ESCAPE, 0); }, false},
      {"capture lost", [](HWND, HWND other) { ::PostMessageW(other, WM_USER + 1, 0, 0); }, false},
      {"quit", [](HWND, HWND) { ::PostQuitMessage(7); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    DockTestBar* bar = f.AddBar(4, TKDockFlags::kAnySide | TKDockFlags::kFloat, 0);
    // A window that takes the capture when poked.
    SiteWindow other;
    ::SetWindowLongPtrW(other.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TakesCaptureWhenPoked));
    // A step first, then the ending; nothing else is posted, so the loop must wait for the
    // ending, which the wait itself delivers.
    f.PostDrag(f.Grip(bar), {f.Grip(bar) + CPoint(30, 0)}, 1, false);
    waits = 0;
    static const Case* running;
    static HWND frame_window, other_window;
    running = &c;
    frame_window = f.frame->m_hWnd;
    other_window = other.hwnd;
    TKSetWaitMessageFunction([](DWORD) {
      if (waits++ == 0) running->post(frame_window, other_window);
      // A loop that did not end keeps waiting: the release ends it, and the count shows it.
      if (waits == 50) ::PostMessageW(frame_window, WM_LBUTTONUP, 0, 0);
    });
    CRect before = bar->GetWindowRect();
    f.Press(bar);
    TKSetWaitMessageFunction(nullptr);
    EXPECT_EQ(waits, 1);
    // The step was taken; the loop left the bar where it was when it ended.
    EXPECT_EQ(bar->GetWindowRect().left, before.left + 30);
    EXPECT_EQ(TakeQuit(), c.quit_left);
    EXPECT_NE(::GetCapture(), bar->GetSafeHwnd());
    ::ReleaseCapture();
  }
}

// The double click toggles between docked and floating. A floating bar docks where it was last
// docked when that side is allowed, else on the first side its Flags allow; never on a
// forbidden side.
TEST(DockContext, ToggleDockingHonoursAllowedSides) {
  struct Case {
    const char* name;
    DWORD flags;
    int docked_side;  // where it was docked before it floated; -1 never docked
    bool changes;
    int expected;
  } cases[] = {
      {"never docked, any side", TKDockFlags::kAnySide | TKDockFlags::kFloat, -1, true, 0},
      {"never docked, top forbidden", TKDockFlags::kBottom | TKDockFlags::kFloat, -1, true, 1},
      {"never docked, only right", TKDockFlags::kRight | TKDockFlags::kFloat, -1, true, 3},
      {"last docked left", TKDockFlags::kAnySide | TKDockFlags::kFloat, 2, true, 2},
      {"no side allowed", TKDockFlags::kFloat, -1, false, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    DockTestBar* bar = f.AddBar(4, c.flags, c.docked_side);
    CTKDockContext* context = bar->EnableDockContext();
    if (c.docked_side >= 0) context->SetLastDocked(bar->GetWindowRect(), c.docked_side);
    CTKDockContext::FloatBar(bar, f.ToScreen(CPoint(200, 200)));
    ASSERT_EQ(WhereIs(f, bar), 4);
    // The double click on the bar's caption.
    CPoint at(1, 1);
    ::SendMessageW(bar->GetSafeHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(WhereIs(f, bar), c.expected);
    // Toggled again, a docked bar floats where it floated before; a bar that could not dock
    // does not change.
    EXPECT_EQ(context->ToggleDocking(), c.changes);
    EXPECT_EQ(WhereIs(f, bar), 4);
    EXPECT_EQ(bar->GetWindowRect().TopLeft(), f.ToScreen(CPoint(200, 200)));
  }
}

// A floating bar dragged towards the edges of two monitors side by side stays with at least
// 10 pixels on its monitor.
TEST(DockContext, FloatingBarKeepsTenPixelsOnItsMonitor) {
  TKSetMonitorAreasFunction([](const RECT& rect, RECT* monitor, RECT* work) -> BOOL {
    const bool second = (rect.left + rect.right) / 2 >= 1024;
    *monitor = second ? RECT{1024, 0, 2048, 768} : RECT{0, 0, 1024, 768};
    *work = *monitor;
    return TRUE;
  });
  struct Case {
    const char* name;
    CPoint to;  // screen
    RECT monitor;
  } cases[] = {
      {"left of the first", CPoint(-600, 300), {0, 0, 1024, 768}},
      {"above the first", CPoint(300, -500), {0, 0, 1024, 768}},
      {"below the second", CPoint(1500, 1400), {1024, 0, 2048, 768}},
      {"right of the second", CPoint(2700, 300), {1024, 0, 2048, 768}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    DockTestBar* bar = f.AddBar(4, TKDockFlags::kAnySide | TKDockFlags::kFloat, 0);
    CTKDockContext::FloatBar(bar, f.ToScreen(CPoint(200, 200)));
    CPoint grip = f.Grip(bar);
    CPoint to = c.to;
    ::ScreenToClient(f.frame->m_hWnd, &to);
    f.PostDrag(grip, {to}, 8);
    f.Press(bar);
    CRect rc = bar->GetWindowRect(), meet;
    ASSERT_TRUE(meet.IntersectRect(rc, c.monitor));
    EXPECT_GE(meet.Width(), std::min<int>(10, rc.Width()));
    EXPECT_GE(meet.Height(), std::min<int>(10, rc.Height()));
    EXPECT_TRUE(meet.Width() == 10 || meet.Height() == 10);
  }
  TKSetMonitorAreasFunction(nullptr);
}

// A floating bar resized by a border: the dragged edge moves, the bar takes the size its
// controls need for the new width or height, and the opposite edge stays.
TEST(DockContext, FloatingBarResizesByItsBorder) {
  struct Case {
    const char* name;
    int hit;
    CPoint drag;  // how far the border is dragged
  } cases[] = {
      {"right edge in", HTRIGHT, CPoint(-120, 0)},
      {"left edge in", HTLEFT, CPoint(120, 0)},
      {"bottom edge down", HTBOTTOM, CPoint(0, 60)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    DockTestBar* bar = f.AddBar(12, TKDockFlags::kAnySide | TKDockFlags::kFloat, 0);
    CTKDockContext::FloatBar(bar, f.ToScreen(CPoint(60, 200)));
    const CRect before = bar->GetWindowRect();
    CPoint edge(c.hit == HTLEFT ? before.left : before.right - 1, c.hit == HTBOTTOM ? before.bottom - 1 : before.top + 5);
    CPoint from = edge, to = edge + c.drag;
    ::ScreenToClient(f.frame->m_hWnd, &from);
    ::ScreenToClient(f.frame->m_hWnd, &to);
    f.PostDrag(from, {to});
    ASSERT_TRUE(bar->GetDockContext()->StartResize(c.hit, edge));
    const CRect after = bar->GetWindowRect();
    // Narrower and taller: the controls wrapped into more rows.
    EXPECT_LT(after.Width(), before.Width());
    EXPECT_GT(after.Height(), before.Height());
    EXPECT_EQ(after.top, before.top);
    if (c.hit == HTLEFT) {
      EXPECT_EQ(after.right, before.right);
    } else {
      EXPECT_EQ(after.left, before.left);
    }
    EXPECT_EQ(bar->GetWidth(), after.Width());
    EXPECT_EQ(CPoint(bar->GetDockContext()->GetLastFloatPos()), after.TopLeft());
  }
}

// The main bar's row at the top takes no other bar: a bar dropped on that row joins the next
// row that reaches past the point. An ordinary bar standing alone in the first row gives the
// dropped bar a row of its own beside it instead.
TEST(DockBar, ABarDroppedOnTheMainBarsRowJoinsTheNextRow) {
  struct Case {
    const char* name;
    bool main_bar;
    size_t rows;
  } cases[] = {
      {"the main bar's row", true, 2},
      {"a lone ordinary bar's row", false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    CTKToolBar* first = f.AddToolBar(6, TKDockFlags::kAnySide | TKDockFlags::kFloat | TKDockFlags::kStandAlone, 0,
                                     c.main_bar ? RUNTIME_CLASS(CTKMenuBar) : nullptr);
    if (c.main_bar) f.manager.SetMenuBar(static_cast<CTKMenuBar*>(first));
    CTKToolBar* second = f.AddToolBar(3, TKDockFlags::kAnySide, 0);
    CTKToolBar* dropped = f.AddToolBar(3, TKDockFlags::kAnySide, 1);
    ASSERT_EQ(f.Dock(0)->GetRows().size(), 2u);
    // Dropped with its centre on the first row, right of where the second bar ends.
    CRect on = first->GetWindowRect();
    on.left += f.InFrame(second->GetSafeHwnd()).right + 20;
    on.right = on.left + 60;
    f.Dock(0)->Dock(dropped, &on);
    EXPECT_EQ(f.Dock(0)->GetRows().size(), c.rows);
    const CRect a = f.InFrame(first->GetSafeHwnd()), b = f.InFrame(second->GetSafeHwnd()),
                d = f.InFrame(dropped->GetSafeHwnd());
    if (c.main_bar) {
      EXPECT_EQ(d.top, b.top);
      EXPECT_GE(d.left, b.right);
    } else {
      EXPECT_EQ(d.top, a.bottom);
      EXPECT_EQ(b.top, d.bottom);
    }
  }
}

// The top dock bar lets clicks through to the frame while the main bar is shown in it; the
// other sides, and the top without a shown main bar, answer for themselves.
TEST(DockBar, TheTopDockBarIsTransparentBesideAShownMainBar) {
  struct Case {
    const char* name;
    int main_side;
    bool main_shown;
    int asked_side;
    LRESULT expected;
  } cases[] = {
      {"main bar shown at the top", 0, true, 0, HTTRANSPARENT},
      {"main bar hidden", 0, false, 0, HTCLIENT},
      {"main bar at the bottom, top asked", 1, true, 0, HTCLIENT},
      {"main bar at the bottom, bottom asked", 1, true, 1, HTCLIENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    CTKToolBar* main = f.AddToolBar(4, 0x5F, c.main_side, RUNTIME_CLASS(CTKMenuBar));
    f.manager.SetMenuBar(static_cast<CTKMenuBar*>(main));
    f.AddToolBar(2, TKDockFlags::kAnySide, c.asked_side);
    if (!c.main_shown) main->SetVisible(false);
    f.frame->RecalcLayout();
    HWND dock = f.Dock(c.asked_side)->GetSafeHwnd();
    CRect rc;
    ::GetWindowRect(dock, &rc);
    ASSERT_FALSE(rc.IsRectEmpty());
    // The dock bar's own area, right of its bars.
    const LPARAM at = MAKELPARAM(rc.right - 2, rc.bottom - 2);
    EXPECT_EQ(::SendMessageW(dock, WM_NCHITTEST, 0, at), c.expected);
  }
}

// After each step of a drag the manager updates its bars: the frame's route sets the states of
// the moving bar's controls while the drag still runs.
TEST(DockContext, EachDragStepUpdatesTheBars) {
  CountingFrame* counting = new CountingFrame;
  DockFrame f(640, 480, counting);
  CTKToolBar* bar = f.AddToolBar(4, TKDockFlags::kAnySide | TKDockFlags::kFloat, 0);
  CTKControl* first = bar->GetControls()->FindControl(100);
  ASSERT_TRUE(first->GetEnabled());
  counting->updates = 0;
  static CTKControl* watched;
  static bool enabled_during_drag;
  static int waits;
  watched = first;
  enabled_during_drag = true;
  waits = 0;
  // Two steps, then the loop waits: the control was updated by then. The release follows.
  const CRect client = f.Client();
  f.PostDrag(f.Grip(bar), {CPoint(client.Width() / 2, 3)}, 2, false);
  static HWND frame_window;
  frame_window = f.frame->m_hWnd;
  TKSetWaitMessageFunction([](DWORD) {
    if (waits++ == 0) {
      enabled_during_drag = watched->GetEnabled();
      ::PostMessageW(frame_window, WM_LBUTTONUP, 0, 0);
    }
  });
  f.Press(bar);
  TKSetWaitMessageFunction(nullptr);
  EXPECT_EQ(waits, 1);
  EXPECT_FALSE(enabled_during_drag);
  EXPECT_GE(counting->updates, 2);
}

// A tool bar follows the mouse when pressed where no control lies, toggles between docked and
// floating on a double click there, and resizes while floating by its border. A tool bar placed
// in a window of its own, outside the dock bars, does not move.
TEST(ToolBarDocking, ThePressOutsideItsControlsMovesTheBar) {
  struct Case {
    const char* name;
    UINT message;
    bool docked;     // in the frame's top dock bar, else a child of a window of its own
    bool drag;       // a drag to the left side follows the press
    int expected;    // where the bar is then (WhereIs), -1 for "where it was"
  } cases[] = {
      {"press and drag to the left", WM_LBUTTONDOWN, true, true, 2},
      {"double click floats it", WM_LBUTTONDBLCLK, true, false, 4},
      {"outside the dock bars", WM_LBUTTONDOWN, false, true, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    SiteWindow holder;
    CTKToolBar* bar = f.AddToolBar(4, TKDockFlags::kAnySide | TKDockFlags::kFloat, c.docked ? 0 : -1);
    if (!c.docked) {
      ::SetParent(bar->GetSafeHwnd(), holder.hwnd);
      ::SetWindowPos(bar->GetSafeHwnd(), nullptr, 0, 0, 200, 30, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const CRect before = bar->GetWindowRect();
    if (c.drag) {
      f.PostDrag(f.Grip(bar), {CPoint(3, f.Client().Height() / 2)});
    }
    ::SendMessageW(bar->GetSafeHwnd(), c.message, MK_LBUTTON, MAKELPARAM(2, 2));
    if (c.expected >= 0) {
      EXPECT_EQ(WhereIs(f, bar), c.expected);
    } else {
      EXPECT_EQ(bar->GetDockBar(), nullptr);
      EXPECT_EQ(::GetParent(bar->GetSafeHwnd()), holder.hwnd);
      EXPECT_EQ(bar->GetWindowRect(), before);
    }
    EXPECT_EQ(::GetCapture(), nullptr);
    DrainMessages();
  }
}

TEST(ToolBarDocking, AFloatingToolBarResizesByItsBorder) {
  DockFrame f;
  CTKToolBar* bar = f.AddToolBar(12, TKDockFlags::kAnySide | TKDockFlags::kFloat, 4);
  const CRect before = bar->GetWindowRect();
  // The right border: the window's hit test names it, and the press there resizes.
  const CPoint edge(before.right - 1, before.top + before.Height() / 2);
  ASSERT_EQ(::SendMessageW(bar->GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTRIGHT);
  CPoint from = edge, to = edge + CPoint(-before.Width() / 2, 0);
  ::ScreenToClient(f.frame->m_hWnd, &from);
  ::ScreenToClient(f.frame->m_hWnd, &to);
  f.PostDrag(from, {to});
  ::SendMessageW(bar->GetSafeHwnd(), WM_NCLBUTTONDOWN, HTRIGHT, MAKELPARAM(edge.x, edge.y));
  const CRect after = bar->GetWindowRect();
  EXPECT_LT(after.Width(), before.Width());
  EXPECT_GT(after.Height(), before.Height());
  EXPECT_EQ(after.TopLeft(), before.TopLeft());
  EXPECT_EQ(::GetCapture(), nullptr);
}

// A bar that sizes freely follows each dragged border and corner exactly, the opposite edges
// staying, and lays itself out after each step.
class FreeSizingBar : public DockTestBar {
 public:
  bool SizesFreely() const override { return true; }
  void OnRecalcLayout() override { ++relayouts; }
  int relayouts = 0;
};

TEST(DockContext, ABarThatSizesFreelyFollowsEachBorder) {
  struct Case {
    int hit;
    CPoint drag;
    CRect moved;  // how far left, top, right and bottom move
  } cases[] = {
      {HTLEFT, CPoint(-30, 9), CRect(-30, 0, 0, 0)},
      {HTRIGHT, CPoint(25, -9), CRect(0, 0, 25, 0)},
      {HTTOP, CPoint(7, -20), CRect(0, -20, 0, 0)},
      {HTBOTTOM, CPoint(-7, 15), CRect(0, 0, 0, 15)},
      {HTTOPLEFT, CPoint(-30, -20), CRect(-30, -20, 0, 0)},
      {HTTOPRIGHT, CPoint(25, -20), CRect(0, -20, 25, 0)},
      {HTBOTTOMLEFT, CPoint(-30, 15), CRect(-30, 0, 0, 15)},
      {HTBOTTOMRIGHT, CPoint(25, 15), CRect(0, 0, 25, 15)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("hit " + std::to_string(c.hit));
    DockFrame f;
    FreeSizingBar* bar = new FreeSizingBar;
    bar->SetCommandBarManager(&f.manager);
    bar->SetFlags(TKDockFlags::kAnySide | TKDockFlags::kFloat);
    for (int i = 0; i < 6; ++i) bar->GetControls()->Add(kButton, 100 + i);
    bar->Create(f.frame->m_hWnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10});
    f.bars.push_back(bar);
    CTKDockContext::FloatBar(bar, f.ToScreen(CPoint(200, 200)));
    const CRect before = bar->GetWindowRect();
    const CPoint press = before.CenterPoint();
    CPoint from = press, to = press + c.drag;
    ::ScreenToClient(f.frame->m_hWnd, &from);
    ::ScreenToClient(f.frame->m_hWnd, &to);
    f.PostDrag(from, {to}, 3);
    bar->relayouts = 0;
    ASSERT_TRUE(bar->GetDockContext()->StartResize(c.hit, press));
    const CRect after = bar->GetWindowRect();
    EXPECT_EQ(after, CRect(before.left + c.moved.left, before.top + c.moved.top, before.right + c.moved.right,
                           before.bottom + c.moved.bottom));
    EXPECT_GE(bar->relayouts, 1);
    EXPECT_EQ(bar->GetWidth(), after.Width());
  }
}

// A docked bar floats on a double click only while the manager's options allow it; a change of
// place, by the toggle or by a drag, marks the options changed.
TEST(DockContext, FloatingByDoubleClickFollowsTheOptionAndMarksTheOptionsChanged) {
  struct Case {
    const char* name;
    bool allowed;
    int expected;
  } cases[] = {{"allowed", true, 4}, {"not allowed", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    CTKToolBar* bar = f.AddToolBar(4, TKDockFlags::kAnySide | TKDockFlags::kFloat, 0);
    f.manager.GetOptions().float_on_double_click = c.allowed;
    f.manager.GetOptions().changed = false;
    EXPECT_EQ(c.allowed, bar->EnableDockContext()->ToggleDocking());
    EXPECT_EQ(WhereIs(f, bar), c.expected);
    EXPECT_EQ(c.allowed, f.manager.GetOptions().changed);
  }
  DockFrame f;
  CTKToolBar* bar = f.AddToolBar(4, TKDockFlags::kAnySide | TKDockFlags::kFloat, 0);
  f.manager.GetOptions().changed = false;
  f.PostDrag(f.Grip(bar), {CPoint(3, f.Client().Height() / 2)});
  f.Press(bar);
  EXPECT_EQ(WhereIs(f, bar), 2);
  EXPECT_TRUE(f.manager.GetOptions().changed);
}

// ---------------------------------------------------------------------------------------------
// Dialog bars

// A dialog bar of the manager hosting an edit box, docked at `side` (4: floating).
CTKDialogBar* AddDialogBar(DockFrame& f, int side, HWND* hosted) {
  auto* bar = static_cast<CTKDialogBar*>(f.manager.AddToolBar(L"Panel", 0, RUNTIME_CLASS(CTKDialogBar)));
  bar->CreateToolBar(f.frame->m_hWnd, false);
  *hosted = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, bar->GetSafeHwnd(), nullptr,
                              nullptr, nullptr);
  bar->SetClientWindow(*hosted);
  if (side == 4)
    CTKDockContext::FloatBar(bar, f.ToScreen(CPoint(200, 150)));
  else
    CTKDockContext::DockBar(bar, f.Dock(side), nullptr);
  f.frame->RecalcLayout();
  return bar;
}

// A point of a window rectangle on the border part `hit`.
CPoint OnBorder(const CRect& rc, int hit) {
  const CPoint mid = rc.CenterPoint();
  switch (hit) {
    case HTLEFT: return CPoint(rc.left, mid.y);
    case HTRIGHT: return CPoint(rc.right - 1, mid.y);
    case HTTOP: return CPoint(mid.x, rc.top);
    case HTBOTTOM: return CPoint(mid.x, rc.bottom - 1);
    default: return CPoint(rc.right - 1, rc.bottom - 1);
  }
}

// A dialog bar is resized by the border its side leaves free, docked and floating: the hosted
// window takes the new client size and the edge opposite the dragged one stays; a drag past the
// least client size (50 x 50) stops at the last size allowed.
TEST(DialogBarDocking, ResizesByTheBorderItsSideLeavesFree) {
  struct Case {
    const char* name;
    int side;
    int hit;
    std::vector<CPoint> drags;  // from the press, one move each
    CSize client;
  } cases[] = {
      {"floating, the corner out", 4, HTBOTTOMRIGHT, {CPoint(30, 20)}, CSize(230, 220)},
      {"floating, the left edge out", 4, HTLEFT, {CPoint(-40, 0)}, CSize(240, 200)},
      {"floating, past the least size", 4, HTBOTTOMRIGHT, {CPoint(-120, -100), CPoint(-170, -100)}, CSize(80, 100)},
      {"docked left, the right edge", 2, HTRIGHT, {CPoint(40, 0)}, CSize(240, 200)},
      {"docked left, past the least size", 2, HTRIGHT, {CPoint(-120, 0), CPoint(-170, 0)}, CSize(80, 200)},
      {"docked at the top, the bottom edge", 0, HTBOTTOM, {CPoint(0, 30)}, CSize(200, 230)},
      {"docked at the right, the left edge", 3, HTLEFT, {CPoint(-30, 0)}, CSize(230, 200)},
      {"docked at the bottom, the top edge", 1, HTTOP, {CPoint(0, -30)}, CSize(200, 230)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DockFrame f;
    HWND hosted = nullptr;
    CTKDialogBar* bar = AddDialogBar(f, c.side, &hosted);
    const CRect before = bar->GetWindowRect();
    const CPoint edge = OnBorder(before, c.hit);
    ASSERT_EQ(c.hit, static_cast<int>(::SendMessageW(bar->GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y))));
    CPoint from = edge;
    ::ScreenToClient(f.frame->m_hWnd, &from);
    std::vector<CPoint> targets;
    for (CPoint d : c.drags) targets.push_back(from + d);
    f.PostDrag(from, targets, 1);
    ::SendMessageW(bar->GetSafeHwnd(), WM_NCLBUTTONDOWN, c.hit, MAKELPARAM(edge.x, edge.y));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(c.client, c.side == 4 ? bar->GetFloatingSize() : bar->GetDockedSize());
    const CRect after = bar->GetWindowRect();
    EXPECT_EQ(CSize(c.client.cx + 6, c.client.cy + 6 + bar->GetCaptionHeight()), after.Size());
    CRect client;
    ::GetWindowRect(hosted, &client);
    EXPECT_EQ(c.client, client.Size());
    EXPECT_EQ(CPoint(after.left + 3, after.top + 3 + bar->GetCaptionHeight()), client.TopLeft());
    if (c.hit == HTLEFT) {
      EXPECT_EQ(before.right, after.right);
    } else if (c.hit == HTTOP) {
      EXPECT_EQ(before.bottom, after.bottom);
    } else {
      EXPECT_EQ(before.TopLeft(), after.TopLeft());
    }
  }
}

// A dialog bar moves by its caption row, its caption control included while that opens
// nothing: dragged onto the left side it docks there with its hosted window, and a double
// click on the caption floats it again.
TEST(DialogBarDocking, MovesByItsCaption) {
  DockFrame f;
  HWND hosted = nullptr;
  CTKDialogBar* bar = AddDialogBar(f, 4, &hosted);
  CPoint press = bar->GetCaptionControl()->GetRect().CenterPoint();
  CPoint from = press;
  ::MapWindowPoints(bar->GetSafeHwnd(), f.frame->m_hWnd, &from, 1);
  f.PostDrag(from, {CPoint(3, f.Client().Height() / 2)});
  ::SendMessageW(bar->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  EXPECT_EQ(nullptr, ::GetCapture());
  ASSERT_EQ(2, WhereIs(f, bar));
  EXPECT_EQ(bar->GetSafeHwnd(), ::GetParent(hosted));
  const CRect docked = f.InFrame(bar->GetSafeHwnd());
  EXPECT_EQ(CRect(docked.left + 3, docked.top + 3 + bar->GetCaptionHeight(), docked.right - 3, docked.bottom - 3),
            f.InFrame(hosted));
  press = bar->GetCaptionControl()->GetRect().CenterPoint();
  ::SendMessageW(bar->GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  EXPECT_EQ(4, WhereIs(f, bar));
}

}  // namespace
