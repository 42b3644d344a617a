#include "common/crypto/cert_helpers.h"

#include <winhttp.h>
#include <wintrust.h>
#include <softpub.h>
#include <cryptuiapi.h>

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "common/crypto/crypto_internal.h"
#include "common/utility/platform.h"
#include "platform/win/module.h"
#include "platform/win/scoped_handle.h"

namespace CryptoNS {

namespace {

std::string Narrow(const wchar_t* text) {
  std::string out;
  if (!text || !*text) return out;
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return out;
  out.resize(n);
  WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(n - 1);
  return out;
}

std::wstring Widen(const std::string& text) {
  std::wstring out;
  if (text.empty()) return out;
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 1) return out;
  out.resize(n);
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], n);
  out.resize(n - 1);
  return out;
}

using ChainPtr = KestrinWinNS::CScopedCertChain;

// The certificate's chain as the SSL check and the root query build it: default engine, now,
// the certificate's own store as extra store, no requested usage, flags 0.
ChainPtr BuildChain(PCCERT_CONTEXT cert) {
  CERT_CHAIN_PARA para = {};
  para.cbSize = sizeof(para);
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0, nullptr, &chain))
    return ChainPtr();
  return ChainPtr(chain);
}

// The last error as a failure code: never 0.
DWORD LastErrorOrFail() {
  DWORD error = GetLastError();
  return error ? error : static_cast<DWORD>(E_FAIL);
}

// The host of an http or https URL: the URL goes through the ANSI code page first, as the
// rest of the add-on sees it.
bool HostOfUrl(const wchar_t* url, std::wstring* host) {
  std::wstring wide = Widen(Narrow(url));
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  if (wide.empty() || !WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return false;
  if (!parts.lpszHostName || parts.dwHostNameLength == 0) return false;
  host->assign(parts.lpszHostName, parts.dwHostNameLength);
  return true;
}

}  // namespace

// ---- CCertData ----------------------------------------------------------------------------

CCertData::CCertData(PCCERT_CONTEXT context)
    : context_(context ? CertDuplicateCertificateContext(context) : nullptr) {}

CCertData::~CCertData() = default;

bool CCertData::GetRootCertificate(PCCERT_CONTEXT* root) const {
  if (!context_ || !root) return false;
  ChainPtr chain = BuildChain(context_.Get());
  if (!chain) return false;
  for (DWORD i = 0; i < chain->cChain; ++i) {
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[i];
    if (!simple || simple->cElement == 0) continue;
    const CERT_CHAIN_ELEMENT* top = simple->rgpElement[simple->cElement - 1];
    if (top->TrustStatus.dwInfoStatus & CERT_TRUST_IS_SELF_SIGNED) {
      *root = CertDuplicateCertificateContext(top->pCertContext);
      return *root != nullptr;
    }
  }
  return false;
}

bool CCertData::GetThumbprint(std::string* out) const {
  if (!out) return false;
  out->clear();
  if (!context_) return false;
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(context_.Get(), CERT_SHA1_HASH_PROP_ID, nullptr, &size) || size == 0)
    return false;
  std::vector<BYTE> hash;
  try {
    hash.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!CertGetCertificateContextProperty(context_.Get(), CERT_SHA1_HASH_PROP_ID, hash.data(), &size)) return false;
  char pair[3];
  for (DWORD i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof(pair), "%02x", hash[i]);
    *out += pair;
  }
  return true;
}

