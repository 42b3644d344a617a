#include "common/nlrcert/chain_verdicts.h"

#include "common/nlrcert/nlr_certificate.h"

namespace CryptoNS {

namespace {

const char kSystemCertificates[] = "Software\\Microsoft\\SystemCertificates";

DWORD CheckThroughMachineStores(const BYTE* der, DWORD length) {
  CNlrCertificate certificate;
  if (!certificate.Load(der, length)) return kNlrIssuerMissing;
  return certificate.CheckRootChain();
}

}  // namespace

CChainVerdicts& CChainVerdicts::Process() {
  static CChainVerdicts verdicts(nullptr, HKEY_LOCAL_MACHINE, kSystemCertificates);
  return verdicts;
}

CChainVerdicts::CChainVerdicts(Compute compute, HKEY watched_root, const char* watched_path)
    : compute_(compute ? compute : Compute(&CheckThroughMachineStores)),
      watched_root_(watched_root),
      watched_path_(watched_path ? watched_path : "") {}

CChainVerdicts::~CChainVerdicts() = default;

void CChainVerdicts::Watch() {
  if (!watched_root_) return;
  if (!changed_) changed_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!watched_key_ &&
      RegOpenKeyExA(watched_root_, watched_path_.c_str(), 0, KEY_NOTIFY, watched_key_.Receive()) != ERROR_SUCCESS)
    watched_key_.Take();  // a failed open hands back no key
  if (!changed_ || !watched_key_) return;
  ResetEvent(changed_.Get());
  // Asynchronous: the event is set at the next change of any key or value below.
  if (RegNotifyChangeKeyValue(watched_key_.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                              changed_.Get(), TRUE) != ERROR_SUCCESS)
    watched_key_.Reset();
}

void CChainVerdicts::CheckWatch() {
  if (!watched_root_) return;
  if (!watched_key_) {
    // Not watched yet, or the tree did not exist: once it is watched, what was kept before
    // may be stale.
    Watch();
    if (watched_key_ && !verdicts_.empty()) {
      verdicts_.clear();
      ++generation_;
    }
    return;
  }
  if (WaitForSingleObject(changed_.Get(), 0) != WAIT_OBJECT_0) return;
  verdicts_.clear();
  ++generation_;
  Watch();
}

bool CChainVerdicts::Find(const BYTE* der, DWORD length, DWORD* bits, bool check_stores) {
  if (!der || !length) return false;
  std::lock_guard<std::mutex> hold(lock_);
  if (check_stores) CheckWatch();
  auto found = verdicts_.find(std::vector<BYTE>(der, der + length));
  if (found == verdicts_.end()) return false;
  if (bits) *bits = found->second;
  return true;
}

DWORD CChainVerdicts::Get(const BYTE* der, DWORD length) {
  if (!der || !length) return kNlrIssuerMissing;
  std::vector<BYTE> key(der, der + length);
  DWORD generation;
  {
    std::lock_guard<std::mutex> hold(lock_);
    CheckWatch();
    auto found = verdicts_.find(key);
    if (found != verdicts_.end()) return found->second;
    generation = generation_;
  }
  InterlockedIncrement(&computations_);
  DWORD bits = compute_(der, length);
  std::lock_guard<std::mutex> hold(lock_);
  // A change of the stores meanwhile makes this verdict stale: it is not kept.
  if (generation == generation_) {
    if (verdicts_.size() >= kMaxVerdicts) verdicts_.clear();
    verdicts_[key] = bits;
  }
  return bits;
}

void CChainVerdicts::CheckStores() {
  std::lock_guard<std::mutex> hold(lock_);
  CheckWatch();
}

void CChainVerdicts::Invalidate() {
  std::lock_guard<std::mutex> hold(lock_);
  verdicts_.clear();
  ++generation_;
}

}  // namespace CryptoNS
