// The setup library's export and framework object, used through KRSetupDll.dll as the setup
// program uses them: arguments, buffers, the version compares, the reports, and which methods
// leave XmlLite and the uninstall entry for a browser that still carries the add-on.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/scoped_handle.h"
#include "setup/browser_detect.h"
#include "setup/setup_framework_iface.h"
#include "setup/setup_helpers.h"
#include "tests/setup/browser_seed.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;
namespace {

const wchar_t kSettingsKey[] = L"SOFTWARE\\TorvanGroup\\Dravix";
const wchar_t kUninstallEntry[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrin";

class CRecorder : public ISetupReport {
 public:
  void ReportStep(DWORD number, const wchar_t* text) override {
    lines.push_back(L"step " + std::to_wstring(number) + L" " + text);
  }
  void ReportError(const wchar_t* text, DWORD code) override {
    lines.push_back(L"error " + std::to_wstring(code) + L" " + text);
  }
  void ReportRestartNeeded() override { lines.push_back(L"restart needed"); }
  std::vector<std::wstring> lines;
};

class Framework : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.Reset(LoadLibraryW(setup_test::BesideTest(L"KRSetupDll.dll").c_str()));
    ASSERT_TRUE(library_);
    create_ = reinterpret_cast<CreateFrameworkFunction>(GetProcAddress(library_.Get(), "CreateFramework"));
    ASSERT_NE(nullptr, create_);
    ASSERT_EQ(S_OK, create_(&report_, &framework_));
  }
  void TearDown() override {
    if (framework_) EXPECT_EQ(0u, framework_->Release()) << "the caller held the only reference";
  }
  std::wstring InstallFolder() {
    wchar_t folder[MAX_PATH];
    EXPECT_EQ(S_OK, framework_->GetInstallFolder(folder, MAX_PATH));
    return folder;
  }

  CScopedLibrary library_;
  CreateFrameworkFunction create_ = nullptr;
  CRecorder report_;
  ISetupFramework* framework_ = nullptr;
};

TEST_F(Framework, ExportRefusesMissingArgumentsAndAnswersItsInterfaces) {
  ISetupFramework* other = reinterpret_cast<ISetupFramework*>(1);
  EXPECT_EQ(E_INVALIDARG, create_(nullptr, &other));
  EXPECT_EQ(reinterpret_cast<ISetupFramework*>(1), other) << "nothing handed out";
  EXPECT_EQ(E_INVALIDARG, create_(&report_, nullptr));

  IUnknown* unknown = nullptr;
  ASSERT_EQ(S_OK, framework_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
  EXPECT_EQ(static_cast<IUnknown*>(framework_), unknown);
  unknown->Release();
  IUnknown* dispatch = nullptr;
  EXPECT_EQ(E_NOINTERFACE, framework_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
  EXPECT_EQ(nullptr, dispatch);
}

// The buffer must hold the text and its terminator; nothing is written otherwise.
TEST_F(Framework, TextsAreCopiedOnlyWhenTheyFitWithTheirTerminator) {
  const std::wstring folder = SetupPaths::Get().ProgramFiles() + L"\\Torvan\\Kestrin";
  std::vector<wchar_t> buffer(folder.size() + 1, L'#');
  EXPECT_EQ(E_FAIL, framework_->GetInstallFolder(buffer.data(), static_cast<DWORD>(folder.size())));
  EXPECT_EQ(L'#', buffer[0]);
  EXPECT_EQ(E_FAIL, framework_->GetInstallFolder(nullptr, 100));
  EXPECT_EQ(S_OK, framework_->GetInstallFolder(buffer.data(), static_cast<DWORD>(buffer.size())));
  EXPECT_EQ(folder, buffer.data());

  std::vector<wchar_t> licence(16384);
  ASSERT_EQ(S_OK, framework_->GetLicenceText(licence.data(), static_cast<DWORD>(licence.size())));
  const size_t length = wcslen(licence.data());
  EXPECT_NE(nullptr, wcsstr(licence.data(), L"Kestrin")) << "16-bit text without byte-order mark";
  EXPECT_NE(0xFEFF, licence[0]);
  EXPECT_EQ(E_FAIL, framework_->GetLicenceText(licence.data(), static_cast<DWORD>(length)));
  EXPECT_TRUE(report_.lines.empty()) << "neither method reports";
}

// A user without settings (a fresh machine) has no installed version: not "the same".
TEST_F(Framework, InstalledVersionComesFromTheSettingsOnly) {
  struct Case { const wchar_t* version; DWORD result; HRESULT hr; };
  const Case cases[] = {
      {nullptr, kVersionUnknown, E_FAIL},          // no settings key at all
      {L"", kVersionUnknown, E_FAIL},              // a key without the value
      {L"2.7.0.14", kVersionSame, S_OK},
      {L"2.7.1.0", kVersionInstalledNewer, S_OK},
      {L"2.6.99.99", kVersionInstalledOlder, S_OK},
      {L"0.0.0.0", kVersionUnknown, E_FAIL},
      {L"2.7", kVersionUnknown, E_FAIL},           // unreadable, and no extension package either
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version ? c.version : L"(no key)");
    SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    if (c.version) {
      CScopedRegKey key;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               key.Receive(), nullptr));
      if (*c.version)
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.Get(), "KRVersion", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(std::string(c.version, c.version + wcslen(c.version)).c_str()),
                                                static_cast<DWORD>(wcslen(c.version) + 1)));
    }
    DWORD result = 99;
    EXPECT_EQ(c.hr, framework_->CompareInstalledVersion(&result));
    EXPECT_EQ(c.result, result);
  }
  SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  DWORD result = 99;
  EXPECT_EQ(E_FAIL, framework_->CompareInstalledIEAddonVersion(&result)) << "nothing installed";
  EXPECT_EQ(kVersionUnknown, result);
}

