// A ribbon drawing its frame's caption: the frame's region (maximised, MDI child, cut corners,
// status bar), the glass reaching into the client area through the composition seam, the frame's
// recalculation posted and immediate, the frame hook handing the caption to the client, and the
// caption buttons and title the ribbon places for the frame's style.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/ribbon/ribbon_test_frame.h"
#include "toolkit/drawing/theme_wrapper.h"
#include "toolkit/ribbon/ribbon_bar.h"
#include "toolkit/ribbon/ribbon_caption_buttons.h"
#include "toolkit/ribbon/ribbon_caption_layout.h"
#include "toolkit/ribbon/ribbon_frame_companion.h"
#include "toolkit/ribbon/ribbon_frame_hook.h"
#include "toolkit/ribbon/ribbon_system_button.h"
#include "toolkit/ribbon/ribbon_system_menu.h"
#include "toolkit/ribbon/ribbon_theme.h"

namespace {

int BorderOf(HWND window) {
  RECT outer{0, 0, 100, 100};
  ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)));
  return -outer.left;
}

// The frame's region's bounds; false when it has none.
bool RegionBox(HWND window, RECT* box) {
  KestrinWinNS::CScopedRegion region(::CreateRectRgn(0, 0, 0, 0));
  if (::GetWindowRgn(window, region.Get()) == ERROR) return false;
  ::GetRgnBox(region.Get(), box);
  return true;
}

bool InRegion(HWND window, int x, int y) {
  KestrinWinNS::CScopedRegion region(::CreateRectRgn(0, 0, 0, 0));
  return ::GetWindowRgn(window, region.Get()) != ERROR && ::PtInRegion(region.Get(), x, y);
}

TEST_F(RibbonFrame, AMaximisedFrameWithoutCompositionIsInsetByExactlyItsBorder) {
  Glass off(false);
  for (DWORD style : {static_cast<DWORD>(WS_OVERLAPPEDWINDOW), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU),
                      static_cast<DWORD>(WS_POPUP | WS_THICKFRAME)}) {
    Frame frame(style | WS_MAXIMIZE);
    CTKRibbonFrameCompanion companion(frame.hwnd, nullptr, nullptr, theme_);
    companion.ApplyFrameRegion(800, 600, true);
    const int border = BorderOf(frame.hwnd);
    EXPECT_EQ(companion.FrameBorder(), border) << style;
    RECT box{};
    ASSERT_TRUE(RegionBox(frame.hwnd, &box)) << style;
    EXPECT_EQ(box.left, border) << style;
    EXPECT_EQ(box.top, border) << style;
    EXPECT_EQ(box.right, 800 - border) << style;
    EXPECT_EQ(box.bottom, 600 - border) << style;
    EXPECT_TRUE(Glass::extended.empty());
  }
}

TEST_F(RibbonFrame, AMaximisedMdiChildGetsNoRegionAndNoCaptionButtons) {
  Glass off(false);
  Frame parent(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
  HWND client = ::CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 700, 500, parent.hwnd, nullptr,
                                  ::GetModuleHandleW(nullptr), &ccs);
  ASSERT_TRUE(client);
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &::DefMDIChildProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TKRibbonTestChild";
    ::RegisterClassW(&wc);
    registered = true;
  }
  MDICREATESTRUCTW mcs{L"TKRibbonTestChild", L"Child", ::GetModuleHandleW(nullptr), 0, 0, 300, 200,
                       WS_MAXIMIZE | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0};
  HWND child = reinterpret_cast<HWND>(::SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  ASSERT_TRUE(child);
  ::SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
  ASSERT_TRUE(::GetWindowLongW(child, GWL_STYLE) & WS_MAXIMIZE);
  ASSERT_TRUE(::GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_MDICHILD);
  // A region set earlier goes.
  ::SetWindowRgn(child, ::CreateRectRgn(0, 0, 50, 50), FALSE);
  CTKRibbonFrameCompanion companion(child, nullptr, nullptr, theme_);
  EXPECT_FALSE(companion.CaptionFromFrameTheme());
  RECT rect;
  ::GetWindowRect(child, &rect);
  companion.ApplyFrameRegion(rect.right - rect.left, rect.bottom - rect.top, true);
  RECT box;
  EXPECT_FALSE(RegionBox(child, &box));
  // The child's own style shows no caption buttons.
  CTKRibbonCaptionLayout::CInputs in;
  in.caption = RECT{0, 0, 700, 30};
  in.free = in.caption;
  in.style = static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE));
  in.ex_style = static_cast<DWORD>(::GetWindowLongW(child, GWL_EXSTYLE));
  EXPECT_TRUE(CTKRibbonCaptionLayout::Place(in).buttons.empty());
  ::SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
}

