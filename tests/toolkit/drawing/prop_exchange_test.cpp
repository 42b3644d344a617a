#include "toolkit/drawing/prop_exchange.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/appframe/file.h"
#include "platform/win/scoped_handle.h"

namespace {

class CTestShape : public CObject {
  DECLARE_SERIAL(CTestShape)

 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring())
      ar << sides << name;
    else
      ar >> sides >> name;
  }
  int sides = 0;
  CString name;
};
IMPLEMENT_SERIAL(CTestShape, CObject, 1)

class CTestOther : public CObject {
  DECLARE_DYNCREATE(CTestOther)
};
IMPLEMENT_DYNCREATE(CTestOther, CObject)

// Every kind of value, exchanged one way or the other.
struct Values {
  short s = 0;
  int i = 0;
  float f = 0;
  double d = 0;
  BOOL b = FALSE;
  BYTE byte = 0;
  CString text;
  RECT rc{};
  SIZE size{};

  void Exchange(CTKPropExchange* px) {
    const short ds = 5;
    const float df = 0.25f;
    const double dd = 2.5;
    const BYTE dbyte = 9;
    px->TransferValue(L"Short", CTKPropExchange::kShort, &s, &ds);
    PropExchangeInt(px, L"Int", &i, 77);
    px->TransferValue(L"Float", CTKPropExchange::kFloat, &f, &df);
    px->TransferValue(L"Double", CTKPropExchange::kDouble, &d, &dd);
    PropExchangeBool(px, L"Bool", &b, TRUE);
    px->TransferValue(L"Byte", CTKPropExchange::kByte, &byte, &dbyte);
    PropExchangeString(px, L"Text", &text, L"default text");
    PropExchangeRect(px, L"Rect", &rc, RECT{1, 2, 3, 4});
    PropExchangeSize(px, L"Size", &size, SIZE{5, 6});
  }
};

Values Sample() {
  Values v;
  v.s = -12;
  v.i = 123456;
  v.f = 1.5f;
  v.d = -3.75;
  v.b = TRUE;
  v.byte = 200;
  v.text = L"Kestrin \u00e9t\u00e9";
  v.rc = RECT{-1, 2, 300, 400};
  v.size = SIZE{16, 24};
  return v;
}

void ExpectSame(const Values& a, const Values& b) {
  EXPECT_EQ(a.s, b.s);
  EXPECT_EQ(a.i, b.i);
  EXPECT_EQ(a.f, b.f);
  EXPECT_EQ(a.d, b.d);
  EXPECT_EQ(a.b, b.b);
  EXPECT_EQ(a.byte, b.byte);
  EXPECT_EQ(a.text, b.text);
  EXPECT_TRUE(EqualRect(&a.rc, &b.rc));
  EXPECT_EQ(a.size.cx, b.size.cx);
  EXPECT_EQ(a.size.cy, b.size.cy);
}

// Stores with `store`, then loads the bytes with `load`.
template <typename Store, typename Load>
void RoundTrip(Store store, Load load) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    CTKPropExchangeArchive px(ar);
    store(&px);
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  CTKPropExchangeArchive px(ar);
  load(&px);
}

TEST(PropExchangeArchive, ValuesBlobsCountsAndSchemaRoundTrip) {
  const Values in = Sample();
  Values out;
  BYTE blob[] = {0, 1, 0xFF, 0x10};
  RoundTrip(
      [&](CTKPropExchange* px) {
        px->TransferSchema();
        Values copy = in;
        copy.Exchange(px);
        BYTE* data = blob;
        DWORD size = sizeof(blob);
        EXPECT_TRUE(px->TransferBlob(L"Blob", &data, &size));
        px->WriteCount(3);
        px->WriteCount(70000);
      },
      [&](CTKPropExchange* px) {
        px->SetSchema(0);
        px->TransferSchema();
        EXPECT_EQ(20, px->GetSchema());
        out.Exchange(px);
        BYTE* data = nullptr;
        DWORD size = 0;
        ASSERT_TRUE(px->TransferBlob(L"Blob", &data, &size));
        ASSERT_EQ(sizeof(blob), size);
        EXPECT_EQ(0, memcmp(blob, data, size));
        std::free(data);
        EXPECT_EQ(3u, px->ReadCount());
        EXPECT_EQ(70000u, px->ReadCount());
      });
  ExpectSame(in, out);
}

