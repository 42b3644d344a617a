#include "gecko/kestrin_engine.h"

#include <stdio.h>

#include "common/utility/platform.h"
#include "gecko/gecko_helpers.h"
#include "gecko/kestrin_wrapper.h"

namespace GeckoHelpersNS {

using kr::nsCOMPtr;
using kr::NS_FAILED;
using kr::NS_SUCCEEDED;

namespace {

const DWORD kSettingsSavedEvent = 1;
const DWORD kLookupRequestId = 2;
const char* const kMainTopics[] = {kTopicDocComplete, kTopicNavComplete, kTopicStopActivity, kTopicTabChange};
const char* const kCloseTopics[] = {"quit-application-granted", kTopicWindowClose};
const char* const kPadlockTopics[] = {kTopicShowPadlock, kTopicShowURLPadlock, kTopicHidePadlock, kTopicShowEvPopup,
                                      kTopicShowEvTooltip};
int g_live = 0;

// A Gecko element as the site-seal list keeps it: one counted reference behind IUnknown.
class CGeckoNode final : public IUnknown {
 public:
  explicit CGeckoNode(kr::nsIDOMElement* element) : element_(element) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = iid == IID_IUnknown ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  kr::nsIDOMElement* element() const { return element_.get(); }

 private:
  ~CGeckoNode() = default;
  nsCOMPtr<kr::nsIDOMElement> element_;
  ULONG references_ = 0;
};

std::wstring Attribute(kr::nsIDOMElement* element, const wchar_t* name) {
  kr::CWideString value;
  if (!element || NS_FAILED(element->GetAttribute(kr::CWideString(name), value))) return std::wstring();
  return value.Get();
}

// A string attribute read through its getter.
template <class T, class G>
std::wstring Text(T* object, G getter) {
  kr::CWideString value;
  if (!object || NS_FAILED((object->*getter)(value))) return std::wstring();
  return value.Get();
}

void Listen(kr::nsISupports* target, const wchar_t* type, kr::nsIDOMEventListener* listener, bool capture, bool on) {
  nsCOMPtr<kr::nsIDOMEventTarget> events;
  if (NS_FAILED(events.QueryFrom(target))) return;
  kr::CWideString type_string(type);
  kr::PRBool use_capture = capture ? kr::PR_TRUE : kr::PR_FALSE;
  if (on) events->AddEventListener(type_string, listener, use_capture);
  else events->RemoveEventListener(type_string, listener, use_capture);
}

std::vector<nsCOMPtr<kr::nsIDOMElement>> ElementsByTag(kr::nsIDOMDocument* document, const wchar_t* tag) {
  std::vector<nsCOMPtr<kr::nsIDOMElement>> out;
  nsCOMPtr<kr::nsIDOMNodeList> list;
  uint32_t count = 0;
  if (!document || NS_FAILED(document->GetElementsByTagName(kr::CWideString(tag), list.Out())) || !list ||
      NS_FAILED(list->GetLength(&count)))
    return out;
  for (uint32_t i = 0; i < count; ++i) {
    nsCOMPtr<kr::nsIDOMNode> node;
    nsCOMPtr<kr::nsIDOMElement> element;
    if (NS_SUCCEEDED(list->Item(i, node.Out())) && node && NS_SUCCEEDED(element.QueryFrom(node.get())))
      out.push_back(element);
  }
  return out;
}

}  // namespace

bool CGeckoSiteSealLookup::GetConnectedState(DWORD* flags) {
  if (flags) *flags = 0;
  return true;
}

bool CGeckoSiteSealLookup::GoOnline(const char*) { return false; }

int Kestrin::GetLiveCount() { return g_live; }

Kestrin::Kestrin()
    : border_(WindowingNS::CValidationBorder::GetInstance()),
      lookup_(this, this),
      settings_(SettingsUtilsNS::kLoadGroupNone),
      logger_(LogHelperNS::CLogHelper::GetInstance()) {
  ++g_live;
  verifier_.reset(new SslVerifyNS::CSslVerifyGecko(this));
  kraida_state_ = settings_.GetCurrentKRAIDAState(true);
  settings_subscription_.reset(
      new ObserveNS::CObserverSubscription(ObserveNS::CObserverService::GetInstance(), kSettingsSavedEvent, this));
}

Kestrin::~Kestrin() {
  settings_subscription_.reset();
  verifier_.reset();
  RemoveElementListeners();
  if (--g_live == 0) {
    WindowingNS::CValidationBorder::Shutdown();
  }
}


void Kestrin::Diagnostic(const char* format, const std::string& argument, int level) {
  char text[1024];
  snprintf(text, sizeof(text), format, argument.c_str());
  LogHelperNS::Log(text, level, true);
}

// ---- IKestrin ----

kr::nsresult Kestrin::Init(kr::nsISupports* window, kr::nsISupports* observer_service,
                           kr::nsISupports* service_manager, kr::IKestrinWrapper* wrapper) {
  if (!window || !observer_service || !wrapper) return kr::NS_ERROR_ILLEGAL_VALUE;
  if (NS_FAILED(window_.QueryFrom(window)) || NS_FAILED(observers_.QueryFrom(observer_service)))
    return kr::NS_ERROR_ILLEGAL_VALUE;
  services_.QueryFrom(service_manager);
  wrapper_ = wrapper;
  for (const char* topic : kMainTopics) observers_->AddObserver(this, topic, kr::PR_FALSE);
  for (const char* topic : kCloseTopics) observers_->AddObserver(this, topic, kr::PR_FALSE);
  registered_ = true;
  browser_window_ = NativeWindowOf(window_.get());
  if (!browser_window_) browser_window_ = FindBrowserWindow();
  connection_warning_.CreateWithFocusWindow(browser_window_, 0);
  verifier_->SetBrowserWindow(browser_window_);
  verifier_->CreateGeckoPopup();
  border_->SetHideWhenInactive(1);
  border_->SetBrowserWindow(browser_window_);
  shadow_.Initialize(border_, browser_window_);
  nlr_list_.SetRequestWaiter(this);
  if (!UtilityClassesNS::IsTrayProgramRunning()) UtilityClassesNS::LaunchTrayProgram();
  if (NS_SUCCEEDED(GetService("@mozilla.org/network/cache-service;1", &cache_service_)) && cache_service_ &&
      NS_SUCCEEDED(cache_service_->CreateSession("HTTP", kr::nsICacheService::STORE_ANYWHERE, kr::PR_TRUE,
                                                 cache_session_.Out())) &&
      cache_session_) {
    cache_session_->SetDoomEntriesIfExpired(kr::PR_FALSE);
  }
  ComputeTabSelected();
  return kr::NS_OK;
}

kr::nsresult Kestrin::OnNavigateComplete(const kr::PRUnichar* url, kr::nsIRequest* request) {
  if (!url) return kr::NS_ERROR_ILLEGAL_VALUE;
  wide_url_ = url;
  url_ = AddressToNarrow(wide_url_);
  // The same URL and host reading as the Internet Explorer road.
  lookup_.LookupSiteSeals(url_.c_str());
  Listen(window_.get(), L"unload", this, false, true);
  Listen(window_.get(), L"DOMMouseScroll", this, false, true);
  window_listeners_ = true;
  SetPadlockTopics(url_.compare(0, 7, "https:/") == 0);
  verifier_->SetRequest(request);
  verifier_->SetPageUrl(url_.c_str());
  verifier_->OnNavigateComplete();
  return kr::NS_OK;
}

void Kestrin::SetPadlockTopics(bool on) {
  if (on == padlock_topics_ || !observers_) return;
  for (const char* topic : kPadlockTopics) {
    if (on) observers_->AddObserver(this, topic, kr::PR_FALSE);
    else observers_->RemoveObserver(this, topic);
  }
  padlock_topics_ = on;
}

// ---- topics and events ----

kr::nsresult Kestrin::Observe(kr::nsISupports* subject, const char* topic, const kr::PRUnichar* data) {
  if (!topic) return kr::NS_OK;
  nsCOMPtr<kr::IKestrin> keep(this);  // shutting down drops the observer service's references
  if (strcmp(topic, kTopicNavComplete) == 0) {
    nsCOMPtr<kr::nsIArray> array;
    nsCOMPtr<kr::nsIDOMWindow> window;
    if (NS_FAILED(array.QueryFrom(subject)) ||
        NS_FAILED(array->QueryElementAt(1, kr::nsIDOMWindow::IID(), window.OutVoid())) ||
        !SameObject(window.get(), window_.get())) {
      return kr::NS_OK;
    }
    nsCOMPtr<kr::nsIRequest> request;
    array->QueryElementAt(2, kr::nsIRequest::IID(), request.OutVoid());
    ResetPage();
    OnNavigateComplete(data ? data : L"", request.get());
    nsCOMPtr<kr::nsISupportsPRBool> holder;
    if (NS_SUCCEEDED(array->QueryElementAt(0, kr::nsISupportsPRBool::IID(), holder.OutVoid())) && holder)
      holder->SetData(kr::PR_FALSE);
  } else if (strcmp(topic, kTopicDocComplete) == 0) {
    nsCOMPtr<kr::nsIArray> array;
    nsCOMPtr<kr::nsIDOMWindow> window;
    nsCOMPtr<kr::nsIDOMHTMLDocument> document;
    if (!data || wide_url_ != data || NS_FAILED(array.QueryFrom(subject)) ||
        NS_FAILED(array->QueryElementAt(0, kr::nsIDOMWindow::IID(), window.OutVoid())) ||
        !SameObject(window.get(), window_.get()) ||
        NS_FAILED(array->QueryElementAt(1, kr::nsIDOMHTMLDocument::IID(), document.OutVoid())) || !document) {
      return kr::NS_OK;
    }
    document_ = document;
    ScanPage(document.get());
  } else if (strcmp(topic, kTopicTabChange) == 0) {
    if (subject) {
      if (SameObject(subject, window_.get())) ComputeTabSelected();
    } else if (tab_selected_ && InForeground()) {
      StopActivity();
      tab_selected_ = false;
    }
  } else if (strcmp(topic, kTopicShowPadlock) == 0) {
    OnPadlockHover(subject);
  } else if (strcmp(topic, kTopicShowURLPadlock) == 0) {
    nsCOMPtr<kr::nsISupports> box;
    if (wrapper_ && NS_SUCCEEDED(wrapper_->GetPadlockBox(browser_window_, box.Out()))) OnPadlockHover(box.get());
  } else if (strcmp(topic, kTopicHidePadlock) == 0) {
    verifier_->OnLeave(true);
  } else if (strcmp(topic, kTopicStopActivity) == 0) {
    StopActivity();
  } else if (strcmp(topic, "quit-application-granted") == 0) {
    ShutDown();
  } else if (strcmp(topic, kTopicWindowClose) == 0) {
    nsCOMPtr<kr::nsISupportsVoid> holder;
    void* closed = nullptr;
    if (NS_SUCCEEDED(holder.QueryFrom(subject)) && NS_SUCCEEDED(holder->GetData(&closed)) &&
        closed == browser_window_)
      ShutDown();
  }
  return kr::NS_OK;
}

kr::nsresult Kestrin::HandleEvent(kr::nsIDOMEvent* event) {
  if (!event) return kr::NS_ERROR_ILLEGAL_VALUE;
  nsCOMPtr<kr::IKestrin> keep(this);
  std::wstring type = Text(event, &kr::nsIDOMEvent::GetType);
  if (type == L"mouseover") {
    OnSealMouseOver(event);
  } else if (type == L"mouseout") {
    if (border_by_mouse_over_) {
      border_by_mouse_over_ = false;
      border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
    }
  } else if (type == L"unload") {
    nsCOMPtr<kr::nsIDOMEventTarget> target;
    if (NS_SUCCEEDED(event->GetTarget(target.Out())) && target) {
      Listen(window_.get(), L"DOMMouseScroll", this, false, false);
      Listen(window_.get(), L"unload", this, false, false);
      window_listeners_ = false;
    } else {
      ShutDown();
    }
  } else if (type == L"DOMMouseScroll") {
    StopActivity();
  }
  return kr::NS_OK;
}

void Kestrin::OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) {
  if (request_id == kLookupRequestId) {
    // Only the reply to the lookup of the current host counts.
    if (!url || lookup_.GetPendingUrl() != url) return;
    lookup_.OnLookupReply(url, body, length);
    char line[512];
    snprintf(line, sizeof(line), "%lu NLRs downloaded for %s", static_cast<unsigned long>(nlr_list_.GetCount()),
             lookup_.GetCurrentHost().c_str());
    LogHelperNS::Log(line, 3, true);
    nlr_list_.SetCertificatesDownloaded(true);
    if (page_scanned_) nlr_list_.VerifyImages();
  } else if (request_id == kImageRequestId) {
    nlr_list_.OnImageDownloaded();
    if (!nlr_list_.IsImageListComplete()) return;
    nlr_list_.VerifyImages();
    if (!effect_shown_) ShowShadowMouse();
  }
}