// XmlLite and the uninstall entry stay while the Internet Explorer add-on is still registered,
// whichever browser's removal asks; they go once no browser carries the add-on.
TEST_F(Framework, SharedFilesStayWhileAnotherBrowserCarriesTheAddon) {
  const std::wstring folder = InstallFolder();
  ASSERT_TRUE(SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS || FolderExists(folder));
  const std::wstring xmllite = folder + L"\\xmllite.dll";
  const std::wstring addon = folder + L"\\KestrinIE.dll";
  ASSERT_TRUE(setup_test::WriteWholeFile(xmllite, "xml"));
  ASSERT_TRUE(setup_test::WriteWholeFile(addon, "addon"));
  ASSERT_TRUE(setup_test::SetMachineString(0, kUninstallEntry, L"DisplayName", L"Kestrin"));
  const std::wstring server = std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + kIEAddonClsid + L"\\InprocServer32";
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
    ASSERT_TRUE(setup_test::SetMachineString(view, server, nullptr, addon));

  // Removal from the Gecko browsers (none chosen here) while Internet Explorer keeps the add-on.
  EXPECT_EQ(S_OK, framework_->UninstallGeckoExtension(0x0E));
  EXPECT_TRUE(FileExists(xmllite));
  CScopedRegKey entry;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntry, 0, KEY_READ, entry.Receive()));
  entry.Reset();
  // The old toolbar's removal does not take them either.
  EXPECT_EQ(S_OK, framework_->UninstallIEToolbar());
  EXPECT_TRUE(FileExists(xmllite));

  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
    setup_test::DeleteMachineTree(view, std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + kIEAddonClsid);
  EXPECT_EQ(S_OK, framework_->UninstallGeckoExtension(0x0E));
  EXPECT_FALSE(FileExists(xmllite));
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntry, 0, KEY_READ, entry.Receive()));
  for (const std::wstring& line : report_.lines) ADD_FAILURE() << "unexpected report: " << line.c_str();
}

