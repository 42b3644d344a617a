#include "common/utility/rwlock.h"

namespace UtilityClassesNS {

namespace {
const LONG kMaxWaiters = 0x7FFFFFFF;
}

CReadWriteLock::CReadWriteLock()
    : readers_sem_(CreateSemaphoreA(nullptr, 0, kMaxWaiters, nullptr)),
      writers_sem_(CreateSemaphoreA(nullptr, 0, kMaxWaiters, nullptr)) {}

CReadWriteLock::~CReadWriteLock() = default;

void CReadWriteLock::LockRead() {
  cs_.Lock();
  bool wait = state_ < 0 || waiting_writers_ > 0;
  if (wait)
    ++waiting_readers_;
  else
    ++state_;
  cs_.Unlock();
  if (wait) WaitForSingleObject(readers_sem_.Get(), INFINITE);
}

void CReadWriteLock::LockWrite() {
  cs_.Lock();
  bool wait = state_ != 0;
  if (wait)
    ++waiting_writers_;
  else
    state_ = -1;
  cs_.Unlock();
  if (wait) WaitForSingleObject(writers_sem_.Get(), INFINITE);
}

void CReadWriteLock::Unlock() {
  HANDLE wake = nullptr;
  LONG count = 0;
  {
    KestrinWinNS::CScopedLock hold(cs_);
    if (state_ < 0)
      state_ = 0;
    else if (state_ > 0)
      --state_;
    if (state_ == 0) {
      if (waiting_writers_ > 0) {
        state_ = -1;
        --waiting_writers_;
        wake = writers_sem_.Get();
        count = 1;
      } else if (waiting_readers_ > 0) {
        state_ = waiting_readers_;
        count = waiting_readers_;
        waiting_readers_ = 0;
        wake = readers_sem_.Get();
      }
    }
  }
  if (wake) ReleaseSemaphore(wake, count, nullptr);
}

}  // namespace UtilityClassesNS
