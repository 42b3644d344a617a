#include "common/settings/settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "tests/common/settings/user_key_override.h"
#include "tests/common/observe/private_desktop.h"
#include "platform/win/scoped_handle.h"

using namespace SettingsUtilsNS;

namespace {

const char kKey[] = "SOFTWARE\\TorvanGroup\\Dravix";

// Each test runs against a user of its own.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(user_key_.ok()); }

  static LONG SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
    KestrinWinNS::CScopedRegKey key;
    LONG result =
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
    if (result != ERROR_SUCCESS) return result;
    return RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size);
  }
  static void SetDword(const char* name, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS, SetRaw(name, REG_DWORD, &value, sizeof(value)));
  }
  static void DeleteValue(const char* name) { ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, name)); }
  // Reads a stored value: its type and bytes; false when missing.
  static bool GetRaw(const char* name, DWORD* type, std::string* data) {
    BYTE buffer[1024];
    DWORD size = sizeof(buffer);
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, type, buffer, &size) != ERROR_SUCCESS) {
      return false;
    }
    data->assign(reinterpret_cast<char*>(buffer), size);
    return true;
  }
  static DWORD GetDword(const char* name) {
    DWORD type = 0;
    std::string data;
    if (!GetRaw(name, &type, &data) || type != REG_DWORD || data.size() != 4) return 0xDEADBEEF;
    return *reinterpret_cast<const DWORD*>(data.data());
  }
  static void WriteDefaults() {
    CSettingsKestrin settings(kLoadGroupNone);
    ASSERT_TRUE(settings.CreateDefaults());
  }

  KestrinTests::CScopedUserKeyOverride user_key_{"settings"};
};

void ExpectAllDefaults(const CSettingsKestrin& s) {
  EXPECT_EQ(0u, s.m_Blanking);
  EXPECT_EQ(0u, s.m_HotKeyKey);
  EXPECT_EQ(0u, s.m_HotKeyMod);
  EXPECT_FALSE(s.m_UseMov);
  EXPECT_TRUE(s.m_BorderBrowser);
  EXPECT_FALSE(s.m_BorderScreen);
  EXPECT_FALSE(s.m_BorderTaskTray);
  EXPECT_EQ(0x0000FF00u, s.m_BorderColour);
  EXPECT_FALSE(s.m_UseAudio);
  EXPECT_STREQ("", s.m_MouseOverSound);
  EXPECT_STREQ("", s.m_MouseOffSound);
  EXPECT_EQ(64u, s.m_Opacity);
  EXPECT_TRUE(s.m_ErrorOnFailedRevocationCheck);
  EXPECT_TRUE(s.m_EVHttpCheck);
  EXPECT_EQ(8u, s.m_BorderWidth);
  EXPECT_EQ(GetModuleStartTime(), s.m_NextUpDate);
  EXPECT_EQ(18u, s.m_DisplayTextSize);
  EXPECT_EQ(0u, s.m_CurrentKRAIDAState);
  EXPECT_EQ(2u, s.m_KRAIDAValidatingFor);
  EXPECT_EQ(2u, s.m_SettingsVersion);
  EXPECT_EQ(0u, s.m_ShowCursorType);
  EXPECT_EQ(GetModuleStartTime(), s.m_SslVerifyUpdate);
  EXPECT_STREQ("2.7.0.14", s.m_KRVersion);
}

class CountingObserver : public ObserveNS::IObserver {
 public:
  void Notify(DWORD event) override {
    if (event == ObserveNS::kEventSettingsChanged) ++count;
  }
  std::atomic<int> count{0};
};

}  // namespace

