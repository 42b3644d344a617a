#include <winsock2.h>

#include "common/web/server_request.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/win/module.h"
#include "platform/win/scoped_handle.h"

namespace WebUtilsNS {

namespace {

const char kWindowClass[] = "KestrinServerRequestWindow";
const DWORD kWindowStyle = 0x56000000;  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
const wchar_t kAcceptEncoding[] = L"Accept-Encoding: gzip, deflate";

std::wstring Widen(const char* text) {
  std::wstring out;
  if (!text || !*text) return out;
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return out;
  out.resize(n);
  MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
  out.resize(n - 1);
  return out;
}

std::string Narrow(const wchar_t* text, size_t length) {
  std::string out;
  if (!text || !length) return out;
  int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(n);
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &out[0], n, nullptr, nullptr);
  return out;
}

bool RegisterRequestWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.lpszClassName = kWindowClass;
    return KestrinWinNS::CWindowBase::RegisterWindowClass(wc);
  }();
  return registered;
}

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

// The lock and wake-up of the request thread: an SRW lock and a condition variable where the
// system has them (Windows Vista on; Wine wakes a waiting thread through them in about a
// microsecond), else a critical section and an event (a server call under Wine: tens of
// microseconds, hundreds when the machine is busy).
class CWakeLock {
 public:
  CWakeLock() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    acquire_ = reinterpret_cast<SrwFn>(GetProcAddress(kernel, "AcquireSRWLockExclusive"));
    release_ = reinterpret_cast<SrwFn>(GetProcAddress(kernel, "ReleaseSRWLockExclusive"));
    sleep_ = reinterpret_cast<SleepFn>(GetProcAddress(kernel, "SleepConditionVariableSRW"));
    wake_ = reinterpret_cast<WakeFn>(GetProcAddress(kernel, "WakeConditionVariable"));
    if (!acquire_ || !release_ || !sleep_ || !wake_) {
      acquire_ = release_ = nullptr;
      InitializeCriticalSection(&section_);
      event_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    }
  }
  ~CWakeLock() {
    if (!acquire_) DeleteCriticalSection(&section_);
  }
  CWakeLock(const CWakeLock&) = delete;
  CWakeLock& operator=(const CWakeLock&) = delete;

  // False when the thread cannot be woken.
  bool usable() const { return acquire_ || event_; }
  void Lock() {
    if (acquire_) acquire_(&srw_);
    else EnterCriticalSection(&section_);
  }
  void Unlock() {
    if (release_) release_(&srw_);
    else LeaveCriticalSection(&section_);
  }
  // With the lock held; it is held again on return.
  void Wait(DWORD ms) {
    if (acquire_) {
      sleep_(&condition_, &srw_, ms, 0);
      return;
    }
    LeaveCriticalSection(&section_);
    WaitForSingleObject(event_.Get(), ms);
    EnterCriticalSection(&section_);
  }
  void Wake() {
    if (acquire_) wake_(&condition_);
    else SetEvent(event_.Get());
  }

 private:
  typedef void(WINAPI* SrwFn)(void*);
  typedef BOOL(WINAPI* SleepFn)(void*, void*, DWORD, ULONG);
  typedef void(WINAPI* WakeFn)(void*);
  SrwFn acquire_ = nullptr, release_ = nullptr;
  SleepFn sleep_ = nullptr;
  WakeFn wake_ = nullptr;
  void* srw_ = nullptr;        // SRWLOCK_INIT
  void* condition_ = nullptr;  // CONDITION_VARIABLE_INIT
  CRITICAL_SECTION section_;
  KestrinWinNS::CScopedKernelHandle event_;
};

class CWakeLockHold {
 public:
  explicit CWakeLockHold(CWakeLock& lock) : lock_(lock) { lock_.Lock(); }
  ~CWakeLockHold() { lock_.Unlock(); }
  CWakeLockHold(const CWakeLockHold&) = delete;
  CWakeLockHold& operator=(const CWakeLockHold&) = delete;

 private:
  CWakeLock& lock_;
};

// The process's request thread: it opens and sends the requests handed over with QueueRequest,
// closes the handles of requests that ended and tells request objects of reports held back,
// so that neither the threads queueing requests nor WinHTTP's own threads wait on that work
// (under Wine a send costs from tens of microseconds to milliseconds). Started with the first
// work, it holds this module loaded while it runs and ends after a while without work.
class CRequestThread {
 public:
  static CRequestThread& Instance() {
    static CRequestThread thread;
    return thread;
  }

