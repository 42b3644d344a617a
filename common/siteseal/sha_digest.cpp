#include "common/siteseal/sha_digest.h"

#include <string.h>

namespace {

DWORD Rotate(DWORD value, int bits) { return (value << bits) | (value >> (32 - bits)); }

}  // namespace

void CSHADigest::Reset() {
  state_[0] = 0x67452301;
  state_[1] = 0xEFCDAB89;
  state_[2] = 0x98BADCFE;
  state_[3] = 0x10325476;
  state_[4] = 0xC3D2E1F0;
  length_low_ = length_high_ = 0;
  index_ = 0;
  memset(block_, 0, sizeof(block_));
  memset(digest_, 0, sizeof(digest_));
  hex_[0] = '\0';
}

int CSHADigest::Update(const BYTE* data, DWORD length) {
  if (!data && length) return 0;
  // The bytes that still fit below 2^64 bits are taken; any past that point are refused.
  const unsigned long long bits = (static_cast<unsigned long long>(length_high_) << 32) | length_low_;
  const unsigned long long room = (~0ULL - bits) / 8;
  const DWORD take = room < length ? static_cast<DWORD>(room) : length;
  const unsigned long long total = bits + static_cast<unsigned long long>(take) * 8;
  length_low_ = static_cast<DWORD>(total);
  length_high_ = static_cast<DWORD>(total >> 32);
  // Whole blocks are transformed where they lie; only the ends pass through the block buffer.
  DWORD done = 0;
  if (index_ > 0) {
    DWORD part = 64 - index_ < take ? 64 - index_ : take;
    memcpy(block_ + index_, data, part);
    index_ = static_cast<WORD>(index_ + part);
    done = part;
    if (index_ == 64) {
      Transform(block_);
      index_ = 0;
    }
  }
  for (; take - done >= 64; done += 64) Transform(data + done);
  if (done < take) {
    memcpy(block_ + index_, data + done, take - done);
    index_ = static_cast<WORD>(index_ + (take - done));
  }
  return take == length ? 1 : 0;
}

void CSHADigest::Transform(const BYTE* block) {
  DWORD w[80];
  for (int t = 0; t < 16; ++t)
    w[t] = (static_cast<DWORD>(block[t * 4]) << 24) | (static_cast<DWORD>(block[t * 4 + 1]) << 16) |
           (static_cast<DWORD>(block[t * 4 + 2]) << 8) | block[t * 4 + 3];
  for (int t = 16; t < 80; ++t) w[t] = Rotate(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
  DWORD a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
  // The four rounds of twenty steps, each with its own function and constant.
#define KESTRIN_SHA1_STEP(f, k, t)                              \
  {                                                             \
    DWORD temp = Rotate(a, 5) + (f) + e + w[t] + (k);           \
    e = d;                                                      \
    d = c;                                                      \
    c = Rotate(b, 30);                                          \
    b = a;                                                      \
    a = temp;                                                   \
  }
  for (int t = 0; t < 20; ++t) KESTRIN_SHA1_STEP((b & c) | (~b & d), 0x5A827999, t)
  for (int t = 20; t < 40; ++t) KESTRIN_SHA1_STEP(b ^ c ^ d, 0x6ED9EBA1, t)
  for (int t = 40; t < 60; ++t) KESTRIN_SHA1_STEP((b & c) | (b & d) | (c & d), 0x8F1BBCDC, t)
  for (int t = 60; t < 80; ++t) KESTRIN_SHA1_STEP(b ^ c ^ d, 0xCA62C1D6, t)
#undef KESTRIN_SHA1_STEP
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
}

void CSHADigest::Final() {
  DWORD low = length_low_, high = length_high_;
  block_[index_++] = 0x80;
  if (index_ > 56) {
    while (index_ < 64) block_[index_++] = 0;
    Transform(block_);
    index_ = 0;
  }
  while (index_ < 56) block_[index_++] = 0;
  for (int i = 0; i < 4; ++i) {
    block_[56 + i] = static_cast<BYTE>(high >> (24 - 8 * i));
    block_[60 + i] = static_cast<BYTE>(low >> (24 - 8 * i));
  }
  Transform(block_);
  index_ = 0;
  memset(block_, 0, sizeof(block_));
  length_low_ = length_high_ = 0;
  for (int i = 0; i < 20; ++i) digest_[i] = static_cast<BYTE>(state_[i / 4] >> (24 - 8 * (i % 4)));
  static const char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < 20; ++i) {
    hex_[2 * i] = kDigits[digest_[i] >> 4];
    hex_[2 * i + 1] = kDigits[digest_[i] & 15];
  }
  hex_[40] = '\0';
}
