// Scheduled starts of the tray program: Task Scheduler 1.0 for real, 2.0 against a stand-in
// of its service (the system's 2.0 service here registers tasks but never runs them).
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/utility/platform.h"
#include "platform/com/com_object.h"
#include "setup/setup_helpers.h"
#include "setup/task_scheduler.h"
#include "tests/setup/task_service_stubs.h"
#include "tests/setup/test_support.h"

namespace UtilityClassesNS {
namespace {

using KestrinComNS::CComObject;
using KestrinComNS::CComPtr;
using KestrinComNS::QueryInterfaceTable;

// What the code under test asked of the stand-in service.
struct ServiceRecord {
  std::wstring folder, task_name, start_boundary, path, arguments, user, sddl;
  std::vector<TASK_TRIGGER_TYPE2> triggers;
  std::vector<TASK_ACTION_TYPE> actions;
  LONG register_flags = -1;
  TASK_LOGON_TYPE logon = TASK_LOGON_NONE;
  std::vector<std::wstring> deleted;
  int polls = 0;
  int running_at_poll = 0;  // the poll (1-based) from which the task runs; 0 never
};
ServiceRecord g_record;

std::wstring VariantText(const VARIANT& v) { return v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : L"(none)"; }

class FakeTrigger : public setup_test::ITimeTriggerStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return QueryInterfaceTable<ITimeTrigger, ITrigger>(this, iid, out);
  }
  HRESULT STDMETHODCALLTYPE put_StartBoundary(BSTR start) override {
    g_record.start_boundary = start ? start : L"";
    return S_OK;
  }
};

class FakeTriggers : public setup_test::ITriggerCollectionStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return QueryInterfaceTable<ITriggerCollection>(this, iid, out);
  }
  HRESULT STDMETHODCALLTYPE Create(TASK_TRIGGER_TYPE2 type, ITrigger** trigger) override {
    g_record.triggers.push_back(type);
    *trigger = CComObject<FakeTrigger>::Create();
    return S_OK;
  }
};

class FakeExecAction : public setup_test::IExecActionStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return QueryInterfaceTable<IExecAction, IAction>(this, iid, out);
  }
  HRESULT STDMETHODCALLTYPE put_Path(BSTR path) override {
    g_record.path = path ? path : L"";
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Arguments(BSTR arguments) override {
    g_record.arguments = arguments ? arguments : L"";
    return S_OK;
  }
};

class FakeActions : public setup_test::IActionCollectionStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return QueryInterfaceTable<IActionCollection>(this, iid, out);
  }
  HRESULT STDMETHODCALLTYPE Create(TASK_ACTION_TYPE type, IAction** action) override {
    g_record.actions.push_back(type);
    *action = CComObject<FakeExecAction>::Create();
    return S_OK;
  }
};

class FakeDefinition : public setup_test::ITaskDefinitionStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return QueryInterfaceTable<ITaskDefinition>(this, iid, out);
  }
  HRESULT STDMETHODCALLTYPE get_Triggers(ITriggerCollection** out) override {
    *out = CComObject<FakeTriggers>::Create();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Actions(IActionCollection** out) override {
    *out = CComObject<FakeActions>::Create();
    return S_OK;
  }
};

class FakeRegisteredTask : public setup_test::IRegisteredTaskStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return QueryInterfaceTable<IRegisteredTask>(this, iid, out);
  }
  HRESULT STDMETHODCALLTYPE get_State(TASK_STATE* state) override {
    ++g_record.polls;
    bool running = g_record.running_at_poll && g_record.polls >= g_record.running_at_poll;
    *state = running ? TASK_STATE_RUNNING : TASK_STATE_READY;
    return S_OK;
  }
};

class FakeFolder : public setup_test::ITaskFolderStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) { return QueryInterfaceTable<ITaskFolder>(this, iid, out); }
  HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR path, ITaskDefinition* definition, LONG flags, VARIANT user,
                                                   VARIANT password, TASK_LOGON_TYPE logon, VARIANT sddl,
                                                   IRegisteredTask** task) override {
    g_record.task_name = path;
    g_record.register_flags = flags;
    g_record.user = VariantText(user);
    g_record.sddl = VariantText(sddl);
    g_record.logon = logon;
    *task = CComObject<FakeRegisteredTask>::Create();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DeleteTask(BSTR name, LONG flags) override {
    g_record.deleted.push_back(name);
    return S_OK;
  }
};

