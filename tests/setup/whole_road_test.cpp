// The whole road in a fresh prefix, driven by the setup driver as the setup program drives the
// library: install, the scripted browser finding the add-on, an update over an older install, a
// maintenance run from the installed setup copy, a file in use replaced at the next restart, and
// the removal, after which the prefix holds what it held before.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/utility/platform.h"
#include "platform/win/scoped_handle.h"
#include "setup/setup_helpers.h"
#include "tests/setup/test_support.h"
#include "tools/iehost/host_browser.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedFindHandle;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;
namespace {

const wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallEntry[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrin";
const wchar_t kSettingsKey[] = L"SOFTWARE\\TorvanGroup\\Dravix";
const wchar_t kRunOnceKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t kBrowserHelperObjects[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr bool k64 = sizeof(void*) == 8;
const REGSAM kOwnView = k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
const wchar_t* const kOwnAddonName = k64 ? L"KestrinIE64.dll" : L"KestrinIE32.dll";

// A 32-bit test program in a 64-bit prefix: the setup library installs both add-on libraries.
bool UnderWow64() {
  BOOL wow64 = FALSE;
  return !k64 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// ---- the driver ----

std::vector<std::wstring> RunDriver(const std::wstring& program, const std::wstring& steps) {
  std::vector<std::wstring> lines;
  DWORD exit_code = 0;
  EXPECT_TRUE(setup_test::RunSetupDriver(program, steps, &lines, &exit_code));
  EXPECT_EQ(0u, exit_code) << steps.c_str();
  return lines;
}

std::wstring Driver() { return setup_test::BesideTest(L"setupdriver.exe"); }

bool HasLine(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Every "call" line of the run succeeded, apart from the named ones; no error was reported.
void ExpectAllCallsSucceeded(const std::vector<std::wstring>& lines) {
  for (const std::wstring& line : lines) {
    if (line.compare(0, 6, L"error ") == 0) ADD_FAILURE() << line.c_str();
    if (line.compare(0, 5, L"call ") != 0) continue;
    const bool ok = line.find(L"-> 0x00000000") != std::wstring::npos;
    // Before the first install nothing is there to compare with.
    const bool may_fail = line.find(L"CompareInstalled") != std::wstring::npos ||
                          line.find(L"DetectBrowsers") != std::wstring::npos ||
                          line.find(L"DetectInstalledExtensions") != std::wstring::npos;
    if (!ok && !may_fail) ADD_FAILURE() << line.c_str();
  }
}

// ---- what the prefix holds ----

using Snapshot = std::map<std::wstring, std::wstring>;

// Parts of the machine that the system itself changes while programs run, and what setup leaves
// on purpose: the maker's certificates and OID names stay after a removal.
bool Ignored(const std::wstring& path) {
  static const wchar_t* const kIgnored[] = {
      L"HKLM\\SOFTWARE\\Microsoft\\SystemCertificates\\",
      L"HKCU\\SOFTWARE\\Microsoft\\SystemCertificates\\",  // made by crypt32 when a store opens
      L"HKLM\\SOFTWARE\\Microsoft\\Cryptography\\OID\\",
      L"HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Cryptography\\OID\\",
      L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\PendingFileRenameOperations",
      L"HKLM\\SOFTWARE\\Microsoft\\Cryptography\\RNG",
      L"HKLM\\HARDWARE\\",
      L"HKCU\\Software\\Wine\\",
      L"HKCU\\Volatile Environment",
      L"C:\\KestrinTest\\",
      L"C:\\windows\\temp\\",
      L"C:\\windows\\Installer\\",
  };
  for (const wchar_t* prefix : kIgnored)
    if (_wcsnicmp(path.c_str(), prefix, wcslen(prefix)) == 0) return true;
  return path.find(L"\\AppData\\Local\\Temp\\") != std::wstring::npos ||
         path.find(L"\\Temp\\") != std::wstring::npos;
}

void SnapshotKey(HKEY root, const std::wstring& name, const std::wstring& path, REGSAM view, Snapshot* out) {
  CScopedRegKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return;
  const std::wstring here = name + (path.empty() ? L"" : L"\\" + path);
  if (Ignored(here + L"\\")) return;
  (*out)[here + L"\\"] = L"(key)";
  std::vector<wchar_t> value_name(16384);
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD name_length = static_cast<DWORD>(value_name.size()), type = 0, bytes = static_cast<DWORD>(data.size());
    LONG status = RegEnumValueW(key.Get(), i, value_name.data(), &name_length, nullptr, &type, data.data(), &bytes);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    const std::wstring full = here + L"\\" + value_name.data();
    if (Ignored(full)) continue;
    (*out)[full] = std::to_wstring(type) + L":" + std::wstring(data.begin(), data.begin() + bytes);
  }
  for (DWORD i = 0;; ++i) {
    wchar_t sub[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key.Get(), i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (_wcsicmp(sub, L"Wow6432Node") == 0) continue;  // the other view, walked on its own
    SnapshotKey(root, name, path.empty() ? std::wstring(sub) : path + L"\\" + sub, view, out);
  }
}

void SnapshotFolder(const std::wstring& folder, Snapshot* out) {
  WIN32_FIND_DATAW found = {};
  CScopedFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return;
  do {
    if (!wcscmp(found.cFileName, L".") || !wcscmp(found.cFileName, L"..")) continue;
    const std::wstring path = folder + L"\\" + found.cFileName;
    const bool is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (Ignored(path + (is_folder ? L"\\" : L""))) continue;
    (*out)[path] = is_folder ? L"(folder)" : std::to_wstring(found.nFileSizeLow);
    if (is_folder && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) SnapshotFolder(path, out);
  } while (FindNextFileW(search.Get(), &found));
}

// The top of the classes key of one view: every ProgID and file type by name, so that one left
// behind shows, and ours with everything under them.
void SnapshotClassesTop(const std::wstring& name, REGSAM view, Snapshot* out) {
  const std::wstring classes = L"SOFTWARE\\Classes";
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, classes.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    wchar_t sub[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key.Get(), i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (_wcsicmp(sub, L"Wow6432Node") == 0) continue;
    const std::wstring path = classes + L"\\" + sub;
    if (_wcsnicmp(sub, L"Kestrin", 7) == 0) SnapshotKey(HKEY_LOCAL_MACHINE, name, path, view, out);
    else (*out)[name + L"\\" + path + L"\\"] = L"(key)";
  }
}

// Where an installation writes, and what the system keeps beside it there: the registry's
// program and class keys in both views (the ProgIDs at the top of the classes key by name), the
// user's software key, and the folders outside the Windows folder.
Snapshot TakeSnapshot() {
  Snapshot snapshot;
  for (const wchar_t* key : {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"SOFTWARE\\Classes\\CLSID",
                             L"SOFTWARE\\Classes\\TypeLib", L"SOFTWARE\\Classes\\Interface",
                             L"SOFTWARE\\Classes\\AppID", L"SOFTWARE\\TorvanGroup", L"SOFTWARE\\Torvan"}) {
    SnapshotKey(HKEY_LOCAL_MACHINE, L"HKLM", key, KEY_WOW64_64KEY, &snapshot);
    SnapshotKey(HKEY_LOCAL_MACHINE, L"HKLM32", key, KEY_WOW64_32KEY, &snapshot);
  }
  SnapshotClassesTop(L"HKLM", KEY_WOW64_64KEY, &snapshot);
  SnapshotClassesTop(L"HKLM32", KEY_WOW64_32KEY, &snapshot);
  SnapshotKey(HKEY_CURRENT_USER, L"HKCU", L"SOFTWARE", 0, &snapshot);
  for (const wchar_t* folder : {L"C:\\Program Files", L"C:\\Program Files (x86)", L"C:\\ProgramData",
                                L"C:\\users", L"C:\\windows\\Downloaded Program Files"})
    SnapshotFolder(folder, &snapshot);
  return snapshot;
}

std::wstring Differences(const Snapshot& before, const Snapshot& after) {
  std::wstring text;
  for (const auto& entry : after) {
    auto old = before.find(entry.first);
    if (old == before.end()) text += L"  left behind: " + entry.first + L"\n";
    else if (old->second != entry.second && entry.second != L"(folder)") text += L"  changed: " + entry.first + L"\n";
  }
  for (const auto& entry : before)
    if (!after.count(entry.first)) text += L"  gone: " + entry.first + L"\n";
  return text;
}

// ---- what an installation holds ----

std::wstring ReadMachineText(const wchar_t* key_path, const wchar_t* name, REGSAM view = 0) {
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return L"";
  wchar_t text[1024] = {};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  if (RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS)
    return L"";
  return text;
}

std::wstring InstallFolder() { return SetupPaths::Get().ProgramFiles() + L"\\Torvan\\Kestrin"; }

// The server the add-on's class is registered with in one registry view (by default the view
// this build's browser reads).
std::wstring AddonServer(REGSAM view = 0) {
  return ReadMachineText((std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + kIEAddonClsid + L"\\InprocServer32").c_str(),
                         nullptr, view);
}

// The install folder under the program-files folder of 64-bit programs, which a 32-bit program
// finds in the 64-bit registry view.
std::wstring NativeInstallFolder() {
  return ReadMachineText(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir", KEY_WOW64_64KEY) +
         L"\\Torvan\\Kestrin";
}

// An add-on library that the installation puts in place: the setup library's resource, the
// installed path and the registry view it is registered in.
struct AddonSide {
  int resource;
  std::wstring path;
  REGSAM view;
};

// The add-on of the library's own bitness in the install folder; under WOW64 also the 64-bit
// one in the native program-files folder.
std::vector<AddonSide> AddonSides() {
  std::vector<AddonSide> sides = {{k64 ? 114 : 113, InstallFolder() + L"\\" + kOwnAddonName, kOwnView}};
  if (UnderWow64()) sides.push_back({114, NativeInstallFolder() + L"\\KestrinIE64.dll", KEY_WOW64_64KEY});
  return sides;
}

std::string BinResource(HMODULE library, int id) {
  HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(id), L"BIN");
  if (!found) return std::string();
  const char* data = static_cast<const char*>(LockResource(LoadResource(library, found)));
  return std::string(data, SizeofResource(library, found));
}

struct CertificateCount { HCERTSTORE store; int found; int total; };

BOOL CALLBACK CountCertificateInStore(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto* c = reinterpret_cast<CertificateCount*>(param);
  HRSRC resource = FindResourceW(module, name, type);
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
  PCCERT_CONTEXT certificate = CertCreateCertificateContext(X509_ASN_ENCODING, bytes, SizeofResource(module, resource));
  ++c->total;
  if (certificate) {
    PCCERT_CONTEXT in_store =
        CertFindCertificateInStore(c->store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, certificate, nullptr);
    if (in_store) {
      ++c->found;
      CertFreeCertificateContext(in_store);
    }
    CertFreeCertificateContext(certificate);
  }
  return TRUE;
}

// Every certificate resource of one type is in the machine store.
void ExpectCertificatesIn(HMODULE library, const wchar_t* type, const char* store_name) {
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                   CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG, store_name);
  ASSERT_NE(nullptr, store) << store_name;
  CertificateCount context = {store, 0, 0};
  EnumResourceNamesW(library, type, CountCertificateInStore, reinterpret_cast<LONG_PTR>(&context));
  EXPECT_LT(0, context.total) << "the library carries certificates of this kind";
  EXPECT_EQ(context.total, context.found) << store_name;
  CertCloseStore(store, 0);
}

// The scripted browser finds the add-on's helper object through the registry and gives it its
// site, as Internet Explorer does.
void ExpectBrowserRunsTheAddon() {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    std::vector<iehost::CComPtr<IObjectWithSite>> objects;
    ASSERT_EQ(S_OK, iehost::CreateRegisteredHelperObjects(&objects));
    ASSERT_EQ(1u, objects.size());
    HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    iehost::CComPtr<iehost::CComObject<iehost::CHostBrowser>> browser;
    browser.Attach(iehost::CComObject<iehost::CHostBrowser>::Create(
        L"C:\\Program Files\\Internet Explorer\\iexplore.exe", frame, nullptr));
    EXPECT_EQ(S_OK, objects[0]->SetSite(static_cast<IWebBrowser2*>(browser.get())));
    EXPECT_EQ(1u, browser->events()->ConnectionCount()) << "the add-on listens to the browser";
    EXPECT_EQ(S_OK, objects[0]->SetSite(nullptr));
    objects.clear();
    browser.Release();
    DestroyWindow(frame);
  }
  CoFreeUnusedLibrariesEx(0, 0);
  CoUninitialize();
  // The add-on's background thread holds its library until it has been idle a while; later
  // steps replace and delete the library, which they cannot while this process maps it.
  const std::wstring server = AddonServer();
  for (int i = 0; i < 600 && GetModuleHandleW(server.c_str()); ++i) Sleep(50);
  EXPECT_EQ(nullptr, GetModuleHandleW(server.c_str())) << "the add-on's library is let go";
}

// Ends every process with this executable name (the user closing the tray program).
int EndProcesses(const wchar_t* exe) {
  int ended = 0;
  CScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, exe) != 0) continue;
    CScopedKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (process && TerminateProcess(process.Get(), 0)) {
      WaitForSingleObject(process.Get(), 5000);
      ++ended;
    }
  }
  return ended;
}

