#include "common/url/page_address.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

namespace UrlNS {

namespace {

const size_t kMaxHostLength = 253;
const size_t kMaxLabelLength = 63;

bool IsAsciiAlpha(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

void AppendEscaped(unsigned char byte, std::string* out) {
  static const char kHex[] = "0123456789ABCDEF";
  *out += '%';
  *out += kHex[byte >> 4];
  *out += kHex[byte & 15];
}

// UTF-16 code units to code points; false for a lone surrogate.
bool CodePoints(const std::wstring& text, std::vector<unsigned long>* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned long c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    out->push_back(c);
  }
  return true;
}

// One character (with its low surrogate, when it has one) as UTF-8, percent-encoded.
void AppendUtf8Escaped(const std::wstring& text, size_t* i, std::string* out) {
  unsigned long c = text[*i];
  if (c >= 0xD800 && c <= 0xDBFF && *i + 1 < text.size() && text[*i + 1] >= 0xDC00 && text[*i + 1] <= 0xDFFF) {
    c = 0x10000 + ((c - 0xD800) << 10) + (text[*i + 1] - 0xDC00);
    ++*i;
  } else if (c >= 0xD800 && c <= 0xDFFF) {
    c = 0xFFFD;  // a lone surrogate
  }
  if (c < 0x80) {
    AppendEscaped(static_cast<unsigned char>(c), out);
  } else if (c < 0x800) {
    AppendEscaped(static_cast<unsigned char>(0xC0 | (c >> 6)), out);
    AppendEscaped(static_cast<unsigned char>(0x80 | (c & 0x3F)), out);
  } else if (c < 0x10000) {
    AppendEscaped(static_cast<unsigned char>(0xE0 | (c >> 12)), out);
    AppendEscaped(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)), out);
    AppendEscaped(static_cast<unsigned char>(0x80 | (c & 0x3F)), out);
  } else {
    AppendEscaped(static_cast<unsigned char>(0xF0 | (c >> 18)), out);
    AppendEscaped(static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F)), out);
    AppendEscaped(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)), out);
    AppendEscaped(static_cast<unsigned char>(0x80 | (c & 0x3F)), out);
  }
}

// ASCII text of a path, query or fragment: non-ASCII characters, controls, blanks and the
// characters no address carries plainly are percent-encoded as UTF-8.
std::string EscapeText(const std::wstring& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c <= 0x20 || c >= 0x7F || c == L'"' || c == L'<' || c == L'>' || c == L'`')
      AppendUtf8Escaped(text, &i, &out);
    else
      out += static_cast<char>(c);
  }
  return out;
}

// ---- Punycode -------------------------------------------------------------------------------

const unsigned long kBase = 36, kTMin = 1, kTMax = 26, kSkew = 38, kDamp = 700;

