// The asynchronous HTTP client against the local test service.
#include "common/web/server_request.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/web/body_decoder.h"
#include "common/web/reply_window.h"
#include "tools/testservice/test_env.h"

using namespace WebUtilsNS;
using KestrinTest::PumpFor;
using KestrinTest::PumpUntil;
using KestrinTest::ServiceUrl;

namespace {

const DWORD kWait = 20000;

// What the service's compressed routes carry.
std::string ServiceText() {
  std::string text;
  char line[80];
  for (int i = 0; i < 200; ++i) {
    std::snprintf(line, sizeof(line), "Line %04d: the quick brown fox jumps over the lazy dog.\n", i);
    text += line;
  }
  return text;
}

std::string Pattern(size_t size) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<char>(i % 251);
  return out;
}

// Records every call; `ends` counts the calls that end a request.
class RecordingWaiter : public IRequestWaiterEx {
 public:
  void OnRequestComplete(DWORD id, const char* url, const BYTE* body, DWORD length) override {
    ++completes;
    ++ends;
    last_id = id;
    this->url = url ? url : "";
    this->body.assign(reinterpret_cast<const char*>(body), length);
    thread = GetCurrentThreadId();
  }
  void OnRequestFailed(DWORD id, DWORD error) override {
    ++failures;
    ++ends;
    last_id = id;
    this->error = error;
    thread = GetCurrentThreadId();
  }
  void OnContentLength(DWORD, DWORD length) override { content_length = length; }
  void OnProgress(DWORD, DWORD received) override {
    ++progress_calls;
    if (received < last_progress) progress_went_back = true;
    last_progress = received;
  }
  void OnSizeLimitExceeded(DWORD id, DWORD size) override {
    ++limits;
    ++ends;
    last_id = id;
    limit_size = size;
  }

  bool Wait() { return PumpUntil([this] { return ends > 0; }, kWait); }

  int ends = 0, completes = 0, failures = 0, limits = 0, progress_calls = 0;
  DWORD last_id = 0, error = 0, content_length = 0, last_progress = 0, limit_size = 0, thread = 0;
  bool progress_went_back = false;
  std::string url, body;
};

// The class names of the windows made on the constructing thread while it lives, as the
// system reports each window's making.
class WindowsMadeOnThread {
 public:
  WindowsMadeOnThread() : hook_(SetWindowsHookExA(WH_CBT, &WindowsMadeOnThread::OnCbt, nullptr, GetCurrentThreadId())) {
    t_names = &names_;
  }
  ~WindowsMadeOnThread() {
    if (hook_) UnhookWindowsHookEx(hook_);
    t_names = nullptr;
  }
  bool Watching() const { return hook_ != nullptr; }
  // How many windows of the class of `window` (a window that still lives) were made.
  int Count(HWND window) const { return Count(ClassOf(window)); }
  int Count(const std::string& class_name) const {
    if (class_name.empty()) return -1;
    int count = 0;
    for (const std::string& made : names_) count += made == class_name;
    return count;
  }
  static std::string ClassOf(HWND window) {
    char name[256] = {};
    return GetClassNameA(window, name, sizeof(name)) ? name : "";
  }

