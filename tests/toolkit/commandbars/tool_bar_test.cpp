// Tool bars: rows, the expand button and its popup, floating bars, visibility, and buttons from
// tool-bar resources of a given module.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/appframe/app.h"
#include "platform/appframe/frame_messages.h"
#include "platform/appframe/frame_wnd.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/image_manager.h"

using namespace TKCommandBars;

namespace {

TEST(ToolBar, ABarTooShortForItsButtonsWrapsOrHidesThemBehindTheExpandButton) {
  struct Case {
    const char* what;
    DWORD flags;  // the bar's Flags word
    bool floating;
    bool rows;    // wraps into more than one row
    bool hides;   // hides the rest behind the expand button
  } cases[] = {
      {"a tool bar hides what does not fit", 63, false, false, true},
      {"a bar that wraps takes more rows", 63 & ~0x20, false, true, false},
      {"a floating bar wraps to its width", 63, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ToolBarFixture fx(10);
    fx.bar->SetFlags(c.flags, ~c.flags);
    CSize whole = fx.bar->CalcDockingLayout(32767, LM_HORZ | LM_HORZDOCK | LM_COMMIT);
    EXPECT_EQ(10, fx.Shown());
    EXPECT_EQ(nullptr, fx.bar->GetExpandButton() && fx.bar->GetExpandButton()->IsVisible() ? fx.bar->GetExpandButton() : nullptr);
    const int length = whole.cx / 3;
    CSize size;
    if (c.floating) {
      fx.bar->SetWidth(length);
      fx.bar->SetPosition(kFloating);
      size = fx.bar->CalcFloatingLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
    } else {
      size = fx.bar->CalcDockingLayout(length, LM_HORZ | LM_HORZDOCK | LM_COMMIT);
    }
    EXPECT_LE(size.cx, c.floating ? length + 40 : length);
    EXPECT_EQ(c.rows, size.cy > whole.cy + (c.floating ? 25 : 0));
    EXPECT_EQ(c.hides, fx.bar->GetWrappedCount() > 0);
    EXPECT_EQ(c.hides ? 10 - fx.bar->GetWrappedCount() : 10, fx.Shown());
    CTKToolBar::CControlButtonExpand* expand = fx.bar->GetExpandButton();
    if (!c.hides) continue;
    ASSERT_NE(nullptr, expand);
    ASSERT_TRUE(expand->IsVisible());
    EXPECT_TRUE(expand->HasHiddenControls());
    EXPECT_EQ(CTKToolBar::kExpandRoom, expand->GetRect().Width());
    // The expand popup holds exactly the hidden buttons.
    CTKPopupBar* popup = new CTKPopupToolBar;
    fx.bar->FillExpandPopup(popup);
    ASSERT_EQ(fx.bar->GetWrappedCount(), popup->GetControlCount());
    EXPECT_EQ(100 + fx.Shown(), popup->GetControl(0)->GetID());
    EXPECT_TRUE(popup->GetControl(0)->IsVisible());
    popup->Release();
  }
}

TEST(ToolBar, OneButtonDoesNotWidenForTheExpandButtonWhileMeasuring) {
  ToolBarFixture fx(1);
  CSize committed = fx.bar->CalcDockingLayout(32767, LM_HORZ | LM_HORZDOCK | LM_COMMIT);
  CSize measured = fx.bar->CalcDockingLayout(32767, LM_HORZ | LM_HORZDOCK);
  EXPECT_EQ(committed, measured);
  ToolBarFixture two(2);
  CSize one = two.bar->CalcDockingLayout(1, LM_HORZ | LM_HORZDOCK);
  EXPECT_GE(one.cx, CTKToolBar::kExpandRoom);
}

TEST(ToolBar, AFloatingBarAnswersItsBorderAsASizingEdge) {
  ToolBarFixture fx(3);
  fx.bar->CreateToolBar(fx.site.hwnd, true);
  ::SetWindowPos(fx.bar->GetSafeHwnd(), nullptr, 100, 100, 200, 80, SWP_NOZORDER | SWP_NOACTIVATE);
  struct Case {
    POINT pt;
    LRESULT hit;
  } cases[] = {{{200, 102}, HTTOP}, {{200, 104}, HTCLIENT}, {{200, 178}, HTBOTTOM}, {{101, 140}, HTLEFT},
               {{299, 140}, HTRIGHT}};
  for (const Case& c : cases)
    EXPECT_EQ(c.hit, ::SendMessageW(fx.bar->GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(c.pt.x, c.pt.y)))
        << c.pt.x << "," << c.pt.y;
  // A floating bar narrower than two caption heights shows its hide button but no expand button;
  // a wider one shows both.
  ToolBarFixture empty(0);
  empty.bar->SetPosition(kFloating);
  CSize narrow = empty.bar->CalcFloatingLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
  ASSERT_NE(nullptr, empty.bar->GetHideButton());
  EXPECT_TRUE(empty.bar->GetHideButton()->IsVisible());
  EXPECT_LT(narrow.cx, 2 * empty.bar->GetHideButton()->GetRect().Height() + 2 * CTKToolBar::kFloatingBorder);
  EXPECT_FALSE(empty.bar->GetExpandButton()->IsVisible());
  fx.bar->CalcFloatingLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
  EXPECT_TRUE(fx.bar->GetHideButton()->IsVisible());
  EXPECT_TRUE(fx.bar->GetExpandButton()->IsVisible());
  // The buttons the bar makes for itself are held by its controls alone, so they go with the bar.
  EXPECT_EQ(1, fx.bar->GetHideButton()->GetRefCount());
  EXPECT_EQ(1, fx.bar->GetExpandButton()->GetRefCount());
}

TEST(ToolBar, HidingABarThatTracksEndsTrackingFirstAndTellsTheSite) {
  ToolBarFixture fx(3);
  fx.bar->SetTrackingMode(1, true, true);
  fx.site.messages.clear();
  fx.bar->SetVisible(false);
  EXPECT_FALSE(fx.bar->IsTrackingMode());
  EXPECT_FALSE(::IsWindowVisible(fx.bar->GetSafeHwnd()));
  auto notices = [&] { return std::count(fx.site.messages.begin(), fx.site.messages.end(), kMsgToolBarVisibility); };
  EXPECT_EQ(1, notices());
  fx.bar->SetVisible(false);
  EXPECT_EQ(1, notices());
}

TEST(ToolBar, ButtonsComeFromTheToolBarResourceOfTheGivenModule) {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  // The program's file loaded once more as data: another module with the same resources.
  KestrinWinNS::CScopedLibrary data(::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_NE(nullptr, data.Get());
  struct Case {
    const char* what;
    HMODULE module;
    UINT id;
    bool loads;
  } cases[] = {
      {"another module", data.Get(), 300, true},
      {"a module without it", ::GetModuleHandleW(L"kernel32.dll"), 300, false},
      {"a strip with fewer images than buttons", nullptr, 304, false},
      {"the toolkit's resource module", nullptr, 300, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ToolBarFixture fx(2);
    CTKImageManager* images = new CTKImageManager;
    fx.bar->SetImageManager(images);
    EXPECT_EQ(c.loads, fx.bar->LoadToolBar(c.module, c.id));
    const std::vector<int> expected = c.loads ? std::vector<int>{300, 301, 302} : std::vector<int>{100, 101};
    EXPECT_EQ(expected, IdsOf(fx.bar->GetControls()));
    EXPECT_EQ(c.loads, images->ContainsIcon(301, 16));
    EXPECT_FALSE(images->ContainsIcon(330, 16));
    fx.bar->SetImageManager(nullptr);
    images->InternalRelease();
  }
}

// The answer the reset's question gets in a test, and what it was asked.
struct ResetQuestion {
  static int Answer(HWND, const wchar_t* text, const wchar_t*, UINT type) {
    ++asked;
    last_text = text;
    last_type = type;
    return answer;
  }
  static int answer, asked;
  static std::wstring last_text;
  static UINT last_type;
};
int ResetQuestion::answer = IDOK, ResetQuestion::asked = 0;
std::wstring ResetQuestion::last_text;
UINT ResetQuestion::last_type = 0;

// A reset puts the bar's original buttons back: the copy kept when they were loaded, or the
// tool-bar resource read again. It asks first when told to, and only a built-in bar with an
// identifier resets.
TEST(ToolBar, ResetPutsTheOriginalButtonsBack) {
  struct Case {
    const char* what;
    bool loaded;      // from resource 300 (which keeps a copy), else buttons set by hand
    UINT bar_id;
    bool built_in;
    bool ask;
    int answer;
    bool resets;
  } cases[] = {
      {"the kept copy, not asked", true, 300, true, false, IDOK, true},
      {"asked and confirmed", true, 300, true, true, IDOK, true},
      {"asked and cancelled", true, 300, true, true, IDCANCEL, false},
      {"not built in", true, 300, false, false, IDOK, false},
      {"no copy: the resource read again", false, 300, true, false, IDOK, true},
      {"no identifier", false, 0, true, false, IDOK, false},
  };
  CTKToolBar::SetQuestionFunction(&ResetQuestion::Answer);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ToolBarFixture fx(0);
    fx.bar->SetTitle(L"Standard");
    if (c.loaded) {
      ASSERT_TRUE(fx.bar->LoadToolBar(300));
    } else {
      const UINT ids[] = {1, 2};
      fx.bar->SetButtons(ids, 2);
    }
    fx.bar->SetBarID(c.bar_id);
    fx.bar->SetBuiltIn(c.built_in);
    // The user's changes: a button gone, one added, a group begun.
    fx.bar->GetControls()->Remove(fx.bar->GetControls()->FindControl(c.loaded ? 301 : 1));
    fx.bar->GetControls()->Add(kButton, 999)->SetBeginGroup(true);
    const std::vector<int> changed = IdsOf(fx.bar->GetControls());
    ResetQuestion::answer = c.answer;
    ResetQuestion::asked = 0;
    fx.site.messages.clear();
    EXPECT_EQ(c.resets, fx.bar->Reset(c.ask));
    auto ids = [&] {
      std::vector<int> list;
      for (int i = 0; i < fx.bar->GetControlCount(); ++i)
        if (fx.bar->GetControl(i)->GetID() < 9000) list.push_back(fx.bar->GetControl(i)->GetID());
      return list;
    };
    EXPECT_EQ(c.resets ? std::vector<int>({300, 301, 302}) : changed, ids());
    if (c.resets) {
      EXPECT_TRUE(fx.bar->GetControls()->FindControl(301)->GetBeginGroup());
    }
    const bool told = std::count(fx.site.messages.begin(), fx.site.messages.end(), kMsgResetBar) == 1;
    EXPECT_EQ(c.resets, told);
    EXPECT_EQ(c.ask ? 1 : 0, ResetQuestion::asked);
    if (c.ask) {
      EXPECT_NE(std::wstring::npos, ResetQuestion::last_text.find(L"'Standard'"));
      EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION), ResetQuestion::last_type);
    }
    // The copy is still there for the next reset.
    if (c.resets) {
      fx.bar->GetControls()->Remove(0);
      EXPECT_TRUE(fx.bar->Reset(false));
      EXPECT_EQ((std::vector<int>{300, 301, 302}), ids());
    }
  }
  CTKToolBar::SetQuestionFunction(nullptr);
}

}  // namespace