void Kestrin::OnRequestFailed(DWORD request_id, DWORD error) {
  if (error == 12017 || error == 12030) return;
  connection_warning_.Show();
}

void Kestrin::Notify(DWORD event) {
  if (event == kSettingsSavedEvent) kraida_state_ = settings_.GetCurrentKRAIDAState(true);
}

// ---- windows, tabs and activity ----

HWND Kestrin::FindBrowserWindow() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  CharLowerBuffA(path, static_cast<DWORD>(strlen(path)));
  auto ends_with = [&path](const char* name) {
    size_t n = strlen(path), m = strlen(name);
    return n >= m && strcmp(path + n - m, name) == 0 && (n == m || path[n - m - 1] == '\\' || path[n - m - 1] == '/');
  };
  HWND start = nullptr;
  if (ends_with("firefox.exe")) {
    start = FindWindowA("MozillaUIWindowClass", nullptr);
    if (!start) start = FindWindowA("MozillaWindowClass", nullptr);
  } else if (ends_with("mozilla.exe") || ends_with("netscp.exe")) {
    start = FindWindowA("MozillaWindowClass", nullptr);
  } else if (ends_with("netscape.exe")) {
    start = FindWindowA("NS_AE_WindowClass", nullptr);
  }
  DWORD self = GetCurrentProcessId();
  for (HWND w = start; w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (!GetParent(w) && pid == self) return w;
  }
  return nullptr;
}

