// The site-seal popup with the scripted host's browser class: placement at the pointer, the
// lookup page it asks for, following the pointer and hiding when it leaves.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <string>

#include "common/windowing/validation_border.h"
#include "ie/quorvel_popup.h"
#include "platform/win/scoped_handle.h"
#include "tools/iehost/host_embedded_browser.h"
#include "tools/testservice/test_env.h"

namespace {

using KestrinIENS::CQuorvelPopup;

int ThreadCount() {
  KestrinWinNS::CScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  return count;
}

TEST(SealPopupPlacement, Corners) {
  const SIZE screen = {1024, 768}, popup = {238, 187};
  const struct { POINT cursor; POINT at; } cases[] = {
      {{100, 400}, {100, 193}},   // above, to the right of the pointer
      {{900, 400}, {662, 193}},   // too far right: to the left
      {{100, 100}, {100, 120}},   // too high: below
      {{900, 100}, {662, 120}},   // both
      {{786, 400}, {393, 291}},   // the right edge met exactly: screen centre
  };
  for (const auto& c : cases) {
    POINT at = KestrinIENS::PlaceSealPopup(c.cursor, screen, popup, 20);
    EXPECT_EQ(c.at.x, at.x) << c.cursor.x << "," << c.cursor.y;
    EXPECT_EQ(c.at.y, at.y) << c.cursor.x << "," << c.cursor.y;
  }
}

TEST(SealPopupTexts, SearchTextAndBounds) {
  EXPECT_EQ(L"http://a/b", KestrinIENS::SealSearchText(L"http:\\\\a\\b?c=1"));
  EXPECT_EQ(L"", KestrinIENS::SealSearchText(nullptr));
  CQuorvelPopup popup;
  EXPECT_EQ(0, popup.SetLookupParameters(nullptr, 0, nullptr));
  EXPECT_EQ(0, popup.SetSearchText(nullptr));
  std::string long_name(5000, 'n');
  EXPECT_EQ(1, popup.SetLookupParameters(long_name.c_str(), 0, nullptr));
  EXPECT_EQ(CQuorvelPopup::kTextLimit, popup.GetShortName().size());
  EXPECT_EQ(1, popup.SetSearchText(std::wstring(100000, L'a').c_str()));
  EXPECT_GE(4096u, popup.GetSearchText().size());
}

class SealPopup : public testing::Test {
 protected:
  SealPopup() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    browsers_.reset(new iehost::CHostBrowserClass());
    frame_ = CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 500, nullptr,
                             nullptr, nullptr, nullptr);
    seal_ = CreateWindowExA(0, "STATIC", "seal", WS_CHILD | WS_VISIBLE, 500, 20, 80, 40, frame_, nullptr, nullptr,
                            nullptr);
    SetForegroundWindow(frame_);
  }
  ~SealPopup() override {
    popup_.reset();
    DestroyWindow(frame_);
    browsers_.reset();
    CoUninitialize();
  }
  void MakePopup() {
    popup_.reset(new CQuorvelPopup());
    popup_->SetTrackingPeriod(10);
    ASSERT_EQ(1, popup_->SetLookupParameters("Torvan Seal", 0, seal_));
    ASSERT_EQ(1, popup_->SetSearchText(L"http://shop.example/pay?item=3"));
    ASSERT_EQ(1, popup_->SetBrowserWindow(frame_));
    ASSERT_TRUE(popup_->Create(seal_));
  }
  std::unique_ptr<iehost::CHostBrowserClass> browsers_;
  std::unique_ptr<CQuorvelPopup> popup_;
  HWND frame_ = nullptr, seal_ = nullptr;
};

TEST_F(SealPopup, BrowserAsksForTheLookupPage) {
  ASSERT_TRUE(browsers_->IsRegistered());
  MakePopup();
  ASSERT_EQ(1u, browsers_->created().size());
  auto browser = browsers_->created()[0];
  EXPECT_EQ(popup_->hwnd(), GetParent(browser->embedding()));
  EXPECT_EQ(2, popup_->GetVerticalGap());
  ASSERT_TRUE(KestrinTest::PumpUntil([&] { return browser->navigations().size() == 2; }, 5000));
  EXPECT_EQ(L"About:Blank", browser->navigations()[0].url);
  const auto& lookup = browser->navigations()[1];
  EXPECT_NE(std::wstring::npos,
            lookup.url.find(L"/znr_searcher/quorvel?v_shortname=Torvan%20Seal&v_search=http://shop.example/pay"
                            L"&v_querytype=VC&x=5&y=5"))
      << std::string(lookup.url.begin(), lookup.url.end());
  EXPECT_EQ(0u, lookup.headers.find(L"DRAVIX_VERSION: "));
  EXPECT_EQ(L'\n', lookup.headers.back());
}

// Shown at the pointer; while the pointer rests on it the border shows and the popup follows;
// when the pointer leaves both popup and seal, popup and border hide.
TEST_F(SealPopup, ShowsFollowsAndHides) {
  MakePopup();
  WindowingNS::CValidationBorder* border = WindowingNS::CValidationBorder::GetInstance();
  ASSERT_TRUE(SetCursorPos(300, 400));
  ShowWindow(popup_->hwnd(), SW_SHOWNOACTIVATE);
  RECT area;
  GetWindowRect(popup_->hwnd(), &area);
  EXPECT_EQ(300, area.left);
  EXPECT_EQ(400 - 2 - CQuorvelPopup::kHeight, area.top);

  // The pointer goes onto the popup: it stays, the border shows, the cursor is followed.
  ASSERT_TRUE(SetCursorPos(area.left + 20, area.top + 20));
  EXPECT_EQ(1, popup_->HideUnlessHovered(frame_));
  EXPECT_TRUE(IsWindowVisible(popup_->hwnd()));
  EXPECT_TRUE(popup_->IsTracking());
  EXPECT_TRUE(border->IsBorderVisible());

  // It leaves both (for a place off the border, which waits while the pointer is on it): the
  // tracking thread tells the popup, which hides itself and the border.
  ASSERT_TRUE(SetCursorPos(700, 600));
  EXPECT_TRUE(KestrinTest::PumpUntil([&] { return !IsWindowVisible(popup_->hwnd()); }, 5000));
  EXPECT_TRUE(KestrinTest::PumpUntil([&] { return !border->IsBorderVisible(); }, 5000));

  // Away from the popup, HideUnlessHovered hides at once.
  ShowWindow(popup_->hwnd(), SW_SHOWNOACTIVATE);
  EXPECT_EQ(1, popup_->HideUnlessHovered(frame_));
  EXPECT_FALSE(IsWindowVisible(popup_->hwnd()));
}

// The popup goes while its thread follows the cursor: it stops and joins the thread first.
TEST_F(SealPopup, DestroyedWhileTracking) {
  MakePopup();
  ShowWindow(popup_->hwnd(), SW_SHOWNOACTIVATE);
  RECT area;
  GetWindowRect(popup_->hwnd(), &area);
  ASSERT_TRUE(SetCursorPos(area.left + 10, area.top + 10));
  popup_->HideUnlessHovered(frame_);
  ASSERT_TRUE(popup_->IsTracking());
  int threads = ThreadCount();
  popup_.reset();
  EXPECT_EQ(threads - 1, ThreadCount()) << "the tracking thread outlived its popup";
}

}  // namespace
