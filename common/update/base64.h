// The base64 decoder of the update file: the update key container and the issuer logos.
#pragma once

#include <windows.h>
#include <stddef.h>

namespace UpdateUtilsNS {

// Decodes up to `length` characters of `text` (standard alphabet). Characters outside the
// alphabet (line ends, blanks, "=") are skipped; a NUL where a group of four would start ends
// the text; a last group of one character adds no byte.
// `size` gives the buffer's size and receives the number of decoded bytes. Without a buffer the
// call only counts and returns false; with one it returns true when every byte fitted (bytes
// that do not fit are counted but not written).
bool DecodeBase64(const char* text, size_t length, BYTE* buffer, DWORD* size);

}  // namespace UpdateUtilsNS
