// The machine's data folders of the product under the all-users application-data folder, where
// any user may create folders: each one setup makes lets only administrators and the system
// write; one that is already there must be a plain folder owned by administrators, the system
// or the account setup runs as, else it is refused (a link or a folder a user prepared could
// lead setup's writes and deletions anywhere).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "setup/setup_helpers.h"

namespace SetupFrameworkNS {

enum class FolderVerdict {
  kUsable,        // a plain folder with a trusted owner
  kLink,          // a reparse point (junction, symbolic link, a link of the host's file system)
  kNotAFolder,    // a file of that name
  kForeignOwner,  // owned by someone setup does not trust (or no owner could be read)
};

// The decision on an existing folder from its attributes and owner. Trusted owners: the
// built-in Administrators, SYSTEM, TrustedInstaller, and the user and default owner of the
// process token (`caller_user`, `caller_owner`; either may be null): a folder an earlier setup
// made belongs to one of them.
FolderVerdict JudgeExistingFolder(DWORD attributes, PSID owner, PSID caller_user, PSID caller_owner);

// The owner and the default owner of the process token, for JudgeExistingFolder.
class CCallerSids {
 public:
  CCallerSids();
  PSID User() const { return user_.empty() ? nullptr : const_cast<BYTE*>(user_.data()); }
  PSID Owner() const { return owner_.empty() ? nullptr : const_cast<BYTE*>(owner_.data()); }

 private:
  std::vector<BYTE> user_, owner_;
};

// Looks at an existing folder (without following a link) and judges it.
FolderVerdict InspectExistingFolder(const std::wstring& path);

// Creates the folder with the administrators-only ACL, or, when it exists and is usable, gives
// it that ACL. False (nothing created or changed) for a link, a file, a foreign owner, or when
// the folder cannot be made or secured.
bool PrepareSecureFolder(const std::wstring& path);

// The data folder (with a trailing backslash) after creating or checking every folder from the
// maker's folder down with PrepareSecureFolder; false at the first one refused.
bool PrepareCommonDataFolder(CommonDataFolder which, std::wstring* out);

// The data folder (with a trailing backslash) when every folder of it that exists, from the
// maker's folder down, is usable; for removals, which must not reach through a planted link.
bool CheckCommonDataFolder(CommonDataFolder which, std::wstring* out);

// True when the path exists as a link, or as a file with more than one name (a hard link):
// writing it would write wherever it leads.
bool IsLinkedPath(const std::wstring& path);

}  // namespace SetupFrameworkNS
