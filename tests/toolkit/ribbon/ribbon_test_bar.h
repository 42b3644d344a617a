// A ribbon on a site window that lays it out the way a frame does, with buttons of fixed
// sizes, a group that stacks its controls in a column, and a frame link that reports a border.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/ribbon/ribbon_bar.h"

// A button of a fixed size (copies keep it).
inline CTKControl* MakeButton(int id, int width, int height = 22) {
  auto* button = new CTKControlButton;
  button->SetID(id);
  button->SetCaption(L"B" + std::to_wstring(id));
  button->SetWidth(width);
  button->SetHeight(height);
  return button;
}

// A group whose controls stand in one column at their own sizes; it never gets narrower.
class ColumnGroup : public CTKRibbonGroup {
 public:
  void BeginLayout(HDC) override {
    int y = 0;
    width_ = 0;
    for (CControlPosition& record : Positions()) {
      const int w = record.control->GetWidth(), h = record.control->GetHeight();
      record.rect = RECT{0, y, w, y + h};
      record.hidden = false;
      y += h;
      width_ = w > width_ ? w : width_;
    }
  }
  int CurrentWidth(HDC) override { return width_ + 8; }
  bool Reduce(HDC, int) override { return false; }

 private:
  int width_ = 0;
};

// What the frame companion would tell the bar.
class TestFrameLink : public CTKRibbonFrameLink {
 public:
  explicit TestFrameLink(int border, bool composition = false) : border_(border), composition_(composition) {}
  int FrameBorder() const override { return border_; }
  bool IsDesktopComposition() const override { return composition_; }
  void RequestFrameRecalc(bool immediate) override { recalcs.push_back(immediate); }
  void RefreshFrameRegion() override { ++refreshes; }
  std::vector<bool> recalcs;
  int refreshes = 0;

 private:
  int border_;
  bool composition_;
};

// A top-level window of a given size that lays its ribbon out across its width, and records
// the toolkit's messages and commands that reach it.
class RibbonSite {
 public:
  RibbonSite(int width, int height) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKRibbonTestSite";
      ::RegisterClassW(&wc);
      registered = true;
    }
    hwnd = ::CreateWindowExW(0, L"TKRibbonTestSite", L"ribbon site", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width,
                             height, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  }
  ~RibbonSite() {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }
  RibbonSite(const RibbonSite&) = delete;
  RibbonSite& operator=(const RibbonSite&) = delete;

  // A notification of the tab row: its code (tab selecting -552, tab selected -551) and tab.
  struct TabNotice {
    int code;
    CTKRibbonTab* tab;
    bool operator==(const TabNotice& other) const { return code == other.code && tab == other.tab; }
  };

  HWND hwnd = nullptr;
  CTKRibbonBar* ribbon = nullptr;  // laid out on WM_SIZE when set
  std::vector<int> commands;
  std::vector<UINT> messages;
  std::vector<int> notify_ids;
  std::vector<TabNotice> tab_notices;
  std::vector<CTKPopupBar*> built_popups;
  LRESULT refuse_selecting = 0;
  int layouts = 0;
  // The screen points at which the frame was asked for its system menu (message 0x313).
  std::vector<POINT> system_menus;
  // The system commands the frame was sent (recorded only: carried out they would activate the
  // window, and another program's activation would then end the bars' tracking).
  std::vector<WPARAM> system_commands;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE)
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    auto* self = reinterpret_cast<RibbonSite*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
      if (msg == WM_COMMAND) self->commands.push_back(LOWORD(w));
      if (msg == WM_SYSCOMMAND) {
        self->system_commands.push_back(w);
        return 0;
      }
      if (msg == 0x313) {
        // Recorded only: the system's own answer is a modal menu.
        self->system_menus.push_back(POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))});
        return 0;
      }
      if (msg >= 10324 && msg <= 10343) self->messages.push_back(msg);
      if (msg == TKRibbon::kMsgCustomisePopupBuilt) self->built_popups.push_back(reinterpret_cast<CTKPopupBar*>(l));
      if (msg == TKCommandBars::kMsgControlNotify) {
        self->notify_ids.push_back(static_cast<int>(w));
        const auto* record = reinterpret_cast<const NMTKCONTROL*>(l);
        if (record && w == static_cast<WPARAM>(CTKRibbonControlTab::kId))
          self->tab_notices.push_back(
              TabNotice{static_cast<int>(record->hdr.code), reinterpret_cast<const NMTKRIBBONTAB*>(l)->tab});
        if (record && static_cast<int>(record->hdr.code) == -552) return self->refuse_selecting;
        return 0;
      }
      if (msg == WM_SIZE && self->ribbon && self->ribbon->GetSafeHwnd()) {
        ++self->layouts;
        const int width = LOWORD(l);
        const CSize size = self->ribbon->CalcDynamicLayout(width, LM_HORZ | LM_HORZDOCK | LM_COMMIT);
        ::MoveWindow(self->ribbon->GetSafeHwnd(), 0, 0, width, size.cy, FALSE);
      }
    }
    return ::DefWindowProcW(hwnd, msg, w, l);
  }
};

// The fixture's usual site: the width its ribbon is laid out across, and its frame's height.
constexpr int kRibbonWidth = 800;
constexpr int kSiteHeight = 600;

// A ribbon with two tabs on a site: the first tab holds a column group of three buttons.
struct RibbonFixture {
  explicit RibbonFixture(int width = kRibbonWidth, int height = kSiteHeight, bool window = false)
      : site(width, height), width(width) {
    manager.SetSite(site.hwnd);
    ribbon = new CTKRibbonBar;
    ribbon->SetCommandBarManager(&manager);
    ribbon->SetPosition(TKCommandBars::kTop);
    home = ribbon->InsertTab(0, L"&Home");
    view = ribbon->InsertTab(1, L"&View");
    group = new ColumnGroup;
    group->SetId(500);
    ribbon->AddGroup(home, group);
    for (int i = 0; i < 3; ++i) {
      CTKControl* button = MakeButton(501 + i, 40);
      ribbon->AddGroupControl(group, button);
      button->Release();
    }
    ribbon->SelectTabByIndex(0);
    if (window) {
      ribbon->CreateToolBar(site.hwnd, false);
      site.ribbon = ribbon;
    }
    Layout(width);
  }
  ~RibbonFixture() {
    site.ribbon = nullptr;
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    manager.HideKeyboardTips();
    ribbon->Release();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  }
  RibbonFixture(const RibbonFixture&) = delete;
  RibbonFixture& operator=(const RibbonFixture&) = delete;

  // Lays the ribbon out across the site's width, or at `width`; its height.
  int Layout() { return Layout(width); }
  int Layout(int width) {
    const CSize size = ribbon->CalcRibbonSize(width, true);
    if (ribbon->GetSafeHwnd()) ::MoveWindow(ribbon->GetSafeHwnd(), 0, 0, width, size.cy, FALSE);
    return size.cy;
  }
  // Adds `count` quick-access copies of new buttons `width` wide (ids from 700).
  std::vector<CTKControl*> AddQuickAccess(int count, int width) {
    std::vector<CTKControl*> copies;
    for (int i = 0; i < count; ++i) {
      CTKControl* button = MakeButton(700 + i, width);
      copies.push_back(ribbon->AddToQuickAccess(button));
      button->Release();
    }
    return copies;
  }

  RibbonSite site;
  int width;
  CTKCommandBarManager manager;
  CTKRibbonBar* ribbon;
  CTKRibbonTab* home;
  CTKRibbonTab* view;
  ColumnGroup* group;
};
