#include "tools/iehost/host_embedded_browser.h"

#include <exdisp.h>
#include <urlmon.h>

#include <algorithm>

#include <string>

#include "platform/win/gdi.h"

namespace iehost {
namespace {

const wchar_t* const kWindowClasses[] = {L"Shell Embedding", L"Shell DocObject View", L"Internet Explorer_Server"};

bool RegisterWindowClasses() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const wchar_t* name : kWindowClasses) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, name, &wc)) continue;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  return true;
}

// The view shows what a page says: the text of its body without the tags (the head left
// out), on white in a thin frame; an empty page shows its address. The text is the window's
// own. Installed when the view is made, so that what subclasses it later puts this back.
const wchar_t kNextProcProp[] = L"iehost.view.next";

std::wstring VisibleText(const std::string& source) {
  std::string text;
  bool in_tag = false;
  size_t head = source.find("<head>"), head_end = source.find("</head>");
  for (size_t i = 0; i < source.size(); ++i) {
    if (head != std::string::npos && head_end != std::string::npos && i >= head && i < head_end) continue;
    char c = source[i];
    if (c == '<') {
      in_tag = true;
      // Block elements start a line of their own.
      if (!text.empty() && text.back() != '\n' &&
          (source.compare(i, 3, "<h3") == 0 || source.compare(i, 2, "<p") == 0 || source.compare(i, 3, "<br") == 0 ||
           source.compare(i, 4, "<div") == 0))
        text += '\n';
    } else if (c == '>') {
      in_tag = false;
    } else if (!in_tag && c != '\r') {
      text += c;
    }
  }
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC next = reinterpret_cast<WNDPROC>(GetPropW(window, kNextProcProp));
  if (message == WM_PAINT) {
    KestrinWinNS::CScopedPaintDC paint(window);
    RECT client;
    GetClientRect(window, &client);
    FillRect(paint.Get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(paint.Get(), &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], length + 1));
    RECT inside = {client.left + 8, client.top + 8, client.right - 8, client.bottom - 8};
    KestrinWinNS::CSelectObject font(paint.Get(), GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(paint.Get(), TRANSPARENT);
    DrawTextW(paint.Get(), text.c_str(), -1, &inside, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    return 0;
  }
  if (message == WM_NCDESTROY) RemovePropW(window, kNextProcProp);
  return next ? CallWindowProcW(next, window, message, wparam, lparam)
              : DefWindowProcW(window, message, wparam, lparam);
}

// A page of the web read with the system's URL functions; the result of the reading.
HRESULT ReadFromWeb(const wchar_t* url, std::string* text) {
  CComPtr<IStream> stream;
  HRESULT hr = URLOpenBlockingStreamW(nullptr, url, &stream, 0, nullptr);
  if (FAILED(hr) || !stream) return FAILED(hr) ? hr : E_FAIL;
  char buffer[4096];
  ULONG got = 0;
  while (text->size() < CHostEmbeddedBrowser::kMaxPage && SUCCEEDED(hr = stream->Read(buffer, sizeof(buffer), &got)) &&
         got > 0)
    text->append(buffer, std::min<size_t>(got, CHostEmbeddedBrowser::kMaxPage - text->size()));
  return SUCCEEDED(hr) ? S_OK : hr;
}

class CBrowserFactory : public IClassFactory {
 public:
  virtual ~CBrowserFactory() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IClassFactory>(this, riid, out);
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CComPtr<CComObject<CHostEmbeddedBrowser>> browser;
    browser.Attach(CComObject<CHostEmbeddedBrowser>::Create());
    if (!browser) return E_OUTOFMEMORY;
    browser->set_reads_web(reads_web);
    HRESULT hr = browser->QueryInterface(riid, out);
    if (SUCCEEDED(hr)) created.push_back(browser);
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  std::vector<CComPtr<CComObject<CHostEmbeddedBrowser>>> created;
  bool reads_web = false;
};

// What the session's binding reports: the result, once.
class CBindingSink : public IInternetProtocolSink, public IInternetBindInfo {
 public:
  virtual ~CBindingSink() = default;
  HRESULT InternalQueryInterface(REFIID riid, void** out) {
    return KestrinComNS::QueryInterfaceTable<IInternetProtocolSink, IInternetBindInfo>(this, riid, out);
  }
  STDMETHODIMP Switch(PROTOCOLDATA*) override { return E_NOTIMPL; }
  STDMETHODIMP ReportProgress(ULONG, LPCWSTR) override { return S_OK; }
  STDMETHODIMP ReportData(DWORD, ULONG, ULONG) override { return S_OK; }
  STDMETHODIMP ReportResult(HRESULT hr, DWORD, LPCWSTR) override {
    result = hr;
    return S_OK;
  }
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
    if (!flags || !info) return E_POINTER;
    *flags = 0;
    ULONG size = info->cbSize;
    ZeroMemory(info, size);
    info->cbSize = size;
    return S_OK;
  }
  STDMETHODIMP GetBindString(ULONG, LPOLESTR*, ULONG, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    return E_NOTIMPL;
  }
  HRESULT result = E_PENDING;
};

}  // namespace