 private:
  static LRESULT CALLBACK OnCbt(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && t_names) {
      t_names->push_back(ClassOf(reinterpret_cast<HWND>(wparam)));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  static thread_local std::vector<std::string>* t_names;
  HHOOK hook_;
  std::vector<std::string> names_;
};

thread_local std::vector<std::string>* WindowsMadeOnThread::t_names = nullptr;

// A waiter with only the two basic operations.
class PlainWaiter : public IRequestWaiter {
 public:
  void OnRequestComplete(DWORD, const char*, const BYTE*, DWORD length) override {
    ++ends;
    this->length = length;
  }
  void OnRequestFailed(DWORD, DWORD error) override {
    ++ends;
    ++failures;
    this->error = error;
  }
  int ends = 0, failures = 0;
  DWORD error = 0, length = 0;
};

class ServerRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(KestrinTest::InstallTestRoot()); }
  void SetUp() override { ASSERT_NE(0, KestrinTest::ServicePort("http")) << "test service not running"; }

  // Sends one request and waits for its end, then a little longer to catch a second end.
  void Fetch(const std::string& url, RecordingWaiter* waiter, DWORD flags = 0, DWORD limit = 0) {
    CServerRequestEx request("Kestrin test");
    ASSERT_TRUE(request.SendLimitedRequest(url.c_str(), waiter, 7, flags, limit)) << url;
    ASSERT_TRUE(waiter->Wait()) << url;
    PumpFor(100);
    EXPECT_EQ(1, waiter->ends) << url;
    EXPECT_EQ(7u, waiter->last_id);
  }
};

struct BodyCase {
  const char* listener;
  const char* path;
  std::string expected;
};

TEST_F(ServerRequestTest, BodiesArriveDecodedOnTheCreatingThread) {
  const BodyCase cases[] = {
      {"http", "/plain", ServiceText()},
      {"http", "/plain?size=100000", Pattern(100000)},
      {"http", "/gzip", ServiceText()},
      {"http", "/gzip?name=1&extra=1&comment=1", ServiceText()},
      {"http", "/gzip?encoding=GZIP", ServiceText()},
      {"http", "/deflate", ServiceText()},
      {"http", "/deflate?zlib=1", ServiceText()},
      {"http", "/chunked?size=50000&chunk=3000", Pattern(50000)},
      {"https", "/gzip", ServiceText()},
      {"https", "/chunked?size=20000", Pattern(20000)},
  };
  for (const auto& c : cases) {
    RecordingWaiter waiter;
    std::string url = ServiceUrl(c.listener, c.path);
    Fetch(url, &waiter);
    ASSERT_EQ(1, waiter.completes) << url << " error " << waiter.error;
    EXPECT_EQ(c.expected.size(), waiter.body.size()) << url;
    EXPECT_TRUE(c.expected == waiter.body) << url;
    EXPECT_EQ(url, waiter.url);
    EXPECT_EQ(GetCurrentThreadId(), waiter.thread);
  }
}

TEST_F(ServerRequestTest, CompletionRunsOnTheThreadThatBuiltTheRequest) {
  RecordingWaiter waiter;
  DWORD worker_id = 0;
  bool sent = false;
  std::thread worker([&] {
    worker_id = GetCurrentThreadId();
    CServerRequest request("Kestrin test");
    sent = request.SendRequest(ServiceUrl("http", "/gzip").c_str(), &waiter, 3, 0);
    if (sent) waiter.Wait();
  });
  worker.join();
  ASSERT_TRUE(sent);
  ASSERT_EQ(1, waiter.completes);
  EXPECT_EQ(worker_id, waiter.thread);
  EXPECT_NE(GetCurrentThreadId(), waiter.thread);
  EXPECT_EQ(ServiceText(), waiter.body);
}

struct FailureCase {
  const char* path;
  DWORD error;
};

TEST_F(ServerRequestTest, BadBodiesFailOnceWithTheirOwnError) {
  const FailureCase cases[] = {
      {"/empty", ERROR_NO_DATA},
      {"/gzip?badmagic=1", ERROR_INVALID_DATA},
      {"/gzip?truncate=1", ERROR_INVALID_DATA},
      {"/gzip?isize=4294967295", ERROR_INVALID_DATA},  // trailer claims 4 GiB
      {"/gzip?isize=0", ERROR_INVALID_DATA},
      {"/redirect?to=/plain", ERROR_NO_DATA},           // redirects off: the empty 302 itself
  };
  for (const auto& c : cases) {
    RecordingWaiter waiter;
    SetLastError(0);
    Fetch(ServiceUrl("http", c.path), &waiter, REQUEST_FLAG_NO_REDIRECTS);
    EXPECT_EQ(1, waiter.failures) << c.path;
    EXPECT_EQ(c.error, waiter.error) << c.path;
  }
}

