#include "common/siteseal/nlr_list.h"

#include <oleauto.h>
#include <shlwapi.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <mutex>


#include "common/log/log_helper.h"
#include "common/nlrcert/nlr_certificate.h"
#include "common/siteseal/sha_digest.h"
#include "common/url/page_address.h"
#include "common/web/host_resolver.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_values.h"
#include "platform/win/module.h"

namespace {

const char kUserAgent[] = "Dravix Request 1.0";
const int kLogLevel = 3;

// The kit's counted pointer, spelt as the document walk below reads it: out() for
// out-parameters, a query that answers yes or no.
template <class T>
class CRef : public KestrinComNS::CComPtr<T> {
 public:
  T** out() { return &static_cast<KestrinComNS::CComPtr<T>&>(*this); }
  // The holder's own address, for helpers that fill one in.
  CRef* operator&() { return this; }
  void Reset() { this->Release(); }
  template <class U>
  bool QueryFrom(U* from) {
    return SUCCEEDED(KestrinComNS::CComPtr<T>::QueryFrom(from)) && this->get();
  }
};

// One owned BSTR (the kit's owner), made from and read as 8-bit text.
class CBstr : public KestrinComNS::CBstr {
 public:
  CBstr() {}
  explicit CBstr(const std::string& text) {
    int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (chars > 0) {
      Reset(SysAllocStringLen(nullptr, chars - 1));
      if (Get()) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, Get(), chars);
    }
  }
  explicit CBstr(const std::wstring& text) { Reset(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))); }
  BSTR* out() { return Receive(); }
  BSTR get() const { return Get(); }
  // The text up to a zero it may hold; characters outside ASCII percent-encoded, never
  // mapped to look-alike letters of the code page.
  std::string Text() const { return Get() ? UrlNS::EscapeNonAscii(Get(), SysStringLen(Get())) : std::string(); }
};

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, strlen(prefix), prefix) == 0;
}

// Calls a BSTR getter and gives its text (empty when it fails).
template <class T, class F>
std::string GetText(T* object, F getter) {
  CBstr value;
  if (!object || FAILED((object->*getter)(value.out()))) return std::string();
  return value.Text();
}

std::string InlineBackground(IHTMLElement* element) {
  CRef<IHTMLStyle> style;
  if (FAILED(element->get_style(style.out())) || !style) return std::string();
  return GetText(style.get(), &IHTMLStyle::get_backgroundImage);
}

// The computed background, or empty when there is none ("none").
std::string ComputedBackground(IHTMLElement* element) {
  CRef<IHTMLElement2> element2;
  if (!element2.QueryFrom(element)) return std::string();
  CRef<IHTMLCurrentStyle> style;
  if (FAILED(element2->get_currentStyle(style.out())) || !style) return std::string();
  std::string value = GetText(style.get(), &IHTMLCurrentStyle::get_backgroundImage);
  return value == "none" ? std::string() : value;
}

// The background attribute of a BODY, TABLE or table cell; false for other elements.
bool BackgroundAttribute(IHTMLElement* element, std::string* value) {
  CRef<IHTMLBodyElement> body;
  CRef<IHTMLTable> table;
  CRef<IHTMLTableCell> cell;
  if (body.QueryFrom(element)) {
    *value = GetText(body.get(), &IHTMLBodyElement::get_background);
  } else if (table.QueryFrom(element)) {
    *value = GetText(table.get(), &IHTMLTable::get_background);
  } else if (cell.QueryFrom(element)) {
    *value = GetText(cell.get(), &IHTMLTableCell::get_background);
  } else {
    return false;
  }
  return true;
}

bool Parent(IHTMLElement* element, CRef<IHTMLElement>* parent) {
  return element && SUCCEEDED(element->get_parentElement(parent->out())) && *parent;
}

}  // namespace

// ---- CBrowserImage ------------------------------------------------------------------------

