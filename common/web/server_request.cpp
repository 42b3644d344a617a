#include <winsock2.h>

#include "common/web/server_request.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <new>
#include <utility>

#include "common/web/web_text.h"

namespace WebUtilsNS {

namespace {

const wchar_t kAcceptEncoding[] = L"Accept-Encoding: gzip, deflate";

// Case-insensitive search for an encoding token in a Content-Encoding value.
bool HasToken(const std::wstring& value, const wchar_t* token) {
  size_t n = wcslen(token);
  size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && (value[i] == L' ' || value[i] == L',' || value[i] == L'\t')) ++i;
    size_t start = i;
    while (i < value.size() && value[i] != L',') ++i;
    size_t end = i;
    while (end > start && (value[end - 1] == L' ' || value[end - 1] == L'\t')) --end;
    if (end - start == n && _wcsnicmp(value.c_str() + start, token, n) == 0) return true;
  }
  return false;
}

bool QueryHeader(HINTERNET request, DWORD info, std::wstring* out) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, &value[0], &size,
                           WINHTTP_NO_HEADER_INDEX))
    return false;
  value.resize(size / sizeof(wchar_t));
  *out = value;
  return true;
}

// The request thread ends after this long without work.
const DWORD kRequestThreadIdleMs = 10000;

// How long a report waits for the reports of the object's other requests in flight, so that one
// message tells of them all.
const DWORD kGatherMs = 50;

// How long the last report waits before the object's thread is told: the network threads that
// made it are done by then and do not contend with its handling.
const DWORD kSettleMs = 2;

// How long the handles of a request that ended stay open: closing them costs server calls, which
// would contend with the handling of the reports on the object's thread. (Kept much longer,
// the requests of a fast run of navigations pile up: two seconds held 7 MB over 1,000 of them.)
const DWORD kCloseAfterMs = 250;

// How long the request thread lets the requests of one burst gather before it sends them: woken,
// it would otherwise take the processor from the thread still handing requests over.
const DWORD kGatherRequestsMs = 1;

// Closes a request's handles on the request thread (here when it cannot take them).
void CloseLater(KestrinWinNS::CScopedInternetHandle connection, KestrinWinNS::CScopedInternetHandle request) {
  if (!connection && !request) return;
  auto handles = std::make_shared<std::pair<KestrinWinNS::CScopedInternetHandle, KestrinWinNS::CScopedInternetHandle>>(
      std::move(request), std::move(connection));
  // The request first, then its connection.
  auto close = [handles] {
    handles->first.Reset();
    handles->second.Reset();
  };
  if (!RequestThread().Post(close, kCloseAfterMs)) close();
}

bool EndsRequest(UINT message) {
  return message != WM_SERVER_REQUEST_LENGTH && message != WM_SERVER_REQUEST_PROGRESS;
}

}  // namespace

KestrinWinNS::CWorkerThread& RequestThread() {
  // Never destroyed: at exit its thread may be gone or stopped anywhere.
  static KestrinWinNS::CWorkerThread& thread = *new KestrinWinNS::CWorkerThread("request", kRequestThreadIdleMs);
  return thread;
}

// What a request object shares with its requests in flight and with the request thread: the
// reports that wait for the object's thread, and the session of its queued requests.
struct CServerRequest::CShared {
  std::mutex lock;
  bool alive = true;      // false once the object is gone
  HWND window = nullptr;  // the thread's reply window, once made
  DWORD user = 0;         // the object's number on that window
  DWORD generation = 0;   // DropRequests begins a new one: reports of older ones are dropped
  int in_flight = 0;      // requests of the generation that have not ended
  bool posted = false;    // a WM_SERVER_REQUEST_RESULTS message is on its way
  bool gathering = false;  // the request thread will post the reports held back
  bool settling = false;   // the same, soon
  std::vector<QueuedReport> reports;
  std::vector<std::function<void()>> tasks;  // work handed back through a thread poster
  // The queued requests' session, opened and used on the request thread with the object's
  // settings as they were at its first queued request.
  KestrinWinNS::CScopedInternetSession session;
  std::wstring user_agent;
  DWORD timeout_ms = 0;
  WINHTTP_STATUS_CALLBACK callback = nullptr;
};

