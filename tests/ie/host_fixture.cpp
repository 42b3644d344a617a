#include "tests/ie/host_fixture.h"

namespace test {

const wchar_t kIePath[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
const wchar_t kIePathUpper[] = L"C:\\PROGRAM FILES\\INTERNET EXPLORER\\IEXPLORE.EXE";
const char kClosedLookupHost[] = "127.0.0.1:1";

HostFixture::HostFixture(int generation, const std::wstring& full_name) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HWND frame = nullptr, tab = nullptr;
  if (generation >= 3) {
    ie7_.reset(new Ie7Frame(generation));
    ie7_->AddTab();
    frame = ie7_->frame;
    tab = ie7_->tabs[0].tab;
  } else {
    ie6_.reset(new Ie6Frame());
    frame = ie6_->frame;
  }
  browser_.Attach(iehost::CComObject<iehost::CHostBrowser>::Create(full_name, frame, tab));
}

HostFixture::~HostFixture() {
  page_.Release();
  browser_.Release();
  ie6_.reset();
  ie7_.reset();
  CoUninitialize();
}

HWND HostFixture::frame() const { return ie7_ ? ie7_->frame : ie6_->frame; }
HWND HostFixture::tab() const { return ie7_ ? ie7_->tabs[0].tab : nullptr; }
HWND HostFixture::document() const { return ie7_ ? ie7_->tabs[0].document : ie6_->document; }

iehost::CComObject<iehost::CHostDocument>* HostFixture::NewPage(const std::wstring& url) {
  page_.Attach(iehost::CComObject<iehost::CHostDocument>::Create(url, POINT{50, 120}));
  page_->AddElement(L"IMG", RECT{600, 1500, 700, 1550})->SetAttribute(L"src", url + L"seal.gif");
  return page_.get();
}

}  // namespace test
