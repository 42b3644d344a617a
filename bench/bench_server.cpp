#include <winsock2.h>

#include "bench/bench_server.h"

namespace bench {

namespace {

const char kLookupReply[] = "<!--AUTOINFO\nnum=0\n-->\n";

void SendAll(SOCKET s, const char* data, size_t size) {
  while (size > 0) {
    int sent = send(s, data, static_cast<int>(size), 0);
    if (sent <= 0) return;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
}

}  // namespace

CBenchServer::~CBenchServer() {
  stop_ = true;
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  if (thread_) {
    WaitForSingleObject(thread_.Get(), 5000);
  }
  WSACleanup();
}

void CBenchServer::SetSealRecords(const std::vector<std::vector<BYTE>>& records) {
  std::string header = "<!--AUTOINFO\nnum=" + std::to_string(records.size()) + "\n";
  std::string bytes;
  for (const auto& record : records) {
    header += "size=" + std::to_string(record.size()) + "\n";
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  seal_reply_ = header + "-->\n" + bytes;
}

std::string CBenchServer::Host() const { return "127.0.0.1:" + std::to_string(port_); }

bool CBenchServer::Start(const std::vector<BYTE>& seal_image) {
  seal_ = seal_image;
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  listener_ = s;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof(address);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(s, 64) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return false;
  }
  port_ = ntohs(address.sin_port);
  thread_.Reset(CreateThread(nullptr, 0, &CBenchServer::Main, this, 0, nullptr));
  return thread_.IsValid();
}

DWORD WINAPI CBenchServer::Main(void* param) {
  CBenchServer* self = static_cast<CBenchServer*>(param);
  while (!self->stop_) {
    SOCKET connection = accept(self->listener_, nullptr, nullptr);
    if (connection == INVALID_SOCKET) break;
    self->Serve(connection);
    closesocket(connection);
  }
  return 0;
}

void CBenchServer::Serve(UINT_PTR connection) {
  std::string request;
  char buffer[2048];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    int got = recv(connection, buffer, sizeof(buffer), 0);
    if (got <= 0) return;
    request.append(buffer, got);
  }
  ++requests_;
  size_t path_start = request.find(' ');
  size_t path_end = path_start == std::string::npos ? std::string::npos : request.find(' ', path_start + 1);
  std::string path = path_end == std::string::npos ? std::string() : request.substr(path_start + 1, path_end - path_start - 1);
  const char* body = nullptr;
  size_t body_size = 0;
  const char* type = "text/html";
  if (path.compare(0, 6, "/seal/") == 0) {
    body = reinterpret_cast<const char*>(seal_.data());
    body_size = seal_.size();
    type = "image/gif";
  } else if (path.compare(0, 14, "/nlr_searcher/") == 0) {
    ++lookups_;
    // v_search=<host>: the seal site is bank.example and the hosts below it.
    size_t at = path.find("v_search=");
    std::string host = at == std::string::npos ? std::string() : path.substr(at + 9, path.find('&', at) - at - 9);
    const std::string site = "bank.example";
    bool seal_site = !seal_reply_.empty() &&
                     (host == site || (host.size() > site.size() && host.compare(host.size() - site.size() - 1,
                                                                               site.size() + 1, "." + site) == 0));
    if (seal_site) {
      body = seal_reply_.data();
      body_size = seal_reply_.size();
    } else {
      body = kLookupReply;
      body_size = sizeof(kLookupReply) - 1;
    }
  }
  std::string head = body ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
  head += "Content-Type: " + std::string(type) + "\r\nContent-Length: " + std::to_string(body_size) +
          "\r\nConnection: close\r\n\r\n";
  SendAll(connection, head.data(), head.size());
  if (body_size) SendAll(connection, body, body_size);
  shutdown(connection, SD_SEND);
}

}  // namespace bench
