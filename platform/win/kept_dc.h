// A window's client DC kept across calls, for an object that draws into its window outside
// WM_PAINT.
#pragma once

#include <windows.h>

namespace KestrinWinNS {

// The client DC of a window (of the screen for a null window) from GetDC. Acquiring another, or
// Reset, gives the held one back with ReleaseDC; so does the owner's end.
class CKeptClientDC {
 public:
  CKeptClientDC() = default;
  ~CKeptClientDC() { Reset(); }
  CKeptClientDC(const CKeptClientDC&) = delete;
  CKeptClientDC& operator=(const CKeptClientDC&) = delete;

  HDC Acquire(HWND window) {
    Reset();
    window_ = window;
    dc_ = GetDC(window);
    return dc_;
  }
  void Reset() {
    if (dc_) ReleaseDC(window_, dc_);
    dc_ = nullptr;
    window_ = nullptr;
  }
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

}  // namespace KestrinWinNS
