// The machine's data folders against a local user who prepared them: links, foreign owners,
// second names of files. The test runner makes the maker's data folder C:\ProgramData\Torvan a
// link (of the host's file system) to C:\KestrinTest\planted_data.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"
#include "setup/data_folders.h"
#include "setup/setup_helpers.h"
#include "setup/setup_operations.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {
namespace {

using setup_test::BesideTest;
using setup_test::ReadWholeFile;
using setup_test::WriteWholeFile;

struct Sid {
  explicit Sid(const wchar_t* text) {
    ConvertStringSidToSidW(text, memory.Receive());
    sid = memory.Get();
  }
  Sid(const Sid&) = delete;
  Sid& operator=(const Sid&) = delete;
  KestrinWinNS::CScopedLocalMemory memory;
  PSID sid = nullptr;
};

// Wine reads every file's owner as the user who runs it and keeps no other (the token's
// default owner is Domain Users there): the owners are given to the decision directly.
TEST(DataFolders, ExistingFolderIsJudgedByWhatItIsAndWhoOwnsIt) {
  Sid administrators(L"BA"), system(L"SY"), installer(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"),
      caller(L"S-1-5-21-7-8-9-1000"), caller_owner(L"BA"), other_user(L"S-1-5-21-7-8-9-1001"), everyone(L"WD"),
      users(L"BU");
  const DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
  const struct {
    const char* what;
    DWORD attributes;
    PSID owner;
    FolderVerdict verdict;
  } cases[] = {
      {"administrators", folder, administrators.sid, FolderVerdict::kUsable},
      {"system", folder, system.sid, FolderVerdict::kUsable},
      {"trusted installer", folder, installer.sid, FolderVerdict::kUsable},
      {"the caller", folder, caller.sid, FolderVerdict::kUsable},
      {"another user", folder, other_user.sid, FolderVerdict::kForeignOwner},
      {"everyone", folder, everyone.sid, FolderVerdict::kForeignOwner},
      {"users", folder, users.sid, FolderVerdict::kForeignOwner},
      {"no owner", folder, nullptr, FolderVerdict::kForeignOwner},
      {"a link owned by administrators", folder | FILE_ATTRIBUTE_REPARSE_POINT, administrators.sid,
       FolderVerdict::kLink},
      {"a link owned by another user", folder | FILE_ATTRIBUTE_REPARSE_POINT, other_user.sid, FolderVerdict::kLink},
      {"a file link", FILE_ATTRIBUTE_REPARSE_POINT, system.sid, FolderVerdict::kLink},
      {"a file", FILE_ATTRIBUTE_NORMAL, administrators.sid, FolderVerdict::kNotAFolder},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.verdict, JudgeExistingFolder(c.attributes, c.owner, caller.sid, caller_owner.sid)) << c.what;
  EXPECT_EQ(FolderVerdict::kForeignOwner, JudgeExistingFolder(folder, other_user.sid, nullptr, nullptr));
}

// Nothing is made, written or removed through the planted link.
TEST(DataFolders, LinkedMakerFolderIsRefusedForWritingAndRemoving) {
  const std::wstring planted = BesideTest(L"planted_data");
  ASSERT_TRUE(WriteWholeFile(planted + L"\\keep.txt", "the user's"));
  std::wstring maker;
  ASSERT_TRUE(GetCommonDataFolder(CommonDataFolder::kMaker, &maker));
  ASSERT_TRUE(GetFileAttributesW(maker.substr(0, maker.size() - 1).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

  std::wstring folder;
  for (CommonDataFolder which : {CommonDataFolder::kMaker, CommonDataFolder::kProduct, CommonDataFolder::kUpdate}) {
    EXPECT_FALSE(PrepareCommonDataFolder(which, &folder));
    EXPECT_FALSE(CheckCommonDataFolder(which, &folder));
  }
  CSetupOperations operations(GetModuleHandleW(nullptr));
  EXPECT_FALSE(operations.InstallUpdateFile());
  EXPECT_EQ(FolderVerdict::kLink, InspectExistingFolder(maker.substr(0, maker.size() - 1)));

  EXPECT_FALSE(FolderExists(planted + L"\\Kestrin"));
  EXPECT_EQ("the user's", ReadWholeFile(planted + L"\\keep.txt"));
}

// A folder setup makes lets no one but administrators and the system write; one that was there
// gets the same rights; a file of the folder's name is refused.
TEST(DataFolders, SecureFolderIsMadeOrTightenedAndAFileIsRefused) {
  const std::wstring fresh = BesideTest(L"secure_fresh");
  ASSERT_TRUE(PrepareSecureFolder(fresh));
  ASSERT_TRUE(PrepareSecureFolder(fresh)) << "an existing usable folder";
  for (const std::wstring& path : {fresh}) {
    PACL dacl = nullptr;
    KestrinWinNS::CScopedLocalMemory descriptor;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                    nullptr, descriptor.Receive()));
    ASSERT_NE(nullptr, dacl);
    for (const wchar_t* group : {L"WD", L"BU", L"AU"}) {
      Sid sid(group);
      for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&header)));
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if (!EqualSid(&ace->SidStart, sid.sid)) continue;
        EXPECT_EQ(0u, ace->Mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_WRITE | GENERIC_ALL | WRITE_DAC |
                                   WRITE_OWNER | DELETE))
            << "write access for a group of users";
      }
    }
  }
  const std::wstring file = BesideTest(L"secure_file");
  ASSERT_TRUE(WriteWholeFile(file, "x"));
  EXPECT_FALSE(PrepareSecureFolder(file));
  EXPECT_EQ("x", ReadWholeFile(file));
}

// A second name of another file (a hard link) where setup writes would overwrite that file.
TEST(DataFolders, WritesRefuseASecondNameOfAnotherFile) {
  const std::wstring victim = BesideTest(L"victim.txt"), planted = BesideTest(L"planted.dat");
  ASSERT_TRUE(WriteWholeFile(victim, "victim"));
  ASSERT_TRUE(CreateHardLinkW(planted.c_str(), victim.c_str(), nullptr));
  EXPECT_TRUE(IsLinkedPath(planted));
  EXPECT_FALSE(WriteBytesToFile(planted.c_str(), "setup", 5, true));
  EXPECT_FALSE(WriteBytesToFile(planted.c_str(), "setup", 5, false));
  EXPECT_EQ("victim", ReadWholeFile(victim));

  ASSERT_TRUE(DeleteFileW(planted.c_str()));
  EXPECT_FALSE(IsLinkedPath(victim)) << "one name again";
  EXPECT_TRUE(WriteBytesToFile(planted.c_str(), "setup", 5, true));
  EXPECT_EQ("setup", ReadWholeFile(planted));
  EXPECT_EQ("victim", ReadWholeFile(victim));
}

}  // namespace
}  // namespace SetupFrameworkNS
