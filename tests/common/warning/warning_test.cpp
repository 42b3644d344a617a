#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "common/warning/warning_resource.h"
#include "platform/win/scoped_handle.h"
#include "tests/common/warning/test_toast.h"

using namespace WarningWindowNS;

namespace {

std::string UniqueName(const char* what) {
  static int counter = 0;
  char name[96];
  snprintf(name, sizeof(name), "KestrinTestToast-%s-%lu-%d", what, GetCurrentProcessId(), ++counter);
  return name;
}

// Whether another thread could take the named mutex now (the thread that owns a mutex always
// could, so the test asks from a thread of its own).
bool IsMutexFree(const std::string& name) {
  struct Probe {
    static DWORD WINAPI Run(void* param) {
      KestrinWinNS::CScopedKernelHandle mutex(CreateMutexA(nullptr, FALSE, static_cast<const char*>(param)));
      if (!mutex) return 2;
      DWORD wait = WaitForSingleObject(mutex.Get(), 0);
      DWORD result = 1;
      if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        ReleaseMutex(mutex.Get());
        result = 0;
      }
      return result;
    }
  };
  KestrinWinNS::CScopedKernelHandle thread(
      CreateThread(nullptr, 0, &Probe::Run, const_cast<char*>(name.c_str()), 0, nullptr));
  WaitForSingleObject(thread.Get(), INFINITE);
  DWORD code = 2;
  GetExitCodeThread(thread.Get(), &code);
  return code == 0;
}

RECT WindowRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

RECT ChildRect(HWND dialog, int id) {
  HWND child = GetDlgItem(dialog, id);
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Sets the desktop's work area for one test and puts the old one back.
class WorkArea {
 public:
  explicit WorkArea(int bottom) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &old_, 0);
    RECT r = {0, 0, GetSystemMetrics(SM_CXSCREEN), bottom};
    ok_ = SystemParametersInfoA(SPI_SETWORKAREA, 0, &r, 0) != FALSE;
  }
  ~WorkArea() { SystemParametersInfoA(SPI_SETWORKAREA, 0, &old_, 0); }
  bool ok() const { return ok_; }

 private:
  RECT old_;
  bool ok_;
};

TEST(WarningLayout, SitsAboveTaskbarAndBorder) {
  const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
  struct Case { int work_bottom, border, width, height, expect_bottom_gap; } cases[] = {
      {H - 40, 8, 200, 200, 40},   // taskbar higher than the border: on the taskbar's top edge
      {H, 8, 200, 120, 8},         // no taskbar at the bottom: the border's width above the edge
      {H - 4, 30, 180, 90, 30},    // a thin taskbar under a wide border
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.work_bottom);
    WorkArea area(c.work_bottom);
    ASSERT_TRUE(area.ok());
    CTestToast toast(UniqueName("layout").c_str(), 10, 10, c.width, c.height);
    toast.SetBorderWidth(c.border);
    ASSERT_TRUE(toast.Create(0));
    RECT r = WindowRect(toast.GetWindow());
    EXPECT_EQ(W - c.width - c.border - 1, r.left);
    EXPECT_EQ(H - c.expect_bottom_gap, r.bottom);
    EXPECT_EQ(c.width, r.right - r.left);
    EXPECT_EQ(c.height, r.bottom - r.top);
    EXPECT_FALSE(IsWindowVisible(toast.GetWindow()));
    EXPECT_TRUE(GetWindowLongA(toast.GetWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
}

TEST(WarningLayout, ControlsFollowTheToastSize) {
  CTestToast toast(UniqueName("controls").c_str(), 10, 10, 240, 150);
  HWND w = toast.Create(0);
  ASSERT_TRUE(w);
  const int m = 10;
  RECT icon = ChildRect(w, IDC_WARNING_ICON);
  const int icon_width = icon.right - icon.left;
  EXPECT_EQ(m, icon.left);
  EXPECT_EQ(2 * m + 20, icon.top);
  RECT text = ChildRect(w, IDC_WARNING_TEXT);
  EXPECT_EQ(icon_width + 2 * m, text.left);
  EXPECT_EQ(2 * m + 20, text.top);
  EXPECT_EQ(240 - 3 * m - icon_width, text.right - text.left);
  EXPECT_EQ(150 - 3 * m - 20, text.bottom - text.top);
  RECT strip = ChildRect(w, IDC_WARNING_TITLE_STRIP);
  EXPECT_EQ(0, strip.left);
  EXPECT_EQ(0, strip.top);
  EXPECT_EQ(240 - 2, strip.right);
  EXPECT_EQ(20, strip.bottom);
  RECT title = ChildRect(w, IDC_WARNING_TITLE);
  EXPECT_EQ(m, title.left);
  EXPECT_EQ(m + 20, title.top);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(w, IDC_WARNING_TITLE)));
  char buffer[64] = "";
  GetDlgItemTextA(w, IDC_WARNING_TITLE, buffer, sizeof(buffer));
  EXPECT_STREQ("Kestrin Warning:", buffer);
  GetDlgItemTextA(w, IDC_WARNING_TEXT, buffer, sizeof(buffer));
  EXPECT_STREQ("A test toast.", buffer);
}

