// Browsers of the era seeded into the machine's registry and folders, the way each registers
// itself, with a recording program standing in for each browser's executable.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace setup_test {

enum class Browser { kIE6, kIE7, kIE8, kFirefox10, kFirefox15, kFirefox2, kFirefox3, kSeaMonkey11, kSeaMonkey20,
                     kNetscape9 };

struct SeededBrowser {
  Browser browser;
  std::wstring program;  // the stand-in executable
};

// Removes every seeded browser key from both registry views and sets Internet Explorer back
// to a version of no interest (9).
bool ClearBrowsers();
// Seeds the browsers in one registry view (KEY_WOW64_32KEY or KEY_WOW64_64KEY).
bool SeedBrowsers(const std::vector<Browser>& browsers, REGSAM view, std::vector<SeededBrowser>* seeded = nullptr);

}  // namespace setup_test
