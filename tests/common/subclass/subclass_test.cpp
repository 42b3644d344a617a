#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "common/subclass/bho_window_props.h"
#include "common/subclass/subclass_helper.h"
#include "platform/win/scoped_handle.h"
#include "tools/browserwindows/browser_windows.h"

using namespace SubclassUtilsNS;
using test::FakeBho;
using test::Ie6Frame;
using test::Ie7Frame;
using test::Tab;

namespace {

LONG_PTR ProcOf(HWND w) { return GetWindowLongPtrA(w, GWLP_WNDPROC); }
bool HasProp(HWND w, const char* name) { return GetPropA(w, name) != nullptr; }

TEST(BrowserVersion, GenerationFromVersionText) {
  struct Case { const char* text; int generation; };
  const Case cases[] = {
      {"5.00.3700.1000", 1}, {"6.0.2900.5512", 2}, {"7.0.5730.13", 3}, {"8.0.6001.18702", 4},
      {"9.11.9600.18376", 0}, {"4.72", 0}, {"", 0}, {"abc", 0}, {nullptr, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.generation, static_cast<int>(BrowserGenerationFromText(c.text))) << (c.text ? c.text : "null");
}

TEST(BrowserVersion, CreateChoosesTheVariant) {
  Ie6Frame f;
  FakeBho bho(f.frame, nullptr);
  for (int generation = -1; generation <= 6; ++generation) {
    std::unique_ptr<CSubclassHelper> h(CSubclassHelper::Create(&bho, static_cast<BrowserGeneration>(generation)));
    if (generation == 1 || generation == 2)
      EXPECT_TRUE(dynamic_cast<COldIESubclassHelper*>(h.get())) << generation;
    else if (generation == 3 || generation == 4)
      EXPECT_TRUE(dynamic_cast<CIE7SubclassHelper*>(h.get())) << generation;
    else
      EXPECT_FALSE(h) << generation;
  }
}

// The version comes from HKLM "Software\Microsoft\Internet Explorer" "Version". The test
// points this process's HKLM at a key of its own, so that Wine's value ("9.11...") is
// replaced for this program alone.
TEST(BrowserVersion, ReadFromTheRegistryAndCached) {
  const char kFake[] = "Software\\KestrinTests\\subclass\\hklm";
  RegDeleteTreeA(HKEY_CURRENT_USER, kFake);
  KestrinWinNS::CScopedRegKey fake;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kFake, fake.Receive()));
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, fake.Get()));
  KestrinWinNS::CScopedRegKey ie;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(fake.Get(), "Software\\Microsoft\\Internet Explorer", ie.Receive()));

  EXPECT_EQ(BrowserGeneration::kUnknown, GetBrowserVersion());  // no value: unreadable
  const char unterminated[] = {'7', '.', '0'};
  RegSetValueExA(ie.Get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 3);
  EXPECT_EQ(BrowserGeneration::kUnknown, GetBrowserVersion());
  RegSetValueExA(ie.Get(), "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\7\0\0\0"), 4);
  EXPECT_EQ(BrowserGeneration::kUnknown, GetBrowserVersion());
  RegSetValueExA(ie.Get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("7.0.5730.13"), 12);
  EXPECT_EQ(BrowserGeneration::kIE7, GetBrowserVersion());
  RegSetValueExA(ie.Get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("8.0.6001.18702"), 15);
  EXPECT_EQ(BrowserGeneration::kIE7, GetBrowserVersion());  // cached once known

  // The variant follows the installed browser: an IE 7 frame with one tab.
  Ie7Frame frame(static_cast<int>(GetBrowserVersion()));
  Tab tab = frame.AddTab();
  FakeBho bho(frame.frame, tab.tab);
  std::unique_ptr<CSubclassHelper> helper(CSubclassHelper::Create(&bho, GetBrowserVersion()));
  ASSERT_TRUE(dynamic_cast<CIE7SubclassHelper*>(helper.get()));
  EXPECT_EQ(1, helper->FindWindows());
  EXPECT_EQ(frame.toolbar, static_cast<CIE7SubclassHelper*>(helper.get())->GetAddressToolbar());

  ie.Reset();
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  fake.Reset();
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KestrinTests\\subclass");
}