TEST_F(ServerRequestTest, RefusedConnectionReportsWinHttpError) {
  RecordingWaiter waiter;
  Fetch(ServiceUrl("refused", "/plain"), &waiter);
  EXPECT_EQ(1, waiter.failures);
  EXPECT_EQ(static_cast<DWORD>(ERROR_WINHTTP_CANNOT_CONNECT), waiter.error);
}

// With REQUEST_FLAG_HTTP_SUCCESS only a 2xx status completes; an error page fails with its own
// error number. Without the flag the error page is a body like any other.
TEST_F(ServerRequestTest, ErrorStatusFailsWhenOnlySuccessCounts) {
  const struct {
    const char* path;
    DWORD flags;
    bool completes;
  } cases[] = {
      {"/status?code=503", WebUtilsNS::REQUEST_FLAG_HTTP_SUCCESS, false},
      {"/status?code=404", WebUtilsNS::REQUEST_FLAG_HTTP_SUCCESS, false},
      {"/status?code=503", 0, true},
      {"/plain", WebUtilsNS::REQUEST_FLAG_HTTP_SUCCESS, true},
      {"/redirect?to=/plain", WebUtilsNS::REQUEST_FLAG_HTTP_SUCCESS, true},
  };
  for (const auto& c : cases) {
    RecordingWaiter waiter;
    Fetch(ServiceUrl("http", c.path), &waiter, c.flags);
    EXPECT_EQ(c.completes ? 1 : 0, waiter.completes) << c.path << " " << c.flags;
    if (!c.completes) {
      EXPECT_EQ(static_cast<DWORD>(ERROR_WINHTTP_INVALID_SERVER_RESPONSE), waiter.error) << c.path;
    }
  }
}

TEST_F(ServerRequestTest, SlowServerTimesOutOnce) {
  RecordingWaiter waiter;
  CServerRequest request("Kestrin test");
  request.SetTimeout(1000);
  ASSERT_TRUE(request.SendRequest(ServiceUrl("http", "/slow?delay=8").c_str(), &waiter, 1, 0));
  ASSERT_TRUE(waiter.Wait());
  PumpFor(200);
  EXPECT_EQ(1, waiter.ends);
  EXPECT_EQ(1, waiter.failures);
  EXPECT_EQ(static_cast<DWORD>(ERROR_WINHTTP_TIMEOUT), waiter.error);
}

TEST_F(ServerRequestTest, RedirectsAreFollowedUnlessTurnedOff) {
  RecordingWaiter waiter;
  Fetch(ServiceUrl("http", "/redirect?to=/gzip"), &waiter);
  ASSERT_EQ(1, waiter.completes);
  EXPECT_EQ(ServiceText(), waiter.body);
}

TEST_F(ServerRequestTest, RequestCarriesPathQueryAndOneAcceptEncoding) {
  RecordingWaiter waiter;
  Fetch(ServiceUrl("http", "/echo?a=1&b=two#fragment"), &waiter);
  ASSERT_EQ(1, waiter.completes);
  EXPECT_EQ(0u, waiter.body.find("/echo?a=1&b=two\n")) << waiter.body;
  size_t first = waiter.body.find("Accept-Encoding: gzip, deflate\n");
  ASSERT_NE(std::string::npos, first) << waiter.body;
  EXPECT_EQ(std::string::npos, waiter.body.find("Accept-Encoding", first + 1)) << waiter.body;
  EXPECT_NE(std::string::npos, waiter.body.find("User-Agent: Kestrin test\n")) << waiter.body;
}