unsigned long Adapt(unsigned long delta, unsigned long points, bool first) {
  delta = first ? delta / kDamp : delta / 2;
  delta += delta / points;
  unsigned long k = 0;
  while (delta > ((kBase - kTMin) * kTMax) / 2) {
    delta /= kBase - kTMin;
    k += kBase;
  }
  return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

char Digit(unsigned long d) { return static_cast<char>(d < 26 ? 'a' + d : '0' + d - 26); }

bool Punycode(const std::vector<unsigned long>& input, std::string* out) {
  const unsigned long kMax = 0xFFFFFFFFul;
  std::string result;
  for (unsigned long c : input)
    if (c < 0x80) result += static_cast<char>(c);
  unsigned long basic = static_cast<unsigned long>(result.size()), handled = basic;
  if (basic > 0) result += '-';
  unsigned long n = 0x80, delta = 0, bias = 72;
  while (handled < input.size()) {
    unsigned long m = kMax;
    for (unsigned long c : input)
      if (c >= n && c < m) m = c;
    if ((m - n) > (kMax - delta) / (handled + 1)) return false;
    delta += (m - n) * (handled + 1);
    n = m;
    for (unsigned long c : input) {
      if (c < n && ++delta == 0) return false;
      if (c != n) continue;
      unsigned long q = delta;
      for (unsigned long k = kBase;; k += kBase) {
        unsigned long t = k <= bias ? kTMin : (k >= bias + kTMax ? kTMax : k - bias);
        if (q < t) break;
        result += Digit(t + (q - t) % (kBase - t));
        q = (q - t) / (kBase - t);
      }
      result += Digit(q);
      bias = Adapt(delta, handled + 1, handled == basic);
      delta = 0;
      ++handled;
    }
    ++delta;
    ++n;
  }
  *out = result;
  return true;
}

// ---- The mapping step of international names (IDNA 2003) -------------------------------------

typedef int(WINAPI* IdnProc)(DWORD flags, const wchar_t* input, int input_length, wchar_t* output,
                             int output_length);
typedef int(WINAPI* NormalizeProc)(int form, const wchar_t* input, int input_length, wchar_t* output,
                                   int output_length);
const int kNormalizationKC = 5;

// A function of kernel32 (Vista on) or, before it, of normaliz.dll where that was installed;
// null where neither has it. The library stays loaded for the life of the process.
FARPROC PlatformFunction(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC proc = kernel ? GetProcAddress(kernel, name) : nullptr;
  if (!proc) {
    HMODULE normaliz = LoadLibraryW(L"normaliz.dll");
    if (normaliz) proc = GetProcAddress(normaliz, name);
  }
  return proc;
}

IdnProc PlatformNameprep() {
  static const IdnProc proc = reinterpret_cast<IdnProc>(PlatformFunction("IdnToNameprepUnicode"));
  return proc;
}

NormalizeProc PlatformNormalize() {
  static const NormalizeProc proc = reinterpret_cast<NormalizeProc>(PlatformFunction("NormalizeString"));
  return proc;
}

// Calls a platform function of the (flags or form, input, output) shape; false when it fails.
template <class Proc, class First>
bool CallPlatform(Proc proc, First first, const std::wstring& input, std::wstring* out) {
  out->clear();
  if (input.empty()) return true;
  // Mapping makes a label a few times longer at most (a ligature of three letters, a
  // compatibility character of up to eighteen).
  std::vector<wchar_t> buffer(input.size() * 18 + 16);
  int n = proc(first, input.data(), static_cast<int>(input.size()), buffer.data(), static_cast<int>(buffer.size()));
  if (n <= 0) return false;
  out->assign(buffer.data(), static_cast<size_t>(n));
  while (!out->empty() && out->back() == L'\0') out->pop_back();
  return true;
}

// The mappings of the mapping step that the conversion applies itself before anything else:
// the characters mapped to nothing, the case mappings of the Latin-1 letters, the sharp s
// and the final sigma, and the full-width letters and digits. Each is the mapping step's own,
// so applying them first changes no result of the platform's; they also mend a platform whose
// tables go wrong in the Latin-1 range.
void PremapCharacter(wchar_t c, std::wstring* out) {
  if (c == 0x00AD || c == 0x034F || c == 0x1806 || (c >= 0x180B && c <= 0x180D) || (c >= 0x200B && c <= 0x200D) ||
      c == 0x2060 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF)
    return;  // mapped to nothing
  if (c == 0x00DF) {
    *out += L"ss";
  } else if (c == 0x03C2) {
    *out += static_cast<wchar_t>(0x03C3);
  } else if (c == 0x00B5) {
    *out += static_cast<wchar_t>(0x03BC);
  } else if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) {
    *out += static_cast<wchar_t>(c + 0x20);
  } else if (c == 0x0130) {
    *out += L"i\x0307";
  } else if ((c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A) || (c >= 0xFF10 && c <= 0xFF19)) {
    *out += static_cast<wchar_t>(LowerAscii(static_cast<wchar_t>(c - 0xFEE0)));
  } else if (c == 0xFF0D) {
    *out += L'-';
  } else if (c >= 0xFB00 && c <= 0xFB06) {
    static const wchar_t* const kLigatures[] = {L"ff", L"fi", L"fl", L"ffi", L"ffl", L"st", L"st"};
    *out += kLigatures[c - 0xFB00];
  } else if (c == 0x2126) {
    *out += static_cast<wchar_t>(0x03C9);
  } else if (c == 0x212A) {
    *out += L'k';
  } else if (c == 0x212B) {
    *out += static_cast<wchar_t>(0x00E5);
  } else {
    *out += c;
  }
}

std::wstring Premap(const std::wstring& label) {
  std::wstring out;
  for (wchar_t c : label) PremapCharacter(c, &out);
  return out;
}

