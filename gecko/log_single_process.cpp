#include "gecko/log_single_process.h"
#include "platform/win/scoped_handle.h"

#include <memory>
#include <new>

#include "common/utility/thread_helper.h"

namespace LogHelperNS {

namespace {

volatile LONG g_started = 0;
volatile LONG g_pending = 0;

void Writer(UtilityClassesNS::CThreadHelper* helper, void* param) {
  std::unique_ptr<CLogWriteJob> job(static_cast<CLogWriteJob*>(param));
  helper->Lock();
  const bool logger_alive = helper->GetOwner() != nullptr;
  helper->Unlock();
  if (logger_alive) {
    KestrinWinNS::CScopedLock hold(CLogHelper::GetProcessLock());
    AppendToLogFile((job->folder + job->file_name).c_str(), job->line, job->size_limit);
  }
  job.reset();
  InterlockedDecrement(&g_pending);
}

}  // namespace

CLogHelperStateSingleProcess* CLogHelperStateSingleProcess::Instance() {
  static CLogHelperStateSingleProcess state;
  return &state;
}

void CLogHelperStateSingleProcess::Write(CLogHelper* logger, const char* text, int level, bool stamp) {
  if (!logger || !text || level > logger->GetLevel()) return;
  UtilityClassesNS::CThreadHelper* helper = logger->GetThreadHelper();
  if (!helper) return;
  CLogWriteJob* job = new (std::nothrow) CLogWriteJob{logger->GetSizeLimit(), FormatLine(text, level, stamp),
                                                      logger->GetLogFolder(), logger->GetLogFileName(), helper};
  if (!job) return;
  InterlockedIncrement(&g_pending);
  KestrinWinNS::CScopedKernelHandle thread(helper->StartThread(&Writer, job));
  if (!thread) {  // the entry is dropped
    delete job;
    InterlockedDecrement(&g_pending);
    return;
  }
  InterlockedIncrement(&g_started);
}

LONG CLogHelperStateSingleProcess::GetWritesStarted() { return g_started; }

bool CLogHelperStateSingleProcess::WaitForWrites(DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (g_pending > 0) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(5);
  }
  return true;
}

}  // namespace LogHelperNS
