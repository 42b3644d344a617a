#include "ie/kestrin_bho.h"

#include <exdispid.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <stdarg.h>
#include <stdio.h>

#include <algorithm>

#include "common/log/log_helper.h"
#include "common/navigation/event_params.h"
#include "common/subclass/bho_window_props.h"
#include "common/utility/platform.h"
#include "common/url/page_address.h"
#include "ie/core/browser_online.h"
#include "platform/win/module.h"

namespace KestrinIENS {

using SubclassUtilsNS::CBhoWindowProps;
using SubclassUtilsNS::CSubclassHelper;

namespace {

// Live instances in this process; the border goes with the last one. An instance's end and
// what it lets go of with it (the service window's thread, the border) are one step.
LONG g_instances = 0;
KestrinWinNS::CCriticalSection g_instances_lock;
const DWORD kSettingsSavedEvent = 1;
const DWORD kLookupRequestId = 2;
const DISPID kDispidElementMouseOver = static_cast<DISPID>(0x80010008);
const DISPID kDispidElementMouseOut = static_cast<DISPID>(0x80010009);
const DWORD kWindowStateUserVisible = 0x1;

using ComHelpersNS::EventParam;
using ComHelpersNS::ParamNumber;
using ComHelpersNS::ParamUrl;

std::string ToAnsi(BSTR text) {
  if (!text) return std::string();
  int wide = static_cast<int>(SysStringLen(text));
  int size = WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  if (size > 0) WideCharToMultiByte(CP_ACP, 0, text, wide, &out[0], size, nullptr, nullptr);
  return out;
}

// The first top-level window of this process, in window-manager order.
HWND FirstTopLevelWindowOfProcess() {
  DWORD self = GetCurrentProcessId();
  for (HWND w = FindWindowA(nullptr, nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == self && !GetParent(w)) return w;
  }
  return nullptr;
}

}  // namespace

BrowserKind BrowserKindFromPath(const char* path) {
  if (!path) return kBrowserNone;
  std::string lower(path);
  if (!lower.empty()) CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
  static const struct { const char* name; BrowserKind kind; } kHosts[] = {
      {"iexplore.exe", kBrowserInternetExplorer}, {"aexplore.exe", kBrowserAol},
      {"aolservicehost.exe", kBrowserAol},         {"netscape.exe", kBrowserNetscape},
      {"explorer.exe", kBrowserExplorer},
  };
  for (const auto& host : kHosts) {
    size_t window = strlen(host.name) + 1;
    size_t start = lower.size() > window ? lower.size() - window : 0;
    if (lower.find(host.name, start) != std::string::npos) return host.kind;
  }
  return kBrowserNone;
}

bool IsConnectionWarningError(DWORD e) {
  return (e >= 12001 && e <= 12033) || (e >= 12036 && e <= 12043) || (e >= 12110 && e <= 12111) ||
         (e >= 12130 && e <= 12138) || (e >= 12150 && e <= 12156);
}

EffectScroll PlaceEffectTarget(LONG x, LONG y, const RECT& r, LONG body_scroll_height) {
  // A client rectangle whose right or bottom edge is 0 (or less) gives no page size to
  // scroll by: that direction is not scrolled.
  auto vertical = [&]() -> LONG {
    if (body_scroll_height >= 0) return body_scroll_height + 2 * r.top - r.bottom;
    if (r.bottom <= 0) return 0;
    return (y / r.bottom - r.top) * r.bottom - r.top;
  };
  auto horizontal = [&]() -> LONG { return r.right > 0 ? (x / r.right) * r.right : 0; };
  EffectScroll s = {EffectScroll::kScrollTo, 0, 0, x, y};
  bool right = x > r.right, below = y > r.bottom;
  if (right && below) {
    s.v = vertical();
    s.h = horizontal();
  } else if (right) {
    s.kind = EffectScroll::kScrollBy;
    s.h = horizontal();
  } else if (below) {
    s.v = vertical();
  }
  s.x = x - s.h;
  s.y = y - s.v;
  return s;
}

CKestrinBho::CKestrinBho() : browser_version_(SubclassUtilsNS::GetBrowserVersion()) { Construct(); }

CKestrinBho::CKestrinBho(SubclassUtilsNS::BrowserGeneration generation) : browser_version_(generation) { Construct(); }

void CKestrinBho::Construct() {
  InterlockedIncrement(&g_instances);
  // The browser's window thread serves the broadcasts while it has an instance: no thread of
  // our own for them.
  ObserveNS::CObserverService::AttachThread();
  logger_ = LogHelperNS::CLogHelper::GetInstance();
  border_ = WindowingNS::CValidationBorder::GetInstance();
  settings_subscription_.reset(new ObserveNS::CObserverSubscription(
      ObserveNS::CObserverService::GetInstance(), kSettingsSavedEvent, this));
  settings_.reset(new SettingsUtilsNS::CSettingsKestrin(SettingsUtilsNS::kLoadGroupNone));
  kraida_state_ = settings_->GetCurrentKRAIDAState(true);
  nlr_list_.reset(new CNLRList());
  nlr_list_view_.reset(new CSiteSealListOf(nlr_list_.get()));
  lookup_.reset(new CSiteSealLookup(nlr_list_view_.get(), this));
  shadow_.reset(new ShadowMouseNS::CShadowMouseEngine());
  tabbed_ = SubclassUtilsNS::IsTabbedFrame(browser_version_);
  verifier_ = SslVerifyNS::CreateSslVerifierFor(browser_version_, this, ObserveNS::CObserverService::GetInstance());
  subclass_ = CSubclassHelper::Create(this, browser_version_);
  refresh_ = RefreshUtilsNS::CreateRefreshHelper(this, browser_version_);
}

CKestrinBho::~CKestrinBho() {
  ReleaseSite();
  refresh_.reset();
  shadow_.reset();
  lookup_.reset();
  nlr_list_view_.reset();
  nlr_list_.reset();
  verifier_.reset();
  subclass_.reset();
  settings_subscription_.reset();
  full_screen_warning_.reset();
  connection_warning_.reset();
  KestrinWinNS::CScopedLock hold(g_instances_lock);
  if (InterlockedDecrement(&g_instances) == 0) {
    // The library may be unloaded next: nothing of it may still run on a thread of its own.
    WindowingNS::CValidationBorder::Shutdown();
    ObserveNS::CObserverService::Shutdown();
  } else {
    ObserveNS::CObserverService::DetachThread();
  }
}

HRESULT CKestrinBho::InternalQueryInterface(REFIID riid, void** out) {
  // The browser and the page's elements ask for their event interface: both are served by
  // the IDispatch of IKestrinBho.
  if (riid == __uuidof(DWebBrowserEvents2) || riid == __uuidof(HTMLElementEvents2)) {
    IKestrinBho* sink = this;
    *out = sink;
    sink->AddRef();
    return S_OK;
  }
  return KestrinComNS::QueryInterfaceTable<IObjectWithSite, IKestrinBho, IDispatch>(this, riid, out);
}

template <class Toast>
Toast* CKestrinBho::MakeWarning(std::unique_ptr<Toast>* toast) {
  if (!*toast) {
    toast->reset(new Toast());
    if (warnings_placed_) (*toast)->CreateWithFocusWindow(warning_focus_, 0);
  }
  return toast->get();
}

WarningWindowNS::CFullScreenWarningWindow* CKestrinBho::FullScreenWarning() {
  return MakeWarning(&full_screen_warning_);
}

WarningWindowNS::CConnectionWarningWindow* CKestrinBho::ConnectionWarning() {
  return MakeWarning(&connection_warning_);
}

void CKestrinBho::Diagnostic(const char* format, const char* argument, int level) {
  // The logger drops entries above its level: they are not formatted either.
  if (!logger_ || level > logger_->GetLevel()) return;
  char text[1024];
  snprintf(text, sizeof(text), format, argument ? argument : "");
  LogHelperNS::Log(text, level, true);
}

// ---- site ----

STDMETHODIMP CKestrinBho::SetSite(IUnknown* site) {
  // Detach, and any earlier site before a new one: nothing of the old site may stay held or
  // advised, whatever the host program.
  ReleaseSite();
  if (!site) return S_OK;
  // An unknown host program: the instance stays passive and holds nothing of the site.
  if (!IdentifyHost(site)) return E_FAIL;
  ChooseFrame(site);
  AttachFeedback();

  HRESULT result = S_OK;
  if (!same_process_) {
    KestrinComNS::CBstr location;
    result = browser_->get_LocationURL(location.Receive());
    if (SUCCEEDED(result)) {
      RunSiteSealLookup(UrlNS::NarrowPageAddress(location.Get(), SysStringLen(location.Get())));
      CollectPage();
    }
  }

  // The normal path (the browser's frame in this process) is a success.
  return result;
}

bool CKestrinBho::IdentifyHost(IUnknown* site) {
  CComPtr<IWebBrowser2> browser;
  if (FAILED(browser.QueryFrom(site)) || !browser) return false;
  KestrinComNS::CBstr full_name;
  BrowserKind kind = kBrowserNone;
  if (SUCCEEDED(browser->get_FullName(full_name.Receive())) && full_name.Get()) {
    kind = BrowserKindFromPath(ToAnsi(full_name.Get()).c_str());
  }
  if (kind == kBrowserNone) return false;

  kind_ = kind;
  site_ = site;
  browser_ = browser;
  top_browser_ = browser;  // a second counted reference: recognises top-level events
  lookup_->SetBackOnline(BrowserBackOnline(browser_.get()));
  tray_checked_ = false;
  return true;
}

void CKestrinBho::ChooseFrame(IUnknown* site) {
  SHANDLE_PTR handle = 0;
  HWND browser_window = nullptr;
  if (SUCCEEDED(browser_->get_HWND(&handle))) browser_window = reinterpret_cast<HWND>(handle);
  bool window_valid = browser_window && IsWindow(browser_window);
  if (browser_version_ == SubclassUtilsNS::BrowserGeneration::kIE8) {
    same_process_ = true;
  } else {
    DWORD pid = 0;
    same_process_ = window_valid && GetWindowThreadProcessId(browser_window, &pid) && pid == GetCurrentProcessId();
  }

  const char* name = "";
  switch (kind_) {
    case kBrowserInternetExplorer: {
      name = "Internet Explorer";
      frame_window_ = window_valid ? browser_window : nullptr;
      if (tabbed_) {
        CComPtr<IServiceProvider> provider;
        CComPtr<IOleWindow> shell_browser;
        HWND tab = nullptr;
        if (SUCCEEDED(provider.QueryFrom(site)) &&
            SUCCEEDED(provider->QueryService(SID_SShellBrowser, IID_IOleWindow,
                                             reinterpret_cast<void**>(&shell_browser))) &&
            shell_browser && SUCCEEDED(shell_browser->GetWindow(&tab))) {
          tab_window_ = tab;
        }
      }
      break;
    }
    case kBrowserAol:
      name = "AOL";
      frame_window_ = nullptr;
      break;
    case kBrowserNetscape:
      name = "Netscape 8 (IE mode)";
      frame_window_ = nullptr;
      break;
    case kBrowserExplorer:
      name = "Windows Explorer";
      frame_window_ = window_valid ? browser_window : nullptr;
      break;
    default:
      break;
  }

  AdviseBrowserEvents();
  if (tabbed_ && frame_window_) {
    CBhoWindowProps::GetInstance().AddInstance(frame_window_);
    counted_frame_ = frame_window_;
  }
  char line[256];
  snprintf(line, sizeof(line), "Browser: %s, OS: %s", name, UtilityClassesNS::GetOSDescription());
  Diagnostic("%s", line);

  if (browser_window) {
    frame_window_ = browser_window;
    border_->SetHideWhenInactive(1);
  } else {
    frame_window_ = FirstTopLevelWindowOfProcess();
    border_->SetHideWhenInactive(0);
  }
}

void CKestrinBho::AttachFeedback() {
  if (!frame_window_) return;
  if (same_process_ && subclass_) {
    subclass_->FindWindows();
    if (SubclassUtilsNS::IsSingleBrowserFrame(browser_version_)) {
      border_->SetHoverWindow(subclass_->GetWorkerWindow());
      subclass_->Subclass();
    }
  }
  if (same_process_ && verifier_ && !verifier_->GetPopup()) {
    verifier_->SetBrowserWindow(frame_window_);
    verifier_->CreatePopup();
  }
  // The border's window is made with the process's first frame: another program (the tray's
  // options) may ask it to draw its look before it was ever shown.
  border_->SetBrowserWindow(frame_window_);
  nlr_list_->SetRequestWaiter(this);
  shadow_->Initialize(border_, frame_window_);
  // The toasts are rarely shown: their windows are made when first needed, for this frame.
  warning_focus_ = frame_window_;
  warnings_placed_ = true;
  if (full_screen_warning_) full_screen_warning_->CreateWithFocusWindow(warning_focus_, 0);
  if (connection_warning_) connection_warning_->CreateWithFocusWindow(warning_focus_, 0);
}

STDMETHODIMP CKestrinBho::GetSite(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!site_) return E_FAIL;
  return site_->QueryInterface(riid, out);
}

