#include <gtest/gtest.h>

#include <string>

#include "common/settings/settings.h"
#include "tests/tray/tray_test_support.h"
#include "tools/testservice/test_env.h"
#include "tray/update_check.h"

namespace {

using namespace UpdateUtilsNS;
using traytest::CRecordingServices;

TEST(UpdateInfo, MatchesTheWholeBlock) {
  const std::wstring url = L"https://h.test/a/KestrinSetup.EXE";
  struct Case {
    const char* what;
    std::wstring text;
    bool match;
    const wchar_t* version;
    const wchar_t* installer;
  } cases[] = {
      {"CR LF", L"<DRAVIX:VERSIONINFO>\r\nLV=2.7.0.15\r\nURL=" + url + L"\r\n</DRAVIX:VERSIONINFO>\r\n", true,
       L"2.7.0.15", url.c_str()},
      {"LF and lone CR, text around", L"head\n<DRAVIX:VERSIONINFO>\rLV=1.2\nURL=x.ExE\n</DRAVIX:VERSIONINFO>tail", true,
       L"1.2", L"x.ExE"},
      {"no trailing line end after the close tag", L"<DRAVIX:VERSIONINFO>\nLV=1\nURL=a.exe\n</DRAVIX:VERSIONINFO>",
       true, L"1", L"a.exe"},
      {"the set e|E takes a bar", L"<DRAVIX:VERSIONINFO>\nLV=1\nURL=a.|||\n</DRAVIX:VERSIONINFO>", true, L"1",
       L"a.|||"},
      {"zip installer", L"<DRAVIX:VERSIONINFO>\nLV=1\nURL=a.zip\n</DRAVIX:VERSIONINFO>", false, nullptr, nullptr},
      {"nothing before .exe", L"<DRAVIX:VERSIONINFO>\nLV=1\nURL=.exe\n</DRAVIX:VERSIONINFO>", false, nullptr, nullptr},
      {"letters in the version", L"<DRAVIX:VERSIONINFO>\nLV=2.7a\nURL=a.exe\n</DRAVIX:VERSIONINFO>", false, nullptr,
       nullptr},
      {"empty version", L"<DRAVIX:VERSIONINFO>\nLV=\nURL=a.exe\n</DRAVIX:VERSIONINFO>", false, nullptr, nullptr},
      {"lower-case tag", L"<dravix:versioninfo>\nLV=1\nURL=a.exe\n</DRAVIX:VERSIONINFO>", false, nullptr, nullptr},
      {"no close tag", L"<DRAVIX:VERSIONINFO>\nLV=1\nURL=a.exe\n", false, nullptr, nullptr},
      {"the last block wins", L"<DRAVIX:VERSIONINFO>\nLV=1\nURL=a.exe\n</DRAVIX:VERSIONINFO>\n"
                              L"<DRAVIX:VERSIONINFO>\nLV=2\nURL=b.exe\n</DRAVIX:VERSIONINFO>\n",
       true, L"2", L"b.exe"},
      {"empty", L"", false, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CUpdateInfo info;
    ASSERT_EQ(c.match, ParseUpdateInfo(c.text, &info));
    if (!c.match) continue;
    EXPECT_EQ(c.version, info.version);
    EXPECT_EQ(c.installer, info.installer_url);
  }
}

TEST(UpdateInfo, OnlyHttpsInstallersAreOffered) {
  struct Case {
    const wchar_t* url;
    bool ok;
  } cases[] = {{L"https://downloads.example/KestrinSetup.exe", true},
               {L"HTTPS://downloads.example:8443/a/b.EXE", true},
               {L"http://downloads.example/KestrinSetup.exe", false},
               {L"file:///C:/Windows/Temp/KestrinSetup.exe", false},
               {L"\\\\fileserver\\share\\KestrinSetup.exe", false},
               {L"C:\\Temp\\KestrinSetup.exe", false},
               {L"https:///KestrinSetup.exe", false},
               {L"https://host/a b.exe", false},
               {L"https://host/a\r\nb.exe", false},
               {L"ftp://host/a.exe", false}};
  for (const Case& c : cases) EXPECT_EQ(c.ok, IsAcceptableInstallerUrl(c.url)) << c.url;
}

TEST(UpdateVersions, CompareFieldByFieldAsNumbers) {
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    int result;
  } cases[] = {{L"2.7.0.14", L"2.7.0.14", 1}, {L"2.7.0.14", L"2.7.0.15", 3}, {L"2.7.0.14", L"2.6.9.99", 2},
               {L"2.7.0.9", L"2.7.0.14", 3},  {L"2.7.0.14", L"3.0", 0},      {L"x", L"2.7.0.14", 0},
               {nullptr, L"1.0.0.0", 0},      {L"10.0.0.0", L"9.9.9.9", 2}};
  for (const Case& c : cases) EXPECT_EQ(c.result, CompareVersions(c.a, c.b)) << (c.a ? c.a : L"null") << " " << c.b;
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    traytest::DeleteSettingsKey();
    SettingsUtilsNS::CSettingsKestrin defaults(SettingsUtilsNS::kLoadGroupAll);
    ASSERT_TRUE(defaults.CreateDefaults());
    SetNextCheck(0);
  }
  void TearDown() override { traytest::DeleteSettingsKey(); }
  static void SetNextCheck(DWORD when) { traytest::WriteDword(L"NextUpDate", when); }
  static DWORD NextCheck() {
    DWORD value = 0;
    traytest::ReadDword(L"NextUpDate", &value);
    return value;
  }
  std::wstring Server(const char* listener, const char* test_case) {
    std::string url = KestrinTest::ServiceUrl(listener, "/updinfo/") + test_case;
    return std::wstring(url.begin(), url.end());
  }
};

