// Clean-up of earlier versions: the machine PATH, the users' settings in several hives, the old
// file and registry names and the Start-menu folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <shlwapi.h>
#include <userenv.h>

#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"
#include "setup/cleanup.h"
#include "setup/setup_helpers.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedRegKey;
namespace {

const wchar_t kEnvironmentKey[] = L"System\\CurrentControlSet\\Control\\Session Manager\\Environment";

class CleanupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CleanupTimings();
    CleanupTimings().delete_retry_ms = 0;
    CleanupTimings().broadcast_timeout_ms = 100;
    Waits().registration_settle_ms = 0;
  }
  void TearDown() override { CleanupTimings() = saved_; }
  CleanupWaits saved_;
};

// Reads a value of any length with its type.
bool ReadValue(HKEY root, const wchar_t* key_path, const wchar_t* name, std::wstring* text, DWORD* type) {
  CScopedRegKey key;
  if (RegOpenKeyExW(root, key_path, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.Get(), name, nullptr, type, nullptr, &bytes) != ERROR_SUCCESS) return false;
  std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.Get(), name, nullptr, type, reinterpret_cast<BYTE*>(&buffer[0]), &bytes) != ERROR_SUCCESS)
    return false;
  buffer.resize(wcslen(buffer.c_str()));
  *text = buffer;
  return true;
}

bool WriteValue(HKEY root, const wchar_t* key_path, const wchar_t* name, const std::wstring& text,
                DWORD type = REG_SZ) {
  CScopedRegKey key;
  if (RegCreateKeyExW(root, key_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExW(key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  CScopedRegKey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

// Both passes over the machine PATH, as a full clean-up runs them. Only whole entries equal to
// the install folder's go, wherever they stand, and nothing is cut at any length.
TEST_F(CleanupTest, PathLosesOnlyTheInstallFolderEntries) {
  const std::wstring ours = InstallPathEntry();
  ASSERT_EQ(L'\\', ours.back());
  const std::wstring longer = ours + L"bin";                 // shares the entry as prefix
  const std::wstring shorter = ours.substr(0, ours.size() - 1);  // "...\Kestrin" without "\"
  const std::wstring sibling = ours.substr(0, ours.size() - 1) + L"el\\";  // "...\Kestrinel\"
  const std::wstring filler(300, L'x');
  struct Case { const char* what; std::wstring before; std::wstring after; };
  const Case cases[] = {
      {"first", ours + L";C:\\A;C:\\B", L"C:\\A;C:\\B"},
      {"middle", L"C:\\A;" + ours + L";C:\\B", L"C:\\A;C:\\B"},
      {"last", L"C:\\A;C:\\B;" + ours, L"C:\\A;C:\\B"},
      {"alone", ours, L""},
      {"repeated", ours + L";C:\\A;" + ours + L";" + ours, L"C:\\A"},
      {"other letter case", L"C:\\A;" + std::wstring(ours).replace(0, 1, L"c"), L"C:\\A"},
      {"longer entries sharing the text", L"C:\\A;" + longer + L";" + sibling + L";" + longer,
       L"C:\\A;" + longer + L";" + sibling + L";" + longer},
      {"longer entry and ours", longer + L";" + ours + L";" + longer + L"2", longer + L";" + longer + L"2"},
      {"no trailing backslash is another folder", L"C:\\A;" + shorter, L"C:\\A;" + shorter},
      {"empty entries stay", L"C:\\A;;" + ours + L";;C:\\B", L"C:\\A;;;C:\\B"},
      {"longer than 260 characters", L"C:\\" + filler + L";" + ours + L";D:\\" + filler + L";" + ours,
       L"C:\\" + filler + L";D:\\" + filler},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"PATH", c.before));
    EXPECT_TRUE(RemoveFromPath(false));
    EXPECT_TRUE(RemoveFromPath(true));
    std::wstring after;
    DWORD type = 0;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"PATH", &after, &type));
    EXPECT_EQ(c.after, after);
    // Written back (as an expandable text) only when an entry went.
    EXPECT_EQ(static_cast<DWORD>(c.after == c.before ? REG_SZ : REG_EXPAND_SZ), type);
  }
}

TEST(PathEntries, EachPassRemovesItsOwnPositions) {
  bool removed = false;
  EXPECT_EQ(L"A;B;E", RemovePathEntries(L"E;A;E;B;E", L"E", false, &removed));
  EXPECT_TRUE(removed);
  EXPECT_EQ(L"E;A;E;B", RemovePathEntries(L"E;A;E;B;E", L"E", true, &removed));
  EXPECT_TRUE(removed);
  EXPECT_EQ(L"EE;A", RemovePathEntries(L"EE;A", L"E", false, &removed));
  EXPECT_FALSE(removed);
  EXPECT_EQ(L"", RemovePathEntries(L"", L"E", true, &removed));
  EXPECT_FALSE(removed);
}

