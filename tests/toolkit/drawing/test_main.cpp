#include "tests/toolkit/drawing/test_main.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {
std::wstring g_office2007;
}  // namespace

const std::wstring& Office2007ModulePath() { return g_office2007; }

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) {
    wchar_t path[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH);
    g_office2007 = path;
  }
  return RUN_ALL_TESTS();
}
