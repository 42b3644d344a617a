// The ribbon's system menu: its recent-file list filling itself (and emptying), the list's
// column, the commands its entries run, the buttons along its bottom edge, and the system
// button's double click.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/appframe/recent_file_list.h"
#include "tests/toolkit/commandbars/test_bars.h"
#include "toolkit/commandbars/controls.h"
#include "toolkit/ribbon/ribbon_system_button.h"
#include "toolkit/ribbon/ribbon_system_menu.h"

namespace {

using namespace TKCommandBars;

constexpr int kFirstFile = CTKRibbonControlSystemRecentFileList::kFirstCommand;
// How the entries are numbered: 1 to 9 and 10 underlined, later ones not.
const std::wstring kNumbers[] = {L"&1 ", L"&2 ", L"&3 ", L"&4 ", L"&5 ", L"&6 ",
                                 L"&7 ", L"&8 ", L"&9 ", L"1&0 ", L"11 ", L"12 "};

std::wstring InCurrentDirectory(const std::wstring& name) {
  wchar_t dir[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, dir);
  return std::wstring(dir) + L"\\" + name;
}

// A system menu of two commands, the recent-file list and two bottom buttons, for a site.
struct SystemMenu {
  explicit SystemMenu(const CRecentFileList* files, int capacity_hint = 0) {
    manager.SetSite(site.hwnd);
    popup = new CTKRibbonSystemPopupBar;
    popup->SetCommandBarManager(&manager);
    CTKControls* controls = popup->GetControls();
    controls->Add(kButton, 100)->SetCaption(L"&New");
    controls->Add(kButton, 101)->SetCaption(L"&Open");
    list = new CTKRibbonControlSystemRecentFileList;
    list->SetList(files);
    list->SetCaption(L"Recent Documents");
    controls->Add(list, list->GetID());
    list->Release();
    for (auto [id, caption] : {std::pair<int, const wchar_t*>{9001, L"Options"}, {57665, L"Exit"}}) {
      CTKControl* button = controls->Add(new CTKRibbonControlSystemPopupBarButton, id);
      button->Release();
      button->SetCaption(caption);
    }
  }
  ~SystemMenu() {
    popup->Release();
    DrainMessages();
  }
  CSize Layout() { return popup->CalcSize(32767, 0); }
  std::vector<CTKControl*> Items() const {
    std::vector<CTKControl*> items;
    for (int i = list->GetIndex() + 1; i < popup->GetControlCount(); ++i)
      if (popup->GetControl(i)->IsKindOf(RUNTIME_CLASS(CTKRibbonControlSystemPopupBarListItem)))
        items.push_back(popup->GetControl(i));
    return items;
  }
  CTKControl* Bottom(int n) const { return popup->GetControls()->FindControl(n == 0 ? 9001 : 57665); }

