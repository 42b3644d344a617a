// The verdicts of the maker's root check (CNlrCertificate::CheckRootChain), kept per
// certificate: a verdict depends only on the certificate and the machine's trusted stores, so
// it is computed once, off the browser's thread, and asked again only when the stores or the
// update file change.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win/scoped_handle.h"

namespace CryptoNS {

class CChainVerdicts {
 public:
  // Computes one verdict (bits of NlrVerifyBits) from a certificate's DER bytes.
  typedef std::function<DWORD(const BYTE* der, DWORD length)> Compute;

  // The process's verdicts: CheckRootChain through the machine's stores, forgotten whenever a
  // key below HKEY_LOCAL_MACHINE\Software\Microsoft\SystemCertificates changes.
  static CChainVerdicts& Process();

  // `compute` null: CheckRootChain through the machine's stores. `watched_root` and
  // `watched_path` name the registry tree whose changes make every verdict stale (none when
  // `watched_root` is null).
  CChainVerdicts(Compute compute, HKEY watched_root, const char* watched_path);
  ~CChainVerdicts();

  // The verdict when it is known for the stores as they are now; never computes (for the
  // browser's thread).
  // `check_stores` false: the caller asked CheckStores for this run of look-ups already.
  bool Find(const BYTE* der, DWORD length, DWORD* bits, bool check_stores = true);
  // Forgets the verdicts when the stores changed since they were last checked: one check for
  // a run of Find calls made at one moment (each check is a call to the system).
  void CheckStores();
  // The verdict, computed here when it is not known (for a background thread).
  DWORD Get(const BYTE* der, DWORD length);
  // Forgets every verdict: the stores or the update file changed.
  void Invalidate();

  // How many verdicts were computed so far.
  LONG computations() const { return computations_; }

 private:
  CChainVerdicts(const CChainVerdicts&) = delete;
  CChainVerdicts& operator=(const CChainVerdicts&) = delete;

  // With the lock held: forgets the verdicts when the watched tree changed, and watches again.
  void CheckWatch();
  void Watch();

  // More certificates than any set of seal hosts a browser meets: past it, all are forgotten.
  static const size_t kMaxVerdicts = 512;

  Compute compute_;
  std::mutex lock_;
  std::map<std::vector<BYTE>, DWORD> verdicts_;
  DWORD generation_ = 0;
  volatile LONG computations_ = 0;
  HKEY watched_root_;
  std::string watched_path_;
  KestrinWinNS::CScopedRegKey watched_key_;
  KestrinWinNS::CScopedKernelHandle changed_;
};

}  // namespace CryptoNS
