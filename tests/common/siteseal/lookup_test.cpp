// The site-seal lookup against the local lookup service (tools/testservice/routes_site_seal.py).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/siteseal/connection_state.h"
#include "common/siteseal/site_seal_lookup.h"
#include "platform/win/scoped_handle.h"
#include "tools/testservice/test_env.h"

namespace {

// Record i of the service's made-up replies.
std::string Record(int i) {
  size_t size = 100 + 37 * i;
  std::string r("\x30\x82", 2);
  r += static_cast<char>(((size - 4) >> 8) & 0xFF);
  r += static_cast<char>((size - 4) & 0xFF);
  for (size_t k = 0; k + 4 < size; ++k) r += static_cast<char>((31 * i + k) % 251);
  return r;
}

struct FakeList : ISiteSealList {
  std::string host, address;
  std::vector<std::string> certificates;
  int clears = 0, image_resets = 0, verifies = 0;
  bool downloaded = false, images_collected = false;
  void Clear() override {
    ++clears;
    host.clear();
    certificates.clear();
    downloaded = false;
  }
  void SetHost(const char* h) override { host = h; }
  void SetPageAddress(const char* url) override { address = url; }
  void ResetImages() override { ++image_resets; }
  int AddCertificate(const BYTE* der, DWORD length) override {
    certificates.emplace_back(reinterpret_cast<const char*>(der), length);
    return 1;
  }
  DWORD GetCount() override { return static_cast<DWORD>(certificates.size()); }
  void SetCertificatesDownloaded() override { downloaded = true; }
  bool AreImagesCollected() override { return images_collected; }
  int VerifyImages() override { return ++verifies; }
};

// The add-on instance's part: hands lookup replies to the lookup.
struct Waiter : WebUtilsNS::IRequestWaiter {
  CSiteSealLookup* lookup = nullptr;
  int completed = 0, failed = 0;
  void OnRequestComplete(DWORD id, const char* url, const BYTE* body, DWORD length) override {
    ASSERT_EQ(CSiteSealLookup::kRequestId, id);
    ++completed;
    lookup->OnLookupReply(url, body, length);
  }
  void OnRequestFailed(DWORD id, DWORD error) override { ++failed; }
};

// A lookup whose view of the connection the test sets.
class TestLookup : public CSiteSealLookup {
 public:
  TestLookup(ISiteSealList* list, WebUtilsNS::IRequestWaiter* waiter) : CSiteSealLookup(list, waiter) {}
  bool connected = true;
  DWORD flags = 0x12;
  bool go_online_result = true;
  std::string go_online_url;

 protected:
  bool GetConnectedState(DWORD* out) override {
    *out = flags;
    return connected;
  }
  bool GoOnline(const char* url) override {
    go_online_url = url;
    return go_online_result;
  }
};

std::string ServiceHost() { return "127.0.0.1:" + std::to_string(KestrinTest::ServicePort("http")); }

// Everything the service recorded, one block per lookup request.
std::vector<std::string> RecordedRequests() {
  struct Fetch : WebUtilsNS::IRequestWaiter {
    std::string text;
    bool done = false;
    void OnRequestComplete(DWORD, const char*, const BYTE* body, DWORD length) override {
      text.assign(reinterpret_cast<const char*>(body), length);
      done = true;
    }
    void OnRequestFailed(DWORD, DWORD) override { done = true; }
  } fetch;
  WebUtilsNS::CServerRequest request("test");
  EXPECT_TRUE(request.SendRequest(KestrinTest::ServiceUrl("http", "/nlr_searcher/recorded").c_str(), &fetch, 9, 0));
  EXPECT_TRUE(KestrinTest::PumpUntil([&] { return fetch.done; }, 20000));
  std::vector<std::string> blocks;
  size_t start = 0, end;
  while ((end = fetch.text.find("--\n", start)) != std::string::npos) {
    blocks.push_back(fetch.text.substr(start, end - start));
    start = end + 3;
  }
  return blocks;
}

int RequestsFor(const std::string& host) {
  int n = 0;
  for (const std::string& block : RecordedRequests())
    if (block.find("v_search=" + host + " ") != std::string::npos ||
        block.find("v_search=" + host + "&") != std::string::npos)
      ++n;
  return n;
}

class SiteSealLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(0, KestrinTest::ServicePort("http"));
    waiter.lookup = &lookup;
    lookup.SetServiceHost(ServiceHost());
  }
  // Looks up `url` and waits for the reply.
  void LookUp(const char* url) {
    const int before = waiter.completed + waiter.failed;
    ASSERT_TRUE(lookup.LookupSiteSeals(url));
    ASSERT_TRUE(KestrinTest::PumpUntil([&] { return waiter.completed + waiter.failed > before; }, 20000));
    ASSERT_EQ(0, waiter.failed);
  }

  FakeList list;
  Waiter waiter;
  TestLookup lookup{&list, &waiter};
};