  // Runs `work` on the thread, after `delay_ms` at the earliest.
  bool Post(std::function<void()> work, DWORD delay_ms = 0) {
    CWakeLockHold hold(lock_);
    if (!lock_.usable()) return false;
    if (!running_) {
      HMODULE module = nullptr;
      if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&Main), &module))
        return false;
      KestrinWinNS::CScopedKernelHandle thread(
          CreateThread(nullptr, 64 * 1024, &Main, module, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
      if (!thread) {
        FreeLibrary(module);
        return false;
      }
      running_ = true;
    }
    if (delay_ms) later_.push_back(Later{GetTickCount() + delay_ms, std::move(work)});
    else queue_.push_back(std::move(work));
    // A busy thread looks at its work again before it waits.
    if (idle_) lock_.Wake();
    return true;
  }

 private:
  static const DWORD kIdleMs = 10000;

  struct Later {
    DWORD due;
    std::function<void()> work;
  };

  static DWORD WINAPI Main(void* module) {
    Instance().Run();
    // The module may be unloaded as soon as this thread lets go of it.
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
    return 0;
  }

  // Takes the next work due, with the lock held; the time to wait for more when there is none.
  std::function<void()> Next(DWORD* wait) {
    *wait = kIdleMs;
    DWORD now = GetTickCount();
    for (auto later = later_.begin(); later != later_.end(); ++later) {
      LONG left = static_cast<LONG>(later->due - now);
      if (left <= 0) {
        std::function<void()> work = std::move(later->work);
        later_.erase(later);
        return work;
      }
      *wait = std::min(*wait, static_cast<DWORD>(left));
    }
    std::function<void()> work;
    if (!queue_.empty()) {
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    return work;
  }

  void Run() {
    CWakeLockHold hold(lock_);
    for (;;) {
      DWORD wait;
      std::function<void()> work = Next(&wait);
      if (work) {
        lock_.Unlock();
        try {
          work();
        } catch (...) {
        }
        work = nullptr;  // what it holds goes before the lock is taken again
        lock_.Lock();
        continue;
      }
      if (wait < kIdleMs) {
        idle_ = true;
        lock_.Wait(wait);
        idle_ = false;
        continue;
      }
      idle_ = true;
      lock_.Wait(kIdleMs);
      idle_ = false;
      if (queue_.empty() && later_.empty()) {
        running_ = false;
        return;
      }
    }
  }

  CWakeLock lock_;
  std::deque<std::function<void()>> queue_;
  std::vector<Later> later_;
  bool running_ = false;
  bool idle_ = false;  // the thread waits to be woken
};

// How long work handed to the background worker waits on the request thread.
const DWORD kHandOverMs = 2;

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
void CloseLater(HINTERNET connection, HINTERNET request) {
  if (!connection && !request) return;
  auto close = [connection, request] {
    if (request) WinHttpCloseHandle(request);
    if (connection) WinHttpCloseHandle(connection);
  };
  if (!CRequestThread::Instance().Post(close, kCloseAfterMs)) close();
}

}  // namespace

// What a request object shares with its requests in flight and with the request thread: the
// reports that wait for the object's thread, and the session of its queued requests.
struct CServerRequest::CShared {
  ~CShared() {
    if (session) {
      WinHttpSetStatusCallback(session, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
      WinHttpCloseHandle(session);
    }
  }

  std::mutex lock;
  HWND window = nullptr;  // null once the object is gone
  DWORD generation = 0;   // DropRequests begins a new one: reports of older ones are dropped
  int in_flight = 0;      // requests of the generation that have not ended
  bool posted = false;    // a WM_SERVER_REQUEST_RESULTS message is on its way
  bool gathering = false;  // the request thread will post the reports held back
  bool settling = false;   // the same, soon
  std::vector<QueuedReport> reports;
  std::vector<std::function<void()>> tasks;  // work handed back through a thread poster
  // The queued requests' session, opened and used on the request thread.
  HINTERNET session = nullptr;
  std::wstring user_agent;
  WINHTTP_STATUS_CALLBACK callback = nullptr;
};

namespace {

struct OwnThreadWork {
  std::function<void()> work;
  HMODULE module;
};

DWORD WINAPI RunOwnThread(void* param) {
  std::unique_ptr<OwnThreadWork> job(static_cast<OwnThreadWork*>(param));
  HMODULE module = job->module;
  try {
    job->work();
  } catch (...) {
  }
  job.reset();
  // The module may be unloaded as soon as this thread lets go of it.
  FreeLibraryAndExitThread(module, 0);
  return 0;
}

bool StartOwnThread(std::function<void()> work) {
  std::unique_ptr<OwnThreadWork> job(new OwnThreadWork{std::move(work), nullptr});
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&RunOwnThread),
                          &job->module))
    return false;
  HMODULE module = job->module;
  KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 64 * 1024, &RunOwnThread, job.get(),
                                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) {
    FreeLibrary(module);
    return false;
  }
  job.release();
  return true;
}

}  // namespace

