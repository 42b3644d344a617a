// The page-address reader on every input the fuzzer makes, read twice: as the zero-ended 8-bit
// text the add-on's 8-bit interfaces hand over, and as UTF-16 code units (little-endian byte
// pairs) as the browser hands them over, each in a buffer of its own. An address read with a
// host must be plain ASCII and read again from its own text to the same text; the narrowed
// forms must be ASCII.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "common/url/page_address.h"

namespace {

void Fail(const char* what) {
  fprintf(stderr, "page address: %s\n", what);
  abort();
}

bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

void CheckAddress(bool read, const UrlNS::PageAddress& address) {
  if (!read && address.HasHost()) Fail("a refused address keeps a host");
  if (!address.HasHost()) return;
  const std::string text = address.Text();
  if (!IsAscii(text)) Fail("the text of an address holds a byte outside ASCII");
  for (char c : address.host)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '[' ||
          c == ']' || c == ':'))
      Fail("the host holds a character a host never holds");
  if (address.path.empty() || address.path[0] != '/') Fail("the path of an address with a host is not rooted");
  UrlNS::PageAddress again;
  if (!UrlNS::ReadPageAddress(text.c_str(), &again) || again.Text() != text)
    Fail("the address reads differently the second time");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> narrow(data, data + size);
  narrow.push_back('\0');
  UrlNS::PageAddress address;
  CheckAddress(UrlNS::ReadPageAddress(narrow.data(), &address), address);

  std::vector<wchar_t> wide(size / 2);
  for (size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
  const wchar_t* units = wide.empty() ? nullptr : wide.data();
  CheckAddress(UrlNS::ReadPageAddress(units, wide.size(), &address), address);
  if (!IsAscii(UrlNS::NarrowPageAddress(units, wide.size()))) Fail("a narrowed address holds a byte outside ASCII");
  if (!IsAscii(UrlNS::EscapeNonAscii(units, wide.size()))) Fail("an escaped text holds a byte outside ASCII");
  std::string host;
  if (UrlNS::HostToAscii(std::wstring(wide.begin(), wide.end()), &host) && (host.empty() || !IsAscii(host)))
    Fail("a host in ASCII form is empty or not ASCII");
  return 0;
}