void Kestrin::ComputeTabSelected() {
  // The engine's window is the selected tab when it is its browser window's current content
  // window; the browser window is asked through the window's tree owner.
  nsCOMPtr<kr::nsIInterfaceRequestor> owner = TreeOwnerOf(window_.get());
  nsCOMPtr<kr::nsIDOMChromeWindow> chrome;
  nsCOMPtr<kr::nsIDOMWindowInternal> internal;
  nsCOMPtr<kr::nsIDOMWindow> content;
  if (!owner || NS_FAILED(owner->GetInterface(kr::nsIDOMChromeWindow::IID(), chrome.OutVoid())) || !chrome ||
      NS_FAILED(internal.QueryFrom(chrome.get())) || NS_FAILED(internal->GetContent(content.Out()))) {
    tab_selected_ = false;
    return;
  }
  tab_selected_ = SameObject(content.get(), window_.get());
}

bool Kestrin::InForeground() const {
  HWND foreground = GetForegroundWindow();
  return browser_window_ && foreground && (foreground == browser_window_ || GetParent(foreground) == browser_window_);
}

void Kestrin::StopActivity() {
  border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  if (shadow_.IsEffectRunning()) shadow_.StopEffect();
  verifier_->OnLeave(false);
}

void Kestrin::ResetPage() {
  scan_done_ = false;
  effect_shown_ = false;
  page_scanned_ = false;
  border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  if (shadow_.IsEffectRunning()) shadow_.StopEffect();
  verifier_->OnLeave(false);
  RemoveElementListeners();
}

