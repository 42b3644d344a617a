// The border reads the user's settings under HKEY_CURRENT_USER. This program points its
// HKEY_CURRENT_USER at a key of its own, so that the tests neither see nor change the
// settings of other programs in the same Wine prefix.
#include <windows.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include "platform/win/scoped_handle.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  char path[128];
  snprintf(path, sizeof(path), "Software\\KestrinTests\\border-%lu", GetCurrentProcessId());
  KestrinWinNS::CScopedRegKey own;
  if (RegCreateKeyA(HKEY_CURRENT_USER, path, own.Receive()) != ERROR_SUCCESS ||
      RegOverridePredefKey(HKEY_CURRENT_USER, own.Get()) != ERROR_SUCCESS) {
    fprintf(stderr, "cannot give the tests a registry of their own\n");
    return 2;
  }
  int rc = RUN_ALL_TESTS();
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  own.Reset();
  RegDeleteTreeA(HKEY_CURRENT_USER, path);
  return rc;
}
