#include "common/web/body_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace WebUtilsNS {

void CBodyDecoder::ZStreamDeleter::operator()(z_stream_s* stream) const {
  delete stream;
}

CBodyDecoder::CBodyDecoder() = default;

CBodyDecoder::~CBodyDecoder() = default;

DWORD CBodyDecoder::Inflate(const BYTE* data, size_t size, int window_bits, DWORD limit,
                              std::vector<BYTE>* out, DWORD* produced, size_t* consumed) {
  out->clear();
  *produced = 0;
  if (!zstream_) {
    zstream_.reset(new (std::nothrow) z_stream_s());
    if (!zstream_) return ERROR_NOT_ENOUGH_MEMORY;
  }
  z_stream* zs = zstream_.get();
  std::memset(zs, 0, sizeof(*zs));
  if (inflateInit2(zs, window_bits) != Z_OK) return ERROR_NOT_ENOUGH_MEMORY;
  zs->next_in = const_cast<Bytef*>(data);
  zs->avail_in = static_cast<uInt>(size);

  DWORD error = 0;
  BYTE chunk[16384];
  for (;;) {
    zs->next_out = chunk;
    zs->avail_out = sizeof(chunk);
    int rc = inflate(zs, Z_NO_FLUSH);
    size_t got = sizeof(chunk) - zs->avail_out;
    if (got) {
      if (out->size() + got > limit) {
        *produced = static_cast<DWORD>(std::min<size_t>(out->size() + got, 0xFFFFFFFFu));
        error = ERROR_FILE_TOO_LARGE;
        break;
      }
      try {
        out->insert(out->end(), chunk, chunk + got);
      } catch (...) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        break;
      }
    }
    if (rc == Z_STREAM_END) break;
    if (rc == Z_BUF_ERROR && got == 0) {  // input ended before the stream did
      error = ERROR_INVALID_DATA;
      break;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      error = rc == Z_MEM_ERROR ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_DATA;
      break;
    }
  }
  if (consumed) *consumed = size - zs->avail_in;
  if (!error) *produced = static_cast<DWORD>(out->size());
  inflateEnd(zs);
  if (error != 0 && error != ERROR_FILE_TOO_LARGE) out->clear();
  return error;
}

DWORD CBodyDecoder::DecodeGzip(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out,
                                 DWORD* produced) {
  *produced = 0;
  if (!data || size < 18 || data[0] != 0x1F || data[1] != 0x8B || data[2] != 8) return ERROR_INVALID_DATA;
  BYTE flags = data[3];
  size_t pos = 10;
  if (flags & 0x04) {
    if (pos + 2 > size) return ERROR_INVALID_DATA;
    size_t extra = data[pos] | (data[pos + 1] << 8);
    pos += 2 + extra;
  }
  for (BYTE flag : {BYTE(0x08), BYTE(0x10)}) {
    if (!(flags & flag)) continue;
    while (pos < size && data[pos] != 0) ++pos;
    ++pos;  // the terminator
  }
  if (flags & 0x02) pos += 2;  // header CRC
  if (pos + 8 > size) return ERROR_INVALID_DATA;

  size_t consumed = 0;
  DWORD error = Inflate(data + pos, size - pos, -15, limit, out, produced, &consumed);
  if (error) return error;
  // The trailer: CRC-32 and length of the plain data, both little-endian.
  size_t trailer = pos + consumed;
  if (trailer + 8 > size) return ERROR_INVALID_DATA;
  auto le32 = [&](size_t at) {
    return static_cast<DWORD>(data[at]) | (static_cast<DWORD>(data[at + 1]) << 8) |
           (static_cast<DWORD>(data[at + 2]) << 16) | (static_cast<DWORD>(data[at + 3]) << 24);
  };
  DWORD crc = static_cast<DWORD>(crc32(0L, out->data(), static_cast<uInt>(out->size())));
  if (le32(trailer) != crc || le32(trailer + 4) != static_cast<DWORD>(out->size())) {
    out->clear();
    *produced = 0;
    return ERROR_INVALID_DATA;
  }
  return 0;
}

DWORD CBodyDecoder::DecodeDeflate(const BYTE* data, size_t size, DWORD limit, std::vector<BYTE>* out,
                                    DWORD* produced) {
  *produced = 0;
  if (!data || size == 0) return ERROR_INVALID_DATA;
  // "deflate" is zlib-wrapped by the standard, raw by many servers: take the wrapper when the
  // first two bytes are a valid zlib header, and fall back to raw when that does not decode.
  bool zlib_header = size >= 2 && (data[0] & 0x0F) == 8 && (data[0] >> 4) <= 7 &&
                     ((data[0] << 8) | data[1]) % 31 == 0;
  if (zlib_header) {
    DWORD error = Inflate(data, size, 15, limit, out, produced, nullptr);
    if (error != ERROR_INVALID_DATA) return error;
  }
  return Inflate(data, size, -15, limit, out, produced, nullptr);
}

}  // namespace WebUtilsNS
