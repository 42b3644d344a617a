// The install folders and the files the setup library writes from its resources.
#include <windows.h>
#include <shlwapi.h>

#include <stdlib.h>
#include <time.h>

#include "setup/browser_detect.h"
#include "setup/data_folders.h"
#include "setup/gecko_ext.h"
#include "setup/setup_operations.h"

namespace SetupFrameworkNS {

using GeckoHelpersNS::CFirefoxExtManager;
using GeckoHelpersNS::CNetscape9ExtManager;
using GeckoHelpersNS::CSeaMonkeyExtManager;

const wchar_t kIEAddon32Name[] = L"KestrinIE32.dll";
const wchar_t kIEAddon64Name[] = L"KestrinIE64.dll";
const wchar_t kTrayProgramName[] = L"Kestrin.exe";
const wchar_t kElevationHelperName[] = L"Halvorn.exe";
const wchar_t kXmlLiteName[] = L"xmllite.dll";
const wchar_t kToolbarName[] = L"KestrinToolbarIE.dll";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrin";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t kRunValueName[] = L"Kestrin";

namespace {

const wchar_t kGeckoPackageName[] = L"Kestrin.xpi";
const wchar_t kGeckoPackageFf3Name[] = L"Kestrin_ff3.xpi";
const wchar_t kUpdateFileName[] = L"update.dat";

// The program-files folder with every " (x86)" removed.
std::wstring NativeProgramFiles(std::wstring folder) {
  const std::wstring tag = L" (x86)";
  for (size_t at = folder.find(tag); at != std::wstring::npos; at = folder.find(tag)) folder.erase(at, tag.size());
  return folder;
}

bool CreateFolderIfMissing(const std::wstring& folder) {
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// A "BIN" resource of `module` written to `path` (replace false keeps an existing file).
bool WriteBinResource(HMODULE module, int resource_id, const std::wstring& path, bool replace) {
  CResourceExtractor writer(module, std::wstring());
  DWORD size = 0;
  const void* data = writer.LoadResourceData(MAKEINTRESOURCEW(resource_id), L"BIN", &size);
  if (!data) return false;
  return WriteBytesToFile(path.c_str(), data, size, replace);
}

bool HasBinResource(HMODULE module, int resource_id) {
  return FindResourceW(module, MAKEINTRESOURCEW(resource_id), L"BIN") != nullptr;
}

std::wstring MainModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// True when both paths name one existing file (the same volume and file index).
bool IsSameFile(const std::wstring& a, const std::wstring& b) {
  auto info = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION* out) {
    KestrinWinNS::CScopedKernelHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                       nullptr, OPEN_EXISTING, 0, nullptr));
    return file && GetFileInformationByHandle(file.Get(), out);
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!info(a, &ia) || !info(b, &ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

}  // namespace

HMODULE SetupModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&SetupModule), &module);
  return module;
}

std::wstring AlternativePath(const std::wstring& path) {
  // Only the file name gets the "_new" mark: a dot in a folder name must not lead elsewhere.
  size_t name_start = path.rfind(L'\\');
  name_start = name_start == std::wstring::npos ? 0 : name_start + 1;
  std::wstring out = path.substr(0, name_start);
  for (size_t i = name_start; i < path.size(); ++i) {
    if (path[i] == L'.') out += L"_new";
    out += path[i];
  }
  return out;
}

CSetupOperations::CSetupOperations(HMODULE module) : writer_(module, std::wstring()), module_(module) {
  RefreshPaths();
}

bool CSetupOperations::HasNativeSide() { return IsWow64(); }

void CSetupOperations::RefreshPaths() {
  const std::wstring& program_files = SetupPaths::Get().ProgramFiles();
  const bool native = HasNativeSide();
  if (program_files.empty()) {
    // Kept for what reads the fields; every operation refuses to write under it.
    install_folder_ = std::wstring(kInstallSubfolder) + L"\\";
    native_install_folder_ = native ? install_folder_ : std::wstring();
    install_folder_plain_.clear();
    return;
  }
  install_folder_ = program_files + kInstallSubfolder + L"\\";
  native_install_folder_ = native ? NativeProgramFiles(program_files) + kInstallSubfolder + L"\\" : std::wstring();
  install_folder_plain_ = program_files + kInstallSubfolder;
}

bool CSetupOperations::CreateFolders(const std::wstring& program_files) {
  if (program_files.empty()) return false;
  return CreateFolderIfMissing(program_files + kMakerSubfolder) && CreateFolderIfMissing(program_files + kInstallSubfolder);
}

bool CSetupOperations::CreateInstallFolder() { return CreateFolders(SetupPaths::Get().ProgramFiles()); }

bool CSetupOperations::CreateNativeInstallFolder() {
  const std::wstring& program_files = SetupPaths::Get().ProgramFiles();
  if (program_files.empty()) return false;
  return CreateFolders(NativeProgramFiles(program_files));
}

