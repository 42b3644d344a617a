// Pieces the certificate helpers share: a DER reader, owners of CryptoAPI handles, and CBC
// decryption with a raw key.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <memory>
#include <vector>

namespace CryptoNS {
namespace internal {

// A view of DER bytes.
struct Der {
  const BYTE* data = nullptr;
  size_t size = 0;
};

// Reads one element (definite lengths, low tag numbers) from the front of `in`.
bool ReadElement(Der* in, BYTE* tag, Der* content, Der* whole = nullptr);
// As ReadElement when the next element has `tag`; else `in` stays as it was.
bool Expect(Der* in, BYTE tag, Der* content, Der* whole = nullptr);
bool Equals(const Der& d, const BYTE* bytes, size_t size);
// An OCTET STRING's bytes, primitive or constructed from pieces, nested at most
// kMaxOctetDepth levels.
const int kMaxOctetDepth = 8;
bool AppendOctets(BYTE tag, const Der& content, std::vector<BYTE>* out, int depth = 0);
// A small non-negative INTEGER's value.
bool ReadSmallInteger(const Der& content, DWORD* value);

class CProvider {
 public:
  CProvider() {}
  ~CProvider() { Reset(); }
  void Reset() {
    if (prov_ && owned_) CryptReleaseContext(prov_, 0);
    prov_ = 0;
  }
  HCRYPTPROV* Receive(bool owned = true) {
    Reset();
    owned_ = owned;
    return &prov_;
  }
  HCRYPTPROV Get() const { return prov_; }

 private:
  CProvider(const CProvider&) = delete;
  CProvider& operator=(const CProvider&) = delete;

  HCRYPTPROV prov_ = 0;
  bool owned_ = true;
};

class CKey {
 public:
  CKey() {}
  ~CKey() {
    if (key_) CryptDestroyKey(key_);
  }
  HCRYPTKEY* Receive() { return &key_; }
  HCRYPTKEY Get() const { return key_; }

 private:
  CKey(const CKey&) = delete;
  CKey& operator=(const CKey&) = delete;

  HCRYPTKEY key_ = 0;
};

class CHash {
 public:
  CHash() {}
  ~CHash() {
    if (hash_) CryptDestroyHash(hash_);
  }
  HCRYPTHASH* Receive() { return &hash_; }
  HCRYPTHASH Get() const { return hash_; }

 private:
  CHash(const CHash&) = delete;
  CHash& operator=(const CHash&) = delete;

  HCRYPTHASH hash_ = 0;
};

struct CertDeleter {
  void operator()(PCCERT_CONTEXT cert) const { CertFreeCertificateContext(cert); }
};
using CertPtr = std::unique_ptr<const CERT_CONTEXT, CertDeleter>;

// A verify-only context of a provider that does AES, DES, 3DES and the SHA hashes (falling
// back to the basic RSA provider where there is no AES provider).
bool AcquireCipherProvider(CProvider* prov);

// Decrypts CBC `data` (PKCS#5 padding) with the raw `key` of algorithm `alg` and `iv`.
bool DecryptCbc(ALG_ID alg, const std::vector<BYTE>& key, const BYTE* iv, const std::vector<BYTE>& data,
                DWORD block_size, std::vector<BYTE>* plain);

// True when the private key linked to `cert` decrypts what its public key encrypted (signature
// keys count as working).
bool PrivateKeyWorks(PCCERT_CONTEXT cert);
// Reads the RSA key of the PKCS#12 `blob` itself, imports it into a new key container and
// links it to the certificates of `store` with the same public key. True when one was linked.
bool ReimportPfxKey(const BYTE* blob, DWORD size, const wchar_t* password, HCERTSTORE store);

}  // namespace internal
}  // namespace CryptoNS
