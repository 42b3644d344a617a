// Clean-up of earlier versions and of the users' data.
#include "setup/cleanup.h"

#include <shlwapi.h>
#include <userenv.h>

#include <vector>

#include "common/settings/settings.h"
#include "platform/win/scoped_handle.h"
#include "setup/setup_helpers.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedFindHandle;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;

namespace {

const REGSAM kFullAccess = 0x2001F;
const wchar_t kShellFoldersKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t kEnvironmentKey[] = L"System\\CurrentControlSet\\Control\\Session Manager\\Environment";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool IsDots(const wchar_t* name) { return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0; }

// Deletes the files directly inside `folder` (subfolders are not entered), then the folder.
void DeleteFolderFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW found = {};
  CScopedFindHandle search(FindFirstFileW((folder + L"\\*.*").c_str(), &found));
  if (search) {
    do {
      if (IsDots(found.cFileName)) continue;
      DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search.Get(), &found));
  }
  RemoveDirectoryW(folder.c_str());
}

// False when the value is missing or empty: an empty folder would put the Start-menu folders
// at the root of the current drive.
bool CommonProgramsFolder(std::wstring* out) {
  wchar_t text[MAX_PATH] = {};
  if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kShellFoldersKey, L"Common Programs", text) || !text[0]) return false;
  *out = text;
  return true;
}

// A REG_SZ or REG_EXPAND_SZ value of any length; false when missing or of another type.
bool ReadAnyLengthString(HKEY key, const wchar_t* name, std::wstring* out) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    DWORD type = 0, bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status == ERROR_MORE_DATA) {
      buffer.resize(bytes / sizeof(wchar_t) + 2);
      continue;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    size_t chars = bytes / sizeof(wchar_t);
    while (chars > 0 && buffer[chars - 1] == L'\0') --chars;
    out->assign(buffer.data(), chars);
    return true;
  }
}

bool IsLinkKey(HKEY key) {
  DWORD type = 0, bytes = 0;
  return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
         type == REG_LINK;
}

// Deletes the key the handle stands for (opened with the link option: a link goes as the link).
// Refused while the key has subkeys.
bool DeleteOpenedKey(HKEY key) {
  using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
  static const auto nt_delete_key =
      reinterpret_cast<NtDeleteKeyFn>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtDeleteKey"));
  return nt_delete_key && nt_delete_key(key) >= 0;
}

}  // namespace

bool OpenKeyWithoutLinks(HKEY root, const std::wstring& path, REGSAM access, CScopedRegKey* out) {
  CScopedRegKey current;
  HKEY parent = root;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find(L'\\', start);
    const std::wstring name = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    const REGSAM wanted = end == std::wstring::npos ? access | KEY_QUERY_VALUE : KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    CScopedRegKey next;
    if (RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, wanted, next.Receive()) != ERROR_SUCCESS ||
        IsLinkKey(next.Get()))
      return false;
    current = std::move(next);
    parent = current.Get();
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  *out = std::move(current);
  return true;
}

bool DeleteKeyKeepingLinks(HKEY parent, const wchar_t* name, bool recursive) {
  CScopedRegKey key;
  if (RegOpenKeyExW(parent, name, REG_OPTION_OPEN_LINK, KEY_READ | DELETE, key.Receive()) != ERROR_SUCCESS)
    return false;
  // A link is deleted itself; the key it leads to, and everything below that, stays.
  if (IsLinkKey(key.Get())) return DeleteOpenedKey(key.Get());
  if (recursive) {
    for (;;) {
      wchar_t child[256];
      DWORD length = 256;
      const LONG status = RegEnumKeyExW(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS || !DeleteKeyKeepingLinks(key.Get(), child, true)) return false;
    }
  }
  return DeleteOpenedKey(key.Get());
}

CleanupWaits& CleanupTimings() {
  static CleanupWaits waits;
  return waits;
}

