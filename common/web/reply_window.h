// The hidden message-only window of one thread, on which every request object made on that
// thread hears its reports: one window per thread, shared by every object that joins it and
// destroyed with the last one that lets go of it. The window itself is made at the thread's
// next timer message, not in the call that first asks for it (making a window is one of the
// costlier things a browser's thread can be asked to do in a navigation's event); its users
// are then called once, so that what waited for the window is delivered. Other threads ask
// for a delivery by the window's handle and the number its user was given; a number whose
// user went meanwhile is ignored.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/win/window.h"

namespace WebUtilsNS {

class CReplyWindow : public KestrinWinNS::CWindowBase, public std::enable_shared_from_this<CReplyWindow> {
 public:
  // The calling thread's reply window, shared with every other holder on this thread; a new
  // one when the thread has none (its window then comes a moment later, or at once when no
  // timer can be set). Null when no window can be made.
  static std::shared_ptr<CReplyWindow> ForThisThread();
  // Destroys the window; on the window's thread only (where its last holder lets go).
  ~CReplyWindow() override;

  // Null until the window is made.
  HWND Handle() const { return GetHwnd(); }

  // On the window's thread: `deliver` runs on this thread once when the window is made and for
  // every delivery asked for the number returned (never 0), until Leave.
  DWORD Join(std::function<void()> deliver);
  void Leave(DWORD user);

  // Any thread: asks the thread of `window` to run the delivery of `user`. False when the
  // message could not be posted.
  static bool AskDelivery(HWND window, DWORD user);

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

 private:
  CReplyWindow() = default;

  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);
  // Makes the window (again later when it cannot be made now); then calls every user.
  void MakeWindow();
  bool MakeLater(UINT delay_ms);
  // Runs the delivery of `user` when it is still joined; true when it ran.
  bool Deliver(DWORD user);

  UINT_PTR timer_ = 0;  // the thread timer that makes the window
  std::vector<std::pair<DWORD, std::function<void()>>> users_;  // the window's thread only
};

}  // namespace WebUtilsNS