class Ie6Test : public ::testing::Test {
 protected:
  void SetUp() override {
    helper = CSubclassHelper::Create(&bho, BrowserGeneration::kIE6);
    ASSERT_EQ(1, helper->FindWindows());
    ASSERT_EQ(1, helper->Subclass());
  }
  void SetParts(int n) {
    int edges[8];
    for (int i = 0; i < n; ++i) edges[i] = 100 * (i + 1);
    SendMessageA(f.status, SB_SETPARTS, n, reinterpret_cast<LPARAM>(edges));
  }
  const RECT& Pane() { return static_cast<COldIESubclassHelper*>(helper.get())->GetPane(); }

  Ie6Frame f;
  FakeBho bho{f.frame, nullptr};
  LONG_PTR status_proc = ProcOf(f.status), document_proc = ProcOf(f.document);
  std::unique_ptr<CSubclassHelper> helper;
};

TEST_F(Ie6Test, FindsTheBrowsersWindows) {
  EXPECT_EQ(f.worker, helper->GetWorkerWindow());
  EXPECT_EQ(f.status, helper->GetStatusBar());
  EXPECT_EQ(f.document, helper->GetDocumentWindow());
  EXPECT_TRUE(CBhoWindowProps::IsSubclassed(f.status));
  EXPECT_TRUE(CBhoWindowProps::IsSubclassed(f.document));
  EXPECT_EQ(status_proc, (LONG_PTR)GetPropA(f.status, kOldProcProp));
  // Without the view there is no document window.
  DestroyWindow(f.view);
  std::unique_ptr<CSubclassHelper> other(CSubclassHelper::Create(&bho, BrowserGeneration::kIE5));
  EXPECT_EQ(0, other->FindWindows());
  EXPECT_EQ(0, other->Subclass());
}

TEST_F(Ie6Test, PaneFollowsTheStatusBarParts) {
  SetParts(5);
  SendMessageA(f.status, SB_SETICON, 3, 0);  // 5 = 3 + 2: the pane is part 3
  EXPECT_EQ(300, Pane().left);
  EXPECT_EQ(400, Pane().right);
  SendMessageA(f.status, SB_SETICON, 1, 0);  // 5 != 1 + 2: unchanged
  EXPECT_EQ(300, Pane().left);
  SetParts(2);
  SendMessageA(f.status, SB_SETICON, 0, 0);  // the first part starts at 0
  EXPECT_EQ(0, Pane().left);
  EXPECT_EQ(100, Pane().right);
  SetParts(8);
  SendMessageA(f.status, SB_SETMINHEIGHT, 20, 0);  // part 6
  EXPECT_EQ(600, Pane().left);
  EXPECT_EQ(700, Pane().right);
  // The status bar still handles every message itself.
  EXPECT_EQ(8, SendMessageA(f.status, SB_GETPARTS, 0, 0));
}

TEST_F(Ie6Test, HoverStrictlyInsideThePaneAndLeave) {
  SetParts(5);
  SendMessageA(f.status, SB_SETICON, 3, 0);
  struct Case { int x; int hovers; };
  const Case cases[] = {{300, 0}, {301, 1}, {399, 1}, {400, 0}, {50, 0}};
  for (const Case& c : cases) {
    bho.hover = 0;
    SendMessageA(f.status, WM_MOUSEMOVE, 0, MAKELPARAM(c.x, 5));
    EXPECT_EQ(c.hovers, bho.hover) << c.x;
  }
  helper->SendLeavePing();
  EXPECT_EQ(1, bho.leave);
}