bool RunOnThreadOfItsOwn(std::function<void()> work) {
  if (!work) return false;
  return CRequestThread::Instance().Post([work] {
    if (!StartOwnThread(work) && !KestrinWinNS::RunInBackground(work)) work();
  });
}

bool HandToBackground(std::function<void()> work) {
  if (!work) return false;
  // A moment later: the browser's thread hands work over in bursts (a navigation's events),
  // and the worker's start would contend with the rest of the burst.
  return CRequestThread::Instance().Post(
      [work] {
        if (!KestrinWinNS::RunInBackground(work)) work();
      },
      kHandOverMs);
}

std::string LoadResourceString(UINT id) {
  const wchar_t* text = nullptr;
  int n = LoadStringW(KestrinWinNS::CodeModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
  if (n <= 0 || !text) return std::string();
  return Narrow(text, n);
}

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
  Clear();
  if (!url || !*url) return false;
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url, 0, 0, &parts)) return false;
  if (parts.nScheme == INTERNET_SCHEME_HTTP) {
    scheme = URL_SCHEME_HTTP;
  } else if (parts.nScheme == INTERNET_SCHEME_HTTPS) {
    scheme = URL_SCHEME_HTTPS;
  } else {
    return false;
  }
  if (!parts.lpszHostName || parts.dwHostNameLength == 0) {
    Clear();
    return false;
  }
  host.assign(parts.lpszHostName, parts.dwHostNameLength);
  port = parts.nPort;
  if (parts.lpszUrlPath) path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) extra.assign(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  return true;
}

// ---- CServerRequestBase -------------------------------------------------------------------

CServerRequestBase::CAsyncContextBase::~CAsyncContextBase() {
  if (request) WinHttpCloseHandle(request);
  if (connection) WinHttpCloseHandle(connection);
  request = nullptr;
  connection = nullptr;
}

// The hidden window is made with the first request: most request objects of a browser window
// never send one.
CServerRequestBase::CServerRequestBase(const char* user_agent) : user_agent_(Widen(user_agent)) {}

CServerRequestBase::CServerRequestBase(UINT user_agent_resource)
    : user_agent_(Widen(LoadResourceString(user_agent_resource).c_str())) {}

bool CServerRequestBase::MakeWindow() {
  if (!GetHwnd() && RegisterRequestWindowClass()) Create(kWindowClass, 0, kWindowStyle, RECT{}, HWND_MESSAGE);
  return GetHwnd() != nullptr;
}

CServerRequestBase::~CServerRequestBase() {
  if (GetHwnd()) {
    // Results already posted are dropped unheard; their contexts are freed here.
    MSG msg;
    while (PeekMessageA(&msg, GetHwnd(), WM_SERVER_REQUEST_COMPLETE, WM_SERVER_REQUEST_SIZE_LIMIT, PM_REMOVE)) {
      if (msg.message != WM_SERVER_REQUEST_LENGTH && msg.message != WM_SERVER_REQUEST_PROGRESS)
        delete reinterpret_cast<CAsyncContextBase*>(msg.wParam);
    }
    DestroyUnbound();
  }
  CloseSession();
}

void CServerRequestBase::CloseSession() {
  if (!session_) return;
  WinHttpSetStatusCallback(session_, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
  WinHttpCloseHandle(session_);
  session_ = nullptr;
}

BOOL CServerRequestBase::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) {
  return FALSE;
}


bool CServerRequestBase::InstallStatusCallback(WINHTTP_STATUS_CALLBACK callback) {
  if (WinHttpSetStatusCallback(session_, callback, WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS, 0) ==
      WINHTTP_INVALID_STATUS_CALLBACK) {
    CloseSession();
    return false;
  }
  return true;
}

