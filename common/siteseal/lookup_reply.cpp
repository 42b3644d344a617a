#include "common/siteseal/lookup_reply.h"

#include <limits.h>
#include <string.h>

#include <algorithm>
#include <string>

namespace {

const char kMarker[] = "<!--AUTOINFO";
const size_t kMarkerLength = sizeof(kMarker) - 1;
const char kHeaderEnd[] = "-->";
const size_t kHeaderEndLength = sizeof(kHeaderEnd) - 1;

// Decimal number with atoi's reading (white space, sign, leading digits), held to int's range.
long long ReadNumber(const char* text) {
  while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\v' || *text == '\f' || *text == '\r') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  while (*text >= '0' && *text <= '9') {
    value = value * 10 + (*text++ - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return negative ? -value : value;
}

const BYTE* Find(const BYTE* begin, const BYTE* end, const char* what, size_t what_length) {
  const BYTE* at = std::search(begin, end, what, what + what_length);
  return at == end ? nullptr : at;
}

}  // namespace

bool ParseLookupReply(const BYTE* body, size_t length, std::vector<SiteSealRecord>* records) {
  records->clear();
  if (!body || length == 0) return false;
  // Marker and header are text: they end at the first zero byte.
  const BYTE* text_end = static_cast<const BYTE*>(memchr(body, 0, length));
  if (!text_end) text_end = body + length;

  const BYTE* marker = Find(body, text_end, kMarker, kMarkerLength);
  if (!marker) return false;
  const BYTE* header_begin = marker + kMarkerLength + 1;  // the marker and its separator byte
  if (header_begin > text_end) return false;
  const BYTE* header_end = Find(header_begin, text_end, kHeaderEnd, kHeaderEndLength);
  if (!header_end) return false;  // without its end the header cannot be told from the records
  // Records begin after "-->" and its separator byte (a CR LF pair counts as one), counted
  // from the body's first byte.
  size_t record_area = static_cast<size_t>(header_end - body) + kHeaderEndLength + 1;
  if (record_area < length && body[record_area - 1] == '\r' && body[record_area] == '\n') ++record_area;

  std::string header(reinterpret_cast<const char*>(header_begin), header_end - header_begin);
  header += '\n';

  size_t num = header.find("num=");
  if (num == std::string::npos) return false;
  size_t terminator = header.find_first_of("\r\n", num);
  if (terminator == std::string::npos) return false;
  const long long count = ReadNumber(header.c_str() + num + 4);
  if (count <= 0) return false;
  size_t rest = terminator + 1;
  if (header[terminator] == '\r' && rest < header.size() && header[rest] == '\n') ++rest;  // CR LF

  unsigned long long sum = 0;
  for (long long i = 0; i < count; ++i) {
    size_t line_end = header.find('\n', rest);
    if (line_end == std::string::npos) break;  // no further line: the remaining rounds do nothing
    std::string line = header.substr(rest, line_end - rest);
    rest = line_end + 1;
    size_t size_at = line.find("size=");
    if (size_at == std::string::npos) continue;
    const long long size = ReadNumber(line.c_str() + size_at + 5);
    if (size <= 0) continue;  // names no bytes: nothing to read and nothing to skip
    const unsigned long long offset = record_area + sum;
    if (offset <= length && static_cast<unsigned long long>(size) <= length - offset) {
      records->push_back({static_cast<size_t>(offset), static_cast<size_t>(size)});
    }
    sum += static_cast<unsigned long long>(size);
  }
  return true;
}
