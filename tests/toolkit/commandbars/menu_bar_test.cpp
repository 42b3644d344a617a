// The menu bar on an MDI frame of the system's own shape: controls from a menu resource, the
// frame's menu taken away, document menus, the maximized child's buttons and Alt entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/toolkit/commandbars/test_bars.h"
#include "tests/toolkit/drawing/canvas.h"
#include "platform/appframe/archive.h"
#include "platform/appframe/file.h"
#include "platform/appframe/frame_wnd.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/hook_manager.h"
#include "toolkit/commandbars/keyboard_tip.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/drawing/prop_exchange.h"
#include "toolkit/drawing/image_manager.h"
#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/scoped_resource.h"

using namespace TKCommandBars;

namespace {

const UINT kFrameMenu = 400, kDocumentMenu = 500;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  HWND client = reinterpret_cast<HWND>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_COMMAND) {
    std::vector<int>* commands = reinterpret_cast<std::vector<int>*>(::GetPropW(hwnd, L"commands"));
    if (commands) commands->push_back(LOWORD(w));
  }
  return ::DefFrameProcW(hwnd, client, msg, w, l);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) { return ::DefMDIChildProcW(hwnd, msg, w, l); }

// An MDI frame with its menu, an MDI client, and a menu bar docked at its top.
struct MdiFixture {
  MdiFixture() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &FrameProc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKMenuTestFrame";
      ::RegisterClassW(&wc);
      wc.lpfnWndProc = &ChildProc;
      wc.lpszClassName = L"TKMenuTestChild";
      wc.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
      ::RegisterClassW(&wc);
      registered = true;
    }
    menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kFrameMenu));
    frame = ::CreateWindowExW(0, L"TKMenuTestFrame", L"frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 700, 400,
                              nullptr, menu, ::GetModuleHandleW(nullptr), nullptr);
    ::SetPropW(frame, L"commands", &commands);
    CLIENTCREATESTRUCT ccs{::GetSubMenu(menu, 0), 1000};
    // All child styles: a document may lack its minimize or maximize box.
    client = ::CreateWindowExW(0, L"MDIClient", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | MDIS_ALLCHILDSTYLES,
                               0, 40, 700, 300,
                               frame, nullptr, ::GetModuleHandleW(nullptr), &ccs);
    ::SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client));
    ::ShowWindow(frame, SW_SHOWNA);
    manager.SetSite(frame);
    bar = new CTKMenuBar;
    bar->SetCommandBarManager(&manager);
    bar->SetGripperVisible(false);
    bar->SetPosition(kTop);
    manager.AddBar(bar);
    manager.SetMenuBar(bar);
    bar->Release();  // the manager holds it
    bar->CreateToolBar(frame, false);
    ::MoveWindow(bar->GetSafeHwnd(), 0, 0, 700, 30, TRUE);
  }
  ~MdiFixture() {
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    manager.HideKeyboardTips();
    manager.RemoveToolBar(bar);
    ::RemovePropW(frame, L"commands");
    ::DestroyWindow(frame);
    DrainMessages();
  }
  // The frame stretches its menu bar across its width.
  void Layout() { bar->CalcDockingLayout(700, LM_HORZ | LM_HORZDOCK | LM_COMMIT | LM_STRETCH); }
  // A document window; maximized on request.
  HWND AddChild(DWORD style, bool maximize) {
    MDICREATESTRUCTW mcs{L"TKMenuTestChild", L"doc", ::GetModuleHandleW(nullptr), 0, 0, 300, 200, style, 0};
    HWND child = reinterpret_cast<HWND>(::SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    if (maximize) ::SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
    DrainMessages();
    return child;
  }
  // The ids of the controls, the expand button left out.
  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (int i = 0; i < bar->GetControlCount(); ++i)
      if (bar->GetControl(i)->GetID() != CTKToolBar::kExpandButtonId) ids.push_back(bar->GetControl(i)->GetID());
    return ids;
  }
  std::vector<std::wstring> Captions() const { return CaptionsOf(bar->GetControls()); }
  HMENU menu;
  HWND frame, client;
  std::vector<int> commands;
  CTKCommandBarManager manager;
  CTKMenuBar* bar;
};

