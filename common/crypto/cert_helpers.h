// Certificate and PKCS#7 message helpers over CryptoAPI: an owning certificate holder with
// name, thumbprint, serial-number and root queries; the SSL server check of a certificate
// against a URL's host; decryption and signature verification between two streams; PKCS#12
// import; the system's certificate dialog. Texts are 8-bit ANSI. Nothing keeps state.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <wincrypt.h>

#include <string>

#include "platform/win/scoped_handle.h"

namespace CryptoNS {

const DWORD kCertEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;  // 0x00010001

// Result of VerifySslCertificateChain for a missing certificate or URL, or a URL without host.
const DWORD kSslCheckNoTarget = 0x80090322;  // SEC_E_WRONG_PRINCIPAL

// Owns one certificate context (a duplicate of the one it was given).
class CCertData {
 public:
  explicit CCertData(PCCERT_CONTEXT context);
  virtual ~CCertData();

  PCCERT_CONTEXT GetContext() const { return context_.Get(); }

  // A duplicate of the self-signed top of the certificate's chain (the caller frees it).
  // False when no chain builds or no simple chain ends in a self-signed certificate.
  bool GetRootCertificate(PCCERT_CONTEXT* root) const;
  // SHA-1 thumbprint, 40 lower-case hexadecimal characters; false (and empty) when missing.
  bool GetThumbprint(std::string* out) const;
  // The friendly-name property; false (and empty) when absent.
  bool GetFriendlyName(std::string* out) const;
  // CertGetNameStringA(name_type, type_param) on the issuer or the subject. False for an empty
  // name (the text is then left as it was) or a failed read (the text is then emptied).
  bool GetNameString(void* type_param, std::string* out, bool issuer, DWORD name_type) const;
  // Serial number as upper-case hexadecimal pairs, most significant byte first.
  bool GetSerialNumber(std::string* out) const;

 private:
  CCertData(const CCertData&) = delete;
  CCertData& operator=(const CCertData&) = delete;

  KestrinWinNS::CScopedCertContext context_;
};

// Owns one certificate store handle.
using CCertStore = KestrinWinNS::CScopedCertStore;

// The SSL server policy check of `cert` for the host of `url`: 0 when the chain is trusted and
// the certificate names the host; else the policy's error (CERT_E_CN_NO_MATCH for another
// host, CERT_E_UNTRUSTEDROOT, CERT_E_EXPIRED ...) or another non-zero error. `ignore_flags`
// are SECURITY_FLAG_IGNORE_* bits.
DWORD VerifySslCertificateChain(PCCERT_CONTEXT cert, const wchar_t* url, DWORD ignore_flags);

// Decrypts the PKCS#7 enveloped message in `input` with a private key whose certificate is in
// `store` and writes the plain content to `output`. Content ciphers: 3DES, DES, AES-128/192/256
// (CBC). True when everything was decrypted and written.
bool DecryptMessageStream(HCERTSTORE store, IStream* input, IStream* output);

// Checks the signature of the PKCS#7 signed message in `input` (signer 0), writes the content
// to `output` and hands over the signer's certificate (the caller frees it). The signature is
// checked, not the signer's chain.
bool VerifySignedMessageStream(IStream* input, IStream* output, PCCERT_CONTEXT* signer);

// Imports a PKCS#12 blob into a new in-memory store (the caller closes it). False, and *store
// untouched, for a blob that is not PKCS#12 or a wrong password.
bool ImportPfxStore(const BYTE* blob, DWORD size, const wchar_t* password, HCERTSTORE* store);

// Shows the system's certificate dialog, modal to `parent`. With `server_auth` the dialog
// shows the trust of the certificate for server authentication.
void ViewCertificate(PCCERT_CONTEXT cert, bool server_auth, HWND parent);

}  // namespace CryptoNS
