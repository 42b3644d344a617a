// The site-seal lookup reply split on every input the fuzzer makes, given exactly the input's
// bytes in a buffer of their own: every record found must lie inside the reply, hold bytes,
// and follow the one before it.
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "common/siteseal/lookup_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<BYTE> input(data, data + size);
  const BYTE* body = input.empty() ? nullptr : input.data();
  std::vector<SiteSealRecord> records;
  const bool list = ParseLookupReply(body, size, &records);
  if (!list && !records.empty()) abort();
  size_t previous_end = 0;
  volatile BYTE touched = 0;
  for (const SiteSealRecord& r : records) {
    if (r.size == 0 || r.offset > size || r.size > size - r.offset || r.offset < previous_end) {
      fprintf(stderr, "lookup reply: record at %zu of %zu bytes in a reply of %zu\n", r.offset, r.size, size);
      abort();
    }
    previous_end = r.offset + r.size;
    // The certificate's first and last bytes, as the site-seal list reads them.
    touched = body[r.offset];
    touched = body[previous_end - 1];
  }
  (void)touched;
  return 0;
}
