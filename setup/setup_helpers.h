// Shared routines of the setup library: folders and paths of an installation, machine registry
// values, resources written to files, folder trees, registration entries, token membership,
// the installed Internet Explorer version and dotted version texts.
#pragma once

#include <windows.h>
#include "platform/win/scoped_handle.h"

#include <string>

namespace SetupFrameworkNS {

extern const wchar_t kProductVersion[];   // "2.7.0.14"
extern const wchar_t kInstallSubfolder[]; // "\Torvan\Kestrin"
extern const wchar_t kMakerSubfolder[];   // "\Torvan"
extern const wchar_t kSetupCopyName[];    // "KRSetup.exe"
extern const wchar_t kIEToolbarClsid[];
extern const wchar_t kIEAddonClsid[];

// The waits of the setup steps. Tests shorten them; the setup program keeps the defaults.
struct SetupWaits {
  DWORD registration_settle_ms = 1000;  // after a library's registration entry
  DWORD close_request_ms = 1000;        // between close requests to a window
  int close_requests = 11;              // close requests before a window counts as stuck
  DWORD end_deadline_ms = 10000;        // before a program that ignores its close is ended
  DWORD end_step_ms = 200;              // wait steps for a program that is ending
  DWORD task_poll_ms = 1000;            // between looks at a scheduled task's state
  int task_polls = 15;
  DWORD delete_retry_ms = 1000;         // between attempts to delete the tray program
  int delete_attempts = 5;
  DWORD process_deadline_ms = 120000;   // for a registration program to end
};
SetupWaits& Waits();

// The program-files and system folders of this process, read once.
class SetupPaths {
 public:
  static SetupPaths& Get();
  const std::wstring& ProgramFiles() const { return program_files_; }
  const std::wstring& System() const { return system_; }
  // Program-files folder + "\Torvan\Kestrin"; empty when the program-files folder is unknown.
  std::wstring InstallFolder() const;
  // Rereads both folders (tests that change the shell folders).
  void Refresh();

 private:
  SetupPaths() { Refresh(); }
  std::wstring program_files_;
  std::wstring system_;
};

// Dotted version compare: 0 unreadable, 1 equal, 2 first newer, 3 first older.
int CompareDottedVersions(const wchar_t* first, const wchar_t* second);

bool WriteMachineString(const wchar_t* key_path, const wchar_t* text, const wchar_t* value_name);
// Reads a REG_SZ or REG_EXPAND_SZ value that fits 260 characters with its terminator.
// `view` is 0 or KEY_WOW64_32KEY / KEY_WOW64_64KEY.
bool ReadRegistryString(HKEY root, const wchar_t* key_path, const wchar_t* value_name,
                        wchar_t (&out)[MAX_PATH], REGSAM view = 0);
// Creates or opens the HKLM key; on success the handle held in `key` is closed and replaced.
LONG CreateMachineKey(const wchar_t* key_path, REGSAM access, KestrinWinNS::CScopedRegKey* key);

class CResourceExtractor {
 public:
  CResourceExtractor(HMODULE module, std::wstring target_folder)
      : module_(module), folder_(std::move(target_folder)) {}
  ~CResourceExtractor() { FreeLoaded(); }
  CResourceExtractor(const CResourceExtractor&) = delete;
  CResourceExtractor& operator=(const CResourceExtractor&) = delete;

  bool ExtractBin(int resource_id, const wchar_t* file_name, bool replace);
  // Loads a resource, releasing the one loaded before; null when missing.
  const void* LoadResourceData(const wchar_t* name, const wchar_t* type, DWORD* size);

 private:
  void FreeLoaded();
  HMODULE module_;
  std::wstring folder_;
  HGLOBAL loaded_ = nullptr;
};

// Writes bytes to a file as the resource writer does (replace false keeps an existing file).
// A target that exists as a link or with a second name (a hard link) is refused.
bool WriteBytesToFile(const wchar_t* path, const void* data, DWORD size, bool replace);

// True when the caller's token counts as a member of the built-in group with this relative id
// (544 Administrators, 547 Power Users): a group present only to deny access does not count.
bool IsTokenInBuiltinGroup(DWORD relative_id);

bool CallDllRegistration(const wchar_t* library_path, bool do_register);

// Removes a folder with its files and subfolders. A link inside the tree, or the folder itself
// when it is one, is never entered: a junction or symbolic link is removed as the link it is; a
// link of another kind stops the removal (false) and stays with what it points to.
bool RemoveFolderTree(const wchar_t* folder);

int GetIEMajorVersion();
int GetIEVersionClass();
// Forgets the cached IE version (tests that change it).
void ForgetIEVersion();

bool GetSetupCopyPath(std::wstring* out);
bool PrepareSetupCopyPath(std::wstring* out);
bool GetOldTrayPath(std::wstring* out);
bool GetClassServerPath(const wchar_t* clsid, std::wstring* out);
enum class CommonDataFolder { kUpdate, kMaker, kProduct };
bool GetCommonDataFolder(CommonDataFolder which, std::wstring* out);

HRESULT LastErrorAsHResult();

// True when this process runs under WOW64 (and when the answer cannot be had).
bool IsWow64();

// The path's folder: the text up to its last backslash (without it); empty when none.
std::wstring FolderOf(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);

}  // namespace SetupFrameworkNS