void CSetupOperations::RemoveFolders(const std::wstring& program_files, bool maker_only_when_present) {
  if (program_files.empty()) return;
  RemoveFolderTree((program_files + kInstallSubfolder).c_str());
  std::wstring maker = program_files + kMakerSubfolder;
  if (maker_only_when_present && !FolderExists(maker)) return;
  RemoveDirectoryW(maker.c_str());  // only when empty
}

void CSetupOperations::RemoveInstallFolder() { RemoveFolders(SetupPaths::Get().ProgramFiles(), false); }

void CSetupOperations::RemoveNativeInstallFolder() {
  const std::wstring& program_files = SetupPaths::Get().ProgramFiles();
  if (program_files.empty()) return;
  RemoveFolders(NativeProgramFiles(program_files), true);
}

bool CSetupOperations::WriteResourceFile(int resource_id, const std::wstring& target, bool* deferred) {
  *deferred = false;
  if (WriteBinResource(module_, resource_id, target, true)) return true;
  // In use: written beside it and moved over it at the next restart.
  std::wstring alternative = AlternativePath(target);
  if (!WriteBinResource(module_, resource_id, alternative, true)) return false;
  if (!MoveFileExW(alternative.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(alternative.c_str());
    return false;
  }
  *deferred = true;
  return true;
}

bool CSetupOperations::ScheduleDeletion(const std::wstring& path) {
  return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool CSetupOperations::DeleteOrScheduleFile(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES || DeleteFileW(path.c_str())) return true;
  std::wstring aside = path + L".bak";
  const std::wstring& doomed = MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING) ? aside : path;
  if (!ScheduleDeletion(doomed)) return false;
  restart_needed_ = true;
  return true;
}

bool CSetupOperations::ExtractXmlLite() {
  if (install_folder_plain_.empty()) return false;
  // XmlLite comes with the system from Vista on (and with Wine): a library that carries no
  // copy of its own leaves the system's in place.
  auto write = [this](int resource_id, const std::wstring& target, bool* deferred) {
    *deferred = false;
    if (!HasBinResource(module_, resource_id))
      return FileExists(SetupPaths::Get().System() + L"\\" + kXmlLiteName);
    return WriteResourceFile(resource_id, target, deferred);
  };
  bool native_deferred = false, deferred = false;
  if (HasNativeSide() && FolderExists(native_install_folder_)) {
    if (!write(kResXmlLite64, native_install_folder_ + kXmlLiteName, &native_deferred)) return false;
  }
  const int own = sizeof(void*) == 8 ? kResXmlLite64 : kResXmlLite32;
  if (!write(own, install_folder_ + kXmlLiteName, &deferred)) return false;
  if (native_deferred || deferred) restart_needed_ = true;
  return true;
}

bool CSetupOperations::DeleteXmlLite() {
  if (install_folder_plain_.empty()) return false;
  if (HasNativeSide()) DeleteOrScheduleFile(native_install_folder_ + kXmlLiteName);
  return DeleteOrScheduleFile(install_folder_ + kXmlLiteName);
}

bool CSetupOperations::InstallGeckoPackages(DWORD browsers) {
  if (!(browsers & kGeckoBrowsers)) return false;
  if (install_folder_plain_.empty()) {
    SetLastErrorText(L"Installing: no program-files folder for the Gecko extensions");
    return false;
  }
  const std::wstring package = install_folder_ + kGeckoPackageName;
  if (!WriteBinResource(module_, kResGeckoPackage, package, true)) {
    SetLastErrorText(L"Installing: Gecko extension package not extracted");
    return false;
  }
  bool ok = true;
  std::wstring failed;
  if (browsers & (kBrowserFirefox2 | kBrowserFirefox3)) {
    CFirefoxExtManager firefox(package);
    if (firefox.Detect()) {
      unsigned selection = (browsers & kBrowserFirefox2) ? unsigned{CFirefoxExtManager::kFirefox2} : 0u;
      if ((browsers & kBrowserFirefox3) && firefox.IsFirefox3Installed()) {
        WriteBinResource(module_, kResGeckoPackageFf3, install_folder_ + kGeckoPackageFf3Name, true);
        selection |= CFirefoxExtManager::kFirefox3;
      }
      if (!firefox.InstallFor(selection)) {
        ok = false;
        failed += L" Firefox";
      }
    }
  }
  if (browsers & kBrowserNetscape9) {
    CNetscape9ExtManager netscape(package);
    if (!netscape.Detect() || !ok || !netscape.Install()) {
      if (ok) failed += L" Netscape";
      ok = false;
    }
  }
  if (browsers & kBrowserSeaMonkey) {
    CSeaMonkeyExtManager seamonkey(package);
    if (!seamonkey.Detect() || !ok || !seamonkey.Install()) {
      if (ok) failed += L" SeaMonkey";
      ok = false;
    }
  }
  SetLastErrorText(ok ? L"Installing: extracted and registered Gecko extensions"
                      : L"Installing: Gecko extension not registered in" + failed);
  return ok;
}