  SiteWindow site;
  CTKCommandBarManager manager;
  CTKRibbonSystemPopupBar* popup;
  CTKRibbonControlSystemRecentFileList* list;
};

TEST(RibbonSystemMenu, TheRecentFileListShowsEachFileOnceNewestFirst) {
  struct Case {
    int capacity, files;
  };
  const Case cases[] = {{4, 0}, {4, 1}, {4, 3}, {4, 4}, {4, 6}, {9, 9}, {12, 11}, {1, 3}};
  for (const Case& c : cases) {
    CRecentFileList files(kFirstFile, c.capacity);
    for (int i = 0; i < c.files; ++i) files.Add(InCurrentDirectory(L"file" + std::to_wstring(i) + L".txt").c_str());
    SystemMenu menu(&files);
    menu.Layout();
    menu.Layout();  // laid out again: the same items, not twice
    const auto items = menu.Items();
    const int shown = std::min(c.capacity, c.files);
    ASSERT_EQ(static_cast<int>(items.size()), shown) << c.capacity << "/" << c.files;
    EXPECT_EQ(menu.list->ListedCount(), shown);
    for (int i = 0; i < shown; ++i) {
      const std::wstring name = L"file" + std::to_wstring(c.files - 1 - i) + L".txt";
      EXPECT_EQ(items[i]->GetID(), kFirstFile + i);
      EXPECT_EQ(items[i]->GetCaption(), kNumbers[i] + name);
      EXPECT_EQ(items[i]->GetTooltip(), InCurrentDirectory(name));
      EXPECT_EQ(items[i]->GetFlags(), CTKRibbonControlSystemPopupBarListItem::kListItemFlags);
      EXPECT_TRUE(items[i]->IsVisible());
    }
    EXPECT_TRUE(menu.list->IsVisible());  // the caption row stays
  }
}

TEST(RibbonSystemMenu, AnEmptiedListLeavesOnlyItsCaptionRow) {
  CRecentFileList files(kFirstFile, 4);
  files.Add(InCurrentDirectory(L"a.txt").c_str());
  files.Add(InCurrentDirectory(L"R&D.txt").c_str());
  SystemMenu menu(&files);
  menu.Layout();
  ASSERT_EQ(menu.Items().size(), 2u);
  EXPECT_EQ(menu.Items()[0]->GetCaption(), L"&1 R&&D.txt");
  files.Remove(0);
  files.Remove(0);
  menu.Layout();
  EXPECT_TRUE(menu.Items().empty());
  EXPECT_TRUE(menu.list->IsVisible());
  // Nothing else went with them.
  EXPECT_EQ(menu.popup->GetControlCount(), 5);
}

TEST(RibbonSystemMenu, InCustomizeModeTheListShowsAsItsPlaceholderAlone) {
  CRecentFileList files(kFirstFile, 4);
  files.Add(InCurrentDirectory(L"a.txt").c_str());
  SystemMenu menu(&files);
  menu.Layout();
  ASSERT_EQ(menu.Items().size(), 1u);
  menu.list->SetHideFlags(kHideShow);
  menu.manager.SetCustomizeMode(true);
  menu.Layout();
  EXPECT_TRUE(menu.Items().empty());
  EXPECT_EQ(menu.list->GetHideFlags(), 0);
  menu.manager.SetCustomizeMode(false);
  menu.Layout();
  EXPECT_EQ(menu.Items().size(), 1u);
}

TEST(RibbonSystemMenu, TheListHasAColumnOfItsOwnWithItsFilesBelowItsCaption) {
  CRecentFileList files(kFirstFile, 4);
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) files.Add(InCurrentDirectory(name).c_str());
  SystemMenu menu(&files);
  const CSize size = menu.Layout();
  const CRect commands = menu.popup->GetControl(0)->GetRect();
  const CRect caption = menu.list->GetRect();
  EXPECT_EQ(commands.left, CTKRibbonSystemPopupBar::kBorders.left);
  EXPECT_EQ(commands.top, CTKRibbonSystemPopupBar::kBorders.top);
  EXPECT_GE(caption.left, commands.right);
  EXPECT_EQ(caption.top, CTKRibbonSystemPopupBar::kBorders.top);
  EXPECT_EQ(caption.Width(), CTKRibbonControlSystemPopupBarListCaption::kWidth);
  EXPECT_EQ(caption.Height(), CTKRibbonControlSystemPopupBarListCaption::kHeight);
  int y = caption.bottom;
  for (CTKControl* item : menu.Items()) {
    EXPECT_EQ(item->GetRect().left, caption.left);
    EXPECT_EQ(item->GetRect().top, y);
    EXPECT_EQ(item->GetRect().Height(), CTKRibbonControlSystemPopupBarListItem::kHeight);
    y = item->GetRect().bottom;
  }
  // The caption's row is the whole column, down to its last file.
  EXPECT_EQ(menu.list->GetRowRect(), CRect(caption.left, caption.top, caption.right, y));
  EXPECT_LE(y, size.cy - CTKRibbonSystemPopupBar::kBorders.bottom);
}

