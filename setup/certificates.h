// The maker's certificates in the machine's stores, the display names of the maker's private
// OIDs, and the table of known EV roots with the marking that makes a root an EV root.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace SetupFrameworkNS {

enum class CertificateKind { kRoot = 1, kIntermediate = 2, kEvRoot = 3 };

// Thumbprint (40 lower-case hex characters) -> (EV policy OID, authority name).
using EvRootTable = std::map<std::string, std::pair<std::string, std::wstring>>;

// Registers the four OID display names; true when every attempted registration succeeded.
bool RegisterOidNames();

// One certificate resource of `module` into its store; false stops the enumeration.
bool InstallCertificateResource(HMODULE module, const wchar_t* type, const wchar_t* name,
                                CertificateKind kind);
// Every resource of `type` in `module` with InstallCertificateResource; false when a resource
// failed or there was none.
bool InstallCertificateResources(HMODULE module, const wchar_t* type, CertificateKind kind);

// Adds a DER certificate to a LocalMachine system store ("Root", "CA"); with `ev` the added
// certificate is then marked as an EV root.
bool AddCertificateToStore(bool ev, const wchar_t* store_name, const BYTE* der, DWORD length);

// The process-wide EV root table, built on first use.
const EvRootTable& GetEvRootTable();
void BuildEvRootTable(EvRootTable* table);
// The DER certificate policies value that marks an EV root: one policy with the EV policy OID
// and the root program flags qualifier (a bit string of the byte C0).
bool EncodeEvPolicies(const std::string& policy_oid, std::vector<BYTE>* out);
// Sets the friendly name and root-program policies of a certificate whose thumbprint is a key
// of the table; false (and nothing set) otherwise.
bool MarkAsEvRoot(const EvRootTable& table, PCCERT_CONTEXT certificate);

}  // namespace SetupFrameworkNS
