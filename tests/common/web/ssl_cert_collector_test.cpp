// The SSL certificate collector against the local HTTPS service.
#include "common/web/ssl_cert_collector.h"

#include <gtest/gtest.h>

#include <string>

#include "common/crypto/cert_helpers.h"
#include "tools/testservice/test_env.h"

using namespace WebUtilsNS;
using KestrinTest::PumpFor;
using KestrinTest::PumpUntil;
using KestrinTest::ServiceUrl;

namespace {

class RecordingCollectWaiter : public ISslCollectWaiter {
 public:
  ~RecordingCollectWaiter() {
    if (cert) CertFreeCertificateContext(cert);
  }
  void OnCertificateCollected(PCCERT_CONTEXT collected) override {
    ++collected_calls;
    if (cert) CertFreeCertificateContext(cert);
    cert = collected;
    thread = GetCurrentThreadId();
  }
  void OnCollectionFinished() override {
    ++finished_calls;
    thread = GetCurrentThreadId();
  }
  int calls() const { return collected_calls + finished_calls; }

  int collected_calls = 0, finished_calls = 0;
  PCCERT_CONTEXT cert = nullptr;
  DWORD thread = 0;
};

class SslCertCollectorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(KestrinTest::InstallTestRoot()); }
  void SetUp() override { ASSERT_NE(0, KestrinTest::ServicePort("https")) << "test service not running"; }

  void CollectOnce(const std::string& url, RecordingCollectWaiter* waiter) {
    CSslCertCollector collector("Kestrin test");
    ASSERT_TRUE(collector.Collect(url.c_str(), waiter)) << url;
    ASSERT_TRUE(PumpUntil([&] { return waiter->calls() > 0; }, 20000)) << url;
    PumpFor(200);
    EXPECT_EQ(1, waiter->calls()) << url;
    EXPECT_EQ(GetCurrentThreadId(), waiter->thread);
  }
};

TEST_F(SslCertCollectorTest, HandsOverTheServerCertificateOnce) {
  // (Wine reports the end of the send only once the response starts: no slow page here.)
  std::string url = ServiceUrl("https", "/plain");
  RecordingCollectWaiter waiter;
  CollectOnce(url, &waiter);
  ASSERT_EQ(1, waiter.collected_calls);
  ASSERT_TRUE(waiter.cert);
  CryptoNS::CCertData data(waiter.cert);
  std::string serial;
  EXPECT_TRUE(data.GetSerialNumber(&serial));
  EXPECT_EQ("1A2B3C", serial);  // the organisation-validated test certificate
  std::wstring wide(url.begin(), url.end());
  EXPECT_EQ(0u, CryptoNS::VerifySslCertificateChain(waiter.cert, wide.c_str(), 0));
}

TEST_F(SslCertCollectorTest, UnreachableOrFailedHandshakeFinishesOnce) {
  const char* listeners[][2] = {
      {"refused", "/"},               // nobody listens
      {"https_untrusted", "/plain"},  // WinHTTP refuses the handshake
      {"http", "/plain"},             // no TLS on the other side
  };
  for (auto& l : listeners) {
    std::string url = ServiceUrl(l[0], l[1]);
    if (std::string(l[0]) != "https_untrusted") url.replace(0, 4, "https");
    RecordingCollectWaiter waiter;
    CollectOnce(url, &waiter);
    EXPECT_EQ(1, waiter.finished_calls) << url;
    EXPECT_EQ(nullptr, waiter.cert) << url;
  }
}

TEST_F(SslCertCollectorTest, CollectionsThatCannotStartReportOnlyFalse) {
  RecordingCollectWaiter waiter;
  CSslCertCollector collector("Kestrin test");
  EXPECT_FALSE(collector.Collect(nullptr, &waiter));
  EXPECT_FALSE(collector.Collect(ServiceUrl("https", "/").c_str(), nullptr));
  EXPECT_FALSE(collector.Collect("no url at all", &waiter));
  PumpFor(200);
  EXPECT_EQ(0, waiter.calls());
}

}  // namespace