void Kestrin::RemoveElementListeners() {
  for (auto* list : {&images_, &backgrounds_}) {
    for (auto& element : *list) {
      Listen(element.get(), L"mouseover", this, true, false);
      Listen(element.get(), L"mouseout", this, true, false);
    }
    list->clear();
  }
}

void Kestrin::ShutDown() {
  nsCOMPtr<kr::IKestrin> keep(this);
  border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  if (shadow_.IsEffectRunning()) shadow_.StopEffect();
  verifier_->OnLeave(false);
  RemoveElementListeners();
  if (!registered_ || !observers_) return;
  for (const char* topic : kCloseTopics) observers_->RemoveObserver(this, topic);
  SetPadlockTopics(false);
  if (window_listeners_) {
    Listen(window_.get(), L"unload", this, false, false);
    Listen(window_.get(), L"DOMMouseScroll", this, false, false);
    window_listeners_ = false;
  }
  for (const char* topic : kMainTopics) observers_->RemoveObserver(this, topic);
  registered_ = false;
}

// ---- the page ----

void Kestrin::ScanPage(kr::nsIDOMHTMLDocument* document) {
  auto frames = ElementsByTag(document, L"frame");
  for (auto* tag : {L"frame", L"iframe"}) {
    for (auto& element : ElementsByTag(document, tag)) {
      // Frames and iframes answer interfaces of their own, each with its content document.
      nsCOMPtr<kr::nsIDOMHTMLFrameElement> frame;
      nsCOMPtr<kr::nsIDOMHTMLIFrameElement> iframe;
      nsCOMPtr<kr::nsIDOMDocument> inner;
      nsCOMPtr<kr::nsIDOMHTMLDocument> html;
      if (NS_SUCCEEDED(frame.QueryFrom(element.get()))) frame->GetContentDocument(inner.Out());
      else if (NS_SUCCEEDED(iframe.QueryFrom(element.get()))) iframe->GetContentDocument(inner.Out());
      if (inner && NS_SUCCEEDED(html.QueryFrom(inner.get()))) ScanDocument(html.get());
    }
  }
  if (frames.empty()) ScanDocument(document);
  page_scanned_ = true;
  nlr_list_.SetImagesCollected(true);
  nlr_list_.VerifyImages();
  scan_done_ = true;
  nsCOMPtr<kr::nsISupports> box_object;
  nsCOMPtr<kr::nsIBoxObject> box;
  POINT anchor = {-1, 0};
  if (wrapper_ && NS_SUCCEEDED(wrapper_->GetPadlockBox(browser_window_, box_object.Out())) &&
      NS_SUCCEEDED(box.QueryFrom(box_object.get())))
    anchor = AnchorOf(box.get());
  verifier_->OnAutoShow(&anchor);
  if (nlr_list_.IsImageListComplete() && !effect_shown_) ShowShadowMouse();
  Diagnostic("Downloaded Document - %s", url_, 3);
}

