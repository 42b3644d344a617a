// Built once per browser program it imitates (firefox.exe, seamonkey.exe, netscape.exe, with the
// product version of their version resource): the wrapper follows tab selection through the
// event of that program and version.
#include <gtest/gtest.h>

#include "tools/geckohost/gecko_host.h"

namespace {

TEST(HostProgram, TabSelectionFollowsTheProgramAndItsVersion) {
  geckohost::CGeckoHost host;
  ASSERT_EQ(kr::NS_OK, host.Load("Kestrin.dll"));
  host.Start();
  geckohost::CBrowserWindow* window = host.OpenWindow(RECT{100, 100, 900, 700});
  const wchar_t* other = wcscmp(KESTRIN_TAB_EVENT, L"select") == 0 ? L"TabSelect" : L"select";
  EXPECT_EQ(1, window->tab_browser()->CountListeners(KESTRIN_TAB_EVENT));
  EXPECT_EQ(0, window->tab_browser()->CountListeners(other));
}

}  // namespace
