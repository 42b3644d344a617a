#include "common/der/der_shape.h"

namespace DerNS {

namespace {

const BYTE kConstructed = 0x20;

bool IsWellFormedContent(const BYTE* data, size_t size, int depth_left) {
  while (size) {
    Element e;
    if (!ReadElement(data, size, &e)) return false;
    if (e.tag & kConstructed) {
      if (depth_left <= 0 || !IsWellFormedContent(e.content, e.length, depth_left - 1)) return false;
    }
    data += e.whole;
    size -= e.whole;
  }
  return true;
}

bool IsStringValue(const Element& e) {
  switch (e.tag) {
    case 0x0C:  // UTF8String
    case 0x12:  // NumericString
    case 0x13:  // PrintableString
    case 0x14:  // T61String
    case 0x15:  // VideotexString
    case 0x16:  // IA5String
    case 0x19:  // GraphicString
    case 0x1A:  // VisibleString
    case 0x1B:  // GeneralString
      return true;
    case 0x1C:  // UniversalString: four bytes a character
      return e.length % 4 == 0;
    case 0x1E:  // BMPString: two bytes a character
      return e.length % 2 == 0;
    default:
      return false;
  }
}

}  // namespace

bool ReadElement(const BYTE* data, size_t size, Element* out) {
  if (!data || size < 2) return false;
  size_t pos = 0;
  BYTE tag = data[pos++];
  if ((tag & 0x1F) == 0x1F) {
    // High tag number: base-128 digits, the last without its top bit.
    for (int digits = 0;; ++digits) {
      if (pos >= size || digits >= 4) return false;
      if (!(data[pos++] & 0x80)) break;
    }
  }
  if (pos >= size) return false;
  size_t length = data[pos++];
  if (length == 0x80) return false;  // indefinite length
  if (length & 0x80) {
    size_t count = length & 0x7F;
    if (count > 4 || count > size - pos) return false;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | data[pos++];
  }
  if (length > size - pos) return false;
  out->tag = tag;
  out->content = data + pos;
  out->length = length;
  out->whole = pos + length;
  return true;
}

bool IsWellFormed(const BYTE* data, size_t size, int max_depth) {
  Element e;
  if (!ReadElement(data, size, &e) || e.whole != size) return false;
  return !(e.tag & kConstructed) || (max_depth > 0 && IsWellFormedContent(e.content, e.length, max_depth - 1));
}

bool IsBitString(const BYTE* data, size_t size) {
  Element e;
  if (!ReadElement(data, size, &e) || e.whole != size || e.tag != 0x03 || e.length == 0) return false;
  BYTE unused = e.content[0];
  return unused <= 7 && (e.length > 1 || unused == 0);
}

bool IsString(const BYTE* data, size_t size) {
  Element e;
  return ReadElement(data, size, &e) && e.whole == size && IsStringValue(e);
}

bool IsPrimitive(const BYTE* data, size_t size, BYTE tag, size_t min_length, size_t max_length) {
  Element e;
  return ReadElement(data, size, &e) && e.whole == size && e.tag == tag && e.length >= min_length &&
         e.length <= max_length;
}

bool IsName(const BYTE* data, size_t size) {
  Element name;
  if (!ReadElement(data, size, &name) || name.whole != size || name.tag != 0x30) return false;
  const BYTE* rdn_at = name.content;
  size_t rdn_left = name.length;
  while (rdn_left) {
    Element rdn;
    if (!ReadElement(rdn_at, rdn_left, &rdn) || rdn.tag != 0x31 || rdn.length == 0) return false;
    const BYTE* attr_at = rdn.content;
    size_t attr_left = rdn.length;
    while (attr_left) {
      Element attribute, oid, value;
      if (!ReadElement(attr_at, attr_left, &attribute) || attribute.tag != 0x30) return false;
      if (!ReadElement(attribute.content, attribute.length, &oid) || oid.tag != 0x06 || oid.length == 0 ||
          (oid.content[oid.length - 1] & 0x80))
        return false;
      if (!ReadElement(attribute.content + oid.whole, attribute.length - oid.whole, &value) ||
          oid.whole + value.whole != attribute.length || !IsStringValue(value))
        return false;
      attr_at += attribute.whole;
      attr_left -= attribute.whole;
    }
    rdn_at += rdn.whole;
    rdn_left -= rdn.whole;
  }
  return true;
}

}  // namespace DerNS
