// A toast with short times and a mutex name of the test's choosing, shared by the tests and the
// peer process that holds a toast of the same kind.
#pragma once

#include <windows.h>

#include "common/warning/warning_window.h"

class CTestToast : public WarningWindowNS::CMutexWarningWindow {
 public:
  CTestToast(const char* mutex_name, int animation_ms, int display_ms, int width, int height)
      : CMutexWarningWindow(RGB(0xE7, 0xEF, 0xFF), mutex_name) {
    animation_ms_ = animation_ms;
    display_ms_ = display_ms;
    width_ = width;
    height_ = height;
    text_ = "A test toast.";
  }
  void SetBorderWidth(DWORD width) { settings_.m_BorderWidth = width; }
  void SetAnimationRoutine(AnimationRoutine routine) { animation_routine_ = routine; }
  using CMutexWarningWindow::SlideAndNotifyRoutine;

  void OnHideAnimationDone() override {
    CMutexWarningWindow::OnHideAnimationDone();
    ++hide_done;
  }
  // While set, the display time's timer is let pass (it fires again later), so a test can look
  // at the shown toast however slowly its own process runs.
  void OnTimer(UINT_PTR id) override {
    if (id == WarningWindowNS::kTimerSlideOut && hold_display) return;
    CMutexWarningWindow::OnTimer(id);
  }
  int hide_done = 0;
  bool hold_display = false;
};

// Runs the thread's message loop until `done` says so or the time-out passes.
template <typename Done>
bool PumpUntil(Done done, DWORD timeout_ms = 10000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}
