#include "toolkit/drawing/system_helpers.h"

#include <gtest/gtest.h>

#include "toolkit/drawing/theme_wrapper.h"

namespace {

OSVERSIONINFOW Version(DWORD platform, DWORD major, DWORD minor) {
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
  v.dwPlatformId = platform;
  v.dwMajorVersion = major;
  v.dwMinorVersion = minor;
  return v;
}

TEST(WindowsVersion, TestsByPlatformAndNumber) {
  struct Case {
    const char* name;
    OSVERSIONINFOW v;
    bool is95, is9x, nt4, w2k, xp;
  } cases[] = {
      {"95", Version(1, 4, 0), true, true, false, false, false},
      {"98", Version(1, 4, 10), false, true, false, false, false},
      {"NT 4", Version(2, 4, 0), false, false, true, false, false},
      {"2000", Version(2, 5, 0), false, false, true, true, false},
      {"XP", Version(2, 5, 1), false, false, true, true, true},
      {"Vista", Version(2, 6, 0), false, false, true, true, true},
  };
  for (const Case& c : cases) {
    CTKWindowsVersionInfo info(c.v);
    EXPECT_EQ(c.is95, info.IsWindows95()) << c.name;
    EXPECT_EQ(c.is9x, info.IsWindows9x()) << c.name;
    EXPECT_EQ(c.nt4, info.IsWindowsNT4OrLater()) << c.name;
    EXPECT_EQ(c.w2k, info.IsWindows2000OrLater()) << c.name;
    EXPECT_EQ(c.xp, info.IsWindowsXPOrLater()) << c.name;
  }
  EXPECT_TRUE(CTKWindowsVersionInfo(Version(2, 6, 1)).IsVersionAtLeast(6, 0));
  EXPECT_FALSE(CTKWindowsVersionInfo(Version(2, 5, 2)).IsVersionAtLeast(6, 0));
}

TEST(ModuleHandle, FoundOrLoadedAndVersionGatedProcs) {
  CTKModuleHandle kernel(L"kernel32.dll");
  EXPECT_EQ(CTKModuleHandle::Origin::Found, kernel.HowObtained());

  CTKModuleHandle comctl(L"comctl32.dll");
  ASSERT_NE(nullptr, comctl.Handle());
  const DWORD version = comctl.ReadModuleVersion();
  ASSERT_NE(0u, version);
  FARPROC proc = reinterpret_cast<FARPROC>(1);
  EXPECT_FALSE(comctl.GetVersionedProc(&proc, "InitCommonControlsEx", version + 1));
  EXPECT_EQ(nullptr, proc);
  EXPECT_TRUE(comctl.GetVersionedProc(&proc, "InitCommonControlsEx", version));
  EXPECT_NE(nullptr, proc);
  EXPECT_TRUE(comctl.GetVersionedProc(&proc, "InitCommonControlsEx", 0));
  EXPECT_EQ(version, GetCommonControlsVersion());

  CTKModuleHandle missing(L"no-such-module-here.dll");
  EXPECT_EQ(CTKModuleHandle::Origin::None, missing.HowObtained());
  EXPECT_FALSE(missing.GetVersionedProc(&proc, "Anything", 0));
}

TEST(Accessible, ChildIdFromVariants) {
  short s = 7;
  long l = 9;
  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_I4;
  inner.lVal = 11;
  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(0, CTKAccessible::GetChildIdFromVariant(v));
  v.vt = VT_I2;
  v.iVal = 3;
  EXPECT_EQ(3, CTKAccessible::GetChildIdFromVariant(v));
  v.vt = VT_I4;
  v.lVal = 4;
  EXPECT_EQ(4, CTKAccessible::GetChildIdFromVariant(v));
  v.vt = VT_BYREF | VT_I2;
  v.piVal = &s;
  EXPECT_EQ(7, CTKAccessible::GetChildIdFromVariant(v));
  v.vt = VT_BYREF | VT_I4;
  v.plVal = &l;
  EXPECT_EQ(9, CTKAccessible::GetChildIdFromVariant(v));
  v.vt = VT_BYREF | VT_VARIANT;
  v.pvarVal = &inner;
  EXPECT_EQ(11, CTKAccessible::GetChildIdFromVariant(v));
  v.vt = VT_BSTR;
  v.bstrVal = nullptr;
  EXPECT_EQ(-1, CTKAccessible::GetChildIdFromVariant(v));
}

class NamedOwner : public CTKAccessibleOwner {
 public:
  ULONG ExternalAddRef() override { return ++refs; }
  ULONG ExternalRelease() override { return --refs; }
  HRESULT ExternalQueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT AccGetName(VARIANT child, BSTR* out) override {
    *out = SysAllocString(child.lVal == 2 ? L"second" : L"first");
    return S_OK;
  }
  ULONG refs = 1;
};

TEST(Accessible, InterfaceForwardsToTheOwner) {
  NamedOwner owner;
  CTKAccessible accessible(&owner);
  IAccessible* acc = accessible.Accessible();
  EXPECT_EQ(2u, acc->AddRef());
  EXPECT_EQ(1u, acc->Release());
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = 2;
  BSTR name = nullptr;
  ASSERT_EQ(S_OK, acc->get_accName(child, &name));
  EXPECT_STREQ(L"second", name);
  SysFreeString(name);
  BSTR value = nullptr;
  EXPECT_EQ(E_NOTIMPL, acc->get_accValue(child, &value));
  EXPECT_EQ(E_NOTIMPL, acc->GetTypeInfoCount(nullptr));
}

// Two monitors side by side; the second has a work area of its own.
const HMONITOR kLeft = reinterpret_cast<HMONITOR>(0x10);
const HMONITOR kRight = reinterpret_cast<HMONITOR>(0x20);
HMONITOR WINAPI FakeFromPoint(POINT pt, DWORD flags) {
  EXPECT_EQ(static_cast<DWORD>(MONITOR_DEFAULTTONULL), flags);
  if (pt.y < 0 || pt.y >= 768) return nullptr;
  if (pt.x >= 0 && pt.x < 1024) return kLeft;
  if (pt.x >= 1024 && pt.x < 2048) return kRight;
  return nullptr;
}
HMONITOR WINAPI FakeFromRect(LPCRECT rc, DWORD flags) { return FakeFromPoint(POINT{rc->left, rc->top}, flags); }
HMONITOR WINAPI FakeFromWindow(HWND, DWORD) { return kRight; }
BOOL WINAPI FakeInfo(HMONITOR m, LPMONITORINFO info) {
  if (info->cbSize != sizeof(MONITORINFO)) return FALSE;
  info->rcWork = m == kLeft ? RECT{0, 0, 1024, 740} : RECT{1024, 30, 2048, 768};
  return TRUE;
}
BOOL FakePrimary(RECT* rc) {
  *rc = RECT{1, 2, 3, 4};
  return TRUE;
}

TEST(Monitors, WorkAreaOfTheMonitorOrThePrimaryOne) {
  CTKMultiMonitorApi api;
  api.SetFunctions(&FakeFromWindow, &FakeFromRect, &FakeFromPoint, &FakeInfo);
  api.SetPrimaryWorkAreaSource(&FakePrimary);
  struct Case {
    POINT pt;
    RECT expected;
  } cases[] = {
      {{10, 10}, {0, 0, 1024, 740}},
      {{1500, 100}, {1024, 30, 2048, 768}},
      {{5000, 100}, {1, 2, 3, 4}},
      {{10, -50}, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    const RECT r = api.GetWorkAreaFromPoint(c.pt);
    EXPECT_TRUE(EqualRect(&c.expected, &r)) << c.pt.x << "," << c.pt.y;
  }
  RECT r = api.GetWorkAreaFromRect(RECT{1100, 10, 1200, 50});
  EXPECT_EQ(1024, r.left);
  r = api.GetWorkAreaFromWindow(reinterpret_cast<HWND>(1));
  EXPECT_EQ(30, r.top);

  // Without the monitor functions every question gets the primary work area.
  api.SetFunctions(&FakeFromWindow, nullptr, &FakeFromPoint, &FakeInfo);
  EXPECT_FALSE(api.HasMonitorFunctions());
  r = api.GetWorkAreaFromPoint(POINT{10, 10});
  EXPECT_EQ(3, r.right);
}

TEST(Monitors, PointOutsideEveryMonitorGivesTheSystemWorkArea) {
  RECT expected{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &expected, 0));
  const RECT r = GetMultiMonitorApi().GetWorkAreaFromPoint(POINT{-30000, -30000});
  EXPECT_TRUE(EqualRect(&expected, &r));
}

TEST(Metrics, NonClientMetricsAreRead) {
  CSystemNonClientMetrics metrics;
  EXPECT_GT(metrics.iCaptionHeight, 0);
  EXPECT_NE(0, metrics.lfMenuFont.lfHeight);
  CZeroedLogFont font;
  EXPECT_EQ(0, font.lfHeight);
  EXPECT_EQ(0, font.lfFaceName[0]);
}

}  // namespace