TEST(WarningLayout, ZeroSizeTakesTheDialogSize) {
  CTestToast toast(UniqueName("zero").c_str(), 10, 10, 0, 0);
  HWND w = toast.Create(0);
  ASSERT_TRUE(w);
  RECT units = {0, 0, 108, 73};
  MapDialogRect(w, &units);
  RECT r = WindowRect(w);
  EXPECT_EQ(units.right, r.right - r.left);
  EXPECT_EQ(units.bottom, r.bottom - r.top);
  EXPECT_EQ(units.right, toast.GetWidth());
}

TEST(WarningToasts, TheSystemsTwoToasts) {
  struct Case {
    CMutexWarningWindow* toast;
    const char* mutex;
    int display_ms, width, height;
    COLORREF background;
    const char* text_start;
  };
  CConnectionWarningWindow connection;
  CFullScreenWarningWindow full_screen;
  const Case cases[] = {
      {&connection, kConnectionWarningMutex, 5000, 200, 200, 0x00FFEFE7, "Kestrin is unable to connect"},
      {&full_screen, kFullScreenWarningMutex, 4000, 200, 120, 0x00FFFFFF, "Your browser has opened"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(c.toast->CreateWithFocusWindow(nullptr, 0));
    EXPECT_EQ(2000, c.toast->GetAnimationTime());
    EXPECT_EQ(c.display_ms, c.toast->GetDisplayTime());
    EXPECT_EQ(c.background, c.toast->GetBackground());
    RECT r = WindowRect(c.toast->GetWindow());
    EXPECT_EQ(c.width, r.right - r.left);
    EXPECT_EQ(c.height, r.bottom - r.top);
    char text[512] = "";
    GetDlgItemTextA(c.toast->GetWindow(), IDC_WARNING_TEXT, text, sizeof(text));
    EXPECT_EQ(0u, std::string(text).find(c.text_start)) << text;
    // Showing it takes the kind's named mutex; a click hides it and gives the mutex back.
    ASSERT_TRUE(IsMutexFree(c.mutex));
    ASSERT_TRUE(c.toast->Show());
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(c.toast->GetWindow()) != FALSE; }));
    EXPECT_FALSE(IsMutexFree(c.mutex));
    SendMessageA(c.toast->GetWindow(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(IsWindowVisible(c.toast->GetWindow()));
    EXPECT_TRUE(IsMutexFree(c.mutex));
  }
}

TEST(WarningToasts, ActivationHandsTheForegroundBack) {
  HWND focus = CreateWindowExA(0, "STATIC", "browser", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  CTestToast toast(UniqueName("focus").c_str(), 10, 10, 200, 120);
  ASSERT_TRUE(toast.CreateWithFocusWindow(focus, 0));
  EXPECT_EQ(focus, toast.GetFocusWindow());
  ASSERT_TRUE(SetForegroundWindow(other));
  ASSERT_EQ(other, GetForegroundWindow());
  SendMessageA(toast.GetWindow(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EXPECT_EQ(other, GetForegroundWindow());
  SendMessageA(toast.GetWindow(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(focus, GetForegroundWindow());
  DestroyWindow(other);
  DestroyWindow(focus);
}

TEST(WarningToasts, SlidesInAndOutThenReleasesTheMutex) {
  const std::string name = UniqueName("cycle");
  CTestToast toast(name.c_str(), 20, 50, 200, 120);
  EXPECT_FALSE(toast.Show());  // no window yet
  EXPECT_TRUE(IsMutexFree(name));
  ASSERT_TRUE(toast.Create(0));
  toast.hold_display = true;
  ASSERT_TRUE(toast.Show());
  EXPECT_TRUE(toast.IsShowing());
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(toast.GetWindow()) != FALSE; }));
  EXPECT_FALSE(IsMutexFree(name));
  // Timer 1 starts the slide-out; its thread then tells the window to give the mutex back.
  toast.hold_display = false;
  ASSERT_TRUE(PumpUntil([&] { return toast.hide_done > 0; }));
  EXPECT_FALSE(toast.IsShowing());
  EXPECT_FALSE(IsWindowVisible(toast.GetWindow()));
  EXPECT_TRUE(IsMutexFree(name));
  // And it can come again.
  ASSERT_TRUE(toast.Show());
  ASSERT_TRUE(PumpUntil([&] { return toast.hide_done > 1; }));
  EXPECT_TRUE(IsMutexFree(name));
}

TEST(WarningToasts, RightClickAndDestroyReleaseTheMutex) {
  const std::string name = UniqueName("release");
  {
    CTestToast toast(name.c_str(), 20, 60000, 200, 120);
    ASSERT_TRUE(toast.Create(0));
    ASSERT_TRUE(toast.Show());
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(toast.GetWindow()) != FALSE; }));
    SendMessageA(toast.GetWindow(), WM_RBUTTONDOWN, 0, 0);
    EXPECT_FALSE(IsWindowVisible(toast.GetWindow()));
    EXPECT_TRUE(IsMutexFree(name));

    ASSERT_TRUE(toast.Show());
    EXPECT_FALSE(IsMutexFree(name));
    toast.Destroy();
    EXPECT_EQ(nullptr, toast.GetWindow());
    EXPECT_TRUE(IsMutexFree(name));

    ASSERT_TRUE(toast.Create(0));
    ASSERT_TRUE(toast.Show());
    EXPECT_FALSE(IsMutexFree(name));
  }
  // Destroyed while shown.
  EXPECT_TRUE(IsMutexFree(name));
}

