#include "common/utility/thread_helper.h"

#include <memory>
#include <new>

#include "platform/com/com_ptr.h"

namespace UtilityClassesNS {

namespace {

struct ThreadStart {
  CThreadHelper* helper;
  CThreadHelper::WorkerProc proc;
  void* param;
};

}  // namespace

CThreadHelper* CThreadHelper::Create(void* owner) {
  return KestrinComNS::CComObjectNoLock<CThreadHelper>::Create(owner);
}

void CThreadHelper::Detach() {
  Lock();
  owner_ = nullptr;
  Unlock();
}

DWORD WINAPI CThreadHelper::ThreadMain(void* param) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
  KestrinComNS::CComPtr<CThreadHelper> hold;
  hold.Attach(start->helper);  // the reference StartThread took for this thread
  start->proc(start->helper, start->param);
  return 0;
}

HANDLE CThreadHelper::StartThread(WorkerProc proc, void* param) {
  if (!proc) return nullptr;
  ThreadStart* start = new (std::nothrow) ThreadStart{this, proc, param};
  if (!start) return nullptr;
  AddRef();
  HANDLE thread = CreateThread(nullptr, 0, &CThreadHelper::ThreadMain, start, 0, nullptr);
  if (!thread) {
    Release();  // the thread's reference taken above: no thread will let it go
    delete start;
  }
  return thread;
}

}  // namespace UtilityClassesNS
