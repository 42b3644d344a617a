// Acts on a modal box of this thread (a common dialog, a message box) from inside its own
// modal loop: a thread timer looks for the box and hands it to a step once.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace appframetest {

class CModalDriver {
 public:
  // `step` runs once with the first visible dialog-class window of this thread whose owner is
  // `owner` (null: a box without owner).
  CModalDriver(std::function<void(HWND)> step, HWND owner) {
    Current() = this;
    step_ = std::move(step);
    owner_ = owner;
    timer_ = SetTimer(nullptr, 0, 20, &Tick);
  }
  ~CModalDriver() {
    if (timer_) KillTimer(nullptr, timer_);
    Current() = nullptr;
  }
  CModalDriver(const CModalDriver&) = delete;
  CModalDriver& operator=(const CModalDriver&) = delete;

  bool Ran() const { return ran_; }

 private:
  static CModalDriver*& Current() {
    static CModalDriver* current = nullptr;
    return current;
  }
  static BOOL CALLBACK Find(HWND window, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(window) ||
        GetWindow(window, GW_OWNER) != Current()->owner_)
      return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    CModalDriver* self = Current();
    if (!self || self->timer_ != id) return;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, self->timer_);
    self->timer_ = 0;
    self->ran_ = true;
    self->step_(box);
  }

  std::function<void(HWND)> step_;
  HWND owner_ = nullptr;
  UINT_PTR timer_ = 0;
  bool ran_ = false;
};

}  // namespace appframetest
