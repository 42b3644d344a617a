// Asynchronous HTTP GET over WinHTTP. Every request object owns a hidden message-only window,
// made with its first request; WinHTTP's worker threads queue each result for it, and one
// message tells the object's thread of all the results that came meanwhile (2 ms after the
// last of the object's requests in flight ended, or 50 ms after the first result waited), so
// waiters are always called on the thread that sends the requests (that thread must pump
// messages). Requests may also be handed to the process's request thread, which opens and
// sends them. Also: the URL change tracker, the URL builder and the host-name resolver.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/window.h"

struct z_stream_s;

namespace WebUtilsNS {

// What a request reports (the certificate collector posts them to its window with the request
// context as WPARAM; a CServerRequest queues them for its window).
const UINT WM_SERVER_REQUEST_COMPLETE = WM_APP + 5000;    // 0x9388, LPARAM 0
const UINT WM_SERVER_REQUEST_FAILED = WM_APP + 5001;      // 0x9389, LPARAM 0
const UINT WM_SERVER_REQUEST_LENGTH = WM_APP + 5002;      // 0x938A, LPARAM Content-Length
const UINT WM_SERVER_REQUEST_PROGRESS = WM_APP + 5003;    // 0x938B, LPARAM bytes so far
const UINT WM_SERVER_REQUEST_SIZE_LIMIT = WM_APP + 5004;  // 0x938C, LPARAM size it would reach
// Posted to a CServerRequest's window when reports wait in its queue.
const UINT WM_SERVER_REQUEST_RESULTS = WM_APP + 5005;     // 0x938D

// Request flags.
const DWORD REQUEST_FLAG_REFRESH = 1;       // bypass caches
const DWORD REQUEST_FLAG_NO_REDIRECTS = 2;  // follow no redirects
const DWORD REQUEST_FLAG_SECURE = 4;        // TLS (always on for https URLs)
const DWORD REQUEST_FLAG_HTTP_SUCCESS = 8;  // only a 2xx status completes; any other fails

// Largest body any request accepts, received or inflated, when it sets no smaller limit.
const DWORD kMaxResponseBody = 64u * 1024 * 1024;

// Error numbers OnRequestFailed carries besides WinHTTP's own (ERROR_WINHTTP_*):
//   ERROR_NO_DATA         the response had no body bytes
//   ERROR_INVALID_DATA    a gzip or deflate body did not decode
//   ERROR_FILE_TOO_LARGE  the body passed the request's size limit and the waiter has no
//                         OnSizeLimitExceeded to hear it
//   ERROR_NOT_ENOUGH_MEMORY
//   ERROR_WINHTTP_INVALID_SERVER_RESPONSE  with REQUEST_FLAG_HTTP_SUCCESS: the status was not 2xx

class IRequestWaiter {
 public:
  // The body stays owned by the request; it is valid during the call only.
  virtual void OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) = 0;
  virtual void OnRequestFailed(DWORD request_id, DWORD error) = 0;

 protected:
  ~IRequestWaiter() {}
};

class IRequestWaiterEx : public IRequestWaiter {
 public:
  virtual void OnContentLength(DWORD request_id, DWORD length) = 0;
  virtual void OnProgress(DWORD request_id, DWORD received) = 0;
  // The request is abandoned after this call; neither OnRequestComplete nor OnRequestFailed follows.
  virtual void OnSizeLimitExceeded(DWORD request_id, DWORD size) = 0;

 protected:
  ~IRequestWaiterEx() {}
};

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

class CServerRequestBase : public KestrinWinNS::CWindowBase {
 public:
  // Every request's connection and request handles; destroying it closes both.
  class CAsyncContextBase {
   public:
    CAsyncContextBase() {}
    virtual ~CAsyncContextBase();

    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;

   private:
    CAsyncContextBase(const CAsyncContextBase&) = delete;
    CAsyncContextBase& operator=(const CAsyncContextBase&) = delete;
  };

  // The user agent as text or as the number of a string resource of this module.
  explicit CServerRequestBase(const char* user_agent);
  explicit CServerRequestBase(UINT user_agent_resource);

  // Window messages of the hidden window; true when handled (result set).
  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  // Destroys the window (requests still in flight are dropped unheard) and closes the session.
  ~CServerRequestBase() override;
  // Installs the status callback of the request kind on the session.
  virtual bool SetStatusCallback() = 0;

  // Null until the first request.
  HWND GetWindow() const { return GetHwnd(); }

  // The time-out of every WinHTTP phase (resolve, connect, send, receive) for sessions opened
  // after this call. 60000 ms unless changed.
  void SetTimeout(DWORD milliseconds) { timeout_ms_ = milliseconds; }

