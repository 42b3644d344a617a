#include "setup/setup_helpers.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>

#include <vector>

#include "platform/win/scoped_handle.h"
#include "setup/data_folders.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedFindHandle;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;

const wchar_t kProductVersion[] = L"2.7.0.14";
const wchar_t kInstallSubfolder[] = L"\\Torvan\\Kestrin";
const wchar_t kMakerSubfolder[] = L"\\Torvan";
const wchar_t kSetupCopyName[] = L"KRSetup.exe";
const wchar_t kIEToolbarClsid[] = L"{47687892-B499-4521-8BD3-603AF69CEB32}";
const wchar_t kIEAddonClsid[] = L"{60F0F632-E1EE-4B8C-A1C5-7374A190B5E7}";

SetupWaits& Waits() {
  static SetupWaits waits;
  return waits;
}

namespace {

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return std::wstring();
  std::wstring text(path);
  if (!text.empty() && (text.back() == L'\\' || text.back() == L'/')) text.pop_back();
  return text;
}

int g_ie_major = 0;

}  // namespace

SetupPaths& SetupPaths::Get() {
  static SetupPaths paths;
  return paths;
}

void SetupPaths::Refresh() {
  program_files_ = ShellFolder(CSIDL_PROGRAM_FILES);
  system_ = ShellFolder(CSIDL_SYSTEM);
}

std::wstring SetupPaths::InstallFolder() const {
  if (program_files_.empty()) return std::wstring();
  return program_files_ + kInstallSubfolder;
}

int CompareDottedVersions(const wchar_t* first, const wchar_t* second) {
  if (!first || !second) return 0;
  int a[4], b[4];
  if (swscanf(first, L"%d.%d.%d.%d", &a[0], &a[1], &a[2], &a[3]) != 4) return 0;
  if (swscanf(second, L"%d.%d.%d.%d", &b[0], &b[1], &b[2], &b[3]) != 4) return 0;
  for (int i = 0; i < 4; ++i) {
    if (a[i] != b[i]) return a[i] > b[i] ? 2 : 3;
  }
  return 1;
}

bool WriteMachineString(const wchar_t* key_path, const wchar_t* text, const wchar_t* value_name) {
  CScopedRegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.Get(), value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) ==
         ERROR_SUCCESS;
}

bool ReadRegistryString(HKEY root, const wchar_t* key_path, const wchar_t* value_name,
                        wchar_t (&out)[MAX_PATH], REGSAM view) {
  CScopedRegKey key;
  if (RegOpenKeyExW(root, key_path, 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return false;
  DWORD type = 0, bytes = sizeof(out);
  if (RegQueryValueExW(key.Get(), value_name, nullptr, &type, reinterpret_cast<BYTE*>(out), &bytes) !=
      ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  // The value must carry its own terminator.
  size_t chars = bytes / sizeof(wchar_t);
  if (chars == 0 || out[chars - 1] != L'\0') return false;
  return true;
}

LONG CreateMachineKey(const wchar_t* key_path, REGSAM access, KestrinWinNS::CScopedRegKey* key) {
  HKEY created = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, 0, access, nullptr, &created,
                                nullptr);
  if (status == ERROR_SUCCESS) key->Reset(created);
  return status;
}

void CResourceExtractor::FreeLoaded() {
  if (loaded_) FreeResource(loaded_);
  loaded_ = nullptr;
}

const void* CResourceExtractor::LoadResourceData(const wchar_t* name, const wchar_t* type, DWORD* size) {
  FreeLoaded();
  *size = 0;
  HRSRC found = FindResourceW(module_, name, type);
  if (!found) return nullptr;
  loaded_ = LoadResource(module_, found);
  if (!loaded_) return nullptr;
  *size = SizeofResource(module_, found);
  return LockResource(loaded_);
}

bool WriteBytesToFile(const wchar_t* path, const void* data, DWORD size, bool replace) {
  // A link or a second name planted where setup writes would carry the bytes elsewhere.
  if (IsLinkedPath(path)) return false;
  if (!replace) {
    CScopedKernelHandle existing(CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
    if (existing) return true;
    if (GetLastError() == 0) return true;
  }
  CScopedKernelHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (!WriteFile(file.Get(), data, size, &written, nullptr) || written != size) return false;
  FlushFileBuffers(file.Get());
  return true;
}

bool CResourceExtractor::ExtractBin(int resource_id, const wchar_t* file_name, bool replace) {
  DWORD size = 0;
  const void* data = LoadResourceData(MAKEINTRESOURCEW(resource_id), L"BIN", &size);
  if (!data) return false;
  wchar_t path[MAX_PATH];
  if (folder_.size() >= MAX_PATH) return false;
  wcscpy(path, folder_.c_str());
  if (!PathAppendW(path, file_name)) return false;
  if (!WriteBytesToFile(path, data, size, replace)) return false;
  FreeLoaded();
  return true;
}

bool IsTokenInBuiltinGroup(DWORD relative_id) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID group = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, relative_id, 0, 0, 0, 0, 0, 0, &group))
    return false;
  // The membership check of the system: the thread's token when it impersonates, else the
  // process token; groups enabled for access only (never deny-only ones).
  BOOL member = FALSE;
  bool ok = CheckTokenMembership(nullptr, group, &member) != FALSE;
  FreeSid(group);
  return ok && member;
}

