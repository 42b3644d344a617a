// The framework's modal loop: its idle work frees the temporary window objects made inside
// it, while those made before it (that its caller may hold) stay.
#include <gtest/gtest.h>

#include "appframe_test_ids.h"
#include "platform/appframe/dialog.h"

namespace {

const wchar_t kForeignClass[] = L"KestrinAppFrameForeign";

class CIdleDialog : public CDialog {
 public:
  explicit CIdleDialog(HWND foreign) : CDialog(IDD_EXCHANGE), foreign_(foreign) {}
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    PostMessage(WM_APP);
    return true;
  }
  LRESULT OnMake(WPARAM, LPARAM) {
    // Temporary objects made inside the loop.
    made_inside = CWnd::FromHandle(foreign_) != nullptr && CWnd::FromHandle(GetDesktopWindow()) != nullptr;
    count_after_make = CWnd::TemporaryCount();
    waiting_for_idle = true;
    return 0;
  }
  LRESULT OnKickIdle(WPARAM, LPARAM count) {
    ++kicks;
    if (waiting_for_idle) {
      waiting_for_idle = false;
      count_at_idle = CWnd::TemporaryCount();
      EndDialog(IDOK);
    }
    return 0;
  }

  bool made_inside = false;
  bool waiting_for_idle = false;
  size_t count_after_make = 0;
  size_t count_at_idle = 0;
  int kicks = 0;

 private:
  HWND foreign_;
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CIdleDialog, CDialog)
  ON_MESSAGE(WM_APP, OnMake)
  ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
END_MESSAGE_MAP()

TEST(ModalLoopTest, TheLoopsIdleFreesWhatWasMadeInsideIt) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kForeignClass;
  RegisterClassW(&wc);
  HWND outer_window = CreateWindowExW(0, kForeignClass, L"outer", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND inner_window = CreateWindowExW(0, kForeignClass, L"inner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CWnd::DeleteTempMap();

  // Held by the caller across the modal loop.
  CWnd* outer = CWnd::FromHandle(outer_window);
  ASSERT_NE(nullptr, outer);
  ASSERT_EQ(1u, CWnd::TemporaryCount());

  CIdleDialog dialog(inner_window);
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_TRUE(dialog.made_inside);
  EXPECT_EQ(3u, dialog.count_after_make);
  EXPECT_EQ(1u, dialog.count_at_idle);
  EXPECT_GE(dialog.kicks, 1);
  // The caller's object is still the window's.
  EXPECT_EQ(1u, CWnd::TemporaryCount());
  EXPECT_EQ(outer_window, outer->m_hWnd);
  EXPECT_EQ(outer, CWnd::FromHandle(outer_window));

  CWnd::DeleteTempMap();
  EXPECT_EQ(0u, CWnd::TemporaryCount());
  DestroyWindow(outer_window);
  DestroyWindow(inner_window);
}

TEST(ModalLoopTest, ALoopOfItsOwnRunsTheSameIdleWork) {
  // A tracking loop of the toolkit pumps its own messages and calls the idle work.
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CWnd::DeleteTempMap();
  CWnd* before = CWnd::FromHandle(window);
  int depth = CWnd::EnterModalLoopDepth();
  CWnd::FromHandle(GetDesktopWindow());
  EXPECT_EQ(2u, CWnd::TemporaryCount());
  CWnd::RunModalIdle(nullptr, 0, depth);
  EXPECT_EQ(1u, CWnd::TemporaryCount());
  CWnd::FromHandle(GetDesktopWindow());
  CWnd::LeaveModalLoopDepth(depth);
  EXPECT_EQ(1u, CWnd::TemporaryCount());
  EXPECT_EQ(window, before->m_hWnd);
  CWnd::DeleteTempMap();
  DestroyWindow(window);
}

}  // namespace
