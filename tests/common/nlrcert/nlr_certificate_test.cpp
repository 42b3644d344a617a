#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/nlrcert/nlr_certificate.h"
#include "common/nlrcert/nlr_data.h"
#include "tools/sealpki/seal_pki.h"

using namespace CryptoNS;

namespace {

// SHA-1 by the platform, to check the certificates against the image independently.
std::vector<BYTE> PlatformSha1(const std::vector<BYTE>& data) {
  std::vector<BYTE> digest(20);
  HCRYPTPROV prov = 0;
  HCRYPTHASH hash = 0;
  DWORD size = 20;
  EXPECT_TRUE(CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
  EXPECT_TRUE(CryptCreateHash(prov, CALG_SHA1, 0, 0, &hash));
  EXPECT_TRUE(CryptHashData(hash, data.data(), static_cast<DWORD>(data.size()), 0));
  EXPECT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, digest.data(), &size, 0));
  CryptDestroyHash(hash);
  CryptReleaseContext(prov, 0);
  return digest;
}

class NlrCertificateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(SealPki::InstallHierarchy()); }

  void LoadSeal(const char* name) {
    bytes_ = SealPki::Bytes(name);
    ASSERT_FALSE(bytes_.empty()) << name;
    ASSERT_TRUE(cert_.Load(bytes_.data(), static_cast<DWORD>(bytes_.size()))) << name;
  }

  std::vector<BYTE> bytes_;
  CNlrCertificate cert_;
};

TEST_F(NlrCertificateTest, ReadsTheContentExtensionOfAHashSeal) {
  LoadSeal("seal-valid.cer");
  std::vector<BYTE> image = SealPki::Bytes("seal.gif");
  ASSERT_FALSE(image.empty());

  int type = -1;
  ASSERT_TRUE(cert_.GetLogoFileType(&type));
  EXPECT_EQ(5, type);
  DWORD size = 0;
  ASSERT_TRUE(cert_.GetLogoSize(&size));
  EXPECT_EQ(image.size(), size);
  ALG_ID algorithm = 0;
  ASSERT_TRUE(cert_.GetLogoHashAlgorithm(&algorithm));
  EXPECT_EQ(static_cast<ALG_ID>(CALG_SHA1), algorithm);

  std::vector<BYTE> digest = PlatformSha1(image);
  EXPECT_TRUE(cert_.MatchLogoHash(digest.data(), 20));
  for (size_t i = 0; i < digest.size(); i += 7) {
    std::vector<BYTE> other = digest;
    other[i] ^= 0x40;
    EXPECT_FALSE(cert_.MatchLogoHash(other.data(), 20)) << "byte " << i;
  }
  EXPECT_FALSE(cert_.MatchLogoHash(digest.data(), 19));

  int width = 0, height = 0;
  ASSERT_TRUE(cert_.GetLogoDimensions(&width, &height));
  EXPECT_EQ(88, width);
  EXPECT_EQ(31, height);
  std::string name;
  ASSERT_TRUE(cert_.GetLogoName(&name));
  EXPECT_EQ("Bank Example Seal", name);
}

TEST_F(NlrCertificateTest, ReadsTheOptionsExtensionByFieldName) {
  LoadSeal("seal-valid.cer");
  std::vector<BYTE> url;
  ASSERT_TRUE(cert_.GetField("MerchantURL", &url));
  EXPECT_EQ("bank.example", std::string(url.begin(), url.end()));
  EXPECT_EQ(2u, cert_.GetFieldNumber("OptionDirectoryScope"));
  EXPECT_EQ(1u, cert_.GetFieldNumber("OptionSubDomainScope"));
  EXPECT_EQ(5u, cert_.GetFieldNumber("LogoFileType"));
  // The string's first bit becomes bit 0.
  std::vector<BYTE> bits;
  ASSERT_TRUE(cert_.GetField("CanBeUsedBy", &bits));
  ASSERT_EQ(1u, bits.size());
  EXPECT_EQ(0x01, bits[0]);
  int option = -1;
  ASSERT_TRUE(cert_.GetTrailingOption(&option));
  EXPECT_EQ(0, option);

  std::vector<BYTE> name;
  ASSERT_TRUE(cert_.GetField("MerchantName", &name));
  EXPECT_STREQ("bank.example", reinterpret_cast<const char*>(name.data()));
  EXPECT_EQ(name.size(), strlen("bank.example") + 1);
  ASSERT_TRUE(cert_.GetField("HallmarkName", &name));
  EXPECT_STREQ("Torvan Class 3 Seal CA", reinterpret_cast<const char*>(name.data()));
  EXPECT_FALSE(cert_.GetField("NoSuchField", &name));

  // An extension's dotted identifier gives its encoded value.
  std::vector<BYTE> raw;
  ASSERT_TRUE(cert_.GetField(kNlrOptionsOid, &raw));
  EXPECT_EQ(0x30, raw[0]);
}

