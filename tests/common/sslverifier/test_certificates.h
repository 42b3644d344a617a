// Certificates of the test PKI for the verifier's tests, loaded once; the test root is
// installed into the prefix's machine stores on first use.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <map>
#include <string>
#include <vector>

#include "tools/testservice/test_env.h"

class TestCertificates {
 public:
  static TestCertificates& Get() {
    static TestCertificates certificates;
    return certificates;
  }
  // A DER file of the PKI folder, or of the subject variants when `subject` is set.
  PCCERT_CONTEXT Load(const char* name, bool subject = false) {
    std::string key = std::string(subject ? "subject/" : "") + name;
    auto found = loaded_.find(key);
    if (found != loaded_.end()) return found->second;
    std::vector<BYTE> der;
    if (subject)
      KestrinTest::ReadFileBytes(KestrinTest::WinePath(std::string(KESTRIN_SUBJECT_CERTS_DIR) + "/" + name), &der);
    else
      der = KestrinTest::PkiBytes(name);
    PCCERT_CONTEXT context =
        der.empty() ? nullptr
                    : CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    loaded_[key] = context;
    return context;
  }
  PCCERT_CONTEXT Organisation() { return Load("server-ov.der"); }
  bool root_installed() const { return root_installed_; }

 private:
  TestCertificates() { root_installed_ = KestrinTest::InstallTestRoot(); }
  ~TestCertificates() {
    for (auto& entry : loaded_)
      if (entry.second) CertFreeCertificateContext(entry.second);
  }
  std::map<std::string, PCCERT_CONTEXT> loaded_;
  bool root_installed_ = false;
};
