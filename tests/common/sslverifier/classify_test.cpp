// Certificate classification: organisation-validated and valid for the page's host is class 1,
// everything else class 0. First on certificates read from files, then served by the local
// HTTPS service and collected by the verifier itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "common/observe/observer_service.h"
#include "common/sslverifier/ssl_verify.h"
#include "common/sslverifier/ssl_verify_state.h"
#include "tests/common/sslverifier/test_certificates.h"

using namespace SslVerifyNS;

TEST(Classify, CertificatesAgainstThePageUrl) {
  TestCertificates& certs = TestCertificates::Get();
  ASSERT_TRUE(certs.root_installed());
  struct Case {
    const char* file;
    bool subject_variant;
    const char* url;
    int expected;
  } cases[] = {
      {"server-ov.der", false, "https://127.0.0.1/", 1},
      {"server-ov.der", false, "https://localhost:8443/login?x=1", 1},
      {"server-ov.der", false, "https://www.kestrin.test/", 0},        // valid, but not for this host
      {"server-dv.der", false, "https://127.0.0.1/", 0},               // OU=Domain Control Validated
      {"server-other.der", false, "https://127.0.0.1/", 0},            // another host's certificate
      {"server-other.der", false, "https://other.kestrin.test/", 1},
      {"server-expired.der", false, "https://127.0.0.1/", 0},
      {"server-untrusted.der", false, "https://127.0.0.1/", 0},
      {"cn-equals-o.der", true, "https://127.0.0.1/", 0},
      {"ou-domain-validated-plus.der", true, "https://127.0.0.1/", 0},  // the text is found inside
      {"ou-domain-name-validated.der", true, "https://127.0.0.1/", 0},
      {"ou-lower-case.der", true, "https://127.0.0.1/", 1},              // case counts
      {"ou-other.der", true, "https://127.0.0.1/", 1},
      {"no-organisation.der", true, "https://127.0.0.1/", 1},            // no O is not a rejection
  };
  for (const Case& c : cases) {
    PCCERT_CONTEXT certificate = certs.Load(c.file, c.subject_variant);
    ASSERT_NE(certificate, nullptr) << c.file;
    EXPECT_EQ(ClassifyServerCertificate(certificate, c.url), c.expected) << c.file << " for " << c.url;
  }
  EXPECT_EQ(ClassifyServerCertificate(nullptr, "https://127.0.0.1/"), 0);
  EXPECT_EQ(ClassifyServerCertificate(certs.Organisation(), ""), 0);
}

namespace {

class SilentPopup : public ISslVerifyPopup {
 public:
  bool Show(bool) override { return true; }
  bool Hide(bool) override { return true; }
  bool SetCertificate(PCCERT_CONTEXT certificate, int cert_class) override {
    ++faces;
    last_class = cert_class;
    had_certificate = certificate != nullptr;
    return true;
  }
  void SetAnchorPoint(const POINT*) override {}
  int faces = 0;
  int last_class = -1;
  bool had_certificate = false;
};

}  // namespace

TEST(Classify, ServedCertificatesCollectedByTheVerifier) {
  ASSERT_TRUE(TestCertificates::Get().root_installed());
  struct Case {
    const char* listener;
    int expected;
    bool certificate;
  } cases[] = {
      // WinHTTP completes no handshake with a certificate it does not trust for the host:
      // those end without a certificate, and so does a refused connection.
      {"https", 1, true},           {"https_dv", 0, true},         {"https_other", 0, false},
      {"https_expired", 0, false},  {"https_untrusted", 0, false}, {"refused", 0, false},
  };
  ObserveNS::CObserverService service;
  for (const Case& c : cases) {
    ASSERT_NE(KestrinTest::ServicePort(c.listener), 0) << c.listener;
    CSslVerifyIE verifier(&service);
    SilentPopup* popup = new SilentPopup;
    verifier.AdoptPopup(popup);
    std::string url = "https://127.0.0.1:" + std::to_string(KestrinTest::ServicePort(c.listener)) + "/page";
    verifier.SetPageUrl(url.c_str());
    verifier.OnNavigateComplete();
    EXPECT_EQ(verifier.GetState(), CSslVerifyStateProcessing::Instance()) << c.listener;
    ASSERT_TRUE(KestrinTest::PumpUntil([&] { return popup->faces > 0; }, 30000)) << c.listener;
    KestrinTest::PumpFor(100);
    EXPECT_EQ(popup->faces, 1) << c.listener << ": one result per collection";
    EXPECT_EQ(verifier.GetState(), CSslVerifyStateHttpsAuto::Instance()) << c.listener;
    EXPECT_EQ(verifier.GetCertClass(), c.expected) << c.listener;
    EXPECT_EQ(popup->last_class, c.expected) << c.listener;
    EXPECT_EQ(popup->had_certificate, c.certificate) << c.listener;
    EXPECT_EQ(verifier.GetCertificate() != nullptr, c.certificate) << c.listener;
  }
}
