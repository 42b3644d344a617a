// The bars' edit box: the spin value's parse and clamp, its steps, the held spin button's loop
// and the hint.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <string>
#include <vector>

#include "test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "toolkit/commandbars/control_edit.h"
#include "toolkit/commandbars/edit_window.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/paint/default_theme.h"

using namespace TKCommandBars;

namespace {

struct SpinCase {
  const wchar_t* text;
  int step;
  int direction;
  bool ok;
  int value;
};

class SpinValue : public ::testing::TestWithParam<SpinCase> {};

TEST_P(SpinValue, ParsesStepsSnapsAndClamps) {
  const SpinCase& c = GetParam();
  int value = 12345;
  EXPECT_EQ(c.ok, TKSpinValue(c.text, c.step, c.direction, &value));
  EXPECT_EQ(c.ok ? c.value : 12345, value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpinValue,
    ::testing::Values(SpinCase{L"7", 5, 1, true, 15},          // 12 runs on to the next multiple
                      SpinCase{L"7", 5, -1, true, 0},          // 2 runs down to 0
                      SpinCase{L"abc", 1, 1, true, 1},         // no digits read as 0
                      SpinCase{L"", 1, -1, true, -1},
                      SpinCase{L"  42xyz", 1, 1, true, 43},    // blanks, then the leading number
                      SpinCase{L"+5", 1, -1, true, 4},
                      SpinCase{L"-7", 5, 1, true, 0},
                      SpinCase{L"-7", 5, -1, true, -15},
                      SpinCase{L"2147483647", 1, 1, true, INT_MAX},
                      SpinCase{L"99999999999999999999", 1, 1, true, INT_MAX},
                      SpinCase{L"99999999999999999999", 1, -1, true, INT_MAX - 1},
                      SpinCase{L"-99999999999999999999", 1, -1, true, INT_MIN},
                      SpinCase{L"2147483640", 10, 1, true, 2147483640},   // the last multiple inside
                      SpinCase{L"-2147483640", 10, -1, true, -2147483640},
                      SpinCase{L"5", INT_MAX, 1, true, INT_MAX},           // one huge step at once
                      SpinCase{L"5", INT_MAX, -1, true, -INT_MAX},
                      SpinCase{L"5", 0, 1, false, 0},                      // a step of 0 moves nothing
                      SpinCase{L"5", -3, 1, false, 0},
                      SpinCase{L"5", 1, 0, false, 0}));

struct StepCase {
  DWORD elapsed;
  int step;
};
class SpinStep : public ::testing::TestWithParam<StepCase> {};
TEST_P(SpinStep, GrowsWhileTheButtonIsHeld) { EXPECT_EQ(GetParam().step, TKSpinStepFor(GetParam().elapsed)); }
INSTANTIATE_TEST_SUITE_P(Table, SpinStep,
                         ::testing::Values(StepCase{0, 1}, StepCase{2047, 1}, StepCase{2048, 5}, StepCase{5119, 5},
                                           StepCase{5120, 20}, StepCase{60000, 20}));

// A fake clock read in order, and timers that never fire on their own.
std::vector<DWORD> g_ticks;
size_t g_tick = 0;
std::vector<UINT> g_timer_delays;
DWORD FakeTicks() { return g_tick < g_ticks.size() ? g_ticks[g_tick++] : g_ticks.back(); }
UINT_PTR FakeSetTimer(HWND, UINT_PTR id, UINT elapse, TIMERPROC) {
  g_timer_delays.push_back(elapse);
  return id;
}
BOOL FakeKillTimer(HWND, UINT_PTR) { return TRUE; }

// A bar with one edit box with spin buttons, laid out, and the fake clock and timers.
struct EditFixture : BarFixture {
  EditFixture() : BarFixture(1) {
    edit = static_cast<CTKControlEdit*>(bar->GetControls()->Add(kEdit, 500));
    edit->ShowSpinButtons(true);
    edit->PutText(L"0");
    bar->CalcSize(600, 0);
    g_ticks.clear();
    g_tick = 0;
    g_timer_delays.clear();
    TKSetTickCountFunction(&FakeTicks);
    TKSetTimerFunctions(&FakeSetTimer, &FakeKillTimer);
  }
  ~EditFixture() {
    TKSetTickCountFunction(nullptr);
    TKSetTimerFunctions(nullptr, nullptr);
  }
  CPoint Up() const { CRect a = edit->SpinArea(); return CPoint(a.CenterPoint().x, a.top + 2); }
  CPoint Down() const { CRect a = edit->SpinArea(); return CPoint(a.CenterPoint().x, a.bottom - 2); }
  void PostTimer() { ::PostMessageW(bar->GetSafeHwnd(), WM_TIMER, CTKControlEdit::kSpinTimer, 0); }
  void PostMove(CPoint pt) { ::PostMessageW(bar->GetSafeHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y)); }
  void PostRelease() { ::PostMessageW(bar->GetSafeHwnd(), WM_LBUTTONUP, 0, 0); }
  CTKControlEdit* edit;
};

TEST(ControlEdit, IsMadeByTypeAndLaysItsWindowOutBesideTheSpinButtons) {
  EditFixture f;
  ASSERT_NE(nullptr, f.edit->GetEditCtrl());
  HWND window = f.edit->GetEditCtrl()->GetSafeHwnd();
  ASSERT_TRUE(::IsWindow(window));
  EXPECT_EQ(f.bar->GetSafeHwnd(), ::GetParent(window));
  RECT rc;
  ::GetWindowRect(window, &rc);
  ::MapWindowPoints(nullptr, f.bar->GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  const CRect& control = f.edit->GetRect();
  EXPECT_EQ(control.right - 20, rc.right);
  EXPECT_EQ(control.top + 3, rc.top);
  EXPECT_LE(rc.right, f.edit->SpinArea().left);
  EXPECT_EQ(L"0", f.edit->CurrentText());
}

TEST(ControlEdit, AHeldSpinButtonStepsFasterTheLongerItIsHeld) {
  EditFixture f;
  // Pressed at 1000: one step at once; ticks at 1600, 3100 and 6200 ms of the clock.
  g_ticks = {1000, 1600, 3100, 6200};
  f.PostTimer();
  f.PostTimer();
  f.PostTimer();
  f.PostRelease();
  f.edit->OnClick(false, f.Up());
  // 0+1 = 1; +1 = 2; +5 = 7, on to 10; +20 = 30, on to 40.
  EXPECT_EQ(L"40", f.edit->CurrentText());
  EXPECT_EQ((std::vector<UINT>{CTKControlEdit::kSpinFirstDelay, CTKControlEdit::kSpinRepeatDelay}), g_timer_delays);
  EXPECT_EQ(nullptr, ::GetCapture());
  EXPECT_EQ(0, f.edit->GetPressed());
}

TEST(ControlEdit, MovingOffTheButtonStopsAndRestartsTheAcceleration) {
  EditFixture f;
  g_ticks = {0, 3000, 3000, 3100, 3200};
  f.edit->PutText(L"10");
  f.PostTimer();                 // held 3000 ms: a step of 5 down: 4, on to 0
  f.PostMove(f.Up());            // off the down button: no steps
  f.PostTimer();
  f.PostMove(f.Down());          // back on: the clock starts again at 3100
  f.PostTimer();                 // 100 ms: a step of 1
  f.PostRelease();
  f.edit->OnClick(false, f.Down());
  // 10-1 = 9; -5 = 4, on to 0; -1 = -1.
  EXPECT_EQ(L"-1", f.edit->CurrentText());
}

TEST(ControlEdit, TheSpinLoopEndsOnQuitAndPutsItBack) {
  EditFixture f;
  g_ticks = {0};
  f.PostTimer();
  ::PostQuitMessage(7);
  f.edit->OnClick(false, f.Up());
  // The first step ran; the timer message waiting before the quit was taken, the loop ended on
  // the quit message and put it back for the thread's own loop.
  EXPECT_EQ(L"2", f.edit->CurrentText());
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(7u, msg.wParam);
  EXPECT_EQ(nullptr, ::GetCapture());
}

TEST(ControlEdit, TheSpinLoopEndsOnCancelAndOnLostCapture) {
  for (int way = 0; way < 2; ++way) {
    SCOPED_TRACE(way);
    EditFixture f;
    g_ticks = {0};
    if (way == 0)
      ::PostMessageW(f.bar->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    else
      ::PostMessageW(f.bar->GetSafeHwnd(), WM_CANCELMODE, 0, 0);
    f.PostTimer();  // never reached
    f.edit->OnClick(false, f.Up());
    EXPECT_EQ(L"1", f.edit->CurrentText());
    EXPECT_EQ(nullptr, ::GetCapture());
    DrainMessages();
  }
  // The capture taken away while the loop waits: a window of the thread takes it.
  EditFixture f;
  g_ticks = {0};
  SiteWindow other;
  struct Taker {
    static void CALLBACK Take(HWND hwnd, UINT, UINT_PTR id, DWORD) {
      ::KillTimer(hwnd, id);
      ::SetCapture(hwnd);
    }
  };
  ::SetTimer(other.hwnd, 1, 1, &Taker::Take);
  f.edit->OnClick(false, f.Up());
  EXPECT_EQ(L"1", f.edit->CurrentText());
  EXPECT_EQ(other.hwnd, ::GetCapture());
  ::ReleaseCapture();
}

// The owner's answer to the spin notifications.
LRESULT g_spin_answer = 0;
std::vector<int> g_notified;
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kMsgControlNotify) {
    const NMTKCONTROL* record = reinterpret_cast<const NMTKCONTROL*>(l);
    g_notified.push_back(static_cast<int>(record->hdr.code));
    if (record->hdr.code == CTKControlEdit::kNotifySpinUp) return g_spin_answer;
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, w, l);
}

TEST(ControlEdit, TheOwnerMayRefuseAStepAndHearsOfEveryOther) {
  EditFixture f;
  ::SetWindowLongPtrW(f.site.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnerProc));
  g_notified.clear();
  f.edit->PutText(L"3");
  g_spin_answer = 1;
  EXPECT_FALSE(f.edit->SpinBy(1, 1));
  EXPECT_EQ(L"3", f.edit->CurrentText());
  g_spin_answer = 0;
  EXPECT_TRUE(f.edit->SpinBy(2, 1));
  EXPECT_EQ(2, f.edit->GetSpinDelta());
  EXPECT_EQ(L"6", f.edit->CurrentText());
  EXPECT_TRUE(f.edit->SpinBy(1, -1));
  EXPECT_FALSE(f.edit->SpinBy(0, 1));  // a step of 0 neither asks nor changes anything
  EXPECT_EQ(L"5", f.edit->CurrentText());
  EXPECT_EQ((std::vector<int>{CTKControlEdit::kNotifySpinUp, CTKControlEdit::kNotifySpinUp, kNotifyExecute,
                              CTKControlEdit::kNotifySpinDown, kNotifyExecute}),
            g_notified);
  ::SetWindowLongPtrW(f.site.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
}

TEST(ControlEdit, TheHintShowsWhileTheBoxIsEmptyAndUnfocused) {
  EditFixture f;
  f.edit->PutText(L"");
  f.edit->PutHint(L"Find");
  HWND window = f.edit->GetEditCtrl()->GetSafeHwnd();
  EXPECT_EQ(L"Find", f.edit->GetEditCtrl()->GetText());
  EXPECT_EQ(L"", f.edit->CurrentText());
  f.edit->TakeFocus(true);
  EXPECT_EQ(window, ::GetFocus());
  EXPECT_EQ(L"", f.edit->GetEditCtrl()->GetText());
  ::SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
  EXPECT_EQ(L"abc", f.edit->CurrentText());
  // Escape puts back the text the box had when it took the focus.
  EXPECT_FALSE(f.edit->OnHookKeyDown(VK_ESCAPE));
  EXPECT_FALSE(f.edit->IsFocused());
  EXPECT_EQ(L"", f.edit->CurrentText());
  EXPECT_EQ(L"Find", f.edit->GetEditCtrl()->GetText());
  f.edit->PutHint(L"Search");
  EXPECT_EQ(L"Search", f.edit->GetEditCtrl()->GetText());
}

// Escape puts back the text the box had when it took the focus and gives the focus up; only
// inside a popup bar is the key reported as handled.
TEST(ControlEdit, EscapeRestoresAndIsHandledOnlyInsideAPopupBar) {
  for (int type : {kToolBar, kPopupBar}) {
    SCOPED_TRACE(type);
    EditFixture f;
    f.bar->SetType(type);
    f.edit->PutText(L"7");
    f.edit->TakeFocus(true);
    f.edit->PutText(L"12");
    EXPECT_EQ(type == kPopupBar, f.edit->OnHookKeyDown(VK_ESCAPE));
    EXPECT_FALSE(f.edit->IsFocused());
    EXPECT_EQ(L"7", f.edit->CurrentText());
    f.bar->SetType(kToolBar);
  }
}

TEST(ControlEdit, UpAndDownStepWhileTheBoxHasTheFocus) {
  EditFixture f;
  f.edit->PutText(L"9");
  f.edit->TakeFocus(true);
  EXPECT_TRUE(f.edit->OnHookKeyDown(VK_UP));
  EXPECT_TRUE(f.edit->OnHookKeyDown(VK_UP));
  EXPECT_TRUE(f.edit->OnHookKeyDown(VK_DOWN));
  EXPECT_EQ(L"10", f.edit->CurrentText());
  f.edit->TakeFocus(false);
}

}  // namespace