CBrowserImage::CBrowserImage(const std::string& url, int reported_size, IHTMLImgElement* img,
                             IHTMLElement* element, WebUtilsNS::IRequestWaiter* owner)
    : url_(url),
      reported_size_(reported_size),
      img_(img),
      element_(element),
      owner_(owner),
      logger_(LogHelperNS::CLogHelper::GetInstance()) {
}

CBrowserImage::CBrowserImage(const std::string& url, int reported_size, IUnknown* node,
                             WebUtilsNS::IRequestWaiter* owner)
    : CBrowserImage(url, reported_size, nullptr, nullptr, owner) {
  node_ = node;
}

CBrowserImage::~CBrowserImage() = default;

bool CBrowserImage::StartDownload(WebUtilsNS::CServerRequest* request) {
  if (!owner_ || url_.empty() || !request) return false;
  WebUtilsNS::CUrlBuilder builder;
  if (!builder.SetUrl(url_.c_str(), false)) return false;
  // The request object's thread opens and sends it: this thread only hands it over.
  return request->QueueRequest(builder.GetUrl().c_str(), this, kImageRequestId, 0);
}

void CBrowserImage::OnRequestComplete(DWORD request_id, const char* url, const BYTE* body,
                                      DWORD length) {
  if (body && length) bytes_.assign(body, body + length);
  else bytes_.clear();
  done_ = true;
  if (owner_) owner_->OnRequestComplete(kImageRequestId, nullptr, nullptr, 0);
}

void CBrowserImage::OnRequestFailed(DWORD request_id, DWORD error) {
  hash_.clear();
  done_ = true;
  if (logger_) logger_->Log("Received message Download Failed in BrowserImage", kLogLevel, true);
  if (owner_) owner_->OnRequestComplete(kImageRequestId, nullptr, nullptr, 0);
}

// ---- CNLRList -----------------------------------------------------------------------------

namespace {

// What a certificate says whatever the page and the host: read once per process, off the
// browser's thread, and shared by every list (it depends on the certificate's bytes alone).
struct CertFacts {
  bool loads = false;
  bool names_addresses = false;
  DWORD fixed_bits = 0;     // version and required names (the page-free part, no address)
  bool image_hash = false;  // its logo is an image hash (file type 5)
  CryptoNS::CNlrCertificate::UrlScope scope;
  NLR entry;  // what a kept certificate's entry holds (its record set when kept)
};

// More certificates than any set of seal hosts a browser meets: past it, all are forgotten.
const size_t kMaxCertFacts = 512;

struct CertFactsCache {
  std::mutex lock;
  std::map<std::vector<BYTE>, std::shared_ptr<const CertFacts>> facts;
};

CertFactsCache& ProcessCertFacts() {
  static CertFactsCache cache;
  return cache;
}

// The facts when they were read already; never reads (for the browser's thread).
std::shared_ptr<const CertFacts> FindCertFacts(const std::vector<BYTE>& der) {
  CertFactsCache& cache = ProcessCertFacts();
  std::lock_guard<std::mutex> hold(cache.lock);
  auto found = cache.facts.find(der);
  return found == cache.facts.end() ? nullptr : found->second;
}

// The facts, read here when they are not known yet.
std::shared_ptr<const CertFacts> CertFactsOf(const std::vector<BYTE>& der) {
  if (std::shared_ptr<const CertFacts> known = FindCertFacts(der)) return known;
  std::shared_ptr<CertFacts> facts = std::make_shared<CertFacts>();
  CryptoNS::CNlrCertificate cert;
  facts->loads = cert.Load(der.data(), static_cast<DWORD>(der.size()));
  if (facts->loads) {
    facts->names_addresses = cert.NamesAddresses();
    // No page, no address and no root check: the bits of the version and the required names.
    facts->fixed_bits = cert.VerifyWithChain("", nullptr, true, 0);
    facts->scope = cert.GetUrlScope();
    int type = -1;
    facts->image_hash = cert.GetLogoFileType(&type) && type == CNLRData::kTypeImageHash;
    if (facts->image_hash) {
      NLR& entry = facts->entry;
      entry.der = der;
      cert.GetLogoSize(&entry.logo_size);
      ALG_ID algorithm = 0;
      if (cert.GetLogoHashAlgorithm(&algorithm) && algorithm == CALG_SHA1) cert.GetField("LogoGraphic", &entry.logo_hash);
      int option = -1;
      if (cert.GetTrailingOption(&option)) entry.trailing_option = option;
      cert.GetLogoName(&entry.display_name);
      int width = 0, height = 0;
      if (cert.GetLogoDimensions(&width, &height)) {
        entry.logo_width = width;
        entry.logo_height = height;
      }
    }
  }
  CertFactsCache& cache = ProcessCertFacts();
  std::lock_guard<std::mutex> hold(cache.lock);
  if (cache.facts.size() >= kMaxCertFacts) cache.facts.clear();
  auto inserted = cache.facts.emplace(der, facts);
  return inserted.first->second;
}

// The bits the host's address (network order) gives a certificate that names addresses, beyond
// its `fixed_bits` (CertFacts): kNlrOutOfScope when it is not one of them.
DWORD AddressBitsOf(const std::vector<BYTE>& der, DWORD address, DWORD fixed_bits) {
  CryptoNS::CNlrCertificate cert;
  if (!cert.Load(der.data(), static_cast<DWORD>(der.size()))) return 0;
  return cert.VerifyWithChain("", &address, true, 0) & ~fixed_bits;
}

}  // namespace

