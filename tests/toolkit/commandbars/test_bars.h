// Bars and windows the command-bar tests share: a tool bar that lays its controls out in one
// pass, a site window that records what the bars tell it, and message-queue helpers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/drawing/seams.h"

// A bar that lays its controls out at its client width, and records the popups it is asked to
// show instead of showing them.
class TestBar : public CTKCommandBar {
 public:
  CSize CalcSize(int length, DWORD mode) override {
    return LayoutControls(length, CTKControls::kLayoutCommit | mode);
  }
  bool Popup(CTKControl* control, bool selectFirst) override {
    shown.push_back(control ? control->GetID() : -1);
    shown_select_first = selectFirst;
    SetTrackingMode(2, selectFirst, true);
    return popup_answer;
  }
  bool IsBarVisible() const override { return GetSafeHwnd() && ::IsWindowVisible(GetSafeHwnd()); }
  std::vector<int> shown;
  bool shown_select_first = false;
  bool popup_answer = true;
};

// A top-level window that records WM_COMMAND ids and the toolkit's messages.
class SiteWindow {
 public:
  SiteWindow() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TKTestSite";
      ::RegisterClassW(&wc);
      registered = true;
    }
    hwnd = ::CreateWindowExW(0, L"TKTestSite", L"site", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 300,
                             nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  }
  ~SiteWindow() {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }
  HWND hwnd = nullptr;
  std::vector<int> commands;
  std::vector<UINT> messages;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE)
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    SiteWindow* self = reinterpret_cast<SiteWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
      if (msg == WM_COMMAND) self->commands.push_back(LOWORD(w));
      if (msg >= 10324 && msg <= 10343) self->messages.push_back(msg);
    }
    return ::DefWindowProcW(hwnd, msg, w, l);
  }
};

// Drops every message waiting for this thread.
inline void DrainMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    ::DispatchMessageW(&msg);
  }
}

// True when a WM_QUIT waits in the queue (it is taken out).
inline bool TakeQuit() {
  MSG msg;
  bool found = false;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) found = true;
  return found;
}

// A tool bar of buttons with ids first.. on a site window, laid out.
struct BarFixture {
  explicit BarFixture(int buttons, int width = 600) {
    bar = new TestBar;
    bar->SetPosition(TKCommandBars::kTop);
    bar->SetGripperVisible(false);
    manager.SetSite(site.hwnd);
    bar->SetCommandBarManager(&manager);
    for (int i = 0; i < buttons; ++i) {
      CTKControl* c = bar->GetControls()->Add(TKCommandBars::kButton, 100 + i);
      c->SetCaption(L"B" + std::to_wstring(i));
      c->SetStyle(3);
    }
    bar->Create(site.hwnd, WS_CHILD | WS_VISIBLE, RECT{0, 0, width, 30});
    bar->CalcSize(width, 0);
  }
  ~BarFixture() {
    if (bar->GetSafeHwnd()) bar->DestroyWindow();
    bar->Release();
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    DrainMessages();
  }
  CPoint Center(int index) const { return bar->GetControl(index)->GetRect().CenterPoint(); }
  SiteWindow site;
  CTKCommandBarManager manager;
  TestBar* bar;
};

// A clock that moves only when the frames sleep; each sleep is recorded, and a test may act
// at it (read the frame on show, post a message, take the capture away).
struct FrameClock {
  FrameClock() {
    self = this;
    TKSetTickCountFunction([] { return self->now; });
    TKSetSleepFunction([](DWORD ms) {
      self->sleeps.push_back(ms);
      if (self->on_sleep) self->on_sleep();
      self->now += ms;
    });
  }
  ~FrameClock() {
    TKSetTickCountFunction(nullptr);
    TKSetSleepFunction(nullptr);
    self = nullptr;
  }
  static inline FrameClock* self = nullptr;
  DWORD now = 1000;
  std::vector<DWORD> sleeps;
  std::function<void()> on_sleep;
};
