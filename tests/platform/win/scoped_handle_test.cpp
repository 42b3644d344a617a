#include "platform/win/scoped_handle.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/win/lock.h"

namespace {

using KestrinWinNS::CScopedKernelHandle;

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

TEST(ScopedHandle, ClosesOnceWhetherResetOrGone) {
  HANDLE first = NewEvent();
  HANDLE second = NewEvent();
  {
    CScopedKernelHandle owner(first);
    ASSERT_TRUE(owner.IsValid());
    owner.Reset(second);
    EXPECT_FALSE(IsOpen(first));
    EXPECT_TRUE(IsOpen(second));
    owner.Reset(second);  // the same handle again is not closed
    EXPECT_TRUE(IsOpen(second));
  }
  EXPECT_FALSE(IsOpen(second));
}

TEST(ScopedHandle, TakeMoveAndReceiveHandOwnershipOn) {
  CScopedKernelHandle owner(NewEvent());
  HANDLE raw = owner.Get();
  CScopedKernelHandle moved(std::move(owner));
  EXPECT_FALSE(owner.IsValid());
  EXPECT_EQ(raw, moved.Get());

  HANDLE taken = moved.Take();
  EXPECT_FALSE(moved.IsValid());
  moved.Reset();
  EXPECT_TRUE(IsOpen(taken));  // the caller owns it now

  CScopedKernelHandle out(taken);
  HANDLE* slot = out.Receive();
  EXPECT_FALSE(IsOpen(taken));  // an out-parameter starts empty
  EXPECT_EQ(nullptr, *slot);
}

TEST(ScopedHandle, InvalidHandleValueCountsAsNone) {
  CScopedKernelHandle file(CreateFileA("Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                       nullptr));
  EXPECT_FALSE(file.IsValid());
  KestrinWinNS::CScopedFindHandle find;
  EXPECT_EQ(INVALID_HANDLE_VALUE, find.Get());
  EXPECT_FALSE(find.IsValid());
}

TEST(ScopedHandle, RegistryKeyIsClosed) {
  KestrinWinNS::CScopedRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.Receive()));
  HKEY raw = key.Get();
  key.Reset();
  EXPECT_NE(ERROR_SUCCESS, RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr));

}

TEST(CriticalSection, ScopedLockHoldsUntilItGoes) {
  KestrinWinNS::CCriticalSection cs;
  auto try_elsewhere = [&cs] {
    bool got = false;
    std::thread other([&] {
      got = cs.TryLock();
      if (got) cs.Unlock();
    });
    other.join();
    return got;
  };
  {
    KestrinWinNS::CScopedLock lock(cs);
    EXPECT_FALSE(try_elsewhere());
  }
  EXPECT_TRUE(try_elsewhere());
}

}  // namespace
