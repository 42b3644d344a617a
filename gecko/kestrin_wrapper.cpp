#include "gecko/kestrin_wrapper.h"

#include <stdio.h>

#include "common/utility/platform.h"
#include "gecko/cert_bridge.h"
#include "gecko/gecko_helpers.h"
#include "platform/win/prop_subclass.h"

namespace GeckoHelpersNS {

using kr::nsCOMPtr;
using kr::NS_FAILED;
using kr::NS_SUCCEEDED;

const char kTopicNavComplete[] = "Kestrin_NavComplete";
const char kTopicDocComplete[] = "Kestrin_DocComplete";
const char kTopicTabChange[] = "Kestrin_TabChange";
const char kTopicStopActivity[] = "Kestrin_StopActivity";
const char kTopicWindowClose[] = "Kestrin_WindowClose";
const char kTopicShowPadlock[] = "Kestrin_ShowPadlock";
const char kTopicShowURLPadlock[] = "Kestrin_ShowURLPadlock";
const char kTopicHidePadlock[] = "Kestrin_HidePadlock";
const char kTopicShowEvPopup[] = "Kestrin_ShowEvPopup";
const char kTopicShowEvTooltip[] = "Kestrin_ShowEvTooltip";
const char kOldProcProperty[] = "{CF0F34E7-93F0-4DA7-BFFC-751CEC60E762}DXoldproc";
const char kClassPointerProperty[] = "{80151CD4-B4FF-4C3D-9EEB-0241930571C1}SHclasspointer";

namespace {

const char* const kBrowserTopics[] = {"domwindowopened", "domwindowclosed", "quit-application-granted",
                                      "prefservice:before-read-userprefs"};
const uint32_t kProgressMask = 0x8F;
const uint32_t kRescanDelayMs = 500;

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t n = wcslen(prefix);
  return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

// The DOM window of a progress object, when it is its own top window.
nsCOMPtr<kr::nsIDOMWindow> TopWindowOf(kr::nsIWebProgress* progress) {
  nsCOMPtr<kr::nsIDOMWindow> window, top;
  if (!progress || NS_FAILED(progress->GetDOMWindow(window.Out())) || !window ||
      NS_FAILED(window->GetTop(top.Out())) || !SameObject(window.get(), top.get())) {
    return nsCOMPtr<kr::nsIDOMWindow>();
  }
  return window;
}

nsCOMPtr<kr::nsIDOMElement> ElementById(kr::nsIDOMDocument* document, const wchar_t* id) {
  nsCOMPtr<kr::nsIDOMElement> element;
  if (document) document->GetElementById(kr::CWideString(id), element.Out());
  return element;
}

nsCOMPtr<kr::nsIDOMDocument> DocumentOf(kr::nsIDOMWindow* window) {
  nsCOMPtr<kr::nsIDOMDocument> document;
  if (window) window->GetDocument(document.Out());
  return document;
}

void Listen(kr::nsISupports* target, const wchar_t* type, kr::nsIDOMEventListener* listener, bool capture) {
  nsCOMPtr<kr::nsIDOMEventTarget> events;
  if (NS_SUCCEEDED(events.QueryFrom(target)))
    events->AddEventListener(kr::CWideString(type), listener, capture ? kr::PR_TRUE : kr::PR_FALSE);
}

std::wstring EventType(kr::nsIDOMEvent* event) {
  kr::CWideString type;
  if (NS_FAILED(event->GetType(type))) return std::wstring();
  return type.Get();
}

// The owner document's default view of an event's target element.
nsCOMPtr<kr::nsIDOMWindow> WindowOfTarget(kr::nsIDOMEvent* event, nsCOMPtr<kr::nsIDOMXULElement>* element) {
  nsCOMPtr<kr::nsIDOMEventTarget> target;
  nsCOMPtr<kr::nsIDOMDocument> document;
  if (NS_FAILED(event->GetTarget(target.Out())) || NS_FAILED(element->QueryFrom(target.get())) ||
      NS_FAILED((*element)->GetOwnerDocument(document.Out())) || !document) {
    return nsCOMPtr<kr::nsIDOMWindow>();
  }
  return WindowOfDocument(document.get());
}

void Log(const char* text, int level) { LogHelperNS::Log(text, level, true); }

}  // namespace

bool PassesUrlFilter(const std::wstring& url) {
  return !StartsWithNoCase(url, L"resource://") && !StartsWithNoCase(url, L"chrome://") &&
         !StartsWithNoCase(url, L"about:blank");
}

const wchar_t* TabSelectEventFor(const std::string& program, const std::string& version) {
  int major = atoi(version.c_str());
  if (_stricmp(program.c_str(), "firefox") == 0 && major == 1) return L"select";
  if (_stricmp(program.c_str(), "seamonkey") == 0 && version.compare(0, 3, "1.0") == 0 &&
      (version.size() == 3 || version[3] == '.'))
    return L"select";
  return L"TabSelect";
}

KestrinWrapper::KestrinWrapper()
    : logger_(LogHelperNS::CLogHelper::GetInstance()),
      full_screen_warning_(new WarningWindowNS::CFullScreenWarningWindow()),
      record_{this} {
  components_ = GetComponentManager();
  services_ = GetServiceManager();
  GetService("@mozilla.org/observer-service;1", &observers_);
  CreateInstance("@mozilla.org/supports-PRBool;1", &bool_holder_);
  CreateInstance("@mozilla.org/supports-void;1", &pointer_holder_);
  CreateInstance("@mozilla.org/array;1", &array_);
  CreateInstance("@mozilla.org/timer;1", &timer_);
  char line[256];
  snprintf(line, sizeof(line), "Browser started, OS: %s", UtilityClassesNS::GetOSDescription());
  Log(line, 1);
}

KestrinWrapper::~KestrinWrapper() {
  for (auto& entry : padlocks_) Unsubclass(entry.first);
  padlocks_.clear();
  ev_labels_.clear();
  toolbars_.clear();
  timer_.Reset();
  doc_loader_.Reset();
  array_.Reset();
  pointer_holder_.Reset();
  bool_holder_.Reset();
  observers_.Reset();
  services_.Reset();
  components_.Reset();
}

void KestrinWrapper::Send(kr::nsISupports* subject, const char* topic, const kr::PRUnichar* data) {
  if (observers_) observers_->NotifyObservers(subject, topic, data);
}

// ---- browser events ----

kr::nsresult KestrinWrapper::Observe(kr::nsISupports* subject, const char* topic, const kr::PRUnichar*) {
  if (!topic) return kr::NS_OK;
  if (strcmp(topic, "xpcom-startup") == 0) {
    Start();
  } else if (strcmp(topic, "domwindowopened") == 0) {
    Listen(subject, L"load", this, true);
  } else if (strcmp(topic, "domwindowclosed") == 0) {
    OnWindowClosed(subject);
  } else if (strcmp(topic, "quit-application-granted") == 0) {
    Stop();
  } else if (strcmp(topic, "prefservice:before-read-userprefs") == 0) {
    CGeckoCertInstaller installer(GetComponentModule());
    installer.Run();
  }
  return kr::NS_OK;
}

void KestrinWrapper::Start() {
  if (NS_SUCCEEDED(GetService("@mozilla.org/docloaderservice;1", &doc_loader_)) && doc_loader_)
    doc_loader_->AddProgressListener(this, kProgressMask);
  if (!observers_) return;
  for (const char* topic : kBrowserTopics) observers_->AddObserver(this, topic, kr::PR_FALSE);
}

void KestrinWrapper::Stop() {
  nsCOMPtr<kr::nsIObserver> self(this);  // the observer service may hold the last reference
  if (observers_) {
    for (const char* topic : kBrowserTopics) observers_->RemoveObserver(this, topic);
  }
  if (doc_loader_) doc_loader_->RemoveProgressListener(this);
}

kr::nsresult KestrinWrapper::OnLocationChange(kr::nsIWebProgress* progress, kr::nsIRequest* request,
                                              kr::nsIURI* location) {
  kr::CNarrowString spec;
  if (!location || NS_FAILED(location->GetSpec(spec))) return kr::NS_OK;
  std::wstring url = FromUtf8(spec.Get());
  if (!PassesUrlFilter(url)) return kr::NS_OK;
  nsCOMPtr<kr::nsIDOMWindow> window = TopWindowOf(progress);
  if (!window || !bool_holder_ || !array_) return kr::NS_OK;

  nsCOMPtr<kr::IKestrinWrapper> keep(this);
  bool_holder_->SetData(kr::PR_TRUE);
  array_->AppendElement(bool_holder_.get(), kr::PR_FALSE);
  array_->AppendElement(window.get(), kr::PR_FALSE);
  array_->AppendElement(request, kr::PR_FALSE);
  Send(array_.get(), kTopicNavComplete, url.c_str());
  array_->Clear();

  kr::PRBool unowned = kr::PR_TRUE;
  if (NS_FAILED(bool_holder_->GetData(&unowned))) unowned = kr::PR_TRUE;
  if (!unowned) return kr::NS_OK;
  // No engine owns the window yet: the new one keeps itself alive through its observer
  // registrations.
  nsCOMPtr<kr::IKestrin> engine;
  if (NS_FAILED(CreateInstance(kEngineContractID, &engine)) || !engine) return kr::NS_OK;
  if (NS_SUCCEEDED(engine->Init(window.get(), observers_.get(), services_.get(), this)))
    engine->OnNavigateComplete(url.c_str(), request);
  return kr::NS_OK;
}

kr::nsresult KestrinWrapper::OnStateChange(kr::nsIWebProgress* progress, kr::nsIRequest*, uint32_t flags,
                                           kr::nsresult) {
  const uint32_t wanted = STATE_STOP | STATE_IS_NETWORK;
  if ((flags & wanted) != wanted) return kr::NS_OK;
  nsCOMPtr<kr::nsIDOMWindow> window = TopWindowOf(progress);
  nsCOMPtr<kr::nsIDOMDocument> document = DocumentOf(window.get());
  nsCOMPtr<kr::nsIDOMHTMLDocument> html;
  kr::CWideString url_text;
  if (!window || NS_FAILED(html.QueryFrom(document.get())) || NS_FAILED(html->GetURL(url_text)))
    return kr::NS_OK;
  std::wstring url = url_text.Get();
  if (!PassesUrlFilter(url) || !array_) return kr::NS_OK;
  array_->AppendElement(window.get(), kr::PR_FALSE);
  array_->AppendElement(html.get(), kr::PR_FALSE);
  Send(array_.get(), kTopicDocComplete, url.c_str());
  array_->Clear();
  return kr::NS_OK;
}

kr::nsresult KestrinWrapper::OnProgressChange(kr::nsIWebProgress*, kr::nsIRequest*, int32_t, int32_t, int32_t,
                                              int32_t) {
  return kr::NS_ERROR_NOT_IMPLEMENTED;
}

kr::nsresult KestrinWrapper::OnStatusChange(kr::nsIWebProgress*, kr::nsIRequest*, kr::nsresult,
                                            const kr::PRUnichar*) {
  return kr::NS_ERROR_NOT_IMPLEMENTED;
}

kr::nsresult KestrinWrapper::OnSecurityChange(kr::nsIWebProgress*, kr::nsIRequest*, uint32_t) {
  return kr::NS_ERROR_NOT_IMPLEMENTED;
}

kr::nsresult KestrinWrapper::GetWeakReference(kr::nsIWeakReference** result) {
  return weak_.Get(static_cast<kr::nsIObserver*>(this), result);
}

kr::nsresult KestrinWrapper::HandleEvent(kr::nsIDOMEvent* event) {
  if (!event) return kr::NS_ERROR_ILLEGAL_VALUE;
  nsCOMPtr<kr::nsIDOMEventListener> keep(this);
  std::wstring type = EventType(event);
  if (type == L"mousemove") {
    OnPadlockMove(event);
  } else if (type == L"mouseout") {
    Send(nullptr, kTopicHidePadlock);
  } else if (type == L"TabSelect") {
    OnTabChange(event);
  } else if (type == L"select") {
    nsCOMPtr<kr::nsIDOMNSEvent> ns_event;
    nsCOMPtr<kr::nsIDOMEventTarget> original;
    nsCOMPtr<kr::nsIDOMXULElement> element;
    kr::CWideString name;
    if (NS_SUCCEEDED(ns_event.QueryFrom(event)) && NS_SUCCEEDED(ns_event->GetOriginalTarget(original.Out())) &&
        NS_SUCCEEDED(element.QueryFrom(original.get())) && NS_SUCCEEDED(element->GetClassName(name)) &&
        name.Get() == L"tabbrowser-tabs") {
      OnTabChange(event);
    }
  } else if (type == L"click") {
    Send(nullptr, kTopicShowEvPopup);
  } else if (type == L"mouseover") {
    Send(nullptr, kTopicShowEvTooltip);
  } else if (type == L"fullscreen") {
    OnFullScreen(event);
  } else if (type == L"load") {
    OnBrowserWindowLoaded(event);
  }
  return kr::NS_OK;
}

void KestrinWrapper::OnBrowserWindowLoaded(kr::nsIDOMEvent* event) {
  nsCOMPtr<kr::nsIDOMEventTarget> target;
  nsCOMPtr<kr::nsIDOMWindow> window;
  if (NS_FAILED(event->GetCurrentTarget(target.Out())) || NS_FAILED(window.QueryFrom(target.get()))) return;
  nsCOMPtr<kr::nsIDOMDocument> document = DocumentOf(window.get());
  if (!ElementById(document.get(), L"main-window")) return;
  Listen(window.get(), L"fullscreen", this, true);
  ScanChrome(window.get());
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program = path;
  size_t slash = program.find_last_of("\\/");
  if (slash != std::string::npos) program.erase(0, slash + 1);
  if (program.size() > 4 && _stricmp(program.c_str() + program.size() - 4, ".exe") == 0)
    program.resize(program.size() - 4);
  char version[64] = {};
  UtilityClassesNS::GetProductVersionOfFile(path, version, sizeof(version));
  nsCOMPtr<kr::nsIDOMElement> tabs = ElementById(document.get(), L"content");
  if (tabs) Listen(tabs.get(), TabSelectEventFor(program, version), this, true);
}

void KestrinWrapper::ScanChrome(kr::nsIDOMWindow* window) {
  HWND top = NativeWindowOf(window);
  nsCOMPtr<kr::nsIDOMDocument> document = DocumentOf(window);
  if (!document) return;
  nsCOMPtr<kr::nsIDOMElement> button = ElementById(document.get(), L"security-button");
  if (button) {
    Listen(button.get(), L"mousemove", this, true);
    Listen(button.get(), L"mouseout", this, true);
    nsCOMPtr<kr::nsIDOMXULElement> xul;
    if (top && NS_SUCCEEDED(xul.QueryFrom(button.get()))) {
      if (!Subclass(top)) Log("Failed to subclass Gecko window", 2);
      nsCOMPtr<kr::nsIBoxObject> box;
      xul->GetBoxObject(box.Out());
      padlocks_[top] = box;
    }
  }
  nsCOMPtr<kr::nsIDOMElement> lock = ElementById(document.get(), L"lock-icon");
  if (lock) {
    Listen(lock.get(), L"mousemove", this, true);
    Listen(lock.get(), L"mouseout", this, true);
  }
  nsCOMPtr<kr::nsIDOMElement> label = ElementById(document.get(), L"KR-top-label");
  if (!label) label = ElementById(document.get(), L"KR-M-top-label");
  if (label) {
    Listen(label.get(), L"click", this, true);
    Listen(label.get(), L"mouseover", this, true);
    ev_labels_[top] = std::make_pair(label, nsCOMPtr<kr::nsIDOMWindow>(window));
  }
  nsCOMPtr<kr::nsIDOMElement> toolbar = ElementById(document.get(), L"KR-Toolbar");
  if (toolbar) toolbars_[top] = std::make_pair(toolbar, nsCOMPtr<kr::nsIDOMWindow>(window));
}

void KestrinWrapper::OnPadlockMove(kr::nsIDOMEvent* event) {
  nsCOMPtr<kr::nsIDOMXULElement> element;
  nsCOMPtr<kr::nsIDOMWindow> window = WindowOfTarget(event, &element);
  if (!window) return;
  HWND top = NativeWindowOf(window.get());
  HWND foreground = GetForegroundWindow();
  if (!top || (top != foreground && top != GetParent(foreground))) return;
  nsCOMPtr<kr::nsIBoxObject> box;
  kr::CWideString id;
  if (NS_FAILED(element->GetBoxObject(box.Out())) || !box || NS_FAILED(element->GetId(id))) return;
  Send(box.get(), id.Get() == L"security-button" ? kTopicShowPadlock : kTopicShowURLPadlock);
}

void KestrinWrapper::OnTabChange(kr::nsIDOMEvent* event) {
  nsCOMPtr<kr::nsIDOMXULElement> element;
  nsCOMPtr<kr::nsIDOMWindow> window = WindowOfTarget(event, &element);
  nsCOMPtr<kr::nsIDOMChromeWindow> chrome;
  nsCOMPtr<kr::nsIDOMWindowInternal> internal;
  nsCOMPtr<kr::nsIDOMWindow> content;
  if (!window || NS_FAILED(chrome.QueryFrom(window.get())) || NS_FAILED(internal.QueryFrom(window.get())) ||
      NS_FAILED(internal->GetContent(content.Out())) || !content) {
    return;
  }
  Send(nullptr, kTopicTabChange);
  Send(content.get(), kTopicTabChange);
}

void KestrinWrapper::OnFullScreen(kr::nsIDOMEvent* event) {
  nsCOMPtr<kr::nsIDOMEventTarget> target;
  nsCOMPtr<kr::nsIDOMChromeWindow> chrome;
  nsCOMPtr<kr::nsIDOMWindowInternal> internal;
  kr::PRBool full_screen = kr::PR_TRUE;
  if (NS_FAILED(event->GetCurrentTarget(target.Out())) || NS_FAILED(chrome.QueryFrom(target.get())) ||
      NS_FAILED(internal.QueryFrom(target.get())) || NS_FAILED(internal->GetFullScreen(&full_screen)) ||
      full_screen) {
    return;
  }
  Send(nullptr, kTopicStopActivity);
  full_screen_warning_->CreateWithFocusWindow(GetForegroundWindow(), 0);
  full_screen_warning_->Show();
}

void KestrinWrapper::OnWindowClosed(kr::nsISupports* subject) {
  nsCOMPtr<kr::nsIDOMWindow> window;
  if (NS_FAILED(window.QueryFrom(subject))) return;
  nsCOMPtr<kr::nsIDOMDocument> document = DocumentOf(window.get());
  if (ElementById(document.get(), L"CustomizeToolbarWindow")) {
    if (timer_) timer_->InitWithCallback(this, kRescanDelayMs, kr::nsITimer::TYPE_ONE_SHOT);
    return;
  }
  if (!ElementById(document.get(), L"main-window")) return;
  HWND top = NativeWindowOf(window.get());
  if (!top) return;
  padlocks_.erase(top);
  ev_labels_.erase(top);
  toolbars_.erase(top);
  if (!Unsubclass(top)) Log("Failed to unsubclass Gecko window", 2);
  if (!pointer_holder_) return;
  pointer_holder_->SetData(top);
  Send(pointer_holder_.get(), kTopicWindowClose);
}

kr::nsresult KestrinWrapper::Notify(kr::nsITimer* timer) {
  if (timer_) timer_->Cancel();
  std::vector<nsCOMPtr<kr::nsIDOMWindow>> windows;
  for (auto& entry : ev_labels_) windows.push_back(entry.second.second);
  for (auto& window : windows) ScanChrome(window.get());
  return kr::NS_OK;
}

// ---- IKestrinWrapper ----

kr::nsresult KestrinWrapper::GetMapped(void* top_window, int map, kr::nsISupports** result) {
  if (!result) return kr::NS_ERROR_ILLEGAL_VALUE;
  *result = nullptr;
  HWND key = static_cast<HWND>(top_window);
  kr::nsISupports* object = nullptr;
  if (map == 0) {
    auto it = padlocks_.find(key);
    if (it == padlocks_.end()) return kr::NS_ERROR_NOT_AVAILABLE;
    object = it->second.get();
  } else {
    auto& table = map == 1 ? ev_labels_ : toolbars_;
    auto it = table.find(key);
    if (it == table.end()) return kr::NS_ERROR_NOT_AVAILABLE;
    object = it->second.first.get();
  }
  if (!object) return kr::NS_ERROR_NULL_POINTER;
  object->AddRef();
  *result = object;
  return kr::NS_OK;
}

kr::nsresult KestrinWrapper::GetPadlockBox(void* top_window, kr::nsISupports** result) {
  return GetMapped(top_window, 0, result);
}

kr::nsresult KestrinWrapper::GetEVElement(void* top_window, kr::nsISupports** result) {
  return GetMapped(top_window, 1, result);
}

kr::nsresult KestrinWrapper::GetToolbarElement(void* top_window, kr::nsISupports** result) {
  return GetMapped(top_window, 2, result);
}

// ---- top window subclassing ----

// The top window: the wrapper watches it move and size, the window handles every message.
struct KestrinWrapper::TopWindowSubclass {
  using Object = SubclassRecord;
  static const char* OldProcProperty() { return kOldProcProperty; }
  static const char* ObjectProperty() { return kClassPointerProperty; }
  static bool OnMessage(SubclassRecord* record, HWND, UINT message, WPARAM, LPARAM lparam, LRESULT&) {
    if (message == WM_WINDOWPOSCHANGED && lparam) {
      const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
      bool moved_or_sized = !(pos->flags & SWP_NOSIZE) || !(pos->flags & SWP_NOMOVE);
      if (moved_or_sized && record->wrapper) record->wrapper->Send(nullptr, kTopicStopActivity);
    }
    return false;
  }
};

bool KestrinWrapper::IsSubclassed(HWND window) const {
  return KestrinWinNS::CPropSubclass<TopWindowSubclass>::IsSubclassed(window);
}

bool KestrinWrapper::Subclass(HWND window) {
  return KestrinWinNS::CPropSubclass<TopWindowSubclass>::Subclass(window, &record_);
}

bool KestrinWrapper::Unsubclass(HWND window) {
  return KestrinWinNS::CPropSubclass<TopWindowSubclass>::Unsubclass(window);
}

}  // namespace GeckoHelpersNS