// One record's facts in this list: the certificate's own, and what the host's address gives it.
struct CNLRList::RecordFacts {
  std::shared_ptr<const CertFacts> cert;
  bool has_address_bits = false;  // address_bits was judged with the host's address known
  DWORD address_bits = 0;
};

CNLRList::CNLRList()
    : verdicts_(&CryptoNS::CChainVerdicts::Process()), logger_(LogHelperNS::CLogHelper::GetInstance()) {}

// Downloads still under way end unheard with the request object, and so do the answers of
// look-ups and verdicts still on their way.
CNLRList::~CNLRList() {
  request_.reset();
  images_.clear();
}

int CNLRList::SetRequestWaiter(WebUtilsNS::IRequestWaiter* waiter) {
  waiter_ = waiter;
  return waiter ? 1 : 0;
}

WebUtilsNS::CServerRequest* CNLRList::Request() {
  if (!request_) request_.reset(new WebUtilsNS::CServerRequest(kUserAgent));
  return request_.get();
}

const WebUtilsNS::CServerRequest::ThreadPoster& CNLRList::Poster() {
  if (!poster_) poster_ = Request()->GetThreadPoster();
  return poster_;
}

void CNLRList::Clear() {
  certificates_.clear();
  // Downloads still under way belong to the images that go; the request object stays for the
  // next page's images (its window costs Wine a large part of a millisecond to make).
  if (request_) request_->DropRequests();
  images_.clear();
  records_.clear();
  facts_.clear();
  waiting_.clear();
  host_.clear();
  page_address_.clear();
  host_address_ = 0;
  has_host_address_ = false;
  host_address_known_ = false;
  finished_downloads_ = 0;
  images_collected_ = certificates_downloaded_ = image_list_complete_ = downloads_started_ = false;
}

void CNLRList::SetHost(const char* host) {
  host_ = host ? host : "";
  host_address_ = 0;
  has_host_address_ = false;
  host_address_known_ = false;
  host_address_asked_ = false;
  for (auto& facts : facts_) facts.has_address_bits = false;  // judged with another host's address
  ++host_round_;
}