// Hives of users who are not logged on: profile folders with their own NTUSER.dat.
class UserHives : public CleanupTest {
 protected:
  struct User { const wchar_t* name; bool other_maker_key; };
  static constexpr User kUsers[] = {{L"kt_alice", true}, {L"kt_bob", false}};

  void SetUp() override {
    CleanupTest::SetUp();
    wchar_t profiles[MAX_PATH];
    DWORD chars = MAX_PATH;
    ASSERT_TRUE(GetProfilesDirectoryW(profiles, &chars));
    ASSERT_TRUE(EnablePrivileges(L"SeRestorePrivilege", L"SeBackupPrivilege"));
    for (const User& user : kUsers) {
      const std::wstring folder = std::wstring(profiles) + L"\\" + user.name;
      CreateDirectoryW(folder.c_str(), nullptr);
      const std::wstring seed = std::wstring(L"Software\\KestrinHiveSeed\\") + user.name;
      ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, (seed + L"\\SOFTWARE\\TorvanGroup\\Dravix").c_str(), L"BorderWidth", L"3"));
      ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, (seed + L"\\SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks\\h1").c_str(), L"x", L"1"));
      ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, (seed + L"\\SOFTWARE\\Torvan\\DRAVIX\\Old").c_str(), L"x", L"1"));
      if (user.other_maker_key) {
        ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, (seed + L"\\SOFTWARE\\TorvanGroup\\Kestrin").c_str(), L"LogLevel", L"1"));
      }
      CScopedRegKey key;
      ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, seed.c_str(), 0, KEY_ALL_ACCESS, key.Receive()));
      const std::wstring hive = folder + L"\\NTUSER.dat";
      DeleteFileW(hive.c_str());
      ASSERT_EQ(ERROR_SUCCESS, RegSaveKeyW(key.Get(), hive.c_str(), nullptr));
    }
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KestrinHiveSeed");
    // The current user (present under HKEY_USERS as logged on) holds settings too.
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix", L"MouseOverSound", L"ding.wav"));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks\\h1", L"x", L"1"));
  }
  static std::wstring InUser(const wchar_t* user, const wchar_t* path) {
    return std::wstring(user) + L"\\" + path;
  }
};
constexpr UserHives::User UserHives::kUsers[];

TEST_F(UserHives, RemovingUserSettingsReachesEveryHive) {
  ASSERT_TRUE(LoadUserHives(true));
  for (const User& user : kUsers)
    ASSERT_TRUE(KeyExists(HKEY_USERS, InUser(user.name, L"SOFTWARE\\TorvanGroup\\Dravix"))) << user.name;
  CleanupUserSettings(false);
  RemoveOldRegistry();
  for (const User& user : kUsers) {
    SCOPED_TRACE(user.name);
    EXPECT_FALSE(KeyExists(HKEY_USERS, InUser(user.name, L"SOFTWARE\\TorvanGroup\\Dravix")));
    // The maker's key stays only where something else is left in it.
    EXPECT_EQ(user.other_maker_key, KeyExists(HKEY_USERS, InUser(user.name, L"SOFTWARE\\TorvanGroup")));
    EXPECT_FALSE(KeyExists(HKEY_USERS, InUser(user.name, L"SOFTWARE\\Torvan")));
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix"));
  EXPECT_TRUE(LoadUserHives(false));
  for (const User& user : kUsers) EXPECT_FALSE(KeyExists(HKEY_USERS, user.name)) << "unloaded";
}

TEST_F(UserHives, KeepingUserSettingsRemovesOnlyTheCurrentUsersHallmarks) {
  ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix", L"SslVerifyUpdate", L""));
  ASSERT_TRUE(LoadUserHives(true));
  CleanupUserSettings(true);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks"));
  std::wstring sound;
  DWORD type = 0;
  EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix", L"MouseOverSound", &sound, &type));
  EXPECT_EQ(L"ding.wav", sound);
  CScopedRegKey settings;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup\\Dravix", 0, KEY_READ, settings.Receive()));
  BYTE update[16] = {1, 1, 1};
  DWORD bytes = sizeof(update);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(settings.Get(), L"SslVerifyUpdate", nullptr, &type, update, &bytes));
  EXPECT_EQ(0, update[0]) << "the update check is due again";
  for (const User& user : kUsers)
    EXPECT_TRUE(KeyExists(HKEY_USERS, InUser(user.name, L"SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks\\h1")))
        << "other users keep everything";
  LoadUserHives(false);
}

