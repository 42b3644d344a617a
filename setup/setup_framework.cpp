// The setup framework object: each method runs its steps on the caller's thread and reports a
// failure once, just before it returns E_FAIL.
#include "setup/setup_framework.h"

#include <new>
#include <vector>

#include "common/log/log_helper.h"
#include "common/settings/settings.h"
#include "common/utility/platform.h"
#include "platform/com/com_ptr.h"
#include "setup/browser_detect.h"
#include "setup/certificates.h"
#include "setup/cleanup.h"
#include "setup/data_folders.h"
#include "setup/setup_helpers.h"

namespace SetupFrameworkNS {

// {056FA73F-5260-4291-B523-E39DC7A76BEF}
const IID IID_ISetupFramework = {0x056FA73F, 0x5260, 0x4291, {0xB5, 0x23, 0xE3, 0x9D, 0xC7, 0xA7, 0x6B, 0xEF}};

namespace {

HMODULE g_module = nullptr;

const wchar_t kStepInstallIE[] = L"Install Internet Explorer extension";
const wchar_t kFolderNotCreated[] = L"Failed to create the installation folder";
const wchar_t kToolbarNotRegistered[] = L"IE extension registration failed";
const wchar_t kToolbarNotUnregistered[] = L"IE extension unregistration failed";
const wchar_t kGeckoNotRemoved[] = L"Gecko extension doesn't registred";
const wchar_t kXmlLiteNotExtracted[] = L"XmlLite doesn't extracted";
const wchar_t kXmlLiteNotDeleted[] = L"XmlLite doesn't deleted";

// Copies the text and its terminator when both fit.
HRESULT CopyOut(const std::wstring& text, wchar_t* buffer, DWORD capacity) {
  if (!buffer || capacity < text.size() + 1) return E_FAIL;
  text.copy(buffer, text.size());
  buffer[text.size()] = L'\0';
  return S_OK;
}

DWORD VersionResult(int difference) {
  if (difference > 0) return kVersionInstalledNewer;
  if (difference < 0) return kVersionInstalledOlder;
  return kVersionSame;
}

}  // namespace

void SetFrameworkModule(HMODULE module) { g_module = module; }
HMODULE FrameworkModule() { return g_module; }

HRESULT CreateSetupFramework(ISetupReport* report, ISetupFramework** framework) {
  if (!report || !framework) return E_INVALIDARG;
  KestrinComNS::CComPtr<CSetupFramework> object(
      new (std::nothrow) CSetupFramework(FrameworkModule() ? FrameworkModule() : SetupModule(), report));
  if (!object) return E_FAIL;
  return object->QueryInterface(IID_ISetupFramework, reinterpret_cast<void**>(framework));
}

CSetupFramework::CSetupFramework(HMODULE module, ISetupReport* report)
    : module_(module),
      report_(report),
      paths_(SetupPaths::Get()),
      operations_(module),
      log_(LogHelperNS::CLogHelper::GetInstance()) {}

HRESULT CSetupFramework::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISetupFramework)) {
    *object = static_cast<ISetupFramework*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CSetupFramework::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG CSetupFramework::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CSetupFramework::Fail(DWORD code, const std::wstring& text) {
  report_->ReportError(text.c_str(), code);
  return E_FAIL;
}

HRESULT CSetupFramework::RestartNotice() {
  if (operations_.RestartNeeded()) report_->ReportRestartNeeded();
  return S_OK;
}

bool CSetupFramework::CreateFolders(bool native_too) {
  if (!operations_.CreateInstallFolder()) return false;
  return !native_too || !IsWow64() || operations_.CreateNativeInstallFolder();
}

bool CSetupFramework::AddonLeftElsewhere(bool removing_ie, DWORD removing_gecko) {
  if (!removing_ie && IsIEAddonRegistered()) return true;
  return (DetectInstalledFlags() & kGeckoBrowserMask & ~removing_gecko) != 0;
}

HRESULT CSetupFramework::GetInstallFolder(wchar_t* buffer, DWORD capacity) {
  if (paths_.ProgramFiles().empty()) return E_FAIL;
  return CopyOut(paths_.ProgramFiles() + kInstallSubfolder, buffer, capacity);
}

HRESULT CSetupFramework::DetectBrowsers(DWORD* mask) {
  if (!mask) return E_POINTER;
  *mask = DetectBrowserFlags();
  return (*mask & 0xFF) ? S_OK : E_FAIL;
}

HRESULT CSetupFramework::DetectInstalledExtensions(DWORD* mask) {
  if (!mask) return E_POINTER;
  *mask = DetectInstalledFlags();
  return (*mask & 0xFF) ? S_OK : E_FAIL;
}

HRESULT CSetupFramework::IsUserAdmin() {
  return IsTokenInBuiltinGroup(DOMAIN_ALIAS_RID_ADMINS) || IsTokenInBuiltinGroup(DOMAIN_ALIAS_RID_POWER_USERS)
             ? S_OK
             : E_FAIL;
}

HRESULT CSetupFramework::CompareInstalledIEAddonVersion(DWORD* result) {
  if (!result) return E_POINTER;
  const int difference = CompareIEAddonVersion();
  if (difference == kNoInstalledVersion) {
    *result = kVersionUnknown;
    return E_FAIL;
  }
  *result = VersionResult(difference);
  return S_OK;
}

// The version a settings key holds; nothing when the user has no key or the key no version
// (a fresh machine is not "the same version installed").
HRESULT CSetupFramework::CompareInstalledVersion(DWORD* result) {
  if (!result) return E_POINTER;
  std::wstring text;
  {
    SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupNone);
    settings.m_KRVersion[0] = '\0';
    if (settings.OpenRead(false)) {
      if (!settings.LoadMasked(SettingsUtilsNS::kMaskKRVersion)) settings.m_KRVersion[0] = '\0';
      settings.CloseKey();
    }
    for (const char* c = settings.m_KRVersion; *c; ++c) text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  }
  if (text == L"0.0.0.0") {
    *result = kVersionUnknown;
    return E_FAIL;
  }
  int compared = text.empty() ? 0 : CompareDottedVersions(text.c_str(), kProductVersion);
  if (compared != 0) {
    *result = static_cast<DWORD>(compared);
    return S_OK;
  }
  const int package = CompareGeckoPackageVersion();
  if (package == kNoInstalledVersion) {
    *result = kVersionUnknown;
    return E_FAIL;
  }
  *result = VersionResult(package);
  return S_OK;
}

