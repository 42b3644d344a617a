// A reader/writer lock for the threads of one process that lets waiting writers go first.
// Not re-entrant: a reader asking to write waits for ever.
#pragma once

#include <windows.h>

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

  CRITICAL_SECTION cs_;
  HANDLE readers_sem_;
  HANDLE writers_sem_;
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
