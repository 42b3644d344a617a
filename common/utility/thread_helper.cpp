#include "common/utility/thread_helper.h"

#include <new>

namespace UtilityClassesNS {

namespace {

struct ThreadStart {
  CThreadHelper* helper;
  CThreadHelper::WorkerProc proc;
  void* param;
};

}  // namespace

CThreadHelper::CThreadHelper(void* owner) : owner_(owner) { InitializeCriticalSection(&cs_); }

CThreadHelper::~CThreadHelper() { DeleteCriticalSection(&cs_); }

STDMETHODIMP CThreadHelper::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *out = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CThreadHelper::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CThreadHelper::Release() {
  LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

void CThreadHelper::Detach() {
  Lock();
  owner_ = nullptr;
  Unlock();
}

DWORD WINAPI CThreadHelper::ThreadMain(void* param) {
  ThreadStart* start = static_cast<ThreadStart*>(param);
  start->proc(start->helper, start->param);
  start->helper->Release();
  delete start;
  return 0;
}

HANDLE CThreadHelper::StartThread(WorkerProc proc, void* param) {
  if (!proc) return nullptr;
  ThreadStart* start = new (std::nothrow) ThreadStart{this, proc, param};
  if (!start) return nullptr;
  AddRef();
  HANDLE thread = CreateThread(nullptr, 0, &CThreadHelper::ThreadMain, start, 0, nullptr);
  if (!thread) {
    Release();
    delete start;
  }
  return thread;
}

}  // namespace UtilityClassesNS