TEST_F(SettingsTest, FreshUserGetsEveryDefaultAndCreateDefaultsStoresThem) {
  CSettingsKestrin fresh(kLoadGroupAll);
  ExpectAllDefaults(fresh);
  EXPECT_NE(0, GetModuleStartTime());
  EXPECT_TRUE(fresh.IsKeyMissing());
  EXPECT_FALSE(fresh.IsOpen());

  ASSERT_TRUE(fresh.CreateDefaults());
  EXPECT_FALSE(fresh.IsOpen());
  EXPECT_FALSE(fresh.IsKeyMissing());
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(GetRaw("KRVersion", &type, &data));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(std::string("2.7.0.14", 9), data);
  EXPECT_EQ(0x0000FF00u, GetDword("BorderColour"));
  EXPECT_EQ(1u, GetDword("EVHttpCheck"));
  EXPECT_EQ(static_cast<DWORD>(GetModuleStartTime()), GetDword("SslVerifyUpdate"));

  CSettingsKestrin loaded(kLoadGroupAll);
  ExpectAllDefaults(loaded);
}

// One stored value and what the loads make of it.
struct LoadRuleCase {
  const char* value;
  DWORD stored;
  __int64 loaded;  // through the constructor, Reload and LoadAll
  __int64 filled;  // through FillMissingValues
  std::function<__int64(const CSettingsKestrin&)> field;
};

TEST_F(SettingsTest, LoadRules) {
  const LoadRuleCase cases[] = {
      {"BorderWidth", 1, 2, 2, [](const CSettingsKestrin& s) { return s.m_BorderWidth; }},
      {"BorderWidth", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, [](const CSettingsKestrin& s) { return s.m_BorderWidth; }},
      {"DisplayTextSize", 9, 10, 10, [](const CSettingsKestrin& s) { return s.m_DisplayTextSize; }},
      {"DisplayTextSize", 11, 11, 11, [](const CSettingsKestrin& s) { return s.m_DisplayTextSize; }},
      {"Blanking", 5, 0, 0, [](const CSettingsKestrin& s) { return s.m_Blanking; }},
      {"Blanking", 1, 1, 1, [](const CSettingsKestrin& s) { return s.m_Blanking; }},
      {"ShowCursorType", 5, 5, 0, [](const CSettingsKestrin& s) { return s.m_ShowCursorType; }},
      {"ShowCursorType", 1, 1, 1, [](const CSettingsKestrin& s) { return s.m_ShowCursorType; }},
      {"UseMov", 7, 1, 1, [](const CSettingsKestrin& s) { return s.m_UseMov; }},
      {"ErrorOnFailedRevocationCheck", 0, 0, 0,
       [](const CSettingsKestrin& s) { return s.m_ErrorOnFailedRevocationCheck; }},
      {"NextUpDate", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, [](const CSettingsKestrin& s) { return s.m_NextUpDate; }},
      {"HotKeyMod", 0x80000001, 0x80000001, 0x80000001, [](const CSettingsKestrin& s) { return s.m_HotKeyMod; }},
  };
  for (const LoadRuleCase& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " stored as " + std::to_string(c.stored));
    WriteDefaults();
    SetDword(c.value, c.stored);

    CSettingsKestrin constructed(kLoadGroupAll);
    EXPECT_EQ(c.loaded, c.field(constructed));

    CSettingsKestrin reloaded(kLoadGroupNone);
    ASSERT_TRUE(reloaded.Reload(kLoadGroupAll));
    EXPECT_EQ(c.loaded, c.field(reloaded));
    ASSERT_TRUE(reloaded.OpenRead(false));
    EXPECT_TRUE(reloaded.LoadAll());
    reloaded.CloseKey();
    EXPECT_EQ(c.loaded, c.field(reloaded));

    CSettingsKestrin filling(kLoadGroupNone);
    EXPECT_TRUE(filling.FillMissingValues());
    EXPECT_TRUE(filling.IsOpen()) << "the key is left open for the caller";
    filling.CloseKey();
    EXPECT_EQ(c.filled, c.field(filling));
  }
}