// Right-to-left letters (Hebrew, Arabic, Syriac, Thaana, N'Ko and their presentation forms).
bool IsRightToLeft(unsigned long c) {
  return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE);
}

// The rule for right-to-left labels, taken strictly: a label with a right-to-left letter
// starts and ends with one and holds nothing but them, digits and hyphens.
bool PassesDirectionRule(const std::vector<unsigned long>& points) {
  bool any = false;
  for (unsigned long c : points) any = any || IsRightToLeft(c);
  if (!any) return true;
  if (!IsRightToLeft(points.front()) || !IsRightToLeft(points.back())) return false;
  for (unsigned long c : points)
    if (!IsRightToLeft(c) && !(c >= '0' && c <= '9') && c != '-') return false;
  return true;
}

// ---- Host -------------------------------------------------------------------------------------

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// One IPv4 part as a browser reads it: "0x" hexadecimal, a leading 0 octal, else decimal.
bool ReadIpv4Part(const std::string& part, unsigned long long* value) {
  if (part.empty()) return false;
  unsigned base = 10;
  size_t at = 0;
  if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    base = 16;
    at = 2;
  } else if (part.size() >= 2 && part[0] == '0') {
    base = 8;
    at = 1;
  }
  unsigned long long v = 0;
  for (; at < part.size(); ++at) {
    int d = HexValue(static_cast<wchar_t>(part[at]));
    if (d < 0 || static_cast<unsigned>(d) >= base) return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  *value = v;
  return true;
}

bool LooksNumeric(const std::string& label) {
  if (label.empty()) return false;
  if (label.size() >= 2 && label[0] == '0' && (label[1] == 'x' || label[1] == 'X')) {
    for (size_t i = 2; i < label.size(); ++i)
      if (HexValue(static_cast<wchar_t>(label[i])) < 0) return false;
    return true;
  }
  for (char c : label)
    if (c < '0' || c > '9') return false;
  return true;
}

// A host whose last label is a number is an IPv4 address: written as four decimals, or refused.
bool NormaliseIpv4(const std::vector<std::string>& labels, std::string* out) {
  if (labels.size() > 4) return false;
  unsigned long long parts[4] = {};
  for (size_t i = 0; i < labels.size(); ++i)
    if (!ReadIpv4Part(labels[i], &parts[i])) return false;
  size_t last = labels.size() - 1;
  for (size_t i = 0; i < last; ++i)
    if (parts[i] > 255) return false;
  if (parts[last] >= (1ull << (8 * (4 - last)))) return false;
  unsigned long long address = parts[last];
  for (size_t i = 0; i < last; ++i) address += parts[i] << (8 * (3 - i));
  char text[16];
  wsprintfA(text, "%u.%u.%u.%u", static_cast<unsigned>((address >> 24) & 255), static_cast<unsigned>((address >> 16) & 255),
            static_cast<unsigned>((address >> 8) & 255), static_cast<unsigned>(address & 255));
  *out = text;
  return true;
}

// Percent-decoding of an authority's host: the bytes are UTF-8.
bool DecodeHost(const std::wstring& raw, std::wstring* out) {
  if (raw.find(L'%') == std::wstring::npos) {
    *out = raw;
    return true;
  }
  std::string bytes;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == L'%') {
      if (i + 2 >= raw.size() || HexValue(raw[i + 1]) < 0 || HexValue(raw[i + 2]) < 0) return false;
      bytes += static_cast<char>(HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2]));
      i += 2;
    } else if (raw[i] < 0x80) {
      bytes += static_cast<char>(raw[i]);
    } else {
      return false;  // mixed forms are not read
    }
  }
  if (bytes.empty()) return false;
  int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (chars <= 0) return false;
  out->assign(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), &(*out)[0], chars);
  return true;
}

bool Utf8ToWide(const char* text, size_t length, UINT code_page, DWORD flags, std::wstring* out) {
  out->clear();
  if (length == 0) return true;
  int chars = MultiByteToWideChar(code_page, flags, text, static_cast<int>(length), nullptr, 0);
  if (chars <= 0) return false;
  out->assign(static_cast<size_t>(chars), L'\0');
  return MultiByteToWideChar(code_page, flags, text, static_cast<int>(length), &(*out)[0], chars) == chars;
}

// ---- Path -------------------------------------------------------------------------------------