namespace {

// The box's clipboard messages, recorded and kept from the system's clipboard.
std::vector<UINT> g_clipboard_messages;
LRESULT CALLBACK RecordClipboard(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
  if (msg == WM_COPY || msg == WM_CUT || msg == WM_PASTE) {
    g_clipboard_messages.push_back(msg);
    return 0;
  }
  return ::DefSubclassProc(hwnd, msg, w, l);
}

bool g_clipboard_has_text = false;
bool FakeClipboard() { return g_clipboard_has_text; }

struct UpdateProbe : CCmdUI {
  void Enable(bool on) override { enabled = on; }
  bool enabled = true;
};

bool Enabled(CTKEdit& edit, UINT id) {
  UpdateProbe probe;
  probe.m_nID = id;
  EXPECT_TRUE(edit.OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &probe));
  return probe.enabled;
}

}  // namespace

// Copy and Cut while text is selected, Paste while the clipboard holds text; each command
// reaches the window as its clipboard message.
TEST(EditWindow, ClipboardCommandsFollowTheSelectionAndTheClipboard) {
  HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 40, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, host);
  CTKEdit::SetClipboardTextQuery(&FakeClipboard);
  g_clipboard_messages.clear();
  {
    CTKEdit edit;
    ASSERT_TRUE(edit.CreateEdit(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 0, 180, 20), host, 1));
    ASSERT_TRUE(::SetWindowSubclass(edit.GetSafeHwnd(), &RecordClipboard, 1, 0));
    edit.SetText(L"hello world");
    edit.SendMessage(EM_SETSEL, 3, 3);
    g_clipboard_has_text = false;
    EXPECT_FALSE(Enabled(edit, CTKEdit::kCommandCopy));
    EXPECT_FALSE(Enabled(edit, CTKEdit::kCommandCut));
    EXPECT_FALSE(Enabled(edit, CTKEdit::kCommandPaste));
    edit.SendMessage(EM_SETSEL, 0, 5);
    g_clipboard_has_text = true;
    EXPECT_TRUE(Enabled(edit, CTKEdit::kCommandCopy));
    EXPECT_TRUE(Enabled(edit, CTKEdit::kCommandCut));
    EXPECT_TRUE(Enabled(edit, CTKEdit::kCommandPaste));
    // Another command is not the box's.
    UpdateProbe other;
    EXPECT_FALSE(edit.OnCmdMsg(57600, CN_UPDATE_COMMAND_UI, &other));
    for (UINT id : {CTKEdit::kCommandCopy, CTKEdit::kCommandCut, CTKEdit::kCommandPaste})
      edit.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    EXPECT_EQ((std::vector<UINT>{WM_COPY, WM_CUT, WM_PASTE}), g_clipboard_messages);
    // A command the box reports disabled is not run.
    g_clipboard_messages.clear();
    g_clipboard_has_text = false;
    edit.SendMessage(WM_COMMAND, MAKEWPARAM(CTKEdit::kCommandPaste, 0), 0);
    EXPECT_TRUE(g_clipboard_messages.empty());
    ::RemoveWindowSubclass(edit.GetSafeHwnd(), &RecordClipboard, 1);
  }
  CTKEdit::SetClipboardTextQuery(nullptr);
  ::DestroyWindow(host);
}

