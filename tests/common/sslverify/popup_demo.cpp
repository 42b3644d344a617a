// Shows the verification popups over a stand-in browser frame for a person to look at (the
// screenshot script runs it under a virtual display).
//   popup_demo.exe <test-data-folder> [seconds]
// The folder is the one tools/updatefile/make-test-data.sh fills: certificates and good.dat.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/crypto/cert_helpers.h"
#include "common/observe/observer_service.h"
#include "common/sslverify/ssl_verify_popup.h"
#include "common/sslverify/trusted_list.h"
#include "common/windowing/validation_border.h"
#include "platform/win/gdi.h"

namespace {

std::string g_folder;

PCCERT_CONTEXT AddCertificate(HCERTSTORE store, const char* name) {
  std::ifstream in((g_folder + "\\" + name + ".cer").c_str(), std::ios::binary);
  std::vector<BYTE> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  PCCERT_CONTEXT context = nullptr;
  if (!der.empty())
    CertAddEncodedCertificateToStore(store, CryptoNS::kCertEncoding, der.data(), static_cast<DWORD>(der.size()),
                                     CERT_STORE_ADD_ALWAYS, &context);
  return context;
}

// The popups of this demo keep to the stand-in frame's trusted list.
template <class Leaf>
class CDemoPopup : public Leaf {
 public:
  CDemoPopup(SslVerifyNS::CSslVerifyTrustedList* list, WindowingNS::CValidationBorder* border, HWND frame)
      : Leaf(border, frame) {
    this->SetTrustedList(list);
  }
  void OpenPage(SHELLEXECUTEINFOA*) override {}
};

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT bar = {0, 0, client.right, 44};
    KestrinWinNS::CScopedBrush toolbar(CreateSolidBrush(RGB(222, 228, 236)));
    FillRect(dc, &bar, toolbar.Get());
    RECT address = {12, 10, client.right - 12, 34};
    FillRect(dc, &address, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    RECT text = address;
    text.left += 8;
    DrawTextA(dc, "https://bank.example.test/", -1, &text, DT_SINGLELINE | DT_VCENTER);
    RECT status = {0, client.bottom - 22, client.right, client.bottom};
    FillRect(dc, &status, toolbar.Get());
    toolbar.Reset();
    RECT page = {0, 44, client.right, client.bottom - 22};
    text = page;
    text.top += 20;
    DrawTextA(dc, "A page of the site", -1, &text, DT_CENTER | DT_SINGLELINE);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: popup_demo <test-data-folder> [seconds]\n");
    return 2;
  }
  g_folder = argv[1];
  const DWORD seconds = argc > 2 ? static_cast<DWORD>(atoi(argv[2])) : 8;

  WNDCLASSA wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "KestrinDemoFrame";
  RegisterClassA(&wc);
  HWND frame = CreateWindowExA(0, "KestrinDemoFrame", "Stand-in browser frame", WS_OVERLAPPEDWINDOW, 40, 40, 940, 660,
                               nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(frame, SW_SHOW);
  UpdateWindow(frame);
  SetForegroundWindow(frame);

  ObserveNS::CObserverService service;
  SslVerifyNS::CSslVerifyTrustedList list(&service, (g_folder + "\\good.dat").c_str());
  WindowingNS::CValidationBorder border(&service);
  border.SetBrowserWindow(frame);

  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
  const char* names[] = {"root-nowhere", "leaf-nowhere", "root-torvan", "leaf-torvan", "root-plain", "leaf-wildcard"};
  PCCERT_CONTEXT certs[6] = {};
  for (int i = 0; i < 6; ++i) certs[i] = AddCertificate(store, names[i]);

  RECT f;
  GetWindowRect(frame, &f);
  // Version 5/6 popup on the status bar; version 7/8 popups below the address bar.
  auto* ie6 = new CDemoPopup<SslVerifyNS::CSslVerifyPopupIE5_6>(&list, &border, frame);
  ie6->SetCertificate(certs[3], 1);
  POINT a6 = {f.right - 30, f.bottom - 30};
  ie6->SetAnchorPoint(&a6);
  auto* ie7 = new CDemoPopup<SslVerifyNS::CSslVerifyPopupIE7>(&list, &border, frame);
  ie7->SetCertificate(certs[1], 1);
  POINT a7 = {f.left + 300, f.top + 70};
  ie7->SetAnchorPoint(&a7);
  auto* wild = new CDemoPopup<SslVerifyNS::CSslVerifyPopupIE7>(&list, &border, frame);
  wild->SetCertificate(certs[5], 1);
  POINT aw = {f.left + 520, f.top + 70};
  wild->SetAnchorPoint(&aw);
  auto* low = new CDemoPopup<SslVerifyNS::CSslVerifyPopupIE7>(&list, &border, frame);
  low->SetCertificate(nullptr, 0);
  POINT al = {f.left + 740, f.top + 70};
  low->SetAnchorPoint(&al);
  for (SslVerifyNS::CSslVerifyPopup* p : {static_cast<SslVerifyNS::CSslVerifyPopup*>(ie6),
                                          static_cast<SslVerifyNS::CSslVerifyPopup*>(ie7),
                                          static_cast<SslVerifyNS::CSslVerifyPopup*>(wild),
                                          static_cast<SslVerifyNS::CSslVerifyPopup*>(low)}) {
    p->Show(false);
    // The pointer rests on the version 5/6 popup: the border is around the screen.
    if (p == ie6) SendMessageA(p->GetHwnd(), WM_MOUSEHOVER, 0, 0);
  }

  const DWORD start = GetTickCount();
  while (GetTickCount() - start < seconds * 1000) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  delete low;
  delete wild;
  delete ie7;
  delete ie6;
  for (PCCERT_CONTEXT c : certs)
    if (c) CertFreeCertificateContext(c);
  CertCloseStore(store, 0);
  border.Close();
  DestroyWindow(frame);
  return 0;
}
