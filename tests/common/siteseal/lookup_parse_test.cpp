#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/siteseal/site_seal_lookup.h"

namespace {

// Record i: a DER SEQUENCE whose content bytes tell the record apart (as the test service makes).
std::string Record(int i, size_t size) {
  std::string r;
  r += '\x30';
  r += '\x82';
  r += static_cast<char>(((size - 4) >> 8) & 0xFF);
  r += static_cast<char>((size - 4) & 0xFF);
  for (size_t k = 0; k + 4 < size; ++k) r += static_cast<char>((31 * i + k) % 251);
  return r;
}

std::vector<std::string> Parse(const std::string& body, bool* ok = nullptr) {
  std::vector<SiteSealRecord> records;
  bool result = ParseLookupReply(reinterpret_cast<const BYTE*>(body.data()), body.size(), &records);
  if (ok) *ok = result;
  std::vector<std::string> out;
  for (const SiteSealRecord& r : records) {
    EXPECT_LE(r.offset + r.size, body.size());
    out.push_back(body.substr(r.offset, r.size));
  }
  return out;
}

TEST(LookupReply, WellFormedReplies) {
  const std::string a = Record(0, 100), b = Record(1, 50), c = Record(2, 70);
  struct Case {
    const char* name;
    std::string body;
    bool ok;
    std::vector<std::string> records;
  } cases[] = {
      {"two records", "<!--AUTOINFO\nnum=2\nsize=100\nsize=50\n-->\n" + a + b, true, {a, b}},
      {"one record with free text", "<!--AUTOINFO\nnum=1\nname=x size=70abc\n-->\n" + c, true, {c}},
      {"a line without size uses up a count", "<!--AUTOINFO\nnum=1\ncomment\nsize=100\n-->\n" + a, true, {}},
      {"a line without size, then a record", "<!--AUTOINFO\nnum=3\ncomment\nsize=100\nsize=50\n-->\n" + a + b,
       true, {a, b}},
      {"any separator bytes", "<!--AUTOINFOXnum=1\nsize=50\n-->Y" + b, true, {b}},
      {"last line ends the header without a line feed", "<!--AUTOINFO\nnum=1\nsize=50-->\n" + b, true, {b}},
      {"num=0", "<!--AUTOINFO\nnum=0\n-->\n", false, {}},
      {"negative count", "<!--AUTOINFO\nnum=-3\nsize=50\n-->\n" + b, false, {}},
      {"no num", "<!--AUTOINFO\nsize=50\n-->\n" + b, false, {}},
      {"more counted than listed", "<!--AUTOINFO\nnum=2147483647\nsize=50\n-->\n" + b, true, {b}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool ok = false;
    EXPECT_EQ(c.records, Parse(c.body, &ok));
    EXPECT_EQ(c.ok, ok);
  }
}

// Whatever the reply looks like, no certificate may hold bytes from outside the record area.
TEST(LookupReply, MalformedRepliesYieldOnlyBytesOfTheBody) {
  const std::string a = Record(0, 100), b = Record(1, 50);
  struct Case {
    const char* name;
    std::string body;
    std::vector<std::string> records;
  } cases[] = {
      {"no marker", "num=1\nsize=50\n-->\n" + b, {}},
      {"no end marker: the header is not read as records", "<!--AUTOINFO\nnum=1\nsize=20\n" + b, {}},
      {"marker after other text", "<html>\n<!--AUTOINFO\nnum=2\nsize=100\nsize=50\n-->\n" + a + b, {a, b}},
      {"second size larger than the body", "<!--AUTOINFO\nnum=2\nsize=100\nsize=5000\n-->\n" + a + b, {a}},
      {"first size larger than the body", "<!--AUTOINFO\nnum=2\nsize=5000\nsize=50\n-->\n" + a + b, {}},
      {"record one byte short", "<!--AUTOINFO\nnum=1\nsize=51\n-->\n" + b, {}},
      {"header ends the body", "<!--AUTOINFO\nnum=1\nsize=1\n-->", {}},
      {"negative size skips nothing", "<!--AUTOINFO\nnum=2\nsize=-100\nsize=50\n-->\n" + b, {b}},
      {"huge size does not wrap", "<!--AUTOINFO\nnum=2\nsize=99999999999999999999\nsize=50\n-->\n" + b, {}},
      {"CR LF lines", "<!--AUTOINFO\r\nnum=2\r\nsize=100\r\nsize=50\r\n-->\r\n" + a + b, {a, b}},
      {"zero byte inside the header", std::string("<!--AUTOINFO\nnum=1\0size=50\n-->\n", 32) + b, {}},
      {"marker cut short", "<!--AUTOINF", {}},
      {"marker and nothing else", "<!--AUTOINFO", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.records, Parse(c.body));
  }
}

TEST(LookupReply, NoBody) {
  std::vector<SiteSealRecord> records;
  EXPECT_FALSE(ParseLookupReply(nullptr, 10, &records));
  EXPECT_FALSE(ParseLookupReply(reinterpret_cast<const BYTE*>("x"), 0, &records));
  EXPECT_TRUE(records.empty());
}

}  // namespace