void CKestrinBho::LeaveFrame() {
  if (!counted_frame_) return;
  CBhoWindowProps::GetInstance().RemoveInstance(counted_frame_, this);
  counted_frame_ = nullptr;
}

void CKestrinBho::ReleaseSite() {
  LeaveFrame();
  if (subclass_ && browser_) subclass_->Unsubclass();
  frame_registered_ = false;
  view_subclassed_ = false;
  UnadviseBrowserEvents();
  DetachPageEvents();
  lock_area_hover_ = false;
  tab_active_ = false;
  if (lookup_) lookup_->SetBackOnline(nullptr);
  top_browser_.Release();
  browser_.Release();
  site_.Release();
  frame_window_ = nullptr;
  tab_window_ = nullptr;
}

HRESULT CKestrinBho::AdviseBrowserEvents() {
  if (!browser_ || browser_cookie_) return E_FAIL;
  CComPtr<IConnectionPointContainer> container;
  CComPtr<IConnectionPoint> point;
  HRESULT hr = container.QueryFrom(browser_.get());
  if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(__uuidof(DWebBrowserEvents2), &point);
  if (SUCCEEDED(hr)) hr = point->Advise(static_cast<IKestrinBho*>(this), &browser_cookie_);
  if (FAILED(hr)) browser_cookie_ = 0;
  return hr;
}

