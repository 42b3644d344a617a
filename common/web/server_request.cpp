#include <winsock2.h>

#include "common/web/server_request.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/win/module.h"

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

}  // namespace

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

void CServerRequestBase::CreateMessageWindow() {
  if (RegisterRequestWindowClass()) Create(kWindowClass, 0, kWindowStyle, RECT{}, HWND_MESSAGE);
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
  if (!GetHwnd()) CreateMessageWindow();
  if (!GetHwnd()) return false;
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

  // The URL's own port: WinHttpCrackUrl already put the scheme's default there when the URL
  // names none, so http://host:443/ goes to 443 and https://host/ to 443.
  context->connection = WinHttpConnect(session_, url_.host.c_str(), url_.port, 0);
  if (!context->connection) return false;

  std::wstring object = url_.path + url_.extra;
  size_t fragment = object.find(L'#');
  if (fragment != std::wstring::npos) object.resize(fragment);  // never sent to the server
  if (object.empty()) object = L"/";
  DWORD open_flags = 0;
  if (flags & REQUEST_FLAG_REFRESH) open_flags |= WINHTTP_FLAG_REFRESH;
  if ((flags & REQUEST_FLAG_SECURE) || url_.scheme == URL_SCHEME_HTTPS) open_flags |= WINHTTP_FLAG_SECURE;
  context->request = WinHttpOpenRequest(context->connection, L"GET", object.c_str(), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, open_flags);
  if (!context->request) return false;
  // Waiting for the response headers counts as receiving (Wine's WinHTTP keeps a separate
  // time-out for it that WinHttpSetTimeouts does not change).
  DWORD receive_timeout = timeout_ms_;
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

CServerRequest::~CServerRequest() {}

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

bool CServerRequest::SendRequestWithContext(const char* url, IRequestWaiter* waiter, DWORD request_id,
                                            DWORD flags, CAsyncContext* context) {
  std::unique_ptr<CAsyncContext> owned(context ? context : new (std::nothrow) CAsyncContext());
  if (!owned || !url || !waiter) return false;
  if (!OpenRequest(url, flags, owned.get())) return false;
  owned->waiter = waiter;
  owned->request_id = request_id;
  owned->url = url;
  owned->window = GetHwnd();
  owned->received = 0;
  owned->body.clear();
  owned->success_only = (flags & REQUEST_FLAG_HTTP_SUCCESS) != 0;

  // The caller's lines, then one Accept-Encoding line per request ("%s\r\n").
  extra_headers_ = caller_headers_;
  extra_headers_ += kAcceptEncoding;
  extra_headers_ += L"\r\n";
  CAsyncContext* raw = owned.release();
  if (!WinHttpSendRequest(raw->request, extra_headers_.c_str(), static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA,
                          0, 0, reinterpret_cast<DWORD_PTR>(raw))) {
    delete raw;
    return false;
  }
  return true;
}

void CALLBACK CServerRequest::StatusCallback(HINTERNET, DWORD_PTR context_value, DWORD status, void* info,
                                             DWORD info_length) {
  auto* context = reinterpret_cast<CAsyncContext*>(context_value);
  if (!context) return;
  auto fail = [context](DWORD error) {
    // Wine reports a receive time-out with the socket's error number; waiters expect WinHTTP's.
    if (error == WSAETIMEDOUT) error = ERROR_WINHTTP_TIMEOUT;
    context->error = error ? error : ERROR_WINHTTP_INTERNAL_ERROR;
    PostOrDestroy(context->window, WM_SERVER_REQUEST_FAILED, context, 0);
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
        PostOrDestroy(context->window, WM_SERVER_REQUEST_COMPLETE, context, 0);
        break;
      }
      DWORD limit = context->BodyLimit();
      if (context->received > limit || available > limit - context->received) {
        PostOrDestroy(context->window, WM_SERVER_REQUEST_SIZE_LIMIT, context,
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
        PostOrDestroy(context->window, WM_SERVER_REQUEST_COMPLETE, context, 0);
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
  if (message < WM_SERVER_REQUEST_COMPLETE || message > WM_SERVER_REQUEST_SIZE_LIMIT)
    return CServerRequestBase::ProcessWindowMessage(window, message, wparam, lparam, result);
  auto* context = reinterpret_cast<CAsyncContext*>(wparam);
  result = 0;
  if (!context) return TRUE;
  auto* waiter_ex = dynamic_cast<IRequestWaiterEx*>(context->waiter);
  switch (message) {
    case WM_SERVER_REQUEST_COMPLETE:
      HandleComplete(context);
      break;
    case WM_SERVER_REQUEST_FAILED: {
      std::unique_ptr<CAsyncContext> done(context);
      done->waiter->OnRequestFailed(done->request_id, done->error);
      break;
    }
    case WM_SERVER_REQUEST_LENGTH:
      if (waiter_ex) waiter_ex->OnContentLength(context->request_id, static_cast<DWORD>(lparam));
      break;
    case WM_SERVER_REQUEST_PROGRESS:
      if (waiter_ex) waiter_ex->OnProgress(context->request_id, static_cast<DWORD>(lparam));
      break;
    case WM_SERVER_REQUEST_SIZE_LIMIT:
      HandleSizeLimit(context, static_cast<DWORD>(lparam));
      break;
  }
  return TRUE;
}

void CServerRequest::HandleSizeLimit(CAsyncContext* context, DWORD size) {
  std::unique_ptr<CAsyncContext> done(context);
  auto* waiter_ex = dynamic_cast<IRequestWaiterEx*>(done->waiter);
  if (waiter_ex && done->HasCallerLimit())
    waiter_ex->OnSizeLimitExceeded(done->request_id, size);
  else
    done->waiter->OnRequestFailed(done->request_id, ERROR_FILE_TOO_LARGE);
}

void CServerRequest::HandleComplete(CAsyncContext* context) {
  std::unique_ptr<CAsyncContext> done(context);
  if (done->received == 0) {
    done->waiter->OnRequestFailed(done->request_id, ERROR_NO_DATA);
    return;
  }
  if (done->encoding != ENCODING_IDENTITY) {
    std::vector<BYTE> plain;
    DWORD produced = 0;
    DWORD error = done->encoding == ENCODING_GZIP
                      ? DecodeGzip(done->body.data(), done->received, done->BodyLimit(), &plain, &produced)
                      : DecodeDeflate(done->body.data(), done->received, done->BodyLimit(), &plain, &produced);
    if (error == ERROR_FILE_TOO_LARGE) {
      done.release();
      HandleSizeLimit(context, produced);
      return;
    }
    if (error == 0 && plain.empty()) error = ERROR_NO_DATA;
    if (error) {
      done->waiter->OnRequestFailed(done->request_id, error);
      return;
    }
    done->body.swap(plain);
    done->received = static_cast<DWORD>(done->body.size());
  }
  done->waiter->OnRequestComplete(done->request_id, done->url.c_str(), done->body.data(), done->received);
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
          PostOrDestroy(context->window, WM_SERVER_REQUEST_LENGTH, context, static_cast<LPARAM>(length));
      }
      break;
    }
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      if (info_length > 0) {
        DWORD read = std::min(info_length, context->pending_read);
        PostOrDestroy(context->window, WM_SERVER_REQUEST_PROGRESS, context,
                      static_cast<LPARAM>(static_cast<DWORD>(context->received + read)));
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
