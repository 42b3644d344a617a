// Skinned window frames: borders and client area, hit testing, pixels of the non-client area
// printed into memory, caption buttons driven by posted mouse messages, the window region, and
// the system's frame once the skin is gone.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/appframe/wnd.h"
#include "platform/win/gdi.h"
#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/skin/skin_test_env.h"
#include "toolkit/skin/skin_manager.h"
#include "toolkit/skin/skin_object.h"
#include "toolkit/skin/skin_object_frame.h"
#include "toolkit/skin/skin_schema_default.h"

namespace {

// Colours of the project's skin (tools/skin/make_skin.py).
constexpr COLORREF kActive = RGB(40, 80, 160);
constexpr COLORREF kInactive = RGB(120, 140, 170);
constexpr COLORREF kCloseNormal = RGB(200, 60, 60);
constexpr COLORREF kCloseHot = RGB(240, 110, 110);
constexpr COLORREF kCloseInactive = RGB(190, 150, 150);
constexpr COLORREF kMinMaxNormal = RGB(60, 120, 200);
constexpr COLORREF kArrowBorder = RGB(60, 90, 140);
constexpr COLORREF kSkinFace = RGB(214, 228, 245);
constexpr COLORREF kBack = RGB(1, 1, 1);
constexpr UINT kDestroyNow = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;  // only the window's own procedure answers it (42)

// Skin geometry of a 200 x 150 overlapped window: caption 23 (22 + 1), borders of 4 (window
// edge 2, border 1, sizing 1); 18 x 18 caption buttons at y 6, right to left from x 194.
constexpr int kWidth = 200, kHeight = 150;
constexpr POINT kClose{185, 15}, kMax{165, 15}, kMin{145, 15};

std::vector<UINT> g_commands;
LRESULT g_optOut = 0;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND) {
    g_commands.push_back(static_cast<UINT>(wParam & 0xFFF0));
    return 0;
  }
  if (message == CTKSkinObject::QueryStateMessage()) return g_optOut;
  if (message == kDestroyNow) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (message == kAnswer) return 42;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeFrame(DWORD style, DWORD exStyle = 0, int width = kWidth, int height = kHeight) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrinSkinFrameTest";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(exStyle, L"KestrinSkinFrameTest", L"Skinned", style, 0, 0, width, height, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// Distances of the client area from the window's edges.
RECT Insets(HWND hwnd) {
  RECT w, c;
  GetWindowRect(hwnd, &w);
  GetClientRect(hwnd, &c);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&c), 2);
  return RECT{c.left - w.left, c.top - w.top, w.right - c.right, w.bottom - c.bottom};
}

RECT SystemInsets(HWND hwnd) {
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, GetWindowLongW(hwnd, GWL_STYLE), FALSE, GetWindowLongW(hwnd, GWL_EXSTYLE));
  RECT insets{-r.left, -r.top, r.right - 100, r.bottom - 100};
  if (GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL) insets.right += GetSystemMetrics(SM_CXVSCROLL);
  return insets;
}

LPARAM ScreenPoint(HWND hwnd, POINT windowPoint) {
  RECT w;
  GetWindowRect(hwnd, &w);
  return MAKELPARAM(w.left + windowPoint.x, w.top + windowPoint.y);
}

LPARAM ClientPoint(HWND hwnd, POINT windowPoint) {
  RECT w;
  GetWindowRect(hwnd, &w);
  POINT pt{w.left + windowPoint.x, w.top + windowPoint.y};
  ScreenToClient(hwnd, &pt);
  return MAKELPARAM(pt.x, pt.y);
}

LRESULT HitAt(HWND hwnd, POINT windowPoint) {
  return SendMessageW(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, windowPoint));
}

void Print(HWND hwnd, Canvas& canvas) {
  canvas.Fill(kBack);
  SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_NONCLIENT);
}

bool AnyPixelOtherThan(const Canvas& canvas, RECT area, COLORREF color) {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (canvas.At(x, y) != color) return true;
  return false;
}

bool RegionContains(HWND hwnd, int x, int y) {
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  const bool has = GetWindowRgn(hwnd, region.Get()) != ERROR;
  const bool in = has && PtInRegion(region.Get(), x, y);
  return in;
}

