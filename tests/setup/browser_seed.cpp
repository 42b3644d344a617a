#include "tests/setup/browser_seed.h"

#include "tests/setup/test_support.h"

namespace setup_test {

namespace {

struct MozillaLayout {
  Browser browser;
  const wchar_t* key;
  const wchar_t* version;
  const wchar_t* folder;
  const wchar_t* exe;
};

const MozillaLayout kMozilla[] = {
    {Browser::kFirefox10, L"Software\\Mozilla\\Mozilla Firefox", L"1.0.7 (en-US)", L"Firefox10", L"firefox.exe"},
    {Browser::kFirefox15, L"Software\\Mozilla\\Mozilla Firefox", L"1.5.0.12 (en-US)", L"Firefox15", L"firefox.exe"},
    {Browser::kFirefox2, L"Software\\Mozilla\\Mozilla Firefox", L"2.0.0.20 (en-US)", L"Firefox2", L"firefox.exe"},
    {Browser::kFirefox3, L"Software\\Mozilla\\Mozilla Firefox", L"3.0.19 (en-US)", L"Firefox3", L"firefox.exe"},
    {Browser::kSeaMonkey11, L"Software\\mozilla.org\\SeaMonkey", L"1.1.9 (en-US)", L"SeaMonkey11", L"seamonkey.exe"},
    {Browser::kSeaMonkey20, L"Software\\mozilla.org\\SeaMonkey", L"2.0 (en-US)", L"SeaMonkey20", L"seamonkey.exe"},
    {Browser::kNetscape9, L"Software\\Mozilla\\Netscape Navigator", L"9.0.0.6 (en-US)", L"Netscape9",
     L"navigator.exe"},
};

const wchar_t kIEKey[] = L"Software\\Microsoft\\Internet Explorer";

}  // namespace

bool ClearBrowsers() {
  const wchar_t* keys[] = {L"Software\\Mozilla", L"Software\\mozilla.org", L"Software\\Netscape"};
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    for (const wchar_t* key : keys)
      if (!DeleteMachineTree(view, key)) return false;
    if (!SetMachineString(view, kIEKey, L"Version", L"9.11.9600.18376")) return false;
  }
  return true;
}

bool SeedBrowsers(const std::vector<Browser>& browsers, REGSAM view, std::vector<SeededBrowser>* seeded) {
  CreateDirectoryW(L"C:\\Browsers", nullptr);
  for (Browser browser : browsers) {
    const wchar_t* ie = browser == Browser::kIE6   ? L"6.0.2900.2180"
                        : browser == Browser::kIE7 ? L"7.0.5730.13"
                        : browser == Browser::kIE8 ? L"8.0.6001.18702"
                                                   : nullptr;
    if (ie) {
      if (!SetMachineString(view, kIEKey, L"Version", ie)) return false;
      continue;
    }
    for (const MozillaLayout& m : kMozilla) {
      if (m.browser != browser) continue;
      std::wstring folder = std::wstring(L"C:\\Browsers\\") + m.folder;
      CreateDirectoryW(folder.c_str(), nullptr);
      CreateDirectoryW((folder + L"\\extensions").c_str(), nullptr);
      std::wstring program = folder + L"\\" + m.exe;
      if (!CopyStandIn(L"start_recorder.exe", program)) return false;
      // The last one installed is the current version.
      if (!SetMachineString(view, m.key, L"CurrentVersion", m.version)) return false;
      if (!SetMachineString(view, std::wstring(m.key) + L"\\" + m.version + L"\\Main", L"PathToExe", program))
        return false;
      if (seeded) seeded->push_back({browser, program});
    }
  }
  return true;
}

}  // namespace setup_test