TEST_F(ServerRequestTest, SizeLimitStopsTheBody) {
  {  // received bytes pass the limit
    RecordingWaiter waiter;
    Fetch(ServiceUrl("http", "/plain?size=5000"), &waiter, 0, 1000);
    EXPECT_EQ(1, waiter.limits);
    EXPECT_EQ(0, waiter.completes);
    EXPECT_GT(waiter.limit_size, 1000u);
    EXPECT_LE(waiter.limit_size, 5000u);
    EXPECT_EQ(5000u, waiter.content_length);
  }
  {  // chunked, no length
    RecordingWaiter waiter;
    Fetch(ServiceUrl("http", "/chunked?size=30000&chunk=1000"), &waiter, 0, 10000);
    EXPECT_EQ(1, waiter.limits);
    EXPECT_GT(waiter.limit_size, 10000u);
  }
  {  // a small gzip body that inflates far past the limit
    RecordingWaiter waiter;
    Fetch(ServiceUrl("http", "/gzip?size=5000000"), &waiter, 0, 100000);
    EXPECT_EQ(1, waiter.limits);
    EXPECT_GT(waiter.limit_size, 100000u);
  }
  {  // the same for deflate
    RecordingWaiter waiter;
    Fetch(ServiceUrl("http", "/deflate?size=5000000"), &waiter, 0, 100000);
    EXPECT_EQ(1, waiter.limits);
  }
}

TEST_F(ServerRequestTest, WaiterWithoutLimitCallbackHearsAFailure) {
  PlainWaiter waiter;
  CServerRequestEx request("Kestrin test");
  ASSERT_TRUE(request.SendLimitedRequest(ServiceUrl("http", "/plain?size=5000").c_str(), &waiter, 1, 0, 1000));
  ASSERT_TRUE(PumpUntil([&] { return waiter.ends > 0; }, kWait));
  PumpFor(100);
  EXPECT_EQ(1, waiter.ends);
  EXPECT_EQ(1, waiter.failures);
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_TOO_LARGE), waiter.error);
}

TEST_F(ServerRequestTest, LengthAndProgressReachTheExtendedWaiter) {
  RecordingWaiter waiter;
  Fetch(ServiceUrl("http", "/plain?size=200000"), &waiter, REQUEST_FLAG_REFRESH, 300000);
  ASSERT_EQ(1, waiter.completes);
  EXPECT_EQ(200000u, waiter.content_length);
  EXPECT_GE(waiter.progress_calls, 1);
  EXPECT_FALSE(waiter.progress_went_back);
  EXPECT_EQ(200000u, waiter.last_progress);
  EXPECT_EQ(Pattern(200000), waiter.body);
}

TEST_F(ServerRequestTest, SeveralRequestsAtOnceOnOneObject) {
  CServerRequest request("Kestrin test");
  RecordingWaiter waiters[4];
  const char* paths[4] = {"/plain", "/gzip", "/deflate", "/empty"};
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(request.SendRequest(ServiceUrl("http", paths[i]).c_str(), &waiters[i], 10 + i, 0));
  ASSERT_TRUE(PumpUntil([&] {
    for (auto& w : waiters)
      if (!w.ends) return false;
    return true;
  }, kWait));
  PumpFor(100);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(1, waiters[i].completes) << paths[i];
    EXPECT_EQ(static_cast<DWORD>(10 + i), waiters[i].last_id);
    EXPECT_EQ(ServiceText(), waiters[i].body) << paths[i];
  }
  EXPECT_EQ(1, waiters[3].failures);
}

TEST_F(ServerRequestTest, RequestsThatCannotStartReportOnlyFalse) {
  RecordingWaiter waiter;
  CServerRequestEx request("Kestrin test");
  EXPECT_FALSE(request.SendRequest(nullptr, &waiter, 1, 0));
  EXPECT_FALSE(request.SendRequest(ServiceUrl("http", "/plain").c_str(), nullptr, 1, 0));
  EXPECT_FALSE(request.SendLimitedRequest(nullptr, &waiter, 1, 0, 10));
  EXPECT_FALSE(request.SendRequest("ftp://127.0.0.1/file", &waiter, 1, 0));
  EXPECT_FALSE(request.SendRequest("not a url", &waiter, 1, 0));
  PumpFor(200);
  EXPECT_EQ(0, waiter.ends);
}

