#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/siteseal/sha_digest.h"
#include "tools/sealpki/seal_pki.h"

namespace {

std::string HexOf(const std::string& message, size_t chunk) {
  CSHADigest sha;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(message.data());
  for (size_t i = 0; i < message.size(); i += chunk) {
    DWORD n = static_cast<DWORD>(message.size() - i < chunk ? message.size() - i : chunk);
    EXPECT_EQ(1, sha.Update(bytes + i, n));
  }
  sha.Final();
  return sha.GetHexDigest();
}

TEST(ShaDigest, Fips180Vectors) {
  struct Vector {
    std::string message;
    const char* hex;
  };
  const Vector kVectors[] = {
      {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
      {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
      {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
      // Padding that needs a second block (55, 56 and 64 bytes).
      {std::string(55, 'x'), nullptr},
      {std::string(56, 'x'), nullptr},
      {std::string(64, 'x'), nullptr},
  };
  for (const Vector& v : kVectors) {
    if (!v.hex) continue;
    EXPECT_EQ(v.hex, HexOf(v.message, v.message.size() + 1)) << v.message.substr(0, 20);
    EXPECT_EQ(v.hex, HexOf(v.message, 7)) << "fed in pieces";
  }
  // The border lengths against the platform's SHA-1.
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u}) {
    std::string message(length, 'x');
    HCRYPTPROV prov = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[20];
    DWORD size = 20;
    ASSERT_TRUE(CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    ASSERT_TRUE(CryptCreateHash(prov, CALG_SHA1, 0, 0, &hash));
    CryptHashData(hash, reinterpret_cast<const BYTE*>(message.data()), static_cast<DWORD>(length), 0);
    CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
    CryptDestroyHash(hash);
    CryptReleaseContext(prov, 0);
    CSHADigest sha;
    sha.Update(reinterpret_cast<const BYTE*>(message.data()), static_cast<DWORD>(length));
    sha.Final();
    EXPECT_EQ(0, memcmp(digest, sha.GetDigest(), 20)) << length;
  }
}

TEST(ShaDigest, ResetStartsAgainAndFinalClearsTheLength) {
  CSHADigest sha;
  sha.Update(reinterpret_cast<const BYTE*>("junk"), 4);
  sha.Reset();
  sha.Update(reinterpret_cast<const BYTE*>("abc"), 3);
  sha.Final();
  EXPECT_STREQ("A9993E364706816ABA3E25717850C26C9CD0D89D", sha.GetHexDigest());
}

class CNearlyFullDigest : public CSHADigest {
 public:
  // 2^64 bits less two bytes already taken.
  CNearlyFullDigest() {
    length_high_ = 0xFFFFFFFF;
    length_low_ = 0xFFFFFFF0;
  }
};

TEST(ShaDigest, RefusesMoreThan2To64Bits) {
  CNearlyFullDigest sha;
  const BYTE one[1] = {1};
  EXPECT_EQ(1, sha.Update(one, 1));
  EXPECT_EQ(0, sha.Update(one, 1));
  CNearlyFullDigest other;
  const BYTE two[2] = {1, 2};
  EXPECT_EQ(0, other.Update(two, 2));
}

}  // namespace
