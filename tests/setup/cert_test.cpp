// The maker's certificates from the setup library into the machine's Root and CA stores (the
// library loaded under another file name), the EV marking of a root, and the OID names.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "setup/certificates.h"
#include "setup/maker_roots.h"
#include "setup/setup_framework_iface.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {
namespace {

using KestrinWinNS::CScopedCertContext;
using KestrinWinNS::CScopedCertStore;
using KestrinWinNS::CScopedLibrary;

struct Resource {
  std::wstring name;
  std::vector<BYTE> bytes;
};

BOOL CALLBACK CollectOne(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  HRSRC found = FindResourceW(module, name, type);
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  auto* out = reinterpret_cast<std::vector<Resource>*>(param);
  out->push_back({IS_INTRESOURCE(name) ? std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : std::wstring(name),
                  std::vector<BYTE>(data, data + SizeofResource(module, found))});
  return TRUE;
}

std::vector<Resource> Resources(HMODULE module, const wchar_t* type) {
  std::vector<Resource> out;
  EnumResourceNamesW(module, type, CollectOne, reinterpret_cast<LONG_PTR>(&out));
  return out;
}

CScopedCertStore OpenMachineStore(const char* name) {
  return CScopedCertStore(CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                        CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG, name));
}

// The stored copy of a DER certificate, or null.
PCCERT_CONTEXT FindInStore(HCERTSTORE store, const std::vector<BYTE>& der) {
  CScopedCertContext wanted(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
  if (!wanted) return nullptr;
  return CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted.Get(), nullptr);
}

bool HasProperty(PCCERT_CONTEXT cert, DWORD id) {
  DWORD size = 0;
  return CertGetCertificateContextProperty(cert, id, nullptr, &size) != FALSE;
}

// The setup library under another file name: found through its own module handle.
HMODULE RenamedSetupLibrary() {
  static HMODULE module = [] {
    std::wstring renamed = setup_test::BesideTest(L"RenamedSetup.dll");
    CopyFileW(setup_test::BesideTest(L"KRSetupDll.dll").c_str(), renamed.c_str(), FALSE);
    return LoadLibraryW(renamed.c_str());
  }();
  return module;
}

// Started with --find-oid-names: ends with one bit set for each name the system finds.
struct OidNameLookup {
  OidNameLookup() {
    if (!wcsstr(GetCommandLineW(), L"--find-oid-names")) return;
    const struct {
      const char* oid;
      DWORD group;
      const wchar_t* name;
    } names[] = {
        {"1.3.6.1.4.1.32473.1.1.1", CRYPT_EXT_OR_ATTR_OID_GROUP_ID, L"Verifiable Content"},
        {"1.3.6.1.4.1.32473.1.1.2", CRYPT_EXT_OR_ATTR_OID_GROUP_ID, L"NLR Options"},
        {"1.3.6.1.4.1.32473.1.3.1", CRYPT_ENHKEY_USAGE_OID_GROUP_ID, L"Nelrow"},
        {"1.3.6.1.4.1.32473.1.3.2", CRYPT_ENHKEY_USAGE_OID_GROUP_ID, L"Protects online payments"},
    };
    UINT found = 0;
    for (int i = 0; i < 4; ++i) {
      PCCRYPT_OID_INFO info = CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, const_cast<char*>(names[i].oid), names[i].group);
      if (info && info->dwGroupId == names[i].group && wcscmp(info->pwszName, names[i].name) == 0) found |= 1u << i;
    }
    ExitProcess(found);
  }
} g_oid_name_lookup;