TEST_F(SiteSealLookup, RequestAsTheServiceSeesIt) {
  LookUp("http://Records-1.Request.Kestrin.TEST:8080/some/page.html?x=1#top");
  std::vector<std::string> requests = RecordedRequests();
  std::string mine;
  for (const std::string& r : requests)
    if (r.find("records-1.request.kestrin.test") != std::string::npos) mine = r;
  ASSERT_FALSE(mine.empty());
  EXPECT_EQ(0u, mine.find("/nlr_searcher/binary/certificate.asp"
                          "?v_querytype=NLR&v_search=records-1.request.kestrin.test&v_serial=0\n"))
      << mine;
  EXPECT_NE(std::string::npos, mine.find("User-Agent: Dravix Request 1.0\n")) << mine;
  EXPECT_NE(std::string::npos, mine.find("Accept-Encoding: gzip, deflate\n")) << mine;
  EXPECT_NE(std::string::npos, mine.find("Host: " + ServiceHost() + "\n")) << mine;
  EXPECT_EQ("records-1.request.kestrin.test", list.host);
  EXPECT_EQ("records-1.request.kestrin.test", lookup.GetCurrentHost());
  EXPECT_TRUE(lookup.IsNewHost());
}

TEST_F(SiteSealLookup, RepliesWithNoneOneAndSeveralRecords) {
  struct Case { const char* url; int count; bool downloaded; } cases[] = {
      {"http://records-0.count.kestrin.test/", 0, false},
      {"http://records-1.count.kestrin.test/", 1, true},
      {"https://records-4.count.kestrin.test/", 4, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    LookUp(c.url);
    ASSERT_EQ(static_cast<size_t>(c.count), list.certificates.size());
    for (int i = 0; i < c.count; ++i) EXPECT_EQ(Record(i), list.certificates[i]) << i;
    EXPECT_EQ(c.downloaded, list.downloaded);
  }
}

TEST_F(SiteSealLookup, MalformedRepliesFromTheService) {
  struct Case { const char* url; std::vector<std::string> records; bool downloaded; } cases[] = {
      {"http://oversize.bad.kestrin.test/", {Record(0)}, true},
      {"http://crlf.bad.kestrin.test/", {Record(0), Record(1)}, true},
      {"http://noend.bad.kestrin.test/", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    LookUp(c.url);
    EXPECT_EQ(c.records, list.certificates);
    EXPECT_EQ(c.downloaded, list.downloaded);
  }
}

TEST_F(SiteSealLookup, SameHostInOtherLetterCaseSendsNothing) {
  LookUp("http://records-2.same.kestrin.test/a.html");
  ASSERT_EQ(2u, list.certificates.size());
  EXPECT_FALSE(lookup.LookupSiteSeals("http://RECORDS-2.Same.Kestrin.Test/b.html"));
  EXPECT_FALSE(lookup.IsNewHost());
  EXPECT_EQ(1, list.image_resets);
  EXPECT_EQ(1, list.clears);
  EXPECT_EQ(2u, list.certificates.size());  // the host's certificates stay
  KestrinTest::PumpFor(200);
  EXPECT_EQ(1, RequestsFor("records-2.same.kestrin.test"));
}

TEST_F(SiteSealLookup, LateReplyForAnEarlierHostIsDropped) {
  ASSERT_TRUE(lookup.LookupSiteSeals("http://slow-records-3.late.kestrin.test/"));
  LookUp("http://records-1.now.kestrin.test/");  // answered while the first is still delayed
  ASSERT_TRUE(KestrinTest::PumpUntil([&] { return waiter.completed == 2; }, 20000));
  EXPECT_EQ("records-1.now.kestrin.test", list.host);
  EXPECT_EQ(std::vector<std::string>{Record(0)}, list.certificates);
}

TEST_F(SiteSealLookup, ImagesCollectedFirstAreVerifiedOnTheReply) {
  list.images_collected = true;
  LookUp("http://records-1.verify.kestrin.test/");
  EXPECT_EQ(1, list.verifies);
}

TEST_F(SiteSealLookup, OfflineSystemGoesOnlineAndSoDoesTheBrowser) {
  int back_online = 0;
  lookup.SetBackOnline([&back_online] { ++back_online; });
  lookup.flags = 0x12 | kConnectionOffline;
  LookUp("http://records-1.offline.kestrin.test/");
  EXPECT_NE(std::string::npos, lookup.go_online_url.find("v_search=records-1.offline.kestrin.test"));
  EXPECT_EQ(1, back_online);
  EXPECT_EQ(1u, list.certificates.size());
  // Online from then on: the next host's lookup asks nothing of the browser.
  lookup.flags = 0x12;
  LookUp("http://records-2.online.kestrin.test/");
  EXPECT_EQ(1, back_online);
  lookup.SetBackOnline(nullptr);
}

TEST_F(SiteSealLookup, NoRequestWhenOfflineOrNotConnected) {
  int back_online = 0;
  lookup.SetBackOnline([&back_online] { ++back_online; });
  lookup.flags = kConnectionOffline;
  lookup.go_online_result = false;
  EXPECT_FALSE(lookup.LookupSiteSeals("http://records-1.stayoffline.kestrin.test/"));
  EXPECT_EQ(0, back_online);
  lookup.connected = false;
  EXPECT_FALSE(lookup.LookupSiteSeals("http://records-1.unplugged.kestrin.test/"));
  KestrinTest::PumpFor(200);
  EXPECT_EQ(0, waiter.completed);
  EXPECT_EQ(0, RequestsFor("records-1.stayoffline.kestrin.test"));
  EXPECT_EQ(0, RequestsFor("records-1.unplugged.kestrin.test"));
  // The host is still taken as the current one: its list was cleared for it.
  EXPECT_EQ("records-1.unplugged.kestrin.test", list.host);
  EXPECT_EQ(0, back_online);
  lookup.SetBackOnline(nullptr);
}

TEST_F(SiteSealLookup, UrlsThatNameNoHostDoNothing) {
  for (const char* url : {"", "about:blank", "not a url", "file:///C:/page.html"}) {
    SCOPED_TRACE(url);
    EXPECT_FALSE(lookup.LookupSiteSeals(url));
  }
  EXPECT_FALSE(lookup.LookupSiteSeals(nullptr));
  EXPECT_EQ(0, list.clears);
  EXPECT_EQ(0, list.image_resets);
}

// A page without a host after a host's page keeps none of that host's seals.
TEST_F(SiteSealLookup, AnAddressWithoutHostForgetsThePreviousHost) {
  lookup.LookupSiteSeals("http://records-1.forget.kestrin.test/shop/../a.html");
  EXPECT_EQ("records-1.forget.kestrin.test", list.host);
  EXPECT_EQ("http://records-1.forget.kestrin.test/a.html", list.address);
  int clears = list.clears;
  for (const char* url : {"javascript://records-1.forget.kestrin.test/%0a", "about:blank"}) {
    EXPECT_FALSE(lookup.LookupSiteSeals(url));
    EXPECT_EQ("", lookup.GetCurrentHost());
  }
  EXPECT_EQ(clears + 1, list.clears);
  EXPECT_TRUE(lookup.GetPendingUrl().empty());
}

TEST(SiteSealLookupHost, RegistryValueOverridesTheDefault) {
  KestrinWinNS::CScopedRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TorvanGroup\\Kestrin", 0, nullptr, 0,
                                           KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.Receive(), nullptr));
  RegDeleteValueA(key.Get(), kLookupHostValue);
  EXPECT_EQ(kDefaultLookupHost, GetLookupServiceHost());
  const char host[] = "127.0.0.1:8123";
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.Get(), kLookupHostValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(host),
                                          sizeof(host)));
  EXPECT_EQ("127.0.0.1:8123", GetLookupServiceHost());
  RegDeleteValueA(key.Get(), kLookupHostValue);
}

}  // namespace
