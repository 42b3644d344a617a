// Bars and windows the command-bar tests share: a tool bar that lays its controls out in one
// pass, a site window that records what the bars tell it, a tool bar docked on one, message-queue
// helpers, the pixels of a bar on the screen and in memory, and a clock for animation frames.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/appframe/dc.h"
#include "platform/win/gdi.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bar_manager.h"
#include "toolkit/commandbars/control_button.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/drawing/device_layout.h"
#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/seams.h"

// A bar that lays its controls out at its client width, records the popups it is asked to show
// instead of showing them, and marks its tools with the flags a test gives.
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
  // The bars' tool hit test, with `tool_flags` added to every tool's flags.
  UINT_PTR ToolHitTest(POINT client, RECT* rect, std::wstring* text, std::wstring* description, UINT* flags) override {
    const UINT_PTR id = CTKCommandBar::ToolHitTest(client, rect, text, description, flags);
    *flags |= tool_flags;
    return id;
  }
  UINT tool_flags = 0;
  std::vector<int> shown;
  bool shown_select_first = false;
  bool popup_answer = true;
};

// A top-level window that records WM_COMMAND ids and the toolkit's messages; `on_message`, when
// set, runs for each of the toolkit's messages as it arrives.
class SiteWindow {
 public:
  // The toolkit's messages to its site (the ribbon's status-bar query just below the first).
  static constexpr UINT kFirstToolkitMessage = TKCommandBars::kMsgToolBarVisibility - 1;
  static constexpr UINT kLastToolkitMessage = TKCommandBars::kMsgTearOff;

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
  SiteWindow(const SiteWindow&) = delete;
  SiteWindow& operator=(const SiteWindow&) = delete;

  HWND hwnd = nullptr;
  std::vector<int> commands;
  std::vector<UINT> messages;
  std::function<void(UINT, WPARAM, LPARAM)> on_message;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE)
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    SiteWindow* self = reinterpret_cast<SiteWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
      if (msg == WM_COMMAND) self->commands.push_back(LOWORD(w));
      if (msg >= kFirstToolkitMessage && msg <= kLastToolkitMessage) {
        self->messages.push_back(msg);
        if (self->on_message) self->on_message(msg, w, l);
      }
    }
    return ::DefWindowProcW(hwnd, msg, w, l);
  }
};

// Dispatches every message waiting for this thread (paints included); a quit message is taken
// out, and the answer tells whether one was among them.
inline bool DrainMessages() {
  MSG msg;
  bool quit = false;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT)
      quit = true;
    else
      ::DispatchMessageW(&msg);
  }
  return quit;
}

// True when a WM_QUIT waits in the queue (it is taken out, and the rest dropped undispatched).
inline bool TakeQuit() {
  MSG msg;
  bool found = false;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) found = true;
  return found;
}

// The ids and the captions of a collection's controls, in order (none for a null collection).
inline std::vector<int> IdsOf(const CTKControls* controls) {
  std::vector<int> ids;
  for (int i = 0; controls && i < controls->GetCount(); ++i) ids.push_back(controls->GetAt(i)->GetID());
  return ids;
}
inline std::vector<std::wstring> CaptionsOf(const CTKControls* controls) {
  std::vector<std::wstring> captions;
  for (int i = 0; controls && i < controls->GetCount(); ++i) captions.push_back(controls->GetAt(i)->GetCaption());
  return captions;
}

// The pixels (0x00RRGGBB, the top row first) of a picture `size` big drawn by `draw` into a
// 32-bit memory DC.
inline std::vector<DWORD> PixelsDrawnBy(CSize size, const std::function<void(HDC)>& draw) {
  KestrinWinNS::CScopedBitmap image = KestrinWinNS::CreateDib32(size.cx, size.cy);
  {
    KestrinWinNS::CBitmapDC mem(nullptr, image.Get());
    draw(mem.Get());
  }
  std::vector<DWORD> pixels;
  SIZE read{};
  KestrinWinNS::ReadPixels32(image.Get(), &pixels, &read);
  return pixels;
}