void Kestrin::ScanDocument(kr::nsIDOMHTMLDocument* document) {
  view_css_.Reset();
  nsCOMPtr<kr::nsIDOMWindow> view = WindowOfDocument(document);
  if (view) view_css_.QueryFrom(view.get());
  std::string document_url = AddressToNarrow(Text(document, &kr::nsIDOMHTMLDocument::GetURL));
  if (view_css_) {
    nsCOMPtr<kr::nsIDOMHTMLElement> body;
    if (NS_SUCCEEDED(document->GetBody(body.Out())) && body) AddBackground(body.get(), document_url);
    for (auto* tag : {L"div", L"a", L"table"}) {
      for (auto& element : ElementsByTag(document, tag)) AddBackground(element.get(), document_url);
    }
  }
  nsCOMPtr<kr::nsIDOMHTMLCollection> images;
  uint32_t count = 0;
  if (NS_FAILED(document->GetImages(images.Out())) || !images || NS_FAILED(images->GetLength(&count))) return;
  for (uint32_t i = 0; i < count; ++i) {
    nsCOMPtr<kr::nsIDOMNode> node;
    nsCOMPtr<kr::nsIDOMElement> element;
    if (NS_SUCCEEDED(images->Item(i, node.Out())) && node && NS_SUCCEEDED(element.QueryFrom(node.get())))
      AddImage(element.get());
  }
}

void Kestrin::AddImage(kr::nsIDOMElement* element) {
  nsCOMPtr<kr::nsIDOMHTMLImageElement> img;
  if (NS_FAILED(img.QueryFrom(element))) return;
  std::string src = PageTextToNarrow(Text(img.get(), &kr::nsIDOMHTMLImageElement::GetSrc));
  Listen(element, L"mouseover", this, true, true);
  Listen(element, L"mouseout", this, true, true);
  images_.push_back(element);
  nlr_list_.AddPageImage(src, CachedSize(src), new CGeckoNode(element));
}

