#include "setup/setup_operations.h"

namespace SetupFrameworkNS {

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

HMODULE SetupModule() { return nullptr; }
std::wstring AlternativePath(const std::wstring& path) { return path; }
bool RunAndWait(const std::wstring&, const std::wstring&, DWORD*) { return false; }

CSetupOperations::CSetupOperations(HMODULE module) : writer_(module, std::wstring()), module_(module) {}
void CSetupOperations::RefreshPaths() {}
bool CSetupOperations::CreateInstallFolder() { return false; }
bool CSetupOperations::CreateNativeInstallFolder() { return false; }
void CSetupOperations::RemoveInstallFolder() { }
void CSetupOperations::RemoveNativeInstallFolder() { }
bool CSetupOperations::WriteResourceFile(int, const std::wstring&, bool*) { return false; }
bool CSetupOperations::DeleteOrScheduleFile(const std::wstring&) { return false; }
bool CSetupOperations::ExtractXmlLite() { return false; }
bool CSetupOperations::DeleteXmlLite() { return false; }
bool CSetupOperations::InstallGeckoPackages(DWORD) { return false; }
bool CSetupOperations::RemoveGeckoPackages(DWORD) { return false; }
bool CSetupOperations::InstallUpdateFile() { return false; }
bool CSetupOperations::CopySetupProgram() { return false; }
bool CSetupOperations::ExtractElevationHelper(std::wstring*) { return false; }
bool CSetupOperations::DeleteSetupCopy() { return false; }
bool CSetupOperations::InstallIELibraries() { return false; }
bool CSetupOperations::UninstallIELibraries() { return false; }
bool CSetupOperations::RegisterIELibrary(const std::wstring&, const wchar_t*, bool) { return false; }
bool CSetupOperations::RegisterLibraryNow(const std::wstring&, bool) { return false; }
bool CSetupOperations::RunRegsvr32(const std::wstring&, bool) { return false; }
bool CSetupOperations::InstallToolbarLibrary() { return false; }
bool CSetupOperations::UninstallToolbarLibrary() { return false; }
bool CSetupOperations::InstallTray() { return false; }
bool CSetupOperations::RemoveTray() { return false; }
bool CSetupOperations::StartTray() { return false; }
bool CSetupOperations::StartTrayByTask() { return false; }
bool CSetupOperations::WriteUninstallEntry() { return false; }
bool CSetupOperations::DeleteUninstallEntry() { return false; }
bool CSetupOperations::CreateShortcut() { return false; }
bool CSetupOperations::HasNativeSide() { return false; }
bool CSetupOperations::CreateFolders(const std::wstring&) { return false; }
void CSetupOperations::RemoveFolders(const std::wstring&, bool) { }
bool CSetupOperations::ScheduleDeletion(const std::wstring&) { return false; }
bool CSetupOperations::WriteUninstallValues(bool) { return false; }
bool CSetupOperations::CopySetupProgramTo(const std::wstring&) { return false; }

}  // namespace SetupFrameworkNS
