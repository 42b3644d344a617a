// Test entry: reads the options the build passes to the utility tests.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "tests/common/utility/test_options.h"

namespace kestrin_test {

int g_expected_os_class = -1;
std::string g_tray_stub;

std::string ToWindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string out = "Z:" + path;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

}  // namespace kestrin_test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (strncmp(arg, "--expect-os-class=", 18) == 0) kestrin_test::g_expected_os_class = atoi(arg + 18);
    if (strncmp(arg, "--tray-stub=", 12) == 0) kestrin_test::g_tray_stub = kestrin_test::ToWindowsPath(arg + 12);
  }
  return RUN_ALL_TESTS();
}
