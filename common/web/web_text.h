// The text of the request layer: ANSI to UTF-16 and back (the system's code page), and the
// string resources of the module holding this code.
#pragma once

#include <windows.h>

#include <string>

namespace WebUtilsNS {

std::wstring Widen(const char* text);
std::string Narrow(const wchar_t* text, size_t length);
// Loads a string resource of the module holding this code (ANSI); empty when there is none.
std::string LoadResourceString(UINT id);

}  // namespace WebUtilsNS