TEST(PropExchangeArchive, DataWithoutSchemaMarkerReadsAsSchema17) {
  RoundTrip([](CTKPropExchange* px) {
              int x = 42;
              PropExchangeInt(px, L"X", &x, 0);
            },
            [](CTKPropExchange* px) {
              px->TransferSchema();
              EXPECT_EQ(17, px->GetSchema());
              int x = 0;
              PropExchangeInt(px, L"X", &x, 0);  // nothing was consumed
              EXPECT_EQ(42, x);
            });
}

TEST(PropExchangeArchive, FewerThanFourBytesBeforeTheSchemaAreNotConsumed) {
  RoundTrip([](CTKPropExchange* px) {
              short x = 0x1234;
              px->TransferValue(L"X", CTKPropExchange::kShort, &x, nullptr);
            },
            [](CTKPropExchange* px) {
              px->TransferSchema();
              EXPECT_EQ(17, px->GetSchema());
              short x = 0;
              EXPECT_TRUE(px->TransferValue(L"X", CTKPropExchange::kShort, &x, nullptr));
              EXPECT_EQ(0x1234, x);
            });
}

TEST(PropExchangeArchive, VariantsKeepTheirTypeAndValue) {
  std::vector<VARIANT> in(8);
  for (VARIANT& v : in) VariantInit(&v);
  V_VT(&in[0]) = VT_I4, V_I4(&in[0]) = -70000;
  V_VT(&in[1]) = VT_I2, V_I2(&in[1]) = -3;
  V_VT(&in[2]) = VT_BOOL, V_BOOL(&in[2]) = VARIANT_TRUE;
  V_VT(&in[3]) = VT_R8, V_R8(&in[3]) = 2.125;
  V_VT(&in[4]) = VT_UI1, V_UI1(&in[4]) = 0xAB;
  V_VT(&in[5]) = VT_BSTR, V_BSTR(&in[5]) = SysAllocString(L"Kestrin");
  V_VT(&in[6]) = VT_CY, V_CY(&in[6]).int64 = 123456789012LL;
  V_VT(&in[7]) = VT_NULL;
  std::vector<VARIANT> out(in.size());
  for (VARIANT& v : out) VariantInit(&v);
  RoundTrip(
      [&](CTKPropExchange* px) {
        for (VARIANT& v : in) EXPECT_TRUE(px->TransferValue(L"V", CTKPropExchange::kVariant, &v, nullptr));
        VARIANT unknown;
        VariantInit(&unknown);
        V_VT(&unknown) = VT_UNKNOWN;  // no way to keep it: refused, nothing written
        EXPECT_FALSE(px->TransferValue(L"V", CTKPropExchange::kVariant, &unknown, nullptr));
        int after = 99;
        PropExchangeInt(px, L"After", &after, 0);
      },
      [&](CTKPropExchange* px) {
        for (VARIANT& v : out) EXPECT_TRUE(px->TransferValue(L"V", CTKPropExchange::kVariant, &v, nullptr));
        int after = 0;
        PropExchangeInt(px, L"After", &after, 0);
        EXPECT_EQ(99, after);
      });
  for (size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ(V_VT(&in[i]), V_VT(&out[i])) << i;
    if (V_VT(&in[i]) != VT_NULL) EXPECT_EQ(VARCMP_EQ, VarCmp(&in[i], &out[i], LOCALE_USER_DEFAULT, 0)) << i;
    VariantClear(&in[i]);
    VariantClear(&out[i]);
  }
}

TEST(PropExchangeArchive, SectionsAndEnumeratorsFollowInOrder) {
  std::vector<int> loaded;
  RoundTrip(
      [](CTKPropExchange* px) {
        std::unique_ptr<CTKPropExchangeEnumerator> e(px->OpenEnumerator(L"Item"));
        DWORD pos = e->StartEnumeration(3, true);
        for (int i = 0; pos; ++i) {
          CTKPropExchangeSection section(e->NextSection(pos));
          int v = i * 10;
          PropExchangeInt(section.get(), L"V", &v, 0);
        }
        std::unique_ptr<CTKPropExchangeEnumerator> none(px->OpenEnumerator(L"None"));
        EXPECT_EQ(0u, none->StartEnumeration(0, false));
      },
      [&](CTKPropExchange* px) {
        std::unique_ptr<CTKPropExchangeEnumerator> e(px->OpenEnumerator(L"Item"));
        DWORD pos = e->StartEnumeration(0, true);
        while (pos) {
          CTKPropExchangeSection section(e->NextSection(pos));
          EXPECT_TRUE(section->IsSection());
          int v = -1;
          PropExchangeInt(section.get(), L"V", &v, 0);
          loaded.push_back(v);
        }
        std::unique_ptr<CTKPropExchangeEnumerator> none(px->OpenEnumerator(L"None"));
        EXPECT_EQ(0u, none->StartEnumeration(5, false));  // an enumerator with count 0 yields nothing
      });
  EXPECT_EQ((std::vector<int>{0, 10, 20}), loaded);
}