namespace {

TEST(ToolBar, StackedLargeIconsGiveWayThreeAtATimeWhenTheBarIsShort) {
  ToolBarFixture fx(0);
  CTKImageManager* images = new CTKImageManager;
  fx.bar->SetImageManager(images);
  fx.bar->SetFlags(CTKControls::kStackedLargeIcons);
  KestrinWinNS::CScopedIcon small = SolidIcon(16, RGB(0x30, 0x60, 0xC0)), large = SolidIcon(32, RGB(0x30, 0x60, 0xC0));
  for (int i = 0; i < 6; ++i) {
    images->AddIconImage(small.Get(), 600 + i, 16, 16, 0);
    // The last control has no large image: it stacks from the start.
    if (i < 5) images->AddIconImage(large.Get(), 600 + i, 32, 32, 0);
    CTKControl* c = fx.bar->GetControls()->Add(kButton, 600 + i);
    c->SetCaption(L"Cmd " + std::to_wstring(i));
    if (i == 3) c->SetBeginGroup(true);
  }
  small.Reset();
  large.Reset();
  const DWORD commit = CTKControls::kLayoutCommit;
  auto styles = [&] {
    std::vector<int> s;
    for (int i = 0; i < 6; ++i) s.push_back(fx.bar->GetControl(i)->GetStyle());
    return s;
  };
  CSize wide = fx.bar->LayoutControls(4000, commit);
  EXPECT_EQ(std::vector<int>({4, 4, 4, 4, 4, 3}), styles());
  // Each large one has a column of its own, as high as the bar's column.
  for (int i = 0; i < 4; ++i)
    EXPECT_LT(fx.bar->GetControl(i)->GetRect().right, fx.bar->GetControl(i + 1)->GetRect().left + 1) << i;
  // A group starts 6 pixels on.
  EXPECT_EQ(fx.bar->GetControl(2)->GetRect().right + CTKControls::kStackedGroupGap, fx.bar->GetControl(3)->GetRect().left);

  // One pixel short: the first group's three large ones stack into one column.
  CSize shorter = fx.bar->LayoutControls(wide.cx - 1, commit);
  EXPECT_LT(shorter.cx, wide.cx);
  EXPECT_EQ(std::vector<int>({3, 3, 3, 4, 4, 3}), styles());
  EXPECT_EQ(fx.bar->GetControl(0)->GetRect().left, fx.bar->GetControl(2)->GetRect().left);
  EXPECT_LT(fx.bar->GetControl(0)->GetRect().top, fx.bar->GetControl(1)->GetRect().top);
  EXPECT_LT(fx.bar->GetControl(1)->GetRect().top, fx.bar->GetControl(2)->GetRect().top);

  // Far too short: the stacked three lose their captions; what still does not fit is hidden
  // when the layout may hide.
  fx.bar->LayoutControls(1, commit);
  EXPECT_EQ(2, fx.bar->GetControl(0)->GetStyle());
  const int firstColumn = fx.bar->GetControl(2)->GetRect().right + fx.bar->GetBorders().right;
  fx.bar->LayoutControls(firstColumn, commit | CTKControls::kLayoutHideOverflow);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(i >= 3, (fx.bar->GetControl(i)->GetHideFlags() & kHideWrap) != 0) << i;
  fx.bar->SetImageManager(nullptr);
  images->InternalRelease();
}

// A floating bar follows its frame's floating-status notices: hidden and shown with the frame
// without taking the activation, disabled and enabled with it, and, where the manager asks,
// hidden while the frame is inactive. A bar the user hid stays hidden.
TEST(ToolBar, AFloatingBarFollowsItsFrame) {
  CWinApp app;
  CFrameWnd frame;
  ASSERT_TRUE(frame.Create(nullptr, L"Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  CTKCommandBarManager manager;
  manager.SetSite(frame.m_hWnd);
  CTKToolBar* bar = new CTKToolBar;
  bar->SetCommandBarManager(&manager);
  bar->GetControls()->Add(kButton, 100)->SetCaption(L"One");
  ASSERT_TRUE(bar->CreateToolBar(frame.m_hWnd, true));
  HWND hwnd = bar->GetSafeHwnd();
  ASSERT_EQ(frame.m_hWnd, ::GetWindow(hwnd, GW_OWNER));
  ASSERT_TRUE(::IsWindowVisible(hwnd));

  frame.ShowWindow(SW_HIDE);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  EXPECT_NE(hwnd, ::GetActiveWindow());
  ::EnableWindow(frame.m_hWnd, FALSE);
  EXPECT_FALSE(::IsWindowEnabled(hwnd));
  ::EnableWindow(frame.m_hWnd, TRUE);
  EXPECT_TRUE(::IsWindowEnabled(hwnd));
  // The floating style carries 0x100: the bar keeps its caption in step with the frame.
  EXPECT_EQ(1, ::SendMessageW(hwnd, WM_FLOATSTATUS, FS_SYNCACTIVE, 0));
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, ::GetWindowLongPtrW(hwnd, GWL_STYLE) & ~0x100);
  EXPECT_EQ(0, ::SendMessageW(hwnd, WM_FLOATSTATUS, FS_SYNCACTIVE, 0));

  bar->SetVisible(false);
  frame.ShowWindow(SW_HIDE);
  frame.ShowWindow(SW_SHOWNOACTIVATE);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  bar->SetVisible(true);
  ASSERT_TRUE(::IsWindowVisible(hwnd));

  // Another top-level window takes the activation and gives it back.
  SiteWindow other;
  ::ShowWindow(other.hwnd, SW_SHOWNA);
  for (bool hide : {false, true}) {
    SCOPED_TRACE(hide ? "hidden while inactive" : "kept while inactive");
    manager.GetOptions().hide_floating_inactive = hide;
    ::SetForegroundWindow(frame.m_hWnd);
    DrainMessages();
    ASSERT_EQ(frame.m_hWnd, ::GetForegroundWindow());
    ::SetForegroundWindow(other.hwnd);
    DrainMessages();
    ASSERT_EQ(other.hwnd, ::GetForegroundWindow());
    EXPECT_EQ(!hide, ::IsWindowVisible(hwnd) != FALSE);
    ::SetForegroundWindow(frame.m_hWnd);
    DrainMessages();
    EXPECT_TRUE(::IsWindowVisible(hwnd));
  }
  bar->DestroyWindow();
  bar->Release();
  frame.DestroyWindow();
  DrainMessages();
}

// A bar placed in a dialog hands Tab on to the dialog's next tab stop (Shift+Tab the previous)
// and leaves tracking; a bar laid out in another window, or one that has docked, keeps Tab for
// stepping through its own controls.
TEST(ToolBar, InADialogTabMovesTheFocusOnElseTheBarStepsItsControls) {
  ToolBarFixture fx(3);
  fx.Layout();
  HWND bar = fx.bar->GetSafeHwnd();
  HWND dialog = ::CreateWindowExW(0, MAKEINTRESOURCEW(0x8002), L"dialog", WS_POPUP | WS_VISIBLE, 0, 0, 640, 200, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, dialog);
  auto edit = [&] {
    return ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 40, 50, 20, dialog, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  };
  // Tab order: before, the bar, after, last.
  HWND before = edit();
  ::SetParent(bar, dialog);
  ::SetWindowPos(bar, before, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND after = edit();
  HWND last = edit();
  ASSERT_EQ(bar, ::GetWindow(before, GW_HWNDNEXT));
  ASSERT_EQ(after, ::GetWindow(bar, GW_HWNDNEXT));
  ASSERT_EQ(last, ::GetWindow(after, GW_HWNDNEXT));
  BYTE keys[256];
  ::GetKeyboardState(keys);
  const BYTE shiftWas = keys[VK_SHIFT];
  struct Case {
    const char* what;
    bool shift;
    HWND focus;
  } cases[] = {{"Tab", false, after}, {"Shift+Tab", true, before}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::SetFocus(dialog);
    keys[VK_SHIFT] = c.shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ASSERT_TRUE(fx.bar->SetTrackingMode(1, true, true));
    EXPECT_EQ(CTKCommandBar::kKeyHandled, fx.bar->OnHookKeyDown(VK_TAB, 0));
    EXPECT_FALSE(fx.bar->IsTrackingMode());
    EXPECT_EQ(c.focus, ::GetFocus());
  }
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  struct Elsewhere {
    const char* what;
    HWND parent;
    bool docked;
  } elsewhere[] = {{"laid out in a window that is no dialog", fx.site.hwnd, false}, {"docked once", dialog, true}};
  for (const Elsewhere& e : elsewhere) {
    SCOPED_TRACE(e.what);
    ::SetParent(bar, e.parent);
    if (e.docked) fx.bar->EnableDockContext();
    ::SetFocus(e.parent);
    const HWND focus = ::GetFocus();  // a dialog hands it on to its first tab stop
    ASSERT_TRUE(fx.bar->SetTrackingMode(1, true, true));
    ASSERT_EQ(0, fx.bar->GetHotIndex());
    EXPECT_EQ(CTKCommandBar::kKeyHandled, fx.bar->OnHookKeyDown(VK_TAB, 0));
    EXPECT_TRUE(fx.bar->IsTrackingMode());
    EXPECT_EQ(1, fx.bar->GetHotIndex());
    EXPECT_EQ(focus, ::GetFocus());
    fx.bar->SetTrackingMode(0);
  }
  ::SetParent(bar, fx.site.hwnd);
  ::DestroyWindow(dialog);
  keys[VK_SHIFT] = shiftWas;
  ::SetKeyboardState(keys);
}

// A frame that records the context menus asked of it: the window and the screen point.
class CContextMenuFrame : public CFrameWnd {
 public:
  std::vector<std::pair<HWND, CPoint>> asked;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_CONTEXTMENU) {
      asked.emplace_back(reinterpret_cast<HWND>(wparam),
                         CPoint(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))));
      return 0;
    }
    return CFrameWnd::WindowProc(message, wparam, lparam);
  }
};