void CKestrinBho::UnadviseBrowserEvents() {
  if (!browser_cookie_) return;
  CComPtr<IConnectionPointContainer> container;
  CComPtr<IConnectionPoint> point;
  if (browser_ && SUCCEEDED(container.QueryFrom(browser_.get())) &&
      SUCCEEDED(container->FindConnectionPoint(__uuidof(DWebBrowserEvents2), &point))) {
    point->Unadvise(browser_cookie_);
  }
  browser_cookie_ = 0;
}

bool CKestrinBho::IsTopLevelBrowser(const VARIANT* v) const {
  if (!v || !top_browser_) return false;
  IUnknown* unknown = nullptr;
  if (V_VT(v) == VT_DISPATCH) unknown = V_DISPATCH(v);
  else if (V_VT(v) == VT_UNKNOWN) unknown = V_UNKNOWN(v);
  return unknown && KestrinComNS::IsSameObject(unknown, top_browser_.get());
}

// ---- events ----

STDMETHODIMP CKestrinBho::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CKestrinBho::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP CKestrinBho::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CKestrinBho::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                 EXCEPINFO*, UINT*) {
  if (!params) return E_INVALIDARG;
  if (!browser_) return S_OK;
  // Keeps this instance alive while an event handler lets the site go.
  CComPtr<IKestrinBho> self(this);
  if (refresh_ && refresh_->HandleEvent(dispid, params)) return S_OK;
  switch (dispid) {
    case DISPID_QUIT:
    case DISPID_ONQUIT:
      OnQuit();
      break;
    case DISPID_ONFULLSCREEN:
      CheckFullScreen();
      break;
    case DISPID_WINDOWSTATECHANGED: {
      LONG state = 0, valid = 0;
      if (ParamNumber(params, 0, &state) && ParamNumber(params, 1, &valid) && (valid & kWindowStateUserVisible)) {
        if (state & kWindowStateUserVisible) OnTabActivated();
        else OnTabDeactivated();
      }
      break;
    }
    case kDispidElementMouseOver:
      OnElementMouseOver();
      break;
    case kDispidElementMouseOut:
      OnElementMouseOut();
      break;
    default:
      break;
  }
  return S_OK;
}

