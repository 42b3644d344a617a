// The verifier's state machine, driven with a recording popup and without network: a leaf that
// records collection starts stands in for the collector.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/observe/observer_service.h"
#include "common/sslverifier/ssl_verify.h"
#include "common/sslverifier/ssl_verify_state.h"
#include "common/windowing/validation_border.h"
#include "platform/win/scoped_handle.h"
#include "tests/common/sslverifier/test_certificates.h"

using namespace SslVerifyNS;

namespace {

struct PopupLog {
  std::vector<std::string> calls;
  POINT anchor = {-1, -1};
  PCCERT_CONTEXT certificate = nullptr;
  int cert_class = -1;
  bool hide_result = true;
  std::string Last() const { return calls.empty() ? "" : calls.back(); }
  int Count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : calls) n += c == call;
    return n;
  }
};

class RecordingPopup : public ISslVerifyPopup {
 public:
  explicit RecordingPopup(PopupLog* log) : log_(log) {}
  bool Show(bool auto_hide) override {
    log_->calls.push_back(auto_hide ? "show-auto" : "show");
    return true;
  }
  bool Hide(bool delayed) override {
    log_->calls.push_back(delayed ? "hide-delayed" : "hide");
    return log_->hide_result;
  }
  bool SetCertificate(PCCERT_CONTEXT certificate, int cert_class) override {
    log_->calls.push_back("certificate");
    log_->certificate = certificate;
    log_->cert_class = cert_class;
    return true;
  }
  void SetAnchorPoint(const POINT* point) override { log_->anchor = *point; }

 private:
  PopupLog* log_;
};

class TestVerifier : public CSslVerifyBase {
 public:
  explicit TestVerifier(ObserveNS::IObserverService* service) : CSslVerifyBase(service) {}
  HRESULT StartCollection() override {
    ++collections;
    return S_OK;
  }
  void Navigate(const char* url) {
    SetPageUrl(url);
    OnNavigateComplete();
  }
  int collections = 0;
};

class StateMachineTest : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = CreateWindowExA(0, "STATIC", "frame", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    verifier_.reset(new TestVerifier(&service_));
    verifier_->SetBrowserWindow(frame_);
    verifier_->CreatePopup();
    verifier_->AdoptPopup(new RecordingPopup(&popup_));
    border_ = WindowingNS::CValidationBorder::GetInstance();
    // A hide is postponed while the pointer rests on the border: keep it in the middle.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  }
  void TearDown() override {
    verifier_.reset();
    border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
    DestroyWindow(frame_);
  }
  // A collected certificate arrives for the current page.
  void Collected(PCCERT_CONTEXT certificate) {
    verifier_->TakeCertificate(CertDuplicateCertificateContext(certificate));
    verifier_->ApplyCertificate();
  }

  ObserveNS::CObserverService service_;
  HWND frame_ = nullptr;
  PopupLog popup_;
  std::unique_ptr<TestVerifier> verifier_;
  WindowingNS::CValidationBorder* border_ = nullptr;
  POINT padlock_ = {150, 20};
};

}  // namespace

TEST_F(StateMachineTest, NavigationsChooseTheState) {
  struct Step {
    const char* url;
    CSslVerifyState* state;
    int collections;
  } steps[] = {
      {"about:blank", CSslVerifyState::Idle(), 0},
      {"http://shop.example/", CSslVerifyState::Idle(), 0},
      {"https://shop.example/", CSslVerifyStateProcessing::Instance(), 1},   // same host, to https
      {"https://shop.example/cart", CSslVerifyStateProcessing::Instance(), 1},  // nothing changes
      {"http://shop.example/", CSslVerifyState::Idle(), 1},                   // same host, to http
      {"https://bank.example/", CSslVerifyStateProcessing::Instance(), 2},   // new https host
      {"ftp://bank.example/", CSslVerifyState::Idle(), 2},
  };
  for (const Step& step : steps) {
    verifier_->Navigate(step.url);
    EXPECT_EQ(verifier_->GetState(), step.state) << step.url;
    EXPECT_EQ(verifier_->collections, step.collections) << step.url;
  }
}

