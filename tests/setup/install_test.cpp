// Setup operations against the built setup library: files written from its resources, the
// add-on registered in process and through the system's registration program, the tray
// program's Run value, the uninstall entry, the shortcut, files in use replaced at the restart
// (the prefix restarted with wineboot), and the failures that must be reported as failures.
// The 32-bit library under WOW64 also writes the 64-bit add-on into the native program-files
// folder and registers it in the 64-bit registry view; both sides are checked there.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <map>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/win/scoped_handle.h"
#include "setup/browser_detect.h"
#include "setup/setup_helpers.h"
#include "setup/setup_operations.h"
#include "tests/setup/browser_seed.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {
namespace {

using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedRegKey;
using setup_test::CDeniedKey;
using setup_test::BesideTest;
using setup_test::ReadWholeFile;
using setup_test::WriteWholeFile;

const wchar_t kCurrentVersion[] = L"Software\\Microsoft\\Windows\\CurrentVersion";
const wchar_t kShellFolders[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kAddonServerKey[] = L"SOFTWARE\\Classes\\CLSID\\{60F0F632-E1EE-4B8C-A1C5-7374A190B5E7}\\InprocServer32";
const wchar_t kRunOnceValuePrefix[] = L"RegisterKestrin";
constexpr bool k64 = sizeof(void*) == 8;
const int kOwnAddonResource = k64 ? kResIEAddon64 : kResIEAddon32;
const wchar_t* const kOwnAddonName = k64 ? kIEAddon64Name : kIEAddon32Name;
const REGSAM kOwnView = k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

// A 32-bit test program in a 64-bit prefix (asked of the system, not of the library).
bool UnderWow64() {
  BOOL wow64 = FALSE;
  return !k64 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

HMODULE SetupLibrary() {
  static HMODULE module = LoadLibraryW(BesideTest(L"KRSetupDll.dll").c_str());
  return module;
}

// Started as the installed setup copy: copies itself over its own installed copy, as a
// maintenance run does, and ends with the result.
struct MaintenanceRun {
  MaintenanceRun() {
    if (!wcsstr(GetCommandLineW(), L"--copy-over-own-copy")) return;
    CSetupOperations ops(LoadLibraryW(L"C:\\KestrinTest\\KRSetupDll.dll"));
    ExitProcess(ops.CopySetupProgram() ? 0 : 1);
  }
} g_maintenance_run;

std::string ResourceBytes(int id) {
  HRSRC found = FindResourceW(SetupLibrary(), MAKEINTRESOURCEW(id), L"BIN");
  if (!found) return std::string();
  const char* data = static_cast<const char*>(LockResource(LoadResource(SetupLibrary(), found)));
  return std::string(data, SizeofResource(SetupLibrary(), found));
}

std::wstring ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t value[MAX_PATH];
  return ReadRegistryString(root, key.c_str(), name, value) ? std::wstring(value) : std::wstring(L"<none>");
}

bool SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  CScopedRegKey handle;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, handle.Receive(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  return RegSetValueExW(handle.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// A string value in one view of HKLM, or "<none>".
std::wstring ReadMachineString(REGSAM view, const std::wstring& key, const wchar_t* name) {
  CScopedRegKey handle;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, handle.Receive()) != ERROR_SUCCESS)
    return L"<none>";
  wchar_t value[1024] = {};
  DWORD bytes = sizeof(value) - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(handle.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS ||
      type != REG_SZ)
    return L"<none>";
  return value;
}

// Every value under a key of one view of HKLM, as "subkey path|name" -> "type|data".
void DumpKey(REGSAM view, const std::wstring& path, std::map<std::wstring, std::wstring>* out) {
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return;
  wchar_t name[256];
  BYTE data[2048];
  for (DWORD i = 0;; ++i) {
    DWORD name_size = 256, data_size = sizeof(data), type = 0;
    if (RegEnumValueW(key.Get(), i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
    (*out)[path + L"|" + name] =
        std::to_wstring(type) + L"|" + std::wstring(reinterpret_cast<wchar_t*>(data), data_size / sizeof(wchar_t));
  }
  (*out)[path] = L"key";
  for (DWORD i = 0;; ++i) {
    DWORD name_size = 256;
    if (RegEnumKeyExW(key.Get(), i, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DumpKey(view, path + L"\\" + name, out);
  }
}

// Keys of the add-on's registration that both registry views share: the type library (with a
// "win32" and a "win64" entry for the libraries of either bitness) and the module's AppID keys.
std::map<std::wstring, std::wstring> SharedRegistration() {
  std::map<std::wstring, std::wstring> out;
  for (const wchar_t* key : {L"TypeLib\\{70EEAAC6-CD5E-46F7-BDA4-31CEBE37AED6}", L"AppID\\KestrinIE.DLL",
                             L"AppID\\{CC44F022-451A-4205-A027-D7F995774656}"})
    DumpKey(KEY_WOW64_64KEY, std::wstring(L"SOFTWARE\\Classes\\") + key, &out);
  return out;
}

// The add-on's registration as one view shows it: the classes of the helper object, the event
// handler and the control (each view has its own), their ProgIDs (a 32-bit program finds the
// ProgIDs of both bitnesses in one shared place), and the helper object's entry for the browser
// (each view has its own).
std::map<std::wstring, std::wstring> ViewRegistration(REGSAM view) {
  std::map<std::wstring, std::wstring> out;
  for (const wchar_t* key :
       {L"CLSID\\{60F0F632-E1EE-4B8C-A1C5-7374A190B5E7}", L"CLSID\\{4ADF76FA-005A-45A9-8DE6-188F7CA10D24}",
        L"CLSID\\{58B69FE4-29DE-4862-A049-81F914D5644B}", L"KestrinIE.KestrinBho", L"KestrinIE.KestrinBho.1",
        L"KestrinIE.HtmlNlrEventHandler", L"KestrinIE.HtmlNlrEventHandler.1", L"KestrinIE.KestrinControl",
        L"KestrinIE.KestrinControl.1"})
    DumpKey(view, std::wstring(L"SOFTWARE\\Classes\\") + key, &out);
  DumpKey(view,
          L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\"
          L"{60F0F632-E1EE-4B8C-A1C5-7374A190B5E7}",
          &out);
  return out;
}

// Everything the registration of the library of one view writes: that view's keys, the AppID
// keys, and that bitness's entry of the type library.
std::map<std::wstring, std::wstring> AddonRegistration(REGSAM view) {
  std::map<std::wstring, std::wstring> out = ViewRegistration(view);
  const wchar_t* platform = view == KEY_WOW64_64KEY ? L"\\win64" : L"\\win32";
  for (const auto& entry : SharedRegistration())
    if (entry.first.find(L"\\TypeLib\\") == std::wstring::npos || entry.first.find(platform) != std::wstring::npos)
      out.insert(entry);
  return out;
}

// An add-on library as the library under test installs it: which file, where, and the registry
// view it registers in.
struct AddonSide {
  int resource;
  std::wstring path;
  REGSAM view;
};

// The add-on of the library's own bitness in the install folder; under WOW64 also the 64-bit
// one in the native install folder.
std::vector<AddonSide> AddonSides(const CSetupOperations& ops) {
  std::vector<AddonSide> sides = {{kOwnAddonResource, ops.InstallFolder() + kOwnAddonName, kOwnView}};
  if (UnderWow64()) sides.push_back({kResIEAddon64, ops.NativeInstallFolder() + kIEAddon64Name, KEY_WOW64_64KEY});
  return sides;
}

// Restarts the prefix (wineboot -r: pending renames, then the RunOnce entries); its exit code.
DWORD RestartPrefix() {
  setup_test::CStartedProgram wineboot;
  if (!wineboot.Start(L"C:\\windows\\system32\\wineboot.exe -r")) return STILL_ACTIVE;
  return wineboot.ExitCode(120000);
}

// Holds a file open without sharing: it can be neither written nor deleted.
CScopedKernelHandle LockFile(const std::wstring& path) {
  return CScopedKernelHandle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, SetupLibrary());
    saved_ = Waits();
    Waits().registration_settle_ms = 0;
    Waits().delete_retry_ms = 0;
    Waits().close_request_ms = 0;
    Waits().end_deadline_ms = 0;
    SetupPaths::Get().Refresh();
  }
  void TearDown() override {
    Waits() = saved_;
    CSetupOperations ops(SetupLibrary());
    ops.UninstallIELibraries();
    ops.RemoveTray();
    ops.DeleteUninstallEntry();
    ops.RemoveInstallFolder();
    if (UnderWow64()) ops.RemoveNativeInstallFolder();
  }
  // Both install folders under WOW64, as the framework makes them before installing the add-on.
  static bool CreateInstallFolders(CSetupOperations* ops) {
    return ops->CreateInstallFolder() && (!UnderWow64() || ops->CreateNativeInstallFolder());
  }
  SetupWaits saved_;
};

TEST_F(InstallTest, FilesComeFromTheLibrarysResourcesAndTheEntriesNameThem) {
  CSetupOperations ops(SetupLibrary());
  EXPECT_EQ(SetupPaths::Get().ProgramFiles() + L"\\Torvan\\Kestrin\\", ops.InstallFolder());
  if (UnderWow64()) {
    // The native folder is the program-files folder of 64-bit programs: this one without " (x86)".
    const std::wstring native =
        ReadMachineString(KEY_WOW64_64KEY, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir");
    EXPECT_EQ(native + L" (x86)", SetupPaths::Get().ProgramFiles());
    EXPECT_EQ(native + L"\\Torvan\\Kestrin\\", ops.NativeInstallFolder());
  } else {
    EXPECT_TRUE(ops.NativeInstallFolder().empty()) << "no 64-bit side without WOW64";
  }
  ASSERT_TRUE(CreateInstallFolders(&ops));
  ASSERT_TRUE(CreateInstallFolders(&ops)) << "an existing folder counts as created";
  ASSERT_TRUE(ops.InstallIELibraries()) << ops.LastError();
  ASSERT_TRUE(ops.InstallTray());
  std::wstring helper;
  ASSERT_TRUE(ops.ExtractElevationHelper(&helper));
  ASSERT_TRUE(ops.InstallUpdateFile());
  ASSERT_TRUE(ops.ExtractXmlLite());
  ASSERT_TRUE(ops.WriteUninstallEntry());
  EXPECT_FALSE(ops.RestartNeeded());

  std::wstring update_folder;
  ASSERT_TRUE(GetCommonDataFolder(CommonDataFolder::kUpdate, &update_folder));
  const struct {
    int resource;
    std::wstring path;
  } files[] = {
      {kResTrayProgram, ops.InstallFolder() + L"Kestrin.exe"},
      {kResElevationHelper, ops.InstallFolder() + L"Halvorn.exe"},
      {kResUpdateData, update_folder + L"update.dat"},
  };
  for (const auto& file : files) {
    std::string expected = ResourceBytes(file.resource);
    EXPECT_GT(expected.size(), 1000u) << file.resource;
    EXPECT_EQ(expected, ReadWholeFile(file.path)) << file.path;
  }
  // Each add-on library in its folder, registered with that path in the view of its bitness
  // (the 64-bit one through the registration program of its bitness); a view with no library of
  // this installation holds no registration.
  const std::vector<AddonSide> sides = AddonSides(ops);
  for (const AddonSide& side : sides) {
    const std::string expected = ResourceBytes(side.resource);
    EXPECT_GT(expected.size(), 1000u) << side.resource;
    EXPECT_EQ(expected, ReadWholeFile(side.path)) << side.path;
    EXPECT_EQ(side.path, ReadMachineString(side.view, kAddonServerKey, L""));
  }
  if (k64) {
    EXPECT_EQ(L"<none>", ReadMachineString(KEY_WOW64_32KEY, kAddonServerKey, L"")) << "no 32-bit class";
  }
  EXPECT_EQ(ops.InstallFolder() + L"Halvorn.exe", helper);
  EXPECT_EQ(ReadWholeFile(setup_test::BesideTest(L"test_setup_install.exe")),
            ReadWholeFile(ops.InstallFolder() + L"KRSetup.exe"));

  // The Run value names the tray program in quotes: its path holds blanks.
  const std::wstring tray = ops.InstallFolder() + L"Kestrin.exe";
  EXPECT_EQ(tray, ops.TrayPath());
  EXPECT_NE(std::wstring::npos, tray.find(L' '));
  EXPECT_EQ(L"\"" + tray + L"\"", ReadString(HKEY_LOCAL_MACHINE, kRunKey, kRunValueName));

  // Both writers of the uninstall entry have been at work.
  const struct {
    const wchar_t* name;
    std::wstring value;
  } entry[] = {
      {L"DisplayName", L"Kestrin"},
      {L"DisplayVersion", L"2.7.0.14"},
      {L"Publisher", L"Torvan Inc"},
      {L"UninstallString", L"\"" + ops.InstallFolder() + L"KRSetup.exe\""},
      {L"DisplayIcon", ops.InstallFolder() + L"KRSetup.exe"},
  };
  for (const auto& value : entry)
    EXPECT_EQ(value.value, ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, value.name)) << value.name;
  EXPECT_NE(L"<none>", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"HelpLink"));

  // Removal: the Run value and the program go, then the registration and the libraries.
  EXPECT_TRUE(ops.RemoveTray());
  EXPECT_EQ(L"<none>", ReadString(HKEY_LOCAL_MACHINE, kRunKey, kRunValueName));
  EXPECT_FALSE(FileExists(tray));
  EXPECT_FALSE(ops.RemoveTray()) << "no Run value left";
  EXPECT_TRUE(ops.UninstallIELibraries());
  for (const AddonSide& side : sides) EXPECT_FALSE(FileExists(side.path)) << side.path;
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
    EXPECT_TRUE(AddonRegistration(view).empty()) << "view " << std::hex << view;
  EXPECT_TRUE(SharedRegistration().empty());
  EXPECT_TRUE(ops.DeleteUninstallEntry());
  EXPECT_EQ(L"<none>", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
}

TEST_F(InstallTest, RegistrationProgramWritesWhatTheAddonWritesAndIsWaitedFor) {
  CSetupOperations ops(SetupLibrary());
  ASSERT_TRUE(CreateInstallFolders(&ops));
  ASSERT_TRUE(ops.InstallIELibraries()) << ops.LastError();
  for (const AddonSide& side : AddonSides(ops)) {
    SCOPED_TRACE(testing::Message() << side.path);
    const auto installed = AddonRegistration(side.view);
    ASSERT_GT(installed.size(), 10u);
    // Unregistered by the system's registration program: gone as soon as the call returns.
    ASSERT_TRUE(ops.RunRegsvr32(side.path, false));
    EXPECT_TRUE(AddonRegistration(side.view).empty());
    ASSERT_TRUE(ops.RunRegsvr32(side.path, true));
    EXPECT_EQ(installed, AddonRegistration(side.view));
  }
}

TEST_F(InstallTest, FailedRegistrationIsAFailureWithItsText) {
  CSetupOperations ops(SetupLibrary());
  ASSERT_TRUE(ops.CreateInstallFolder());
  // Not a program at all: the load fails as for a library of the other bitness, and the
  // registration program fails as well.
  const std::wstring broken = ops.InstallFolder() + L"Broken.dll";
  ASSERT_TRUE(WriteWholeFile(broken, std::string(4096, 'x')));
  EXPECT_FALSE(ops.RegisterLibraryNow(broken, true));
  EXPECT_EQ(L"Error registering Broken.dll", ops.LastError());
  EXPECT_FALSE(ops.RegisterIELibrary(broken, L"Broken.dll", false));

  // A library whose own unregistration entry fails.
  const std::wstring probe = ops.InstallFolder() + L"libregistration_probe.dll";
  ASSERT_TRUE(CopyFileW(BesideTest(L"libregistration_probe.dll").c_str(), probe.c_str(), FALSE));
  EXPECT_FALSE(ops.RegisterLibraryNow(probe, false));
  EXPECT_EQ(L"Error unregistering libregistration_probe.dll", ops.LastError());
  EXPECT_FALSE(ops.RunRegsvr32(probe, false));
  EXPECT_TRUE(ops.RunRegsvr32(probe, true));

  EXPECT_FALSE(ops.InstallToolbarLibrary()) << "the library carries no toolbar";
}

TEST_F(InstallTest, FilesInUseAreReplacedAndDeletedAtTheRestart) {
  CSetupOperations first(SetupLibrary());
  ASSERT_TRUE(CreateInstallFolders(&first));
  const std::wstring library = first.InstallFolder() + kOwnAddonName;
  const std::wstring doomed = first.InstallFolder() + L"doomed.txt";
  const std::wstring run_once = std::wstring(kRunOnceValuePrefix) + kOwnAddonName;
  // An older library, not registered, held open in the place of the new one.
  ASSERT_EQ(L"<none>", ReadMachineString(kOwnView, kAddonServerKey, L""));
  ASSERT_TRUE(WriteWholeFile(library, "an older library"));
  ASSERT_TRUE(WriteWholeFile(doomed, "in use"));
  {
    CScopedKernelHandle library_lock = LockFile(library);
    CScopedKernelHandle doomed_lock = LockFile(doomed);
    ASSERT_TRUE(library_lock && doomed_lock);

    CSetupOperations ops(SetupLibrary());
    ASSERT_TRUE(ops.InstallIELibraries()) << ops.LastError();
    EXPECT_TRUE(ops.RestartNeeded());
    EXPECT_EQ(ResourceBytes(kOwnAddonResource), ReadWholeFile(AlternativePath(library)));
    // Registered at the next logon, after the move; not now.
    EXPECT_EQ(L"<none>", ReadMachineString(kOwnView, kAddonServerKey, L""));
    EXPECT_EQ(SetupPaths::Get().System() + L"\\regsvr32.exe  /s \"" + library + L"\"",
              ReadMachineString(0, kRunOnceKey, run_once.c_str()));
    EXPECT_TRUE(ops.DeleteOrScheduleFile(doomed));
    EXPECT_TRUE(FileExists(doomed)) << "deleted only at the restart";
  }
  EXPECT_EQ(first.InstallFolder() + L"KestrinIE64_new.dll", AlternativePath(first.InstallFolder() + L"KestrinIE64.dll"));

  EXPECT_EQ(0u, RestartPrefix());
  EXPECT_EQ(ResourceBytes(kOwnAddonResource), ReadWholeFile(library)) << "moved over the old one";
  EXPECT_FALSE(FileExists(AlternativePath(library)));
  EXPECT_FALSE(FileExists(doomed));
  // The restart ran the RunOnce registration (and took the value away): the moved library is
  // registered in the view of its bitness.
  EXPECT_EQ(L"<none>", ReadMachineString(0, kRunOnceKey, run_once.c_str()));
  EXPECT_EQ(library, ReadMachineString(kOwnView, kAddonServerKey, L""));
}

TEST_F(InstallTest, AMoveThatCannotBeLeftForTheRestartIsAFailure) {
  CSetupOperations ops(SetupLibrary());
  ASSERT_TRUE(ops.CreateInstallFolder());
  const std::wstring library = ops.InstallFolder() + kOwnAddonName;
  const std::wstring busy = ops.InstallFolder() + L"busy.txt";
  ASSERT_TRUE(WriteWholeFile(library, "an older library"));
  ASSERT_TRUE(WriteWholeFile(busy, "in use"));
  CScopedKernelHandle library_lock = LockFile(library);
  CScopedKernelHandle busy_lock = LockFile(busy);
  ASSERT_TRUE(library_lock && busy_lock);
  // Write access to the list of pending renames taken away: nothing can be left for the restart.
  CDeniedKey denied(kSessionManager);
  ASSERT_TRUE(denied.active());

  bool deferred = true;
  EXPECT_FALSE(ops.WriteResourceFile(kOwnAddonResource, library, &deferred));
  EXPECT_FALSE(deferred);
  EXPECT_FALSE(FileExists(AlternativePath(library))) << "no orphan left beside it";
  EXPECT_FALSE(ops.InstallIELibraries());
  EXPECT_FALSE(ops.DeleteOrScheduleFile(busy));
  EXPECT_FALSE(ops.RestartNeeded());
}

TEST_F(InstallTest, GeckoStepTextTellsTheOutcome) {
  ASSERT_TRUE(setup_test::ClearBrowsers());
  CSetupOperations ops(SetupLibrary());
  ASSERT_TRUE(ops.CreateInstallFolder());
  EXPECT_FALSE(ops.InstallGeckoPackages(kBrowserIE7)) << "no Gecko browser asked for";
  EXPECT_FALSE(ops.InstallGeckoPackages(kBrowserNetscape9)) << "Netscape 9 is not there";
  EXPECT_NE(L"Installing: extracted and registered Gecko extensions", ops.LastError());
  EXPECT_NE(std::wstring::npos, ops.LastError().find(L"Netscape"));
  EXPECT_EQ(ResourceBytes(kResGeckoPackage), ReadWholeFile(ops.InstallFolder() + L"Kestrin.xpi"));

  std::vector<setup_test::SeededBrowser> seeded;
  ASSERT_TRUE(setup_test::SeedBrowsers({setup_test::Browser::kNetscape9}, KEY_WOW64_32KEY, &seeded));
  EXPECT_TRUE(ops.InstallGeckoPackages(kBrowserNetscape9)) << ops.LastError();
  EXPECT_EQ(L"Installing: extracted and registered Gecko extensions", ops.LastError());
  EXPECT_TRUE(ops.RemoveGeckoPackages(kBrowserNetscape9));
  EXPECT_FALSE(FileExists(ops.InstallFolder() + L"Kestrin.xpi"));
  setup_test::ClearBrowsers();
}

TEST_F(InstallTest, ShortcutIsAShellLinkToTheTrayProgram) {
  CSetupOperations ops(SetupLibrary());
  ASSERT_TRUE(ops.CreateShortcut());
  wchar_t programs[MAX_PATH];
  ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs", programs));
  const std::wstring link = std::wstring(programs) + L"\\Torvan\\Kestrin\\Torvan Kestrin.lnk";
  ASSERT_TRUE(FileExists(link));

  ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  {
    KestrinComNS::CComPtr<IShellLinkW> shell_link;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                              reinterpret_cast<void**>(&shell_link)));
    KestrinComNS::CComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    ASSERT_HRESULT_SUCCEEDED(file->Load(link.c_str(), STGM_READ));
    wchar_t text[MAX_PATH] = L"";
    ASSERT_HRESULT_SUCCEEDED(shell_link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
    EXPECT_EQ(ops.InstallFolder() + L"Kestrin.exe", text);
    ASSERT_HRESULT_SUCCEEDED(shell_link->GetDescription(text, MAX_PATH));
    EXPECT_STREQ(L"Launch the Kestrin tray icon application", text);
  }
  CoUninitialize();

  // Without the Programs folder no link is made at the drive's root.
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs", L""));
  EXPECT_FALSE(ops.CreateShortcut());
  EXPECT_FALSE(FolderExists(L"C:\\Torvan"));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs", programs));
}

TEST_F(InstallTest, EmptyProgramFilesFolderWritesNothingAtTheDrivesRoot) {
  const std::wstring program_files = SetupPaths::Get().ProgramFiles();
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", L""));
  SetupPaths::Get().Refresh();
  const bool emptied = SetupPaths::Get().ProgramFiles().empty();
  if (emptied) {
    CSetupOperations ops(SetupLibrary());
    EXPECT_EQ(L"\\Torvan\\Kestrin\\", ops.InstallFolder());
    EXPECT_FALSE(ops.CreateInstallFolder());
    EXPECT_FALSE(ops.InstallIELibraries());
    EXPECT_FALSE(ops.InstallTray());
    EXPECT_FALSE(ops.ExtractXmlLite());
    EXPECT_FALSE(ops.CopySetupProgram());
    EXPECT_FALSE(ops.WriteUninstallEntry());
    std::wstring helper;
    EXPECT_FALSE(ops.ExtractElevationHelper(&helper));
    EXPECT_FALSE(ops.InstallGeckoPackages(kBrowserFirefox2));
    EXPECT_FALSE(ops.CreateShortcut());
    EXPECT_FALSE(FolderExists(L"C:\\Torvan"));
  }
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", program_files));
  SetupPaths::Get().Refresh();
  ASSERT_TRUE(emptied) << "the program-files folder could not be emptied";
}

TEST_F(InstallTest, MaintenanceRunCopiesOverItsOwnInstalledCopy) {
  CSetupOperations ops(SetupLibrary());
  ASSERT_TRUE(ops.CreateInstallFolder());
  ASSERT_TRUE(ops.CopySetupProgram());
  const std::wstring copy = ops.InstallFolder() + L"KRSetup.exe";
  setup_test::CStartedProgram maintenance;
  ASSERT_TRUE(maintenance.Start(L"\"" + copy + L"\" --copy-over-own-copy"));
  EXPECT_EQ(0u, maintenance.ExitCode(60000));
}

TEST_F(InstallTest, StartTrayStartsOnlyWhatThisObjectInstalled) {
  CSetupOperations fresh(SetupLibrary());
  EXPECT_TRUE(fresh.StartTray()) << "nothing installed through this object: nothing started";

  CSetupOperations ops(SetupLibrary());
  ASSERT_TRUE(ops.CreateInstallFolder());
  ASSERT_TRUE(ops.InstallTray());
  ASSERT_TRUE(DeleteFileW(ops.TrayPath().c_str()));
  ASSERT_TRUE(setup_test::CopyStandIn(L"start_recorder.exe", ops.TrayPath()));
  setup_test::CReadyEvent recorded(L"KestrinStartRecorded");
  ASSERT_TRUE(ops.StartTray());
  EXPECT_TRUE(recorded.Wait(60000));
  EXPECT_TRUE(FileExists(ops.TrayPath() + L".started"));
}

}  // namespace
}  // namespace SetupFrameworkNS