void CNLRList::AskHostAddress() {
  if (host_address_asked_ || host_address_known_ || host_.empty()) return;
  host_address_asked_ = true;
  const DWORD round = host_round_;
  // Name resolution may wait on the network for seconds: it runs off this thread, each host on
  // a thread of its own, and the answer comes back to this thread as a message. Only a
  // certificate that names addresses waits for it, and only a host with one is looked up.
  const WebUtilsNS::CServerRequest::ThreadPoster& poster = Poster();
  CNLRList* self = this;
  if (poster && WebUtilsNS::ResolveHost(host_, [poster, round, self](bool found, DWORD address) {
        poster([self, round, found, address] {
          if (self->host_round_ != round) return;  // the list moved on to another host since
          self->host_address_known_ = true;
          self->has_host_address_ = found;
          self->host_address_ = address;
          self->ResumeWaiting();
        });
      }))
    return;
  // No answer will come: certificates are judged without the address, as when it is not found.
  host_address_known_ = true;
}

void CNLRList::SetPageAddress(const char* url) {
  std::string address = url ? url : "";
  if (address == page_address_) return;
  page_address_ = address;
  // The certificates are held against the new page; a matched image belongs to the old one.
  for (auto& image : images_) image->verified_ = false;
  KeepRecords();
}

void CNLRList::KeepRecords() {
  certificates_.clear();
  waiting_.clear();
  // A host without seals asks nothing of the stores.
  if (!records_.empty()) verdicts_->CheckStores();
  for (size_t i = 0; i < records_.size(); ++i) {
    bool needs_verdict = false;
    if (KeepCertificate(i, &needs_verdict) == kWaits) Wait(i, needs_verdict);
  }
}

int CNLRList::AddCertificate(const BYTE* der, DWORD length) {
  if (!der || length == 0 || host_.empty()) return 0;
  records_.emplace_back(der, der + length);
  // The certificates of one reply come together: the stores are checked with the first.
  if (records_.size() == 1) verdicts_->CheckStores();
  bool needs_verdict = false;
  KeepResult result = KeepCertificate(records_.size() - 1, &needs_verdict);
  if (result == kWaits) Wait(records_.size() - 1, needs_verdict);
  return result == kKept ? 1 : 0;
}

void CNLRList::Wait(size_t record, bool needs_verdict) {
  waiting_.push_back(Waiting{record, false});
  if (needs_verdict) AskVerdict(record);
}

void CNLRList::AskVerdict(size_t record) {
  for (auto& waiting : waiting_)
    if (waiting.record == record) waiting.asked = true;
  const std::vector<BYTE>& der = records_[record];
  // The host's address as it stands: the answer says which one it judged.
  const AddressState address = {host_round_, host_address_known_ && has_host_address_, host_address_};
  const WebUtilsNS::CServerRequest::ThreadPoster& poster = Poster();
  CryptoNS::CChainVerdicts* verdicts = verdicts_;
  CNLRList* self = this;
  // Reading the certificate, its root check and its address are all done in the background.
  // A moment later: the browser's thread hands work over in bursts (a navigation's events),
  // and the worker's start would contend with the rest of the burst.
  const DWORD kHandOverMs = 2;
  KestrinWinNS::RunInBackgroundThenPost<DWORD>(
      poster,
      [verdicts, der, address]() -> DWORD {
        std::shared_ptr<const CertFacts> facts = CertFactsOf(der);
        verdicts->Get(der.data(), static_cast<DWORD>(der.size()));
        if (!facts->loads || !facts->names_addresses || !address.found) return 0;
        return AddressBitsOf(der, address.address, facts->fixed_bits);
      },
      [self, der, address](DWORD address_bits) { self->OnVerdict(der, address, address_bits); }, kHandOverMs);
}