bool UninstallEntryExists() {
  CScopedRegKey entry;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntry, 0, KEY_READ, entry.Receive()) == ERROR_SUCCESS;
}

// The real add-on in Internet Explorer and the extension in a Gecko browser (Netscape 9), then
// removed browser by browser: XmlLite and the uninstall entry stay until the last browser lets
// the add-on go, whichever method asks first, a full clean-up included.
TEST_F(Framework, SharedFilesStayUntilTheLastBrowserLetsTheAddonGo) {
  ASSERT_TRUE(setup_test::ClearBrowsers());
  ASSERT_TRUE(setup_test::SeedBrowsers({setup_test::Browser::kNetscape9}, KEY_WOW64_32KEY));
  ASSERT_EQ(S_OK, framework_->InstallIEExtension());
  ASSERT_EQ(S_OK, framework_->InstallGeckoExtension(kBrowserNetscape9));
  ASSERT_EQ(S_OK, framework_->WriteUninstallKey());
  DWORD installed = 0;
  framework_->DetectInstalledExtensions(&installed);
  ASSERT_EQ(kBrowserNetscape9, installed & kGeckoBrowserMask);
  ASSERT_TRUE(IsIEAddonRegistered());
  // This library carries no XmlLite of its own (the system's serves): one is put in its place.
  const std::wstring xmllite = InstallFolder() + L"\\xmllite.dll";
  ASSERT_TRUE(setup_test::WriteWholeFile(xmllite, "xml"));

  EXPECT_EQ(S_OK, framework_->CleanupPreviousVersions(1));
  EXPECT_TRUE(UninstallEntryExists()) << "both browsers carry the add-on";
  EXPECT_EQ(S_OK, framework_->UninstallIEExtension());
  EXPECT_FALSE(IsIEAddonRegistered());
  EXPECT_TRUE(FileExists(xmllite)) << "Netscape 9 still carries the add-on";
  EXPECT_EQ(S_OK, framework_->CleanupPreviousVersions(1));
  EXPECT_TRUE(UninstallEntryExists()) << "Netscape 9 still carries the add-on";

  EXPECT_EQ(S_OK, framework_->UninstallGeckoExtension(kBrowserNetscape9));
  EXPECT_FALSE(FileExists(xmllite));
  EXPECT_FALSE(UninstallEntryExists());
  // With no browser left, the full clean-up takes the entry as before.
  ASSERT_EQ(S_OK, framework_->WriteUninstallKey());
  EXPECT_EQ(S_OK, framework_->CleanupPreviousVersions(1));
  EXPECT_FALSE(UninstallEntryExists());
  const std::vector<std::wstring> reports = {L"step 0 Install Internet Explorer extension"};
  EXPECT_EQ(reports, report_.lines);
  setup_test::ClearBrowsers();
}

// The user's KRVersion as stored, or what is missing.
std::string StoredVersion() {
  CScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return "(no key)";
  char version[64] = {};
  DWORD bytes = sizeof(version) - 1;
  if (RegGetValueA(key.Get(), nullptr, "KRVersion", RRF_RT_REG_SZ, nullptr, version, &bytes) != ERROR_SUCCESS)
    return "(no value)";
  return version;
}

