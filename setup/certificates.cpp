// The maker's certificates in the machine stores, the OID display names and the EV root table.
#include "setup/certificates.h"

#include <memory>
#include <vector>

#include "common/crypto/cert_helpers.h"
#include "platform/win/scoped_handle.h"
#include "setup/maker_roots.h"

namespace SetupFrameworkNS {

namespace {

const DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
const char kRootProgramFlagsOid[] = "1.3.6.1.4.1.311.60.1.1";
const DWORD kIgnorePersistError = 0x80000000;  // CERT_SET_PROPERTY_IGNORE_PERSIST_ERROR_FLAG
const DWORD kRootProgramPoliciesProp = 83;      // CERT_ROOT_PROGRAM_CERT_POLICIES_PROP_ID

struct OidName {
  DWORD group;
  const char* oid;
  const wchar_t* name;
};
const OidName kExtensionNames[] = {
    {CRYPT_EXT_OR_ATTR_OID_GROUP_ID, "1.3.6.1.4.1.32473.1.1.1", L"Verifiable Content"},
    {CRYPT_EXT_OR_ATTR_OID_GROUP_ID, "1.3.6.1.4.1.32473.1.1.2", L"NLR Options"},
};
const OidName kUsageNames[] = {
    {CRYPT_ENHKEY_USAGE_OID_GROUP_ID, "1.3.6.1.4.1.32473.1.3.1", L"Nelrow"},
    {CRYPT_ENHKEY_USAGE_OID_GROUP_ID, "1.3.6.1.4.1.32473.1.3.2", L"Protects online payments"},
};

// The record with the two algorithm-name fields of newer systems at its end. Its full size is
// what the function accepts (a record without them is refused as an invalid argument); the
// added fields stay empty.
struct FullOidInfo {
  CRYPT_OID_INFO info;
  LPCWSTR cng_algorithm;
  LPCWSTR cng_extra_algorithm;
};

bool RegisterOidName(const OidName& entry) {
  FullOidInfo record = {};
  record.info.cbSize = sizeof(record);
  record.info.pszOID = entry.oid;
  record.info.pwszName = entry.name;
  record.info.dwGroupId = entry.group;
  return CryptRegisterOIDInfo(&record.info, 0) != FALSE;
}

template <size_t N>
bool RegisterAll(const OidName (&entries)[N]) {
  for (const OidName& entry : entries) {
    if (!RegisterOidName(entry)) return false;
  }
  return true;
}

// Encodes with the size asked first; false when either call fails.
bool Encode(LPCSTR type, const void* value, std::vector<BYTE>* out) {
  DWORD size = 0;
  if (!CryptEncodeObject(kEncoding, type, value, nullptr, &size)) return false;
  out->resize(size);
  if (!CryptEncodeObject(kEncoding, type, value, out->data(), &size)) return false;
  out->resize(size);
  return true;
}

struct EnumContext {
  CertificateKind kind;
  bool failed;
  int count;
};

BOOL CALLBACK InstallOne(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto* context = reinterpret_cast<EnumContext*>(param);
  ++context->count;
  if (InstallCertificateResource(module, type, name, context->kind)) return TRUE;
  context->failed = true;
  return FALSE;
}

std::unique_ptr<EvRootTable>& TableHolder() {
  static std::unique_ptr<EvRootTable> table;
  return table;
}

}  // namespace

bool RegisterOidNames() { return RegisterAll(kExtensionNames) && RegisterAll(kUsageNames); }

bool InstallCertificateResource(HMODULE module, const wchar_t* type, const wchar_t* name, CertificateKind kind) {
  // The module the enumeration runs over: the setup library, under whatever file name it has.
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  DWORD size = SizeofResource(module, found);
  if (!bytes || size == 0) return false;
  const wchar_t* store = kind == CertificateKind::kIntermediate ? L"CA" : L"Root";
  return AddCertificateToStore(kind == CertificateKind::kEvRoot, store, static_cast<const BYTE*>(bytes), size);
}

bool InstallCertificateResources(HMODULE module, const wchar_t* type, CertificateKind kind) {
  EnumContext context = {kind, false, 0};
  EnumResourceNamesW(module, type, InstallOne, reinterpret_cast<LONG_PTR>(&context));
  return !context.failed && context.count > 0;
}

bool AddCertificateToStore(bool ev, const wchar_t* store_name, const BYTE* der, DWORD length) {
  char name[64];
  if (!WideCharToMultiByte(CP_ACP, 0, store_name, -1, name, sizeof(name), nullptr, nullptr)) return false;
  KestrinWinNS::CScopedCertStore store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, name));
  if (!store) return false;
  PCCERT_CONTEXT added_raw = nullptr;
  BOOL added = CertAddEncodedCertificateToStore(
      store.Get(), X509_ASN_ENCODING, der, length,
      ev ? CERT_STORE_ADD_REPLACE_EXISTING_INHERIT_PROPERTIES : CERT_STORE_ADD_REPLACE_EXISTING,
      ev ? &added_raw : nullptr);
  KestrinWinNS::CScopedCertContext kept(added_raw);
  if (!added && static_cast<HRESULT>(GetLastError()) != CRYPT_E_EXISTS) return false;
  if (!ev) return true;
  return kept && MarkAsEvRoot(GetEvRootTable(), kept.Get());
}

