#include "setup/certificates.h"

namespace SetupFrameworkNS {

bool RegisterOidNames() { return false; }
bool InstallCertificateResource(HMODULE, const wchar_t*, const wchar_t*, CertificateKind) { return false; }
bool InstallCertificateResources(HMODULE, const wchar_t*, CertificateKind) { return false; }
bool AddCertificateToStore(bool, const wchar_t*, const BYTE*, DWORD) { return false; }
const EvRootTable& GetEvRootTable() {
  static EvRootTable table;
  return table;
}
void BuildEvRootTable(EvRootTable*) {}
bool MarkAsEvRoot(const EvRootTable&, PCCERT_CONTEXT) { return false; }

}  // namespace SetupFrameworkNS