TEST_F(SettingsTest, OneMissingValueFailsTheWholeLoadOfAGroupThatNeedsIt) {
  WriteDefaults();
  SetDword("BorderWidth", 5);
  SetDword("BorderColour", 0x00123456);
  SetDword("Current_KRAIDA_State", 3);
  SetDword("KRAIDA_ValidatingFor", 4);
  SetDword("ShowCursorType", 1);
  DeleteValue("Opacity");

  CSettingsKestrin all(kLoadGroupAll);
  ExpectAllDefaults(all);  // not only a default Opacity: BorderWidth 5 is dropped too

  CSettingsKestrin mouse(kLoadGroupMouseEffect);
  EXPECT_EQ(0x00123456u, mouse.m_BorderColour);
  EXPECT_EQ(3u, mouse.m_CurrentKRAIDAState);
  EXPECT_EQ(4u, mouse.m_KRAIDAValidatingFor);
  EXPECT_EQ(1u, mouse.m_ShowCursorType);
  EXPECT_EQ(8u, mouse.m_BorderWidth) << "outside the group";

  CSettingsKestrin border(kLoadGroupBorder);
  EXPECT_EQ(5u, border.m_BorderWidth);
  EXPECT_EQ(0x00123456u, border.m_BorderColour);
  EXPECT_EQ(0u, border.m_CurrentKRAIDAState) << "outside the group";

  // FillMissingValues writes the missing default and keeps the rest.
  CSettingsKestrin filling(kLoadGroupNone);
  EXPECT_TRUE(filling.FillMissingValues());
  filling.CloseKey();
  EXPECT_EQ(64u, GetDword("Opacity"));
  EXPECT_EQ(5u, GetDword("BorderWidth"));
  CSettingsKestrin complete(kLoadGroupAll);
  EXPECT_EQ(5u, complete.m_BorderWidth);
}

TEST_F(SettingsTest, RefreshingGettersReadOneValueAndKeepTheOldOneWhenTheReadFails) {
  WriteDefaults();
  SetDword("ShowCursorType", 1);
  SetDword("BorderWidth", 5);

  CSettingsKestrin settings(kLoadGroupNone);
  EXPECT_EQ(0u, settings.m_ShowCursorType) << "group 1 reads nothing when it is built";
  EXPECT_EQ(1u, settings.GetShowCursorType(true));
  EXPECT_EQ(8u, settings.GetBorderWidth(false));
  EXPECT_EQ(5u, settings.GetBorderWidth(true));

  DeleteValue("BorderWidth");
  EXPECT_EQ(5u, settings.GetBorderWidth(true));
  EXPECT_FALSE(settings.IsOpen());
  SetDword("BorderWidth", 6);
  EXPECT_EQ(6u, settings.GetBorderWidth(true)) << "the failed refresh left the key open";

  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, kKey));
  EXPECT_EQ(6u, settings.GetBorderWidth(true));
  EXPECT_FALSE(settings.Reload(kLoadGroupAll));
}

TEST_F(SettingsTest, TextsAreAlwaysTerminated) {
  WriteDefaults();
  // A full field of characters and no terminator. Stored as binary data: Wine's ANSI query adds
  // a terminator to REG_SZ data that lacks one (and so finds 260 characters too long), while
  // Windows hands the bytes back as stored; the type is not checked on reading.
  std::string full(260, 'a');
  ASSERT_EQ(ERROR_SUCCESS, SetRaw("MouseOverSound", REG_BINARY, full.data(), 260));
  ASSERT_EQ(ERROR_SUCCESS, SetRaw("MouseOffSound", REG_BINARY, "chime", 5));
  CSettingsKestrin settings(kLoadGroupNone);
  settings.SetMouseOffSound("stale text that is longer", false);
  EXPECT_EQ(std::string(259, 'a'), settings.GetMouseOverSound(true));
  EXPECT_STREQ("chime", settings.GetMouseOffSound(true));

  std::string too_long(300, 'b');
  ASSERT_EQ(ERROR_SUCCESS, SetRaw("MouseOffSound", REG_SZ, too_long.c_str(), 301));
  EXPECT_STREQ("chime", settings.GetMouseOffSound(true)) << "a text too long for its field is not read";

  EXPECT_FALSE(settings.SetMouseOverSound(nullptr, true));
  EXPECT_EQ(std::string(259, 'a'), settings.m_MouseOverSound);
  EXPECT_TRUE(settings.SetMouseOverSound(too_long.c_str(), true));
  EXPECT_EQ(std::string(259, 'b'), settings.m_MouseOverSound);
}

