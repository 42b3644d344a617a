// A reader of XPCOM type libraries (version 1.x), as the browser reads them: the header, the
// interface directory (28-byte entries read in sequence from the header's one-based offset) and,
// for every described interface, its parent and method count from the data pool (the header gives
// the pool's zero-based start; offsets into it are one-based). Every offset is checked against the
// file, so a malformed library is reported, never read past.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xpt {

struct Interface {
  uint8_t iid[16] = {};  // as stored: m0, m1, m2 big-endian, then the 8 bytes
  std::string name;
  std::string name_space;
  bool described = false;   // false: only referred to
  uint16_t parent = 0;      // one-based directory index, 0 for none
  uint16_t method_count = 0;
  uint8_t flags = 0;
};

struct Library {
  uint8_t major = 0, minor = 0;
  uint32_t data_pool = 0;
  std::vector<Interface> interfaces;
};

class Reader {
 public:
  explicit Reader(const std::string& data) : data_(data) {}

  // False (with the reason in error()) when the library is malformed.
  bool Read(Library* out) {
    static const char kMagic[] = "XPCOM\nTypeLib\r\n\x1a";
    if (data_.size() < 33 || data_.compare(0, 16, std::string(kMagic, 16)) != 0) return Fail("no typelib header");
    size_t at = 16;
    uint8_t major = 0, minor = 0;
    uint16_t count = 0;
    uint32_t length = 0, directory = 0, pool = 0;
    if (!U8(&at, &major) || !U8(&at, &minor) || !U16(&at, &count) || !U32(&at, &length) || !U32(&at, &directory) ||
        !U32(&at, &pool))
      return Fail("short header");
    if (major != 1) return Fail("unsupported major version");
    if (length != data_.size()) return Fail("file length differs from the header");
    // Annotations: a prefix byte each, 0x80 on the last; private ones carry two strings.
    for (;;) {
      uint8_t tag = 0;
      if (!U8(&at, &tag)) return Fail("short annotations");
      if (tag & 0x40) {
        for (int s = 0; s < 2; ++s) {
          uint16_t size = 0;
          if (!U16(&at, &size) || at + size > data_.size()) return Fail("short annotation");
          at += size;
        }
      }
      if (tag & 0x80) break;
    }
    if (directory == 0 || directory - 1 != at) return Fail("directory does not follow the header");
    if (static_cast<uint64_t>(pool) != at + 28ull * count || pool > data_.size())
      return Fail("data pool does not start after the directory");
    out->major = major;
    out->minor = minor;
    out->data_pool = pool;
    out->interfaces.clear();
    for (uint16_t i = 0; i < count; ++i) {
      Interface entry;
      for (uint8_t& b : entry.iid)
        if (!U8(&at, &b)) return Fail("short directory");
      uint32_t name = 0, name_space = 0, descriptor = 0;
      if (!U32(&at, &name) || !U32(&at, &name_space) || !U32(&at, &descriptor)) return Fail("short directory");
      if (!PoolString(name, &entry.name) || entry.name.empty()) return Fail("bad interface name");
      if (name_space && !PoolString(name_space, &entry.name_space)) return Fail("bad name space");
      if (descriptor) {
        size_t d = 0;
        if (!PoolAt(descriptor, &d) || !U16(&d, &entry.parent) || !U16(&d, &entry.method_count))
          return Fail("bad interface descriptor");
        if (entry.parent > count) return Fail("parent outside the directory");
        entry.described = true;
      }
      out->interfaces.push_back(entry);
    }
    return true;
  }
  const std::string& error() const { return error_; }

 private:
  bool Fail(const char* why) {
    error_ = why;
    return false;
  }
  bool U8(size_t* at, uint8_t* v) {
    if (*at + 1 > data_.size()) return false;
    *v = static_cast<uint8_t>(data_[(*at)++]);
    return true;
  }
  bool U16(size_t* at, uint16_t* v) {
    uint8_t a, b;
    if (!U8(at, &a) || !U8(at, &b)) return false;
    *v = static_cast<uint16_t>(a << 8 | b);
    return true;
  }
  bool U32(size_t* at, uint32_t* v) {
    uint16_t a, b;
    if (!U16(at, &a) || !U16(at, &b)) return false;
    *v = static_cast<uint32_t>(a) << 16 | b;
    return true;
  }
  // The file position of a one-based data-pool offset.
  bool PoolAt(uint32_t offset, size_t* at) {
    uint64_t pos = static_cast<uint64_t>(pool_start()) + offset - 1;
    if (offset == 0 || pos >= data_.size()) return false;
    *at = static_cast<size_t>(pos);
    return true;
  }
  bool PoolString(uint32_t offset, std::string* out) {
    size_t at = 0;
    if (!PoolAt(offset, &at)) return false;
    size_t end = data_.find('\0', at);
    if (end == std::string::npos) return false;
    *out = data_.substr(at, end - at);
    return true;
  }
  uint32_t pool_start() const {
    size_t at = 28;  // the data-pool field of the header
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(data_[at + i]);
    return v;
  }

  const std::string& data_;
  std::string error_;
};

}  // namespace xpt