void CKestrinBho::OnQuit() {
  if (tabbed_ && frame_window_) {
    LeaveFrame();
    if (tab_active_) CBhoWindowProps::GetInstance().SetBho(frame_window_, nullptr);
  }
  if (same_process_) {
    HideBorder(WindowingNS::HideOrigin::kPointer, true);
    if (subclass_) subclass_->Unsubclass();
    frame_registered_ = false;
  }
  UnadviseBrowserEvents();
  DetachPageEvents();
}

void CKestrinBho::CheckFullScreen() {
  if (!frame_window_) return;
  RECT r;
  if (!GetWindowRect(frame_window_, &r)) return;
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  if (r.right > width - 1 && r.bottom > height - 1 && r.top < 1 && r.left < 1) FullScreenWarning()->Show();
}

void CKestrinBho::OnTabActivated() {
  tab_active_ = true;
  if (frame_window_) {
    if (frame_registered_) {
      CBhoWindowProps::GetInstance().SetBho(frame_window_, this);
    } else if (subclass_) {
      subclass_->FindWindows();
      frame_registered_ = subclass_->Subclass() != 0;
      if (frame_registered_) CBhoWindowProps::GetInstance().SetBho(frame_window_, this);
    }
  }
  if (!effect_shown_) ShowShadowMouse();
  Diagnostic("Switched Tab to %s", current_host_.c_str());
}

