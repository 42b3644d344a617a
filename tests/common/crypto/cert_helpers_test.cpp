// Certificate helpers against the project's test PKI (tools/pki/make-pki.sh).
#include "common/crypto/cert_helpers.h"
#include "common/crypto/crypto_internal.h"

#include <gtest/gtest.h>
#include <winhttp.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/testservice/test_env.h"

using namespace CryptoNS;
using KestrinTest::PkiBytes;

namespace {

std::string Hex(const BYTE* data, size_t size) {
  std::string out;
  char pair[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof(pair), "%02x", data[i]);
    out += pair;
  }
  return out;
}

std::string Sha1Hex(const std::vector<BYTE>& der) {
  BYTE hash[20];
  DWORD size = sizeof(hash);
  if (!CryptHashCertificate(0, CALG_SHA1, 0, der.data(), static_cast<DWORD>(der.size()), hash, &size)) return "";
  return Hex(hash, size);
}

// A memory store holding PKI certificates; Add returns the context in the store (owned by it).
class MemoryStore {
 public:
  MemoryStore() : store_(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr)) {}
  PCCERT_CONTEXT Add(const char* der_name) {
    std::vector<BYTE> der = PkiBytes(der_name);
    PCCERT_CONTEXT added = nullptr;
    if (der.empty() || !CertAddEncodedCertificateToStore(store_.Get(), X509_ASN_ENCODING, der.data(),
                                                          static_cast<DWORD>(der.size()), CERT_STORE_ADD_ALWAYS,
                                                          &added))
      return nullptr;
    contexts_.push_back(added);
    return added;
  }
  ~MemoryStore() {
    for (auto c : contexts_) CertFreeCertificateContext(c);
  }
  HCERTSTORE Get() const { return store_.Get(); }

 private:
  CCertStore store_;
  std::vector<PCCERT_CONTEXT> contexts_;
};

// A leaf with its intermediate beside it, as a server hands them over.
struct ServerCert {
  explicit ServerCert(const char* name, const char* issuer = "inter.der") {
    leaf = store.Add(name);
    if (issuer) store.Add(issuer);
  }
  MemoryStore store;
  PCCERT_CONTEXT leaf = nullptr;
};

class CryptoTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(KestrinTest::InstallTestRoot()); }
};

// ---- CCertData ----------------------------------------------------------------------------

TEST_F(CryptoTest, CertDataReadsNamesSerialAndThumbprint) {
  ServerCert ov("server-ov.der");
  ASSERT_TRUE(ov.leaf);
  CCertData data(ov.leaf);
  EXPECT_TRUE(CertCompareCertificate(X509_ASN_ENCODING, ov.leaf->pCertInfo, data.GetContext()->pCertInfo));

  std::string text;
  ASSERT_TRUE(data.GetSerialNumber(&text));
  EXPECT_EQ("1A2B3C", text);  // most significant byte first

  ASSERT_TRUE(data.GetThumbprint(&text));
  EXPECT_EQ(Sha1Hex(PkiBytes("server-ov.der")), text);
  EXPECT_EQ(40u, text.size());

  struct {
    const char* oid;
    bool issuer;
    const char* expected;
  } names[] = {
      {szOID_COMMON_NAME, false, "127.0.0.1"},
      {szOID_ORGANIZATION_NAME, false, "Kestrin Test Organisation"},
      {szOID_COMMON_NAME, true, "Kestrin Test Intermediate CA"},
      {szOID_ORGANIZATION_NAME, true, "Kestrin Test Authority"},
  };
  for (const auto& n : names) {
    text.clear();
    EXPECT_TRUE(data.GetNameString(const_cast<char*>(n.oid), &text, n.issuer, CERT_NAME_ATTR_TYPE)) << n.oid;
    EXPECT_EQ(n.expected, text);
  }

  ServerCert dv("server-dv.der");
  CCertData dv_data(dv.leaf);
  text = "unchanged";
  EXPECT_FALSE(dv_data.GetNameString(const_cast<char*>(szOID_ORGANIZATION_NAME), &text, false, CERT_NAME_ATTR_TYPE));
  EXPECT_EQ("unchanged", text);
  DWORD x500 = CERT_X500_NAME_STR;
  ASSERT_TRUE(dv_data.GetNameString(&x500, &text, false, CERT_NAME_RDN_TYPE));
  EXPECT_NE(std::string::npos, text.find("OU=Domain Control Validated")) << text;
}

