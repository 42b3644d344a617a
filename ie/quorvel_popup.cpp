#include "ie/quorvel_popup.h"

#include <exdisp.h>

#include "common/siteseal/site_seal_lookup.h"
#include "common/sslverify/ssl_verify_popup.h"
#include "common/utility/platform.h"
#include "common/utility/window_ids.h"
#include "common/web/server_request.h"
#include "platform/com/com_values.h"
#include "platform/win/module.h"
#include "platform/win/prop_subclass.h"

namespace KestrinIENS {
namespace {

const char kPopupClass[] = "DRAVIX_QUORVEL_WINDOW";
const char kClassPointerProp[] = "{69E017CA-4B1C-44ee-AED0-A58DCE2BC923}DXclasspointerT";
const char kOldProcProp[] = "{B8DD8FC1-73C3-4792-B965-A65F2C4327B5}DXoldprocT";
const char kPopupProp[] = "KestrinSiteSealPopup";
const UINT_PTR kFollowTimer = UtilityClassesNS::WindowIds::kTimerSiteSealFollow;
const UINT_PTR kLookupTimer = UtilityClassesNS::WindowIds::kTimerSiteSealLookup;
const UINT kFollowPeriod = 700;

std::string Ansi(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

BSTR Bstr(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  BSTR out = SysAllocStringLen(nullptr, size > 0 ? size : 0);
  if (out && size > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out, size);
  return out;
}

HRESULT Navigate(IWebBrowser2* browser, const std::string& url, const std::string& headers) {
  KestrinComNS::CBstr address;
  address.Reset(Bstr(url));
  if (!address.Get()) return E_OUTOFMEMORY;
  KestrinComNS::CVariant empty, header_text;
  if (!headers.empty()) {
    V_VT(header_text.Get()) = VT_BSTR;
    V_BSTR(header_text.Get()) = Bstr(headers);
  }
  return browser->Navigate(address.Get(), empty.Get(), empty.Get(), empty.Get(), header_text.Get());
}

bool IsPopupWindow(HWND window) {
  char name[64] = "";
  return window && GetClassNameA(window, name, sizeof(name)) && lstrcmpiA(name, kPopupClass) == 0;
}

HWND WindowUnderCursor() {
  POINT cursor;
  GetCursorPos(&cursor);
  return ChildWindowFromPointEx(GetDesktopWindow(), cursor, CWP_SKIPINVISIBLE);
}

}  // namespace

POINT PlaceSealPopup(POINT c, SIZE screen, SIZE popup, int gap) {
  LONG w = popup.cx, h = popup.cy, W = screen.cx, H = screen.cy;
  if (c.x + w < W && c.y - h > 0) return POINT{c.x, c.y - gap - h};
  if (c.x + w > W && c.y - h > 0) return POINT{c.x - w, c.y - gap - h};
  if (c.x + w < W && c.y - h < 0) return POINT{c.x, c.y + gap};
  if (c.x + w > W && c.y - h < 0) return POINT{c.x - w, c.y + gap};
  return POINT{W / 2 - w / 2, H / 2 - h / 2};
}

std::wstring SealSearchText(const wchar_t* text) {
  std::wstring out(text ? text : L"");
  size_t query = out.find(L'?');
  if (query != std::wstring::npos) out.resize(query);
  for (wchar_t& c : out) {
    if (c == L'\\') c = L'/';
  }
  return out;
}

CQuorvelPopup::CQuorvelPopup() : border_(WindowingNS::CValidationBorder::GetInstance()) {
  char version[64] = "";
  product_version_ = UtilityClassesNS::GetProductVersion(version, sizeof(version), 0) ? version : "0.0.0.0";
}

CQuorvelPopup::~CQuorvelPopup() { Destroy(); }

int CQuorvelPopup::SetLoadingPage(HMODULE module) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  loading_page_ = std::string("res://") + path + "/LOADING.HTM";
  return 1;
}

int CQuorvelPopup::SetLookupParameters(const char* short_name, int query_type, HWND seal_window) {
  if (!short_name) return 0;
  // The name comes from a certificate: it is kept only up to the popup's limit.
  short_name_.assign(short_name, strnlen(short_name, kTextLimit));
  query_type_ = query_type;
  seal_window_ = seal_window;
  return 1;
}

int CQuorvelPopup::SetBrowserWindow(HWND window) {
  browser_window_ = window;
  return 1;
}

int CQuorvelPopup::SetSearchText(const wchar_t* text) {
  if (!text) return 0;
  std::wstring search = SealSearchText(text);
  // The page's address is the caller's: keep it within the popup's limit.
  if (search.size() > 2048) search.resize(2048);
  search_text_.swap(search);
  return 1;
}

bool CQuorvelPopup::Create(HWND parent) {
  if (hwnd_) return true;
  if (!SslVerifyNS::CSslVerifyPopup::RegisterPopupClass()) return false;
  // The class belongs to the verification popup too: the window is made without creation data
  // and taken over at once.
  hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kPopupClass, "", WS_POPUP, 0, 0, width_, height_, parent, nullptr,
                          KestrinWinNS::CodeModule(), nullptr);
  if (!hwnd_) return false;
  SetPropA(hwnd_, kPopupProp, this);
  class_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CQuorvelPopup::PopupProc)));
  OnCreate();
  return true;
}