void CNLRList::OnVerdict(const std::vector<BYTE>& der, const AddressState& address, DWORD address_bits) {
  // The address bits hold only for the address they were judged with.
  const bool same_address = address.round == host_round_ && host_address_known_ &&
                            address.found == has_host_address_ && (!address.found || address.address == host_address_);
  if (facts_.size() < records_.size()) facts_.resize(records_.size());
  for (size_t i = 0; i < records_.size(); ++i) {
    if (records_[i] != der || !same_address) continue;
    facts_[i].has_address_bits = true;
    facts_[i].address_bits = address_bits;
  }
  for (auto& waiting : waiting_)
    if (records_[waiting.record] == der) waiting.asked = false;
  ResumeWaiting();
}

void CNLRList::ResumeWaiting() {
  if (waiting_.empty()) return;
  std::vector<Waiting> waiting;
  waiting.swap(waiting_);
  verdicts_->CheckStores();
  for (const Waiting& w : waiting) {
    bool needs_verdict = false;
    if (KeepCertificate(w.record, &needs_verdict) != kWaits) continue;
    waiting_.push_back(w);
    // A verdict that went stale meanwhile (the stores changed), or an address that came since,
    // is asked for again.
    if (needs_verdict && !w.asked) AskVerdict(w.record);
  }
  if (waiting_.empty() && certificates_downloaded_ && images_collected_) VerifyImages();
}

CNLRList::KeepResult CNLRList::KeepCertificate(size_t record, bool* needs_verdict) {
  *needs_verdict = false;
  if (facts_.size() < records_.size()) facts_.resize(records_.size());
  RecordFacts& facts = facts_[record];
  const std::vector<BYTE>& der = records_[record];
  // The certificate's facts are read in the background the first time the process meets it.
  if (!facts.cert) facts.cert = FindCertFacts(der);
  if (!facts.cert) {
    *needs_verdict = true;
    return kWaits;
  }
  const CertFacts& cert = *facts.cert;
  if (!cert.loads) return kRefused;
  if (cert.names_addresses) AskHostAddress();
  DWORD chain_bits = 0;
  // Each caller checked the stores for its run of certificates.
  *needs_verdict = !verdicts_->Find(der.data(), static_cast<DWORD>(der.size()), &chain_bits, false);
  if (cert.names_addresses && host_address_known_ && !facts.has_address_bits) {
    if (!has_host_address_) {
      // No address was found: none of the certificate's can match, and none is asked for.
      facts.has_address_bits = true;
      facts.address_bits = 0;
    } else {
      *needs_verdict = true;  // the address is held against the certificate in the background
    }
  }
  if (*needs_verdict || (!host_address_known_ && cert.names_addresses)) return kWaits;
  // Verify's bits: the root check's verdict, the page-free part, the page's scope.
  const std::string& page = page_address_.empty() ? host_ : page_address_;
  DWORD bits = chain_bits | cert.fixed_bits | (cert.names_addresses ? facts.address_bits : 0);
  if (bits == 0 && page[0]) bits |= CryptoNS::CNlrCertificate::ScopeBits(cert.scope, page.c_str());
  if (bits != 0 || !cert.image_hash) return kRefused;
  std::unique_ptr<NLR> entry(new NLR(cert.entry));
  entry->record = record;
  // In the reply's order, whichever verdict came first.
  auto at = certificates_.end();
  while (at != certificates_.begin() && (*(at - 1))->record > record) --at;
  certificates_.insert(at, std::move(entry));
  return kKept;
}

std::string CNLRList::DocumentUrlOf(IHTMLElement* element) const {
  CRef<IDispatch> dispatch;
  CRef<IHTMLDocument2> document;
  if (!element || FAILED(element->get_document(dispatch.out())) || !document.QueryFrom(dispatch.get()))
    return std::string();
  return GetText(document.get(), &IHTMLDocument2::get_URL);
}