TEST_F(Ie6Test, DocumentWindowNotices) {
  test::g_probe_messages = 0;
  SendMessageA(f.document, WM_SETFOCUS, 0, 0);
  SendMessageA(f.document, WM_KILLFOCUS, 0, 0);
  SendMessageA(f.document, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  SendMessageA(f.document, test::kProbeMessage, 0, 0);
  EXPECT_EQ(1, bho.focus_gained);
  EXPECT_EQ(2, bho.focus_lost);
  EXPECT_EQ(1, test::g_probe_messages);  // passed on unchanged

  // Full screen: the frame reaches past every screen edge; only the change counts.
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  SendMessageA(f.document, WM_SIZE, 0, 0);
  EXPECT_EQ(0, bho.full_screen);
  SetWindowPos(f.frame, nullptr, -2, -2, w + 3, h + 6, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(f.document, WM_SIZE, 0, 0);
  SendMessageA(f.document, WM_SIZE, 0, 0);
  EXPECT_EQ(1, bho.full_screen);
  SetWindowPos(f.frame, nullptr, 10, 10, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(f.document, WM_SIZE, 0, 0);
  SetWindowPos(f.frame, nullptr, -2, -2, w + 3, h + 6, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(f.document, WM_SIZE, 0, 0);
  EXPECT_EQ(2, bho.full_screen);
}

TEST_F(Ie6Test, UnsubclassRestoresEverything) {
  helper.reset();
  EXPECT_EQ(status_proc, ProcOf(f.status));
  EXPECT_EQ(document_proc, ProcOf(f.document));
  for (HWND w : {f.status, f.document}) {
    EXPECT_FALSE(HasProp(w, kOldProcProp));
    EXPECT_FALSE(HasProp(w, kHelperProp));
  }
  SendMessageA(f.document, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(0, bho.Total());
}

TEST_F(Ie6Test, CursorWatchPingsWhenThePointerIsOff) {
  // The frame is not shown, so the pointer is never on it: the first pass pings.
  ASSERT_TRUE(helper->StartCursorWatch());
  EXPECT_TRUE(test::PumpUntil(5000, [&] { return bho.leave == 1; }));
  // A watch whose helper goes away ends without calling anybody.
  bho.leave = 0;
  ASSERT_TRUE(helper->StartCursorWatch());
  helper.reset();
  test::PumpUntil(400, [] { return false; });
  EXPECT_EQ(0, bho.leave);
}

class Ie7Test : public ::testing::TestWithParam<int> {
 protected:
  struct Instance {
    std::unique_ptr<FakeBho> bho;
    std::unique_ptr<CSubclassHelper> helper;
  };
  // What the add-on does when a tab opens and closes.
  Instance Open() {
    Tab t = f.AddTab();
    Instance i;
    i.bho.reset(new FakeBho(f.frame, t.tab));
    CBhoWindowProps::GetInstance().AddInstance(f.frame);
    i.helper = CSubclassHelper::Create(i.bho.get(), static_cast<BrowserGeneration>(GetParam()));
    EXPECT_EQ(1, i.helper->FindWindows());
    EXPECT_EQ(1, i.helper->Subclass());
    return i;
  }
  static void Close(Instance& i, HWND frame) {
    CBhoWindowProps::GetInstance().RemoveInstance(frame, i.bho.get());
    i.helper.reset();
  }
  HWND Toolbar() { return static_cast<CIE7SubclassHelper*>(a.helper.get())->GetAddressToolbar(); }
  void SetUp() override {
    toolbar_proc = ProcOf(f.toolbar);
    a = Open();
    b = Open();
  }

  Ie7Frame f{GetParam()};
  LONG_PTR toolbar_proc = 0;
  Instance a, b;
};

TEST_P(Ie7Test, ToolbarSharedByTabsIsRestoredByTheLast) {
  EXPECT_EQ(f.toolbar, Toolbar());
  EXPECT_TRUE(CBhoWindowProps::IsSubclassed(f.toolbar));
  // Subclassed once: its previous procedure is the toolbar's own.
  EXPECT_EQ(toolbar_proc, (LONG_PTR)GetPropA(f.toolbar, kOldProcProp));
  EXPECT_EQ(f.frame, (HWND)GetPropA(f.toolbar, kFrameProp));
  EXPECT_EQ(f.tabs[1].document, b.helper->GetDocumentWindow());
  EXPECT_EQ(f.tabs[1].status, b.helper->GetStatusBar());

  Close(a, f.frame);
  EXPECT_TRUE(CBhoWindowProps::IsSubclassed(f.toolbar));
  EXPECT_FALSE(CBhoWindowProps::IsSubclassed(f.tabs[0].document));
  EXPECT_TRUE(CBhoWindowProps::IsSubclassed(f.tabs[1].document));
  Close(b, f.frame);
  EXPECT_EQ(toolbar_proc, ProcOf(f.toolbar));
  EXPECT_FALSE(HasProp(f.toolbar, kOldProcProp));
  EXPECT_FALSE(HasProp(f.toolbar, kFrameProp));
  EXPECT_FALSE(HasProp(f.frame, kBhoCounterProp));
  EXPECT_FALSE(HasProp(f.frame, kBhoProp));
}

TEST_P(Ie7Test, ToolbarNoticesGoToTheInstanceOwningTheFrame) {
  CBhoWindowProps& props = CBhoWindowProps::GetInstance();
  RECT item;
  SendMessageA(f.toolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  RECT client;
  GetClientRect(f.toolbar, &client);
  // Generation 3: the padlock is button 1; generation 4: the whole "Page Control" bar.
  const RECT area = GetParam() == 3 ? item : client;
  const LPARAM inside = MAKELPARAM(area.left + 1, 5), edge = MAKELPARAM(area.left, 5);

  props.SetBho(f.frame, a.bho.get());
  SendMessageA(f.toolbar, WM_MOUSEMOVE, 0, inside);
  SendMessageA(f.toolbar, WM_MOUSEMOVE, 0, edge);
  EXPECT_EQ(1, a.bho->hover_in_tab);
  props.SetBho(f.frame, b.bho.get());
  SendMessageA(f.toolbar, WM_MOUSEMOVE, 0, inside);
  b.helper->SendLeavePing();
  EXPECT_EQ(1, a.bho->hover_in_tab);
  EXPECT_EQ(1, b.bho->hover_in_tab);
  EXPECT_EQ(1, b.bho->leave);
  EXPECT_EQ(1, a.bho->refs);  // every reference taken for a notice was given back
  EXPECT_EQ(1, b.bho->refs);

  // The owning tab closes: the frame no longer leads to it.
  Close(b, f.frame);
  SendMessageA(f.toolbar, WM_MOUSEMOVE, 0, inside);
  SendMessageA(f.toolbar, WM_USER + 2, 0, 0);
  EXPECT_EQ(2, b.bho->Total());  // hover and leave from before, nothing since
  EXPECT_EQ(1, a.bho->hover_in_tab);
  EXPECT_FALSE(props.GetBho(f.frame));
}

TEST_P(Ie7Test, HiddenPadlockButtonHasNoArea) {
  if (GetParam() == 4) GTEST_SKIP() << "generation 8 watches the whole toolbar";
  CBhoWindowProps::GetInstance().SetBho(f.frame, a.bho.get());
  RECT area;
  ASSERT_TRUE(a.helper->GetLockArea(&area));
  SendMessageA(f.toolbar, TB_HIDEBUTTON, 201, MAKELPARAM(TRUE, 0));
  EXPECT_FALSE(a.helper->GetLockArea(&area));
  SendMessageA(f.toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(area.left + 1, 5));
  EXPECT_EQ(0, a.bho->hover_in_tab);
  SendMessageA(f.toolbar, TB_ENABLEBUTTON, 201, MAKELPARAM(FALSE, 0));
  SendMessageA(f.toolbar, TB_HIDEBUTTON, 201, MAKELPARAM(FALSE, 0));
  EXPECT_FALSE(a.helper->GetLockArea(&area));  // shown but disabled
  SendMessageA(f.toolbar, TB_ENABLEBUTTON, 201, MAKELPARAM(TRUE, 0));
  SendMessageA(f.toolbar, TB_HIDEBUTTON, 201, MAKELPARAM(FALSE, 0));
  ASSERT_TRUE(a.helper->GetLockArea(&area));
  RECT item;
  SendMessageA(f.toolbar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_TRUE(EqualRect(&item, &area));
}

TEST_P(Ie7Test, DocumentWindowNotices) {
  HWND doc = f.tabs[0].document;
  test::g_probe_messages = 0;
  SendMessageA(doc, WM_KILLFOCUS, 0, 0);
  SendMessageA(doc, WM_MOUSEWHEEL, 0, 0);
  SendMessageA(doc, WM_SETFOCUS, 0, 0);  // not watched in this version
  SendMessageA(doc, test::kProbeMessage, 0, 0);
  EXPECT_EQ(2, a.bho->focus_lost);
  EXPECT_EQ(0, a.bho->focus_gained);
  EXPECT_EQ(0, b.bho->Total());
  EXPECT_EQ(1, test::g_probe_messages);

  // Full screen: the page view covers the screen but for the status bar, when it shows.
  ShowWindow(f.frame, SW_SHOWNA);
  RECT status;
  GetClientRect(f.tabs[0].status, &status);
  ASSERT_GT(status.bottom, 0);
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  struct Case { int x, y, cy; bool status_shown; int notices; };
  const Case cases[] = {
      {0, 0, h - (int)status.bottom, true, 1}, {0, 1, h - (int)status.bottom, true, 0},
      {0, 0, h, true, 0}, {0, 0, h, false, 1}, {0, 0, h - (int)status.bottom, false, 0},
  };
  for (const Case& c : cases) {
    ShowWindow(f.tabs[0].status, c.status_shown ? SW_SHOWNA : SW_HIDE);
    a.bho->full_screen = 0;
    WINDOWPOS pos = {doc, nullptr, c.x, c.y, w, c.cy, 0};
    SendMessageA(doc, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(c.notices, a.bho->full_screen) << c.y << " " << c.cy << " " << c.status_shown;
  }
}

// Two tabs closing at once on their own threads: exactly one gives the toolbar its
// procedure back; two tabs opening at once subclass it once.
TEST_P(Ie7Test, TabsOpeningAndClosingTogether) {
  Close(a, f.frame);
  Close(b, f.frame);
  for (int round = 0; round < 20; ++round) {
    Instance x = Open(), y = Open();
    KestrinWinNS::CScopedKernelHandle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HWND frame = f.frame;
    auto close = [&](Instance* i) {
      WaitForSingleObject(go.Get(), INFINITE);
      Close(*i, frame);
    };
    std::thread t1(close, &x), t2(close, &y);
    SetEvent(go.Get());
    // The helpers send to windows of this thread: keep serving them while waiting.
    test::PumpUntil(5000, [&] { return !x.helper && !y.helper; });
    t1.join();
    t2.join();
    go.Reset();
    ASSERT_EQ(toolbar_proc, ProcOf(f.toolbar)) << round;
    ASSERT_FALSE(HasProp(f.toolbar, kOldProcProp)) << round;
    ASSERT_FALSE(HasProp(f.frame, kBhoCounterProp)) << round;

    // Opening together.
    Tab t3 = f.AddTab(), t4 = f.AddTab();
    FakeBho p(f.frame, t3.tab), q(f.frame, t4.tab);
    std::unique_ptr<CSubclassHelper> hp, hq;
    auto open = [&](FakeBho* bho, std::unique_ptr<CSubclassHelper>* out) {
      WaitForSingleObject(go.Get(), INFINITE);
      CBhoWindowProps::GetInstance().AddInstance(frame);
      std::unique_ptr<CSubclassHelper> h(CSubclassHelper::Create(bho, static_cast<BrowserGeneration>(GetParam())));
      h->FindWindows();
      h->Subclass();
      *out = std::move(h);
    };
    go.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread t5(open, &p, &hp), t6(open, &q, &hq);
    SetEvent(go.Get());
    test::PumpUntil(5000, [&] { return hp && hq; });
    t5.join();
    t6.join();
    go.Reset();
    ASSERT_EQ(toolbar_proc, (LONG_PTR)GetPropA(f.toolbar, kOldProcProp)) << round;
    CBhoWindowProps::GetInstance().RemoveInstance(frame, &p);
    hp.reset();
    CBhoWindowProps::GetInstance().RemoveInstance(frame, &q);
    hq.reset();
    ASSERT_EQ(toolbar_proc, ProcOf(f.toolbar)) << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Generations, Ie7Test, ::testing::Values(3, 4));

}  // namespace
