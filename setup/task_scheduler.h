// A one-shot scheduled task that starts the tray program for the logged-on user: Task
// Scheduler 1.0 (Windows 2000 to Server 2003) and 2.0 (Vista).
#pragma once

#include <windows.h>
#include <mstask.h>
#include <taskschd.h>

#include <memory>
#include <string>

#include "platform/com/com_ptr.h"

namespace ComHelpersNS {

// Initialises COM for the calling thread as a single-threaded apartment while it lives.
class CComInitializer {
 public:
  CComInitializer() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~CComInitializer() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  CComInitializer(const CComInitializer&) = delete;
  CComInitializer& operator=(const CComInitializer&) = delete;

 private:
  HRESULT hr_;
};

}  // namespace ComHelpersNS

namespace UtilityClassesNS {

// A point in time as a COM date, built from seconds since 1970 (UTC) in local time.
class TaskTime {
 public:
  enum Status { kValid = 0, kInvalid = 1, kNull = 2 };
  TaskTime() = default;
  explicit TaskTime(__time64_t seconds);

  Status status() const { return status_; }
  DATE date() const { return date_; }
  int Year() const { return Field(&SYSTEMTIME::wYear); }
  int Month() const { return Field(&SYSTEMTIME::wMonth); }
  int Day() const { return Field(&SYSTEMTIME::wDay); }
  int Hour() const { return Field(&SYSTEMTIME::wHour); }
  int Minute() const { return Field(&SYSTEMTIME::wMinute); }
  // "" when null, "Invalid DateTime" when invalid, else "YYYY-MM-DDTHH:MM:00".
  std::wstring Text() const;

 private:
  int Field(WORD SYSTEMTIME::*field) const;
  DATE date_ = 0;
  Status status_ = kNull;
};

class CTaskScheduler : public ComHelpersNS::CComInitializer {
 public:
  virtual bool CreateAndRunTask(const wchar_t* name) = 0;
  virtual bool DeleteTask(const wchar_t* name) = 0;
  virtual bool Connect() = 0;
  virtual ~CTaskScheduler() = default;

  void SetStartTime(const TaskTime& time) { start_time_ = time; }
  void SetProgramPath(const std::wstring& path) { program_path_ = path; }
  void SetRunNow(bool run_now) { run_now_ = run_now; }

 protected:
  TaskTime start_time_;
  std::wstring program_path_;
  bool run_now_ = false;
};

class CTaskSchedulerNT5 : public CTaskScheduler {
 public:
  bool CreateAndRunTask(const wchar_t* name) override;
  bool DeleteTask(const wchar_t* name) override;
  bool Connect() override;

 private:
  KestrinComNS::CComPtr<ITaskScheduler> scheduler_;
};

class CTaskSchedulerNT6 : public CTaskScheduler {
 public:
  bool CreateAndRunTask(const wchar_t* name) override;
  bool DeleteTask(const wchar_t* name) override;
  bool Connect() override;

 private:
  bool ConnectService();
  KestrinComNS::CComPtr<ITaskService> service_;
};

// Kind 1 Task Scheduler 1.0, 2 Task Scheduler 2.0, 0 chosen from the OS class (2000, XP and
// Server 2003: 1; Vista: 2; anything else: none).
std::unique_ptr<CTaskScheduler> CreateTaskScheduler(int kind);
int TaskSchedulerKindForOSClass(int os_class);

bool MakeTaskName(std::wstring* out);
// Registers a one-shot task that starts the program now. Kind as for CreateTaskScheduler.
bool StartTrayByTask(const wchar_t* program_path, int kind = 0);
bool StopTaskIfRunning(const wchar_t* name, ITaskScheduler* scheduler);

// Where Task Scheduler 2.0 comes from: the system's service unless a test gives its own.
using TaskServiceFactory = HRESULT (*)(ITaskService** out);
void SetTaskServiceFactory(TaskServiceFactory factory);

}  // namespace UtilityClassesNS
