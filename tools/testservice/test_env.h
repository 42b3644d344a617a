// What a test program needs to use the local test service and the test PKI (header only).
// The program's CMakeLists calls kestrin_use_test_env(<target> [SERVICE <fixture>]) from
// tools/testservice/testservice.cmake, which defines KESTRIN_TEST_PKI_DIR and
// KESTRIN_TEST_SERVICE_STATE (Unix paths of the build machine; Wine sees them under Z:).
// InstallTestRoot needs crypt32.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace KestrinTest {

// "/a/b" -> "Z:\a\b" (Wine maps the Unix root to drive Z:).
inline std::string WinePath(const std::string& unix_path) {
  std::string out = unix_path;
  for (char& c : out)
    if (c == '/') c = '\\';
  if (!out.empty() && out[0] == '\\') out = "Z:" + out;
  return out;
}

inline bool ReadFileBytes(const std::string& path, std::vector<BYTE>* out) {
  out->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  BYTE buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) out->insert(out->end(), buffer, buffer + n);
  std::fclose(f);
  return true;
}

#ifdef KESTRIN_TEST_PKI_DIR
// A file made by tools/pki/make-pki.sh, as a Windows path.
inline std::string PkiFile(const char* name) {
  return WinePath(std::string(KESTRIN_TEST_PKI_DIR) + "/" + name);
}

inline std::vector<BYTE> PkiBytes(const char* name) {
  std::vector<BYTE> bytes;
  ReadFileBytes(PkiFile(name), &bytes);
  return bytes;
}

// Puts a DER certificate of the PKI folder into a system store of the local machine.
inline bool AddPkiCertificateToMachineStore(const char* der_name, const char* store_name) {
  std::vector<BYTE> der = PkiBytes(der_name);
  if (der.empty()) return false;
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                   CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG, store_name);
  if (!store)
    store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, store_name);
  if (!store) return false;
  BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                             CERT_STORE_ADD_USE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  return ok != FALSE;
}

// The test root in the prefix's LocalMachine "Root" store (and the intermediate in "CA"), so
// that WinHTTP and chain building trust the test servers.
inline bool InstallTestRoot() {
  return AddPkiCertificateToMachineStore("root.der", "Root") && AddPkiCertificateToMachineStore("inter.der", "CA");
}
#endif

#ifdef KESTRIN_TEST_SERVICE_STATE
// The port of a listener of the service: "http", "https", "https_dv", "https_other",
// "https_expired", "https_untrusted", or "refused" (nothing listens there). 0 when unknown.
inline int ServicePort(const char* listener) {
  FILE* f = std::fopen(WinePath(std::string(KESTRIN_TEST_SERVICE_STATE) + "/ports.txt").c_str(), "r");
  if (!f) return 0;
  char line[256];
  int port = 0;
  size_t n = std::strlen(listener);
  while (std::fgets(line, sizeof(line), f)) {
    if (std::strncmp(line, listener, n) == 0 && line[n] == '=') {
      port = std::atoi(line + n + 1);
      break;
    }
  }
  std::fclose(f);
  return port;
}

// "http://127.0.0.1:<port><path>" (https:// for the https listeners).
inline std::string ServiceUrl(const char* listener, const char* path) {
  const char* scheme = std::strncmp(listener, "https", 5) == 0 ? "https" : "http";
  return std::string(scheme) + "://127.0.0.1:" + std::to_string(ServicePort(listener)) + path;
}
#endif

// Pumps this thread's messages until done() or the time-out; true when done() became true.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}

// Pumps messages for `ms` milliseconds (to see that nothing more arrives).
inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace KestrinTest