std::string CNLRList::BackgroundToUrl(const std::string& value, const std::string& base_url,
                                      const std::string& host) {
  std::string url = value;
  if (StartsWith(url, "url(\"")) {
    url = url.size() >= 7 ? url.substr(5, url.size() - 7) : std::string();
  } else if (StartsWith(url, "url(")) {
    url = url.size() >= 5 ? url.substr(4, url.size() - 5) : std::string();
  }
  if (url.empty()) return std::string();
  if (StartsWith(url, "http")) return url;
  // A relative reference: resolved against the page's own address.
  std::string base = base_url.empty() ? "http://" + host + "/" : base_url;
  char combined[4096];
  DWORD size = sizeof(combined);
  if (FAILED(UrlCombineA(base.c_str(), url.c_str(), combined, &size, 0))) return std::string();
  return combined;
}

int CNLRList::AddImage(IHTMLImgElement* img) {
  if (!img) return 0;
  CBstr size_text;
  if (FAILED(img->get_fileSize(size_text.out()))) return 0;
  int size = atoi(size_text.Text().c_str());
  CBstr href;
  if (FAILED(img->get_href(href.out()))) return 0;
  images_.emplace_back(new CBrowserImage(href.Text(), size, img, nullptr, waiter_));
  return 1;
}

int CNLRList::AddBackgroundImage(IHTMLElement* element, const char* value) {
  if (!element || !value) return 0;
  std::string url = BackgroundToUrl(value, DocumentUrlOf(element), host_);
  if (url.empty()) return 0;
  images_.emplace_back(new CBrowserImage(url, -1, nullptr, element, waiter_));
  return 1;
}

void CNLRList::ScanDocument(IHTMLDocument2* document) {
  if (!document) return;
  CRef<IHTMLElementCollection> images;
  LONG count = 0;
  if (SUCCEEDED(document->get_images(images.out())) && images &&
      SUCCEEDED(images->get_length(&count))) {
    for (LONG i = 0; i < count; ++i) {
      VARIANT index, unused;
      VariantInit(&unused);
      index.vt = VT_I4;
      index.lVal = i;
      CRef<IDispatch> item;
      CRef<IHTMLImgElement> img;
      if (SUCCEEDED(images->item(index, unused, item.out())) && img.QueryFrom(item.get()))
        AddImage(img.get());
    }
  }
  CRef<IHTMLElementCollection> all;
  count = 0;
  if (FAILED(document->get_all(all.out())) || !all || FAILED(all->get_length(&count))) return;
  for (LONG i = 0; i < count; ++i) {
    VARIANT index, unused;
    VariantInit(&unused);
    index.vt = VT_I4;
    index.lVal = i;
    CRef<IDispatch> item;
    CRef<IHTMLElement> element;
    if (FAILED(all->item(index, unused, item.out())) || !element.QueryFrom(item.get())) continue;
    std::string value;
    if (BackgroundAttribute(element.get(), &value) && !value.empty()) {
      AddBackgroundImage(element.get(), value.c_str());
    } else {
      value = InlineBackground(element.get());
      if (!value.empty()) AddBackgroundImage(element.get(), value.c_str());
    }
    value = ComputedBackground(element.get());
    if (!value.empty()) AddBackgroundImage(element.get(), value.c_str());
  }
}

int CNLRList::VerifyImages() {
  if (!images_collected_ || !certificates_downloaded_ || !waiting_.empty()) return 0;
  if (image_list_complete_) {
    for (auto& certificate : certificates_) MatchCertificate(certificate.get());
    return 1;
  }
  bool any = false;
  for (auto& certificate : certificates_) {
    for (auto& image : images_) {
      if (image->reported_size_ == static_cast<int>(certificate->logo_size) ||
          image->reported_size_ == -1) {
        image->selected_ = true;
        any = true;
      }
    }
  }
  if (any) StartDownloads();
  return 1;
}

void CNLRList::StartDownloads() {
  if (downloads_started_) return;
  downloads_started_ = true;
  bool sent = false;
  for (auto& image : images_) {
    if (!image->selected_ || image->done_ || !image->has_waiter() || image->url_.empty()) continue;
    if (image->StartDownload(Request())) {
      sent = true;
    } else {
      // Nothing will come back for it: it ends now, without bytes.
      image->done_ = true;
    }
  }
  // When no download is under way the list can be judged at once.
  if (!sent && UpdateCompleteness()) {
    for (auto& certificate : certificates_) MatchCertificate(certificate.get());
  }
}