// One check against the service: whether the question came, and what was opened on Yes.
TEST_F(UpdateCheckTest, OffersOnlyANewerVersionWithAnHttpsInstaller) {
  struct Case {
    const char* name;
    bool asked;
  } cases[] = {{"newer", true}, {"newer-lf", true}, {"same", false}, {"older", false}, {"http", false},
               {"file", false}, {"unc", false},     {"twofields", false}, {"zip", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetNextCheck(0);
    CRecordingServices services;
    services.update_server = Server("http", c.name);
    services.answer = IDYES;
    CKRUpdate checker(&services);
    ASSERT_TRUE(checker.CheckForUpdate());
    ASSERT_TRUE(KestrinTest::PumpUntil([&] { return checker.GetAnswerCount() == 1; }, 10000));
    EXPECT_EQ(c.asked ? 1u : 0u, services.questions.size());
    if (c.asked) {
      ASSERT_EQ(1u, services.opened.size());
      EXPECT_EQ(L"https://downloads.torvangroup.test/kestrin/KestrinSetup.EXE", services.opened[0]);
    } else {
      EXPECT_TRUE(services.opened.empty());
    }
    EXPECT_FALSE(checker.GetWarning().IsShowing());
  }
}

TEST_F(UpdateCheckTest, DeclinedMeansNothingIsOpened) {
  CRecordingServices services;
  services.update_server = Server("http", "newer");
  services.answer = IDNO;
  CKRUpdate checker(&services);
  ASSERT_TRUE(checker.CheckForUpdate());
  ASSERT_TRUE(KestrinTest::PumpUntil([&] { return checker.GetAnswerCount() == 1; }, 10000));
  ASSERT_EQ(1u, services.questions.size());
  EXPECT_EQ(L"A newer version of Kestrin is available, do you want to install it now?", services.questions[0]);
  EXPECT_TRUE(services.opened.empty());
}

TEST_F(UpdateCheckTest, NextCheckMovesADayAndIsNotRepeatedBeforeThen) {
  CRecordingServices services;
  services.update_server = Server("http", "same");
  services.now = 1700000000;
  SetNextCheck(1700000001);   // one second in the future
  CKRUpdate checker(&services);
  EXPECT_FALSE(checker.CheckForUpdate());
  EXPECT_EQ(1700000001u, NextCheck());
  services.now = 1700000001;
  EXPECT_TRUE(checker.CheckForUpdate());
  EXPECT_EQ(1700000001u + 86400u, NextCheck());
  EXPECT_FALSE(checker.CheckForUpdate());
}

TEST_F(UpdateCheckTest, UnreachableServiceShowsTheToastOnce) {
  CRecordingServices services;
  services.update_server = Server("refused", "newer");
  CKRUpdate checker(&services);
  ASSERT_TRUE(checker.CheckForUpdate());
  ASSERT_TRUE(KestrinTest::PumpUntil([&] { return checker.GetWarning().GetWindow() != nullptr; }, 20000));
  EXPECT_TRUE(checker.GetWarning().IsShowing());
  EXPECT_EQ(WarningWindowNS::kUpdateWarningText, checker.GetWarning().GetText());
  EXPECT_EQ(7000, checker.GetWarning().GetAnimationTime() + checker.GetWarning().GetDisplayTime());
  EXPECT_TRUE(services.questions.empty());
  // The day's check is used up.
  EXPECT_FALSE(checker.CheckForUpdate());
}

}  // namespace
