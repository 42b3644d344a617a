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