HRESULT CSetupFramework::InstallIEToolbar() {
  if (!CreateFolders(true)) return Fail(kReportFolderNotCreated, kFolderNotCreated);
  DWORD installed = 0;
  DetectInstalledExtensions(&installed);
  if ((installed & kGeckoBrowserMask) != kGeckoBrowserMask && !operations_.ExtractXmlLite())
    return Fail(kReportXmlLiteNotExtracted, kXmlLiteNotExtracted);
  if (!operations_.InstallToolbarLibrary()) return Fail(kReportToolbarNotRegistered, kToolbarNotRegistered);
  return RestartNotice();
}

HRESULT CSetupFramework::UninstallIEToolbar() {
  if (!operations_.UninstallToolbarLibrary()) return Fail(kReportToolbarNotUnregistered, kToolbarNotUnregistered);
  // XmlLite and the uninstall entry serve every browser that still carries the add-on.
  if (!AddonLeftElsewhere(false, 0)) {
    if (!operations_.DeleteXmlLite()) return Fail(kReportXmlLiteNotDeleted, kXmlLiteNotDeleted);
    if (!operations_.DeleteUninstallEntry()) return E_FAIL;
  }
  return RestartNotice();
}

HRESULT CSetupFramework::InstallGeckoExtension(DWORD browsers) {
  if (!CreateFolders(false)) return Fail(kReportFolderNotCreated, kFolderNotCreated);
  if (!operations_.ExtractXmlLite()) return Fail(kReportXmlLiteNotExtracted, kXmlLiteNotExtracted);
  if ((browsers & kGeckoBrowserMask) && !operations_.InstallGeckoPackages(browsers & kGeckoBrowserMask))
    return Fail(kReportGeckoExtension, operations_.LastError());
  {
    SettingsUtilsNS::CSettingsKestrin settings(SettingsUtilsNS::kLoadGroupNone);
    lstrcpynA(settings.m_KRVersion, SettingsUtilsNS::kDefaultKRVersion, SettingsUtilsNS::kSettingsTextSize);
    settings.SaveValue(SettingsUtilsNS::kMaskKRVersion);  // its failure does not change the result
  }
  return RestartNotice();
}

HRESULT CSetupFramework::UninstallGeckoExtension(DWORD browsers) {
  const DWORD gecko = browsers & kGeckoBrowserMask;
  if (gecko && !operations_.RemoveGeckoPackages(gecko)) return Fail(kReportGeckoExtension, kGeckoNotRemoved);
  if (!AddonLeftElsewhere(false, gecko)) {
    if (!operations_.DeleteXmlLite()) return Fail(kReportXmlLiteNotDeleted, kXmlLiteNotDeleted);
    if (!operations_.DeleteUninstallEntry()) return E_FAIL;
  }
  return RestartNotice();
}

HRESULT CSetupFramework::RemoveInstallFolders() {
  operations_.RemoveInstallFolder();
  if (IsWow64()) operations_.RemoveNativeInstallFolder();
  return S_OK;
}

