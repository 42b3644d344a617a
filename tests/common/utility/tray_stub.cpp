// Stands in for the tray program: signals the event the test waits on, then exits.
#include <windows.h>

int main() {
  HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, "KestrinTestTrayStubStarted");
  if (!started) return 1;
  SetEvent(started);
  CloseHandle(started);
  return 0;
}
