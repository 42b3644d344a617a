#include <winsock2.h>

#include "common/web/server_request.h"

namespace WebUtilsNS {

CIPHelper::CIPHelper() {
  WSADATA data;
  started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CIPHelper::~CIPHelper() {
  if (started_) WSACleanup();
}

bool CIPHelper::GetHostAddress(const char* host, DWORD* address) {
  if (!host || !*host || !address || !started_) return false;
  hostent* entry = gethostbyname(host);
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