// The names earlier versions left, and the clean-up's two forms.
TEST_F(CleanupTest, FullCleanupRemovesOldNamesAndReducedOneOnlyTheStartMenuFolder) {
  const std::wstring maker = SetupPaths::Get().ProgramFiles() + L"\\Torvan";
  wchar_t windows[MAX_PATH];
  ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
  const std::wstring downloaded = std::wstring(windows) + L"\\Downloaded Program Files";
  wchar_t programs_text[MAX_PATH] = {};
  ASSERT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE,
                                 L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                 L"Common Programs", programs_text));
  const std::wstring programs = programs_text;
  const std::wstring old_files[] = {maker + L"\\kr_gecko.dll", maker + L"\\Kestrin.exe", maker + L"\\kr_ff.dll",
                                    maker + L"\\Dravix.dll", downloaded + L"\\DravixTray.exe",
                                    programs + L"\\Kestrin\\Kestrin.lnk"};
  const std::wstring current_link = programs + L"\\Torvan\\Kestrin\\Torvan Kestrin.lnk";
  const std::wstring kept = maker + L"\\readme.txt";

  for (bool full : {false, true}) {
    SCOPED_TRACE(full ? "full" : "reduced");
    for (const std::wstring& folder : {maker, downloaded, programs + L"\\Kestrin", programs + L"\\Torvan",
                                       programs + L"\\Torvan\\Kestrin"})
      CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& file : old_files) ASSERT_TRUE(setup_test::WriteWholeFile(file, "old"));
    ASSERT_TRUE(setup_test::CopyStandIn(L"libregistration_probe.dll", maker + L"\\Dravix.dll"));
    ASSERT_TRUE(setup_test::WriteWholeFile(current_link, "link"));
    ASSERT_TRUE(setup_test::WriteWholeFile(kept, "not ours"));
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"DravixTray", L"x"));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, L"SOFTWARE\\Torvan\\DRAVIX", L"x", L"1"));

    RunCleanupSteps(full, true);

    EXPECT_FALSE(FileExists(current_link));
    EXPECT_FALSE(FolderExists(programs + L"\\Torvan")) << "the maker's Start-menu folder went with it";
    for (const std::wstring& file : old_files) EXPECT_EQ(!full, FileExists(file)) << file.c_str();
    EXPECT_EQ(!full, FolderExists(programs + L"\\Kestrin"));
    EXPECT_TRUE(FileExists(kept));
    std::wstring value;
    DWORD type = 0;
    EXPECT_EQ(!full, ReadValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                               L"DravixTray", &value, &type));
    EXPECT_EQ(!full, KeyExists(HKEY_CURRENT_USER, L"SOFTWARE\\Torvan"));
  }
}

// Without the Programs folder or the program-files folder the clean-up's names would start at
// the root of the current drive ("\Torvan\Kestrin", "\Kestrin", "\Torvan\kr_ff.dll", a PATH
// entry "\Torvan\Kestrin\"). What stands there is not ours: all of it stays.
TEST_F(CleanupTest, EmptyBaseFoldersLeaveTheDrivesRootAlone) {
  const wchar_t kShellFolders[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const wchar_t kCurrentVersion[] = L"Software\\Microsoft\\Windows\\CurrentVersion";
  std::wstring programs, program_files;
  DWORD type = 0;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs", &programs, &type));
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", &program_files, &type));

  for (const wchar_t* folder : {L"\\Torvan", L"\\Torvan\\Kestrin", L"\\Kestrin"})
    ASSERT_TRUE(CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << folder;
  const std::wstring planted[] = {L"\\Torvan\\Kestrin\\Torvan Kestrin.lnk", L"\\Kestrin\\Kestrin.lnk",
                                  L"\\Torvan\\Kestrin.exe", L"\\Torvan\\kr_ff.dll"};
  for (const std::wstring& file : planted) ASSERT_TRUE(setup_test::WriteWholeFile(file, "not ours"));
  const std::wstring path = L"C:\\A;\\Torvan\\Kestrin\\;C:\\B;\\Torvan\\Kestrin\\";
  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"PATH", path));

  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs", L""));
  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", L""));
  SetupPaths::Get().Refresh();
  const bool emptied = SetupPaths::Get().ProgramFiles().empty();
  if (emptied) {
    EXPECT_FALSE(RemoveStartMenuFolder());
    EXPECT_FALSE(RemoveOldStartMenuFolder());
    EXPECT_FALSE(RemoveFromPath(false));
    EXPECT_FALSE(RemoveFromPath(true));
    RunCleanupSteps(true, true);
  }
  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kShellFolders, L"Common Programs", programs));
  ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", program_files));
  SetupPaths::Get().Refresh();
  ASSERT_TRUE(emptied) << "the program-files folder could not be emptied";

  for (const std::wstring& file : planted) EXPECT_TRUE(FileExists(file)) << file.c_str();
  std::wstring after;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"PATH", &after, &type));
  EXPECT_EQ(path, after);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << "not written back";
}

