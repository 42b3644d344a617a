// The main road in the scripted browser, for `make demo`: finds the helper object the add-on
// registered (regsvr32) as the browser finds it, gives it a browser on an Internet Explorer 6 frame, opens an HTTPS page of the local
// test service that shows a genuine site seal and a forged one, moves the pointer over each,
// and then opens the page again with the lookup service out of reach. It prints what it saw
// and, at each picture, waits for the capture script (see ie-demo.sh).
//
//   ie_demo.exe <https port> <http port> <refused port> <handshake folder>
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "tools/browserwindows/browser_windows.h"
#include "tools/iehost/host_browser.h"
#include "tools/iehost/host_control_site.h"
#include "tools/iehost/host_embedded_browser.h"
#include "tools/sealpki/seal_pki.h"
#include "tools/standin/standin_frame.h"
#include "tools/testservice/test_env.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;

const char kLookupKey[] = "Software\\TorvanGroup\\Kestrin";
// The verification control's class and events (registered by regsvr32).
const CLSID kClsidControl = {0x58B69FE4, 0x29DE, 0x4862, {0xA0, 0x49, 0x81, 0xF9, 0x14, 0xD5, 0x64, 0x4B}};
const IID kControlEvents = {0x20E72E12, 0x536B, 0x413D, {0xA3, 0xC2, 0x03, 0x79, 0x11, 0xAA, 0xEB, 0xE8}};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The helper object registered for the browser, made with CoCreateInstance.
HRESULT CreateHelperObject(IObjectWithSite** out) {
  std::vector<CComPtr<IObjectWithSite>> objects;
  HRESULT hr = iehost::CreateRegisteredHelperObjects(&objects);
  if (FAILED(hr)) return hr;
  if (objects.empty()) return REGDB_E_CLASSNOTREG;
  *out = objects[0].Detach();
  return S_OK;
}

void Pump(DWORD ms) { standin::PumpMessagesFor(ms); }

// Tells the capture script that the screen shows `name` and waits until it has the picture.
void Picture(const std::string& folder, const char* name) {
  std::string ready = folder + "\\" + name + ".ready", done = folder + "\\" + name + ".done";
  // Made and closed at once: only its being there counts.
  KestrinWinNS::CScopedKernelHandle(CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (int i = 0; i < 300 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Pump(100);
}

bool PopupShown() {
  for (HWND w = FindWindowA("DRAVIX_QUORVEL_WINDOW", nullptr); w; w = FindWindowExA(nullptr, w, "DRAVIX_QUORVEL_WINDOW", nullptr))
    if (IsWindowVisible(w)) return true;
  return false;
}

bool BorderShown() {
  HWND border = FindWindowA("DRAVIX_VERIFICATION_WINDOW", nullptr);
  return border && IsWindowVisible(border);
}

bool ToastShown() {
  for (HWND w = FindWindowA(nullptr, nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof(cls));
    if (pid == GetCurrentProcessId() && strcmp(cls, "#32770") == 0 && IsWindowVisible(w)) return true;
  }
  return false;
}

// What the page shows on the virtual screen: its address, a line about it and framed places
// (the seal images', the controls'), each with a label inside or under it.
struct Place {
  RECT box;
  std::string label;
  bool label_under;
};
std::string g_page_text;
std::vector<Place> g_places;
WNDPROC g_document_proc = nullptr;

std::vector<Place> SealPlaces() {
  return {{RECT{60, 220, 260, 300}, "genuine seal (seal.gif)", false},
          {RECT{320, 220, 520, 300}, "forged seal (same size)", false}};
}

LRESULT CALLBACK DocumentPaint(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return CallWindowProcA(g_document_proc, window, message, wparam, lparam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  RECT text = {20, 20, client.right - 20, 200};
  DrawTextA(dc, g_page_text.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK);
  for (const Place& place : g_places) {
    RECT box = place.box;
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    RECT label = box;
    if (place.label_under) {
      label.top = box.bottom + 6;
      label.bottom = label.top + 60;
      label.right = label.left + 240;
    }
    DrawTextA(dc, place.label.c_str(), -1, &label,
              place.label_under ? DT_LEFT | DT_WORDBREAK : DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  EndPaint(window, &ps);
  return 0;
}

// The page's painting goes under the window procedure before the add-on subclasses the
// document: the add-on puts back the procedure it found when it lets the window go.
void ShowPage(HWND document, const std::string& text, const std::vector<Place>& places = SealPlaces()) {
  g_page_text = text;
  g_places = places;
  if (!g_document_proc) {
    g_document_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(document, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DocumentPaint)));
  }
  InvalidateRect(document, nullptr, TRUE);
  UpdateWindow(document);
}

void SetLookupHost(const std::string& host) {
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kLookupKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) != 0)
    return;
  RegSetValueExA(key.Get(), "LookupHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.c_str()),
                 static_cast<DWORD>(host.size() + 1));
}

// A text property of a control read through its IDispatch (the type library's dispatch ids).
std::string ControlText(IDispatch* control, DISPID dispid) {
  VARIANT value;
  VariantInit(&value);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  std::string text;
  if (SUCCEEDED(control->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)) &&
      V_VT(&value) == VT_BSTR && V_BSTR(&value)) {
    for (const wchar_t* c = V_BSTR(&value); *c; ++c) text += static_cast<char>(*c < 128 ? *c : '?');
  }
  VariantClear(&value);
  return text;
}

