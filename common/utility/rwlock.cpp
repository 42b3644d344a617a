#include "common/utility/rwlock.h"

namespace UtilityClassesNS {

namespace {
const LONG kMaxWaiters = 0x7FFFFFFF;
}

CReadWriteLock::CReadWriteLock() {
  InitializeCriticalSection(&cs_);
  readers_sem_ = CreateSemaphoreA(nullptr, 0, kMaxWaiters, nullptr);
  writers_sem_ = CreateSemaphoreA(nullptr, 0, kMaxWaiters, nullptr);
}

CReadWriteLock::~CReadWriteLock() {
  DeleteCriticalSection(&cs_);
  if (readers_sem_) CloseHandle(readers_sem_);
  if (writers_sem_) CloseHandle(writers_sem_);
}

void CReadWriteLock::LockRead() {
  EnterCriticalSection(&cs_);
  bool wait = state_ < 0 || waiting_writers_ > 0;
  if (wait)
    ++waiting_readers_;
  else
    ++state_;
  LeaveCriticalSection(&cs_);
  if (wait) WaitForSingleObject(readers_sem_, INFINITE);
}

void CReadWriteLock::LockWrite() {
  EnterCriticalSection(&cs_);
  bool wait = state_ != 0;
  if (wait)
    ++waiting_writers_;
  else
    state_ = -1;
  LeaveCriticalSection(&cs_);
  if (wait) WaitForSingleObject(writers_sem_, INFINITE);
}

void CReadWriteLock::Unlock() {
  HANDLE wake = nullptr;
  LONG count = 0;
  EnterCriticalSection(&cs_);
  if (state_ < 0)
    state_ = 0;
  else if (state_ > 0)
    --state_;
  if (state_ == 0) {
    if (waiting_writers_ > 0) {
      state_ = -1;
      --waiting_writers_;
      wake = writers_sem_;
      count = 1;
    } else if (waiting_readers_ > 0) {
      state_ = waiting_readers_;
      count = waiting_readers_;
      waiting_readers_ = 0;
      wake = readers_sem_;
    }
  }
  LeaveCriticalSection(&cs_);
  if (wake) ReleaseSemaphore(wake, count, nullptr);
}

}  // namespace UtilityClassesNS
