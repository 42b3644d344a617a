// The reference-counted handle worker threads hold on their owner. The owner detaches itself
// before it goes; a worker takes the lock, checks GetOwner() and only then uses the owner.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace UtilityClassesNS {

class CThreadHelper final : public IUnknown {
 public:
  typedef void (*WorkerProc)(CThreadHelper* helper, void* param);

  // Starts with one reference, held by the owner.
  explicit CThreadHelper(void* owner);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // Guard the owner pointer: a worker holds the lock while it uses the owner, the owner
  // while it detaches.
  void Lock() { EnterCriticalSection(&cs_); }
  void Unlock() { LeaveCriticalSection(&cs_); }
  void* GetOwner() const { return owner_; }
  void Detach();

  // Runs proc(this, param) on a new thread that holds a reference until proc returns.
  // Returns the thread handle (the caller closes it) or null.
  HANDLE StartThread(WorkerProc proc, void* param);

 private:
  ~CThreadHelper();
  CThreadHelper(const CThreadHelper&) = delete;
  CThreadHelper& operator=(const CThreadHelper&) = delete;

  static DWORD WINAPI ThreadMain(void* param);

  LONG refs_ = 1;
  CRITICAL_SECTION cs_;
  void* volatile owner_;
};

}  // namespace UtilityClassesNS
