#include "common/sslverifier/ssl_verify.h"

#include <string.h>

#include <memory>
#include <set>
#include <vector>

#include "common/crypto/cert_helpers.h"
#include "common/sslverify/ssl_verify_popup.h"
#include "common/sslverify/trusted_list.h"
#include "common/sslverifier/ssl_verify_state.h"
#include "common/utility/window_ids.h"
#include "common/subclass/subclass_helper.h"
#include "common/windowing/validation_border.h"
#include "platform/win/module.h"

namespace SslVerifyNS {

namespace {

// Organisational-unit values by which authorities mark low-assurance certificates.
const char* const kLowAssuranceUnits[] = {"Domain Validated", "Domain Control Validated", "Domain Name Validated"};

std::string SubjectAttribute(CryptoNS::CCertData& data, const char* oid) {
  std::string text;
  if (!data.GetNameString(const_cast<char*>(oid), &text, false, CERT_NAME_ATTR_TYPE)) text.clear();
  return text;
}

std::string SubjectX500(PCCERT_CONTEXT certificate) {
  DWORD type = CERT_X500_NAME_STR;
  DWORD count = CertGetNameStringA(certificate, CERT_NAME_RDN_TYPE, 0, &type, nullptr, 0);
  if (count < 2) return std::string();
  std::vector<char> text(count);
  CertGetNameStringA(certificate, CERT_NAME_RDN_TYPE, 0, &type, text.data(), count);
  return std::string(text.data());
}

std::wstring Widen(const char* text) {
  int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (count <= 0) return std::wstring();
  std::vector<wchar_t> wide(count);
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), count);
  return std::wstring(wide.data());
}

}  // namespace

int ClassifyServerCertificate(PCCERT_CONTEXT certificate, const char* page_url) {
  if (!certificate || !page_url) return kCertLowAssurance;
  CryptoNS::CCertData data(certificate);
  std::string common_name = SubjectAttribute(data, szOID_COMMON_NAME);
  std::string organisation = SubjectAttribute(data, szOID_ORGANIZATION_NAME);
  if (common_name == organisation) return kCertLowAssurance;
  std::string subject = SubjectX500(certificate);
  for (const char* unit : kLowAssuranceUnits) {
    if (subject.find(std::string("OU=") + unit) != std::string::npos) return kCertLowAssurance;
  }
  return CryptoNS::VerifySslCertificateChain(certificate, Widen(page_url).c_str(), 0) == 0 ? kCertVerified
                                                                                             : kCertLowAssurance;
}

namespace {

const char kNotifyWindowClass[] = "KestrinSslVerifierEvents";
const UINT kMsgEvent = UtilityClassesNS::WindowIds::kMsgVerifierEvent;

bool RegisterNotifyClass() {
  WNDCLASSEXA wc = {sizeof(wc)};
  wc.lpszClassName = kNotifyWindowClass;
  return KestrinWinNS::CWindowBase::RegisterWindowClass(wc);
}

// The hidden window of one thread that brings events raised on other threads to the verifiers
// of that thread (WPARAM the event, LPARAM the verifier). Made with the thread's first verifier
// and destroyed with its last; an event for a verifier that has gone meanwhile is dropped.
class CThreadEvents : public KestrinWinNS::CWindowBase {
 public:
  static HWND Join(CSslVerifyBase* verifier);
  static void Leave(CSslVerifyBase* verifier);

  BOOL ProcessWindowMessage(HWND, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (message != kMsgEvent) return FALSE;
    CSslVerifyBase* verifier = reinterpret_cast<CSslVerifyBase*>(lparam);
    if (verifiers_.count(verifier)) verifier->Notify(static_cast<DWORD>(wparam));
    result = 0;
    return TRUE;
  }

 private:
  std::set<CSslVerifyBase*> verifiers_;
};

thread_local CThreadEvents* t_events = nullptr;

HWND CThreadEvents::Join(CSslVerifyBase* verifier) {
  static const bool registered = RegisterNotifyClass();
  if (!t_events) {
    std::unique_ptr<CThreadEvents> events(new CThreadEvents());
    if (!registered || !events->Create(kNotifyWindowClass, 0, 0, RECT{}, HWND_MESSAGE, nullptr, nullptr))
      return nullptr;
    t_events = events.release();
  }
  t_events->verifiers_.insert(verifier);
  return t_events->GetHwnd();
}

void CThreadEvents::Leave(CSslVerifyBase* verifier) {
  if (!t_events || !t_events->verifiers_.erase(verifier) || !t_events->verifiers_.empty()) return;
  t_events->DestroyUnbound();
  delete t_events;
  t_events = nullptr;
}

}  // namespace

CSslVerifyBase::CSslVerifyBase(ObserveNS::IObserverService* service)
    : border_(WindowingNS::CValidationBorder::GetInstance()),
      state_(CSslVerifyState::Idle()),
      thread_id_(GetCurrentThreadId()) {
  // The thread's event window is joined with the first secure page: before it no state of this
  // verifier acts on an event, so one raised elsewhere meanwhile may be dropped.
  subscription_.reset(new ObserveNS::CObserverSubscription(service, ObserveNS::kEventTrustedListRebuilt, this));
}

void CSslVerifyBase::PrepareTrustedList() {
  // The process's trusted list reads and deciphers the update file; only the popup of a secure
  // page uses it. It is built once, on the background thread, when the first secure page is
  // collected, so that no browser window waits for it (a popup that needs it first waits for
  // the build under way).
  static LONG list_started = 0;
  if (InterlockedExchange(&list_started, 1) == 0 &&
      !KestrinWinNS::RunInBackground([] { CSslVerifyTrustedList::GetInstance(); }))
    CSslVerifyTrustedList::GetInstance();
}