TEST_F(NlrCertificateTest, GetFieldStaysInsideTheCallersBuffer) {
  LoadSeal("seal-valid.cer");
  DWORD size = 0;
  ASSERT_TRUE(cert_.GetField("MerchantURL", nullptr, 0, &size));
  EXPECT_EQ(12u, size);
  char small[8];
  memset(small, 'x', sizeof(small));
  EXPECT_FALSE(cert_.GetField("MerchantURL", small, sizeof(small), &size));
  EXPECT_EQ(0u, size);
  for (char c : small) EXPECT_EQ('x', c);
  char exact[12];
  ASSERT_TRUE(cert_.GetField("MerchantURL", exact, sizeof(exact), &size));
  EXPECT_EQ(0, memcmp(exact, "bank.example", 12));
}

TEST_F(NlrCertificateTest, ACertificateWithoutContentExtensionHasNoLogo) {
  LoadSeal("seal-nocontent.cer");
  int type = 0, width = 0, height = 0;
  DWORD size = 0;
  ALG_ID algorithm = 0;
  std::string name;
  BYTE digest[20] = {};
  EXPECT_FALSE(cert_.GetLogoFileType(&type));
  EXPECT_FALSE(cert_.GetLogoSize(&size));
  EXPECT_FALSE(cert_.GetLogoHashAlgorithm(&algorithm));
  EXPECT_FALSE(cert_.MatchLogoHash(digest, 20));
  EXPECT_FALSE(cert_.GetLogoDimensions(&width, &height));
  EXPECT_FALSE(cert_.GetLogoName(&name));
  CNLRData data;
  EXPECT_FALSE(cert_.ExtractLogo(&data));
  // The options extension is still read.
  EXPECT_EQ(2u, cert_.GetFieldNumber("OptionDirectoryScope"));
}

TEST_F(NlrCertificateTest, ReadersFailWithoutACertificate) {
  CNlrCertificate empty;
  int type = 0;
  std::vector<BYTE> bytes;
  EXPECT_FALSE(empty.GetLogoFileType(&type));
  EXPECT_FALSE(empty.GetField("Name", &bytes));
  EXPECT_EQ(0u, empty.GetFieldNumber("OptionDirectoryScope"));
  char text[64];
  EXPECT_FALSE(empty.GetPopupUrl(text, sizeof(text)));
  BYTE junk[] = {0x30, 0x03, 0x02, 0x01, 0x01};
  EXPECT_FALSE(empty.Load(junk, sizeof(junk)));
  EXPECT_FALSE(empty.Load(nullptr, 10));
}

