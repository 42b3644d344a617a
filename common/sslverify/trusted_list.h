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
#include "common/web/server_request.h"
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

  // Event 0: the update file is read and deciphered in the background; the list keeps serving
  // the logos it has until the new ones are complete, swaps to them under the write lock, and
  // then announces event 2 on the list's observer service on the thread that heard event 0
  // (it must pump messages), whether the rebuild succeeded or not. Where no background work
  // can be started, the rebuild runs at once on that thread. Other events are ignored.
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
  typedef std::shared_ptr<const std::vector<BYTE>> LogoBytes;
  typedef std::map<std::string, LogoBytes> Logos;

  // Reads the update file at `path` (empty: the default place) into `logos`. `walked` is the
  // document the list holds: the same one again gives *same = true and no logos.
  static bool ReadLogos(const std::string& path, const UpdateUtilsNS::UpdateDocument& walked, Logos* logos,
                        UpdateUtilsNS::UpdateDocument* read, bool* same);
  // With the write lock held: takes what ReadLogos gave.
  void TakeLogos(bool ok, bool same, Logos* logos, const UpdateUtilsNS::UpdateDocument& read);
  // Starts the background rebuild; false when it could not be started.
  bool RebuildInBackground();

  CSslVerifyTrustedList(const CSslVerifyTrustedList&) = delete;
  CSslVerifyTrustedList& operator=(const CSslVerifyTrustedList&) = delete;

  bool FindLogoBytes(const std::string& key, LogoBytes* bytes) const;

  std::map<std::string, std::string> organisations_;
  Logos logos_;
  ObserveNS::IObserverService* service_;
  UtilityClassesNS::CReadWriteLock lock_;
  std::string update_path_;  // empty: the default place
  UpdateUtilsNS::UpdateDocument walked_;  // the document the logos were last read from
  // The way back to the thread that heard event 0, made there with the first one.
  std::unique_ptr<WebUtilsNS::CServerRequest> return_;
  WebUtilsNS::CServerRequest::ThreadPoster poster_;
};

}  // namespace SslVerifyNS
