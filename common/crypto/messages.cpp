// PKCS#7 enveloped and signed messages between two streams.
//
// Decryption does not go through CryptDecryptMessage or CMSG_CTRL_DECRYPT: it reads the
// EnvelopedData structure itself, decrypts the recipient's content key with the private key
// (CryptDecrypt), imports the content key into an AES-capable provider and decrypts the content
// with the IV from the algorithm parameters. Every step is plain CryptoAPI and gives the same
// plain text on every Windows version (and on Wine, whose message decryption ignores the IV).
#include "common/crypto/cert_helpers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "common/crypto/crypto_internal.h"
#include "common/der/der_shape.h"

namespace CryptoNS {

namespace {

using namespace internal;

// ---- Streams --------------------------------------------------------------------------------

// Largest message read into memory.
const ULONGLONG kMaxMessageSize = 256ull * 1024 * 1024;

bool ReadWholeStream(IStream* stream, std::vector<BYTE>* out) {
  STATSTG stat = {};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return false;
  ULONGLONG size = stat.cbSize.QuadPart;
  if (size == 0 || size > kMaxMessageSize) return false;
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER position = {};
  if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &position)) || position.QuadPart > size) return false;
  size -= position.QuadPart;  // what is left from the current position
  if (size == 0) return false;
  try {
    out->resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  ULONG done = 0;
  size_t total = 0;
  while (total < out->size()) {
    HRESULT hr = stream->Read(out->data() + total, static_cast<ULONG>(out->size() - total), &done);
    if (FAILED(hr) || done == 0) break;
    total += done;
  }
  return total == out->size();
}

bool WriteWholeStream(IStream* stream, const BYTE* data, size_t size) {
  size_t total = 0;
  while (total < size) {
    ULONG done = 0;
    HRESULT hr = stream->Write(data + total, static_cast<ULONG>(size - total), &done);
    if (FAILED(hr) || done == 0) return false;
    total += done;
  }
  return true;
}

const BYTE kOidEnvelopedData[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x03};

struct ContentCipher {
  BYTE oid[9];
  size_t oid_size;
  ALG_ID alg;
  DWORD key_size;
  DWORD block_size;
};

const ContentCipher kCiphers[] = {
    {{0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x03, 0x07}, 8, CALG_3DES, 24, 8},           // des-ede3-cbc
    {{0x2B, 0x0E, 0x03, 0x02, 0x07}, 5, CALG_DES, 8, 8},                                // desCBC
    {{0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x01, 0x02}, 9, CALG_AES_128, 16, 16},  // aes128-CBC
    {{0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x01, 0x16}, 9, CALG_AES_192, 24, 16},  // aes192-CBC
    {{0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x01, 0x2A}, 9, CALG_AES_256, 32, 16},  // aes256-CBC
};

struct Recipient {
  Der issuer;          // whole Name element (issuer-and-serial recipients)
  Der serial;          // INTEGER content, big-endian
  Der key_identifier;  // subject key identifier recipients
  Der encrypted_key;
};

struct Enveloped {
  std::vector<Recipient> recipients;
  const ContentCipher* cipher = nullptr;
  Der iv;
  std::vector<BYTE> content;
};

bool ParseRecipient(Der element, Recipient* out) {
  Der version, rid, alg;
  if (!Expect(&element, 0x02, &version)) return false;
  BYTE tag = 0;
  Der peek = element;
  if (!ReadElement(&peek, &tag, &rid)) return false;
  if (tag == 0x30) {  // IssuerAndSerialNumber
    Der ias;
    if (!Expect(&element, 0x30, &ias)) return false;
    Der name_content;
    if (!Expect(&ias, 0x30, &name_content, &out->issuer) || !Expect(&ias, 0x02, &out->serial)) return false;
  } else if (tag == 0x80) {  // [0] SubjectKeyIdentifier
    if (!Expect(&element, 0x80, &out->key_identifier)) return false;
  } else {
    return false;
  }
  return Expect(&element, 0x30, &alg) && Expect(&element, 0x04, &out->encrypted_key);
}

