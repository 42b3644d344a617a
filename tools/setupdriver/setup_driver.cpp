// Stands in for the outside setup program: loads KRSetupDll.dll, creates the framework with a
// report object of its own and calls the framework's methods in the order a script gives.
//
//   setupdriver.exe [--dll PATH] [--log FILE] [--script FILE] STEP...
//
// A step is a method name, with its argument after a colon where it takes one
// ("CleanupPreviousVersions:1", "InstallGeckoExtension:0x30", "SetOption:0"), or one of the
// sequences the setup program runs: "install" (also for an update over an older version or a
// maintenance run over the same one) and "remove". A script file holds one step a line; "#"
// starts a comment.
//
// Every call and every report is written as one line to the standard output or, with --log, to
// the file (UTF-8):
//   call <step> -> 0x<HRESULT> [<what the method gave back>]
//   step <number> <text>
//   error <code> <text>
//   restart needed
// Exit code: 0 when every step ran (whatever it returned), 2 when the library or its export is
// missing, 3 for a step the driver does not know.
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "setup/setup_framework_iface.h"

using SetupFrameworkNS::ISetupFramework;
using SetupFrameworkNS::ISetupReport;

namespace {

class CLineLog {
 public:
  bool Open(const wchar_t* path) {
    file_.Reset(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
    return file_.IsValid();
  }
  void Line(const std::wstring& text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    utf8 += '\n';
    if (!file_) {
      fwrite(utf8.data(), 1, utf8.size(), stdout);
      fflush(stdout);
      return;
    }
    DWORD written = 0;
    WriteFile(file_.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }

 private:
  KestrinWinNS::CScopedKernelHandle file_;
};

// The setup program's side of the report contract: records every report as a line.
class CRecordingReport : public ISetupReport {
 public:
  explicit CRecordingReport(CLineLog* log) : log_(log) {}
  void ReportStep(DWORD number, const wchar_t* text) override {
    log_->Line(L"step " + std::to_wstring(number) + L" " + (text ? text : L"(null)"));
  }
  void ReportError(const wchar_t* text, DWORD code) override {
    log_->Line(L"error " + std::to_wstring(code) + L" " + (text ? text : L"(null)"));
  }
  void ReportRestartNeeded() override { log_->Line(L"restart needed"); }

 private:
  CLineLog* log_;
};

std::wstring Hex(DWORD value) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
  return text;
}

class CDriver {
 public:
  CDriver(ISetupFramework* framework, CLineLog* log) : framework_(framework), log_(log) {}

  // False for a step it does not know.
  bool Run(const std::wstring& step) {
    if (step == L"install") return RunInstall();
    if (step == L"remove") return RunRemove();
    std::wstring name = step;
    DWORD argument = 0;
    size_t colon = step.find(L':');
    if (colon != std::wstring::npos) {
      name = step.substr(0, colon);
      argument = wcstoul(step.c_str() + colon + 1, nullptr, 0);
    }
    return Call(step, name, argument);
  }

 private:
  bool Call(const std::wstring& step, const std::wstring& name, DWORD argument) {
    ISetupFramework* f = framework_;
    std::wstring detail;
    DWORD value = 0;
    HRESULT hr;
    const BYTE flag = argument != 0;
    if (name == L"GetInstallFolder" || name == L"GetLicenceText") {
      std::vector<wchar_t> buffer(argument ? argument : 32768);
      hr = name == L"GetInstallFolder" ? f->GetInstallFolder(buffer.data(), static_cast<DWORD>(buffer.size()))
                                       : f->GetLicenceText(buffer.data(), static_cast<DWORD>(buffer.size()));
      if (SUCCEEDED(hr))
        detail = name == L"GetInstallFolder" ? buffer.data() : std::to_wstring(wcslen(buffer.data())) + L" characters";
    } else if (name == L"DetectBrowsers") {
      hr = f->DetectBrowsers(&value);
      detail = L"mask=" + Hex(value);
      browsers_ = value;
    } else if (name == L"DetectInstalledExtensions") {
      hr = f->DetectInstalledExtensions(&value);
      detail = L"mask=" + Hex(value);
      installed_ = value;
    } else if (name == L"CompareInstalledIEAddonVersion") {
      hr = f->CompareInstalledIEAddonVersion(&value);
      detail = L"result=" + std::to_wstring(value);
    } else if (name == L"CompareInstalledVersion") {
      hr = f->CompareInstalledVersion(&value);
      detail = L"result=" + std::to_wstring(value);
    } else if (name == L"IsUserAdmin") hr = f->IsUserAdmin();
    else if (name == L"InstallIEToolbar") hr = f->InstallIEToolbar();
    else if (name == L"UninstallIEToolbar") hr = f->UninstallIEToolbar();
    else if (name == L"InstallGeckoExtension") hr = f->InstallGeckoExtension(argument);
    else if (name == L"UninstallGeckoExtension") hr = f->UninstallGeckoExtension(argument);
    else if (name == L"RemoveInstallFolders") hr = f->RemoveInstallFolders();
    else if (name == L"InstallTrayProgram") hr = f->InstallTrayProgram();
    else if (name == L"InstallIEExtension") hr = f->InstallIEExtension();
    else if (name == L"RegisterCertificateOIDs") hr = f->RegisterCertificateOIDs();
    else if (name == L"InstallCertificates") hr = f->InstallCertificates();
    else if (name == L"InstallUpdateData") hr = f->InstallUpdateData();
    else if (name == L"CreateStartMenuShortcut") hr = f->CreateStartMenuShortcut();
    else if (name == L"StartTrayProgram") hr = f->StartTrayProgram();
    else if (name == L"RemoveTrayProgram") hr = f->RemoveTrayProgram();
    else if (name == L"UninstallIEExtension") hr = f->UninstallIEExtension();
    else if (name == L"DeleteInstalledFile") hr = f->DeleteInstalledFile();
    else if (name == L"CleanupPreviousVersions") hr = f->CleanupPreviousVersions(flag);
    else if (name == L"RemoveDataFolder") hr = f->RemoveDataFolder();
    else if (name == L"WriteUninstallKey") hr = f->WriteUninstallKey();
    else if (name == L"SetOption") hr = f->SetOption(flag);
    else if (name == L"ScheduleElevatedRestart") hr = f->ScheduleElevatedRestart();
    else {
      log_->Line(L"unknown step " + step);
      return false;
    }
    log_->Line(L"call " + step + L" -> " + Hex(static_cast<DWORD>(hr)) + (detail.empty() ? L"" : L" " + detail));
    return true;
  }