bool HasRegion(HWND hwnd) {
  KestrinWinNS::CScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  const bool has = GetWindowRgn(hwnd, region.Get()) != ERROR;
  return has;
}

class SkinFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = GetSkinManager();
    ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
    g_commands.clear();
  }
  void TearDown() override { manager_->LoadSkinFile(L"", L""); }
  CTKSkinManager* manager_ = nullptr;
};

}  // namespace

TEST_F(SkinFrameTest, ClientAreaLiesInsideTheSkinsBorders) {
  const int vs = 19;  // the skin's scroll-bar width
  const int hs = GetSystemMetrics(SM_CYHSCROLL);
  const int smallCaption = GetSystemMetrics(SM_CYSMCAPTION);
  struct Case {
    DWORD style, exStyle;
    RECT insets;
  } cases[] = {
      {WS_OVERLAPPEDWINDOW, 0, {4, 27, 4, 4}},
      {WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, {4, 27, 4 + vs, 4}},
      {WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, WS_EX_LEFTSCROLLBAR, {4 + vs, 27, 4, 4 + hs}},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, {3, smallCaption + 3, 3, 3}},
      {WS_POPUP | WS_BORDER, 0, {1, 1, 1, 1}},
      {WS_POPUP | WS_CAPTION, WS_EX_CLIENTEDGE, {3 + 2, 23 + 3 + 2, 3 + 2, 3 + 2}},
  };
  for (const Case& c : cases) {
    HWND hwnd = MakeFrame(c.style, c.exStyle);
    ASSERT_NE(hwnd, nullptr);
    const RECT in = Insets(hwnd);
    EXPECT_EQ(in.left, c.insets.left) << std::hex << c.style;
    EXPECT_EQ(in.top, c.insets.top) << std::hex << c.style;
    EXPECT_EQ(in.right, c.insets.right) << std::hex << c.style;
    EXPECT_EQ(in.bottom, c.insets.bottom) << std::hex << c.style;
    DestroyWindow(hwnd);
  }
  // Too small for its frame (a popup: no minimum tracking size): the client area shrinks to
  // nothing but never turns inside out.
  HWND tiny = MakeFrame(WS_POPUP | WS_CAPTION | WS_VSCROLL, 0, 12, 12);
  RECT client;
  GetClientRect(tiny, &client);
  EXPECT_EQ(client.right, 0);
  EXPECT_EQ(client.bottom, 0);
  RECT w, c;
  GetWindowRect(tiny, &w);
  GetClientRect(tiny, &c);
  MapWindowPoints(tiny, nullptr, reinterpret_cast<POINT*>(&c), 2);
  EXPECT_GE(c.left, w.left);
  EXPECT_LE(c.right, w.right);
  EXPECT_LE(c.bottom, w.bottom);
  DestroyWindow(tiny);
}

TEST_F(SkinFrameTest, HitTestFindsBordersCaptionButtonsAndScrollBars) {
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  SetScrollRange(hwnd, SB_VERT, 0, 100, FALSE);
  HWND noMax = MakeFrame(WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX);
  struct Case {
    HWND window;
    POINT pt;
    LRESULT hit;
  } cases[] = {
      {hwnd, {100, 12}, HTCAPTION},     {hwnd, {100, 1}, HTTOP},        {hwnd, {1, 75}, HTLEFT},
      {hwnd, {198, 75}, HTRIGHT},       {hwnd, {100, 148}, HTBOTTOM},   {hwnd, {1, 1}, HTTOPLEFT},
      {hwnd, {198, 148}, HTBOTTOMRIGHT}, {hwnd, kClose, HTCLOSE},       {hwnd, kMax, HTMAXBUTTON},
      {hwnd, kMin, HTMINBUTTON},        {hwnd, {80, 80}, HTCLIENT},     {hwnd, {186, 80}, HTVSCROLL},
      // A disabled button is not the skin's: the system's answer is taken as caption.
      {noMax, kMax, HTCAPTION},         {noMax, kClose, HTCLOSE},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HitAt(c.window, c.pt), c.hit) << c.pt.x << "," << c.pt.y;
  DestroyWindow(hwnd);
  DestroyWindow(noMax);
}

