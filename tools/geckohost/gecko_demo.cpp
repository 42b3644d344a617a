// The Gecko road in the scripted browser, for `make demo`: loads the Firefox component through
// NSGetModule, starts it, opens a browser window with an HTTPS page of the local test service
// that shows a genuine site seal and a forged one, and moves the pointer over each. It prints
// what it saw and, at each picture, waits for the capture script (see gecko-demo.sh).
//
//   gecko_demo.exe <Kestrin.dll> <https port> <http port> <refused port> <handshake folder>
#include <windows.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "tools/geckohost/gecko_host.h"
#include "tools/sealpki/seal_pki.h"
#include "tools/testservice/test_env.h"

namespace {

using geckohost::CBrowserWindow;
using geckohost::CHostDocument;
using geckohost::CHostElement;
using kr::nsCOMPtr;

const char kLookupKey[] = "Software\\TorvanGroup\\Kestrin";
const RECT kFrame = {60, 60, 920, 680};
const RECT kGenuine = {380, 360, 468, 391};  // screen rectangles of the two seal images
const RECT kForged = {140, 360, 228, 391};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void Pump(DWORD ms) { KestrinTest::PumpFor(ms); }

void Picture(const std::string& folder, const char* name) {
  std::string ready = folder + "\\" + name + ".ready", done = folder + "\\" + name + ".done";
  // Made and closed at once: only its being there counts.
  KestrinWinNS::CScopedKernelHandle(CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (int i = 0; i < 300 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Pump(100);
}

bool Visible(const char* window_class) {
  for (HWND w = FindWindowA(window_class, nullptr); w; w = FindWindowExA(nullptr, w, window_class, nullptr))
    if (IsWindowVisible(w)) return true;
  return false;
}

// The page as the virtual screen shows it: its address, the two seals and the padlock.
std::string g_page_text;
WNDPROC g_frame_proc = nullptr;

void Box(HDC dc, HWND window, RECT screen, const char* label) {
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&screen), 2);
  FrameRect(dc, &screen, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  DrawTextA(dc, label, -1, &screen, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK FramePaint(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return CallWindowProcA(g_frame_proc, window, message, wparam, lparam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  RECT text = {20, 20, client.right - 20, 200};
  DrawTextA(dc, g_page_text.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK);
  Box(dc, window, kGenuine, "genuine seal");
  Box(dc, window, kForged, "forged seal");
  Box(dc, window, RECT{kFrame.right - 60, kFrame.bottom - 24, kFrame.right - 40, kFrame.bottom - 4}, "lock");
  EndPaint(window, &ps);
  return 0;
}

void ShowPage(HWND frame, const std::string& text) {
  g_page_text = text;
  if (!g_frame_proc)
    g_frame_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FramePaint)));
  InvalidateRect(frame, nullptr, TRUE);
  UpdateWindow(frame);
}

void SetLookupHost(const std::string& host) {
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kLookupKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) != 0)
    return;
  RegSetValueExA(key.Get(), "LookupHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.c_str()),
                 static_cast<DWORD>(host.size() + 1));
}

struct Page {
  nsCOMPtr<CHostDocument> document;
  CHostElement* genuine = nullptr;
  CHostElement* forged = nullptr;
};

Page BankPage(geckohost::CGeckoHost* host, const std::string& url, const std::string& http) {
  Page page;
  page.document = host->NewDocument(Wide(url));
  CHostElement* body = page.document->Add(L"BODY");
  page.genuine = page.document->Add(L"IMG", body)->Set(L"src", Wide(http + "/files/seal.gif"));
  page.genuine->box = new geckohost::CHostBox(kGenuine);
  page.forged = page.document->Add(L"IMG", body)->Set(L"src", Wide(http + "/files/seal-samesize.gif"));
  page.forged->box = new geckohost::CHostBox(kForged);
  return page;
}

std::vector<std::vector<BYTE>> ServerChain() {
  return {KestrinTest::PkiBytes("server-ov.der"), KestrinTest::PkiBytes("inter.der"),
          KestrinTest::PkiBytes("root.der")};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: gecko_demo <Kestrin.dll> <https port> <http port> <refused port> <handshake folder>\n");
    return 2;
  }
  std::string https = std::string("https://127.0.0.1:") + argv[2];
  std::string http = std::string("http://127.0.0.1:") + argv[3];
  std::string folder = argv[5];
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (!KestrinTest::InstallTestRoot() || !SealPki::InstallHierarchy()) printf("could not install the test roots\n");
  SetLookupHost(std::string("127.0.0.1:") + argv[3]);
  int failures = 0;
  {
    geckohost::CGeckoHost host;
    kr::nsresult loaded = host.Load(argv[1]);
    printf("component loaded through NSGetModule and registered: 0x%08lX, %u components\n",
           static_cast<unsigned long>(loaded), static_cast<unsigned>(host.components()->registered.size()));
    if (kr::NS_FAILED(loaded)) return 1;
    host.Start();
    CBrowserWindow* window = host.OpenWindow(kFrame);
    ShowWindow(window->hwnd, SW_SHOW);
    SetForegroundWindow(window->hwnd);

    std::string url = https + "/plain";
    Page page = BankPage(&host, url, http);
    printf("opening %s (a genuine seal and a forged one of the same size)\n", url.c_str());
    ShowPage(window->hwnd, url + "\n\nA page of the local test service with two seal images; the padlock is at the "
                                 "bottom right.");
    host.Navigate(window->tabs[0].get(), url, page.document.get(), ServerChain());
    host.FinishLoad(window->tabs[0].get());
    bool popup = false;
    for (int i = 0; i < 40 && !popup; ++i) {
      Pump(50);
      popup = Visible("DRAVIX_QUORVEL_WINDOW");
    }
    printf("verification popup at the padlock: %s\n", popup ? "shown" : "NOT shown (wrong)");
    failures += !popup;
    Pump(300);
    Picture(folder, "popup");
    Pump(3500);
    window->tabs[0]->window->Fire(L"DOMMouseScroll");
    Pump(2500);

    page.forged->Fire(L"mouseover");
    Pump(500);
    bool forged_border = Visible("DRAVIX_VERIFICATION_WINDOW");
    printf("pointer over the forged seal: validation border %s\n", forged_border ? "SHOWN (wrong)" : "not shown");
    failures += forged_border;
    page.forged->Fire(L"mouseout");

    page.genuine->Fire(L"mouseover");
    Pump(800);
    bool genuine_border = Visible("DRAVIX_VERIFICATION_WINDOW");
    printf("pointer over the genuine seal: validation border %s\n",
           genuine_border ? "shown with the seal's name" : "NOT shown (wrong)");
    failures += !genuine_border;
    Picture(folder, "border");
    page.genuine->Fire(L"mouseout");
    Pump(800);
    host.CloseWindow(window);
  }
  {
    KestrinWinNS::CScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kLookupKey, 0, KEY_SET_VALUE, key.Receive()) == 0)
      RegDeleteValueA(key.Get(), "LookupHost");
  }
  printf("%s\n", failures ? "demo: something was not as expected" : "demo: everything as expected");
  fflush(stdout);
  ExitProcess(failures ? 1 : 0);
}
