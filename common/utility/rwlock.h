// A reader/writer lock for the threads of one process that lets waiting writers go first.
// Not re-entrant: a reader asking to write waits for ever.
#pragma once

#include <windows.h>

#include "platform/win/lock.h"
#include "platform/win/scoped_handle.h"

namespace UtilityClassesNS {

class CReadWriteLock {
 public:
  CReadWriteLock();
  ~CReadWriteLock();
  void LockRead();
  void LockWrite();
  void Unlock();

 private:
  CReadWriteLock(const CReadWriteLock&) = delete;
  CReadWriteLock& operator=(const CReadWriteLock&) = delete;

  KestrinWinNS::CCriticalSection cs_;
  KestrinWinNS::CScopedKernelHandle readers_sem_;
  KestrinWinNS::CScopedKernelHandle writers_sem_;
  LONG waiting_readers_ = 0;
  LONG waiting_writers_ = 0;
  LONG state_ = 0;  // > 0 readers inside, -1 a writer inside, 0 free
};

class CReadLockGuard {
 public:
  explicit CReadLockGuard(CReadWriteLock& lock) : lock_(lock) { lock_.LockRead(); }
  ~CReadLockGuard() { lock_.Unlock(); }
 private:
  CReadWriteLock& lock_;
};

class CWriteLockGuard {
 public:
  explicit CWriteLockGuard(CReadWriteLock& lock) : lock_(lock) { lock_.LockWrite(); }
  ~CWriteLockGuard() { lock_.Unlock(); }
 private:
  CReadWriteLock& lock_;
};

}  // namespace UtilityClassesNS
