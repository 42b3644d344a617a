#include <gtest/gtest.h>

#include <string>

#include "platform/win/scoped_handle.h"
#include "tray/skin_style.h"

namespace {

using namespace GuiNS;

std::wstring g_fixtures;   // the folder of the test skin libraries (--skins=)

std::wstring NewFolder(const wchar_t* name) {
  std::wstring folder = GetTempFolder() + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void CopyFixture(const wchar_t* fixture, const std::wstring& folder) {
  CopyFileW((g_fixtures + L"\\" + fixture).c_str(), (folder + L"\\Vista.tkstyles").c_str(), FALSE);
}

TEST(VistaStyle, NamesItsFileAndVariants) {
  CVistaStyle style;
  EXPECT_STREQ(L"Vista.tkstyles", style.GetStyleFileName());
  EXPECT_STREQ(L"NORMALDARKBLUE.INI", style.GetLoadIniFileName());
  const wchar_t* expected[] = {L"NORMALBLACK.INI", L"NORMALBLUE.INI", L"NORMALSILVER.INI", L"NORMAL_DARKBLUE.INI",
                               L"NORMALDARKBLUE.INI"};
  for (int colour = 0; colour < 5; ++colour)
    EXPECT_STREQ(expected[colour], style.GetIniFileNameForColour(colour)) << colour;
  EXPECT_TRUE(style.SelectColour(1));
  EXPECT_STREQ(L"NORMALBLUE.INI", style.GetIniFileName());
  EXPECT_EQ(L"OFFICE2007_SCROLL_BMP", SkinResourceName(L"OFFICE2007\\SCROLL.BMP"));
}

TEST(SkinFile, FoundOnlyWhereItIsAndItsCodeNeverRuns) {
  ASSERT_FALSE(g_fixtures.empty()) << "--skins= missing";
  CVistaStyle style;
  {
    CSkinFileHolder holder;
    EXPECT_FALSE(holder.SetFolder(L""));
    EXPECT_FALSE(holder.SetFolder(L"C:\\no\\such\\folder"));
    EXPECT_FALSE(holder.Load(&style));   // no folder
  }
  {
    CSkinFileHolder holder;
    ASSERT_TRUE(holder.SetFolder(NewFolder(L"kestrin-skin-none").c_str()));
    EXPECT_FALSE(holder.Load(&style));
    EXPECT_FALSE(holder.IsSkinFound());
  }
  {
    std::wstring folder = NewFolder(L"kestrin-skin-plain");
    CopyFixture(L"Vista.tkstyles", folder);
    CSkinFileHolder holder;
    ASSERT_TRUE(holder.SetFolder(folder.c_str()));
    ASSERT_TRUE(holder.Load(&style));
    // The INI text as stored: UTF-16 without a byte-order mark.
    std::wstring ini = holder.GetIniText();
    EXPECT_EQ(0u, ini.find(L"[Schema]\r\n")) << std::string(ini.begin(), ini.end());
    CVistaStyle other;
    other.SelectColour(0);   // a variant the library does not carry
    CSkinFileHolder second;
    second.SetFolder(folder.c_str());
    EXPECT_FALSE(second.Load(&other));
  }
  {
    std::wstring folder = NewFolder(L"kestrin-skin-armed");
    CopyFixture(L"Armed.tkstyles", folder);
    SetEnvironmentVariableW(L"KESTRIN_SKIN_CODE_RAN", nullptr);
    CSkinFileHolder holder;
    ASSERT_TRUE(holder.SetFolder(folder.c_str()));
    EXPECT_TRUE(holder.Load(&style));
    wchar_t mark[8];
    EXPECT_EQ(0u, GetEnvironmentVariableW(L"KESTRIN_SKIN_CODE_RAN", mark, 8));
    // The same file loaded as a program library does run it: the mark is a real witness.
    KestrinWinNS::CScopedLibrary loaded(LoadLibraryW((folder + L"\\Vista.tkstyles").c_str()));
    ASSERT_TRUE(loaded);
    EXPECT_NE(0u, GetEnvironmentVariableW(L"KESTRIN_SKIN_CODE_RAN", mark, 8));
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--skins=", 0) == 0) {
      std::string path = arg.substr(8);
      for (char& c : path)
        if (c == '/') c = '\\';
      if (!path.empty() && path[0] == '\\') path = "Z:" + path;
      g_fixtures.assign(path.begin(), path.end());
    }
  }
  return RUN_ALL_TESTS();
}
