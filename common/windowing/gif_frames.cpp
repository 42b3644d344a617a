#include "common/windowing/gif_frames.h"

namespace GifNS {

namespace {

// GIF block kinds.
enum BlockKind { kAppExt, kCommentExt, kControlExt, kPlainTextExt, kImage, kTrailer };

// Bytes of the sub-block chain at `pos`, its zero terminator included; false when the chain
// runs past the data or grows beyond what a 32-bit count may hold.
bool ChainLength(const BYTE* data, DWORD size, DWORD pos, DWORD* length) {
  unsigned long long total = 0;
  for (;;) {
    unsigned long long at = (unsigned long long)pos + total;
    if (at >= size) return false;
    BYTE n = data[at];
    total += (unsigned long long)n + 1;
    if (total > 0x7FFFFFFEull) return false;
    if (n == 0) break;
  }
  *length = (DWORD)total;
  return true;
}

// Identifies the block at `pos` and its full length; false for an unknown block or one
// that would end beyond the data.
bool ReadBlock(const BYTE* data, DWORD size, DWORD pos, BlockKind* kind, DWORD* length) {
  if (pos >= size) return false;
  DWORD fixed = 0, chain = 0;
  bool has_chain = true;
  if (data[pos] == 0x21) {
    if (pos + 1 >= size) return false;
    switch (data[pos + 1]) {
      case 0xFF: *kind = kAppExt; fixed = 14; break;
      case 0xFE: *kind = kCommentExt; fixed = 2; break;
      case 0xF9: *kind = kControlExt; fixed = 8; has_chain = false; break;
      case 0x01: *kind = kPlainTextExt; fixed = 15; break;
      default: return false;
    }
  } else if (data[pos] == 0x2C) {
    *kind = kImage;
    if ((unsigned long long)pos + 10 > size) return false;
    BYTE flags = data[pos + 9];
    fixed = 11;
    if (flags & 0x80) fixed += 3u * (1u << ((flags & 7) + 1));
  } else if (data[pos] == 0x3B) {
    *kind = kTrailer;
    fixed = 1;
    has_chain = false;
  } else {
    return false;
  }
  if ((unsigned long long)pos + fixed > size) return false;
  if (has_chain && !ChainLength(data, size, pos + fixed, &chain)) return false;
  unsigned long long total = (unsigned long long)fixed + chain;
  if (total > 0x7FFFFFFEull || (unsigned long long)pos + total > size) return false;
  *length = (DWORD)total;
  return true;
}


}  // namespace

bool NextFrame(const BYTE* data, DWORD size, DWORD* pos, FrameSpan* span) {
  DWORD at = *pos;
  BlockKind kind;
  DWORD length;
  for (;;) {
    if (!ReadBlock(data, size, at, &kind, &length)) return false;
    if (kind == kAppExt || kind == kCommentExt) {
      at += length;
      continue;
    }
    if (kind == kTrailer) return false;
    break;
  }
  FrameSpan s = {at, 0, 0, -1, 0, 0, 0, 0, 0};
  if (kind == kControlExt) {
    for (;;) {
      if (kind == kControlExt) {
        s.disposal = (data[at + 3] >> 2) & 7;
        s.delay = ReadWord(data + at + 4);
      }
      at += length;
      if (!ReadBlock(data, size, at, &kind, &length)) return false;
      if (kind == kImage || kind == kPlainTextExt) break;
      if (kind == kTrailer) return false;
    }
  }
  if (kind == kImage) {
    s.image = at;
    s.left = ReadWord(data + at + 1);
    s.top = ReadWord(data + at + 3);
    s.width = ReadWord(data + at + 5);
    s.height = ReadWord(data + at + 7);
  }
  at += length;
  s.end = at;
  *pos = at;
  if (span) *span = s;
  return true;
}

bool IsLoadableFrame(const BYTE* data, const FrameSpan& span, int screen_width, int screen_height,
                     bool global_table) {
  if (!span.image || span.width <= 0 || span.height <= 0) return false;
  if (span.left + span.width > screen_width || span.top + span.height > screen_height) return false;
  BYTE flags = data[span.image + 9];
  if (!global_table && !(flags & 0x80)) return false;
  DWORD table = (flags & 0x80) ? 3u * (1u << ((flags & 7) + 1)) : 0;
  DWORD code_size_at = span.image + 10 + table;
  if (code_size_at >= span.end) return false;
  BYTE code_size = data[code_size_at];
  return code_size >= 2 && code_size <= 8;
}

}  // namespace GifNS
