// Helpers shared by the logger tests and their writer program.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win/scoped_handle.h"

namespace KestrinTests {

inline bool SetLogValue(const char* name, DWORD type, const void* data, DWORD size) {
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TorvanGroup\\Kestrin", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

inline bool SetLogDword(const char* name, DWORD value) { return SetLogValue(name, REG_DWORD, &value, sizeof(value)); }

inline std::string ReadFileText(const std::string& path) {
  std::string text;
  KestrinWinNS::CScopedKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                   nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return text;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got) text.append(buffer, got);
  return text;
}

inline bool WriteFileText(const std::string& path, const std::string& text) {
  KestrinWinNS::CScopedKernelHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace KestrinTests