TEST_F(CryptoTest, FriendlyNameOnlyWhenSet) {
  ServerCert ov("server-ov.der");
  std::string text = "x";
  {
    CCertData data(ov.leaf);
    EXPECT_FALSE(data.GetFriendlyName(&text));
    EXPECT_TRUE(text.empty());
  }
  const wchar_t name[] = L"Kestrin Friendly";
  CRYPT_DATA_BLOB blob = {sizeof(name), reinterpret_cast<BYTE*>(const_cast<wchar_t*>(name))};
  ASSERT_TRUE(CertSetCertificateContextProperty(ov.leaf, CERT_FRIENDLY_NAME_PROP_ID, 0, &blob));
  CCertData data(ov.leaf);
  ASSERT_TRUE(data.GetFriendlyName(&text));
  EXPECT_EQ("Kestrin Friendly", text);
}

TEST_F(CryptoTest, RootCertificateIsTheSelfSignedTop) {
  ServerCert ov("server-ov.der");
  PCCERT_CONTEXT root = nullptr;
  ASSERT_TRUE(CCertData(ov.leaf).GetRootCertificate(&root));
  ASSERT_TRUE(root);
  EXPECT_EQ(Sha1Hex(PkiBytes("root.der")), Sha1Hex(std::vector<BYTE>(root->pbCertEncoded,
                                                                      root->pbCertEncoded + root->cbCertEncoded)));
  CertFreeCertificateContext(root);

  // Issued by a root that is nowhere to be found: the chain ends at the leaf.
  ServerCert orphan("server-untrusted.der", nullptr);
  root = nullptr;
  EXPECT_FALSE(CCertData(orphan.leaf).GetRootCertificate(&root));
  EXPECT_EQ(nullptr, root);
}

// ---- SSL check ----------------------------------------------------------------------------

TEST_F(CryptoTest, SslCheckAgainstTheUrlsHost) {
  const DWORD any = 0xFFFFFFFF;  // any error but 0
  struct Case {
    const char* cert;
    const char* issuer;
    const wchar_t* url;
    DWORD expected;
  } cases[] = {
      {"server-ov.der", "inter.der", L"https://127.0.0.1:4433/page?x=1", 0},
      {"server-ov.der", "inter.der", L"https://localhost/", 0},
      {"server-dv.der", "inter.der", L"https://127.0.0.1/", 0},
      {"server-ov.der", "inter.der", L"https://other.kestrin.test/", static_cast<DWORD>(CERT_E_CN_NO_MATCH)},
      {"server-other.der", "inter.der", L"https://127.0.0.1/", static_cast<DWORD>(CERT_E_CN_NO_MATCH)},
      {"server-other.der", "inter.der", L"https://other.kestrin.test/", 0},
      {"server-expired.der", "inter.der", L"https://127.0.0.1/", any},
      {"server-untrusted.der", "untrusted-root.der", L"https://127.0.0.1/", any},
      {"server-untrusted.der", nullptr, L"https://127.0.0.1/", any},
      {"server-ov.der", "inter.der", L"", kSslCheckNoTarget},
      {"server-ov.der", "inter.der", L"not a url", kSslCheckNoTarget},
  };
  for (const auto& c : cases) {
    ServerCert cert(c.cert, c.issuer);
    ASSERT_TRUE(cert.leaf) << c.cert;
    DWORD result = VerifySslCertificateChain(cert.leaf, c.url, 0);
    if (c.expected == any)
      EXPECT_NE(0u, result) << c.cert << " issuer " << (c.issuer ? c.issuer : "none");
    else
      EXPECT_EQ(c.expected, result) << c.cert;
  }
  EXPECT_EQ(kSslCheckNoTarget, VerifySslCertificateChain(nullptr, L"https://127.0.0.1/", 0));
  ServerCert ov("server-ov.der");
  EXPECT_EQ(kSslCheckNoTarget, VerifySslCertificateChain(ov.leaf, nullptr, 0));
  // The caller's ignore flags reach the policy.
  EXPECT_EQ(0u, VerifySslCertificateChain(ov.leaf, L"https://other.kestrin.test/", SECURITY_FLAG_IGNORE_CERT_CN_INVALID));
}

