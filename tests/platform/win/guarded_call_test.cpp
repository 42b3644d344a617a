#include "platform/win/guarded_call.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win/scoped_handle.h"

#include <stdexcept>

namespace {

// Read through a volatile so that the compiler cannot see the null pointer coming.
int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;

// Stand-ins for a library function that faults, with the calling convention of one.
__attribute__((noinline)) HRESULT WINAPI WritesThroughNull(int value) {
  *g_nowhere = value;
  return S_OK;
}
__attribute__((noinline)) int WINAPI DividesByZero(int value) { return value / g_zero; }
__attribute__((noinline)) HRESULT WINAPI Succeeds(int value) { return value == 7 ? S_OK : S_FALSE; }

DWORD WINAPI FaultOnThread(void* result) {
  *static_cast<bool*>(result) = platform::GuardedCall([] { WritesThroughNull(1); });
  return 0;
}

}  // namespace

TEST(GuardedCallTest, AFaultInsideTheCallBecomesAFailure) {
  EXPECT_EQ(platform::GuardedCallOr<HRESULT>(E_FAIL, [] { return WritesThroughNull(3); }), E_FAIL);
  EXPECT_EQ(platform::GuardedCallOr<int>(-1, [] { return DividesByZero(5); }), -1);
  // The guard is whole again after a fault, and a call that returns keeps its result.
  EXPECT_EQ(platform::GuardedCallOr<HRESULT>(E_FAIL, [] { return Succeeds(7); }), S_OK);
  EXPECT_EQ(platform::GuardedCallOr<HRESULT>(E_FAIL, [] { return Succeeds(8); }), S_FALSE);
  int after = 0;
  EXPECT_TRUE(platform::GuardedCall([&] { after = 42; }));
  EXPECT_EQ(after, 42);
}

TEST(GuardedCallTest, GuardsNestAndExceptionsAreCaught) {
  bool inner = true;
  const bool outer = platform::GuardedCall([&] {
    inner = platform::GuardedCall([] { WritesThroughNull(2); });
    // Back in the outer guard, which still holds.
    WritesThroughNull(4);
  });
  EXPECT_FALSE(inner);
  EXPECT_FALSE(outer);
  EXPECT_FALSE(platform::GuardedCall([] { throw std::runtime_error("thrown inside"); }));
  // An exception thrown and caught inside the call stays the call's business.
  int caught = 0;
  EXPECT_TRUE(platform::GuardedCall([&] {
    try {
      throw 5;
    } catch (int v) {
      caught = v;
    }
  }));
  EXPECT_EQ(caught, 5);
}

TEST(GuardedCallTest, EachThreadHasItsOwnGuard) {
  bool result = true;
  KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 0, &FaultOnThread, &result, 0, nullptr));
  ASSERT_TRUE(thread);
  ASSERT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_FALSE(result);
  EXPECT_EQ(platform::GuardedCallOr<HRESULT>(E_FAIL, [] { return Succeeds(7); }), S_OK);
}
