// The page's site-seal model: the seal certificates looked up for the host, the candidate
// images of the page, their downloads, and the size and SHA-1 match that binds an image to a
// certificate.
#pragma once

#include <windows.h>
#include <mshtml.h>

#include <memory>
#include <string>
#include <vector>

#include "common/nlrcert/chain_verdicts.h"
#include "common/nlrcert/nlr_data.h"
#include "common/web/server_request.h"
#include "platform/com/com_ptr.h"

namespace LogHelperNS {
class CLogHelper;
}

class CBrowserImage;

// Request id of a finished page image, as the owner's waiter hears it.
const DWORD kImageRequestId = 1;

// One site-seal certificate of the host.
struct NLR {
  std::vector<BYTE> der;
  DWORD logo_size = 0;
  CBrowserImage* matched_image = nullptr;  // an entry of the same list's images, or none
  std::string display_name;
  int logo_width = -1;
  int logo_height = -1;
  int trailing_option = -1;
  // The image hash the certificate carries, read when it is kept: empty unless it is a SHA-1.
  std::vector<BYTE> logo_hash;
  // Where the lookup's reply had it: the list keeps its certificates in that order, also when
  // their verdicts arrive in another.
  size_t record = 0;
};

// One candidate image of the page and its download.
class CBrowserImage : public WebUtilsNS::IRequestWaiter {
 public:
  // `img` for an IMG element, else `element` carries the background; `owner` hears the end of
  // the download as OnRequestComplete(kImageRequestId) with no data.
  CBrowserImage(const std::string& url, int reported_size, IHTMLImgElement* img,
                IHTMLElement* element, WebUtilsNS::IRequestWaiter* owner);
  // An image of another browser's page: its element is that browser's own object (counted).
  CBrowserImage(const std::string& url, int reported_size, IUnknown* node, WebUtilsNS::IRequestWaiter* owner);

  void OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) override;
  void OnRequestFailed(DWORD request_id, DWORD error) override;
  virtual ~CBrowserImage();

  // Sends the GET of the image's (escaped) URL through `request` (the list's, shared by its
  // images). False when it could not be sent.
  bool StartDownload(WebUtilsNS::CServerRequest* request);

  const std::string& url() const { return url_; }
  int reported_size() const { return reported_size_; }
  const std::vector<BYTE>& bytes() const { return bytes_; }
  const std::vector<BYTE>& hash() const { return hash_; }
  bool verified() const { return verified_; }
  bool done() const { return done_; }
  bool selected() const { return selected_; }
  bool has_waiter() const { return owner_ != nullptr; }
  IHTMLImgElement* img() const { return img_; }
  IHTMLElement* element() const { return element_; }
  IUnknown* node() const { return node_.get(); }

 private:
  friend class CNLRList;
  CBrowserImage(const CBrowserImage&) = delete;
  CBrowserImage& operator=(const CBrowserImage&) = delete;

  std::string url_;
  int reported_size_;
  std::vector<BYTE> bytes_;
  KestrinComNS::CComPtr<IHTMLImgElement> img_;
  KestrinComNS::CComPtr<IHTMLElement> element_;
  KestrinComNS::CComPtr<IUnknown> node_;
  bool verified_ = false;
  WebUtilsNS::IRequestWaiter* owner_;
  bool done_ = false;
  bool selected_ = false;
  std::vector<BYTE> hash_;
  LogHelperNS::CLogHelper* logger_;
};

class CNLRList {
 public:
  CNLRList();
  virtual ~CNLRList();

  // The waiter that every image added later tells when its download ends. 0 for none.
  int SetRequestWaiter(WebUtilsNS::IRequestWaiter* waiter);
  // Drops certificates and images, the host and every counter and flag.
  void Clear();
  // The host (lower case, as the caller passes it). Its IPv4 address is looked up off this
  // thread (each host on a thread of its own) when a certificate of the host names addresses:
  // such a certificate is kept or refused once the answer is back.
  void SetHost(const char* host);
  const std::string& GetHost() const { return host_; }
  // The page's address (scheme, host and path, as one ASCII text): every certificate is held
  // against it. A new address of the same host checks the host's certificates again, so that
  // one limited to a directory counts on the pages of that directory alone.
  void SetPageAddress(const char* url);
  const std::string& GetPageAddress() const { return page_address_; }

  // 1 when the certificate verifies for the page (its address, or the host when none is set)
  // and carries the hash of a page image. A certificate whose root-check verdict is not known
  // yet (or that needs the host's address before it came) waits: the verdict is computed in
  // the background, and the certificate is kept or refused on this thread when it arrives
  // (this thread must pump messages); 0 meanwhile. Once nothing waits, VerifyImages runs
  // again when the images were collected and the certificates downloaded.
  int AddCertificate(const BYTE* der, DWORD length);
  // True while a certificate waits for its verdict or for the host's address.
  bool HasWaitingCertificates() const { return !waiting_.empty(); }
  // The verdicts the list uses (the process's unless a test gives its own; not owned).
  void SetChainVerdicts(CryptoNS::CChainVerdicts* verdicts) { verdicts_ = verdicts; }
  DWORD GetCount() const { return static_cast<DWORD>(certificates_.size()); }
  const std::vector<std::unique_ptr<NLR>>& Certificates() const { return certificates_; }

