#include "platform/win/window.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/win/module.h"

namespace {

using KestrinWinNS::CWindowBase;

const char kTestClass[] = "KestrinTestWindowBase";
const UINT kMsgAnswer = WM_APP + 1;  // answered 42
const UINT kMsgThrow = WM_APP + 2;   // the handler throws

class CRecorder : public CWindowBase {
 public:
  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    seen.push_back(message);
    if (window != GetHwnd()) wrong_handle = true;
    if (message == kMsgAnswer) {
      result = 42;
      return TRUE;
    }
    if (message == kMsgThrow) throw std::runtime_error("handler failed");
    return FALSE;
  }
  void OnFinalMessage(HWND window) override {
    final_window = window;
    ++final_calls;
    handle_at_final = GetHwnd();
  }
  bool Saw(UINT message) const {
    for (UINT m : seen)
      if (m == message) return true;
    return false;
  }

  std::vector<UINT> seen;
  bool wrong_handle = false;
  HWND final_window = nullptr;
  HWND handle_at_final = reinterpret_cast<HWND>(1);
  int final_calls = 0;
};

bool RegisterTestClass() {
  WNDCLASSEXA wc = {sizeof(wc)};
  wc.lpszClassName = kTestClass;
  return CWindowBase::RegisterWindowClass(wc);
}

TEST(WindowBase, ClassLivesInTheCodesModuleAndRegistersOnce) {
  ASSERT_TRUE(RegisterTestClass());
  EXPECT_TRUE(RegisterTestClass());
  WNDCLASSEXA found = {sizeof(found)};
  EXPECT_TRUE(GetClassInfoExA(KestrinWinNS::CodeModule(), kTestClass, &found));
  EXPECT_EQ(GetModuleHandleA(nullptr), KestrinWinNS::CodeModule());  // this program holds the code
}

TEST(WindowBase, BindsAtCreationRoutesMessagesAndLetsGoAfterTheLast) {
  ASSERT_TRUE(RegisterTestClass());
  CRecorder recorder;
  HWND window = recorder.Create(kTestClass, 0, WS_POPUP, RECT{0, 0, 10, 10}, nullptr);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(window, recorder.GetHwnd());
  EXPECT_EQ(&recorder, CWindowBase::FromHandle(window));
  ASSERT_FALSE(recorder.seen.empty());
  EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), recorder.seen.front());
  EXPECT_TRUE(recorder.Saw(WM_CREATE));

  EXPECT_EQ(42, SendMessageA(window, kMsgAnswer, 0, 0));
  // Unhandled messages reach the default procedure, which keeps the text.
  SetWindowTextA(window, "kept");
  char text[16] = {};
  GetWindowTextA(window, text, sizeof(text));
  EXPECT_STREQ("kept", text);
  // A throwing handler gets the default answer and the window lives on.
  EXPECT_EQ(0, SendMessageA(window, kMsgThrow, 0, 0));
  EXPECT_TRUE(IsWindow(window));

  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(1, recorder.final_calls);
  EXPECT_EQ(window, recorder.final_window);
  EXPECT_EQ(nullptr, recorder.handle_at_final);
  EXPECT_EQ(nullptr, recorder.GetHwnd());
  EXPECT_FALSE(recorder.wrong_handle);
}

// An object may go before its window: the window no longer reaches it, and a derived class
// can destroy its window without hearing of it.
TEST(WindowBase, ObjectGoingFirstIsCutOffFromItsWindow) {
  ASSERT_TRUE(RegisterTestClass());
  auto* recorder = new CRecorder;
  HWND window = recorder->Create(kTestClass, 0, WS_POPUP, RECT{0, 0, 10, 10}, nullptr);
  ASSERT_NE(nullptr, window);
  delete recorder;
  EXPECT_EQ(nullptr, CWindowBase::FromHandle(window));
  EXPECT_EQ(0, SendMessageA(window, kMsgAnswer, 0, 0));
  DestroyWindow(window);

  CRecorder quiet;
  window = quiet.Create(kTestClass, 0, WS_POPUP, RECT{0, 0, 10, 10}, nullptr);
  ASSERT_NE(nullptr, window);
  quiet.seen.clear();
  quiet.DestroyUnbound();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(quiet.seen.empty());
  EXPECT_EQ(0, quiet.final_calls);
}

TEST(WindowBase, SuperclassPassesTheRestToTheSystemClass) {
  ASSERT_TRUE(CWindowBase::RegisterSuperclass("STATIC", "KestrinTestStatic"));
  CRecorder recorder;
  HWND window = recorder.Create("KestrinTestStatic", 0, WS_POPUP | SS_ICON, RECT{0, 0, 10, 10}, nullptr,
                                nullptr, "static");
  ASSERT_NE(nullptr, window);
  // STM_SETICON is known only to the static control: it answers the previous icon (none).
  HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
  EXPECT_EQ(0, SendMessageA(window, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
  EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageA(window, STM_GETICON, 0, 0));
  EXPECT_EQ(42, SendMessageA(window, kMsgAnswer, 0, 0));
  DestroyWindow(window);
  EXPECT_EQ(1, recorder.final_calls);
}

TEST(WindowBase, SubclassingTakesOverAndGivesBack) {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, edit);
  const LONG_PTR original = GetWindowLongPtrA(edit, GWLP_WNDPROC);

  CRecorder recorder;
  ASSERT_TRUE(recorder.SubclassWindow(edit));
  EXPECT_FALSE(CRecorder().SubclassWindow(edit));  // one object per window
  EXPECT_EQ(42, SendMessageA(edit, kMsgAnswer, 0, 0));
  SetWindowTextA(edit, "typed");  // the edit control still keeps its text
  char text[16] = {};
  GetWindowTextA(edit, text, sizeof(text));
  EXPECT_STREQ("typed", text);
  EXPECT_TRUE(recorder.Saw(WM_SETTEXT));

  EXPECT_EQ(edit, recorder.UnsubclassWindow());
  EXPECT_EQ(original, GetWindowLongPtrA(edit, GWLP_WNDPROC));
  EXPECT_EQ(nullptr, CWindowBase::FromHandle(edit));

  // Destroyed while subclassed: the final message still comes, once.
  CRecorder second;
  ASSERT_TRUE(second.SubclassWindow(edit));
  DestroyWindow(edit);
  EXPECT_EQ(1, second.final_calls);
  EXPECT_EQ(nullptr, second.GetHwnd());
}

}  // namespace