bool CNLRList::UpdateCompleteness() {
  for (auto& image : images_) {
    if (image->selected_ && !image->done_ && image->reported_size_ != -1) return false;
  }
  image_list_complete_ = true;
  downloads_started_ = false;
  finished_downloads_ = 0;
  return true;
}

void CNLRList::OnImageDownloaded() {
  ++finished_downloads_;
  if (UpdateCompleteness()) {
    if (logger_)
      logger_->LogFormatNumber("%d Image downloaded and ImageList Downloaded Completely", 0,
                               kLogLevel, true);
  } else {
    image_list_complete_ = false;
    if (logger_)
      logger_->LogFormatNumber("%d Image downloaded and ImageList still NOT Downloaded",
                               static_cast<DWORD>(finished_downloads_), kLogLevel, true);
  }
}

void CNLRList::MatchCertificate(NLR* certificate) {
  if (certificate->matched_image) return;
  // Only a SHA-1 of 20 bytes can match.
  if (certificate->logo_hash.size() != 20) return;
  // The last matching image in list order is the one bound: the walk runs from the end and
  // stops at the first match. An image already hashed keeps its hash.
  for (auto image = images_.rbegin(); image != images_.rend(); ++image) {
    CBrowserImage* candidate = image->get();
    if (!candidate->selected_ || !candidate->done_ || candidate->bytes_.size() != certificate->logo_size)
      continue;
    if (candidate->hash_.size() != 20) {
      CSHADigest digest;
      digest.Update(candidate->bytes_.data(), static_cast<DWORD>(candidate->bytes_.size()));
      digest.Final();
      candidate->hash_.assign(digest.GetDigest(), digest.GetDigest() + 20);
    }
    if (memcmp(candidate->hash_.data(), certificate->logo_hash.data(), 20) != 0) continue;
    certificate->matched_image = candidate;
    candidate->verified_ = true;
    return;
  }
}

int CNLRList::CheckAreaElement(IHTMLElement* area, std::string* name) {
  CRef<IHTMLElement> parent;
  CRef<IHTMLMapElement> map;
  if (!Parent(area, &parent) || !map.QueryFrom(parent.get())) return 0;
  // The map's name as the page has it, wide: "#" and the name.
  CBstr map_name;
  map->get_name(map_name.out());
  std::wstring wanted_text = L"#" + std::wstring(map_name.get() ? map_name.get() : L"", SysStringLen(map_name.get()));
  CBstr wanted(wanted_text);
  CRef<IDispatch> dispatch;
  CRef<IHTMLDocument2> document;
  CRef<IHTMLElementCollection> images;
  LONG count = 0;
  if (FAILED(area->get_document(dispatch.out())) || !document.QueryFrom(dispatch.get()) ||
      FAILED(document->get_images(images.out())) || !images || FAILED(images->get_length(&count)))
    return 0;
  for (LONG i = 0; i < count; ++i) {
    VARIANT index, unused;
    VariantInit(&unused);
    index.vt = VT_I4;
    index.lVal = i;
    CRef<IDispatch> item;
    CRef<IHTMLImgElement> img;
    CRef<IHTMLElement> element;
    if (FAILED(images->item(index, unused, item.out())) || !img.QueryFrom(item.get()) ||
        !element.QueryFrom(item.get()))
      continue;
    CBstr use_map;
    if (FAILED(img->get_useMap(use_map.out()))) continue;
    if (VarBstrCmp(use_map.get(), wanted.get(), LOCALE_USER_DEFAULT, 0) != static_cast<HRESULT>(VARCMP_EQ))
      continue;
    if (CheckImageElement(element.get(), name)) return 1;
  }
  return 0;
}

