// Host names to IPv4 addresses: the Winsock look-up, and the process's look-up off the calling
// thread with its answers kept a while.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/web/url_helpers.h"

namespace WebUtilsNS {

// Host-name look-up (IPv4) through Winsock.
class CIPHelper {
 public:
  CIPHelper();
  virtual ~CIPHelper();

  // The first IPv4 address of `host`, in network byte order.
  bool GetHostAddress(const char* host, DWORD* address);
  // The same for the host of an http or https URL.
  bool GetUrlHostAddress(const char* url, DWORD* address);

 private:
  CIPHelper(const CIPHelper&) = delete;
  CIPHelper& operator=(const CIPHelper&) = delete;

  CCrackedUrl url_;
  bool started_ = false;
};

// Looks up the IPv4 address of `host` (network byte order) off the calling thread, each host on
// its own thread so that a slow name server for one host holds back no other host's work. An
// answer is kept for a minute: a host asked again meanwhile is answered from it, and a host
// whose look-up is under way gets the same answer. `done` runs on the resolving thread (or at
// once on the caller's, with a kept answer); false when the look-up could not be started
// (`done` then never runs).
bool ResolveHost(const std::string& host, std::function<void(bool found, DWORD address)> done);
// Tests: replaces the look-up ResolveHost runs (null: Winsock's) and forgets the kept answers.
typedef bool (*HostLookupFn)(const char* host, DWORD* address);
void SetHostLookupForTest(HostLookupFn lookup);

}  // namespace WebUtilsNS