TEST(PropExchangeArchive, ClassesAndSerializableObjects) {
  RoundTrip(
      [](CTKPropExchange* px) {
        const CRuntimeClass* cls = RUNTIME_CLASS(CTestShape);
        px->TransferClass(L"Class", &cls, nullptr);
        CTestShape shape;
        shape.sides = 6;
        shape.name = L"hexagon";
        EXPECT_TRUE(PropExchangeSerializable(px, L"Shape", &shape));
      },
      [](CTKPropExchange* px) {
        const CRuntimeClass* cls = nullptr;
        EXPECT_TRUE(px->TransferClass(L"Class", &cls, nullptr));
        EXPECT_EQ(RUNTIME_CLASS(CTestShape), cls);
        CTestShape shape;
        EXPECT_TRUE(PropExchangeSerializable(px, L"Shape", &shape));
        EXPECT_EQ(6, shape.sides);
        EXPECT_EQ(CString(L"hexagon"), shape.name);
      });
}

// Archive bytes whose leading count claims more than the data holds.
TEST(PropExchangeArchive, CountsFromTheDataAreCheckedBeforeUse) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar.WriteCount(0xFFFFFFF0u);  // a blob or item count far beyond the 16 bytes that follow
    for (int i = 0; i < 4; ++i) ar << i;
  }
  for (int kind = 0; kind < 2; ++kind) {
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CTKPropExchangeArchive px(ar);
    if (kind == 0) {
      BYTE* data = nullptr;
      DWORD size = 0;
      EXPECT_THROW(px.TransferBlob(L"Blob", &data, &size), CArchiveException);
      EXPECT_EQ(nullptr, data);
    } else {
      std::unique_ptr<CTKPropExchangeEnumerator> e(px.OpenEnumerator(L"Item"));
      EXPECT_THROW(e->StartEnumeration(0, true), CArchiveException);
    }
  }
  // A VARIANT text whose length runs past the data.
  {
    CMemFile bad;
    {
      CArchive ar(&bad, CArchive::store);
      ar << static_cast<WORD>(VT_BSTR) << static_cast<DWORD>(0x7FFFFFF0);
      ar << 1;
    }
    bad.SeekToBegin();
    CArchive ar(&bad, CArchive::load);
    CTKPropExchangeArchive px(ar);
    VARIANT v;
    VariantInit(&v);
    EXPECT_THROW(px.TransferValue(L"V", CTKPropExchange::kVariant, &v, nullptr), CArchiveException);
    EXPECT_EQ(VT_EMPTY, V_VT(&v));
  }
  // Through PropExchangeSerializable the failure is a false result.
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  CTKPropExchangeArchive px(ar);
  struct Failing : CObject {
    void Serialize(CArchive& a) override {
      int first = 0;
      a >> first;
      throw CArchiveException(CArchiveException::endOfFile);
    }
  } failing;
  EXPECT_FALSE(PropExchangeSerializable(&px, L"X", &failing));
}

// ---- registry ----

class RegistryExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kPath); }
  static constexpr const wchar_t* kPath = L"Software\\KestrinTests\\ToolkitPropExchange";
};

TEST_F(RegistryExchangeTest, NamedValuesRoundTripAndMissingOnesTakeTheirDefaults) {
  const Values in = Sample();
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, false);
    ASSERT_TRUE(px.IsOpen());
    Values copy = in;
    copy.Exchange(&px);
    px.TransferSchema();
  }
  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, true);
  Values out;
  out.Exchange(&px);
  ExpectSame(in, out);
  px.SetSchema(0);
  px.TransferSchema();
  EXPECT_EQ(20, px.GetSchema());

  CTKPropExchangeRegistry empty(HKEY_CURRENT_USER, L"Software\\KestrinTests\\ToolkitPropExchange\\Nothing", true);
  Values defaults;
  defaults.Exchange(&empty);
  EXPECT_EQ(5, defaults.s);
  EXPECT_EQ(77, defaults.i);
  EXPECT_EQ(0.25f, defaults.f);
  EXPECT_EQ(TRUE, defaults.b);
  EXPECT_EQ(CString(L"default text"), defaults.text);
  EXPECT_EQ(3, defaults.rc.right);
  EXPECT_EQ(6, defaults.size.cy);
}

