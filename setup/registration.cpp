// Registration of the Internet Explorer add-on libraries, the tray program with its Run value,
// the uninstall entry and the Start-menu shortcut.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "common/utility/platform.h"
#include "platform/com/com_ptr.h"
#include "platform/win/scoped_handle.h"
#include "setup/close_programs.h"
#include "setup/setup_operations.h"
#include "setup/task_scheduler.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedRegKey;

namespace {

const wchar_t kShellFoldersKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t kUninstallParent[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kContact[] = L"support@torvan.example";
const wchar_t kHelpLink[] = L"http://www.torvan.example/support";
const wchar_t kAboutLink[] = L"http://www.torvan.example/";
const REGSAM kUninstallAccess = 0x2001F;  // KEY_READ | KEY_WRITE

void SetString(HKEY key, const wchar_t* name, const std::wstring& text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// A path read back from a Run value: quotes around it are dropped.
std::wstring Unquoted(std::wstring text) {
  if (text.size() >= 2 && text.front() == L'"') {
    size_t close = text.find(L'"', 1);
    if (close != std::wstring::npos) return text.substr(1, close - 1);
  }
  return text;
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The add-on library this setup library installs beside itself, and the native one.
struct AddonFile {
  int resource;
  const wchar_t* name;
};
constexpr AddonFile kOwnAddon = sizeof(void*) == 8 ? AddonFile{kResIEAddon64, kIEAddon64Name}
                                                   : AddonFile{kResIEAddon32, kIEAddon32Name};
constexpr AddonFile kNativeAddon = {kResIEAddon64, kIEAddon64Name};

}  // namespace

bool RunAndWait(const std::wstring& program, const std::wstring& parameters, DWORD* exit_code) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOW;
  if (!ShellExecuteExW(&info) || !info.hProcess) return false;
  CScopedKernelHandle process(info.hProcess);
  if (WaitForSingleObject(process.Get(), Waits().process_deadline_ms) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process.Get(), exit_code) != FALSE;
}

bool CSetupOperations::RunRegsvr32(const std::wstring& path, bool do_register) {
  // Waited for: the caller may delete the library as soon as this returns.
  std::wstring parameters = std::wstring(do_register ? L" /s" : L" /u /s") + L" " + Quoted(path);
  DWORD exit_code = 1;
  return RunAndWait(SetupPaths::Get().System() + L"\\regsvr32.exe", parameters, &exit_code) && exit_code == 0;
}

bool CSetupOperations::RegisterLibraryNow(const std::wstring& path, bool do_register) {
  if (!FileExists(path)) {
    if (!do_register) return true;
    SetLastErrorText(L"Error registering " + FileNameOf(path));
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  if (CallDllRegistration(path.c_str(), do_register)) return true;
  // A library of the other bitness registers in a registration program of its own bitness.
  if (GetLastError() == ERROR_BAD_EXE_FORMAT && RunRegsvr32(path, do_register)) return true;
  SetLastErrorText((do_register ? L"Error registering " : L"Error unregistering ") + FileNameOf(path));
  return false;
}

bool CSetupOperations::RegisterIELibrary(const std::wstring& path, const wchar_t* file_name, bool deferred) {
  if (!deferred) return RegisterLibraryNow(path, true);
  // The library is moved into place at the restart: registered at the next logon.
  std::wstring command = SetupPaths::Get().System() + L"\\regsvr32.exe" + L" " + L" /s " + Quoted(path);
  std::wstring value = std::wstring(L"RegisterKestrin") + file_name;
  if (WriteMachineString(kRunOnceKey, command.c_str(), value.c_str())) return true;
  SetLastErrorText(std::wstring(L"Error registering ") + file_name);
  return false;
}

bool CSetupOperations::InstallIELibraries() {
  if (install_folder_plain_.empty()) {
    SetLastErrorText(L"Error registering: no program-files folder");
    return false;
  }
  bool any_deferred = false;
  auto install = [&](const AddonFile& addon, const std::wstring& folder) {
    std::wstring path = folder + addon.name;
    bool deferred = false;
    if (!WriteResourceFile(addon.resource, path, &deferred)) {
      SetLastErrorText(std::wstring(L"Error extracting ") + addon.name);
      return false;
    }
    any_deferred = any_deferred || deferred;
    return RegisterIELibrary(path, addon.name, deferred);
  };
  if (!install(kOwnAddon, install_folder_)) return false;
  if (HasNativeSide() && !install(kNativeAddon, native_install_folder_)) return false;
  if (any_deferred) restart_needed_ = true;
  return true;
}

bool CSetupOperations::UninstallIELibraries() {
  if (install_folder_plain_.empty()) return false;
  bool ok = true;
  auto remove = [&](const std::wstring& path) {
    // The registration program has ended before the file goes.
    RegisterLibraryNow(path, false);
    if (!DeleteOrScheduleFile(path)) {
      SetLastErrorText(L"Error deleting " + FileNameOf(path));
      ok = false;
    }
  };
  remove(install_folder_ + kOwnAddon.name);
  if (HasNativeSide()) remove(native_install_folder_ + kNativeAddon.name);
  return ok;
}

bool CSetupOperations::InstallToolbarLibrary() {
  // The toolbar of earlier versions: this library carries no copy, so the write fails.
  if (install_folder_plain_.empty()) return false;
  std::wstring path = install_folder_ + kToolbarName;
  bool deferred = false;
  if (!WriteResourceFile(kResToolbar, path, &deferred)) return false;
  if (deferred) restart_needed_ = true;
  return RegisterIELibrary(path, kToolbarName, deferred);
}

bool CSetupOperations::UninstallToolbarLibrary() {
  std::wstring path;
  if (!GetClassServerPath(kIEToolbarClsid, &path) || !FileExists(path)) return true;
  SetLastError(ERROR_SUCCESS);
  if (!CallDllRegistration(path.c_str(), false)) {
    if (GetLastError() != ERROR_BAD_EXE_FORMAT) return false;
    RunRegsvr32(path, false);
  }
  return DeleteOrScheduleFile(path);
}

bool CSetupOperations::WriteUninstallValues(bool by_tray) {
  CScopedRegKey key;
  if (CreateMachineKey(kUninstallKey, kUninstallAccess, &key) != ERROR_SUCCESS) return false;
  SetString(key.Get(), L"Contact", kContact);
  SetString(key.Get(), L"DisplayName", L"Kestrin");
  SetString(key.Get(), L"DisplayVersion", kProductVersion);
  if (by_tray) SetString(key.Get(), L"HelpLink", kHelpLink);
  SetString(key.Get(), L"Publisher", L"Torvan Inc");
  SetString(key.Get(), L"URLInfoAbout", kAboutLink);
  std::wstring setup_copy = install_folder_ + kSetupCopyName;
  if (!by_tray) SetString(key.Get(), L"DisplayIcon", setup_copy);
  SetString(key.Get(), L"UninstallString", Quoted(setup_copy));
  return true;
}

bool CSetupOperations::InstallTray() {
  if (install_folder_plain_.empty()) return false;
  if (!CloseRunningPrograms()) return false;
  RemoveTray();
  tray_path_ = install_folder_plain_ + L"\\" + kTrayProgramName;
  CResourceExtractor writer(module_, std::wstring());
  DWORD size = 0;
  const void* data = writer.LoadResourceData(MAKEINTRESOURCEW(kResTrayProgram), L"BIN", &size);
  if (!data || !WriteBytesToFile(tray_path_.c_str(), data, size, true)) return false;
  // Quoted: the path holds blanks, and an unquoted one could start "C:\Program.exe".
  if (!WriteMachineString(kRunKey, Quoted(tray_path_).c_str(), kRunValueName)) return false;
  return WriteUninstallValues(true);
}

bool CSetupOperations::RemoveTray() {
  wchar_t value[MAX_PATH];
  if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, kRunValueName, value)) return false;
  {
    CScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, key.Receive()) == ERROR_SUCCESS)
      RegDeleteValueW(key.Get(), kRunValueName);
  }
  std::wstring path = Unquoted(value);
  if (!FileExists(path)) return true;
  for (int attempt = 0; attempt < Waits().delete_attempts; ++attempt) {
    if (DeleteFileW(path.c_str())) return true;
    Sleep(Waits().delete_retry_ms);
  }
  return ScheduleDeletion(path);
}