void CKestrinBho::OnTabDeactivated() {
  tab_active_ = false;
  HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  StopEffect();
  LeaveSslState(0);
}

void CKestrinBho::OnBeforeNavigate2(DISPPARAMS* params) {
  navigation_counter_ = 1;
  if (!IsTopLevelBrowser(EventParam(params, 0))) return;
  lookup_->PrepareLookup();
  DetachPageEvents();
  if (subclass_) subclass_->SendLeavePing();
  HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  StopEffect();
  document_complete_ = false;
  effect_shown_ = false;
}

void CKestrinBho::OnNavigateComplete2(DISPPARAMS* params) {
  LONG before = navigation_counter_--;
  if (before < 1) return;
  std::string url = ParamUrl(params, 1);
  if (url.empty() || !IsTopLevelBrowser(EventParam(params, 0))) return;
  ++navigations_handled_;
  if (SubclassUtilsNS::IsSingleBrowserFrame(browser_version_) && !view_subclassed_ && subclass_ &&
      subclass_->FindWindows()) {
    view_subclassed_ = subclass_->Subclass() != 0;
  }
  RunSiteSealLookup(url);
  if (verifier_) {
    verifier_->SetPageUrl(url.c_str());
    verifier_->OnNavigateComplete();
  }
}

void CKestrinBho::OnDocumentComplete(DISPPARAMS* params) {
  document_complete_ = true;
  if (params->cArgs != 2 || !IsTopLevelBrowser(EventParam(params, 0))) return;
  Diagnostic("DocumentComplete - %s", ParamUrl(params, 1).c_str());
  CollectPage();
}

void CKestrinBho::OnRefreshStarted() {
  DetachPageEvents();
  StopEffect();
  document_complete_ = false;
  HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  LeaveSslState(0);
}

void CKestrinBho::OnRefreshDocumentComplete() {
  Diagnostic("Refresh DocumentComplete - %s", current_host_.c_str());
  nlr_list_->ResetImages();
  CollectPage();
}

// ---- page ----

CComPtr<IHTMLDocument2> CKestrinBho::GetTopDocument(std::vector<CComPtr<IHTMLDocument2>>* frames) const {
  CComPtr<IHTMLDocument2> top;
  if (!top_browser_) return top;
  CComPtr<IDispatch> dispatch;
  if (FAILED(top_browser_->get_Document(&dispatch)) || !dispatch) return top;
  top.QueryFrom(dispatch.get());
  if (!top || !frames) return top;
  CComPtr<IOleContainer> container;
  CComPtr<IEnumUnknown> objects;
  if (FAILED(container.QueryFrom(top.get())) ||
      FAILED(container->EnumObjects(OLECONTF_EMBEDDINGS, &objects)) || !objects) {
    return top;
  }
  for (;;) {
    CComPtr<IUnknown> object;
    ULONG fetched = 0;
    if (objects->Next(1, &object, &fetched) != S_OK || !fetched) break;
    CComPtr<IWebBrowser2> frame;
    CComPtr<IDispatch> frame_document;
    CComPtr<IHTMLDocument2> document;
    if (SUCCEEDED(frame.QueryFrom(object.get())) && SUCCEEDED(frame->get_Document(&frame_document)) &&
        frame_document && SUCCEEDED(document.QueryFrom(frame_document.get()))) {
      frames->push_back(document);
    }
  }
  return top;
}