// A right click on a dock bar of any side asks the site for the bars' context menu at the
// click's screen point.
TEST(DockBar, ARightClickOnEachSideAsksTheSiteForTheContextMenuThere) {
  CContextMenuFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"dock", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(100, 100, 600, 400)));
  CTKCommandBarManager manager;
  manager.SetSite(frame.m_hWnd);
  ASSERT_TRUE(CTKDockBar::CreateDockBars(&frame, &manager));
  frame.RecalcLayout();
  for (int side = 0; side < 4; ++side) {
    SCOPED_TRACE(side);
    CTKDockBar* dock = CTKDockBar::FromSide(frame.m_hWnd, side);
    ASSERT_NE(nullptr, dock);
    frame.asked.clear();
    POINT at{3 + side, 4};
    ::SendMessageW(dock->GetSafeHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    ::ClientToScreen(dock->GetSafeHwnd(), &at);
    ASSERT_EQ(1u, frame.asked.size());
    EXPECT_EQ(dock->GetSafeHwnd(), frame.asked[0].first);
    EXPECT_EQ(CPoint(at), frame.asked[0].second);
  }
  frame.DestroyWindow();
  DrainMessages();
}

// A bar's buttons from a list of command ids: 0 begins a group on the next; the site is asked
// for each id with the one request record menus use too, and may supply a control of its own or
// another type and style.
TEST(ToolBar, ButtonsFromAListOfIdsAskTheSiteForEach) {
  ToolBarFixture fx(2);
  CTKControl* supplied = new CTKControlButton;
  supplied->SetCaption(L"Supplied");
  std::vector<std::pair<int, int>> asked;  // id and place in the list
  fx.site.on_message = [&](UINT message, WPARAM, LPARAM lparam) {
    if (message != kMsgMenuItemRequest) return;
    TKControlRequest* request = reinterpret_cast<TKControlRequest*>(lparam);
    asked.emplace_back(request->id, request->position);
    EXPECT_EQ(fx.bar, request->bar);
    EXPECT_EQ(kButton, request->type);
    EXPECT_EQ(nullptr, request->menu);
    if (request->id == 101) request->control = supplied;
    if (request->id == 102) {
      request->type = kPopupControl;
      request->style = 2;
    }
  };
  const UINT ids[] = {100, 0, 101, 102};
  ASSERT_TRUE(fx.bar->SetButtons(ids, 4));
  fx.site.on_message = nullptr;
  EXPECT_EQ((std::vector<std::pair<int, int>>{{100, 0}, {101, 2}, {102, 3}}), asked);
  ASSERT_EQ(3, fx.bar->GetControlCount());
  EXPECT_EQ(kButton, fx.bar->GetControl(0)->GetType());
  EXPECT_FALSE(fx.bar->GetControl(0)->GetBeginGroup());
  EXPECT_EQ(supplied, fx.bar->GetControl(1));
  EXPECT_EQ(101, supplied->GetID());
  EXPECT_TRUE(supplied->GetBeginGroup());
  CTKControl* popup = fx.bar->GetControl(2);
  EXPECT_EQ(kPopupControl, popup->GetType());
  EXPECT_EQ(2, popup->GetStyle());
  EXPECT_EQ(102, popup->GetHelpId());
  // The bar holds a reference of its own: the site's release leaves the control in place.
  supplied->Release();
  EXPECT_EQ(L"Supplied", fx.bar->GetControl(1)->GetCaption());
}

}  // namespace