HRESULT CSetupFramework::GetLicenceText(wchar_t* buffer, DWORD capacity) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(104), L"text");
  HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
  const wchar_t* data = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
  const DWORD chars = found ? SizeofResource(module_, found) / sizeof(wchar_t) : 0;
  if (!data || chars == 0) return E_FAIL;
  return CopyOut(std::wstring(data, chars), buffer, capacity);
}

HRESULT CSetupFramework::InstallTrayProgram() {
  if (!CreateFolders(false)) return Fail(kReportFolderNotCreated, kFolderNotCreated);
  return operations_.InstallTray() ? S_OK : E_FAIL;
}

HRESULT CSetupFramework::InstallIEExtension() {
  report_->ReportStep(0, kStepInstallIE);
  if (!CreateFolders(true)) return Fail(kReportFolderNotCreated, kFolderNotCreated);
  if (!operations_.InstallIELibraries()) return Fail(kReportIEAddonNotInstalled, operations_.LastError());
  if (!operations_.ExtractXmlLite()) return Fail(kReportXmlLiteNotExtracted, kXmlLiteNotExtracted);
  return RestartNotice();
}

HRESULT CSetupFramework::RegisterCertificateOIDs() { return RegisterOidNames() ? S_OK : E_FAIL; }

// Both kinds are tried even when the first fails.
HRESULT CSetupFramework::InstallCertificates() {
  const bool roots = InstallCertificateResources(module_, L"ROOTCERT", CertificateKind::kRoot);
  const bool intermediates = InstallCertificateResources(module_, L"INTERCERT", CertificateKind::kIntermediate);
  return roots && intermediates ? S_OK : E_FAIL;
}

HRESULT CSetupFramework::InstallUpdateData() { return operations_.InstallUpdateFile() ? S_OK : E_FAIL; }

HRESULT CSetupFramework::CreateStartMenuShortcut() { return operations_.CreateShortcut() ? S_OK : E_FAIL; }

HRESULT CSetupFramework::StartTrayProgram() { return operations_.StartTray() ? S_OK : E_FAIL; }

HRESULT CSetupFramework::RemoveTrayProgram() { return operations_.RemoveTray() ? S_OK : E_FAIL; }

HRESULT CSetupFramework::UninstallIEExtension() {
  if (!operations_.UninstallIELibraries()) return Fail(kReportIEAddonNotRemoved, operations_.LastError());
  // A Gecko browser that still carries the extension still needs XmlLite.
  if (!AddonLeftElsewhere(true, 0) && !operations_.DeleteXmlLite())
    return Fail(kReportXmlLiteNotDeleted, kXmlLiteNotDeleted);
  return RestartNotice();
}

HRESULT CSetupFramework::DeleteInstalledFile() { return operations_.DeleteSetupCopy() ? S_OK : E_FAIL; }

HRESULT CSetupFramework::CleanupPreviousVersions(BYTE full) {
  // The uninstall entry stays while a browser still carries the add-on; it goes with the
  // removal from the last browser.
  if (full && !AddonLeftElsewhere(false, 0)) operations_.DeleteUninstallEntry();
  RunCleanupSteps(full != 0, operations_.KeepUserSettings());
  return S_OK;
}

HRESULT CSetupFramework::RemoveDataFolder() {
  if (!paths_.ProgramFiles().empty()) RemoveFolderTree(paths_.InstallFolder().c_str());
  // A data folder that is a link, or one a user made, is left alone: removing through it
  // would delete what it leads to.
  std::wstring data, maker;
  if (CheckCommonDataFolder(CommonDataFolder::kProduct, &data)) RemoveFolderTree(data.c_str());
  // The maker's data folder goes too once nothing else is left in it.
  if (CheckCommonDataFolder(CommonDataFolder::kMaker, &maker)) RemoveDirectoryW(maker.c_str());
  return S_OK;
}

HRESULT CSetupFramework::WriteUninstallKey() { return operations_.WriteUninstallEntry() ? S_OK : E_FAIL; }

HRESULT CSetupFramework::SetOption(BYTE keep_user_settings) {
  operations_.SetKeepUserSettings(keep_user_settings != 0);
  return S_OK;
}

// On Vista the setup program's copy is started again through the elevation helper at the next
// logon.
HRESULT CSetupFramework::ScheduleElevatedRestart() {
  operations_.CreateInstallFolder();
  if (paths_.ProgramFiles().empty()) return S_OK;
  const std::wstring copy = paths_.InstallFolder() + L"\\" + kSetupCopyName;
  operations_.CopySetupProgram();
  std::wstring helper;
  if (UtilityClassesNS::GetOSClass() == UtilityClassesNS::OS_VISTA && operations_.ExtractElevationHelper(&helper)) {
    const std::wstring command = L"\"" + helper + L"\" \"" + copy + L"\"";
    WriteMachineString(kRunOnceKey, command.c_str(), L"KRSetup");
  }
  return S_OK;
}

}  // namespace SetupFrameworkNS