TEST_F(SkinFrameTest, FramePrintsCaptionBordersButtonsAndScrollBar) {
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  SetScrollRange(hwnd, SB_VERT, 0, 100, FALSE);
  Canvas canvas(kWidth, kHeight, kBack);
  SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
  Print(hwnd, canvas);
  EXPECT_EQ(canvas.At(100, 3), kActive);     // caption
  EXPECT_EQ(canvas.At(1, 75), kActive);      // left border
  EXPECT_EQ(canvas.At(198, 75), kActive);    // right border
  EXPECT_EQ(canvas.At(100, 148), kActive);   // bottom border
  EXPECT_EQ(canvas.At(0, 0), kBack);         // transparent corner of the caption image
  EXPECT_EQ(canvas.At(kClose.x, kClose.y), kCloseNormal);
  EXPECT_EQ(canvas.At(176, 6), RGB(255, 255, 255));  // the close button's own border
  EXPECT_EQ(canvas.At(kMax.x, kMax.y), kMinMaxNormal);
  EXPECT_EQ(canvas.At(100, 75), kBack);      // the client area is not the frame's
  EXPECT_TRUE(AnyPixelOtherThan(canvas, RECT{27, 10, 120, 24}, kActive));  // caption text
  EXPECT_TRUE(AnyPixelOtherThan(canvas, RECT{6, 9, 22, 25}, kActive));     // window icon
  EXPECT_EQ(canvas.At(177, 27), kArrowBorder);  // the up arrow of the skin's scroll bar
  EXPECT_EQ(canvas.At(186, 36), kSkinFace);
  // The thumb (as long as the bar is wide, in the skin's thumb colour) follows the position
  // along the 81-pixel track.
  const COLORREF thumb = RGB(20, 100, 180);
  EXPECT_EQ(canvas.At(186, 55), thumb);
  EXPECT_NE(canvas.At(186, 117), thumb);
  SetScrollPos(hwnd, SB_VERT, 100, TRUE);
  Print(hwnd, canvas);
  EXPECT_NE(canvas.At(186, 55), thumb);
  EXPECT_EQ(canvas.At(186, 117), thumb);

  // Hot close button.
  SendMessageW(hwnd, WM_NCMOUSEMOVE, HTCLOSE, ScreenPoint(hwnd, kClose));
  Print(hwnd, canvas);
  EXPECT_EQ(canvas.At(kClose.x, kClose.y), kCloseHot);
  SendMessageW(hwnd, WM_NCMOUSELEAVE, 0, 0);

  // Inactive: the inactive frames of every image.
  SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0);
  Print(hwnd, canvas);
  EXPECT_EQ(canvas.At(100, 3), kInactive);
  EXPECT_EQ(canvas.At(1, 75), kInactive);
  EXPECT_EQ(canvas.At(kClose.x, kClose.y), kCloseInactive);
  DestroyWindow(hwnd);
}

TEST_F(SkinFrameTest, RegionCutsTheCaptionCornersAndFollowsTheSize) {
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW);
  ASSERT_TRUE(HasRegion(hwnd));
  EXPECT_FALSE(RegionContains(hwnd, 0, 0));
  EXPECT_FALSE(RegionContains(hwnd, 1, 0));
  EXPECT_FALSE(RegionContains(hwnd, 0, 1));
  EXPECT_TRUE(RegionContains(hwnd, 1, 1));
  EXPECT_FALSE(RegionContains(hwnd, kWidth - 1, 0));
  EXPECT_TRUE(RegionContains(hwnd, kWidth - 2, 1));
  EXPECT_TRUE(RegionContains(hwnd, 0, kHeight - 1));
  SetWindowPos(hwnd, nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(RegionContains(hwnd, 299, 0));
  EXPECT_TRUE(RegionContains(hwnd, kWidth - 1, 0));
  EXPECT_TRUE(RegionContains(hwnd, 299, 119));
  // A window without a caption keeps its rectangle.
  HWND plain = MakeFrame(WS_POPUP | WS_BORDER);
  EXPECT_FALSE(HasRegion(plain));
  DestroyWindow(plain);
  DestroyWindow(hwnd);
}

