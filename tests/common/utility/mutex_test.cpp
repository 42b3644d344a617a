#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/utility/mutex.h"
#include "common/utility/platform.h"
#include "platform/win/scoped_handle.h"
#include "tests/common/utility/test_options.h"

using namespace UtilityClassesNS;

namespace {

std::string UniqueName(const char* base) {
  return std::string(base) + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

// Runs fn on another thread and waits for it.
template <typename Fn>
void OnOtherThread(Fn fn) {
  struct Call {
    static DWORD WINAPI Run(void* p) {
      (*static_cast<Fn*>(p))();
      return 0;
    }
  };
  KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 0, &Call::Run, &fn, 0, nullptr));
  ASSERT_NE(thread.Get(), nullptr);
  ASSERT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
}

bool NamespaceFunctionsPresent() {
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  return GetProcAddress(kernel32, "CreatePrivateNamespaceA") && GetProcAddress(kernel32, "CreateBoundaryDescriptorA");
}

}  // namespace

TEST(MutexNT5, ResultsOfLockUnlockAndCreator) {
  std::string name = UniqueName("KestrinTestMutex");
  CMutexNT5 first(name.c_str(), 50);
  EXPECT_EQ(first.IsCreator(), 1);
  CMutexNT5 second(name.c_str(), 50);
  EXPECT_EQ(second.IsCreator(), 0);

  EXPECT_EQ(first.Unlock(), 1) << "not held yet";
  EXPECT_EQ(first.Lock(), 0);
  EXPECT_EQ(first.Lock(), 1) << "already held by this object";
  // Ownership belongs to the thread: a second object on this thread takes it at once.
  EXPECT_EQ(second.Lock(), 0);
  EXPECT_EQ(second.Unlock(), 0);

  OnOtherThread([&] {
    CMutexNT5 other(name.c_str(), 50);
    EXPECT_EQ(other.Lock(), 1) << "held by the main thread: times out";
  });
  EXPECT_EQ(first.Unlock(), 0);
  EXPECT_EQ(first.Unlock(), 1);
  OnOtherThread([&] {
    CMutexNT5 other(name.c_str(), 50);
    EXPECT_EQ(other.Lock(), 0);
    EXPECT_EQ(other.Unlock(), 0);
  });
}

TEST(MutexNT5, AbandonedMutexCountsAsTaken) {
  std::string name = UniqueName("KestrinTestAbandoned");
  OnOtherThread([&] {
    HANDLE raw = CreateMutexA(nullptr, TRUE, name.c_str());  // owned, never released
    ASSERT_NE(raw, nullptr);
    // The handle stays open in the process; the owning thread ends, abandoning the mutex.
  });
  CMutexNT5 mutex(name.c_str(), 1000);
  EXPECT_EQ(mutex.IsCreator(), 0);
  EXPECT_EQ(mutex.Lock(), 0);
  EXPECT_EQ(mutex.Unlock(), 0);
}

TEST(MutexNT5, DestructorReleasesAHeldMutex) {
  std::string name = UniqueName("KestrinTestRelease");
  {
    CMutexNT5 mutex(name.c_str(), 50);
    ASSERT_EQ(mutex.Lock(), 0);
  }
  KestrinWinNS::CScopedKernelHandle keep(CreateMutexA(nullptr, FALSE, name.c_str()));  // keeps the name alive
  CMutexNT5 again(name.c_str(), 50);
  OnOtherThread([&] {
    CMutexNT5 other(name.c_str(), 50);
    EXPECT_EQ(other.Lock(), 0) << "the destroyed holder must have released it";
  });
  keep.Reset();
}

TEST(MutexNT5, FailedCreationGivesNoUsableMutex) {
  // A name with a backslash outside the known namespaces cannot be created.
  CMutexNT5 mutex("NoSuchNamespace\\KestrinTest", 50);
  EXPECT_EQ(mutex.Lock(), E_FAIL);
  EXPECT_EQ(mutex.Unlock(), 1);
  EXPECT_EQ(mutex.IsCreator(), E_FAIL);
}

TEST(MutexNT6, FollowsThePrivateNamespaceSupport) {
  std::string name = UniqueName("KestrinTestVista");
  CMutexNT6 mutex(name.c_str(), 50);
  if (NamespaceFunctionsPresent()) {
    EXPECT_TRUE(CMutexNT6::IsNamespaceReady());
    EXPECT_EQ(mutex.IsCreator(), 1);
    EXPECT_EQ(mutex.Lock(), 0);
    CMutexNT6 second(name.c_str(), 50);
    EXPECT_EQ(second.IsCreator(), 0);
    EXPECT_EQ(mutex.Unlock(), 0);
  } else {
    // Without the namespace functions the Vista kind has no mutex at all.
    EXPECT_FALSE(CMutexNT6::IsNamespaceReady());
    EXPECT_EQ(mutex.Lock(), E_FAIL);
    EXPECT_EQ(mutex.Unlock(), 1);
    EXPECT_EQ(mutex.IsCreator(), E_FAIL);
  }
}

TEST(MutexHolder, ChoosesTheKindByOSClass) {
  std::string name = UniqueName("KestrinTestHolder");
  CMutexHolder holder(name.c_str(), 50);
  ASSERT_NE(holder.Get(), nullptr);
  bool vista_kind = dynamic_cast<CMutexNT6*>(holder.Get()) != nullptr;
  EXPECT_EQ(vista_kind, GetOSClass() == OS_VISTA);
  if (kestrin_test::g_expected_os_class == 0) {
    EXPECT_FALSE(vista_kind) << "Windows 7 uses the plain kind";
  }
  if (!vista_kind || NamespaceFunctionsPresent()) {
    EXPECT_EQ(holder.Lock(), 0);
    EXPECT_EQ(holder.Unlock(), 0);
  } else {
    EXPECT_EQ(holder.Lock(), E_FAIL);
  }
}