// ---- PKCS#12 ------------------------------------------------------------------------------

TEST_F(CryptoTest, PfxImportNeedsTheRightPassword) {
  std::vector<BYTE> pfx = PkiBytes("recipient.pfx");
  std::vector<BYTE> pfx_pw = PkiBytes("recipient-pw.pfx");
  ASSERT_FALSE(pfx.empty());
  ASSERT_FALSE(pfx_pw.empty());

  CCertStore store;
  ASSERT_TRUE(ImportPfxStore(pfx.data(), static_cast<DWORD>(pfx.size()), L"", store.Receive()));
  PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store.Get(), nullptr);
  ASSERT_TRUE(cert);
  // The key is linked, in a container of its own (not the user's default one, which every
  // import would share).
  DWORD size = 0;
  ASSERT_TRUE(CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size));
  std::vector<BYTE> info(size);
  ASSERT_TRUE(CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, info.data(), &size));
  wchar_t user[256];
  DWORD user_size = 256;
  ASSERT_TRUE(GetUserNameW(user, &user_size));
  const wchar_t* container = reinterpret_cast<CRYPT_KEY_PROV_INFO*>(info.data())->pwszContainerName;
  ASSERT_TRUE(container);
  EXPECT_NE(0, lstrcmpiW(container, user));
  CertFreeCertificateContext(cert);

  CCertStore with_password;
  EXPECT_TRUE(ImportPfxStore(pfx_pw.data(), static_cast<DWORD>(pfx_pw.size()), L"kestrin", with_password.Receive()));

  HCERTSTORE untouched = reinterpret_cast<HCERTSTORE>(0x1234);
  EXPECT_FALSE(ImportPfxStore(pfx_pw.data(), static_cast<DWORD>(pfx_pw.size()), L"wrong", &untouched));
  EXPECT_EQ(reinterpret_cast<HCERTSTORE>(0x1234), untouched);
  std::vector<BYTE> der = PkiBytes("recipient.der");
  EXPECT_FALSE(ImportPfxStore(der.data(), static_cast<DWORD>(der.size()), L"", &untouched));
  EXPECT_FALSE(ImportPfxStore(nullptr, 10, L"", &untouched));
  EXPECT_EQ(reinterpret_cast<HCERTSTORE>(0x1234), untouched);
}

// ---- Messages -----------------------------------------------------------------------------