void CServerRequestBase::PostOrDestroy(HWND window, UINT message, CAsyncContextBase* context, LPARAM lparam) {
  if (!PostMessageA(window, message, reinterpret_cast<WPARAM>(context), lparam)) {
    // The owner is gone: nobody will handle the final message. Progress messages carry no
    // ownership; a request whose window went away also ends with its next final message.
    if (message != WM_SERVER_REQUEST_LENGTH && message != WM_SERVER_REQUEST_PROGRESS) delete context;
  }
}

bool CServerRequestBase::OpenRequest(const char* url, DWORD flags, CAsyncContextBase* context) {
  if (!url || !context) return false;
  if (!MakeWindow()) return false;
  if (!session_) {
    session_ = WinHttpOpen(user_agent_.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                           WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!session_) return false;
    int t = static_cast<int>(timeout_ms_);
    if (!WinHttpSetTimeouts(session_, t, t, t, t)) {
      CloseSession();
      return false;
    }
    if (!SetStatusCallback()) return false;
  }
  if (!url_.Crack(url)) return false;
  return OpenOn(session_, url_, flags, timeout_ms_, context);
}

bool CServerRequestBase::OpenOn(HINTERNET session, const CCrackedUrl& url, DWORD flags, DWORD timeout_ms,
                                CAsyncContextBase* context) {
  // The URL's own port: WinHttpCrackUrl already put the scheme's default there when the URL
  // names none, so http://host:443/ goes to 443 and https://host/ to 443.
  context->connection = WinHttpConnect(session, url.host.c_str(), url.port, 0);
  if (!context->connection) return false;

  std::wstring object = url.path + url.extra;
  size_t fragment = object.find(L'#');
  if (fragment != std::wstring::npos) object.resize(fragment);  // never sent to the server
  if (object.empty()) object = L"/";
  DWORD open_flags = 0;
  if (flags & REQUEST_FLAG_REFRESH) open_flags |= WINHTTP_FLAG_REFRESH;
  if ((flags & REQUEST_FLAG_SECURE) || url.scheme == URL_SCHEME_HTTPS) open_flags |= WINHTTP_FLAG_SECURE;
  context->request = WinHttpOpenRequest(context->connection, L"GET", object.c_str(), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, open_flags);
  if (!context->request) return false;
  // Waiting for the response headers counts as receiving (Wine's WinHTTP keeps a separate
  // time-out for it that WinHttpSetTimeouts does not change).
  DWORD receive_timeout = timeout_ms;
  WinHttpSetOption(context->request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &receive_timeout,
                   sizeof(receive_timeout));

  if (flags & REQUEST_FLAG_NO_REDIRECTS) {
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    if (!WinHttpSetOption(context->request, WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof(feature)))
      return false;
  }
  return true;
}

// ---- CServerRequest -----------------------------------------------------------------------

void CServerRequest::ZStreamDeleter::operator()(z_stream_s* stream) const {
  delete stream;
}

CServerRequest::CAsyncContext::~CAsyncContext() {}

CServerRequest::CServerRequest(const char* user_agent)
    : CServerRequestBase(user_agent), shared_(std::make_shared<CShared>()) {}

CServerRequest::CServerRequest(UINT user_agent_resource)
    : CServerRequestBase(user_agent_resource), shared_(std::make_shared<CShared>()) {}

CServerRequest::~CServerRequest() {
  std::vector<QueuedReport> reports;
  std::vector<std::function<void()>> tasks;  // dropped unrun, outside the lock
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->window = nullptr;
    reports.swap(shared_->reports);
    tasks.swap(shared_->tasks);
  }
  DisposeAll(&reports);
  // The queued requests' session is closed on the request thread, where it was opened.
  if (queued_any_) {
    std::shared_ptr<CShared> shared = std::move(shared_);
    CRequestThread::Instance().Post([shared] {});
  }
}

