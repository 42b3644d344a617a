// The SSL verifier on a real screen, for `make demo`: for each https address it opens a browser
// frame as Internet Explorer 6 builds it, lets the verifier collect and classify the server's
// certificate, prints the class, then points at the padlock so that the popup and the border
// show, and waits for the capture script to take the picture (a file handshake).
//
//   ssl_demo.exe <handshake folder> [--install-root <root.der>] <name>=<https url>...
// --install-root puts the test root into the machine's "Root" store first.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <memory>
#include <string>

#include "common/observe/observer_service.h"
#include "common/sslverifier/ssl_verify.h"
#include "common/sslverifier/ssl_verify_state.h"
#include "common/windowing/validation_border.h"
#include "platform/win/scoped_handle.h"
#include "tools/standin/standin_frame.h"

using namespace SslVerifyNS;

namespace {

void Pump(DWORD ms) { standin::PumpMessagesFor(ms); }

void Picture(const std::string& folder, const std::string& name) {
  std::string ready = folder + "\\" + name + ".ready", done = folder + "\\" + name + ".done";
  // Made and closed at once: only its being there counts.
  KestrinWinNS::CScopedKernelHandle(CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (int i = 0; i < 300 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Pump(100);
}

bool InstallRoot(const char* path) {
  KestrinWinNS::CScopedKernelHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  BYTE der[8192];
  DWORD size = 0;
  BOOL read = ReadFile(file.Get(), der, sizeof(der), &size, nullptr);
  file.Reset();
  if (!read || size == 0) return false;
  KestrinWinNS::CScopedCertStore store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root"));
  if (!store) return false;
  BOOL added = CertAddEncodedCertificateToStore(store.Get(), X509_ASN_ENCODING, der, size, CERT_STORE_ADD_USE_EXISTING,
                                                nullptr);
  return added != FALSE;
}

HWND MakeFrame(const std::string& url) {
  std::string title = url + " - Microsoft Internet Explorer";
  HWND frame = standin::CreateFrameWindow("IEFrame", title.c_str(), RECT{60, 40, 960, 680}, WS_VISIBLE);
  SetForegroundWindow(frame);
  return frame;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: ssl_demo <handshake folder> <name>=<https url>...\n");
    return 2;
  }
  std::string folder = argv[1];
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int failures = 0;
  for (int i = 2; i < argc; ++i) {
    if (strcmp(argv[i], "--install-root") == 0 && i + 1 < argc) {
      if (!InstallRoot(argv[++i])) fprintf(stderr, "could not install the test root\n");
      continue;
    }
    const char* eq = strchr(argv[i], '=');
    if (!eq) continue;
    std::string name(argv[i], eq - argv[i]), url(eq + 1);
    HWND frame = MakeFrame(url);
    std::unique_ptr<CSslVerifyBase> verifier(new CSslVerifyIE(ObserveNS::CObserverService::GetInstance()));
    verifier->SetBrowserWindow(frame);
    verifier->CreatePopup();
    verifier->SetPageUrl(url.c_str());
    verifier->OnNavigateComplete();
    for (int t = 0; t < 300 && verifier->GetState() == CSslVerifyStateProcessing::Instance(); ++t) Pump(100);
    bool collected = verifier->GetState() != CSslVerifyStateProcessing::Instance();
    printf("%s: %s\n", name.c_str(), url.c_str());
    if (!collected) {
      printf("  no answer from the server\n");
      ++failures;
    } else {
      printf("  certificate class %d: %s\n", verifier->GetCertClass(),
             verifier->GetCertClass() == kCertVerified ? "organisation-validated and valid for this host"
                                                       : "low assurance");
    }
    RECT r;
    GetWindowRect(frame, &r);
    POINT padlock = {r.right - 40, r.top + 60};
    verifier->OnHover(&padlock);
    Pump(1500);
    HWND border = FindWindowA("DRAVIX_VERIFICATION_WINDOW", nullptr);
    printf("  popup shown, border %s\n", border && IsWindowVisible(border) ? "shown" : "not shown");
    fflush(stdout);
    Picture(folder, name);
    verifier->OnLeave(false);
    Pump(300);
    verifier.reset();
    DestroyWindow(frame);
  }
  WindowingNS::CValidationBorder::Shutdown();
  CoUninitialize();
  return failures == 0 ? 0 : 1;
}