TEST_F(NlrCertificateTest, ExtractsPictureAndHtmlLogos) {
  LoadSeal("logo-picture.cer");
  CNLRData picture;
  ASSERT_TRUE(cert_.ExtractLogo(&picture));
  int type = -1;
  picture.GetType(&type);
  EXPECT_EQ(0, type);
  std::vector<BYTE> gif = SealPki::Bytes("seal.gif");
  ASSERT_EQ(gif.size(), picture.Length());
  EXPECT_EQ(0, memcmp(gif.data(), picture.Data(), gif.size()));
  std::string text;
  EXPECT_EQ(0, picture.GetText(&text));
  IPicture* loaded = nullptr;
  ASSERT_EQ(1, picture.LoadPicture(&loaded));
  OLE_XSIZE_HIMETRIC width = 0;
  EXPECT_EQ(S_OK, loaded->get_Width(&width));
  EXPECT_GT(width, 0);
  loaded->Release();

  LoadSeal("logo-html.cer");
  CNLRData html;
  ASSERT_TRUE(cert_.ExtractLogo(&html));
  html.GetType(&type);
  EXPECT_EQ(4, type);
  ASSERT_EQ(1, html.GetText(&text));
  EXPECT_EQ("<html><body><p>Bank Example is a verified merchant.</p></body></html>", text);
  EXPECT_EQ(0, html.LoadPicture(&loaded));
  int option = -1;
  ASSERT_TRUE(cert_.GetTrailingOption(&option));
  EXPECT_EQ(2, option);
  int width2 = 0, height2 = 0;
  EXPECT_FALSE(cert_.GetLogoDimensions(&width2, &height2));

  // A hash seal's graphic is no logo.
  LoadSeal("seal-valid.cer");
  CNLRData hash;
  EXPECT_FALSE(cert_.ExtractLogo(&hash));
}

TEST_F(NlrCertificateTest, VerifyCachesPopupTextOrLinkUrl) {
  LoadSeal("seal-valid.cer");
  char text[260];
  EXPECT_FALSE(cert_.GetPopupUrl(text, sizeof(text)));  // not before Verify
  EXPECT_EQ(0u, cert_.VerifyWithChain("http://bank.example/", nullptr, true, cert_.CheckRootChain()));
  ASSERT_TRUE(cert_.GetPopupUrl(text, sizeof(text)));
  EXPECT_STREQ("Bank Example", text);
  char tiny[4];
  EXPECT_FALSE(cert_.GetPopupUrl(tiny, sizeof(tiny)));
  std::string link;
  EXPECT_FALSE(cert_.GetLinkUrl(&link));

  LoadSeal("seal-link.cer");
  EXPECT_FALSE(cert_.GetPopupUrl(text, sizeof(text)));  // Load forgets the old certificate's
  EXPECT_EQ(0u, cert_.VerifyWithChain("http://bank.example/", nullptr, true, cert_.CheckRootChain()));
  EXPECT_FALSE(cert_.GetPopupUrl(text, sizeof(text)));
  ASSERT_TRUE(cert_.GetLinkUrl(&link));
  EXPECT_EQ("http://bank.example/seal-info", link);
}

struct VerifyCase {
  const char* seal;
  const char* page;
  DWORD bits;
};

// Every broken variant reports its own bit and nothing else.
const VerifyCase kVerifyCases[] = {
    {"seal-valid.cer", "http://bank.example/index.html", 0},
    {"seal-valid.cer", "https://www.bank.example:443/account/", 0},
    {"seal-valid-class1.cer", "http://bank.example/", 0},
    {"seal-valid-nelrow.cer", "http://bank.example/", 0},
    {"seal-valid.cer", "http://other.example/", kNlrOutOfScope},
    {"seal-valid.cer", "http://evilbank.example/", kNlrOutOfScope},
    {"seal-valid.cer", "http://bank.example.evil.example/", kNlrOutOfScope},
    {"seal-shop.cer", "http://bank.example/shop/pay.html", 0},
    {"seal-shop.cer", "http://bank.example/other/pay.html", kNlrOutOfScope},
    {"seal-shop.cer", "http://bank.example/shopping/pay.html", kNlrOutOfScope},
    {"seal-exacthost.cer", "http://bank.example/", 0},
    {"seal-exacthost.cer", "http://www.bank.example/", kNlrOutOfScope},
    {"seal-expired.cer", "http://bank.example/", kNlrNotTimeValid},
    {"seal-outlives.cer", "http://bank.example/", kNlrValidityNotNested},
    {"seal-badsig.cer", "http://bank.example/", kNlrBadSignature},
    {"seal-foreign.cer", "http://bank.example/", kNlrNotMakerRoot},
    {"seal-caonly.cer", "http://bank.example/", kNlrRootNotInRootStore},
    {"seal-orphan.cer", "http://bank.example/", kNlrIssuerMissing},
    {"seal-nourl.cer", "http://bank.example/", kNlrFieldMissing | kNlrMerchantUrlUnusable},
    {"seal-longurl.cer", "http://bank.example/", kNlrFieldMissing | kNlrMerchantUrlUnusable},
    {"seal-version2.cer", "http://bank.example/", kNlrBadVersion},
    {"seal-noversion.cer", "http://bank.example/", kNlrBadVersion},
    // A sub-domain scope that cannot be read allows the exact host alone.
    {"seal-nosubscope.cer", "http://bank.example/", 0},
    {"seal-nosubscope.cer", "http://www.bank.example/", kNlrOutOfScope},
    {"seal-valid.cer", "http://www.bank.example/", 0},
    {"seal-valid.cer", nullptr, kNlrFieldMissing},
    {"seal-valid.cer", "", 0},
};

