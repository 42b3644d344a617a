// Events 0 and 1 sent from this process reach the service of a second process; event 2 stays here.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

#include "common/observe/observer_service.h"
#include "common/settings/settings.h"
#include "tests/common/settings/user_key_override.h"
#include "tests/common/observe/private_desktop.h"
#include "platform/win/scoped_handle.h"

using namespace ObserveNS;

namespace {

std::string PeerPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  folder.erase(folder.find_last_of('\\') + 1);
  return folder + "observe_peer.exe";
}

class Counter : public IObserver {
 public:
  void Notify(DWORD) override { InterlockedIncrement(&count); }
  LONG count = 0;
};

}  // namespace

TEST(ObserverCrossProcess, SecondProgramReceivesEventsAndReReadsTheSetting) {
  KestrinTests::CScopedUserKeyOverride user_key("observe");
  ASSERT_TRUE(user_key.ok());
  SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupNone);
  ASSERT_TRUE(settings.CreateDefaults());

  Counter own;
  CObserverService::GetInstance()->Register(&own, kEventSettingsChanged);

  char ready_name[64], done_name[64];
  snprintf(ready_name, sizeof(ready_name), "KestrinObservePeerReady-%lu", GetCurrentProcessId());
  snprintf(done_name, sizeof(done_name), "KestrinObservePeerDone-%lu", GetCurrentProcessId());
  KestrinWinNS::CScopedKernelHandle ready, done, out_read, out_write, process;
  ready.Reset(CreateEventA(nullptr, TRUE, FALSE, ready_name));
  done.Reset(CreateEventA(nullptr, TRUE, FALSE, done_name));
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  ASSERT_TRUE(CreatePipe(out_read.Receive(), out_write.Receive(), &inherit, 0));
  SetHandleInformation(out_read.Get(), HANDLE_FLAG_INHERIT, 0);

  std::string command = "\"" + PeerPath() + "\" \"" + user_key.path() + "\" " + ready_name + " " + done_name;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out_write.Get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
      << command;
  process.Reset(info.hProcess);
  KestrinWinNS::CScopedKernelHandle thread(info.hThread);
  out_write.Reset();

  HANDLE waits[2] = {ready.Get(), process.Get()};
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 20000)) << "the peer did not start";

  CObserverServiceNotifier notifier;
  notifier.Notify(kEventTrustedListRebuilt);  // sends nothing
  notifier.Notify(kEventUpdateFileChanged);
  ASSERT_TRUE(settings.SetBorderWidth(7, true));  // saves and broadcasts event 1
  SetEvent(done.Get());

  std::string report;
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(out_read.Get(), buffer, sizeof(buffer), &got, nullptr) && got) report.append(buffer, got);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 20000));
  DWORD exit_code = 1;
  GetExitCodeProcess(process.Get(), &exit_code);
  EXPECT_EQ(0u, exit_code);

  long event0 = -1, twice = -1, once = -1, event2 = -1;
  unsigned long width = 0;
  ASSERT_EQ(5, sscanf(report.c_str(), "event0=%ld double=%ld single=%ld event2=%ld width=%lu", &event0, &twice,
                      &once, &event2, &width))
      << report;
  EXPECT_GE(event0, 1);
  EXPECT_GE(once, 1);
  EXPECT_EQ(once, twice) << "an observer registered twice was notified twice";
  EXPECT_EQ(0, event2) << "event 2 left its process";
  EXPECT_EQ(7u, width);
  EXPECT_GE(own.count, 1) << "the saving process's own service was not reached";
  CObserverService::GetInstance()->Unregister(&own, kEventSettingsChanged);
}
