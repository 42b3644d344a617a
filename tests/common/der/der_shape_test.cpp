#include <gtest/gtest.h>

#include <vector>

#include "common/der/der_shape.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Tlv(BYTE tag, const Bytes& content) {
  Bytes out{tag};
  size_t n = content.size();
  if (n < 0x80) {
    out.push_back(static_cast<BYTE>(n));
  } else {
    out.push_back(0x82);
    out.push_back(static_cast<BYTE>(n >> 8));
    out.push_back(static_cast<BYTE>(n));
  }
  out.insert(out.end(), content.begin(), content.end());
  return out;
}

// A constructed OCTET STRING nested `depth` times around one byte.
Bytes Nested(int depth) {
  Bytes inner = Tlv(0x04, {0x41});
  for (int i = 0; i < depth; ++i) inner = Tlv(0x24, inner);
  return inner;
}

Bytes Name(BYTE set_tag, BYTE value_tag, const Bytes& value) {
  Bytes attribute = Tlv(0x06, {0x55, 0x04, 0x03});
  Bytes v = Tlv(value_tag, value);
  attribute.insert(attribute.end(), v.begin(), v.end());
  return Tlv(0x30, Tlv(set_tag, Tlv(0x30, attribute)));
}

TEST(DerShape, WellFormedNeedsDefiniteLengthsInsideTheirParentsAndBoundedNesting) {
  struct Case {
    Bytes data;
    bool ok;
  } cases[] = {
      {Tlv(0x30, Tlv(0x02, {0x01})), true},
      {Nested(DerNS::kMaxDepth), true},
      {Nested(DerNS::kMaxDepth + 1), false},
      {Nested(2000), false},
      {{0x30, 0x80, 0x02, 0x01, 0x01, 0x00, 0x00}, false},    // indefinite length
      {{0x30, 0x03, 0x02, 0x01}, false},                       // longer than the data
      {{0x30, 0x04, 0x02, 0x03, 0x01, 0x02}, false},           // a child longer than its parent
      {{0x30, 0x03, 0x02, 0x01, 0x01, 0x00}, false},           // bytes after the element
      {{0x30, 0x85, 0x00, 0x00, 0x00, 0x00, 0x01}, false},     // five length bytes
      {{0x1F, 0x81, 0x80, 0x80, 0x80, 0x80, 0x00}, false},     // endless tag number
      {{0x1F, 0x21, 0x00}, true},
      {{0x05}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.ok, DerNS::IsWellFormed(c.data.data(), c.data.size())) << c.data.size();
}

TEST(DerShape, AnElementLongerByOneByteThanWhatIsLeftIsRefused) {
  Bytes content(300, 0x41);
  for (size_t n : {size_t{3}, size_t{300}}) {
    SCOPED_TRACE(n);
    const Bytes whole = Tlv(0x04, Bytes(content.begin(), content.begin() + n));
    DerNS::Element e;
    // Exactly as long as the bytes left: read whole, also when more bytes follow it.
    ASSERT_TRUE(DerNS::ReadElement(whole.data(), whole.size(), &e));
    EXPECT_EQ(e.whole, whole.size());
    EXPECT_EQ(e.length, n);
    EXPECT_EQ(e.content, whole.data() + whole.size() - n);
    Bytes followed = whole;
    followed.push_back(0x05);
    ASSERT_TRUE(DerNS::ReadElement(followed.data(), followed.size(), &e));
    EXPECT_EQ(e.whole, whole.size());
    // One content byte missing: the stated length is one more than the bytes left.
    EXPECT_FALSE(DerNS::ReadElement(whole.data(), whole.size() - 1, &e));
    EXPECT_FALSE(DerNS::IsWellFormed(whole.data(), whole.size() - 1));
  }
  // The same inside a parent: the child claims one byte more than its parent holds.
  const Bytes parent{0x30, 0x04, 0x04, 0x03, 0x41, 0x42};
  EXPECT_FALSE(DerNS::IsWellFormed(parent.data(), parent.size()));
}

TEST(DerShape, BitStringsHaveTheirUnusedBitCount) {
  const Bytes ok1{0x03, 0x01, 0x00}, ok2{0x03, 0x02, 0x07, 0x80};
  const Bytes empty{0x03, 0x00}, unused_without_bytes{0x03, 0x01, 0x03}, too_many{0x03, 0x02, 0x08, 0x00},
      constructed{0x23, 0x03, 0x03, 0x01, 0x00};
  EXPECT_TRUE(DerNS::IsBitString(ok1.data(), ok1.size()));
  EXPECT_TRUE(DerNS::IsBitString(ok2.data(), ok2.size()));
  for (const Bytes* bad : {&empty, &unused_without_bytes, &too_many, &constructed})
    EXPECT_FALSE(DerNS::IsBitString(bad->data(), bad->size()));
}

TEST(DerShape, NamesAreSequencesOfSetsOfTypedStrings) {
  Bytes good = Name(0x31, 0x0C, {'B', 'a', 'n', 'k'});
  EXPECT_TRUE(DerNS::IsName(good.data(), good.size()));
  Bytes empty = Tlv(0x30, {});
  EXPECT_TRUE(DerNS::IsName(empty.data(), empty.size()));
  const Bytes bad[] = {
      Name(0x30, 0x0C, {'B'}),          // the set's tag changed
      Name(0x31, 0x04, {'B'}),          // a value that is no string
      Name(0x31, 0x1E, {0x00}),         // half a BMP character
      Name(0x31, 0x1C, {0, 0, 0x41}),   // three quarters of a universal character
      Tlv(0x30, Tlv(0x31, {})),         // an empty set
  };
  for (const Bytes& b : bad) EXPECT_FALSE(DerNS::IsName(b.data(), b.size()));
}

}  // namespace
