// The page event handler and the script-error handler of the signed page, on scripted
// browsers: navigations that start in the page go to the main browser's top frame.
#include <gtest/gtest.h>

#include <exdispid.h>

#include "ie/html_event_handler.h"
#include "tools/iehost/host_browser.h"

namespace {

using iehost::CComObject;
using iehost::CComPtr;
using iehost::CHostBrowser;
using KestrinIENS::CHtmlNlrEventHandler;

const wchar_t kIePath[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";

class HtmlHandler : public testing::Test {
 protected:
  HtmlHandler() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    main_.Attach(CComObject<CHostBrowser>::Create(kIePath, nullptr, nullptr));
    page_.Attach(CComObject<CHostBrowser>::Create(kIePath, nullptr, nullptr));
    handler_.Attach(CComObject<CHtmlNlrEventHandler>::Create());
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~HtmlHandler() override {
    handler_.Release();
    page_.Release();
    main_.Release();
    DestroyWindow(window_);
    CoUninitialize();
  }
  // The handler linked as the control links it.
  void Link() {
    ASSERT_EQ(S_OK, handler_->put_CallbackHwnd(window_));
    ASSERT_EQ(S_OK, handler_->put_MainBrowserSite(static_cast<IWebBrowser2*>(main_.get())));
    ASSERT_EQ(S_OK, handler_->put_HtmlNlrBrowserSite(static_cast<IWebBrowser2*>(page_.get())));
  }

  CComPtr<CComObject<CHostBrowser>> main_, page_;
  CComPtr<CComObject<CHtmlNlrEventHandler>> handler_;
  HWND window_ = nullptr;
};

TEST_F(HtmlHandler, PropertyErrors) {
  EXPECT_EQ(E_INVALIDARG, handler_->put_CallbackHwnd(nullptr));
  EXPECT_EQ(E_POINTER, handler_->put_MainBrowserSite(nullptr));
  EXPECT_EQ(E_POINTER, handler_->put_HtmlNlrBrowserSite(nullptr));
  // Something that is not a browser.
  CComPtr<iehost::CComObject<iehost::CHostShellBrowser>> other;
  other.Attach(CComObject<iehost::CHostShellBrowser>::Create(nullptr));
  EXPECT_EQ(E_INVALIDARG, handler_->put_MainBrowserSite(static_cast<IOleWindow*>(other.get())));
  EXPECT_EQ(E_INVALIDARG, handler_->put_HtmlNlrBrowserSite(static_cast<IOleWindow*>(other.get())));
  EXPECT_FALSE(handler_->IsConnected());
}

// A click or a form post in the signed page: cancelled there, the main browser navigates its
// top frame with the same post data and headers.
TEST_F(HtmlHandler, PageNavigationGoesToTheMainBrowser) {
  Link();
  EXPECT_EQ(VARIANT_TRUE, page_->FireBeforeNavigate2(L"https://shop.example/pay", nullptr, "card=1&amount=20",
                                                     L"Content-Type: application/x-www-form-urlencoded\r\n"));
  ASSERT_EQ(1u, main_->navigations().size());
  const auto& call = main_->navigations()[0];
  EXPECT_EQ(L"https://shop.example/pay", call.url);
  EXPECT_EQ(L"_top", call.target);
  EXPECT_EQ("card=1&amount=20", call.post_data);
  EXPECT_EQ(L"Content-Type: application/x-www-form-urlencoded\r\n", call.headers);
}

// A frame inside the signed page navigates on its own; the merchant's page stays.
TEST_F(HtmlHandler, SubFrameNavigationIsLeftAlone) {
  Link();
  CComPtr<CComObject<CHostBrowser>> frame;
  frame.Attach(CComObject<CHostBrowser>::Create(kIePath, nullptr, nullptr));
  EXPECT_EQ(VARIANT_FALSE, page_->FireBeforeNavigate2(L"https://ads.example/frame", frame.get()));
  EXPECT_TRUE(main_->navigations().empty());
}

// A URL that cannot be made text fails the event with an HRESULT; nothing is thrown.
TEST_F(HtmlHandler, UnconvertibleUrlFailsTheCall) {
  Link();
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[7];
  for (VARIANT& v : args) VariantInit(&v);
  V_VT(&args[0]) = VT_DISPATCH;
  V_DISPATCH(&args[0]) = static_cast<IWebBrowser2*>(page_.get());
  V_VT(&args[1]) = VT_UNKNOWN;  // no text in it
  V_UNKNOWN(&args[1]) = static_cast<IConnectionPointContainer*>(main_.get());
  V_VT(&args[6]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[6]) = &cancel;
  EXPECT_TRUE(FAILED(page_->events()->Fire(DISPID_BEFORENAVIGATE2, args, 7)));
  EXPECT_TRUE(main_->navigations().empty());
}

TEST_F(HtmlHandler, DocumentCompleteTellsTheControl) {
  Link();
  page_->FireDocumentComplete(L"KRprot:HTML&1");
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, window_, KestrinIENS::kMessageSignedPageLoaded,
                           KestrinIENS::kMessageSignedPageLoaded, PM_REMOVE));
}

// Without a main browser a navigation stays in the page.
TEST_F(HtmlHandler, WithoutMainBrowserNothingIsRedirected) {
  ASSERT_EQ(S_OK, handler_->put_HtmlNlrBrowserSite(static_cast<IWebBrowser2*>(page_.get())));
  EXPECT_EQ(VARIANT_FALSE, page_->FireBeforeNavigate2(L"https://shop.example/"));
}

// The connection moves to a new embedded browser and is dropped with the handler.
TEST_F(HtmlHandler, ConnectionFollowsTheEmbeddedBrowser) {
  Link();
  EXPECT_EQ(1u, page_->events()->ConnectionCount());
  CComPtr<CComObject<CHostBrowser>> second;
  second.Attach(CComObject<CHostBrowser>::Create(kIePath, nullptr, nullptr));
  ASSERT_EQ(S_OK, handler_->put_HtmlNlrBrowserSite(static_cast<IWebBrowser2*>(second.get())));
  EXPECT_EQ(0u, page_->events()->ConnectionCount());
  EXPECT_EQ(1u, second->events()->ConnectionCount());
  LONG main_refs = main_->GetRefCount();
  handler_.Release();
  EXPECT_EQ(0u, second->events()->ConnectionCount());
  EXPECT_EQ(main_refs - 1, main_->GetRefCount());
}

TEST(ScriptErrorHandler, ErrorsAreAnsweredAsHandled) {
  KRControlNS::CScriptErrorHandler handler;
  VARIANT result;
  VariantInit(&result);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  EXPECT_EQ(S_OK, handler.Invoke(1002, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
  EXPECT_EQ(VT_BOOL, V_VT(&result));
  EXPECT_EQ(VARIANT_TRUE, V_BOOL(&result));
  VariantClear(&result);
  EXPECT_EQ(S_OK, handler.Invoke(1003, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
  EXPECT_EQ(VT_EMPTY, V_VT(&result));
  void* out = nullptr;
  EXPECT_EQ(S_OK, handler.QueryInterface(__uuidof(HTMLWindowEvents2), &out));
  EXPECT_EQ(E_NOINTERFACE, handler.QueryInterface(IID_NULL, &out));
  EXPECT_EQ(E_INVALIDARG, handler.Connect(nullptr));
  EXPECT_EQ(E_INVALIDARG, handler.Disconnect(nullptr));
  EXPECT_FALSE(handler.Attach(nullptr));
}

}  // namespace
