// A small HTTP service on 127.0.0.1 for the benchmarks: answers the site-seal lookup with the
// seal site's record set for its hosts (bank.example and every host below it) and with an
// empty record list for any other host, and serves one seal image under any name below /seal/.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"

namespace bench {

class CBenchServer {
 public:
  CBenchServer() = default;
  ~CBenchServer();

  // Listens on a free port; false when that fails.
  bool Start(const std::vector<BYTE>& seal_image);
  // The seal site's records, as the lookup service sends them (DER certificates in order).
  void SetSealRecords(const std::vector<std::vector<BYTE>>& records);
  int lookups() const { return lookups_; }
  int port() const { return port_; }
  // "127.0.0.1:<port>"
  std::string Host() const;
  int requests() const { return requests_; }

 private:
  CBenchServer(const CBenchServer&) = delete;
  CBenchServer& operator=(const CBenchServer&) = delete;

  static DWORD WINAPI Main(void* self);
  void Serve(UINT_PTR connection);

  UINT_PTR listener_ = ~static_cast<UINT_PTR>(0);
  KestrinWinNS::CScopedKernelHandle thread_;
  int port_ = 0;
  std::vector<BYTE> seal_;
  std::string seal_reply_;
  std::atomic<int> requests_{0};
  std::atomic<int> lookups_{0};
  std::atomic<bool> stop_{false};
};

}  // namespace bench