bool CServerRequest::SetStatusCallback() {
  return InstallStatusCallback(&CServerRequest::StatusCallback);
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
  if (!OpenRequest(url, flags, owned.get())) return false;
  owned->waiter = waiter;
  owned->request_id = request_id;
  owned->url = url;
  owned->received = 0;
  owned->body.clear();
  owned->success_only = (flags & REQUEST_FLAG_HTTP_SUCCESS) != 0;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->window = GetHwnd();
    owned->generation = shared_->generation;
    ++shared_->in_flight;
  }
  owned->shared = shared_;

  extra_headers_ = RequestHeaders();
  CAsyncContext* raw = owned.release();
  if (!WinHttpSendRequest(raw->request, extra_headers_.c_str(), static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA,
                          0, 0, reinterpret_cast<DWORD_PTR>(raw))) {
    {
      std::lock_guard<std::mutex> hold(shared_->lock);
      if (raw->generation == shared_->generation) --shared_->in_flight;
    }
    delete raw;
    return false;
  }
  return true;
}

bool CServerRequest::QueueRequest(const char* url, IRequestWaiter* waiter, DWORD request_id, DWORD flags) {
  if (!url || !waiter) return false;
  CCrackedUrl cracked;
  if (!cracked.Crack(url) || !MakeWindow()) return false;
  std::unique_ptr<CAsyncContext> context(new (std::nothrow) CAsyncContext());
  if (!context) return false;
  context->waiter = waiter;
  context->request_id = request_id;
  context->url = url;
  context->success_only = (flags & REQUEST_FLAG_HTTP_SUCCESS) != 0;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->window = GetHwnd();
    context->generation = shared_->generation;
    ++shared_->in_flight;
    // Read on the request thread when it opens the session (this object's settings).
    if (!shared_->callback) {
      shared_->user_agent = user_agent_;
      shared_->callback = RequestCallback();
    }
  }
  context->shared = shared_;
  CAsyncContext* raw = context.release();
  const DWORD timeout = timeout_ms();
  if (!CRequestThread::Instance().Post(
          [raw, cracked, flags, timeout, headers = RequestHeaders()] {
            StartQueued(raw, cracked, flags, timeout, headers);
          },
          kGatherRequestsMs)) {
    {
      std::lock_guard<std::mutex> hold(shared_->lock);
      if (raw->generation == shared_->generation) --shared_->in_flight;
    }
    delete raw;
    return false;
  }
  queued_any_ = true;
  return true;
}