// What a window's client area shows, from its top-left corner as it lies on the screen (a
// mirrored window's too).
inline std::vector<DWORD> WindowPixels(HWND hwnd, CSize size) {
  return PixelsDrawnBy(size, [&](HDC mem) {
    KestrinWinNS::CScopedClientDC dc(hwnd);
    CTKDeviceLayoutScope device(dc.Get());
    ::BitBlt(mem, 0, 0, size.cx, size.cy, dc.Get(), 0, 0, SRCCOPY);
  });
}

// A bar drawn into memory as its paint draws it: the button face, then the bar (mirrored when
// the bar lays out right to left).
inline std::vector<DWORD> DrawnPixels(CTKCommandBar* bar, CSize size) {
  return PixelsDrawnBy(size, [&](HDC mem) {
    CDC dc;
    dc.Attach(mem);
    const CRect client(0, 0, size.cx, size.cy);
    CTKDrawHelpers::SetDCRightToLeft(mem, bar->IsRightToLeft());
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    bar->DrawCommandBar(&dc, client);
    dc.Detach();
  });
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

// A tool bar docked at the top of a site window, its gripper off, with captioned buttons (ids
// 100...). The fixture holds the bar unless the manager made it (`managed_title` given: the
// manager's bar 1 of that title).
struct ToolBarFixture {
  struct Options {
    bool show_site = true;
    const wchar_t* managed_title = nullptr;
  };
  // Buttons captioned "Button 0", "Button 1"...
  explicit ToolBarFixture(int buttons) : ToolBarFixture(NumberedCaptions(buttons), Options()) {}
  ToolBarFixture(const std::vector<std::wstring>& captions, const Options& options) {
    manager.SetSite(site.hwnd);
    if (options.show_site) ::ShowWindow(site.hwnd, SW_SHOWNA);
    if (options.managed_title) {
      bar = manager.AddToolBar(options.managed_title, 1);
      managed_ = true;
    } else {
      bar = new CTKToolBar;
      bar->SetCommandBarManager(&manager);
    }
    bar->SetGripperVisible(false);
    bar->SetPosition(TKCommandBars::kTop);
    int id = 100;
    for (const std::wstring& caption : captions) {
      CTKControl* c = bar->GetControls()->Add(TKCommandBars::kButton, id++);
      c->SetCaption(caption);
      c->SetStyle(3);
    }
    bar->CreateToolBar(site.hwnd, false);
  }
  virtual ~ToolBarFixture() {
    CTKMouseManager::ThreadInstance()->CloseTrackedBars();
    if (!managed_) {
      if (bar->GetSafeHwnd()) bar->DestroyWindow();
      bar->Release();
    }
    DrainMessages();
  }
  ToolBarFixture(const ToolBarFixture&) = delete;
  ToolBarFixture& operator=(const ToolBarFixture&) = delete;

  // The bar placed `width` wide and laid out.
  void Layout(int width = 600) {
    ::MoveWindow(bar->GetSafeHwnd(), 0, 0, width, 30, TRUE);
    bar->CalcSize(width, 0);
  }
  // The buttons shown (the bar's own expand and hide buttons left out).
  int Shown() const {
    int n = 0;
    for (int i = 0; i < bar->GetControlCount(); ++i)
      if (bar->GetControl(i)->GetID() < 9000 && bar->GetControl(i)->IsVisible()) ++n;
    return n;
  }
  static std::vector<std::wstring> NumberedCaptions(int count) {
    std::vector<std::wstring> captions;
    for (int i = 0; i < count; ++i) captions.push_back(L"Button " + std::to_wstring(i));
    return captions;
  }

  SiteWindow site;
  CTKCommandBarManager manager;
  CTKToolBar* bar = nullptr;

 private:
  bool managed_ = false;
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
