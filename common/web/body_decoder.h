// Decodes the gzip and deflate bodies of HTTP responses, within a limit on the plain size. One
// decoder keeps its inflate state between bodies; it is used on one thread at a time.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

struct z_stream_s;

namespace WebUtilsNS {

class CBodyDecoder {
 public:
  CBodyDecoder();
  ~CBodyDecoder();
  CBodyDecoder(const CBodyDecoder&) = delete;
  CBodyDecoder& operator=(const CBodyDecoder&) = delete;

  // Decodes a complete gzip member (RFC 1952) into `out`, refusing more than `limit` bytes.
  // Result: 0 done, ERROR_INVALID_DATA bad data, ERROR_FILE_TOO_LARGE over the limit (then
  // *produced holds the bytes reached when it stopped), ERROR_NOT_ENOUGH_MEMORY.
  DWORD DecodeGzip(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out, DWORD* produced);
  // The same for a deflate body: zlib-wrapped (RFC 1950) or raw (RFC 1951).
  DWORD DecodeDeflate(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out, DWORD* produced);

 private:
  DWORD Inflate(const BYTE* data, size_t size, int window_bits, DWORD limit, std::vector<BYTE>* out,
                DWORD* produced, size_t* consumed);

  struct ZStreamDeleter {
    void operator()(z_stream_s* stream) const;
  };
  std::unique_ptr<z_stream_s, ZStreamDeleter> zstream_;
};

}  // namespace WebUtilsNS