 protected:
  // Opens the session on first use, then the connection and a GET request for `url` into
  // `context`. False on any failure (the context keeps whatever handles were opened).
  bool OpenRequest(const char* url, DWORD flags, CAsyncContextBase* context);
  // For SetStatusCallback: installs `callback` for all completions; on failure the session
  // is closed again.
  bool InstallStatusCallback(WINHTTP_STATUS_CALLBACK callback);
  // Opens the connection and a GET request for the cracked `url` on `session` into `context`.
  static bool OpenOn(HINTERNET session, const CCrackedUrl& url, DWORD flags, DWORD timeout_ms,
                     CAsyncContextBase* context);
  // Posts `message` for `context` to `window`; when that fails the context is destroyed here.
  static void PostOrDestroy(HWND window, UINT message, CAsyncContextBase* context, LPARAM lparam);
  // The hidden window, made when first needed.
  bool MakeWindow();
  DWORD timeout_ms() const { return timeout_ms_; }

  HINTERNET session_ = nullptr;
  CCrackedUrl url_;
  std::wstring user_agent_;

 private:
  CServerRequestBase(const CServerRequestBase&) = delete;
  CServerRequestBase& operator=(const CServerRequestBase&) = delete;

  void CloseSession();

  DWORD timeout_ms_ = 60000;
};

class CServerRequest : public CServerRequestBase {
  struct CShared;

 public:
  enum Encoding { ENCODING_IDENTITY = 0, ENCODING_GZIP = 1, ENCODING_DEFLATE = 2 };

  class CAsyncContext : public CAsyncContextBase {
   public:
    ~CAsyncContext() override;
    // Largest body accepted, received or inflated.
    virtual DWORD BodyLimit() const { return kMaxResponseBody; }
    // True when the caller set the limit (and so hears OnSizeLimitExceeded).
    virtual bool HasCallerLimit() const { return false; }

    DWORD request_id = 0;
    DWORD received = 0;
    std::vector<BYTE> body;
    std::string url;
    IRequestWaiter* waiter = nullptr;
    std::shared_ptr<CShared> shared;  // the object's queue of reports
    DWORD generation = 0;             // the object's generation when the request was made
    int encoding = ENCODING_IDENTITY;
    DWORD pending_read = 0;   // size of the read in flight
    DWORD error = 0;          // WinHTTP's error of a failed request
    DWORD http_status = 0;    // the response's status code, once the headers came
    bool success_only = false;  // REQUEST_FLAG_HTTP_SUCCESS
  };

  explicit CServerRequest(const char* user_agent);
  explicit CServerRequest(UINT user_agent_resource);
  // Requests still in flight end unheard.
  ~CServerRequest() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;
  bool SetStatusCallback() override;

  // False without URL or waiter, or when the request could not be sent (the waiter then hears
  // nothing). Otherwise the waiter hears exactly one of OnRequestComplete or OnRequestFailed
  // (or, for an IRequestWaiterEx with a size limit, OnSizeLimitExceeded).
  bool SendRequest(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags);
  // Header lines sent before the Accept-Encoding line of every later request: with `replace`
  // the block is emptied first; then `text` and "\r\n" are appended.
  void SetHeaders(const wchar_t* text, bool replace);
  // As SendRequest with a context made by the caller (owned from here on; null: a new one).
  bool SendRequestWithContext(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags,
                              CAsyncContext* context);
  // As SendRequest, but only the URL is read on the calling thread: the request is opened and
  // sent on the process's request thread, so that the caller's thread never waits on WinHTTP.
  // False without waiter or with no http or https URL (the waiter then hears nothing);
  // otherwise the waiter hears exactly one end, on this object's thread as for every request.
  // A request that WinHTTP will not open or send ends with OnRequestFailed and WinHTTP's error.
  bool QueueRequest(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags);
  // Drops every request under way, sent or queued: their waiters hear nothing more. The object
  // stays as it is for the requests that follow.
  void DropRequests();

  // A way back to this object's thread for work done elsewhere (a verdict computed in the
  // background): the function returned may be called on any thread, and the work handed to it
  // runs on this object's thread with the reports. It answers false, dropping the work, once
  // the object is gone or the message cannot be posted. Asked on the object's thread (it makes
  // the window); null when the window cannot be made.
  typedef std::function<bool(std::function<void()>)> ThreadPoster;
  ThreadPoster GetThreadPoster();

  // Decodes a complete gzip member (RFC 1952) into `out`, refusing more than `limit` bytes.
  // Result: 0 done, ERROR_INVALID_DATA bad data, ERROR_FILE_TOO_LARGE over the limit (then
  // *produced holds the bytes reached when it stopped), ERROR_NOT_ENOUGH_MEMORY.
  DWORD DecodeGzip(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out, DWORD* produced);
  // The same for a deflate body: zlib-wrapped (RFC 1950) or raw (RFC 1951).
  DWORD DecodeDeflate(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out, DWORD* produced);

