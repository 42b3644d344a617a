#include "ie/core/site_seal_lookup.h"

#include <limits.h>
#include <string.h>

#include <algorithm>

#include "common/url/page_address.h"
#include "ie/core/connection_state.h"
#include "platform/win/scoped_handle.h"

const char kDefaultLookupHost[] = "ostrada.torvangroup.com";
const char kLookupHostValue[] = "LookupHost";

namespace {

const char kUserAgent[] = "Dravix Request 1.0";
const char kLookupPath[] = "/nlr_searcher/binary/certificate.asp";
const char kConfigKeyPath[] = "Software\\TorvanGroup\\Kestrin";
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

std::string GetLookupServiceHost() {
  KestrinWinNS::CScopedRegKey key;
  std::string host = kDefaultLookupHost;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kConfigKeyPath, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
    return host;
  char value[256];
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), kLookupHostValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ) {
    value[size] = '\0';
    if (value[0]) host = value;
  }
  return host;
}

CSiteSealLookup::CSiteSealLookup(ISiteSealList* list, WebUtilsNS::IRequestWaiter* waiter)
    : list_(list),
      waiter_(waiter),
      request_(new WebUtilsNS::CServerRequest(kUserAgent)),
      service_host_(GetLookupServiceHost()) {}

void CSiteSealLookup::PrepareLookup() { PrepareConnectedState(); }

CSiteSealLookup::~CSiteSealLookup() = default;

void CSiteSealLookup::SetBrowser(IWebBrowser2* browser) { browser_ = browser; }

bool CSiteSealLookup::GetConnectedState(DWORD* flags) { return QueryConnectedState(flags); }

bool CSiteSealLookup::GoOnline(const char* url) { return AskToGoOnline(url); }

bool CSiteSealLookup::LookupSiteSeals(const char* url) {
  if (!url || !*url) return false;
  // The host as the browser reads the address; one without a host (about:, javascript:, a
  // host that cannot be read) keeps no seal of the previous host.
  UrlNS::PageAddress address;
  UrlNS::ReadPageAddress(url, &address);
  const std::string& host = address.host;
  if (host.empty()) {
    new_host_ = !current_host_.empty();
    current_host_.clear();
    pending_url_.clear();
    if (list_ && new_host_) list_->Clear();
    return false;
  }

  if (host == current_host_) {
    new_host_ = false;
    if (list_) {
      list_->ResetImages();
      list_->SetPageAddress(address.Text().c_str());
    }
    return false;
  }
  new_host_ = true;
  current_host_ = host;
  pending_url_.clear();  // a reply still on its way belongs to the previous host
  if (list_) {
    list_->Clear();
    list_->SetHost(host.c_str());
    list_->SetPageAddress(address.Text().c_str());
  }

  WebUtilsNS::CUrlBuilder builder;
  int parameters = 0;
  if (builder.SetUrl(("http://" + service_host_ + kLookupPath).c_str(), false)) {
    parameters += builder.AddParameter("v_querytype", "NLR", false);
    parameters += builder.AddParameter("v_search", host.c_str(), false);
    parameters += builder.AddParameter("v_serial", "0", false);
  }
  const std::string& request_url = builder.GetUrl();
  if (request_url.empty()) return false;

  DWORD flags = 0;
  if (!GetConnectedState(&flags)) return false;
  if (flags & kConnectionOffline) {
    if (parameters != 3 || !GoOnline(request_url.c_str())) return false;
    // The system is online again: so must the browser be, and the page is loaded again.
    if (browser_) {
      browser_->put_Offline(VARIANT_FALSE);
      browser_->Refresh();
    }
  }

  // Handed to the request object's thread: nothing of WinHTTP runs on the browser's thread.
  if (!waiter_ || !request_->QueueRequest(request_url.c_str(), waiter_, kRequestId, 0)) return false;
  pending_url_ = request_url;
  return true;
}

void CSiteSealLookup::OnLookupReply(const char* url, const BYTE* body, DWORD length) {
  // Only the reply to the request made for the current host counts: a late reply for an
  // earlier host must not fill this host's list.
  if (pending_url_.empty() || !url || pending_url_ != url) return;
  pending_url_.clear();
  if (!body && length != 0) return;

  std::vector<SiteSealRecord> records;
  if (!ParseLookupReply(body, length, &records)) return;
  if (!list_) return;
  for (const SiteSealRecord& r : records) list_->AddCertificate(body + r.offset, static_cast<DWORD>(r.size));
  list_->SetCertificatesDownloaded();
  if (list_->AreImagesCollected()) list_->VerifyImages();
}
