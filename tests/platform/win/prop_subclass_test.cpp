#include "platform/win/prop_subclass.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using KestrinWinNS::CPropSubclass;

const char kPlainClass[] = "KestrinPropSubclassPlain";
const UINT kMsgPing = WM_APP + 11;    // the plain window answers 7
const UINT kMsgAnswer = WM_APP + 12;  // a handler answers 42 itself
const UINT kMsgThrow = WM_APP + 13;   // a handler throws
const UINT kMsgAfter = WM_APP + 14;   // a handler hands on first and adds 100

// Who saw a message, in order: "plain", "foreign", or the name of a handler's object.
std::vector<std::string> g_seen;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMsgPing || message == kMsgAnswer || message == kMsgThrow || message == kMsgAfter ||
      message == WM_NCDESTROY)
    g_seen.push_back("plain");
  if (message == kMsgPing || message == kMsgThrow || message == kMsgAfter) return 7;
  return DefWindowProcA(window, message, wparam, lparam);
}

WNDPROC g_foreign_next = nullptr;
LRESULT CALLBACK ForeignProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMsgPing) g_seen.push_back("foreign");
  return CallWindowProcA(g_foreign_next, window, message, wparam, lparam);
}

struct Handler {
  std::string name;
};

// Two kinds with properties of their own.
template <int N>
struct TestKind {
  using Object = Handler;
  static const char* OldProcProperty() { return N == 1 ? "KestrinTestOldProcA" : "KestrinTestOldProcB"; }
  static const char* ObjectProperty() { return N == 1 ? "KestrinTestObjectA" : "KestrinTestObjectB"; }
  static bool OnMessage(Handler* handler, HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    if (message == kMsgPing || message == kMsgAnswer || message == kMsgThrow || message == kMsgAfter ||
        message == WM_NCDESTROY)
      g_seen.push_back(handler->name);
    if (message == kMsgAnswer) {
      result = 42;
      return true;
    }
    if (message == kMsgThrow) throw std::runtime_error("handler failed");
    if (message == kMsgAfter) {
      result = CPropSubclass<TestKind>::CallPrevious(window, message, wparam, lparam) + 100;
      return true;
    }
    return false;
  }
};
using KindA = CPropSubclass<TestKind<1>>;
using KindB = CPropSubclass<TestKind<2>>;

class PropSubclass : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kPlainClass;
    RegisterClassExA(&wc);
    window_ = CreateWindowExA(0, kPlainClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window_);
    g_seen.clear();
  }
  void TearDown() override {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
  }
  std::vector<std::string> Ping() {
    g_seen.clear();
    EXPECT_EQ(7, SendMessageA(window_, kMsgPing, 0, 0));
    return g_seen;
  }
  LONG_PTR Proc() const { return GetWindowLongPtrA(window_, GWLP_WNDPROC); }

  HWND window_ = nullptr;
  Handler a_{"a"}, b_{"b"};
  using Seen = std::vector<std::string>;
};

TEST_F(PropSubclass, HandlerSeesMessagesFirstAndThePreviousProcedureTheRest) {
  const LONG_PTR original = Proc();
  ASSERT_TRUE(KindA::Subclass(window_, &a_));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(KindA::Proc()), Proc());
  EXPECT_EQ(original, reinterpret_cast<LONG_PTR>(GetPropA(window_, "KestrinTestOldProcA")));
  EXPECT_EQ(&a_, GetPropA(window_, "KestrinTestObjectA"));
  EXPECT_EQ(&a_, KindA::ObjectOf(window_));

  EXPECT_EQ((Seen{"a", "plain"}), Ping());
  g_seen.clear();
  EXPECT_EQ(42, SendMessageA(window_, kMsgAnswer, 0, 0));
  EXPECT_EQ(Seen{"a"}, g_seen);
  g_seen.clear();
  EXPECT_EQ(107, SendMessageA(window_, kMsgAfter, 0, 0));
  EXPECT_EQ((Seen{"a", "plain"}), g_seen);

  ASSERT_TRUE(KindA::Unsubclass(window_));
  EXPECT_EQ(original, Proc());
  EXPECT_EQ(nullptr, GetPropA(window_, "KestrinTestOldProcA"));
  EXPECT_EQ(nullptr, GetPropA(window_, "KestrinTestObjectA"));
  EXPECT_EQ(Seen{"plain"}, Ping());
  EXPECT_FALSE(KindA::Unsubclass(window_));
}

