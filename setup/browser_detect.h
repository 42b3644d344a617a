// Which browsers the machine has, in which of them the product is installed, and how the
// installed product's version compares with this library's.
#pragma once

#include <windows.h>

#include <string>

namespace SetupFrameworkNS {

enum BrowserFlag : DWORD {
  kBrowserIE5 = 0x01,     // installed report only
  kBrowserIE6 = 0x02,     // detection: IE 5 or 6
  kBrowserIE7 = 0x04,
  kBrowserIE8 = 0x08,
  kBrowserFirefox2 = 0x10,  // Firefox 1.5 or 2
  kBrowserFirefox3 = 0x20,
  kBrowserSeaMonkey = 0x40,
  kBrowserNetscape9 = 0x80,
  kGeckoBrowsers = 0xF0,
};

// Installed-version codes.
constexpr int kNoInstalledVersion = 0xFFFF;

// The package path the Gecko managers are given: the install folder + "\Kestrin.xpi".
std::wstring GeckoPackagePath();

DWORD DetectBrowserFlags();
DWORD DetectInstalledFlags();
bool IsIEAddonRegistered();

// The file's fixed file version as "a.b.c.d".
bool GetFileVersionText(const wchar_t* path, std::wstring* out);
// The text of the manifest's first <em:version> element; false when missing or empty.
bool ReadPackageVersion(const wchar_t* path, std::wstring* out);

// 0xFFFF none, 0 same as built in, 1 installed newer, -1 installed older.
int CompareIEAddonVersion();
int CompareGeckoPackageVersion();
int VersionCodeOf(const wchar_t* installed);

}  // namespace SetupFrameworkNS