TEST_F(SettingsTest, NumbersReadWhateverFitsInFourBytes) {
  WriteDefaults();
  ASSERT_EQ(ERROR_SUCCESS, SetRaw("Opacity", REG_BINARY, "\x20\x01", 2));
  ASSERT_EQ(ERROR_SUCCESS, SetRaw("HotKeyKey", REG_BINARY, "\x01\x02\x03\x04\x05", 5));
  CSettingsKestrin settings(kLoadGroupNone);
  ASSERT_TRUE(settings.OpenRead(false));
  DWORD value = 77;
  EXPECT_TRUE(settings.ReadDword("Opacity", &value));
  EXPECT_EQ(0x0120u, value);
  value = 77;
  EXPECT_FALSE(settings.ReadDword("HotKeyKey", &value));
  EXPECT_EQ(77u, value);
  settings.CloseKey();
}

TEST_F(SettingsTest, TimesAreStoredAsTheirLow32Bits) {
  WriteDefaults();
  CSettingsKestrin settings(kLoadGroupNone);
  ASSERT_TRUE(settings.SetNextUpDate(0x123456789LL, true));
  EXPECT_EQ(0x23456789u, GetDword("NextUpDate"));
  EXPECT_EQ(0x23456789LL, settings.GetNextUpDate(true));
}

TEST_F(SettingsTest, SaveChangedWritesTheMarkedValuesAndTellsEveryObserverWindow) {
  WriteDefaults();
  ObserveNS::CObserverService other_service;  // stands for a second observer window
  CountingObserver here, there;
  ObserveNS::CObserverService::GetInstance()->Register(&here, ObserveNS::kEventSettingsChanged);
  other_service.Register(&there, ObserveNS::kEventSettingsChanged);

  CSettingsKestrin settings(kLoadGroupAll);
  EXPECT_FALSE(settings.SaveChanged()) << "nothing changed";
  EXPECT_EQ(0, here.count);
  EXPECT_EQ(0, there.count);

  EXPECT_TRUE(settings.SetBorderWidth(12, false));
  EXPECT_TRUE(settings.SetBorderColour(0x000000FF, false));
  EXPECT_TRUE(settings.SetMouseOverSound("C:\\sounds\\over.wav", false));
  EXPECT_EQ(kMaskBorderWidth | kMaskBorderColour | kMaskMouseOverSound, settings.GetChangeMask());
  EXPECT_EQ(8u, GetDword("BorderWidth")) << "written before SaveChanged";
  EXPECT_EQ(0, here.count);

  EXPECT_TRUE(settings.SaveChanged());
  EXPECT_EQ(0u, settings.GetChangeMask());
  EXPECT_FALSE(settings.IsOpen());
  EXPECT_EQ(12u, GetDword("BorderWidth"));
  EXPECT_EQ(0x000000FFu, GetDword("BorderColour"));
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(GetRaw("MouseOverSound", &type, &data));
  EXPECT_EQ(std::string("C:\\sounds\\over.wav", 19), data);
  EXPECT_EQ(1, here.count);
  EXPECT_EQ(1, there.count);

  // A save-now setter saves its one value and broadcasts too.
  EXPECT_TRUE(settings.SetDisplayTextSize(20, true));
  EXPECT_EQ(20u, GetDword("DisplayTextSize"));
  EXPECT_EQ(2, here.count);
  EXPECT_EQ(2, there.count);
  ObserveNS::CObserverService::GetInstance()->Unregister(&here, ObserveNS::kEventSettingsChanged);
  other_service.Unregister(&there, ObserveNS::kEventSettingsChanged);
}

namespace {

// Deletes the key right after opening it, so that every write of the save fails.
class KeyLostAfterOpen : public CSettingsKestrin {
 public:
  KeyLostAfterOpen() : CSettingsKestrin(kLoadGroupNone) {}
  bool OpenKey(REGSAM access, bool lock) override {
    bool opened = CSettingsKestrin::OpenKey(access, lock);
    if (opened && lose_key) RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    return opened;
  }
  bool lose_key = false;
};

// Tries the registry mutex on its own thread without waiting; stores the Lock result.
DWORD WINAPI ProbeRegistryMutex(void* result) {
  UtilityClassesNS::CMutexHolder probe("Kestrin Registry Mutex Object", 0);
  HRESULT locked = probe.Lock();
  if (locked == S_OK) probe.Unlock();
  *static_cast<HRESULT*>(result) = locked;
  return 0;
}

}  // namespace