void BuildEvRootTable(EvRootTable* table) {
  struct Row {
    const char* thumbprint;
    const wchar_t* authority;
    const char* policy;
  };
  static const Row kRows[] = {
      {KESTRIN_MAKER_ROOT1_THUMBPRINT, L"TORVAN", "1.3.6.1.4.1.32473.1.2.1.5.1"},
      {KESTRIN_MAKER_ROOT2_THUMBPRINT, L"Orlantis", "1.3.6.1.4.1.32473.1.2.1.5.1"},
      {"85371ca6e550143dce2803471bde3a09e8f8770f", L"VeriSign", "2.16.840.1.113733.1.7.23.6"},
      {"4eb6d578499b1ccf5f581ead56be3d9b6744a5e5", L"VeriSign", "2.16.840.1.113733.1.7.23.6"},
      {"627f8d7827656399d27d7f9044c9feb3f33efa9a", L"thawte", "2.16.840.1.113733.1.7.48.1"},
      {"91c6d6ee3e8ac86384e548c299295c756c817b81", L"thawte", "2.16.840.1.113733.1.7.48.1"},
      {"323c118e1bf7b8b65254e2e2100dd6029037f096", L"GeoTrust", "1.3.6.1.4.1.14370.1.6"},
      {"74f8a3c3efe7b390064b83903c21646020e5dfce", L"Network Solutions", "1.3.6.1.4.1.782.1.2.1.8.1"},
      {"5fb7ee0633e259dbad0c4c9ae6d38f1a61c7dc25", L"DigiCert", "2.16.840.1.114412.2.1"},
      {"99a69be61afe886b4d2b82007cb854fc317e1539", L"Entrust", "2.16.840.1.114028.10.1.2"},
      {"b31eb1b740e36c8402dadc37d44df5d4674952f9", L"Entrust", "2.16.840.1.114028.10.1.2"},
      {"8782c6c304353bcfd29692d2593e7d44d934ff11", L"SecureTrust", "2.16.840.1.114404.1.1.2.4.1"},
      {"3a44735ae581901f248661461e3b9cc45ff53a1b", L"SecureTrust", "2.16.840.1.114404.1.1.2.4.1"},
      {"2796bae63f1801e277261ba0d77770028f20eee4", L"Go Daddy Class 2 Certification Authority",
       "2.16.840.1.114413.1.7.23.3"},
      {"75e0abb6138512271c04f85fddde38e4b7242efe", L"GlobalSign", "1.3.6.1.4.1.4146.1.1"},
      {"ca3afbcf1240364b44b216208880483919937cf7", L"QuoVadis", "1.3.6.1.4.1.8024.0.2.100.1.2"},
      {"5f43e5b1bff8788cac1cc7ca4a9ac6222bcc34c6", L"CyberTrust", "1.3.6.1.4.1.6334.1.100.1"},
      {"ad7e1c28b064ef8f6003402014c3d0e3370eb58a", L"Starfield", "2.16.840.1.114414.1.7.23.3"},
      {"b80186d1eb9c86a54104cf3054f34c52b7e558c6", L"Xramp", "2.16.840.1.114404.1.1.2.4.1"},
  };
  table->clear();
  for (const Row& row : kRows) table->emplace(row.thumbprint, std::make_pair(std::string(row.policy), std::wstring(row.authority)));
}

const EvRootTable& GetEvRootTable() {
  std::unique_ptr<EvRootTable>& holder = TableHolder();
  if (!holder) {
    holder.reset(new EvRootTable);
    BuildEvRootTable(holder.get());
  }
  return *holder;
}

bool EncodeEvPolicies(const std::string& policy_oid, std::vector<BYTE>* out) {
  BYTE flags = 0xC0;
  CRYPT_BIT_BLOB bits = {1, &flags, 0};
  std::vector<BYTE> encoded_bits;
  if (!Encode(X509_BITS, &bits, &encoded_bits)) return false;
  CERT_POLICY_QUALIFIER_INFO qualifier = {const_cast<char*>(kRootProgramFlagsOid),
                                          {static_cast<DWORD>(encoded_bits.size()), encoded_bits.data()}};
  std::string oid = policy_oid;
  CERT_POLICY_INFO policy = {&oid[0], 1, &qualifier};
  CERT_POLICIES_INFO policies = {1, &policy};
  return Encode(X509_CERT_POLICIES, &policies, out);
}

bool MarkAsEvRoot(const EvRootTable& table, PCCERT_CONTEXT certificate) {
  CryptoNS::CCertData data(certificate);
  std::string thumbprint;
  if (!data.GetThumbprint(&thumbprint)) return false;
  auto row = table.find(thumbprint);
  if (row == table.end()) return false;

  const std::wstring& authority = row->second.second;
  CRYPT_DATA_BLOB name = {static_cast<DWORD>((authority.size() + 1) * sizeof(wchar_t)),
                          reinterpret_cast<BYTE*>(const_cast<wchar_t*>(authority.c_str()))};
  if (!CertSetCertificateContextProperty(certificate, CERT_FRIENDLY_NAME_PROP_ID, kIgnorePersistError, &name))
    return false;

  std::vector<BYTE> encoded;
  if (!EncodeEvPolicies(row->second.first, &encoded)) return false;
  CRYPT_DATA_BLOB value = {static_cast<DWORD>(encoded.size()), encoded.data()};
  return CertSetCertificateContextProperty(certificate, kRootProgramPoliciesProp, 0, &value) != FALSE;
}

}  // namespace SetupFrameworkNS
