// Bounded checks of DER shapes, run before encoded bytes of a file or of the network are
// handed to a platform decoder: what passes has definite lengths that stay inside their
// parents, constructed contents made of whole elements, and a bounded nesting depth.
#pragma once

#include <windows.h>
#include <stddef.h>

namespace DerNS {

// Deeper nesting than any certificate or message of this system uses.
const int kMaxDepth = 24;

struct Element {
  BYTE tag = 0;                  // the identifier's first byte
  const BYTE* content = nullptr;
  size_t length = 0;             // of the content
  size_t whole = 0;              // identifier, length and content
};

// One element from the front of `data` (definite length; tag numbers of up to four bytes).
bool ReadElement(const BYTE* data, size_t size, Element* out);

// `data` is exactly one element, and every constructed element inside it (to `max_depth`
// levels) consists of whole elements.
bool IsWellFormed(const BYTE* data, size_t size, int max_depth = kMaxDepth);

// A BIT STRING as a decoder reads it: primitive, the unused-bit count present, at most 7,
// and 0 when the string has no byte.
bool IsBitString(const BYTE* data, size_t size);

// A string of one of the string types, its length a whole number of its characters.
bool IsString(const BYTE* data, size_t size);

// A primitive element with `tag` whose content has `min_length` to `max_length` bytes.
bool IsPrimitive(const BYTE* data, size_t size, BYTE tag, size_t min_length, size_t max_length);

// An X.500 name: SEQUENCE OF SET OF SEQUENCE { OBJECT IDENTIFIER, string }, each string of a
// string type whose length fits its character size.
bool IsName(const BYTE* data, size_t size);

}  // namespace DerNS