class FakeService : public setup_test::ITaskServiceStub {
 public:
  HRESULT InternalQueryInterface(REFIID iid, void** out) { return QueryInterfaceTable<ITaskService>(this, iid, out); }
  HRESULT STDMETHODCALLTYPE Connect(VARIANT, VARIANT, VARIANT, VARIANT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override {
    g_record.folder = path;
    *folder = CComObject<FakeFolder>::Create();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE NewTask(DWORD, ITaskDefinition** definition) override {
    *definition = CComObject<FakeDefinition>::Create();
    return S_OK;
  }
};

HRESULT CreateFakeService(ITaskService** out) {
  *out = CComObject<FakeService>::Create();
  return S_OK;
}

class TaskScheduler2Test : public testing::Test {
 protected:
  void SetUp() override {
    g_record = ServiceRecord();
    saved_ = SetupFrameworkNS::Waits();
    SetupFrameworkNS::Waits().task_poll_ms = 0;
    SetTaskServiceFactory(CreateFakeService);
  }
  void TearDown() override {
    SetTaskServiceFactory(nullptr);
    SetupFrameworkNS::Waits() = saved_;
  }
  SetupFrameworkNS::SetupWaits saved_;
};

TEST_F(TaskScheduler2Test, TaskSeenRunningIsDeletedAtOnce) {
  g_record.running_at_poll = 2;
  // The host set its COM security already: the connection goes on with it.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT, RPC_C_IMP_LEVEL_IDENTIFY, nullptr,
                       EOAC_NONE, nullptr);
  EXPECT_TRUE(StartTrayByTask(L"C:\\Program Files\\Torvan\\Kestrin\\Kestrin.exe", 2));
  CoUninitialize();
  EXPECT_EQ(L"\\", g_record.folder);
  EXPECT_EQ(std::vector<TASK_TRIGGER_TYPE2>{TASK_TRIGGER_REGISTRATION}, g_record.triggers);
  EXPECT_EQ(std::vector<TASK_ACTION_TYPE>{TASK_ACTION_EXEC}, g_record.actions);
  EXPECT_EQ(L"C:\\Program Files\\Torvan\\Kestrin\\Kestrin.exe", g_record.path);
  EXPECT_EQ(L"", g_record.arguments);
  EXPECT_EQ(TASK_CREATE, g_record.register_flags);
  EXPECT_EQ(L"S-1-5-32-545", g_record.user);
  EXPECT_EQ(L"", g_record.sddl);
  EXPECT_EQ(TASK_LOGON_GROUP, g_record.logon);
  EXPECT_EQ(38u, g_record.task_name.size());
  EXPECT_EQ(2, g_record.polls);
  EXPECT_EQ(std::vector<std::wstring>{g_record.task_name}, g_record.deleted);
}

TEST_F(TaskScheduler2Test, TaskNeverSeenRunningIsDeletedAndReportedAsFailure) {
  g_record.running_at_poll = 0;
  EXPECT_FALSE(StartTrayByTask(L"C:\\Kestrin.exe", 2));
  EXPECT_EQ(15, g_record.polls);
  EXPECT_EQ(std::vector<std::wstring>{g_record.task_name}, g_record.deleted);
}

TEST_F(TaskScheduler2Test, LaterStartUsesATimeTriggerAtTheStartMinute) {
  g_record.running_at_poll = 1;
  std::unique_ptr<CTaskScheduler> scheduler(CreateTaskScheduler(2));
  TaskTime when(_time64(nullptr));
  scheduler->SetStartTime(when);
  scheduler->SetProgramPath(L"C:\\Kestrin.exe");
  EXPECT_TRUE(scheduler->CreateAndRunTask(L"{00000000-0000-0000-0000-000000000001}"));
  EXPECT_EQ(std::vector<TASK_TRIGGER_TYPE2>{TASK_TRIGGER_TIME}, g_record.triggers);
  EXPECT_EQ(when.Text(), g_record.start_boundary);
}

TEST(TaskTime, TextAndFields) {
  EXPECT_EQ(L"", TaskTime().Text());
  EXPECT_EQ(-1, TaskTime().Year());
  TaskTime bad(-1000000000000LL);
  EXPECT_EQ(TaskTime::kInvalid, bad.status());
  EXPECT_EQ(L"Invalid DateTime", bad.Text());
  EXPECT_EQ(-1, bad.Minute());

  __time64_t now = _time64(nullptr);
  struct tm local;
  ASSERT_EQ(0, _localtime64_s(&local, &now));
  TaskTime t(now);
  ASSERT_EQ(TaskTime::kValid, t.status());
  EXPECT_EQ(local.tm_year + 1900, t.Year());
  EXPECT_EQ(local.tm_mon + 1, t.Month());
  EXPECT_EQ(local.tm_mday, t.Day());
  EXPECT_EQ(local.tm_hour, t.Hour());
  EXPECT_EQ(local.tm_min, t.Minute());
  wchar_t expected[32];
  swprintf(expected, 32, L"%04d-%02d-%02dT%02d:%02d:00", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
           local.tm_hour, local.tm_min);
  EXPECT_EQ(expected, t.Text());
}

TEST(TaskNames, FreshGuidEveryTime) {
  std::wstring a, b;
  ASSERT_TRUE(MakeTaskName(&a));
  ASSERT_TRUE(MakeTaskName(&b));
  EXPECT_NE(a, b);
  EXPECT_EQ(38u, a.size());
  EXPECT_EQ(L'{', a.front());
  EXPECT_EQ(L'}', a.back());
}

TEST(TaskSchedulerKind, FollowsTheOSClass) {
  const int expected[] = {0, 0, 0, 0, 0, 1, 1, 1, 2, 0};
  for (int os_class = 0; os_class < 10; ++os_class)
    EXPECT_EQ(expected[os_class], TaskSchedulerKindForOSClass(os_class)) << os_class;
  EXPECT_EQ(nullptr, CreateTaskScheduler(3));
}

// Task Scheduler 1.0 of the system.
class TaskScheduler1Test : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(TaskScheduler1Test, WorkItemCarriesUserFlagsRunTimeAndOneTimeTrigger) {
  const std::wstring program = setup_test::BesideTest(L"Kestrin.exe");
  std::wstring name;
  ASSERT_TRUE(MakeTaskName(&name));
  TaskTime when(_time64(nullptr));
  {
    CTaskSchedulerNT5 scheduler;
    scheduler.SetStartTime(when);
    scheduler.SetProgramPath(program);
    ASSERT_TRUE(scheduler.CreateAndRunTask(name.c_str()));
  }
  CComPtr<ITaskScheduler> system;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITaskScheduler, reinterpret_cast<void**>(&system)));
  CComPtr<ITask> task;
  ASSERT_HRESULT_SUCCEEDED(system->Activate(name.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(&task)));
  LPWSTR text = nullptr;
  ASSERT_HRESULT_SUCCEEDED(task->GetApplicationName(&text));
  EXPECT_EQ(program, text);
  CoTaskMemFree(text);
  DWORD flags = 0;
  ASSERT_HRESULT_SUCCEEDED(task->GetFlags(&flags));
  EXPECT_EQ(0x2202u, flags);
  DWORD max_run = 0;
  ASSERT_HRESULT_SUCCEEDED(task->GetMaxRunTime(&max_run));
  EXPECT_EQ(INFINITE, max_run);
  wchar_t user[256];
  DWORD user_length = 256;
  ASSERT_TRUE(GetUserNameW(user, &user_length));
  if (SUCCEEDED(task->GetAccountInformation(&text))) {
    EXPECT_EQ(std::wstring(user), text);
    CoTaskMemFree(text);
  }
  CComPtr<ITaskTrigger> trigger;
  ASSERT_HRESULT_SUCCEEDED(task->GetTrigger(0, &trigger));
  TASK_TRIGGER set = {};
  ASSERT_HRESULT_SUCCEEDED(trigger->GetTrigger(&set));
  EXPECT_EQ(TASK_TIME_TRIGGER_ONCE, set.TriggerType);
  EXPECT_EQ(when.Year(), set.wBeginYear);
  EXPECT_EQ(when.Month(), set.wBeginMonth);
  EXPECT_EQ(when.Day(), set.wBeginDay);
  EXPECT_EQ(when.Hour(), set.wStartHour);
  EXPECT_EQ(when.Minute(), set.wStartMinute);
  trigger.Release();
  task.Release();

  CTaskSchedulerNT5 remover;
  EXPECT_TRUE(remover.DeleteTask(name.c_str()));
  EXPECT_FALSE(SUCCEEDED(system->Activate(name.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(&task))));
}