// ---- CServerRequest -----------------------------------------------------------------------

CServerRequest::CAsyncContext::~CAsyncContext() = default;

CServerRequest::CServerRequest(const char* user_agent)
    : user_agent_(Widen(user_agent)), shared_(std::make_shared<CShared>()) {}

CServerRequest::CServerRequest(UINT user_agent_resource)
    : user_agent_(Widen(LoadResourceString(user_agent_resource).c_str())), shared_(std::make_shared<CShared>()) {}

CServerRequest::~CServerRequest() {
  std::vector<QueuedReport> reports;
  std::vector<std::function<void()>> tasks;  // dropped unrun, outside the lock
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->alive = false;
    shared_->window = nullptr;
    reports.swap(shared_->reports);
    tasks.swap(shared_->tasks);
  }
  DisposeAll(&reports);
  // The queued requests' session is closed on the request thread, where it was opened.
  if (queued_any_) {
    std::shared_ptr<CShared> shared = std::move(shared_);
    RequestThread().Post([shared] {});
  }
  if (reply_window_) {
    reply_window_->Leave(reply_user_);
    reply_window_.reset();  // the window goes with its last user
  }
}

bool CServerRequest::MakeWindow() {
  if (reply_window_) return true;
  std::shared_ptr<CReplyWindow> window = CReplyWindow::ForThisThread();
  if (!window) return false;
  reply_user_ = window->Join([this] { DeliverReports(); });
  reply_window_ = std::move(window);
  std::lock_guard<std::mutex> hold(shared_->lock);
  // Null while the window is still to be made: what comes meanwhile waits for it.
  shared_->window = reply_window_->Handle();
  shared_->user = reply_user_;
  return true;
}

KestrinWinNS::CScopedInternetSession CServerRequest::OpenSession(const std::wstring& user_agent, DWORD timeout_ms,
                                                                 WINHTTP_STATUS_CALLBACK callback) {
  KestrinWinNS::CScopedInternetSession session(WinHttpOpen(user_agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                                           WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                                           WINHTTP_FLAG_ASYNC));
  if (!session) return session;
  int t = static_cast<int>(timeout_ms);
  if (!WinHttpSetTimeouts(session.Get(), t, t, t, t) ||
      WinHttpSetStatusCallback(session.Get(), callback, WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS, 0) ==
          WINHTTP_INVALID_STATUS_CALLBACK) {
    DWORD error = GetLastError();
    session.Reset();
    SetLastError(error);
  }
  return session;
}

bool CServerRequest::OpenOn(HINTERNET session, const CCrackedUrl& url, DWORD flags, DWORD timeout_ms,
                            CAsyncContext* context) {
  // The URL's own port: WinHttpCrackUrl already put the scheme's default there when the URL
  // names none, so http://host:443/ goes to 443 and https://host/ to 443.
  context->connection.Reset(WinHttpConnect(session, url.host.c_str(), url.port, 0));
  if (!context->connection) return false;

  std::wstring object = url.path + url.extra;
  size_t fragment = object.find(L'#');
  if (fragment != std::wstring::npos) object.resize(fragment);  // never sent to the server
  if (object.empty()) object = L"/";
  DWORD open_flags = 0;
  if (flags & REQUEST_FLAG_REFRESH) open_flags |= WINHTTP_FLAG_REFRESH;
  if ((flags & REQUEST_FLAG_SECURE) || url.scheme == URL_SCHEME_HTTPS) open_flags |= WINHTTP_FLAG_SECURE;
  context->request.Reset(WinHttpOpenRequest(context->connection.Get(), L"GET", object.c_str(), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, open_flags));
  if (!context->request) return false;
  // Waiting for the response headers counts as receiving (Wine's WinHTTP keeps a separate
  // time-out for it that WinHttpSetTimeouts does not change).
  DWORD receive_timeout = timeout_ms;
  WinHttpSetOption(context->request.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &receive_timeout,
                   sizeof(receive_timeout));

  if (flags & REQUEST_FLAG_NO_REDIRECTS) {
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    if (!WinHttpSetOption(context->request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof(feature)))
      return false;
  }
  return true;
}