// The started tray program holds its single-instance mutex once it waits for input.
bool TrayProgramStarts() {
  CScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, L"Kestrin.exe") != 0) continue;
    CScopedKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
    if (process) WaitForInputIdle(process.Get(), 30000);
  }
  return UtilityClassesNS::IsTrayProgramRunning();
}

// Run in a process of its own by the install test (KESTRIN_OID_PROBE set).
TEST(OidNames, VisibleThroughCryptFindOIDInfo) {
  if (!GetEnvironmentVariableW(L"KESTRIN_OID_PROBE", nullptr, 0)) GTEST_SKIP() << "run by the install test";
  const struct { const char* oid; DWORD group; const wchar_t* name; } oids[] = {
      {"1.3.6.1.4.1.32473.1.1.1", CRYPT_EXT_OR_ATTR_OID_GROUP_ID, L"Verifiable Content"},
      {"1.3.6.1.4.1.32473.1.1.2", CRYPT_EXT_OR_ATTR_OID_GROUP_ID, L"NLR Options"},
      {"1.3.6.1.4.1.32473.1.3.1", CRYPT_ENHKEY_USAGE_OID_GROUP_ID, L"Nelrow"},
      {"1.3.6.1.4.1.32473.1.3.2", CRYPT_ENHKEY_USAGE_OID_GROUP_ID, L"Protects online payments"},
  };
  for (const auto& o : oids) {
    PCCRYPT_OID_INFO info = CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, const_cast<char*>(o.oid), o.group);
    ASSERT_NE(nullptr, info) << o.oid;
    EXPECT_STREQ(o.name, info->pwszName);
  }
}

