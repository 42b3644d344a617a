// The private URL scheme: the table of filed pages, the addresses, and the name-space handler
// behind the system's own URL functions.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>
#include <urlmon.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ie/kr_protocol.h"
#include "platform/com/com_object.h"

namespace {

using KestrinComNS::CComPtr;
using PlugProtocolNS::CProtocolStreamTable;

CComPtr<IStream> MemoryStream(const std::string& bytes) {
  CComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
  return stream;
}

LONG FilePage(const std::string& bytes) { return CProtocolStreamTable::Instance().File(MemoryStream(bytes)); }

// What the binding reports to its sink.
class CRecordingSink : public IInternetProtocolSink {
 public:
  struct Report { DWORD flags; ULONG progress, max; };
  std::vector<Report> data;
  std::vector<HRESULT> results;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IInternetProtocolSink>(this, riid, out);
  }
  STDMETHODIMP Switch(PROTOCOLDATA*) override { return S_OK; }
  STDMETHODIMP ReportProgress(ULONG, LPCWSTR) override { return S_OK; }
  STDMETHODIMP ReportData(DWORD flags, ULONG progress, ULONG max) override {
    data.push_back({flags, progress, max});
    return S_OK;
  }
  STDMETHODIMP ReportResult(HRESULT hr, DWORD, LPCWSTR) override {
    results.push_back(hr);
    return S_OK;
  }
};

class UrlScheme : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(CProtocolStreamTable::Instance().AddUser());
  }
  void TearDown() override {
    CProtocolStreamTable::Instance().ReleaseUser();
    CoUninitialize();
  }
  CComPtr<IInternetProtocol> NewProtocol() {
    CComPtr<IClassFactory> factory;
    CComPtr<IInternetProtocol> protocol;
    if (SUCCEEDED(PlugProtocolNS::CreateProtocolFactory(&factory)))
      factory->CreateInstance(nullptr, IID_IInternetProtocol, reinterpret_cast<void**>(&protocol));
    return protocol;
  }
};

// What a binding of the internet session needs of its caller: the bind information.
class CBindInfo : public IInternetBindInfo {
 public:
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IInternetBindInfo>(this, riid, out);
  }
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
    if (!flags || !info) return E_POINTER;
    *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA;
    DWORD size = info->cbSize;
    memset(info, 0, size);
    info->cbSize = size;
    return S_OK;
  }
  STDMETHODIMP GetBindString(ULONG, LPOLESTR*, ULONG, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    return E_NOTIMPL;
  }
};

// The whole page through a binding of the process's internet session, which finds the handler
// of the address's scheme among the registered name spaces; false when the address is not
// served. `chunk` is the read size.
bool ReadThroughSession(const std::wstring& address, std::string* content, ULONG chunk = 7) {
  content->clear();
  CComPtr<IInternetSession> session;
  if (FAILED(CoInternetGetSession(0, &session, 0)) || !session) return false;
  CComPtr<IInternetProtocol> protocol;
  if (FAILED(session->CreateBinding(nullptr, address.c_str(), nullptr, nullptr, &protocol, 0)) || !protocol)
    return false;
  CComPtr<KestrinComNS::CComObject<CRecordingSink>> sink;
  sink.Attach(KestrinComNS::CComObject<CRecordingSink>::Create());
  CComPtr<KestrinComNS::CComObject<CBindInfo>> info;
  info.Attach(KestrinComNS::CComObject<CBindInfo>::Create());
  HRESULT hr = protocol->Start(address.c_str(), sink, info, 0, 0);
  if (hr != S_OK) return false;
  std::vector<char> buffer(chunk);
  for (int reads = 0; reads < 100000; ++reads) {
    ULONG got = 0;
    hr = protocol->Read(buffer.data(), chunk, &got);
    content->append(buffer.data(), got);
    if (hr != S_OK) break;
  }
  protocol->Terminate(0);
  return hr == S_FALSE && sink->results.size() == 1 && sink->results[0] == S_OK;
}

