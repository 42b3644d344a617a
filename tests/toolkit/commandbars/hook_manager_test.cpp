#include "toolkit/commandbars/hook_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/drawing/seams.h"

namespace {

std::vector<std::string> g_log;

// The window's own procedure, behind the hook manager's subclass.
LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_APP) g_log.push_back("window");
  if (msg == WM_NCDESTROY) g_log.push_back("ncdestroy");
  return ::DefWindowProcW(hwnd, msg, w, l);
}

HWND MakePlainWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TKHookTestWindow";
    ::RegisterClassW(&wc);
    registered = true;
  }
  return ::CreateWindowExW(0, L"TKHookTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

struct Client : CTKHookManagerHookAble {
  Client(std::string n, int a, int* deleted = nullptr) : name(std::move(n)), answer(a), deleted_(deleted) {}
  ~Client() override {
    if (deleted_) ++*deleted_;
  }
  int OnHookMessage(HWND hwnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override {
    if (message != WM_APP) return kGoOn;
    g_log.push_back(name);
    if (on_call) on_call();
    result = 77;
    return answer;
  }
  std::string name;
  int answer;
  int* deleted_;
  std::function<void()> on_call;
};

class HookManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    hwnd = MakePlainWindow();
  }
  void TearDown() override {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    CTKHookManager::Instance().RemoveAll();
  }
  HWND hwnd = nullptr;
  CTKHookManager& hooks = CTKHookManager::Instance();
};

TEST_F(HookManagerTest, ClientsRunFromTheLastRegisteredAndTheirAnswersDecideTheRest) {
  struct Case {
    int first_answer, second_answer;
    std::vector<std::string> log;
    LRESULT result;
  } cases[] = {
      {0, 0, {"second", "first", "window"}, 0},
      {0, 2, {"second", "window"}, 0},           // stop: earlier clients skipped, window still runs
      {0, 1, {"second"}, 77},                     // consumed: the client's result goes back
      {1, 0, {"second", "first"}, 77},
  };
  for (const Case& c : cases) {
    g_log.clear();
    Client first("first", c.first_answer), second("second", c.second_answer);
    hooks.SetHook(hwnd, &first);
    hooks.SetHook(hwnd, &second);
    hooks.SetHook(hwnd, &second);  // a client is registered once
    EXPECT_EQ(2u, hooks.ClientCount(hwnd));
    LRESULT r = ::SendMessageW(hwnd, WM_APP, 0, 0);
    EXPECT_EQ(c.log, g_log);
    EXPECT_EQ(c.result, r);
    hooks.RemoveHook(hwnd, &first);
    hooks.RemoveHook(hwnd, &second);
    EXPECT_FALSE(hooks.IsHooked(hwnd));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&PlainProc), ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  }
}

TEST_F(HookManagerTest, DestroyingTheWindowRestoresItsProcedureAndDeletesFlaggedClients) {
  int deleted = 0;
  Client* owned = new Client("owned", 0, &deleted);
  owned->m_bAutoDestroy = true;
  Client kept("kept", 0, &deleted);
  hooks.SetHook(hwnd, &kept);
  hooks.SetHook(hwnd, owned);
  ::DestroyWindow(hwnd);
  EXPECT_FALSE(hooks.IsHooked(hwnd));
  EXPECT_EQ(1, deleted);
  EXPECT_EQ(std::vector<std::string>{"ncdestroy"}, g_log);
}

TEST_F(HookManagerTest, AClientRemovedDuringDispatchIsSkippedAndDeletedOnlyAfterTheDispatch) {
  int deleted = 0;
  Client* victim = new Client("victim", 0, &deleted);
  victim->m_bAutoDestroy = true;
  Client remover("remover", 0);
  hooks.SetHook(hwnd, victim);
  hooks.SetHook(hwnd, &remover);
  int deleted_during = -1;
  remover.on_call = [&] {
    hooks.RemoveHook(hwnd, victim);
    hooks.RemoveHook(hwnd, &remover);  // the last client: the sink goes too
    deleted_during = deleted;
  };
  ::SendMessageW(hwnd, WM_APP, 0, 0);
  EXPECT_EQ(0, deleted_during);  // still alive while the dispatch walks its snapshot
  EXPECT_EQ(1, deleted);
  EXPECT_EQ((std::vector<std::string>{"remover", "window"}), g_log);
  EXPECT_FALSE(hooks.IsHooked(hwnd));
  g_log.clear();
  ::SendMessageW(hwnd, WM_APP, 0, 0);
  EXPECT_EQ(std::vector<std::string>{"window"}, g_log);
}

// ---------------------------------------------------------------------------------------------

class InputManagerTest : public ::testing::Test {
 protected:
  void TearDown() override { CTKMouseManager::ThreadInstance()->CloseTrackedBars(); }
  BarFixture fx{3};
};