// An in-memory IStream, released when it goes.
class MemStream {
 public:
  explicit MemStream(const std::vector<BYTE>& bytes = {}) {
    CreateStreamOnHGlobal(nullptr, TRUE, &stream_);
    if (stream_ && !bytes.empty()) {
      ULONG done = 0;
      stream_->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
      LARGE_INTEGER zero = {};
      stream_->Seek(zero, STREAM_SEEK_SET, nullptr);
    }
  }
  ~MemStream() {
    if (stream_) stream_->Release();
  }
  IStream* Get() const { return stream_; }
  std::vector<BYTE> Bytes() const {
    STATSTG stat = {};
    stream_->Stat(&stat, STATFLAG_NONAME);
    std::vector<BYTE> out(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero = {};
    stream_->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG done = 0;
    if (!out.empty()) stream_->Read(out.data(), static_cast<ULONG>(out.size()), &done);
    return out;
  }

 private:
  IStream* stream_ = nullptr;
};

// The recipient's certificate in a memory store, linked to its private key imported from a
// PRIVATEKEYBLOB into a key container of its own.
class RecipientWithKey {
 public:
  RecipientWithKey() {
    cert_ = store_.Add("recipient.der");
    std::vector<BYTE> blob = PkiBytes("recipient.keyblob");
    if (!cert_ || blob.empty()) return;
    HCRYPTPROV prov = 0;
    if (!CryptAcquireContextW(&prov, kContainer, MS_ENHANCED_PROV_W, PROV_RSA_FULL, 0) &&
        !CryptAcquireContextW(&prov, kContainer, MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_NEWKEYSET))
      return;
    HCRYPTKEY key = 0;
    bool imported = CryptImportKey(prov, blob.data(), static_cast<DWORD>(blob.size()), 0, 0, &key) != FALSE;
    if (key) CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);
    if (!imported) return;
    CRYPT_KEY_PROV_INFO info = {};
    info.pwszContainerName = const_cast<wchar_t*>(kContainer);
    info.pwszProvName = const_cast<wchar_t*>(MS_ENHANCED_PROV_W);
    info.dwProvType = PROV_RSA_FULL;
    info.dwKeySpec = AT_KEYEXCHANGE;
    ready_ = CertSetCertificateContextProperty(cert_, CERT_KEY_PROV_INFO_PROP_ID, 0, &info) != FALSE;
  }
  bool ready() const { return ready_; }
  HCERTSTORE store() const { return store_.Get(); }

 private:
  static constexpr const wchar_t* kContainer = sizeof(void*) == 8 ? L"Kestrin Test Recipient 64" : L"Kestrin Test Recipient 32";
  MemoryStore store_;
  PCCERT_CONTEXT cert_ = nullptr;
  bool ready_ = false;
};

class MessageTest : public CryptoTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(recipient_.ready());
    message_ = PkiBytes("message.txt");
    ASSERT_FALSE(message_.empty());
  }
  RecipientWithKey recipient_;
  std::vector<BYTE> message_;
};

TEST_F(MessageTest, DecryptsWithAKeyImportedFromPkcs12) {
  // (32-bit Wine 8's own import gives a key that cannot decrypt: the helper then imports the
  // key itself.)
  std::vector<BYTE> pfx = PkiBytes("recipient.pfx");
  CCertStore keys;
  ASSERT_TRUE(ImportPfxStore(pfx.data(), static_cast<DWORD>(pfx.size()), L"", keys.Receive()));
  for (const char* name : {"enveloped-aes128.p7m", "enveloped-3des.p7m"}) {
    MemStream in(PkiBytes(name)), out;
    ASSERT_TRUE(DecryptMessageStream(keys.Get(), in.Get(), out.Get())) << name;
    EXPECT_EQ(message_, out.Bytes()) << name;
  }
  // The same with a password.
  std::vector<BYTE> pfx_pw = PkiBytes("recipient-pw.pfx");
  CCertStore keys_pw;
  ASSERT_TRUE(ImportPfxStore(pfx_pw.data(), static_cast<DWORD>(pfx_pw.size()), L"kestrin", keys_pw.Receive()));
  MemStream in(PkiBytes("enveloped-3des.p7m")), out;
  ASSERT_TRUE(DecryptMessageStream(keys_pw.Get(), in.Get(), out.Get()));
  EXPECT_EQ(message_, out.Bytes());
}