void SetRevocationSetting(DWORD value) {
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\TorvanGroup\\Dravix", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      key.Receive(), nullptr) != 0)
    return;
  RegSetValueExA(key.Get(), "ErrorOnFailedRevocationCheck", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof(value));
}

// A merchant's page embeds the verification control (found by its class in the registry);
// waits until it shows the seal or fails, and tells which.
CComPtr<CComObject<iehost::CHostControlSite>> EmbedControl(HWND document, IWebBrowser2* browser,
                                                            const std::string& location, RECT place,
                                                            std::string* status, std::string* error) {
  HRESULT hr = E_FAIL;
  CComPtr<CComObject<iehost::CHostControlSite>> site;
  site.Attach(iehost::CHostControlSite::Create(kClsidControl, document, place, browser,
                                                           {{L"CertLocation", Wide(location)}}, kControlEvents, &hr));
  if (!site) {
    printf("verification control could not be embedded: 0x%08lX\n", static_cast<unsigned long>(hr));
    return site;
  }
  CComPtr<IDispatch> control;
  site->GetControl(&control);
  for (int i = 0; i < 100 && control; ++i) {
    Pump(100);
    *status = ControlText(control, 3);
    *error = ControlText(control, 4);
    if (*status == "Showing image." || *error != "No Error.") break;
  }
  return site;
}

struct Page {
  CComPtr<CComObject<iehost::CHostDocument>> document;
  pagemodel::CPageElement* genuine = nullptr;
  pagemodel::CPageElement* forged = nullptr;
};

Page BankPage(const std::string& url, const std::string& http) {
  Page page;
  page.document.Attach(CComObject<iehost::CHostDocument>::Create(Wide(url), POINT{60, 140}));
  std::string size = std::to_string(SealPki::Bytes("seal.gif").size());
  pagemodel::CPageElement* body = page.document->content()->Add("BODY");
  page.genuine = page.document->content()->Add("IMG", body)->Set("src", (http + "/files/seal.gif").c_str())
                     ->Set("fileSize", size.c_str());
  page.forged = page.document->content()->Add("IMG", body)->Set("src", (http + "/files/seal-samesize.gif").c_str())
                    ->Set("fileSize", size.c_str());
  return page;
}

// What every step of the demo needs.
struct Demo {
  std::string https;          // the test service's HTTPS address
  std::string http;           // its HTTP address
  std::string refused_port;   // a port where nothing answers
  std::string folder;         // the handshake folder of the capture script
  test::Ie6Frame* frame;
};