void CKestrinBho::CollectPage() {
  std::vector<CComPtr<IHTMLDocument2>> documents;
  CComPtr<IHTMLDocument2> top = GetTopDocument(&documents);
  if (top) documents.push_back(top);
  for (auto& document : documents) {
    AttachPageEvents(document.get());
    nlr_list_->ScanDocument(document.get());
  }
  nlr_list_->SetImagesCollected(true);
  nlr_list_->VerifyImages();
  scanned_on_old_host_ = !new_host_;
  if (!tabbed_ || tab_active_) {
    if (tabbed_) {
      Diagnostic("SSLVerify - tab is active and padlock is visible, trying to auto show, %s",
                 current_host_.c_str());
    }
    AutoShowSslPopup();
    if (nlr_list_->IsImageListComplete() && !effect_shown_) ShowShadowMouse();
  }
}

void CKestrinBho::AttachPageEvents(IHTMLDocument2* document) {
  CComPtr<IHTMLElementCollection> all;
  LONG count = 0;
  if (FAILED(document->get_all(&all)) || !all || FAILED(all->get_length(&count))) return;
  for (LONG i = 0; i < count; ++i) {
    VARIANT index, unused;
    VariantInit(&index);
    VariantInit(&unused);
    V_VT(&index) = VT_I4;
    V_I4(&index) = i;
    CComPtr<IDispatch> item;
    CComPtr<IHTMLElement> element;
    if (FAILED(all->item(index, unused, &item)) || !item || FAILED(element.QueryFrom(item.get()))) continue;
    KestrinComNS::CBstr tag;
    if (FAILED(element->get_tagName(tag.Receive())) || !tag.Get()) continue;
    KestrinComNS::CBstr html(L"HTML");
    bool is_html = VarBstrCmp(tag.Get(), html.Get(), LOCALE_USER_DEFAULT, 0) == static_cast<HRESULT>(VARCMP_EQ);
    if (!is_html) continue;
    CComPtr<IConnectionPointContainer> container;
    CComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (SUCCEEDED(container.QueryFrom(element.get())) &&
        SUCCEEDED(container->FindConnectionPoint(__uuidof(HTMLElementEvents2), &point)) &&
        SUCCEEDED(point->Advise(static_cast<IKestrinBho*>(this), &cookie))) {
      element_connections_.emplace_back(element, cookie);
    }
    return;
  }
}

void CKestrinBho::DetachPageEvents() {
  for (auto& connection : element_connections_) {
    CComPtr<IConnectionPointContainer> container;
    CComPtr<IConnectionPoint> point;
    if (SUCCEEDED(container.QueryFrom(connection.first.get())) &&
        SUCCEEDED(container->FindConnectionPoint(__uuidof(HTMLElementEvents2), &point))) {
      point->Unadvise(connection.second);
    }
  }
  element_connections_.clear();
}

// The elements that raised the current event, one per document (the top page and its frames)
// whose window has an event.
std::vector<CComPtr<IHTMLElement>> CKestrinBho::EventSources() const {
  std::vector<CComPtr<IHTMLDocument2>> documents;
  CComPtr<IHTMLDocument2> top = GetTopDocument(&documents);
  if (top) documents.push_back(top);
  std::vector<CComPtr<IHTMLElement>> sources;
  for (auto& document : documents) {
    CComPtr<IHTMLWindow2> window;
    CComPtr<IHTMLEventObj> event;
    CComPtr<IHTMLElement> source;
    if (SUCCEEDED(document->get_parentWindow(&window)) && window && SUCCEEDED(window->get_event(&event)) &&
        event && SUCCEEDED(event->get_srcElement(&source)) && source) {
      sources.push_back(source);
    }
  }
  return sources;
}

void CKestrinBho::OnElementMouseOver() {
  for (auto& source : EventSources()) {
    std::string name;
    if (nlr_list_->CheckImageElement(source.get(), &name) == 1) {
      border_->SetCaptionText(name.c_str());
      border_->ShowBorder(WindowingNS::BorderKind::kVerification, true, true);
      border_by_mouse_over_ = true;
    }
  }
}

void CKestrinBho::OnElementMouseOut() {
  if (!border_by_mouse_over_ || EventSources().empty()) return;
  HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  border_by_mouse_over_ = false;
}

// ---- verification ----

void CKestrinBho::RunSiteSealLookup(const std::string& url) {
  lookup_->LookupSiteSeals(url.c_str());
  new_host_ = lookup_->IsNewHost();
  current_host_ = lookup_->GetCurrentHost();
  if (!tray_checked_) {
    tray_checked_ = true;
    CheckTrayProgram();
  }
}

