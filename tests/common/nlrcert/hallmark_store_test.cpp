#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/nlrcert/hallmark_store.h"
#include "tests/common/settings/user_key_override.h"
#include "platform/win/scoped_handle.h"

using CryptoNS::SaveHallmarkToRegistry;

namespace {

const char kHallmarks[] = "SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks";

// Each test has a user key of its own: the store's keys (volatile ones included) must never
// reach the settings key that other test programs share.
class HallmarkStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(user_key_.ok()); }

  KestrinTests::CScopedUserKeyOverride user_key_{"hallmarks"};

  static bool ReadValue(const std::string& key, const char* name, DWORD* type,
                        std::vector<BYTE>* data) {
    KestrinWinNS::CScopedRegKey h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, h.Receive()) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(h.Get(), name, nullptr, type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
      data->resize(size);
      rc = RegQueryValueExA(h.Get(), name, nullptr, type, data->data(), &size);
    }
    return rc == ERROR_SUCCESS;
  }

  static std::string ReadString(const std::string& key, const char* name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(key, name, &type, &data) || type != REG_SZ) return "(missing)";
    return std::string(reinterpret_cast<const char*>(data.data()));
  }
};

TEST_F(HallmarkStoreTest, StoresACertificateInChunksOf16000Bytes) {
  std::vector<BYTE> cert(40000);
  for (size_t i = 0; i < cert.size(); ++i) cert[i] = static_cast<BYTE>(i % 251);
  ASSERT_TRUE(SaveHallmarkToRegistry(-1234, 0, cert.data(), 40000, "HTTP://", "", 0));

  // Sub-index first, then the key index, both signed decimal.
  std::string key = std::string(kHallmarks) + "\\0\\-1234";
  EXPECT_EQ("0", ReadString(key, "Validity"));
  EXPECT_EQ("40000", ReadString(key, "Size"));
  EXPECT_EQ("HTTP://", ReadString(key, "URL"));
  EXPECT_EQ("", ReadString(key, "Path"));
  std::vector<BYTE> joined;
  const DWORD expected[] = {16000, 16000, 8000};
  for (int i = 0; i < 3; ++i) {
    char name[32];
    wsprintfA(name, "Certificate_%04d", i);
    DWORD type = 0;
    std::vector<BYTE> chunk;
    ASSERT_TRUE(ReadValue(key, name, &type, &chunk)) << name;
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(expected[i], chunk.size());
    joined.insert(joined.end(), chunk.begin(), chunk.end());
  }
  EXPECT_EQ(cert, joined);
  DWORD type = 0;
  std::vector<BYTE> none;
  EXPECT_FALSE(ReadValue(key, "Certificate_0003", &type, &none));
}

TEST_F(HallmarkStoreTest, WritesOnlyTheValuesItIsGiven) {
  ASSERT_TRUE(SaveHallmarkToRegistry(7, 3, nullptr, 0, nullptr, "ignored?", 2));
  std::string key = std::string(kHallmarks) + "\\2\\7";
  EXPECT_EQ("3", ReadString(key, "Validity"));
  EXPECT_EQ("(missing)", ReadString(key, "Size"));
  EXPECT_EQ("(missing)", ReadString(key, "URL"));
  EXPECT_EQ("ignored?", ReadString(key, "Path"));  // a path alone is written
  DWORD type = 0;
  std::vector<BYTE> none;
  EXPECT_FALSE(ReadValue(key, "Certificate_0000", &type, &none));
}

TEST_F(HallmarkStoreTest, KeyIndexZeroWritesNothing) {
  BYTE cert[10] = {};
  EXPECT_TRUE(SaveHallmarkToRegistry(0, 0, cert, sizeof(cert), "HTTP://", "", 0));
  KestrinWinNS::CScopedRegKey h;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kHallmarks, 0, KEY_READ, h.Receive()));
}

TEST_F(HallmarkStoreTest, AFailedWriteIsReported) {
  // A volatile sub-index key refuses the lasting entry key below it.
  KestrinWinNS::CScopedRegKey parent;
  std::string sub = std::string(kHallmarks) + "\\5";
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr,
                                           REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, parent.Receive(),
                                           nullptr));
  parent.Reset();
  BYTE cert[10] = {1, 2, 3};
  EXPECT_FALSE(SaveHallmarkToRegistry(9, 0, cert, sizeof(cert), "HTTP://", "", 5));
  // A certificate size without bytes is refused as well.
  EXPECT_FALSE(SaveHallmarkToRegistry(9, 0, nullptr, 10, "HTTP://", "", 6));
}

}  // namespace
