#include "common/nlrcert/nlr_certificate.h"

#include <string.h>

#include <new>

#include "common/der/der_shape.h"
#include "common/nlrcert/maker_roots.h"
#include "common/nlrcert/nlr_data.h"
#include "common/url/page_address.h"

namespace CryptoNS {

const char kNlrContentOid[] = "1.3.6.1.4.1.32473.1.1.1";
const char kNlrOptionsOid[] = "1.3.6.1.4.1.32473.1.1.2";

namespace {

const DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// Element positions of the two extensions.
const DWORD kLogoGraphic = 0, kLogoFileType = 1, kLogoName = 2, kLogoHashAlgorithm = 3,
            kLogoSize = 4;
const DWORD kMerchantUrl = 0, kDirectoryScope = 1, kCanBeUsedBy = 2, kSubDomainScope = 3,
            kOptionText = 5;

const BYTE kTagInteger = 0x02, kTagEnumerated = 0x0A, kTagUtf8String = 0x0C, kTagPrintableString = 0x13,
           kTagIa5String = 0x16, kTagSequence = 0x30;

// Decodes `data` as `type` into `out` (sizing call, allocation, decoding call).
bool Decode(LPCSTR type, const BYTE* data, DWORD size, std::vector<BYTE>* out) {
  if (!data || size == 0) return false;
  // The platform decoders read only shapes checked here first.
  if (!DerNS::IsWellFormed(data, size)) return false;
  if (type == X509_BITS && !DerNS::IsBitString(data, size)) return false;
  if (type == X509_ANY_STRING && !DerNS::IsString(data, size)) return false;
  if ((type == X509_INTEGER || type == X509_ENUMERATED) &&
      !DerNS::IsPrimitive(data, size, type == X509_INTEGER ? kTagInteger : kTagEnumerated, 1, 4))
    return false;
  DWORD needed = 0;
  if (!CryptDecodeObject(kEncoding, type, data, size, 0, nullptr, &needed) || needed == 0)
    return false;
  try {
    out->assign(needed, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return CryptDecodeObject(kEncoding, type, data, size, 0, out->data(), &needed) != FALSE;
}

bool Assign(std::vector<BYTE>* out, const BYTE* data, DWORD size) {
  try {
    out->assign(data, data + size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

BYTE ReverseBits(BYTE b) {
  BYTE r = 0;
  for (int i = 0; i < 8; ++i) {
    r = static_cast<BYTE>((r << 1) | (b & 1));
    b >>= 1;
  }
  return r;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// `prefix` begins `text`, and `text` ends there or goes on with a slash.
bool IsPathPrefix(const std::string& text, const std::string& prefix) {
  return StartsWithNoCase(text, prefix) &&
         (text.size() == prefix.size() || text[prefix.size()] == '/');
}

// The path cut at its last slash, the slash removed ("/a/b.html" gives "/a", "/" gives "").
std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(0, slash);
}

// A read-only system store of the local machine.
HCERTSTORE OpenMachineStore(const char* name) {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG, name);
}

}  // namespace

CNlrCertificate::CNlrCertificate() {}

CNlrCertificate::~CNlrCertificate() = default;

bool CNlrCertificate::Load(const BYTE* data, DWORD size) {
  context_.Reset();
  has_popup_text_ = has_link_url_ = false;
  popup_text_.clear();
  link_url_.clear();
  if (!data || size == 0 || !DerNS::IsWellFormed(data, size)) return false;
  context_.Reset(CertCreateCertificateContext(kEncoding, data, size));
  if (!context_.IsValid()) return false;
  // The names go to the platform's name readers: both must have the shape of a name.
  const CERT_INFO* info = context_.Get()->pCertInfo;
  if (!DerNS::IsName(info->Subject.pbData, info->Subject.cbData) ||
      !DerNS::IsName(info->Issuer.pbData, info->Issuer.cbData))
    context_.Reset();
  return context_.IsValid();
}

bool CNlrCertificate::GetElementCount(const char* oid, DWORD* count) const {
  std::vector<BYTE> unused;
  *count = 0;
  GetElement(oid, 0, &unused, count);
  return *count != 0;
}

bool CNlrCertificate::GetElement(const char* oid, DWORD index, std::vector<BYTE>* encoded,
                                 DWORD* count) const {
  if (!context_) return false;
  PCERT_EXTENSION ext = CertFindExtension(oid, context_->pCertInfo->cExtension,
                                          context_->pCertInfo->rgExtension);
  if (!ext) return false;
  std::vector<BYTE> decoded;
  if (!Decode(X509_SEQUENCE_OF_ANY, ext->Value.pbData, ext->Value.cbData, &decoded)) return false;
  const CRYPT_SEQUENCE_OF_ANY* any = reinterpret_cast<const CRYPT_SEQUENCE_OF_ANY*>(decoded.data());
  if (count) *count = any->cValue;
  if (index >= any->cValue) return false;
  const CRYPT_DER_BLOB& element = any->rgValue[index];
  if (!element.pbData || element.cbData == 0) return false;
  return Assign(encoded, element.pbData, element.cbData);
}

// What an element delivers: OCTET STRING and BIT STRING their bytes (a BIT STRING with the bit
// order of every byte reversed), strings their value bytes without terminator, ENUMERATED and
// INTEGER their 4-byte little-endian value.
bool CNlrCertificate::ReadElement(const char* oid, DWORD index, LPCSTR type,
                                  std::vector<BYTE>* bytes) const {
  bytes->clear();
  std::vector<BYTE> encoded, decoded;
  if (!GetElement(oid, index, &encoded, nullptr)) return false;
  if (!Decode(type, encoded.data(), static_cast<DWORD>(encoded.size()), &decoded)) return false;
  if (type == X509_OCTET_STRING) {
    const CRYPT_DATA_BLOB* blob = reinterpret_cast<const CRYPT_DATA_BLOB*>(decoded.data());
    return Assign(bytes, blob->pbData, blob->cbData);
  }
  if (type == X509_BITS) {
    const CRYPT_BIT_BLOB* blob = reinterpret_cast<const CRYPT_BIT_BLOB*>(decoded.data());
    if (!Assign(bytes, blob->pbData, blob->cbData)) return false;
    for (BYTE& b : *bytes) b = ReverseBits(b);
    return true;
  }
  if (type == X509_ANY_STRING) {
    const CERT_NAME_VALUE* value = reinterpret_cast<const CERT_NAME_VALUE*>(decoded.data());
    return Assign(bytes, value->Value.pbData, value->Value.cbData);
  }
  if (type == X509_ENUMERATED || type == X509_INTEGER) {
    int number = *reinterpret_cast<const int*>(decoded.data());
    return Assign(bytes, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  }
  return false;
}

bool CNlrCertificate::ReadNumberElement(const char* oid, DWORD index, LPCSTR type,
                                        int* value) const {
  std::vector<BYTE> bytes;
  if (!ReadElement(oid, index, type, &bytes) || bytes.size() != sizeof(int)) return false;
  memcpy(value, bytes.data(), sizeof(int));
  return true;
}

bool CNlrCertificate::ReadNameField(const char* name, std::vector<BYTE>* bytes) const {
  DWORD type = CERT_NAME_SIMPLE_DISPLAY_TYPE, flags = 0;
  void* param = nullptr;
  if (strcmp(name, "MerchantName") == 0 || strcmp(name, "HallmarkName") == 0) {
    type = CERT_NAME_ATTR_TYPE;
    param = const_cast<char*>(szOID_COMMON_NAME);
    if (name[0] == 'H') flags = CERT_NAME_ISSUER_FLAG;
  }
  DWORD count = CertGetNameStringA(context_.Get(), type, flags, param, nullptr, 0);
  if (count == 0) return false;
  try {
    bytes->assign(count, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  count = CertGetNameStringA(context_.Get(), type, flags, param, reinterpret_cast<char*>(bytes->data()),
                             count);
  if (count == 0 || count > bytes->size()) return false;
  bytes->resize(count);  // the terminator counts: an empty name is one zero byte
  return true;
}

bool CNlrCertificate::GetField(const char* name, std::vector<BYTE>* bytes) const {
  bytes->clear();
  if (!context_ || !name) return false;
  const CERT_INFO* info = context_->pCertInfo;
  for (DWORD i = 0; i < info->cExtension; ++i) {
    if (info->rgExtension[i].pszObjId && strcmp(info->rgExtension[i].pszObjId, name) == 0) {
      const CRYPT_OBJID_BLOB& value = info->rgExtension[i].Value;
      return Assign(bytes, value.pbData, value.cbData) && !bytes->empty();
    }
  }
  bool read = false;
  if (strcmp(name, "Name") == 0 || strcmp(name, "MerchantName") == 0 ||
      strcmp(name, "HallmarkName") == 0) {
    read = ReadNameField(name, bytes);
  } else if (strcmp(name, "MerchantURL") == 0) {
    read = ReadElement(kNlrOptionsOid, kMerchantUrl, X509_ANY_STRING, bytes);
  } else if (strcmp(name, "OptionDirectoryScope") == 0) {
    read = ReadElement(kNlrOptionsOid, kDirectoryScope, X509_ENUMERATED, bytes);
  } else if (strcmp(name, "CanBeUsedBy") == 0) {
    read = ReadElement(kNlrOptionsOid, kCanBeUsedBy, X509_BITS, bytes);
  } else if (strcmp(name, "OptionSubDomainScope") == 0) {
    read = ReadElement(kNlrOptionsOid, kSubDomainScope, X509_ENUMERATED, bytes);
    if (!read) {
      // Unreadable: host and sub-domains.
      static const BYTE kDefault[3] = {1, 0, 0};
      read = Assign(bytes, kDefault, sizeof(kDefault));
    }
  } else if (strcmp(name, "LogoGraphic") == 0) {
    read = ReadElement(kNlrContentOid, kLogoGraphic, X509_OCTET_STRING, bytes);
  } else if (strcmp(name, "LogoFileType") == 0) {
    read = ReadElement(kNlrContentOid, kLogoFileType, X509_ENUMERATED, bytes);
  } else if (strcmp(name, "LogoName") == 0) {
    read = ReadElement(kNlrContentOid, kLogoName, X509_ANY_STRING, bytes);
  }
  if (!read) bytes->clear();
  return !bytes->empty();
}

bool CNlrCertificate::GetField(const char* name, void* buffer, DWORD capacity, DWORD* size) const {
  if (size) *size = 0;
  std::vector<BYTE> bytes;
  if (!GetField(name, &bytes)) return false;
  if (buffer) {
    if (bytes.size() > capacity) return false;
    memcpy(buffer, bytes.data(), bytes.size());
  }
  if (size) *size = static_cast<DWORD>(bytes.size());
  return true;
}

DWORD CNlrCertificate::GetFieldNumber(const char* name) const {
  std::vector<BYTE> bytes;
  if (!GetField(name, &bytes) || bytes.size() > 4) return 0;
  DWORD value = 0;
  for (size_t i = bytes.size(); i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

bool CNlrCertificate::GetLogoFileType(int* type) const {
  return ReadNumberElement(kNlrContentOid, kLogoFileType, X509_ENUMERATED, type);
}

bool CNlrCertificate::GetLogoSize(DWORD* size) const {
  int value = 0;
  if (!ReadNumberElement(kNlrContentOid, kLogoSize, X509_INTEGER, &value)) return false;
  *size = static_cast<DWORD>(value);
  return true;
}

bool CNlrCertificate::GetLogoHashAlgorithm(ALG_ID* algorithm) const {
  int value = -1;
  if (!ReadNumberElement(kNlrContentOid, kLogoHashAlgorithm, X509_ENUMERATED, &value) ||
      value != 0)
    return false;
  *algorithm = CALG_SHA1;
  return true;
}

bool CNlrCertificate::MatchLogoHash(const BYTE* digest, DWORD length) const {
  std::vector<BYTE> stored;
  if (!digest || !GetField("LogoGraphic", &stored)) return false;
  return stored.size() == length && memcmp(stored.data(), digest, length) == 0;
}

bool CNlrCertificate::GetLogoDimensions(int* width, int* height) const {
  DWORD count = 0;
  if (!GetElementCount(kNlrContentOid, &count)) return false;
  for (DWORD i = kLogoName; i < count; ++i) {
    std::vector<BYTE> encoded, decoded;
    if (!GetElement(kNlrContentOid, i, &encoded, nullptr) || encoded[0] != kTagSequence) continue;
    if (!Decode(X509_SEQUENCE_OF_ANY, encoded.data(), static_cast<DWORD>(encoded.size()), &decoded))
      continue;
    const CRYPT_SEQUENCE_OF_ANY* pair = reinterpret_cast<const CRYPT_SEQUENCE_OF_ANY*>(decoded.data());
    if (pair->cValue != 2) continue;
    int values[2];
    bool ok = true;
    for (int j = 0; j < 2 && ok; ++j) {
      std::vector<BYTE> number;
      ok = pair->rgValue[j].cbData > 0 && pair->rgValue[j].pbData[0] == kTagInteger &&
           Decode(X509_INTEGER, pair->rgValue[j].pbData, pair->rgValue[j].cbData, &number);
      if (ok) values[j] = *reinterpret_cast<const int*>(number.data());
    }
    if (!ok) continue;
    *width = values[0];
    *height = values[1];
    return true;
  }
  return false;
}

bool CNlrCertificate::GetLogoName(std::string* name) const {
  DWORD count = 0;
  if (!GetElementCount(kNlrContentOid, &count)) return false;
  for (DWORD i = count; i > kLogoName; --i) {
    std::vector<BYTE> encoded, decoded;
    if (!GetElement(kNlrContentOid, i - 1, &encoded, nullptr) || encoded[0] != kTagUtf8String)
      continue;
    if (!Decode(X509_ANY_STRING, encoded.data(), static_cast<DWORD>(encoded.size()), &decoded))
      return false;
    const CERT_NAME_VALUE* value = reinterpret_cast<const CERT_NAME_VALUE*>(decoded.data());
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(value->Value.pbData);
    int chars = static_cast<int>(value->Value.cbData / sizeof(wchar_t));
    name->clear();
    if (chars == 0) return true;
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, chars, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    std::string text(bytes, '\0');
    if (WideCharToMultiByte(CP_ACP, 0, wide, chars, &text[0], bytes, nullptr, nullptr) != bytes)
      return false;
    *name = text;
    return true;
  }
  return false;
}

bool CNlrCertificate::GetTrailingOption(int* option) const {
  DWORD count = 0;
  if (!GetElementCount(kNlrOptionsOid, &count) || count < 5) return false;
  return ReadNumberElement(kNlrOptionsOid, count - 1, X509_ENUMERATED, option);
}

bool CNlrCertificate::ExtractLogo(CNLRData* data) const {
  if (!data) return false;
  std::vector<BYTE> graphic;
  if (!GetField("LogoGraphic", &graphic)) return false;
  int type = static_cast<int>(GetFieldNumber("LogoFileType"));
  data->SetType(type);
  if (type != CNLRData::kTypeGif && type != CNLRData::kTypeJpeg && type != CNLRData::kTypeBitmap &&
      type != CNLRData::kTypeHtml)
    return false;
  return data->SetData(graphic.data(), static_cast<DWORD>(graphic.size())) == 1;
}

bool CNlrCertificate::GetPopupUrl(char* buffer, size_t size) const {
  if (!context_ || !has_popup_text_ || !buffer || popup_text_.size() >= size) return false;
  memcpy(buffer, popup_text_.c_str(), popup_text_.size() + 1);
  return true;
}

bool CNlrCertificate::GetLinkUrl(std::string* url) const {
  if (!context_ || !has_link_url_ || !url) return false;
  *url = link_url_;
  return true;
}

void CNlrCertificate::CacheOptionTexts() {
  has_popup_text_ = has_link_url_ = false;
  popup_text_.clear();
  link_url_.clear();
  DWORD count = 0;
  std::vector<BYTE> encoded, text;
  if (!GetElement(kNlrOptionsOid, kOptionText, &encoded, &count) || count < 6) return;
  if (!ReadElement(kNlrOptionsOid, kOptionText, X509_ANY_STRING, &text)) return;
  const char* chars = reinterpret_cast<const char*>(text.data());
  if (encoded[0] == kTagPrintableString && text.size() <= kMaxPopupText) {
    popup_text_.assign(chars, text.size());
    has_popup_text_ = true;
  } else if (encoded[0] == kTagIa5String && text.size() <= kMaxUrl) {
    link_url_.assign(chars, text.size());
    has_link_url_ = true;
  }
}

bool CNlrCertificate::IsMakerRoot(const CRYPT_BIT_BLOB& key, const char* issuer_name) {
  if (!issuer_name || key.cbData != kMakerRootKeySize || !key.pbData) return false;
  bool known_key = false;
  for (int i = 0; i < kMakerRootKeyCount && !known_key; ++i)
    known_key = memcmp(key.pbData, kMakerRootKeys[i], kMakerRootKeySize) == 0;
  if (!known_key) return false;
  for (int i = 0; i < kMakerRootNameCount; ++i) {
    if (strstr(issuer_name, kMakerRootNames[i].common_name) &&
        strstr(issuer_name, kMakerRootNames[i].organisation))
      return true;
  }
  return false;
}

DWORD CNlrCertificate::CheckRootChain() const {
  if (!context_) return 0;
  KestrinWinNS::CScopedCertStore root(OpenMachineStore("Root")), ca(OpenMachineStore("CA"));
  return CheckRootChain(root.Get(), ca.Get());
}

DWORD CNlrCertificate::CheckRootChain(HCERTSTORE root_store, HCERTSTORE ca_store) const {
  if (!context_) return 0;
  if (!root_store || !ca_store) return kNlrIssuerMissing;
  DWORD bits = 0;
  KestrinWinNS::CScopedCertContext subject(CertDuplicateCertificateContext(context_.Get()));
  for (DWORD depth = 0;; ++depth) {
    if (depth > 19) {
      bits |= kNlrChainTooLong;
      break;
    }
    const DWORD checks = CERT_STORE_SIGNATURE_FLAG | CERT_STORE_TIME_VALIDITY_FLAG;
    DWORD flags = checks;
    PCCERT_CONTEXT issuer = CertGetIssuerCertificateFromStore(root_store, subject.Get(), nullptr,
                                                              &flags);
    DWORD error = issuer ? 0 : GetLastError();
    // A store names a certificate self-signed only when it holds it.
    bool top_in_root = !issuer && error == static_cast<DWORD>(CRYPT_E_SELF_SIGNED);
    if (!issuer && !top_in_root) {
      flags = checks;
      issuer = CertGetIssuerCertificateFromStore(ca_store, subject.Get(), nullptr, &flags);
      error = issuer ? 0 : GetLastError();
    }
    if (issuer) {
      if (flags & CERT_STORE_SIGNATURE_FLAG)
        bits |= depth == 0 ? kNlrBadSignature : kNlrIntermediateBadSignature;
      if (flags & CERT_STORE_TIME_VALIDITY_FLAG)
        bits |= depth == 0 ? kNlrNotTimeValid : kNlrIntermediateNotTimeValid;
      const CERT_INFO* s = subject.Get()->pCertInfo;
      const CERT_INFO* i = issuer->pCertInfo;
      if (CompareFileTime(&i->NotBefore, &s->NotBefore) > 0 ||
          CompareFileTime(&i->NotAfter, &s->NotAfter) < 0)
        bits |= kNlrValidityNotNested;
      subject.Reset(issuer);
      continue;
    }
    if (error != static_cast<DWORD>(CRYPT_E_SELF_SIGNED)) {
      bits |= kNlrIssuerMissing;
      break;
    }
    char name[260] = "";
    CertNameToStrA(X509_ASN_ENCODING, &subject.Get()->pCertInfo->Issuer, CERT_X500_NAME_STR, name,
                   sizeof(name));
    if (!IsMakerRoot(subject.Get()->pCertInfo->SubjectPublicKeyInfo.PublicKey, name))
      bits |= kNlrNotMakerRoot;
    if (!top_in_root) bits |= kNlrRootNotInRootStore;
    break;
  }
  return bits;
}

bool CNlrCertificate::MatchUrlScope(const char* merchant_url, const char* page_url,
                                    DWORD directory_scope, DWORD subdomain_scope) {
  if (!merchant_url || !page_url) return false;
  // The page's host and path as the browser reads the address (an address longer than any
  // the browser accepts, or one without a host, is out of scope).
  UrlNS::PageAddress page;
  if (!UrlNS::ReadPageAddress(page_url, &page) || !page.HasHost()) return false;
  const std::string& host = page.host;

  std::string merchant(merchant_url);
  size_t merchant_slash = merchant.find('/');
  std::string merchant_host = merchant.substr(0, merchant_slash);
  std::string merchant_path =
      merchant_slash == std::string::npos ? std::string() : merchant.substr(merchant_slash);
  if (merchant_host.empty()) return false;

  if (subdomain_scope == 0) {
    if (!EqualNoCase(host, merchant_host)) return false;
  } else {
    // The merchant host itself, or a sub-domain of it: the match must start at a label.
    bool same = EqualNoCase(host, merchant_host);
    bool below = host.size() > merchant_host.size() &&
                 host[host.size() - merchant_host.size() - 1] == '.' &&
                 EqualNoCase(host.substr(host.size() - merchant_host.size()), merchant_host);
    if (!same && !below) return false;
  }

  // The page path, dot segments resolved, without query or fragment.
  std::string path = page.path == "/" ? std::string() : page.path;

  switch (directory_scope) {
    case 0:
      return EqualNoCase(merchant_path, DirectoryOf(path)) || EqualNoCase(merchant_path, path);
    case 1: {
      if (!path.empty() && path.back() == '/') path.pop_back();
      return IsPathPrefix(merchant_path, DirectoryOf(path));
    }
    case 2:
      return IsPathPrefix(path, merchant_path);
    default:
      return true;
  }
}

bool CNlrCertificate::MatchAddress(DWORD ipv4) const {
  PCERT_EXTENSION ext = CertFindExtension(szOID_SUBJECT_ALT_NAME2, context_->pCertInfo->cExtension,
                                          context_->pCertInfo->rgExtension);
  if (!ext) return true;
  std::vector<BYTE> decoded;
  if (!Decode(X509_ALTERNATE_NAME, ext->Value.pbData, ext->Value.cbData, &decoded)) return true;
  const CERT_ALT_NAME_INFO* names = reinterpret_cast<const CERT_ALT_NAME_INFO*>(decoded.data());
  bool any_address = false;
  for (DWORD i = 0; i < names->cAltEntry; ++i) {
    const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
    if (entry.dwAltNameChoice != CERT_ALT_NAME_IP_ADDRESS) continue;
    any_address = true;
    if (entry.IPAddress.cbData == 4 && memcmp(entry.IPAddress.pbData, &ipv4, 4) == 0) return true;
  }
  return !any_address;
}

bool CNlrCertificate::NamesAddresses() const {
  if (!context_) return false;
  PCERT_EXTENSION ext = CertFindExtension(szOID_SUBJECT_ALT_NAME2, context_->pCertInfo->cExtension,
                                          context_->pCertInfo->rgExtension);
  if (!ext) return false;
  std::vector<BYTE> decoded;
  if (!Decode(X509_ALTERNATE_NAME, ext->Value.pbData, ext->Value.cbData, &decoded)) return false;
  const CERT_ALT_NAME_INFO* names = reinterpret_cast<const CERT_ALT_NAME_INFO*>(decoded.data());
  for (DWORD i = 0; i < names->cAltEntry; ++i)
    if (names->rgAltEntry[i].dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS) return true;
  return false;
}

CNlrCertificate::UrlScope CNlrCertificate::GetUrlScope() const {
  UrlScope scope;
  scope.directory_scope = GetFieldNumber("OptionDirectoryScope");
  // A sub-domain scope that cannot be read allows the exact host alone.
  int subdomain_value = 0;
  scope.subdomain_scope =
      ReadNumberElement(kNlrOptionsOid, kSubDomainScope, X509_ENUMERATED, &subdomain_value) ? subdomain_value : 0;
  std::vector<BYTE> url;
  if (GetField("MerchantURL", &url) && url.size() <= kMaxMerchantUrl) {
    scope.usable = true;
    scope.merchant.assign(reinterpret_cast<const char*>(url.data()), url.size());
  }
  return scope;
}

DWORD CNlrCertificate::ScopeBits(const UrlScope& scope, const char* page_url) {
  if (!scope.usable) return kNlrFieldMissing | kNlrMerchantUrlUnusable;
  if (scope.merchant.find('\0') != std::string::npos ||
      !MatchUrlScope(scope.merchant.c_str(), page_url, scope.directory_scope, scope.subdomain_scope))
    return kNlrOutOfScope;
  return 0;
}

DWORD CNlrCertificate::VerifyWithChain(const char* page_url, const DWORD* ipv4, bool check_url, DWORD chain_bits) {
  if (!page_url) return kNlrFieldMissing;
  DWORD bits = chain_bits;

  // The version is the later INTEGER among options elements 5 and 6.
  int version = 0;
  bool has_version = false;
  for (DWORD index = 6; index >= 5 && !has_version; --index) {
    std::vector<BYTE> encoded;
    if (GetElement(kNlrOptionsOid, index, &encoded, nullptr) && encoded[0] == kTagInteger)
      has_version = ReadNumberElement(kNlrOptionsOid, index, X509_INTEGER, &version);
  }
  if (!has_version || version != 1) bits |= kNlrBadVersion;

  if (page_url[0] && check_url) bits |= ScopeBits(GetUrlScope(), page_url);

  if (ipv4 && context_ && !MatchAddress(*ipv4)) bits |= kNlrOutOfScope;

  // A required name that is missing or empty (only its terminator) fails.
  static const char* const kRequired[] = {"Name", "MerchantName", "HallmarkName"};
  for (const char* name : kRequired) {
    std::vector<BYTE> value;
    if (!GetField(name, &value) || value.size() < 2) bits |= kNlrFieldMissing;
  }

  CacheOptionTexts();
  return bits;
}

}  // namespace CryptoNS