TEST(Certificates, RootsIntoRootAndIntermediatesIntoCAFromTheLibraryUnderAnyName) {
  HMODULE module = RenamedSetupLibrary();
  ASSERT_NE(nullptr, module);
  ASSERT_EQ(nullptr, GetModuleHandleW(L"KRSetupDll.dll"));
  const struct {
    const wchar_t* type;
    CertificateKind kind;
    const char* store;
    const char* other_store;
  } passes[] = {
      {L"ROOTCERT", CertificateKind::kRoot, "Root", "CA"},
      {L"INTERCERT", CertificateKind::kIntermediate, "CA", "Root"},
  };
  for (const auto& pass : passes) {
    std::vector<Resource> certificates = Resources(module, pass.type);
    ASSERT_EQ(3u, certificates.size()) << pass.store;
    ASSERT_TRUE(InstallCertificateResources(module, pass.type, pass.kind)) << pass.store;
    ASSERT_TRUE(InstallCertificateResources(module, pass.type, pass.kind)) << "already there is no error";
    CScopedCertStore store = OpenMachineStore(pass.store), other = OpenMachineStore(pass.other_store);
    ASSERT_TRUE(store && other);
    for (const Resource& certificate : certificates) {
      CScopedCertContext found(FindInStore(store.Get(), certificate.bytes));
      EXPECT_TRUE(found) << pass.store << " " << certificate.name;
      if (found) {
        EXPECT_FALSE(HasProperty(found.Get(), CERT_FRIENDLY_NAME_PROP_ID)) << "plain roots are not marked";
      }
      EXPECT_FALSE(CScopedCertContext(FindInStore(other.Get(), certificate.bytes)));
    }
  }
  EXPECT_FALSE(InstallCertificateResources(module, L"NOSUCHCERT", CertificateKind::kRoot));
}

std::wstring StoreKey(const char* store) {
  return L"SOFTWARE\\Microsoft\\SystemCertificates\\" + std::wstring(store, store + strlen(store));
}

// The SHA-1 thumbprint in capitals, as the stores name their certificates' keys.
std::wstring Thumbprint(const std::vector<BYTE>& der) {
  BYTE hash[20];
  DWORD size = sizeof(hash);
  if (!CryptHashCertificate(0, CALG_SHA1, 0, der.data(), static_cast<DWORD>(der.size()), hash, &size)) return L"?";
  std::wstring text;
  for (BYTE b : hash) text += L"0123456789ABCDEF"[b >> 4], text += L"0123456789ABCDEF"[b & 15];
  return text;
}

// Counts the reports; the certificate method makes none.
class CReportCounter : public ISetupReport {
 public:
  void ReportStep(DWORD, const wchar_t*) override { ++reports; }
  void ReportError(const wchar_t*, DWORD) override { ++reports; }
  void ReportRestartNeeded() override { ++reports; }
  int reports = 0;
};

// The framework's method fails when either store refuses, and still fills the other one.
TEST(Certificates, InstallCertificatesTriesBothStoresAndFailsWhenOneRefuses) {
  HMODULE module = RenamedSetupLibrary();
  ASSERT_NE(nullptr, module);
  auto create = reinterpret_cast<CreateFrameworkFunction>(GetProcAddress(module, "CreateFramework"));
  ASSERT_NE(nullptr, create);
  CReportCounter report;
  ISetupFramework* framework = nullptr;
  ASSERT_EQ(S_OK, create(&report, &framework));
  const struct {
    const char* refused;
    const char* filled;
    const wchar_t* filled_type;
  } rows[] = {{"CA", "Root", L"ROOTCERT"}, {"Root", "CA", L"INTERCERT"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.refused);
    const std::vector<Resource> certificates = Resources(module, row.filled_type);
    ASSERT_FALSE(certificates.empty());
    // Taken out of the store that is to be filled again (the store's own key per certificate).
    for (const Resource& certificate : certificates)
      ASSERT_TRUE(setup_test::DeleteMachineTree(0, StoreKey(row.filled) + L"\\Certificates\\" + Thumbprint(certificate.bytes)));
    {
      CScopedCertStore filled = OpenMachineStore(row.filled);
      ASSERT_TRUE(filled);
      for (const Resource& certificate : certificates)
        ASSERT_FALSE(CScopedCertContext(FindInStore(filled.Get(), certificate.bytes))) << "taken out first";
    }
    {
      setup_test::CDeniedKey refused(StoreKey(row.refused));
      ASSERT_TRUE(refused.active());
      EXPECT_EQ(E_FAIL, framework->InstallCertificates());
    }
    CScopedCertStore filled = OpenMachineStore(row.filled);
    ASSERT_TRUE(filled);
    for (const Resource& certificate : certificates)
      EXPECT_TRUE(CScopedCertContext(FindInStore(filled.Get(), certificate.bytes))) << row.filled << " " << certificate.name;
  }
  EXPECT_EQ(S_OK, framework->InstallCertificates()) << "both stores open again";
  EXPECT_EQ(0, report.reports);
  EXPECT_EQ(0u, framework->Release());
}

