#include "common/siteseal/site_seal_lookup.h"

#include "common/siteseal/connection_state.h"
#include "common/url/page_address.h"
#include "platform/win/scoped_handle.h"

const char kDefaultLookupHost[] = "ostrada.torvangroup.com";
const char kLookupHostValue[] = "LookupHost";

namespace {

const char kUserAgent[] = "Dravix Request 1.0";
const char kLookupPath[] = "/nlr_searcher/binary/certificate.asp";
const char kConfigKeyPath[] = "Software\\TorvanGroup\\Kestrin";

}  // namespace

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
    if (back_online_) back_online_();
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