// A file that stays locked through every try is left to the next restart.
TEST_F(CleanupTest, LockedOldFileIsDeletedAtTheNextRestart) {
  const std::wstring file = setup_test::BesideTest(L"locked_old.dll");
  ASSERT_TRUE(setup_test::WriteWholeFile(file, "old"));
  CScopedKernelHandle held(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_TRUE(DeleteFileWithRetry(file.c_str()));
  EXPECT_TRUE(FileExists(file));
  CScopedRegKey session;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                                         0, KEY_READ, session.Receive()));
  wchar_t pending[4096] = {};
  DWORD bytes = sizeof(pending) - sizeof(wchar_t);
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(session.Get(), L"PendingFileRenameOperations", nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(pending), &bytes));
  std::wstring list(pending, bytes / sizeof(wchar_t));
  for (wchar_t& c : list) if (c == L'\0') c = L'|';
  EXPECT_NE(std::wstring::npos, list.find(L"locked_old.dll|")) << "followed by an empty target: a deletion";
}

// The current user's key path as the registry's own name (\REGISTRY\USER\<sid>\...).
std::wstring UserRegistryName(const std::wstring& path) {
  CScopedKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return std::wstring();
  BYTE buffer[256];
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof(buffer), &size)) return std::wstring();
  wchar_t* sid = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) return std::wstring();
  KestrinWinNS::CScopedLocalMemory sid_memory(sid);
  return std::wstring(L"\\REGISTRY\\USER\\") + sid + L"\\" + path;
}

// Makes HKCU `link` a registry link to the HKCU key `target`.
bool MakeLinkKey(const std::wstring& link, const std::wstring& target) {
  CScopedRegKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring name = UserRegistryName(target);
  return !name.empty() && RegSetValueExW(key.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                                         reinterpret_cast<const BYTE*>(name.c_str()),
                                         static_cast<DWORD>(name.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool LinkKeyExists(const std::wstring& path) {
  CScopedRegKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, key.Receive()) ==
         ERROR_SUCCESS;
}

// A user can make any key of the hive setup cleans a link to another key; every deletion of the
// clean-up then removes the link itself (or leaves it), never the key it leads to.
TEST_F(CleanupTest, LinkKeysGoAsLinksAndWhatTheyLeadToStays) {
  const std::wstring victim = L"Software\\KestrinVictim";
  const struct Case {
    const char* what;
    const wchar_t* link;       // made a link to the victim
    bool keep_user_settings;   // which clean-up runs
    bool link_goes;            // the link itself is deleted
  } cases[] = {
      {"the settings key", L"SOFTWARE\\TorvanGroup\\DRAVIX", false, true},
      {"a key deep inside the settings", L"SOFTWARE\\TorvanGroup\\DRAVIX\\Hallmarks\\deep", false, true},
      {"the parent of the settings key (goes as an empty key would)", L"SOFTWARE\\TorvanGroup", false, true},
      {"the hallmark store", L"SOFTWARE\\TorvanGroup\\Dravix\\Hallmarks", true, true},
      {"the key above the hallmark store", L"SOFTWARE\\TorvanGroup\\Dravix", true, false},
      {"the old settings key", L"SOFTWARE\\Torvan\\DRAVIX", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SHDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup");
    SHDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\Torvan");
    SHDeleteKeyW(HKEY_CURRENT_USER, victim.c_str());
    // The victim looks like what the clean-up deletes, so that following the link would show.
    for (const wchar_t* sub : {L"", L"\\DRAVIX\\Inner", L"\\Hallmarks\\Inner", L"\\Inner"})
      ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, (victim + sub).c_str(), L"Keep", L"victim"));
    const std::wstring link = c.link;
    const std::wstring parent = link.substr(0, link.rfind(L'\\'));
    if (parent != L"SOFTWARE") {
      ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, (parent + L"\\Ours").c_str(), L"Mine", L"1"));
    }
    ASSERT_TRUE(MakeLinkKey(link, victim));
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, link + L"\\Inner")) << "the link leads to the victim";

    if (link.find(L"Torvan\\") != std::wstring::npos && link.find(L"TorvanGroup") == std::wstring::npos)
      RemoveOldRegistry();
    else
      CleanupUserSettings(c.keep_user_settings);

    EXPECT_EQ(!c.link_goes, LinkKeyExists(link));
    for (const wchar_t* sub : {L"", L"\\DRAVIX\\Inner", L"\\Hallmarks\\Inner", L"\\Inner"}) {
      std::wstring text;
      DWORD type = 0;
      EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, (victim + sub).c_str(), L"Keep", &text, &type)) << sub;
    }
  }
  SHDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\TorvanGroup");
  SHDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\Torvan");
  SHDeleteKeyW(HKEY_CURRENT_USER, victim.c_str());
}

}  // namespace
}  // namespace SetupFrameworkNS
