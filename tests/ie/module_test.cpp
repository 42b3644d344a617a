// The add-on library (KestrinIE32.dll / KestrinIE64.dll) as Internet Explorer loads it: LoadLibrary, DllGetClassObject, the class
// factory, SetSite with the scripted browser, and the module's lock count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win/gdi.h"
#include "tests/ie/host_fixture.h"

namespace {

using iehost::CAddonLibrary;
using iehost::CComPtr;

// Whether this process still has an observer service window: its thread would run the
// library's code after the library was unloaded.
bool HasObserverWindow() {
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, "{025AF22A-C712-45b4-95F9-BCEAEAA2453C}", nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, "{025AF22A-C712-45b4-95F9-BCEAEAA2453C}", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return true;
  }
  return false;
}

class ModuleTest : public testing::Test {
 protected:
  ModuleTest() : library_(sizeof(void*) == 8 ? L"KestrinIE64.dll" : L"KestrinIE32.dll") {}
  CAddonLibrary library_;
};

TEST_F(ModuleTest, ExportsAndClassFactory) {
  ASSERT_TRUE(library_.IsLoaded());
  for (const char* name : {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"})
    EXPECT_NE(nullptr, GetProcAddress(library_.module(), name)) << name;
  typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObjectFn>(GetProcAddress(library_.module(), "DllGetClassObject"));
  CComPtr<IClassFactory> factory;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get(IID_IUnknown, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  ASSERT_EQ(S_OK, get(iehost::kClsidKestrinBho, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  EXPECT_EQ(S_FALSE, library_.CanUnloadNow());  // the factory holds the module
  IUnknown* object = nullptr;
  EXPECT_EQ(CLASS_E_NOAGGREGATION,
            factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown,
                                    reinterpret_cast<void**>(&object)));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, reinterpret_cast<void**>(&object)));
  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  factory.Release();
  EXPECT_EQ(S_FALSE, library_.CanUnloadNow());
  ASSERT_EQ(S_OK, get(iehost::kClsidKestrinBho, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
  EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  factory.Release();
  EXPECT_EQ(S_OK, library_.CanUnloadNow());
}

// The helper object through COM: the browser's own process (frame window of this process)
// is the normal path and succeeds; the host program is recognised in upper case too; an
// unknown host fails; SetSite(NULL) gives everything back and the module can unload.
TEST_F(ModuleTest, HelperObjectOnTheScriptedBrowser) {
  const struct { const wchar_t* path; HRESULT result; size_t connections; } cases[] = {
      {test::kIePath, S_OK, 1},
      {test::kIePathUpper, S_OK, 1},
      {L"C:\\Windows\\explorer.exe", S_OK, 1},
      {L"C:\\Program Files\\Opera\\opera.exe", E_FAIL, 0},
  };
  for (const auto& c : cases) {
    test::HostFixture fixture(2, c.path);
    LONG browser_refs = fixture.browser()->GetRefCount();
    {
      CComPtr<IObjectWithSite> bho;
      ASSERT_EQ(S_OK, library_.CreateHelperObject(&bho));
      CComPtr<IDispatch> sink;
      EXPECT_EQ(S_OK, sink.QueryFrom(bho.get()));
      sink.Release();
      EXPECT_EQ(c.result, bho->SetSite(static_cast<IWebBrowser2*>(fixture.browser())));
      EXPECT_EQ(c.connections, fixture.browser()->events()->ConnectionCount());
      EXPECT_EQ(S_OK, bho->SetSite(nullptr));
      EXPECT_EQ(0u, fixture.browser()->events()->ConnectionCount());
      EXPECT_EQ(browser_refs, fixture.browser()->GetRefCount());
      EXPECT_EQ(S_FALSE, library_.CanUnloadNow());
      if (c.result == S_OK) {
        EXPECT_TRUE(HasObserverWindow());
      }
    }
    EXPECT_EQ(S_OK, library_.CanUnloadNow());
    EXPECT_FALSE(HasObserverWindow()) << "the last object left the library's window thread running";
  }
}

}  // namespace

// What the library's own texts name inside it: the toolbox bitmap of the control's registration
// and the page the site-seal popup shows while it loads (res://<library>/LOADING.HTM).
TEST_F(ModuleTest, CarriesTheResourcesItsTextsName) {
  ASSERT_TRUE(library_.IsLoaded());
  HMODULE module = library_.module();
  HRSRC script = FindResourceW(module, MAKEINTRESOURCEW(105), L"REGISTRY");
  ASSERT_NE(nullptr, script);
  const char* text = static_cast<const char*>(LockResource(LoadResource(module, script)));
  const std::string registration(text, SizeofResource(module, script));
  const std::string key = "'ToolboxBitmap32' = s '%MODULE%, ";
  const size_t at = registration.find(key);
  ASSERT_NE(std::string::npos, at);
  const int bitmap_id = atoi(registration.c_str() + at + key.size());
  ASSERT_GT(bitmap_id, 0);
  KestrinWinNS::CScopedBitmap bitmap(
      static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(bitmap_id), IMAGE_BITMAP, 0, 0, 0)));
  ASSERT_NE(nullptr, bitmap.Get()) << bitmap_id;
  BITMAP info = {};
  GetObjectW(bitmap.Get(), sizeof(info), &info);
  EXPECT_EQ(16, info.bmWidth);
  EXPECT_EQ(16, info.bmHeight);

  HRSRC page = FindResourceW(module, L"LOADING.HTM", MAKEINTRESOURCEW(23));
  ASSERT_NE(nullptr, page);
  const char* html = static_cast<const char*>(LockResource(LoadResource(module, page)));
  EXPECT_NE(std::string::npos, std::string(html, SizeofResource(module, page)).find("<html>"));
}