TEST(RibbonSystemMenu, EntriesRunTheirCommandsAtTheSite) {
  CRecentFileList files(kFirstFile, 4);
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) files.Add(InCurrentDirectory(name).c_str());
  SystemMenu menu(&files);
  menu.Layout();
  menu.Items()[1]->OnExecute();
  menu.popup->GetControl(0)->OnExecute();
  menu.Bottom(1)->OnExecute();
  EXPECT_EQ(menu.site.commands, (std::vector<int>{kFirstFile + 1, 100, 57665}));
  // The caption row runs nothing.
  menu.list->OnClick();
  EXPECT_EQ(menu.site.commands.size(), 3u);
}

TEST(RibbonSystemMenu, BottomButtonsAreRightAlignedSixPixelsApartAtAnyWidth) {
  for (const wchar_t* widest : {L"x", L"A command with a much longer caption than the others",
                                L"A command whose caption is longer still than the longest of the other commands"}) {
    CRecentFileList files(kFirstFile, 4);
    SystemMenu menu(&files);
    menu.popup->GetControl(1)->SetCaption(widest);
    const CSize size = menu.Layout();
    const CRect options = menu.Bottom(0)->GetRect(), exit = menu.Bottom(1)->GetRect();
    EXPECT_EQ(exit.right, size.cx - CTKRibbonSystemPopupBar::kBorders.right + 1) << widest;
    EXPECT_EQ(exit.left - options.right, CTKRibbonSystemPopupBar::kBottomButtonGap) << widest;
    for (const CRect& rc : {options, exit}) {
      EXPECT_GT(rc.Width(), 0) << widest;
      EXPECT_EQ(rc.top, size.cy - CTKRibbonSystemPopupBar::kBorders.bottom + 4) << widest;
      EXPECT_EQ(rc.bottom, size.cy - 3) << widest;
    }
    EXPECT_TRUE(menu.Bottom(0)->IsVisible());
    // Out of the columns above them.
    EXPECT_GE(options.top, menu.popup->GetControl(1)->GetRect().bottom) << widest;
  }
}

TEST(RibbonSystemMenu, AMenuNarrowerThanItsBottomButtonsWidensForThem) {
  CRecentFileList files(kFirstFile, 4);
  SystemMenu menu(&files);
  menu.popup->GetControls()->Remove(menu.list);
  menu.Bottom(0)->SetCaption(L"A bottom button with a long caption");
  menu.Bottom(1)->SetCaption(L"Another bottom button with a long caption");
  const CSize size = menu.Layout();
  EXPECT_GE(menu.Bottom(0)->GetRect().left, CTKRibbonSystemPopupBar::kBorders.left);
  EXPECT_EQ(menu.Bottom(1)->GetRect().right, size.cx - CTKRibbonSystemPopupBar::kBorders.right + 1);
}

// A frame that records the system commands it is sent.
struct CommandFrame {
  CommandFrame() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKRibbonCommandFrame";
      ::RegisterClassW(&wc);
      registered = true;
    }
    hwnd = ::CreateWindowExW(0, L"TKRibbonCommandFrame", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
  }
  ~CommandFrame() { ::DestroyWindow(hwnd); }
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_SYSCOMMAND) {
      system_commands.push_back(static_cast<int>(w));
      return 0;
    }
    return ::DefWindowProcW(hwnd, msg, w, l);
  }
  static std::vector<int> system_commands;
  HWND hwnd;
};
std::vector<int> CommandFrame::system_commands;

TEST(RibbonSystemButton, ADoubleClickAsksTheFrameToCloseFromItsSystemMenu) {
  CommandFrame frame;
  CommandFrame::system_commands.clear();
  CTKCommandBarManager manager;
  manager.SetSite(frame.hwnd);
  TestBar* bar = new TestBar;
  bar->SetCommandBarManager(&manager);
  CTKControl* button = bar->GetControls()->Add(new CTKRibbonControlSystemButton, 0);
  button->Release();
  bar->Create(frame.hwnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 40});
  EXPECT_EQ(button->GetFlags(), CTKRibbonControlSystemButton::kControlFlags);
  button->OnLButtonDblClk(CPoint(5, 5));
  EXPECT_EQ(CommandFrame::system_commands, (std::vector<int>{0xF063}));
  bar->DestroyWindow();
  bar->Release();
  DrainMessages();
}

}  // namespace
