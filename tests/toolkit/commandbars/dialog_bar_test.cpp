#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "platform/appframe/archive.h"
#include "platform/appframe/dc.h"
#include "platform/appframe/file.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/paint_manager.h"

using namespace TKCommandBars;

namespace {

// A dialog bar on a site window at a known place of the screen, hosting an edit box.
struct DialogBarFixture {
  explicit DialogBarFixture(int position = kTop) {
    bar = new CTKDialogBar;
    bar->SetTitle(L"Properties");
    bar->SetPosition(position);
    manager.SetSite(site.hwnd);
    bar->SetCommandBarManager(&manager);
    ::SetWindowPos(site.hwnd, nullptr, 100, 100, 640, 480, SWP_NOZORDER);
    bar->Create(site.hwnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10});
    client = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_CAPTION, 0, 0, 50, 50, site.hwnd, nullptr, nullptr,
                               nullptr);
    bar->SetClientWindow(client);
    Layout();
  }
  ~DialogBarFixture() {
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->Release();
    DrainMessages();
  }
  // Lays out and gives the window its size, as a frame's layout pass does.
  CSize Layout(int length = 0, DWORD mode = 0) {
    const CSize size = bar->CalcSize(length, mode | CTKControls::kLayoutCommit);
    ::SetWindowPos(bar->GetSafeHwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return size;
  }
  CRect ScreenRect() const {
    RECT rc;
    ::GetWindowRect(bar->GetSafeHwnd(), &rc);
    return rc;
  }
  SiteWindow site;
  CTKCommandBarManager manager;
  CTKDialogBar* bar;
  HWND client;
};