class WholeRoad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The browser's key for helper objects, which a real Internet Explorer has in both views:
    // the removal leaves it, without our entry.
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      CScopedRegKey key;
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kBrowserHelperObjects, 0, nullptr, 0, KEY_READ | view, nullptr,
                      key.Receive(), nullptr);
    }
    before_ = new Snapshot(TakeSnapshot());
  }
  static void TearDownTestSuite() { delete before_; }
  static Snapshot* before_;
};
Snapshot* WholeRoad::before_ = nullptr;

TEST_F(WholeRoad, InstallIntoAFreshPrefix) {
  const std::vector<std::wstring> lines = RunDriver(Driver(), L"install");
  ExpectAllCallsSucceeded(lines);
  EXPECT_TRUE(HasLine(lines, L"call CompareInstalledVersion -> 0x80004005 result=0")) << "nothing was installed";
  EXPECT_TRUE(HasLine(lines, L"step 0 Install Internet Explorer extension"));

  const std::wstring folder = InstallFolder();
  for (const wchar_t* name : {L"Kestrin.exe", L"KRSetup.exe"})
    EXPECT_TRUE(FileExists(folder + L"\\" + name)) << name;
  CScopedLibrary library(LoadLibraryExW(setup_test::BesideTest(L"KRSetupDll.dll").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(library);
  // Each add-on library in its program-files folder, registered in the view of its bitness.
  for (const AddonSide& side : AddonSides()) {
    EXPECT_EQ(BinResource(library.Get(), side.resource), setup_test::ReadWholeFile(side.path)) << side.path.c_str();
    EXPECT_EQ(side.path, AddonServer(side.view));
  }
  if (k64) {
    EXPECT_TRUE(AddonServer(KEY_WOW64_32KEY).empty()) << "no 32-bit library, no 32-bit registration";
  }
  std::wstring update;
  ASSERT_TRUE(GetCommonDataFolder(CommonDataFolder::kUpdate, &update));
  EXPECT_TRUE(FileExists(update + L"update.dat"));

  EXPECT_EQ(L"\"" + folder + L"\\Kestrin.exe\"", ReadMachineText(kRunKeyPath, L"Kestrin")) << "quoted";
  EXPECT_EQ(L"Kestrin", ReadMachineText(kUninstallEntry, L"DisplayName"));
  EXPECT_EQ(L"2.7.0.14", ReadMachineText(kUninstallEntry, L"DisplayVersion"));
  EXPECT_EQ(L"\"" + folder + L"\\KRSetup.exe\"", ReadMachineText(kUninstallEntry, L"UninstallString"));
  wchar_t programs[MAX_PATH] = {};
  ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE,
                                 L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                 L"Common Programs", programs));
  EXPECT_TRUE(FileExists(std::wstring(programs) + L"\\Torvan\\Kestrin\\Torvan Kestrin.lnk"));

  ExpectCertificatesIn(library.Get(), L"ROOTCERT", "Root");
  ExpectCertificatesIn(library.Get(), L"INTERCERT", "CA");
  // crypt32 reads the registered OID names when a process loads it: a fresh process sees them.
  setup_test::CStartedProgram probe;
  SetEnvironmentVariableW(L"KESTRIN_OID_PROBE", L"1");
  ASSERT_TRUE(probe.Start(L"\"" + setup_test::BesideTest(L"test_setup_road.exe") +
                          L"\" --gtest_filter=OidNames.* --gtest_brief=1"));
  SetEnvironmentVariableW(L"KESTRIN_OID_PROBE", nullptr);
  EXPECT_EQ(0u, probe.ExitCode(60000)) << "the OID names are visible to a new process";
  EXPECT_TRUE(TrayProgramStarts()) << "the tray program was started";

  ExpectBrowserRunsTheAddon();
  if (UnderWow64()) {
    // The 64-bit browser finds the 64-bit add-on through its view: the x64 build's scripted
    // browser gives a site to every helper object it finds and ends when its input does.
    setup_test::CStartedProgram browser64;
    ASSERT_TRUE(browser64.Start(L"\"" + setup_test::BesideTest(L"scripted_ie.exe") + L"\""));
    EXPECT_EQ(0u, browser64.ExitCode(60000)) << "the 64-bit browser runs the 64-bit add-on";
  }
}

