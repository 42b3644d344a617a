#include <gtest/gtest.h>

#include <cwchar>

#include "platform/appframe/recent_file_list.h"

namespace {

TEST(RecentFileListTest, NewestFirstWithoutDuplicatesUpToItsSize) {
  CRecentFileList list(0xE110, 3);
  for (const wchar_t* path : {L"C:\\a\\one.txt", L"C:\\a\\two.txt", L"C:\\A\\ONE.TXT", L"C:\\b\\three.txt", L"C:\\b\\four.txt"})
    list.Add(path);
  ASSERT_EQ(3, list.GetCount());
  EXPECT_EQ(CString(L"C:\\b\\four.txt"), list[0]);
  EXPECT_EQ(CString(L"C:\\b\\three.txt"), list[1]);
  EXPECT_EQ(CString(L"C:\\A\\ONE.TXT"), list[2]);
  EXPECT_EQ(CString(), list[3]);
  list.Remove(0);
  EXPECT_EQ(CString(L"C:\\b\\three.txt"), list[0]);
}

TEST(RecentFileListTest, DisplayNames) {
  CRecentFileList list(0xE110, 4, 24);
  list.Add(L"C:\\work\\very\\deep\\folder\\of\\notes.txt");
  list.Add(L"C:\\docs\\plan.txt");
  list.Add(L"C:\\work\\here.txt");
  struct Case {
    int index;
    const wchar_t* current_dir;
    const wchar_t* expected;
  } cases[] = {
      {0, L"C:\\work\\", L"here.txt"},                      // in the current directory
      {0, L"C:\\other\\", L"C:\\work\\here.txt"},           // short enough as it is
      {1, L"C:\\work\\", L"C:\\docs\\plan.txt"},
      {2, L"C:\\work\\", L"C:\\...\\of\\notes.txt"},        // shortened in its middle
  };
  for (const Case& c : cases) {
    CString name;
    ASSERT_TRUE(list.GetDisplayName(name, c.index, c.current_dir, static_cast<int>(wcslen(c.current_dir))));
    EXPECT_EQ(CString(c.expected), name) << c.index;
  }
  CString name;
  EXPECT_FALSE(list.GetDisplayName(name, 3, L"C:\\", 3));
}

}  // namespace
