#include "setup/data_folders.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "platform/win/scoped_handle.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedKernelHandle;

namespace {

// SYSTEM and Administrators full control, Users read and execute; inherited by everything
// inside, and not by what lies above.
const wchar_t kAdministratorsOnly[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

bool IsWellKnownOwner(PSID owner) {
  for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(sid);
    if (CreateWellKnownSid(type, nullptr, sid, &size) && EqualSid(owner, sid)) return true;
  }
  PSID installer = nullptr;
  if (!ConvertStringSidToSidW(kTrustedInstaller, &installer)) return false;
  LocalMemory hold(installer);
  return EqualSid(owner, installer) != FALSE;
}

std::vector<BYTE> TokenSid(TOKEN_INFORMATION_CLASS which) {
  CScopedKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return {};
  DWORD size = 0;
  GetTokenInformation(token.Get(), which, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.Get(), which, buffer.data(), size, &size)) return {};
  // TOKEN_USER and TOKEN_OWNER both begin with the SID's address.
  PSID sid = which == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
  if (!sid || !IsValidSid(sid)) return {};
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

// The folders from the maker's folder down to the one asked for.
bool CommonDataChain(CommonDataFolder which, std::vector<std::wstring>* chain) {
  wchar_t base[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, base))) return false;
  std::wstring path = base;
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (path.empty()) return false;
  const int depth = which == CommonDataFolder::kMaker ? 1 : which == CommonDataFolder::kProduct ? 2 : 3;
  const wchar_t* names[] = {L"Torvan", L"Kestrin", L"Update"};
  for (int i = 0; i < depth; ++i) {
    path += L'\\';
    path += names[i];
    if (path.size() >= MAX_PATH) return false;
    chain->push_back(path);
  }
  return true;
}

// The attributes of the entry itself, a link included, without following it.
DWORD OwnAttributes(const std::wstring& path) {
  WIN32_FIND_DATAW found = {};
  KestrinWinNS::CScopedFindHandle search(FindFirstFileW(path.c_str(), &found));
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (search) attributes = attributes == INVALID_FILE_ATTRIBUTES ? found.dwFileAttributes
                                                                 : attributes | found.dwFileAttributes;
  return attributes;
}

CScopedKernelHandle OpenEntry(const std::wstring& path, DWORD access) {
  return CScopedKernelHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

}  // namespace

CCallerSids::CCallerSids() : user_(TokenSid(TokenUser)), owner_(TokenSid(TokenOwner)) {}

FolderVerdict JudgeExistingFolder(DWORD attributes, PSID owner, PSID caller_user, PSID caller_owner) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderVerdict::kLink;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderVerdict::kNotAFolder;
  if (!owner || !IsValidSid(owner)) return FolderVerdict::kForeignOwner;
  if (IsWellKnownOwner(owner)) return FolderVerdict::kUsable;
  if ((caller_user && EqualSid(owner, caller_user)) || (caller_owner && EqualSid(owner, caller_owner)))
    return FolderVerdict::kUsable;
  return FolderVerdict::kForeignOwner;
}

FolderVerdict InspectExistingFolder(const std::wstring& path) {
  DWORD attributes = OwnAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FolderVerdict::kNotAFolder;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderVerdict::kLink;
  CScopedKernelHandle folder = OpenEntry(path, READ_CONTROL | FILE_READ_ATTRIBUTES);
  if (!folder) return FolderVerdict::kForeignOwner;
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(folder.Get(), &info)) return FolderVerdict::kForeignOwner;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(folder.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS)
    return FolderVerdict::kForeignOwner;
  LocalMemory hold(descriptor);
  const CCallerSids caller;
  return JudgeExistingFolder(attributes | info.dwFileAttributes, owner, caller.User(), caller.Owner());
}

bool PrepareSecureFolder(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnly, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  LocalMemory hold(descriptor);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
  if (CreateDirectoryW(path.c_str(), &attributes)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  if (InspectExistingFolder(path) != FolderVerdict::kUsable) return false;
  // A folder of an earlier installation may let users write: from now on it does not.
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present) return false;
  CScopedKernelHandle folder = OpenEntry(path, READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES);
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!folder || !GetFileInformationByHandle(folder.Get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  return SetSecurityInfo(folder.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                         nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

bool PrepareCommonDataFolder(CommonDataFolder which, std::wstring* out) {
  std::vector<std::wstring> chain;
  if (!CommonDataChain(which, &chain)) return false;
  for (const std::wstring& folder : chain)
    if (!PrepareSecureFolder(folder)) return false;
  *out = chain.back() + L"\\";
  return true;
}

bool CheckCommonDataFolder(CommonDataFolder which, std::wstring* out) {
  std::vector<std::wstring> chain;
  if (!CommonDataChain(which, &chain)) return false;
  for (const std::wstring& folder : chain) {
    if (OwnAttributes(folder) == INVALID_FILE_ATTRIBUTES) break;  // nothing below it either
    if (InspectExistingFolder(folder) != FolderVerdict::kUsable) return false;
  }
  *out = chain.back() + L"\\";
  return true;
}

bool IsLinkedPath(const std::wstring& path) {
  const DWORD attributes = OwnAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  CScopedKernelHandle file = OpenEntry(path, FILE_READ_ATTRIBUTES);
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!file || !GetFileInformationByHandle(file.Get(), &info)) return false;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1;
}

}  // namespace SetupFrameworkNS