// The start registers a saved work item for the program and asks the scheduler to run it.
// (Wine's scheduler accepts the run request but never starts the program.)
TEST_F(TaskScheduler1Test, StartByTaskSavesAWorkItemForTheProgram) {
  const std::wstring program = setup_test::BesideTest(L"Kestrin.exe");
  ASSERT_TRUE(setup_test::CopyStandIn(L"start_recorder.exe", program));
  EXPECT_FALSE(StartTrayByTask(L"", 1));
  ASSERT_TRUE(StartTrayByTask(program.c_str(), 1));

  CComPtr<ITaskScheduler> system;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITaskScheduler, reinterpret_cast<void**>(&system)));
  CComPtr<IEnumWorkItems> items;
  ASSERT_HRESULT_SUCCEEDED(system->Enum(&items));
  int for_program = 0, seen = 0;
  LPWSTR* names = nullptr;
  ULONG fetched = 0;
  while (items->Next(1, &names, &fetched) == S_OK && fetched == 1) {
    CComPtr<ITask> task;
    LPWSTR application = nullptr;
    std::wstring name = names[0];
    CoTaskMemFree(names[0]);
    CoTaskMemFree(names);
    ++seen;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, L".job") == 0) name.resize(name.size() - 4);
    if (SUCCEEDED(system->Activate(name.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(&task))) &&
        SUCCEEDED(task->GetApplicationName(&application))) {
      if (program == application) {
        ++for_program;
        EXPECT_EQ(38u, name.size());
      }
      CoTaskMemFree(application);
    }
  }
  EXPECT_EQ(1, for_program) << seen << " work items";
}

}  // namespace
}  // namespace UtilityClassesNS
