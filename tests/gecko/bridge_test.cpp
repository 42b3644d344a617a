// The certificate bridge, the certificate downloader, the Gecko popup's place and the
// wrapper's small rules, against the scripted host's objects and allocator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gecko/cert_bridge.h"
#include "gecko/gecko_helpers.h"
#include "gecko/kestrin_wrapper.h"
#include "gecko/log_single_process.h"
#include "gecko/ssl_verify_gecko.h"
#include "platform/win/scoped_handle.h"
#include "tools/geckohost/gecko_host.h"
#include "tools/testservice/test_env.h"

namespace {

using geckohost::CHostCert;
using geckohost::CHostChannel;
using geckohost::CHostMemory;
using geckohost::HostMemory;
using kr::nsCOMPtr;

std::vector<BYTE> Pki(const char* name) { return KestrinTest::PkiBytes(name); }

class Bridge : public testing::Test {
 protected:
  Bridge() : manager_(new geckohost::CHostComponentManager()) {
    GeckoHelpersNS::SetComponentManager(manager_.get());
  }
  ~Bridge() override {
    if (context_) CertFreeCertificateContext(context_);
    if (store_) CertCloseStore(store_, 0);
    GeckoHelpersNS::ReleaseManagers();
  }
  static int StoreCount(HCERTSTORE store) {
    int count = 0;
    for (PCCERT_CONTEXT c = CertEnumCertificatesInStore(store, nullptr); c;
         c = CertEnumCertificatesInStore(store, c))
      ++count;
    return count;
  }

