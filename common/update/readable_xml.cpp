#include "common/update/readable_xml.h"

#include <ctype.h>
#include <string.h>

#include <string>

namespace UpdateUtilsNS {

namespace {

bool IsSpace(BYTE c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return isalpha(u) || u == '_' || u == ':' || u >= 0x80;
}
bool IsNameCharacter(char c) {
  return IsNameStart(c) || isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

// name S? "=" S? quoted value of the allowed characters.
bool ReadAttribute(const std::string& text, size_t* at, const char* name, const char* allowed) {
  size_t pos = *at;
  size_t name_length = strlen(name);
  if (text.compare(pos, name_length, name) != 0) return false;
  pos += name_length;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  if (pos >= text.size() || text[pos] != '=') return false;
  ++pos;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) return false;
  char quote = text[pos++];
  size_t value = pos;
  while (pos < text.size() && text[pos] != quote) {
    if (text[pos] == '\0' || (!strchr(allowed, text[pos]) && !isalnum(static_cast<unsigned char>(text[pos]))))
      return false;
    ++pos;
  }
  if (pos >= text.size() || pos == value) return false;
  *at = pos + 1;
  return true;
}

}  // namespace

bool IsReadableXml(const BYTE* bytes, size_t size) {
  // The markup looked at is ASCII: a UTF-16 document puts a zero beside each character.
  // Characters beyond ASCII all read as 0x80 here.
  std::string text;
  bool little = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
  bool big = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
  if (little || big) {
    for (size_t i = 2; i + 1 < size; i += 2) {
      unsigned unit = little ? bytes[i] | (bytes[i + 1] << 8) : (bytes[i] << 8) | bytes[i + 1];
      text += unit < 0x80 ? static_cast<char>(unit) : static_cast<char>(0x80);
    }
  } else {
    size_t start = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    text.assign(reinterpret_cast<const char*>(bytes) + start, size - start);
  }
  // No document holds the character zero; the reader takes it for the end of its input, and a
  // declaration followed by that end stops the process.
  if (text.find('\0') != std::string::npos) return false;
  // Every instruction: a target name, then white space or "?>", and an end.
  size_t end = 0;  // the "?>" after the instruction last looked at
  for (size_t at = text.find("<?"); at != std::string::npos; at = text.find("<?", at + 2)) {
    size_t name = at + 2;
    if (name >= text.size() || !IsNameStart(text[name])) return false;
    while (name < text.size() && IsNameCharacter(text[name])) ++name;
    if (name >= text.size() || !(IsSpace(text[name]) || text.compare(name, 2, "?>") == 0)) return false;
    if (end < name) end = text.find("?>", name);
    if (end == std::string::npos) return false;
  }
  if (text.compare(0, 5, "<?xml") != 0 || text.size() < 6 || !IsSpace(text[5])) return true;
  // version, then optionally encoding and standalone, each after white space, then "?>".
  size_t at = 5;
  const char* const kNames[] = {"version", "encoding", "standalone"};
  const char* const kAllowed[] = {"._:-", "._-", ""};
  for (int i = 0; i < 3; ++i) {
    size_t before = at;
    while (at < text.size() && IsSpace(text[at])) ++at;
    if (at > before && ReadAttribute(text, &at, kNames[i], kAllowed[i])) continue;
    if (i == 0) return false;
    at = before;
  }
  while (at < text.size() && IsSpace(text[at])) ++at;
  // Something must follow the declaration: a document that is nothing but one stops the reader.
  return text.compare(at, 2, "?>") == 0 && at + 2 < text.size();
}

}  // namespace UpdateUtilsNS
