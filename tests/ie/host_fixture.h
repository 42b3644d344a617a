// A scripted browser around a frame window tree of one browser generation, for the helper
// object's tests.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <string>

#include "tools/browserwindows/browser_windows.h"
#include "tools/iehost/host_browser.h"

namespace test {

extern const wchar_t kIePath[];        // an Internet Explorer path
extern const wchar_t kIePathUpper[];   // the same in upper case
// A lookup service address on this machine where nothing listens.
extern const char kClosedLookupHost[];

// COM on this thread, a frame tree and the scripted browser on it.
class HostFixture {
 public:
  // generation: 2 (IE 6, one browser per frame) or 3, 4 (IE 7/8, with a tab).
  HostFixture(int generation, const std::wstring& full_name);
  ~HostFixture();

  HWND frame() const;
  HWND tab() const;
  // The page view ("Internet Explorer_Server") of the frame, or of its tab.
  HWND document() const;
  iehost::CComObject<iehost::CHostBrowser>* browser() const { return browser_.get(); }
  // A page with one seal-sized image, made the browser's document.
  iehost::CComObject<iehost::CHostDocument>* NewPage(const std::wstring& url);

 private:
  std::unique_ptr<Ie6Frame> ie6_;
  std::unique_ptr<Ie7Frame> ie7_;
  iehost::CComPtr<iehost::CComObject<iehost::CHostBrowser>> browser_;
  iehost::CComPtr<iehost::CComObject<iehost::CHostDocument>> page_;
};

}  // namespace test