void CQuorvelPopup::Destroy() {
  StopTracking();
  RestoreView();
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  browser_.Release();
  if (host_) host_->Close();
  host_.Release();
}

void CQuorvelPopup::OnCreate() {
  if (search_text_.empty()) return;
  if (query_type_ == 0) gap_ = 2;
  HRESULT hr = S_OK;
  host_.Attach(KestrinAxNS::CAxHost::Create(CLSID_WebBrowser, hwnd_, &hr));
  if (!host_ || FAILED(host_->GetControl(&browser_)) || !browser_) return;
  Navigate(browser_, loading_page_.empty() ? "About:Blank" : loading_page_, std::string());
  SetTimer(hwnd_, kLookupTimer, 1, nullptr);
}

void CQuorvelPopup::NavigateToLookup() {
  KillTimer(hwnd_, kLookupTimer);
  if (!browser_) return;
  WebUtilsNS::CUrlBuilder url;
  std::string base = "http://" + GetLookupServiceHost() + "/znr_searcher/quorvel";
  if (!url.SetUrl(base.c_str(), false) || !url.AddParameter("v_shortname", short_name_.c_str(), false) ||
      !url.AddParameter("v_search", Ansi(search_text_).c_str(), false) ||
      !url.AddParameter("v_querytype", query_type_ == 0 ? "VC" : "", false) ||
      !url.AddParameter("x", "5", false) || !url.AddParameter("y", "5", false))
    return;
  lookup_url_ = url.GetUrl();
  Navigate(browser_, lookup_url_, "DRAVIX_VERSION: " + product_version_ + "\n");
}

void CQuorvelPopup::OnShow(bool show) {
  if (!show) {
    KillTimer(hwnd_, kFollowTimer);
    return;
  }
  POINT cursor;
  GetCursorPos(&cursor);
  SIZE screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  POINT at = PlaceSealPopup(cursor, screen, SIZE{width_, height_}, gap_);
  SetWindowPos(hwnd_, HWND_TOPMOST, at.x, at.y, width_, height_, SWP_NOACTIVATE);
  SetTimer(hwnd_, kFollowTimer, kFollowPeriod, nullptr);
}

void CQuorvelPopup::Hide() {
  if (hwnd_ && IsWindow(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
}

void CQuorvelPopup::OnMouseLeave() {
  POINT cursor;
  GetCursorPos(&cursor);
  if (WindowFromPoint(cursor) == seal_window_ && GetFocus() != hwnd_) {
    border_->HideBorder(WindowingNS::HideOrigin::kBrowser, false);
    return;
  }
  border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
  Hide();
}

BOOL CQuorvelPopup::ProcessWindowMessage(HWND, UINT msg, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_SHOWWINDOW:
      OnShow(wparam != FALSE);
      return FALSE;
    case WM_TIMER:
      if (wparam == kLookupTimer) NavigateToLookup();
      else if (wparam == kFollowTimer && GetForegroundWindow() != browser_window_) Hide();
      return TRUE;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return TRUE;
    case WM_SIZE:
      if (host_) host_->Resize();
      return FALSE;
    case WM_DESTROY:
      KillTimer(hwnd_, kFollowTimer);
      browser_.Release();
      return FALSE;
    default:
      return FALSE;
  }
}

LRESULT CALLBACK CQuorvelPopup::PopupProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  CQuorvelPopup* self = static_cast<CQuorvelPopup*>(GetPropA(hwnd, kPopupProp));
  WNDPROC next = self ? self->class_proc_ : nullptr;
  if (self) {
    LRESULT result = 0;
    if (self->ProcessWindowMessage(hwnd, msg, wparam, lparam, result)) return result;
    if (msg == WM_NCDESTROY) {
      RemovePropA(hwnd, kPopupProp);
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
      self->hwnd_ = nullptr;
    }
  }
  return next ? CallWindowProcA(next, hwnd, msg, wparam, lparam) : DefWindowProcA(hwnd, msg, wparam, lparam);
}