bool CServerRequest::Prepare(CAsyncContext* context, const char* url, IRequestWaiter* waiter, DWORD request_id,
                             DWORD flags) {
  if (!MakeWindow()) return false;
  context->waiter = waiter;
  context->request_id = request_id;
  context->url = url;
  context->received = 0;
  context->body.clear();
  context->success_only = (flags & REQUEST_FLAG_HTTP_SUCCESS) != 0;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    context->generation = shared_->generation;
    ++shared_->in_flight;
  }
  context->shared = shared_;
  return true;
}

void CServerRequest::Abandon(CAsyncContext* context) {
  if (context->shared) {
    std::lock_guard<std::mutex> hold(context->shared->lock);
    if (context->generation == context->shared->generation) --context->shared->in_flight;
  }
  delete context;
}

void CServerRequest::Fail(CAsyncContext* context, DWORD error) {
  // Wine reports a receive time-out with the socket's error number; waiters expect WinHTTP's.
  if (error == WSAETIMEDOUT) error = ERROR_WINHTTP_TIMEOUT;
  context->error = error ? error : ERROR_WINHTTP_INTERNAL_ERROR;
  Report(context, WM_SERVER_REQUEST_FAILED, 0);
}

bool CServerRequest::SendRequest(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags) {
  if (!url || !waiter) return false;
  return SendRequestWithContext(url, waiter, request_id, flags, nullptr);
}

void CServerRequest::SetHeaders(const wchar_t* text, bool replace) {
  if (replace) caller_headers_.clear();
  if (text) caller_headers_ += text;
  caller_headers_ += L"\r\n";
}

std::wstring CServerRequest::RequestHeaders() const {
  // The caller's lines, then one Accept-Encoding line per request ("%s\r\n").
  std::wstring headers = caller_headers_;
  headers += kAcceptEncoding;
  headers += L"\r\n";
  return headers;
}

bool CServerRequest::SendRequestWithContext(const char* url, IRequestWaiter* waiter, DWORD request_id,
                                            DWORD flags, CAsyncContext* context) {
  std::unique_ptr<CAsyncContext> owned(context ? context : new (std::nothrow) CAsyncContext());
  if (!owned || !url || !waiter) return false;
  return Send(url, waiter, request_id, flags, owned.release(), RequestHeaders());
}

bool CServerRequest::Send(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags,
                          CAsyncContext* context, const std::wstring& headers) {
  std::unique_ptr<CAsyncContext> owned(context);
  CCrackedUrl cracked;
  if (!owned || !url || !cracked.Crack(url)) return false;
  if (!session_) {
    session_ = OpenSession(user_agent_, timeout_ms_, RequestCallback());
    if (!session_) return false;
  }
  if (!Prepare(owned.get(), url, waiter, request_id, flags)) return false;
  CAsyncContext* raw = owned.release();
  extra_headers_ = headers;
  if (!OpenOn(session_.Get(), cracked, flags, timeout_ms_, raw) ||
      !WinHttpSendRequest(raw->request.Get(), extra_headers_.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : extra_headers_.c_str(),
                          extra_headers_.empty() ? 0 : static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0,
                          reinterpret_cast<DWORD_PTR>(raw))) {
    Abandon(raw);
    return false;
  }
  return true;
}

bool CServerRequest::QueueRequest(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags) {
  if (!url || !waiter) return false;
  CCrackedUrl cracked;
  if (!cracked.Crack(url)) return false;
  std::unique_ptr<CAsyncContext> context(new (std::nothrow) CAsyncContext());
  if (!context || !Prepare(context.get(), url, waiter, request_id, flags)) return false;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    // Read on the request thread when it opens the session.
    if (!shared_->callback) {
      shared_->user_agent = user_agent_;
      shared_->timeout_ms = timeout_ms_;
      shared_->callback = RequestCallback();
    }
  }
  CAsyncContext* raw = context.release();
  if (!RequestThread().Post(
          [raw, cracked, flags, headers = RequestHeaders()] { StartQueued(raw, cracked, flags, headers); },
          kGatherRequestsMs)) {
    Abandon(raw);
    return false;
  }
  queued_any_ = true;
  return true;
}