TEST_F(ServerRequestTest, DestroyingTheRequestDropsResultsInFlight) {
  RecordingWaiter waiter;
  {
    CServerRequest request("Kestrin test");
    ASSERT_TRUE(request.SendRequest(ServiceUrl("http", "/slow?delay=1").c_str(), &waiter, 1, 0));
    ASSERT_TRUE(request.SendRequest(ServiceUrl("http", "/plain").c_str(), &waiter, 2, 0));
    Sleep(300);  // the plain answer is likely posted but not handled
  }
  PumpFor(1500);
  EXPECT_EQ(0, waiter.ends);
}

// Requests handed to the request thread end as sent ones do, on the thread that queued them;
// what cannot be a request is refused at once and never heard of.
TEST_F(ServerRequestTest, QueuedRequestsEndOnTheQueueingThread) {
  CServerRequest request("Kestrin test");
  RecordingWaiter refused;
  EXPECT_FALSE(request.QueueRequest(nullptr, &refused, 1, 0));
  EXPECT_FALSE(request.QueueRequest(ServiceUrl("http", "/plain").c_str(), nullptr, 1, 0));
  EXPECT_FALSE(request.QueueRequest("ftp://127.0.0.1/file", &refused, 1, 0));
  EXPECT_FALSE(request.QueueRequest("not a url", &refused, 1, 0));

  RecordingWaiter waiters[5];
  const std::string urls[5] = {ServiceUrl("http", "/plain"), ServiceUrl("http", "/gzip"),
                               ServiceUrl("https", "/deflate"), ServiceUrl("http", "/empty"),
                               "http://127.0.0.1:1/closed"};
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(request.QueueRequest(urls[i].c_str(), &waiters[i], 20 + i, 0)) << urls[i];
  ASSERT_TRUE(PumpUntil([&] {
    for (auto& w : waiters)
      if (!w.ends) return false;
    return true;
  }, kWait));
  PumpFor(200);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(1, waiters[i].completes) << urls[i] << " error " << waiters[i].error;
    EXPECT_EQ(static_cast<DWORD>(20 + i), waiters[i].last_id);
    EXPECT_EQ(ServiceText(), waiters[i].body) << urls[i];
    EXPECT_EQ(urls[i], waiters[i].url);
  }
  EXPECT_EQ(1, waiters[3].failures);  // no body
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_DATA), waiters[3].error);
  EXPECT_EQ(1, waiters[4].failures);  // nobody listens there
  EXPECT_EQ(static_cast<DWORD>(ERROR_WINHTTP_CANNOT_CONNECT), waiters[4].error);
  for (auto& w : waiters) {
    EXPECT_EQ(1, w.ends);
    EXPECT_EQ(GetCurrentThreadId(), w.thread);
  }
  EXPECT_EQ(0, refused.ends);
}

// Dropped requests, sent or queued, are never heard of; the object serves the next ones.
TEST_F(ServerRequestTest, DroppedRequestsEndUnheard) {
  CServerRequest request("Kestrin test");
  RecordingWaiter dropped;
  ASSERT_TRUE(request.QueueRequest(ServiceUrl("http", "/slow?delay=1").c_str(), &dropped, 1, 0));
  ASSERT_TRUE(request.QueueRequest(ServiceUrl("http", "/plain").c_str(), &dropped, 2, 0));
  ASSERT_TRUE(request.SendRequest(ServiceUrl("http", "/plain").c_str(), &dropped, 3, 0));
  Sleep(300);  // the plain answers are likely in, not yet handled
  request.DropRequests();
  RecordingWaiter next;
  ASSERT_TRUE(request.QueueRequest(ServiceUrl("http", "/plain").c_str(), &next, 4, 0));
  ASSERT_TRUE(next.Wait());
  PumpFor(1500);
  EXPECT_EQ(0, dropped.ends);
  EXPECT_EQ(1, next.completes);
  EXPECT_EQ(4u, next.last_id);
}

