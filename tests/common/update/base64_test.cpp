#include "common/update/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using UpdateUtilsNS::DecodeBase64;

namespace {

std::string Decode(const std::string& text, bool* ok = nullptr) {
  std::vector<BYTE> buffer(text.size() + 1);
  DWORD size = static_cast<DWORD>(buffer.size());
  bool result = DecodeBase64(text.data(), text.size(), buffer.data(), &size);
  if (ok) *ok = result;
  return std::string(reinterpret_cast<char*>(buffer.data()), size);
}

TEST(DecodeBase64, DecodesGroupsOfEveryLength) {
  struct Case { const char* text; const char* plain; } cases[] = {
      {"TWFu", "Man"}, {"TWE=", "Ma"}, {"TWE", "Ma"}, {"TQ==", "M"}, {"TQ", "M"},
      {"", ""}, {"TWFuTQ", "ManM"},
      // One character in the last group adds no byte.
      {"TWFuT", "Man"}, {"T", ""},
      {"+/+/", "\xfb\xff\xbf"},
  };
  for (const Case& c : cases) {
    bool ok = false;
    EXPECT_EQ(c.plain, Decode(c.text, &ok)) << c.text;
    EXPECT_TRUE(ok) << c.text;
  }
}

TEST(DecodeBase64, LineBreaksBlanksAndPaddingAreSkipped) {
  const std::string plain = "The quick brown fox jumps over the lazy dog, twice over.";
  const std::string flat = "VGhlIHF1aWNrIGJyb3duIGZveCBqdW1wcyBvdmVyIHRoZSBsYXp5IGRvZywgdHdpY2Ugb3Zlci4=";
  EXPECT_EQ(plain, Decode(flat));
  std::string broken;
  for (size_t i = 0; i < flat.size(); ++i) {
    if (i && i % 20 == 0) broken += (i % 40 == 0) ? "\r\n" : " \n\t";
    broken += flat[i];
  }
  broken += "==\r\n";
  EXPECT_EQ(Decode(flat), Decode(broken));
}

TEST(DecodeBase64, NulWhereAGroupStartsEndsTheText) {
  const char text[] = "TWFu\0TWFu";
  std::vector<BYTE> buffer(16);
  DWORD size = 16;
  EXPECT_TRUE(DecodeBase64(text, sizeof(text) - 1, buffer.data(), &size));
  EXPECT_EQ(3u, size);
}

TEST(DecodeBase64, LengthLimitsTheWalk) {
  std::vector<BYTE> buffer(16);
  DWORD size = 16;
  EXPECT_TRUE(DecodeBase64("TWFuTWFu", 4, buffer.data(), &size));
  EXPECT_EQ(3u, size);
}

TEST(DecodeBase64, CountsWithoutBufferAndStopsWritingWhenFull) {
  DWORD size = 0;
  EXPECT_FALSE(DecodeBase64("TWFuTWFuTQ==", 12, nullptr, &size));
  EXPECT_EQ(7u, size);

  BYTE buffer[8] = {0, 0, 0, 0, 0, 0, 0xEE, 0xEE};
  size = 5;  // room for the first group only
  EXPECT_FALSE(DecodeBase64("TWFuTWFuTQ==", 12, buffer, &size));
  EXPECT_EQ(7u, size);
  EXPECT_EQ(0, memcmp(buffer, "Man", 3));
  EXPECT_EQ(0, buffer[3]);  // the second group did not fit and was not written, nor any after it
  EXPECT_EQ(0xEE, buffer[6]);

  EXPECT_FALSE(DecodeBase64(nullptr, 4, buffer, &size));
  EXPECT_FALSE(DecodeBase64("TWFu", 4, buffer, nullptr));
}

}  // namespace
