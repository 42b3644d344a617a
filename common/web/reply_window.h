// The hidden message-only window of one thread, on which every request object made on that
// thread hears its reports: one window per thread, made with the first object that needs it
// and destroyed with the last one that lets go of it. Other threads ask for a delivery by the
// window's handle and the number its user was given; a number whose user went meanwhile is
// ignored.
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
  // The calling thread's window, shared with every other holder on this thread; made when the
  // thread has none. Null when the window cannot be made.
  static std::shared_ptr<CReplyWindow> ForThisThread();
  // Destroys the window; on the window's thread only (where its last holder lets go).
  ~CReplyWindow() override;

  HWND Handle() const { return GetHwnd(); }

  // On the window's thread: `deliver` runs on this thread for every delivery asked for the
  // number returned (never 0), until Leave.
  DWORD Join(std::function<void()> deliver);
  void Leave(DWORD user);

  // Any thread: asks the thread of `window` to run the delivery of `user`. False when the
  // message could not be posted.
  static bool AskDelivery(HWND window, DWORD user);

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

  // The windows made so far in this process (a count, for tests).
  static LONG MadeCount();

 private:
  CReplyWindow() = default;

  std::vector<std::pair<DWORD, std::function<void()>>> users_;  // the window's thread only
};

}  // namespace WebUtilsNS
