// The few Windows types and functions the platform-free readers name, for their native Linux
// build under AddressSanitizer and the coverage-guided fuzzer. The functions (windows_shim.cpp)
// are small Linux versions of the text conversions the page-address reader makes; the ones it
// looks up in the system (the IDN mapping and normalisation) are absent, as on a system that
// lacks them. wchar_t stays Linux's 4-byte type, holding one UTF-16 code unit each: the C++
// library's wide strings are built for that size, so a 2-byte wchar_t breaks them.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int BOOL;
typedef wchar_t WCHAR;
typedef struct HINSTANCE__* HMODULE;
typedef intptr_t (*FARPROC)();

#define WINAPI

#define CP_ACP 0
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008

// CP_UTF8 (strict: an overlong form, a surrogate or a value beyond U+10FFFF is invalid) and
// CP_ACP (taken as Windows-1252); other code pages fail. UTF-16 code units out, as on Windows:
// a character beyond U+FFFF becomes a surrogate pair. Without MB_ERR_INVALID_CHARS an invalid
// byte becomes U+FFFD. A length of -1 reads up to and with the terminating zero.
int MultiByteToWideChar(UINT code_page, DWORD flags, const char* text, int length, WCHAR* out, int out_length);
// Simple Unicode lower-casing of UTF-16 code units (the C library's, in the C.UTF-8 locale).
DWORD CharLowerBuffW(WCHAR* text, DWORD length);
int wsprintfA(char* out, const char* format, ...);
// No module is loaded or found, so no function of the system is either.
HMODULE GetModuleHandleW(const WCHAR* name);
HMODULE LoadLibraryW(const WCHAR* name);
FARPROC GetProcAddress(HMODULE module, const char* name);