// On the request thread.
void CServerRequest::StartQueued(CAsyncContext* context, const CCrackedUrl& url, DWORD flags,
                                 const std::wstring& headers) {
  CShared* shared = context->shared.get();
  {
    std::lock_guard<std::mutex> hold(shared->lock);
    if (!shared->alive || context->generation != shared->generation) {
      delete context;  // dropped before it was sent
      return;
    }
  }
  if (!shared->session) shared->session = OpenSession(shared->user_agent, shared->timeout_ms, shared->callback);
  if (!shared->session || !OpenOn(shared->session.Get(), url, flags, shared->timeout_ms, context) ||
      !WinHttpSendRequest(context->request.Get(), headers.c_str(), static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA,
                          0, 0, reinterpret_cast<DWORD_PTR>(context)))
    Fail(context, GetLastError());
}

void CServerRequest::DropRequests() {
  std::vector<QueuedReport> reports;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    ++shared_->generation;
    shared_->in_flight = 0;
    reports.swap(shared_->reports);
  }
  DisposeAll(&reports);
}

void CServerRequest::Report(CAsyncContext* context, UINT message, LPARAM lparam) {
  const bool ends = EndsRequest(message);
  if (ends) {
    // The request's handles are done with: they close on the request thread.
    CloseLater(std::move(context->connection), std::move(context->request));
  }
  // The context may be deleted below: the shared part must outlive this call.
  std::shared_ptr<CShared> shared = context->shared;
  DWORD flush_after = 0;  // when the request thread is to post the reports
  {
    std::lock_guard<std::mutex> hold(shared->lock);
    if (shared->alive && context->generation == shared->generation) {
      if (ends) --shared->in_flight;
      shared->reports.push_back(QueuedReport{message, context, lparam});
      context = nullptr;
      // Soon when no other request of the object is in flight; otherwise the reports of the
      // others are awaited a while, so that one message tells of them all.
      if (!shared->posted) {
        if (shared->in_flight <= (ends ? 0 : 1)) {
          if (!shared->settling) {
            shared->settling = true;
            flush_after = kSettleMs;
          }
        } else if (!shared->gathering) {
          shared->gathering = true;
          flush_after = kGatherMs;
        }
      }
    }
  }
  if (context) {
    // Nobody will hear it: the request ends here.
    if (ends) delete context;
    return;
  }
  if (flush_after &&
      !RequestThread().Post([shared, flush_after] { PostReports(shared, flush_after); }, flush_after))
    PostReports(shared, flush_after);
}

void CServerRequest::PostReports(const std::shared_ptr<CShared>& shared, DWORD after) {
  HWND post_to = nullptr;
  DWORD user = 0;
  {
    std::lock_guard<std::mutex> hold(shared->lock);
    if (after == kSettleMs) shared->settling = false;
    else shared->gathering = false;
    // Without a window yet, its making delivers what waits.
    if (shared->alive && shared->window && !shared->posted && !shared->reports.empty()) {
      shared->posted = true;
      post_to = shared->window;
      user = shared->user;
    }
  }
  if (post_to && !CReplyWindow::AskDelivery(post_to, user)) {
    // The reports stay queued for the next report, and are dropped when the object goes.
    std::lock_guard<std::mutex> hold(shared->lock);
    shared->posted = false;
  }
}

void CServerRequest::DisposeAll(std::vector<QueuedReport>* reports) {
  for (const QueuedReport& report : *reports)
    if (EndsRequest(report.message)) delete report.context;
  reports->clear();
}

