// Browser detection over seeded machines in both registry views, installed-version lookups.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win/scoped_handle.h"
#include "setup/browser_detect.h"
#include "setup/setup_helpers.h"
#include "tests/setup/browser_seed.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {
namespace {

using setup_test::Browser;

TEST(BrowserDetection, SeededMachinesInEitherRegistryView) {
  struct Case {
    const char* machine;
    std::vector<Browser> browsers;
    DWORD in_32bit_view;  // what is found when the browsers registered as the 32-bit programs they are
  };
  const Case cases[] = {
      {"no browser", {}, 0},
      {"IE 6 only", {Browser::kIE6}, kBrowserIE6},
      {"IE 7 only", {Browser::kIE7}, kBrowserIE7},
      {"IE 8 only", {Browser::kIE8}, kBrowserIE8},
      {"Firefox 1.0 only", {Browser::kFirefox10}, 0},
      {"Firefox 1.5 only", {Browser::kFirefox15}, kBrowserFirefox2},
      {"Firefox 2 only", {Browser::kFirefox2}, kBrowserFirefox2},
      {"Firefox 3 only", {Browser::kFirefox3}, kBrowserFirefox3},
      {"SeaMonkey 1.1", {Browser::kSeaMonkey11}, kBrowserSeaMonkey},
      {"SeaMonkey 2.0", {Browser::kSeaMonkey20}, 0},
      {"Netscape 9", {Browser::kNetscape9}, kBrowserNetscape9},
      {"all of them",
       {Browser::kIE7, Browser::kFirefox15, Browser::kFirefox2, Browser::kFirefox3, Browser::kSeaMonkey11,
        Browser::kNetscape9},
       kBrowserIE7 | kBrowserFirefox2 | kBrowserFirefox3 | kBrowserSeaMonkey | kBrowserNetscape9},
  };
  for (const Case& c : cases) {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      ASSERT_TRUE(setup_test::ClearBrowsers());
      ASSERT_TRUE(setup_test::SeedBrowsers(c.browsers, view)) << c.machine;
      ForgetIEVersion();
      DWORD expected = view == KEY_WOW64_32KEY ? c.in_32bit_view : 0;
      EXPECT_EQ(expected, DetectBrowserFlags())
          << c.machine << (view == KEY_WOW64_32KEY ? " (32-bit view)" : " (64-bit view only)");
      EXPECT_EQ(0u, DetectInstalledFlags()) << c.machine;
    }
  }
}

TEST(BrowserDetection, InstalledReportTellsIE5ApartFromIE6) {
  ASSERT_TRUE(setup_test::ClearBrowsers());
  const std::wstring server = setup_test::BesideTest(L"KestrinIE32.dll");
  ASSERT_TRUE(setup_test::WriteWholeFile(server, "stands for the add-on"));
  {
    KestrinWinNS::CScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT,
                                             (std::wstring(L"CLSID\\") + kIEAddonClsid + L"\\InprocServer32").c_str(),
                                             0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr));
    RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
  }
  ASSERT_TRUE(IsIEAddonRegistered());
  struct Case { const wchar_t* version; DWORD detected; DWORD installed; };
  const Case cases[] = {{L"5.00.3700.1000", kBrowserIE6, kBrowserIE5},
                        {L"6.0.2900.2180", kBrowserIE6, kBrowserIE6},
                        {L"8.0.6001.18702", kBrowserIE8, kBrowserIE8}};
  for (const Case& c : cases) {
    ASSERT_TRUE(setup_test::SetMachineString(KEY_WOW64_32KEY, L"Software\\Microsoft\\Internet Explorer", L"Version",
                                             c.version));
    ForgetIEVersion();
    EXPECT_EQ(c.detected, DetectBrowserFlags()) << c.version;
    EXPECT_EQ(c.installed, DetectInstalledFlags()) << c.version;
  }
  ASSERT_TRUE(DeleteFileW(server.c_str()));
  EXPECT_FALSE(IsIEAddonRegistered()) << "the registered file is gone";
}

TEST(InstalledVersions, ManifestVersionDecidesAndTheFirefox3FolderIsOnlyAFallback) {
  const std::wstring install = SetupPaths::Get().InstallFolder();
  ASSERT_FALSE(install.empty());
  std::wstring made;
  ASSERT_TRUE(PrepareSetupCopyPath(&made));
  EXPECT_EQ(install + L"\\KRSetup.exe", made);
  const std::wstring older = install + L"\\Kestrin", newer = install + L"\\Kestrin_ff3";
  EXPECT_EQ(kNoInstalledVersion, CompareGeckoPackageVersion());

  ASSERT_TRUE(CreateDirectoryW(newer.c_str(), nullptr));
  ASSERT_TRUE(setup_test::WriteWholeFile(newer + L"\\install.rdf", "<em:version>2.7.1.0</em:version>"));
  EXPECT_EQ(1, CompareGeckoPackageVersion());

  ASSERT_TRUE(CreateDirectoryW(older.c_str(), nullptr));
  EXPECT_EQ(kNoInstalledVersion, CompareGeckoPackageVersion()) << "unreadable manifest: no fallback";
  struct Case { const char* manifest; int code; };
  const Case cases[] = {
      {"<RDF><em:version>2.7.0.14</em:version></RDF>", 0},
      {"<em:version>2.7.0.9</em:version>", -1},
      {"<em:version>3.0.0.0</em:version><em:version>1.0.0.0</em:version>", 1},
      {"<em:version></em:version>", kNoInstalledVersion},
      {"<em:version>2.7.0.14", kNoInstalledVersion},
      {"<em:version>2.7</em:version>", kNoInstalledVersion},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(setup_test::WriteWholeFile(older + L"\\install.rdf", c.manifest));
    EXPECT_EQ(c.code, CompareGeckoPackageVersion()) << c.manifest;
  }
}

TEST(InstalledVersions, LibraryFileVersion) {
  EXPECT_EQ(kNoInstalledVersion, CompareIEAddonVersion());
  std::wstring text;
  EXPECT_FALSE(GetFileVersionText(setup_test::BesideTest(L"nothing.dll").c_str(), &text));
  // A system library carries a version resource of the full four-number form.
  ASSERT_TRUE(GetFileVersionText((SetupPaths::Get().System() + L"\\kernel32.dll").c_str(), &text));
  int parts[4];
  EXPECT_EQ(4, swscanf(text.c_str(), L"%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3])) << text;

  // The test program carries the largest version there is.
  ASSERT_TRUE(GetFileVersionText(setup_test::BesideTest(L"test_setup_detect.exe").c_str(), &text));
  EXPECT_EQ(L"65535.65535.65535.65535", text);
  ASSERT_TRUE(CopyFileW(setup_test::BesideTest(L"test_setup_detect.exe").c_str(),
                        (SetupPaths::Get().InstallFolder() + L"\\KestrinIE.dll").c_str(), FALSE));
  EXPECT_EQ(1, CompareIEAddonVersion()) << "the library name of earlier versions is looked at too";
}

}  // namespace
}  // namespace SetupFrameworkNS