int CNLRList::CheckImageElement(IHTMLElement* element, std::string* name) {
  if (!element) return 0;
  std::string value;
  CRef<IHTMLAreaElement> area;
  CRef<IHTMLImgElement> img;
  CRef<IHTMLBodyElement> body;
  CRef<IHTMLTableCell> cell;
  CRef<IHTMLParaElement> para;
  CRef<IHTMLDivElement> div;
  IHTMLElement* url_element = element;  // whose document the value is relative to
  CRef<IHTMLElement> table_element;
  if (area.QueryFrom(element)) {
    return CheckAreaElement(element, name);
  } else if (img.QueryFrom(element)) {
    value = GetText(img.get(), &IHTMLImgElement::get_src);
  } else if (body.QueryFrom(element)) {
    value = GetText(body.get(), &IHTMLBodyElement::get_background);
    if (value.empty()) value = InlineBackground(element);
    if (value.empty()) value = ComputedBackground(element);
  } else if (cell.QueryFrom(element)) {
    value = GetText(cell.get(), &IHTMLTableCell::get_background);
    if (value.empty()) value = InlineBackground(element);
    if (value.empty()) {
      // The table three parents up: cell, row, section, table. Each step must exist.
      CRef<IHTMLElement> row, section;
      CRef<IHTMLTable> table;
      if (Parent(element, &row) && Parent(row.get(), &section) &&
          Parent(section.get(), &table_element) && table.QueryFrom(table_element.get())) {
        value = GetText(table.get(), &IHTMLTable::get_background);
        if (value.empty()) value = InlineBackground(table_element.get());
        if (value.empty()) value = ComputedBackground(table_element.get());
        if (!value.empty()) url_element = table_element.get();
      }
    }
    if (value.empty()) value = ComputedBackground(element);
  } else if (para.QueryFrom(element) || div.QueryFrom(element)) {
    CRef<IHTMLElement> parent;
    CRef<IHTMLTableCell> parent_cell;
    if (Parent(element, &parent) && parent_cell.QueryFrom(parent.get()))
      return CheckImageElement(parent.get(), nullptr);
    if (div) value = ComputedBackground(element);
  }
  if (value.empty()) return 0;

  return CheckImageUrl(BackgroundToUrl(value, DocumentUrlOf(url_element), host_), name);
}

int CNLRList::AddPageImage(const std::string& url, int size, IUnknown* node) {
  if (url.empty() || !node) return 0;
  images_.emplace_back(new CBrowserImage(url, size, node, waiter_));
  return 1;
}

int CNLRList::AddPageBackground(const std::string& url, int size, IUnknown* node) {
  return AddPageImage(url, size, node);
}

int CNLRList::CheckImageUrl(const std::string& url, std::string* name) {
  if (url.empty()) return 0;
  if (!image_list_complete_) {
    if (logger_)
      logger_->LogFormatString("CheckedImage is BAD - ImageList is not Downloaded Completely - %s",
                               url.c_str(), kLogLevel, true);
    return 0;
  }
  for (auto& certificate : certificates_) {
    CBrowserImage* image = certificate->matched_image;
    if (!image || !image->verified_ || image->url_ != url) continue;
    if (name && !certificate->display_name.empty()) *name = certificate->display_name;
    if (logger_)
      logger_->LogFormatString("CheckedImage in NLRDATALIST is OK - %s", url.c_str(), kLogLevel, true);
    return 1;
  }
  if (logger_)
    logger_->LogFormatString("CheckedImage in NLRDATALIST is BAD - %s", url.c_str(), kLogLevel, true);
  return 0;
}

void CNLRList::ResetImages() {
  for (auto& certificate : certificates_) certificate->matched_image = nullptr;
  if (request_) request_->DropRequests();  // downloads still under way belong to the images that go
  images_.clear();
  images_collected_ = false;
  image_list_complete_ = false;
  downloads_started_ = false;
  finished_downloads_ = 0;
}