namespace {

// What the user sees in the box's context menu once it shows, and the item clicked.
struct SeenMenu {
  std::vector<std::wstring> captions;
  std::vector<bool> enabled;
  int lock_counter = 0;
  bool seen = false;
};
SeenMenu g_menu;
int g_click_item = 0;

void CALLBACK ActOnContextMenu(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  const std::vector<CTKCommandBar*>& tracked = CTKMouseManager::ThreadInstance()->TrackedBars();
  CTKCommandBar* popup = tracked.empty() ? nullptr : tracked.back();
  // Act only once the menu is shown and tracking, so that the click lands on a laid-out item.
  if (!popup || !popup->GetSafeHwnd() || !::IsWindowVisible(popup->GetSafeHwnd()) || !popup->IsTrackingMode()) return;
  ::KillTimer(hwnd, id);
  g_menu.seen = true;
  for (int i = 0; i < popup->GetControlCount(); ++i) {
    g_menu.captions.push_back(popup->GetControl(i)->GetCaption());
    g_menu.enabled.push_back(popup->GetControl(i)->GetEnabled());
  }
  g_menu.lock_counter = CTKMouseManager::ThreadInstance()->LockCounter();
  const CPoint pt = popup->GetControl(g_click_item)->GetRect().CenterPoint();
  ::PostMessageW(popup->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
  ::PostMessageW(popup->GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

}  // namespace

// The box's context menu: Cut, Copy and Paste named by the program's strings, enabled as the
// commands are, shown with the pointer's lock eased by one; the item chosen runs.
TEST(EditWindow, TheContextMenuOffersTheClipboardCommandsAndRunsTheOneChosen) {
  BarFixture f(0);
  CTKControlEdit* edit = static_cast<CTKControlEdit*>(f.bar->GetControls()->Add(kEdit, 500));
  edit->PutText(L"hello world");
  f.bar->CalcSize(600, 0);
  ASSERT_NE(nullptr, edit->GetEditCtrl());
  HWND window = edit->GetEditCtrl()->GetSafeHwnd();
  ASSERT_TRUE(::IsWindow(window));
  ASSERT_TRUE(::SetWindowSubclass(window, &RecordClipboard, 1, 0));
  CTKEdit::SetClipboardTextQuery(&FakeClipboard);
  g_clipboard_has_text = false;
  g_clipboard_messages.clear();
  g_menu = SeenMenu();
  g_click_item = 0;
  ::SendMessageW(window, EM_SETSEL, 0, 5);
  const int lock = CTKMouseManager::ThreadInstance()->LockCounter();
  ::SetTimer(nullptr, 0, 1, &ActOnContextMenu);
  RECT rc;
  ::GetWindowRect(window, &rc);
  ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(rc.left + 5, rc.top + 5));
  ASSERT_TRUE(g_menu.seen);
  EXPECT_EQ((std::vector<std::wstring>{L"Cut", L"Copy", L"Paste"}), g_menu.captions);
  EXPECT_EQ((std::vector<bool>{true, true, false}), g_menu.enabled);
  EXPECT_EQ(lock - 1, g_menu.lock_counter);
  EXPECT_EQ(lock, CTKMouseManager::ThreadInstance()->LockCounter());
  EXPECT_EQ((std::vector<UINT>{WM_CUT}), g_clipboard_messages);
  ::RemoveWindowSubclass(window, &RecordClipboard, 1);
  CTKEdit::SetClipboardTextQuery(nullptr);
}

namespace {

// A theme that places one control on glass.
class GlassTheme : public TKPaintThemes::CTKDefaultTheme {
 public:
  bool ControlNeedsOpaqueAlpha(CTKControl* control) override { return control == on_glass; }
  CTKControl* on_glass = nullptr;
};

// How many pixels of the box's client area, printed onto a canvas of alpha 0, come out with full
// alpha, and whether the box drew its background there at all.
struct Printed {
  int opaque = 0;
  int total = 0;
  bool drawn = false;
};
Printed PrintBox(HWND box) {
  RECT client{};
  ::GetClientRect(box, &client);
  const COLORREF ground = RGB(1, 2, 3);
  Canvas canvas(client.right, client.bottom, ground);
  ::SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT | PRF_ERASEBKGND);
  Printed printed;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) {
      ++printed.total;
      printed.opaque += (canvas.Raw(x, y) >> 24) == 0xFF;
      printed.drawn |= canvas.At(x, y) != ground;
    }
  return printed;
}

// A box whose theme places it on glass makes every pixel it paints opaque; its neighbour, and the
// same box once the theme moves it off the glass, keep what the system's drawing gave. The answer
// is taken at each placement.
TEST(ControlEdit, ABoxOnGlassPaintsFullyOpaque) {
  GlassTheme theme;
  theme.ReloadColorsAndFonts();
  BarFixture f(0);
  f.bar->SetPaintManager(&theme);
  auto* first = static_cast<CTKControlEdit*>(f.bar->GetControls()->Add(kEdit, 500));
  auto* second = static_cast<CTKControlEdit*>(f.bar->GetControls()->Add(kEdit, 501));
  first->PutText(L"glass");
  second->PutText(L"plain");
  theme.on_glass = first;
  f.bar->CalcSize(600, 0);
  ASSERT_NE(nullptr, first->GetEditCtrl());
  ASSERT_NE(nullptr, second->GetEditCtrl());
  EXPECT_TRUE(first->GetEditCtrl()->HasOpaqueAlpha());
  EXPECT_FALSE(second->GetEditCtrl()->HasOpaqueAlpha());
  const Printed onGlass = PrintBox(first->GetEditCtrl()->GetSafeHwnd());
  const Printed plain = PrintBox(second->GetEditCtrl()->GetSafeHwnd());
  ASSERT_GT(onGlass.total, 0);
  EXPECT_TRUE(onGlass.drawn);
  EXPECT_TRUE(plain.drawn);
  EXPECT_EQ(onGlass.total, onGlass.opaque);
  EXPECT_LT(plain.opaque, plain.total);

  theme.on_glass = second;
  first->SetWidth(140);  // a wider first box moves both: each is placed again
  f.bar->CalcSize(600, 0);
  EXPECT_FALSE(first->GetEditCtrl()->HasOpaqueAlpha());
  EXPECT_TRUE(second->GetEditCtrl()->HasOpaqueAlpha());
  const Printed moved = PrintBox(second->GetEditCtrl()->GetSafeHwnd());
  EXPECT_EQ(moved.total, moved.opaque);
  EXPECT_LT(PrintBox(first->GetEditCtrl()->GetSafeHwnd()).opaque, onGlass.total);
  f.bar->SetPaintManager(nullptr);
}

}  // namespace
