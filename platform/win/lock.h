// A critical section with one owner, and the scoped lock that enters and leaves it.
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

class CScopedLock {
 public:
  explicit CScopedLock(CCriticalSection& cs) : cs_(cs) { cs_.Lock(); }
  ~CScopedLock() { cs_.Unlock(); }
  CScopedLock(const CScopedLock&) = delete;
  CScopedLock& operator=(const CScopedLock&) = delete;

 private:
  CCriticalSection& cs_;
};

}  // namespace KestrinWinNS