TEST(Certificates, EvPoliciesValueCarriesThePolicyAndTheRootProgramFlags) {
  std::vector<BYTE> encoded;
  ASSERT_TRUE(EncodeEvPolicies("1.3.6.1.4.1.32473.1.2.1.5.1", &encoded));
  DWORD size = 0;
  ASSERT_TRUE(CryptDecodeObject(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, X509_CERT_POLICIES, encoded.data(),
                                static_cast<DWORD>(encoded.size()), 0, nullptr, &size));
  std::vector<BYTE> decoded(size);
  ASSERT_TRUE(CryptDecodeObject(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, X509_CERT_POLICIES, encoded.data(),
                                static_cast<DWORD>(encoded.size()), 0, decoded.data(), &size));
  const auto* policies = reinterpret_cast<const CERT_POLICIES_INFO*>(decoded.data());
  ASSERT_EQ(1u, policies->cPolicyInfo);
  EXPECT_STREQ("1.3.6.1.4.1.32473.1.2.1.5.1", policies->rgPolicyInfo[0].pszPolicyIdentifier);
  ASSERT_EQ(1u, policies->rgPolicyInfo[0].cPolicyQualifier);
  const CERT_POLICY_QUALIFIER_INFO& qualifier = policies->rgPolicyInfo[0].rgPolicyQualifier[0];
  EXPECT_STREQ("1.3.6.1.4.1.311.60.1.1", qualifier.pszPolicyQualifierId);
  const std::vector<BYTE> bits(qualifier.Qualifier.pbData, qualifier.Qualifier.pbData + qualifier.Qualifier.cbData);
  EXPECT_EQ((std::vector<BYTE>{0x03, 0x02, 0x00, 0xC0}), bits) << "a bit string of the one byte C0";
}

