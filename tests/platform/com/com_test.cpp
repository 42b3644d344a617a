#include <gtest/gtest.h>

#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_values.h"

namespace {

using namespace KestrinComNS;

class CThing : public IUnknown {
 public:
  HRESULT InternalQueryInterface(REFIID riid, void** out) { return QueryInterfaceTable<IUnknown>(this, riid, out); }

 protected:
  virtual ~CThing() = default;
};

TEST(ComObject, OnlyObjectsForClientsHoldTheModule) {
  const LONG before = CModuleLock::GetLockCount();
  CComPtr<IUnknown> held;
  held.Attach(CComObject<CThing>::Create());
  EXPECT_EQ(before + 1, CModuleLock::GetLockCount());
  CComPtr<IUnknown> helper;
  helper.Attach(CComObjectNoLock<CThing>::Create());
  EXPECT_EQ(before + 1, CModuleLock::GetLockCount());
  held.Release();
  EXPECT_EQ(before, CModuleLock::GetLockCount());
}

TEST(ComValues, VariantAndBstrReleaseWhatTheyHold) {
  CComObjectNoLock<CThing>* thing = CComObjectNoLock<CThing>::Create();
  {
    CVariant value;
    value.Get()->vt = VT_UNKNOWN;
    value.Get()->punkVal = thing;
    thing->AddRef();
    EXPECT_EQ(2, thing->GetRefCount());
  }
  EXPECT_EQ(1, thing->GetRefCount());
  {
    CVariant value;
    value.Get()->vt = VT_UNKNOWN;
    value.Get()->punkVal = thing;
    thing->AddRef();
    VARIANT taken = value.Take();
    EXPECT_EQ(VT_EMPTY, value->vt);
    VariantClear(&taken);
  }
  EXPECT_EQ(1, thing->GetRefCount());
  thing->Release();

  CBstr text(L"seal");
  EXPECT_EQ(4u, text.Length());
  BSTR taken = text.Take();
  EXPECT_EQ(nullptr, text.Get());
  SysFreeString(taken);
  CBstr out;
  *out.Receive() = SysAllocString(L"x");
  EXPECT_EQ(1u, out.Length());
}

}  // namespace
