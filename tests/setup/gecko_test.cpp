// Gecko extension managers: install into each browser generation's layout and remove again,
// the chrome registrations of SeaMonkey, malformed files, failing unpacks, where XmlLite is
// loaded from.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "setup/browser_detect.h"
#include "setup/gecko_ext.h"
#include "setup/setup_helpers.h"
#include "tests/setup/browser_seed.h"
#include "tests/setup/test_support.h"

namespace GeckoHelpersNS {
namespace {

using SetupFrameworkNS::FileExists;
using SetupFrameworkNS::FolderExists;
using setup_test::Browser;
using setup_test::ReadWholeFile;
using setup_test::WriteWholeFile;

const wchar_t kExtensionsKey[] = L"Software\\Mozilla\\Firefox\\Extensions";
const wchar_t kForeignId[] = L"{11111111-2222-3333-4444-555555555555}";

std::vector<std::pair<std::string, std::string>> PackageEntries(const char* version) {
  return {{"chrome/", ""},
          {"chrome/kestrinext.jar", "jar bytes"},
          {"components/", ""},
          {"components/Kestrin.dll", "component"},
          {"install.rdf", std::string("<em:version>") + version + "</em:version>"}};
}

bool ReadExtensionValue(const wchar_t* id, std::wstring* out) {
  wchar_t value[MAX_PATH];
  if (!SetupFrameworkNS::ReadRegistryString(HKEY_LOCAL_MACHINE, kExtensionsKey, id, value, kBrowserView))
    return false;
  *out = value;
  return true;
}

class GeckoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(setup_test::ClearBrowsers());
    install_ = SetupFrameworkNS::SetupPaths::Get().InstallFolder();
    std::wstring made;
    ASSERT_TRUE(SetupFrameworkNS::PrepareSetupCopyPath(&made));
    package_ = install_ + L"\\Kestrin.xpi";
    ASSERT_TRUE(setup_test::WriteZip(package_, PackageEntries("2.7.0.14")));
    ASSERT_TRUE(setup_test::WriteZip(install_ + L"\\Kestrin_ff3.xpi", PackageEntries("2.7.0.15")));
  }
  void TearDown() override {
    SetupFrameworkNS::RemoveFolderTree((install_ + L"\\Kestrin").c_str());
    SetupFrameworkNS::RemoveFolderTree((install_ + L"\\Kestrin_ff3").c_str());
  }
  std::wstring install_, package_;
};

