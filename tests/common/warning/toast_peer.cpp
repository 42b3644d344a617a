// Another process showing a toast of a given kind: toast_peer <mutex name> <display ms>.
// Signals "<name>-shown" once its toast is up, keeps it up until "<name>-release" is set (or its
// display time ends), closes it as a click would, and signals "<name>-done" once the toast is
// gone and gave the mutex back. Waiting for the release keeps the test's view of "the peer's
// toast is up" true however slowly the test's own process runs.
#include <stdlib.h>

#include <string>

#include "tests/common/warning/test_toast.h"
#include "platform/win/scoped_handle.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string name = argv[1];
  KestrinWinNS::CScopedKernelHandle shown_event(OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-shown").c_str()));
  KestrinWinNS::CScopedKernelHandle done_event(OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-done").c_str()));
  KestrinWinNS::CScopedKernelHandle release_event(OpenEventA(SYNCHRONIZE, FALSE, (name + "-release").c_str()));
  const HANDLE shown = shown_event.Get(), done = done_event.Get(), release = release_event.Get();
  if (!shown || !done || !release) return 3;
  int result = 0;
  {
    CTestToast toast(name.c_str(), 20, atoi(argv[2]), 200, 120);
    if (!toast.Create(0) || !toast.Show()) {
      result = 4;
    } else {
      SetEvent(shown);
      if (!PumpUntil([&] { return WaitForSingleObject(release, 0) == WAIT_OBJECT_0 || toast.hide_done > 0; },
                     60000)) {
        result = 5;
      } else if (toast.hide_done == 0) {
        // A click hides the toast at once and gives the mutex back.
        SendMessageA(toast.GetWindow(), WM_LBUTTONDOWN, 0, 0);
        if (IsWindowVisible(toast.GetWindow())) result = 6;
      }
    }
  }
  SetEvent(done);
  return result;
}
