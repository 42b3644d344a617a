// Reading and writing URLs: the parts of an http or https URL, the change tracker of a browser
// window's top-level URL, and the builder of URLs with escaped query parameters.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace WebUtilsNS {

// Scheme codes of a cracked URL.
enum UrlScheme { URL_SCHEME_NONE = 0, URL_SCHEME_HTTP = 1, URL_SCHEME_HTTPS = 2, URL_SCHEME_FTP = 3,
                 URL_SCHEME_FILE = 4 };

// The parts of an http or https URL (WinHttpCrackUrl). Without an explicit port the port is
// the scheme's own default (80 for http, 443 for https).
class CCrackedUrl {
 public:
  bool Crack(const char* url);
  bool Crack(const wchar_t* url);
  void Clear();

  int scheme = URL_SCHEME_NONE;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring path;
  std::wstring extra;  // "?query#fragment"
};

// Follows the top-level URL of a browser window and tells how it changed.
class CUrlChangeTracker {
 public:
  enum ChangeState {
    CHANGE_NOT_WEB = 0,        // not an http or https URL
    CHANGE_NONE = 1,           // same host and scheme
    CHANGE_TO_HTTPS = 2,       // same host, scheme changed to https
    CHANGE_TO_HTTP = 3,        // same host, scheme changed to http
    CHANGE_HOST = 4,           // another host (the first URL always is)
  };

  CUrlChangeTracker() {}
  void Update(const char* url);

  int GetState() const { return state_; }
  int GetScheme() const { return url_.scheme; }
  const std::wstring& GetHost() const { return url_.host; }
  const CCrackedUrl& GetUrl() const { return url_; }

 private:
  CCrackedUrl url_;
  std::wstring previous_host_;
  int previous_scheme_ = URL_SCHEME_NONE;
  int state_ = CHANGE_NONE;
  bool has_host_ = false;
};

// Builds a URL with escaped query parameters.
class CUrlBuilder {
 public:
  bool SetUrl(const char* url, bool raw);
  bool AddParameter(const char* name, const char* value, bool raw);
  bool AddParameter(UINT name_resource, const char* value, bool raw);

  const std::string& GetUrl() const { return url_; }
  bool HasQuery() const { return has_query_; }

  // Escapes unsafe characters of `text` as WinHttpCreateUrl does with ICU_ESCAPE.
  static bool Escape(std::string* text);

 private:
  std::string url_;
  bool has_query_ = false;
};

}  // namespace WebUtilsNS