// The request objects of one thread share one reply window, made once and gone with the last
// of them; every object still hears only its own requests, also when another object of the
// thread went with its reports on their way.
TEST_F(ServerRequestTest, ObjectsOfOneThreadShareOneReplyWindowThatGoesWithTheLast) {
  WindowsMadeOnThread made;
  ASSERT_TRUE(made.Watching());
  std::unique_ptr<CServerRequest> first(new CServerRequest("Kestrin test"));
  std::unique_ptr<CServerRequest> second(new CServerRequest("Kestrin test"));
  std::unique_ptr<CServerRequest> gone(new CServerRequest("Kestrin test"));
  EXPECT_EQ(nullptr, first->GetWindow());  // nothing made before a request
  RecordingWaiter first_waiter, second_waiter, gone_waiter;
  ASSERT_TRUE(first->SendRequest(ServiceUrl("http", "/plain").c_str(), &first_waiter, 1, 0));
  ASSERT_TRUE(second->QueueRequest(ServiceUrl("http", "/gzip").c_str(), &second_waiter, 2, 0));
  ASSERT_TRUE(gone->SendRequest(ServiceUrl("http", "/plain").c_str(), &gone_waiter, 3, 0));
  Sleep(300);  // the answers are likely in; none is handled before the thread pumps
  gone.reset();
  ASSERT_TRUE(PumpUntil([&] { return first->GetWindow() != nullptr; }, kWait));
  const HWND window = first->GetWindow();
  EXPECT_EQ(window, second->GetWindow());
  const std::string window_class = WindowsMadeOnThread::ClassOf(window);
  EXPECT_EQ(1, made.Count(window_class));
  ASSERT_TRUE(PumpUntil([&] { return first_waiter.ends && second_waiter.ends; }, kWait));
  PumpFor(200);
  EXPECT_EQ(1, first_waiter.completes);
  EXPECT_EQ(1u, first_waiter.last_id);
  EXPECT_EQ(1, second_waiter.completes);
  EXPECT_EQ(2u, second_waiter.last_id);
  EXPECT_EQ(ServiceText(), second_waiter.body);
  EXPECT_EQ(0, gone_waiter.ends);

  first.reset();
  EXPECT_TRUE(IsWindow(window));
  second.reset();
  EXPECT_FALSE(IsWindow(window));

  // Another thread has a window of its own.
  HWND other = nullptr;
  int made_there = 0;
  std::thread([&other, &made_there] {
    WindowsMadeOnThread made_here;
    CServerRequest request("Kestrin test");
    request.GetThreadPoster();
    PumpUntil([&request] { return request.GetWindow() != nullptr; }, kWait);
    other = request.GetWindow();
    made_there = made_here.Watching() ? made_here.Count(other) : -1;
  }).join();
  EXPECT_NE(nullptr, other);
  EXPECT_NE(window, other);
  EXPECT_EQ(1, made_there);
  EXPECT_EQ(1, made.Count(window_class));  // none more on this thread
}

