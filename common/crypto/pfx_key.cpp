// A second way to the private key of a PKCS#12 blob, for when the platform's import yields a
// key that cannot decrypt (measured: 32-bit Wine 8). The key bag is read here (PKCS#12 key
// derivation with SHA-1, 3DES-CBC, as RFC 7292 describes), the RSA key is decoded by CryptoAPI
// and imported into a key container of its own, which the certificate is then linked to.
#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/crypto/cert_helpers.h"
#include "common/crypto/crypto_internal.h"
#include "platform/win/scoped_resource.h"

namespace CryptoNS {
namespace internal {

namespace {

const BYTE kOidData[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x01};
const BYTE kOidKeyBag[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x0C, 0x0A, 0x01, 0x01};
const BYTE kOidShroudedKeyBag[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x0C, 0x0A, 0x01, 0x02};
const BYTE kOidPbeSha1TripleDes[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x0C, 0x01, 0x03};
const BYTE kOidRsaEncryption[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};

const DWORD kMaxIterations = 1000000;

bool Sha1(HCRYPTPROV prov, const std::vector<BYTE>& data, BYTE out[20]) {
  CHash hash;
  DWORD size = 20;
  return CryptCreateHash(prov, CALG_SHA1, 0, 0, hash.Receive()) &&
         CryptHashData(hash.Get(), data.data(), static_cast<DWORD>(data.size()), 0) &&
         CryptGetHashParam(hash.Get(), HP_HASHVAL, out, &size, 0) && size == 20;
}

// PKCS#12 key derivation (RFC 7292 appendix B) with SHA-1: `id` 1 for keys, 2 for IVs.
bool DeriveKey(HCRYPTPROV prov, const std::vector<BYTE>& password, const Der& salt, DWORD iterations, BYTE id,
               size_t length, std::vector<BYTE>* out) {
  const size_t u = 20, v = 64;
  std::vector<BYTE> d(v, id);
  std::vector<BYTE> i;
  auto fill = [&](const BYTE* src, size_t n) {
    if (!n) return;
    size_t total = v * ((n + v - 1) / v);
    for (size_t k = 0; k < total; ++k) i.push_back(src[k % n]);
  };
  fill(salt.data, salt.size);
  fill(password.data(), password.size());
  out->clear();
  while (out->size() < length) {
    std::vector<BYTE> buffer = d;
    buffer.insert(buffer.end(), i.begin(), i.end());
    BYTE a[20];
    if (!Sha1(prov, buffer, a)) return false;
    for (DWORD r = 1; r < iterations; ++r) {
      if (!Sha1(prov, std::vector<BYTE>(a, a + u), a)) return false;
    }
    out->insert(out->end(), a, a + u);
    if (out->size() >= length) break;
    // I_j := (I_j + B + 1) mod 2^(8v), B being A repeated to v bytes.
    for (size_t j = 0; j < i.size(); j += v) {
      unsigned carry = 1;
      for (size_t k = v; k > 0; --k) {
        unsigned sum = i[j + k - 1] + a[(k - 1) % u] + carry;
        i[j + k - 1] = static_cast<BYTE>(sum);
        carry = sum >> 8;
      }
    }
  }
  out->resize(length);
  return true;
}

// The password as PKCS#12 wants it: UTF-16 big-endian with a terminating zero.
std::vector<BYTE> BmpPassword(const wchar_t* password) {
  std::vector<BYTE> out;
  for (const wchar_t* p = password ? password : L""; *p; ++p) {
    out.push_back(static_cast<BYTE>(*p >> 8));
    out.push_back(static_cast<BYTE>(*p & 0xFF));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

// The PrivateKeyInfo of a shrouded key bag (EncryptedPrivateKeyInfo).
bool DecryptShroudedKey(Der bag_value, const wchar_t* password, std::vector<BYTE>* key_info) {
  Der epki, alg, oid, params, salt, count, encrypted;
  if (!Expect(&bag_value, 0x30, &epki) || !Expect(&epki, 0x30, &alg) || !Expect(&alg, 0x06, &oid) ||
      !Equals(oid, kOidPbeSha1TripleDes, sizeof(kOidPbeSha1TripleDes)) || !Expect(&alg, 0x30, &params) ||
      !Expect(&params, 0x04, &salt) || !Expect(&params, 0x02, &count) || !Expect(&epki, 0x04, &encrypted))
    return false;
  DWORD iterations = 0;
  if (!ReadSmallInteger(count, &iterations) || iterations == 0 || iterations > kMaxIterations) return false;
  CProvider prov;
  if (!AcquireCipherProvider(&prov)) return false;
  std::vector<BYTE> data(encrypted.data, encrypted.data + encrypted.size);
  // An empty password is tried as a lone terminator and as no bytes at all.
  std::vector<std::vector<BYTE>> passwords = {BmpPassword(password)};
  if (!password || !*password) passwords.push_back(std::vector<BYTE>());
  for (const auto& pw : passwords) {
    std::vector<BYTE> key, iv;
    if (!DeriveKey(prov.Get(), pw, salt, iterations, 1, 24, &key) ||
        !DeriveKey(prov.Get(), pw, salt, iterations, 2, 8, &iv))
      return false;
    bool ok = DecryptCbc(CALG_3DES, key, iv.data(), data, 8, key_info);
    SecureZeroMemory(key.data(), key.size());
    if (ok) return true;
  }
  return false;
}

// The RSAPrivateKey inside a PrivateKeyInfo.
bool RsaKeyOfKeyInfo(const std::vector<BYTE>& key_info, std::vector<BYTE>* rsa) {
  Der in = {key_info.data(), key_info.size()};
  Der pki, version, alg, oid, key;
  if (!Expect(&in, 0x30, &pki) || !Expect(&pki, 0x02, &version) || !Expect(&pki, 0x30, &alg) ||
      !Expect(&alg, 0x06, &oid) || !Equals(oid, kOidRsaEncryption, sizeof(kOidRsaEncryption)) ||
      !Expect(&pki, 0x04, &key))
    return false;
  rsa->assign(key.data, key.data + key.size);
  return true;
}

// Finds the first key bag of the PFX and gives its RSAPrivateKey.
bool FindRsaKey(const BYTE* blob, DWORD size, const wchar_t* password, std::vector<BYTE>* rsa) {
  Der in = {blob, size};
  Der pfx, version, auth_safe, oid, explicit0;
  BYTE tag = 0;
  if (!Expect(&in, 0x30, &pfx) || !Expect(&pfx, 0x02, &version) || !Expect(&pfx, 0x30, &auth_safe) ||
      !Expect(&auth_safe, 0x06, &oid) || !Equals(oid, kOidData, sizeof(kOidData)) ||
      !Expect(&auth_safe, 0xA0, &explicit0))
    return false;
  Der octets;
  std::vector<BYTE> safes;
  if (!ReadElement(&explicit0, &tag, &octets) || (tag & 0xDF) != 0x04 || !AppendOctets(tag, octets, &safes))
    return false;

  Der list = {safes.data(), safes.size()}, seq;
  if (!Expect(&list, 0x30, &seq)) return false;
  while (seq.size) {
    Der content_info, ci_oid, ci_explicit, ci_octets;
    if (!Expect(&seq, 0x30, &content_info)) return false;
    if (!Expect(&content_info, 0x06, &ci_oid) || !Equals(ci_oid, kOidData, sizeof(kOidData))) continue;
    std::vector<BYTE> contents;
    if (!Expect(&content_info, 0xA0, &ci_explicit) || !ReadElement(&ci_explicit, &tag, &ci_octets) ||
        (tag & 0xDF) != 0x04 || !AppendOctets(tag, ci_octets, &contents))
      continue;
    Der bags_in = {contents.data(), contents.size()}, bags;
    if (!Expect(&bags_in, 0x30, &bags)) continue;
    while (bags.size) {
      Der bag, bag_id, bag_explicit;
      if (!Expect(&bags, 0x30, &bag) || !Expect(&bag, 0x06, &bag_id) || !Expect(&bag, 0xA0, &bag_explicit)) break;
      std::vector<BYTE> key_info;
      if (Equals(bag_id, kOidKeyBag, sizeof(kOidKeyBag))) {
        Der whole, ignored;
        if (Expect(&bag_explicit, 0x30, &ignored, &whole)) key_info.assign(whole.data, whole.data + whole.size);
      } else if (Equals(bag_id, kOidShroudedKeyBag, sizeof(kOidShroudedKeyBag))) {
        if (!DecryptShroudedKey(bag_explicit, password, &key_info)) return false;
      } else {
        continue;
      }
      bool ok = RsaKeyOfKeyInfo(key_info, rsa);
      SecureZeroMemory(key_info.data(), key_info.size());
      return ok;
    }
  }
  return false;
}

bool PublicKeyBlob(HCRYPTKEY key, std::vector<BYTE>* out) {
  DWORD size = 0;
  if (!CryptExportKey(key, 0, PUBLICKEYBLOB, 0, nullptr, &size) || size == 0) return false;
  out->resize(size);
  if (!CryptExportKey(key, 0, PUBLICKEYBLOB, 0, out->data(), &size)) return false;
  out->resize(size);
  return true;
}

// Same modulus and exponent (the blob headers may name different RSA algorithms).
bool SamePublicKey(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
  return a.size() == b.size() && a.size() > sizeof(BLOBHEADER) &&
         std::memcmp(a.data() + sizeof(BLOBHEADER), b.data() + sizeof(BLOBHEADER), a.size() - sizeof(BLOBHEADER)) == 0;
}

}  // namespace

bool PrivateKeyWorks(PCCERT_CONTEXT cert) {
  HCRYPTPROV handle = 0;
  DWORD key_spec = 0;
  BOOL caller_frees = FALSE;
  if (!CryptAcquireCertificatePrivateKey(cert, 0, nullptr, &handle, &key_spec, &caller_frees)) return false;
  // A provider the certificate keeps is not ours to release.
  CProvider prov(caller_frees ? handle : 0);
  if (key_spec == AT_SIGNATURE) return true;  // only exchange keys decrypt
  CKey priv, pub;
  if (!CryptGetUserKey(handle, AT_KEYEXCHANGE, priv.Receive()) ||
      !CryptImportPublicKeyInfo(handle, X509_ASN_ENCODING, &cert->pCertInfo->SubjectPublicKeyInfo,
                                pub.Receive()))
    return false;
  static const char kProbe[] = "Kestrin key probe";
  BYTE buffer[1024] = {};
  std::memcpy(buffer, kProbe, sizeof(kProbe));
  DWORD length = sizeof(kProbe);
  if (!CryptEncrypt(pub.Get(), 0, TRUE, 0, buffer, &length, sizeof(buffer))) return false;
  if (!CryptDecrypt(priv.Get(), 0, TRUE, 0, buffer, &length)) return false;
  return length == sizeof(kProbe) && std::memcmp(buffer, kProbe, length) == 0;
}

bool ReimportPfxKey(const BYTE* blob, DWORD size, const wchar_t* password, HCERTSTORE store) {
  std::vector<BYTE> rsa;
  if (!FindRsaKey(blob, size, password, &rsa)) return false;
  BYTE* key_blob = nullptr;
  DWORD key_blob_size = 0;
  bool decoded = CryptDecodeObjectEx(X509_ASN_ENCODING, PKCS_RSA_PRIVATE_KEY, rsa.data(),
                                     static_cast<DWORD>(rsa.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr, &key_blob,
                                     &key_blob_size) != FALSE;
  SecureZeroMemory(rsa.data(), rsa.size());
  if (!decoded) return false;
  KestrinWinNS::CScopedLocalMemory key_blob_owner(key_blob);
  std::vector<BYTE> private_blob(key_blob, key_blob + key_blob_size);
  SecureZeroMemory(key_blob, key_blob_size);
  reinterpret_cast<BLOBHEADER*>(private_blob.data())->aiKeyAlg = CALG_RSA_KEYX;

  // A container of its own, named by a new GUID, as the platform's import makes them.
  GUID guid;
  wchar_t container[64];
  if (FAILED(CoCreateGuid(&guid)) || !StringFromGUID2(guid, container, 64)) return false;
  CProvider prov;
  if (!CryptAcquireContextW(prov.Receive(), container, MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_NEWKEYSET))
    return false;
  CKey key;
  bool imported = CryptImportKey(prov.Get(), private_blob.data(), static_cast<DWORD>(private_blob.size()), 0,
                                 CRYPT_EXPORTABLE, key.Receive()) != FALSE;
  SecureZeroMemory(private_blob.data(), private_blob.size());
  std::vector<BYTE> key_public;
  if (!imported || !PublicKeyBlob(key.Get(), &key_public)) return false;

  CProvider verify;
  if (!AcquireCipherProvider(&verify)) return false;
  bool linked = false;
  PCCERT_CONTEXT cert = nullptr;
  while ((cert = CertEnumCertificatesInStore(store, cert)) != nullptr) {
    CKey cert_key;
    std::vector<BYTE> cert_public;
    if (!CryptImportPublicKeyInfo(verify.Get(), X509_ASN_ENCODING, &cert->pCertInfo->SubjectPublicKeyInfo,
                                  cert_key.Receive()) ||
        !PublicKeyBlob(cert_key.Get(), &cert_public) || !SamePublicKey(cert_public, key_public))
      continue;
    CRYPT_KEY_PROV_INFO info = {};
    info.pwszContainerName = container;
    info.pwszProvName = const_cast<wchar_t*>(MS_ENHANCED_PROV_W);
    info.dwProvType = PROV_RSA_FULL;
    info.dwKeySpec = AT_KEYEXCHANGE;
    CertSetCertificateContextProperty(cert, CERT_KEY_CONTEXT_PROP_ID, 0, nullptr);
    if (CertSetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, 0, &info)) linked = true;
  }
  return linked;
}

}  // namespace internal
}  // namespace CryptoNS