bool ParseEnveloped(const std::vector<BYTE>& message, Enveloped* out) {
  Der in = {message.data(), message.size()};
  Der content_info, oid, explicit0, env;
  if (!Expect(&in, 0x30, &content_info)) return false;
  if (!Expect(&content_info, 0x06, &oid) || !Equals(oid, kOidEnvelopedData, sizeof(kOidEnvelopedData)))
    return false;
  if (!Expect(&content_info, 0xA0, &explicit0) || !Expect(&explicit0, 0x30, &env)) return false;

  Der version, skipped, recipient_set;
  if (!Expect(&env, 0x02, &version)) return false;
  Expect(&env, 0xA0, &skipped);  // originatorInfo, optional
  if (!Expect(&env, 0x31, &recipient_set)) return false;
  while (recipient_set.size) {
    BYTE tag = 0;
    Der element;
    if (!ReadElement(&recipient_set, &tag, &element)) return false;
    Recipient r;
    if (tag == 0x30 && ParseRecipient(element, &r)) out->recipients.push_back(r);  // key transport only
  }

  Der eci, content_type, alg, alg_oid;
  if (!Expect(&env, 0x30, &eci) || !Expect(&eci, 0x06, &content_type) || !Expect(&eci, 0x30, &alg) ||
      !Expect(&alg, 0x06, &alg_oid))
    return false;
  for (const auto& c : kCiphers)
    if (Equals(alg_oid, c.oid, c.oid_size)) out->cipher = &c;
  if (!out->cipher) return false;
  if (!Expect(&alg, 0x04, &out->iv) || out->iv.size != out->cipher->block_size) return false;

  BYTE tag = 0;
  Der encrypted;
  if (!ReadElement(&eci, &tag, &encrypted) || (tag & 0xDF) != 0x80) return false;  // [0] IMPLICIT
  try {
    return AppendOctets(tag, encrypted, &out->content);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

CertPtr FindRecipientCertificate(HCERTSTORE store, const Recipient& r) {
  if (r.key_identifier.data) {
    CRYPT_HASH_BLOB id = {static_cast<DWORD>(r.key_identifier.size), const_cast<BYTE*>(r.key_identifier.data)};
    return CertPtr(CertFindCertificateInStore(store, kCertEncoding, 0, CERT_FIND_KEY_IDENTIFIER, &id, nullptr));
  }
  // CryptoAPI keeps serial numbers least significant byte first.
  std::vector<BYTE> serial(r.serial.data, r.serial.data + r.serial.size);
  std::reverse(serial.begin(), serial.end());
  CERT_INFO info = {};
  info.Issuer.cbData = static_cast<DWORD>(r.issuer.size);
  info.Issuer.pbData = const_cast<BYTE*>(r.issuer.data);
  info.SerialNumber.cbData = static_cast<DWORD>(serial.size());
  info.SerialNumber.pbData = serial.data();
  return CertPtr(CertGetSubjectCertificateFromStore(store, kCertEncoding, &info));
}

// The content key of `r`, decrypted with the private key of its certificate in `store`.
bool DecryptContentKey(HCERTSTORE store, const Recipient& r, std::vector<BYTE>* key) {
  CertPtr cert = FindRecipientCertificate(store, r);
  if (!cert) return false;
  CProvider prov;
  DWORD key_spec = 0;
  BOOL caller_frees = FALSE;
  HCRYPTPROV handle = 0;
  if (!CryptAcquireCertificatePrivateKey(cert.get(), 0, nullptr, &handle, &key_spec, &caller_frees)) {
    // A key imported without persisting it is attached to the certificate as a key context
    // only (the context owns the provider); some platforms' acquire call does not look there.
    CERT_KEY_CONTEXT context = {};
    DWORD size = sizeof(context);
    if (!CertGetCertificateContextProperty(cert.get(), CERT_KEY_CONTEXT_PROP_ID, &context, &size) ||
        !context.hCryptProv)
      return false;
    handle = context.hCryptProv;
    key_spec = context.dwKeySpec;
    caller_frees = FALSE;
  }
  *prov.Receive(caller_frees != FALSE) = handle;
  // Some providers report a key spec that is neither; a recipient key is an exchange key.
  if (key_spec != AT_SIGNATURE) key_spec = AT_KEYEXCHANGE;
  CKey rsa;
  if (!CryptGetUserKey(prov.Get(), key_spec, rsa.Receive())) return false;
  // The cipher text fills the key's block exactly: the platform reads a whole block.
  DWORD bits = 0, bits_size = sizeof(bits);
  if (!CryptGetKeyParam(rsa.Get(), KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &bits_size, 0) || bits == 0 ||
      r.encrypted_key.size != (bits + 7) / 8)
    return false;
  // CryptDecrypt takes RSA cipher text least significant byte first.
  std::vector<BYTE> buffer(r.encrypted_key.data, r.encrypted_key.data + r.encrypted_key.size);
  std::reverse(buffer.begin(), buffer.end());
  DWORD length = static_cast<DWORD>(buffer.size());
  if (!CryptDecrypt(rsa.Get(), 0, TRUE, 0, buffer.data(), &length)) return false;
  buffer.resize(length);
  key->swap(buffer);
  return true;
}

bool DecryptContent(const Enveloped& env, const std::vector<BYTE>& raw_key, std::vector<BYTE>* plain) {
  const ContentCipher& c = *env.cipher;
  if (raw_key.size() != c.key_size) return false;
  return DecryptCbc(c.alg, raw_key, env.iv.data, env.content, c.block_size, plain);
}

// ---- Signed data ------------------------------------------------------------------------------

// When signer 0 has authenticated attributes, its signature covers them and not the content:
// the content must then hash to the messageDigest attribute. Checked here because not every
// CryptoAPI implementation compares it (Wine's does not). True when it matches or there are
// no authenticated attributes.
bool ContentMatchesMessageDigest(const std::vector<BYTE>& message) {
  HCRYPTMSG msg = CryptMsgOpenToDecode(kCertEncoding, 0, 0, 0, nullptr, nullptr);
  if (!msg) return false;
  std::unique_ptr<void, BOOL(WINAPI*)(HCRYPTMSG)> msg_owner(msg, CryptMsgClose);
  if (!CryptMsgUpdate(msg, message.data(), static_cast<DWORD>(message.size()), TRUE)) return false;

  DWORD size = 0;
  if (!CryptMsgGetParam(msg, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size == 0) return false;
  std::vector<BYTE> info_buffer(size);
  if (!CryptMsgGetParam(msg, CMSG_SIGNER_INFO_PARAM, 0, info_buffer.data(), &size)) return false;
  const auto* info = reinterpret_cast<const CMSG_SIGNER_INFO*>(info_buffer.data());
  if (info->AuthAttrs.cAttr == 0) return true;

  const CRYPT_ATTRIBUTE* digest_attr = nullptr;
  for (DWORD i = 0; i < info->AuthAttrs.cAttr; ++i) {
    const CRYPT_ATTRIBUTE& a = info->AuthAttrs.rgAttr[i];
    if (a.pszObjId && std::strcmp(a.pszObjId, szOID_RSA_messageDigest) == 0) {
      if (digest_attr || a.cValue != 1) return false;  // exactly one, with one value
      digest_attr = &a;
    }
  }
  if (!digest_attr) return false;
  CRYPT_DATA_BLOB* expected = nullptr;
  DWORD expected_size = 0;
  if (!CryptDecodeObjectEx(kCertEncoding, X509_OCTET_STRING, digest_attr->rgValue[0].pbData,
                           digest_attr->rgValue[0].cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &expected,
                           &expected_size))
    return false;
  std::unique_ptr<void, HLOCAL(WINAPI*)(HLOCAL)> expected_owner(expected, LocalFree);

  size = 0;
  std::vector<BYTE> content;
  if (!CryptMsgGetParam(msg, CMSG_CONTENT_PARAM, 0, nullptr, &size)) return false;
  content.resize(size ? size : 1);
  if (!CryptMsgGetParam(msg, CMSG_CONTENT_PARAM, 0, content.data(), &size)) return false;
  content.resize(size);

  ALG_ID alg = CertOIDToAlgId(info->HashAlgorithm.pszObjId);
  if (GET_ALG_CLASS(alg) != ALG_CLASS_HASH) return false;
  CProvider prov;
  if (!AcquireCipherProvider(&prov)) return false;
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(prov.Get(), alg, 0, 0, &hash)) return false;
  BYTE value[64];
  DWORD value_size = sizeof(value);
  bool ok = CryptHashData(hash, content.data(), static_cast<DWORD>(content.size()), 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, value, &value_size, 0);
  CryptDestroyHash(hash);
  return ok && value_size == expected->cbData && std::memcmp(value, expected->pbData, value_size) == 0;
}

}  // namespace

bool DecryptMessageStream(HCERTSTORE store, IStream* input, IStream* output) {
  if (!store || !input || !output) return false;
  std::vector<BYTE> message;
  if (!ReadWholeStream(input, &message)) return false;
  Enveloped env;
  try {
    if (!ParseEnveloped(message, &env)) return false;
    for (const Recipient& r : env.recipients) {
      std::vector<BYTE> key;
      if (!DecryptContentKey(store, r, &key)) continue;
      std::vector<BYTE> plain;
      bool ok = DecryptContent(env, key, &plain);
      SecureZeroMemory(key.data(), key.size());
      if (!ok) return false;
      return WriteWholeStream(output, plain.data(), plain.size());
    }
  } catch (const std::bad_alloc&) {
  }
  return false;
}

bool VerifySignedMessageStream(IStream* input, IStream* output, PCCERT_CONTEXT* signer) {
  if (!input || !output) return false;
  std::vector<BYTE> message;
  if (!ReadWholeStream(input, &message)) return false;
  // The platform's message reader gets definite lengths and bounded nesting only.
  if (!DerNS::IsWellFormed(message.data(), message.size())) return false;

  // The default provider (0) verifies everywhere; a verify-only context of a named provider
  // is refused by some implementations.
  CRYPT_VERIFY_MESSAGE_PARA para = {};
  para.cbSize = sizeof(para);
  para.dwMsgAndCertEncodingType = kCertEncoding;
  para.hCryptProv = 0;
  DWORD size = 0;
  if (!CryptVerifyMessageSignature(&para, 0, message.data(), static_cast<DWORD>(message.size()), nullptr, &size,
                                   nullptr))
    return false;
  std::vector<BYTE> content;
  try {
    content.resize(size ? size : 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  PCCERT_CONTEXT cert = nullptr;
  if (!CryptVerifyMessageSignature(&para, 0, message.data(), static_cast<DWORD>(message.size()), content.data(),
                                   &size, &cert))
    return false;
  CertPtr owned(cert);
  if (!ContentMatchesMessageDigest(message)) return false;
  if (!WriteWholeStream(output, content.data(), size)) return false;
  if (signer)
    *signer = owned.release();
  return true;
}

}  // namespace CryptoNS