TEST_F(SettingsTest, FailedSavesCloseTheKeyKeepTheMaskAndTellNobody) {
  WriteDefaults();
  CountingObserver observer;
  ObserveNS::CObserverService::GetInstance()->Register(&observer, ObserveNS::kEventSettingsChanged);

  KeyLostAfterOpen settings;
  settings.SetBorderWidth(3, false);
  settings.lose_key = true;
  EXPECT_FALSE(settings.SaveChanged());
  EXPECT_FALSE(settings.IsOpen());
  EXPECT_EQ(kMaskBorderWidth, settings.GetChangeMask());
  EXPECT_FALSE(settings.SaveValue(kMaskBorderWidth));
  EXPECT_FALSE(settings.IsOpen());
  EXPECT_FALSE(settings.SaveChanged()) << "the key is missing now: the open fails";
  EXPECT_EQ(0, observer.count);

  settings.lose_key = false;
  WriteDefaults();
  EXPECT_TRUE(settings.SaveChanged()) << "a later save opens the key again";
  EXPECT_EQ(3u, GetDword("BorderWidth"));
  EXPECT_EQ(1, observer.count);
  ObserveNS::CObserverService::GetInstance()->Unregister(&observer, ObserveNS::kEventSettingsChanged);
}

TEST_F(SettingsTest, OpenKeyRules) {
  CSettingsKestrin settings(kLoadGroupNone);
  EXPECT_FALSE(settings.OpenRead(false)) << "opening never creates the key";
  EXPECT_TRUE(settings.IsKeyMissing());
  EXPECT_FALSE(settings.SaveAll());
  EXPECT_FALSE(settings.LoadMasked(0)) << "no key open";
  WriteDefaults();

  ASSERT_TRUE(settings.OpenReadWrite(false));
  EXPECT_FALSE(settings.OpenRead(false)) << "a key is open already";
  EXPECT_TRUE(settings.LoadMasked(0));
  EXPECT_TRUE(settings.Close());
  EXPECT_TRUE(settings.Close());

  // With the lock flag the registry mutex is held while the key is open.
  auto taken_elsewhere = [] {
    HRESULT result = E_FAIL;
    KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 0, &ProbeRegistryMutex, &result, 0, nullptr));
    WaitForSingleObject(thread.Get(), INFINITE);
    return result == 1;
  };
  ASSERT_TRUE(settings.OpenRead(true));
  EXPECT_TRUE(taken_elsewhere());
  settings.CloseKey();
  EXPECT_FALSE(taken_elsewhere());
}

// Run again as Vista: where the registry mutex cannot be had at all (Wine offers no private
// namespace), a locked open goes ahead without it; a mutex that can be had is held while open.
TEST_F(SettingsTest, LockedOpenWorksWhetherOrNotTheMutexCanBeHad) {
  WriteDefaults();
  CSettingsKestrin settings(kLoadGroupNone);
  HRESULT probe = E_FAIL;
  KestrinWinNS::CScopedKernelHandle thread(CreateThread(nullptr, 0, &ProbeRegistryMutex, &probe, 0, nullptr));
  WaitForSingleObject(thread.Get(), INFINITE);
  thread.Reset();
  ASSERT_TRUE(settings.OpenRead(true));
  EXPECT_TRUE(settings.LoadMasked(kMaskBorderWidth));
  EXPECT_TRUE(settings.CloseKey());
  if (probe == E_FAIL) {
    EXPECT_TRUE(settings.OpenWrite(true)) << "a failed wait does not stop the open";
    EXPECT_TRUE(settings.CloseKey());
  } else {
    EXPECT_EQ(S_OK, probe);
  }
}