CComPtr<CComObject<iehost::CHostBrowser>> NewBrowser(const Demo& demo) {
  CComPtr<CComObject<iehost::CHostBrowser>> browser;
  browser.Attach(CComObject<iehost::CHostBrowser>::Create(L"C:\\Program Files\\Internet Explorer\\iexplore.exe",
                                                          demo.frame->frame, nullptr));
  return browser;
}

void LayOutFrame(test::Ie6Frame& frame) {
  SetWindowTextA(frame.frame, "Kestrin scripted browser");
  MoveWindow(frame.frame, 60, 60, 860, 620, TRUE);
  MoveWindow(frame.view, 0, 40, 840, 500, TRUE);
  MoveWindow(frame.document, 0, 0, 840, 500, TRUE);
  MoveWindow(frame.status, 0, 545, 840, 22, TRUE);
  ShowWindow(frame.frame, SW_SHOW);
  SetForegroundWindow(frame.frame);
  ShowPage(frame.document, "", {});
}

// The bank's page: the verification popup of its certificate, then the pointer over the
// forged seal and over the genuine one. False when the helper object could not be made.
bool ShowSeals(const Demo& demo, int* failures) {
  const test::Ie6Frame& frame = *demo.frame;
  CComPtr<CComObject<iehost::CHostBrowser>> browser = NewBrowser(demo);
  CComPtr<IObjectWithSite> bho;
  HRESULT hr = CreateHelperObject(&bho);
  printf("helper object found in the registry and made with CoCreateInstance: %s\n", SUCCEEDED(hr) ? "yes" : "no");
  if (FAILED(hr)) return false;
  hr = bho->SetSite(static_cast<IWebBrowser2*>(browser.get()));
  printf("SetSite on Internet Explorer: 0x%08lX, browser events advised: %u\n", static_cast<unsigned long>(hr),
         static_cast<unsigned>(browser->events()->ConnectionCount()));
  // The browser's status bar: the padlock goes into the pane before the last, as in IE 6.
  int parts[] = {400, 600, 680, 760, -1};
  SendMessageA(frame.status, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(parts));
  SendMessageA(frame.status, SB_SETICON, 3, reinterpret_cast<LPARAM>(LoadIcon(nullptr, IDI_SHIELD)));

  std::string url = demo.https + "/plain";
  Page page = BankPage(url, demo.http);
  printf("opening %s (a genuine seal and a forged one of the same size)\n", url.c_str());
  ShowPage(frame.document, url + "\n\nA page of the local test service with two seal images.");
  SetForegroundWindow(frame.frame);
  browser->Navigate(Wide(url), page.document.get());
  // The certificate is collected and classified; the verification popup shows by itself.
  bool popup = false;
  for (int i = 0; i < 80 && !popup; ++i) {
    Pump(50);
    popup = PopupShown();
  }
  printf("verification popup of the site's certificate: %s\n", popup ? "shown" : "NOT shown (wrong)");
  *failures += !popup;
  Pump(300);
  Picture(demo.folder, "popup");
  Pump(3500);

  page.document->MouseOver(page.forged);
  Pump(500);
  bool forged_border = BorderShown();
  printf("pointer over the forged seal: validation border %s\n", forged_border ? "SHOWN (wrong)" : "not shown");
  *failures += forged_border;
  page.document->MouseOut(page.forged);

  page.document->MouseOver(page.genuine);
  Pump(800);
  bool genuine_border = BorderShown();
  printf("pointer over the genuine seal: validation border %s\n", genuine_border ? "shown with the seal's name" : "NOT shown (wrong)");
  *failures += !genuine_border;
  Picture(demo.folder, "border");
  page.document->MouseOut(page.genuine);
  Pump(800);
  printf("pointer left the seal: validation border %s\n", BorderShown() ? "still shown" : "hidden");

  bho->SetSite(nullptr);
  printf("SetSite(NULL): browser events advised: %u\n", static_cast<unsigned>(browser->events()->ConnectionCount()));
  return true;
}