bool IsUnreserved(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// Encoded slashes, backslashes and unreserved letters decoded, then dot segments resolved.
std::string NormalisePath(const std::wstring& raw) {
  std::wstring decoded;
  std::vector<size_t> plain_percents;  // "%" signs that start no escape
  for (size_t i = 0; i < raw.size(); ++i) {
    wchar_t c = raw[i];
    if (c == L'\\') c = L'/';
    if (c == L'%') {
      if (i + 2 < raw.size() && HexValue(raw[i + 1]) >= 0 && HexValue(raw[i + 2]) >= 0) {
        int byte = HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2]);
        if (byte == '/' || byte == '\\' || IsUnreserved(byte)) {
          decoded += byte == '\\' ? L'/' : static_cast<wchar_t>(byte);
          i += 2;
          continue;
        }
      } else {
        plain_percents.push_back(decoded.size());
      }
    }
    decoded += c;
  }
  // A plain "%" that decoding has put before two hexadecimal digits ("%%34b" became "%4b")
  // would read as an escape the next time: it is written as one of its own.
  for (size_t k = plain_percents.size(); k-- > 0;) {
    const size_t at = plain_percents[k];
    if (at + 2 < decoded.size() && HexValue(decoded[at + 1]) >= 0 && HexValue(decoded[at + 2]) >= 0)
      decoded.insert(at + 1, L"25");
  }
  std::string text = EscapeText(decoded);
  if (text.empty() || text[0] != '/') text.insert(text.begin(), '/');
  std::vector<std::string> segments;
  size_t start = 1;
  for (;;) {
    size_t slash = text.find('/', start);
    std::string segment = text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    bool last = slash == std::string::npos;
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      if (last) segments.push_back(std::string());
    } else if (segment == ".") {
      if (last) segments.push_back(std::string());
    } else {
      segments.push_back(segment);
    }
    if (last) break;
    start = slash + 1;
  }
  std::string path;
  for (const std::string& s : segments) path += "/" + s;
  return path.empty() ? "/" : path;
}

bool HasAuthority(const std::string& scheme) {
  return scheme.empty() || scheme == "http" || scheme == "https" || scheme == "ftp";
}

}  // namespace

namespace {

void Lower(std::wstring* text) {
  if (!text->empty()) CharLowerBuffW(&(*text)[0], static_cast<DWORD>(text->size()));
}

}  // namespace

bool OwnNameprepLabel(const std::wstring& label, std::wstring* out) {
  out->clear();
  std::wstring text = Premap(label);
  Lower(&text);
  NormalizeProc normalize = PlatformNormalize();
  if (normalize && !text.empty()) {
    std::wstring normal;
    if (!CallPlatform(normalize, kNormalizationKC, text, &normal)) return false;
    // Lowering and normalising may bring a character the mappings take (a capital sharp s, a
    // compatibility capital): once more, as the case folding for normalised text does.
    text = Premap(normal);
    Lower(&text);
  }
  *out = text;
  return true;
}

bool NameprepLabel(const std::wstring& label, std::wstring* out) {
  out->clear();
  std::wstring own;
  bool own_mapped = OwnNameprepLabel(label, &own);
  IdnProc nameprep = PlatformNameprep();
  if (!nameprep) {
    if (own_mapped) *out = own;
    return own_mapped;
  }
  // The platform's mapping decides, and only where the own one agrees: a platform table that
  // goes wrong (as one does in the Latin-1 range, mapped first here for that reason) never
  // makes a host. Unassigned characters are refused (flags 0). ASCII letters compare in lower
  // case, as the host is written.
  std::wstring premapped = Premap(label), platform;
  if (!premapped.empty() && !CallPlatform(nameprep, 0ul, premapped, &platform)) return false;
  for (wchar_t& c : platform) c = LowerAscii(c);
  if (!own_mapped || platform != own) return false;
  *out = platform;
  return true;
}