  // Adds the images of one document: its IMG elements, then the backgrounds of its elements.
  void ScanDocument(IHTMLDocument2* document);
  int AddImage(IHTMLImgElement* img);
  int AddBackgroundImage(IHTMLElement* element, const char* value);
  const std::vector<std::unique_ptr<CBrowserImage>>& Images() const { return images_; }
  // Browsers other than Internet Explorer hand over what they read themselves: the image's
  // URL (backgrounds already made absolute), its size from the browser's cache (-1: unknown)
  // and their element. 0 without URL or element.
  int AddPageImage(const std::string& url, int size, IUnknown* node);
  int AddPageBackground(const std::string& url, int size, IUnknown* node);
  // 1 when the URL is the source of an image bound to a verified certificate.
  int CheckImageUrl(const std::string& url, std::string* name);

  // Selects and downloads the candidates or, once every download ended, runs the match.
  // 0 until both the images are collected and the certificates downloaded.
  int VerifyImages();
  // Counts one finished download (request id 1) and decides whether the list is complete.
  void OnImageDownloaded();

  // 1 when the element shows a verified seal; its display name when asked for and known.
  int CheckImageElement(IHTMLElement* element, std::string* name);
  // 1 when an image that uses the AREA's map shows a verified seal.
  int CheckAreaElement(IHTMLElement* area, std::string* name);

  // Forgets the images (certificates stay) for a new scan of the same host.
  void ResetImages();

  void SetImagesCollected(bool value) { images_collected_ = value; }
  void SetCertificatesDownloaded(bool value) { certificates_downloaded_ = value; }
  bool ImagesCollected() const { return images_collected_; }
  // The lookup's certificates are all in, and none waits for its verdict.
  bool CertificatesDownloaded() const { return certificates_downloaded_ && waiting_.empty(); }
  bool IsImageListComplete() const { return image_list_complete_; }
  bool DownloadsStarted() const { return downloads_started_; }

  // The background value of a page as a URL: "url(...)" unwrapped (bounded by the text) and
  // a relative reference resolved against `base_url` (the document's address), or against
  // "http://<host>/" when there is none. Empty when nothing usable remains.
  static std::string BackgroundToUrl(const std::string& value, const std::string& base_url,
                                     const std::string& host);

 private:
  CNLRList(const CNLRList&) = delete;
  CNLRList& operator=(const CNLRList&) = delete;

  std::string DocumentUrlOf(IHTMLElement* element) const;
  void StartDownloads();
  bool UpdateCompleteness();
  void MatchCertificate(NLR* certificate);
  enum KeepResult { kRefused, kKept, kWaits };
  // Judges record `record` for the page; `needs_verdict` tells whether a waiting one waits for
  // the background (its facts, its verdict or its address bits; else for the host's address).
  KeepResult KeepCertificate(size_t record, bool* needs_verdict);
  // The host's address a background judgement was made with.
  struct AddressState {
    DWORD round;  // host_round_ when it was asked
    bool found;   // an address was known (else none was held against the certificate)
    DWORD address;
  };
  // Asks the background for what record `record` waits for: its certificate's facts, its
  // root-check verdict and, for one that names addresses, what the host's address gives it.
  void AskVerdict(size_t record);
  // On this thread: the verdict and facts for `der` are known now, and `address_bits` is what
  // the address in `address` gives it.
  void OnVerdict(const std::vector<BYTE>& der, const AddressState& address, DWORD address_bits);
  // Holds back record `record` until its verdict (and the host's address, when it needs it)
  // is here, asking for the verdict in the background.
  void Wait(size_t record, bool needs_verdict);
  void KeepRecords();
  // Looks the host's address up, once per round.
  void AskHostAddress();
  // On this list's thread, when a verdict or the host's address arrived: the waiting
  // certificates are judged again.
  void ResumeWaiting();
  // The way back to this thread for the background's answers (null when it cannot be made).
  const WebUtilsNS::CServerRequest::ThreadPoster& Poster();
  WebUtilsNS::CServerRequest* Request();

  std::string host_;
  std::string page_address_;
  std::vector<std::vector<BYTE>> records_;  // every certificate offered for the host
  // What a record's certificate says whatever the page (read once per process, in the
  // background) and what the host's address gives it: each new page of the host only checks
  // its scope. Parallel to records_.
  struct RecordFacts;
  std::vector<RecordFacts> facts_;
  DWORD host_address_ = 0;
  bool has_host_address_ = false;
  bool host_address_known_ = false;  // the look-up ended (found or not)
  bool host_address_asked_ = false;  // the look-up began in this round
  // Each SetHost begins a new round: an address answered for an earlier one is dropped.
  DWORD host_round_ = 0;
  struct Waiting {
    size_t record;
    bool asked;  // its verdict was asked for in this round
  };
  std::vector<Waiting> waiting_;
  CryptoNS::CChainVerdicts* verdicts_;
  WebUtilsNS::CServerRequest::ThreadPoster poster_;
  // The images' downloads: one request object for all of them, made with the first and kept
  // for the pages that follow.
  std::unique_ptr<WebUtilsNS::CServerRequest> request_;
  std::vector<std::unique_ptr<NLR>> certificates_;
  std::vector<std::unique_ptr<CBrowserImage>> images_;
  int finished_downloads_ = 0;
  WebUtilsNS::IRequestWaiter* waiter_ = nullptr;
  bool images_collected_ = false;
  bool certificates_downloaded_ = false;
  bool image_list_complete_ = false;
  bool downloads_started_ = false;
  LogHelperNS::CLogHelper* logger_;
};
