#include "ie/core/browser_online.h"

#include "platform/com/com_ptr.h"

std::function<void()> BrowserBackOnline(IWebBrowser2* browser) {
  if (!browser) return nullptr;
  KestrinComNS::CComPtr<IWebBrowser2> held(browser);
  return [held] {
    held->put_Offline(VARIANT_FALSE);
    held->Refresh();
  };
}