bool HostToAscii(const std::wstring& host, std::string* out) {
  out->clear();
  if (host.empty() || host.size() > 4 * kMaxHostLength) return false;
  std::wstring text = host;
  // Full stops of other scripts separate labels as the plain dot does.
  for (wchar_t& c : text)
    if (c == 0x3002 || c == 0xFF0E || c == 0xFF61) c = L'.';
  if (!text.empty() && text.back() == L'.') text.pop_back();
  if (text.empty()) return false;
  // IPv6 literal: hexadecimal digits, colons and dots only.
  if (text[0] == L'[') {
    if (text.size() < 3 || text.back() != L']') return false;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
      wchar_t c = LowerAscii(text[i]);
      if (!(IsDigit(c) || (c >= L'a' && c <= L'f') || c == L':' || c == L'.')) return false;
      out->push_back(static_cast<char>(c));
    }
    *out = "[" + *out + "]";
    return true;
  }
  std::vector<std::string> labels;
  size_t start = 0;
  for (;;) {
    size_t dot = text.find(L'.', start);
    std::wstring label = text.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
    if (label.empty()) return false;
    bool ascii = true;
    for (wchar_t c : label) ascii = ascii && c < 0x80;
    std::string written;
    if (ascii) {
      for (wchar_t c : label) written += static_cast<char>(LowerAscii(c));
      for (char c : written)
        if (!IsHostCharacter(c)) return false;
    } else {
      // The mapping step first (case, compatibility forms, characters mapped to nothing): the
      // host the browser connects to is the mapped one.
      std::vector<unsigned long> points;
      if (!CodePoints(label, &points)) return false;
      std::wstring mapped;
      if (!NameprepLabel(label, &mapped) || mapped.empty() || !CodePoints(mapped, &points)) return false;
      bool mapped_ascii = true;
      for (unsigned long c : points) {
        mapped_ascii = mapped_ascii && c < 0x80;
        // The characters a host never holds, in any script (a dot that mapping made among them).
        if (c < 0x80 && !IsHostCharacter(static_cast<char>(LowerAscii(static_cast<wchar_t>(c))))) return false;
        if ((c >= 0x80 && c < 0xA0) || c == 0xFFFD || (c >= 0xFFF0 && c <= 0xFFFF) || (c >= 0x2000 && c <= 0x206F) ||
            c == 0x3000 || (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000 || (c >= 0xFDD0 && c <= 0xFDEF))
          return false;
      }
      if (mapped_ascii) {
        for (unsigned long c : points) written += static_cast<char>(LowerAscii(static_cast<wchar_t>(c)));
      } else {
        if (!PassesDirectionRule(points)) return false;
        std::string encoded;
        if (!Punycode(points, &encoded)) return false;
        written = "xn--" + encoded;
      }
    }
    if (written.size() > kMaxLabelLength) return false;
    labels.push_back(written);
    if (dot == std::wstring::npos) break;
    start = dot + 1;
  }
  if (LooksNumeric(labels.back())) return NormaliseIpv4(labels, out);
  for (size_t i = 0; i < labels.size(); ++i) *out += (i ? "." : "") + labels[i];
  if (out->size() > kMaxHostLength) {
    out->clear();
    return false;
  }
  return true;
}

std::string PageAddress::Text() const {
  if (host.empty()) return std::string();
  // A bare authority keeps its "//": the host must never read as a scheme.
  std::string text = scheme.empty() ? std::string("//") : scheme + "://";
  text += host;
  if (!port.empty()) text += ":" + port;
  return text + path + rest;
}

namespace {

// Characters of an address as the browser holds it: percent escapes of UTF-8 bytes count as
// the character they encode, so an address and its 8-bit form (Text) have the same length.
template <class Text>
size_t AddressLength(const Text& text) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      int escaped = HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]);
      if (escaped >= 0x80) {
        i += 2;
        if (escaped < 0xC0) continue;  // a continuation byte adds none
      }
    }
    ++characters;
  }
  return characters;
}

