// The setup framework object that the setup program drives through ISetupFramework.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win/lock.h"
#include "setup/setup_framework_iface.h"
#include "setup/setup_operations.h"

namespace LogHelperNS { class CLogHelper; }

namespace SetupFrameworkNS {

class SetupPaths;

// The module whose resources the framework writes out (set by the library's entry).
void SetFrameworkModule(HMODULE module);
HMODULE FrameworkModule();

// Builds the framework for `report` and hands out its interface (the caller's reference is the
// only one).
HRESULT CreateSetupFramework(ISetupReport* report, ISetupFramework** framework);

class CSetupFramework : public ISetupFramework {
 public:
  CSetupFramework(HMODULE module, ISetupReport* report);
  virtual ~CSetupFramework() = default;
  CSetupFramework(const CSetupFramework&) = delete;
  CSetupFramework& operator=(const CSetupFramework&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetInstallFolder(wchar_t* buffer, DWORD capacity) override;
  HRESULT STDMETHODCALLTYPE DetectBrowsers(DWORD* mask) override;
  HRESULT STDMETHODCALLTYPE DetectInstalledExtensions(DWORD* mask) override;
  HRESULT STDMETHODCALLTYPE IsUserAdmin() override;
  HRESULT STDMETHODCALLTYPE CompareInstalledIEAddonVersion(DWORD* result) override;
  HRESULT STDMETHODCALLTYPE CompareInstalledVersion(DWORD* result) override;
  HRESULT STDMETHODCALLTYPE InstallIEToolbar() override;
  HRESULT STDMETHODCALLTYPE UninstallIEToolbar() override;
  HRESULT STDMETHODCALLTYPE InstallGeckoExtension(DWORD browsers) override;
  HRESULT STDMETHODCALLTYPE UninstallGeckoExtension(DWORD browsers) override;
  HRESULT STDMETHODCALLTYPE RemoveInstallFolders() override;
  HRESULT STDMETHODCALLTYPE GetLicenceText(wchar_t* buffer, DWORD capacity) override;
  HRESULT STDMETHODCALLTYPE InstallTrayProgram() override;
  HRESULT STDMETHODCALLTYPE InstallIEExtension() override;
  HRESULT STDMETHODCALLTYPE RegisterCertificateOIDs() override;
  HRESULT STDMETHODCALLTYPE InstallCertificates() override;
  HRESULT STDMETHODCALLTYPE InstallUpdateData() override;
  HRESULT STDMETHODCALLTYPE CreateStartMenuShortcut() override;
  HRESULT STDMETHODCALLTYPE StartTrayProgram() override;
  HRESULT STDMETHODCALLTYPE RemoveTrayProgram() override;
  HRESULT STDMETHODCALLTYPE UninstallIEExtension() override;
  HRESULT STDMETHODCALLTYPE DeleteInstalledFile() override;
  HRESULT STDMETHODCALLTYPE CleanupPreviousVersions(BYTE full) override;
  HRESULT STDMETHODCALLTYPE RemoveDataFolder() override;
  HRESULT STDMETHODCALLTYPE WriteUninstallKey() override;
  HRESULT STDMETHODCALLTYPE SetOption(BYTE keep_user_settings) override;
  HRESULT STDMETHODCALLTYPE ScheduleElevatedRestart() override;

 private:
  HRESULT Fail(DWORD code, const std::wstring& text);
  HRESULT RestartNotice();
  // True while a browser other than those being removed still carries the add-on: the IE
  // add-on, or a Gecko browser outside `removing`.
  bool AddonLeftElsewhere(bool removing_ie, DWORD removing_gecko);
  bool CreateFolders(bool native_too);

  LONG references_ = 0;
  HMODULE module_;
  ISetupReport* report_;  // the caller keeps it alive as long as this object
  SetupPaths& paths_;
  CSetupOperations operations_;
  LogHelperNS::CLogHelper* log_;
  KestrinWinNS::CCriticalSection lock_;  // the methods expect one calling thread at a time
};

}  // namespace SetupFrameworkNS