void CKestrinBho::CheckTrayProgram() {
  // Asking for the tray program's mutex and reading its command are calls to the system that the
  // browser's thread is spared: the lookup has the request thread running by now.
  auto check = [] {
    if (!UtilityClassesNS::IsTrayProgramRunning()) UtilityClassesNS::LaunchTrayProgram();
  };
  if (!KestrinWinNS::RunInBackground(check)) check();
}

void CKestrinBho::HideBorder(WindowingNS::HideOrigin origin, bool force) { border_->HideBorder(origin, force); }

void CKestrinBho::StopEffect() {
  if (shadow_->IsEffectRunning()) shadow_->StopEffect();
}

void CKestrinBho::LeaveSslState(int delayed) {
  if (verifier_) verifier_->OnLeave(delayed != 0);
}

void CKestrinBho::AutoShowSslPopup() {
  RECT area;
  if (!subclass_ || !subclass_->GetLockArea(&area)) return;
  POINT centre = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  subclass_->LockAreaToScreen(&centre);
  if (verifier_) verifier_->OnAutoShow(&centre);
}

bool CKestrinBho::EffectTargetOf(const NLR& certificate, POINT* target, CComPtr<IHTMLWindow2>* window) {
  CBrowserImage* image = certificate.matched_image;
  CComPtr<IHTMLElement> element;
  if (image->img()) element.QueryFrom(image->img());
  else element = image->element();
  if (!element) return false;
  Diagnostic("KRAIDA: ShowShadowMouse, Image is OWNLOGO, beginning calculating image pos", "");
  CComPtr<IDispatch> document_dispatch;
  CComPtr<IHTMLDocument2> document;
  if (FAILED(element->get_document(&document_dispatch)) || !document_dispatch ||
      FAILED(document.QueryFrom(document_dispatch.get()))) {
    return false;
  }
  Diagnostic("KRAIDA: ShowShadowMouse, got document for current logo image", "");
  CComPtr<IHTMLWindow2> parent_window;
  CComPtr<IHTMLWindow3> window3;
  LONG screen_left = 0, screen_top = 0;
  if (FAILED(document->get_parentWindow(&parent_window)) || !parent_window ||
      FAILED(window3.QueryFrom(parent_window.get())) || FAILED(window3->get_screenLeft(&screen_left)) ||
      FAILED(window3->get_screenTop(&screen_top))) {
    return false;
  }
  Diagnostic("KRAIDA: ShowShadowMouse, got window3 interface", "");
  LONG left = 0, top = 0, width = 0, height = 0;
  if (FAILED(element->get_offsetWidth(&width)) || FAILED(element->get_offsetHeight(&height))) return false;
  CComPtr<IHTMLElement> walk = element;
  while (walk) {
    LONG l = 0, t = 0;
    if (FAILED(walk->get_offsetLeft(&l)) || FAILED(walk->get_offsetTop(&t))) return false;
    left += l;
    top += t;
    CComPtr<IHTMLElement> parent;
    if (FAILED(walk->get_offsetParent(&parent))) break;
    walk = parent;
  }
  if (certificate.logo_width != -1 && certificate.logo_height != -1) {
    target->x = certificate.logo_width + left + screen_left;
    target->y = certificate.logo_height + top + screen_top;
  } else {
    target->x = width * 7 / 8 + left + screen_left;
    target->y = height * 7 / 8 + top + screen_top;
  }
  *window = parent_window;
  return true;
}