// A status bar child that says (or not) it is a toolkit one.
LRESULT CALLBACK StatusProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == TKRibbon::kMsgStatusBarQuery) return ::GetWindowLongPtrW(hwnd, GWLP_USERDATA);
  return ::DefWindowProcW(hwnd, msg, w, l);
}
HWND StatusBar(HWND frame, bool visible, bool answers) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &StatusProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TKRibbonTestStatus";
    ::RegisterClassW(&wc);
    registered = true;
  }
  HWND status = ::CreateWindowExW(0, L"TKRibbonTestStatus", nullptr, WS_CHILD | (visible ? WS_VISIBLE : 0), 0, 540, 800,
                                  22, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(CTKRibbonFrameCompanion::kStatusBarId)),
                                  ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(status, GWLP_USERDATA, answers ? 1 : 0);
  return status;
}

TEST_F(RibbonFrame, TheStatusBarIsFoundOnlyWhenShownAnsweringAndTheThemeDrawsFrames) {
  struct Case {
    bool status, visible, answers, frame_mode, found;
  };
  const Case cases[] = {{true, true, true, true, true},    {false, false, false, true, false},
                        {true, false, true, true, false},  {true, true, false, true, false},
                        {true, true, true, false, false}};
  Glass off(false);
  for (const Case& c : cases) {
    Frame frame(WS_OVERLAPPEDWINDOW);
    if (c.status) StatusBar(frame.hwnd, c.visible, c.answers);
    theme_->SetFrameMode(c.frame_mode);
    CTKRibbonFrameCompanion companion(frame.hwnd, nullptr, &manager_);
    int height = 0;
    EXPECT_EQ(companion.FindStatusBar(&height), c.found) << c.status << c.visible << c.answers << c.frame_mode;
    if (c.found) {
      EXPECT_EQ(height, 22);
    }
  }
  theme_->SetFrameMode(true);
}

TEST_F(RibbonFrame, ANormalFrameTakesTheThemesRegionWithBottomCornersCutAboveAStatusBar) {
  Glass off(false);
  for (bool status : {false, true}) {
    Frame frame(WS_OVERLAPPEDWINDOW);
    if (status) StatusBar(frame.hwnd, true, true);
    CTKRibbonFrameCompanion companion(frame.hwnd, nullptr, &manager_);
    companion.ApplyFrameRegion(800, 600, true);
    EXPECT_FALSE(InRegion(frame.hwnd, 0, 0)) << status;
    EXPECT_TRUE(InRegion(frame.hwnd, 4, 0)) << status;
    EXPECT_TRUE(InRegion(frame.hwnd, 400, 300)) << status;
    EXPECT_EQ(InRegion(frame.hwnd, 0, 599), !status) << status;
    EXPECT_TRUE(InRegion(frame.hwnd, 4, 599)) << status;
  }
}