TEST_F(PropSubclass, RefusesASecondSubclassANullObjectAndNoWindow) {
  EXPECT_FALSE(KindA::Subclass(window_, nullptr));
  EXPECT_FALSE(KindA::Subclass(nullptr, &a_));
  ASSERT_TRUE(KindA::Subclass(window_, &a_));
  EXPECT_FALSE(KindA::Subclass(window_, &b_));
  EXPECT_EQ(&a_, KindA::ObjectOf(window_));
  EXPECT_EQ((Seen{"a", "plain"}), Ping());
  EXPECT_TRUE(KindA::Unsubclass(window_));
}

TEST_F(PropSubclass, AnExceptionInTheHandlerHandsTheMessageOn) {
  ASSERT_TRUE(KindA::Subclass(window_, &a_));
  EXPECT_EQ(7, SendMessageA(window_, kMsgThrow, 0, 0));
  EXPECT_EQ((Seen{"a", "plain"}), g_seen);
  EXPECT_EQ((Seen{"a", "plain"}), Ping());  // still subclassed, still answering
  EXPECT_TRUE(KindA::Unsubclass(window_));
}

TEST_F(PropSubclass, TwoKindsComeOffInEitherOrder) {
  struct Case {
    bool a_first;
    Seen after_first;
  };
  const Case cases[] = {{true, {"b", "plain"}}, {false, {"a", "plain"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a_first ? "a first" : "b first");
    const LONG_PTR original = Proc();
    ASSERT_TRUE(KindA::Subclass(window_, &a_));
    ASSERT_TRUE(KindB::Subclass(window_, &b_));
    EXPECT_EQ((Seen{"b", "a", "plain"}), Ping());

    EXPECT_TRUE(c.a_first ? KindA::Unsubclass(window_) : KindB::Unsubclass(window_));
    EXPECT_EQ(c.after_first, Ping());
    EXPECT_TRUE(c.a_first ? KindB::Unsubclass(window_) : KindA::Unsubclass(window_));
    EXPECT_EQ(original, Proc());
    for (const char* name : {"KestrinTestOldProcA", "KestrinTestObjectA", "KestrinTestOldProcB", "KestrinTestObjectB"})
      EXPECT_EQ(nullptr, GetPropA(window_, name)) << name;
    EXPECT_EQ(Seen{"plain"}, Ping());
  }
}

TEST_F(PropSubclass, UnderAForeignProcedureTheKindOnlyHandsOnUntilOnTopAgain) {
  const LONG_PTR original = Proc();
  ASSERT_TRUE(KindA::Subclass(window_, &a_));
  g_foreign_next = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
  ASSERT_EQ(KindA::Proc(), g_foreign_next);

  ASSERT_TRUE(KindA::Unsubclass(window_));
  EXPECT_FALSE(KindA::IsSubclassed(window_));
  EXPECT_EQ((Seen{"foreign", "plain"}), Ping());

  // Taken again while still in the chain: one procedure, each message seen once.
  ASSERT_TRUE(KindA::Subclass(window_, &b_));
  EXPECT_EQ((Seen{"foreign", "b", "plain"}), Ping());
  ASSERT_TRUE(KindA::Unsubclass(window_));

  // The foreign procedure leaves: the next message takes the kind out of the chain too.
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_foreign_next));
  EXPECT_EQ(Seen{"plain"}, Ping());
  EXPECT_EQ(original, Proc());
  EXPECT_EQ(nullptr, GetPropA(window_, "KestrinTestOldProcA"));
  ASSERT_TRUE(KindA::Subclass(window_, &a_));
  EXPECT_EQ((Seen{"a", "plain"}), Ping());
  EXPECT_TRUE(KindA::Unsubclass(window_));
}

TEST_F(PropSubclass, TheLastMessageReachesBothAndTheKindLetsGo) {
  ASSERT_TRUE(KindA::Subclass(window_, &a_));
  ASSERT_TRUE(KindB::Subclass(window_, &b_));
  g_seen.clear();
  ASSERT_TRUE(DestroyWindow(window_));
  EXPECT_EQ((Seen{"b", "a", "plain"}), g_seen);
  EXPECT_FALSE(KindA::Unsubclass(window_));
  EXPECT_FALSE(KindB::Unsubclass(window_));
  window_ = nullptr;
}

}  // namespace