void RunCleanupSteps(bool full, bool keep_user_settings) {
  LoadUserHives(true);
  CleanupUserSettings(keep_user_settings);
  RemoveStartMenuFolder();
  if (full) {
    RemoveOldStartMenuFolder();
    RemoveOldFiles();
    RemoveFromPath(false);
    RemoveFromPath(true);
    RemoveOldRegistry();
  }
  LoadUserHives(false);
}

bool EnablePrivileges(const wchar_t* first, const wchar_t* second) {
  struct {
    DWORD count;
    LUID_AND_ATTRIBUTES privileges[2];
  } wanted = {2, {}};
  if (!LookupPrivilegeValueW(nullptr, first, &wanted.privileges[0].Luid) ||
      !LookupPrivilegeValueW(nullptr, second, &wanted.privileges[1].Luid))
    return false;
  wanted.privileges[0].Attributes = wanted.privileges[1].Attributes = SE_PRIVILEGE_ENABLED;
  CScopedKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()))
    return false;
  return AdjustTokenPrivileges(token.Get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted), 0, nullptr,
                               nullptr) != FALSE;
}

bool LoadUserHives(bool load) {
  if (load && !EnablePrivileges(L"SeRestorePrivilege", L"SeBackupPrivilege")) return false;
  wchar_t profiles[MAX_PATH] = {};
  DWORD chars = MAX_PATH;
  if (!GetProfilesDirectoryW(profiles, &chars)) return false;
  const std::wstring folder = profiles;
  WIN32_FIND_DATAW found = {};
  CScopedFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return true;
  do {
    if (IsDots(found.cFileName) || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (load)
      RegLoadKeyW(HKEY_USERS, found.cFileName, (folder + L"\\" + found.cFileName + L"\\NTUSER.dat").c_str());
    else
      RegUnLoadKeyW(HKEY_USERS, found.cFileName);
  } while (FindNextFileW(search.Get(), &found));
  return true;
}

void DeleteKeyInAllUsers(const wchar_t* key_path, const wchar_t* subkey, bool recursive) {
  std::wstring parent = key_path, name;
  if (subkey) {
    name = subkey;
  } else {
    size_t last = parent.rfind(L'\\');
    if (last == std::wstring::npos) {
      name = parent;
      parent.clear();
    } else {
      name = parent.substr(last + 1);
      parent.resize(last);
    }
  }
  CScopedRegKey users;
  if (RegOpenKeyExW(HKEY_USERS, nullptr, 0, KEY_ALL_ACCESS, users.Receive()) != ERROR_SUCCESS) return;
  for (DWORD index = 0;; ++index) {
    wchar_t hive[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    LONG status = RegEnumKeyExW(users.Get(), index, hive, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    std::wstring path = parent.empty() ? std::wstring(hive) : std::wstring(hive) + L"\\" + parent;
    // No key on the way may be a link: a user's hive could lead the deletion into any key.
    CScopedRegKey key;
    if (!OpenKeyWithoutLinks(users.Get(), path, kFullAccess, &key)) continue;
    DeleteKeyKeepingLinks(key.Get(), name.c_str(), recursive);  // without recursive: only when it has no subkeys
  }
}

void CleanupUserSettings(bool keep_user_settings) {
  if (!keep_user_settings) {
    DeleteKeyInAllUsers(L"SOFTWARE\\TorvanGroup", L"DRAVIX", true);
    DeleteKeyInAllUsers(L"SOFTWARE\\TorvanGroup", nullptr, false);
    return;
  }
  CScopedRegKey settings_key;
  if (!OpenKeyWithoutLinks(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix", kFullAccess, &settings_key)) return;
  DeleteKeyKeepingLinks(settings_key.Get(), L"Hallmarks", true);
  settings_key.Reset();
  SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupNone);
  settings.m_SslVerifyUpdate = 0;
  settings.SaveValue(SettingsUtilsNS::kMaskSslVerifyUpdate);  // broadcasts event 1 when saved
}

bool RemoveStartMenuFolder() {
  std::wstring programs;
  if (!CommonProgramsFolder(&programs)) return false;
  const std::wstring folder = programs + L"\\Torvan\\Kestrin";
  DeleteFolderFiles(folder);
  RemoveDirectoryW(FolderOf(folder).c_str());  // only when empty
  return true;
}

bool RemoveOldStartMenuFolder() {
  std::wstring programs;
  if (!CommonProgramsFolder(&programs)) return false;
  DeleteFolderFiles(programs + L"\\Kestrin");
  return true;
}

void RemoveOldFiles() {
  const std::wstring& program_files = SetupPaths::Get().ProgramFiles();
  if (!program_files.empty()) {
    const std::wstring folder = program_files + kMakerSubfolder + L"\\";
    const std::wstring old_library = folder + L"Dravix.dll";
    if (FileExists(old_library)) {
      CallDllRegistration(old_library.c_str(), false);
      DeleteFileWithRetry(old_library.c_str());
    }
    for (const wchar_t* name : {L"kr_gecko.dll", L"Kestrin.exe", L"Dravix.dll", L"kr_ff.dll"}) {
      const std::wstring path = folder + name;
      if (FileExists(path)) DeleteFileWithRetry(path.c_str());
    }
  }
  wchar_t windows[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::wstring old_tray = std::wstring(windows) + L"\\Downloaded Program Files\\DravixTray.exe";
  if (FileExists(old_tray)) DeleteFileWithRetry(old_tray.c_str());
}

bool DeleteFileWithRetry(const wchar_t* path) {
  const CleanupWaits& waits = CleanupTimings();
  for (int attempt = 0; attempt < waits.delete_attempts; ++attempt) {
    if (DeleteFileW(path)) return true;
    if (waits.delete_retry_ms) Sleep(waits.delete_retry_ms);
  }
  return MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

std::wstring InstallPathEntry() {
  return SetupPaths::Get().ProgramFiles() + kInstallSubfolder + L"\\";
}

std::wstring RemovePathEntries(const std::wstring& path, const std::wstring& entry, bool trailing_separator,
                               bool* removed) {
  *removed = false;
  std::vector<std::wstring> entries;
  for (size_t start = 0;;) {
    size_t end = path.find(L';', start);
    entries.push_back(path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  auto is_ours = [&entry](const std::wstring& text) {
    return !entry.empty() && _wcsicmp(text.c_str(), entry.c_str()) == 0;
  };
  std::wstring result;
  bool first = true;
  for (size_t i = 0; i < entries.size(); ++i) {
    const bool last = i + 1 == entries.size();
    if (last == trailing_separator && is_ours(entries[i])) {
      *removed = true;
      continue;
    }
    if (!first) result += L';';
    result += entries[i];
    first = false;
  }
  return *removed ? result : path;
}

bool RemoveFromPath(bool trailing_separator) {
  // Without the program-files folder the entry would be "\Torvan\Kestrin\", a folder at the
  // root of whatever drive is current, which is not the install folder.
  if (SetupPaths::Get().ProgramFiles().empty()) return false;
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, kFullAccess, key.Receive()) != ERROR_SUCCESS)
    return false;
  std::wstring path;
  if (!ReadAnyLengthString(key.Get(), L"PATH", &path)) path.clear();
  bool removed = false;
  const std::wstring cleaned = RemovePathEntries(path, InstallPathEntry(), trailing_separator, &removed);
  if (!removed) return true;
  const DWORD bytes = static_cast<DWORD>((cleaned.size() + 1) * sizeof(wchar_t));
  if (RegSetValueExW(key.Get(), L"PATH", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(cleaned.c_str()), bytes) !=
      ERROR_SUCCESS)
    return false;
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                      SMTO_ABORTIFHUNG, CleanupTimings().broadcast_timeout_ms, &answer);
  return true;
}

void RemoveOldRegistry() {
  DeleteKeyInAllUsers(L"SOFTWARE\\Torvan", L"DRAVIX", true);
  DeleteKeyInAllUsers(L"SOFTWARE\\Torvan", nullptr, false);
  CScopedRegKey run;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, kFullAccess, run.Receive()) == ERROR_SUCCESS)
    RegDeleteValueW(run.Get(), L"DravixTray");
}

}  // namespace SetupFrameworkNS