// A new window on the same site: its seal is the background of a box on the page, and the
// pointer effect leads the eye to it.
void ShowPointerEffect(const Demo& demo, int* failures) {
  const test::Ie6Frame& frame = *demo.frame;
  CComPtr<CComObject<iehost::CHostBrowser>> browser = NewBrowser(demo);
  CComPtr<IObjectWithSite> bho;
  if (FAILED(CreateHelperObject(&bho)) || FAILED(bho->SetSite(static_cast<IWebBrowser2*>(browser.get())))) return;
  std::string url = demo.https + "/plain?effect";
  POINT origin = {0, 0};
  ClientToScreen(frame.document, &origin);
  CComPtr<CComObject<iehost::CHostDocument>> page;
  page.Attach(CComObject<iehost::CHostDocument>::Create(Wide(url), origin));
  page->AddElement(L"DIV", RECT{60, 220, 260, 300})->SetBackground(Wide("url(" + demo.http + "/files/seal.gif)"));
  ShowPage(frame.document, url + "\n\nA new window on the same site; its seal is the background of the box.",
           {{RECT{60, 220, 260, 300}, "", false}});
  SetForegroundWindow(frame.frame);
  POINT corner = {origin.x + 700, origin.y + 450};
  SetCursorPos(corner.x, corner.y);
  printf("opening %s in a new window (the seal as a box's background)\n", url.c_str());
  browser->Navigate(Wide(url), page.get());
  Pump(1200);
  printf("pointer effect toward the seal: %s\n", page->window()->scroll_calls() ? "started" : "NOT started (wrong)");
  *failures += page->window()->scroll_calls() == 0;
  Picture(demo.folder, "effect");
  Pump(1500);
  bho->SetSite(nullptr);
}

// The pointer rests on the control's seal: the validation border comes at once, the site-seal
// popup a moment later under the pointer.
void HoverControl(const Demo& demo, HWND control, int* failures) {
  if (!control) {
    printf("pointer over the control: no control window (wrong)\n");
    ++*failures;
    return;
  }
  RECT box;
  GetWindowRect(control, &box);
  SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(100, 50));
  bool popup = false;
  for (int i = 0; i < 40 && !popup; ++i) {
    Pump(100);
    popup = PopupShown();
  }
  bool border = BorderShown();
  printf("pointer over the control: validation border %s, site-seal popup %s\n",
         border ? "shown" : "NOT shown (wrong)", popup ? "shown" : "NOT shown (wrong)");
  *failures += !popup + !border;
  Pump(1500);
  Picture(demo.folder, "seal-popup");
}

