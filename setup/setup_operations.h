// The setup operations object: the install folders, the files the setup library carries as
// resources written to their places (or for the next restart when in use), the Gecko extension
// packages, XmlLite, the update file, the setup program's copy and the elevation helper; then
// the registration of the Internet Explorer add-on, the tray program with its Run value, the
// uninstall entry and the Start-menu shortcut.
#pragma once

#include <windows.h>

#include <string>

#include "setup/setup_helpers.h"

namespace SetupFrameworkNS {

// Numbers of the "BIN" resources of the setup library.
enum SetupResource : int {
  kResXmlLite64 = 103,
  kResToolbar = 105,  // not carried: every use fails
  kResGeckoPackage = 106,
  kResGeckoPackageFf3 = 109,
  kResElevationHelper = 110,
  kResUpdateData = 111,
  kResTrayProgram = 112,
  kResIEAddon32 = 113,
  kResIEAddon64 = 114,
  kResXmlLite32 = 115,
};

// Installed file names.
extern const wchar_t kIEAddon32Name[];       // "KestrinIE32.dll"
extern const wchar_t kIEAddon64Name[];       // "KestrinIE64.dll"
extern const wchar_t kTrayProgramName[];     // "Kestrin.exe"
extern const wchar_t kElevationHelperName[]; // "Halvorn.exe"
extern const wchar_t kXmlLiteName[];         // "xmllite.dll"
extern const wchar_t kToolbarName[];         // "KestrinToolbarIE.dll"
extern const wchar_t kUninstallKey[];        // HKLM "SOFTWARE\...\Uninstall\Kestrin"
extern const wchar_t kRunKey[];              // HKLM "Software\...\CurrentVersion\Run"
extern const wchar_t kRunOnceKey[];          // HKLM "Software\...\CurrentVersion\RunOnce"
extern const wchar_t kRunValueName[];        // "Kestrin"

// The module that holds this code (the setup library, or the program it is linked into).
HMODULE SetupModule();

// Replaces every "." of the path with "_new." (the name a library in use is written under).
std::wstring AlternativePath(const std::wstring& path);

// A process started by the setup library and waited for: its exit code, or false when it could
// not be started or did not end within the wait.
bool RunAndWait(const std::wstring& program, const std::wstring& parameters, DWORD* exit_code);

class CSetupOperations {
 public:
  explicit CSetupOperations(HMODULE module);
  CSetupOperations(const CSetupOperations&) = delete;
  CSetupOperations& operator=(const CSetupOperations&) = delete;

  // State the framework reads.
  const std::wstring& LastError() const { return last_error_; }
  bool RestartNeeded() const { return restart_needed_; }
  bool KeepUserSettings() const { return keep_user_settings_; }
  void SetKeepUserSettings(bool keep) { keep_user_settings_ = keep; }
  // Install folder with a trailing "\" ("\Torvan\Kestrin\" alone when the program-files folder
  // is unknown); the native one (under WOW64 only, else empty); the same without "\".
  const std::wstring& InstallFolder() const { return install_folder_; }
  const std::wstring& NativeInstallFolder() const { return native_install_folder_; }
  const std::wstring& InstallFolderNoSlash() const { return install_folder_plain_; }
  const std::wstring& TrayPath() const { return tray_path_; }
  // Fills the path fields again from SetupPaths.
  void RefreshPaths();

  // Folders.
  bool CreateInstallFolder();
  bool CreateNativeInstallFolder();
  void RemoveInstallFolder();
  void RemoveNativeInstallFolder();

  // Files.
  bool WriteResourceFile(int resource_id, const std::wstring& target, bool* deferred);
  bool DeleteOrScheduleFile(const std::wstring& path);
  bool ExtractXmlLite();
  bool DeleteXmlLite();
  bool InstallGeckoPackages(DWORD browsers);
  bool RemoveGeckoPackages(DWORD browsers);
  bool InstallUpdateFile();
  bool CopySetupProgram();
  bool ExtractElevationHelper(std::wstring* path);
  bool DeleteSetupCopy();

  // Registration.
  bool InstallIELibraries();
  bool UninstallIELibraries();
  bool RegisterIELibrary(const std::wstring& path, const wchar_t* file_name, bool deferred);
  bool RegisterLibraryNow(const std::wstring& path, bool do_register);
  bool RunRegsvr32(const std::wstring& path, bool do_register);
  bool InstallToolbarLibrary();
  bool UninstallToolbarLibrary();
  bool InstallTray();
  bool RemoveTray();
  bool StartTray();
  bool StartTrayByTask();
  bool WriteUninstallEntry();
  bool DeleteUninstallEntry();
  bool CreateShortcut();

  // The native (64-bit) side is handled next to this one: true under WOW64.
  static bool HasNativeSide();

 private:
  void SetLastErrorText(const std::wstring& text) { last_error_ = text; }
  bool CreateFolders(const std::wstring& program_files);
  void RemoveFolders(const std::wstring& program_files, bool maker_only_when_present);
  bool ScheduleDeletion(const std::wstring& path);
  bool WriteUninstallValues(bool by_tray);
  bool CopySetupProgramTo(const std::wstring& target);

  std::wstring last_error_;
  CResourceExtractor writer_;
  std::wstring install_folder_;
  std::wstring native_install_folder_;
  std::wstring setup_program_name_ = kSetupCopyName;
  std::wstring tray_path_;
  std::wstring install_folder_plain_;
  bool restart_needed_ = false;
  bool keep_user_settings_ = true;
  HMODULE module_;
};

}  // namespace SetupFrameworkNS
