#include "common/update/base64.h"

namespace UpdateUtilsNS {

namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool DecodeBase64(const char* text, size_t length, BYTE* buffer, DWORD* size) {
  if (!text || !size) return false;
  const DWORD capacity = buffer ? *size : 0;
  bool writing = buffer != nullptr;
  DWORD total = 0;
  size_t i = 0;
  while (i < length && text[i] != '\0') {
    DWORD bits = 0;
    int taken = 0;
    while (i < length && taken < 4) {
      int value = Base64Value(text[i++]);
      if (value < 0) continue;
      bits = (bits << 6) | static_cast<DWORD>(value);
      ++taken;
    }
    bits <<= 6 * (4 - taken);
    const DWORD count = static_cast<DWORD>(taken * 6 / 8);
    if (writing && (total + count > capacity || total + count < total)) writing = false;
    if (writing) {
      for (DWORD b = 0; b < count; ++b) buffer[total + b] = static_cast<BYTE>(bits >> (16 - 8 * b));
    }
    total += count;
  }
  *size = total;
  return buffer != nullptr && writing;
}

}  // namespace UpdateUtilsNS