std::string Kestrin::ComputedBackground(kr::nsIDOMElement* element) {
  if (!element) return std::string();
  // The style comes from the element's own document's view, else from the page's.
  nsCOMPtr<kr::nsIDOMDocument> owner;
  nsCOMPtr<kr::nsIDOMWindow> view;
  nsCOMPtr<kr::nsIDOMViewCSS> css;
  if (NS_SUCCEEDED(element->GetOwnerDocument(owner.Out())) && owner) view = WindowOfDocument(owner.get());
  if (view) css.QueryFrom(view.get());
  if (!css) css = view_css_;
  if (!css) return std::string();
  nsCOMPtr<kr::nsIDOMHTMLElement> html;
  html.QueryFrom(element);
  std::wstring pseudo = Text(html.get(), &kr::nsIDOMHTMLElement::GetClassName);
  nsCOMPtr<kr::nsIDOMCSSStyleDeclaration> style;
  kr::CWideString value;
  if (NS_FAILED(css->GetComputedStyle(element, kr::CWideString(pseudo), style.Out())) || !style ||
      NS_FAILED(style->GetPropertyValue(kr::CWideString(L"background-image"), value)))
    return std::string();
  std::string text = PageTextToNarrow(value.Get());
  return text == "none" ? std::string() : text;
}

void Kestrin::AddBackground(kr::nsIDOMElement* element, const std::string& document_url) {
  std::string value = PageTextToNarrow(Attribute(element, L"background"));
  if (value.empty() || value == "none") value = ComputedBackground(element);
  if (value.empty()) return;
  // The same reading of a background as on the Internet Explorer road.
  std::string url = CNLRList::BackgroundToUrl(value, document_url, nlr_list_.GetHost());
  if (url.empty()) return;
  Listen(element, L"mouseover", this, true, true);
  Listen(element, L"mouseout", this, true, true);
  backgrounds_.push_back(element);
  nlr_list_.AddPageBackground(url, CachedSize(url), new CGeckoNode(element));
}

int Kestrin::CachedSize(const std::string& url) {
  nsCOMPtr<kr::nsICacheEntryDescriptor> entry;
  uint32_t size = 0;
  if (!cache_session_ ||
      NS_FAILED(cache_session_->OpenCacheEntry(kr::CNarrowString(url), kr::nsICacheSession::ACCESS_READ, kr::PR_FALSE,
                                               entry.Out())) ||
      !entry || NS_FAILED(entry->GetDataSize(&size)) || size == 0)
    return -1;
  return static_cast<int>(size);
}

void Kestrin::OnSealMouseOver(kr::nsIDOMEvent* event) {
  nsCOMPtr<kr::nsIDOMEventTarget> target;
  nsCOMPtr<kr::nsIDOMElement> element;
  if (NS_FAILED(event->GetTarget(target.Out())) || NS_FAILED(element.QueryFrom(target.get()))) return;
  nsCOMPtr<kr::nsIDOMDocument> owner;
  nsCOMPtr<kr::nsIDOMHTMLDocument> html;
  element->GetOwnerDocument(owner.Out());
  html.QueryFrom(owner.get());
  std::string document_url = AddressToNarrow(Text(html.get(), &kr::nsIDOMHTMLDocument::GetURL));
  std::string value;
  nsCOMPtr<kr::nsIDOMHTMLImageElement> img;
  if (NS_SUCCEEDED(img.QueryFrom(element.get()))) {
    value = PageTextToNarrow(Text(img.get(), &kr::nsIDOMHTMLImageElement::GetSrc));
  } else {
    value = ComputedBackground(element.get());
    std::wstring tag = Text(element.get(), &kr::nsIDOMElement::GetTagName);
    if (value.empty() && (tag == L"TD" || tag == L"td")) {
      nsCOMPtr<kr::nsIDOMNode> walk(element.get());
      for (int i = 0; i < 3 && walk; ++i) {
        nsCOMPtr<kr::nsIDOMNode> parent;
        if (NS_FAILED(walk->GetParentNode(parent.Out()))) parent.Reset();
        walk = parent;
      }
      nsCOMPtr<kr::nsIDOMElement> ancestor;
      if (walk) ancestor.QueryFrom(walk.get());
      if (ancestor) value = ComputedBackground(ancestor.get());
    }
  }
  if (value.empty()) return;
  std::string url = CNLRList::BackgroundToUrl(value, document_url, nlr_list_.GetHost());
  std::string name;
  if (nlr_list_.CheckImageUrl(url, &name) != 1) return;
  if (!name.empty()) border_->SetCaptionText(name.c_str());
  border_by_mouse_over_ = true;
  border_->ShowBorder(WindowingNS::BorderKind::kVerification, true, true);
}

