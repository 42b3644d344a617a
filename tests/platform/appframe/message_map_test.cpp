// Message maps merged once per class: what a derived map names wins over its base, a declining
// handler hands on to the base's entry, and a message registered after the first dispatch is
// still found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/appframe/wnd.h"

namespace {

UINT g_late_message = 0;
std::vector<std::string> g_calls;

class CBaseTarget : public CCmdTarget {
 public:
  void OnBase1() { g_calls.push_back("base 1"); }
  void OnBase2() { g_calls.push_back("base 2"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
  ON_COMMAND(1, OnBase1)
  ON_COMMAND(2, OnBase2)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
 public:
  void OnDerived1() { g_calls.push_back("derived 1"); }
  bool OnDeclining2(UINT) {
    g_calls.push_back("declined 2");
    return false;
  }
  void OnRange(UINT id) { g_calls.push_back("range " + std::to_string(id)); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
  ON_COMMAND(1, OnDerived1)
  ON_COMMAND_EX(2, OnDeclining2)
  ON_COMMAND_RANGE(10, 19, OnRange)
END_MESSAGE_MAP()

class CLateWnd : public CWnd {
 public:
  LRESULT OnLate(WPARAM w, LPARAM) { return static_cast<LRESULT>(w + 1); }
  LRESULT OnApp(WPARAM, LPARAM) { return 7; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLateWnd, CWnd)
  ON_MESSAGE(WM_APP, OnApp)
  ON_REGISTERED_MESSAGE(g_late_message, OnLate)
END_MESSAGE_MAP()

TEST(MessageMapTest, DerivedEntriesWinAndDecliningOnesHandOn) {
  g_calls.clear();
  CDerivedTarget target;
  for (UINT id : {1u, 2u, 12u, 19u, 20u}) target.OnCmdMsg(id, CN_COMMAND, nullptr);
  EXPECT_EQ((std::vector<std::string>{"derived 1", "declined 2", "base 2", "range 12", "range 19"}), g_calls);
  // The base class's own table is its own.
  g_calls.clear();
  CBaseTarget base;
  EXPECT_TRUE(base.OnCmdMsg(1, CN_COMMAND, nullptr));
  EXPECT_FALSE(base.OnCmdMsg(12, CN_COMMAND, nullptr));
  EXPECT_EQ((std::vector<std::string>{"base 1"}), g_calls);
}

TEST(MessageMapTest, AMessageRegisteredAfterTheFirstDispatchIsFound) {
  CLateWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, L"STATIC", L"", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
  EXPECT_EQ(7, wnd.SendMessage(WM_APP));   // the class's table is built now
  g_late_message = RegisterWindowMessageW(L"KestrinAppFrameLateMessage");
  EXPECT_EQ(42, wnd.SendMessage(g_late_message, 41));
  wnd.DestroyWindow();
}

}  // namespace