TEST_F(NlrCertificateTest, VerifyReportsTheBitsOfEachVariant) {
  for (const VerifyCase& c : kVerifyCases) {
    LoadSeal(c.seal);
    EXPECT_EQ(c.bits, cert_.VerifyWithChain(c.page, nullptr, true, cert_.CheckRootChain()))
        << c.seal << " on " << (c.page ? c.page : "(none)");
  }
}

TEST_F(NlrCertificateTest, VerifyChecksTheUrlOnlyWhenAsked) {
  LoadSeal("seal-valid.cer");
  EXPECT_EQ(0u, cert_.VerifyWithChain("http://other.example/", nullptr, false, cert_.CheckRootChain()));
  std::string too_long = "http://bank.example/" + std::string(2100, 'a');
  EXPECT_EQ(static_cast<DWORD>(kNlrOutOfScope), cert_.VerifyWithChain(too_long.c_str(), nullptr, true, cert_.CheckRootChain()));
}

TEST_F(NlrCertificateTest, VerifyMatchesTheAddressAgainstTheCertificatesAddresses) {
  const DWORD loopback = 0x0100007F;  // 127.0.0.1 in network order
  const DWORD other = 0x0100000A;     // 10.0.0.1
  LoadSeal("seal-ip.cer");
  EXPECT_EQ(0u, cert_.VerifyWithChain("http://bank.example/", &loopback, true, cert_.CheckRootChain()));
  EXPECT_EQ(static_cast<DWORD>(kNlrOutOfScope), cert_.VerifyWithChain("http://bank.example/", &other, true, cert_.CheckRootChain()));
  LoadSeal("seal-valid.cer");  // no addresses: any address passes
  EXPECT_EQ(0u, cert_.VerifyWithChain("http://bank.example/", &other, true, cert_.CheckRootChain()));
}

// Stores of our own in place of the machine's, filled with files of the hierarchy.
class CMemoryStore {
 public:
  explicit CMemoryStore(std::initializer_list<const char*> names)
      : store_(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr)) {
    for (const char* name : names) {
      std::vector<BYTE> der = SealPki::Bytes(name);
      EXPECT_TRUE(CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, der.data(),
                                                   static_cast<DWORD>(der.size()),
                                                   CERT_STORE_ADD_ALWAYS, nullptr))
          << name;
    }
  }
  ~CMemoryStore() { CertCloseStore(store_, 0); }
  HCERTSTORE get() const { return store_; }

 private:
  HCERTSTORE store_;
};