TEST_F(SkinFrameTest, CaptionButtonSendsItsCommandOnlyWhenReleasedOverIt) {
  struct Case {
    const char* name;
    std::vector<POINT> moves;  // window coordinates while the button is held
    POINT release;
    POINT button;
    size_t commands;
    UINT command;
  } cases[] = {
      {"released over", {kClose}, kClose, kClose, 1, SC_CLOSE},
      {"released outside", {{100, 75}}, {100, 75}, kClose, 0, 0},
      {"left and came back", {{100, 75}, kClose}, kClose, kClose, 1, SC_CLOSE},
      {"maximize", {}, kMax, kMax, 1, SC_MAXIMIZE},
  };
  for (const Case& c : cases) {
    HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    g_commands.clear();
    SendMessageW(hwnd, WM_NCMOUSEMOVE, HitAt(hwnd, c.button), ScreenPoint(hwnd, c.button));
    for (const POINT& p : c.moves) PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(hwnd, p));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, ClientPoint(hwnd, c.release));
    SendMessageW(hwnd, WM_NCLBUTTONDOWN, HitAt(hwnd, c.button), ScreenPoint(hwnd, c.button));
    EXPECT_EQ(g_commands.size(), c.commands) << c.name;
    if (c.commands == 1 && !g_commands.empty()) EXPECT_EQ(g_commands[0], c.command) << c.name;
    EXPECT_NE(GetCapture(), hwnd) << c.name;
    DestroyWindow(hwnd);
  }
}

TEST_F(SkinFrameTest, WindowDestroyedWhileItsButtonIsHeld) {
  const size_t before = manager_->WindowCount();
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SendMessageW(hwnd, WM_NCMOUSEMOVE, HTCLOSE, ScreenPoint(hwnd, kClose));
  PostMessageW(hwnd, kDestroyNow, 0, 0);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, ClientPoint(hwnd, kClose));
  SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCLOSE, ScreenPoint(hwnd, kClose));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(g_commands.empty());
  EXPECT_EQ(manager_->Lookup(hwnd), nullptr);
  EXPECT_EQ(manager_->WindowCount(), before);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

TEST_F(SkinFrameTest, UnloadingGivesTheSystemsFrameBack) {
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  ASSERT_EQ(Insets(hwnd).top, 27);
  ASSERT_TRUE(HasRegion(hwnd));
  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  const RECT in = Insets(hwnd), sys = SystemInsets(hwnd);
  EXPECT_EQ(in.left, sys.left);
  EXPECT_EQ(in.top, sys.top);
  EXPECT_EQ(in.right, sys.right);
  EXPECT_EQ(in.bottom, sys.bottom);
  EXPECT_FALSE(HasRegion(hwnd));
  Canvas canvas(kWidth, kHeight, kBack);
  Print(hwnd, canvas);
  EXPECT_NE(canvas.At(100, 3), kActive);
  EXPECT_NE(canvas.At(kClose.x, kClose.y), kCloseNormal);
  EXPECT_EQ(HitAt(hwnd, POINT{100, 80}), HTCLIENT);
  // Loaded again, the same window takes the skin's frame again.
  ASSERT_EQ(manager_->LoadSkinFile(TestEnv().library, L""), 1);
  EXPECT_EQ(Insets(hwnd).top, 27);
  DestroyWindow(hwnd);
}

TEST(SkinManagerEnd, ReleaseRestoresWindowsAndAllowsANewManager) {
  CTKSkinManager* manager = GetSkinManager();
  ASSERT_EQ(manager->LoadSkinFile(TestEnv().library, L""), 1);
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW);
  ASSERT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CTKSkinManager::SharedWindowProc));
  ReleaseSkinManager();
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&FrameProc));
  EXPECT_FALSE(HasRegion(hwnd));
  EXPECT_NE(Insets(hwnd).top, 27);
  DestroyWindow(hwnd);
  // The next use makes a new manager that works as the first did.
  CTKSkinManager* again = GetSkinManager();
  ASSERT_NE(again, nullptr);
  ASSERT_EQ(again->LoadSkinFile(TestEnv().library, L""), 1);
  HWND second = MakeFrame(WS_OVERLAPPEDWINDOW);
  EXPECT_NE(again->Lookup(second), nullptr);
  EXPECT_EQ(Insets(second).top, 27);
  DestroyWindow(second);
  again->LoadSkinFile(L"", L"");
}

