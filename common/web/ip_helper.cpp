#include <winsock2.h>

#include "common/web/server_request.h"
#include "platform/win/module.h"

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

}  // namespace

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