bool CallDllRegistration(const wchar_t* library_path, bool do_register) {
  CScopedLibrary library(LoadLibraryW(library_path));
  if (!library) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto entry = reinterpret_cast<Entry>(
      GetProcAddress(library.Get(), do_register ? "DllRegisterServer" : "DllUnregisterServer"));
  if (!entry) return false;
  HRESULT hr = entry();
  if (Waits().registration_settle_ms) Sleep(Waits().registration_settle_ms);
  return SUCCEEDED(hr);
}

namespace {

// Removes a link found inside a tree without entering it. Only links that carry the tag of a
// junction or a symbolic link are removed (as the entry they are); a link of any other kind
// (for instance one of the host's file system, as Wine shows it) is left alone: removing it
// through the folder functions could reach what it points to.
bool RemoveLink(const std::wstring& path, const WIN32_FIND_DATAW& data) {
  if (data.dwReserved0 != IO_REPARSE_TAG_MOUNT_POINT && data.dwReserved0 != IO_REPARSE_TAG_SYMLINK) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.c_str(), data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(path.c_str()) != FALSE;
  return DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace

bool RemoveFolderTree(const wchar_t* folder) {
  if (!folder || !*folder) return false;
  std::wstring base(folder);
  while (base.size() > 3 && base.back() == L'\\') base.pop_back();
  if (base.size() + 2 >= MAX_PATH) return false;
  // The folder itself may be the link: it goes as a link, never what it leads to.
  const DWORD own = GetFileAttributesW(base.c_str());
  if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW self;
    CScopedFindHandle entry(FindFirstFileW(base.c_str(), &self));
    return entry && RemoveLink(base, self);
  }
  WIN32_FIND_DATAW data;
  CScopedFindHandle find(FindFirstFileW((base + L"\\*").c_str(), &data));
  if (!find) return false;
  do {
    if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) continue;
    std::wstring path = base + L"\\" + data.cFileName;
    if (path.size() >= MAX_PATH) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      if (!RemoveLink(path, data)) return false;
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!RemoveFolderTree(path.c_str())) return false;
    } else {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
      if (!DeleteFileW(path.c_str())) return false;
    }
  } while (FindNextFileW(find.Get(), &data));
  if (GetLastError() != ERROR_NO_MORE_FILES) return false;
  find.Reset();
  return RemoveDirectoryW(base.c_str()) != FALSE;
}

int GetIEMajorVersion() {
  if (g_ie_major != 0) return g_ie_major;
  wchar_t text[MAX_PATH];
  unsigned major = 0;
  if (ReadRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", L"Version", text,
                         KEY_WOW64_32KEY) &&
      swscanf(text, L"%u.", &major) == 1)
    g_ie_major = static_cast<int>(major);
  return g_ie_major;
}

int GetIEVersionClass() {
  switch (GetIEMajorVersion()) {
    case 5: return 1;
    case 6: return 2;
    case 7: return 3;
    case 8: return 4;
    default: return 0;
  }
}

void ForgetIEVersion() { g_ie_major = 0; }

bool GetSetupCopyPath(std::wstring* out) {
  const std::wstring& pf = SetupPaths::Get().ProgramFiles();
  if (pf.empty()) return false;
  *out = pf + kInstallSubfolder + L"\\" + kSetupCopyName;
  return true;
}

bool PrepareSetupCopyPath(std::wstring* out) {
  const std::wstring& pf = SetupPaths::Get().ProgramFiles();
  if (pf.empty()) return false;
  CreateDirectoryW((pf + kMakerSubfolder).c_str(), nullptr);
  CreateDirectoryW((pf + kInstallSubfolder).c_str(), nullptr);
  return GetSetupCopyPath(out);
}

bool GetOldTrayPath(std::wstring* out) {
  wchar_t windows[MAX_PATH];
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  *out = std::wstring(windows) + L"\\Downloaded Program Files\\DravixTray.exe";
  return true;
}

bool GetClassServerPath(const wchar_t* clsid, std::wstring* out) {
  wchar_t value[MAX_PATH];
  std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
  if (!ReadRegistryString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, value)) return false;
  *out = value;
  return true;
}

bool GetCommonDataFolder(CommonDataFolder which, std::wstring* out) {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path))) return false;
  const wchar_t* tail = which == CommonDataFolder::kUpdate ? L"\\Torvan\\Kestrin\\Update\\"
                        : which == CommonDataFolder::kMaker ? L"\\Torvan\\"
                                                            : L"\\Torvan\\Kestrin\\";
  if (!PathAppendW(path, tail)) return false;
  *out = path;
  return true;
}

HRESULT LastErrorAsHResult() {
  DWORD error = GetLastError();
  if (static_cast<LONG>(error) <= 0) return static_cast<HRESULT>(error);
  return static_cast<HRESULT>(0x80070000u | (error & 0xFFFF));
}

bool IsWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto fn = reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process"));
  if (!fn) return false;
  BOOL wow64 = FALSE;
  if (!fn(GetCurrentProcess(), &wow64)) return true;
  return wow64 != FALSE;
}

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace SetupFrameworkNS
