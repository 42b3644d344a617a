// The update document's pre-check on every input the fuzzer makes, given exactly the input's
// bytes in a buffer of their own. A document it lets through must hold none of the shapes that
// stop the platform's reader: for an 8-bit document, no zero byte and no processing
// instruction without its end.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "common/update/readable_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<BYTE> input(data, data + size);
  const BYTE* bytes = input.empty() ? nullptr : input.data();
  if (!UpdateUtilsNS::IsReadableXml(bytes, size)) return 0;
  const bool utf16 = size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
  if (utf16) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find('\0') != std::string::npos) {
    fprintf(stderr, "readable xml: a document with a zero byte passed\n");
    abort();
  }
  for (size_t at = text.find("<?"); at != std::string::npos; at = text.find("<?", at + 2)) {
    if (text.find("?>", at + 2) == std::string::npos) {
      fprintf(stderr, "readable xml: an instruction without its end passed\n");
      abort();
    }
  }
  return 0;
}