 protected:
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, void* info,
                                      DWORD info_length);
  // The status callback of this kind of request object.
  virtual WINHTTP_STATUS_CALLBACK RequestCallback() const { return &CServerRequest::StatusCallback; }
  // Queues a report of `context` for the object's thread (`message` is one of the report
  // numbers above). A report of a request dropped or whose object is gone is not kept; when
  // it ends the request, the context is disposed of.
  static void Report(CAsyncContext* context, UINT message, LPARAM lparam);

 private:
  struct QueuedReport {
    UINT message;
    CAsyncContext* context;
    LPARAM lparam;
  };
  // On the request thread, `after` ms after a report: posts WM_SERVER_REQUEST_RESULTS for the
  // reports waiting unless one is on its way.
  static void PostReports(const std::shared_ptr<CShared>& shared, DWORD after);
  static void DisposeAll(std::vector<QueuedReport>* reports);
  static void StartQueued(CAsyncContext* context, const CCrackedUrl& url, DWORD flags, DWORD timeout_ms,
                          const std::wstring& headers);
  void DeliverReports();
  // Hands one report to its waiter; true when it ended the request.
  bool HandleReport(const QueuedReport& report);
  DWORD Inflate(const BYTE* data, size_t size, int window_bits, DWORD limit, std::vector<BYTE>* out,
                DWORD* produced, size_t* consumed);
  void HandleComplete(CAsyncContext* context);
  void HandleSizeLimit(CAsyncContext* context, DWORD size);
  std::wstring RequestHeaders() const;

  struct ZStreamDeleter {
    void operator()(z_stream_s* stream) const;
  };
  std::wstring extra_headers_;
  std::wstring caller_headers_;
  std::unique_ptr<z_stream_s, ZStreamDeleter> zstream_;
  std::shared_ptr<CShared> shared_;
  bool queued_any_ = false;  // the request thread holds a session of this object's
};

class CServerRequestEx : public CServerRequest {
 public:
  class CAsyncContextEx : public CAsyncContext {
   public:
    DWORD BodyLimit() const override { return size_limit && size_limit < kMaxResponseBody ? size_limit : kMaxResponseBody; }
    bool HasCallerLimit() const override { return size_limit != 0; }

    DWORD size_limit = 0;  // 0: none
  };

  explicit CServerRequestEx(const char* user_agent) : CServerRequest(user_agent) {}
  explicit CServerRequestEx(UINT user_agent_resource) : CServerRequest(user_agent_resource) {}

  bool SetStatusCallback() override;
  WINHTTP_STATUS_CALLBACK RequestCallback() const override { return &CServerRequestEx::StatusCallbackEx; }

  // As SendRequest; an IRequestWaiterEx also hears the length, the progress and, when the body
  // would pass `size_limit` bytes (0: no limit of the caller's), OnSizeLimitExceeded.
  bool SendLimitedRequest(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags,
                          DWORD size_limit);

 protected:
  static void CALLBACK StatusCallbackEx(HINTERNET handle, DWORD_PTR context, DWORD status, void* info,
                                        DWORD info_length);
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

// Host-name look-up (IPv4) through Winsock.
class CIPHelper {
 public:
  CIPHelper();
  virtual ~CIPHelper();

  // The first IPv4 address of `host`, in network byte order.
  bool GetHostAddress(const char* host, DWORD* address);
  // The same for the host of an http or https URL.
  bool GetUrlHostAddress(const char* url, DWORD* address);

 private:
  CIPHelper(const CIPHelper&) = delete;
  CIPHelper& operator=(const CIPHelper&) = delete;

  CCrackedUrl url_;
  bool started_ = false;
};

// Hands `work` to the process's background worker (KestrinWinNS::RunInBackground) from the
// request thread: waking the worker is a server call under Wine (25 us median, hundreds of
// microseconds when the machine is busy) that the calling thread is spared; waking the request
// thread costs it about a microsecond. Work the worker cannot take runs on the request thread.
// False when the work could not be handed over (it is then dropped).
bool HandToBackground(std::function<void()> work);

// Runs `work` on a thread of its own, started from the request thread (so the caller's thread
// pays about a microsecond): for a wait that must hold back no other work, such as one host's
// name resolution. The thread keeps this module loaded while it runs. False when the work
// could not be handed over (it is then dropped).
bool RunOnThreadOfItsOwn(std::function<void()> work);

// Looks up the IPv4 address of `host` (network byte order) off the calling thread, each host on
// its own thread so that a slow name server for one host holds back no other host's work. An
// answer is kept for a minute: a host asked again meanwhile is answered from it, and a host
// whose look-up is under way gets the same answer. `done` runs on the resolving thread (or at
// once on the caller's, with a kept answer); false when the look-up could not be started
// (`done` then never runs).
bool ResolveHost(const std::string& host, std::function<void(bool found, DWORD address)> done);
// Tests: replaces the look-up ResolveHost runs (null: Winsock's) and forgets the kept answers.
typedef bool (*HostLookupFn)(const char* host, DWORD* address);
void SetHostLookupForTest(HostLookupFn lookup);

// Loads a string resource of the module holding this code (ANSI).
std::string LoadResourceString(UINT id);

}  // namespace WebUtilsNS