// The Gecko install: its folder, the extension in each chosen Gecko browser, then the version
// that the next setup run compares with, written only into a settings key the user already has
// and only when the browsers' step went well.
TEST_F(Framework, GeckoInstallWritesTheVersionAfterTheBrowsers) {
  const std::wstring maker = SetupPaths::Get().ProgramFiles() + L"\\Torvan";
  struct Case {
    const char* what;
    bool netscape;        // Netscape 9 seeded
    bool folder_blocked;  // a file stands where the maker's folder belongs
    const char* before;   // KRVersion before; null: no settings key
    DWORD browsers;
    HRESULT hr;
    std::vector<std::wstring> lines;
    const char* after;
  };
  const Case cases[] = {
      {"Netscape 9", true, false, "2.6.0.1", kBrowserNetscape9, S_OK, {}, "2.7.0.14"},
      {"no Gecko browser chosen", false, false, "2.6.0.1", 0x0E, S_OK, {}, "2.7.0.14"},
      {"Netscape 9 not there", false, false, "2.6.0.1", kBrowserNetscape9, E_FAIL,
       {L"error 41 Installing: Gecko extension not registered in Netscape"}, "2.6.0.1"},
      {"no folder", true, true, "2.6.0.1", kBrowserNetscape9, E_FAIL,
       {L"error 10 Failed to create the installation folder"}, "2.6.0.1"},
      {"no settings key", true, false, nullptr, kBrowserNetscape9, S_OK, {}, "(no key)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(setup_test::ClearBrowsers());
    if (c.netscape) ASSERT_TRUE(setup_test::SeedBrowsers({setup_test::Browser::kNetscape9}, KEY_WOW64_32KEY));
    SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    if (c.before)
      ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, "SOFTWARE\\TorvanGroup\\Dravix", "KRVersion",
                                               REG_SZ, c.before, static_cast<DWORD>(strlen(c.before) + 1)));
    if (c.folder_blocked) {
      RemoveFolderTree(maker.c_str());
      ASSERT_TRUE(setup_test::WriteWholeFile(maker, "in the way"));
    }
    report_.lines.clear();
    EXPECT_EQ(c.hr, framework_->InstallGeckoExtension(c.browsers));
    EXPECT_EQ(c.lines, report_.lines);
    EXPECT_EQ(c.after, StoredVersion());
    DWORD installed = 0;
    framework_->DetectInstalledExtensions(&installed);
    EXPECT_EQ(c.hr == S_OK && c.netscape ? kBrowserNetscape9 : 0u, installed & kGeckoBrowserMask);
    if (c.folder_blocked) DeleteFileW(maker.c_str());
  }
  setup_test::ClearBrowsers();
  SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

// Reports: the step text, and a failure reported once with its code and text just before E_FAIL.
TEST_F(Framework, FailuresAreReportedOnceWithTheirCodeAndText) {
  EXPECT_EQ(E_FAIL, framework_->InstallIEToolbar()) << "the toolbar library is not carried";
  ASSERT_FALSE(report_.lines.empty());
  EXPECT_EQ(L"error 12 IE extension registration failed", report_.lines.back());
  const size_t errors = std::count_if(report_.lines.begin(), report_.lines.end(),
                                      [](const std::wstring& l) { return l.compare(0, 6, L"error ") == 0; });
  EXPECT_EQ(1u, errors);

  // A folder that cannot be made: a file stands where the maker's folder belongs.
  report_.lines.clear();
  const std::wstring maker = SetupPaths::Get().ProgramFiles() + L"\\Torvan";
  RemoveFolderTree(maker.c_str());
  ASSERT_TRUE(setup_test::WriteWholeFile(maker, "in the way"));
  EXPECT_EQ(E_FAIL, framework_->InstallIEExtension());
  const std::vector<std::wstring> expected = {L"step 0 Install Internet Explorer extension",
                                              L"error 10 Failed to create the installation folder"};
  EXPECT_EQ(expected, report_.lines);
  DeleteFileW(maker.c_str());
  EXPECT_EQ(S_OK, framework_->SetOption(0));
  EXPECT_EQ(S_OK, framework_->CleanupPreviousVersions(0));
  EXPECT_EQ(S_OK, framework_->RemoveInstallFolders());
  EXPECT_EQ(S_OK, framework_->RemoveDataFolder());
}