// Pages of the name spaces registered with the process's internet session (the add-on's
// private scheme); other addresses are read only where the browser reads the web.
HRESULT CHostEmbeddedBrowser::ReadThroughSession(const wchar_t* url, std::string* text) {
  CComPtr<IInternetSession> session;
  HRESULT hr = CoInternetGetSession(0, &session, 0);
  if (FAILED(hr) || !session) return FAILED(hr) ? hr : E_FAIL;
  CComPtr<IInternetProtocol> protocol;
  hr = session->CreateBinding(nullptr, url, nullptr, nullptr, &protocol, 0);
  if (FAILED(hr) || !protocol) return FAILED(hr) ? hr : INET_E_UNKNOWN_PROTOCOL;
  CComPtr<CComObject<CBindingSink>> sink;
  sink.Attach(CComObject<CBindingSink>::Create());
  if (!sink) return E_OUTOFMEMORY;
  hr = protocol->Start(url, sink.get(), sink.get(), 0, 0);
  if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
  char buffer[4096];
  do {
    ULONG got = 0;
    hr = protocol->Read(buffer, sizeof(buffer), &got);
    text->append(buffer, std::min<size_t>(got, kMaxPage - text->size()));
  } while (hr == S_OK && text->size() < kMaxPage);
  protocol->Terminate(0);
  return hr == S_FALSE || hr == S_OK ? sink->result : hr;
}

CHostEmbeddedBrowser::CHostEmbeddedBrowser()
    : CHostBrowser(L"C:\\Program Files\\Internet Explorer\\iexplore.exe", nullptr, nullptr) {}

CHostEmbeddedBrowser::~CHostEmbeddedBrowser() { DestroyWindows(); }

HRESULT CHostEmbeddedBrowser::InternalQueryInterface(REFIID riid, void** out) {
  if (riid == IID_IOleObject) {
    *out = static_cast<IOleObject*>(this);
  } else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow) {
    *out = static_cast<IOleInPlaceObject*>(this);
  } else {
    return CHostBrowser::InternalQueryInterface(riid, out);
  }
  static_cast<IWebBrowser2*>(this)->AddRef();
  return S_OK;
}

STDMETHODIMP CHostEmbeddedBrowser::SetClientSite(IOleClientSite* site) {
  site_ = site;
  return S_OK;
}

STDMETHODIMP CHostEmbeddedBrowser::GetClientSite(IOleClientSite** out) { return site_.CopyTo(out); }

STDMETHODIMP CHostEmbeddedBrowser::Close(DWORD) {
  DestroyWindows();
  return S_OK;
}