TEST_F(StateMachineTest, SameSiteNavigationKeepsCertificateAndPopup) {
  TestCertificates& certs = TestCertificates::Get();
  verifier_->Navigate("https://127.0.0.1/");
  Collected(certs.Organisation());
  ASSERT_EQ(verifier_->GetState(), CSslVerifyStateHttpsAuto::Instance());
  PCCERT_CONTEXT held = verifier_->GetCertificate();
  size_t popup_calls = popup_.calls.size();
  verifier_->Navigate("https://127.0.0.1/other/page");
  EXPECT_EQ(verifier_->GetState(), CSslVerifyStateHttpsAuto::Instance());
  EXPECT_EQ(verifier_->GetCertificate(), held);
  EXPECT_EQ(verifier_->collections, 1);
  EXPECT_EQ(popup_.calls.size(), popup_calls);
}

TEST_F(StateMachineTest, AutoShowDuringCollectionIsReplayedOnce) {
  TestCertificates& certs = TestCertificates::Get();
  verifier_->Navigate("https://127.0.0.1/");
  verifier_->OnAutoShow(&padlock_);
  EXPECT_EQ(popup_.Count("show-auto"), 0);
  Collected(certs.Organisation());
  EXPECT_EQ(popup_.Count("show-auto"), 1) << "the remembered auto-show runs once the certificate is in";
  EXPECT_EQ(popup_.anchor.x, padlock_.x);
  EXPECT_EQ(popup_.anchor.y, padlock_.y);
  EXPECT_EQ(verifier_->GetState(), CSslVerifyStateHttps::Instance());
  verifier_->OnAutoShow(&padlock_);
  EXPECT_EQ(popup_.Count("show-auto"), 1) << "a second auto-show does nothing";
  // A hover still opens the popup, without auto-hide.
  verifier_->OnHover(&padlock_);
  EXPECT_EQ(popup_.Last(), "show");
}

TEST_F(StateMachineTest, FailedCollectionShowsLowAssuranceFaceAndReplays) {
  verifier_->Navigate("https://127.0.0.1/");
  verifier_->OnAutoShow(&padlock_);
  verifier_->ApplyNoCertificate();
  EXPECT_EQ(popup_.certificate, nullptr);
  EXPECT_EQ(popup_.cert_class, 0);
  EXPECT_EQ(popup_.Count("show-auto"), 1);
  EXPECT_EQ(verifier_->GetState(), CSslVerifyStateHttps::Instance());
}

TEST_F(StateMachineTest, HoverAndLeaveDriveTheBorder) {
  TestCertificates& certs = TestCertificates::Get();
  verifier_->Navigate("https://127.0.0.1/");
  Collected(certs.Organisation());
  ASSERT_EQ(verifier_->GetCertClass(), 1);

  verifier_->OnHover(&padlock_);
  EXPECT_EQ(popup_.Last(), "show");
  EXPECT_TRUE(border_->IsBorderVisible());
  EXPECT_EQ(verifier_->GetState(), CSslVerifyStateHttpsAuto::Instance()) << "a hover does not use up the auto-show";

  popup_.hide_result = false;  // the pointer rests on the popup: the border stays
  verifier_->OnLeave(true);
  EXPECT_EQ(popup_.Last(), "hide-delayed");
  EXPECT_TRUE(border_->IsBorderVisible());
  popup_.hide_result = true;
  verifier_->OnLeave(false);
  EXPECT_EQ(popup_.Last(), "hide");
  EXPECT_FALSE(border_->IsBorderVisible());
}

TEST_F(StateMachineTest, NewSiteForgetsThePreviousCertificate) {
  TestCertificates& certs = TestCertificates::Get();
  verifier_->Navigate("https://127.0.0.1/");
  Collected(certs.Organisation());
  ASSERT_EQ(verifier_->GetCertClass(), 1);

  // Another https host: while it is collected, the previous site's look must not show.
  verifier_->Navigate("https://localhost/");
  EXPECT_EQ(verifier_->GetState(), CSslVerifyStateProcessing::Instance());
  EXPECT_EQ(verifier_->GetCertClass(), 0);
  EXPECT_EQ(verifier_->GetCertificate(), nullptr);
  EXPECT_EQ(popup_.Count("show"), 0);
  verifier_->OnHover(&padlock_);
  EXPECT_EQ(popup_.Count("show"), 0) << "processing shows the border only";
  EXPECT_TRUE(border_->IsBorderVisible());
  verifier_->OnLeave(true);
  EXPECT_FALSE(border_->IsBorderVisible());

  // Its collection fails: a trusted-list rebuild must not bring the old certificate back.
  verifier_->ApplyNoCertificate();
  size_t calls = popup_.calls.size();
  verifier_->Notify(ObserveNS::kEventTrustedListRebuilt);
  EXPECT_EQ(popup_.calls.size(), calls);
  EXPECT_EQ(verifier_->GetCertClass(), 0);
}