TEST(Certificates, EvRootIsMarkedWithItsAuthorityAndPolicy) {
  HMODULE module = RenamedSetupLibrary();
  ASSERT_NE(nullptr, module);
  std::vector<Resource> ev = Resources(module, L"EVROOTCERT");
  ASSERT_FALSE(ev.empty());
  BYTE hash[20];
  DWORD hash_size = sizeof(hash);
  ASSERT_TRUE(CryptHashCertificate(0, CALG_SHA1, 0, ev[0].bytes.data(), static_cast<DWORD>(ev[0].bytes.size()), hash,
                                   &hash_size));
  std::string thumbprint;
  for (BYTE b : hash) thumbprint += "0123456789abcdef"[b >> 4], thumbprint += "0123456789abcdef"[b & 15];
  ASSERT_EQ(KESTRIN_MAKER_ROOT1_THUMBPRINT, thumbprint) << "the table names the carried root";

  // Marked in a memory store: the friendly name, then the root-program policies. Some systems
  // keep no such policies (Wine refuses the property): the marking then fails, and with it the
  // EV installation, instead of passing as done.
  CScopedCertStore memory(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  ASSERT_TRUE(memory);
  PCCERT_CONTEXT added_raw = nullptr;
  ASSERT_TRUE(CertAddEncodedCertificateToStore(memory.Get(), X509_ASN_ENCODING, ev[0].bytes.data(),
                                               static_cast<DWORD>(ev[0].bytes.size()), CERT_STORE_ADD_ALWAYS,
                                               &added_raw));
  CScopedCertContext added(added_raw);
  const bool marked = MarkAsEvRoot(GetEvRootTable(), added.Get());
  wchar_t name[64] = L"";
  DWORD size = sizeof(name);
  ASSERT_TRUE(CertGetCertificateContextProperty(added.Get(), CERT_FRIENDLY_NAME_PROP_ID, name, &size));
  EXPECT_STREQ(L"TORVAN", name);
  std::vector<BYTE> expected;
  ASSERT_TRUE(EncodeEvPolicies("1.3.6.1.4.1.32473.1.2.1.5.1", &expected));
  size = 0;
  const bool kept = CertGetCertificateContextProperty(added.Get(), 83, nullptr, &size) != FALSE;
  EXPECT_EQ(kept, marked);
  if (kept) {
    std::vector<BYTE> value(size);
    ASSERT_TRUE(CertGetCertificateContextProperty(added.Get(), 83, value.data(), &size));
    EXPECT_EQ(expected, value);
  }

  EXPECT_EQ(marked, InstallCertificateResources(module, L"EVROOTCERT", CertificateKind::kEvRoot));
  CScopedCertStore root = OpenMachineStore("Root");
  ASSERT_TRUE(root);
  EXPECT_TRUE(CScopedCertContext(FindInStore(root.Get(), ev[0].bytes))) << "in the Root store either way";

  // A root whose thumbprint is not in the table stays unmarked.
  std::vector<Resource> roots = Resources(module, L"ROOTCERT");
  ASSERT_GE(roots.size(), 3u);
  CScopedCertContext unlisted(CertCreateCertificateContext(X509_ASN_ENCODING, roots[2].bytes.data(),
                                                           static_cast<DWORD>(roots[2].bytes.size())));
  ASSERT_TRUE(unlisted);
  EXPECT_FALSE(MarkAsEvRoot(GetEvRootTable(), unlisted.Get()));
  EXPECT_FALSE(HasProperty(unlisted.Get(), CERT_FRIENDLY_NAME_PROP_ID));
}

TEST(Certificates, EvTableHoldsTheMakersRootsAndTheKnownAuthorities) {
  const EvRootTable& table = GetEvRootTable();
  EXPECT_EQ(19u, table.size());
  EXPECT_EQ(&table, &GetEvRootTable()) << "built once";
  const struct {
    const char* thumbprint;
    const wchar_t* authority;
    const char* policy;
  } rows[] = {
      {KESTRIN_MAKER_ROOT1_THUMBPRINT, L"TORVAN", "1.3.6.1.4.1.32473.1.2.1.5.1"},
      {KESTRIN_MAKER_ROOT2_THUMBPRINT, L"Orlantis", "1.3.6.1.4.1.32473.1.2.1.5.1"},
      {"2796bae63f1801e277261ba0d77770028f20eee4", L"Go Daddy Class 2 Certification Authority",
       "2.16.840.1.114413.1.7.23.3"},
      {"b80186d1eb9c86a54104cf3054f34c52b7e558c6", L"Xramp", "2.16.840.1.114404.1.1.2.4.1"},
  };
  for (const auto& row : rows) {
    auto found = table.find(row.thumbprint);
    ASSERT_NE(table.end(), found) << row.thumbprint;
    EXPECT_EQ(row.policy, found->second.first);
    EXPECT_EQ(row.authority, found->second.second);
  }
  for (const auto& entry : table) {
    EXPECT_EQ(40u, entry.first.size());
    EXPECT_EQ(std::string::npos, entry.first.find_first_not_of("0123456789abcdef")) << entry.first;
  }
}

TEST(Certificates, OidNamesAreFoundThroughTheSystem) {
  ASSERT_TRUE(RegisterOidNames()) << std::hex << GetLastError();
  // The system reads registered names when a process starts: a new one looks them up.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  setup_test::CStartedProgram lookup;
  ASSERT_TRUE(lookup.Start(L"\"" + std::wstring(self) + L"\" --find-oid-names"));
  EXPECT_EQ(0xFu, lookup.ExitCode(60000)) << "one bit per name found";
}

}  // namespace
}  // namespace SetupFrameworkNS
