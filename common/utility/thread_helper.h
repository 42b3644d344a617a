// The reference-counted handle worker threads hold on their owner. The owner detaches itself
// before it goes; a worker takes the lock, checks GetOwner() and only then uses the owner.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "platform/com/com_object.h"
#include "platform/win/lock.h"

namespace UtilityClassesNS {

class CThreadHelper : public IUnknown {
 public:
  typedef void (*WorkerProc)(CThreadHelper* helper, void* param);

  // A helper with one reference, held by the owner; null when out of memory.
  static CThreadHelper* Create(void* owner);

  HRESULT InternalQueryInterface(REFIID iid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IUnknown>(this, iid, out);
  }

  // Guard the owner pointer: a worker holds the lock while it uses the owner, the owner
  // while it detaches.
  void Lock() { lock_.Lock(); }
  void Unlock() { lock_.Unlock(); }
  void* GetOwner() const { return owner_; }
  void Detach();

  // Runs proc(this, param) on a new thread that holds a reference until proc returns.
  // Returns the thread handle (the caller closes it) or null.
  HANDLE StartThread(WorkerProc proc, void* param);

 protected:
  explicit CThreadHelper(void* owner) : owner_(owner) {}
  virtual ~CThreadHelper() = default;

 private:
  CThreadHelper(const CThreadHelper&) = delete;
  CThreadHelper& operator=(const CThreadHelper&) = delete;

  static DWORD WINAPI ThreadMain(void* param);

  KestrinWinNS::CCriticalSection lock_;
  void* volatile owner_;
};

}  // namespace UtilityClassesNS
