// The few Windows types the platform-free readers name, for their native Linux build under
// AddressSanitizer and the coverage-guided fuzzer. Nothing here is a function: a reader that
// needs one is not platform-free.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int BOOL;
