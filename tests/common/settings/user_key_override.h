// Test support: sends this process's HKEY_CURRENT_USER to a private sub-key, so that tests which
// run side by side in one Wine prefix never see each other's settings. A helper process given the
// same path redirects itself the same way.
#pragma once

#include <windows.h>

#include <stdio.h>
#include <string>

#include "platform/win/scoped_handle.h"

namespace KestrinTests {

// Redirects HKEY_CURRENT_USER to HKCU\<path> (created) until ApplyUserKeyOverride(nullptr).
inline bool ApplyUserKeyOverride(const char* path) {
  if (!path) return RegOverridePredefKey(HKEY_CURRENT_USER, nullptr) == ERROR_SUCCESS;
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  return RegOverridePredefKey(HKEY_CURRENT_USER, key.Get()) == ERROR_SUCCESS;
}

// Owns one redirection to a fresh key unique to this process; deletes the key when it goes.
class CScopedUserKeyOverride {
 public:
  explicit CScopedUserKeyOverride(const char* tag) {
    char path[128];
    snprintf(path, sizeof(path), "Software\\KestrinTests\\%s-%lu-%lu", tag, GetCurrentProcessId(),
             static_cast<unsigned long>(counter_++));
    path_ = path;
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    ok_ = ApplyUserKeyOverride(path_.c_str());
  }
  ~CScopedUserKeyOverride() {
    ApplyUserKeyOverride(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }
  bool ok() const { return ok_; }
  const char* path() const { return path_.c_str(); }

 private:
  static inline unsigned counter_ = 0;
  std::string path_;
  bool ok_ = false;
};

}  // namespace KestrinTests
