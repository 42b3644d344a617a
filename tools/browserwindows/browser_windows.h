// Browser frame window trees as Internet Explorer 6 and 7/8 build them, for the tests, the
// scripted hosts and the benchmarks.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "common/subclass/subclass_helper.h"

namespace test {

// Counts the private messages that reach the windows' own procedure.
extern std::atomic<int> g_probe_messages;
const UINT kProbeMessage = WM_APP + 7;

struct Tab {
  HWND tab = nullptr;       // "TabWindowClass"
  HWND view = nullptr;      // "Shell DocObject View"
  HWND document = nullptr;  // "Internet Explorer_Server"
  HWND status = nullptr;    // msctls_statusbar32
};

// Internet Explorer 6: frame > WorkerW > ReBarWindow32 > ComboBoxEx32, frame > status bar,
// frame > Shell DocObject View > Internet Explorer_Server.
struct Ie6Frame {
  Ie6Frame();
  ~Ie6Frame();
  HWND frame, worker, rebar, combo, status, view, document;
};

// Internet Explorer 7/8: frame > WorkerW > ReBarWindow32 > Address Band Root >
// ToolbarWindow32 (three buttons, ids 200 to 202; generation 8 adds a "Page Control" one);
// tabs: frame > TabWindowClass > status bar and Shell DocObject View > Internet Explorer_Server.
struct Ie7Frame {
  explicit Ie7Frame(int generation);
  ~Ie7Frame();
  Tab AddTab();
  HWND frame, worker, rebar, address_root, toolbar;
  std::vector<Tab> tabs;
};

// The add-on instance as the helper sees it: counts notices and references.
class FakeBho : public SubclassUtilsNS::ISubclassOwner {
 public:
  FakeBho(HWND frame, HWND tab) : frame_(frame), tab_(tab) {}
  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  HWND GetBrowserWindow() override { return frame_; }
  HWND GetTabWindow() override { return tab_; }
  void OnLockAreaHover(LPARAM) override { ++hover; }
  void OnLockAreaHoverInTab(LPARAM) override { ++hover_in_tab; }
  void OnLockAreaLeave() override { ++leave; }
  void OnViewFocusLost() override { ++focus_lost; }
  void OnViewFocusGained() override { ++focus_gained; }
  void OnFullScreen(HWND) override { ++full_screen; }
  int Total() const {
    return hover + hover_in_tab + leave + focus_lost + focus_gained + full_screen;
  }

  std::atomic<int> refs{1};
  std::atomic<int> hover{0}, hover_in_tab{0}, leave{0}, focus_lost{0}, focus_gained{0},
      full_screen{0};

 private:
  HWND frame_, tab_;
};

// Processes this thread's messages for up to `ms` or until `done` returns true.
template <class Done>
bool PumpUntil(DWORD ms, Done done) {
  DWORD until = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (done()) return true;
    if ((LONG)(GetTickCount() - until) >= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace test
