#include "setup/browser_detect.h"

#include <stdio.h>

#include <vector>

#include "setup/gecko_ext.h"
#include "platform/win/scoped_handle.h"
#include "setup/setup_helpers.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedFindHandle;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;

using GeckoHelpersNS::CFirefoxExtManager;
using GeckoHelpersNS::CNetscape9ExtManager;
using GeckoHelpersNS::CSeaMonkeyExtManager;
using GeckoHelpersNS::FindBrowserInstall;

namespace {

const wchar_t kSeaMonkeyKey[] = L"Software\\mozilla.org\\SeaMonkey";
const wchar_t kNetscapeKey[] = L"Software\\Mozilla\\Netscape Navigator";

bool IsSeaMonkey1() {
  unsigned major = 0, minor = 0;
  return FindBrowserInstall(kSeaMonkeyKey, &major, &minor, true, nullptr) && major == 1 && minor < 2;
}

bool IsNetscape9() {
  unsigned major = 0, minor = 0;
  return FindBrowserInstall(kNetscapeKey, &major, &minor, true, nullptr) && major == 9;
}

DWORD IEFlagForClass(int version_class, bool installed_report) {
  switch (version_class) {
    case 1: return installed_report ? kBrowserIE5 : kBrowserIE6;
    case 2: return kBrowserIE6;
    case 3: return kBrowserIE7;
    case 4: return kBrowserIE8;
    default: return 0;
  }
}

}  // namespace

std::wstring GeckoPackagePath() {
  std::wstring folder = SetupPaths::Get().InstallFolder();
  return folder.empty() ? std::wstring() : folder + L"\\Kestrin.xpi";
}

DWORD DetectBrowserFlags() {
  DWORD flags = IEFlagForClass(GetIEVersionClass(), false);
  CFirefoxExtManager firefox(GeckoPackagePath());
  if (firefox.Detect()) {
    if (firefox.installed_versions() & (CFirefoxExtManager::kFirefox1 | CFirefoxExtManager::kFirefox2))
      flags |= kBrowserFirefox2;
    if (firefox.installed_versions() & CFirefoxExtManager::kFirefox3) flags |= kBrowserFirefox3;
  }
  CSeaMonkeyExtManager seamonkey(GeckoPackagePath());
  if (IsSeaMonkey1() && seamonkey.Detect()) flags |= kBrowserSeaMonkey;
  CNetscape9ExtManager netscape(GeckoPackagePath());
  if (IsNetscape9() && netscape.Detect()) flags |= kBrowserNetscape9;
  return flags;
}

DWORD DetectInstalledFlags() {
  DWORD flags = 0;
  CFirefoxExtManager firefox(GeckoPackagePath());
  if (firefox.Detect()) {
    if (firefox.IsInstalled()) flags |= kBrowserFirefox2;
    if (firefox.IsFirefox3Installed()) flags |= kBrowserFirefox3;
  }
  CSeaMonkeyExtManager seamonkey(GeckoPackagePath());
  if (IsSeaMonkey1() && seamonkey.IsInstalled()) flags |= kBrowserSeaMonkey;
  CNetscape9ExtManager netscape(GeckoPackagePath());
  if (IsNetscape9() && netscape.IsInstalled()) flags |= kBrowserNetscape9;
  if (IsIEAddonRegistered()) flags |= IEFlagForClass(GetIEVersionClass(), true);
  return flags;
}

bool IsIEAddonRegistered() {
  std::wstring server;
  return GetClassServerPath(kIEAddonClsid, &server) && !server.empty() && FileExists(server);
}

bool GetFileVersionText(const wchar_t* path, std::wstring* out) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length != sizeof(VS_FIXEDFILEINFO))
    return false;
  // Room for the largest version: four five-digit numbers, three dots and the terminator.
  wchar_t text[4 * 5 + 3 + 1];
  swprintf(text, sizeof(text) / sizeof(text[0]), L"%d.%d.%d.%d", HIWORD(info->dwFileVersionMS),
           LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  *out = text;
  return true;
}

bool ReadPackageVersion(const wchar_t* path, std::wstring* out) {
  if (!FileExists(path)) return false;
  CScopedKernelHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  DWORD size = GetFileSize(file.Get(), nullptr), got = 0;
  if (size == INVALID_FILE_SIZE || size > 16 * 1024 * 1024) return false;
  std::string bytes(size, '\0');
  if (size && (!ReadFile(file.Get(), &bytes[0], size, &got, nullptr) || got != size)) return false;
  int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(chars, L'\0');
  if (chars) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], chars);
  const std::wstring open = L"<em:version>", close = L"</em:version>";
  size_t start = text.find(open);
  if (start == std::wstring::npos) return false;
  start += open.size();
  size_t end = text.find(close, start);
  if (end == std::wstring::npos || end == start) return false;
  *out = text.substr(start, end - start);
  return true;
}

int VersionCodeOf(const wchar_t* installed) {
  switch (CompareDottedVersions(installed, kProductVersion)) {
    case 1: return 0;
    case 2: return 1;
    case 3: return -1;
    default: return kNoInstalledVersion;
  }
}

int CompareIEAddonVersion() {
  const std::wstring folder = SetupPaths::Get().InstallFolder();
  if (folder.empty()) return kNoInstalledVersion;
  std::wstring version;
  if (!GetFileVersionText((folder + L"\\KestrinIE32.dll").c_str(), &version) &&
      !GetFileVersionText((folder + L"\\KestrinIE.dll").c_str(), &version))
    return kNoInstalledVersion;
  return VersionCodeOf(version.c_str());
}

int CompareGeckoPackageVersion() {
  const std::wstring folder = SetupPaths::Get().InstallFolder();
  if (folder.empty()) return kNoInstalledVersion;
  for (const wchar_t* unpacked : {L"\\Kestrin", L"\\Kestrin_ff3"}) {
    std::wstring package_folder = folder + unpacked;
    if (!FolderExists(package_folder)) continue;
    std::wstring version;
    if (!ReadPackageVersion((package_folder + L"\\install.rdf").c_str(), &version)) return kNoInstalledVersion;
    return VersionCodeOf(version.c_str());
  }
  return kNoInstalledVersion;
}

}  // namespace SetupFrameworkNS