TEST_F(MessageTest, OwnPkcs12KeyReaderLinksAWorkingKey) {
  struct {
    const char* file;
    const wchar_t* password;
    bool linked;
  } cases[] = {
      {"recipient.pfx", L"", true},
      {"recipient-pw.pfx", L"kestrin", true},
      {"recipient-pw.pfx", L"wrong", false},
  };
  for (const auto& c : cases) {
    std::vector<BYTE> pfx = PkiBytes(c.file);
    MemoryStore target;  // the certificate alone, without a key
    PCCERT_CONTEXT cert = target.Add("recipient.der");
    ASSERT_TRUE(cert);
    EXPECT_EQ(c.linked, CryptoNS::internal::ReimportPfxKey(pfx.data(), static_cast<DWORD>(pfx.size()), c.password,
                                                           target.Get()))
        << c.file;
    if (!c.linked) continue;
    EXPECT_TRUE(CryptoNS::internal::PrivateKeyWorks(cert));
    MemStream in(PkiBytes("enveloped-aes256.p7m")), out;
    ASSERT_TRUE(DecryptMessageStream(target.Get(), in.Get(), out.Get())) << c.file;
    EXPECT_EQ(message_, out.Bytes());
  }
  std::vector<BYTE> der = PkiBytes("recipient.der");  // not PKCS#12
  MemoryStore target;
  EXPECT_FALSE(CryptoNS::internal::ReimportPfxKey(der.data(), static_cast<DWORD>(der.size()), L"", target.Get()));
}

TEST_F(MessageTest, DecryptsOpensslEnvelopes) {
  for (const char* name : {"enveloped-3des.p7m", "enveloped-aes128.p7m", "enveloped-aes256.p7m",
                           "enveloped-3des-keyid.p7m"}) {
    MemStream in(PkiBytes(name)), out;
    ASSERT_TRUE(DecryptMessageStream(recipient_.store(), in.Get(), out.Get())) << name;
    EXPECT_EQ(message_, out.Bytes()) << name;
  }
}

TEST_F(MessageTest, DecryptionFailuresWriteNothing) {
  MemoryStore no_key;  // the recipient's certificate without its private key
  no_key.Add("recipient.der");
  std::vector<BYTE> envelope = PkiBytes("enveloped-3des.p7m");
  // Spoil the recipient's encrypted content key (a 2048-bit RSA block: 04 82 01 00 ...).
  std::vector<BYTE> tampered = envelope;
  const BYTE key_header[] = {0x04, 0x82, 0x01, 0x00};
  auto at = std::search(tampered.begin(), tampered.end(), key_header, key_header + 4);
  ASSERT_NE(tampered.end(), at);
  at[4 + 100] ^= 0x5A;
  std::vector<BYTE> truncated(envelope.begin(), envelope.begin() + envelope.size() / 2);

  struct {
    const char* what;
    HCERTSTORE store;
    std::vector<BYTE> input;
  } cases[] = {
      {"no private key", no_key.Get(), envelope},
      {"empty input", recipient_.store(), {}},
      {"signed, not enveloped", recipient_.store(), PkiBytes("signed-sha1.p7s")},
      {"tampered", recipient_.store(), tampered},
      {"truncated", recipient_.store(), truncated},
  };
  for (auto& c : cases) {
    MemStream in(c.input), out;
    EXPECT_FALSE(DecryptMessageStream(c.store, in.Get(), out.Get())) << c.what;
    EXPECT_TRUE(out.Bytes().empty()) << c.what;
  }
  MemStream in(envelope), out;
  EXPECT_FALSE(DecryptMessageStream(nullptr, in.Get(), out.Get()));
  EXPECT_FALSE(DecryptMessageStream(recipient_.store(), nullptr, out.Get()));
  EXPECT_FALSE(DecryptMessageStream(recipient_.store(), in.Get(), nullptr));
}

TEST_F(MessageTest, VerifiesOpensslSignatureAndHandsOverTheSigner) {
  for (const char* name : {"signed-sha1.p7s", "signed-sha1-noattr.p7s"}) {
    MemStream in(PkiBytes(name)), out;
    PCCERT_CONTEXT signer = nullptr;
    ASSERT_TRUE(VerifySignedMessageStream(in.Get(), out.Get(), &signer)) << name;
    EXPECT_EQ(message_, out.Bytes());
    ASSERT_TRUE(signer);
    std::string thumbprint;
    EXPECT_TRUE(CCertData(signer).GetThumbprint(&thumbprint));
    EXPECT_EQ(Sha1Hex(PkiBytes("signer.der")), thumbprint);
    CertFreeCertificateContext(signer);
  }
}

