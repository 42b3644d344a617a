#include "common/nlrcert/chain_verdicts.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/nlrcert/nlr_certificate.h"
#include "tools/sealpki/seal_pki.h"
#include "platform/win/scoped_handle.h"

using CryptoNS::CChainVerdicts;

namespace {

const char kWatched[] = "Software\\KestrinTest\\ChainVerdictStores";

// Counts the computations per certificate and answers with the certificate's length.
struct CountingCompute {
  std::vector<std::vector<BYTE>>* asked;
  DWORD operator()(const BYTE* der, DWORD length) const {
    asked->emplace_back(der, der + length);
    return length;
  }
};

class ChainVerdictsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kWatched, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             key_.Receive(), nullptr));
  }
  void TearDown() override {
    key_.Reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, kWatched);
  }
  // A change below the watched tree, as a certificate added to a store makes one.
  void ChangeStores() {
    DWORD value = GetTickCount();
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_.Get(), "Changed", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                                            sizeof(value)));
  }

  KestrinWinNS::CScopedRegKey key_;
  std::vector<std::vector<BYTE>> asked_;
};

TEST_F(ChainVerdictsTest, EachCertificateIsJudgedOnceUntilTheStoresChange) {
  CChainVerdicts verdicts(CountingCompute{&asked_}, HKEY_CURRENT_USER, kWatched);
  const BYTE a[] = {1, 2, 3}, b[] = {4, 5, 6, 7};
  DWORD bits = 0;
  EXPECT_FALSE(verdicts.Find(a, sizeof(a), &bits));  // Find never computes
  EXPECT_EQ(0u, asked_.size());

  EXPECT_EQ(3u, verdicts.Get(a, sizeof(a)));
  EXPECT_EQ(3u, verdicts.Get(a, sizeof(a)));
  EXPECT_EQ(4u, verdicts.Get(b, sizeof(b)));
  ASSERT_TRUE(verdicts.Find(a, sizeof(a), &bits));
  EXPECT_EQ(3u, bits);
  EXPECT_EQ(2, verdicts.computations());

  // The stores change: every verdict is judged again, once.
  ChangeStores();
  EXPECT_FALSE(verdicts.Find(a, sizeof(a), &bits));
  EXPECT_FALSE(verdicts.Find(b, sizeof(b), &bits));
  verdicts.Get(a, sizeof(a));
  verdicts.Get(a, sizeof(a));
  EXPECT_EQ(3, verdicts.computations());
  EXPECT_TRUE(verdicts.Find(a, sizeof(a), &bits));

  // So does a change of the update file (Invalidate).
  verdicts.Invalidate();
  EXPECT_FALSE(verdicts.Find(a, sizeof(a), &bits));
  verdicts.Get(a, sizeof(a));
  EXPECT_EQ(4, verdicts.computations());
}

// The process's verdicts are the machine stores' root check.
TEST(ChainVerdicts, TheProcesssVerdictIsTheRootCheck) {
  ASSERT_TRUE(SealPki::InstallHierarchy());
  for (const char* name : {"seal-valid.cer", "seal-local.cer"}) {
    std::vector<BYTE> der = SealPki::Bytes(name);
    CryptoNS::CNlrCertificate certificate;
    ASSERT_TRUE(certificate.Load(der.data(), static_cast<DWORD>(der.size()))) << name;
    EXPECT_EQ(certificate.CheckRootChain(),
              CChainVerdicts::Process().Get(der.data(), static_cast<DWORD>(der.size())))
        << name;
  }
}

}  // namespace
