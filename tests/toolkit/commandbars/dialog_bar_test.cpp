#include <gtest/gtest.h>

#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "platform/appframe/dc.h"
#include "toolkit/commandbars/dialog_bar.h"
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
  fx.bar->GetHideButton()->OnClick(false, pt);
  EXPECT_FALSE(::GetWindowLongPtrW(fx.bar->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
  // With commands in its popup the caption control opens it.
  fx.bar->GetCaptionPopupBar()->GetControls()->Add(kButton, 700);
  fx.Layout();
  EXPECT_TRUE(fx.bar->GetCaptionControl()->IsPopupAllowed());
  EXPECT_EQ(fx.bar->GetCaptionPopupBar(), fx.bar->GetCaptionControl()->GetCommandBar());
  ::ShowWindow(fx.bar->GetSafeHwnd(), SW_SHOWNA);
  CTKControl* caption = fx.bar->GetCaptionControl();
  caption->OnClick(false, caption->GetRect().CenterPoint());
  CTKDialogBar::CCaptionPopupBar* popup = fx.bar->GetCaptionPopupBar();
  EXPECT_TRUE(caption->GetPopuped());
  ASSERT_NE(nullptr, popup->GetSafeHwnd());
  EXPECT_TRUE(::IsWindowVisible(popup->GetSafeHwnd()));
  EXPECT_EQ(3u, popup->GetFlags());
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