namespace {

WNDPROC g_replaced = nullptr;

LRESULT CALLBACK HandingOnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(g_replaced, hwnd, message, wParam, lParam);
}

}  // namespace

// A subclass set over the skin's outlives the skin: the skin does not cut it out, and what it
// hands on still reaches the window's own procedure, also after it puts back the procedure it
// replaced (the skin's).
TEST(SkinManagerEnd, ASubclassSetOverTheSkinsKeepsReachingTheWindowsProcedure) {
  CTKSkinManager* manager = GetSkinManager();
  ASSERT_EQ(manager->LoadSkinFile(TestEnv().library, L""), 1);
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW);
  g_replaced = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HandingOnProc)));
  ASSERT_EQ(g_replaced, &CTKSkinManager::SharedWindowProc);
  ASSERT_EQ(SendMessageW(hwnd, kAnswer, 0, 0), 42);
  ReleaseSkinManager();
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&HandingOnProc));
  EXPECT_EQ(SendMessageW(hwnd, kAnswer, 0, 0), 42);
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_replaced));
  EXPECT_EQ(SendMessageW(hwnd, kAnswer, 0, 0), 42);
  EXPECT_EQ(SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
  EXPECT_EQ(g_commands, std::vector<UINT>{SC_CLOSE});
  g_commands.clear();
  DestroyWindow(hwnd);
  // A new window with a new manager is skinned as before.
  ASSERT_EQ(GetSkinManager()->LoadSkinFile(TestEnv().library, L""), 1);
  HWND second = MakeFrame(WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(Insets(second).top, 27);
  DestroyWindow(second);
  GetSkinManager()->LoadSkinFile(L"", L"");
}

TEST_F(SkinFrameTest, SystemColourClassBrushErasesInTheSkinsColour) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"KestrinSkinFaceTest";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, L"KestrinSkinFaceTest", L"", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(hwnd, nullptr);
  Canvas canvas(40, 30, kBack);
  EXPECT_NE(SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0), 0);
  EXPECT_EQ(canvas.At(20, 15), kSkinFace);
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);  // the class keeps its value
  ASSERT_EQ(manager_->LoadSkinFile(L"", L""), 0);
  canvas.Fill(kBack);
  SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  EXPECT_EQ(canvas.At(20, 15), GetSysColor(COLOR_BTNFACE));
  EXPECT_NE(canvas.At(20, 15), kSkinFace);
  DestroyWindow(hwnd);
}

TEST_F(SkinFrameTest, WindowThatOptsOutKeepsTheSystemsFrameUntilItOptsIn) {
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW);
  ASSERT_EQ(Insets(hwnd).top, 27);
  g_optOut = 1;
  SendMessageW(hwnd, CTKSkinObject::UpdateStateMessage(), 0, 0);
  EXPECT_EQ(Insets(hwnd).top, SystemInsets(hwnd).top);
  EXPECT_FALSE(HasRegion(hwnd));
  g_optOut = 0;
  SendMessageW(hwnd, CTKSkinObject::UpdateStateMessage(), 0, 0);
  EXPECT_EQ(Insets(hwnd).top, 27);
  EXPECT_TRUE(HasRegion(hwnd));
  DestroyWindow(hwnd);
}