bool CCertData::GetFriendlyName(std::string* out) const {
  if (!out) return false;
  out->clear();
  if (!context_) return false;
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(context_.Get(), CERT_FRIENDLY_NAME_PROP_ID, nullptr, &size) || size == 0)
    return false;
  std::vector<wchar_t> name;
  try {
    name.resize(size / sizeof(wchar_t) + 1, L'\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!CertGetCertificateContextProperty(context_.Get(), CERT_FRIENDLY_NAME_PROP_ID, name.data(), &size)) return false;
  *out = Narrow(name.data());
  return true;
}

bool CCertData::GetNameString(void* type_param, std::string* out, bool issuer, DWORD name_type) const {
  if (!out || !context_) return false;
  DWORD flags = issuer ? CERT_NAME_ISSUER_FLAG : 0;
  DWORD count = CertGetNameStringA(context_.Get(), name_type, flags, type_param, nullptr, 0);
  if (count < 2) return false;  // only the terminator
  std::string text;
  try {
    text.resize(count);
  } catch (const std::bad_alloc&) {
    out->clear();
    return false;
  }
  DWORD written = CertGetNameStringA(context_.Get(), name_type, flags, type_param, &text[0], count);
  if (written < 2) {
    out->clear();
    return false;
  }
  text.resize(written - 1);
  *out = text;
  return true;
}

bool CCertData::GetSerialNumber(std::string* out) const {
  if (!out) return false;
  out->clear();
  if (!context_ || !context_->pCertInfo) return false;
  const CRYPT_INTEGER_BLOB& serial = context_->pCertInfo->SerialNumber;
  char pair[3];
  for (DWORD i = serial.cbData; i > 0; --i) {  // kept least significant byte first
    std::snprintf(pair, sizeof(pair), "%.2X", serial.pbData[i - 1]);
    *out += pair;
  }
  return !out->empty();
}

// ---- SSL check ----------------------------------------------------------------------------

DWORD VerifySslCertificateChain(PCCERT_CONTEXT cert, const wchar_t* url, DWORD ignore_flags) {
  if (!cert || !url || !*url) return kSslCheckNoTarget;
  std::wstring host;
  if (!HostOfUrl(url, &host)) return kSslCheckNoTarget;

  ChainPtr chain = BuildChain(cert);
  if (!chain) return LastErrorOrFail();

  HTTPSPolicyCallbackData ssl = {};
  ssl.cbStruct = sizeof(ssl);
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.fdwChecks = ignore_flags;
  ssl.pwszServerName = &host[0];
  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof(policy);
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof(status);
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.Get(), &policy, &status))
    return LastErrorOrFail();
  // A chain that ends below any root is never valid unless unknown authorities are ignored
  // (Wine's SSL policy lets such a chain pass).
  if (status.dwError == 0 && (chain->TrustStatus.dwErrorStatus & CERT_TRUST_IS_PARTIAL_CHAIN) &&
      !(ignore_flags & SECURITY_FLAG_IGNORE_UNKNOWN_CA))
    return static_cast<DWORD>(CERT_E_CHAINING);
  return status.dwError;
}

// ---- PKCS#12 ------------------------------------------------------------------------------

namespace {

// The default key container of a provider is named after the user.
bool IsDefaultContainer(const wchar_t* container) {
  wchar_t user[256];
  DWORD size = 256;
  return container && GetUserNameW(user, &size) && lstrcmpiW(container, user) == 0;
}

}  // namespace

bool ImportPfxStore(const BYTE* blob, DWORD size, const wchar_t* password, HCERTSTORE* store) {
  if (!blob || size == 0 || !store) return false;
  CRYPT_DATA_BLOB pfx = {size, const_cast<BYTE*>(blob)};
  DWORD flags = CRYPT_EXPORTABLE;
  if (UtilityClassesNS::GetOSClass() == UtilityClassesNS::OS_VISTA) flags |= PKCS12_NO_PERSIST_KEY;
  HCERTSTORE imported = PFXImportCertStore(&pfx, password ? password : L"", flags);
  if (!imported) return false;
  // A private key that the import linked but that cannot decrypt (32-bit Wine), or that it put
  // into the user's default key container, which every import shares (Wine), is read again
  // from the blob and imported into a container of its own.
  PCCERT_CONTEXT cert = nullptr;
  bool reimport = false;
  while (!reimport && (cert = CertEnumCertificatesInStore(imported, cert)) != nullptr) {
    DWORD info_size = 0;
    if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &info_size)) continue;
    std::vector<BYTE> info(info_size);
    if (CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, info.data(), &info_size) &&
        IsDefaultContainer(reinterpret_cast<CRYPT_KEY_PROV_INFO*>(info.data())->pwszContainerName))
      reimport = true;
    else if (!internal::PrivateKeyWorks(cert))
      reimport = true;
  }
  KestrinWinNS::CScopedCertContext stopped_at(cert);  // the enumeration's context where it stopped
  if (reimport) internal::ReimportPfxKey(blob, size, password, imported);
  *store = imported;
  return true;
}