  // A first installation, an update over an older version and a maintenance run over the same
  // one take the same road: the library replaces what is there.
  bool RunInstall() {
    const wchar_t* before[] = {L"CompareInstalledVersion", L"CompareInstalledIEAddonVersion", L"IsUserAdmin",
                               L"DetectBrowsers", L"CleanupPreviousVersions:0", L"InstallIEExtension"};
    for (const wchar_t* step : before) Run(step);
    if (browsers_ & SetupFrameworkNS::kGeckoBrowserMask) Run(L"InstallGeckoExtension:" + Hex(browsers_ & SetupFrameworkNS::kGeckoBrowserMask));
    const wchar_t* after[] = {L"InstallTrayProgram", L"WriteUninstallKey", L"RegisterCertificateOIDs",
                              L"InstallCertificates", L"InstallUpdateData", L"CreateStartMenuShortcut",
                              L"StartTrayProgram"};
    for (const wchar_t* step : after) Run(step);
    return true;
  }

  bool RunRemove() {
    Run(L"DetectInstalledExtensions");
    Run(L"RemoveTrayProgram");
    Run(L"UninstallIEExtension");
    if (installed_ & SetupFrameworkNS::kGeckoBrowserMask)
      Run(L"UninstallGeckoExtension:" + Hex(installed_ & SetupFrameworkNS::kGeckoBrowserMask));
    const wchar_t* rest[] = {L"CleanupPreviousVersions:1", L"DeleteInstalledFile", L"RemoveDataFolder",
                             L"RemoveInstallFolders"};
    for (const wchar_t* step : rest) Run(step);
    return true;
  }

  ISetupFramework* framework_;
  CLineLog* log_;
  DWORD browsers_ = 0;
  DWORD installed_ = 0;
};

bool ReadScript(const wchar_t* path, std::vector<std::wstring>* steps) {
  FILE* file = _wfopen(path, L"rb");
  if (!file) return false;
  char line[1024];
  while (fgets(line, sizeof(line), file)) {
    std::string text(line);
    size_t hash = text.find('#');
    if (hash != std::string::npos) text.resize(hash);
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) continue;
    size_t last = text.find_last_not_of(" \t\r\n");
    text = text.substr(first, last - first + 1);
    steps->push_back(std::wstring(text.begin(), text.end()));
  }
  fclose(file);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring dll = L"KRSetupDll.dll";
  CLineLog log;
  std::vector<std::wstring> steps;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg == L"--dll" && i + 1 < argc) {
      dll = argv[++i];
    } else if (arg == L"--log" && i + 1 < argc) {
      if (!log.Open(argv[++i])) {
        fwprintf(stderr, L"cannot open the log %ls\n", argv[i]);
        return 2;
      }
    } else if (arg == L"--script" && i + 1 < argc) {
      if (!ReadScript(argv[++i], &steps)) {
        fwprintf(stderr, L"cannot read the script %ls\n", argv[i]);
        return 3;
      }
    } else {
      steps.push_back(arg);
    }
  }

  KestrinWinNS::CScopedLibrary library(LoadLibraryW(dll.c_str()));
  if (!library) {
    log.Line(L"cannot load " + dll + L": error " + std::to_wstring(GetLastError()));
    return 2;
  }
  auto create = reinterpret_cast<SetupFrameworkNS::CreateFrameworkFunction>(GetProcAddress(library.Get(), "CreateFramework"));
  if (!create) {
    log.Line(L"no CreateFramework in " + dll);
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = 0;
  {
    CRecordingReport report(&log);
    ISetupFramework* framework = nullptr;
    HRESULT hr = create(&report, &framework);
    log.Line(L"call CreateFramework -> " + Hex(static_cast<DWORD>(hr)));
    if (SUCCEEDED(hr) && framework) {
      CDriver driver(framework, &log);
      for (const std::wstring& step : steps)
        if (!driver.Run(step)) result = 3;
      framework->Release();
    } else {
      result = 2;
    }
  }
  CoUninitialize();
  return result;
}
