// Clean-up of earlier versions and of the users' data: every profile's hive, the per-user
// settings (kept or removed), the Start-menu folders, the old files and registry names, and the
// install folder's entry in the machine PATH.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win/scoped_handle.h"

namespace SetupFrameworkNS {

// The waits of the clean-up. Tests shorten them; the setup program keeps the defaults.
struct CleanupWaits {
  int delete_attempts = 5;          // tries before a file is left to the next restart
  DWORD delete_retry_ms = 1000;     // after each failed try
  DWORD broadcast_timeout_ms = 5000;  // per window for the environment broadcast
};
CleanupWaits& CleanupTimings();

// The clean-up steps in their order, from the users' hives on (the caller removes the uninstall
// entry first when `full`); `full` also removes the old Programs folder, the old files, the PATH
// entry and the old registry names. No step's result stops the rest.
void RunCleanupSteps(bool full, bool keep_user_settings);

// With true enables the backup and restore privileges and loads every profile's hive under
// HKEY_USERS, named like the profile's folder; with false unloads those hives.
bool LoadUserHives(bool load);
bool EnablePrivileges(const wchar_t* first, const wchar_t* second);
// Deletes `subkey` of `key_path` in every hive under HKEY_USERS; without a subkey name the key
// path's last part is the key to delete. Without `recursive` only a key without subkeys goes.
void DeleteKeyInAllUsers(const wchar_t* key_path, const wchar_t* subkey, bool recursive);
// Opens the key path below `root` without following a link at any step; false when a key on the
// way is a link or cannot be opened.
bool OpenKeyWithoutLinks(HKEY root, const std::wstring& path, REGSAM access, KestrinWinNS::CScopedRegKey* out);
// Deletes the subkey `name` of `parent` (with all its subkeys when `recursive`, else only when
// it has none). A link key, the subkey itself or one found below it, is deleted as the link:
// what it leads to stays.
bool DeleteKeyKeepingLinks(HKEY parent, const wchar_t* name, bool recursive);
// Keep true: the current user's hallmarks go and the update check is made due; keep false: the
// settings key goes from every user's hive (and its parent where nothing else is left).
void CleanupUserSettings(bool keep_user_settings);
// The current and the old Start-menu folder under "Common Programs"; false (nothing touched)
// when that folder is not known or empty.
bool RemoveStartMenuFolder();
bool RemoveOldStartMenuFolder();
void RemoveOldFiles();
// Deletes the file, retrying; after the last try leaves it to the next restart.
bool DeleteFileWithRetry(const wchar_t* path);
// One pass over the machine PATH: false removes the install folder's entries that a separator
// follows, true the entry at the end. Only whole entries go; the PATH is read and written
// whatever its length. False (PATH untouched) when the program-files folder is not known.
bool RemoveFromPath(bool trailing_separator);
void RemoveOldRegistry();

// The PATH text without the whole entries equal to `entry` (letter case ignored): with
// `trailing_separator` false those followed by a ";" (each with that ";"), with true the last
// entry (with the ";" before it). `removed` tells whether anything went.
std::wstring RemovePathEntries(const std::wstring& path, const std::wstring& entry, bool trailing_separator,
                               bool* removed);
// The install folder's PATH entry: the install folder with a trailing "\".
std::wstring InstallPathEntry();

}  // namespace SetupFrameworkNS