TEST_F(GeckoTest, FirefoxGenerationsInstallAndRemoveOnlyWhatIsOurs) {
  struct Case {
    const char* name;
    Browser browser;
    unsigned mask;
    const wchar_t* id;         // value written; null when nothing may be installed
    const wchar_t* folder;     // unpacked package folder under the install folder
    DWORD installed_flag;
  };
  const Case cases[] = {
      {"Firefox 1.0", Browser::kFirefox10, 7, nullptr, nullptr, 0},
      {"Firefox 1.5", Browser::kFirefox15, 1, kExtensionId, L"\\Kestrin", SetupFrameworkNS::kBrowserFirefox2},
      {"Firefox 2", Browser::kFirefox2, 2, kExtensionId, L"\\Kestrin", SetupFrameworkNS::kBrowserFirefox2},
      {"Firefox 3", Browser::kFirefox3, 4, kFirefox3ExtensionId, L"\\Kestrin_ff3", SetupFrameworkNS::kBrowserFirefox3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(setup_test::ClearBrowsers());
    ASSERT_TRUE(setup_test::SeedBrowsers({c.browser}, KEY_WOW64_32KEY));
    ASSERT_TRUE(setup_test::SetMachineString(KEY_WOW64_32KEY, kExtensionsKey, kForeignId, L"C:\\Other"));

    CFirefoxExtManager installer(package_);
    EXPECT_FALSE(installer.InstallFor(0));
    EXPECT_FALSE(installer.InstallFor(8));
    if (!c.id) {
      EXPECT_FALSE(installer.InstallFor(c.mask));
      EXPECT_FALSE(FolderExists(install_ + L"\\Kestrin"));
      EXPECT_EQ(0u, SetupFrameworkNS::DetectInstalledFlags());
      continue;
    }
    ASSERT_TRUE(installer.InstallFor(c.mask));
    const std::wstring folder = install_ + c.folder;
    std::wstring value;
    ASSERT_TRUE(ReadExtensionValue(c.id, &value));
    EXPECT_EQ(folder, value);
    EXPECT_EQ("component", ReadWholeFile(folder + L"\\components\\Kestrin.dll"));
    EXPECT_EQ("jar bytes", ReadWholeFile(folder + L"\\chrome\\kestrinext.jar"));
    EXPECT_EQ(c.installed_flag, SetupFrameworkNS::DetectInstalledFlags());

    CFirefoxExtManager remover;
    EXPECT_TRUE(remover.UninstallFor(7));
    EXPECT_FALSE(ReadExtensionValue(c.id, &value));
    EXPECT_TRUE(ReadExtensionValue(kForeignId, &value)) << "another extension's value stays";
    EXPECT_EQ(0u, SetupFrameworkNS::DetectInstalledFlags());
  }
}

TEST_F(GeckoTest, Firefox2And3SideBySideEachGetTheirOwnPackage) {
  ASSERT_TRUE(setup_test::SeedBrowsers({Browser::kFirefox2, Browser::kFirefox3}, KEY_WOW64_32KEY));
  CFirefoxExtManager installer(package_);
  ASSERT_TRUE(installer.InstallFor(6));
  std::wstring older, newer;
  ASSERT_TRUE(ReadExtensionValue(kExtensionId, &older));
  ASSERT_TRUE(ReadExtensionValue(kFirefox3ExtensionId, &newer));
  EXPECT_EQ(install_ + L"\\Kestrin", older);
  EXPECT_EQ(install_ + L"\\Kestrin_ff3", newer);
  EXPECT_EQ("<em:version>2.7.0.15</em:version>", ReadWholeFile(newer + L"\\install.rdf"));
  EXPECT_EQ(0, SetupFrameworkNS::CompareGeckoPackageVersion());
  EXPECT_EQ(SetupFrameworkNS::kBrowserFirefox2 | SetupFrameworkNS::kBrowserFirefox3,
            SetupFrameworkNS::DetectInstalledFlags());
}

TEST_F(GeckoTest, Netscape9RegistersAndUnpacks) {
  ASSERT_TRUE(setup_test::SeedBrowsers({Browser::kNetscape9}, KEY_WOW64_32KEY));
  CNetscape9ExtManager installer(package_);
  EXPECT_FALSE(installer.IsInstalled());
  ASSERT_TRUE(installer.Install());
  EXPECT_TRUE(installer.IsInstalled());
  EXPECT_EQ(SetupFrameworkNS::kBrowserNetscape9, SetupFrameworkNS::DetectInstalledFlags());
  CNetscape9ExtManager remover;
  EXPECT_TRUE(remover.Uninstall());
  EXPECT_FALSE(remover.IsInstalled());
  EXPECT_FALSE(remover.Uninstall()) << "nothing left to remove";
}

TEST_F(GeckoTest, SeaMonkeyOpensThePackageWithTheBrowser) {
  std::vector<setup_test::SeededBrowser> seeded;
  ASSERT_TRUE(setup_test::SeedBrowsers({Browser::kSeaMonkey11}, KEY_WOW64_32KEY, &seeded));
  CSeaMonkeyExtManager installer(package_);
  ASSERT_TRUE(installer.Install());
  EXPECT_EQ(0, installer.install_method());
  EXPECT_EQ(L"\"" + seeded[0].program + L"\" \"" + package_ + L"\"",
            setup_test::ReadWholeFileWide(seeded[0].program + L".started"));

  // The browser installs the extension itself and names its components folder.
  EXPECT_FALSE(installer.IsInstalled());
  const std::wstring components = L"C:\\Browsers\\SeaMonkey11\\components";
  ASSERT_TRUE(CreateDirectoryW(components.c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(components + L"\\Kestrin.dll", "component"));
  ASSERT_TRUE(setup_test::SetMachineString(KEY_WOW64_32KEY, L"Software\\Mozilla\\SeaMonkey 1.1.9\\Extensions",
                                           L"Components", components));
  EXPECT_TRUE(installer.IsInstalled());
  EXPECT_EQ(SetupFrameworkNS::kBrowserSeaMonkey, SetupFrameworkNS::DetectInstalledFlags());
}

TEST_F(GeckoTest, SeaMonkeyRemovalDropsItsChromeEntriesWholeAndKeepsTheRest) {
  ASSERT_TRUE(setup_test::SeedBrowsers({Browser::kSeaMonkey11}, KEY_WOW64_32KEY));
  const std::wstring browser = L"C:\\Browsers\\SeaMonkey11";
  for (const wchar_t* sub : {L"\\chrome", L"\\components"}) CreateDirectoryW((browser + sub).c_str(), nullptr);
  ASSERT_TRUE(WriteWholeFile(
      browser + L"\\chrome\\chrome.rdf",
      "<?xml version=\"1.0\"?>\n"
      "<RDF:RDF xmlns:RDF=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns:c=\"http://www.mozilla.org/rdf/chrome#\">\n"
      "  <RDF:Description RDF:about=\"urn:mozilla:package:kestrinext\" c:name=\"kestrinext\">\n"
      "    <c:packages RDF:resource=\"urn:mozilla:package:root\"/>\n"
      "  </RDF:Description>\n"
      "  <RDF:Description RDF:about=\"urn:mozilla:package:other\" c:name=\"other\">\n"
      "    <c:packages RDF:resource=\"urn:mozilla:package:root\"/>\n"
      "  </RDF:Description>\n"
      "  <RDF:li RDF:resource=\"urn:mozilla:package:kestrinext\"/>\n"
      "</RDF:RDF>\n"));
  const std::string foreign_line = "content,install,url,jar:resource:/chrome/other.jar!/content/\n";
  ASSERT_TRUE(WriteWholeFile(browser + L"\\chrome\\installed-chrome.txt",
                             foreign_line + "content,install,url,jar:resource:/chrome/KestrinExt.jar!/content/\n" +
                                 foreign_line));
  ASSERT_TRUE(WriteWholeFile(browser + L"\\chrome\\overlays.rdf",
                             "<RDF><Seq><li>chrome://kestrinext/content/overlay.xul</li>"
                             "<li>chrome://other/content/overlay.xul</li></Seq></RDF>"));
  for (const wchar_t* file : {L"\\components\\Kestrin.dll", L"\\components\\IKestrin.xpt",
                              L"\\components\\KestrinWrapper.dll", L"\\chrome\\kestrinext.jar",
                              L"\\components\\other.dll"})
    ASSERT_TRUE(WriteWholeFile(browser + file, "x"));

  CSeaMonkeyExtManager remover;
  ASSERT_TRUE(remover.has_xml());
  ASSERT_TRUE(remover.Uninstall());

  std::string chrome = ReadWholeFile(browser + L"\\chrome\\chrome.rdf");
  EXPECT_EQ(std::string::npos, chrome.find("kestrinext")) << chrome;
  EXPECT_NE(std::string::npos, chrome.find("urn:mozilla:package:other")) << chrome;
  // Exactly the children of the other package remain: one packages element.
  size_t first = chrome.find("c:packages");
  EXPECT_NE(std::string::npos, first);
  EXPECT_EQ(std::string::npos, chrome.find("c:packages", first + 1)) << chrome;
  // What was written reads back as whole XML.
  CSeaMonkeyExtManager reader;
  EXPECT_TRUE(reader.RewriteXmlFile(browser + L"\\chrome\\chrome.rdf", nullptr, nullptr));

  EXPECT_EQ(foreign_line + foreign_line, ReadWholeFile(browser + L"\\chrome\\installed-chrome.txt"));
  std::string overlays = ReadWholeFile(browser + L"\\chrome\\overlays.rdf");
  EXPECT_EQ(std::string::npos, overlays.find("kestrinext")) << overlays;
  EXPECT_NE(std::string::npos, overlays.find("chrome://other/content/overlay.xul")) << overlays;
  for (const wchar_t* file : {L"\\components\\Kestrin.dll", L"\\components\\IKestrin.xpt",
                              L"\\components\\KestrinWrapper.dll", L"\\chrome\\kestrinext.jar"})
    EXPECT_FALSE(FileExists(browser + file)) << file;
  EXPECT_TRUE(FileExists(browser + L"\\components\\other.dll"));

  // A list without the extension's line is left as it is.
  const std::string untouched = "content,install,url,jar:resource:/chrome/other.jar!/content/";
  ASSERT_TRUE(WriteWholeFile(browser + L"\\chrome\\installed-chrome.txt", untouched));
  EXPECT_TRUE(remover.Uninstall());
  EXPECT_EQ(untouched, ReadWholeFile(browser + L"\\chrome\\installed-chrome.txt"));
}

TEST_F(GeckoTest, MalformedOrTruncatedRdfIsLeftAsItWas) {
  const std::wstring path = setup_test::BesideTest(L"chrome.rdf");
  const char* inputs[] = {
      "<RDF:RDF xmlns:RDF=\"r\"><RDF:Description RDF:about=\"kestrinext\"><a/></RDF:Desc",
      "<RDF:RDF xmlns:RDF=\"r\"><b></c></RDF:RDF>",
      "",
  };
  CSeaMonkeyExtManager manager;
  for (const char* input : inputs) {
    ASSERT_TRUE(WriteWholeFile(path, input));
    EXPECT_FALSE(manager.RewriteXmlFile(path, &CGeckoExtManager::IsOwnChromeElement, nullptr)) << input;
    EXPECT_EQ(input, ReadWholeFile(path));
    EXPECT_FALSE(FileExists(path + L".new"));
  }
}

TEST_F(GeckoTest, FailedUnpackIsReportedAsFailure) {
  ASSERT_TRUE(setup_test::SeedBrowsers({Browser::kFirefox2}, KEY_WOW64_32KEY));
  std::string whole = ReadWholeFile(package_);
  ASSERT_TRUE(WriteWholeFile(package_, whole.substr(0, whole.size() / 2)));
  EXPECT_FALSE(CFirefoxExtManager(package_).InstallFor(3)) << "truncated package";

  ASSERT_TRUE(setup_test::WriteZip(package_, {{"install.rdf", "x"}, {"../escaped.txt", "x"}}));
  EXPECT_FALSE(CFirefoxExtManager(package_).InstallFor(3)) << "entry outside the target";
  EXPECT_FALSE(FileExists(install_ + L"\\escaped.txt"));

  ASSERT_TRUE(DeleteFileW(package_.c_str()));
  EXPECT_FALSE(CFirefoxExtManager(package_).InstallFor(3)) << "no package";
}

TEST_F(GeckoTest, FileEntriesBeforeTheirFolderEntriesStillUnpack) {
  const std::wstring target = setup_test::BesideTest(L"unpacked");
  ASSERT_TRUE(setup_test::WriteZip(package_, {{"a/b/c.txt", "deep"}, {"a/", ""}, {"a/b/", ""}, {"top.txt", "top"}}));
  ASSERT_TRUE(UnpackPackage(package_, target));
  EXPECT_EQ("deep", ReadWholeFile(target + L"\\a\\b\\c.txt"));
  EXPECT_EQ("top", ReadWholeFile(target + L"\\top.txt"));
}

// The hostile packages of make_hostile_packages.py, each a resource of the test program.
std::string PackageResource(const char* name) {
  HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return data ? std::string(data, SizeofResource(nullptr, found)) : std::string();
}

// Number of entries (files and folders) below a folder.
int CountEntries(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
    ++count;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) count += CountEntries(folder + L"\\" + found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

// Every entry's name and stated size are judged before anything is written: such a refused
// package leaves an empty target (made anew) and nothing outside it. An entry whose data is
// not what it states is found while it is copied, and no part of it stays. An accepted
// package unpacks whole.
TEST(HostilePackages, RefusedWholeWithoutWritingAnything) {
  const struct Case {
    const char* resource;
    bool accepted;
  } cases[] = {
      {"NAME_261", false},         {"NAME_300_DEEP", false},      {"NAME_MAX", false},
      {"NAME_NUL", false},         {"NAME_BAD_UTF8", false},      {"NAME_PARENT", false},
      {"NAME_PARENT_DEEP", false}, {"NAME_ROOT", false},          {"NAME_DRIVE", false},
      {"NAME_UNC", false},         {"NAME_STREAM", false},        {"NAME_DOT", false},
      {"NAME_TRAILING_DOT", false}, {"NAME_TRAILING_BLANK", false}, {"NAME_DOTS_BLANK", false},
      {"NAME_EMPTY_SEGMENT", false}, {"NAME_WILDCARD", false},    {"NAME_CONTROL", false},
      {"DEVICE_CON", false},       {"DEVICE_PRN_EXT", false},     {"DEVICE_AUX_FOLDER", false},
      {"DEVICE_NUL_DEEP", false},  {"DEVICE_COM1", false},        {"DEVICE_COM9_EXT", false},
      {"DEVICE_LPT1", false},      {"DEVICE_LPT9_FOLDER", false}, {"DEVICE_BLANK_EXT", false},
      {"DEVICE_SUPERSCRIPT", false}, {"DEVICE_CONIN", false},     {"DEVICE_CONOUT_EXT", false},
      {"NEAR_CONSOLE", true},      {"NEAR_COM10", true},          {"NEAR_LPT0", true},
      {"NEAR_AUXILIARY", true},    {"NEAR_DOTTED", true},
      {"SIZE_CLAIMS_HUGE", false}, {"SIZE_BOMB", false},          {"SIZE_TOTAL", false},
      {"SIZE_AT_LIMIT_OK", true},
  };
  const std::wstring package = setup_test::BesideTest(L"hostile.xpi");
  const std::wstring target = setup_test::BesideTest(L"hostile_unpacked");
  const int beside_before = CountEntries(setup_test::TestFolder());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.resource);
    const std::string bytes = PackageResource(c.resource);
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(WriteWholeFile(package, bytes));
    EXPECT_EQ(c.accepted, UnpackPackage(package, target));
    if (c.accepted) {
      EXPECT_EQ("<RDF/>", ReadWholeFile(target + L"\\install.rdf"));
      EXPECT_GE(CountEntries(target), 2);
    } else {
      EXPECT_FALSE(FileExists(target + L"\\install.rdf")) << "the good entry before the hostile one";
    }
    EXPECT_FALSE(FileExists(setup_test::BesideTest(L"escaped.txt")));
    SetupFrameworkNS::RemoveFolderTree(target.c_str());
    DeleteFileW(package.c_str());
    EXPECT_EQ(beside_before, CountEntries(setup_test::TestFolder()));
  }
  ASSERT_TRUE(WriteWholeFile(package, PackageResource("SIZE_STREAM_LONGER")));
  EXPECT_FALSE(UnpackPackage(package, target));
  EXPECT_FALSE(FileExists(target + L"\\longer.bin"));
  SetupFrameworkNS::RemoveFolderTree(target.c_str());
  DeleteFileW(package.c_str());
}

TEST(HostilePackages, DeviceNamesInAnyFormAreRefused) {
  const struct {
    const wchar_t* name;
    bool device;
  } cases[] = {
      {L"CON", true},        {L"con", true},         {L"Con.txt", true},   {L"con .txt", true},
      {L"NUL.tar.gz", true}, {L"aux", true},         {L"PRN.", true},      {L"COM1", true},
      {L"com9.dll", true},   {L"LPT1", true},        {L"lpt9.x", true},    {L"COM\u00B9", true},
      {L"lpt\u00B3.txt", true}, {L"CONIN$", true},  {L"conout$.log", true},
      {L"CONSOLE", false},   {L"com10", false},      {L"COM0", false},     {L"LPT", false},
      {L"nul_", false},      {L"auxiliary.txt", false}, {L"xcon", false},  {L"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.device, IsReservedDeviceName(c.name)) << c.name;
    if (c.device) {
      EXPECT_FALSE(IsSafeEntryName(c.name)) << c.name;
      EXPECT_FALSE(IsSafeEntryName(std::wstring(L"chrome\\") + c.name + L"\\x.txt")) << c.name;
    }
  }
}

// A link planted in the folder a package is unpacked into is removed as a link or, when it
// cannot be (a link of the host's file system), stops the unpack; what it leads to is never
// written. The test runner links C:\KestrinTest\planted_unpack\link to C:\KestrinTest\victim.
TEST(HostilePackages, UnpackNeverWritesThroughAPlantedLink) {
  const std::wstring target = setup_test::BesideTest(L"planted_unpack");
  const std::wstring victim = setup_test::BesideTest(L"victim");
  ASSERT_TRUE(GetFileAttributesW((target + L"\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  const std::wstring package = setup_test::BesideTest(L"linked.xpi");
  ASSERT_TRUE(setup_test::WriteZip(package, {{"link/", ""}, {"link/planted.txt", "through the link"}}));
  EXPECT_FALSE(UnpackPackage(package, target));
  EXPECT_EQ(0, CountEntries(victim));

  // A stale folder without links is made anew: what the last unpack left goes.
  const std::wstring stale = setup_test::BesideTest(L"stale_unpack");
  ASSERT_TRUE(CreateDirectoryW(stale.c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(stale + L"\\left_over.txt", "old"));
  ASSERT_TRUE(UnpackPackage(package, stale));
  EXPECT_FALSE(FileExists(stale + L"\\left_over.txt"));
  EXPECT_EQ("through the link", ReadWholeFile(stale + L"\\link\\planted.txt"));
}

// Copies planted where a load by name would look first (beside the program, the current
// folder) are never taken.
TEST_F(GeckoTest, XmlLiteComesFromTheSystemFolderOnly) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  const std::wstring planted = std::wstring(temp) + L"KestrinTmp";
  CreateDirectoryW(planted.c_str(), nullptr);
  ASSERT_TRUE(WriteWholeFile(planted + L"\\xmllite.dll", "planted"));
  ASSERT_TRUE(WriteWholeFile(setup_test::BesideTest(L"xmllite.dll"), "planted"));
  ASSERT_TRUE(SetCurrentDirectoryW(planted.c_str()));
  {
    CXmlLite xml;
    EXPECT_EQ(SetupFrameworkNS::SetupPaths::Get().System() + L"\\xmllite.dll", xml.LoadedFrom());
    KestrinComNS::CComPtr<IXmlReader> reader;
    EXPECT_HRESULT_SUCCEEDED(xml.CreateReader(&reader));
  }
  SetCurrentDirectoryW(setup_test::TestFolder().c_str());
  DeleteFileW(setup_test::BesideTest(L"xmllite.dll").c_str());
}

TEST(RemoveByRename, RenamesAsideAndDeletes) {
  const std::wstring path = setup_test::BesideTest(L"gone.dll");
  ASSERT_TRUE(WriteWholeFile(path, "x"));
  EXPECT_TRUE(RemoveFileByRename(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(RemoveFileByRename(path)) << "nothing to rename";
}

}  // namespace
}  // namespace GeckoHelpersNS
