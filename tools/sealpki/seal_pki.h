// What test programs need of the site-seal hierarchy made by make_seal_pki.py (header only).
// The program links kestrin_sealpki_files (KESTRIN_SEALPKI_DIR) and depends on target sealpki;
// installing the hierarchy needs crypt32.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "tools/testservice/test_env.h"

namespace SealPki {

// A file of the hierarchy's folder, as a Windows path.
inline std::string File(const char* name) {
  return KestrinTest::WinePath(std::string(KESTRIN_SEALPKI_DIR) + "/" + name);
}

inline std::vector<BYTE> Bytes(const char* name) {
  std::vector<BYTE> bytes;
  KestrinTest::ReadFileBytes(File(name), &bytes);
  return bytes;
}

inline bool AddToMachineStore(const char* der_name, const char* store_name) {
  std::vector<BYTE> der = Bytes(der_name);
  if (der.empty()) return false;
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE,
                                   store_name);
  if (!store) return false;
  BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                             static_cast<DWORD>(der.size()),
                                             CERT_STORE_ADD_USE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  return ok != FALSE;
}

// The maker's roots and the foreign root go into the machine's "Root" store, the
// intermediates and root-caonly into its "CA" store (as setup installs them). A certificate
// already there stays (test programs running side by side never see it removed); the keys
// are fixed, so that of an earlier run serves as well.
inline bool InstallHierarchy() {
  static const char* const kRoots[] = {"root-class1.cer", "root-class3.cer", "root-nelrow.cer",
                                       "root-foreign.cer"};
  static const char* const kCa[] = {"root-caonly.cer", "ca-class1.cer", "ca-class3.cer",
                                    "ca-nelrow.cer", "ca-foreign.cer", "ca-caonly.cer"};
  for (const char* name : kRoots)
    if (!AddToMachineStore(name, "Root")) return false;
  for (const char* name : kCa)
    if (!AddToMachineStore(name, "CA")) return false;
  return true;
}

}  // namespace SealPki