TEST_F(SkinFrameTest, Office2007ScrollBarDrawsItsOwnImages) {
  // 19 x 150: arrows 0-19 and 131-150, the thumb (19 long) at the top of the track.
  HWND owner = MakeFrame(WS_POPUP);
  CTKSkinManagerSchemaOffice2007 office(manager_);
  CTKSkinScrollBarInfo bar;
  bar.rect = RECT{0, 0, 19, 150};
  bar.info.nMax = 100;
  Canvas canvas(19, 150, kBack);
  office.PaintScrollBarParts(canvas.dc(), owner, bar);
  EXPECT_EQ(canvas.At(9, 100), RGB(230, 235, 245));  // light background, frame 0
  EXPECT_EQ(canvas.At(9, 9), RGB(0, 0, 0));          // up glyph, centred
  EXPECT_EQ(canvas.At(2, 2), RGB(230, 235, 245));    // no arrow buttons while the mouse is away
  EXPECT_EQ(canvas.At(9, 29), RGB(150, 180, 220));   // thumb, normal
  bar.mouseOver = true;
  bar.hot = kScrollFirstArrow;
  bar.pressed = kScrollTrackAfter;
  office.PaintScrollBarParts(canvas.dc(), owner, bar);
  EXPECT_EQ(canvas.At(3, 3), RGB(250, 220, 150));    // hot arrow button
  EXPECT_EQ(canvas.At(3, 140), RGB(180, 200, 230));  // the other arrow, normal
  EXPECT_EQ(canvas.At(9, 100), RGB(200, 210, 230));  // pressed track after the thumb
  // Without a captioned ancestor the size box takes the light colour.
  EXPECT_EQ(office.SizeBoxFillColor(owner), RGB(245, 245, 245));
  DestroyWindow(owner);
}

TEST_F(SkinFrameTest, CaptionButtonsFollowTheWindowsStyleAndState) {
  struct Case {
    DWORD style, exStyle;
    int show;  // SW_ value applied after creation, 0 for none
    std::vector<UINT> commands;
  } cases[] = {
      {WS_OVERLAPPEDWINDOW, 0, 0, {SC_CLOSE, SC_MAXIMIZE, SC_MINIMIZE}},
      {WS_OVERLAPPEDWINDOW, 0, SW_MINIMIZE, {SC_CLOSE, SC_MAXIMIZE, SC_RESTORE}},
      {WS_OVERLAPPEDWINDOW, 0, SW_MAXIMIZE, {SC_CLOSE, SC_RESTORE, SC_MINIMIZE}},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTEXTHELP, 0, {SC_CLOSE, SC_CONTEXTHELP}},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_TOOLWINDOW, 0, {SC_CLOSE}},
      {WS_POPUP | WS_CAPTION, 0, 0, {}},
  };
  for (const Case& c : cases) {
    HWND hwnd = MakeFrame(c.style, c.exStyle);
    if (c.show) ShowWindow(hwnd, c.show);
    auto* frame = dynamic_cast<CTKSkinObjectFrame*>(manager_->Lookup(hwnd));
    ASSERT_NE(frame, nullptr);
    frame->HitTest(POINT{0, 0});  // builds the buttons for the current style
    std::vector<UINT> commands;
    for (const auto& b : frame->CaptionButtons()) commands.push_back(b.command);
    EXPECT_EQ(commands, c.commands) << std::hex << c.style << " " << c.show;
    DestroyWindow(hwnd);
  }
  // A system menu whose close item is greyed disables the close button.
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW);
  EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) & ~WS_MINIMIZEBOX);  // a new style: rebuilt
  auto* frame = dynamic_cast<CTKSkinObjectFrame*>(manager_->Lookup(hwnd));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->HitTest(kClose), 0);
  ASSERT_FALSE(frame->CaptionButtons().empty());
  EXPECT_FALSE(frame->CaptionButtons()[0].enabled);
  DestroyWindow(hwnd);
}

namespace {

WNDPROC g_skinProc = nullptr;

// A subclass put on after the skin's, that hands on through CallWindowProc as framework layers do.
LRESULT CALLBACK OuterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(g_skinProc, hwnd, message, wParam, lParam);
}

}  // namespace

TEST_F(SkinFrameTest, OuterSubclassHandingOnToTheSkinDoesNotLoop) {
  // A window without a caption gets its frame messages from its default processing; when an
  // outer procedure reaches the skin's procedure through CallWindowProc, the skin's own default
  // processing must go on to the window's previous procedure, not back to the skin.
  HWND hwnd = MakeFrame(WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 120, 90);
  ASSERT_NE(manager_->Lookup(hwnd), nullptr);
  g_skinProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterProc)));
  ASSERT_NE(g_skinProc, nullptr);
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 7, 9, 140, 100, SWP_NOZORDER | SWP_NOACTIVATE));
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 9);
  EXPECT_EQ(r.right - r.left, 140);
  EXPECT_EQ(r.bottom - r.top, 100);
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_skinProc));
  DestroyWindow(hwnd);
}

