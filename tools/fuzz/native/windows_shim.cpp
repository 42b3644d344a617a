// Linux versions of the Windows text functions declared in include/windows.h, for the native
// fuzzers only.
#include <windows.h>

#include <locale.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wctype.h>

#include <vector>

namespace {

// Windows-1252: the bytes 0x80 to 0x9F; the five it leaves undefined stay the control
// characters of the same value, as Windows converts them.
const uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// One character read from UTF-8 at `at`; false (and `at` past the first byte) when the bytes
// there are not a well-formed character.
bool ReadUtf8(const unsigned char* text, size_t length, size_t* at, uint32_t* out) {
  unsigned char first = text[(*at)++];
  if (first < 0x80) {
    *out = first;
    return true;
  }
  size_t more;
  uint32_t value, least;
  if (first >= 0xC2 && first <= 0xDF) {
    more = 1, value = first & 0x1F, least = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    more = 2, value = first & 0x0F, least = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    more = 3, value = first & 0x07, least = 0x10000;
  } else {
    return false;
  }
  size_t at_more = *at;
  for (size_t i = 0; i < more; ++i, ++at_more) {
    if (at_more >= length || (text[at_more] & 0xC0) != 0x80) return false;
    value = (value << 6) | (text[at_more] & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *at = at_more;
  *out = value;
  return true;
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, const char* text, int length, WCHAR* out, int out_length) {
  if (!text || length == 0 || length < -1 || out_length < 0) return 0;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t size = length == -1 ? strlen(text) + 1 : static_cast<size_t>(length);
  std::vector<WCHAR> units;
  if (code_page == CP_UTF8) {
    for (size_t at = 0; at < size;) {
      uint32_t c;
      if (!ReadUtf8(bytes, size, &at, &c)) {
        if (flags & MB_ERR_INVALID_CHARS) return 0;
        c = 0xFFFD;
      }
      if (c >= 0x10000) {
        units.push_back(static_cast<WCHAR>(0xD800 + ((c - 0x10000) >> 10)));
        units.push_back(static_cast<WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        units.push_back(static_cast<WCHAR>(c));
      }
    }
  } else if (code_page == CP_ACP) {
    for (size_t at = 0; at < size; ++at)
      units.push_back(static_cast<WCHAR>(bytes[at] >= 0x80 && bytes[at] < 0xA0 ? kWindows1252High[bytes[at] - 0x80]
                                                                                : bytes[at]));
  } else {
    return 0;
  }
  if (out_length == 0) return static_cast<int>(units.size());
  if (!out || units.size() > static_cast<size_t>(out_length)) return 0;
  for (size_t i = 0; i < units.size(); ++i) out[i] = units[i];
  return static_cast<int>(units.size());
}

DWORD CharLowerBuffW(WCHAR* text, DWORD length) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (!utf8) {
    fprintf(stderr, "windows shim: the C.UTF-8 locale is missing\n");
    abort();
  }
  if (!text) return 0;
  for (DWORD i = 0; i < length; ++i) {
    // A code unit of a surrogate pair is no character of its own and stays as it is.
    if (text[i] >= 0xD800 && text[i] <= 0xDFFF) continue;
    wint_t lower = towlower_l(static_cast<wint_t>(text[i]), utf8);
    if (lower <= 0xFFFF) text[i] = static_cast<WCHAR>(lower);
  }
  return length;
}

int wsprintfA(char* out, const char* format, ...) {
  // The Windows function writes 1,024 characters at most.
  va_list arguments;
  va_start(arguments, format);
  int n = vsnprintf(out, 1025, format, arguments);
  va_end(arguments);
  return n < 0 ? 0 : (n > 1024 ? 1024 : n);
}

HMODULE GetModuleHandleW(const WCHAR*) { return nullptr; }
HMODULE LoadLibraryW(const WCHAR*) { return nullptr; }
FARPROC GetProcAddress(HMODULE, const char*) { return nullptr; }