TEST(MenuBar, TakesItsControlsFromAMenuResourceAndTheFramesMenuAway) {
  MdiFixture fx;
  EXPECT_FALSE(fx.bar->LoadMenuBar(999));
  EXPECT_EQ(0, fx.bar->GetControlCount());
  EXPECT_EQ(fx.menu, ::GetMenu(fx.frame));

  ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
  EXPECT_EQ(nullptr, ::GetMenu(fx.frame));
  EXPECT_EQ(fx.menu, fx.bar->GetFrameMenu());
  EXPECT_EQ(kFrameMenu, fx.bar->GetDefaultMenuId());
  const std::vector<std::wstring> titles{L"&File", L"&Edit", L"&Help"};
  EXPECT_EQ(titles, fx.Captions());
  struct Case {
    int index;
    std::vector<int> ids;
    std::vector<bool> groups;
  } cases[] = {{0, {401, 402, 403}, {false, false, true}}, {1, {410}, {false}}, {2, {420}, {false}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    CTKControl* title = fx.bar->GetControl(c.index);
    EXPECT_EQ(kPopupControl, title->GetType());
    CTKCommandBar* popup = title->GetCommandBar();
    ASSERT_NE(nullptr, popup);
    EXPECT_NE(nullptr, dynamic_cast<CTKPopupBar*>(popup));
    ASSERT_EQ(static_cast<int>(c.ids.size()), popup->GetControlCount());
    for (size_t i = 0; i < c.ids.size(); ++i) {
      EXPECT_EQ(c.ids[i], popup->GetControl(static_cast<int>(i))->GetID());
      EXPECT_EQ(c.groups[i], popup->GetControl(static_cast<int>(i))->GetBeginGroup());
    }
  }
}

TEST(MenuBar, AMaximizedDocumentShowsItsButtonsAtTheBarsEnd) {
  struct Case {
    const char* what;
    DWORD style;
    bool maximize;
    DWORD bar_flags;
    std::vector<int> trailing;  // the ids after the menu titles
  } cases[] = {
      {"maximized", WS_OVERLAPPEDWINDOW, true, 0, {9153, 9152, 9151}},
      {"no minimize box", WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX, true, 0, {9152, 9151}},
      {"restored", WS_OVERLAPPEDWINDOW, false, 0, {}},
      {"the bar asks for no close button", WS_OVERLAPPEDWINDOW, true, 0x1000, {9153, 9152}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MdiFixture fx;
    ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
    fx.bar->SetFlags(c.bar_flags);
    fx.AddChild(c.style, c.maximize);
    const std::vector<int> ids = fx.Ids();
    ASSERT_GE(ids.size(), 3u);
    EXPECT_EQ(c.trailing, std::vector<int>(ids.begin() + 3, ids.end()));
    if (c.trailing.empty()) continue;
    // Laid out at the far end of the bar, one beside the other.
    fx.Layout();
    CTKControl* last = fx.bar->GetControls()->FindControl(c.trailing.back());
    EXPECT_GT(last->GetRect().left, 600);
    EXPECT_EQ(16, last->GetRect().Width());
  }
}

TEST(MenuBar, RestoringTheDocumentRemovesItsButtonsAndTheCloseButtonClosesIt) {
  MdiFixture fx;
  ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
  fx.bar->SetFlags(0x2000);
  HWND child = fx.AddChild(WS_OVERLAPPEDWINDOW, true);
  const std::vector<int> withIcon{9154, 0, 0, 0, 9153, 9152, 9151};
  EXPECT_EQ(withIcon, fx.Ids());
  // The document's buttons are held by the bar's controls alone, so they go when it is restored.
  for (int i : {0, 4, 5, 6}) EXPECT_EQ(1, fx.bar->GetControl(i)->GetRefCount()) << i;
  // The icon's popup lists the document's system menu.
  CTKCommandBar* sysMenu = fx.bar->GetControl(0)->GetCommandBar();
  ASSERT_NE(nullptr, sysMenu);
  EXPECT_NE(nullptr, sysMenu->GetControls()->FindControl(SC_CLOSE));
  ::SendMessageW(fx.client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
  DrainMessages();
  EXPECT_EQ(std::vector<int>({0, 0, 0}), fx.Ids());
  ::SendMessageW(fx.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
  DrainMessages();
  fx.bar->GetControls()->FindControl(CTKMenuBar::kCloseId)->OnExecute();
  DrainMessages();
  EXPECT_FALSE(::IsWindow(child));
  EXPECT_EQ(std::vector<int>({0, 0, 0}), fx.Ids());
}

TEST(MenuBar, EachDocumentMenuKeepsItsOwnControls) {
  MdiFixture fx;
  ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
  KestrinWinNS::CScopedMenu document(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDocumentMenu)));
  fx.bar->SwitchMDIMenu(kDocumentMenu, document.Get());
  EXPECT_EQ(kDocumentMenu, fx.bar->GetCurrentMenuId());
  EXPECT_EQ(std::vector<std::wstring>({L"&File", L"&Sheet", L"&Window", L"&Help"}), fx.Captions());
  // The user takes the Window menu away; the frame's menu and back keep each their own.
  fx.bar->GetControls()->Remove(2);
  fx.bar->SwitchMDIMenu(kFrameMenu, fx.bar->GetFrameMenu());
  EXPECT_EQ(std::vector<std::wstring>({L"&File", L"&Edit", L"&Help"}), fx.Captions());
  fx.bar->SwitchMDIMenu(kDocumentMenu, document.Get());
  EXPECT_EQ(std::vector<std::wstring>({L"&File", L"&Sheet", L"&Help"}), fx.Captions());
  EXPECT_TRUE(fx.bar->GetControls()->IsChanged());
  // A document menu reached through the MDI client's menu switch: the frame's own menu.
  ::SendMessageW(fx.client, WM_MDISETMENU, reinterpret_cast<WPARAM>(fx.bar->GetFrameMenu()), 0);
  EXPECT_EQ(kFrameMenu, fx.bar->GetCurrentMenuId());
  EXPECT_EQ(nullptr, ::GetMenu(fx.frame));
}

// A reset puts the current menu's controls back: the frame's menu read again from its resource,
// a document menu from the copy kept when it was first shown; a maximized document's buttons
// stay at the bar's end.
TEST(MenuBar, ResetPutsTheCurrentMenusControlsBack) {
  struct Case {
    const char* what;
    bool document;
    std::vector<std::wstring> captions;
  } cases[] = {
      {"the frame's menu", false, {L"&File", L"&Edit", L"&Help"}},
      {"a document menu", true, {L"&File", L"&Sheet", L"&Window", L"&Help"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MdiFixture fx;
    ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
    KestrinWinNS::CScopedMenu document(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDocumentMenu)));
    if (c.document) fx.bar->SwitchMDIMenu(kDocumentMenu, document.Get());
    fx.AddChild(WS_OVERLAPPEDWINDOW, true);
    // The user takes the second menu away.
    fx.bar->GetControls()->Remove(1);
    ASSERT_TRUE(fx.bar->Reset(false));
    std::vector<std::wstring> titles;
    for (int i = 0; i < fx.bar->GetControlCount(); ++i)
      if (fx.bar->GetControl(i)->GetID() == 0) titles.push_back(fx.bar->GetControl(i)->GetCaption());
    EXPECT_EQ(c.captions, titles);
    std::vector<int> ids = fx.Ids();
    ASSERT_GE(ids.size(), 3u);
    EXPECT_EQ(std::vector<int>({9153, 9152, 9151}), std::vector<int>(ids.end() - 3, ids.end()));
    // The menus' popups came back filled.
    EXPECT_GT(fx.bar->GetControl(1)->GetCommandBar()->GetControlCount(), 0);
  }
}

// The caption buttons of a maximized document draw the images the menu bar gave the image
// manager for their system commands: a glyph in the text colour on the button's ground.
TEST(MenuBar, TheDocumentsCaptionButtonsDrawTheirImages) {
  MdiFixture fx;
  ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
  for (UINT command : {SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE}) {
    EXPECT_TRUE(fx.bar->GetImageManager()->ContainsIcon(command, 16)) << command;
  }
  fx.AddChild(WS_OVERLAPPEDWINDOW, true);
  struct Case {
    int id;
    std::vector<CPoint> glyph, ground;
  } cases[] = {
      {CTKMenuBar::kCloseId, {{4, 4}, {11, 4}, {4, 11}, {11, 11}, {7, 7}}, {{7, 4}, {4, 7}, {1, 1}, {14, 14}}},
      {CTKMenuBar::kMinimizeId, {{4, 11}, {11, 12}}, {{8, 6}, {4, 4}, {1, 1}}},
      {CTKMenuBar::kRestoreId, {{3, 6}, {12, 3}, {3, 12}}, {{6, 10}, {10, 5}, {1, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    CTKControl* button = fx.bar->GetControls()->FindControl(c.id);
    ASSERT_NE(nullptr, button);
    Canvas canvas(16, 16, RGB(255, 255, 255));
    button->SetRect(CRect(0, 0, 16, 16));
    button->Draw(canvas.cdc());
    for (CPoint p : c.glyph) EXPECT_NE(RGB(255, 255, 255), canvas.At(p.x, p.y)) << p.x << "," << p.y;
    for (CPoint p : c.ground) EXPECT_EQ(RGB(255, 255, 255), canvas.At(p.x, p.y)) << p.x << "," << p.y;
  }
}

TEST(MenuBar, AltAloneEntersTheBarAndAltWithALetterOpensItsMenu) {
  struct Case {
    const char* what;
    LPARAM key;   // the character of SC_KEYMENU (0: Alt alone)
    bool tips;    // the manager shows keyboard tips
    int hot;      // the control made hot
    int expanded; // the control whose popup opened
    int tip_count;
  } cases[] = {
      {"Alt alone", 0, false, 0, -1, 0},
      {"Alt alone with keyboard tips", 0, true, 0, -1, 3},
      {"Alt and E", L'e', false, 1, 1, 0},
      {"Alt and H", L'h', false, 2, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MdiFixture fx;
    fx.manager.GetOptions().keyboard_tips = c.tips;
    ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
    fx.Layout();
    EXPECT_EQ(0, ::SendMessageW(fx.frame, WM_SYSCOMMAND, SC_KEYMENU, c.key));
    EXPECT_TRUE(fx.bar->IsTrackingMode());
    EXPECT_EQ(c.hot, fx.bar->GetHotIndex());
    EXPECT_EQ(c.expanded, fx.bar->GetExpandedIndex());
    EXPECT_EQ(c.tip_count, static_cast<int>(fx.manager.GetKeyboardTips().size()));
    if (c.expanded >= 0) {
      EXPECT_TRUE(fx.bar->GetControl(c.expanded)->GetCommandBar()->IsBarVisible());
    }
  }
}

// The keyboard-tip level through the keys. Alt or a frame letter puts the keyboard in the bar
// at level 1, tips shown or not; a tip that opens a menu goes one level deeper; once the
// keyboard has left the bars (Alt while tracking, Escape) the level is 0 and Alt enters again.
// Without tips the tracking bar's letters open its menus.
TEST(MenuBar, TheKeyboardTipLevelFollowsTheKeys) {
  enum Key { kAlt, kAltAndE, kE, kEscape, kAltWhileTracking };
  struct Step {
    Key key;
    int level;
    bool tracking;  // the menu bar tracks
    int expanded;   // the control whose menu is open
    int tips;       // tip windows up
  };
  struct Case {
    const char* what;
    bool tips;
    std::vector<Step> steps;
  } cases[] = {
      {"Alt, without tips",
       false,
       {{kAlt, 1, true, -1, 0},
        {kE, 1, true, 1, 0},
        {kAltWhileTracking, 0, false, -1, 0},
        {kAlt, 1, true, -1, 0},
        {kEscape, 0, false, -1, 0},
        {kAlt, 1, true, -1, 0}}},
      {"Alt, with tips",
       true,
       {{kAlt, 1, true, -1, 3},
        {kE, 2, true, 1, 1},
        {kAltWhileTracking, 0, false, -1, 0},
        {kAlt, 1, true, -1, 3},
        {kEscape, 0, false, -1, 0},
        {kAlt, 1, true, -1, 3}}},
      {"a frame letter", false, {{kAltAndE, 1, true, 1, 0}, {kAltWhileTracking, 0, false, -1, 0}, {kAlt, 1, true, -1, 0}}},
      {"a frame letter, tips allowed",
       true,
       {{kAltAndE, 1, true, 1, 0}, {kAltWhileTracking, 0, false, -1, 0}, {kAlt, 1, true, -1, 3}}},
  };
  CTKKeyboardManager* keyboard = CTKKeyboardManager::ThreadInstance();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MdiFixture fx;
    fx.manager.GetOptions().keyboard_tips = c.tips;
    ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
    fx.Layout();
    EXPECT_EQ(0, fx.manager.GetKeyboardTipLevel());
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(i);
      const Step& step = c.steps[i];
      switch (step.key) {
        case kAlt:
          EXPECT_EQ(0, ::SendMessageW(fx.frame, WM_SYSCOMMAND, SC_KEYMENU, 0));
          break;
        case kAltAndE:
          EXPECT_EQ(0, ::SendMessageW(fx.frame, WM_SYSCOMMAND, SC_KEYMENU, L'e'));
          break;
        case kE:
          EXPECT_TRUE(keyboard->ProcessKey('E', 0));
          break;
        case kEscape:
          EXPECT_TRUE(keyboard->ProcessKey(VK_ESCAPE, 0));
          break;
        case kAltWhileTracking:
          EXPECT_TRUE(keyboard->ProcessKey(VK_MENU, 0x20000000));
          break;
      }
      EXPECT_EQ(step.level, fx.manager.GetKeyboardTipLevel());
      EXPECT_EQ(step.tracking, fx.bar->IsTrackingMode());
      EXPECT_EQ(step.expanded, fx.bar->GetExpandedIndex());
      EXPECT_EQ(step.tips, static_cast<int>(fx.manager.GetKeyboardTips().size()));
      EXPECT_EQ(step.tips > 0, fx.manager.AreKeyboardTipsShown());
      for (CTKCommandBarKeyboardTip* tip : fx.manager.GetKeyboardTips())
        EXPECT_TRUE(::IsWindowVisible(tip->GetSafeHwnd()));
    }
  }
}

// The frame menu the bar shows stays a live menu while the bar lives, whichever way it came: a
// menu taken from a plain window and the resource loaded go with the bar, a frame's own default
// menu stays the frame's; loaded again on a window without a menu, the bar shows the new menu.
TEST(MenuBar, ItsFrameMenuLivesAsLongAsItsOwner) {
  struct Case {
    const char* what;
    bool frame_object;        // the site is a frame of the framework, created with the menu
    bool site_menu;           // the site starts with menu 400
    std::vector<UINT> loads;  // the menu resources the bar loads, in turn
    int items;                // the titles of the frame menu the bar shows
    bool outlives_bar;
  } cases[] = {
      {"a plain window's menu, taken", false, true, {kFrameMenu}, 3, false},
      {"a framework frame's default menu", true, true, {kFrameMenu}, 3, true},
      {"no site menu: the resource", false, false, {kFrameMenu}, 3, false},
      {"no site menu, loaded again", false, false, {kFrameMenu, kDocumentMenu}, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SiteWindow plain;
    CFrameWnd frame;
    HMENU menu = c.site_menu ? ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kFrameMenu)) : nullptr;
    HWND site = plain.hwnd;
    if (c.frame_object) {
      ASSERT_TRUE(frame.Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 700, 400), nullptr, menu));
      site = frame.m_hWnd;
    } else if (menu) {
      ASSERT_TRUE(::SetMenu(site, menu));
    }
    CTKCommandBarManager manager;
    manager.SetSite(site);
    CTKMenuBar* bar = new CTKMenuBar;
    bar->SetCommandBarManager(&manager);
    manager.AddBar(bar);
    manager.SetMenuBar(bar);
    bar->Release();  // the manager holds it
    ASSERT_TRUE(bar->CreateToolBar(site, false));
    for (UINT id : c.loads) ASSERT_TRUE(bar->LoadMenuBar(id));
    const HMENU shown = bar->GetFrameMenu();
    if (menu) {
      EXPECT_EQ(menu, shown);
    }
    EXPECT_TRUE(::IsMenu(shown));
    EXPECT_EQ(c.items, ::GetMenuItemCount(shown));
    EXPECT_EQ(nullptr, ::GetMenu(site));
    manager.RemoveToolBar(bar);
    DrainMessages();
    EXPECT_EQ(c.outlives_bar, ::IsMenu(shown) != FALSE);
  }
}

// ---------------------------------------------------------------------------------------------
// Saved state

// A frame menu and a document menu the user took the Window menu from, shown.
void ShowChangedDocumentMenu(MdiFixture& fx) {
  ASSERT_TRUE(fx.bar->LoadMenuBar(kFrameMenu));
  KestrinWinNS::CScopedMenu document(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDocumentMenu)));
  fx.bar->SwitchMDIMenu(kDocumentMenu, document.Get());
  document.Reset();
  fx.bar->GetControls()->Remove(2);
}

