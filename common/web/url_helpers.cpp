#include "common/web/url_helpers.h"

#include <algorithm>

#include "common/web/web_text.h"

namespace WebUtilsNS {

// ---- CCrackedUrl ------------------------------------------------------------------------

void CCrackedUrl::Clear() {
  scheme = URL_SCHEME_NONE;
  host.clear();
  port = 0;
  path.clear();
  extra.clear();
}

bool CCrackedUrl::Crack(const char* url) {
  if (!url) {
    Clear();
    return false;
  }
  return Crack(Widen(url).c_str());
}

bool CCrackedUrl::Crack(const wchar_t* url) {
  // Read here as WinHttpCrackUrl reads it (without decoding): the browser's thread reads every
  // page's address, and WinHTTP would be loaded on it, behind the loader's lock, for the first.
  Clear();
  if (!url) return false;
  const std::wstring text(url);
  const size_t colon = text.find(L':');
  int kind = URL_SCHEME_NONE;
  if (colon == 4 && _wcsnicmp(url, L"http", 4) == 0) kind = URL_SCHEME_HTTP;
  else if (colon == 5 && _wcsnicmp(url, L"https", 5) == 0) kind = URL_SCHEME_HTTPS;
  if (kind == URL_SCHEME_NONE || text.compare(colon + 1, 2, L"//") != 0) return false;
  size_t at = colon + 3;
  // The authority ends with the path, the query or the fragment.
  const size_t authority_end = std::min(text.find_first_of(L"/?#", at), text.size());
  // A user name (and password) before an '@' is no part of the host.
  const size_t user_end = text.rfind(L'@', authority_end == 0 ? 0 : authority_end - 1);
  if (user_end != std::wstring::npos && user_end >= at && user_end < authority_end) at = user_end + 1;
  // An IPv6 address is bracketed: its colons are no port's.
  size_t port_mark = text.find(L':', text[at] == L'[' ? std::min(text.find(L']', at), authority_end) : at);
  if (port_mark >= authority_end) port_mark = std::wstring::npos;
  const size_t host_end = port_mark == std::wstring::npos ? authority_end : port_mark;
  if (host_end == at) return false;
  INTERNET_PORT number = kind == URL_SCHEME_HTTPS ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  if (port_mark != std::wstring::npos && port_mark + 1 < authority_end) {
    DWORD value = 0;
    for (size_t i = port_mark + 1; i < authority_end; ++i) {
      if (text[i] < L'0' || text[i] > L'9') return false;
      value = value * 10 + (text[i] - L'0');
      if (value > 65535) return false;
    }
    number = static_cast<INTERNET_PORT>(value);
  }
  scheme = kind;
  host = text.substr(at, host_end - at);
  port = number;
  if (authority_end < text.size()) {
    const size_t extra_at = std::min(text.find_first_of(L"?#", authority_end), text.size());
    path = text.substr(authority_end, extra_at - authority_end);
    extra = text.substr(extra_at);
  }
  return true;
}

// ---- CUrlChangeTracker --------------------------------------------------------------------

void CUrlChangeTracker::Update(const char* url) {
  if (!url_.Crack(url)) {
    url_.Clear();
    state_ = CHANGE_NOT_WEB;
    return;
  }
  if (!has_host_ || url_.host != previous_host_) {
    previous_host_ = url_.host;
    previous_scheme_ = url_.scheme;
    has_host_ = true;
    state_ = CHANGE_HOST;
  } else if (url_.scheme == previous_scheme_) {
    state_ = CHANGE_NONE;
  } else {
    previous_scheme_ = url_.scheme;
    state_ = url_.scheme == URL_SCHEME_HTTP ? CHANGE_TO_HTTP : CHANGE_TO_HTTPS;
  }
}

// ---- CUrlBuilder --------------------------------------------------------------------------

namespace {

void Trim(std::string* text) {
  const char* space = " \t\r\n\v\f";
  size_t first = text->find_first_not_of(space);
  if (first == std::string::npos) {
    text->clear();
    return;
  }
  size_t last = text->find_last_not_of(space);
  *text = text->substr(first, last - first + 1);
}

}  // namespace

bool CUrlBuilder::Escape(std::string* text) {
  // Letters, digits and these marks are never escaped: such a text stays as it is, without
  // the conversions and the two WinHttpCreateUrl calls (host names and plain values are).
  if (!text->empty() && std::all_of(text->begin(), text->end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
               c == '_' || c == '/' || c == ':' || c == '=' || c == '&' || c == '?';
      }))
    return true;
  std::wstring wide = Widen(text->c_str());
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.nScheme = INTERNET_SCHEME_HTTP;
  parts.lpszUrlPath = const_cast<wchar_t*>(wide.c_str());
  parts.dwUrlPathLength = static_cast<DWORD>(wide.size());
  DWORD length = 0;
  WinHttpCreateUrl(&parts, ICU_ESCAPE, nullptr, &length);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length == 0) return false;
  std::wstring built(length + 1, L'\0');
  if (!WinHttpCreateUrl(&parts, ICU_ESCAPE, &built[0], &length)) return false;
  built.resize(length);
  // WinHTTP puts the scheme prefix "http://" in front of the path.
  if (built.size() < 7) return false;
  *text = Narrow(built.c_str() + 7, built.size() - 7);
  return true;
}

bool CUrlBuilder::SetUrl(const char* url, bool raw) {
  if (!url) return false;
  std::string text = url;
  Trim(&text);
  if (text.empty()) return false;
  if (!raw && !Escape(&text)) {
    url_.clear();
    has_query_ = false;
    return false;
  }
  url_ = text;
  has_query_ = url_.size() > 1 && url_.find_first_of("?#", 1) != std::string::npos;
  return true;
}

bool CUrlBuilder::AddParameter(const char* name, const char* value, bool raw) {
  if (url_.empty() || !name || !value) return false;
  std::string n = name, v = value;
  Trim(&n);
  Trim(&v);
  if (n.empty() || v.empty()) return false;
  if (n.find_first_of("=?#") != std::string::npos || v.find_first_of("=?#") != std::string::npos) return false;
  std::string pair = n + "=" + v;
  if (!raw && !Escape(&pair)) return false;
  url_ += has_query_ ? "&" : "?";
  url_ += pair;
  has_query_ = true;
  return true;
}

bool CUrlBuilder::AddParameter(UINT name_resource, const char* value, bool raw) {
  std::string name = LoadResourceString(name_resource);
  return AddParameter(name.empty() ? nullptr : name.c_str(), value, raw);
}

}  // namespace WebUtilsNS