// An older version's files and settings are replaced; the version compare saw it older.
TEST_F(WholeRoad, UpdateOverAnOlderInstall) {
  const std::wstring tray = InstallFolder() + L"\\Kestrin.exe";
  const std::string current = setup_test::ReadWholeFile(tray);
  ASSERT_FALSE(current.empty());
  EndProcesses(L"Kestrin.exe");
  ASSERT_TRUE(setup_test::WriteWholeFile(tray, "an older tray program"));
  ASSERT_TRUE(setup_test::SetMachineString(0, kUninstallEntry, L"DisplayVersion", L"2.6.0.3"));
  CScopedRegKey settings;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           settings.Receive(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(settings.Get(), "KRVersion", 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>("2.6.0.3"), 8));
  settings.Reset();

  const std::vector<std::wstring> lines = RunDriver(Driver(), L"install");
  ExpectAllCallsSucceeded(lines);
  EXPECT_TRUE(HasLine(lines, L"call CompareInstalledVersion -> 0x00000000 result=3")) << "installed is older";
  EXPECT_EQ(current, setup_test::ReadWholeFile(tray));
  EXPECT_EQ(L"2.7.0.14", ReadMachineText(kUninstallEntry, L"DisplayVersion"));
  EXPECT_TRUE(TrayProgramStarts());
}