// A slide thread that only starts its work once the test lets it.
KestrinWinNS::CScopedKernelHandle g_go;
KestrinWinNS::CScopedKernelHandle g_finished;
void GatedSlide(UtilityClassesNS::CThreadHelper* helper, void* param) {
  WaitForSingleObject(g_go.Get(), INFINITE);
  CTestToast::SlideAndNotifyRoutine(helper, param);
  SetEvent(g_finished.Get());
}

TEST(WarningToasts, LateSlideThreadLeavesADestroyedToastAlone) {
  g_go.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  g_finished.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const std::string name = UniqueName("late");
  CTestToast* toast = new CTestToast(name.c_str(), 20, 10, 200, 120);
  toast->SetAnimationRoutine(&GatedSlide);
  ASSERT_TRUE(toast->Create(0));
  HWND window = toast->GetWindow();
  ASSERT_TRUE(toast->Show());
  // Overwrite the freed object so that a use after free would not pass unnoticed.
  toast->~CTestToast();
  memset(static_cast<void*>(toast), 0xCD, sizeof(CTestToast));
  SetEvent(g_go.Get());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_finished.Get(), 10000));
  operator delete(toast);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(IsMutexFree(name));
  g_go.Reset();
  g_finished.Reset();
}

TEST(WarningToasts, OneOfAKindAcrossProcesses) {
  const std::string name = UniqueName("peer");
  KestrinWinNS::CScopedKernelHandle shown_event(CreateEventA(nullptr, TRUE, FALSE, (name + "-shown").c_str()));
  KestrinWinNS::CScopedKernelHandle done_event(CreateEventA(nullptr, TRUE, FALSE, (name + "-done").c_str()));
  KestrinWinNS::CScopedKernelHandle release_event(CreateEventA(nullptr, TRUE, FALSE, (name + "-release").c_str()));
  const HANDLE shown = shown_event.Get(), done = done_event.Get(), release = release_event.Get();
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string peer = path;
  peer = peer.substr(0, peer.find_last_of("\\/") + 1) + "toast_peer.exe";
  std::string command = "\"" + peer + "\" " + name + " 60000";
  STARTUPINFOA si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(peer.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << GetLastError();
  KestrinWinNS::CScopedKernelHandle peer_thread(pi.hThread), peer_process(pi.hProcess);
  HANDLE waits[2] = {shown, pi.hProcess};
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 20000));

  CTestToast toast(name.c_str(), 20, 50, 200, 120);
  ASSERT_TRUE(toast.Create(0));
  EXPECT_FALSE(toast.Show());  // the peer's toast is up
  EXPECT_FALSE(IsWindowVisible(toast.GetWindow()));
  EXPECT_FALSE(toast.IsShowing());

  // Once the peer's toast is gone, this one may show.
  SetEvent(release);
  ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(done, 0) == WAIT_OBJECT_0; }, 20000));
  toast.hold_display = true;
  EXPECT_TRUE(toast.Show());
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(toast.GetWindow()) != FALSE; }));
  SendMessageA(toast.GetWindow(), WM_LBUTTONDOWN, 0, 0);

  WaitForSingleObject(pi.hProcess, 20000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);
}

}  // namespace