bool CSetupOperations::RemoveGeckoPackages(DWORD browsers) {
  if (!(browsers & kGeckoBrowsers)) return false;
  if (install_folder_plain_.empty()) return false;
  // The managers read and rewrite the browsers' files with the system's XmlLite.
  if (GeckoHelpersNS::CXmlLite::Get().LoadedFrom().empty()) return false;
  bool firefox3 = false;
  bool ok = true;
  if (browsers & (kBrowserFirefox2 | kBrowserFirefox3)) {
    CFirefoxExtManager firefox;
    if (firefox.Detect()) {
      firefox3 = firefox.IsFirefox3Installed();
      unsigned selection = ((browsers & kBrowserFirefox2) ? unsigned{CFirefoxExtManager::kFirefox2} : 0u) |
                           ((browsers & kBrowserFirefox3) ? unsigned{CFirefoxExtManager::kFirefox3} : 0u);
      ok = firefox.UninstallFor(selection) && ok;
    }
  }
  if (browsers & kBrowserNetscape9) {
    CNetscape9ExtManager netscape;
    if (netscape.Detect()) ok = netscape.Uninstall() && ok;
  }
  if (browsers & kBrowserSeaMonkey) {
    CSeaMonkeyExtManager seamonkey;
    if (seamonkey.Detect()) ok = seamonkey.Uninstall() && ok;
  }
  auto remove_package = [this](const wchar_t* name) {
    std::wstring package = install_folder_ + name;
    if (FileExists(package) && !DeleteFileW(package.c_str())) {
      if (!ScheduleDeletion(package)) return false;
      restart_needed_ = true;
    }
    std::wstring unpacked = GeckoHelpersNS::UnpackFolderOf(package);
    if (FolderExists(unpacked)) RemoveFolderTree(unpacked.c_str());
    return true;
  };
  if (!remove_package(kGeckoPackageName)) return false;
  if (firefox3 && !remove_package(kGeckoPackageFf3Name)) return false;
  return ok;
}

bool CSetupOperations::InstallUpdateFile() {
  // Any user may create folders in the all-users data folder: each of ours is made (or found)
  // as administrators-only before anything is written into it.
  std::wstring folder;
  if (!PrepareCommonDataFolder(CommonDataFolder::kUpdate, &folder)) return false;
  return WriteBinResource(module_, kResUpdateData, folder + kUpdateFileName, true);
}

bool CSetupOperations::CopySetupProgramTo(const std::wstring& target) {
  const std::wstring source = MainModulePath();
  if (source.empty()) return false;
  // A maintenance run starts from the installed copy itself: nothing to copy.
  if (IsSameFile(source, target)) return true;
  if (CopyFileW(source.c_str(), target.c_str(), FALSE)) return true;
  // The installed copy runs (an earlier setup still open): replaced at the next restart.
  std::wstring alternative = AlternativePath(target);
  if (!CopyFileW(source.c_str(), alternative.c_str(), FALSE)) return false;
  if (!MoveFileExW(alternative.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(alternative.c_str());
    return false;
  }
  restart_needed_ = true;
  return true;
}

bool CSetupOperations::CopySetupProgram() {
  if (install_folder_plain_.empty()) return false;
  return CopySetupProgramTo(install_folder_plain_ + L"\\" + setup_program_name_);
}

bool CSetupOperations::ExtractElevationHelper(std::wstring* path) {
  RefreshPaths();
  if (install_folder_plain_.empty()) return false;
  std::wstring target = install_folder_plain_ + L"\\" + kElevationHelperName;
  if (!WriteBinResource(module_, kResElevationHelper, target, false)) return false;
  *path = target;
  return true;
}

bool CSetupOperations::DeleteSetupCopy() {
  if (install_folder_plain_.empty()) return false;
  const std::wstring file = install_folder_ + setup_program_name_;
  if (!FileExists(file)) return false;
  if (DeleteFileW(file.c_str())) return true;
  static bool seeded = false;
  if (!seeded) {
    srand(static_cast<unsigned>(time(nullptr)));
    seeded = true;
  }
  std::wstring name;
  for (int i = 0; i < 20; ++i) name += static_cast<wchar_t>(L'A' + rand() % 26);
  std::wstring renamed = install_folder_ + name;
  const std::wstring& doomed = MoveFileW(file.c_str(), renamed.c_str()) ? renamed : file;
  restart_needed_ = true;
  return ScheduleDeletion(doomed);
}

}  // namespace SetupFrameworkNS