// First in this program: the process's first page is number 1, the next 2.
TEST_F(UrlScheme, PagesAreNumberedFromOne) {
  EXPECT_EQ(1, FilePage("a"));
  EXPECT_EQ(2, FilePage("b"));
  EXPECT_EQ(L"KRprot:HTML&2", PlugProtocolNS::MakeAddress(L"HTML", 2));
}

TEST_F(UrlScheme, AddressForms) {
  const struct { const wchar_t* address; LONG number; } cases[] = {
      {L"KRprot:HTML&1", 1},        {L"KRprot:MHTML&42", 42},    {L"KRprot:HTML&7 trailing", 7},
      {L"KRprot:html&1", 0},        {L"KRprot:Html&1", 0},       {L"KRprot:XML&1", 0},
      {L"KRprot:HTML&0", 0},        {L"KRprot:HTML&", 0},        {L"KRprot:HTML1", 0},
      {L"KRprot&HTML:1", 0},        {L"KRprot:HTML&99999999999", 0}, {L"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.number, PlugProtocolNS::ParseAddress(c.address)) << c.address;
  EXPECT_EQ(0, PlugProtocolNS::ParseAddress(nullptr));
}

// Filed pages read back through the internet session. (Refused addresses and the one-time
// hand-out are answered by the handler's Start, see ChunkedReads: Wine's session binding
// cannot take a Start that does not succeed.)
TEST_F(UrlScheme, PagesThroughTheSession) {
  const std::string page = "<html><body>A signed page of some length, read in pieces.</body></html>";
  for (const wchar_t* kind : {L"HTML", L"MHTML"}) {
    std::wstring address = PlugProtocolNS::MakeAddress(kind, FilePage(page));
    std::string content;
    EXPECT_TRUE(ReadThroughSession(address, &content)) << address;
    EXPECT_EQ(page, content);
  }
  std::string content;
  EXPECT_TRUE(ReadThroughSession(PlugProtocolNS::MakeAddress(L"HTML", FilePage(page)), &content, 4096));
  EXPECT_EQ(page, content);
}

TEST_F(UrlScheme, EmptyPageCompletes) {
  std::string content = "x";
  EXPECT_TRUE(ReadThroughSession(PlugProtocolNS::MakeAddress(L"HTML", FilePage("")), &content));
  EXPECT_EQ("", content);

  CComPtr<KestrinComNS::CComObject<CRecordingSink>> sink;
  sink.Attach(KestrinComNS::CComObject<CRecordingSink>::Create());
  CComPtr<IInternetProtocol> protocol = NewProtocol();
  ASSERT_TRUE(protocol);
  std::wstring address = PlugProtocolNS::MakeAddress(L"HTML", FilePage(""));
  ASSERT_EQ(S_OK, protocol->Start(address.c_str(), sink, nullptr, 0, 0));
  ASSERT_EQ(1u, sink->data.size());
  EXPECT_EQ(0u, sink->data[0].max);
  EXPECT_TRUE(sink->data[0].flags & BSCF_LASTDATANOTIFICATION);
  EXPECT_EQ(std::vector<HRESULT>{S_OK}, sink->results);
  char buffer[4];
  ULONG got = 1;
  EXPECT_EQ(S_FALSE, protocol->Read(buffer, sizeof(buffer), &got));
  EXPECT_EQ(0u, got);
}

// A buffer smaller than the page: intermediate reports, then the last-data report and the
// result.
TEST_F(UrlScheme, ChunkedReads) {
  CComPtr<KestrinComNS::CComObject<CRecordingSink>> sink;
  sink.Attach(KestrinComNS::CComObject<CRecordingSink>::Create());
  CComPtr<IInternetProtocol> protocol = NewProtocol();
  ASSERT_TRUE(protocol);
  EXPECT_EQ(E_INVALIDARG, protocol->Start(nullptr, sink, nullptr, 0, 0));
  EXPECT_EQ(INET_E_UNKNOWN_PROTOCOL, protocol->Start(L"KRprot:TEXT&1", sink, nullptr, 0, 0));
  EXPECT_EQ(S_FALSE, protocol->Start(L"KRprot:HTML&2147483000", sink, nullptr, 0, 0));
  std::wstring address = PlugProtocolNS::MakeAddress(L"HTML", FilePage("0123456789"));
  ASSERT_EQ(S_OK, protocol->Start(address.c_str(), sink, nullptr, 0, 0));
  const struct { HRESULT hr; ULONG got; DWORD flags; ULONG progress; } steps[] = {
      {S_OK, 4, BSCF_INTERMEDIATEDATANOTIFICATION, 4},
      {S_OK, 4, BSCF_INTERMEDIATEDATANOTIFICATION, 8},
      {S_FALSE, 2, BSCF_LASTDATANOTIFICATION, 10},
  };
  std::string read;
  for (const auto& step : steps) {
    char buffer[4];
    ULONG got = 0;
    EXPECT_EQ(step.hr, protocol->Read(buffer, sizeof(buffer), &got));
    EXPECT_EQ(step.got, got);
    read.append(buffer, got);
    ASSERT_FALSE(sink->data.empty());
    EXPECT_EQ(step.flags, sink->data.back().flags);
    EXPECT_EQ(step.progress, sink->data.back().progress);
    EXPECT_EQ(10u, sink->data.back().max);
  }
  EXPECT_EQ("0123456789", read);
  EXPECT_EQ(BSCF_FIRSTDATANOTIFICATION, sink->data.front().flags);
  EXPECT_EQ(std::vector<HRESULT>{S_OK}, sink->results);
  EXPECT_EQ(S_OK, protocol->Terminate(0));
  // Handed out once: the same address again gets nothing.
  CComPtr<IInternetProtocol> again = NewProtocol();
  EXPECT_EQ(S_FALSE, again->Start(address.c_str(), sink, nullptr, 0, 0));
}

// Several browser threads file pages at once: every number is handed out once.
TEST_F(UrlScheme, ParallelFiling) {
  const int kThreads = 4, kPages = 200;
  std::vector<std::vector<LONG>> numbers(kThreads);
  size_t before = CProtocolStreamTable::Instance().GetCount();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&numbers, t] {
      for (int i = 0; i < kPages; ++i) {
        LONG n = FilePage("p");
        numbers[t].push_back(n);
        if (i % 2) CProtocolStreamTable::Instance().Take(n);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  std::set<LONG> all;
  for (const auto& list : numbers) all.insert(list.begin(), list.end());
  EXPECT_EQ(static_cast<size_t>(kThreads * kPages), all.size());
  EXPECT_EQ(0u, all.count(0));
  EXPECT_EQ(before + kThreads * kPages / 2, CProtocolStreamTable::Instance().GetCount());
}

// The last user takes the name space back and releases the pages nobody fetched.
TEST_F(UrlScheme, LastUserUnregisters) {
  ASSERT_TRUE(CProtocolStreamTable::Instance().AddUser());
  CProtocolStreamTable::Instance().ReleaseUser();
  EXPECT_TRUE(CProtocolStreamTable::Instance().IsNameSpaceRegistered());
  LONG number = FilePage("left behind");
  CProtocolStreamTable::Instance().ReleaseUser();
  EXPECT_FALSE(CProtocolStreamTable::Instance().IsNameSpaceRegistered());
  EXPECT_EQ(0u, CProtocolStreamTable::Instance().GetCount());
  std::string content;
  EXPECT_FALSE(ReadThroughSession(PlugProtocolNS::MakeAddress(L"HTML", number), &content));
  ASSERT_TRUE(CProtocolStreamTable::Instance().AddUser());  // for TearDown
}

}  // namespace