// The message with one byte of its signed content changed.
std::vector<BYTE> TamperContent(std::vector<BYTE> message, const std::vector<BYTE>& content) {
  std::string text(reinterpret_cast<const char*>(content.data()), content.size());
  std::string all(reinterpret_cast<const char*>(message.data()), message.size());
  size_t at = all.find(text.substr(0, 20));
  if (at == std::string::npos) return {};
  message[at + 3] ^= 0x01;
  return message;
}

TEST_F(MessageTest, SignatureFailuresWriteNothing) {
  // Changed content: with signed attributes the content must match their digest, without
  // them the signature itself.
  std::vector<BYTE> tampered = TamperContent(PkiBytes("signed-sha1.p7s"), message_);
  std::vector<BYTE> tampered_noattr = TamperContent(PkiBytes("signed-sha1-noattr.p7s"), message_);
  ASSERT_FALSE(tampered.empty());
  ASSERT_FALSE(tampered_noattr.empty());

  for (const std::vector<BYTE>& input :
       {tampered, tampered_noattr, std::vector<BYTE>(), PkiBytes("enveloped-3des.p7m")}) {
    MemStream in(input), out;
    PCCERT_CONTEXT signer = nullptr;
    EXPECT_FALSE(VerifySignedMessageStream(in.Get(), out.Get(), &signer));
    EXPECT_EQ(nullptr, signer);
    EXPECT_TRUE(out.Bytes().empty());
  }
}

TEST_F(MessageTest, SignedThenEnvelopedRoundTrip) {
  MemStream file(PkiBytes("signed-enveloped.p7m")), inner, content;
  ASSERT_TRUE(DecryptMessageStream(recipient_.store(), file.Get(), inner.Get()));
  LARGE_INTEGER zero = {};
  inner.Get()->Seek(zero, STREAM_SEEK_SET, nullptr);
  PCCERT_CONTEXT signer = nullptr;
  ASSERT_TRUE(VerifySignedMessageStream(inner.Get(), content.Get(), &signer));
  EXPECT_EQ(message_, content.Bytes());
  CertFreeCertificateContext(signer);
}

}  // namespace

namespace {

// Cancels the dialog that this thread shows. A thread timer's procedure runs only when a message
// loop of this thread dispatches it, and while the dialog's caller waits the one loop running is
// the dialog's own: the dialog is then up and reads what is posted to it. The cancel is posted
// again on every tick until the caller has returned, so no step of the dialog's start can
// swallow it, and no other thread takes part.
class DialogCloser {
 public:
  DialogCloser() : timer_(SetTimer(nullptr, 0, 50, &DialogCloser::Tick)) { closed_ = 0; }
  ~DialogCloser() {
    if (timer_) KillTimer(nullptr, timer_);
  }
  bool started() const { return timer_ != 0; }
  int closed() const { return closed_; }

 private:
  static BOOL CALLBACK Find(HWND window, LPARAM param) {
    wchar_t cls[16] = L"";
    GetClassNameW(window, cls, 16);
    if (IsWindowVisible(window) && lstrcmpW(cls, L"#32770") == 0) {
      *reinterpret_cast<HWND*>(param) = window;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &DialogCloser::Find, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    closed_ = 1;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }

  static inline int closed_ = 0;
  UINT_PTR timer_;
};

TEST_F(CryptoTest, CertificateDialogShowsAndReturns) {
  ServerCert ov("server-ov.der");
  for (bool server_auth : {false, true}) {
    DialogCloser closer;
    ASSERT_TRUE(closer.started());
    ViewCertificate(ov.leaf, server_auth, nullptr);
    EXPECT_EQ(1, closer.closed()) << server_auth;
  }
  ViewCertificate(nullptr, true, nullptr);  // nothing to show: returns at once
}

}  // namespace