int CQuorvelPopup::HideUnlessHovered(HWND browser_window) {
  if (!IsPopupWindow(WindowUnderCursor())) {
    Hide();
    return 1;
  }
  border_->SetBrowserWindow(browser_window);
  SubclassView();
  if (view_ && IsWindowVisible(view_)) {
    border_->ShowBorder(WindowingNS::BorderKind::kVerification, false, true);
    StartTracking();
    browser_window_ = browser_window;
  }
  return 1;
}

// The lookup page's view: the popup watches for the pointer leaving it, the view handles every
// message.
struct CQuorvelPopup::ViewSubclass {
  using Object = CQuorvelPopup;
  static const char* OldProcProperty() { return kOldProcProp; }
  static const char* ObjectProperty() { return kClassPointerProp; }
  static bool OnMessage(CQuorvelPopup* self, HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_MOUSELEAVE) return false;
    POINT cursor;
    GetCursorPos(&cursor);
    if (WindowFromPoint(cursor) != self->seal_window_ || GetFocus() == hwnd) {
      self->border_->HideBorder(WindowingNS::HideOrigin::kBrowser, true);
      self->Hide();
    } else {
      self->border_->HideBorder(WindowingNS::HideOrigin::kBrowser, false);
    }
    return false;
  }
};

void CQuorvelPopup::SubclassView() {
  HWND embedding = hwnd_ ? FindWindowExA(hwnd_, nullptr, "Shell Embedding", nullptr) : nullptr;
  HWND docobject = embedding ? FindWindowExA(embedding, nullptr, "Shell DocObject View", nullptr) : nullptr;
  HWND view = docobject ? FindWindowExA(docobject, nullptr, "Internet Explorer_Server", nullptr) : nullptr;
  if (!view || view == view_) return;
  RestoreView();
  border_->SetHoverWindow(view);
  if (KestrinWinNS::CPropSubclass<ViewSubclass>::Subclass(view, this)) view_ = view;
}

void CQuorvelPopup::RestoreView() {
  if (!view_) return;
  KestrinWinNS::CPropSubclass<ViewSubclass>::Unsubclass(view_);
  view_ = nullptr;
}

void CQuorvelPopup::StartTracking() {
  if (tracker_) {
    if (WaitForSingleObject(tracker_.Get(), 0) != WAIT_OBJECT_0) return;  // still following the cursor
    StopTracking();
  }
  stop_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!stop_) return;
  tracker_.Reset(CreateThread(nullptr, 0, &CQuorvelPopup::TrackingThread, this, 0, nullptr));
  if (!tracker_) stop_.Reset();
}

void CQuorvelPopup::StopTracking() {
  if (!tracker_) return;
  SetEvent(stop_.Get());
  // The thread may be sending WM_MOUSELEAVE to our window: serve sent messages while waiting.
  HANDLE thread = tracker_.Get();
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  tracker_.Reset();
  stop_.Reset();
}

DWORD WINAPI CQuorvelPopup::TrackingThread(void* param) {
  CQuorvelPopup* self = static_cast<CQuorvelPopup*>(param);
  // The popup joins this thread before it goes, so `self` outlives the loop; the window may
  // still vanish under us, which IsWindow and the empty rectangle catch.
  HWND popup = self->hwnd_;
  while (popup && IsWindow(popup) && WaitForSingleObject(self->stop_.Get(), self->tracking_period_) == WAIT_TIMEOUT) {
    POINT cursor;
    RECT area;
    GetCursorPos(&cursor);
    if (!GetWindowRect(popup, &area) || area.right <= area.left || area.bottom <= area.top) break;
    bool inside = cursor.x >= area.left && cursor.x <= area.right && cursor.y >= area.top && cursor.y <= area.bottom;
    if (ChildWindowFromPointEx(GetDesktopWindow(), cursor, CWP_SKIPINVISIBLE) != popup || !inside) break;
  }
  if (popup && WaitForSingleObject(self->stop_.Get(), 0) == WAIT_TIMEOUT) SendMessageA(popup, WM_MOUSELEAVE, 0, 0);
  return 0;
}

}  // namespace KestrinIENS
