// A tab control on a hidden top-level window of the test's thread, with every tab of a chosen
// length, and the clock and message wait of the toolkit's mouse loops under the test's hand.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/drawing/draw_helpers.h"
#include "toolkit/drawing/seams.h"
#include "toolkit/tabs/tab_appearance_sets.h"
#include "toolkit/tabs/tab_colour_sets.h"
#include "toolkit/tabs/tab_control.h"

// A strip of `count` tabs named "A", "B", ... on a control of the given size; every tab is
// `length` pixels long (minimum and maximum width) and 20 pixels thick.
class TestStrip {
 public:
  TestStrip(int width, int height, int count, int length = 50) {
    strip.Create(nullptr, RECT{0, 0, width, height}, 0, WS_POPUP);
    painter().min_width = painter().max_width = length;
    for (int i = 0; i < count; ++i) strip.AddItem(std::wstring(1, static_cast<wchar_t>(L'A' + i)));
    SetThickness(20);
  }
  ~TestStrip() { strip.DestroyWindow(); }

  CTKTabPaintManager& painter() { return *strip.TabPainter(); }
  void SetThickness(int height) {
    painter().Shape()->button_height = height;
    strip.Relayout();
  }
  void Shape(int number) {
    painter().ChooseShapeSet(number);
    SetThickness(20);
  }
  void Layout(int layout) {
    painter().layout = layout;
    strip.Relayout();
  }
  void Position(int position) {
    painter().position = position;
    strip.Relayout();
  }
  CTKTabManagerItem* Item(int i) { return strip.ItemAtIndex(i); }
  std::wstring Order() {
    std::wstring order;
    for (int i = 0; i < strip.ItemCount(); ++i) order += strip.ItemAtIndex(i)->Caption();
    return order;
  }
  HWND hwnd() const { return strip.m_hWnd; }
  void Post(UINT message, int x = 0, int y = 0, WPARAM wparam = 0) {
    PostMessageW(hwnd(), message, wparam, MAKELPARAM(x, y));
  }

  CTKTabControl strip;
};

// The loops' clock and wait: each wait moves the clock on by its timeout and runs the test's
// hook; an endless wait with nothing left to do ends the gesture (and fails the test when it
// was not expected).
class FakeClock {
 public:
  FakeClock() {
    instance_ = this;
    TKSetTickCountFunction([] { return instance_->now; });
    TKSetWaitMessageFunction([](DWORD timeout) { instance_->Wait(timeout); });
  }
  ~FakeClock() {
    TKSetTickCountFunction(nullptr);
    TKSetWaitMessageFunction(nullptr);
    instance_ = nullptr;
  }

  DWORD now = 1000;
  std::vector<DWORD> waits;
  // Runs on each wait (after the clock moved); returns false when it has nothing more to do.
  std::function<bool(DWORD timeout)> on_wait;
  HWND owner = nullptr;

 private:
  void Wait(DWORD timeout) {
    waits.push_back(timeout);
    if (timeout != INFINITE) now += timeout;
    if (waits.size() > 10000) {
      ADD_FAILURE() << "a mouse loop does not end";
      PostMessageW(owner, WM_CANCELMODE, 0, 0);
      return;
    }
    if (on_wait && on_wait(timeout)) return;
    if (timeout == INFINITE) {
      ADD_FAILURE() << "a mouse loop waited for ever";
      PostMessageW(owner, WM_CANCELMODE, 0, 0);
    }
  }
  static inline FakeClock* instance_ = nullptr;
};

// Drops whatever the thread's queue holds (a test's leftover script).
inline void DrainQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}