TEST_F(StateMachineTest, OnlyEventTwoWithACertificateReclassifies) {
  TestCertificates& certs = TestCertificates::Get();
  verifier_->Navigate("https://127.0.0.1/");
  verifier_->Notify(ObserveNS::kEventTrustedListRebuilt);  // processing: nothing
  EXPECT_EQ(popup_.Count("certificate"), 0);
  Collected(certs.Organisation());
  EXPECT_EQ(popup_.Count("certificate"), 1);
  verifier_->Notify(ObserveNS::kEventSettingsChanged);
  verifier_->Notify(ObserveNS::kEventUpdateFileChanged);
  EXPECT_EQ(popup_.Count("certificate"), 1);
  // Through the service, as the trusted list announces a rebuild.
  service_.Notify(ObserveNS::kEventTrustedListRebuilt);
  EXPECT_EQ(popup_.Count("certificate"), 2);
  EXPECT_EQ(popup_.cert_class, 1);
  service_.Notify(ObserveNS::kEventSettingsChanged);
  EXPECT_EQ(popup_.Count("certificate"), 2) << "the verifier listens to event 2 only";
}

TEST_F(StateMachineTest, EventFromAnotherThreadRunsOnTheVerifiersThread) {
  TestCertificates& certs = TestCertificates::Get();
  verifier_->Navigate("https://127.0.0.1/");
  Collected(certs.Organisation());
  struct Notifier {
    static DWORD WINAPI Run(void* service) {
      static_cast<ObserveNS::CObserverService*>(service)->Notify(ObserveNS::kEventTrustedListRebuilt);
      return 0;
    }
  };
  KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 0, &Notifier::Run, &service_, 0, nullptr));
  ASSERT_EQ(WaitForSingleObject(thread.Get(), 5000), WAIT_OBJECT_0);
  thread.Reset();
  EXPECT_EQ(popup_.Count("certificate"), 1) << "not run on the notifying thread";
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(popup_.Count("certificate"), 2);
}

namespace {

class TabOwner : public ISslVerifyOwner {
 public:
  bool IsTabActive() override { return active; }
  bool active = false;
};

}  // namespace

TEST(SslVerifierFactory, ChoosesTheKindByBrowserGeneration) {
  ObserveNS::CObserverService service;
  TabOwner owner;
  for (int version : {0, 5, -1}) EXPECT_EQ(CreateSslVerifierFor(static_cast<SubclassUtilsNS::BrowserGeneration>(version), &owner, &service), nullptr) << version;
  for (int version : {1, 2, 3, 4}) {
    std::unique_ptr<CSslVerifyBase> verifier(CreateSslVerifierFor(static_cast<SubclassUtilsNS::BrowserGeneration>(version), &owner, &service));
    ASSERT_NE(verifier, nullptr);
    EXPECT_EQ(dynamic_cast<CSslVerifyIE7*>(verifier.get()) != nullptr, version >= 3) << version;
    EXPECT_NE(dynamic_cast<CSslVerifyIE*>(verifier.get()), nullptr);
  }
}

TEST(SslVerifierIE7, AutoShowWaitsForTheActiveTab) {
  ObserveNS::CObserverService service;
  TabOwner owner;
  PopupLog log;
  CSslVerifyIE7 verifier(&owner, &service);
  verifier.AdoptPopup(new RecordingPopup(&log));
  verifier.SetPageUrl("https://127.0.0.1/");
  verifier.TakeCertificate(CertDuplicateCertificateContext(TestCertificates::Get().Organisation()));
  verifier.ApplyCertificate();
  POINT point = {10, 10};
  verifier.OnAutoShow(&point);
  EXPECT_EQ(log.Count("show-auto"), 0);
  EXPECT_EQ(verifier.GetState(), CSslVerifyStateHttpsAuto::Instance());
  owner.active = true;
  verifier.OnAutoShow(&point);
  EXPECT_EQ(log.Count("show-auto"), 1);
  EXPECT_EQ(verifier.GetState(), CSslVerifyStateHttps::Instance());
}