TEST_F(NlrCertificateTest, RootCheckWalksTheGivenStores) {
  LoadSeal("seal-valid.cer");
  {
    CMemoryStore root({"root-class3.cer"}), ca({"ca-class3.cer"});
    EXPECT_EQ(0u, cert_.CheckRootChain(root.get(), ca.get()));
  }
  {
    // The genuine maker root, but found in the "CA" store only.
    CMemoryStore root({}), ca({"ca-class3.cer", "root-class3.cer"});
    EXPECT_EQ(static_cast<DWORD>(kNlrRootNotInRootStore), cert_.CheckRootChain(root.get(), ca.get()));
  }
  {
    CMemoryStore root({"root-class3.cer"}), ca({});
    EXPECT_EQ(static_cast<DWORD>(kNlrIssuerMissing), cert_.CheckRootChain(root.get(), ca.get()));
  }
  {
    // A store that is not there leaves the chain unchecked, which never passes.
    CMemoryStore ca({"ca-class3.cer"});
    EXPECT_EQ(static_cast<DWORD>(kNlrIssuerMissing), cert_.CheckRootChain(nullptr, ca.get()));
  }
  {
    // The seal is valid, its intermediate is not: the intermediate's own bit, and the seal's
    // validity no longer lies inside its issuer's.
    CMemoryStore root({"root-class3.cer"}), ca({"ca-class3-expired.cer"});
    EXPECT_EQ(static_cast<DWORD>(kNlrIntermediateNotTimeValid | kNlrValidityNotNested),
              cert_.CheckRootChain(root.get(), ca.get()));
  }
  {
    // The intermediate's signature does not verify under the root: its own bit alone.
    CMemoryStore root({"root-class3.cer"}), ca({"ca-class3-badsig.cer"});
    EXPECT_EQ(static_cast<DWORD>(kNlrIntermediateBadSignature), cert_.CheckRootChain(root.get(), ca.get()));
  }
  {
    // Two intermediates that issued each other: the walk stops at the twenty-first certificate.
    LoadSeal("seal-loop.cer");
    CMemoryStore root({}), ca({"ca-loop-a.cer", "ca-loop-b.cer"});
    EXPECT_EQ(static_cast<DWORD>(kNlrChainTooLong), cert_.CheckRootChain(root.get(), ca.get()));
  }
  // A root checked by itself is self-signed only where a store holds it.
  LoadSeal("root-class1.cer");
  {
    CMemoryStore root({"root-class1.cer"}), ca({});
    EXPECT_EQ(0u, cert_.CheckRootChain(root.get(), ca.get()));
  }
  {
    CMemoryStore root({}), ca({"root-class1.cer"});
    EXPECT_EQ(static_cast<DWORD>(kNlrRootNotInRootStore), cert_.CheckRootChain(root.get(), ca.get()));
  }
  {
    CMemoryStore root({}), ca({});
    EXPECT_EQ(static_cast<DWORD>(kNlrIssuerMissing), cert_.CheckRootChain(root.get(), ca.get()));
  }
}

TEST(NlrMakerRoot, NeedsAStoredKeyAndANamePair) {
  std::vector<BYTE> der = SealPki::Bytes("root-nelrow.cer");
  PCCERT_CONTEXT root = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(),
                                                     static_cast<DWORD>(der.size()));
  ASSERT_NE(nullptr, root);
  const CRYPT_BIT_BLOB& key = root->pCertInfo->SubjectPublicKeyInfo.PublicKey;
  EXPECT_TRUE(CNlrCertificate::IsMakerRoot(key, "O=Torvan CA Limited, CN=Nelrow Authority"));
  // The pairs do not mix.
  EXPECT_FALSE(CNlrCertificate::IsMakerRoot(key, "O=Torvan Limited, CN=Nelrow Authority"));
  EXPECT_FALSE(CNlrCertificate::IsMakerRoot(key, "CN=Nelrow Authority"));
  CRYPT_BIT_BLOB changed = key;
  std::vector<BYTE> copy(key.pbData, key.pbData + key.cbData);
  copy[100] ^= 1;
  changed.pbData = copy.data();
  EXPECT_FALSE(CNlrCertificate::IsMakerRoot(changed, "O=Torvan CA Limited, CN=Nelrow Authority"));
  CertFreeCertificateContext(root);
}

}  // namespace
