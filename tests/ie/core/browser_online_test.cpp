// The browser's part when a site-seal lookup has put the system online again.
#include "ie/core/browser_online.h"

#include <gtest/gtest.h>

#include "tests/ie/core/fake_web_browser.h"

namespace {

TEST(BrowserBackOnline, PutsTheBrowserOnlineAndReloadsItsPage) {
  CFakeWebBrowser browser;
  {
    std::function<void()> back_online = BrowserBackOnline(&browser);
    ASSERT_TRUE(back_online);
    EXPECT_EQ(2, browser.refs);  // held while the function lives
    EXPECT_EQ(0, browser.offline_calls);
    back_online();
    EXPECT_EQ(1, browser.offline_calls);
    EXPECT_EQ(VARIANT_FALSE, browser.offline);
    EXPECT_EQ(1, browser.refreshes);
  }
  EXPECT_EQ(1, browser.refs);
}

TEST(BrowserBackOnline, NoBrowserNothingToRun) { EXPECT_FALSE(BrowserBackOnline(nullptr)); }

}  // namespace