// A maintenance run over the same version, from the setup program's installed copy (which the
// run copies over itself) while the tray program runs.
TEST_F(WholeRoad, MaintenanceRunFromTheInstalledSetupCopy) {
  const std::wstring copy = InstallFolder() + L"\\KRSetup.exe";
  ASSERT_TRUE(FileExists(copy));
  // The settings of this version (written by an installation for the Gecko browsers).
  CScopedRegKey settings;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, settings.Receive()));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(settings.Get(), "KRVersion", 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>("2.7.0.14"), 9));
  settings.Reset();
  const std::vector<std::wstring> lines = RunDriver(copy, L"install");
  ExpectAllCallsSucceeded(lines);
  EXPECT_TRUE(HasLine(lines, L"call CompareInstalledVersion -> 0x00000000 result=1")) << "the same version";
  EXPECT_TRUE(FileExists(copy));
  EXPECT_TRUE(TrayProgramStarts());
  ExpectBrowserRunsTheAddon();
}

// The add-on library in use by a browser is written beside itself and moved over at the restart,
// which also runs its registration left in RunOnce.
TEST_F(WholeRoad, LibraryInUseIsReplacedAtTheNextRestart) {
  const std::wstring server = AddonServer();
  ASSERT_EQ(InstallFolder() + L"\\" + kOwnAddonName, server);
  const std::string current = setup_test::ReadWholeFile(server);
  const std::wstring run_once = std::wstring(L"RegisterKestrin") + kOwnAddonName;
  std::vector<std::wstring> lines;
  {
    CScopedLibrary in_use(LoadLibraryW(server.c_str()));
    ASSERT_TRUE(in_use);
    // Unregistered first, so that only the registration at the restart can bring it back.
    setup_test::CStartedProgram unregister;
    ASSERT_TRUE(unregister.Start(L"regsvr32.exe /u /s \"" + server + L"\""));
    ASSERT_EQ(0u, unregister.ExitCode(60000));
    ASSERT_TRUE(AddonServer().empty());
    lines = RunDriver(Driver(), L"InstallIEExtension");
  }
  EXPECT_TRUE(HasLine(lines, L"call InstallIEExtension -> 0x00000000"));
  EXPECT_TRUE(HasLine(lines, L"restart needed"));
  const std::wstring beside = server.substr(0, server.rfind(L'.')) + L"_new.dll";
  EXPECT_TRUE(FileExists(beside));
  EXPECT_EQ(current, setup_test::ReadWholeFile(beside));
  EXPECT_FALSE(ReadMachineText(kRunOnceKeyPath, run_once.c_str()).empty());
  EXPECT_TRUE(AddonServer().empty()) << "registered only at the restart";

  setup_test::CStartedProgram restart;
  ASSERT_TRUE(restart.Start(L"wineboot.exe -r"));
  EXPECT_EQ(0u, restart.ExitCode(120000));
  EXPECT_FALSE(FileExists(beside)) << "moved over the library at the restart";
  EXPECT_EQ(current, setup_test::ReadWholeFile(server));
  EXPECT_TRUE(ReadMachineText(kRunOnceKeyPath, run_once.c_str()).empty()) << "carried out at the restart";
  EXPECT_EQ(server, AddonServer()) << "registered by the restart";
}

// Removal with the user's data: nothing of ours is left, and everything that was there before is.
TEST_F(WholeRoad, RemovalLeavesThePrefixAsItWas) {
  EndProcesses(L"Kestrin.exe");
  const std::vector<std::wstring> lines = RunDriver(Driver(), L"SetOption:0 remove");
  ExpectAllCallsSucceeded(lines);
  EXPECT_FALSE(FolderExists(InstallFolder()));
  if (UnderWow64()) {
    EXPECT_FALSE(FolderExists(NativeInstallFolder()));
  }
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) EXPECT_TRUE(AddonServer(view).empty()) << view;
  EXPECT_TRUE(ReadMachineText(kRunKeyPath, L"Kestrin").empty());
  const std::wstring differences = Differences(*before_, TakeSnapshot());
  EXPECT_TRUE(differences.empty()) << "\n" << differences.c_str();
}

}  // namespace
}  // namespace SetupFrameworkNS