// ---- Certificate dialog ---------------------------------------------------------------------

namespace {

// The trust library serves the certificate dialog alone: it is loaded when first needed.
struct Wintrust {
  decltype(&WinVerifyTrust) verify = KestrinWinNS::SystemFunctionAs<decltype(&WinVerifyTrust)>("wintrust.dll", "WinVerifyTrust");
  decltype(&WTHelperProvDataFromStateData) provider_data =
      KestrinWinNS::SystemFunctionAs<decltype(&WTHelperProvDataFromStateData)>("wintrust.dll",
                                                                              "WTHelperProvDataFromStateData");
};

const Wintrust& Trust() {
  static const Wintrust trust;
  return trust;
}

// A WinVerifyTrust state for one certificate, closed when it goes.
class CCertTrustState {
 public:
  explicit CCertTrustState(PCCERT_CONTEXT cert) : cert_(CertDuplicateCertificateContext(cert)) {
    policy_.cbStruct = sizeof(policy_);
    policy_.dwAuthType = AUTHTYPE_SERVER;
    policy_.fdwChecks = SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE | SECURITY_FLAG_IGNORE_CERT_CN_INVALID;  // 0x1200
    cert_info_.cbStruct = sizeof(cert_info_);
    cert_info_.psCertContext = const_cast<CERT_CONTEXT*>(cert_.Get());
    data_.cbStruct = sizeof(data_);
    data_.pPolicyCallbackData = &policy_;
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_CERT;
    data_.pCert = &cert_info_;
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    if (!Trust().verify) return;
    Trust().verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_);
    verified_ = true;
  }
  ~CCertTrustState() {
    if (verified_) {
      GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
      data_.dwStateAction = WTD_STATEACTION_CLOSE;
      Trust().verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_);
    }
  }
  CRYPT_PROVIDER_DATA* ProviderData() const {
    return data_.hWVTStateData && Trust().provider_data ? Trust().provider_data(data_.hWVTStateData) : nullptr;
  }

 private:
  CCertTrustState(const CCertTrustState&) = delete;
  CCertTrustState& operator=(const CCertTrustState&) = delete;

  KestrinWinNS::CScopedCertContext cert_;
  HTTPSPolicyCallbackData policy_ = {};
  WINTRUST_CERT_INFO cert_info_ = {};
  WINTRUST_DATA data_ = {};
  bool verified_ = false;
};

}  // namespace

void ViewCertificate(PCCERT_CONTEXT cert, bool server_auth, HWND parent) {
  if (!cert) return;
  CRYPTUI_VIEWCERTIFICATE_STRUCTA view = {};
  view.dwSize = sizeof(view);
  view.hwndParent = parent;
  view.pCertContext = cert;
  HCERTSTORE own_store = cert->hCertStore;
  if (own_store) {
    view.cStores = 1;
    view.rghStores = &own_store;
  }
  LPCSTR purpose = szOID_PKIX_KP_SERVER_AUTH;  // "1.3.6.1.5.5.7.3.1"
  std::unique_ptr<CCertTrustState> trust;
  if (server_auth) {
    view.cPurposes = 1;
    view.rgszPurposes = &purpose;
    trust.reset(new (std::nothrow) CCertTrustState(cert));
    if (trust && trust->ProviderData()) {
      view.pCryptProviderData = trust->ProviderData();
      view.fpCryptProviderDataTrustedUsage = TRUE;
    }
  }
  // cryptui is loaded when the dialog is wanted (not every build environment links it).
  KestrinWinNS::CScopedLibrary cryptui(LoadLibraryA("cryptui.dll"));
  if (!cryptui) return;
  typedef BOOL(WINAPI * ViewProc)(PCCRYPTUI_VIEWCERTIFICATE_STRUCTA, BOOL*);
  auto view_proc = reinterpret_cast<ViewProc>(GetProcAddress(cryptui.Get(), "CryptUIDlgViewCertificateA"));
  BOOL changed = FALSE;
  if (view_proc) view_proc(&view, &changed);
}

}  // namespace CryptoNS