void CALLBACK CServerRequest::StatusCallback(HINTERNET, DWORD_PTR context_value, DWORD status, void* info,
                                             DWORD info_length) {
  auto* context = reinterpret_cast<CAsyncContext*>(context_value);
  if (!context) return;
  auto fail = [context](DWORD error) { Fail(context, error); };

  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      if (!WinHttpReceiveResponse(context->request.Get(), nullptr)) fail(GetLastError());
      break;

    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
      DWORD code = 0, code_size = sizeof(code);
      if (WinHttpQueryHeaders(context->request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &code, &code_size, WINHTTP_NO_HEADER_INDEX))
        context->http_status = code;
      if (context->success_only && (context->http_status < 200 || context->http_status > 299)) {
        fail(ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
        break;
      }
      std::wstring encoding;
      if (QueryHeader(context->request.Get(), WINHTTP_QUERY_CONTENT_ENCODING, &encoding)) {
        if (HasToken(encoding, L"gzip") || HasToken(encoding, L"x-gzip"))
          context->encoding = ENCODING_GZIP;
        else if (HasToken(encoding, L"deflate"))
          context->encoding = ENCODING_DEFLATE;
      }
      if (!WinHttpQueryDataAvailable(context->request.Get(), nullptr)) fail(GetLastError());
      break;
    }

    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE: {
      DWORD available = info && info_length >= sizeof(DWORD) ? *static_cast<DWORD*>(info) : 0;
      if (available == 0) {
        Report(context, WM_SERVER_REQUEST_COMPLETE, 0);
        break;
      }
      DWORD limit = context->BodyLimit();
      if (context->received > limit || available > limit - context->received) {
        Report(context, WM_SERVER_REQUEST_SIZE_LIMIT,
               static_cast<LPARAM>(static_cast<DWORD>(context->received + available)));
        break;
      }
      try {
        context->body.resize(context->received + available);
      } catch (...) {
        fail(ERROR_NOT_ENOUGH_MEMORY);
        break;
      }
      context->pending_read = available;
      if (!WinHttpReadData(context->request.Get(), context->body.data() + context->received, available, nullptr))
        fail(GetLastError());
      break;
    }

    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: {
      DWORD read = info_length;
      if (read == 0) {
        context->body.resize(context->received);
        Report(context, WM_SERVER_REQUEST_COMPLETE, 0);
        break;
      }
      context->received += std::min(read, context->pending_read);
      context->body.resize(context->received);
      if (!WinHttpQueryDataAvailable(context->request.Get(), nullptr)) fail(GetLastError());
      break;
    }

    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
      auto* result = static_cast<WINHTTP_ASYNC_RESULT*>(info);
      fail(result ? result->dwError : ERROR_WINHTTP_INTERNAL_ERROR);
      break;
    }

    default:
      break;
  }
}

CServerRequest::ThreadPoster CServerRequest::GetThreadPoster() {
  if (!MakeWindow()) return ThreadPoster();
  std::shared_ptr<CShared> shared = shared_;
  return [shared](std::function<void()> work) -> bool {
    if (!work) return false;
    HWND post_to = nullptr;
    DWORD user = 0;
    {
      std::lock_guard<std::mutex> hold(shared->lock);
      if (!shared->alive) return false;
      shared->tasks.push_back(std::move(work));
      if (shared->window && !shared->posted) {
        shared->posted = true;
        post_to = shared->window;
        user = shared->user;
      }
    }
    if (post_to && !CReplyWindow::AskDelivery(post_to, user)) {
      std::vector<std::function<void()>> dropped;  // destroyed outside the lock
      std::lock_guard<std::mutex> hold(shared->lock);
      shared->posted = false;
      dropped.swap(shared->tasks);
      return false;
    }
    return true;
  };
}

void CServerRequest::DeliverReports() {
  // A waiter may drop the requests or destroy this object: the shared part tells, and stays.
  std::shared_ptr<CShared> shared = shared_;
  std::vector<QueuedReport> reports;
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> hold(shared->lock);
    if (!shared->window && reply_window_) shared->window = reply_window_->Handle();  // made now
    reports.swap(shared->reports);
    tasks.swap(shared->tasks);
    shared->posted = false;
  }
  // Work handed back runs first: it may stop this object (a verdict that clears a page), and
  // then the reports below find it gone.
  for (auto& task : tasks) {
    {
      std::lock_guard<std::mutex> hold(shared->lock);
      if (!shared->alive) break;
    }
    task();
  }
  std::vector<QueuedReport> ended;
  size_t next = 0;
  for (; next < reports.size(); ++next) {
    const QueuedReport& report = reports[next];
    bool current;
    {
      std::lock_guard<std::mutex> hold(shared->lock);
      if (!shared->alive) break;  // this object is gone
      current = report.context->generation == shared->generation;
    }
    if (!current || HandleReport(report)) ended.push_back(report);
  }
  for (; next < reports.size(); ++next) ended.push_back(reports[next]);
  DisposeAll(&ended);
}

