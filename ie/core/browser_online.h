// What the site-seal lookup runs in Internet Explorer when it has put the system online again:
// the browser goes online too and loads its page again.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include <functional>

// Holds a reference to `browser` while the function lives; null without a browser.
std::function<void()> BrowserBackOnline(IWebBrowser2* browser);