POINT Kestrin::AnchorOf(kr::nsIBoxObject* box) {
  int32_t x = 0, width = 0;
  POINT point = {-1, 0};
  if (box && NS_SUCCEEDED(box->GetScreenX(&x)) && NS_SUCCEEDED(box->GetWidth(&width))) point.x = x + width - 12;
  return point;
}

void Kestrin::OnPadlockHover(kr::nsISupports* box_object) {
  if (!InForeground() || !tab_selected_) return;
  nsCOMPtr<kr::nsIBoxObject> box;
  if (NS_FAILED(box.QueryFrom(box_object))) return;
  POINT point = AnchorOf(box.get());
  if (point.x == -1) return;
  verifier_->OnHover(&point);
}

// ---- the pointer effect ----

bool Kestrin::EffectTargetOf(const NLR& certificate, POINT* target) {
  CBrowserImage* image = certificate.matched_image;
  if (!image || !image->node()) return false;
  kr::nsIDOMElement* element = static_cast<CGeckoNode*>(image->node())->element();
  nsCOMPtr<kr::nsIBoxObject> box;
  nsCOMPtr<kr::nsIDOMNSDocument> boxes;
  if (NS_SUCCEEDED(boxes.QueryFrom(document_.get()))) boxes->GetBoxObjectFor(element, box.Out());
  if (!box) {
    nsCOMPtr<kr::nsIDOMDocument> owner;
    if (NS_SUCCEEDED(element->GetOwnerDocument(owner.Out())) && owner && NS_SUCCEEDED(boxes.QueryFrom(owner.get())))
      boxes->GetBoxObjectFor(element, box.Out());
  }
  int32_t x = 0, y = 0;
  if (!box || NS_FAILED(box->GetScreenX(&x)) || NS_FAILED(box->GetScreenY(&y))) return false;
  if (certificate.logo_width != -1 && certificate.logo_height != -1) {
    target->x = x + certificate.logo_width;
    target->y = y + certificate.logo_height;
    return true;
  }
  nsCOMPtr<kr::nsIDOMHTMLImageElement> img;
  int32_t width = 0, height = 0;
  if (NS_FAILED(img.QueryFrom(element)) || NS_FAILED(img->GetWidth(&width)) || NS_FAILED(img->GetHeight(&height)))
    return false;
  target->x = x + width * 7 / 8;
  target->y = y + height * 7 / 8;
  return true;
}

bool Kestrin::ShowShadowMouse() {
  if (kraida_state_ == 2 || !lookup_.IsNewHost() || !nlr_list_.CertificatesDownloaded() || !page_scanned_ ||
      !InForeground() || !tab_selected_)
    return false;
  bool found = false;
  POINT chosen = {0, 0};
  for (const auto& certificate : nlr_list_.Certificates()) {
    if (!certificate || !certificate->matched_image || certificate->trailing_option != 0) continue;
    POINT target;
    if (!EffectTargetOf(*certificate, &target)) continue;
    if (!found || target.x < chosen.x || (target.x == chosen.x && target.y < chosen.y)) chosen = target;
    found = true;
  }
  if (!found) return false;
  shadow_.SetOwnerWindow(browser_window_);
  effect_shown_ = true;
  effect_target_ = chosen;
  POINT start;
  GetCursorPos(&start);
  shadow_.StartEffect(start, chosen);
  return true;
}

}  // namespace GeckoHelpersNS
