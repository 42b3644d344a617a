#include <gtest/gtest.h>

#include "platform/appframe/dc.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/control_custom.h"
#include "toolkit/drawing/prop_exchange.h"

using namespace TKCommandBars;

namespace {

const int kProgressId = 4242;

// A bar of one button (id 100) and one custom control (id 300) on a site window that holds a
// child window with a dialog id, ready to be hosted.
struct CustomFixture : BarFixture {
  CustomFixture() : BarFixture(1) {
    custom = new CTKControlCustom;
    custom->SetCaption(L"Custom");
    custom->SetStyle(3);
    bar->GetControls()->Add(custom, 300);
    custom->Release();
    hosted = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 60, 18, site.hwnd, nullptr, nullptr, nullptr);
    item = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 60, 18, site.hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProgressId)), nullptr, nullptr);
  }
  // Shown as far as the window itself goes (the test's site window is never shown).
  bool Shown() const { return (::GetWindowLongPtrW(hosted, GWL_STYLE) & WS_VISIBLE) != 0; }
  void Layout() { bar->CalcSize(600, 0); }
  // A mouse click on the control: the release waits in the queue for the press loop.
  void Click() {
    const CPoint pt = custom->GetRect().CenterPoint();
    ::PostMessageW(bar->GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    custom->OnClick(false, pt);
    DrainMessages();
  }
  CTKControlCustom* custom;
  HWND hosted;
  HWND item;  // a dialog item of the site
};

TEST(CustomControl, WithoutAWindowItIsAButton) {
  CustomFixture fx;
  fx.Layout();
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CTKControlButton button;
  button.SetCaption(L"Custom");
  button.SetStyle(3);
  button.SetParent(fx.bar);
  EXPECT_EQ(button.GetSize(&dc), fx.custom->GetSize(&dc));
  EXPECT_FALSE(fx.custom->DrawsOwnFace());
  fx.Click();
  EXPECT_EQ(std::vector<int>{300}, fx.site.commands);
}

TEST(CustomControl, HostsItsWindowInTheBar) {
  CustomFixture fx;
  fx.custom->SetBorders(CRect(2, 3, 4, 5));
  fx.custom->SetControl(fx.hosted);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  EXPECT_EQ(CSize(60 + 6, 18 + 8), fx.custom->GetSize(&dc));
  fx.Layout();
  const CRect rc = fx.custom->GetRect();
  EXPECT_EQ(fx.bar->GetSafeHwnd(), ::GetParent(fx.hosted));
  EXPECT_TRUE(::GetWindowLongPtrW(fx.hosted, GWL_STYLE) & WS_CHILD);
  EXPECT_FALSE(::GetWindowLongPtrW(fx.hosted, GWL_STYLE) & WS_POPUP);
  RECT at;
  ::GetWindowRect(fx.hosted, &at);
  ::MapWindowPoints(nullptr, fx.bar->GetSafeHwnd(), reinterpret_cast<POINT*>(&at), 2);
  EXPECT_EQ(CRect(rc.left + 2, rc.top + 3, rc.right - 4, rc.bottom - 5), CRect(at));
  EXPECT_TRUE(fx.Shown());
  // A click on the hosted control's slot is the window's, not a command.
  fx.Click();
  EXPECT_TRUE(fx.site.commands.empty());
  fx.custom->SetEnabled(false);
  EXPECT_FALSE(::IsWindowEnabled(fx.hosted));
  fx.custom->SetEnabled(true);
  EXPECT_TRUE(::IsWindowEnabled(fx.hosted));
}

TEST(CustomControl, MouseOverTheWindowKeepsTheBarsHotTracking) {
  CustomFixture fx;
  fx.custom->SetControl(fx.hosted);
  fx.Layout();
  ASSERT_NE(1, fx.bar->GetHotIndex());
  ::SendMessageW(fx.hosted, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(1, fx.bar->GetHotIndex());
}

TEST(CustomControl, VerticalOptionsTable) {
  struct Case {
    const char* name;
    int options;
    bool control_visible, window_visible;
  } cases[] = {
      {"hide the whole control", CTKControlCustom::kVerticalHide, false, false},
      {"leave it shown", CTKControlCustom::kVerticalShow, true, true},
      {"keep the slot, hide the window", CTKControlCustom::kVerticalHideWindow, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CustomFixture fx;
    fx.custom->SetControl(fx.hosted);
    fx.custom->SetVerticalOptions(c.options);
    fx.Layout();
    fx.custom->OnOrientationChanged(0x10);
    EXPECT_EQ(c.control_visible, fx.custom->IsVisible());
    EXPECT_EQ(c.window_visible, fx.Shown());
    fx.custom->OnOrientationChanged(0);
    EXPECT_TRUE(fx.custom->IsVisible());
    EXPECT_TRUE(fx.Shown());
  }
}

TEST(CustomControl, SavedStateFindsTheWindowByIdFromSchema6On) {
  const wchar_t* path = L"Software\\KestrinTests\\CustomControl";
  struct Case {
    int schema;
    int expected_id;
    bool found;
  } cases[] = {{5, 0, false}, {6, kProgressId, true}, {20, kProgressId, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.schema);
    CustomFixture fx;
    fx.custom->SetBorders(CRect(1, 2, 3, 4));
    fx.custom->SetControlSize(CSize(70, 20));
    fx.custom->SetVerticalOptions(2);
    fx.custom->SetControlId(kProgressId);
    {
      CTKPropExchangeRegistry store(HKEY_CURRENT_USER, path, false);
      ASSERT_TRUE(store.IsOpen());
      store.SetSchema(c.schema);
      fx.custom->DoPropExchange(&store);
    }
    CTKControlCustom* loaded = new CTKControlCustom;
    {
      CTKPropExchangeRegistry load(HKEY_CURRENT_USER, path, true);
      ASSERT_TRUE(load.IsOpen());
      load.SetSchema(c.schema);
      loaded->DoPropExchange(&load);
    }
    EXPECT_EQ(CRect(1, 2, 3, 4), loaded->GetBorders());
    EXPECT_EQ(CSize(70, 20), loaded->GetControlSize());
    EXPECT_EQ(2, loaded->GetVerticalOptions());
    EXPECT_EQ(c.expected_id, loaded->GetControlId());
    // The site's dialog item carries the id.
    EXPECT_EQ(c.found, loaded->FindControlWindow(fx.site.hwnd) == fx.item);
    EXPECT_EQ(c.found, loaded->GetControl() == fx.item);
    loaded->Release();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path);
  }
}

}  // namespace