TEST_F(RibbonFrame, CompositionExtendsTheGlassByTheRibbonsCaptionThroughTheSeam) {
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CTKRibbonBar* bar = AddBar(frame.hwnd);
  {
    Glass on(true);
    auto* companion = new CTKRibbonFrameCompanion(frame.hwnd, bar, &manager_);
    bar->SetFrameCompanion(companion);
    ASSERT_TRUE(companion->IsDesktopComposition());
    ASSERT_FALSE(companion->CaptionFromFrameTheme());
    Glass::extended.clear();
    companion->ApplyFrameRegion(800, 600, true);
    ASSERT_EQ(Glass::extended.size(), 1u);
    EXPECT_EQ(Glass::extended[0].first, frame.hwnd);
    const MARGINS m = Glass::extended[0].second;
    EXPECT_EQ(companion->FrameBorder(), CTKRibbonFrameCompanion::kCompositionBorder);
    EXPECT_EQ(m.cyTopHeight, bar->CaptionHeight());
    EXPECT_GT(m.cyTopHeight, CTKRibbonFrameCompanion::kCompositionBorder);
    EXPECT_EQ(m.cxLeftWidth, 0);
    EXPECT_EQ(m.cxRightWidth, 0);
    EXPECT_EQ(m.cyBottomHeight, 0);
    RECT box;
    EXPECT_FALSE(RegionBox(frame.hwnd, &box));  // the glass has no region cut
    // With the ribbon hidden the frame's own caption shows, and no glass reaches in.
    ::ShowWindow(bar->GetSafeHwnd(), SW_HIDE);
    Glass::extended.clear();
    companion->ApplyFrameRegion(800, 600, true);
    ASSERT_EQ(Glass::extended.size(), 1u);
    EXPECT_EQ(Glass::extended[0].second.cyTopHeight, 0);
    ::ShowWindow(bar->GetSafeHwnd(), SW_SHOW);
    // Maximised the border is the frame's own.
    ::SetWindowLongW(frame.hwnd, GWL_STYLE, ::GetWindowLongW(frame.hwnd, GWL_STYLE) | WS_MAXIMIZE);
    companion->ApplyFrameRegion(800, 600, true);
    EXPECT_EQ(companion->FrameBorder(), BorderOf(frame.hwnd));
    ::SetWindowLongW(frame.hwnd, GWL_STYLE, ::GetWindowLongW(frame.hwnd, GWL_STYLE) & ~WS_MAXIMIZE);
  }
  {
    Glass off(false);
    auto* companion = new CTKRibbonFrameCompanion(frame.hwnd, bar, &manager_);
    bar->SetFrameCompanion(companion);
    EXPECT_FALSE(companion->IsDesktopComposition());
    companion->ApplyFrameRegion(800, 600, true);
    EXPECT_TRUE(Glass::extended.empty());
    EXPECT_EQ(companion->FrameBorder(), BorderOf(frame.hwnd));
    EXPECT_FALSE(InRegion(frame.hwnd, 0, 0));
  }
  {
    // Composition turned on again: the region drawn without it goes.
    Glass on(true);
    bar->FrameCompanion()->RefreshComposition();
    bar->FrameCompanion()->ApplyFrameRegion(800, 600, true);
    RECT box;
    EXPECT_FALSE(RegionBox(frame.hwnd, &box));
    EXPECT_EQ(Glass::extended.size(), 1u);
  }
}

TEST_F(RibbonFrame, TheCaptionBandComesFromTheRibbonOrFromTheFrameTheme) {
  Glass off(false);
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CTKRibbonBar* bar = AddBar(frame.hwnd);
  auto* companion = new CTKRibbonFrameCompanion(frame.hwnd, bar, &manager_);
  bar->SetFrameCompanion(companion);
  companion->ApplyFrameRegion(800, 600, true);
  EXPECT_EQ(companion->CaptionBandHeight(), bar->CaptionHeight());
  ::ShowWindow(bar->GetSafeHwnd(), SW_HIDE);
  EXPECT_TRUE(companion->CaptionFromFrameTheme());
  EXPECT_EQ(companion->CaptionBandHeight(), theme_->FrameCaptionHeight() + companion->FrameBorder());
}

