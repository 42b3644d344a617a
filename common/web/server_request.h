// Asynchronous HTTP GET over WinHTTP. The request objects of one thread share a hidden
// message-only window (CReplyWindow), asked for with the first request of the first of them
// and made when the thread next waits for messages (reports that come before wait for it);
// WinHTTP's worker threads queue each report for its object, and one message tells the
// object's thread of all the reports that came meanwhile (shortly after the
// last of the object's requests in flight ended, or a while after the first report waited), so
// waiters are always called on the thread that sends the requests (that thread must pump
// messages). A request is opened and sent either on the calling thread or on the process's
// request thread; both roads share the object's set-up, clean-up and session settings.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/web/body_decoder.h"
#include "common/web/reply_window.h"
#include "common/web/url_helpers.h"
#include "platform/win/winhttp_handle.h"
#include "platform/win/worker_thread.h"

namespace WebUtilsNS {

// What a request reports: the kinds of the reports a CServerRequest queues for its thread.
const UINT WM_SERVER_REQUEST_COMPLETE = WM_APP + 5000;    // 0x9388, LPARAM 0
const UINT WM_SERVER_REQUEST_FAILED = WM_APP + 5001;      // 0x9389, LPARAM 0
const UINT WM_SERVER_REQUEST_LENGTH = WM_APP + 5002;      // 0x938A, LPARAM Content-Length
const UINT WM_SERVER_REQUEST_PROGRESS = WM_APP + 5003;    // 0x938B, LPARAM bytes so far
const UINT WM_SERVER_REQUEST_SIZE_LIMIT = WM_APP + 5004;  // 0x938C, LPARAM size it would reach
// Posted to the thread's reply window when reports of a request object wait in its queue
// (WPARAM: the object's number on that window).
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

// The process's request thread: it opens and sends the requests handed over with QueueRequest,
// closes the handles of requests that ended and tells request objects of reports held back, so
// that neither the threads queueing requests nor WinHTTP's own threads wait on that work. It
// ends after a while without work.
KestrinWinNS::CWorkerThread& RequestThread();

class CServerRequest {
  struct CShared;

 public:
  enum Encoding { ENCODING_IDENTITY = 0, ENCODING_GZIP = 1, ENCODING_DEFLATE = 2 };

  // One request: its handles (closed when it ends), what the waiter is to hear and how the
  // body came so far.
  class CAsyncContext {
   public:
    CAsyncContext() {}
    virtual ~CAsyncContext();
    // Largest body accepted, received or inflated.
    virtual DWORD BodyLimit() const { return kMaxResponseBody; }
    // True when the caller set the limit (and so hears OnSizeLimitExceeded).
    virtual bool HasCallerLimit() const { return false; }

    KestrinWinNS::CScopedInternetHandle connection;
    KestrinWinNS::CScopedInternetHandle request;
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

   private:
    CAsyncContext(const CAsyncContext&) = delete;
    CAsyncContext& operator=(const CAsyncContext&) = delete;
  };

  // The user agent as text or as the number of a string resource of this module. The thread's
  // reply window is joined with the first request: most request objects of a browser window
  // never send one.
  explicit CServerRequest(const char* user_agent);
  explicit CServerRequest(UINT user_agent_resource);
  // Requests still in flight end unheard; the object leaves the reply window (which goes with
  // its last user) and the session closes. On the object's thread.
  virtual ~CServerRequest();

  // The thread's reply window; null until the first request, and until the thread has
  // handled its messages once after it.
  HWND GetWindow() const { return reply_window_ ? reply_window_->Handle() : nullptr; }

  // The time-out of every WinHTTP phase (resolve, connect, send, receive) for sessions opened
  // after this call. 60000 ms unless changed.
  void SetTimeout(DWORD milliseconds) { timeout_ms_ = milliseconds; }

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

 protected:
  struct QueuedReport {
    UINT message;
    CAsyncContext* context;
    LPARAM lparam;
  };

  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, void* info,
                                      DWORD info_length);
  // The status callback of this kind of request object, for both roads.
  virtual WINHTTP_STATUS_CALLBACK RequestCallback() const { return &CServerRequest::StatusCallback; }
  // Sends `context` (owned from here on) for `url` on the calling thread with `headers` (none
  // when empty); false when it could not be sent (the context is then gone).
  bool Send(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags, CAsyncContext* context,
            const std::wstring& headers);
  // Queues a report of `context` for the object's thread (`message` is one of the report
  // kinds above). A report of a request dropped or whose object is gone is not kept; when
  // it ends the request, the context is disposed of.
  static void Report(CAsyncContext* context, UINT message, LPARAM lparam);
  // Ends `context` with WinHTTP's `error` (a failed report).
  static void Fail(CAsyncContext* context, DWORD error);
  // Hands one report to its waiter, on the object's thread; true when it ended the request.
  virtual bool HandleReport(const QueuedReport& report);

 private:
  CServerRequest(const CServerRequest&) = delete;
  CServerRequest& operator=(const CServerRequest&) = delete;

  // The one session policy: an asynchronous session for `user_agent` whose phases time out
  // after `timeout_ms` and whose completions go to `callback`. Empty on failure.
  static KestrinWinNS::CScopedInternetSession OpenSession(const std::wstring& user_agent, DWORD timeout_ms,
                                                          WINHTTP_STATUS_CALLBACK callback);
  // Opens the connection and a GET request for the cracked `url` on `session` into `context`.
  static bool OpenOn(HINTERNET session, const CCrackedUrl& url, DWORD flags, DWORD timeout_ms,
                     CAsyncContext* context);
  // The one set-up of both roads: makes the window, fills `context` and counts it in flight.
  bool Prepare(CAsyncContext* context, const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags);
  // The one clean-up of a request that never went out: no longer counted, and destroyed.
  static void Abandon(CAsyncContext* context);
  // On the request thread, `after` ms after a report: posts WM_SERVER_REQUEST_RESULTS for the
  // reports waiting unless one is on its way.
  static void PostReports(const std::shared_ptr<CShared>& shared, DWORD after);
  static void DisposeAll(std::vector<QueuedReport>* reports);
  static void StartQueued(CAsyncContext* context, const CCrackedUrl& url, DWORD flags,
                          const std::wstring& headers);
  bool MakeWindow();
  void DeliverReports();
  void HandleComplete(CAsyncContext* context);
  void HandleSizeLimit(CAsyncContext* context, DWORD size);
  std::wstring RequestHeaders() const;

  std::wstring user_agent_;
  DWORD timeout_ms_ = 60000;
  KestrinWinNS::CScopedInternetSession session_;  // the calling thread's road
  std::wstring extra_headers_;
  std::wstring caller_headers_;
  CBodyDecoder decoder_;
  std::shared_ptr<CShared> shared_;
  std::shared_ptr<CReplyWindow> reply_window_;
  DWORD reply_user_ = 0;  // this object's number on the reply window
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

  // As SendRequest; an IRequestWaiterEx also hears the length, the progress and, when the body
  // would pass `size_limit` bytes (0: no limit of the caller's), OnSizeLimitExceeded.
  bool SendLimitedRequest(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags,
                          DWORD size_limit);

 protected:
  WINHTTP_STATUS_CALLBACK RequestCallback() const override { return &CServerRequestEx::StatusCallbackEx; }
  static void CALLBACK StatusCallbackEx(HINTERNET handle, DWORD_PTR context, DWORD status, void* info,
                                        DWORD info_length);
};

}  // namespace WebUtilsNS