  nsCOMPtr<geckohost::CHostComponentManager> manager_;
  PCCERT_CONTEXT context_ = nullptr;
  HCERTSTORE store_ = nullptr;
};

// Every DER buffer the browser hands out is freed, whatever the chain, and the store holds the
// server certificate and its chain; a chain of one gives nothing.
TEST_F(Bridge, ConvertsTheChainAndFreesEveryDerBuffer) {
  struct Case {
    std::vector<const char*> chain;
    bool converts;
  } cases[] = {
      {{"server-ov.der"}, false},
      {{"server-ov.der", "inter.der"}, true},
      {{"server-ov.der", "inter.der", "root.der"}, true},
      {{"server-dv.der", "inter.der", "root.der"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chain[0] + std::string(" chain of ") + std::to_string(c.chain.size()));
    std::vector<std::vector<BYTE>> ders;
    for (const char* name : c.chain) ders.push_back(Pki(name));
    ASSERT_FALSE(ders[0].empty());
    nsCOMPtr<CHostCert> cert = geckohost::MakeServerCert(ders);
    long before = HostMemory()->GetLiveBlocks();
    long freed_before = HostMemory()->GetFreed();
    EXPECT_EQ(c.converts, GeckoHelpersNS::ConvertCertificate(cert.get(), &context_, &store_));
    EXPECT_EQ(before, HostMemory()->GetLiveBlocks());
    if (!c.converts) {
      EXPECT_EQ(nullptr, context_);
      EXPECT_EQ(nullptr, store_);
      continue;
    }
    // The server's own buffer and one per chain element were read and freed.
    EXPECT_EQ(freed_before + 1 + static_cast<long>(ders.size()), HostMemory()->GetFreed());
    ASSERT_NE(nullptr, context_);
    ASSERT_EQ(ders[0].size(), context_->cbCertEncoded);
    EXPECT_EQ(0, memcmp(ders[0].data(), context_->pbCertEncoded, ders[0].size()));
    EXPECT_EQ(static_cast<int>(ders.size()), StoreCount(store_));
  }
}

// The slots are the caller's: what they held is released before a new conversion, and a
// failing one leaves them empty.
TEST_F(Bridge, ReleasesWhatTheSlotsHeld) {
  nsCOMPtr<CHostCert> good = geckohost::MakeServerCert({Pki("server-ov.der"), Pki("inter.der")});
  ASSERT_TRUE(GeckoHelpersNS::ConvertCertificate(good.get(), &context_, &store_));
  PCCERT_CONTEXT held = CertDuplicateCertificateContext(context_);
  nsCOMPtr<CHostCert> lone = geckohost::MakeServerCert({Pki("server-dv.der")});
  EXPECT_FALSE(GeckoHelpersNS::ConvertCertificate(lone.get(), &context_, &store_));
  EXPECT_EQ(nullptr, context_);
  EXPECT_EQ(nullptr, store_);
  // Only our duplicate is left of the first conversion.
  EXPECT_TRUE(CertFreeCertificateContext(held));
  EXPECT_FALSE(GeckoHelpersNS::ConvertCertificate(nullptr, &context_, &store_));
}

TEST_F(Bridge, ServerCertificateComesFromTheChannelsSslStatus) {
  nsCOMPtr<CHostChannel> http(new CHostChannel("http://127.0.0.1/"));
  nsCOMPtr<kr::nsIX509Cert> cert;
  EXPECT_FALSE(GeckoHelpersNS::GetServerCertificate(http.get(), cert.Out()));
  EXPECT_FALSE(cert);
  EXPECT_FALSE(GeckoHelpersNS::GetServerCertificate(nullptr, cert.Out()));

  nsCOMPtr<CHostChannel> https(new CHostChannel("https://127.0.0.1/"));
  nsCOMPtr<CHostCert> server = geckohost::MakeServerCert({Pki("server-ov.der"), Pki("inter.der")});
  https->security = new geckohost::CHostSecurityInfo(server.get());
  ASSERT_TRUE(GeckoHelpersNS::GetServerCertificate(https.get(), cert.Out()));
  EXPECT_TRUE(kr::SameObject(cert.get(), static_cast<kr::nsIX509Cert*>(server.get())));
}

// A waiter that records what it was given.
class CWaiter : public geckohost::CHostObject<kr::nsICertWaiter> {
 public:
  KR_METHOD OnCertDownloadComplete(kr::nsISupports* cert) override {
    received = cert;
    ++calls;
    return kr::NS_OK;
  }
  nsCOMPtr<kr::nsISupports> received;
  int calls = 0;
};

TEST_F(Bridge, DownloaderOpensTheAddressOverHttpsAndHandsTheCertificateOver) {
  nsCOMPtr<geckohost::CHostIOService> io(new geckohost::CHostIOService());
  manager_->AddService("@mozilla.org/network/io-service;1", static_cast<kr::nsIIOService*>(io.get()));
  nsCOMPtr<GeckoHelpersNS::CCertDownloader> downloader(new GeckoHelpersNS::CCertDownloader());
  nsCOMPtr<CWaiter> waiter(new CWaiter());

  EXPECT_EQ(kr::NS_ERROR_ILLEGAL_VALUE, downloader->GetCert("http://127.0.0.1/", nullptr));
  EXPECT_EQ(kr::NS_ERROR_ILLEGAL_VALUE, downloader->GetCert(nullptr, waiter.get()));
  EXPECT_TRUE(io->opened.empty());

  // No security information: the start is refused and the waiter hears nothing.
  EXPECT_EQ(kr::NS_OK, downloader->GetCert("http://127.0.0.1:8443/page", waiter.get()));
  ASSERT_EQ(1u, io->opened.size());
  EXPECT_EQ("https://127.0.0.1:8443/page", io->opened[0]->uri->spec);
  EXPECT_EQ(kr::NS_ERROR_ABORT, io->opened[0]->start_result);
  EXPECT_EQ(0, waiter->calls);
#if KR_GECKO >= 190
  // Gecko 1.9 asks the callbacks for its certificate-problem listener; the answer leaves the
  // browser's own handling in place.
  nsCOMPtr<kr::nsIBadCertListener2> callbacks;
  ASSERT_EQ(kr::NS_OK, io->opened[0]->callbacks->GetInterface(kr::nsIBadCertListener2::IID(), callbacks.OutVoid()));
  kr::PRBool suppress = 0x7f7f7f7f;
  EXPECT_EQ(kr::NS_ERROR_NOT_IMPLEMENTED,
            callbacks->NotifyCertProblem(nullptr, nullptr, kr::CNarrowString("127.0.0.1:8443"), &suppress));
  EXPECT_EQ(kr::PR_FALSE, suppress);
#endif

  nsCOMPtr<CHostCert> server = geckohost::MakeServerCert({Pki("server-ov.der"), Pki("inter.der")});
  io->security = new geckohost::CHostSecurityInfo(server.get());
  EXPECT_EQ(kr::NS_OK, downloader->GetCert("https://127.0.0.1/", waiter.get()));
  EXPECT_EQ(1, waiter->calls);
  EXPECT_TRUE(kr::SameObject(waiter->received.get(), static_cast<kr::nsIX509Cert*>(server.get())));
  EXPECT_EQ(kr::NS_ERROR_ILLEGAL_VALUE, downloader->GetCert("no scheme", waiter.get()));
}

// An object of the component's XPCOM base answers the interfaces it lists and the ones they
// extend, with one identity; a weak reference to it answers while it lives and is cut when it goes.
class CWeakTarget : public kr::CXPCOMObject<kr::nsISupportsWeakReference, kr::nsIStreamListener> {
 public:
  KR_METHOD GetWeakReference(kr::nsIWeakReference** result) override {
    return weak_.Get(static_cast<kr::nsISupportsWeakReference*>(this), result);
  }
  KR_METHOD OnStartRequest(kr::nsIRequest*, kr::nsISupports*) override { return kr::NS_OK; }
  KR_METHOD OnStopRequest(kr::nsIRequest*, kr::nsISupports*, kr::nsresult) override { return kr::NS_OK; }
  KR_METHOD OnDataAvailable(kr::nsIRequest*, kr::nsISupports*, kr::nsIInputStream*, uint32_t, uint32_t) override {
    return kr::NS_OK;
  }

 private:
  kr::CWeakReferenceSource weak_;
};

TEST(XPCOMObject, AnswersItsInterfacesAndParentsAndCutsWeakReferencesWhenItGoes) {
  nsCOMPtr<CWeakTarget> target(new CWeakTarget());
  nsCOMPtr<kr::nsIRequestObserver> observer;
  nsCOMPtr<kr::nsIStreamListener> listener;
  nsCOMPtr<kr::nsIObserver> absent;
  ASSERT_EQ(kr::NS_OK, observer.QueryFrom(target.get()));
  ASSERT_EQ(kr::NS_OK, listener.QueryFrom(target.get()));
  EXPECT_EQ(static_cast<kr::nsIRequestObserver*>(listener.get()), observer.get());
  EXPECT_EQ(kr::NS_NOINTERFACE, absent.QueryFrom(target.get()));
  EXPECT_TRUE(kr::SameObject(observer.get(), static_cast<kr::nsISupportsWeakReference*>(target.get())));
  EXPECT_EQ(3u, target->GetRefCount());

  nsCOMPtr<kr::nsIWeakReference> weak;
  ASSERT_EQ(kr::NS_OK, target->GetWeakReference(weak.Out()));
  nsCOMPtr<kr::nsIWeakReference> again;
  ASSERT_EQ(kr::NS_OK, target->GetWeakReference(again.Out()));
  EXPECT_EQ(weak.get(), again.get());
  EXPECT_EQ(3u, target->GetRefCount());  // the reference does not hold the object
  nsCOMPtr<kr::nsIStreamListener> strong;
  EXPECT_EQ(kr::NS_OK, weak->QueryReferent(kr::nsIStreamListener::IID(), strong.OutVoid()));
  EXPECT_EQ(listener.get(), strong.get());

  strong.Reset();
  observer.Reset();
  listener.Reset();
  target.Reset();
  EXPECT_EQ(kr::NS_ERROR_NULL_POINTER, weak->QueryReferent(kr::nsIStreamListener::IID(), strong.OutVoid()));
  EXPECT_EQ(nullptr, strong.get());
}

TEST_F(Bridge, InstallerRecordsTheVersionPreference) {
  geckohost::HostPrefs()->values.clear();
  GeckoHelpersNS::CGeckoCertInstaller installer(nullptr);
  EXPECT_TRUE(installer.Run());
  EXPECT_EQ("2.7.0.14", geckohost::HostPrefs()->values["extensions.kestrin.currentVersion"]);
}

// The popup's place: right edge at the anchor, or 20 pixels inside the frame's right edge when
// no padlock is known; bottom above the anchor line or 20 pixels above the frame's bottom.
class CPlacedPopup : public SslVerifyNS::CSslVerifyPopupGecko {
 public:
  CPlacedPopup(POINT anchor, RECT frame) : CSslVerifyPopupGecko(nullptr, nullptr) {
    anchor_ = anchor;
    frame_rect_ = frame;
  }
  SIZE Size() const { return SIZE{width_, height_}; }
  int Gap() const { return vertical_gap_; }
};

TEST(GeckoPopup, StandsAtThePadlockOrTheFramesCorner) {
  struct Case {
    POINT anchor;
    RECT frame;
    LONG right, bottom;  // expected right edge and bottom of the popup (before the gap)
  } cases[] = {
      {{700, 0}, {0, 0, 0, 0}, 700, 0},
      {{700, 0}, {10, 20, 810, 620}, 700, 600},
      {{-1, 0}, {10, 20, 810, 620}, 790, 600},
  };
  for (const Case& c : cases) {
    CPlacedPopup popup(c.anchor, c.frame);
    POINT at = {};
    ASSERT_TRUE(popup.GetPopupPosition(&at, SIZE{1024, 768}));
    EXPECT_EQ(c.right - popup.Size().cx, at.x);
    EXPECT_EQ(c.bottom - popup.Gap() - popup.Size().cy, at.y);
  }
}

TEST(GeckoWrapperRules, UrlFilterAndTabSelectionEvent) {
  struct {
    const wchar_t* url;
    bool passes;
  } urls[] = {{L"https://bank.example/", true}, {L"http://x/", true},  {L"about:blank", false},
              {L"ABOUT:BLANK", false},          {L"chrome://browser/content/browser.xul", false},
              {L"Resource://gre/x", false},     {L"about:config", true}};
  for (auto& u : urls) EXPECT_EQ(u.passes, GeckoHelpersNS::PassesUrlFilter(u.url)) << u.url;
  struct {
    const char* program;
    const char* version;
    const wchar_t* event;
  } hosts[] = {{"firefox", "1.5.0.12", L"select"}, {"FireFox", "1.0.8", L"select"},
               {"firefox", "2.0.0.20", L"TabSelect"}, {"firefox", "3.0.19", L"TabSelect"},
               {"seamonkey", "1.0.9", L"select"},    {"seamonkey", "1.1.19", L"TabSelect"},
               {"netscape", "9.0.0.6", L"TabSelect"}};
  for (auto& h : hosts)
    EXPECT_STREQ(h.event, GeckoHelpersNS::TabSelectEventFor(h.program, h.version)) << h.program << " " << h.version;
}

}  // namespace

namespace {

// The log writer of the browser process: an entry above the configured level starts no thread,
// one within it lands in the process's log file.
TEST(GeckoLog, WritesWithinTheLevelOnThreadsOfThisProcess) {
  KestrinWinNS::CScopedRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, LogHelperNS::kLogKeyPath, 0, nullptr, 0,
                                           KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.Receive(), nullptr));
  DWORD level = 2, mode = LogHelperNS::kLogModeFile;
  RegSetValueExA(key.Get(), "LogLevel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level), sizeof(level));
  RegSetValueExA(key.Get(), "LogMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), sizeof(mode));
  LogHelperNS::CLogHelper::SetFileState(LogHelperNS::CLogHelperStateSingleProcess::Instance());
  {
    LogHelperNS::CLogHelper logger;
    ASSERT_EQ(LogHelperNS::CLogHelperStateSingleProcess::Instance(), logger.GetState());
    CreateDirectoryA(logger.GetLogFolder().c_str(), nullptr);
    DeleteFileA(logger.GetLogFilePath().c_str());
    LONG started = LogHelperNS::CLogHelperStateSingleProcess::GetWritesStarted();
    logger.Log("too detailed", 3, true);
    EXPECT_EQ(started, LogHelperNS::CLogHelperStateSingleProcess::GetWritesStarted());
    logger.Log("Browser started, OS: test", 1, true);
    EXPECT_EQ(started + 1, LogHelperNS::CLogHelperStateSingleProcess::GetWritesStarted());
    ASSERT_TRUE(LogHelperNS::CLogHelperStateSingleProcess::WaitForWrites(10000));
    std::vector<BYTE> text;
    ASSERT_TRUE(KestrinTest::ReadFileBytes(logger.GetLogFilePath(), &text));
    std::string written(text.begin(), text.end());
    EXPECT_NE(std::string::npos, written.find("[Level 1] - "));
    EXPECT_NE(std::string::npos, written.find("Browser started, OS: test\r\n\r\n"));
    EXPECT_EQ(std::string::npos, written.find("too detailed"));
    DeleteFileA(logger.GetLogFilePath().c_str());
  }
  RegDeleteValueA(key.Get(), "LogLevel");
  RegDeleteValueA(key.Get(), "LogMode");
}

}  // namespace
