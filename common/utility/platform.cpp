#include "common/utility/platform.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <new>

#include "common/utility/mutex.h"
#include "platform/win/module.h"
#include "platform/win/scoped_handle.h"

namespace UtilityClassesNS {

const char kTrayMutexName[] = "DravixTaskTrayLoadMutex";
const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "Kestrin";
const char kHallmarkKeyPath[] = "SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks";

namespace {

const char kBuildVersion[] = "2.7.0.14";
const char kControlServerKey[] = "CLSID\\{58B69FE4-29DE-4862-A049-81F914D5644B}\\InprocServer32";

const char* const kOSTexts[] = {
    "Windows version undefined.", "Microsoft Windows 95", "Microsoft Windows 98",
    "Microsoft Windows Me",       "Microsoft Windows NT", "Microsoft Windows 2000",
    "Microsoft Windows XP",       "Microsoft Windows 2003", "Microsoft Windows Vista",
};

int g_os_class = 0;
const char* g_os_description = nullptr;

// Reads a string value that must fit `size` bytes with its terminator.
bool ReadTerminatedString(HKEY key, const char* value, char* out, DWORD size, bool empty_ok) {
  DWORD type = 0, got = size;
  if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(out), &got) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (got == 0) {
    if (!empty_ok) return false;
    out[0] = '\0';
    return true;
  }
  return out[got - 1] == '\0';
}

}  // namespace

int ClassifyOSVersion(DWORD platform_id, DWORD major, DWORD minor) {
  if (platform_id == VER_PLATFORM_WIN32_WINDOWS && major == 4) {
    if (minor == 0) return OS_WIN95;
    if (minor == 10) return OS_WIN98;
    if (minor == 90) return OS_WINME;
    return OS_UNKNOWN;
  }
  if (platform_id == VER_PLATFORM_WIN32_NT) {
    if (major <= 4) return OS_WINNT;
    if (major == 5 && minor == 0) return OS_WIN2000;
    if (major == 5 && minor == 1) return OS_WINXP;
    if (major == 5 && minor == 2) return OS_WIN2003;
    if (major == 6 && minor == 0) return OS_VISTA;
  }
  return OS_UNKNOWN;
}

int GetOSClass() {
  if (g_os_class != 0) return g_os_class;
  OSVERSIONINFOEXA info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return OS_UNKNOWN;
  }
  g_os_class = ClassifyOSVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
  return g_os_class;
}

const char* GetOSDescription() {
  if (!g_os_description) g_os_description = kOSTexts[GetOSClass()];
  return g_os_description;
}

bool GetProductVersionOfFile(const char* path, char* out, size_t out_size) {
  if (!path || !out || out_size == 0) return false;
  // The version library is loaded when a file's version is first asked for.
  static const auto get_size =
      KestrinWinNS::SystemFunctionAs<decltype(&GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA");
  static const auto get_info =
      KestrinWinNS::SystemFunctionAs<decltype(&GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
  static const auto query = KestrinWinNS::SystemFunctionAs<decltype(&VerQueryValueA)>("version.dll", "VerQueryValueA");
  if (!get_size || !get_info || !query) return false;
  DWORD ignored = 0;
  DWORD size = get_size(path, &ignored);
  if (size == 0) return false;
  char* data = new (std::nothrow) char[size];
  if (!data) return false;
  bool ok = false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (get_info(path, 0, size, data) && query(data, "\\", reinterpret_cast<void**>(&fixed), &fixed_size) && fixed &&
      fixed_size == sizeof(VS_FIXEDFILEINFO)) {
    int n = _snprintf(out, out_size, "%d.%d.%d.%d", HIWORD(fixed->dwProductVersionMS),
                      LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                      LOWORD(fixed->dwProductVersionLS));
    ok = n >= 0 && static_cast<size_t>(n) < out_size;
    if (!ok) out[0] = '\0';
  }
  delete[] data;
  return ok;
}

bool GetProductVersion(char* out, size_t out_size, int mode) {
  if (!out || out_size == 0) return false;
  if (mode != 1) {
    if (out_size <= strlen(kBuildVersion)) return false;
    strcpy(out, kBuildVersion);
    return true;
  }
  KestrinWinNS::CScopedRegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kControlServerKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  char path[MAX_PATH];
  bool ok = ReadTerminatedString(key.Get(), nullptr, path, sizeof(path), false);
  return ok && GetProductVersionOfFile(path, out, out_size);
}

bool IsTrayProgramRunning() {
  CMutexHolder holder(kTrayMutexName, 1);
  return holder.Get()->IsCreator() != S_FALSE;
}

bool LaunchTrayProgram() {
  char program[MAX_PATH + 1];
  {
    KestrinWinNS::CScopedRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
    if (!ReadTerminatedString(key.Get(), kRunValueName, program, sizeof(program), true)) return false;
  }
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof(process));
  if (!CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  KestrinWinNS::CScopedKernelHandle thread(process.hThread), started(process.hProcess);
  return true;
}

namespace {

void ReadFolder(int csidl, char* out) {
  out[0] = '\0';
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, out))) {
    out[0] = '\0';
    return;
  }
  size_t len = strlen(out);
  if (len > 0 && (out[len - 1] == '\\' || out[len - 1] == '/')) out[len - 1] = '\0';
}

}  // namespace

CSystemFolders::CSystemFolders() {
  ReadFolder(CSIDL_PROGRAM_FILES, program_files_);
  ReadFolder(CSIDL_SYSTEM, system_);
}

bool CSystemFolders::GetInstallFolder(char* out, size_t out_size) const {
  if (!out || program_files_[0] == '\0') return false;
  int n = _snprintf(out, out_size, "%s%s", program_files_, "\\Torvan\\Kestrin");
  if (n < 0 || static_cast<size_t>(n) >= out_size) {
    if (out_size) out[0] = '\0';
    return false;
  }
  return true;
}

const char* GetHallmarkKeyPath(int key_index, int sub_index) {
  static char buffer[MAX_PATH];
  if (key_index != 0)
    _snprintf(buffer, sizeof(buffer), "%s\\%d\\%d", kHallmarkKeyPath, sub_index, key_index);
  else
    _snprintf(buffer, sizeof(buffer), "%s\\%d", kHallmarkKeyPath, sub_index);
  buffer[sizeof(buffer) - 1] = '\0';
  return buffer;
}

namespace {

bool WriteRegistryValue(HKEY root, const char* key_path, const char* value_name, DWORD type,
                        const void* data, DWORD length) {
  KestrinWinNS::CScopedRegKey key;
  if (RegCreateKeyExA(root, key_path, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(key.Get(), value_name, 0, type, static_cast<const BYTE*>(data), length) == ERROR_SUCCESS;
}

}  // namespace

bool WriteRegistryString(HKEY root, const char* key_path, const char* value_name, const char* text) {
  if (!text) return false;
  return WriteRegistryValue(root, key_path, value_name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
}

bool WriteRegistryBinary(HKEY root, const char* key_path, const char* value_name, const void* data,
                         DWORD length) {
  return WriteRegistryValue(root, key_path, value_name, REG_BINARY, data, length);
}

const char* GetIE32AddonFileName() { return "KestrinIE32.dll"; }
const char* GetIE64AddonFileName() { return "KestrinIE64.dll"; }

}  // namespace UtilityClassesNS
