#include "setup/task_scheduler.h"

#include <oleauto.h>
#include <time.h>
#include <wchar.h>

#include <memory>
#include <vector>

#include "common/utility/platform.h"
#include "platform/com/com_values.h"
#include "setup/setup_helpers.h"

namespace UtilityClassesNS {

using KestrinComNS::CBstr;
using KestrinComNS::CComPtr;
using KestrinComNS::CVariant;

namespace {

const CLSID kClsidCTaskScheduler = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kIidITaskScheduler = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const CLSID kClsidCTask = {0x148BD520, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kIidITask = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const CLSID kClsidTaskScheduler = {0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
const IID kIidITaskService = {0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};
const IID kIidITimeTrigger = {0xB45747E0, 0xEBA7, 0x4276, {0x9F, 0x29, 0x85, 0xC5, 0xBB, 0x30, 0x00, 0x06}};
const IID kIidIExecAction = {0x4C3D624D, 0xFD6B, 0x49A3, {0xB9, 0xB7, 0x09, 0xCB, 0x3C, 0xD3, 0xF0, 0x47}};
const IID kIidIPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT CreateSystemTaskService(ITaskService** out) {
  return CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidITaskService,
                          reinterpret_cast<void**>(out));
}

TaskServiceFactory g_task_service_factory = CreateSystemTaskService;

// A variant holding a copy of the text.
void SetText(CVariant* variant, const wchar_t* text) {
  VARIANT* v = variant->Receive();
  v->vt = VT_BSTR;
  v->bstrVal = SysAllocString(text);
}

}  // namespace

TaskTime::TaskTime(__time64_t seconds) {
  struct tm local;
  if (_localtime64_s(&local, &seconds) != 0) {
    status_ = kInvalid;
    return;
  }
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(local.tm_year + 1900);
  st.wMonth = static_cast<WORD>(local.tm_mon + 1);
  st.wDay = static_cast<WORD>(local.tm_mday);
  st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  st.wHour = static_cast<WORD>(local.tm_hour);
  st.wMinute = static_cast<WORD>(local.tm_min);
  st.wSecond = static_cast<WORD>(local.tm_sec);
  SYSTEMTIME back = {};
  if (SystemTimeToVariantTime(&st, &date_) && VariantTimeToSystemTime(date_, &back) && back.wYear == st.wYear &&
      back.wMonth == st.wMonth && back.wDay == st.wDay && back.wHour == st.wHour && back.wMinute == st.wMinute &&
      back.wSecond == st.wSecond) {
    status_ = kValid;
  } else {
    status_ = kInvalid;
  }
}

int TaskTime::Field(WORD SYSTEMTIME::*field) const {
  if (status_ != kValid) return -1;
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(date_, &st)) return -1;
  return st.*field;
}

std::wstring TaskTime::Text() const {
  if (status_ == kNull) return std::wstring();
  if (status_ == kInvalid) return L"Invalid DateTime";
  wchar_t text[32];
  swprintf(text, 32, L"%04d-%02d-%02dT%02d:%02d:00", Year(), Month(), Day(), Hour(), Minute());
  return text;
}

bool CTaskSchedulerNT5::Connect() {
  if (scheduler_) return true;
  return SUCCEEDED(CoCreateInstance(kClsidCTaskScheduler, nullptr, CLSCTX_ALL, kIidITaskScheduler,
                                    reinterpret_cast<void**>(&scheduler_)));
}

bool CTaskSchedulerNT5::CreateAndRunTask(const wchar_t* name) {
  if (!Connect()) return false;
  CComPtr<ITask> task;
  if (FAILED(scheduler_->NewWorkItem(name, kClsidCTask, kIidITask, reinterpret_cast<IUnknown**>(&task))))
    return false;
  if (FAILED(task->SetApplicationName(program_path_.c_str()))) return false;
  task->SetFlags(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_HIDDEN | TASK_FLAG_DELETE_WHEN_DONE);
  DWORD length = 0;
  GetUserNameW(nullptr, &length);
  if (length == 0) return false;
  std::vector<wchar_t> user(length);
  if (!GetUserNameW(user.data(), &length)) return false;
  if (FAILED(task->SetAccountInformation(user.data(), nullptr))) return false;
  if (FAILED(task->SetMaxRunTime(INFINITE))) return false;
  CComPtr<ITaskTrigger> trigger;
  WORD trigger_index = 0;
  if (FAILED(task->CreateTrigger(&trigger_index, &trigger))) return false;
  TASK_TRIGGER when = {};
  when.cbTriggerSize = sizeof(when);  // the scheduler refuses a trigger without its size
  when.wBeginYear = static_cast<WORD>(start_time_.Year());
  when.wBeginMonth = static_cast<WORD>(start_time_.Month());
  when.wBeginDay = static_cast<WORD>(start_time_.Day());
  when.wStartHour = static_cast<WORD>(start_time_.Hour());
  when.wStartMinute = static_cast<WORD>(start_time_.Minute());
  when.TriggerType = TASK_TIME_TRIGGER_ONCE;
  if (FAILED(trigger->SetTrigger(&when))) return false;
  CComPtr<IPersistFile> file;
  if (FAILED(task->QueryInterface(kIidIPersistFile, reinterpret_cast<void**>(&file)))) return false;
  if (FAILED(file->Save(nullptr, TRUE))) return false;
  if (run_now_ && FAILED(task->Run())) return false;
  return true;
}

bool CTaskSchedulerNT5::DeleteTask(const wchar_t* name) {
  if (!Connect()) return false;
  StopTaskIfRunning(name, scheduler_);
  return SUCCEEDED(scheduler_->Delete(name));
}

bool CTaskSchedulerNT6::Connect() {
  if (service_) return true;
  // A host that set its process's COM security before loading us makes this call fail
  // (RPC_E_TOO_LATE): the security in force is used then.
  HRESULT hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  (void)hr;
  return SUCCEEDED(g_task_service_factory(&service_));
}

bool CTaskSchedulerNT6::ConnectService() {
  if (!Connect()) return false;
  CVariant server, user, domain, password;
  return SUCCEEDED(service_->Connect(*server.Get(), *user.Get(), *domain.Get(), *password.Get()));
}

bool CTaskSchedulerNT6::CreateAndRunTask(const wchar_t* name) {
  if (!ConnectService()) return false;
  CComPtr<ITaskFolder> root;
  if (FAILED(service_->GetFolder(CBstr(L"\\").Get(), &root))) return false;
  CComPtr<ITaskDefinition> definition;
  if (FAILED(service_->NewTask(0, &definition))) return false;

  CComPtr<ITriggerCollection> triggers;
  if (FAILED(definition->get_Triggers(&triggers))) return false;
  CComPtr<ITrigger> trigger;
  if (run_now_) {
    if (FAILED(triggers->Create(TASK_TRIGGER_REGISTRATION, &trigger))) return false;
  } else {
    if (FAILED(triggers->Create(TASK_TRIGGER_TIME, &trigger))) return false;
    CComPtr<ITimeTrigger> time_trigger;
    if (FAILED(trigger->QueryInterface(kIidITimeTrigger, reinterpret_cast<void**>(&time_trigger)))) return false;
    if (FAILED(time_trigger->put_StartBoundary(CBstr(start_time_.Text().c_str()).Get()))) return false;
  }

  CComPtr<IActionCollection> actions;
  if (FAILED(definition->get_Actions(&actions))) return false;
  CComPtr<IAction> action;
  if (FAILED(actions->Create(TASK_ACTION_EXEC, &action))) return false;
  CComPtr<IExecAction> exec;
  if (FAILED(action->QueryInterface(kIidIExecAction, reinterpret_cast<void**>(&exec)))) return false;
  if (FAILED(exec->put_Path(CBstr(program_path_.c_str()).Get()))) return false;
  if (FAILED(exec->put_Arguments(CBstr(L"").Get()))) return false;

  CComPtr<IRegisteredTask> registered;
  CVariant users, no_password, security;
  SetText(&users, L"S-1-5-32-545");
  SetText(&security, L"");
  if (FAILED(root->RegisterTaskDefinition(CBstr(name).Get(), definition, TASK_CREATE, *users.Get(),
                                          *no_password.Get(), TASK_LOGON_GROUP, *security.Get(), &registered)))
    return false;

  const SetupFrameworkNS::SetupWaits& waits = SetupFrameworkNS::Waits();
  bool seen_running = false;
  for (int poll = 0; poll < waits.task_polls; ++poll) {
    TASK_STATE state = TASK_STATE_UNKNOWN;
    if (SUCCEEDED(registered->get_State(&state)) && state == TASK_STATE_RUNNING) {
      seen_running = true;
      break;
    }
    if (poll + 1 < waits.task_polls) Sleep(waits.task_poll_ms);
  }
  // The task has done its work once it runs; one never seen running would stay registered
  // for good, so it goes as well.
  bool deleted = SUCCEEDED(root->DeleteTask(CBstr(name).Get(), 0));
  return seen_running && deleted;
}

bool CTaskSchedulerNT6::DeleteTask(const wchar_t* name) {
  StopTaskIfRunning(name, nullptr);
  if (!ConnectService()) return false;
  CComPtr<ITaskFolder> root;
  if (FAILED(service_->GetFolder(CBstr(L"\\").Get(), &root))) return false;
  return SUCCEEDED(root->DeleteTask(CBstr(name).Get(), 0));
}

bool StopTaskIfRunning(const wchar_t* name, ITaskScheduler* scheduler) {
  CComPtr<ITaskScheduler> own;
  if (!scheduler) {
    if (FAILED(CoCreateInstance(kClsidCTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidITaskScheduler,
                                reinterpret_cast<void**>(&own))))
      return false;
    scheduler = own;
  }
  CComPtr<ITask> task;
  if (FAILED(scheduler->Activate(name, kIidITask, reinterpret_cast<IUnknown**>(&task)))) return false;
  HRESULT status = S_OK;
  if (FAILED(task->GetStatus(&status))) return false;
  if (status == SCHED_S_TASK_RUNNING) return SUCCEEDED(task->Terminate());
  return true;
}

int TaskSchedulerKindForOSClass(int os_class) {
  switch (os_class) {
    case OS_WIN2000:
    case OS_WINXP:
    case OS_WIN2003:
      return 1;
    case OS_VISTA:
      return 2;
    default:
      return 0;
  }
}

std::unique_ptr<CTaskScheduler> CreateTaskScheduler(int kind) {
  if (kind == 0) {
    static const int chosen = TaskSchedulerKindForOSClass(GetOSClass());
    kind = chosen;
  }
  if (kind == 1) return std::make_unique<CTaskSchedulerNT5>();
  if (kind == 2) return std::make_unique<CTaskSchedulerNT6>();
  return nullptr;
}

bool MakeTaskName(std::wstring* out) {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) return false;
  LPOLESTR text = nullptr;
  if (FAILED(StringFromCLSID(guid, &text))) return false;
  out->assign(text);
  CoTaskMemFree(text);
  return true;
}

bool StartTrayByTask(const wchar_t* program_path, int kind) {
  if (kind == 0) kind = TaskSchedulerKindForOSClass(GetOSClass());
  std::unique_ptr<CTaskScheduler> scheduler = CreateTaskScheduler(kind);
  if (!scheduler) return false;
  scheduler->SetRunNow(true);
  TaskTime now(_time64(nullptr));
  scheduler->SetStartTime(now);
  std::wstring name;
  if (!MakeTaskName(&name)) return false;
  if (!program_path || !*program_path) return false;
  scheduler->SetProgramPath(program_path);
  if (now.status() != TaskTime::kValid) return false;
  return scheduler->CreateAndRunTask(name.c_str());
}

void SetTaskServiceFactory(TaskServiceFactory factory) {
  g_task_service_factory = factory ? factory : CreateSystemTaskService;
}

}  // namespace UtilityClassesNS
