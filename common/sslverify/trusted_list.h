// The trusted issuer list: which logo the verification popup shows for the authority that
// issued a site's certificate. Logos come from the update file, keyed by root-certificate
// thumbprints or authority identifiers; a built-in table maps authorities' organisation names
// to those identifiers. One list per process, rebuilt on event 0, announcing event 2.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/observe/observer_service.h"
#include "common/update/update_file.h"
#include "common/utility/rwlock.h"

namespace SslVerifyNS {

// One row of the built-in table: an organisation name as authorities write it in their
// certificates, and the authority's identifier (as written; lower-cased when used as a key).
struct TrustedOrganisation {
  const char* organisation;
  const char* identifier;
};
extern const TrustedOrganisation kTrustedOrganisations[];
extern const size_t kTrustedOrganisationCount;  // 51

class CSslVerifyTrustedList : public ObserveNS::IObserver {
 public:
  // The process's list, built on first use (reading the update file at the default place).
  static CSslVerifyTrustedList* GetInstance();

  // A list of its own, for tests: registers with `service` for event 0, announces event 2
  // there, and reads the update file at `update_path` (null: the default place).
  CSslVerifyTrustedList(ObserveNS::IObserverService* service, const char* update_path);
  virtual ~CSslVerifyTrustedList();

  // Event 0: rebuild under the write lock, then event 2 on the list's observer service,
  // whether the rebuild succeeded or not. Other events are ignored.
  void Notify(DWORD event) override;

  // The logo for a root thumbprint (lower-case hexadecimal) or an organisation name.
  // The key is looked up unchanged among the update file's keys, then in the built-in table.
  // Each call hands out a stream of its own (one reference, positioned at the start), so
  // popups on several threads never share a read position. False for a null key or out.
  bool FindLogo(const char* key, IStream** logo);

  // Reads the update file and refills the logo keys. A file that cannot be read, deciphered
  // or verified leaves the list as it was. The caller holds the write lock or is the
  // constructor.
  bool Rebuild();

 private:
  CSslVerifyTrustedList(const CSslVerifyTrustedList&) = delete;
  CSslVerifyTrustedList& operator=(const CSslVerifyTrustedList&) = delete;

  typedef std::shared_ptr<const std::vector<BYTE>> LogoBytes;

  bool FindLogoBytes(const std::string& key, LogoBytes* bytes) const;

  std::map<std::string, std::string> organisations_;
  std::map<std::string, LogoBytes> logos_;
  ObserveNS::IObserverService* service_;
  UtilityClassesNS::CReadWriteLock lock_;
  std::string update_path_;  // empty: the default place
  UpdateUtilsNS::UpdateDocument walked_;  // the document the logos were last read from
};

}  // namespace SslVerifyNS
