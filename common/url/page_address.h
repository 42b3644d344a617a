// One reading of a page address for everything that decides about site seals: the host that
// is looked up, the host and path a seal's scope is checked against, and the host the browser
// connects to. The address is read as the browser reads it:
// - tabs and line ends anywhere and blanks at either end are dropped;
// - only http, https and ftp addresses have a host; it lies in the authority right after the
//   scheme (any run of slashes and backslashes in front of it); other schemes (about:,
//   javascript:, data:, ...) have none. A text without a scheme is a bare authority and path;
// - backslashes are slashes; user information before the last "@" is never the host;
// - the host is percent-decoded, lower-cased, its full stops of other scripts made plain dots,
//   one trailing dot dropped, a numeric IPv4 form written as four decimals, and a non-ASCII
//   label written in its ASCII-compatible form ("xn--", punycode). A host that cannot be read
//   so is refused (the address then has no host);
// - the path has percent-encoded dots, slashes and unreserved letters decoded, "." and ".."
//   segments resolved, and non-ASCII characters percent-encoded as UTF-8.
#pragma once

#include <windows.h>

#include <string>

namespace UrlNS {

struct PageAddress {
  std::string scheme;  // lower case; empty for a bare authority
  std::string host;    // ASCII, lower case; empty when the address has none
  std::string port;    // decimal digits as written, without leading zeros; empty when none
  std::string path;    // "/" at least when there is a host
  std::string rest;    // query and fragment, from "?" or "#", non-ASCII percent-encoded

  bool HasHost() const { return !host.empty(); }
  // The address in one ASCII text: scheme://host[:port]path rest (//host... for a bare
  // authority); empty without a host.
  std::string Text() const;
};

// Longest address read (characters, a character beyond ASCII counting once also in its 8-bit
// escaped form); a longer one has no host.
const size_t kMaxAddressLength = 2083;

// False (and an address without host) when the text is longer than kMaxAddressLength or its
// host cannot be read.
bool ReadPageAddress(const wchar_t* text, size_t length, PageAddress* out);
bool ReadPageAddress(const std::wstring& text, PageAddress* out);
// An 8-bit text is read as UTF-8 when it is valid UTF-8, else in the ANSI code page.
bool ReadPageAddress(const char* text, PageAddress* out);

// The host in ASCII-compatible form, as the browsers convert international names (IDNA 2003):
// a label beyond ASCII goes through the mapping step (case folding, compatibility forms, the
// characters mapped to nothing; the sharp s becomes "ss", the final sigma the plain one) and,
// when it still holds characters beyond ASCII, becomes "xn--" and its punycode. ASCII labels
// are lower-cased. False when a label is empty or too long, holds a character a host may not
// hold (before or after mapping), breaks the rule for right-to-left labels, or cannot be mapped.
bool HostToAscii(const std::wstring& host, std::string* out);

// The mapping step for one label: where the system has one, the platform's
// (IdnToNameprepUnicode, unassigned characters refused) when OwnNameprepLabel gives the same;
// else OwnNameprepLabel. False when the label cannot be mapped or the two differ.
bool NameprepLabel(const std::wstring& label, std::wstring* out);
// The project's own mapping step: the characters mapped to nothing, the special case mappings,
// lower case, then the platform's compatibility normalisation where it has one.
bool OwnNameprepLabel(const std::wstring& label, std::wstring* out);

// A UTF-16 page address as 8-bit text for the 8-bit interfaces of the add-on, never through
// a best-fit mapping: an address with a host becomes its ASCII text (as Text()); any other
// address has its non-ASCII characters percent-encoded as UTF-8.
std::string NarrowPageAddress(const wchar_t* text, size_t length);
// Any UTF-16 text of a page (an image's address, a style value) as 8-bit text: ASCII stays,
// every other character is percent-encoded as UTF-8, so two texts never become one.
std::string EscapeNonAscii(const wchar_t* text, size_t length);

}  // namespace UrlNS
