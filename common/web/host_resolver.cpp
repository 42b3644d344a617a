#include <winsock2.h>

#include "common/web/host_resolver.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "common/web/server_request.h"
#include "platform/win/module.h"
#include "platform/win/worker_thread.h"

namespace WebUtilsNS {

namespace {

// Winsock is loaded when a host is first looked up.
struct Winsock {
  decltype(&WSAStartup) startup = KestrinWinNS::SystemFunctionAs<decltype(&WSAStartup)>("ws2_32.dll", "WSAStartup");
  decltype(&WSACleanup) cleanup = KestrinWinNS::SystemFunctionAs<decltype(&WSACleanup)>("ws2_32.dll", "WSACleanup");
  decltype(&gethostbyname) lookup =
      KestrinWinNS::SystemFunctionAs<decltype(&gethostbyname)>("ws2_32.dll", "gethostbyname");
  bool ok() const { return startup && cleanup && lookup; }
};

const Winsock& Sockets() {
  static const Winsock sockets;
  return sockets;
}

// Answers of the process's look-ups, by host: kept a minute, at most kMaxKept of them.
const DWORD kKeepMs = 60000;
const size_t kMaxKept = 256;

struct HostAnswer {
  bool resolving = true;
  bool found = false;
  DWORD address = 0;
  DWORD at = 0;  // when it was answered
  std::vector<std::function<void(bool, DWORD)>> waiters;
};

struct HostAnswers {
  std::mutex lock;
  std::map<std::string, HostAnswer> hosts;
};

const std::shared_ptr<HostAnswers>& Answers() {
  static const std::shared_ptr<HostAnswers> answers = std::make_shared<HostAnswers>();
  return answers;
}

// With the lock held: drops answers that are old, and the oldest when too many are kept.
void ForgetOldAnswers(HostAnswers* answers, DWORD now) {
  for (auto it = answers->hosts.begin(); it != answers->hosts.end();) {
    if (!it->second.resolving && now - it->second.at >= kKeepMs) it = answers->hosts.erase(it);
    else ++it;
  }
  while (answers->hosts.size() > kMaxKept) {
    auto oldest = answers->hosts.end();
    for (auto it = answers->hosts.begin(); it != answers->hosts.end(); ++it)
      if (!it->second.resolving && (oldest == answers->hosts.end() || now - it->second.at > now - oldest->second.at))
        oldest = it;
    if (oldest == answers->hosts.end()) break;
    answers->hosts.erase(oldest);
  }
}

HostLookupFn g_lookup_for_test = nullptr;

// Runs `work` on a thread of its own, started from the request thread so that the caller's
// thread pays only the hand-over: a look-up that waits on a slow name server holds back no
// other host's. Where no thread can be started it runs on the background worker, and else on
// the request thread.
bool RunOnThreadOfItsOwn(std::function<void()> work) {
  return RequestThread().Post([work] {
    if (!KestrinWinNS::RunOnNewThread(work) && !KestrinWinNS::RunInBackground(work)) work();
  });
}

}  // namespace

void SetHostLookupForTest(HostLookupFn lookup) {
  std::lock_guard<std::mutex> hold(Answers()->lock);
  g_lookup_for_test = lookup;
  for (auto it = Answers()->hosts.begin(); it != Answers()->hosts.end();) {
    if (it->second.resolving) ++it;
    else it = Answers()->hosts.erase(it);
  }
}

bool ResolveHost(const std::string& host, std::function<void(bool found, DWORD address)> done) {
  if (host.empty() || !done) return false;
  std::shared_ptr<HostAnswers> answers = Answers();
  {
    std::unique_lock<std::mutex> hold(answers->lock);
    DWORD now = GetTickCount();
    auto it = answers->hosts.find(host);
    if (it != answers->hosts.end() && !it->second.resolving && now - it->second.at >= kKeepMs) {
      answers->hosts.erase(it);
      it = answers->hosts.end();
    }
    if (it != answers->hosts.end()) {
      if (it->second.resolving) {
        it->second.waiters.push_back(std::move(done));
        return true;
      }
      bool found = it->second.found;
      DWORD address = it->second.address;
      hold.unlock();
      done(found, address);
      return true;
    }
    ForgetOldAnswers(answers.get(), now);
    answers->hosts[host].waiters.push_back(std::move(done));
  }
  HostLookupFn lookup;
  {
    std::lock_guard<std::mutex> hold(answers->lock);
    lookup = g_lookup_for_test;
  }
  bool started = RunOnThreadOfItsOwn([answers, host, lookup] {
    DWORD address = 0;
    bool found;
    if (lookup) {
      found = lookup(host.c_str(), &address);
    } else {
      CIPHelper resolver;
      found = resolver.GetHostAddress(host.c_str(), &address);
    }
    std::vector<std::function<void(bool, DWORD)>> waiters;
    {
      std::lock_guard<std::mutex> hold(answers->lock);
      HostAnswer& answer = answers->hosts[host];
      answer.resolving = false;
      answer.found = found;
      answer.address = address;
      answer.at = GetTickCount();
      waiters.swap(answer.waiters);
    }
    for (auto& waiter : waiters) waiter(found, address);
  });
  if (!started) {
    std::lock_guard<std::mutex> hold(answers->lock);
    answers->hosts.erase(host);
  }
  return started;
}

CIPHelper::CIPHelper() {
  WSADATA data;
  started_ = Sockets().ok() && Sockets().startup(MAKEWORD(2, 2), &data) == 0;
}

CIPHelper::~CIPHelper() {
  if (started_) Sockets().cleanup();
}

bool CIPHelper::GetHostAddress(const char* host, DWORD* address) {
  if (!host || !*host || !address || !started_) return false;
  hostent* entry = Sockets().lookup(host);
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
      !entry->h_addr_list[0])
    return false;
  memcpy(address, entry->h_addr_list[0], 4);
  return true;
}

bool CIPHelper::GetUrlHostAddress(const char* url, DWORD* address) {
  if (!url_.Crack(url)) return false;
  int n = WideCharToMultiByte(CP_ACP, 0, url_.host.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return false;
  std::string host(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, url_.host.c_str(), -1, &host[0], n, nullptr, nullptr);
  host.resize(n - 1);
  return GetHostAddress(host.c_str(), address);
}

}  // namespace WebUtilsNS
