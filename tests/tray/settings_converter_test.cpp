#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/tray/tray_test_support.h"
#include "tray/settings_converter.h"

namespace {

using SettingsUtilsNS::CSettingsConverter;
using namespace traytest;

TEST(OldDecimal, ParsesAsTheOlderFormatWroteIt) {
  struct Case {
    const wchar_t* text;
    LONG value;
  } cases[] = {{L"0", 0}, {L"65280", 65280}, {L"  -3", -3}, {L"+12", 12}, {L"7px", 7},
               {L"abc", 0}, {L"", 0}, {L"4294967295", -1}, {L"99999999999", -1}};
  for (const Case& c : cases) EXPECT_EQ(c.value, SettingsUtilsNS::ParseOldDecimal(c.text)) << c.text;
}

TEST(SettingsConverter, WhenAConversionIsDue) {
  struct Case {
    const char* what;
    int version_kind;   // 0 none, 1 dword, 2 text
    DWORD version;
    bool due;
  } cases[] = {{"no version", 0, 0, false},
               {"version 1", 1, 1, true},
               {"version 2", 1, 2, false},
               {"version 3", 1, 3, true},
               {"version as text", 2, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteSettingsKey();
    WriteDword(L"BorderWidth", 8);
    if (c.version_kind == 1) WriteDword(L"SettingsVersion", c.version);
    if (c.version_kind == 2) WriteText(L"SettingsVersion", L"1");
    CSettingsConverter converter;
    EXPECT_EQ(c.due, converter.NeedsConversion());
  }
  DeleteSettingsKey();
  EXPECT_FALSE(CSettingsConverter().NeedsConversion());
  EXPECT_FALSE(CSettingsConverter().Convert());   // no key: nothing to record
}

// Old layouts: every value a text, some missing, some of another type, some not numbers.
TEST(SettingsConverter, ConvertsWhatIsThereAndRecordsTheVersion) {
  struct Layout {
    const char* what;
    std::map<std::wstring, std::wstring> texts;
    std::map<std::wstring, DWORD> dwords;   // already numbers: left as they are
    std::map<std::wstring, DWORD> expected;
  } layouts[] = {
      {"all sixteen",
       {{L"Blanking", L"0"}, {L"BorderBrowser", L"1"}, {L"BorderColour", L"65280"}, {L"Current_KRAIDA_State", L"1"},
        {L"BorderScreen", L"1"}, {L"BorderTaskTray", L"0"}, {L"BorderWidth", L"8"}, {L"DisplayTextSize", L"18"},
        {L"ErrorOnFailedRevocationCheck", L"1"}, {L"HotKeyKey", L"75"}, {L"HotKeyMod", L"3"},
        {L"NextUpDate", L"1700000000"}, {L"Opacity", L"200"}, {L"UseAudio", L"0"}, {L"UseMov", L"1"},
        {L"KRAIDA_ValidatingFor", L"4"}},
       {},
       {{L"BorderColour", 65280}, {L"BorderWidth", 8}, {L"NextUpDate", 1700000000}, {L"KRAIDA_ValidatingFor", 4},
        {L"HotKeyKey", 75}}},
      {"first and middle missing",
       {{L"BorderColour", L"255"}, {L"UseAudio", L"1"}},
       {},
       {{L"BorderColour", 255}, {L"UseAudio", 1}}},
      {"a text that is no number, one already a number",
       {{L"BorderWidth", L"wide"}, {L"DisplayTextSize", L"20"}},
       {{L"BorderColour", 0x123456}},
       {{L"BorderWidth", 0}, {L"DisplayTextSize", 20}, {L"BorderColour", 0x123456}}},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.what);
    DeleteSettingsKey();
    WriteDword(L"SettingsVersion", 1);
    for (auto& t : layout.texts) WriteText(t.first.c_str(), t.second.c_str());
    for (auto& d : layout.dwords) WriteDword(d.first.c_str(), d.second);
    {
      CSettingsConverter converter;
      ASSERT_TRUE(converter.NeedsConversion());
      EXPECT_TRUE(converter.Convert());
      EXPECT_FALSE(converter.NeedsConversion());
    }
    for (auto& e : layout.expected) {
      DWORD value = 0;
      EXPECT_TRUE(ReadDword(e.first.c_str(), &value)) << e.first.c_str();
      EXPECT_EQ(e.second, value) << e.first.c_str();
    }
    // Nothing that was missing is invented.
    for (const wchar_t* name : SettingsUtilsNS::kConvertedValueNames) {
      bool present = layout.texts.count(name) || layout.dwords.count(name);
      EXPECT_EQ(present, ValueExists(name)) << name;
    }
    DWORD version = 0;
    EXPECT_TRUE(ReadDword(L"SettingsVersion", &version));
    EXPECT_EQ(2u, version);
  }
  DeleteSettingsKey();
}

}  // namespace