// On the request thread.
void CServerRequest::StartQueued(CAsyncContext* context, const CCrackedUrl& url, DWORD flags, DWORD timeout_ms,
                                 const std::wstring& headers) {
  CShared* shared = context->shared.get();
  {
    std::lock_guard<std::mutex> hold(shared->lock);
    if (!shared->window || context->generation != shared->generation) {
      delete context;  // dropped before it was sent
      return;
    }
  }
  if (!shared->session) {
    HINTERNET session = WinHttpOpen(shared->user_agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    int t = static_cast<int>(timeout_ms);
    if (session && (!WinHttpSetTimeouts(session, t, t, t, t) ||
                    WinHttpSetStatusCallback(session, shared->callback, WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS, 0) ==
                        WINHTTP_INVALID_STATUS_CALLBACK)) {
      DWORD error = GetLastError();
      WinHttpCloseHandle(session);
      session = nullptr;
      SetLastError(error);
    }
    shared->session = session;
  }
  if (!shared->session || !OpenOn(shared->session, url, flags, timeout_ms, context) ||
      !WinHttpSendRequest(context->request, headers.c_str(), static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0,
                          reinterpret_cast<DWORD_PTR>(context))) {
    DWORD error = GetLastError();
    context->error = error ? error : ERROR_WINHTTP_INTERNAL_ERROR;
    Report(context, WM_SERVER_REQUEST_FAILED, 0);
  }
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

namespace {

bool EndsRequest(UINT message) {
  return message != WM_SERVER_REQUEST_LENGTH && message != WM_SERVER_REQUEST_PROGRESS;
}

}  // namespace

void CServerRequest::Report(CAsyncContext* context, UINT message, LPARAM lparam) {
  const bool ends = EndsRequest(message);
  if (ends) {
    // The request's handles are done with: they close on the request thread.
    CloseLater(context->connection, context->request);
    context->connection = nullptr;
    context->request = nullptr;
  }
  // The context may be deleted below: the shared part must outlive this call.
  std::shared_ptr<CShared> shared = context->shared;
  DWORD flush_after = 0;  // when the request thread is to post the reports
  {
    std::lock_guard<std::mutex> hold(shared->lock);
    if (shared->window && context->generation == shared->generation) {
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
      !CRequestThread::Instance().Post([shared, flush_after] { PostReports(shared, flush_after); }, flush_after))
    PostReports(shared, flush_after);
}

void CServerRequest::PostReports(const std::shared_ptr<CShared>& shared, DWORD after) {
  HWND post_to = nullptr;
  {
    std::lock_guard<std::mutex> hold(shared->lock);
    if (after == kSettleMs) shared->settling = false;
    else shared->gathering = false;
    if (shared->window && !shared->posted && !shared->reports.empty()) {
      shared->posted = true;
      post_to = shared->window;
    }
  }
  if (post_to && !PostMessageA(post_to, WM_SERVER_REQUEST_RESULTS, 0, 0)) {
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
  auto fail = [context](DWORD error) {
    // Wine reports a receive time-out with the socket's error number; waiters expect WinHTTP's.
    if (error == WSAETIMEDOUT) error = ERROR_WINHTTP_TIMEOUT;
    context->error = error ? error : ERROR_WINHTTP_INTERNAL_ERROR;
    Report(context, WM_SERVER_REQUEST_FAILED, 0);
  };

  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      if (!WinHttpReceiveResponse(context->request, nullptr)) fail(GetLastError());
      break;

    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
      DWORD code = 0, code_size = sizeof(code);
      if (WinHttpQueryHeaders(context->request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &code, &code_size, WINHTTP_NO_HEADER_INDEX))
        context->http_status = code;
      if (context->success_only && (context->http_status < 200 || context->http_status > 299)) {
        fail(ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
        break;
      }
      std::wstring encoding;
      if (QueryHeader(context->request, WINHTTP_QUERY_CONTENT_ENCODING, &encoding)) {
        if (HasToken(encoding, L"gzip") || HasToken(encoding, L"x-gzip"))
          context->encoding = ENCODING_GZIP;
        else if (HasToken(encoding, L"deflate"))
          context->encoding = ENCODING_DEFLATE;
      }
      if (!WinHttpQueryDataAvailable(context->request, nullptr)) fail(GetLastError());
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
      if (!WinHttpReadData(context->request, context->body.data() + context->received, available, nullptr))
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
      if (!WinHttpQueryDataAvailable(context->request, nullptr)) fail(GetLastError());
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

BOOL CServerRequest::ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                          LRESULT& result) {
  if (message != WM_SERVER_REQUEST_RESULTS)
    return CServerRequestBase::ProcessWindowMessage(window, message, wparam, lparam, result);
  result = 0;
  DeliverReports();
  return TRUE;
}

CServerRequest::ThreadPoster CServerRequest::GetThreadPoster() {
  if (!MakeWindow()) return ThreadPoster();
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->window = GetHwnd();
  }
  std::shared_ptr<CShared> shared = shared_;
  return [shared](std::function<void()> work) -> bool {
    if (!work) return false;
    HWND post_to = nullptr;
    {
      std::lock_guard<std::mutex> hold(shared->lock);
      if (!shared->window) return false;
      shared->tasks.push_back(std::move(work));
      if (!shared->posted) {
        shared->posted = true;
        post_to = shared->window;
      }
    }
    if (post_to && !PostMessageA(post_to, WM_SERVER_REQUEST_RESULTS, 0, 0)) {
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
    reports.swap(shared->reports);
    tasks.swap(shared->tasks);
    shared->posted = false;
  }
  // Work handed back runs first: it may stop this object (a verdict that clears a page), and
  // then the reports below find it gone.
  for (auto& task : tasks) {
    {
      std::lock_guard<std::mutex> hold(shared->lock);
      if (!shared->window) break;
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
      if (!shared->window) break;  // this object is gone
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
                      ? DecodeGzip(context->body.data(), context->received, context->BodyLimit(), &plain, &produced)
                      : DecodeDeflate(context->body.data(), context->received, context->BodyLimit(), &plain, &produced);
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

DWORD CServerRequest::Inflate(const BYTE* data, size_t size, int window_bits, DWORD limit,
                              std::vector<BYTE>* out, DWORD* produced, size_t* consumed) {
  out->clear();
  *produced = 0;
  if (!zstream_) {
    zstream_.reset(new (std::nothrow) z_stream_s());
    if (!zstream_) return ERROR_NOT_ENOUGH_MEMORY;
  }
  z_stream* zs = zstream_.get();
  std::memset(zs, 0, sizeof(*zs));
  if (inflateInit2(zs, window_bits) != Z_OK) return ERROR_NOT_ENOUGH_MEMORY;
  zs->next_in = const_cast<Bytef*>(data);
  zs->avail_in = static_cast<uInt>(size);

  DWORD error = 0;
  BYTE chunk[16384];
  for (;;) {
    zs->next_out = chunk;
    zs->avail_out = sizeof(chunk);
    int rc = inflate(zs, Z_NO_FLUSH);
    size_t got = sizeof(chunk) - zs->avail_out;
    if (got) {
      if (out->size() + got > limit) {
        *produced = static_cast<DWORD>(std::min<size_t>(out->size() + got, 0xFFFFFFFFu));
        error = ERROR_FILE_TOO_LARGE;
        break;
      }
      try {
        out->insert(out->end(), chunk, chunk + got);
      } catch (...) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        break;
      }
    }
    if (rc == Z_STREAM_END) break;
    if (rc == Z_BUF_ERROR && got == 0) {  // input ended before the stream did
      error = ERROR_INVALID_DATA;
      break;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      error = rc == Z_MEM_ERROR ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_DATA;
      break;
    }
  }
  if (consumed) *consumed = size - zs->avail_in;
  if (!error) *produced = static_cast<DWORD>(out->size());
  inflateEnd(zs);
  if (error != 0 && error != ERROR_FILE_TOO_LARGE) out->clear();
  return error;
}

DWORD CServerRequest::DecodeGzip(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out,
                                 DWORD* produced) {
  *produced = 0;
  if (!data || size < 18 || data[0] != 0x1F || data[1] != 0x8B || data[2] != 8) return ERROR_INVALID_DATA;
  BYTE flags = data[3];
  size_t pos = 10;
  if (flags & 0x04) {
    if (pos + 2 > size) return ERROR_INVALID_DATA;
    size_t extra = data[pos] | (data[pos + 1] << 8);
    pos += 2 + extra;
  }
  for (BYTE flag : {BYTE(0x08), BYTE(0x10)}) {
    if (!(flags & flag)) continue;
    while (pos < size && data[pos] != 0) ++pos;
    ++pos;  // the terminator
  }
  if (flags & 0x02) pos += 2;  // header CRC
  if (pos + 8 > size) return ERROR_INVALID_DATA;

  size_t consumed = 0;
  DWORD error = Inflate(data + pos, size - pos, -15, limit, out, produced, &consumed);
  if (error) return error;
  // The trailer: CRC-32 and length of the plain data, both little-endian.
  size_t trailer = pos + consumed;
  if (trailer + 8 > size) return ERROR_INVALID_DATA;
  auto le32 = [&](size_t at) {
    return static_cast<DWORD>(data[at]) | (static_cast<DWORD>(data[at + 1]) << 8) |
           (static_cast<DWORD>(data[at + 2]) << 16) | (static_cast<DWORD>(data[at + 3]) << 24);
  };
  DWORD crc = static_cast<DWORD>(crc32(0L, out->data(), static_cast<uInt>(out->size())));
  if (le32(trailer) != crc || le32(trailer + 4) != static_cast<DWORD>(out->size())) {
    out->clear();
    *produced = 0;
    return ERROR_INVALID_DATA;
  }
  return 0;
}

DWORD CServerRequest::DecodeDeflate(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out,
                                    DWORD* produced) {
  *produced = 0;
  if (!data || size == 0) return ERROR_INVALID_DATA;
  // "deflate" is zlib-wrapped by the standard, raw by many servers: take the wrapper when the
  // first two bytes are a valid zlib header, and fall back to raw when that does not decode.
  bool zlib_header = size >= 2 && (data[0] & 0x0F) == 8 && (data[0] >> 4) <= 7 &&
                     ((data[0] << 8) | data[1]) % 31 == 0;
  if (zlib_header) {
    DWORD error = Inflate(data, size, 15, limit, out, produced, nullptr);
    if (error != ERROR_INVALID_DATA) return error;
  }
  return Inflate(data, size, -15, limit, out, produced, nullptr);
}

// ---- CServerRequestEx ---------------------------------------------------------------------

bool CServerRequestEx::SetStatusCallback() {
  return InstallStatusCallback(&CServerRequestEx::StatusCallbackEx);
}

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
      if (QueryHeader(context->request, WINHTTP_QUERY_CONTENT_LENGTH, &text) && !text.empty() &&
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