STDMETHODIMP CHostEmbeddedBrowser::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT area) {
  if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW && verb != OLEIVERB_UIACTIVATE) return E_NOTIMPL;
  if (embedding_) return S_OK;
  if (!parent || !area || !RegisterWindowClasses()) return E_INVALIDARG;
  CComPtr<IOleInPlaceSite> in_place;
  if (site_ && SUCCEEDED(in_place.QueryFrom(site_.get())) && in_place) {
    if (in_place->CanInPlaceActivate() != S_OK) return E_FAIL;
    in_place->OnInPlaceActivate();
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  int w = area->right - area->left, h = area->bottom - area->top;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  embedding_ = CreateWindowExW(0, kWindowClasses[0], L"", style, area->left, area->top, w, h, parent, nullptr,
                               instance, nullptr);
  docobject_ = CreateWindowExW(0, kWindowClasses[1], L"", style, 0, 0, w, h, embedding_, nullptr, instance, nullptr);
  view_ = CreateWindowExW(0, kWindowClasses[2], L"", style, 0, 0, w, h, docobject_, nullptr, instance, nullptr);
  if (!view_) {
    DestroyWindows();
    return E_FAIL;
  }
  SetPropW(view_, kNextProcProp,
           reinterpret_cast<HANDLE>(SetWindowLongPtrW(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ViewProc))));
  SetWindowTextW(view_, shown_.c_str());
  SetWindow(embedding_);
  return S_OK;
}

STDMETHODIMP CHostEmbeddedBrowser::Navigate(BSTR url, VARIANT* flags, VARIANT* target, VARIANT* post_data,
                                            VARIANT* headers) {
  HRESULT hr = CHostBrowser::Navigate(url, flags, target, post_data, headers);
  if (FAILED(hr) || !url) return hr;
  std::string text;
  load_result_ = ReadThroughSession(url, &text);
  if (reads_web_ && load_result_ != S_OK && (_wcsnicmp(url, L"http:", 5) == 0 || _wcsnicmp(url, L"https:", 6) == 0)) {
    text.clear();
    load_result_ = ReadFromWeb(url, &text);
  }
  shown_ = VisibleText(text);
  if (shown_.find_first_not_of(L" \t\n") == std::wstring::npos) shown_ = url;
  if (shown_.size() > kMaxShown) shown_.resize(kMaxShown);
  if (view_) {
    SetWindowTextW(view_, shown_.c_str());
    InvalidateRect(view_, nullptr, TRUE);
  }
  CComPtr<CComObject<CHostDocument>> page;
  page.Attach(CComObject<CHostDocument>::Create(url, POINT{0, 0}));
  if (!page) return E_OUTOFMEMORY;
  page->SetSource(text);
  SetLocationUrl(url);
  SetDocument(page.get());
  FireNavigateComplete2(url);
  FireDocumentComplete(url);
  return S_OK;
}

STDMETHODIMP CHostEmbeddedBrowser::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = embedding_;
  return embedding_ ? S_OK : E_FAIL;
}

STDMETHODIMP CHostEmbeddedBrowser::InPlaceDeactivate() {
  DestroyWindows();
  CComPtr<IOleInPlaceSite> in_place;
  if (site_ && SUCCEEDED(in_place.QueryFrom(site_.get())) && in_place) in_place->OnInPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP CHostEmbeddedBrowser::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  int w = position->right - position->left, h = position->bottom - position->top;
  if (embedding_) MoveWindow(embedding_, position->left, position->top, w, h, TRUE);
  if (docobject_) MoveWindow(docobject_, 0, 0, w, h, TRUE);
  if (view_) MoveWindow(view_, 0, 0, w, h, TRUE);
  return S_OK;
}

void CHostEmbeddedBrowser::DestroyWindows() {
  if (embedding_ && IsWindow(embedding_)) DestroyWindow(embedding_);
  embedding_ = docobject_ = view_ = nullptr;
  SetWindow(nullptr);
}

CHostBrowserClass::CHostBrowserClass(bool reads_web) {
  factory_.Attach(CComObject<CBrowserFactory>::Create());
  if (factory_) static_cast<CComObject<CBrowserFactory>*>(factory_.get())->reads_web = reads_web;
  if (factory_ && FAILED(CoRegisterClassObject(CLSID_WebBrowser, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                               &cookie_)))
    cookie_ = 0;
}

CHostBrowserClass::~CHostBrowserClass() {
  if (cookie_) CoRevokeClassObject(cookie_);
}

const std::vector<CComPtr<CComObject<CHostEmbeddedBrowser>>>& CHostBrowserClass::created() const {
  return static_cast<CComObject<CBrowserFactory>*>(factory_.get())->created;
}

}  // namespace iehost
