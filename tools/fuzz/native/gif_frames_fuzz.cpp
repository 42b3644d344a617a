// The GIF frame walk on every input the fuzzer makes, as the animated picture runs it: the
// header, then frame after frame, each tested for the picture loader. The input's bytes sit in
// a buffer of their own; every frame found must lie inside them.
#include <stdlib.h>

#include <vector>

#include "common/windowing/gif_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 13 || size > 0x7FFFFFFF) return 0;
  std::vector<BYTE> input(data, data + size);
  const BYTE* bytes = input.data();
  const DWORD length = static_cast<DWORD>(size);
  const int width = GifNS::ReadWord(bytes + 6), height = GifNS::ReadWord(bytes + 8);
  const DWORD table = (bytes[10] & 0x80) ? 3u * (1u << ((bytes[10] & 7) + 1)) : 0;
  const DWORD header = 13 + table;
  if (header > length) return 0;
  DWORD pos = header;
  GifNS::FrameSpan span;
  for (int frames = 0; frames < 128 && GifNS::NextFrame(bytes, length, &pos, &span); ++frames) {
    if (span.end > length || span.start >= span.end || span.end != pos) abort();
    if (span.image && (span.image < span.start || span.image >= span.end)) abort();
    GifNS::IsLoadableFrame(bytes, span, width, height, table != 0);
  }
  return 0;
}
