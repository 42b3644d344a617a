// The DER shape checks on every input the fuzzer makes, each given exactly the input's bytes
// in a buffer of their own (so that AddressSanitizer sees a read one byte past them); what
// they report must stay inside the input.
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "common/der/der_shape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<BYTE> input(data, data + size);
  const BYTE* bytes = input.empty() ? nullptr : input.data();
  DerNS::Element e;
  if (DerNS::ReadElement(bytes, size, &e)) {
    if (e.whole > size || e.content < bytes || e.length > size ||
        e.content + e.length != bytes + e.whole)
      abort();
    // The content read again as elements of its own.
    DerNS::Element inner;
    if (e.length && DerNS::ReadElement(e.content, e.length, &inner) && inner.whole > e.length) abort();
  }
  DerNS::IsWellFormed(bytes, size);
  DerNS::IsWellFormed(bytes, size, 2);
  DerNS::IsBitString(bytes, size);
  DerNS::IsString(bytes, size);
  DerNS::IsName(bytes, size);
  DerNS::IsPrimitive(bytes, size, 0x02, 1, 20);
  return 0;
}
