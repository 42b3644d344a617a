// Another process showing a toast of a given kind: toast_peer <mutex name> <display ms>.
// Signals "<name>-shown" once its toast is up and "<name>-done" once the toast slid out and gave
// the mutex back.
#include <stdlib.h>

#include <string>

#include "tests/common/warning/test_toast.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string name = argv[1];
  HANDLE shown = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-shown").c_str());
  HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-done").c_str());
  if (!shown || !done) return 3;
  int result = 0;
  {
    CTestToast toast(name.c_str(), 20, atoi(argv[2]), 200, 120);
    if (!toast.Create(0) || !toast.Show()) {
      result = 4;
    } else {
      SetEvent(shown);
      if (!PumpUntil([&] { return toast.hide_done > 0; })) result = 5;
    }
  }
  SetEvent(done);
  CloseHandle(shown);
  CloseHandle(done);
  return result;
}