bool CKestrinBho::ShowShadowMouse() {
  if (kraida_state_ == 2) return false;
  if (!new_host_ && scanned_on_old_host_) return false;
  Diagnostic("KRAIDA: ShowShadowMouse, domain wasn't changed", "");
  if (!nlr_list_->CertificatesDownloaded()) return false;
  Diagnostic("KRAIDA: ShowShadowMouse, NLRList download complete", "");
  if (!nlr_list_->ImagesCollected()) return false;
  Diagnostic("KRAIDA: ShowShadowMouse, Document download complete", "");
  if (!frame_window_ || GetForegroundWindow() != frame_window_) return false;
  Diagnostic("KRAIDA: ShowShadowMouse, ActiveWindow is Explorer", "");

  bool found = false;
  POINT chosen = {0, 0};
  // The window of the chosen seal's document is the one scrolled, and the chosen seal's name
  // is the caption, also when several seals of the page lie in different frames.
  CComPtr<IHTMLWindow2> chosen_window;
  std::string chosen_name;
  for (const auto& certificate : nlr_list_->Certificates()) {
    Diagnostic("KRAIDA: ShowShadowMouse, inside NLR loop", "");
    if (!certificate) {
      Diagnostic("KRAIDA: ShowShadowMouse, pNLR is NULL", "");
      continue;
    }
    CBrowserImage* image = certificate->matched_image;
    if (!image || (!image->img() && !image->element()) || certificate->trailing_option != 0) continue;
    POINT target;
    CComPtr<IHTMLWindow2> window;
    if (!EffectTargetOf(*certificate, &target, std::addressof(window))) continue;
    if (!found || target.x < chosen.x || (target.x == chosen.x && target.y < chosen.y)) {
      chosen = target;
      chosen_window = window;
      if (!certificate->display_name.empty()) chosen_name = certificate->display_name;
    }
    found = true;
  }
  if (!found) return false;
  if (!chosen_name.empty()) shadow_->SetBorderCaption(chosen_name.c_str());

  POINT start;
  GetCursorPos(&start);
  RECT client;
  GetClientRect(frame_window_, &client);
  MapWindowPoints(frame_window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  LONG body_height = -1;
  CComPtr<IHTMLDocument2> document;
  CComPtr<IHTMLElement> body;
  CComPtr<IHTMLElement2> body2;
  LONG value = 0;
  if (SUCCEEDED(chosen_window->get_document(&document)) && document && SUCCEEDED(document->get_body(&body)) &&
      body && SUCCEEDED(body2.QueryFrom(body.get())) && SUCCEEDED(body2->get_scrollHeight(&value))) {
    body_height = value;
  }
  EffectScroll scroll = PlaceEffectTarget(chosen.x, chosen.y, client, body_height);
  if (scroll.kind == EffectScroll::kScrollBy) chosen_window->scrollBy(scroll.h, scroll.v);
  else chosen_window->scrollTo(scroll.h, scroll.v);
  chosen.x = scroll.x;
  chosen.y = scroll.y;
  shadow_->SetOwnerWindow(frame_window_);
  effect_shown_ = true;
  effect_target_ = chosen;
  if (chosen.x >= 0 && chosen.y >= 0) {
    shadow_->StartEffect(start, chosen);
  } else if (refresh_) {
    refresh_->Reset();
  }
  Diagnostic("KRAIDA: ShowShadowMouse, showing KRAIDA for ImageLogo", "", 2);
  return true;
}

void CKestrinBho::OnRequestComplete(DWORD request_id, const char* url, const BYTE* body, DWORD length) {
  if (request_id == kLookupRequestId) {
    lookup_->OnLookupReply(url, body, length);
  } else if (request_id == kImageRequestId) {
    nlr_list_->OnImageDownloaded();
    if (!nlr_list_->IsImageListComplete()) return;
    nlr_list_->VerifyImages();
    if (!effect_shown_ && (!tabbed_ || tab_active_)) ShowShadowMouse();
  }
}

void CKestrinBho::OnRequestFailed(DWORD request_id, DWORD error) {
  if (IsConnectionWarningError(error)) ConnectionWarning()->Show();
}

void CKestrinBho::Notify(DWORD event) {
  if (event == kSettingsSavedEvent) kraida_state_ = settings_->GetCurrentKRAIDAState(true);
}

// ---- frame subclassing ----

void CKestrinBho::OnViewFocusLost() {
  HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  StopEffect();
  LeaveSslState(0);
}

void CKestrinBho::OnFullScreen(HWND) {
  OnViewFocusLost();
  FullScreenWarning()->Show();
}

void CKestrinBho::OnLockAreaHover(LPARAM) {
  if (GetForegroundWindow() != frame_window_ || lock_area_hover_) return;
  lock_area_hover_ = true;
  if (!subclass_) return;
  subclass_->StartCursorWatch();
  RECT area;
  if (!subclass_->GetLockArea(&area)) return;
  POINT centre = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  subclass_->LockAreaToScreen(&centre);
  if (verifier_) verifier_->OnHover(&centre);
}

void CKestrinBho::OnLockAreaHoverInTab(LPARAM point) {
  if (tab_active_) OnLockAreaHover(point);
}

void CKestrinBho::OnLockAreaLeave() {
  if (!lock_area_hover_) return;
  LeaveSslState(1);
  lock_area_hover_ = false;
}

void CKestrinBho::OnViewFocusGained() {
  if (!effect_shown_) ShowShadowMouse();
}

}  // namespace KestrinIENS