bool ReadAddress(const wchar_t* input, size_t length, size_t limit, PageAddress* out) {
  *out = PageAddress();
  if (!input || length > limit) return false;
  // Tabs and line ends go anywhere, controls and blanks at either end.
  std::wstring text;
  for (size_t i = 0; i < length && input[i]; ++i)
    if (input[i] != L'\t' && input[i] != L'\n' && input[i] != L'\r') text += input[i];
  size_t first = 0, end = text.size();
  while (first < end && text[first] <= 0x20) ++first;
  while (end > first && text[end - 1] <= 0x20) --end;
  text = text.substr(first, end - first);

  // The scheme: a letter, then letters, digits, "+", "-", "." up to the first ":".
  size_t at = 0;
  size_t colon = text.find(L':');
  if (colon != std::wstring::npos && colon > 0 && IsAsciiAlpha(text[0])) {
    bool scheme = true;
    for (size_t i = 1; i < colon && scheme; ++i)
      scheme = IsAsciiAlpha(text[i]) || IsDigit(text[i]) || text[i] == L'+' || text[i] == L'-' || text[i] == L'.';
    if (scheme) {
      for (size_t i = 0; i < colon; ++i) out->scheme += static_cast<char>(LowerAscii(text[i]));
      at = colon + 1;
    }
  }
  if (!HasAuthority(out->scheme)) return true;  // an address without a host

  while (at < text.size() && (text[at] == L'/' || text[at] == L'\\')) ++at;
  size_t authority_end = text.find_first_of(L"/\\?#", at);
  if (authority_end == std::wstring::npos) authority_end = text.size();
  std::wstring authority = text.substr(at, authority_end - at);
  size_t user = authority.rfind(L'@');
  if (user != std::wstring::npos) authority.erase(0, user + 1);
  // The port: digits after the last colon that is not inside an IPv6 literal.
  size_t port_colon = authority.rfind(L':');
  size_t bracket = authority.rfind(L']');
  std::wstring host = authority;
  std::string port;
  if (port_colon != std::wstring::npos && (bracket == std::wstring::npos || port_colon > bracket)) {
    host = authority.substr(0, port_colon);
    for (size_t i = port_colon + 1; i < authority.size(); ++i) {
      if (!IsDigit(authority[i])) return false;
      if (port.empty() && authority[i] == L'0') continue;
      port += static_cast<char>(authority[i]);
    }
    if (port.size() > 5 || (!port.empty() && atoi(port.c_str()) > 65535)) return false;
    if (port.empty() && port_colon + 1 < authority.size()) port = "0";
  }
  std::wstring decoded;
  std::string ascii;
  if (!DecodeHost(host, &decoded) || !HostToAscii(decoded, &ascii)) {
    out->port.clear();
    return false;
  }

  size_t rest_at = text.find_first_of(L"?#", authority_end);
  if (rest_at == std::wstring::npos) rest_at = text.size();
  out->host = ascii;
  out->port = port;
  out->path = NormalisePath(text.substr(authority_end, rest_at - authority_end));
  out->rest = EscapeText(text.substr(rest_at));
  // The address as it is read from now on may not pass the longest either (an ASCII form of
  // the host may be longer than the host as written).
  if (AddressLength(out->Text()) > kMaxAddressLength) {
    *out = PageAddress();
    return false;
  }
  return true;
}

}  // namespace

bool ReadPageAddress(const wchar_t* input, size_t length, PageAddress* out) {
  return ReadAddress(input, length, kMaxAddressLength, out);
}

bool ReadPageAddress(const std::wstring& text, PageAddress* out) {
  return ReadPageAddress(text.c_str(), text.size(), out);
}

bool ReadPageAddress(const char* text, PageAddress* out) {
  *out = PageAddress();
  if (!text) return false;
  // The 8-bit form escapes characters beyond ASCII: its bytes may be many more.
  const size_t kMaxBytes = 12 * kMaxAddressLength;
  size_t length = strnlen(text, kMaxBytes + 1);
  if (length > kMaxBytes) return false;
  std::wstring wide;
  if (!Utf8ToWide(text, length, CP_UTF8, MB_ERR_INVALID_CHARS, &wide) && !Utf8ToWide(text, length, CP_ACP, 0, &wide))
    return false;
  return ReadAddress(wide.c_str(), wide.size(), kMaxBytes, out);
}

std::string NarrowPageAddress(const wchar_t* text, size_t length) {
  if (!text) return std::string();
  PageAddress address;
  if (ReadPageAddress(text, length, &address) && address.HasHost()) return address.Text();
  return EscapeNonAscii(text, length);
}

std::string EscapeNonAscii(const wchar_t* text, size_t length) {
  if (!text) return std::string();
  size_t end = 0;
  while (end < length && text[end]) ++end;
  std::wstring whole(text, end);
  std::string out;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (whole[i] < 0x80)
      out += static_cast<char>(whole[i]);
    else
      AppendUtf8Escaped(whole, &i, &out);
  }
  return out;
}

}  // namespace UrlNS