TEST_F(RibbonFrame, APostedRecalculationIsPostedOnceAndTheImmediateOneRecalculatesTheFrame) {
  Glass off(false);
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CTKRibbonFrameCompanion companion(frame.hwnd, nullptr, &manager_);
  DrainMessages();
  companion.RequestFrameRecalc(false);
  companion.RequestFrameRecalc(false);
  EXPECT_TRUE(companion.IsRecalcPosted());
  MSG msg;
  int posted = 0;
  while (::PeekMessageW(&msg, frame.hwnd, TKRibbon::kMsgFrameRecalc, TKRibbon::kMsgFrameRecalc, PM_REMOVE)) ++posted;
  EXPECT_EQ(posted, 1);
  frame.messages.clear();
  companion.RequestFrameRecalc(true);
  EXPECT_FALSE(companion.IsRecalcPosted());
  EXPECT_EQ(frame.Count(WM_NCCALCSIZE), 1);
  EXPECT_EQ(frame.Count(WM_SIZE), 1);
}

TEST_F(RibbonFrame, TheFrameHookHandsTheCaptionToTheRibbonAndRunsThePostedRecalculation) {
  Glass off(false);
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CTKRibbonBar* bar = AddBar(frame.hwnd);
  CTKRibbonFrameHook::Attach(frame.hwnd, bar, &manager_);
  CTKRibbonFrameCompanion* companion = bar->FrameCompanion();
  ASSERT_TRUE(companion);
  RECT window, client;
  ::GetWindowRect(frame.hwnd, &window);
  ::GetClientRect(frame.hwnd, &client);
  ::MapWindowPoints(frame.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int border = BorderOf(frame.hwnd);
  EXPECT_EQ(client.top, window.top);
  EXPECT_EQ(client.left, window.left + border);
  EXPECT_EQ(client.right, window.right - border);
  EXPECT_EQ(client.bottom, window.bottom - border);
  EXPECT_FALSE(InRegion(frame.hwnd, 0, 0));  // the theme's cut corner
  // The region follows the frame's size.
  ASSERT_TRUE(InRegion(frame.hwnd, 750, 300));
  ::SetWindowPos(frame.hwnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(InRegion(frame.hwnd, 750, 300));
  EXPECT_TRUE(InRegion(frame.hwnd, 695, 0));
  EXPECT_FALSE(InRegion(frame.hwnd, 699, 0));
  ::SetWindowPos(frame.hwnd, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::GetWindowRect(frame.hwnd, &window);
  // The posted recalculation reaches the frame and is done there (the hook takes the message
  // and the frame's non-client recalculation; the frame is told its size).
  companion->RequestFrameRecalc(false);
  frame.messages.clear();
  DrainMessages();
  EXPECT_FALSE(companion->IsRecalcPosted());
  EXPECT_EQ(frame.Count(TKRibbon::kMsgFrameRecalc), 0);
  EXPECT_EQ(frame.Count(WM_SIZE), 1);
  // A new title is placed again.
  const RECT before = bar->TitleRect();
  ::SetWindowTextW(frame.hwnd, L"A much longer title for the same document window - Kestrin");
  EXPECT_GT(bar->TitleRect().right - bar->TitleRect().left, before.right - before.left);
  CTKRibbonFrameHook::Detach(frame.hwnd);
  EXPECT_FALSE(bar->HasFrameCompanion());
  ::GetClientRect(frame.hwnd, &client);
  ::MapWindowPoints(frame.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_GT(client.top, window.top + border);  // the frame's own caption is back
}

TEST_F(RibbonFrame, TheFrameStyleChoosesTheCaptionButtonsTheRibbonShows) {
  struct Case {
    const char* name;
    DWORD style, ex_style;
    std::vector<int> buttons;
  };
  const Case cases[] = {
      {"normal", WS_OVERLAPPEDWINDOW, 0, {SC_CLOSE, SC_MAXIMIZE, SC_MINIMIZE}},
      {"tool window", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, {SC_CLOSE}},
      {"no boxes", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, {SC_CLOSE}},
  };
  Glass off(false);
  for (const Case& c : cases) {
    Frame frame(c.style | WS_VISIBLE, c.ex_style);
    CTKRibbonBar* bar = AddBar(frame.hwnd);
    CTKRibbonFrameHook::Attach(frame.hwnd, bar, &manager_);
    EXPECT_EQ(CaptionButtons(), c.buttons) << c.name;
    for (int id : c.buttons) {
      CTKControl* button = bar->GetControls()->FindControl(id);
      EXPECT_EQ(button->GetFlags(), CTKRibbonBar::CControlCaptionButton::kControlFlags) << c.name;
      EXPECT_EQ(button->GetTooltip(), TKSystemMenuText(frame.hwnd, id)) << c.name;
      EXPECT_EQ(button->GetTooltip().find(L'\t'), std::wstring::npos) << c.name;
    }
    CTKRibbonFrameHook::Detach(frame.hwnd);
    bar->DestroyWindow();
    bar->Release();
    bar_ = nullptr;
  }
}

TEST_F(RibbonFrame, ACaptionButtonPostsItsSystemCommandToTheFrame) {
  Glass off(false);
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CTKRibbonBar* bar = AddBar(frame.hwnd);
  CTKRibbonFrameHook::Attach(frame.hwnd, bar, &manager_);
  EXPECT_FALSE(TKSystemMenuText(frame.hwnd, SC_CLOSE).empty());
  for (int id : {SC_MINIMIZE, SC_CLOSE}) bar->GetControls()->FindControl(id)->OnExecute();
  DrainMessages();
  EXPECT_EQ(frame.system_commands, (std::vector<WPARAM>{SC_MINIMIZE, SC_CLOSE}));
}

TEST_F(RibbonFrame, ALongTitleIsCutBetweenTheQuickAccessBarAndTheCaptionButtons) {
  Glass off(false);
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE,  0,
              L"A window title far too long to be shown whole between the quick-access bar and the caption "
              L"buttons of this frame, however wide the frame may be - Kestrin");
  CTKRibbonBar* bar = AddBar(frame.hwnd);
  for (int i = 0; i < 4; ++i) {
    CTKControl* command = new CTKControlButton;
    command->SetID(200 + i);
    command->SetCaption(L"Save");
    bar->AddToQuickAccess(command);
    command->Release();
  }
  CTKRibbonFrameHook::Attach(frame.hwnd, bar, &manager_);
  const RECT title = bar->TitleRect();
  ASSERT_TRUE(bar->IsQuickAccessVisible());
  const CTKControl* customise = bar->CustomiseButton();
  const int after_bar = bar->QuickAccessRect().right + (customise->IsVisible() ? customise->GetRect().Width() + 2 : 12);
  ASSERT_GT(after_bar, bar->CaptionRect().left + CTKRibbonCaptionLayout::kTitleIndent);
  EXPECT_EQ(title.left, after_bar);
  EXPECT_EQ(title.right, bar->GetControls()->FindControl(SC_MINIMIZE)->GetRect().left);
}

TEST_F(RibbonFrame, TheRibbonDrawsItsCaptionFromTheFrameImagesOrAsGlass) {
  constexpr COLORREF kTopCentreActive = RGB(10, 200, 20), kTopCentreInactive = RGB(10, 100, 20);
  for (bool composition : {false, true}) {
    Glass glass(composition);
    Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, L"");
    CTKRibbonBar* bar = AddBar(frame.hwnd);
    CTKRibbonFrameHook::Attach(frame.hwnd, bar, &manager_);
    const RECT caption = bar->CaptionRect();
    ASSERT_GT(caption.bottom, 0);
    for (bool active : {true, false}) {
      bar->FrameCompanion()->SetFrameActive(active);
      Canvas canvas(800, caption.bottom, RGB(255, 0, 255));
      CDC dc;
      dc.Attach(canvas.dc());
      bar->PaintCaptionBand(&dc);
      const COLORREF expected = composition ? RGB(0, 0, 0) : active ? kTopCentreActive : kTopCentreInactive;
      EXPECT_EQ(canvas.At(400, caption.bottom / 2), expected) << composition << active;
      EXPECT_EQ(canvas.At(400, 0), expected) << composition << active;
    }
    CTKRibbonFrameHook::Detach(frame.hwnd);
    bar->DestroyWindow();
    bar->Release();
    bar_ = nullptr;
  }
}

}  // namespace
