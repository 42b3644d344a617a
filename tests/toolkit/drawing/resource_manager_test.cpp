#include "toolkit/drawing/resource_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include <thread>

#include "platform/win/scoped_handle.h"
#include "platform/win/scoped_resource.h"
#include "tests/toolkit/drawing/test_main.h"
#include "toolkit/drawing/image_manager.h"

namespace {

TEST(ResourceManager, StringsHtmlMenusAndDialogs) {
  CTKResourceManager rm;
  std::wstring text = L"unchanged";
  EXPECT_TRUE(rm.ReadStringResource(&text, 300));
  EXPECT_EQ(L"Kestrin string", text);
  text = L"unchanged";
  EXPECT_FALSE(rm.ReadStringResource(&text, 999));
  EXPECT_EQ(L"unchanged", text);

  EXPECT_TRUE(rm.ReadHtmlText(&text, 200));
  EXPECT_EQ(L"<p>hello</p>", text);  // up to the NUL
  text = L"unchanged";
  EXPECT_FALSE(rm.ReadHtmlText(&text, 201));
  EXPECT_EQ(L"unchanged", text);
  EXPECT_FALSE(rm.ReadHtmlText(nullptr, 200));

  KestrinWinNS::CScopedMenu menu;
  ASSERT_TRUE(rm.ReadMenuResource(menu.Receive(), 400));
  EXPECT_EQ(1, GetMenuItemCount(menu.Get()));
  EXPECT_FALSE(rm.ReadMenuResource(menu.Receive(), 401));

  const auto* dialog = static_cast<const DLGTEMPLATE*>(rm.LockDialogResource(500));
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(100, dialog->cx);
  EXPECT_EQ(nullptr, rm.LockDialogResource(501));
}

TEST(ResourceManager, ToolBarResourcesAreReadWithinTheirBytes) {
  CTKResourceManager* manager = GetResourceManagerInstance();
  CTKToolBarResource toolbar;
  ASSERT_TRUE(manager->ReadToolBarResource(&toolbar, 600));
  EXPECT_EQ(16, toolbar.width);
  EXPECT_EQ(15, toolbar.height);
  EXPECT_EQ((std::vector<UINT>{100, 0, 101}), toolbar.commands);
  EXPECT_FALSE(manager->ReadToolBarResource(&toolbar, 601));  // more items than bytes
  EXPECT_FALSE(manager->ReadToolBarResource(&toolbar, 602));  // none
  EXPECT_FALSE(manager->ReadToolBarResource(nullptr, 600));

  auto words = [](std::initializer_list<WORD> w) { return std::vector<WORD>(w); };
  struct Case {
    const char* what;
    std::vector<WORD> data;
    size_t size;  // bytes given; -1: all
    bool ok;
  } cases[] = {
      {"header only, no items", words({1, 16, 16, 0}), 8, true},
      {"every item present", words({1, 16, 16, 2, 7, 8}), 12, true},
      {"one byte of the last item missing", words({1, 16, 16, 2, 7, 8}), 11, false},
      {"count far beyond the bytes", words({1, 16, 16, 0xFFFF, 7}), 10, false},
      {"shorter than the header", words({1, 16, 16, 0}), 7, false},
      {"another version", words({2, 16, 16, 0}), 8, false},
      {"no width", words({1, 0, 16, 0}), 8, false},
      {"no height", words({1, 16, 0, 0}), 8, false},
      {"image wider than any tool bar's", words({1, kMaxToolBarImage + 1, 16, 0}), 8, false},
  };
  for (const Case& c : cases) {
    CTKToolBarResource out;
    EXPECT_EQ(c.ok, ParseToolBarResource(c.data.data(), c.size, &out)) << c.what;
  }
  EXPECT_FALSE(ParseToolBarResource(nullptr, 8, &toolbar));
}

TEST(ResourceManager, IconsFromTheGroupBySize) {
  CTKResourceManager rm;
  for (int size : {16, 32}) {
    KestrinWinNS::CScopedIcon icon(rm.MakeIconFromGroup(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), size, size));
    ASSERT_NE(nullptr, icon.Get()) << size;
    EXPECT_EQ(size, CTKImageManager::GetIconSize(icon.Get()).cx);
  }
  EXPECT_EQ(nullptr, rm.MakeIconFromGroup(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101), 16, 16));
  KestrinWinNS::CScopedIcon icon(rm.ReadIconById(100, SIZE{32, 32}));
  ASSERT_NE(nullptr, icon.Get());
  EXPECT_EQ(32, CTKImageManager::GetIconSize(icon.Get()).cx);
}

TEST(ResourceManager, LanguageIsTheFirstOtherThanUsEnglish) {
  CTKResourceManager rm;
  EXPECT_EQ(1033, rm.ResourceLanguage());
  // This program carries one German string table.
  EXPECT_EQ(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), rm.DetectResourceLanguage());
  EXPECT_EQ(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), rm.ResourceLanguage());
  // A module of U.S. English resources only.
  KestrinWinNS::CScopedLibrary office(LoadLibraryW(Office2007ModulePath().c_str()));
  ASSERT_NE(nullptr, office.Get());
  EXPECT_EQ(1033, rm.DetectResourceLanguage(office.Get()));
}

TEST(ResourceManager, OnePerThread) {
  CTKResourceManager* here = GetResourceManagerInstance();
  EXPECT_EQ(here, GetResourceManagerInstance());
  CTKResourceManager* there = nullptr;
  std::thread([&] { there = GetResourceManagerInstance(); }).join();
  EXPECT_NE(nullptr, there);
  EXPECT_NE(here, there);
}

}  // namespace
