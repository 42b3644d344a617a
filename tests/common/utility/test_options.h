#pragma once

#include <string>

namespace kestrin_test {

// OS class the running Windows version must give, or -1 when the run does not say.
extern int g_expected_os_class;
// Windows path of the stand-in tray program.
extern std::string g_tray_stub;

std::string ToWindowsPath(const std::string& path);

}  // namespace kestrin_test