TEST_F(RegistryExchangeTest, BlobsAreTwoLettersPerByte) {
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, false);
    const BYTE bytes[] = {0x00, 0xFF, 0x5A};
    EXPECT_TRUE(px.Write(L"Blob", bytes, sizeof(bytes)));
    CString odd = L"ABC", bad = L"AZ";
    PropExchangeString(&px, L"Odd", &odd, L"");
    PropExchangeString(&px, L"Bad", &bad, L"");
  }
  wchar_t text[32] = {};
  DWORD size = sizeof(text);
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kPath, L"Blob", RRF_RT_REG_SZ, nullptr, text, &size));
  EXPECT_STREQ(L"AAPPKF", text);

  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, true);
  BYTE buffer[3] = {};
  EXPECT_EQ(3u, px.Read(L"Blob", buffer, sizeof(buffer)));
  EXPECT_EQ(0xFF, buffer[1]);
  EXPECT_EQ(0x5A, buffer[2]);
  EXPECT_EQ(0u, px.Read(L"Blob", buffer, 2));  // the buffer is too small
  EXPECT_EQ(0u, px.Read(L"Odd", buffer, sizeof(buffer)));
  EXPECT_EQ(0u, px.Read(L"Bad", buffer, sizeof(buffer)));
}

TEST_F(RegistryExchangeTest, SectionsClassesObjectsAndCounts) {
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, false);
    std::unique_ptr<CTKPropExchangeEnumerator> e(px.OpenEnumerator(L"Item"));
    DWORD pos = e->StartEnumeration(2);
    for (int i = 0; pos; ++i) {
      CTKPropExchangeSection section(e->NextSection(pos));
      CObject* shape = new CTestShape;
      static_cast<CTestShape*>(shape)->sides = 3 + i;
      EXPECT_TRUE(section->TransferObjectClass(&shape, RUNTIME_CLASS(CObject)));
      EXPECT_TRUE(PropExchangeSerializable(section.get(), L"Data", shape));
      delete shape;
    }
    CString wrong = L"CNoSuchClass";
    PropExchangeString(&px, L"Unknown", &wrong, L"");
  }
  KestrinWinNS::CScopedRegKey item1;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KestrinTests\\ToolkitPropExchange\\Item1", 0,
                                         KEY_READ, item1.Receive()));
  item1.Reset();

  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, true);
  std::unique_ptr<CTKPropExchangeEnumerator> e(px.OpenEnumerator(L"Item"));
  DWORD pos = e->StartEnumeration(0);
  std::vector<int> sides;
  while (pos) {
    CTKPropExchangeSection section(e->NextSection(pos));
    CObject* object = nullptr;
    ASSERT_TRUE(section->TransferObjectClass(&object, RUNTIME_CLASS(CObject)));
    std::unique_ptr<CObject> owned(object);
    ASSERT_TRUE(object->IsKindOf(RUNTIME_CLASS(CTestShape)));
    EXPECT_TRUE(PropExchangeSerializable(section.get(), L"Data", object));
    sides.push_back(static_cast<CTestShape*>(object)->sides);
    // A stored class that does not derive from the base is refused.
    CTKPropExchangeSection again(px.OpenSection(L"Item0"));
    CObject* other = nullptr;
    EXPECT_FALSE(again->TransferObjectClass(&other, RUNTIME_CLASS(CTestOther)));
  }
  EXPECT_EQ((std::vector<int>{3, 4}), sides);
  const CRuntimeClass* cls = nullptr;
  EXPECT_TRUE(px.TransferClass(L"Unknown", &cls, RUNTIME_CLASS(CTestOther)));
  EXPECT_EQ(RUNTIME_CLASS(CTestOther), cls);  // a name no class has gives the default
}

TEST_F(RegistryExchangeTest, CountBeyondTheStoredSectionsIsRefused) {
  {
    CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, false);
    int count = 1000000;
    PropExchangeInt(&px, L"Count", &count, 0);
  }
  CTKPropExchangeRegistry px(HKEY_CURRENT_USER, kPath, true);
  std::unique_ptr<CTKPropExchangeEnumerator> e(px.OpenEnumerator(L"Item"));
  EXPECT_THROW(e->StartEnumeration(0), CArchiveException);
}

}  // namespace
