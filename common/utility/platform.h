// Windows version classification, version texts, the tray program and shared registry helpers.
#pragma once

#include <windows.h>

namespace UtilityClassesNS {

// OS classes: 1 Windows 95, 2 98, 3 Me, 4 NT 4, 5 2000, 6 XP, 7 Server 2003, 8 Vista,
// 0 anything else (Windows 7 and later included).
enum OSClass {
  OS_UNKNOWN = 0, OS_WIN95 = 1, OS_WIN98 = 2, OS_WINME = 3, OS_WINNT = 4,
  OS_WIN2000 = 5, OS_WINXP = 6, OS_WIN2003 = 7, OS_VISTA = 8
};

int GetOSClass();
// Classifies a platform id and version as GetOSClass does (exposed for tests).
int ClassifyOSVersion(DWORD platform_id, DWORD major, DWORD minor);
const char* GetOSDescription();

bool GetProductVersionOfFile(const char* path, char* out, size_t out_size);
// Mode 1 reads the version of the registered add-on control; any other mode gives the
// version of this build.
bool GetProductVersion(char* out, size_t out_size, int mode);

extern const char kTrayMutexName[];        // "DravixTaskTrayLoadMutex"
extern const char kRunKeyPath[];            // HKLM Run key
extern const char kRunValueName[];          // "Kestrin"
extern const char kHallmarkKeyPath[];       // HKCU hallmark store

bool IsTrayProgramRunning();
bool LaunchTrayProgram();

class CSystemFolders {
 public:
  CSystemFolders();
  const char* ProgramFiles() const { return program_files_; }
  const char* System() const { return system_; }
  bool GetInstallFolder(char* out, size_t out_size) const;

 private:
  char program_files_[MAX_PATH];
  char system_[MAX_PATH];
};

// One static buffer, overwritten by the next call.
const char* GetHallmarkKeyPath(int key_index, int sub_index);

bool WriteRegistryString(HKEY root, const char* key_path, const char* value_name, const char* text);
bool WriteRegistryBinary(HKEY root, const char* key_path, const char* value_name, const void* data,
                         DWORD length);

const char* GetIE32AddonFileName();
const char* GetIE64AddonFileName();

}  // namespace UtilityClassesNS