TEST_F(SkinFrameTest, FrameworkWindowThatStaysActiveKeepsItsActiveCaption) {
  HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW);
  auto* frame = dynamic_cast<CTKSkinObjectFrame*>(manager_->Lookup(hwnd));
  ASSERT_NE(frame, nullptr);
  CWnd wnd;
  ASSERT_TRUE(wnd.Attach(hwnd));
  struct Case {
    bool stayActive, enabled;
    WPARAM request;
    bool active;
  } cases[] = {
      {false, true, FALSE, false}, {true, true, FALSE, true}, {true, true, TRUE, true},
      {false, true, TRUE, true},   {true, false, FALSE, false}, {true, false, TRUE, false},
  };
  for (const Case& c : cases) {
    wnd.m_stayActive = c.stayActive;
    EnableWindow(hwnd, c.enabled);
    EXPECT_EQ(SendMessageW(hwnd, WM_NCACTIVATE, c.request, 0), TRUE);
    EXPECT_EQ(frame->IsActive(), c.active) << c.stayActive << c.enabled << c.request;
  }
  wnd.Detach();
  DestroyWindow(hwnd);
}

namespace {

LRESULT CALLBACK MdiFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(hwnd, FindWindowExW(hwnd, nullptr, L"MDIClient", nullptr), message, wParam, lParam);
}

// A frame window with its MDI client and one child, destroyed together.
struct MdiWindows {
  MdiWindows() {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpfnWndProc = MdiFrameProc;
      wc.lpszClassName = L"KestrinSkinMdiFrame";
      RegisterClassW(&wc);
      wc.lpfnWndProc = DefMDIChildProcW;
      wc.lpszClassName = L"KestrinSkinMdiChild";
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    frame = CreateWindowExW(0, L"KestrinSkinMdiFrame", L"Frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    CLIENTCREATESTRUCT ccs{nullptr, 1000};
    client = CreateWindowExW(0, L"MDIClient", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 360, 240, frame,
                             nullptr, GetModuleHandleW(nullptr), &ccs);
    child = CreateMDIWindowW(L"KestrinSkinMdiChild", L"Child", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 150, 100,
                             client, GetModuleHandleW(nullptr), 0);
  }
  ~MdiWindows() { DestroyWindow(frame); }
  HWND frame = nullptr, client = nullptr, child = nullptr;
};

}  // namespace

TEST_F(SkinFrameTest, MaximisedMdiChildHidesTheSkinsCaptionAboveItsParent) {
  MdiWindows mdi;
  ASSERT_NE(mdi.child, nullptr);
  ASSERT_NE(manager_->Lookup(mdi.child), nullptr);
  const RECT b = manager_->Schema()->ComputeFrameBorders(mdi.child);
  ASSERT_GT(b.top, 0);

  // The maximised position moves up by the skin's top border, the height grows by as much.
  MINMAXINFO plain{};
  DefMDIChildProcW(mdi.child, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&plain));
  MINMAXINFO skinned{};
  SendMessageW(mdi.child, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&skinned));
  EXPECT_EQ(skinned.ptMaxPosition.x, plain.ptMaxPosition.x);
  EXPECT_EQ(skinned.ptMaxPosition.y, plain.ptMaxPosition.y - b.top);
  EXPECT_EQ(skinned.ptMaxSize.y, plain.ptMaxSize.y + b.top);

  // Maximising lays the child's borders just outside the parent's client area.
  SendMessageW(mdi.child, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(IsZoomed(mdi.child));
  RECT client, r;
  GetClientRect(mdi.client, &client);
  GetWindowRect(mdi.child, &r);
  MapWindowPoints(nullptr, mdi.client, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, -b.left);
  EXPECT_EQ(r.top, -b.top);
  EXPECT_EQ(r.right, client.right + b.right);
  EXPECT_EQ(r.bottom, client.bottom + b.bottom);
}
