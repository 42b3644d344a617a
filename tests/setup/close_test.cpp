// Closing running copies of the tray program: obeying and ignoring WM_CLOSE, several copies,
// and a browser that owns a window of the tray window's class.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "setup/close_programs.h"
#include "setup/setup_helpers.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {
namespace {

using setup_test::BesideTest;
using setup_test::CStartedProgram;

class CloseTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = Waits();
    ASSERT_TRUE(setup_test::CopyStandIn(L"window_standin.exe", BesideTest(L"Kestrin.exe")));
    ASSERT_TRUE(setup_test::CopyStandIn(L"window_standin.exe", BesideTest(L"firefox.exe")));
  }
  void TearDown() override { Waits() = saved_; }

  // Starts `program` ("Kestrin.exe" or "firefox.exe") once its window of the tray class exists.
  CStartedProgram* Start(const wchar_t* program, const wchar_t* behaviour) {
    std::wstring event_name = L"KestrinStandInReady" + std::to_wstring(programs_.size());
    setup_test::CReadyEvent ready(event_name.c_str());
    programs_.push_back(std::make_unique<CStartedProgram>());
    std::wstring line = L"\"" + BesideTest(program) + L"\" " + behaviour + L" " + event_name;
    if (!programs_.back()->Start(line) || !ready.Wait(30000)) return nullptr;
    return programs_.back().get();
  }

  SetupWaits saved_;
  std::vector<std::unique_ptr<CStartedProgram>> programs_;
};

TEST_F(CloseTest, NothingRunningIsDoneAtOnce) {
  EXPECT_FALSE(IsAnyListedWindowOpen(BuildCloseList()));
  EXPECT_TRUE(CloseRunningPrograms());
}

TEST_F(CloseTest, TrayThatObeysEndsByItselfAndTwoCopiesBothGo) {
  CStartedProgram* first = Start(L"Kestrin.exe", L"obey");
  CStartedProgram* second = Start(L"Kestrin.exe", L"obey");
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(IsAnyListedWindowOpen(BuildCloseList()));
  EXPECT_TRUE(CloseRunningPrograms());
  EXPECT_EQ(0u, first->ExitCode(0)) << "closed by its own hand, not terminated";
  EXPECT_EQ(0u, second->ExitCode(0));
  EXPECT_FALSE(FindWindowW(kTrayWindowClass, nullptr));
}

TEST_F(CloseTest, TrayThatIgnoresTheCloseIsEndedAfterTheDeadline) {
  Waits().end_deadline_ms = 0;
  Waits().end_step_ms = 0;
  CStartedProgram* tray = Start(L"Kestrin.exe", L"ignore");
  ASSERT_TRUE(tray);
  EXPECT_TRUE(CloseRunningPrograms());
  EXPECT_EQ(0xFFFFFFFFu, tray->ExitCode(10000));
}

TEST_F(CloseTest, BrowserOwningAWindowOfTheTrayClassIsLeftRunning) {
  CStartedProgram* browser = Start(L"firefox.exe", L"obey");  // any close request would end it
  CStartedProgram* tray = Start(L"Kestrin.exe", L"obey");
  ASSERT_TRUE(browser && tray);
  EXPECT_TRUE(CloseRunningPrograms());
  EXPECT_EQ(0u, tray->ExitCode(10000));
  EXPECT_TRUE(browser->IsRunning());
  EXPECT_FALSE(IsAnyListedWindowOpen(BuildCloseList()));
  EXPECT_TRUE(IsTrayProgramProcess(GetProcessId(tray->process())));
  EXPECT_FALSE(IsTrayProgramProcess(GetProcessId(browser->process())));
}

TEST_F(CloseTest, WindowThatSurvivesEveryCloseRequestFailsTheRun) {
  Waits().close_request_ms = 0;
  CStartedProgram* tray = Start(L"Kestrin.exe", L"ignore");
  ASSERT_TRUE(tray);
  CloseListEntry entry;
  entry.window_class = kTrayWindowClass;
  entry.mode = 0;
  EXPECT_FALSE(CloseListedPrograms(CloseList{entry}));
  EXPECT_TRUE(tray->IsRunning());
}

}  // namespace
}  // namespace SetupFrameworkNS