bool CSetupOperations::StartTray() {
  if (tray_path_.empty()) return true;
  if (UtilityClassesNS::GetOSClass() != UtilityClassesNS::OS_VISTA) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(tray_path_.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_BREAKAWAY_FROM_JOB, nullptr,
                       nullptr, &startup, &process)) {
      KestrinWinNS::CScopedKernelHandle thread(process.hThread), started(process.hProcess);
      return true;
    }
  }
  StartTrayByTask();
  return true;
}

bool CSetupOperations::StartTrayByTask() {
  if (tray_path_.empty()) return false;
  return UtilityClassesNS::StartTrayByTask(tray_path_.c_str());
}

bool CSetupOperations::WriteUninstallEntry() {
  if (!CopySetupProgram()) return false;
  return WriteUninstallValues(false);
}

bool CSetupOperations::DeleteUninstallEntry() {
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallParent, 0, kUninstallAccess, key.Receive()) != ERROR_SUCCESS)
    return false;
  RegDeleteKeyW(key.Get(), L"Kestrin");
  return true;
}

bool CSetupOperations::CreateShortcut() {
  wchar_t programs[MAX_PATH];
  // Without the Programs folder (or the program-files folder) the link would land at the
  // drive's root: no shortcut then.
  if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kShellFoldersKey, L"Common Programs", programs) || !programs[0])
    return false;
  if (install_folder_plain_.empty()) return false;
  const std::wstring target = install_folder_plain_ + L"\\" + kTrayProgramName;
  std::wstring link = std::wstring(programs) + kMakerSubfolder;
  CreateDirectoryW(link.c_str(), nullptr);
  link += L"\\Kestrin";
  CreateDirectoryW(link.c_str(), nullptr);
  link += L"\\Torvan Kestrin.lnk";

  ComHelpersNS::CComInitializer com;
  KestrinComNS::CComPtr<IShellLinkW> shell_link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell_link));
  if (FAILED(hr)) return false;
  if (FAILED(shell_link->SetPath(target.c_str()))) return false;
  if (FAILED(shell_link->SetDescription(L"Launch the Kestrin tray icon application"))) return false;
  if (FAILED(shell_link->SetIconLocation(target.c_str(), 0))) return false;
  KestrinComNS::CComPtr<IPersistFile> file;
  if (FAILED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return false;
  return SUCCEEDED(file->Save(link.c_str(), TRUE));
}

}  // namespace SetupFrameworkNS