TEST(MenuBar, SavedStateKeepsEachDocumentMenusControls) {
  struct Case {
    int schema;
    bool documents;  // the document menus come back
  } cases[] = {{4, false}, {5, true}, {20, true}};
  TKRegisterCommandBarClasses();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.schema);
    MdiFixture fx;
    ShowChangedDocumentMenu(fx);
    CMemFile memory;
    {
      CArchive ar(&memory, CArchive::store);
      CTKPropExchangeArchive px(ar);
      px.SetSchema(c.schema);
      CTKBarLayoutState::Save(&px, {fx.bar}, &fx.manager);
    }
    // Saved from the default menu, which the bar shows again.
    EXPECT_EQ(kFrameMenu, fx.bar->GetCurrentMenuId());
    EXPECT_EQ(std::vector<std::wstring>({L"&File", L"&Edit", L"&Help"}), fx.Captions());

    memory.SeekToBegin();
    CArchive ar(&memory, CArchive::load);
    CTKPropExchangeArchive px(ar);
    std::vector<CTKCommandBar*> loaded;
    ASSERT_TRUE(CTKBarLayoutState::Load(&px, &fx.manager, &loaded));
    ASSERT_EQ(1u, loaded.size());
    CTKMenuBar* back = dynamic_cast<CTKMenuBar*>(loaded[0]);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(kFrameMenu, back->GetDefaultMenuId());
    EXPECT_EQ(std::vector<std::wstring>({L"&File", L"&Edit", L"&Help"}), CaptionsOf(back->GetControls()));
    CTKMenuBarMDIMenuInfo* record = back->GetMDIMenus()->Find(kDocumentMenu);
    EXPECT_EQ(c.documents, record != nullptr);
    if (record) {
      EXPECT_EQ(std::vector<std::wstring>({L"&File", L"&Sheet", L"&Help"}), CaptionsOf(record->controls));
      // The document menu's titles open their own restored popups.
      CTKCommandBar* file = record->controls->GetAt(0)->GetCommandBar();
      ASSERT_NE(nullptr, file);
      EXPECT_LT(0, file->GetControlCount());
    }
    for (CTKCommandBar* bar : loaded) bar->Release();
  }
}

TEST(MenuBar, ADamagedDocumentMenuCountIsRefused) {
  const wchar_t kKey[] = L"Software\\KestrinTests\\MenuBarState";
  TKRegisterCommandBarClasses();
  for (DWORD count : {DWORD{3}, DWORD{0x7FFFFFFF}}) {
    SCOPED_TRACE(count);
    MdiFixture fx;
    ShowChangedDocumentMenu(fx);
    ASSERT_TRUE(CTKBarLayoutState::SaveToRegistry(HKEY_CURRENT_USER, kKey, {fx.bar}, &fx.manager,
                                                  CTKBarLayoutState::RegistryForm::kTree));
    const std::wstring bar = std::wstring(kKey) + L"\\Bars\\Bar0";
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, bar.c_str(), L"Count", REG_DWORD, &count, sizeof(count)));
    std::vector<CTKCommandBar*> loaded;
    EXPECT_FALSE(CTKBarLayoutState::LoadFromRegistry(HKEY_CURRENT_USER, kKey, &fx.manager, &loaded));
    EXPECT_TRUE(loaded.empty());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  }
}

}  // namespace
