// Keyboard tips, accelerator letters from the frame and modal popups at a point.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/commandbars/keyboard_tip.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"

using namespace TKCommandBars;

namespace {

// The manager's bar "Standard" of the captions given, laid out 600 wide, with keyboard tips on.
struct TipFixture : ToolBarFixture {
  explicit TipFixture(const std::vector<std::wstring>& captions) : ToolBarFixture(captions, Managed()) {
    manager.GetOptions().keyboard_tips = true;
    Layout();
  }
  ~TipFixture() override {
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    manager.HideKeyboardTips();
  }
  static Options Managed() {
    Options options;
    options.managed_title = L"Standard";
    return options;
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (CTKCommandBarKeyboardTip* tip : manager.GetKeyboardTips()) texts.push_back(tip->GetTipText());
    return texts;
  }
};

TEST(KeyboardTips, EachControlShowsItsLetterAndSharedLettersGetASecond) {
  struct Case {
    std::vector<std::wstring> captions;
    std::vector<std::wstring> texts;
  } cases[] = {
      {{L"&File", L"&Edit", L"View"}, {L"F", L"E", L"V"}},
      {{L"&Save", L"&Send", L"Sort"}, {L"SS", L"SE", L"SO"}},
      {{L"&Ab", L"&Ab", L"&Ab"}, {L"AA", L"AB", L"A1"}},
      {{L"&Print", L""}, {L"P"}},
  };
  for (const Case& c : cases) {
    TipFixture fx(c.captions);
    fx.manager.ShowKeyboardTips(fx.bar, 1);
    EXPECT_EQ(c.texts, fx.Texts());
    EXPECT_EQ(1, fx.manager.GetKeyboardTipLevel());
    for (CTKCommandBarKeyboardTip* tip : fx.manager.GetKeyboardTips()) {
      ASSERT_TRUE(::IsWindowVisible(tip->GetSafeHwnd()));
      RECT rc;
      ::GetWindowRect(tip->GetSafeHwnd(), &rc);
      EXPECT_GE(rc.right - rc.left, 16);
      EXPECT_GE(rc.bottom - rc.top, 15);
    }
  }
}

TEST(KeyboardTips, TypingATipsLettersRunsItsControl) {
  TipFixture fx({L"&Save", L"&Send", L"Sort"});
  fx.manager.ShowKeyboardTips(fx.bar, 1);
  EXPECT_TRUE(fx.manager.FilterKeyboardTips(L's'));
  EXPECT_EQ(3u, fx.manager.GetKeyboardTips().size());
  EXPECT_TRUE(fx.site.commands.empty());
  EXPECT_FALSE(fx.manager.FilterKeyboardTips(L'x'));
  EXPECT_TRUE(fx.manager.FilterKeyboardTips(L'e'));
  EXPECT_EQ(std::vector<int>({101}), fx.site.commands);
  EXPECT_EQ(0, fx.manager.GetKeyboardTipLevel());
  EXPECT_TRUE(fx.manager.GetKeyboardTips().empty());
}

TEST(KeyboardTips, FrameLettersFindTheirControl) {
  struct Case {
    const char* what;
    UINT key;
    bool numpad_option;
    int accelerator_mode;
    bool taken;
    std::vector<int> commands;
    int hot;  // the control made hot when the letter was taken but is shared (-1: not looked at)
  } cases[] = {
      {"the letter after &", 'O', false, 0, true, {101}, -1},
      {"a first letter without &", 'C', false, 0, true, {102}, -1},
      {"a number-pad digit", VK_NUMPAD1, false, 0, false, {}, -1},
      {"a number-pad digit with the option", VK_NUMPAD1, true, 0, true, {103}, -1},
      {"a letter nothing has", 'Z', false, 0, false, {}, -1},
      {"the frame's letters turned off", 'O', false, 2, false, {}, -1},
      {"a letter two controls share: the first is made hot, nothing runs", 'P', false, 0, true, {}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TipFixture fx({L"&New", L"&Open", L"Close", L"&1 recent", L"&Print", L"&Properties"});
    fx.manager.SetMenuBar(nullptr);
    fx.manager.GetOptions().accelerators_any_bar = true;
    fx.manager.GetOptions().numpad_accelerators = c.numpad_option;
    fx.manager.GetOptions().accelerator_mode = c.accelerator_mode;
    EXPECT_EQ(c.taken, fx.manager.OnFrameAcceleratorKey(c.key));
    EXPECT_EQ(c.commands, fx.site.commands);
    if (c.hot >= 0) {
      EXPECT_TRUE(fx.bar->IsTrackingMode());
      EXPECT_EQ(c.hot, fx.bar->GetHotIndex());
      EXPECT_TRUE(fx.manager.IsKeyboardCuesShown());
    }
  }
}

// Giving the keyboard to the next bar steps over hidden bars and wraps once round the manager's
// list; the bar it reaches tracks with its first control hot and the cues shown.
TEST(KeyboardTips, TheKeyboardStepsToTheNextShownBar) {
  struct Case {
    const char* what;
    int from, step;
    bool second_shown;
    int reached;  // -1: none
  } cases[] = {
      {"on to the next", 0, 1, true, 1},
      {"past a hidden one and round", 1, 1, true, 0},
      {"backwards, round past the hidden one", 0, -1, true, 1},
      {"alone among hidden bars", 0, 1, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TipFixture fx({L"&New", L"&Open"});
    std::vector<CTKToolBar*> bars{fx.bar};
    for (int n = 1; n <= 2; ++n) {
      CTKToolBar* bar = fx.manager.AddToolBar(L"Bar " + std::to_wstring(n), n + 1);
      bar->SetGripperVisible(false);
      bar->GetControls()->Add(kButton, 200 + n)->SetCaption(L"X");
      bar->GetControls()->Add(kButton, 210 + n)->SetCaption(L"Y");
      bar->CreateToolBar(fx.site.hwnd, false);
      ::MoveWindow(bar->GetSafeHwnd(), 0, 40 * n, 300, 30, TRUE);
      bar->CalcSize(300, 0);
      bars.push_back(bar);
    }
    bars[2]->SetVisible(false);
    if (!c.second_shown) bars[1]->SetVisible(false);
    ASSERT_EQ(c.second_shown, bars[1]->IsBarVisible());
    fx.manager.SetKeyboardCuesShown(false);
    EXPECT_EQ(c.reached >= 0, fx.manager.GiveKeyboardToBar(bars[static_cast<size_t>(c.from)], c.step));
    for (size_t i = 0; i < bars.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(static_cast<int>(i) == c.reached, bars[i]->IsTrackingMode());
      if (static_cast<int>(i) == c.reached) EXPECT_EQ(0, bars[i]->GetHotIndex());
    }
    EXPECT_EQ(c.reached >= 0, fx.manager.IsKeyboardCuesShown());
    for (CTKToolBar* bar : bars) bar->SetTrackingMode(0);
  }
}

// What the user does once the popup shows, from a timer: click its first item, cancel, quit.
CTKPopupBar* g_popup = nullptr;
UINT g_action = WM_LBUTTONUP;
void CALLBACK ActOnPopup(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  // The timer can fire while the popup is still being opened (messages are taken on the way):
  // act only once it is shown and tracking, so that the click lands on a laid-out item.
  if (g_popup && !(g_popup->GetSafeHwnd() && ::IsWindowVisible(g_popup->GetSafeHwnd()) && g_popup->IsTrackingMode()))
    return;
  ::KillTimer(hwnd, id);
  if (!g_popup) return;
  CPoint pt = g_popup->GetControl(0)->GetRect().CenterPoint();
  if (g_action == WM_QUIT)
    ::PostQuitMessage(4);
  else
    ::PostMessageW(g_popup->GetSafeHwnd(), g_action, 0, MAKELPARAM(pt.x, pt.y));
}

TEST(KeyboardTips, AModalPopupReturnsItsChoiceOrSendsIt) {
  struct Case {
    const char* what;
    UINT action;
    UINT flags;
    int result;
    std::vector<int> sent;
  } cases[] = {
      {"returned, not sent", WM_LBUTTONUP, CTKCommandBarManager::kTrackReturnCommand, 300, {}},
      {"sent to the owner", WM_LBUTTONUP, 0, 1, {300}},
      {"cancelled", WM_CANCELMODE, CTKCommandBarManager::kTrackReturnCommand, 0, {}},
      {"the quit message ends it", WM_QUIT, CTKCommandBarManager::kTrackReturnCommand, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TipFixture fx({L"&File"});
    CTKPopupBar* popup = CTKPopupBar::CreatePopupBar(&fx.manager);
    popup->GetControls()->Add(kButton, 300)->SetCaption(L"&Copy");
    popup->GetControls()->Add(kButton, 301)->SetCaption(L"&Paste");
    g_popup = popup;
    g_action = c.action;
    ::SetTimer(nullptr, 0, 1, &ActOnPopup);
    int command = -1;
    EXPECT_EQ(c.result, fx.manager.TrackPopupBar(popup, c.flags, 50, 50, nullptr, nullptr, &command));
    EXPECT_EQ(c.sent, fx.site.commands);
    if (c.flags & CTKCommandBarManager::kTrackReturnCommand) {
      EXPECT_EQ(c.result, command);
    }
    EXPECT_FALSE(popup->IsTrackingMode());
    // The quit message is there again for the thread's own loop.
    MSG quit;
    EXPECT_EQ(c.action == WM_QUIT, ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE);
    g_popup = nullptr;
    popup->Release();
  }
}

// Popups take the shortcut texts of their commands from the manager's table, made from an
// accelerator table (the first key of a command winning), when the options ask for it; a command
// without a key shows the shortcut part of its caption.
TEST(ShortcutTexts, APopupTakesItsCommandsKeysFromTheManagersTable) {
  struct Case {
    int id;
    const wchar_t* text;
  } cases[] = {
      {100, L"Ctrl+S"},   {101, L"Ctrl+Shift+S"}, {102, L"F5"},   {103, L"Alt+F4"}, {104, L"Del"},
      {105, L"Ctrl+Num 3"}, {106, L"Shift+Ins"},  {107, L"Ctrl+P"}, {108, L"A"},    {109, L"Ctrl+O"},
  };
  HACCEL table = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(600));
  ASSERT_NE(nullptr, table);
  for (bool asked : {false, true}) {
    SCOPED_TRACE(asked ? "asked" : "not asked");
    CTKCommandBarManager manager;
    manager.SetShortcutTable(table);
    manager.GetOptions().shortcuts_from_table = asked;
    CTKPopupBar* popup = new CTKPopupBar;
    popup->SetCommandBarManager(&manager);
    for (const Case& c : cases) {
      CTKControl* control = popup->GetControls()->Add(kButton, c.id);
      control->SetCaption(c.id == 109 ? L"&Open\tCtrl+O" : L"Item");
      control->SetShortcutText(L"old");
    }
    const CSize size = popup->CalcSize(0, 0);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.id);
      EXPECT_EQ(asked ? std::wstring(c.text) : std::wstring(L"old"),
                popup->GetControls()->FindControl(c.id)->GetShortcutText());
    }
    // The popup is measured with the texts it shows.
    if (asked) {
      for (const Case& c : cases) popup->GetControls()->FindControl(c.id)->SetShortcutText(L"Ctrl+Alt+Shift+PgDn");
      manager.GetOptions().shortcuts_from_table = false;
      EXPECT_GT(popup->CalcSize(0, 0).cx, size.cx);
    }
    popup->Release();
  }
  // A table taken away takes the texts with it.
  CTKCommandBarManager manager;
  manager.SetShortcutTable(table);
  manager.SetShortcutTable(nullptr);
  EXPECT_EQ(std::wstring(), manager.GetShortcutText(100));
}

// A bar taken out of the manager while its caller still holds it reads as hidden, and a window
// made for it again stays hidden until the bar is shown.
TEST(ManagerServices, ARemovedBarReadsHiddenToWhoeverStillHoldsIt) {
  SiteWindow site;
  CTKCommandBarManager manager;
  manager.SetSite(site.hwnd);
  CTKToolBar* bar = new CTKToolBar;
  manager.AddBar(bar);
  ASSERT_TRUE(bar->CreateToolBar(site.hwnd, false));
  ASSERT_TRUE(::GetWindowLongPtrW(bar->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
  manager.RemoveToolBar(bar);
  EXPECT_EQ(0, manager.GetCount());
  EXPECT_EQ(nullptr, bar->GetSafeHwnd());
  EXPECT_FALSE(bar->GetVisible());
  ASSERT_TRUE(bar->CreateToolBar(site.hwnd, false));
  EXPECT_FALSE(::GetWindowLongPtrW(bar->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
  bar->SetVisible(true);
  EXPECT_TRUE(::GetWindowLongPtrW(bar->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE);
  bar->DestroyWindow();
  bar->Release();
}

// Customizing: the selected control is held while selected and the site hears of each change;
// customize mode clears the selection and keeps the keyboard cues on; the selection is drawn
// with a double black frame.
TEST(Customize, TheSelectionIsHeldAnnouncedAndFramedWhileCustomizing) {
  TipFixture fx({L"&Open", L"&Save"});
  CTKControl* open = fx.bar->GetControl(0);
  CTKControl* save = fx.bar->GetControl(1);
  const LONG held = open->GetRefCount();
  fx.manager.SetCustomizeMode(true);
  EXPECT_TRUE(fx.manager.IsKeyboardCuesShown());
  fx.manager.SetKeyboardCuesShown(false);
  EXPECT_TRUE(fx.manager.IsKeyboardCuesShown());
  fx.manager.GetOptions().changed = false;
  fx.site.messages.clear();
  struct Step {
    CTKControl* select;
    LONG open_refs, save_refs;
  } steps[] = {
      {open, held + 1, held},
      {save, held, held + 1},
      {nullptr, held, held},
  };
  for (const Step& step : steps) {
    fx.manager.SetCustomizeSelection(step.select);
    EXPECT_EQ(step.select, fx.manager.GetCustomizeSelection());
    EXPECT_EQ(step.open_refs, open->GetRefCount());
    EXPECT_EQ(step.save_refs, save->GetRefCount());
  }
  EXPECT_EQ(3, std::count(fx.site.messages.begin(), fx.site.messages.end(), kMsgCustomizeSelection));

  // The frame around the selection, and none once customizing ends.
  fx.manager.SetCustomizeSelection(save);
  const CRect rc = save->GetRect();
  for (bool customizing : {true, false}) {
    SCOPED_TRACE(customizing ? "customizing" : "done");
    if (!customizing) {
      fx.manager.SetCustomizeMode(false);
      EXPECT_EQ(nullptr, fx.manager.GetCustomizeSelection());
      EXPECT_EQ(held, save->GetRefCount());
      EXPECT_TRUE(fx.manager.GetOptions().changed);
      EXPECT_FALSE(fx.manager.IsKeyboardCuesShown());
    }
    const CRect client = fx.bar->GetClientRect();
    Canvas canvas(client.Width(), client.Height());
    fx.bar->DrawCommandBar(canvas.cdc(), client);
    for (CPoint p : {CPoint(rc.left, rc.top + rc.Height() / 2), CPoint(rc.left + 1, rc.top + rc.Height() / 2),
                     CPoint(rc.left + rc.Width() / 2, rc.bottom - 1), CPoint(rc.left + rc.Width() / 2, rc.bottom - 2)})
      EXPECT_EQ(customizing, canvas.At(p.x, p.y) == RGB(0, 0, 0)) << p.x << "," << p.y;
  }
}

}  // namespace