CSslVerifyBase::~CSslVerifyBase() {
  subscription_.reset();
  CThreadEvents::Leave(this);
  popup_.reset();
}

void CSslVerifyBase::Notify(DWORD event) {
  if (GetCurrentThreadId() == thread_id_)
    state_->OnNotify(this, event);
  else if (HWND window = notify_window_.load())
    PostMessageA(window, kMsgEvent, event, reinterpret_cast<LPARAM>(this));
}

bool CSslVerifyBase::ShowPopup(const POINT* point, bool auto_hide) {
  if (!popup_) return false;
  popup_->SetAnchorPoint(point);
  popup_->Show(auto_hide);
  if (auto_hide) {
    state_ = CSslVerifyStateHttps::Instance();
    return true;
  }
  return border_ &&
         border_->ShowBorder(WindowingNS::BorderKind::kVerification, false, cert_class_ == kCertVerified) != 0;
}

void CSslVerifyBase::CreatePopup() {
  // The border's window is made when it is first shown.
  if (border_) border_->NoteBrowserWindow(frame_);
  // A second call replaces the popup with one for the frame written since.
  popup_.reset(new CSslVerifyPopupProxy(border_, frame_));
}

void CSslVerifyBase::AdoptPopup(ISslVerifyPopup* popup) { popup_.reset(popup); }

void CSslVerifyBase::OnNavigateComplete() {
  tracker_.Update(page_url_.c_str());
  int change = tracker_.GetState();
  if (change == WebUtilsNS::CUrlChangeTracker::CHANGE_NOT_WEB) {
    state_ = CSslVerifyState::Idle();
    return;
  }
  if (change == WebUtilsNS::CUrlChangeTracker::CHANGE_NONE) return;
  if (tracker_.GetScheme() != WebUtilsNS::URL_SCHEME_HTTPS) {
    state_ = CSslVerifyState::Idle();
    return;
  }
  state_ = CSslVerifyStateProcessing::Instance();
  // The previous site's certificate and class must not colour this site while it is collected,
  // nor after its collection fails.
  cert_class_ = kCertLowAssurance;
  TakeCertificate(nullptr);
  if (!notify_window_) notify_window_ = CThreadEvents::Join(this);
  PrepareTrustedList();
  StartCollection();
}

void CSslVerifyBase::OnHover(const POINT* point) { state_->OnHover(this, point); }
void CSslVerifyBase::OnAutoShow(const POINT* point) { state_->OnAutoShow(this, point); }
void CSslVerifyBase::OnLeave(bool delayed) { state_->OnLeave(this, delayed); }

void CSslVerifyBase::TakeCertificate(PCCERT_CONTEXT certificate) {
  certificate_.Reset(certificate);
}

void CSslVerifyBase::ApplyCertificate() {
  cert_class_ = ClassifyServerCertificate(certificate_.Get(), page_url_.c_str());
  if (popup_) popup_->SetCertificate(certificate_.Get(), cert_class_);
  state_ = CSslVerifyStateHttpsAuto::Instance();
  Replay();
}

void CSslVerifyBase::ApplyNoCertificate() {
  state_ = CSslVerifyStateHttpsAuto::Instance();
  if (popup_) popup_->SetCertificate(nullptr, kCertLowAssurance);
  Replay();
}

void CSslVerifyBase::ReclassifyCertificate() {
  cert_class_ = ClassifyServerCertificate(certificate_.Get(), page_url_.c_str());
  if (popup_) popup_->SetCertificate(certificate_.Get(), cert_class_);
}

void CSslVerifyBase::RememberAutoShow(const POINT* point) {
  if (point) auto_show_point_ = *point;
  replay_ = true;
}

void CSslVerifyBase::Replay() {
  if (!replay_) return;
  replay_ = false;
  POINT point = auto_show_point_;
  state_->OnAutoShow(this, &point);
}

CSslVerifyIE::CSslVerifyIE(ObserveNS::IObserverService* service) : CSslVerifyBase(service), collector_(nullptr) {}

CSslVerifyIE::~CSslVerifyIE() {}

HRESULT CSslVerifyIE::StartCollection() {
  if (popup_) popup_->Hide(false);
  return collector_.Collect(page_url_.c_str(), this) ? S_OK : E_FAIL;
}

void CSslVerifyIE::OnCertificateCollected(PCCERT_CONTEXT certificate) {
  TakeCertificate(certificate);
  ApplyCertificate();
}

void CSslVerifyIE::OnCollectionFinished() { ApplyNoCertificate(); }

CSslVerifyIE7::CSslVerifyIE7(ISslVerifyOwner* owner, ObserveNS::IObserverService* service)
    : CSslVerifyIE(service), owner_(owner) {}

bool CSslVerifyIE7::ShowPopup(const POINT* point, bool auto_hide) {
  if (!owner_ || !owner_->IsTabActive()) return false;
  return CSslVerifyBase::ShowPopup(point, auto_hide);
}

std::unique_ptr<CSslVerifyBase> CreateSslVerifierFor(SubclassUtilsNS::BrowserGeneration generation,
                                                     ISslVerifyOwner* owner, ObserveNS::IObserverService* service) {
  if (SubclassUtilsNS::IsSingleBrowserFrame(generation)) return std::unique_ptr<CSslVerifyBase>(new CSslVerifyIE(service));
  if (SubclassUtilsNS::IsTabbedFrame(generation))
    return std::unique_ptr<CSslVerifyBase>(new CSslVerifyIE7(owner, service));
  return nullptr;
}

std::unique_ptr<CSslVerifyBase> CreateSslVerifier(ISslVerifyOwner* owner) {
  return CreateSslVerifierFor(SubclassUtilsNS::GetBrowserVersion(), owner, ObserveNS::CObserverService::GetInstance());
}

}  // namespace SslVerifyNS