struct KeyClient : CTKHookManagerHookAble {
  int OnHookMessage(HWND, UINT message, WPARAM& w, LPARAM&, LRESULT&) override {
    keys.push_back(static_cast<int>(w));
    return answer;
  }
  std::vector<int> keys;
  int answer = 1;
};

TEST_F(InputManagerTest, KeyboardHooksExistOnlyWhileThereAreClients) {
  CTKKeyboardManager* keyboard = CTKKeyboardManager::ThreadInstance();
  KeyClient client;
  EXPECT_FALSE(keyboard->IsHooked());
  keyboard->AddClient(&client);
  EXPECT_TRUE(keyboard->IsHooked());
  keyboard->RemoveClient(&client);
  EXPECT_FALSE(keyboard->IsHooked());
}

TEST_F(InputManagerTest, AltClosesTrackedPopupsOnItsFirstStrokeAndRepeatsPassOn) {
  CTKKeyboardManager* keyboard = CTKKeyboardManager::ThreadInstance();
  KeyClient client;
  keyboard->AddClient(&client);
  fx.bar->SetTrackingMode(2, false, false);
  ASSERT_TRUE(CTKMouseManager::ThreadInstance()->IsTracked(fx.bar));
  const LPARAM altDown = 0x20000000, repeat = 0x40000000;
  EXPECT_FALSE(keyboard->ProcessKey(VK_MENU, altDown | repeat));  // a repeat is neither offered nor eaten
  EXPECT_TRUE(CTKMouseManager::ThreadInstance()->IsTracked(fx.bar));
  EXPECT_TRUE(keyboard->ProcessKey(VK_MENU, altDown));
  EXPECT_FALSE(CTKMouseManager::ThreadInstance()->IsTracked(fx.bar));
  EXPECT_TRUE(client.keys.empty());
  // Other keys are offered in order; 2 lets the key go on, no answer eats it.
  client.answer = 2;
  EXPECT_FALSE(keyboard->ProcessKey('A', 0));
  client.answer = 0;
  EXPECT_TRUE(keyboard->ProcessKey('B', 0));
  EXPECT_FALSE(keyboard->ProcessKey('C', 0x80000000));  // key-up strokes are not looked at
  EXPECT_EQ((std::vector<int>{'A', 'B'}), client.keys);
  keyboard->RemoveClient(&client);
}

TEST_F(InputManagerTest, MouseHookEatsRepeatedMovesAndClosesPopupsOutsideTrustedWindows) {
  CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
  SiteWindow trusted;
  ::SetWindowPos(trusted.hwnd, nullptr, 700, 500, 100, 100, SWP_NOZORDER | SWP_SHOWWINDOW);
  mouse->AddTrustedWindow(trusted.hwnd);
  fx.bar->SetTrackingMode(2, false, false);
  MOUSEHOOKSTRUCT info{};
  info.pt = POINT{2000, 2000};
  EXPECT_FALSE(mouse->ProcessMouse(WM_MOUSEMOVE, info));
  EXPECT_TRUE(mouse->ProcessMouse(WM_MOUSEMOVE, info));  // the same point again
  info.pt = POINT{750, 550};
  info.hwnd = trusted.hwnd;
  EXPECT_FALSE(mouse->ProcessMouse(WM_LBUTTONDOWN, info));
  EXPECT_TRUE(mouse->IsTracked(fx.bar));  // a click on a trusted window keeps the popup
  info.pt = POINT{2100, 2100};
  info.hwnd = nullptr;
  EXPECT_FALSE(mouse->ProcessMouse(WM_LBUTTONDOWN, info));
  EXPECT_FALSE(mouse->IsTracked(fx.bar));
  mouse->RemoveTrustedWindow(trusted.hwnd);
}

POINT g_cursor;
BOOL FakeCursor(POINT* pt) {
  *pt = g_cursor;
  return TRUE;
}

TEST_F(InputManagerTest, MouseLeaveIsPostedOnceThePointerLeavesTheWatchedWindow) {
  TKSetCursorPosFunction(&FakeCursor);
  CTKMouseManager* mouse = CTKMouseManager::ThreadInstance();
  ::ShowWindow(fx.site.hwnd, SW_SHOWNA);
  RECT rc;
  ::GetWindowRect(fx.bar->GetSafeHwnd(), &rc);
  g_cursor = POINT{rc.left + 5, rc.top + 5};
  mouse->TrackMouseLeave(fx.site.hwnd);  // a top-level window: inside it nothing happens
  mouse->OnMouseLeaveTick();
  EXPECT_EQ(fx.site.hwnd, mouse->WatchedWindow());
  g_cursor = POINT{rc.right + 3000, rc.bottom + 3000};
  mouse->OnMouseLeaveTick();
  EXPECT_EQ(nullptr, mouse->WatchedWindow());
  MSG msg;
  EXPECT_TRUE(::PeekMessageW(&msg, fx.site.hwnd, WM_MOUSELEAVE, WM_MOUSELEAVE, PM_REMOVE));
  TKSetCursorPosFunction(nullptr);
}

}  // namespace
