// The binary contract between the setup library and the setup program that loads it: the
// framework interface the library hands out, the report interface the setup program implements,
// and the library's one export. Both sides are built by different compilers, so slot order and
// calling conventions are fixed here and must not change.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace SetupFrameworkNS {

// {056FA73F-5260-4291-B523-E39DC7A76BEF}
extern const IID IID_ISetupFramework;

// Implemented by the setup program. A plain abstract class: no IUnknown, no destructor slot, the
// compiler's usual member-function convention (thiscall on x86).
class ISetupReport {
 public:
  virtual void ReportStep(DWORD number, const wchar_t* text) = 0;       // slot 0
  virtual void ReportError(const wchar_t* text, DWORD code) = 0;        // slot 1
  virtual void ReportRestartNeeded() = 0;                               // slot 2
};

// Report codes of ReportError.
enum : DWORD {
  kReportFolderNotCreated = 10,
  kReportToolbarNotRegistered = 12,
  kReportToolbarNotUnregistered = 21,
  kReportIEAddonNotInstalled = 22,
  kReportIEAddonNotRemoved = 23,
  kReportGeckoExtension = 41,
  kReportXmlLiteNotExtracted = 42,
  kReportXmlLiteNotDeleted = 43,
};

// The Gecko browsers' bits of the browser masks (Firefox 1.5/2, Firefox 3, SeaMonkey, Netscape 9).
const DWORD kGeckoBrowserMask = 0xF0;

// Results of the two version compares.
enum : DWORD {
  kVersionUnknown = 0,
  kVersionSame = 1,
  kVersionInstalledNewer = 2,
  kVersionInstalledOlder = 3,
};

// Handed out by CreateFramework. Slots 0-2 are IUnknown's; the rest follow in this order.
class ISetupFramework : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE GetInstallFolder(wchar_t* buffer, DWORD capacity) = 0;       // 3
  virtual HRESULT STDMETHODCALLTYPE DetectBrowsers(DWORD* mask) = 0;                             // 4
  virtual HRESULT STDMETHODCALLTYPE DetectInstalledExtensions(DWORD* mask) = 0;                  // 5
  virtual HRESULT STDMETHODCALLTYPE IsUserAdmin() = 0;                                           // 6
  virtual HRESULT STDMETHODCALLTYPE CompareInstalledIEAddonVersion(DWORD* result) = 0;           // 7
  virtual HRESULT STDMETHODCALLTYPE CompareInstalledVersion(DWORD* result) = 0;                  // 8
  virtual HRESULT STDMETHODCALLTYPE InstallIEToolbar() = 0;                                      // 9
  virtual HRESULT STDMETHODCALLTYPE UninstallIEToolbar() = 0;                                    // 10
  virtual HRESULT STDMETHODCALLTYPE InstallGeckoExtension(DWORD browsers) = 0;                   // 11
  virtual HRESULT STDMETHODCALLTYPE UninstallGeckoExtension(DWORD browsers) = 0;                 // 12
  virtual HRESULT STDMETHODCALLTYPE RemoveInstallFolders() = 0;                                  // 13
  virtual HRESULT STDMETHODCALLTYPE GetLicenceText(wchar_t* buffer, DWORD capacity) = 0;         // 14
  virtual HRESULT STDMETHODCALLTYPE InstallTrayProgram() = 0;                                    // 15
  virtual HRESULT STDMETHODCALLTYPE InstallIEExtension() = 0;                                    // 16
  virtual HRESULT STDMETHODCALLTYPE RegisterCertificateOIDs() = 0;                               // 17
  virtual HRESULT STDMETHODCALLTYPE InstallCertificates() = 0;                                   // 18
  virtual HRESULT STDMETHODCALLTYPE InstallUpdateData() = 0;                                     // 19
  virtual HRESULT STDMETHODCALLTYPE CreateStartMenuShortcut() = 0;                               // 20
  virtual HRESULT STDMETHODCALLTYPE StartTrayProgram() = 0;                                      // 21
  virtual HRESULT STDMETHODCALLTYPE RemoveTrayProgram() = 0;                                     // 22
  virtual HRESULT STDMETHODCALLTYPE UninstallIEExtension() = 0;                                  // 23
  virtual HRESULT STDMETHODCALLTYPE DeleteInstalledFile() = 0;                                   // 24
  virtual HRESULT STDMETHODCALLTYPE CleanupPreviousVersions(BYTE full) = 0;                      // 25
  virtual HRESULT STDMETHODCALLTYPE RemoveDataFolder() = 0;                                      // 26
  virtual HRESULT STDMETHODCALLTYPE WriteUninstallKey() = 0;                                     // 27
  virtual HRESULT STDMETHODCALLTYPE SetOption(BYTE keep_user_settings) = 0;                      // 28
  virtual HRESULT STDMETHODCALLTYPE ScheduleElevatedRestart() = 0;                               // 29
};

// The library's only export (C calling convention).
typedef HRESULT(__cdecl* CreateFrameworkFunction)(ISetupReport* report, ISetupFramework** framework);

}  // namespace SetupFrameworkNS