bool CServerRequest::HandleReport(const QueuedReport& report) {
  CAsyncContext* context = report.context;
  auto* waiter_ex = dynamic_cast<IRequestWaiterEx*>(context->waiter);
  switch (report.message) {
    case WM_SERVER_REQUEST_COMPLETE:
      HandleComplete(context);
      return true;
    case WM_SERVER_REQUEST_FAILED:
      context->waiter->OnRequestFailed(context->request_id, context->error);
      return true;
    case WM_SERVER_REQUEST_LENGTH:
      if (waiter_ex) waiter_ex->OnContentLength(context->request_id, static_cast<DWORD>(report.lparam));
      return false;
    case WM_SERVER_REQUEST_PROGRESS:
      if (waiter_ex) waiter_ex->OnProgress(context->request_id, static_cast<DWORD>(report.lparam));
      return false;
    case WM_SERVER_REQUEST_SIZE_LIMIT:
      HandleSizeLimit(context, static_cast<DWORD>(report.lparam));
      return true;
  }
  return true;
}

void CServerRequest::HandleSizeLimit(CAsyncContext* context, DWORD size) {
  auto* waiter_ex = dynamic_cast<IRequestWaiterEx*>(context->waiter);
  if (waiter_ex && context->HasCallerLimit())
    waiter_ex->OnSizeLimitExceeded(context->request_id, size);
  else
    context->waiter->OnRequestFailed(context->request_id, ERROR_FILE_TOO_LARGE);
}

void CServerRequest::HandleComplete(CAsyncContext* context) {
  if (context->received == 0) {
    context->waiter->OnRequestFailed(context->request_id, ERROR_NO_DATA);
    return;
  }
  if (context->encoding != ENCODING_IDENTITY) {
    std::vector<BYTE> plain;
    DWORD produced = 0;
    DWORD error = context->encoding == ENCODING_GZIP
                      ? decoder_.DecodeGzip(context->body.data(), context->received, context->BodyLimit(), &plain,
                                            &produced)
                      : decoder_.DecodeDeflate(context->body.data(), context->received, context->BodyLimit(), &plain, &produced);
    if (error == ERROR_FILE_TOO_LARGE) {
      HandleSizeLimit(context, produced);
      return;
    }
    if (error == 0 && plain.empty()) error = ERROR_NO_DATA;
    if (error) {
      context->waiter->OnRequestFailed(context->request_id, error);
      return;
    }
    context->body.swap(plain);
    context->received = static_cast<DWORD>(context->body.size());
  }
  context->waiter->OnRequestComplete(context->request_id, context->url.c_str(), context->body.data(),
                                     context->received);
}

// ---- CServerRequestEx ---------------------------------------------------------------------

bool CServerRequestEx::SendLimitedRequest(const char* url, IRequestWaiter* waiter, DWORD request_id,
                                          DWORD flags, DWORD size_limit) {
  if (!url || !waiter) return false;
  auto* context = new (std::nothrow) CAsyncContextEx();
  if (!context) return false;
  context->size_limit = size_limit;
  return SendRequestWithContext(url, waiter, request_id, flags, context);
}

void CALLBACK CServerRequestEx::StatusCallbackEx(HINTERNET handle, DWORD_PTR context_value, DWORD status,
                                                 void* info, DWORD info_length) {
  auto* context = reinterpret_cast<CAsyncContextEx*>(context_value);
  if (!context) return;
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
      std::wstring text;
      if (QueryHeader(context->request.Get(), WINHTTP_QUERY_CONTENT_LENGTH, &text) && !text.empty() &&
          text.size() <= 10 && text.find_first_not_of(L"0123456789") == std::wstring::npos) {
        unsigned long long length = wcstoull(text.c_str(), nullptr, 10);
        if (length <= 0xFFFFFFFFull)
          Report(context, WM_SERVER_REQUEST_LENGTH, static_cast<LPARAM>(length));
      }
      break;
    }
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      if (info_length > 0) {
        DWORD read = std::min(info_length, context->pending_read);
        Report(context, WM_SERVER_REQUEST_PROGRESS, static_cast<LPARAM>(static_cast<DWORD>(context->received + read)));
      }
      break;
    default:
      break;
  }
  // The size limit is the body limit of the context, checked by the common step.
  CServerRequest::StatusCallback(handle, context_value, status, info, info_length);
}

}  // namespace WebUtilsNS
