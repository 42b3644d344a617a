// The ribbon's system menu opened for real from its button in the frame's caption: where it
// opens, the button showing through it, its faces by pixels, and its pages.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/toolkit/drawing/canvas.h"
#include "tests/toolkit/ribbon/ribbon_test_frame.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/ribbon/ribbon_frame_hook.h"
#include "toolkit/ribbon/ribbon_system_button.h"
#include "toolkit/ribbon/ribbon_system_menu.h"

namespace {

TEST_F(RibbonFrame, TheSystemMenuOpensOverItsButtonWhichShowsThroughIt) {
  constexpr COLORREF kMenuFace = RGB(225, 235, 250), kListFace = RGB(233, 234, 238);
  constexpr COLORREF kButtonOpen = RGB(90, 0, 90), kBottomButton = RGB(200, 200, 210);
  constexpr COLORREF kEdgeShadow = RGB(197, 197, 197), kEdgeLight = RGB(245, 245, 245);
  Glass off(false);
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CTKRibbonBar* bar = AddBar(frame.hwnd);
  auto* button = new CTKRibbonControlSystemButton;
  bar->SetSystemButton(button);
  button->Release();  // the bar's collection holds it
  auto* menu = new CTKRibbonSystemPopupBar;
  menu->SetCommandBarManager(&manager_);
  menu->GetControls()->Add(TKCommandBars::kButton, 100)->SetCaption(L"&New");
  auto* list = new CTKRibbonControlSystemRecentFileList;
  list->SetCaption(L"Recent Documents");
  menu->GetControls()->Add(list, list->GetID());
  list->Release();
  CTKControl* exit = menu->GetControls()->Add(new CTKRibbonControlSystemPopupBarButton, 57665);
  exit->Release();
  exit->SetCaption(L"Exit");
  button->SetCommandBar(menu);
  menu->Release();  // the button holds it
  CTKRibbonFrameHook::Attach(frame.hwnd, bar, &manager_);
  ASSERT_TRUE(TKRibbonSystemButtonInCaption(bar));

  ASSERT_TRUE(bar->SetPopupOpen(button->GetIndex(), false));
  ASSERT_TRUE(button->GetPopuped());
  ASSERT_TRUE(menu->GetSafeHwnd());
  CRect at = button->GetRect();
  ::MapWindowPoints(bar->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&at), 2);
  CRect popup;
  ::GetWindowRect(menu->GetSafeHwnd(), &popup);
  EXPECT_EQ(popup.top, at.bottom - CTKRibbonControlSystemButton::kCaptionPopupRise);
  EXPECT_EQ(popup.left, at.left);
  // The button stays the bar's where the popup covers it.
  const POINT over_button{at.left + 5, popup.top + 2}, elsewhere{at.right + 20, popup.top + 2};
  ASSERT_TRUE(popup.PtInRect(over_button) && popup.PtInRect(elsewhere));
  EXPECT_FALSE(menu->PointInBar(over_button));
  EXPECT_TRUE(menu->PointInBar(elsewhere));
  EXPECT_EQ(::SendMessageW(menu->GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(over_button.x, over_button.y)),
            HTTRANSPARENT);
  EXPECT_NE(::SendMessageW(menu->GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(elsewhere.x, elsewhere.y)), HTTRANSPARENT);

  // Drawn: the menu's face, the open button over it, the list's column, its caption's edge
  // lines and the bottom button's face.
  Canvas canvas(popup.Width(), popup.Height(), RGB(255, 0, 255));
  CDC dc;
  dc.Attach(canvas.dc());
  menu->DrawCommandBar(&dc, CRect(0, 0, popup.Width(), popup.Height()));
  EXPECT_EQ(canvas.At(popup.Width() - 2, 1), kMenuFace);
  EXPECT_EQ(canvas.At(at.CenterPoint().x - popup.left, 2), kButtonOpen);
  const CRect caption = list->GetRect();
  EXPECT_EQ(canvas.At(caption.right - 2, caption.top + 2), kListFace);
  EXPECT_EQ(canvas.At(caption.right - 2, caption.bottom - 6), kEdgeShadow);
  EXPECT_EQ(canvas.At(caption.right - 2, caption.bottom - 5), kEdgeLight);
  EXPECT_EQ(canvas.At(exit->GetRect().left + 3, exit->GetRect().top + 3), kBottomButton);
  bar->SetPopupOpen(-1, false);
  CTKMouseManager::ThreadInstance()->CloseTrackedBars();
  EXPECT_FALSE(menu->GetSafeHwnd());
}

TEST_F(RibbonFrame, APageOfTheSystemMenuOpensBesideItsEntryAsHighAsTheMenu) {
  Glass off(false);
  Frame frame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CTKRibbonBar* bar = AddBar(frame.hwnd);
  auto* button = new CTKRibbonControlSystemButton;
  bar->SetSystemButton(button);
  button->Release();
  auto* menu = new CTKRibbonSystemPopupBar;
  menu->SetCommandBarManager(&manager_);
  for (int i = 0; i < 6; ++i) menu->GetControls()->Add(TKCommandBars::kButton, 100 + i)->SetCaption(L"Command");
  auto* entry = static_cast<CTKControlPopup*>(menu->GetControls()->Add(TKCommandBars::kPopupControl, 0));
  entry->SetCaption(L"&Print");
  auto* page = new CTKRibbonSystemPopupBarPage;
  page->SetCommandBarManager(&manager_);
  page->GetControls()->Add(TKCommandBars::kButton, 200)->SetCaption(L"Print preview");
  entry->SetCommandBar(page);
  page->Release();
  button->SetCommandBar(menu);
  menu->Release();
  CTKRibbonFrameHook::Attach(frame.hwnd, bar, &manager_);

  ASSERT_TRUE(bar->SetPopupOpen(button->GetIndex(), false));
  ASSERT_TRUE(menu->SetPopupOpen(entry->GetIndex(), false));
  ASSERT_TRUE(page->GetSafeHwnd());
  CRect menu_client, page_rect, entry_rect = entry->GetRect();
  ::GetClientRect(menu->GetSafeHwnd(), &menu_client);
  ::GetWindowRect(page->GetSafeHwnd(), &page_rect);
  ::MapWindowPoints(menu->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&entry_rect), 2);
  POINT menu_origin{0, 0};
  ::ClientToScreen(menu->GetSafeHwnd(), &menu_origin);
  const CRect borders = menu->GetBorders();
  EXPECT_EQ(page_rect.left, entry_rect.right + 1);
  EXPECT_EQ(page_rect.top, menu_origin.y + borders.top + 1);
  EXPECT_GE(page_rect.Height(), menu_client.Height() - borders.top - borders.bottom - 2);
  bar->SetPopupOpen(-1, false);
  CTKMouseManager::ThreadInstance()->CloseTrackedBars();
}

}  // namespace