// What a driver case puts in the library's way while the driver runs: denied keys and files
// held open without sharing (nobody else may write, replace or delete them).
struct Obstacles {
  Obstacles Deny(const std::wstring& key, REGSAM view = 0) && {
    keys.push_back(std::make_unique<setup_test::CDeniedKey>(key, view));
    return std::move(*this);
  }
  Obstacles Hold(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags = 0) && {
    files.emplace_back(CreateFileW(path.c_str(), access, 0, nullptr, disposition, flags, nullptr));
    return std::move(*this);
  }
  bool active() const {
    return std::all_of(keys.begin(), keys.end(), [](const auto& key) { return key->active(); }) &&
           std::all_of(files.begin(), files.end(), [](const auto& file) { return static_cast<bool>(file); });
  }
  std::vector<std::unique_ptr<setup_test::CDeniedKey>> keys;
  std::vector<KestrinWinNS::CScopedKernelHandle> files;
};

// What the setup driver records, line by line, for a success and for each way the add-on's
// step can fail: a registration refused (in the program's own view, and in the 64-bit one,
// which a 32-bit library reaches through regsvr32), a library in use that can be neither
// replaced nor moved over at the restart, or not even written beside itself; and the old
// toolbar that this library does not carry.
TEST(DriverReports, CodesAndTextsAsRecorded) {
  const std::wstring driver = setup_test::BesideTest(L"setupdriver.exe");
  const std::wstring own_name = sizeof(void*) == 8 ? L"KestrinIE64.dll" : L"KestrinIE32.dll";
  const std::wstring library = SetupPaths::Get().ProgramFiles() + L"\\Torvan\\Kestrin\\" + own_name;
  const std::wstring beside = library.substr(0, library.rfind(L'.')) + L"_new.dll";
  const std::wstring created = L"call CreateFramework -> 0x00000000";
  const std::wstring step = L"step 0 Install Internet Explorer extension";
  const std::wstring failed = L"call InstallIEExtension -> 0x80004005";
  const std::wstring addon_class = std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + kIEAddonClsid;
  struct Case {
    const char* what;
    const wchar_t* steps;
    std::function<Obstacles()> arrange;
    std::vector<std::wstring> lines;
  };
  const Case cases[] = {
      {"success", L"InstallIEExtension", [] { return Obstacles(); },
       {created, step, L"call InstallIEExtension -> 0x00000000"}},
      // The add-on's own registration cannot write its class.
      {"registration refused", L"InstallIEExtension",
       [&] { return Obstacles().Deny(addon_class); },
       {created, step, L"error 22 Error registering " + own_name, failed}},
      // The 64-bit add-on: the 32-bit library registers it through the 64-bit regsvr32.
      {"64-bit registration refused", L"InstallIEExtension",
       [&] { return Obstacles().Deny(addon_class, KEY_WOW64_64KEY); },
       {created, step, L"error 22 Error registering KestrinIE64.dll", failed}},
      // Written beside itself, but the move at the restart cannot be registered.
      {"in use, no move at the restart", L"InstallIEExtension",
       [&] {
         return Obstacles()
             .Hold(library, GENERIC_READ, OPEN_EXISTING)
             .Deny(L"System\\CurrentControlSet\\Control\\Session Manager");
       },
       {created, step, L"error 22 Error extracting " + own_name, failed}},
      {"in use, nothing written beside it", L"InstallIEExtension",
       [&] {
         return Obstacles()
             .Hold(library, GENERIC_READ, OPEN_EXISTING)
             .Hold(beside, GENERIC_WRITE, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE);
       },
       {created, step, L"error 22 Error extracting " + own_name, failed}},
      {"toolbar not carried", L"InstallIEToolbar", [] { return Obstacles(); },
       {created, L"error 12 IE extension registration failed", L"call InstallIEToolbar -> 0x80004005"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::wstring> lines;
    DWORD exit_code = 1;
    {
      const Obstacles obstacles = c.arrange();
      ASSERT_TRUE(obstacles.active());
      ASSERT_TRUE(setup_test::RunSetupDriver(driver, c.steps, &lines, &exit_code));
    }
    EXPECT_EQ(0u, exit_code);
    EXPECT_EQ(c.lines, lines);
    EXPECT_FALSE(FileExists(beside)) << "no orphan left beside the library";
  }
}

}  // namespace
}  // namespace SetupFrameworkNS
