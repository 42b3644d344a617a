// SHA-1 (FIPS 180-1), fed in pieces of any size; the digest also as 40 upper-case hexadecimal
// digits.
#pragma once

#include <windows.h>

class CSHADigest {
 public:
  CSHADigest() { Reset(); }
  virtual ~CSHADigest() {}

  void Reset();
  // 1, or 0 when the message would pass 2^64 bits (the bytes past that point are not taken).
  int Update(const BYTE* data, DWORD length);
  // Pads and finishes the message; the digest and its text are then ready.
  void Final();
  const BYTE* GetDigest() const { return digest_; }
  const char* GetHexDigest() const { return hex_; }

 protected:
  DWORD length_low_;   // message length in bits
  DWORD length_high_;

 private:
  // One 64-byte block into the chaining words.
  void Transform(const BYTE* block);

  DWORD state_[5];
  BYTE block_[64];
  WORD index_;
  BYTE digest_[20];
  char hex_[41];
};
