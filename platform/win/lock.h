// A critical section with one owner, and the scoped lock that enters and leaves it (or any lock
// with Lock and Unlock).
#pragma once

#include <windows.h>

namespace KestrinWinNS {

class CCriticalSection {
 public:
  CCriticalSection() { InitializeCriticalSection(&cs_); }
  ~CCriticalSection() { DeleteCriticalSection(&cs_); }
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

  void Lock() { EnterCriticalSection(&cs_); }
  void Unlock() { LeaveCriticalSection(&cs_); }
  bool TryLock() { return TryEnterCriticalSection(&cs_) != FALSE; }

 private:
  CRITICAL_SECTION cs_;
};

template <class Lock = CCriticalSection>
class CScopedLock {
 public:
  explicit CScopedLock(Lock& lock) : lock_(lock) { lock_.Lock(); }
  ~CScopedLock() { lock_.Unlock(); }
  CScopedLock(const CScopedLock&) = delete;
  CScopedLock& operator=(const CScopedLock&) = delete;

 private:
  Lock& lock_;
};

}  // namespace KestrinWinNS