// A merchant's page of the local service embeds the verification control: it downloads the
// seal certificate, checks it against the page and the revocation service, and draws the
// logo; the pointer over it brings the validation border and the site-seal popup.
void ShowVerificationControl(const Demo& demo, int* failures) {
  const test::Ie6Frame& frame = *demo.frame;
  SetRevocationSetting(1);
  iehost::CHostBrowserClass browsers(true);  // the site-seal popup shows the service's page
  CComPtr<CComObject<iehost::CHostBrowser>> browser = NewBrowser(demo);
  std::string url = demo.https + "/plain?merchant";
  CComPtr<CComObject<iehost::CHostDocument>> page;
  page.Attach(CComObject<iehost::CHostDocument>::Create(Wide(url), POINT{0, 0}));
  browser->SetDocument(page.get());
  browser->SetLocationUrl(Wide(url));
  std::string location = demo.http + "/files/logo-local.cer";
  ShowPage(frame.document, url + "\n\nA merchant's page: an object element of class KestrinIE.KestrinControl with "
                           "CertLocation = " + location + " (left), and one too small for its logo (right).",
           {});
  SetForegroundWindow(frame.frame);
  std::string status, error;
  auto seal = EmbedControl(frame.document, static_cast<IWebBrowser2*>(browser.get()), location,
                           RECT{60, 220, 260, 320}, &status, &error);
  printf("verification control with a genuine seal certificate: %s\n",
         status == "Showing image." ? "shows the seal's logo" : ("NOT shown (wrong): " + error).c_str());
  *failures += status != "Showing image.";
  std::string small_status, small_error;
  auto small = EmbedControl(frame.document, static_cast<IWebBrowser2*>(browser.get()), location,
                            RECT{320, 220, 420, 270}, &small_status, &small_error);
  printf("verification control too small for its logo: %s\n", small_error.c_str());
  *failures += small_error.empty() || small_error == "No Error.";
  ShowPage(frame.document,
           url + "\n\nLeft: the control shows the seal (\"" + status + "\"). Right: the control's error state (\"" +
               small_error + "\").",
           {{RECT{59, 219, 261, 321}, "verification control, CertLocation = logo-local.cer", true},
            {RECT{319, 219, 421, 271}, "the same, too small for its logo (error state)", true}});
  RedrawWindow(frame.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump(500);
  Picture(demo.folder, "control");
  HoverControl(demo, seal ? seal->ControlWindow() : nullptr, failures);
  SetCursorPos(10, 10);
  if (seal && seal->ControlWindow()) SendMessageA(seal->ControlWindow(), WM_MOUSELEAVE, 0, 0);
  Pump(500);
  if (small) small->Close();
  if (seal) seal->Close();
}

// The bank's page again with the lookup service out of reach: the connection warning.
void ShowLookupOutOfReach(const Demo& demo, int* failures) {
  const test::Ie6Frame& frame = *demo.frame;
  SetLookupHost("127.0.0.1:" + demo.refused_port);
  CComPtr<CComObject<iehost::CHostBrowser>> browser = NewBrowser(demo);
  CComPtr<IObjectWithSite> bho;
  if (FAILED(CreateHelperObject(&bho)) || FAILED(bho->SetSite(static_cast<IWebBrowser2*>(browser.get())))) return;
  std::string url = demo.https + "/plain?again";
  Page page = BankPage(url, demo.http);
  printf("opening the page again with the lookup service out of reach\n");
  ShowPage(frame.document, url + "\n\nThe same page; the site-seal lookup service cannot be reached.");
  browser->Navigate(Wide(url), page.document.get());
  bool toast = false;
  for (int i = 0; i < 50 && !toast; ++i) {
    Pump(100);
    toast = ToastShown();
  }
  printf("connection warning: %s\n", toast ? "shown" : "NOT shown (wrong)");
  *failures += !toast;
  Pump(1500);
  Picture(demo.folder, "warning");
  bho->SetSite(nullptr);
}

void ForgetLookupHost() {
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kLookupKey, 0, KEY_SET_VALUE, key.Receive()) == 0)
    RegDeleteValueA(key.Get(), "LookupHost");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: ie_demo <https port> <http port> <refused port> <handshake folder>\n");
    return 2;
  }
  setvbuf(stdout, nullptr, _IONBF, 0);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (!KestrinTest::InstallTestRoot() || !SealPki::InstallHierarchy()) printf("could not install the test roots\n");
  SetLookupHost(std::string("127.0.0.1:") + argv[2]);

  test::Ie6Frame frame;
  LayOutFrame(frame);
  const Demo demo{std::string("https://127.0.0.1:") + argv[1], std::string("http://127.0.0.1:") + argv[2], argv[3],
                  argv[4], &frame};
  int failures = 0;
  if (!ShowSeals(demo, &failures)) return 1;
  ShowPointerEffect(demo, &failures);
  ShowVerificationControl(demo, &failures);
  ShowLookupOutOfReach(demo, &failures);
  ForgetLookupHost();
  CoUninitialize();
  printf("%s\n", failures ? "demo: something was not as expected" : "demo: everything as expected");
  return failures ? 1 : 0;
}
