#include <gtest/gtest.h>
#include <windows.h>

#include "common/utility/region.h"
#include "common/utility/thread_helper.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_handle.h"

using namespace UtilityClassesNS;

TEST(RegionResource, BuildsTheStoredRegion) {
  KestrinWinNS::CScopedRegion region_owner;
  HRGN& region = *region_owner.Receive();
  ASSERT_TRUE(CreateRegionFromResource(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), &region));
  ASSERT_NE(region, nullptr);
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 25);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_TRUE(PtInRegion(region, 5, 5));
  EXPECT_TRUE(PtInRegion(region, 22, 2));
  EXPECT_FALSE(PtInRegion(region, 15, 5)) << "the gap between the squares";
  EXPECT_FALSE(PtInRegion(region, 22, 8));
  region_owner.Reset();

  EXPECT_FALSE(CreateRegionFromResource(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), &region));
  EXPECT_EQ(region, nullptr);
  EXPECT_FALSE(CreateRegionFromResource(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(102), &region))
      << "a record that claims more rectangles than it holds";
}

TEST(RegionResource, HolderReportsSizeAndData) {
  CResourceHolder holder(GetModuleHandleA(nullptr), "RGN");
  DWORD size = 0;
  const DWORD* data = static_cast<const DWORD*>(holder.LoadRgnResource(MAKEINTRESOURCEA(101), &size));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(size, 64u);
  EXPECT_EQ(data[0], 32u);
  EXPECT_EQ(data[2], 2u);
  EXPECT_EQ(holder.LoadRgnResource(MAKEINTRESOURCEA(998), &size), nullptr);
  EXPECT_EQ(size, 0u);
}

namespace {

struct Owner {
  volatile LONG visits = 0;
};

struct WorkerState {
  HANDLE go;
  volatile LONG saw_owner = -1;
};

void Visit(CThreadHelper* helper, void* param) {
  WorkerState* state = static_cast<WorkerState*>(param);
  WaitForSingleObject(state->go, 5000);
  helper->Lock();
  Owner* owner = static_cast<Owner*>(helper->GetOwner());
  if (owner) InterlockedIncrement(&owner->visits);
  InterlockedExchange(&state->saw_owner, owner ? 1 : 0);
  helper->Unlock();
}

}  // namespace

TEST(ThreadHelper, WorkersSeeTheOwnerUntilItDetaches) {
  Owner owner;
  CThreadHelper* helper = CThreadHelper::Create(&owner);
  helper->AddRef();  // keep a reference of the test's own to read the count

  KestrinWinNS::CScopedKernelHandle first_go(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  WorkerState first{first_go.Get()};
  KestrinWinNS::CScopedKernelHandle thread(helper->StartThread(&Visit, &first));
  ASSERT_NE(thread.Get(), nullptr);
  ASSERT_EQ(WaitForSingleObject(thread.Get(), 5000), WAIT_OBJECT_0);
  thread.Reset();
  EXPECT_EQ(first.saw_owner, 1);
  EXPECT_EQ(owner.visits, 1);

  // The owner goes while a worker is still waiting: the worker finds no owner.
  KestrinWinNS::CScopedKernelHandle second_go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  WorkerState second{second_go.Get()};
  thread.Reset(helper->StartThread(&Visit, &second));
  ASSERT_NE(thread.Get(), nullptr);
  helper->Detach();
  helper->Release();  // the owner's reference
  SetEvent(second.go);
  ASSERT_EQ(WaitForSingleObject(thread.Get(), 5000), WAIT_OBJECT_0);
  thread.Reset();
  EXPECT_EQ(second.saw_owner, 0);
  EXPECT_EQ(owner.visits, 1);
  // Both workers released their references: only the test's is left.
  EXPECT_EQ(helper->Release(), 0u);
}
