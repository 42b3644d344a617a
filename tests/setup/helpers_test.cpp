// Setup helpers: version compare, folder trees with links, token membership, resource files,
// the Internet Explorer version.
#include <gtest/gtest.h>

#include "platform/win/scoped_handle.h"
#include "setup/setup_helpers.h"
#include "tests/setup/test_support.h"

namespace SetupFrameworkNS {

using KestrinWinNS::CScopedFindHandle;
using KestrinWinNS::CScopedKernelHandle;
using KestrinWinNS::CScopedLibrary;
using KestrinWinNS::CScopedRegKey;
namespace {

using setup_test::BesideTest;

TEST(DottedVersions, CompareFieldByFieldAsNumbers) {
  struct Case { const wchar_t* first; const wchar_t* second; int expected; };
  const Case cases[] = {
      {L"2.7.0.14", L"2.7.0.14", 1},   {L"2.7.1.0", L"2.7.0.14", 2},  {L"2.6.99.99", L"2.7.0.14", 3},
      {L"2.7.0.9", L"2.7.0.14", 3},    {L"10.0.0.0", L"9.9.9.9", 2},  {L"2.7.0.14.9", L"2.7.0.14", 1},
      {L"2.7.0", L"2.7.0.14", 0},      {L"2.7.0.14", L"2.7", 0},      {L"a.b.c.d", L"2.7.0.14", 0},
      {nullptr, L"2.7.0.14", 0},       {L"2.7.0.14", nullptr, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, CompareDottedVersions(c.first, c.second))
        << (c.first ? c.first : L"(null)") << " vs " << (c.second ? c.second : L"(null)");
}

// The test runner links C:\KestrinTest\tree\link to C:\KestrinTest\outside and
// C:\KestrinTest\tree\empty_link to the empty C:\KestrinTest\empty_outside.
TEST(FolderTree, RemovesFilesAndFoldersButNeverWhatALinkLeadsTo) {
  const std::wstring tree = BesideTest(L"tree"), outside = BesideTest(L"outside");
  DWORD link_attributes = GetFileAttributesW((tree + L"\\link").c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, link_attributes);
  ASSERT_TRUE(link_attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  ASSERT_TRUE(setup_test::WriteWholeFile(outside + L"\\keep.txt", "outside the tree"));
  ASSERT_TRUE(CreateDirectoryW((tree + L"\\sub").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((tree + L"\\sub\\deeper").c_str(), nullptr));
  ASSERT_TRUE(setup_test::WriteWholeFile(tree + L"\\sub\\deeper\\a.txt", "a"));
  ASSERT_TRUE(setup_test::WriteWholeFile(tree + L"\\readonly.txt", "r"));
  ASSERT_TRUE(SetFileAttributesW((tree + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));

  WIN32_FIND_DATAW link = {};
  FindClose(FindFirstFileW((tree + L"\\link").c_str(), &link));
  const bool removable_link =
      link.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT || link.dwReserved0 == IO_REPARSE_TAG_SYMLINK;

  // A junction or symbolic link goes as a link; a link of the host's file system (what the
  // test runner made) is left in place and the removal says so.
  EXPECT_EQ(removable_link, RemoveFolderTree(tree.c_str()));
  EXPECT_EQ(removable_link, GetFileAttributesW(tree.c_str()) == INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ("outside the tree", setup_test::ReadWholeFile(outside + L"\\keep.txt"));
  EXPECT_TRUE(FolderExists(outside));
  EXPECT_TRUE(FolderExists(BesideTest(L"empty_outside"))) << "an empty folder behind a link survives too";
}

TEST(FolderTree, FileInUseStopsTheRemovalAndLeavesTheRest) {
  const std::wstring tree = BesideTest(L"busy");
  ASSERT_TRUE(CreateDirectoryW(tree.c_str(), nullptr));
  ASSERT_TRUE(setup_test::WriteWholeFile(tree + L"\\held.txt", "held"));
  CScopedKernelHandle held(CreateFileW((tree + L"\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_FALSE(RemoveFolderTree(tree.c_str()));
  EXPECT_TRUE(FolderExists(tree));
  held.Reset();
  EXPECT_TRUE(RemoveFolderTree(tree.c_str()));
  EXPECT_FALSE(RemoveFolderTree(L""));
  EXPECT_FALSE(RemoveFolderTree(tree.c_str()));  // already gone
}

// A token whose Administrators group is there only to deny access does not make an admin.
TEST(TokenMembership, DenyOnlyAdministratorsDoNotCount) {
  ASSERT_TRUE(IsTokenInBuiltinGroup(DOMAIN_ALIAS_RID_ADMINS)) << "the prefix's user is an administrator";

  CScopedKernelHandle process_token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, process_token.Receive()));
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                       0, 0, &admins));
  SID_AND_ATTRIBUTES disable = {admins, 0};
  CScopedKernelHandle restricted;
  BOOL made = CreateRestrictedToken(process_token.Get(), 0, 1, &disable, 0, nullptr, 0, nullptr,
                                    restricted.Receive());
  FreeSid(admins);
  ASSERT_TRUE(made) << GetLastError();
  CScopedKernelHandle impersonation;
  ASSERT_TRUE(DuplicateToken(restricted.Get(), SecurityImpersonation, impersonation.Receive()));
  ASSERT_TRUE(SetThreadToken(nullptr, impersonation.Get()));
  bool while_restricted = IsTokenInBuiltinGroup(DOMAIN_ALIAS_RID_ADMINS);
  RevertToSelf();
  EXPECT_FALSE(while_restricted);
  EXPECT_TRUE(IsTokenInBuiltinGroup(DOMAIN_ALIAS_RID_ADMINS));
}

TEST(ResourceFiles, ReplaceFlagDecidesAboutAnExistingFile) {
  const std::wstring folder = BesideTest(L"extract");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  CResourceExtractor extractor(GetModuleHandleW(nullptr), folder);
  EXPECT_TRUE(extractor.ExtractBin(7, L"payload.bin", false));
  EXPECT_EQ("kestrin test payload\n", setup_test::ReadWholeFile(folder + L"\\payload.bin"));

  ASSERT_TRUE(setup_test::WriteWholeFile(folder + L"\\payload.bin", "mine"));
  EXPECT_TRUE(extractor.ExtractBin(7, L"payload.bin", false));
  EXPECT_EQ("mine", setup_test::ReadWholeFile(folder + L"\\payload.bin"));
  EXPECT_TRUE(extractor.ExtractBin(7, L"payload.bin", true));
  EXPECT_EQ("kestrin test payload\n", setup_test::ReadWholeFile(folder + L"\\payload.bin"));

  EXPECT_FALSE(extractor.ExtractBin(8, L"missing.bin", true));
  EXPECT_FALSE(FileExists(folder + L"\\missing.bin"));
}

TEST(InternetExplorerVersion, MajorNumberAndClass) {
  struct Case { const wchar_t* version; int major; int version_class; };
  const Case cases[] = {
      {L"5.00.3700.1000", 5, 1}, {L"6.0.2900.2180", 6, 2}, {L"7.0.5730.13", 7, 3},
      {L"8.0.6001.18702", 8, 4}, {L"9.0", 9, 0},            {L"beta", 0, 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(setup_test::SetMachineString(KEY_WOW64_32KEY, L"Software\\Microsoft\\Internet Explorer",
                                             L"Version", c.version));
    ForgetIEVersion();
    EXPECT_EQ(c.major, GetIEMajorVersion()) << c.version;
    EXPECT_EQ(c.version_class, GetIEVersionClass()) << c.version;
  }
}

TEST(Registration, CallsTheLibrarysEntryAndJudgesItsResult) {
  const SetupWaits saved = Waits();
  Waits().registration_settle_ms = 0;
  const std::wstring probe = BesideTest(L"libregistration_probe.dll");
  EXPECT_TRUE(CallDllRegistration(probe.c_str(), true));
  EXPECT_TRUE(CallDllRegistration(probe.c_str(), true));
  DWORD count = 0, size = sizeof(count);
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\KestrinTest", L"Registered", RRF_RT_REG_DWORD,
                                        nullptr, &count, &size));
  EXPECT_EQ(2u, count);
  EXPECT_FALSE(CallDllRegistration(probe.c_str(), false)) << "a failing entry";
  EXPECT_FALSE(CallDllRegistration((SetupPaths::Get().System() + L"\\version.dll").c_str(), true))
      << "a library without the entry";
  EXPECT_FALSE(CallDllRegistration(BesideTest(L"missing.dll").c_str(), true));
  Waits() = saved;
}

TEST(LastError, BecomesAnHResult) {
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(static_cast<HRESULT>(0x80070005), LastErrorAsHResult());
  SetLastError(0);
  EXPECT_EQ(S_OK, LastErrorAsHResult());
}

}  // namespace
}  // namespace SetupFrameworkNS