TEST(DialogBar, SizeIsTheClientWithBordersAndCaption) {
  struct Case {
    const char* name;
    int position;
    bool caption;
    int length;
    DWORD mode;
    int extra_w, extra_h;  // what the bar adds to 200 x 200 (ch: the caption height)
    bool stretched_w, stretched_h;
  } cases[] = {
      {"docked", kTop, true, 0, 0, 6, 6, false, false},
      {"without caption", kTop, false, 0, 0, 6, 6, false, false},
      {"stretched across the top", kTop, true, 500, CTKControls::kLayoutStretch, 0, 6, true, false},
      {"stretched down the left", kLeft, true, 400, CTKControls::kLayoutStretch | CTKControls::kLayoutVertical, 6, 0,
       false, true},
      {"stretch never shrinks", kTop, true, 20, CTKControls::kLayoutStretch, 6, 6, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogBarFixture fx(c.position);
    fx.bar->ShowCaption(c.caption);
    const CSize size = fx.bar->CalcSize(c.length, c.mode);
    const int ch = fx.bar->GetCaptionHeight();
    EXPECT_EQ(c.caption, ch > 0);
    EXPECT_EQ(c.stretched_w ? c.length : 200 + c.extra_w, size.cx);
    EXPECT_EQ(c.stretched_h ? c.length : 200 + c.extra_h + ch, size.cy);
  }
  DialogBarFixture floating(kFloating);
  floating.bar->SetFloatingSize(CSize(120, 90));
  EXPECT_EQ(CSize(126, 96 + floating.bar->GetCaptionHeight()), floating.bar->CalcSize(0, 0));
}

TEST(DialogBar, CaptionRowAndClientPlacement) {
  DialogBarFixture fx;
  const CSize size = fx.Layout();
  const int ch = fx.bar->GetCaptionHeight();
  const int top = 3 + ch / 2 - 8;
  EXPECT_EQ(CRect(size.cx - 3 - 16, top, size.cx - 3, top + 16), fx.bar->GetHideButton()->GetRect());
  EXPECT_EQ(CRect(3, top, size.cx - 3 - 16, top + 16), fx.bar->GetCaptionControl()->GetRect());
  // An empty caption text shows the bar's title.
  EXPECT_EQ(L"Properties", fx.bar->GetCaptionControl()->GetCaption());
  fx.bar->SetCaption(L"Layers");
  fx.Layout();
  EXPECT_EQ(L"Layers", fx.bar->GetCaptionControl()->GetCaption());
  // The client is a child in the area below the caption, within the borders.
  EXPECT_EQ(fx.bar->GetSafeHwnd(), ::GetParent(fx.client));
  RECT rc;
  ::GetWindowRect(fx.client, &rc);
  ::MapWindowPoints(nullptr, fx.bar->GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ(CRect(3, 3 + ch, size.cx - 3, size.cy - 3), CRect(rc));
}

TEST(DialogBar, HideButtonHidesTheBarAndAnEmptyCaptionPopupIgnoresPresses) {
  DialogBarFixture fx;
  ASSERT_TRUE(::GetWindowLongPtrW(fx.bar->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(fx.bar->GetCaptionControl()->IsPopupAllowed());
  // Without commands, a press does nothing (no press loop, no popup).
  fx.bar->GetCaptionControl()->OnClick(false, fx.bar->GetCaptionControl()->GetRect().CenterPoint());
  EXPECT_FALSE(fx.bar->GetCaptionControl()->GetPopuped());
  const CPoint pt = fx.bar->GetHideButton()->GetRect().CenterPoint();
  ::PostMessageW(fx.bar->GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
  std::vector<LPARAM> visibility;
  fx.site.on_message = [&](UINT msg, WPARAM, LPARAM l) {
    if (msg == kMsgToolBarVisibility) visibility.push_back(l);
  };
  fx.bar->GetHideButton()->OnClick(false, pt);
  fx.site.on_message = nullptr;
  EXPECT_FALSE(::GetWindowLongPtrW(fx.bar->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
  // Hidden as a tool bar hides: the site hears of it.
  EXPECT_FALSE(fx.bar->GetVisible());
  EXPECT_EQ(std::vector<LPARAM>{0}, visibility);
  fx.bar->SetVisible(true);
  // With commands in its popup the caption control opens it.
  fx.bar->GetCaptionPopupBar()->GetControls()->Add(kButton, 700);
  fx.Layout();
  EXPECT_TRUE(fx.bar->GetCaptionControl()->IsPopupAllowed());
  EXPECT_EQ(fx.bar->GetCaptionPopupBar(), fx.bar->GetCaptionControl()->GetCommandBar());
  CTKControl* caption = fx.bar->GetCaptionControl();
  caption->OnClick(false, caption->GetRect().CenterPoint());
  CTKDialogBar::CCaptionPopupBar* popup = fx.bar->GetCaptionPopupBar();
  EXPECT_TRUE(caption->GetPopuped());
  ASSERT_NE(nullptr, popup->GetSafeHwnd());
  EXPECT_TRUE(::IsWindowVisible(popup->GetSafeHwnd()));
  EXPECT_EQ(CTKPopupBar::kDirLeft | CTKPopupBar::kDirDrop, popup->GetDirection());
  fx.bar->SetPopupOpen(-1, false);
  EXPECT_FALSE(caption->GetPopuped());
}

TEST(DialogBar, ResizeHitTestTable) {
  struct Case {
    const char* name;
    int position;
    int dx, dy;  // from the window's top-left; negative from the right or bottom edge (-1 = last pixel)
    int expected;
  } cases[] = {
      {"floating top-left", kFloating, 1, 1, HTTOPLEFT},
      {"floating top-right", kFloating, -1, 1, HTTOPRIGHT},
      {"floating top", kFloating, 50, 1, HTTOP},
      {"floating bottom-left", kFloating, 1, -1, HTBOTTOMLEFT},
      {"floating bottom-right", kFloating, -2, -2, HTBOTTOMRIGHT},
      {"floating bottom", kFloating, 50, -1, HTBOTTOM},
      {"floating left", kFloating, 0, 50, HTLEFT},
      {"floating right", kFloating, -1, 50, HTRIGHT},
      {"floating inside", kFloating, 50, 50, 0},
      {"docked at the bottom: top edge", kBottom, 50, 1, HTTOP},
      {"docked at the bottom: bottom edge is not an edge", kBottom, 50, -1, 0},
      {"docked at the top: bottom edge", kTop, 50, -1, HTBOTTOM},
      {"docked at the top: right edge", kTop, -1, 50, HTRIGHT},
      {"docked at the top: top edge is not an edge", kTop, 50, 1, 0},
      {"docked at the left: right edge", kLeft, -1, 50, HTRIGHT},
      {"docked at the right: left edge", kRight, 1, 50, HTLEFT},
      {"docked at the right: right edge is not an edge", kRight, -1, 50, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogBarFixture fx(c.position);
    const CRect rc = fx.ScreenRect();
    const CPoint pt(c.dx >= 0 ? rc.left + c.dx : rc.right + c.dx, c.dy >= 0 ? rc.top + c.dy : rc.bottom + c.dy);
    EXPECT_EQ(c.expected, fx.bar->ResizeHitTest(pt));
    EXPECT_EQ(c.expected ? c.expected : HTCLIENT,
              static_cast<int>(::SendMessageW(fx.bar->GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y))));
  }
  DialogBarFixture fixed;
  fixed.bar->SetResizable(false);
  const CRect rc = fixed.ScreenRect();
  EXPECT_EQ(0, fixed.bar->ResizeHitTest(CPoint(rc.left + 50, rc.bottom - 1)));
}

TEST(DialogBar, ResizingStopsAtTheMinimumClientSize) {
  DialogBarFixture fx(kFloating);
  const int ch = fx.bar->GetCaptionHeight();
  struct Step {
    int client_w, client_h;
    bool accepted;
    CSize floating;
  } steps[] = {
      {150, 120, true, {150, 120}},
      {60, 60, true, {60, 60}},
      {49, 70, false, {60, 60}},
      {70, 49, false, {60, 60}},
      {50, 50, true, {50, 50}},
  };
  for (const Step& s : steps) {
    const CRect rect(10, 10, 10 + s.client_w + 6, 10 + s.client_h + 6 + ch);
    EXPECT_EQ(s.accepted, fx.bar->ResizeTo(rect, HTBOTTOMRIGHT)) << s.client_w << "x" << s.client_h;
    EXPECT_EQ(s.floating, fx.bar->GetFloatingSize());
  }
  // The window took the last allowed size.
  EXPECT_EQ(CSize(56, 56 + ch), fx.ScreenRect().Size());

  DialogBarFixture docked(kLeft);
  EXPECT_TRUE(docked.bar->ResizeTo(CRect(0, 0, 126, 400), HTRIGHT));
  EXPECT_EQ(CSize(120, 200), docked.bar->GetDockedSize());
  EXPECT_TRUE(docked.bar->ResizeTo(CRect(0, 0, 300, 86 + docked.bar->GetCaptionHeight()), HTBOTTOM));
  EXPECT_EQ(CSize(120, 80), docked.bar->GetDockedSize());
}

TEST(DialogBar, ActiveWhileTheFocusIsInItsClient) {
  DialogBarFixture fx;
  ::ShowWindow(fx.site.hwnd, SW_SHOW);
  ::SetFocus(fx.site.hwnd);
  fx.bar->UpdateActiveState();
  EXPECT_FALSE(fx.bar->IsActive());
  ::SetFocus(fx.client);
  ASSERT_EQ(fx.client, ::GetFocus());
  fx.bar->UpdateActiveState();
  EXPECT_TRUE(fx.bar->IsActive());
  ::SetFocus(fx.site.hwnd);
  fx.bar->UpdateActiveState();
  EXPECT_FALSE(fx.bar->IsActive());
}

}  // namespace

namespace {
TEST(DialogBar, DrawsItsCaptionTextAcrossOnEverySide) {
  for (int position : {kTop, kLeft}) {
    SCOPED_TRACE(position);
    DialogBarFixture fx(position);
    const CSize size = fx.Layout();
    Canvas canvas(size.cx, size.cy, RGB(1, 2, 3));
    CDC dc;
    dc.Attach(canvas.dc());
    fx.bar->DrawCommandBar(&dc, CRect(0, 0, size.cx, size.cy));
    dc.Detach();
    const CRect caption = fx.bar->GetCaptionControl()->GetRect();
    const COLORREF text = fx.bar->GetPaintManager()->ResolveColor(18);
    int inked = 0;
    for (int y = caption.top; y < caption.bottom; ++y)
      for (int x = caption.left; x < caption.right; ++x) inked += canvas.At(x, y) == text;
    EXPECT_GT(inked, 10);
  }
}
}  // namespace

namespace {

// One work area stands for every monitor.
RECT g_work{};
BOOL OneWorkArea(const RECT&, RECT* monitor, RECT* work) {
  *monitor = g_work;
  *work = g_work;
  return TRUE;
}

// The caption's commands drop below the caption control, their right edge at its right end,
// on whatever side the bar lies; without room below they open above it.
TEST(DialogBar, CaptionPopupDropsBelowItsCaptionOnEverySide) {
  struct Case {
    const char* name;
    int position;
    int room_below;  // from the caption's bottom to the work area's bottom
    bool above;
  } cases[] = {
      {"docked at the top", kTop, 2000, false},
      {"docked at the left", kLeft, 2000, false},
      {"docked at the right", kRight, 2000, false},
      {"docked at the bottom", kBottom, 2000, false},
      {"floating", kFloating, 2000, false},
      {"no room below", kLeft, 20, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogBarFixture fx(c.position);
    CTKDialogBar::CCaptionPopupBar* popup = fx.bar->GetCaptionPopupBar();
    popup->GetControls()->Add(kButton, 700)->SetCaption(L"Sort");
    popup->GetControls()->Add(kButton, 701)->SetCaption(L"Filter");
    fx.Layout();
    CTKDialogBar::CControlCaptionPopup* caption = fx.bar->GetCaptionControl();
    ASSERT_TRUE(caption->IsPopupAllowed());
    CRect at = caption->GetRect();
    ::MapWindowPoints(fx.bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&at), 2);
    // The placement keeps 5 pixels free above the work area's bottom.
    g_work = RECT{at.left - 1000, at.top - 1000, at.right + 1000, at.bottom + c.room_below + 5};
    TKSetMonitorAreasFunction(&OneWorkArea);
    caption->OnClick(false, caption->GetRect().CenterPoint());
    TKSetMonitorAreasFunction(nullptr);
    ASSERT_TRUE(caption->GetPopuped());
    ASSERT_NE(nullptr, popup->GetSafeHwnd());
    CRect rc;
    ::GetWindowRect(popup->GetSafeHwnd(), &rc);
    fx.bar->SetPopupOpen(-1, false);
    if (c.above) {
      ASSERT_GT(rc.Height(), c.room_below);  // it does not fit below
    }
    EXPECT_EQ(at.right, rc.right);
    if (c.above) {
      EXPECT_EQ(at.top, rc.bottom);
    } else {
      EXPECT_EQ(at.bottom, rc.top);
    }
  }
}

// Only the caption row is the bar's own for the mouse: the hosted window and the borders around
// it are not, and without a caption nothing is.
TEST(DialogBar, TheCaptionRowIsTheBarsOwnArea) {
  struct Case {
    const char* name;
    bool caption;
    int dy;  // from the window's top; negative from its bottom
    int expected;
  } cases[] = {
      {"caption row", true, 5, 1},
      {"top border", true, 1, 1},
      {"hosted window", true, 60, -2},
      {"bottom border", true, -2, -2},
      {"no caption", false, 5, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogBarFixture fx;
    ::ShowWindow(fx.site.hwnd, SW_SHOWNA);
    fx.bar->ShowCaption(c.caption);
    fx.Layout();
    const CRect rc = fx.ScreenRect();
    if (c.caption) {
      ASSERT_GT(3 + fx.bar->GetCaptionHeight(), 5);
    }
    const POINT pt{rc.left + 40, c.dy >= 0 ? rc.top + c.dy : rc.bottom + c.dy};
    EXPECT_EQ(c.expected, fx.bar->HitTestScreenPoint(pt));
  }
}

// Saved state makes bars by their class name: the dialog bar is found, is a tool bar (so the
// manager makes it too), and comes back from a saved layout as a dialog bar with the controls
// given to it and one caption row, the caption controls being its own making.
TEST(DialogBar, SavedStateMakesItByItsClassName) {
  TKRegisterCommandBarClasses();
  const CRuntimeClass* cls = CRuntimeClass::FromName("CTKDialogBar");
  ASSERT_EQ(RUNTIME_CLASS(CTKDialogBar), cls);
  EXPECT_TRUE(cls->IsDerivedFrom(RUNTIME_CLASS(CTKToolBar)));

  SiteWindow site;
  CTKCommandBarManager manager;
  manager.SetSite(site.hwnd);
  CTKToolBar* made = manager.AddToolBar(L"Panel", 0xE820, cls);
  CTKDialogBar* panel = dynamic_cast<CTKDialogBar*>(made);
  ASSERT_NE(nullptr, panel);
  panel->SetPosition(kLeft);
  ASSERT_TRUE(panel->CreateToolBar(site.hwnd, false));
  panel->CalcSize(0, CTKControls::kLayoutCommit);
  ASSERT_EQ(2, panel->GetControlCount());
  panel->GetControls()->Add(kButton, 810)->SetCaption(L"Refresh");

  CMemFile memory;
  {
    CArchive ar(&memory, CArchive::store);
    CTKPropExchangeArchive px(ar);
    CTKBarLayoutState::Save(&px, std::vector<CTKCommandBar*>{panel}, &manager);
  }
  memory.SeekToBegin();
  CTKCommandBarManager other;
  other.SetSite(site.hwnd);
  std::vector<CTKCommandBar*> restored;
  {
    CArchive ar(&memory, CArchive::load);
    CTKPropExchangeArchive px(ar);
    ASSERT_TRUE(CTKBarLayoutState::Load(&px, &other, &restored));
  }
  ASSERT_EQ(1u, restored.size());
  CTKDialogBar* back = dynamic_cast<CTKDialogBar*>(restored[0]);
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(L"Panel", back->GetTitle());
  EXPECT_EQ(0xE820u, back->GetBarID());
  EXPECT_EQ(kLeft, back->GetPosition());
  ASSERT_TRUE(back->CreateToolBar(site.hwnd, false));
  back->CalcSize(0, CTKControls::kLayoutCommit);
  EXPECT_EQ((std::vector<int>{810, CTKDialogBar::kCaptionCommand, CTKDialogBar::kHideCommand}),
            IdsOf(back->GetControls()));
  EXPECT_EQ(L"Refresh", back->GetControl(0)->GetCaption());
  EXPECT_NE(nullptr, back->GetCaptionControl());
  EXPECT_NE(nullptr, back->GetHideButton());
  for (CTKCommandBar* bar : restored) {
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->Release();
  }
}

// A dialog bar sizes by its client, never by its controls: the tool bar's wrapping, expand
// button and floating caption buttons do not apply, and it cannot be customized or reset.
TEST(DialogBar, TakesNothingOfTheToolBarsButtonLayout) {
  for (int position : {kTop, kLeft, kFloating}) {
    SCOPED_TRACE(position);
    DialogBarFixture fx(position);
    fx.bar->SetBarID(0xE830);
    // Buttons added beside the caption row change nothing of the size.
    for (int i = 0; i < 12; ++i) fx.bar->GetControls()->Add(kButton, 800 + i);
    const CSize size = fx.bar->CalcSize(40, 0);
    EXPECT_EQ(CSize(206, 206 + fx.bar->GetCaptionHeight()), size);
    EXPECT_EQ(nullptr, fx.bar->CTKToolBar::GetExpandButton());
    EXPECT_EQ(nullptr, fx.bar->CTKToolBar::GetHideButton());
    EXPECT_EQ(0, fx.bar->GetWrappedCount());
    EXPECT_FALSE(fx.bar->IsCustomizable());
    EXPECT_FALSE(fx.bar->Reset(false));
  }
}

}  // namespace
