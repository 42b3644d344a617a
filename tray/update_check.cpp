#include "tray/update_check.h"

#include <cstdio>
#include <cwchar>
#include <vector>

#include "common/url/page_address.h"
#include "platform/appframe/string.h"

namespace WarningWindowNS {

const char kUpdateWarningText[] =
    "Kestrin is unable to check for updates.\nPlease check your network connection and firewall settings.";

CUpdateWarningWindow::CUpdateWarningWindow() : CWarningWindowBase(0xFFEFE7, kUpdateWarningText) {
  animation_ms_ = 2000;
  display_ms_ = 5000;
  width_ = 200;
  height_ = 170;
}

}  // namespace WarningWindowNS

namespace UpdateUtilsNS {

const char kUpdateUserAgent[] = "Dravix Request 1.0";
const wchar_t kUpdateInfoPath[] = L"/update/krupdate.inf";
const wchar_t kBuiltInVersion[] = L"2.7.0.14";

namespace {

const wchar_t kOpenTag[] = L"<DRAVIX:VERSIONINFO>";
const wchar_t kCloseTag[] = L"</DRAVIX:VERSIONINFO>";

bool StartsWith(const std::wstring& text, size_t at, const wchar_t* prefix) {
  size_t n = wcslen(prefix);
  return at <= text.size() && text.compare(at, n, prefix) == 0 && text.size() - at >= n;
}

// The lengths of the line ends that may start at `at` (CR; CR LF; LF).
std::vector<size_t> LineEndsAt(const std::wstring& text, size_t at) {
  std::vector<size_t> lengths;
  if (at < text.size() && text[at] == L'\r') {
    lengths.push_back(1);
    if (at + 1 < text.size() && text[at + 1] == L'\n') lengths.push_back(2);
  } else if (at < text.size() && text[at] == L'\n') {
    lengths.push_back(1);
  }
  return lengths;
}

// The lengths of the line ends that may end just before `at`.
std::vector<size_t> LineEndsBefore(const std::wstring& text, size_t at) {
  std::vector<size_t> lengths;
  if (at >= 1 && text[at - 1] == L'\r') lengths.push_back(1);
  if (at >= 1 && text[at - 1] == L'\n') {
    if (at >= 2 && text[at - 2] == L'\r') lengths.push_back(2);
    lengths.push_back(1);
  }
  return lengths;
}

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool InSet(wchar_t c, wchar_t lower, wchar_t upper) { return c == lower || c == L'|' || c == upper; }

bool EndsInExe(const std::wstring& text, size_t end) {
  return end >= 4 && text[end - 4] == L'.' && InSet(text[end - 3], L'e', L'E') && InSet(text[end - 2], L'x', L'X') &&
         InSet(text[end - 1], L'e', L'E');
}

std::vector<size_t> FindAll(const std::wstring& text, const wchar_t* what) {
  std::vector<size_t> at;
  for (size_t p = text.find(what); p != std::wstring::npos; p = text.find(what, p + 1)) at.push_back(p);
  return at;
}

// The end of the longest installer address any close tag allows: the latest close tag that
// a line end and ".exe" come before. A close tag further on allows none, and an earlier one
// only a shorter address, so this end alone decides for every block.
size_t LongestAddressEnd(const std::wstring& text, const std::vector<size_t>& closes) {
  for (auto close = closes.rbegin(); close != closes.rend(); ++close) {
    for (size_t third_end : LineEndsBefore(text, *close)) {
      if (*close < third_end) continue;
      size_t url_end = *close - third_end;
      if (EndsInExe(text, url_end)) return url_end;
    }
  }
  return std::wstring::npos;
}

// The block that starts with the open tag at `open`, its address ending at `url_end`.
bool MatchBlock(const std::wstring& text, size_t open, size_t url_end, CUpdateInfo* info) {
  size_t after_tag = open + wcslen(kOpenTag);
  for (size_t first_end : LineEndsAt(text, after_tag)) {
    size_t lv = after_tag + first_end;
    if (!StartsWith(text, lv, L"LV=")) continue;
    size_t version_start = lv + 3, version_end = version_start;
    while (version_end < text.size() && (IsAsciiDigit(text[version_end]) || text[version_end] == L'.')) ++version_end;
    if (version_end == version_start) continue;
    for (size_t second_end : LineEndsAt(text, version_end)) {
      size_t url_line = version_end + second_end;
      if (!StartsWith(text, url_line, L"URL=")) continue;
      size_t url_start = url_line + 4;
      // At least one character before ".exe".
      if (url_end == std::wstring::npos || url_end < url_start + 5) continue;
      info->version = text.substr(version_start, version_end - version_start);
      info->installer_url = text.substr(url_start, url_end - url_start);
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseUpdateInfo(const std::wstring& text, CUpdateInfo* info) {
  // Each open tag's version digits lie between it and the next tag, so every block together
  // reads the text once more at most.
  std::vector<size_t> opens = FindAll(text, kOpenTag);
  size_t url_end = LongestAddressEnd(text, FindAll(text, kCloseTag));
  if (url_end == std::wstring::npos) return false;
  for (auto open = opens.rbegin(); open != opens.rend(); ++open)
    if (MatchBlock(text, *open, url_end, info)) return true;
  return false;
}

bool IsAcceptableInstallerUrl(const std::wstring& url, const std::string& update_host, std::wstring* offered) {
  offered->clear();
  if (update_host.empty() || url.size() > kMaxInstallerUrl || url.size() < 9 ||
      _wcsnicmp(url.c_str(), L"https://", 8) != 0)
    return false;
  for (wchar_t c : url)
    if (c <= L' ' || c == 0x7F) return false;
  UrlNS::PageAddress address;
  if (!UrlNS::ReadPageAddress(url, &address) || address.scheme != "https" || address.host != update_host)
    return false;
  std::string text = address.Text();  // ASCII
  offered->assign(text.begin(), text.end());
  return true;
}

std::string UpdateHostOf(const std::wstring& server) {
  UrlNS::PageAddress address;
  if (!UrlNS::ReadPageAddress(server, &address) || (address.scheme != "http" && address.scheme != "https"))
    return std::string();
  return address.host;
}

namespace {

// A field longer than nine digits could pass what "%d" can hold.
bool HasLongField(const wchar_t* text) {
  int digits = 0;
  for (; *text; ++text) {
    digits = IsAsciiDigit(*text) ? digits + 1 : 0;
    if (digits > 9) return true;
  }
  return false;
}

}  // namespace

int CompareVersions(const wchar_t* first, const wchar_t* second) {
  if (!first || !second || HasLongField(first) || HasLongField(second)) return 0;
  int a[4], b[4];
  if (swscanf(first, L"%d.%d.%d.%d", &a[0], &a[1], &a[2], &a[3]) != 4) return 0;
  if (swscanf(second, L"%d.%d.%d.%d", &b[0], &b[1], &b[2], &b[3]) != 4) return 0;
  for (int i = 0; i < 4; ++i) {
    if (a[i] > b[i]) return 2;
    if (a[i] < b[i]) return 3;
  }
  return 1;
}

CUpdateBase::CUpdateBase() : m_settings(SettingsUtilsNS::kLoadGroupAll), m_request(kUpdateUserAgent) {}

CUpdateBase::~CUpdateBase() { m_warning.Destroy(); }

void CUpdateBase::OnRequestComplete(DWORD, const char*, const BYTE* body, DWORD length) {
  ++answers_;
  // The request's limit bounds the body; a longer one is no reply of the service's.
  if (!body || length == 0 || length > kMaxUpdateInfoSize) return;
  // The body is 8-bit text of the system's code page, not terminated: convert exactly
  // `length` bytes.
  int n = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(body), static_cast<int>(length), nullptr, 0);
  if (n <= 0) return;
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(body), static_cast<int>(length), &text[0], n);
  CUpdateInfo info;
  if (!ParseUpdateInfo(text, &info)) return;
  if (!IsNewer(info.version.c_str())) return;
  // Only an installer on the update host, fetched over a protected connection, is offered.
  std::wstring offered;
  if (!IsAcceptableInstallerUrl(info.installer_url, UpdateHostOf(GetUpdateServer()), &offered)) return;
  PromptInstall(info.version.c_str(), offered.c_str());
}

void CUpdateBase::OnRequestFailed(DWORD, DWORD) {
  ++answers_;
  m_warning.Create(0);
  m_warning.Show();
}

CKRUpdate::CKRUpdate(ITrayServices* services) : services_(services) {}

bool CKRUpdate::CheckForUpdate() {
  __int64 now = services_->Now();
  // Stored as the low 32 bits and read back unsigned.
  __int64 next = m_settings.GetNextUpDate(true) & 0xFFFFFFFFll;
  if (next > now) return false;
  CString header(L"DRAVIX_VERSION: ");
  header += GetCurrentVersion();
  CString url(services_->UpdateServer().c_str());
  url += kUpdateInfoPath;
  WebUtilsNS::CCrackedUrl cracked;
  if (!cracked.Crack(url.GetString()) ||
      (cracked.scheme != WebUtilsNS::URL_SCHEME_HTTP && cracked.scheme != WebUtilsNS::URL_SCHEME_HTTPS))
    return false;
  m_request.SetHeaders(header, true);
  // The address is the program's own (ASCII); the reply is read no further than the block
  // and the text around it can reach.
  m_request.SendLimitedRequest(url.ToAnsi().c_str(), this, 0, 0, kMaxUpdateInfoSize);
  m_settings.SetNextUpDate(now + kCheckInterval, true);
  return true;
}

void CKRUpdate::PromptInstall(const wchar_t*, const wchar_t* url) {
  if (services_->AskYesNo(L"A newer version of Kestrin is available, do you want to install it now?", L"Kestrin") ==
      IDYES)
    services_->OpenUrl(url);
}

}  // namespace UpdateUtilsNS