// The reply window is not made in the call that sends the first request but when the thread
// next handles its messages: answers and work handed back that came before it wait for it
// and are heard then, once each, on this thread.
TEST_F(ServerRequestTest, TheReplyWindowIsMadeAfterTheFirstRequestAndNothingWaitingIsLost) {
  CServerRequest request("Kestrin test");
  RecordingWaiter sent, queued;
  ASSERT_TRUE(request.SendRequest(ServiceUrl("http", "/plain").c_str(), &sent, 1, 0));
  ASSERT_TRUE(request.QueueRequest(ServiceUrl("http", "/gzip").c_str(), &queued, 2, 0));
  CServerRequest::ThreadPoster post = request.GetThreadPoster();
  ASSERT_TRUE(post);
  EXPECT_EQ(nullptr, request.GetWindow());  // asked for, not made in these calls
  int handed_back = 0;
  DWORD handed_thread = 0;
  std::thread([&post, &handed_back, &handed_thread] {
    EXPECT_TRUE(post([&handed_back, &handed_thread] {
      ++handed_back;
      handed_thread = GetCurrentThreadId();
    }));
  }).join();
  Sleep(500);  // both answers are in by now, with no window to tell of them
  EXPECT_EQ(nullptr, request.GetWindow());
  EXPECT_EQ(0, sent.ends + queued.ends + handed_back);
  ASSERT_TRUE(PumpUntil([&] { return sent.ends && queued.ends && handed_back; }, kWait));
  PumpFor(200);
  EXPECT_NE(nullptr, request.GetWindow());
  EXPECT_EQ(1, sent.completes);
  EXPECT_EQ(1, queued.completes);
  EXPECT_EQ(ServiceText(), queued.body);
  EXPECT_EQ(1, handed_back);
  for (DWORD thread : {sent.thread, queued.thread, handed_thread}) EXPECT_EQ(GetCurrentThreadId(), thread);
}

// A waiter that destroys the last request object of its thread takes the reply window with it,
// from within that window's own message; the next object makes a new one and is heard.
class DestroyingWaiter : public IRequestWaiter {
 public:
  void OnRequestComplete(DWORD, const char*, const BYTE*, DWORD) override { End(); }
  void OnRequestFailed(DWORD, DWORD) override { End(); }
  void End() {
    ++ends;
    window = request ? request->GetWindow() : nullptr;
    request.reset();
  }
  std::unique_ptr<CServerRequest> request;
  HWND window = nullptr;
  int ends = 0;
};

TEST_F(ServerRequestTest, AWaiterMayDestroyTheLastObjectOfItsThread) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    DestroyingWaiter waiter;
    waiter.request.reset(new CServerRequest("Kestrin test"));
    ASSERT_TRUE(waiter.request->SendRequest(ServiceUrl("http", "/plain").c_str(), &waiter, 1, 0));
    ASSERT_TRUE(waiter.request->SendRequest(ServiceUrl("http", "/gzip").c_str(), &waiter, 2, 0));
    ASSERT_TRUE(PumpUntil([&] { return waiter.ends > 0; }, kWait));
    PumpFor(300);
    EXPECT_EQ(1, waiter.ends);  // the second answer went with its object
    ASSERT_NE(nullptr, waiter.window);
    EXPECT_FALSE(IsWindow(waiter.window));
  }
}

TEST(GzipDecodeTest, MalformedHeadersFail) {
  CBodyDecoder decoder;
  std::vector<BYTE> out;
  DWORD produced = 0;
  // A name field without terminator runs past the end.
  const BYTE unterminated_name[] = {0x1F, 0x8B, 8, 0x08, 0, 0, 0, 0, 0, 3, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'};
  // An extra field longer than the body.
  const BYTE long_extra[] = {0x1F, 0x8B, 8, 0x04, 0, 0, 0, 0, 0, 3, 0xFF, 0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  // Too short for header and trailer.
  const BYTE short_body[] = {0x1F, 0x8B, 8, 0};
  struct {
    const BYTE* data;
    size_t size;
  } cases[] = {{unterminated_name, sizeof(unterminated_name)}, {long_extra, sizeof(long_extra)},
               {short_body, sizeof(short_body)}};
  for (auto& c : cases) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), decoder.DecodeGzip(c.data, c.size, 1000, &out, &produced));
    EXPECT_TRUE(out.empty());
  }
}

}  // namespace
